// Walking folder trees through open folders (not installed).
//
// Every tree operation of the library holds the folder it works in open and names entries
// relative to it (openat, fstatat, unlinkat, renameat2), with the exact bytes it read from
// the disk. A name read from a folder is therefore never joined to other text and resolved
// again: a "\" or ".." in it, or a twin that differs only in letter case, cannot make it
// reach another file. Subfolders are opened with O_NOFOLLOW, so a walk never leaves the
// tree through a symbolic link, even one swapped in while it runs.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kez/platform/types.hpp"

namespace kez::detail {

// OpenFolder
// A folder descriptor (O_DIRECTORY), closed with the object. Empty when the open failed.
class OpenFolder {
 public:
  OpenFolder() = default;
  explicit OpenFolder(int Fd) : FFd(Fd) {}
  ~OpenFolder();
  OpenFolder(OpenFolder&& Other) noexcept : FFd(Other.FFd) { Other.FFd = -1; }
  OpenFolder& operator=(OpenFolder&& Other) noexcept;
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;

  int Fd() const { return FFd; }
  bool IsOpen() const { return FFd >= 0; }

  // The folder a library name names; a link to a folder is followed, since the caller
  // named it. Empty ("") is the current folder.
  static OpenFolder Named(StringView Name);
  // The folder at a native path (followed likewise).
  static OpenFolder AtPath(const std::string& NativePath);
  // The subfolder Name (exact bytes) of the open folder Fd, never through a symbolic link.
  static OpenFolder Sub(int Fd, const std::string& Name);

 private:
  int FFd = -1;
};

// FolderEntry
// One entry of a folder: its name as the disk holds it, and its kind (DT_DIR, DT_REG,
// DT_LNK, ...; never DT_UNKNOWN, which is resolved with fstatat when listing).
struct FolderEntry {
  std::string Name;
  unsigned char Type = 0;
};

// ListFolder
// The entries of a folder besides "." and "..", sorted by name ignoring ASCII case (then
// ordinally) when Sorted; false when it cannot be read. An entry gone before its kind
// could be told is left out.
bool ListFolder(int Fd, bool Sorted, std::vector<FolderEntry>& Entries);

// EntryAttributes
// The library's attributes of an entry of an open folder (see FindFirst), or -1 when it has
// gone.
std::int32_t EntryAttributes(int Fd, const FolderEntry& Entry);

// IsFolderEntry
// Whether an entry is a folder or a link to one, which file scans pass over.
bool IsFolderEntry(int Fd, const FolderEntry& Entry);

// EntryMatcher
// Which entries of a folder a wildcard mask names: a mask without "*" or "?" that one
// entry has with its exact spelling names that entry alone; otherwise every entry whose
// name matches the mask ignoring case (MatchesMask). "*" and "*.*" match every name.
class EntryMatcher {
 public:
  EntryMatcher(const std::vector<FolderEntry>& Entries, StringView Mask);
  bool Matches(const FolderEntry& Entry) const;

 private:
  String FMask;
  std::string FExact;
  bool FAll = false;
  bool FExactOnly = false;
};

// FolderChain
// The folders from a root down to the current one, each held open, of which only the
// deepest stay open: a folder whose descriptor was given up is opened again through ".."
// of its child and must still be the folder it was (same device and inode). A chain of
// any depth thus never runs out of descriptors, and a tree moved while it is walked ends
// the walk instead of leading it elsewhere.
class FolderChain {
 public:
  // Starts with Root; Ok is false when it is not open.
  explicit FolderChain(OpenFolder Root);
  bool Ok() const { return FOk; }
  std::size_t Depth() const { return FLevels.size() - 1; }
  // The current (deepest) folder; -1 when the chain is broken.
  int Fd() const { return FOk ? FLevels.back().Folder.Fd() : -1; }
  // Device and inode of the current folder.
  dev_t Dev() const { return FLevels.back().Dev; }
  ino_t Ino() const { return FLevels.back().Ino; }
  // Adds an open subfolder of the current one; false (nothing changes) when it is not open.
  bool Push(OpenFolder Sub);
  // Drops the current folder; false at the root or when its parent cannot be found again
  // (Ok is then false).
  bool Pop();

 private:
  struct Level {
    OpenFolder Folder;
    dev_t Dev = 0;
    ino_t Ino = 0;
  };
  std::vector<Level> FLevels;
  std::size_t FOpenFrom = 0;  // levels below this index have given up their descriptor
  bool FOk = false;
};

// TreeWalk
// A depth-first walk from a root folder, one folder at a time, on a FolderChain. Next gives
// the entries of the current folder; Enter moves into a subfolder just given, Leave back to
// the parent. Work is linear in the entries walked, whatever the depth.
class TreeWalk {
 public:
  TreeWalk(OpenFolder Root, bool Sorted);

  bool Ok() const { return FOk && FChain.Ok(); }
  // 0 in the root folder.
  std::size_t Depth() const { return FChain.Depth(); }
  // The current folder's descriptor (-1 once the walk is broken).
  int Fd() const { return FChain.Fd(); }
  dev_t Dev() const { return FChain.Dev(); }
  ino_t Ino() const { return FChain.Ino(); }
  // The current folder's entries, and the next one not yet given (nullptr at the end).
  const std::vector<FolderEntry>& Entries() const { return FLevels.back().Entries; }
  const FolderEntry* Next();
  // The name of the current folder in its parent (empty at the root).
  const std::string& Name() const { return FLevels.back().Name; }

  // Enters the subfolder Name of the current folder; false (and nothing changes) when it
  // is not a folder, is a link, or cannot be opened or read.
  bool Enter(const std::string& Name);
  // Goes back to the parent folder; false at the root, or when the parent cannot be found
  // again (the walk is then over: Ok is false).
  bool Leave();

 private:
  struct Level {
    std::string Name;
    std::vector<FolderEntry> Entries;
    std::size_t Next = 0;
  };
  FolderChain FChain;
  std::vector<Level> FLevels;
  bool FSorted;
  bool FOk = false;
};

}  // namespace kez::detail
