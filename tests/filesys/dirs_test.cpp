// Directory questions and tree scans.
#include "kez/filesys/dirs.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/sysutils.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteBytes;

// tmp/report.txt, tmp/notes.TXT, tmp/x.csv, tmp/Sub/deep.txt, tmp/Sub/Inner/r.txt,
// tmp/.hid/h.txt and tmp/loop, a link back to tmp.
void MakeTree(const TempDir& tmp) {
  fs::create_directories(tmp.Path() / "Sub" / "Inner");
  fs::create_directory(tmp.Path() / ".hid");
  for (const char* f :
       {"report.txt", "notes.TXT", "x.csv", "Sub/deep.txt", "Sub/Inner/r.txt", ".hid/h.txt"}) {
    WriteBytes(tmp.NativeFile(f), f);
  }
  fs::create_directory_symlink(tmp.Path(), tmp.Path() / "loop");
}

TEST(DirQuestions, ExistsAndEmpty) {
  TempDir tmp;
  EXPECT_TRUE(DirExists(tmp.File("")));
  EXPECT_FALSE(DirExists(u""));
  EXPECT_FALSE(DirExists(tmp.File("missing")));
  EXPECT_TRUE(DirEmpty(tmp.File("")));
  EXPECT_TRUE(DirEmpty(tmp.File("missing")));
  fs::create_directory(tmp.Path() / "sub");
  EXPECT_FALSE(DirEmpty(tmp.File("")));
  WriteBytes(tmp.NativeFile("f"), "");
  EXPECT_FALSE(DirExists(tmp.File("f")));
  EXPECT_TRUE(DirExists(tmp.File("SUB")));
}

TEST(ScanFiles, ListsUpperCasedDirectoriesAndSkipsLinkedDirectories) {
  TempDir tmp;
  MakeTree(tmp);
  TStringList list;
  list.Add(u"kept");
  std::vector<String> visited;
  const TScanFilesFeedback feedback = [&](const String& dir, std::int32_t count) {
    visited.push_back(dir + u"|" + IntToStr(count));
  };
  const String root = UpperCase(tmp.File(""));
  ScanFilesToStrList(tmp.File("*.txt"), true, &list, feedback);
  const std::vector<String> expected = {u"kept",
                                        root + u"notes.TXT",
                                        root + u"report.txt",
                                        root + u".HID\\h.txt",
                                        root + u"SUB\\deep.txt",
                                        root + u"SUB\\INNER\\r.txt"};
  EXPECT_EQ(list.Items(), expected);
  const std::vector<String> dirs = {root + u"|0", root + u".HID\\|2", root + u"SUB\\|3",
                                    root + u"SUB\\INNER\\|4"};
  EXPECT_EQ(visited, dirs);

  EXPECT_EQ(CountFiles(tmp.File("*.txt"), true, nullptr), 5);
  EXPECT_EQ(CountFiles(tmp.File("*.txt"), false, nullptr), 2);
  // A link to a directory is not a file either.
  EXPECT_EQ(CountFiles(tmp.File("*.*"), false, nullptr), 3);
  ScanFilesToStrList(tmp.File("*.*"), true, nullptr, feedback);
  EXPECT_EQ(CountFiles(tmp.File("missing\\*.*"), true, nullptr), 0);
}

TEST(SetAllFilenameCase, RenamesNamesOnlyAndDescendsUnderTheNewName) {
  TempDir tmp;
  fs::create_directories(tmp.Path() / "Keep" / "Dir" / "Sub");
  WriteBytes(tmp.NativeFile("Keep/Dir/File.Txt"), "1");
  WriteBytes(tmp.NativeFile("Keep/Dir/Sub/Deep.Txt"), "2");
  WriteBytes(tmp.NativeFile("Keep/Other.Txt"), "3");
  fs::create_directory_symlink(tmp.Path() / "Keep", tmp.Path() / "Keep" / "Dir" / "Link");
  SetAllFilenameCase(tmp.File("Keep\\*.*"), true);
  // The directory part keeps its spelling; the link is renamed, not followed.
  EXPECT_TRUE(fs::exists(tmp.Path() / "Keep" / "DIR" / "FILE.TXT"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "Keep" / "DIR" / "SUB" / "DEEP.TXT"));
  EXPECT_TRUE(fs::is_symlink(tmp.Path() / "Keep" / "DIR" / "LINK"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "Keep" / "OTHER.TXT"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "Keep"));

  SetAllFilenameCase(tmp.File("KEEP\\DIR\\*.txt"), false);
  EXPECT_TRUE(fs::exists(tmp.Path() / "Keep" / "DIR" / "file.txt"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "Keep" / "DIR" / "SUB" / "DEEP.TXT"));
}

TEST(SetAllFilenameCase, NeverReplacesAnExistingSpelling) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("A.TXT"), "upper");
  WriteBytes(tmp.NativeFile("a.txt"), "lower");
  EXPECT_THROW(SetAllFilenameCase(tmp.File("*.txt"), true), EInOutError);
  EXPECT_EQ(test::ReadBytes(tmp.NativeFile("A.TXT")), "upper");
  EXPECT_EQ(test::ReadBytes(tmp.NativeFile("a.txt")), "lower");
}

TEST(FileDetect, DepthFirstThroughPlainDirectoriesOnly) {
  TempDir tmp;
  MakeTree(tmp);
  const String root = UpperCase(tmp.File(""));
  EXPECT_EQ(FileDetect(tmp.File("report.txt")), root + u"report.txt");
  EXPECT_EQ(FileDetect(tmp.File("r.txt")), root + u"SUB\\INNER\\r.txt");
  // h.txt lies in a hidden directory only, and the link back to the root is not followed.
  EXPECT_EQ(FileDetect(tmp.File("h.txt")), u"");
  fs::create_directories(tmp.Path() / "Ro");
  WriteBytes(tmp.NativeFile("Ro/ro.txt"), "");
  ::chmod(tmp.NativeFile("Ro").c_str(), 0555);
  EXPECT_EQ(FileDetect(tmp.File("ro.txt")), u"");
  EXPECT_EQ(FileDetect(tmp.File("nowhere.txt")), u"");
  // A directory is not a file.
  EXPECT_EQ(FileDetect(tmp.File("inner")), u"");
}

}  // namespace
}  // namespace kez
