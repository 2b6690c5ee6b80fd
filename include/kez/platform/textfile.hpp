/// @file
/// The text-file layer: a file variable bound to a name, opened for reading, rewriting or
/// appending, read and written line by line or item by item; and an untyped file for block
/// reads of raw bytes.
///
/// @code
///   kez::TextFile f(u"out.txt");
///   f.Rewrite();
///   f.WriteLn(u"first line");
///   f.Close();
/// @endcode
///
/// Encodings. On disk the text is Windows-1252 by default, one byte per character, or UTF-8
/// (see TTextEncoding and SetEncoding). A file that starts with the UTF-8 byte-order mark is
/// read as UTF-8 whatever was chosen, and Append to such a file continues in UTF-8 (an
/// Append that cannot read the file's start fails, unless the process may not read the
/// file at all, which keeps the chosen encoding). A
/// character the open file cannot hold (one outside Windows-1252 in a Windows-1252 file) is
/// a write error (101) in the file's error mode; nothing of that text is written. Written
/// lines end with CR LF, and reading takes CR LF and LF as line ends. A lone CR is an
/// ordinary character of its line, so a text holding one reads back as it was written.
///
/// The layer keeps its own buffer over the file descriptor. A read that has reached the end
/// of the file and is asked again reads on: lines appended to the file later are read.
///
/// Failure modes. Every operation can fail. In the raising mode (the default) a failure
/// raises EInOutError carrying the error code at once. In the deferred mode a failure
/// records the code instead; while a code is pending every further operation on the file
/// does nothing (reads give empty results; Reset, Rewrite, Append, Close, Erase and Rename
/// leave the file as it is), until IOResult() fetches the code and clears it. Assign still
/// binds a new name.
///
/// Close reports a write that the disk refused. The destructor closes an open file too but
/// cannot report; it says so on stderr. Close the file to learn of every failure.
///
/// Error codes: 2 file not found, 3 path not found, 5 access denied, 100 read error (read
/// past the end), 101 write error (disk full and the like), 102 file not assigned, 103 file
/// not open, 104 not open for input, 105 not open for output, 106 invalid numeric format,
/// 123 invalid file name (a NUL character in it); other system errors give 1000 + errno
/// (1017 for a name that exists already). A drive letter that the drive table does not map
/// is "path not found" (3).
///
/// Threads: FileMode is process-wide and read whenever a file is opened: set it before threads
/// open files, or while none does. Everything else belongs to its file variable, the pending
/// error code of IOResult included, so separate TextFile and UntypedFile objects may be used
/// from separate threads at once; one object belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// FileMode
/// The process-wide mode in which untyped files are opened by Reset: 0 read-only,
/// 1 write-only, 2 read-write (the default).
extern std::uint8_t FileMode;

/// The error codes of the file variables, as IOResult returns them and EInOutError carries
/// them.
inline constexpr int ioFileNotFound = 2;  ///< The file does not exist.
inline constexpr int ioPathNotFound = 3;  ///< A folder on the file's path does not exist.
inline constexpr int ioAccessDenied = 5;  ///< The file system refuses the access.
inline constexpr int ioReadError = 100;  ///< Reading failed.
inline constexpr int ioWriteError = 101;  ///< Writing failed, or the encoding lacks a character.
inline constexpr int ioNotAssigned = 102;  ///< No file name is bound (Assign was not called).
inline constexpr int ioNotOpen = 103;  ///< The file is not open.
inline constexpr int ioNotOpenForInput = 104;  ///< The file is not open for reading.
inline constexpr int ioNotOpenForOutput = 105;  ///< The file is not open for writing.
inline constexpr int ioInvalidNumeric = 106;  ///< ReadInteger found no valid integer.
inline constexpr int ioInvalidName = 123;  ///< The name is one that no file can have.

/// TIOErrorMode
/// How a file variable reports a failed operation: iemRaise (the default) raises EInOutError at
/// once; iemDeferred keeps the code for IOResult and skips the following operations until it is
/// read.
enum TIOErrorMode : std::uint8_t { iemRaise, iemDeferred };

