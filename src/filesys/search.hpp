// The directory listing every tree operation of the file-system unit is built on.
#pragma once

#include "kez/platform/filesystem.hpp"
#include "platform/fsinternal.hpp"

namespace kez {

// ForEachEntry
// Calls Visit for each entry FindFirst/FindNext give for Path and Attr, until Visit
// returns false. The search is closed on every path, exceptions included.
template <typename Fn>
void ForEachEntry(StringView Path, std::int32_t Attr, Fn&& Visit) {
  TSearchRec F;
  if (FindFirst(Path, Attr, F) != 0) return;
  struct Closer {
    TSearchRec& F;
    ~Closer() { FindClose(F); }
  } closer{F};
  do {
    if (!Visit(static_cast<const TSearchRec&>(F))) break;
  } while (FindNext(F) == 0);
}

}  // namespace kez
