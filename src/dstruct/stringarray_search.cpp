// TStringArray: linear search over a window of cells and binary search in a sorted column.
#include <algorithm>
#include <array>

#include "kez/dstruct.hpp"
#include "stringarray_fold.hpp"

namespace kez {

namespace {

using detail::FoldAZ;

// The search text as cell bytes. Cells hold Windows-1252 only, and that code page maps
// bytes to characters one to one, so comparing bytes is comparing the widened texts; a
// search text with a character the code page lacks matches no cell.
bool SearchBytes(StringView FindStr, bool MatchCase, ShortString& Bytes) {
  Bytes.clear();
  for (char16_t ch : FindStr) {
    unsigned char b = 0;
    if (!CharToAnsiCharExact(ch, b)) return false;
    Bytes.push_back(static_cast<char>(b));
  }
  if (!MatchCase) FoldAZ(Bytes);
  return true;
}

// Clamps a pair of bounds to Low ... High and puts them in order.
void ClampPair(std::int32_t& A, std::int32_t& B, std::int32_t Low, std::int32_t High) {
  A = std::clamp(A, Low, High);
  B = std::clamp(B, Low, High);
  if (B < A) std::swap(A, B);
}

}  // namespace

template <class Match>
bool TStringArray::ScanWindow(StringView FindStr, bool MatchCase, std::int32_t ColLow,
                              std::int32_t ColHigh, std::int32_t RowLow, std::int32_t RowHigh,
                              std::int32_t& Col, std::int32_t& row, Match&& Matches) const {
  ShortString find;
  if (!SearchBytes(FindStr, MatchCase, find)) return false;
  if (ColLow == -1 || ColHigh == -1) {
    ColLow = 0;
    ColHigh = FNCol;
  } else {
    ClampPair(ColLow, ColHigh, 0, FNCol);
  }
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = FNRow;
  } else {
    ClampPair(RowLow, RowHigh, 1, FNRow);
  }
  ShortString cell;
  for (std::int32_t r = RowLow; r <= RowHigh; ++r) {
    const std::int32_t p = PhysRow(r);
    for (std::int32_t c = ColLow; c <= ColHigh; ++c) {
      std::string_view text = CellBytes(c, p);
      if (!MatchCase) {
        cell.assign(text);
        FoldAZ(cell);
        text = cell;
      }
      if (Matches(text, std::string_view(find))) {
        Col = c;
        row = r;
        return true;
      }
    }
  }
  return false;
}

bool TStringArray::FindCell(StringView FindStr, bool MatchCase, std::int32_t ColLow,
                            std::int32_t ColHigh, std::int32_t RowLow, std::int32_t RowHigh,
                            std::int32_t& Col, std::int32_t& row) const {
  if (FindStr.empty()) return false;
  return ScanWindow(FindStr, MatchCase, ColLow, ColHigh, RowLow, RowHigh, Col, row,
                    [](std::string_view text, std::string_view find) {
                      return text.find(find) != std::string_view::npos;
                    });
}

bool TStringArray::FindCellExact(StringView FindStr, bool MatchCase, std::int32_t ColLow,
                                 std::int32_t ColHigh, std::int32_t RowLow, std::int32_t RowHigh,
                                 std::int32_t& Col, std::int32_t& row) const {
  return ScanWindow(FindStr, MatchCase, ColLow, ColHigh, RowLow, RowHigh, Col, row,
                    [](std::string_view text, std::string_view find) { return text == find; });
}

bool TStringArray::FindCellInSortedColumn(StringView FindStr, bool MatchCase, std::int32_t ColIx,
                                          std::int32_t RowLow, std::int32_t RowHigh,
                                          bool ColIsAscending, std::int32_t& row) const {
  // The search text goes into a buffer on the stack: a cell holds at most 255 bytes, so a
  // comparison never looks beyond the 255th character, and the length decides the rest.
  std::array<char16_t, 256> findChars;
  const std::size_t findSize = FindStr.size();
  for (std::size_t i = 0; i < std::min(findSize, findChars.size()); ++i)
    findChars[i] = MatchCase ? FindStr[i] : FoldAZ(FindStr[i]);
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = FNRow;
  } else {
    ClampPair(RowLow, RowHigh, 1, FNRow);
  }
  ColIx = std::clamp(ColIx, 0, FNCol);
  // Cells are compared to the search text character by character through the code-page
  // table, so no probe widens a cell into a new string.
  const auto& chars = MatchCase ? detail::AnsiChars() : detail::KeyChars();
  // In the physical order (after CommitSorting, or never sorted) a probe skips the index.
  const bool identity = FIdentityOrder;
  auto compareCell = [&](std::int32_t r) {
    const std::string_view cell = CellBytes(ColIx, identity ? r : PhysRow(r));
    const std::size_t common = std::min(cell.size(), findSize);
    for (std::size_t i = 0; i < common; ++i) {
      const char16_t ch = chars[static_cast<unsigned char>(cell[i])];
      if (ch != findChars[i]) return ch < findChars[i] ? -1 : 1;
    }
    return cell.size() < findSize ? -1 : cell.size() > findSize ? 1 : 0;
  };

  std::int32_t lo = RowLow;
  std::int32_t hi = RowHigh + 1;  // exclusive
  row = lo + (hi - lo) / 2;
  bool found = false;
  while (lo < hi && !found) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    row = mid;
    const int order = compareCell(mid);  // the cell against the search text
    // Written without branches on the order, which a processor cannot predict.
    found = order == 0;
    const bool below = ColIsAscending == (order > 0);
    hi = below ? mid : hi;
    lo = below ? lo : mid + 1;
  }
  if (!found) return false;
  while (row > 1 && compareCell(row - 1) == 0) --row;
  return true;
}

}  // namespace kez
