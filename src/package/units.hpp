// Start and stop routines of the units, one pair per unit file src/<unit>/unit.cpp. The
// package's unit table points at them; a unit with nothing to do has no routine.
#pragma once

namespace kez::detail {

void PlatformStart();
void PlatformStop();
void KezbaseStart();
void KezbaseStop();
void KezcolorsStop();
void StringlStart();
void DstructStop();
void CpuidStop();
void FilesysStop();

}  // namespace kez::detail
