// The substitution scrambler and uuencoding.
#include <gtest/gtest.h>

#include <set>

#include "kez/platform/random.hpp"
#include "kez/stringl.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

String AllBytes() {
  String s;
  for (int c = 0; c < 256; ++c) s.push_back(static_cast<char16_t>(c));
  return s;
}

// Every test leaves the tables as the library's start built them.
class ScrambleTest : public testing::Test {
 protected:
  void TearDown() override { InitScramble(ScrambleDefaultSeed); }
};

TEST_F(ScrambleTest, TablesArePermutationsFixingZero) {
  for (std::int32_t seed : {0, 1, ScrambleDefaultSeed, -1, 123456789}) {
    InitScramble(seed);
    const String table = Scramble(AllBytes());
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[0], u'\0');
    const std::set<char16_t> codes(table.begin() + 1, table.end());
    EXPECT_EQ(codes.size(), 255u) << seed;
    EXPECT_EQ(*codes.begin(), 1);
    EXPECT_EQ(*codes.rbegin(), 255);
    EXPECT_EQ(DeScramble(table), AllBytes()) << seed;
  }
}

TEST_F(ScrambleTest, SameSeedSameTablesAndGeneratorState) {
  InitScramble(99);
  const String first = Scramble(AllBytes());
  const std::uint32_t stateAfter = RandSeed;
  InitScramble(7);
  EXPECT_NE(Scramble(AllBytes()), first);
  InitScramble(99);
  EXPECT_EQ(Scramble(AllBytes()), first);
  EXPECT_EQ(RandSeed, stateAfter);
}

TEST_F(ScrambleTest, StartBuildsTablesFromDefaultSeed) {
  const String atStart = Scramble(AllBytes());
  InitScramble(ScrambleDefaultSeed);
  EXPECT_EQ(Scramble(AllBytes()), atStart);
  EXPECT_NE(atStart, AllBytes());
}

TEST_F(ScrambleTest, RoundTripsAndPassesWideCharactersThrough) {
  for (std::int32_t seed : {3, 42, 65535}) {
    InitScramble(seed);
    const String text = u"Hello, W\u00F6rld! \u20AC\u4E2D\U0001F600 \x01\x7F";
    const String scrambled = Scramble(text);
    EXPECT_EQ(scrambled.size(), text.size());
    EXPECT_NE(scrambled, text);
    EXPECT_EQ(DeScramble(scrambled), text);
    // Characters above code 255 are kept as they are.
    EXPECT_EQ(scrambled.substr(14, 4), text.substr(14, 4));
  }
  EXPECT_EQ(Scramble(u""), u"");
  EXPECT_EQ(DeScramble(u""), u"");
}

TEST(UUEncode, StandardLines) {
  EXPECT_EQ(UUEncodeStr(u""), u"");
  EXPECT_EQ(UUEncodeStr(u"Cat"), u"#0V%T\n");
  EXPECT_EQ(UUEncodeStr(String(1, u'\0')), u"!````\n");
  const String text(100, u'a');
  const String encoded = UUEncodeStr(text);
  std::vector<String> lines;
  for (std::size_t start = 0, end; (end = encoded.find(u'\n', start)) != String::npos;
       start = end + 1) {
    lines.push_back(encoded.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(encoded.back(), u'\n');
  EXPECT_EQ(lines[0].substr(0, 1), u"M");  // 45 bytes
  EXPECT_EQ(lines[0].size(), 61u);
  EXPECT_EQ(lines[2], u"*86%A86%A86%A80``");  // the last 10 bytes
}

TEST(UUEncode, DecoderReadsWhatEncoderWrites) {
  String all;
  for (int c = 0; c < 256; ++c) all.push_back(AnsiCharToChar(static_cast<unsigned char>(c)));
  for (const String& text : {String(u"x"), String(u"ab"), String(u"abc"), all, all + all + all}) {
    EXPECT_EQ(UUDecodeStr(UUEncodeStr(text)), text) << text.size();
  }
  // Characters Windows-1252 cannot hold are encoded as "?".
  EXPECT_EQ(UUDecodeStr(UUEncodeStr(u"a\u4E2Db")), u"a?b");
}

TEST(UUDecode, SkipsMalformedLinesAndFileFraming) {
  EXPECT_EQ(UUDecodeStr(u"begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\n"), u"Cat");
  EXPECT_EQ(UUDecodeStr(u"#0V%T"), u"Cat");  // no final line end
  EXPECT_EQ(UUDecodeStr(u"#0V%Textra\n"), u"Cat");
  EXPECT_EQ(UUDecodeStr(u"#0V%\n"), u"");   // too short for its length
  EXPECT_EQ(UUDecodeStr(u"M0V%T\n"), u"");  // claims 45 bytes
  EXPECT_EQ(UUDecodeStr(u"#0v%T\n"), u"");  // "v" is no data character
  EXPECT_EQ(UUDecodeStr(u"#0V\u4E2DT\n!````\n"), String(1, u'\0'));
  EXPECT_EQ(UUDecodeStr(u"\n\r\n#"), u"");
}

}  // namespace
}  // namespace kez
