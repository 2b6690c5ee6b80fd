// TGrep's compiler against a model written from the pattern language's description, and
// searches at the ends of the position range.
#include <gtest/gtest.h>
#include <malloc.h>

#include <limits>
#include <random>
#include <vector>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

// One pattern character after the character-code pass: Literal marks escaped characters
// and decoded codes, which are never pattern syntax.
struct ModelChar {
  char16_t Ch;
  bool Literal;
};

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The pattern as the parser reads it: "\#" and two characters become the character of
// that hexadecimal code, unless a backslash stands in front of the "\#"; a backslash
// takes the next character literally (a last backslash stands for itself).
std::vector<ModelChar> ModelChars(StringView Pattern) {
  String decoded;
  std::vector<bool> isCode;
  for (std::size_t i = 0; i < Pattern.size();) {
    const bool code = Pattern[i] == u'\\' && i + 3 < Pattern.size() && Pattern[i + 1] == u'#' &&
                      !(i > 0 && Pattern[i - 1] == u'\\');
    if (!code) {
      decoded += Pattern[i++];
      isCode.push_back(false);
      continue;
    }
    std::size_t k = i + 2;
    const std::size_t end = i + 4;
    while (k < end && Pattern[k] == u' ') ++k;
    if (k < end && Pattern[k] == u'$') ++k;
    int value = 0;
    for (; k < end && HexDigit(Pattern[k]) >= 0; ++k) value = value * 16 + HexDigit(Pattern[k]);
    decoded += static_cast<char16_t>(value);
    isCode.push_back(true);
    i = end;
  }
  std::vector<ModelChar> chars;
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    if (!isCode[i] && decoded[i] == u'\\' && i + 1 < decoded.size()) {
      chars.push_back({decoded[i + 1], true});
      ++i;
    } else {
      chars.push_back({decoded[i], isCode[i] || decoded[i] == u'\\'});
    }
  }
  return chars;
}

struct ModelResult {
  int Error = 0;
  std::vector<TGrepToken> Tokens;
};

// The parser's states and rules, one character at a time.
ModelResult ModelCompile(StringView Pattern, bool IgnoreCase) {
  enum State { Start, Item, SetFirst, Set, AfterSet, Group, AfterGroup, End };
  const std::vector<ModelChar> in = ModelChars(IgnoreCase ? LowerCase(Pattern) : String(Pattern));
  ModelResult r;
  State state = Start;
  bool negate = false;
  char16_t lastSetChar = u'A';
  auto cur = [&]() -> TGrepToken& { return r.Tokens.back(); };
  auto newToken = [&](TGrepTokenAct a) {
    if (r.Tokens.size() == 64) return 10;
    TGrepToken t;
    t.Action = a;
    if (a == taSet) {
      t.NumChars = -1;
      t.Params.fill(u' ');
    }
    r.Tokens.push_back(t);
    return 0;
  };
  auto append = [&](char16_t c) {
    if (cur().NumChars == 255) return 10;
    cur().Params[static_cast<std::size_t>(++cur().NumChars)] = c;
    return 0;
  };
  auto range = [&](char16_t a, char16_t b) {
    if (a > b) std::swap(a, b);
    if (b > 255) return 11;
    for (unsigned c = a; c <= b; ++c) cur().Params[c] = u'*';
    return 0;
  };
  auto quantifierOf = [](char16_t c) { return c == u'*' ? taMult0 : c == u'+' ? taMult1 : taOpti; };
  auto isQuantifier = [](ModelChar c) {
    return !c.Literal && (c.Ch == u'*' || c.Ch == u'+' || c.Ch == u'?');
  };
  // Item, and the characters that AfterSet and AfterGroup treat as in Item.
  auto item = [&](ModelChar c) -> int {
    if (!c.Literal) {
      switch (c.Ch) {
        case u'$':
          state = End;
          return newToken(taEol);
        case u'(':
          state = Group;
          return newToken(taNormal);
        case u')':
          return 8;
        case u']':
          return 6;
        case u'^':
          return 2;
        case u'.':
          state = Item;
          return newToken(taAnyByte);
        case u'[':
          state = SetFirst;
          negate = false;
          return newToken(taSet);
        case u'*':
        case u'+':
        case u'?': {
          TGrepToken& t = cur();
          if (t.Action == taAnyByte) {
            t.Action = quantifierOf(c.Ch);
            t.NumChars = 0;
            return 0;
          }
          if (t.Action != taNormal || t.NumChars == 0) return 9;
          if (t.NumChars == 1) {
            t.Action = quantifierOf(c.Ch);
            return 0;
          }
          const char16_t last = t.Params[static_cast<std::size_t>(t.NumChars)];
          --t.NumChars;
          if (newToken(quantifierOf(c.Ch)) != 0) return 10;
          cur().NumChars = 1;
          cur().Params[1] = last;
          return 0;
        }
        default:
          break;
      }
    }
    state = Item;
    if (r.Tokens.empty() || cur().Action != taNormal) {
      if (newToken(taNormal) != 0) return 10;
    }
    return append(c.Ch);
  };
  // A quantifier on a closed set or group; an empty group stays the empty literal.
  auto quantifyClosed = [&](ModelChar c) {
    state = Item;
    if (!(cur().Action == taNormal && cur().NumChars == 0)) cur().Action = quantifierOf(c.Ch);
    return 0;
  };
  for (std::size_t i = 0; i < in.size() && r.Error == 0; ++i) {
    const ModelChar c = in[i];
    const auto is = [&](char16_t x) { return !c.Literal && c.Ch == x; };
    switch (state) {
      case Start:
        if (is(u'$') || is(u'*') || is(u'+') || is(u'?')) {
          r.Error = 1;
        } else if (is(u'^')) {
          r.Error = newToken(taBol);
          state = Item;
        } else {
          r.Error = item(c);
        }
        break;
      case Item:
        r.Error = item(c);
        break;
      case SetFirst:
      case Set:
        if (state == SetFirst && is(u'-')) {
          r.Error = 7;
        } else if (state == SetFirst && is(u']')) {
          r.Error = 4;
        } else if (state == SetFirst && is(u'^')) {
          if (negate) r.Error = 5;  // this engine's choice: "[^^" needs the quote
          negate = true;
        } else if (state == Set && is(u'^')) {
          r.Error = 5;
        } else if (state == Set && is(u']')) {
          if (negate) {
            for (auto& e : cur().Params) e = e == u'*' ? u' ' : u'*';
          }
          negate = false;
          state = AfterSet;
        } else if (state == Set && is(u'-')) {
          // This engine's choice: a "-" that no range end follows is a member.
          if (i + 1 >= in.size() || (!in[i + 1].Literal && in[i + 1].Ch == u']')) {
            r.Error = range(u'-', u'-');
          } else {
            r.Error = range(lastSetChar, in[++i].Ch);
          }
        } else {
          state = Set;
          lastSetChar = c.Ch;
          r.Error = range(c.Ch, c.Ch);
        }
        break;
      case AfterSet:
        if (isQuantifier(c)) {
          r.Error = quantifyClosed(c);
        } else if (is(u'-')) {
          r.Error = 7;
        } else {
          r.Error = item(c);
        }
        break;
      case Group:
        if (is(u')')) {
          state = AfterGroup;
        } else if (is(u'^')) {
          r.Error = 2;
        } else {
          r.Error = append(c.Ch);
        }
        break;
      case AfterGroup:
        r.Error = isQuantifier(c) ? quantifyClosed(c) : item(c);
        break;
      case End:
        r.Error = 3;
        break;
    }
  }
  return r;
}

