// Tree operations over names read from disk: names holding "\" or "..", letter-case twins,
// bytes that are not UTF-8, symbolic links and deep trees. Every case runs as the user the
// tests run as and, when that is root, once more as an ordinary user in a child process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "child_case.hpp"
#include "kez/filesys/dirs.hpp"
#include "kez/filesys/trees.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

using test::Outcome;

String Lib(const fs::path& P) { return NativeToString(P.string()); }
bool Exists(const fs::path& P) { return fs::exists(fs::symlink_status(P)); }

Outcome DeleteFilesStaysInItsFolder(const fs::path& Dir) {
  fs::create_directory(Dir / "dir");
  WriteBytes((Dir / "victim.txt").string(), "victim");
  WriteBytes((Dir / "dir" / "\\..\\victim.txt").string(), "odd");
  CHECK_THAT(DeleteFiles(Lib(Dir / "dir") + u"\\*.txt") == 1);
  CHECK_THAT(ReadBytes((Dir / "victim.txt").string()) == "victim");
  CHECK_THAT(fs::is_empty(Dir / "dir"));
  // A name without wildcards that exists with its exact spelling names that file alone.
  WriteBytes((Dir / "dir" / "R.TXT").string(), "R");
  WriteBytes((Dir / "dir" / "r.txt").string(), "r");
  CHECK_THAT(DeleteFiles(Lib(Dir / "dir") + u"/r.txt") == 1);
  CHECK_THAT(Exists(Dir / "dir" / "R.TXT"));
  return {};
}

Outcome DelDirTreeStaysInTheTree(const fs::path& Dir) {
  fs::create_directories(Dir / "tree" / "sub");
  WriteBytes((Dir / "victim.txt").string(), "victim");
  WriteBytes((Dir / "tree" / "..\\victim.txt").string(), "odd");
  WriteBytes((Dir / "tree" / "sub" / "..\\..\\victim.txt").string(), "odd");
  fs::create_directory(Dir / "tree" / "..\\..");
  CHECK_THAT(DelDirTree(Lib(Dir / "tree")).empty());
  CHECK_THAT(!Exists(Dir / "tree"));
  CHECK_THAT(ReadBytes((Dir / "victim.txt").string()) == "victim");
  return {};
}

Outcome CopyStaysInBothTrees(const fs::path& Dir) {
  fs::create_directories(Dir / "src");
  fs::create_directories(Dir / "out");
  WriteBytes((Dir / "x.txt").string(), "outside the source");
  WriteBytes((Dir / "src" / "..\\x.txt").string(), "inner");
  WriteBytes((Dir / "out" / "x.txt").string(), "keep");
  CopyFileTree(Lib(Dir / "src"), Lib(Dir / "out" / "dst"), false, nullptr);
  CHECK_THAT(ReadBytes((Dir / "out" / "x.txt").string()) == "keep");
  CHECK_THAT(ReadBytes((Dir / "out" / "dst" / "..\\x.txt").string()) == "inner");
  return {};
}

Outcome CopyKeepsCaseTwinsApart(const fs::path& Dir) {
  fs::create_directories(Dir / "src" / "sub");
  fs::create_directories(Dir / "src" / "SUB");
  for (const char* f : {"R.TXT", "r.txt", "sub/f", "SUB/f"}) {
    WriteBytes((Dir / "src" / f).string(), f);
  }
  std::vector<String> names;
  CopyFileTree(Lib(Dir / "src"), Lib(Dir / "dst"), false,
               [&](std::int64_t, std::int64_t, const String& Name, std::int32_t) {
                 if (names.empty() || names.back() != Name) names.push_back(Name);
               });
  for (const char* f : {"R.TXT", "r.txt", "sub/f", "SUB/f"}) {
    CHECK_THAT(ReadBytes((Dir / "dst" / f).string()) == f);
  }
  // The names reported lead to the copies, twins included.
  CHECK_THAT(names.size() == 4);
  for (const String& n : names) CHECK_THAT(ReadBytes(NativeFileName(n)).size() >= 1);
  return {};
}

