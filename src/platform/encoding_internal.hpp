// Text conversions shared inside the platform layer.
#pragma once

#include <cstddef>
#include <string_view>

#include "kez/platform/types.hpp"

namespace kez::detail {

// AssignAnsi
// Out becomes AnsiToString(Bytes), reusing Out's room where it suffices.
void AssignAnsi(String& Out, std::string_view Bytes);

// NarrowToAnsi
// Writes the Windows-1252 bytes of Count characters ('?' for those it lacks) to Out, which
// has room for Count bytes: StringToAnsi without a text of its own.
void NarrowToAnsi(const char16_t* Chars, std::size_t Count, char* Out);

}  // namespace kez::detail
