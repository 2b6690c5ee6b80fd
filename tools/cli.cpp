// Shared parts of the kez tool: registration, messages, text conversion, files.
#include "cli.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <atomic>
#include <climits>
#include <cstring>
#include <filesystem>

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

// A message is one line, also when it quotes a name that holds a line break.
void Warn(const std::string& Message) {
  std::string line;
  for (const char c : Message) {
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else {
      line += c;
    }
  }
  std::fprintf(stderr, "kez: %s\n", line.c_str());
}

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

// ---- Arguments ---------------------------------------------------------------------------

namespace {

constexpr char kMarker = '\x1f';

bool NeedsMarker(const std::string& Arg) {
  return (Arg.size() >= 2 && Arg.front() == '[' && Arg.back() == ']') ||
         (!Arg.empty() && Arg.front() == kMarker);
}

}  // namespace

std::vector<std::string> ProtectedArguments(int Argc, char** Argv) {
  std::vector<std::string> args;
  for (int i = Argc - 1; i >= 1; --i) {
    std::string arg = Argv[i];
    args.push_back(NeedsMarker(arg) ? kMarker + arg : std::move(arg));
  }
  return args;
}

void KeepArgumentsVerbatim(CLI::App& App) {
  for (CLI::Option* opt : App.get_options()) {
    opt->transform(
        [](std::string value) {
          if (!value.empty() && value.front() == kMarker) value.erase(0, 1);
          return value;
        },
        std::string(), std::string());
  }
  for (CLI::App* sub : App.get_subcommands([](CLI::App*) { return true; })) {
    KeepArgumentsVerbatim(*sub);
  }
}

std::string WithoutMarkers(std::string Message) {
  std::erase(Message, kMarker);
  return Message;
}

// ---- Names -------------------------------------------------------------------------------

String FileArg(const std::string& Name) { return VerbatimFileName(Name); }

int ForEachFile(const std::vector<std::string>& Names,
                const std::function<void(const std::string& Name)>& Work) {
  const std::vector<std::string> stdinOnly{"-"};
  int status = 0;
  for (const std::string& name : Names.empty() ? stdinOnly : Names) {
    try {
      Work(name);
    } catch (const Failure& e) {
      Warn(e.what());
      status = 1;
    } catch (const kez::Exception& e) {
      Warn(Shown(name) + ": " + e.what());
      status = 1;
    }
  }
  return status;
}

std::string SamplesDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const std::filesystem::path installed =
        exe.parent_path().parent_path() / "share" / "kez" / "samples";
    if (std::filesystem::is_directory(installed, ec)) return installed.string();
  }
  return KEZ_SOURCE_SAMPLES_DIR;
}

// ---- Signals -----------------------------------------------------------------------------

