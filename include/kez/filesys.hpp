/// @file
/// KEZ_filesys: paths, directory trees, drives, text-file utilities and the save dialog.
///
/// Threads: separate objects may be used from separate threads at once, and the functions on
/// separate data; each header below says where process-wide state lives (kez/kez.hpp lists it
/// all).
#pragma once

#include "kez/filesys/dirs.hpp"
#include "kez/filesys/drives.hpp"
#include "kez/filesys/password.hpp"
#include "kez/filesys/paths.hpp"
#include "kez/filesys/savedialog.hpp"
#include "kez/filesys/textfiles.hpp"
#include "kez/filesys/trees.hpp"
#include "kez/kezbase.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/filesystem.hpp"

namespace kez {
KEZ_API_BEGIN

/// EKEZFileSysError
/// Errors of TUnivSaveDialog.
class EKEZFileSysError : public EKEZError {
 public:
  using EKEZError::EKEZError;
};

KEZ_API_END
}  // namespace kez
