// Entity table, single references and whole texts.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "kez/htmlsupport.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

TEST(EntitiesTest, TableHoldsNinetySixDistinctShortNames) {
  EXPECT_EQ(HTMLEntityNames.size(), 96u);
  EXPECT_EQ(HTMLEntityNames[160], u"&nbsp;");
  EXPECT_EQ(HTMLEntityNames[169], u"&copy;");
  EXPECT_EQ(HTMLEntityNames[223], u"&szlig;");
  EXPECT_EQ(HTMLEntityNames[255], u"&yuml;");
  std::set<StringView> names(HTMLEntityNames.begin(), HTMLEntityNames.end());
  EXPECT_EQ(names.size(), 96u);
  for (const StringView n : HTMLEntityNames) {
    EXPECT_LE(n.size(), 8u);
    EXPECT_EQ(n.front(), u'&');
    EXPECT_EQ(n.back(), u';');
  }
}

TEST(EntitiesTest, EveryNamedCharacterRoundTrips) {
  for (char16_t c = 160; c <= 255; ++c) {
    const String e = AnsiToHTMLEntity(c);
    EXPECT_EQ(e, HTMLEntityNames[c]);
    EXPECT_EQ(HTMLEntityToAnsi(e), c) << U8(e);
    EXPECT_EQ(ResolveHTMLEntities(e), String(1, c));
    EXPECT_EQ(HTMLEntityToAnsi(u"&#00000" + Utf8ToString(std::to_string(int(c))) + u";"), c);
  }
  for (const char16_t c : StringView(u"&<>\"")) EXPECT_EQ(HTMLEntityToAnsi(AnsiToHTMLEntity(c)), c);
  EXPECT_EQ(AnsiToHTMLEntity(u'a'), u"a");
  EXPECT_EQ(AnsiToHTMLEntity(u'\u4E2D'), u"\u4E2D");
}

TEST(EntitiesTest, ReferencesAndTheirFallback) {
  EXPECT_EQ(HTMLEntityToAnsi(u"&#x41;"), u'A');
  EXPECT_EQ(HTMLEntityToAnsi(u"&#X6a;"), u'j');
  EXPECT_EQ(HTMLEntityToAnsi(u"&#65;"), u'A');
  EXPECT_EQ(HTMLEntityToAnsi(u"&#150;"), u'\u2013');  // read as the Windows-1252 byte
  EXPECT_EQ(HTMLEntityToAnsi(u"&#8364;"), u'\u20AC');
  EXPECT_EQ(HTMLEntityToAnsi(u"&apos;"), u'\'');
  for (const StringView bad :
       {u"", u"&", u"&;", u"&#;", u"&#x;", u"amp;", u"&amp", u"&AMP;", u"&bogus;", u"&#0;",
        u"&#xD800;", u"&#x110000;", u"&#128512;", u"&#99999999999999999999;", u"&#12a;", u"&#x12g;",
        u"& amp;", u"&amp;x"})
    EXPECT_EQ(HTMLEntityToAnsi(bad), u'?') << U8(bad);
}

TEST(EntitiesTest, ResolveLeavesWhatItDoesNotKnow) {
  EXPECT_EQ(ResolveHTMLEntities(u"caf&eacute; &amp; co"), u"café & co");
  EXPECT_EQ(ResolveHTMLEntities(u"&amp;lt;"), u"&lt;");  // one level only
  EXPECT_EQ(ResolveHTMLEntities(u"&copy &bogus; &#; & &&lt;; a&b"), u"&copy &bogus; &#; & &<; a&b");
  EXPECT_EQ(ResolveHTMLEntities(u"&#x1F600;&#128512;"), u"\U0001F600\U0001F600");
  EXPECT_EQ(ResolveHTMLEntities(u"&#xD83D;&#0;&#1114112;"), u"&#xD83D;&#0;&#1114112;");
  EXPECT_EQ(ResolveHTMLEntities(u"x&"), u"x&");
}

