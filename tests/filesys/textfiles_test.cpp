// Text-file utilities on small files written by the tests.
#include "kez/filesys/textfiles.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kez/platform/exceptions.hpp"
#include "kez/streams.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(CheckTextFileType, ByteOrderMarksAndShortFiles) {
  TempDir tmp;
  const struct {
    std::string Bytes;
    TTextfileType Type;
  } cases[] = {
      {"\xEF\xBB\xBFtext", tftUTF8},
      {std::string("\xFF\xFE\0\0", 4), tftUnicode4_le},
      {"\xFF\xFE", tftUnicode4_le},
      {"\xFF\xFE\x41", tftUnicode_le},
      {"\xFF\xFE\x41\x00", tftUnicode_le},
      {std::string("\0\0\xFE\xFF", 4), tftUnicode4_be},
      {"\xFE\xFF\x00\x41", tftUnicode_be},
      {"{\\rtf1", tftRTF},
      {"", tftUnknown},
      {"plain text", tftUnknown},
      {"\xEF\xBB", tftUnknown},
  };
  for (const auto& c : cases) {
    WriteBytes(tmp.NativeFile("f"), c.Bytes);
    EXPECT_EQ(CheckTextFileType(tmp.File("f")), c.Type) << testing::PrintToString(c.Bytes);
  }
  EXPECT_THROW(CheckTextFileType(tmp.File("missing")), EInOutError);
  EXPECT_THROW(CheckTextFileType(tmp.File("")), EInOutError);
}

TEST(EnsureCRLFInFile, EveryCarriageReturnGetsItsLineFeed) {
  TempDir tmp;
  const std::pair<std::string, std::string> cases[] = {
      {"a\rb", "a\r\nb"},
      {"a\r", "a\r\n"},
      {"a\nb\n", "a\nb\n"},
      {"a\r\nb\r\n", "a\r\nb\r\n"},
      {"\r\rx", "\r\n\r\nx"},
      {"", ""},
      {std::string("\0\xFF\r\x1A", 4), std::string("\0\xFF\r\n\x1A", 5)},
  };
  for (const auto& [in, out] : cases) {
    WriteBytes(tmp.NativeFile("in"), in);
    WriteBytes(tmp.NativeFile("out"), "old content that is longer");
    EnsureCRLFInFile(tmp.File("in"), tmp.File("out"));
    EXPECT_EQ(ReadBytes(tmp.NativeFile("out")), out) << testing::PrintToString(in);
    EXPECT_EQ(ReadBytes(tmp.NativeFile("in")), in);
  }
  EXPECT_THROW(EnsureCRLFInFile(tmp.File("missing"), tmp.File("out2")), EInOutError);
  EXPECT_FALSE(fs::exists(tmp.Path() / "out2"));
}

TEST(EnsureCRLFInFile, SameFileUnderAnyNameIsConvertedInPlace) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("data.txt"), "one\rtwo\nthree\r");
  ::chmod(tmp.NativeFile("data.txt").c_str(), 0640);
  fs::create_symlink(tmp.Path() / "data.txt", tmp.Path() / "link.txt");
  EnsureCRLFInFile(tmp.File("data.txt"), tmp.File("DATA.TXT"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("data.txt")), "one\r\ntwo\nthree\r\n");
  EnsureCRLFInFile(tmp.File("link.txt"), tmp.File("data.txt"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("data.txt")), "one\r\ntwo\nthree\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(tmp.NativeFile("data.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()), 2);
}

