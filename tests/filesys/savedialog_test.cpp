#include "kez/filesys/savedialog.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <limits>
#include <random>
#include <stdexcept>

#include "kez/filesys.hpp"
#include "kez/platform/filesystem.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::ScopedSaveDialogBackend;

// What the scripted user does in one showing of the standard dialog.
struct Answer {
  bool Confirm = true;
  String FileName;
  std::int32_t FilterIndex = 0;  // 0: leave the selected type alone
  std::uint32_t ErrorCode = 0;
};

// A save-dialog backend that plays a list of answers and records each dialog it was shown.
class ScriptedUser {
 public:
  explicit ScriptedUser(std::initializer_list<Answer> Answers) : FAnswers(Answers) {}

  TSaveDialogBackend Backend() {
    return [this](TSaveDialog& d, std::uint32_t& code) {
      Seen.push_back({d.Title(), d.InitialDir(), d.FileName(), d.FilterIndex(), d.Filters(),
                      static_cast<bool>(d.OnTypeChange())});
      if (FAnswers.empty()) throw std::logic_error("the dialog was shown once too often");
      const Answer a = FAnswers.front();
      FAnswers.pop_front();
      if (!a.FileName.empty()) d.SetFileName(a.FileName);
      if (a.FilterIndex != 0) d.SelectFileType(a.FilterIndex);
      code = a.ErrorCode;
      return a.Confirm;
    };
  }

  struct Shown {
    String Title, InitialDir, FileName;
    std::int32_t FilterIndex;
    std::vector<TFileFilter> Filters;
    bool HasTypeChange;
  };
  std::vector<Shown> Seen;
  std::size_t Left() const { return FAnswers.size(); }

 private:
  std::deque<Answer> FAnswers;
};

class UnivSaveDialog : public ::testing::Test {
 protected:
  UnivSaveDialog() { Dlg.SetName(u"Saver"); }
  String Msg(StringView Text) { return u"Component \"Saver\": " + String(Text); }
  // A file that exists in the temporary folder.
  String Existing(std::string_view Name) {
    test::WriteBytes(Dir.NativeFile(Name), "x");
    return Dir.File(Name);
  }

  test::TempDir Dir;
  TUnivSaveDialog Dlg{nullptr};
};

TEST_F(UnivSaveDialog, Examples) {
  ScriptedUser user{{true, Dir.File("report.txt")}};
  ScopedSaveDialogBackend backend(user.Backend());
  Dlg.SetParameters(u"filter=\"Tables|*.csv|Text|*.txt\" ext=csv caption=\"Export table\" "
                    u"initialdir=/home/me");
  Dlg.SetFileName(u"old.csv");
  Dlg.SetFilterIndex(2);
  EXPECT_TRUE(Dlg.Execute());
  EXPECT_EQ(Dlg.FileName(), Dir.File("report.csv"));
  ASSERT_EQ(user.Seen.size(), 1u);
  const auto& shown = user.Seen[0];
  EXPECT_EQ(shown.Title, u"Export table");
  EXPECT_EQ(shown.InitialDir, u"/home/me");
  EXPECT_EQ(shown.FileName, u"old.csv");
  EXPECT_EQ(shown.FilterIndex, 2);
  ASSERT_EQ(shown.Filters.size(), 2u);
  EXPECT_EQ(shown.Filters[1].DisplayName, u"Text");
  EXPECT_EQ(shown.Filters[1].Mask, u"*.txt");
  EXPECT_TRUE(shown.HasTypeChange);
  EXPECT_EQ(Dlg.ComponentCount(), 0);  // the standard dialog lives only during a round
}

TEST_F(UnivSaveDialog, OneFileTypePerCompleteFilterPair) {
  for (auto [filter, types] : {std::pair<const char16_t*, std::size_t>{u"", 0},
                              {u"Text", 0},
                              {u"Text|*.txt|Odd", 1},
                              {u"A|*.a|B|*.b", 2},
                              {u"A|*.a|B|*.b|", 2}}) {
    ScriptedUser user{{false, u""}};
    ScopedSaveDialogBackend backend(user.Backend());
    Dlg.SetParameters(u"filter=\"" + String(filter) + u"\"");
    EXPECT_FALSE(Dlg.Execute());
    ASSERT_EQ(user.Seen.size(), 1u);
    EXPECT_EQ(user.Seen[0].Filters.size(), types) << test::U8(filter);
  }
}

