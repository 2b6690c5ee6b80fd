// Helpers shared by the character, editing, formatting and parsing functions of the string
// library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kez/platform/types.hpp"

namespace kez::detail {

// FoldASCII: the ASCII lower case of a character ("A"-"Z" only change).
constexpr char16_t FoldASCII(char16_t Ch) {
  return Ch >= u'A' && Ch <= u'Z' ? static_cast<char16_t>(Ch + (u'a' - u'A')) : Ch;
}

// ScanForText
// The 0-based index of the first occurrence of Pattern in Text at or after From, or
// StringView::npos (an empty pattern is found at From, a From behind the text finds
// nothing). Candidates are the positions whose first and last characters agree with the
// pattern's, compared 16 at a time where the processor has 256-bit vectors; each candidate
// costs at most the pattern's length, so this is meant for short patterns. With FoldText
// the text is searched as if its ASCII capitals were small letters (FoldASCII), without a
// copy; a pattern holding a capital is then found nowhere.
std::size_t ScanForText(StringView Text, std::size_t From, StringView Pattern,
                        bool FoldText = false);

// SubstringFinder
// Finds one pattern in texts in time linear in the text and the pattern, whatever both
// hold: std::basic_string_view::find (and std::search) compare the pattern afresh at each
// candidate position, which takes text x pattern steps on inputs such as a run of "a"
// searched for "aa...ab", and std::boyer_moore_searcher's table takes pattern^2 steps to
// build for such a pattern. Short patterns use ScanForText, whose cost per position is
// bounded by their length; longer ones Knuth-Morris-Pratt, which skips to the next copy of
// the pattern's first character whenever no partial match is pending. The finder keeps a
// view of the pattern, which must outlive it; an empty pattern is found at From. FoldText
// searches the texts as ScanForText does.
class SubstringFinder {
 public:
  explicit SubstringFinder(StringView Pattern, bool FoldText = false);

  // The 0-based index of the first occurrence at or after From, or StringView::npos.
  std::size_t Find(StringView Text, std::size_t From) const;

 private:
  StringView FPattern;
  bool FFoldText;
  // FBorder[i]: the length of the longest proper border of FPattern[0..i].
  std::vector<std::uint32_t> FBorder;
};

// CountUp
// Adds one to a 32-bit count, stopping at INT32_MAX: counts over texts of more than 2^31
// characters saturate instead of wrapping to negative values.
inline void CountUp(std::int32_t& N) {
  if (N < INT32_MAX) ++N;
}

// ToPosition
// A 0-based index as a 1-based 32-bit position; indexes beyond the 32-bit range (texts of
// more than two thousand million characters) give INT32_MAX.
std::int32_t ToPosition(std::size_t Index);

}  // namespace kez::detail
