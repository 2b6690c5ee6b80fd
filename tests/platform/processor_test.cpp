// The priority raise of the processor services: raised where permitted, always restored.
#include "kez/platform/processor.hpp"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <stdexcept>

#include "scheduling.hpp"

namespace kez {
namespace {

using test::CurrentScheduling;
using test::Scheduling;

TEST(PriorityBoost, RaisesWhatItReportsAndRestoresOnEveryPath) {
  const Scheduling before = CurrentScheduling();
  {
    const TPriorityBoost boost;
    const Scheduling during = CurrentScheduling();
    EXPECT_EQ(boost.NiceRaised(), during.Nice < before.Nice);
    EXPECT_EQ(boost.PolicyRaised(), during.Policy == SCHED_FIFO && !(before == during));
  }
  EXPECT_EQ(CurrentScheduling(), before);

  try {
    const TPriorityBoost boost;
    throw std::runtime_error("leaves the scope");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(CurrentScheduling(), before);
}

// Drops root (and with it CAP_SYS_NICE) and the limits that let an unprivileged thread
// raise itself, then boosts: 0 if nothing changed at any point.
int BoostWithoutPermission() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_NICE, &none);
  setrlimit(RLIMIT_RTPRIO, &none);
  if (getuid() == 0 && setuid(65534) != 0) return 3;
  const Scheduling before = CurrentScheduling();
  bool raised = true;
  {
    const TPriorityBoost boost;
    raised = boost.NiceRaised() || boost.PolicyRaised() || !(CurrentScheduling() == before);
  }
  if (raised) return 1;
  return CurrentScheduling() == before ? 0 : 2;
}

TEST(PriorityBoost, RefusedChangesAreSkipped) {
  EXPECT_EXIT(_exit(BoostWithoutPermission()), testing::ExitedWithCode(0), "");
}

TEST(ProcessorTick, FollowsTheMonotonicClock) {
  const std::uint32_t t0 = GetTickCount();
  usleep(30'000);
  const std::uint32_t elapsed = GetTickCount() - t0;
  EXPECT_GE(elapsed, 29u);  // the tick truncates to whole milliseconds
  EXPECT_LT(elapsed, 5000u);
  EXPECT_GE(ProcessorCount(), 1);
}

}  // namespace
}  // namespace kez
