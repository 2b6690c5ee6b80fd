/// @file
/// RangeArray: a fixed array whose index runs over a given range, for the exported tables
/// that are indexed by an enumeration, by months 1-12 or by rows 1-466.
///
/// @code
///   constexpr kez::RangeArray<int, 1, 3> t{{10, 20, 30}};
///   t[1] == 10; t[3] == 30; for (int v : t) ...
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "kez/platform/export.hpp"

namespace kez {
KEZ_API_BEGIN

/// RangeArray
/// A std::array of T whose index runs from First to Last (First <= Last); it is an aggregate,
/// initialised as {{...}} with the elements in index order.
template <class T, long First, long Last>
struct RangeArray {
  static_assert(Last >= First, "RangeArray needs a non-empty range");
  static constexpr long kFirst = First;  ///< The first index.
  static constexpr long kLast = Last;  ///< The last index.
  /// The number of elements.
  static constexpr std::size_t kCount = static_cast<std::size_t>(Last - First + 1);

  std::array<T, kCount> Items;  ///< The elements, index First first.

  /// operator[]
  /// The element at index i, First <= i <= Last. Outside that range the behaviour is that
  /// of std::array's operator[] (checked in debug builds by the standard library).
  ///@{
  constexpr const T& operator[](long i) const { return Items[static_cast<std::size_t>(i - First)]; }
  constexpr T& operator[](long i) { return Items[static_cast<std::size_t>(i - First)]; }
  ///@}

  /// The number of elements.
  constexpr std::size_t size() const { return kCount; }
  /// begin / end: iteration over the elements in index order.
  ///@{
  constexpr auto begin() const { return Items.begin(); }
  constexpr auto end() const { return Items.end(); }
  constexpr auto begin() { return Items.begin(); }
  constexpr auto end() { return Items.end(); }
  ///@}
  /// The elements as a read-only span.
  constexpr std::span<const T> span() const { return Items; }
};

KEZ_API_END
}  // namespace kez
