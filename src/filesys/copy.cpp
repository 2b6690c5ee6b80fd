// File copy with progress feedback, the process-wide copy state, tree copy.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>
#include <vector>

#include "filesys/readfull.hpp"
#include "filesys/search.hpp"
#include "kez/filesys/dirs.hpp"
#include "kez/filesys/trees.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {
namespace {

constexpr std::size_t kChunk = 8192;
// Data moves in batches of many chunks; the feedback still sees every 8192-byte chunk.
constexpr std::size_t kBatch = 128 * kChunk;
constexpr std::size_t kKernelCopy = std::size_t{16} << 20;

// The process-wide copy state.
std::atomic<bool> gAbort{false};
struct TreeCopyState {
  String CurrentName;
  std::int32_t Count = 0;
  std::int64_t Bytes = 0;
  std::int64_t Size = 0;
  TTreeCopyFeedBack FeedBack;
};
TreeCopyState gTree;

class Fd {
 public:
  explicit Fd(int F = -1) : FFd(F) {}
  ~Fd() {
    if (FFd >= 0) ::close(FFd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return FFd; }

 private:
  int FFd;
};

std::size_t WriteFull(int F, const char* Buf, std::size_t Count) {
  std::size_t put = 0;
  while (put < Count) {
    const ssize_t w = ::write(F, Buf + put, Count - put);
    if (w > 0) {
      put += static_cast<std::size_t>(w);
    } else if (w == 0 || errno != EINTR) {
      break;
    }
  }
  return put;
}

// The chunk loop. A batch is read and written at once, then its chunks are announced one
// by one with the status each would have had on its own; an abort or failure announced at
// chunk k cuts the copy back to the bytes of the chunks up to k.
int CopyChunks(int In, int Out, std::int64_t Size, const TFileCopyFeedBack& FeedBack,
               std::int64_t& Copied) {
  std::vector<char> buf(kBatch);
  int status = fcSuccess;
  bool more = true;
  while (more) {
    bool readFailed = false;
    const std::size_t got = ReadFull(In, buf.data(), kBatch, readFailed);
    const std::size_t written = got > 0 ? WriteFull(Out, buf.data(), got) : 0;
    std::size_t off = 0;
    do {
      const std::size_t n = std::min(kChunk, got - off);
      if (readFailed && n < kChunk) status = fcReadFailed;
      if (FeedBack) FeedBack(Copied, Size);
      if (n > 0 && off + n > written) status = fcWriteFailed;
      Copied += static_cast<std::int64_t>(n);
      off += n;
      more = n == kChunk && status == fcSuccess && !gAbort.load();
    } while (more && (off < got || got < kBatch));
    // Written beyond the last announced chunk (an abort): cut back to what was announced.
    if (!more && written > off && ::ftruncate(Out, static_cast<off_t>(Copied)) != 0 &&
        status == fcSuccess) {
      status = fcWriteFailed;
    }
  }
  return status;
}

// Without a feedback nothing observes the chunks: the kernel copies. Returns false when it
// cannot (another file system type, an old kernel) before anything was copied.
bool KernelCopy(int In, int Out, std::int64_t Size, std::int64_t& Copied, int& Status) {
  if (Size <= 0) return false;
  for (;;) {
    const ssize_t r = ::copy_file_range(In, nullptr, Out, nullptr, kKernelCopy, 0);
    if (r > 0) {
      Copied += r;
      if (gAbort.load()) return true;
      continue;
    }
    if (r == 0) {
      // Files that report a size but hand nothing to the kernel copy (as in /proc).
      return Copied > 0;
    }
    if (errno == EINTR) continue;
    if (Copied == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                        errno == EOPNOTSUPP || errno == EBADF || errno == EPERM)) {
      return false;
    }
    Status = (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) ? fcWriteFailed : fcReadFailed;
    return true;
  }
}

}  // namespace

void AbortAnyFileCopying() { gAbort.store(true); }

