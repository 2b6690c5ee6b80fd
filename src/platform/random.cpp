// The process-wide linear congruential generator.
#include "kez/platform/random.hpp"

#include <fcntl.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "kez/platform/exceptions.hpp"
#include "platform/retry.hpp"

namespace kez {

std::uint32_t RandSeed = 0;

namespace {
std::uint32_t NextSeed() {
  RandSeed = RandSeed * 134775813u + 1u;
  return RandSeed;
}
}  // namespace

void Randomize() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  RandSeed = static_cast<std::uint32_t>(ts.tv_sec * 1000u + ts.tv_nsec / 1000000);
}

std::int32_t Random(std::int32_t Range) {
  const std::uint64_t seed = NextSeed();
  if (Range <= 0) return 0;
  return static_cast<std::int32_t>((seed * static_cast<std::uint64_t>(Range)) >> 32);
}

double Random() { return static_cast<double>(NextSeed()) / 4294967296.0; }

namespace {

// Fills Value from /dev/urandom; false when it cannot be read.
bool ReadUrandom(std::uint32_t& Value) {
  const int fd = detail::RetryOnEintr([&] { return ::open("/dev/urandom", O_RDONLY | O_CLOEXEC); });
  if (fd < 0) return false;
  ssize_t n;
  do {
    n = ::read(fd, &Value, sizeof Value);
  } while (n < 0 && errno == EINTR);
  ::close(fd);
  return n == static_cast<ssize_t>(sizeof Value);
}

std::uint32_t SecureWord() {
  std::uint32_t value = 0;
  for (;;) {
    // Up to 256 bytes getrandom never returns short once the pool is ready; it only blocks
    // before that, early in boot.
    const ssize_t n = ::getrandom(&value, sizeof value, 0);
    if (n == static_cast<ssize_t>(sizeof value)) return value;
    if (n < 0 && errno == EINTR) continue;
    if (ReadUrandom(value)) return value;
    throw Exception(u"No secure random source is available");
  }
}

}  // namespace

std::uint32_t SecureRandom(std::uint32_t Range) {
  if (Range <= 1) return 0;
  // Rejecting the top partial block of the 32-bit range leaves no value favoured.
  const std::uint32_t limit = UINT32_MAX - UINT32_MAX % Range;
  std::uint32_t word;
  do {
    word = SecureWord();
  } while (word >= limit);
  return word % Range;
}

}  // namespace kez
