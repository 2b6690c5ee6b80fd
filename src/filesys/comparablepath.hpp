// The form in which the save dialog compares folders (not installed).
#pragma once

#include "kez/platform/types.hpp"

namespace kez::detail {

// ComparablePath
// Path as the folder it names on this system, lower-cased: the drive mapped, a relative
// path put after the current folder, "." components and doubled separators dropped, ".."
// resolved, symbolic links followed as far as the path exists, "/" as the separator, and a
// trailing separator where Path ends with one (or with "." or ".."). A drive the drive table
// does not map, and a name with a NUL in it, are normalised the same way without touching
// the file system ("x:/..." keeps the drive). Empty for an empty Path.
String ComparablePath(StringView Path);

}  // namespace kez::detail
