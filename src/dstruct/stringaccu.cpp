// TStringAccu: distinct strings with their occurrence counts.
#include <limits>
#include <stdexcept>

#include "kez/dstruct.hpp"

namespace kez {

TStringAccu::TStringAccu(TComponent* AOwner) : TComponent(AOwner) {}

void TStringAccu::Add(const String& s) {
  GuardAllocation<EKEZDStructError>(*this, u"not enough memory on heap", [&] {
    auto [it, inserted] = FIndex.try_emplace(s, 1);
    if (!inserted) {
      if (it->second < std::numeric_limits<std::int32_t>::max()) ++it->second;
      return;
    }
    // Undo the insertion if Size could not count the string or the order array cannot
    // grow, so that both stay in step.
    try {
      if (FSize == std::numeric_limits<std::int32_t>::max()) throw std::length_error("TStringAccu");
      FEntries.push_back(&*it);
    } catch (...) {
      FIndex.erase(it);
      throw;
    }
    ++FSize;
  });
}

String TStringAccu::GetString(std::int32_t ix) const {
  if (ix < 1 || ix > FSize) return String();
  return FEntries[static_cast<std::size_t>(ix - 1)]->first;
}

std::int32_t TStringAccu::GetCount(std::int32_t ix) const {
  if (ix < 1 || ix > FSize) return 0;
  return FEntries[static_cast<std::size_t>(ix - 1)]->second;
}

void TStringAccu::Clear() {
  FEntries.clear();
  FIndex.clear();
  FSize = 0;
}

}  // namespace kez
