// TStringArray: the string pool, dimensions, clearing, compaction and copying.
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "kez/dstruct.hpp"

namespace kez {

namespace {

constexpr std::uint32_t kOffsetMask = 0xFFFF;
// Cell handles may take at most this many bytes, the address space the table was laid out
// for; it keeps every cell number within 32 bits as well.
constexpr std::int64_t kMaxHandleBytes = std::numeric_limits<std::int32_t>::max();

std::int32_t BlockOf(std::uint32_t h) { return static_cast<std::int32_t>(h >> 16); }
std::uint32_t OffsetOf(std::uint32_t h) { return h & kOffsetMask; }
std::uint32_t MakeHandle(std::int32_t BlockNr, std::uint32_t Offset) {
  return (static_cast<std::uint32_t>(BlockNr) << 16) | Offset;
}

[[noreturn]] void RaiseOutOfMemory() {
  throw EKEZDStructError(u"Class TStringArray: not enough memory on heap");
}

}  // namespace

TStringArray::TStringArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FFirstFree.assign(1, 1);
    FPoiArray.assign(2, std::vector<std::uint32_t>(1, 0));
    FSortIx.assign(1, 1);
    FStgPool.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(kPoolBlockSize));
    FRowAttrib.assign(1, 0);
    FColAttrib.assign(1, 0);
    RebuildFreeIndex();
  } catch (const std::bad_alloc&) {
    throw EKEZDStructError(u"Class TStringArray: failed to initialize (out of memory)");
  }
}

TStringArray::~TStringArray() = default;

void TStringArray::Changed() {
  CallHandler(FOnChange, this);
}

// ---- Pool ----------------------------------------------------------------------------------

void TStringArray::RebuildFreeIndex() {
  FHint = 0;
  std::size_t leaves = 1;
  while (leaves < static_cast<std::size_t>(FNumPoolAddr)) leaves *= 2;
  FFreeLeaves = leaves;
  FFreeTree.assign(2 * leaves, -1);
  for (std::int32_t b = 1; b <= FNumPoolAddr; ++b) {
    FFreeTree[leaves + static_cast<std::size_t>(b - 1)] =
        kPoolBlockSize - FFirstFree[static_cast<std::size_t>(b - 1)];
  }
  for (std::size_t i = leaves - 1; i >= 1; --i) {
    FFreeTree[i] = std::max(FFreeTree[2 * i], FFreeTree[2 * i + 1]);
  }
}

void TStringArray::UpdateFreeIndex(std::int32_t BlockNr) {
  std::size_t i = FFreeLeaves + static_cast<std::size_t>(BlockNr - 1);
  FFreeTree[i] = kPoolBlockSize - FFirstFree[static_cast<std::size_t>(BlockNr - 1)];
  // Stop where a parent's maximum stays as it was: nothing above it changes either.
  for (i /= 2; i >= 1; i /= 2) {
    const std::int32_t top = std::max(FFreeTree[2 * i], FFreeTree[2 * i + 1]);
    if (FFreeTree[i] == top) break;
    FFreeTree[i] = top;
  }
}

// A block with first-free offset q takes a text of Length bytes when Length < 32768 - q,
// which keeps the block's last byte unused. The tree gives the lowest such block, the one a
// scan from block 1 upward would find; 0 when no block has room.
std::int32_t TStringArray::FirstBlockWithRoom(std::uint8_t Length) const {
  if (FFreeTree[1] <= Length) return 0;
  std::size_t i = 1;
  while (i < FFreeLeaves) i = FFreeTree[2 * i] > Length ? 2 * i : 2 * i + 1;
  return static_cast<std::int32_t>(i - FFreeLeaves) + 1;
}

void TStringArray::AppendBlock() {
  // Everything that can fail is allocated before anything changes.
  const bool treeGrows = static_cast<std::size_t>(FNumPoolAddr) + 1 > FFreeLeaves;
  try {
    Block block = std::make_unique_for_overwrite<std::uint8_t[]>(kPoolBlockSize);
    FFirstFree.reserve(FFirstFree.size() + 1);
    if (treeGrows) FFreeTree.reserve(4 * FFreeLeaves);
    FStgPool.push_back(std::move(block));
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }
  FFirstFree.push_back(1);
  ++FNumPoolAddr;
  if (treeGrows) {
    RebuildFreeIndex();
  } else {
    UpdateFreeIndex(FNumPoolAddr);
  }
}

