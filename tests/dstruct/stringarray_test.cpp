#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "kez/dstruct.hpp"
#include "small_pool_array.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::SmallPoolArray;

std::string Long(char ch) { return std::string(255, ch); }

TEST(StringArray, Examples) {
  TStringArray table(nullptr);
  EXPECT_EQ(table.NrOfColumns(), 1);
  EXPECT_EQ(table.NrOfRows(), 1);
  EXPECT_EQ(table.AllocRowsBy(), 10);
  EXPECT_EQ(table.NumBuffers(), 1);
  EXPECT_EQ(table.Elem(0, 1), "");
  EXPECT_EQ(table.Elem(1, 1), "");

  ASSERT_TRUE(table.Resize(2, 3));
  table.SetString(0, 1, "key");
  table.SetString(2, 3, "caf\xE9");
  EXPECT_EQ(table.Elem(0, 1), "key");
  EXPECT_EQ(table.Elem(2, 3), "caf\xE9");
  table.SetString(2, 2, " 3,5 ");
  EXPECT_DOUBLE_EQ(table.AsNumber(2, 2), 3.5);
}

TEST(StringArray, OutOfRangeCellsReadEmptyAndIgnoreWrites) {
  TStringArray table(nullptr);
  table.Resize(2, 2);
  int changes = 0;
  table.SetOnChange([&](TObject*) { ++changes; });
  for (auto [c, r] : {std::pair{-1, 1}, {3, 1}, {1, 0}, {1, 3}}) {
    table.SetString(c, r, "x");
    EXPECT_EQ(table.GetString(c, r), "");
  }
  table.SetRowAttrib(0, 7);
  table.SetRowAttrib(3, 7);
  table.SetColAttrib(0, 5);
  table.SetColAttrib(3, 5);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(table.ColAttrib(0), 0);
  EXPECT_EQ(table.RowAttrib(0), 0);
  EXPECT_TRUE(table.ColumnEmpty(1) && table.ColumnEmpty(0) && table.ColumnEmpty(2));
}

TEST(StringArray, LongTextIsCutTo255Characters) {
  TStringArray table(nullptr);
  table.SetString(1, 1, std::string(300, 'a'));
  EXPECT_EQ(table.Elem(1, 1), std::string(255, 'a'));
}

TEST(StringArray, TextsOfEveryLengthReadBackByteForByte) {
  TStringArray table(nullptr);
  table.Resize(2, 300);
  std::mt19937 gen(26);
  std::vector<std::string> texts;
  for (std::int32_t r = 1; r <= 300; ++r) {
    std::string text(static_cast<std::size_t>(r - 1), '\0');  // 0 ... 299 bytes
    for (char& ch : text) ch = static_cast<char>(gen() % 256);
    texts.push_back(text.substr(0, 255));
    table.SetString(1, r, text);
    table.SetString(2, r, texts.back().substr(0, gen() % (texts.back().size() + 1)));
  }
  for (std::int32_t r = 1; r <= 300; ++r) {
    ASSERT_EQ(table.Elem(1, r), texts[static_cast<std::size_t>(r - 1)]) << r;
    table.SetString(2, r, texts[static_cast<std::size_t>(r - 1)]);  // grows or reuses the slot
    ASSERT_EQ(table.Elem(2, r), texts[static_cast<std::size_t>(r - 1)]) << r;
  }
}

TEST(StringArrayPool, BlocksTake127LongStringsAndCompactionKeepsEveryCell) {
  TStringArray table(nullptr);
  table.Resize(3, 100);
  for (int c = 0; c <= 2; ++c) {
    for (int r = 1; r <= 100; ++r) table.SetString(c, r, Long(static_cast<char>('a' + c)));
  }
  EXPECT_EQ(table.NumBuffers(), 3);  // 300 strings of 256 bytes, 127 per block

  for (int c = 0; c <= 2; ++c) {
    for (int r = 1; r <= 100; ++r) table.SetString(c, r, std::to_string(c * 1000 + r));
  }
  table.GarbageCollection();
  EXPECT_EQ(table.NumBuffers(), 3);
  // The reclaimed space takes another 100 long strings without a new block.
  for (int r = 1; r <= 100; ++r) table.SetString(3, r, Long('z'));
  EXPECT_EQ(table.NumBuffers(), 3);
  for (int c = 0; c <= 2; ++c) {
    for (int r = 1; r <= 100; ++r) ASSERT_EQ(table.Elem(c, r), std::to_string(c * 1000 + r));
  }
  for (int r = 1; r <= 100; ++r) ASSERT_EQ(table.Elem(3, r), Long('z'));
}