TEST(TGrepModel, CompilerAgreesWithModelOnRandomPatterns) {
  std::mt19937 rng(99);
  const char16_t* pieces[] = {u"a",  u"b",  u"A",     u"-",     u"^",     u"$",   u"*",
                              u"+",  u"?",  u".",     u"[",     u"]",     u"(",   u")",
                              u"\\", u"ab", u"\\#41", u"\\#2a", u"\\#5c", u"a-b", u"[^"};
  constexpr std::size_t kPieces = std::size(pieces);
  TGrep grep(nullptr);
  grep.SetStopOnError(false);
  int compiled = 0;
  for (int round = 0; round < 40000; ++round) {
    String pattern;
    for (int i = 0, n = static_cast<int>(rng() % 10); i < n; ++i)
      pattern += pieces[rng() % kPieces];
    const bool ignoreCase = rng() % 4 == 0;
    grep.SetIgnoreCase(ignoreCase);
    grep.SetRegExp(pattern);
    const ModelResult model = ModelCompile(pattern, ignoreCase);
    const std::string where = U8(pattern) + (ignoreCase ? " (ignoring case)" : "");
    ASSERT_EQ(grep.LastError(), model.Error) << where;
    if (model.Error != 0) continue;
    ++compiled;
    ASSERT_EQ(grep.NrOfRegExpTokens(), static_cast<std::int32_t>(model.Tokens.size())) << where;
    for (std::size_t k = 0; k < model.Tokens.size(); ++k) {
      const TGrepToken got = grep.RegExpToken(static_cast<std::int32_t>(k + 1));
      const TGrepToken& want = model.Tokens[k];
      ASSERT_EQ(got.Action, want.Action) << where << " token " << k + 1;
      ASSERT_EQ(got.NumChars, want.NumChars) << where << " token " << k + 1;
      const std::size_t used =
          want.NumChars < 0 ? 256 : static_cast<std::size_t>(want.NumChars) + 1;
      for (std::size_t c = want.NumChars < 0 ? 0 : 1; c < used; ++c) {
        ASSERT_EQ(got.Params[c], want.Params[c]) << where << " token " << k + 1 << " at " << c;
      }
    }
  }
  EXPECT_GT(compiled, 5000);
}

