// Folder trees walked through open folders.
#include "platform/folderwalk.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "platform/fsinternal.hpp"

namespace kez::detail {
namespace {

// Folders kept open at most by one walk besides its root's child chain being reopened.
constexpr std::size_t kOpenFolders = 48;

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool LessIgnoringCase(const FolderEntry& a, const FolderEntry& b) {
  const std::size_t n = std::min(a.Name.size(), b.Name.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = FoldAscii(a.Name[i]), y = FoldAscii(b.Name[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  if (a.Name.size() != b.Name.size()) return a.Name.size() < b.Name.size();
  return a.Name < b.Name;
}

unsigned char TypeOfMode(mode_t Mode) {
  if (S_ISDIR(Mode)) return DT_DIR;
  if (S_ISREG(Mode)) return DT_REG;
  if (S_ISLNK(Mode)) return DT_LNK;
  if (S_ISFIFO(Mode)) return DT_FIFO;
  if (S_ISSOCK(Mode)) return DT_SOCK;
  if (S_ISCHR(Mode)) return DT_CHR;
  return DT_BLK;
}

}  // namespace

OpenFolder::~OpenFolder() {
  if (FFd >= 0) ::close(FFd);
}

OpenFolder& OpenFolder::operator=(OpenFolder&& Other) noexcept {
  if (this != &Other) {
    if (FFd >= 0) ::close(FFd);
    FFd = Other.FFd;
    Other.FFd = -1;
  }
  return *this;
}

OpenFolder OpenFolder::Named(StringView Name) {
  if (Name.empty() || Name == kVerbatimPrefix) return AtPath(".");
  const std::string native = NativeFileName(Name);
  return AtPath(native.empty() ? std::string(".") : native);
}

OpenFolder OpenFolder::AtPath(const std::string& NativePath) {
  return OpenFolder(::open(NativePath.c_str(), kFolderFlags));
}

OpenFolder OpenFolder::Sub(int Fd, const std::string& Name) {
  if (Fd < 0 || Name.empty() || Name == "." || Name == "..") return OpenFolder();
  return OpenFolder(::openat(Fd, Name.c_str(), kFolderFlags | O_NOFOLLOW));
}

bool ListFolder(int Fd, bool Sorted, std::vector<FolderEntry>& Entries) {
  Entries.clear();
  const int listFd = ::openat(Fd, ".", kFolderFlags);
  if (listFd < 0) return false;
  DIR* d = ::fdopendir(listFd);
  if (d == nullptr) {
    ::close(listFd);
    return false;
  }
  const std::unique_ptr<DIR, int (*)(DIR*)> closer(d, ::closedir);
  errno = 0;
  while (const dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st {};
      if (::fstatat(Fd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      type = TypeOfMode(st.st_mode);
    }
    Entries.push_back({n, type});
  }
  if (errno != 0) return false;
  if (Sorted) std::sort(Entries.begin(), Entries.end(), LessIgnoringCase);
  return true;
}

std::int32_t EntryAttributes(int Fd, const FolderEntry& Entry) {
  struct stat st {};
  std::int32_t attr = 0;
  return StatAt(Fd, Entry.Name.c_str(), st, attr) ? attr : -1;
}

bool IsFolderEntry(int Fd, const FolderEntry& Entry) {
  if (Entry.Type == DT_DIR) return true;
  if (Entry.Type != DT_LNK) return false;
  struct stat st {};
  return ::fstatat(Fd, Entry.Name.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode);
}

EntryMatcher::EntryMatcher(const std::vector<FolderEntry>& Entries, StringView Mask)
    : FMask(Mask), FAll(Mask == u"*" || Mask == u"*.*") {
  if (FAll || Mask.find_first_of(u"*?") != StringView::npos) return;
  FExact = StringToNative(Mask);
  FExactOnly = std::any_of(Entries.begin(), Entries.end(),
                           [&](const FolderEntry& e) { return e.Name == FExact; });
}

bool EntryMatcher::Matches(const FolderEntry& Entry) const {
  if (FAll) return true;
  if (FExactOnly) return Entry.Name == FExact;
  return MatchesMask(NativeToString(Entry.Name), FMask);
}

FolderChain::FolderChain(OpenFolder Root) {
  struct stat st {};
  if (!Root.IsOpen() || ::fstat(Root.Fd(), &st) != 0) return;
  FLevels.push_back({std::move(Root), st.st_dev, st.st_ino});
  FOk = true;
}

bool FolderChain::Push(OpenFolder Sub) {
  struct stat st {};
  if (!FOk || !Sub.IsOpen() || ::fstat(Sub.Fd(), &st) != 0) return false;
  FLevels.push_back({std::move(Sub), st.st_dev, st.st_ino});
  while (FLevels.size() - FOpenFrom > kOpenFolders) {
    FLevels[FOpenFrom].Folder = OpenFolder();
    ++FOpenFrom;
  }
  return true;
}

bool FolderChain::Pop() {
  if (!FOk || FLevels.size() < 2) return false;
  Level& parent = FLevels[FLevels.size() - 2];
  if (!parent.Folder.IsOpen()) {
    OpenFolder again(::openat(FLevels.back().Folder.Fd(), "..", kFolderFlags | O_NOFOLLOW));
    struct stat st {};
    if (!again.IsOpen() || ::fstat(again.Fd(), &st) != 0 || st.st_dev != parent.Dev ||
        st.st_ino != parent.Ino) {
      FOk = false;
      return false;
    }
    parent.Folder = std::move(again);
    FOpenFrom = FLevels.size() - 2;
  }
  FLevels.pop_back();
  return true;
}

TreeWalk::TreeWalk(OpenFolder Root, bool Sorted) : FChain(std::move(Root)), FSorted(Sorted) {
  Level root;
  if (!FChain.Ok() || !ListFolder(FChain.Fd(), Sorted, root.Entries)) return;
  FLevels.push_back(std::move(root));
  FOk = true;
}

const FolderEntry* TreeWalk::Next() {
  if (!Ok()) return nullptr;
  Level& l = FLevels.back();
  return l.Next < l.Entries.size() ? &l.Entries[l.Next++] : nullptr;
}

bool TreeWalk::Enter(const std::string& Name) {
  if (!Ok()) return false;
  OpenFolder sub = OpenFolder::Sub(FChain.Fd(), Name);
  Level child;
  child.Name = Name;
  if (!sub.IsOpen() || !ListFolder(sub.Fd(), FSorted, child.Entries)) return false;
  if (!FChain.Push(std::move(sub))) return false;
  FLevels.push_back(std::move(child));
  return true;
}

bool TreeWalk::Leave() {
  if (!Ok() || FLevels.size() < 2) return false;
  if (!FChain.Pop()) return false;
  FLevels.pop_back();
  return true;
}

}  // namespace kez::detail
