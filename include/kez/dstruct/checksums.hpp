/// @file
/// CRC-16, CRC-32, SHA-1 and ASCII85. Included through kez/dstruct.hpp.
///
/// @code
///   std::vector<std::uint8_t> data = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
///   kez::CRC16ofBuffer(data, 9, kez::crcZModem);           // 0x31C3
///   kez::CRC32ofBuffer(data, 9);                           // 0xCBF43926 (as int32)
///   kez::SHA1DigestToHex(kez::SHA1FromString(u"abc"));     // u"A9993E36..."
/// @endcode
///
/// The buffer, stream and file functions pick the fastest kernel the processor offers at
/// run time (carry-less multiply for CRC-32, the SHA instructions for SHA-1) and fall back to
/// portable table and scalar code elsewhere; every path gives the same results.
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "kez/platform/export.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TCRC16Mode
/// The initial register of the CRC-16: 0 for crcZModem (CRC-16/XMODEM), 0xFFFF for
/// crcCCITT (the CRC-16 often called CCITT-FALSE).
enum TCRC16Mode : std::uint8_t { crcZModem, crcCCITT };

KEZ_DETAIL_BEGIN
namespace detail {

constexpr std::array<std::uint16_t, 256> MakeCRC16Table() {
  std::array<std::uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned r = i << 8;
    for (int k = 0; k < 8; ++k) r = (r & 0x8000u) ? (r << 1) ^ 0x1021u : r << 1;
    t[i] = static_cast<std::uint16_t>(r);
  }
  return t;
}

constexpr std::array<std::uint32_t, 256> MakeCRC32Table() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i;
    for (int k = 0; k < 8; ++k) r = (r & 1u) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
    t[i] = r;
  }
  return t;
}

}  // namespace detail
KEZ_DETAIL_END

/// CRC16Table
/// The CRC-16 step table for the polynomial 0x1021, most significant bit first: entry i is
/// the register after shifting i * 256 through eight steps (entry 1 is 0x1021).
inline constexpr std::array<std::uint16_t, 256> CRC16Table = detail::MakeCRC16Table();

/// CRC32Table
/// The CRC-32 step table of the reflected polynomial 0xEDB88320 (entry 1 is 0x77073096).
inline constexpr std::array<std::uint32_t, 256> CRC32Table = detail::MakeCRC32Table();

static_assert(CRC16Table[1] == 0x1021 && CRC32Table[1] == 0x77073096);

/// CalcNextCRC16
/// One CRC-16 step: CRC16Table[(crc >> 8) ^ b] ^ (crc << 8), kept to 16 bits.
constexpr std::uint16_t CalcNextCRC16(std::uint8_t b, std::uint16_t crc) {
  return static_cast<std::uint16_t>(CRC16Table[((crc >> 8) ^ b) & 0xFFu] ^ (crc << 8));
}

/// CRC16ofBuffer
/// The CRC-16 of the first NumBytes bytes of Buffer, register started as Mode says and
/// returned as it stands (no final inversion or reflection). NumBytes <= 0 gives the
/// initial register; a NumBytes beyond the buffer's length takes the whole buffer and no
/// more.
std::uint16_t CRC16ofBuffer(std::span<const std::uint8_t> Buffer, std::int32_t NumBytes,
                            TCRC16Mode Mode);

/// CalcNextCRC32
/// One CRC-32 step: CRC32Table[(crc ^ b) & 0xFF] ^ (crc >> 8). The caller starts the
/// register at 0xFFFFFFFF and complements it at the end.
constexpr std::uint32_t CalcNextCRC32(std::uint8_t b, std::uint32_t crc) {
  return CRC32Table[(crc ^ b) & 0xFFu] ^ (crc >> 8);
}

/// CRC32ofBuffer
/// The standard CRC-32 (as zlib and gzip compute it) of the first NumBytes bytes of Buffer,
/// its bits returned as a signed 32-bit integer. NumBytes <= 0 gives 0; a NumBytes beyond
/// the buffer's length takes the whole buffer and no more.
std::int32_t CRC32ofBuffer(std::span<const std::uint8_t> Buffer, std::int32_t NumBytes);

