// The text-file layer and untyped files, over stdio with both failure modes.
#include "kez/platform/textfile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "platform/encoding_internal.hpp"
#include "platform/sharemode.hpp"
#include "platform/stream_detail.hpp"

namespace kez {

std::uint8_t FileMode = 2;

namespace {

// Block writes from this size on are checked against the file system's free room first.
constexpr std::int64_t kLongWrite = 64 * 1024;

// rename(2) that never replaces an existing entry (atomically where the file system can).
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: a hard link fails on an existing name.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

int CodeFromErrno(int err, const std::string& path) {
  switch (err) {
    case ENOENT: {
      // A missing directory on the way is "path not found".
      const auto slash = path.rfind('/');
      if (slash != std::string::npos && slash > 0) {
        struct stat st {};
        if (::stat(path.substr(0, slash).c_str(), &st) != 0) return ioPathNotFound;
      }
      return ioFileNotFound;
    }
    case ENOTDIR:
      return ioPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case EBUSY:
    case EWOULDBLOCK:
      return ioAccessDenied;
    case ENOSPC:
    case EFBIG:
    case EIO:
    case EDQUOT:
      return ioWriteError;
    default:
      return 1000 + err;
  }
}

}  // namespace

String IOErrorText(int Code) {
  switch (Code) {
    case ioFileNotFound:
      return u"File not found";
    case ioPathNotFound:
      return u"Path not found";
    case ioAccessDenied:
      return u"Access denied";
    case ioReadError:
      return u"Read beyond end of file";
    case ioWriteError:
      return u"Disk write error";
    case ioNotAssigned:
      return u"File not assigned";
    case ioNotOpen:
      return u"File not open";
    case ioNotOpenForInput:
      return u"File not open for input";
    case ioNotOpenForOutput:
      return u"File not open for output";
    case ioInvalidNumeric:
      return u"Invalid numeric input";
    case ioInvalidName:
      return u"Invalid file name";
    default:
      if (Code > 1000) return Utf8ToString(std::strerror(Code - 1000));
      return u"I/O error " + IntToStr(Code);
  }
}

// ---- TFileVar --------------------------------------------------------------------------

TFileVar::~TFileVar() {
  if (FFile == nullptr) return;
  const bool failedBefore = std::ferror(FFile) != 0;
  if (std::fclose(FFile) != 0 && !failedBefore) {
    // A destructor cannot report in either error mode; say so rather than lose text unseen.
    std::fprintf(stderr, "kez: text could not be written to \"%s\": %s\n",
                 StringToUtf8(FName).c_str(), std::strerror(errno));
  }
  FFile = nullptr;
}

void TFileVar::Assign(StringView FileName) {
  // An open file is closed first; text it could not store is reported.
  if (!CloseHandle() && Ready()) Fail(ioWriteError);
  FName = String(FileName);
  FAssigned = true;
}

int TFileVar::IOResult() {
  const int code = FPending;
  FPending = 0;
  return code;
}

bool TFileVar::Fail(int Code) {
  if (FErrorMode == iemRaise) throw EInOutError(IOErrorText(Code), Code);
  if (FPending == 0) FPending = Code;
  return false;
}

bool TFileVar::NativeName(StringView Name, bool ToCreate, std::string& Path) {
  switch (FileNameFault(Name)) {
    case nfInvalidCharacter:
      return Fail(ioInvalidName);
    case nfUnmappedDrive:
      return Fail(ioPathNotFound);
    case nfNone:
      break;
  }
  Path = ToCreate ? NativeFileNameToCreate(Name) : NativeFileName(Name);
  return true;
}

bool TFileVar::OpenWith(int Flags, const char* StdioMode) {
  if (!Ready()) return false;
  if (!CloseHandle()) return Fail(ioWriteError);
  if (!FAssigned) return Fail(ioNotAssigned);
  std::string path;
  if (!NativeName(FName, (Flags & O_CREAT) != 0, path)) return false;
  // The file is emptied only once the share claim below is granted.
  const bool truncate = (Flags & O_TRUNC) != 0;
  Flags &= ~O_TRUNC;
  const int fd = (Flags & O_CREAT) != 0 ? OpenToCreate(path, Flags | O_CLOEXEC)
                                        : ::open(path.c_str(), Flags | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(CodeFromErrno(errno, path));
  // A folder opens for reading only (writing it fails with EISDIR): refuse it here.
  struct stat st {};
  const bool statted = ::fstat(fd, &st) == 0;
  if ((Flags & O_ACCMODE) == O_RDONLY && statted && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Fail(ioAccessDenied);
  }
  int err = detail::ClaimShare(fd, (Flags & O_ACCMODE) != O_WRONLY,
                               (Flags & O_ACCMODE) != O_RDONLY,
                               (Flags & O_CREAT) != 0 ? 0 : FileMode & 0xF0);
  if (err == 0 && truncate && statted && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
    err = errno;
  }
  if (err != 0) {
    ::close(fd);
    return Fail(CodeFromErrno(err, path));
  }
  FFile = ::fdopen(fd, StdioMode);
  if (FFile == nullptr) {
    const int err = errno;
    ::close(fd);
    return Fail(CodeFromErrno(err, path));
  }
  return true;
}

bool TFileVar::CloseHandle() {
  if (FFile == nullptr) return true;
  const bool ok = std::fclose(FFile) == 0;
  FFile = nullptr;
  return ok;
}

void TFileVar::Erase() {
  if (!Ready()) return;
  if (!FAssigned) {
    Fail(ioNotAssigned);
    return;
  }
  if (IsOpen()) {
    Fail(ioAccessDenied);
    return;
  }
  std::string path;
  if (!NativeName(FName, false, path)) return;
  if (::unlink(path.c_str()) != 0) Fail(CodeFromErrno(errno, path));
}

void TFileVar::Rename(StringView NewName) {
  if (!Ready()) return;
  if (!FAssigned) {
    Fail(ioNotAssigned);
    return;
  }
  if (IsOpen()) {
    Fail(ioAccessDenied);
    return;
  }
  std::string from, existing;
  if (!NativeName(FName, false, from) || !NativeName(NewName, false, existing)) return;
  const std::string to = NativeFileNameAsSpelt(NewName);
  struct stat fromSt {
  }, existingSt{};
  if (::lstat(from.c_str(), &fromSt) != 0) {
    Fail(CodeFromErrno(errno, from));
    return;
  }
  // The new name may already be taken, also by a name that differs only in case (which
  // the library's look-up treats as the same); only the file itself may hold it, when the
  // rename changes nothing but letter case.
  if (::lstat(existing.c_str(), &existingSt) == 0 &&
      (existingSt.st_dev != fromSt.st_dev || existingSt.st_ino != fromSt.st_ino)) {
    Fail(CodeFromErrno(EEXIST, to));
    return;
  }
  if (to != from && !RenameNoReplace(from, to)) {
    Fail(CodeFromErrno(errno, to));
    return;
  }
  FName = String(NewName);
}

// ---- TextFile --------------------------------------------------------------------------

TextFile::~TextFile() = default;

void TextFile::Open(int Flags, const char* StdioMode, Mode NewMode) {
  if (!Ready()) return;  // a pending error leaves the file as it is
  FMode = mClosed;
  if (OpenWith(Flags, StdioMode)) FMode = NewMode;
}

void TextFile::Reset() { Open(O_RDONLY, "rb", mInput); }

void TextFile::Rewrite() { Open(O_WRONLY | O_CREAT | O_TRUNC, "wb", mOutput); }

void TextFile::Append() { Open(O_WRONLY | O_APPEND, "ab", mOutput); }

void TextFile::Close() {
  if (!Ready() || FFile == nullptr) return;
  const bool writeFailed = std::fflush(FFile) != 0 || std::ferror(FFile) != 0;
  CloseHandle();
  const bool wasOutput = FMode == mOutput;
  FMode = mClosed;
  if (writeFailed && wasOutput) Fail(ioWriteError);
}

void TextFile::Flush() {
  if (!Ready() || FMode != mOutput) return;
  if (std::fflush(FFile) != 0) Fail(ioWriteError);
}

bool TextFile::CheckInput() {
  if (!Ready()) return false;
  if (FFile == nullptr) return Fail(ioNotOpen);
  if (FMode != mInput) return Fail(ioNotOpenForInput);
  return true;
}

bool TextFile::CheckOutput() {
  if (!Ready()) return false;
  if (FFile == nullptr) return Fail(ioNotOpen);
  if (FMode != mOutput) return Fail(ioNotOpenForOutput);
  return true;
}

int TextFile::PeekByte() {
#if defined(__GLIBC__)
  // A byte waiting in the stdio buffer is looked at in place, as getc_unlocked itself reads
  // it: Eof before every line would otherwise pay for ungetc and its lock.
  if (FFile->_IO_read_ptr < FFile->_IO_read_end)
    return static_cast<unsigned char>(*FFile->_IO_read_ptr);
#endif
  const int c = getc_unlocked(FFile);
  if (c == EOF) {
    if (std::ferror(FFile)) Fail(ioReadError);
    return EOF;
  }
  ungetc(c, FFile);
  return c;
}

int TextFile::GetByte() {
  const int c = getc_unlocked(FFile);
  if (c == EOF && std::ferror(FFile)) Fail(ioReadError);
  return c;
}

namespace {

// Reads the next line, in the stdio buffer or a getdelim buffer, and gives it without its
// line end (valid until the next read): a line ends at LF, a CR right before it belongs to
// the line end, any other CR is a character of the line. False at the end of the file or on
// a read error. A getdelim buffer grown past 1 MiB by an earlier long line is given back.
bool NextLine(std::FILE* File, char*& Data, std::size_t& Size, std::string_view& Line) {
  const auto cutLineEnd = [&](const char* Begin, std::size_t Length) {
    if (Length > 0 && Begin[Length - 1] == '\n') {
      --Length;
      if (Length > 0 && Begin[Length - 1] == '\r') --Length;
    }
    Line = std::string_view(Begin, Length);
  };
#if defined(__GLIBC__)
  // A line that lies whole in the stdio buffer is taken where it is: moving the read
  // pointer past it is what getc_unlocked does byte by byte. This saves getdelim's copy and
  // lock on most lines; the rest go through getdelim.
  char* const begin = File->_IO_read_ptr;
  if (begin < File->_IO_read_end) {
    if (auto* lf = static_cast<char*>(std::memchr(begin, '\n', File->_IO_read_end - begin))) {
      File->_IO_read_ptr = lf + 1;
      cutLineEnd(begin, static_cast<std::size_t>(lf + 1 - begin));
      return true;
    }
  }
#endif
  if (Size > (std::size_t{1} << 20)) {
    std::free(Data);
    Data = nullptr;
    Size = 0;
  }
  const ssize_t n = ::getdelim(&Data, &Size, '\n', File);
  if (n < 0) return false;
  cutLineEnd(Data, static_cast<std::size_t>(n));
  return true;
}

}  // namespace

TextFile::LineBuffer::~LineBuffer() { std::free(Data); }

bool TextFile::ReadLine(std::string_view& Line) {
  if (!CheckInput()) return false;
  if (NextLine(FFile, FLine.Data, FLine.Size, Line)) return true;
  if (std::ferror(FFile)) Fail(ioReadError);
  return false;
}

void TextFile::ReadLnAnsi(AnsiString& Line) {
  Line.clear();
  std::string_view line;
  if (ReadLine(line)) Line.assign(line);
}

void TextFile::ReadLn(String& Line) {
  std::string_view line;
  if (ReadLine(line)) {
    detail::AssignAnsi(Line, line);  // into the text's own room: no allocation per line
  } else {
    Line.clear();
  }
}

void TextFile::ReadLn() {
  std::string_view line;
  ReadLine(line);
}

char16_t TextFile::ReadChar() {
  if (!CheckInput()) return u'\x1A';
  const int c = GetByte();
  return c == EOF ? u'\x1A' : AnsiCharToChar(static_cast<unsigned char>(c));
}

std::int32_t TextFile::ReadInteger() {
  if (!CheckInput()) return 0;
  int c = GetByte();
  while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = GetByte();
  if (c == EOF) return 0;
  String text;
  while (c != EOF && c != ' ' && c != '\t' && c != '\r' && c != '\n') {
    text.push_back(AnsiCharToChar(static_cast<unsigned char>(c)));
    c = GetByte();
  }
  if (c != EOF) ungetc(c, FFile);
  // Only plain decimal digits with an optional sign count as a number here.
  std::size_t i = (!text.empty() && (text[0] == u'+' || text[0] == u'-')) ? 1 : 0;
  bool digitsOnly = i < text.size();
  for (; i < text.size(); ++i) digitsOnly = digitsOnly && text[i] >= u'0' && text[i] <= u'9';
  std::int32_t value = 0;
  if (!digitsOnly || !TryStrToInt(text, value)) {
    Fail(ioInvalidNumeric);
    return 0;
  }
  return value;
}

bool TextFile::Eof() {
  if (!Ready()) return true;
  if (FFile == nullptr) {
    Fail(ioNotOpen);
    return true;
  }
  if (FMode != mInput) return true;
  return PeekByte() == EOF;
}

std::int64_t TextFile::RemainingBytes() {
  if (!Ready() || FFile == nullptr || FMode != mInput) return 0;
  struct stat st {};
  const long pos = std::ftell(FFile);
  if (pos < 0 || ::fstat(fileno(FFile), &st) != 0) return 0;
  return st.st_size > pos ? st.st_size - pos : 0;
}

bool TextFile::EoLn() {
  if (!CheckInput()) return true;
  const int c = PeekByte();
  if (c != '\r') return c == EOF || c == '\n';
  // A CR ends the line only before an LF; look one byte further and put both back (the
  // C library keeps more than one pushed-back byte).
  getc_unlocked(FFile);
  const int next = getc_unlocked(FFile);
  if (next != EOF) ungetc(next, FFile);
  ungetc('\r', FFile);
  return next == '\n';
}

void TextFile::WriteAnsi(std::string_view Bytes) {
  if (!CheckOutput()) return;
  if (!Bytes.empty() && std::fwrite(Bytes.data(), 1, Bytes.size(), FFile) != Bytes.size())
    Fail(ioWriteError);
}

namespace {

// Hands Text in the code page, followed by Tail, to Put in pieces converted in a buffer on
// the stack, so that writing a text allocates nothing; a short text goes in one piece.
template <class PutFn>
void PutAnsi(StringView Text, std::string_view Tail, PutFn&& Put) {
  constexpr std::size_t kPiece = 4096;
  char buffer[kPiece + 2];
  std::size_t done = 0;
  do {
    const std::size_t n = std::min(kPiece, Text.size() - done);
    detail::NarrowToAnsi(Text.data() + done, n, buffer);
    done += n;
    std::size_t length = n;
    if (done == Text.size() && !Tail.empty() && Tail.size() <= sizeof buffer - n) {
      std::memcpy(buffer + n, Tail.data(), Tail.size());
      length += Tail.size();
      Tail = {};
    }
    Put(std::string_view(buffer, length));  // an empty text still checks the file
  } while (done < Text.size());
  if (!Tail.empty()) Put(Tail);
}

}  // namespace

void TextFile::Write(StringView Text) {
  PutAnsi(Text, {}, [&](std::string_view Piece) { WriteAnsi(Piece); });
}

void TextFile::Write(char16_t Ch) {
  const char b = static_cast<char>(CharToAnsiChar(Ch));
  WriteAnsi(std::string_view(&b, 1));
}

void TextFile::WriteInteger(std::int64_t Value, int Width) {
  const AnsiString digits = StringToAnsi(IntToStr(Value));
  // The padding goes out in pieces, so that a field of 2^31 blanks costs no memory; the
  // loop ends at the first failure (a raised one, or a pending code in deferred mode).
  std::int64_t pad = std::int64_t{Width} - static_cast<std::int64_t>(digits.size());
  if (pad > 0) {
    const std::string blanks(static_cast<std::size_t>(std::min<std::int64_t>(pad, 4096)), ' ');
    while (pad > 0 && Ready()) {
      const auto n = static_cast<std::size_t>(std::min<std::int64_t>(pad, 4096));
      WriteAnsi(std::string_view(blanks.data(), n));
      pad -= static_cast<std::int64_t>(n);
    }
  }
  WriteAnsi(digits);
}

void TextFile::WriteReal(Extended Value, int Width, int Decimals) {
  std::string text;
  FloatToAnsiLayout(Value, Width, Decimals, text);
  WriteAnsi(text);
}

void TextFile::WriteLn(StringView Text) {
  PutAnsi(Text, "\r\n", [&](std::string_view Piece) { WriteAnsi(Piece); });
}

// ---- UntypedFile -----------------------------------------------------------------------

UntypedFile::~UntypedFile() = default;

void UntypedFile::Reset() {
  switch (FileMode & 3) {
    case 0:
      OpenWith(O_RDONLY, "rb");
      break;
    case 1:
      OpenWith(O_WRONLY, "wb");
      break;
    default:
      OpenWith(O_RDWR, "r+b");
      break;
  }
}

void UntypedFile::Rewrite() { OpenWith(O_RDWR | O_CREAT | O_TRUNC, "w+b"); }

void UntypedFile::Close() {
  if (!Ready() || FFile == nullptr) return;
  const bool failed = std::fflush(FFile) != 0;
  CloseHandle();
  if (failed) Fail(ioWriteError);
}

std::int64_t UntypedFile::BlockRead(void* Buffer, std::int64_t Count) {
  if (!Ready()) return 0;
  if (FFile == nullptr) return Fail(ioNotOpen), 0;
  if (Count <= 0) return 0;
  const std::size_t n = std::fread(Buffer, 1, static_cast<std::size_t>(Count), FFile);
  if (n < static_cast<std::size_t>(Count) && std::ferror(FFile)) {
    std::clearerr(FFile);
    Fail(ioReadError);
  }
  return static_cast<std::int64_t>(n);
}

std::int64_t UntypedFile::BlockWrite(const void* Buffer, std::int64_t Count) {
  if (!Ready()) return 0;
  if (FFile == nullptr) return Fail(ioNotOpen), 0;
  if (Count <= 0) return 0;
  if (Count >= kLongWrite && !detail::RoomFor(fileno(FFile), std::ftell(FFile), Count)) {
    Fail(ioWriteError);
    return 0;
  }
  const std::size_t n = std::fwrite(Buffer, 1, static_cast<std::size_t>(Count), FFile);
  if (n < static_cast<std::size_t>(Count)) Fail(ioWriteError);
  return static_cast<std::int64_t>(n);
}

std::int64_t UntypedFile::FileSize() {
  if (!Ready()) return 0;
  if (FFile == nullptr) return Fail(ioNotOpen), 0;
  std::fflush(FFile);
  struct stat st {};
  if (::fstat(fileno(FFile), &st) != 0) return 0;
  return st.st_size;
}

bool UntypedFile::Eof() {
  if (!Ready()) return true;
  if (FFile == nullptr) return Fail(ioNotOpen), true;
  const long pos = std::ftell(FFile);
  return pos < 0 || pos >= FileSize();
}

}  // namespace kez
