/// @file
/// Small value types of the graphics framework that the library's vocabulary and drawing
/// code name: integer points and rectangles, horizontal text alignment, font-style flags and
/// their set, pen and brush styles, and the resolution of system-colour references.
///
///   kez::TPoint p{10, 20};
///   kez::TAlignment a = kez::taCenter;
///   kez::TFontStyles s{kez::fsBold, kez::fsUnderline};   // s.Contains(kez::fsBold)
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "kez/platform/types.hpp"

namespace kez {

/// TPoint
/// A point on a canvas in integer pixel coordinates.
struct TPoint {
  std::int32_t X;
  std::int32_t Y;
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

/// TRect
/// A rectangle of canvas pixels; Right and Bottom lie just outside it, as the canvas's
/// shapes take their corners.
struct TRect {
  std::int32_t Left;
  std::int32_t Top;
  std::int32_t Right;
  std::int32_t Bottom;
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

/// TAlignment
/// Horizontal alignment of text within its box.
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

/// TFontStyle
/// One style flag of a font; a set of them is a bit mask with bit n for the member of
/// ordinal n.
enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

/// TFontStyles
/// A set of font styles: bit n of Bits holds the member of ordinal n.
struct TFontStyles {
  std::uint8_t Bits = 0;

  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> Styles) {
    for (TFontStyle s : Styles) Include(s);
  }
  constexpr bool Contains(TFontStyle S) const { return (Bits >> S) & 1u; }
  constexpr TFontStyles& Include(TFontStyle S) {
    Bits = static_cast<std::uint8_t>(Bits | (1u << S));
    return *this;
  }
  constexpr TFontStyles& Exclude(TFontStyle S) {
    Bits = static_cast<std::uint8_t>(Bits & ~(1u << S));
    return *this;
  }
  constexpr bool Empty() const { return Bits == 0; }
  friend constexpr bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

/// TPenStyle
/// How a pen draws lines: solid, dashed in one of four patterns, not at all (psClear),
/// solid inside a shape's frame, a user pattern (drawn solid here) or every other pixel.
enum TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate
};

/// TBrushStyle
/// How a brush fills: solid, not at all (bsClear), or with one of six hatch patterns whose
/// lines are painted in the brush colour over what lies below.
enum TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

/// ColorToRGB
/// The plain RGB colour a canvas paints for a TColor. A system-colour reference (high byte
/// 0xFF, index in the low byte) resolves to the classic default of that system colour (so
/// 0xFF00000F, the button face, is silver); an index beyond the table gives black. Any other
/// value keeps its three low bytes, so the special values "no colour" and "default colour"
/// paint white and black.
TColor ColorToRGB(TColor Color);

}  // namespace kez
