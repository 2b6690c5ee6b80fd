// The process-wide pseudo-random generator: the classic 32-bit linear congruential
// generator seed := seed * 134775813 + 1 (mod 2^32), so that seeded sequences are the same
// on every build.
//
//   kez::RandSeed = 42;
//   int die = kez::Random(6) + 1;
#pragma once

#include <cstdint>

namespace kez {

// RandSeed
// The generator's state; assign it to repeat a sequence. 0 at load.
extern std::uint32_t RandSeed;

// Randomize
// Seeds the generator from the clock.
void Randomize();

// Random(Range)
// A value in 0 .. Range-1: the high 32 bits of the new seed times Range. A Range of 0 or
// less gives 0 (the seed still advances).
std::int32_t Random(std::int32_t Range);

// Random()
// A value in [0, 1): the new seed divided by 2^32.
double Random();

}  // namespace kez
