// The TGrep matcher: a backtracking search over the tokens that tries the shortest choice
// first inside the pattern and takes the longest run at its end.
//
// Backtracking alone is exponential on patterns like "a*a*a*b". Whether tokens k..n match
// from position p depends on (k, p) only, so a failed pair is remembered in a bit table and
// never tried again; the first success, and so every result, stays that of the plain
// search. For a repeated item the table also records the whole chain of positions that a
// failed loop walked through (each of them would fail the same way), and a loop stops at
// the first remembered position, which keeps the work per token linear in the text.
#include <algorithm>
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

// The failed (token, position) pairs of one search, for the tokens First..Last. Positions
// 1..Limit are recorded; the rows are cleared again when the search ends, so the scratch
// buffer stays all zero between searches.
class FailedPairs {
 public:
  FailedPairs(std::vector<std::uint64_t>& Bits, int First, int Last, Pos Limit)
      : FBits(Bits),
        FFirst(First),
        FLast(Last),
        FLimit(Limit),
        FWords(static_cast<std::size_t>(Limit) / 64 + 1) {
    const std::size_t need = FWords * static_cast<std::size_t>(Last - First + 1);
    if (FBits.size() < need) FBits.resize(need, 0);
  }

  ~FailedPairs() {
    if (FLow > FHigh) return;
    const std::size_t lo = static_cast<std::size_t>(FLow) / 64;
    const std::size_t hi = static_cast<std::size_t>(FHigh) / 64;
    for (int k = FFirst; k <= FLast; ++k) {
      auto row = FBits.begin() + static_cast<std::ptrdiff_t>(Row(k));
      std::fill(row + static_cast<std::ptrdiff_t>(lo), row + static_cast<std::ptrdiff_t>(hi + 1),
                0);
    }
  }

  bool Covers(int k) const { return k >= FFirst && k <= FLast; }

  bool Failed(int k, Pos p) const {
    if (!Covers(k) || p > FLimit) return false;
    return (FBits[Row(k) + static_cast<std::size_t>(p) / 64] >> (p % 64)) & 1U;
  }

  void Mark(int k, Pos p) {
    if (!Covers(k) || p > FLimit) return;
    FBits[Row(k) + static_cast<std::size_t>(p) / 64] |= std::uint64_t{1} << (p % 64);
    FLow = std::min(FLow, p);
    FHigh = std::max(FHigh, p);
  }

 private:
  std::size_t Row(int k) const { return static_cast<std::size_t>(k - FFirst) * FWords; }

  std::vector<std::uint64_t>& FBits;
  int FFirst;
  int FLast;
  Pos FLimit;
  std::size_t FWords;
  Pos FLow = std::numeric_limits<Pos>::max();
  Pos FHigh = 0;
};

bool IsQuantified(TGrepTokenAct Action) {
  return Action == taMult0 || Action == taMult1 || Action == taOpti;
}

class Matcher {
 public:
  Matcher(TRegExp& Tokens, std::int32_t Count, const char16_t* Text, Pos Length, FailedPairs* Memo)
      : FTokens(Tokens), FCount(Count), FText(Text), FLength(Length), FMemo(Memo) {}

  // Tokens k..last match from position p (1-based; p may lie behind the text).
  bool Match(Pos p, int k) {
    if (FMemo != nullptr && FMemo->Failed(k, p)) return false;
    const bool matched = MatchHere(p, k);
    if (!matched && FMemo != nullptr) FMemo->Mark(k, p);
    return matched;
  }

  bool IsMember(const TGrepToken& Token, Pos p) const {
    if (p < 1 || p > FLength) return false;
    const char16_t ch = FText[p - 1];
    return ch <= 255 && Token.Params[ch] == kMember;
  }

  // An empty literal (an empty group) is present everywhere, behind the text too.
  bool LiteralAt(const TGrepToken& Token, Pos p) const {
    if (Token.NumChars == 0) return true;
    if (p < 1 || Token.NumChars > FLength - p + 1) return false;
    return std::equal(Token.Params.begin() + 1, Token.Params.begin() + 1 + Token.NumChars,
                      FText + (p - 1));
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
  // walked through is recorded as failed for the same reason.
  bool Repeat(const TGrepToken& Token, Pos p, int k) {
    const Pos step = ItemLength(Token);
    const bool atLeastOne = Token.Action == taMult1;
    Pos x = p;  // the chain position whose token attempt the candidate belongs to
    Pos q = atLeastOne ? p + step : p;
    for (;;) {
      if (Match(q, k + 1)) return true;
      if (!ItemAt(Token, q)) break;
      x = atLeastOne ? q : q + step;
      q += step;
      if (FMemo != nullptr && FMemo->Failed(k, x)) break;
    }
    if (FMemo != nullptr && FMemo->Covers(k)) {
      for (Pos y = p + step; y <= x; y += step) FMemo->Mark(k, y);
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

  TRegExp& FTokens;
  std::int32_t FCount;
  const char16_t* FText;
  Pos FLength;
  FailedPairs* FMemo;
  Pos FEnd = 0;
};

}  // namespace

bool Search(TRegExp& Tokens, std::int32_t Count, StringView Input, std::int32_t StartPos,
            std::int32_t& MatchStart, std::int32_t& MatchEnd, std::vector<std::uint64_t>& Scratch) {
  // Positions are 32-bit; a longer text is searched in its first 2^31 - 1024 characters.
  constexpr std::size_t kMaxLength = std::numeric_limits<std::int32_t>::max() - 1024;
  const auto length = static_cast<Pos>(std::min(Input.size(), kMaxLength));
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
  if (firstChoice != 0) {
    try {
      memo.emplace(Scratch, firstChoice, Count - 1, length + 1);
    } catch (const std::bad_alloc&) {
      // Without the table the search is still correct, only slower on hard patterns.
    }
  }
  Matcher matcher(Tokens, Count, text.data(), length, memo ? &*memo : nullptr);

  const TGrepToken& head = Tokens[1];
  // What the first token needs at a start position: a literal string or a set member
  // (taNormal, taSet, and the item of a taMult1). Start positions without it are skipped.
  const bool needsItem = head.Action == taNormal || head.Action == taSet || head.Action == taMult1;
  const bool needsMember = needsItem && head.NumChars < 0;
  const std::size_t literalLength =
      needsItem && head.Action != taSet ? static_cast<std::size_t>(std::max(head.NumChars, 0)) : 0;
  const StringView literal(head.Params.data() + 1, literalLength);
  // Up to 255 characters: a linear search keeps texts without a candidate cheap.
  const detail::SubstringFinder literalFinder(literal);
  bool found = false;
  if (head.Action == taBol) {
    found = matcher.Match(first, 1);
  } else {
    for (Pos s = first; s <= lastStart; ++s) {
      if (!literal.empty()) {
        const std::size_t at = literalFinder.Find(text, static_cast<std::size_t>(s - 1));
        if (at == StringView::npos) break;
        s = static_cast<Pos>(at) + 1;
      } else if (needsMember) {
        while (s <= length && !matcher.IsMember(head, s)) ++s;
        if (s > length) break;
      }
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
