#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas_picture.hpp"
#include "kez/platform/graphics.hpp"

namespace kez {
namespace {

using Rows = std::vector<std::string>;
using test::Picture;

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { test::Prepare(bmp, 12, 8); }
  TCanvas& C() { return bmp.Canvas(); }
  // Paints the whole bitmap green, to show what a clear brush leaves alone.
  void Green() {
    C().Brush().SetColor(test::kGreen);
    C().FillRect({0, 0, bmp.Width(), bmp.Height()});
  }
  TBitmap bmp;
};

TEST_F(CanvasTest, LinesLeaveOutTheirEndPoint) {
  C().MoveTo(1, 1);
  C().LineTo(5, 1);  // horizontal
  C().LineTo(5, 5);  // vertical: paints the point the first one left out
  C().MoveTo(7, 1);
  C().LineTo(11, 5);                                          // diagonal
  EXPECT_EQ(Picture(C(), 0, 0, 11, 5), (Rows{"............",  //
                                             ".#####.#....",  //
                                             ".....#..#...",  //
                                             ".....#...#..",  //
                                             ".....#....#.",  //
                                             "............"}));
  EXPECT_EQ(C().PenPos(), (TPoint{11, 5}));
}

TEST_F(CanvasTest, ShallowLinesRoundTiesAwayFromTheStart) {
  C().MoveTo(0, 0);
  C().LineTo(4, 2);
  C().MoveTo(11, 0);
  C().LineTo(7, 2);
  C().MoveTo(4, 7);
  C().LineTo(0, 5);
  EXPECT_EQ(Picture(C(), 0, 0, 11, 7), (Rows{"#..........#",  //
                                             ".##......##.",  //
                                             "...#....#...",  //
                                             "............",  //
                                             "............",  //
                                             ".#..........",  //
                                             "..##........",  //
                                             "....#......."}));
}

TEST_F(CanvasTest, ZeroLengthLinePaintsNothing) {
  C().MoveTo(3, 3);
  C().LineTo(3, 3);
  EXPECT_EQ(test::CountNonWhite(C()), 0);
  C().Pen().SetWidth(5);
  C().LineTo(3, 3);
  EXPECT_EQ(test::CountNonWhite(C()), 0);
  EXPECT_EQ(C().PenPos(), (TPoint{3, 3}));
}

TEST_F(CanvasTest, LinesAcrossTheWholePlaneAreClippedQuickly) {
  C().MoveTo(-2000000000, 2);
  C().LineTo(2000000000, 2);
  C().MoveTo(-2147483647 - 1, -2147483647 - 1);
  C().LineTo(2147483647, 2147483647);
  EXPECT_EQ(Picture(C(), 0, 2, 11, 2), (Rows{"############"}));
  for (int k = 0; k < 8; ++k) EXPECT_EQ(C().Pixels(k, k), 0x000000u) << k;
  EXPECT_EQ(test::CountNonWhite(C()), 12 + 7);
}

TEST_F(CanvasTest, DashPatternRunsOnAcrossLineToAndRestartsAtMoveTo) {
  C().Pen().SetStyle(psDot);
  C().MoveTo(0, 0);
  C().LineTo(2, 0);
  C().LineTo(12, 0);
  C().MoveTo(0, 1);
  C().LineTo(12, 1);
  C().Pen().SetStyle(psClear);
  C().MoveTo(0, 2);
  C().LineTo(12, 2);
  EXPECT_EQ(Picture(C(), 0, 0, 11, 2), (Rows{"###...###...",  //
                                             "###...###...",  //
                                             "............"}));
}

TEST_F(CanvasTest, WidePenPaintsADiscAtEveryPixel) {
  C().Pen().SetWidth(3);
  C().MoveTo(2, 3);
  C().LineTo(6, 3);
  EXPECT_EQ(Picture(C(), 0, 1, 7, 5), (Rows{"........",  //
                                            ".######.",  //
                                            ".######.",  //
                                            ".######.",  //
                                            "........"}));
  C().Pen().SetWidth(0);
  EXPECT_EQ(C().Pen().Width(), 1);
}

TEST_F(CanvasTest, RectangleLeavesOutRightAndBottomEdge) {
  C().Brush().SetColor(test::kRed);
  C().Rectangle(1, 1, 5, 4);
  C().Rectangle(10, 5, 7, 1);                                 // corners in the other order
  EXPECT_EQ(Picture(C(), 0, 0, 11, 5), (Rows{"............",  //
                                             ".####..###..",  //
                                             ".#rr#..#r#..",  //
                                             ".####..#r#..",  //
                                             ".......###..",  //
                                             "............"}));
}

TEST_F(CanvasTest, ClearBrushAndClearPen) {
  Green();
  C().Brush().SetColor(test::kRed);
  C().Brush().SetStyle(bsClear);
  C().Rectangle(0, 0, 4, 4);
  C().Brush().SetStyle(bsSolid);
  C().Pen().SetStyle(psClear);
  C().Rectangle(5, 0, 8, 3);
  C().Rectangle(9, 0, 9, 3);                                  // empty
  EXPECT_EQ(Picture(C(), 0, 0, 11, 4), (Rows{"####grrrgggg",  //
                                             "#gg#grrrgggg",  //
                                             "#gg#grrrgggg",  //
                                             "####gggggggg",  //
                                             "gggggggggggg"}));
}

TEST_F(CanvasTest, EllipsesTouchTheirBoxFromInside) {
  C().Brush().SetColor(test::kRed);
  C().Ellipse(0, 0, 7, 7);
  C().Ellipse(8, 1, 12, 5);
  EXPECT_EQ(Picture(C(), 0, 0, 11, 6), (Rows{"..###.......",  //
                                             ".#rrr#...##.",  //
                                             "#rrrrr#.#rr#",  //
                                             "#rrrrr#.#rr#",  //
                                             "#rrrrr#..##.",  //
                                             ".#rrr#......",  //
                                             "..###......."}));
}

TEST_F(CanvasTest, EllipseWithClearBrushIsARing) {
  Green();
  C().Brush().SetStyle(bsClear);
  C().Ellipse(1, 1, 6, 6);
  EXPECT_EQ(Picture(C(), 0, 0, 6, 6), (Rows{"ggggggg",  //
                                            "gg###gg",  //
                                            "g#ggg#g",  //
                                            "g#ggg#g",  //
                                            "g#ggg#g",  //
                                            "gg###gg",  //
                                            "ggggggg"}));
}

TEST_F(CanvasTest, PolygonClosesAndFillsWithTheBrush) {
  C().Brush().SetColor(test::kRed);
  C().Polygon({{2, 0}, {4, 2}, {2, 4}, {0, 2}});
  C().Brush().SetStyle(bsClear);
  C().Polygon({{6, 0}, {10, 0}, {8, 4}});
  EXPECT_EQ(C().PenPos(), (TPoint{0, 0}));                    // not moved
  EXPECT_EQ(Picture(C(), 0, 0, 11, 4), (Rows{"..#...#####.",  //
                                             ".#r#..#..#..",  //
                                             "#rrr#..#.#..",  //
                                             ".#r#...##...",  //
                                             "..#.....#..."}));
  C().Polygon({{1, 6}});  // a single point draws nothing
  EXPECT_EQ(C().Pixels(1, 6), 0xFFFFFFu);
}

TEST_F(CanvasTest, HugeShapesAreClippedToTheCanvas) {
  C().Brush().SetColor(test::kRed);
  C().Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_EQ(Picture(C(), 0, 0, 11, 0), (Rows{"rrrrrrrrrrrr"}));
  C().Brush().SetColor(test::kBlue);
  C().Polygon({{-2147483647, -5}, {2147483647, -5}, {0, 2147483647}});
  EXPECT_EQ(Picture(C(), 0, 7, 11, 7), (Rows{"bbbbbbbbbbbb"}));
  C().Brush().SetColor(test::kGreen);
  C().Rectangle(-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647);
  EXPECT_EQ(Picture(C(), 0, 3, 11, 3), (Rows{"gggggggggggg"}));
}

TEST_F(CanvasTest, PixelsOutsideTheCanvas) {
  C().SetPixels(-1, 0, 0);
  C().SetPixels(12, 0, 0);
  C().SetPixels(0, 8, 0);
  EXPECT_EQ(test::CountNonWhite(C()), 0);
  EXPECT_EQ(C().Pixels(-1, 0), 0x1FFFFFFFu);
  EXPECT_EQ(C().Pixels(0, 8), 0x1FFFFFFFu);
  // System colours paint their classic value; the high byte of other values is dropped.
  C().SetPixels(0, 0, 0xFF00000F);
  C().SetPixels(1, 0, 0x1FFFFFFF);
  EXPECT_EQ(C().Pixels(0, 0), 0xC0C0C0u);
  EXPECT_EQ(C().Pixels(1, 0), 0xFFFFFFu);
}

TEST_F(CanvasTest, DrawCopiesABitmapClipped) {
  TBitmap src;
  test::Prepare(src, 3, 2);
  src.Canvas().SetPixels(0, 0, test::kRed);
  src.Canvas().SetPixels(2, 1, test::kBlue);
  C().Draw(10, 6, src);
  C().Draw(-2, -1, src);
  EXPECT_EQ(C().Pixels(10, 6), test::kRed);
  EXPECT_EQ(C().Pixels(0, 0), test::kBlue);
  EXPECT_EQ(test::CountNonWhite(C()), 2);
}

TEST(GraphicsTools, FontSizeFollowsHeightAndResolution) {
  TFont font;
  EXPECT_EQ(font.Name(), u"DejaVu Sans");
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);
  font.SetPixelsPerInch(300);  // same pixels, fewer points at the finer resolution
  EXPECT_EQ(font.Height(), -13);
  EXPECT_EQ(font.Size(), 3);
  font.SetPixelsPerInch(0);
  EXPECT_EQ(font.PixelsPerInch(), 300);

  TFont screen;
  screen.SetSize(12);
  screen.SetStyle({fsBold, fsUnderline});
  screen.SetColor(0x123456);
  int changes = 0;
  font.SetOnChange([&](TObject*) { ++changes; });
  font.Assign(&screen);  // carries the size in points to the printer's resolution
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(font.Size(), 12);
  EXPECT_EQ(font.Height(), -50);
  EXPECT_EQ(font.Style(), (TFontStyles{fsUnderline, fsBold}));
  EXPECT_EQ(font.Color(), 0x123456u);
  font.SetSize(2147483647);  // saturates instead of wrapping
  EXPECT_LT(font.Height(), 0);
  TPen pen;
  EXPECT_THROW(font.Assign(&pen), EConvertError);
}

TEST(GraphicsTools, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDiv(8, 96, 72), 11);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(2147483647, 2, 1), -1);
}

}  // namespace
}  // namespace kez