Outcome CopyNeverWritesThroughLinks(const fs::path& Dir) {
  fs::create_directories(Dir / "src");
  fs::create_directories(Dir / "dst");
  WriteBytes((Dir / "target").string(), "secret");
  WriteBytes((Dir / "target2").string(), "secret2");
  fs::create_symlink(Dir / "target", Dir / "src" / "A.txt");
  WriteBytes((Dir / "src" / "a.txt").string(), "data");
  WriteBytes((Dir / "src" / "b.txt").string(), "data");
  fs::create_symlink(Dir / "target2", Dir / "dst" / "b.txt");  // already in the destination
  CopyFileTree(Lib(Dir / "src"), Lib(Dir / "dst"), false, nullptr);
  CHECK_THAT(ReadBytes((Dir / "target").string()) == "secret");
  CHECK_THAT(ReadBytes((Dir / "target2").string()) == "secret2");
  CHECK_THAT(fs::is_symlink(Dir / "dst" / "A.txt"));
  CHECK_THAT(fs::is_regular_file(fs::symlink_status(Dir / "dst" / "a.txt")));
  CHECK_THAT(ReadBytes((Dir / "dst" / "a.txt").string()) == "data");
  return {};
}

Outcome SetAllFilenameCaseRenamesInsideTheTree(const fs::path& Dir) {
  fs::create_directories(Dir / "tree" / "sub");
  WriteBytes((Dir / "victim.txt").string(), "victim");
  WriteBytes((Dir / "tree" / "sub\\..\\..\\victim.txt").string(), "odd");
  SetAllFilenameCase(Lib(Dir / "tree") + u"\\*.*", true);
  CHECK_THAT(Exists(Dir / "victim.txt"));
  CHECK_THAT(!Exists(Dir / "VICTIM.TXT"));
  CHECK_THAT(Exists(Dir / "tree" / "SUB\\..\\..\\VICTIM.TXT"));
  CHECK_THAT(Exists(Dir / "tree" / "SUB"));
  return {};
}

// Each name a scan lists must lead back to its file: the files hold their own path.
Outcome ListedNamesLeadBack(const TStringList& List, std::size_t Expected) {
  CHECK_THAT(static_cast<std::size_t>(List.Count()) == Expected);
  std::vector<std::string> seen;
  for (std::int32_t i = 0; i < List.Count(); ++i) {
    const std::string native = NativeFileName(List[i]);
    CHECK_THAT(ReadBytes(native) == native);
    seen.push_back(native);
  }
  std::sort(seen.begin(), seen.end());
  CHECK_THAT(std::adjacent_find(seen.begin(), seen.end()) == seen.end());
  return {};
}

void WriteOwnPath(const fs::path& P) { WriteBytes(P.string(), P.string()); }

Outcome ScansSeeCaseTwinsApart(const fs::path& Dir) {
  const fs::path tree = Dir / "tree";
  fs::create_directories(tree / "sub");
  fs::create_directories(tree / "SUB");
  fs::create_directories(tree / "Sub");
  WriteOwnPath(tree / "sub" / "a.txt");
  WriteOwnPath(tree / "SUB" / "b.txt");
  WriteOwnPath(tree / "Sub" / "c.txt");
  TStringList list;
  ScanFilesToStrList(Lib(tree) + u"\\*.txt", true, &list, nullptr);
  if (Outcome o = ListedNamesLeadBack(list, 3); !o.empty()) return o;
  CHECK_THAT(CountFiles(Lib(tree) + u"\\*.txt", true, nullptr) == 3);
  const String found = FileDetect(Lib(tree) + u"\\a.txt");
  CHECK_THAT(NativeFileName(found) == (tree / "sub" / "a.txt").string());
  CHECK_THAT(NativeFileName(FileDetect(Lib(tree) + u"\\c.txt")) ==
             (tree / "Sub" / "c.txt").string());
  return {};
}

