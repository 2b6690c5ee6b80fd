// TBitFld.CountTrueBits (population table) against std::popcount over the same bytes.
#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/platform/random.hpp"

namespace {

constexpr std::int32_t kBits = 8 * 1024 * 1024 - 1;  // 1 MiB of storage

kez::TBitFld& Field() {
  static kez::TBitFld* field = [] {
    auto* f = new kez::TBitFld(nullptr);
    f->SetSize(kBits);
    kez::RandSeed = 1;
    for (std::int32_t p = 0; p <= kBits; p += 1 + kez::Random(5)) f->SetBit(p, true);
    return f;
  }();
  return *field;
}

void BM_CountTrueBits(benchmark::State& state) {
  kez::TBitFld& field = Field();
  for (auto _ : state) benchmark::DoNotOptimize(field.CountTrueBits());
  state.SetBytesProcessed(state.iterations() * (kBits / 8 + 1));
}
BENCHMARK(BM_CountTrueBits);

void BM_StdPopcount(benchmark::State& state) {
  // The same bytes, read back through the public interface once, counted 64 bits at a time.
  kez::TBitFld& field = Field();
  std::vector<std::uint64_t> words((kBits + 1) / 64);
  for (std::int32_t p = 0; p <= kBits; ++p) {
    if (field.GetBit(p)) words[static_cast<std::size_t>(p) / 64] |= std::uint64_t{1} << (p % 64);
  }
  for (auto _ : state) {
    std::int64_t n = 0;
    for (std::uint64_t w : words) n += std::popcount(w);
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(state.iterations() * (kBits / 8 + 1));
}
BENCHMARK(BM_StdPopcount);

}  // namespace
