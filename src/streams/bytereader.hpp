// Byte-by-byte reading of a stream without a virtual call per byte for memory streams.
#pragma once

#include <cstdint>
#include <utility>

#include "kez/platform/stream.hpp"

namespace kez::detail {

// ByteReader<S>
// Reads one byte at a time through S::Read. With S = TMemoryStream the call is direct (its
// Read is final) and costs no allocation; with S = TStream it goes through the vtable.
template <class S>
struct ByteReader {
  S& Stream;

  bool NextByte(std::uint8_t& Byte) { return Stream.Read(&Byte, 1) == 1; }

  // The byte as the character with the same code.
  bool Next(char16_t& Ch) {
    std::uint8_t byte;
    if (!NextByte(byte)) return false;
    Ch = byte;
    return true;
  }
};

// WithByteReader
// Calls Body with the fastest ByteReader for the stream's kind.
template <class Body>
decltype(auto) WithByteReader(TStream& Stream, Body&& body) {
  if (auto* memory = dynamic_cast<TMemoryStream*>(&Stream)) {
    return std::forward<Body>(body)(ByteReader<TMemoryStream>{*memory});
  }
  return std::forward<Body>(body)(ByteReader<TStream>{Stream});
}

}  // namespace kez::detail
