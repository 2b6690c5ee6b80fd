/// @file
/// The drawing tools a canvas holds: the pen for lines and outlines, the brush for fills and
/// text backgrounds, and the font for text. Each tool is a small persistent object that tells
/// its OnChange handler about every change and copies itself with Assign.
///
/// @code
///   kez::TFont font;
///   font.SetName(u"DejaVu Serif");
///   font.SetSize(10);                  // Height() == -13 at 96 pixels per inch
///   font.SetStyle({kez::fsBold});
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/graphtypes.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TGraphicsObject
/// Base of the tools: an OnChange event fired after every setter, also when the value does
/// not change, and never by Assign's individual fields (Assign fires it once).
class TGraphicsObject : public TPersistent {
 public:
  /// OnChange / SetOnChange: the handler called after every change; empty at first.
  ///@{
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  ///@}

 protected:
  /// Calls OnChange with this object as sender, if a handler is set.
  void Changed();

 private:
  TNotifyEvent FOnChange;
};

/// TPen
/// Colour, width and style of lines and outlines. A new pen is black, one pixel wide, solid.
/// Widths below 1 draw one pixel wide and are stored as 1; widths above 4096 are stored as
/// 4096. The dash styles apply to one-pixel pens; wider pens draw every style but psClear
/// solid.
class TPen : public TGraphicsObject {
 public:
  /// Color / SetColor: the colour of the line.
  ///@{
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  ///@}
  /// Width / SetWidth: the width in pixels, stored clamped to 1..4096.
  ///@{
  std::int32_t Width() const { return FWidth; }
  void SetWidth(std::int32_t Value);
  ///@}
  /// Style / SetStyle: solid, dashed, dotted or clear (no line).
  ///@{
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  ///@}

  /// Assign copies colour, width and style of another pen.
  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = 0x000000;
  std::int32_t FWidth = 1;
  TPenStyle FStyle = psSolid;
};

/// TBrush
/// Colour and style of fills. A new brush is white and solid.
class TBrush : public TGraphicsObject {
 public:
  /// Color / SetColor: the fill colour.
  ///@{
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  ///@}
  /// Style / SetStyle: a solid fill, a hatch pattern, or none (bsClear).
  ///@{
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  ///@}

  /// Assign copies colour and style of another brush.
  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = 0xFFFFFF;
  TBrushStyle FStyle = bsSolid;
};

/// TFont
/// Name, size, colour and styles of text, and the resolution the size is measured at.
///
/// The font holds its Height in pixels; Size is derived from it: Size = -Height x 72 /
/// PixelsPerInch and Height = -Size x PixelsPerInch / 72, both rounded half away from zero.
/// A negative Height is the character height (the em of the face), a positive one the
/// height of the whole text cell (ascent plus descent); 0 means the default height.
/// Setting PixelsPerInch keeps Height, so the same Height reads as another Size; that is how
/// a size is carried between devices of different resolution.
///
/// A new font is "DejaVu Sans", 8 points at the screen's 96 pixels per inch (Height -11),
/// black, without styles. The name is matched through fontconfig when text is drawn; a name
/// that is not installed draws with the face fontconfig substitutes.
class TFont : public TGraphicsObject {
 public:
  TFont();

  /// Name / SetName: the family name matched through fontconfig.
  ///@{
  const String& Name() const { return FName; }
  void SetName(String Value);
  ///@}
  /// Size / SetSize: the size in points, derived from Height and PixelsPerInch; SetSize sets
  /// Height.
  ///@{
  std::int32_t Size() const;
  void SetSize(std::int32_t Value);
  ///@}
  /// Height / SetHeight: the height in pixels (negative: the character height; positive: the cell
  /// height; 0: the default).
  ///@{
  std::int32_t Height() const { return FHeight; }
  void SetHeight(std::int32_t Value);
  ///@}
  /// Color / SetColor: the colour of the text.
  ///@{
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  ///@}
  /// Style / SetStyle: bold, italic, underline and strike-out, as a set.
  ///@{
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  ///@}

  /// PixelsPerInch / SetPixelsPerInch
  /// The resolution Size is measured at; values below 1 are ignored.
  ///@{
  std::int32_t PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(std::int32_t Value);
  ///@}

  /// Assign
  /// Copies name, styles, colour and Height of another font. When the two resolutions
  /// differ, the Size is copied instead of the Height, so text keeps its size in points on
  /// the other device. The own PixelsPerInch is kept.
  void Assign(TPersistent* Source) override;

 private:
  String FName;
  std::int32_t FHeight = -11;
  TColor FColor = 0x000000;
  TFontStyles FStyle;
  std::int32_t FPixelsPerInch = 96;
};

/// MulDiv
/// Number x Numerator / Denominator with a 64-bit intermediate, rounded half away from zero;
/// -1 for a zero denominator and for a result beyond 32 bits.
std::int32_t MulDiv(std::int32_t Number, std::int32_t Numerator, std::int32_t Denominator);

KEZ_API_END
}  // namespace kez
