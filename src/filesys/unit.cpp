// Stop of KEZ_filesys.
#include "package/units.hpp"

namespace kez::detail {

void FilesysStop() {}

}  // namespace kez::detail
