/// @file
/// How the library's Windows-style file names reach the Linux file system.
///
/// `\` and "/" are both separators. A leading drive "X:" maps through a drive table (by
/// default only C: is mapped, to "/"); hosts may map more with SetDriveRoot. A drive the
/// table does not map names no file. A name is
/// looked up exactly first; when that fails, each component is matched ignoring ASCII case,
/// so upper-cased directory parts find their files as on a case-insensitive file system.
///
/// @code
///   kez::NativeFileName(u"C:\\tmp\\DATA\\x.txt")   // "/tmp/data/x.txt" if that exists
/// @endcode
///
/// Text maps to the bytes of a Linux name losslessly (see NativeToString): a byte that is
/// not UTF-8 is the character U+DC00 + byte, so every name read from disk names its file
/// again.
///
/// The verbatim form `\\?\` followed by a Linux path names exactly that path: no `\` is a
/// separator there, no drive is mapped and letter case is never ignored, so a caller can
/// name any file, one called `"a\b"` or "C:" included (`"\\?\/tmp/a\b"`). A relative path
/// after the prefix is taken in the current folder. Every file operation of the library
/// takes this form, and the tree walks give it back for names that the ordinary form
/// cannot reach.
///
/// Threads: the drive table is process-wide and guarded: a host may map drives from any thread
/// while others resolve names (a name resolved at the same moment sees the table before or
/// after the change). The index of folder entries that case-insensitive look-ups keep is shared
/// by all threads and locked. Every function here may run in several threads at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// NativeToString / StringToNative
/// The lossless mapping between the operating system's byte strings (file names, the
/// current folder, environment variables) and text. Valid UTF-8 is decoded as by
/// Utf8ToString; every byte 0xXY that is not part of a valid UTF-8 sequence becomes the
/// lone surrogate U+DCXY, and StringToNative turns each such surrogate back into its byte,
/// so every byte string survives NativeToString followed by StringToNative.
/// StringToNative writes the other unpaired surrogates as U+FFFD; IsNativeText tells
/// whether a text maps back exactly, which a text holding such a surrogate, an escape
/// below U+DC80, or escapes that together spell valid UTF-8 does not.
///@{
String NativeToString(std::string_view Bytes);
std::string StringToNative(StringView Text);
bool IsNativeText(StringView Text);
///@}

/// The prefix of the verbatim form.
inline constexpr StringView kVerbatimPrefix = u"\\\\?\\";

/// IsVerbatimFileName / VerbatimFileName
/// Whether a name is in the verbatim form; the verbatim name of a Linux path.
///@{
bool IsVerbatimFileName(StringView FileName);
String VerbatimFileName(std::string_view NativePath);
///@}

/// TFileNameFault / FileNameFault
/// Why no file can have a name: a NUL character in it (which the operating system would
/// take as its end), a character that no byte string maps to (an unpaired surrogate other
/// than the escapes U+DC80-U+DCFF, or escapes that together spell valid UTF-8, see
/// IsNativeText), or a drive letter the drive table does not map.
enum TFileNameFault : std::uint8_t { nfNone, nfInvalidCharacter, nfUnmappedDrive };
/// The fault of FileName, nfNone for a name a file can have.
TFileNameFault FileNameFault(StringView FileName);

/// NativeFileName
/// The UTF-8 path to hand to the operating system for a library file name. When no
/// existing path matches ignoring case, the name with only separators and drive mapped is
/// returned. For a name with a fault (above) it returns a path that every system call
/// refuses with ENOTDIR, so that such a name opens, creates and removes nothing.
std::string NativeFileName(StringView FileName);

/// NativeFileNameToCreate
/// The path under which to create or overwrite a file: what NativeFileName gives, so an
/// existing file whose name differs only in letter case is the one overwritten. Folders
/// are indexed for this look-up, so that creating many files reads their folder once
/// rather than once for every new name.
std::string NativeFileNameToCreate(StringView FileName);

/// OpenToCreate
/// open(2), with permissions 0666 before the umask, of a path that NativeFileNameToCreate
/// gave (Flags hold O_CREAT); it keeps that look-up's folder index in step with the file it
/// creates. The descriptor, or -1 with errno set.
int OpenToCreate(const std::string& Path, int Flags);

/// NativeFileNameAsSpelt
/// The folder looked up as by NativeFileName, the last component kept exactly as given:
/// the name to rename a file to, so that a change of letter case reaches the disk.
std::string NativeFileNameAsSpelt(StringView FileName);

/// SetDriveRoot / DriveRoot
/// Map a drive letter (A-Z, either case) to a directory; an empty root removes the mapping.
/// DriveRoot gives the mapping, empty when the letter is not mapped.
///@{
void SetDriveRoot(char16_t Letter, std::string Root);
std::string DriveRoot(char16_t Letter);
///@}

/// LogicalDrivesMask
/// Bit n set when drive letter 'A' + n is mapped.
std::uint32_t LogicalDrivesMask();

KEZ_API_END
}  // namespace kez
