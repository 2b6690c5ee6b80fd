/// @file
/// Internal: which processor kernels the checksum functions use. Clients need none of this;
/// the tests use it to run every kernel against the portable code.
#pragma once

#include <cstdint>

namespace kez::detail {

/// ChecksumPath
/// The kernel families, from the portable code up: cpPortable (tables and scalar code),
/// cpSSE (128-bit carry-less multiply for CRC-32, the SHA instructions for SHA-1), cpAVX2
/// (256-bit carry-less multiply for CRC-32), cpAVX512 (512-bit carry-less multiply for CRC-32).
/// SHA-1 has nothing beyond cpSSE.
enum ChecksumPath : std::uint8_t { cpPortable, cpSSE, cpAVX2, cpAVX512 };

/// SetChecksumPathLimit
/// Caps the kernels that CRC32ofBuffer, CalcCRC32ofFile and the SHA-1 functions may choose
/// (cpAVX512, the default, lets them take the best the processor has) and returns the previous
/// cap. Not meant to be called while another thread computes a checksum.
ChecksumPath SetChecksumPathLimit(ChecksumPath Limit);

/// CRC32Path / SHA1Path
/// The kernel family currently in use, after the cap.
ChecksumPath CRC32Path();
ChecksumPath SHA1Path();

}  // namespace kez::detail
