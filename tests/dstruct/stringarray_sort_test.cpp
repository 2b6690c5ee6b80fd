#include <gtest/gtest.h>

#include <climits>

#include <algorithm>
#include <random>
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

// The sort from its description: a comb sort with shrink factor 1.3 over the rows shown,
// keys widened, passed through the hook (when given), folded A-Z and compared by code unit,
// the secondary key consulted on equal primary keys. Returns the physical rows in the order
// shown and records the hook's InString arguments in call order.
std::vector<std::int32_t> ModelSort(const TStringArray& Table, std::int32_t Col,
                                    std::int32_t ColSec, bool Ascending, bool Hook,
                                    std::vector<String>& HookInputs) {
  const std::int32_t n = Table.NrOfRows();
  std::vector<std::int32_t> order;
  for (std::int32_t r = 1; r <= n; ++r) order.push_back(Table.GetSortOrder(r));
  // Elem reads logical rows; the model works on physical ones from an unsorted copy.
  TStringArray plain(nullptr);
  plain.Assign(const_cast<TStringArray*>(&Table));
  plain.UnSort();
  auto keyOf = [&](std::int32_t c, std::int32_t p) {
    String in = c >= 0 && c <= plain.NrOfColumns() ? AnsiToString(plain.Elem(c, p)) : String();
    String out = in;
    if (Hook) {
      HookInputs.push_back(in);
      std::reverse(out.begin(), out.end());
    }
    for (char16_t& ch : out) ch = ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch;
    return out;
  };
  if (n <= 1) return order;
  std::int32_t gap = n;
  bool swapped = false;
  do {
    gap = std::max<std::int32_t>(static_cast<std::int32_t>(gap / 1.3), 1);
    swapped = false;
    for (std::int32_t c = 1; c + gap <= n; ++c) {
      std::int32_t& a = order[static_cast<std::size_t>(c - 1)];
      std::int32_t& b = order[static_cast<std::size_t>(c + gap - 1)];
      int cmp = keyOf(Col, a).compare(keyOf(Col, b));
      if (cmp == 0 && ColSec >= 1) cmp = keyOf(ColSec, a).compare(keyOf(ColSec, b));
      if (Ascending ? cmp > 0 : cmp < 0) {
        std::swap(a, b);
        swapped = true;
      }
    }
  } while (gap != 1 || swapped);
  return order;
}

