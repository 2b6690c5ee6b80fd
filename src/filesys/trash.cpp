// Files to the recycle bin.
#include "filesys/search.hpp"
#include "kez/filesys/trees.hpp"
#include "kez/platform/filesystem.hpp"

namespace kez {

std::int32_t MoveToRecycleBin(StringView Mask) {
  return ForEachFileOfMask(
      Mask, [](const String& Name) { return FileGetAttr(Name) >= 0 && MoveFileToTrash(Name); });
}

}  // namespace kez
