/* A library preloaded into the fault tests (LD_PRELOAD): it stands in front of the C
 * library's calls that a save makes, counts them while a test has armed it, and makes one
 * of them fail, or every write come back short.
 *
 *   kez_fault_arm(0, 0)        count the calls of this thread, fail none
 *   kez_fault_arm(k, ENOSPC)   the k-th counted call fails with ENOSPC (EIO, EINTR alike)
 *   kez_fault_arm(0, -1)       every write of this thread writes at most half its bytes
 *   kez_fault_disarm()         stops counting; the number of calls counted
 *   kez_fault_fired()          whether the armed fault has happened
 *   kez_fault_reads(1)         every read of this thread is first interrupted (EINTR), and
 *                              then reads at most half the bytes asked for; 0 stops it
 *
 * Only the thread that armed it is counted, so a test framework's own output does not move
 * the count. A failing close still closes the descriptor, as Linux does even when close
 * reports an error; every other failing call does nothing. Written in C and built without
 * the sanitizers, so that it coexists with an AddressSanitizer runtime loaded after it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stddef.h>
#include <sys/types.h>

struct iovec;

static __thread int tArmed;
static __thread long tCount;
static __thread long tFailAt;
static __thread int tErrno;
static __thread int tFired;

#define KEZ_EXPORT __attribute__((visibility("default")))

KEZ_EXPORT void kez_fault_arm(long k, int err) {
  tCount = 0;
  tFailAt = k;
  tErrno = err;
  tFired = 0;
  tArmed = 1;
}

KEZ_EXPORT long kez_fault_disarm(void) {
  tArmed = 0;
  return tCount;
}

KEZ_EXPORT int kez_fault_fired(void) { return tFired; }

static __thread int tReads;
static __thread int tReadInterrupted;

KEZ_EXPORT void kez_fault_reads(int on) {
  tReads = on;
  tReadInterrupted = 0;
}

/* Whether this read is interrupted: every other one while reads are armed. */
static int Interrupted(void) {
  if (!tReads) return 0;
  tReadInterrupted = !tReadInterrupted;
  if (!tReadInterrupted) return 0;
  errno = EINTR;
  return 1;
}

/* A read count cut to half (at least one byte) while reads are armed. */
static size_t CutRead(size_t n) { return tReads && n > 1 ? n / 2 : n; }

/* Whether this call is the one to fail (errno is set then). */
static int Strike(void) {
  if (!tArmed) return 0;
  ++tCount;
  if (tErrno <= 0 || tCount != tFailAt) return 0;
  tFired = 1;
  errno = tErrno;
  return 1;
}

/* A write count cut to half (at least one byte) while short writes are armed. */
static size_t Cut(size_t n) {
  if (!tArmed || tErrno != -1 || n < 2) return n;
  tFired = 1;
  return n / 2;
}

#define REAL(name) \
  static __typeof__(&name) real; \
  if (!real) real = (__typeof__(&name))dlsym(RTLD_NEXT, #name)

/* Prototypes of our own, so that no system header's attributes stand in the way. */
int open(const char* path, int flags, ...);
int open64(const char* path, int flags, ...);
int openat(int dir, const char* path, int flags, ...);
int openat64(int dir, const char* path, int flags, ...);
ssize_t read(int fd, void* buf, size_t n);
ssize_t pread(int fd, void* buf, size_t n, off_t at);
ssize_t pread64(int fd, void* buf, size_t n, off_t at);
ssize_t write(int fd, const void* buf, size_t n);
ssize_t pwrite(int fd, const void* buf, size_t n, off_t at);
ssize_t pwrite64(int fd, const void* buf, size_t n, off_t at);
ssize_t writev(int fd, const struct iovec* iov, int count);
int fsync(int fd);
int fdatasync(int fd);
int close(int fd);
int rename(const char* from, const char* to);
int renameat(int fromDir, const char* from, int toDir, const char* to);
int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags);
int ftruncate(int fd, off_t length);
int ftruncate64(int fd, off_t length);
ssize_t copy_file_range(int in, off_t* inAt, int out, off_t* outAt, size_t n, unsigned flags);

/* The mode argument is there only when the flags create a file. */
static unsigned ModeOf(int flags, va_list ap) {
  return (flags & 0100 /* O_CREAT */) || (flags & 020200000) == 020200000 /* O_TMPFILE */
             ? va_arg(ap, unsigned)
             : 0;
}

