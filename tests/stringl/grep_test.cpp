#include <gtest/gtest.h>
#include <sys/mman.h>

#include <climits>

#include <random>
#include <string>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

String Chars(const TGrepToken& Token) {
  return String(Token.Params.begin() + 1, Token.Params.begin() + 1 + Token.NumChars);
}

struct MatchResult {
  bool Found;
  std::int32_t Start;
  std::int32_t End;
};

MatchResult Find(StringView Pattern, StringView Text, bool IgnoreCase = false,
                 std::int32_t StartPos = 1) {
  TGrep grep(nullptr);
  grep.SetIgnoreCase(IgnoreCase);
  grep.SetSearchStartPos(StartPos);
  grep.SetRegExp(Pattern);
  std::int32_t pos = -1;
  const bool found = grep.MatchString(Text, pos);
  EXPECT_EQ(pos, grep.MatchStartPos());
  return {found, grep.MatchStartPos(), grep.MatchEndPos()};
}

// The start-position shortcuts (literal scan, end anchor, failed repeats) at the ends of the
// 32-bit range: a start at or below 1 searches from 1, a start behind the text finds at most
// the empty match one position behind its end, and nothing reads outside the text.
TEST(TGrep, ShortcutsAtTheLimitsOfTheStartPosition) {
  const String text = u"abxyzbcd";
  for (const std::int32_t start : {INT32_MIN, -1, 0, 1}) {
    EXPECT_EQ(Find(u"xyz", text, false, start).Start, 3);
    EXPECT_EQ(Find(u"cd$", text, false, start).Start, 7);
    EXPECT_EQ(Find(u"b.*d", text, false, start).Start, 2);
    EXPECT_EQ(Find(u"B.*D", text, true, start).End, 8);
  }
  for (const std::int32_t start : {9, 10, INT32_MAX - 1, INT32_MAX}) {
    EXPECT_FALSE(Find(u"xyz", text, false, start).Found);
    EXPECT_FALSE(Find(u"cd$", text, false, start).Found);
    EXPECT_FALSE(Find(u"b.*d", text, false, start).Found);
    EXPECT_FALSE(Find(u"a?b?$", u"", false, start).Found);
  }
  EXPECT_FALSE(Find(u"z$", text, false, 8).Found);
  EXPECT_EQ(Find(u"d$", text, false, 8).Start, 8);
  const MatchResult behind = Find(u"d?$", text, false, 9);  // the empty match behind the end
  EXPECT_TRUE(behind.Found);
  EXPECT_EQ(behind.Start, 9);
  EXPECT_EQ(behind.End, 8);
  EXPECT_EQ(Find(u"a?b?c?d?e?f?g?h?i?j?$", u"cd", false, 1).Start, 1);  // longer than the text
  EXPECT_FALSE(Find(u"b.*d", String(1000, u'b'), false, 1).Found);
}

TEST(TGrep, Examples) {
  TGrep grep(nullptr);
  grep.SetRegExp(u"b.*d");
  std::int32_t pos = 0;
  ASSERT_TRUE(grep.MatchString(u"abcdd", pos));
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(grep.MatchEndPos(), 4);  // lazy inside the pattern
  grep.SetRegExp(u"b.*");
  ASSERT_TRUE(grep.MatchString(u"abcdd", pos));
  EXPECT_EQ(grep.MatchEndPos(), 5);  // greedy at its end
  EXPECT_FALSE(grep.MatchString(u"xyz", pos));
  EXPECT_EQ(pos, 0);
}

struct ErrorCase {
  const char16_t* Pattern;
  int Code;
};

class TGrepCompileError : public testing::TestWithParam<ErrorCase> {};

