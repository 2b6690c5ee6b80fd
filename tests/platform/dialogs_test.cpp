#include "kez/platform/dialogs.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "test_support.hpp"

namespace kez {
namespace {

using test::ScopedSaveDialogBackend;

TEST(SaveDialog, BackendReadsTheSettingsAndReportsTheChoice) {
  ScopedSaveDialogBackend backend([](TSaveDialog& d, std::uint32_t&) {
    EXPECT_EQ(d.Title(), u"Save as");
    EXPECT_EQ(d.InitialDir(), u"/data");
    EXPECT_EQ(d.Filters().size(), 2u);
    EXPECT_EQ(d.Filters()[1].Mask, u"*.csv");
    EXPECT_EQ(d.TypedFileName(), u"old.txt");
    d.SetFileName(u"/data/new.csv");
    d.SelectFileType(2);
    return true;
  });
  TSaveDialog d(nullptr);
  d.SetTitle(u"Save as");
  d.SetInitialDir(u"/data");
  d.AddFilter(u"Text", u"*.txt");
  d.AddFilter(u"Table", u"*.csv");
  d.SetFileName(u"old.txt");
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), u"/data/new.csv");
  EXPECT_EQ(d.FilterIndex(), 2);
  EXPECT_EQ(d.TypedFileName(), u"");  // the name box exists only while shown
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST(SaveDialog, CancelAndFailureAreToldApartByTheExtendedError) {
  std::uint32_t answer = 0;
  ScopedSaveDialogBackend backend([&](TSaveDialog&, std::uint32_t& code) {
    code = answer;
    return false;
  });
  TSaveDialog d(nullptr);
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  answer = 0x3003;
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(CommDlgExtendedError(), 0x3003u);
}

TEST(SaveDialog, ABackendExceptionPassesAndCountsAsAFailedDialog) {
  ScopedSaveDialogBackend backend([](TSaveDialog&, std::uint32_t&) -> bool {
    throw std::runtime_error("no screen");
  });
  TSaveDialog d(nullptr);
  d.SetFileName(u"x");
  EXPECT_THROW(d.Execute(), std::runtime_error);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  EXPECT_EQ(d.TypedFileName(), u"");
}

TEST(SaveDialog, TypeChangeEventFiresOnlyForAnotherType) {
  TSaveDialog d(nullptr);
  int calls = 0;
  d.SetOnTypeChange([&](TObject* Sender) {
    EXPECT_EQ(Sender, &d);
    ++calls;
  });
  d.SelectFileType(1);
  EXPECT_EQ(calls, 0);
  d.SelectFileType(3);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(d.FilterIndex(), 3);
}

TEST(SaveDialog, InstallingABackendHandsBackThePreviousOne) {
  TSaveDialogBackend first = [](TSaveDialog&, std::uint32_t&) { return true; };
  TSaveDialogBackend before = SetSaveDialogBackend(first);
  TSaveDialogBackend second = [](TSaveDialog&, std::uint32_t&) { return false; };
  TSaveDialogBackend got = SetSaveDialogBackend(second);
  ASSERT_TRUE(got);
  std::uint32_t code = 0;
  TSaveDialog d(nullptr);
  EXPECT_TRUE(got(d, code));
  SetSaveDialogBackend(before);
}

// Sets an environment variable (or removes it, for nullopt) for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* Name, std::optional<std::string> Value) : FName(Name) {
    if (const char* old = std::getenv(Name)) FOld = old;
    if (Value) {
      ::setenv(Name, Value->c_str(), 1);
    } else {
      ::unsetenv(Name);
    }
  }
  ~ScopedEnv() {
    if (FOld) {
      ::setenv(FName, FOld->c_str(), 1);
    } else {
      ::unsetenv(FName);
    }
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

// The default backend runs a stand-in for zenity placed first on PATH: it writes its
// arguments, one per line, to args.txt, prints the reply and exits with the status given.
class DesktopDialog : public ::testing::Test {
 protected:
  void InstallFakeZenity(const std::string& Reply, int ExitCode) {
    const std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                               Dir.NativeFile("args.txt") + "'\nprintf '%s' '" + Reply +
                               "'\nexit " + std::to_string(ExitCode) + "\n";
    test::WriteBytes(Dir.NativeFile("zenity"), script);
    ::chmod(Dir.NativeFile("zenity").c_str(), 0755);
  }
  std::string Args() const { return test::ReadBytes(Dir.NativeFile("args.txt")); }

  test::TempDir Dir;
  ScopedSaveDialogBackend Default{nullptr};
  ScopedEnv Path{"PATH", Dir.Path().string()};
  ScopedEnv Display{"DISPLAY", ":7"};
  ScopedEnv Wayland{"WAYLAND_DISPLAY", std::nullopt};
};

TEST_F(DesktopDialog, PassesTheSettingsToZenityAndReadsTheChosenName) {
  InstallFakeZenity("/home/u/r\xC3\xA9sum\xC3\xA9.csv\n", 0);
  TSaveDialog d(nullptr);
  d.SetTitle(u"Export");
  d.SetInitialDir(Utf8ToString(Dir.Path().string()));
  d.SetFileName(u"report.txt");
  d.AddFilter(u"Text | plain", u"*.txt");
  d.AddFilter(u"Tables", u"*.csv;*.tsv");
  d.AddFilter(u"All", u"");
  d.SetFilterIndex(2);
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), u"/home/u/r\u00E9sum\u00E9.csv");
  EXPECT_EQ(d.FilterIndex(), 2);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(Args(), "--file-selection\n--save\n--title=Export\n--filename=" +
                        Dir.Path().string() +
                        "/report.txt\n"
                        "--file-filter=Tables | *.csv *.tsv\n"
                        "--file-filter=Text / plain | *.txt\n"
                        "--file-filter=All | *\n");
}

TEST_F(DesktopDialog, ANameWithAFolderIsProposedAsItStands) {
  InstallFakeZenity("", 1);
  TSaveDialog d(nullptr);
  d.SetInitialDir(u"/ignored");
  d.SetFileName(u"C:\\tmp\\x.txt");
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(Args(), "--file-selection\n--save\n--filename=/tmp/x.txt\n");
}

TEST_F(DesktopDialog, ExitStatusesMapToCancelOrFailure) {
  struct Case {
    int Exit;
    std::uint32_t Code;
  };
  for (const Case c : {Case{1, 0}, Case{5, 0}, Case{255, CDERR_INITIALIZATION},
                       Case{3, CDERR_INITIALIZATION}}) {
    InstallFakeZenity("/tmp/a.txt\n", c.Exit);
    TSaveDialog d(nullptr);
    d.SetFileName(u"keep");
    EXPECT_FALSE(d.Execute()) << c.Exit;
    EXPECT_EQ(CommDlgExtendedError(), c.Code) << c.Exit;
    EXPECT_EQ(d.FileName(), u"keep");
  }
}

TEST_F(DesktopDialog, AnOverlongNameIsAFailureNotATruncatedName) {
  InstallFakeZenity("/" + std::string(40000, 'a'), 0);
  TSaveDialog d(nullptr);
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(d.FileName(), u"");
}

TEST_F(DesktopDialog, WithoutDisplayOrZenityTheDialogIsCancelled) {
  InstallFakeZenity("/tmp/a.txt\n", 0);
  {
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    TSaveDialog d(nullptr);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(CommDlgExtendedError(), 0u);
  }
  ScopedEnv emptyPath("PATH", Dir.NativeFile("nothing-here"));
  TSaveDialog d(nullptr);
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

}  // namespace
}  // namespace kez
