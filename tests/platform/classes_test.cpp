#include "kez/platform/classes.hpp"

#include <gtest/gtest.h>

#include <new>

#include "kez/kezbase.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

// Counts its destructions so that ownership can be observed.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* AOwner, int* Destroyed) : TComponent(AOwner), FDestroyed(Destroyed) {}
  ~TProbe() override { ++*FDestroyed; }

 private:
  int* FDestroyed;
};

class TOther : public TPersistent {
 public:
  // A subclass that hands a copy on to the inherited AssignTo, whatever the destination.
  void CopyInto(TPersistent* Dest) { AssignTo(Dest); }
};

TEST(Persistent, AssignToNothingIsAConversionError) {
  TOther o;
  EXPECT_THROW_MSG(o.CopyInto(nullptr), EConvertError, u"Cannot assign a TOther to a nil");
}

// Fails in its constructor the way components report an allocation failure.
class TGreedy : public TComponent {
 public:
  explicit TGreedy(TComponent* AOwner) : TComponent(AOwner) {
    GuardAllocation<EKEZError>(*this, u"not enough memory on heap", [] { throw std::bad_alloc(); });
  }
};

TEST(Component, OwnerDeletesWhatItOwns) {
  int destroyed = 0;
  auto* owner = new TComponent(nullptr);
  new TProbe(owner, &destroyed);
  auto* middle = new TProbe(owner, &destroyed);
  new TProbe(middle, &destroyed);
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(middle->Owner(), owner);
  delete owner;
  EXPECT_EQ(destroyed, 3);
}

TEST(Component, ChildDeletedFirstLeavesItsOwner) {
  int destroyed = 0;
  TComponent owner(nullptr);
  auto* first = new TProbe(&owner, &destroyed);
  auto* second = new TProbe(&owner, &destroyed);
  delete first;
  ASSERT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), second);
}

TEST(Component, StartsWithoutNameAndTag) {
  TComponent c(nullptr);
  EXPECT_TRUE(c.Name().empty());
  EXPECT_EQ(c.Tag(), 0);
  c.SetName(u"Feat1");
  c.SetTag(-7);
  EXPECT_EQ(c.Name(), u"Feat1");
  EXPECT_EQ(c.Tag(), -7);
}

TEST(Persistent, AssignOfAnUnrelatedClassIsAConversionError) {
  TComponent c(nullptr);
  TOther other;
  EXPECT_THROW_MSG(c.Assign(&other), EConvertError, u"Cannot assign a TOther to a TComponent");
  EXPECT_THROW_MSG(other.Assign(nullptr), EConvertError, u"Cannot assign a nil to a TOther");
}

TEST(ComponentMessage, QuotesTheNameUnchanged) {
  TComponent named(nullptr);
  named.SetName(u" Feat1 ");
  EXPECT_EQ(ComponentMessage(named, u"feature is not an integer"),
            u"Component \" Feat1 \": feature is not an integer");
  TComponent unnamed(nullptr);
  EXPECT_EQ(ComponentMessage(unnamed, u"FIFO structure too large"),
            u"Component \"\": FIFO structure too large");
}

TEST(ComponentMessage, AllocationFailureInAConstructorHasNoName) {
  EXPECT_THROW_MSG(TGreedy(nullptr), EKEZError, u"Component \"\": not enough memory on heap");
}

TEST(Exception, WhatGivesTheMessageAsUtf8) {
  const EKEZError e(u"caf\u00E9");
  EXPECT_STREQ(e.what(), "caf\xC3\xA9");
  const EInOutError io(u"File not found", 2);
  EXPECT_EQ(io.ErrorCode(), 2);
}

}  // namespace
}  // namespace kez
