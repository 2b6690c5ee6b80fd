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

// ForEachFileOfMask
// The files a mask names for deletion or the trash: the mask is expanded to a full name,
// and names starting with ".", volume labels and directories are passed over. Visit gets
// the full name of each file and returns whether it handled it; the result counts those
// (up to 2^31 - 1).
template <typename Fn>
std::int32_t ForEachFileOfMask(StringView Mask, Fn&& Visit) {
  const String full = ExpandFileName(Mask);
  const String path = full.substr(0, detail::NameStart(full));
  std::int32_t count = 0;
  ForEachEntry(full, faAnyFile, [&](const TSearchRec& F) {
    if (F.Name.empty() || F.Name[0] == u'.' || (F.Attr & (faVolumeID | faDirectory)) != 0) {
      return true;
    }
    if (Visit(path + F.Name) && count < 0x7FFFFFFF) ++count;
    return true;
  });
  return count;
}

}  // namespace kez
