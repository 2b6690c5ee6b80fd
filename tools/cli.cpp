// Shared parts of the kez tool: registration, messages, text conversion, files.
#include "cli.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kez::tool {

namespace {

std::function<int()>& PendingRun() {
  static std::function<int()> run;
  return run;
}

[[noreturn]] void FailErrno(const std::string& Name, int Err) {
  throw Failure(Name + ": " + std::strerror(Err));
}

std::string Shown(const std::string& Name) { return IsStdin(Name) ? "-" : Name; }

// The number of characters of UTF-8 text (continuation bytes do not count).
std::size_t Utf8Width(std::string_view s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

void OnRun(CLI::App* Cmd, std::function<int()> Run) {
  Cmd->callback([Run = std::move(Run)] { PendingRun() = Run; });
}

std::function<int()> TakePendingRun() { return std::exchange(PendingRun(), {}); }

void Warn(const std::string& Message) { std::fprintf(stderr, "kez: %s\n", Message.c_str()); }

bool IsValidUtf8(std::string_view Bytes) {
  std::size_t i = 0;
  const std::size_t n = Bytes.size();
  while (i < n) {
    const auto b = static_cast<unsigned char>(Bytes[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::size_t len;
    std::uint32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2, cp = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3, cp = b & 0x0Fu;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4, cp = b & 0x07u;
    } else {
      return false;
    }
    if (n - i < len) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(Bytes[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3Fu);
    }
    if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return false;
    }
    i += len;
  }
  return true;
}

String DecodeText(std::string_view Bytes) {
  return IsValidUtf8(Bytes) ? Utf8ToString(Bytes) : AnsiToString(Bytes);
}

std::string U8(StringView Text) { return StringToUtf8(Text); }
String Arg(const std::string& Text) { return DecodeText(Text); }

void Print(std::string_view Bytes) {
  if (!Bytes.empty()) std::fwrite(Bytes.data(), 1, Bytes.size(), stdout);
}
void PrintLn(std::string_view Bytes) {
  Print(Bytes);
  std::fputc('\n', stdout);
}
void PrintLn(StringView Text) { PrintLn(std::string_view(U8(Text))); }

void PrintTable(const std::vector<std::vector<std::string>>& Rows,
                const std::vector<bool>& RightAligned) {
  std::vector<std::size_t> widths;
  for (const auto& row : Rows) {
    if (row.size() > widths.size()) widths.resize(row.size(), 0);
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Utf8Width(row[c]));
  }
  for (const auto& row : Rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::string pad(widths[c] - Utf8Width(row[c]), ' ');
      const bool right = c < RightAligned.size() && RightAligned[c];
      if (c > 0) line += "  ";
      line += right ? pad + row[c] : row[c] + pad;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    PrintLn(std::string_view(line));
  }
}

// ---- InputFile ---------------------------------------------------------------------------

InputFile::InputFile(const std::string& Name) : FName(Shown(Name)) {
  if (IsStdin(Name)) {
    FFile = stdin;
  } else {
    FFile = std::fopen(Name.c_str(), "rb");
    if (FFile == nullptr) FailErrno(FName, errno);
    FOwned = true;
  }
  struct stat st {};
  if (fstat(fileno(FFile), &st) == 0 && S_ISDIR(st.st_mode)) {
    if (FOwned) std::fclose(FFile);
    FailErrno(FName, EISDIR);
  }
}

InputFile::~InputFile() {
  std::free(FLineBuf);
  if (FOwned) std::fclose(FFile);
}

void InputFile::CheckError() {
  if (std::ferror(FFile)) FailErrno(FName, errno != 0 ? errno : EIO);
}

std::size_t InputFile::Read(void* Buffer, std::size_t Count) {
  errno = 0;
  const std::size_t got = std::fread(Buffer, 1, Count, FFile);
  if (got < Count) CheckError();
  return got;
}

bool InputFile::ReadLine(std::string& Line) {
  errno = 0;
  const ssize_t got = getline(&FLineBuf, &FLineCap, FFile);
  if (got < 0) {
    CheckError();
    return false;
  }
  std::size_t len = static_cast<std::size_t>(got);
  if (len > 0 && FLineBuf[len - 1] == '\n') --len;
  Line.assign(FLineBuf, len);
  return true;
}

std::string InputFile::ReadAll() {
  std::string all;
  char buf[65536];
  while (const std::size_t got = Read(buf, sizeof buf)) all.append(buf, got);
  return all;
}

// ---- OutputFile --------------------------------------------------------------------------

OutputFile::OutputFile(const std::string& Name) : FName(Shown(Name)) {
  if (IsStdin(Name)) {
    FFile = stdout;
    return;
  }
  struct stat st {};
  if (stat(Name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) FailErrno(FName, EISDIR);
  // The temporary name ends with the whole name, so that writers that go by the extension
  // (PNG or BMP) write what the final name asks for.
  const std::size_t slash = Name.find_last_of('/');
  const std::string base = slash == std::string::npos ? Name : Name.substr(slash + 1);
  FTempName = Name.substr(0, Name.size() - base.size()) + ".kez-XXXXXX-" + base;
  const int fd = mkstemps(FTempName.data(), static_cast<int>(base.size() + 1));
  if (fd < 0) FailErrno(FName, errno);
  // mkstemp makes the file private; give it the mode a new file of the user gets.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  FFile = fdopen(fd, "wb");
  if (FFile == nullptr) {
    const int err = errno;
    close(fd);
    unlink(FTempName.c_str());
    FailErrno(FName, err);
  }
  FOwned = true;
}

OutputFile::~OutputFile() {
  if (FOwned && FFile != nullptr) {
    std::fclose(FFile);
    unlink(FTempName.c_str());
  }
}

void OutputFile::Write(std::string_view Bytes) {
  if (Bytes.empty()) return;
  if (std::fwrite(Bytes.data(), 1, Bytes.size(), FFile) != Bytes.size()) {
    FailErrno(FName, errno != 0 ? errno : EIO);
  }
}

void OutputFile::WriteByName(const std::function<void(const String& Path)>& Writer,
                             const std::string& Suffix) {
  if (FOwned) {
    Writer(Utf8ToString(FTempName));
    return;
  }
  const char* tmpdir = std::getenv("TMPDIR");
  std::string temp =
      std::string(tmpdir != nullptr && *tmpdir != 0 ? tmpdir : "/tmp") + "/kez-out-XXXXXX" + Suffix;
  const int fd = mkstemps(temp.data(), static_cast<int>(Suffix.size()));
  if (fd < 0) FailErrno(temp, errno);
  close(fd);
  try {
    Writer(Utf8ToString(temp));
    InputFile in(temp);
    char buf[65536];
    while (const std::size_t got = in.Read(buf, sizeof buf)) Write(std::string_view(buf, got));
  } catch (...) {
    unlink(temp.c_str());
    throw;
  }
  unlink(temp.c_str());
}

void OutputFile::Commit() {
  if (!FOwned) {
    if (std::fflush(FFile) != 0) FailErrno(FName, errno);
    return;
  }
  std::FILE* f = std::exchange(FFile, nullptr);
  const bool ok = std::fflush(f) == 0 && fsync(fileno(f)) == 0;
  const int err = errno;
  if (std::fclose(f) != 0 || !ok) {
    unlink(FTempName.c_str());
    FailErrno(FName, ok ? errno : err);
  }
  if (std::rename(FTempName.c_str(), FName.c_str()) != 0) {
    const int renameErr = errno;
    unlink(FTempName.c_str());
    FailErrno(FName, renameErr);
  }
  FOwned = false;
}

// ---- Streams -----------------------------------------------------------------------------

std::int64_t InputStream::Read(void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  const auto got = static_cast<std::int64_t>(FIn.Read(Buffer, static_cast<std::size_t>(Count)));
  FPos += got;
  return got;
}

std::int64_t InputStream::Write(const void*, std::int64_t) { return 0; }
std::int64_t InputStream::Seek(std::int64_t, TSeekOrigin) { return FPos; }

std::int64_t OutputStream::Read(void*, std::int64_t) { return 0; }

std::int64_t OutputStream::Write(const void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  FOut.Write(std::string_view(static_cast<const char*>(Buffer), static_cast<std::size_t>(Count)));
  FPos += Count;
  return Count;
}

std::int64_t OutputStream::Seek(std::int64_t, TSeekOrigin) { return FPos; }

// ---- LocalFile ---------------------------------------------------------------------------

void CheckReadableFile(const std::string& Name) {
  struct stat st {};
  if (stat(Name.c_str(), &st) != 0) FailErrno(Name, errno);
  if (S_ISDIR(st.st_mode)) FailErrno(Name, EISDIR);
  if (!S_ISREG(st.st_mode)) throw Failure(Name + ": not a regular file");
  if (access(Name.c_str(), R_OK) != 0) FailErrno(Name, errno);
}

LocalFile::LocalFile(const std::string& Name) {
  if (!IsStdin(Name)) {
    CheckReadableFile(Name);
    FPath = Utf8ToString(Name);
    return;
  }
  const char* tmpdir = std::getenv("TMPDIR");
  FTemp = std::string(tmpdir != nullptr && *tmpdir != 0 ? tmpdir : "/tmp") + "/kez-stdin-XXXXXX";
  const int fd = mkstemp(FTemp.data());
  if (fd < 0) FailErrno(FTemp, errno);
  InputFile in("-");
  char buf[65536];
  bool ok = true;
  while (const std::size_t got = in.Read(buf, sizeof buf)) {
    if (write(fd, buf, got) != static_cast<ssize_t>(got)) {
      ok = false;
      break;
    }
  }
  const int err = errno;
  close(fd);
  if (!ok) {
    unlink(FTemp.c_str());
    FailErrno(FTemp, err);
  }
  FPath = Utf8ToString(FTemp);
}

LocalFile::~LocalFile() {
  if (!FTemp.empty()) unlink(FTemp.c_str());
}

}  // namespace kez::tool
