/// @file
/// Directory search, file attributes and times, and the small file operations the library's
/// file-system unit is built on. Names are library file names (see path.hpp): `\` and "/"
/// both separate, a drive letter maps through the drive table, and directory parts are
/// found ignoring ASCII case.
///
/// @code
///   kez::TSearchRec rec;
///   if (kez::FindFirst(u"C:\\tmp\\*.TXT", kez::faAnyFile, rec) == 0) {
///     do { /* rec.Name, rec.Size, rec.Attr */ } while (kez::FindNext(rec) == 0);
///     kez::FindClose(rec);
///   }
/// @endcode
///
/// Attributes on Linux: faReadOnly when the owner has no write permission, faHidden for
/// names starting with ".", faSysFile for devices, pipes and sockets, faDirectory, faArchive
/// for every regular file, faSymLink for a symbolic link (which also carries faDirectory
/// when it points to a directory, so that callers that walk trees can refuse to follow it).
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// File attributes, as FileGetAttr and FindFirst report them on Linux.
inline constexpr std::int32_t faReadOnly = 0x01;  ///< The owner may not write.
inline constexpr std::int32_t faHidden = 0x02;  ///< The name starts with ".".
inline constexpr std::int32_t faSysFile = 0x04;  ///< A device, pipe or socket.
inline constexpr std::int32_t faVolumeID = 0x08;  ///< A volume label (never on Linux).
inline constexpr std::int32_t faDirectory = 0x10;  ///< A directory, or a link to one.
inline constexpr std::int32_t faArchive = 0x20;  ///< A regular file.
inline constexpr std::int32_t faSymLink = 0x400;  ///< A symbolic link.
inline constexpr std::int32_t faAnyFile = 0x43F;  ///< Every attribute: FindFirst lists all entries.

/// Results of FindFirst / FindNext besides 0 (success).
inline constexpr int feFileNotFound = 2;  ///< Nothing matches.
inline constexpr int fePathNotFound = 3;  ///< The directory cannot be read.
inline constexpr int feNoMoreFiles = 18;  ///< The search has no more entries.

KEZ_DETAIL_BEGIN
namespace detail {
struct FindState;
}
KEZ_DETAIL_END

/// TSearchRec
/// One entry found by FindFirst / FindNext. Time is the modification time (seconds since
/// 1970-01-01 UTC, ModTime with nanoseconds). Size is that of the entry itself (of the link
/// for a symbolic link).
struct TSearchRec {
  std::int64_t Time = 0;  ///< Modification time, seconds since 1970-01-01 UTC.
  std::int64_t Size = 0;  ///< Size in bytes of the entry itself.
  std::int32_t Attr = 0;  ///< The entry's attributes (fa... flags).
  String Name;  ///< The entry's name as it is on disk.
  std::int32_t ExcludeAttr = 0;  ///< The attributes the search leaves out.
  std::timespec ModTime{};  ///< Modification time with nanoseconds.
  std::shared_ptr<detail::FindState> FindHandle;  ///< The open search; FindClose releases it.
};

/// MatchesMask
/// True when Name matches the wildcard Mask ignoring ASCII case: "*" stands for any run of
/// characters, "?" for one character, and a mask ending in ".*" also matches names without
/// a dot ("*.*" matches every name). Runs in O(|Name| * |Mask|) at worst.
bool MatchesMask(StringView Name, StringView Mask);

/// FindFirst / FindNext / FindClose
/// List the entries of the directory part of Path whose names match its last component.
/// Entries that are hidden, system files, directories or volume labels are returned only
/// when Attr includes that attribute; read-only, archive and symbolic-link entries always
/// are. The directory is read once when the search starts, and its entries are given sorted
/// by name ignoring ASCII case (then ordinally), so that callers may rename or delete what
/// they have found while the search goes on. A last component without "*" or "?" that an
/// entry has with its exact spelling finds that entry alone (of "R.TXT" and "r.txt",
/// "r.txt" finds only "r.txt"); otherwise it finds every entry equal ignoring case. "." and
/// ".." are listed as directories.
/// Results: 0 for an entry, feFileNotFound when nothing matches, fePathNotFound when the
/// directory cannot be read, feNoMoreFiles at the end. FindClose releases the search; it is
/// also released when the record is destroyed or reused.
///@{
int FindFirst(StringView Path, std::int32_t Attr, TSearchRec& F);
int FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);
///@}

