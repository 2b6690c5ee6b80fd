// The TGrep compiler: the character-code pre-pass and the parser that turns a pattern into
// tokens.
#include "kez/stringl/chars.hpp"
#include "stringl/grep_internal.hpp"

namespace kez::grep_detail {

namespace {

int HexDigitValue(char16_t Ch) {
  if (!IsHexChar(Ch)) return -1;
  return IsDigit(Ch) ? Ch - u'0' : (Ch | 0x20) - u'a' + 10;
}

// The code given by two characters: leading blanks and one leading "$" are skipped, the
// hexadecimal digits that follow are read, and no digit gives 0.
char16_t TwoCharCode(char16_t First, char16_t Second) {
  const char16_t digits[2] = {First, Second};
  int i = 0;
  while (i < 2 && digits[i] == u' ') ++i;
  if (i < 2 && digits[i] == u'$') ++i;
  int code = 0;
  for (; i < 2 && HexDigitValue(digits[i]) >= 0; ++i) code = code * 16 + HexDigitValue(digits[i]);
  return static_cast<char16_t>(code);
}

enum TParseState : std::uint8_t {
  psStart,
  psItem,
  psSetFirst,
  psSet,
  psAfterSet,
  psGroup,
  psAfterGroup,
  psEnd
};

// One pattern character as the parser sees it: escaped characters are always literal.
struct PatternChar {
  char16_t Ch;
  bool Escaped;
  bool Is(char16_t c) const { return !Escaped && Ch == c; }
};

class Compiler {
 public:
  Compiler(StringView Pattern, TRegExp& Tokens, std::int32_t& Count)
      : FPattern(Pattern), FTokens(Tokens), FCount(Count) {}

  int Run() {
    for (auto& token : FTokens) token = TGrepToken{};
    FCount = 0;
    while (FPos < FPattern.size()) {
      const int error = Step(Next());
      if (error != grepNoError) return error;
    }
    return grepNoError;
  }

 private:
  // Reads the next pattern character; a backslash takes the following one literally, and a
  // backslash at the very end stands for itself.
  PatternChar Next() {
    const char16_t ch = FPattern[FPos++];
    if (ch == u'\\' && FPos < FPattern.size()) return {FPattern[FPos++], true};
    return {ch, ch == u'\\'};
  }

  TGrepToken& Current() { return FTokens[FCount]; }

  int NewToken(TGrepTokenAct Action) {
    if (FCount >= kMaxTokens) return grepTooLong;
    ++FCount;
    Current() = TGrepToken{};
    Current().Action = Action;
    if (Action == taSet) {
      Current().NumChars = -1;
      Current().Params.fill(kNonMember);
    }
    return grepNoError;
  }

  int Append(char16_t Ch) {
    TGrepToken& token = Current();
    if (token.NumChars >= kMaxChars) return grepTooLong;
    token.Params[static_cast<std::size_t>(++token.NumChars)] = Ch;
    return grepNoError;
  }

  int AddRange(char16_t From, char16_t To) {
    if (From > To) std::swap(From, To);
    if (To > 255) return grepSetCharAbove255;
    for (unsigned c = From; c <= To; ++c) Current().Params[c] = kMember;
    return grepNoError;
  }

  int Step(PatternChar c) {
    switch (FState) {
      case psStart:
        if (c.Is(u'$') || c.Is(u'*') || c.Is(u'+') || c.Is(u'?')) return grepBadStart;
        if (c.Is(u'^')) {
          FState = psItem;
          return NewToken(taBol);
        }
        return ItemChar(c);
      case psItem:
        return ItemChar(c);
      case psSetFirst:
      case psSet:
        return SetChar(c);
      case psAfterSet:
        if (IsQuantifier(c)) return QuantifyClosed(c);
        if (c.Is(u'-')) return grepMisplacedMinus;
        return ItemChar(c);
      case psGroup:
        if (c.Is(u')')) {
          FState = psAfterGroup;
          return grepNoError;
        }
        if (c.Is(u'^')) return grepMisplacedBol;
        return Append(c.Ch);
      case psAfterGroup:
        if (IsQuantifier(c)) return QuantifyClosed(c);
        return ItemChar(c);
      case psEnd:
        return grepCharAfterEol;
    }
    return grepNoError;
  }

  static bool IsQuantifier(PatternChar c) { return c.Is(u'*') || c.Is(u'+') || c.Is(u'?'); }

  static TGrepTokenAct QuantifierAction(PatternChar c) {
    return c.Is(u'*') ? taMult0 : c.Is(u'+') ? taMult1 : taOpti;
  }

