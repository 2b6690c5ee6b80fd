// URL coding, HTTP paths and word counts outside tags.
#include <gtest/gtest.h>

#include <random>

#include "kez/htmlsupport.hpp"
#include "kez/stringl/chars.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

TEST(UrlTest, EncodeEscapesExactlyTheReservedCharacters) {
  EXPECT_EQ(URLEncode(u"a b/c"), u"a%20b%2Fc");
  EXPECT_EQ(URLEncode(u"!*'();:@&=+$,/?%#[] "),
            u"%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%20");
  EXPECT_EQ(URLEncode(u"ä\t~-_.\u4E2D"), u"ä\t~-_.\u4E2D");
  EXPECT_EQ(URLEncode(u""), u"");
}

TEST(UrlTest, DecodeRunsTwoPasses) {
  EXPECT_EQ(URLDecode(u"%2541"), u"A");
  EXPECT_EQ(URLDecode(u"%252541"), u"%41");
  EXPECT_EQ(URLDecode(u"%41%2"), u"A%2");
  EXPECT_EQ(URLDecode(u"%zz%4g%"), u"%zz%4g%");
  EXPECT_EQ(URLDecode(u"a+b%2b%e9%FF"), u"a+b+\u00E9\u00FF");
  EXPECT_EQ(URLDecode(u"%%41"), u"%A");  // the pass after the first "%" sees "%41" anew
  for (const StringView s : {u"a b/c", u"100% [sure]?", u"\u00E9 & %41"})
    EXPECT_EQ(URLDecode(URLEncode(s)), URLDecode(s)) << U8(s);
}

// One decoding pass as worded: "%" and two hexadecimal digits become that character.
String ModelDecodePass(const String& s) {
  String out;
  std::size_t i = 0;
  while (i < s.size()) {
    const bool triple =
        s[i] == u'%' && s.size() - i >= 3 && IsHexChar(s[i + 1]) && IsHexChar(s[i + 2]);
    if (triple) {
      out += static_cast<char16_t>(
          std::stoi(std::string{char(s[i + 1]), char(s[i + 2])}, nullptr, 16));
      i += 3;
    } else {
      out += s[i++];
    }
  }
  return out;
}

TEST(UrlTest, DecodeAgreesWithTheModelOnRandomText) {
  std::mt19937 rng(8);
  const StringView alphabet = u"%%%2524aFg+ \u00E9";
  for (int round = 0; round < 5000; ++round) {
    String s(rng() % 16, u' ');
    for (char16_t& ch : s) ch = alphabet[rng() % alphabet.size()];
    ASSERT_EQ(U8(URLDecode(s)), U8(ModelDecodePass(ModelDecodePass(s)))) << U8(s);
  }
  EXPECT_EQ(URLDecode(String(1000000, u'%')).size(), 1000000u);
}

TEST(UrlTest, ExtractHTTPPath) {
  EXPECT_EQ(ExtractHTTPPath(u"HTTP://srv/dir/page.html"), u"srv/dir/");
  EXPECT_EQ(ExtractHTTPPath(u"srv"), u"srv");
  EXPECT_EQ(ExtractHTTPPath(u"http://x/"), u"x/");
  EXPECT_EQ(ExtractHTTPPath(u"http://x"), u"x");
  EXPECT_EQ(ExtractHTTPPath(u"https://srv/a/b"), u"srv/a/");
  EXPECT_EQ(ExtractHTTPPath(u"see http://a/b?u=https://c/d"), u"a/b?u=https://c/");
  EXPECT_EQ(ExtractHTTPPath(u"ftp://h/p/f"), u"ftp://h/p/");
  EXPECT_EQ(ExtractHTTPPath(u""), u"");
}

TEST(UrlTest, CountWordsHTML) {
  bool t = false;
  EXPECT_EQ(CountWordsHTML(u"<p>Hello world</p>", false, t), 2);
  EXPECT_FALSE(t);
  EXPECT_EQ(CountWordsHTML(u"a b cd", false, t), 1);
  EXPECT_EQ(CountWordsHTML(u"12ab cd ", true, t), 1);
  EXPECT_EQ(CountWordsHTML(u"12ab cd ", false, t), 2);
  EXPECT_EQ(CountWordsHTML(u"Hello<b>world", false, t), 2);  // ">" separates
  EXPECT_EQ(CountWordsHTML(u"\u4E2D\u6587 ok", false, t), 2);
  EXPECT_EQ(CountWordsHTML(u"", false, t), 0);

  // A tag split across pieces stays open into the next one.
  EXPECT_EQ(CountWordsHTML(u"one two <a href=", false, t), 2);
  EXPECT_TRUE(t);
  EXPECT_EQ(CountWordsHTML(u"\"x y z\">three four", false, t), 2);
  EXPECT_FALSE(t);
  EXPECT_EQ(CountWordsHTML(u"no end <", false, t), 2);
  EXPECT_TRUE(t);
  t = false;
}

TEST(UrlTest, CountWordsHTMLFollowsWordSeps) {
  const auto saved = WordSeps;
  bool t = false;
  WordSeps['>'] = false;
  EXPECT_EQ(CountWordsHTML(u"Hello<b>world", false, t), 1);  // ">world" is one run
  WordSeps['_'] = true;
  EXPECT_EQ(CountWordsHTML(u"ab_cd", false, t), 2);
  WordSeps = saved;
}

}  // namespace
}  // namespace kez
