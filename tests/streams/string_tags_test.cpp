// Tag scanning in strings.
#include <gtest/gtest.h>

#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

TEST(ReadNextTagInString, MovesThePositionLikeTheStreamReader) {
  const String doc = u"<!-- c --><item id=\"7\" >x<b>y</b></ITEM><name/>";
  const String list[] = {u"item", u"name", u""};
  String attributes, contents;
  std::int32_t pos = 1;
  EXPECT_EQ(ReadNextTagInString(doc, pos, list, attributes, contents), 0);
  EXPECT_EQ(contents, u"x<b>y</b>");
  EXPECT_EQ(pos, 41);
  EXPECT_EQ(ReadNextTagInString(doc, pos, list, attributes, contents), 1);
  EXPECT_EQ(ReadNextTagInString(doc, pos, list, attributes, contents), 2);
  EXPECT_EQ(pos, static_cast<std::int32_t>(doc.size()) + 1);

  // out-of-range start positions
  pos = -5;
  EXPECT_EQ(ReadNextTagInString(u"<name/>", pos, list, attributes, contents), 1);
  pos = 100;
  EXPECT_EQ(ReadNextTagInString(u"<name/>", pos, list, attributes, contents), 2);
  EXPECT_EQ(pos, 8);
}

TEST(DetectNextTagInString, ReportsPositionsAndEndTags) {
  const String doc = u"ab<!--x--><Item k=v>text</item><p/>";
  const String list[] = {u"item", u"p", u""};
  String attributes;
  bool isEnd = true;
  std::int32_t start = 1, end = 0;
  EXPECT_EQ(DetectNextTagInString(doc, start, end, list, attributes, isEnd), 0);
  EXPECT_EQ(start, 11);
  EXPECT_EQ(end, 20);
  EXPECT_EQ(attributes, u"k=v");
  EXPECT_FALSE(isEnd);

  start = end + 1;
  EXPECT_EQ(DetectNextTagInString(doc, start, end, list, attributes, isEnd), 0);
  EXPECT_EQ(U8(doc.substr(start - 1, end - start + 1)), "</item>");
  EXPECT_TRUE(isEnd);

  start = end + 1;
  EXPECT_EQ(DetectNextTagInString(doc, start, end, list, attributes, isEnd), 1);
  EXPECT_FALSE(isEnd);

  start = end + 1;
  EXPECT_EQ(DetectNextTagInString(doc, start, end, list, attributes, isEnd), 2);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);

  start = 1;
  EXPECT_EQ(DetectNextTagInString(u"x <item a=1", start, end, list, attributes, isEnd), 0);
  EXPECT_EQ(start, 3);
  EXPECT_EQ(end, 11);
  EXPECT_EQ(attributes, u"a=1");
}

}  // namespace
}  // namespace kez
