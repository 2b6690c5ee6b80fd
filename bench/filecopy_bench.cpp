// Copying a large file (the argument, in MiB; 1024 by default and 64 for a quick look):
// FileCopyFeedBk without a feedback (the kernel copies) and with one (every 8192-byte chunk
// announced) against the system's cp. The copies stay in the temporary folder, on one file
// system, so all three measure the same disk.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kez/filesys/trees.hpp"

namespace {

namespace fs = std::filesystem;

// A source file of the given size in a folder of its own, removed at exit.
struct Files {
  fs::path Dir;
  fs::path Source;
  fs::path Dest;
  std::int64_t Size = 0;

  explicit Files(std::int64_t MiB) : Size(MiB << 20) {
    Dir = fs::temp_directory_path() / ("kez_copy_bench_" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    Source = Dir / "source.bin";
    Dest = Dir / "dest.bin";
    std::ofstream out(Source, std::ios::binary);
    std::vector<char> block(1 << 20);
    std::uint32_t seed = 1;
    for (char& c : block) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    for (std::int64_t i = 0; i < MiB; ++i) out.write(block.data(), std::streamsize(block.size()));
  }
  ~Files() {
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
};

Files& FilesOf(std::int64_t MiB) {
  static std::unique_ptr<Files> files;
  if (!files || files->Size != (MiB << 20)) {
    files.reset();
    files = std::make_unique<Files>(MiB);
  }
  return *files;
}

kez::String Lib(const fs::path& P) { return kez::Utf8ToString(P.string()); }

// Each copy starts without a destination and with nothing left to write back, so no run
// pays for truncating or flushing an earlier one.
void RemoveDest(benchmark::State& State, const Files& F) {
  State.PauseTiming();
  fs::remove(F.Dest);
  ::sync();
  State.ResumeTiming();
}

void Finish(benchmark::State& State, const Files& F) {
  if (fs::file_size(F.Dest) != static_cast<std::uintmax_t>(F.Size))
    State.SkipWithError("short copy");
  State.SetBytesProcessed(State.iterations() * F.Size);
}

void BM_FileCopyFeedBk(benchmark::State& State) {
  Files& f = FilesOf(State.range(0));
  for (auto _ : State) {
    RemoveDest(State, f);
    if (kez::FileCopyFeedBk(Lib(f.Source), Lib(f.Dest), false, nullptr) != 0) {
      State.SkipWithError("copy failed");
    }
  }
  Finish(State, f);
}

void BM_FileCopyFeedBkWithFeedback(benchmark::State& State) {
  Files& f = FilesOf(State.range(0));
  std::int64_t calls = 0;
  for (auto _ : State) {
    RemoveDest(State, f);
    const int status = kez::FileCopyFeedBk(Lib(f.Source), Lib(f.Dest), false,
                                           [&](std::int64_t, std::int64_t) { ++calls; });
    if (status != 0) State.SkipWithError("copy failed");
  }
  benchmark::DoNotOptimize(calls);
  Finish(State, f);
}

void BM_SystemCp(benchmark::State& State) {
  Files& f = FilesOf(State.range(0));
  const std::string command = "cp -f '" + f.Source.string() + "' '" + f.Dest.string() + "'";
  for (auto _ : State) {
    RemoveDest(State, f);
    if (std::system(command.c_str()) != 0) State.SkipWithError("cp failed");
  }
  Finish(State, f);
}

}  // namespace

BENCHMARK(BM_FileCopyFeedBk)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileCopyFeedBkWithFeedback)
    ->Arg(64)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SystemCp)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();
