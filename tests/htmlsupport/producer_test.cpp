// THtmlProducer: tag replacement, template input and page output.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "kez/htmlsupport.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

// A handler that shows what it was given: "name|params".
void NamePipeParams(TObject*, const String& TagName, const String& Params, String& Replacement) {
  Replacement = TagName + u"|" + Params;
}

String ConvertWith(StringView Template, TOnHTMLTagEvent Handler) {
  THtmlProducer p(nullptr);
  p.SetTemplate(Template);
  p.SetOnHTMLTag(std::move(Handler));
  return p.Convert();
}

TEST(HtmlProducerTest, Examples) {
  EXPECT_EQ(ConvertWith(u"a<b>c<#Name  x=1 >d", NamePipeParams), u"a<b>cname|x=1d");
  EXPECT_EQ(ConvertWith(u"<#date>", NamePipeParams), u"date|");
  EXPECT_EQ(ConvertWith(u"x<", NamePipeParams), u"x<");
  EXPECT_EQ(ConvertWith(u"<#open a b", NamePipeParams), u"open|a b");  // no ">": rest is the tag
  EXPECT_EQ(ConvertWith(u"<<#A>#>", NamePipeParams), u"<a|#>");
  EXPECT_EQ(ConvertWith(u"<#>< #x>", NamePipeParams), u"|< #x>");
  // Without a handler, or one that keeps Replacement, the template comes back.
  EXPECT_EQ(ConvertWith(u"<p><#keep me></p>", nullptr), u"<p><#keep me></p>");
  EXPECT_EQ(ConvertWith(u"<#keep me>", [](TObject*, const String&, const String&, String&) {}),
            u"<#keep me>");
  EXPECT_EQ(ConvertWith(u"a<#drop>b",
                        [](TObject*, const String&, const String&, String& r) { r.clear(); }),
            u"ab");
}

TEST(HtmlProducerTest, HandlerSeesSenderAndTagTextAndMayChangeTheProducer) {
  THtmlProducer p(nullptr);
  p.SetTemplate(u"1<#A x>2<#b>3");
  std::vector<String> seen;
  p.SetOnHTMLTag([&](TObject* Sender, const String& Name, const String&, String& Replacement) {
    EXPECT_EQ(Sender, &p);
    seen.push_back(Replacement);
    p.SetTemplate(u"changed");  // this run keeps the template it started with
    p.SetOnHTMLTag(nullptr);    // and the handler it started with
    Replacement = Name;
  });
  EXPECT_EQ(p.Convert(), u"1a2b3");
  EXPECT_EQ(seen, (std::vector<String>{u"<#A x>", u"<#b>"}));
  EXPECT_EQ(p.Convert(), u"changed");
}

TEST(HtmlProducerTest, HandlerExceptionLeavesAnEmptyResult) {
  THtmlProducer p(nullptr);
  p.SetTemplate(u"<#x>");
  EXPECT_EQ(p.Convert(), u"<#x>");
  p.SetOnHTMLTag(
      [](TObject*, const String&, const String&, String&) { throw EConvertError(u"no"); });
  EXPECT_THROW(p.Convert(), EConvertError);
  EXPECT_EQ(p.ConvertedHTML(), u"");
}

// Convert as its contract words it: one character at a time from a 1-based position.
String ModelConvert(const String& T, std::vector<String>& Calls) {
  String out;
  std::int32_t sPos = 0;
  const auto len = static_cast<std::int32_t>(T.size());
  const auto at = [&](std::int32_t p) { return T[static_cast<std::size_t>(p - 1)]; };
  while (sPos < len) {
    ++sPos;
    const char16_t c = at(sPos);
    if (c != u'<' || sPos == len || at(sPos + 1) != u'#') {
      out += c;
      continue;
    }
    const std::int32_t start = sPos;
    while (sPos < len && at(sPos) != u'>') ++sPos;
    String tag =
        T.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(sPos - start + 1));
    String body = tag.substr(2);
    if (!body.empty() && body.back() == u'>') body.pop_back();
    String name, params;
    const auto blank = body.find(u' ');
    name = body.substr(0, blank);
    if (blank != String::npos) params = body.substr(blank + 1);
    while (!params.empty() && params.front() == u' ') params.erase(0, 1);
    while (!params.empty() && params.back() == u' ') params.pop_back();
    for (char16_t& ch : name)
      if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch + 32);
    Calls.push_back(name + u"|" + params);
    out += (Calls.size() % 3 == 0) ? tag : name + u"(" + params + u")";
  }
  return out;
}

