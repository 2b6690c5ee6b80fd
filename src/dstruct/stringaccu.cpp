// TStringAccu: distinct strings with their occurrence counts.
#include <limits>
#include <stdexcept>

#include "kez/dstruct.hpp"

namespace kez {

TStringAccu::TStringAccu(TComponent* AOwner) : TComponent(AOwner) {}

void TStringAccu::Add(const String& s) {
  GuardAllocation<EKEZDStructError>(*this, u"not enough memory on heap", [&] {
    auto [it, inserted] = FIndex.try_emplace(s, FSize);
    if (!inserted) {
      std::int32_t& count = FCntArray[static_cast<std::size_t>(it->second)];
      if (count < std::numeric_limits<std::int32_t>::max()) ++count;
      return;
    }
    if (FSize == std::numeric_limits<std::int32_t>::max()) {  // Size could not count it
      FIndex.erase(it);
      throw std::length_error("TStringAccu");
    }
    // The map's nodes never move, so the order array can point at its keys. Undo the
    // insertion if the arrays cannot grow, so that all three stay in step.
    try {
      FStrArray.push_back(&it->first);
      FCntArray.push_back(1);
    } catch (...) {
      if (FStrArray.size() > static_cast<std::size_t>(FSize)) FStrArray.pop_back();
      FIndex.erase(it);
      throw;
    }
    ++FSize;
  });
}

String TStringAccu::GetString(std::int32_t ix) const {
  if (ix < 1 || ix > FSize) return String();
  return *FStrArray[static_cast<std::size_t>(ix - 1)];
}

std::int32_t TStringAccu::GetCount(std::int32_t ix) const {
  if (ix < 1 || ix > FSize) return 0;
  return FCntArray[static_cast<std::size_t>(ix - 1)];
}

void TStringAccu::Clear() {
  FStrArray.clear();
  FCntArray.clear();
  FIndex.clear();
  FSize = 0;
}

}  // namespace kez
