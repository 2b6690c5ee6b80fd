#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kez/dstruct.hpp"
#include "small_pool_array.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::SmallPoolArray;

// A one-column table holding Keys in rows 1 ... n, the row number in column 0.
void Load(TStringArray& Table, const std::vector<std::string>& Keys) {
  Table.Resize(2, static_cast<std::int32_t>(Keys.size()));
  for (std::size_t i = 0; i < Keys.size(); ++i) {
    const auto r = static_cast<std::int32_t>(i + 1);
    Table.SetString(0, r, std::to_string(r));
    Table.SetString(1, r, Keys[i]);
  }
}

std::vector<std::string> Column(const TStringArray& Table, std::int32_t c) {
  std::vector<std::string> out;
  for (std::int32_t r = 1; r <= Table.NrOfRows(); ++r) out.push_back(Table.Elem(c, r));
  return out;
}

using Keys = std::vector<std::string>;

TEST(StringArraySort, FoldsOnlyAToZAndComparesByCodeUnit) {
  TStringArray table(nullptr);
  Load(table, {"b", "A", "c"});
  table.Sort(1, 0, true);
  EXPECT_EQ(Column(table, 1), (Keys{"A", "b", "c"}));
  table.Sort(1, 0, false);
  EXPECT_EQ(Column(table, 1), (Keys{"c", "b", "A"}));

  // "\xC9" is É, not folded; "\x80" is the euro sign U+20AC, above every Latin-1 letter
  // although its byte is lower.
  Load(table, {"\xC9", "z", "e", "\x80", "\xE9"});
  table.Sort(1, 0, true);
  EXPECT_EQ(Column(table, 1), (Keys{"e", "z", "\xC9", "\xE9", "\x80"}));
}

TEST(StringArraySort, SecondaryKeyDecidesBetweenEqualPrimaryKeys) {
  TStringArray table(nullptr);
  table.Resize(2, 4);
  const char* rows[][2] = {{"x", "2"}, {"a", "9"}, {"X", "1"}, {"b", "0"}};
  for (int r = 1; r <= 4; ++r) {
    table.SetString(1, r, rows[r - 1][0]);
    table.SetString(2, r, rows[r - 1][1]);
  }
  table.Sort(1, 2, true);
  EXPECT_EQ(Column(table, 1), (Keys{"a", "b", "X", "x"}));
  table.Sort(1, 2, false);
  EXPECT_EQ(Column(table, 1), (Keys{"x", "X", "b", "a"}));
}

TEST(StringArraySort, ViewMovesAttributesWithRowsAndCommitKeepsIt) {
  TStringArray table(nullptr);
  Load(table, {"b", "A", "c"});
  for (int r = 1; r <= 3; ++r) table.SetRowAttrib(r, static_cast<std::uint8_t>(10 * r));
  table.SetColAttrib(1, 5);
  table.Sort(1, 0, true);
  EXPECT_EQ(Column(table, 0), (Keys{"2", "1", "3"}));
  EXPECT_EQ(table.RowAttrib(1), 20);
  EXPECT_EQ(table.GetSortOrder(1), 2);
  EXPECT_EQ(table.GetSortOrder(4), -1);
  EXPECT_EQ(table.ColAttrib(1), 5);

  table.CommitSorting();
  EXPECT_EQ(Column(table, 1), (Keys{"A", "b", "c"}));
  EXPECT_EQ(table.RowAttrib(1), 20);
  EXPECT_EQ(table.GetSortOrder(1), 1);
  table.UnSort();
  EXPECT_EQ(Column(table, 1), (Keys{"A", "b", "c"}));

  table.Sort(1, 0, false);
  table.UnSort();
  EXPECT_EQ(Column(table, 1), (Keys{"A", "b", "c"}));
  table.Sort(1, 0, false);
  table.AddRow();  // a change of dimensions discards the order
  EXPECT_EQ(Column(table, 1), (Keys{"A", "b", "c", ""}));
}

