// Shared parts of the kez tool: how commands are registered, how they fail, and how they read
// their input and write their output.
//
// Exit status, the same for every command: 0 success, 1 a failed check, a miss or a file
// that could not be read or written, 2 a usage error (and grep's errors, as grep does).
// Messages go to standard error as "kez: NAME: problem".
#pragma once

#include <CLI/CLI.hpp>
#include <signal.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kez/kez.hpp"
#include "kez/platform/safesave.hpp"

namespace kez::tool {

// ---- Commands ----------------------------------------------------------------------------

// Each command group adds its subcommands to the tool's parser.
void AddChecksumCommands(CLI::App& app);
void AddCodingCommands(CLI::App& app);
void AddTextCommands(CLI::App& app);
void AddDataCommands(CLI::App& app);
void AddColorCommands(CLI::App& app);
void AddWebCommands(CLI::App& app);
void AddDemoCommands(CLI::App& app);
void AddGraphicsCommands(CLI::App& app);
void AddFileCommands(CLI::App& app);
void AddTextFileCommands(CLI::App& app);
void AddSystemCommands(CLI::App& app);
void AddCompletionCommand(CLI::App& app);

// OnRun
// Makes Run the work of the (sub)command Cmd: it runs after the whole command line parsed,
// and its result is the exit status.
void OnRun(CLI::App* Cmd, std::function<int()> Run);

// ProtectedArguments / KeepArgumentsVerbatim
// CLI11 reads an argument of a list option in the form "[a,b]" as the two values a and b,
// so `kez grep '[0-9]'` would search for "0-9" and a file named "[x]" would be read as
// "x". ProtectedArguments gives the arguments after the program name, in the reversed order
// App::parse takes, each one that CLI11 would reinterpret (or that starts with the marker
// byte itself) behind a marker byte; KeepArgumentsVerbatim, called once every option of
// App and its subcommands exists, makes every option take its value without the marker,
// so each argument reaches the command exactly as it was typed.
std::vector<std::string> ProtectedArguments(int Argc, char** Argv);
void KeepArgumentsVerbatim(CLI::App& App);

// WithoutMarkers
// A parser message with the marker bytes of ProtectedArguments left out.
std::string WithoutMarkers(std::string Message);

// CompleteWith
// Registers the values that shell completion offers for Opt (an option's value, or a
// positional argument); returns Opt.
CLI::Option* CompleteWith(CLI::Option* Opt, std::vector<std::string> Values);

// TakePendingRun
// The work of the command the line named (empty when none was parsed).
std::function<int()> TakePendingRun();

// Failure
// Ends a command: main prints "kez: " and the message to standard error and exits with
// Code.
class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& Message, int Code = 1)
      : std::runtime_error(Message), FCode(Code) {}
  int Code() const { return FCode; }

 private:
  int FCode;
};

// Warn
// Prints "kez: " and the message to standard error as one line (a line break or carriage
// return in it, as in a file's name, shows as \n or \r); the command goes on.
void Warn(const std::string& Message);

// ---- Text --------------------------------------------------------------------------------

// DecodeText
// Bytes read from outside as text: UTF-8 when they are valid UTF-8, else Windows-1252 (one
// character per byte), so that every byte survives.
String DecodeText(std::string_view Bytes);

// IsValidUtf8
// Whether Bytes is well-formed UTF-8 (no overlong forms, surrogates or values beyond
// U+10FFFF).
bool IsValidUtf8(std::string_view Bytes);

// U8 / Arg
// Text to UTF-8 for printing, and a command-line argument to text.
std::string U8(StringView Text);
String Arg(const std::string& Text);

// Print / PrintLn
// UTF-8 text (or bytes) to standard output.
void Print(std::string_view Bytes);
void PrintLn(std::string_view Bytes = {});
void PrintLn(StringView Text);

// TableCell / PrintTable
// Prints rows of cells in columns padded to their widest cell (counted in characters), two
// blanks apart; columns flagged in RightAligned are padded on the left. Trailing blanks of
// a line are left out.
void PrintTable(const std::vector<std::vector<std::string>>& Rows,
                const std::vector<bool>& RightAligned);

// NearestNamedColor
// The name of the named colour nearest to c (the first of equally near ones).
String NearestNamedColor(TColor c);

// SwatchSheet
// A sheet of colour swatches, each with its label beside it, in columns under a title.
std::unique_ptr<TBitmap> DrawSwatchSheet(StringView Title,
                                         const std::vector<std::pair<TColor, String>>& Swatches,
                                         std::int32_t Columns);

// DrawColorBar
// A palette too long for swatches as one continuous bar under a title, at most 1,024 pixels
// wide (each column the entry nearest its place, the first and last columns the first and
// last entries), with a scale of entry numbers below it. An empty list draws an empty frame.
std::unique_ptr<TBitmap> DrawColorBar(StringView Title, const std::vector<TColor>& Colors);

// SavePicture
// Saves a picture as PNG to Name ("-" standard output), whole or not at all. A file name
// must end in ".png"; a FIFO or device (/dev/stdout) is written as it is, whatever its name.
void SavePicture(const TBitmap& Picture, const std::string& Name);

// PrintFeatureMatrix
// The descriptions of a feature matrix, then its values as a table (one row per object).
void PrintFeatureMatrix(const TFeatureMatrix& Matrix);

// ---- Files -------------------------------------------------------------------------------

// IsStdin
// Whether a file argument means standard input (or output): "" and "-".
inline bool IsStdin(const std::string& Name) { return Name.empty() || Name == "-"; }

// FileArg
// A file name from the command line as the library's name of exactly that Linux file (the
// verbatim form): no "\" is a separator, no drive is mapped, letter case is never ignored.
String FileArg(const std::string& Name);

