// Counting and taking the last lines of a file by reading it in large blocks (not
// installed). Lines end at LF (a CR before it belongs to the line end), as the text-file
// layer reads them; a last line without a line end counts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kez::detail {

// An open, read-only file descriptor of a file named by a caller, closed on destruction.
// Opening honours the share modes of other holders; failures raise EInOutError as the
// text-file layer does.
class BlockInput {
 public:
  explicit BlockInput(const std::string& NativeName);
  ~BlockInput();
  BlockInput(const BlockInput&) = delete;
  BlockInput& operator=(const BlockInput&) = delete;

  int Fd() const { return FFd; }
  // True for a regular file that tells its size, whose bytes can be read again at any
  // offset. A file that reports size 0 (as /proc files do) may hold bytes all the same:
  // it is read from start to end only.
  bool Seekable() const { return FSeekable; }

 private:
  int FFd = -1;
  bool FSeekable = false;
};

// ReadAt
// Reads up to Count bytes at Pos, again after an interruption and after a short count, so
// that fewer bytes mean the end of the file. Read failures raise EInOutError.
std::size_t ReadAt(int Fd, char* Buf, std::size_t Count, std::int64_t Pos);

// CountLineEnds
// The number of lines from the descriptor's position to its end. Every time the count
// passes a multiple of 1000, Milestone is called with it (when given). Read failures raise
// EInOutError.
std::int64_t CountLines(int Fd, const std::function<void(std::int64_t)>& Milestone);

// LastLinesOf
// The bytes of the last Keep lines of a regular file (without their line ends), the last
// line last; fewer when the file holds fewer lines.
std::vector<std::string> LastLinesOf(int Fd, std::int64_t Keep);

}  // namespace kez::detail