/// TTextEncoding
/// How a text file stores its characters: teAnsi, Windows-1252 (one byte each; the default);
/// teUtf8, UTF-8 with a byte-order mark written at the start of a file that Rewrite creates
/// (or that Append finds empty); teUtf8NoBOM, UTF-8 without the mark (a reader must then ask
/// for UTF-8 itself). In UTF-8 every character a text can hold is stored; bytes of a file that
/// are not UTF-8 read as U+DC80-U+DCFF (byte 0xXY as U+DCXY), and such an unpaired character
/// is written back as its byte, so every file reads and writes back unchanged. Any other
/// unpaired surrogate cannot be stored (write error 101).
enum TTextEncoding : std::uint8_t { teAnsi, teUtf8, teUtf8NoBOM };

/// TextNeedsUtf8
/// True when Text holds a character that Windows-1252 lacks: a writer that creates a whole
/// file chooses teUtf8 for it.
bool TextNeedsUtf8(StringView Text);

/// kRemainingUnknown
/// What RemainingBytes answers where the bytes left cannot be told (a pipe, a FIFO, a
/// terminal): never 0, which means "nothing left".
inline constexpr std::int64_t kRemainingUnknown = -1;

/// kReadBudget
/// The memory (256 MiB) a reader may set aside for what a file's header announces where it
/// cannot check the announcement against the bytes the file still holds.
inline constexpr std::int64_t kReadBudget = std::int64_t{256} << 20;

/// IOErrorText
/// The message of an error code, as EInOutError carries it ("File not found", ...).
String IOErrorText(int Code);

/// TFileVar
/// What text and untyped files share: the bound name, the handle and the error state.
class TFileVar {
 public:
  TFileVar() = default;
  TFileVar(const TFileVar&) = delete;
  TFileVar& operator=(const TFileVar&) = delete;

  /// Assign
  /// Binds the variable to a file name (the file must be closed).
  void Assign(StringView FileName);
  /// The bound file name (empty before Assign).
  const String& FileName() const { return FName; }

  /// SetErrorMode / ErrorMode
  /// Choose raising (default) or deferred error reporting.
  ///@{
  void SetErrorMode(TIOErrorMode Mode) { FErrorMode = Mode; }
  TIOErrorMode ErrorMode() const { return FErrorMode; }
  ///@}

  /// IOResult
  /// Returns the pending error code (0 for none) and clears it.
  int IOResult();

  /// Erase / Rename
  /// Delete or rename the closed file; Rename binds the variable to the new name. Rename
  /// never replaces another file: a new name that exists (also in another letter case)
  /// fails with 1017 and leaves both files. A new name that differs only in letter case
  /// renames the file on disk.
  ///@{
  void Erase();
  void Rename(StringView NewName);
  ///@}

  /// True while the file is open.
  bool IsOpen() const { return FFd >= 0; }

 protected:
  ~TFileVar();
  /// Opens the bound file with open(2) flags; false after reporting the failure. Every
  /// open of both file kinds goes through here.
  bool OpenWith(int Flags);
  /// The operating system's path for Name (ToCreate: as a file to create); false after
  /// reporting a name that no file can have.
  bool NativeName(StringView Name, bool ToCreate, std::string& Path);
  /// Writes out what is buffered and closes the handle; false when either fails.
  bool CloseHandle();
  /// Writes out what a derived file still buffers; false when the file refuses it.
  virtual bool WriteBuffered() { return true; }
  /// Reports a failure in the chosen mode; always returns false. Message replaces the
  /// code's standard text in the raised exception.
  bool Fail(int Code, const String& Message = {});
  /// True when operations may proceed (no pending error); otherwise they are skipped.
  bool Ready() const { return FPending == 0; }

  String FName;  ///< The bound file name.
  bool FAssigned = false;  ///< Whether Assign has bound a name.
  int FFd = -1;  ///< The open file's descriptor; -1 while closed.
  int FPending = 0;  ///< The error code waiting for IOResult; 0 for none.
  TIOErrorMode FErrorMode = iemRaise;  ///< How failures are reported.
};

/// TextFile
/// A text file variable.
class TextFile : public TFileVar {
 public:
  TextFile() = default;
  /// A text file variable bound to FileName, as Assign binds it.
  explicit TextFile(StringView FileName) { Assign(FileName); }
  ~TextFile();

