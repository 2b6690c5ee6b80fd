// Case folding shared by the sorting and searching of TStringArray: the letters A-Z only
// become lower case, in place, on cell bytes and on UTF-16 text alike.
#pragma once

#include "kez/platform/sysutils.hpp"
#include "kez/platform/types.hpp"

namespace kez::detail {

inline void FoldAZ(ShortString& Text) {
  for (char& ch : Text) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
}

inline void FoldAZ(String& Text) {
  for (char16_t& ch : Text) ch = LoCaseASCII(ch);
}

}  // namespace kez::detail
