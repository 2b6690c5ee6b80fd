// The save dialog's handlers may clear or replace themselves while they run, and so may the
// feedback of a tree copy (which the process keeps while the copy runs).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "handler_probe.hpp"
#include "kez/filesys/savedialog.hpp"
#include "kez/filesys/trees.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

TEST(Handlers, UnivSaveDialogHandlersMayClearThemselves) {
  TUnivSaveDialog dialog(nullptr);
  dialog.SetUseStandardDialog(false);
  test::HandlerProbe select;
  dialog.SetOnFileSelect(select.Make([&dialog] {
    dialog.SetOnFileSelect(nullptr);  // the handler leaves the choice cancelled
  }));
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(select.Calls, 1);
  EXPECT_TRUE(select.AliveAfterChange);

  // A chosen name that the check handler (clearing itself) reports as new is accepted.
  dialog.SetOnFileSelect([](TObject*, const String&, TModalResult& action, String& name) {
    action = mrOk;
    name = u"/nonexistent-folder/new.txt";
  });
  test::HandlerProbe check;
  dialog.SetOnFileCheck(check.Make([&dialog] { dialog.SetOnFileCheck(nullptr); }));
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(check.Calls, 1);
  EXPECT_TRUE(check.AliveAfterChange);
}

// Records where each copy of a closure's state dies.
struct DeathLog {
  std::vector<const void*> Dead;
};
struct Sentinel {
  DeathLog* Log;
  ~Sentinel() { Log->Dead.push_back(this); }
};

TEST(Handlers, TreeCopyFeedbackMayStartAnotherCopy) {
  test::TempDir tmp;
  std::filesystem::create_directory(tmp.Path() / "src");
  std::filesystem::create_directory(tmp.Path() / "other");
  test::WriteBytes(tmp.NativeFile("src/a.txt"), std::string(20000, 'a'));
  test::WriteBytes(tmp.NativeFile("other/b.txt"), "b");
  DeathLog log;
  int calls = 0;
  bool aliveAfter = false;
  // The copy started from the feedback takes over the process-wide copy state; the closure
  // that runs must outlive it.
  CopyFileTree(tmp.File("src"), tmp.File("dst"), false,
               [sentinel = Sentinel{&log}, &tmp, &calls, &aliveAfter, &log](
                   std::int64_t, std::int64_t, const String&, std::int32_t) {
                 if (calls++ > 0) return;
                 log.Dead.clear();
                 CopyFileTree(tmp.File("other"), tmp.File("dst2"), false, nullptr);
                 aliveAfter = std::find(log.Dead.begin(), log.Dead.end(), &sentinel) ==
                              log.Dead.end();
               });
  EXPECT_GE(calls, 1);
  EXPECT_TRUE(aliveAfter);
  EXPECT_EQ(test::ReadBytes(tmp.NativeFile("dst/a.txt")), std::string(20000, 'a'));
  EXPECT_EQ(test::ReadBytes(tmp.NativeFile("dst2/b.txt")), "b");
}

}  // namespace
}  // namespace kez
