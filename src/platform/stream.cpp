// TStream, TMemoryStream and TStringStream.
#include "kez/platform/stream.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "kez/platform/exceptions.hpp"
#include "dstruct/memorylimit.hpp"
#include "kez/platform/safesave.hpp"
#include "platform/stream_detail.hpp"

namespace kez {

namespace detail {

std::int64_t SeekTarget(std::int64_t Offset, TSeekOrigin Origin, std::int64_t Current,
                        std::int64_t End) {
  std::int64_t base = 0;
  if (Origin == soCurrent) base = Current;
  if (Origin == soEnd) base = End;
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, Offset, &target)) {
    // Only a large positive sum can overflow here: base is never negative.
    throw EStreamError(u"Stream position out of range");
  }
  return std::max<std::int64_t>(0, target);
}

}  // namespace detail

namespace {

// The largest block a memory stream asks for: beyond it the allocator could only fail, and
// sizes this large would overflow the pointer arithmetic of the block.
constexpr std::int64_t kMaxMemoryBlock = std::numeric_limits<std::ptrdiff_t>::max() / 2;

[[noreturn]] void OutOfMemory() { throw EOutOfMemory(u"Out of memory"); }

// Resizes Data to NewSize bytes (zero-filled), growing the capacity geometrically so that
// many small writes cost linear time. Allocation failures become EOutOfMemory.
void ResizeBlock(std::vector<std::uint8_t>& Data, std::int64_t NewSize) {
  if (NewSize > kMaxMemoryBlock) OutOfMemory();
  const auto size = static_cast<std::size_t>(NewSize);
  try {
    if (size > Data.capacity()) {
      Data.reserve(
          std::max(size, std::min(Data.capacity() * 2, static_cast<std::size_t>(kMaxMemoryBlock))));
    }
    Data.resize(size);
  } catch (const std::bad_alloc&) {
    OutOfMemory();
  } catch (const std::length_error&) {
    OutOfMemory();
  }
}

}  // namespace

void TStream::ReadBuffer(void* Buffer, std::int64_t Count) {
  if (Count <= 0) return;
  if (Read(Buffer, Count) != Count) throw EReadError(u"Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, std::int64_t Count) {
  if (Count <= 0) return;
  if (Write(Buffer, Count) != Count) throw EWriteError(u"Stream write error");
}

std::int64_t TStream::Size() {
  const std::int64_t pos = Seek(0, soCurrent);
  const std::int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(std::int64_t) { throw EStreamError(u"Stream cannot change its size"); }

std::int64_t TStream::CopyFrom(TStream& Source, std::int64_t Count) {
  if (Count < 0) return 0;
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  std::vector<std::uint8_t> buffer(
      static_cast<std::size_t>(std::clamp<std::int64_t>(Count, 1, 1 << 16)));
  std::int64_t left = Count;
  while (left > 0) {
    const std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size()));
    Source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return Count;
}

std::int64_t TMemoryStream::Read(void* Buffer, std::int64_t Count) {
  const auto size = static_cast<std::int64_t>(FData.size());
  if (Count <= 0 || FPosition >= size) return 0;
  const std::int64_t n = std::min(Count, size - FPosition);
  if (n == 1) {
    *static_cast<std::uint8_t*>(Buffer) = FData[static_cast<std::size_t>(FPosition)];
  } else {
    std::memcpy(Buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
  }
  FPosition += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  std::int64_t end = 0;
  if (__builtin_add_overflow(FPosition, Count, &end)) OutOfMemory();
  if (end > static_cast<std::int64_t>(FData.size())) ResizeBlock(FData, end);
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<std::size_t>(Count));
  FPosition = end;
  return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  FPosition =
      detail::SeekTarget(Offset, Origin, FPosition, static_cast<std::int64_t>(FData.size()));
  return FPosition;
}

void TMemoryStream::SetSize(std::int64_t NewSize) {
  if (NewSize < 0) throw EStreamError(u"Invalid stream size");
  ResizeBlock(FData, NewSize);
  FPosition = std::min(FPosition, NewSize);
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  const std::int64_t size = Source.Size();
  if (size < 0) throw EStreamError(u"Invalid stream size");
  // Read to the end in pieces rather than by Size: memory grows with the bytes that
  // actually arrive, not with what the source claims to hold, and a source that cannot tell
  // its size (a pipe, a /proc file that reports 0) is read whole too. A source that ends
  // before the size it claims is a read error.
  std::vector<std::uint8_t> data;
  constexpr std::int64_t kPiece = 1 << 20;
  std::int64_t done = 0;
  // A source without end (a device, an endless pipe) stops at the machine's memory rather
  // than growing until the system kills the process.
  const auto budget = static_cast<std::int64_t>(
      std::min<std::uint64_t>(detail::PhysicalMemoryBytes(), kMaxMemoryBlock));
  for (;;) {
    if (done + kPiece > budget) OutOfMemory();
    ResizeBlock(data, done + kPiece);
    const std::int64_t n = Source.Read(data.data() + done, kPiece);
    if (n <= 0) break;
    done += n;
  }
  if (done < size) throw EReadError(u"Stream read error");
  ResizeBlock(data, done);
  FData.swap(data);
  FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& Dest) {
  Dest.WriteBuffer(FData.data(), static_cast<std::int64_t>(FData.size()));
}

void TMemoryStream::LoadFromFile(StringView FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(StringView FileName) {
  TFileSaver save(FileName);
  if (save.Error() != 0) {
    throw EFCreateError(u"Cannot create file \"" + String(FileName) + u"\". " +
                        Utf8ToString(std::strerror(save.Error())));
  }
  if (!save.Write(FData.data(), FData.size()) || !save.Commit()) {
    throw EWriteError(u"Stream write error");
  }
}

TStringStream::TStringStream(std::string_view AString) {
  FData.assign(AString.begin(), AString.end());
}

TStringStream::TStringStream(StringView AString) {
  const AnsiString bytes = StringToAnsi(AString);
  FData.assign(bytes.begin(), bytes.end());
}

void TStringStream::WriteString(std::string_view AString) {
  WriteBuffer(AString.data(), static_cast<std::int64_t>(AString.size()));
}

AnsiString TStringStream::ReadString(std::int64_t Count) {
  const auto size = static_cast<std::int64_t>(FData.size());
  if (Count <= 0 || FPosition >= size) return {};
  const std::int64_t n = std::min(Count, size - FPosition);
  AnsiString r(reinterpret_cast<const char*>(FData.data()) + FPosition,
               static_cast<std::size_t>(n));
  FPosition += n;
  return r;
}

}  // namespace kez
