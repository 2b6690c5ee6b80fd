// Input that has no size: a FIFO or an anonymous pipe fed by a writer thread in small pieces
// with pauses, so that readers meet short reads and an empty pipe before the end.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "test_support.hpp"

namespace kez::test {

class PipeFeed {
 public:
  enum Kind { Fifo, Pipe };

  // Feeds Bytes through a FIFO made in Dir, or through an anonymous pipe (as "cat file |"
  // does) that the reader opens by its /proc name.
  // A Seed other than 0 cuts the bytes into pieces of random sizes instead (1 byte to 64 KiB).
  PipeFeed(const TempDir& Dir, std::string Bytes, Kind How = Fifo, unsigned Seed = 0)
      : FBytes(std::move(Bytes)), FSeed(Seed) {
    ::signal(SIGPIPE, SIG_IGN);  // a reader that stops early must not end the test program
    if (How == Fifo) {
      FPath = Dir.NativeFile("feed.fifo");
      if (::mkfifo(FPath.c_str(), 0600) != 0) return;
      FWriter = std::thread([this] {
        const int fd = ::open(FPath.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0) Feed(fd);
      });
    } else {
      int ends[2];
      if (::pipe2(ends, O_CLOEXEC) != 0) return;
      FReadEnd = ends[0];
      FPath = "/proc/self/fd/" + std::to_string(ends[0]);
      const int fd = ends[1];
      FWriter = std::thread([this, fd] { Feed(fd); });
    }
  }
  ~PipeFeed() {
    // A reader that never opened a FIFO leaves the writer waiting in open: meet it once.
    if (!FOpened && !FPath.empty() && FReadEnd < 0) {
      const int fd = ::open(FPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        while (!FOpened) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::close(fd);  // the writer's next write fails and it stops
      }
    }
    if (FReadEnd >= 0) ::close(FReadEnd);  // a writer left with a full pipe stops too
    if (FWriter.joinable()) FWriter.join();
  }
  PipeFeed(const PipeFeed&) = delete;
  PipeFeed& operator=(const PipeFeed&) = delete;

  // The name to open, as library text.
  String Name() const { return Utf8ToString(FPath); }

 private:
  void Feed(int Fd) {
    FOpened = true;
    std::size_t piece = 1;
    std::mt19937 random(FSeed);
    for (std::size_t at = 0; at < FBytes.size();) {
      const std::size_t n = std::min(piece, FBytes.size() - at);
      const ssize_t written = ::write(Fd, FBytes.data() + at, n);
      if (written <= 0) break;
      at += static_cast<std::size_t>(written);
      if (FSeed != 0) {
        const unsigned scale = 1u << (random() % 17);
        piece = 1 + random() % scale;
        if (random() % 8 == 0) std::this_thread::sleep_for(std::chrono::microseconds(100));
        continue;
      }
      piece = piece < 65536 ? piece * 3 + 1 : 7;  // pieces of every size, small ones again
      if (piece < 20) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::close(Fd);
  }

  std::string FBytes;
  unsigned FSeed = 0;
  std::string FPath;
  int FReadEnd = -1;
  std::atomic<bool> FOpened{false};
  std::thread FWriter;
};

// ProcFeed
// A file as /proc shows them: regular, of size 0, yet with content. The bytes are the
// environment of a child process (/proc/<pid>/environ), which the kernel ends with a NUL;
// AsRead() are the bytes a reader gets. Bytes must hold no NUL and be under 128 KiB.
class ProcFeed {
 public:
  explicit ProcFeed(const std::string& Bytes) {
    char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("60"), nullptr};
    char* envp[] = {const_cast<char*>(Bytes.c_str()), nullptr};
    if (::posix_spawn(&FPid, "/bin/sleep", nullptr, nullptr, argv, envp) != 0) {
      FPid = -1;
      return;
    }
    // The parent goes on while the child's exec is still setting up its environment, which
    // reads as empty until then.
    const std::string path = "/proc/" + std::to_string(FPid) + "/environ";
    for (int wait = 0; wait < 2000; ++wait) {
      const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      char byte = 0;
      const ssize_t n = fd >= 0 ? ::read(fd, &byte, 1) : -1;
      if (fd >= 0) ::close(fd);
      if (n == 1) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  ~ProcFeed() {
    if (FPid <= 0) return;
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
  }
  ProcFeed(const ProcFeed&) = delete;
  ProcFeed& operator=(const ProcFeed&) = delete;

  bool Ok() const { return FPid > 0; }
  String Name() const { return Utf8ToString("/proc/" + std::to_string(FPid) + "/environ"); }
  static std::string AsRead(const std::string& Bytes) { return Bytes + '\0'; }

 private:
  pid_t FPid = -1;
};

}  // namespace kez::test
