// Directory search with wildcard masks and the attributes of Linux entries.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "platform/folderwalk.hpp"
#include "platform/fsinternal.hpp"

namespace kez {

namespace detail {

struct FindState {
  int DirFd = -1;
  std::vector<std::string> Names;
  std::size_t Next = 0;
  std::int32_t Exclude = 0;
  ~FindState() {
    if (DirFd >= 0) ::close(DirFd);
  }
};

std::size_t NameStart(StringView Path) {
  if (IsVerbatimFileName(Path)) {
    const std::size_t slash = Path.find_last_of(u'/');
    return slash == StringView::npos || slash < kVerbatimPrefix.size() ? kVerbatimPrefix.size()
                                                                       : slash + 1;
  }
  const std::size_t sep = Path.find_last_of(u"\\/");
  if (sep != StringView::npos) return sep + 1;
  // "C:name" names a file in the drive's root.
  if (Path.size() >= 2 && Path[1] == u':') return 2;
  return 0;
}

std::string NativeDirOf(StringView DirPart) {
  if (DirPart.empty() || DirPart == kVerbatimPrefix) return ".";
  std::string native = NativeFileName(DirPart);
  return native.empty() ? std::string() : native;
}

std::int32_t AttrOfStat(const struct stat& st, std::string_view Name, bool TargetIsDir) {
  std::int32_t attr = 0;
  if (S_ISLNK(st.st_mode)) {
    attr |= faSymLink;
    if (TargetIsDir) attr |= faDirectory;
  } else if (S_ISDIR(st.st_mode)) {
    attr |= faDirectory;
  } else if (S_ISREG(st.st_mode)) {
    attr |= faArchive;
  } else {
    attr |= faSysFile;
  }
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) attr |= faReadOnly;
  if (!Name.empty() && Name.front() == '.') attr |= faHidden;
  return attr;
}

bool StatAt(int DirFd, const char* Name, struct stat& St, std::int32_t& Attr) {
  if (::fstatat(DirFd, Name, &St, AT_SYMLINK_NOFOLLOW) != 0) return false;
  bool targetIsDir = false;
  if (S_ISLNK(St.st_mode)) {
    struct stat target {};
    targetIsDir = ::fstatat(DirFd, Name, &target, 0) == 0 && S_ISDIR(target.st_mode);
  }
  Attr = AttrOfStat(St, Name, targetIsDir);
  return true;
}

}  // namespace detail

namespace {

char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

bool MatchesMask(StringView Name, StringView Mask) {
  // A trailing ".*" also matches the end of a name without an extension.
  if (Mask.size() >= 2 && Mask.substr(Mask.size() - 2) == u".*" &&
      Name.find(u'.') == StringView::npos) {
    Mask.remove_suffix(2);
    if (Mask.empty()) return Name.empty();
  }
  // Greedy matching that remembers the last "*": linear in most cases, never exponential.
  std::size_t n = 0, m = 0, starM = StringView::npos, starN = 0;
  while (n < Name.size()) {
    if (m < Mask.size() && Mask[m] == u'*') {
      starM = m++;
      starN = n;
    } else if (m < Mask.size() && (Mask[m] == u'?' || Fold(Mask[m]) == Fold(Name[n]))) {
      ++m;
      ++n;
    } else if (starM != StringView::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < Mask.size() && Mask[m] == u'*') ++m;
  return m == Mask.size();
}

int FindFirst(StringView Path, std::int32_t Attr, TSearchRec& F) {
  FindClose(F);
  const std::size_t start = detail::NameStart(Path);
  const StringView mask = Path.substr(start);
  const std::string dir = detail::NativeDirOf(Path.substr(0, start));
  if (dir.empty()) return fePathNotFound;
  auto state = std::make_shared<detail::FindState>();
  state->DirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::vector<detail::FolderEntry> entries;
  if (state->DirFd < 0 || !detail::ListFolder(state->DirFd, true, entries)) return fePathNotFound;
  const detail::EntryMatcher matcher(entries, mask);
  // "." and ".." lead the listing, as they sort before every other name.
  for (const char* dot : {".", ".."}) {
    if (matcher.Matches({dot, DT_DIR})) state->Names.emplace_back(dot);
  }
  for (auto& e : entries) {
    if (matcher.Matches(e)) state->Names.push_back(std::move(e.Name));
  }
  state->Exclude = ~Attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  F.ExcludeAttr = state->Exclude;
  F.FindHandle = std::move(state);
  const int r = FindNext(F);
  if (r != 0) {
    FindClose(F);
    return feFileNotFound;
  }
  return 0;
}

int FindNext(TSearchRec& F) {
  detail::FindState* s = F.FindHandle.get();
  if (s == nullptr) return feNoMoreFiles;
  while (s->Next < s->Names.size()) {
    const std::string& name = s->Names[s->Next++];
    struct stat st {};
    std::int32_t attr = 0;
    // An entry removed since the listing is passed over.
    if (!detail::StatAt(s->DirFd, name.c_str(), st, attr)) continue;
    if ((attr & s->Exclude) != 0) continue;
    F.Name = NativeToString(name);
    F.Attr = attr;
    F.Size = static_cast<std::int64_t>(st.st_size);
    F.ModTime = st.st_mtim;
    F.Time = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    return 0;
  }
  return feNoMoreFiles;
}

void FindClose(TSearchRec& F) { F.FindHandle.reset(); }

}  // namespace kez
