#include "kez/platform/safesave.hpp"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "platform/fsinternal.hpp"
#include "platform/retry.hpp"
#include "platform/sharemode.hpp"

namespace kez {

namespace {

// The longest name a Linux file system takes, and the links followed before giving up
// (the kernel's own limit).
constexpr std::size_t kNameMax = 255;
constexpr int kMaxLinks = 40;

// The folder part of a path ("" for the current one, else ending in "/") and its leaf.
void SplitPath(const std::string& Path, std::string& Folder, std::string& Leaf) {
  const auto slash = Path.find_last_of('/');
  Folder = slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
  Leaf = Path.substr(Folder.size());
}

// Follows symbolic links from Path to the entry they name, which need not exist. 0, or the
// errno that stops the walk (ELOOP for a cycle).
int FollowLinks(std::string& Path) {
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat st {};
    if (::lstat(Path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n;
    // The link may change between lstat and readlink: grow until the text fits.
    while ((n = ::readlink(Path.c_str(), target.data(), target.size())) >= 0 &&
           static_cast<std::size_t>(n) == target.size()) {
      target.resize(target.size() * 2);
    }
    if (n < 0) return errno;
    target.resize(static_cast<std::size_t>(n));
    if (target.empty()) return ENOENT;
    if (target.front() != '/') {
      std::string folder, leaf;
      SplitPath(Path, folder, leaf);
      target.insert(0, folder);
    }
    Path = std::move(target);
  }
  return ELOOP;
}

// A random tail for a temporary name: letters and digits, from getrandom where it answers
// at once, else from the clock and a counter.
std::string RandomTail(std::size_t Length) {
  static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    bits = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(::getpid());
  }
  std::string tail;
  for (std::size_t i = 0; i < Length; ++i) {
    tail += kDigits[bits % 36];
    bits = bits / 36 + (bits % 36) * 0x2545F4914F6CDD1Dull;
  }
  return tail;
}

// "." + the start of Leaf + "." + a random tail, within the longest name a file may have;
// the start is cut at a UTF-8 character boundary.
std::string TemporaryLeaf(const std::string& Leaf) {
  constexpr std::size_t kTail = 8;
  return "." + std::string(detail::Utf8Head(Leaf, kNameMax - 2 - kTail)) + "." + RandomTail(kTail);
}

// Whether the file Target may be replaced as far as other holders' share modes go: a save
// writes the file, so it is refused (EACCES) while another open of it denies writing. A file
// the process may not read cannot be asked, and is not held back.
int CheckShare(const std::string& Target) {
  const int fd = detail::RetryOnEintr(
      [&] { return ::open(Target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); });
  if (fd < 0) return 0;
  const bool denied = detail::OthersDenyWriting(fd);
  ::close(fd);
  return denied ? EACCES : 0;
}

}  // namespace

TFileSaver::TFileSaver(StringView FileName) {
  switch (FileNameFault(FileName)) {
    case nfInvalidCharacter:
      SetError(EINVAL);
      return;
    case nfUnmappedDrive:
      SetError(ENOENT);
      return;
    case nfNone:
      break;
  }
  FTarget = NativeFileNameToCreate(FileName);
  // A FIFO or a device takes the bytes as they come; it has nothing to replace.
  const auto OpenDirect = [this] {
    FDirect = true;
    FFd = detail::RetryOnEintr(
        [&] { return ::open(FTarget.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC); });
    if (FFd < 0) SetError(errno);
  };
  struct stat named {};
  if (::stat(FTarget.c_str(), &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode)) {
    // A FIFO, device or socket, opened through the name as given: the kernel resolves links
    // that name no path (/dev/stdout on a pipe reads "pipe:[...]") which a walk cannot.
    OpenDirect();
    return;
  }
  if (const int err = FollowLinks(FTarget); err != 0) {
    SetError(err);
    return;
  }
  std::string folder;
  SplitPath(FTarget, folder, FLeaf);
  if (FLeaf.empty() || FLeaf == "." || FLeaf == "..") {
    SetError(EISDIR);
    return;
  }
  struct stat old {};
  const bool exists = ::stat(FTarget.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) {
    SetError(errno);
    return;
  }
  if (exists && S_ISDIR(old.st_mode)) {
    SetError(EISDIR);
    return;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    OpenDirect();
    return;
  }
  if (exists) {
    if (const int err = CheckShare(FTarget); err != 0) {
      SetError(err);
      return;
    }
  }
  OpenTemporary(folder, FLeaf, exists ? &old : nullptr);
}

void TFileSaver::OpenTemporary(const std::string& Folder, const std::string& Leaf,
                               const struct stat* Old) {
  const char* folder = Folder.empty() ? "." : Folder.c_str();
  FDirFd = detail::RetryOnEintr([&] { return ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (FDirFd < 0 && errno == EACCES) {
    // A folder that may be written but not listed: it cannot be flushed, only used.
    FDirFd = detail::RetryOnEintr([&] { return ::open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC); });
  }
  if (FDirFd < 0) {
    SetError(errno);
    return;
  }
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts && FFd < 0; ++attempt) {
    FTempLeaf = TemporaryLeaf(Leaf);
    FFd = detail::RetryOnEintr([&] {
      return ::openat(FDirFd, FTempLeaf.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      Old != nullptr ? 0600 : 0666);
    });
    if (FFd < 0 && errno != EEXIST) break;
  }
  if (FFd < 0) {
    FTempLeaf.clear();
    SetError(errno);
    return;
  }
  if (Old == nullptr) return;
  // Owner first: changing it clears the set-user-ID and set-group-ID bits that the mode
  // then restores. A process that may not give the file away keeps what it may.
  if (Old->st_uid != ::geteuid() || Old->st_gid != ::getegid()) {
    if (::fchown(FFd, Old->st_uid, Old->st_gid) != 0) {
      (void)::fchown(FFd, static_cast<uid_t>(-1), Old->st_gid);
    }
  }
  if (::fchmod(FFd, Old->st_mode & 07777) != 0) Fail(errno);
}

TFileSaver::~TFileSaver() { Abandon(); }

String TFileSaver::TextFileName() const {
  if (FFd < 0 || FError != 0) return {};
  return Utf8ToString("/proc/self/fd/" + std::to_string(FFd));
}

bool TFileSaver::SetError(int Errno) {
  if (FError == 0) FError = Errno != 0 ? Errno : EIO;
  return false;
}

void TFileSaver::Fail(int Errno) {
  SetError(Errno);
  Abandon();
}

void TFileSaver::Abandon() {
  if (FFd >= 0) {
    ::close(FFd);
    FFd = -1;
  }
  if (!FTempLeaf.empty()) {
    ::unlinkat(FDirFd, FTempLeaf.c_str(), 0);
    FTempLeaf.clear();
  }
  if (FDirFd >= 0) {
    ::close(FDirFd);
    FDirFd = -1;
  }
}

bool TFileSaver::Write(const void* Data, std::size_t Count) {
  if (FError != 0 || FFd < 0 || FCommitted) return SetError(EBADF);
  const auto* p = static_cast<const char*>(Data);
  while (Count > 0) {
    const ssize_t n = ::write(FFd, p, Count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(n < 0 ? errno : ENOSPC);
      return false;
    }
    p += n;
    Count -= static_cast<std::size_t>(n);
  }
  return true;
}

bool TFileSaver::Commit() {
  if (FCommitted) return true;
  if (FError != 0 || FFd < 0) {
    Abandon();
    return SetError(EBADF);
  }
  if (!FDirect && detail::RetryOnEintr([&] { return ::fsync(FFd); }) != 0) {
    Fail(errno);
    return false;
  }
  // close(2) releases the descriptor even when it reports EINTR: never close twice.
  const int fd = FFd;
  FFd = -1;
  if (::close(fd) != 0 && errno != EINTR) {
    Fail(errno);
    return false;
  }
  if (FDirect) {
    FCommitted = true;
    return true;
  }
  if (detail::RetryOnEintr(
          [&] { return ::renameat(FDirFd, FTempLeaf.c_str(), FDirFd, FLeaf.c_str()); }) != 0) {
    Fail(errno);
    return false;
  }
  FTempLeaf.clear();
  FCommitted = true;
  // The new name is in place; only its durability is left to ask of the folder. A folder
  // opened without read access, or a file system that cannot flush folders, is not asked.
  const int synced = detail::RetryOnEintr([&] { return ::fsync(FDirFd); });
  const int err = errno;
  ::close(FDirFd);
  FDirFd = -1;
  if (synced != 0 && err != EBADF && err != EINVAL && err != EROFS) {
    FCommitted = false;
    return SetError(err);
  }
  return true;
}

void SaveTextFile(StringView FileName, TTextEncoding Encoding,
                  const std::function<void(TextFile&)>& Write) {
  TFileSaver save(FileName);
  if (save.Error() != 0) RaiseIOErrorFromErrno(save.Error());
  {
    TextFile f(save.TextFileName());
    f.SetEncoding(Encoding);
    f.Rewrite();
    Write(f);
    f.Close();
  }
  if (!save.Commit()) RaiseIOErrorFromErrno(save.Error());
}

}  // namespace kez
