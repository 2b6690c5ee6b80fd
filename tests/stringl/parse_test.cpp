// Tokens, fields, words, lines, escapes and the open parsing helpers.
#include <gtest/gtest.h>

#include <random>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using Tokens = std::vector<String>;

TEST(Tokenize, SplitsAtEveryDelimiter) {
  Tokens t;
  EXPECT_EQ(Tokenize(u"a,b,,c", u",", t), 4);
  EXPECT_EQ(t, (Tokens{u"a", u"b", u"", u"c"}));
  EXPECT_EQ(Tokenize(u"abc", u",", t), 1);
  EXPECT_EQ(t, Tokens{u"abc"});
  EXPECT_EQ(Tokenize(u"a,b", u"", t), 1);
  EXPECT_EQ(t, Tokens{u"a,b"});
  EXPECT_EQ(Tokenize(u"a::b::", u"::", t), 3);
  EXPECT_EQ(t, (Tokens{u"a", u"b", u""}));
  EXPECT_EQ(Tokenize(u"", u",", t), 1);
  EXPECT_EQ(t, Tokens{u""});
}

TEST(Tokenize, CapsAtThousandTokensKeepingTheRest) {
  String text;
  for (int i = 0; i < 1500; ++i) text += u"x,";
  for (bool escaped : {false, true}) {
    Tokens t;
    EXPECT_EQ(escaped ? Tokenize(text, u",", u'\\', t) : Tokenize(text, u",", t), 1000);
    ASSERT_EQ(t.size(), 1000u);
    EXPECT_EQ(t[998], u"x");
    EXPECT_EQ(t[999].size(), 501u * 2);  // the unsplit rest: 501 times "x,"
  }
}

TEST(Tokenize, EscapedDelimitersAndEscapes) {
  struct Case {
    const char16_t* text;
    Tokens expected;
  };
  const Case cases[] = {
      {u"a\\,b,c", {u"a,b", u"c"}},
      {u"a\\\\,b", {u"a\\", u"b"}},  // an escaped escape does not protect the delimiter
      {u"a\\\\\\,b", {u"a\\,b"}},    // escape, escape, escaped delimiter
      {u"\\,", {u","}},
      {u"a\\b,c\\", {u"a\\b", u"c\\"}},  // lone escapes stay
      {u",\\,", {u"", u","}},
  };
  for (const Case& c : cases) {
    Tokens t;
    EXPECT_EQ(Tokenize(c.text, u",", u'\\', t), static_cast<std::int32_t>(c.expected.size()))
        << test::U8(c.text);
    EXPECT_EQ(t, c.expected) << test::U8(c.text);
  }
  Tokens t;
  EXPECT_EQ(Tokenize(u"a\\::b::c", u"::", u'\\', t), 2);
  EXPECT_EQ(t, (Tokens{u"a::b", u"c"}));
  // After an escaped delimiter the search goes on behind all of it.
  EXPECT_EQ(Tokenize(u"a\\:::b", u"::", u'\\', t), 1);
  EXPECT_EQ(t, Tokens{u"a:::b"});
  // Cleaning compares ASCII letters ignoring case; splitting is exact.
  EXPECT_EQ(Tokenize(u"a\\Xb", u"x", u'\\', t), 1);
  EXPECT_EQ(t, Tokens{u"axb"});
  EXPECT_EQ(Tokenize(u"aEebEx", u"x", u'E', t), 1);
  EXPECT_EQ(t, Tokens{u"aEbx"});
  EXPECT_EQ(Tokenize(u"a\\\\b", u"", u'\\', t), 1);  // no delimiter: only "\\" becomes "\"
  EXPECT_EQ(t, Tokens{u"a\\b"});
}

// Tokenize with an escape as its description reads, on plain loops: find the delimiter
// from the search position; an odd run of escapes in front of it (within the token) skips
// it; then clean each token with two replace-all passes ignoring ASCII case.
Tokens ModelTokenize(StringView Text, StringView Delim, char16_t Escape) {
  auto fold = [](StringView s) { return LowerCase(s); };
  auto replaceAll = [&](const String& s, const String& from, const String& to) {
    const String fs = fold(s), ff = fold(from);
    String out;
    std::size_t i = 0;
    while (i < s.size()) {
      if (fs.compare(i, ff.size(), ff) == 0) {
        out += to;
        i += ff.size();
      } else {
        out += s[i++];
      }
    }
    return out;
  };
  Tokens tokens;
  std::size_t start = 0, from = 0;
  while (!Delim.empty() && tokens.size() < 999) {
    std::size_t p = from;
    while (p + Delim.size() <= Text.size() && Text.substr(p, Delim.size()) != Delim) ++p;
    if (p + Delim.size() > Text.size()) break;
    std::size_t run = 0;
    while (p - run > start && Text[p - run - 1] == Escape) ++run;
    from = p + Delim.size();
    if (run % 2 == 1) continue;
    tokens.emplace_back(Text.substr(start, p - start));
    start = from;
  }
  tokens.emplace_back(Text.substr(start));
  const String esc(1, Escape);
  for (String& t : tokens) {
    t = replaceAll(t, esc + esc, esc);
    if (!Delim.empty()) t = replaceAll(t, esc + String(Delim), String(Delim));
  }
  return tokens;
}

