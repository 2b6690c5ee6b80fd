// TFeatureMatrix's file against what a user would write instead: the same lines through a
// std::ofstream, and read back with std::getline and std::from_chars into a
// std::vector<std::vector<std::string>>. Also the typed fill of a matrix against storing
// std::to_chars texts into such a vector.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kez/dstruct.hpp"
#include "matrixdata.hpp"
#include "kez/platform/textfile.hpp"

namespace {

constexpr std::int32_t kFeats = 10;
constexpr std::int32_t kObjs = 20000;

std::string TempName(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void Build(kez::TFeatureMatrix& m) { kez::bench::FillMatrix(m, kFeats, kObjs); }

using Table = std::vector<std::vector<std::string>>;

Table BuildTable() {
  Table t(kFeats, std::vector<std::string>(kObjs));
  char buf[32];
  for (std::int32_t f = 0; f < kFeats; ++f) {
    for (std::int32_t o = 0; o < kObjs; ++o) {
      auto r = std::to_chars(buf, buf + sizeof buf, kez::bench::MatrixValue(f + 1, o + 1));
      t[f][o].assign(buf, r.ptr);
    }
  }
  return t;
}

void BM_Fill_TFeatureMatrix(benchmark::State& state) {
  for (auto _ : state) {
    kez::TFeatureMatrix m(nullptr);
    Build(m);
    benchmark::DoNotOptimize(m.NObjects());
  }
}

void BM_Fill_VectorToChars(benchmark::State& state) {
  for (auto _ : state) {
    Table t = BuildTable();
    benchmark::DoNotOptimize(t.data());
  }
}

void BM_Save_TFeatureMatrix(benchmark::State& state) {
  kez::TFeatureMatrix m(nullptr);
  Build(m);
  const std::string name = TempName("kez_fm_bench.txt");
  for (auto _ : state) m.Save(kez::Utf8ToString(name));
  std::remove(name.c_str());
}

void BM_Save_Ofstream(benchmark::State& state) {
  const Table t = BuildTable();
  const std::string name = TempName("kez_fm_bench_peer.txt");
  for (auto _ : state) {
    std::ofstream out(name, std::ios::binary);
    out << "#featvals " << kFeats << ' ' << kObjs << "\r\n";
    for (std::int32_t o = 0; o < kObjs; ++o) {
      for (std::int32_t f = 0; f < kFeats; ++f)
        out << f + 1 << ' ' << o + 1 << ' ' << t[f][o] << "\r\n";
    }
    out << "#featend\r\n";
  }
  std::remove(name.c_str());
}

void BM_Load_TFeatureMatrix(benchmark::State& state) {
  kez::TFeatureMatrix m(nullptr);
  Build(m);
  const std::string name = TempName("kez_fm_bench_load.txt");
  m.Save(kez::Utf8ToString(name));
  for (auto _ : state) {
    kez::TFeatureMatrix back(nullptr);
    benchmark::DoNotOptimize(back.Load(kez::Utf8ToString(name)));
  }
  std::remove(name.c_str());
}

void BM_Load_Getline(benchmark::State& state) {
  kez::TFeatureMatrix m(nullptr);
  Build(m);
  const std::string name = TempName("kez_fm_bench_load_peer.txt");
  m.Save(kez::Utf8ToString(name));
  for (auto _ : state) {
    std::ifstream in(name, std::ios::binary);
    Table t(kFeats, std::vector<std::string>(kObjs));
    std::string line;
    bool values = false;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("#featvals", 0) == 0) {
        values = true;
        continue;
      }
      if (!values || line.empty() || line[0] == '#') continue;
      int f = 0, o = 0;
      const char* p = line.data();
      const char* end = p + line.size();
      p = std::from_chars(p, end, f).ptr + 1;
      p = std::from_chars(p, end, o).ptr + 1;
      if (f >= 1 && f <= kFeats && o >= 1 && o <= kObjs && p <= end) t[f - 1][o - 1].assign(p, end);
    }
    benchmark::DoNotOptimize(t.data());
  }
  std::remove(name.c_str());
}

// What bounds the two rows above: the lines of the same file read with kez's text-file layer
// (which the matrix reads through) and with std::getline, doing nothing with them.
void BM_Load_TextFileLinesOnly(benchmark::State& state) {
  kez::TFeatureMatrix m(nullptr);
  Build(m);
  const std::string name = TempName("kez_fm_bench_lines.txt");
  m.Save(kez::Utf8ToString(name));
  for (auto _ : state) {
    kez::TextFile f(kez::Utf8ToString(name));
    f.Reset();
    kez::AnsiString line;
    std::size_t bytes = 0;
    while (!f.Eof()) {
      f.ReadLnAnsi(line);
      bytes += line.size();
    }
    f.Close();
    benchmark::DoNotOptimize(bytes);
  }
  std::remove(name.c_str());
}

void BM_Load_GetlineLinesOnly(benchmark::State& state) {
  kez::TFeatureMatrix m(nullptr);
  Build(m);
  const std::string name = TempName("kez_fm_bench_lines_peer.txt");
  m.Save(kez::Utf8ToString(name));
  for (auto _ : state) {
    std::ifstream in(name, std::ios::binary);
    std::string line;
    std::size_t bytes = 0;
    while (std::getline(in, line)) bytes += line.size();
    benchmark::DoNotOptimize(bytes);
  }
  std::remove(name.c_str());
}

// The fill's bound: the text of each value with the 15 significant digits the matrix stores
// (std::to_chars with a precision takes a slower path than the shortest form above).
void BM_Fill_VectorToChars15(benchmark::State& state) {
  for (auto _ : state) {
    Table t(kFeats, std::vector<std::string>(kObjs));
    char buf[32];
    for (std::int32_t f = 0; f < kFeats; ++f) {
      for (std::int32_t o = 0; o < kObjs; ++o) {
        auto r = std::to_chars(buf, buf + sizeof buf, kez::bench::MatrixValue(f + 1, o + 1),
                               std::chars_format::general, 15);
        t[f][o].assign(buf, r.ptr);
      }
    }
    benchmark::DoNotOptimize(t.data());
  }
}

BENCHMARK(BM_Fill_TFeatureMatrix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_VectorToChars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save_TFeatureMatrix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save_Ofstream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load_TFeatureMatrix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load_Getline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load_TextFileLinesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load_GetlineLinesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_VectorToChars15)->Unit(benchmark::kMillisecond);

}  // namespace