TEST(HtmlProducerTest, AgreesWithTheModelOnRandomTemplates) {
  std::mt19937 rng(23);
  const StringView alphabet = u"<#> aBZ\u00E9";
  for (int round = 0; round < 3000; ++round) {
    String t(rng() % 24, u' ');
    for (char16_t& ch : t) ch = alphabet[rng() % alphabet.size()];
    std::vector<String> modelCalls, calls;
    const String expected = ModelConvert(t, modelCalls);
    const String got = ConvertWith(t, [&](TObject*, const String& N, const String& P, String& R) {
      calls.push_back(N + u"|" + P);
      if (calls.size() % 3 != 0) R = N + u"(" + P + u")";
    });
    ASSERT_EQ(U8(got), U8(expected)) << "template " << U8(t);
    ASSERT_EQ(calls, modelCalls) << "template " << U8(t);
  }
}

TEST(HtmlProducerTest, ManyTagsAndUnclosedTagsStayLinear) {
  String many;
  for (int i = 0; i < 200000; ++i) many += u"<#t>";
  std::int32_t calls = 0;
  EXPECT_EQ(ConvertWith(many,
                        [&](TObject*, const String&, const String&, String& r) {
                          ++calls;
                          r.assign(1, u'x');
                        })
                .size(),
            200000u);
  EXPECT_EQ(calls, 200000);
  String open;
  for (int i = 0; i < 200000; ++i) open += u"<#<";
  calls = 0;
  EXPECT_EQ(ConvertWith(open, [&](TObject*, const String&, const String&, String&) { ++calls; }),
            open);
  EXPECT_EQ(calls, 1);
}

TEST(HtmlProducerTest, ReadsTemplatesFromFilesAndStreams) {
  test::TempDir dir;
  THtmlProducer p(nullptr);
  test::WriteBytes(dir.NativeFile("a.tpl"), "caf\xE9 <#x>\nline2\r\nlast");
  p.ReadTemplateFromFile(dir.File("a.tpl"));
  EXPECT_EQ(p.Template(), u"café <#x>\r\nline2\r\nlast\r\n");
  test::WriteBytes(dir.NativeFile("empty.tpl"), "");
  p.ReadTemplateFromFile(dir.File("empty.tpl"));
  EXPECT_EQ(p.Template(), u"");

  p.SetTemplate(u"kept");
  EXPECT_THROW(p.ReadTemplateFromFile(dir.File("missing.tpl")), EInOutError);
  EXPECT_EQ(p.Template(), u"kept");

  TStringStream s{std::string_view("<#a>\xE9\x80")};
  s.SetPosition(3);  // read from the start whatever the position
  p.ReadTemplateFromStream(s);
  EXPECT_EQ(p.Template(), u"<#a>\u00E9\u0080");
}

TEST(HtmlProducerTest, WritesThePageAsFileAndStream) {
  test::TempDir dir;
  THtmlProducer p(nullptr);
  p.SetTemplate(u"<#x>\r\n\u20AC \u00E9 \u4E2D \U0001F600!");
  p.SetOnHTMLTag(NamePipeParams);
  p.Convert();
  // Windows-1252 where the code page has the character, a numeric reference where not.
  const std::string bytes = "x|\r\n\x80 \xE9 &#20013; &#128512;!";
  p.WriteConvertedHTMLToFile(dir.File("out.html"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("out.html")), bytes);
  EXPECT_THROW(p.WriteConvertedHTMLToFile(dir.File("no/such/dir/out.html")), EInOutError);

  TStringStream& first = p.ConvertedHTMLAsStream();
  EXPECT_EQ(first.Position(), 0);
  EXPECT_EQ(first.DataString(), bytes);
  p.SetTemplate(u"second");
  p.Convert();
  TStringStream& second = p.ConvertedHTMLAsStream();  // the first one is freed
  EXPECT_EQ(StreamAsString(second), u"second");
}

// Reads a page through a stream, converts it without a handler and gives the bytes written.
std::string StreamRoundTrip(const test::TempDir& Dir, std::string_view Page) {
  THtmlProducer p(nullptr);
  TStringStream in{Page};
  p.ReadTemplateFromStream(in);
  p.Convert();
  p.WriteConvertedHTMLToFile(Dir.File("page.html"));
  const std::string written = test::ReadBytes(Dir.NativeFile("page.html"));
  EXPECT_EQ(p.ConvertedHTMLAsStream().DataString(), written);
  return written;
}

