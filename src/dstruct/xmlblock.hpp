// What the XML-like block formats of TStringArray and TAssocArray share: the escaping of
// attribute values, the block's start line and how a block is found by its identifier, and
// the loop that reads a block's items up to its end tag.
//
// A block is written as
//   <element sig="kez" vers="1.0" id="identifier">      (one line of its own)
//     <item attr="value" .../>                          (one self-closing tag per item)
//   </element>
// and found again by reading the input line by line until a line that opens the element with
// the wanted identifier; the items are then read with the tag scanner.
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
// The inverse; false for a "%" that is not followed by a complete escape.
bool XmlUnescape(StringView Text, String& Out);
// XmlUnescapeBytes: the same for byte texts; false also for a character above 255.
bool XmlUnescapeBytes(StringView Text, std::string& Out);

// The header line written before the first block of a file when asked for.
inline constexpr char16_t kXmlHeader[] = u"<?xml version=\"1.0\"?>";

// BlockStartLine / BlockEndLine
// The lines that open and close a block of Element with the given identifier.
String BlockStartLine(StringView Element, StringView DataID);
String BlockEndLine(StringView Element);

// TagInput
// The input a block is read from: a byte stream or an open text file.
class TagInput {
 public:
  virtual ~TagInput() = default;
  virtual bool AtEnd() = 0;
  // Reads one line; false when the input has ended before.
  virtual bool ReadLine(String& Line) = 0;
  // Reads the next tag with the tag scanner; returns its index in Words.
  virtual std::int32_t ReadTag(std::span<const String> Words, String& Attributes) = 0;
};

class StreamTagInput final : public TagInput {
 public:
  explicit StreamTagInput(TStream& Stream) : FStream(Stream) {}
  bool AtEnd() override;
  bool ReadLine(String& Line) override;
  std::int32_t ReadTag(std::span<const String> Words, String& Attributes) override;

 private:
  TStream& FStream;
};

class TextFileTagInput final : public TagInput {
 public:
  explicit TextFileTagInput(TextFile& File) : FFile(File) {}
  bool AtEnd() override;
  bool ReadLine(String& Line) override;
  std::int32_t ReadTag(std::span<const String> Words, String& Attributes) override;

 private:
  TextFile& FFile;
};

// FindBlock
// Reads lines until one opens a block of Element whose identifier equals DataID ignoring the
// case of A-Z (any block of Element when DataID is empty); FoundID receives the identifier
// as written. False when the input ends first.
bool FindBlock(TagInput& Input, StringView Element, StringView DataID, String& FoundID);

// ReadBlockItems
// Reads tags after the start line with Words as the tag list, whose last two entries must be
// the end tag ("/element") and the list end marker; every other tag found is handed to Item
// with its index and attribute text. Tags not in the list are skipped. Returns true when the
// end tag was read (an end tag cut short after its name still counts, as nothing of the
// block is lost); false when the input ends before it (a block cut short, also inside an
// item) or when Item returns false.
bool ReadBlockItems(TagInput& Input, std::span<const String> Words,
                    const std::function<bool(std::int32_t Index, const String& Attributes)>& Item);

// AttrInt
// The attribute Name of an item as an integer within Min ... Max; false when it is absent or
// not such a number.
bool AttrInt(StringView Attributes, StringView Name, std::int64_t Min, std::int64_t Max,
             std::int64_t& Value);

}  // namespace kez::detail
