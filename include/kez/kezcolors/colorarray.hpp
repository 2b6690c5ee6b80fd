/// @file
/// TColorArray, the predefined palettes and the named colours. Included through
/// kez/kezcolors.hpp.
///
/// @code
///   kez::TColorArray palette(nullptr);           // 1000 entries of the rainbow palette
///   palette.FillByInterpolation(0, {kez::clBlack, kez::clWhite});
///   palette.StoreOnFile(1, 1000, u"grey.pal");
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "kez/kezcolors/conversions.hpp"
#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/rangearray.hpp"
#include "kez/platform/textfile.hpp"

namespace kez {
KEZ_API_BEGIN

/// The predefined palettes.
/// ColorArray_Geo1: for maps, water blue, then greens through pale yellow and browns to white.
inline constexpr std::array<TColor, 11> ColorArray_Geo1 = {
    RRGGBB(0xBDD2DE), RRGGBB(0x639F63), RRGGBB(0x88BA89), RRGGBB(0xADCFA7),
    RRGGBB(0xD2E5C5), RRGGBB(0xF5F1CB), RRGGBB(0xEACE96), RRGGBB(0xD8AE6C),
    RRGGBB(0xBD8635), RRGGBB(0x946542), RRGGBB(0xFCFAF0)};
/// ColorArray_Geo2: muted map colours: blues, then olive to tan.
inline constexpr std::array<TColor, 11> ColorArray_Geo2 = {
    RRGGBB(0x7FAEDF), RRGGBB(0x8CB6DE), RRGGBB(0x9BBEE3), RRGGBB(0xADC9E2),
    RRGGBB(0xBBCCDC), RRGGBB(0xACBB90), RRGGBB(0xC6C999), RRGGBB(0xDAD7A4),
    RRGGBB(0xDAC8A1), RRGGBB(0xC5B69A), RRGGBB(0xC8AC96)};
/// ColorArray_Geo3: vivid map colours: blues, then greens, yellow and browns.
inline constexpr std::array<TColor, 11> ColorArray_Geo3 = {
    RRGGBB(0x2B8AFF), RRGGBB(0x439CFF), RRGGBB(0x61AFFF), RRGGBB(0x89CAFF),
    RRGGBB(0xA8D1F9), RRGGBB(0x85A84A), RRGGBB(0xC2CA5D), RRGGBB(0xF4ED74),
    RRGGBB(0xF4C76D), RRGGBB(0xC09C5F), RRGGBB(0xC78556)};
/// ColorArray_Rainbow: dark violet through blue, cyan, green, yellow and red to dark red.
inline constexpr std::array<TColor, 11> ColorArray_Rainbow = {
    RRGGBB(0x200040), RRGGBB(0x600080), RRGGBB(0x0012EF), RRGGBB(0x006EF5),
    RRGGBB(0x00F4FF), RRGGBB(0x18FF00), RRGGBB(0xFFF600), RRGGBB(0xFFC100),
    RRGGBB(0xFF1300), RRGGBB(0x8D0000), RRGGBB(0x400000)};
/// ColorArray_Circle: the colour circle, red, yellow, green, cyan, blue, magenta and back to red.
inline constexpr std::array<TColor, 7> ColorArray_Circle = {
    RRGGBB(0xFF0000), RRGGBB(0xFFFF00), RRGGBB(0x00FF00), RRGGBB(0x00FFFF),
    RRGGBB(0x0000FF), RRGGBB(0xFF00FF), RRGGBB(0xFF0000)};
/// ColorArray_MorgenStemning: a dawn, black through dark blue, purple, red and orange to yellow and
/// white.
inline constexpr std::array<TColor, 7> ColorArray_MorgenStemning = {
    RRGGBB(0x000000), RRGGBB(0x0E2F4E), RRGGBB(0x802874), RRGGBB(0xC21B71),
    RRGGBB(0xEF614C), RRGGBB(0xFFFB2A), RRGGBB(0xFFFFFF)};
/// ColorArray_Contrast: 16 colours that are easy to tell apart, starting with black, blue, green
/// and red.
inline constexpr std::array<TColor, 16> ColorArray_Contrast = {
    RRGGBB(0x000000), RRGGBB(0x0000FF), RRGGBB(0x008000), RRGGBB(0xFF0000),
    RRGGBB(0xFF8000), RRGGBB(0x808080), RRGGBB(0x804040), RRGGBB(0xFF00FF),
    RRGGBB(0x000080), RRGGBB(0x00FF00), RRGGBB(0x18CDC5), RRGGBB(0x008080),
    RRGGBB(0x8000FF), RRGGBB(0xEEE141), RRGGBB(0x800080), RRGGBB(0xFF0080)};

/// PredefinedColors
/// The 16 basic colours (rows 1-16 of the named colours), four further standard colours, and
/// 27 references to system colours (high byte 0xFF, low byte the system colour's index) with
/// the default-colour and no-colour values among them.
extern const std::array<TColor, 47> PredefinedColors;

/// X11Colors
/// 145 colours of the X Window System palette.
extern const std::array<TColor, 145> X11Colors;

/// AllKEZColorNames / AllKEZColors
/// The 466 named colours, rows 1-466: the 16 web colours and three standard ones, then the
/// colours of the X Window System database in alphabetical order of their names.
///@{
extern const RangeArray<StringView, 1, 466> AllKEZColorNames;
extern const RangeArray<TColor, 1, 466> AllKEZColors;
///@}

/// ObtainColorName
/// The name of the first named colour equal to c in all 32 bits, or ColorToHexStr(c).
String ObtainColorName(TColor c);

/// TColorArray
/// A resizable palette component, 1-based. Errors raise EKEZColArrayError in the component
/// wording ("not enough memory on heap" when constructing, "not enough memory" when resizing);
/// the file operations never raise and report through their result.
class TColorArray : public TComponent {
 public:
  /// Starts with 1000 entries filled by FillByInterpolation(0, ColorArray_Rainbow).
  explicit TColorArray(TComponent* AOwner);

