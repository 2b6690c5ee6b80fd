// ASCII85: the group rules, round trips, line breaks, the terminator and the error codes.
#include <gtest/gtest.h>

#include "checksum_test_support.hpp"

namespace kez {
namespace {

using test::Bytes;

std::string Encode(const std::vector<std::uint8_t>& data) {
  TMemoryStream in;
  in.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  in.SetPosition(0);
  TStringStream out;
  EncodeASCII85(in, out);
  return out.DataString();
}

struct Decoded {
  std::vector<std::uint8_t> bytes;
  std::int32_t result;
};

Decoded Decode(std::string_view text) {
  TStringStream in(text);
  TMemoryStream out;
  const std::int32_t r = DecodeASCII85(in, out);
  return {std::vector<std::uint8_t>(out.Memory(), out.Memory() + out.Size()), r};
}

struct Example {
  std::vector<std::uint8_t> bytes;
  std::string text;
};

TEST(ASCII85, Examples) {
  const Example examples[] = {
      {{}, "~>"},
      {{0, 0, 0, 0}, "z~>"},
      {{0x41}, "!b~>"},  // a short group is its own value: 65 = 0 * 85 + 65
      {{0, 0, 0, 0, 0}, "z!!~>"},
      {{0xFF, 0xFF, 0xFF, 0xFF}, "s8W-!~>"},
      {Bytes("Man "), "9jqo^~>"},
  };
  for (const auto& e : examples) {
    EXPECT_EQ(Encode(e.bytes), e.text);
    const Decoded d = Decode(e.text);
    EXPECT_EQ(d.bytes, e.bytes) << e.text;
    EXPECT_EQ(d.result, 0) << e.text;
  }
}

TEST(ASCII85, RoundTrips) {
  for (std::size_t n = 0; n <= 20; ++n) {
    auto data = test::RandomBytes(n, static_cast<unsigned>(n));
    if (n >= 8) std::fill(data.begin() + 4, data.begin() + 8, 0);  // a "z" group inside
    const Decoded d = Decode(Encode(data));
    EXPECT_EQ(d.bytes, data) << n;
    EXPECT_EQ(d.result, 0);
  }
  // Longer than the coder's blocks, and read through a stream that gives a few bytes at a time.
  const auto big = test::RandomBytes(200003, 85);
  test::PlainStream in(big, 7);
  TStringStream text;
  EncodeASCII85(in, text);
  EXPECT_EQ(text.DataString(), Encode(big));
  text.SetPosition(0);
  TMemoryStream out;
  EXPECT_EQ(DecodeASCII85(text, out), 0);
  EXPECT_EQ(std::vector<std::uint8_t>(out.Memory(), out.Memory() + out.Size()), big);
}

TEST(ASCII85, LineBreaksAreIgnoredAnywhere) {
  const auto data = test::RandomBytes(13, 3);
  const std::string text = Encode(data);
  for (std::size_t at = 0; at <= text.size(); ++at) {
    for (const char* brk : {"\r\n", "\n", "\r"}) {
      std::string broken = text;
      broken.insert(at, brk);
      const Decoded d = Decode(broken);
      EXPECT_EQ(d.bytes, data) << at;
      EXPECT_EQ(d.result, 0);
    }
  }
}

TEST(ASCII85, TheTextEndsAtTheTerminatorOrTheStreamEnd) {
  // Without "~" a final group of k characters gives k - 1 bytes.
  EXPECT_EQ(Decode("!b").bytes, std::vector<std::uint8_t>{0x41});
  EXPECT_EQ(Decode("9jqo^!b").bytes, (Bytes("Man A")));
  EXPECT_TRUE(Decode("!").bytes.empty());
  EXPECT_TRUE(Decode("").bytes.empty());
  // A group ends at its last "~": an earlier "~" in it is a faulty digit.
  Decoded d = Decode("!!!~~>");
  EXPECT_EQ(d.bytes, (std::vector<std::uint8_t>{0x00, 0x00, 0x5D}));
  EXPECT_EQ(d.result, -1);
  // What follows the group of the "~" is not read.
  d = Decode("!b~>!~u\x01");
  EXPECT_EQ(d.bytes, std::vector<std::uint8_t>{0x41});
  EXPECT_EQ(d.result, 0);
  // The stream is left right after the terminator, so text embedded in a stream can be
  // followed by other data.
  TStringStream in(std::string_view("9jqo^!b~>rest"));
  TMemoryStream out;
  DecodeASCII85(in, out);
  EXPECT_EQ(in.Position(), 9);
}

struct BadText {
  const char* text;
  std::int32_t result;
  std::size_t bytes;
};

TEST(ASCII85, ErrorCodes) {
  const BadText cases[] = {
      {"9jq o^~>", -1, 4},      // a blank inside a group: reported, the group still written
      {"9jqzo^~>", -2, 4},      // a "z" inside a group
      {"9zqo^9j o^~>", -2, 8},  // a later fault does not turn -2 back into -1
      {"9j oz~>", -2, 4},       // nor the other way round
      {"z9jqo^~>", 0, 8},       // "z" opening a group is four zero bytes
      {"s8W-\"~>", 0, 4},       // 2^32 is folded to 0
      {"uu~>", 0, 1},           // a short group keeps the low bytes of its value
  };
  for (const auto& c : cases) {
    const Decoded d = Decode(c.text);
    EXPECT_EQ(d.result, c.result) << c.text;
    EXPECT_EQ(d.bytes.size(), c.bytes) << c.text;
  }
  EXPECT_EQ(Decode("s8W-\"~>").bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Decode("uu~>").bytes, std::vector<std::uint8_t>{7224 % 256});
  // A faulty group folds its characters in modulo 2^32: " " counts as -1.
  EXPECT_EQ(Decode("!!!! ~>").bytes, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

// The decoder as the format describes it, on a whole text: groups of five characters
// without CR and LF, "z" alone, the last "~" of a group ending the text.
struct ModelResult {
  Decoded decoded;
  std::size_t position;  // where the stream is left
};

ModelResult DecodeModel(std::string_view text) {
  std::vector<std::pair<unsigned char, std::size_t>> chars;  // character, raw offset behind it
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] != '\r' && text[i] != '\n') chars.push_back({text[i], i + 1});
  ModelResult m{{{}, 0}, text.size()};
  std::size_t i = 0;
  while (i < chars.size()) {
    if (chars[i].first == 'z') {
      m.decoded.bytes.insert(m.decoded.bytes.end(), 4, 0);
      ++i;
      continue;
    }
    const std::size_t k = std::min<std::size_t>(5, chars.size() - i);
    std::size_t counting = k;
    bool tilde = false;
    for (std::size_t j = 0; j < k; ++j) {
      if (chars[i + j].first == '~') {
        counting = j;
        tilde = true;
      }
    }
    std::uint32_t v = 0;
    for (std::size_t j = 0; j < counting; ++j) {
      const unsigned char c = chars[i + j].first;
      if (c < '!' || c > 'u') {
        if (c == 'z') {
          m.decoded.result = -2;
        } else if (m.decoded.result == 0) {
          m.decoded.result = -1;
        }
      }
      v = v * 85u + (static_cast<std::uint32_t>(c) - 33u);
    }
    for (std::size_t j = 1; j < counting; ++j)
      m.decoded.bytes.push_back(static_cast<std::uint8_t>(v >> (8 * (counting - 1 - j))));
    if (tilde) {
      std::size_t end = chars[i + counting].second;
      if (end < text.size() && text[end] == '>') {
        ++end;
      } else if (counting + 1 < k && chars[i + counting + 1].first == '>') {
        end = chars[i + counting + 1].second;
      }
      m.position = end;
      break;
    }
    i += k;
  }
  return m;
}

TEST(ASCII85, DecoderAgreesWithTheFormatOnRandomTexts) {
  std::mt19937 gen(2024);
  const std::string alphabet = "!!uus8W-9jqo^zz~~~>>\r\n v\x80\xFF";
  for (int round = 0; round < 20000; ++round) {
    std::string text(gen() % 24, ' ');
    for (char& c : text) c = alphabet[gen() % alphabet.size()];
    const ModelResult want = DecodeModel(text);
    TStringStream in(text);
    TMemoryStream out;
    const std::int32_t result = DecodeASCII85(in, out);
    ASSERT_EQ(result, want.decoded.result) << text;
    ASSERT_EQ(std::vector<std::uint8_t>(out.Memory(), out.Memory() + out.Size()),
              want.decoded.bytes)
        << text;
    ASSERT_EQ(in.Position(), static_cast<std::int64_t>(want.position)) << text;
  }
}

}  // namespace
}  // namespace kez
