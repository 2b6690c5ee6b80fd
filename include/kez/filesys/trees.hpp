/// @file
/// Copying files with progress feedback, copying and deleting directory trees, deleting file
/// sets.
///
/// @code
///   int status = kez::FileCopyFeedBk(u"C:\\data\\big.bin", u"C:\\backup", true,
///       [](std::int64_t done, std::int64_t size) { /* progress */ });
///   kez::String failed = kez::DelDirTree(u"C:\\scratch");   // empty when all went
/// @endcode
///
/// One copy state is shared by the whole process (the abort flag, and during a tree copy the
/// current file and counts), so only one copy runs at a time. AbortAnyFileCopying may be
/// called from a feedback or from another thread.
///
/// The tree operations hold each folder open and use every name they read from it exactly
/// as the disk spells it, relative to that folder: a name holding `\` or "..", or one that
/// differs from another only in letter case, names that entry alone and never leads out of
/// the tree. Names they report are the caller's folder followed by the path below it, or,
/// where a name holds `\`, the verbatim form of the exact path (see kez/platform/path.hpp),
/// so that every reported name can be handed back to the library.
///
/// Threads: the copy state (the abort flag, and during a tree copy the current file and counts)
/// is process-wide, so one copy runs at a time; AbortAnyFileCopying may be called from any
/// thread. DelDirTree and the deletions may run in several threads at once, on separate trees.
#pragma once

#include <cstdint>
#include <functional>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// Feedback of a file copy: the bytes copied so far and the size of the file.
using TFileCopyFeedBack = std::function<void(std::int64_t BytesCopied, std::int64_t SizeOfFile)>;

/// Feedback of a tree copy: as the file feedback, plus the destination name of the file
/// being copied and the number of files started so far.
using TTreeCopyFeedBack =
    std::function<void(std::int64_t BytesCopied, std::int64_t SizeOfCurrentFile,
                       const String& NameOfCurrentFile, std::int32_t NrOfFilesCopiedSoFar)>;

/// Status codes of FileCopyFeedBk.
inline constexpr int fcSuccess = 0;  ///< The copy is complete.
inline constexpr int fcOpenSourceFailed = -1;  ///< The source cannot be opened.
inline constexpr int fcCreateDestFailed = -2;  ///< The destination cannot be created.
inline constexpr int fcWriteFailed = -3;  ///< Writing the destination failed.
inline constexpr int fcReadFailed = -4;  ///< Reading the source failed.

/// FileCopyFeedBk
/// Copies Source to Dest; when Dest is an existing directory the copy goes into it under
/// the source's name (the exact name of a verbatim Source, `\` included). The file is copied in chunks of 8192 bytes, and FeedBack (may be
/// empty) is called with (0, size) before the copy, with the bytes copied before each chunk
/// (so a last, short or empty, chunk is announced too), and with (bytes copied, size) at
/// the end: 10000 bytes give (0,10000) (0,10000) (8192,10000) (10000,10000), an empty file
/// (0,0) three times. On success the copy gets the source's modification time, and with
/// CopyAttributes its permissions, always writable by the owner.
/// Results: 0 success (also after AbortAnyFileCopying, which leaves a shortened copy that
/// keeps its own time), -1 the source is not a regular file or cannot be read, -2 the
/// destination cannot be created, is a read-only file (refused as DeleteFile refuses it,
/// for root too), is the source itself under another name (which is then left untouched)
/// or is a FIFO without a reader (never waited for), -3 a write failed (short writes
/// included), -4 a read failed.
/// A source that does not exist raises EInOutError. The destination is created only once
/// the source is open, and an existing destination file is replaced whole (the copy is
/// written beside it and renamed over it, see TFileSaver), so a failed copy leaves an
/// existing destination byte-identical with nothing beside it. Without a
/// feedback the kernel copies the data (copy_file_range) where it can.
int FileCopyFeedBk(StringView Source, StringView Dest, bool CopyAttributes,
                   const TFileCopyFeedBack& FeedBack);

/// AbortAnyFileCopying
/// Asks the running copy to stop after its current chunk; a tree copy then visits no
/// further entries. FileCopyFeedBk clears the request when it starts, so a request made
/// while nothing is copied has no effect.
void AbortAnyFileCopying();

/// CopyFileTree
/// Copies every file and directory below Source into Dest (created with its parents).
/// Symbolic links are recreated, not followed; devices, pipes and sockets are skipped, and so
/// is Dest itself when it lies inside Source. FeedBack (may be empty) is called from each
/// file's feedback and once more after each file, with the destination's name of the file.
/// FeedBack may start another copy, which takes over the process-wide copy state: the
/// running copy then goes on without feedback.
/// A Source and Dest that are one folder (the same name, a name the letter-case fallback
/// leads to it, or a link to it) do nothing; folders whose names differ only in letter case
/// are two folders on Linux and are copied. Entries are copied under their
/// exact names, so twins that differ only in letter case stay apart. No link in the
/// destination is ever followed: a new file is created exclusively, and an entry already
/// there is checked without following it: a regular file is replaced whole (the copy is
/// written beside it and renamed over it, so a failed copy leaves it as it was), while a
/// link, FIFO or device in its place (or a read-only file) is never written and makes that
/// file fail. Files that fail to copy are skipped silently; a new file whose reading or
/// writing fails (a full disk) is removed again, not left cut short. The work grows linearly
/// with the tree, whatever its depth.
void CopyFileTree(StringView Source, StringView Dest, bool CopyAttributes,
                  const TTreeCopyFeedBack& FeedBack);

/// DelDirTree
/// Deletes Dir with everything below it and returns the first path whose deletion failed
/// (a directory with its trailing separator: `\`, or `/` in the verbatim form), or empty. Deletion stops at that failure. A
/// symbolic link is deleted itself, never what it points to, Dir included (with or without
/// a trailing separator). Read-only files are not deleted (they fail). An empty argument
/// does nothing.
String DelDirTree(StringView Dir);

/// DeleteFiles
/// Deletes the files matching Mask (relative masks are taken in the current directory),
/// skipping directories and names that start with "." and read-only files; returns how
/// many were deleted. A last component without wildcards that a file has with its exact
/// spelling names that file alone.
std::int32_t DeleteFiles(StringView Mask);

/// MoveToRecycleBin
/// Moves the files matching Mask (chosen as DeleteFiles chooses them) to the desktop's
/// trash, from where the desktop can restore them, and returns how many were moved. A name
/// too long to have its record beside it in the trash is shortened first (see
/// MoveFileToTrash), so every trashed file has one. A file that cannot be trashed (no trash folder
/// can be made on its volume) stays where it is and is not counted; it is never deleted instead.
std::int32_t MoveToRecycleBin(StringView Mask);

KEZ_API_END
}  // namespace kez
