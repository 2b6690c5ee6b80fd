// Path and file-name functions, Windows-style and Linux paths side by side; the on-disk
// spelling of paths; the environment; program associations of the private desktop.
#include "kez/filesys/paths.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>

#include "desktop_env.hpp"
#include "kez/platform/path.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::U8;

TEST(FileNameParts, ExtensionsAndNames) {
  EXPECT_EQ(StripExtension(u"c:\\x.y\\file"), u"c:\\x.y\\file");
  EXPECT_EQ(StripExtension(u"c:\\dir\\a.b.c"), u"c:\\dir\\a.b");
  EXPECT_EQ(StripExtension(u"/home/x.y/file"), u"/home/x.y/file");
  EXPECT_EQ(StripExtension(u"/home/ann/a.tar.gz"), u"/home/ann/a.tar");
  EXPECT_EQ(StripExtension(u"c:name.txt"), u"c:name");
  EXPECT_EQ(StripExtension(u"x." + String(400, u'e')), u"x");
  EXPECT_EQ(StripPath(u"c:\\dir\\a.b"), u"a.b");
  EXPECT_EQ(StripPath(u"/home/ann/notes.txt"), u"notes.txt");
  EXPECT_EQ(StripPath(u"c:file"), u"file");
  EXPECT_EQ(StripPath(u"/home/ann/"), u"");
  EXPECT_EQ(InsertBeforeFileExt(u"_1", u"c:\\d\\data.tar.gz"), u"c:\\d\\data_1.tar.gz");
  EXPECT_EQ(InsertBeforeFileExt(u"_1", u"/d.x/data"), u"/d.x/data_1");
  EXPECT_EQ(EnsureDefaultFileExt(u"report", u"txt"), u"report.txt");
  EXPECT_EQ(EnsureDefaultFileExt(u"report", u".txt"), u"report.txt");
  EXPECT_EQ(EnsureDefaultFileExt(u"report.csv", u"txt"), u"report.csv");
  EXPECT_EQ(EnsureDefaultFileExt(u"report", u""), u"report");
  EXPECT_EQ(EnsureDefaultFileExt(u"/a.b/report", u"txt"), u"/a.b/report.txt");
  EXPECT_EQ(EnsureDefaultFileExt(u"c:\\a.b\\report", u"txt"), u"c:\\a.b\\report.txt");
}

TEST(FileNameParts, ParentsAndRoots) {
  EXPECT_EQ(ParentDir(u"c:\\a\\b\\"), u"c:\\a\\");
  EXPECT_EQ(ParentDir(u"c:\\a\\b"), u"c:\\a\\");
  EXPECT_EQ(ParentDir(u"a/b/"), u"a/");
  EXPECT_EQ(ParentDir(u"/home/ann"), u"/home/");
  EXPECT_EQ(ParentDir(u"/home"), u"/");
  EXPECT_EQ(ParentDir(u"c:\\"), u"");
  EXPECT_EQ(ParentDir(u"/"), u"");
  EXPECT_EQ(ParentDir(u"name"), u"");
  EXPECT_EQ(ParentDir(u""), u"");
  EXPECT_TRUE(IsRootDir(u"c:\\"));
  EXPECT_TRUE(IsRootDir(u" C:/ "));
  EXPECT_TRUE(IsRootDir(u"/"));
  EXPECT_FALSE(IsRootDir(u"c:"));
  EXPECT_FALSE(IsRootDir(u"c:\\x"));
  EXPECT_FALSE(IsRootDir(u"/home"));
  EXPECT_FALSE(IsRootDir(u""));
}

TEST(AbridgeFilePath, ReplacesDirectoriesFromTheLeft) {
  EXPECT_EQ(AbridgeFilePath(u"c:\\abc\\def\\file.txt", 16), u"c:\\..\\..\\file.txt");
  EXPECT_EQ(AbridgeFilePath(u"c:\\abc\\def\\file.txt", 19), u"c:\\..\\def\\file.txt");
  EXPECT_EQ(AbridgeFilePath(u"c:\\abc\\def\\file.txt", 21), u"c:\\abc\\def\\file.txt");
  EXPECT_EQ(AbridgeFilePath(u"/home/ann/work/notes.txt", 22), u"/../../work/notes.txt");
  for (const std::int32_t max : {INT32_MIN, -1, 0, 1, INT32_MAX}) {
    EXPECT_EQ(AbridgeFilePath(u"file.txt", max), u"file.txt");
    const String all = AbridgeFilePath(u"/a/bb/ccc/d", max);
    EXPECT_TRUE(all == u"/../../../d" || all == u"/a/bb/ccc/d") << U8(all);
  }
}

// The shortening loop as its rule reads: replace the next directory with ".." while the
// text is too long, in the text itself.
String ModelAbridge(StringView Path, std::int32_t Max) {
  const char16_t sep = Path.find(u'\\') != StringView::npos ? u'\\' : u'/';
  String text(Path);
  std::size_t p = text.find(sep);
  if (p == String::npos) return text;
  while (static_cast<std::int64_t>(text.size()) >= Max) {
    const std::size_t q = text.find(sep, p + 1);
    if (q == String::npos) break;
    text.replace(p + 1, q - p - 1, u"..");
    p += 3;
  }
  return text;
}

