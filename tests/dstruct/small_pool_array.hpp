// A TStringArray whose pool may use only a few blocks, so tests reach the full-pool paths
// without allocating 2 GiB.
#pragma once

#include "kez/dstruct.hpp"

namespace kez::test {

class SmallPoolArray : public TStringArray {
 public:
  explicit SmallPoolArray(std::int32_t Blocks) : TStringArray(nullptr) {
    SetPoolBlockLimit(Blocks);
  }
};

}  // namespace kez::test
