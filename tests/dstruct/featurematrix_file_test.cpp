#include <gtest/gtest.h>

#include <string>

#include "kez/dstruct.hpp"
#include "kez/platform/sysutils.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

// The matrix of two features (a length and a colour) and two objects, of which object 2
// has no colour.
void BuildExample(TFeatureMatrix& m) {
  m.Resize(2, 2);
  TFeatProps p;
  p.FeatNum = 10;
  p.FeatName = "Length";
  p.FeatKind = fkDouble;
  p.Comment = "mm";
  m.SetFeatProps(1, p);
  p = TFeatProps{};
  p.FeatNum = 11;
  p.FeatName = "Colour";
  p.FeatKind = fkString;
  p.PresetValues = u"red,green,blue";
  p.Sorted = true;
  m.SetFeatProps(2, p);
  m.SetFeatValDouble(1, 1, 12.5);
  m.SetFeatValStr(2, 1, u"red");
  m.SetFeatValint(1, 2, 7);
}

const char* const kExample =
    "#featdef 2 1\r\n"
    "1 fplFeatNum 10\r\n"
    "1 fplFeatName Length\r\n"
    "1 fplFeatKind fkDouble\r\n"
    "1 fplComment mm\r\n"
    "1 fplPresets \r\n"
    "1 fplSorted FALSE\r\n"
    "2 fplFeatNum 11\r\n"
    "2 fplFeatName Colour\r\n"
    "2 fplFeatKind fkString\r\n"
    "2 fplComment \r\n"
    "2 fplPresets red,green,blue\r\n"
    "2 fplSorted TRUE\r\n"
    "#featvals 2 2\r\n"
    "1 1 12.5\r\n"
    "2 1 red\r\n"
    "1 2 7\r\n"
    "#featend\r\n";

// The six description lines of feature i with only a name and a kind.
std::string Describe(int i, const std::string& name, const std::string& kind) {
  const std::string p = std::to_string(i) + " ";
  return p + "fplFeatNum " + std::to_string(i) + "\n" + p + "fplFeatName " + name + "\n" + p +
         "fplFeatKind " + kind + "\n" + p + "fplComment \n" + p + "fplPresets \n" + p +
         "fplSorted FALSE\n";
}

class FeatureFile : public testing::Test {
 protected:
  // Loads Bytes from a file; counts the change events.
  std::int32_t LoadBytes(const std::string& Bytes) {
    test::WriteBytes(dir.NativeFile("m.txt"), Bytes);
    changes = 0;
    m.SetOnChange([this](TObject*) { ++changes; });
    return m.Load(dir.File("m.txt"));
  }
  test::TempDir dir;
  TFeatureMatrix m{nullptr};
  int changes = 0;
};

TEST_F(FeatureFile, ExampleIsWrittenByteForByteAndReadBack) {
  BuildExample(m);
  m.Save(dir.File("m.txt"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("m.txt")), kExample);

  TFeatureMatrix back(nullptr);
  back.SetName(u"kept");
  ASSERT_EQ(back.Load(dir.File("m.txt")), 0);
  EXPECT_EQ(back.Name(), u"kept");
  ASSERT_EQ(back.NFeatures(), 2);
  ASSERT_EQ(back.NObjects(), 2);
  const TFeatProps c = back.GetFeatProps(2);
  EXPECT_EQ(c.FeatNum, 11);
  EXPECT_EQ(c.FeatName, "Colour");
  EXPECT_EQ(c.FeatKind, fkString);
  EXPECT_EQ(c.PresetValues, u"red,green,blue");
  EXPECT_TRUE(c.Sorted);
  EXPECT_EQ(back.GetFeatProps(1).Comment, "mm");
  EXPECT_EQ(back.FeatValAsDouble(1, 1), 12.5);
  EXPECT_EQ(back.FeatVal(2, 1), u"red");
  EXPECT_EQ(back.FeatVal(2, 2), u"");
  EXPECT_EQ(back.FeatValAsInt(1, 2), 7);
}

