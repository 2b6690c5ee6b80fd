#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "canvas_picture.hpp"
#include "kez/kezbase.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using Rows = std::vector<std::string>;
constexpr int kX = 10, kY = 10;

// The 9 x 9 picture of a mark drawn in black on a white 21 x 21 bitmap at (10, 10).
Rows Mark(std::uint8_t Code) {
  TBitmap bmp;
  test::Prepare(bmp, 21, 21);
  DrawMarkOnCanvas(bmp.Canvas(), Code, kX, kY);
  return test::Around(bmp.Canvas(), kX, kY, 4);
}

struct TMarkCase {
  int Code;
  Rows Picture;
};

class MarkPicture : public ::testing::TestWithParam<TMarkCase> {};

TEST_P(MarkPicture, PaintsTheTableCoordinates) {
  EXPECT_EQ(Mark(static_cast<std::uint8_t>(GetParam().Code)), GetParam().Picture)
      << "mark " << GetParam().Code;
}

// A few marks of each kind, drawn by hand from the coordinates of their definitions.
INSTANTIATE_TEST_SUITE_P(
    Drawing, MarkPicture,
    ::testing::Values(TMarkCase{0,
                                {".........", ".........", ".........", ".........", "....#....",
                                 ".........", ".........", ".........", "........."}},
                      // Pixel patterns.
                      TMarkCase{1,
                                {".........", ".........", ".........", "....#....", "...###...",
                                 "....#....", ".........", ".........", "........."}},
                      TMarkCase{3,
                                {".........", "....#....", "....#....", "....#....", ".#######.",
                                 "....#....", "....#....", "....#....", "........."}},
                      TMarkCase{6,
                                {".........", ".#.....#.", "..#...#..", "...#.#...", "....#....",
                                 "...#.#...", "..#...#..", ".#.....#.", "........."}},
                      TMarkCase{18,
                                {".........", ".#.#.#.#.", "..#.#.#..", ".#.#.#.#.", "..#.#.#..",
                                 ".#.#.#.#.", "..#.#.#..", ".#.#.#.#.", "........."}},
                      // Filled shapes.
                      TMarkCase{8,
                                {".........", ".........", "..#####..", "..#####..", "..#####..",
                                 "..#####..", "..#####..", ".........", "........."}},
                      TMarkCase{15,
                                {".........", "....#....", "...###...", "..#####..", ".#######.",
                                 "..#####..", "...###...", "....#....", "........."}},
                      TMarkCase{24,
                                {".........", "...###...", "..#####..", ".#######.", ".#######.",
                                 ".#######.", "..#####..", "...###...", "........."}},
                      TMarkCase{28,
                                {".........", ".........", "...##....", "..####...", "..####...",
                                 "...##....", ".........", ".........", "........."}},
                      // Open shapes and paths.
                      TMarkCase{12,
                                {".........", ".#######.", ".#.....#.", ".#.....#.", ".#.....#.",
                                 ".#.....#.", ".#.....#.", ".#######.", "........."}},
                      TMarkCase{13,
                                {".........", "....#....", "...#.#...", "..#...#..", ".#..#..#.",
                                 "..#...#..", "...#.#...", "....#....", "........."}},
                      TMarkCase{16,
                                {".........", ".........", "...###...", "..#...#..", "..#...#..",
                                 "..#...#..", "...###...", ".........", "........."}},
                      TMarkCase{39,
                                {".........", "...###...", "..#.#.#..", ".#..#..#.", ".#######.",
                                 ".#..#..#.", "..#.#.#..", "...###...", "........."}},
                      TMarkCase{49,
                                {"....#....", "....#....", "..#####..", "..#.#.#..", "#########",
                                 "..#.#.#..", "..#####..", "....#....", "....#...."}},
                      // Lines.
                      TMarkCase{21,
                                {".........", ".........", ".........", ".........", "....#....",
                                 "...#.#...", "..#...#..", ".#.....#.", "........."}},
                      TMarkCase{38,
                                {".........", ".........", ".#######.", "....#....", "....#....",
                                 "....#....", ".#######.", ".........", "........."}},
                      TMarkCase{50,
                                {"....#....", ".#..#..#.", "..#.#.#..", "...###...", "#########",
                                 "...###...", "..#.#.#..", ".#..#..#.", "....#...."}},
                      TMarkCase{51,
                                {"....#....", "...###...", "....#....", ".#..#..#.", "#########",
                                 ".#..#..#.", "....#....", "...###...", "....#...."}},
                      TMarkCase{25,
                                {".........", ".##...##.", ".###.###.", "..#####..", "...###...",
                                 "..#####..", ".###.###.", ".##...##.", "........."}},
                      // Triangles.
                      TMarkCase{29,
                                {".........", ".........", ".........", ".........", "..#####..",
                                 "...###...", "....#....", ".........", "........."}},
                      TMarkCase{33,
                                {".........", "#########", ".#.....#.", ".#.....#.", "..#...#..",
                                 "..#...#..", "...#.#...", "...#.#...", "....#...."}},
                      TMarkCase{36,
                                {"....#....", "...###...", "...###...", "..#####..", "..#####..",
                                 ".#######.", ".#######.", "#########", "........."}},
                      TMarkCase{44,
                                {".........", ".........", ".##......", ".#.##....", ".#...##..",
                                 ".#.##....", ".##......", ".........", "........."}}));

