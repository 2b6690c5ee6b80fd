/// @file
/// Processor and scheduling services: the CPUID instruction and its flags-register test, the
/// time-stamp counter, the number of logical processors, a millisecond tick and a temporary
/// raise of the calling thread's scheduling priority.
///
/// CPUID and the time-stamp counter exist on x86 processors only; elsewhere CpuidFlagToggles
/// is false and ExecuteCpuid and ReadTimeStampCounter give zeros, so code built on them still
/// builds and runs.
///
/// @code
///   if (kez::CpuidFlagToggles()) vendorRegs = kez::ExecuteCpuid(0);
///   const std::uint32_t t0 = kez::GetTickCount();
///   while (kez::GetTickCount() - t0 < 50) {}      // wraps safely: compare differences
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"

namespace kez {
KEZ_API_BEGIN

/// TCpuidRegisters
/// The four registers CPUID answers in.
struct TCpuidRegisters {
  std::uint32_t EAX = 0;  ///< What CPUID left in EAX.
  std::uint32_t EBX = 0;  ///< What CPUID left in EBX.
  std::uint32_t ECX = 0;  ///< What CPUID left in ECX.
  std::uint32_t EDX = 0;  ///< What CPUID left in EDX.
};

/// CpuidFlagToggles
/// True if bit 21 (ID) of the flags register can be changed, which is how an x86 processor
/// tells that it has the CPUID instruction. The flags register is left as it was. Always
/// false on other processors.
bool CpuidFlagToggles();

/// ExecuteCpuid
/// The registers after one CPUID with Leaf in EAX; ECX (the sub-leaf) is not set, so ask only
/// for leaves that have no sub-leaves. No range check: a leaf above the processor's highest
/// gives whatever the processor gives for it. All zero where there is no CPUID.
TCpuidRegisters ExecuteCpuid(std::uint32_t Leaf);

/// ReadTimeStampCounter
/// The processor's time-stamp counter (RDTSC). 0 on processors other than x86.
std::uint64_t ReadTimeStampCounter();

/// ProcessorCount
/// The number of logical processors online, as the operating system counts them (not limited
/// by this process's affinity mask); at least 1.
std::int32_t ProcessorCount();

/// GetTickCount
/// Milliseconds of CLOCK_MONOTONIC (from an unspecified start, usually boot) modulo 2^32: it
/// wraps to 0 after 49.7 days, so compare ticks only by their unsigned difference.
std::uint32_t GetTickCount();

/// TPriorityBoost
/// Raises the calling thread to the highest priority the process may give it, for the
/// lifetime of the object, and restores the previous setting in the destructor (so on every
/// path, exceptions included).
///
/// Two settings are raised, each only where the process is permitted (CAP_SYS_NICE, or the
/// ceilings of RLIMIT_NICE and RLIMIT_RTPRIO); a change that is refused is skipped, never an
/// error:
/// - the nice value, lowered to -20 (or the lowest RLIMIT_NICE allows). Linux keeps the nice
///   value per thread, so this is the calling thread's;
/// - the scheduling policy, set to SCHED_FIFO at its highest priority (or the RLIMIT_RTPRIO
///   ceiling). A thread under SCHED_DEADLINE is left alone, as its parameters could not be
///   put back.
/// The destructor restores the policy first, then the nice value. Busy-waiting under
/// SCHED_FIFO starves lower threads on that processor; the kernel's real-time throttling
/// (normally 95% of each second) bounds it. Not copyable.
class TPriorityBoost {
 public:
  TPriorityBoost();
  ~TPriorityBoost();
  TPriorityBoost(const TPriorityBoost&) = delete;
  TPriorityBoost& operator=(const TPriorityBoost&) = delete;

  /// Whether the nice value / the scheduling policy was changed (and will be restored).
  ///@{
  bool NiceRaised() const { return FNiceRaised; }
  bool PolicyRaised() const { return FPolicyRaised; }
  ///@}

 private:
  bool FNiceRaised = false;
  bool FPolicyRaised = false;
  int FOldNice = 0;
  int FOldPolicy = 0;
  int FOldPriority = 0;
};

KEZ_API_END
}  // namespace kez
