// TStringArray: sorting the row view, undoing and committing it, and the row-order index.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "kez/dstruct.hpp"
#include "stringarray_fold.hpp"

namespace kez {

namespace {

using detail::AnsiChars;
using detail::FoldAZ;
using detail::KeyChars;

// The keys of one column for every physical row, widened (and folded, for the sort without
// a hook) once and packed in one buffer: the key of physical row p is
// Text[Start[p-1] .. Start[p]). A column outside the table gives empty keys.
struct PreparedKeys {
  std::vector<char16_t> Text;
  std::vector<std::size_t> Start;

  StringView Key(std::int32_t p) const {
    const std::size_t b = Start[static_cast<std::size_t>(p - 1)];
    return {Text.data() + b, Start[static_cast<std::size_t>(p)] - b};
  }
};

// Prepares the keys of physical rows 1 ... Rows; Cell(p) gives the bytes of row p.
template <class CellOf>
PreparedKeys PrepareKeys(std::int32_t Rows, bool Valid, bool Fold, CellOf&& Cell) {
  PreparedKeys keys;
  keys.Start.assign(static_cast<std::size_t>(Rows) + 1, 0);
  if (!Valid) return keys;
  std::size_t length = 0;
  for (std::int32_t p = 1; p <= Rows; ++p) length += Cell(p).size();
  keys.Text.reserve(length);
  const auto& chars = Fold ? KeyChars() : AnsiChars();
  for (std::int32_t p = 1; p <= Rows; ++p) {
    for (char ch : Cell(p)) keys.Text.push_back(chars[static_cast<unsigned char>(ch)]);
    keys.Start[static_cast<std::size_t>(p)] = keys.Text.size();
  }
  return keys;
}

// The first four UTF-16 code units of a key, packed so that comparing two prefixes as
// integers orders them as the keys' first four units would; equal prefixes say nothing.
std::uint64_t KeyPrefix(StringView Key) {
  std::uint64_t prefix = 0;
  for (std::size_t i = 0; i < 4; ++i) prefix = prefix << 16 | (i < Key.size() ? Key[i] : 0u);
  return prefix;
}

// A row shown, with the prefix of its primary key, sorted in place of the index entry so
// that most comparisons touch neither the index nor the key text.
struct SortEntry {
  std::uint64_t Prefix;
  std::int32_t Row;
};

// A row shown with its primary key, for the sort through the key hook.
struct HookEntry {
  const String* Key;
  std::int32_t Row;
};

// The keys of one column for every physical row as texts of their own (entry p - 1 for
// physical row p), widened but not folded: the hook takes each as its InString.
template <class CellOf>
std::vector<String> PrepareKeyTexts(std::int32_t Rows, bool Valid, CellOf&& Cell) {
  std::vector<String> keys(static_cast<std::size_t>(Rows));
  if (!Valid) return keys;
  const auto& chars = AnsiChars();
  for (std::int32_t p = 1; p <= Rows; ++p) {
    const auto bytes = Cell(p);
    String& key = keys[static_cast<std::size_t>(p - 1)];
    key.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
      key[i] = chars[static_cast<unsigned char>(bytes[i])];
  }
  return keys;
}

// The comb sort over the rows shown (physical row numbers, or entries carrying them).
// Compare(a, b) gives the three-way order of the keys of two items. Progress is reported
// after each pass as the share of the comparisons made in an estimated total.
template <class Item, class CompareItems>
void CombSort(std::vector<Item>& Items, std::int32_t N, bool Ascending, CompareItems&& Compare,
              const std::function<void(std::int32_t)>& Progress) {
  std::int64_t total = 0;
  std::int32_t g = N;
  do {
    g = std::max<std::int32_t>(static_cast<std::int32_t>(g / 1.3), 1);
    total += N - g;
  } while (g != 1);
  total += N;
  if (N <= 1) return;

  std::int32_t gap = N;
  std::int64_t comparisons = 0;
  bool swapped = false;
  do {
    gap = std::max<std::int32_t>(static_cast<std::int32_t>(gap / 1.3), 1);
    swapped = false;
    for (std::int32_t c = 1; c + gap <= N; ++c) {
      Item& a = Items[static_cast<std::size_t>(c - 1)];
      Item& b = Items[static_cast<std::size_t>(c + gap - 1)];
      const int order = Compare(a, b);
      if (Ascending ? order > 0 : order < 0) {
        std::swap(a, b);
        swapped = true;
      }
      ++comparisons;
    }
    if (Progress) {
      // nearbyint rounds halves to even in the default rounding mode.
      const double share = static_cast<double>(comparisons) / static_cast<double>(total) * 100.0;
      Progress(static_cast<std::int32_t>(
          std::min(std::nearbyint(share), double{std::numeric_limits<std::int32_t>::max()})));
    }
  } while (gap != 1 || swapped);
}

int ThreeWay(StringView a, StringView b) {
  const int order = a.compare(b);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

// ThreeWay of the two texts with A-Z lower-cased, folding as it goes.
int FoldedThreeWay(StringView a, StringView b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = FoldAZ(a[i]);
    const char16_t y = FoldAZ(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

void TStringArray::BeforeSortExchange(const String& InString, String& OutString) {
  OutString = InString;
  CallHandler(FOnBefSortExc, this, InString, OutString);
}

// Without a key hook the keys of every row are read, widened and folded once, so the sort
// compares prepared keys (mostly just their prefixes); the exchanges, and so the order and
// the progress, are those of comparing the cell texts afresh each time. With a hook, the
// hook sees both keys at every comparison, as it may rely on.
void TStringArray::Sort(std::int32_t Col, std::int32_t ColSec, bool Ascending) {
  std::function<void(std::int32_t)> progress;
  if (FOnPercentDone) {
    progress = [this](std::int32_t percent) { CallHandler(FOnPercentDone, this, percent); };
  }
  if (progress) progress(0);
  const std::int32_t n = FNRow;
  const bool secondary = ColSec >= 1;
  const auto rows = static_cast<std::size_t>(n);
  // The sorted rows go back into the index, unless a handler changed the row count while
  // the sort was running (the rows it sorted may no longer exist).
  auto store = [&](const auto& entries) {
    if (FNRow != n) return;
    for (std::size_t i = 0; i < rows; ++i) FSortIx[i] = entries[i].Row;
    FIdentityOrder = false;
  };
  auto prepare = [&](std::int32_t column, bool fold) {
    return PrepareKeys(n, column >= 0 && column <= FNCol, fold,
                       [&](std::int32_t p) { return CellBytes(column, p); });
  };

  if (!FOnBefSortExc) {
    const PreparedKeys primary = prepare(Col, true);
    const PreparedKeys second = secondary ? prepare(ColSec, true) : PreparedKeys{};
    std::vector<SortEntry> entries(rows);
    for (std::size_t i = 0; i < rows; ++i) {
      entries[i] = {KeyPrefix(primary.Key(FSortIx[i])), FSortIx[i]};
    }
    CombSort(
        entries, n, Ascending,
        [&](const SortEntry& a, const SortEntry& b) {
          if (a.Prefix != b.Prefix) return a.Prefix < b.Prefix ? -1 : 1;
          const int order = ThreeWay(primary.Key(a.Row), primary.Key(b.Row));
          if (order != 0 || !secondary) return order;
          return ThreeWay(second.Key(a.Row), second.Key(b.Row));
        },
        progress);
    store(entries);
  } else {
    auto prepareTexts = [&](std::int32_t column) {
      return PrepareKeyTexts(n, column >= 0 && column <= FNCol,
                             [&](std::int32_t p) { return CellBytes(column, p); });
    };
    const std::vector<String> primary = prepareTexts(Col);
    const std::vector<String> second = secondary ? prepareTexts(ColSec) : std::vector<String>{};
    // The entries carry their primary key, so a comparison does not first look it up by row.
    std::vector<HookEntry> entries(rows);
    for (std::size_t i = 0; i < rows; ++i) {
      entries[i] = {&primary[static_cast<std::size_t>(FSortIx[i] - 1)], FSortIx[i]};
    }
    String keyA;
    String keyB;
    CombSort(
        entries, n, Ascending,
        [&](const HookEntry& a, const HookEntry& b) {
          BeforeSortExchange(*a.Key, keyA);
          BeforeSortExchange(*b.Key, keyB);
          const int order = FoldedThreeWay(keyA, keyB);
          if (order != 0 || !secondary) return order;
          BeforeSortExchange(second[static_cast<std::size_t>(a.Row - 1)], keyA);
          BeforeSortExchange(second[static_cast<std::size_t>(b.Row - 1)], keyB);
          return FoldedThreeWay(keyA, keyB);
        },
        progress);
    store(entries);
  }
  if (n > 1) Changed();
  if (progress) progress(100);
}

void TStringArray::UnSort() {
  FIdentityOrder = false;
  ResetSortIx();
  Changed();
}

// Physical row i takes the handles and attribute of the row logical row i shows. When the
// index shows a physical row more than once, the later copies would share its slots, and
// overwriting one in place would change the other; they get slots of their own instead.
void TStringArray::CommitSorting() {
  const auto n = static_cast<std::size_t>(FNRow);
  std::vector<std::uint32_t> column;
  std::vector<std::uint8_t> attrib;
  std::vector<bool> shown;
  try {
    column.resize(n);
    attrib.resize(n);
    shown.assign(n, false);
  } catch (const std::bad_alloc&) {
    throw EKEZDStructError(u"Class TStringArray: not enough memory on heap");
  }
  std::vector<std::int32_t> repeated;  // physical rows, after the commit, that share slots
  for (std::size_t i = 0; i < n; ++i) {
    const auto p = static_cast<std::size_t>(FSortIx[i] - 1);
    if (shown[p]) repeated.push_back(static_cast<std::int32_t>(i + 1));
    shown[p] = true;
    attrib[i] = FRowAttrib[p];
  }
  std::copy(attrib.begin(), attrib.end(), FRowAttrib.begin());
  for (std::int32_t c = 0; c <= FNCol; ++c) {
    std::vector<std::uint32_t>& handles = FPoiArray[static_cast<std::size_t>(c)];
    for (std::size_t i = 0; i < n; ++i)
      column[i] = handles[static_cast<std::size_t>(FSortIx[i] - 1)];
    std::copy(column.begin(), column.end(), handles.begin());
  }
  ResetSortIx();
  for (std::int32_t p : repeated) {
    for (std::int32_t c = 0; c <= FNCol; ++c) {
      if (Handle(c, p) == 0) continue;
      // The text is copied out first: making room may compact the pool. Should the pool be
      // full, the cell keeps the shared slot and its text.
      const ShortString text(CellBytes(c, p));
      const std::uint32_t fresh = AllocateSlot(static_cast<std::uint8_t>(text.size()));
      std::uint8_t* slot = Slot(fresh);
      slot[0] = static_cast<std::uint8_t>(text.size());
      std::copy(text.begin(), text.end(), slot + 1);
      Handle(c, p) = fresh;
    }
  }
}

std::int32_t TStringArray::GetSortOrder(std::int32_t ix) const {
  if (ix < 1 || ix > FNRow) return -1;
  return PhysRow(ix);
}

void TStringArray::SetSortOrder(std::int32_t ix, std::int32_t position) {
  if (ix < 1 || ix > FNRow || position < 1 || position > FNRow) return;
  FSortIx[static_cast<std::size_t>(ix - 1)] = position;
  FIdentityOrder = false;
}

}  // namespace kez
