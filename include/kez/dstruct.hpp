/// @file
/// KEZ_dstruct: data structures (string table, associative array, feature matrix, bit
/// fields, byte matrices, FIFO, string accumulator, run-length coder, combinatorics) and
/// checksums and encodings (CRC-16, CRC-32, SHA-1, ASCII85).
///
/// Threads: separate objects may be used from separate threads at once, and the functions on
/// separate data; each header below says where process-wide state lives (kez/kez.hpp lists it
/// all).
#pragma once

#include "kez/kezbase.hpp"

namespace kez {
KEZ_API_BEGIN

/// EKEZDStructError
/// Errors of the data-structure components.
class EKEZDStructError : public EKEZError {
 public:
  using EKEZError::EKEZError;
};

KEZ_API_END
}  // namespace kez

#include "kez/dstruct/assocarray.hpp"
#include "kez/dstruct/bitfield.hpp"
#include "kez/dstruct/checksums.hpp"
#include "kez/dstruct/combinatorics.hpp"
#include "kez/dstruct/featurematrix.hpp"
#include "kez/dstruct/queues.hpp"
#include "kez/dstruct/stringarray.hpp"
#include "kez/platform/export.hpp"
