// Counting and searching in texts.
#include "kez/stringl.hpp"
#include "stringl/chars_internal.hpp"

namespace kez {

namespace detail {

std::size_t FindText(StringView Text, StringView Sub, std::size_t From, bool FoldCase) {
  if (!FoldCase) return Text.find(Sub, From);
  if (Sub.size() > Text.size()) return StringView::npos;
  const char16_t first = FoldASCII(Sub[0]);
  for (std::size_t i = From; i + Sub.size() <= Text.size(); ++i) {
    if (FoldASCII(Text[i]) != first) continue;
    std::size_t k = 1;
    while (k < Sub.size() && FoldASCII(Text[i + k]) == FoldASCII(Sub[k])) ++k;
    if (k == Sub.size()) return i;
  }
  return StringView::npos;
}

}  // namespace detail

std::int32_t CountCharInString(char16_t Ch, StringView Text, bool CaseSensitive) {
  std::int32_t n = 0;
  if (CaseSensitive) {
    for (char16_t c : Text) n += c == Ch;
  } else {
    const char16_t folded = detail::FoldASCII(Ch);
    for (char16_t c : Text) n += detail::FoldASCII(c) == folded;
  }
  return n;
}

std::int32_t CountStringInString(StringView SubStr, StringView Text, bool CaseSensitive) {
  if (SubStr.empty()) return 0;
  std::int32_t n = 0;
  for (std::size_t at = detail::FindText(Text, SubStr, 0, !CaseSensitive); at != StringView::npos;
       at = detail::FindText(Text, SubStr, at + SubStr.size(), !CaseSensitive)) {
    ++n;
  }
  return n;
}

std::int32_t PosLast(StringView SubStr, StringView Text) {
  if (SubStr.empty()) return 0;
  std::size_t last = StringView::npos;
  for (std::size_t at = Text.find(SubStr); at != StringView::npos;
       at = Text.find(SubStr, at + SubStr.size())) {
    last = at;
  }
  return last == StringView::npos ? 0 : static_cast<std::int32_t>(last + 1);
}

}  // namespace kez
