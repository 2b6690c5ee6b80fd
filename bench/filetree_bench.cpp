// Walking file trees: CopyFileTree of many small files against `cp -r`, CountFiles of a
// large tree against `find | wc -l`, and the deep chains whose cost must grow linearly with
// their depth. The trees stay in the temporary folder; the peers run in a child process,
// so every row is wall time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "kez/filesys/dirs.hpp"
#include "kez/filesys/trees.hpp"
#include "kez/platform/path.hpp"

namespace {

namespace fs = std::filesystem;

kez::String Lib(const fs::path& P) { return kez::NativeToString(P.string()); }

// A folder of its own under the temporary folder, removed at exit.
struct Scratch {
  fs::path Dir;
  explicit Scratch(const std::string& Name) {
    Dir = fs::temp_directory_path() / ("kez_tree_bench_" + std::to_string(::getpid()) + Name);
    fs::create_directories(Dir);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
};

// Files small files of 100 bytes, 100 to a folder.
const fs::path& WideTree(std::int64_t Files) {
  static std::map<std::int64_t, std::unique_ptr<Scratch>> trees;
  auto& t = trees[Files];
  if (!t) {
    t = std::make_unique<Scratch>("_wide" + std::to_string(Files));
    const std::string data(100, 'x');
    for (std::int64_t i = 0; i < Files; ++i) {
      const fs::path folder = t->Dir / "src" / ("d" + std::to_string(i / 100));
      if (i % 100 == 0) fs::create_directories(folder);
      const int fd =
          ::open((folder / ("f" + std::to_string(i))).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::write(fd, data.data(), data.size()) != 100) std::abort();
      ::close(fd);
    }
  }
  return t->Dir;
}

// A chain of Depth folders with one file at the bottom.
const fs::path& DeepTree(std::int64_t Depth) {
  static std::map<std::int64_t, std::unique_ptr<Scratch>> trees;
  auto& t = trees[Depth];
  if (!t) {
    t = std::make_unique<Scratch>("_deep" + std::to_string(Depth));
    int at = ::open(t->Dir.c_str(), O_RDONLY | O_DIRECTORY);
    for (std::int64_t i = 0; i < Depth; ++i) {
      ::mkdirat(at, "d", 0777);
      const int next = ::openat(at, "d", O_RDONLY | O_DIRECTORY);
      ::close(at);
      at = next;
    }
    ::close(::openat(at, "bottom.txt", O_WRONLY | O_CREAT, 0644));
    ::close(at);
  }
  return t->Dir;
}

void RemoveCopy(benchmark::State& State, const fs::path& Dir) {
  State.PauseTiming();
  fs::remove_all(Dir / "dst");
  ::sync();
  State.ResumeTiming();
}

void BM_CopyFileTree(benchmark::State& State) {
  const fs::path& dir = WideTree(State.range(0));
  for (auto _ : State) {
    RemoveCopy(State, dir);
    kez::CopyFileTree(Lib(dir / "src"), Lib(dir / "dst"), false, nullptr);
  }
  if (kez::CountFiles(Lib(dir / "dst") + u"\\*.*", true, nullptr) != State.range(0)) {
    State.SkipWithError("incomplete copy");
  }
  fs::remove_all(dir / "dst");
}

void BM_SystemCpR(benchmark::State& State) {
  const fs::path& dir = WideTree(State.range(0));
  const std::string command =
      "cp -r '" + (dir / "src").string() + "' '" + (dir / "dst").string() + "'";
  for (auto _ : State) {
    RemoveCopy(State, dir);
    if (std::system(command.c_str()) != 0) State.SkipWithError("cp failed");
  }
  fs::remove_all(dir / "dst");
}

void BM_CountFiles(benchmark::State& State) {
  const fs::path& dir = WideTree(State.range(0));
  std::int32_t n = 0;
  for (auto _ : State) n = kez::CountFiles(Lib(dir / "src") + u"\\*.*", true, nullptr);
  if (n != State.range(0)) State.SkipWithError("miscounted");
}

std::int64_t RunFindWcL(const fs::path& Root) {
  const std::string command = "find '" + Root.string() + "' | wc -l";
  FILE* p = ::popen(command.c_str(), "r");
  long long lines = -1;
  if (p == nullptr || std::fscanf(p, "%lld", &lines) != 1) lines = -1;
  if (p != nullptr) ::pclose(p);
  return lines;
}

void BM_FindWcL(benchmark::State& State) {
  const fs::path& dir = WideTree(State.range(0));
  std::int64_t n = 0;
  for (auto _ : State) n = RunFindWcL(dir / "src");
  if (n <= State.range(0)) State.SkipWithError("find failed");
}

void BM_CountFilesDeep(benchmark::State& State) {
  const fs::path& dir = DeepTree(State.range(0));
  std::int32_t n = 0;
  for (auto _ : State) n = kez::CountFiles(Lib(dir) + u"\\*.*", true, nullptr);
  if (n != 1) State.SkipWithError("miscounted");
  State.SetComplexityN(State.range(0));
}

void BM_FileDetectDeep(benchmark::State& State) {
  const fs::path& dir = DeepTree(State.range(0));
  kez::String found;
  for (auto _ : State) found = kez::FileDetect(Lib(dir) + u"\\bottom.txt");
  if (found.empty()) State.SkipWithError("not found");
  State.SetComplexityN(State.range(0));
}

void BM_FindDeep(benchmark::State& State) {
  const fs::path& dir = DeepTree(State.range(0));
  for (auto _ : State) benchmark::DoNotOptimize(RunFindWcL(dir));
}

}  // namespace

BENCHMARK(BM_CopyFileTree)->Arg(1250)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SystemCpR)->Arg(1250)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountFiles)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindWcL)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountFilesDeep)
    ->RangeMultiplier(2)
    ->Range(125, 1000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Complexity();
BENCHMARK(BM_FileDetectDeep)
    ->RangeMultiplier(2)
    ->Range(125, 1000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Complexity();
BENCHMARK(BM_FindDeep)->Arg(500)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();
