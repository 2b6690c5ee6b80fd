// CRC-32 with 512-bit carry-less multiply (VPCLMULQDQ on AVX-512 registers): sixteen chunks
// of 16 bytes in flight, 256 bytes per step. Inputs under 1 KiB go to the 256-bit kernel,
// whose set-up is cheaper.
#include "dstruct/checksum_cpu.hpp"

#if defined(__x86_64__)
#include "dstruct/crc32_fold.hpp"

namespace kez::detail {

namespace {

#define KEZ_CRC_AVX512_TARGET \
  __attribute__((target("vpclmulqdq,avx512f,avx2,pclmul,sse4.1"), always_inline)) inline

template <int D>
KEZ_CRC_AVX512_TARGET __m512i Constants512() {
  constexpr auto lo = static_cast<long long>(crc32fold::FoldLo(D));
  constexpr auto hi = static_cast<long long>(crc32fold::FoldHi(D));
  return _mm512_set_epi64(hi, lo, hi, lo, hi, lo, hi, lo);
}

KEZ_CRC_AVX512_TARGET __m512i Load512(const std::uint8_t* q) { return _mm512_loadu_si512(q); }

KEZ_CRC_AVX512_TARGET __m512i Fold512(__m512i x, __m512i k, __m512i next) {
  const __m512i lo = _mm512_clmulepi64_epi128(x, k, 0x00);
  const __m512i hi = _mm512_clmulepi64_epi128(x, k, 0x11);
  return _mm512_ternarylogic_epi64(lo, hi, next, 0x96);  // lo ^ hi ^ next
}

}  // namespace

__attribute__((target("vpclmulqdq,avx512f,avx2,pclmul,sse4.1"))) std::uint32_t Crc32VClmul512(
    std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  using namespace crc32fold;
  if (n < 1024) return Crc32VClmul(crc, p, n);
  __m512i z0 = _mm512_xor_si512(Load512(p),
                                _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc))));
  __m512i z1 = Load512(p + 64), z2 = Load512(p + 128), z3 = Load512(p + 192);
  p += 256;
  n -= 256;
  const __m512i k2048 = Constants512<2048>();
  for (; n >= 256; n -= 256, p += 256) {
    z0 = Fold512(z0, k2048, Load512(p));
    z1 = Fold512(z1, k2048, Load512(p + 64));
    z2 = Fold512(z2, k2048, Load512(p + 128));
    z3 = Fold512(z3, k2048, Load512(p + 192));
  }
  const __m512i k1024 = Constants512<1024>();
  z2 = Fold512(z0, k1024, z2);
  z3 = Fold512(z1, k1024, z3);
  z3 = Fold512(z2, Constants512<512>(), z3);
  // The four 128-bit lanes, lowest first, lie 384, 256 and 128 bits before the last one.
  // (Through memory: this compiler's lane extracts trip its uninitialised-value warning.)
  alignas(64) __m128i lane[4];
  _mm512_store_si512(lane, z3);
  __m128i x = Fold128(lane[2], Constants128<128>(), lane[3]);
  x = Fold128(lane[1], Constants128<256>(), x);
  x = Fold128(lane[0], Constants128<384>(), x);
  return Finish128(x, p, n, &Crc32Portable);
}

}  // namespace kez::detail

#else

namespace kez::detail {
std::uint32_t Crc32VClmul512(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  return Crc32Portable(crc, p, n);
}
}  // namespace kez::detail

#endif
