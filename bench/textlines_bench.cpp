// Counting the lines of a 200 MB text file, and reading its last 20 lines: the library's
// CountLinesInTextFile and ReadLastNLinesOfTextFile against wc -l (in a child process, so
// these are timed by the wall clock) and against counting line feeds in blocks read with
// std::fread. Then the hostile searches: DetectStringInFile on a 1 MB line of "a" for 4,000
// "a" and a "b", and AbridgeFilePath on a path of 160,000 components.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kez/filesys/paths.hpp"
#include "kez/filesys/textfiles.hpp"

namespace {

namespace fs = std::filesystem;

// About 200 MB of CR LF lines of 0 to 119 characters, removed at exit.
struct TextFileOnDisk {
  fs::path Name;
  std::int64_t Size = 0;
  TextFileOnDisk() {
    Name = fs::temp_directory_path() / ("kez_lines_bench_" + std::to_string(::getpid()) + ".txt");
    std::ofstream out(Name, std::ios::binary);
    std::string line;
    std::uint32_t seed = 12345;
    while (Size < 200'000'000) {
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
BENCHMARK(BM_CountLinesInTextFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadLastNLinesOfTextFile(benchmark::State& State) {
  const kez::String name = kez::Utf8ToString(File().Name.string());
  std::int32_t count = 0;
  for (auto _ : State) {
    benchmark::DoNotOptimize(kez::ReadLastNLinesOfTextFile(name, 20, count).data());
  }
  State.SetBytesProcessed(State.iterations() * File().Size);
}
BENCHMARK(BM_ReadLastNLinesOfTextFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WcL(benchmark::State& State) {
  const std::string command = "wc -l < '" + File().Name.string() + "' > /dev/null";
  for (auto _ : State) {
    if (std::system(command.c_str()) != 0) State.SkipWithError("wc failed");
  }
  State.SetBytesProcessed(State.iterations() * File().Size);
}
BENCHMARK(BM_WcL)->Unit(benchmark::kMillisecond)->UseRealTime();

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
BENCHMARK(BM_FreadCountLineFeeds)->Unit(benchmark::kMillisecond)->UseRealTime();

// One line of 1,000,000 "a" and the search text of 4,000 "a" and a "b", which it lacks.
struct HostileLine {
  fs::path Name;
  std::string Line, Text;
  HostileLine() : Line(1'000'000, 'a'), Text(std::string(4000, 'a') + "b") {
    Name = fs::temp_directory_path() / ("kez_hostile_bench_" + std::to_string(::getpid()));
    std::ofstream(Name, std::ios::binary) << Line << "\r\n";
  }
  ~HostileLine() {
    std::error_code ec;
    fs::remove(Name, ec);
  }
};

const HostileLine& Hostile() {
  static const auto file = std::make_unique<HostileLine>();
  return *file;
}

void BM_DetectStringInFile_Hostile(benchmark::State& State) {
  const kez::String name = kez::Utf8ToString(Hostile().Name.string());
  const kez::String text = kez::Utf8ToString(Hostile().Text);
  for (auto _ : State) {
    benchmark::DoNotOptimize(kez::DetectStringInFile(name, text, false, 2'000'000'000));
  }
}
BENCHMARK(BM_DetectStringInFile_Hostile)->Unit(benchmark::kMillisecond);

// What a user would write: the lines read with std::getline, searched with std::string::find.
void BM_GetlineFind_Hostile(benchmark::State& State) {
  for (auto _ : State) {
    std::ifstream in(Hostile().Name, std::ios::binary);
    std::string line;
    std::size_t at = std::string::npos;
    while (at == std::string::npos && std::getline(in, line)) at = line.find(Hostile().Text);
    benchmark::DoNotOptimize(at);
  }
}
BENCHMARK(BM_GetlineFind_Hostile)->Unit(benchmark::kMillisecond);

// A path of 160,000 one-letter directories, shortened to at most 20 characters.
const kez::String& LongPath() {
  static const kez::String path = [] {
    kez::String p = u"c:";
    for (int i = 0; i < 160'000; ++i) p += u"\\d";
    return p + u"\\file.txt";
  }();
  return path;
}

void BM_AbridgeFilePath_Long(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(kez::AbridgeFilePath(LongPath(), 20));
}
BENCHMARK(BM_AbridgeFilePath_Long)->Unit(benchmark::kMicrosecond);

// The floor: one pass that copies the path's characters.
void BM_CopyPath_Long(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(kez::String(LongPath()));
}
BENCHMARK(BM_CopyPath_Long)->Unit(benchmark::kMicrosecond);

}  // namespace