  /// SetEncoding / Encoding
  /// SetEncoding chooses the encoding for the next Reset, Rewrite or Append (an open file
  /// keeps its own). Encoding is the open file's encoding (after Reset or Append it is
  /// teUtf8 for a file with the byte-order mark; a Reset of such a file detects the mark on
  /// the first read), or the chosen one while the file is closed.
  ///@{
  void SetEncoding(TTextEncoding Encoding) { FEncoding = Encoding; }
  TTextEncoding Encoding();
  ///@}

  /// Reset / Rewrite / Append / Close / Flush
  /// Open for reading (the file must exist), create or overwrite, open for appending at
  /// the end (the file must exist), close (closing a closed file does nothing), and write
  /// out what is buffered. Rewrite finds its file ignoring letter case like every other
  /// operation, yet creating many files in a large folder costs about what fopen costs
  /// (see NativeFileNameToCreate).
  ///@{
  void Reset();
  void Rewrite();
  void Append();
  void Close();
  void Flush();
  ///@}

  /// StartInUtf8
  /// For a writer that starts the file's text itself and needs UTF-8 for it (TextNeedsUtf8):
  /// a Windows-1252 file open for writing that holds nothing yet (a regular file just
  /// opened by Rewrite, or by Append on an empty file, and not written to) becomes UTF-8
  /// with a byte-order mark. Any other file keeps its encoding, so text it cannot hold stays
  /// a write error. Returns whether the file is UTF-8 afterwards.
  bool StartInUtf8();

  /// ReadLn
  /// Reads the rest of the current line (the line end, CR LF or LF, is consumed, not
  /// returned). At the end of the file it gives an empty text and no error. The second form
  /// skips the line.
  ///@{
  void ReadLn(String& Line);
  void ReadLn();
  ///@}
  /// ReadLnAnsi: the same, as the line's bytes as they are on disk (in a UTF-8 file, UTF-8).
  void ReadLnAnsi(AnsiString& Line);

  /// ReadBlock
  /// Reads up to Count bytes as they are on disk (a byte-order mark at the start is not
  /// part of the text and is skipped); returns how many, 0 at the end.
  std::int64_t ReadBlock(void* Buffer, std::int64_t Count);

  /// ReadChar
  /// Reads one character; line-end characters are delivered as they are. At the end of
  /// the file it gives Ctrl-Z (code 26), as the runtime does. A character beyond U+FFFF in
  /// a UTF-8 file comes as its two surrogates, one per call.
  char16_t ReadChar();

  /// ReadInteger
  /// Skips blanks, tabs and line ends, then reads an optionally signed decimal integer that
  /// must end at a blank, tab, line end or the end of the file. Anything else (letters, a
  /// sign alone, a value outside 32 bits) is error 106. At the end of the file it gives 0.
  std::int32_t ReadInteger();

  /// Eof / EoLn
  /// Eof: nothing more to read (also true for a file in error or not open for reading).
  /// EoLn: the next characters end a line (LF, or CR LF), or the file is at its end.
  ///@{
  bool Eof();
  bool EoLn();
  ///@}

  /// RemainingBytes
  /// The number of bytes between the reading position and the end of a regular file (0 when
  /// the file is not open for reading). Where that cannot be told (a pipe, a FIFO, standard
  /// input, a terminal, a file that reports size 0 as /proc files do) it is
  /// kRemainingUnknown (-1), never 0. Readers use it to refuse
  /// headers that promise more than the file holds, and a memory budget where it is unknown.
  std::int64_t RemainingBytes();

  /// MayAnnounce
  /// Whether a header may announce Count items, each written as at least one byte still to
  /// be read and taking ItemBytes of memory: Count <= RemainingBytes() where that is known;
  /// where it is not (a pipe), Count * ItemBytes within kReadBudget. False for a negative
  /// Count or a file not open for reading.
  bool MayAnnounce(std::int64_t Count, std::int64_t ItemBytes);

  /// EncodeText / DecodeText
  /// Text as the open file's bytes, appended to Bytes, and bytes of the file as text: for
  /// writers that gather lines for WriteAnsi and readers that take ReadLnAnsi's bytes apart.
  /// EncodeText returns false, Bytes unchanged, when a character cannot be held (Write then
  /// reports it in the file's error mode).
  ///@{
  bool EncodeText(StringView Text, std::string& Bytes) const;
  void DecodeText(std::string_view Bytes, String& Text) const;
  ///@}

