// Tokens, fields, words, lines and backslash escapes.
#include <algorithm>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "stringl/chars_internal.hpp"

namespace kez {
namespace {

constexpr std::size_t kMaxTokens = 1000;

// The run of Escape characters directly in front of an index, for indexes that only grow.
// The run in front of the previous index is remembered, so a text made of escape
// characters is not scanned again for each delimiter behind it.
class EscapeRuns {
 public:
  EscapeRuns(StringView Text, char16_t Escape) : FText(Text), FEscape(Escape) {}

  std::size_t Before(std::size_t Index) {
    std::size_t run = 0;
    std::size_t q = Index;
    while (q > 0 && FText[q - 1] == FEscape) {
      if (q == FLastIndex) {
        run += FLastRun;
        break;
      }
      ++run;
      --q;
    }
    FLastIndex = Index;
    FLastRun = run;
    return run;
  }

 private:
  StringView FText;
  char16_t FEscape;
  std::size_t FLastIndex = 0;
  std::size_t FLastRun = 0;
};

// The cleaning of a token: every doubled Escape becomes one, then every Escape followed by
// the delimiter becomes the delimiter; both compare ASCII letters ignoring case.
String Unescape(StringView Token, StringView Delimiter, char16_t Escape) {
  const String escape(1, Escape);
  String single = ReplaceStringInString(Token, escape + escape, escape, true);
  // With an empty delimiter nothing was escaped: the escape characters stay.
  if (Delimiter.empty()) return single;
  return ReplaceStringInString(single, escape + String(Delimiter), Delimiter, true);
}

// The common splitter: IsEscapedAt tells whether the delimiter found at an index, in the
// token that starts at the other index, does not split. After such a delimiter the search
// goes on behind it.
template <class Escaped>
std::int32_t Split(StringView Text, StringView Delimiter, std::vector<String>& Tokens,
                   Escaped&& IsEscapedAt) {
  Tokens.clear();
  std::size_t start = 0;
  std::size_t from = 0;
  const detail::SubstringFinder finder(Delimiter);
  while (!Delimiter.empty() && Tokens.size() < kMaxTokens - 1) {
    const std::size_t p = finder.Find(Text, from);
    if (p == StringView::npos) break;
    from = p + Delimiter.size();
    if (IsEscapedAt(start, p)) continue;
    Tokens.emplace_back(Text.substr(start, p - start));
    start = from;
  }
  Tokens.emplace_back(Text.substr(start));
  return static_cast<std::int32_t>(Tokens.size());
}

int HexValue(char16_t Ch) {
  if (Ch >= u'0' && Ch <= u'9') return Ch - u'0';
  if (Ch >= u'A' && Ch <= u'F') return Ch - u'A' + 10;
  if (Ch >= u'a' && Ch <= u'f') return Ch - u'a' + 10;
  return -1;
}

// The code that two characters give in hexadecimal, with blanks and a "$" allowed in front.
char16_t HexCode(StringView Two) {
  std::size_t i = 0;
  while (i < Two.size() && Two[i] == u' ') ++i;
  if (i < Two.size() && Two[i] == u'$') ++i;
  int code = 0;
  for (; i < Two.size() && HexValue(Two[i]) >= 0; ++i) code = code * 16 + HexValue(Two[i]);
  return static_cast<char16_t>(code);
}

bool EndsLine(char16_t Ch, char16_t Previous, std::int32_t Mode) {
  switch (Mode) {
    case 0:
      return Ch == u'\n';
    case 1:
      return Ch == u'\r';
    case 2:
      return Ch == u'\n' || Ch == u'\r';
    case 3:
      return Ch == u'\r' && Previous == u'\n';
    case 4:
      return Ch == u'\n' && Previous == u'\r';
    default:
      return false;
  }
}

}  // namespace

std::int32_t Tokenize(StringView Text, StringView Delimiter, std::vector<String>& Tokens) {
  return Split(Text, Delimiter, Tokens, [](std::size_t, std::size_t) { return false; });
}

std::int32_t Tokenize(StringView Text, StringView Delimiter, char16_t Escape,
                      std::vector<String>& Tokens) {
  EscapeRuns runs(Text, Escape);
  const std::int32_t n = Split(Text, Delimiter, Tokens, [&](std::size_t start, std::size_t p) {
    // Escapes in front of the token's start belong to the delimiter before it.
    return std::min(runs.Before(p), p - start) % 2 == 1;
  });
  for (String& token : Tokens) token = Unescape(token, Delimiter, Escape);
  return n;
}

String ExtractSubString(StringView Text, std::int32_t N, StringView Delimiter) {
  if (N < 0 || Text.empty()) return String();
  if (Delimiter.empty()) return N == 0 ? String(Text) : String();
  const detail::SubstringFinder finder(Delimiter);
  std::size_t start = 0;
  // Each field starts behind the last one, so the loop ends within the text for any N.
  for (std::int32_t i = 0; i < N; ++i) {
    const std::size_t p = finder.Find(Text, start);
    if (p == StringView::npos) return String();
    start = p + Delimiter.size();
  }
  const StringView rest = Text.substr(start);
  if (rest.empty() || AnsiLowerCase(rest.substr(0, Delimiter.size())) == AnsiLowerCase(Delimiter)) {
    return String();
  }
  const std::size_t end = finder.Find(Text, start + 1);
  return String(Text.substr(start, end == StringView::npos ? StringView::npos : end - start));
}

String ExtractWordFromString(StringView Text, std::int32_t Pos) {
  std::int32_t first = 0;
  std::int32_t last = 0;
  return ExtractWordFromString(Text, Pos, first, last);
}

String ExtractWordFromString(StringView Text, std::int32_t Pos, std::int32_t& First,
                             std::int32_t& Last) {
  First = Last = 0;
  if (Pos < 1 || static_cast<std::size_t>(Pos) > Text.size()) return String();
  std::size_t first = static_cast<std::size_t>(Pos) - 1;
  std::size_t last = first;
  if (!IsWordSep(Text[first])) {
    while (first > 0 && !IsWordSep(Text[first - 1])) --first;
    while (last + 1 < Text.size() && !IsWordSep(Text[last + 1])) ++last;
  }
  First = detail::ToPosition(first);
  Last = detail::ToPosition(last);
  return String(Text.substr(first, last - first + 1));
}

String ReadLnString(StringView Text, std::int32_t& Pos, bool& Eos, std::int32_t Mode) {
  Eos = false;
  String line;
  Pos = std::max(Pos, 1);
  char16_t previous = 0;
  for (;;) {
    if (static_cast<std::size_t>(Pos) > Text.size()) {
      Eos = true;
      break;
    }
    const char16_t ch = Text[static_cast<std::size_t>(Pos) - 1];
    ++Pos;
    if (ch >= 32) {
      line.push_back(ch);
    } else if (EndsLine(ch, previous, Mode)) {
      break;
    }
    previous = ch;
  }
  return line;
}

String ProcessHexChars(StringView Text) {
  String out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == u'\\' && i + 1 < Text.size()) {
      if (Text[i + 1] == u'#' && i + 3 < Text.size()) {
        out.push_back(HexCode(Text.substr(i + 2, 2)));
        i += 3;
        continue;
      }
      if (Text[i + 1] == u'\\') {
        out.push_back(u'\\');
        ++i;
        continue;
      }
    }
    out.push_back(Text[i]);
  }
  return out;
}

