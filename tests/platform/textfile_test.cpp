#include "kez/platform/textfile.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include "test_support.hpp"

namespace kez {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(TextFile, WritesLinesWithCrLf) {
  TempDir dir;
  TextFile f(dir.File("a.txt"));
  f.Rewrite();
  f.WriteLn(u"one");
  f.Write(u"two ");
  f.WriteInteger(42, 5);
  f.Write(u'!');
  f.WriteLn();
  f.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("a.txt")), "one\r\ntwo    42!\r\n");
}

TEST(TextFile, ReadsCrLfAndLfLineEndsAndKeepsALoneCr) {
  TempDir dir;
  WriteBytes(dir.NativeFile("ends.txt"), "a\r\nb\nc\rd\r");
  TextFile f(dir.File("ends.txt"));
  f.Reset();
  std::vector<String> lines;
  while (!f.Eof()) {
    String line;
    f.ReadLn(line);
    lines.push_back(line);
  }
  EXPECT_EQ(lines, (std::vector<String>{u"a", u"b", u"c\rd\r"}));
  String past = u"x";
  f.ReadLn(past);  // at the end: empty, no error
  EXPECT_EQ(past, u"");
}

TEST(TextFile, LongLinesAndTwoFilesReadInTurn) {
  TempDir dir;
  const std::string longLine(3 << 20, 'q');  // grows the line buffer past what is kept
  WriteBytes(dir.NativeFile("a.txt"), longLine + "\r\nshort\r\n");
  WriteBytes(dir.NativeFile("b.txt"), "one\ntwo\n");
  TextFile a(dir.File("a.txt")), b(dir.File("b.txt"));
  a.Reset();
  b.Reset();
  String lineA, lineB;
  a.ReadLn(lineA);
  b.ReadLn(lineB);
  EXPECT_EQ(lineA.size(), longLine.size());
  EXPECT_EQ(lineB, u"one");
  a.ReadLn(lineA);
  b.ReadLn(lineB);
  EXPECT_EQ(lineA, u"short");
  EXPECT_EQ(lineB, u"two");
  EXPECT_TRUE(a.Eof());
  EXPECT_TRUE(b.Eof());
}

TEST(TextFile, LinesHoldingCrReadBackAsWritten) {
  TempDir dir;
  const std::vector<String> written = {u"a\rb", u"\r", u"c\r", u"\r\rd", u""};
  TextFile f(dir.File("cr.txt"));
  f.Rewrite();
  for (const String& line : written) f.WriteLn(line);
  f.Close();
  f.Reset();
  EXPECT_FALSE(f.EoLn());
  EXPECT_EQ(f.ReadChar(), u'a');
  EXPECT_FALSE(f.EoLn());  // a lone CR does not end the line
  f.Reset();
  std::vector<String> read;
  while (!f.Eof()) {
    String line;
    f.ReadLn(line);
    read.push_back(line);
  }
  EXPECT_EQ(read, written);
}

TEST(TextFile, EveryByteValueSurvivesAWriteAndARead) {
  TempDir dir;
  std::string bytes;
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n') bytes.push_back(static_cast<char>(b));
  }
  TextFile out(dir.File("bytes.txt"));
  out.Rewrite();
  out.WriteLn(AnsiToString(bytes));
  out.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("bytes.txt")), bytes + "\r\n");
  TextFile in(dir.File("bytes.txt"));
  in.Reset();
  String line;
  in.ReadLn(line);
  EXPECT_EQ(StringToAnsi(line), bytes);
}

TEST(TextFile, ReadCharDeliversLineEndsAndCtrlZAtTheEnd) {
  TempDir dir;
  WriteBytes(dir.NativeFile("c.txt"), "x\r\n");
  TextFile f(dir.File("c.txt"));
  f.Reset();
  EXPECT_FALSE(f.EoLn());
  EXPECT_EQ(f.ReadChar(), u'x');
  EXPECT_TRUE(f.EoLn());
  EXPECT_EQ(f.ReadChar(), u'\r');
  EXPECT_EQ(f.ReadChar(), u'\n');
  EXPECT_TRUE(f.Eof());
  EXPECT_EQ(f.ReadChar(), u'\x1A');
}

