/// @file
/// Combinatorics and nearest-value search: stepping through all k-subsets or all
/// permutations of a small set held in a 256-byte state, and finding the array element
/// nearest to a value. Included through kez/dstruct.hpp.
///
/// @code
///   kez::TCombState comb{};
///   comb[0] = 2;                         // k = 2 ...
///   comb[1] = 1, comb[2] = 2;            // ... starting from {1, 2}
///   do Use(comb[1], comb[2]);            // 12 13 14 23 24 34
///   while (kez::NextCombination(comb, 4));
/// @endcode
///
/// @code
///   kez::IndexOfNearestArrayValue(2.5, {1.0, 2.0, 3.0});   // 1: ties go to the lower index
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "kez/platform/export.hpp"

namespace kez {
KEZ_API_BEGIN

/// TCombState
/// The state of NextCombination and NextPermutation: byte 0 holds the size (k or n, at most
/// 255), bytes 1 .. size the current combination or permutation of the values 1, 2, ...
using TCombState = std::array<std::uint8_t, 256>;

/// NextCombination
/// Advances Comb, a k-subset of {1 .. N} (k = Comb[0]) in ascending order in Comb[1 .. k], to
/// the next subset in lexicographic order and returns true. Returns false, leaving Comb
/// unchanged, after the last subset (N-k+1, ..., N). Start from 1, 2, ..., k: the calls then
/// visit all C(N, k) subsets. A state outside the contract (k of 0, k above N, N above 255)
/// returns false and changes nothing; subsets that are not ascending are advanced without
/// ever writing a value above N or outside the state.
bool NextCombination(TCombState& Comb, std::int32_t N);

/// NextPermutation
/// Advances Perm, a permutation of {1 .. n} (n = Perm[0]) in Perm[1 .. n], to the next one and
/// returns true; false once the enumeration is complete (the state is then n, n-1, ..., 1).
/// Starting from the identity, the calls visit all n! permutations once; for n = 3 the order
/// is 123, 213, 231, 132, 312, 321. Level a = n, n-1, ..., 2 moves the value n-a+1 one place
/// to the right within the first a places; when it has reached place a, the next level
/// advances and the value returns to the front. n of 0 returns false. A state that is not a
/// permutation is stepped without ever reading or writing outside places 1 .. n; when a
/// level's value is missing from its places, the call returns false and changes nothing.
bool NextPermutation(TCombState& Perm);

/// IndexOfNearestArrayValue(x, Arr)
/// The 0-based index of the element nearest to x (smallest |Arr[i] - x|). Ties go to the
/// lowest index; an empty array gives -1, and so do elements whose distance is not a number,
/// infinite or above 1.7e308, which are never taken.
std::int32_t IndexOfNearestArrayValue(double x, std::span<const double> Arr);

/// IndexOfNearestArrayValue(x, Arr) for integers
/// The same for 32-bit integers. The difference is taken in 64 bits, so values at opposite
/// ends of the int32 range still compare by their true distance.
std::int32_t IndexOfNearestArrayValue(std::int32_t x, std::span<const std::int32_t> Arr);

/// IndexOfNearestArrayValue(x, {values ...})
/// The search over a braced list. Any mix of number types works:
/// IndexOfNearestArrayValue(2.5, {1, 2, 3}) is 1 (the tie between 2 and 3 goes to the lower
/// index). An integer x among integers that fit 32 bits uses the integer search, everything
/// else the double search.
template <class X, class E>
requires std::is_arithmetic_v<X> && std::is_arithmetic_v<E> std::int32_t IndexOfNearestArrayValue(
    X x, std::initializer_list<E> Arr) {
  if constexpr (std::is_same_v<E, double>) {
    return IndexOfNearestArrayValue(static_cast<double>(x),
                                    std::span<const double>(Arr.begin(), Arr.size()));
  } else if constexpr (std::is_same_v<E, std::int32_t> && std::is_integral_v<X>) {
    if (std::in_range<std::int32_t>(x)) {
      return IndexOfNearestArrayValue(static_cast<std::int32_t>(x),
                                      std::span<const std::int32_t>(Arr.begin(), Arr.size()));
    }
  }
  const std::vector<double> values(Arr.begin(), Arr.end());
  return IndexOfNearestArrayValue(static_cast<double>(x), std::span<const double>(values));
}

KEZ_API_END
}  // namespace kez