TEST_F(UnivSaveDialog, ForcedExtensionOnConfirmAndOnCancel) {
  ScriptedUser user{{false, u"C:\\data.d\\report.txt", 2}, {false, u"plain"}};
  ScopedSaveDialogBackend backend(user.Backend());
  Dlg.SetParameters(u"ext=csv");
  EXPECT_FALSE(Dlg.Execute());
  EXPECT_EQ(Dlg.FileName(), u"C:\\data.d\\report.csv");  // taken back though cancelled
  EXPECT_EQ(Dlg.FilterIndex(), 2);
  Dlg.SetParameters(u"ext=.csv");  // a dot given with it is not doubled
  EXPECT_FALSE(Dlg.Execute());
  EXPECT_EQ(Dlg.FileName(), u"plain.csv");
  EXPECT_EQ(user.Seen[1].FileName, u"C:\\data.d\\report.csv");  // the previous choice
}

TEST_F(UnivSaveDialog, CancelWithoutANameKeepsItEmpty) {
  ScriptedUser user{{false, u""}};
  ScopedSaveDialogBackend backend(user.Backend());
  Dlg.SetParameters(u"ext=csv");
  EXPECT_FALSE(Dlg.Execute());
  EXPECT_EQ(Dlg.FileName(), u"");
}

TEST_F(UnivSaveDialog, AFailedStandardDialogRaisesItsCode) {
  ScriptedUser user{{false, u"never.txt", 0, 0x3003}, {false, u"x", 0, 0x12345}};
  ScopedSaveDialogBackend backend(user.Backend());
  EXPECT_THROW_MSG(Dlg.Execute(), EKEZFileSysError,
                   Msg(u"Error in standard dialog (errnum = $3003)."));
  EXPECT_EQ(Dlg.FileName(), u"");  // raised before the name is taken back
  EXPECT_EQ(Dlg.ComponentCount(), 0);
  EXPECT_THROW_MSG(Dlg.Execute(), EKEZFileSysError,
                   Msg(u"Error in standard dialog (errnum = $12345)."));
}

TEST_F(UnivSaveDialog, ForbiddenFolderReplies) {
  std::filesystem::create_directory(Dir.Path() / "locked");
  Dlg.SetForbiddenDir(Dir.File("LOCKED"));
  const String inside = Dir.File("locked/sub/a.txt");
  const String outside = Dir.File("b.txt");
  struct Case {
    TModalResult Reply;
    bool Result;
    String Name;
    std::size_t Shown;
  };
  for (const Case& c : {Case{mrCancel, false, inside, 1}, Case{mrYes, true, inside, 1},
                        Case{mrNo, true, outside, 2}, Case{mrOk, true, outside, 2}}) {
    ScriptedUser user{{true, inside}, {true, outside}};
    ScopedSaveDialogBackend backend(user.Backend());
    std::vector<String> asked;
    Dlg.SetOnForbiddenDir([&](TObject* Sender, const String& Path, TModalResult& Reply) {
      EXPECT_EQ(Sender, &Dlg);
      EXPECT_EQ(Reply, mrYes);
      asked.push_back(Path);
      Reply = c.Reply;
    });
    EXPECT_EQ(Dlg.Execute(), c.Result) << c.Reply;
    EXPECT_EQ(Dlg.FileName(), c.Name) << c.Reply;
    EXPECT_EQ(user.Seen.size(), c.Shown) << c.Reply;
    EXPECT_EQ(asked, std::vector<String>{Dir.File("locked/sub/")}) << c.Reply;
  }
  // Without a handler a forbidden folder is accepted.
  Dlg.SetOnForbiddenDir(nullptr);
  ScriptedUser user{{true, inside}};
  ScopedSaveDialogBackend backend(user.Backend());
  EXPECT_TRUE(Dlg.Execute());
}