namespace {

constexpr int kTempSlots = 16;
char gTempPath[kTempSlots][PATH_MAX];
volatile sig_atomic_t gTempUsed[kTempSlots];
std::atomic<void (*)()> gStop{nullptr};
constexpr int kHandled[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnSignal(int Signal) {
  if (void (*stop)() = gStop.load()) {
    stop();
    return;
  }
  for (int i = 0; i < kTempSlots; ++i) {
    if (gTempUsed[i] != 0) unlink(gTempPath[i]);
  }
  signal(Signal, SIG_DFL);
  raise(Signal);
}

}  // namespace

void InstallSignalHandlers() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (const int s : kHandled) sigaddset(&sa.sa_mask, s);
  for (const int s : kHandled) {
    struct sigaction old {};
    // A signal the shell set to be ignored (nohup, a background job) stays ignored.
    if (sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(s, &sa, nullptr);
  }
  signal(SIGXFSZ, SIG_IGN);
}

void TempFileMark::Set(const std::string& Path) {
  Clear();
  if (Path.size() >= PATH_MAX) return;
  SignalsHeld held;
  for (int i = 0; i < kTempSlots; ++i) {
    if (gTempUsed[i] == 0) {
      std::memcpy(gTempPath[i], Path.c_str(), Path.size() + 1);
      gTempUsed[i] = 1;
      FSlot = i;
      return;
    }
  }
}

void TempFileMark::Clear() {
  if (FSlot >= 0) gTempUsed[FSlot] = 0;
  FSlot = -1;
}

StopRequest::StopRequest(void (*Stop)()) { gStop.store(Stop); }
StopRequest::~StopRequest() { gStop.store(nullptr); }

SignalsHeld::SignalsHeld() {
  sigset_t set;
  sigemptyset(&set);
  for (const int s : kHandled) sigaddset(&set, s);
  sigprocmask(SIG_BLOCK, &set, &FOld);
}

SignalsHeld::~SignalsHeld() { sigprocmask(SIG_SETMASK, &FOld, nullptr); }

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

bool InputFile::ReadLine(std::string& Line, int Delimiter) {
  errno = 0;
  const ssize_t got = getdelim(&FLineBuf, &FLineCap, Delimiter, FFile);
  if (got < 0) {
    CheckError();
    return false;
  }
  std::size_t len = static_cast<std::size_t>(got);
  if (len > 0 && FLineBuf[len - 1] == static_cast<char>(Delimiter)) --len;
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

namespace {

constexpr std::size_t kOutputBlock = 1 << 16;

// The path of an open descriptor, as the kernel names it.
std::string PathOfDescriptor(int Fd) {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(Fd), ec).string();
}

}  // namespace

OutputFile::OutputFile(const std::string& Name) : FName(Shown(Name)) {
  if (IsStdin(Name)) return;
  // What is not a regular file is opened and written as it is. (/dev/stdout names a pipe
  // through a link that no path resolves, so the opening is left to the kernel.)
  struct stat st {};
  if (stat(Name.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    FDirect = open(Name.c_str(), O_WRONLY | O_CLOEXEC);
    if (FDirect < 0) FailErrno(FName, errno);
    return;
  }
  FSaver = std::make_unique<TFileSaver>(FileArg(Name));
  const int err = FSaver->Error();
  if ((err == EACCES || err == EPERM) && S_ISREG(st.st_mode) && access(Name.c_str(), W_OK) == 0) {
    // The file itself may be written, but it is only ever replaced whole.
    FSaver.reset();
    throw Failure(FName + ": " + std::strerror(err) +
                  " (a file is replaced whole, through a new file beside it, and its folder is "
                  "not writable)");
  }
  if (err != 0) Fail(err);
  if (!FSaver->Direct()) FMark.Set(PathOfDescriptor(FSaver->Handle()));
}

OutputFile::~OutputFile() {
  if (FDirect >= 0) close(FDirect);
}

void OutputFile::Fail(int Err) {
  if (FSaver) FSaver->Abandon();
  FMark.Clear();
  FailErrno(FName, Err);
}

void OutputFile::Flush() {
  if (FBuffer.empty()) return;
  if (FSaver) {
    if (!FSaver->Write(FBuffer.data(), FBuffer.size())) Fail(FSaver->Error());
  } else {
    for (std::size_t done = 0; done < FBuffer.size();) {
      const ssize_t n = write(FDirect, FBuffer.data() + done, FBuffer.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Fail(n < 0 ? errno : EIO);
      done += static_cast<std::size_t>(n);
    }
  }
  FBuffer.clear();
}

void OutputFile::Write(std::string_view Bytes) {
  if (Bytes.empty()) return;
  if (!FSaver && FDirect < 0) {
    if (std::fwrite(Bytes.data(), 1, Bytes.size(), stdout) != Bytes.size()) {
      throw Failure("standard output: " + std::string(std::strerror(errno != 0 ? errno : EIO)));
    }
    return;
  }
  FBuffer.append(Bytes);
  if (FBuffer.size() >= kOutputBlock) Flush();
}

void OutputFile::WriteByName(const std::function<void(const String& Path)>& Writer,
                             const std::string& Suffix) {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string temp =
      std::string(tmpdir != nullptr && *tmpdir != 0 ? tmpdir : "/tmp") + "/kez-out-XXXXXX" + Suffix;
  const int fd = mkstemps(temp.data(), static_cast<int>(Suffix.size()));
  if (fd < 0) FailErrno(temp, errno);
  close(fd);
  TempFileMark mark(temp);
  try {
    Writer(FileArg(temp));
    InputFile in(temp);
    char buf[65536];
    while (const std::size_t got = in.Read(buf, sizeof buf)) Write(std::string_view(buf, got));
  } catch (const kez::Exception& e) {
    unlink(temp.c_str());
    // The library names the temporary file; the user knows the file they asked for.
    std::string message = e.what();
    for (const std::string& shown : {U8(FileArg(temp)), temp}) {
      for (std::size_t at; (at = message.find(shown)) != std::string::npos;) {
        message.replace(at, shown.size(), FName);
      }
    }
    throw Failure(message);
  } catch (...) {
    unlink(temp.c_str());
    throw;
  }
  unlink(temp.c_str());
}

void OutputFile::Commit() {
  if (FDirect >= 0) {
    Flush();
    if (close(std::exchange(FDirect, -1)) != 0) FailErrno(FName, errno);
    return;
  }
  if (!FSaver) {
    if (std::fflush(stdout) != 0) {
      throw Failure("standard output: " + std::string(std::strerror(errno)));
    }
    return;
  }
  Flush();
  // The temporary file becomes the target: a signal now must neither cut the rename nor
  // remove the file it has just become.
  SignalsHeld held;
  if (!FSaver->Commit()) Fail(FSaver->Error());
  FMark.Clear();
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
  if (access(Name.c_str(), R_OK) != 0) FailErrno(Name, errno);
}

LocalFile::LocalFile(const std::string& Name, bool Rereadable) {
  if (!IsStdin(Name)) {
    CheckReadableFile(Name);
    FNative = Name;
  } else if (!Rereadable) {
    struct stat st {};
    if (fstat(STDIN_FILENO, &st) != 0) FailErrno("-", errno);
    if (S_ISDIR(st.st_mode)) FailErrno("-", EISDIR);
    FNative = "/dev/stdin";
  } else {
    const char* tmpdir = std::getenv("TMPDIR");
    FTemp = std::string(tmpdir != nullptr && *tmpdir != 0 ? tmpdir : "/tmp") + "/kez-stdin-XXXXXX";
    const int fd = mkstemp(FTemp.data());
    if (fd < 0) FailErrno(FTemp, errno);
    FMark.Set(FTemp);
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
    FNative = FTemp;
  }
  FPath = FileArg(FNative);
}

LocalFile::~LocalFile() {
  if (!FTemp.empty()) unlink(FTemp.c_str());
}

}  // namespace kez::tool
