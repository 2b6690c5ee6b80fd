// A read-only byte stream over a text that is not a memory stream, so that readers take
// their general path through the virtual Read. With a Piece it hands out at most that many
// bytes per Read, as a pipe or a socket may: code that reads in blocks must not take a short
// read for the end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "kez/platform/stream.hpp"

namespace kez::test {

class PlainStream : public TStream {
 public:
  explicit PlainStream(std::string Data, std::int64_t Piece = INT64_MAX)
      : FData(std::move(Data)), FPiece(Piece) {}
  PlainStream(const std::vector<std::uint8_t>& Data, std::int64_t Piece)
      : PlainStream(std::string(Data.begin(), Data.end()), Piece) {}
  std::int64_t Read(void* Buffer, std::int64_t Count) override {
    const auto n = std::min({Count, FPiece, static_cast<std::int64_t>(FData.size()) - FPos});
    if (n <= 0) return 0;
    std::memcpy(Buffer, FData.data() + FPos, static_cast<std::size_t>(n));
    FPos += n;
    return n;
  }
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override {
    const std::int64_t base = Origin == soBeginning ? 0
                              : Origin == soCurrent ? FPos
                                                    : static_cast<std::int64_t>(FData.size());
    FPos = std::max<std::int64_t>(0, base + Offset);
    return FPos;
  }

 private:
  std::string FData;
  std::int64_t FPiece;
  std::int64_t FPos = 0;
};

}  // namespace kez::test
