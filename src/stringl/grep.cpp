// The TGrep component: properties, compilation entry, search entry and the token listing.
#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

#include "kez/platform/safesave.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/stringl.hpp"
#include "stringl/grep_internal.hpp"

namespace kez {

namespace {

// The failed-attempt table kept between searches, in 64-bit words (256 KiB: a text of about
// 30,000 characters with a long pattern, or far longer texts with short ones).
constexpr std::size_t kKeptScratchWords = 32 * 1024;

constexpr const char16_t* kErrorTexts[] = {
    u"no errors",
    u"reg.exp. must not start with $, *, ?, or +",
    u"circumflex not allowed here",
    u"no character allowed after end of line",
    u"empty set",
    u"circumflex has to be quoted in set",
    u"mismatch of set brackets",
    u"minus not allowed here",
    u"mismatch of group brackets",
    u"*, ?, + have to be applied to groups or sets only",
    u"reg.exp. too long (more than 64 tokens or more than 255 characters in a string)",
    u"set members must have codes 0 to 255",
};

// The characters a token stands for: the members of a set in code order, else the literal.
String TokenChars(const TGrepToken& Token) {
  String chars;
  if (Token.NumChars < 0) {
    for (unsigned c = 0; c < Token.Params.size(); ++c) {
      if (Token.Params[c] == grep_detail::kMember) chars += static_cast<char16_t>(c);
    }
  } else {
    chars.assign(Token.Params.begin() + 1, Token.Params.begin() + 1 + Token.NumChars);
  }
  return chars;
}

String TokenLine(const TGrepToken& Token) {
  switch (Token.Action) {
    case taNormal:
      return u" taNormal: " + TokenChars(Token);
    case taAnyByte:
      return u"taAnyByte: ";
    case taEol:
      return u"    taEol: ";
    case taBol:
      return u"    taBol: ";
    case taSet:
      return u"    taSet: " + TokenChars(Token);
    case taMult0:
    case taMult1:
    case taOpti:
      break;
  }
  String line = Token.Action == taMult0   ? u"  taMult0: "
                : Token.Action == taMult1 ? u"  taMult1: "
                                          : u"   taOpti: ";
  if (Token.NumChars < 0) return line + u"(set) " + TokenChars(Token);
  if (Token.NumChars > 0) return line + u"(string) " + TokenChars(Token);
  return line + u"(anychar) ";
}

}  // namespace

String TGrepErrorText(int Code) {
  if (Code < 0 || Code >= static_cast<int>(std::size(kErrorTexts))) return {};
  return kErrorTexts[Code];
}

TGrep::TGrep(TComponent* AOwner) : TComponent(AOwner) {}

TGrep::~TGrep() = default;

void TGrep::SetRegExp(StringView Value) {
  FRegExpStr = String(Value);
  const int error = CompileRegExp(FRegExpStr);
  if (FStopOnError && error != grepNoError) {
    RaiseComponentError<EKEZStringlError>(
        *this, u"error in regular expression - " + TGrepErrorText(error));
  }
}

void TGrep::SetIgnoreCase(bool Value) {
  FIgnoreCase = Value;
  CompileRegExp(FRegExpStr);
}

TGrepToken TGrep::GetRegExpToken(std::int32_t regix) const {
  regix = std::max(std::min(regix, FLengRegExp), std::int32_t{1});
  return FregExp[regix];
}

int TGrep::CompileRegExp(StringView Text) {
  String pattern = FIgnoreCase ? LowerCase(Text) : String(Text);
  pattern = grep_detail::DecodeCharCodes(pattern);
  FError = grep_detail::Compile(pattern, FregExp, FLengRegExp);
  return FError;
}

bool TGrep::MatchString(StringView Instring, std::int32_t& MatchPos) {
  // Positions are 32-bit and a token may look up to 1024 characters beyond one: a longer
  // text is refused whole rather than searched in a part that would pass for the whole.
  if (Instring.size() > kMaxSearchLength) {
    RaiseComponentError<EKEZStringlError>(*this, u"text too long to search");
  }
  const auto length = static_cast<std::int32_t>(Instring.size());
  bool found = false;
  if (FLengRegExp == 1 && FregExp[1].Action == taMult0) {
    // A lone "x*" matches every text as a whole.
    found = length == 0 || length >= FSrcStartPos;
    FMatchStartPos = 1;
    FMatchEndPos = length;
  } else if (FLengRegExp == 0) {
    found = true;
    FMatchStartPos = std::max<std::int32_t>(FSrcStartPos, 1);
    FMatchEndPos = FMatchStartPos - 1;
  } else {
    found = grep_detail::Search(FregExp, FLengRegExp, Instring, FIgnoreCase, FSrcStartPos,
                                FMatchStartPos, FMatchEndPos, FFailedScratch);
  }
  // The table of a long text is not kept for the component's lifetime: one search of
  // twenty million characters would otherwise hold over 100 MB until the component dies.
  if (FFailedScratch.capacity() > kKeptScratchWords) {
    std::vector<std::uint64_t>().swap(FFailedScratch);
  }
  if (!found) {
    FMatchStartPos = 0;
    FMatchEndPos = 0;
  }
  MatchPos = FMatchStartPos;
  return found;
}

void TGrep::PrintRegExp(StringView FName) const {
  std::vector<String> lines;
  lines.reserve(static_cast<std::size_t>(FLengRegExp) + 1);
  for (std::int32_t k = 1; k <= FLengRegExp; ++k) lines.push_back(TokenLine(FregExp[k]));
  lines.push_back(TGrepErrorText(FError));
  // Characters beyond Windows-1252 in the expression make the listing a UTF-8 file.
  const bool utf8 =
      std::any_of(lines.begin(), lines.end(), [](const String& l) { return TextNeedsUtf8(l); });
  SaveTextFile(FName, utf8 ? teUtf8 : teAnsi, [&](TextFile& file) {
    for (const String& line : lines) file.WriteLn(line);
  });
}

void TGrep::AssignTo(TPersistent* Dest) {
  auto* target = dynamic_cast<TGrep*>(Dest);
  if (target == nullptr) {
    TComponent::AssignTo(Dest);
    return;
  }
  target->FLengRegExp = FLengRegExp;
  target->FStopOnError = FStopOnError;
  target->FregExp = FregExp;
  target->FRegExpStr = FRegExpStr;
  target->FIgnoreCase = FIgnoreCase;
  target->FError = FError;
  target->FMatchEndPos = FMatchEndPos;
  target->FMatchStartPos = FMatchStartPos;
  target->FSrcStartPos = FSrcStartPos;
}

}  // namespace kez
