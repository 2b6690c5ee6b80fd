// TStringArray: sorting the row view, undoing and committing it, and the row-order index.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "kez/dstruct.hpp"
#include "stringarray_fold.hpp"

namespace kez {

namespace {

using detail::FoldAZ;

// The sort key of one byte of cell text: its UTF-16 character with A-Z lower-cased.
const std::array<char16_t, 256>& KeyChars() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = LoCaseASCII(AnsiCharToChar(static_cast<unsigned char>(b)));
    return t;
  }();
  return table;
}

// The sort keys of one column for every physical row, folded once and packed in one
// buffer: key of physical row p is Text[Start[p-1] .. Start[p]).
struct PreparedKeys {
  std::vector<char16_t> Text;
  std::vector<std::size_t> Start;

  StringView Key(std::int32_t p) const {
    const std::size_t b = Start[static_cast<std::size_t>(p - 1)];
    return {Text.data() + b, Start[static_cast<std::size_t>(p)] - b};
  }
};

// The comb sort over the row-order index. Compare(a, b) gives the three-way order of the
// keys of physical rows a and b. Progress is reported after each pass as the share of the
// comparisons made in an estimated total.
template <class CompareRows>
void CombSort(std::vector<std::int32_t>& Ix, std::int32_t N, bool Ascending, CompareRows&& Compare,
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
      std::int32_t& a = Ix[static_cast<std::size_t>(c - 1)];
      std::int32_t& b = Ix[static_cast<std::size_t>(c + gap - 1)];
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

}  // namespace

void TStringArray::BeforeSortExchange(const String& InString, String& OutString) {
  OutString = InString;
  if (FOnBefSortExc) FOnBefSortExc(this, InString, OutString);
}

// Without a key hook the keys of every row are read, widened and folded once, so the sort
// compares packed UTF-16 texts only; the order is the one the per-comparison reading gives.
// With a hook, the hook sees the keys at every comparison, as it may rely on.
void TStringArray::Sort(std::int32_t Col, std::int32_t ColSec, bool Ascending) {
  std::function<void(std::int32_t)> progress;
  if (FOnPercentDone) progress = [this](std::int32_t percent) { FOnPercentDone(this, percent); };
  if (progress) progress(0);
  const std::int32_t n = FNRow;
  const bool validCol = Col >= 0 && Col <= FNCol;
  const bool secondary = ColSec >= 1;
  const bool validSec = secondary && ColSec <= FNCol;

  if (n <= 1) {
    CombSort(
        FSortIx, n, Ascending, [](std::int32_t, std::int32_t) { return 0; }, progress);
  } else if (!FOnBefSortExc) {
    const auto& keyChars = KeyChars();
    auto prepare = [&](std::int32_t column, bool valid) {
      PreparedKeys keys;
      keys.Start.assign(static_cast<std::size_t>(n) + 1, 0);
      if (!valid) return keys;
      std::size_t length = 0;
      for (std::int32_t p = 1; p <= n; ++p) length += CellBytes(column, p).size();
      keys.Text.reserve(length);
      for (std::int32_t p = 1; p <= n; ++p) {
        for (char ch : CellBytes(column, p))
          keys.Text.push_back(keyChars[static_cast<unsigned char>(ch)]);
        keys.Start[static_cast<std::size_t>(p)] = keys.Text.size();
      }
      return keys;
    };
    const PreparedKeys primary = prepare(Col, validCol);
    const PreparedKeys second = secondary ? prepare(ColSec, validSec) : PreparedKeys{};
    CombSort(
        FSortIx, n, Ascending,
        [&](std::int32_t a, std::int32_t b) {
          const int order = ThreeWay(primary.Key(a), primary.Key(b));
          if (order != 0 || !secondary) return order;
          return ThreeWay(second.Key(a), second.Key(b));
        },
        progress);
  } else {
    String in;
    String keyA;
    String keyB;
    auto key = [&](std::int32_t column, bool valid, std::int32_t p, String& out) {
      const std::string_view bytes = valid ? CellBytes(column, p) : std::string_view{};
      in.resize(bytes.size());
      std::transform(bytes.begin(), bytes.end(), in.begin(),
                     [](char ch) { return AnsiCharToChar(static_cast<unsigned char>(ch)); });
      BeforeSortExchange(in, out);
      FoldAZ(out);
    };
    CombSort(
        FSortIx, n, Ascending,
        [&](std::int32_t a, std::int32_t b) {
          key(Col, validCol, a, keyA);
          key(Col, validCol, b, keyB);
          const int order = ThreeWay(keyA, keyB);
          if (order != 0 || !secondary) return order;
          key(ColSec, validSec, a, keyA);
          key(ColSec, validSec, b, keyB);
          return ThreeWay(keyA, keyB);
        },
        progress);
  }
  if (n > 1) Changed();
  if (progress) progress(100);
}

void TStringArray::UnSort() {
  for (std::int32_t i = 1; i <= FNRow; ++i) FSortIx[static_cast<std::size_t>(i - 1)] = i;
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
}

}  // namespace kez
