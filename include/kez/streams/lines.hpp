/// @file
/// Lines, whole texts and marker searches on byte streams. Included through kez/streams.hpp.
///
/// @code
///   bool eos = false;
///   while (!eos) {
///     kez::String line = kez::ReadLnStream(stream, eos, 4);   // CR LF data
///     ...
///   }
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

/// ReadLnStream
/// Reads one line, byte by byte, from the stream's position. Mode says which byte ends it:
/// @code
///   0 LF; 1 CR; 2 CR or LF; 3 CR after LF; 4 LF after CR; any other value: nothing (the
///   rest of the stream is one line).
/// @endcode
/// A line ended by that test loses up to two trailing line-end characters (CR or LF, in
/// any order and whatever the mode), so mode 0 also reads CR LF data, while mode 2 reads
/// CR LF as a line and then an empty one. When the stream ends first, Eos is set to true
/// and the line comes back as read, line-end characters included; an empty or exhausted
/// stream gives the empty text with Eos true. Eos is false otherwise.
String ReadLnStream(TStream& Stream, bool& Eos, int Mode);

/// StreamAsString
/// The rest of the stream from its position as text, read in 256-byte blocks up to a read
/// that gives nothing (a shorter block from a pipe is not taken for the end); the stream is
/// left at its end.
String StreamAsString(TStream& Stream);

/// FindInStream
/// Reads byte by byte until Value has been read and returns true, with the stream just
/// behind it; false when the stream ends first (the stream is then at its end).
bool FindInStream(TStream& Stream, std::uint8_t Value);

/// ReadStreamUntil
/// Reads from the stream's position up to and including the first occurrence of Target,
/// compared ignoring the case of ASCII letters (the match may straddle the 256-byte reading
/// blocks), and returns that text in the letter case of the stream. Status becomes 0 and
/// the stream is left just behind the target. When the target never comes, Status is -1,
/// the result is everything read and the stream is left at its end. An empty target is
/// found at once: empty result, status 0, stream unmoved. A target character above 255
/// never matches.
String ReadStreamUntil(TStream& Stream, StringView Target, std::int32_t& Status);

/// CountLinesInStream
/// The number of LF bytes from the stream's position to its end (a last line without LF is
/// not counted); the stream is left at its end.
std::int64_t CountLinesInStream(TStream& Stream);

KEZ_API_END
}  // namespace kez
