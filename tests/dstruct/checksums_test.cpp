// CRC-16, CRC-32 and SHA-1: catalogue values, every processor kernel against the byte-table
// and portable code, and the stream and file forms.
#include <gtest/gtest.h>

#include <optional>

#include "checksum_test_support.hpp"
#include "kez/platform/textfile.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using detail::ChecksumPath;
using test::Bytes;
using test::RandomBytes;

const std::vector<std::uint8_t> kCheck = Bytes("123456789");

TEST(Checksums, Examples) {
  EXPECT_EQ(CRC16ofBuffer(kCheck, 9, crcZModem), 0x31C3);
  EXPECT_EQ(CRC16ofBuffer(kCheck, 9, crcCCITT), 0x29B1);
  EXPECT_EQ(static_cast<std::uint32_t>(CRC32ofBuffer(kCheck, 9)), 0xCBF43926u);
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString(u"abc")), u"A9993E364706816ABA3E25717850C26C9CD0D89D");
  TMemoryStream empty;
  EXPECT_EQ(SHA1DigestToHex(SHA1FromStream(empty)), u"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
}

// The byte-at-a-time definitions, the reference for every faster path.
std::uint16_t Crc16Reference(const std::uint8_t* p, std::size_t n, std::uint16_t crc) {
  while (n-- > 0) crc = CalcNextCRC16(*p++, crc);
  return crc;
}
std::uint32_t Crc32Reference(const std::uint8_t* p, std::size_t n) {
  std::uint32_t crc = 0xFFFFFFFFu;
  while (n-- > 0) crc = CalcNextCRC32(*p++, crc);
  return ~crc;
}

TEST(Checksums, CountsAreClampedToTheBuffer) {
  // Nothing counted: the initial register (0 after CRC-32's final complement).
  for (std::int32_t n : {0, -1, -1000}) {
    EXPECT_EQ(CRC16ofBuffer(kCheck, n, crcZModem), 0);
    EXPECT_EQ(CRC16ofBuffer(kCheck, n, crcCCITT), 0xFFFF);
    EXPECT_EQ(CRC32ofBuffer(kCheck, n), 0);
  }
  // Beyond the end: the whole buffer and not a byte more.
  const std::span<const std::uint8_t> head(kCheck.data(), 5);
  EXPECT_EQ(CRC16ofBuffer(head, 9, crcCCITT), Crc16Reference(kCheck.data(), 5, 0xFFFF));
  EXPECT_EQ(CRC32ofBuffer(head, 1 << 30),
            static_cast<std::int32_t>(Crc32Reference(kCheck.data(), 5)));
  EXPECT_EQ(CRC32ofBuffer({}, 10), 0);
}

TEST(Checksums, Crc16SlicingMatchesByteTable) {
  const auto data = RandomBytes(320, 16);
  for (std::size_t offset = 0; offset < 8; ++offset) {
    for (std::size_t n = 0; n + offset <= 300; ++n) {
      const std::span<const std::uint8_t> s(data.data() + offset, n);
      const auto count = static_cast<std::int32_t>(n);
      ASSERT_EQ(CRC16ofBuffer(s, count, crcZModem), Crc16Reference(s.data(), n, 0)) << n;
      ASSERT_EQ(CRC16ofBuffer(s, count, crcCCITT), Crc16Reference(s.data(), n, 0xFFFF)) << n;
    }
  }
}

class ChecksumPaths : public testing::TestWithParam<ChecksumPath> {
 protected:
  void SetUp() override { cap_.emplace(GetParam()); }
  std::optional<test::ScopedPathCap> cap_;
};

