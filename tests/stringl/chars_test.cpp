// Character classes, whole-text tests, editing, counting and searching.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

TEST(CharsTest, Examples) {
  EXPECT_EQ(StripLTBlanks(u"  ab "), u"ab");
  EXPECT_EQ(CenterString(u"ab", 5), u" ab  ");
  EXPECT_EQ(AbbrevString(u"abcdefgh", 5), u"abc..");
  EXPECT_EQ(ReplaceStringInString(u"aXbx", u"x", u"yx", true), u"ayxbyx");
  EXPECT_EQ(PosLast(u"ab", u"abxab"), 4);
  EXPECT_EQ(CountWords(u"a bc def"), 2);
  EXPECT_EQ(RemoveMultiChars(u"a,,,b,,c", u','), u"a,b,c");
  EXPECT_FALSE(StringContainsOtherThan(u"3.14", u"//dig."));
}

TEST(CharsTest, CharacterClassesAgreeOverAllCodes) {
  for (unsigned c = 0; c < 0x10000; ++c) {
    const char16_t ch = static_cast<char16_t>(c);
    const bool digit = c >= '0' && c <= '9';
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool hex = digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    ASSERT_EQ(IsDigit(ch), digit) << c;
    ASSERT_EQ(IsLetter(ch), letter) << c;
    ASSERT_EQ(IsDigitLetter(ch), digit || letter) << c;
    ASSERT_EQ(IsHexChar(ch), hex) << c;
  }
  int umlauts = 0;
  for (unsigned c = 0; c < 0x10000; ++c) umlauts += IsUmlaut(static_cast<char16_t>(c));
  EXPECT_EQ(umlauts, 7);
  for (char16_t c : StringView(u"äöüÄÖÜß")) EXPECT_TRUE(IsUmlaut(c));
}

TEST(CharsTest, WordSepsDefaultSetAndChanges) {
  const StringView seps = u" \"#%'()*+,-./:;<=>[\\]{}";
  EXPECT_EQ(WordSeps.count(), seps.size() + 3);  // plus codes 0, 10, 13
  for (char16_t c : seps) EXPECT_TRUE(WordSeps[c]) << int(c);
  EXPECT_TRUE(WordSeps[0] && WordSeps[10] && WordSeps[13]);
  EXPECT_FALSE(WordSeps['\t'] || WordSeps['!'] || WordSeps['?'] || WordSeps['_'] || WordSeps['|'] ||
               WordSeps[0xA0]);
  EXPECT_FALSE(IsWordSep(u'\u0120'));  // low byte is a blank, still not a separator

  // The functions read the set on every call.
  const auto saved = WordSeps;
  EXPECT_EQ(CountWords(u"ab_cd ef"), 2);
  WordSeps.set('_');
  EXPECT_EQ(CountWords(u"ab_cd ef"), 3);
  WordSeps = saved;
}

TEST(CharsTest, CountWordsNeedsTwoCharacters) {
  EXPECT_EQ(CountWords(u""), 0);
  EXPECT_EQ(CountWords(u"a b c"), 0);
  EXPECT_EQ(CountWords(u"..ab..cd"), 2);
  EXPECT_EQ(CountWords(u"über straße"), 2);
  EXPECT_EQ(CountWords(u"x\u4E2D\u6587"), 1);
}

struct ContainsCase {
  const char16_t* Text;
  const char16_t* List;
  bool Contains;
  bool OtherThan;
};

class StringContainsTest : public ::testing::TestWithParam<ContainsCase> {};

TEST_P(StringContainsTest, ExpandsMacros) {
  const ContainsCase& c = GetParam();
  EXPECT_EQ(StringContains(c.Text, c.List), c.Contains) << U8(c.Text) << " / " << U8(c.List);
  EXPECT_EQ(StringContainsOtherThan(c.Text, c.List), c.OtherThan)
      << U8(c.Text) << " / " << U8(c.List);
}

