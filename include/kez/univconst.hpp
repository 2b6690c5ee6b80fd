/// @file
/// KEZ_univconst: mathematical and machine constants.
///
/// Every constant is an Extended (the 80-bit x87 value with a 64-bit mantissa) and carries
/// its full precision: the literals have the L suffix and more digits than the format holds,
/// so the compiler rounds them once, straight to long double, never through double.
///
/// @code
///   kez::Extended area = kez::uc_PiH * 2 * r * r;
///   double lnf = kez::uc_LnFactorial[20];   // ln(20!)
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <limits>

#include "kez/platform/export.hpp"
#include "kez/platform/rangearray.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

static_assert(std::numeric_limits<Extended>::digits == 64,
              "Extended must be the 80-bit x87 format with a 64-bit mantissa");

// ---------------------------------------------------------------------------------------
// Mathematical constants
// ---------------------------------------------------------------------------------------

inline constexpr Extended uc_e = 2.71828182845904523536028747135L;             ///< e
inline constexpr Extended uc_etom1 = 0.367879441171442321595523770161L;        ///< 1/e
inline constexpr Extended uc_lg2 = 0.301029995663981195213738894724L;          ///< log10 2
inline constexpr Extended uc_lg5 = 0.698970004336018804786261105276L;          ///< log10 5
inline constexpr Extended uc_lge = 0.434294481903251827651128918917L;          ///< log10 e
inline constexpr Extended uc_lgPi = 0.497149872694133854351268288291L;         ///< log10 pi
inline constexpr Extended uc_ln10 = 2.30258509299404568401799145468L;          ///< ln 10
inline constexpr Extended uc_ln2 = 0.693147180559945309417232121458L;          ///< ln 2
inline constexpr Extended uc_lnPi = 1.14472988584940017414342735135L;          ///< ln pi
inline constexpr Extended uc_PiH = 1.57079632679489661923132169164L;           ///< pi/2
inline constexpr Extended uc_PiSqr = 9.86960440108935861883449099988L;         ///< pi^2
inline constexpr Extended uc_Pitom1 = 0.318309886183790671537767526745L;       ///< 1/pi
inline constexpr Extended uc_sqrt2 = 1.41421356237309504880168872421L;         ///< sqrt 2
inline constexpr Extended uc_sqrt2pi = 2.50662827463100050241576528481L;       ///< sqrt(2 pi)
inline constexpr Extended uc_sqrt2pitom1 = 0.398942280401432677939946059934L;  ///< 1/sqrt(2 pi)
inline constexpr Extended uc_GoldenR = 1.61803398874989484820458683437L;       ///< (1+sqrt 5)/2

// ---------------------------------------------------------------------------------------
// Limits of the floating-point formats
// ---------------------------------------------------------------------------------------
// Given as the short decimals they are usually written as; each constant is the Extended
// nearest to its decimal (so uc_MinDouble is 5.0e-324, a little above the smallest
// denormal double 4.94e-324, and uc_MaxDouble 1.7e308 is below DBL_MAX).

inline constexpr Extended uc_MinReal = 2.9e-39L;     ///< Smallest 6-byte real
inline constexpr Extended uc_MaxReal = 1.7e38L;      ///< Largest 6-byte real
inline constexpr Extended uc_MinSingle = 1.5e-45L;   ///< Smallest float
inline constexpr Extended uc_MaxSingle = 3.4e38L;    ///< Largest float
inline constexpr Extended uc_MinDouble = 5.0e-324L;  ///< Smallest double
inline constexpr Extended uc_MaxDouble = 1.7e308L;   ///< Largest double
/// The smallest positive Extended: the denormal 2^-16445 (about 3.6452e-4951).
inline constexpr Extended uc_MinExtended = 0x1p-16445L;
inline constexpr Extended uc_MaxExtended = 1.1e4932L;  ///< Largest Extended

/// Natural logarithms of the limits: the ln of each decimal above. uc_lnMinExtended is
/// ln 3.6e-4951, the decimal the smallest Extended is written as (about 0.0125 below
/// ln 2^-16445); expl of it still gives uc_MinExtended.
inline constexpr Extended uc_lnMinDouble = -744.428132217636701247228471985L;  ///< ln uc_MinDouble
inline constexpr Extended uc_lnMaxDouble = 709.726836893228241073772911206L;  ///< ln uc_MaxDouble
inline constexpr Extended uc_lnMinExtended = -11398.8178615680581172554687289L;  ///< ln 3.6e-4951
/// ln uc_MaxExtended
inline constexpr Extended uc_lnMaxExtended = 11356.4449888264376384367778066L;
inline constexpr Extended uc_lnMinReal = -88.736107889775353333536386155L;  ///< ln uc_MinReal
inline constexpr Extended uc_lnMaxReal = 88.0288617848359063889152184412L;  ///< ln uc_MaxReal
inline constexpr Extended uc_lnMinSingle = -103.210864076623891398831602345L;  ///< ln uc_MinSingle
inline constexpr Extended uc_lnMaxSingle = 88.7220089653958516983324505627L;  ///< ln uc_MaxSingle

// ---------------------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------------------

/// uc_LnFactorial
/// ln(n!) for n = 0 to 1000, each the double nearest to the exact value (entries 0 and 1
/// are 0). For n > 1000 use lgamma(n + 1).
extern const RangeArray<double, 0, 1000> uc_LnFactorial;

KEZ_API_END
}  // namespace kez
