// How a file stream reports bytes that do not reach the file, and a random comparison of
// the buffered stream with a plain model.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "kez/platform/stream.hpp"
#include "pipe_feed.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::TempDir;

TEST(FileStream, WriteOnAStreamOpenedForReadingIsAWriteError) {
  TempDir dir;
  test::WriteBytes(dir.NativeFile("r.bin"), "abcdef");
  TFileStream f(dir.File("r.bin"), fmOpenRead);
  EXPECT_EQ(f.Write("xyz", 3), 0);
  EXPECT_THROW_MSG(f.WriteBuffer("xyz", 3), EWriteError, u"Stream write error");
  EXPECT_EQ(f.Position(), 0);
  char back[6];
  f.ReadBuffer(back, 6);
  EXPECT_EQ(std::string(back, 6), "abcdef");
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("r.bin")), "abcdef");
}

TEST(FileStream, SaveToAFullDiskIsAWriteError) {
  TMemoryStream m;
  m.WriteBuffer("abc", 3);
  EXPECT_THROW_MSG(m.SaveToFile(u"/dev/full"), EWriteError, u"Stream write error");
}

// Each action that hands buffered bytes to the file reports the disk's refusal.
struct FlushPoint {
  const char* Name;
  std::function<void(TFileStream&)> Action;
};

void PrintTo(const FlushPoint& p, std::ostream* os) { *os << p.Name; }

class BufferedWriteFailure : public ::testing::TestWithParam<FlushPoint> {};

TEST_P(BufferedWriteFailure, IsRaisedWhereTheBytesLeaveTheBuffer) {
  TFileStream f(u"/dev/full", fmCreate);
  f.WriteBuffer("abc", 3);  // still in the buffer
  EXPECT_THROW(GetParam().Action(f), EWriteError);
  // The bytes were reported lost: nothing is left for the destructor to lose unseen.
  testing::internal::CaptureStderr();
  {
    TFileStream g(u"/dev/full", fmCreate);
    g.WriteBuffer("abc", 3);
    try {
      GetParam().Action(g);
    } catch (const EWriteError&) {
    }
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

INSTANTIATE_TEST_SUITE_P(
    FileStream, BufferedWriteFailure,
    ::testing::Values(FlushPoint{"Flush", [](TFileStream& f) { f.Flush(); }},
                      FlushPoint{"SetSize", [](TFileStream& f) { f.SetSize(0); }},
                      FlushPoint{"Seek", [](TFileStream& f) { f.Seek(0, soBeginning); }},
                      FlushPoint{"Read",
                                 [](TFileStream& f) {
                                   char c;
                                   f.Read(&c, 1);
                                 }},
                      FlushPoint{"WriteBeyondTheBuffer", [](TFileStream& f) {
                                   const std::string big(100000, 'x');
                                   f.WriteBuffer(big.data(), static_cast<std::int64_t>(big.size()));
                                 }}));

TEST(FileStream, DestructorThatCannotWriteSaysSoOnStderr) {
  testing::internal::CaptureStderr();
  {
    TFileStream f(u"/dev/full", fmCreate);
    f.WriteBuffer("abc", 3);
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("3 bytes could not be written to \"/dev/full\""), std::string::npos) << said;
}

// A random sequence of writes, reads, seeks and resizes on a file stream gives what the
// same sequence gives on a plain byte string.
TEST(FileStream, MatchesAByteStringModelOnRandomOperations) {
  TempDir dir;
  std::mt19937 rng(15);
  for (int round = 0; round < 20; ++round) {
    TFileStream f(dir.File("model.bin"), fmCreate);
    std::string model;
    std::int64_t pos = 0;
    for (int step = 0; step < 400; ++step) {
      const int op = static_cast<int>(rng() % 10);
      if (op < 4) {  // write a short or a long run
        const std::size_t n = rng() % 8 == 0 ? 70000 + rng() % 1000 : 1 + rng() % 40;
        const std::string bytes(n, static_cast<char>('a' + rng() % 26));
        f.WriteBuffer(bytes.data(), static_cast<std::int64_t>(n));
        if (model.size() < pos + n) model.resize(pos + n, '\0');
        model.replace(static_cast<std::size_t>(pos), n, bytes);
        pos += static_cast<std::int64_t>(n);
      } else if (op < 6) {  // read
        const std::size_t n = rng() % 8 == 0 ? 70000 : rng() % 50;
        std::string got(n, '?');
        const std::int64_t r = f.Read(got.data(), static_cast<std::int64_t>(n));
        const std::string want =
            pos < static_cast<std::int64_t>(model.size()) ? model.substr(pos, n) : "";
        ASSERT_EQ(got.substr(0, static_cast<std::size_t>(r)), want) << "step " << step;
        pos += r;
      } else if (op < 9) {  // seek anywhere, also past the end
        const auto size = static_cast<std::int64_t>(model.size());
        pos = static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(size + 100));
        ASSERT_EQ(f.Seek(pos - size, soEnd), pos);
      } else {  // resize
        const std::size_t n = rng() % (model.size() + 50);
        f.SetSize(static_cast<std::int64_t>(n));
        model.resize(n, '\0');
        pos = std::min<std::int64_t>(pos, static_cast<std::int64_t>(n));
      }
      ASSERT_EQ(f.Position(), pos) << "step " << step << " op " << op;
      ASSERT_EQ(f.Size(), static_cast<std::int64_t>(model.size()))
          << "step " << step << " op " << op;
    }
    f.Flush();
    ASSERT_EQ(test::ReadBytes(dir.NativeFile("model.bin")), model);
  }
}

TEST(FileStream, NamesNoFileCanHaveOpenNothing) {
  TempDir dir;
  test::WriteBytes(dir.NativeFile("a"), "kept");
  String withNul = dir.File("a");
  withNul += u'\0';
  withNul += u"b";
  EXPECT_THROW_MSG((TFileStream(withNul, fmCreate)), EFCreateError,
                   u"Cannot create file \"" + withNul + u"\". Invalid argument");
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("a")), "kept");
  const std::string leaf = "kez-unmapped-" + std::to_string(::getpid()) + ".bin";
  const String unmapped = u"Q:\\" + Utf8ToString(leaf);
  EXPECT_THROW_MSG((TFileStream(unmapped, fmCreate)), EFCreateError,
                   u"Cannot create file \"" + unmapped + u"\". No such file or directory");
  EXPECT_FALSE(std::filesystem::exists("/" + leaf));
}