TEST_P(ChecksumPaths, Crc32MatchesByteTable) {
  if (detail::CRC32Path() != GetParam()) GTEST_SKIP() << "kernel not available here";
  const auto data = RandomBytes(70000, 32);
  for (std::size_t offset = 0; offset < 16; offset += 3) {
    for (std::size_t n = 0; n <= 300; ++n) {
      const std::uint8_t* p = data.data() + offset;
      ASSERT_EQ(static_cast<std::uint32_t>(CRC32ofBuffer({p, n}, static_cast<std::int32_t>(n))),
                Crc32Reference(p, n))
          << "length " << n << " offset " << offset;
    }
  }
  // Past the wide kernels' thresholds (256 and 1024 bytes): every residue of the 256-byte step.
  for (std::size_t n = 1000; n <= 1300; ++n) {
    ASSERT_EQ(static_cast<std::uint32_t>(
                  CRC32ofBuffer({data.data() + 5, n}, static_cast<std::int32_t>(n))),
              Crc32Reference(data.data() + 5, n))
        << n;
  }
  // Long inputs run the main loops many times, with every kind of tail.
  for (std::size_t n : {1024u, 4096u + 15u, 65536u + 129u, 69999u}) {
    ASSERT_EQ(static_cast<std::uint32_t>(
                  CRC32ofBuffer({data.data() + 1, n}, static_cast<std::int32_t>(n))),
              Crc32Reference(data.data() + 1, n))
        << n;
  }
}

