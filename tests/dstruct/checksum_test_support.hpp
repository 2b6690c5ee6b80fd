// Helpers of the checksum tests: random bytes, a stream that hands out data in small
// pieces, and a scoped cap on the checksum kernels.
#pragma once

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/dstruct/detail/checksum_paths.hpp"

namespace kez::test {

inline std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(gen());
  return v;
}

inline std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// A read-only stream over bytes that returns at most Piece bytes per Read, as a pipe or a
// socket may: code that reads in blocks must not take a short read for the end.
class PiecewiseStream : public TStream {
 public:
  PiecewiseStream(std::vector<std::uint8_t> Data, std::int64_t Piece)
      : FData(std::move(Data)), FPiece(Piece) {}
  std::int64_t Read(void* Buffer, std::int64_t Count) override {
    const std::int64_t n =
        std::min({Count, FPiece, static_cast<std::int64_t>(FData.size()) - FPos});
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
  std::vector<std::uint8_t> FData;
  std::int64_t FPiece;
  std::int64_t FPos = 0;
};

// Caps the checksum kernels for the scope of the object.
class ScopedPathCap {
 public:
  explicit ScopedPathCap(detail::ChecksumPath Cap) : FPrevious(detail::SetChecksumPathLimit(Cap)) {}
  ~ScopedPathCap() { detail::SetChecksumPathLimit(FPrevious); }
  ScopedPathCap(const ScopedPathCap&) = delete;
  ScopedPathCap& operator=(const ScopedPathCap&) = delete;

 private:
  detail::ChecksumPath FPrevious;
};

inline const char* PathName(detail::ChecksumPath p) {
  return p == detail::cpPortable ? "Portable" : p == detail::cpSSE ? "SSE" : "AVX2";
}

}  // namespace kez::test
