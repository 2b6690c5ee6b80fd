// The canvas's filled shapes: rectangles, ellipses, polygons.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "kez/platform/graphics_canvas.hpp"
#include "platform/canvas_internal.hpp"

namespace kez {

using detail::Int128;

namespace {

// The canvas's raster as the helpers take it (TCanvas::TRaster is protected).
template <class TRasterOf>
detail::TRasterView View(const TRasterOf& R) {
  return {R.Data, R.Width, R.Height, R.Stride};
}

}  // namespace

void TCanvas::FillRect(const TRect& R) {
  const detail::TRasterView v = View(Raster());
  const std::int64_t x1 = std::min(R.Left, R.Right), x2 = std::max(R.Left, R.Right);
  const std::int64_t y1 = std::min(R.Top, R.Bottom), y2 = std::max(R.Top, R.Bottom);
  const std::int64_t top = std::max<std::int64_t>(y1, 0);
  const std::int64_t bottom = std::min<std::int64_t>(y2, v.Height);
  for (std::int64_t y = top; y < bottom; ++y) detail::BrushSpan(v, FBrush, y, x1, x2 - 1);
}

void TCanvas::Rectangle(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) {
  const detail::TRasterView v = View(Raster());
  std::int64_t x1 = std::min(X1, X2), x2 = std::max(X1, X2);
  std::int64_t y1 = std::min(Y1, Y2), y2 = std::max(Y1, Y2);
  if (x1 == x2 || y1 == y2) return;
  const bool pen = FPen.Style() != psClear;
  // An inside-frame pen keeps its whole width within the rectangle.
  if (pen && FPen.Style() == psInsideFrame && FPen.Width() > 1) {
    const std::int64_t half = FPen.Width() / 2;
    x1 = std::min(x1 + half, x2 - 1);
    y1 = std::min(y1 + half, y2 - 1);
    x2 = std::max(x2 - (FPen.Width() - 1) / 2, x1 + 1);
    y2 = std::max(y2 - (FPen.Width() - 1) / 2, y1 + 1);
  }
  const std::int64_t inset = pen ? 1 : 0;
  const std::int64_t top = std::max<std::int64_t>(y1 + inset, 0);
  const std::int64_t bottom = std::min<std::int64_t>(y2 - inset, v.Height);
  for (std::int64_t y = top; y < bottom; ++y) {
    detail::BrushSpan(v, FBrush, y, x1 + inset, x2 - 1 - inset);
  }
  if (!pen) return;
  std::int64_t phase = 0;
  const std::int64_t r = x2 - 1, b = y2 - 1;
  detail::DrawLine(v, FPen, x1, y1, r, y1, phase);
  detail::DrawLine(v, FPen, r, y1, r, b, phase);
  detail::DrawLine(v, FPen, r, b, x1, b, phase);
  detail::DrawLine(v, FPen, x1, b, x1, y1, phase);
}

void TCanvas::Ellipse(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) {
  const detail::TRasterView v = View(Raster());
  const std::int64_t x1 = std::min(X1, X2), x2 = std::max(X1, X2);
  const std::int64_t y1 = std::min(Y1, Y2), y2 = std::max(Y1, Y2);
  if (x1 == x2 || y1 == y2) return;
  const bool pen = FPen.Style() != psClear;
  const std::uint32_t pixel = detail::ToRaster(FPen.Color());
  const std::int32_t width = FPen.Width();
  const std::int64_t margin = pen ? width / 2 + 1 : 0;
  const std::int64_t top = std::max<std::int64_t>(y1, -margin);
  const std::int64_t bottom = std::min<std::int64_t>(y2 - 1, v.Height - 1 + margin);
  // The outline of a row is its span less the pixels whose four neighbours are covered.
  detail::TRowSpan above = detail::EllipseRow(x1, y1, x2, y2, top - 1);
  detail::TRowSpan row = detail::EllipseRow(x1, y1, x2, y2, top);
  for (std::int64_t y = top; y <= bottom; ++y) {
    const detail::TRowSpan below = detail::EllipseRow(x1, y1, x2, y2, y + 1);
    if (!row.Empty()) {
      detail::BrushSpan(v, FBrush, y, row.L, row.R);
      if (pen) {
        std::int64_t inL = row.L + 1, inR = row.R - 1;
        if (above.Empty() || below.Empty()) {
          inR = inL - 1;
        } else {
          inL = std::max({inL, above.L, below.L});
          inR = std::min({inR, above.R, below.R});
        }
        const auto outline = [&](std::int64_t a, std::int64_t b) {
          if (width <= 1) {
            detail::FillSpan(v, y, a, b, pixel);
            return;
          }
          a = std::max(a, -margin);
          b = std::min<std::int64_t>(b, v.Width - 1 + margin);
          for (std::int64_t x = a; x <= b; ++x) detail::PenStamp(v, width, pixel, x, y);
        };
        if (inR < inL) {
          outline(row.L, row.R);
        } else {
          outline(row.L, inL - 1);
          outline(inR + 1, row.R);
        }
      }
    }
    above = row;
    row = below;
  }
}

namespace {

// A crossing of a polygon edge with a pixel row, at x = Num / Den (Den > 0), in integers of
// type I wide enough for the polygon's coordinates.
template <class I>
struct TCrossing {
  I Num;
  I Den;
};

template <class I>
I CeilDiv(I A, I B) {
  const I q = A / B;
  return (A % B != 0 && A > 0) ? q + 1 : q;
}

template <class I>
I FloorDiv(I A, I B) {
  const I q = A / B;
  return (A % B != 0 && A < 0) ? q - 1 : q;
}

// Fills rows YMin..YMax (on the canvas) of the polygon with the brush by the even-odd rule.
template <class I>
void FillPolygon(const detail::TRasterView& V, const TBrush& Brush, std::span<const TPoint> Points,
                 std::int64_t YMin, std::int64_t YMax) {
  std::vector<TCrossing<I>> crossings;
  for (std::int64_t y = YMin; y <= YMax; ++y) {
    // Each edge counts on the rows from its upper end to just above its lower end, so a
    // vertex shared by two edges is crossed once or twice as the even-odd rule needs.
    crossings.clear();
    for (std::size_t i = 0; i < Points.size(); ++i) {
      const TPoint& a = Points[i];
      const TPoint& b = Points[(i + 1) % Points.size()];
      if (a.Y == b.Y) continue;
      const TPoint& lo = a.Y < b.Y ? a : b;
      const TPoint& hi = a.Y < b.Y ? b : a;
      if (y < lo.Y || y >= hi.Y) continue;
      const I den = I{hi.Y} - I{lo.Y};
      crossings.push_back({I{lo.X} * den + (I{y} - I{lo.Y}) * (I{hi.X} - I{lo.X}), den});
    }
    std::sort(crossings.begin(), crossings.end(), [](const TCrossing<I>& A, const TCrossing<I>& B) {
      return A.Num * B.Den < B.Num * A.Den;
    });
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const I from = CeilDiv(crossings[i].Num, crossings[i].Den);
      const I to = FloorDiv(crossings[i + 1].Num, crossings[i + 1].Den);
      if (to < from) continue;
      detail::BrushSpan(V, Brush, y, static_cast<std::int64_t>(from),
                        static_cast<std::int64_t>(to));
    }
  }
}

}  // namespace

