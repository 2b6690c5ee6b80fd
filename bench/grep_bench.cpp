// TGrep against std::regex_search (ECMAScript) on the same texts: a rare literal, a set
// with a quantifier, "b.*d" (lazy inside the pattern, so "b.*?d" for std::regex), an
// anchored pattern, and the hard case of "b.*d" on a text with many "b" and no "d".
// Each text exists at 1 KiB and 1 MiB (the hard case only at 1 KiB: std::regex is
// quadratic there). Read the results as ratios of the kez and std rows. The LongLiteralOnRun
// pair searches a run of "a" for a 200-character literal that ends in "b".
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <regex>
#include <string>

#include "kez/stringl.hpp"

#ifdef KEZ_BENCH_HAVE_RE2
#include <re2/re2.h>
#endif

namespace {

enum TextKind { tkPlain, tkLateB, tkNoD };

// RE2 (when installed) runs the same ECMAScript spellings: its syntax takes them unchanged.
// Lower-case words without digits; the tail holds the things the patterns look for.
std::string MakeText(std::size_t Size, TextKind Kind) {
  std::mt19937 rng(42);
  const std::string letters = Kind == tkNoD ? "abcefghb ijklmnb" : "acefghijklmnopqrstuvwy ";
  std::string text;
  while (text.size() < Size) text += letters[rng() % letters.size()];
  const std::string tail = Kind == tkLateB ? " brown dog" : " 12345 zqxj";
  if (Kind != tkNoD) text.replace(Size - tail.size(), tail.size(), tail);
  return text;
}

struct Case {
  const char16_t* Pattern;
  const char* EcmaPattern;
  TextKind Kind;
};

const Case kCases[] = {
    {u"zqxj", "zqxj", tkPlain}, {u"[0-9]+", "[0-9]+", tkPlain}, {u"b.*d", "b.*?d", tkLateB},
    {u"xyz$", "xyz$", tkPlain}, {u"b.*d", "b.*?d", tkNoD},
};

void BM_TGrep(benchmark::State& State) {
  const Case& c = kCases[State.range(0)];
  const kez::String text =
      kez::ToString(MakeText(static_cast<std::size_t>(State.range(1)), c.Kind));
  kez::TGrep grep(nullptr);
  grep.SetRegExp(c.Pattern);
  std::int32_t pos = 0;
  for (auto _ : State) {
    benchmark::DoNotOptimize(grep.MatchString(text, pos));
    benchmark::DoNotOptimize(pos);
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * State.range(1));
}

void BM_StdRegex(benchmark::State& State) {
  const Case& c = kCases[State.range(0)];
  const std::string text = MakeText(static_cast<std::size_t>(State.range(1)), c.Kind);
  const std::regex re(c.EcmaPattern, std::regex::ECMAScript);
  std::smatch m;
  for (auto _ : State) {
    benchmark::DoNotOptimize(std::regex_search(text, m, re));
    benchmark::DoNotOptimize(m);
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * State.range(1));
}

// Arguments: case index, text size.
void Sizes(benchmark::internal::Benchmark* b) {
  for (int i = 0; i < 4; ++i) {
    b->Args({i, 1024});
    b->Args({i, 1 << 20});
  }
  b->Args({4, 1024});
}

BENCHMARK(BM_TGrep)->Apply(Sizes);
BENCHMARK(BM_StdRegex)->Apply(Sizes);

#ifdef KEZ_BENCH_HAVE_RE2
void BM_RE2(benchmark::State& State) {
  const Case& c = kCases[State.range(0)];
  const std::string text = MakeText(static_cast<std::size_t>(State.range(1)), c.Kind);
  const RE2 re(c.EcmaPattern);
  re2::StringPiece match;
  for (auto _ : State) {
    benchmark::DoNotOptimize(re.Match(text, 0, text.size(), RE2::UNANCHORED, &match, 1));
    benchmark::DoNotOptimize(match);
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * State.range(1));
}
BENCHMARK(BM_RE2)->Apply(Sizes);
#endif

// The least any search of the 1 MiB text costs: reading it once. TGrep's text is UTF-16, so
// that is 2 MiB, scanned here with memchr for a byte no character holds.
void BM_ReadUtf16Text(benchmark::State& State) {
  const kez::String text =
      kez::ToString(MakeText(static_cast<std::size_t>(State.range(0)), tkPlain));
  for (auto _ : State) {
    benchmark::DoNotOptimize(std::memchr(text.data(), 0x7f, text.size() * sizeof(char16_t)));
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * State.range(0));
}
BENCHMARK(BM_ReadUtf16Text)->Arg(1 << 20);

// A 200-character literal searched in a run of "a" that holds it nowhere: TGrep finds its
// start candidates in linear time, std::regex compares the literal at every position.
constexpr std::size_t kLongLiteral = 200;

void BM_TGrep_LongLiteralOnRun(benchmark::State& State) {
  const kez::String text(static_cast<std::size_t>(State.range(0)), u'a');
  kez::TGrep grep(nullptr);
  grep.SetRegExp(kez::String(kLongLiteral, u'a') + u"b");
  std::int32_t pos = 0;
  for (auto _ : State) benchmark::DoNotOptimize(grep.MatchString(text, pos));
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * State.range(0));
}
BENCHMARK(BM_TGrep_LongLiteralOnRun)->Arg(1 << 14)->Arg(1 << 16);

void BM_StdRegex_LongLiteralOnRun(benchmark::State& State) {
  const std::string text(static_cast<std::size_t>(State.range(0)), 'a');
  const std::regex re(std::string(kLongLiteral, 'a') + "b", std::regex::ECMAScript);
  std::smatch m;
  for (auto _ : State) benchmark::DoNotOptimize(std::regex_search(text, m, re));
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * State.range(0));
}
BENCHMARK(BM_StdRegex_LongLiteralOnRun)->Arg(1 << 14)->Arg(1 << 16);

#ifdef KEZ_BENCH_HAVE_RE2
void BM_RE2_LongLiteralOnRun(benchmark::State& State) {
  const std::string text(static_cast<std::size_t>(State.range(0)), 'a');
  const RE2 re(std::string(kLongLiteral, 'a') + "b");
  re2::StringPiece match;
  for (auto _ : State)
    benchmark::DoNotOptimize(re.Match(text, 0, text.size(), RE2::UNANCHORED, &match, 1));
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * State.range(0));
}
BENCHMARK(BM_RE2_LongLiteralOnRun)->Arg(1 << 14)->Arg(1 << 16);
#endif

}  // namespace
