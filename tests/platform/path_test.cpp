#include "kez/platform/path.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

TEST(NativeFileName, TakesBothSeparatorsAndMapsDriveC) {
  EXPECT_EQ(NativeFileName(u"C:\\"), "/");
  EXPECT_EQ(NativeFileName(u"c:/tmp"), "/tmp");
  EXPECT_EQ(NativeFileName(u"a\\b/c"), "a/b/c");
}

TEST(NativeFileName, FindsExistingNamesIgnoringCase) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.Path() / "Data" / "sub");
  test::WriteBytes((dir.Path() / "Data" / "sub" / "File.TXT").string(), "x");
  const String upper = Utf8ToString(dir.Path().string()) + u"\\DATA\\SUB\\FILE.txt";
  EXPECT_EQ(NativeFileName(upper), (dir.Path() / "Data" / "sub" / "File.TXT").string());
  // A name that does not exist keeps its own spelling where nothing matches.
  EXPECT_EQ(NativeFileName(Utf8ToString(dir.Path().string()) + u"/data/New.txt"),
            (dir.Path() / "Data" / "New.txt").string());
}

TEST(NativeFileName, VerbatimFormNamesTheExactPath) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.Path() / "Data");
  const std::string root = dir.Path().string();
  // No separator mapping, no drive, no letter-case fallback.
  EXPECT_EQ(NativeFileName(u"\\\\?\\/tmp/a\\b"), "/tmp/a\\b");
  EXPECT_EQ(NativeFileName(u"\\\\?\\C:x"), "C:x");
  EXPECT_EQ(NativeFileName(VerbatimFileName(root + "/DATA")), root + "/DATA");
  EXPECT_EQ(NativeFileNameToCreate(VerbatimFileName(root + "/DATA")), root + "/DATA");
  EXPECT_EQ(NativeFileName(VerbatimFileName(root + "/\xFF")), root + "/\xFF");
  EXPECT_TRUE(IsVerbatimFileName(VerbatimFileName("x")));
  EXPECT_FALSE(IsVerbatimFileName(u"\\\\server\\x"));

  // A file whose name holds "\" and a byte that is not UTF-8 is reached through both forms.
  const std::string odd = root + "/Data/a\\b\xFF";
  test::WriteBytes(odd, "odd");
  EXPECT_TRUE(FileExists(VerbatimFileName(odd)));
  // The ordinary form takes its backslash as a separator.
  EXPECT_FALSE(FileExists(NativeToString(root) + u"/Data/a\\b\xDCFF"));
  EXPECT_TRUE(DeleteFile(VerbatimFileName(odd)));
  EXPECT_FALSE(std::filesystem::exists(odd));

  // Names no byte string has name nothing, in either form.
  EXPECT_EQ(FileNameFault(u"a\xD800"), nfInvalidCharacter);
  EXPECT_EQ(FileNameFault(u"\\\\?\\/a\xDCC3\xDCA9"), nfInvalidCharacter);
  EXPECT_EQ(FileNameFault(u"\\\\?\\Z:/a"), nfNone);
  EXPECT_EQ(FileNameFault(u"\\\\?\\/a\xDCFF"), nfNone);
}

TEST(NativeFileName, NamesThatAreNotUtf8ReachTheirFiles) {
  test::TempDir dir;
  const std::string name = dir.NativeFile("caf\xE9 \xFF.txt");
  test::WriteBytes(name, "latin");
  const String text = NativeToString(dir.Path().string()) + u"\\caf\xDCE9 \xDCFF.txt";
  EXPECT_EQ(NativeFileName(text), name);
  EXPECT_TRUE(FileExists(text));
  EXPECT_TRUE(DeleteFile(text));
  EXPECT_FALSE(std::filesystem::exists(name));
}

TEST(NativeFileName, DriveTableCanBeExtended) {
  test::TempDir dir;
  SetDriveRoot(u'd', dir.Path().string());
  EXPECT_EQ(NativeFileName(u"D:\\x.txt"), (dir.Path() / "x.txt").string());
  EXPECT_EQ(LogicalDrivesMask(), (1u << 2) | (1u << 3));
  SetDriveRoot(u'D', "");
  EXPECT_EQ(LogicalDrivesMask(), 1u << 2);
}

// The folder index that keeps case-insensitive look-ups cheap gives what a scan of the
// folder would give: names the library created, names that others added, renamed or
// removed, across more folders than it keeps at once.
TEST(NativeFileName, IndexedFoldersFollowTheirFiles) {
  test::TempDir dir;
  const String base = Utf8ToString(dir.Path().string()) + u"/";
  const auto native = [&](std::string_view leaf) { return (dir.Path() / leaf).string(); };
  for (int i = 0; i < 40; ++i) {  // created one after another, as the library does
    TextFile f(base + u"f" + IntToStr(i) + u".txt");
    f.Rewrite();
    f.Close();
  }
  EXPECT_EQ(NativeFileNameToCreate(base + u"F7.TXT"), native("f7.txt"));
  EXPECT_EQ(NativeFileName(base + u"F39.txt"), native("f39.txt"));

  // Changes made behind the index's back. The folder's time is set by hand each time, as
  // time stamps may be coarser than the pace of this test.
  const auto setFolderTime = [&](time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.Path().c_str(), times, 0), 0);
  };
  test::WriteBytes(native("Other.txt"), "o");
  setFolderTime(1'000'000'000);
  EXPECT_EQ(NativeFileNameToCreate(base + u"OTHER.TXT"), native("Other.txt"));
  std::filesystem::rename(native("Other.txt"), native("OTHER.txt"));
  setFolderTime(1'000'000'000);  // unchanged: the index learns of it when the entry is gone
  EXPECT_EQ(NativeFileName(base + u"other.TXT"), native("OTHER.txt"));
  std::filesystem::remove(native("OTHER.txt"));
  setFolderTime(1'000'000'000);
  EXPECT_EQ(NativeFileNameToCreate(base + u"Other.Txt"), native("Other.Txt"));

  // More folders than the index keeps, visited in turn.
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 12; ++i) {
      const std::string sub = "d" + std::to_string(i);
      if (round == 0) {
        std::filesystem::create_directory(dir.Path() / sub);
        test::WriteBytes(native(sub + "/Name.txt"), "n");
      }
      EXPECT_EQ(NativeFileName(base + Utf8ToString(sub) + u"/NAME.TXT"), native(sub + "/Name.txt"));
    }
  }
}

}  // namespace
}  // namespace kez
