// The bytes of an HTML page in the encoding its head declares, and the text of such bytes.
#include <algorithm>
#include <string>

#include "htmlsupport/internal.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/textfile.hpp"

namespace kez::detail {
namespace {

constexpr char16_t LowerAscii(char16_t Ch) {
  return Ch >= u'A' && Ch <= u'Z' ? static_cast<char16_t>(Ch + 32) : Ch;
}

// Text holds Word (lower-case ASCII) at At, ignoring ASCII case.
bool HasWordAt(StringView Text, std::size_t At, StringView Word) {
  if (At > Text.size() || Text.size() - At < Word.size()) return false;
  for (std::size_t i = 0; i < Word.size(); ++i)
    if (LowerAscii(Text[At + i]) != Word[i]) return false;
  return true;
}

// Text opens the tag Name at At: "<name" followed by a blank, "/", ">" or the end of the
// text (Name lower-case, "/name" for an end tag; letter case ignored).
bool OpensTag(StringView Text, std::size_t At, StringView Name) {
  if (At >= Text.size() || Text[At] != u'<' || !HasWordAt(Text, At + 1, Name)) return false;
  const std::size_t after = At + 1 + Name.size();
  if (after == Text.size()) return true;
  const char16_t c = Text[after];
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'/' ||
         c == u'>';
}

// The first position at or after From where the tag Name opens; npos when none.
std::size_t FindTag(StringView Text, std::size_t From, StringView Name) {
  for (std::size_t p = Text.find(u'<', From); p != StringView::npos; p = Text.find(u'<', p + 1))
    if (OpensTag(Text, p, Name)) return p;
  return StringView::npos;
}

// The value of the first "charset" in a meta tag's text, lower-cased; empty when none.
String CharsetOf(StringView Tag) {
  for (std::size_t p = 0; p + 7 <= Tag.size(); ++p) {
    if (!HasWordAt(Tag, p, u"charset")) continue;
    std::size_t i = p + 7;
    while (i < Tag.size() && Tag[i] == u' ') ++i;
    if (i == Tag.size() || Tag[i] != u'=') continue;
    ++i;
    while (i < Tag.size() && (Tag[i] == u' ' || Tag[i] == u'"' || Tag[i] == u'\'')) ++i;
    String value;
    for (; i < Tag.size(); ++i) {
      const char16_t c = LowerAscii(Tag[i]);
      if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_')) break;
      value += c;
    }
    return value;
  }
  return {};
}

// Raises write error 101 for the character Ch, which the page cannot hold: Where says why.
[[noreturn]] void RaiseUnwritable(char16_t Ch, const char16_t* Where) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  String code = u"U+";
  for (int shift = 12; shift >= 0; shift -= 4) code.push_back(kHex[(Ch >> shift) & 0xF]);
  throw EInOutError(IOErrorText(101) + u": the character " + code + u" cannot be stored " + Where,
                    101);
}

constexpr bool IsHighSurrogate(char16_t Ch) { return Ch >= 0xD800 && Ch <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t Ch) { return Ch >= 0xDC00 && Ch <= 0xDFFF; }

// Whether Text[I] is a surrogate without its partner.
bool UnpairedAt(StringView Text, std::size_t I) {
  const char16_t ch = Text[I];
  if (IsHighSurrogate(ch)) return I + 1 == Text.size() || !IsLowSurrogate(Text[I + 1]);
  return IsLowSurrogate(ch) && (I == 0 || !IsHighSurrogate(Text[I - 1]));
}

// The elements whose text a browser takes as it stands, reading no references in it.
// "plaintext" has no end: everything after its start tag is its text.
constexpr StringView kRawTextElements[] = {u"script",  u"style",    u"xmp",      u"iframe",
                                           u"noembed", u"noframes", u"plaintext"};

}  // namespace

bool DeclaresUtf8(StringView Text) {
  const StringView head =
      Text.substr(0, std::min(FindTag(Text, 0, u"/head"), FindTag(Text, 0, u"body")));
  for (std::size_t p = FindTag(head, 0, u"meta"); p != StringView::npos;
       p = FindTag(head, p + 1, u"meta")) {
    const String charset = CharsetOf(head.substr(p, head.find(u'>', p) - p));
    if (!charset.empty()) return charset == u"utf-8" || charset == u"utf8";
  }
  return false;
}

AnsiString HTMLPageBytes(StringView Text) {
  if (DeclaresUtf8(Text)) {
    // Bytes read as U+DC80-U+DCFF go back as they were; any other lone surrogate has no
    // UTF-8 form.
    for (std::size_t i = 0; i < Text.size(); ++i) {
      if (UnpairedAt(Text, i) && !(Text[i] >= 0xDC80 && Text[i] <= 0xDCFF))
        RaiseUnwritable(Text[i], u"in UTF-8 (an unpaired surrogate)");
    }
    return StringToNative(Text);
  }
  AnsiString out;
  out.reserve(Text.size());
  // The characters from rawStart to rawEnd lie in a comment or an element whose text is
  // raw (a script or style element above all), where a browser reads no references.
  std::size_t rawStart = 0;
  std::size_t rawEnd = 0;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char16_t ch = Text[i];
    if (ch == u'<' && i >= rawEnd) {
      if (HasWordAt(Text, i + 1, u"!--")) {
        rawStart = i;
        const std::size_t close = Text.find(u"-->", i + 4);
        rawEnd = close == StringView::npos ? Text.size() : close + 3;
      } else {
        for (const StringView name : kRawTextElements) {
          if (!OpensTag(Text, i, name)) continue;
          const std::size_t open = Text.find(u'>', i);
          rawStart = open == StringView::npos ? Text.size() : open + 1;
          const String endTag = u"/" + String(name);
          const std::size_t close =
              name == u"plaintext" ? StringView::npos : FindTag(Text, rawStart, endTag);
          rawEnd = close == StringView::npos ? Text.size() : close;
          break;
        }
      }
    }
    unsigned char byte = 0;
    if (CharToAnsiCharExact(ch, byte)) {
      out += static_cast<char>(byte);
      continue;
    }
    if (ch >= 0x80 && ch <= 0x9F) {  // a C1 code, as a byte read one per character gives it
      out += static_cast<char>(ch);
      continue;
    }
    if (UnpairedAt(Text, i)) RaiseUnwritable(ch, u"in a page (an unpaired surrogate)");
    if (i >= rawStart && i < rawEnd) {
      RaiseUnwritable(ch,
                      u"in a Windows-1252 page inside a script, a style, another element "
                      u"of raw text or a comment; declare the page UTF-8");
    }
    char32_t code = ch;
    if (IsHighSurrogate(ch)) {
      code = 0x10000 + ((static_cast<char32_t>(ch) - 0xD800) << 10) + (Text[i + 1] - 0xDC00);
      ++i;
    }
    out += "&#" + std::to_string(static_cast<std::uint32_t>(code)) + ";";
  }
  return out;
}

String HTMLPageText(String Text) {
  if (!DeclaresUtf8(Text)) return Text;
  std::string bytes;
  bytes.reserve(Text.size());
  for (const char16_t ch : Text) {
    unsigned char byte = 0;
    if (!CharToAnsiCharExact(ch, byte)) byte = static_cast<unsigned char>(ch);  // codes up to 255
    bytes += static_cast<char>(byte);
  }
  return NativeToString(bytes);
}

}  // namespace kez::detail
