/// @file
/// Writers of 8-bit text and the binary images of numbers, and the binary readers.
/// Included through kez/streams.hpp.
///
/// @code
///   kez::WriteDoubleToStream(m, 2.5);      // 8 bytes, little-endian
///   m.SetPosition(0);
///   bool failed;
///   double d = kez::ReadDoubleFromStream(m, failed);   // 2.5, failed == false
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

/// WriteStringStream
/// Writes the text as 8-bit characters (the low byte of each code unit), with no length
/// prefix or terminator. The bytes go out through a 4096-byte buffer, one WriteBuffer call
/// per full buffer and one for the remainder. Write errors of the stream pass to the caller.
void WriteStringStream(TStream& Stream, StringView Text);

/// WriteLnStream
/// WriteStringStream, then the line end CR LF in one 2-byte write.
void WriteLnStream(TStream& Stream, StringView Text);

/// WriteLongintToStream / WriteSingleToStream / WriteDoubleToStream / WriteExtendedToStream
/// Write the little-endian image of the value: 4, 4, 8 and 10 bytes. The extended value is
/// always written as the 80-bit x87 image (64-bit mantissa with explicit integer bit, then
/// 15-bit exponent and sign), whatever long double is on the build. NaN and infinities are
/// written as such; a NaN's payload is kept where the build's formats can hold it.
///@{
void WriteLongintToStream(TStream& Stream, std::int32_t Value);
void WriteSingleToStream(TStream& Stream, float Value);
void WriteDoubleToStream(TStream& Stream, double Value);
void WriteExtendedToStream(TStream& Stream, Extended Value);
///@}

/// ReadLongintFromStream / ReadSingleFromStream / ReadDoubleFromStream / ReadExtendedFromStream
/// Read one value written by the matching writer. Error is false on success. When the
/// stream ends early or raises, no exception leaves the function: Error is true and the
/// result is 0 (the stream may have moved over the bytes that were there).
///@{
std::int32_t ReadLongintFromStream(TStream& Stream, bool& Error);
float ReadSingleFromStream(TStream& Stream, bool& Error);
double ReadDoubleFromStream(TStream& Stream, bool& Error);
Extended ReadExtendedFromStream(TStream& Stream, bool& Error);
///@}

KEZ_API_END
}  // namespace kez
