// Helpers shared by the stream classes.
#pragma once

#include <cstdint>

#include "kez/platform/stream.hpp"

namespace kez::detail {

// The position a Seek lands on: Offset from the start, from Current or from End; a negative
// result is 0, a result beyond the 64-bit range raises EStreamError.
std::int64_t SeekTarget(std::int64_t Offset, TSeekOrigin Origin, std::int64_t Current,
                        std::int64_t End);

// False when the file system of the regular file fd has fewer free blocks than a write of
// Count bytes at Pos could need (its bytes beyond the file's end; a hole before Pos takes
// none). Writers refuse such a write, be it a full disk or a count far beyond any buffer,
// before any of its bytes are written. True when the file system says nothing to go by.
bool RoomFor(int Fd, std::int64_t Pos, std::int64_t Count);

}  // namespace kez::detail
