// Data-point marks: geometric marks 0 to 51 and character marks 52 to 255.
#include <algorithm>
#include <limits>

#include "kez/kezbase.hpp"

namespace kez {

const std::array<TMarkPattern, 19> MarkPatterns = {{
    {},                                          // 0
    {0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00},  // 1 plus, arms of 1 pixel
    {0x00, 0x08, 0x08, 0x3E, 0x08, 0x08, 0x00},  // 2 plus, arms of 2 pixels
    {0x08, 0x08, 0x08, 0x7F, 0x08, 0x08, 0x08},  // 3 plus, arms of 3 pixels
    {0x00, 0x00, 0x14, 0x08, 0x14, 0x00, 0x00},  // 4 diagonal cross, 3 x 3
    {0x00, 0x22, 0x14, 0x08, 0x14, 0x22, 0x00},  // 5 diagonal cross, 5 x 5
    {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41},  // 6 diagonal cross, 7 x 7
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},                                          // 7 .. 17
    {0x55, 0x2A, 0x55, 0x2A, 0x55, 0x2A, 0x55},  // 18 checkerboard
}};

namespace {

// Marks are drawn around a centre that may lie anywhere in the 32-bit plane; offsets are
// added in 64 bits and held at the limits, which only ever moves points that are far off
// any canvas.
std::int32_t Clamp32(std::int64_t V) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      V, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The drawing vocabulary of the marks, relative to the centre.
class TMarkPainter {
 public:
  TMarkPainter(TCanvas& Canvas, std::int32_t X, std::int32_t Y) : C(Canvas), FX(X), FY(Y) {}

  TPoint P(std::int64_t Dx, std::int64_t Dy) const { return {Clamp32(FX + Dx), Clamp32(FY + Dy)}; }

  void Line(std::int64_t X0, std::int64_t Y0, std::int64_t X1, std::int64_t Y1) {
    const TPoint a = P(X0, Y0), b = P(X1, Y1);
    C.MoveTo(a.X, a.Y);
    C.LineTo(b.X, b.Y);
  }

  void Path(std::initializer_list<TPoint> Offsets) {
    bool first = true;
    for (const TPoint& o : Offsets) {
      const TPoint p = P(o.X, o.Y);
      if (first) {
        C.MoveTo(p.X, p.Y);
      } else {
        C.LineTo(p.X, p.Y);
      }
      first = false;
    }
  }

  // The pen's dot at a point: a line one pixel long, whose end point is left out. (A line
  // from the point to itself paints nothing on this canvas.)
  void PenDot(std::int64_t Dx, std::int64_t Dy) { Line(Dx, Dy, Dx + 1, Dy); }

  void Dot(std::int64_t Dx, std::int64_t Dy) {
    const TPoint p = P(Dx, Dy);
    C.SetPixels(p.X, p.Y, C.Pen().Color());
  }

  // Fill: outline and interior both in the pen colour (the brush style stays as it is).
  void Fill() { C.Brush().SetColor(C.Pen().Color()); }

  // Open shapes are drawn with a clear brush, which is then set back to solid.
  template <class F>
  void Open(F&& Draw) {
    C.Brush().SetStyle(bsClear);
    Draw();
    C.Brush().SetStyle(bsSolid);
  }

  void Rectangle(std::int64_t X1, std::int64_t Y1, std::int64_t X2, std::int64_t Y2) {
    const TPoint a = P(X1, Y1), b = P(X2, Y2);
    C.Rectangle(a.X, a.Y, b.X, b.Y);
  }

  void Ellipse(std::int64_t X1, std::int64_t Y1, std::int64_t X2, std::int64_t Y2) {
    const TPoint a = P(X1, Y1), b = P(X2, Y2);
    C.Ellipse(a.X, a.Y, b.X, b.Y);
  }

  void Polygon(std::initializer_list<TPoint> Offsets) {
    TPoint points[4];
    std::size_t n = 0;
    for (const TPoint& o : Offsets) points[n++] = P(o.X, o.Y);
    C.Polygon(std::span<const TPoint>(points, n));
  }

  void Pattern(const TMarkPattern& Rows) {
    for (int r = 1; r <= 7; ++r) {
      for (int k = 0; k <= 6; ++k) {
        if ((Rows[r - 1] >> k) & 1) Dot(3 - k, r - 4);
      }
    }
  }

