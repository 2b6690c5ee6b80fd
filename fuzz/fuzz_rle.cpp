// TRLEncoder decoding of arbitrary bytes fed in chunks whose sizes come from the input, with
// a block length from the input; the decoded bytes must not depend on the chunking (they are
// compared with a byte-by-byte decode). Then the round trip: the decoded bytes encoded in
// chunks and decoded again must come back exactly.
#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Collects every block the coder hands out, then what Finish gives until nothing waits.
void Drain(kez::TRLEncoder& Coder, Bytes& Out, bool Final) {
  Bytes block(static_cast<std::size_t>(Coder.BufLeng()));
  while (Coder.WaitingBytes() >= Coder.BufLeng()) {
    Coder.GetResult(block);
    Out.insert(Out.end(), block.begin(), block.end());
  }
  if (!Final) return;
  for (int i = 0; i < 1000; ++i) {
    const std::int32_t n = Coder.Finish(block);
    if (n < 0) std::abort();
    Out.insert(Out.end(), block.begin(), block.begin() + n);
    if (Coder.WaitingBytes() == 0) return;
  }
  std::abort();  // Finish must end
}

Bytes Run(bool Encode, std::span<const std::uint8_t> Data, std::int32_t BufLeng,
          kezfuzz::Input* Chunks) {
  kez::TRLEncoder coder(nullptr);
  coder.SetBufLeng(BufLeng);
  Bytes out;
  std::size_t pos = 0;
  while (pos < Data.size()) {
    std::size_t n = Chunks != nullptr ? Chunks->Byte() % 17 : 1;
    if (n == 0) n = Data.size() - pos;
    n = std::min(n, Data.size() - pos);
    const auto sub = Data.subspan(pos, n);
    if (Encode) {
      coder.Encode(sub, static_cast<std::int32_t>(n));
    } else {
      coder.Decode(sub, static_cast<std::int32_t>(n));
    }
    Drain(coder, out, false);
    pos += n;
  }
  if (Encode || !Data.empty()) Drain(coder, out, true);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const std::int32_t bufLeng = 1 + in.Byte() % 64;
  const std::string_view head = in.Bytes();  // the chunk sizes
  const std::string_view body = in.Rest();
  const std::span<const std::uint8_t> encoded(reinterpret_cast<const std::uint8_t*>(body.data()),
                                              body.size());

  kezfuzz::Input chunks(reinterpret_cast<const std::uint8_t*>(head.data()), head.size());
  const Bytes decoded = Run(false, encoded, bufLeng, &chunks);
  if (Run(false, encoded, bufLeng, nullptr) != decoded) std::abort();

  kezfuzz::Input chunks2(reinterpret_cast<const std::uint8_t*>(head.data()), head.size());
  const Bytes reencoded = Run(true, decoded, bufLeng, &chunks2);
  if (Run(false, reencoded, bufLeng, nullptr) != decoded) std::abort();
  return 0;
}
