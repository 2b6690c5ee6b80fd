// CRC-32 with 256-bit carry-less multiply (VPCLMULQDQ on AVX2 registers): eight chunks of
// 16 bytes in flight, 128 bytes per step. Short inputs go to the 128-bit kernel.
#include "dstruct/checksum_cpu.hpp"

#if defined(__x86_64__)
#include "dstruct/crc32_fold.hpp"

namespace kez::detail {

namespace {

#define KEZ_CRC_AVX2_TARGET \
  __attribute__((target("vpclmulqdq,avx2,pclmul,sse4.1"), always_inline)) inline

template <int D>
KEZ_CRC_AVX2_TARGET __m256i Constants256() {
  constexpr auto lo = static_cast<long long>(crc32fold::FoldLo(D));
  constexpr auto hi = static_cast<long long>(crc32fold::FoldHi(D));
  return _mm256_set_epi64x(hi, lo, hi, lo);
}

KEZ_CRC_AVX2_TARGET __m256i Load256(const std::uint8_t* q) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
}

KEZ_CRC_AVX2_TARGET __m256i Fold256(__m256i x, __m256i k, __m256i next) {
  const __m256i lo = _mm256_clmulepi64_epi128(x, k, 0x00);
  const __m256i hi = _mm256_clmulepi64_epi128(x, k, 0x11);
  return _mm256_xor_si256(_mm256_xor_si256(lo, hi), next);
}

}  // namespace

__attribute__((target("vpclmulqdq,avx2,pclmul,sse4.1"))) std::uint32_t Crc32VClmul(
    std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  using namespace crc32fold;
  if (n < 256) return Crc32Clmul(crc, p, n);
  __m256i y0 = _mm256_xor_si256(Load256(p),
                                _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(crc))));
  __m256i y1 = Load256(p + 32), y2 = Load256(p + 64), y3 = Load256(p + 96);
  p += 128;
  n -= 128;
  const __m256i k1024 = Constants256<1024>();
  for (; n >= 128; n -= 128, p += 128) {
    y0 = Fold256(y0, k1024, Load256(p));
    y1 = Fold256(y1, k1024, Load256(p + 32));
    y2 = Fold256(y2, k1024, Load256(p + 64));
    y3 = Fold256(y3, k1024, Load256(p + 96));
  }
  const __m256i k512 = Constants256<512>();
  y2 = Fold256(y0, k512, y2);
  y3 = Fold256(y1, k512, y3);
  y0 = Fold256(y2, Constants256<256>(), y3);
  // The low 128-bit lane lies 128 bits before the high one.
  const __m128i x =
      Fold128(_mm256_castsi256_si128(y0), Constants128<128>(), _mm256_extracti128_si256(y0, 1));
  return Finish128(x, p, n, &Crc32Portable);
}

}  // namespace kez::detail

#else

namespace kez::detail {
std::uint32_t Crc32VClmul(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  return Crc32Portable(crc, p, n);
}
}  // namespace kez::detail

#endif
