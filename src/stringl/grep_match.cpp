// The TGrep matcher: a backtracking search over the tokens that tries the shortest choice
// first inside the pattern and takes the longest run at its end.
//
// Backtracking alone is exponential on patterns like "a*a*a*b". Whether tokens k..n match
// from position p depends on (k, p) only, so a failed pair is remembered in a bit table and
// never tried again; the first success, and so every result, stays that of the plain
// search. For a repeated item the table also records the whole chain of positions that a
// failed loop walked through (each of them would fail the same way), and a loop stops at
// the first remembered position, which keeps the work per token linear in the text.
//
// The other shortcuts only pass over attempts that would fail, so they keep the results
// too: start positions and the candidates of a repeated "any character" jump to where the
// next token can pass (the next copy of a literal, found 16 characters at a time); a
// pattern ending in "$" without "*" or "+" starts no earlier than its longest length
// before the text's end; and a repeated "any character" that failed at p fails at every
// later position, which ends the search for "b.*d" on a text without "d" after one pass.
#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <new>
#include <optional>

#include "stringl/chars_internal.hpp"
#include "stringl/grep_internal.hpp"

namespace kez::grep_detail {

namespace {

// Input positions inside the matcher. A search may start anywhere up to INT32_MAX and a
// token adds up to 255 to its position before the next token checks it, so the arithmetic
// is done in 64 bits; every position a token actually matches at fits 32 bits again.
using Pos = std::int64_t;

// No position: what NextChance returns when a token can pass nowhere from a position on.
constexpr Pos kNowhere = std::numeric_limits<Pos>::max();

// The failed (token, position) pairs of one search, for the tokens First..Last and the
// positions From..Limit. The words of 64 positions are laid out block by block (the tokens'
// words of one block side by side) and the table grows only as far as the search reaches,
// so that a search from a late start position, or one that ends early, costs what it
// explores and not the text's length: finding every match of a long text stays linear. The
// words used are cleared when the search ends, so the scratch buffer stays all zero between
// searches. When the table cannot grow, positions simply go unrecorded: the search stays
// correct, only slower on hard patterns.
class FailedPairs {
 public:
  FailedPairs(std::vector<std::uint64_t>& Bits, int First, int Last, Pos From, Pos Limit)
      : FBits(Bits),
        FFirst(First),
        FLast(Last),
        FRows(static_cast<std::size_t>(Last - First + 1)),
        FBase(std::max<Pos>(From, 0) / 64),
        FLimit(Limit) {}

  ~FailedPairs() {
    if (FLow > FHigh) return;
    const std::size_t lo = Index(FFirst, FLow / 64);
    const std::size_t hi = std::min(Index(FFirst, FHigh / 64) + FRows, FBits.size());
    std::fill(FBits.begin() + static_cast<std::ptrdiff_t>(lo),
              FBits.begin() + static_cast<std::ptrdiff_t>(hi), 0);
  }

  FailedPairs(const FailedPairs&) = delete;
  FailedPairs& operator=(const FailedPairs&) = delete;

  bool Covers(int k) const { return k >= FFirst && k <= FLast; }

  bool Failed(int k, Pos p) const {
    if (!Covers(k) || p < FBase * 64 || p > FLimit) return false;
    const std::size_t at = Index(k, p / 64);
    return at < FBits.size() && ((FBits[at] >> (p % 64)) & 1U) != 0;
  }

  void Mark(int k, Pos p) { MarkRange(k, p, p); }

  // Marks the positions Lo..Hi (as far as they are recorded).
  void MarkRange(int k, Pos Lo, Pos Hi) {
    Lo = std::max(Lo, FBase * 64);
    Hi = std::min(Hi, FLimit);
    if (!Covers(k) || Lo > Hi || !Reach(Hi / 64)) return;
    for (Pos w = Lo / 64; w <= Hi / 64; ++w) {
      const int from = w == Lo / 64 ? static_cast<int>(Lo % 64) : 0;
      const int to = w == Hi / 64 ? static_cast<int>(Hi % 64) : 63;
      FBits[Index(k, w)] |= (~std::uint64_t{0} >> (63 - to + from)) << from;
    }
    FLow = std::min(FLow, Lo);
    FHigh = std::max(FHigh, Hi);
  }

  // The first position of Lo..Hi recorded as failed for token k, or 0.
  Pos FirstFailed(int k, Pos Lo, Pos Hi) const {
    Lo = std::max(Lo, FBase * 64);
    Hi = std::min(Hi, FLimit);
    if (!Covers(k) || Lo > Hi) return 0;
    for (Pos w = Lo / 64; w <= Hi / 64; ++w) {
      const std::size_t at = Index(k, w);
      if (at >= FBits.size()) break;  // not reached yet: nothing recorded there
      std::uint64_t bits = FBits[at];
      if (w == Lo / 64) bits &= ~std::uint64_t{0} << (Lo % 64);
      if (w == Hi / 64) bits &= ~std::uint64_t{0} >> (63 - Hi % 64);
      if (bits != 0) return w * 64 + std::countr_zero(bits);
    }
    return 0;
  }

