// Files the tables write read back from disk, through a FIFO and through a pipe (as
// "cat file |" gives them), whatever their size, and with characters of every script.
#include <gtest/gtest.h>

#include <string>

#include "kez/dstruct.hpp"
#include "kez/platform/stringlist.hpp"
#include "support/pipe_feed.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::PipeFeed;
using test::ReadBytes;
using test::TempDir;

// The file as it is on disk, then the same bytes through a FIFO and through a pipe.
template <class Load>
void ForEachWayIn(const TempDir& Dir, const std::string& NativeName, Load&& Try) {
  Try(Utf8ToString(NativeName), "file");
  for (auto kind : {PipeFeed::Fifo, PipeFeed::Pipe}) {
    TempDir feedDir;
    PipeFeed feed(feedDir, ReadBytes(NativeName), kind);
    Try(feed.Name(), kind == PipeFeed::Fifo ? "FIFO" : "pipe");
  }
  (void)Dir;
}

TEST(FilesThroughPipes, AStringTableLoadsBackWhateverItsId) {
  TempDir dir;
  TStringArray table(nullptr);
  table.Resize(3, 40);
  for (int r = 1; r <= 40; ++r) table.SetString(r % 4, r, "cell \xE9\x80 " + std::to_string(r));
  for (const String& id : {String(u"Table"), String(u"\u0394 \u4E2D \U0001F600")}) {
    table.SaveAsXMLFile(dir.File("t.xml"), id);
    ForEachWayIn(dir, dir.NativeFile("t.xml"), [&](const String& Name, const char* Way) {
      SCOPED_TRACE(Way);
      TStringArray back(nullptr);
      ASSERT_TRUE(back.LoadFromXMLFile(Name, id));
      ASSERT_EQ(back.NrOfRows(), 40);
      for (int r = 1; r <= 40; ++r) EXPECT_EQ(back.GetString(r % 4, r), table.GetString(r % 4, r));
    });
  }
}

TEST(FilesThroughPipes, SparseFeatureMatricesOfMillionsOfCellsLoadBack) {
  TempDir dir;
  TFeatureMatrix wide(nullptr);
  ASSERT_TRUE(wide.Resize(1, 2'000'000));
  TFeatProps p;
  p.FeatKind = fkString;
  p.PresetValues = u"\u4E2D,\U0001F600";
  wide.SetFeatProps(1, p);
  wide.SetFeatValStr(1, 1'999'999, u"\u0394T \u00B5s \U0001D11E");
  wide.Save(dir.File("wide.txt"));
  TFeatureMatrix objectsOnly(nullptr);
  ASSERT_TRUE(objectsOnly.Resize(0, 5'000'000));
  objectsOnly.Save(dir.File("objects.txt"));

  ForEachWayIn(dir, dir.NativeFile("wide.txt"), [&](const String& Name, const char* Way) {
    SCOPED_TRACE(Way);
    TFeatureMatrix back(nullptr);
    ASSERT_EQ(back.Load(Name), 0);
    EXPECT_EQ(back.NObjects(), 2'000'000);
    EXPECT_EQ(back.FeatVal(1, 1'999'999), wide.FeatVal(1, 1'999'999));
    EXPECT_EQ(back.FeatVal(1, 1), u"");
    EXPECT_EQ(back.GetFeatProps(1).PresetValues, p.PresetValues);
  });
  ForEachWayIn(dir, dir.NativeFile("objects.txt"), [&](const String& Name, const char* Way) {
    SCOPED_TRACE(Way);
    TFeatureMatrix back(nullptr);
    ASSERT_EQ(back.Load(Name), 0);
    EXPECT_EQ(back.NFeatures(), 0);
    EXPECT_EQ(back.NObjects(), 5'000'000);
  });
}

TEST(FilesThroughPipes, FeatureValuesOfOneCodePageStayByteForByte) {
  TempDir dir;
  TFeatureMatrix m(nullptr);
  m.Resize(1, 1);
  TFeatProps p;
  p.FeatKind = fkString;
  m.SetFeatProps(1, p);
  m.SetFeatValStr(1, 1, u"caf\u00E9 \u20AC");
  m.Save(dir.File("m.txt"));
  const std::string bytes = ReadBytes(dir.NativeFile("m.txt"));
  EXPECT_NE(bytes.find("1 1 caf\xE9 \x80\r\n"), std::string::npos);
  EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
}

TEST(FilesThroughPipes, StringListsKeepEveryScript) {
  TempDir dir;
  TStringList list;
  list.Add(u"plain caf\u00E9");
  list.SaveToFile(dir.File("ansi.txt"));
  EXPECT_EQ(ReadBytes(dir.NativeFile("ansi.txt")), "plain caf\xE9\r\n");
  list.Add(u"\u041F\u0440\u0438\u0432\u0435\u0442 \u4E2D \U0001F600 \u0645");
  list.SaveToFile(dir.File("utf8.txt"));
  ForEachWayIn(dir, dir.NativeFile("utf8.txt"), [&](const String& Name, const char* Way) {
    SCOPED_TRACE(Way);
    TStringList back;
    back.LoadFromFile(Name);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back[0], list[0]);
    EXPECT_EQ(back[1], list[1]);
  });
}

}  // namespace
}  // namespace kez
