// Start and stop of the platform layer.
#include "package/units.hpp"

namespace kez::detail {

// The platform's services keep their state in constant-initialized variables and
// function-local statics; there is nothing to prepare or release.
void PlatformStart() {}
void PlatformStop() {}

}  // namespace kez::detail