TEST_P(TGrepCompileError, IsReportedAndRaised) {
  const ErrorCase& c = GetParam();
  TGrep grep(nullptr);
  grep.SetName(u"Grep1");
  EXPECT_EQ(grep.CompileRegExp(c.Pattern), c.Code);
  EXPECT_EQ(grep.LastError(), c.Code);
  EXPECT_THROW_MSG(grep.SetRegExp(c.Pattern), EKEZStringlError,
                   u"Component \"Grep1\": error in regular expression - " + TGrepErrorText(c.Code));
  EXPECT_EQ(grep.RegExp(), c.Pattern);
  grep.SetStopOnError(false);
  grep.SetRegExp(c.Pattern);
  EXPECT_EQ(grep.LastError(), c.Code);
  EXPECT_LE(grep.NrOfRegExpTokens(), 64);
}

const String kLongLiteral(256, u'x');
const String k65Tokens = [] {
  String s;
  for (int i = 0; i < 65; ++i) s += u".";
  return s;
}();

INSTANTIATE_TEST_SUITE_P(
    Table, TGrepCompileError,
    testing::Values(ErrorCase{u"*abc", 1}, ErrorCase{u"$", 1}, ErrorCase{u"a^", 2},
                    ErrorCase{u"[a]^", 2}, ErrorCase{u"(a^)", 2}, ErrorCase{u"a$b", 3},
                    ErrorCase{u"[]", 4}, ErrorCase{u"[^]", 4}, ErrorCase{u"[a^]", 5},
                    ErrorCase{u"[^^a]", 5}, ErrorCase{u"a]", 6}, ErrorCase{u"]", 6},
                    ErrorCase{u"[-a]", 7}, ErrorCase{u"[a]-", 7}, ErrorCase{u"a)", 8},
                    ErrorCase{u")", 8}, ErrorCase{u"(a))", 8}, ErrorCase{u"^*", 9},
                    ErrorCase{u"a**", 9}, ErrorCase{u"[a]*+", 9}, ErrorCase{u"()*?", 9},
                    ErrorCase{kLongLiteral.c_str(), 10}, ErrorCase{k65Tokens.c_str(), 10},
                    ErrorCase{u"[a-\u0100]", 11}, ErrorCase{u"[\u0400]", 11}));

TEST(TGrep, TokenLimitsAreNeverOverrun) {
  TGrep grep(nullptr);
  grep.SetStopOnError(false);
  EXPECT_EQ(grep.CompileRegExp(String(255, u'x')), 0);
  EXPECT_EQ(grep.RegExpToken(1).NumChars, 255);
  EXPECT_EQ(grep.CompileRegExp(u"(" + String(256, u'x') + u")"), 10);
  EXPECT_EQ(grep.CompileRegExp(String(64, u'.')), 0);
  EXPECT_EQ(grep.NrOfRegExpTokens(), 64);
  // The 65th token comes from splitting a literal: "ab*" needs a new token.
  EXPECT_EQ(grep.CompileRegExp(String(63, u'.') + u"ab*"), 10);
  EXPECT_EQ(grep.NrOfRegExpTokens(), 64);
  EXPECT_EQ(Chars(grep.RegExpToken(64)), u"ab");
}

