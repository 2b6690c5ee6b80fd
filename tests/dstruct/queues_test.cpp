#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/platform/random.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(TFifo, Examples) {
  TFifo fifo(nullptr);
  EXPECT_EQ(fifo.Size(), 256);
  std::uint8_t b = 0;
  EXPECT_FALSE(fifo.GetByte(b));
  EXPECT_TRUE(fifo.PutByte(1));
  EXPECT_TRUE(fifo.PutByte(2));
  EXPECT_TRUE(fifo.LoadBack(9));
  EXPECT_EQ(fifo.CountBytes(), 3);
  EXPECT_TRUE(fifo.SenseByte(0, b));
  EXPECT_EQ(b, 9);
  EXPECT_TRUE(fifo.SenseByte(2, b));
  EXPECT_EQ(b, 2);
  EXPECT_FALSE(fifo.SenseByte(3, b));
  EXPECT_FALSE(fifo.SenseByte(-1, b));
  EXPECT_EQ(fifo.CountBytes(), 3);
  for (std::uint8_t expected : {9, 1, 2}) {
    ASSERT_TRUE(fifo.GetByte(b));
    EXPECT_EQ(b, expected);
  }
  EXPECT_FALSE(fifo.GetByte(b));
}

TEST(TFifo, HoldsSizeMinusOneAndForceDropsTheOldest) {
  TFifo fifo(nullptr);
  // Start away from position 0 so that the ring wraps while it fills.
  for (int i = 0; i < 200; ++i) fifo.PutByte(0);
  std::uint8_t b;
  for (int i = 0; i < 200; ++i) fifo.GetByte(b);
  for (int i = 0; i < 255; ++i) ASSERT_TRUE(fifo.PutByte(static_cast<std::uint8_t>(i))) << i;
  EXPECT_EQ(fifo.CountBytes(), 255);
  EXPECT_FALSE(fifo.PutByte(99));
  EXPECT_FALSE(fifo.LoadBack(99));
  EXPECT_TRUE(fifo.ForceByte(255));
  EXPECT_EQ(fifo.CountBytes(), 255);
  ASSERT_TRUE(fifo.GetByte(b));
  EXPECT_EQ(b, 1);                  // byte 0 was dropped
  EXPECT_FALSE(fifo.ForceByte(7));  // room again: nothing dropped
  for (int expected = 2; expected <= 255; ++expected) {
    ASSERT_TRUE(fifo.GetByte(b));
    EXPECT_EQ(b, expected);
  }
  ASSERT_TRUE(fifo.GetByte(b));
  EXPECT_EQ(b, 7);
  EXPECT_EQ(fifo.CountBytes(), 0);
}

TEST(TFifo, LoadBackWrapsBelowPositionZero) {
  TFifo fifo(nullptr);
  fifo.SetSize(4);
  for (std::uint8_t v : {3, 2, 1}) ASSERT_TRUE(fifo.LoadBack(v));
  EXPECT_FALSE(fifo.LoadBack(0));
  EXPECT_EQ(fifo.CountBytes(), 3);
  std::uint8_t b;
  for (std::uint8_t expected : {1, 2, 3}) {
    ASSERT_TRUE(fifo.GetByte(b));
    EXPECT_EQ(b, expected);
  }
}

TEST(TFifo, ResizeKeepsTheNewestWaitingBytesInOrder) {
  TFifo fifo(nullptr);
  fifo.SetSize(5);
  for (std::uint8_t v : {1, 2, 3}) fifo.PutByte(v);
  std::uint8_t b;
  fifo.GetByte(b);
  for (std::uint8_t v : {4, 5}) fifo.PutByte(v);  // wrapped: 2 3 4 5
  fifo.SetSize(0);
  fifo.SetSize(1);
  EXPECT_EQ(fifo.Size(), 5);
  fifo.SetSize(100);
  EXPECT_EQ(fifo.CountBytes(), 4);
  fifo.SetSize(3);  // room for two: the oldest go
  EXPECT_EQ(fifo.CountBytes(), 2);
  for (std::uint8_t expected : {4, 5}) {
    ASSERT_TRUE(fifo.GetByte(b));
    EXPECT_EQ(b, expected);
  }
  EXPECT_TRUE(fifo.PutByte(6));
  EXPECT_TRUE(fifo.PutByte(7));
  EXPECT_FALSE(fifo.PutByte(8));
}

