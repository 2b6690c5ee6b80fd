// The calling thread's scheduling, to check that code which raises it puts it back.
#pragma once

#include <pthread.h>
#include <sys/resource.h>

#include <cerrno>

namespace kez::test {

struct Scheduling {
  int Nice = 0;
  int Policy = 0;
  int Priority = 0;
  bool operator==(const Scheduling&) const = default;
};

inline Scheduling CurrentScheduling() {
  Scheduling s;
  errno = 0;
  s.Nice = getpriority(PRIO_PROCESS, 0);
  sched_param p{};
  pthread_getschedparam(pthread_self(), &s.Policy, &p);
  s.Priority = p.sched_priority;
  return s;
}

}  // namespace kez::test
