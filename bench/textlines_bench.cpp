// Counting the lines of a 100 MB text file, and reading its last 20 lines: the library's
// CountLinesInTextFile and ReadLastNLinesOfTextFile against counting line feeds in blocks
// read with std::fread (what wc -l does).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kez/filesys/textfiles.hpp"

namespace {

namespace fs = std::filesystem;

// About 100 MB of CR LF lines of 0 to 119 characters, removed at exit.
struct TextFileOnDisk {
  fs::path Name;
  std::int64_t Size = 0;
  TextFileOnDisk() {
    Name = fs::temp_directory_path() / ("kez_lines_bench_" + std::to_string(::getpid()) + ".txt");
    std::ofstream out(Name, std::ios::binary);
    std::string line;
    std::uint32_t seed = 12345;
    while (Size < 100'000'000) {
      seed = seed * 134775813u + 1;
      line.assign((seed >> 16) % 120, 'x');
      line += "\r\n";
      out.write(line.data(), static_cast<std::streamsize>(line.size()));
      Size += static_cast<std::int64_t>(line.size());
    }
  }
  ~TextFileOnDisk() {
    std::error_code ec;
    fs::remove(Name, ec);
  }
};

const TextFileOnDisk& File() {
  static const auto file = std::make_unique<TextFileOnDisk>();
  return *file;
}

void BM_CountLinesInTextFile(benchmark::State& State) {
  const kez::String name = kez::Utf8ToString(File().Name.string());
  for (auto _ : State) benchmark::DoNotOptimize(kez::CountLinesInTextFile(name, nullptr));
  State.SetBytesProcessed(State.iterations() * File().Size);
}
BENCHMARK(BM_CountLinesInTextFile)->Unit(benchmark::kMillisecond);

void BM_ReadLastNLinesOfTextFile(benchmark::State& State) {
  const kez::String name = kez::Utf8ToString(File().Name.string());
  std::int32_t count = 0;
  for (auto _ : State) {
    benchmark::DoNotOptimize(kez::ReadLastNLinesOfTextFile(name, 20, count).data());
  }
  State.SetBytesProcessed(State.iterations() * File().Size);
}
BENCHMARK(BM_ReadLastNLinesOfTextFile)->Unit(benchmark::kMillisecond);

void BM_FreadCountLineFeeds(benchmark::State& State) {
  std::vector<char> buf(1 << 16);
  for (auto _ : State) {
    std::FILE* f = std::fopen(File().Name.c_str(), "rb");
    std::int64_t lines = 0;
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
      for (const char *p = buf.data(), *end = p + n;
           (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p) {
        ++lines;
      }
    }
    std::fclose(f);
    benchmark::DoNotOptimize(lines);
  }
  State.SetBytesProcessed(State.iterations() * File().Size);
}
BENCHMARK(BM_FreadCountLineFeeds)->Unit(benchmark::kMillisecond);

}  // namespace
