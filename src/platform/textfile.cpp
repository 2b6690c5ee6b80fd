// The text-file layer and untyped files, over file descriptors with both failure modes.
#include "kez/platform/textfile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "platform/encoding_internal.hpp"
#include "platform/fsinternal.hpp"
#include "platform/retry.hpp"
#include "platform/sharemode.hpp"
#include "platform/stream_detail.hpp"

namespace kez {

std::uint8_t FileMode = 2;

namespace {
// The mode of this thread's innermost ScopedFileMode, -1 when there is none.
thread_local int tScopedFileMode = -1;
}  // namespace

namespace detail {

ScopedFileMode::ScopedFileMode(std::uint8_t Mode) : FSaved(tScopedFileMode) {
  tScopedFileMode = Mode;
}

ScopedFileMode::~ScopedFileMode() { tScopedFileMode = FSaved; }

std::uint8_t EffectiveFileMode() {
  return tScopedFileMode >= 0 ? static_cast<std::uint8_t>(tScopedFileMode) : FileMode;
}

}  // namespace detail

namespace {

// Block writes from this size on are checked against the file system's free room first.
constexpr std::int64_t kLongWrite = 64 * 1024;

// A text file's buffer; one grown by a very long line is given back after it.
constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kLargeBuffer = std::size_t{1} << 20;

constexpr char kBOM[] = "\xEF\xBB\xBF";

// read(2) retried when a signal interrupts it: the count read, 0 at the end, -1 on failure.
ssize_t ReadSome(int Fd, char* Buffer, std::size_t Count) {
  for (;;) {
    const ssize_t n = ::read(Fd, Buffer, Count);
    if (n >= 0 || errno != EINTR) return n;
  }
}

// Writes all Count bytes, also when the system takes fewer at a time or a signal interrupts;
// returns how many were written (fewer only on a failure, errno then tells it).
std::size_t WriteAll(int Fd, const char* Data, std::size_t Count) {
  std::size_t done = 0;
  while (done < Count) {
    const ssize_t n = ::write(Fd, Data + done, Count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) {
      errno = ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool IsHighSurrogate(char16_t C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLowSurrogate(char16_t C) { return C >= 0xDC00 && C <= 0xDFFF; }
// An unpaired U+DC80-U+DCFF stands for a byte that is not UTF-8.
bool IsEscapedByte(char16_t C) { return C >= 0xDC80 && C <= 0xDCFF; }

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// Out becomes the UTF-8 Bytes as text (undecodable bytes as U+DCXY).
void AssignUtf8(String& Out, std::string_view Bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(Bytes.data());
  const std::size_t n = Bytes.size();
  std::size_t i = 0;
  while (i < n && p[i] < 0x80) ++i;
  if (i == n) {  // ASCII is the same in both encodings
    detail::AssignAnsi(Out, Bytes);
    return;
  }
  Out.resize(i);
  for (std::size_t k = 0; k < i; ++k) Out[k] = p[k];
  while (i < n) {
    char32_t cp;
    i += detail::DecodeUtf8Char(p + i, n - i, cp);
    detail::AppendUtf16(Out, cp);
  }
}

// Writes the UTF-8 of Count characters to Out (room for 3 bytes each) and returns the byte
// count, or kNone for an unpaired surrogate that stands for no byte.
std::size_t EncodeUtf8(const char16_t* Chars, std::size_t Count, char* Out) {
  char* o = Out;
  for (std::size_t i = 0; i < Count; ++i) {
    char32_t cp = Chars[i];
    if (cp < 0x80) {
      *o++ = static_cast<char>(cp);
      continue;
    }
    if (IsHighSurrogate(Chars[i]) && i + 1 < Count && IsLowSurrogate(Chars[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (Chars[i + 1] - 0xDC00);
      ++i;
    } else if (IsEscapedByte(Chars[i])) {
      *o++ = static_cast<char>(cp - 0xDC00);
      continue;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      return kNone;
    }
    o += detail::EncodeUtf8Char(cp, o);
  }
  return static_cast<std::size_t>(o - Out);
}

// Writes the Windows-1252 bytes of Count characters to Out and returns Count, or kNone when
// one of them has no byte there.
std::size_t EncodeAnsi(const char16_t* Chars, std::size_t Count, char* Out) {
  detail::NarrowToAnsi(Chars, Count, Out);
  // A character without a byte became '?': only a real '?' may stand there.
  for (const char* q = Out; (q = static_cast<const char*>(std::memchr(q, '?', Out + Count - q)));
       ++q) {
    if (Chars[q - Out] != u'?') return kNone;
  }
  return Count;
}

// The first character of Text that the encoding cannot hold, or kNone.
std::size_t FirstUnholdable(StringView Text, bool Utf8) {
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    if (Utf8) {
      if (c < 0xD800 || c > 0xDFFF || IsEscapedByte(c)) continue;
      if (IsHighSurrogate(c) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1])) {
        ++i;
        continue;
      }
      return i;
    }
    if (c < 0x80) continue;  // ASCII is the same in Windows-1252
    unsigned char b;
    if (!CharToAnsiCharExact(c, b)) return i;
  }
  return kNone;
}

String UnholdableMessage(char16_t Ch, bool Utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  String code = u"U+";
  for (int shift = 12; shift >= 0; shift -= 4) code.push_back(kHex[(Ch >> shift) & 0xF]);
  return IOErrorText(ioWriteError) + u": the character " + code + u" cannot be stored in " +
         (Utf8 ? u"UTF-8 (an unpaired surrogate)" : u"Windows-1252");
}

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

bool TextNeedsUtf8(StringView Text) { return FirstUnholdable(Text, false) != kNone; }

TFileVar::~TFileVar() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
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

bool TFileVar::Fail(int Code, const String& Message) {
  if (FErrorMode == iemRaise)
    throw EInOutError(Message.empty() ? IOErrorText(Code) : Message, Code);
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

bool TFileVar::OpenWith(int Flags) {
  if (!Ready()) return false;
  if (!CloseHandle()) return Fail(ioWriteError);
  if (!FAssigned) return Fail(ioNotAssigned);
  std::string path;
  if (!NativeName(FName, (Flags & O_CREAT) != 0, path)) return false;
  // The file is emptied only once the share claim below is granted.
  const bool truncate = (Flags & O_TRUNC) != 0;
  Flags &= ~O_TRUNC;
  const int fd =
      (Flags & O_CREAT) != 0
          ? OpenToCreate(path, Flags | O_CLOEXEC)
          : detail::RetryOnEintr([&] { return ::open(path.c_str(), Flags | O_CLOEXEC, 0666); });
  if (fd < 0) return Fail(CodeFromErrno(errno, path));
  // A folder opens for reading only (writing it fails with EISDIR): refuse it here.
  struct stat st {};
  const bool statted = ::fstat(fd, &st) == 0;
  if ((Flags & O_ACCMODE) == O_RDONLY && statted && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Fail(ioAccessDenied);
  }
  int err = detail::ClaimShare(fd, (Flags & O_ACCMODE) != O_WRONLY, (Flags & O_ACCMODE) != O_RDONLY,
                               (Flags & O_CREAT) != 0 ? 0 : detail::EffectiveFileMode() & 0xF0);
  if (err == 0 && truncate && statted && S_ISREG(st.st_mode) &&
      detail::RetryOnEintr([&] { return ::ftruncate(fd, 0); }) != 0) {
    err = errno;
  }
  if (err != 0) {
    ::close(fd);
    return Fail(CodeFromErrno(err, path));
  }
  FFd = fd;
  return true;
}

bool TFileVar::CloseHandle() {
  if (FFd < 0) return true;
  const bool written = WriteBuffered();
  const bool closed = ::close(FFd) == 0 || errno == EINTR;
  FFd = -1;
  return written && closed;
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

TextFile::~TextFile() {
  if (FFd < 0 || FMode != mOutput) return;
  if (!WriteBuffered()) {
    // A destructor cannot report in either error mode; say so rather than lose text unseen.
    std::fprintf(stderr, "kez: text could not be written to \"%s\": %s\n",
                 StringToUtf8(FName).c_str(), std::strerror(errno));
  }
  FEnd = 0;
}

TTextEncoding TextFile::Encoding() {
  if (FFd < 0) return FEncoding;
  if (FMode == mInput && !FBOMChecked && Ready()) DetectBOM();
  if (!FUtf8) return teAnsi;
  return FEncoding == teUtf8NoBOM ? teUtf8NoBOM : teUtf8;
}

void TextFile::Open(int Flags, Mode NewMode) {
  if (!Ready()) return;  // a pending error leaves the file as it is
  if (FFd >= 0) {
    Close();  // text the file could not store is reported first
    if (!Ready()) return;
  }
  FMode = mClosed;
  if (!OpenWith(Flags)) return;
  FMode = NewMode;
  if (FCap != kBufferSize) {
    FBuf = std::make_unique<char[]>(kBufferSize);
    FCap = kBufferSize;
  }
  FPos = FEnd = 0;
  FPendingChar = 0;
  FUtf8 = FEncoding != teAnsi;
  FBOMChecked = NewMode != mInput;
  if (NewMode != mOutput) return;
  if ((Flags & O_APPEND) == 0) {
    if (FEncoding == teUtf8) PutBytes(std::string_view(kBOM, 3));
    return;
  }
  struct stat st {};
  const bool regular = ::fstat(FFd, &st) == 0 && S_ISREG(st.st_mode);
  if (regular && st.st_size == 0) {
    if (FEncoding == teUtf8) PutBytes(std::string_view(kBOM, 3));
  } else if (regular) {
    // Text in the wrong encoding must never be added: a start that cannot be read fails
    // the open.
    if (const int err = ReadAppendBOM(); err != 0) {
      ::close(FFd);
      FFd = -1;
      FMode = mClosed;
      Fail(CodeFromErrno(err, std::string()));
    }
  }
}

bool TextFile::StartInUtf8() {
  if (FMode != mOutput || !Ready()) return false;
  if (FUtf8) return true;
  struct stat st {};
  if (FEnd != 0 || FPendingChar != 0 || ::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size != 0)
    return false;
  FUtf8 = true;
  PutBytes(std::string_view(kBOM, 3));
  return true;
}

int TextFile::ReadAppendBOM() {
  // The file is open for writing only: look at its start through a reading handle of the
  // same file. Where the process may not read the file, the chosen encoding stands.
  const std::string self = "/proc/self/fd/" + std::to_string(FFd);
  const int fd = detail::RetryOnEintr([&] { return ::open(self.c_str(), O_RDONLY | O_CLOEXEC); });
  if (fd < 0) return errno == EACCES || errno == EPERM ? 0 : errno;
  char head[3];
  std::size_t got = 0;
  int err = 0;
  while (got < sizeof head) {
    const ssize_t n = ::pread(fd, head + got, sizeof head - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err = errno;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (got == sizeof head && std::memcmp(head, kBOM, 3) == 0) FUtf8 = true;
  return err;
}

void TextFile::DetectBOM() {
  FBOMChecked = true;
  if (!Fill(3)) return;
  if (FEnd - FPos >= 3 && std::memcmp(FBuf.get() + FPos, kBOM, 3) == 0) {
    FPos += 3;
    FUtf8 = true;
  }
}

void TextFile::Reset() { Open(O_RDONLY, mInput); }

void TextFile::Rewrite() { Open(O_WRONLY | O_CREAT | O_TRUNC, mOutput); }

void TextFile::Append() { Open(O_WRONLY | O_APPEND, mOutput); }

bool TextFile::WriteBuffered() {
  if (FMode != mOutput) return true;
  bool ok = FPendingChar == 0;  // the first half of a character was never completed
  FPendingChar = 0;
  if (FEnd > 0) {
    ok = WriteAll(FFd, FBuf.get(), FEnd) == FEnd && ok;
    FEnd = 0;
  }
  return ok;
}

void TextFile::Close() {
  if (!Ready() || FFd < 0) return;
  const bool wasOutput = FMode == mOutput;
  const bool ok = CloseHandle();
  FMode = mClosed;
  FPos = FEnd = 0;
  if (FCap > kBufferSize) {  // a buffer grown by a long line is not kept
    FBuf.reset();
    FCap = 0;
  }
  if (!ok && wasOutput) Fail(ioWriteError);
}

bool TextFile::FlushBuffer() {
  if (FEnd == 0) return true;
  const bool ok = WriteAll(FFd, FBuf.get(), FEnd) == FEnd;
  FEnd = 0;
  return ok || Fail(ioWriteError);
}

void TextFile::Flush() {
  if (!Ready() || FMode != mOutput) return;
  FlushBuffer();
}

bool TextFile::CheckInput() {
  if (!Ready()) return false;
  if (FFd < 0) return Fail(ioNotOpen);
  if (FMode != mInput) return Fail(ioNotOpenForInput);
  if (!FBOMChecked) DetectBOM();
  return Ready();
}

bool TextFile::CheckOutput() {
  if (!Ready()) return false;
  if (FFd < 0) return Fail(ioNotOpen);
  if (FMode != mOutput) return Fail(ioNotOpenForOutput);
  return true;
}

bool TextFile::Fill(std::size_t Want) {
  while (FEnd - FPos < Want) {
    if (FPos > 0) {
      std::memmove(FBuf.get(), FBuf.get() + FPos, FEnd - FPos);
      FEnd -= FPos;
      FPos = 0;
    }
    if (FEnd == FCap) {  // a line longer than the buffer
      auto bigger = std::make_unique<char[]>(FCap * 2);
      std::memcpy(bigger.get(), FBuf.get(), FEnd);
      FBuf = std::move(bigger);
      FCap *= 2;
    }
    // Every call asks the file again: a reader at the end sees what was appended since.
    const ssize_t n = ReadSome(FFd, FBuf.get() + FEnd, FCap - FEnd);
    if (n < 0) return Fail(ioReadError);
    if (n == 0) return true;
    FEnd += static_cast<std::size_t>(n);
  }
  return true;
}

int TextFile::PeekByte() {
  if (FPos == FEnd && (!Fill(1) || FPos == FEnd)) return EOF;
  return static_cast<unsigned char>(FBuf[FPos]);
}

int TextFile::GetByte() {
  const int c = PeekByte();
  if (c != EOF) ++FPos;
  return c;
}

bool TextFile::ReadLine(std::string_view& Line) {
  if (!CheckInput()) return false;
  if (FCap > kLargeBuffer && FEnd - FPos <= kBufferSize) {
    // The buffer grown by a very long line is given back.
    auto normal = std::make_unique<char[]>(kBufferSize);
    std::memcpy(normal.get(), FBuf.get() + FPos, FEnd - FPos);
    FBuf = std::move(normal);
    FCap = kBufferSize;
    FEnd -= FPos;
    FPos = 0;
  }
  std::size_t scanned = 0;
  for (;;) {
    const char* begin = FBuf.get() + FPos;
    const std::size_t have = FEnd - FPos;
    if (const auto* lf =
            static_cast<const char*>(std::memchr(begin + scanned, '\n', have - scanned))) {
      std::size_t length = static_cast<std::size_t>(lf - begin);
      FPos += length + 1;
      if (length > 0 && begin[length - 1] == '\r') --length;
      Line = std::string_view(begin, length);
      return true;
    }
    scanned = have;
    if (!Fill(have + 1)) return false;
    if (FEnd - FPos == have) {  // the last line has no line end
      if (have == 0) return false;
      Line = std::string_view(FBuf.get() + FPos, have);
      FPos = FEnd;
      return true;
    }
  }
}

void TextFile::ReadLnAnsi(AnsiString& Line) {
  Line.clear();
  std::string_view line;
  if (ReadLine(line)) Line.assign(line);
}

void TextFile::ReadLn(String& Line) {
  std::string_view line;
  if (ReadLine(line)) {
    DecodeText(line, Line);  // into the text's own room: no allocation per line
  } else {
    Line.clear();
  }
}

void TextFile::ReadLn() {
  std::string_view line;
  ReadLine(line);
}

std::int64_t TextFile::ReadBlock(void* Buffer, std::int64_t Count) {
  if (!CheckInput() || Count <= 0) return 0;
  if (FPos == FEnd && !Fill(1)) return 0;
  const auto n = static_cast<std::size_t>(std::min<std::int64_t>(Count, FEnd - FPos));
  std::memcpy(Buffer, FBuf.get() + FPos, n);
  FPos += n;
  return static_cast<std::int64_t>(n);
}

char16_t TextFile::ReadChar() {
  if (!CheckInput()) return u'\x1A';
  if (FPendingChar != 0) {
    const char16_t c = FPendingChar;
    FPendingChar = 0;
    return c;
  }
  if (!FUtf8) {
    const int c = GetByte();
    return c == EOF ? u'\x1A' : AnsiCharToChar(static_cast<unsigned char>(c));
  }
  // Only the bytes the lead byte asks for are waited for (a terminal gives no more).
  const int lead = PeekByte();
  if (lead == EOF) return u'\x1A';
  const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (FEnd - FPos < length && !Fill(length)) return u'\x1A';
  char32_t cp;
  FPos += detail::DecodeUtf8Char(reinterpret_cast<const unsigned char*>(FBuf.get() + FPos),
                                 FEnd - FPos, cp);
  if (cp < 0x10000) return static_cast<char16_t>(cp);
  cp -= 0x10000;
  FPendingChar = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  return static_cast<char16_t>(0xD800 + (cp >> 10));
}

std::int32_t TextFile::ReadInteger() {
  if (!CheckInput()) return 0;
  const auto isBlank = [](int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  int c = PeekByte();
  while (isBlank(c)) {
    ++FPos;
    c = PeekByte();
  }
  if (c == EOF) return 0;
  std::string token;
  while (c != EOF && !isBlank(c)) {
    token.push_back(static_cast<char>(c));
    ++FPos;
    c = PeekByte();
  }
  // Only plain decimal digits with an optional sign count as a number here.
  std::size_t i = (token[0] == '+' || token[0] == '-') ? 1 : 0;
  bool digitsOnly = i < token.size();
  for (; i < token.size(); ++i) digitsOnly = digitsOnly && token[i] >= '0' && token[i] <= '9';
  std::int32_t value = 0;
  if (!digitsOnly || !TryStrToInt(AnsiToString(token), value)) {
    Fail(ioInvalidNumeric);
    return 0;
  }
  return value;
}

bool TextFile::Eof() {
  if (!Ready()) return true;
  if (FFd < 0) {
    Fail(ioNotOpen);
    return true;
  }
  if (FMode != mInput) return true;
  if (!FBOMChecked) DetectBOM();
  if (FPendingChar != 0) return false;
  return PeekByte() == EOF;
}

std::int64_t TextFile::RemainingBytes() {
  if (!Ready() || FFd < 0 || FMode != mInput) return 0;
  if (!FBOMChecked) DetectBOM();
  struct stat st {};
  // A regular file of size 0 may hold bytes all the same (/proc files report 0).
  if (::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return kRemainingUnknown;
  const off_t pos = ::lseek(FFd, 0, SEEK_CUR);
  if (pos < 0) return kRemainingUnknown;
  const auto buffered = static_cast<std::int64_t>(FEnd - FPos);
  return std::max<std::int64_t>(st.st_size - pos, 0) + buffered;
}

bool TextFile::MayAnnounce(std::int64_t Count, std::int64_t ItemBytes) {
  if (Count < 0) return false;
  const std::int64_t remaining = RemainingBytes();
  if (remaining != kRemainingUnknown) return Count <= remaining;
  if (!Ready() || FFd < 0 || FMode != mInput) return false;
  return Count <= kReadBudget / std::max<std::int64_t>(ItemBytes, 1);
}

bool TextFile::EoLn() {
  if (!CheckInput()) return true;
  const int c = PeekByte();
  if (c != '\r') return c == EOF || c == '\n';
  // A CR ends the line only before an LF.
  if (!Fill(2)) return true;
  return FEnd - FPos >= 2 && FBuf[FPos + 1] == '\n';
}

void TextFile::PutBytes(std::string_view Bytes) {
  if (Bytes.size() <= FCap - FEnd) {
    std::memcpy(FBuf.get() + FEnd, Bytes.data(), Bytes.size());
    FEnd += Bytes.size();
    return;
  }
  if (!FlushBuffer()) return;
  if (Bytes.size() < FCap) {
    std::memcpy(FBuf.get(), Bytes.data(), Bytes.size());
    FEnd = Bytes.size();
  } else if (WriteAll(FFd, Bytes.data(), Bytes.size()) != Bytes.size()) {
    Fail(ioWriteError);
  }
}

void TextFile::WriteAnsi(std::string_view Bytes) {
  if (CheckOutput()) PutBytes(Bytes);
}

void TextFile::PutText(StringView Text, std::string_view Tail) {
  if (!CheckOutput()) return;
  if (FPendingChar != 0) {  // the first half of a character, and no second half follows
    const char16_t first = FPendingChar;
    FPendingChar = 0;
    Fail(ioWriteError, UnholdableMessage(first, FUtf8));
    return;
  }
  const std::size_t perChar = FUtf8 ? 3 : 1;
  // A text that goes out in several pieces is checked whole first, so that a character the
  // file cannot hold stops it before any piece reaches the file; one that fits the buffer
  // is checked as it is converted and taken back.
  if (Text.size() > (FCap - FEnd) / perChar) {
    const std::size_t bad = FirstUnholdable(Text, FUtf8);
    if (bad != kNone) {
      Fail(ioWriteError, UnholdableMessage(Text[bad], FUtf8));
      return;
    }
  }
  const std::size_t start = FEnd;
  std::size_t done = 0;
  while (done < Text.size()) {
    const std::size_t left = Text.size() - done;
    if ((FCap - FEnd) / perChar < std::min<std::size_t>(left, 2)) {
      if (!FlushBuffer()) return;
    }
    std::size_t n = std::min(left, (FCap - FEnd) / perChar);
    if (n < left && IsHighSurrogate(Text[done + n - 1])) --n;  // keep a pair together
    char* out = FBuf.get() + FEnd;
    const std::size_t bytes =
        FUtf8 ? EncodeUtf8(Text.data() + done, n, out) : EncodeAnsi(Text.data() + done, n, out);
    if (bytes == kNone) {
      FEnd = start;
      Fail(ioWriteError,
           UnholdableMessage(Text[done + FirstUnholdable(Text.substr(done, n), FUtf8)], FUtf8));
      return;
    }
    FEnd += bytes;
    done += n;
  }
  if (!Tail.empty()) PutBytes(Tail);
}

bool TextFile::EncodeText(StringView Text, std::string& Bytes) const {
  const std::size_t old = Bytes.size();
  Bytes.resize(old + Text.size() * (FUtf8 ? 3 : 1));
  const std::size_t n = FUtf8 ? EncodeUtf8(Text.data(), Text.size(), Bytes.data() + old)
                              : EncodeAnsi(Text.data(), Text.size(), Bytes.data() + old);
  Bytes.resize(n == kNone ? old : old + n);
  return n != kNone;
}

void TextFile::DecodeText(std::string_view Bytes, String& Text) const {
  if (FUtf8) {
    AssignUtf8(Text, Bytes);
  } else {
    detail::AssignAnsi(Text, Bytes);
  }
}

void TextFile::Write(StringView Text) { PutText(Text, {}); }

void TextFile::Write(char16_t Ch) {
  if (FUtf8 && FPendingChar == 0 && IsHighSurrogate(Ch)) {
    if (CheckOutput()) FPendingChar = Ch;  // the second half comes with the next call
    return;
  }
  if (FPendingChar != 0 && IsLowSurrogate(Ch)) {
    const char16_t pair[2] = {FPendingChar, Ch};
    FPendingChar = 0;
    PutText(StringView(pair, 2), {});
    return;
  }
  PutText(StringView(&Ch, 1), {});
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

void TextFile::WriteLn(StringView Text) { PutText(Text, "\r\n"); }

// ---- UntypedFile -----------------------------------------------------------------------

UntypedFile::~UntypedFile() = default;

void UntypedFile::Reset() {
  FPeeked = -1;
  switch (detail::EffectiveFileMode() & 3) {
    case 0:
      OpenWith(O_RDONLY);
      break;
    case 1:
      OpenWith(O_WRONLY);
      break;
    default:
      OpenWith(O_RDWR);
      break;
  }
}

void UntypedFile::Rewrite() {
  FPeeked = -1;
  OpenWith(O_RDWR | O_CREAT | O_TRUNC);
}

void UntypedFile::Close() {
  if (!Ready() || FFd < 0) return;
  if (!CloseHandle()) Fail(ioWriteError);
}

std::int64_t UntypedFile::BlockRead(void* Buffer, std::int64_t Count) {
  if (!Ready()) return 0;
  if (FFd < 0) return Fail(ioNotOpen), 0;
  if (Count <= 0) return 0;
  auto* out = static_cast<char*>(Buffer);
  std::int64_t done = 0;
  if (FPeeked >= 0) {
    out[done++] = static_cast<char>(FPeeked);
    FPeeked = -1;
  }
  while (done < Count) {
    const ssize_t n = ReadSome(FFd, out + done, static_cast<std::size_t>(Count - done));
    if (n < 0) {
      Fail(ioReadError);
      break;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

std::int64_t UntypedFile::BlockWrite(const void* Buffer, std::int64_t Count) {
  if (!Ready()) return 0;
  if (FFd < 0) return Fail(ioNotOpen), 0;
  if (Count <= 0) return 0;
  if (Count >= kLongWrite && !detail::RoomFor(FFd, ::lseek(FFd, 0, SEEK_CUR), Count)) {
    Fail(ioWriteError);
    return 0;
  }
  const std::size_t n =
      WriteAll(FFd, static_cast<const char*>(Buffer), static_cast<std::size_t>(Count));
  if (n < static_cast<std::size_t>(Count)) Fail(ioWriteError);
  return static_cast<std::int64_t>(n);
}

std::int64_t UntypedFile::FileSize() {
  if (!Ready()) return 0;
  if (FFd < 0) return Fail(ioNotOpen), 0;
  struct stat st {};
  if (::fstat(FFd, &st) != 0) return 0;
  return st.st_size;
}

bool UntypedFile::Eof() {
  if (!Ready()) return true;
  if (FFd < 0) return Fail(ioNotOpen), true;
  if (FPeeked >= 0) return false;
  struct stat st {};
  const off_t pos = ::lseek(FFd, 0, SEEK_CUR);
  if (::fstat(FFd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && pos >= 0) {
    return pos >= st.st_size;
  }
  // No size to go by: the next byte tells.
  unsigned char byte = 0;
  const ssize_t n = ReadSome(FFd, reinterpret_cast<char*>(&byte), 1);
  if (n < 0) return Fail(ioReadError), true;
  if (n == 0) return true;
  FPeeked = byte;
  return false;
}

}  // namespace kez
