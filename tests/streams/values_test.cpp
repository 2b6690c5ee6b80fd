// Text writers and binary value images.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "kez/streams.hpp"
#include "kez/streams/detail/x87.hpp"

namespace kez {
namespace {

std::string Bytes(TMemoryStream& m) {
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.Size()));
}

class CountingStream : public TStream {
 public:
  std::vector<std::int64_t> Writes;
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void*, std::int64_t Count) override {
    Writes.push_back(Count);
    return Count;
  }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return 0; }
};

// A stream whose reads raise.
class FailingStream : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t) override { throw EStreamError(u"device gone"); }
  std::int64_t Write(const void*, std::int64_t Count) override { return Count; }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return 0; }
};

TEST(WriteStringStream, WritesLowBytesThroughA4096ByteBuffer) {
  CountingStream counting;
  WriteStringStream(counting, String(10000, u'x'));
  EXPECT_EQ(counting.Writes, (std::vector<std::int64_t>{4096, 4096, 1808}));

  TMemoryStream m;
  WriteStringStream(m, u"a\u00E9\u20AC");
  WriteLnStream(m, u"b");
  EXPECT_EQ(Bytes(m), std::string("a\xE9\xAC"
                                  "b\r\n"));
}

TEST(BinaryValues, IntegerAndFloatImagesAreLittleEndian) {
  TMemoryStream m;
  WriteLongintToStream(m, -2);
  WriteSingleToStream(m, 1.0f);
  WriteDoubleToStream(m, -2.0);
  WriteExtendedToStream(m, 1.0L);
  EXPECT_EQ(Bytes(m), std::string("\xFE\xFF\xFF\xFF"
                                  "\x00\x00\x80\x3F"
                                  "\x00\x00\x00\x00\x00\x00\x00\xC0"
                                  "\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F",
                                  26));
}

template <class T>
void ExpectRoundTrips(void (*Write)(TStream&, T), T (*Read)(TStream&, bool&),
                      std::size_t ImageSize) {
  using L = std::numeric_limits<T>;
  const T values[] = {T(0),          -T(0),          T(1.5),        -T(3.25e-3),
                      L::max(),      L::lowest(),    L::min(),      L::denorm_min(),
                      L::infinity(), -L::infinity(), L::quiet_NaN()};
  TMemoryStream m;
  for (const T v : values) Write(m, v);
  EXPECT_EQ(m.Size(), static_cast<std::int64_t>(ImageSize * std::size(values)));
  m.SetPosition(0);
  for (const T v : values) {
    bool error = true;
    const T back = Read(m, error);
    EXPECT_FALSE(error);
    if (std::isnan(v)) {
      EXPECT_TRUE(std::isnan(back));
    } else {
      EXPECT_EQ(back, v);
      EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
  }
}

TEST(BinaryValues, FloatTypesRoundTripSpecialValues) {
  ExpectRoundTrips<float>(WriteSingleToStream, ReadSingleFromStream, 4);
  ExpectRoundTrips<double>(WriteDoubleToStream, ReadDoubleFromStream, 8);
  ExpectRoundTrips<Extended>(WriteExtendedToStream, ReadExtendedFromStream, 10);

  TMemoryStream m;
  for (const std::int32_t v : {0, 1, -1, 2147483647, -2147483647 - 1}) WriteLongintToStream(m, v);
  m.SetPosition(0);
  for (const std::int32_t v : {0, 1, -1, 2147483647, -2147483647 - 1}) {
    bool error = true;
    EXPECT_EQ(ReadLongintFromStream(m, error), v);
    EXPECT_FALSE(error);
  }
}

TEST(BinaryValues, ShortOrFailingStreamsSetTheErrorFlag) {
  TMemoryStream m;
  m.WriteBuffer("abc", 3);
  bool error = false;
  m.SetPosition(0);
  EXPECT_EQ(ReadLongintFromStream(m, error), 0);
  EXPECT_TRUE(error);
  m.SetPosition(0);
  error = false;
  EXPECT_EQ(ReadExtendedFromStream(m, error), 0);
  EXPECT_TRUE(error);

  FailingStream failing;
  error = false;
  EXPECT_EQ(ReadDoubleFromStream(failing, error), 0);
  EXPECT_TRUE(error);
  error = false;
  ReadSingleFromStream(failing, error);
  EXPECT_TRUE(error);
}

// The arithmetic image used where long double is not x87 must give the same bytes.
TEST(BinaryValues, ArithmeticX87ImageMatchesTheNativeOne) {
  using L = std::numeric_limits<Extended>;
  const Extended values[] = {0.0L,          -0.0L,
                             1.0L,          -2.5L,
                             1e-4940L,      L::denorm_min(),
                             L::min(),      L::max(),
                             L::lowest(),   3.14159265358979323846L,
                             L::infinity(), -L::infinity(),
                             1.0L / 3.0L};
  for (const Extended v : values) {
    const detail::X87Image native = detail::EncodeX87(v);
    EXPECT_EQ(detail::EncodeX87Arithmetic(v), native) << static_cast<double>(v);
    EXPECT_EQ(detail::DecodeX87Arithmetic(native), v) << static_cast<double>(v);
  }
  const detail::X87Image nan = detail::EncodeX87Arithmetic(L::quiet_NaN());
  EXPECT_TRUE(std::isnan(detail::DecodeX87Arithmetic(nan)));
  EXPECT_TRUE(std::isnan(detail::DecodeX87(nan)));
}

}  // namespace
}  // namespace kez