  /// Size / SetSize
  /// The number of entries. SetSize ignores values of 0 or less and the current size.
  ///@{
  std::int32_t Size() const { return FNColors; }
  void SetSize(std::int32_t Value);
  ///@}

  /// Resize
  /// true without change for the current size, false for n < 1; otherwise resizes (kept
  /// entries keep their colour, new ones are black), raises OnChange and gives true.
  bool Resize(std::int32_t n);

  /// GetColorElem / ColorElem
  /// The entry at ix; an index below 1 reads entry 1 and one above Size the last entry.
  ///@{
  TColor GetColorElem(std::int32_t ix) const;
  TColor ColorElem(std::int32_t ix) const { return GetColorElem(ix); }
  TColor operator[](std::int32_t ix) const { return GetColorElem(ix); }
  ///@}

  /// SetColorElem
  /// Stores c at ix and raises OnChange; ignored unless 1 <= ix <= Size.
  void SetColorElem(std::int32_t ix, TColor c);

  /// Fill: every entry c.
  void Fill(TColor c);

  /// FillByInterpolation
  /// Spreads the colours evenly over the array, interpolating between neighbours, so that
  /// the last entry is the last colour. With DiscreteLevels > 0 the array is cut into that
  /// many bands of one colour each. One colour fills every entry with it; no colour changes
  /// nothing. With fewer entries than colours, entry i is the point H·k/N of the path
  /// through the colours (H = colours − 1, N = Size, k = i or its band), so every entry
  /// lies within the palette; longer arrays follow the classic spread, whose entries may
  /// take the next colour a little early.
  ///@{
  void FillByInterpolation(std::int32_t DiscreteLevels, std::span<const TColor> Colors);
  void FillByInterpolation(std::int32_t DiscreteLevels, std::initializer_list<TColor> Colors) {
    FillByInterpolation(DiscreteLevels, std::span<const TColor>(Colors.begin(), Colors.size()));
  }
  ///@}

  /// MirrorColors: reverses the order. InvertColors: InvertColor of every entry.
  ///@{
  void MirrorColors();
  void InvertColors();
  ///@}

  /// ColorToIndex
  /// The index of the entry nearest to c (RGBColorDistance), its distance in Distance. Only a
  /// strictly nearer entry replaces the one found, starting from index 1 at distance 1, so the
  /// first of equally near entries wins.
  std::int32_t ColorToIndex(TColor c, double& Distance) const;

  /// CopyFrom
  /// Copies Source's entries SourceLo..SourceHi (each clamped to Source's range, exchanged if
  /// reversed) to DestElem, DestElem + 1, ...; positions outside this array are skipped. The
  /// array may be its own source: the entries are copied from a snapshot. Nothing for a null
  /// source.
  void CopyFrom(const TColorArray* Source, std::int32_t SourceLo, std::int32_t SourceHi,
                std::int32_t DestElem);

  /// IsEqual: same size and all entries equal.
  bool IsEqual(const TColorArray& Other) const;

  /// Assign
  /// From a TColorArray: size and entries (not the OnChange handler, no OnChange).
  void Assign(TPersistent* Source) override;

  /// The file format: a header line "FirstElem LastElem", then one line per entry with its
  /// 8-digit hexadecimal value (ColorToHexStr).
  ///
  /// WriteToOpenTextFile / StoreOnFile
  /// Write entries FirstElem..LastElem (exchanged if reversed, clamped to 1..Size); false when
  /// a write fails (the error is swallowed). StoreOnFile creates or overwrites the file.
  ///@{
  bool WriteToOpenTextFile(TextFile& f, std::int32_t FirstElem, std::int32_t LastElem);
  bool StoreOnFile(std::int32_t FirstElem, std::int32_t LastElem, StringView FileName);
  ///@}

  /// ReadFromOpenTextFile / LoadFromFile
  /// Read a range written as above. With AdjustSize the array is first resized to LastElem
  /// (a LastElem below 1 leaves the size unchanged). A LastElem beyond Size then gives false
  /// without reading entries. Each line is read as hexadecimal (leading blanks and a "$"
  /// allowed, a line without digits gives 0) and stored through SetColorElem, so positions
  /// below 1 are read and dropped. The end of the file ends the reading with false; an
  /// unreadable header or a missing file gives false. With AdjustSize, a header asking for
  /// more entry lines than the rest of the file could hold (one byte each at least), or for a
  /// size beyond both the current size and the rest of the file's length, gives false before
  /// anything is resized. OnChange is raised once more at the end.
  ///@{
  bool ReadFromOpenTextFile(TextFile& f, bool AdjustSize);
  bool LoadFromFile(StringView FileName, bool AdjustSize);
  ///@}

  /// OnChange / SetOnChange
  ///@{
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  ///@}

  /// Changed
  /// Raises OnChange (if a handler is set); callers use it to announce a batch of changes.
  void Changed();

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  std::int32_t FNColors = 1000;
  std::vector<TColor> FColArray;
  TNotifyEvent FOnChange;
};

KEZ_API_END
}  // namespace kez
