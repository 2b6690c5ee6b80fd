// Internal to the CRC-32 kernels: the folding constants and the 128-bit folding steps that
// the PCLMULQDQ and VPCLMULQDQ kernels share.
//
// Folding: a 128-bit chunk that lies D bits before a later chunk is multiplied, half by
// half, by x^(D+32) and x^(D-32) modulo the polynomial (in the bit-reflected form the
// carry-less multiply needs) and added to the later chunk. This keeps the CRC unchanged
// while the message shrinks by 128 bits per step; a Barrett reduction ends it.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace kez::detail::crc32fold {

// reflect32(x^n mod P) << 1, with P = 0x104C11DB7.
constexpr std::uint64_t FoldConstant(int n) {
  std::uint64_t r = 1;
  for (int i = 0; i < n; ++i) {
    r <<= 1;
    if (r & 0x100000000ull) r ^= 0x104C11DB7ull;
  }
  std::uint64_t rev = 0;
  for (int i = 0; i < 32; ++i) rev |= ((r >> i) & 1u) << (31 - i);
  return rev << 1;
}

// Constants for the low and high 64-bit halves of a chunk folded D bits forward.
constexpr std::uint64_t FoldLo(int D) { return FoldConstant(D + 32); }
constexpr std::uint64_t FoldHi(int D) { return FoldConstant(D - 32); }

static_assert(FoldLo(512) == 0x154442bd4 && FoldHi(512) == 0x1c6e41596);
static_assert(FoldLo(128) == 0x1751997d0 && FoldHi(128) == 0x0ccaa009e);
static_assert(FoldConstant(64) == 0x163cd6124);

// Barrett reduction: floor(x^64 / P) and P, both bit-reflected (33 bits).
inline constexpr std::uint64_t BarrettMu = 0x1F7011641;
inline constexpr std::uint64_t BarrettPoly = 0x1DB710641;

#define KEZ_CRC_SSE_TARGET __attribute__((target("pclmul,sse4.1"), always_inline)) inline

// The constants are evaluated at compile time: computing x^n mod P takes n steps.
template <int D>
KEZ_CRC_SSE_TARGET __m128i Constants128() {
  constexpr auto lo = static_cast<long long>(FoldLo(D));
  constexpr auto hi = static_cast<long long>(FoldHi(D));
  return _mm_set_epi64x(hi, lo);
}

KEZ_CRC_SSE_TARGET __m128i Load128(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Folds x forward onto the chunk `next` with the constants k of its distance.
KEZ_CRC_SSE_TARGET __m128i Fold128(__m128i x, __m128i k, __m128i next) {
  const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

// Folds x over the remaining 16-byte chunks, reduces it to the 32-bit register and runs
// the table code over the last n % 16 bytes.
KEZ_CRC_SSE_TARGET std::uint32_t Finish128(__m128i x, const std::uint8_t* p, std::size_t n,
                                           std::uint32_t (*tail)(std::uint32_t, const std::uint8_t*,
                                                                 std::size_t)) {
  const __m128i k = Constants128<128>();
  for (; n >= 16; n -= 16, p += 16) x = Fold128(x, k, Load128(p));
  // 128 -> 96 bits: the low half times x^(128-32) onto the high half.
  x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, k, 0x10));
  // 96 -> 64 bits.
  const __m128i mask32 = _mm_setr_epi32(-1, 0, 0, 0);
  constexpr auto r64 = static_cast<long long>(FoldConstant(64));
  const __m128i k64 = _mm_set_epi64x(0, r64);
  x = _mm_xor_si128(_mm_srli_si128(x, 4),
                    _mm_clmulepi64_si128(_mm_and_si128(x, mask32), k64, 0x00));
  // Barrett: 64 -> 32 bits.
  const __m128i mu =
      _mm_set_epi64x(static_cast<long long>(BarrettMu), static_cast<long long>(BarrettPoly));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, mask32), mu, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), mu, 0x00);
  const auto crc = static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, t), 1));
  return n == 0 ? crc : tail(crc, p, n);
}

}  // namespace kez::detail::crc32fold
