// Real-number layouts: fixed, scientific, compact scientific, zero padding, forced plus,
// the bounded label form and significant digits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

struct LayoutCase {
  Extended value;
  std::int32_t width;
  std::int32_t decimals;
  const char16_t* expected;
};

std::ostream& operator<<(std::ostream& os, const LayoutCase& c) {
  return os << static_cast<double>(c.value) << " " << c.width << " " << c.decimals;
}

class StrffLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(StrffLayout, WritesExpectedText) {
  const LayoutCase& c = GetParam();
  EXPECT_EQ(test::U8(strff(c.value, c.width, c.decimals)), test::U8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Fixed, StrffLayout,
    testing::Values(LayoutCase{1.5, 8, 2, u"    1.50"}, LayoutCase{-1.5, 8, 2, u"   -1.50"},
                    LayoutCase{1.5, 0, 2, u"1.50"}, LayoutCase{123456.0, 3, 0, u"123456"},
                    LayoutCase{2.5, 1, 0, u"2"},  // exact tie: to even
                    LayoutCase{0.125, 1, 2, u"0.12"}, LayoutCase{0.1251, 1, 2, u"0.13"},
                    LayoutCase{-0.0, 5, 1, u"  0.0"}, LayoutCase{-0.001, 1, 2, u"-0.00"},
                    LayoutCase{1e20, 1, 0, u"100000000000000000000"},
                    LayoutCase{0.1L, 1, 19, u"0.1000000000000000000"}));

INSTANTIATE_TEST_SUITE_P(
    ZeroPadding, StrffLayout,
    testing::Values(LayoutCase{1.5, -8, 2, u"00001.50"}, LayoutCase{-1.5, -8, 2, u"-0001.50"},
                    LayoutCase{-12, -5, 0, u"-0012"}, LayoutCase{-12, -3, 0, u"-12"},
                    LayoutCase{7, -1, 0, u"7"},
                    LayoutCase{std::numeric_limits<double>::infinity(), -5, 0, u"  INF"}));

INSTANTIATE_TEST_SUITE_P(
    Scientific, StrffLayout,
    testing::Values(
        LayoutCase{1250, 12, -1, u" 1.250E+0003"}, LayoutCase{-1250, 12, -1, u"-1.250E+0003"},
        LayoutCase{0, 12, -1, u" 0.000E+0000"}, LayoutCase{-0.0, 12, -1, u" 0.000E+0000"},
        LayoutCase{9.9996, 12, -1, u" 1.000E+0001"}, LayoutCase{1e-300, 11, -3, u" 1.00E-0300"},
        LayoutCase{1.5, 3, -1, u" 1.5E+0000"},  // at least one digit after "."
        LayoutCase{1250, -12, -1, u"01.250E+0003"},
        // Digits of the 80-bit value, not of the nearest double.
        LayoutCase{1.0L / 3, 27, -1, u" 3.333333333333333330E-0001"},
        LayoutCase{1e4000L, 11, -1, u" 1.00E+4000"}));

INSTANTIATE_TEST_SUITE_P(
    CompactScientific, StrffLayout,
    testing::Values(LayoutCase{12340, 10, -2, u" 1.234E+04"},
                    LayoutCase{-12340, 10, -2, u"-1.234E+04"},
                    LayoutCase{12340, -10, -2, u"01.234E+04"},
                    LayoutCase{0.05, 10, -2, u" 5.000E-02"}, LayoutCase{1e99, 8, -2, u" 1.0E+99"},
                    LayoutCase{1e150, 10, -2, u"**********"},
                    LayoutCase{1e-150, 8, -2, u"********"},
                    LayoutCase{std::numeric_limits<double>::quiet_NaN(), 6, -2, u"   NAN"}));

TEST(StrffForcePlus, PlusReplacesBlankOrPadOrGoesInFront) {
  const LayoutCase cases[] = {
      {0, 4, 1, u"+0.0"},
      {0.5, 1, 1, u"+0.5"},
      {5, -4, 0, u"+005"},
      {0, 1, 0, u"+0"},
      {5, 1, 0, u"+5"},
      {12, 6, 0, u"   +12"},
      {-12, 6, 0, u"   -12"},
      {-12, -6, 0, u"-00012"},
      {1250, 12, -1, u"+1.250E+0003"},
      {-0.0, 3, 0, u" +0"},
      {12340, 10, -2, u"+1.234E+04"},
  };
  for (const LayoutCase& c : cases) {
    EXPECT_EQ(test::U8(strffForcePlus(c.value, c.width, c.decimals)), test::U8(c.expected)) << c;
  }
  EXPECT_EQ(strffForcePlus(std::numeric_limits<double>::quiet_NaN(), 4, 0), u" NAN");
}

TEST(StrffLayout, HugeWidthsAndDecimalsAreClampedNotOverflowed) {
  EXPECT_EQ(strff(1, std::numeric_limits<std::int32_t>::min(), 0).size(), 4096u);
  EXPECT_EQ(strff(1, std::numeric_limits<std::int32_t>::max(), -2).size(), 4094u);
  EXPECT_EQ(strff(1, 1, std::numeric_limits<std::int32_t>::max()).size(), 4098u);
  EXPECT_EQ(strff(1, 1, std::numeric_limits<std::int32_t>::min()), u" 1.0E+0000");
}

// Every width, decimals and digits argument at both ends of its range: no wrap in the size
// arithmetic (INT_MIN - 9), no allocation in proportion to the argument, no exception.
TEST(StrffLayout, EveryFormatterIsSafeAtThe32BitLimits) {
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(FixedWidthStr(1, lo, -1), u" 1.0E+0000");
  EXPECT_EQ(FloatToStrLayout(1, lo, -1), u" 1.0E+0000");
  EXPECT_EQ(FixedWidthStr(-1, lo, 2), u"-1.00");
  EXPECT_EQ(FixedWidthStr(1, -1, -1), u" 1.0E+0000");
  const std::int32_t limits[] = {0, 1, -1, lo, hi};
  for (const std::int32_t a : limits) {
    for (const std::int32_t b : limits) {
      for (const double v : {0.0, -1.5, 1e300, 1e-300}) {
        const String texts[] = {FixedWidthStr(v, a, b),   FloatToStrLayout(v, a, b),
                                strff(v, a, b),           strffForcePlus(v, a, b),
                                FormatData(v, a, b),      SigDigStr(v, a, b),
                                SigDigStr(v, a, b, true), AutoFormatData(v, a)};
        for (const String& t : texts) {
          EXPECT_FALSE(t.empty()) << v << " " << a << " " << b;
          EXPECT_LE(t.size(), 4096u + 400) << v << " " << a << " " << b;
        }
      }
    }
  }
}

// FormatData switches to the compact scientific form outside nine digits.
TEST(FormatData, BoundsAtEachDecimals) {
  const double upper[] = {999999999, 9999999.9, 999999.99, 99999.999, 9999.9999,
                          999.99999, 99.999999, 9.9999999, 0.99999999};
  for (int d = 0; d <= 8; ++d) {
    const double lower = std::pow(10.0, -d);
    const String atUpper = FormatData(upper[d], 12, d);
    const String aboveUpper = FormatData(std::nextafter(upper[d], 1e10), 12, d);
    const String atLower = FormatData(-lower, 12, d);
    const String belowLower = FormatData(std::nextafter(lower, 0.0), 12, d);
    EXPECT_EQ(atUpper.find(u'E'), String::npos) << d << " " << test::U8(atUpper);
    EXPECT_EQ(atLower.find(u'E'), String::npos) << d << " " << test::U8(atLower);
    EXPECT_EQ(aboveUpper.size(), 18u) << d;
    EXPECT_NE(aboveUpper.find(u'E'), String::npos) << d;
    EXPECT_NE(belowLower.find(u'E'), String::npos) << d;
    EXPECT_EQ(FormatData(0, 12, d), FixedWidthStr(0, 12, d)) << d;
  }
  EXPECT_EQ(FormatData(999999999, 12, 0), u"   999999999");
  EXPECT_EQ(FormatData(1e9, 12, 0), u" 1.00000000000E+09");
  EXPECT_EQ(FormatData(0, 5, 3), u"0.000");
  EXPECT_EQ(FormatData(0.0005, 8, 3), u" 5.0000000E-04");
  EXPECT_EQ(FormatData(1.5, 4, 9), u" 1.500E+00");
  EXPECT_EQ(FormatData(1.5, 4, -1), u" 1.500E+00");
  EXPECT_EQ(FormatData(std::numeric_limits<double>::infinity(), 6, 2), u"   INF");
  EXPECT_EQ(FormatData(-std::numeric_limits<double>::infinity(), 6, -1), u"  -INF");
}

TEST(SigDigStr, FixedWhenItFitsElseCompactScientific) {
  struct Case {
    double value;
    std::int32_t width, digits;
    const char16_t* expected;
  };
  const Case cases[] = {
      {123.456, 8, 4, u"   123.5"},
      {0.00012345, 8, 3, u" 1.23E-04"},
      {0, 6, 3, u"  0.00"},
      {123456, 8, 3, u"  123456"},
      {123456, 5, 3, u" 1.23E+05"},
      {1000, 8, 4, u"    1000"},
      {1000, 8, 5, u"  1000.0"},
      {0.001, 8, 2, u"  0.0010"},
      {-2.5, 6, 2, u"  -2.5"},
      {1, 1, 0, u" 1.0E+00"},
      {std::numeric_limits<double>::infinity(), 5, 3, u"  INF"},
      // Digits of 0 or less take the same steps: 0 gives a scientific zero (decimals -1),
      // other values the fixed form with Digits - e decimals or the compact scientific.
      {0, 12, 0, u" 0.000E+0000"},
      {0, 12, -5, u" 0.000E+0000"},
      {123.456, 12, 0, u"         123"},
      {123.456, 2, 0, u" 1.2E+02"},
      {0.001, 12, 0, u"        0.00"},
      {0.001, 12, std::numeric_limits<std::int32_t>::min(), u"           0"},
      // The count of digits before the point is exact where log10 rounds up to 3.
      {999.9999999999999, 12, 3, u"        1000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(test::U8(SigDigStr(c.value, c.width, c.digits)), test::U8(c.expected))
        << c.value << " " << c.width << " " << c.digits;
  }
}

}  // namespace
}  // namespace kez
