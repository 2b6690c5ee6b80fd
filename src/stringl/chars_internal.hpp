// Helpers shared by the character and editing functions of the string library.
#pragma once

#include <cstddef>

#include "kez/platform/types.hpp"

namespace kez::detail {

// FoldASCII: the ASCII lower case of a character ("A"-"Z" only change).
constexpr char16_t FoldASCII(char16_t Ch) {
  return Ch >= u'A' && Ch <= u'Z' ? static_cast<char16_t>(Ch + (u'a' - u'A')) : Ch;
}

// FindText
// The 0-based index of the first occurrence of Sub in Text at or after From, or npos.
// With FoldCase the characters are compared in ASCII lower case. Sub must not be empty.
std::size_t FindText(StringView Text, StringView Sub, std::size_t From, bool FoldCase);

}  // namespace kez::detail
