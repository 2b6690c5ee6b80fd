// Stop of KEZ_kezcolors.
#include "package/units.hpp"

namespace kez::detail {

// The colour-name table is constant data; nothing to release.
void KezcolorsStop() {}

}  // namespace kez::detail