  /// Write / WriteLn
  /// Write a text, a character, an integer right-aligned to Width, or a real number in the
  /// layout of FloatToStrLayout(Value, Width, Decimals); WriteLn ends the line with CR LF.
  /// An integer's padding is written in pieces, however wide the field. A text with a
  /// character the file cannot hold is error 101 and none of it is written. In a UTF-8 file
  /// a character beyond U+FFFF may be written by Write(char16_t) as its two surrogates, one
  /// per call. WriteAnsi writes bytes as they are, whatever the encoding.
  ///@{
  void Write(StringView Text);
  void Write(char16_t Ch);
  void WriteAnsi(std::string_view Bytes);
  void WriteInteger(std::int64_t Value, int Width = 0);
  void WriteReal(Extended Value, int Width, int Decimals);
  void WriteLn(StringView Text = {});
  ///@}

 private:
  enum Mode : std::uint8_t { mClosed, mInput, mOutput };
  void Open(int Flags, Mode NewMode);
  bool CheckInput();
  bool CheckOutput();
  /// Makes at least Want bytes wait in the buffer where the file still has them; false
  /// after reporting a read error.
  bool Fill(std::size_t Want);
  int PeekByte();
  int GetByte();
  /// The next line without its line end, in a buffer valid until the next read; false at
  /// the end of the file or after reporting a failure.
  bool ReadLine(std::string_view& Line);
  bool WriteBuffered() override;
  /// Writes out the buffered bytes; false after reporting a failure.
  bool FlushBuffer();
  /// Puts bytes into the output buffer (or straight to the file when they are many).
  void PutBytes(std::string_view Bytes);
  /// Puts Text (and then Tail, bytes) in the file's encoding.
  void PutText(StringView Text, std::string_view Tail);
  /// Reads the byte-order mark of a file opened by Reset, once, before the first read.
  void DetectBOM();
  /// For Append: makes the file UTF-8 when it starts with the UTF-8 byte-order mark. 0, or
  /// the errno when its start cannot be read.
  int ReadAppendBOM();

  Mode FMode = mClosed;
  TTextEncoding FEncoding = teAnsi;  // chosen for the next open
  bool FUtf8 = false;                // the open file is UTF-8
  bool FBOMChecked = true;
  char16_t FPendingChar = 0;  // the second surrogate of a character read, or the
                              // first of one being written
  std::unique_ptr<char[]> FBuf;
  std::size_t FCap = 0;
  std::size_t FPos = 0;  // reading: next byte; writing: unused
  std::size_t FEnd = 0;  // reading: end of the bytes read; writing: bytes waiting
};

/// UntypedFile
/// A file of raw bytes read in blocks (record size 1). Reset opens it in the process-wide
/// FileMode.
class UntypedFile : public TFileVar {
 public:
  UntypedFile() = default;
  /// An untyped file variable bound to FileName, as Assign binds it.
  explicit UntypedFile(StringView FileName) { Assign(FileName); }
  ~UntypedFile();

  /// Reset / Rewrite / Close
  /// Reset opens the existing file in the process-wide FileMode, Rewrite creates the file or
  /// empties an existing one, Close closes it (closing a closed file does nothing).
  ///@{
  void Reset();
  void Rewrite();
  void Close();
  ///@}

  /// BlockRead
  /// Reads up to Count bytes and returns how many were read (0 at the end).
  std::int64_t BlockRead(void* Buffer, std::int64_t Count);

  /// BlockWrite
  /// Writes Count bytes and returns how many were written. A long block that the file
  /// system has too few free blocks for is refused whole (error 101), before any of it is
  /// written.
  std::int64_t BlockWrite(const void* Buffer, std::int64_t Count);

  /// FileSize / Eof
  /// FileSize is the size of the open file in bytes; Eof tells that the reading position is at its
  /// end. Where the size cannot be told (a pipe, a FIFO, a /proc file that reports size 0,
  /// for which FileSize is 0), Eof waits for the next byte and keeps it for BlockRead, so it
  /// is true only once the file has truly ended.
  ///@{
  std::int64_t FileSize();
  bool Eof();
  ///@}

 private:
  int FPeeked = -1;  // the byte Eof read ahead on a file without a size, or -1
};

KEZ_API_END
}  // namespace kez