TEST(TextFile, ReadIntegerSkipsBlanksAndLineEnds) {
  TempDir dir;
  WriteBytes(dir.NativeFile("n.txt"), "  12\t-7\r\n\r\n+3\n");
  TextFile f(dir.File("n.txt"));
  f.Reset();
  EXPECT_EQ(f.ReadInteger(), 12);
  EXPECT_EQ(f.ReadInteger(), -7);
  EXPECT_EQ(f.ReadInteger(), 3);
  EXPECT_EQ(f.ReadInteger(), 0);  // end of the file
}

class MalformedInteger : public ::testing::TestWithParam<const char*> {};

TEST_P(MalformedInteger, IsAnInputError) {
  TempDir dir;
  WriteBytes(dir.NativeFile("bad.txt"), GetParam());
  TextFile f(dir.File("bad.txt"));
  f.Reset();
  try {
    f.ReadInteger();
    FAIL() << "no error for " << GetParam();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ioInvalidNumeric);
  }
}

INSTANTIATE_TEST_SUITE_P(TextFile, MalformedInteger,
                         ::testing::Values("12a", "-", "+ 5", "x", "99999999999", "1.5", "0x10"));

TEST(TextFile, RaisingModeRaisesAtOnce) {
  TempDir dir;
  TextFile f(dir.File("missing.txt"));
  try {
    f.Reset();
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ioFileNotFound);
    EXPECT_EQ(e.Message(), u"File not found");
  }
  TextFile deep(dir.File("no/such/folder/x.txt"));
  EXPECT_THROW(deep.Rewrite(), EInOutError);
  TextFile unassigned;
  EXPECT_THROW(unassigned.Reset(), EInOutError);
}

TEST(TextFile, DeferredModeHoldsTheCodeAndSkipsUntilFetched) {
  TempDir dir;
  WriteBytes(dir.NativeFile("there.txt"), "line\r\n");
  TextFile f(dir.File("missing.txt"));
  f.SetErrorMode(iemDeferred);
  f.Reset();
  // The pending error makes the next operations do nothing, even a valid open.
  f.Assign(dir.File("there.txt"));
  f.Reset();
  EXPECT_FALSE(f.IsOpen());
  String line = u"untouched";
  f.ReadLn(line);
  EXPECT_EQ(line, u"");
  EXPECT_EQ(f.IOResult(), ioFileNotFound);
  EXPECT_EQ(f.IOResult(), 0);
  f.Reset();
  f.ReadLn(line);
  EXPECT_EQ(line, u"line");
  EXPECT_EQ(f.IOResult(), 0);
}

TEST(TextFile, DeferredModeReportsWrongDirection) {
  TempDir dir;
  TextFile f(dir.File("w.txt"));
  f.SetErrorMode(iemDeferred);
  f.Rewrite();
  f.ReadInteger();
  EXPECT_EQ(f.IOResult(), ioNotOpenForInput);
  f.Close();
  f.Reset();
  f.WriteLn(u"x");
  EXPECT_EQ(f.IOResult(), ioNotOpenForOutput);
  f.Write(u"");  // even an empty text checks the file
  EXPECT_EQ(f.IOResult(), ioNotOpenForOutput);
}

TEST(TextFile, LongTextsAreWrittenWhole) {
  // Texts are converted in pieces of a few thousand characters: a long one, with characters
  // of the code page's upper half spread over it, comes out whole.
  TempDir dir;
  String text;
  std::string bytes;
  for (int i = 0; i < 10000; ++i) {
    const int kind = i % 7;
    text += kind == 0 ? u'\u20AC' : kind == 3 ? u'\u0161' : static_cast<char16_t>(u'a' + i % 26);
    bytes += kind == 0 ? '\x80' : kind == 3 ? '\x9A' : static_cast<char>('a' + i % 26);
  }
  TextFile f(dir.File("long.txt"));
  f.Rewrite();
  f.Write(text);
  f.WriteLn(text);
  f.WriteLn(text.substr(0, 4096));
  f.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("long.txt")),
            bytes + bytes + "\r\n" + bytes.substr(0, 4096) + "\r\n");
}

