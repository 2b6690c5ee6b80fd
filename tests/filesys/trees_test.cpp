// File copy with feedback, tree copy and deletion.
#include "kez/filesys/trees.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <iterator>

#include <filesystem>
#include <utility>
#include <vector>

#include "kez/filesys/dirs.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using Calls = std::vector<std::pair<std::int64_t, std::int64_t>>;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
  return s;
}

// The feedback sequence a file of n bytes must produce: the start, one call before each
// 8192-byte chunk (the last one short or empty), and the end.
Calls ExpectedCalls(std::int64_t n) {
  Calls c = {{0, n}};
  std::int64_t done = 0;
  for (;;) {
    c.emplace_back(done, n);
    if (n - done < 8192) break;
    done += 8192;
  }
  c.emplace_back(n, n);
  return c;
}

class FeedbackSequence : public ::testing::TestWithParam<std::int64_t> {};

TEST_P(FeedbackSequence, MatchesTheChunks) {
  TempDir tmp;
  const std::string data = Pattern(static_cast<std::size_t>(GetParam()));
  WriteBytes(tmp.NativeFile("src.bin"), data);
  Calls calls;
  const int status =
      FileCopyFeedBk(tmp.File("src.bin"), tmp.File("dst.bin"), false,
                     [&](std::int64_t a, std::int64_t b) { calls.emplace_back(a, b); });
  EXPECT_EQ(status, fcSuccess);
  EXPECT_EQ(calls, ExpectedCalls(GetParam()));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("dst.bin")), data);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FeedbackSequence,
                         ::testing::Values(0, 1, 8192, 8193, 10000, 128 * 8192, 128 * 8192 + 5,
                                           3 * 128 * 8192 - 1));

TEST(FileCopyFeedBk, ReplacesALongerDestinationWholly) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("src"), "short");
  for (const bool withFeedback : {false, true}) {
    WriteBytes(tmp.NativeFile("dst"), Pattern(20000));
    const int status = withFeedback ? FileCopyFeedBk(tmp.File("src"), tmp.File("dst"), false,
                                                     [](std::int64_t, std::int64_t) {})
                                    : FileCopyFeedBk(tmp.File("src"), tmp.File("dst"), false,
                                                     nullptr);
    EXPECT_EQ(status, fcSuccess);
    EXPECT_EQ(ReadBytes(tmp.NativeFile("dst")), "short");
  }
}

TEST(FileCopyFeedBk, ExamplesFromTheDocumentation) {
  EXPECT_EQ(ExpectedCalls(10000), (Calls{{0, 10000}, {0, 10000}, {8192, 10000}, {10000, 10000}}));
  EXPECT_EQ(ExpectedCalls(0), (Calls{{0, 0}, {0, 0}, {0, 0}}));
}

TEST(FileCopyFeedBk, IntoADirectoryWithTimesAndAttributes) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("a.txt"), "hello");
  ::chmod(tmp.NativeFile("a.txt").c_str(), 0444);
  FileSetModTime(tmp.File("a.txt"), {1234567890, 0});
  fs::create_directory(tmp.Path() / "Out");
  EXPECT_EQ(FileCopyFeedBk(tmp.File("a.txt"), tmp.File("OUT"), true, nullptr), fcSuccess);
  const std::string copy = tmp.NativeFile("Out/a.txt");
  EXPECT_EQ(ReadBytes(copy), "hello");
  struct stat st {};
  ASSERT_EQ(::stat(copy.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(st.st_mode & 0777, 0644u);  // the source's permissions, writable by the owner
}

TEST(FileCopyFeedBk, FailuresLeaveTheDestinationAlone) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("src"), "source");
  WriteBytes(tmp.NativeFile("keep"), "precious");
  // The same file reached through a link is not truncated.
  fs::create_symlink(tmp.Path() / "src", tmp.Path() / "alias");
  Calls calls;
  const auto record = [&](std::int64_t a, std::int64_t b) { calls.emplace_back(a, b); };
  EXPECT_EQ(FileCopyFeedBk(tmp.File("src"), tmp.File("alias"), false, record), fcCreateDestFailed);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("src")), "source");
  EXPECT_EQ(calls, (Calls{{0, 6}, {0, 6}}));
  EXPECT_EQ(FileCopyFeedBk(tmp.File("src"), tmp.File("src"), false, nullptr), fcCreateDestFailed);
  EXPECT_EQ(FileCopyFeedBk(tmp.File("src"), tmp.File("no\\such\\dir\\x"), false, nullptr),
            fcCreateDestFailed);
  // A missing source raises, and creates nothing.
  EXPECT_THROW(FileCopyFeedBk(tmp.File("missing"), tmp.File("keep"), false, nullptr), EInOutError);
  EXPECT_THROW(FileCopyFeedBk(tmp.File("missing"), tmp.File("new"), false, nullptr), EInOutError);
  EXPECT_FALSE(fs::exists(tmp.Path() / "new"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("keep")), "precious");
  // A device may be the destination; a full one fails the first write.
  Calls full;
  EXPECT_EQ(FileCopyFeedBk(tmp.File("src"), u"/dev/full", false,
                           [&](std::int64_t a, std::int64_t b) { full.emplace_back(a, b); }),
            fcWriteFailed);
  EXPECT_EQ(full, (Calls{{0, 6}, {0, 6}, {6, 6}}));
  EXPECT_EQ(FileCopyFeedBk(tmp.File("src"), u"/dev/full", false, nullptr), fcWriteFailed);
  // A pipe is not copied (it could block for ever).
  ASSERT_EQ(::mkfifo(tmp.NativeFile("fifo").c_str(), 0666), 0);
  EXPECT_EQ(FileCopyFeedBk(tmp.File("fifo"), tmp.File("keep"), false, nullptr), fcOpenSourceFailed);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("keep")), "precious");
}

