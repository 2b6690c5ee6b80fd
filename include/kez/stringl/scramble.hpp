/// @file
/// Scrambling and UU encoding. Included through kez/stringl.hpp.
///
/// Scramble replaces each character by another through a substitution table drawn from a
/// seed; DeScramble undoes it with the inverse table. The tables are shared by the whole
/// process and built at load time from ScrambleDefaultSeed, so two runs of any program
/// scramble alike until someone calls InitScramble.
///
/// @code
///   kez::String secret = kez::Scramble(u"password");
///   kez::DeScramble(secret);                 // u"password"
///   kez::UUEncodeStr(u"Cat");                // u"#0V%T\n"
/// @endcode
///
/// Threads: scrambling sets and advances the process-wide random seed (see
/// kez/platform/random.hpp): a program scrambles in one thread at a time. The other functions
/// may run in several threads at once.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// ScrambleDefaultSeed
/// The seed the library builds the scrambler's tables from when it starts.
inline constexpr std::int32_t ScrambleDefaultSeed = 4711;

/// InitScramble
/// Rebuilds the substitution tables from Seed: the process-wide generator (RandSeed) is
/// seeded with it and draws a permutation of the codes 1..255 (code 0 always maps to
/// itself). The same seed always gives the same tables. This moves the process-wide
/// generator to a new state, and changes how every later Scramble and DeScramble call of
/// the process works; it must not run while another thread scrambles or draws numbers.
void InitScramble(std::int32_t Seed);

/// Scramble / DeScramble
/// Text with each character of code 0..255 replaced through the encoding (or decoding)
/// table; the result has the same length and DeScramble(Scramble(t)) == t. Characters above
/// code 255 are passed through unchanged (the tables cover one byte only).
///@{
String Scramble(StringView Text);
String DeScramble(StringView Text);
///@}

/// UUEncodeStr
/// Standard uuencoding of the text as Windows-1252 bytes (characters that code page cannot
/// hold are encoded as "?"): lines of at most 45 bytes, each written as a length character
/// followed by groups of four characters of six bits each (code 32 plus the bits, "`" for
/// zero bits), and ended by LF. The empty text gives the empty text. There is no "begin" or
/// "end" line and no closing zero-length line.
String UUEncodeStr(StringView Text);

/// UUDecodeStr
/// The text that UUEncodeStr encoded. Lines may end with LF, CR LF or CR. A line shorter
/// than its length character asks for is decoded as if padded with blanks (zero bits), as
/// mail transports strip trailing blanks: "586)C" gives "abc" followed by 18 zero bytes.
/// A line that is not a data line (a length character outside "!".."M", or a data character
/// outside " ".."`") is skipped, so the "begin" and "end" lines of a uuencoded file and
/// zero-length lines are ignored; characters behind the data a line needs are ignored too.
/// The bytes are read back as Windows-1252.
String UUDecodeStr(StringView Text);

KEZ_API_END
}  // namespace kez
