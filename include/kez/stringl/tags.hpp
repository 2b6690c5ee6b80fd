/// @file
/// Tag scanning in strings, with the tag grammar of the stream readers (kez/streams/tags.hpp):
/// comments skipped, names lower-cased and cut at the first blank, attribute texts trimmed,
/// contents up to the first matching end tag, the last index of the list when no entry
/// matches and -1 for an empty list. Included through kez/stringl.hpp.
///
/// @code
///   const kez::String tags[] = {u"a", u""};
///   kez::String attrs, contents;
///   std::int32_t pos = 1;
///   kez::ReadNextTagInString(u"<a x=1>hi</a>", pos, tags, attrs, contents);
///   // 0, attrs u"x=1", contents u"hi", pos 14
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <span>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// ReadNextTagInString
/// Reads the next tag of Text from the 1-based Position on, exactly as ReadNextTagInStream
/// reads a stream, and returns its index in TagList with its attribute text and contents.
/// Position is moved just behind what was read (behind the tag's ">", or behind the end tag
/// after contents): to Length(Text) + 1 at the end. A Position below 1 counts as 1; one
/// behind the text reads the end of the input (empty name, empty texts).
std::int32_t ReadNextTagInString(StringView Text, std::int32_t& Position,
                                 std::span<const String> TagList, String& Attributes,
                                 String& Contents);

/// DetectNextTagInString
/// Finds the next tag of Text from the 1-based StartPos on without reading contents, and
/// returns its index in TagList. StartPos receives the position of its "<" and EndPos that
/// of its final ">" (the end of the text for a tag that never ends), so the next search can
/// start at EndPos + 1. Attributes receives the attribute text. IsEndTag tells an end tag
/// apart: its name is looked up without the "/", so an element's opening and end tag give
/// the same index. Comments and declarations are passed over. When no tag follows, StartPos
/// and EndPos are 0, Attributes is empty, IsEndTag false and the result is the index of the
/// empty name (as at the end of a stream).
std::int32_t DetectNextTagInString(StringView Text, std::int32_t& StartPos, std::int32_t& EndPos,
                                   std::span<const String> TagList, String& Attributes,
                                   bool& IsEndTag);

KEZ_API_END
}  // namespace kez
