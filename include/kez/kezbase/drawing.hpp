/// @file
/// Drawing helpers of the charts: data-point marks, framed rectangles, printing a bitmap, and
/// two font helpers. Everything is drawn through a TCanvas with its current pen, brush and
/// font; nothing is kept between calls. Included through kez/kezbase.hpp.
///
/// @code
///   canvas.Pen().SetColor(kez::clBlack);
///   kez::DrawMarkOnCanvas(canvas, 24, 50, 40);        // a filled circle, 7 pixels across
///   kez::DrawMarkOnCanvas(canvas, 65, 80, 40);        // the letter A, centred on (80, 40)
///   kez::DrawFrame(canvas, kez::fsRaised, 10, 10, 90, 60,
///                  0xFFFFFF, 0xDFDFDF, 0x808080, 0x000000, 0x000000);
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "kez/kezbase/vocabulary.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/graphics.hpp"

namespace kez {
KEZ_API_BEGIN

/// TMarkPattern
/// Seven rows of a mark from top to bottom; in a row, bit 0 is the rightmost of seven
/// columns and bit 6 the leftmost. Row r (1..7), bit k (0..6) is the pixel
/// (X + 3 - k, Y + r - 4) around the centre (X, Y).
using TMarkPattern = std::array<std::uint8_t, 7>;

/// MarkPatterns
/// The pixel patterns by mark code 0..18. Marks 1 to 6 (plus and diagonal crosses in three
/// sizes) and 18 (a 7 x 7 checkerboard) are drawn from it on every canvas but the printer's;
/// the other entries are empty.
extern const std::array<TMarkPattern, 19> MarkPatterns;

/// DrawMarkOnCanvas
/// Draws mark MarkType centred on (X, Y) in the pen's colour; marks are never scaled.
///
/// Codes 0 to 51 are geometric marks (dot, pluses, crosses, squares, diamonds, circles,
/// triangles, carets, stars). Filled marks fill with the pen colour; open marks set the brush
/// style to clear while drawing and to solid afterwards; the brush colour is always restored
/// on return, the brush style is not. On the printer's canvas (the very object
/// Printer().Canvas() returns) marks 1 to 6 and 18 are drawn as lines instead of pixel
/// patterns, and mark 25's strokes end one pixel shorter.
///
/// Codes 52 to 255 are characters: 200 to 209 the digits 0 to 9, every other code the
/// character with that code (52 to 57 are the digits 4 to 9). The character is written in
/// the canvas's font with its cell centred on (X, Y) (half the width and height, truncated);
/// the font colour is left at the pen colour and the brush style clear.
void DrawMarkOnCanvas(TCanvas& Canvas, std::uint8_t MarkType, std::int32_t X, std::int32_t Y);

/// CreateMarkAsBitmap
/// A new square bitmap of side 2 x Size + 7 filled with BkgColor, with the mark drawn in
/// MarkColor on its centre (Size + 3, Size + 3). Size is clamped to 0..255, so the side is 7
/// to 517 pixels.
std::unique_ptr<TBitmap> CreateMarkAsBitmap(std::uint8_t MarkType, TColor MarkColor,
                                            TColor BkgColor, std::int32_t Size);

/// DrawRectangle
/// The outline of the rectangle in the current pen as one path: (Left, Top) down to
/// (Left, Bottom), across to (Right, Bottom), up to (Right, Top) and back to (Left, Top).
/// Unlike TCanvas::Rectangle it includes the right and bottom edge and fills nothing.
void DrawRectangle(TCanvas& Canvas, std::int32_t Left, std::int32_t Top, std::int32_t Right,
                   std::int32_t Bottom);

/// DrawFrame
/// A frame of the given style on the rectangle's edges. fsNone, and any value beyond
/// fsEngraved, draws nothing. fsSimple is DrawRectangle in ColorLine. The other styles draw
/// two nested one-pixel rings, the outer on the rectangle's edges, each with one colour on
/// its top and left and another on its bottom and right:
///
/// @code
///   style        outer top/left  outer bottom/right  inner top/left  inner bottom/right
///   fsLowered    shadow          highlight           dark shadow     light
///   fsRaised     highlight       dark shadow         light           shadow
///   fsEmbossed   highlight       shadow              shadow          highlight
///   fsEngraved   shadow          highlight           highlight       shadow
/// @endcode
///
/// The pen is left in the last colour used.
void DrawFrame(TCanvas& Canvas, TFrameStyle Style, std::int32_t Left, std::int32_t Top,
               std::int32_t Right, std::int32_t Bottom, TColor ColorHighLight, TColor ColorLight,
               TColor ColorShadow, TColor ColorDarkShadow, TColor ColorLine);

/// PrintBitmap
/// Copies Bitmap pixel for printer pixel onto the open document's page of Printer() with its
/// top-left corner at (X, Y), clipped to the page; no scaling. Without an open document
/// nothing is printed (and nothing reported).
void PrintBitmap(const TBitmap& Bitmap, std::int32_t X, std::int32_t Y);

/// FontIsTrueType
/// Whether the installed font family FontName (letters compared without case) is a TrueType
/// font as fontconfig reports its format. A family that is not installed raises EKEZError
/// `Font "<name>" is not installed`.
bool FontIsTrueType(StringView FontName);

/// SetCanvasFontSizeScaled
/// Sets the canvas font's size as the screen would have it: the font gets the pixel height
/// that Size points have at the screen's resolution, and keeps its own PixelsPerInch. Text on
/// the printer or a bitmap thus has the pixels it would have on screen.
void SetCanvasFontSizeScaled(TCanvas& Canvas, std::int32_t Size);

KEZ_API_END
}  // namespace kez
