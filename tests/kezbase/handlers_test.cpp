// A change handler may clear or replace itself, or assign its object, while it runs.
#include <gtest/gtest.h>

#include <memory>

#include "handler_probe.hpp"
#include "kez/kezbase.hpp"

namespace kez {
namespace {

template <class T>
std::unique_ptr<T> Fresh() {
  return std::make_unique<T>();
}

TEST(Handlers, CrossHairOnChangeMayChangeItself) {
  test::ExpectOnChangeMayChangeItself<TCrossHair>(Fresh<TCrossHair>,
                                                  [](TCrossHair& o) { o.SetCrossHPosX(3); });
}

TEST(Handlers, DTLabelOnChangeMayChangeItself) {
  test::ExpectOnChangeMayChangeItself<TDTLabel>(
      Fresh<TDTLabel>, [](TDTLabel& o) { o.SetTimeFormat(TTimeFormat{}); });
}

TEST(Handlers, TextLabelOnChangeMayChangeItself) {
  test::ExpectOnChangeMayChangeItself<TCustomTextLabel>(
      Fresh<TCustomTextLabel>, [](TCustomTextLabel& o) { o.SetTxtLblPosX(7); });
}

}  // namespace
}  // namespace kez