TEST(FileCopyFeedBk, ReadOnlyDestinationIsRefusedAsDeletionRefusesIt) {
  // As root too: the read-only attribute protects a file from being overwritten just as
  // from being deleted.
  TempDir tmp;
  WriteBytes(tmp.NativeFile("src"), "new");
  WriteBytes(tmp.NativeFile("ro"), "old");
  ::chmod(tmp.NativeFile("ro").c_str(), 0444);
  EXPECT_FALSE(DeleteFile(tmp.File("ro")));
  EXPECT_EQ(FileCopyFeedBk(tmp.File("src"), tmp.File("ro"), false, nullptr), fcCreateDestFailed);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("ro")), "old");
  // A tree copy leaves such a file alone as well.
  fs::create_directory(tmp.Path() / "from");
  WriteBytes(tmp.NativeFile("from/ro"), "new");
  fs::create_directory(tmp.Path() / "to");
  fs::copy_file(tmp.Path() / "ro", tmp.Path() / "to" / "ro");
  ::chmod(tmp.NativeFile("to/ro").c_str(), 0444);
  CopyFileTree(tmp.File("from"), tmp.File("to"), false, nullptr);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("to/ro")), "old");
}

TEST(FileCopyFeedBk, AbortFromTheFeedbackStopsAfterTheChunk) {
  TempDir tmp;
  const std::string data = Pattern(5 * 8192 + 100);
  WriteBytes(tmp.NativeFile("src"), data);
  FileSetModTime(tmp.File("src"), {1000000000, 0});
  Calls calls;
  const int status =
      FileCopyFeedBk(tmp.File("src"), tmp.File("dst"), false, [&](std::int64_t a, std::int64_t b) {
        calls.emplace_back(a, b);
        if (a == 8192) AbortAnyFileCopying();
      });
  EXPECT_EQ(status, fcSuccess);
  EXPECT_EQ(calls, (Calls{{0, 41060}, {0, 41060}, {8192, 41060}, {16384, 41060}}));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("dst")), data.substr(0, 16384));
  std::timespec t{};
  ASSERT_TRUE(FileGetModTime(tmp.File("dst"), t));
  EXPECT_NE(t.tv_sec, 1000000000);
  // The request does not outlive the copy.
  AbortAnyFileCopying();
  EXPECT_EQ(FileCopyFeedBk(tmp.File("src"), tmp.File("dst"), false, nullptr), fcSuccess);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("dst")), data);
}

// src/a.txt, src/Sub/b.txt, src/Sub/Deep/c.txt, src/link -> Sub, src/flink -> a.txt
void MakeSource(const fs::path& src) {
  fs::create_directories(src / "Sub" / "Deep");
  WriteBytes((src / "a.txt").string(), "a");
  WriteBytes((src / "Sub" / "b.txt").string(), Pattern(9000));
  WriteBytes((src / "Sub" / "Deep" / "c.txt").string(), "c");
  fs::create_directory_symlink("Sub", src / "link");
  fs::create_symlink("a.txt", src / "flink");
}