TEST(TextFile, DeferredModeLeavesTheFileAloneWhileACodeIsPending) {
  TempDir dir;
  WriteBytes(dir.NativeFile("other.txt"), "other\r\n");
  TextFile f(dir.File("out.txt"));
  f.SetErrorMode(iemDeferred);
  f.Rewrite();
  f.WriteLn(u"first");
  f.ReadInteger();  // wrong direction: 104 is now pending
  f.Reset();        // none of these may close, reopen or truncate the file
  f.Append();
  f.Rewrite();
  f.Close();
  f.Erase();
  f.Rename(dir.File("renamed.txt"));
  EXPECT_TRUE(f.IsOpen());
  EXPECT_EQ(f.IOResult(), ioNotOpenForInput);
  f.WriteLn(u"second");  // still open for output: nothing was lost
  f.Close();
  EXPECT_EQ(f.IOResult(), 0);
  EXPECT_EQ(ReadBytes(dir.NativeFile("out.txt")), "first\r\nsecond\r\n");
}

TEST(TextFile, RenameNeverReplacesAnotherFile) {
  TempDir dir;
  WriteBytes(dir.NativeFile("r1.txt"), "ONE");
  WriteBytes(dir.NativeFile("r2.txt"), "TWO");
  TextFile f(dir.File("r1.txt"));
  try {
    f.Rename(dir.File("r2.txt"));
    FAIL() << "renamed onto an existing file";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), 1000 + EEXIST);
  }
  f.SetErrorMode(iemDeferred);
  f.Rename(dir.File("R2.TXT"));  // the same entry, ignoring case
  EXPECT_EQ(f.IOResult(), 1000 + EEXIST);
  EXPECT_EQ(f.FileName(), dir.File("r1.txt"));
  EXPECT_EQ(ReadBytes(dir.NativeFile("r1.txt")), "ONE");
  EXPECT_EQ(ReadBytes(dir.NativeFile("r2.txt")), "TWO");
}

TEST(TextFile, RenameToAnotherLetterCaseRenamesOnDisk) {
  TempDir dir;
  WriteBytes(dir.NativeFile("r1.txt"), "ONE");
  TextFile f(dir.File("r1.txt"));
  f.Rename(dir.File("R1.TXT"));
  EXPECT_EQ(f.FileName(), dir.File("R1.TXT"));
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"R1.TXT"});
  f.Rename(dir.File("R1.TXT"));  // to its own name: nothing to do
  EXPECT_EQ(ReadBytes(dir.NativeFile("R1.TXT")), "ONE");
}

TEST(TextFile, NamesNoFileCanHaveTouchNothing) {
  TempDir dir;
  // Q: is not in the drive table; the name must not fall through to the root folder.
  const std::string leaf = "kez-unmapped-" + std::to_string(::getpid()) + ".txt";
  TextFile unmapped(u"Q:\\tmp\\" + Utf8ToString(leaf));
  try {
    unmapped.Rewrite();
    FAIL() << "created a file on an unmapped drive";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ioPathNotFound);
  }
  EXPECT_FALSE(std::filesystem::exists("/tmp/" + leaf));
  EXPECT_FALSE(std::filesystem::exists("/" + leaf));

  // A NUL would cut the name short at "a"; such a name opens and removes nothing.
  WriteBytes(dir.NativeFile("a"), "kept");
  String withNul = dir.File("a");
  withNul += u'\0';
  withNul += u"b.txt";
  TextFile f(withNul);
  f.SetErrorMode(iemDeferred);
  for (const auto& op : std::vector<std::function<void()>>{
           [&] { f.Rewrite(); }, [&] { f.Append(); }, [&] { f.Reset(); }, [&] { f.Erase(); },
           [&] { f.Rename(dir.File("c")); }}) {
    op();
    EXPECT_EQ(f.IOResult(), ioInvalidName);
  }
  EXPECT_EQ(ReadBytes(dir.NativeFile("a")), "kept");
  TextFile target(dir.File("x.txt"));
  target.SetErrorMode(iemDeferred);
  WriteBytes(dir.NativeFile("x.txt"), "x");
  target.Rename(withNul);
  EXPECT_EQ(target.IOResult(), ioInvalidName);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            2);
}

