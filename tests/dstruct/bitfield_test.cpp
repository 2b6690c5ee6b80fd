#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/platform/random.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

TEST(TBitFld, Examples) {
  TBitFld bits(nullptr);
  EXPECT_EQ(bits.Size(), 1000);
  EXPECT_EQ(bits.CountTrueBits(), 0);
  EXPECT_EQ(bits.FirstTrueBit(), -1);
  bits.SetBit(1000, true);
  EXPECT_EQ(bits.FirstTrueBit(), 1000);
  bits.SetBit(3, true);
  EXPECT_EQ(bits.FirstTrueBit(), 3);
  EXPECT_EQ(bits.CountTrueBits(), 2);
  bits.ToggleBit(3);
  EXPECT_FALSE(bits.Bit(3));
}

TEST(TBitFld, PositionsRunFromZeroToSizeInclusive) {
  TBitFld bits(nullptr);
  for (std::int32_t size : {1, 7, 8, 9, 15, 16, 1000}) {
    SCOPED_TRACE(size);
    bits.SetSize(size);
    bits.Clear();
    for (std::int32_t ix : {-1, size + 1, -2147483647 - 1, 2147483647}) {
      bits.SetBit(ix, true);
      bits.ToggleBit(ix);
      EXPECT_FALSE(bits.GetBit(ix));
    }
    EXPECT_EQ(bits.CountTrueBits(), 0);
    bits.SetBit(size, true);
    EXPECT_TRUE(bits.GetBit(size));
    EXPECT_EQ(bits.FirstTrueBit(), size);
    bits.SetBit(0, true);
    EXPECT_EQ(bits.CountTrueBits(), 2);
    bits.Invert();
    EXPECT_EQ(bits.CountTrueBits(), size - 1);
    std::vector<std::int32_t> list;
    bits.MakeListOfBits(list, false);
    EXPECT_EQ(list, (std::vector<std::int32_t>{0, size}));
  }
}

