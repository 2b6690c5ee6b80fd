// Reading whole blocks from a file descriptor (not installed).
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace kez {

// Reads until Count bytes or the end; interruptions and short reads are retried, so fewer
// bytes mean the end or a failure (Failed).
inline std::size_t ReadFull(int F, char* Buf, std::size_t Count, bool& Failed) {
  std::size_t got = 0;
  Failed = false;
  while (got < Count) {
    const ssize_t r = ::read(F, Buf + got, Count - got);
    if (r > 0) {
      got += static_cast<std::size_t>(r);
    } else if (r == 0) {
      break;
    } else if (errno != EINTR) {
      Failed = true;
      break;
    }
  }
  return got;
}

}  // namespace kez
