// Character classes, whole-text tests and the word-separator set.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "stringl/chars_internal.hpp"

namespace kez {
namespace {

// The separators WordSeps holds at load.
constexpr bool IsDefaultWordSep(unsigned c) {
  return c == 0 || c == 10 || c == 13 || c == 32 || c == 34 || c == 35 || c == 37 || c == 39 ||
         (c >= 40 && c <= 47) || (c >= 58 && c <= 62) || (c >= 91 && c <= 93) || c == 123 ||
         c == 125;
}

// std::bitset has no constexpr way to set bits before C++23, but it is a trivially copyable
// array of words, so the set is built as words and bit-cast. The static_asserts below check
// that the words land on the bits they should.
constexpr std::bitset<256> DefaultWordSeps() {
  std::array<std::uint64_t, 4> words{};
  for (unsigned c = 0; c < 256; ++c) {
    if (IsDefaultWordSep(c)) words[c / 64] |= std::uint64_t{1} << (c % 64);
  }
  return std::bit_cast<std::bitset<256>>(words);
}

constexpr bool DefaultWordSepsMatch() {
  constexpr std::bitset<256> set = DefaultWordSeps();
  for (unsigned c = 0; c < 256; ++c) {
    if (set[c] != IsDefaultWordSep(c)) return false;
  }
  return true;
}
static_assert(sizeof(std::bitset<256>) == 32);
static_assert(DefaultWordSepsMatch());

// The membership table of an expanded character list: macros set their ranges, every other
// character below 256 sets itself. Member starts every entry at Initial and flips the
// listed ones.
using CharTable = std::array<bool, 256>;

struct ListMacro {
  StringView Name;
  unsigned First, Last;  // code range it stands for
};
constexpr std::array<ListMacro, 5> kListMacros = {{
    {u"//dig", u'0', u'9'},
    {u"//lc", u'a', u'z'},
    {u"//uc", u'A', u'Z'},
    {u"//31dwn", 0, 31},
    {u"//128up", 128, 255},
}};

// The characters a macro stands for contain no "/", so no expansion can form a new macro and
// macros cannot overlap: one left-to-right pass gives the same table as repeated expansion.
CharTable BuildCharTable(StringView List, bool Initial) {
  CharTable table;
  table.fill(Initial);
  std::size_t i = 0;
  while (i < List.size()) {
    bool matched = false;
    if (List[i] == u'/') {
      for (const ListMacro& m : kListMacros) {
        if (List.substr(i).starts_with(m.Name)) {
          for (unsigned c = m.First; c <= m.Last; ++c) table[c] = !Initial;
          i += m.Name.size();
          matched = true;
          break;
        }
      }
    }
    if (!matched) {
      if (List[i] < 256) table[List[i]] = !Initial;
      ++i;
    }
  }
  return table;
}

// True when some character of Text has its entry set; characters above 255 count as
// OutsideValue.
bool AnySet(StringView Text, const CharTable& Table, bool OutsideValue) {
  for (char16_t c : Text) {
    if (c < 256 ? Table[c] : OutsideValue) return true;
  }
  return false;
}

}  // namespace

constinit std::bitset<256> WordSeps = DefaultWordSeps();

bool StringContains(StringView Text, StringView CharList) {
  if (Text.empty()) return false;
  return AnySet(Text, BuildCharTable(CharList, false), false);
}

bool StringContainsOtherThan(StringView Text, StringView CharList) {
  if (Text.empty()) return false;
  return AnySet(Text, BuildCharTable(CharList, true), true);
}

bool TestAllChar(StringView Text, char16_t Ch) {
  if (Text.empty()) return false;
  for (char16_t c : Text) {
    if (c != Ch) return false;
  }
  return true;
}

bool IsAbbreviation(StringView Text) {
  std::int32_t longestRun = 0, run = 0, lowerOrDigit = 0;
  for (char16_t c : Text) {
    if (c >= u'A' && c <= u'Z') {
      detail::CountUp(run);
      longestRun = std::max(longestRun, run);
    } else {
      run = 0;
      if ((c >= u'a' && c <= u'z') || IsDigit(c)) detail::CountUp(lowerOrDigit);
    }
  }
  return longestRun > 1 && lowerOrDigit < longestRun;
}

bool EqualAnsiStrings(StringView A, StringView B) {
  A = A.substr(0, A.find(u'\0'));
  B = B.substr(0, B.find(u'\0'));
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (A[i] != B[i] && AnsiUpCaseChar(A[i]) != AnsiUpCaseChar(B[i]) &&
        AnsiLoCaseChar(A[i]) != AnsiLoCaseChar(B[i])) {
      return false;
    }
  }
  return true;
}

std::int32_t CountWords(StringView Text) {
  std::int32_t words = 0;
  std::size_t run = 0;
  for (char16_t c : Text) {
    if (IsWordSep(c)) {
      if (run > 1) detail::CountUp(words);
      run = 0;
    } else {
      ++run;
    }
  }
  if (run > 1) detail::CountUp(words);
  return words;
}

}  // namespace kez
