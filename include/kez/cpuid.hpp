// KEZ_cpuid: CPU identification queries.
#pragma once

#include "kez/kezbase.hpp"

namespace kez {

// EKEZCpuIdError
// Errors of the CPU queries.
class EKEZCpuIdError : public EKEZError {
 public:
  using EKEZError::EKEZError;
};

}  // namespace kez
