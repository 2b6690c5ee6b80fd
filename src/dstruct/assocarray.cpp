// TAssocArray: entries, the hash index and the typed readers.
#include "kez/dstruct/assocarray.hpp"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

#include "kez/dstruct.hpp"
#include "kez/kezbase.hpp"
#include "kez/platform/sysutils.hpp"

namespace kez {
namespace {

constexpr char16_t kNoMemory[] = u"not enough memory on heap";

// A-Z lower-cased; inline, as hashing and comparing keys fold every character.
char16_t FoldAZ(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// FNV-1a over the code units as Map gives them.
template <class MapChar>
std::size_t Fnv1a(StringView key, MapChar&& Map) {
  std::uint64_t h = 14695981039346656037ull;
  for (const char16_t c : key) {
    h ^= Map(c);
    h *= 1099511628211ull;
  }
  return static_cast<std::size_t>(h ^ (h >> 29));
}

}  // namespace

std::size_t TAssocArray::KeyHash::operator()(std::int32_t ix) const {
  return Owner->FHashes[static_cast<std::size_t>(ix - 1)];
}
std::size_t TAssocArray::KeyHash::operator()(StringView key) const { return Owner->HashKey(key); }

bool TAssocArray::KeyEqual::operator()(std::int32_t a, std::int32_t b) const {
  return a == b || Owner->KeysEqual(Owner->FKeyArray[static_cast<std::size_t>(a - 1)],
                                    Owner->FKeyArray[static_cast<std::size_t>(b - 1)]);
}
bool TAssocArray::KeyEqual::operator()(StringView a, std::int32_t b) const {
  return Owner->KeysEqual(a, Owner->FKeyArray[static_cast<std::size_t>(b - 1)]);
}
bool TAssocArray::KeyEqual::operator()(std::int32_t a, StringView b) const {
  return Owner->KeysEqual(Owner->FKeyArray[static_cast<std::size_t>(a - 1)], b);
}

TAssocArray::TAssocArray(TComponent* AOwner)
    : TComponent(AOwner), FIndex(0, KeyHash{this}, KeyEqual{this}) {
  Reserve(GrowthStep(0));
}

TAssocArray::~TAssocArray() = default;

std::size_t TAssocArray::HashKey(StringView key) const {
  // Over the folded code units when ignoring case, so that equal keys hash alike.
  if (FIgnoreCase) return Fnv1a(key, FoldAZ);
  return Fnv1a(key, [](char16_t c) { return c; });
}

bool TAssocArray::KeysEqual(StringView a, StringView b) const {
  if (a.size() != b.size()) return false;
  if (!FIgnoreCase) return a == b;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldAZ(a[i]) != FoldAZ(b[i])) return false;
  }
  return true;
}

std::int32_t TAssocArray::FindKey(StringView Key) const {
  const auto it = FIndex.find(Key);
  return it == FIndex.end() ? 0 : *it;
}

String TAssocArray::FoldedKey(StringView key) const {
  return FIgnoreCase ? LowerCase(key) : String(key);
}

void TAssocArray::Link(std::int32_t ix, IndexNode Spare) {
  const auto it = FIndex.find(ix);
  if (it == FIndex.end()) {
    if (Spare.empty()) {
      FIndex.insert(ix);
    } else {
      Spare.value() = ix;
      FIndex.insert(std::move(Spare));
    }
    return;
  }
  std::set<std::int32_t>& members = FDups[FoldedKey(FKeyArray[static_cast<std::size_t>(ix - 1)])];
  if (members.empty()) members.insert(*it);
  members.insert(ix);
  if (ix < *it) {
    IndexNode node = FIndex.extract(it);
    node.value() = ix;
    FIndex.insert(std::move(node));
  }
}

