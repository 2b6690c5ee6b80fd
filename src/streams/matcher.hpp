// A substring search fed one character at a time, for texts that arrive block by block.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kez::detail {

// Matcher
// Finds a non-empty pattern with the Knuth-Morris-Pratt automaton: each character costs
// constant time on average, whatever the pattern and the text hold, so a search stays
// linear where a naive one takes text x pattern time on repetitive inputs.
template <class Char>
class Matcher {
 public:
  explicit Matcher(std::basic_string_view<Char> Pattern)
      : FPattern(Pattern), FBorder(Pattern.size(), 0) {
    // FBorder[i]: the length of the longest proper prefix of Pattern[0..i] that is also its
    // suffix, where a partial match falls back to after a mismatch.
    for (std::size_t i = 1, k = 0; i < FPattern.size(); ++i) {
      while (k > 0 && FPattern[i] != FPattern[k]) k = FBorder[k - 1];
      if (FPattern[i] == FPattern[k]) ++k;
      FBorder[i] = k;
    }
  }

  // Feed
  // Takes the next character of the text; true when it completes an occurrence. Matches
  // may overlap; call Reset after a match to search on behind it.
  bool Feed(Char Ch) {
    while (FMatched > 0 && Ch != FPattern[FMatched]) FMatched = FBorder[FMatched - 1];
    if (Ch == FPattern[FMatched]) ++FMatched;
    if (FMatched < FPattern.size()) return false;
    FMatched = FBorder[FMatched - 1];
    return true;
  }

  // Reset: forget the partial match, as at the start of a text.
  void Reset() { FMatched = 0; }

  std::size_t PatternSize() const { return FPattern.size(); }

 private:
  std::basic_string<Char> FPattern;
  std::vector<std::size_t> FBorder;
  std::size_t FMatched = 0;
};

}  // namespace kez::detail
