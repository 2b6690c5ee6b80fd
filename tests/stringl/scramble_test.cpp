// The substitution scrambler and uuencoding.
#include <gtest/gtest.h>

#include <random>
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
  EXPECT_EQ(UUDecodeStr(u"#0v%T\n"), u"");  // "v" is no data character
  EXPECT_EQ(UUDecodeStr(u"#0V\u4E2DT\n!````\n"), String(1, u'\0'));
  EXPECT_EQ(UUDecodeStr(u"\n\r\n \n"), u"");
}

// Trailing blanks that a mail transport stripped are read back as zero bits.
TEST(UUDecode, ShortLinesArePaddedWithBlanks) {
  EXPECT_EQ(UUDecodeStr(u"586)C\n"), u"abc" + String(18, u'\0'));
  EXPECT_EQ(UUDecodeStr(u"#0V%\n"), u"Ca@");
  EXPECT_EQ(UUDecodeStr(u"M0V%T"), u"Cat" + String(42, u'\0'));
  EXPECT_EQ(UUDecodeStr(u"#"), String(3, u'\0'));
  EXPECT_EQ(UUEncodeStr(String(u"ab") + String(1, u'\0')), u"#86(`\n");
  EXPECT_EQ(UUDecodeStr(u"#86("), String(u"ab") + String(1, u'\0'));
}

// The decoder as its description reads, written with plain loops: for each line, a
// length character n in "!".."M", then (n + 2) / 3 groups of four characters of six bits
// (code - 32, "`" for 0), missing characters counting as blanks; a character outside
// " ".."`" drops the line.
std::string ModelUUDecode(StringView Text) {
  std::string out;
  std::size_t i = 0;
  while (i <= Text.size()) {
    std::size_t e = i;
    while (e < Text.size() && Text[e] != u'\r' && Text[e] != u'\n') ++e;
    const StringView line = Text.substr(i, e - i);
    i = e + 1;
    if (line.empty() || line[0] < u'!' || line[0] > u'M') continue;
    const std::size_t n = line[0] - 32u;
    std::string bytes;
    bool ok = true;
    for (std::size_t g = 0; g < (n + 2) / 3 && ok; ++g) {
      unsigned bits[4];
      for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t at = 1 + 4 * g + k;
        const char16_t c = at < line.size() ? line[at] : u' ';
        ok = ok && c >= u' ' && c <= u'`';
        bits[k] = (c - 32u) % 64;
      }
      bytes += static_cast<char>(bits[0] << 2 | bits[1] >> 4);
      bytes += static_cast<char>((bits[1] & 15) << 4 | bits[2] >> 2);
      bytes += static_cast<char>((bits[2] & 3) << 6 | bits[3]);
    }
    if (ok) out += bytes.substr(0, n);
  }
  return out;
}

TEST(UUDecode, AgreesWithModelOnRandomText) {
  std::mt19937 rng(5);
  const char16_t chars[] = u" !#0V%T`M5{a\r\n\u4E2D";
  for (int round = 0; round < 20000; ++round) {
    String text;
    for (int i = 0, n = static_cast<int>(rng() % 40); i < n; ++i) text += chars[rng() % 15];
    ASSERT_EQ(UUDecodeStr(text), AnsiToString(ModelUUDecode(text))) << test::U8(text);
  }
}

}  // namespace
}  // namespace kez
