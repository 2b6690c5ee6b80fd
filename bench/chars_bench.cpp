// Text editing and searching: ReplaceStringInString, CountStringInString, StringContains and
// StripLTBlanks against the std::u16string code a user would write instead. The "Hostile"
// pair searches a run of N "a" for N/4 "a" followed by "b": std::u16string::find compares
// the pattern afresh at each position (N x N/4 steps), the library's search is linear; run
// it at two sizes to see the std time grow sixteen-fold and the library's four-fold.
#include <benchmark/benchmark.h>

#include <string>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"

namespace {

const kez::String& Text() {
  static const kez::String text = [] {
    kez::String t;
    for (int i = 0; i < 200; ++i) t += u"the quick brown fox, 1.5 jumps; over the lazy dog ";
    return t;
  }();
  return text;
}

void BM_ReplaceStringInString(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kez::ReplaceStringInString(Text(), u"the", u"a", false));
  }
}
BENCHMARK(BM_ReplaceStringInString);

void BM_Std_ReplaceLoop(benchmark::State& state) {
  for (auto _ : state) {
    kez::String s = Text();
    for (std::size_t at = s.find(u"the"); at != kez::String::npos; at = s.find(u"the", at + 1)) {
      s.replace(at, 3, u"a");
    }
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_Std_ReplaceLoop);

void BM_CountStringInString_IgnoreCase(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kez::CountStringInString(u"The", Text(), false));
  }
}
BENCHMARK(BM_CountStringInString_IgnoreCase);

void BM_Std_CountLowerCopy(benchmark::State& state) {
  for (auto _ : state) {
    kez::String s = Text();
    for (char16_t& c : s) c = kez::LoCaseASCII(c);
    int n = 0;
    for (std::size_t at = s.find(u"the"); at != kez::String::npos; at = s.find(u"the", at + 3)) ++n;
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_Std_CountLowerCopy);

void BM_CountStringInString_Hostile(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const kez::String text(n, u'a');
  const kez::String sub = kez::String(n / 4, u'a') + u"b";
  for (auto _ : state) benchmark::DoNotOptimize(kez::CountStringInString(sub, text, true));
}
BENCHMARK(BM_CountStringInString_Hostile)->Arg(10000)->Arg(40000);

void BM_Std_FindLoop_Hostile(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const kez::String text(n, u'a');
  const kez::String sub = kez::String(n / 4, u'a') + u"b";
  for (auto _ : state) {
    int count = 0;
    for (std::size_t at = text.find(sub); at != kez::String::npos;
         at = text.find(sub, at + sub.size())) {
      ++count;
    }
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_Std_FindLoop_Hostile)->Arg(10000)->Arg(40000);

void BM_ReplaceStringInString_IgnoreCase_Hostile(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const kez::String text(n, u'a');
  const kez::String sub = kez::String(n / 4, u'A') + u"b";
  for (auto _ : state) {
    benchmark::DoNotOptimize(kez::ReplaceStringInString(text, sub, u"x", true));
  }
}
BENCHMARK(BM_ReplaceStringInString_IgnoreCase_Hostile)->Arg(10000)->Arg(40000);

void BM_StringContainsOtherThan(benchmark::State& state) {
  const kez::String digits(4000, u'7');
  for (auto _ : state) {
    benchmark::DoNotOptimize(kez::StringContainsOtherThan(digits, u"//dig."));
  }
}
BENCHMARK(BM_StringContainsOtherThan);

void BM_Std_FindFirstNotOf(benchmark::State& state) {
  const kez::String digits(4000, u'7');
  for (auto _ : state) {
    benchmark::DoNotOptimize(digits.find_first_not_of(u"0123456789.") != kez::String::npos);
  }
}
BENCHMARK(BM_Std_FindFirstNotOf);

}  // namespace