Outcome OddNamesCopyScanAndDelete(const fs::path& Dir) {
  const fs::path tree = Dir / "tree";
  const fs::path odd = tree / "d\xFE" / "a\\b";
  fs::create_directories(odd);
  WriteOwnPath(tree / "\xFF.txt");
  WriteOwnPath(tree / "new\nline.txt");
  WriteOwnPath(odd / "in.txt");
  WriteOwnPath(odd / "C:.txt");
  TStringList list;
  ScanFilesToStrList(Lib(tree) + u"/*.*", true, &list, nullptr);
  if (Outcome o = ListedNamesLeadBack(list, 4); !o.empty()) return o;

  CopyFileTree(Lib(tree), Lib(Dir / "copy"), false, nullptr);
  CHECK_THAT(ReadBytes((Dir / "copy" / "\xFF.txt").string()) == (tree / "\xFF.txt").string());
  CHECK_THAT(ReadBytes((Dir / "copy" / "d\xFE" / "a\\b" / "in.txt").string()) ==
             (odd / "in.txt").string());
  CHECK_THAT(CountFiles(Lib(Dir / "copy") + u"\\*.*", true, nullptr) == 4);

  // A failure deep in such a tree is reported under a name that reaches the entry.
  ::chmod((odd / "in.txt").c_str(), 0444);
  const String failed = DelDirTree(Lib(tree));
  CHECK_THAT(NativeFileName(failed) == (odd / "in.txt").string());
  ::chmod((odd / "in.txt").c_str(), 0644);
  CHECK_THAT(DelDirTree(Lib(tree)).empty());
  CHECK_THAT(DelDirTree(Lib(Dir / "copy")).empty());
  CHECK_THAT(!Exists(tree) && !Exists(Dir / "copy"));
  return {};
}

Outcome DelDirTreeDeletesALinkItself(const fs::path& Dir) {
  fs::create_directories(Dir / "target" / "inner");
  WriteBytes((Dir / "target" / "inner" / "keep").string(), "k");
  fs::create_directory_symlink(Dir / "target", Dir / "link");
  fs::create_directory_symlink(Dir / "target", Dir / "link2");
  CHECK_THAT(DelDirTree(Lib(Dir / "link")).empty());
  CHECK_THAT(DelDirTree(Lib(Dir / "link2") + u"\\").empty());
  CHECK_THAT(!Exists(Dir / "link") && !Exists(Dir / "link2"));
  CHECK_THAT(ReadBytes((Dir / "target" / "inner" / "keep").string()) == "k");
  return {};
}

Outcome DeepTreesAreWalkedWhole(const fs::path& Dir) {
  // Deeper than the folders a walk keeps open, and than PATH_MAX allows as one path.
  const int depth = 300;
  const std::string part(20, 'd');
  int fd = ::open(Dir.c_str(), O_RDONLY | O_DIRECTORY);
  ::mkdirat(fd, "tree", 0777);
  int at = ::openat(fd, "tree", O_RDONLY | O_DIRECTORY);
  ::close(fd);
  for (int i = 0; i < depth; ++i) {
    ::mkdirat(at, part.c_str(), 0777);
    const int next = ::openat(at, part.c_str(), O_RDONLY | O_DIRECTORY);
    if (i % 50 == 0) ::close(::openat(at, "f.txt", O_WRONLY | O_CREAT, 0666));
    ::close(at);
    at = next;
  }
  ::close(::openat(at, "bottom.txt", O_WRONLY | O_CREAT, 0666));
  ::close(at);
  const String tree = Lib(Dir / "tree");
  CHECK_THAT(CountFiles(tree + u"\\*.txt", true, nullptr) == depth / 50 + 1);
  CHECK_THAT(DirEmpty(tree) == false);
  CHECK_THAT(DelDirTree(tree).empty());
  CHECK_THAT(!Exists(Dir / "tree"));
  return {};
}

// Random trees with awkward names against a model built with std::filesystem: a scan lists
// exactly the files below the root (each name leading back to its file), a copy reproduces
// every file and link, and DelDirTree removes everything.
TEST(Walkers, RandomTreesAgainstTheModel) {
  const char* const kParts[] = {"a", "A", "b.txt", "B.TXT", "\\", "..", "\xFF", "\n", "c:", "~"};
  std::mt19937 gen(11);
  for (int round = 0; round < 12; ++round) {
    TempDir tmp;
    const fs::path root = tmp.Path() / "src";
    fs::create_directory(root);
    std::vector<fs::path> folders = {root};
    for (int i = 0; i < 60; ++i) {
      std::string name;
      for (int k = 1 + static_cast<int>(gen() % 3); k > 0; --k) name += kParts[gen() % 10];
      if (name == "." || name == "..") continue;
      const fs::path at = folders[gen() % folders.size()] / name;
      if (Exists(at)) continue;
      switch (gen() % 4) {
        case 0:
          fs::create_directory(at);
          folders.push_back(at);
          break;
        case 1:
          fs::create_symlink(std::vector<fs::path>{"..", "/", "nowhere"}[gen() % 3], at);
          break;
        default:
          WriteOwnPath(at);
      }
    }
    std::set<std::string> model;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
      if (!fs::is_directory(it->path())) model.insert(it->path().string());
    }
    TStringList list;
    ScanFilesToStrList(Lib(root) + u"\\*.*", true, &list, nullptr);
    std::set<std::string> listed;
    for (std::int32_t i = 0; i < list.Count(); ++i) listed.insert(NativeFileName(list[i]));
    EXPECT_EQ(listed, model) << "round " << round;
    EXPECT_EQ(static_cast<std::size_t>(list.Count()), model.size());

    CopyFileTree(Lib(root), Lib(tmp.Path() / "dst"), false, nullptr);
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
      const fs::path copy = tmp.Path() / "dst" / it->path().lexically_relative(root);
      if (it->is_symlink()) {
        EXPECT_EQ(fs::read_symlink(copy), fs::read_symlink(it->path()));
      } else if (it->is_regular_file()) {
        EXPECT_EQ(ReadBytes(copy.string()), it->path().string());
      } else {
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(copy))) << copy;
      }
    }
    EXPECT_EQ(DelDirTree(Lib(root)), u"");
    EXPECT_EQ(DelDirTree(Lib(tmp.Path() / "dst")), u"");
    EXPECT_TRUE(fs::is_empty(tmp.Path()));
  }
}

