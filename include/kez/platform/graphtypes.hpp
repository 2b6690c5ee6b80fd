/// @file
/// Small value types of the graphics framework that the library's vocabulary and drawing
/// code name: integer points and rectangles, horizontal text alignment, font-style flags and
/// their set, pen and brush styles, and the resolution of system-colour references.
///
/// @code
///   kez::TPoint p{10, 20};
///   kez::TAlignment a = kez::taCenter;
///   kez::TFontStyles s{kez::fsBold, kez::fsUnderline};   // s.Contains(kez::fsBold)
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TPoint
/// A point on a canvas in integer pixel coordinates.
struct TPoint {
  std::int32_t X;  ///< Horizontal pixel coordinate, growing to the right.
  std::int32_t Y;  ///< Vertical pixel coordinate, growing downwards.
  /// Equal when both coordinates are equal.
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

/// TRect
/// A rectangle of canvas pixels; Right and Bottom lie just outside it, as the canvas's
/// shapes take their corners.
struct TRect {
  std::int32_t Left;  ///< The first column inside.
  std::int32_t Top;  ///< The first row inside.
  std::int32_t Right;  ///< The first column to the right, outside.
  std::int32_t Bottom;  ///< The first row below, outside.
  /// Equal when all four edges are equal.
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
  std::uint8_t Bits = 0;  ///< The set as a bit mask.

  ///@{
  constexpr TFontStyles() = default;
  /// The empty set, or the set of the styles listed.
  constexpr TFontStyles(std::initializer_list<TFontStyle> Styles) {
    for (TFontStyle s : Styles) Include(s);
  }
  ///@}
  /// True when S is in the set.
  constexpr bool Contains(TFontStyle S) const { return (Bits >> S) & 1u; }
  /// Adds S to the set; returns the set.
  constexpr TFontStyles& Include(TFontStyle S) {
    Bits = static_cast<std::uint8_t>(Bits | (1u << S));
    return *this;
  }
  /// Removes S from the set; returns the set.
  constexpr TFontStyles& Exclude(TFontStyle S) {
    Bits = static_cast<std::uint8_t>(Bits & ~(1u << S));
    return *this;
  }
  /// True for the empty set.
  constexpr bool Empty() const { return Bits == 0; }
  /// Equal when both sets hold the same styles.
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

KEZ_API_END
}  // namespace kez
