// TRLEncoder against zlib's run-length deflate (Z_RLE) over 100 MB in 64 KiB chunks, and
// TStringAccu against a plain std::unordered_map count of the same strings.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/platform/random.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kInputSize = 100u << 20;
constexpr std::size_t kChunk = 64u << 10;

// Runs of 1 to 16 equal bytes of any value: about half the input sits in runs of three or more.
const Bytes& Input() {
  static const Bytes data = [] {
    Bytes d;
    d.reserve(kInputSize);
    kez::RandSeed = 99;
    while (d.size() < kInputSize) {
      const auto v = static_cast<std::uint8_t>(kez::Random(256));
      d.insert(d.end(), std::min<std::size_t>(1 + kez::Random(16), kInputSize - d.size()), v);
    }
    return d;
  }();
  return data;
}

Bytes Encode(kez::TRLEncoder& rle, const Bytes& in) {
  Bytes out, block(static_cast<std::size_t>(rle.BufLeng()));
  out.reserve(in.size() + in.size() / 4);
  rle.Reset();
  for (std::size_t pos = 0; pos < in.size(); pos += kChunk) {
    const auto len = static_cast<std::int32_t>(std::min(kChunk, in.size() - pos));
    if (!rle.Encode(std::span(in).subspan(pos, static_cast<std::size_t>(len)), len)) continue;
    while (rle.WaitingBytes() >= rle.BufLeng()) {
      rle.GetResult(block);
      out.insert(out.end(), block.begin(), block.end());
    }
  }
  std::int32_t n;
  do {
    n = rle.Finish(block);
    out.insert(out.end(), block.begin(), block.begin() + n);
  } while (n == rle.BufLeng());
  return out;
}

const Bytes& Encoded() {
  static const Bytes data = [] {
    kez::TRLEncoder rle(nullptr);
    rle.SetBufLeng(static_cast<std::int32_t>(kChunk));
    return Encode(rle, Input());
  }();
  return data;
}

void BM_RLEncode(benchmark::State& state) {
  kez::TRLEncoder rle(nullptr);
  rle.SetBufLeng(static_cast<std::int32_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Encode(rle, Input()).size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputSize));
  state.counters["ratio"] = static_cast<double>(Encoded().size()) / kInputSize;
}
BENCHMARK(BM_RLEncode)->Arg(256)->Arg(kChunk)->Unit(benchmark::kMillisecond);

// Decodes the encoded input, fed in 64 KiB chunks (Arg 1) or byte by byte (Arg 0).
void BM_RLDecode(benchmark::State& state) {
  const Bytes& enc = Encoded();
  kez::TRLEncoder rle(nullptr);
  rle.SetBufLeng(static_cast<std::int32_t>(kChunk));
  Bytes block(kChunk);
  for (auto _ : state) {
    std::size_t total = 0;
    rle.Reset();
    for (std::size_t pos = 0; pos < enc.size(); pos += kChunk) {
      const auto len = static_cast<std::int32_t>(std::min(kChunk, enc.size() - pos));
      bool ready = false;
      if (state.range(0) == 1) {
        ready = rle.Decode(std::span(enc).subspan(pos, static_cast<std::size_t>(len)), len);
      } else {
        for (std::size_t i = pos; i < pos + static_cast<std::size_t>(len); ++i)
          ready = rle.Decode(enc[i]);
      }
      if (!ready) continue;
      while (rle.WaitingBytes() >= rle.BufLeng()) {
        rle.GetResult(block);
        total += block.size();
      }
    }
    while (std::int32_t n = rle.Finish(block)) total += static_cast<std::size_t>(n);
    if (total != kInputSize) state.SkipWithError("round trip lost bytes");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputSize));
}
BENCHMARK(BM_RLDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

Bytes ZlibRle(const Bytes& in) {
  z_stream z{};
  deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE);
  Bytes out(deflateBound(&z, static_cast<uLong>(in.size())));
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  for (std::size_t pos = 0; pos < in.size(); pos += kChunk) {
    z.next_in = const_cast<Bytef*>(in.data() + pos);
    z.avail_in = static_cast<uInt>(std::min(kChunk, in.size() - pos));
    deflate(&z, pos + kChunk >= in.size() ? Z_FINISH : Z_NO_FLUSH);
  }
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

void BM_ZlibRleDeflate(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ZlibRle(Input()).size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputSize));
}
BENCHMARK(BM_ZlibRleDeflate)->Unit(benchmark::kMillisecond);

void BM_ZlibInflate(benchmark::State& state) {
  const Bytes packed = ZlibRle(Input());
  Bytes out(kChunk);
  for (auto _ : state) {
    z_stream z{};
    inflateInit(&z);
    std::size_t total = 0;
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = static_cast<uInt>(packed.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      rc = inflate(&z, Z_NO_FLUSH);
      total += out.size() - z.avail_out;
    }
    inflateEnd(&z);
    if (total != kInputSize) state.SkipWithError("inflate lost bytes");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputSize));
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);

// 1,000,000 adds drawn from 100,000 distinct strings.
const std::vector<kez::String>& Words() {
  static const std::vector<kez::String> words = [] {
    std::vector<kez::String> w;
    kez::RandSeed = 5;
    for (int i = 0; i < 1000000; ++i) {
      const int id = kez::Random(100000);
      w.push_back(u"word-" + kez::String(1, static_cast<char16_t>(u'A' + id % 26)) +
                  kez::String(1, static_cast<char16_t>(0x100 + id / 26)));
    }
    return w;
  }();
  return words;
}

void BM_StringAccuAdd(benchmark::State& state) {
  const auto& words = Words();
  for (auto _ : state) {
    kez::TStringAccu accu(nullptr);
    for (const auto& w : words) accu.Add(w);
    benchmark::DoNotOptimize(accu.Size());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * words.size()));
}
BENCHMARK(BM_StringAccuAdd)->Unit(benchmark::kMillisecond);

void BM_UnorderedMapCount(benchmark::State& state) {
  const auto& words = Words();
  for (auto _ : state) {
    std::unordered_map<kez::String, std::int32_t> counts;
    for (const auto& w : words) ++counts[w];
    benchmark::DoNotOptimize(counts.size());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * words.size()));
}
BENCHMARK(BM_UnorderedMapCount)->Unit(benchmark::kMillisecond);

}  // namespace
