// Rasterisation helpers shared by the canvas's files: clipped spans and dots on a raster,
// the pixel rows of an ellipse, and the pen's stamps.
#pragma once

#include <cstdint>

#include "kez/platform/graphics_canvas.hpp"

namespace kez::detail {

// 128-bit integers keep the shape arithmetic exact over the whole 32-bit coordinate range.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// The pixels a canvas draws into (see TCanvas::TRaster).
struct TRasterView {
  std::uint32_t* Data;
  std::int32_t Width;
  std::int32_t Height;
  std::ptrdiff_t Stride;
};

// 0x00RRGGBB of a TColor, and back.
inline std::uint32_t ToRaster(TColor Color) {
  const TColor c = ColorToRGB(Color);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline TColor FromRaster(std::uint32_t Pixel) {
  return ((Pixel & 0xFF) << 16) | (Pixel & 0xFF00) | ((Pixel >> 16) & 0xFF);
}

// FillSpan paints pixels X0..X1 (inclusive) of row Y, clipped; nothing when X1 < X0.
void FillSpan(const TRasterView& R, std::int64_t Y, std::int64_t X0, std::int64_t X1,
              std::uint32_t Pixel);

// BrushSpan fills pixels X0..X1 of row Y with the brush: solid, hatched or not at all.
void BrushSpan(const TRasterView& R, const TBrush& Brush, std::int64_t Y, std::int64_t X0,
               std::int64_t X1);

// A row of an ellipse: the covered pixels L..R, or none.
struct TRowSpan {
  std::int64_t L = 0;
  std::int64_t R = -1;
  bool Empty() const { return R < L; }
};

// EllipseRow
// The pixels of row Y covered by the ellipse in the box X1 <= x < X2, Y1 <= y < Y2 (a
// non-empty box): those whose centres lie in the ellipse touching the box's outer edges.
TRowSpan EllipseRow(std::int64_t X1, std::int64_t Y1, std::int64_t X2, std::int64_t Y2,
                    std::int64_t Y);

// PenStamp paints the pen's dot centred on (X, Y): one pixel, or a disc as wide as the pen.
void PenStamp(const TRasterView& R, std::int32_t Width, std::uint32_t Pixel, std::int64_t X,
              std::int64_t Y);

// DrawLine
// The pen's line from (X0, Y0) towards (X1, Y1) without the end point; a line of length 0
// paints its point. Phase counts the pixels of the current dash pattern and moves on.
void DrawLine(const TRasterView& R, const TPen& Pen, std::int64_t X0, std::int64_t Y0,
              std::int64_t X1, std::int64_t Y1, std::int64_t& Phase);

}  // namespace kez::detail
