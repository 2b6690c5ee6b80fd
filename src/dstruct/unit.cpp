// Stop of KEZ_dstruct.
#include "package/units.hpp"

namespace kez::detail {

// The keyword tables are constant data; nothing to release.
void DstructStop() {}

}  // namespace kez::detail
