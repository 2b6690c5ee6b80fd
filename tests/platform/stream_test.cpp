#include "kez/platform/stream.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "kez/platform/safesave.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/textfile.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::TempDir;

// A stream that takes at most two bytes per write, like a disk that is full.
class TFullDisk : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void*, std::int64_t Count) override { return Count > 2 ? 2 : Count; }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return 0; }
};

std::string ReadAll(TStream& s) {
  std::string out(static_cast<std::size_t>(s.Size()), '\0');
  s.SetPosition(0);
  s.ReadBuffer(out.data(), static_cast<std::int64_t>(out.size()));
  return out;
}

TEST(MemoryStream, ReadsWhatWasWrittenAndStopsAtTheEnd) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  EXPECT_EQ(m.Size(), 5);
  EXPECT_EQ(m.Position(), 5);
  m.SetPosition(1);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 4);
  EXPECT_STREQ(buf, "ello");
  EXPECT_EQ(m.Read(buf, 8), 0);
  EXPECT_EQ(m.Read(buf, -3), 0);
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
  TMemoryStream m;
  m.Seek(3, soBeginning);
  m.WriteBuffer("x", 1);
  EXPECT_EQ(ReadAll(m), std::string("\0\0\0x", 4));
  EXPECT_EQ(m.Seek(-10, soCurrent), 0);  // clamped at the start
  EXPECT_EQ(m.Seek(-1, soEnd), 3);
}

TEST(MemoryStream, SetSizeTruncatesAndPullsThePositionBack) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  m.SetSize(2);
  EXPECT_EQ(m.Position(), 2);
  EXPECT_EQ(ReadAll(m), "ab");
}

TEST(Stream, ReadBufferPastTheEndIsAReadError) {
  TMemoryStream m;
  m.WriteBuffer("ab", 2);
  m.SetPosition(0);
  char buf[4];
  EXPECT_THROW_MSG(m.ReadBuffer(buf, 3), EReadError, u"Stream read error");
  m.ReadBuffer(buf, 0);  // nothing asked, nothing raised
}

TEST(Stream, ShortWriteIsAWriteError) {
  TFullDisk disk;
  disk.WriteBuffer("ab", 2);
  EXPECT_THROW_MSG(disk.WriteBuffer("abc", 3), EWriteError, u"Stream write error");
}

TEST(StringStream, HoldsSingleByteText) {
  TStringStream s(u"caf\u00E9");
  EXPECT_EQ(s.DataString(), "caf\xE9");
  s.SetPosition(1);
  EXPECT_EQ(s.ReadString(2), "af");
  EXPECT_EQ(s.ReadString(10), "\xE9");
  EXPECT_EQ(s.ReadString(10), "");
  s.WriteString("!");
  EXPECT_EQ(s.DataString(), "caf\xE9!");
}

TEST(FileStream, RoundTripsThroughItsBufferWithSeeksInBetween) {
  TempDir dir;
  const String name = dir.File("data.bin");
  std::string expected;
  {
    TFileStream f(name, fmCreate);
    for (int i = 0; i < 100000; ++i) {
      const char c = static_cast<char>(i * 7);
      f.WriteBuffer(&c, 1);
      expected.push_back(c);
    }
    // Overwrite in the middle, then read back before the writes reach the file.
    f.SetPosition(10);
    f.WriteBuffer("XYZ", 3);
    expected.replace(10, 3, "XYZ");
    f.SetPosition(9);
    char back[5];
    f.ReadBuffer(back, 5);
    EXPECT_EQ(std::string(back, 5), expected.substr(9, 5));
    EXPECT_EQ(f.Size(), 100000);
  }
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("data.bin")), expected);
  TFileStream r(name, fmOpenRead);
  EXPECT_EQ(ReadAll(r), expected);
  std::string big(200000, '\0');
  r.SetPosition(0);
  EXPECT_EQ(r.Read(big.data(), 200000), 100000);
}

TEST(FileStream, MissingFileCannotBeOpened) {
  TempDir dir;
  const String name = dir.File("missing.bin");
  try {
    TFileStream f(name, fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind(u"Cannot open file \"" + name + u"\". ", 0), 0u) << e.what();
  }
  EXPECT_THROW(TFileStream(dir.File("no/such/dir.bin"), fmCreate), EFCreateError);
}

TEST(FileStream, ExclusiveOpenKeepsOthersOut) {
  TempDir dir;
  const String name = dir.File("locked.bin");
  TFileStream first(name, fmCreate | fmShareExclusive);
  first.WriteBuffer("keep", 4);
  first.Flush();
  EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyWrite), EFOpenError);
  // A refused create must not have emptied the holder's file.
  EXPECT_THROW(TFileStream(name, fmCreate | fmShareExclusive), EFCreateError);
  // Nor may an open that names no share mode, or one that denies nothing, empty it.
  EXPECT_THROW(TFileStream(name, fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream(name, fmCreate | fmShareDenyNone), EFCreateError);
  EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError);
  TextFile text;
  text.Assign(name);
  EXPECT_THROW(text.Rewrite(), EInOutError);
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("locked.bin")), "keep");
}