TEST_F(FeatureFile, RoundTripLosesOnlyBlanksAroundTexts) {
  m.Resize(3, 2);
  TFeatProps p;
  p.FeatNum = -5;
  p.FeatName = " pad ";
  p.FeatKind = fkTriState;
  p.Comment = " note\xE9 ";  // a Windows-1252 byte survives
  p.PresetValues = u"  a b  ";
  int dummy;
  p.GUIElem = &dummy;
  m.SetFeatProps(2, p);
  p.FeatKind = fkString;
  m.SetFeatProps(3, p);
  m.SetFeatValTriState(2, 1, tsTrue);
  m.SetFeatValStr(3, 1, u"  inner  blanks ");
  m.SetFeatValStr(3, 2, u"   ");
  m.Save(dir.File("m.txt"));

  TFeatureMatrix back(nullptr);
  ASSERT_EQ(back.Load(dir.File("m.txt")), 0);
  ASSERT_EQ(back.NFeatures(), 3);
  const TFeatProps q = back.GetFeatProps(2);
  EXPECT_EQ(q.FeatNum, -5);
  EXPECT_EQ(q.FeatName, "pad");
  EXPECT_EQ(q.FeatKind, fkTriState);
  EXPECT_EQ(q.Comment, "note\xE9");
  EXPECT_EQ(q.PresetValues, u"a b");
  EXPECT_EQ(q.GUIElem, nullptr);
  EXPECT_EQ(back.GetFeatProps(1).FeatName, "");  // the all-zero description
  EXPECT_EQ(back.FeatValAsTriState(2, 1), tsTrue);
  EXPECT_EQ(back.FeatVal(3, 1), u"inner  blanks");
  EXPECT_EQ(back.FeatVal(3, 2), u"");
}

TEST_F(FeatureFile, EmptyMatrixAndFilesWithoutBlocks) {
  m.Save(dir.File("m.txt"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("m.txt")),
            "#featdef 0 1\r\n#featvals 0 0\r\n#featend\r\n");
  m.Resize(2, 2);
  EXPECT_EQ(m.Load(dir.File("m.txt")), 0);
  EXPECT_EQ(m.NFeatures(), 0);
  EXPECT_EQ(m.NObjects(), 0);

  EXPECT_EQ(LoadBytes("no keyword here\n\n1 2 3\n#featend\n# featdef 1 1\n"), -2);
  EXPECT_EQ(changes, 2);  // cleared, done
  EXPECT_EQ(m.NFeatures(), 0);
  EXPECT_EQ(m.Load(dir.File("missing.txt")), -1);
}

TEST_F(FeatureFile, ReaderTakesAnyRecordOrderAndCaseAndStopsAfterTheValues) {
  const std::string file =
      "header line\n"
      "#FEATDEF 2 1\n"
      "2 fplsorted true\n"
      "  1   FPLFEATNAME   Name  \n"
      "2 fplFeatKind FKINTEGER\n"
      "1 fplFeatKind fkString\n"
      "2 fplGUIElem 1234\n"
      "2 fplUnknown 1\n"
      "1 fplPresets\n"
      "\n"
      "1\n"
      "2 fplFeatNum 42\n"
      "1 fplComment c\n"
      "1 fplSorted no\n"
      "2 fplComment x\n"
      "#featvals 2 12\n"
      "1 12 hello world\n"
      "2 3\n"
      "2 1 -9\n"
      "#featend\n"
      "1 1 not read\n";
  ASSERT_EQ(LoadBytes(file), 0);
  EXPECT_EQ(m.NFeatures(), 2);
  EXPECT_EQ(m.NObjects(), 12);
  EXPECT_EQ(m.GetFeatProps(1).FeatName, "Name");
  EXPECT_EQ(m.GetFeatProps(1).FeatKind, fkString);
  EXPECT_EQ(m.GetFeatProps(1).Comment, "c");
  EXPECT_FALSE(m.GetFeatProps(1).Sorted);
  EXPECT_TRUE(m.GetFeatProps(2).Sorted);
  EXPECT_EQ(m.GetFeatProps(2).FeatKind, fkInteger);
  EXPECT_EQ(m.FindFeatNum(42), 2);
  EXPECT_EQ(m.FeatVal(1, 12), u"hello world");
  EXPECT_EQ(m.FeatValAsInt(2, 1), -9);
  EXPECT_EQ(m.FeatVal(1, 1), u"");
}

TEST_F(FeatureFile, MatrixCanBeOneSectionOfALargerFile) {
  BuildExample(m);
  TextFile out(dir.File("big.txt"));
  out.SetErrorMode(iemDeferred);
  out.Rewrite();
  out.WriteLn(u"before");
  m.SaveToOpenFile(out);
  EXPECT_EQ(out.ErrorMode(), iemDeferred);
  out.WriteLn(u"after");
  out.Close();
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("big.txt")),
            std::string("before\r\n") + kExample + "after\r\n");

  TextFile in(dir.File("big.txt"));
  in.Reset();
  TFeatureMatrix back(nullptr);
  EXPECT_EQ(back.LoadFromOpenFile(in), 0);
  String line;
  in.ReadLn(line);  // the value block ended at "#featend"
  EXPECT_EQ(line, u"after");
  in.Close();
  EXPECT_EQ(back.FeatVal(2, 1), u"red");
}

