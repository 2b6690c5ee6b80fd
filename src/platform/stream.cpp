// TStream, TMemoryStream and TStringStream.
#include "kez/platform/stream.hpp"

#include <algorithm>
#include <cstring>

#include "kez/platform/exceptions.hpp"

namespace kez {

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
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  std::vector<std::uint8_t> buffer(
      static_cast<std::size_t>(std::min<std::int64_t>(Count, 1 << 16)));
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
  const std::int64_t end = FPosition + Count;
  if (end > static_cast<std::int64_t>(FData.size())) {
    if (end > static_cast<std::int64_t>(FData.capacity())) {
      FData.reserve(std::max<std::size_t>(static_cast<std::size_t>(end), FData.capacity() * 2));
    }
    FData.resize(static_cast<std::size_t>(end));
  }
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<std::size_t>(Count));
  FPosition = end;
  return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  std::int64_t base = 0;
  if (Origin == soCurrent) base = FPosition;
  if (Origin == soEnd) base = static_cast<std::int64_t>(FData.size());
  FPosition = std::max<std::int64_t>(0, base + Offset);
  return FPosition;
}

void TMemoryStream::SetSize(std::int64_t NewSize) {
  FData.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, NewSize)));
  FPosition = std::min(FPosition, static_cast<std::int64_t>(FData.size()));
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  const std::int64_t size = Source.Size();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  Source.ReadBuffer(data.data(), size);
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
  TFileStream file(FileName, fmCreate);
  SaveToStream(file);
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
  const std::int64_t n = std::clamp<std::int64_t>(std::min(Count, size - FPosition), 0, size);
  AnsiString r(reinterpret_cast<const char*>(FData.data()) + std::min(FPosition, size),
               static_cast<std::size_t>(n));
  FPosition += n;
  return r;
}

}  // namespace kez
