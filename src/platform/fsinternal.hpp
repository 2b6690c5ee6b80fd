// Helpers shared by the file-system sources of the library (not installed).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "kez/platform/types.hpp"

namespace kez::detail {

// Where the name part of a library path starts: after the last "\" or "/", or after a
// drive "X:" that has no separator; in the verbatim form after the last "/" (or the prefix).
std::size_t NameStart(StringView Path);

// The native directory of a directory part ("" is the current directory); empty when the
// name cannot be mapped.
std::string NativeDirOf(StringView DirPart);

// lstat of Name in DirFd with the library's attributes; false when it does not exist.
bool StatAt(int DirFd, const char* Name, struct stat& St, std::int32_t& Attr);

// ScopedFileMode
// While it lives, UntypedFile::Reset on this thread opens in Mode instead of the process-wide
// FileMode, which is left untouched: the library opens a file read-only this way without
// racing with other threads that read FileMode. Scopes nest.
class ScopedFileMode {
 public:
  explicit ScopedFileMode(std::uint8_t Mode);
  ~ScopedFileMode();
  ScopedFileMode(const ScopedFileMode&) = delete;
  ScopedFileMode& operator=(const ScopedFileMode&) = delete;

 private:
  int FSaved;
};

// The mode Reset uses on this thread: the innermost ScopedFileMode's, else FileMode.
std::uint8_t EffectiveFileMode();

// Utf8Head
// The longest start of Text within MaxBytes bytes that does not cut a UTF-8 character in
// two, for names that must fit the file system's 255 bytes. A run of stray continuation
// bytes is cut where the limit falls.
inline std::string_view Utf8Head(std::string_view Text, std::size_t MaxBytes) {
  if (Text.size() <= MaxBytes) return Text;
  std::size_t keep = MaxBytes;
  while (keep > 0 && MaxBytes - keep < 3 &&
         (static_cast<unsigned char>(Text[keep]) & 0xC0) == 0x80) {
    --keep;
  }
  if ((static_cast<unsigned char>(Text[keep]) & 0xC0) == 0x80) keep = MaxBytes;
  return Text.substr(0, keep);
}

// IsWriteProtected
// Whether an entry is protected by the read-only attribute: a file or folder, not a
// symbolic link, without the owner's write permission. Deleting and overwriting refuse
// such entries, for root too.
inline bool IsWriteProtected(const struct stat& St) {
  return !S_ISLNK(St.st_mode) && (St.st_mode & S_IWUSR) == 0;
}

// DeleteEntry
// Deletes the file or symbolic link Name of the open folder DirFd; never a folder, nor a
// read-only file (errno EACCES). False, with errno set, on failure.
bool DeleteEntry(int DirFd, const char* Name);

// TrashEntry
// Moves the entry Name of the open folder DirFd, whose path is NativeDir, to the desktop's
// trash as MoveFileToTrash does.
bool TrashEntry(int DirFd, const std::string& NativeDir, const std::string& Name);

}  // namespace kez::detail
