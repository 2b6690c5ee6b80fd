// Moving files to the trash, the private desktop's home trash (see desktop_env.hpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "desktop_env.hpp"
#include "kez/filesys/trees.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class Trash : public ::testing::Test {
 protected:
  static fs::path TrashDir() { return test::DesktopDataHome() / "Trash"; }
};

TEST_F(Trash, MovesMatchingFilesWithTheirRecords) {
  TempDir tmp;
  // The private trash is on the same file system as the test folder, so the home trash.
  for (const char* f : {"a.txt", "b.txt", ".h.txt", "c.csv"}) WriteBytes(tmp.NativeFile(f), f);
  fs::create_directory(tmp.Path() / "d.txt");
  EXPECT_EQ(MoveToRecycleBin(tmp.File("*.TXT")), 2);
  EXPECT_FALSE(fs::exists(tmp.Path() / "a.txt"));
  EXPECT_TRUE(fs::exists(tmp.Path() / ".h.txt"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "d.txt"));
  EXPECT_EQ(ReadBytes((TrashDir() / "files" / "a.txt").string()), "a.txt");
  const std::string info = ReadBytes((TrashDir() / "info" / "a.txt.trashinfo").string());
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
  EXPECT_NE(info.find("a.txt\nDeletionDate="), std::string::npos) << info;
  EXPECT_EQ(MoveToRecycleBin(tmp.File("missing\\*.*")), 0);
}

TEST_F(Trash, LongestNamesAreMoved) {
  TempDir tmp;
  const std::string name(255, 'n');
  WriteBytes(tmp.NativeFile(name), "long");
  EXPECT_EQ(MoveToRecycleBin(tmp.File("n*")), 1);
  EXPECT_FALSE(fs::exists(tmp.Path() / name));
  bool found = false;
  for (const auto& e : fs::directory_iterator(TrashDir() / "files")) {
    found = found || ReadBytes(e.path().string()) == "long";
  }
  EXPECT_TRUE(found);
}

TEST_F(Trash, EveryTrashedFileHasACompleteRecord) {
  // Names whose record name (the name plus ".trashinfo") would be too long for the
  // file system are shortened before they are trashed.
  TempDir tmp;
  for (const std::size_t length : {200u, 201u, 237u, 245u, 246u, 255u}) {
    const std::string name = std::string(length - 4, 'q') + ".dat";
    WriteBytes(tmp.NativeFile(name), name);
  }
  EXPECT_EQ(MoveToRecycleBin(tmp.File("q*")), 6);
  EXPECT_TRUE(fs::is_empty(tmp.Path()));
  int records = 0;
  for (const auto& e : fs::directory_iterator(TrashDir() / "info")) {
    if (e.path().filename().string().rfind("qqqq", 0) != 0) continue;
    ++records;
    const std::string info = ReadBytes(e.path().string());
    EXPECT_NE(info.find("\nPath="), std::string::npos) << e.path();
    EXPECT_NE(info.find("\nDeletionDate="), std::string::npos) << e.path();
    const std::string stem = e.path().stem().string();
    EXPECT_TRUE(fs::exists(TrashDir() / "files" / stem)) << stem;
  }
  EXPECT_EQ(records, 6);
}

TEST_F(Trash, NamesFromDiskAreNotPaths) {
  TempDir tmp;
  fs::create_directory(tmp.Path() / "sub");
  WriteBytes(tmp.NativeFile("sub/inner.txt"), "inner");
  WriteBytes(tmp.NativeFile("sub\\inner.txt"), "odd");
  WriteBytes(tmp.NativeFile("x\xFF.txt"), "latin");
  EXPECT_EQ(MoveToRecycleBin(tmp.File("*.txt")), 2);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("sub/inner.txt")), "inner");
  EXPECT_FALSE(fs::exists(tmp.Path() / "sub\\inner.txt"));
  EXPECT_FALSE(fs::exists(tmp.Path() / "x\xFF.txt"));
}

}  // namespace
}  // namespace kez
