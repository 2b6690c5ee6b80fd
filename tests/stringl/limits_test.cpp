// Every 32-bit count, position, index and width of the string library at 0, 1, -1 and both
// ends of the range: a specified result, never a wrap, a runaway allocation or a hang.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "kez/stringl.hpp"

namespace kez {
namespace {

constexpr std::int32_t kLo = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kHi = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLimits[] = {0, 1, -1, kLo, kHi};

// No argument makes a text longer than the widths the library clamps to.
constexpr std::size_t kMaxText = 4096 + 64;

TEST(StringLimits, WidthsAndCountsGiveBoundedTexts) {
  const String text = u"ab,cd;ef";
  for (const std::int32_t v : kLimits) {
    EXPECT_LE(MultiChar(u'x', v).size(), 255u) << v;
    EXPECT_GE(MultiChar(u'x', v).size(), 1u) << v;
    EXPECT_LE(LeftString(text, v).size(), 255u) << v;
    EXPECT_LE(RightString(text, v).size(), 255u) << v;
    EXPECT_LE(CenterString(text, v).size(), 255u) << v;
    EXPECT_LE(AbbrevString(text, v).size(), text.size()) << v;
    EXPECT_LE(SortableNumericString(u"1.5", u'.', v).size(), kMaxText) << v;
    EXPECT_LE(AutoFormatData(1.5, v).size(), 30u) << v;
    EXPECT_FALSE(BoolToStr(true, v).empty()) << v;
    EXPECT_FALSE(TriStateToStr(tsTrue, v).empty()) << v;
    EXPECT_EQ(CreateParList(std::vector<std::int32_t>{1, 2, 3}, false, v),
              v == 1 ? u"[1,...]" : u"[1,2,3]")
        << v;
    EXPECT_LE(CreateParList(std::vector<double>{1.5}, false, v, v).size(), 30u) << v;
  }
  EXPECT_EQ(AbbrevString(text, kLo), u"");
  EXPECT_EQ(SortableNumericString(u"1.5", u'.', kLo), u"1.5");
}

TEST(StringLimits, PositionsAndIndexesOutsideTheTextGiveTheMiss) {
  const String text = u"x = alpha+beta";
  for (const std::int32_t v : kLimits) {
    std::int32_t first = -7, last = -7;
    const String word = ExtractWordFromString(text, v, first, last);
    if (v == 1) {
      EXPECT_EQ(word, u"x");
    } else {
      EXPECT_EQ(word, u"") << v;
      EXPECT_EQ(first, 0) << v;
      EXPECT_EQ(last, 0) << v;
    }
    EXPECT_EQ(ExtractSubString(u"a;b", v, u";"), v == 0 ? u"a" : v == 1 ? u"b" : u"") << v;
    EXPECT_EQ(ExtractParam(u"1,2", v, u',', u'\'', u"none"), v == 1 ? u"1" : u"none") << v;
    std::int32_t line = -7, column = -7;
    TextLineCoords(u"ab\ncd", v, line, column);
    EXPECT_EQ(line, v == 1 ? 1 : 0) << v;
    EXPECT_EQ(NumberedPos(u"a", u"aXa", v, 1, false), v == kHi ? 0 : 1) << v;
    EXPECT_EQ(NumberedPos(u"a", u"aXa", 1, v, false), v == 1 ? 1 : 0) << v;
  }
}

// ReadLnString is called until Eos; each call moves Pos on or sets Eos, from any Pos and
// in any mode.
TEST(StringLimits, ReadLnStringLoopEndsFromAnyPosition) {
  const String text = u"a\r\nb\nc";
  for (const std::int32_t start : kLimits) {
    for (const std::int32_t mode : kLimits) {
      std::int32_t pos = start;
      bool eos = false;
      int calls = 0;
      while (!eos) {
        ReadLnString(text, pos, eos, mode);
        ASSERT_LE(++calls, static_cast<int>(text.size()) + 2) << start << " " << mode;
      }
      EXPECT_GE(pos, 1);
    }
  }
}

// The documented loop of DetectNextTagInString (go on from EndPos + 1 until StartPos is 0)
// ends from any start position; ReadNextTagInString never moves Position backwards.
TEST(StringLimits, TagScansEndFromAnyPosition) {
  const String text = u"<a x=1>hi</a><b";
  const String tags[] = {u"a", u"b", u""};
  for (const std::int32_t start : kLimits) {
    std::int32_t startPos = start, endPos = 0;
    String attributes;
    bool isEnd = false;
    int rounds = 0;
    for (;;) {
      DetectNextTagInString(text, startPos, endPos, tags, attributes, isEnd);
      if (startPos == 0) break;
      ASSERT_LE(++rounds, static_cast<int>(text.size())) << start;
      ASSERT_LT(endPos, kHi);
      startPos = endPos + 1;
    }
    std::int32_t position = start;
    String contents;
    ReadNextTagInString(text, position, tags, attributes, contents);
    EXPECT_GE(position, 1) << start;
    EXPECT_LE(position, static_cast<std::int32_t>(text.size()) + 1) << start;
  }
}

}  // namespace
}  // namespace kez