TEST(StringArrayPool, TextNotLongerThanTheStoredOneReusesTheSlot) {
  TStringArray table(nullptr);
  table.Resize(1, 128);
  for (int r = 1; r <= 127; ++r) table.SetString(1, r, Long('a'));
  table.SetString(1, 128, "hello");  // block 1 has 249 bytes left
  for (int i = 0; i < 1000; ++i) table.SetString(1, 128, "hi");
  EXPECT_EQ(table.NumBuffers(), 1);
  // The slot now holds 2 characters, so "hey" needs a new 4-byte slot each time.
  for (int i = 0; i < 200; ++i) table.SetString(1, 128, i % 2 ? "hi" : "hey");
  EXPECT_EQ(table.NumBuffers(), 2);
  EXPECT_EQ(table.Elem(1, 128), "hi");
}

TEST(StringArrayPool, FullPoolIsCompactedBeforeGrowing) {
  SmallPoolArray table(1);
  table.Resize(1, 2);
  table.SetString(0, 1, "keep");
  // Each store of a longer text abandons the old slot; compaction reclaims it.
  for (int i = 0; i < 2000; ++i) {
    table.SetString(1, 2, "");
    table.SetString(1, 2, Long(static_cast<char>('a' + i % 26)));
  }
  EXPECT_EQ(table.NumBuffers(), 1);
  EXPECT_EQ(table.Elem(0, 1), "keep");
  EXPECT_EQ(table.Elem(1, 2), Long(static_cast<char>('a' + 1999 % 26)));
}

TEST(StringArrayPool, FullPoolRefusesTheStoreAndKeepsTheCell) {
  SmallPoolArray table(2);
  table.Resize(1, 200);
  for (int r = 1; r <= 254; ++r) table.SetString(r > 127 ? 0 : 1, r > 127 ? r - 127 : r, Long('q'));
  EXPECT_EQ(table.NumBuffers(), 2);
  table.SetString(1, 128, "short");
  EXPECT_THROW_MSG(table.SetString(1, 128, Long('w')), EKEZDStructError,
                   u"Class TStringArray: string pool is full");
  EXPECT_EQ(table.Elem(1, 128), "short");
  EXPECT_EQ(table.Elem(1, 1), Long('q'));
  EXPECT_EQ(table.Elem(0, 127), Long('q'));
}

TEST(StringArrayResize, InvalidOrSameSizeChangesNothing) {
  TStringArray table(nullptr);
  table.Resize(2, 3);
  table.SetString(2, 3, "x");
  int changes = 0;
  table.SetOnChange([&](TObject*) { ++changes; });
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  for (auto [c, r] : {std::pair{0, 5}, {3, -1}, {1, kMax}, {kMax, 1}, {100000, 100000}}) {
    EXPECT_FALSE(table.Resize(c, r)) << c << " x " << r;
  }
  EXPECT_TRUE(table.Resize(2, 3));
  EXPECT_EQ(changes, 3);  // the refused sizes that got as far as allocating
  EXPECT_EQ(table.NrOfColumns(), 2);
  EXPECT_EQ(table.NrOfRows(), 3);
  EXPECT_EQ(table.Elem(2, 3), "x");
}

TEST(StringArrayResize, RowsComingBackIntoViewAreEmpty) {
  for (bool reallocate : {false, true}) {
    TStringArray table(nullptr);
    table.Resize(2, 5);
    for (int r = 1; r <= 5; ++r) {
      table.SetString(0, r, "a");
      table.SetString(2, r, "b");
      table.SetRowAttrib(r, static_cast<std::uint8_t>(r));
    }
    ASSERT_TRUE(table.Resize(2, 3));
    ASSERT_TRUE(reallocate ? table.Resize(3, 5) : table.Resize(2, 5));
    for (int r = 1; r <= 5; ++r) {
      EXPECT_EQ(table.Elem(0, r), r <= 3 ? "a" : "");
      EXPECT_EQ(table.Elem(2, r), r <= 3 ? "b" : "");
      EXPECT_EQ(table.RowAttrib(r), r <= 3 ? r : 0);
    }
    EXPECT_EQ(table.Elem(3, 1), "");
  }
}

