// The recycle bin: the freedesktop.org trash, through GIO as the desktop's file managers
// use it (the home trash for files on the home file system, .Trash-$uid folders on other
// volumes, each file with its .trashinfo record).
#include <fcntl.h>
#include <gio/gio.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "platform/fsinternal.hpp"

namespace kez {

namespace {

bool Trash(const std::string& Native) {
  GFile* file = g_file_new_for_path(Native.c_str());
  GError* error = nullptr;
  // g_file_trash never falls back to deleting: a file it cannot trash stays where it is.
  const gboolean ok = g_file_trash(file, nullptr, &error);
  if (error != nullptr) g_error_free(error);
  g_object_unref(file);
  return ok != FALSE;
}

// The trash keeps a record named after the file plus ".trashinfo", which a name near the
// file system's limit cannot have. Such a file is first renamed, in its own directory and
// never over another entry, to a shorter name that keeps its start and extension.
constexpr std::size_t kLongestTrashableName = 200;

std::string ShortenedName(const std::string& Name, int Attempt) {
  std::string ext;
  const auto dot = Name.rfind('.');
  if (dot != std::string::npos && dot > 0 && Name.size() - dot <= 16) ext = Name.substr(dot);
  std::size_t keep = kLongestTrashableName - ext.size() - 8;
  // Cut on a UTF-8 character boundary.
  while (keep > 0 && (static_cast<unsigned char>(Name[keep]) & 0xC0) == 0x80) --keep;
  return Name.substr(0, keep) + "~" + std::to_string(Attempt) + ext;
}

}  // namespace

bool detail::TrashEntry(int DirFd, const std::string& NativeDir, const std::string& Name) {
  std::string dir = NativeDir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  if (Name.size() <= kLongestTrashableName) return Trash(dir + Name);
  // Renamed before it is trashed: trashed under its long name, the file would go without a
  // record the desktop can restore it from.
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string shorter = ShortenedName(Name, attempt);
    if (::renameat2(DirFd, Name.c_str(), DirFd, shorter.c_str(), RENAME_NOREPLACE) != 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (Trash(dir + shorter)) return true;
    // Not trashable after all: the file gets its name back.
    (void)::renameat2(DirFd, shorter.c_str(), DirFd, Name.c_str(), RENAME_NOREPLACE);
    return false;
  }
  return false;
}

bool MoveFileToTrash(StringView FileName) {
  const std::string native = NativeFileName(FileName);
  const auto slash = native.rfind('/');
  const std::string dir =
      slash == std::string::npos ? std::string(".") : native.substr(0, slash + 1);
  const std::string name = native.substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.empty()) return false;
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = detail::TrashEntry(fd, dir, name);
  ::close(fd);
  return ok;
}

}  // namespace kez
