// Boolean and tri-state words, keyword lookup, repeated characters.
#include <gtest/gtest.h>

#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

TEST(BoolToStr, WordPairsByMode) {
  const char16_t* words[][2] = {{u"TRUE", u"FALSE"}, {u"T", u"F"},     {u".T.", u".F."},
                                {u"1", u"0"},        {u"-1", u"0"},    {u"FF", u"00"},
                                {u"YES", u"NO"},     {u"GOOD", u"BAD"}};
  for (int mode = 0; mode < 8; ++mode) {
    EXPECT_EQ(BoolToStr(true, mode), words[mode][0]) << mode;
    EXPECT_EQ(BoolToStr(false, mode), words[mode][1]) << mode;
  }
  for (int mode : {-1, 8, 1000}) {
    EXPECT_EQ(BoolToStr(true, mode), u"TRUE");
    EXPECT_EQ(BoolToStr(false, mode), u"FALSE");
  }
}

TEST(TriStateWords, WrittenWordsReadBack) {
  for (int mode : {-1, 0, 1, 2, 3}) {
    for (TTriState value : {tsFalse, tsTrue, tsUndefined}) {
      EXPECT_EQ(StrToTriState(TriStateToStr(value, mode)), value) << mode << " " << int(value);
    }
  }
  EXPECT_EQ(TriStateToStr(tsUndefined, 0), u"");
  EXPECT_EQ(TriStateToStr(tsFalse, 1), u"-1");
  EXPECT_EQ(TriStateToStr(tsUndefined, 2), u"unknown");
  EXPECT_EQ(TriStateToStr(tsTrue, 7), u"true");
  EXPECT_EQ(TriStateToStr(static_cast<TTriState>(9), 2), u"unknown");
}

TEST(TriStateWords, ReadingIgnoresCaseAndBlanks) {
  struct Case {
    const char16_t* text;
    TTriState expected;
  };
  const Case cases[] = {{u"  YES ", tsTrue},   {u"True", tsTrue},      {u"+1", tsTrue},
                        {u"1", tsTrue},        {u" no", tsFalse},      {u"FALSE", tsFalse},
                        {u"-1", tsFalse},      {u"0", tsUndefined},    {u"", tsUndefined},
                        {u"   ", tsUndefined}, {u"y es", tsUndefined}, {u"\ttrue", tsUndefined}};
  for (const Case& c : cases) EXPECT_EQ(StrToTriState(c.text), c.expected) << test::U8(c.text);
}

TEST(StringIx, FindsFirstEntryCaseSensitiveOrASCIIFolded) {
  const std::vector<String> list = {u"alpha", u"Beta", u"beta", u"\u00C4x"};
  EXPECT_EQ(StringIx(u"beta", list), 3);
  EXPECT_EQ(StringIx(u"beta", false, list), 2);
  EXPECT_EQ(StringIx(u"ALPHA", true, list), 0);
  EXPECT_EQ(StringIx(u"ALPHA", false, list), 1);
  // Only ASCII letters are folded.
  EXPECT_EQ(StringIx(u"\u00E4x", false, list), 0);
  EXPECT_EQ(StringIx(u"\u00C4X", false, list), 4);
  EXPECT_EQ(StringIx(u"", list), 0);
  EXPECT_EQ(StringIx(u"b", {u"a", u"b"}), 2);
  EXPECT_EQ(StringIx(u"B", false, {u"a", u"b"}), 2);
  EXPECT_EQ(StringIx(u"x", std::span<const String>()), 0);
}

TEST(MultiChar, CountIsClampedToOneThrough255) {
  EXPECT_EQ(MultiChar(u'*', 3), u"***");
  EXPECT_EQ(MultiChar(u'*', 0), u"*");
  EXPECT_EQ(MultiChar(u'*', -7), u"*");
  EXPECT_EQ(MultiChar(u'x', 1000).size(), 255u);
  EXPECT_EQ(BinString(true, u"a", u"b"), u"a");
  EXPECT_EQ(BinString(false, u"a", u"b"), u"b");
}

}  // namespace
}  // namespace kez