TEST(StringArrayResize, GrowthKeepsCellsAcrossReallocations) {
  TStringArray table(nullptr);
  table.SetAllocRowsBy(0);
  EXPECT_EQ(table.AllocRowsBy(), 1);
  table.SetAllocRowsBy(3);
  for (int r = 1; r <= 50; ++r) {
    EXPECT_EQ(table.AddRow(), r + 1);
    table.SetString(1, r, std::to_string(r));
  }
  table.SetColAttrib(1, 9);
  table.SetNrCols(4);
  EXPECT_EQ(table.ColAttrib(1), 9);
  EXPECT_EQ(table.ColAttrib(4), 0);
  table.SetNrCols(1);
  for (int r = 1; r <= 50; ++r) ASSERT_EQ(table.Elem(1, r), std::to_string(r));
}

TEST(StringArrayResize, RowsGrowOneByOneWhateverTheAllocationUnit) {
  for (std::int32_t unit : {INT32_MIN, -1, 0, 1, 7, INT32_MAX}) {
    TStringArray table(nullptr);
    table.SetAllocRowsBy(unit);
    EXPECT_EQ(table.AllocRowsBy(), std::max(unit, 1));
    for (std::int32_t r = 2; r <= 3000; ++r) ASSERT_EQ(table.AddRow(), r) << unit;
    table.SetString(0, 3000, "last");
    table.SetRowAttrib(3000, 5);
    ASSERT_TRUE(table.Resize(2, 100));
    ASSERT_TRUE(table.Resize(2, 3000));
    EXPECT_EQ(table.Elem(0, 3000), "");
    EXPECT_EQ(table.RowAttrib(3000), 0);
  }
}

TEST(StringArrayResize, AddingARowShowsThePhysicalOrderAgain) {
  TStringArray table(nullptr);
  table.Resize(1, 3);
  table.SetString(1, 1, "c");
  table.SetString(1, 2, "a");
  table.SetString(1, 3, "b");
  table.Sort(1, 0, true);
  ASSERT_EQ(table.Elem(1, 1), "a");
  EXPECT_EQ(table.AddRow(), 4);
  for (std::int32_t r = 1; r <= 4; ++r) EXPECT_EQ(table.SortOrder(r), r);
  EXPECT_EQ(table.Elem(1, 1), "c");
}

struct NumberCase {
  const char* text;
  double number;
  std::int32_t integer;
};

class StringArrayNumbers : public testing::TestWithParam<NumberCase> {};

TEST_P(StringArrayNumbers, ReadsCellsAsNumbers) {
  TStringArray table(nullptr);
  table.SetString(1, 1, GetParam().text);
  EXPECT_DOUBLE_EQ(table.AsNumber(1, 1), GetParam().number);
  EXPECT_EQ(table.AsInteger(1, 1), GetParam().integer);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StringArrayNumbers,
    testing::Values(NumberCase{" 3,5 ", 3.5, 4}, NumberCase{"", 0, 0}, NumberCase{"   ", 0, 0},
                    NumberCase{"2.5", 2.5, 2}, NumberCase{"-2.5", -2.5, -2},
                    NumberCase{"1e3", 1000, 1000}, NumberCase{"1e12", 1e12, 2147483647},
                    NumberCase{"-1e12", -1e12, -2147483647}, NumberCase{"+.5", 0.5, 0},
                    // Beyond the double range: still numbers, clamped as integers.
                    NumberCase{"1e400", HUGE_VAL, 2147483647},
                    NumberCase{"-1E+400", -HUGE_VAL, -2147483647}, NumberCase{"1e-400", 0, 0},
                    NumberCase{"2147483647.5", 2147483647.5, 2147483647}));

