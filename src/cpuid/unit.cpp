// Stop of KEZ_cpuid.
#include "package/units.hpp"

namespace kez::detail {

// The feature-name table is constant data; nothing to release.
void CpuidStop() {}

}  // namespace kez::detail