TEST(EnsureCRLFInFile, ResultGoesWhereTheOutputNameLeads) {
  TempDir tmp;
  // A hard link as output: that name gets the text; the other link keeps the old one.
  WriteBytes(tmp.NativeFile("data.txt"), "a\rb");
  fs::create_hard_link(tmp.Path() / "data.txt", tmp.Path() / "hard.txt");
  EnsureCRLFInFile(tmp.File("data.txt"), tmp.File("hard.txt"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("hard.txt")), "a\r\nb");
  EXPECT_EQ(ReadBytes(tmp.NativeFile("data.txt")), "a\rb");
  // A symbolic link as input, its target as output; then the link as both.
  WriteBytes(tmp.NativeFile("real.txt"), "x\ry");
  fs::create_symlink(tmp.Path() / "real.txt", tmp.Path() / "link.txt");
  EnsureCRLFInFile(tmp.File("link.txt"), tmp.File("real.txt"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("real.txt")), "x\r\ny");
  WriteBytes(tmp.NativeFile("real.txt"), "\r\r");
  EnsureCRLFInFile(tmp.File("link.txt"), tmp.File("link.txt"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("real.txt")), "\r\n\r\n");
  EXPECT_TRUE(fs::is_symlink(tmp.Path() / "link.txt"));
  // A name of the longest length a folder takes, converted in place.
  for (const std::size_t length : {249u, 255u}) {
    const std::string name(length, 'n');
    WriteBytes(tmp.NativeFile(name), "l\r");
    EnsureCRLFInFile(tmp.File(name), tmp.File(name));
    EXPECT_EQ(ReadBytes(tmp.NativeFile(name)), "l\r\n");
    fs::remove(tmp.Path() / name);
  }
  // An output the process may not write stays as it is.
  if (::geteuid() != 0) {
    WriteBytes(tmp.NativeFile("locked.txt"), "keep");
    ::chmod(tmp.NativeFile("locked.txt").c_str(), 0444);
    EXPECT_THROW(EnsureCRLFInFile(tmp.File("data.txt"), tmp.File("locked.txt")), EInOutError);
    EXPECT_EQ(ReadBytes(tmp.NativeFile("locked.txt")), "keep");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()),
            ::geteuid() != 0 ? 5 : 4);
}

// Runs Body in a child process as the ordinary user 65534 when the tests run as root
// (as the test's own user otherwise); the child's exit status.
template <typename Fn>
int AsOrdinaryUser(Fn&& Body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
    ::_exit(Body());
  }
  int status = -1;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(EnsureCRLFInFile, InPlaceKeepsOwnerModeAndWorksInAReadOnlyFolder) {
  TempDir tmp;
  fs::create_directory(tmp.Path() / "ro");
  const std::string file = tmp.NativeFile("ro/f.txt");
  WriteBytes(file, "p\rq");
  ::chmod(file.c_str(), 0664);
  if (::geteuid() == 0) {
    // As root: the owner and group of another user survive the replacement.
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    EnsureCRLFInFile(tmp.File("ro/f.txt"), tmp.File("ro/f.txt"));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 0777, 0664u);
    EXPECT_EQ(ReadBytes(file), "p\r\nq");
    WriteBytes(file, "p\rq");
    ASSERT_EQ(::chown((tmp.Path() / "ro").c_str(), 65534, 65534), 0);
    ::chmod(tmp.Path().c_str(), 0755);
  }
  ::chmod((tmp.Path() / "ro").c_str(), 0555);
  const String name = tmp.File("ro/f.txt");
  const int status = AsOrdinaryUser([&] {
    try {
      EnsureCRLFInFile(name, name);
    } catch (const Exception&) {
      return 1;
    }
    return ReadBytes(file) == "p\r\nq" ? 0 : 2;
  });
  ::chmod((tmp.Path() / "ro").c_str(), 0755);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path() / "ro"), fs::directory_iterator()), 1);
}

// More ways a name leads to a file: a chain of relative links, a link that names a file not
// yet there, a link into a folder the process may not write, and one hard link as input and
// output (the other links of the file keep its old text, as for any whole-file save).
TEST(EnsureCRLFInFile, ChainsOfLinksDanglingLinksAndHardLinks) {
  TempDir tmp;
  fs::create_directory(tmp.Path() / "sub");
  WriteBytes(tmp.NativeFile("sub/real.txt"), "c\rd");
  fs::create_symlink("real.txt", tmp.Path() / "sub" / "one.txt");
  fs::create_symlink("sub/one.txt", tmp.Path() / "two.txt");
  EnsureCRLFInFile(tmp.File("two.txt"), tmp.File("two.txt"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("sub/real.txt")), "c\r\nd");
  EXPECT_TRUE(fs::is_symlink(tmp.Path() / "two.txt"));
  EXPECT_TRUE(fs::is_symlink(tmp.Path() / "sub" / "one.txt"));

  fs::create_symlink("sub/new.txt", tmp.Path() / "dangling.txt");
  WriteBytes(tmp.NativeFile("in.txt"), "\r");
  EnsureCRLFInFile(tmp.File("in.txt"), tmp.File("dangling.txt"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("sub/new.txt")), "\r\n");
  EXPECT_TRUE(fs::is_symlink(tmp.Path() / "dangling.txt"));

  WriteBytes(tmp.NativeFile("h1.txt"), "e\rf");
  fs::create_hard_link(tmp.Path() / "h1.txt", tmp.Path() / "h2.txt");
  EnsureCRLFInFile(tmp.File("h2.txt"), tmp.File("h2.txt"));
  EXPECT_EQ(ReadBytes(tmp.NativeFile("h2.txt")), "e\r\nf");
  EXPECT_EQ(ReadBytes(tmp.NativeFile("h1.txt")), "e\rf");
}

