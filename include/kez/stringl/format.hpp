/// @file
/// Number and value formatting. Included through kez/stringl.hpp.
///
/// Locale-independent texts of numbers (fixed, scientific, significant digits), boolean and
/// tri-state words, keyword lookup, number lists and time spans. The decimal separator is
/// always "." unless a function is told to write ",".
///
/// @code
///   kez::strff(1.5, 8, 2)              // u"    1.50"
///   kez::strff(-1.5, -8, 2)            // u"-0001.50"   (negative width: zero padding)
///   kez::strff(12340, 10, -2)          // u" 1.234E+04" (compact scientific)
///   kez::FormatData(1e9, 12, 0)        // scientific, the value does not fit 9 digits
///   kez::TriStateToStr(kez::tsTrue, 2) // u"yes"
///   kez::StringIx(u"b", {u"a", u"b"})  // 2
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "kez/kezbase.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// FixedWidthStr
/// The basic real-number conversion that every formatter here builds on.
/// - Decimals >= 0: fixed layout: an optional "-", the integer digits and, for Decimals > 0,
///   "." and exactly Decimals digits, rounded to nearest (exact ties to even). Right-aligned
///   with blanks to Width; a longer text is never cut. Values of any magnitude are written
///   with all their integer digits.
/// - Decimals < 0: scientific layout of exactly Width characters: a sign position (blank or
///   "-"), one digit, ".", Width - 9 digits, "E", the exponent sign and four exponent digits
///   (" 1.250E+0003" for Width 12). At least one digit follows the point, so widths below 10
///   give 10 characters. The digits come from the full 80-bit value; digits beyond the 18th
///   significant one are written as 0.
/// NaN and infinities give "NAN", "INF" and "-INF", right-aligned to Width; negative zero is
/// written as zero. Never raises: a Width of 0 or less pads nothing, Width and Decimals are
/// clamped to at most 4096 (Decimals to at least -4096), so INT_MIN and INT_MAX are safe.
String FixedWidthStr(Extended Value, std::int32_t Width, std::int32_t Decimals);

/// strff
/// FixedWidthStr with two extras. A Decimals of -2 gives the compact scientific layout of
/// |Width| characters with a two-digit exponent (" 1.234E+04" for Width 10); when the
/// exponent needs three or more digits the result is |Width| asterisks. Any other negative
/// Decimals is the four-digit scientific layout. A negative Width asks for zero padding:
/// the leading blanks become "0" and a "-" moves to the front (u"-0001.50"). NaN and
/// infinities are never zero-padded.
String strff(Extended Value, std::int32_t Width, std::int32_t Decimals);

/// strffForcePlus
/// strff with a "+" for values of 0 or more: the last leading blank becomes "+", a
/// zero-padded text has its first "0" replaced ("+005"), any other text gets "+" in front
/// ("+0.5", and "+0" for strffForcePlus(0, 1, 0)). Negative values and NaN are as strff
/// writes them.
String strffForcePlus(Extended Value, std::int32_t Width, std::int32_t Decimals);

/// FormatData
/// The fixed layout FixedWidthStr(Value, Width, Decimals) when the value fits nine digits
/// with Decimals (0..8) of them after the point; otherwise strff(Value, Width + 6, -2).
/// The bounds for Decimals d: the value is scientific above 10^(9-d) - 10^-d (999999999 for
/// d = 0, 0.99999999 for d = 8) and below 10^-d; an exact 0 is always fixed. A Decimals
/// outside 0..8 always gives the scientific form. NaN and infinities give "NAN", "INF",
/// "-INF" right-aligned to Width.
String FormatData(double Value, std::int32_t Width, std::int32_t Decimals);

/// SigDigStr
/// Value with Digits significant digits in a field of Width: fixed, with Digits - e
/// decimals where e is the number of digits before the point, when that fits the width;
/// otherwise the compact scientific layout strff(Value, max(Width, Digits + 6), -2). An
/// exact 0 is FixedWidthStr(0, Width, Digits - 1); NaN and infinities give "NAN", "INF",
/// "-INF" right-aligned to Width. Digits of 0 or less go through the same steps (so
/// SigDigStr(0, 12, 0) is FixedWidthStr(0, 12, -1), a scientific text). The arithmetic on
/// Width and Digits cannot overflow, and what it hands on is clamped as strff clamps it.
/// e is exact even where the logarithm rounds across a power of ten (999.9999999999999 has
/// three digits before the point). The form with Strip set removes the leading and
/// trailing blanks.
/// @code
///   SigDigStr(123.456, 8, 4)         // u"   123.5"
///   SigDigStr(0.00012345, 8, 3)      // u" 1.23E-04"
/// @endcode
///@{
String SigDigStr(double Value, std::int32_t Width, std::int32_t Digits);
String SigDigStr(double Value, std::int32_t Width, std::int32_t Digits, bool Strip);
///@}

/// AutoFormatData
/// A compact text without blanks with Precision (clamped to 2..16) significant digits:
/// fixed for magnitudes above 0.1 and below 10^(Precision - 1), the compact scientific
/// layout otherwise (strff(Value, Precision + 6, -2)); an exact 0 is strff(0, 1,
/// Precision - 1). With Comma set every "." becomes ",".
/// @code
///   AutoFormatData(123.456, 4)   // u"123.5"
///   AutoFormatData(0.05, 4)      // u"5.000E-02"
/// @endcode
///@{
String AutoFormatData(double Value, std::int32_t Precision);
String AutoFormatData(double Value, std::int32_t Precision, bool Comma);
///@}

