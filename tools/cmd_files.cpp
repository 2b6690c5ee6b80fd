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
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <limits>

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

// A signal asks the copy to stop after its current chunk. The request is made again from
// the feedback (see below), since each file copy clears it when it starts.
void StopCopying() {
  gInterrupted.store(true);
  AbortAnyFileCopying();
}

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
  if (IsVerbatimFileName(name)) return StringToNative(name.substr(kVerbatimPrefix.size()));
  std::string s = StringToNative(name);
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
  std::string FRemoved;
};

// ---- What the copy missed ----------------------------------------------------------------

// An open folder, closed again at the end of its scope.
class DirFd {
 public:
  explicit DirFd(int Fd) : FFd(Fd) {}
  ~DirFd() {
    if (FFd >= 0) close(FFd);
  }
  DirFd(const DirFd&) = delete;
  DirFd& operator=(const DirFd&) = delete;
  int Get() const { return FFd; }

 private:
  int FFd;
};

int OpenFolderAt(int Dir, const char* Name) {
  return openat(Dir, Name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Compares the copy with its source, entry by entry with the names as read, and completes
// it where cp -a would: FIFOs, sockets and device nodes, which the library leaves out, are
// made again with their mode and times, and with Modes (copytree -a) the folders get their
// source's permissions once their content is in place. Every entry that is missing from the copy (or, for
// a regular file, differs in size) is added to Problems as "SOURCE-PATH: reason". The
// copy's own folder is skipped when it lies inside the source.
class CopyCheck {
 public:
  CopyCheck(const struct stat& DestRoot, bool Modes, std::vector<std::string>& Problems)
      : FDest(DestRoot), FModes(Modes), FProblems(Problems) {}

  // The folder's times (once its content is in place) and, with Modes, its permissions,
  // taken from its source.
  void FolderMode(int Dst, const struct stat& Source, const std::string& Shown) {
    const timespec times[2] = {Source.st_atim, Source.st_mtim};
    futimens(Dst, times);
    if (FModes && fchmod(Dst, Source.st_mode & 07777) != 0) Problem(Shown, std::strerror(errno));
  }

  void Folder(int Src, int Dst, const std::string& Shown) {
    DIR* d = fdopendir(dup(Src));
    if (d == nullptr) {
      Problem(Shown, std::strerror(errno));
      return;
    }
    errno = 0;
    while (const dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") Entry(Src, Dst, name, Shown + "/" + name);
      errno = 0;
    }
    if (errno != 0) Problem(Shown, std::strerror(errno));
    closedir(d);
  }

 private:
  void Problem(const std::string& Shown, const std::string& Reason) {
    FProblems.push_back(Shown + ": " + Reason);
  }

  void Entry(int Src, int Dst, const std::string& Name, const std::string& Shown) {
    struct stat s {}, d {};
    if (fstatat(Src, Name.c_str(), &s, AT_SYMLINK_NOFOLLOW) != 0) {
      // A name listed in a folder that may be read but not searched cannot be looked at.
      if (errno != ENOENT) Problem(Shown, std::strerror(errno));
      return;  // otherwise gone meanwhile
    }
    const bool there = fstatat(Dst, Name.c_str(), &d, AT_SYMLINK_NOFOLLOW) == 0;
    if (S_ISDIR(s.st_mode)) {
      if (s.st_dev == FDest.st_dev && s.st_ino == FDest.st_ino) return;
      const DirFd dst(OpenFolderAt(Dst, Name.c_str()));
      if (dst.Get() < 0) return Problem(Shown, "the folder could not be copied");
      const DirFd src(OpenFolderAt(Src, Name.c_str()));
      if (src.Get() < 0) {
        const int err = errno;
        FolderMode(dst.Get(), s, Shown);  // as cp -a leaves it: empty, with the source's mode
        return Problem(Shown, std::strerror(err));
      }
      Folder(src.Get(), dst.Get(), Shown);
      FolderMode(dst.Get(), s, Shown);
    } else if (S_ISREG(s.st_mode) || S_ISLNK(s.st_mode)) {
      if (there && S_ISLNK(s.st_mode) && S_ISLNK(d.st_mode)) {
        const timespec times[2] = {s.st_atim, s.st_mtim};
        utimensat(Dst, Name.c_str(), times, AT_SYMLINK_NOFOLLOW);
        return;
      }
      if (there && S_ISREG(d.st_mode) && d.st_size == s.st_size) {
        // The library keeps a copy writable by its owner; -a means the source's mode exactly.
        if (FModes && (d.st_mode & 07777) != (s.st_mode & 07777) &&
            fchmodat(Dst, Name.c_str(), s.st_mode & 07777, 0) != 0) {
          Problem(Shown, std::strerror(errno));
        }
        return;
      }
      // The likeliest reason: the source could not be read.
      const int fd = openat(Src, Name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
      const int err = errno;
      if (fd >= 0) close(fd);
      Problem(Shown, fd < 0 && !S_ISLNK(s.st_mode) ? std::strerror(err) : "could not be copied");
    } else if (!there) {
      if (mknodat(Dst, Name.c_str(), s.st_mode, s.st_rdev) != 0) {
        return Problem(Shown, std::strerror(errno));
      }
      const timespec times[2] = {s.st_atim, s.st_mtim};
      utimensat(Dst, Name.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
  }

  struct stat FDest;
  bool FModes;
  std::vector<std::string>& FProblems;
};

// The problems of a finished copy (see CopyCheck), in the order of the walk.
std::vector<std::string> CheckCopy(const std::string& Source, const std::string& Dest,
                                   bool Modes) {
  std::vector<std::string> problems;
  const DirFd src(OpenFolderAt(AT_FDCWD, Source.c_str()));
  struct stat srcRoot {}, destRoot {};
  if (src.Get() < 0 || fstat(src.Get(), &srcRoot) != 0) {
    problems.push_back(Source + ": " + std::strerror(errno));
    return problems;
  }
  const DirFd dst(open(Dest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dst.Get() < 0 || fstat(dst.Get(), &destRoot) != 0) {
    problems.push_back(Dest + ": could not be created");
    return problems;
  }
  CopyCheck check(destRoot, Modes, problems);
  check.Folder(src.Get(), dst.Get(), Source);
  check.FolderMode(dst.Get(), srcRoot, Source);
  return problems;
}

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
    StopRequest stop(StopCopying);
    CopyFileTree(FileArg(o.Source), FileArg(o.Dest), o.Attributes,
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
  const std::vector<std::string> problems = CheckCopy(o.Source, o.Dest, o.Attributes);
  for (const std::string& problem : problems) Warn(problem);
  return problems.empty() ? 0 : 1;
}

void AddCopyTree(CLI::App& app) {
  auto o = std::make_shared<CopyOptions>();
  CLI::App* cmd = app.add_subcommand("copytree", "Copy a directory tree, showing the progress");
  cmd->add_option("SRC", o->Source, "The directory to copy")->required();
  cmd->add_option("DST", o->Dest, "Where the copy goes (created with its parents)")->required();
  cmd->add_flag("-a,--attributes", o->Attributes, "Copy the permissions of the files and folders too");
  CLI::Option* progress =
      cmd->add_flag("--progress", o->Progress,
                    "Draw the progress bar even when standard error is not a terminal");
  cmd->add_flag("--no-progress", o->NoProgress, "Never draw the progress bar")->excludes(progress);
  cmd->add_option("--bwlimit", o->RateLimit,
                  "Copy at most this many bytes a second (e.g. 500K, 2M)")
      ->check(CLI::Validator(
          [](std::string& v) {
            return v.find('-') == std::string::npos ? std::string() : "must be a positive size";
          },
          "SIZE"))
      ->transform(CLI::AsSizeValue(false))
      ->check(CLI::Validator(
          [](std::string& v) { return v != "0" ? std::string() : "must be a positive size"; },
          ""));
  cmd->footer(
      "On a terminal, standard error shows a progress bar: the share done, bytes, files, the rate "
      "and the file being copied. Every entry is copied under its exact name, as cp -a copies "
      "it: symbolic links are recreated, not followed; FIFOs, sockets and device nodes are made "
      "again; files, folders and links keep their modification times.\n"
      "Ctrl-C (or SIGTERM, SIGHUP) stops the copy after the current chunk: what was copied is "
      "reported, the file cut short is removed, and the status is 130. Every entry that could "
      "not be copied is named with the reason; the status is then 1.\n"
      "Example: kez copytree \"$(kez samples)\" samples-copy");
  OnRun(cmd, [o] { return CopyTree(*o); });
}

// ---- trash -------------------------------------------------------------------------------

// Whether MoveToRecycleBin would not take Name for exactly that file: its mask reads * and ?
// as wildcards and passes over names that start with ".". Such a name goes to the trash
// through the single-file call beneath it.
bool TakenAsMask(const std::string& Name) {
  const std::string base = std::filesystem::path(Name).filename().string();
  return Name.find_first_of("*?") != std::string::npos || base.starts_with('.');
}

int Trash(const std::vector<std::string>& files) {
  int status = 0;
  for (const std::string& name : files) {
    struct stat st {};
    std::string problem;
    if (lstat(name.c_str(), &st) != 0) {
      problem = std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
      problem = std::strerror(EISDIR);
    } else if (!(TakenAsMask(name) ? MoveFileToTrash(FileArg(name))
                                   : MoveToRecycleBin(FileArg(name)) == 1)) {
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
      "is then 1.\nExample: echo draft > old-draft.txt; kez trash old-draft.txt");
  OnRun(cmd, [files] { return Trash(*files); });
}

}  // namespace

void AddFileCommands(CLI::App& app) {
  AddCopyTree(app);
  AddTrash(app);
}

}  // namespace kez::tool