const ContainsCase kContainsCases[] = {
    {u"abc", u"//uc", false, true},
    {u"123", u"//dig", true, false},
    {u"A1", u"//dig//uc", true, false},
    {u"a1", u"//dig//uc", true, true},
    {u"hello", u"//lc", true, false},
    {u"a\tb", u"//31dwn", true, true},
    {u"\u00E9\u00FF", u"//128up", true, false},
    {u"/9x", u"///dig", true, true},  // a plain "/", then the digits
    {u"//dig", u"//dig", false, true},
    {u"", u"//lc", false, false},
    {u"abc", u"", false, true},
    // Characters above 255 are never in the list.
    {u"\u4E2D", u"\u4E2D//128up", false, true},
    {u"\u0161", u"a", false, true},
};

INSTANTIATE_TEST_SUITE_P(Lists, StringContainsTest, ::testing::ValuesIn(kContainsCases));

TEST(CharsTest, WholeTextTests) {
  EXPECT_TRUE(TestAllChar(u"xxx", u'x'));
  EXPECT_FALSE(TestAllChar(u"xxy", u'x'));
  EXPECT_FALSE(TestAllChar(u"", u'x'));

  EXPECT_TRUE(IsAbbreviation(u"USA"));
  EXPECT_TRUE(IsAbbreviation(u"NATO-2"));
  EXPECT_FALSE(IsAbbreviation(u"EU-Bank"));
  EXPECT_FALSE(IsAbbreviation(u"PhD"));
  EXPECT_FALSE(IsAbbreviation(u"A"));
  EXPECT_FALSE(IsAbbreviation(u""));
  EXPECT_FALSE(IsAbbreviation(u"AB12"));  // two letters against two digits

  EXPECT_FALSE(EqualAnsiStrings(u"Straße", u"STRASSE"));  // no expansion of ß
  EXPECT_TRUE(EqualAnsiStrings(u"Ärger", u"äRGER"));
  EXPECT_TRUE(EqualAnsiStrings(u"abc", String(u"ABC\0xyz", 7)));
  EXPECT_FALSE(EqualAnsiStrings(u"abc", u"abcd"));
  EXPECT_TRUE(EqualAnsiStrings(u"", String(u"\0a", 2)));
}

TEST(CharsTest, StripBlanksKeepsOneCharacterWhereDefined) {
  EXPECT_EQ(StripLTBlanks(u"   "), u"");
  EXPECT_EQ(StripLTBlanks(u"\t a \t"), u"\t a \t");  // only blanks are stripped
  EXPECT_EQ(StripLeadingBlanks(u"   "), u" ");
  EXPECT_EQ(StripLeadingBlanks(u"  a "), u"a ");
  EXPECT_EQ(StripTrailingBlanks(u"   "), u" ");
  EXPECT_EQ(StripTrailingBlanks(u" a  "), u" a");
  EXPECT_EQ(StripLeadingChars(u'0', u"000"), u"");
  EXPECT_EQ(StripLeadingChars(u'0', u"0070"), u"70");
  EXPECT_EQ(StripTrailingChars(u'0', u"000"), u"0");
  EXPECT_EQ(StripTrailingChars(u'0', u"1.500"), u"1.5");
  for (auto f : {StripLTBlanks, StripLeadingBlanks, StripTrailingBlanks}) EXPECT_EQ(f(u""), u"");
}

TEST(CharsTest, EnsureCharacters) {
  EXPECT_EQ(EnsureTrailingBkSlash(u"C:\\tmp"), u"C:\\tmp\\");
  EXPECT_EQ(EnsureTrailingBkSlash(u"C:\\tmp\\"), u"C:\\tmp\\");
  EXPECT_EQ(EnsureTrailingBkSlash(u""), u"");
  EXPECT_EQ(EnsureTrailingChar(u';', u"a"), u"a;");
  EXPECT_EQ(EnsureTrailingChar(u';', u""), u"");
  EXPECT_EQ(EnsureLeadingChar(u'.', u"txt"), u".txt");
  EXPECT_EQ(EnsureLeadingChar(u'.', u".txt"), u".txt");
  EXPECT_EQ(EnsureLeadingChar(u'.', u""), u"");
}

