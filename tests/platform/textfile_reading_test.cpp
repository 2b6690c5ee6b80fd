// Reading text files through the layer's own buffer: lines across buffer ends compared with
// a model, a reader that reads on after the end, pipes and FIFOs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "kez/platform/textfile.hpp"
#include "pipe_feed.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// The lines of a file: each ends at LF, a CR right before the LF belongs to the line end,
// and bytes after the last LF are one more line.
std::vector<std::string> ModelLines(const std::string& Bytes) {
  std::vector<std::string> lines;
  std::string current;
  for (char c : Bytes) {
    if (c != '\n') {
      current.push_back(c);
      continue;
    }
    if (!current.empty() && current.back() == '\r') current.pop_back();
    lines.push_back(current);
    current.clear();
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::vector<std::string> ReadLines(TextFile& F) {
  std::vector<std::string> lines;
  while (!F.Eof()) {
    AnsiString line;
    F.ReadLnAnsi(line);
    lines.push_back(line);
  }
  return lines;
}

TEST(TextFileReading, RandomFilesSplitIntoTheModelsLines) {
  // Files of a few hundred kilobytes, so that lines straddle the buffer's ends, with short
  // lines, CRs in every place and now and then a line longer than the buffer.
  TempDir dir;
  std::mt19937 random(7);
  for (int round = 0; round < 12; ++round) {
    std::string bytes;
    const std::size_t size = 1 + random() % 300'000;
    while (bytes.size() < size) {
      const unsigned kind = random() % 100;
      if (kind < 3) {
        bytes.append(70'000 + random() % 100'000, 'L');
      } else if (kind < 30) {
        bytes.push_back('\r');
      } else if (kind < 60) {
        bytes.push_back('\n');
      } else {
        bytes.append(random() % 50, static_cast<char>('a' + random() % 26));
      }
    }
    WriteBytes(dir.NativeFile("r.txt"), bytes);
    TextFile f(dir.File("r.txt"));
    f.Reset();
    ASSERT_EQ(ReadLines(f), ModelLines(bytes)) << "round " << round;
  }
}

TEST(TextFileReading, AReaderAtTheEndReadsLinesAppendedLater) {
  TempDir dir;
  WriteBytes(dir.NativeFile("log.txt"), "one\r\n");
  TextFile reader(dir.File("log.txt"));
  reader.Reset();
  String line;
  reader.ReadLn(line);
  EXPECT_EQ(line, u"one");
  EXPECT_TRUE(reader.Eof());
  reader.ReadLn(line);
  EXPECT_EQ(line, u"");

  TextFile writer(dir.File("log.txt"));
  writer.Append();
  writer.WriteLn(u"two");
  writer.Close();
  EXPECT_FALSE(reader.Eof());
  reader.ReadLn(line);
  EXPECT_EQ(line, u"two");
  EXPECT_TRUE(reader.Eof());
  EXPECT_EQ(reader.RemainingBytes(), 0);
}

TEST(TextFileReading, RemainingBytesCountsWhatIsBufferedToo) {
  TempDir dir;
  WriteBytes(dir.NativeFile("r.txt"), "12345\r\nabc\r\n");
  TextFile f(dir.File("r.txt"));
  EXPECT_EQ(f.RemainingBytes(), 0);  // not open
  f.Reset();
  EXPECT_EQ(f.RemainingBytes(), 12);
  f.ReadLn();
  EXPECT_EQ(f.RemainingBytes(), 5);
  EXPECT_TRUE(f.MayAnnounce(5, 1000));
  EXPECT_FALSE(f.MayAnnounce(6, 1));
  EXPECT_FALSE(f.MayAnnounce(-1, 1));
}

TEST(TextFileReading, FromAFifoOrAPipeLinesComeWholeAndTheSizeLeftIsUnknownNotZero) {
  std::string bytes = "\xEF\xBB\xBF";
  std::vector<std::string> lines;
  for (int i = 0; i < 60; ++i) {
    lines.push_back("line " + std::to_string(i) + " \xE4\xB8\xAD");
    bytes += lines.back() + "\r\n";
  }
  for (auto kind : {test::PipeFeed::Fifo, test::PipeFeed::Pipe}) {
    TempDir dir;
    test::PipeFeed feed(dir, bytes, kind);
    TextFile f(feed.Name());
    f.Reset();
    EXPECT_EQ(f.RemainingBytes(), kRemainingUnknown);
    EXPECT_FALSE(f.MayAnnounce(kReadBudget + 1, 1));
    EXPECT_TRUE(f.MayAnnounce(kReadBudget / 4, 4));
    EXPECT_EQ(f.Encoding(), teUtf8);
    std::vector<std::string> read;
    while (!f.Eof()) {
      String line;
      f.ReadLn(line);
      read.push_back(StringToUtf8(line));
    }
    EXPECT_EQ(read, lines);
  }
}

// A /proc file reports size 0 yet holds bytes: the size left is unknown, not what happens
// to be buffered, so a header announcing more than the buffer holds is not refused.
TEST(TextFileReading, AFileThatReportsSizeZeroHasAnUnknownSizeLeft) {
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += "line " + std::to_string(i) + "\r\n";
  test::ProcFeed proc(bytes);
  ASSERT_TRUE(proc.Ok());
  TextFile f(proc.Name());
  f.Reset();
  EXPECT_EQ(f.RemainingBytes(), kRemainingUnknown);
  EXPECT_TRUE(f.MayAnnounce(1'000'000, 1));
  std::int32_t count = 0;
  String line;
  while (!f.Eof()) {
    f.ReadLn(line);
    ++count;
  }
  EXPECT_EQ(count, 5001);  // the NUL the kernel ends the environment with is a last line
  EXPECT_EQ(line, String(1, u'\0'));
}

// An untyped file without a size (a pipe, a FIFO, a /proc file) is not at its end before it
// has ended: a loop on Eof reads every byte.
TEST(UntypedFileReading, EofWaitsForTheEndOfAFileWithoutASize) {
  std::string bytes;
  for (int i = 0; i < 20'000; ++i) bytes += static_cast<char>('a' + i % 26);
  const auto readAll = [](const String& Name) {
    // Read-only: a FIFO opened for writing as well would never end.
    const std::uint8_t mode = FileMode;
    FileMode = 0;
    UntypedFile f(Name);
    f.Reset();
    FileMode = mode;
    std::string got;
    char block[7];
    while (!f.Eof()) got.append(block, static_cast<std::size_t>(f.BlockRead(block, sizeof block)));
    EXPECT_EQ(f.BlockRead(block, sizeof block), 0);
    f.Close();
    return got;
  };
  for (auto kind : {test::PipeFeed::Fifo, test::PipeFeed::Pipe}) {
    TempDir dir;
    test::PipeFeed feed(dir, bytes, kind, 4);
    EXPECT_TRUE(readAll(feed.Name()) == bytes);
  }
  test::ProcFeed proc(bytes);
  ASSERT_TRUE(proc.Ok());
  EXPECT_TRUE(readAll(proc.Name()) == test::ProcFeed::AsRead(bytes));
  TempDir dir;
  WriteBytes(dir.NativeFile("empty.bin"), "");
  EXPECT_EQ(readAll(dir.File("empty.bin")), "");
  WriteBytes(dir.NativeFile("full.bin"), bytes);
  EXPECT_TRUE(readAll(dir.File("full.bin")) == bytes);
}

}  // namespace
}  // namespace kez
