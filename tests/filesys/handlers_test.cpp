// The save dialog's handlers may clear or replace themselves while they run.
#include <gtest/gtest.h>

#include "handler_probe.hpp"
#include "kez/filesys/savedialog.hpp"

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

}  // namespace
}  // namespace kez
