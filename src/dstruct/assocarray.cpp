// TAssocArray: entries, the hash index and the typed readers.
#include "kez/dstruct/assocarray.hpp"

#include <algorithm>

#include "kez/dstruct.hpp"
#include "kez/kezbase.hpp"
#include "kez/platform/sysutils.hpp"

namespace kez {
namespace {

constexpr char16_t kNoMemory[] = u"not enough memory on heap";

char16_t Fold(char16_t c, bool ignoreCase) { return ignoreCase ? LoCaseASCII(c) : c; }

}  // namespace

std::size_t TAssocArray::KeyHash::operator()(std::int32_t ix) const {
  return Owner->HashKey(Owner->FKeyArray[static_cast<std::size_t>(ix - 1)]);
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
  Reserve(static_cast<std::size_t>(FGranularity));
}

TAssocArray::~TAssocArray() = default;

std::size_t TAssocArray::HashKey(StringView key) const {
  // FNV-1a over the folded code units, so equal keys under either rule hash alike.
  std::uint64_t h = 14695981039346656037ull;
  for (char16_t c : key) {
    h ^= Fold(c, FIgnoreCase);
    h *= 1099511628211ull;
  }
  return static_cast<std::size_t>(h ^ (h >> 29));
}

bool TAssocArray::KeysEqual(StringView a, StringView b) const {
  if (a.size() != b.size()) return false;
  if (!FIgnoreCase) return a == b;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LoCaseASCII(a[i]) != LoCaseASCII(b[i])) return false;
  }
  return true;
}

std::int32_t TAssocArray::FindKey(StringView Key) const {
  const auto it = FIndex.find(Key);
  return it == FIndex.end() ? 0 : *it;
}

void TAssocArray::RebuildIndex() {
  FIndex.clear();
  FIndex.reserve(static_cast<std::size_t>(FNEntries));
  // Inserting in entry order keeps the lowest entry of each class of equal keys.
  for (std::int32_t ix = 1; ix <= FNEntries; ++ix) FIndex.insert(ix);
}

void TAssocArray::Reserve(std::size_t Room) {
  FKeyArray.reserve(Room);
  FDataArray.reserve(Room);
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
    const std::size_t n = static_cast<std::size_t>(FNEntries);
    if (n == FKeyArray.capacity() || n == FDataArray.capacity()) {
      // Growing by half the size at least keeps filling a large table linear.
      Reserve(n + std::max<std::size_t>(static_cast<std::size_t>(FGranularity), n / 2));
    }
    FKeyArray.emplace_back(FIgnoreCase ? LowerCase(Key) : String(Key));
    try {
      FDataArray.push_back(Value);
      FIndex.insert(FNEntries + 1);
    } catch (...) {
      if (FDataArray.size() > n) FDataArray.pop_back();
      FKeyArray.pop_back();
      throw;
    }
    ++FNEntries;
  });
}

bool TAssocArray::Remove(StringView Key) {
  const std::int32_t ix = FindKey(Key);
  if (ix == 0) return false;
  const bool complete = IndexComplete();
  const std::int32_t last = FNEntries;
  // Take both entries out of the index before their slots change.
  FIndex.erase(ix);
  if (ix != last) FIndex.erase(last);
  if (ix != last) {
    FKeyArray[static_cast<std::size_t>(ix - 1)] = std::move(FKeyArray.back());
    FDataArray[static_cast<std::size_t>(ix - 1)] = std::move(FDataArray.back());
  }
  FKeyArray.pop_back();
  FDataArray.pop_back();
  --FNEntries;
  if (!complete) {
    // Other entries may hold keys equal to the removed or the moved one.
    RebuildIndex();
  } else if (ix != last) {
    FIndex.insert(ix);
  }
  return true;
}

void TAssocArray::Clear() {
  FIndex.clear();
  FNEntries = 0;
  std::vector<String>().swap(FKeyArray);
  std::vector<Variant>().swap(FDataArray);
  Reserve(static_cast<std::size_t>(FGranularity));
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
  const bool complete = IndexComplete();
  FIndex.erase(ix);
  FKeyArray[static_cast<std::size_t>(ix - 1)] = String(v);
  if (complete && FIndex.find(v) == FIndex.end()) {
    FIndex.insert(ix);
  } else {
    // Duplicates are involved: the lowest entry of each class must win.
    RebuildIndex();
  }
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
