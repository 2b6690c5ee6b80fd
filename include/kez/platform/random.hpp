/// @file
/// The process-wide pseudo-random generator: the classic 32-bit linear congruential
/// generator seed := seed * 134775813 + 1 (mod 2^32), so that seeded sequences are the same
/// on every build. For secrets (passwords, keys) use SecureRandom, which draws from the
/// operating system's cryptographic source instead.
///
/// @code
///   kez::RandSeed = 42;
///   int die = kez::Random(6) + 1;
///   std::uint32_t secret = kez::SecureRandom(100);   // 0 .. 99, unpredictable
/// @endcode
///
/// Threads: RandSeed is process-wide state, shared by every thread, and Random, Randomize and
/// the functions built on them (ScrambleText, RandomColor) advance it without a lock: a program
/// that uses them from several threads serialises those calls itself (a seeded sequence has an
/// order only in one thread anyway). SecureRandom may run in any number of threads at once.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"

namespace kez {
KEZ_API_BEGIN

/// RandSeed
/// The generator's state; assign it to repeat a sequence. 0 at load.
extern std::uint32_t RandSeed;

/// Randomize
/// Seeds the generator from the clock.
void Randomize();

/// Random(Range)
/// A value in 0 .. Range-1: the high 32 bits of the new seed times Range. A Range of 0 or
/// less gives 0 (the seed still advances).
std::int32_t Random(std::int32_t Range);

/// Random()
/// A value in [0, 1): the new seed divided by 2^32.
double Random();

/// SecureRandom
/// A value in 0 .. Range-1, every value equally likely, from the kernel's cryptographic
/// generator (getrandom; /dev/urandom on kernels without it). Independent of RandSeed and
/// never repeated from run to run. A Range of 0 gives 0. Raises Exception "No secure random
/// source is available" when neither source can be read.
std::uint32_t SecureRandom(std::uint32_t Range);

KEZ_API_END
}  // namespace kez
