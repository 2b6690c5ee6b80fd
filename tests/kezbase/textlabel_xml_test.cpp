#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kez/kezbase.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/textfile.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::TempDir;

// A label with every field away from its initial value.
void FillLabel(TCustomTextLabel& L) {
  L.SetTxtLblPosX(123.456);
  L.SetTxtLblPosY(-0.5);
  L.SetTxtLblLayer(7);
  L.SetTxtLblShadowDx(-3);
  L.SetTxtLblShadowDy(4);
  L.SetTxtLblColorShadow(0x123456);
  L.SetTxtLblAlignment(taRightJustify);
  L.SetTxtLblVertAlignment(vaTop);
  L.SetTxtLblScreenPos(tlamBoth);
  L.SetTxtLblColorBkg(0xFF00000F);  // a system colour: the high byte is not written
  L.SetTxtLblColorBrd(0xABCDEF);
  L.SetTxtLblTranspar(true);
  TFont font;
  font.SetName(u"DejaVu Serif");
  font.SetSize(12);
  font.SetColor(0x0000FF);
  font.SetStyle({fsBold, fsUnderline});
  L.SetTxtLblFont(font);
  L.SetTxtLblCaption(u"Peak");
  L.SetTxtLblMode(tlShadow);
  L.SetTxtLblVisible(false);
}

std::vector<std::string> Lines(const std::string& Bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = Bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(Bytes.substr(start, end - start));
  if (start < Bytes.size()) lines.push_back(Bytes.substr(start));
  return lines;
}

// Writes the labels one after another into a new file.
void WriteLabels(const String& Name,
                 const std::vector<std::pair<TCustomTextLabel*, String>>& Labels,
                 bool Header = false) {
  TextFile f(Name);
  f.Rewrite();
  for (auto& [label, id] : Labels) label->WriteToOpenXMLFile(f, Header, id, 2);
  f.Close();
}

bool ReadLabel(const String& Name, TCustomTextLabel& L, StringView DataID) {
  TextFile f(Name);
  f.Reset();
  return L.ReadFromOpenXMLFile(f, DataID);
}

TEST(TextLabelXml, WritesTheElementLineByLine) {
  TempDir dir;
  TCustomTextLabel l;
  FillLabel(l);
  TextFile f(dir.File("l.xml"));
  f.Rewrite();
  l.WriteToOpenXMLFile(f, true, u"Legend 1", 2);
  f.Close();
  const std::vector<std::string> expected = {
      R"(  <?xml version="1.0"?>)",
      "",
      "  <!-- TCustomTextLabel / Orvantium -->",
      R"(  <custtextlbl sig="Orvantium" vers="1.0" id="Legend 1">)",
      "    <posxy x= 1.235E+0002 y=-5.000E-0001 />",
      "    <caption>Peak</caption>",
      "    <colors brd=$ABCDEF bg=$00000F shdw=$123456 />",
      "    <shadowofs dx=-3 dy=4 />",
      "    <layer val=7 />",
      "    <transparent val=1 />",
      "    <visible val=0 />",
      "    <alignment horiz=taRightJustify vert=vaTop />",
      "    <attachmode val=tlamBoth />",
      R"(    <font name="DejaVu Serif" size=12 color=$0000FF style="fsBold fsUnderline" />)",
      "    <style val=tlShadow />",
      "  </custtextlbl>",
  };
  const std::string bytes = test::ReadBytes(dir.NativeFile("l.xml"));
  EXPECT_EQ(Lines(bytes), expected);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST(TextLabelXml, IndentIsClampedAndAFontWithoutStylesWritesEmptyQuotes) {
  TempDir dir;
  TCustomTextLabel l;
  for (std::int32_t indent : {0, -1, INT32_MIN, 300}) {
    TextFile f(dir.File("l.xml"));
    f.Rewrite();
    l.WriteToOpenXMLFile(f, false, u"", indent);
    f.Close();
    const auto lines = Lines(test::ReadBytes(dir.NativeFile("l.xml")));
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[0], "");  // no header: the empty line comes first
    const std::string pad(indent > 0 ? 255 : 1, ' ');
    EXPECT_EQ(lines[1], pad + "<!-- TCustomTextLabel / Orvantium -->") << indent;
    EXPECT_EQ(lines[14], pad + "</custtextlbl>") << indent;
    EXPECT_NE(lines[12].find(R"(style="" />)"), std::string::npos) << lines[12];
  }
}