TEST(Tokenize, EscapeFormAgreesWithModelOnRandomTexts) {
  std::mt19937 rng(77);
  const char16_t letters[] = u"ax:X\\";
  const char16_t* delimiters[] = {u":", u"::", u"x", u"X:", u":\\", u"\\\\", u""};
  const char16_t escapes[] = {u'\\', u'x', u':'};
  for (int round = 0; round < 20000; ++round) {
    String text;
    for (int i = 0, n = static_cast<int>(rng() % 24); i < n; ++i) text += letters[rng() % 5];
    const StringView delim = delimiters[rng() % 7];
    const char16_t escape = escapes[rng() % 3];
    Tokens t;
    const std::int32_t n = Tokenize(text, delim, escape, t);
    const Tokens expected = ModelTokenize(text, delim, escape);
    ASSERT_EQ(t, expected) << test::U8(text) << " / " << test::U8(delim) << " / "
                           << static_cast<char>(escape);
    ASSERT_EQ(n, static_cast<std::int32_t>(expected.size()));
  }
}

TEST(ExtractSubString, NumberedFields) {
  EXPECT_EQ(ExtractSubString(u"a;b;c", 0, u";"), u"a");
  EXPECT_EQ(ExtractSubString(u"a;b;c", 1, u";"), u"b");
  EXPECT_EQ(ExtractSubString(u"a;b;c", 2, u";"), u"c");
  EXPECT_EQ(ExtractSubString(u"a;b;c", 3, u";"), u"");
  EXPECT_EQ(ExtractSubString(u"a;b;c", -1, u";"), u"");
  EXPECT_EQ(ExtractSubString(u"a;;c", 1, u";"), u"");
  EXPECT_EQ(ExtractSubString(u"a;;c", 2, u";"), u"c");
  EXPECT_EQ(ExtractSubString(u"", 0, u";"), u"");
  EXPECT_EQ(ExtractSubString(u"ab<>cd<>", 1, u"<>"), u"cd");
  EXPECT_EQ(ExtractSubString(u"ab", 0, u""), u"ab");
  EXPECT_EQ(ExtractSubString(u"ab", 1, u""), u"");
  // The empty-field test ignores case, the search does not.
  EXPECT_EQ(ExtractSubString(u"axXb", 1, u"x"), u"");
  EXPECT_EQ(ExtractSubString(u"aXb", 0, u"x"), u"aXb");
}

TEST(ExtractWordFromString, WordOrSeparatorAtPosition) {
  const String text = u"x = alpha+beta";
  std::int32_t first = -1, last = -1;
  EXPECT_EQ(ExtractWordFromString(text, 7, first, last), u"alpha");
  EXPECT_EQ(first, 5);
  EXPECT_EQ(last, 9);
  EXPECT_EQ(ExtractWordFromString(text, 3, first, last), u"=");
  EXPECT_EQ(first, 3);
  EXPECT_EQ(last, 3);
  EXPECT_EQ(ExtractWordFromString(text, 14, first, last), u"beta");
  EXPECT_EQ(first, 11);
  EXPECT_EQ(ExtractWordFromString(text, 1), u"x");
  for (std::int32_t pos : {0, -3, 15}) {
    EXPECT_EQ(ExtractWordFromString(text, pos, first, last), u"");
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
  }
  EXPECT_EQ(ExtractWordFromString(u"\u4E2D\u6587 x", 2), u"\u4E2D\u6587");
}

TEST(ReadLnString, LineEndsByMode) {
  const String crlf = u"ab\r\ncd";
  std::int32_t pos = 1;
  bool eos = true;
  EXPECT_EQ(ReadLnString(crlf, pos, eos, 4), u"ab");
  EXPECT_EQ(pos, 5);
  EXPECT_FALSE(eos);
  EXPECT_EQ(ReadLnString(crlf, pos, eos, 4), u"cd");
  EXPECT_TRUE(eos);

  pos = 1;
  EXPECT_EQ(ReadLnString(u"a\tb\n", pos, eos, 0), u"ab");
  EXPECT_FALSE(eos);
  EXPECT_EQ(ReadLnString(u"a\tb\n", pos, eos, 0), u"");
  EXPECT_TRUE(eos);

  struct Case {
    std::int32_t mode;
    Tokens lines;
  };
  // "a" CR "b" LF "c" LF CR "d"
  const String mixed = u"a\rb\nc\n\rd";
  const Case cases[] = {
      {0, {u"ab", u"c", u"d"}}, {1, {u"a", u"bc", u"d"}}, {2, {u"a", u"b", u"c", u"", u"d"}},
      {3, {u"abc", u"d"}},      {4, {u"abcd"}},           {9, {u"abcd"}}};
  for (const Case& c : cases) {
    Tokens lines;
    pos = 1;
    do lines.push_back(ReadLnString(mixed, pos, eos, c.mode));
    while (!eos);
    EXPECT_EQ(lines, c.lines) << c.mode;
  }
  pos = -4;
  EXPECT_EQ(ReadLnString(u"xy", pos, eos, 0), u"xy");
  EXPECT_TRUE(eos);
}

