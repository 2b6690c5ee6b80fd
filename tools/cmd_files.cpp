// kez copytree | trash: the file-system unit.
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "cli.hpp"

namespace kez::tool {

namespace {

// ---- copytree ----------------------------------------------------------------------------

struct CopyOptions {
  std::string Source;
  std::string Dest;
  bool Attributes = false;
  bool Progress = false;
  bool NoProgress = false;
  std::uint64_t RateLimit = 0;
};

std::atomic<bool> gInterrupted{false};

// Ctrl-C asks the copy to stop after its current chunk. The request is made again from the
// feedback (see below), since each file copy clears it when it starts.
extern "C" void OnInterrupt(int) {
  gInterrupted.store(true);
  AbortAnyFileCopying();
}

// Installs the handler for the length of a copy.
class InterruptGuard {
 public:
  InterruptGuard() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &FOldInt);
    sigaction(SIGTERM, &sa, &FOldTerm);
  }
  ~InterruptGuard() {
    sigaction(SIGINT, &FOldInt, nullptr);
    sigaction(SIGTERM, &FOldTerm, nullptr);
  }

 private:
  struct sigaction FOldInt {};
  struct sigaction FOldTerm {};
};

std::string Bytes(double n) {
  const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int u = 0;
  while (n >= 1024 && u < 4) n /= 1024, ++u;
  char buf[32];
  std::snprintf(buf, sizeof buf, u == 0 ? "%.0f %s" : "%.1f %s", n, units[u]);
  return buf;
}

// A name as the library hands it out ("\" separators) for people.
std::string Shown(const String& name) {
  std::string s = U8(name);
  for (char& c : s) {
    if (c == '\\') c = '/';
  }
  return s;
}

// What is to be copied: the regular files below the source, symbolic links not followed.
struct TreeSize {
  std::int64_t Files = 0;
  std::int64_t Bytes = 0;
};

TreeSize MeasureTree(const std::string& root) {
  namespace fs = std::filesystem;
  TreeSize t;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec),
       end;
       !ec && it != end; it.increment(ec)) {
    const fs::file_status st = it->symlink_status(ec);
    if (!ec && fs::is_regular_file(st)) {
      ++t.Files;
      t.Bytes += static_cast<std::int64_t>(it->file_size(ec));
    }
  }
  return t;
}

// Follows the copy through the library's feedback: what has been copied, which file is
// under way, which files did not arrive whole; draws the progress bar.
class CopyTracker {
 public:
  CopyTracker(const CopyOptions& o, TreeSize total, bool bar)
      : FOpts(o), FTotal(total), FBar(bar), FStart(Clock::now()) {}

  void FeedBack(std::int64_t bytes, std::int64_t size, const String& name, std::int32_t count) {
    if (gInterrupted.load()) AbortAnyFileCopying();
    if (count != FCount) {
      FinishFile();
      FCount = count;
      FName = name;
    }
    FBytes = bytes;
    FSize = size;
    Throttle();
    if (FBar) Draw(false);
  }

  // Ends the copy: the last file is judged, a partial copy is removed, the bar drawn as it
  // ends.
  void Finish() {
    FinishFile(gInterrupted.load());
    if (FBar) {
      Draw(true);
      std::fputc('\n', stderr);
    }
  }

  std::int64_t Copied() const { return FDoneBytes; }
  std::int64_t FilesCopied() const { return FDoneFiles; }
  const std::vector<std::string>& Failed() const { return FFailed; }
  const std::string& Removed() const { return FRemoved; }

 private:
  using Clock = std::chrono::steady_clock;

  // A file whose copy stopped short was skipped by the library, or cut off by an
  // interruption: then the shortened copy is removed, so no file is left under its final
  // name with only part of its content.
  void FinishFile(bool interrupted = false) {
    if (FCount == 0) return;
    if (FBytes >= FSize) {
      ++FDoneFiles;
      FDoneBytes += FSize;
    } else if (interrupted) {
      if (unlink(NativeFileName(FName).c_str()) == 0) FRemoved = Shown(FName);
    } else {
      FFailed.push_back(Shown(FName));
    }
    FCount = 0;
    FBytes = FSize = 0;
  }

  // With a rate limit, waits until the bytes copied so far are due. A signal ends the wait.
  void Throttle() const {
    if (FOpts.RateLimit == 0) return;
    const double due =
        static_cast<double>(FDoneBytes + FBytes) / static_cast<double>(FOpts.RateLimit);
    const double now = std::chrono::duration<double>(Clock::now() - FStart).count();
    if (due <= now || gInterrupted.load()) return;
    const double wait = std::min(due - now, 1.0);
    timespec ts{static_cast<time_t>(wait), static_cast<long>((wait - std::floor(wait)) * 1e9)};
    nanosleep(&ts, nullptr);
  }

  // "  37% [#######.............]  1.2 MiB / 3.4 MiB  4/12 files  850.0 KiB/s  dst/a.bin",
  // cut to the terminal's width; redrawn at most ten times a second.
  void Draw(bool force) {
    const auto now = Clock::now();
    if (!force && now - FLastDraw < std::chrono::milliseconds(100)) return;
    FLastDraw = now;
    const std::int64_t done = FDoneBytes + FBytes;
    const double part =
        FTotal.Bytes > 0
            ? std::min(1.0, static_cast<double>(done) / static_cast<double>(FTotal.Bytes))
            : 1.0;
    constexpr int kBarWidth = 20;
    const int filled = static_cast<int>(part * kBarWidth);
    const double seconds = std::chrono::duration<double>(now - FStart).count();
    char head[64];
    std::snprintf(head, sizeof head, "%4d%% [", static_cast<int>(part * 100));
    std::string line =
        head + std::string(static_cast<std::size_t>(filled), '#') +
        std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "]  " +
        Bytes(static_cast<double>(done)) + " / " + Bytes(static_cast<double>(FTotal.Bytes)) + "  " +
        std::to_string(FDoneFiles + (FCount > 0 ? 1 : 0)) + "/" + std::to_string(FTotal.Files) +
        " files  " + (seconds > 0 ? Bytes(static_cast<double>(done) / seconds) : Bytes(0)) +
        "/s  " + Shown(FName);
    winsize ws{};
    const std::size_t width =
        ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 ? ws.ws_col : 80;
    if (line.size() >= width) line.resize(width - 1);
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
  }