std::int32_t FindFirstNonBlank(StringView Text) {
  const std::size_t p = Text.find_first_not_of(u' ');
  return p == StringView::npos ? 0 : detail::ToPosition(p);
}

std::int32_t FindFirstDigit(StringView Text) {
  const auto it = std::find_if(Text.begin(), Text.end(), [](char16_t c) { return IsDigit(c); });
  return it == Text.end() ? 0 : detail::ToPosition(static_cast<std::size_t>(it - Text.begin()));
}

void ParseQuotedName(char16_t Ch, char16_t Quote, String& Name, TQuotedStrState& State) {
  switch (State) {
    case vsStart:
      if (Ch == Quote) {
        State = vs1stQuote;
      } else if (Ch > u' ') {
        Name.push_back(Ch);
        State = vsNormal;
      }
      break;
    case vs1stQuote:
      if (Ch == Quote) {
        State = vsQuote;
      } else {
        Name.push_back(Ch);
      }
      break;
    case vsQuote:
      if (Ch == Quote) {
        Name.push_back(Quote);
        State = vs1stQuote;
      } else {
        State = vsEnd;
      }
      break;
    case vsNormal:
      if (Ch <= u' ') {
        State = vsEnd;
      } else {
        Name.push_back(Ch);
      }
      break;
    default:
      break;
  }
}

String ExtractParam(StringView Text, std::int32_t Index, char16_t Delimiter, char16_t Quote,
                    StringView Default) {
  if (Index < 1) return String(Default);
  std::int32_t current = 1;
  String param;
  bool quoted = false;   // inside quotes
  std::size_t kept = 0;  // length of param that trimming must keep (quoted text)
  auto finish = [&] {
    const std::size_t end = std::max(kept, param.find_last_not_of(u' ') + 1);
    param.resize(std::min(end, param.size()));
  };
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char16_t ch = Text[i];
    if (quoted) {
      if (ch != Quote) {
        param.push_back(ch);
      } else if (i + 1 < Text.size() && Text[i + 1] == Quote) {
        param.push_back(Quote);
        ++i;
      } else {
        quoted = false;
        kept = param.size();
      }
    } else if (ch == Delimiter) {
      if (current == Index) break;
      ++current;
      param.clear();
      kept = 0;
    } else if (ch == Quote) {
      quoted = true;
    } else if (ch != u' ' || param.size() > kept || !param.empty()) {
      param.push_back(ch);
    }
  }
  if (current < Index) return String(Default);
  finish();
  return param;
}

void TextLineCoords(StringView Text, std::int32_t Pos, std::int32_t& Line, std::int32_t& Column) {
  Line = Column = 0;
  if (Pos < 1 || static_cast<std::size_t>(Pos) > Text.size() + 1) return;
  std::int32_t line = 1;
  std::size_t lineStart = 0;
  const auto target = static_cast<std::size_t>(Pos) - 1;
  for (std::size_t i = 0; i < target; ++i) {
    const char16_t ch = Text[i];
    const bool crlf = ch == u'\r' && i + 1 < Text.size() && Text[i + 1] == u'\n';
    if ((ch == u'\n' || ch == u'\r') && !(crlf && i + 1 == target)) {
      if (crlf) ++i;
      ++line;
      lineStart = i + 1;
    }
  }
  Line = line;
  Column = static_cast<std::int32_t>(target - lineStart + 1);
}

}  // namespace kez