TEST(DrawMark, InvertedTStemReachesSevenPixelsUp) {
  TBitmap bmp;
  test::Prepare(bmp, 21, 21);
  DrawMarkOnCanvas(bmp.Canvas(), 37, kX, kY);
  EXPECT_EQ(test::Picture(bmp.Canvas(), kX - 4, kY - 8, kX + 4, kY + 1),
            (Rows{".........", "....#....", "....#....", "....#....", "....#....", "....#....",
                  "....#....", "....#....", ".#######.", "........."}));
}

TEST(DrawMark, BrushColourIsRestoredAndOpenMarksLeaveItSolid) {
  TBitmap bmp;
  test::Prepare(bmp, 21, 21);
  TCanvas& c = bmp.Canvas();
  c.Pen().SetColor(test::kRed);
  c.Brush().SetColor(test::kBlue);
  c.Brush().SetStyle(bsClear);
  DrawMarkOnCanvas(c, 17, kX, kY);  // open circle
  EXPECT_EQ(c.Brush().Color(), test::kBlue);
  EXPECT_EQ(c.Brush().Style(), bsSolid);
  EXPECT_EQ(c.Pixels(kX, kY), 0xFFFFFFu);  // not filled
  DrawMarkOnCanvas(c, 24, kX, kY);         // filled circle: in the pen colour, not the brush's
  EXPECT_EQ(c.Pixels(kX, kY), test::kRed);
  EXPECT_EQ(c.Brush().Color(), test::kBlue);
  // A filled mark keeps the brush style it is given: with a clear brush only the outline.
  c.Brush().SetStyle(bsClear);
  DrawMarkOnCanvas(c, 9, 3, 3);
  EXPECT_EQ(c.Pixels(3, 3), 0xFFFFFFu);
  EXPECT_EQ(c.Pixels(0, 0), test::kRed);
}

TEST(DrawMark, EveryGeometricMarkPaintsInsideItsCell) {
  for (int code = 0; code <= 51; ++code) {
    TBitmap bmp;
    test::Prepare(bmp, 21, 21);
    DrawMarkOnCanvas(bmp.Canvas(), static_cast<std::uint8_t>(code), kX, kY);
    const int all = test::CountNonWhite(bmp.Canvas());
    EXPECT_GT(all, 0) << code;
    // Everything within 4 pixels of the centre, but the stem of the inverted T.
    int inside = 0;
    for (const std::string& row : test::Around(bmp.Canvas(), kX, kY, 4)) {
      for (char ch : row) inside += ch != '.';
    }
    if (code != 37) {
      EXPECT_EQ(inside, all) << code;
    }
  }
}

TEST(DrawMark, CentresNearTheLimitsDoNotOverflow) {
  TBitmap bmp;
  test::Prepare(bmp, 4, 4);
  const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  for (int code = 0; code <= 255; code += (code < 52 ? 1 : 50)) {
    DrawMarkOnCanvas(bmp.Canvas(), static_cast<std::uint8_t>(code), hi, lo);
    DrawMarkOnCanvas(bmp.Canvas(), static_cast<std::uint8_t>(code), lo, hi);
  }
  EXPECT_EQ(test::CountNonWhite(bmp.Canvas()), 0);
}

// What TextOut paints for Text with the top-left of its cell at (X, Y), in red.
Rows Text(const String& Text, int X, int Y) {
  TBitmap bmp;
  test::Prepare(bmp, 60, 40);
  bmp.Canvas().Brush().SetStyle(bsClear);
  bmp.Canvas().Font().SetColor(test::kRed);
  bmp.Canvas().TextOut(X, Y, Text);
  return test::Picture(bmp.Canvas(), 0, 0, 59, 39);
}

