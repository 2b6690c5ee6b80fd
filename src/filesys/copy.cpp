// File copy with progress feedback, the process-wide copy state, tree copy.
#include <dirent.h>
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
#include "filesys/treenames.hpp"
#include "kez/filesys/dirs.hpp"
#include "kez/filesys/trees.hpp"
#include "kez/platform/classes.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/safesave.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"
#include "platform/folderwalk.hpp"
#include "platform/fsinternal.hpp"
#include "platform/retry.hpp"

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
    if (!more && written > off &&
        detail::RetryOnEintr([&] { return ::ftruncate(Out, static_cast<off_t>(Copied)); }) != 0 &&
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

// Copies the open source In to the destination OpenDest gives, as FileCopyFeedBk
// describes: the feedback from the start, the destination created only once the source
// can be copied, never the source itself nor a read-only file overwritten.
template <typename OpenFn>
int CopyOpenFile(int In, bool CopyAttributes, const TFileCopyFeedBack& FeedBack,
                 OpenFn&& OpenDest) {
  int status = fcSuccess;
  struct stat src {};
  const bool readable = ::fstat(In, &src) == 0;
  if (readable && S_ISDIR(src.st_mode)) RaiseIOErrorFromErrno(EISDIR);
  const std::int64_t size = readable ? static_cast<std::int64_t>(src.st_size) : 0;
  if (FeedBack) FeedBack(0, size);

  // Only regular files: a pipe or device could block or never end.
  if (!readable || !S_ISREG(src.st_mode)) status = fcOpenSourceFailed;
  if (readable) ::fcntl(In, F_SETFL, ::fcntl(In, F_GETFL) & ~O_NONBLOCK);
  // Opened without truncation: when it is the source under another name it stays intact.
  // An empty destination (a new file above all) is not truncated: on ext4 a truncation to
  // zero makes close flush the whole copy to the disk at once, which made copies a third
  // slower than cp.
  const Fd out(status == fcSuccess ? OpenDest() : -1);
  struct stat dst {};
  if (status == fcSuccess &&
      (out.Get() < 0 || ::fstat(out.Get(), &dst) != 0 ||
       (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) ||
       (S_ISREG(dst.st_mode) && detail::IsWriteProtected(dst)) ||
       (S_ISREG(dst.st_mode) && dst.st_size > 0 &&
        detail::RetryOnEintr([&] { return ::ftruncate(out.Get(), 0); }) != 0))) {
    status = fcCreateDestFailed;
  }

  std::int64_t copied = 0;
  if (status == fcSuccess) {
    if (FeedBack || !KernelCopy(In, out.Get(), size, copied, status)) {
      status = CopyChunks(In, out.Get(), size, FeedBack, copied);
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

// Dir ending in a separator: "/" in the verbatim form, where "\\" is part of a name.
String WithTrailingSeparator(StringView Dir) {
  String d(Dir);
  const bool verbatim = IsVerbatimFileName(d);
  if (verbatim && d.size() == kVerbatimPrefix.size()) return d;  // the current folder
  if (!d.empty() && d.back() != u'/' && (verbatim || d.back() != u'\\')) {
    d += verbatim ? u'/' : u'\\';
  }
  return d;
}

}  // namespace

void AbortAnyFileCopying() { gAbort.store(true); }

int FileCopyFeedBk(StringView Source, StringView Dest, bool CopyAttributes,
                   const TFileCopyFeedBack& FeedBack) {
  gAbort.store(false);
  String dest(Dest);
  if (DirExists(dest)) {
    const String name(Source.substr(detail::NameStart(Source)));
    // The name part of a verbatim source is exact bytes, which may hold "\\": it stays
    // one name in the folder, given in the verbatim form too.
    if (IsVerbatimFileName(Source) && !IsVerbatimFileName(dest)) {
      std::string folder = NativeFileName(dest);
      if (folder.empty() || folder.back() != '/') folder += '/';
      dest = VerbatimFileName(folder + StringToNative(name));
    } else {
      dest = WithTrailingSeparator(dest) + name;
    }
  }
  const Fd in(detail::RetryOnEintr(
      [&] { return ::open(NativeFileName(Source).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }));
  if (in.Get() < 0) RaiseIOErrorFromErrno(errno);
  // Opened without waiting: a FIFO without a reader fails (ENXIO) instead of blocking the
  // copy until one comes; writing then blocks as usual.
  const auto direct = [&] {
    const int fd = detail::RetryOnEintr([&] {
      return ::open(NativeFileName(dest).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK,
                    0666);
    });
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  };
  // An existing regular file is replaced whole: the copy goes to a file beside it, which
  // takes its place only when the copy succeeded (or was aborted, which keeps a shortened
  // copy), so a failed copy leaves the destination as it was. The source under another name
  // is left to the check of CopyOpenFile, and so is a folder where no file can be made
  // beside the destination, which is then written in place.
  struct stat src {
  }, dst{};
  if (FileNameFault(dest) != nfNone || ::stat(NativeFileName(dest).c_str(), &dst) != 0 ||
      !S_ISREG(dst.st_mode) || ::fstat(in.Get(), &src) != 0 ||
      (src.st_dev == dst.st_dev && src.st_ino == dst.st_ino)) {
    return CopyOpenFile(in.Get(), CopyAttributes, FeedBack, direct);
  }
  TFileSaver save(dest);
  if (save.Error() == EACCES || save.Error() == EPERM) {
    return CopyOpenFile(in.Get(), CopyAttributes, FeedBack, direct);
  }
  // Without a file beside it (a failed saver) the destination cannot be created.
  const int status = CopyOpenFile(in.Get(), CopyAttributes, FeedBack, [&] {
    return save.Error() != 0 ? -1 : ::fcntl(save.Handle(), F_DUPFD_CLOEXEC, 0);
  });
  if (status != fcSuccess) return status;  // the saver removes its file
  return save.Commit() ? fcSuccess : fcWriteFailed;
}

namespace {

// Calls the tree copy's feedback through copies of it and of the state it is handed: the
// handler may start another copy, which takes over the process-wide state.
void CallTreeFeedBack() {
  const String name = gTree.CurrentName;
  CallHandler(gTree.FeedBack, gTree.Bytes, gTree.Size, name, gTree.Count);
}

void TreeFileFeedBack(std::int64_t Bytes, std::int64_t Size) {
  gTree.Bytes = Bytes;
  gTree.Size = Size;
  CallTreeFeedBack();
}

// Recreates the symbolic link Name of the folder From in the folder To, unless To already
// has an entry of that name.
void CopyLink(int From, int To, const std::string& Name) {
  std::vector<char> target(4096);
  const ssize_t n = ::readlinkat(From, Name.c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return;
  target[static_cast<std::size_t>(n)] = '\0';
  (void)::symlinkat(target.data(), To, Name.c_str());
}

// Copies the open file In over the existing regular file Name of the folder To (Old its
// state) whole: the copy goes to a new file beside it, with the old file's mode (and owner
// where the process may), and is renamed over it only when complete (or aborted, which
// keeps a shortened copy as FileCopyFeedBk does), so a failed copy leaves the old file as
// it was and nothing beside it.
int ReplaceTreeFile(int In, int To, const std::string& Name, const struct stat& Old,
                    bool CopyAttributes, const TFileCopyFeedBack& FeedBack) {
  static std::atomic<unsigned> serial{0};
  std::string temp;
  const int status = CopyOpenFile(In, CopyAttributes, FeedBack, [&]() -> int {
    for (int attempt = 0; attempt < 100; ++attempt) {
      temp = "." + Name.substr(0, 200) + ".kez-" + std::to_string(::getpid()) + "-" +
             std::to_string(serial.fetch_add(1));
      const int fd = detail::RetryOnEintr([&] {
        return ::openat(To, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                        0600);
      });
      if (fd >= 0) {
        (void)::fchown(fd, Old.st_uid, Old.st_gid);
        ::fchmod(fd, Old.st_mode & 07777);
        return fd;
      }
      if (errno != EEXIST) break;
    }
    temp.clear();
    return -1;
  });
  if (temp.empty()) return status;
  if (status == fcSuccess && ::renameat(To, temp.c_str(), To, Name.c_str()) == 0) return status;
  ::unlinkat(To, temp.c_str(), 0);
  return status == fcSuccess ? fcWriteFailed : status;
}

// Copies the regular file Name of the folder From to the same name in the folder To. No
// link in To is ever followed: a new file is created exclusively, an existing regular file
// is replaced whole (see ReplaceTreeFile), any other entry there (a link) makes the copy
// fail. A file this copy created is removed again when reading or writing it fails (a full
// disk), so no cut file is left under the final name.
void CopyTreeFile(int From, int To, const std::string& Name, bool CopyAttributes) {
  const Fd in(detail::RetryOnEintr([&] {
    return ::openat(From, Name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  }));
  if (in.Get() < 0) return;  // gone or unreadable since the listing: skipped
  const TFileCopyFeedBack feedBack =
      gTree.FeedBack ? TFileCopyFeedBack(TreeFileFeedBack) : TFileCopyFeedBack();
  gTree.Bytes = gTree.Size = 0;
  struct stat src {}, old{};
  if (::fstat(in.Get(), &src) == 0 && S_ISREG(src.st_mode) &&
      ::fstatat(To, Name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode) &&
      !(old.st_dev == src.st_dev && old.st_ino == src.st_ino) && !detail::IsWriteProtected(old)) {
    ReplaceTreeFile(in.Get(), To, Name, old, CopyAttributes, feedBack);
    return;
  }
  bool created = false;
  try {
    // Only a new file is opened here: an entry already in the way (a link, a FIFO that would
    // block the copy, a device, a read-only file, the source itself through a hard link) is
    // never written, and the file fails.
    const int status = CopyOpenFile(in.Get(), CopyAttributes, feedBack, [&] {
      const int fd = detail::RetryOnEintr([&] {
        return ::openat(To, Name.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_CREAT | O_EXCL,
                        0666);
      });
      created = fd >= 0;
      return fd;
    });
    if (created && (status == fcWriteFailed || status == fcReadFailed)) {
      ::unlinkat(To, Name.c_str(), 0);
    }
  } catch (const EInOutError&) {
    // A folder swapped in since the listing: skipped like any file that fails.
  }
}

// The destination folder Name inside the open folder To, made when missing; never a link.
detail::OpenFolder DestFolder(int To, const std::string& Name) {
  if (::mkdirat(To, Name.c_str(), 0777) != 0 && errno != EEXIST) return detail::OpenFolder();
  return detail::OpenFolder::Sub(To, Name);
}

// The caller's folder name without its trailing separators (the root keeps its own).
std::string NativeFolderPath(StringView Dir) {
  std::string native = NativeFileName(Dir);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  return native;
}

}  // namespace

void CopyFileTree(StringView Source, StringView Dest, bool CopyAttributes,
                  const TTreeCopyFeedBack& FeedBack) {
  gTree = TreeCopyState{};
  gTree.FeedBack = FeedBack;
  gAbort.store(false);
  const String source = WithTrailingSeparator(Source);
  const String dest = WithTrailingSeparator(Dest);
  if (source == dest || !ForceDirectories(dest)) return;
  const std::string nativeDest = NativeFolderPath(dest);
  detail::TreeWalk walk(detail::OpenFolder::Named(source), true);
  detail::FolderChain to(detail::OpenFolder::AtPath(nativeDest));
  if (!walk.Ok() || !to.Ok()) return;
  const dev_t skipDev = to.Dev();
  const ino_t skipIno = to.Ino();
  // Names that differ (in letter case, or through a link) may still reach one folder, which
  // is then left alone; two folders whose names differ only in case are copied as any two.
  struct stat root {};
  if (::fstat(walk.Fd(), &root) != 0 || (root.st_dev == skipDev && root.st_ino == skipIno)) {
    return;
  }
  // A copy into its own source passes the destination by.
  detail::TreeNames names(dest, nativeDest, false);
  while (!gAbort.load()) {
    const detail::FolderEntry* e = walk.Next();
    if (e == nullptr) {
      if (walk.Depth() == 0 || !walk.Leave() || !to.Pop()) break;
      names.Pop();
      continue;
    }
    if (e->Type == DT_LNK) {
      CopyLink(walk.Fd(), to.Fd(), e->Name);
    } else if (e->Type == DT_DIR) {
      struct stat st {};
      if (::fstatat(walk.Fd(), e->Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
          (st.st_dev == skipDev && st.st_ino == skipIno)) {
        continue;
      }
      detail::OpenFolder sub = DestFolder(to.Fd(), e->Name);
      if (!sub.IsOpen() || !walk.Enter(e->Name)) continue;
      if (!to.Push(std::move(sub))) break;
      names.Push(e->Name);
    } else if (e->Type == DT_REG) {
      gTree.CurrentName = names.Of(e->Name);
      if (gTree.Count < std::numeric_limits<std::int32_t>::max()) ++gTree.Count;
      CopyTreeFile(walk.Fd(), to.Fd(), e->Name, CopyAttributes);
      CallTreeFeedBack();
    }
  }
}

String DelDirTree(StringView Dir) {
  if (Dir.empty()) return String();
  const String dir = WithTrailingSeparator(Dir);
  const std::string native = NativeFolderPath(Dir);
  struct stat st {};
  if (::lstat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
    // A link (to a folder or not) is deleted itself, never what it points to.
    return S_ISLNK(st.st_mode) && ::unlink(native.c_str()) == 0 ? String() : dir;
  }
  detail::TreeWalk walk(
      detail::OpenFolder(::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)),
      true);
  detail::TreeNames names(dir, native, false);
  while (walk.Ok()) {
    const detail::FolderEntry* e = walk.Next();
    if (e == nullptr) {
      if (walk.Depth() == 0) break;
      const std::string done = walk.Name();
      const String failed = names.Folder();
      if (!walk.Leave() || ::unlinkat(walk.Fd(), done.c_str(), AT_REMOVEDIR) != 0) return failed;
      names.Pop();
    } else if (e->Type == DT_DIR) {
      if (walk.Enter(e->Name)) {
        names.Push(e->Name);
      } else if (::unlinkat(walk.Fd(), e->Name.c_str(), AT_REMOVEDIR) != 0) {
        return names.FolderOf(e->Name);
      }
    } else if (!detail::DeleteEntry(walk.Fd(), e->Name.c_str())) {
      return names.Of(e->Name);
    }
  }
  if (!walk.Ok() || ::rmdir(native.c_str()) != 0) return dir;
  return String();
}

std::int32_t DeleteFiles(StringView Mask) {
  return ForEachFileOfMask(Mask, [](int Fd, const std::string&, const std::string& Name) {
    return detail::DeleteEntry(Fd, Name.c_str());
  });
}

}  // namespace kez
