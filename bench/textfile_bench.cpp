// Reading and writing a text file line by line: TextFile's ReadLn and WriteLn against the C
// library's fgets and fputs. The file holds about 20 MB of CR LF lines of 0 to 119
// characters (letters, digits and blanks), which stays in the page cache, so both sides
// measure the line handling rather than the disk.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"

namespace {

namespace fs = std::filesystem;

// The lines, without their line ends.
const std::vector<std::string>& Lines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> all;
    std::size_t total = 0;
    std::uint32_t seed = 12345;
    while (total < 20'000'000) {
      seed = seed * 134775813u + 1;
      std::string line((seed >> 16) % 120, ' ');
      for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = "abcdefghij klmnopqrst 0123456789"[(i * 7 + line.size()) % 32];
      total += line.size() + 2;
      all.push_back(std::move(line));
    }
    return all;
  }();
  return lines;
}

std::int64_t TotalBytes() {
  std::int64_t total = 0;
  for (const auto& line : Lines()) total += static_cast<std::int64_t>(line.size()) + 2;
  return total;
}

// A folder of its own with the text file to read, removed at exit.
struct Files {
  fs::path Dir;
  fs::path Text;
  Files() {
    Dir = fs::temp_directory_path() / ("kez_textfile_bench_" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    Text = Dir / "lines.txt";
    std::ofstream out(Text, std::ios::binary);
    for (const auto& line : Lines()) out << line << "\r\n";
  }
  ~Files() {
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
};

const Files& TheFiles() {
  static const auto files = std::make_unique<Files>();
  return *files;
}

void BM_TextFileReadLn(benchmark::State& State) {
  const kez::String name = kez::Utf8ToString(TheFiles().Text.string());
  for (auto _ : State) {
    kez::TextFile f(name);
    f.Reset();
    kez::String line;
    std::size_t count = 0;
    while (!f.Eof()) {
      f.ReadLn(line);
      benchmark::DoNotOptimize(line.data());
      ++count;
    }
    f.Close();
    benchmark::DoNotOptimize(count);
  }
  State.SetBytesProcessed(State.iterations() * TotalBytes());
}
BENCHMARK(BM_TextFileReadLn)->Unit(benchmark::kMillisecond);

void BM_TextFileReadLnAnsi(benchmark::State& State) {
  const kez::String name = kez::Utf8ToString(TheFiles().Text.string());
  for (auto _ : State) {
    kez::TextFile f(name);
    f.Reset();
    kez::AnsiString line;
    std::size_t count = 0;
    while (!f.Eof()) {
      f.ReadLnAnsi(line);
      benchmark::DoNotOptimize(line.data());
      ++count;
    }
    f.Close();
    benchmark::DoNotOptimize(count);
  }
  State.SetBytesProcessed(State.iterations() * TotalBytes());
}
BENCHMARK(BM_TextFileReadLnAnsi)->Unit(benchmark::kMillisecond);

void BM_Fgets(benchmark::State& State) {
  char buffer[4096];
  for (auto _ : State) {
    std::FILE* f = std::fopen(TheFiles().Text.c_str(), "rb");
    std::size_t count = 0;
    while (std::fgets(buffer, sizeof buffer, f) != nullptr) {
      benchmark::DoNotOptimize(buffer);
      ++count;
    }
    std::fclose(f);
    benchmark::DoNotOptimize(count);
  }
  State.SetBytesProcessed(State.iterations() * TotalBytes());
}
BENCHMARK(BM_Fgets)->Unit(benchmark::kMillisecond);

// The writers get the lines as the text type they take.
const std::vector<kez::String>& WideLines() {
  static const std::vector<kez::String> lines = [] {
    std::vector<kez::String> all;
    for (const auto& line : Lines()) all.push_back(kez::AnsiToString(line));
    return all;
  }();
  return lines;
}

void BM_TextFileWriteLn(benchmark::State& State) {
  const auto& lines = WideLines();
  const kez::String name = kez::Utf8ToString((TheFiles().Dir / "written.txt").string());
  for (auto _ : State) {
    kez::TextFile f(name);
    f.Rewrite();
    for (const auto& line : lines) f.WriteLn(line);
    f.Close();
  }
  State.SetBytesProcessed(State.iterations() * TotalBytes());
}
BENCHMARK(BM_TextFileWriteLn)->Unit(benchmark::kMillisecond);

void BM_Fputs(benchmark::State& State) {
  const auto& lines = Lines();
  const std::string name = (TheFiles().Dir / "written.txt").string();
  for (auto _ : State) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    for (const auto& line : lines) {
      std::fputs(line.c_str(), f);
      std::fputs("\r\n", f);
    }
    std::fclose(f);
  }
  State.SetBytesProcessed(State.iterations() * TotalBytes());
}
BENCHMARK(BM_Fputs)->Unit(benchmark::kMillisecond);

}  // namespace
