// Start and stop of KEZ_kezbase.
#include "package/units.hpp"

namespace kez::detail {

void KezbaseStart() {}

// The word tables are constant data that live as long as the library; nothing to release.
void KezbaseStop() {}

}  // namespace kez::detail
