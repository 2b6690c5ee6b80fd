#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "kez/dstruct.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"
#include "small_pool_array.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

// Cells that hold every byte value, blanks at both ends, markup and line ends.
void FillAwkward(TStringArray& t) {
  ASSERT_TRUE(t.Resize(3, 6));
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  for (int i = 0; i < 4; ++i)
    t.SetString(i % 4, i + 1, bytes.substr(static_cast<std::size_t>(i) * 64, 64));
  t.SetString(0, 5, "  lead and trail  ");
  t.SetString(1, 5, "<cell c=\"1\" r=\"1\" v=\"x\"/></strarray>&amp;%41");
  t.SetString(2, 5, "line\r\nbreak");
  t.SetString(3, 6, " ");
  t.SetString(1, 6, std::string(255, 'z'));
}

void ExpectSameCells(const TStringArray& a, const TStringArray& b) {
  ASSERT_EQ(a.NrOfColumns(), b.NrOfColumns());
  ASSERT_EQ(a.NrOfRows(), b.NrOfRows());
  for (std::int32_t r = 1; r <= a.NrOfRows(); ++r) {
    for (std::int32_t c = 0; c <= a.NrOfColumns(); ++c) {
      ASSERT_EQ(a.Elem(c, r), b.Elem(c, r)) << "cell " << c << "," << r;
    }
  }
}

TEST(StringArrayXML, EveryCellRoundTrips) {
  test::TempDir dir;
  TStringArray t(nullptr);
  FillAwkward(t);
  t.SaveAsXMLFile(dir.File("t.xml"), u"Table");
  TStringArray back(nullptr);
  int changes = 0;
  back.SetOnChange([&](TObject*) { ++changes; });
  ASSERT_TRUE(back.LoadFromXMLFile(dir.File("t.xml"), u"TABLE"));
  ExpectSameCells(t, back);
  EXPECT_EQ(changes, 1);
  ASSERT_TRUE(back.OnChange());  // the handler stays
  // The file is plain ASCII.
  for (unsigned char ch : test::ReadBytes(dir.NativeFile("t.xml"))) {
    EXPECT_TRUE(ch == '\r' || ch == '\n' || (ch >= 32 && ch < 127)) << int(ch);
  }
}

TEST(StringArrayXML, SizesOfOneAndOfManyRows) {
  test::TempDir dir;
  for (std::int32_t rows : {1, 20000}) {
    TStringArray t(nullptr);
    ASSERT_TRUE(t.Resize(2, rows));
    for (std::int32_t r = 1; r <= rows; r += 3) t.SetString(r % 3, r, StringToAnsi(IntToStr(r)));
    t.SaveAsXMLFile(dir.File("big.xml"), u"");
    TStringArray back(nullptr);
    ASSERT_TRUE(back.LoadFromXMLFile(dir.File("big.xml"), u""));
    ExpectSameCells(t, back);
  }
}

TEST(StringArrayXML, ASortedTableIsSavedAsShown) {
  test::TempDir dir;
  TStringArray t(nullptr);
  ASSERT_TRUE(t.Resize(1, 3));
  t.SetString(1, 1, "c");
  t.SetString(1, 2, "a");
  t.SetString(1, 3, "b");
  t.Sort(1, 0, true);
  t.SaveAsXMLFile(dir.File("s.xml"), u"s");
  TStringArray back(nullptr);
  ASSERT_TRUE(back.LoadFromXMLFile(dir.File("s.xml"), u"s"));
  EXPECT_EQ(back.Elem(1, 1), "a");
  EXPECT_EQ(back.Elem(1, 3), "c");
}

