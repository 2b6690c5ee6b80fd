/// @file
/// Saving a whole file so that the previous one survives any failure: the new contents go to
/// a temporary file beside the target, which replaces the target only once every byte is
/// written and flushed.
///
/// @code
///   kez::TFileSaver save(u"C:\\data\\table.txt");
///   if (save.Write(bytes.data(), bytes.size()) && save.Commit()) { /* saved */ }
///   else { /* save.Error() is the errno; the old file is as it was */ }
/// @endcode
///
/// Writers built on TextFile let the text layer write the temporary file through its name:
///
/// @code
///   kez::TFileSaver save(FileName);
///   kez::TextFile f(save.TextFileName());
///   f.Rewrite(); ... f.Close();
///   save.Commit();
/// @endcode
///
/// Threads: a TFileSaver belongs to one thread at a time; separate savers (also of the same
/// target: the last Commit wins, whole) may run concurrently.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <string>

#include "kez/platform/export.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TFileSaver
/// One save of a whole file. The constructor resolves the target as the file-name layer does
/// (drive table, `\` separators, letter case of an existing file), follows symbolic links to
/// the file they name (a dangling link creates the file it names), and opens a temporary file
/// in that file's folder, named "." + the start of the target's name + a random tail, at most
/// 255 bytes however long the target's name is. The temporary file takes the target's mode,
/// and its owner and group where the process may change them; a new target gets 0666 less
/// the umask.
///
/// Share modes: a target that another open holds with a share mode that denies writing
/// (fmShareExclusive, fmShareDenyWrite, in this or another kez process) is not replaced: the
/// save fails with EACCES before anything is written.
///
/// A target that exists and is not a regular file (a FIFO, a character device) is opened and
/// written directly, never replaced, and Commit only closes it; this holds too when a link
/// reaches it that names no path (`/dev/stdout` on a pipe). A folder fails with EISDIR.
///
/// Commit flushes the temporary file (fsync), closes it, renames it over the target and
/// flushes the folder. Replacing gives the target a new inode: other hard links to the old
/// file keep the old contents. Any failure, and destruction without a successful Commit,
/// removes the temporary file, so the previous file stays byte-identical and nothing is left
/// beside it. Interrupted calls (EINTR) are retried and short writes continued.
///
/// Failures are recorded, never raised: Error() gives the errno of the first one (EINVAL
/// for a name holding a NUL, ENOENT for an unmapped drive), after which Write and Commit do
/// nothing and return false. Callers report it in their own error mode.
class TFileSaver {
 public:
  /// Prepares the save of FileName: opens the temporary file beside the target (or the target
  /// itself where it is not a regular file). A failure is recorded in Error().
  explicit TFileSaver(StringView FileName);
  ~TFileSaver();
  TFileSaver(const TFileSaver&) = delete;
  TFileSaver& operator=(const TFileSaver&) = delete;

  /// Handle
  /// The descriptor to write the new contents to (opened write-only), or -1 after a failure.
  /// It stays owned by the saver: do not close it.
  int Handle() const { return FFd; }

  /// TextFileName
  /// A library file name that opens the file behind Handle() again (through /proc/self/fd),
  /// for writers that write through TextFile; empty after a failure. Opening it with
  /// truncation is harmless: the temporary file is empty until written.
  String TextFileName() const;

  /// Write
  /// Writes Count bytes at the end of what was written, retrying EINTR and short writes;
  /// false (and Error() set) when the file refuses them. A Count of 0 succeeds.
  bool Write(const void* Data, std::size_t Count);

  /// Commit
  /// Completes the save (see the class); true when the new file is in place and flushed.
  /// A second Commit after success does nothing and returns true.
  bool Commit();

  /// Abandon
  /// Removes the temporary file now (a direct target is closed); the previous file stays.
  void Abandon();

  /// Error
  /// The errno of the first failure, 0 when none.
  int Error() const { return FError; }

  /// Fail
  /// Records a failure the caller met while writing (for instance through TextFile), so that
  /// Commit refuses and the temporary file is removed. The first failure is kept.
  void Fail(int Errno);

  /// Direct
  /// True when the target is not a regular file and is written in place.
  bool Direct() const { return FDirect; }

  /// NativeTarget
  /// The operating system's path of the file the save replaces (links followed).
  const std::string& NativeTarget() const { return FTarget; }

 private:
  bool SetError(int Errno);
  void OpenTemporary(const std::string& Folder, const std::string& Leaf, const struct stat* Old);

  std::string FTarget;
  std::string FLeaf;
  std::string FTempLeaf;
  int FDirFd = -1;
  int FFd = -1;
  int FError = 0;
  bool FDirect = false;
  bool FCommitted = false;
};

/// SaveTextFile
/// Saves a whole text file through a TFileSaver: Write receives a TextFile in raising mode,
/// rewritten in Encoding on the temporary file, and the file replaces FileName only once
/// Write returns and every byte is flushed. Any failure (the temporary file cannot be made,
/// a write, the flush, the rename) raises EInOutError with the code of its errno, or lets the
/// exception Write raised go on, and leaves the previous file byte-identical with nothing
/// beside it. A target that is not a regular file is written directly (see TFileSaver).
void SaveTextFile(StringView FileName, TTextEncoding Encoding,
                  const std::function<void(TextFile&)>& Write);

KEZ_API_END
}  // namespace kez
