// TFileStream over a POSIX file descriptor, with one internal buffer for read-ahead or
// pending writes (so that byte-by-byte scanners and line writers do not make a system call
// per byte).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/stream.hpp"
#include "platform/retry.hpp"
#include "platform/sharemode.hpp"
#include "platform/stream_detail.hpp"

namespace kez {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
// On a descriptor without positions (a pipe) a refill keeps this many bytes read before, so
// that a reader may step back over the byte it just looked at.
constexpr std::size_t kLookBehind = 4096;
// The most one system call is asked to move; the kernel moves less than 2 GiB anyway.
constexpr std::int64_t kMaxTransfer = std::int64_t{1} << 30;

String ErrnoText(int err) { return Utf8ToString(std::strerror(err)); }

// pread, or read on a descriptor without positions (a pipe, a terminal).
ssize_t ReadAt(int fd, bool Seekable, void* buf, std::int64_t count, std::int64_t pos) {
  const auto n = static_cast<std::size_t>(std::min(count, kMaxTransfer));
  return Seekable ? ::pread(fd, buf, n, static_cast<off_t>(pos)) : ::read(fd, buf, n);
}

ssize_t WriteAt(int fd, const void* buf, std::int64_t count, std::int64_t pos) {
  const auto n = static_cast<std::size_t>(std::min(count, kMaxTransfer));
  ssize_t r = ::pwrite(fd, buf, n, static_cast<off_t>(pos));
  if (r < 0 && errno == ESPIPE) r = ::write(fd, buf, n);
  return r;
}

// Writes Count bytes at Pos; the number written (short when the file refuses more), with
// the reason in Err.
std::int64_t WriteAll(int fd, const std::uint8_t* buf, std::int64_t count, std::int64_t pos,
                      int& err) {
  std::int64_t done = 0;
  err = 0;
  while (done < count) {
    const ssize_t n = WriteAt(fd, buf + done, count - done, pos + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : ENOSPC;
      break;
    }
    done += n;
  }
  return done;
}

}  // namespace