TEST(EnsureCRLFInFile, ThroughALinkIntoAReadOnlyFolder) {
  TempDir tmp;
  fs::create_directory(tmp.Path() / "ro");
  const std::string file = tmp.NativeFile("ro/f.txt");
  WriteBytes(file, "g\rh");
  ::chmod(file.c_str(), 0666);
  fs::create_symlink(tmp.Path() / "ro" / "f.txt", tmp.Path() / "link.txt");
  ::chmod(tmp.Path().c_str(), 0777);
  ::chmod((tmp.Path() / "ro").c_str(), 0555);
  const String link = tmp.File("link.txt");
  const int status = AsOrdinaryUser([&] {
    try {
      EnsureCRLFInFile(link, link);
    } catch (const Exception&) {
      return 1;
    }
    return ReadBytes(file) == "g\r\nh" ? 0 : 2;
  });
  ::chmod((tmp.Path() / "ro").c_str(), 0755);
  ::chmod(tmp.Path().c_str(), 0700);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(fs::is_symlink(tmp.Path() / "link.txt"));
}

// An output another holder keeps from writers stays as it is, also where the conversion
// would write the file in place.
TEST(EnsureCRLFInFile, AnOutputHeldAgainstWritingIsRefused) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("in.txt"), "i\rj");
  WriteBytes(tmp.NativeFile("out.txt"), "old");
  TFileStream holder(tmp.File("out.txt"), fmOpenRead | fmShareDenyWrite);
  EXPECT_THROW(EnsureCRLFInFile(tmp.File("in.txt"), tmp.File("out.txt")), EInOutError);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("out.txt")), "old");
  fs::create_directory(tmp.Path() / "ro");
  WriteBytes(tmp.NativeFile("ro/held.txt"), "k\rl");
  ::chmod(tmp.NativeFile("ro/held.txt").c_str(), 0666);
  ::chmod(tmp.Path().c_str(), 0777);
  ::chmod((tmp.Path() / "ro").c_str(), 0555);
  TFileStream held(tmp.File("ro/held.txt"), fmOpenRead | fmShareDenyWrite);
  const String name = tmp.File("ro/held.txt");
  const int status = AsOrdinaryUser([&] {
    try {
      EnsureCRLFInFile(name, name);
    } catch (const Exception&) {
      return 0;
    }
    return 1;
  });
  ::chmod((tmp.Path() / "ro").c_str(), 0755);
  ::chmod(tmp.Path().c_str(), 0700);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("ro/held.txt")), "k\rl");
}

TEST(AppendToTextFile, CreatesOrAppendsNeverTruncates) {
  TempDir tmp;
  AppendToTextFile(tmp.File("log.txt"), u"first");
  WriteBytes(tmp.NativeFile("kept.txt"), "kept\n");
  AppendToTextFile(tmp.File("kept.txt"), u"caf\u00E9");
  TStringList lines;
  lines.Add(u"a");
  lines.Add(u"");
  lines.Add(u"b");
  AppendToTextFile(tmp.File("log.txt"), lines);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("log.txt")), "first\r\na\r\n\r\nb\r\n");
  EXPECT_EQ(ReadBytes(tmp.NativeFile("kept.txt")), "kept\ncaf\xE9\r\n");
  EXPECT_THROW(AppendToTextFile(tmp.File("nodir/x.txt"), u"x"), EInOutError);
  fs::create_directory(tmp.Path() / "dir");
  EXPECT_THROW(AppendToTextFile(tmp.File("dir"), u"x"), EInOutError);
  EXPECT_TRUE(fs::is_directory(tmp.Path() / "dir"));
}

