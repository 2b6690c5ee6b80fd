#include "kez/platform/path.hpp"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(NativeFileName, DriveTableCanBeExtended) {
  test::TempDir dir;
  SetDriveRoot(u'd', dir.Path().string());
  EXPECT_EQ(NativeFileName(u"D:\\x.txt"), (dir.Path() / "x.txt").string());
  EXPECT_EQ(LogicalDrivesMask(), (1u << 2) | (1u << 3));
  SetDriveRoot(u'D', "");
  EXPECT_EQ(LogicalDrivesMask(), 1u << 2);
}

}  // namespace
}  // namespace kez
