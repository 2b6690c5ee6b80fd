// SHA-1 of texts, streams and files: the hashing context, the portable compression and the
// run-time choice of the SHA-instruction kernel.
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "dstruct/checksum_cpu.hpp"
#include "kez/dstruct.hpp"
#include "kez/platform/exceptions.hpp"

namespace kez {
namespace detail {

namespace {

using Sha1Fn = void (*)(std::uint32_t*, const std::uint8_t*, std::size_t);

constinit std::atomic<Sha1Fn> Sha1Chosen{nullptr};

Sha1Fn Sha1Kernel() {
  Sha1Fn f = Sha1Chosen.load(std::memory_order_relaxed);
  if (f == nullptr) {
    const bool ni = ChecksumCpuFeatures().ShaNi && ChecksumPathCap.load() >= cpSSE;
    f = ni ? &Sha1BlocksShaNi : &Sha1BlocksPortable;
    Sha1Chosen.store(f, std::memory_order_relaxed);
  }
  return f;
}

// Clears memory that held message or state, in a way the compiler may not drop.
void Wipe(void* p, std::size_t n) { explicit_bzero(p, n); }

// The same for a small array of known size: plain stores (no library call) that the
// compiler keeps because the barrier tells it the memory is read afterwards.
template <typename T, std::size_t N>
void WipeArray(T (&a)[N]) {
  std::memset(a, 0, sizeof(a));
  __asm__ __volatile__("" : : "r"(a) : "memory");
}

constexpr std::uint32_t Rol(std::uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

std::uint32_t LoadBE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

void StoreBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

// Copies the leading run of ASCII characters (below 0x80) of s[0, n) as bytes, sixteen at
// a time, and returns how many it copied (a multiple of 16).
std::size_t NarrowAscii(const char16_t* s, std::size_t n, std::uint8_t* out) {
  std::size_t i = 0;
#ifdef __SSE2__
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
    const __m128i over = _mm_and_si128(_mm_or_si128(a, b), high);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(over, _mm_setzero_si128())) != 0xFFFF) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
  }
#else
  (void)s, (void)n, (void)out;
#endif
  return i;
}

// The hashing context: bit length, chaining words and the partly filled block.
class Sha1Context {
 public:
  Sha1Context() : FKernel(Sha1Kernel()) {}
  ~Sha1Context() {
    WipeArray(FH);
    WipeArray(FBlock);
    FBits = 0;
    FFill = 0;
    __asm__ __volatile__("" : : "r"(this) : "memory");
  }
  Sha1Context(const Sha1Context&) = delete;
  Sha1Context& operator=(const Sha1Context&) = delete;

  void Update(const std::uint8_t* p, std::size_t n) {
    if (n == 0) return;
    AddLength(n);
    if (FFill > 0) {
      const std::size_t take = std::min(n, 64 - FFill);
      std::memcpy(FBlock + FFill, p, take);
      FFill += take;
      p += take;
      n -= take;
      if (FFill < 64) return;
      FKernel(FH, FBlock, 1);
      FFill = 0;
    }
    if (n >= 64) {
      FKernel(FH, p, n / 64);
      p += n / 64 * 64;
      n %= 64;
    }
    std::memcpy(FBlock, p, n);
    FFill = n;
  }

  // The last n bytes of the message, in a buffer with room for 73 bytes more: they are
  // padded in place and compressed in one go with the padding block.
  TSHA1Digest FinalWith(std::uint8_t* tail, std::size_t n) {
    if (FFill != 0 || n == 0) {
      Update(tail, n);
      return Final();
    }
    AddLength(n);
    std::size_t total = n + 1;
    tail[n] = 0x80;
    const std::size_t padded = (total + 8 + 63) / 64 * 64;
    // A fixed-size clear (at most 63 zeros are needed) compiles to a few vector stores.
    std::memset(tail + total, 0, 72);
    StoreBE32(tail + padded - 8, static_cast<std::uint32_t>(FBits >> 32));
    StoreBE32(tail + padded - 4, static_cast<std::uint32_t>(FBits));
    FKernel(FH, tail, padded / 64);
    return Digest();
  }

  TSHA1Digest Final() {
    FBlock[FFill++] = 0x80;
    if (FFill > 56) {
      std::memset(FBlock + FFill, 0, 64 - FFill);
      FKernel(FH, FBlock, 1);
      FFill = 0;
    }
    std::memset(FBlock + FFill, 0, 56 - FFill);
    StoreBE32(FBlock + 56, static_cast<std::uint32_t>(FBits >> 32));
    StoreBE32(FBlock + 60, static_cast<std::uint32_t>(FBits));
    FKernel(FH, FBlock, 1);
    return Digest();
  }

 private:
  // Counts n more bytes into the 64-bit bit length.
  void AddLength(std::size_t n) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    if (n > (kMax - FBits) / 8) throw EIntOverflow(u"Arithmetic overflow");
    FBits += static_cast<std::uint64_t>(n) * 8;
  }

  TSHA1Digest Digest() const {
    TSHA1Digest d;
    for (int i = 0; i < 5; ++i) StoreBE32(d.data() + 4 * i, FH[i]);
    return d;
  }