// SHA-1 test vectors of FIPS 180-1, and the empty message.
TEST_P(ChecksumPaths, Sha1StandardVectors) {
  if (GetParam() >= detail::cpAVX2) GTEST_SKIP() << "SHA-1 has no kernel beyond SHA-NI";
  if (detail::SHA1Path() != GetParam()) GTEST_SKIP() << "kernel not available here";
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString(u"abc")), u"A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(
      SHA1DigestToHex(SHA1FromString(u"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
      u"84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString(String(1000000, u'a'))),
            u"34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
  EXPECT_EQ(SHA1DigestToHex(SHA1FromString(u"")), u"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
}

INSTANTIATE_TEST_SUITE_P(Kernels, ChecksumPaths,
                         testing::Values(detail::cpPortable, detail::cpSSE, detail::cpAVX2,
                                         detail::cpAVX512),
                         [](const auto& info) { return std::string(test::PathName(info.param)); });

TSHA1Digest Sha1Of(const std::vector<std::uint8_t>& data, ChecksumPath path, std::int64_t piece) {
  test::ScopedPathCap cap(path);
  if (piece == 0) {
    TMemoryStream m;
    m.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    m.SetPosition(0);
    return SHA1FromStream(m);
  }
  test::PlainStream s(data, piece);
  return SHA1FromStream(s);
}

TEST(Checksums, Sha1KernelsAndReadPatternsAgree) {
  // Memory streams are hashed in place, other streams in blocks of whatever size Read gives.
  for (std::size_t n = 0; n <= 300; n += 7) {
    const auto data = RandomBytes(n, static_cast<unsigned>(n));
    const TSHA1Digest expected = Sha1Of(data, detail::cpPortable, 0);
    for (ChecksumPath path : {detail::cpPortable, detail::cpSSE})
      for (std::int64_t piece : {0, 1, 13, 64, 100})
        ASSERT_EQ(Sha1Of(data, path, piece), expected) << n << " " << piece;
  }
  const auto big = RandomBytes(100003, 7);
  EXPECT_EQ(Sha1Of(big, detail::cpSSE, 0), Sha1Of(big, detail::cpPortable, 5000));
}

TEST(Checksums, Sha1FromStringAgreesWithStreamsAtEveryLength) {
  // Texts are hashed in chunks, the last one padded in place: cover the chunk edges.
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 130; ++n) lengths.push_back(n);
  for (std::size_t n : {1023u, 1024u, 1025u, 2047u, 2048u, 2100u}) lengths.push_back(n);
  for (std::size_t n : lengths) {
    auto data = RandomBytes(n, static_cast<unsigned>(n) + 1);
    String text;
    for (auto& b : data) {
      b &= 0x7F;
      text.push_back(static_cast<char16_t>(b));
    }
    ASSERT_EQ(SHA1FromString(text), Sha1Of(data, detail::cpPortable, 0)) << n;
  }
}

TEST(Checksums, Sha1FromStreamHashesFromThePositionToTheEnd) {
  TMemoryStream m;
  m.WriteBuffer("xyzabc", 6);
  m.SetPosition(3);
  EXPECT_EQ(SHA1FromStream(m), SHA1FromString(u"abc"));
  EXPECT_EQ(m.Position(), 6);
  // Past the end there is nothing to hash, and the position stays.
  m.SetPosition(10);
  EXPECT_EQ(SHA1FromStream(m), SHA1FromString(u""));
  EXPECT_EQ(m.Position(), 10);
}

TEST(Checksums, Sha1FromStringHashesUtf8) {
  TStringStream utf8(std::string_view("\xE2\x82\xAC caf\xC3\xA9"));
  EXPECT_EQ(SHA1FromString(u"\u20AC caf\u00E9"), SHA1FromStream(utf8));
  // Distinct texts give distinct bytes: no character is folded into another, and an
  // unpaired surrogate is not merged with a replacement character.
  const String texts[] = {u"\u4E2D",
                          u"\u65E5",
                          u"?",
                          u"\xE4\xB8\xAD",
                          u"\xFFFD",
                          String(1, u'\xD800'),
                          String(1, u'\xDC00'),
                          u"\U0001F600"};
  for (const String& a : texts) {
    for (const String& b : texts) {
      if (&a != &b) {
        EXPECT_NE(SHA1FromString(a), SHA1FromString(b)) << test::U8(a);
      }
    }
  }
  TStringStream lone(std::string_view("\xED\xA0\x80"));
  EXPECT_EQ(SHA1FromString(String(1, u'\xD800')), SHA1FromStream(lone));
  // Texts of every width of character, with surrogate pairs across the converter's chunks.
  const char16_t pieces[][3] = {u"a", u"\u00E9", u"\u4E2D", u"\U0001F600"};
  std::mt19937 gen(5);
  for (std::size_t length : {0u, 1u, 700u, 1023u, 1024u, 1025u, 3000u}) {
    String text;
    while (text.size() < length) text += pieces[gen() % 4];
    const std::string bytes = StringToUtf8(text);
    TStringStream stream{std::string_view(bytes)};
    ASSERT_EQ(SHA1FromString(text), SHA1FromStream(stream)) << length;
  }
}

TEST(Checksums, ContinueCRC32JoinsBlocksOfAnySplit) {
  EXPECT_EQ(ContinueCRC32(0, kCheck), 0xCBF43926u);
  EXPECT_EQ(ContinueCRC32(0, {}), 0u);
  EXPECT_EQ(ContinueCRC32(0xCBF43926u, {}), 0xCBF43926u);
  const auto data = RandomBytes(5000, 3);
  const auto whole = static_cast<std::uint32_t>(
      CRC32ofBuffer(data, static_cast<std::int32_t>(data.size())));
  for (const std::size_t block : {1u, 7u, 64u, 1000u, 4999u}) {
    std::uint32_t crc = 0;
    for (std::size_t at = 0; at < data.size(); at += block) {
      crc = ContinueCRC32(crc, std::span(data).subspan(at, std::min(block, data.size() - at)));
    }
    EXPECT_EQ(crc, whole) << block;
  }
}

TEST(Checksums, Files) {
  test::TempDir dir;
  const auto data = RandomBytes(200000, 9);  // several read blocks
  test::WriteBytes(dir.NativeFile("data.bin"), std::string(data.begin(), data.end()));
  test::WriteBytes(dir.NativeFile("empty.bin"), "");

  FileMode = 2;
  EXPECT_EQ(CalcCRC32ofFile(dir.File("data.bin")),
            CRC32ofBuffer(data, static_cast<std::int32_t>(data.size())));
  EXPECT_EQ(CalcCRC32ofFile(dir.File("empty.bin")), 0);
  // Failures are 0, never an exception, and FileMode comes back unchanged.
  EXPECT_EQ(CalcCRC32ofFile(dir.File("missing.bin")), 0);
  EXPECT_EQ(CalcCRC32ofFile(Utf8ToString(dir.Path().string())), 0);  // a folder
  EXPECT_EQ(FileMode, 2);

  TMemoryStream m;
  m.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  m.SetPosition(0);
  EXPECT_EQ(SHA1FromFile(dir.File("data.bin")), SHA1FromStream(m));
  EXPECT_THROW(SHA1FromFile(dir.File("missing.bin")), EFOpenError);
}

}  // namespace
}  // namespace kez