TEST_F(UnivSaveDialog, OverwriteReplies) {
  const String old = Existing("old.txt");
  const String fresh = Dir.File("new.txt");
  struct Case {
    TModalResult Reply;
    bool Result;
    String Name;
  };
  for (const Case& c : {Case{mrYes, true, old}, Case{mrCancel, false, old},
                        Case{mrNo, true, fresh}}) {
    ScriptedUser user{{true, old}, {true, fresh}};
    ScopedSaveDialogBackend backend(user.Backend());
    int asked = 0;
    Dlg.SetOnOverwrite([&](TObject* Sender, const String& FileName, TModalResult& Reply) {
      EXPECT_EQ(Sender, &Dlg);
      EXPECT_EQ(FileName, old);
      EXPECT_EQ(Reply, mrNo);
      ++asked;
      Reply = c.Reply;
    });
    EXPECT_EQ(Dlg.Execute(), c.Result) << c.Reply;
    EXPECT_EQ(Dlg.FileName(), c.Name) << c.Reply;
    EXPECT_EQ(asked, 1) << c.Reply;
  }
  for (TModalResult invalid : {mrOk, mrNone, mrAbort, -1}) {
    ScriptedUser user{{true, old}};
    ScopedSaveDialogBackend backend(user.Backend());
    Dlg.SetOnOverwrite([&](TObject*, const String&, TModalResult& Reply) { Reply = invalid; });
    EXPECT_THROW_MSG(Dlg.Execute(), EKEZFileSysError,
                     Msg(u"Invalid reply argument from overwrite dialog"));
  }
  Dlg.SetOnOverwrite(nullptr);
  ScriptedUser user{{true, old}};
  ScopedSaveDialogBackend backend(user.Backend());
  EXPECT_THROW_MSG(Dlg.Execute(), EKEZFileSysError, Msg(u"Overwrite dialog is not assigned"));
}

TEST_F(UnivSaveDialog, WithoutTheStandardDialogTheHandlersDecide) {
  Dlg.SetUseStandardDialog(false);
  EXPECT_THROW_MSG(Dlg.Execute(), EKEZFileSysError, Msg(u"File select dialog is not assigned"));

  Dlg.SetParameters(u"mode=batch");
  Dlg.SetFileName(u"before.txt");
  int selections = 0;
  Dlg.SetOnFileSelect([&](TObject* Sender, const String& Parameters, TModalResult& Action,
                          String& Name) {
    EXPECT_EQ(Sender, &Dlg);
    EXPECT_EQ(Parameters, u"mode=batch");
    EXPECT_EQ(Action, mrCancel);
    EXPECT_EQ(Name, selections == 0 ? u"before.txt" : u"/tmp/a.txt");
    ++selections;
    Name = u"/tmp/a.txt";
    Action = mrOk;
  });
  // Without OnFileCheck nothing exists, whatever is on disk.
  EXPECT_TRUE(Dlg.Execute());
  EXPECT_EQ(Dlg.FileName(), u"/tmp/a.txt");

  bool exists = true;
  Dlg.SetOnFileCheck([&](TObject*, const String& Name, bool& Exists) {
    EXPECT_EQ(Name, u"/tmp/a.txt");
    EXPECT_FALSE(Exists);
    Exists = exists;
    exists = false;  // the second choice is a new file
  });
  Dlg.SetOnOverwrite([](TObject*, const String&, TModalResult& Reply) { Reply = mrNo; });
  EXPECT_TRUE(Dlg.Execute());
  EXPECT_EQ(selections, 3);

  Dlg.SetOnFileSelect([](TObject*, const String&, TModalResult&, String&) {});
  EXPECT_FALSE(Dlg.Execute());  // an action left at cancel
}

TEST_F(UnivSaveDialog, AnExceptionInARoundReleasesTheStandardDialog) {
  ScopedSaveDialogBackend backend([&](TSaveDialog& d, std::uint32_t&) -> bool {
    EXPECT_EQ(d.Owner(), &Dlg);
    EXPECT_EQ(Dlg.ComponentCount(), 1);
    throw std::runtime_error("backend failed");
  });
  EXPECT_THROW(Dlg.Execute(), std::runtime_error);
  EXPECT_EQ(Dlg.ComponentCount(), 0);
}

