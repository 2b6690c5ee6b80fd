/// @file
/// Number scans of texts shared by the data structures: the decimal scan that accepts "." and
/// "," as separators and an exponent (how TAssocArray reads numbers held as text, and how the
/// feature matrix tests floating-point texts), and the lenient integer scan.
///
/// @code
///   kez::ScanNumberText(" 1,5e2x").Value      // 150 (stops at "x")
///   kez::ScanNumberText("1.2.3").Valid        // false: a second separator is an error
///   kez::ScanNumberText("1,5", false).Value   // 1 ("," ends the number when not accepted)
///   kez::ScanIntegerText("  -42abc")          // -42
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <string_view>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TNumberScanResult
/// The outcome of ScanNumberText. Valid tells that the scan reached its end state (a number
/// was read and ended by a character that cannot continue it, or by the end of the text);
/// Value is the number read (0 when not Valid); ExponentOverflow tells that the exponent's
/// digits went beyond 4200 in magnitude (the extra digits are ignored; Value is then 0 or
/// clamped to +-1.7e308).
struct TNumberScanResult {
  bool Valid = false;  ///< The scan reached a valid end state.
  bool ExponentOverflow = false;  ///< The exponent went beyond 4200 in magnitude.
  double Value = 0;  ///< The number read; 0 when not Valid.
};

/// ScanNumberText
/// Scans a number from the start of Text with a character-driven state machine: leading
/// blanks (code 32 only), an optional sign, digits, a decimal separator ("." always, "," too
/// when AcceptComma), fraction digits, an exponent "E"/"e" with optional sign and digits.
/// The number ends at the first character that cannot continue it, or at the end of the
/// text. A text that does not start with a number (after blanks), a sign followed by a blank
/// or another sign, and a second separator are errors (Valid false, Value 0). A separator
/// with no digits after it reads as ".0" ("5." is 5, "." is 0), and an "E" that has no
/// exponent digits after it is ignored ("3E" and "3E+x" are 3). The value is the nearest
/// double, clamped to +-1.7e308. Single-byte texts are read byte by byte.
///@{
TNumberScanResult ScanNumberText(std::string_view Text, bool AcceptComma = true);
TNumberScanResult ScanNumberText(StringView Text, bool AcceptComma = true);
///@}

/// TryParseDecimal
/// Reads a whole text as a decimal number: an optional sign, digits with an optional "."
/// (at least one digit, before or after it), an optional exponent "E"/"e" with an optional
/// sign and at least one digit; nothing else, blanks included. False for any other text.
/// The value is the nearest double; a number beyond the double range is not an error but
/// reads as an infinity of its sign, one too small for it as a zero of its sign.
/// @code
///   double v;
///   TryParseDecimal(u"1e400", v);   // true, v == +infinity
///   TryParseDecimal(u"1e", v);      // false
/// @endcode
bool TryParseDecimal(StringView Text, double& Value);

/// ScanIntegerText
/// Reads a decimal integer from the start of Text: leading blanks are skipped, one "-" or
/// "+" is taken, then digits are accumulated up to the first other character, wrapping
/// around in 32 bits as a 32-bit integer register would. A text without digits gives 0.
///@{
std::int32_t ScanIntegerText(std::string_view Text);
std::int32_t ScanIntegerText(StringView Text);
///@}

/// ScanIntegerAt
/// The same scan from position Pos (0-based) of Text, for reading several numbers in a row:
/// Pos is left on the first character after the digits (or after the sign or blanks when
/// there are none). Instead of wrapping around, a value outside the 32-bit range makes the
/// result false (Value is then 0); otherwise the result is true and Value holds the number
/// (0 when there are no digits).
/// @code
///   std::size_t pos = 0; std::int32_t v;
///   ScanIntegerAt(u"3 12 x", pos, v);   // v == 3, pos == 1
///   ScanIntegerAt(u"3 12 x", pos, v);   // v == 12, pos == 4
/// @endcode
///@{
bool ScanIntegerAt(StringView Text, std::size_t& Pos, std::int32_t& Value);
bool ScanIntegerAt(std::string_view Text, std::size_t& Pos, std::int32_t& Value);
///@}

KEZ_API_END
}  // namespace kez
