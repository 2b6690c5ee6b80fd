// File attributes, times and the small operations on single entries.
#include "kez/platform/filesystem.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/textfile.hpp"
#include "platform/fsinternal.hpp"

namespace kez {
namespace {

// The native name of a file; stat of an entry through its directory gives the same
// attributes FindNext reports.
bool StatOf(StringView FileName, struct stat& St, std::int32_t& Attr) {
  const std::string native = NativeFileName(FileName);
  if (native.empty()) return false;
  std::string dir = ".", name = native;
  const auto slash = native.find_last_of('/');
  if (slash != std::string::npos) {
    dir = slash == 0 ? "/" : native.substr(0, slash);
    name = native.substr(slash + 1);
  }
  while (name.empty() && dir.size() > 1) {
    // "dir/" names the directory itself.
    const auto cut = dir.find_last_of('/');
    name = dir.substr(cut == std::string::npos ? 0 : cut + 1);
    dir = cut == std::string::npos ? "." : (cut == 0 ? "/" : dir.substr(0, cut));
  }
  if (name.empty()) name.push_back('.');  // name = "." draws a false -Wrestrict from g++ 12
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = detail::StatAt(fd, name.c_str(), St, Attr);
  ::close(fd);
  return ok;
}

}  // namespace

std::int32_t FileGetAttr(StringView FileName) {
  struct stat st {};
  std::int32_t attr = 0;
  return StatOf(FileName, st, attr) ? attr : -1;
}

int FileSetAttr(StringView FileName, std::int32_t Attr) {
  const std::string native = NativeFileName(FileName);
  struct stat st {};
  if (::lstat(native.c_str(), &st) != 0) return errno;
  if (S_ISLNK(st.st_mode)) return 0;
  mode_t mode = st.st_mode & 07777;
  if ((Attr & faReadOnly) != 0) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  return ::chmod(native.c_str(), mode) == 0 ? 0 : errno;
}

bool FileGetModTime(StringView FileName, std::timespec& Time) {
  struct stat st {};
  if (::lstat(NativeFileName(FileName).c_str(), &st) != 0) return false;
  Time = st.st_mtim;
  return true;
}

bool FileSetModTime(StringView FileName, const std::timespec& Time) {
  const std::timespec times[2] = {{0, UTIME_OMIT}, Time};
  return ::utimensat(AT_FDCWD, NativeFileName(FileName).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool FileExists(StringView FileName) {
  const std::int32_t attr = FileGetAttr(FileName);
  return attr >= 0 && (attr & faDirectory) == 0;
}

bool DirectoryExists(StringView FileName) {
  const std::int32_t attr = FileGetAttr(FileName);
  return attr >= 0 && (attr & faDirectory) != 0;
}

bool detail::DeleteEntry(int DirFd, const char* Name) {
  struct stat st {};
  if (::fstatat(DirFd, Name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  if (IsWriteProtected(st)) {
    errno = EACCES;
    return false;
  }
  return ::unlinkat(DirFd, Name, 0) == 0;
}

bool DeleteFile(StringView FileName) {
  const std::string native = NativeFileName(FileName);
  if (native.empty() || native.back() == '/') return false;
  return detail::DeleteEntry(AT_FDCWD, native.c_str());
}

bool RemoveDir(StringView DirName) {
  const std::string native = NativeFileName(DirName);
  return !native.empty() && ::rmdir(native.c_str()) == 0;
}

bool CreateDir(StringView DirName) {
  const std::string native = NativeFileName(DirName);
  return !native.empty() && ::mkdir(native.c_str(), 0777) == 0;
}

bool ForceDirectories(StringView DirName) {
  std::string native = NativeFileName(DirName);
  if (native.empty()) return false;
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  // Create each missing component in turn; a component that exists must be a directory.
  for (std::size_t i = 1; i <= native.size(); ++i) {
    if (i < native.size() && native[i] != '/') continue;
    const std::string part = native.substr(0, i);
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

String ExpandFileName(StringView FileName) {
  const bool absolute = (!FileName.empty() && (FileName[0] == u'\\' || FileName[0] == u'/')) ||
                        (FileName.size() >= 2 && FileName[1] == u':');
  if (absolute) return String(FileName);
  char buf[4096];
  if (::getcwd(buf, sizeof buf) == nullptr) return String(FileName);
  String dir = NativeToString(buf);
  if (dir.empty() || dir.back() != u'/') dir += u'/';
  return dir + String(FileName);
}

void RaiseIOErrorFromErrno(int Errno) {
  int code = 1000 + Errno;
  switch (Errno) {
    case ENOENT:
      code = ioFileNotFound;
      break;
    case ENOTDIR:
      code = ioPathNotFound;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case EEXIST:
    case EISDIR:
      code = ioAccessDenied;
      break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      code = ioWriteError;
      break;
    default:
      break;
  }
  throw EInOutError(IOErrorText(code), code);
}

}  // namespace kez
