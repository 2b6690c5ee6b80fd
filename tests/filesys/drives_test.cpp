// Drive list, types, free space and read-only probes.
#include "kez/filesys/drives.hpp"

#include <gtest/gtest.h>
#include <mntent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Maps a drive letter for the length of a test.
class MappedDrive {
 public:
  MappedDrive(char16_t Letter, std::string Root) : FLetter(Letter), FOld(DriveRoot(Letter)) {
    SetDriveRoot(Letter, std::move(Root));
  }
  ~MappedDrive() { SetDriveRoot(FLetter, FOld); }

 private:
  char16_t FLetter;
  std::string FOld;
};

bool IsTmpfs(const std::string& Dir) {
  bool found = false;
  FILE* t = ::setmntent("/proc/self/mounts", "r");
  while (const mntent* m = t != nullptr ? ::getmntent(t) : nullptr) {
    if (Dir == m->mnt_dir) found = std::string(m->mnt_type) == "tmpfs";
  }
  if (t != nullptr) ::endmntent(t);
  return found;
}

TEST(Drives, DefaultTableListTypesAndSpace) {
  TStringList list;
  list.Add(u"old");
  BuildDriveList(list);
  EXPECT_EQ(list.Items(), std::vector<String>{u"C:"});
  EXPECT_EQ(GetDiskDriveType(26), DRIVE_UNKNOWN);
  EXPECT_EQ(GetDiskDriveType(255), DRIVE_UNKNOWN);
  EXPECT_EQ(GetDiskDriveType(0), DRIVE_NO_ROOT_DIR);
  const std::int32_t c = GetDiskDriveType(2);
  EXPECT_GE(c, DRIVE_REMOVABLE);
  EXPECT_LE(c, DRIVE_RAMDISK);
  EXPECT_GT(DiskFreeExtended(2), 0);
  EXPECT_EQ(DiskFreeExtended(0), -1);
  EXPECT_EQ(DiskFreeExtended(26), -1);
  EXPECT_TRUE(DiskIsReadOnly(0));
  EXPECT_TRUE(DiskIsReadOnly(200));
}

TEST(Drives, MappedDrives) {
  TempDir tmp;
  {
    const MappedDrive a(u'a', tmp.Path().string());
    const MappedDrive z(u'Z', (tmp.Path() / "missing").string());
    TStringList list;
    BuildDriveList(list);
    EXPECT_EQ(list.Items(), (std::vector<String>{u"A:", u"C:", u"Z:"}));
    EXPECT_FALSE(DiskIsReadOnly(0));
    EXPECT_TRUE(DiskIsReadOnly(25));
    EXPECT_EQ(GetDiskDriveType(25), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(DiskFreeExtended(25), -1);
    EXPECT_GT(DiskFreeExtended(0), 0);
    EXPECT_TRUE(fs::is_empty(tmp.Path()));
  }
  if (IsTmpfs("/dev/shm")) {
    const MappedDrive r(u'R', "/dev/shm");
    EXPECT_EQ(GetDiskDriveType(17), DRIVE_RAMDISK);
  }
}

TEST(DirIsReadOnly, ProbesWithoutTouchingWhatIsThere) {
  TempDir tmp;
  EXPECT_FALSE(DirIsReadOnly(tmp.File("")));
  EXPECT_TRUE(DirIsReadOnly(tmp.File("missing")));
  // A file of the probe's name, and a link of a numbered probe name, stay as they are.
  test::WriteBytes(tmp.NativeFile("$%$LO%$.$$$"), "mine");
  test::WriteBytes(tmp.NativeFile("target"), "target");
  fs::create_symlink(tmp.Path() / "target", tmp.Path() / "$%$LO%$1.$$$");
  EXPECT_FALSE(DirIsReadOnly(tmp.File("")));
  EXPECT_EQ(test::ReadBytes(tmp.NativeFile("$%$LO%$.$$$")), "mine");
  EXPECT_EQ(test::ReadBytes(tmp.NativeFile("target")), "target");
  EXPECT_TRUE(fs::is_symlink(tmp.Path() / "$%$LO%$1.$$$"));
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()), 3);
}

TEST(DirIsReadOnly, EmptyNameIsTheCurrentFolder) {
  TempDir tmp;
  const fs::path before = fs::current_path();
  fs::current_path(tmp.Path());
  const bool readOnly = DirIsReadOnly(u"");
  fs::current_path(before);
  EXPECT_FALSE(readOnly);
  EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

TEST(DirIsReadOnly, WriteProtectedDirectory) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  TempDir tmp;
  fs::create_directory(tmp.Path() / "ro");
  ::chmod((tmp.Path() / "ro").c_str(), 0555);
  EXPECT_TRUE(DirIsReadOnly(tmp.File("ro")));
  ::chmod((tmp.Path() / "ro").c_str(), 0755);
}

}  // namespace
}  // namespace kez
