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