TEST(CopyFileTree, CopiesNestedFoldersRecreatingLinks) {
  TempDir tmp;
  MakeSource(tmp.Path() / "src");
  ::chmod(tmp.NativeFile("src/a.txt").c_str(), 0600);
  FileSetModTime(tmp.File("src/Sub/Deep/c.txt"), {987654321, 0});
  std::vector<std::pair<String, std::int32_t>> files;
  CopyFileTree(tmp.File("src"), tmp.File("dst\\new"), true,
               [&](std::int64_t, std::int64_t, const String& name, std::int32_t n) {
                 if (files.empty() || files.back().first != name) files.emplace_back(name, n);
               });
  const fs::path dst = tmp.Path() / "dst" / "new";
  EXPECT_EQ(ReadBytes((dst / "a.txt").string()), "a");
  EXPECT_EQ(ReadBytes((dst / "Sub" / "b.txt").string()), Pattern(9000));
  EXPECT_EQ(ReadBytes((dst / "Sub" / "Deep" / "c.txt").string()), "c");
  EXPECT_TRUE(fs::is_symlink(dst / "link"));
  EXPECT_EQ(fs::read_symlink(dst / "link"), "Sub");
  EXPECT_EQ(fs::read_symlink(dst / "flink"), "a.txt");
  std::timespec t{};
  ASSERT_TRUE(FileGetModTime(tmp.File("dst/new/Sub/Deep/c.txt"), t));
  EXPECT_EQ(t.tv_sec, 987654321);
  EXPECT_EQ(fs::status(dst / "a.txt").permissions() & fs::perms::all, fs::perms(0600));
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[2].second, 3);
  EXPECT_EQ(files[0].first, tmp.File("dst\\new\\") + u"a.txt");
}

TEST(CopyFileTree, IntoItselfEndsAndSameNameDoesNothing) {
  TempDir tmp;
  MakeSource(tmp.Path() / "src");
  CopyFileTree(tmp.File("src"), tmp.File("src/Sub/backup"), false, nullptr);
  const fs::path backup = tmp.Path() / "src" / "Sub" / "backup";
  EXPECT_TRUE(fs::exists(backup / "Sub" / "Deep" / "c.txt"));
  EXPECT_FALSE(fs::exists(backup / "Sub" / "backup"));
  CopyFileTree(tmp.File("src"), UpperCase(tmp.File("src")), false, nullptr);
  CopyFileTree(tmp.File("src\\"), tmp.File("src"), false, nullptr);
  fs::create_directory_symlink("src", tmp.Path() / "link");
  CopyFileTree(tmp.File("src"), tmp.File("link"), false, nullptr);
  EXPECT_EQ(CountFiles(tmp.File("*.*"), true, nullptr), 8);
}

// On Linux "photos" and "Photos" are two folders: the copy between them happens, also when
// the names are given in the verbatim form, which the letter-case fallback never touches.
TEST(CopyFileTree, FoldersThatDifferOnlyInCaseAreCopied) {
  TempDir tmp;
  MakeSource(tmp.Path() / "photos");
  CopyFileTree(tmp.File("photos"), VerbatimFileName(tmp.NativeFile("Photos")), false, nullptr);
  EXPECT_TRUE(fs::exists(tmp.Path() / "Photos" / "Sub" / "Deep" / "c.txt"));
  fs::create_directory(tmp.Path() / "PHOTOS");
  CopyFileTree(tmp.File("photos"), tmp.File("PHOTOS"), false, nullptr);
  EXPECT_TRUE(fs::exists(tmp.Path() / "PHOTOS" / "Sub" / "Deep" / "c.txt"));
}

// Runs Copy in a child process whose files may grow to Limit bytes (a full disk, in effect),
// so the limit never reaches the test itself.
void WithFileSizeLimit(rlim_t Limit, const std::function<void()>& Copy) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{Limit, Limit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    Copy();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(CopyFileTree, AFileThatDoesNotFitIsNeitherLeftCutNorAllowedToSpoilTheOldOne) {
  TempDir tmp;
  MakeSource(tmp.Path() / "src");  // Sub/b.txt holds 9000 bytes, the others one byte
  WithFileSizeLimit(4096, [&] { CopyFileTree(tmp.File("src"), tmp.File("new"), false, nullptr); });
  EXPECT_EQ(ReadBytes(tmp.NativeFile("new/a.txt")), "a");
  EXPECT_FALSE(fs::exists(tmp.Path() / "new" / "Sub" / "b.txt"));

  fs::create_directories(tmp.Path() / "old" / "Sub");
  WriteBytes(tmp.NativeFile("old/Sub/b.txt"), "kept");
  WriteBytes(tmp.NativeFile("old/a.txt"), "replaced");
  ::chmod(tmp.NativeFile("old/a.txt").c_str(), 0640);
  WithFileSizeLimit(4096, [&] { CopyFileTree(tmp.File("src"), tmp.File("old"), false, nullptr); });
  EXPECT_EQ(ReadBytes(tmp.NativeFile("old/Sub/b.txt")), "kept");
  EXPECT_EQ(ReadBytes(tmp.NativeFile("old/a.txt")), "a");
  EXPECT_EQ(fs::status(tmp.Path() / "old" / "a.txt").permissions() & fs::perms::all,
            fs::perms(0640));
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path() / "old" / "Sub"),
                          fs::directory_iterator()),
            2);  // b.txt and Deep, nothing beside them
}

