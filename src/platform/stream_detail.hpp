// Helpers shared by the stream classes.
#pragma once

#include <cstdint>

#include "kez/platform/stream.hpp"

namespace kez::detail {

// The position a Seek lands on: Offset from the start, from Current or from End; a negative
// result is 0, a result beyond the 64-bit range raises EStreamError.
std::int64_t SeekTarget(std::int64_t Offset, TSeekOrigin Origin, std::int64_t Current,
                        std::int64_t End);

}  // namespace kez::detail