TAssocArray::IndexNode TAssocArray::Unlink(std::int32_t ix) {
  const auto it = FIndex.find(ix);  // the lowest entry of ix's class
  if (!FDups.empty()) {
    const auto dup = FDups.find(FoldedKey(FKeyArray[static_cast<std::size_t>(ix - 1)]));
    if (dup != FDups.end()) {
      dup->second.erase(ix);
      const std::int32_t lowest = *dup->second.begin();
      if (dup->second.size() == 1) FDups.erase(dup);
      if (*it == ix) {
        IndexNode node = FIndex.extract(it);
        node.value() = lowest;
        FIndex.insert(std::move(node));
      }
      return {};
    }
  }
  return FIndex.extract(it);
}

void TAssocArray::RebuildIndex() {
  FIndex.clear();
  FDups.clear();
  FIndex.reserve(static_cast<std::size_t>(FNEntries));
  for (std::size_t i = 0; i < FHashes.size(); ++i) FHashes[i] = HashKey(FKeyArray[i]);
  // Linking in entry order keeps the lowest entry of each class in the index.
  for (std::int32_t ix = 1; ix <= FNEntries; ++ix) Link(ix);
}

// Granularity entries, but at least half the size, so that filling a large table stays
// linear, and no more than the size or 65536 entries, so that a huge Granularity does not
// claim memory the table may never use.
std::size_t TAssocArray::GrowthStep(std::size_t Size) const {
  const std::size_t most = std::max<std::size_t>(Size, 65536);
  return std::min(std::max(static_cast<std::size_t>(FGranularity), Size / 2), most);
}

void TAssocArray::Reserve(std::size_t Room) {
  // Room is a wish (Granularity may be huge): what cannot be had is left to growth later.
  try {
    FKeyArray.reserve(Room);
    FDataArray.reserve(Room);
    FHashes.reserve(Room);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
}

void TAssocArray::SetGranularity(std::int32_t Value) { FGranularity = std::max(Value, 1); }

void TAssocArray::SetIgnoreCase(bool Value) {
  if (Value == FIgnoreCase) return;
  FIgnoreCase = Value;
  RebuildIndex();
}

void TAssocArray::Add(StringView Key, const Variant& Value) {
  const std::int32_t found = FindKey(Key);
  if (found > 0) {
    FDataArray[static_cast<std::size_t>(found - 1)] = Value;
    return;
  }
  GuardAllocation<EKEZDStructError>(*this, kNoMemory, [&] {
    // Entry numbers are 32-bit: a full table has no room, as if memory had run out.
    if (FNEntries == std::numeric_limits<std::int32_t>::max()) throw std::bad_alloc();
    const std::size_t n = static_cast<std::size_t>(FNEntries);
    if (n == FKeyArray.capacity() || n == FDataArray.capacity() || n == FHashes.capacity())
      Reserve(n + GrowthStep(n));
    FKeyArray.emplace_back(FIgnoreCase ? LowerCase(Key) : String(Key));
    try {
      FHashes.push_back(HashKey(FKeyArray.back()));
      FDataArray.push_back(Value);
      FIndex.insert(FNEntries + 1);
    } catch (...) {
      if (FDataArray.size() > n) FDataArray.pop_back();
      if (FHashes.size() > n) FHashes.pop_back();
      FKeyArray.pop_back();
      throw;
    }
    ++FNEntries;
  });
}

bool TAssocArray::Remove(StringView Key) {
  if (FDups.empty()) {
    // Every class holds one entry: the key's node leaves the index, and the last entry's
    // node follows that entry to its new number.
    const auto found = FIndex.find(Key);
    if (found == FIndex.end()) return false;
    const std::int32_t ix = *found;
    const std::int32_t last = FNEntries;
    const IndexNode removed = FIndex.extract(found);  // freed on return
    if (ix != last) {
      // The last entry's hash moves with it, so its node may stay in its bucket and only
      // name the new slot: what extracting the node, renumbering it and inserting it again
      // would do, without the second look-up. The element is a plain (non-const) integer,
      // and the change keeps the hash and the equality the set relies on.
      const auto moved = FIndex.find(last);
      MoveLastEntryTo(ix);
      const_cast<std::int32_t&>(*moved) = ix;
    }
    DropLastEntry();
    return true;
  }
  const std::int32_t ix = FindKey(Key);
  if (ix == 0) return false;
  const std::int32_t last = FNEntries;
  // Both entries leave the index before their slots change; the moved entry comes back
  // under its new number in the node the removed one freed, so nothing is allocated.
  IndexNode spare = Unlink(ix);
  if (ix != last) {
    IndexNode moved = Unlink(last);
    if (spare.empty()) spare = std::move(moved);
    MoveLastEntryTo(ix);
  }
  DropLastEntry();
  if (ix != last) Link(ix, std::move(spare));
  return true;
}

void TAssocArray::MoveLastEntryTo(std::int32_t ix) {
  const auto i = static_cast<std::size_t>(ix - 1);
  FKeyArray[i] = std::move(FKeyArray.back());
  FDataArray[i] = std::move(FDataArray.back());
  FHashes[i] = FHashes.back();
}

void TAssocArray::DropLastEntry() {
  FKeyArray.pop_back();
  FDataArray.pop_back();
  FHashes.pop_back();
  --FNEntries;
}

void TAssocArray::Clear() {
  FIndex.clear();
  FDups.clear();
  FNEntries = 0;
  std::vector<String>().swap(FKeyArray);
  std::vector<Variant>().swap(FDataArray);
  std::vector<std::size_t>().swap(FHashes);
  Reserve(GrowthStep(0));
}

Variant TAssocArray::Resolve(StringView Key) const {
  const std::int32_t ix = FindKey(Key);
  return ix == 0 ? Null() : FDataArray[static_cast<std::size_t>(ix - 1)];
}

String TAssocArray::ResolveAsString(StringView Key) const {
  const std::int32_t ix = FindKey(Key);
  return ix == 0 ? String() : FDataArray[static_cast<std::size_t>(ix - 1)].ToString();
}

double TAssocArray::ResolveAsNumber(StringView Key) const {
  const std::int32_t ix = FindKey(Key);
  if (ix == 0) return 0;
  const Variant& v = FDataArray[static_cast<std::size_t>(ix - 1)];
  switch (v.VarType()) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return v.ToDouble();
    case varString:
      return ScanNumberText(v.ToAnsiString()).Value;
    case varUString:
      return ScanNumberText(v.ToString()).Value;
    default:
      return 0;
  }
}

