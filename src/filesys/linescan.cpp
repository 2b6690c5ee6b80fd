// Line counts and last lines read in large blocks: the line ends of a block are counted 16
// bytes at a time, and the last lines are found by reading back from the file's end, so no
// line is copied on the way.
#include "filesys/linescan.hpp"

#include <emmintrin.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "kez/platform/filesystem.hpp"
#include "platform/retry.hpp"
#include "platform/sharemode.hpp"

namespace kez::detail {
namespace {

constexpr std::size_t kBlock = 256 * 1024;

// The number of LF bytes in [P, P + N).
std::int64_t CountLF(const char* P, std::size_t N) {
  std::int64_t count = 0;
  std::size_t i = 0;
  const __m128i lf = _mm_set1_epi8('\n');
  while (N - i >= 16) {
    // Byte counters of up to 255 matches each, then summed across the lanes.
    const std::size_t stop = i + std::min<std::size_t>((N - i) / 16, 255) * 16;
    __m128i acc = _mm_setzero_si128();
    for (; i < stop; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + i));
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(v, lf));
    }
    const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    count += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
  }
  for (; i < N; ++i) count += P[i] == '\n';
  return count;
}

// Reads up to Count bytes at Pos (or at the position when Pos is negative).
std::size_t ReadBlock(int Fd, char* Buf, std::size_t Count, std::int64_t Pos) {
  for (;;) {
    const ssize_t r = Pos < 0 ? ::read(Fd, Buf, Count) : ::pread(Fd, Buf, Count, Pos);
    if (r >= 0) return static_cast<std::size_t>(r);
    if (errno != EINTR) RaiseIOErrorFromErrno(errno);
  }
}

}  // namespace

std::size_t ReadAt(int Fd, char* Buf, std::size_t Count, std::int64_t Pos) {
  std::size_t got = 0;
  while (got < Count) {
    const std::size_t n = ReadBlock(Fd, Buf + got, Count - got, Pos + static_cast<std::int64_t>(got));
    if (n == 0) break;
    got += n;
  }
  return got;
}

BlockInput::BlockInput(const std::string& NativeName) {
  FFd = detail::RetryOnEintr([&] { return ::open(NativeName.c_str(), O_RDONLY | O_CLOEXEC); });
  if (FFd < 0) RaiseIOErrorFromErrno(errno);
  struct stat st {};
  int err = ::fstat(FFd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (err == 0) err = ClaimShare(FFd, true, false, 0);
  if (err != 0) {
    ::close(FFd);
    RaiseIOErrorFromErrno(err);
  }
  FSeekable = S_ISREG(st.st_mode) && st.st_size > 0;
}

BlockInput::~BlockInput() { ::close(FFd); }

std::int64_t CountLines(int Fd, const std::function<void(std::int64_t)>& Milestone) {
  const std::unique_ptr<char[]> buf(new char[kBlock]);
  std::int64_t lines = 0;
  char last = '\n';
  for (;;) {
    const std::size_t n = ReadBlock(Fd, buf.get(), kBlock, -1);
    if (n == 0) break;
    const std::int64_t before = lines;
    lines += CountLF(buf.get(), n);
    last = buf[n - 1];
    if (Milestone) {
      for (std::int64_t m = (before / 1000 + 1) * 1000; m <= lines; m += 1000) Milestone(m);
    }
  }
  if (last != '\n') {
    ++lines;  // the last line has no line end
    if (Milestone && lines % 1000 == 0) Milestone(lines);
  }
  return lines;
}

std::vector<std::string> LastLinesOf(int Fd, std::int64_t Keep) {
  struct stat st {};
  if (::fstat(Fd, &st) != 0) RaiseIOErrorFromErrno(errno);
  const std::int64_t size = st.st_size;
  if (size == 0 || Keep < 1) return {};
  // Walk back from the end to the line end before the first line kept.
  const std::unique_ptr<char[]> buf(new char[kBlock]);
  std::int64_t pos = size;
  std::int64_t start = 0;
  std::int64_t ends = 0;
  bool first = true;
  while (pos > 0) {
    const auto len = static_cast<std::size_t>(std::min<std::int64_t>(pos, kBlock));
    const std::size_t got = ReadAt(Fd, buf.get(), len, pos - static_cast<std::int64_t>(len));
    if (got != len) RaiseIOErrorFromErrno(EIO);  // the file shrank while it was read
    std::size_t i = len;
    if (first && buf[len - 1] == '\n') --i;  // the last line's own line end
    first = false;
    const char* hit = nullptr;
    while (i > 0 && (hit = static_cast<const char*>(::memrchr(buf.get(), '\n', i))) != nullptr) {
      i = static_cast<std::size_t>(hit - buf.get());
      if (++ends == Keep) break;
    }
    pos -= static_cast<std::int64_t>(len);
    if (ends == Keep) {
      start = pos + static_cast<std::int64_t>(i) + 1;
      break;
    }
  }
  std::string tail(static_cast<std::size_t>(size - start), '\0');
  tail.resize(ReadAt(Fd, tail.data(), tail.size(), start));
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < tail.size()) {
    std::size_t end = tail.find('\n', from);
    const std::size_t next = end == std::string::npos ? tail.size() : end + 1;
    if (end == std::string::npos)
      end = tail.size();
    else if (end > from && tail[end - 1] == '\r')
      --end;
    lines.emplace_back(tail, from, end - from);
    from = next;
  }
  return lines;
}

}  // namespace kez::detail
