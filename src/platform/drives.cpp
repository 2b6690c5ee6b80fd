// Drive types from the mount table, free space from statvfs.
#include <mntent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"

namespace kez {
namespace {

bool IsUnder(const std::string& Path, const std::string& MountDir) {
  if (MountDir == "/") return true;
  return Path.compare(0, MountDir.size(), MountDir) == 0 &&
         (Path.size() == MountDir.size() || Path[MountDir.size()] == '/');
}

// The file-system type of the mount that holds Path (the longest matching mount point;
// the last one wins among mounts stacked on one point).
std::string MountTypeOf(const std::string& Path) {
  std::string type;
  std::size_t best = 0;
  FILE* table = ::setmntent("/proc/self/mounts", "r");
  if (table == nullptr) return type;
  while (const mntent* m = ::getmntent(table)) {
    const std::string dir = m->mnt_dir;
    if (IsUnder(Path, dir) && dir.size() >= best) {
      best = dir.size();
      type = m->mnt_type;
    }
  }
  ::endmntent(table);
  return type;
}

bool BlockDeviceIsRemovable(dev_t Dev) {
  const std::string base =
      "/sys/dev/block/" + std::to_string(major(Dev)) + ":" + std::to_string(minor(Dev));
  // A partition carries no flag of its own; its disk does.
  for (const char* file : {"/removable", "/../removable"}) {
    std::ifstream in(base + file);
    char c = 0;
    if (in.get(c)) return c == '1';
  }
  return false;
}

std::string NativeRoot(char16_t Letter) {
  const std::string root = DriveRoot(Letter);
  if (root.empty()) return root;
  char resolved[PATH_MAX];
  return ::realpath(root.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

}  // namespace

std::int32_t GetDriveType(char16_t Letter) {
  const std::string root = NativeRoot(Letter);
  struct stat st {};
  if (root.empty() || ::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return DRIVE_NO_ROOT_DIR;
  }
  const std::string type = MountTypeOf(root);
  if (type.empty()) return DRIVE_UNKNOWN;
  if (type == "tmpfs" || type == "ramfs") return DRIVE_RAMDISK;
  if (type == "iso9660" || type == "udf") return DRIVE_CDROM;
  for (const char* remote :
       {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs",
        "fuse.sshfs", "sshfs", "fuse.davfs2", "davfs", "fuse.glusterfs", "lustre"}) {
    if (type == remote) return DRIVE_REMOTE;
  }
  if (major(st.st_dev) != 0 && BlockDeviceIsRemovable(st.st_dev)) return DRIVE_REMOVABLE;
  return DRIVE_FIXED;
}

std::int64_t DiskFreeBytes(char16_t Letter) {
  const std::string root = NativeRoot(Letter);
  struct statvfs vfs {};
  if (root.empty() || ::statvfs(root.c_str(), &vfs) != 0) return -1;
  std::uint64_t bytes = 0;
  if (__builtin_mul_overflow(static_cast<std::uint64_t>(vfs.f_bavail),
                             static_cast<std::uint64_t>(vfs.f_frsize), &bytes) ||
      bytes > static_cast<std::uint64_t>(INT64_MAX)) {
    return INT64_MAX;
  }
  return static_cast<std::int64_t>(bytes);
}

}  // namespace kez