TEST(TextFile, RewriteFindsAnUpperCasedFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "sub");
  WriteBytes(dir.NativeFile("sub/Old.txt"), "old");
  const auto create = [&](std::string_view name) {
    TextFile f(dir.File(name));
    f.Rewrite();
    f.WriteLn(u"x");
    f.Close();
  };
  create("SUB/New.txt");
  create("SUB/Next.txt");
  EXPECT_EQ(ReadBytes(dir.NativeFile("sub/New.txt")), "x\r\n");
  EXPECT_EQ(ReadBytes(dir.NativeFile("sub/Next.txt")), "x\r\n");
  // A folder spelt exactly as asked wins over one that matches ignoring case.
  std::filesystem::create_directory(dir.Path() / "SUB");
  create("SUB/Third.txt");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "SUB" / "Third.txt"));
  // A file that exists under another letter case is the one overwritten.
  create("sub/OLD.TXT");
  create("sub/NEW.txt");
  EXPECT_EQ(ReadBytes(dir.NativeFile("sub/Old.txt")), "x\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "sub"),
                          std::filesystem::directory_iterator()),
            3);
}

#if !defined(__SANITIZE_ADDRESS__)
// Writes a field of 100 million blanks with the address space capped at 128 MiB above
// what the process uses now: a field-sized text (200 MB of UTF-16) cannot be had.
void WriteHugeFieldWithCappedMemory() {
  long pages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  const auto cap = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) +
                   (rlim_t{128} << 20);
  const rlimit limit{cap, cap};
  if (pages > 0) ::setrlimit(RLIMIT_AS, &limit);
  TextFile null(u"/dev/null");
  null.Rewrite();
  null.WriteInteger(1, 100'000'000);
  null.Close();
  std::_Exit(0);
}
#endif

TEST(TextFile, WideIntegerFieldsArePaddedWithoutAFieldSizedBuffer) {
  TempDir dir;
  TextFile f(dir.File("w.txt"));
  f.Rewrite();
  f.WriteInteger(-5, 10000);
  f.WriteInteger(7, std::numeric_limits<int>::min());
  f.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("w.txt")), std::string(9998, ' ') + "-57");
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_EXIT(WriteHugeFieldWithCappedMemory(), ::testing::ExitedWithCode(0), "");
#endif
}

// Real fields take the number layout's limits: no width or precision makes a field longer
// than a few thousand characters.
TEST(TextFile, RealFieldsAtTheIntLimitsStayBounded) {
  TempDir dir;
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  TextFile f(dir.File("reals.txt"));
  f.Rewrite();
  f.WriteReal(1.5, kMax, 1);
  f.WriteLn();
  f.WriteReal(-2, kMax, -1);
  f.WriteLn();
  f.WriteReal(1, kMin, kMax);
  f.WriteLn();
  f.WriteReal(1, kMin, kMin);
  f.WriteLn();
  f.Close();
  f.Reset();
  std::vector<String> lines(4);
  for (String& line : lines) f.ReadLn(line);
  EXPECT_EQ(lines[0], String(4093, u' ') + u"1.5");
  EXPECT_EQ(lines[1].size(), 4096u);
  EXPECT_EQ(lines[1].substr(0, 3), u"-2.");
  EXPECT_EQ(lines[2], u"1." + String(4096, u'0'));
  EXPECT_EQ(lines[3], u" 1.0E+0000");
}

TEST(UntypedFile, ABlockTheDiskCannotHoldWritesNothing) {
  TempDir dir;
  UntypedFile f(dir.File("block.bin"));
  f.Rewrite();
  EXPECT_EQ(f.BlockWrite("head", 4), 4);
  const std::string small(16, 'x');
  try {
    f.BlockWrite(small.data(), std::int64_t{1} << 60);
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ioWriteError);
  }
  f.Close();
  ASSERT_EQ(ReadBytes(dir.NativeFile("block.bin")), "head");
}

