/// @file
/// Shared vocabulary of the suite: enumerations, records, array and callback types, word
/// tables, status globals. Included through kez/kezbase.hpp.
///
/// The member names, their order and their ordinals are part of the interface: the suite's
/// XML-like files store the words of the xml... tables, and the words equal the member names.
///
/// @code
///   kez::xmlFrameStyle[kez::fsLowered]            // u"fsLowered"
///   kez::ResolveCSVDelimiter(u';')                 // kez::csvSemicolon
///   kez::AnsiToString(kez::MonthShort[kez::lgGerman][3])   // u"Mär"
/// @endcode
///
/// Word tables of the enumerations hold library text (UTF-16 views of static literals). The
/// calendar and number words and the language names are short single-byte strings of fixed
/// capacity, as the suite stores them: views of Windows-1252 bytes (convert with
/// AnsiToString); each entry fits the capacity its comment names.
///
/// Threads: the word tables are constant and may be read from any thread. ProcStat,
/// LastProcStat, AbortMathProc and MathFeedBackProc are process-wide status shared by every
/// thread, without a lock: the numeric routines that report through them belong to one thread
/// at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/graphtypes.hpp"
#include "kez/platform/rangearray.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

class Variant;  // kez/platform/variant.hpp

// ---------------------------------------------------------------------------------------
// Enumerations (one byte each; ordinals from 0 in the order given)
// ---------------------------------------------------------------------------------------

