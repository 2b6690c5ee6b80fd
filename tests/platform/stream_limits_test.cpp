// Positions, sizes and counts at the ends of the 64-bit range, on every stream kind: each
// gives its documented result or a clean EStreamError / EOutOfMemory.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "kez/platform/stream.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// Runs Body and expects it to fail with one of the two clean errors.
void ExpectCleanFailure(const std::function<void()>& Body) {
  try {
    Body();
    ADD_FAILURE() << "no error";
  } catch (const EStreamError&) {
  } catch (const EOutOfMemory&) {
  } catch (const std::exception& e) {
    ADD_FAILURE() << "raw exception: " << e.what();
  }
}

struct StreamKind {
  const char* Name;
  std::function<std::unique_ptr<TStream>(test::TempDir&)> Make;
};

void PrintTo(const StreamKind& k, std::ostream* os) { *os << k.Name; }

class StreamLimits : public ::testing::TestWithParam<StreamKind> {
 protected:
  void SetUp() override {
    FStream = GetParam().Make(FDir);
    FStream->WriteBuffer("0123456789", 10);
    FStream->SetPosition(4);
  }
  test::TempDir FDir;
  std::unique_ptr<TStream> FStream;
};

TEST_P(StreamLimits, SeekClampsBelowZeroAndRefusesOverflow) {
  TStream& s = *FStream;
  EXPECT_EQ(s.Seek(kMin, soCurrent), 0);
  EXPECT_EQ(s.Seek(kMin, soEnd), 0);
  EXPECT_EQ(s.Seek(-11, soEnd), 0);
  EXPECT_EQ(s.Seek(kMax, soBeginning), kMax);
  ExpectCleanFailure([&] { s.Seek(1, soCurrent); });
  EXPECT_EQ(s.Position(), kMax);  // a refused seek leaves the position alone
  ExpectCleanFailure([&] { s.Seek(kMax, soEnd); });
  EXPECT_EQ(s.Seek(kMax - 10, soEnd), kMax);
}

TEST_P(StreamLimits, ReadAndWriteAtTheTopOfTheRange) {
  TStream& s = *FStream;
  char buf[4] = {};
  s.SetPosition(kMax);
  EXPECT_EQ(s.Read(buf, 4), 0);
  EXPECT_EQ(s.Read(buf, kMax), 0);
  ExpectCleanFailure([&] { s.WriteBuffer("ab", 2); });  // the end would pass 2^63 - 1
  s.SetPosition(kMax - 1);
  ExpectCleanFailure([&] {  // no memory or file holds this
    s.WriteBuffer("a", 1);
    s.Flush();
  });
  s.SetPosition(8);
  EXPECT_EQ(s.Read(buf, kMax), 2);  // a huge count reads what is there
  EXPECT_EQ(std::string(buf, 2), "89");
  EXPECT_EQ(s.Read(buf, kMin), 0);
  EXPECT_EQ(s.Write(buf, kMin), 0);
  EXPECT_EQ(s.Size(), 10);
}

TEST_P(StreamLimits, SetSizeRefusesNegativeAndUnreachableSizes) {
  TStream& s = *FStream;
  ExpectCleanFailure([&] { s.SetSize(-1); });
  ExpectCleanFailure([&] { s.SetSize(kMin); });
  ExpectCleanFailure([&] { s.SetSize(kMax); });
  EXPECT_EQ(s.Size(), 10);  // nothing was lost on the way
  s.SetSize(3);
  EXPECT_EQ(s.Position(), 3);
}

TEST_P(StreamLimits, CopyFromTakesWhatTheCountAllows) {
  TStream& s = *FStream;
  TMemoryStream source;
  source.WriteBuffer("abc", 3);
  source.SetPosition(0);
  EXPECT_EQ(s.CopyFrom(source, -1), 0);
  EXPECT_EQ(s.CopyFrom(source, kMin), 0);
  EXPECT_THROW(s.CopyFrom(source, kMax), EReadError);
  EXPECT_EQ(s.CopyFrom(source, 0), 3);  // 0 is the whole source
}

INSTANTIATE_TEST_SUITE_P(
    Stream, StreamLimits,
    ::testing::Values(
        StreamKind{"Memory", [](test::TempDir&) { return std::make_unique<TMemoryStream>(); }},
        StreamKind{"String", [](test::TempDir&) { return std::make_unique<TStringStream>(""); }},
        StreamKind{"File", [](test::TempDir& dir) {
                     return std::make_unique<TFileStream>(dir.File("limits.bin"), fmCreate);
                   }}));

// A stream that claims far more than it holds.
class TBoastingStream : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t, TSeekOrigin Origin) override {
    return Origin == soEnd ? kMax : 0;
  }
};

TEST(MemoryStream, LoadingAStreamAllocatesWhatArrivesNotWhatIsClaimed) {
  TBoastingStream source;
  TMemoryStream m;
  m.WriteBuffer("kept", 4);
  EXPECT_THROW(m.LoadFromStream(source), EReadError);
  EXPECT_EQ(m.Size(), 4);  // the old contents stay when the load fails
}

TEST(StringStream, ReadStringAtAndPastTheEnd) {
  TStringStream s("abc");
  EXPECT_EQ(s.ReadString(kMin), "");
  EXPECT_EQ(s.ReadString(kMax), "abc");
  s.SetPosition(kMax);
  EXPECT_EQ(s.ReadString(kMax), "");
  EXPECT_EQ(s.Position(), kMax);
}

}  // namespace
}  // namespace kez
