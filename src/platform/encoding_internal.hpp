// Text conversions shared inside the platform layer.
#pragma once

#include <string_view>

#include "kez/platform/types.hpp"

namespace kez::detail {

// AssignAnsi
// Out becomes AnsiToString(Bytes), reusing Out's room where it suffices.
void AssignAnsi(String& Out, std::string_view Bytes);

}  // namespace kez::detail