/// BoolToStr
/// The word of a flag in one of eight pairs chosen by Mode: 0 "TRUE"/"FALSE", 1 "T"/"F",
/// 2 ".T."/".F.", 3 "1"/"0", 4 "-1"/"0", 5 "FF"/"00", 6 "YES"/"NO", 7 "GOOD"/"BAD". Any
/// other Mode behaves as 0.
String BoolToStr(bool Flag, std::int32_t Mode);

/// StrToTriState
/// Reads a tri-state word, ignoring ASCII case and surrounding blanks: "true", "1", "+1",
/// "yes" give tsTrue; "false", "-1", "no" give tsFalse; anything else (including "0",
/// "unknown" and the empty text) gives tsUndefined.
TTriState StrToTriState(StringView Text);

/// TriStateToStr
/// The word of a tri-state value: Mode 1 "1"/"-1"/"0", Mode 2 "yes"/"no"/"unknown", any
/// other Mode "true"/"false"/"" (for tsTrue/tsFalse/tsUndefined). Every word reads back
/// through StrToTriState to the same value; a value outside the enumeration is written as
/// tsUndefined.
String TriStateToStr(TTriState Value, std::int32_t Mode);

/// BinString
/// Text1 when Flag is set, else Text2.
String BinString(bool Flag, StringView Text1, StringView Text2);

/// StringIx
/// The 1-based index of the first entry of List equal to Text, 0 if none. The form with
/// CaseSensitive clear compares both sides with the ASCII letters lower-cased.
/// @code
///   StringIx(u"Beta", false, {u"alpha", u"beta"})   // 2
/// @endcode
///@{
std::int32_t StringIx(StringView Text, std::span<const String> List);
std::int32_t StringIx(StringView Text, std::span<const StringView> List);
std::int32_t StringIx(StringView Text, std::initializer_list<StringView> List);
std::int32_t StringIx(StringView Text, bool CaseSensitive, std::span<const String> List);
std::int32_t StringIx(StringView Text, bool CaseSensitive, std::span<const StringView> List);
std::int32_t StringIx(StringView Text, bool CaseSensitive, std::initializer_list<StringView> List);
///@}

/// CreateParList
/// A list text "[a,b,c]" of the values, integers in plain decimal, reals by
/// AutoFormatData(value, Precision) (Precision 3 in the forms without it). In the forms
/// with MaxCount, a MaxCount above 0 and below the number of values writes only the first
/// MaxCount of them followed by "..." ("[1,2,...]"). With Comma set one "," follows the
/// "]". An empty list gives "[]".
///@{
String CreateParList(const std::vector<std::int32_t>& Values, bool Comma, std::int32_t MaxCount);
String CreateParList(std::span<const std::int32_t> Values, bool Comma);
String CreateParList(std::initializer_list<std::int32_t> Values, bool Comma);
String CreateParList(const std::vector<double>& Values, bool Comma, std::int32_t MaxCount,
                     std::int32_t Precision);
String CreateParList(std::span<const double> Values, bool Comma);
String CreateParList(std::initializer_list<double> Values, bool Comma);
///@}

/// NumberedPos
/// The 1-based position in Text of the N-th occurrence of SubStr, searching from Start (a
/// Start below 1 counts as 1); occurrences do not overlap. 0 when there are fewer than N
/// occurrences, N is 0 or less, or SubStr is empty. IgnoreCase compares both texts in
/// locale lower case.
std::int32_t NumberedPos(StringView SubStr, StringView Text, std::int32_t Start, std::int32_t N,
                         bool IgnoreCase);

/// SortableNumericString
/// Text without leading and trailing blanks, shifted right with blanks so that the first
/// Ch (the alignment character, as the decimal point) lands in Column: Column - p blanks go
/// in front when Ch is at position p < Column. A text without Ch counts p as 0 and gets
/// Column blanks. Column is clamped to at most 4096.
/// @code
///   SortableNumericString(u"3.25", u'.', 4)   // u"  3.25"
/// @endcode
String SortableNumericString(StringView Text, char16_t Ch, std::int32_t Column);

/// TimeString
/// A time span of Seconds as text, each field at least two characters wide:
/// Mode 0 "HH:MM:SS.hh", 1 "HH:MM:SS", 4 "HH:MM" (all zero-filled), 2 " Hh" "MM", 3
/// " HhMM'SS" and a double quote (hours blank-filled), 5 the 12-hour clock " H:MMa" or
/// "p"; any other Mode gives the empty text. 3725.5 s give "01:02:05.50" in Mode 0.
/// Negative and NaN seconds count as 0. Hours are counted modulo 65536 and written with
/// all their digits; minutes, seconds and hundredths come from the seconds themselves, so
/// they stay right for spans beyond 65536 hours (infinite seconds count as the largest
/// double).
String TimeString(double Seconds, std::uint8_t Mode);

/// MultiChar
/// Ch repeated Count times, Count clamped to 1..255 (so a Count of 0 or less still gives
/// one character).
String MultiChar(char16_t Ch, std::int32_t Count);

KEZ_API_END
}  // namespace kez