KEZ_EXPORT int open(const char* path, int flags, ...) {
  REAL(open);
  va_list ap;
  va_start(ap, flags);
  const unsigned mode = ModeOf(flags, ap);
  va_end(ap);
  if (Strike()) return -1;
  return real(path, flags, mode);
}

KEZ_EXPORT int open64(const char* path, int flags, ...) {
  REAL(open64);
  va_list ap;
  va_start(ap, flags);
  const unsigned mode = ModeOf(flags, ap);
  va_end(ap);
  if (Strike()) return -1;
  return real(path, flags, mode);
}

KEZ_EXPORT int openat(int dir, const char* path, int flags, ...) {
  REAL(openat);
  va_list ap;
  va_start(ap, flags);
  const unsigned mode = ModeOf(flags, ap);
  va_end(ap);
  if (Strike()) return -1;
  return real(dir, path, flags, mode);
}

KEZ_EXPORT int openat64(int dir, const char* path, int flags, ...) {
  REAL(openat64);
  va_list ap;
  va_start(ap, flags);
  const unsigned mode = ModeOf(flags, ap);
  va_end(ap);
  if (Strike()) return -1;
  return real(dir, path, flags, mode);
}

KEZ_EXPORT ssize_t read(int fd, void* buf, size_t n) {
  REAL(read);
  if (Interrupted()) return -1;
  return real(fd, buf, CutRead(n));
}

KEZ_EXPORT ssize_t pread(int fd, void* buf, size_t n, off_t at) {
  REAL(pread);
  if (Interrupted()) return -1;
  return real(fd, buf, CutRead(n), at);
}

KEZ_EXPORT ssize_t pread64(int fd, void* buf, size_t n, off_t at) {
  REAL(pread64);
  if (Interrupted()) return -1;
  return real(fd, buf, CutRead(n), at);
}

KEZ_EXPORT ssize_t write(int fd, const void* buf, size_t n) {
  REAL(write);
  if (Strike()) return -1;
  return real(fd, buf, Cut(n));
}

KEZ_EXPORT ssize_t pwrite(int fd, const void* buf, size_t n, off_t at) {
  REAL(pwrite);
  if (Strike()) return -1;
  return real(fd, buf, Cut(n), at);
}

KEZ_EXPORT ssize_t pwrite64(int fd, const void* buf, size_t n, off_t at) {
  REAL(pwrite64);
  if (Strike()) return -1;
  return real(fd, buf, Cut(n), at);
}

KEZ_EXPORT ssize_t writev(int fd, const struct iovec* iov, int count) {
  REAL(writev);
  if (Strike()) return -1;
  /* A short vector write: only the first buffer (writev itself may stop anywhere). */
  return real(fd, iov, tArmed && tErrno == -1 && count > 1 ? (tFired = 1) : count);
}

KEZ_EXPORT int fsync(int fd) {
  REAL(fsync);
  if (Strike()) return -1;
  return real(fd);
}

KEZ_EXPORT int fdatasync(int fd) {
  REAL(fdatasync);
  if (Strike()) return -1;
  return real(fd);
}

KEZ_EXPORT int close(int fd) {
  REAL(close);
  if (Strike()) {
    const int err = errno;
    real(fd);
    errno = err;
    return -1;
  }
  return real(fd);
}

KEZ_EXPORT int rename(const char* from, const char* to) {
  REAL(rename);
  if (Strike()) return -1;
  return real(from, to);
}

KEZ_EXPORT int renameat(int fromDir, const char* from, int toDir, const char* to) {
  REAL(renameat);
  if (Strike()) return -1;
  return real(fromDir, from, toDir, to);
}

KEZ_EXPORT int renameat2(int fromDir, const char* from, int toDir, const char* to,
                         unsigned flags) {
  REAL(renameat2);
  if (Strike()) return -1;
  return real(fromDir, from, toDir, to, flags);
}

KEZ_EXPORT int ftruncate(int fd, off_t length) {
  REAL(ftruncate);
  if (Strike()) return -1;
  return real(fd, length);
}

KEZ_EXPORT int ftruncate64(int fd, off_t length) {
  REAL(ftruncate64);
  if (Strike()) return -1;
  return real(fd, length);
}

KEZ_EXPORT ssize_t copy_file_range(int in, off_t* inAt, int out, off_t* outAt, size_t n,
                                   unsigned flags) {
  REAL(copy_file_range);
  if (Strike()) return -1;
  return real(in, inAt, out, outAt, Cut(n), flags);
}