TEST(AppendToTextFile, StartsANewFileInUtf8WhenTheTextNeedsIt) {
  TempDir tmp;
  const String wide = u"\u0394T \u4E2D \U0001F600";
  AppendToTextFile(tmp.File("new.txt"), wide);
  AppendToTextFile(tmp.File("new.txt"), u"caf\u00E9");  // goes on in UTF-8
  EXPECT_EQ(ReadBytes(tmp.NativeFile("new.txt")),
            "\xEF\xBB\xBF" + StringToUtf8(wide) + "\r\ncaf\xC3\xA9\r\n");
  // A file that already holds Windows-1252 text keeps it: the line is refused whole.
  WriteBytes(tmp.NativeFile("ansi.txt"), "caf\xE9\r\n");
  EXPECT_THROW(AppendToTextFile(tmp.File("ansi.txt"), wide), EInOutError);
  EXPECT_EQ(ReadBytes(tmp.NativeFile("ansi.txt")), "caf\xE9\r\n");
}

// What the text-file layer makes of bytes: lines end at LF (a CR right before it goes
// with it), and a last line without LF counts when it is not empty.
std::vector<std::string> ModelLines(const std::string& Bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : Bytes) {
    if (c != '\n') {
      line.push_back(c);
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST(LineReaders, AgreeWithTheModelOnRandomFiles) {
  TempDir tmp;
  std::mt19937 rng(7);
  const char alphabet[] = {'a', 'b', ' ', '\r', '\n', '\n', '\x1A', '\xE9'};
  for (int round = 0; round < 200; ++round) {
    std::string bytes(rng() % 40, ' ');
    for (char& c : bytes) c = alphabet[rng() % sizeof alphabet];
    WriteBytes(tmp.NativeFile("r.txt"), bytes);
    const std::vector<std::string> model = ModelLines(bytes);
    const std::int32_t n = static_cast<std::int32_t>(rng() % 6) + 1;
    std::int32_t count = -1;
    const std::vector<String> last = ReadLastNLinesOfTextFile(tmp.File("r.txt"), n, count);
    ASSERT_EQ(count, static_cast<std::int32_t>(model.size())) << testing::PrintToString(bytes);
    ASSERT_EQ(last.size(), static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
      const std::int64_t at = static_cast<std::int64_t>(model.size()) - n + i;
      EXPECT_EQ(last[i], at < 0 ? String() : AnsiToString(model[at]));
    }
    EXPECT_EQ(CountLinesInTextFile(tmp.File("r.txt"), nullptr), count);
  }
}

TEST(LineReaders, LongLinesAcrossReadBlocksAndFifos) {
  TempDir tmp;
  std::mt19937 rng(3);
  std::string bytes;
  while (bytes.size() < 900'000) {
    bytes.append(rng() % 4 == 0 ? rng() % 70'000 : rng() % 40, static_cast<char>('a' + rng() % 3));
    bytes += rng() % 3 == 0 ? "\r\n" : rng() % 2 == 0 ? "\n" : "\r";
  }
  const std::vector<std::string> model = ModelLines(bytes);
  WriteBytes(tmp.NativeFile("long.txt"), bytes);
  for (const std::int32_t n : {1, 9, 5000}) {
    std::int32_t count = -1;
    const std::vector<String> last = ReadLastNLinesOfTextFile(tmp.File("long.txt"), n, count);
    ASSERT_EQ(count, static_cast<std::int32_t>(model.size()));
    ASSERT_EQ(last.size(), static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
      const std::int64_t at = static_cast<std::int64_t>(model.size()) - n + i;
      ASSERT_EQ(last[i], at < 0 ? String() : AnsiToString(model[at])) << n << " " << i;
    }
  }
  // A FIFO is read once, front to back, by either function.
  ASSERT_EQ(::mkfifo(tmp.NativeFile("fifo").c_str(), 0600), 0);
  for (int round = 0; round < 2; ++round) {
    std::thread writer([&] { WriteBytes(tmp.NativeFile("fifo"), bytes); });
    std::int32_t count = -1;
    if (round == 0) {
      const std::vector<String> last = ReadLastNLinesOfTextFile(tmp.File("fifo"), 2, count);
      EXPECT_EQ(last.back(), AnsiToString(model.back()));
    } else {
      count = CountLinesInTextFile(tmp.File("fifo"), nullptr);
    }
    writer.join();
    EXPECT_EQ(count, static_cast<std::int32_t>(model.size()));
  }
}

TEST(ReadLastNLinesOfTextFile, ExamplesOpenFilesAndOddCounts) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("five.txt"), "l1\r\nl2\r\nl3\r\nl4\r\nl5\r\n");
  WriteBytes(tmp.NativeFile("two.txt"), "l1\nl2");
  std::int32_t count = 0;
  EXPECT_EQ(ReadLastNLinesOfTextFile(tmp.File("five.txt"), 3, count),
            (std::vector<String>{u"l3", u"l4", u"l5"}));
  EXPECT_EQ(count, 5);
  EXPECT_EQ(ReadLastNLinesOfTextFile(tmp.File("two.txt"), 3, count),
            (std::vector<String>{u"", u"l1", u"l2"}));
  EXPECT_EQ(count, 2);
  for (const std::int32_t n : {0, -1, INT_MIN}) {
    count = 9;
    EXPECT_TRUE(ReadLastNLinesOfTextFile(tmp.File("five.txt"), n, count).empty());
    EXPECT_EQ(count, 0);
  }
  // A huge N does not ask for a huge result.
  const std::vector<String> all = ReadLastNLinesOfTextFile(tmp.File("five.txt"), INT_MAX, count);
  ASSERT_EQ(all.size(), 1'000'000u);
  EXPECT_EQ(all.back(), u"l5");
  EXPECT_EQ(all[all.size() - 5], u"l1");
  EXPECT_EQ(all.front(), u"");
  // An open file is read from its start and rewound afterwards.
  TextFile f(tmp.File("five.txt"));
  f.Reset();
  f.ReadLn();
  f.ReadLn();
  EXPECT_EQ(ReadLastNLinesOfTextFile(f, 1, count), (std::vector<String>{u"l5"}));
  EXPECT_EQ(count, 5);
  String line;
  f.ReadLn(line);
  EXPECT_EQ(line, u"l1");
  f.Close();
  EXPECT_THROW(ReadLastNLinesOfTextFile(tmp.File("missing"), 1, count), EInOutError);
}

TEST(CountLinesInTextFile, FeedbackEveryThousandLines) {
  TempDir tmp;
  std::string text;
  for (int i = 0; i < 2500; ++i) text += "line\r\n";
  WriteBytes(tmp.NativeFile("big.txt"), text);
  std::vector<std::pair<double, double>> calls;
  const TFeedbackProc feedback = [&](TObject* Sender, double Count, double Second) {
    EXPECT_EQ(Sender, nullptr);
    calls.emplace_back(Count, Second);
  };
  EXPECT_EQ(CountLinesInTextFile(tmp.File("big.txt"), feedback), 2500);
  EXPECT_EQ(calls, (std::vector<std::pair<double, double>>{{1000, 0}, {2000, 0}}));
  TextFile f(tmp.File("big.txt"));
  f.Reset();
  f.ReadLn();
  EXPECT_EQ(CountLinesInTextFile(f, nullptr), 2500);
  EXPECT_FALSE(f.Eof());
  f.Close();
  WriteBytes(tmp.NativeFile("empty.txt"), "");
  EXPECT_EQ(CountLinesInTextFile(tmp.File("empty.txt"), nullptr), 0);
}

struct AscHeader {
  int Status = 99;
  String Comment;
  std::int32_t First = -7, Second = -7;
  bool Flags[4] = {true, true, true, true};
};

AscHeader FromFile(const TempDir& Tmp, const std::string& Bytes) {
  WriteBytes(Tmp.NativeFile("h.asc"), Bytes);
  AscHeader h;
  h.Status = ReadHeaderOfASC(Tmp.File("h.asc"), h.Comment, h.First, h.Second, h.Flags[0],
                             h.Flags[1], h.Flags[2], h.Flags[3]);
  return h;
}

AscHeader FromStream(TStream& S) {
  AscHeader h;
  h.Status = ReadHeaderOfASC(S, h.Comment, h.First, h.Second, h.Flags[0], h.Flags[1], h.Flags[2],
                             h.Flags[3]);
  return h;
}

TEST(ReadHeaderOfASC, StatusesFromAFile) {
  TempDir tmp;
  AscHeader h = FromFile(tmp, "my data\r\n12 rows\r\n-3\r\ntrue  false\tTRUE xyz\r\nrest\r\n");
  EXPECT_EQ(h.Status, 0);
  EXPECT_EQ(h.Comment, u"my data");
  EXPECT_EQ(h.First, 12);
  EXPECT_EQ(h.Second, -3);
  EXPECT_TRUE(h.Flags[0] && !h.Flags[1] && h.Flags[2] && !h.Flags[3]);
  h = FromFile(tmp, "c\n1\n2\n  FALSE FALSE FALSE true\n");
  EXPECT_EQ(h.Status, 0);
  EXPECT_TRUE(!h.Flags[0] && !h.Flags[1] && !h.Flags[2] && h.Flags[3]);
  h = FromFile(tmp, "c\n1\n2\nTRUE maybe TRUE TRUE\n");
  EXPECT_EQ(h.Status, -3);
  EXPECT_TRUE(h.Flags[0] && !h.Flags[1] && !h.Flags[2] && !h.Flags[3]);  // read up to the fault
  h = FromFile(tmp, "c\nabc\n2\nTRUE TRUE TRUE TRUE\n");
  EXPECT_EQ(h.Status, -1);
  EXPECT_TRUE(h.Flags[0]);  // untouched
  h = FromFile(tmp, "c\n1\n2x\nTRUE TRUE TRUE TRUE\n");
  EXPECT_EQ(h.Status, -2);
  EXPECT_EQ(h.First, 1);
  h = FromFile(tmp, "c\n99999999999\n2\nTRUE TRUE TRUE TRUE\n");
  EXPECT_EQ(h.Status, -1);
  EXPECT_THROW(ReadHeaderOfASC(tmp.File("none.asc"), h.Comment, h.First, h.Second, h.Flags[0],
                               h.Flags[1], h.Flags[2], h.Flags[3]),
               EInOutError);
}

TEST(ReadHeaderOfASC, StreamsWithLfAndCrLfLineEnds) {
  for (const std::string eol : {"\n", "\r\n"}) {
    const std::string text = "comment" + eol + "42 rows" + eol + "-7" + eol +
                             "TRUE false true TRUE" + eol + "next" + eol;
    TStringStream s(text);
    const AscHeader h = FromStream(s);
    EXPECT_EQ(h.Status, 0) << testing::PrintToString(eol);
    EXPECT_EQ(h.Comment, u"comment");
    EXPECT_EQ(h.First, 42);
    EXPECT_EQ(h.Second, -7);
    EXPECT_TRUE(h.Flags[0] && !h.Flags[1] && h.Flags[2] && h.Flags[3]);
    bool eos = false;
    EXPECT_EQ(ReadLnStream(s, eos, 0), u"next");
  }
  TStringStream tabs(std::string("c\n1\n2\nTRUE\tTRUE TRUE TRUE\n"));
  EXPECT_EQ(FromStream(tabs).Status, -3);
  TStringStream shortStream(std::string("c\n5"));
  const AscHeader h = FromStream(shortStream);
  EXPECT_EQ(h.First, 5);
  EXPECT_EQ(h.Second, 0);
  EXPECT_EQ(h.Status, -3);
}

// The stream form of the header reader, modelled on a byte string: lines end at LF and lose
// up to two trailing CR/LF; an integer skips blanks, CR and LF, takes one sign and saturating
// digits, consumes the character behind it and then the rest of its line unless that
// character was the LF; the flag words are ASCII upper-cased and stripped of blanks.
struct AscStreamModel {
  std::string Bytes;
  std::size_t Pos = 0;

  std::string Line() {
    std::string line;
    while (Pos < Bytes.size()) {
      line += Bytes[Pos++];
      if (line.back() != '\n') continue;
      for (int drop = 0; drop < 2 && !line.empty() && (line.back() == '\n' || line.back() == '\r');
           ++drop) {
        line.pop_back();
      }
      break;
    }
    return line;
  }

  std::int32_t Integer() {
    while (Pos < Bytes.size() && (Bytes[Pos] == ' ' || Bytes[Pos] == '\n' || Bytes[Pos] == '\r')) {
      ++Pos;
    }
    const bool negative = Pos < Bytes.size() && Bytes[Pos] == '-';
    if (Pos < Bytes.size() && (Bytes[Pos] == '-' || Bytes[Pos] == '+')) ++Pos;
    std::int64_t magnitude = 0;
    while (Pos < Bytes.size() && Bytes[Pos] >= '0' && Bytes[Pos] <= '9') {
      magnitude =
          std::min<std::int64_t>(std::int64_t{1} << 32, magnitude * 10 + Bytes[Pos++] - '0');
    }
    const bool endedByLineFeed = Pos < Bytes.size() && Bytes[Pos] == '\n';
    if (Pos < Bytes.size()) ++Pos;
    if (!endedByLineFeed) Line();
    magnitude = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(magnitude, INT32_MIN, INT32_MAX));
  }

  AscHeader Read() {
    AscHeader h;
    const std::string comment = Line();
    h.Comment.assign(comment.begin(), comment.end());
    h.First = Integer();
    h.Second = Integer();
    std::string words = Line();
    for (char& c : words) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto strip = [&] {
      const std::size_t first = words.find_first_not_of(' ');
      words = first == std::string::npos
                  ? std::string()
                  : words.substr(first, words.find_last_not_of(' ') - first + 1);
    };
    strip();
    std::fill(std::begin(h.Flags), std::end(h.Flags), false);
    h.Status = 0;
    for (int i = 0; i < 3; ++i) {
      if (words.starts_with("TRUE")) {
        h.Flags[i] = true;
        words.erase(0, 4);
      } else if (words.starts_with("FALSE")) {
        words.erase(0, 5);
      } else {
        h.Status = -3;
        return h;
      }
      strip();
    }
    h.Flags[3] = words.starts_with("TRUE");
    return h;
  }
};