  const CopyOptions& FOpts;
  TreeSize FTotal;
  bool FBar;
  Clock::time_point FStart;
  Clock::time_point FLastDraw{};
  std::int32_t FCount = 0;
  String FName;
  std::int64_t FBytes = 0, FSize = 0;
  std::int64_t FDoneBytes = 0, FDoneFiles = 0;
  std::vector<std::string> FFailed;
  std::string FRemoved;
};

int CopyTree(const CopyOptions& o) {
  struct stat st {};
  if (stat(o.Source.c_str(), &st) != 0) throw Failure(o.Source + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) throw Failure(o.Source + ": " + std::strerror(ENOTDIR));
  if (stat(o.Dest.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
    throw Failure(o.Dest + ": exists and is not a directory");
  }
  const bool bar = !o.NoProgress && (o.Progress || isatty(STDERR_FILENO) != 0);
  CopyTracker tracker(o, MeasureTree(o.Source), bar);
  gInterrupted.store(false);
  {
    InterruptGuard guard;
    CopyFileTree(Utf8ToString(o.Source), Utf8ToString(o.Dest), o.Attributes,
                 [&](std::int64_t bytes, std::int64_t size, const String& name,
                     std::int32_t count) { tracker.FeedBack(bytes, size, name, count); });
    tracker.Finish();
  }
  if (gInterrupted.load()) {
    Warn("interrupted: " + std::to_string(tracker.FilesCopied()) +
         (tracker.FilesCopied() == 1 ? " file (" : " files (") +
         Bytes(static_cast<double>(tracker.Copied())) + ") copied to " + o.Dest +
         (tracker.Removed().empty() ? std::string()
                                    : "; the partly copied " + tracker.Removed() + " was removed"));
    return 130;
  }
  if (!std::filesystem::is_directory(o.Dest)) throw Failure(o.Dest + ": could not be created");
  for (const std::string& name : tracker.Failed()) Warn(name + ": could not be copied");
  return tracker.Failed().empty() ? 0 : 1;
}

void AddCopyTree(CLI::App& app) {
  auto o = std::make_shared<CopyOptions>();
  CLI::App* cmd = app.add_subcommand("copytree", "Copy a directory tree, showing the progress");
  cmd->add_option("SRC", o->Source, "The directory to copy")->required();
  cmd->add_option("DST", o->Dest, "Where the copy goes (created with its parents)")->required();
  cmd->add_flag("-a,--attributes", o->Attributes, "Copy the files' permissions too");
  CLI::Option* progress =
      cmd->add_flag("--progress", o->Progress,
                    "Draw the progress bar even when standard error is not a terminal");
  cmd->add_flag("--no-progress", o->NoProgress, "Never draw the progress bar")->excludes(progress);
  cmd->add_option("--bwlimit", o->RateLimit,
                  "Copy at most this many bytes a second (e.g. 500K, 2M)")
      ->transform(CLI::AsSizeValue(false));
  cmd->footer(
      "On a terminal, standard error shows a progress bar: the share done, bytes, files, the rate "
      "and the file being copied. Symbolic links are recreated, not followed; devices, pipes and "
      "sockets are skipped; files keep their modification times.\n"
      "Ctrl-C stops the copy after the current chunk: what was copied is reported, the file cut "
      "short is removed, and the status is 130. Files that could not be copied are named; the "
      "status is then 1.\n"
      "Example: kez copytree photos /media/backup/photos");
  OnRun(cmd, [o] { return CopyTree(*o); });
}

// ---- trash -------------------------------------------------------------------------------

int Trash(const std::vector<std::string>& files) {
  int status = 0;
  for (const std::string& name : files) {
    struct stat st {};
    std::string problem;
    if (lstat(name.c_str(), &st) != 0) {
      problem = std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
      problem = std::strerror(EISDIR);
    } else if (name.find_first_of("*?") != std::string::npos) {
      problem = "names with * or ? are not moved (they would be taken as patterns)";
    } else if (MoveToRecycleBin(Utf8ToString(name)) != 1) {
      problem = "could not be moved to the trash";
    }
    if (!problem.empty()) {
      Warn(name + ": " + problem);
      status = 1;
    }
  }
  return status;
}

void AddTrash(CLI::App& app) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* cmd = app.add_subcommand("trash", "Move files to the desktop's trash");
  cmd->add_option("FILE", *files, "The files to move")->required();
  cmd->footer(
      "The files go to the freedesktop.org trash, from where the desktop can restore them. A "
      "file that cannot be trashed stays where it is (it is never deleted instead); the status "
      "is then 1.\nExample: kez trash old-report.pdf");
  OnRun(cmd, [files] { return Trash(*files); });
}

}  // namespace

void AddFileCommands(CLI::App& app) {
  AddCopyTree(app);
  AddTrash(app);
}

}  // namespace kez::tool