TEST(TGrep, TokenLists) {
  TGrep grep(nullptr);
  grep.SetRegExp(u"ab*");
  ASSERT_EQ(grep.NrOfRegExpTokens(), 2);
  EXPECT_EQ(grep.RegExpToken(1).Action, taNormal);
  EXPECT_EQ(Chars(grep.RegExpToken(1)), u"a");
  EXPECT_EQ(grep.RegExpToken(2).Action, taMult0);
  EXPECT_EQ(Chars(grep.RegExpToken(2)), u"b");
  EXPECT_EQ(grep.RegExpToken(99).Action, taMult0);  // index limited to the count
  EXPECT_EQ(grep.RegExpToken(-5).Action, taNormal);

  grep.SetRegExp(u"(ab)+");
  ASSERT_EQ(grep.NrOfRegExpTokens(), 1);
  EXPECT_EQ(grep.RegExpToken(1).Action, taMult1);
  EXPECT_EQ(grep.RegExpToken(1).NumChars, 2);

  grep.SetRegExp(u"[^0-9]");
  ASSERT_EQ(grep.NrOfRegExpTokens(), 1);
  const TGrepToken set = grep.RegExpToken(1);
  EXPECT_EQ(set.Action, taSet);
  EXPECT_EQ(set.NumChars, -1);
  for (int c = 0; c < 256; ++c) EXPECT_EQ(set.Params[c], c >= '0' && c <= '9' ? u' ' : u'*') << c;

  grep.SetRegExp(u"(ab)?(cd)");
  ASSERT_EQ(grep.NrOfRegExpTokens(), 2);
  EXPECT_EQ(grep.RegExpToken(1).Action, taOpti);
  EXPECT_EQ(Chars(grep.RegExpToken(2)), u"cd");

  grep.SetRegExp(u"\\#41\\\\#41\\");  // code, escaped backslash, trailing backslash
  ASSERT_EQ(grep.NrOfRegExpTokens(), 1);
  EXPECT_EQ(Chars(grep.RegExpToken(1)), u"A\\#41\\");

  grep.SetRegExp(u"[+-]");  // a minus before "]" is a member
  EXPECT_EQ(grep.RegExpToken(1).Params[u'+'], u'*');
  EXPECT_EQ(grep.RegExpToken(1).Params[u'-'], u'*');
  EXPECT_EQ(grep.RegExpToken(1).Params[u','], u' ');
}

TEST(TGrep, MatchPositions) {
  struct Case {
    const char16_t* Pattern;
    const char16_t* Text;
    bool IgnoreCase;
    std::int32_t StartPos;
    MatchResult Expected;
  };
  const Case cases[] = {
      {u"b.*d", u"abcdd", false, 1, {true, 2, 4}},
      {u"b.*", u"abcdd", false, 1, {true, 2, 5}},
      {u"a[0-9]*", u"xa123", false, 1, {true, 2, 5}},
      {u"a[0-9]*", u"a", false, 1, {true, 1, 1}},
      {u"a[0-9]+b", u"a1b", false, 1, {true, 1, 3}},
      {u"(ab)*c", u"xababc", false, 1, {true, 2, 6}},
      {u"(ab)+", u"xababa", false, 1, {true, 2, 5}},
      {u"ab?c", u"ac abc", false, 1, {true, 1, 2}},
      {u"ab?", u"xab", false, 1, {true, 2, 3}},
      {u"a()*b", u"ab", false, 1, {true, 1, 2}},
      {u"a()*b", u"axb", false, 1, {false, 0, 0}},
      {u"x*", u"hello", false, 1, {true, 1, 5}},
      {u"x*", u"hello", false, 9, {false, 0, 0}},
      {u"x*", u"", false, 9, {true, 1, 0}},
      {u"a*b*", u"xxab", false, 9, {true, 9, 8}},  // empty matches behind the text
      {u"a*.*", u"xxab", false, 9, {true, 9, 8}},
      {u"", u"abc", false, 2, {true, 2, 1}},
      {u"^a", u"aa", false, 1, {true, 1, 1}},
      {u"^a", u"aa", false, 2, {false, 0, 0}},
      {u"^.*", u"abc", false, 1, {true, 1, 3}},
      {u"c$", u"cbc", false, 1, {true, 3, 3}},
      {u"b$", u"abc", false, 1, {false, 0, 0}},
      {u"b", u"abcb", false, 3, {true, 4, 4}},
      {u"ABC", u"xabcx", true, 1, {true, 2, 4}},
      {u"abc", u"xABCx", true, 1, {true, 2, 4}},
      {u"[A-C]+", u"xxbca", true, 1, {true, 3, 5}},
      {u"\\#41", u"A", true, 1, {false, 0, 0}},
      {u"\\#41", u"xA", false, 1, {true, 2, 2}},
      {u"\\.", u"a.b", false, 1, {true, 2, 2}},
      {u"a\\#2a", u"aa*", false, 1, {true, 2, 3}},  // a code is a literal, not a quantifier
      {u"[\\#30-\\#39]+", u"x42", false, 1, {true, 2, 3}},
      {u"[^a]", u"a\u0400b", false, 1, {true, 3, 3}},  // codes above 255 are never members
      {u"a.c", u"a\u0400c", false, 1, {true, 1, 3}},
  };
  for (const Case& c : cases) {
    const MatchResult r = Find(c.Pattern, c.Text, c.IgnoreCase, c.StartPos);
    const std::string where = U8(c.Pattern) + " on " + U8(c.Text);
    EXPECT_EQ(r.Found, c.Expected.Found) << where;
    if (r.Found && c.Expected.Found) {
      EXPECT_EQ(r.Start, c.Expected.Start) << where;
      EXPECT_EQ(r.End, c.Expected.End) << where;
    }
  }
}