TEST(ReadHeaderOfASC, StreamFormAgreesWithTheModelOnRandomBytes) {
  const std::vector<std::string> pieces = {
      "\n",    "\r\n",  "\r",         " ",          "  ",          "\t",   "-",    "+",     "0",
      "7",     "42",    "2147483647", "2147483648", "99999999999", "true", "TRUE", "false", "FALSE",
      "TRUEx", "maybe", "x",          "c"};
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    AscStreamModel model;
    const int count = static_cast<int>(rng() % 24);
    for (int i = 0; i < count; ++i) model.Bytes += pieces[rng() % pieces.size()];
    model.Pos = rng() % (model.Bytes.size() + 1);
    TStringStream s(model.Bytes);
    s.SetPosition(static_cast<std::int64_t>(model.Pos));
    const AscHeader got = FromStream(s);
    const AscHeader want = model.Read();
    SCOPED_TRACE(testing::PrintToString(model.Bytes) + " from " + std::to_string(s.Position()));
    ASSERT_EQ(got.Status, want.Status);
    ASSERT_EQ(got.Comment, want.Comment);
    ASSERT_EQ(got.First, want.First);
    ASSERT_EQ(got.Second, want.Second);
    for (int i = 0; i < 4; ++i) ASSERT_EQ(got.Flags[i], want.Flags[i]) << "flag " << i + 1;
    ASSERT_EQ(s.Position(), static_cast<std::int64_t>(model.Pos));
  }
}

