// The tag readers on streams and text files, and the grammar's non-template parts.
#include "kez/streams/tags.hpp"

#include <algorithm>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"
#include "streams/bytereader.hpp"
#include "streams/tagscan.hpp"

namespace kez {

namespace detail {

TParsedTag ParseTagText(StringView TagText) {
  TParsedTag tag;
  StringView body = TagText;
  // "/>" can only stand at the end, as the text ends at its first ">".
  if (body.ends_with(u"/>")) {
    tag.SelfClosing = true;
    body.remove_suffix(2);
  } else if (body.ends_with(u'>')) {
    body.remove_suffix(1);
  }
  const std::size_t blank = body.find(u' ');
  if (blank != StringView::npos) {
    tag.Attributes = StripLTBlanks(body.substr(blank + 1));
    body = body.substr(0, blank);
  }
  tag.Name = LowerCase(body);
  return tag;
}

std::int32_t LookupTag(StringView Name, std::span<const String> TagList) {
  if (TagList.empty()) return -1;
  const auto it = std::find(TagList.begin(), TagList.end() - 1, Name);
  return static_cast<std::int32_t>(it - TagList.begin());
}

bool EndsWithEndTag(StringView Text, StringView EndTag) {
  if (Text.size() < EndTag.size()) return false;
  const StringView tail = Text.substr(Text.size() - EndTag.size());
  return std::equal(tail.begin(), tail.end(), EndTag.begin(),
                    [](char16_t a, char16_t b) { return LoCaseASCII(a) == b; });
}

}  // namespace detail

std::int32_t ReadNextTagInStream(TStream& Stream, std::span<const String> TagList,
                                 String& Attributes, String& Contents) {
  return detail::WithByteReader(Stream, [&](auto& reader) {
    return detail::ReadNextTag(reader, TagList, Attributes, Contents);
  });
}

std::int32_t ReadNextTagInTextFile(TextFile& F, std::span<const String> TagList, String& Attributes,
                                   String& Contents) {
  detail::TextFileChars source{F};
  return detail::ReadNextTag(source, TagList, Attributes, Contents);
}

bool ScanStreamForXMLTag(TStream& Stream, StringView TagName, String& Attributes,
                         String& Contents) {
  Attributes.clear();
  Contents.clear();
  const String wanted = LowerCase(TagName);
  if (wanted.empty()) return false;
  return detail::WithByteReader(Stream, [&](auto& reader) {
    for (;;) {
      const String text = detail::ReadTagText(reader);
      if (text.empty()) return false;
      detail::TParsedTag tag = detail::ParseTagText(text);
      if (tag.Name != wanted) continue;
      Attributes = std::move(tag.Attributes);
      if (tag.HasContents()) Contents = detail::ReadContents(reader, tag.Name);
      return true;
    }
  });
}

String ReadStreamUntilTagList(TStream& Stream, std::span<const String> TagList,
                              std::int32_t& TagIndex) {
  TagIndex = -1;
  const std::int64_t start = Stream.Position();
  String raw;
  std::size_t tagStart = 0;
  detail::WithByteReader(Stream, [&](auto& reader) {
    for (;;) {
      const String text = detail::ReadTagText(reader, &raw, &tagStart);
      if (text.empty()) return;
      const String name = detail::ParseTagText(text).Name;
      const auto it = std::find(TagList.begin(), TagList.end(), name);
      if (it != TagList.end()) {
        TagIndex = static_cast<std::int32_t>(it - TagList.begin());
        return;
      }
    }
  });
  if (TagIndex >= 0) {
    raw.resize(tagStart);
    Stream.SetPosition(start + static_cast<std::int64_t>(tagStart));
  }
  return raw;
}

}  // namespace kez