TEST(TStringAccu, KeepsOrderOfFirstAppearanceAndCounts) {
  TStringAccu accu(nullptr);
  for (const char16_t* s : {u"a", u"b", u"a", u"A", u""}) accu.Add(s);
  EXPECT_EQ(accu.Size(), 4);
  const std::vector<String> strings{u"a", u"b", u"A", u""};
  const std::vector<std::int32_t> counts{2, 1, 1, 1};
  for (std::int32_t ix = 1; ix <= 4; ++ix) {
    EXPECT_EQ(accu.Elem(ix), strings[static_cast<std::size_t>(ix - 1)]);
    EXPECT_EQ(accu.Count(ix), counts[static_cast<std::size_t>(ix - 1)]);
  }
  for (std::int32_t ix : {0, 5, -1}) {
    EXPECT_EQ(accu.GetString(ix), u"");
    EXPECT_EQ(accu.GetCount(ix), 0);
  }
  accu.Clear();
  EXPECT_EQ(accu.Size(), 0);
  accu.Add(u"b");
  EXPECT_EQ(accu.Elem(1), u"b");
  EXPECT_EQ(accu.Count(1), 1);
}

TEST(TStringAccu, ManyDistinctStrings) {
  TStringAccu accu(nullptr);
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 5000; ++i) accu.Add(u"item " + String(1, static_cast<char16_t>(i + 1)));
  EXPECT_EQ(accu.Size(), 5000);
  EXPECT_EQ(accu.Elem(5000), u"item " + String(1, char16_t{5000}));
  EXPECT_EQ(accu.Count(4321), 3);
}

TEST(TStringAccu, AgreesWithAListOnRandomAdds) {
  TStringAccu accu(nullptr);
  std::vector<std::pair<String, std::int32_t>> model;  // in order of first appearance
  std::mt19937 gen(26);
  for (int step = 0; step < 20000; ++step) {
    if (gen() % 2000 == 0) {
      accu.Clear();
      model.clear();
    }
    const String s(gen() % 3, static_cast<char16_t>(u'a' + gen() % 4));
    accu.Add(s);
    const auto it =
        std::find_if(model.begin(), model.end(), [&](const auto& e) { return e.first == s; });
    if (it == model.end()) {
      model.emplace_back(s, 1);
    } else {
      ++it->second;
    }
    ASSERT_EQ(accu.Size(), static_cast<std::int32_t>(model.size()));
    const auto ix = static_cast<std::int32_t>(gen() % model.size()) + 1;
    ASSERT_EQ(accu.Elem(ix), model[static_cast<std::size_t>(ix - 1)].first);
    ASSERT_EQ(accu.Count(ix), model[static_cast<std::size_t>(ix - 1)].second);
  }
}