TEST(SearchingFiles, PositionsLimitsAndCase) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("t.txt"), "ab\r\nxcd\nCAF\xC9 Cd\n");
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"cd", false, 100), 4);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"cd", false, 3), 0);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"cd", false, 4), 4);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"CD", false, 100), 0);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"CD", true, 100), 4);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u" cd", true, 100), 10);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"", false, 100), 0);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"ab", false, 0), 0);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"ab", false, INT_MIN), 0);
  EXPECT_EQ(DetectStringInFile(tmp.File("t.txt"), u"ab", false, INT_MAX), 1);
  String line = u"stale";
  EXPECT_EQ(FindFirstMatchInTextFile(tmp.File("t.txt"), u"caf\u00E9", true, line), 1);
  EXPECT_EQ(line, u"CAF\u00C9 Cd");
  EXPECT_EQ(FindFirstMatchInTextFile(tmp.File("t.txt"), u"cd", false, line), 2);
  EXPECT_EQ(line, u"xcd");
  EXPECT_EQ(FindFirstMatchInTextFile(tmp.File("t.txt"), u"zz", true, line), 0);
  EXPECT_EQ(line, u"");
  EXPECT_THROW(DetectStringInFile(tmp.File("missing"), u"a", false, 9), EInOutError);
}

// Where a search text first lies, by the rules of DetectStringInFile, from the lines.
std::int32_t ModelDetect(const std::vector<std::string>& Lines, std::string Text, bool Fold,
                         std::int64_t Limit) {
  const auto fold = [&](std::string s) {
    if (Fold) {
      for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    return s;
  };
  Text = fold(Text);
  std::int64_t count = 0;
  for (const std::string& line : Lines) {
    if (count >= Limit) break;
    const std::size_t at = fold(line).find(Text);
    if (at != std::string::npos) {
      count += static_cast<std::int64_t>(at) + 1;
      return count <= Limit ? static_cast<std::int32_t>(count) : 0;
    }
    count += static_cast<std::int64_t>(line.size());
  }
  return 0;
}

TEST(SearchingFiles, AgreeWithTheModelOnRepetitiveText) {
  TempDir tmp;
  std::mt19937 rng(5);
  for (int round = 0; round < 150; ++round) {
    std::string bytes(rng() % 300, 'a');
    for (char& c : bytes) c = "aaAbB\n"[rng() % 6];
    std::string text(rng() % 12 + 1, 'a');
    for (char& c : text) c = "aAb"[rng() % 3];
    WriteBytes(tmp.NativeFile("s.txt"), bytes);
    const bool fold = rng() % 2 == 0;
    const std::int32_t limit = static_cast<std::int32_t>(rng() % 400);
    ASSERT_EQ(DetectStringInFile(tmp.File("s.txt"), AnsiToString(text), fold, limit),
              ModelDetect(ModelLines(bytes), text, fold, limit))
        << bytes << " / " << text;
    String line;
    const std::int32_t at =
        FindFirstMatchInTextFile(tmp.File("s.txt"), AnsiToString(text), fold, line);
    if (!fold && at > 0) {
      EXPECT_EQ(StringToAnsi(line).find(text) + 1, static_cast<std::size_t>(at));
    }
  }
}

TEST(ReadNextWordInTextFile, WordsBetweenBlanksAndControlCharacters) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("w.txt"), "  abc");
  TextFile f(tmp.File("w.txt"));
  f.Reset();
  EXPECT_EQ(ReadNextWordInTextFile(f), u"abc");
  EXPECT_EQ(ReadNextWordInTextFile(f), u"");
  f.Close();
  WriteBytes(tmp.NativeFile("w.txt"), "one\ttwo\r\n\x01thr\xE9\x65 \n");
  f.Reset();
  EXPECT_EQ(ReadNextWordInTextFile(f), u"one");
  EXPECT_EQ(ReadNextWordInTextFile(f), u"two");
  EXPECT_EQ(ReadNextWordInTextFile(f), u"thr\u00E9e");
  EXPECT_EQ(ReadNextWordInTextFile(f), u"");
  f.Close();
}

