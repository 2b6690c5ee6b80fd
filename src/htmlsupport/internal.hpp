// Helpers shared by the sources of the HTML unit.
#pragma once

#include <cstdint>

#include "kez/platform/types.hpp"

namespace kez::detail {

// HexDigitValue: the value of a character for which IsHexChar holds.
constexpr std::uint32_t HexDigitValue(char16_t Ch) {
  return Ch <= u'9' ? Ch - u'0' : (Ch | 0x20u) - u'a' + 10;
}

// ParseHTMLReference
// Reads one complete reference "&...;" (a known name, "&#N;" or "&#xH;") into Code and
// returns true; false for anything else. Numbers 128-159 are read as Windows-1252 bytes;
// 0, surrogates and numbers above U+10FFFF are refused. Work is linear in Ref's length.
bool ParseHTMLReference(StringView Ref, char32_t& Code);

// DeclaresUtf8
// Whether the page's head (the text before "</head" or "<body") declares UTF-8 in a meta
// tag: charset="utf-8" or content="text/html; charset=utf-8" (letter case ignored; the
// first meta tag with a charset decides). Any other page is Windows-1252.
bool DeclaresUtf8(StringView Text);

// HTMLPageBytes
// Text as the bytes of a page in the encoding its head declares. A UTF-8 page is UTF-8 (each
// U+DC80-U+DCFF the byte it stands for, as file names map). A Windows-1252 page holds its
// characters as bytes, the C1 codes U+0080-U+009F as the bytes of the same value (so bytes
// read one per character come back unchanged), and any other character as a numeric
// reference; inside a comment or an element of raw text (script, style ...), where a
// reference would not be read as one, such a character is write error 101 (EInOutError), and
// so is an unpaired surrogate (but U+DC80-U+DCFF in a UTF-8 page) in either encoding.
AnsiString HTMLPageBytes(StringView Text);

// HTMLPageText
// The text of a page's bytes read one character per byte (as a stream is read) or as
// Windows-1252 (as a text file is): a page that declares UTF-8 is decoded as UTF-8 (bytes
// that are not UTF-8 as U+DC80-U+DCFF), so HTMLPageBytes writes its bytes back unchanged;
// any other page is returned as it is.
String HTMLPageText(String Text);

}  // namespace kez::detail
