// Lines, whole texts and marker searches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "kez/streams.hpp"
#include "plain_stream.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

// Every line with its end-of-stream flag, until the flag is set.
std::vector<std::string> AllLines(TStream& s, int Mode) {
  std::vector<std::string> lines;
  bool eos = false;
  while (!eos) {
    const String line = ReadLnStream(s, eos, Mode);
    lines.push_back(U8(line) + (eos ? "|eos" : ""));
  }
  return lines;
}

struct LineCase {
  int Mode;
  const char* Data;
  std::vector<std::string> Lines;
};

class ReadLnStreamModes : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReadLnStreamModes, SplitsLines) {
  const LineCase& c = GetParam();
  TStringStream memory{std::string_view(c.Data)};
  EXPECT_EQ(AllLines(memory, c.Mode), c.Lines) << "memory stream, mode " << c.Mode;
  test::PlainStream plain(c.Data);
  EXPECT_EQ(AllLines(plain, c.Mode), c.Lines) << "plain stream, mode " << c.Mode;
}

INSTANTIATE_TEST_SUITE_P(
    AllModes, ReadLnStreamModes,
    ::testing::Values(
        // CR LF data
        LineCase{0, "ab\r\ncd", {"ab", "cd|eos"}}, LineCase{1, "ab\r\ncd", {"ab", "\ncd|eos"}},
        LineCase{2, "ab\r\ncd", {"ab", "", "cd|eos"}}, LineCase{3, "ab\r\ncd", {"ab\r\ncd|eos"}},
        LineCase{4, "ab\r\ncd", {"ab", "cd|eos"}}, LineCase{9, "ab\r\ncd", {"ab\r\ncd|eos"}},
        // LF data
        LineCase{0, "ab\ncd\n", {"ab", "cd", "|eos"}}, LineCase{1, "ab\ncd\n", {"ab\ncd\n|eos"}},
        LineCase{2, "ab\ncd\n", {"ab", "cd", "|eos"}}, LineCase{4, "ab\ncd\n", {"ab\ncd\n|eos"}},
        // CR data, and LF CR pairs for mode 3
        LineCase{1, "ab\rcd", {"ab", "cd|eos"}}, LineCase{2, "ab\rcd", {"ab", "cd|eos"}},
        LineCase{0, "ab\rcd", {"ab\rcd|eos"}}, LineCase{3, "ab\n\rcd", {"ab", "cd|eos"}},
        // at most two line-end characters are dropped, whatever the mode
        LineCase{0, "a\r\r\n", {"a\r", "|eos"}}, LineCase{0, "\n", {"", "|eos"}},
        LineCase{4, "", {"|eos"}}));

TEST(StreamAsString, ReadsTheRestAcrossBlocks) {
  std::string data;
  for (int i = 0; i < 600; ++i) data.push_back(static_cast<char>(i % 256));
  TStringStream s{std::string_view(data)};
  s.SetPosition(10);
  const String text = StreamAsString(s);
  ASSERT_EQ(text.size(), 590u);
  EXPECT_EQ(text[0], u'\x0A');
  EXPECT_EQ(text[245], u'\xFF');
  EXPECT_EQ(s.Position(), 600);
}

TEST(FindInStream, StopsBehindTheByteOrAtTheEnd) {
  TStringStream s{std::string_view("ab;cd")};
  EXPECT_TRUE(FindInStream(s, ';'));
  EXPECT_EQ(s.Position(), 3);
  EXPECT_FALSE(FindInStream(s, ';'));
  EXPECT_EQ(s.Position(), 5);
}

TEST(ReadStreamUntil, FindsTheTargetIgnoringCase) {
  TStringStream s{std::string_view("abc end xyz")};
  std::int32_t status = 1;
  EXPECT_EQ(ReadStreamUntil(s, u"END", status), u"abc end");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(s.Position(), 7);

  // across the 256-byte blocks, with the start position not at 0
  std::string data(300, 'x');
  data.replace(253, 6, "MARKER");
  TStringStream t{std::string_view(data)};
  t.SetPosition(5);
  const String got = ReadStreamUntil(t, u"marker", status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(got.size(), 254u);
  EXPECT_EQ(U8(got.substr(got.size() - 6)), "MARKER");
  EXPECT_EQ(t.Position(), 259);
}

TEST(ReadStreamUntil, MissingTargetReturnsEverythingAndEndsAtTheEnd) {
  std::string data(512, 'y');  // a multiple of the block size
  TStringStream s{std::string_view(data)};
  std::int32_t status = 0;
  EXPECT_EQ(ReadStreamUntil(s, u"zz", status).size(), 512u);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(s.Position(), 512);

  TStringStream t{std::string_view("abc")};
  EXPECT_EQ(ReadStreamUntil(t, u"", status), u"");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(t.Position(), 0);
}

TEST(CountLinesInStream, CountsLineFeedsFromThePosition) {
  TStringStream s{std::string_view("a\nb")};
  EXPECT_EQ(CountLinesInStream(s), 1);
  EXPECT_EQ(s.Position(), 3);
  std::string many(10000, 'q');
  for (std::size_t i = 0; i < many.size(); i += 10) many[i] = '\n';
  TStringStream t{std::string_view(many)};
  t.SetPosition(1);
  EXPECT_EQ(CountLinesInStream(t), 999);
}

}  // namespace
}  // namespace kez