TEST(TGrep, IgnoreCaseRecompilesWithoutRaising) {
  TGrep grep(nullptr);
  grep.SetStopOnError(false);
  grep.SetRegExp(u"a$b");
  grep.SetStopOnError(true);
  grep.SetIgnoreCase(true);
  EXPECT_EQ(grep.LastError(), 3);
  grep.SetRegExp(u"AB");
  EXPECT_EQ(Chars(grep.RegExpToken(1)), u"ab");
  grep.SetIgnoreCase(false);
  EXPECT_EQ(Chars(grep.RegExpToken(1)), u"AB");
}

TEST(TGrep, PrintRegExpListsTokensAndError) {
  test::TempDir dir;
  TGrep grep(nullptr);
  grep.SetRegExp(u"^a.[b-d]x*[yz]+(pq)?.*$");
  grep.PrintRegExp(dir.File("tokens.txt"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("tokens.txt")),
            "    taBol: \r\n"
            " taNormal: a\r\n"
            "taAnyByte: \r\n"
            "    taSet: bcd\r\n"
            "  taMult0: (string) x\r\n"
            "  taMult1: (set) yz\r\n"
            "   taOpti: (string) pq\r\n"
            "  taMult0: (anychar) \r\n"
            "    taEol: \r\n"
            "no errors\r\n");
  grep.SetStopOnError(false);
  grep.SetRegExp(u"ab]");
  grep.PrintRegExp(dir.File("error.txt"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("error.txt")),
            " taNormal: ab\r\nmismatch of set brackets\r\n");
  EXPECT_THROW(grep.PrintRegExp(dir.File("missing/out.txt")), EInOutError);
}

TEST(TGrep, PrintRegExpKeepsCharactersBeyondWindows1252) {
  test::TempDir dir;
  TGrep grep(nullptr);
  grep.SetRegExp(u"\u0394\u4E2D\U0001F600\u05D0x+[\u00B5y]");
  grep.PrintRegExp(dir.File("tokens.txt"));
  TStringList lines;
  lines.LoadFromFile(dir.File("tokens.txt"));
  ASSERT_EQ(lines.Count(), 4);
  EXPECT_EQ(lines[0], u" taNormal: \u0394\u4E2D\U0001F600\u05D0");
  EXPECT_EQ(lines[1], u"  taMult1: (string) x");
  EXPECT_EQ(lines[2], u"    taSet: y\u00B5");
  EXPECT_EQ(lines[3], u"no errors");
}

