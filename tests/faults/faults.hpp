// The test side of the fault-injection library (faultinject.c): whether it is loaded, and
// its controls.
#pragma once

#include <string>

namespace kez::faults {

// Loaded: whether the library stands in front of the C library's calls.
bool Loaded();
// WhyNotLoaded: the message of a test skipped without it.
std::string WhyNotLoaded();

// Arm(k, err): counts this thread's calls from now on and makes the k-th fail with err
// (k = 0: none); err = -1 makes every write come back short instead.
void Arm(long K, int Err);
// Disarm: stops counting; the number of calls counted.
long Disarm();
// Fired: whether the armed fault has happened.
bool Fired();
// InterruptReads(true): every read of this thread is interrupted once (EINTR) and then
// comes back short; false ends it.
void InterruptReads(bool On);

}  // namespace kez::faults
