// Counting and searching in texts.
#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "stringl/chars_internal.hpp"

namespace kez {

namespace detail {

namespace {

// Patterns up to this length are searched by their first and last character: at most this
// many comparisons per text position, and no table to build.
constexpr std::size_t kShortPattern = 8;

// ScanForText looks at this many starts one by one before it turns to vectors.
constexpr std::size_t kNearScan = 4;

// A short pattern as the scans compare it. With FoldText the text's ASCII capitals count
// as their small letters; a text character c then equals a pattern character p when
// (c | bit) == p, bit being 0x20 for a small letter p (it lets "A" pass for "a") and 0 for
// any other p.
struct Probe {
  Probe(StringView Pattern, bool FoldText)
      : Chars(Pattern.data()),
        M(Pattern.size()),
        Fold(FoldText),
        First(Pattern.front()),
        Last(Pattern.back()),
        FirstBit(CaseBit(First, FoldText)),
        LastBit(CaseBit(Last, FoldText)) {}

  static char16_t CaseBit(char16_t Ch, bool Fold) {
    return Fold && Ch >= u'a' && Ch <= u'z' ? char16_t{0x20} : char16_t{0};
  }

  // The middle of a candidate whose first and last characters agree.
  bool MiddleEqual(const char16_t* At) const {
    if (M <= 2) return true;
    if (!Fold) return std::memcmp(At + 1, Chars + 1, (M - 2) * sizeof(char16_t)) == 0;
    for (std::size_t j = 1; j + 1 < M; ++j) {
      if (FoldASCII(At[j]) != Chars[j]) return false;
    }
    return true;
  }

  bool At(const char16_t* Text) const {
    return (Text[0] | FirstBit) == First && (Text[M - 1] | LastBit) == Last && MiddleEqual(Text);
  }

  const char16_t* Chars;
  std::size_t M;
  bool Fold;
  char16_t First, Last, FirstBit, LastBit;
};

// The first start i in [From, N - M] where Text holds the pattern (M <= N - From), or npos:
// candidates are the positions whose first and last characters agree with the pattern's,
// so a pattern whose first character is common but whose last is not still skips fast.
std::size_t ScanPortable(const char16_t* Text, std::size_t N, std::size_t From, const Probe& P) {
  for (std::size_t i = From; i + P.M <= N; ++i) {
    if (P.At(Text + i)) return i;
  }
  return StringView::npos;
}

#if defined(__x86_64__)
#define KEZ_SCAN_AVX2 __attribute__((target("avx2")))

// Per character of the 16 at Block: all ones where (character | Bit) equals Ch (Bit is
// only used when folding).
template <bool Fold>
KEZ_SCAN_AVX2 inline __m256i Equal16(const char16_t* Block, __m256i Ch, __m256i Bit) {
  const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Block));
  return _mm256_cmpeq_epi16(Fold ? _mm256_or_si256(x, Bit) : x, Ch);
}

struct Probe256 {
  KEZ_SCAN_AVX2 explicit Probe256(const Probe& P)
      : First(_mm256_set1_epi16(static_cast<short>(P.First))),
        Last(_mm256_set1_epi16(static_cast<short>(P.Last))),
        FirstBit(_mm256_set1_epi16(static_cast<short>(P.FirstBit))),
        LastBit(_mm256_set1_epi16(static_cast<short>(P.LastBit))) {}
  __m256i First, Last, FirstBit, LastBit;
};

// The first start among the 16 at Text + I where the pattern lies, or npos.
template <bool Fold>
KEZ_SCAN_AVX2 inline std::size_t CheckBlock(const char16_t* Text, std::size_t I, const Probe& P,
                                            const Probe256& V) {
  const __m256i hits = _mm256_and_si256(Equal16<Fold>(Text + I, V.First, V.FirstBit),
                                        Equal16<Fold>(Text + I + P.M - 1, V.Last, V.LastBit));
  auto mask = static_cast<unsigned>(_mm256_movemask_epi8(hits));  // two bits a character
  while (mask != 0) {
    const auto bit = static_cast<unsigned>(__builtin_ctz(mask));
    if (P.MiddleEqual(Text + I + bit / 2)) return I + bit / 2;
    mask &= ~(3U << bit);
  }
  return StringView::npos;
}

// ScanPortable, 16 characters per compare. Blocks of 64 without the pattern's first
// character are passed over at one load per 16 characters, aligned to the cache lines
// (reading the text is what costs); a block that holds it is checked for the last
// character too, 16 at a time.
template <bool Fold>
KEZ_SCAN_AVX2 std::size_t ScanAvx2(const char16_t* Text, std::size_t N, std::size_t From,
                                   const Probe& P) {
  const Probe256 v(P);
  const std::size_t starts = N - P.M + 1;  // the candidate starts are From .. starts - 1
  std::size_t i = From;
  const auto address = reinterpret_cast<std::uintptr_t>(Text + i);
  if (address % 2 == 0 && i + 32 + 64 <= starts) {
    // Two blocks cover the starts up to the next 64-byte boundary.
    for (const std::size_t b : {i, i + 16}) {
      const std::size_t at = CheckBlock<Fold>(Text, b, P, v);
      if (at != StringView::npos) return at;
    }
    i += (64 - address % 64) % 64 / 2;
  }
  while (i + 16 <= starts) {
    if (i + 64 <= starts) {
      const char16_t* t = Text + i;
      const __m256i any =
          _mm256_or_si256(_mm256_or_si256(Equal16<Fold>(t, v.First, v.FirstBit),
                                          Equal16<Fold>(t + 16, v.First, v.FirstBit)),
                          _mm256_or_si256(Equal16<Fold>(t + 32, v.First, v.FirstBit),
                                          Equal16<Fold>(t + 48, v.First, v.FirstBit)));
      if (_mm256_testz_si256(any, any)) {
        i += 64;
        continue;
      }
    }
    const std::size_t blockEnd = std::min(i + 64, starts);
    for (; i + 16 <= blockEnd; i += 16) {
      const std::size_t at = CheckBlock<Fold>(Text, i, P, v);
      if (at != StringView::npos) return at;
    }
  }
  return ScanPortable(Text, N, i, P);
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}
#endif

}  // namespace

