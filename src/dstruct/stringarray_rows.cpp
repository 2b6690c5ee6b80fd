// TStringArray: inserting, removing and copying rows in the order shown.
#include <limits>

#include "kez/dstruct.hpp"

namespace kez {

// Inserting and removing move the cell handles of the rows behind the insertion or removal
// point one physical row along. That shows the same text as copying it cell by cell would,
// but takes no pool space and cannot fail on a full pool.
//
// The row operations raise OnChange once per cell stored (and per attribute where a row's
// attribute moves), but only after the table is complete again: a handler that reads or
// even resizes the table never meets it half-moved.
void TStringArray::MovePhysicalRow(std::int32_t From, std::int32_t To) {
  for (std::int32_t c = 0; c <= FNCol; ++c) Handle(c, To) = Handle(c, From);
  FRowAttrib[static_cast<std::size_t>(To - 1)] = FRowAttrib[static_cast<std::size_t>(From - 1)];
}

void TStringArray::EmptyPhysicalRow(std::int32_t p) {
  for (std::int32_t c = 0; c <= FNCol; ++c) Handle(c, p) = 0;
  FRowAttrib[static_cast<std::size_t>(p - 1)] = 0;
}

void TStringArray::ChangedTimes(std::int64_t Count) {
  for (std::int64_t i = 0; i < Count; ++i) Changed();
}

// The rows from the insertion point on move one physical row up, so the index is rebuilt
// from the one in force: entries behind position r shift up, entries naming a moved row
// follow it, and position r shows the emptied row. The table grows without resetting the
// index, so a sorted view stays sorted.
void TStringArray::InsertRow(std::int32_t r) {
  if (r < 1 || r > FNRow || FNRow == std::numeric_limits<std::int32_t>::max()) return;
  const std::int32_t p = PhysRow(r);
  const std::int32_t oldRows = FNRow;
  std::vector<std::int32_t> oldIx;
  try {
    oldIx.assign(FSortIx.begin(), FSortIx.begin() + oldRows);
  } catch (const std::bad_alloc&) {
    return;
  }
  if (!ResizeStorage(FNCol, oldRows + 1, true)) return;
  for (std::int32_t i = oldRows; i >= p; --i) MovePhysicalRow(i, i + 1);
  EmptyPhysicalRow(p);
  for (std::int32_t pos = 1; pos <= oldRows + 1; ++pos) {
    std::int32_t e = p;
    if (pos != r) {
      e = oldIx[static_cast<std::size_t>(pos < r ? pos - 1 : pos - 2)];
      if (e >= p) ++e;
    }
    FSortIx[static_cast<std::size_t>(pos - 1)] = e;
  }
  // The growth, then every cell of the rows moved and of the emptied row.
  ChangedTimes(1 + std::int64_t{oldRows - p + 2} * (FNCol + 1));
}

void TStringArray::RemoveRow(std::int32_t r) {
  if (r < 1 || r > FNRow) return;
  const std::int32_t p = PhysRow(r);
  if (FNRow == 1) {
    EmptyPhysicalRow(p);
    ChangedTimes(FNCol + 2);  // every cell and the attribute
    return;
  }
  const std::int32_t oldRows = FNRow;
  for (std::int32_t i = p + 1; i <= oldRows; ++i) MovePhysicalRow(i, i - 1);
  FSortIx.erase(FSortIx.begin() + (r - 1));
  FSortIx.push_back(oldRows);  // one entry per row until the shrink below drops it
  for (std::int32_t i = 0; i < oldRows - 1; ++i) {
    if (FSortIx[static_cast<std::size_t>(i)] > p) --FSortIx[static_cast<std::size_t>(i)];
  }
  // Same columns and fewer rows: the shrink happens in place and cannot fail. It clears
  // the last physical row, whose handles the row below it now holds.
  ResizeStorage(FNCol, oldRows - 1, true);
  // Every cell and the attribute of the rows moved, then the shrink.
  ChangedTimes(std::int64_t{oldRows - p} * (FNCol + 2) + 1);
}

void TStringArray::CopyRow(std::int32_t Source, std::int32_t Target) {
  if (Source < 1 || Source > FNRow || Target < 1 || Target > FNRow) return;
  const std::int32_t from = PhysRow(Source);
  const std::int32_t to = PhysRow(Target);
  for (std::int32_t c = 0; c <= FNCol; ++c) {
    // Copied out first: making room for the text may compact the pool.
    const ShortString text(CellBytes(c, from));
    StorePhysical(c, to, text);
  }
  FRowAttrib[static_cast<std::size_t>(to - 1)] = FRowAttrib[static_cast<std::size_t>(from - 1)];
  ChangedTimes(FNCol + 2);
}

}  // namespace kez
