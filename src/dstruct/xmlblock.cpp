// The shared parts of the XML-like block formats.
#include "xmlblock.hpp"

#include <type_traits>

#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"
#include "kez/stringl.hpp"
#include "streams/bytereader.hpp"
#include "streams/tagscan.hpp"

namespace kez::detail {
namespace {

constexpr char16_t kHex[] = u"0123456789ABCDEF";

bool IsPlain(char32_t c) {
  return c >= 32 && c <= 126 && c != U'"' && c != U'%' && c != U'<' && c != U'>' && c != U'&';
}

template <class Char>
String Escape(std::basic_string_view<Char> text) {
  String out;
  out.reserve(text.size());
  for (Char ch : text) {
    const char32_t c =
        sizeof(Char) == 1 ? static_cast<unsigned char>(ch) : static_cast<char32_t>(ch);
    if (IsPlain(c)) {
      out.push_back(static_cast<char16_t>(c));
    } else if (c < 256) {
      out += {u'%', kHex[c >> 4], kHex[c & 15]};
    } else {
      out += {u'%',        u'u', kHex[(c >> 12) & 15], kHex[(c >> 8) & 15], kHex[(c >> 4) & 15],
              kHex[c & 15]};
    }
  }
  return out;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

bool HexRun(StringView text, std::size_t pos, std::size_t count, char16_t& value) {
  if (pos > text.size() || count > text.size() - pos) return false;
  unsigned v = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int d = HexDigit(text[pos + i]);
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  value = static_cast<char16_t>(v);
  return true;
}

// Walks an escaped text: Plain(ch) for each character that is not an escape, Escaped(code,
// wide) for each "%XX" (wide false) or "%uXXXX" (wide true). False for a broken escape or
// when a callback says so.
template <class PlainFn, class EscapedFn>
bool Unescape(StringView Text, PlainFn&& Plain, EscapedFn&& Escaped) {
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != u'%') {
      if (!Plain(Text[i])) return false;
      continue;
    }
    char16_t code = 0;
    const bool wide = i + 1 < Text.size() && Text[i + 1] == u'u';
    if (!HexRun(Text, i + (wide ? 2 : 1), wide ? 4 : 2, code)) return false;
    i += wide ? 5 : 2;
    if (!Escaped(code, wide)) return false;
  }
  return true;
}

// Line ends and tabs outside double quotes become blanks, so that a tag split over lines
// reads as if written on one.
String BlanksForBreaks(String Text) {
  bool quoted = false;
  for (char16_t& ch : Text) {
    if (ch == u'"') quoted = !quoted;
    if (!quoted && (ch == u'\r' || ch == u'\n' || ch == u'\t')) ch = u' ';
  }
  return Text;
}

// A byte source delivering its bytes through the Windows-1252 code page.
template <class Bytes>
struct CodePageChars {
  Bytes& In;
  bool Next(char16_t& Ch) {
    if (!In.Next(Ch)) return false;
    Ch = AnsiCharToChar(static_cast<unsigned char>(Ch));
    return true;
  }
};

// The block's tags up to its end tag.
template <class Source>
bool ReadItems(Source& Src, std::span<const String> Words, const BlockItemHandler& Item) {
  const auto endTag = static_cast<std::int32_t>(Words.size()) - 2;
  const auto marker = endTag + 1;
  for (;;) {
    const String text = ReadTagText(Src);
    if (text.empty()) return false;  // the input ended before the end tag
    const TParsedTag tag = ParseTagText(BlanksForBreaks(text));
    const std::int32_t ix = LookupTag(tag.Name, Words);
    if (ix == endTag) return true;
    if (text.back() != u'>') return false;  // an item cut short by the end of the input
    if (ix != marker && !Item(ix, tag.Attributes)) return false;
  }
}

template <class Source>
bool ReadBlock(Source& Src, StringView Element, StringView DataID, std::span<const String> Words,
               const BlockItemHandler& Item, String& FoundID) {
  const String element = LowerCase(Element);
  const String wanted = LowerCase(DataID);
  for (;;) {
    const String text = ReadTagText(Src);
    if (text.empty()) return false;
    const TParsedTag tag = ParseTagText(BlanksForBreaks(text));
    if (tag.Name != element) continue;
    String id;
    if (!XmlUnescape(ScanForXMLAttrib(tag.Attributes, u"id"), id) || LowerCase(id) != wanted)
      continue;
    FoundID = std::move(id);
    // A self-closing start tag is a block without items.
    return tag.SelfClosing || ReadItems(Src, Words, Item);
  }
}

}  // namespace

String XmlEscape(std::string_view Bytes) { return Escape(Bytes); }
String XmlEscape(StringView Text) { return Escape(Text); }

bool XmlUnescape(StringView Text, String& Out) {
  Out.clear();
  Out.reserve(Text.size());
  return Unescape(
      Text, [&](char16_t ch) { return Out.push_back(ch), true; },
      [&](char16_t code, bool) { return Out.push_back(code), true; });
}

bool XmlUnescapeBytes(StringView Text, std::string& Out) {
  Out.clear();
  Out.reserve(Text.size());
  auto byteOf = [&](char16_t ch) {
    unsigned char b = 0;
    if (!CharToAnsiCharExact(ch, b)) return false;
    Out.push_back(static_cast<char>(b));
    return true;
  };
  return Unescape(Text, byteOf, [&](char16_t code, bool wide) {
    if (wide) return byteOf(code);
    Out.push_back(static_cast<char>(static_cast<unsigned char>(code)));
    return true;
  });
}

String BlockStartLine(StringView Element, StringView DataID) {
  return u"<" + String(Element) + u" sig=\"kez\" vers=\"1.0\" id=\"" + XmlEscape(DataID) + u"\">";
}

String BlockEndLine(StringView Element) { return u"</" + String(Element) + u">"; }

bool ReadBlockFromTextFile(TextFile& File, StringView Element, StringView DataID,
                           std::span<const String> Words, const BlockItemHandler& Item,
                           String& FoundID) {
  TextFileChars source{File};
  return ReadBlock(source, Element, DataID, Words, Item, FoundID);
}

bool ReadBlockFromStream(TStream& Stream, StringView Element, StringView DataID,
                         std::span<const String> Words, const BlockItemHandler& Item,
                         String& FoundID) {
  return WithByteReader(Stream, [&](auto& reader) {
    CodePageChars<std::remove_reference_t<decltype(reader)>> source{reader};
    return ReadBlock(source, Element, DataID, Words, Item, FoundID);
  });
}

bool AttrInt(StringView Attributes, StringView Name, std::int64_t Min, std::int64_t Max,
             std::int64_t& Value) {
  const String text = ScanForXMLAttrib(Attributes, Name);
  std::int64_t v = 0;
  if (text.empty() || !TryStrToInt64(text, v) || v < Min || v > Max) return false;
  Value = v;
  return true;
}

}  // namespace kez::detail