TEST(TextFile, AppendEraseAndRename) {
  TempDir dir;
  TextFile f(dir.File("log.txt"));
  f.SetErrorMode(iemDeferred);
  f.Append();  // the file must exist
  EXPECT_EQ(f.IOResult(), ioFileNotFound);
  f.Rewrite();
  f.WriteLn(u"1");
  f.Close();
  f.Append();
  f.WriteLn(u"2");
  f.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("log.txt")), "1\r\n2\r\n");
  f.Rename(dir.File("moved.txt"));
  EXPECT_EQ(f.IOResult(), 0);
  EXPECT_EQ(ReadBytes(dir.NativeFile("moved.txt")), "1\r\n2\r\n");
  f.Erase();
  EXPECT_EQ(f.IOResult(), 0);
  f.Erase();
  EXPECT_EQ(f.IOResult(), ioFileNotFound);
}

struct RealCase {
  long double Value;
  int Width;
  int Decimals;
  const char* Expected;
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << c.Expected; }

class RealLayout : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealLayout, WritesTheRuntimeLayout) {
  TempDir dir;
  const RealCase& c = GetParam();
  TextFile f(dir.File("r.txt"));
  f.Rewrite();
  f.WriteReal(c.Value, c.Width, c.Decimals);
  f.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("r.txt")), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, RealLayout,
    ::testing::Values(RealCase{1250, 12, -1, " 1.250E+0003"},
                      RealCase{-1250, 12, -1, "-1.250E+0003"}, RealCase{0, 12, -1, " 0.000E+0000"},
                      RealCase{1e-300L, 12, -1, " 1.000E-0300"},
                      RealCase{9.9996L, 12, -1, " 1.000E+0001"},
                      RealCase{1e4000L, 12, -1, " 1.000E+4000"},
                      RealCase{2.5, 0, -1, " 2.5E+0000"},  // at least one digit after the point
                      RealCase{3.14159, 8, 2, "    3.14"}, RealCase{-3.14159, 0, 3, "-3.142"},
                      RealCase{2.5, 0, 0, "2"}, RealCase{1e20, 0, 1, "100000000000000000000.0"},
                      RealCase{0.125, 0, 2, "0.12"}));

TEST(UntypedFile, ReadsBlocksInTheProcessFileMode) {
  TempDir dir;
  WriteBytes(dir.NativeFile("raw.bin"), std::string("\x01\x02\x03\x04\x05", 5));
  const std::uint8_t saved = FileMode;
  FileMode = 0;
  UntypedFile f(dir.File("raw.bin"));
  f.Reset();
  FileMode = saved;
  EXPECT_EQ(f.FileSize(), 5);
  char buf[4];
  EXPECT_EQ(f.BlockRead(buf, 4), 4);
  EXPECT_FALSE(f.Eof());
  EXPECT_EQ(f.BlockRead(buf, 4), 1);
  EXPECT_EQ(buf[0], 5);
  EXPECT_TRUE(f.Eof());
  f.Close();
}

TEST(UntypedFile, ReadOnlyModeOpensAFileThatCannotBeWritten) {
  TempDir dir;
  WriteBytes(dir.NativeFile("ro.bin"), "x");
  std::filesystem::permissions(dir.Path() / "ro.bin", std::filesystem::perms::owner_read);
  if (::access((dir.Path() / "ro.bin").c_str(), W_OK) == 0)
    GTEST_SKIP() << "running with write access to everything";
  UntypedFile f(dir.File("ro.bin"));
  f.SetErrorMode(iemDeferred);
  f.Reset();  // FileMode 2 asks for read-write
  EXPECT_EQ(f.IOResult(), ioAccessDenied);
  const std::uint8_t saved = FileMode;
  FileMode = 0;
  f.Reset();
  FileMode = saved;
  EXPECT_EQ(f.IOResult(), 0);
  EXPECT_TRUE(f.IsOpen());
}

}  // namespace
}  // namespace kez