 private:
  // The word of token k for the positions 64 w .. 64 w + 63 (w >= FBase).
  std::size_t Index(int k, Pos w) const {
    return static_cast<std::size_t>(w - FBase) * FRows + static_cast<std::size_t>(k - FFirst);
  }

  // Grows the table to hold the words of block w; false when memory runs out.
  bool Reach(Pos w) {
    const std::size_t need = Index(FLast, w) + 1;
    if (FBits.size() >= need) return true;
    try {
      FBits.resize(need, 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  std::vector<std::uint64_t>& FBits;
  int FFirst;
  int FLast;
  std::size_t FRows;
  Pos FBase;  // the first block of 64 positions recorded
  Pos FLimit;
  Pos FLow = std::numeric_limits<Pos>::max();
  Pos FHigh = 0;
};

bool IsQuantified(TGrepTokenAct Action) {
  return Action == taMult0 || Action == taMult1 || Action == taOpti;
}

class Matcher {
 public:
  // Fold: the text is read as if lower-cased (ASCII letters), for IgnoreCase.
  Matcher(TRegExp& Tokens, std::int32_t Count, const char16_t* Text, Pos Length, bool Fold,
          FailedPairs* Memo)
      : FTokens(Tokens), FCount(Count), FText(Text), FLength(Length), FFold(Fold), FMemo(Memo) {
    FFailsFrom.fill(kNowhere);
  }

  // Tokens k..last match from position p (1-based; p may lie behind the text).
  bool Match(Pos p, int k) {
    if (p >= FFailsFrom[static_cast<std::size_t>(k)] && p <= FLength + 1) return false;
    if (FMemo != nullptr && FMemo->Failed(k, p)) return false;
    const bool matched = MatchHere(p, k);
    if (!matched) {
      if (FMemo != nullptr) FMemo->Mark(k, p);
      if (IsAnyRepeat(k) && p <= FLength + 1) {
        FFailsFrom[static_cast<std::size_t>(k)] =
            std::min(FFailsFrom[static_cast<std::size_t>(k)], p);
      }
    }
    return matched;
  }

  // Every start from this position on fails: the pattern begins with an item of fixed
  // length followed by a repeated "any character" that is known to fail behind it.
  Pos HopelessFrom() const {
    const TGrepToken& head = FTokens[1];
    if (FCount < 2 || !IsAnyRepeat(2) || FFailsFrom[2] == kNowhere) return kNowhere;
    if (head.Action == taNormal) return FFailsFrom[2] - head.NumChars;
    if (head.Action == taAnyByte || head.Action == taSet) return FFailsFrom[2] - 1;
    return kNowhere;
  }

  // Builds the finder of token k's literal (a taNormal string or the string a taMult1
  // repeats), which NextChance uses to skip to the literal's next copy.
  void FindLiteralOf(int k) {
    const TGrepToken& token = FTokens[k];
    if ((token.Action == taNormal || token.Action == taMult1) && token.NumChars > 0) {
      FFinders[static_cast<std::size_t>(k)].emplace(
          StringView(token.Params.data() + 1, static_cast<std::size_t>(token.NumChars)), FFold);
    }
  }

  // The first position from q on where token k can pass its test; every position skipped
  // would fail it. kNowhere when no position up to FLength + 1 can.
  Pos NextChance(int k, Pos q) const {
    const TGrepToken& token = FTokens[k];
    const bool item = token.Action == taNormal || token.Action == taAnyByte ||
                      token.Action == taSet || token.Action == taMult1;
    if (token.Action == taEol) return q <= FLength + 1 ? FLength + 1 : kNowhere;
    if (!item || (token.Action == taNormal && token.NumChars == 0)) return q;
    if (q > FLength) return kNowhere;
    const auto& finder = FFinders[static_cast<std::size_t>(k)];
    if (finder) {
      const std::size_t at = finder->Find(StringView(FText, static_cast<std::size_t>(FLength)),
                                          static_cast<std::size_t>(q - 1));
      return at == StringView::npos ? kNowhere : static_cast<Pos>(at) + 1;
    }
    if (token.Action == taSet || (token.Action == taMult1 && token.NumChars < 0)) {
      while (q <= FLength && !IsMember(token, q)) ++q;
      return q <= FLength ? q : kNowhere;
    }
    return q;
  }

  bool IsMember(const TGrepToken& Token, Pos p) const {
    if (p < 1 || p > FLength) return false;
    const char16_t ch = CharAt(p);
    return ch <= 255 && Token.Params[ch] == kMember;
  }

  // An empty literal (an empty group) is present everywhere, behind the text too.
  bool LiteralAt(const TGrepToken& Token, Pos p) const {
    if (Token.NumChars == 0) return true;
    if (p < 1 || Token.NumChars > FLength - p + 1 || CharAt(p) != Token.Params[1]) return false;
    const auto* chars = Token.Params.begin() + 1;
    if (!FFold) return std::equal(chars, chars + Token.NumChars, FText + (p - 1));
    return std::equal(chars, chars + Token.NumChars, FText + (p - 1),
                      [](char16_t c, char16_t t) { return c == detail::FoldASCII(t); });
  }

  std::int32_t End() const { return static_cast<std::int32_t>(FEnd); }

 private:
  static Pos ItemLength(const TGrepToken& Token) {
    return Token.NumChars <= 0 ? 1 : Token.NumChars;
  }

  // The item a quantified token repeats is present at p.
  bool ItemAt(const TGrepToken& Token, Pos p) const {
    if (Token.NumChars == 0) return p >= 1 && p <= FLength;
    if (Token.NumChars < 0) return IsMember(Token, p);
    return LiteralAt(Token, p);
  }

  bool MatchHere(Pos p, int k) {
    TGrepToken& token = FTokens[k];
    const bool last = k == FCount;
    switch (token.Action) {
      case taNormal:
        if (!LiteralAt(token, p)) return false;
        break;
      case taAnyByte:
        if (p < 1 || p > FLength) return false;
        break;
      case taEol:
        if (p != FLength + 1 || !last) return false;
        break;
      case taBol:
        if (p != 1) return false;
        break;
      case taSet:
        if (!IsMember(token, p)) return false;
        break;
      case taMult1:
        if (!ItemAt(token, p)) return false;
        break;
      case taMult0:
      case taOpti:
        break;
    }
    // A token that passes stands inside the text or at the search's start position.
    token.ValidFrom = static_cast<std::int32_t>(p);
    if (last) {
      FEnd = LastTokenEnd(token, p);
      return true;
    }
    switch (token.Action) {
      case taNormal:
        return Match(p + token.NumChars, k + 1);
      case taAnyByte:
      case taSet:
        return Match(p + 1, k + 1);
      case taBol:
        return Match(1, k + 1);
      case taMult0:
      case taMult1:
        return Repeat(token, p, k);
      case taOpti:
        if (Match(p, k + 1)) return true;
        return ItemAt(token, p) && Match(p + ItemLength(token), k + 1);
      case taEol:
        break;
    }
    return false;
  }

  // taMult0 tries the rest at p, p + one repetition, p + two, ...; taMult1 starts one
  // repetition further. A position x of the chain that is known to fail for this token
  // means that every later candidate fails too (taMult0 at x tries them all, taMult1 at x
  // all behind x), so the loop stops there; when the loop fails, every chain position it
  // walked through is recorded as failed for the same reason. A repeated "any character"
  // covers every position up to the text's end, so the loop jumps over the candidates at
  // which token k + 1 fails its test (checking their chain positions in the table all
  // the same): "b.*d" looks for the next "d" instead of trying each position.
  bool Repeat(const TGrepToken& Token, Pos p, int k) {
    const Pos step = ItemLength(Token);
    const bool atLeastOne = Token.Action == taMult1;
    const Pos behind = atLeastOne ? 0 : step;  // chain position minus candidate
    Pos x = p;  // the chain position whose token attempt the candidate belongs to
    Pos q = atLeastOne ? p + step : p;
    for (;;) {
      if (Token.NumChars == 0) {
        const Pos next = NextChance(k + 1, q);
        const Pos stop = std::min(next, FLength + 1);
        if (stop > q) {
          const Pos failed =
              FMemo != nullptr ? FMemo->FirstFailed(k, q + behind, stop - 1 + behind) : 0;
          if (failed != 0) {
            x = failed;
            break;
          }
          x = stop - 1 + behind;
          q = stop;
        }
        if (next == kNowhere) break;
      }
      if (Match(q, k + 1)) return true;
      if (!ItemAt(Token, q)) break;
      x = q + behind;
      q += step;
      if (FMemo != nullptr && FMemo->Failed(k, x)) break;
    }
    if (FMemo != nullptr && FMemo->Covers(k)) {
      if (step == 1) {
        FMemo->MarkRange(k, p + 1, x);
      } else {
        for (Pos y = p + step; y <= x; y += step) FMemo->Mark(k, y);
      }
    }
    return false;
  }

  Pos LastTokenEnd(const TGrepToken& Token, Pos p) const {
    switch (Token.Action) {
      case taNormal:
        return p + Token.NumChars - 1;
      case taAnyByte:
      case taSet:
        return p;
      case taEol:
        return FLength;
      case taBol:
        return 1;
      case taMult0:
      case taMult1: {
        // Any character runs to the text's end; behind the text (a search started there)
        // the repetition is empty and ends one before it starts, as every empty match does.
        if (Token.NumChars == 0) return std::max(FLength, p - 1);
        Pos q = p;
        while (ItemAt(Token, q)) q += ItemLength(Token);
        return q - 1;
      }
      case taOpti:
        return ItemAt(Token, p) ? p + ItemLength(Token) - 1 : p - 1;
    }
    return p - 1;
  }

  // A repeated "any character" before the last token: at p it tries the rest of the
  // pattern at every position from p (or p + 1) to the text's end + 1, so when it fails at
  // p it fails at every later position up to there too.
  bool IsAnyRepeat(int k) const {
    const TGrepToken& token = FTokens[k];
    return k < FCount && (token.Action == taMult0 || token.Action == taMult1) &&
           token.NumChars == 0;
  }

  TRegExp& FTokens;
  std::int32_t FCount;
  // The character at p (1 <= p <= FLength) as the search sees it.
  char16_t CharAt(Pos p) const {
    const char16_t ch = FText[p - 1];
    return FFold ? detail::FoldASCII(ch) : ch;
  }

  const char16_t* FText;
  Pos FLength;
  bool FFold;
  FailedPairs* FMemo;
  Pos FEnd = 0;
  std::array<std::optional<detail::SubstringFinder>, kMaxTokens + 1> FFinders;
  // FFailsFrom[k]: the first position known to fail for a repeated "any character" k (see
  // IsAnyRepeat); kNowhere for the other tokens.
  std::array<Pos, kMaxTokens + 1> FFailsFrom;
};

// A pattern that ends in "$" and holds no "*" or "+" matches only within its longest
// length of the text's end: the earliest start that can match (1 for other patterns).
Pos EarliestEndAnchoredStart(const TRegExp& Tokens, std::int32_t Count, Pos Length) {
  if (Tokens[Count].Action != taEol) return 1;
  Pos longest = 0;
  for (int k = 1; k <= Count; ++k) {
    const TGrepToken& token = Tokens[k];
    switch (token.Action) {
      case taNormal:
        longest += token.NumChars;
        break;
      case taAnyByte:
      case taSet:
        longest += 1;
        break;
      case taOpti:
        longest += token.NumChars <= 0 ? 1 : token.NumChars;
        break;
      case taEol:
      case taBol:
        break;
      case taMult0:
      case taMult1:
        return 1;
    }
  }
  return Length + 1 - longest;
}

}  // namespace

bool Search(TRegExp& Tokens, std::int32_t Count, StringView Input, bool IgnoreCase,
            std::int32_t StartPos, std::int32_t& MatchStart, std::int32_t& MatchEnd,
            std::vector<std::uint64_t>& Scratch) {
  // MatchString refuses longer texts, so every position fits 32 bits.
  const auto length = static_cast<Pos>(std::min(Input.size(), TGrep::kMaxSearchLength));
  const StringView text = Input.substr(0, static_cast<std::size_t>(length));
  const Pos first = std::max<Pos>(StartPos, 1);
  const Pos lastStart = std::max(first, length);

  // Only a choice point before the last token can make the search revisit a pair; the
  // table then covers the tokens from the first such choice on.
  int firstChoice = 0;
  for (int k = 1; k < Count && firstChoice == 0; ++k) {
    if (IsQuantified(Tokens[k].Action)) firstChoice = k;
  }
  std::optional<FailedPairs> memo;
  if (firstChoice != 0) memo.emplace(Scratch, firstChoice, Count - 1, first, length + 1);
  Matcher matcher(Tokens, Count, text.data(), length, IgnoreCase, memo ? &*memo : nullptr);
  // Start positions and the candidates of a repeated "any character" skip to where the
  // token after them can pass: the next copy of its literal, the next set member.
  matcher.FindLiteralOf(1);
  for (int k = 1; k < Count; ++k) {
    const TGrepToken& token = Tokens[k];
    if ((token.Action == taMult0 || token.Action == taMult1) && token.NumChars == 0) {
      matcher.FindLiteralOf(k + 1);
    }
  }

  bool found = false;
  if (Tokens[1].Action == taBol) {
    found = matcher.Match(first, 1);
  } else {
    const Pos earliest = std::min(EarliestEndAnchoredStart(Tokens, Count, length), lastStart);
    for (Pos s = std::max(first, earliest); s <= lastStart; ++s) {
      s = matcher.NextChance(1, s);
      if (s > lastStart || s >= matcher.HopelessFrom()) break;
      if (matcher.Match(s, 1)) {
        found = true;
        break;
      }
    }
  }
  if (found) {
    MatchStart = Tokens[1].ValidFrom;
    MatchEnd = matcher.End();
  }
  return found;
}

}  // namespace kez::grep_detail