void TCanvas::Polygon(std::span<const TPoint> Points) {
  if (Points.size() < 2) return;
  const detail::TRasterView v = View(Raster());
  if (FBrush.Style() != bsClear) {
    std::int64_t ymin = Points[0].Y, ymax = Points[0].Y;
    bool small = true;
    for (const TPoint& p : Points) {
      ymin = std::min<std::int64_t>(ymin, p.Y);
      ymax = std::max<std::int64_t>(ymax, p.Y);
      small = small && std::abs(p.X) <= (1 << 18) && std::abs(p.Y) <= (1 << 18);
    }
    ymin = std::max<std::int64_t>(ymin, 0);
    ymax = std::min<std::int64_t>(ymax, v.Height - 1);
    // Within 2^18 of the origin every product of the fill fits 64 bits; beyond, 128 do.
    if (small) {
      FillPolygon<std::int64_t>(v, FBrush, Points, ymin, ymax);
    } else {
      FillPolygon<Int128>(v, FBrush, Points, ymin, ymax);
    }
  }
  std::int64_t phase = 0;
  for (std::size_t i = 0; i < Points.size(); ++i) {
    const TPoint& a = Points[i];
    const TPoint& b = Points[(i + 1) % Points.size()];
    detail::DrawLine(v, FPen, a.X, a.Y, b.X, b.Y, phase);
  }
}

}  // namespace kez
