// The cost of saving whole files safely: each save writes a temporary file beside the
// target, flushes it to the disk (fsync), renames it over the target and flushes the folder.
// The peer is the path the savers had before, which a user could still write by hand:
// truncating the target and writing into it (TextFile::Rewrite), without any flush, so the
// ratio counts the fsync against a save that leaves its bytes in the page cache.
//
// Table: a 1,000 x 1,000 TStringArray (1,000,000 cells, about 40 MB of XML).
// Matrix: a TFeatureMatrix of 1,000 features by 1,000 objects.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "kez/dstruct/featurematrix.hpp"
#include "kez/dstruct/stringarray.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"

namespace {

namespace fs = std::filesystem;

// A fresh folder for one benchmark, removed afterwards.
struct Scratch {
  fs::path Path;
  Scratch() {
    static int n = 0;
    Path = fs::temp_directory_path() /
           ("kez-bench-save-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
    fs::create_directories(Path);
  }
  ~Scratch() { fs::remove_all(Path); }
  kez::String File(const char* Name) const { return kez::Utf8ToString((Path / Name).string()); }
};

const kez::TStringArray& Table() {
  static const std::unique_ptr<kez::TStringArray> table = [] {
    auto t = std::make_unique<kez::TStringArray>(nullptr);
    t->Resize(999, 1000);  // columns 0 ... 999: 1,000 cells a row
    for (int r = 1; r <= 1000; ++r) {
      for (int c = 0; c <= 999; ++c)
        t->SetString(c, r, "r" + std::to_string(r) + "c" + std::to_string(c));
    }
    return t;
  }();
  return *table;
}

const kez::TFeatureMatrix& Matrix() {
  static const std::unique_ptr<kez::TFeatureMatrix> matrix = [] {
    auto m = std::make_unique<kez::TFeatureMatrix>(nullptr);
    m->Resize(1000, 1000);
    for (std::int32_t f = 1; f <= 1000; ++f) {
      kez::TFeatProps p = m->GetFeatProps(f);
      p.FeatName = "f" + std::to_string(f);
      p.FeatKind = kez::fkString;
      m->SetFeatProps(f, p);
    }
    for (int o = 1; o <= 1000; ++o) {
      for (int f = 1; f <= 1000; ++f) m->SetFeatValStr(f, o, kez::IntToStr(o * 1000 + f));
    }
    return m;
  }();
  return *matrix;
}

void BM_SaveTable_Safe(benchmark::State& state) {
  Scratch dir;
  const kez::String name = dir.File("table.xml");
  Table().SaveAsXMLFile(name, u"t");  // the previous file each save replaces
  for (auto _ : state) Table().SaveAsXMLFile(name, u"t");
}
BENCHMARK(BM_SaveTable_Safe)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveTable_Truncate(benchmark::State& state) {
  Scratch dir;
  const kez::String name = dir.File("table.xml");
  Table().SaveAsXMLFile(name, u"t");
  for (auto _ : state) {
    kez::TextFile f(name);
    f.Rewrite();
    Table().WriteToOpenXMLFile(f, true, u"t");
    f.Close();
  }
}
BENCHMARK(BM_SaveTable_Truncate)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveMatrix_Safe(benchmark::State& state) {
  Scratch dir;
  const kez::String name = dir.File("matrix.txt");
  Matrix().Save(name);
  for (auto _ : state) Matrix().Save(name);
}
BENCHMARK(BM_SaveMatrix_Safe)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveMatrix_Truncate(benchmark::State& state) {
  Scratch dir;
  const kez::String name = dir.File("matrix.txt");
  Matrix().Save(name);
  for (auto _ : state) {
    kez::TextFile f(name);
    f.Rewrite();
    Matrix().SaveToOpenFile(f);
    f.Close();
  }
}
BENCHMARK(BM_SaveMatrix_Truncate)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
