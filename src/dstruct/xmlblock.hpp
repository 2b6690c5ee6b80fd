// What the XML-like block formats of TStringArray and TAssocArray share: the escaping of
// attribute values, the block's start and end tags, and the reader that finds a block by its
// identifier and hands its items over one by one.
//
// A block is written as
//   <element sig="kez" vers="1.0" id="identifier">      (one line of its own)
//     <item attr="value" .../>                          (one self-closing tag per item)
//   </element>
// and read with the tag scanner of kez/streams, so line breaks play no part: a block may
// stand on one line or have its tags split over lines.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "kez/platform/stream.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"

namespace kez::detail {

// XmlEscape
// Attribute values keep the printable ASCII characters 32..126 except the double quote,
// "%", "<", ">" and "&"; every other character is written as "%" and two upper-case hex
// digits (codes below 256) or "%u" and four (codes from 256). The result is plain ASCII
// that the tag and attribute scanners cannot misread. The byte form escapes each byte.
String XmlEscape(std::string_view Bytes);
String XmlEscape(StringView Text);

// XmlUnescape
// The inverse, for values read as characters (the input's bytes through the Windows-1252
// code page): characters that are not escapes are kept; false for a "%" that is not
// followed by a complete escape.
bool XmlUnescape(StringView Text, String& Out);
// XmlUnescapeBytes
// The same for single-byte texts: "%XX" gives the byte XX; other characters, "%uXXXX"
// included, give their Windows-1252 byte, and false when the code page has none.
bool XmlUnescapeBytes(StringView Text, std::string& Out);

// The header line written before the first block of a file when asked for.
inline constexpr char16_t kXmlHeader[] = u"<?xml version=\"1.0\"?>";

// BlockStartLine / BlockEndLine
// The lines that open and close a block of Element with the given identifier.
String BlockStartLine(StringView Element, StringView DataID);
String BlockEndLine(StringView Element);

// Receives each item of a block: its index in the word list and its attribute text; false
// rejects the block.
using BlockItemHandler = std::function<bool(std::int32_t Index, const String& Attributes)>;

// ReadBlockFromTextFile / ReadBlockFromStream
// Read tags (comments and declarations skipped, the contents of other elements not read)
// until a start tag of Element whose identifier (the unescaped "id" attribute, empty when
// there is none) equals DataID ignoring the case of A-Z; FoundID receives it as written.
// Then the block's tags up to its end tag go to Item, with Words as the tag list: its last
// two entries must be the end tag ("/element") and the list end marker, and tags not in the
// list are skipped. Inside a tag, line ends and tabs outside quoted values count as blanks.
// The result is true when the end tag was read (one cut short after its name still counts,
// as nothing of the block is lost); false when no block is found, the input ends inside
// the block (also inside an item), or Item returns false. The input is left behind the last
// tag read. A stream's bytes are read through the Windows-1252 code page, like a text
// file's. Errors of the input and of Item pass to the caller.
bool ReadBlockFromTextFile(TextFile& File, StringView Element, StringView DataID,
                           std::span<const String> Words, const BlockItemHandler& Item,
                           String& FoundID);
bool ReadBlockFromStream(TStream& Stream, StringView Element, StringView DataID,
                         std::span<const String> Words, const BlockItemHandler& Item,
                         String& FoundID);

// AttrInt
// The attribute Name of an item as an integer within Min ... Max; false when it is absent or
// not such a number.
bool AttrInt(StringView Attributes, StringView Name, std::int64_t Min, std::int64_t Max,
             std::int64_t& Value);

}  // namespace kez::detail
