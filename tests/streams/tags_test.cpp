// The tag and attribute scanner.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kez/streams.hpp"
#include "plain_stream.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

struct TagRead {
  std::int32_t Index;
  std::string Attributes;
  std::string Contents;
  bool operator==(const TagRead&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TagRead& t) {
  return os << "{" << t.Index << ", '" << t.Attributes << "', '" << t.Contents << "'}";
}

std::vector<TagRead> ReadAll(TStream& s, std::span<const String> list, int Calls) {
  std::vector<TagRead> reads;
  for (int i = 0; i < Calls; ++i) {
    String attributes = u"stale", contents = u"stale";
    const std::int32_t ix = ReadNextTagInStream(s, list, attributes, contents);
    reads.push_back({ix, U8(attributes), U8(contents)});
  }
  return reads;
}

const String kItemList[] = {u"item", u"name", u""};

TEST(ReadNextTagInStream, Examples) {
  const char* doc = R"(<!-- c --><item id="7" >x<b>y</b></ITEM><name/>)";
  const std::vector<TagRead> expected{{0, R"(id="7")", "x<b>y</b>"}, {1, "", ""}, {2, "", ""}};
  TStringStream s{std::string_view(doc)};
  EXPECT_EQ(ReadAll(s, kItemList, 3), expected);
  EXPECT_EQ(s.Position(), s.Size());
  test::PlainStream plain(doc);
  EXPECT_EQ(ReadAll(plain, kItemList, 1),
            std::vector<TagRead>(expected.begin(), expected.begin() + 1));
  EXPECT_EQ(plain.Position(), 40);
  EXPECT_EQ(ReadAll(plain, kItemList, 2),
            std::vector<TagRead>(expected.begin() + 1, expected.end()));
}

struct TagCase {
  const char* Input;
  std::vector<TagRead> Reads;
  std::int64_t PositionAfterFirst;
};

class TagGrammar : public ::testing::TestWithParam<TagCase> {};

TEST_P(TagGrammar, ReadsTagsInOrder) {
  const TagCase& c = GetParam();
  const String list[] = {u"item", u"/item", u"name", u"?xml", u"other"};
  TStringStream s{std::string_view(c.Input)};
  String attributes, contents;
  std::vector<TagRead> reads;
  for (std::size_t i = 0; i < c.Reads.size(); ++i) {
    const std::int32_t ix = ReadNextTagInStream(s, list, attributes, contents);
    reads.push_back({ix, U8(attributes), U8(contents)});
    if (i == 0) {
      EXPECT_EQ(s.Position(), c.PositionAfterFirst) << c.Input;
    }
  }
  EXPECT_EQ(reads, c.Reads) << c.Input;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagGrammar,
    ::testing::Values(
        // self-closing with and without attributes; the stream stops behind its ">"
        TagCase{R"(<name a="1"/>rest)", {{2, R"(a="1")", ""}}, 13},
        TagCase{"<NAME/>", {{2, "", ""}}, 7},
        // an end tag has no contents; unknown names give the last index
        TagCase{"</item>x", {{1, "", ""}}, 7}, TagCase{"</b>", {{4, "", ""}}, 4},
        TagCase{"<Other>a</other>", {{4, "", "a"}}, 16},
        // names are cut at a blank only: a tab is part of the name
        TagCase{"<item\tid=1>", {{4, "", ""}}, 11},
        // attribute text is trimmed of blanks, the final ">" removed
        TagCase{"<item   a=1   b=2  >z</item>", {{0, "a=1   b=2", "z"}}, 28},
        // contents end at the first end tag; a nested one of the same name ends it early
        TagCase{"<item>a<item>b</item>c</item>", {{0, "", "a<item>b"}, {1, "", ""}}, 21},
        // a ">" inside a comment ends it early; the rest is skipped up to the next "<"
        TagCase{"<!-- a > b --><name/>", {{2, "", ""}}, 21},
        // a processing instruction is an opening tag whose end never comes
        TagCase{R"(<?xml version="1.0"?><item/>)", {{3, R"(version="1.0"?)", "<item/>"}}, 28},
        // contents that never end hold the rest; an end tag with a blank does not count
        TagCase{"<item>ab</item >cd", {{0, "", "ab</item >cd"}}, 18},
        // a tag that never ends keeps all its characters
        TagCase{R"(<item id="7")", {{0, R"(id="7")", ""}}, 12}, TagCase{"text <", {{4, "", ""}}, 6},
        TagCase{"", {{4, "", ""}}, 0}));

TEST(ReadNextTagInStream, EmptyListAndUpperCaseEntries) {
  TStringStream s{std::string_view("<item/><Item/>")};
  String attributes, contents;
  EXPECT_EQ(ReadNextTagInStream(s, {}, attributes, contents), -1);
  const String upper[] = {u"Item", u"x"};
  EXPECT_EQ(ReadNextTagInStream(s, upper, attributes, contents), 1);
}

TEST(ReadNextTagInStream, LongContentsAreReadInLinearTime) {
  std::string data = "<item>";
  for (int i = 0; i < 200000; ++i) data += "<b>x</b>";
  data += "</item><name/>";
  TStringStream s{std::string_view(data)};
  String attributes, contents;
  EXPECT_EQ(ReadNextTagInStream(s, kItemList, attributes, contents), 0);
  EXPECT_EQ(contents.size(), 200000u * 8);
  EXPECT_EQ(ReadNextTagInStream(s, kItemList, attributes, contents), 1);
}

TEST(ReadNextTagInTextFile, ReadsTheSameGrammarFromAFile) {
  test::TempDir dir;
  test::WriteBytes(dir.NativeFile("t.xml"),
                   "<!-- c -->\r\n<item id=\"7\">x\r\ny</item>\r\n<name/>");
  TextFile f(dir.File("t.xml"));
  f.Reset();
  String attributes, contents;
  EXPECT_EQ(ReadNextTagInTextFile(f, kItemList, attributes, contents), 0);
  EXPECT_EQ(attributes, u"id=\"7\"");
  EXPECT_EQ(U8(contents), "x\r\ny");
  EXPECT_EQ(ReadNextTagInTextFile(f, kItemList, attributes, contents), 1);
  EXPECT_EQ(ReadNextTagInTextFile(f, kItemList, attributes, contents), 2);
  EXPECT_TRUE(f.Eof());
  f.Close();
}

struct AttribCase {
  const char16_t* Attributes;
  const char16_t* Name;
  const char16_t* Value;
};

class ScanForXMLAttribCases : public ::testing::TestWithParam<AttribCase> {};

TEST_P(ScanForXMLAttribCases, FindsTheValue) {
  const AttribCase& c = GetParam();
  EXPECT_EQ(U8(ScanForXMLAttrib(c.Attributes, c.Name)), U8(c.Value))
      << U8(c.Attributes) << " / " << U8(c.Name);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ScanForXMLAttribCases,
    ::testing::Values(
        AttribCase{u"a=\"1\" b=2", u"a", u"1"}, AttribCase{u"a=\"1\" b=2", u"B", u"2"},
        AttribCase{u"x = \"a b\"", u"x", u"a b"}, AttribCase{u"x=\"a=b", u"x", u"a=b"},
        AttribCase{u"first name=Jo", u"first name", u"Jo"}, AttribCase{u"a='1' b=2", u"a", u"'1'"},
        AttribCase{u"a=1\"b=2", u"b", u"2"}, AttribCase{u"a=\"x=1\" b", u"b", u""},
        AttribCase{u"a=1", u"c", u""}, AttribCase{u"", u"a", u""},
        // the three syntax errors end the search with an empty result
        AttribCase{u"a\"=1 b=2", u"b", u""}, AttribCase{u"a==1 b=2", u"b", u""},
        AttribCase{u"a=x=1 b=2", u"b", u""},
        // a pair before the error is still found
        AttribCase{u"b=2 a=x=1", u"b", u"2"}));

TEST(ScanStreamForXMLTag, FindsNestedTagsAndStopsAtTheEnd) {
  TStringStream s{std::string_view("<doc><a x=1>one</a><b/><a x=2>two</a></doc>")};
  String attributes, contents;
  ASSERT_TRUE(ScanStreamForXMLTag(s, u"A", attributes, contents));
  EXPECT_EQ(attributes, u"x=1");
  EXPECT_EQ(contents, u"one");
  ASSERT_TRUE(ScanStreamForXMLTag(s, u"a", attributes, contents));
  EXPECT_EQ(contents, u"two");
  EXPECT_FALSE(ScanStreamForXMLTag(s, u"a", attributes, contents));
  EXPECT_EQ(attributes, u"");
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(ReadStreamUntilTagList, StopsOnTheListedTag) {
  TStringStream s{std::string_view("head<b>bold</b><!-- <item> --><Item id=1>x</item>")};
  const String list[] = {u"name", u"item"};
  std::int32_t ix = 9;
  EXPECT_EQ(ReadStreamUntilTagList(s, list, ix), u"head<b>bold</b><!-- <item> -->");
  EXPECT_EQ(ix, 1);
  String attributes, contents;
  EXPECT_EQ(ReadNextTagInStream(s, list, attributes, contents), 1);
  EXPECT_EQ(attributes, u"id=1");
  EXPECT_EQ(contents, u"x");

  TStringStream t{std::string_view("no tags <x>")};
  EXPECT_EQ(ReadStreamUntilTagList(t, list, ix), u"no tags <x>");
  EXPECT_EQ(ix, -1);
  EXPECT_EQ(t.Position(), t.Size());
}

}  // namespace
}  // namespace kez