// Filling a table puts text after text into the same block, so the block last chosen is
// tried first: it is the right one when no block below it has room, which the largest free
// space below it (FBelowHint, an upper bound) tells. Its leaf in the free-space index is
// brought up to date only when another block is chosen, sparing a tree update per store.
std::uint32_t TStringArray::TryAllocateSlot(std::uint8_t Length) {
  std::int32_t b = FHint;
  if (b == 0 || Length < FBelowHint ||
      Length >= kPoolBlockSize - FFirstFree[static_cast<std::size_t>(b - 1)]) {
    if (FHint != 0) UpdateFreeIndex(FHint);
    b = FirstBlockWithRoom(Length);
    if (b == 0) {
      // A fresh block always takes the text; block numbers must fit the handle's 16 bits.
      if (FNumPoolAddr >= FBlockLimit) return 0;
      AppendBlock();
      b = FNumPoolAddr;
    }
    FHint = b;
    FBelowHint = MaxFreeBelow(b);
  }
  std::int32_t& q = FFirstFree[static_cast<std::size_t>(b - 1)];
  const std::uint32_t h = MakeHandle(b, static_cast<std::uint32_t>(q));
  q += Length + 1;
  return h;
}

// The largest free space of blocks 1 ... BlockNr - 1 (-1 for none), from the index.
std::int32_t TStringArray::MaxFreeBelow(std::int32_t BlockNr) const {
  std::int32_t best = -1;
  std::size_t lo = FFreeLeaves;
  std::size_t hi = FFreeLeaves + static_cast<std::size_t>(BlockNr - 1);  // exclusive
  while (lo < hi) {
    if (lo & 1) best = std::max(best, FFreeTree[lo++]);
    if (hi & 1) best = std::max(best, FFreeTree[--hi]);
    lo /= 2;
    hi /= 2;
  }
  return best;
}

std::uint32_t TStringArray::AllocateSlot(std::uint8_t Length) {
  std::uint32_t h = TryAllocateSlot(Length);
  if (h == 0) {
    GarbageCollection();
    h = TryAllocateSlot(Length);
    if (h == 0) throw EKEZDStructError(u"Class TStringArray: string pool is full");
  }
  return h;
}

