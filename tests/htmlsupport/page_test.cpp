// Default head and foot, body extraction and the body as text.
#include <gtest/gtest.h>

#include "kez/htmlsupport.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

TEST(PageTest, HeadAndFootFrameAPage) {
  EXPECT_EQ(DefaultHTMLHead(u"R&D <2026>", u"", u"Say \"hi\"", u"a b.css", true),
            u"<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"windows-1252\">\r\n"
            u"<title>R&amp;D &lt;2026&gt;</title>\r\n"
            u"<meta name=\"description\" content=\"Say &quot;hi&quot;\">\r\n"
            u"<link rel=\"stylesheet\" href=\"a b.css\">\r\n</head>\r\n<body>\r\n");
  EXPECT_EQ(DefaultHTMLHead(u"T", u"utf-8", u"", u"", false),
            u"<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
            u"<title>T</title>\r\n</head>\r\n");
  EXPECT_EQ(DefaultHTMLFoot(true), u"</body>\r\n</html>\r\n");
  EXPECT_EQ(DefaultHTMLFoot(false), u"</html>\r\n");
}

TEST(PageTest, ExtractBody) {
  EXPECT_EQ(ExtractHTMLBody(u"<html><BODY class=\"x\">in <b>side</b></Body></html>"),
            u"in <b>side</b>");
  EXPECT_EQ(ExtractHTMLBody(u"just text"), u"just text");
  EXPECT_EQ(ExtractHTMLBody(u"<body>open to the end"), u"open to the end");
  EXPECT_EQ(ExtractHTMLBody(u"up to</body>rest"), u"up to");
  EXPECT_EQ(ExtractHTMLBody(u"<bodyguard>a</bodyguard><body>b</body>"), u"b");
  EXPECT_EQ(ExtractHTMLBody(u"<body class="), u"");
  EXPECT_EQ(ExtractHTMLBody(u""), u"");
}

TEST(PageTest, BodyToText) {
  EXPECT_EQ(
      ConvertHTMLBodyToText(u"<h1>Title</h1><p>One\r\n  two &amp; <b>three</b></p><p>x</p>", u'\n'),
      u"Title\nOne two & three\nx");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<br>b<br><br>c<BR/>", u'|'), u"a|b||c");
  EXPECT_EQ(ConvertHTMLBodyToText(u"<div><div><p> nested </p></div></div>after", u'\n'),
            u"nested\nafter");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a < b <3 x<", u'\n'), u"a < b <3 x<");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<!-- <p>hidden</p> -->b<script>if (a<b) x='<p>';</script>c"
                                  u"<style>p{}</STYLE >d",
                                  u'\n'),
            u"abcd");
  EXPECT_EQ(
      ConvertHTMLBodyToText(u"<a title='x>y' href=\"q>\">link</a> <span it's>z</span>", u'\n'),
      u"link z");
  EXPECT_EQ(ConvertHTMLBodyToText(u"&lt;p&gt; is text&nbsp;!", u'\n'), u"<p> is text\u00A0!");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<!-- open", u'\n'), u"a");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<script>b", u'\n'), u"a");
  EXPECT_EQ(ConvertHTMLBodyToText(u"<li>a</li><li>b</li>", u'\n'), u"a\nb");
}

TEST(PageTest, BodyToTextStaysLinearOnManyTags) {
  String s;
  for (int i = 0; i < 100000; ++i) s += u"<p><b>w</b></p><<!--x--><script>";
  EXPECT_EQ(ConvertHTMLBodyToText(s, u'\n'), u"w\n<");  // the script is never closed
  String lt(1000000, u'<');
  EXPECT_EQ(ConvertHTMLBodyToText(lt, u'\n'), lt);
}

}  // namespace
}  // namespace kez