TEST(TGrepModel, MinusAfterQuantifiedSetOrGroupIsALiteral) {
  TGrep grep(nullptr);
  for (const char16_t* pattern : {u"[a]*-", u"[a]+-", u"[a]?-", u"(ab)+-"}) {
    EXPECT_EQ(grep.CompileRegExp(pattern), 0) << U8(pattern);
    ASSERT_EQ(grep.NrOfRegExpTokens(), 2) << U8(pattern);
    EXPECT_EQ(grep.RegExpToken(2).Action, taNormal);
    EXPECT_EQ(grep.RegExpToken(2).Params[1], u'-');
  }
  grep.SetRegExp(u"[0-9]+-[0-9]+");
  std::int32_t pos = 0;
  ASSERT_TRUE(grep.MatchString(u"tel 12-345", pos));
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(grep.MatchEndPos(), 10);
  EXPECT_EQ(grep.CompileRegExp(u"[a]-"), 7);  // an unquantified set still refuses it
}

TEST(TGrepModel, CodeBehindABackslashStaysAsItStands) {
  TGrep grep(nullptr);
  grep.SetRegExp(u"\\\\\\#41");  // escaped backslash, then "\#41" left alone
  ASSERT_EQ(grep.NrOfRegExpTokens(), 1);
  const TGrepToken t = grep.RegExpToken(1);
  EXPECT_EQ(String(t.Params.begin() + 1, t.Params.begin() + 1 + t.NumChars), u"\\#41");
}

TEST(TGrepModel, EmptyGroupPassesEverywhere) {
  struct Case {
    const char16_t* Pattern;
    const char16_t* Text;
    std::int32_t StartPos, Start, End;
  };
  const Case cases[] = {
      {u"()", u"", 1, 1, 0},    {u"()", u"", 2, 2, 1},    {u"()", u"abc", 5, 5, 4},
      {u"a()", u"xa", 1, 2, 2}, {u"()b", u"ab", 1, 2, 2}, {u"()?", u"", 3, 3, 2},
  };
  for (const Case& c : cases) {
    TGrep grep(nullptr);
    grep.SetRegExp(c.Pattern);
    grep.SetSearchStartPos(c.StartPos);
    std::int32_t pos = 0;
    ASSERT_TRUE(grep.MatchString(c.Text, pos)) << U8(c.Pattern) << " from " << c.StartPos;
    EXPECT_EQ(pos, c.Start) << U8(c.Pattern);
    EXPECT_EQ(grep.MatchEndPos(), c.End) << U8(c.Pattern);
  }
}

// Every start position at the ends of the range, and the documented loop over all matches
// from there: no overflow, and the loop ends.
TEST(TGrepModel, StartPositionsAtTheLimitsAndTheMatchLoopEnds) {
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  const char16_t* patterns[] = {u"a",  u"x?",      u"()", u"a*b*", u"^a",
                                u"a$", u"(ab)*c?", u"",   u"x*",   u"[^a]+"};
  const String text = u"abcab";
  for (const char16_t* pattern : patterns) {
    for (const std::int32_t start : {lo, -1, 0, 1, 5, 6, 7, hi - 1, hi}) {
      TGrep grep(nullptr);
      grep.SetRegExp(pattern);
      grep.SetSearchStartPos(start);
      std::int32_t pos = 0;
      int rounds = 0;
      while (grep.MatchString(text, pos)) {
        ASSERT_LE(++rounds, static_cast<int>(text.size()) + 2) << U8(pattern) << " from " << start;
        EXPECT_GE(pos, 1);
        if (pos > static_cast<std::int32_t>(text.size())) break;
        const bool empty = grep.MatchEndPos() < grep.MatchStartPos();
        grep.SetSearchStartPos(empty ? grep.MatchStartPos() + 1 : grep.MatchEndPos() + 1);
      }
    }
  }
  TGrep grep(nullptr);
  grep.SetRegExp(u"x?");
  grep.SetSearchStartPos(hi);
  std::int32_t pos = 0;
  ASSERT_TRUE(grep.MatchString(text, pos));
  EXPECT_EQ(pos, hi);
  EXPECT_EQ(grep.MatchEndPos(), hi - 1);
  grep.SetRegExp(u"b");
  EXPECT_FALSE(grep.MatchString(text, pos));
}

// The failed-attempt table of a long search (here about 1 MB) does not outlive it.
TEST(TGrepModel, LargeSearchReleasesItsTable) {
  TGrep grep(nullptr);
  grep.SetRegExp(u"a*a*a*a*b");
  const String text(3'000'000, u'a');
  std::int32_t pos = 0;
  const auto before = mallinfo2();
  EXPECT_FALSE(grep.MatchString(text, pos));
  const auto after = mallinfo2();
  const auto held = [](const struct mallinfo2& m) { return m.uordblks + m.hblkhd; };
  EXPECT_LT(held(after), held(before) + 256 * 1024);
}

}  // namespace
}  // namespace kez