std::size_t ScanForText(StringView Text, std::size_t From, StringView Pattern, bool FoldText) {
  const std::size_t m = Pattern.size();
  if (From > Text.size() || m > Text.size() - From) return StringView::npos;
  if (m == 0) return From;
  // A folded text holds no capitals.
  if (FoldText && std::any_of(Pattern.begin(), Pattern.end(),
                              [](char16_t c) { return c >= u'A' && c <= u'Z'; })) {
    return StringView::npos;
  }
  const Probe probe(Pattern, FoldText);
#if defined(__x86_64__)
  if (HaveAvx2()) {
    // Close candidates (a common first character) are cheaper to find one by one.
    const std::size_t near = std::min(Text.size(), From + m - 1 + kNearScan);
    const std::size_t at = ScanPortable(Text.data(), near, From, probe);
    if (at != StringView::npos || near == Text.size()) return at;
    return FoldText ? ScanAvx2<true>(Text.data(), Text.size(), near - m + 1, probe)
                    : ScanAvx2<false>(Text.data(), Text.size(), near - m + 1, probe);
  }
#endif
  return ScanPortable(Text.data(), Text.size(), From, probe);
}

SubstringFinder::SubstringFinder(StringView Pattern, bool FoldText)
    : FPattern(Pattern), FFoldText(FoldText) {
  if (Pattern.size() <= kShortPattern) return;
  FBorder.assign(Pattern.size(), 0);
  std::uint32_t k = 0;
  for (std::size_t i = 1; i < Pattern.size(); ++i) {
    while (k > 0 && Pattern[i] != Pattern[k]) k = FBorder[k - 1];
    if (Pattern[i] == Pattern[k]) ++k;
    FBorder[i] = k;
  }
}

std::size_t SubstringFinder::Find(StringView Text, std::size_t From) const {
  const std::size_t m = FPattern.size();
  if (From > Text.size() || m > Text.size() - From) return StringView::npos;
  if (FBorder.empty()) return ScanForText(Text, From, FPattern, FFoldText);
  std::size_t i = From;
  std::size_t j = 0;  // characters of the pattern matched in front of i
  while (Text.size() - i >= m - j) {
    if (j == 0) {
      i = ScanForText(Text, i, FPattern.substr(0, 1), FFoldText);
      if (i == StringView::npos || Text.size() - i < m) return StringView::npos;
    }
    if ((FFoldText ? FoldASCII(Text[i]) : Text[i]) == FPattern[j]) {
      ++i;
      if (++j == m) return i - m;
    } else if (j > 0) {
      j = FBorder[j - 1];
    } else {
      ++i;
    }
  }
  return StringView::npos;
}

std::int32_t ToPosition(std::size_t Index) {
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  return Index >= kMax ? std::numeric_limits<std::int32_t>::max()
                       : static_cast<std::int32_t>(Index + 1);
}

}  // namespace detail

using detail::CountUp;

std::int32_t CountCharInString(char16_t Ch, StringView Text, bool CaseSensitive) {
  const char16_t wanted = CaseSensitive ? Ch : detail::FoldASCII(Ch);
  std::int32_t n = 0;
  for (char16_t c : Text) {
    if ((CaseSensitive ? c : detail::FoldASCII(c)) == wanted) CountUp(n);
  }
  return n;
}

std::int32_t CountStringInString(StringView SubStr, StringView Text, bool CaseSensitive) {
  if (SubStr.empty()) return 0;
  // Case is ignored by searching the folded copies; folding keeps every position.
  const String foldedText = CaseSensitive ? String() : LowerCase(Text);
  const String foldedSub = CaseSensitive ? String() : LowerCase(SubStr);
  const StringView text = CaseSensitive ? Text : StringView(foldedText);
  const detail::SubstringFinder finder(CaseSensitive ? SubStr : StringView(foldedSub));
  std::int32_t n = 0;
  for (std::size_t at = finder.Find(text, 0); at != StringView::npos;
       at = finder.Find(text, at + SubStr.size())) {
    CountUp(n);
  }
  return n;
}

std::int32_t PosLast(StringView SubStr, StringView Text) {
  if (SubStr.empty()) return 0;
  const detail::SubstringFinder finder(SubStr);
  std::size_t last = StringView::npos;
  for (std::size_t at = finder.Find(Text, 0); at != StringView::npos;
       at = finder.Find(Text, at + SubStr.size())) {
    last = at;
  }
  return last == StringView::npos ? 0 : detail::ToPosition(last);
}

}  // namespace kez
