#include <gtest/gtest.h>

#include "canvas_picture.hpp"
#include "kez/platform/graphics.hpp"

namespace kez {
namespace {

// The pixels that are not white, as a bounding box (Right and Bottom outside).
TRect InkBox(const TCanvas& C) {
  const TRect r = C.ClipRect();
  TRect box{r.Right, r.Bottom, r.Left, r.Top};
  for (int y = r.Top; y < r.Bottom; ++y) {
    for (int x = r.Left; x < r.Right; ++x) {
      if (C.Pixels(x, y) == 0xFFFFFF) continue;
      box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
             std::max(box.Bottom, y + 1)};
    }
  }
  return box;
}

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Prepare(bmp, 200, 60);
    C().Font().SetName(u"DejaVu Sans");
    C().Font().SetSize(12);
    C().Brush().SetStyle(bsClear);
  }
  TCanvas& C() { return bmp.Canvas(); }
  TBitmap bmp;
};

TEST_F(TextTest, GlyphsStayInTheMeasuredCell) {
  const int w = C().TextWidth(u"Hg"), h = C().TextHeight(u"Hg");
  EXPECT_GT(w, 10);
  EXPECT_GE(h, 16);  // 16-pixel em plus the face's leading
  EXPECT_EQ(C().TextWidth(u""), 0);
  EXPECT_EQ(C().TextHeight(u""), h);
  C().TextOut(20, 10, u"Hg");
  const TRect ink = InkBox(C());
  EXPECT_GE(ink.Left, 20);
  EXPECT_LE(ink.Right, 20 + w);
  EXPECT_GE(ink.Top, 10);
  EXPECT_LE(ink.Bottom, 10 + h);
  EXPECT_GT(ink.Bottom - ink.Top, h / 2);  // the H and the descender of g span most of it
  EXPECT_EQ(C().PenPos(), (TPoint{20 + w, 10}));
  // Monochrome: only the font colour is painted.
  for (int y = ink.Top; y < ink.Bottom; ++y) {
    for (int x = ink.Left; x < ink.Right; ++x) {
      const TColor c = C().Pixels(x, y);
      EXPECT_TRUE(c == 0xFFFFFF || c == 0x000000) << x << "," << y;
    }
  }
}

TEST_F(TextTest, SolidBrushFillsTheCell) {
  C().Brush().SetStyle(bsSolid);
  C().Brush().SetColor(test::kYellow);
  C().Font().SetColor(test::kRed);
  C().TextOut(5, 5, u"W");
  const int w = C().TextWidth(u"W"), h = C().TextHeight(u"W");
  EXPECT_EQ(InkBox(C()), (TRect{5, 5, 5 + w, 5 + h}));
  int red = 0;
  for (int y = 5; y < 5 + h; ++y) {
    for (int x = 5; x < 5 + w; ++x) {
      const TColor c = C().Pixels(x, y);
      red += c == test::kRed;
      EXPECT_TRUE(c == test::kRed || c == test::kYellow);
    }
  }
  EXPECT_GT(red, 10);
}

TEST_F(TextTest, SizeStylesAndResolutionChangeTheMeasure) {
  const int w12 = C().TextWidth(u"Mark"), h12 = C().TextHeight(u"Mark");
  C().Font().SetStyle({fsBold});
  EXPECT_GT(C().TextWidth(u"Mark"), w12);
  C().Font().SetStyle({});
  C().Font().SetSize(24);
  EXPECT_GT(C().TextWidth(u"Mark"), w12 * 3 / 2);
  EXPECT_GT(C().TextHeight(u"Mark"), h12 * 3 / 2);
  // A positive Height is the whole cell.
  C().Font().SetHeight(30);
  EXPECT_NEAR(C().TextHeight(u"x"), 30, 1);
  // Absurd heights are bounded, not allocated.
  C().Font().SetHeight(-2147483647 - 1);
  EXPECT_LE(C().TextHeight(u"x"), 6000);
  C().TextOut(0, 0, u"x");
}

TEST_F(TextTest, UnderlineAndStrikeOutAreRules) {
  C().Font().SetStyle({fsUnderline});
  C().TextOut(10, 10, u"..");
  const int w = C().TextWidth(u"..");
  // A full-width rule somewhere below the dots' baseline.
  int fullRows = 0;
  for (int y = 10; y < 10 + C().TextHeight(u".."); ++y) {
    bool full = true;
    for (int x = 10; x < 10 + w; ++x) full = full && C().Pixels(x, y) == 0;
    fullRows += full;
  }
  EXPECT_GE(fullRows, 1);
}

TEST_F(TextTest, TextOffTheCanvasIsClipped) {
  C().TextOut(-2147483647 - 1, -2147483647 - 1, String(1000, u'W'));
  C().TextOut(2147483647, 0, u"W");
  EXPECT_EQ(test::CountNonWhite(C()), 0);
  C().TextOut(-5, -5, u"W");  // partly inside
  EXPECT_GT(test::CountNonWhite(C()), 0);
}

TEST(Screen, ListsInstalledFamilies) {
  const TStrings& fonts = Screen().Fonts();
  EXPECT_GE(Screen().IndexOfFont(u"DejaVu Sans"), 0);
  EXPECT_EQ(Screen().IndexOfFont(u"dejavu sans"), Screen().IndexOfFont(u"DejaVu Sans"));
  EXPECT_EQ(Screen().IndexOfFont(u"No Such Font Family"), -1);
  for (int i = 1; i < fonts.Count(); ++i) EXPECT_NE(fonts[i - 1], fonts[i]);
  EXPECT_EQ(Screen().PixelsPerInch(), 96);
}

}  // namespace
}  // namespace kez