std::int32_t TAssocArray::ResolveAsInt(StringView Key) const {
  const std::int32_t ix = FindKey(Key);
  if (ix == 0) return 0;
  const Variant& v = FDataArray[static_cast<std::size_t>(ix - 1)];
  switch (v.VarType()) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return v.ToInt32();
    case varString:
      return ScanIntegerText(v.ToAnsiString());
    case varUString:
      return ScanIntegerText(v.ToString());
    default:
      return 0;
  }
}

String TAssocArray::GetKeys(std::int32_t ix) const {
  if (ix < 1 || ix > FNEntries) return {};
  return FKeyArray[static_cast<std::size_t>(ix - 1)];
}

void TAssocArray::SetKeys(std::int32_t ix, StringView v) {
  if (ix < 1 || ix > FNEntries) return;
  String key(v);  // allocates before the entry leaves the index
  IndexNode node = Unlink(ix);
  FKeyArray[static_cast<std::size_t>(ix - 1)] = std::move(key);
  FHashes[static_cast<std::size_t>(ix - 1)] = HashKey(v);
  Link(ix, std::move(node));
}

Variant TAssocArray::GetValues(std::int32_t ix) const {
  if (ix < 1 || ix > FNEntries) return Variant(String());
  return FDataArray[static_cast<std::size_t>(ix - 1)];
}

void TAssocArray::SetValues(std::int32_t ix, const Variant& v) {
  if (ix < 1 || ix > FNEntries) return;
  FDataArray[static_cast<std::size_t>(ix - 1)] = v;
}

}  // namespace kez