  TCanvas& C;

 private:
  std::int64_t FX;
  std::int64_t FY;
};

void DrawGeometricMark(TMarkPainter& M, std::uint8_t Mark, bool Printer) {
  using Pt = TPoint;
  switch (Mark) {
    case 0:
      M.Dot(0, 0);
      break;
    case 1:
    case 2:
    case 3:
      if (Printer) {
        const int d = Mark + 1;
        M.Line(-d, 0, d, 0);
        M.Line(0, -d, 0, d);
      } else {
        M.Pattern(MarkPatterns[Mark]);
      }
      break;
    case 4:
    case 5:
    case 6:
      if (Printer) {
        const int d = Mark - 2;
        M.Line(-d, -d, d, d);
        M.Line(-d, d, d, -d);
      } else {
        M.Pattern(MarkPatterns[Mark]);
      }
      break;
    case 7:
    case 8:
    case 9: {
      const int d = Mark - 6;
      M.Fill();
      M.Rectangle(-d, -d, d + 1, d + 1);
      break;
    }
    case 10:
    case 11:
    case 12: {
      const int d = Mark - 9;
      M.Path({Pt{-d, -d}, Pt{-d, d}, Pt{d, d}, Pt{d, -d}, Pt{-d, -d}});
      break;
    }
    case 13:
    case 19:
      M.Path({Pt{-3, 0}, Pt{0, 3}, Pt{3, 0}, Pt{0, -3}, Pt{-3, 0}});
      if (Mark == 13) M.Dot(0, 0);
      break;
    case 14:
    case 15: {
      const int d = Mark - 12;
      M.Fill();
      M.Polygon({Pt{-d, 0}, Pt{0, d}, Pt{d, 0}, Pt{0, -d}});
      break;
    }
    case 16:
      M.Open([&] { M.Ellipse(-2, -2, 3, 3); });
      break;
    case 17:
      M.Open([&] { M.Ellipse(-3, -3, 4, 4); });
      break;
    case 18:
      if (Printer) {
        for (int i = 1; i <= 7; ++i) {
          for (int j = 1; j <= 7; ++j) {
            if (i % 2 == j % 2) M.PenDot(i - 4, j - 4);
          }
        }
      } else {
        M.Pattern(MarkPatterns[18]);
      }
      break;
    case 20:
    case 21: {
      const int d = Mark - 17;
      M.Line(0, 0, -d, d);
      M.Line(0, 0, d, d);
      break;
    }
    case 22:
    case 23: {
      const int d = Mark - 19;
      M.Line(0, 0, -d, -d);
      M.Line(0, 0, d, -d);
      break;
    }
    case 24:
      M.Fill();
      M.Ellipse(-3, -3, 4, 4);
      break;
    case 25: {
      const int a = Printer ? 3 : 4, b = Printer ? 2 : 3;
      M.Line(-3, -3, a, a);
      M.Line(-3, -2, b, a);
      M.Line(-2, -3, a, b);
      M.Line(-3, 3, a, -a);
      M.Line(-3, 2, b, -a);
      M.Line(-2, 3, a, -b);
      break;
    }
    case 26:
      M.Fill();
      M.Ellipse(-2, -2, 3, 3);
      break;
    case 27:
      M.Open([&] { M.Ellipse(-2, -2, 2, 2); });
      break;
    case 28:
      M.Fill();
      M.Ellipse(-2, -2, 2, 2);
      break;
    case 29:
    case 30:
    case 31:
    case 32: {
      const int d = (Mark == 29 || Mark == 31) ? 2 : 3;
      const auto draw = [&] { M.Polygon({Pt{-d, 0}, Pt{0, d}, Pt{d, 0}}); };
      if (Mark <= 30) {
        M.Fill();
        draw();
      } else {
        M.Open(draw);
      }
      break;
    }
    case 33:
    case 34:
    case 35:
    case 36:
    case 40:
    case 41:
    case 42:
    case 43:
    case 44:
    case 45:
    case 46:
    case 47: {
      // Triangles: odd codes up to 35 and even codes from 40 are open, the others filled.
      const auto draw = [&] {
        switch (Mark) {
          case 33:
          case 34:
            M.Polygon({Pt{-4, -3}, Pt{0, 4}, Pt{4, -3}});
            break;
          case 35:
          case 36:
            M.Polygon({Pt{-4, 3}, Pt{0, -4}, Pt{4, 3}});
            break;
          case 40:
          case 41:
            M.Polygon({Pt{3, -2}, Pt{-2, 0}, Pt{3, 2}});
            break;
          case 42:
          case 43:
            M.Polygon({Pt{4, -3}, Pt{-3, 0}, Pt{4, 3}});
            break;
          case 44:
          case 45:
            M.Polygon({Pt{-3, -2}, Pt{2, 0}, Pt{-3, 2}});
            break;
          default:
            M.Polygon({Pt{-4, -3}, Pt{3, 0}, Pt{-4, 3}});
            break;
        }
      };
      const bool open = Mark < 40 ? Mark % 2 == 1 : Mark % 2 == 0;
      if (open) {
        M.Open(draw);
      } else {
        M.Fill();
        draw();
      }
      break;
    }
    case 37:
      M.Line(-3, 0, 4, 0);
      M.Line(0, 0, 0, -8);
      break;
    case 38:
      M.Line(-3, -2, 4, -2);
      M.Line(-3, 2, 4, 2);
      M.Line(0, -2, 0, 2);
      break;
    case 39:
      M.Open([&] { M.Ellipse(-3, -3, 4, 4); });
      M.Line(-3, 0, 4, 0);
      M.Line(0, -3, 0, 4);
      break;
    case 48:
      M.Open([&] { M.Rectangle(-3, -3, 4, 4); });
      M.Line(-3, 0, 4, 0);
      M.Line(0, -3, 0, 4);
      break;
    case 49:
      M.Open([&] { M.Rectangle(-2, -2, 3, 3); });
      M.Line(-4, 0, 5, 0);
      M.Line(0, -4, 0, 5);
      break;
    case 50:
      M.C.Brush().SetStyle(bsSolid);
      M.Line(-4, 0, 5, 0);
      M.Line(0, -4, 0, 5);
      M.Line(-3, -3, 4, 4);
      M.Line(-3, 3, 4, -4);
      break;
    default:  // 51
      M.C.Brush().SetStyle(bsSolid);
      M.Line(-4, 0, 5, 0);
      M.Line(0, -4, 0, 5);
      M.Line(-1, -3, 2, -3);
      M.Line(-1, 3, 2, 3);
      M.Line(-3, -1, -3, 2);
      M.Line(3, -1, 3, 2);
      break;
  }
}

void DrawCharacterMark(TCanvas& Canvas, std::uint8_t Mark, std::int32_t X, std::int32_t Y) {
  const auto code = static_cast<char16_t>(Mark >= 200 && Mark <= 209 ? Mark - 152 : Mark);
  const String text(1, code);
  const std::int32_t w = Canvas.TextWidth(text), h = Canvas.TextHeight(text);
  Canvas.Font().SetColor(Canvas.Pen().Color());
  Canvas.Brush().SetStyle(bsClear);
  Canvas.TextOut(Clamp32(std::int64_t{X} - w / 2), Clamp32(std::int64_t{Y} - h / 2), text);
}

}  // namespace

void DrawMarkOnCanvas(TCanvas& Canvas, std::uint8_t MarkType, std::int32_t X, std::int32_t Y) {
  if (MarkType >= 52) {
    DrawCharacterMark(Canvas, MarkType, X, Y);
    return;
  }
  const TColor brush = Canvas.Brush().Color();
  TMarkPainter painter(Canvas, X, Y);
  DrawGeometricMark(painter, MarkType, &Canvas == &Printer().Canvas());
  Canvas.Brush().SetColor(brush);
}

std::unique_ptr<TBitmap> CreateMarkAsBitmap(std::uint8_t MarkType, TColor MarkColor,
                                            TColor BkgColor, std::int32_t Size) {
  Size = std::clamp(Size, 0, 255);
  const std::int32_t side = 2 * Size + 7;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(side, side);
  TCanvas& c = bitmap->Canvas();
  c.Pen().SetColor(BkgColor);
  c.Brush().SetColor(BkgColor);
  c.Brush().SetStyle(bsSolid);
  c.Rectangle(0, 0, side, side);
  c.Pen().SetColor(MarkColor);
  DrawMarkOnCanvas(c, MarkType, Size + 3, Size + 3);
  return bitmap;
}

}  // namespace kez
