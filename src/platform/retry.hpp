// Calls that a signal may interrupt (EINTR) are made again: every open, truncation and
// flush of the library goes through here, as its read and write loops retry on their own.
#pragma once

#include <cerrno>

namespace kez::detail {

// RetryOnEintr
// Calls Call until it succeeds or fails with another error than EINTR; its result, with
// errno telling the failure.
template <typename Call>
auto RetryOnEintr(Call&& call) {
  for (;;) {
    const auto r = call();
    if (r >= 0 || errno != EINTR) return r;
  }
}

}  // namespace kez::detail
