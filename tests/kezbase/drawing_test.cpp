#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas_picture.hpp"
#include "kez/kezbase.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using Rows = std::vector<std::string>;

// The five frame colours, each a colour the pictures name: highlight yellow, light cyan,
// shadow blue, dark shadow red, line green.
void Frame(TCanvas& C, TFrameStyle Style) {
  DrawFrame(C, Style, 1, 1, 8, 6, test::kYellow, test::kCyan, test::kBlue, test::kRed,
            test::kGreen);
}

// A frame on (1, 1, 8, 6) with its ring colours: outer top/left A, outer bottom/right B,
// inner top/left C, inner bottom/right D.
Rows Rings(char A, char B, char C, char D) {
  const auto row = [](std::string s) { return s; };
  return {row(".........."),
          row("." + std::string(8, A) + "."),
          row("." + std::string(1, A) + std::string(6, C) + B + "."),
          row("." + std::string(1, A) + C + "...." + D + B + "."),
          row("." + std::string(1, A) + C + "...." + D + B + "."),
          row("." + std::string(1, A) + std::string(6, D) + B + "."),
          row("." + std::string(8, B) + "."),
          row("..........")};
}

struct TFrameCase {
  TFrameStyle Style;
  Rows Picture;
  TColor LastPen;
};

class FramePicture : public ::testing::TestWithParam<TFrameCase> {};

TEST_P(FramePicture, RingsInTheStyleColours) {
  TBitmap bmp;
  test::Prepare(bmp, 10, 8);
  Frame(bmp.Canvas(), GetParam().Style);
  EXPECT_EQ(test::Picture(bmp.Canvas(), 0, 0, 9, 7), GetParam().Picture);
  EXPECT_EQ(bmp.Canvas().Pen().Color(), GetParam().LastPen);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, FramePicture,
    ::testing::Values(TFrameCase{fsLowered, Rings('b', 'y', 'r', 'c'), test::kCyan},
                      TFrameCase{fsRaised, Rings('y', 'r', 'c', 'b'), test::kBlue},
                      TFrameCase{fsEmbossed, Rings('y', 'b', 'b', 'y'), test::kYellow},
                      TFrameCase{fsEngraved, Rings('b', 'y', 'y', 'b'), test::kBlue},
                      TFrameCase{fsSimple,
                                 Rows{"..........", ".gggggggg.", ".g......g.", ".g......g.",
                                      ".g......g.", ".g......g.", ".gggggggg.", ".........."},
                                 test::kGreen}));

// The frame sequence on a picture, with the canvas's line rule: a line leaves out its end
// point, so a line to the pen position itself paints nothing. Only axis-parallel lines occur.
class ModelFrame {
 public:
  explicit ModelFrame(int W, int H) : FRows(static_cast<std::size_t>(H), std::string(W, '.')) {}
  void Pen(char C) { FPen = C; }
  void MoveTo(int X, int Y) { FX = X, FY = Y; }
  void LineTo(int X, int Y) {
    const int dx = (X > FX) - (X < FX), dy = (Y > FY) - (Y < FY);
    for (int x = FX, y = FY; x != X || y != Y; x += dx, y += dy) {
      if (y >= 0 && y < static_cast<int>(FRows.size()) && x >= 0 &&
          x < static_cast<int>(FRows[0].size())) {
        FRows[y][x] = FPen;
      }
    }
    MoveTo(X, Y);
  }
  Rows FRows;

 private:
  char FPen = '.';
  int FX = 0, FY = 0;
};