TEST(TGrep, NestedRepeatsStayLinear) {
  // Plain backtracking tries about C(n + 10, 10) splits of the run here: hours for n = 300.
  TGrep grep(nullptr);
  grep.SetRegExp(u"a*a*a*a*a*a*a*a*a*a*b");
  std::int32_t pos = 0;
  EXPECT_FALSE(grep.MatchString(String(300, u'a'), pos));
  EXPECT_TRUE(grep.MatchString(String(300, u'a') + u"b", pos));
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(grep.MatchEndPos(), 301);
  grep.SetRegExp(u"(ab)*(ab)*(ab)*(ab)*(ab)*(ab)*c");
  String text;
  for (int i = 0; i < 300; ++i) text += u"ab";
  EXPECT_FALSE(grep.MatchString(text, pos));
  // Repeated "any character" jumps over candidates: the jumps must still stop at attempts
  // known to fail, or each start would walk the rest of the text again.
  grep.SetRegExp(u"b.*b.*b.*d");
  EXPECT_FALSE(grep.MatchString(String(200000, u'b'), pos));
  EXPECT_TRUE(grep.MatchString(String(200000, u'b') + u"d", pos));
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(grep.MatchEndPos(), 200001);
}

// Finding every match of a long text: each search must cost what it explores, not the
// text's length. A table sized for the whole text at every search, or a lower-cased copy
// of the text for IgnoreCase, made this loop of 500,000 searches take a minute or more
// instead of a fifth of a second.
TEST(TGrep, FindingEveryMatchOfALongTextStaysLinear) {
  for (const bool ignoreCase : {false, true}) {
    String text(20'000'000, u'x');
    for (std::size_t i = 0; i < text.size(); i += 40) {
      text[i] = ignoreCase ? u'B' : u'b';
      text[i + 20] = u'd';
    }
    TGrep grep(nullptr);
    grep.SetIgnoreCase(ignoreCase);
    grep.SetRegExp(u"b.*d");
    std::int32_t pos = 0;
    std::int32_t count = 0;
    while (grep.MatchString(text, pos)) {
      ASSERT_EQ(grep.MatchEndPos(), pos + 20);
      ++count;
      grep.SetSearchStartPos(grep.MatchEndPos() + 1);
    }
    EXPECT_EQ(count, 500'000) << ignoreCase;
  }
}

// The plain search as the matching rules state it, without the failed-pair table.
class ReferenceMatcher {
 public:
  ReferenceMatcher(const TGrep& Grep, StringView Text) : FText(Text) {
    for (int k = 1; k <= Grep.NrOfRegExpTokens(); ++k) FTokens.push_back(Grep.RegExpToken(k));
  }
  bool Search(std::int32_t StartPos, std::int32_t& Start, std::int32_t& End) {
    const auto n = static_cast<std::int32_t>(FText.size());
    const std::int32_t first = std::max(StartPos, 1);
    for (std::int32_t s = first; s <= std::max(first, n); ++s) {
      if (Match(s, 0)) {
        Start = s;
        End = FEnd;
        return true;
      }
      if (FTokens[0].Action == taBol) break;
    }
    return false;
  }
  // Where token k passed its test on the way to the match.
  std::int32_t ValidFrom(int k) const { return FValidFrom[static_cast<std::size_t>(k - 1)]; }

 private:
  std::int32_t Len(const TGrepToken& t) const { return t.NumChars <= 0 ? 1 : t.NumChars; }
  bool Item(const TGrepToken& t, std::int32_t p) const {
    const auto n = static_cast<std::int32_t>(FText.size());
    if (t.NumChars > 0)
      return p + t.NumChars - 1 <= n && Chars(t) == FText.substr(p - 1, t.NumChars);
    if (p > n) return false;
    return t.NumChars == 0 || (FText[p - 1] < 256 && t.Params[FText[p - 1]] == u'*');
  }
  bool Match(std::int32_t p, std::size_t k) {
    const TGrepToken& t = FTokens[k];
    const bool last = k + 1 == FTokens.size();
    const auto n = static_cast<std::int32_t>(FText.size());
    TGrepToken asItem = t;
    asItem.NumChars = t.Action == taAnyByte ? 0 : t.Action == taSet ? -1 : t.NumChars;
    const bool ok =
        t.Action == taEol   ? p == n + 1 && last
        : t.Action == taBol ? p == 1
        : t.Action == taNormal || t.Action == taAnyByte || t.Action == taSet || t.Action == taMult1
            ? (t.Action == taNormal && t.NumChars == 0) || Item(asItem, p)
            : true;
    if (!ok) return false;
    FValidFrom[k] = p;
    std::int32_t q = t.Action == taMult1 ? p + Len(t) : p;
    if (last) {
      if (t.Action == taMult0 || t.Action == taMult1) {
        // Behind the text (a search started there) the repetition is empty.
        if (t.NumChars == 0) return FEnd = std::max(n, p - 1), true;
        while (Item(t, q)) q += Len(t);
        return FEnd = q - 1, true;
      }
      if (t.Action == taOpti) return FEnd = Item(t, p) ? p + Len(t) - 1 : p - 1, true;
      FEnd = t.Action == taEol      ? n
             : t.Action == taBol    ? 1
             : t.Action == taNormal ? p + t.NumChars - 1
                                    : p;
      return true;
    }
    if (t.Action == taMult0 || t.Action == taMult1) {
      for (;; q += Len(t)) {
        if (Match(q, k + 1)) return true;
        if (!Item(t, q)) return false;
      }
    }
    if (t.Action == taOpti) return Match(p, k + 1) || (Item(t, p) && Match(p + Len(t), k + 1));
    if (t.Action == taBol) return Match(1, k + 1);
    return Match(p + (t.Action == taNormal ? t.NumChars : 1), k + 1);
  }

  StringView FText;
  std::vector<TGrepToken> FTokens;
  std::int32_t FEnd = 0;
  std::vector<std::int32_t> FValidFrom = std::vector<std::int32_t>(64, 0);
};

// The search skips start positions and repetition candidates where the next token cannot
// pass (the next copy of a literal, a set member, the text's end for "$"), remembers failed
// attempts and scans texts 16 characters at a time: each shortcut must give the plain
// search's match, token positions included. Long texts over a small alphabet with rare
// letters reach the vector scan's blocks and their ends.
TEST(TGrep, AgreesWithPlainBacktrackingOnRandomPatterns) {
  std::mt19937 rng(12345);
  const char16_t pieces[][5] = {u"a",    u"b",    u".",  u"*",    u"+",    u"?",  u"(ab)",
                                u"[ab]", u"[^a]", u"()", u"^",    u"$",    u"ab", u"c",
                                u".*",   u"d",    u"cd", u"[cd]", u"(dc)", u"B",  u"\\#41"};
  constexpr unsigned kPieces = std::size(pieces);
  const char16_t common[] = u"abc";
  TGrep grep(nullptr);
  grep.SetStopOnError(false);
  int compared = 0;
  int found = 0;
  for (int round = 0; round < 30000; ++round) {
    String pattern;
    for (int i = 0, n = 1 + static_cast<int>(rng() % 8); i < n; ++i)
      pattern += pieces[rng() % kPieces];
    // Mostly short texts; one in four is long, with "d" rare.
    const bool longText = round % 4 == 0;
    String text;
    for (int i = 0, n = static_cast<int>(rng() % (longText ? 300 : 16)); i < n; ++i)
      text += rng() % (longText ? 60 : 4) == 0 ? u'd' : common[rng() % 3];
    const auto startPos = static_cast<std::int32_t>(
        round % 3 == 0 ? static_cast<int>(rng() % (text.size() + 4)) - 1 : 1);
    // Ignoring case: the text has capitals, which the reference sees lower-cased.
    const bool ignoreCase = round % 5 == 1;
    if (ignoreCase) {
      for (char16_t& c : text)
        if (rng() % 2 == 0) c = static_cast<char16_t>(c - u'a' + u'A');
    }
    const String seen = ignoreCase ? LowerCase(text) : text;
    grep.SetIgnoreCase(ignoreCase);
    grep.SetRegExp(pattern);
    if (grep.LastError() != 0 || grep.NrOfRegExpTokens() == 0 ||
        (grep.NrOfRegExpTokens() == 1 && grep.RegExpToken(1).Action == taMult0)) {
      continue;
    }
    // The reference backtracks in text^repeats steps: two repeats at most on long texts.
    int repeats = 0;
    for (int k = 1; k <= grep.NrOfRegExpTokens(); ++k)
      repeats += grep.RegExpToken(k).Action == taMult0 || grep.RegExpToken(k).Action == taMult1;
    if (longText && repeats > 2) continue;
    grep.SetSearchStartPos(startPos);
    ReferenceMatcher reference(grep, seen);
    std::int32_t start = 0, end = 0, pos = 0;
    const bool expected = reference.Search(startPos, start, end);
    const std::string where = U8(pattern) + " on " + U8(text) + " from " +
                              std::to_string(startPos) + (ignoreCase ? " ignoring case" : "");
    ASSERT_EQ(grep.MatchString(text, pos), expected) << where;
    if (expected) {
      ASSERT_EQ(pos, start) << where;
      ASSERT_EQ(grep.MatchEndPos(), end) << where;
      for (int k = 1; k <= grep.NrOfRegExpTokens(); ++k) {
        ASSERT_EQ(grep.RegExpToken(k).ValidFrom, reference.ValidFrom(k)) << where << " " << k;
      }
      ++found;
    }
    ++compared;
  }
  EXPECT_GT(compared, 1000);
  EXPECT_GT(found, 500);
}

TEST(TGrep, AssignCopiesPatternAndState) {
  TGrep source(nullptr);
  source.SetIgnoreCase(true);
  source.SetSearchStartPos(3);
  source.SetRegExp(u"B+");
  TGrep copy(nullptr);
  copy.Assign(&source);
  EXPECT_EQ(copy.RegExp(), u"B+");
  EXPECT_TRUE(copy.IgnoreCase());
  EXPECT_EQ(copy.SearchStartPos(), 3);
  std::int32_t pos = 0;
  ASSERT_TRUE(copy.MatchString(u"bxbbb", pos));
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(copy.MatchEndPos(), 5);
}

}  // namespace
}  // namespace kez

