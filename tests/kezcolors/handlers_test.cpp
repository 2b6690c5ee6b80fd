// The change handler may clear or replace itself, or assign its object, while it runs.
#include <gtest/gtest.h>

#include <memory>

#include "handler_probe.hpp"
#include "kez/kezcolors.hpp"

namespace kez {
namespace {

TEST(Handlers, ColorArrayOnChangeMayChangeItself) {
  test::ExpectOnChangeMayChangeItself<TColorArray>(
      [] { return std::make_unique<TColorArray>(nullptr); },
      [](TColorArray& o) { o.SetColorElem(1, 0x123456); });
}

}  // namespace
}  // namespace kez
