#include "kez/dstruct/numberscan.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <utility>

#include "support/test_support.hpp"

namespace kez {
namespace {

struct NumberCase {
  const char* text;
  bool valid;
  double value;
};

class NumberScanTable : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberScanTable, ReadsLikeTheStateMachine) {
  const NumberCase& c = GetParam();
  const TNumberScanResult r = ScanNumberText(std::string_view(c.text));
  EXPECT_EQ(r.Valid, c.valid) << c.text;
  EXPECT_DOUBLE_EQ(r.Value, c.value) << c.text;
  // The UTF-16 form reads the same.
  const TNumberScanResult w = ScanNumberText(AnsiToString(c.text));
  EXPECT_EQ(w.Valid, r.Valid) << c.text;
  EXPECT_EQ(w.Value, r.Value) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberScanTable,
                         testing::Values(NumberCase{" 1,5e2x", true, 150},
                                         NumberCase{"abc", false, 0}, NumberCase{"1.2.3", false, 0},
                                         NumberCase{"", false, 0}, NumberCase{"   ", false, 0},
                                         NumberCase{"-", false, 0}, NumberCase{"- 1", false, 0},
                                         NumberCase{"+-1", false, 0}, NumberCase{"-12", true, -12},
                                         NumberCase{"+.5", true, 0.5}, NumberCase{"5.", true, 5},
                                         NumberCase{".", true, 0}, NumberCase{"5.E2", true, 500},
                                         NumberCase{"3E", true, 3}, NumberCase{"3e+x", true, 3},
                                         NumberCase{"2e-1", true, 0.2}, NumberCase{"7 8", true, 7},
                                         NumberCase{"7-8", true, 7}, NumberCase{"1e2.5", true, 100},
                                         NumberCase{"1E 2", false, 0}, NumberCase{"E5", false, 0},
                                         NumberCase{"1e400", true, 1.7e308},
                                         NumberCase{"-1e400", true, -1.7e308},
                                         NumberCase{"1e-400", true, 0},
                                         NumberCase{"1.75e308", true, 1.7e308}));

TEST(NumberScan, TryParseDecimalReadsWholeTextsBeyondTheRangeToo) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<const char16_t*, double> good[] = {{u"0", 0},
                                                     {u"-2.5", -2.5},
                                                     {u"+.5", 0.5},
                                                     {u"5.", 5},
                                                     {u"1E3", 1000},
                                                     {u"1e400", inf},
                                                     {u"-1e400", -inf},
                                                     {u"0.001e+312", inf},
                                                     {u"1e-400", 0},
                                                     {u"1000e-326", 1e-323},
                                                     {u"4.9e-324", 4.9e-324},
                                                     {u"0e999999999999", 0},
                                                     {u"1e99999999999999999999", inf},
                                                     {u"1e-99999999999999999999", 0}};
  for (const auto& [text, want] : good) {
    double v = 7;
    ASSERT_TRUE(TryParseDecimal(text, v)) << test::U8(text);
    EXPECT_EQ(v, want) << test::U8(text);
  }
  double v = 0;
  EXPECT_TRUE(TryParseDecimal(u"-1e-400", v));
  EXPECT_TRUE(std::signbit(v));
  for (const char16_t* bad : {u"", u"-", u".", u"e5", u"1e", u"1e+", u" 1", u"1 ", u"1,5", u"inf",
                              u"nan", u"0x1p3", u"1.2.3", u"++1", u"1e5.0", u"\u0661"}) {
    EXPECT_FALSE(TryParseDecimal(bad, v)) << test::U8(bad);
  }
}

TEST(NumberScan, CommaIsASeparatorOnlyWhenAccepted) {
  EXPECT_EQ(ScanNumberText(std::string_view("1,5"), false).Value, 1);
  EXPECT_TRUE(ScanNumberText(std::string_view("1,5"), false).Valid);
  EXPECT_FALSE(ScanNumberText(std::string_view(",5"), false).Valid);
  EXPECT_EQ(ScanNumberText(std::string_view(",5"), true).Value, 0.5);
}