TEST(AbridgeFilePath, AgreesWithTheModelOnRandomPaths) {
  std::mt19937 rng(11);
  const char16_t alphabet[] = {u'a', u'b', u'.', u'\\', u'/', u':'};
  for (int round = 0; round < 3000; ++round) {
    String path(rng() % 24, u'a');
    for (char16_t& c : path) c = alphabet[rng() % std::size(alphabet)];
    const auto max = static_cast<std::int32_t>(rng() % 30) - 2;
    ASSERT_EQ(AbridgeFilePath(path, max), ModelAbridge(path, max)) << U8(path) << " " << max;
  }
}

TEST(IsDOS83Path, CharactersAndPieceLengths) {
  EXPECT_TRUE(IsDOS83Path(u"C:\\PROGRA~1\\README.TXT"));
  EXPECT_TRUE(IsDOS83Path(u""));
  EXPECT_TRUE(IsDOS83Path(u"C:\\ABCDEFGH\\x.ABCDEFGHI"));
  EXPECT_TRUE(IsDOS83Path(u"@{}~`^!#.$%&'()-_"));
  EXPECT_FALSE(IsDOS83Path(u"C:\\Program Files\\x"));
  EXPECT_FALSE(IsDOS83Path(u"C:\\ABCDEFGHI\\x"));
  EXPECT_FALSE(IsDOS83Path(u"ABCDEFGHI.TXT"));
  EXPECT_FALSE(IsDOS83Path(u"/tmp/x"));
  for (const char16_t bad : {u'"', u'*', u'+', u',', u';', u'<', u'=', u'>', u'?', u'[', u']', u'|',
                             u'\t', u'\x7F', u'\u00E9'}) {
    EXPECT_FALSE(IsDOS83Path(String(u"A") + bad)) << int(bad);
  }
}

TEST(ExtractDrive, LettersOtherCharactersAndNoDrive) {
  EXPECT_EQ(ExtractDrive(u"c:\\temp"), 2);
  EXPECT_EQ(ExtractDrive(u"z:file"), 25);
  EXPECT_EQ(ExtractDrive(u"A:"), 0);
  EXPECT_EQ(ExtractDrive(u"1:\\"), 0);
  EXPECT_EQ(ExtractDrive(u"\\\\server\\share"), -1);
  EXPECT_EQ(ExtractDrive(u"/home"), -1);
  EXPECT_EQ(ExtractDrive(u"c"), -1);
}

TEST(DOSToWinPath, CorrectsLetterCaseOfEachComponent) {
  TempDir tmp;
  fs::create_directories(tmp.Path() / "Data" / "Sub");
  test::WriteBytes(tmp.NativeFile("Data/Sub/Report.TXT"), "x");
  test::WriteBytes(tmp.NativeFile("Data/Sub/report.txt"), "y");
  test::WriteBytes(tmp.NativeFile("Data/Sub/Other.txt"), "z");
  const String base = tmp.File("");
  EXPECT_EQ(DOSToWinPath(base + u"DATA\\SUB\\OTHER.TXT"), base + u"Data\\Sub\\Other.txt");
  EXPECT_EQ(DOSToWinPath(base + u"data/sub/other.txt"), base + u"Data/Sub/Other.txt");
  // Two spellings on disk: the exact one wins, the other is still found ignoring case.
  EXPECT_EQ(DOSToWinPath(base + u"data/sub/report.txt"), base + u"Data/Sub/report.txt");
  EXPECT_EQ(DOSToWinPath(base + u"data/sub/Report.TXT"), base + u"Data/Sub/Report.TXT");
  // Not found (or a wildcard): converted part, then the rest unchanged.
  EXPECT_EQ(DOSToWinPath(base + u"DATA\\MISSING\\X.TXT"), base + u"Data\\MISSING\\X.TXT");
  EXPECT_EQ(DOSToWinPath(base + u"DATA\\S*\\X.TXT"), base + u"Data\\S*\\X.TXT");
  EXPECT_EQ(DOSToWinPath(base + u"Data\\"), base + u"Data\\");
  EXPECT_EQ(DOSToWinPath(u"C:\\"), u"C:\\");
  // The path is made full first: "." goes, ".." takes the component before it.
  EXPECT_EQ(DOSToWinPath(base + u"DATA\\.\\SUB\\..\\sub\\OTHER.TXT"),
            base + u"Data\\Sub\\Other.txt");
  EXPECT_EQ(DOSToWinPath(base + u"data/./sub/../../Data/sub/"), base + u"Data/Sub/");
  EXPECT_EQ(DOSToWinPath(u"C:\\..\\.\\.."), u"C:\\");
  const fs::path here = fs::current_path();
  fs::current_path(tmp.Path() / "Data");
  EXPECT_EQ(DOSToWinPath(u"./SUB/../sub/other.txt"), base + u"Data/Sub/Other.txt");
  fs::current_path(here);
}