TEST(GetFileSize, ExactNamesAndLargeFiles) {
  TempDir tmp;
  WriteBytes(tmp.NativeFile("a1.txt"), "12345");
  EXPECT_EQ(GetFileSize(tmp.File("a1.txt")), 5);
  EXPECT_EQ(GetFileSize(tmp.File("A1.TXT")), 5);
  EXPECT_EQ(GetFileSize(tmp.File("a?.txt")), -1);
  EXPECT_EQ(GetFileSize(tmp.File("*")), -1);
  EXPECT_EQ(GetFileSize(tmp.File("missing")), -1);
  EXPECT_EQ(GetFileSize(tmp.File("")), 0);  // the folder itself
  const std::string big = tmp.NativeFile("sparse.bin");
  WriteBytes(big, "");
  fs::resize_file(big, 3ull << 30);
  EXPECT_EQ(GetFileSize(tmp.File("sparse.bin")), INT_MAX);
  fs::resize_file(big, (2ull << 30) - 1);
  EXPECT_EQ(GetFileSize(tmp.File("sparse.bin")), INT_MAX);
  fs::resize_file(big, 2ull << 30);
  EXPECT_EQ(GetFileSize(tmp.File("sparse.bin")), INT_MAX);
}

TEST(TextFilesInUtf8, CrLfRepairKeepsTheBytesAndLastLinesAreDecoded) {
  test::TempDir tmp;
  const std::string text = "\xEF\xBB\xBF" + StringToUtf8(u"\u4E2D\r\u0394\rx\n\U0001F600\r\n");
  test::WriteBytes(tmp.NativeFile("in"), text);
  EnsureCRLFInFile(tmp.File("in"), tmp.File("out"));
  EXPECT_EQ(test::ReadBytes(tmp.NativeFile("out")),
            "\xEF\xBB\xBF" + StringToUtf8(u"\u4E2D\r\n\u0394\r\nx\n\U0001F600\r\n"));
  std::int32_t count = 0;
  const auto last = ReadLastNLinesOfTextFile(tmp.File("out"), 2, count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(last, (std::vector<String>{u"x", u"\U0001F600"}));
}

}  // namespace
}  // namespace kez
