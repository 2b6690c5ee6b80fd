#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "kez/dstruct.hpp"

namespace kez {
namespace {

TCombState State(std::initializer_list<std::uint8_t> values) {
  TCombState s{};
  s[0] = static_cast<std::uint8_t>(values.size());
  std::size_t i = 1;
  for (std::uint8_t v : values) s[i++] = v;
  return s;
}

std::string Digits(const TCombState& s) {
  std::string text;
  for (std::size_t i = 1; i <= s[0]; ++i) text += static_cast<char>('0' + s[i]);
  return text;
}

TEST(Combinatorics, Examples) {
  TCombState comb = State({1, 2});
  std::vector<std::string> seen{Digits(comb)};
  while (NextCombination(comb, 4)) seen.push_back(Digits(comb));
  EXPECT_EQ(seen, (std::vector<std::string>{"12", "13", "14", "23", "24", "34"}));
  EXPECT_EQ(Digits(comb), "34");

  TCombState perm = State({1, 2, 3});
  seen = {Digits(perm)};
  while (NextPermutation(perm)) seen.push_back(Digits(perm));
  EXPECT_EQ(seen, (std::vector<std::string>{"123", "213", "231", "132", "312", "321"}));
  EXPECT_EQ(Digits(perm), "321");
}

std::int64_t Binomial(int n, int k) {
  std::int64_t c = 1;
  for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
  return c;
}

TEST(Combinatorics, CombinationsVisitEverySubsetOnce) {
  for (auto [n, k] : {std::pair{1, 1}, std::pair{3, 1}, std::pair{5, 5}, std::pair{7, 3},
                      std::pair{10, 4}, std::pair{255, 1}, std::pair{255, 254}}) {
    SCOPED_TRACE(std::to_string(n) + " choose " + std::to_string(k));
    TCombState comb{};
    comb[0] = static_cast<std::uint8_t>(k);
    for (int i = 1; i <= k; ++i) comb[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::set<std::vector<std::uint8_t>> subsets;
    do {
      std::vector<std::uint8_t> s(comb.begin() + 1, comb.begin() + 1 + k);
      ASSERT_TRUE(std::is_sorted(s.begin(), s.end()));
      ASSERT_GE(s.front(), 1);
      ASSERT_LE(s.back(), n);
      subsets.insert(s);
    } while (NextCombination(comb, n));
    EXPECT_EQ(static_cast<std::int64_t>(subsets.size()), Binomial(n, k));
    EXPECT_EQ(comb[1], n - k + 1);  // left at the last subset
  }
}

TEST(Combinatorics, PermutationsVisitAllOnceAndEndReversed) {
  std::int64_t factorial = 1;
  for (int n = 1; n <= 7; ++n) {
    factorial *= n;
    SCOPED_TRACE(n);
    TCombState perm{};
    perm[0] = static_cast<std::uint8_t>(n);
    for (int i = 1; i <= n; ++i) perm[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::set<std::vector<std::uint8_t>> seen{{perm.begin() + 1, perm.begin() + 1 + n}};
    int advances = 0;
    while (NextPermutation(perm)) {
      ++advances;
      seen.insert({perm.begin() + 1, perm.begin() + 1 + n});
    }
    EXPECT_EQ(advances, factorial - 1);
    EXPECT_EQ(static_cast<std::int64_t>(seen.size()), factorial);
    for (int i = 1; i <= n; ++i) EXPECT_EQ(perm[static_cast<std::size_t>(i)], n + 1 - i);
  }
}

TEST(Combinatorics, BrokenStatesReturnFalseUnchanged) {
  struct Case {
    TCombState comb;
    std::int32_t n;
  };
  TCombState big{};
  big[0] = 255;
  for (int i = 1; i <= 255; ++i) big[static_cast<std::size_t>(i)] = 255;
  for (const Case& c : {Case{State({}), 5}, Case{State({1, 2, 3}), 2}, Case{State({1}), 256},
                        Case{State({1}), -1}, Case{State({1}), 0}, Case{big, 255}}) {
    TCombState comb = c.comb;
    EXPECT_FALSE(NextCombination(comb, c.n));
    EXPECT_EQ(comb, c.comb);
  }
  // A subset that is not ascending still stays within 1 .. N.
  TCombState odd = State({9, 1});
  while (NextCombination(odd, 9)) EXPECT_LE(odd[2], 9);

  for (TCombState perm : {State({}), State({1}), State({4, 5, 6}), big}) {
    const TCombState before = perm;
    EXPECT_FALSE(NextPermutation(perm));
    EXPECT_EQ(perm, before);
  }
}

TEST(IndexOfNearestArrayValue, TiesGoToTheLowestIndex) {
  EXPECT_EQ(IndexOfNearestArrayValue(2.5, {1.0, 2.0, 3.0}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(2.9, {1.0, 2.0, 3.0}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(5.0, {}), -1);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(IndexOfNearestArrayValue(0.0, {nan, inf, 1e300, nan}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(0.0, {nan, inf}), -1);
  EXPECT_EQ(IndexOfNearestArrayValue(nan, {1.0, 2.0}), -1);

  EXPECT_EQ(IndexOfNearestArrayValue(5, {}), -1);
  EXPECT_EQ(IndexOfNearestArrayValue(4, {2, 6, 4, 4}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(4, {2, 6}), 0);
  // Far-apart values: a 32-bit difference would wrap and pick the wrong element.
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(IndexOfNearestArrayValue(hi, {lo, 0}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(lo, {hi, 1}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(lo, {hi}), 0);
}

TEST(IndexOfNearestArrayValue, MixedNumberTypes) {
  // A double among integers is searched as a double: 2.5 lies as near to 2 as to 3.
  EXPECT_EQ(IndexOfNearestArrayValue(2.5, {1, 2, 3}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(2.6, {1, 2, 3}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(2, {1.75, 2.5}), 0);
  // A 64-bit x beyond the int32 range is not cut down to 32 bits.
  EXPECT_EQ(IndexOfNearestArrayValue(std::int64_t{1} << 32, {0, 2147483647}), 1);
}

}  // namespace
}  // namespace kez
