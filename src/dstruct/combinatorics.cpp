// Combinations, permutations and nearest-value search.
#include "kez/dstruct/combinatorics.hpp"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "kez/univconst.hpp"

namespace kez {

namespace {

// Shared loop of both nearest-value searches; Distance gives |Arr[i] - x| as a double.
template <class T, class F>
std::int32_t NearestIndex(std::span<const T> Arr, F Distance) {
  double best = static_cast<double>(uc_MaxDouble);  // a distance must be below it
  std::int32_t result = -1;
  for (std::size_t i = 0; i < Arr.size(); ++i) {
    const double d = Distance(Arr[i]);
    if (d < best) {  // false for NaN: such elements are never taken
      best = d;
      result = static_cast<std::int32_t>(i);
    }
  }
  return result;
}

}  // namespace

bool NextCombination(TCombState& Comb, std::int32_t N) {
  const std::int32_t k = Comb[0];
  if (k == 0 || k > N || N > 255) return false;
  // Find the rightmost position p that is below its largest value N - k + p.
  std::int32_t p = k;
  while (Comb[static_cast<std::size_t>(p)] >= N - k + p) {
    if (p == 1) return false;
    --p;
  }
  ++Comb[static_cast<std::size_t>(p)];
  // Comb[p] <= N - k + p now, so every following value stays at or below N.
  for (std::int32_t j = p + 1; j <= k; ++j) {
    Comb[static_cast<std::size_t>(j)] =
        static_cast<std::uint8_t>(Comb[static_cast<std::size_t>(j - 1)] + 1);
  }
  return true;
}

bool NextPermutation(TCombState& Perm) {
  const std::int32_t n = Perm[0];
  // Going down the levels changes nothing until a level can move its value; the levels
  // passed on the way are then reset outward, deepest first.
  auto find = [&](std::uint8_t v, std::int32_t a) {
    for (std::int32_t q = 1; q <= a; ++q)
      if (Perm[static_cast<std::size_t>(q)] == v) return q;
    return 0;
  };
  std::int32_t a = n;
  for (; a >= 2; --a) {
    const auto v = static_cast<std::uint8_t>(n - a + 1);
    const std::int32_t q = find(v, a);
    if (q == 0) return false;  // not a permutation: v is not within its range
    if (q != a) {
      std::swap(Perm[static_cast<std::size_t>(q)], Perm[static_cast<std::size_t>(q + 1)]);
      break;
    }
  }
  if (a < 2) return false;
  for (std::int32_t level = a + 1; level <= n; ++level) {
    // The level's value sits at its last place; rotate it back to the front.
    const std::uint8_t v = Perm[static_cast<std::size_t>(level)];
    for (std::int32_t j = level; j >= 2; --j) {
      Perm[static_cast<std::size_t>(j)] = Perm[static_cast<std::size_t>(j - 1)];
    }
    Perm[1] = v;
  }
  return true;
}

std::int32_t IndexOfNearestArrayValue(double x, std::span<const double> Arr) {
  return NearestIndex(Arr, [x](double v) { return std::fabs(v - x); });
}

std::int32_t IndexOfNearestArrayValue(std::int32_t x, std::span<const std::int32_t> Arr) {
  return NearestIndex(
      Arr, [x](std::int32_t v) { return static_cast<double>(std::llabs(std::int64_t{v} - x)); });
}

}  // namespace kez
