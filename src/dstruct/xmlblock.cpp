// The shared parts of the XML-like block formats.
#include "xmlblock.hpp"

#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"
#include "kez/stringl.hpp"

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
  if (pos + count > text.size()) return false;
  unsigned v = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int d = HexDigit(text[pos + i]);
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  value = static_cast<char16_t>(v);
  return true;
}

// The attribute text of a start tag "<element ...>" in Line, or false when the line does
// not open Element.
bool StartTagAttributes(StringView Line, StringView Element, String& Attributes) {
  const String lower = LowerCase(Line);
  const String open = u"<" + LowerCase(Element) + u" ";
  const std::size_t p = lower.find(open);
  if (p == String::npos) return false;
  const std::size_t from = p + open.size();
  const std::size_t close = Line.find(u'>', from);
  if (close == StringView::npos) return false;
  Attributes = String(Line.substr(from, close - from));
  return true;
}

}  // namespace

String XmlEscape(std::string_view Bytes) { return Escape(Bytes); }
String XmlEscape(StringView Text) { return Escape(Text); }

bool XmlUnescape(StringView Text, String& Out) {
  Out.clear();
  Out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != u'%') {
      Out.push_back(Text[i]);
      continue;
    }
    char16_t c = 0;
    if (i + 1 < Text.size() && Text[i + 1] == u'u') {
      if (!HexRun(Text, i + 2, 4, c)) return false;
      i += 5;
    } else {
      if (!HexRun(Text, i + 1, 2, c)) return false;
      i += 2;
    }
    Out.push_back(c);
  }
  return true;
}

bool XmlUnescapeBytes(StringView Text, std::string& Out) {
  String codes;
  if (!XmlUnescape(Text, codes)) return false;
  Out.clear();
  Out.reserve(codes.size());
  for (char16_t c : codes) {
    if (c > 255) return false;
    Out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
  }
  return true;
}

String BlockStartLine(StringView Element, StringView DataID) {
  return u"<" + String(Element) + u" sig=\"kez\" vers=\"1.0\" id=\"" + XmlEscape(DataID) + u"\">";
}

String BlockEndLine(StringView Element) { return u"</" + String(Element) + u">"; }

bool StreamTagInput::AtEnd() { return FStream.Position() >= FStream.Size(); }

bool StreamTagInput::ReadLine(String& Line) {
  if (AtEnd()) return false;
  bool eos = false;
  Line = ReadLnStream(FStream, eos, 0);
  return true;
}

std::int32_t StreamTagInput::ReadTag(std::span<const String> Words, String& Attributes) {
  String contents;
  return ReadNextTagInStream(FStream, Words, Attributes, contents);
}

bool TextFileTagInput::AtEnd() { return FFile.Eof(); }

bool TextFileTagInput::ReadLine(String& Line) {
  if (AtEnd()) return false;
  FFile.ReadLn(Line);
  return true;
}

std::int32_t TextFileTagInput::ReadTag(std::span<const String> Words, String& Attributes) {
  String contents;
  return ReadNextTagInTextFile(FFile, Words, Attributes, contents);
}

bool FindBlock(TagInput& Input, StringView Element, StringView DataID, String& FoundID) {
  String line;
  String attributes;
  const String wanted = LowerCase(DataID);
  while (Input.ReadLine(line)) {
    if (!StartTagAttributes(line, Element, attributes)) continue;
    String id;
    if (!XmlUnescape(ScanForXMLAttrib(attributes, u"id"), id)) continue;
    if (wanted.empty() || LowerCase(id) == wanted) {
      FoundID = std::move(id);
      return true;
    }
  }
  return false;
}

bool ReadBlockItems(TagInput& Input, std::span<const String> Words,
                    const std::function<bool(std::int32_t Index, const String& Attributes)>& Item) {
  const auto endTag = static_cast<std::int32_t>(Words.size()) - 2;
  const auto marker = endTag + 1;
  String attributes;
  while (!Input.AtEnd()) {
    const std::int32_t ix = Input.ReadTag(Words, attributes);
    if (ix == endTag) return true;
    // An item that ends the input was cut short, or the end tag is missing.
    if (Input.AtEnd()) return false;
    if (ix != marker && !Item(ix, attributes)) return false;
  }
  return false;
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
