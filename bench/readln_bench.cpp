// Reading a 10 MB text line by line: ReadLnStream over a TMemoryStream against std::getline
// over a std::istringstream.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "kez/streams.hpp"

namespace {

// About 10 MB of LF-ended lines of 0 to 119 characters.
const std::string& Text() {
  static const std::string text = [] {
    std::string t;
    t.reserve(10'500'000);
    std::uint32_t seed = 12345;
    while (t.size() < 10'000'000) {
      seed = seed * 134775813u + 1;
      const std::size_t length = (seed >> 16) % 120;
      for (std::size_t i = 0; i < length; ++i)
        t.push_back(static_cast<char>('a' + (i * 7 + length) % 26));
      t.push_back('\n');
    }
    return t;
  }();
  return text;
}

void BM_ReadLnStream(benchmark::State& state) {
  kez::TMemoryStream stream;
  stream.WriteBuffer(Text().data(), static_cast<std::int64_t>(Text().size()));
  for (auto _ : state) {
    stream.SetPosition(0);
    bool eos = false;
    std::size_t lines = 0;
    while (!eos) {
      const kez::String line = kez::ReadLnStream(stream, eos, 0);
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Text().size()));
}
BENCHMARK(BM_ReadLnStream)->Unit(benchmark::kMillisecond);

void BM_StdGetline(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::istringstream in(Text());
    state.ResumeTiming();
    std::string line;
    std::size_t lines = 0;
    while (std::getline(in, line)) {
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Text().size()));
}
BENCHMARK(BM_StdGetline)->Unit(benchmark::kMillisecond);

}  // namespace
