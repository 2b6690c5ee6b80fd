// Internal to the checksum kernels: what the processor offers, read once with CPUID, the
// cap set by SetChecksumPathLimit, and the kernels' entry points.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "kez/dstruct/detail/checksum_paths.hpp"

namespace kez::detail {

struct ChecksumCpu {
  bool Clmul = false;   // PCLMULQDQ with SSE4.1
  bool VClmul = false;  // VPCLMULQDQ on 256-bit registers with AVX2, enabled by the OS
  bool VClmul512 = false;  // VPCLMULQDQ on 512-bit registers with AVX-512F, enabled by the OS
  bool ShaNi = false;   // the SHA-1 instructions with SSSE3 and SSE4.1
};

// The processor's features; probed on first use.
const ChecksumCpu& ChecksumCpuFeatures();

// The cap of SetChecksumPathLimit.
inline constinit std::atomic<std::uint8_t> ChecksumPathCap{cpAVX512};

// CRC-32 kernels: continue the register crc (not complemented) over n bytes at p.
std::uint32_t Crc32Portable(std::uint32_t crc, const std::uint8_t* p, std::size_t n);
std::uint32_t Crc32Clmul(std::uint32_t crc, const std::uint8_t* p, std::size_t n);
std::uint32_t Crc32VClmul(std::uint32_t crc, const std::uint8_t* p, std::size_t n);
std::uint32_t Crc32VClmul512(std::uint32_t crc, const std::uint8_t* p, std::size_t n);

// SHA-1 kernels: compress nblocks 64-byte blocks at p into the chaining words.
void Sha1BlocksPortable(std::uint32_t state[5], const std::uint8_t* p, std::size_t nblocks);
void Sha1BlocksShaNi(std::uint32_t state[5], const std::uint8_t* p, std::size_t nblocks);

// Forget the chosen SHA-1 kernel so the next call chooses again under the new cap.
void ResetSha1Kernel();

}  // namespace kez::detail
