// The process-wide linear congruential generator.
#include "kez/platform/random.hpp"

#include <time.h>

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

}  // namespace kez