namespace {

// Copies the n bytes of a cell (at most 255) with a few fixed-size moves, some of them
// overlapping: for a copy of unknown length the compiler emits a string instruction whose
// start-up costs more than copying a short cell.
void CopyCellBytes(std::uint8_t* To, const char* From, std::size_t n) {
  if (n >= 16) {
    for (std::size_t i = 0; i + 16 < n; i += 16) std::memcpy(To + i, From + i, 16);
    std::memcpy(To + n - 16, From + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(To, From, 8);
    std::memcpy(To + n - 8, From + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(To, From, 4);
    std::memcpy(To + n - 4, From + n - 4, 4);
  } else if (n > 0) {
    To[0] = static_cast<std::uint8_t>(From[0]);
    To[n / 2] = static_cast<std::uint8_t>(From[n / 2]);
    To[n - 1] = static_cast<std::uint8_t>(From[n - 1]);
  }
}

}  // namespace

void TStringArray::StorePhysical(std::int32_t c, std::int32_t p, std::string_view Text) {
  const auto length = static_cast<std::uint8_t>(std::min(Text.size(), kMaxCellLength));
  std::uint32_t h = Handle(c, p);
  if (h == 0 || Slot(h)[0] < length) {
    // Compaction inside AllocateSlot rewrites handles, so the handle is read again after.
    h = AllocateSlot(length);
    Handle(c, p) = h;
  }
  std::uint8_t* slot = Slot(h);
  slot[0] = length;
  CopyCellBytes(slot + 1, Text.data(), length);
}

void TStringArray::SetPoolBlockLimit(std::int32_t Blocks) {
  FBlockLimit = std::clamp(Blocks, std::int32_t{1}, kMaxPoolBlocks);
}

// ---- Compaction ----------------------------------------------------------------------------

// Every string of a block is copied, in the order of a walk over columns 0 ... NrOfColumns
// (outer) and physical rows 1 ... NrOfRows (inner), to the front of a fresh image of the
// block. The cells are first grouped by block in walk order, so the pool is walked once
// instead of once per block. A slot that several handles share is copied once and all of
// them are pointed at the copy, so the image can never outgrow the block.
void TStringArray::GarbageCollection() {
  const std::size_t blocks = static_cast<std::size_t>(FNumPoolAddr);
  const std::size_t rowsAlloc = static_cast<std::size_t>(FNRow);
  std::vector<std::uint32_t> start(blocks + 1, 0);
  std::vector<std::uint32_t> cells;
  auto forEachCell = [&](auto&& Visit) {
    for (std::int32_t c = 0; c <= FNCol; ++c) {
      const std::vector<std::uint32_t>& column = FPoiArray[static_cast<std::size_t>(c)];
      for (std::int32_t p = 1; p <= FNRow; ++p) {
        const std::uint32_t h = column[static_cast<std::size_t>(p - 1)];
        if (h != 0) Visit(h, static_cast<std::uint32_t>(c) * rowsAlloc + (p - 1));
      }
    }
  };
  try {
    forEachCell([&](std::uint32_t h, std::uint32_t) { ++start[BlockOf(h)]; });
    for (std::size_t b = 1; b <= blocks; ++b) start[b] += start[b - 1];
    cells.resize(start[blocks]);
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    forEachCell([&](std::uint32_t h, std::uint32_t cell) { cells[next[BlockOf(h) - 1]++] = cell; });
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }

  std::vector<std::uint8_t> image(kPoolBlockSize);
  std::vector<std::uint16_t> moved(kPoolBlockSize + 1);
  std::vector<std::uint32_t> movedIn(kPoolBlockSize + 1, 0);  // block that filled moved[]
  for (std::size_t b = 1; b <= blocks; ++b) {
    const std::uint8_t* old = FStgPool[b - 1].get();
    std::uint32_t nextOffset = 1;
    for (std::uint32_t i = start[b - 1]; i < start[b]; ++i) {
      const std::uint32_t cell = cells[i];
      std::uint32_t& h = FPoiArray[cell / rowsAlloc][cell % rowsAlloc];
      const std::uint32_t offset = OffsetOf(h);
      if (movedIn[offset] != b) {
        const std::uint32_t size = old[offset - 1] + 1u;
        std::memcpy(image.data() + (nextOffset - 1), old + (offset - 1), size);
        moved[offset] = static_cast<std::uint16_t>(nextOffset);
        movedIn[offset] = static_cast<std::uint32_t>(b);
        nextOffset += size;
      }
      h = MakeHandle(static_cast<std::int32_t>(b), moved[offset]);
    }
    std::memcpy(FStgPool[b - 1].get(), image.data(), nextOffset - 1);
    FFirstFree[b - 1] = static_cast<std::int32_t>(nextOffset);
  }
  RebuildFreeIndex();
}

// ---- Dimensions ----------------------------------------------------------------------------

void TStringArray::ResetSortIx() {
  if (!FIdentityOrder) {
    for (std::size_t i = 0; i < FSortIx.size(); ++i) FSortIx[i] = static_cast<std::int32_t>(i + 1);
  }
  FIdentityOrder = true;
}

// FRAllocated keeps the count of rows the table is laid out for: NrOfRows rounded up to a
// multiple of AllocRowsBy, recomputed when the columns change or the rows outgrow it. The
// vectors themselves hold exactly NrOfRows rows and grow their capacity geometrically, so
// that adding rows one at a time costs constant time per row whatever AllocRowsBy is, and a
// large AllocRowsBy costs no memory.
bool TStringArray::ResizeStorage(std::int32_t Nc, std::int32_t Nr, bool KeepOrder) {
  std::int64_t allocated = FRAllocated;
  if (Nc != FNCol || Nr > FRAllocated) {
    const std::int64_t unit = FAllocRowsBy;
    allocated = unit * ((std::int64_t{Nr} - 1) / unit + 1);
  }
  if (allocated > std::numeric_limits<std::int32_t>::max() ||
      (std::int64_t{Nc} + 1) * Nr > kMaxHandleBytes / 4) {
    return false;
  }
  const auto rows = static_cast<std::size_t>(Nr);
  const auto cols = static_cast<std::size_t>(Nc) + 1;
  const std::size_t keptCols = std::min(cols, FPoiArray.size());
  std::vector<std::vector<std::uint32_t>> added;
  try {
    // Reserving cannot lose what a vector holds, so a failure here leaves the table whole.
    auto makeRoom = [rows](auto& v) {
      if (rows > v.capacity()) v.reserve(std::max(rows, v.capacity() + v.capacity() / 2));
    };
    for (std::size_t c = 0; c < keptCols; ++c) makeRoom(FPoiArray[c]);
    makeRoom(FSortIx);
    makeRoom(FRowAttrib);
    FPoiArray.reserve(cols);
    FColAttrib.reserve(static_cast<std::size_t>(Nc));
    added.reserve(cols - keptCols);
    while (keptCols + added.size() < cols) added.emplace_back(rows, 0u);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  // Nothing below allocates. Rows that come into view are empty with attribute 0; rows cut
  // off are dropped, their text staying in the pool as garbage.
  for (std::size_t c = 0; c < keptCols; ++c) FPoiArray[c].resize(rows, 0);
  FPoiArray.resize(keptCols);
  for (std::vector<std::uint32_t>& column : added) FPoiArray.push_back(std::move(column));
  FColAttrib.resize(static_cast<std::size_t>(Nc), 0);
  FRowAttrib.resize(rows, 0);
  const std::size_t oldEntries = FSortIx.size();
  FSortIx.resize(rows);
  for (std::size_t i = oldEntries; i < rows; ++i) FSortIx[i] = static_cast<std::int32_t>(i + 1);
  FNCol = Nc;
  FNRow = Nr;
  FRAllocated = static_cast<std::int32_t>(allocated);
  if (!KeepOrder) {
    ResetSortIx();
  } else if (!FIdentityOrder) {
    // The row operations shift the index themselves; no entry may name a row that is gone
    // (an index set up with SetSortOrder may).
    for (std::int32_t& e : FSortIx) e = std::min(e, Nr);
  }
  // A table that shrank to a quarter of its capacity gives the rest back.
  auto release = [](auto& v) {
    if (v.capacity() > 4096 && v.capacity() / 4 > v.size()) v.shrink_to_fit();
  };
  for (std::vector<std::uint32_t>& column : FPoiArray) release(column);
  release(FSortIx);
  release(FRowAttrib);
  return true;
}

bool TStringArray::Resize(std::int32_t Nc, std::int32_t Nr) {
  if (Nc == FNCol && Nr == FNRow) return true;
  if (Nc <= 0 || Nr <= 0) return false;
  const bool done = ResizeStorage(Nc, Nr, false);
  Changed();
  return done;
}

void TStringArray::SetNrCols(std::int32_t Value) { Resize(Value, FNRow); }

void TStringArray::SetNrRows(std::int32_t Value) { Resize(FNCol, Value); }

void TStringArray::SetAllocRowsBy(std::int32_t Value) { FAllocRowsBy = std::max(Value, 1); }

std::int32_t TStringArray::AddRow() {
  if (FNRow < std::numeric_limits<std::int32_t>::max()) Resize(FNCol, FNRow + 1);
  return FNRow;
}

void TStringArray::Clear() {
  for (std::int32_t c = 0; c <= FNCol; ++c) {
    std::fill_n(FPoiArray[static_cast<std::size_t>(c)].begin(), FNRow, 0u);
  }
  ResetSortIx();
  std::fill(FRowAttrib.begin(), FRowAttrib.end(), 0);
  std::fill(FColAttrib.begin(), FColAttrib.end(), 0);
  FStgPool.resize(1);
  FFirstFree.assign(1, 1);
  FNumPoolAddr = 1;
  RebuildFreeIndex();
}

// ---- Copying -------------------------------------------------------------------------------

void TStringArray::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TStringArray*>(Source);
  if (source == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (source == this) return;
  std::vector<Block> pool;
  std::vector<std::int32_t> firstFree;
  std::vector<std::vector<std::uint32_t>> poi;
  std::vector<std::int32_t> sortIx;
  std::vector<std::uint8_t> rowAttrib;
  std::vector<std::uint8_t> colAttrib;
  try {
    pool.reserve(source->FStgPool.size());
    for (const Block& block : source->FStgPool) {
      pool.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(kPoolBlockSize));
      std::memcpy(pool.back().get(), block.get(), kPoolBlockSize);
    }
    firstFree = source->FFirstFree;
    poi = source->FPoiArray;
    sortIx = source->FSortIx;
    rowAttrib = source->FRowAttrib;
    colAttrib = source->FColAttrib;
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }
  FNCol = source->FNCol;
  FNRow = source->FNRow;
  FAllocRowsBy = source->FAllocRowsBy;
  FRAllocated = source->FRAllocated;
  FNumPoolAddr = source->FNumPoolAddr;
  FFirstFree.swap(firstFree);
  FPoiArray.swap(poi);
  FSortIx.swap(sortIx);
  FStgPool.swap(pool);
  FRowAttrib.swap(rowAttrib);
  FColAttrib.swap(colAttrib);
  FOnChange = source->FOnChange;
  FOnBefSortExc = source->FOnBefSortExc;
  FOnPercentDone = source->FOnPercentDone;
  FIdentityOrder = source->FIdentityOrder;
  RebuildFreeIndex();
}

void TStringArray::SwapContent(TStringArray& Other) noexcept {
  std::swap(FNCol, Other.FNCol);
  std::swap(FNRow, Other.FNRow);
  std::swap(FRAllocated, Other.FRAllocated);
  std::swap(FNumPoolAddr, Other.FNumPoolAddr);
  FFirstFree.swap(Other.FFirstFree);
  FPoiArray.swap(Other.FPoiArray);
  FSortIx.swap(Other.FSortIx);
  FStgPool.swap(Other.FStgPool);
  FRowAttrib.swap(Other.FRowAttrib);
  FColAttrib.swap(Other.FColAttrib);
  FFreeTree.swap(Other.FFreeTree);
  std::swap(FFreeLeaves, Other.FFreeLeaves);
  std::swap(FHint, Other.FHint);
  std::swap(FBelowHint, Other.FBelowHint);
  std::swap(FIdentityOrder, Other.FIdentityOrder);
}

void TStringArray::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TStringArray*>(Dest)) {
    dest->Assign(this);
  } else {
    TComponent::AssignTo(Dest);
  }
}

}  // namespace kez
