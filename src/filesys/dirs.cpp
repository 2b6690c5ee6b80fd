// Directory questions and tree scans.
#include "kez/filesys/dirs.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <limits>

#include "filesys/treenames.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"
#include "platform/folderwalk.hpp"
#include "platform/fsinternal.hpp"

namespace kez {
namespace {

// A mask split into the folder it names (opened) and its last component.
struct MaskRoot {
  String DirPart;
  String NamePart;
  std::string Native;
  detail::OpenFolder Folder;
};

MaskRoot OpenMaskRoot(StringView Mask) {
  MaskRoot r;
  const std::size_t cut = detail::NameStart(Mask);
  r.DirPart = String(Mask.substr(0, cut));
  r.NamePart = String(Mask.substr(cut));
  r.Native = detail::NativeDirOf(r.DirPart);
  if (!r.Native.empty()) r.Folder = detail::OpenFolder::AtPath(r.Native);
  return r;
}

// The names a scan reports: the folder part upper-cased, the names as on disk. Where the
// upper-cased root would lead elsewhere than the folder opened (a twin that differs only
// in letter case), every name is given verbatim.
detail::TreeNames UpperCasedNames(const MaskRoot& Root) {
  if (IsVerbatimFileName(Root.DirPart)) return detail::TreeNames(Root.DirPart, Root.Native, true);
  const String upper = UpperCase(Root.DirPart);
  struct stat opened {
  }, named{};
  const bool same = ::fstat(Root.Folder.Fd(), &opened) == 0 &&
                    ::stat(detail::NativeDirOf(upper).c_str(), &named) == 0 &&
                    opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
  return detail::TreeNames(upper, Root.Native, !same);
}

// Enters the subfolder at Index of the walk's current entries, naming it upper-cased.
bool EnterUpperCased(detail::TreeWalk& Walk, detail::TreeNames& Names, std::size_t Index) {
  const std::string name = Walk.Entries()[Index].Name;
  const bool ambiguous = detail::AmbiguousIgnoringCase(Walk.Entries(), Index);
  if (!Walk.Enter(name)) return false;
  Names.Push(name, UpperCase(NativeToString(name)), ambiguous);
  return true;
}

// Leaves the walk's current folder; false when the walk is over.
bool LeaveFolder(detail::TreeWalk& Walk, detail::TreeNames& Names) {
  if (Walk.Depth() == 0 || !Walk.Leave()) return false;
  Names.Pop();
  return true;
}

struct ScanState {
  TStrings* List = nullptr;
  std::int32_t Count = 0;
};

void Scan(StringView Mask, bool Subdirectories, ScanState& S, const TScanFilesFeedback& Feedback) {
  MaskRoot root = OpenMaskRoot(Mask);
  if (!root.Folder.IsOpen()) return;
  detail::TreeNames names = UpperCasedNames(root);
  detail::TreeWalk walk(std::move(root.Folder), true);
  const auto visit = [&] {
    if (Feedback) Feedback(names.Folder(), S.Count);
    const detail::EntryMatcher matcher(walk.Entries(), root.NamePart);
    for (const auto& e : walk.Entries()) {
      if (!matcher.Matches(e) || detail::IsFolderEntry(walk.Fd(), e)) continue;
      if (S.List != nullptr) S.List->Add(names.Of(e.Name));
      if (S.Count < std::numeric_limits<std::int32_t>::max()) ++S.Count;
    }
  };
  if (!walk.Ok()) return;
  visit();
  if (!Subdirectories) return;
  for (;;) {
    const detail::FolderEntry* e = walk.Next();
    if (e == nullptr) {
      if (!LeaveFolder(walk, names)) break;
    } else if (e->Type == DT_DIR &&
               EnterUpperCased(walk, names, static_cast<std::size_t>(e - walk.Entries().data()))) {
      visit();
    }
  }
}

}  // namespace

bool DirExists(StringView Dir) { return !Dir.empty() && DirectoryExists(Dir); }

bool DirEmpty(StringView Dir) {
  const detail::OpenFolder folder = detail::OpenFolder::Named(Dir);
  std::vector<detail::FolderEntry> entries;
  return !folder.IsOpen() || !detail::ListFolder(folder.Fd(), false, entries) || entries.empty();
}

void ScanFilesToStrList(StringView Mask, bool Subdirectories, TStrings* List,
                        const TScanFilesFeedback& Feedback) {
  if (List == nullptr) return;
  ScanState s;
  s.List = List;
  Scan(Mask, Subdirectories, s, Feedback);
}

std::int32_t CountFiles(StringView Mask, bool Subdirectories, const TScanFilesFeedback& Feedback) {
  ScanState s;
  Scan(Mask, Subdirectories, s, Feedback);
  return s.Count;
}

void SetAllFilenameCase(StringView Mask, bool Upper) {
  MaskRoot root = OpenMaskRoot(Mask);
  detail::TreeWalk walk(std::move(root.Folder), true);
  std::vector<detail::EntryMatcher> matchers;
  if (walk.Ok()) matchers.emplace_back(walk.Entries(), root.NamePart);
  while (walk.Ok()) {
    const detail::FolderEntry* e = walk.Next();
    if (e == nullptr) {
      if (walk.Depth() == 0 || !walk.Leave()) break;
      matchers.pop_back();
      continue;
    }
    if (!matchers.back().Matches(*e)) continue;
    const String text = NativeToString(e->Name);
    const std::string renamed = StringToNative(Upper ? UpperCase(text) : LowerCase(text));
    const std::int32_t attr = detail::EntryAttributes(walk.Fd(), *e);
    // Only the name changes, inside the folder it was read from, never over another entry.
    if (renamed != e->Name && ::renameat2(walk.Fd(), e->Name.c_str(), walk.Fd(), renamed.c_str(),
                                          RENAME_NOREPLACE) != 0) {
      RaiseIOErrorFromErrno(errno);
    }
    if (attr != faDirectory) continue;
    // A plain folder whose entries cannot be listed is reported, not passed over.
    errno = 0;
    if (!walk.Enter(renamed)) RaiseIOErrorFromErrno(errno != 0 ? errno : EIO);
    matchers.emplace_back(walk.Entries(), root.NamePart);
  }
}

String FileDetect(StringView FileName) {
  MaskRoot root = OpenMaskRoot(FileName);
  if (!root.Folder.IsOpen()) return String();
  detail::TreeNames names = UpperCasedNames(root);
  detail::TreeWalk walk(std::move(root.Folder), true);
  constexpr std::int32_t kNotPlain = faHidden | faSysFile | faVolumeID | faDirectory;
  const auto found = [&]() -> const detail::FolderEntry* {
    const detail::EntryMatcher matcher(walk.Entries(), root.NamePart);
    for (const auto& e : walk.Entries()) {
      if (!matcher.Matches(e)) continue;
      const std::int32_t attr = detail::EntryAttributes(walk.Fd(), e);
      if (attr >= 0 && (attr & kNotPlain) == 0) return &e;
    }
    return nullptr;
  };
  if (!walk.Ok()) return String();
  const detail::FolderEntry* hit = found();
  while (hit == nullptr) {
    const detail::FolderEntry* e = walk.Next();
    if (e == nullptr) {
      if (!LeaveFolder(walk, names)) return String();
    } else if (e->Type == DT_DIR && detail::EntryAttributes(walk.Fd(), *e) == faDirectory &&
               EnterUpperCased(walk, names, static_cast<std::size_t>(e - walk.Entries().data()))) {
      hit = found();
    }
  }
  return names.Of(hit->Name);
}

}  // namespace kez