  // The rules shared by the states after an item, a set and a group.
  int ItemChar(PatternChar c) {
    if (!c.Escaped) {
      switch (c.Ch) {
        case u'$':
          FState = psEnd;
          return NewToken(taEol);
        case u'(':
          FState = psGroup;
          return NewToken(taNormal);
        case u')':
          return grepGroupBrackets;
        case u']':
          return grepSetBrackets;
        case u'^':
          return grepMisplacedBol;
        case u'.':
          FState = psItem;
          return NewToken(taAnyByte);
        case u'[':
          FState = psSetFirst;
          FNegate = false;
          return NewToken(taSet);
        case u'*':
        case u'+':
        case u'?':
          return QuantifyItem(QuantifierAction(c));
        default:
          break;
      }
    }
    FState = psItem;
    if (FCount == 0 || Current().Action != taNormal) {
      const int error = NewToken(taNormal);
      if (error != grepNoError) return error;
    }
    return Append(c.Ch);
  }

  // A quantifier after a literal character or ".": it applies to that one character.
  int QuantifyItem(TGrepTokenAct Action) {
    TGrepToken& token = Current();
    if (token.Action == taAnyByte) {
      token.Action = Action;
      token.NumChars = 0;
      return grepNoError;
    }
    if (token.Action != taNormal || token.NumChars == 0) return grepBadQuantifier;
    if (token.NumChars == 1) {
      token.Action = Action;
      return grepNoError;
    }
    // "ab*" repeats only "b": the last character moves into a token of its own.
    if (FCount >= kMaxTokens) return grepTooLong;
    const char16_t last = token.Params[static_cast<std::size_t>(token.NumChars)];
    --token.NumChars;
    NewToken(Action);
    Current().NumChars = 1;
    Current().Params[1] = last;
    return grepNoError;
  }

  // A quantifier after "]" or ")": it applies to the whole set or group. The parser then
  // goes on as after any quantified item, so "[a]*-" reads "-" as a literal and a second
  // quantifier is error 9.
  int QuantifyClosed(PatternChar c) {
    FState = psItem;
    TGrepToken& token = Current();
    // A count of 0 would mean "any character": an empty group stays the empty literal,
    // which every repetition count matches alike.
    if (token.Action == taNormal && token.NumChars == 0) return grepNoError;
    token.Action = QuantifierAction(c);
    return grepNoError;
  }

  int SetChar(PatternChar c) {
    if (FState == psSetFirst) {
      if (c.Is(u'-')) return grepMisplacedMinus;
      if (c.Is(u']')) return grepEmptySet;
      if (c.Is(u'^')) {
        if (FNegate) return grepCircumflexInSet;
        FNegate = true;
        return grepNoError;
      }
    } else {
      if (c.Is(u'^')) return grepCircumflexInSet;
      if (c.Is(u']')) {
        if (FNegate) {
          for (auto& entry : Current().Params) entry = entry == kMember ? kNonMember : kMember;
        }
        FNegate = false;
        FState = psAfterSet;
        return grepNoError;
      }
      if (c.Is(u'-')) {
        // A minus that no range end follows is a member itself ("[+-]").
        const bool closes = FPos >= FPattern.size() || FPattern[FPos] == u']';
        if (closes) return AddRange(u'-', u'-');
        return AddRange(FLastSetChar, Next().Ch);
      }
    }
    FState = psSet;
    FLastSetChar = c.Ch;
    return AddRange(c.Ch, c.Ch);
  }

  StringView FPattern;
  std::size_t FPos = 0;
  TRegExp& FTokens;
  std::int32_t& FCount;
  TParseState FState = psStart;
  bool FNegate = false;
  char16_t FLastSetChar = u'A';
};

}  // namespace

String DecodeCharCodes(StringView Pattern) {
  String result;
  result.reserve(Pattern.size());
  std::size_t i = 0;
  while (i < Pattern.size()) {
    if (Pattern[i] == u'\\' && i + 1 < Pattern.size() && Pattern[i + 1] == u'#') {
      if (i > 0 && Pattern[i - 1] == u'\\') {
        // "\\#": the backslash in front keeps the code as it stands.
        result.append(Pattern.substr(i, 2));
        i += 2;
        continue;
      }
      if (i + 3 < Pattern.size()) {
        // The decoded character is written escaped, so that a code such as "\#2a" stands
        // for the character "*" and never for the quantifier.
        result += u'\\';
        result += TwoCharCode(Pattern[i + 2], Pattern[i + 3]);
        i += 4;
        continue;
      }
    }
    result += Pattern[i++];
  }
  return result;
}

int Compile(StringView Pattern, TRegExp& Tokens, std::int32_t& Count) {
  return Compiler(Pattern, Tokens, Count).Run();
}

}  // namespace kez::grep_detail