TEST(StringArraySort, HookRewritesTheKeys) {
  TStringArray table(nullptr);
  Load(table, {"10", "9", "100", "1"});
  int calls = 0;
  table.SetOnBeforeSortExchange([&](TObject* Sender, const String& In, String& Out) {
    EXPECT_EQ(Sender, &table);
    EXPECT_EQ(Out, In);
    ++calls;
    Out = String(3 - In.size(), u'0') + In;  // numeric order
  });
  table.Sort(1, 0, true);
  EXPECT_EQ(Column(table, 1), (Keys{"1", "9", "10", "100"}));
  EXPECT_GT(calls, 0);
  EXPECT_EQ(calls % 2, 0);
}

struct ProgressCase {
  std::int32_t rows;
  std::vector<std::int32_t> percents;
};

class StringArraySortProgress : public testing::TestWithParam<ProgressCase> {};

// A table in descending order sorted ascending; the estimated totals are 1, 3, 6, 20
// and 42 comparisons.
TEST_P(StringArraySortProgress, ReportsTheShareOfTheEstimatedComparisons) {
  TStringArray table(nullptr);
  Keys keys;
  for (int i = GetParam().rows; i >= 1; --i)
    keys.push_back(std::string(1, static_cast<char>('a' + i)));
  Load(table, keys);
  std::vector<std::int32_t> seen;
  int changes = 0;
  table.SetOnPercentDone([&](TObject*, std::int32_t percent) { seen.push_back(percent); });
  table.SetOnChange([&](TObject*) { ++changes; });
  table.Sort(1, 0, true);
  EXPECT_EQ(seen, GetParam().percents);
  EXPECT_EQ(changes, GetParam().rows > 1 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(SmallTables, StringArraySortProgress,
                         testing::Values(ProgressCase{1, {0, 100}},
                                         ProgressCase{2, {0, 33, 67, 100}},
                                         ProgressCase{3, {0, 17, 50, 100}},
                                         ProgressCase{6, {0, 10, 25, 45, 70, 95, 100}},
                                         ProgressCase{10, {0, 7, 19, 36, 55, 76, 98, 100}}));

TEST(StringArraySort, KeyColumnOutOfRangeLeavesTheOrder) {
  TStringArray table(nullptr);
  Load(table, {"b", "a", "c"});
  table.Sort(7, 0, true);
  EXPECT_EQ(Column(table, 1), (Keys{"b", "a", "c"}));
  table.Sort(0, 0, false);  // column 0 holds "1", "2", "3"
  EXPECT_EQ(Column(table, 1), (Keys{"c", "a", "b"}));
}

TEST(StringArraySortOrder, CommitGivesRowsShownTwiceTheirOwnText) {
  TStringArray table(nullptr);
  Load(table, {"first", "second", "third"});
  table.SetSortOrder(2, 1);
  table.SetSortOrder(0, 1);
  table.SetSortOrder(2, 4);
  EXPECT_EQ(Column(table, 1), (Keys{"first", "first", "third"}));
  table.CommitSorting();
  table.SetString(1, 2, "f");  // shorter: overwritten in place
  EXPECT_EQ(Column(table, 1), (Keys{"first", "f", "third"}));
  table.GarbageCollection();
  EXPECT_EQ(Column(table, 1), (Keys{"first", "f", "third"}));
  EXPECT_EQ(Column(table, 0), (Keys{"1", "1", "3"}));
}

TEST(StringArraySortOrder, CompactionCopiesASharedSlotOnce) {
  // One full block; every row shows physical row 1. Committing gives all 200 rows its slot
  // until they get their own; there is room for few, and each compaction in between must
  // copy the shared slot once, not 200 times into a 32 KB image.
  SmallPoolArray table(1);
  table.Resize(1, 200);
  for (int r = 1; r <= 127; ++r) table.SetString(1, r, std::string(255, 'k'));
  for (int r = 2; r <= 200; ++r) table.SetSortOrder(r, 1);
  EXPECT_THROW_MSG(table.CommitSorting(), EKEZDStructError,
                   u"Class TStringArray: string pool is full");
  EXPECT_EQ(table.NumBuffers(), 1);
  for (int r = 1; r <= 200; ++r) ASSERT_EQ(table.Elem(1, r), std::string(255, 'k')) << r;
}

TEST(StringArraySortOrder, RemovingFromAnIndexShowingOneRowTwiceStaysInTheTable) {
  TStringArray table(nullptr);
  Load(table, {"a", "b", "c"});
  table.SetSortOrder(1, 3);
  table.SetSortOrder(2, 3);
  table.RemoveRow(1);  // removes physical row 3, still named by logical row 1
  EXPECT_EQ(table.NrOfRows(), 2);
  EXPECT_EQ(Column(table, 1), (Keys{"b", "b"}));
  table.UnSort();
  EXPECT_EQ(Column(table, 1), (Keys{"a", "b"}));
}

TEST(StringArraySearch, FindCellScansRowsBeforeColumns) {
  TStringArray table(nullptr);
  table.Resize(2, 4);
  table.SetString(2, 3, "Banana");
  table.SetString(1, 4, "plan");
  std::int32_t col = 0;
  std::int32_t row = 0;
  EXPECT_TRUE(table.FindCell(u"an", false, -1, -1, -1, -1, col, row));
  EXPECT_EQ(col, 2);
  EXPECT_EQ(row, 3);
  EXPECT_TRUE(table.FindCell(u"BAN", false, -1, -1, -1, -1, col, row));
  EXPECT_FALSE(table.FindCell(u"BAN", true, -1, -1, -1, -1, col, row));
  EXPECT_TRUE(table.FindCell(u"an", false, 1, 1, 4, 1, col, row));
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 4);
  col = row = 0;
  EXPECT_FALSE(table.FindCell(u"", false, -1, -1, -1, -1, col, row));
  EXPECT_FALSE(table.FindCell(u"an\u4E2D", false, -1, -1, -1, -1, col, row));
  EXPECT_EQ(col + row, 0);
}

TEST(StringArraySearch, WindowBoundsAreNormalised) {
  TStringArray table(nullptr);
  table.Resize(3, 5);
  table.SetString(0, 5, "x");
  table.SetString(3, 4, "x");
  std::int32_t col = 0;
  std::int32_t row = 0;
  // A single column bound of -1 means every column; a single row bound of -1 means row 1.
  EXPECT_TRUE(table.FindCellExact(u"x", true, -1, 3, -1, 4, col, row));
  EXPECT_EQ(col, 3);
  EXPECT_EQ(row, 4);
  EXPECT_FALSE(table.FindCellExact(u"x", true, 1, 3, 3, -1, col, row));
  EXPECT_TRUE(table.FindCellExact(u"x", true, 9, -5, 99, 5, col, row));
  EXPECT_EQ(col, 0);
  EXPECT_EQ(row, 5);
  EXPECT_TRUE(table.FindCellExact(u"", true, 1, 1, 2, 2, col, row));  // an empty cell
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 2);
}

