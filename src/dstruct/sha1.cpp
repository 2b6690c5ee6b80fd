// SHA-1 of texts, streams and files: the hashing context, the portable compression and the
// run-time choice of the SHA-instruction kernel.
#include <algorithm>
#include <cstring>
#include <limits>

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
void Wipe(void* p, std::size_t n) {
  std::memset(p, 0, n);
  __asm__ __volatile__("" : : "r"(p) : "memory");
}

constexpr std::uint32_t Rol(std::uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

std::uint32_t LoadBE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// The hashing context: bit length, chaining words and the partly filled block.
class Sha1Context {
 public:
  Sha1Context() : FKernel(Sha1Kernel()) {}
  ~Sha1Context() { Wipe(this, sizeof(*this)); }
  Sha1Context(const Sha1Context&) = delete;
  Sha1Context& operator=(const Sha1Context&) = delete;

  void Update(const std::uint8_t* p, std::size_t n) {
    if (n == 0) return;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    if (n > (kMax - FBits) / 8) throw EIntOverflow(u"Arithmetic overflow");
    FBits += static_cast<std::uint64_t>(n) * 8;
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

  TSHA1Digest Final() {
    FBlock[FFill++] = 0x80;
    if (FFill > 56) {
      std::memset(FBlock + FFill, 0, 64 - FFill);
      FKernel(FH, FBlock, 1);
      FFill = 0;
    }
    std::memset(FBlock + FFill, 0, 56 - FFill);
    for (int i = 0; i < 8; ++i) FBlock[56 + i] = static_cast<std::uint8_t>(FBits >> (56 - 8 * i));
    FKernel(FH, FBlock, 1);
    TSHA1Digest d;
    for (int i = 0; i < 20; ++i) d[i] = static_cast<std::uint8_t>(FH[i / 4] >> (24 - 8 * (i % 4)));
    return d;
  }

 private:
  Sha1Fn FKernel;
  std::uint64_t FBits = 0;
  std::size_t FFill = 0;
  std::uint32_t FH[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::uint8_t FBlock[64] = {};
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

TSHA1Digest SHA1FromString(StringView s) {
  detail::Sha1Context ctx;
  // The text's Windows-1252 bytes, converted a block at a time.
  std::uint8_t bytes[1024];
  while (!s.empty()) {
    const std::size_t n = std::min(s.size(), sizeof(bytes));
    for (std::size_t i = 0; i < n; ++i) {
      const char16_t c = s[i];
      bytes[i] = c < 0x80 ? static_cast<std::uint8_t>(c) : CharToAnsiChar(c);
    }
    ctx.Update(bytes, n);
    s.remove_prefix(n);
  }
  detail::Wipe(bytes, sizeof(bytes));
  return ctx.Final();
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
  std::uint8_t block[16384];
  for (;;) {
    const std::int64_t got = stream.Read(block, sizeof(block));
    if (got <= 0) break;
    ctx.Update(block, static_cast<std::size_t>(got));
  }
  detail::Wipe(block, sizeof(block));
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