TEST_F(FeatureFile, ValueWithLineBreakDoesNotReadBackWhole) {
  m.Resize(1, 1);
  TFeatProps p;
  p.FeatKind = fkString;
  m.SetFeatProps(1, p);
  m.SetFeatValStr(1, 1, u"one\r\ntwo");
  m.Save(dir.File("m.txt"));
  EXPECT_NE(test::ReadBytes(dir.NativeFile("m.txt")).find("1 1 one\r\ntwo\r\n"), std::string::npos);
  // "two" reads as a value line without indexes: an error, keeping the first part.
  EXPECT_EQ(m.Load(dir.File("m.txt")), -3);
  EXPECT_EQ(m.FeatVal(1, 1), u"one");
}

// Each malformed file ends the reading with -3 from Load, keeping what was read before.
TEST_F(FeatureFile, MalformedFilesEndTheReading) {
  const std::string one = "#featdef 1 1\n" + Describe(1, "a", "fkString");
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"FeatNum that is no number",
       "#featdef 1 1\n1 fplFeatNum abc\n" + Describe(1, "a", "fkString")},
      {"FeatNum beyond 32 bits", "#featdef 1 1\n1 fplFeatNum 99999999999\n"},
      {"property of feature 0", "#featdef 1 1\n0 fplFeatName a\n"},
      {"property of feature n+1", "#featdef 1 1\n2 fplFeatName a\n"},
      {"property index no number", "#featdef 1 1\nx fplFeatName a\n"},
      {"property index beyond 32 bits", "#featdef 1 1\n4294967297 fplFeatName a\n"},
      {"unknown kind", "#featdef 1 1\n" + Describe(1, "a", "fkReal")},
      {"version 2", "#featdef 1 2\n" + Describe(1, "a", "fkString")},
      {"no version", "#featdef 1\n" + Describe(1, "a", "fkString")},
      {"negative count", "#featdef -1 1\n"},
      {"count beyond 32 bits", "#featdef 99999999999 1\n"},
      {"huge count, file ends", "#featdef 2147483647 1\n1 fplFeatName a\n"},
      {"file ends in the block", "#featdef 2 1\n" + Describe(1, "a", "fkString")},
      {"value block early", "#featdef 2 1\n" + Describe(1, "a", "fkString") + "#featvals 2 1\n"},
      {"feature counts differ", one + "#featvals 2 1\n"},
      {"values without descriptions", "#featvals 1 1\n1 1 x\n"},
      {"value sizes not numbers", one + "#featvals 1 x\n"},
      {"value sizes missing", one + "#featvals 1\n"},
      {"negative object count", one + "#featvals 1 -1\n"},
      {"value of feature 2", one + "#featvals 1 1\n2 1 x\n"},
      {"value of object 0", one + "#featvals 1 1\n1 0 x\n"},
      {"value of object m+1", one + "#featvals 1 1\n1 2 x\n"},
      {"value index beyond 32 bits", one + "#featvals 1 1\n1 4294967297 x\n"},
      {"value line of blanks", one + "#featvals 1 1\n   \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LoadBytes(c.text), -3);
    EXPECT_EQ(changes, 2);
  }
  // What was read before the error stays.
  ASSERT_EQ(LoadBytes(one + "#featvals 1 2\n1 1 first\n1 3 bad\n1 2 never\n"), -3);
  EXPECT_EQ(m.GetFeatProps(1).FeatName, "a");
  EXPECT_EQ(m.FeatVal(1, 1), u"first");
  EXPECT_EQ(m.FeatVal(1, 2), u"");
}

// A description block of many features may announce a value block far beyond memory.
TEST_F(FeatureFile, ImpossibleValueBlockSizeIsAnError) {
  std::string file = "#featdef 1000 1\n";
  for (int i = 1; i <= 1000; ++i) file += Describe(i, "f", "fkString");
  EXPECT_EQ(LoadBytes(file + "#featvals 1000 100000000\n"), -3);
  EXPECT_EQ(m.NFeatures(), 1000);
  EXPECT_EQ(m.NObjects(), 0);
  EXPECT_EQ(LoadBytes(file + "#featvals 1000 3\n1000 3 last\n"), 0);
  EXPECT_EQ(m.FeatVal(1000, 3), u"last");
}

}  // namespace
}  // namespace kez
