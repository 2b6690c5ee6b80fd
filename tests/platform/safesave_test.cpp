#include "kez/platform/safesave.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "kez/platform/textfile.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;


bool Save(StringView Name, std::string_view Bytes) {
  TFileSaver save(Name);
  return save.Write(Bytes.data(), Bytes.size()) && save.Commit();
}

// Files may grow to Limit bytes while the object lives (writing past it fails with EFBIG).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t Limit) {
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &FOld);
    rlimit limit = FOld;
    limit.rlim_cur = Limit;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }

 private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
};

TEST(FileSaver, ReplacesAFileKeepingItsModeAndLeavesNothingBeside) {
  TempDir dir;
  const std::string target = dir.NativeFile("data.txt");
  WriteBytes(target, "old contents");
  ::chmod(target.c_str(), 0640);
  ASSERT_TRUE(Save(dir.File("DATA.TXT"), "new"));  // found ignoring letter case
  EXPECT_EQ(ReadBytes(target), "new");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"data.txt"});
}

TEST(FileSaver, CreatesANewFileWithTheUmaskMode) {
  TempDir dir;
  const mode_t old = ::umask(022);
  EXPECT_TRUE(Save(dir.File("new.bin"), std::string(3, '\0')));
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat(dir.NativeFile("new.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  EXPECT_EQ(ReadBytes(dir.NativeFile("new.bin")), std::string(3, '\0'));
}

TEST(FileSaver, FollowsSymbolicLinksAndKeepsThem) {
  TempDir dir;
  fs::create_directory(dir.Path() / "real");
  WriteBytes(dir.NativeFile("real/file"), "old");
  fs::create_symlink("real/file", dir.Path() / "link");
  fs::create_symlink("link", dir.Path() / "link2");
  ASSERT_TRUE(Save(dir.File("link2"), "new"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "link2"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "link"));
  EXPECT_EQ(ReadBytes(dir.NativeFile("real/file")), "new");
  EXPECT_EQ(test::FolderEntries(dir.Path() / "real"), std::vector<std::string>{"file"});

  // A dangling link creates the file it names; a cycle is refused.
  fs::create_symlink("real/made", dir.Path() / "dangling");
  ASSERT_TRUE(Save(dir.File("dangling"), "made"));
  EXPECT_EQ(ReadBytes(dir.NativeFile("real/made")), "made");
  fs::create_symlink("cycle", dir.Path() / "cycle");
  TFileSaver cycle(dir.File("cycle"));
  EXPECT_EQ(cycle.Error(), ELOOP);
  EXPECT_FALSE(cycle.Commit());
}

TEST(FileSaver, WritesAFifoDirectlyAndRefusesAFolder) {
  TempDir dir;
  const std::string fifo = dir.NativeFile("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadBytes(fifo); });
  {
    TFileSaver save(dir.File("pipe"));
    EXPECT_TRUE(save.Direct());
    EXPECT_TRUE(save.Write("through", 7));
    EXPECT_TRUE(save.Commit());
  }
  reader.join();
  EXPECT_EQ(received, "through");
  EXPECT_TRUE(fs::is_fifo(fifo));

  // A link that names no path, as /dev/stdout does on a pipe, reaches the pipe.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  fs::create_symlink("/proc/self/fd/" + std::to_string(ends[1]), dir.Path() / "stdout");
  {
    TFileSaver save(dir.File("stdout"));
    EXPECT_EQ(save.Error(), 0);
    EXPECT_TRUE(save.Direct());
    EXPECT_TRUE(save.Write("piped", 5));
    EXPECT_TRUE(save.Commit());
  }
  ::close(ends[1]);
  char piped[8] = {};
  EXPECT_EQ(::read(ends[0], piped, sizeof piped), 5);
  ::close(ends[0]);
  EXPECT_STREQ(piped, "piped");

  fs::create_directory(dir.Path() / "folder");
  TFileSaver folder(dir.File("folder"));
  EXPECT_EQ(folder.Error(), EISDIR);
  EXPECT_EQ(folder.Handle(), -1);
  TFileSaver nul(String(u"a\0b", 3));
  EXPECT_EQ(nul.Error(), EINVAL);
}

TEST(FileSaver, HandlesTheLongestNames) {
  TempDir dir;
  for (std::size_t length : {249u, 254u, 255u}) {
    // Two-byte characters, so that the temporary name must cut between characters.
    std::string name(length % 2, 'x');
    while (name.size() < length) name += "\xC3\xA9";
    WriteBytes(dir.NativeFile(name), "old");
    ASSERT_TRUE(Save(dir.File(name), "new")) << length;
    EXPECT_EQ(ReadBytes(dir.NativeFile(name)), "new");
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{name});
    fs::remove(dir.Path() / name);
  }
}

TEST(FileSaver, AFailureOrNoCommitLeavesTheOldFileAndNothingBeside) {
  TempDir dir;
  const std::string target = dir.NativeFile("keep.txt");
  WriteBytes(target, "precious");
  {
    TFileSaver save(dir.File("keep.txt"));
    ASSERT_TRUE(save.Write("half", 4));
    EXPECT_EQ(test::FolderEntries(dir.Path()).size(), 2u);
  }
  EXPECT_EQ(ReadBytes(target), "precious");
  EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"keep.txt"});
  {
    FileSizeLimit limit(1000);
    TFileSaver save(dir.File("keep.txt"));
    EXPECT_FALSE(save.Write(std::string(5000, 'x').data(), 5000));
    EXPECT_EQ(save.Error(), EFBIG);
    EXPECT_FALSE(save.Commit());
  }
  EXPECT_EQ(ReadBytes(target), "precious");
  EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"keep.txt"});
}

TEST(FileSaver, TextFileWritesThroughTheTemporaryName) {
  TempDir dir;
  WriteBytes(dir.NativeFile("t.txt"), "old");
  TFileSaver save(dir.File("t.txt"));
  TextFile f(save.TextFileName());
  f.Rewrite();
  f.WriteLn(u"line");
  f.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("t.txt")), "old");
  ASSERT_TRUE(save.Commit());
  EXPECT_EQ(ReadBytes(dir.NativeFile("t.txt")), "line\r\n");
}

TEST(FileSaver, KeepsTheOwnerWhenTheProcessMay) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
  TempDir dir;
  const std::string target = dir.NativeFile("owned");
  WriteBytes(target, "old");
  ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(target.c_str(), 02755), 0);
  ASSERT_TRUE(Save(dir.File("owned"), "new"));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 02755u);
}

}  // namespace
}  // namespace kez