TEST(NumberScan, HugeExponentsAreFlaggedAndDoNotOverflow) {
  const TNumberScanResult r = ScanNumberText(std::string_view("1e99999999999999999999"));
  EXPECT_TRUE(r.Valid);
  EXPECT_TRUE(r.ExponentOverflow);
  EXPECT_EQ(r.Value, 1.7e308);
  EXPECT_FALSE(ScanNumberText(std::string_view("1e4200")).ExponentOverflow);
  EXPECT_TRUE(ScanNumberText(std::string_view("1e-4201")).ExponentOverflow);
  EXPECT_EQ(ScanNumberText(std::string_view("1e-4201")).Value, 0);
}

TEST(IntegerScan, Table) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {{"  -42abc", -42},
               {"+7", 7},
               {"", 0},
               {"   ", 0},
               {"x1", 0},
               {"- 1", 0},
               {"2147483647", 2147483647},
               {"2147483648", INT32_MIN},
               {"4294967297", 1},
               {"-2147483648", INT32_MIN},
               {"00012", 12}};
  for (const auto& c : cases) {
    EXPECT_EQ(ScanIntegerText(std::string_view(c.text)), c.value) << c.text;
    EXPECT_EQ(ScanIntegerText(AnsiToString(c.text)), c.value) << c.text;
  }
}

TEST(IntegerScan, AtPositionReadsInSequenceAndRejectsOverflow) {
  const String text = u"3 12  -7 x";
  std::size_t pos = 0;
  std::int32_t v = -1;
  EXPECT_TRUE(ScanIntegerAt(text, pos, v));
  EXPECT_EQ(v, 3);
  EXPECT_TRUE(ScanIntegerAt(text, pos, v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(ScanIntegerAt(text, pos, v));
  EXPECT_EQ(v, -7);
  EXPECT_EQ(text.substr(pos), u" x");
  EXPECT_TRUE(ScanIntegerAt(text, pos, v));  // no digits: 0
  EXPECT_EQ(v, 0);

  const struct {
    const char16_t* text;
    bool ok;
    std::int32_t value;
  } cases[] = {{u"2147483647", true, INT32_MAX},
               {u"-2147483648", true, INT32_MIN},
               {u"2147483648", false, 0},
               {u"-2147483649", false, 0},
               {u"99999999999999999999999", false, 0}};
  for (const auto& c : cases) {
    pos = 0;
    EXPECT_EQ(ScanIntegerAt(c.text, pos, v), c.ok) << StringToUtf8(c.text);
    EXPECT_EQ(v, c.value);
  }
}

// The scan's words as a slow model: the digits taken one by one in exact arithmetic (a
// magnitude past 2^32 only needs to stay past it), the value wrapped to 32 bits digit by digit.
struct ScanModel {
  std::int32_t value;
  bool inRange;
  std::size_t end;
};

ScanModel ModelScan(std::string_view text) {
  std::size_t i = 0;
  while (i + 1 < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::uint32_t wrapped = 0;
  std::uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    wrapped = wrapped * 10u + static_cast<std::uint32_t>(text[i] - '0');
    magnitude = std::min<std::uint64_t>(magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0'),
                                        std::uint64_t{1} << 33);
  }
  const bool inRange =
      magnitude <= (negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1);
  return {static_cast<std::int32_t>(negative ? 0u - wrapped : wrapped), inRange, i};
}

TEST(IntegerScan, MatchesTheModelOnRandomTexts) {
  std::mt19937 rng(26);
  const std::string alphabet = "0000000123456789 +-x";
  for (int n = 0; n < 100000; ++n) {
    std::string text(rng() % 26, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    if (n % 3 == 0) {  // numbers near the 32-bit limits, with leading zeros
      const std::int64_t v = static_cast<std::int64_t>(rng() % 8) + (std::int64_t{1} << 31) - 4;
      text = std::string(rng() % 4, '0') + std::to_string(v) + text;
      if (rng() % 2) text = "-" + text;
    }
    const ScanModel model = ModelScan(text);
    std::size_t pos = 0;
    std::int32_t v = -1;
    EXPECT_EQ(ScanIntegerAt(std::string_view(text), pos, v), model.inRange) << text;
    EXPECT_EQ(v, model.inRange ? model.value : 0) << text;
    EXPECT_EQ(pos, model.end) << text;
    EXPECT_EQ(ScanIntegerText(std::string_view(text)), model.value) << text;
    std::size_t pos16 = 0;
    std::int32_t v16 = -1;
    EXPECT_EQ(ScanIntegerAt(AnsiToString(text), pos16, v16), model.inRange) << text;
    EXPECT_EQ(pos16, model.end) << text;
  }
}

}  // namespace
}  // namespace kez
