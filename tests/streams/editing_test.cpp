// Line extraction and search-and-replace.
#include <gtest/gtest.h>

#include "kez/streams.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

std::string Bytes(TMemoryStream& m) {
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.Size()));
}

TEST(ExtractFromStream, CopiesMatchingLinesWithTheirLineEnds) {
  TStringStream s{std::string_view("skip\nError one\r\nfine\nwarn: two\nlast ERROR")};
  s.SetPosition(5);
  TStringList keys;
  keys.Add(u"error");
  keys.Add(u"WARN");
  keys.Add(u"");
  TMemoryStream out;
  out.WriteBuffer(">", 1);
  EXPECT_EQ(ExtractFromStream(s, out, keys), 3);
  EXPECT_EQ(Bytes(out), ">Error one\r\nwarn: two\nlast ERROR");
  EXPECT_EQ(s.Position(), s.Size());

  TStringStream t{std::string_view("a\nb\n")};
  TStringList none;
  EXPECT_EQ(ExtractFromStream(t, out, none), 0);
}

struct ReplaceCase {
  const char* Source;
  const char16_t* Search;
  const char16_t* Replace;
  bool IgnoreCase;
  std::int32_t StartPos;
  std::int32_t MaxCount;
  const char16_t* Brackets;
  const char* Result;
  std::int32_t Count;
};

class SearchAndReplaceCases : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(SearchAndReplaceCases, Replaces) {
  const ReplaceCase& c = GetParam();
  TStringStream source{std::string_view(c.Source)};
  source.SetPosition(2);
  TMemoryStream target;
  target.WriteBuffer("old contents", 12);
  const TSRUnknownModifierEvent handler = [](String Command, String& Substring) {
    Substring = u"<" + Command + u">";
  };
  EXPECT_EQ(SearchAndReplace(source, target, c.Search, c.Replace, c.IgnoreCase, c.StartPos,
                             c.MaxCount, c.Brackets, handler),
            c.Count)
      << c.Source;
  EXPECT_EQ(Bytes(target), c.Result) << c.Source;
  EXPECT_EQ(target.Position(), 0);
  EXPECT_EQ(source.Position(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SearchAndReplaceCases,
    ::testing::Values(
        ReplaceCase{"a cat, a Cat", u"cat", u"dog", false, 1, 0, u"", "a dog, a Cat", 1},
        ReplaceCase{"a cat, a Cat", u"CAT", u"dog", true, 1, 0, u"", "a dog, a dog", 2},
        ReplaceCase{"aaaa", u"aa", u"b", false, 1, 0, u"", "bb", 2},
        ReplaceCase{"xyxyxy", u"xy", u"-", false, 2, 0, u"", "xy--", 2},
        ReplaceCase{"xyxyxy", u"xy", u"-", false, -3, 2, u"", "--xy", 2},
        ReplaceCase{"abc", u"", u"z", false, 1, 0, u"[]", "abc", 0},
        ReplaceCase{"abc", u"b\u0100", u"z", false, 1, 0, u"", "abc", 0},
        ReplaceCase{"abc", u"b", u"z", false, 99, 0, u"", "abc", 0},
        // commands: found text, its cases, the running number, unknown ones via the handler
        ReplaceCase{"Ab ab", u"ab", u"[s]/[u]/[l]#[n]", true, 1, 0, u"[]", "Ab/AB/ab#1 ab/AB/ab#2",
                    2},
        ReplaceCase{"x", u"x", u"{date}!", false, 1, 0, u"{}", "<date>!", 1},
        // unclosed commands are plain text; commands off without two brackets
        ReplaceCase{"x", u"x", u"[s", false, 1, 0, u"[]", "[s", 1},
        ReplaceCase{"x", u"x", u"[s]", false, 1, 0, u"[", "[s]", 1}));

TEST(SearchAndReplace, SourceAndTargetMayBeOneStreamAndUnknownCommandsStayWithoutHandler) {
  TStringStream s{std::string_view("one two one")};
  EXPECT_EQ(SearchAndReplace(s, s, u"one", u"[x][n]", false, 1, 0, u"[]", nullptr), 2);
  EXPECT_EQ(Bytes(s), "[x]1 two [x]2");
}

}  // namespace
}  // namespace kez
