/// @file
/// KEZ_kezcolors: colour models, interpolation, palettes, colour arrays and named colours.
///
/// @code
///   kez::TColor c = kez::HexStrToColor(u"$00FF00");   // green (red sits in the low byte)
///   kez::ObtainColorName(c)                           // u"Lime"
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once, and the functions on
/// separate data; each header below says where process-wide state lives (kez/kez.hpp lists it
/// all).
#pragma once

#include "kez/kezbase.hpp"

namespace kez {
KEZ_API_BEGIN

/// EKEZColArrayError
/// Errors of TColorArray construction and resizing.
class EKEZColArrayError : public EKEZError {
 public:
  using EKEZError::EKEZError;
};

KEZ_API_END
}  // namespace kez

#include "kez/kezcolors/colorarray.hpp"
#include "kez/kezcolors/conversions.hpp"
#include "kez/platform/export.hpp"
