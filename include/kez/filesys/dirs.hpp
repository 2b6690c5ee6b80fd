/// @file
/// Questions about directories, and scans of directory trees: files by mask, counting,
/// renaming to one letter case, finding a file anywhere below a directory.
///
/// @code
///   kez::TStringList list;
///   kez::ScanFilesToStrList(u"C:\\data\\*.txt", true, &list, nullptr);
///   // list holds C:\DATA\report.txt, C:\DATA\SUB\notes.txt, ...
/// @endcode
///
/// Masks are wildcard patterns (see MatchesMask in kez/platform/filesystem.hpp); a mask
/// without wildcards that an entry has with its exact spelling names that entry alone. No
/// scan follows a symbolic link to a directory, so every scan ends and never leaves the
/// tree. Entries of one directory are visited sorted by name ignoring ASCII case. Scans hold
/// each folder open and use the names they read from it exactly, so twins that differ only
/// in letter case, and names holding `\` or "..", are each visited once, as themselves.
/// The work grows linearly with the tree, whatever its depth. The scans have no way to
/// report a failure: a directory they cannot read (no permission) is passed over.
/// A name below a deep tree may be longer than the 4096 bytes Linux takes as one path; such
/// a name is reported whole but cannot be opened by name.
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <functional>

#include "kez/platform/export.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TScanFilesFeedback
/// Called once for each directory a scan visits, with the directory (upper-cased, ending
/// in a separator) and the number of files found so far.
using TScanFilesFeedback = std::function<void(const String& CurrentDir, std::int32_t Count)>;

/// DirExists
/// True when Dir is not empty and names a directory (a symbolic link to one included).
bool DirExists(StringView Dir);

/// DirEmpty
/// True when Dir holds no entries besides "." and ".."; also true when it does not exist
/// or cannot be read.
bool DirEmpty(StringView Dir);

/// ScanFilesToStrList
/// Adds to List every file (every entry that is not a directory) matching Mask, and with
/// Subdirectories those in every directory below, as the upper-cased directory part of the
/// mask followed by the name as it is on disk (`C:\DATA\SUB\report.txt`). Does nothing when
/// List is null; the list is not cleared. Feedback (may be empty) is called on entering
/// each directory. Upper-casing changes ASCII letters only, which the case-insensitive
/// lookup of directory parts undoes. Where it cannot (a folder beside a twin that differs
/// only in letter case) or a name holds `\`, the name is listed in the verbatim form of
/// its exact path instead (`"\\?\/data/sub/a\b.txt"`, see kez/platform/path.hpp), so every
/// name listed leads back to its file.
void ScanFilesToStrList(StringView Mask, bool Subdirectories, TStrings* List,
                        const TScanFilesFeedback& Feedback);

/// CountFiles
/// The number of files ScanFilesToStrList would list (at most 2^31 - 1).
std::int32_t CountFiles(StringView Mask, bool Subdirectories, const TScanFilesFeedback& Feedback);

/// SetAllFilenameCase
/// Renames every entry matching Mask, and those below each plain directory that matches
/// (one without any attribute besides the directory one), to the upper-cased (Upper) or
/// lower-cased name. Only the name changes, never the directory part, and an existing entry
/// is never replaced: a name that is taken, or any other failed rename, raises EInOutError.
/// Names already in the wanted case are left alone. Each entry is renamed inside the
/// folder it was read from, whatever its name holds. A plain directory that cannot be
/// listed (no read permission) raises EInOutError too, once its own name is changed.
void SetAllFilenameCase(StringView Mask, bool Upper);

/// FileDetect
/// Looks for a plain file matching the name part of FileName in its directory, then
/// depth-first in each plain subdirectory (one without hidden, read-only or other
/// attributes). The result is the upper-cased directory where it was found followed by the
/// name as it is on disk (in the verbatim form where that would not lead back to it, as
/// ScanFilesToStrList gives it), or empty when there is none.
String FileDetect(StringView FileName);

KEZ_API_END
}  // namespace kez
