// Start and stop of KEZ_kezbase.
#include "kez/kezbase.hpp"
#include "package/units.hpp"

namespace kez::detail {

// A fresh start clears the progress value a computation may have left behind.
void KezbaseStart() { ProcStat = 0; }

// The word tables are constant data that live as long as the library; nothing to release.
void KezbaseStop() {}

}  // namespace kez::detail
