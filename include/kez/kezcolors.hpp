// KEZ_kezcolors: colour models, interpolation, palettes, colour arrays and named colours.
#pragma once

#include "kez/kezbase.hpp"

namespace kez {

// EKEZColArrayError
// Errors of TColorArray construction and resizing.
class EKEZColArrayError : public EKEZError {
 public:
  using EKEZError::EKEZError;
};

}  // namespace kez
