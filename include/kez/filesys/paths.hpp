/// @file
/// Taking file names and paths apart and putting them together, the standard folders, the
/// environment, and the program the desktop opens a kind of file with.
///
/// @code
///   kez::StripExtension(u"C:\\dir\\a.b.c")            // u"C:\\dir\\a.b"
///   kez::ParentDir(u"/home/ann/notes/")               // u"/home/ann/"
///   kez::InsertBeforeFileExt(u"_1", u"data.tar.gz")   // u"data_1.tar.gz"
///   kez::GetProgAssoc(u"txt")                         // u"/usr/bin/gedit %U" or the like
/// @endcode
///
/// The name part of a path is what follows its last `\`, "/" or ":"; the path part is
/// everything up to and including that character. So Windows-style names (`C:\data\x.txt`,
/// C:x.txt) and Linux paths (/home/ann/x.txt) both split as expected. Apart from
/// DOSToWinPath, GetTempDir, GetEnviroVar and GetProgAssoc these are pure text functions.
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// StripExtension
/// The file name without the extension of its name part (the last "." and what follows);
/// a dot in a directory name is never touched, and a name without a dot is returned as it
/// is. The whole extension goes, however long.
String StripExtension(StringView FileName);

/// StripPath
/// The name part alone (empty for a name ending in a separator).
String StripPath(StringView FileName);

/// ParentDir
/// The parent directory with its trailing separator (`\` or "/"): `c:\a\b\` and `c:\a\b` both
/// give `c:\a\`, /home/ann gives /. A root (`c:\`, /) and a bare name give the empty text.
String ParentDir(StringView Path);

/// IsRootDir
/// True for the root of a drive (`c:\` or c:/, any case, surrounding blanks ignored) and for
/// the Linux root "/"; c:, `c:\x` and the empty text are not roots.
bool IsRootDir(StringView Path);

/// AbridgeFilePath
/// Shortens Path below MaxLength characters by replacing its directories, from the left,
/// with "..": `c:\abc\def\file.txt` with 16 gives `c:\..\..\file.txt`. The first separator
/// (so the drive or the Linux root) and the last component are always kept, so the result
/// may stay at MaxLength or above (any MaxLength, also 0 or negative, just shortens as far
/// as this goes). A path without `\` or "/" is returned unchanged. `\` is the separator
/// when the path has one, "/" otherwise.
String AbridgeFilePath(StringView Path, std::int32_t MaxLength);

/// DOSToWinPath
/// The full path (a relative one is taken in the current directory, "." components are
/// dropped and each ".." removes the component before it, never the drive or the root) with
/// each component spelt as it is on disk: on Linux the long form of a name is its spelling, so the letter
/// case of every component found is corrected (an exact match wins over one that differs in
/// case; among several twins that differ only in case, the one every other function reaches
/// through that name, so the result names the same file as Path). Components are separated as in the input. When a component is not found (or holds
/// a wildcard), the result is the part converted so far followed by the rest unchanged.
String DOSToWinPath(StringView Path);

/// IsDOS83Path
/// True when Path keeps to short-name rules: only letters, digits and
/// `` ! # $ % & ' ( ) - . : \ ^ _ ` { } ~ @ `` are used (no blank, no "/", nothing outside
/// ASCII 32..126), and cutting it from the left into pieces that end at the next `\` if
/// there is one, else at the next ".", else at the end, no piece (with its closing `\` or
/// ".") is longer than 9 characters. The empty path is true.
bool IsDOS83Path(StringView Path);

/// ExtractDrive
/// The drive number of a path starting with a letter and ":" (0 for A up to 25 for Z, any
/// case); 0 when the character before the ":" is not a letter; -1 for a path without a
/// drive (`\\server\share`, /home).
std::int32_t ExtractDrive(StringView Path);

/// InsertBeforeFileExt
/// Inserts Text before the first "." of the name part (`c:\d\data.tar.gz` with _1 gives
/// `c:\d\data_1.tar.gz`), or appends it when the name has no dot.
String InsertBeforeFileExt(StringView Text, StringView FileName);

/// EnsureDefaultFileExt
/// FileName with DefaultExt appended (a "." put between unless DefaultExt starts with one)
/// when its name part has no "." at all; unchanged when it has one (also a trailing "." or
/// a leading one, as in .profile) or when DefaultExt is empty.
String EnsureDefaultFileExt(StringView FileName, StringView DefaultExt);

/// GetSystemDir / GetWindowsDir
/// The folders that play these roles on Linux, without a trailing separator: "/usr/lib"
/// (the system's shared libraries) and "/usr" (the system's own installation).
///@{
String GetSystemDir();
String GetWindowsDir();
///@}

/// GetTempDir
/// The folder for temporary files with a trailing "/": TMPDIR when it is set and not
/// empty (its bytes mapped as file names are), otherwise /tmp/. Names on Linux are already in their long form.
String GetTempDir();

/// GetEnviroVar
/// The value of an environment variable, or empty when it is not set. Every entry whose
/// name equals Name ignoring ASCII case matches, and the last such entry in the environment
/// wins, so "DUP" and "dup" give the same value even where Linux holds both. A name that is
/// only a prefix of a variable's name (PAT for PATH) matches nothing. An empty name or
/// one holding "=" gives the empty text. Names and values map to the environment's bytes
/// losslessly, as file names do (NativeToString): UTF-8 is read as such, and each byte that
/// is not UTF-8 comes back as U+DC80-U+DCFF, which StringToNative turns back into it.
String GetEnviroVar(StringView Name);

/// GetProgAssoc
/// What the desktop opens files with extension Ext (without the dot) with, as GIO answers
/// it (mimeapps.list precedence and the shared MIME database included), read-only:
/// - the command line of the default application of the extension's MIME type;
/// - the MIME type itself (the file-type name) when no application is set for it;
/// - the empty text when no MIME type is known for the extension (or Ext is empty or
///   holds "/").
String GetProgAssoc(StringView Ext);

KEZ_API_END
}  // namespace kez
