// How the library's Windows-style file names reach the Linux file system.
//
// "\" and "/" are both separators. A leading drive "X:" maps through a drive table (by
// default only C: is mapped, to "/"); hosts may map more with SetDriveRoot. A name is
// looked up exactly first; when that fails, each component is matched ignoring ASCII case,
// so upper-cased directory parts find their files as on a case-insensitive file system.
//
//   kez::NativeFileName(u"C:\\tmp\\DATA\\x.txt")   // "/tmp/data/x.txt" if that exists
#pragma once

#include <cstdint>
#include <string>

#include "kez/platform/types.hpp"

namespace kez {

// NativeFileName
// The UTF-8 path to hand to the operating system for a library file name. When no
// existing path matches ignoring case, the name with only separators and drive mapped is
// returned (so that files can be created).
std::string NativeFileName(StringView FileName);

// SetDriveRoot / DriveRoot
// Map a drive letter (A-Z, either case) to a directory; an empty root removes the mapping.
// DriveRoot gives the mapping, empty when the letter is not mapped.
void SetDriveRoot(char16_t Letter, std::string Root);
std::string DriveRoot(char16_t Letter);

// LogicalDrivesMask
// Bit n set when drive letter 'A' + n is mapped.
std::uint32_t LogicalDrivesMask();

}  // namespace kez