/// TBkgFill: how a background picture fills its area: drawn once at its size (bfSimple), stretched
/// to the area (bfStretch) or repeated as tiles (bfTile).
enum TBkgFill : std::uint8_t { bfSimple, bfStretch, bfTile };
/// TBoundingBox: what is drawn around a chart's plot box: nothing, a frame of its edges, or its
/// filled faces.
enum TBoundingBox : std::uint8_t { bbNone, bbFrame, bbFaces };
/// TColorScheme: the colours of chart elements: black, white and greys (csBWG) or the system's
/// colours.
enum TColorScheme : std::uint8_t { csBWG, csSystem };
/// TDecPSep: the decimal separator accepted or written: the system's, ".", ",", or either of the
/// two.
enum TDecPSep : std::uint8_t { dsSystem, dsDot, dsComma, dsBoth };
/// TFigType: what the figures of a scale show: none, numbers, times, dates with times, or texts of
/// the user.
enum TFigType : std::uint8_t { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
/// TScaleType: where a scale sits: the bottom or top x axis, the left or right y axis.
enum TScaleType : std::uint8_t { sctXB, sctXT, sctYL, sctYR };
/// TVerticalAlignment: top, centre or bottom alignment.
enum TVerticalAlignment : std::uint8_t { vaTop, vaCenter, vaBottom };
/// TYearLength: how a date writes its year: not at all, with two digits or with four.
enum TYearLength : std::uint8_t { ylNone, ylYY, ylYYYY };
/// TDateOrder: the order of month, day and year in a date.
enum TDateOrder : std::uint8_t { doMMDDYY, doDDMMYY, doYYMMDD };
/// TDateForTime: how often a time scale adds the date to its times: never, once per chart, once per
/// day, or at every tick.
enum TDateForTime : std::uint8_t { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
/// TShadowStyle: a shadow cast by a floating element (ssFlying) or a box shadow beside it.
enum TShadowStyle : std::uint8_t { ssFlying, ssBox };
/// TFrameStyle: a frame's look: none, a simple line, lowered, raised, embossed or engraved.
enum TFrameStyle : std::uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
/// TTimeFormat: how times are written: hh:mm:ss, hh"h"mm, or with AM/PM.
enum TTimeFormat : std::uint8_t { tfHHMMSS, tfHHhMM, tfAMPM };
/// TDirection: up, down, left or right.
enum TDirection : std::uint8_t { dirUpward, dirDownward, dirLeftward, dirRightward };
/// TOrientation: vertical or horizontal.
enum TOrientation : std::uint8_t { orVert, orHoriz };
/// TAxis: the x, y or z axis.
enum TAxis : std::uint8_t { atXAxis, atYAxis, atZAxis };
/// TDims: the four dimensions of a TCellPosition4D: X, Y, L and T.
enum TDims : std::uint8_t { dimX, dimY, dimL, dimT };

/// TTriState
/// A yes/no value that may also be unknown; read and written as words by StrToTriState and
/// TriStateToStr.
enum TTriState : std::uint8_t { tsFalse, tsTrue, tsUndefined };

/// TCrossHMode: the shape of a crosshair: off, a horizontal line, a vertical line, both lines, both
/// with a box at the crossing, or the box alone.
enum TCrossHMode : std::uint8_t { chOff, chHoriz, chVert, chBoth, chCrossBox, chBox };
/// TTxtLblAttachMode: which coordinates of a text label follow the data: none, x only, y only, or
/// both.
enum TTxtLblAttachMode : std::uint8_t { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
/// TTxtLblMode: how a text label is drawn: not at all, as plain text, in a box, underlined, or with
/// a shadow.
enum TTxtLblMode : std::uint8_t { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
/// TDegreeFormat: how an angle is written: degrees, degrees and minutes, degrees, minutes and
/// seconds, or a plain number.
enum TDegreeFormat : std::uint8_t { dfDeg, dfDegMin, dfDegMinSec, dfNumeric };
/// TCSVDelimiters: the delimiter of a CSV file: not known, ";", ",", ":" or the tab (see
/// CSVDelimiters).
enum TCSVDelimiters : std::uint8_t { csvUnknown, csvSemicolon, csvComma, csvColon, csvTab };
/// TZoomPanMode: what a drag on a colour scale does: pan it (zpmPan), or zoom it from its left or
/// its right end.
enum TZoomPanMode : std::uint8_t { zpmPan, zpmColZoomLeft, zpmColZoomRight };
/// TLanguage: the languages of the calendar and number words; lgUnknown gives neutral placeholders.
enum TLanguage : std::uint8_t { lgUnknown, lgEnglish, lgGerman, lgFrench, lgSpanish };
/// TVarKind: the kind of a value in the suite's files: one of the number kinds rnum, dnum, snum,
/// inum and lnum, a boolean (Bool, written "bool"), or a string (strg).
enum TVarKind : std::uint8_t { rnum, dnum, snum, inum, lnum, Bool, strg };
/// TMouseBoxState: the steps of drawing a rectangle with the mouse: not begun, first corner set,
/// being drawn, finished.
enum TMouseBoxState : std::uint8_t { msNormal, msFirstCorner, msRectDraw, msFinished };
/// TMouseActMode: what the mouse does on a chart: nothing, panning (freely, horizontally,
/// vertically, by the grid), a rubber band, zooming (in steps, by a window, by a window at a
/// position, by dragging), dragging the crosshair or a label, rotating (freely, with zoom, about x
/// only, about z only), selecting a rectangle, drawing a mouse trace, or zooming and panning the
/// colours.
enum TMouseActMode : std::uint8_t {
  maNone,
  maPan,
  maPanHoriz,
  maPanVert,
  maPanGrid,
  maRubberBand,
  maZoom,
  maZoomWind,
  maZoomWindPos,
  maZoomDrag,
  maDragCrossH,
  maDragLabel,
  maRotate,
  maRotAndZoom,
  maRotXOnly,
  maRotZOnly,
  maSelectRect,
  maDrawMTrace,
  maZoomPanColors
};
/// TZoomState: whether a chart shows its normal range or a zoom window that is being drawn.
enum TZoomState : std::uint8_t { zsNormal, zsDrawWin };

// ---------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------

/// TPointDouble: a point in real coordinates.
struct TPointDouble {
  double X;  ///< Horizontal coordinate.
  double Y;  ///< Vertical coordinate.
  /// Equal when both coordinates are equal.
  friend constexpr bool operator==(const TPointDouble&, const TPointDouble&) = default;
};

/// TColoredPoint: a point with a flag word and a colour.
struct TColoredPoint {
  double X;  ///< Horizontal coordinate.
  double Y;  ///< Vertical coordinate.
  std::uint16_t Flag;  ///< Flag bits for the application's use.
  TColor Color;  ///< The point's colour.
};

/// TCellPosition4D: a cell of a four-dimensional grid.
struct TCellPosition4D {
  std::int32_t X;  ///< Position along X.
  std::int32_t Y;  ///< Position along Y.
  std::int32_t L;  ///< Position along L.
  std::int32_t T;  ///< Position along T.
};

/// TRectDouble
/// A rectangle in real coordinates. TopLeft() and BottomRight() read the corner pairs
/// (Left, Top) and (Right, Bottom) as points; SetTopLeft and SetBottomRight write them.
struct TRectDouble {
  double Left;  ///< Left edge.
  double Top;  ///< Top edge.
  double Right;  ///< Right edge.
  double Bottom;  ///< Bottom edge.

