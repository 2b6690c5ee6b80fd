// CRC-16 and CRC-32 of buffers and files: the portable slicing-by-8 code, the run-time
// choice of the carry-less-multiply kernels, and the processor probe they share with SHA-1.
#include <algorithm>
#include <array>
#include <exception>
#include <vector>

#include "dstruct/checksum_cpu.hpp"
#include "kez/dstruct.hpp"
#include "kez/platform/textfile.hpp"
#include "platform/fsinternal.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define KEZ_CHECKSUM_X86 1
#endif

namespace kez {
namespace detail {

const ChecksumCpu& ChecksumCpuFeatures() {
  static const ChecksumCpu cpu = [] {
    ChecksumCpu c;
#ifdef KEZ_CHECKSUM_X86
    unsigned a = 0, b = 0, cx = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &cx, &d) == 0) return c;
    const bool ssse3 = (cx & bit_SSSE3) != 0;
    const bool sse41 = (cx & bit_SSE4_1) != 0;
    c.Clmul = sse41 && (cx & bit_PCLMUL) != 0;
    // The 256-bit registers are usable only when the OS saves them (OSXSAVE, XCR0 bits 1-2),
    // the 512-bit ones when it also saves the mask and upper registers (XCR0 bits 5-7).
    bool ymm = false, zmm = false;
    if ((cx & bit_OSXSAVE) != 0 && (cx & bit_AVX) != 0) {
      unsigned lo = 0, hi = 0;
      __asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
      ymm = (lo & 6u) == 6u;
      zmm = (lo & 0xE6u) == 0xE6u;
    }
    unsigned b7 = 0, c7 = 0, d7 = 0, a7 = 0;
    if (__get_cpuid_count(7, 0, &a7, &b7, &c7, &d7) != 0) {
      c.VClmul = c.Clmul && ymm && (b7 & bit_AVX2) != 0 && (c7 & bit_VPCLMULQDQ) != 0;
      c.VClmul512 = c.VClmul && zmm && (b7 & bit_AVX512F) != 0;
      c.ShaNi = ssse3 && sse41 && (b7 & bit_SHA) != 0;
    }
#endif
    return c;
  }();
  return cpu;
}

namespace {

using Crc32Fn = std::uint32_t (*)(std::uint32_t, const std::uint8_t*, std::size_t);

// The chosen kernel, null until the first call (and after a change of the cap).
constinit std::atomic<Crc32Fn> Crc32Chosen{nullptr};

ChecksumPath Crc32Best() {
  const ChecksumCpu& cpu = ChecksumCpuFeatures();
  const ChecksumPath best = cpu.VClmul512 ? cpAVX512
                           : cpu.VClmul  ? cpAVX2
                           : cpu.Clmul   ? cpSSE
                                         : cpPortable;
  return std::min(best, static_cast<ChecksumPath>(ChecksumPathCap.load()));
}

Crc32Fn Crc32Kernel() {
  Crc32Fn f = Crc32Chosen.load(std::memory_order_relaxed);
  if (f == nullptr) {
    switch (Crc32Best()) {
      case cpAVX512:
        f = &Crc32VClmul512;
        break;
      case cpAVX2:
        f = &Crc32VClmul;
        break;
      case cpSSE:
        f = &Crc32Clmul;
        break;
      default:
        f = &Crc32Portable;
        break;
    }
    Crc32Chosen.store(f, std::memory_order_relaxed);
  }
  return f;
}

// Slicing tables: entry [k][i] is the register after byte i followed by k zero bytes, so
// eight bytes fold into the register with eight independent look-ups.
constexpr auto Crc32Slices = [] {
  std::array<std::array<std::uint32_t, 256>, 8> t{};
  t[0] = CRC32Table;
  for (int k = 1; k < 8; ++k)
    for (int i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ CRC32Table[t[k - 1][i] & 0xFFu];
  return t;
}();

constexpr auto Crc16Slices = [] {
  std::array<std::array<std::uint16_t, 256>, 8> t{};
  t[0] = CRC16Table;
  for (int k = 1; k < 8; ++k)
    for (int i = 0; i < 256; ++i) t[k][i] = CalcNextCRC16(0, t[k - 1][i]);
  return t;
}();

// The number of bytes a (buffer, NumBytes) pair stands for: none for NumBytes <= 0, never
// more than the buffer holds.
std::size_t ClampedCount(std::span<const std::uint8_t> Buffer, std::int32_t NumBytes) {
  if (NumBytes <= 0) return 0;
  return std::min(Buffer.size(), static_cast<std::size_t>(NumBytes));
}

}  // namespace

std::uint32_t Crc32Portable(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  const auto& t = Crc32Slices;
  for (; n >= 8; n -= 8, p += 8) {
    const std::uint32_t lo =
        (p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24) ^ crc;
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; n > 0; --n) crc = CalcNextCRC32(*p++, crc);
  return crc;
}

ChecksumPath SetChecksumPathLimit(ChecksumPath Limit) {
  const auto previous = static_cast<ChecksumPath>(ChecksumPathCap.exchange(Limit));
  Crc32Chosen.store(nullptr);
  ResetSha1Kernel();
  return previous;
}

ChecksumPath CRC32Path() {
  const Crc32Fn f = Crc32Kernel();
  return f == &Crc32VClmul512 ? cpAVX512
         : f == &Crc32VClmul  ? cpAVX2
         : f == &Crc32Clmul   ? cpSSE
                              : cpPortable;
}

}  // namespace detail