int FileCopyFeedBk(StringView Source, StringView Dest, bool CopyAttributes,
                   const TFileCopyFeedBack& FeedBack) {
  gAbort.store(false);
  int status = fcSuccess;
  String dest(Dest);
  if (DirExists(dest)) {
    dest = EnsureTrailingBkSlash(dest) + String(Source.substr(detail::NameStart(Source)));
  }
  const std::string nativeSource = NativeFileName(Source);
  const Fd in(::open(nativeSource.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.Get() < 0) RaiseIOErrorFromErrno(errno);
  struct stat src {};
  const bool readable = ::fstat(in.Get(), &src) == 0;
  if (readable && S_ISDIR(src.st_mode)) RaiseIOErrorFromErrno(EISDIR);
  const std::int64_t size = readable ? static_cast<std::int64_t>(src.st_size) : 0;
  if (FeedBack) FeedBack(0, size);

  // Only regular files: a pipe or device could block or never end.
  if (!readable || !S_ISREG(src.st_mode)) status = fcOpenSourceFailed;
  if (readable) ::fcntl(in.Get(), F_SETFL, ::fcntl(in.Get(), F_GETFL) & ~O_NONBLOCK);
  const std::string nativeDest = NativeFileName(dest);
  // Opened without truncation: when it is the source under another name it stays intact.
  // Nothing is created unless the source can be copied. An empty destination (a new file
  // above all) is not truncated: on ext4 a truncation to zero makes close flush the whole
  // copy to the disk at once, which made copies a third slower than cp.
  const Fd out(
      status == fcSuccess ? ::open(nativeDest.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666) : -1);
  struct stat dst {};
  if (status == fcSuccess && (out.Get() < 0 || ::fstat(out.Get(), &dst) != 0 ||
                              (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) ||
                              (S_ISREG(dst.st_mode) && dst.st_size > 0 &&
                               ::ftruncate(out.Get(), 0) != 0))) {
    status = fcCreateDestFailed;
  }

  std::int64_t copied = 0;
  if (status == fcSuccess) {
    if (FeedBack || !KernelCopy(in.Get(), out.Get(), size, copied, status)) {
      status = CopyChunks(in.Get(), out.Get(), size, FeedBack, copied);
    }
  }
  if (status == fcSuccess && !gAbort.load()) {
    const std::timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
    ::futimens(out.Get(), times);
    if (CopyAttributes) ::fchmod(out.Get(), (src.st_mode & 0777) | S_IWUSR);
  }
  if (FeedBack) FeedBack(copied, size);
  return status;
}

namespace {

void TreeFileFeedBack(std::int64_t Bytes, std::int64_t Size) {
  gTree.Bytes = Bytes;
  gTree.Size = Size;
  if (gTree.FeedBack) gTree.FeedBack(Bytes, Size, gTree.CurrentName, gTree.Count);
}

struct Identity {
  dev_t Dev = 0;
  ino_t Ino = 0;
  bool Known = false;
};

Identity IdentityOf(StringView Name) {
  struct stat st {};
  Identity id;
  if (::lstat(NativeFileName(Name).c_str(), &st) == 0) id = {st.st_dev, st.st_ino, true};
  return id;
}

void CopyLink(const String& From, const String& To) {
  std::vector<char> target(4096);
  const ssize_t n = ::readlink(NativeFileName(From).c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return;
  target[static_cast<std::size_t>(n)] = '\0';
  (void)::symlink(target.data(), NativeFileName(To).c_str());
}

void CopyTree(const String& Source, const String& Dest, bool CopyAttributes, Identity& Skip) {
  if (!ForceDirectories(Dest)) return;
  // The destination root is known once it exists; a copy into its own source passes it by.
  if (!Skip.Known) Skip = IdentityOf(Dest);
  ForEachEntry(Source + u"*.*", faAnyFile, [&](const TSearchRec& F) {
    if (gAbort.load()) return false;
    if (F.Name == u"." || F.Name == u"..") return true;
    const String from = Source + F.Name;
    if ((F.Attr & faSymLink) != 0) {
      CopyLink(from, Dest + F.Name);
    } else if ((F.Attr & faDirectory) != 0) {
      const Identity id = IdentityOf(from);
      if (!(id.Known && id.Dev == Skip.Dev && id.Ino == Skip.Ino)) {
        CopyTree(from + u"\\", Dest + F.Name + u"\\", CopyAttributes, Skip);
      }
    } else if ((F.Attr & faSysFile) == 0) {
      gTree.CurrentName = Dest + F.Name;
      if (gTree.Count < std::numeric_limits<std::int32_t>::max()) ++gTree.Count;
      try {
        FileCopyFeedBk(from, gTree.CurrentName, CopyAttributes, TreeFileFeedBack);
      } catch (const EInOutError&) {
        // Gone or unreadable since the listing: skipped like any file that fails.
      }
      if (gTree.FeedBack) gTree.FeedBack(gTree.Bytes, gTree.Size, gTree.CurrentName, gTree.Count);
    }
    return true;
  });
}

String WithTrailingSeparator(StringView Dir) {
  String d(Dir);
  if (!d.empty() && d.back() != u'\\' && d.back() != u'/') d += u'\\';
  return d;
}

void DelTree(const String& Dir, String& Result) {
  ForEachEntry(Dir + u"*.*", faAnyFile, [&](const TSearchRec& F) {
    if (F.Name == u"." || F.Name == u"..") return true;
    if ((F.Attr & faDirectory) != 0 && (F.Attr & faSymLink) == 0) {
      DelTree(Dir + F.Name + u"\\", Result);
    } else if (!DeleteFile(Dir + F.Name)) {
      Result = Dir + F.Name;
    }
    return Result.empty();
  });
  if (Result.empty() && !RemoveDir(Dir)) Result = Dir;
}

}  // namespace

void CopyFileTree(StringView Source, StringView Dest, bool CopyAttributes,
                  const TTreeCopyFeedBack& FeedBack) {
  gTree = TreeCopyState{};
  gTree.FeedBack = FeedBack;
  gAbort.store(false);
  const String source = WithTrailingSeparator(Source);
  const String dest = WithTrailingSeparator(Dest);
  if (UpperCase(source) == UpperCase(dest)) return;
  Identity skip;
  CopyTree(source, dest, CopyAttributes, skip);
}

String DelDirTree(StringView Dir) {
  String result;
  if (!Dir.empty()) DelTree(WithTrailingSeparator(Dir), result);
  return result;
}

std::int32_t DeleteFiles(StringView Mask) {
  return ForEachFileOfMask(Mask, [](const String& Name) { return DeleteFile(Name); });
}

}  // namespace kez
