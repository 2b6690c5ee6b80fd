// TStringArray against the containers a user would pick instead: filling cells against a
// std::vector<std::string>, appending rows one by one against a std::vector of rows, sorting rows
// against std::sort of an index over such a vector (keys folded on the fly), and the sorted-column
// search against std::lower_bound.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "keys.hpp"
#include "kez/dstruct.hpp"

namespace {

constexpr std::int32_t kFillCols = 10;
constexpr std::int32_t kFillRows = 100000;  // 1,000,000 cells
constexpr std::int32_t kSortRows = 100000;

using kez::bench::MakeKeys;

char Fold(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch; }

bool FoldedLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
  });
}

void BM_Fill_TStringArray(benchmark::State& state) {
  const std::vector<std::string> keys = MakeKeys(kFillRows);
  for (auto _ : state) {
    kez::TStringArray table(nullptr);
    table.Resize(kFillCols - 1, kFillRows);  // columns 0 ... 9
    for (std::int32_t c = 0; c < kFillCols; ++c) {
      for (std::int32_t r = 1; r <= kFillRows; ++r) table.SetString(c, r, keys[r - 1]);
    }
    benchmark::DoNotOptimize(table.NumBuffers());
    const double bytes = table.NumBuffers() * 32768.0 + 4.0 * kFillCols * kFillRows;
    state.counters["bytes_per_cell"] = bytes / (kFillCols * kFillRows);
  }
}
BENCHMARK(BM_Fill_TStringArray)->Unit(benchmark::kMillisecond);

void BM_Fill_VectorOfString(benchmark::State& state) {
  const std::vector<std::string> keys = MakeKeys(kFillRows);
  for (auto _ : state) {
    std::vector<std::string> cells(static_cast<std::size_t>(kFillCols) * kFillRows);
    for (std::int32_t c = 0; c < kFillCols; ++c) {
      for (std::int32_t r = 0; r < kFillRows; ++r) cells[c * kFillRows + r] = keys[r];
    }
    benchmark::DoNotOptimize(cells.data());
    double heap = 0;  // texts beyond the small-string buffer live on the heap
    for (const std::string& s : cells) heap += s.capacity() > 15 ? s.capacity() + 1 : 0;
    state.counters["bytes_per_cell"] = sizeof(std::string) + heap / cells.size();
  }
}
BENCHMARK(BM_Fill_VectorOfString)->Unit(benchmark::kMillisecond);

// Rows appended one at a time to a table of 4 columns (0 ... 3): linear in the row count.
void BM_AddRow_TStringArray(benchmark::State& state) {
  const auto rows = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    kez::TStringArray table(nullptr);
    table.Resize(3, 1);
    for (std::int32_t r = 1; r < rows; ++r) table.AddRow();
    benchmark::DoNotOptimize(table.NrOfRows());
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_AddRow_TStringArray)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond);

void BM_AddRow_VectorOfRows(benchmark::State& state) {
  const auto rows = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    std::vector<std::array<std::string, 4>> table(1);
    for (std::int32_t r = 1; r < rows; ++r) table.emplace_back();
    benchmark::DoNotOptimize(table.data());
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_AddRow_VectorOfRows)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond);

void SortTable(benchmark::State& state, bool hook) {
  const std::vector<std::string> keys = MakeKeys(kSortRows);
  kez::TStringArray table(nullptr);
  table.Resize(1, kSortRows);
  for (std::int32_t r = 1; r <= kSortRows; ++r) table.SetString(1, r, keys[r - 1]);
  std::int64_t calls = 0;
  if (hook) {
    table.SetOnBeforeSortExchange(
        [&calls](kez::TObject*, const kez::String&, kez::String&) { ++calls; });
  }
  for (auto _ : state) {
    state.PauseTiming();
    table.UnSort();
    state.ResumeTiming();
    table.Sort(1, 0, true);
  }
  if (hook) state.counters["hook_calls"] = static_cast<double>(calls) / state.iterations();
}