// Folders named in the verbatim form: a backslash there is part of a name.
TEST(Walkers, VerbatimArguments) {
  TempDir tmp;
  const fs::path odd = tmp.Path() / "x\\y";
  fs::create_directory(odd);
  WriteOwnPath(odd / "in.txt");
  const fs::path copy = tmp.Path() / "c\\d";
  CopyFileTree(VerbatimFileName(odd.string()), VerbatimFileName(copy.string()), false, nullptr);
  EXPECT_EQ(ReadBytes((copy / "in.txt").string()), (odd / "in.txt").string());
  fs::remove(copy / "in.txt");
  EXPECT_EQ(FileCopyFeedBk(VerbatimFileName((odd / "in.txt").string()),
                           VerbatimFileName(copy.string()), false, nullptr),
            fcSuccess);
  EXPECT_EQ(CountFiles(VerbatimFileName(copy.string()) + u"/*.txt", true, nullptr), 1);
  // A verbatim source copied into a folder named in the ordinary form keeps its one name.
  WriteOwnPath(tmp.Path() / "a\\b.txt");
  fs::create_directories(tmp.Path() / "out" / "a");
  EXPECT_EQ(FileCopyFeedBk(VerbatimFileName((tmp.Path() / "a\\b.txt").string()),
                           Lib(tmp.Path() / "out"), false, nullptr),
            fcSuccess);
  EXPECT_EQ(ReadBytes((tmp.Path() / "out" / "a\\b.txt").string()),
            (tmp.Path() / "a\\b.txt").string());
  EXPECT_TRUE(fs::is_empty(tmp.Path() / "out" / "a"));
  fs::remove_all(tmp.Path() / "out");
  fs::remove(tmp.Path() / "a\\b.txt");
  EXPECT_EQ(DelDirTree(VerbatimFileName(odd.string())), u"");
  EXPECT_EQ(DelDirTree(VerbatimFileName(copy.string() + "/")), u"");
  EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

const test::ChildCase kCases[] = {
    {"DeleteFilesStaysInItsFolder", DeleteFilesStaysInItsFolder},
    {"DelDirTreeStaysInTheTree", DelDirTreeStaysInTheTree},
    {"CopyStaysInBothTrees", CopyStaysInBothTrees},
    {"CopyKeepsCaseTwinsApart", CopyKeepsCaseTwinsApart},
    {"CopyNeverWritesThroughLinks", CopyNeverWritesThroughLinks},
    {"SetAllFilenameCaseRenamesInsideTheTree", SetAllFilenameCaseRenamesInsideTheTree},
    {"ScansSeeCaseTwinsApart", ScansSeeCaseTwinsApart},
    {"OddNamesCopyScanAndDelete", OddNamesCopyScanAndDelete},
    {"DelDirTreeDeletesALinkItself", DelDirTreeDeletesALinkItself},
    {"DeepTreesAreWalkedWhole", DeepTreesAreWalkedWhole},
};

class Walkers : public ::testing::TestWithParam<test::ChildCaseParam> {};

TEST_P(Walkers, Hold) { test::RunChildCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, Walkers,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()),
                         test::ChildCaseName);

}  // namespace
}  // namespace kez