TEST(TextLabelXml, RoundTripRestoresEveryFieldAndNotifiesOnce) {
  TempDir dir;
  TCustomTextLabel written;
  FillLabel(written);
  WriteLabels(dir.File("l.xml"), {{&written, u"a"}}, true);
  TCustomTextLabel l;
  int notified = 0;
  l.SetOnChange([&](TObject*) { ++notified; });
  ASSERT_TRUE(ReadLabel(dir.File("l.xml"), l, u"A"));
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(l.PosX(), 123.5);  // four significant digits
  EXPECT_EQ(l.PosY(), -0.5);
  EXPECT_EQ(l.Layer(), 7);
  EXPECT_EQ(l.ShadowDx(), -3);
  EXPECT_EQ(l.ShadowDy(), 4);
  EXPECT_EQ(l.ColorShadow(), 0x123456u);
  EXPECT_EQ(l.Alignment(), taRightJustify);
  EXPECT_EQ(l.VertAlignment(), vaTop);
  EXPECT_EQ(l.AttachMode(), tlamBoth);
  EXPECT_EQ(l.ColorBkg(), 0x00000Fu);
  EXPECT_EQ(l.ColorBrd(), 0xABCDEFu);
  EXPECT_TRUE(l.Transparent());
  EXPECT_FALSE(l.Visible());
  EXPECT_EQ(l.Font().Name(), u"DejaVu Serif");
  EXPECT_EQ(l.Font().Size(), 12);
  EXPECT_EQ(l.Font().Color(), 0x0000FFu);
  EXPECT_EQ(l.Font().Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(l.Caption(), u"Peak");
  EXPECT_EQ(l.Mode(), tlShadow);
}

TEST(TextLabelXml, LabelsAreFoundByIdentifierInEitherOrder) {
  TempDir dir;
  TCustomTextLabel one;
  one.SetTxtLblCaption(u"one");
  TCustomTextLabel two;
  two.SetTxtLblCaption(u"two");
  TCustomTextLabel three;
  three.SetTxtLblCaption(u"three");
  WriteLabels(dir.File("l.xml"), {{&one, u"legend"}, {&two, u" LEGEND2 "}, {&three, u"x y"}});
  TCustomTextLabel l;
  // Reopening for each label: any order.
  for (auto [id, caption] :
       {std::pair{u"x y", u"three"}, {u"Legend2", u"two"}, {u"Legend", u"one"}, {u"", u"one"}}) {
    ASSERT_TRUE(ReadLabel(dir.File("l.xml"), l, id)) << test::U8(id);
    EXPECT_EQ(l.Caption(), caption);
  }
  // Blanks in the caller's identifier count; a missing one leaves the label unchanged.
  l.SetTxtLblCaption(u"kept");
  int notified = 0;
  l.SetOnChange([&](TObject*) { ++notified; });
  EXPECT_FALSE(ReadLabel(dir.File("l.xml"), l, u" legend"));
  EXPECT_FALSE(ReadLabel(dir.File("l.xml"), l, u"xy"));
  EXPECT_EQ(l.Caption(), u"kept");
  EXPECT_EQ(notified, 0);
  // Without reopening: in writing order; a label passed over is not found again.
  TextFile f(dir.File("l.xml"));
  f.Reset();
  ASSERT_TRUE(l.ReadFromOpenXMLFile(f, u"legend"));
  EXPECT_EQ(l.Caption(), u"one");
  ASSERT_TRUE(l.ReadFromOpenXMLFile(f, u"x y"));
  EXPECT_EQ(l.Caption(), u"three");
  EXPECT_FALSE(l.ReadFromOpenXMLFile(f, u"legend2"));
  f.Close();
}

// Writes Text as a file and reads the label with DataID from it.
bool ReadText(const TempDir& Dir, const std::string& Text, TCustomTextLabel& L,
              StringView DataID = u"") {
  test::WriteBytes(Dir.NativeFile("t.xml"), Text);
  return ReadLabel(Dir.File("t.xml"), L, DataID);
}

TEST(TextLabelXml, FieldsAreSetDirectlyAndWordsKeepTheirCase) {
  TempDir dir;
  TCustomTextLabel l;
  ASSERT_TRUE(ReadText(dir,
                       "<CUSTTEXTLBL sig=\"orvantium\">\n"
                       "<layer val=40 />\n<alignment horiz=tacenter vert=vaCenter />\n"
                       "<attachmode val=tlamxonly /><style val=tlBox />\n"
                       "<Caption>a\tb</caption></custtextlbl>",
                       l));
  EXPECT_EQ(l.Layer(), 40);            // the setter would refuse it
  EXPECT_EQ(l.Alignment(), taCenter);  // "tacenter" is no word: unchanged
  EXPECT_EQ(l.VertAlignment(), vaCenter);
  EXPECT_EQ(l.AttachMode(), tlamNone);  // unchanged as well
  EXPECT_EQ(l.Mode(), tlBox);
  EXPECT_EQ(l.Caption(), u"a\tb");  // no control-character filter
  ASSERT_TRUE(ReadText(dir,
                       "<custtextlbl sig=Orvantium>\n<alignment horiz=taLeftJustify />"
                       "<layer val=-2147483649 /><shadowofs dx=+99999999999 dy=-7x />"
                       "<transparent val=01 /><visible val=2 />"
                       "<colors brd= $fF bg=$123456789 shdw=zz /></custtextlbl>",
                       l));
  EXPECT_EQ(l.Alignment(), taLeftJustify);
  EXPECT_EQ(l.VertAlignment(), vaCenter);  // vert absent: unchanged
  EXPECT_EQ(l.Layer(), INT32_MIN);
  EXPECT_EQ(l.ShadowDx(), INT32_MAX);
  EXPECT_EQ(l.ShadowDy(), -7);
  EXPECT_TRUE(l.Transparent());
  EXPECT_FALSE(l.Visible());
  EXPECT_EQ(l.ColorBrd(), 0xFFu);
  EXPECT_EQ(l.ColorBkg(), 0x23456789u);  // 32 bits of digits
  EXPECT_EQ(l.ColorShadow(), 0u);
}

TEST(TextLabelXml, NumbersFollowTheScanGrammar) {
  TempDir dir;
  TCustomTextLabel l;
  const std::pair<const char*, double> cases[] = {
      {"1,5e2", 150},       {" -2.25E+0001", -22.5}, {"", 0},    {"abc", 0},
      {"1e99999", 1.7e308}, {"-1e99999", -1.7e308},  {"NAN", 0}, {"7.", 7}};
  for (auto [text, value] : cases) {
    ASSERT_TRUE(ReadText(
        dir,
        std::string("<custtextlbl orvantium>\n<posxy x=\"") + text + "\" y=3 />\n</custtextlbl>",
        l));
    EXPECT_EQ(l.PosX(), value) << text;
    EXPECT_EQ(l.PosY(), 3);
  }
}

TEST(TextLabelXml, CaptionsReadBackWhole) {
  TempDir dir;
  for (StringView caption : {u"a > b", u"x </ y", u"lone < here", u"two\nlines\n", u"<b>bold</b>",
                             u"", u"ends with <", u"</captions>", u"a </custtextlbl2> b"}) {
    TCustomTextLabel written;
    written.SetTxtLblCaption(caption);
    written.SetTxtLblLayer(3);
    WriteLabels(dir.File("c.xml"), {{&written, u"c"}});
    TCustomTextLabel l;
    ASSERT_TRUE(ReadLabel(dir.File("c.xml"), l, u"c")) << test::U8(caption);
    EXPECT_EQ(l.Caption(), caption);
    EXPECT_EQ(l.Layer(), 3) << test::U8(caption);  // nothing after the caption is lost
  }
  // A caption holding its own end tag is cut there.
  TCustomTextLabel written;
  written.SetTxtLblCaption(u"a</CAPTION>b");
  WriteLabels(dir.File("c.xml"), {{&written, u"c"}});
  TCustomTextLabel l;
  ASSERT_TRUE(ReadLabel(dir.File("c.xml"), l, u"c"));
  EXPECT_EQ(l.Caption(), u"a");
}

// Text beyond Windows-1252 in the id, the caption and the font name: the label that starts
// the file makes it UTF-8, and every character reads back.
TEST(TextLabelXml, TextOfAnyScriptRoundTrips) {
  TempDir dir;
  const String caption = u"Temp \u0394T = 5 \u00B5s \u4E2D \U0001F600 \u20AC";
  TCustomTextLabel written;
  written.SetTxtLblCaption(caption);
  TFont font;
  font.SetName(u"Noto \u4E2D");
  written.SetTxtLblFont(font);
  TCustomTextLabel plain;
  plain.SetTxtLblCaption(u"second");
  WriteLabels(dir.File("u.xml"), {{&written, u"\u0394"}, {&plain, u"p"}}, true);
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("u.xml")).substr(0, 3), "\xEF\xBB\xBF");
  TCustomTextLabel l;
  ASSERT_TRUE(ReadLabel(dir.File("u.xml"), l, u"\u0394"));
  EXPECT_EQ(l.Caption(), caption);
  EXPECT_EQ(l.Font().Name(), u"Noto \u4E2D");
  ASSERT_TRUE(ReadLabel(dir.File("u.xml"), l, u"P"));
  EXPECT_EQ(l.Caption(), u"second");

  // Labels of Windows-1252 text keep their file byte for byte as before; one that needs
  // more after them is refused (error 101) rather than written as "?".
  TextFile f(dir.File("a.xml"));
  f.Rewrite();
  plain.WriteToOpenXMLFile(f, true, u"p", 2);
  EXPECT_EQ(f.Encoding(), teAnsi);
  try {
    written.WriteToOpenXMLFile(f, false, u"\u0394", 2);
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), 101);
  }
  f.Close();
  const std::string bytes = test::ReadBytes(dir.NativeFile("a.xml"));
  EXPECT_EQ(bytes.substr(bytes.size() - 16), "</custtextlbl>\r\n");  // nothing of the second
}

