/// @file
/// The scanner of XML-like tags and attributes. Included through kez/streams.hpp.
///
/// @code
///   const kez::String tags[] = {u"item", u"name", u""};
///   kez::String attrs, contents;
///   std::int32_t ix = kez::ReadNextTagInStream(stream, tags, attrs, contents);
///   kez::String id = kez::ScanForXMLAttrib(attrs, u"id");
/// @endcode
///
/// The grammar, shared by every reader here and by the string readers of kez/stringl:
///  - A tag is everything after a "<" up to and including the next ">" (or the end of the
///    input). Tags starting with "!" (comments, declarations) are skipped; a ">" inside a
///    comment ends it early. There is no entity decoding.
///  - A tag containing "/>" is self-closing; one starting with "/" is an end tag.
///  - The name is the text before the first blank (code 32; tabs and line ends are ordinary
///    characters), without the final ">" or "/>", lower-cased (ASCII letters only).
///  - The attribute text is what follows the first blank, without the final ">" or "/>",
///    with leading and trailing blanks removed.
///  - An opening tag (a non-empty name, neither self-closing nor an end tag) has contents:
///    the raw text after its ">" up to the first "</name>" (ASCII case ignored, no blanks
///    inside), or the rest of the input when that never comes. Nested elements are not
///    parsed; an element nested in one of the same name ends at the inner end tag.
///  - Tag lists hold lower-case names, indexed from 0; a tag's index is that of the first
///    entry equal to its name, and the last index when none is (so a match of the last entry
///    and no match look alike: end lists with a catch-all such as ""). An empty tag list has
///    no last index: the readers then return -1.
/// At the end of the input the name is empty: the result is the index of an empty entry if
/// the list has one, else the last index. Callers test the end through the stream's
/// position and size or the file's Eof.
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "kez/platform/export.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// ReadNextTagInStream
/// Reads the next tag from the stream's position and returns its index in TagList.
/// Attributes and Contents receive its attribute text and contents (empty when it has none).
/// The stream is left just behind the tag's ">", or behind the end tag after contents.
/// Malformed input never raises: a tag that never ends takes the rest of the input as its
/// text (an unterminated tag keeps all its characters), contents that never end take the
/// rest of the input.
std::int32_t ReadNextTagInStream(TStream& Stream, std::span<const String> TagList,
                                 String& Attributes, String& Contents);

/// ReadNextTagInTextFile
/// The same on a text file open for reading, with the characters the file delivers. Read
/// errors of the file pass to the caller in its error mode (raising or deferred).
std::int32_t ReadNextTagInTextFile(TextFile& F, std::span<const String> TagList, String& Attributes,
                                   String& Contents);

/// ScanForXMLAttrib
/// The value of the first attribute named Name (ASCII case ignored) in an attribute text
/// of pairs name=value: the name is everything before "=" (blanks trimmed), the value
/// either in double quotes (blanks and "=" allowed, no escapes; an unterminated quote runs
/// to the end of the text) or unquoted up to a blank or double quote. Blanks after "=" are
/// skipped; apostrophes are no quotes; a name without "=" at the end of the text has an
/// empty value. The result is empty when the attribute is missing, and also when a syntax
/// error (a double quote inside a name, "==", an "=" inside an unquoted value) comes before
/// it.
String ScanForXMLAttrib(StringView Attributes, StringView Name);

/// ListXMLAttribs
/// Every pair of an attribute text in order, as ScanForXMLAttrib reads them: the name with
/// its blanks trimmed and in its own letter case, and the value. The list ends before the
/// first syntax error. A name without "=" at the end of the text is a pair with an empty
/// value; a text of blanks only gives one pair with an empty name.
std::vector<std::pair<String, String>> ListXMLAttribs(StringView Attributes);

/// ScanStreamForXMLTag
/// Reads on from the stream's position to the next tag named TagName (ASCII case ignored)
/// and returns true with its attribute text and contents, as ReadNextTagInStream gives
/// them; the tags before it are passed over without reading their contents, so a tag
/// nested inside another is found. Returns false with both texts empty when the stream ends
/// first (it is then at its end), and for an empty TagName.
bool ScanStreamForXMLTag(TStream& Stream, StringView TagName, String& Attributes, String& Contents);

/// ReadStreamUntilTagList
/// Reads on from the stream's position up to the next tag whose name equals an entry of
/// TagList exactly (end tags match entries such as "/item"; there is no catch-all here) and
/// returns the raw text before it, other tags and comments included. TagIndex receives the
/// entry's index and the stream is left on the tag's "<", so that ReadNextTagInStream reads
/// it next. When the stream ends first, TagIndex is -1, the result holds the rest of the
/// stream and the stream is at its end.
String ReadStreamUntilTagList(TStream& Stream, std::span<const String> TagList,
                              std::int32_t& TagIndex);

KEZ_API_END
}  // namespace kez
