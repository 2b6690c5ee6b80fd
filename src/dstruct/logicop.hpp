// The byte-wise TLogicOp combination shared by TBitFld and TByteMatrix.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kez/dstruct/bitfield.hpp"

namespace kez::detail {

// CombineBytes
// a[i] := a[i] op b[i] for i in 0 .. Count-1. a and b may be the same array. The operation
// is chosen once, outside the loop, so that each case compiles to a plain vector loop.
inline void CombineBytes(std::uint8_t* a, const std::uint8_t* b, std::size_t Count, TLogicOp op) {
  auto apply = [&](auto f) {
    for (std::size_t i = 0; i < Count; ++i) a[i] = static_cast<std::uint8_t>(f(a[i], b[i]));
  };
  switch (op) {
    case loAND:
      apply([](unsigned x, unsigned y) { return x & y; });
      break;
    case loOR:
      apply([](unsigned x, unsigned y) { return x | y; });
      break;
    case loXOR:
      apply([](unsigned x, unsigned y) { return x ^ y; });
      break;
    case loANDNot:
      apply([](unsigned x, unsigned y) { return x & ~y; });
      break;
    case loORNot:
      apply([](unsigned x, unsigned y) { return x | ~y; });
      break;
    case loXORNot:
      apply([](unsigned x, unsigned y) { return x ^ ~y; });
      break;
  }
}

}  // namespace kez::detail
