// Compact numbers, number lists, numbered positions, aligned numbers and time spans.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

TEST(AutoFormatData, FixedInsideRangeCompactScientificOutside) {
  struct Case {
    double value;
    std::int32_t precision;
    const char16_t* expected;
  };
  const Case cases[] = {
      {0.05, 4, u"5.000E-02"},
      {0.25, 4, u"0.250"},
      {123.456, 4, u"123.5"},
      {0.1, 4, u"1.000E-01"},
      {999, 4, u"999.0"},
      {1000, 4, u"1.000E+03"},
      {10000, 4, u"1.000E+04"},
      {0, 4, u"0.000"},
      {-2.5, 1, u"-2.5"},  // precision 2
      {1e200, 3, u"*********"},
      {1.5, 99, u"1.500000000000000"},
      {std::numeric_limits<double>::quiet_NaN(), 4, u"NAN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(test::U8(AutoFormatData(c.value, c.precision)), test::U8(c.expected))
        << c.value << " " << c.precision;
  }
  EXPECT_EQ(AutoFormatData(0.25, 4, true), u"0,250");
  EXPECT_EQ(AutoFormatData(0.25, 4, false), u"0.250");
  EXPECT_EQ(SigDigStr(123.456, 8, 4, true), u"123.5");
  EXPECT_EQ(SigDigStr(123.456, 8, 4, false), u"   123.5");
}

TEST(CreateParList, BracketsCountLimitAndTrailingComma) {
  const std::vector<std::int32_t> ints = {1, -2, 3};
  EXPECT_EQ(CreateParList(ints, false, 0), u"[1,-2,3]");
  EXPECT_EQ(CreateParList(ints, false, 2), u"[1,-2,...]");
  EXPECT_EQ(CreateParList(ints, true, 2), u"[1,-2,...],");
  EXPECT_EQ(CreateParList(ints, false, 3), u"[1,-2,3]");
  EXPECT_EQ(CreateParList(ints, false, -1), u"[1,-2,3]");
  EXPECT_EQ(CreateParList(std::vector<std::int32_t>(), false, 0), u"[]");
  EXPECT_EQ(CreateParList(std::vector<std::int32_t>(), true, 0), u"[],");
  EXPECT_EQ(CreateParList({4, 5}, true), u"[4,5],");
  const std::vector<double> reals = {0.25, 123.456, 0.05};
  EXPECT_EQ(CreateParList(reals, false, 0, 4), u"[0.250,123.5,5.000E-02]");
  EXPECT_EQ(CreateParList(reals, false, 1, 4), u"[0.250,...]");
  EXPECT_EQ(CreateParList({1.5, 2.0}, false), u"[1.50,2.00]");
  EXPECT_EQ(CreateParList(std::span<const double>(), false), u"[]");
}

TEST(NumberedPos, NthNonOverlappingOccurrence) {
  EXPECT_EQ(NumberedPos(u"ab", u"abxabab", 1, 1, false), 1);
  EXPECT_EQ(NumberedPos(u"ab", u"abxabab", 1, 3, false), 6);
  EXPECT_EQ(NumberedPos(u"ab", u"abxabab", 2, 1, false), 4);
  EXPECT_EQ(NumberedPos(u"ab", u"abxabab", -5, 2, false), 4);
  EXPECT_EQ(NumberedPos(u"ab", u"abxabab", 1, 4, false), 0);
  EXPECT_EQ(NumberedPos(u"aa", u"aaaa", 1, 2, false), 3);  // no overlap
  EXPECT_EQ(NumberedPos(u"AB", u"xaBab", 1, 2, true), 4);
  EXPECT_EQ(NumberedPos(u"\u00C4", u"x\u00E4", 1, 1, true), 2);
  EXPECT_EQ(NumberedPos(u"AB", u"xaBab", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos(u"", u"abc", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos(u"a", u"abc", 1, 0, false), 0);
  EXPECT_EQ(NumberedPos(u"a", u"abc", 9, 1, false), 0);
}

TEST(SortableNumericString, AlignsOnCharacter) {
  EXPECT_EQ(SortableNumericString(u"  3.25 ", u'.', 4), u"  3.25");
  EXPECT_EQ(SortableNumericString(u"123.5", u'.', 4), u"123.5");
  EXPECT_EQ(SortableNumericString(u"12345.5", u'.', 4), u"12345.5");
  EXPECT_EQ(SortableNumericString(u"12", u'.', 3), u"   12");
  EXPECT_EQ(SortableNumericString(u"   ", u'.', 2), u"  ");
  EXPECT_EQ(SortableNumericString(u"1.5", u'.', std::numeric_limits<std::int32_t>::max()).size(),
            4096u - 2 + 3);
}

TEST(TimeString, Layouts) {
  const char16_t* expected[] = {u"01:02:05.50", u"01:02:05", u" 1h02",
                                u" 1h02'05\"",  u"01:02",    u" 1:02a"};
  for (std::uint8_t mode = 0; mode < 6; ++mode) {
    EXPECT_EQ(test::U8(TimeString(3725.5, mode)), test::U8(expected[mode])) << int(mode);
  }
  EXPECT_EQ(TimeString(3725.5, 6), u"");
  EXPECT_EQ(TimeString(-5, 1), u"00:00:00");
  EXPECT_EQ(TimeString(0, 5), u"12:00a");
  EXPECT_EQ(TimeString(13 * 3600 + 60, 5), u" 1:01p");
  EXPECT_EQ(TimeString(12 * 3600, 5), u"12:00p");
  EXPECT_EQ(TimeString(123 * 3600 + 59 * 60 + 59.75, 0), u"123:59:59.75");
  EXPECT_EQ(TimeString(7199.999, 1), u"01:59:59");
}

TEST(TimeString, HugeInfiniteAndNaNSecondsStayInRange) {
  // 65536 hours wrap to 0; minutes and seconds still come from the seconds.
  EXPECT_EQ(TimeString(65536.0 * 3600 + 125, 1), u"00:02:05");
  EXPECT_EQ(TimeString(65537.0 * 3600, 4), u"01:00");
  EXPECT_EQ(TimeString(std::numeric_limits<double>::quiet_NaN(), 0), u"00:00:00.00");
  EXPECT_EQ(TimeString(-std::numeric_limits<double>::infinity(), 1), u"00:00:00");
  const String inf = TimeString(std::numeric_limits<double>::infinity(), 0);
  EXPECT_EQ(inf, TimeString(std::numeric_limits<double>::max(), 0));
  EXPECT_GE(inf.size(), 11u);
  EXPECT_LE(inf.size(), 14u);
  EXPECT_EQ(TimeString(1e300, 3).size(), TimeString(1e300, 3).find(u'h') + 7);
}

}  // namespace
}  // namespace kez