bool detail::RoomFor(int Fd, std::int64_t Pos, std::int64_t Count) {
  struct stat st {};
  struct statvfs vfs {};
  if (::fstat(Fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fstatvfs(Fd, &vfs) != 0 ||
      vfs.f_blocks == 0) {
    return true;  // nothing known to go by
  }
  std::int64_t end = 0;
  if (Pos < 0 || __builtin_add_overflow(Pos, Count, &end)) return false;
  const std::int64_t overlap =
      std::max<std::int64_t>(0, std::min<std::int64_t>(end, st.st_size) - Pos);
  const std::uint64_t blockSize = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
  if (blockSize == 0) return true;
  const auto needed = static_cast<std::uint64_t>(Count - overlap);
  return (needed + blockSize - 1) / blockSize <= vfs.f_bfree;
}

TFileStream::TFileStream(StringView FileName, std::uint16_t Mode) : FFileName(FileName) {
  const bool create = (Mode & 0xFF00) == fmCreate;
  const std::string path = create ? NativeFileNameToCreate(FileName) : NativeFileName(FileName);
  int flags = O_CLOEXEC;
  if (create) {
    // No O_TRUNC: the file is emptied only once the lock below is held.
    flags |= O_RDWR | O_CREAT;
    FCanWrite = true;
  } else {
    switch (Mode & 0x03) {
      case fmOpenWrite:
        flags |= O_WRONLY;
        FCanWrite = true;
        break;
      case fmOpenReadWrite:
        flags |= O_RDWR;
        FCanWrite = true;
        break;
      default:
        flags |= O_RDONLY;
        break;
    }
  }
  // A name that no file can have (a NUL in it, an unmapped drive) opens nothing.
  const TFileNameFault fault = FileNameFault(FileName);
  if (fault == nfNone) {
    FHandle = create ? OpenToCreate(path, flags)
                     : detail::RetryOnEintr([&] { return ::open(path.c_str(), flags, 0666); });
  } else {
    errno = fault == nfUnmappedDrive ? ENOENT : EINVAL;
  }
  int err = errno;
  struct stat st {};
  if (FHandle >= 0 && ::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
    err = EISDIR;
    ::close(FHandle);
    FHandle = -1;
  }
  if (FHandle >= 0) {
    // Every open claims its access and share mode, so it is refused when another holder
    // denies what it asks for, whatever share flags this open itself names.
    const bool canRead = (flags & O_ACCMODE) != O_WRONLY;
    const int shareErr = detail::ClaimShare(FHandle, canRead, FCanWrite, Mode & 0x00F0);
    if (shareErr != 0) {
      err = shareErr;
      ::close(FHandle);
      FHandle = -1;
    }
  }
  // Devices (/dev/null, /dev/full) cannot be truncated and need not be.
  if (FHandle >= 0 && create && S_ISREG(st.st_mode) &&
      detail::RetryOnEintr([&] { return ::ftruncate(FHandle, 0); }) != 0) {
    err = errno;
    ::close(FHandle);
    FHandle = -1;
  }
  if (FHandle < 0) {
    const String name(FileName);
    if (create) throw EFCreateError(u"Cannot create file \"" + name + u"\". " + ErrnoText(err));
    throw EFOpenError(u"Cannot open file \"" + name + u"\". " + ErrnoText(err));
  }
  FSeekable = ::lseek(FHandle, 0, SEEK_CUR) >= 0;
  FBuffer.resize(kBufferSize);
}

TFileStream::~TFileStream() {
  if (FHandle < 0) return;
  if (FWriting && FBufLen > 0) {
    const std::size_t pending = FBufLen;
    int err = 0;
    if (WriteAll(FHandle, FBuffer.data(), static_cast<std::int64_t>(FBufLen), FBufStart, err) !=
        static_cast<std::int64_t>(FBufLen)) {
      // A destructor cannot raise; say so rather than lose the bytes unseen.
      std::fprintf(stderr, "kez: %zu bytes could not be written to \"%s\": %s\n", pending,
                   StringToUtf8(FFileName).c_str(), std::strerror(err));
    }
  }
  ::close(FHandle);
}

void TFileStream::FlushWrites() {
  if (!FWriting) return;
  const auto len = static_cast<std::int64_t>(FBufLen);
  int err = 0;
  const std::int64_t done = WriteAll(FHandle, FBuffer.data(), len, FBufStart, err);
  FWriting = false;
  FBufLen = 0;
  if (done != len) throw EWriteError(u"Stream write error");
}

void TFileStream::Flush() { FlushWrites(); }

std::int64_t TFileStream::Read(void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  FlushWrites();
  if (Count >= static_cast<std::int64_t>(kBufferSize)) {
    // Ask the kernel for no more than the file holds: a count far beyond the caller's
    // buffer must not reach the system call, where it may fail the whole read. A file that
    // reports size 0 (as /proc files do) may still hold bytes: it is read as it comes.
    struct stat st {};
    if (::fstat(FHandle, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
      Count = std::min(Count, std::max<std::int64_t>(0, st.st_size - FPosition));
      if (Count == 0) return 0;
    }
  }
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
    // A pipe gives its bytes once, in order: a position that is not where the pipe stands
    // (behind the look-behind, or skipped ahead) has nothing to read.
    if (!FSeekable && FPosition != FPipeAt) break;
    const std::int64_t want = Count - total;
    if (want >= static_cast<std::int64_t>(kBufferSize)) {
      const ssize_t n = ReadAt(FHandle, FSeekable, out + total, want, FPosition);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      FPosition += n;
      FPipeAt += n;
      total += n;
      continue;
    }
    std::size_t keep = 0;
    if (!FSeekable && bufEnd == FPosition) {
      keep = std::min(FBufLen, kLookBehind);
      std::memmove(FBuffer.data(), FBuffer.data() + (FBufLen - keep), keep);
    }
    const ssize_t n =
        ReadAt(FHandle, FSeekable, FBuffer.data() + keep, static_cast<std::int64_t>(kBufferSize - keep),
               FPosition);
    if (n < 0 && errno == EINTR) {
      FBufStart = FPosition - static_cast<std::int64_t>(keep);
      FBufLen = keep;
      continue;
    }
    if (n <= 0) {
      FBufStart = FPosition - static_cast<std::int64_t>(keep);
      FBufLen = keep;
      break;
    }
    FBufStart = FPosition - static_cast<std::int64_t>(keep);
    FBufLen = keep + static_cast<std::size_t>(n);
    FPipeAt += n;
  }
  return total;
}

std::int64_t TFileStream::Write(const void* Buffer, std::int64_t Count) {
  std::int64_t end = 0;
  if (Count <= 0 || !FCanWrite || __builtin_add_overflow(FPosition, Count, &end)) return 0;
  if (!FWriting) FBufLen = 0;  // drop read-ahead: it would go stale
  if (FWriting && (FBufStart + static_cast<std::int64_t>(FBufLen) != FPosition ||
                   FBufLen + static_cast<std::uint64_t>(Count) > kBufferSize)) {
    FlushWrites();
  }
  const auto* in = static_cast<const std::uint8_t*>(Buffer);
  if (Count >= static_cast<std::int64_t>(kBufferSize)) {
    if (!detail::RoomFor(FHandle, FPosition, Count)) return 0;
    int err = 0;
    const std::int64_t done = WriteAll(FHandle, in, Count, FPosition, err);
    FPosition += done;
    return done;
  }
  if (!FWriting) {
    FWriting = true;
    FBufStart = FPosition;
    FBufLen = 0;
  }
  std::memcpy(FBuffer.data() + FBufLen, in, static_cast<std::size_t>(Count));
  FBufLen += static_cast<std::size_t>(Count);
  FPosition = end;
  return Count;
}

std::int64_t TFileStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  if (Origin == soCurrent && Offset == 0) return FPosition;  // a plain query: no flush
  const std::int64_t target =
      detail::SeekTarget(Offset, Origin, FPosition, Origin == soEnd ? Size() : 0);
  if (target != FPosition) FlushWrites();
  FPosition = target;
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
  if (NewSize < 0) throw EStreamError(u"Invalid stream size");
  FlushWrites();
  FBufLen = 0;
  if (detail::RetryOnEintr([&] { return ::ftruncate(FHandle, static_cast<off_t>(NewSize)); }) !=
      0) {
    throw EStreamError(u"Cannot set the size of \"" + FFileName + u"\". " + ErrnoText(errno));
  }
  FPosition = std::min(FPosition, NewSize);
}

}  // namespace kez
