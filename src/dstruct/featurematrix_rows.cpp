// TFeatureMatrix: shape, objects and features, copying.
#include <algorithm>
#include <limits>

#include "dstruct/memorylimit.hpp"
#include "kez/dstruct.hpp"

namespace kez {
namespace {

constexpr StringView kNoMemory = u"not enough memory on heap";

String ClearedValue(TFeatKind kind) {
  return kind == fkInteger || kind == fkDouble ? String(u"0") : String();
}

// Whether the storage of a shape fits, computed in 64 bits (counts are below 2^31, so
// the cell count fits; the bytes are compared by division to avoid overflow).
// The largest int32 of features is refused too (it would take some 400 GB anyway), so that
// every loop "for f = 1 .. NFeatures" ends.
bool ShapeFits(std::int32_t nFeats, std::int32_t nObjs) {
  if (nFeats == std::numeric_limits<std::int32_t>::max()) return false;
  const std::uint64_t limit = detail::PhysicalMemoryBytes();
  const auto features = static_cast<std::uint64_t>(nFeats);
  const std::uint64_t perFeature = sizeof(TFeatProps) + sizeof(std::vector<String>);
  if (features > limit / perFeature) return false;
  const std::uint64_t cells = features * static_cast<std::uint64_t>(nObjs);
  return cells <= (limit - features * perFeature) / sizeof(String);
}

}  // namespace

bool TFeatureMatrix::Reshape(std::int32_t NFeats, std::int32_t NObjs) {
  if (NFeats < 0 || NObjs < 0 || !ShapeFits(NFeats, NObjs)) return false;
  const auto nFeats = static_cast<std::size_t>(NFeats);
  const auto nObjs = static_cast<std::size_t>(NObjs);
  const auto keepFeats = std::min(nFeats, FFeatVals.size());
  // First obtain all memory the new shape needs, with the matrix untouched: room in the
  // kept columns (growing geometrically, so that adding objects one by one stays linear)
  // and the new columns. Afterwards the changes only construct empty texts and move.
  std::vector<std::vector<String>> added;
  try {
    FFeatProps.reserve(nFeats);
    FFeatVals.reserve(nFeats);
    for (std::size_t f = 0; f < keepFeats; ++f) {
      auto& column = FFeatVals[f];
      if (nObjs > column.capacity()) column.reserve(std::max(nObjs, 2 * column.capacity()));
    }
    added.resize(nFeats - keepFeats);
    for (auto& column : added) column.resize(nObjs);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  for (std::size_t f = 0; f < keepFeats; ++f) FFeatVals[f].resize(nObjs);
  FFeatVals.resize(keepFeats);
  for (auto& column : added) FFeatVals.push_back(std::move(column));
  FFeatProps.resize(nFeats);
  FNFeats = NFeats;
  FNObjs = NObjs;
  return true;
}

bool TFeatureMatrix::Resize(std::int32_t NFeats, std::int32_t NObjs) {
  if (!Reshape(NFeats, NObjs)) return false;
  Changed();
  return true;
}

void TFeatureMatrix::SetNFeats(std::int32_t n) {
  if (n < 0) return;
  if (!Resize(n, FNObjs)) Fail(kNoMemory);
}

void TFeatureMatrix::SetNObjs(std::int32_t n) {
  if (n < 0) return;
  if (!Resize(FNFeats, n)) Fail(kNoMemory);
}

void TFeatureMatrix::Clear() {
  std::vector<TFeatProps>().swap(FFeatProps);
  std::vector<std::vector<String>>().swap(FFeatVals);
  FNFeats = 0;
  FNObjs = 0;
  Changed();
}

// ---- Objects ------------------------------------------------------------------------------

void TFeatureMatrix::InsertObject(std::int32_t obj) {
  if (obj < 1 || obj > FNObjs) return;
  if (FNObjs == std::numeric_limits<std::int32_t>::max()) Fail(kNoMemory);  // no room to count
  // Room first in every column, so that a failure leaves all of them as they were; the
  // inserts then only move texts. Cleared values are at most one character and never
  // allocate.
  GuardAllocation<EKEZDStructError>(*this, kNoMemory, [&] {
    for (auto& column : FFeatVals) column.reserve(column.size() + 1);
  });
  for (std::int32_t f = 1; f <= FNFeats; ++f) {
    auto& column = FFeatVals[static_cast<std::size_t>(f - 1)];
    column.insert(column.begin() + (obj - 1), ClearedValue(KindOf(f)));
  }
  ++FNObjs;
  Changed();
}

void TFeatureMatrix::RemoveObject(std::int32_t obj) {
  if (obj < 1 || obj > FNObjs) return;
  for (auto& column : FFeatVals) column.erase(column.begin() + (obj - 1));
  --FNObjs;
  Changed();
}

void TFeatureMatrix::ClearObject(std::int32_t obj) {
  if (obj < 1 || obj > FNObjs) return;
  for (std::int32_t f = 1; f <= FNFeats; ++f) Cell(f, obj) = ClearedValue(KindOf(f));
  Changed();
}

void TFeatureMatrix::CopyObject(std::int32_t Source, std::int32_t Target) {
  if (Source < 1 || Source > FNObjs || Target < 1 || Target > FNObjs) return;
  // Copy into new texts first: a copy may allocate, and a half-copied object would mix
  // two objects' values.
  std::vector<String> values;
  GuardAllocation<EKEZDStructError>(*this, kNoMemory, [&] {
    values.reserve(static_cast<std::size_t>(FNFeats));
    for (std::int32_t f = 1; f <= FNFeats; ++f) values.push_back(Cell(f, Source));
  });
  for (std::int32_t f = 1; f <= FNFeats; ++f)
    Cell(f, Target) = std::move(values[static_cast<std::size_t>(f - 1)]);
  Changed();
}

void TFeatureMatrix::ResetToDefault() {
  // Counted from 0, so that the object count may be the largest int32.
  for (std::int32_t o = 0; o < FNObjs; ++o) {
    for (std::int32_t f = 1; f <= FNFeats; ++f) Cell(f, o + 1) = ClearedValue(KindOf(f));
    Changed();
  }
}

// ---- Features -----------------------------------------------------------------------------

void TFeatureMatrix::InsertFeature(std::int32_t feat) {
  // A matrix never has the largest int32 of features, so FNFeats + 1 cannot overflow.
  if (feat < 1 || feat > FNFeats + 1) return;
  if (!ShapeFits(FNFeats + 1, FNObjs)) Fail(kNoMemory);
  TFeatProps props;
  ClearFeatProps(props);
  std::vector<String> column;
  GuardAllocation<EKEZDStructError>(*this, kNoMemory, [&] {
    column.resize(static_cast<std::size_t>(FNObjs));
    FFeatProps.reserve(FFeatProps.size() + 1);
    FFeatVals.reserve(FFeatVals.size() + 1);
  });
  FFeatProps.insert(FFeatProps.begin() + (feat - 1), std::move(props));
  FFeatVals.insert(FFeatVals.begin() + (feat - 1), std::move(column));
  ++FNFeats;
  Changed();
}

void TFeatureMatrix::ClearFeature(std::int32_t feat) {
  if (feat < 1 || feat > FNFeats) return;
  const String cleared = ClearedValue(KindOf(feat));
  for (String& value : FFeatVals[static_cast<std::size_t>(feat - 1)]) value = cleared;
  Changed();
}

// ---- Copying ------------------------------------------------------------------------------

void TFeatureMatrix::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TFeatureMatrix*>(Source);
  if (source == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (source == this) return;
  std::vector<TFeatProps> props;
  std::vector<std::vector<String>> vals;
  TNotifyEvent handler;
  GuardAllocation<EKEZDStructError>(*this, kNoMemory, [&] {
    props = source->FFeatProps;
    vals = source->FFeatVals;
    handler = source->FOnChange;
  });
  FFeatProps.swap(props);
  FFeatVals.swap(vals);
  FOnChange.swap(handler);
  FNFeats = source->FNFeats;
  FNObjs = source->FNObjs;
}

void TFeatureMatrix::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TFeatureMatrix*>(Dest)) {
    dest->Assign(this);
  } else {
    TComponent::AssignTo(Dest);
  }
}

}  // namespace kez