TEST(CharsTest, PaddingToWidth) {
  EXPECT_EQ(LeftString(u"ab", 4), u"ab  ");
  EXPECT_EQ(LeftString(u"abcdef", 3), u"abc");
  EXPECT_EQ(RightString(u"ab", 4), u"  ab");
  EXPECT_EQ(RightString(u"abcdef", 3), u"abc");
  EXPECT_EQ(CenterString(u"abcdef", 4), u"abcd");
  EXPECT_EQ(CenterString(u"a", 4), u" a  ");
  EXPECT_EQ(CenterString(u"", 3), u"   ");
  // Widths outside 0..255 are clamped to that range.
  for (auto f : {LeftString, RightString, CenterString}) {
    EXPECT_EQ(f(u"ab", 0), u"");
    EXPECT_EQ(f(u"ab", -5), u"");
    EXPECT_EQ(f(u"", 255).size(), 255u);
    EXPECT_EQ(f(u"", 1000).size(), 255u);
    EXPECT_EQ(f(String(300, u'x'), 255), String(255, u'x'));
  }
}

TEST(CharsTest, AbbrevStringNeverExceedsMaximum) {
  EXPECT_EQ(AbbrevString(u"abcde", 5), u"abcde");
  EXPECT_EQ(AbbrevString(u"abcdef", 5), u"abc..");
  EXPECT_EQ(AbbrevString(u"abc", 2), u"..");
  EXPECT_EQ(AbbrevString(u"abc", 1), u".");
  EXPECT_EQ(AbbrevString(u"abc", 0), u"");
  EXPECT_EQ(AbbrevString(u"abc", -3), u"");
  EXPECT_EQ(AbbrevString(u"", -3), u"");
}

TEST(CharsTest, ReplaceAndRemove) {
  EXPECT_EQ(ReplaceCharInString(u"1,5,2", u',', u'.'), u"1.5.2");
  EXPECT_EQ(ReplaceStringInString(u"aXbx", u"x", u"yx", false), u"aXbyx");
  EXPECT_EQ(ReplaceStringInString(u"aaa", u"aa", u"b", false), u"ba");
  EXPECT_EQ(ReplaceStringInString(u"abc", u"", u"z", false), u"abc");
  EXPECT_EQ(ReplaceStringInString(u"abc", u"abc", u"", false), u"");
  EXPECT_EQ(ReplaceStringInString(u"ÄBC äbc", u"äb", u"-", true), u"ÄBC -c");  // ASCII fold only
  EXPECT_EQ(RemoveCharInString(u"a-b--c", u'-'), u"abc");
  EXPECT_EQ(RemoveMultiChars(u",,a,,", u','), u",a,");
  EXPECT_EQ(RemoveMultiChars(u"", u','), u"");
  EXPECT_EQ(RemoveControlChars(String(u"a\0b\tc\x1F d\x7F", 10)), u"abc d\x7F");
}

TEST(CharsTest, ReverseStringKeepsSurrogatePairs) {
  EXPECT_EQ(ReverseString(u"abc"), u"cba");
  EXPECT_EQ(ReverseString(u""), u"");
  EXPECT_EQ(ReverseString(u"a\U0001F600b"), u"b\U0001F600a");
  EXPECT_EQ(ReverseString(u"\U0001F600\U0001F601"), u"\U0001F601\U0001F600");
}

TEST(CharsTest, CaseChanges) {
  EXPECT_EQ(ChangeCase(u"aBc Äöß 1"), u"AbC äÖß 1");
  EXPECT_EQ(CapitalizeString(u"3d model"), u"3d Model");
  EXPECT_EQ(CapitalizeString(u"hello wORLD-foo_bar"), u"Hello WORLD-Foo_Bar");
  EXPECT_EQ(CapitalizeString(u"élan vital"), u"élan Vital");
  EXPECT_EQ(CapitalizeString(u"a\u00E9b"), u"A\u00E9b");  // above 127 does not start a word
}