TEST(TBitFld, ListOfClearedFieldHoldsEveryPosition) {
  TBitFld bits(nullptr);
  bits.SetSize(7);
  std::vector<std::int32_t> list{42, 43};
  bits.MakeListOfBits(list, false);
  EXPECT_EQ(list, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  bits.MakeListOfBits(list, true);
  EXPECT_TRUE(list.empty());
}

TEST(TBitFld, SizeSetterIgnoresNonPositiveAndKeepsBytes) {
  TBitFld bits(nullptr);
  bits.SetBit(5, true);
  bits.SetSize(0);
  bits.SetSize(-4);
  EXPECT_EQ(bits.Size(), 1000);
  bits.SetSize(20);
  EXPECT_TRUE(bits.GetBit(5));
  bits.SetSize(5000);
  EXPECT_TRUE(bits.GetBit(5));
  EXPECT_EQ(bits.CountTrueBits(), 1);
}

TEST(TBitFld, CountAndFirstIgnoreBitsAboveSize) {
  TBitFld bits(nullptr);
  bits.SetSize(15);
  bits.SetBit(15, true);
  bits.SetSize(9);  // bit 15 still sits in byte 1, above Size
  EXPECT_EQ(bits.CountTrueBits(), 0);
  EXPECT_EQ(bits.FirstTrueBit(), -1);
  bits.SetSize(15);
  EXPECT_TRUE(bits.GetBit(15));
}

struct CombineCase {
  TLogicOp op;
  std::uint8_t expected;  // for a = 0b1100, b = 0b1010 in the low nibble
};

class TBitFldCombine : public testing::TestWithParam<CombineCase> {};

TEST_P(TBitFldCombine, AppliesOperationToEveryPosition) {
  TBitFld a(nullptr), b(nullptr);
  a.SetSize(3);
  b.SetSize(3);
  a.SetBit(2, true);
  a.SetBit(3, true);
  b.SetBit(1, true);
  b.SetBit(3, true);
  a.CombineWith(b, GetParam().op);
  for (std::int32_t p = 0; p <= 3; ++p) {
    EXPECT_EQ(a.GetBit(p), ((GetParam().expected >> p) & 1) != 0) << p;
  }
  EXPECT_EQ(b.CountTrueBits(), 2);  // the argument stays unchanged
}

INSTANTIATE_TEST_SUITE_P(Ops, TBitFldCombine,
                         testing::Values(CombineCase{loAND, 0b1000}, CombineCase{loOR, 0b1110},
                                         CombineCase{loXOR, 0b0110}, CombineCase{loANDNot, 0b0100},
                                         CombineCase{loORNot, 0b1101},
                                         CombineCase{loXORNot, 0b1001}));

TEST(TBitFld, CombineWithOtherSizeDoesNothing) {
  TBitFld a(nullptr), b(nullptr);
  b.SetSize(999);
  b.Invert();
  a.CombineWith(b, loOR);
  EXPECT_EQ(a.CountTrueBits(), 0);
}

// The count works on whole words where it can; every split of words, bytes and the last
// partial byte must agree with counting position by position.
TEST(TBitFld, CountTrueBitsAgreesWithPositions) {
  RandSeed = 777;
  for (std::int32_t size : {1, 2, 7, 8, 127, 128, 129, 135, 136, 255, 1000, 4099, 65543}) {
    TBitFld bits(nullptr);
    bits.SetSize(size);
    for (std::int32_t p = 0; p <= size; ++p) bits.SetBit(p, Random(3) == 0);
    std::int32_t expected = 0;
    for (std::int32_t p = 0; p <= size; ++p) expected += bits.GetBit(p) ? 1 : 0;
    EXPECT_EQ(bits.CountTrueBits(), expected) << size;
    bits.Invert();
    EXPECT_EQ(bits.CountTrueBits(), size + 1 - expected) << size;
  }
}

TEST(TBitFld, RandomFillCounts) {
  TBitFld bits(nullptr);
  bits.SetSize(100);
  RandSeed = 12345;
  struct Case {
    std::int32_t n;
    std::int32_t expected;
  };
  // Up to Size div 2 exactly N bits are set; above it N + 1 (the fill clears Size - N of
  // the Size + 1 positions).
  for (Case c : {Case{-5, 0}, Case{0, 0}, Case{1, 1}, Case{50, 50}, Case{51, 52}, Case{99, 100},
                 Case{100, 101}, Case{1000, 101}}) {
    bits.RandomFill(c.n);
    EXPECT_EQ(bits.CountTrueBits(), c.expected) << c.n;
  }
  for (double percent : {0.0, -3.0, std::nan("")}) {
    bits.Invert();
    bits.RandomFill(percent);
    EXPECT_EQ(bits.CountTrueBits(), 0) << percent;
  }
  bits.RandomFill(100.0);
  EXPECT_EQ(bits.CountTrueBits(), 101);
  bits.RandomFill(250.0);
  EXPECT_EQ(bits.CountTrueBits(), 101);
  bits.RandomFill(30.0);
  EXPECT_EQ(bits.CountTrueBits(), 30);
}

TEST(TBitFld, RandomFillReachesBothEnds) {
  TBitFld bits(nullptr);
  bits.SetSize(4);
  RandSeed = 7;
  bool seen0 = false, seenSize = false;
  for (int i = 0; i < 200 && !(seen0 && seenSize); ++i) {
    bits.RandomFill(1);
    seen0 |= bits.GetBit(0);
    seenSize |= bits.GetBit(4);
  }
  EXPECT_TRUE(seen0);
  EXPECT_TRUE(seenSize);
}

TEST(TBitFld, CloneAndAssignCopySizeAndBits) {
  TBitFld source(nullptr);
  source.SetSize(77);
  source.SetBit(77, true);
  source.SetBit(12, true);

  TBitFld cloned(nullptr);
  cloned.SetBit(500, true);
  cloned.Clone(&source);
  cloned.Clone(nullptr);
  EXPECT_EQ(cloned.Size(), 77);
  EXPECT_EQ(cloned.CountTrueBits(), 2);
  EXPECT_TRUE(cloned.GetBit(77));

  TBitFld assigned(nullptr);
  assigned.Assign(&source);
  EXPECT_EQ(assigned.Size(), 77);
  EXPECT_TRUE(assigned.GetBit(12));

  TComponent other(nullptr);
  EXPECT_THROW(assigned.Assign(&other), EConvertError);
  EXPECT_THROW(other.Assign(&assigned), EConvertError);  // no endless bounce
}

TEST(TByteMatrix, Examples) {
  TByteMatrix mat(nullptr);
  EXPECT_EQ(mat.NrOfColumns(), 1);
  EXPECT_EQ(mat.NrOfRows(), 1);
  int changes = 0;
  mat.SetOnChange([&](TObject* Sender) {
    EXPECT_EQ(Sender, &mat);
    ++changes;
  });
  EXPECT_TRUE(mat.Resize(3, 2));
  mat.SetByte(3, 2, 0x81);
  EXPECT_EQ(mat.Byte(3, 2), 0x81);
  EXPECT_TRUE(mat.Bit(3, 2, 7));
  EXPECT_TRUE(mat.Bit(3, 2, 0));
  EXPECT_FALSE(mat.Bit(3, 2, 8));
  mat.ToggleBit(3, 2, 7);
  EXPECT_EQ(mat.Byte(3, 2), 0x01);
  EXPECT_EQ(changes, 3);
}

TEST(TByteMatrix, OutOfRangeIsIgnoredSilently) {
  TByteMatrix mat(nullptr);
  mat.Resize(2, 2);
  int changes = 0;
  mat.SetOnChange([&](TObject*) { ++changes; });
  for (auto [c, r] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{3, 1}, std::pair{1, 3}}) {
    mat.SetByte(c, r, 9);
    mat.SetBit(c, r, 0, true);
    mat.ToggleBit(c, r, 0);
    EXPECT_EQ(mat.GetByte(c, r), 0);
    EXPECT_FALSE(mat.GetBit(c, r, 0));
  }
  for (std::int32_t ix : {-1, 8}) {
    mat.SetBit(1, 1, ix, true);
    mat.ToggleBit(1, 1, ix);
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(mat.GetByte(1, 1), 0);
}

TEST(TByteMatrix, ResizeKeepsOverlapAndRefusesBadSizes) {
  TByteMatrix mat(nullptr);
  mat.Resize(3, 3);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 3; ++r) mat.SetByte(c, r, static_cast<std::uint8_t>(10 * c + r));
  EXPECT_FALSE(mat.Resize(0, 5));
  EXPECT_FALSE(mat.Resize(5, -1));
  EXPECT_FALSE(mat.Resize(3, 3));
  EXPECT_EQ(mat.NrOfColumns(), 3);
  EXPECT_TRUE(mat.Resize(2, 4));
  EXPECT_EQ(mat.GetByte(2, 3), 23);
  EXPECT_EQ(mat.GetByte(1, 1), 11);
  EXPECT_EQ(mat.GetByte(2, 4), 0);
  EXPECT_EQ(mat.GetByte(3, 1), 0);
  mat.SetNrOfColumns(0);
  EXPECT_EQ(mat.NrOfColumns(), 1);
  EXPECT_EQ(mat.NrOfRows(), 4);
  mat.SetNrOfRows(-3);
  EXPECT_EQ(mat.NrOfRows(), 1);
  EXPECT_EQ(mat.GetByte(1, 1), 11);
  // Sizes beyond memory fail cleanly, without asking for the memory first.
  mat.SetName(u"BM");
  EXPECT_THROW_MSG(mat.Resize(INT32_MAX, INT32_MAX), EKEZDStructError,
                   u"Component \"BM\": not enough memory on heap");
  EXPECT_EQ(mat.NrOfColumns(), 1);
  EXPECT_EQ(mat.GetByte(1, 1), 11);
}

