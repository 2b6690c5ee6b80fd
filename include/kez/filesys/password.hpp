/// @file
/// Pronounceable passwords. Included through kez/filesys.hpp.
///
/// @code
///   kez::InventPassword(8);               // e.g. u"tepu42ka": letters, two digits, letters
///   kez::InventPassword(8, true, true);   // e.g. u"tEp$42kA"
/// @endcode
///
/// Every random choice is drawn from the operating system's cryptographic source
/// (SecureRandom), never from the seeded process-wide generator, so passwords differ from run
/// to run and one password tells nothing about the next.
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// InventPassword(Length)
/// A password of Length characters, Length clamped to 4..14 (so 3 gives 4 characters and
/// 20 gives 14): Length - 2 lower-case letters and two decimal digits.
///  - The letters alternate consonant, vowel: an odd Length starts with one vowel, then come
///    (Length / 2) - 1 pairs of a consonant followed by a vowel. Vowels are drawn uniformly
///    from a e i o u y, consonants from the other 20 letters.
///  - The digits are a number 0..99 written with two digits ("07"), placed after the sixth
///    letter (characters 7 and 8) or, with fewer than six letters, at the end.
/// Any Length is accepted; the only error is a system without a secure random source
/// (SecureRandom's Exception).
String InventPassword(std::int32_t Length);

/// InventPassword(Length, MixedCase, SpecialChars)
/// InventPassword(Length), then each of the first n characters is changed, where n is
/// Length but at most the password's length (so a Length below 4 changes only the first
/// Length characters, and 0 or less changes none):
///  - MixedCase: a letter becomes upper case with probability 1/2.
///  - SpecialChars: with probability 1/5 the character (a letter or one of the digits) is
///    replaced by a character drawn from 16 equally likely ones: _ ! $ % # = (one each) or
///    a digit 0..9 (one each).
/// With both, the case is decided before the replacement. Errors as above.
String InventPassword(std::int32_t Length, bool MixedCase, bool SpecialChars);

KEZ_API_END
}  // namespace kez
