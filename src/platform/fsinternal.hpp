// Helpers shared by the file-system sources of the library (not installed).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "kez/platform/types.hpp"

namespace kez::detail {

// Where the name part of a library path starts: after the last "\" or "/", or after a
// drive "X:" that has no separator.
std::size_t NameStart(StringView Path);

// The native directory of a directory part ("" is the current directory); empty when the
// name cannot be mapped.
std::string NativeDirOf(StringView DirPart);

// lstat of Name in DirFd with the library's attributes; false when it does not exist.
bool StatAt(int DirFd, const char* Name, struct stat& St, std::int32_t& Attr);

}  // namespace kez::detail
