// Helpers of the checksum tests: random bytes and a scoped cap on the checksum kernels
// (PlainStream hands out data in small pieces).
#pragma once

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/dstruct/detail/checksum_paths.hpp"
#include "plain_stream.hpp"

namespace kez::test {

inline std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(gen());
  return v;
}

inline std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

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
  return p == detail::cpPortable ? "Portable"
         : p == detail::cpSSE    ? "SSE"
         : p == detail::cpAVX2   ? "AVX2"
                                 : "AVX512";
}

}  // namespace kez::test
