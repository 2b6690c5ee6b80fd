// Small value types of the graphics framework that the library's vocabulary and drawing
// code name: integer points, horizontal text alignment and font-style flags.
//
//   kez::TPoint p{10, 20};
//   kez::TAlignment a = kez::taCenter;
#pragma once

#include <cstdint>

namespace kez {

// TPoint
// A point on a canvas in integer pixel coordinates.
struct TPoint {
  std::int32_t X;
  std::int32_t Y;
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

// TAlignment
// Horizontal alignment of text within its box.
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

// TFontStyle
// One style flag of a font; a set of them is a bit mask with bit n for the member of
// ordinal n.
enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

}  // namespace kez
