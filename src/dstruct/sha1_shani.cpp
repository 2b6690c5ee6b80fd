// SHA-1 compression with the processor's SHA instructions (SHA1RNDS4, SHA1NEXTE,
// SHA1MSG1, SHA1MSG2): four rounds per instruction, the message schedule computed four
// words at a time beside them. Compiled for that instruction set function by function and
// chosen at run time only where the processor has it.
#include "dstruct/checksum_cpu.hpp"

#if defined(__x86_64__)
#include <immintrin.h>

#include <utility>

namespace kez::detail {

namespace {

#define KEZ_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1"), always_inline)) inline

// Group G: rounds 4G..4G+3. w[G % 4] holds schedule words 4G..4G+3 on entry; afterwards
// the slot is refilled with words 4G+16..4G+19, which the group G+4 uses.
template <int G>
KEZ_SHA_TARGET void Rounds(__m128i& abcd, __m128i& e, __m128i& previous, __m128i (&w)[4]) {
  // The E input of four rounds: the rotated A of four rounds ago plus the message words.
  const __m128i ew = G == 0 ? _mm_add_epi32(e, w[0]) : _mm_sha1nexte_epu32(previous, w[G % 4]);
  previous = abcd;
  abcd = _mm_sha1rnds4_epu32(abcd, ew, G / 5);
  if constexpr (G + 4 < 20) {
    const __m128i m = _mm_xor_si128(_mm_sha1msg1_epu32(w[G % 4], w[(G + 1) % 4]), w[(G + 2) % 4]);
    w[G % 4] = _mm_sha1msg2_epu32(m, w[(G + 3) % 4]);
  }
}

template <int... G>
KEZ_SHA_TARGET void AllRounds(__m128i& abcd, __m128i& e, __m128i& previous, __m128i (&w)[4],
                              std::integer_sequence<int, G...>) {
  (Rounds<G>(abcd, e, previous, w), ...);
}

}  // namespace

__attribute__((target("sha,ssse3,sse4.1"))) void Sha1BlocksShaNi(std::uint32_t state[5],
                                                                 const std::uint8_t* p,
                                                                 std::size_t nblocks) {
  const __m128i byteswap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
  // A in the highest lane, D in the lowest; E in the highest lane of its own register.
  __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
  __m128i e = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
  for (; nblocks > 0; --nblocks, p += 64) {
    const __m128i abcdSaved = abcd, eSaved = e;
    __m128i w[4];
    for (int i = 0; i < 4; ++i)
      w[i] =
          _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), byteswap);
    __m128i previous = abcd;
    AllRounds(abcd, e, previous, w, std::make_integer_sequence<int, 20>{});
    e = _mm_sha1nexte_epu32(previous, eSaved);
    abcd = _mm_add_epi32(abcd, abcdSaved);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
  state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e, 3));
}

}  // namespace kez::detail

#else

namespace kez::detail {
void Sha1BlocksShaNi(std::uint32_t state[5], const std::uint8_t* p, std::size_t nblocks) {
  Sha1BlocksPortable(state, p, nblocks);
}
}  // namespace kez::detail

#endif