namespace kez {
namespace {

// A text beyond the 32-bit positions is refused whole, never searched in a part that would
// pass for the whole. The text is address space only: nothing of it is ever read.
TEST(GrepLimits, ATextBeyondThe32BitPositionsIsRefused) {
  const std::size_t length = TGrep::kMaxSearchLength + 1;
  const std::size_t bytes = length * sizeof(char16_t);
  void* pages = ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                       -1, 0);
  if (pages == MAP_FAILED) GTEST_SKIP() << "no 4 GiB of address space";
  const StringView text(static_cast<const char16_t*>(pages), length);
  TGrep grep(nullptr);
  grep.SetName(u"Grep1");
  std::int32_t pos = -1;
  for (const char16_t* pattern : {u"x*", u"^$", u"abc"}) {
    grep.SetRegExp(pattern);
    EXPECT_THROW_MSG(grep.MatchString(text, pos), EKEZStringlError,
                     u"Component \"Grep1\": text too long to search");
  }
  EXPECT_EQ(pos, -1);
  ::munmap(pages, bytes);
}

// The search skips start positions that cannot match, so a failed search leaves the tokens
// where its attempts left them, as the header says.
TEST(GrepLimits, AFailedSearchLeavesTheTokensOfItsAttempts) {
  TGrep grep(nullptr);
  grep.SetRegExp(u"a.$");
  std::int32_t pos = 0;
  EXPECT_FALSE(grep.MatchString(u"axxxx", pos));
  EXPECT_EQ(grep.RegExpToken(1).ValidFrom, 0);
  EXPECT_EQ(grep.RegExpToken(2).ValidFrom, 0);
  EXPECT_TRUE(grep.MatchString(u"xxab", pos));
  EXPECT_EQ(grep.RegExpToken(1).ValidFrom, 3);
  EXPECT_EQ(grep.RegExpToken(2).ValidFrom, 4);
}

}  // namespace
}  // namespace kez
