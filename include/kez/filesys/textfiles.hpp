/// @file
/// Text files as a whole: the encoding from the first bytes, repairing line ends, appending
/// lines, the last lines, counting lines, searching, the next word, the header of ASC data
/// files, and a file's size.
///
/// @code
///   std::int32_t count = 0;
///   std::vector<kez::String> tail = kez::ReadLastNLinesOfTextFile(u"app.log", 20, count);
///   kez::AppendToTextFile(u"app.log", u"started");
/// @endcode
///
/// Files go through the text-file layer (kez/platform/textfile.hpp): Windows-1252 text,
/// lines read up to LF or CR LF, written with CR LF. Its EInOutError reports files that
/// cannot be opened or read. Functions taking an open TextFile leave it open.
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <vector>

#include "kez/kezbase/vocabulary.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TTextfileType
/// The kind of a text file, as CheckTextFileType tells it from its first bytes: UTF-16 little- or
/// big-endian, UTF-32 little- or big-endian, RTF, UTF-8 with its byte-order mark, or unknown.
enum TTextfileType : std::uint8_t {
  tftUnicode_le,
  tftUnicode_be,
  tftUnicode4_le,
  tftUnicode4_be,
  tftRTF,
  tftUTF8,
  tftUnknown
};

/// CheckTextFileType
/// The kind of text from the first four bytes (missing bytes of a shorter file count as
/// 0): EF BB BF UTF-8, FF FE 00 00 and 00 00 FE FF UTF-32, FF FE and FE FF UTF-16 (so a
/// file of just FF FE is UTF-32 little-endian), the three characters "{", `\` and "r" (the
/// start of `"{\rtf"`) RTF, anything else tftUnknown. The file is only read. A file that
/// cannot be opened (or a directory) raises EInOutError.
TTextfileType CheckTextFileType(StringView FileName);

/// EnsureCRLFInFile
/// Copies InFile to OutFile (created or overwritten) so that every carriage return is
/// followed by a line feed: a, CR, b becomes a, CR, LF, b; CR CR becomes CR LF CR LF; a
/// final CR gets its LF; a line feed without a carriage return stays as it is, so does
/// every other byte. The bytes are copied as they are, whatever their encoding.
///
/// The result goes where OutFile leads: a symbolic link is followed to the file it names
/// and that file is replaced, never the link. The converted text is written to a new file
/// beside that file, which then takes its place with its mode, owner and group (where the
/// process may set them), so InFile and OutFile may name the same file (by the same name,
/// a link or a hard link) and a failure leaves the previous output as it was. Replacing
/// gives the output a new inode: other hard links to the old output keep the old text.
/// Where no file can be made beside the output (a folder the process may not write), the
/// text is converted into a temporary file elsewhere and copied back over the output's own
/// contents: the output keeps its inode (so every hard link sees the new text), but a
/// failure while copying back can leave it cut short. Opening, reading and writing failures
/// raise EInOutError.
void EnsureCRLFInFile(StringView InFile, StringView OutFile);

/// AppendToTextFile
/// Appends a line (or every string of a list, in order), each ended by CR LF, to the end
/// of the file; creates the file when it does not exist. An existing file is never
/// truncated: a file that exists but cannot be opened for appending raises EInOutError.
/// The lines are written in the file's encoding: UTF-8 when it starts with the UTF-8
/// byte-order mark, else Windows-1252. A file that does not exist yet, or is empty, is
/// started in UTF-8 (with the mark) when a line holds a character Windows-1252 lacks; in a
/// Windows-1252 file such a line raises EInOutError 101 and the file keeps its old length.
///@{
void AppendToTextFile(StringView FileName, StringView Line);
void AppendToTextFile(StringView FileName, const TStringList& Lines);
///@}

