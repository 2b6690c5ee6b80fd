/// @file
/// Internal: the leaf execution behind every CPUID query and the clock-rate measurement of
/// CPU_Speed, with the processor, the tick and the counter passed in. Clients need none of
/// this; the tests use it to play processors and clocks this machine is not.
#pragma once

#include <cstdint>
#include <functional>

#include "kez/platform/processor.hpp"

namespace kez::detail {

/// CpuidSource
/// What executes CPUID for a leaf: ExecuteCpuid, or a stand-in.
using CpuidSource = std::function<TCpuidRegisters(std::uint32_t Leaf)>;

/// ExecuteCpuidLeaf
/// The registers of Leaf, executed Repeat times (at least once) with the last answer kept.
/// Raises EKEZCpuIdError "Cannot acquire CPU information (CPUID not supported)" when
/// IdSupport is false, and "CPUID: execution level not supported" when the leaf is above the
/// highest of its range: a standard leaf (below 0x80000000) above leaf 0's EAX, an extended
/// leaf above leaf 0x80000000's EAX (so every extended leaf fails on a processor that answers
/// leaf 0x80000000 with a value below 0x80000000). Leaves between the two ranges count as
/// standard ones.
TCpuidRegisters ExecuteCpuidLeaf(std::uint32_t Leaf, std::int32_t Repeat, bool IdSupport,
                                 const CpuidSource& Source);

/// ExecuteCpuidLeaf
/// The same on this processor (CPU_IDSupport and ExecuteCpuid).
TCpuidRegisters ExecuteCpuidLeaf(std::uint32_t Leaf, std::int32_t Repeat = 1);

/// MeasureClockRate
/// CPU_Speed's measurement without the priority change: waits for Tick to change (a tick
/// edge), reads Counter, waits until Tick has advanced DelayMs past the edge (by unsigned
/// difference, so a wrapping tick is no matter), reads Counter again, and returns the counter
/// difference divided by 1000 * DelayMs. DelayMs 0 gives 0 without reading either; a counter
/// that went backwards gives 0.
float MeasureClockRate(std::uint32_t DelayMs, const std::function<std::uint32_t()>& Tick,
                       const std::function<std::uint64_t()>& Counter);

}  // namespace kez::detail