TEST(ProcessHexChars, DecodesEscapes) {
  struct Case {
    const char16_t* text;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"A\\#42C\\\\d", u"ABC\\d"}, {u"\\#4a", u"J"},   {u"\\# 9x", u"\tx"}, {u"\\#$7", u"\a"},
      {u"\\#zz!", u"\0!"},          {u"\\#4", u"\\#4"}, {u"\\#", u"\\#"},    {u"x\\", u"x\\"},
      {u"\\q\\\\\\", u"\\q\\\\"},   {u"\\#414", u"A4"},
  };
  for (const Case& c : cases) {
    const String expected = c.text == String(u"\\#zz!") ? String(u"\0!", 2) : String(c.expected);
    EXPECT_EQ(ProcessHexChars(c.text), expected) << test::U8(c.text);
  }
}

TEST(FindFirst, NonBlankAndDigit) {
  EXPECT_EQ(FindFirstNonBlank(u"   "), 0);
  EXPECT_EQ(FindFirstNonBlank(u""), 0);
  EXPECT_EQ(FindFirstNonBlank(u"  \tx"), 3);
  EXPECT_EQ(FindFirstDigit(u"ab3"), 3);
  EXPECT_EQ(FindFirstDigit(u"abc"), 0);
}

String ParseName(StringView Input, TQuotedStrState& State) {
  String name;
  State = vsStart;
  for (char16_t ch : Input) {
    ParseQuotedName(ch, u'"', name, State);
    if (State == vsEnd) break;
  }
  return name;
}

TEST(ParseQuotedName, QuotedAndPlainNames) {
  TQuotedStrState state;
  EXPECT_EQ(ParseName(u"  \"my file\" rest", state), u"my file");
  EXPECT_EQ(state, vsEnd);
  EXPECT_EQ(ParseName(u"\"say \"\"hi\"\"\"", state), u"say \"hi\"");
  EXPECT_EQ(state, vsQuote);  // input ended right after the closing quote
  EXPECT_EQ(ParseName(u"plain name", state), u"plain");
  EXPECT_EQ(state, vsEnd);
  EXPECT_EQ(ParseName(u"a\"b", state), u"a\"b");
  EXPECT_EQ(state, vsNormal);
  EXPECT_EQ(ParseName(u"\"open", state), u"open");
  EXPECT_EQ(state, vs1stQuote);
  EXPECT_EQ(ParseName(u"   ", state), u"");
  EXPECT_EQ(state, vsStart);
}

TEST(ExtractParam, QuotedTrimmedParameters) {
  const String text = u" 10 , 'a, b' ,x,, ' pad ' , 'it''s'";
  EXPECT_EQ(ExtractParam(text, 1, u',', u'\'', u"?"), u"10");
  EXPECT_EQ(ExtractParam(text, 2, u',', u'\'', u"?"), u"a, b");
  EXPECT_EQ(ExtractParam(text, 3, u',', u'\'', u"?"), u"x");
  EXPECT_EQ(ExtractParam(text, 4, u',', u'\'', u"?"), u"");
  EXPECT_EQ(ExtractParam(text, 5, u',', u'\'', u"?"), u" pad ");
  EXPECT_EQ(ExtractParam(text, 6, u',', u'\'', u"?"), u"it's");
  EXPECT_EQ(ExtractParam(text, 7, u',', u'\'', u"?"), u"?");
  EXPECT_EQ(ExtractParam(text, 0, u',', u'\'', u"?"), u"?");
  EXPECT_EQ(ExtractParam(u"", 1, u',', u'\'', u"?"), u"");
  EXPECT_EQ(ExtractParam(u"'unclosed, x", 1, u',', u'\'', u"?"), u"unclosed, x");
}

TEST(TextLineCoords, LineAndColumnOfPosition) {
  const String text = u"ab\r\ncd\nef\rg";
  struct Case {
    std::int32_t pos, line, column;
  };
  const Case cases[] = {{1, 1, 1},  {2, 1, 2}, {3, 1, 3},  {4, 1, 4},  {5, 2, 1},
                        {7, 2, 3},  {8, 3, 1}, {10, 3, 3}, {11, 4, 1}, {12, 4, 2},
                        {13, 0, 0}, {0, 0, 0}, {-1, 0, 0}};
  for (const Case& c : cases) {
    std::int32_t line = -1, column = -1;
    TextLineCoords(text, c.pos, line, column);
    EXPECT_EQ(line, c.line) << c.pos;
    EXPECT_EQ(column, c.column) << c.pos;
  }
}

}  // namespace
}  // namespace kez