TEST(DOSToWinPath, NamesTheFileThePathReaches) {
  // Among folders that differ only in letter case, the spelling given is that of the one
  // the name leads to, never another twin.
  TempDir tmp;
  const char* const twins[] = {"sUb", "Sub", "suB", "sub", "SuB", "sUB", "SUb"};
  for (int round = 0; round < 40; ++round) {
    const fs::path base = tmp.Path() / std::to_string(round);
    fs::create_directory(base);
    for (int i = 0; i < 7; ++i) {
      if ((round * 7 + i * 3) % 5 >= 3) continue;
      fs::create_directory(base / twins[i]);
      test::WriteBytes((base / twins[i] / "f").string(), twins[i]);
    }
    const String in = NativeToString(base.string()) + u"/SUB/F";
    const String out = DOSToWinPath(in);
    EXPECT_EQ(test::ReadBytes(NativeFileName(out)), test::ReadBytes(NativeFileName(in))) << round;
    EXPECT_FALSE(test::ReadBytes(NativeFileName(out)).empty());
  }
}

// Sets an environment variable for one test and restores the previous state.
class ScopedEnv {
 public:
  ScopedEnv(const char* Name, const char* Value) : FName(Name) {
    const char* old = ::getenv(Name);
    FHad = old != nullptr;
    if (FHad) FOld = old;
    if (Value != nullptr) {
      ::setenv(Name, Value, 1);
    } else {
      ::unsetenv(Name);
    }
  }
  ~ScopedEnv() {
    if (FHad) {
      ::setenv(FName.c_str(), FOld.c_str(), 1);
    } else {
      ::unsetenv(FName.c_str());
    }
  }

 private:
  std::string FName, FOld;
  bool FHad = false;
};

TEST(GetEnviroVar, LastEntryMatchingIgnoringCaseWinsNeverPrefixes) {
  const ScopedEnv a("KEZ_TEST_PATH", "upper"), b("kez_test_path", "lower");
  const ScopedEnv c("Kez_Test_Only", "mixed");
  // Both spellings are in the environment; the later entry answers for either.
  EXPECT_EQ(GetEnviroVar(u"KEZ_TEST_PATH"), u"lower");
  EXPECT_EQ(GetEnviroVar(u"kez_test_path"), u"lower");
  EXPECT_EQ(GetEnviroVar(u"KEZ_TEST_ONLY"), u"mixed");
  EXPECT_EQ(GetEnviroVar(u"KEZ_TEST_PAT"), u"");
  EXPECT_EQ(GetEnviroVar(u"KEZ_TEST_PATHS"), u"");
  EXPECT_EQ(GetEnviroVar(u""), u"");
  EXPECT_EQ(GetEnviroVar(u"KEZ_TEST_PATH=upper"), u"");
}

// A value that is not UTF-8 maps byte for byte as file names do, so it names the same file.
TEST(GetEnviroVar, ValuesThatAreNotUtf8ComeBackLosslessly) {
  const ScopedEnv a("KEZ_TEST_BYTES", "caf\xE9/\xFF\xFEx \xC3\xA9");
  const String value = GetEnviroVar(u"KEZ_TEST_BYTES");
  EXPECT_EQ(value, u"caf\xDCE9/\xDCFF\xDCFEx \u00E9");
  EXPECT_EQ(StringToNative(value), "caf\xE9/\xFF\xFEx \xC3\xA9");
}

TEST(StandardFolders, TemporaryFolderFollowsTMPDIR) {
  {
    const ScopedEnv t("TMPDIR", "/var/tmp");
    EXPECT_EQ(GetTempDir(), u"/var/tmp/");
  }
  {
    const ScopedEnv t("TMPDIR", nullptr);
    EXPECT_EQ(GetTempDir(), u"/tmp/");
  }
  EXPECT_EQ(GetSystemDir(), u"/usr/lib");
  EXPECT_EQ(GetWindowsDir(), u"/usr");
}

TEST(GetProgAssoc, CommandThenFileTypeThenNothing) {
  if (!test::DesktopHasMimeDatabase()) GTEST_SKIP() << "update-mime-database is not installed";
  const String command = Utf8ToString(test::DesktopViewer().string()) + u" --open %f";
  EXPECT_EQ(GetProgAssoc(u"kezdemo"), command);
  EXPECT_EQ(GetProgAssoc(u"KEZDEMO"), command);
  EXPECT_EQ(GetProgAssoc(u"kezbare"), u"application/x-kezbare");
  EXPECT_EQ(GetProgAssoc(u"kezunknown"), u"");
  EXPECT_EQ(GetProgAssoc(u""), u"");
  EXPECT_EQ(GetProgAssoc(u"a/kezdemo"), u"");
}

}  // namespace
}  // namespace kez
