// Text conversions shared inside the platform layer.
#pragma once

#include <cstddef>
#include <string_view>

#include "kez/platform/types.hpp"

namespace kez::detail {

// AssignAnsi
// Out becomes AnsiToString(Bytes), reusing Out's room where it suffices.
void AssignAnsi(String& Out, std::string_view Bytes);

// NarrowToAnsi
// Writes the Windows-1252 bytes of Count characters ('?' for those it lacks) to Out, which
// has room for Count bytes: StringToAnsi without a text of its own.
void NarrowToAnsi(const char16_t* Chars, std::size_t Count, char* Out);

// DecodeUtf8Char
// Decodes the UTF-8 character at P (N > 0 bytes available) into Cp and returns its length.
// A byte that does not start a complete, shortest, valid sequence is one character: Cp is
// then U+DC00 + that byte (U+DC80-U+DCFF, which no valid sequence decodes to).
std::size_t DecodeUtf8Char(const unsigned char* P, std::size_t N, char32_t& Cp);

// EncodeUtf8Char
// Writes the 1-4 UTF-8 bytes of the code point Cp (not a surrogate) to Out; returns the count.
std::size_t EncodeUtf8Char(char32_t Cp, char* Out);

// AppendUtf16
// Appends Cp to Out, as a surrogate pair above U+FFFF.
void AppendUtf16(String& Out, char32_t Cp);

}  // namespace kez::detail
