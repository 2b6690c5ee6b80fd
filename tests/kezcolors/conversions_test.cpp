#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "kez/kezcolors.hpp"
#include "kez/platform/random.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

TEST(ColorConversions, Examples) {
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, 0.5), RGB(127, 127, 127));  // truncated, not 128
  EXPECT_EQ(MeanColor(clBlack, clWhite), RGB(127, 127, 127));
  EXPECT_EQ(ColorToHexStr(0x00123456), u"00123456");
  EXPECT_EQ(ColorToHexStr(RGB(255, 0, 0)), u"000000FF");
  EXPECT_EQ(HexStrToColor(u" $ff "), 255u);
  EXPECT_EQ(ObtainColorName(HexStrToColor(u"$00FF00")), u"Lime");
}

TEST(InterpolateColor, ClampsAndTruncatesEachChannel) {
  const TColor a = RGB(10, 200, 0), b = RGB(20, 100, 255);
  EXPECT_EQ(InterpolateColor(a, b, 2), b);
  EXPECT_EQ(InterpolateColor(a, b, -1), a);
  EXPECT_EQ(InterpolateColor(a, b, 0.25), RGB(12, 175, 63));
  EXPECT_EQ(InterpolateColor(a, b, std::nan("")), a);
  // The high byte of a system colour reference is not resolved and not kept.
  EXPECT_EQ(InterpolateColor(0xFF000005, 0xFF000005, 0.3), 5u);
}

TEST(Interpolate3Colors, PassesThroughTheMiddleColour) {
  const TColor c1 = RGB(0, 0, 0), c2 = RGB(100, 50, 25), c3 = RGB(255, 255, 255);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 0.5), c2);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 0), c1);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 1), c3);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 0.75), InterpolateColor(c2, c3, 0.5));
}

TEST(ColorConversions, SimpleChannelOperations) {
  EXPECT_EQ(ReverseRGBColor(RGB(1, 2, 3)), RGB(3, 2, 1));
  EXPECT_EQ(InvertColor(RGB(0, 100, 255)), RGB(255, 155, 0));
  EXPECT_EQ(RGBtoGray(255, 255, 255), 255);
  EXPECT_EQ(RGBtoGray(1, 1, 1), 1);
  EXPECT_EQ(RGBtoGray(100, 0, 0), 30);
  EXPECT_EQ(RGBtoGrayColor(255, 255, 255), clWhite);
  EXPECT_EQ(RGBtoGrayColor(1000, 1000, 1000), clWhite);  // clamped to a channel
  EXPECT_EQ(ColorToGrayColor(RGB(0, 100, 0)), RGB(59, 59, 59));
  EXPECT_DOUBLE_EQ(RGBColorDistance(clBlack, clWhite), 1.0);
  EXPECT_DOUBLE_EQ(RGBColorDistance(RGB(3, 4, 5), RGB(3, 4, 5)), 0.0);
}

TEST(ColorConversions, RoundHalfToEven) {
  // 0.5 * 255 = 127.5 and 0.3 * 255 ... : ties go to the even neighbour.
  std::int32_t r, g, b;
  HSItoRGB(42, 0, 0.5, r, g, b);
  EXPECT_EQ(r, 128);
  EXPECT_EQ(g, 128);
  EXPECT_EQ(b, 128);
  std::uint8_t R, G, B;
  CMYtoRGB(0.5, 0.5, 0.5, R, G, B);
  EXPECT_EQ(R, 128);                 // 127.5
  EXPECT_EQ(RGBtoGray(5, 0, 0), 2);  // 1.5 -> 2
  EXPECT_EQ(RGBtoGray(0, 0, 0), 0);
}