TEST(CharsTest, ExpandDiphthongs) {
  EXPECT_EQ(ExpandDiphthongs(u"Äpfel"), u"Aepfel");
  EXPECT_EQ(ExpandDiphthongs(u"ÄRGER"), u"AERGER");
  EXPECT_EQ(ExpandDiphthongs(u"Ü"), u"UE");
  EXPECT_EQ(ExpandDiphthongs(u"Öl"), u"Oel");
  EXPECT_EQ(ExpandDiphthongs(u"Grüße µm"), u"Gruesse um");
}

TEST(CharsTest, ReduceToSafeCharacters) {
  EXPECT_EQ(ReduceStringToAZ09(u"a-b c\u00E99"), u"a_b_c_9");
  String allowed, replaced;
  for (unsigned c = 0; c < 0x180; ++c) {
    const char16_t ch = static_cast<char16_t>(c);
    (ReduceStringToFN83CompliantChars(String(1, ch)) == String(1, ch) ? allowed : replaced)
        .push_back(ch);
  }
  EXPECT_EQ(allowed,
            u"!#$%&'()-.0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ^_`abcdefghijklmnopqrstuvwxyz{}~");
  EXPECT_EQ(ReduceStringToFN83CompliantChars(u"my file?.txt"), u"my_file_.txt");
}

TEST(CharsTest, Counting) {
  EXPECT_EQ(CountCharInString(u'a', u"aAbA", true), 1);
  EXPECT_EQ(CountCharInString(u'a', u"aAbA", false), 3);
  EXPECT_EQ(CountCharInString(u'ä', u"äÄ", false), 1);  // ASCII fold only
  EXPECT_EQ(CountStringInString(u"aa", u"aaaa", true), 2);
  EXPECT_EQ(CountStringInString(u"aa", u"aaa", true), 1);
  EXPECT_EQ(CountStringInString(u"Ab", u"abAB", false), 2);
  EXPECT_EQ(CountStringInString(u"Ab", u"abAB", true), 0);
  EXPECT_EQ(CountStringInString(u"", u"abc", true), 0);
  EXPECT_EQ(CountStringInString(u"abcd", u"abc", true), 0);
}

TEST(CharsTest, PosLastScansWithoutOverlap) {
  EXPECT_EQ(PosLast(u"aa", u"aaa"), 1);
  EXPECT_EQ(PosLast(u"aa", u"aaaa"), 3);
  EXPECT_EQ(PosLast(u"x", u"abc"), 0);
  EXPECT_EQ(PosLast(u"", u"abc"), 0);
  EXPECT_EQ(PosLast(u"abc", u"abc"), 1);
  EXPECT_EQ(PosLast(u"abcd", u"abc"), 0);
}

// The non-overlapping occurrences of Sub in Text from From on, compared character by
// character (ASCII letters folded when asked): the searches' plain definition.
std::vector<std::size_t> NaiveOccurrences(StringView Sub, StringView Text, std::size_t From,
                                          bool Fold) {
  auto fold = [Fold](char16_t c) { return Fold ? LoCaseASCII(c) : c; };
  std::vector<std::size_t> found;
  for (std::size_t i = From; !Sub.empty() && i + Sub.size() <= Text.size();) {
    std::size_t k = 0;
    while (k < Sub.size() && fold(Text[i + k]) == fold(Sub[k])) ++k;
    if (k == Sub.size()) {
      found.push_back(i);
      i += Sub.size();
    } else {
      ++i;
    }
  }
  return found;
}