TEST_F(UnivSaveDialog, TypedNameFollowsTheSelectedFileType) {
  struct Case {
    const char16_t* Filter;
    const char16_t* Typed;
    const char16_t* FileName;
    std::int32_t Select;
    const char16_t* Expected;
  };
  for (const Case& c : {
           Case{u"T|*.txt|C|*.csv", u"C:\\dir\\report.txt", u"", 2, u"report.csv"},
           Case{u"T|*.txt|C|*.csv;*.tsv", u"report", u"", 2, u"report.csv"},
           Case{u"T|*.txt|C|*.csv", u"", u"/x/plan.v2.txt", 2, u"plan.v2.csv"},
           Case{u"T|*.txt|All|*.*", u"report.txt", u"", 2, u"report.txt"},
           Case{u"T|*.txt|All|*", u"report.txt", u"", 2, u"report.txt"},
           Case{u"T|*.txt|C|*.csv", u"", u"", 2, u""},
       }) {
    String typedAfter;
    ScopedSaveDialogBackend backend([&](TSaveDialog& d, std::uint32_t&) {
      d.SetTypedFileName(c.Typed);
      d.SelectFileType(c.Select);
      typedAfter = d.TypedFileName();
      return false;
    });
    Dlg.SetParameters(u"filter=\"" + String(c.Filter) + u"\"");
    Dlg.SetFileName(c.FileName);
    Dlg.SetFilterIndex(1);
    EXPECT_FALSE(Dlg.Execute());
    EXPECT_EQ(typedAfter, c.Expected) << test::U8(c.Filter) << " " << test::U8(c.Typed);
  }
}

TEST_F(UnivSaveDialog, TypeChangeOutsideAnyDialogDoesNothing) {
  Dlg.SaveDiagTypeChange(nullptr);
  Dlg.SaveDiagTypeChange(&Dlg);
  TSaveDialog d(nullptr);
  d.SetTypedFileName(u"a.txt");
  d.SetFilterIndex(3);  // no such type
  Dlg.SaveDiagTypeChange(&d);
  EXPECT_EQ(d.TypedFileName(), u"a.txt");
}

TEST_F(UnivSaveDialog, ForbiddenDirIgnoresCaseAndTakesSubfolders) {
  Dlg.SetForbiddenDir(u"c:\\Windows");
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"C:\\WINDOWS\\system\\"));
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"c:\\windows\\"));
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"/windows/"));  // C: is the root
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"c:\\windowsold\\"));  // a prefix of the name is enough
  EXPECT_FALSE(Dlg.IsForbiddenDir(u"c:\\win\\"));
  EXPECT_FALSE(Dlg.IsForbiddenDir(u""));
  Dlg.SetForbiddenDir(u"");
  EXPECT_FALSE(Dlg.IsForbiddenDir(u"c:\\windows\\"));
}

