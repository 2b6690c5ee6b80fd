// TFileStream over a POSIX file descriptor, with one internal buffer for read-ahead or
// pending writes (so that byte-by-byte scanners do not make a system call per byte).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/stream.hpp"

namespace kez {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

String ErrnoText(int err) { return Utf8ToString(std::strerror(err)); }

}  // namespace

TFileStream::TFileStream(StringView FileName, std::uint16_t Mode) : FFileName(FileName) {
  const std::string path = NativeFileName(FileName);
  const bool create = (Mode & 0xFF00) == fmCreate;
  int flags = O_CLOEXEC;
  if (create) {
    flags |= O_RDWR | O_CREAT | O_TRUNC;
  } else {
    switch (Mode & 0x03) {
      case fmOpenWrite:
        flags |= O_WRONLY;
        break;
      case fmOpenReadWrite:
        flags |= O_RDWR;
        break;
      default:
        flags |= O_RDONLY;
        break;
    }
  }
  FHandle = ::open(path.c_str(), flags, 0666);
  int err = errno;
  if (FHandle >= 0) {
    struct stat st {};
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
      err = EISDIR;
      ::close(FHandle);
      FHandle = -1;
    }
  }
  if (FHandle >= 0) {
    const std::uint16_t share = Mode & 0x00F0;
    int lock = 0;
    if (share == fmShareExclusive) lock = LOCK_EX;
    if (share == fmShareDenyWrite || share == fmShareDenyRead) lock = LOCK_SH;
    if (lock != 0 && ::flock(FHandle, lock | LOCK_NB) != 0) {
      err = errno;
      ::close(FHandle);
      FHandle = -1;
    }
  }
  if (FHandle < 0) {
    const String name(FileName);
    if (create) throw EFCreateError(u"Cannot create file \"" + name + u"\". " + ErrnoText(err));
    throw EFOpenError(u"Cannot open file \"" + name + u"\". " + ErrnoText(err));
  }
  FBuffer.resize(kBufferSize);
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) {
    FlushWrites();  // a destructor cannot report a failure; callers wanting to know use SetSize or
                    // Read
    ::close(FHandle);
  }
}

bool TFileStream::FlushWrites() {
  if (!FWriting) return true;
  std::size_t done = 0;
  while (done < FBufLen) {
    const ssize_t n = ::pwrite(FHandle, FBuffer.data() + done, FBufLen - done,
                               static_cast<off_t>(FBufStart + static_cast<std::int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool ok = done == FBufLen;
  FWriting = false;
  FBufLen = 0;
  return ok;
}

void TFileStream::DropReadAhead() {
  if (!FWriting) FBufLen = 0;
}

std::int64_t TFileStream::Read(void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  if (FWriting && !FlushWrites()) throw EWriteError(u"Stream write error");
  auto* out = static_cast<std::uint8_t*>(Buffer);
  std::int64_t total = 0;
  while (total < Count) {
    const std::int64_t bufEnd = FBufStart + static_cast<std::int64_t>(FBufLen);
    if (FPosition >= FBufStart && FPosition < bufEnd) {
      const std::int64_t n = std::min(Count - total, bufEnd - FPosition);
      std::memcpy(out + total, FBuffer.data() + (FPosition - FBufStart),
                  static_cast<std::size_t>(n));
      FPosition += n;
      total += n;
      continue;
    }
    const std::int64_t want = Count - total;
    if (want >= static_cast<std::int64_t>(kBufferSize)) {
      const ssize_t n = ::pread(FHandle, out + total, static_cast<std::size_t>(want),
                                static_cast<off_t>(FPosition));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      FPosition += n;
      total += n;
      continue;
    }
    const ssize_t n = ::pread(FHandle, FBuffer.data(), kBufferSize, static_cast<off_t>(FPosition));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      FBufLen = 0;
      break;
    }
    FBufStart = FPosition;
    FBufLen = static_cast<std::size_t>(n);
  }
  return total;
}

std::int64_t TFileStream::Write(const void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  DropReadAhead();
  if (FWriting && FBufStart + static_cast<std::int64_t>(FBufLen) != FPosition) {
    if (!FlushWrites()) return 0;
  }
  const auto* in = static_cast<const std::uint8_t*>(Buffer);
  if (FWriting && FBufLen + static_cast<std::size_t>(Count) > kBufferSize) {
    if (!FlushWrites()) return 0;
  }
  if (static_cast<std::size_t>(Count) >= kBufferSize) {
    std::int64_t done = 0;
    while (done < Count) {
      const ssize_t n = ::pwrite(FHandle, in + done, static_cast<std::size_t>(Count - done),
                                 static_cast<off_t>(FPosition));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += n;
      FPosition += n;
    }
    return done;
  }
  if (!FWriting) {
    FWriting = true;
    FBufStart = FPosition;
    FBufLen = 0;
  }
  std::memcpy(FBuffer.data() + FBufLen, in, static_cast<std::size_t>(Count));
  FBufLen += static_cast<std::size_t>(Count);
  FPosition += Count;
  return Count;
}

std::int64_t TFileStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  std::int64_t base = 0;
  if (Origin == soCurrent) base = FPosition;
  if (Origin == soEnd) base = Size();
  FPosition = std::max<std::int64_t>(0, base + Offset);
  return FPosition;
}

std::int64_t TFileStream::Size() {
  struct stat st {};
  if (::fstat(FHandle, &st) != 0) return 0;
  std::int64_t size = st.st_size;
  if (FWriting) size = std::max(size, FBufStart + static_cast<std::int64_t>(FBufLen));
  return size;
}

void TFileStream::SetSize(std::int64_t NewSize) {
  if (!FlushWrites()) throw EWriteError(u"Stream write error");
  FBufLen = 0;
  if (::ftruncate(FHandle, static_cast<off_t>(std::max<std::int64_t>(0, NewSize))) != 0) {
    throw EStreamError(u"Cannot set the size of \"" + FFileName + u"\". " + ErrnoText(errno));
  }
  FPosition = std::min(FPosition, std::max<std::int64_t>(0, NewSize));
}

}  // namespace kez