TEST(StringArraySearch, SortedColumnGivesTheFirstOfARun) {
  TStringArray table(nullptr);
  Load(table, {"a", "b", "b", "b", "c", "d", "e"});
  std::int32_t row = 0;
  EXPECT_TRUE(table.FindCellInSortedColumn(u"E", false, 1, -1, -1, true, row));
  EXPECT_EQ(row, 7);
  EXPECT_TRUE(table.FindCellInSortedColumn(u"b", true, 1, -1, -1, true, row));
  EXPECT_EQ(row, 2);
  EXPECT_TRUE(table.FindCellInSortedColumn(u"b", true, 1, 7, 4, true, row));
  EXPECT_EQ(row, 2);  // the run starts before the range
  EXPECT_TRUE(table.FindCellInSortedColumn(u"a", true, 1, 1, 1, true, row));
  EXPECT_EQ(row, 1);
  EXPECT_FALSE(table.FindCellInSortedColumn(u"bb", true, 1, -1, -1, true, row));
  EXPECT_FALSE(table.FindCellInSortedColumn(u"E", true, 1, -1, -1, true, row));

  table.Sort(1, 0, false);
  EXPECT_TRUE(table.FindCellInSortedColumn(u"d", true, 1, -1, -1, false, row));
  EXPECT_EQ(row, 2);
  EXPECT_TRUE(table.FindCellInSortedColumn(u"", true, 9, -1, -1, false, row));  // empty column 2
  EXPECT_EQ(row, 1);
}