  /// The corner (Left, Top).
  constexpr TPointDouble TopLeft() const { return {Left, Top}; }
  /// The corner (Right, Bottom).
  constexpr TPointDouble BottomRight() const { return {Right, Bottom}; }
  /// Sets Left and Top from P.
  constexpr void SetTopLeft(TPointDouble P) {
    Left = P.X;
    Top = P.Y;
  }
  /// Sets Right and Bottom from P.
  constexpr void SetBottomRight(TPointDouble P) {
    Right = P.X;
    Bottom = P.Y;
  }
};

/// TQuad: four integer points (a quadrilateral), indexed 0 to 3.
using TQuad = std::array<TPoint, 4>;

// ---------------------------------------------------------------------------------------
// Arrays and buffers
// ---------------------------------------------------------------------------------------

using TSingleArray = std::vector<float>;  ///< Single-precision numbers.
using TDoubleArray = std::vector<double>;  ///< Double-precision numbers.
using TDouble2DArray = std::vector<TDoubleArray>;  ///< Rows of TDoubleArray.
using TDouble3DArray = std::vector<TDouble2DArray>;  ///< A three-dimensional array of doubles.
using TDouble4DArray = std::vector<TDouble3DArray>;  ///< A four-dimensional array of doubles.
using TIntArray = std::vector<std::int32_t>;  ///< 32-bit integers.
using TInt2DArray = std::vector<TIntArray>;  ///< A two-dimensional array of 32-bit integers.
using TInt3DArray = std::vector<TInt2DArray>;  ///< A three-dimensional array of 32-bit integers.
using TInt4DArray = std::vector<TInt3DArray>;  ///< A four-dimensional array of 32-bit integers.
using TBoolArray = std::vector<bool>;  ///< Booleans.
using TBool2DArray = std::vector<TBoolArray>;  ///< A two-dimensional array of booleans.
using TStrArray = std::vector<String>;  ///< Texts.
/// TVariantArray: include kez/platform/variant.hpp to use it.
using TVariantArray = std::vector<Variant>;
using TPDblArray = std::vector<TPointDouble>;  ///< Points in real coordinates.
using TBytes = std::vector<std::uint8_t>;  ///< Bytes.

/// Fixed byte buffers.
using TBuf4096 = std::array<std::uint8_t, 4096>;  ///< 4096 bytes.
using TBuf16K = std::array<std::uint8_t, 16384>;  ///< 16384 bytes.

/// TDataBuffer
/// A byte view laid over raw memory of any length (indexes 0 to 2147483646); it owns
/// nothing. Build it from a pointer and a length: TDataBuffer(ptr, n).
using TDataBuffer = std::span<std::uint8_t>;

// ---------------------------------------------------------------------------------------
// Callback types
// ---------------------------------------------------------------------------------------

/// FeedBackProcType: a plain progress procedure called with a state counter.
using FeedBackProcType = std::function<void(double StateCnt)>;
/// TFeedbackProc: a progress procedure told who reports, the state and the percentage.
using TFeedbackProc = std::function<void(TObject* Sender, double StateCnt, double PercentDone)>;
/// TSortExchgEvent: raised when a sort exchanges two entries.
using TSortExchgEvent =
    std::function<void(TObject* Sender, std::uint8_t ExchgWhat, std::int32_t index1,
                       std::int32_t index2, std::int32_t first, std::int32_t last)>;
/// TZoomPanEvent: raised when a chart has been zoomed or panned.
using TZoomPanEvent = std::function<void(TObject* Sender)>;
/// TSelectRectEvent: raised with the rectangle (LoX, LoY)-(HiX, HiY), in data coordinates, that the
/// user selected on Layer.
using TSelectRectEvent = std::function<void(TObject* Sender, std::int32_t Layer, double LoX,
                                            double LoY, double HiX, double HiY)>;
/// TOnPercentDoneEvent: reports progress as a percentage from 0 to 100.
using TOnPercentDoneEvent = std::function<void(TObject* Sender, std::int32_t PercentDone)>;
/// TOnCheckAbortEvent: the handler sets Abort to true to ask for an abort.
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;
/// TOnRubberBandActionEvent: raised with the point where the user acted with the rubber band.
using TOnRubberBandActionEvent = std::function<void(TObject* Sender, const TPoint& APoint)>;

// ---------------------------------------------------------------------------------------
// Status globals of long computations
// ---------------------------------------------------------------------------------------
// Plain shared variables without locking, for the suite's computational packages (this
// library itself never touches them after start). One computation at a time uses them.

/// ProcStat: progress value of the running computation; 0 whenever KEZ_kezbase starts.
extern constinit double ProcStat;
/// LastProcStat: status value of the last finished computation; 0 at load.
extern constinit double LastProcStat;
/// AbortMathProc: set by a caller to ask the running computation to stop; false at load.
extern constinit bool AbortMathProc;

/// MathFeedBackProc
/// The slot for the computations' progress callback, empty at load. A std::function cannot
/// be constant-initialized, so the slot lives behind this accessor and is ready even for
/// code that runs during static start-up. Call it through CallHandler, which runs a copy, so
/// that the callback may replace or clear the slot while it runs:
/// @code
///   kez::MathFeedBackProc() = [](double state) { ... };
///   kez::CallHandler(kez::MathFeedBackProc(), kez::ProcStat);
/// @endcode
FeedBackProcType& MathFeedBackProc();

// ---------------------------------------------------------------------------------------
// Word tables of the enumerations
// ---------------------------------------------------------------------------------------
// Indexed by the enumeration; each word is the member's name, except where noted.

/// TWordTable: the words of an enumeration, indexed by its ordinal.
template <std::size_t N>
using TWordTable = std::array<StringView, N>;

/// The words of TVerticalAlignment.
inline constexpr TWordTable<3> xmlVerticalAlignment = {u"vaTop", u"vaCenter", u"vaBottom"};
/// Indexed by the platform's TAlignment.
inline constexpr TWordTable<3> xmlAlignment = {u"taLeftJustify", u"taRightJustify", u"taCenter"};
/// The words of TBkgFill.
inline constexpr TWordTable<3> xmlBkgFill = {u"bfSimple", u"bfStretch", u"bfTile"};
/// The words of TBoundingBox.
inline constexpr TWordTable<3> xmlBoundingBox = {u"bbNone", u"bbFrame", u"bbFaces"};
/// The words of TColorScheme.
inline constexpr TWordTable<2> xmlColorScheme = {u"csBWG", u"csSystem"};
/// The words of TFigType.
inline constexpr TWordTable<5> xmlFigType = {u"ftNoFigs", u"ftNum", u"ftTime", u"ftDateTime",
                                             u"ftUserText"};
/// The words of TScaleType.
inline constexpr TWordTable<4> xmlScaleType = {u"sctXB", u"sctXT", u"sctYL", u"sctYR"};
/// The words of TYearLength.
inline constexpr TWordTable<3> xmlYearLength = {u"ylNone", u"ylYY", u"ylYYYY"};
/// The words of TDateOrder.
inline constexpr TWordTable<3> xmlDateOrder = {u"doMMDDYY", u"doDDMMYY", u"doYYMMDD"};
/// The words of TDateForTime.
inline constexpr TWordTable<4> xmlDateForTime = {u"dtNone", u"dtOnePerChart", u"dtOnePerDay",
                                                 u"dtAllTicks"};
/// The words of TShadowStyle.
inline constexpr TWordTable<2> xmlShadowStyle = {u"ssFlying", u"ssBox"};
/// The words of TFrameStyle.
inline constexpr TWordTable<6> xmlFrameStyle = {u"fsNone",   u"fsSimple",   u"fsLowered",
                                                u"fsRaised", u"fsEmbossed", u"fsEngraved"};
/// The words of TTimeFormat.
inline constexpr TWordTable<3> xmlTimeFormat = {u"tfHHMMSS", u"tfHHhMM", u"tfAMPM"};
/// The words of TDirection.
inline constexpr TWordTable<4> xmlDirection = {u"dirUpward", u"dirDownward", u"dirLeftward",
                                               u"dirRightward"};
/// The words of TLanguage.
inline constexpr TWordTable<5> xmlLanguage = {u"lgUnknown", u"lgEnglish", u"lgGerman", u"lgFrench",
                                              u"lgSpanish"};
/// The member Bool is written in lower case: "bool".
inline constexpr TWordTable<7> xmlVarKind = {u"rnum", u"dnum", u"snum", u"inum",
                                             u"lnum", u"bool", u"strg"};
/// The words of TMouseBoxState.
inline constexpr TWordTable<4> xmlMouseBoxState = {u"msNormal", u"msFirstCorner", u"msRectDraw",
                                                   u"msFinished"};
/// The words of TMouseActMode.
inline constexpr TWordTable<19> xmlMouseActMode = {
    u"maNone",       u"maPan",        u"maPanHoriz",   u"maPanVert",      u"maPanGrid",
    u"maRubberBand", u"maZoom",       u"maZoomWind",   u"maZoomWindPos",  u"maZoomDrag",
    u"maDragCrossH", u"maDragLabel",  u"maRotate",     u"maRotAndZoom",   u"maRotXOnly",
    u"maRotZOnly",   u"maSelectRect", u"maDrawMTrace", u"maZoomPanColors"};
/// The words of TZoomState.
inline constexpr TWordTable<2> xmlZoomState = {u"zsNormal", u"zsDrawWin"};
/// The words of TCrossHMode.
inline constexpr TWordTable<6> xmlCrossHMode = {u"chOff",  u"chHoriz",    u"chVert",
                                                u"chBoth", u"chCrossBox", u"chBox"};
/// The words of TTxtLblMode.
inline constexpr TWordTable<5> xmlTxtLblMode = {u"tlOff", u"tlsimple", u"tlBox", u"tlUnderline",
                                                u"tlShadow"};
/// The words of TTxtLblAttachMode.
inline constexpr TWordTable<4> xmlTxtLblAttachMode = {u"tlamNone", u"tlamXOnly", u"tlamYOnly",
                                                      u"tlamBoth"};
/// Indexed by the platform's TFontStyle.
inline constexpr TWordTable<4> xmlFontStyle = {u"fsBold", u"fsItalic", u"fsUnderline",
                                               u"fsStrikeOut"};

// ---------------------------------------------------------------------------------------
// CSV delimiters
// ---------------------------------------------------------------------------------------

/// CSVDelimiters: the delimiter character of each TCSVDelimiters member (code 0 for
/// csvUnknown, then ";", ",", ":" and the tab).
inline constexpr std::array<char16_t, 5> CSVDelimiters = {u'\0', u';', u',', u':', u'\t'};

/// ResolveCSVDelimiter
/// The member whose CSVDelimiters character is exactly Delim (no case folding, no
/// trimming); csvUnknown for any other character, the code 0 included.
constexpr TCSVDelimiters ResolveCSVDelimiter(char16_t Delim) {
  for (TCSVDelimiters d : {csvSemicolon, csvComma, csvColon, csvTab}) {
    if (CSVDelimiters[d] == Delim) return d;
  }
  return csvUnknown;
}

// ---------------------------------------------------------------------------------------
// Calendar and number words (Windows-1252 bytes), indexed [language][item]
// ---------------------------------------------------------------------------------------
// The lgUnknown row holds neutral placeholders ("M01", "D01", "N00", "???").

/// TLangWordTable: words indexed by language and then by item number First..Last.
template <long First, long Last>
using TLangWordTable = RangeArray<RangeArray<std::string_view, First, Last>, lgUnknown, lgSpanish>;

/// MonthShort: month abbreviations, months 1 to 12, at most 4 characters.
extern const TLangWordTable<1, 12> MonthShort;
/// MonthLong: month names, months 1 to 12, at most 10 characters. The French February is
/// "février " with a trailing blank.
extern const TLangWordTable<1, 12> MonthLong;
/// WeekDayShort: weekday abbreviations, 1 = Monday to 7 = Sunday, at most 3 characters.
extern const TLangWordTable<1, 7> WeekDayShort;
/// WeekDayLong: weekday names, 1 = Monday to 7 = Sunday, at most 10 characters.
extern const TLangWordTable<1, 7> WeekDayLong;
/// NumWords: the numbers 0 to 12 as words, at most 6 characters.
extern const TLangWordTable<0, 12> NumWords;
/// LanguageID: the name of each language (second index) in each language (first index), at
/// most 15 characters; every entry of the lgUnknown row and column is "???".
extern const TLangWordTable<lgUnknown, lgSpanish> LanguageID;

KEZ_API_END
}  // namespace kez