TEST(StringArrayXML, TwoTablesAndAnAssociativeArrayShareAFile) {
  test::TempDir dir;
  const String name = dir.File("shared.xml");
  TStringArray first(nullptr), second(nullptr);
  ASSERT_TRUE(first.Resize(1, 1));
  first.SetString(1, 1, "first");
  ASSERT_TRUE(second.Resize(2, 2));
  second.SetString(0, 2, "second");
  {
    TextFile f(name);
    f.Rewrite();
    first.WriteToOpenXMLFile(f, true, u"one");
    second.WriteToOpenXMLFile(f, false, u"two");
    f.Close();
  }
  TAssocArray assoc(nullptr);
  assoc.Add(u"key", 2.5);
  {
    TFileStream s(name, fmOpenReadWrite);
    s.Seek(0, soEnd);
    assoc.WriteToXMLStream(s, false, u"three");
  }
  TStringArray r(nullptr);
  ASSERT_TRUE(r.LoadFromXMLFile(name, u"two"));
  EXPECT_EQ(r.Elem(0, 2), "second");
  ASSERT_TRUE(r.LoadFromXMLFile(name, u"one"));
  EXPECT_EQ(r.Elem(1, 1), "first");
  EXPECT_FALSE(r.LoadFromXMLFile(name, u"three"));  // not a string table
  EXPECT_EQ(r.Elem(1, 1), "first");
  {
    TFileStream s(name, fmOpenRead);
    TAssocArray back(nullptr);
    ASSERT_TRUE(back.ReadFromXMLStream(s, u"three"));
    EXPECT_EQ(back.ResolveAsNumber(u"key"), 2.5);
  }
  // In writing order without reopening.
  TextFile f(name);
  f.Reset();
  ASSERT_TRUE(r.ReadFromOpenXMLFile(f, u"one"));
  EXPECT_EQ(r.Elem(1, 1), "first");
  ASSERT_TRUE(r.ReadFromOpenXMLFile(f, u"two"));
  EXPECT_EQ(r.Elem(0, 2), "second");
  EXPECT_FALSE(r.ReadFromOpenXMLFile(f, u"one"));
  f.Close();
}

// Loads bytes written by hand; the cell (1, 1) read, or nullopt when loading fails (the
// table then keeps its old cell).
std::optional<std::string> LoadHandWritten(const std::string& bytes, StringView id,
                                           TStringArray* into = nullptr) {
  test::TempDir dir;
  test::WriteBytes(dir.NativeFile("h.xml"), bytes);
  TStringArray own(nullptr);
  TStringArray& t = into ? *into : own;
  t.SetString(1, 1, "before");
  if (!t.LoadFromXMLFile(dir.File("h.xml"), id)) {
    EXPECT_EQ(t.Elem(1, 1), "before");
    return std::nullopt;
  }
  return t.Elem(1, 1);
}

std::string Block(const std::string& start, const std::string& value) {
  return start + "<numcols val=\"1\"/><numrows val=\"1\"/><cell c=\"1\" r=\"1\" v=\"" + value +
         "\"/></strarray>";
}

TEST(StringArrayXML, BlocksAreFoundByTagsWhateverTheLayout) {
  const std::string items = "<numcols val=\"1\"/>\r\n<numrows val=\"1\"/>\r\n";
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {Block("<strarray id=\"t\">", "one line"), "one line"},
      {"<strarray id=\"t\"><numcols val=\"1\"/>\r\n<numrows val=\"1\"/>\r\n<cell c=\"1\" "
       "r=\"1\" v=\"item on the start line\"/>\r\n</strarray>\r\n",
       "item on the start line"},
      {"<strarray sig=\"kez\"\r\n  vers=\"1.0\"\r\n\tid=\"t\"\r\n>\r\n<numcols\r\nval=\"1\"/>"
       "<numrows val=\"1\"/><cell c=\"1\"\r\n r=\"1\"\tv=\"split\"/></strarray>",
       "split"},
      {"<outer>" + Block("<strarray id=\"T\">", "nested") + "</outer>", "nested"},
      {"<!-- <strarray id=\"t\"> -->" + items + "<cell c=\"1\" r=\"1\" v=\"x\"/></strarray>",
       std::nullopt},
      {"<?xml version=\"1.0\"?>\r\n<!-- old -->" + Block("<strarray id=\"%74\">", "escaped id"),
       "escaped id"},
      {Block("<strarray id=\"u\">", "other id"), std::nullopt},
  };
  for (const auto& [bytes, want] : cases) EXPECT_EQ(LoadHandWritten(bytes, u"t"), want) << bytes;
  // An empty identifier selects the block whose identifier is empty or missing.
  const std::string mixed = Block("<strarray id=\"a\">", "a") + Block("<strarray>", "none") +
                            Block("<strarray id=\"\">", "empty");
  EXPECT_EQ(LoadHandWritten(mixed, u""), "none");
  EXPECT_EQ(LoadHandWritten(Block("<strarray id=\"a\">", "a"), u""), std::nullopt);
}

