/// @file
/// Number scanners on byte streams. Included through kez/streams.hpp.
///
/// @code
///   kez::TStringStream s(std::string_view("  -42; 1,5e3 "));
///   kez::ScanStreamDecimal(s);                 // -42, the ";" is consumed
///   kez::ScanStreamFPNum(s, true, 3);          // 1500
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// ScanStreamDecimal
/// Skips blanks, LF and CR (not tabs), takes one optional "+" or "-", then reads decimal
/// digits up to the first other byte, which is consumed too (so is the sign). Without any
/// digit the result is 0. A number beyond the 32-bit range gives the nearest 32-bit value
/// (2147483647 or -2147483648) rather than a wrapped one; its digits are all consumed.
std::int32_t ScanStreamDecimal(TStream& Stream);

/// ScanStreamFPNum
/// Reads one floating-point number byte by byte: leading blanks, tabs, LF and CR are
/// skipped, then an optional sign, digits, an optional decimal point with more digits and,
/// when AllowExponent is true, an "E" or "e" with an optional sign and exponent digits.
/// PointMode chooses the decimal point: 1 ".", 2 ",", 3 either, any other value none. The
/// byte that ends the number is consumed (the end of the stream ends it as well). Malformed
/// input (no digit before the point, a sign or "E" in the wrong place, a second point, an
/// "E" without exponent digits) gives 0, with the stream just behind the offending byte.
/// A number of the form "12." is 12. The value is rounded to double precision and limited
/// to +-1.7e308; exponents are read up to the first digits whose value exceeds 4200, the
/// rest of an endless exponent is consumed but ignored.
Extended ScanStreamFPNum(TStream& Stream, bool AllowExponent, int PointMode);

KEZ_API_END
}  // namespace kez
