// The canvas: pixels, the pen position and lines, and the raster helpers below the shapes.
#include <algorithm>
#include <array>
#include <cmath>

#include "kez/platform/graphics_bitmap.hpp"
#include "kez/platform/graphics_canvas.hpp"
#include "platform/canvas_internal.hpp"

namespace kez {
namespace detail {
namespace {

// Dash patterns of one-pixel pens as run lengths, on first: the dash, dot, dash-dot and
// dash-dot-dot of the classic cosmetic pens, and every other pixel.
struct TDash {
  std::array<std::uint8_t, 6> Runs;
  std::uint8_t Count;
  std::uint8_t Period;
};
constexpr TDash kDash{{18, 6}, 2, 24};
constexpr TDash kDot{{3, 3}, 2, 6};
constexpr TDash kDashDot{{9, 6, 3, 6}, 4, 24};
constexpr TDash kDashDotDot{{9, 3, 3, 3, 3, 3}, 6, 24};
constexpr TDash kAlternate{{1, 1}, 2, 2};

const TDash* DashOf(const TPen& Pen) {
  if (Pen.Width() > 1) return nullptr;
  switch (Pen.Style()) {
    case psDash:
      return &kDash;
    case psDot:
      return &kDot;
    case psDashDot:
      return &kDashDot;
    case psDashDotDot:
      return &kDashDotDot;
    case psAlternate:
      return &kAlternate;
    default:
      return nullptr;
  }
}

bool DashOn(const TDash& Dash, std::int64_t Index) {
  std::int64_t pos = Index % Dash.Period;
  for (std::uint8_t k = 0; k < Dash.Count; ++k) {
    if (pos < Dash.Runs[k]) return k % 2 == 0;
    pos -= Dash.Runs[k];
  }
  return false;
}

// floor(A / B) for B > 0.
Int128 FloorDiv(Int128 A, Int128 B) {
  const Int128 q = A / B;
  return (A % B != 0 && A < 0) ? q - 1 : q;
}

}  // namespace

void FillSpan(const TRasterView& R, std::int64_t Y, std::int64_t X0, std::int64_t X1,
              std::uint32_t Pixel) {
  if (Y < 0 || Y >= R.Height) return;
  X0 = std::max<std::int64_t>(X0, 0);
  X1 = std::min<std::int64_t>(X1, R.Width - 1);
  if (X1 < X0) return;
  std::uint32_t* row = R.Data + Y * R.Stride;
  std::fill(row + X0, row + X1 + 1, Pixel);
}

void BrushSpan(const TRasterView& R, const TBrush& Brush, std::int64_t Y, std::int64_t X0,
               std::int64_t X1) {
  const TBrushStyle style = Brush.Style();
  if (style == bsClear) return;
  const std::uint32_t pixel = ToRaster(Brush.Color());
  if (style == bsSolid || style > bsDiagCross) {
    FillSpan(R, Y, X0, X1, pixel);
    return;
  }
  if (Y < 0 || Y >= R.Height) return;
  X0 = std::max<std::int64_t>(X0, 0);
  X1 = std::min<std::int64_t>(X1, R.Width - 1);
  // Hatches are 8 x 8 patterns anchored at the canvas origin, so neighbouring fills join.
  for (std::int64_t x = X0; x <= X1; ++x) {
    const bool h = (Y & 7) == 0, v = (x & 7) == 0;
    const bool f = ((x - Y) & 7) == 0, b = ((x + Y) & 7) == 0;
    bool on = false;
    switch (style) {
      case bsHorizontal:
        on = h;
        break;
      case bsVertical:
        on = v;
        break;
      case bsFDiagonal:
        on = f;
        break;
      case bsBDiagonal:
        on = b;
        break;
      case bsCross:
        on = h || v;
        break;
      default:
        on = f || b;
        break;
    }
    if (on) R.Data[Y * R.Stride + x] = pixel;
  }
}

TRowSpan EllipseRow(std::int64_t X1, std::int64_t Y1, std::int64_t X2, std::int64_t Y2,
                    std::int64_t Y) {
  TRowSpan span;
  if (Y < Y1 || Y >= Y2) return span;
  // Doubled offsets from the centre keep everything integral: a pixel's centre lies in the
  // ellipse when (dx/w)^2 + (dy/h)^2 <= 1 with dx, dy its doubled offsets and w, h the box.
  const UInt128 w = static_cast<UInt128>(X2 - X1), h = static_cast<UInt128>(Y2 - Y1);
  const std::int64_t dy = 2 * Y - (Y1 + Y2 - 1);
  const UInt128 ady = static_cast<UInt128>(dy < 0 ? -dy : dy);
  const UInt128 rhs = w * w * (h * h - ady * ady);
  const auto fits = [&](UInt128 k) { return k * k * h * h <= rhs; };
  UInt128 k =
      static_cast<UInt128>(std::sqrt(static_cast<long double>(rhs)) / static_cast<long double>(h));
  if (k > w - 1) k = w - 1;
  while (k > 0 && !fits(k)) --k;
  while (k + 1 <= w - 1 && fits(k + 1)) ++k;
  // Offsets of pixel centres have the parity of w - 1.
  if ((k & 1) != ((w - 1) & 1)) {
    if (k == 0) return span;
    --k;
  }
  const std::int64_t centre2 = X1 + X2 - 1;  // twice the centre; centre2 - k is even
  const auto k64 = static_cast<std::int64_t>(k);
  span.L = (centre2 - k64) / 2;
  span.R = (centre2 + k64) / 2;
  return span;
}

void PenStamp(const TRasterView& R, std::int32_t Width, std::uint32_t Pixel, std::int64_t X,
              std::int64_t Y) {
  if (Width <= 1) {
    if (X >= 0 && Y >= 0 && X < R.Width && Y < R.Height) R.Data[Y * R.Stride + X] = Pixel;
    return;
  }
  const std::int64_t x1 = X - (Width - 1) / 2, y1 = Y - (Width - 1) / 2;
  const std::int64_t top = std::max<std::int64_t>(y1, 0);
  const std::int64_t bottom = std::min<std::int64_t>(y1 + Width - 1, R.Height - 1);
  for (std::int64_t y = top; y <= bottom; ++y) {
    const TRowSpan s = EllipseRow(x1, y1, x1 + Width, y1 + Width, y);
    FillSpan(R, y, s.L, s.R, Pixel);
  }
}

void DrawLine(const TRasterView& R, const TPen& Pen, std::int64_t X0, std::int64_t Y0,
              std::int64_t X1, std::int64_t Y1, std::int64_t& Phase) {
  if (Pen.Style() == psClear) return;
  const std::uint32_t pixel = ToRaster(Pen.Color());
  const std::int32_t width = Pen.Width();
  const TDash* dash = DashOf(Pen);
  const std::int64_t adx = X1 >= X0 ? X1 - X0 : X0 - X1;
  const std::int64_t ady = Y1 >= Y0 ? Y1 - Y0 : Y0 - Y1;
  if (adx == 0 && ady == 0) {
    if (!dash || DashOn(*dash, Phase)) PenStamp(R, width, pixel, X0, Y0);
    ++Phase;
    return;
  }
  // Step along the longer (major) axis; the other coordinate of step i is the start's plus
  // i x minor / major rounded, a tie going away from the start.
  const bool xMajor = adx >= ady;
  const std::int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const std::int64_t majStart = xMajor ? X0 : Y0, minStart = xMajor ? Y0 : X0;
  const std::int64_t majStep = (xMajor ? X1 >= X0 : Y1 >= Y0) ? 1 : -1;
  const std::int64_t minStep = (xMajor ? Y1 >= Y0 : X1 >= X0) ? 1 : -1;
  // Only the steps whose major coordinate lies on the canvas (widened by the pen) are
  // visited, so a line across the whole 32-bit plane costs no more than one across the
  // canvas.
  const std::int64_t margin = width / 2 + 1;
  const std::int64_t extent = (xMajor ? R.Width : R.Height) + margin;
  std::int64_t first = 0, last = major - 1;
  if (majStep > 0) {
    first = std::max(first, -margin - majStart);
    last = std::min(last, extent - 1 - majStart);
  } else {
    first = std::max(first, majStart - (extent - 1));
    last = std::min(last, majStart + margin);
  }
  for (std::int64_t i = first; i <= last; ++i) {
    if (dash && !DashOn(*dash, Phase + i)) continue;
    const auto m = static_cast<std::int64_t>(
        FloorDiv(2 * static_cast<Int128>(i) * minor + major, 2 * static_cast<Int128>(major)));
    const std::int64_t a = majStart + majStep * i, b = minStart + minStep * m;
    PenStamp(R, width, pixel, xMajor ? a : b, xMajor ? b : a);
  }
  Phase += major;
}

}  // namespace detail

TCanvas::TCanvas(std::int32_t PixelsPerInch) { FFont.SetPixelsPerInch(PixelsPerInch); }

TCanvas::~TCanvas() = default;

TRect TCanvas::ClipRect() const {
  const TRaster r = Raster();
  return {0, 0, r.Width, r.Height};
}

TColor TCanvas::Pixels(std::int32_t X, std::int32_t Y) const {
  const TRaster r = Raster();
  if (X < 0 || Y < 0 || X >= r.Width || Y >= r.Height) return 0x1FFFFFFF;
  return detail::FromRaster(r.Data[Y * r.Stride + X]);
}

void TCanvas::SetPixels(std::int32_t X, std::int32_t Y, TColor Color) {
  const TRaster r = Raster();
  if (X < 0 || Y < 0 || X >= r.Width || Y >= r.Height) return;
  r.Data[Y * r.Stride + X] = detail::ToRaster(Color);
}

void TCanvas::MoveTo(std::int32_t X, std::int32_t Y) {
  FPenPos = {X, Y};
  FDashPhase = 0;
}

void TCanvas::LineTo(std::int32_t X, std::int32_t Y) {
  // A line leaves its end point out, so a line of length 0 has no pixels at all.
  if (X == FPenPos.X && Y == FPenPos.Y) return;
  const TRaster r = Raster();
  detail::DrawLine({r.Data, r.Width, r.Height, r.Stride}, FPen, FPenPos.X, FPenPos.Y, X, Y,
                   FDashPhase);
  FPenPos = {X, Y};
}

void TCanvas::Polyline(std::span<const TPoint> Points) {
  if (Points.empty()) return;
  MoveTo(Points[0].X, Points[0].Y);
  for (std::size_t i = 1; i < Points.size(); ++i) LineTo(Points[i].X, Points[i].Y);
}

void TCanvas::Draw(std::int32_t X, std::int32_t Y, const TBitmap& Source) {
  const TRaster r = Raster();
  const std::int64_t x0 = std::max<std::int64_t>(X, 0);
  const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{X} + Source.Width(), r.Width);
  if (x1 <= x0) return;
  for (std::int32_t sy = 0; sy < Source.Height(); ++sy) {
    const std::int64_t y = std::int64_t{Y} + sy;
    if (y < 0) continue;
    if (y >= r.Height) break;
    const std::uint32_t* src = Source.ScanLine(sy) + (x0 - X);
    std::copy(src, src + (x1 - x0), r.Data + y * r.Stride + x0);
  }
}

}  // namespace kez
