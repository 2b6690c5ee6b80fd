// CRC-32 with 128-bit carry-less multiply (PCLMULQDQ): four chunks of 16 bytes in flight,
// 64 bytes per step. Compiled for that instruction set function by function, so the rest of
// the library runs on any x86-64; chosen at run time only where the processor has it.
#include "dstruct/checksum_cpu.hpp"

#if defined(__x86_64__)
#include "dstruct/crc32_fold.hpp"

namespace kez::detail {

__attribute__((target("pclmul,sse4.1"))) std::uint32_t Crc32Clmul(std::uint32_t crc,
                                                                  const std::uint8_t* p,
                                                                  std::size_t n) {
  using namespace crc32fold;
  if (n < 16) return Crc32Portable(crc, p, n);
  __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  p += 16;
  n -= 16;
  if (n >= 48) {
    __m128i x1 = Load128(p), x2 = Load128(p + 16), x3 = Load128(p + 32);
    p += 48;
    n -= 48;
    const __m128i k512 = Constants128<512>();
    for (; n >= 64; n -= 64, p += 64) {
      x0 = Fold128(x0, k512, Load128(p));
      x1 = Fold128(x1, k512, Load128(p + 16));
      x2 = Fold128(x2, k512, Load128(p + 32));
      x3 = Fold128(x3, k512, Load128(p + 48));
    }
    // Four chunks to one: the first two onto the last two, then those together.
    const __m128i k256 = Constants128<256>();
    x2 = Fold128(x0, k256, x2);
    x3 = Fold128(x1, k256, x3);
    x0 = Fold128(x2, Constants128<128>(), x3);
  }
  return Finish128(x0, p, n, &Crc32Portable);
}

}  // namespace kez::detail

#else

namespace kez::detail {
std::uint32_t Crc32Clmul(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  return Crc32Portable(crc, p, n);
}
}  // namespace kez::detail

#endif
