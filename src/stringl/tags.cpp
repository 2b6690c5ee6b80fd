// Tag scanning in strings, through the grammar of the stream readers.
#include "kez/stringl/tags.hpp"

#include <algorithm>

#include "streams/tagscan.hpp"

namespace kez {

namespace {

// The 0-based index where a 1-based position starts reading.
std::size_t StartIndex(StringView Text, std::int32_t Position) {
  return Position < 1 ? 0 : std::min(static_cast<std::size_t>(Position) - 1, Text.size());
}

}  // namespace

std::int32_t ReadNextTagInString(StringView Text, std::int32_t& Position,
                                 std::span<const String> TagList, String& Attributes,
                                 String& Contents) {
  detail::StringChars source{Text, StartIndex(Text, Position)};
  const std::int32_t index = detail::ReadNextTag(source, TagList, Attributes, Contents);
  Position = static_cast<std::int32_t>(source.Pos) + 1;
  return index;
}

std::int32_t DetectNextTagInString(StringView Text, std::int32_t& StartPos, std::int32_t& EndPos,
                                   std::span<const String> TagList, String& Attributes,
                                   bool& IsEndTag) {
  detail::StringChars source{Text, StartIndex(Text, StartPos)};
  const String text = detail::ReadTagText(source);
  detail::TParsedTag tag = detail::ParseTagText(text);
  Attributes = std::move(tag.Attributes);
  IsEndTag = tag.IsEnd();
  if (text.empty()) {
    StartPos = EndPos = 0;
  } else {
    EndPos = static_cast<std::int32_t>(source.Pos);
    StartPos = EndPos - static_cast<std::int32_t>(text.size());
  }
  if (IsEndTag) tag.Name.erase(0, 1);
  return detail::LookupTag(tag.Name, TagList);
}

}  // namespace kez