// Encodes Input in one chunk with the default BufLeng and returns every byte handed out.
Bytes EncodeAll(const Bytes& Input) {
  TRLEncoder rle(nullptr);
  Bytes block(static_cast<std::size_t>(rle.BufLeng())), out;
  rle.Reset();
  if (rle.Encode(Input, static_cast<std::int32_t>(Input.size()))) {
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

struct EncodeCase {
  Bytes input;
  Bytes encoded;
};

class TRLEncoderFormat : public testing::TestWithParam<EncodeCase> {};

TEST_P(TRLEncoderFormat, WritesTheEncodedBytes) {
  EXPECT_EQ(EncodeAll(GetParam().input), GetParam().encoded);
}

Bytes Repeat(std::size_t n, std::uint8_t v) { return Bytes(n, v); }

INSTANTIATE_TEST_SUITE_P(Sequences, TRLEncoderFormat,
                         testing::Values(EncodeCase{{}, {0xA5, 0, 0}},
                                         EncodeCase{{1, 1, 1, 1}, {0xA5, 4, 1}},
                                         EncodeCase{{1, 2, 2, 3}, {1, 2, 2, 0xA5, 1, 3}},
                                         EncodeCase{{0xA5, 7}, {0xA5, 1, 0xA5, 0xA5, 1, 7}},
                                         EncodeCase{{0xA5, 0xA5, 1}, {0xA5, 2, 0xA5, 0xA5, 1, 1}},
                                         EncodeCase{Repeat(300, 9), {0xA5, 255, 9, 0xA5, 45, 9}},
                                         EncodeCase{Repeat(255, 9), {0xA5, 255, 9, 0xA5, 0, 9}}));

TEST(TRLEncoder, FinishAgainAppendsEmptyTriplets) {
  TRLEncoder rle(nullptr);
  rle.SetBufLeng(4);
  Bytes block(4);
  const Bytes input{1, 2, 3, 4, 5};
  EXPECT_TRUE(rle.Encode(input, 5));  // 1 2 3 4 wait; run of 5 pending
  rle.GetResult(block);
  EXPECT_EQ(block, (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(rle.Finish(block), 3);
  EXPECT_EQ(block, (Bytes{0xA5, 1, 5, 4}));
  EXPECT_EQ(rle.Finish(block), 3);
  EXPECT_EQ(block, (Bytes{0xA5, 0, 5, 4}));
  Bytes small(2);
  EXPECT_EQ(rle.Finish(small), -1);
  EXPECT_EQ(rle.WaitingBytes(), 0);
}

TEST(TRLEncoder, DecodingHandsOutBlocksAndFinishTheTail) {
  TRLEncoder rle(nullptr);
  rle.SetBufLeng(4);
  Bytes block(4);
  rle.Reset();
  bool ready = false;
  for (std::uint8_t x : {7, 0xA5, 5, 1, 0xA5, 0, 3, 8}) ready = rle.Decode(x);
  EXPECT_TRUE(ready);
  rle.GetResult(block);
  EXPECT_EQ(block, (Bytes{7, 1, 1, 1}));
  EXPECT_EQ(rle.Finish(block), 3);  // no triplet appended after decoding
  EXPECT_EQ((Bytes{block.begin(), block.begin() + 3}), (Bytes{1, 1, 8}));
  EXPECT_EQ(rle.Finish(block), 0);
}

TEST(TRLEncoder, FinishDecodeAppendsNothingAndTellsACutTriplet) {
  TRLEncoder rle(nullptr);
  rle.SetBufLeng(4);
  Bytes block(4, 0xEE);
  bool incomplete = true;
  EXPECT_EQ(rle.FinishDecode(block, incomplete), 0);  // no input: no closing triplet
  EXPECT_FALSE(incomplete);
  EXPECT_EQ(block, Bytes(4, 0xEE));
  for (const Bytes& cut : {Bytes{9, 0xA5}, Bytes{9, 0xA5, 5}}) {
    rle.Reset();
    rle.Decode(cut, static_cast<std::int32_t>(cut.size()));
    EXPECT_EQ(rle.FinishDecode(block, incomplete), 1);
    EXPECT_EQ(block[0], 9);
    EXPECT_TRUE(incomplete);
  }
  rle.Reset();
  rle.Decode(Bytes{0xA5, 6, 2}, 3);
  Bytes small(3);
  EXPECT_EQ(rle.FinishDecode(small, incomplete), -1);
  EXPECT_EQ(rle.FinishDecode(block, incomplete), 4);
  EXPECT_EQ(rle.FinishDecode(block, incomplete), 2);
  EXPECT_EQ(block, (Bytes{2, 2, 2, 2}));
  EXPECT_FALSE(incomplete);
}

TEST(TRLEncoder, OversizedChunksAndUnfetchedRunsGrowTheBuffer) {
  TRLEncoder rle(nullptr);
  rle.SetBufLeng(2);  // an 8-byte buffer
  Bytes input;
  for (int i = 0; i < 1000; ++i) input.insert(input.end(), {0xA5, static_cast<std::uint8_t>(i)});
  EXPECT_TRUE(rle.Encode(input, static_cast<std::int32_t>(input.size())));
  EXPECT_GT(rle.WaitingBytes(), 3000);

  rle.Reset();
  for (int i = 0; i < 40; ++i) {
    rle.Decode(0xA5);
    rle.Decode(255);
    rle.Decode(6);
  }
  EXPECT_EQ(rle.WaitingBytes(), 40 * 255);
  rle.SetBufLeng(1000);  // waiting bytes survive a new block length
  EXPECT_EQ(rle.WaitingBytes(), 40 * 255);
  Bytes block(1000);
  rle.GetResult(block);
  EXPECT_EQ(block, Bytes(1000, 6));
}

TEST(TRLEncoder, RoundTripsInRandomChunkings) {
  RandSeed = 2024;
  for (int trial = 0; trial < 40; ++trial) {
    SCOPED_TRACE(trial);
    // Runs of random length over a small alphabet that includes the lead-in byte.
    Bytes input;
    const int runs = Random(400);
    for (int r = 0; r < runs; ++r) {
      const std::uint8_t v = static_cast<std::uint8_t>(0xA3 + Random(4));
      input.insert(input.end(), static_cast<std::size_t>(1 + Random(Random(2) ? 4 : 600)), v);
    }
    // The shortest blocks too: Finish must end the caller's loop for them.
    const std::int32_t bufLeng = trial < 4 ? 1 + trial : 1 + Random(300);

    TRLEncoder rle(nullptr);
    rle.SetBufLeng(bufLeng);
    Bytes block(static_cast<std::size_t>(bufLeng)), encoded, decoded;
    auto drain = [&](Bytes& sink) {
      while (rle.WaitingBytes() >= rle.BufLeng()) {
        rle.GetResult(block);
        sink.insert(sink.end(), block.begin(), block.end());
      }
    };
    auto finish = [&](Bytes& sink) {
      std::int32_t n;
      do {
        n = rle.Finish(block);
        sink.insert(sink.end(), block.begin(), block.begin() + n);
      } while (n == rle.BufLeng());
    };
    rle.Reset();
    for (std::size_t pos = 0; pos < input.size();) {
      const auto len = std::min<std::size_t>(input.size() - pos, 1 + Random(700));
      if (rle.Encode(std::span(input).subspan(pos, len), static_cast<std::int32_t>(len)))
        drain(encoded);
      pos += len;
    }
    finish(encoded);

    rle.Reset();
    for (std::size_t pos = 0; pos < encoded.size();) {
      const auto len = std::min<std::size_t>(encoded.size() - pos, 1 + Random(50));
      const bool ready = Random(2) ? rle.Decode(std::span(encoded).subspan(pos, len),
                                                static_cast<std::int32_t>(len))
                                   : [&] {
                                       bool r = false;
                                       for (std::size_t i = pos; i < pos + len; ++i)
                                         r = rle.Decode(encoded[i]);
                                       return r;
                                     }();
      if (ready) drain(decoded);
      pos += len;
    }
    finish(decoded);
    EXPECT_EQ(decoded, input);
  }
}

// The format's encoder and decoder, written out step by step.
Bytes EncodeModel(const Bytes& Input) {
  Bytes out;
  unsigned count = 0;
  std::uint8_t last = 0;
  auto flush = [&] {
    if (last != 0xA5 && count <= 2) {
      out.insert(out.end(), count, last);
    } else {
      out.insert(out.end(), {0xA5, static_cast<std::uint8_t>(count), last});
    }
  };
  for (std::uint8_t b : Input) {
    if (count == 0) {
      count = 1;
      last = b;
    } else if (b == last) {
      if (++count == 255) {
        out.insert(out.end(), {0xA5, 255, last});
        count = 0;
      }
    } else {
      flush();
      count = 1;
      last = b;
    }
  }
  out.insert(out.end(), {0xA5, static_cast<std::uint8_t>(count), last});
  return out;
}

Bytes DecodeModel(const Bytes& Encoded) {
  Bytes out;
  enum { data, leadin, cnt } state = data;
  std::uint8_t count = 0;
  for (std::uint8_t x : Encoded) {
    if (state == data) {
      if (x == 0xA5) {
        state = leadin;
      } else {
        out.push_back(x);
      }
    } else if (state == leadin) {
      count = x;
      state = cnt;
    } else {
      out.insert(out.end(), count, x);
      state = data;
    }
  }
  return out;
}

TEST(TRLEncoder, AgreesWithTheFormatOnRandomInputs) {
  std::mt19937 gen(11);
  const std::uint8_t alphabet[] = {0xA5, 0xA5, 0, 1, 1, 1, 255, 7};
  auto randomBytes = [&](std::size_t n) {
    Bytes v(n);
    for (auto& b : v) b = alphabet[gen() % sizeof(alphabet)];
    return v;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::int32_t bufLeng = round % 3 == 0 ? 1 + static_cast<std::int32_t>(gen() % 5)
                                                : 1 + static_cast<std::int32_t>(gen() % 40);
    TRLEncoder rle(nullptr);
    rle.SetBufLeng(bufLeng);
    Bytes block(static_cast<std::size_t>(bufLeng)), got;
    auto take = [&] {
      while (rle.WaitingBytes() >= rle.BufLeng()) {
        rle.GetResult(block);
        got.insert(got.end(), block.begin(), block.end());
      }
    };
    auto finish = [&] {
      for (int calls = 0;; ++calls) {
        ASSERT_LT(calls, 1000) << "Finish does not end with BufLeng " << bufLeng;
        const std::int32_t n = rle.Finish(block);
        got.insert(got.end(), block.begin(), block.begin() + n);
        if (n < rle.BufLeng()) break;
      }
    };
    // Runs long enough to reach 255 now and then.
    Bytes input;
    for (int r = static_cast<int>(gen() % 12); r > 0; --r) {
      const Bytes piece = randomBytes(1);
      input.insert(input.end(), gen() % 4 == 0 ? 200 + gen() % 120 : 1 + gen() % 4, piece[0]);
    }
    rle.Reset();
    for (std::size_t pos = 0; pos < input.size();) {
      const std::size_t len = std::min<std::size_t>(input.size() - pos, 1 + gen() % 30);
      rle.Encode(std::span(input).subspan(pos, len), static_cast<std::int32_t>(len));
      take();
      pos += len;
    }
    finish();
    // What follows the model's bytes can only be empty closing triplets.
    const Bytes want = EncodeModel(input);
    ASSERT_GE(got.size(), want.size());
    ASSERT_EQ(Bytes(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(want.size())), want);
    for (std::size_t i = want.size(); i < got.size(); i += 3) {
      ASSERT_EQ(got[i], 0xA5);
      ASSERT_EQ(got[i + 1], 0);
    }
    EXPECT_EQ(DecodeModel(want), input);

    // Decoding any byte sequence, well-formed or not (Finish without any Decode would
    // close an encoding).
    const Bytes encoded = randomBytes(1 + gen() % 40);
    got.clear();
    rle.Reset();
    for (std::size_t pos = 0; pos < encoded.size();) {
      const std::size_t len = std::min<std::size_t>(encoded.size() - pos, 1 + gen() % 6);
      if (gen() % 2) {
        rle.Decode(std::span(encoded).subspan(pos, len), static_cast<std::int32_t>(len));
      } else {
        for (std::size_t i = pos; i < pos + len; ++i) rle.Decode(encoded[i]);
      }
      take();
      pos += len;
    }
    finish();
    ASSERT_EQ(got, DecodeModel(encoded));
  }
}

TEST(TRLEncoder, LargestBufLengAllocatesNothingUpFront) {
  TRLEncoder rle(nullptr);
  rle.SetBufLeng(std::numeric_limits<std::int32_t>::max());
  rle.Reset();
  const Bytes input{1, 1, 1, 2};
  EXPECT_FALSE(rle.Encode(input, 4));
  Bytes out(16);
  EXPECT_EQ(rle.Finish(out), 6);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 6), (Bytes{0xA5, 3, 1, 0xA5, 1, 2}));
  rle.SetBufLeng(0);
  rle.SetBufLeng(-1);
  EXPECT_EQ(rle.BufLeng(), std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace kez