// A page read and written back keeps its bytes: the bytes 0x80-0x9F of a Windows-1252
// page, and every byte of a UTF-8 page (the invalid ones included).
TEST(HtmlProducerTest, PagesReadAndWrittenBackKeepTheirBytes) {
  test::TempDir dir;
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(StreamRoundTrip(dir, "<p>" + all + "</p>"), "<p>" + all + "</p>");
  const std::string utf8 =
      "<head><META http-equiv=\"Content-Type\" content=\"text/html; Charset=UTF-8\"></head>"
      "<p>\xE4\xB8\xAD \xF0\x9F\x98\x80 \xC2\x80 \xFF\x80</p><script>var s='\xE4\xB8\xAD'</script>";
  EXPECT_EQ(StreamRoundTrip(dir, utf8), utf8);
  test::WriteBytes(dir.NativeFile("u.tpl"), utf8);
  THtmlProducer p(nullptr);
  p.ReadTemplateFromFile(dir.File("u.tpl"));
  EXPECT_EQ(p.Template().substr(p.Template().find(u"<p>"), 7), u"<p>\u4E2D \U0001F600");
}

// A UTF-8 page is written as UTF-8; a Windows-1252 page gets numeric references only where
// a browser reads them, and U+0080 is never "&#128;" (which reads as the euro sign).
TEST(HtmlProducerTest, WritesThePageInTheEncodingItDeclares) {
  test::TempDir dir;
  THtmlProducer p(nullptr);
  p.SetTemplate(u"<meta charset=\"utf-8\"><p>\u4E2D\U0001F600\u0080</p><script>var s='\u4E2D'</script>");
  p.Convert();
  p.WriteConvertedHTMLToFile(dir.File("u.html"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("u.html")),
            "<meta charset=\"utf-8\"><p>\xE4\xB8\xAD\xF0\x9F\x98\x80\xC2\x80</p>"
            "<script>var s='\xE4\xB8\xAD'</script>");

  p.SetTemplate(u"<p title='\u4E2D'>\u0080</p><SCRIPT type=x>var s='\u00E9';</SCRIPT>\u4E2D");
  p.Convert();
  p.WriteConvertedHTMLToFile(dir.File("a.html"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("a.html")),
            "<p title='&#20013;'>\x80</p><SCRIPT type=x>var s='\xE9';</SCRIPT>&#20013;");

  // Where a reference would be read as text, the character is refused and the file stays.
  for (StringView page : {u"<script>var s='\u4E2D'</script>", u"<style>p:after{content:'\u4E2D'}",
                          u"<!-- \u4E2D -->", u"<head><meta charset=latin1><script>\u4E2D</script>"}) {
    p.SetTemplate(page);
    p.Convert();
    try {
      p.WriteConvertedHTMLToFile(dir.File("a.html"));
      ADD_FAILURE() << U8(page);
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.ErrorCode(), 101);
    }
    EXPECT_EQ(test::ReadBytes(dir.NativeFile("a.html")).substr(0, 8), "<p title");
  }
}

// Every element whose text a browser takes raw refuses what only a reference could hold,
// and no page, whatever its encoding, turns an unpaired surrogate silently into U+FFFD.
TEST(HtmlProducerTest, RefusesWhatThePageCannotHold) {
  test::TempDir dir;
  test::WriteBytes(dir.NativeFile("a.html"), "previous");
  THtmlProducer p(nullptr);
  for (StringView page :
       {u"<xmp>\u4E2D</xmp>", u"<IFRAME srcdoc=x>\u4E2D</iframe>", u"<noembed>\u4E2D</noembed>",
        u"<noframes>\u4E2D", u"<plaintext>a</plaintext>\u4E2D", u"<p>a\xD83D" u"b</p>",
        u"<p>\xDE00</p>", u"<meta charset=utf-8><p>\xD83D</p>",
        u"<meta charset=utf-8><p>\U0001F600\xDE00</p>"}) {
    p.SetTemplate(page);
    p.Convert();
    try {
      p.WriteConvertedHTMLToFile(dir.File("a.html"));
      ADD_FAILURE() << U8(page);
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.ErrorCode(), 101);
    }
    EXPECT_EQ(test::ReadBytes(dir.NativeFile("a.html")), "previous");
  }
  // Text after such an element is written as before.
  p.SetTemplate(u"<xmp>a</xmp>\u4E2D<textarea>\u4E2D</textarea>");
  p.Convert();
  p.WriteConvertedHTMLToFile(dir.File("a.html"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("a.html")),
            "<xmp>a</xmp>&#20013;<textarea>&#20013;</textarea>");
}

}  // namespace
}  // namespace kez
