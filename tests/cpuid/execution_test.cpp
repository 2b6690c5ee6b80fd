// The leaf check and the clock-rate measurement on stand-in processors and clocks.
#include "kez/cpuid/detail/execution.hpp"

#include <gtest/gtest.h>

#include <map>

#include "kez/cpuid.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using detail::ExecuteCpuidLeaf;

constexpr char16_t kNoCpuid[] = u"Cannot acquire CPU information (CPUID not supported)";
constexpr char16_t kNoLeaf[] = u"CPUID: execution level not supported";

// A processor whose highest leaves are MaxStandard and MaxExtended; every other leaf answers
// with its own number in EBX, and each execution is counted.
struct FakeProcessor {
  std::uint32_t MaxStandard;
  std::uint32_t MaxExtended;
  std::map<std::uint32_t, int> Executions;

  detail::CpuidSource Source() {
    return [this](std::uint32_t leaf) {
      ++Executions[leaf];
      TCpuidRegisters r;
      r.EAX = leaf == 0 ? MaxStandard : leaf == 0x80000000u ? MaxExtended : 0;
      r.EBX = leaf;
      r.ECX = static_cast<std::uint32_t>(Executions[leaf]);
      return r;
    };
  }
};

TEST(CpuidLeafCheck, WithoutCpuidNothingIsExecuted) {
  FakeProcessor cpu{0x0D, 0x80000008u, {}};
  EXPECT_THROW_MSG(ExecuteCpuidLeaf(0, 1, false, cpu.Source()), EKEZCpuIdError, kNoCpuid);
  EXPECT_TRUE(cpu.Executions.empty());
}

TEST(CpuidLeafCheck, EachRangeEndsAtItsHighestLeaf) {
  FakeProcessor cpu{0x0D, 0x80000008u, {}};
  const auto source = cpu.Source();
  EXPECT_EQ(ExecuteCpuidLeaf(0x0D, 1, true, source).EBX, 0x0Du);
  EXPECT_EQ(ExecuteCpuidLeaf(0x80000008u, 1, true, source).EBX, 0x80000008u);
  EXPECT_EQ(ExecuteCpuidLeaf(0x80000000u, 1, true, source).EAX, 0x80000008u);
  for (const std::uint32_t leaf :
       {0x0Eu, 0x20u, 0x40000000u, 0x7FFFFFFFu, 0x80000009u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(leaf);
    EXPECT_THROW_MSG(ExecuteCpuidLeaf(leaf, 1, true, source), EKEZCpuIdError, kNoLeaf);
    EXPECT_EQ(cpu.Executions.count(leaf), 0u);
  }
}

TEST(CpuidLeafCheck, NoExtendedLeavesWhereLeaf80000000AnswersBelowIt) {
  // Older processors answer an unknown leaf with the data of their highest standard leaf.
  FakeProcessor cpu{0x02, 0x02, {}};
  EXPECT_THROW_MSG(ExecuteCpuidLeaf(0x80000000u, 1, true, cpu.Source()), EKEZCpuIdError, kNoLeaf);
  EXPECT_THROW_MSG(ExecuteCpuidLeaf(0x80000004u, 1, true, cpu.Source()), EKEZCpuIdError, kNoLeaf);
  EXPECT_THROW_MSG(ExecuteCpuidLeaf(3, 1, true, cpu.Source()), EKEZCpuIdError, kNoLeaf);
}

TEST(CpuidLeafCheck, RepeatKeepsTheLastAnswer) {
  FakeProcessor cpu{0x0D, 0x80000008u, {}};
  EXPECT_EQ(ExecuteCpuidLeaf(2, 3, true, cpu.Source()).ECX, 3u);
  EXPECT_EQ(cpu.Executions[2], 3);
  // A repeat count below 1 still executes the leaf once.
  EXPECT_EQ(ExecuteCpuidLeaf(4, 0, true, cpu.Source()).ECX, 1u);
  EXPECT_EQ(ExecuteCpuidLeaf(5, -7, true, cpu.Source()).ECX, 1u);
}

// A millisecond tick that moves Step milliseconds on every read, starting at Start, and a
// counter running at PerMs counts per millisecond of it.
struct FakeClock {
  std::uint64_t Now;
  std::uint64_t Step;
  std::uint64_t PerMs;
  int Reads = 0;

  std::function<std::uint32_t()> Tick() {
    return [this] {
      ++Reads;
      Now += Step;
      return static_cast<std::uint32_t>(Now);
    };
  }
  std::function<std::uint64_t()> Counter() {
    return [this] { return Now * PerMs; };
  }
};

TEST(CpuidClockRate, CountsPerMicrosecond) {
  FakeClock clock{1000, 1, 2'000'000};  // 2 GHz
  EXPECT_FLOAT_EQ(detail::MeasureClockRate(200, clock.Tick(), clock.Counter()), 2000.0f);
  // Timed from the tick edge, so even one millisecond measures a whole one.
  EXPECT_FLOAT_EQ(detail::MeasureClockRate(1, clock.Tick(), clock.Counter()), 2000.0f);
}

TEST(CpuidClockRate, TickWrapNeitherEndsNorStretchesTheWait) {
  // The edge comes just before the 32-bit tick wraps to 0.
  FakeClock clock{0xFFFFFFF0u, 1, 3'000'000};
  EXPECT_FLOAT_EQ(detail::MeasureClockRate(200, clock.Tick(), clock.Counter()), 3000.0f);
  EXPECT_EQ(clock.Reads, 202);
}

TEST(CpuidClockRate, LongDelaysDivideInSixtyFourBits) {
  // 1000 * 5'000'000 does not fit 32 bits; the tick also wraps during the wait.
  FakeClock clock{0xFFFFFFFFu - 3'000'000u, 1'000'000, 2'500'000};
  EXPECT_FLOAT_EQ(detail::MeasureClockRate(5'000'000, clock.Tick(), clock.Counter()), 2500.0f);
  // The longest delay there is: 15 steps of 0xFFFFFFFF / 15 milliseconds.
  FakeClock longest{0, 0xFFFFFFFFu / 15, 1'000'000};
  EXPECT_FLOAT_EQ(detail::MeasureClockRate(0xFFFFFFFFu, longest.Tick(), longest.Counter()),
                  1000.0f);
}

TEST(CpuidClockRate, NothingMeasurableGivesZero) {
  FakeClock clock{0, 1, 1'000'000};
  EXPECT_EQ(detail::MeasureClockRate(0, clock.Tick(), clock.Counter()), 0.0f);
  EXPECT_EQ(clock.Reads, 0);
  EXPECT_EQ(CPU_Speed(0), 0.0f);

  // A counter that runs backwards (another processor's, lagging) measured nothing.
  std::uint64_t counter = 1'000'000;
  const auto backwards = [&counter] { return counter -= 1000; };
  EXPECT_EQ(detail::MeasureClockRate(10, clock.Tick(), backwards), 0.0f);
}

}  // namespace
}  // namespace kez
