// A stored handler may clear or replace itself, or assign its object, while it runs.
#include <gtest/gtest.h>

#include <memory>

#include "handler_probe.hpp"
#include "kez/dstruct/bitfield.hpp"
#include "kez/dstruct/featurematrix.hpp"
#include "kez/dstruct/stringarray.hpp"

namespace kez {
namespace {

template <class T>
std::unique_ptr<T> Fresh() {
  return std::make_unique<T>(nullptr);
}

TEST(Handlers, ByteMatrixOnChangeMayChangeItself) {
  test::ExpectOnChangeMayChangeItself<TByteMatrix>(Fresh<TByteMatrix>,
                                                   [](TByteMatrix& o) { o.SetNrOfRows(4); });
}

TEST(Handlers, FeatureMatrixOnChangeMayChangeItself) {
  test::ExpectOnChangeMayChangeItself<TFeatureMatrix>(
      Fresh<TFeatureMatrix>, [](TFeatureMatrix& o) { o.Resize(2, 3); });
}

TEST(Handlers, StringArrayOnChangeMayChangeItself) {
  test::ExpectOnChangeMayChangeItself<TStringArray>(
      Fresh<TStringArray>, [](TStringArray& o) { o.Resize(2, 2); });
}

// The sort's hooks: the key hook and the progress report each clear themselves.
TEST(Handlers, StringArraySortHooksMayClearThemselves) {
  TStringArray table(nullptr);
  table.Resize(1, 3);
  table.SetString(1, 1, "b");
  table.SetString(1, 2, "c");
  table.SetString(1, 3, "a");
  test::HandlerProbe keys;
  table.SetOnBeforeSortExchange(keys.Make([&table] { table.SetOnBeforeSortExchange(nullptr); }));
  test::HandlerProbe progress;
  table.SetOnPercentDone(progress.Make([&table] { table.SetOnPercentDone(nullptr); }));
  table.Sort(1, 0, true);
  EXPECT_EQ(keys.Calls, 1);
  EXPECT_TRUE(keys.AliveAfterChange);
  EXPECT_EQ(progress.Calls, 1);
  EXPECT_TRUE(progress.AliveAfterChange);
}

}  // namespace
}  // namespace kez
