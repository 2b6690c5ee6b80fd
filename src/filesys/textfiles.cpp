// Text files as a whole: encoding check, line-end repair, appending, last lines, counting,
// searching, words and sizes.
#include "kez/filesys/textfiles.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "filesys/linescan.hpp"
#include "filesys/readfull.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/safesave.hpp"
#include "kez/platform/sysutils.hpp"
#include "platform/retry.hpp"
#include "platform/sharemode.hpp"
#include "stringl/chars_internal.hpp"

namespace kez {

namespace {

constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

std::int32_t Saturated(std::int64_t Value) {
  return static_cast<std::int32_t>(std::min(Value, kMaxInt32));
}

// A text file opened for reading that is closed when the function leaves, also through an
// exception.
class InputFile {
 public:
  explicit InputFile(StringView FileName) : FFile(FileName) { FFile.Reset(); }
  ~InputFile() {
    try {
      FFile.Close();
    } catch (const Exception&) {  // a read-only file has nothing left to report
    }
  }
  TextFile& File() { return FFile; }

 private:
  TextFile FFile;
};

// The lines of F from its position on, each handed to Visit, counted (also past 32 bits).
template <typename Fn>
std::int64_t ForEachLine(TextFile& F, Fn&& Visit) {
  std::int64_t count = 0;
  while (!F.Eof()) {
    ++count;
    Visit(count);
  }
  return count;
}

std::int32_t CountLines(TextFile& F, const TFeedbackProc& FeedBack) {
  return Saturated(ForEachLine(F, [&](std::int64_t Count) {
    F.ReadLn();
    if (Count % 1000 == 0 && FeedBack) FeedBack(nullptr, static_cast<double>(Count), 0);
  }));
}

// The result of ReadLastNLinesOfTextFile from the Kept lines (at most N, the last line
// last) of a file of Count lines: empty entries first where the file has fewer than N lines.
// So that a huge N cannot demand memory for empty entries, at most the larger of Count and
// a million entries.
std::vector<String> PadLastLines(std::vector<String> Kept, std::int32_t N, std::int64_t Count) {
  constexpr std::int64_t kPaddingLimit = 1'000'000;
  const std::int64_t entries = std::min<std::int64_t>(N, std::max(Count, kPaddingLimit));
  const auto pad = static_cast<std::size_t>(entries - static_cast<std::int64_t>(Kept.size()));
  Kept.insert(Kept.begin(), pad, String());
  return Kept;
}

std::vector<String> LastLines(TextFile& F, std::int32_t N, std::int32_t& LineCount) {
  // The ring keeps the lines' bytes, reusing their storage; only the kept ones are
  // converted at the end.
  std::vector<AnsiString> ring;
  std::size_t next = 0;
  const std::int64_t count = ForEachLine(F, [&](std::int64_t) {
    if (ring.size() < static_cast<std::size_t>(N)) {
      ring.emplace_back();
      F.ReadLnAnsi(ring.back());
      return;
    }
    F.ReadLnAnsi(ring[next]);
    next = (next + 1) % ring.size();
  });
  LineCount = Saturated(count);
  std::vector<String> kept;
  kept.reserve(ring.size());
  for (std::size_t i = 0; i < ring.size(); ++i) {
    F.DecodeText(ring[(next + i) % ring.size()], kept.emplace_back());
  }
  return PadLastLines(std::move(kept), N, count);
}

// Where a text of the file lies: stat of the native name, following links.
bool StatFile(StringView FileName, struct stat& St) {
  if (FileNameFault(FileName) != nfNone) return false;
  return ::stat(NativeFileName(FileName).c_str(), &St) == 0;
}

// Whether a named file can be read in blocks beside the text-file layer: a name the layer
// takes, of a file that does not start with a UTF-8 byte-order mark (such a file is decoded
// by the layer). Seekable asks for a regular file as well. Without an open Input the answer
// comes from the name alone: a FIFO must not be opened and closed again before it is read,
// or its writer is left without a reader and dies of SIGPIPE.
bool ReadsInBlocks(StringView FileName, const detail::BlockInput* Input, bool Seekable) {
  if (Input == nullptr) {
    struct stat st {};
    return FileNameFault(FileName) == nfNone &&
           (!Seekable || (StatFile(FileName, st) && S_ISREG(st.st_mode)));
  }
  if (Seekable && !Input->Seekable()) return false;
  if (!Input->Seekable()) return true;
  char bom[3] = {};
  return detail::ReadAt(Input->Fd(), bom, 3, 0) != 3 || std::memcmp(bom, "\xEF\xBB\xBF", 3) != 0;
}

// Converts the bytes of In so that every CR is followed by LF, handing the result to Out
// in blocks. AfterCR carries a CR that ended the previous block.
template <typename Sink>
void CopyWithCRLF(int In, Sink&& Out) {
  std::vector<char> in(256 * 1024), out;
  out.reserve(2 * in.size() + 1);
  bool afterCR = false;
  for (;;) {
    bool failed = false;
    const std::size_t n = ReadFull(In, in.data(), in.size(), failed);
    if (failed) RaiseIOErrorFromErrno(errno);
    if (n == 0) break;
    out.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const char c = in[i];
      if (afterCR && c != '\n') out.push_back('\n');
      out.push_back(c);
      afterCR = c == '\r';
    }
    Out(out.data(), out.size());
  }
  if (afterCR) Out("\n", 1);
}

// Writes all of Data to Fd at its position; false with errno when the file refuses.
bool WriteAllTo(int Fd, const char* Data, std::size_t Count) {
  while (Count > 0) {
    const ssize_t n = ::write(Fd, Data, Count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    Data += n;
    Count -= static_cast<std::size_t>(n);
  }
  return true;
}

// The conversion where no new file can be made beside the output (a folder the process
// may not write): converted into an unnamed temporary file first, then copied back over
// the output's own contents, so the output keeps its inode.
void ConvertInPlace(int In, StringView OutFile) {
  const char* tmpEnv = std::getenv("TMPDIR");
  const std::string tmpDir = tmpEnv != nullptr && *tmpEnv != '\0' ? tmpEnv : "/tmp";
  const int temp = detail::RetryOnEintr(
      [&] { return ::open(tmpDir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); });
  if (temp < 0) RaiseIOErrorFromErrno(errno);
  const auto closeTemp = [&] { ::close(temp); };
  try {
    CopyWithCRLF(In, [&](const char* Data, std::size_t Count) {
      if (!WriteAllTo(temp, Data, Count)) RaiseIOErrorFromErrno(errno);
    });
    const int out = detail::RetryOnEintr(
        [&] { return ::open(NativeFileName(OutFile).c_str(), O_WRONLY | O_CLOEXEC); });
    if (out < 0) RaiseIOErrorFromErrno(errno);
    // Written in place, the output honours its other holders' share modes as any open does.
    if (const int err = detail::ClaimShare(out, false, true, 0); err != 0) {
      ::close(out);
      RaiseIOErrorFromErrno(err);
    }
    std::vector<char> buf(256 * 1024);
    std::int64_t length = 0;
    bool ok = ::lseek(temp, 0, SEEK_SET) == 0;
    while (ok) {
      bool failed = false;
      const std::size_t n = ReadFull(temp, buf.data(), buf.size(), failed);
      if (failed || n == 0) {
        ok = !failed;
        break;
      }
      ok = WriteAllTo(out, buf.data(), n);
      length += static_cast<std::int64_t>(n);
    }
    const int err = errno;
    if (ok)
      ok =
          detail::RetryOnEintr([&] { return ::ftruncate(out, static_cast<off_t>(length)); }) == 0 &&
          detail::RetryOnEintr([&] { return ::fsync(out); }) == 0;
    const int err2 = ok ? 0 : errno != 0 ? errno : err;
    ::close(out);
    if (!ok) RaiseIOErrorFromErrno(err2);
  } catch (...) {
    closeTemp();
    throw;
  }
  closeTemp();
}

// An append cannot replace the file whole, but a failed one leaves nothing of itself: the
// file is cut back to the length it had (a file the append created is removed again), so
// a full disk never leaves part of a line without its end.
class AppendRollback {
 public:
  explicit AppendRollback(StringView FileName) {
    if (FileNameFault(FileName) != nfNone) return;
    FNative = NativeFileName(FileName);
    // Non-blocking: a FIFO without a reader is not waited for here (it has no length).
    FFd = detail::RetryOnEintr(
        [&] { return ::open(FNative.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); });
    struct stat st {};
    if (FFd >= 0 && ::fstat(FFd, &st) == 0 && S_ISREG(st.st_mode)) {
      FLength = st.st_size;
    } else {
      FMissing = FFd < 0 && errno == ENOENT;
    }
  }
  ~AppendRollback() {
    if (FFd >= 0) ::close(FFd);
  }
  AppendRollback(const AppendRollback&) = delete;
  AppendRollback& operator=(const AppendRollback&) = delete;

  void Undo() {
    if (FLength >= 0) {
      while (::ftruncate(FFd, static_cast<off_t>(FLength)) != 0 && errno == EINTR) {
      }
    } else if (FMissing) {
      ::unlink(FNative.c_str());
    }
  }

 private:
  std::string FNative;
  int FFd = -1;
  std::int64_t FLength = -1;  // -1: not a regular file that existed
  bool FMissing = false;
};

// NeedsUtf8: the lines hold a character Windows-1252 lacks, so a file that holds nothing
// yet is started in UTF-8 (one that holds text keeps its encoding).
void AppendLines(StringView FileName, bool NeedsUtf8, const std::function<void(TextFile&)>& Write) {
  AppendRollback rollback(FileName);
  TextFile f(FileName);
  try {
    f.SetErrorMode(iemDeferred);
    f.Append();
    int code = f.IOResult();
    if (code == ioFileNotFound) {
      // Only a file that is not there is created; an existing one is never truncated.
      f.Rewrite();
      code = f.IOResult();
    }
    if (code != 0) throw EInOutError(IOErrorText(code), code);
    f.SetErrorMode(iemRaise);
    if (NeedsUtf8) f.StartInUtf8();
    Write(f);
    f.Close();
  } catch (...) {
    f.SetErrorMode(iemDeferred);
    f.Close();  // drops what is still buffered; its failure is the one being reported
    (void)f.IOResult();
    rollback.Undo();
    throw;
  }
}

}  // namespace

TTextfileType CheckTextFileType(StringView FileName) {
  const std::string native = NativeFileName(FileName);
  // A FIFO is waited for, as every reader does: its writer may not have written yet.
  const int fd =
      detail::RetryOnEintr([&] { return ::open(native.c_str(), O_RDONLY | O_CLOEXEC); });
  if (fd < 0) RaiseIOErrorFromErrno(errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    RaiseIOErrorFromErrno(EISDIR);
  }
  unsigned char b[4] = {0, 0, 0, 0};
  bool failed = false;  // a failed read leaves the missing bytes at 0
  ReadFull(fd, reinterpret_cast<char*>(b), sizeof b, failed);
  ::close(fd);
  if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return tftUTF8;
  if (b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0) return tftUnicode4_le;
  if (b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF) return tftUnicode4_be;
  if (b[0] == 0xFF && b[1] == 0xFE) return tftUnicode_le;
  if (b[0] == 0xFE && b[1] == 0xFF) return tftUnicode_be;
  if (b[0] == '{' && b[1] == '\\' && b[2] == 'r') return tftRTF;
  return tftUnknown;
}

void EnsureCRLFInFile(StringView InFile, StringView OutFile) {
  if (FileNameFault(InFile) != nfNone) RaiseIOErrorFromErrno(ENOENT);
  const detail::BlockInput input(NativeFileName(InFile));
  // An output the process may not write is refused, as opening it for writing would be,
  // though a new file could take its place.
  if (FileNameFault(OutFile) == nfNone &&
      ::faccessat(AT_FDCWD, NativeFileName(OutFile).c_str(), W_OK, AT_EACCESS) != 0 &&
      errno != ENOENT) {
    RaiseIOErrorFromErrno(errno);
  }
  TFileSaver save(OutFile);
  if (save.Error() == EACCES || save.Error() == EPERM) {
    // No new file can be made beside the output.
    ConvertInPlace(input.Fd(), OutFile);
    return;
  }
  if (save.Error() != 0) RaiseIOErrorFromErrno(save.Error());
  CopyWithCRLF(input.Fd(), [&](const char* Data, std::size_t Count) {
    if (!save.Write(Data, Count)) RaiseIOErrorFromErrno(save.Error());
  });
  if (!save.Commit()) RaiseIOErrorFromErrno(save.Error());
}

void AppendToTextFile(StringView FileName, StringView Line) {
  AppendLines(FileName, TextNeedsUtf8(Line), [&](TextFile& F) { F.WriteLn(Line); });
}

void AppendToTextFile(StringView FileName, const TStringList& Lines) {
  bool needsUtf8 = false;
  for (std::int32_t i = 0; i < Lines.Count() && !needsUtf8; ++i)
    needsUtf8 = TextNeedsUtf8(Lines[i]);
  AppendLines(FileName, needsUtf8, [&](TextFile& F) {
    for (std::int32_t i = 0; i < Lines.Count(); ++i) F.WriteLn(Lines[i]);
  });
}

std::vector<String> ReadLastNLinesOfTextFile(TextFile& F, std::int32_t N, std::int32_t& LineCount) {
  LineCount = 0;
  if (N < 1) return {};
  F.Reset();
  std::vector<String> result = LastLines(F, N, LineCount);
  F.Reset();
  return result;
}

std::vector<String> ReadLastNLinesOfTextFile(StringView FileName, std::int32_t N,
                                             std::int32_t& LineCount) {
  LineCount = 0;
  if (N < 1) return {};
  if (ReadsInBlocks(FileName, nullptr, true)) {
    const detail::BlockInput input(NativeFileName(FileName));
    if (ReadsInBlocks(FileName, &input, true)) {
      const std::int64_t count = detail::CountLines(input.Fd(), nullptr);
      std::vector<String> kept;
      for (const std::string& line : detail::LastLinesOf(input.Fd(), N)) {
        kept.push_back(AnsiToString(line));
      }
      LineCount = Saturated(count);
      return PadLastLines(std::move(kept), N, count);
    }
  }
  InputFile f(FileName);
  return LastLines(f.File(), N, LineCount);
}

std::int32_t CountLinesInTextFile(TextFile& F, const TFeedbackProc& FeedBack) {
  F.Reset();
  const std::int32_t count = CountLines(F, FeedBack);
  F.Reset();
  return count;
}

std::int32_t CountLinesInTextFile(StringView FileName, const TFeedbackProc& FeedBack) {
  if (ReadsInBlocks(FileName, nullptr, false)) {
    const detail::BlockInput input(NativeFileName(FileName));
    std::function<void(std::int64_t)> milestone;
    if (FeedBack) {
      milestone = [&](std::int64_t Count) { FeedBack(nullptr, static_cast<double>(Count), 0); };
    }
    return Saturated(detail::CountLines(input.Fd(), milestone));
  }
  InputFile f(FileName);
  return CountLines(f.File(), FeedBack);
}

std::int32_t DetectStringInFile(StringView FileName, StringView Text, bool IgnoreCase,
                                std::int32_t Limit) {
  if (Text.empty() || Limit < 1) return 0;
  // The lines are searched folded in place, the text folded once.
  const String text = IgnoreCase ? LowerCase(Text) : String(Text);
  const detail::SubstringFinder finder(text, IgnoreCase);
  InputFile f(FileName);
  std::int64_t count = 0;
  String line;
  while (count < Limit && !f.File().Eof()) {
    f.File().ReadLn(line);
    const std::size_t at = finder.Find(line, 0);
    if (at != String::npos) {
      count += static_cast<std::int64_t>(at) + 1;
      return count <= Limit ? static_cast<std::int32_t>(count) : 0;
    }
    count += static_cast<std::int64_t>(line.size());
  }
  return 0;
}

std::int32_t FindFirstMatchInTextFile(StringView FileName, StringView Text, bool IgnoreCase,
                                      String& Line) {
  Line.clear();
  if (Text.empty()) return 0;
  const String text = IgnoreCase ? AnsiLowerCase(Text) : String(Text);
  const detail::SubstringFinder finder(text);
  InputFile f(FileName);
  String line;
  while (!f.File().Eof()) {
    f.File().ReadLn(line);
    const String lowered = IgnoreCase ? AnsiLowerCase(line) : String();
    const std::size_t at = finder.Find(IgnoreCase ? StringView(lowered) : StringView(line), 0);
    if (at != String::npos) {
      Line = line;
      return Saturated(static_cast<std::int64_t>(at) + 1);
    }
  }
  return 0;
}

String ReadNextWordInTextFile(TextFile& F) {
  String word;
  while (!F.Eof()) {
    const char16_t c = F.ReadChar();
    if (c > 32) {
      word.push_back(c);
      break;
    }
  }
  while (!word.empty() && !F.Eof()) {
    const char16_t c = F.ReadChar();
    if (c <= 32) break;
    word.push_back(c);
  }
  return word;
}

std::int32_t GetFileSize(StringView FileName) {
  struct stat st {};
  if (!StatFile(FileName, st)) return -1;
  if (S_ISDIR(st.st_mode)) return 0;
  return Saturated(static_cast<std::int64_t>(st.st_size));
}

}  // namespace kez