// A count that no file system could take (here one far beyond the caller's bytes) is
// refused before anything is written: nothing read from beyond the buffer reaches the file.
TEST(FileStream, AWriteTheDiskCannotHoldWritesNothing) {
  TempDir dir;
  TFileStream f(dir.File("big.bin"), fmCreate);
  f.WriteBuffer("head", 4);
  const std::string small(16, 'x');
  EXPECT_THROW(f.WriteBuffer(small.data(), std::int64_t{1} << 60), EWriteError);
  ASSERT_EQ(f.Position(), 4);
  f.Flush();
  ASSERT_EQ(test::ReadBytes(dir.NativeFile("big.bin")), "head");
  // A write far past the end leaves a hole, which takes no room.
  f.SetPosition(std::int64_t{1} << 40);
  const std::string block(1 << 17, 'b');
  f.WriteBuffer(block.data(), static_cast<std::int64_t>(block.size()));
  EXPECT_EQ(f.Size(), (std::int64_t{1} << 40) + (1 << 17));
}

// A pipe gives each byte once: a reader that steps back over the byte it has just looked
// at reads that byte again, however the writer cut the bytes; a position the pipe cannot
// reach reads nothing rather than the pipe's next bytes.
TEST(FileStream, APipeReadsItsBytesOnceAndInOrder) {
  std::string bytes;
  for (int i = 0; i < 40'000; ++i) bytes += std::to_string(i) + "\n";
  for (unsigned seed = 1; seed <= 6; ++seed) {
    TempDir dir;
    test::PipeFeed feed(dir, bytes, seed % 2 == 0 ? test::PipeFeed::Pipe : test::PipeFeed::Fifo,
                        seed);
    TFileStream f(feed.Name(), fmOpenRead);
    std::string got;
    std::mt19937 random(seed);
    for (;;) {
      char block[300];
      const auto n = f.Read(block, 1 + random() % sizeof block);
      if (n <= 0) break;
      got.append(block, static_cast<std::size_t>(n));
      // Step back over the last byte and read it again.
      f.Seek(-1, soCurrent);
      char again = 0;
      ASSERT_EQ(f.Read(&again, 1), 1);
      ASSERT_EQ(again, got.back()) << "at " << got.size();
    }
    EXPECT_EQ(got.size(), bytes.size());
    EXPECT_TRUE(got == bytes);
  }
  TempDir dir;
  test::PipeFeed feed(dir, bytes, test::PipeFeed::Pipe, 9);
  TFileStream f(feed.Name(), fmOpenRead);
  std::vector<char> block(100'000);
  ASSERT_EQ(f.Read(block.data(), 100'000), 100'000);
  f.SetPosition(0);
  char first = 0;
  EXPECT_EQ(f.Read(&first, 1), 0);  // long gone
  f.SetPosition(100'000);
  EXPECT_EQ(f.Read(block.data(), 10), 10);
  EXPECT_EQ(std::string(block.data(), 10), bytes.substr(100'000, 10));
}

// A /proc file reports size 0 yet holds bytes: a long read takes them all.
TEST(FileStream, AFileThatReportsSizeZeroIsReadWhole) {
  const std::string bytes(50'000, 'x');
  test::ProcFeed proc(bytes);
  ASSERT_TRUE(proc.Ok());
  TFileStream f(proc.Name(), fmOpenRead);
  std::vector<char> block(1 << 17);
  std::string got;
  for (std::int64_t n; (n = f.Read(block.data(), static_cast<std::int64_t>(block.size()))) > 0;)
    got.append(block.data(), static_cast<std::size_t>(n));
  EXPECT_EQ(got, test::ProcFeed::AsRead(bytes));
}

}  // namespace
}  // namespace kez
