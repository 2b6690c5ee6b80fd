// Reading a 10 MB text line by line: ReadLnStream over a TMemoryStream against std::getline
// over a std::istringstream. Searching a repetitive 1 MB text for a long, almost matching
// target: ReadStreamUntil and SearchAndReplace against std::search with the standard
// Boyer-Moore searcher and against std::string::find.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
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

// 1 MB of "a" with the target at its end; every position matches all but the target's last
// byte, the worst case of a naive search.
const std::string& Repetitive() {
  static const std::string text = std::string(1'000'000, 'a') + std::string(999, 'a') + "b";
  return text;
}
const std::string kTarget = std::string(999, 'a') + "b";

void BM_ReadStreamUntil_Repetitive(benchmark::State& state) {
  kez::TMemoryStream stream;
  stream.WriteBuffer(Repetitive().data(), static_cast<std::int64_t>(Repetitive().size()));
  const kez::String target = kez::AnsiToString(kTarget);
  for (auto _ : state) {
    stream.SetPosition(0);
    std::int32_t status = 0;
    benchmark::DoNotOptimize(kez::ReadStreamUntil(stream, target, status).size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Repetitive().size()));
}
BENCHMARK(BM_ReadStreamUntil_Repetitive)->Unit(benchmark::kMillisecond);

void BM_SearchAndReplace_Repetitive(benchmark::State& state) {
  kez::TMemoryStream source, target;
  source.WriteBuffer(Repetitive().data(), static_cast<std::int64_t>(Repetitive().size()));
  const kez::String search = kez::AnsiToString(kTarget);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        kez::SearchAndReplace(source, target, search, u"x", false, 1, 0, u"[]", nullptr));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Repetitive().size()));
}
BENCHMARK(BM_SearchAndReplace_Repetitive)->Unit(benchmark::kMillisecond);

void BM_StdBoyerMoore_Repetitive(benchmark::State& state) {
  for (auto _ : state) {
    const std::boyer_moore_searcher searcher(kTarget.begin(), kTarget.end());
    benchmark::DoNotOptimize(std::search(Repetitive().begin(), Repetitive().end(), searcher));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Repetitive().size()));
}
BENCHMARK(BM_StdBoyerMoore_Repetitive)->Unit(benchmark::kMillisecond);

void BM_StdStringFind_Repetitive(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Repetitive().find(kTarget));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Repetitive().size()));
}
BENCHMARK(BM_StdStringFind_Repetitive)->Unit(benchmark::kMillisecond);

}  // namespace
