/// @file
/// KEZ_stringl: the string library. Character classes and editing, number and value
/// formatting, parsing and tokenizing, regular expressions, scrambling and UU encoding.
///
/// Threads: separate objects may be used from separate threads at once, and the functions on
/// separate data; each header below says where process-wide state lives (kez/kez.hpp lists it
/// all).
#pragma once

#include "kez/kezbase.hpp"

namespace kez {
KEZ_API_BEGIN

/// EKEZStringlError
/// Errors of the string library (a TGrep pattern that fails to compile with StopOnError).
class EKEZStringlError : public EKEZError {
 public:
  using EKEZError::EKEZError;
};

KEZ_API_END
}  // namespace kez

#include "kez/platform/export.hpp"
#include "kez/stringl/chars.hpp"
#include "kez/stringl/format.hpp"
#include "kez/stringl/grep.hpp"
#include "kez/stringl/parse.hpp"
#include "kez/stringl/scramble.hpp"
#include "kez/stringl/tags.hpp"
