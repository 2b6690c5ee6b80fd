// Every scanner on random markup-like bytes: each call must consume input, stop at the end
// and stay inside the data (the sanitizer build checks the last part).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "kez/streams.hpp"
#include "kez/stringl.hpp"
#include "plain_stream.hpp"

namespace kez {
namespace {

std::string RandomInput(std::mt19937& rng) {
  static constexpr std::string_view kAlphabet = "<>/!=\" \t\r\nab.,eE+-0129";
  std::uniform_int_distribution<std::size_t> length(0, 200), pick(0, kAlphabet.size() - 1);
  std::string s(length(rng), ' ');
  for (char& c : s) c = kAlphabet[pick(rng)];
  return s;
}

TEST(ScannerRobustness, RandomInputIsConsumedToTheEnd) {
  std::mt19937 rng(20261209);
  const String list[] = {u"a", u"/a", u""};
  for (int round = 0; round < 2000; ++round) {
    const std::string input = RandomInput(rng);
    const auto size = static_cast<std::int64_t>(input.size());
    String attributes, contents;

    TStringStream tags{std::string_view(input)};
    test::PlainStream plainTags(input);
    for (std::int64_t before = -1; tags.Position() < size;) {
      ASSERT_GT(tags.Position(), before) << input;
      before = tags.Position();
      const std::int32_t ix = ReadNextTagInStream(tags, list, attributes, contents);
      ASSERT_EQ(ReadNextTagInStream(plainTags, list, attributes, contents), ix) << input;
      ASSERT_EQ(plainTags.Position(), tags.Position()) << input;
    }

    for (int mode = 0; mode <= 5; ++mode) {
      TStringStream lines{std::string_view(input)};
      bool eos = false;
      for (int calls = 0; !eos; ++calls) {
        ASSERT_LE(calls, size + 1) << input;
        ReadLnStream(lines, eos, mode);
      }
      ASSERT_EQ(lines.Position(), size);
    }

    TStringStream numbers{std::string_view(input)};
    for (std::int64_t before = -1; numbers.Position() < size;) {
      ASSERT_GT(numbers.Position(), before) << input;
      before = numbers.Position();
      const Extended v = ScanStreamFPNum(numbers, true, 3);
      ASSERT_LE(v, 1.7e308L);
      ASSERT_GE(v, -1.7e308L);
    }

    const String text = AnsiToString(input);
    ScanForXMLAttrib(text, u"a");
    std::int32_t start = 1, end = 0;
    bool isEnd = false;
    for (int calls = 0; start > 0 || calls == 0; ++calls) {
      ASSERT_LE(calls, size + 1) << input;
      DetectNextTagInString(text, start, end, list, attributes, isEnd);
      if (start == 0) break;
      ASSERT_GE(end, start) << input;
      start = end + 1;
    }
  }
}

}  // namespace
}  // namespace kez