// A caption's end tag with a blank before its ">", or no end tag at all, never takes the
// reader into the next label.
TEST(TextLabelXml, ACaptionStaysInsideItsLabel) {
  TempDir dir;
  TCustomTextLabel first;
  first.SetTxtLblLayer(2);
  TCustomTextLabel second;
  second.SetTxtLblLayer(5);
  second.SetTxtLblCaption(u"two");
  for (const std::string endTag : {"</caption >", "</CAPTION  >", ""}) {
    SCOPED_TRACE(endTag);
    first.SetTxtLblCaption(u"one");
    WriteLabels(dir.File("two.xml"), {{&first, u"a"}, {&second, u"b"}});
    std::string bytes = test::ReadBytes(dir.NativeFile("two.xml"));
    const std::size_t at = bytes.find("</caption>");
    bytes.replace(at, 10, endTag);
    test::WriteBytes(dir.NativeFile("two.xml"), bytes);

    TextFile f(dir.File("two.xml"));
    f.Reset();
    TCustomTextLabel a;
    ASSERT_TRUE(a.ReadFromOpenXMLFile(f, u"a"));
    TCustomTextLabel b;
    ASSERT_TRUE(b.ReadFromOpenXMLFile(f, u"b"));  // read on in writing order
    f.Close();
    EXPECT_EQ(b.Layer(), 5);
    EXPECT_EQ(b.Caption(), u"two");
    if (!endTag.empty()) {
      EXPECT_EQ(a.Caption(), u"one");
      EXPECT_EQ(a.Layer(), 2);
    } else {
      // Without its end tag the caption runs over the rest of its own label only.
      EXPECT_EQ(a.Caption().substr(0, 3), u"one");
      EXPECT_EQ(a.Caption().find(u"two"), String::npos);
    }
  }
}

