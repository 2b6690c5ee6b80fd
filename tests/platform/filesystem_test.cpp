// Directory search, attributes and times of the file-system platform.
#include "kez/platform/filesystem.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteBytes;

std::vector<std::pair<String, std::int32_t>> List(StringView Path, std::int32_t Attr) {
  std::vector<std::pair<String, std::int32_t>> out;
  TSearchRec F;
  if (FindFirst(Path, Attr, F) == 0) {
    do out.emplace_back(F.Name, F.Attr);
    while (FindNext(F) == 0);
    FindClose(F);
  }
  return out;
}

TEST(MatchesMask, Wildcards) {
  struct Case {
    const char16_t* Name;
    const char16_t* Mask;
    bool Match;
  };
  const Case cases[] = {
      {u"report.txt", u"*.*", true},
      {u"README", u"*.*", true},
      {u"", u"*.*", true},
      {u"report.TXT", u"*.txt", true},
      {u"report.txt.bak", u"*.txt", false},
      {u"a.b.c", u"*.c", true},
      {u"abc", u"a?c", true},
      {u"ac", u"a?c", false},
      {u"data1.csv", u"DATA?.*", true},
      {u"data", u"data.*", true},
      {u"x", u"", false},
      {u"", u"", true},
      {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", u"*a*a*a*a*a*a*a*a*c", false},
      {u"abcabd", u"*abd", true},
      {u"name", u"NAME", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Match)
        << test::U8(c.Name) << " ~ " << test::U8(c.Mask);
  }
}

TEST(FindFirst, AttributesAndExclusion) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("b.txt"), "12345");
  WriteBytes(tmp.NativeFile(".hidden"), "");
  WriteBytes(tmp.NativeFile("Ro.txt"), "");
  ::chmod(tmp.NativeFile("Ro.txt").c_str(), 0444);
  fs::create_directory(tmp.Path() / "dir");
  fs::create_directory_symlink(tmp.Path() / "dir", tmp.Path() / "linkdir");
  fs::create_symlink(tmp.Path() / "b.txt", tmp.Path() / "linkfile");
  const String all = tmp.File("*.*");

  const auto everything = List(all, faAnyFile);
  const std::vector<std::pair<String, std::int32_t>> expected = {
      {u".", faDirectory | faHidden},
      {u"..", faDirectory | faHidden},
      {u".hidden", faArchive | faHidden},
      {u"b.txt", faArchive},
      {u"dir", faDirectory},
      {u"linkdir", faDirectory | faSymLink},
      {u"linkfile", faSymLink},
      {u"Ro.txt", faArchive | faReadOnly},
  };
  EXPECT_EQ(everything, expected);

  // Without faDirectory and faHidden only plain entries (links to files included) remain.
  const auto plain = List(all, 0);
  ASSERT_EQ(plain.size(), 3u);
  EXPECT_EQ(plain[0].first, u"b.txt");
  EXPECT_EQ(plain[1].first, u"linkfile");
  EXPECT_EQ(plain[2].first, u"Ro.txt");

  TSearchRec F;
  ASSERT_EQ(FindFirst(tmp.File("B.TXT"), 0, F), 0);
  EXPECT_EQ(F.Size, 5);
  EXPECT_EQ(FindNext(F), feNoMoreFiles);
  FindClose(F);
  EXPECT_EQ(FindFirst(tmp.File("*.none"), faAnyFile, F), feFileNotFound);
  EXPECT_EQ(FindFirst(tmp.File("missing/*.*"), faAnyFile, F), fePathNotFound);
  EXPECT_EQ(FindNext(F), feNoMoreFiles);
}

TEST(FindFirst, UpperCasedDirectoryPartIsFound) {
  TempDir tmp;
  fs::create_directories(tmp.Path() / "Data" / "sub");
  WriteBytes(tmp.NativeFile("Data/sub/report.txt"), "x");
  const auto found = List(UpperCase(tmp.File("Data\\sub\\")) + u"*.TXT", faAnyFile);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].first, u"report.txt");
}

TEST(FindFirst, NamesFromDiskComeBackExactly) {
  TempDir tmp;
  for (const char* f : {"R.TXT", "r.txt", "a\\b.txt", "\xFF.txt", "new\nline.txt"}) {
    WriteBytes(tmp.NativeFile(f), f);
  }
  // An exact spelling finds that entry alone; another spelling finds both twins.
  EXPECT_EQ(List(tmp.File("r.txt"), faAnyFile).size(), 1u);
  EXPECT_EQ(List(tmp.File("R.TXT"), faAnyFile).at(0).first, u"R.TXT");
  EXPECT_EQ(List(tmp.File("R.txt"), faAnyFile).size(), 2u);
  // Every name listed reaches its own file again, verbatim inside the folder.
  const auto found = List(tmp.File("*.txt"), faAnyFile);
  ASSERT_EQ(found.size(), 5u);
  for (const auto& [name, attr] : found) {
    const String full = VerbatimFileName(tmp.Path().string() + "/") + name;
    EXPECT_EQ(test::ReadBytes(NativeFileName(full)), StringToNative(name));
  }
}

TEST(FileAttr, ReadOnlyTimesAndKinds) {
  TempDir tmp;
  const String file = tmp.File("f.txt");
  WriteBytes(tmp.NativeFile("f.txt"), "abc");
  EXPECT_EQ(FileGetAttr(file), faArchive);
  EXPECT_EQ(FileSetAttr(file, faReadOnly), 0);
  EXPECT_EQ(FileGetAttr(file), faArchive | faReadOnly);
  EXPECT_EQ(FileSetAttr(file, 0), 0);
  EXPECT_EQ(FileGetAttr(file), faArchive);
  EXPECT_EQ(FileGetAttr(tmp.File("nothing")), -1);
  EXPECT_EQ(FileGetAttr(tmp.File("")), faDirectory);

  const std::timespec when{1000000000, 123456789};
  ASSERT_TRUE(FileSetModTime(file, when));
  std::timespec back{};
  ASSERT_TRUE(FileGetModTime(file, back));
  EXPECT_EQ(back.tv_sec, when.tv_sec);
  EXPECT_EQ(back.tv_nsec, when.tv_nsec);

  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_TRUE(ForceDirectories(tmp.File("a\\b\\c")));
  EXPECT_TRUE(DirectoryExists(tmp.File("A/B/C")));
  EXPECT_FALSE(ForceDirectories(tmp.File("f.txt\\x")));
  EXPECT_FALSE(DeleteFile(tmp.File("a")));
  EXPECT_TRUE(RemoveDir(tmp.File("a/b/c")));
  EXPECT_TRUE(DeleteFile(file));
  EXPECT_FALSE(FileExists(file));
}

}  // namespace
}  // namespace kez
