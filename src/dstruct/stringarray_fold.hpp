// Character tables and case folding shared by the sorting and searching of TStringArray:
// the letters A-Z only become lower case, on cell bytes and on UTF-16 text alike.
#pragma once

#include <array>

#include "kez/platform/sysutils.hpp"
#include "kez/platform/types.hpp"

namespace kez::detail {

inline void FoldAZ(ShortString& Text) {
  for (char& ch : Text) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
}

inline char16_t FoldAZ(char16_t Ch) {
  return Ch >= u'A' && Ch <= u'Z' ? static_cast<char16_t>(Ch - u'A' + u'a') : Ch;
}

inline void FoldAZ(String& Text) {
  for (char16_t& ch : Text) ch = FoldAZ(ch);
}

// The sort key of one byte of cell text: its UTF-16 character with A-Z lower-cased.
inline const std::array<char16_t, 256>& KeyChars() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = LoCaseASCII(AnsiCharToChar(static_cast<unsigned char>(b)));
    return t;
  }();
  return table;
}

// The UTF-16 character of each byte of cell text.
inline const std::array<char16_t, 256>& AnsiChars() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = AnsiCharToChar(static_cast<unsigned char>(b));
    return t;
  }();
  return table;
}

}  // namespace kez::detail
