// Label formatting: strff and FormatData against snprintf and std::to_chars writing the
// same layouts of the same values, with {fmt} beside them when it is installed.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <random>
#include <vector>

#include "kez/stringl.hpp"

#ifdef KEZ_BENCH_HAVE_FMT
#include <fmt/format.h>
#endif

namespace {

const std::vector<double>& Values() {
  static const std::vector<double> values = [] {
    std::mt19937_64 gen(42);
    std::uniform_real_distribution<double> dist(-5000.0, 5000.0);
    std::vector<double> v(1024);
    for (double& x : v) x = dist(gen);
    return v;
  }();
  return values;
}

void BM_strff_Fixed(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kez::strff(v[i++ & 1023], 10, 3));
  }
}
BENCHMARK(BM_strff_Fixed);

void BM_FormatData_Fixed(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kez::FormatData(v[i++ & 1023], 10, 3));
  }
}
BENCHMARK(BM_FormatData_Fixed);

void BM_snprintf_Fixed(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%10.3f", v[i++ & 1023]));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_snprintf_Fixed);

void BM_to_chars_Fixed(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    auto r = std::to_chars(buf, buf + sizeof buf, v[i++ & 1023], std::chars_format::fixed, 3);
    benchmark::DoNotOptimize(r.ptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_to_chars_Fixed);

// The digits of std::to_chars widened into a library text of width 10, as strff returns:
// what a caller of std::to_chars would need to build the same result.
void ToCharsIntoText(benchmark::State& state, std::chars_format Format) {
  const auto& v = Values();
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    auto r = std::to_chars(buf, buf + sizeof buf, v[i++ & 1023], Format, 3);
    const auto len = r.ptr - buf;
    kez::String s(len < 10 ? static_cast<std::size_t>(10 - len) : 0, u' ');
    s.append(buf, r.ptr);
    benchmark::DoNotOptimize(s);
  }
}

void BM_to_chars_Fixed_String(benchmark::State& state) {
  ToCharsIntoText(state, std::chars_format::fixed);
}
BENCHMARK(BM_to_chars_Fixed_String);

void BM_strff_CompactScientific(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kez::strff(v[i++ & 1023], 10, -2));
  }
}
BENCHMARK(BM_strff_CompactScientific);

void BM_snprintf_Scientific(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%10.3E", v[i++ & 1023]));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_snprintf_Scientific);

void BM_to_chars_Scientific(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    auto r = std::to_chars(buf, buf + sizeof buf, v[i++ & 1023], std::chars_format::scientific, 3);
    benchmark::DoNotOptimize(r.ptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_to_chars_Scientific);

void BM_to_chars_Scientific_String(benchmark::State& state) {
  ToCharsIntoText(state, std::chars_format::scientific);
}
BENCHMARK(BM_to_chars_Scientific_String);

#ifdef KEZ_BENCH_HAVE_FMT
void BM_fmt_Fixed(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    benchmark::DoNotOptimize(fmt::format_to_n(buf, sizeof buf, "{:10.3f}", v[i++ & 1023]).out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_fmt_Fixed);

void BM_fmt_Scientific(benchmark::State& state) {
  const auto& v = Values();
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    benchmark::DoNotOptimize(fmt::format_to_n(buf, sizeof buf, "{:10.3E}", v[i++ & 1023]).out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_fmt_Scientific);
#endif

}  // namespace
