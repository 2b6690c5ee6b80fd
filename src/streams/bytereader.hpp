// Byte-by-byte reading of a stream without a virtual call per byte for memory streams.
#pragma once

#include <cstdint>
#include <utility>

#include "kez/platform/stream.hpp"

namespace kez::detail {

// StreamByteReader
// Reads one byte at a time through the stream's virtual Read.
class StreamByteReader {
 public:
  explicit StreamByteReader(TStream& Stream) : FStream(Stream) {}
  bool NextByte(std::uint8_t& Byte) { return FStream.Read(&Byte, 1) == 1; }

 private:
  TStream& FStream;
};

// MemoryByteReader
// Reads a memory stream's bytes in place. TMemoryStream's Read and Seek are final, so
// reading its memory directly behaves exactly like calling Read for each byte, at the cost
// of an inlined bounds test. The position is kept here and handed back to the stream when
// the reader goes out of scope; the stream must not be used in between.
class MemoryByteReader {
 public:
  explicit MemoryByteReader(TMemoryStream& Stream)
      : FStream(Stream),
        FData(Stream.Memory()),
        FSize(Stream.Size()),
        FPos(Stream.Position()),
        FStart(FPos) {}
  MemoryByteReader(const MemoryByteReader&) = delete;
  MemoryByteReader& operator=(const MemoryByteReader&) = delete;
  ~MemoryByteReader() {
    if (FPos != FStart) FStream.SetPosition(FPos);
  }

  bool NextByte(std::uint8_t& Byte) {
    if (FPos >= FSize) return false;
    Byte = FData[FPos++];
    return true;
  }

 private:
  TMemoryStream& FStream;
  const std::uint8_t* FData;
  std::int64_t FSize;
  std::int64_t FPos;
  std::int64_t FStart;
};

// CharReader
// A byte reader that also delivers each byte as the character with the same code, the
// character source of the tag grammar.
template <class Bytes>
struct CharReader : Bytes {
  using Bytes::Bytes;
  bool Next(char16_t& Ch) {
    std::uint8_t byte;
    if (!this->NextByte(byte)) return false;
    Ch = byte;
    return true;
  }
};

// WithByteReader
// Calls Body with the fastest reader for the stream's kind (as an lvalue reference) and
// returns its result. The stream's position is up to date once this returns, not inside
// Body.
template <class Body>
decltype(auto) WithByteReader(TStream& Stream, Body&& body) {
  if (auto* memory = dynamic_cast<TMemoryStream*>(&Stream)) {
    CharReader<MemoryByteReader> reader(*memory);
    return std::forward<Body>(body)(reader);
  }
  CharReader<StreamByteReader> reader(Stream);
  return std::forward<Body>(body)(reader);
}

}  // namespace kez::detail