TEST(EntitiesTest, MakeCompatibleThenResolveGivesTheTextBack) {
  EXPECT_EQ(MakeStringHTMLCompatible(u"<a href=\"x\">Tom & Jérôme</a>"),
            u"&lt;a href=&quot;x&quot;&gt;Tom &amp; J&eacute;r&ocirc;me&lt;/a&gt;");
  std::mt19937 rng(96);
  for (int round = 0; round < 2000; ++round) {
    String s(rng() % 20, u' ');
    for (char16_t& ch : s) {
      const unsigned pick = rng() % 4;
      ch = pick == 0   ? StringView(u"&;#<>\"x")[rng() % 7]
           : pick == 1 ? static_cast<char16_t>(128 + rng() % 128)
                       : static_cast<char16_t>(rng() % 0x3000);
    }
    const String made = MakeStringHTMLCompatible(s);
    for (char16_t ch : made) ASSERT_TRUE(ch < 160 || ch > 255) << U8(s);
    ASSERT_EQ(U8(ResolveHTMLEntities(made)), U8(s));
  }
}

// Resolution as worded: a "&" up to the next ";" is replaced when that is a known reference.
bool ModelKnown(const String& ref, char32_t& code) {
  for (long c = 160; c <= 255; ++c)
    if (ref == HTMLEntityNames[c]) return code = char32_t(c), true;
  const std::pair<StringView, char16_t> markup[] = {
      {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}};
  for (const auto& [name, ch] : markup)
    if (ref == name) return code = ch, true;
  if (ref.size() < 4 || ref[1] != u'#') return false;
  const bool hex = ref[2] == u'x' || ref[2] == u'X';
  const std::string digits = StringToUtf8(ref.substr(hex ? 3 : 2, ref.size() - (hex ? 4 : 3)));
  if (digits.empty() || digits.size() > 8 ||
      digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
    return false;
  code = char32_t(std::stoul(digits, nullptr, hex ? 16 : 10));
  if (code >= 128 && code <= 159) code = AnsiCharToChar(static_cast<unsigned char>(code));
  return code != 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

TEST(EntitiesTest, ResolveAgreesWithTheModelOnRandomText) {
  std::mt19937 rng(255);
  const StringView pieces[] = {u"&",         u"#",   u";",  u"x",      u"4", u"1",
                               u"F",         u"amp", u"lt", u"eacute", u" ", u"&#233;",
                               u"&#x1F600;", u"Ou",  u"ml", u"&#150"};
  for (int round = 0; round < 5000; ++round) {
    String s;
    for (unsigned n = rng() % 12; n > 0; --n) s += pieces[rng() % std::size(pieces)];
    String expected;
    for (std::size_t i = 0; i < s.size();) {
      char32_t code = 0;
      const std::size_t semi = s.find(u';', i);
      if (s[i] == u'&' && semi != String::npos && ModelKnown(s.substr(i, semi - i + 1), code)) {
        if (code > 0xFFFF)
          expected += {char16_t(0xD800 + ((code - 0x10000) >> 10)),
                       char16_t(0xDC00 + ((code - 0x10000) & 0x3FF))};
        else
          expected += char16_t(code);
        i = semi + 1;
      } else {
        expected += s[i++];
      }
    }
    ASSERT_EQ(U8(ResolveHTMLEntities(s)), U8(expected)) << U8(s);
  }
}

TEST(EntitiesTest, LongRunsOfAmpersandsAndDigitsStayLinear) {
  const String amps(2000000, u'&');
  EXPECT_EQ(ResolveHTMLEntities(amps), amps);
  const String digits = u"&#" + String(2000000, u'9') + u";";
  EXPECT_EQ(ResolveHTMLEntities(digits), digits);
  EXPECT_EQ(HTMLEntityToAnsi(digits), u'?');
  String refs;
  for (int i = 0; i < 200000; ++i) refs += u"&#x;&lt";
  EXPECT_EQ(ResolveHTMLEntities(refs), refs);
}

}  // namespace
}  // namespace kez