std::uint16_t CRC16ofBuffer(std::span<const std::uint8_t> Buffer, std::int32_t NumBytes,
                            TCRC16Mode Mode) {
  std::size_t n = detail::ClampedCount(Buffer, NumBytes);
  const std::uint8_t* p = Buffer.data();
  std::uint16_t crc = Mode == crcCCITT ? 0xFFFF : 0;
  const auto& t = detail::Crc16Slices;
  for (; n >= 8; n -= 8, p += 8) {
    crc = t[7][p[0] ^ (crc >> 8)] ^ t[6][p[1] ^ (crc & 0xFF)] ^ t[5][p[2]] ^ t[4][p[3]] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; n > 0; --n) crc = CalcNextCRC16(*p++, crc);
  return crc;
}

std::int32_t CRC32ofBuffer(std::span<const std::uint8_t> Buffer, std::int32_t NumBytes) {
  const std::size_t n = detail::ClampedCount(Buffer, NumBytes);
  return static_cast<std::int32_t>(~detail::Crc32Kernel()(0xFFFFFFFFu, Buffer.data(), n));
}

std::uint32_t ContinueCRC32(std::uint32_t CRC, std::span<const std::uint8_t> Buffer) {
  return ~detail::Crc32Kernel()(~CRC, Buffer.data(), Buffer.size());
}

std::int32_t CalcCRC32ofFile(StringView FileName) {
  try {
    UntypedFile f;
    f.SetErrorMode(iemDeferred);
    f.Assign(FileName);
    {
      // Read-only for this open alone; the process-wide FileMode other threads read stays.
      const detail::ScopedFileMode readOnly(0);
      f.Reset();
    }
    if (f.IOResult() != 0) return 0;
    // Larger blocks than the classic 4096 bytes: fewer reads, and the kernels run at full
    // width on each block.
    std::vector<std::uint8_t> block(std::size_t{1} << 16);
    const auto kernel = detail::Crc32Kernel();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (;;) {
      const std::int64_t got = f.BlockRead(block.data(), static_cast<std::int64_t>(block.size()));
      if (f.IOResult() != 0) return 0;
      if (got <= 0) break;
      crc = kernel(crc, block.data(), static_cast<std::size_t>(got));
    }
    f.Close();
    if (f.IOResult() != 0) return 0;
    return static_cast<std::int32_t>(~crc);
  } catch (...) {
    return 0;
  }
}

}  // namespace kez
