// Drive list, drive types, free space and the read-only probes.
#include "kez/filesys/drives.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "platform/retry.hpp"

namespace kez {
namespace {

enum class Probe { Created, NotCreated, NotDeleted };

// Creates and deletes a probe file in NativeDir. The probe is created exclusively, so an
// entry that was there before (a link included) is never opened or replaced; when the
// name is taken, numbered names are tried.
Probe ProbeDirectory(std::string NativeDir, int& Errno) {
  if (NativeDir.empty()) return Probe::NotCreated;
  if (NativeDir.back() != '/') NativeDir += '/';
  std::string name;
  int fd = -1;
  for (int i = 0; i < 100 && fd < 0; ++i) {
    name = NativeDir + (i == 0 ? std::string("$%$LO%$") : "$%$LO%$" + std::to_string(i)) + ".$$$";
    fd = detail::RetryOnEintr([&] {
      return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    });
    if (fd < 0 && errno != EEXIST) return Probe::NotCreated;
  }
  if (fd < 0) return Probe::NotCreated;
  ::close(fd);
  if (::unlink(name.c_str()) != 0) {
    Errno = errno;
    return Probe::NotDeleted;
  }
  return Probe::Created;
}

char16_t DriveLetter(std::uint8_t Drive) { return static_cast<char16_t>(u'A' + Drive); }

}  // namespace

bool DirIsReadOnly(StringView Dir) {
  int err = 0;
  // "" is the current folder.
  const Probe p = ProbeDirectory(Dir.empty() ? std::string(".") : NativeFileName(Dir), err);
  if (p == Probe::NotDeleted) RaiseIOErrorFromErrno(err);
  return p == Probe::NotCreated;
}

bool DiskIsReadOnly(std::uint8_t Drive) {
  if (Drive > 25) return true;
  int err = 0;
  return ProbeDirectory(DriveRoot(DriveLetter(Drive)), err) != Probe::Created;
}

std::int32_t GetDiskDriveType(std::uint8_t Drive) {
  return Drive > 25 ? DRIVE_UNKNOWN : GetDriveType(DriveLetter(Drive));
}

void BuildDriveList(TStrings& List) {
  List.Clear();
  const std::uint32_t mask = LogicalDrivesMask();
  for (std::uint8_t i = 0; i < 26; ++i) {
    if ((mask >> i) & 1u) List.Add(String(1, DriveLetter(i)) + u":");
  }
}

std::int64_t DiskFreeExtended(std::uint8_t Drive) {
  return Drive > 25 ? -1 : DiskFreeBytes(DriveLetter(Drive));
}

}  // namespace kez
