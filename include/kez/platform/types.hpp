/// @file
/// Basic text and number types shared by every unit, and the conversions between the
/// library's UTF-16 text and the single-byte (Windows-1252) and UTF-8 encodings.
///
/// @code
///   kez::String s = kez::AnsiToString("caf\xE9");   // u"café"
///   kez::AnsiString a = kez::StringToAnsi(s);       // "caf\xE9" again
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "kez/platform/export.hpp"

namespace kez {
KEZ_API_BEGIN

/// Text as the library holds it: UTF-16 code units.
using String = std::u16string;
using StringView = std::u16string_view;  ///< A read-only view of a String.

/// Single-byte text in Windows-1252. ShortString marks texts capped at 255 characters.
using AnsiString = std::string;
using ShortString = std::string;  ///< A Windows-1252 text of at most 255 characters.

/// The 80-bit x87 extended real (64-bit mantissa) on x86-64.
using Extended = long double;

/// A colour: red in bits 0-7, green in 8-15, blue in 16-23; a set high byte marks a
/// system-colour reference or a special value.
using TColor = std::uint32_t;

/// AnsiCharToChar
/// The UTF-16 character of one Windows-1252 byte. The five bytes that code page leaves
/// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same value, so
/// every byte survives a round trip.
char16_t AnsiCharToChar(unsigned char Byte);

/// CharToAnsiChar
/// The Windows-1252 byte of a character. Characters the code page cannot hold give '?'.
unsigned char CharToAnsiChar(char16_t Ch);

/// CharToAnsiCharExact
/// As CharToAnsiChar, but tells whether the character has a byte of its own.
bool CharToAnsiCharExact(char16_t Ch, unsigned char& Byte);

/// AnsiToString / StringToAnsi
/// Whole texts through the same tables; lossless for all 256 byte values.
String AnsiToString(std::string_view Text);
/// Text as Windows-1252 bytes; a character the code page cannot hold becomes '?'.
AnsiString StringToAnsi(StringView Text);

/// Utf8ToString / StringToUtf8
/// Conversions between UTF-8 and UTF-16. Malformed UTF-8 sequences become U+FFFD; unpaired
/// surrogates in UTF-16 are written as U+FFFD.
String Utf8ToString(std::string_view Text);
/// Text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string StringToUtf8(StringView Text);

/// ToString
/// An ASCII literal or any char text widened character by character (bytes read as Latin-1).
/// Handy for building messages: ToString("abc") == u"abc".
String ToString(std::string_view Latin1);

KEZ_API_END
}  // namespace kez
