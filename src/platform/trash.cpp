// The recycle bin: the freedesktop.org trash, through GIO as the desktop's file managers
// use it (the home trash for files on the home file system, .Trash-$uid folders on other
// volumes, each file with its .trashinfo record).
#include <fcntl.h>
#include <gio/gio.h>
#include <stdio.h>

#include <cerrno>
#include <string>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"

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

bool MoveFileToTrash(StringView FileName) {
  const std::string native = NativeFileName(FileName);
  if (native.empty()) return false;
  if (Trash(native)) return true;
  const auto slash = native.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : native.substr(0, slash + 1);
  const std::string name = native.substr(dir.size());
  if (name.size() <= kLongestTrashableName) return false;
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string shorter = dir + ShortenedName(name, attempt);
    if (::renameat2(AT_FDCWD, native.c_str(), AT_FDCWD, shorter.c_str(), RENAME_NOREPLACE) != 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (Trash(shorter)) return true;
    // Not trashable after all: the file gets its name back.
    (void)::renameat2(AT_FDCWD, shorter.c_str(), AT_FDCWD, native.c_str(), RENAME_NOREPLACE);
    return false;
  }
  return false;
}

}  // namespace kez
