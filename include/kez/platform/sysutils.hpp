/// @file
/// The runtime's number/text conversions and case changes. All number conversions are
/// locale-independent: "." is the decimal separator whatever the process locale.
///
/// @code
///   kez::IntToStr(-42)             // u"-42"
///   kez::StrToFloat(u"1.5e3")      // 1500.0
///   kez::FloatToStr(0.1)           // u"0.1"
///   kez::FloatToStrLayout(1250, 12, -1)   // u" 1.250E+0003"
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// IntToStr
/// The decimal text of an integer: "-" for negative values, no blanks, no "+".
String IntToStr(std::int64_t Value);

/// StrToInt / StrToInt64
/// The integer of a decimal text, or of a hexadecimal one written "$1F" or "0x1F". Blanks
/// around the number are allowed. Anything else, or a value outside the type, raises
/// EConvertError "'<text>' is not a valid integer value".
///@{
std::int32_t StrToInt(StringView Text);
std::int64_t StrToInt64(StringView Text);
///@}

/// TryStrToInt / TryStrToInt64 / StrToIntDef
/// As StrToInt, reporting failure through the result instead of raising.
///@{
bool TryStrToInt(StringView Text, std::int32_t& Value);
bool TryStrToInt64(StringView Text, std::int64_t& Value);
std::int32_t StrToIntDef(StringView Text, std::int32_t Default);
///@}

/// StrToFloat / TryStrToFloat
/// The value of a decimal text: optional blanks, an optional sign, digits with an optional
/// "." fraction, an optional exponent ("E" or "e", optional sign, digits); "INF", "NAN" in
/// any case are accepted too. The nearest double is returned. Anything else raises
/// EConvertError "'<text>' is not a valid floating point value" (or gives false).
///@{
double StrToFloat(StringView Text);
bool TryStrToFloat(StringView Text, double& Value);
bool TryStrToFloat(StringView Text, Extended& Value);
///@}

/// FloatToStr
/// The general form with 15 significant digits, rounded to nearest: fixed notation when the
/// value's decimal exponent lies between -4 and 14 ("0.0001", "123.456",
/// "100000000000000"), otherwise "d.dddE<exponent>" with the shortest exponent and no "+"
/// ("1E-5", "1E15", "-1.5E-7"); trailing zeros are dropped. NaN gives "NAN", infinities
/// "INF" and "-INF".
String FloatToStr(double Value);

/// FloatToStrLayout
/// The runtime's real-number layout with field width and precision, the form that text
/// files write and the library's formatters build on.
/// - Decimals >= 0: fixed notation, "-" for negative values, exactly Decimals digits after
///   "." (no "." for 0), rounded to nearest (exact ties to even); right-aligned with blanks
///   to Width, never cut.
/// - Decimals < 0: scientific notation in Width characters: a sign position (blank or "-"),
///   one digit, ".", Width - 9 further digits (at least 1), "E", the exponent sign and four
///   exponent digits, as " 1.250E+0003" for Width 12. The digits come from the 80-bit value;
///   digits beyond the 18th significant one are written as 0.
/// NaN and infinities are written "NAN", "INF", "-INF", right-aligned to Width. Negative
/// zero is written as zero. Never raises, for any Width and Decimals: a Width of 0 or less
/// pads nothing (and gives the narrowest scientific layout), a Width above 4096 counts as
/// 4096, and Decimals is clamped to -4096..4096, so no argument makes the text longer than
/// a few thousand characters.
String FloatToStrLayout(Extended Value, int Width, int Decimals);

/// FloatToAnsiLayout
/// FloatToStrLayout as single-byte text, written into Out (which is replaced). This is the
/// allocation-light form for hot paths.
void FloatToAnsiLayout(Extended Value, int Width, int Decimals, std::string& Out);

/// UpperCase / LowerCase / UpCaseASCII / LoCaseASCII
/// ASCII case change of a text or a character: only "a"-"z" and "A"-"Z" change.
///@{
String UpperCase(StringView Text);
String LowerCase(StringView Text);
char16_t UpCaseASCII(char16_t Ch);
char16_t LoCaseASCII(char16_t Ch);
///@}

/// AnsiUpperCase / AnsiLowerCase / AnsiUpCaseChar / AnsiLoCaseChar
/// Locale-aware case change of every letter of a text or of a character (Unicode simple case
/// mapping of the Basic Multilingual Plane, as the C library's UTF-8 locale defines it);
/// surrogates are left as they are. The result does not depend on the process's LC_CTYPE
/// setting.
///@{
String AnsiUpperCase(StringView Text);
String AnsiLowerCase(StringView Text);
char16_t AnsiUpCaseChar(char16_t Ch);
char16_t AnsiLoCaseChar(char16_t Ch);
///@}

KEZ_API_END
}  // namespace kez
