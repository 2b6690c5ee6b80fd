// The value of one hexadecimal digit in either case, 16 for any other character.
#pragma once

#include <cstdint>

namespace kez::detail {

constexpr std::uint32_t HexDigitValue(char16_t ch) {
  if (ch >= u'0' && ch <= u'9') return ch - u'0';
  if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10u;
  if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10u;
  return 16;
}

}  // namespace kez::detail