TEST(StringArrayRows, InsertAndRemoveKeepTheSortedView) {
  TStringArray table(nullptr);
  Load(table, {"d", "b", "a", "c"});
  for (int r = 1; r <= 4; ++r) table.SetRowAttrib(r, static_cast<std::uint8_t>(r));
  table.Sort(1, 0, true);
  table.InsertRow(2);
  EXPECT_EQ(Column(table, 1), (Keys{"a", "", "b", "c", "d"}));
  EXPECT_EQ(Column(table, 0), (Keys{"3", "", "2", "4", "1"}));
  EXPECT_EQ(table.RowAttrib(2), 0);
  EXPECT_EQ(table.RowAttrib(1), 3);
  EXPECT_EQ(table.RowAttrib(5), 1);
  table.SetString(1, 2, "ab");
  table.Sort(1, 0, false);
  table.RemoveRow(2);
  EXPECT_EQ(Column(table, 1), (Keys{"d", "b", "ab", "a"}));
  EXPECT_EQ(table.RowAttrib(1), 1);
  EXPECT_EQ(table.RowAttrib(2), 2);
  table.RemoveRow(4);
  table.RemoveRow(1);
  EXPECT_EQ(Column(table, 1), (Keys{"b", "ab"}));
  table.UnSort();
  EXPECT_EQ(table.NrOfRows(), 2);
  table.InsertRow(3);  // out of range: nothing
  table.RemoveRow(0);
  EXPECT_EQ(table.NrOfRows(), 2);
}

TEST(StringArrayRows, InsertGrowsAcrossAllocationsAndRemoveLastRowEmptiesIt) {
  TStringArray table(nullptr);
  table.SetAllocRowsBy(2);
  Load(table, {"b", "a"});
  table.Sort(1, 0, true);
  for (int i = 0; i < 5; ++i) table.InsertRow(1);
  EXPECT_EQ(Column(table, 1), (Keys{"", "", "", "", "", "a", "b"}));

  TStringArray single(nullptr);
  single.SetString(0, 1, "x");
  single.SetString(1, 1, "y");
  single.SetRowAttrib(1, 3);
  single.RemoveRow(1);
  EXPECT_EQ(single.NrOfRows(), 1);
  EXPECT_EQ(single.Elem(0, 1), "");
  EXPECT_EQ(single.Elem(1, 1), "");
  EXPECT_EQ(single.RowAttrib(1), 0);
}

TEST(StringArrayRows, HandlersThatResizeMidOperationFindTheTableWhole) {
  TStringArray table(nullptr);
  Load(table, Keys(30, "k"));
  std::vector<std::int32_t> rowsSeen;
  bool shrink = true;
  table.SetOnChange([&](TObject*) {
    rowsSeen.push_back(table.NrOfRows());
    if (shrink) {
      shrink = false;
      table.Resize(1, 2);  // reallocates smaller storage
    }
  });
  table.InsertRow(1);
  EXPECT_EQ(rowsSeen.front(), 31);
  EXPECT_EQ(table.NrOfRows(), 2);
  shrink = true;
  table.Resize(2, 40);
  table.RemoveRow(3);
  shrink = true;
  table.Resize(2, 40);
  table.CopyRow(1, 40);

  table.SetOnChange(nullptr);
  table.SetOnPercentDone([&](TObject*, std::int32_t percent) {
    if (percent > 0 && percent < 100) table.Resize(1, 3);
  });
  table.Sort(1, 0, true);
  EXPECT_EQ(table.NrOfRows(), 3);
  EXPECT_EQ(table.GetSortOrder(3), 3);
}

TEST(StringArrayRows, CopyRowCopiesTextAndAttribute) {
  TStringArray table(nullptr);
  Load(table, {"one", "two"});
  table.SetRowAttrib(1, 8);
  int changes = 0;
  table.SetOnChange([&](TObject*) { ++changes; });
  table.CopyRow(1, 2);
  EXPECT_EQ(changes, 4);  // columns 0 ... 2 and the attribute
  EXPECT_EQ(Column(table, 1), (Keys{"one", "one"}));
  EXPECT_EQ(table.RowAttrib(2), 8);
  table.SetString(1, 2, "o");
  EXPECT_EQ(table.Elem(1, 1), "one");
  table.CopyRow(1, 3);
  EXPECT_EQ(changes, 5);
}

}  // namespace
}  // namespace kez
