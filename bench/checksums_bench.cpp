// Checksums against their peers: zlib's crc32, OpenSSL's SHA-1 and the plain byte-table
// loops, on 64-byte and 1 MiB inputs. Read the results as ratios (the machine is shared).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <openssl/sha.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "filepeers.hpp"
#include "kez/dstruct.hpp"
#include "kez/dstruct/detail/checksum_paths.hpp"

namespace {

std::vector<std::uint8_t> Data(std::size_t n) {
  std::mt19937 gen(42);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(gen());
  return v;
}

constexpr std::size_t kMiB = 1 << 20;

// A 1 MiB file in the temporary folder, removed at exit.
const std::string& DataFile() {
  static const struct File {
    std::string name = "/tmp/kez-checksums-bench-" + std::to_string(::getpid()) + ".bin";
    File() {
      const auto d = Data(kMiB);
      std::FILE* f = std::fopen(name.c_str(), "wb");
      std::fwrite(d.data(), 1, d.size(), f);
      std::fclose(f);
    }
    ~File() { std::remove(name.c_str()); }
  } file;
  return file.name;
}

void SetBytes(benchmark::State& state, std::size_t n) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// CRC-32 ------------------------------------------------------------------------------

void BM_Crc32_Kez(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(kez::CRC32ofBuffer(d, static_cast<std::int32_t>(d.size())));
  SetBytes(state, d.size());
}

void BM_Crc32_KezPortable(benchmark::State& state) {
  const auto previous = kez::detail::SetChecksumPathLimit(kez::detail::cpPortable);
  BM_Crc32_Kez(state);
  kez::detail::SetChecksumPathLimit(previous);
}

void BM_Crc32_KezAVX2(benchmark::State& state) {
  const auto previous = kez::detail::SetChecksumPathLimit(kez::detail::cpAVX2);
  BM_Crc32_Kez(state);
  kez::detail::SetChecksumPathLimit(previous);
}

void BM_Crc32_KezSSE(benchmark::State& state) {
  const auto previous = kez::detail::SetChecksumPathLimit(kez::detail::cpSSE);
  BM_Crc32_Kez(state);
  kez::detail::SetChecksumPathLimit(previous);
}

void BM_Crc32_Zlib(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0, d.data(), static_cast<uInt>(d.size())));
  SetBytes(state, d.size());
}

void BM_Crc32_ByteTable(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t b : d) crc = kez::CalcNextCRC32(b, crc);
    benchmark::DoNotOptimize(~crc);
  }
  SetBytes(state, d.size());
}

BENCHMARK(BM_Crc32_Kez)->Arg(64)->Arg(kMiB);
BENCHMARK(BM_Crc32_KezAVX2)->Arg(kMiB);
BENCHMARK(BM_Crc32_KezSSE)->Arg(64)->Arg(kMiB);
BENCHMARK(BM_Crc32_KezPortable)->Arg(64)->Arg(kMiB);
BENCHMARK(BM_Crc32_Zlib)->Arg(64)->Arg(kMiB);
BENCHMARK(BM_Crc32_ByteTable)->Arg(64)->Arg(kMiB);

// The memory-speed ceiling: copying the same bytes.
void BM_Memcpy(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  std::vector<std::uint8_t> out(d.size());
  for (auto _ : state) {
    std::memcpy(out.data(), d.data(), d.size());
    benchmark::ClobberMemory();
  }
  SetBytes(state, d.size());
}
BENCHMARK(BM_Memcpy)->Arg(kMiB);

// The kernels chosen at run time, named in the report's context.
const char* CrcKernelName(kez::detail::ChecksumPath p) {
  switch (p) {
    case kez::detail::cpSSE: return "PCLMULQDQ (128-bit)";
    case kez::detail::cpAVX2: return "VPCLMULQDQ (256-bit)";
    case kez::detail::cpAVX512: return "VPCLMULQDQ (512-bit)";
    default: return "portable (slicing tables)";
  }
}
const bool kKernelsNamed = [] {
  benchmark::AddCustomContext("crc32_kernel", CrcKernelName(kez::detail::CRC32Path()));
  benchmark::AddCustomContext("sha1_kernel", kez::detail::SHA1Path() == kez::detail::cpPortable
                                                 ? "portable"
                                                 : "SHA-NI");
  return true;
}();

void BM_Crc32File_Kez(benchmark::State& state) {
  const kez::String name = kez::Utf8ToString(DataFile());
  for (auto _ : state) benchmark::DoNotOptimize(kez::CalcCRC32ofFile(name));
  SetBytes(state, kMiB);
}

// The peer: read(2) in 64 KiB blocks into zlib's crc32.
void BM_Crc32File_Zlib(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kez::bench::ZlibCrc32OfFile(DataFile().c_str()));
  SetBytes(state, kMiB);
}

BENCHMARK(BM_Crc32File_Kez);
BENCHMARK(BM_Crc32File_Zlib);

// CRC-16 ------------------------------------------------------------------------------

void BM_Crc16_Kez(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(
        kez::CRC16ofBuffer(d, static_cast<std::int32_t>(d.size()), kez::crcCCITT));
  SetBytes(state, d.size());
}

void BM_Crc16_ByteTable(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : d) crc = kez::CalcNextCRC16(b, crc);
    benchmark::DoNotOptimize(crc);
  }
  SetBytes(state, d.size());
}

BENCHMARK(BM_Crc16_Kez)->Arg(64)->Arg(kMiB);
BENCHMARK(BM_Crc16_ByteTable)->Arg(64)->Arg(kMiB);