// Every font attribute that is present is taken, an empty name or style included; a missing
// one keeps its value.
TEST(TextLabelXml, FontAttributesAreTakenWhenPresent) {
  TempDir dir;
  TCustomTextLabel written;
  FillLabel(written);
  TFont font;
  font.SetName(u"");
  written.SetTxtLblFont(font);
  WriteLabels(dir.File("f.xml"), {{&written, u"f"}});
  TCustomTextLabel l;
  ASSERT_TRUE(ReadLabel(dir.File("f.xml"), l, u"f"));
  EXPECT_EQ(l.Font().Name(), u"");
  EXPECT_EQ(l.Font().Style(), TFontStyles{});

  const std::string start = "<custtextlbl sig=orvantium>";
  TCustomTextLabel kept;
  FillLabel(kept);
  ASSERT_TRUE(ReadText(dir, start + "\n<font size=20 /></custtextlbl>", kept));
  EXPECT_EQ(kept.Font().Name(), u"DejaVu Serif");
  EXPECT_EQ(kept.Font().Size(), 20);
  EXPECT_EQ(kept.Font().Color(), 0x0000FFu);
  EXPECT_EQ(kept.Font().Style(), (TFontStyles{fsBold, fsUnderline}));
}

TEST(TextLabelXml, TruncatedAndHostileFilesGiveFalseAndLeaveTheLabel) {
  TempDir dir;
  TCustomTextLabel written;
  FillLabel(written);
  WriteLabels(dir.File("l.xml"), {{&written, u"a"}});
  const std::string whole = test::ReadBytes(dir.NativeFile("l.xml"));
  // Every cut before the end tag's ">" is a truncated element.
  const std::size_t endTag = whole.rfind('>');
  for (std::size_t n = 0; n < endTag; n += 7) {
    TCustomTextLabel l;
    int notified = 0;
    l.SetOnChange([&](TObject*) { ++notified; });
    EXPECT_FALSE(ReadText(dir, whole.substr(0, n), l)) << n;
    EXPECT_EQ(notified, 0);
    EXPECT_EQ(l.Caption(), u"");
    EXPECT_EQ(l.Layer(), 1);
  }
  TCustomTextLabel l;
  EXPECT_TRUE(ReadText(dir, whole.substr(0, endTag + 1), l));
  const std::string start = "<custtextlbl sig=orvantium>";
  EXPECT_FALSE(ReadText(dir, start + "<layer val=3", l));  // a tag that never closes
  EXPECT_FALSE(ReadText(dir, start + "<caption>" + std::string(1 << 20, 'x'), l));
  EXPECT_FALSE(ReadText(dir, start + std::string(10 << 20, '<'), l));  // a 10 MB line
  EXPECT_FALSE(ReadText(dir, std::string(10 << 20, 'o') + "\n" + start, l));
  EXPECT_EQ(l.Caption(), u"Peak");
}

}  // namespace
}  // namespace kez