void BM_Sort_TStringArray(benchmark::State& state) { SortTable(state, false); }
BENCHMARK(BM_Sort_TStringArray)->Unit(benchmark::kMillisecond);

void BM_Sort_TStringArrayWithHook(benchmark::State& state) { SortTable(state, true); }
BENCHMARK(BM_Sort_TStringArrayWithHook)->Unit(benchmark::kMillisecond);

void BM_Sort_StdSortIndex(benchmark::State& state) {
  const std::vector<std::string> keys = MakeKeys(kSortRows);
  std::vector<std::int32_t> index(keys.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::iota(index.begin(), index.end(), 0);
    state.ResumeTiming();
    std::sort(index.begin(), index.end(),
              [&](std::int32_t a, std::int32_t b) { return FoldedLess(keys[a], keys[b]); });
    benchmark::DoNotOptimize(index.data());
  }
}
BENCHMARK(BM_Sort_StdSortIndex)->Unit(benchmark::kMillisecond);

// The same work as the table's sort with a hook: each comparison hands both keys to a
// std::function that may rewrite them (the rewritten key starts as a copy of the key), then
// compares the results folding A-Z.
void BM_Sort_StdSortIndexWithHook(benchmark::State& state) {
  const std::vector<std::string> keys = MakeKeys(kSortRows);
  std::vector<std::int32_t> index(keys.size());
  std::int64_t calls = 0;
  const std::function<void(const std::string&, std::string&)> hook =
      [&calls](const std::string&, std::string&) { ++calls; };
  std::string keyA, keyB;
  for (auto _ : state) {
    state.PauseTiming();
    std::iota(index.begin(), index.end(), 0);
    state.ResumeTiming();
    std::sort(index.begin(), index.end(), [&](std::int32_t a, std::int32_t b) {
      keyA = keys[a];
      hook(keys[a], keyA);
      keyB = keys[b];
      hook(keys[b], keyB);
      return FoldedLess(keyA, keyB);
    });
    benchmark::DoNotOptimize(index.data());
  }
  state.counters["hook_calls"] = static_cast<double>(calls) / state.iterations();
}
BENCHMARK(BM_Sort_StdSortIndexWithHook)->Unit(benchmark::kMillisecond);

// Every key of a sorted column looked up once.
void BM_Search_FindCellInSortedColumn(benchmark::State& state) {
  std::vector<std::string> keys = MakeKeys(kSortRows);
  std::sort(keys.begin(), keys.end());
  kez::TStringArray table(nullptr);
  table.Resize(1, kSortRows);
  for (std::int32_t r = 1; r <= kSortRows; ++r) table.SetString(1, r, keys[r - 1]);
  std::vector<kez::String> wanted;
  for (const std::string& key : keys) wanted.push_back(kez::AnsiToString(key));
  for (auto _ : state) {
    std::int32_t hits = 0;
    for (const kez::String& key : wanted) {
      std::int32_t row = 0;
      hits += table.FindCellInSortedColumn(key, true, 1, -1, -1, true, row);
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetItemsProcessed(state.iterations() * kSortRows);
}
BENCHMARK(BM_Search_FindCellInSortedColumn)->Unit(benchmark::kMillisecond);

void BM_Search_StdLowerBound(benchmark::State& state) {
  std::vector<std::string> keys = MakeKeys(kSortRows);
  std::sort(keys.begin(), keys.end());
  for (auto _ : state) {
    std::int32_t hits = 0;
    for (const std::string& key : keys) {
      const auto it = std::lower_bound(keys.begin(), keys.end(), key);
      hits += it != keys.end() && *it == key;
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetItemsProcessed(state.iterations() * kSortRows);
}
BENCHMARK(BM_Search_StdLowerBound)->Unit(benchmark::kMillisecond);

}  // namespace