TEST(DrawMark, CharacterMarksAreCentredText) {
  TBitmap probe;
  const struct {
    int Code;
    char16_t Ch;
  } cases[] = {{65, u'A'}, {52, u'4'}, {200, u'0'}, {209, u'9'}, {210, char16_t{210}}};
  for (const auto& k : cases) {
    const String s(1, k.Ch);
    const int w = probe.Canvas().TextWidth(s), h = probe.Canvas().TextHeight(s);
    TBitmap bmp;
    test::Prepare(bmp, 60, 40);
    TCanvas& c = bmp.Canvas();
    c.Pen().SetColor(test::kRed);
    c.Brush().SetColor(test::kBlue);
    DrawMarkOnCanvas(c, static_cast<std::uint8_t>(k.Code), 30, 20);
    EXPECT_EQ(test::Picture(c, 0, 0, 59, 39), Text(s, 30 - w / 2, 20 - h / 2)) << k.Code;
    EXPECT_GT(test::CountNonWhite(c), 0) << k.Code;
    EXPECT_EQ(c.Font().Color(), test::kRed);
    EXPECT_EQ(c.Brush().Style(), bsClear);
    EXPECT_EQ(c.Brush().Color(), test::kBlue);
  }
}

TEST(CreateMarkAsBitmap, SizeIsClampedAndTheMarkCentred) {
  auto small = CreateMarkAsBitmap(0, test::kRed, test::kGreen, -5);
  EXPECT_EQ(small->Width(), 7);
  EXPECT_EQ(small->Height(), 7);
  EXPECT_EQ(small->Canvas().Pixels(3, 3), test::kRed);
  EXPECT_EQ(test::CountNonWhite(small->Canvas()), 49);  // green background, one red dot
  auto large = CreateMarkAsBitmap(8, test::kRed, test::kGreen, 300);
  EXPECT_EQ(large->Width(), 517);
  EXPECT_EQ(large->Height(), 517);
  EXPECT_EQ(test::Around(large->Canvas(), 258, 258, 3),
            (Rows{"ggggggg", "grrrrrg", "grrrrrg", "grrrrrg", "grrrrrg", "grrrrrg", "ggggggg"}));
  EXPECT_EQ(large->Canvas().Pixels(516, 516), test::kGreen);
}

class PrinterMarks : public ::testing::Test {
 protected:
  void SetUp() override {
    Printer().SetFileName(dir.File("marks.pdf"));
    Printer().BeginDoc();
    Printer().Canvas().Pen().SetColor(0x000000);
  }
  void TearDown() override {
    Printer().Abort();
    Printer().SetFileName(u"");
  }
  Rows Mark(std::uint8_t Code) {
    TCanvas& c = Printer().Canvas();
    c.Brush().SetColor(0xFFFFFF);
    c.Brush().SetStyle(bsSolid);
    c.FillRect({0, 0, 40, 40});
    DrawMarkOnCanvas(c, Code, kX, kY);
    return test::Around(c, kX, kY, 4);
  }
  test::TempDir dir;
};

TEST_F(PrinterMarks, PatternMarksBecomeLines) {
  EXPECT_EQ(Mark(1), (Rows{".........", ".........", "....#....", "....#....", "..####...",
                           "....#....", ".........", ".........", "........."}));
  EXPECT_EQ(Mark(6), (Rows{"#........", ".#.....#.", "..#...#..", "...#.#...", "....#....",
                           "...#.#...", "..#...#..", ".#.....#.", "#........"}));
  // Zero-length lines: a dot at every point of the checkerboard.
  EXPECT_EQ(Mark(18), (Rows{".........", ".#.#.#.#.", "..#.#.#..", ".#.#.#.#.", "..#.#.#..",
                            ".#.#.#.#.", "..#.#.#..", ".#.#.#.#.", "........."}));
  // Mark 25's strokes end one pixel shorter than on screen.
  EXPECT_EQ(Mark(25), (Rows{".........", ".##......", ".###.##..", "..#####..", "...###...",
                            "..#####..", ".###.##..", ".##......", "........."}));
}

TEST_F(PrinterMarks, PrintBitmapCopiesPixelForPixel) {
  TBitmap bmp;
  test::Prepare(bmp, 3, 2);
  bmp.Canvas().SetPixels(0, 0, test::kRed);
  bmp.Canvas().SetPixels(2, 1, test::kBlue);
  PrintBitmap(bmp, 100, 50);
  EXPECT_EQ(test::Picture(Printer().Canvas(), 99, 49, 103, 52),
            (Rows{".....", ".r...", "...b.", "....."}));
  PrintBitmap(bmp, 2479, 3507);  // clipped at the page's corner
  EXPECT_EQ(Printer().Canvas().Pixels(2479, 3507), test::kRed);
  Printer().Abort();
  PrintBitmap(bmp, 0, 0);  // no document: nothing happens
}

}  // namespace
}  // namespace kez
