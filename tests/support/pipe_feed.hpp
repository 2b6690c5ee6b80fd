// Input that has no size: a FIFO or an anonymous pipe fed by a writer thread in small pieces
// with pauses, so that readers meet short reads and an empty pipe before the end.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "test_support.hpp"

namespace kez::test {

class PipeFeed {
 public:
  enum Kind { Fifo, Pipe };

  // Feeds Bytes through a FIFO made in Dir, or through an anonymous pipe (as "cat file |"
  // does) that the reader opens by its /proc name.
  PipeFeed(const TempDir& Dir, std::string Bytes, Kind How = Fifo) : FBytes(std::move(Bytes)) {
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
    for (std::size_t at = 0; at < FBytes.size();) {
      const std::size_t n = std::min(piece, FBytes.size() - at);
      const ssize_t written = ::write(Fd, FBytes.data() + at, n);
      if (written <= 0) break;
      at += static_cast<std::size_t>(written);
      piece = piece < 65536 ? piece * 3 + 1 : 7;  // pieces of every size, small ones again
      if (piece < 20) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::close(Fd);
  }

  std::string FBytes;
  std::string FPath;
  int FReadEnd = -1;
  std::atomic<bool> FOpened{false};
  std::thread FWriter;
};

}  // namespace kez::test
