// Stripping, padding, replacing, removing and case changes.
#include <algorithm>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "stringl/chars_internal.hpp"

namespace kez {
namespace {

// The widths of the padding functions are taken in 0..255, the length of a short string.
std::size_t ClampWidth(int Width) { return static_cast<std::size_t>(std::clamp(Width, 0, 255)); }

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

String StripLTBlanks(StringView Text) {
  const std::size_t first = Text.find_first_not_of(u' ');
  if (first == StringView::npos) return String();
  return String(Text.substr(first, Text.find_last_not_of(u' ') - first + 1));
}

String StripLeadingBlanks(StringView Text) {
  std::size_t i = 0;
  while (i + 1 < Text.size() && Text[i] == u' ') ++i;
  return String(Text.substr(i));
}

String StripTrailingBlanks(StringView Text) { return StripTrailingChars(u' ', Text); }

String StripLeadingChars(char16_t Ch, StringView Text) {
  const std::size_t first = Text.find_first_not_of(Ch);
  return first == StringView::npos ? String() : String(Text.substr(first));
}

String StripTrailingChars(char16_t Ch, StringView Text) {
  std::size_t n = Text.size();
  while (n > 1 && Text[n - 1] == Ch) --n;
  return String(Text.substr(0, n));
}

String EnsureTrailingBkSlash(StringView Text) { return EnsureTrailingChar(u'\\', Text); }

String EnsureTrailingChar(char16_t Ch, StringView Text) {
  String r(Text);
  if (!r.empty() && r.back() != Ch) r.push_back(Ch);
  return r;
}

String EnsureLeadingChar(char16_t Ch, StringView Text) {
  if (Text.empty() || Text.front() == Ch) return String(Text);
  String r;
  r.reserve(Text.size() + 1);
  r.push_back(Ch);
  r.append(Text);
  return r;
}

String LeftString(StringView Text, int Width) {
  const std::size_t w = ClampWidth(Width);
  String r(Text.substr(0, w));
  r.resize(w, u' ');
  return r;
}

String RightString(StringView Text, int Width) {
  const std::size_t w = ClampWidth(Width);
  if (Text.size() >= w) return String(Text.substr(0, w));
  String r(w - Text.size(), u' ');
  r.append(Text);
  return r;
}

String CenterString(StringView Text, int Width) {
  const std::size_t w = ClampWidth(Width);
  if (Text.size() >= w) return String(Text.substr(0, w));
  String r((w - Text.size()) / 2, u' ');
  r.append(Text);
  r.resize(w, u' ');
  return r;
}

String AbbrevString(StringView Text, int MaxLength) {
  if (MaxLength < 0) MaxLength = 0;
  const std::size_t n = static_cast<std::size_t>(MaxLength);
  if (Text.size() <= n) return String(Text);
  if (n < 2) return String(n, u'.');
  String r(Text.substr(0, n - 2));
  r.append(u"..");
  return r;
}

String ReplaceCharInString(StringView Text, char16_t OldChar, char16_t NewChar) {
  String r(Text);
  std::replace(r.begin(), r.end(), OldChar, NewChar);
  return r;
}

String ReplaceStringInString(StringView Text, StringView OldStr, StringView NewStr,
                             bool IgnoreCase) {
  if (OldStr.empty()) return String(Text);
  // Case is ignored by searching folded copies (folding keeps every position) and copying
  // from the original text.
  const String foldedText = IgnoreCase ? LowerCase(Text) : String();
  const String foldedOld = IgnoreCase ? LowerCase(OldStr) : String();
  const StringView text = IgnoreCase ? StringView(foldedText) : Text;
  const detail::SubstringFinder finder(IgnoreCase ? StringView(foldedOld) : OldStr);
  String r;
  std::size_t from = 0;
  for (std::size_t at = finder.Find(text, 0); at != StringView::npos;
       at = finder.Find(text, from)) {
    if (r.empty()) r.reserve(Text.size());
    r.append(Text.substr(from, at - from));
    r.append(NewStr);
    from = at + OldStr.size();
  }
  r.append(Text.substr(from));
  return r;
}

String RemoveCharInString(StringView Text, char16_t Ch) {
  String r;
  r.reserve(Text.size());
  for (char16_t c : Text) {
    if (c != Ch) r.push_back(c);
  }
  return r;
}

String RemoveMultiChars(StringView Text, char16_t Ch) {
  String r;
  r.reserve(Text.size());
  for (char16_t c : Text) {
    if (c != Ch || r.empty() || r.back() != Ch) r.push_back(c);
  }
  return r;
}

String RemoveControlChars(StringView Text) {
  String r;
  r.reserve(Text.size());
  for (char16_t c : Text) {
    if (c >= 32) r.push_back(c);
  }
  return r;
}

String ReverseString(StringView Text) {
  String r(Text.rbegin(), Text.rend());
  // Reversing code units turns each surrogate pair round; put the pairs back in order.
  for (std::size_t i = 0; i + 1 < r.size(); ++i) {
    if (IsLowSurrogate(r[i]) && IsHighSurrogate(r[i + 1])) {
      std::swap(r[i], r[i + 1]);
      ++i;
    }
  }
  return r;
}

String ChangeCase(StringView Text) {
  String r(Text);
  for (char16_t& c : r) {
    const char16_t up = AnsiUpCaseChar(c);
    c = up == c ? AnsiLoCaseChar(c) : up;
  }
  return r;
}

String CapitalizeString(StringView Text) {
  String r(Text);
  bool wordStart = true;
  for (char16_t& c : r) {
    if (c < 128 && !IsDigitLetter(c)) {
      wordStart = true;
    } else if (wordStart) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
      wordStart = false;
    }
  }
  return r;
}

String ExpandDiphthongs(StringView Text) {
  String r;
  r.reserve(Text.size() + Text.size() / 4);
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    switch (c) {
      case u'\u00E4':
        r.append(u"ae");
        break;
      case u'\u00F6':
        r.append(u"oe");
        break;
      case u'\u00FC':
        r.append(u"ue");
        break;
      case u'\u00DF':
        r.append(u"ss");
        break;
      case u'\u00B5':
        r.push_back(u'u');
        break;
      case u'\u00C4':
      case u'\u00D6':
      case u'\u00DC': {
        r.push_back(c == u'\u00C4' ? u'A' : c == u'\u00D6' ? u'O' : u'U');
        const bool lowerNext = i + 1 < Text.size() && Text[i + 1] >= u'a' && Text[i + 1] <= u'z';
        r.push_back(lowerNext ? u'e' : u'E');
        break;
      }
      default:
        r.push_back(c);
    }
  }
  return r;
}

String ReduceStringToAZ09(StringView Text) {
  String r(Text);
  for (char16_t& c : r) {
    if (!IsDigitLetter(c)) c = u'_';
  }
  return r;
}

String ReduceStringToFN83CompliantChars(StringView Text) {
  auto allowed = [](char16_t c) {
    if (IsDigitLetter(c)) return true;
    if (c >= 35 && c <= 41) return true;  // # $ % & ' ( )
    switch (c) {
      case u'!':
      case u'-':
      case u'.':
      case u'@':
      case u'^':
      case u'_':
      case u'`':
      case u'{':
      case u'}':
      case u'~':
        return true;
      default:
        return false;
    }
  };
  String r(Text);
  for (char16_t& c : r) {
    if (!allowed(c)) c = u'_';
  }
  return r;
}

}  // namespace kez