  Sha1Fn FKernel;
  std::uint64_t FBits = 0;
  std::size_t FFill = 0;
  std::uint32_t FH[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::uint8_t FBlock[64];
};

}  // namespace

void Sha1BlocksPortable(std::uint32_t state[5], const std::uint8_t* p, std::size_t nblocks) {
  // A rolling 16-word schedule: word t lives in w[t % 16].
  std::uint32_t w[16];
  for (; nblocks > 0; --nblocks, p += 64) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int t = 0; t < 80; ++t) {
      std::uint32_t wt;
      if (t < 16) {
        wt = w[t] = LoadBE32(p + 4 * t);
      } else {
        wt = w[t & 15] = Rol(w[(t - 3) & 15] ^ w[(t - 8) & 15] ^ w[(t - 14) & 15] ^ w[t & 15], 1);
      }
      std::uint32_t f;
      if (t < 20) {
        f = ((b & c) | (~b & d)) + 0x5A827999u;
      } else if (t < 40) {
        f = (b ^ c ^ d) + 0x6ED9EBA1u;
      } else if (t < 60) {
        f = ((b & c) | (b & d) | (c & d)) + 0x8F1BBCDCu;
      } else {
        f = (b ^ c ^ d) + 0xCA62C1D6u;
      }
      const std::uint32_t tmp = Rol(a, 5) + f + e + wt;
      e = d;
      d = c;
      c = Rol(b, 30);
      b = a;
      a = tmp;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
  }
  Wipe(w, sizeof(w));
}

void ResetSha1Kernel() { Sha1Chosen.store(nullptr); }

ChecksumPath SHA1Path() { return Sha1Kernel() == &Sha1BlocksShaNi ? cpSSE : cpPortable; }

}  // namespace detail

namespace {

// Writes the UTF-8 form of s[0, n) to out (room for 3 * n bytes) and returns its length.
// A surrogate pair gives the four bytes of its code point; an unpaired surrogate gives the
// three bytes of its own value, as any other character from U+0800 on, so that texts that
// differ only there still give different bytes.
std::size_t ToUtf8(const char16_t* s, std::size_t n, std::uint8_t* out) {
  std::size_t o = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t c = s[i];
    if (c < 0x80) {
      out[o++] = static_cast<std::uint8_t>(c);
    } else if (c < 0x800) {
      out[o++] = static_cast<std::uint8_t>(0xC0 | c >> 6);
      out[o++] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    } else if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      const std::uint32_t cp = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00u);
      out[o++] = static_cast<std::uint8_t>(0xF0 | cp >> 18);
      out[o++] = static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F));
      out[o++] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
      out[o++] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
    } else {
      out[o++] = static_cast<std::uint8_t>(0xE0 | c >> 12);
      out[o++] = static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F));
      out[o++] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    }
  }
  return o;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }

}  // namespace

TSHA1Digest SHA1FromString(StringView s) {
  detail::Sha1Context ctx;
  // The text's UTF-8 bytes, converted a chunk at a time (the buffer is not wiped: the
  // caller's text holds the same message). A chunk never ends between the two halves of a
  // surrogate pair. The last chunk is padded in place, hence the room beyond three bytes
  // per character.
  constexpr std::size_t kChunk = 1024;
  std::uint8_t bytes[3 * kChunk + 128];
  for (;;) {
    std::size_t n = std::min(s.size(), kChunk);
    if (n < s.size() && IsHighSurrogate(s[n - 1])) --n;
    std::size_t i = detail::NarrowAscii(s.data(), n, bytes);
    const std::size_t length = i + ToUtf8(s.data() + i, n - i, bytes + i);
    s.remove_prefix(n);
    if (s.empty()) return ctx.FinalWith(bytes, length);
    ctx.Update(bytes, length);
  }
}

TSHA1Digest SHA1FromStream(TStream& stream) {
  detail::Sha1Context ctx;
  // A memory stream is hashed in place; other streams are read in blocks.
  if (auto* mem = dynamic_cast<TMemoryStream*>(&stream)) {
    const std::int64_t pos = mem->Position(), size = mem->Size();
    if (pos < size) {
      ctx.Update(mem->Memory() + pos, static_cast<std::size_t>(size - pos));
      mem->Seek(0, soEnd);
    }
    return ctx.Final();
  }
  // 64 KiB blocks: large enough for a file stream to read straight into them.
  std::vector<std::uint8_t> block(std::size_t{1} << 16);
  for (;;) {
    const std::int64_t got = stream.Read(block.data(), static_cast<std::int64_t>(block.size()));
    if (got <= 0) break;
    ctx.Update(block.data(), static_cast<std::size_t>(got));
  }
  detail::Wipe(block.data(), block.size());
  return ctx.Final();
}

TSHA1Digest SHA1FromFile(StringView FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  return SHA1FromStream(f);
}

String SHA1DigestToHex(const TSHA1Digest& Digest) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  String s(40, u'0');
  for (std::size_t i = 0; i < Digest.size(); ++i) {
    s[2 * i] = kHex[Digest[i] >> 4];
    s[2 * i + 1] = kHex[Digest[i] & 15];
  }
  return s;
}

}  // namespace kez
