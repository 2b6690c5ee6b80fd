// Writing files through the platform layer against the C library.
//
// Lines: 10,000 short lines per pass through WriteLnStream into a TFileStream (whose write
// buffer gathers them) against std::fwrite of the same bytes into a FILE.
//
// Folder size: 20,000 new files created one after another in one folder with
// TextFile::Rewrite (the folder named in upper case, as the library's callers do) against
// std::fopen with the folder's real name.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/streams.hpp"

namespace {

constexpr int kLines = 10'000;
constexpr int kFiles = 20'000;
const kez::String kLine = u"station 42; 12.5 mm; rain";
const std::string kLineBytes = "station 42; 12.5 mm; rain";

// A fresh folder for one benchmark, removed afterwards.
struct Scratch {
  std::filesystem::path Path;
  Scratch() {
    Path = std::filesystem::temp_directory_path() /
           ("kez-bench-" + std::to_string(::getpid()) + "-" + std::to_string(Counter()++));
    std::filesystem::create_directories(Path / "folder");
  }
  ~Scratch() { std::filesystem::remove_all(Path); }
  static int& Counter() {
    static int n = 0;
    return n;
  }
};

void BM_WriteLnStream(benchmark::State& state) {
  Scratch dir;
  kez::TFileStream f(kez::Utf8ToString((dir.Path / "lines.txt").string()), kez::fmCreate);
  for (auto _ : state) {
    f.SetPosition(0);
    for (int i = 0; i < kLines; ++i) kez::WriteLnStream(f, kLine);
    f.Flush();
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_WriteLnStream);

void BM_Fwrite(benchmark::State& state) {
  Scratch dir;
  std::FILE* f = std::fopen((dir.Path / "lines.txt").c_str(), "wb");
  for (auto _ : state) {
    std::rewind(f);
    for (int i = 0; i < kLines; ++i) {
      std::fwrite(kLineBytes.data(), 1, kLineBytes.size(), f);
      std::fwrite("\r\n", 1, 2, f);
    }
    std::fflush(f);
  }
  std::fclose(f);
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_Fwrite);

void BM_CreateFilesRewrite(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto dir = std::make_unique<Scratch>();
    const kez::String folder = kez::Utf8ToString((dir->Path / "FOLDER").string()) + u"/f";
    state.ResumeTiming();
    for (int i = 0; i < kFiles; ++i) {
      kez::TextFile f(folder + kez::IntToStr(i) + u".txt");
      f.Rewrite();
      f.Close();
    }
    state.PauseTiming();
    if (!std::filesystem::exists(dir->Path / "folder" / "f19999.txt"))
      state.SkipWithError("the upper-cased folder was not found");
    dir.reset();  // removing the files is not part of the measure
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_CreateFilesRewrite)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CreateFilesFopen(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto dir = std::make_unique<Scratch>();
    const std::string folder = (dir->Path / "folder").string() + "/f";
    state.ResumeTiming();
    for (int i = 0; i < kFiles; ++i) {
      std::FILE* f = std::fopen((folder + std::to_string(i) + ".txt").c_str(), "wb");
      if (f != nullptr) std::fclose(f);
    }
    state.PauseTiming();
    dir.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_CreateFilesFopen)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
