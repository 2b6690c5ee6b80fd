#include "kez/package.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "handler_probe.hpp"

namespace kez {
namespace {

const std::vector<String> kStartOrder = {
    u"kez.platform", u"KEZ_univconst",   u"KEZ_kezbase", u"KEZ_kezcolors", u"KEZ_stringl",
    u"KEZ_streams",  u"KEZ_htmlsupport", u"KEZ_dstruct", u"KEZ_cpuid",     u"KEZ_filesys",
    u"kez"};

// Records the start and stop work as "+name" / "-name".
class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPackageTraceHook([this](StringView unit, bool started) {
      Events.push_back((started ? u"+" : u"-") + String(unit));
    });
  }
  void TearDown() override { SetPackageTraceHook({}); }
  std::vector<String> Events;
};

TEST_F(PackageTest, TableListsTheUnitsInStartOrder) {
  const TPackageInfoTable& table = GetPackageInfoTable();
  ASSERT_EQ(table.UnitCount, static_cast<std::int32_t>(kStartOrder.size()));
  for (std::size_t i = 0; i < kStartOrder.size(); ++i)
    EXPECT_EQ(String(table.Units[i].Name), kStartOrder[i]);
  // The units with nothing to do, and the package itself, have empty entries.
  for (const int empty : {1, 5, 6, 10}) {
    EXPECT_EQ(table.Units[empty].Start, nullptr);
    EXPECT_EQ(table.Units[empty].Stop, nullptr);
  }
}

// A hook left installed by a host is not called from the unload-time stop, which runs
// after the host's globals (which the hook may use) are destroyed.
TEST(PackageUnload, ForgetsTheTraceHookBeforeTheUnloadTimeStop) {
  EXPECT_EXIT(
      {
        SetPackageTraceHook([](StringView, bool) { std::_Exit(3); });
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

// A hook may remove or replace itself while it runs.
TEST(PackageHook, MayRemoveItselfWhileItRuns) {
  test::HandlerProbe probe;
  SetPackageTraceHook(probe.Make([] { SetPackageTraceHook({}); }));
  Finalize();    // the stop work of every unit: the first one calls the hook
  Initialize();  // started again, as at load
  EXPECT_EQ(probe.Calls, 1);
  EXPECT_TRUE(probe.AliveAfterChange);
}

TEST_F(PackageTest, LibraryIsStartedWhenLoaded) {
  for (std::int32_t i = 0; i < GetPackageInfoTable().UnitCount; ++i)
    EXPECT_EQ(UnitRunCounter(i), -1);
}

TEST_F(PackageTest, StartsOnceAndStopsOnTheMatchingLastFinalize) {
  Finalize();  // undo the start at load time
  std::vector<String> stops;
  for (auto it = kStartOrder.rbegin(); it != kStartOrder.rend(); ++it) stops.push_back(u"-" + *it);
  EXPECT_EQ(Events, stops);

  Events.clear();
  Initialize();
  Initialize();
  std::vector<String> starts;
  for (const auto& unit : kStartOrder) starts.push_back(u"+" + unit);
  EXPECT_EQ(Events, starts);
  EXPECT_EQ(UnitRunCounter(0), -2);

  Events.clear();
  Finalize();
  EXPECT_TRUE(Events.empty());
  Finalize();
  EXPECT_EQ(Events, stops);

  // Once stopped, a further Finalize leaves every unit alone.
  Events.clear();
  Finalize();
  EXPECT_TRUE(Events.empty());
  EXPECT_EQ(UnitRunCounter(0), 0);
  Initialize();  // leave the library started for the other tests
}

TEST_F(PackageTest, RunCounterOutsideTheTableIsZero) {
  EXPECT_EQ(UnitRunCounter(-1), 0);
  EXPECT_EQ(UnitRunCounter(GetPackageInfoTable().UnitCount), 0);
}

}  // namespace
}  // namespace kez