TEST(CopyFileTree, AnEntryInTheWayThatIsNoRegularFileIsNeverWritten) {
  TempDir tmp;
  MakeSource(tmp.Path() / "src");
  fs::create_directories(tmp.Path() / "dst" / "Sub");
  // A FIFO without a reader would block a copy that opened it; a link would lead elsewhere.
  ASSERT_EQ(::mkfifo(tmp.NativeFile("dst/a.txt").c_str(), 0666), 0);
  WriteBytes(tmp.NativeFile("elsewhere"), "untouched");
  fs::create_symlink(tmp.Path() / "elsewhere", tmp.Path() / "dst" / "Sub" / "b.txt");
  CopyFileTree(tmp.File("src"), tmp.File("dst"), false, nullptr);
  EXPECT_TRUE(fs::is_fifo(tmp.Path() / "dst" / "a.txt"));
  EXPECT_TRUE(fs::is_symlink(tmp.Path() / "dst" / "Sub" / "b.txt"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("elsewhere")), "untouched");
  EXPECT_EQ(ReadBytes(tmp.NativeFile("dst/Sub/Deep/c.txt")), "c");
}

TEST(CopyFileTree, AbortStopsTheVisit) {
  TempDir tmp;
  MakeSource(tmp.Path() / "src");
  CopyFileTree(
      tmp.File("src"), tmp.File("dst"), false,
      [](std::int64_t, std::int64_t, const String&, std::int32_t) { AbortAnyFileCopying(); });
  EXPECT_EQ(CountFiles(tmp.File("dst\\*.*"), true, nullptr), 1);
}

TEST(DelDirTree, DeletesLinksNotTheirTargets) {
  TempDir tmp;
  MakeSource(tmp.Path() / "src");
  fs::create_directory(tmp.Path() / "outside");
  WriteBytes(tmp.NativeFile("outside/keep"), "k");
  fs::create_directory_symlink(tmp.Path() / "outside", tmp.Path() / "src" / "Sub" / "out");
  EXPECT_EQ(DelDirTree(tmp.File("src")), u"");
  EXPECT_FALSE(fs::exists(tmp.Path() / "src"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("outside/keep")), "k");
  EXPECT_EQ(DelDirTree(u""), u"");
  EXPECT_EQ(DelDirTree(tmp.File("gone")), tmp.File("gone\\"));
}

TEST(DelDirTree, StopsAtTheFirstFailure) {
  TempDir tmp;
  MakeSource(tmp.Path() / "src");
  ::chmod(tmp.NativeFile("src/Sub/b.txt").c_str(), 0444);
  EXPECT_EQ(DelDirTree(tmp.File("src")), tmp.File("src\\Sub\\b.txt"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "src" / "Sub" / "b.txt"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "src" / "Sub" / "Deep"));  // listed after b.txt: kept
}

TEST(DeleteFiles, CountsPlainFilesOnly) {
  TempDir tmp;
  for (const char* f : {"a.txt", "b.TXT", ".c.txt", "ro.txt", "x.csv"}) {
    WriteBytes(tmp.NativeFile(f), f);
  }
  ::chmod(tmp.NativeFile("ro.txt").c_str(), 0444);
  fs::create_directory(tmp.Path() / "d.txt");
  EXPECT_EQ(DeleteFiles(tmp.File("*.txt")), 2);
  EXPECT_TRUE(fs::exists(tmp.Path() / ".c.txt"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "ro.txt"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "d.txt"));
  EXPECT_TRUE(fs::exists(tmp.Path() / "x.csv"));
  EXPECT_EQ(DeleteFiles(tmp.File("none\\*.*")), 0);
}

}  // namespace
}  // namespace kez
