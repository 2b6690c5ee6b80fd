// Processor and scheduling services on Linux.
#include "kez/platform/processor.hpp"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define KEZ_X86 1
#else
#define KEZ_X86 0
#endif

namespace kez {

#if defined(__x86_64__)
// The pushes would overwrite the red zone below the stack pointer, where the compiler may
// keep locals of a leaf function; step over it first. lea leaves the flags alone.
#define KEZ_FLAGS_PROLOGUE "lea -128(%%rsp), %%rsp\n\t"
#define KEZ_FLAGS_EPILOGUE "lea 128(%%rsp), %%rsp"
#define KEZ_PUSHF "pushfq\n\t"
#define KEZ_POPF "popfq\n\t"
#elif defined(__i386__)
#define KEZ_FLAGS_PROLOGUE ""
#define KEZ_FLAGS_EPILOGUE ""
#define KEZ_PUSHF "pushfl\n\t"
#define KEZ_POPF "popfl\n\t"
#endif

bool CpuidFlagToggles() {
#if KEZ_X86
  std::uintptr_t before = 0;
  std::uintptr_t after = 0;
  asm volatile(KEZ_FLAGS_PROLOGUE KEZ_PUSHF
               "pop %0\n\t"
               "mov %0, %1\n\t"
               "xor $0x200000, %1\n\t"
               "push %1\n\t" KEZ_POPF KEZ_PUSHF
               "pop %1\n\t"
               "push %0\n\t" KEZ_POPF KEZ_FLAGS_EPILOGUE
               : "=&r"(before), "=&r"(after)
               :
               : "cc");
  return ((before ^ after) & 0x200000u) != 0;
#else
  return false;
#endif
}

TCpuidRegisters ExecuteCpuid(std::uint32_t Leaf) {
  TCpuidRegisters r;
#if KEZ_X86
  __cpuid(Leaf, r.EAX, r.EBX, r.ECX, r.EDX);
#else
  (void)Leaf;
#endif
  return r;
}

std::uint64_t ReadTimeStampCounter() {
#if KEZ_X86
  return __rdtsc();
#else
  return 0;
#endif
}

std::int32_t ProcessorCount() {
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  if (n < 1) return 1;
  return static_cast<std::int32_t>(std::min<long>(n, INT32_MAX));
}

std::uint32_t GetTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                           static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

namespace {

// The lowest nice value RLIMIT_NICE lets an unprivileged thread take (20 - limit).
int NiceFloor() {
  rlimit lim{};
  if (getrlimit(RLIMIT_NICE, &lim) != 0) return 20;
  if (lim.rlim_cur == RLIM_INFINITY || lim.rlim_cur >= 40) return -20;
  return 20 - static_cast<int>(lim.rlim_cur);
}

// The highest SCHED_FIFO priority RLIMIT_RTPRIO lets an unprivileged thread take.
int RealTimeCeiling(int Max) {
  rlimit lim{};
  if (getrlimit(RLIMIT_RTPRIO, &lim) != 0) return 0;
  if (lim.rlim_cur == RLIM_INFINITY) return Max;
  return static_cast<int>(std::min<rlim_t>(lim.rlim_cur, static_cast<rlim_t>(Max)));
}

bool SetFifo(int Priority) {
  sched_param p{};
  p.sched_priority = Priority;
  return pthread_setschedparam(pthread_self(), SCHED_FIFO, &p) == 0;
}

}  // namespace

TPriorityBoost::TPriorityBoost() {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, 0);
  if (errno == 0 && nice > -20) {
    // Try the top first: privilege (CAP_SYS_NICE) is not visible in the limits.
    if (setpriority(PRIO_PROCESS, 0, -20) == 0) {
      FNiceRaised = true;
    } else if (const int floor = NiceFloor(); floor < nice) {
      FNiceRaised = setpriority(PRIO_PROCESS, 0, floor) == 0;
    }
    FOldNice = nice;
  }

  int policy = 0;
  sched_param param{};
  if (pthread_getschedparam(pthread_self(), &policy, &param) == 0) {
    const bool restorable = policy == SCHED_OTHER || policy == SCHED_BATCH ||
                            policy == SCHED_IDLE || policy == SCHED_FIFO || policy == SCHED_RR;
    const int max = sched_get_priority_max(SCHED_FIFO);
    const bool atTop = policy == SCHED_FIFO && param.sched_priority >= max;
    if (restorable && max > 0 && !atTop) {
      FOldPolicy = policy;
      FOldPriority = param.sched_priority;
      if (SetFifo(max)) {
        FPolicyRaised = true;
      } else if (const int ceiling = RealTimeCeiling(max);
                 ceiling > 0 && (policy != SCHED_FIFO || ceiling > param.sched_priority)) {
        FPolicyRaised = SetFifo(ceiling);
      }
    }
  }
}

TPriorityBoost::~TPriorityBoost() {
  // Each goes back to a setting the thread held before, which the kernel permits.
  if (FPolicyRaised) {
    sched_param p{};
    p.sched_priority = FOldPriority;
    pthread_setschedparam(pthread_self(), FOldPolicy, &p);
  }
  if (FNiceRaised) setpriority(PRIO_PROCESS, 0, FOldNice);
}

}  // namespace kez