/// ReadLastNLinesOfTextFile
/// The last N lines of the file, the last line last, and LineCount set to the number of
/// lines in the file (up to 2147483647). The file is read from its start (an open file is
/// rewound before and after). A file of fewer than N lines gives N - LineCount empty
/// strings first. N below 1 gives an empty result and LineCount 0, reading nothing. So that
/// a huge N cannot demand memory for empty entries, N above both the line count and
/// 1,000,000 gives just the larger of the two entries.
///@{
std::vector<String> ReadLastNLinesOfTextFile(TextFile& F, std::int32_t N, std::int32_t& LineCount);
std::vector<String> ReadLastNLinesOfTextFile(StringView FileName, std::int32_t N,
                                             std::int32_t& LineCount);
///@}

/// CountLinesInTextFile
/// The number of lines in the file (a last line without a line end counts; up to
/// 2147483647). After every 1000th line FeedBack (may be empty) is called with
/// (nullptr, lines so far, 0). An open file is rewound before and after.
///@{
std::int32_t CountLinesInTextFile(TextFile& F, const TFeedbackProc& FeedBack);
std::int32_t CountLinesInTextFile(StringView FileName, const TFeedbackProc& FeedBack);
///@}

/// ReadHeaderOfASC
/// Reads the four header lines of an ASC data file: a comment, an integer (the rest of its
/// line is ignored), another integer likewise, and four flag words TRUE or FALSE in any
/// letter case separated by blanks (the fourth flag is true when its word starts with TRUE,
/// any other word gives false). Flags are reset to false before line 4 is read.
/// The file variant also takes tabs between the flag words. Status: 0 read; -1 the first
/// integer, -2 the second is not a plain decimal integer (the layer's rules: digits with an
/// optional sign, ended by a blank, tab or line end); -3 one of the first three flag words
/// is neither TRUE nor FALSE; -4 the comment holds a line feed (which the text-file layer,
/// ending lines at LF, never delivers). A missing file raises EInOutError.
/// The stream variant reads from the stream's position, lines up to LF (CR LF too), the
/// integers with ScanStreamDecimal (which never fails, so -1 and -2 do not occur); a tab
/// between flag words makes -3. It reads the rest of an integer's line only when the
/// character that ended the integer was not already the line feed, so LF and CR LF data
/// both read right. The stream is left behind line 4.
///@{
int ReadHeaderOfASC(StringView FileName, String& Comment, std::int32_t& FirstInt,
                    std::int32_t& SecondInt, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4);
int ReadHeaderOfASC(TStream& Stream, String& Comment, std::int32_t& FirstInt,
                    std::int32_t& SecondInt, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4);
///@}

/// DetectStringInFile
/// The 1-based character position of the first occurrence of Text in the file, counting
/// the characters of all preceding lines without their line ends, or 0 when Text does not
/// occur within the first Limit characters (so 0 also for an empty Text or a Limit below
/// 1). With IgnoreCase, ASCII letters match in either case. Reading stops at the find or
/// once Limit characters have been passed.
std::int32_t DetectStringInFile(StringView FileName, StringView Text, bool IgnoreCase,
                                std::int32_t Limit);

/// FindFirstMatchInTextFile
/// The 1-based position of Text in the first line that holds it, with that line (as read)
/// in Line; 0 and an empty Line when no line does (or Text is empty). IgnoreCase compares
/// with the locale-aware case mapping of AnsiLowerCase.
std::int32_t FindFirstMatchInTextFile(StringView FileName, StringView Text, bool IgnoreCase,
                                      String& Line);

/// ReadNextWordInTextFile
/// Skips characters of code 32 and below (blanks, control characters, line ends), then
/// reads characters above 32 up to the next one of 32 or below, which is consumed too. At
/// the end of the file the word read so far is the result; a file at its end gives "".
String ReadNextWordInTextFile(TextFile& F);

/// GetFileSize
/// The size of the file of exactly that name (a relative name is taken in the current
/// directory; a symbolic link gives its target's size; a directory 0), or -1 when there is
/// none. Files of 2 GiB or more give 2147483647.
std::int32_t GetFileSize(StringView FileName);

KEZ_API_END
}  // namespace kez
