#include "kez/platform/sysutils.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "kez/platform/random.hpp"
#include "kez/platform/stringlist.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

TEST(IntToStr, WritesPlainDecimal) {
  EXPECT_EQ(IntToStr(0), u"0");
  EXPECT_EQ(IntToStr(-42), u"-42");
  EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
}

TEST(StrToInt, AcceptsDecimalAndHexadecimalWithinRange) {
  EXPECT_EQ(StrToInt(u" 17 "), 17);
  EXPECT_EQ(StrToInt(u"-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(StrToInt(u"$FF"), 255);
  EXPECT_EQ(StrToInt(u"0x10"), 16);
  EXPECT_EQ(StrToInt(u"$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64(u"9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(StrToIntDef(u"zz", 5), 5);
}

TEST(StrToInt, RejectsAnythingElse) {
  for (const char16_t* bad :
       {u"", u" ", u"+", u"1 2", u"12a", u"2147483648", u"$", u"1.0", u"\u0661"}) {
    std::int32_t v = 99;
    EXPECT_FALSE(TryStrToInt(bad, v)) << test::U8(bad);
    EXPECT_EQ(v, 99);
  }
  EXPECT_THROW_MSG(StrToInt(u"abc"), EConvertError, u"'abc' is not a valid integer value");
}

TEST(StrToFloat, ReadsDotDecimalsWhateverTheLocale) {
  // A locale with a decimal comma must not change the result.
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(StrToFloat(u"1.5"), 1.5);
  EXPECT_EQ(StrToFloat(u" -2.5e3 "), -2500.0);
  EXPECT_EQ(StrToFloat(u".5"), 0.5);
  EXPECT_EQ(StrToFloat(u"5."), 5.0);
  EXPECT_EQ(StrToFloat(u"+1E-2"), 0.01);
  EXPECT_EQ(StrToFloat(u"0.1"), 0.1);
  EXPECT_TRUE(std::isinf(StrToFloat(u"-INF")));
  EXPECT_TRUE(std::isnan(StrToFloat(u"nan")));
  if (previous != nullptr) std::setlocale(LC_NUMERIC, "C");
  Extended x = 0;
  ASSERT_TRUE(TryStrToFloat(u"0.1", x));
  EXPECT_EQ(x, 0.1L);
}

TEST(StrToFloat, RejectsMalformedTextAndOverflow) {
  for (const char16_t* bad :
       {u"", u".", u"1,5", u"1e", u"1e+", u"e5", u"1.5abc", u"--1", u"1e400", u"0x1p3"}) {
    double v = 7;
    EXPECT_FALSE(TryStrToFloat(bad, v)) << test::U8(bad);
  }
  EXPECT_THROW_MSG(StrToFloat(u"1,5"), EConvertError, u"'1,5' is not a valid floating point value");
}

struct GeneralCase {
  double Value;
  const char16_t* Expected;
};

void PrintTo(const GeneralCase& c, std::ostream* os) { *os << test::U8(c.Expected); }

class FloatToStrGeneral : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(FloatToStrGeneral, UsesFifteenSignificantDigits) {
  EXPECT_EQ(test::U8(FloatToStr(GetParam().Value)), test::U8(GetParam().Expected));
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, FloatToStrGeneral,
    ::testing::Values(GeneralCase{0, u"0"}, GeneralCase{0.1, u"0.1"},
                      GeneralCase{-123.456, u"-123.456"},
                      GeneralCase{1.0 / 3, u"0.333333333333333"},
                      GeneralCase{2.0 / 3, u"0.666666666666667"}, GeneralCase{0.0001, u"0.0001"},
                      GeneralCase{0.00001, u"1E-5"}, GeneralCase{1e14, u"100000000000000"},
                      GeneralCase{1e15, u"1E15"}, GeneralCase{-1.5e-7, u"-1.5E-7"},
                      GeneralCase{123456789012345678.0, u"1.23456789012346E17"},
                      GeneralCase{std::numeric_limits<double>::infinity(), u"INF"},
                      GeneralCase{std::numeric_limits<double>::quiet_NaN(), u"NAN"}));

// printf's %.15G chooses the same form (exponent below -4 or above 14) and drops the same
// zeros; only its exponent is written "E+15" / "E-05" where FloatToStr writes "E15" / "E-5".
std::string GeneralModel(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  std::string s(buf);
  const std::size_t e = s.find('E');
  if (e == std::string::npos) return s;
  std::string exponent = s.substr(e + 1);
  const bool negative = exponent[0] == '-';
  exponent.erase(0, 1);
  while (exponent.size() > 1 && exponent[0] == '0') exponent.erase(0, 1);
  return s.substr(0, e + 1) + (negative ? "-" : "") + exponent;
}

TEST(FloatToStr, MatchesPrintfGeneralOnRandomValues) {
  std::mt19937_64 rng(26);
  std::uniform_int_distribution<int> exponent(-330, 330);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  for (int i = 0; i < 200000; ++i) {
    double v;
    switch (i % 4) {
      case 0:  // any bit pattern that is a finite number
        do {
          const std::uint64_t bits = rng();
          std::memcpy(&v, &bits, sizeof v);
        } while (!std::isfinite(v));
        break;
      case 1:  // values near the switch to the exponent form
        v = mantissa(rng) * std::pow(10.0, exponent(rng) % 20);
        break;
      case 2:  // quarters, as a table of measurements holds
        v = static_cast<double>(static_cast<std::int64_t>(rng() % 4000000) - 2000000) / 4;
        break;
      default:
        v = mantissa(rng) * std::pow(10.0, exponent(rng));
        break;
    }
    if (v == 0 || !std::isfinite(v)) continue;
    ASSERT_EQ(test::U8(FloatToStr(v)), GeneralModel(v)) << v;
  }
}

TEST(FloatToStrLayout, CarriesTheExtendedDigits) {
  // 1/3 in 80 bits carries 18 significant digits (a double only 17); further ones are 0.
  EXPECT_EQ(FloatToStrLayout(1.0L / 3, 26, -1), u" 3.33333333333333333E-0001");
  EXPECT_EQ(FloatToStrLayout(1.0L / 3, 30, -1), u" 3.333333333333333330000E-0001");
  EXPECT_EQ(FloatToStrLayout(2.0L / 3, 26, -1), u" 6.66666666666666667E-0001");
  EXPECT_EQ(FloatToStrLayout(-std::numeric_limits<long double>::infinity(), 6, -1), u"  -INF");
  EXPECT_EQ(FloatToStrLayout(-0.0L, 12, -1), u" 0.000E+0000");
  EXPECT_EQ(FloatToStrLayout(0.1L, 0, 25).size(), 27u);
  EXPECT_EQ(FloatToStrLayout(1e300, 0, 2).size(), 304u);
}

TEST(Casing, AsciiChangesOnlyAsciiLetters) {
  EXPECT_EQ(UpperCase(u"abz\u00E9\u00E4"), u"ABZ\u00E9\u00E4");
  EXPECT_EQ(LowerCase(u"ABZ\u00C9[@"), u"abz\u00C9[@");
}

TEST(Casing, LocaleAwareChangesEveryLetter) {
  EXPECT_EQ(AnsiUpperCase(u"stra\u00DFe \u00E9t\u00E9 \u03B1\u03B2"),
            u"STRA\u00DFE \u00C9T\u00C9 \u0391\u0392");
  EXPECT_EQ(AnsiLowerCase(u"\u00C4\u00D6\u00DC \u0416"), u"\u00E4\u00F6\u00FC \u0436");
  EXPECT_EQ(AnsiUpperCase(u"\xD83D\xDE00"), u"\xD83D\xDE00");  // surrogates stay
}

TEST(Random, SameSeedSameSequence) {
  RandSeed = 12345;
  std::vector<std::int32_t> first;
  for (int i = 0; i < 20; ++i) first.push_back(Random(1000));
  RandSeed = 12345;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Random(1000), first[static_cast<std::size_t>(i)]);
  for (int i = 0; i < 1000; ++i) {
    const std::int32_t r = Random(7);
    EXPECT_TRUE(r >= 0 && r < 7);
    const double d = Random();
    EXPECT_TRUE(d >= 0 && d < 1);
  }
  EXPECT_EQ(Random(0), 0);
}

TEST(Random, FollowsTheClassicGenerator) {
  RandSeed = 0;
  EXPECT_EQ(Random(100), 0);  // seed 1
  EXPECT_EQ(RandSeed, 1u);
  EXPECT_EQ(Random(), 134775814.0 / 4294967296.0);
}

TEST(SecureRandom, StaysInRangeAndReachesBothEnds) {
  EXPECT_EQ(SecureRandom(0), 0u);
  EXPECT_EQ(SecureRandom(1), 0u);
  // 3 does not divide 2^32: the rejection keeps the values in range and all reachable.
  int seen[3] = {};
  for (int i = 0; i < 300; ++i) {
    const std::uint32_t r = SecureRandom(3);
    ASSERT_LT(r, 3u);
    ++seen[r];
  }
  EXPECT_GT(seen[0] * seen[1] * seen[2], 0);
  bool high = false;
  for (int i = 0; i < 64 && !high; ++i) high = SecureRandom(UINT32_MAX) >= 0x80000000u;
  EXPECT_TRUE(high);
}

TEST(StringList, SplitsTextAtEveryKindOfLineEnd) {
  TStringList list;
  list.SetText(u"a\r\nb\nc\rd\r\n");
  EXPECT_EQ(list.Items(), (std::vector<String>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(list.Text(), u"a\r\nb\r\nc\r\nd\r\n");
  list.SetText(u"\n\nx");
  EXPECT_EQ(list.Items(), (std::vector<String>{u"", u"", u"x"}));
}

TEST(StringList, SortedListInsertsInOrder) {
  TStringList list;
  list.Add(u"b");
  list.Add(u"a");
  list.SetSorted(true);
  EXPECT_EQ(list.Add(u"ab"), 1);
  EXPECT_EQ(list.Items(), (std::vector<String>{u"a", u"ab", u"b"}));
  EXPECT_EQ(list.IndexOf(u"b"), 2);
  EXPECT_EQ(list.IndexOf(u"B"), -1);
}

}  // namespace
}  // namespace kez
