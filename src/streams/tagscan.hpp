// The tag grammar, written once for every character source: byte streams, text files and
// strings. A source is any type with `bool Next(char16_t& Ch)` that delivers the next
// character or answers false at the end of the input.
#pragma once

#include <cstdint>
#include <span>

#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"

namespace kez::detail {

// A text file as a character source.
struct TextFileChars {
  TextFile& File;
  bool Next(char16_t& Ch) {
    if (File.Eof()) return false;
    Ch = File.ReadChar();
    return true;
  }
};

// A text read from a 0-based index on.
struct StringChars {
  StringView Text;
  std::size_t Pos;
  bool Next(char16_t& Ch) {
    if (Pos >= Text.size()) return false;
    Ch = Text[Pos++];
    return true;
  }
};

// The parts of a tag text.
struct TParsedTag {
  String Name;  // lower-cased (ASCII letters)
  String Attributes;
  bool SelfClosing = false;
  bool IsEnd() const { return !Name.empty() && Name[0] == u'/'; }
  // An opening tag is followed by contents up to its end tag.
  bool HasContents() const { return !Name.empty() && !SelfClosing && !IsEnd(); }
};

// ParseTagText
// Splits a tag text (the characters after "<", up to and including ">" when there is one)
// into name, attribute text and the self-closing mark.
TParsedTag ParseTagText(StringView TagText);

// LookupTag
// The index of the first entry equal to Name; the last index when none is; -1 for an
// empty list.
std::int32_t LookupTag(StringView Name, std::span<const String> TagList);

// EndsWithEndTag
// True when Text ends with EndTag ("</name>", lower case), ASCII case ignored in Text.
bool EndsWithEndTag(StringView Text, StringView EndTag);

// ReadTagText
// Skips to the next "<" and returns the tag text behind it, passing over comments and
// declarations (tag texts starting with "!"). Empty at the end of the input. When Raw is
// given, every character consumed is appended to it and TagStart receives the offset in
// Raw of the returned tag's "<" (Raw's length when there is none).
template <class Source>
String ReadTagText(Source& Src, String* Raw = nullptr, std::size_t* TagStart = nullptr) {
  for (;;) {
    String tag;
    char16_t ch;
    bool opened = false;
    while (Src.Next(ch)) {
      if (Raw) Raw->push_back(ch);
      if (ch == u'<') {
        opened = true;
        break;
      }
    }
    if (TagStart) *TagStart = Raw->size() - (opened ? 1 : 0);
    if (!opened) return tag;
    while (Src.Next(ch)) {
      if (Raw) Raw->push_back(ch);
      tag.push_back(ch);
      if (ch == u'>') break;
    }
    if (tag.empty() || tag[0] != u'!') return tag;
  }
}

// ReadContents
// Reads up to and including the end tag "</" + Name + ">" and returns the text before it;
// the rest of the input when the end tag never comes. Only the tail that ends at each
// ">" is compared, so the cost stays linear in the contents.
template <class Source>
String ReadContents(Source& Src, StringView Name) {
  String endTag = u"</";
  endTag.append(Name);
  endTag.push_back(u'>');
  String contents;
  char16_t ch;
  while (Src.Next(ch)) {
    contents.push_back(ch);
    if (ch == u'>' && EndsWithEndTag(contents, endTag)) {
      contents.resize(contents.size() - endTag.size());
      break;
    }
  }
  return contents;
}

// ReadNextTag
// The whole tag reader: the next tag, its attributes and, for an opening tag, contents.
template <class Source>
std::int32_t ReadNextTag(Source& Src, std::span<const String> TagList, String& Attributes,
                         String& Contents) {
  Attributes.clear();
  Contents.clear();
  TParsedTag tag = ParseTagText(ReadTagText(Src));
  Attributes = std::move(tag.Attributes);
  if (tag.HasContents()) Contents = ReadContents(Src, tag.Name);
  return LookupTag(tag.Name, TagList);
}

}  // namespace kez::detail
