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

// HTMLPageBytes
// Text as the Windows-1252 bytes of a page: characters the code page cannot hold become
// numeric references (a surrogate pair one reference of its code point, a lone surrogate
// "&#65533;").
AnsiString HTMLPageBytes(StringView Text);

}  // namespace kez::detail
