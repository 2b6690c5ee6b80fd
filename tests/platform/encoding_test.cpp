#include <gtest/gtest.h>

#include "kez/platform/types.hpp"

namespace kez {
namespace {

TEST(Encoding, EveryAnsiByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const String text = AnsiToString(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(text[0x80], u'\u20AC');
  EXPECT_EQ(text[0x81], u'\u0081');
  EXPECT_EQ(text[0x9F], u'\u0178');
  EXPECT_EQ(text[0xE9], u'\u00E9');
  EXPECT_EQ(StringToAnsi(text), all);
}

TEST(Encoding, UnrepresentableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(StringToAnsi(u"a\u4E2Db"), "a?b");
}

TEST(Encoding, Utf8RoundTripsIncludingSurrogatePairs) {
  const String text = u"caf\u00E9 \u20AC \U0001F600";
  EXPECT_EQ(StringToUtf8(text), "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToString(StringToUtf8(text)), text);
}

TEST(Encoding, MalformedUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToString("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToString("\xE2\x28\xA1"), u"\uFFFD(\uFFFD");
  EXPECT_EQ(Utf8ToString("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(StringToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // lone surrogate
}

}  // namespace
}  // namespace kez