// The grey level is round(0.3 r + 0.59 g + 0.11 b) on the exact decimal weights, with exact
// ties going to the even neighbour; the reference sums in hundredths and lets the division
// by 100 (correctly rounded) and nearbyint do the rest.
TEST(RGBtoGray, RoundsExactTiesToEvenAtEveryMagnitude) {
  EXPECT_EQ(RGBtoGray(0, 44, 14), 28);  // 27.5
  EXPECT_EQ(RGBtoGray(0, 45, 45), 32);  // 31.5
  EXPECT_EQ(ColorToGray(RGB(0, 44, 14)), 28);
  EXPECT_EQ(ColorToGrayColor(RGB(0, 45, 45)), RGB(32, 32, 32));
  EXPECT_EQ(RGBtoGray(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(RGBtoGray(INT_MIN, INT_MIN, INT_MIN), INT_MIN);
  EXPECT_EQ(RGBtoGrayColor(INT_MIN, 0, 0), clBlack);
  const auto reference = [](std::int64_t r, std::int64_t g, std::int64_t b) {
    return static_cast<std::int64_t>(std::nearbyint((30 * r + 59 * g + 11 * b) / 100.0));
  };
  std::mt19937 rng(16);
  std::uniform_int_distribution<int> channel(0, 255), any(INT_MIN, INT_MAX);
  for (int i = 0; i < 100000; ++i) {
    const int r = channel(rng), g = channel(rng), b = channel(rng);
    ASSERT_EQ(RGBtoGray(r, g, b), reference(r, g, b)) << r << " " << g << " " << b;
    const int R = any(rng), G = any(rng), B = any(rng);
    ASSERT_EQ(RGBtoGray(R, G, B), reference(R, G, B)) << R << " " << G << " " << B;
  }
}

// NaN, infinities and 32-bit extremes give colours and model values in their ranges.
TEST(ColorConversions, HostileNumbersStayInRange) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  const double nan = std::nan("");
  const double reals[] = {nan, inf, -inf, -1, 0, 0.5, 1, 2, 1e300, 359.99999999999994, 360};
  for (const double hue : reals) {
    for (const double sat : reals) {
      for (const double intensity : reals) {
        std::int32_t r, g, b;
        HSItoRGB(hue, sat, intensity, r, g, b);
        for (const std::int32_t ch : {r, g, b}) ASSERT_TRUE(ch >= 0 && ch <= 255) << ch;
        std::uint8_t R, G, B;
        CMYtoRGB(hue, sat, intensity, R, G, B);
        double c = hue, m = sat, y = intensity, k;
        CMYtoCMYK(c, m, y, k);
        CMYKtoCMY(c, m, y, hue);
        for (const double v : {c, m, y}) ASSERT_TRUE(v >= 0 && v <= 1) << v;
        ASSERT_LE(InterpolateColor(clBlack, clWhite, hue), clWhite);
        ASSERT_LE(Interpolate3Colors(clWhite, clBlack, clWhite, hue), clWhite);
      }
    }
  }
  std::int32_t r, g, b;
  HSItoRGB(10, 1, nan, r, g, b);
  EXPECT_EQ(RGB(r, g, b), clBlack);
  HSItoRGB(inf, 1, 1, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(255, 0, 0));

  const std::int32_t ints[] = {INT_MIN, -1, 0, 1, 255, 256, INT_MAX};
  for (const std::int32_t x : ints) {
    for (const std::int32_t y : ints) {
      for (const std::int32_t z : ints) {
        double hue, sat, intensity;
        RGBtoHSI(x, y, z, hue, sat, intensity);
        ASSERT_TRUE(hue == -1 || (hue >= 0 && hue < 360)) << hue;
        ASSERT_TRUE(sat >= 0 && sat <= 1) << sat;
        ASSERT_TRUE(intensity >= 0 && intensity <= 1) << intensity;
      }
    }
    for (const double gamma : reals) ASSERT_LE(WavelengthToColor(x, gamma), clWhite);
  }
  double hue, sat, intensity;
  RGBtoHSI(INT_MAX, INT_MIN, 0, hue, sat, intensity);  // taken as (255, 0, 0)
  EXPECT_EQ(hue, 0);
  EXPECT_EQ(sat, 1);
  EXPECT_EQ(intensity, 1);
  // (0.5)^-1000 is far beyond full; 1 to any power stays 1.
  EXPECT_EQ(WavelengthToColor(500, -1000), RGB(0, 255, 255));
  EXPECT_EQ(WavelengthToColor(500, inf), RGB(0, 255, 0));
  EXPECT_EQ(WavelengthToColor(500, nan), RGB(0, 255, 0));
}

TEST(CMYK, ConvertsBothWays) {
  double c, m, y, k;
  RGBtoCMY(255, 0, 51, c, m, y);
  EXPECT_DOUBLE_EQ(c, 0);
  EXPECT_DOUBLE_EQ(m, 1);
  EXPECT_DOUBLE_EQ(y, 0.8);
  c = 0.2, m = 0.5, y = 0.7;
  CMYtoCMYK(c, m, y, k);
  EXPECT_DOUBLE_EQ(k, 0.2);
  EXPECT_DOUBLE_EQ(c, 0);
  EXPECT_DOUBLE_EQ(m, 0.3);
  EXPECT_DOUBLE_EQ(y, 0.5);
  CMYKtoCMY(c, m, y, 0.9);
  EXPECT_DOUBLE_EQ(c, 0.9);
  EXPECT_DOUBLE_EQ(m, 1.0);  // clamped
  std::uint8_t r, g, b;
  CMYtoRGB(-1, 2, 0.2, r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 204);
}

struct HueCase {
  int r, g, b;
  double Hue;
};

class RGBtoHSIHue : public ::testing::TestWithParam<HueCase> {};

TEST_P(RGBtoHSIHue, MatchesTheColourWheel) {
  const HueCase& c = GetParam();
  double hue, sat, intensity;
  RGBtoHSI(c.r, c.g, c.b, hue, sat, intensity);
  EXPECT_DOUBLE_EQ(hue, c.Hue);
}

INSTANTIATE_TEST_SUITE_P(Colors, RGBtoHSIHue,
                         ::testing::Values(HueCase{255, 0, 0, 0}, HueCase{0, 255, 0, 120},
                                           HueCase{0, 0, 255, 240}, HueCase{255, 0, 255, 300},
                                           HueCase{255, 255, 0, 60}, HueCase{0, 255, 255, 180},
                                           HueCase{255, 0, 128, 360 - 128.0 / 255 * 60},
                                           HueCase{0, 0, 0, 0}, HueCase{128, 128, 128, -1}));

TEST(RGBtoHSI, GreyHasNoHueAndKeepsItsIntensity) {
  double hue, sat, intensity;
  RGBtoHSI(128, 128, 128, hue, sat, intensity);
  EXPECT_EQ(hue, -1);
  EXPECT_EQ(sat, 0);
  EXPECT_DOUBLE_EQ(intensity, 128 / 255.0);
}

TEST(HSI, RoundTripsAroundTheHueCircle) {
  for (int hue = 0; hue < 360; hue += 5) {
    for (const double sat : {0.25, 0.5, 1.0}) {
      std::int32_t r, g, b;
      HSItoRGB(hue, sat, 1.0, r, g, b);
      double h2, s2, i2;
      RGBtoHSI(r, g, b, h2, s2, i2);
      // Channels are whole numbers, so the hue comes back within a channel step.
      const double diff = std::fabs(std::remainder(h2 - hue, 360.0));
      EXPECT_LT(diff, 1.5) << hue << " " << sat;
      EXPECT_NEAR(s2, sat, 0.01);
      EXPECT_DOUBLE_EQ(i2, 1.0);
    }
  }
}

TEST(HSItoRGB, HueOutsideTheCircleIsRed) {
  std::int32_t r, g, b;
  HSItoRGB(360, 1, 1, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(255, 0, 0));
  HSItoRGB(-20, 1, 1, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(255, 0, 0));
  HSItoRGB(240, 1, 1, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(0, 0, 255));
}

TEST(WavelengthToColor, CoversTheVisibleRange) {
  EXPECT_EQ(WavelengthToColor(379, 1), clBlack);
  EXPECT_EQ(WavelengthToColor(780, 1), clBlack);
  EXPECT_EQ(WavelengthToColor(700, 1), RGB(255, 0, 0));
  EXPECT_EQ(WavelengthToColor(500, 1), RGB(0, 255, 128));  // 127.5 rounds to even
  EXPECT_EQ(WavelengthToColor(380, 1), RGB(76, 0, 76));    // dimmed to 0.3 at the edge: 76.5
  EXPECT_EQ(WavelengthToColor(550, 0.8),
            RGB(std::nearbyint(255 * std::pow(40.0 / 70, 0.8)), 255, 0));
}

TEST(HexStrToColor, ReadsUpToTheFirstOtherCharacter) {
  EXPECT_EQ(HexStrToColor(u"12G4"), 0x12u);
  EXPECT_EQ(HexStrToColor(u""), 0u);
  EXPECT_EQ(HexStrToColor(u"   "), 0u);
  EXPECT_EQ(HexStrToColor(u"$FF000000"), 0xFF000000u);
  EXPECT_EQ(HexStrToColor(u"123456789"), 0x23456789u);  // the last eight digits
  EXPECT_EQ(HexStrToColor(u"$ 12 ab"), 0x12ABu);        // blanks between digits are skipped
  EXPECT_EQ(HexStrToColor(u"$$1"), 0u);
  EXPECT_EQ(HexStrToColor(ColorToHexStr(0xDEADBEEF)), 0xDEADBEEFu);
}

TEST(RandomColor, DrawsBlueFirstAndStaysInItsRanges) {
  RandSeed = 77;
  const std::int32_t b = Random(256), g = Random(256), r = Random(256);
  RandSeed = 77;
  EXPECT_EQ(RandomColor(), RGB(r, g, b));
  for (int i = 0; i < 200; ++i) {
    const TColor c = RandomColor(10, 20, 30, 30, 250, 255);
    EXPECT_TRUE(GetRValue(c) >= 10 && GetRValue(c) <= 20);
    EXPECT_EQ(GetGValue(c), 30);
    EXPECT_GE(GetBValue(c), 250);
  }
  // A reversed range gives its low end instead of failing.
  EXPECT_EQ(GetRValue(RandomColor(200, 100, 0, 0, 0, 0)), 200);
}

}  // namespace
}  // namespace kez