// Each row: what the first holder opened with, what the second asks for, and whether the
// second is admitted.
struct ShareCase {
  std::uint16_t First, Second;
  bool Admitted;
};

class FileStreamShare : public ::testing::TestWithParam<ShareCase> {};

TEST_P(FileStreamShare, EveryOpenHonoursTheOtherHoldersMode) {
  TempDir dir;
  const String name = dir.File("shared.bin");
  test::WriteBytes(dir.NativeFile("shared.bin"), "data");
  {
    TFileStream first(name, GetParam().First);
    bool admitted = true;
    try {
      TFileStream second(name, GetParam().Second);
    } catch (const EStreamError&) {
      admitted = false;
    }
    EXPECT_EQ(admitted, GetParam().Admitted);
    if (!admitted) {
      EXPECT_EQ(test::ReadBytes(dir.NativeFile("shared.bin")), "data");
    }
  }
  // Once the first holder has gone, its claim has gone with it.
  TFileStream again(name, GetParam().Second);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FileStreamShare,
    ::testing::Values(ShareCase{fmOpenRead | fmShareDenyWrite, fmOpenRead, true},
                      ShareCase{fmOpenRead | fmShareDenyWrite, fmOpenWrite, false},
                      ShareCase{fmOpenRead | fmShareDenyWrite, fmCreate, false},
                      ShareCase{fmOpenRead | fmShareDenyRead, fmOpenWrite, true},
                      ShareCase{fmOpenRead | fmShareDenyRead, fmOpenRead, false},
                      ShareCase{fmOpenRead, fmOpenRead | fmShareExclusive, false},
                      ShareCase{fmOpenRead, fmOpenReadWrite | fmShareDenyWrite, true},
                      ShareCase{fmOpenWrite, fmOpenRead | fmShareDenyWrite, false},
                      ShareCase{fmOpenWrite, fmOpenWrite | fmShareDenyRead, true},
                      ShareCase{fmOpenWrite, fmOpenWrite, true},
                      ShareCase{fmOpenReadWrite | fmShareDenyNone, fmOpenRead | fmShareDenyNone,
                                true}));

// A holder that denies writing keeps its file from every writer of the library: the whole-file
// savers too, which would otherwise put a new file in its place under its name.
TEST(FileStream, AFileHeldAgainstWritingIsNotReplacedBySaving) {
  TempDir dir;
  const String name = dir.File("held.txt");
  const auto refused = [&](const char* What, const std::function<void()>& Save) {
    bool raised = false;
    try {
      Save();
    } catch (const Exception&) {
      raised = true;
    }
    EXPECT_TRUE(raised) << What;
    EXPECT_EQ(test::ReadBytes(dir.NativeFile("held.txt")), "old\r\n") << What;
  };
  for (const std::uint16_t mode : {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyWrite}) {
    test::WriteBytes(dir.NativeFile("held.txt"), "old\r\n");
    TFileStream holder(name, mode);
    refused("TMemoryStream::SaveToFile", [&] {
      TMemoryStream m;
      m.WriteBuffer("new", 3);
      m.SaveToFile(name);
    });
    refused("TStrings::SaveToFile", [&] {
      TStringList list;
      list.Add(u"new");
      list.SaveToFile(name);
    });
    refused("SaveTextFile", [&] { SaveTextFile(name, teAnsi, [](TextFile& F) { F.WriteLn(u"new"); }); });
    TFileSaver save(name);
    EXPECT_EQ(save.Error(), EACCES);
    refused("TextFile::Rewrite", [&] {
      TextFile f(name);
      f.Rewrite();
    });
    refused("TextFile::Append", [&] {
      TextFile f(name);
      f.Append();
      f.WriteLn(u"more");
      f.Close();
    });
  }
  // A holder that denies only reading does not stop a save, which reads nothing; once the
  // holders have gone, saving replaces the file.
  TMemoryStream m;
  m.WriteBuffer("new", 3);
  {
    TFileStream reader(name, fmOpenRead | fmShareDenyRead);
    m.SaveToFile(name);
  }
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("held.txt")), "new");
  m.WriteBuffer("er", 2);
  m.SaveToFile(name);
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("held.txt")), "newer");
}

TEST(FileStream, TextFilesTakePartInSharing) {
  TempDir dir;
  const String name = dir.File("t.txt");
  TextFile writer;
  writer.Assign(name);
  writer.Rewrite();
  // The text file writes: an open that denies writing is refused, a plain reader is not.
  EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyWrite), EFOpenError);
  TFileStream reader(name, fmOpenRead);
  writer.Close();
}

TEST(MemoryStream, LoadsAndSavesFiles) {
  TempDir dir;
  TMemoryStream m;
  m.WriteBuffer("abc\0def", 7);
  m.SaveToFile(dir.File("m.bin"));
  TMemoryStream back;
  back.LoadFromFile(dir.File("m.bin"));
  EXPECT_EQ(back.Position(), 0);
  EXPECT_EQ(ReadAll(back), std::string("abc\0def", 7));
}

}  // namespace
}  // namespace kez