// SHA-1 -------------------------------------------------------------------------------

void BM_Sha1Stream_Kez(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  kez::TMemoryStream m;
  m.WriteBuffer(d.data(), static_cast<std::int64_t>(d.size()));
  for (auto _ : state) {
    m.SetPosition(0);
    benchmark::DoNotOptimize(kez::SHA1FromStream(m));
  }
  SetBytes(state, d.size());
}

void BM_Sha1Stream_KezPortable(benchmark::State& state) {
  const auto previous = kez::detail::SetChecksumPathLimit(kez::detail::cpPortable);
  BM_Sha1Stream_Kez(state);
  kez::detail::SetChecksumPathLimit(previous);
}

void BM_Sha1_OpenSSL(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  unsigned char md[SHA_DIGEST_LENGTH];
  for (auto _ : state) benchmark::DoNotOptimize(SHA1(d.data(), d.size(), md));
  SetBytes(state, d.size());
}

// OpenSSL's low-level interface (deprecated in OpenSSL 3, still its fastest one-shot).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
void BM_Sha1_OpenSSLLowLevel(benchmark::State& state) {
  const auto d = Data(static_cast<std::size_t>(state.range(0)));
  unsigned char md[SHA_DIGEST_LENGTH];
  for (auto _ : state) {
    SHA_CTX ctx;
    SHA1_Init(&ctx);
    SHA1_Update(&ctx, d.data(), d.size());
    SHA1_Final(md, &ctx);
    benchmark::DoNotOptimize(md);
  }
  SetBytes(state, d.size());
}
#pragma GCC diagnostic pop

void BM_Sha1String_Kez(benchmark::State& state) {
  const kez::String s(static_cast<std::size_t>(state.range(0)), u'k');
  for (auto _ : state) benchmark::DoNotOptimize(kez::SHA1FromString(s));
  SetBytes(state, s.size());
}

// A text with characters of every UTF-8 width: SHA1FromString against the peer's way, the
// text converted to UTF-8 and then hashed by OpenSSL.
kez::String MixedText(std::size_t n) {
  static constexpr char16_t kPieces[] = u"text caf\u00E9 \u4E2D\u6587 \U0001F600 ";
  kez::String s;
  while (s.size() < n) s.append(kPieces, std::size(kPieces) - 1);
  s.resize(n);
  return s;
}

void BM_Sha1StringMixed_Kez(benchmark::State& state) {
  const kez::String s = MixedText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(kez::SHA1FromString(s));
  SetBytes(state, kez::StringToUtf8(s).size());
}

void BM_Sha1StringMixed_Utf8ThenOpenSSL(benchmark::State& state) {
  const kez::String s = MixedText(static_cast<std::size_t>(state.range(0)));
  unsigned char md[SHA_DIGEST_LENGTH];
  for (auto _ : state) {
    const std::string bytes = kez::StringToUtf8(s);
    SHA1(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), md);
    benchmark::DoNotOptimize(md);
  }
  SetBytes(state, kez::StringToUtf8(s).size());
}

BENCHMARK(BM_Sha1StringMixed_Kez)->Arg(kMiB);
BENCHMARK(BM_Sha1StringMixed_Utf8ThenOpenSSL)->Arg(kMiB);

BENCHMARK(BM_Sha1Stream_Kez)->Arg(64)->Arg(kMiB);
BENCHMARK(BM_Sha1Stream_KezPortable)->Arg(kMiB);
BENCHMARK(BM_Sha1String_Kez)->Arg(64);
BENCHMARK(BM_Sha1_OpenSSL)->Arg(64)->Arg(kMiB);
BENCHMARK(BM_Sha1_OpenSSLLowLevel)->Arg(64)->Arg(kMiB);

void BM_Sha1File_Kez(benchmark::State& state) {
  const kez::String name = kez::Utf8ToString(DataFile());
  for (auto _ : state) benchmark::DoNotOptimize(kez::SHA1FromFile(name));
  SetBytes(state, kMiB);
}

void BM_Sha1File_OpenSSL(benchmark::State& state) {
  unsigned char md[SHA_DIGEST_LENGTH];
  for (auto _ : state) {
    kez::bench::OpenSslSha1OfFile(DataFile().c_str(), md);
    benchmark::DoNotOptimize(md);
  }
  SetBytes(state, kMiB);
}

BENCHMARK(BM_Sha1File_Kez);
BENCHMARK(BM_Sha1File_OpenSSL);

// ASCII85 -----------------------------------------------------------------------------

void BM_ASCII85_Encode(benchmark::State& state) {
  const auto d = Data(kMiB);
  kez::TMemoryStream in, out;
  in.WriteBuffer(d.data(), static_cast<std::int64_t>(d.size()));
  for (auto _ : state) {
    in.SetPosition(0);
    out.SetPosition(0);
    kez::EncodeASCII85(in, out);
  }
  SetBytes(state, kMiB);
}

void BM_ASCII85_Decode(benchmark::State& state) {
  const auto d = Data(kMiB);
  kez::TMemoryStream in, text, out;
  in.WriteBuffer(d.data(), static_cast<std::int64_t>(d.size()));
  in.SetPosition(0);
  kez::EncodeASCII85(in, text);
  for (auto _ : state) {
    text.SetPosition(0);
    out.SetPosition(0);
    benchmark::DoNotOptimize(kez::DecodeASCII85(text, out));
  }
  SetBytes(state, kMiB);
}

BENCHMARK(BM_ASCII85_Encode);
BENCHMARK(BM_ASCII85_Decode);

}  // namespace