TEST(StringArraySort, AgreesWithTheModelOnRandomTables) {
  std::mt19937 gen(26);
  const std::string alphabet = "aAbBzZ09 \xC9\xE9\x80";
  for (int round = 0; round < 300; ++round) {
    TStringArray table(nullptr);
    const auto rows = static_cast<std::int32_t>(gen() % 40 + 1);
    table.Resize(3, rows);
    for (std::int32_t c = 0; c <= 3; ++c) {
      for (std::int32_t r = 1; r <= rows; ++r) {
        std::string text(gen() % 4, ' ');
        for (char& ch : text) ch = alphabet[gen() % alphabet.size()];
        table.SetString(c, r, text);
      }
    }
    if (round % 3 == 0) table.Sort(2, 0, gen() % 2 == 0);  // start from a shown order
    const bool hook = round % 2 == 0;
    const auto col = static_cast<std::int32_t>(gen() % 6) - 1;  // -1 and 4 are outside
    const auto colSec = static_cast<std::int32_t>(gen() % 4);
    const bool ascending = gen() % 2 == 0;
    std::vector<String> expectedInputs;
    const std::vector<std::int32_t> expected =
        ModelSort(table, col, colSec, ascending, hook, expectedInputs);
    std::vector<String> inputs;
    if (hook) {
      table.SetOnBeforeSortExchange([&](TObject*, const String& In, String& Out) {
        inputs.push_back(In);
        ASSERT_EQ(Out, In);
        std::reverse(Out.begin(), Out.end());
      });
    }
    table.Sort(col, colSec, ascending);
    std::vector<std::int32_t> shown;
    for (std::int32_t r = 1; r <= rows; ++r) shown.push_back(table.GetSortOrder(r));
    ASSERT_EQ(shown, expected) << "round " << round;
    ASSERT_EQ(inputs.size(), expectedInputs.size()) << "round " << round;
    ASSERT_TRUE(inputs == expectedInputs) << "round " << round;
  }
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

// Ranges and columns at the 32-bit limits are clamped, and a search text longer than any
// cell (255 bytes) is compared up to the cell's end and then by length, in both comparison
// paths (ASCII eight bytes at a time, and through the code page).
TEST(StringArraySearch, SortedColumnAtItsLimits) {
  const std::string longCell(255, 'm');
  TStringArray table(nullptr);
  Load(table, {"a", "b", longCell, "z"});
  std::int32_t row = 0;
  for (const std::int32_t low : {INT32_MIN, -2, 0, 1}) {
    for (const std::int32_t high : {4, 5, INT32_MAX}) {
      EXPECT_TRUE(table.FindCellInSortedColumn(u"b", true, 1, low, high, true, row));
      EXPECT_EQ(row, 2);
    }
  }
  EXPECT_TRUE(table.FindCellInSortedColumn(u"4", true, INT32_MIN, -1, -1, true, row));  // column 0
  EXPECT_EQ(row, 4);
  EXPECT_TRUE(table.FindCellInSortedColumn(u"", true, INT32_MAX, -1, -1, true, row));  // column 2
  EXPECT_EQ(row, 1);
  for (const bool matchCase : {true, false}) {
    const String longer(300, u'm');
    EXPECT_FALSE(table.FindCellInSortedColumn(longer, matchCase, 1, -1, -1, true, row));
    EXPECT_EQ(row, 4);  // above the 255 "m": the last row examined is "z"
    const String longerHigh = String(299, u'm') + u"\u00E9";
    EXPECT_FALSE(table.FindCellInSortedColumn(longerHigh, matchCase, 1, -1, -1, true, row));
    EXPECT_TRUE(table.FindCellInSortedColumn(String(255, u'm'), matchCase, 1, -1, -1, true, row));
    EXPECT_EQ(row, 3);
  }
  TStringArray empty(nullptr);
  EXPECT_FALSE(empty.FindCellInSortedColumn(u"a", true, 0, INT32_MIN, INT32_MAX, true, row));
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

// The binary search from its description, on the widened texts of the rows shown.
bool ModelSortedSearch(const TStringArray& Table, String Find, bool MatchCase, std::int32_t Col,
                       std::int32_t Low, std::int32_t High, bool Ascending, std::int32_t& Row) {
  auto fold = [&](String t) {
    if (!MatchCase) {
      for (char16_t& ch : t) ch = ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch;
    }
    return t;
  };
  Find = fold(Find);
  const std::int32_t n = Table.NrOfRows();
  if (Low == -1 && High == -1) {
    Low = 1;
    High = n;
  } else {
    Low = std::clamp(Low, 1, n);
    High = std::clamp(High, 1, n);
    if (High < Low) std::swap(Low, High);
  }
  Col = std::clamp(Col, 0, Table.NrOfColumns());
  auto cell = [&](std::int32_t r) { return fold(AnsiToString(Table.Elem(Col, r))); };
  std::int32_t lo = Low, hi = High + 1;
  Row = (lo + hi) / 2;
  bool found = false;
  while (lo < hi && !found) {
    const std::int32_t mid = (lo + hi) / 2;
    Row = mid;
    if (cell(mid) == Find) {
      found = true;
    } else if (Ascending == (Find < cell(mid))) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  if (!found) return false;
  while (Row > 1 && cell(Row - 1) == Find) --Row;
  return true;
}

TEST(StringArraySearch, SortedColumnAgreesWithTheModelOnRandomTables) {
  std::mt19937 gen(26);
  const std::string alphabet = "aAbB0~\x80\xC9\xE9\xFF";
  const std::u16string findChars = u"aAbB0~\u20AC\u00C9\u00E9\u00FF\u4E00\u0080";
  for (int round = 0; round < 2000; ++round) {
    TStringArray table(nullptr);
    const auto rows = static_cast<std::int32_t>(gen() % 30 + 1);
    // Every other round long keys of few ASCII letters, which share long prefixes.
    const bool ascii = round % 2 == 1;
    Keys keys(static_cast<std::size_t>(rows));
    for (std::string& key : keys) {
      key.resize(gen() % (ascii ? 24 : 4));
      for (char& ch : key) ch = ascii ? "aAbB"[gen() % 4] : alphabet[gen() % alphabet.size()];
    }
    Load(table, keys);
    const bool ascending = gen() % 2 == 0;
    const bool matchCase = gen() % 2 == 0;
    table.Sort(1, 0, ascending);  // sorted folded, so a case-sensitive search may miss
    if (round % 3 == 0) table.CommitSorting();  // the same order, shown physically
    String find;
    if (gen() % 2 == 0) {
      find = AnsiToString(table.Elem(1, static_cast<std::int32_t>(gen() % rows + 1)));
    } else {
      find.resize(gen() % (ascii ? 24 : 4));
      for (char16_t& ch : find)
        ch = ascii ? u"aAbB"[gen() % 4] : findChars[gen() % findChars.size()];
    }
    const std::int32_t low = static_cast<std::int32_t>(gen() % (rows + 2)) - 1;
    const std::int32_t high = gen() % 3 == 0 ? -1 : static_cast<std::int32_t>(gen() % (rows + 2));
    std::int32_t expectedRow = -5, row = -5;
    const bool expected =
        ModelSortedSearch(table, find, matchCase, 1, low, high, ascending, expectedRow);
    ASSERT_EQ(table.FindCellInSortedColumn(find, matchCase, 1, low, high, ascending, row), expected)
        << "round " << round;
    ASSERT_EQ(row, expectedRow) << "round " << round;
  }
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