/// ContinueCRC32
/// Extends a CRC-32 over further bytes: CRC is the CRC-32 of the data so far (0 before any
/// data), and the result is the CRC-32 of that data followed by all of Buffer, as zlib's
/// crc32(CRC, data, length) gives it. So a stream of any length is summed block by block
/// with the fastest kernel: ContinueCRC32(ContinueCRC32(0, a), b) equals the CRC-32 of a
/// and b together. An extension of this library next to the functions above, which take
/// their data in one buffer of at most 2^31 - 1 bytes.
std::uint32_t ContinueCRC32(std::uint32_t CRC, std::span<const std::uint8_t> Buffer);

/// CalcCRC32ofFile
/// The CRC-32 of a whole file, as CRC32ofBuffer. The file is opened read-only whatever
/// FileMode says; FileMode itself is never changed, so other threads may open files
/// meanwhile. Every failure (missing file, read error,
/// no memory) gives 0 and no exception escapes; an empty file also gives 0.
std::int32_t CalcCRC32ofFile(StringView FileName);

/// TSHA1Digest
/// A SHA-1 digest: 20 bytes, H0 big-endian first.
using TSHA1Digest = std::array<std::uint8_t, 20>;

/// SHA1FromString
/// The SHA-1 of the text's UTF-8 form, which is how text is stored and hashed elsewhere on
/// Linux: SHA1FromString(u"caf\u00E9") is the digest `printf 'café' | sha1sum` prints, and an
/// ASCII text hashes as its bytes: SHA1FromString(u"abc") is A9993E36 4706816A BA3E2571
/// 7850C26C 9CD0D89D. Every text gives its own bytes: a character outside Windows-1252 is
/// not folded into "?", and an unpaired surrogate is hashed as the three bytes of its own
/// value. (A text is no longer hashed one byte per character, so non-ASCII texts give
/// other digests than a single-byte form would.)
TSHA1Digest SHA1FromString(StringView s);

/// SHA1FromStream
/// The SHA-1 of the bytes from the stream's position to its end (read until a read returns
/// nothing); the position is left at the end. A message longer than 2^64 - 1 bits raises
/// EIntOverflow.
TSHA1Digest SHA1FromStream(TStream& stream);

/// SHA1FromFile
/// The SHA-1 of a whole file, opened as a read-only file stream. A file that cannot be
/// opened raises EFOpenError.
TSHA1Digest SHA1FromFile(StringView FileName);

/// SHA1DigestToHex
/// The digest as 40 upper-case hexadecimal digits, two per byte in digest order.
String SHA1DigestToHex(const TSHA1Digest& Digest);

/// EncodeASCII85
/// Writes the ASCII85 form of InStream's bytes, from its position to its end, to OutStream:
/// each group of four bytes as five characters "!".."u" (four zero bytes as "z"), then the
/// terminator "~>". A final group of n < 4 bytes is written as the n + 1 base-85 digits of
/// its own value (not padded to four bytes), so one byte 0x41 gives "!b~>". No "<~" opening
/// and no line breaks are written. A failed write raises EWriteError.
void EncodeASCII85(TStream& InStream, TStream& OutStream);

/// DecodeASCII85
/// Decodes ASCII85 text from InStream into bytes on OutStream. Carriage returns and line feeds
/// are skipped anywhere. The text is read in groups of five characters ("z" alone standing
/// for four zero bytes); a group of k characters gives its value's low k - 1 bytes,
/// big-endian, the value being taken modulo 2^32 (so a whole group never fails for its
/// size). A "~" ends the text after its group: only the characters before the group's last
/// "~" count ("!!!~~>" gives 00 00 5D, the first "~" being a faulty digit), and the stream is
/// left right behind that "~" and a ">" following it. The end of InStream ends the text too.
/// Returns 0 for sound text, -1 when a character outside "!".."u" stood inside a group, -2
/// when one of them was a "z" (a -2 is not turned back into -1 by a later fault). Faulty
/// characters are still folded into their group, so every group is written. A failed write
/// raises EWriteError.
std::int32_t DecodeASCII85(TStream& InStream, TStream& OutStream);

KEZ_API_END
}  // namespace kez
