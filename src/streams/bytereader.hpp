// Byte-by-byte reading of a stream without a virtual call per byte for memory streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <typeinfo>
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
    if (FPos != FStart) FStream.Seek(FPos, soBeginning);
  }

  bool NextByte(std::uint8_t& Byte) {
    if (FPos >= FSize) return false;
    Byte = FData[FPos++];
    return true;
  }

  // Rest / RestSize / Skip
  // The bytes not yet read, in place, for readers that scan a run of them at once; Skip
  // consumes Count of them (at most RestSize()).
  const std::uint8_t* Rest() const { return FData + FPos; }
  std::size_t RestSize() const {
    return FPos < FSize ? static_cast<std::size_t>(FSize - FPos) : 0;
  }
  void Skip(std::size_t Count) { FPos += static_cast<std::int64_t>(Count); }

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
  // The exact type is tested first: it is much cheaper than the cast, and line readers
  // call this once per line.
  auto* memory = typeid(Stream) == typeid(TMemoryStream) ? static_cast<TMemoryStream*>(&Stream)
                                                         : dynamic_cast<TMemoryStream*>(&Stream);
  if (memory != nullptr) {
    CharReader<MemoryByteReader> reader(*memory);
    return std::forward<Body>(body)(reader);
  }
  CharReader<StreamByteReader> reader(Stream);
  return std::forward<Body>(body)(reader);
}

}  // namespace kez::detail
