#include <gtest/gtest.h>

#include <random>

#include "kez/platform/path.hpp"
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

// The whole-text conversions work on blocks of 8 and 16 characters with an overlapping
// last block; texts of every length up to a few blocks, with the special characters at
// random places, must convert exactly as character by character.
TEST(Encoding, WholeTextsConvertAsSingleCharacters) {
  std::mt19937 rng(7);
  const char16_t wide[] = {u'a', u'\u00E9', u'\u20AC', u'\u0081', u'\u4E2D', u'\u0178',
                           0,    u'\u00FF', u'\u0100', u'\u007F', u'\u0080'};
  for (int round = 0; round < 2000; ++round) {
    const std::size_t length = rng() % 50;
    const bool plain = round % 3 == 0;  // mostly ASCII, the vector path's own case
    std::string bytes(length, 'x');
    String text(length, u'x');
    for (std::size_t i = 0; i < length; ++i) {
      if (plain && rng() % 8 != 0) continue;
      bytes[i] = static_cast<char>(rng() % 256);
      text[i] = wide[rng() % std::size(wide)];
    }
    String expectedText;
    for (const char b : bytes) expectedText += AnsiCharToChar(static_cast<unsigned char>(b));
    ASSERT_EQ(AnsiToString(bytes), expectedText);
    String latin1;
    for (const char b : bytes) latin1 += static_cast<char16_t>(static_cast<unsigned char>(b));
    ASSERT_EQ(ToString(bytes), latin1);
    AnsiString expectedBytes;
    for (const char16_t c : text) expectedBytes += static_cast<char>(CharToAnsiChar(c));
    ASSERT_EQ(StringToAnsi(text), expectedBytes);
  }
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

TEST(Encoding, NativeBytesRoundTripLosslessly) {
  // Undecodable bytes become U+DC00 + byte and come back; valid UTF-8 decodes as usual.
  EXPECT_EQ(NativeToString("a\xFF\xC3"), u"a\xDCFF\xDCC3");
  EXPECT_EQ(NativeToString("caf\xC3\xA9"), u"caf\u00E9");
  EXPECT_EQ(StringToNative(u"a\xDCFF\xDCC3"), "a\xFF\xC3");
  EXPECT_EQ(StringToNative(u"\xDC41\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_TRUE(IsNativeText(u"x\xDC80\xDCFF\U0001F600"));
  EXPECT_FALSE(IsNativeText(u"\xD800"));
  EXPECT_FALSE(IsNativeText(u"\xDC41"));        // an ASCII byte is never escaped
  EXPECT_FALSE(IsNativeText(u"\xDCC3\xDCA9"));  // these two bytes spell U+00E9

  // Against the model: each byte string comes back whole, and the text differs from the
  // replacing decoder only where that one gives U+FFFD for an undecodable byte.
  std::mt19937 gen(7);
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(gen() % 12, '\0');
    for (char& b : bytes) {
      const unsigned r = gen() % 8;  // bias towards lead and continuation bytes
      b = static_cast<char>(r < 2 ? 0x80 | (gen() % 64) : r < 4 ? 0xC0 | (gen() % 64) : gen());
    }
    const String text = NativeToString(bytes);
    ASSERT_EQ(StringToNative(text), bytes);
    ASSERT_TRUE(IsNativeText(text));
    String replaced = text;
    for (char16_t& c : replaced) {
      if (c >= 0xDC80 && c <= 0xDCFF && (c & 0xFC00) == 0xDC00) {
        const bool paired = &c != replaced.data() && (*(&c - 1) & 0xFC00) == 0xD800;
        if (!paired) c = 0xFFFD;
      }
    }
    ASSERT_EQ(replaced, Utf8ToString(bytes));
  }
}

}  // namespace
}  // namespace kez