TEST_F(UnivSaveDialog, ForbiddenDirSeesThroughDotsLinksAndDoubledSeparators) {
  Dlg.SetForbiddenDir(u"/etc");
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"/tmp/../etc/"));
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"//etc//ssl/./certs/"));
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"\\..\\..\\etc\\"));  // ".." stops at the root
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"/etc/no/such/../../"));
  EXPECT_FALSE(Dlg.IsForbiddenDir(u"/etc/../tmp/"));

  const auto locked = Dir.Path() / "locked";
  std::filesystem::create_directories(locked / "deep");
  std::filesystem::create_directory_symlink(locked, Dir.Path() / "alias");
  std::filesystem::create_directory_symlink(Dir.Path(), locked / "up");
  Dlg.SetForbiddenDir(Dir.File("locked"));
  EXPECT_TRUE(Dlg.IsForbiddenDir(Dir.File("alias/")));
  EXPECT_TRUE(Dlg.IsForbiddenDir(Dir.File("alias/deep/new/")));
  // The link leads out of the folder: its ".." is that of the target.
  EXPECT_FALSE(Dlg.IsForbiddenDir(Dir.File("locked/up/")));
  EXPECT_TRUE(Dlg.IsForbiddenDir(Dir.File("locked/up/locked/")));
  EXPECT_TRUE(Dlg.IsForbiddenDir(Dir.File("locked/deep/../deep/")));

  // A relative path lies in the current folder.
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  Dlg.SetForbiddenDir(Utf8ToString(cwd));
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"sub\\"));
  EXPECT_FALSE(Dlg.IsForbiddenDir(u"..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\"));
}

TEST_F(UnivSaveDialog, ForbiddenDirOnDrivesNoFileCanHave) {
  Dlg.SetForbiddenDir(u"Q:\\Data");  // Q: is not mapped
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"q:\\x\\..\\data\\"));
  EXPECT_TRUE(Dlg.IsForbiddenDir(u"q:\\..\\..\\DATA\\sub\\"));
  EXPECT_FALSE(Dlg.IsForbiddenDir(u"r:\\data\\"));
  EXPECT_FALSE(Dlg.IsForbiddenDir(u"/data/"));
  Dlg.SetForbiddenDir(String(u"/da\0ta", 6));
  EXPECT_TRUE(Dlg.IsForbiddenDir(String(u"/x/../da\0ta/", 12)));
  EXPECT_FALSE(Dlg.IsForbiddenDir(u"/da/"));
}

TEST_F(UnivSaveDialog, ParameterReaders) {
  Dlg.SetParameters(u"width=\" 12x\" height=-7 big=99999999999 ratio=\" 1,5e2\" r2=-.25 "
                    u"name=\"two words\" empty=\"\"");
  EXPECT_EQ(Dlg.ExtractParamAsInt(u"width"), 12);
  EXPECT_EQ(Dlg.ExtractParamAsInt(u"HEIGHT"), -7);
  EXPECT_EQ(Dlg.ExtractParamAsInt(u"big"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(Dlg.ExtractParamAsInt(u"name"), 0);
  EXPECT_EQ(Dlg.ExtractParamAsDouble(u"ratio"), 150.0);
  EXPECT_EQ(Dlg.ExtractParamAsDouble(u"r2"), -0.25);
  EXPECT_EQ(Dlg.ExtractParamAsDouble(u"height"), -7.0);
  EXPECT_EQ(Dlg.ExtractParamAsString(u"name"), u"two words");
  EXPECT_EQ(Dlg.ExtractParamAsString(u"missing"), u"");
  for (const char16_t* absent : {u"depth", u"empty"}) {
    EXPECT_THROW_MSG(Dlg.ExtractParamAsInt(absent), EKEZFileSysError,
                     Msg(String(absent) + u" is not specified in property Parameters"));
    EXPECT_THROW_MSG(Dlg.ExtractParamAsDouble(absent), EKEZFileSysError,
                     Msg(String(absent) + u" is not specified in property Parameters"));
  }
}

// The integer reader against a model of its rule, on random quoted values.
TEST_F(UnivSaveDialog, IntegerReaderMatchesItsRule) {
  const auto model = [](const String& v) -> std::int64_t {
    std::size_t i = 0;
    while (i < v.size() && v[i] == u' ') ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) negative = v[i++] == u'-';
    std::int64_t magnitude = 0;
    for (; i < v.size() && v[i] >= u'0' && v[i] <= u'9'; ++i) {
      magnitude = std::min<std::int64_t>(magnitude * 10 + (v[i] - u'0'), std::int64_t{1} << 32);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
  };
  std::mt19937 rng(7);
  const String alphabet = u" +-0123456789x.9";
  for (int round = 0; round < 3000; ++round) {
    String v;
    const std::size_t length = 1 + rng() % 14;
    for (std::size_t k = 0; k < length; ++k) v += alphabet[rng() % alphabet.size()];
    Dlg.SetParameters(u"n=\"" + v + u"\"");
    if (Dlg.ExtractParamAsString(u"n").empty()) continue;
    EXPECT_EQ(Dlg.ExtractParamAsInt(u"n"), model(v)) << test::U8(v);
  }
}

}  // namespace
}  // namespace kez
