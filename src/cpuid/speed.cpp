// The clock-rate estimate and the floating-point division test.
#include "kez/cpuid.hpp"
#include "kez/cpuid/detail/execution.hpp"

namespace kez {

namespace detail {

float MeasureClockRate(std::uint32_t DelayMs, const std::function<std::uint32_t()>& Tick,
                       const std::function<std::uint64_t()>& Counter) {
  if (DelayMs == 0) return 0.0f;
  // Start on a tick edge and time DelayMs ticks from that edge. Counting from the tick read
  // before the edge would end one tick early and, with DelayMs 1, measure nothing at all.
  const std::uint32_t before = Tick();
  std::uint32_t edge = Tick();
  while (edge == before) edge = Tick();
  const std::uint64_t c0 = Counter();
  // The unsigned difference survives the wrap of the 32-bit tick; a sum t0 + DelayMs would
  // wrap first and end the wait at once (or keep it spinning for weeks).
  while (static_cast<std::uint32_t>(Tick() - edge) < DelayMs) {
  }
  const std::uint64_t c1 = Counter();
  // A counter that went backwards (the thread moved to a processor whose counter lags) has
  // measured nothing; its wrapped difference would read as an absurd rate.
  if (c1 < c0) return 0.0f;
  const std::uint64_t microseconds = static_cast<std::uint64_t>(DelayMs) * 1000u;
  return static_cast<float>(static_cast<double>(c1 - c0) / static_cast<double>(microseconds));
}

}  // namespace detail

float CPU_Speed(std::uint32_t DelayMs) {
  if (DelayMs == 0) return 0.0f;
  const TPriorityBoost boost;
  return detail::MeasureClockRate(DelayMs, GetTickCount, ReadTimeStampCounter);
}

bool CPU_FDIVBugPresent() {
  // volatile keeps the compiler from folding the expression at compile time, which would
  // test the compiler's arithmetic instead of the floating-point unit's.
  volatile Extended x = 4195835.0L;
  volatile Extended y = 3145727.0L;
  const Extended r = (x / y) * y - x;
  return r != 0.0L;
}

}  // namespace kez
