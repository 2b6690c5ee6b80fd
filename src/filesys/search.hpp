// Choosing the files a mask names, for the operations of the file-system unit that act on
// file sets (not installed).
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "platform/folderwalk.hpp"
#include "platform/fsinternal.hpp"

namespace kez {

// ForEachFileOfMask
// The files a mask names for deletion or the trash: the mask is expanded to a full name
// and its folder opened; of the entries its last component names (a name without
// wildcards that exists with its exact spelling names that entry alone), those starting
// with "." and folders (links to folders included) are passed over. Visit gets the open
// folder, its native path and the exact name of each file, and returns whether it handled
// it; the result counts those (up to 2^31 - 1).
template <typename Fn>
std::int32_t ForEachFileOfMask(StringView Mask, Fn&& Visit) {
  const String full = ExpandFileName(Mask);
  const std::size_t cut = detail::NameStart(full);
  const std::string dir = detail::NativeDirOf(full.substr(0, cut));
  const detail::OpenFolder folder = detail::OpenFolder::AtPath(dir);
  std::vector<detail::FolderEntry> entries;
  if (dir.empty() || !folder.IsOpen() || !detail::ListFolder(folder.Fd(), true, entries)) return 0;
  const detail::EntryMatcher matcher(entries, StringView(full).substr(cut));
  std::int32_t count = 0;
  for (const auto& e : entries) {
    if (e.Name[0] == '.' || !matcher.Matches(e) || detail::IsFolderEntry(folder.Fd(), e)) {
      continue;
    }
    if (Visit(folder.Fd(), dir, e.Name) && count < std::numeric_limits<std::int32_t>::max()) {
      ++count;
    }
  }
  return count;
}

}  // namespace kez