TEST(StringArrayXML, RawBytesOfHandWrittenValuesReadThroughTheCodePage) {
  EXPECT_EQ(LoadHandWritten(Block("<strarray id=\"t\">", "\x80\x8A\x9F\xE9 %u20AC%80"), u"t"),
            "\x80\x8A\x9F\xE9 \x80\x80");
  // A character the code page lacks is no cell text.
  EXPECT_EQ(LoadHandWritten(Block("<strarray id=\"t\">", "%u0100"), u"t"), std::nullopt);
}

// Counts a small file cannot back are refused before the table is allocated, and no
// reader raises, not even on a full pool.
TEST(StringArrayXML, HostileCountsAndFullPoolsGiveFalse) {
  const std::pair<const char*, const char*> dims[] = {{"1", "2147483647"},
                                                      {"2147483647", "1"},
                                                      {"1", "100000000"},
                                                      {"50000", "50000"},
                                                      {"30", "30"}};
  for (const auto& [cols, rows] : dims) {
    const std::string bytes = std::string("<strarray id=\"t\"><numcols val=\"") + cols +
                              "\"/><numrows val=\"" + rows + "\"/>" + std::string(900, ' ') +
                              "</strarray>";
    EXPECT_EQ(LoadHandWritten(bytes, u"t"), std::nullopt) << cols << " x " << rows;
  }
  std::string many = "<strarray id=\"t\"><numcols val=\"1\"/><numrows val=\"300\"/>";
  for (int r = 1; r <= 300; ++r)
    many += "<cell c=\"1\" r=\"" + std::to_string(r) + "\" v=\"" + std::string(255, 'p') + "\"/>";
  many += "</strarray>";
  EXPECT_EQ(LoadHandWritten(many, u"t"), std::string(255, 'p'));
  test::SmallPoolArray small(2);  // room for 254 such texts
  EXPECT_EQ(LoadHandWritten(many, u"t", &small), std::nullopt);
}

TEST(StringArrayXML, DamagedBlocksLeaveTheTableAsItWas) {
  test::TempDir dir;
  const std::string head = "<strarray sig=\"kez\" vers=\"1.0\" id=\"t\">\r\n";
  const std::string tail = "</strarray>\r\n";
  const std::string dims = "<numcols val=\"2\"/><numrows val=\"2\"/>";
  const std::string bodies[] = {
      "<numrows val=\"2\"/><cell c=\"1\" r=\"1\" v=\"x\"/>",
      dims + "<cell c=\"3\" r=\"1\" v=\"x\"/>",
      dims + "<cell c=\"1\" r=\"0\" v=\"x\"/>",
      dims + "<cell c=\"-1\" r=\"1\" v=\"x\"/>",
      dims + "<cell c=\"1\" r=\"1\" v=\"%ZZ\"/>",
      dims + "<cell c=\"1\" r=\"1\" v=\"" + std::string(256, 'a') + "\"/>",
      "<numcols val=\"0\"/><numrows val=\"2\"/>",
      "<numcols val=\"2\"/><numcols val=\"3\"/><numrows val=\"2\"/>",
  };
  std::vector<std::string> files;
  for (const std::string& body : bodies) files.push_back(head + body + "\r\n" + tail);
  // Every cut of a sound block (one that only loses the final ">" still holds the whole block).
  const std::string sound = head + dims + "<cell c=\"1\" r=\"2\" v=\"ok\"/>\r\n" + tail;
  for (std::size_t cut = 0; cut + 3 < sound.size(); ++cut) files.push_back(sound.substr(0, cut));
  for (const std::string& bytes : files) {
    test::WriteBytes(dir.NativeFile("bad.xml"), bytes);
    TStringArray t(nullptr);
    ASSERT_TRUE(t.Resize(1, 1));
    t.SetString(1, 1, "keep");
    EXPECT_FALSE(t.LoadFromXMLFile(dir.File("bad.xml"), u"t")) << bytes;
    EXPECT_EQ(t.NrOfColumns(), 1);
    EXPECT_EQ(t.Elem(1, 1), "keep");
  }
  test::WriteBytes(dir.NativeFile("good.xml"), sound);
  TStringArray t(nullptr);
  ASSERT_TRUE(t.LoadFromXMLFile(dir.File("good.xml"), u"t"));
  EXPECT_EQ(t.Elem(1, 2), "ok");
  EXPECT_FALSE(t.LoadFromXMLFile(dir.File("missing.xml"), u"t"));
}

}  // namespace
}  // namespace kez
