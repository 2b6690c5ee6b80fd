// Counting and searching in texts.
#include <algorithm>
#include <limits>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "stringl/chars_internal.hpp"

namespace kez {

namespace detail {

namespace {

// Patterns up to this length are searched with find: at most this many comparisons per
// text position, and no table to build.
constexpr std::size_t kShortPattern = 8;

}  // namespace

SubstringFinder::SubstringFinder(StringView Pattern) : FPattern(Pattern) {
  if (Pattern.size() <= kShortPattern) return;
  FBorder.assign(Pattern.size(), 0);
  std::uint32_t k = 0;
  for (std::size_t i = 1; i < Pattern.size(); ++i) {
    while (k > 0 && Pattern[i] != Pattern[k]) k = FBorder[k - 1];
    if (Pattern[i] == Pattern[k]) ++k;
    FBorder[i] = k;
  }
}

std::size_t SubstringFinder::Find(StringView Text, std::size_t From) const {
  const std::size_t m = FPattern.size();
  if (From > Text.size() || m > Text.size() - From) return StringView::npos;
  if (FBorder.empty()) return Text.find(FPattern, From);
  std::size_t i = From;
  std::size_t j = 0;  // characters of the pattern matched in front of i
  while (Text.size() - i >= m - j) {
    if (j == 0) {
      i = Text.find(FPattern[0], i);
      if (i == StringView::npos || Text.size() - i < m) return StringView::npos;
    }
    if (Text[i] == FPattern[j]) {
      ++i;
      if (++j == m) return i - m;
    } else if (j > 0) {
      j = FBorder[j - 1];
    } else {
      ++i;
    }
  }
  return StringView::npos;
}

std::int32_t ToPosition(std::size_t Index) {
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  return Index >= kMax ? std::numeric_limits<std::int32_t>::max()
                       : static_cast<std::int32_t>(Index + 1);
}

}  // namespace detail

using detail::CountUp;

std::int32_t CountCharInString(char16_t Ch, StringView Text, bool CaseSensitive) {
  const char16_t wanted = CaseSensitive ? Ch : detail::FoldASCII(Ch);
  std::int32_t n = 0;
  for (char16_t c : Text) {
    if ((CaseSensitive ? c : detail::FoldASCII(c)) == wanted) CountUp(n);
  }
  return n;
}

std::int32_t CountStringInString(StringView SubStr, StringView Text, bool CaseSensitive) {
  if (SubStr.empty()) return 0;
  // Case is ignored by searching the folded copies; folding keeps every position.
  const String foldedText = CaseSensitive ? String() : LowerCase(Text);
  const String foldedSub = CaseSensitive ? String() : LowerCase(SubStr);
  const StringView text = CaseSensitive ? Text : StringView(foldedText);
  const detail::SubstringFinder finder(CaseSensitive ? SubStr : StringView(foldedSub));
  std::int32_t n = 0;
  for (std::size_t at = finder.Find(text, 0); at != StringView::npos;
       at = finder.Find(text, at + SubStr.size())) {
    CountUp(n);
  }
  return n;
}

std::int32_t PosLast(StringView SubStr, StringView Text) {
  if (SubStr.empty()) return 0;
  const detail::SubstringFinder finder(SubStr);
  std::size_t last = StringView::npos;
  for (std::size_t at = finder.Find(Text, 0); at != StringView::npos;
       at = finder.Find(Text, at + SubStr.size())) {
    last = at;
  }
  return last == StringView::npos ? 0 : detail::ToPosition(last);
}

}  // namespace kez