TEST(TByteMatrix, MirrorsSwapAroundTheMiddle) {
  TByteMatrix mat(nullptr);
  mat.Resize(3, 4);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 4; ++r) mat.SetByte(c, r, static_cast<std::uint8_t>(10 * c + r));
  mat.MirrorColumns();
  EXPECT_EQ(mat.GetByte(1, 2), 32);
  EXPECT_EQ(mat.GetByte(2, 2), 22);
  EXPECT_EQ(mat.GetByte(3, 4), 14);
  mat.MirrorRows();
  EXPECT_EQ(mat.GetByte(1, 1), 34);
  EXPECT_EQ(mat.GetByte(1, 4), 31);
  EXPECT_EQ(mat.GetByte(2, 3), 22);

  TByteMatrix single(nullptr);
  single.SetByte(1, 1, 5);
  int changes = 0;
  single.SetOnChange([&](TObject*) { ++changes; });
  single.MirrorColumns();
  single.MirrorRows();
  EXPECT_EQ(single.GetByte(1, 1), 5);
  EXPECT_EQ(changes, 2);
}

TEST(TByteMatrix, CombineWithAppliesToEveryByteWithoutChange) {
  TByteMatrix a(nullptr), b(nullptr);
  a.Resize(2, 3);
  b.Resize(2, 3);
  a.Fill(0x5A);
  b.Fill(0x5A);
  int changes = 0;
  a.SetOnChange([&](TObject*) { ++changes; });
  a.CombineWith(b, loXORNot);
  EXPECT_EQ(a.GetByte(1, 1), 0xFF);
  EXPECT_EQ(a.GetByte(2, 3), 0xFF);
  a.CombineWith(b, loANDNot);
  EXPECT_EQ(a.GetByte(2, 2), 0xA5);
  EXPECT_EQ(changes, 0);

  TByteMatrix other(nullptr);
  other.Resize(3, 2);
  a.CombineWith(other, loAND);
  EXPECT_EQ(a.GetByte(1, 1), 0xA5);
}

TEST(TByteMatrix, AssignCopiesSizesBytesAndHandlerWithoutFiring) {
  TByteMatrix source(nullptr), dest(nullptr);
  source.Resize(2, 5);
  source.SetByte(2, 5, 77);
  int sourceChanges = 0;
  source.SetOnChange([&](TObject*) { ++sourceChanges; });
  dest.Assign(&source);
  EXPECT_EQ(sourceChanges, 0);
  EXPECT_EQ(dest.NrOfColumns(), 2);
  EXPECT_EQ(dest.NrOfRows(), 5);
  EXPECT_EQ(dest.GetByte(2, 5), 77);
  dest.SetByte(1, 1, 1);
  EXPECT_EQ(sourceChanges, 1);  // the handler itself came along

  TBitFld bits(nullptr);
  EXPECT_THROW(dest.Assign(&bits), EConvertError);
}

}  // namespace
}  // namespace kez
