// Characters to HTML references and back.
#include <string>
#include <unordered_map>

#include "htmlsupport/internal.hpp"
#include "kez/htmlsupport.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {
namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;

// The name of one of the characters that HTML text must escape, or an empty view.
constexpr StringView MarkupEntity(char16_t Ch) {
  switch (Ch) {
    case u'&':
      return u"&amp;";
    case u'<':
      return u"&lt;";
    case u'>':
      return u"&gt;";
    case u'"':
      return u"&quot;";
    default:
      return {};
  }
}

const std::unordered_map<StringView, char16_t>& NamedReferences() {
  static const std::unordered_map<StringView, char16_t> names = [] {
    std::unordered_map<StringView, char16_t> m;
    for (long code = HTMLEntityNames.kFirst; code <= HTMLEntityNames.kLast; ++code)
      m.emplace(HTMLEntityNames[code], static_cast<char16_t>(code));
    for (const char16_t ch : {u'&', u'<', u'>', u'"'}) m.emplace(MarkupEntity(ch), ch);
    m.emplace(u"&apos;", u'\'');
    return m;
  }();
  return names;
}

// Appends the reference of Ch, or Ch itself when it has no name.
void AppendHTMLChar(String& Out, char16_t Ch) {
  if (Ch >= 160 && Ch <= 255) {
    Out += HTMLEntityNames[Ch];
  } else if (const StringView markup = MarkupEntity(Ch); !markup.empty()) {
    Out += markup;
  } else {
    Out += Ch;
  }
}

void AppendCodePoint(String& Out, char32_t Code) {
  if (Code <= 0xFFFF) {
    Out += static_cast<char16_t>(Code);
  } else {
    Code -= 0x10000;
    Out += static_cast<char16_t>(0xD800 + (Code >> 10));
    Out += static_cast<char16_t>(0xDC00 + (Code & 0x3FF));
  }
}

// The characters that may follow "&" or "&#" inside a reference.
bool IsReferenceChar(char16_t Ch) { return IsDigitLetter(Ch); }

}  // namespace

namespace detail {

bool ParseHTMLReference(StringView Ref, char32_t& Code) {
  if (Ref.size() < 3 || Ref.front() != u'&' || Ref.back() != u';') return false;
  if (Ref[1] != u'#') {
    const auto& names = NamedReferences();
    const auto it = names.find(Ref);
    if (it == names.end()) return false;
    Code = it->second;
    return true;
  }
  StringView digits = Ref.substr(2, Ref.size() - 3);
  const bool hex = !digits.empty() && (digits.front() == u'x' || digits.front() == u'X');
  if (hex) digits.remove_prefix(1);
  if (digits.empty()) return false;
  char32_t value = 0;
  for (const char16_t ch : digits) {
    if (hex ? !IsHexChar(ch) : !IsDigit(ch)) return false;
    const char32_t digit = HexDigitValue(ch);
    // Saturate above the last code point, so any number of leading digits is safe.
    if (value <= kMaxCodePoint) value = value * (hex ? 16 : 10) + digit;
  }
  if (value == 0 || value > kMaxCodePoint || (value >= 0xD800 && value <= 0xDFFF)) return false;
  Code = value >= 128 && value <= 159 ? AnsiCharToChar(static_cast<unsigned char>(value)) : value;
  return true;
}

}  // namespace detail

String AnsiToHTMLEntity(char16_t Ch) {
  String out;
  AppendHTMLChar(out, Ch);
  return out;
}

char16_t HTMLEntityToAnsi(StringView Entity) {
  char32_t code = 0;
  if (!detail::ParseHTMLReference(Entity, code) || code > 0xFFFF) return u'?';
  return static_cast<char16_t>(code);
}

String MakeStringHTMLCompatible(StringView S) {
  String out;
  out.reserve(S.size());
  for (const char16_t ch : S) AppendHTMLChar(out, ch);
  return out;
}

String ResolveHTMLEntities(StringView S) {
  String out;
  out.reserve(S.size());
  std::size_t pos = 0;
  while (pos < S.size()) {
    const std::size_t amp = S.find(u'&', pos);
    if (amp == StringView::npos) {
      out.append(S.substr(pos));
      break;
    }
    out.append(S.substr(pos, amp - pos));
    // The scan stops at the first character that cannot be part of a reference, so every
    // character is looked at a bounded number of times however many "&" the text holds.
    std::size_t end = amp + 1;
    if (end < S.size() && S[end] == u'#') ++end;
    while (end < S.size() && IsReferenceChar(S[end])) ++end;
    char32_t code = 0;
    if (end < S.size() && S[end] == u';' &&
        detail::ParseHTMLReference(S.substr(amp, end - amp + 1), code)) {
      AppendCodePoint(out, code);
      pos = end + 1;
    } else {
      out += u'&';
      pos = amp + 1;
    }
  }
  return out;
}

}  // namespace kez
