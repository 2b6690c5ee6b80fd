// The kez tool's text helpers: which bytes count as UTF-8, and that no byte is lost.
#include "../../tools/cli.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using kez::tool::DecodeText;
using kez::tool::IsValidUtf8;

// The well-formed byte sequences as the Unicode standard tabulates them (Table 3-7): each
// row a first-byte range and the ranges of the bytes after it.
struct Row {
  int Lo, Hi;
  int Next[3][2];
  int Count;
};
constexpr Row kTable[] = {
    {0x00, 0x7F, {}, 0},
    {0xC2, 0xDF, {{0x80, 0xBF}}, 1},
    {0xE0, 0xE0, {{0xA0, 0xBF}, {0x80, 0xBF}}, 2},
    {0xE1, 0xEC, {{0x80, 0xBF}, {0x80, 0xBF}}, 2},
    {0xED, 0xED, {{0x80, 0x9F}, {0x80, 0xBF}}, 2},
    {0xEE, 0xEF, {{0x80, 0xBF}, {0x80, 0xBF}}, 2},
    {0xF0, 0xF0, {{0x90, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}, 3},
    {0xF1, 0xF3, {{0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}, 3},
    {0xF4, 0xF4, {{0x80, 0x8F}, {0x80, 0xBF}, {0x80, 0xBF}}, 3},
};

bool ModelValid(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const int b = static_cast<unsigned char>(s[i]);
    const Row* row = nullptr;
    for (const Row& r : kTable) {
      if (b >= r.Lo && b <= r.Hi) row = &r;
    }
    if (row == nullptr || s.size() - i - 1 < static_cast<std::size_t>(row->Count)) return false;
    for (int k = 0; k < row->Count; ++k) {
      const int c = static_cast<unsigned char>(s[i + 1 + static_cast<std::size_t>(k)]);
      if (c < row->Next[k][0] || c > row->Next[k][1]) return false;
    }
    i += 1 + static_cast<std::size_t>(row->Count);
  }
  return true;
}

TEST(ToolText, Utf8CheckAgreesWithTheStandardsTableOnRandomBytes) {
  std::mt19937 rng(7);
  // Bytes drawn mostly from the interesting ranges: ASCII, continuation and lead bytes.
  const int picks[] = {0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1,
                       0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
  int valid = 0;
  for (int n = 0; n < 200000; ++n) {
    std::string s(rng() % 6, '\0');
    for (char& c : s) {
      c = static_cast<char>(rng() % 3 == 0 ? rng() % 256 : picks[rng() % std::size(picks)]);
    }
    const bool expected = ModelValid(s);
    valid += expected ? 1 : 0;
    ASSERT_EQ(IsValidUtf8(s), expected) << "bytes of length " << s.size();
  }
  EXPECT_GT(valid, 1000);  // the draw reaches both answers
}

TEST(ToolText, Examples) {
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));           // Latin-1
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
  EXPECT_EQ(DecodeText("caf\xC3\xA9"), u"caf\u00E9");
  EXPECT_EQ(DecodeText("caf\xE9"), u"caf\u00E9");  // read as Windows-1252
  EXPECT_EQ(DecodeText("\x80"), u"\u20AC");
}

TEST(ToolText, BytesThatAreNotUtf8ComeBackWhole) {
  std::mt19937 rng(11);
  for (int n = 0; n < 20000; ++n) {
    std::string s(rng() % 12, '\0');
    for (char& c : s) c = static_cast<char>(rng() % 256);
    if (IsValidUtf8(s)) {
      EXPECT_EQ(kez::StringToUtf8(DecodeText(s)), s);
    } else {
      EXPECT_EQ(kez::StringToAnsi(DecodeText(s)), s);
    }
  }
}

}  // namespace