// ForEachFile
// Runs Work for each name in turn (standard input when Names is empty). A failure is
// reported as "kez: NAME: reason" (a library error gets the name put before its message)
// and the next name follows; the result is 1 when any name failed, else 0.
int ForEachFile(const std::vector<std::string>& Names,
                const std::function<void(const std::string& Name)>& Work);

// SamplesDir
// The folder of the bundled samples: ../share/kez/samples beside the running binary when
// that exists (an installed tool, wherever its prefix is), else the source tree's (a tool
// run from its build tree).
std::string SamplesDir();

// ---- Signals -----------------------------------------------------------------------------

// InstallSignalHandlers
// SIGINT, SIGTERM and SIGHUP remove the temporary files in use (see TempFileMark) and end
// the tool by the same signal; while a StopRequest is active they ask it to stop instead.
// SIGXFSZ is ignored, so a write beyond the file-size limit fails as a write error and is
// cleaned up as one.
void InstallSignalHandlers();

// TempFileMark
// Marks a temporary file for removal when a signal ends the tool, for as long as the mark
// lives. At most 16 files are marked at once (more are left to their owner's cleanup).
class TempFileMark {
 public:
  TempFileMark() = default;
  explicit TempFileMark(const std::string& Path) { Set(Path); }
  ~TempFileMark() { Clear(); }
  TempFileMark(const TempFileMark&) = delete;
  TempFileMark& operator=(const TempFileMark&) = delete;
  void Set(const std::string& Path);
  void Clear();

 private:
  int FSlot = -1;
};

// StopRequest
// While one lives, the handled signals call Stop (from the signal handler: it must only
// set flags) and the command winds down by itself, instead of ending at once.
class StopRequest {
 public:
  explicit StopRequest(void (*Stop)());
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;
};

// SignalsHeld
// Holds back the handled signals for its lifetime (they arrive when it ends): for the steps
// that put a finished file in place, which must not be cut between rename and bookkeeping.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t FOld{};
};

// ---- Input and output --------------------------------------------------------------------

// InputFile
// A file to read, or standard input for "" and "-", read as bytes. Opening fails with
// "NAME: <reason>" (a directory is "Is a directory"); a failed read throws the same way.
class InputFile {
 public:
  explicit InputFile(const std::string& Name);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::string& Name() const { return FName; }
  // Read: up to Count bytes, 0 at the end.
  std::size_t Read(void* Buffer, std::size_t Count);
  // ReadLine: the next line without its end (Delimiter, LF unless said otherwise; a CR
  // before it is kept); false at the end.
  bool ReadLine(std::string& Line, int Delimiter = '\n');
  // ReadAll: everything that is left.
  std::string ReadAll();

 private:
  void CheckError();

  std::string FName;
  std::FILE* FFile = nullptr;
  bool FOwned = false;
  char* FLineBuf = nullptr;
  std::size_t FLineCap = 0;
};

// OutputFile
// Where a command writes: standard output for "" and "-", else the named file saved whole
// (see TFileSaver): a regular file, also through symbolic links, is written beside and
// renamed over only by Commit, keeping its mode and owner; anything else (a FIFO,
// /dev/null, a terminal) is written directly and never replaced. An output that is not
// committed leaves the previous file as it was. Failures throw "NAME: <reason>".
class OutputFile {
 public:
  explicit OutputFile(const std::string& Name);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& Name() const { return FName; }
  void Write(std::string_view Bytes);
  // WriteByName
  // For library functions that write a file by name: Writer writes the whole output into
  // the temporary file named Path (which it creates or overwrites), and that file becomes
  // this output's content. The temporary name ends with Suffix (writers that go by the
  // extension see the one they need).
  void WriteByName(const std::function<void(const String& Path)>& Writer,
                   const std::string& Suffix);
  void Commit();

 private:
  void Flush();
  [[noreturn]] void Fail(int Err);

  std::string FName;
  std::unique_ptr<TFileSaver> FSaver;
  int FDirect = -1;
  TempFileMark FMark;
  std::string FBuffer;
};

// InputStream / OutputStream
// The two as kez streams for the library's stream functions. Only reading (or writing)
// forward is possible; Seek answers the current position.
class InputStream : public TStream {
 public:
  explicit InputStream(InputFile& In) : FIn(In) {}
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;

 private:
  InputFile& FIn;
  std::int64_t FPos = 0;
};

class OutputStream : public TStream {
 public:
  explicit OutputStream(OutputFile& Out) : FOut(Out) {}
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;

 private:
  OutputFile& FOut;
  std::int64_t FPos = 0;
};

// LocalFile
// A file that the library opens by name: the named file itself (checked first: missing
// files and directories fail with "NAME: <reason>"), or standard input as /dev/stdin, which
// the library reads as it comes, with no copy. Only a command that must read its input
// twice asks for Rereadable: standard input is then copied to a temporary file, removed
// by the destructor (and by a signal that ends the tool).
class LocalFile {
 public:
  explicit LocalFile(const std::string& Name, bool Rereadable = false);
  ~LocalFile();
  LocalFile(const LocalFile&) = delete;
  LocalFile& operator=(const LocalFile&) = delete;

  // The name to hand to the library, and the Linux name to read it again.
  const String& Path() const { return FPath; }
  const std::string& NativePath() const { return FNative; }

 private:
  String FPath;
  std::string FNative;
  std::string FTemp;
  TempFileMark FMark;
};

// CheckReadableFile
// Fails with "NAME: <reason>" unless Name is an existing file that is not a folder and can
// be opened for reading.
void CheckReadableFile(const std::string& Name);

}  // namespace kez::tool