// Texts over a small alphabet with periodic, long patterns exercise both the short-pattern
// path and the border table of the long one.
TEST(CharsTest, SearchesAgreeWithPlainScanOnRandomTexts) {
  std::mt19937 rng(2024);
  const char16_t letters[] = u"abAB";
  auto random = [&](std::size_t n, unsigned alphabet) {
    String s;
    for (std::size_t i = 0; i < n; ++i) s += letters[rng() % alphabet];
    return s;
  };
  for (int round = 0; round < 3000; ++round) {
    const unsigned alphabet = round % 3 == 0 ? 2 : 4;
    String sub = random(1 + rng() % 20, alphabet);
    if (round % 5 == 0) sub = String(sub.size() - 1, u'a') + u"b";  // periodic then a break
    const String text =
        random(rng() % (round % 4 == 0 ? 300 : 80), alphabet) + sub + random(rng() % 40, alphabet);
    const std::string where = test::U8(sub) + " in " + test::U8(text);
    for (const bool fold : {false, true}) {
      const auto occ = NaiveOccurrences(sub, text, 0, fold);
      EXPECT_EQ(CountStringInString(sub, text, !fold), static_cast<std::int32_t>(occ.size()))
          << where;
      String replaced;
      std::size_t from = 0;
      for (const std::size_t at : occ) {
        replaced += text.substr(from, at - from) + u"<>";
        from = at + sub.size();
      }
      replaced += text.substr(from);
      EXPECT_EQ(ReplaceStringInString(text, sub, u"<>", fold), replaced) << where;
    }
    const auto exact = NaiveOccurrences(sub, text, 0, false);
    EXPECT_EQ(PosLast(sub, text), exact.empty() ? 0 : static_cast<std::int32_t>(exact.back() + 1))
        << where;
    const std::int32_t start = static_cast<std::int32_t>(rng() % 10) - 2;
    const auto fromStart =
        NaiveOccurrences(sub, text, static_cast<std::size_t>(std::max(start, 1)) - 1, false);
    for (std::int32_t n = 0; n <= static_cast<std::int32_t>(fromStart.size()) + 1; ++n) {
      const std::int32_t expected =
          n >= 1 && n <= static_cast<std::int32_t>(fromStart.size())
              ? static_cast<std::int32_t>(fromStart[static_cast<std::size_t>(n - 1)] + 1)
              : 0;
      EXPECT_EQ(NumberedPos(sub, text, start, n, false), expected) << where << " " << n;
    }
  }
}

// The scan compares 16 and 64 characters at a time: a pattern at every distance from the
// text's end and from the search's start, and one character short of it, is found or not.
TEST(CharsTest, SearchesFindAPatternAtEveryDistanceFromTheEnd) {
  for (const StringView sub : {u"z", u"zq", u"zqxj", u"zaaaaaaz", u"zaaaaaaaz"}) {
    for (std::size_t n = 0; n <= 150; ++n) {
      const String text = String(n, u'a') + String(sub);
      const std::string where = test::U8(sub) + " behind " + std::to_string(n);
      EXPECT_EQ(NumberedPos(sub, text, 1, 1, false), static_cast<std::int32_t>(n + 1)) << where;
      EXPECT_EQ(NumberedPos(sub, text, static_cast<std::int32_t>(n + 1), 1, false),
                static_cast<std::int32_t>(n + 1))
          << where;
      EXPECT_EQ(NumberedPos(sub, text.substr(0, text.size() - 1), 1, 1, false), 0) << where;
      EXPECT_EQ(NumberedPos(sub, text, static_cast<std::int32_t>(n + 2), 1, false), 0) << where;
    }
  }
}

// Inputs on which comparing the pattern afresh at each position takes text x pattern steps
// (about 10^9 here); each search must still find the one occurrence at the end.
TEST(CharsTest, SearchesOnRunsOfOneCharacter) {
  const String sub = String(30000, u'a') + u"b";
  const String text = String(60000, u'a') + u"b";
  EXPECT_EQ(CountStringInString(sub, text, true), 1);
  EXPECT_EQ(CountStringInString(sub, text, false), 1);
  EXPECT_EQ(PosLast(sub, text), 30001);
  EXPECT_EQ(NumberedPos(sub, text, 1, 1, true), 30001);
  EXPECT_EQ(ReplaceStringInString(text, sub, u"x", true), String(30000, u'a') + u"x");
  EXPECT_EQ(CountStringInString(String(1000, u'a'), String(100000, u'a'), true), 100);
  EXPECT_EQ(NumberedPos(u"a", String(10, u'a'), 1, std::numeric_limits<std::int32_t>::max(), false),
            0);
  EXPECT_EQ(NumberedPos(u"a", u"xa", std::numeric_limits<std::int32_t>::max(), 1, false), 0);
  EXPECT_EQ(NumberedPos(u"a", u"xa", std::numeric_limits<std::int32_t>::min(), 1, false), 2);
}

}  // namespace
}  // namespace kez
