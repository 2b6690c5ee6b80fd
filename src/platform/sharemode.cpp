// Share modes as open-file-description locks.
//
// Each open marks what it does and what it denies in four byte ranges far beyond any file's
// end: "has read access", "has write access", "denies reading", "denies writing". An open
// that can read marks a range with a shared lock on its first byte; a write-only open cannot
// take a shared lock, so it takes an exclusive lock on a byte of its own further into the
// range. An open first sets its marks and then looks for conflicting marks of others: of two
// opens that race, the second to look sees the first, so at worst both are refused, never
// both admitted.
#include "platform/sharemode.hpp"

#include <fcntl.h>

#include <cerrno>
#include <cstdint>

#include "kez/platform/stream.hpp"

namespace kez::detail {
namespace {

constexpr off_t kRangeWidth = 4096;
constexpr off_t kMarkBase = INT64_MAX - 8 * kRangeWidth;

enum TMark { mkHasRead, mkHasWrite, mkDenyRead, mkDenyWrite };

off_t RangeStart(TMark Mark) { return kMarkBase + static_cast<off_t>(Mark) * kRangeWidth; }

struct flock Lock(short Type, off_t Start, off_t Len) {
  struct flock fl {};
  fl.l_type = Type;
  fl.l_whence = SEEK_SET;
  fl.l_start = Start;
  fl.l_len = Len;
  return fl;
}

// Sets the mark; false with errno when the file system refuses locks.
bool SetMark(int Fd, bool CanRead, TMark Mark) {
  const off_t start = RangeStart(Mark);
  if (CanRead) {
    struct flock fl = Lock(F_RDLCK, start, 1);
    return ::fcntl(Fd, F_OFD_SETLK, &fl) == 0;
  }
  for (off_t b = 1; b < kRangeWidth; ++b) {
    struct flock fl = Lock(F_WRLCK, start + b, 1);
    if (::fcntl(Fd, F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EAGAIN && errno != EACCES) return false;
  }
  errno = ENOLCK;
  return false;
}

// True when an open other than Fd's holds a mark in the range.
bool OthersMark(int Fd, TMark Mark) {
  struct flock fl = Lock(F_WRLCK, RangeStart(Mark), kRangeWidth);
  if (::fcntl(Fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

void DropMarks(int Fd) {
  struct flock fl = Lock(F_UNLCK, kMarkBase, 4 * kRangeWidth);
  ::fcntl(Fd, F_OFD_SETLK, &fl);
}

}  // namespace

bool OthersDenyWriting(int Fd) { return OthersMark(Fd, mkDenyWrite); }

int ClaimShare(int Fd, bool Read, bool Write, std::uint16_t Share) {
  const std::uint16_t share = Share & 0x00F0;
  const bool denyRead = share == fmShareExclusive || share == fmShareDenyRead;
  const bool denyWrite = share == fmShareExclusive || share == fmShareDenyWrite;
  const bool marks[4] = {Read, Write, denyRead, denyWrite};
  for (int m = 0; m < 4; ++m) {
    if (marks[m] && !SetMark(Fd, Read, static_cast<TMark>(m))) {
      // No locks on this file system (or none left): nothing to honour or to claim.
      DropMarks(Fd);
      return 0;
    }
  }
  const bool conflict =
      (Read && OthersMark(Fd, mkDenyRead)) || (Write && OthersMark(Fd, mkDenyWrite)) ||
      (denyRead && OthersMark(Fd, mkHasRead)) || (denyWrite && OthersMark(Fd, mkHasWrite));
  if (!conflict) return 0;
  DropMarks(Fd);
  return EACCES;
}

}  // namespace kez::detail
