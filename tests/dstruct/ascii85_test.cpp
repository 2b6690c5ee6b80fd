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
  // What follows "~" is not data, even when it holds another "~".
  const Decoded d = Decode("!b~>~u\x01");
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
      {"9zqo^9j o^~>", -1, 8},  // the last fault decides
      {"9j oz~>", -2, 4},      {"s8W-\"~>", -1, 4},  // 2^32 does not fit four bytes
      {"uu~>", -1, 1},                               // nor 7224 one byte
      {"z9jqo^~>", 0, 8},                            // "z" opening a group is four zero bytes
  };
  for (const auto& c : cases) {
    const Decoded d = Decode(c.text);
    EXPECT_EQ(d.result, c.result) << c.text;
    EXPECT_EQ(d.bytes.size(), c.bytes) << c.text;
  }
  // A faulty group folds its characters in modulo 2^32: " " counts as -1.
  EXPECT_EQ(Decode("!!!! ~>").bytes, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace kez