TEST(DrawFrame, SmallFramesAgreeWithTheLineModel) {
  // fsRaised: outer yellow / red, inner cyan / blue.
  for (int l = 0; l <= 2; ++l) {
    for (int t = 0; t <= 2; ++t) {
      for (int r = l - 1; r <= l + 3; ++r) {
        for (int b = t - 1; b <= t + 3; ++b) {
          TBitmap bmp;
          test::Prepare(bmp, 7, 7);
          DrawFrame(bmp.Canvas(), fsRaised, l, t, r, b, test::kYellow, test::kCyan, test::kBlue,
                    test::kRed, test::kGreen);
          ModelFrame m(7, 7);
          m.Pen('y'), m.MoveTo(l, b), m.LineTo(l, t), m.LineTo(r + 1, t);
          m.MoveTo(r, t + 1), m.Pen('r'), m.LineTo(r, b), m.LineTo(l - 1, b);
          m.Pen('c'), m.MoveTo(l + 1, b - 1), m.LineTo(l + 1, t + 1), m.LineTo(r, t + 1);
          m.MoveTo(r - 1, t + 2), m.Pen('b'), m.LineTo(r - 1, b - 1), m.LineTo(l, b - 1);
          ASSERT_EQ(test::Picture(bmp.Canvas(), 0, 0, 6, 6), m.FRows)
              << l << "," << t << "," << r << "," << b;
        }
      }
    }
  }
  // A 2 x 2 frame keeps the outer ring's colours in its top-left and bottom-right corners.
  TBitmap bmp;
  test::Prepare(bmp, 2, 2);
  DrawFrame(bmp.Canvas(), fsRaised, 0, 0, 1, 1, test::kYellow, test::kCyan, test::kBlue, test::kRed,
            test::kGreen);
  EXPECT_EQ(test::Picture(bmp.Canvas(), 0, 0, 1, 1), (Rows{"yc", "br"}));
}

TEST(DrawFrame, NoneAndUnknownStylesDrawNothing) {
  TBitmap bmp;
  test::Prepare(bmp, 10, 8);
  Frame(bmp.Canvas(), fsNone);
  Frame(bmp.Canvas(), static_cast<TFrameStyle>(6));
  Frame(bmp.Canvas(), static_cast<TFrameStyle>(255));
  EXPECT_EQ(test::CountNonWhite(bmp.Canvas()), 0);
  EXPECT_EQ(bmp.Canvas().Pen().Color(), 0x000000u);
  // Edges on the 32-bit limits are clamped, not overflowed.
  DrawFrame(bmp.Canvas(), fsRaised, -2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647, 1, 2,
            3, 4, 5);
  EXPECT_EQ(test::CountNonWhite(bmp.Canvas()), 0);
}

TEST(DrawRectangle, IncludesRightAndBottomAndFillsNothing) {
  TBitmap bmp;
  test::Prepare(bmp, 6, 5);
  bmp.Canvas().Brush().SetColor(test::kRed);
  DrawRectangle(bmp.Canvas(), 1, 1, 4, 3);
  EXPECT_EQ(test::Picture(bmp.Canvas(), 0, 0, 5, 4),
            (Rows{"......", ".####.", ".#..#.", ".####.", "......"}));
  EXPECT_EQ(bmp.Canvas().PenPos(), (TPoint{1, 1}));
  // A rectangle of no size is a path of zero-length lines: nothing.
  TBitmap dot;
  test::Prepare(dot, 8, 8);
  DrawRectangle(dot.Canvas(), 5, 5, 5, 5);
  EXPECT_EQ(test::CountNonWhite(dot.Canvas()), 0);
}

TEST(FontIsTrueType, InstalledAndMissingFonts) {
  EXPECT_TRUE(FontIsTrueType(u"DejaVu Sans"));
  EXPECT_TRUE(FontIsTrueType(u"dejavu sans mono"));
  EXPECT_THROW_MSG(FontIsTrueType(u"No Such Font 42"), EKEZError,
                   u"Font \"No Such Font 42\" is not installed");
  EXPECT_THROW(FontIsTrueType(u""), EKEZError);
}

TEST(SetCanvasFontSizeScaled, GivesTheScreenPixelHeight) {
  TBitmap bmp;  // at the screen's resolution: the size is set as it is
  SetCanvasFontSizeScaled(bmp.Canvas(), 10);
  EXPECT_EQ(bmp.Canvas().Font().Height(), -13);
  EXPECT_EQ(bmp.Canvas().Font().Size(), 10);
  // A printer-like font: the screen's 13 pixels, its own resolution kept.
  bmp.Canvas().Font().SetPixelsPerInch(300);
  SetCanvasFontSizeScaled(bmp.Canvas(), 10);
  EXPECT_EQ(bmp.Canvas().Font().Height(), -13);
  EXPECT_EQ(bmp.Canvas().Font().PixelsPerInch(), 300);
  bmp.Canvas().Font().SetSize(10);  // the plain setter gives the printer's 42 pixels
  EXPECT_EQ(bmp.Canvas().Font().Height(), -42);
}

}  // namespace
}  // namespace kez
