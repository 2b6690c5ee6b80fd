#include "kez/filesys/password.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>

#include "kez/platform/random.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

constexpr std::u16string_view kVowels = u"aeiouy";
constexpr std::u16string_view kConsonants = u"bcdfghjklmnpqrstvwxz";
constexpr std::u16string_view kSymbols = u"_!$%#=";

bool In(std::u16string_view Set, char16_t C) { return Set.find(C) != std::u16string_view::npos; }
bool IsDigit(char16_t C) { return C >= u'0' && C <= u'9'; }

// Checks P against the plain layout for a requested Length: the clamped size, two digits
// after the sixth letter (or at the end), letters alternating so that the last one is a
// vowel and the one before a consonant.
void ExpectPlainLayout(const String& P, std::int32_t Length) {
  const std::size_t size = static_cast<std::size_t>(std::clamp(Length, 4, 14));
  ASSERT_EQ(P.size(), size) << Length;
  const std::size_t digitsAt = std::min<std::size_t>(6, size - 2);
  String letters = P;
  letters.erase(digitsAt, 2);
  EXPECT_TRUE(IsDigit(P[digitsAt]) && IsDigit(P[digitsAt + 1])) << test::U8(P);
  for (std::size_t i = 0; i < letters.size(); ++i) {
    // Counted from the end, even places hold vowels and odd ones consonants.
    const bool vowel = (letters.size() - 1 - i) % 2 == 0;
    EXPECT_TRUE(In(vowel ? kVowels : kConsonants, letters[i]))
        << test::U8(P) << " at " << i << " for length " << Length;
  }
}

TEST(InventPassword, Examples) {
  EXPECT_EQ(InventPassword(3).size(), 4u);
  const String p = InventPassword(20);
  ASSERT_EQ(p.size(), 14u);
  EXPECT_TRUE(IsDigit(p[6]) && IsDigit(p[7]));
  EXPECT_TRUE(In(kVowels, InventPassword(7)[0]));
}

TEST(InventPassword, LayoutHoldsForEveryLengthAndTheRangeEnds) {
  for (std::int32_t length = 1; length <= 20; ++length) {
    for (int n = 0; n < 50; ++n) ExpectPlainLayout(InventPassword(length), length);
  }
  ExpectPlainLayout(InventPassword(std::numeric_limits<std::int32_t>::max()), 14);
  // No character is requested below 1, so the options change nothing.
  for (std::int32_t length : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
    ExpectPlainLayout(InventPassword(length), length);
    for (int n = 0; n < 20; ++n) ExpectPlainLayout(InventPassword(length, true, true), length);
  }
}

TEST(InventPassword, DrawsEveryLetterAndNumber) {
  std::set<char16_t> vowels, consonants;
  std::set<String> numbers;
  for (int n = 0; n < 4000; ++n) {
    const String p = InventPassword(5);  // vowel, consonant, vowel, two digits
    vowels.insert(p[0]);
    consonants.insert(p[1]);
    numbers.insert(p.substr(3));
  }
  EXPECT_EQ(vowels.size(), 6u);
  EXPECT_EQ(consonants.size(), 20u);
  EXPECT_EQ(numbers.size(), 100u);
}

TEST(InventPassword, DoesNotDependOnTheSeededGenerator) {
  const std::uint32_t seed = RandSeed;
  RandSeed = 12345;
  const String first = InventPassword(14, true, true);
  EXPECT_EQ(RandSeed, 12345u);  // the shared generator is not used at all
  const String second = InventPassword(14, true, true);
  EXPECT_NE(first, second);
  RandSeed = seed;
}

TEST(InventPassword, OptionsChangeOnlyTheFirstRequestedCharacters) {
  for (int n = 0; n < 500; ++n) {
    const String p = InventPassword(3, true, true);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_TRUE(IsDigit(p[3])) << test::U8(p);  // beyond the requested 3: untouched
  }
  for (std::int32_t length = 1; length <= 20; ++length) {
    ExpectPlainLayout(InventPassword(length, false, false), length);
  }
}

// The share of characters each option changes, over many passwords of 14 characters.
TEST(InventPassword, OptionsChangeCharactersWithTheirProbabilities) {
  int letters = 0, upper = 0, total = 0, symbols = 0, digitsAmongLetters = 0;
  for (int n = 0; n < 2000; ++n) {
    const String cased = InventPassword(14, true, false);
    for (char16_t c : cased) {
      if (IsDigit(c)) continue;
      ++letters;
      if (c >= u'A' && c <= u'Z') {
        ++upper;
        EXPECT_TRUE(In(kVowels, static_cast<char16_t>(c + 32)) ||
                    In(kConsonants, static_cast<char16_t>(c + 32)));
      }
    }
    const String special = InventPassword(14, false, true);
    for (std::size_t i = 0; i < special.size(); ++i) {
      const char16_t c = special[i];
      ++total;
      EXPECT_FALSE(c >= u'A' && c <= u'Z') << test::U8(special);
      if (In(kSymbols, c)) ++symbols;
      if (i != 6 && i != 7 && IsDigit(c)) ++digitsAmongLetters;
    }
  }
  // Expected shares: 1/2 upper case; 1/5 replaced, of which 6/16 symbols and 10/16 digits.
  EXPECT_NEAR(static_cast<double>(upper) / letters, 0.5, 0.02);
  EXPECT_NEAR(static_cast<double>(symbols) / total, 0.2 * 6 / 16, 0.01);
  EXPECT_NEAR(static_cast<double>(digitsAmongLetters) / (total * 12 / 14), 0.2 * 10 / 16, 0.012);
}

}  // namespace
}  // namespace kez
