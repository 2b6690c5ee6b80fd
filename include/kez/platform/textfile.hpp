/// @file
/// The text-file layer: a file variable bound to a name, opened for reading, rewriting or
/// appending, read and written line by line or item by item; and an untyped file for block
/// reads of raw bytes.
///
///   kez::TextFile f(u"out.txt");
///   f.Rewrite();
///   f.WriteLn(u"first line");
///   f.Close();
///
/// On disk the text is Windows-1252, one byte per character (characters outside that code
/// page are written as '?'); written lines end with CR LF, and reading takes CR LF and LF
/// as line ends. A lone CR is an ordinary character of its line, so a text holding one
/// reads back as it was written.
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
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "kez/platform/types.hpp"

namespace kez {

/// FileMode
/// The process-wide mode in which untyped files are opened by Reset: 0 read-only,
/// 1 write-only, 2 read-write (the default).
extern std::uint8_t FileMode;

inline constexpr int ioFileNotFound = 2;
inline constexpr int ioPathNotFound = 3;
inline constexpr int ioAccessDenied = 5;
inline constexpr int ioReadError = 100;
inline constexpr int ioWriteError = 101;
inline constexpr int ioNotAssigned = 102;
inline constexpr int ioNotOpen = 103;
inline constexpr int ioNotOpenForInput = 104;
inline constexpr int ioNotOpenForOutput = 105;
inline constexpr int ioInvalidNumeric = 106;
inline constexpr int ioInvalidName = 123;

enum TIOErrorMode : std::uint8_t { iemRaise, iemDeferred };

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
  const String& FileName() const { return FName; }

  /// SetErrorMode / ErrorMode
  /// Choose raising (default) or deferred error reporting.
  void SetErrorMode(TIOErrorMode Mode) { FErrorMode = Mode; }
  TIOErrorMode ErrorMode() const { return FErrorMode; }

  /// IOResult
  /// Returns the pending error code (0 for none) and clears it.
  int IOResult();

  /// Erase / Rename
  /// Delete or rename the closed file; Rename binds the variable to the new name. Rename
  /// never replaces another file: a new name that exists (also in another letter case)
  /// fails with 1017 and leaves both files. A new name that differs only in letter case
  /// renames the file on disk.
  void Erase();
  void Rename(StringView NewName);

  bool IsOpen() const { return FFile != nullptr; }

 protected:
  ~TFileVar();
  /// Opens the bound file with open(2) flags and the matching stdio mode; false after
  /// reporting the failure.
  bool OpenWith(int Flags, const char* StdioMode);
  /// The operating system's path for Name (ToCreate: as a file to create); false after
  /// reporting a name that no file can have.
  bool NativeName(StringView Name, bool ToCreate, std::string& Path);
  /// Closes the handle; false when text still buffered could not be written.
  bool CloseHandle();
  /// Reports a failure in the chosen mode; always returns false.
  bool Fail(int Code);
  /// True when operations may proceed (no pending error); otherwise they are skipped.
  bool Ready() const { return FPending == 0; }

  String FName;
  bool FAssigned = false;
  std::FILE* FFile = nullptr;
  int FPending = 0;
  TIOErrorMode FErrorMode = iemRaise;
};

/// TextFile
/// A text file variable.
class TextFile : public TFileVar {
 public:
  TextFile() = default;
  explicit TextFile(StringView FileName) { Assign(FileName); }
  ~TextFile();

  /// Reset / Rewrite / Append / Close / Flush
  /// Open for reading (the file must exist), create or overwrite, open for appending at
  /// the end (the file must exist), close (closing a closed file does nothing), and write
  /// out what is buffered. Rewrite finds its file ignoring letter case like every other
  /// operation, yet creating many files in a large folder costs about what fopen costs
  /// (see NativeFileNameToCreate).
  void Reset();
  void Rewrite();
  void Append();
  void Close();
  void Flush();

  /// ReadLn
  /// Reads the rest of the current line (the line end, CR LF or LF, is consumed, not
  /// returned). At the end of the file it gives an empty text and no error. The second form
  /// skips the line.
  void ReadLn(String& Line);
  void ReadLn();
  /// ReadLnAnsi: the same, as the line's bytes.
  void ReadLnAnsi(AnsiString& Line);

  /// ReadChar
  /// Reads one character; line-end characters are delivered as they are. At the end of
  /// the file it gives Ctrl-Z (code 26), as the runtime does.
  char16_t ReadChar();

  /// ReadInteger
  /// Skips blanks, tabs and line ends, then reads an optionally signed decimal integer that
  /// must end at a blank, tab, line end or the end of the file. Anything else (letters, a
  /// sign alone, a value outside 32 bits) is error 106. At the end of the file it gives 0.
  std::int32_t ReadInteger();

  /// Eof / EoLn
  /// Eof: nothing more to read (also true for a file in error or not open for reading).
  /// EoLn: the next characters end a line (LF, or CR LF), or the file is at its end.
  bool Eof();
  bool EoLn();

  /// RemainingBytes
  /// The number of bytes between the reading position and the end of the file (0 when the
  /// file is not open for reading). Readers use it to refuse headers that promise more than
  /// the file holds.
  std::int64_t RemainingBytes();

  /// Write / WriteLn
  /// Write a text, a character, an integer right-aligned to Width, or a real number in the
  /// layout of FloatToStrLayout(Value, Width, Decimals); WriteLn ends the line with CR LF.
  /// An integer's padding is written in pieces, however wide the field.
  void Write(StringView Text);
  void Write(char16_t Ch);
  void WriteAnsi(std::string_view Bytes);
  void WriteInteger(std::int64_t Value, int Width = 0);
  void WriteReal(Extended Value, int Width, int Decimals);
  void WriteLn(StringView Text = {});

 private:
  enum Mode : std::uint8_t { mClosed, mInput, mOutput };
  void Open(int Flags, const char* StdioMode, Mode NewMode);
  bool CheckInput();
  bool CheckOutput();
  int PeekByte();
  int GetByte();
  /// The next line without its line end, in a buffer valid until the next read; false at
  /// the end of the file or after reporting a failure.
  bool ReadLine(std::string_view& Line);

  /// The line buffer of getdelim; one grown by a very long line is given back after it.
  struct LineBuffer {
    char* Data = nullptr;
    std::size_t Size = 0;
    LineBuffer() = default;
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;
    ~LineBuffer();
  };

  Mode FMode = mClosed;
  LineBuffer FLine;
};

/// UntypedFile
/// A file of raw bytes read in blocks (record size 1). Reset opens it in the process-wide
/// FileMode.
class UntypedFile : public TFileVar {
 public:
  UntypedFile() = default;
  explicit UntypedFile(StringView FileName) { Assign(FileName); }
  ~UntypedFile();

  void Reset();
  void Rewrite();
  void Close();

  /// BlockRead
  /// Reads up to Count bytes and returns how many were read (0 at the end).
  std::int64_t BlockRead(void* Buffer, std::int64_t Count);

  /// BlockWrite
  /// Writes Count bytes and returns how many were written. A long block that the file
  /// system has too few free blocks for is refused whole (error 101), before any of it is
  /// written.
  std::int64_t BlockWrite(const void* Buffer, std::int64_t Count);

  /// FileSize / Eof
  std::int64_t FileSize();
  bool Eof();
};

}  // namespace kez
