// A stored handler may clear or replace itself, or assign its object, while it runs.
#include <gtest/gtest.h>

#include <memory>

#include "handler_probe.hpp"
#include "kez/platform/dialogs.hpp"
#include "kez/platform/graphics_tools.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

TEST(Handlers, CallHandlerSkipsAnEmptySlotAndPassesArgumentsThrough) {
  std::function<void(int&)> slot;
  int value = 1;
  CallHandler(slot, value);
  slot = [&slot](int& v) {
    slot = nullptr;
    v = 2;
  };
  CallHandler(slot, value);
  EXPECT_EQ(value, 2);
  EXPECT_FALSE(slot);
}

TEST(Handlers, GraphicsObjectOnChangeMayChangeItself) {
  test::ExpectOnChangeMayChangeItself<TPen>([] { return std::make_unique<TPen>(); },
                                            [](TPen& o) { o.SetColor(0x00FF00); });
}

TEST(Handlers, SaveDialogOnTypeChangeMayChangeItself) {
  test::ScopedSaveDialogBackend backend([](TSaveDialog&, std::uint32_t&) { return false; });
  TSaveDialog dialog(nullptr);
  test::HandlerProbe probe;
  dialog.SetOnTypeChange(probe.Make([&dialog] { dialog.SetOnTypeChange(nullptr); }));
  dialog.SelectFileType(2);
  EXPECT_EQ(probe.Calls, 1);
  EXPECT_TRUE(probe.AliveAfterChange);
}

}  // namespace
}  // namespace kez
