// Directory questions and tree scans.
#include "kez/filesys/dirs.hpp"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <limits>

#include "filesys/search.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {
namespace {

// A directory entry that a tree walk descends into: a directory that is not a symbolic
// link, and not "." or "..".
bool IsSubdirectory(const TSearchRec& F) {
  return (F.Attr & faDirectory) != 0 && (F.Attr & faSymLink) == 0 && F.Name != u"." &&
         F.Name != u"..";
}

struct ScanState {
  TStrings* List = nullptr;
  std::int32_t Count = 0;
  const TScanFilesFeedback* Feedback = nullptr;
};

// Each visit upper-cases its mask, so every directory part listed is upper-cased.
void ScanVisit(const String& AnyCaseMask, bool Subdirectories, ScanState& S) {
  const String Mask = UpperCase(AnyCaseMask);
  const std::size_t cut = detail::NameStart(Mask);
  const String path = Mask.substr(0, cut);
  const String name = Mask.substr(cut);
  if (*S.Feedback) (*S.Feedback)(path, S.Count);
  ForEachEntry(Mask, faAnyFile, [&](const TSearchRec& F) {
    if ((F.Attr & faDirectory) != 0) return true;
    if (S.List != nullptr) S.List->Add(path + F.Name);
    if (S.Count < std::numeric_limits<std::int32_t>::max()) ++S.Count;
    return true;
  });
  if (!Subdirectories) return;
  ForEachEntry(path + u"*.*", faAnyFile, [&](const TSearchRec& F) {
    if (IsSubdirectory(F)) ScanVisit(path + F.Name + u"\\" + name, true, S);
    return true;
  });
}

void Scan(StringView Mask, bool Subdirectories, ScanState& S) {
  ScanVisit(String(Mask), Subdirectories, S);
}

void RenameNoReplace(StringView From, StringView To) {
  const std::string from = NativeFileName(From);
  const std::string dir = from.substr(0, from.find_last_of('/') + 1);
  // Only the last component changes; the directory part is the one the entry was found in.
  const String to(To);
  const std::string newName = StringToUtf8(StringView(to).substr(detail::NameStart(to)));
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, (dir + newName).c_str(), RENAME_NOREPLACE) !=
      0) {
    RaiseIOErrorFromErrno(errno);
  }
}

void CaseVisit(const String& Mask, bool Upper) {
  const std::size_t cut = detail::NameStart(Mask);
  const String path = Mask.substr(0, cut);
  const String name = Mask.substr(cut);
  ForEachEntry(Mask, faAnyFile, [&](const TSearchRec& F) {
    if (F.Name == u"." || F.Name == u"..") return true;
    const String renamed = Upper ? UpperCase(F.Name) : LowerCase(F.Name);
    if (renamed != F.Name) RenameNoReplace(path + F.Name, path + renamed);
    if (F.Attr == faDirectory) CaseVisit(path + renamed + u"\\" + name, Upper);
    return true;
  });
}

bool DetectIn(const String& Path, const String& Name, String& Found) {
  TSearchRec F;
  if (FindFirst(Path + Name, 0, F) == 0) {
    Found = Path + F.Name;
    FindClose(F);
    return true;
  }
  bool hit = false;
  ForEachEntry(Path + u"*.*", faDirectory, [&](const TSearchRec& D) {
    if (D.Attr == faDirectory && D.Name != u"." && D.Name != u"..") {
      hit = DetectIn(Path + UpperCase(D.Name) + u"\\", Name, Found);
    }
    return !hit;
  });
  return hit;
}

}  // namespace

bool DirExists(StringView Dir) { return !Dir.empty() && DirectoryExists(Dir); }

bool DirEmpty(StringView Dir) {
  bool empty = true;
  ForEachEntry(EnsureTrailingBkSlash(Dir) + u"*.*", faAnyFile, [&](const TSearchRec& F) {
    empty = F.Name == u"." || F.Name == u"..";
    return empty;
  });
  return empty;
}

void ScanFilesToStrList(StringView Mask, bool Subdirectories, TStrings* List,
                        const TScanFilesFeedback& Feedback) {
  if (List == nullptr) return;
  ScanState s;
  s.List = List;
  s.Feedback = &Feedback;
  Scan(Mask, Subdirectories, s);
}

std::int32_t CountFiles(StringView Mask, bool Subdirectories, const TScanFilesFeedback& Feedback) {
  ScanState s;
  s.Feedback = &Feedback;
  Scan(Mask, Subdirectories, s);
  return s.Count;
}

void SetAllFilenameCase(StringView Mask, bool Upper) { CaseVisit(LowerCase(Mask), Upper); }

String FileDetect(StringView FileName) {
  const String upper = UpperCase(FileName);
  const std::size_t cut = detail::NameStart(upper);
  String found;
  DetectIn(upper.substr(0, cut), upper.substr(cut), found);
  return found;
}

}  // namespace kez
