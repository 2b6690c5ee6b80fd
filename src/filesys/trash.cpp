// Files to the recycle bin.
#include "filesys/search.hpp"
#include "kez/filesys/trees.hpp"

namespace kez {

std::int32_t MoveToRecycleBin(StringView Mask) {
  return ForEachFileOfMask(Mask, [](int Fd, const std::string& Dir, const std::string& Name) {
    return detail::TrashEntry(Fd, Dir, Name);
  });
}

}  // namespace kez
