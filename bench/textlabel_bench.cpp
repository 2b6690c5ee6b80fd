// Reading a text label whose caption is 10 MB: ReadFromOpenXMLFile against reading the
// same file with the C library's fgets into one string. The reader takes the caption
// character by character, so this shows that each character costs the same however long
// the caption already is.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "kez/kezbase.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"

namespace {

namespace fs = std::filesystem;

// A label with a 10 MB caption, written once and removed at exit.
struct LabelFile {
  fs::path Name;
  LabelFile() {
    Name = fs::temp_directory_path() / ("kez_label_bench_" + std::to_string(::getpid()) + ".xml");
    kez::TCustomTextLabel label;
    label.SetTxtLblCaption(kez::String(10'000'000, u'x'));
    kez::TextFile f(kez::Utf8ToString(Name.string()));
    f.Rewrite();
    label.WriteToOpenXMLFile(f, true, u"big", 2);
    f.Close();
  }
  ~LabelFile() {
    std::error_code ec;
    fs::remove(Name, ec);
  }
};

const LabelFile& File() {
  static const LabelFile file;
  return file;
}

void BM_TextLabelReadLargeCaption(benchmark::State& state) {
  const kez::String name = kez::Utf8ToString(File().Name.string());
  for (auto _ : state) {
    kez::TextFile f(name);
    f.Reset();
    kez::TCustomTextLabel label;
    if (!label.ReadFromOpenXMLFile(f, u"big")) state.SkipWithError("label not read");
    f.Close();
    benchmark::DoNotOptimize(label.Caption().size());
  }
}
BENCHMARK(BM_TextLabelReadLargeCaption)->Unit(benchmark::kMillisecond);

// The peer: the whole file through fgets into one string.
void BM_FgetsWholeFile(benchmark::State& state) {
  for (auto _ : state) {
    std::FILE* in = std::fopen(File().Name.c_str(), "rb");
    std::string all;
    char buffer[65536];
    while (std::fgets(buffer, sizeof buffer, in) != nullptr) all += buffer;
    std::fclose(in);
    benchmark::DoNotOptimize(all.size());
  }
}
BENCHMARK(BM_FgetsWholeFile)->Unit(benchmark::kMillisecond);

}  // namespace
