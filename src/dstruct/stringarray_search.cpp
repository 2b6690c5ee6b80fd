// TStringArray: linear search over a window of cells and binary search in a sorted column.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

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

// The binary search of rows Low ... High for a cell that Compare(r) finds equal (the sign of
// its result orders the cell against the search text): true with row on the first row of
// the run of equal cells; false with row on the last middle row examined.
template <class CompareCell>
bool SortedSearch(std::int32_t Low, std::int32_t High, bool Ascending, std::int32_t& row,
                  CompareCell&& Compare) {
  std::int32_t lo = Low;
  std::int32_t hi = High + 1;  // exclusive
  std::int32_t at = lo + (hi - lo) / 2;
  bool found = false;
  while (lo < hi && !found) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    at = mid;
    const int order = Compare(mid);  // the cell against the search text
    // Written without branches on the order, which a processor cannot predict.
    found = order == 0;
    const bool below = Ascending == (order > 0);
    hi = below ? mid : hi;
    lo = below ? lo : mid + 1;
  }
  if (found) {
    while (at > 1 && Compare(at - 1) == 0) --at;
  }
  row = at;
  return found;
}

// The eight bytes of a word with A-Z lower-cased: a byte below 0x80 whose low seven bits lie
// in 'A' ... 'Z' gains 0x20; every other byte stays.
std::uint64_t FoldAZ8(std::uint64_t x) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  const std::uint64_t low7 = x & ~kHigh;
  const std::uint64_t fromA = low7 + (0x80 - 'A') * kOnes;      // high bit: at least 'A'
  const std::uint64_t pastZ = low7 + (0x80 - 'Z' - 1) * kOnes;  // high bit: beyond 'Z'
  const std::uint64_t upper = (fromA ^ pastZ) & ~x & kHigh;
  return x | (upper >> 2);
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
  std::array<unsigned char, 256> findBytes;  // the same, when they are all ASCII
  const std::size_t findSize = FindStr.size();
  bool ascii = true;
  for (std::size_t i = 0; i < std::min(findSize, findChars.size()); ++i) {
    const char16_t ch = MatchCase ? FindStr[i] : FoldAZ(FindStr[i]);
    findChars[i] = ch;
    findBytes[i] = static_cast<unsigned char>(ch);
    ascii = ascii && ch < 0x80;
  }
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = FNRow;
  } else {
    ClampPair(RowLow, RowHigh, 1, FNRow);
  }
  ColIx = std::clamp(ColIx, 0, FNCol);
  // In the physical order (after CommitSorting, or never sorted) a probe skips the index.
  const bool identity = FIdentityOrder;
  auto cellOf = [&](std::int32_t r) { return CellBytes(ColIx, identity ? r : PhysRow(r)); };
  auto byLength = [&](std::size_t cellSize) {
    return cellSize < findSize ? -1 : cellSize > findSize ? 1 : 0;
  };

  // A search text of ASCII characters is compared with the cell bytes eight at a time: every
  // byte from 0x80 up widens to a character from 0x80 up, so at the first difference the
  // bytes are in the order of the characters.
  if (ascii) {
    return SortedSearch(RowLow, RowHigh, ColIsAscending, row, [&](std::int32_t r) {
      const std::string_view cell = cellOf(r);
      const std::size_t common = std::min(cell.size(), findSize);
      std::size_t i = 0;
      for (; i + 8 <= common; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, cell.data() + i, 8);
        std::memcpy(&b, findBytes.data() + i, 8);
        if (!MatchCase) a = FoldAZ8(a);
        if (a != b) return __builtin_bswap64(a) < __builtin_bswap64(b) ? -1 : 1;
      }
      for (; i < common; ++i) {
        auto a = static_cast<unsigned char>(cell[i]);
        if (!MatchCase && a >= 'A' && a <= 'Z') a += 'a' - 'A';
        if (a != findBytes[i]) return a < findBytes[i] ? -1 : 1;
      }
      return byLength(cell.size());
    });
  }

  // Otherwise cells are compared to the search text character by character through the
  // code-page table, so no probe widens a cell into a new string.
  const auto& chars = MatchCase ? detail::AnsiChars() : detail::KeyChars();
  return SortedSearch(RowLow, RowHigh, ColIsAscending, row, [&](std::int32_t r) {
    const std::string_view cell = cellOf(r);
    const std::size_t common = std::min(cell.size(), findSize);
    for (std::size_t i = 0; i < common; ++i) {
      const char16_t ch = chars[static_cast<unsigned char>(cell[i])];
      if (ch != findChars[i]) return ch < findChars[i] ? -1 : 1;
    }
    return byLength(cell.size());
  });
}

}  // namespace kez
