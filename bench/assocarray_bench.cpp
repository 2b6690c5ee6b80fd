// TAssocArray against std::unordered_map<std::u16string, Variant>: filling a table with
// 100,000 keys, looking every key up again, and reading a block whose 40,000 keys each come
// twice (in two spellings) from a stream, then removing them key by key.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"

namespace {

std::vector<kez::String> MakeKeys(std::size_t n) {
  std::vector<kez::String> keys;
  keys.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    keys.push_back(u"key_" + kez::IntToStr(static_cast<std::int64_t>(i * 7919)));
  return keys;
}

const std::vector<kez::String>& Keys() {
  static const std::vector<kez::String> keys = MakeKeys(100000);
  return keys;
}

void BM_AssocArray_Insert(benchmark::State& state) {
  const bool ignoreCase = state.range(0) != 0;
  for (auto _ : state) {
    kez::TAssocArray a(nullptr);
    a.SetIgnoreCase(ignoreCase);
    std::int32_t i = 0;
    for (const kez::String& k : Keys()) a.Add(k, kez::Variant(i++));
    benchmark::DoNotOptimize(a.NumEntries());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Keys().size()));
}
BENCHMARK(BM_AssocArray_Insert)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_UnorderedMap_Insert(benchmark::State& state) {
  for (auto _ : state) {
    std::unordered_map<std::u16string, kez::Variant> m;
    std::int32_t i = 0;
    for (const kez::String& k : Keys()) m.insert_or_assign(k, kez::Variant(i++));
    benchmark::DoNotOptimize(m.size());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Keys().size()));
}
BENCHMARK(BM_UnorderedMap_Insert)->Unit(benchmark::kMillisecond);

void BM_AssocArray_Lookup(benchmark::State& state) {
  kez::TAssocArray a(nullptr);
  a.SetIgnoreCase(state.range(0) != 0);
  std::int32_t i = 0;
  for (const kez::String& k : Keys()) a.Add(k, kez::Variant(i++));
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const kez::String& k : Keys()) sum += a.ResolveAsInt(k);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Keys().size()));
}
BENCHMARK(BM_AssocArray_Lookup)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_UnorderedMap_Lookup(benchmark::State& state) {
  std::unordered_map<std::u16string, kez::Variant> m;
  std::int32_t i = 0;
  for (const kez::String& k : Keys()) m.insert_or_assign(k, kez::Variant(i++));
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const kez::String& k : Keys()) {
      const auto it = m.find(k);
      if (it != m.end()) sum += it->second.ToInt32();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Keys().size()));
}
BENCHMARK(BM_UnorderedMap_Lookup)->Unit(benchmark::kMillisecond);

constexpr std::size_t kRemovals = 40000;

// A block whose keys each come twice, the second time in upper case.
const std::string& DuplicateBlock() {
  static const std::string block = [] {
    kez::TMemoryStream m;
    kez::WriteLnStream(m, u"<assocarray id=\"d\">");
    kez::WriteLnStream(m, u"<numentries val=\"" + kez::IntToStr(2 * kRemovals) + u"\"/>");
    for (std::size_t i = 0; i < kRemovals; ++i) {
      for (const kez::String& key : {Keys()[i], kez::UpperCase(Keys()[i])})
        kez::WriteLnStream(m, u"<assoc key=\"" + key + u"\" type=\"3\" val=\"1\"/>");
    }
    kez::WriteLnStream(m, u"</assocarray>");
    return std::string(reinterpret_cast<const char*>(m.Memory()),
                       static_cast<std::size_t>(m.Size()));
  }();
  return block;
}

void BM_AssocArray_ReadThenRemoveEach(benchmark::State& state) {
  for (auto _ : state) {
    kez::TStringStream stream(DuplicateBlock());
    kez::TAssocArray a(nullptr);
    a.ReadFromXMLStream(stream, u"d");
    for (std::size_t i = 0; i < kRemovals; ++i) a.Remove(Keys()[i]);
    benchmark::DoNotOptimize(a.NumEntries());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRemovals));
}
BENCHMARK(BM_AssocArray_ReadThenRemoveEach)->Unit(benchmark::kMillisecond);

void BM_UnorderedMap_InsertThenEraseEach(benchmark::State& state) {
  for (auto _ : state) {
    std::unordered_map<std::u16string, kez::Variant> m;
    for (std::size_t i = 0; i < kRemovals; ++i) {
      m.insert_or_assign(Keys()[i], kez::Variant(1));
      m.insert_or_assign(kez::LowerCase(kez::UpperCase(Keys()[i])), kez::Variant(1));
    }
    for (std::size_t i = 0; i < kRemovals; ++i) m.erase(Keys()[i]);
    benchmark::DoNotOptimize(m.size());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRemovals));
}
BENCHMARK(BM_UnorderedMap_InsertThenEraseEach)->Unit(benchmark::kMillisecond);

// The removals alone, against erasing from the map: the rows above also time reading the
// block, which the map's row does not parse.
void BM_AssocArray_RemoveEach(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    kez::TStringStream stream(DuplicateBlock());
    auto a = std::make_unique<kez::TAssocArray>(nullptr);
    a->ReadFromXMLStream(stream, u"d");
    state.ResumeTiming();
    for (std::size_t i = 0; i < kRemovals; ++i) a->Remove(Keys()[i]);
    benchmark::DoNotOptimize(a->NumEntries());
    state.PauseTiming();
    a.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRemovals));
}
BENCHMARK(BM_AssocArray_RemoveEach)->Unit(benchmark::kMillisecond);

void BM_UnorderedMap_EraseEach(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto m = std::make_unique<std::unordered_map<std::u16string, kez::Variant>>();
    for (std::size_t i = 0; i < kRemovals; ++i) m->insert_or_assign(Keys()[i], kez::Variant(1));
    state.ResumeTiming();
    for (std::size_t i = 0; i < kRemovals; ++i) m->erase(Keys()[i]);
    benchmark::DoNotOptimize(m->size());
    state.PauseTiming();
    m.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRemovals));
}
BENCHMARK(BM_UnorderedMap_EraseEach)->Unit(benchmark::kMillisecond);

// Looking up every key ignoring case the way a map user would: each key lower-cased (A-Z)
// into a buffer, then found among keys stored lower-cased.
void BM_UnorderedMap_LookupFolded(benchmark::State& state) {
  std::unordered_map<std::u16string, kez::Variant> m;
  std::int32_t i = 0;
  for (const kez::String& k : Keys()) m.insert_or_assign(kez::LowerCase(k), kez::Variant(i++));
  std::u16string folded;
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const kez::String& k : Keys()) {
      folded.assign(k);
      for (char16_t& c : folded) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
      const auto it = m.find(folded);
      if (it != m.end()) sum += it->second.ToInt32();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Keys().size()));
}
BENCHMARK(BM_UnorderedMap_LookupFolded)->Unit(benchmark::kMillisecond);

}  // namespace
