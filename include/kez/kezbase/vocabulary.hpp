// Shared vocabulary of the suite: enumerations, records, array and callback types, word
// tables, status globals. Included through kez/kezbase.hpp.
#pragma once

#include <cstdint>

namespace kez {

// TTriState
// A yes/no value that may also be unknown; read and written as words by StrToTriState and
// TriStateToStr.
enum TTriState : std::uint8_t { tsFalse, tsTrue, tsUndefined };

}  // namespace kez
