// Checksums of a 1 GiB file: CalcCRC32ofFile and SHA1FromFile against their bound, reading
// the whole file with read(2) into a buffer and then running the library's in-memory
// checksum on it, and against what a user would write with zlib and OpenSSL (read(2) in
// 64 KiB blocks into crc32 / SHA1_Update). The file is written once and so sits in the page
// cache: every side measures a warm read.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <openssl/sha.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "filepeers.hpp"
#include "kez/dstruct.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/sysutils.hpp"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kSize = std::int64_t{1} << 30;

// The 1 GiB file in a folder of its own under the temporary folder, removed at exit.
struct BigFile {
  fs::path Dir;
  fs::path Name;
  BigFile() {
    Dir = fs::temp_directory_path() / ("kez_filechecksums_bench_" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    Name = Dir / "big.bin";
    std::vector<std::uint8_t> block(1 << 20);
    std::uint32_t seed = 1;
    std::FILE* f = std::fopen(Name.c_str(), "wb");
    for (std::int64_t done = 0; done < kSize; done += static_cast<std::int64_t>(block.size())) {
      for (auto& b : block) b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
      std::fwrite(block.data(), 1, block.size(), f);
    }
    std::fclose(f);
  }
  ~BigFile() {
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
};

const BigFile& File() {
  static const auto file = std::make_unique<BigFile>();
  return *file;
}

// Reads the whole file into Buffer (which holds kSize bytes); the byte count read.
std::int64_t ReadWhole(std::uint8_t* Buffer) {
  const int fd = ::open(File().Name.c_str(), O_RDONLY);
  std::int64_t done = 0;
  for (ssize_t got; done < kSize && (got = ::read(fd, Buffer + done, kSize - done)) > 0;)
    done += got;
  ::close(fd);
  return done;
}

void SetBytes(benchmark::State& State) { State.SetBytesProcessed(State.iterations() * kSize); }

void BM_Crc32BigFile_Kez(benchmark::State& State) {
  const kez::String name = kez::Utf8ToString(File().Name.string());
  for (auto _ : State) benchmark::DoNotOptimize(kez::CalcCRC32ofFile(name));
  SetBytes(State);
}
BENCHMARK(BM_Crc32BigFile_Kez)->Unit(benchmark::kMillisecond);

void BM_Crc32BigFile_ReadThenKez(benchmark::State& State) {
  File();
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kSize));
  for (auto _ : State) {
    const std::int64_t n = ReadWhole(buffer.data());
    benchmark::DoNotOptimize(kez::CRC32ofBuffer(buffer, static_cast<std::int32_t>(n)));
  }
  SetBytes(State);
}
BENCHMARK(BM_Crc32BigFile_ReadThenKez)->Unit(benchmark::kMillisecond);

// The read loop of `kez crc32`: stdio reads of 256 KiB blocks, each continuing the CRC-32
// with ContinueCRC32.
void BM_Crc32BigFile_ToolLoop(benchmark::State& State) {
  constexpr std::size_t kBlock = std::size_t{1} << 18;
  const auto block = std::make_unique<std::uint8_t[]>(kBlock);
  for (auto _ : State) {
    std::FILE* f = std::fopen(File().Name.c_str(), "rb");
    std::uint32_t crc = 0;
    while (const std::size_t got = std::fread(block.get(), 1, kBlock, f)) {
      crc = kez::ContinueCRC32(crc, std::span<const std::uint8_t>(block.get(), got));
    }
    std::fclose(f);
    benchmark::DoNotOptimize(crc);
  }
  SetBytes(State);
}
BENCHMARK(BM_Crc32BigFile_ToolLoop)->Unit(benchmark::kMillisecond);

void BM_Crc32BigFile_Zlib(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(kez::bench::ZlibCrc32OfFile(File().Name.c_str()));
  SetBytes(State);
}
BENCHMARK(BM_Crc32BigFile_Zlib)->Unit(benchmark::kMillisecond);

void BM_Sha1BigFile_Kez(benchmark::State& State) {
  const kez::String name = kez::Utf8ToString(File().Name.string());
  for (auto _ : State) benchmark::DoNotOptimize(kez::SHA1FromFile(name));
  SetBytes(State);
}
BENCHMARK(BM_Sha1BigFile_Kez)->Unit(benchmark::kMillisecond);

// The memory stream is hashed in place, so this is read(2) plus the in-memory SHA-1.
void BM_Sha1BigFile_ReadThenKez(benchmark::State& State) {
  File();
  kez::TMemoryStream memory;
  memory.SetSize(kSize);
  for (auto _ : State) {
    ReadWhole(memory.Memory());
    memory.SetPosition(0);
    benchmark::DoNotOptimize(kez::SHA1FromStream(memory));
  }
  SetBytes(State);
}
BENCHMARK(BM_Sha1BigFile_ReadThenKez)->Unit(benchmark::kMillisecond);

void BM_Sha1BigFile_OpenSSL(benchmark::State& State) {
  unsigned char md[SHA_DIGEST_LENGTH];
  for (auto _ : State) {
    kez::bench::OpenSslSha1OfFile(File().Name.c_str(), md);
    benchmark::DoNotOptimize(md);
  }
  SetBytes(State);
}
BENCHMARK(BM_Sha1BigFile_OpenSSL)->Unit(benchmark::kMillisecond);

}  // namespace