TEST(StringArrayNumbers, NonNumbersRaiseWithTheCellAndItsText) {
  TStringArray table(nullptr);
  table.Resize(2, 7);
  for (const char* text :
       {"abc", "1.2.3", "INF", "nan", "1,5x", "\t1", "1e", "-", ".", "0x10", "1e+-2", "\xB2"}) {
    table.SetString(2, 7, text);
    EXPECT_THROW_MSG(table.AsNumber(2, 7), EKEZDStructError,
                     u"Class TStringArray: invalid numeric string: [2,7]: " + AnsiToString(text));
  }
  table.SetString(2, 7, " x ");
  EXPECT_THROW_MSG(table.AsInteger(2, 7), EKEZDStructError,
                   u"Class TStringArray: invalid numeric string: [2,7]:  x ");
}

TEST(StringArray, FillStoresEveryCellAndEmptyFillClears) {
  TStringArray table(nullptr);
  table.Resize(2, 3);
  int changes = 0;
  table.SetOnChange([&](TObject*) { ++changes; });
  table.Fill("x");
  EXPECT_EQ(changes, 9);
  EXPECT_EQ(table.Elem(0, 1), "x");
  EXPECT_EQ(table.Elem(2, 3), "x");
  table.SetRowAttrib(2, 4);
  table.SetColAttrib(1, 4);
  changes = 0;
  table.Fill("");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(table.Elem(2, 3), "");
  EXPECT_EQ(table.RowAttrib(2), 0);
  EXPECT_EQ(table.ColAttrib(1), 0);
  EXPECT_EQ(table.NrOfRows(), 3);
}

TEST(StringArray, ClearCutsThePoolBackToOneBlock) {
  TStringArray table(nullptr);
  table.Resize(1, 300);
  for (int r = 1; r <= 300; ++r) table.SetString(1, r, Long('a'));
  EXPECT_EQ(table.NumBuffers(), 3);
  table.Clear();
  EXPECT_EQ(table.NumBuffers(), 1);
  EXPECT_EQ(table.Elem(1, 300), "");
  table.SetString(1, 1, "again");
  EXPECT_EQ(table.Elem(1, 1), "again");
}

TEST(StringArray, OnlyBlanksCountAsEmpty) {
  TStringArray table(nullptr);
  table.Resize(2, 3);
  table.SetString(1, 1, "   ");
  table.SetString(0, 2, "column zero");
  EXPECT_TRUE(table.ColumnEmpty(1));
  EXPECT_TRUE(table.RowEmpty(2));  // column 0 is not looked at
  EXPECT_FALSE(table.ColumnEmpty(0));
  table.SetString(2, 3, "\t");
  EXPECT_FALSE(table.ColumnEmpty(2));
  EXPECT_FALSE(table.RowEmpty(3));
  EXPECT_TRUE(table.RowEmpty(99));
}

TEST(StringArray, AssignMakesAnIndependentCopyWithoutEvents) {
  TStringArray source(nullptr);
  source.Resize(2, 300);
  for (int r = 1; r <= 300; ++r) source.SetString(2, r, Long(static_cast<char>('a' + r % 26)));
  source.SetString(0, 1, "zero");
  source.SetRowAttrib(3, 3);
  source.SetColAttrib(2, 2);
  int sourceChanges = 0;
  source.SetOnChange([&](TObject*) { ++sourceChanges; });

  TStringArray copy(nullptr);
  copy.Assign(&source);
  EXPECT_EQ(sourceChanges, 0);
  EXPECT_EQ(copy.NrOfColumns(), 2);
  EXPECT_EQ(copy.NrOfRows(), 300);
  EXPECT_EQ(copy.NumBuffers(), source.NumBuffers());
  EXPECT_EQ(copy.Elem(0, 1), "zero");
  EXPECT_EQ(copy.RowAttrib(3), 3);
  EXPECT_EQ(copy.ColAttrib(2), 2);
  copy.SetString(2, 5, "changed");  // fires the copied handler
  EXPECT_EQ(sourceChanges, 1);
  EXPECT_EQ(source.Elem(2, 5), Long(static_cast<char>('a' + 5)));
  copy.SetString(2, 6, "x");
  EXPECT_EQ(source.Elem(2, 6), Long(static_cast<char>('a' + 6)));

  TComponent other(nullptr);
  EXPECT_THROW(copy.Assign(&other), EConvertError);
  EXPECT_EQ(copy.Elem(0, 1), "zero");
}

}  // namespace
}  // namespace kez