/// FileGetAttr
/// The attributes of a file or directory (of a symbolic link itself, not its target), or -1
/// when it does not exist.
std::int32_t FileGetAttr(StringView FileName);

/// FileSetAttr
/// Only faReadOnly has an effect: set, every write permission is removed; clear, the owner's
/// write permission is given back. A symbolic link is left as it is. Result 0, or the errno
/// of the failure.
int FileSetAttr(StringView FileName, std::int32_t Attr);

/// FileGetModTime / FileSetModTime
/// The modification time of an entry (not following a symbolic link); false when it does
/// not exist or cannot be changed.
///@{
bool FileGetModTime(StringView FileName, std::timespec& Time);
bool FileSetModTime(StringView FileName, const std::timespec& Time);
///@}

/// FileExists / DirectoryExists
/// Whether an entry that is not a directory / a directory (a link to one included) exists.
///@{
bool FileExists(StringView FileName);
bool DirectoryExists(StringView FileName);
///@}

/// DeleteFile / RemoveDir / CreateDir / ForceDirectories
/// Delete a file or symbolic link (never a directory, nor a read-only file: the attribute
/// protects it as it does elsewhere), remove an empty directory, create
/// one directory, create a directory with every missing parent. Results tell success;
/// ForceDirectories is true when the directory exists afterwards.
///@{
bool DeleteFile(StringView FileName);
bool RemoveDir(StringView DirName);
bool CreateDir(StringView DirName);
bool ForceDirectories(StringView DirName);
///@}

/// ExpandFileName
/// A relative name (no drive, no leading separator) put after the current directory;
/// other names are returned as they are.
String ExpandFileName(StringView FileName);

/// Drive-type codes.
inline constexpr std::int32_t DRIVE_UNKNOWN = 0;  ///< The type cannot be told.
inline constexpr std::int32_t DRIVE_NO_ROOT_DIR = 1;  ///< The drive letter has no directory.
inline constexpr std::int32_t DRIVE_REMOVABLE = 2;  ///< Removable medium.
inline constexpr std::int32_t DRIVE_FIXED = 3;  ///< Fixed disk.
inline constexpr std::int32_t DRIVE_REMOTE = 4;  ///< Network file system.
inline constexpr std::int32_t DRIVE_CDROM = 5;  ///< CD-ROM (iso9660, udf).
inline constexpr std::int32_t DRIVE_RAMDISK = 6;  ///< RAM disk (tmpfs, ramfs).

/// GetDriveType
/// The type of the file system that holds a drive's directory, from the mount table:
/// network file systems are remote, tmpfs and ramfs RAM disks, iso9660 and udf CD-ROMs,
/// block devices the kernel marks removable removable, everything else fixed. An unmapped
/// letter or a missing directory gives DRIVE_NO_ROOT_DIR.
std::int32_t GetDriveType(char16_t Letter);

/// DiskFreeBytes
/// The bytes available to the caller on a drive's file system (statvfs), or -1.
std::int64_t DiskFreeBytes(char16_t Letter);

/// MoveFileToTrash
/// Moves a file to the desktop's trash (the freedesktop.org trash, through GIO):
/// files on the home file system go to $XDG_DATA_HOME/Trash, others to the .Trash-$uid
/// folder of their volume, each with a .trashinfo record, so the desktop can restore them.
/// A name too long to have a record beside it (over 200 bytes) is first renamed in its
/// directory to a shorter one keeping its start and extension, and trashed under that name.
/// False when the file cannot be trashed; it is then left where it is, never deleted.
bool MoveFileToTrash(StringView FileName);

/// DesktopContentType / DesktopOpenCommand
/// The desktop's file associations, read through GIO (which follows the XDG precedence of
/// mimeapps.list files and the shared MIME database). DesktopContentType gives the MIME type
/// the desktop assigns to a file name by its name alone, or empty when it knows none.
/// DesktopOpenCommand gives the command line of the default application for a MIME type,
/// or empty when none is set. Neither changes anything.
///@{
String DesktopContentType(StringView FileName);
String DesktopOpenCommand(StringView MimeType);
///@}

/// RaiseIOErrorFromErrno
/// Raises EInOutError for a failed system call on a file, with the runtime's error code
/// for errno (2 not found, 3 path not found, 5 access denied, 101 disk full, 1000 + errno
/// otherwise).
[[noreturn]] void RaiseIOErrorFromErrno(int Errno);

KEZ_API_END
}  // namespace kez
