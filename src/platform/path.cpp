// Windows-style names onto the Linux file system: separators, drive table, case-insensitive
// lookup component by component.
#include "kez/platform/path.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/retry.hpp"

namespace kez {
namespace {

// The process-wide drive table. Every name a caller passes reads it, and a host may map a
// drive from any thread: reads share a lock, a change takes it alone.
struct Drives {
  std::shared_mutex Lock;
  std::array<std::string, 26> Roots = {"", "", "/"};  // only C: at first, to the root
};

Drives& DriveTable() {
  static Drives drives;
  return drives;
}

std::string DriveRootAt(int Index) {
  Drives& drives = DriveTable();
  const std::shared_lock lock(drives.Lock);
  return drives.Roots[static_cast<std::size_t>(Index)];
}

int DriveIndex(char16_t Letter) {
  if (Letter >= u'a' && Letter <= u'z') return Letter - u'a';
  if (Letter >= u'A' && Letter <= u'Z') return Letter - u'A';
  return -1;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// ---- Folder index ----------------------------------------------------------------------
//
// Matching a name ignoring case means reading its folder. Reading it again for every name
// that does not exist yet would make creating many files quadratic in the folder's size, so
// the entries of the folders looked at last are kept, keyed by their lower-cased names. An
// index holds while its folder's modification time stays as it was; a file that the
// library creates under a name the index has just handed out joins the index, which then
// takes the folder's new time. An indexed entry that has gone is noticed on use, and the
// folder is read again. What the index can miss is an entry that another process adds in
// the same moment: between a look-up and the creation that follows it, or within the
// granularity of the folder's time stamp after the folder was read. The name asked for is
// then used as given, as for a folder that cannot be read.

constexpr std::size_t kIndexedFolders = 8;

std::string FoldAsciiCase(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return folded;
}

struct FolderIndex {
  std::string Folder;  // as looked up: "" or ending in "/"
  dev_t Device = 0;
  ino_t Inode = 0;
  timespec Modified{};
  std::unordered_map<std::string, std::string> Names;  // lower-cased name -> entry
  std::vector<std::string> Created;  // handed out to be created by the last look-up
  std::uint64_t LastUse = 0;
};

struct FolderIndexes {
  std::mutex Lock;
  std::vector<FolderIndex> Folders;
  std::uint64_t Clock = 0;
};

FolderIndexes& Indexes() {
  static FolderIndexes indexes;
  return indexes;
}

// Reads the folder's entries into the index; of several entries that differ only in case
// the first one read is the one found, as a scan of the folder would find it.
void ReadFolder(FolderIndex& index, const struct stat& st) {
  index.Device = st.st_dev;
  index.Inode = st.st_ino;
  index.Modified = st.st_mtim;
  index.Names.clear();
  std::unique_ptr<DIR, int (*)(DIR*)> d(
      ::opendir(index.Folder.empty() ? "." : index.Folder.c_str()), ::closedir);
  if (!d) return;
  while (dirent* e = ::readdir(d.get())) index.Names.emplace(FoldAsciiCase(e->d_name), e->d_name);
}

// The index of dir, up to date with what stat says of the folder. The caller holds the lock.
FolderIndex& IndexOf(FolderIndexes& all, const std::string& dir, const struct stat& st) {
  auto it = std::find_if(all.Folders.begin(), all.Folders.end(),
                         [&](const FolderIndex& ix) { return ix.Folder == dir; });
  if (it == all.Folders.end()) {
    if (all.Folders.size() < kIndexedFolders) {
      it = all.Folders.emplace(all.Folders.end());
    } else {
      it = std::min_element(all.Folders.begin(), all.Folders.end(),
                            [](const auto& a, const auto& b) { return a.LastUse < b.LastUse; });
    }
    it->Folder = dir;
    ReadFolder(*it, st);
  } else if (it->Device != st.st_dev || it->Inode != st.st_ino ||
             it->Modified.tv_sec != st.st_mtim.tv_sec ||
             it->Modified.tv_nsec != st.st_mtim.tv_nsec) {
    ReadFolder(*it, st);
  }
  it->Created.clear();
  it->LastUse = ++all.Clock;
  return *it;
}

// The entry of dir ("" or ending in "/") that equals name ignoring ASCII case, or name
// itself. ToCreate notes the name as about to be created when nothing matches.
std::string MatchInDirectory(const std::string& dir, const std::string& name, bool ToCreate) {
  struct stat st {};
  if (::stat(dir.empty() ? "." : dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return name;
  FolderIndexes& all = Indexes();
  const std::scoped_lock guard(all.Lock);
  FolderIndex& index = IndexOf(all, dir, st);
  const std::string folded = FoldAsciiCase(name);
  auto hit = index.Names.find(folded);
  if (hit != index.Names.end() && !Exists(dir + hit->second)) {
    ReadFolder(index, st);  // the entry has gone since the folder was read
    hit = index.Names.find(folded);
  }
  if (hit != index.Names.end()) return hit->second;
  if (ToCreate) index.Created.push_back(name);
  return name;
}

// Path was created just now: when its folder's index handed the name out, the file joins
// the index, which takes the folder's new time.
void NoteCreated(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string leaf = path.substr(dir.size());
  FolderIndexes& all = Indexes();
  const std::scoped_lock guard(all.Lock);
  const auto it = std::find_if(all.Folders.begin(), all.Folders.end(),
                               [&](const FolderIndex& ix) { return ix.Folder == dir; });
  if (it == all.Folders.end()) return;
  const auto created = std::find(it->Created.begin(), it->Created.end(), leaf);
  if (created == it->Created.end()) return;
  it->Created.erase(created);
  struct stat st {};
  if (::stat(dir.empty() ? "." : dir.c_str(), &st) != 0) return;
  it->Modified = st.st_mtim;
  it->Names.emplace(FoldAsciiCase(leaf), leaf);
}

// A path that every system call refuses with ENOTDIR (a name below a device file), given
// for names that no file can have so that they open, create and remove nothing.
constexpr const char* kNoSuchPath = "/dev/null/kez-no-such-file";

// The name with its drive mapped and its separators as "/"; false for a name that no file
// can have.
bool MapName(StringView FileName, std::string& Path) {
  if (FileNameFault(FileName) != nfNone) return false;
  String name(FileName);
  std::string prefix;
  if (name.size() >= 2 && name[1] == u':' && DriveIndex(name[0]) >= 0) {
    prefix = DriveRootAt(DriveIndex(name[0]));
    name.erase(0, 2);
  }
  for (auto& c : name) {
    if (c == u'\\') c = u'/';
  }
  Path = StringToNative(name);
  if (!prefix.empty()) {
    while (!Path.empty() && Path.front() == '/') Path.erase(0, 1);
    if (prefix.back() != '/') prefix += '/';
    Path = prefix + Path;
  }
  return true;
}

// Walks the components of Path, taking each as it stands when it exists, else the entry of
// its directory that matches ignoring case.
std::string MatchComponents(const std::string& path) {
  std::string result = path.front() == '/' ? "/" : "";
  std::size_t i = path.front() == '/' ? 1 : 0;
  while (i <= path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    const std::string part = path.substr(i, j - i);
    if (!part.empty()) {
      std::string candidate = result + part;
      if (!Exists(candidate) && part != "." && part != "..") {
        candidate = result + MatchInDirectory(result, part, false);
      }
      result = candidate;
      if (j < path.size()) result += '/';
    }
    i = j + 1;
  }
  return result;
}

// The mapped path of a file to create or rename to, split into its folder (looked up as
// NativeFileName does; "" or ending in "/") and its last component as given. False for a
// name that no file can have.
bool SplitFolderAndLeaf(StringView FileName, std::string& Path, std::string& Dir,
                        std::string& Leaf) {
  if (!MapName(FileName, Path)) return false;
  const auto slash = Path.find_last_of('/');
  Leaf = slash == std::string::npos ? Path : Path.substr(slash + 1);
  Dir.clear();
  if (slash == std::string::npos) return true;
  std::string folder = Path.substr(0, slash);
  if (!folder.empty() && !Exists(folder)) {
    // Files are mostly created in runs into one folder: remember the last folder matched
    // ignoring case, and trust it while the spelling asked for still does not exist as
    // such and the match still exists.
    thread_local std::string lastAsked, lastMatch;
    if (folder != lastAsked || !Exists(lastMatch)) {
      lastMatch = MatchComponents(folder);
      lastAsked = folder;
    }
    folder = lastMatch;
  }
  Dir = folder + "/";
  return true;
}

// True for a name in the verbatim form; Path is then the exact path it names, or
// kNoSuchPath for a name that no file can have.
bool VerbatimPath(StringView FileName, std::string& Path) {
  if (!IsVerbatimFileName(FileName)) return false;
  Path = FileNameFault(FileName) == nfNone ? StringToNative(FileName.substr(kVerbatimPrefix.size()))
                                           : std::string(kNoSuchPath);
  return true;
}

}  // namespace

bool IsVerbatimFileName(StringView FileName) { return FileName.starts_with(kVerbatimPrefix); }

String VerbatimFileName(std::string_view NativePath) {
  return String(kVerbatimPrefix) + NativeToString(NativePath);
}

TFileNameFault FileNameFault(StringView FileName) {
  if (FileName.find(u'\0') != StringView::npos || !IsNativeText(FileName)) {
    return nfInvalidCharacter;
  }
  if (IsVerbatimFileName(FileName)) return nfNone;
  if (FileName.size() >= 2 && FileName[1] == u':' && DriveIndex(FileName[0]) >= 0 &&
      DriveRootAt(DriveIndex(FileName[0])).empty()) {
    return nfUnmappedDrive;
  }
  return nfNone;
}

std::string NativeFileName(StringView FileName) {
  std::string path;
  if (VerbatimPath(FileName, path)) return path;
  if (!MapName(FileName, path)) return kNoSuchPath;
  if (path.empty() || Exists(path)) return path;
  return MatchComponents(path);
}

std::string NativeFileNameToCreate(StringView FileName) {
  std::string path, dir, leaf;
  if (VerbatimPath(FileName, path)) return path;
  if (!SplitFolderAndLeaf(FileName, path, dir, leaf)) return kNoSuchPath;
  if (path.empty() || Exists(path)) return path;
  if (leaf.empty() || leaf == "." || leaf == "..") return dir + leaf;
  return dir + MatchInDirectory(dir, leaf, true);
}

int OpenToCreate(const std::string& Path, int Flags) {
  const int fd = detail::RetryOnEintr([&] { return ::open(Path.c_str(), Flags, 0666); });
  if (fd >= 0) NoteCreated(Path);
  return fd;
}

std::string NativeFileNameAsSpelt(StringView FileName) {
  std::string path, dir, leaf;
  if (VerbatimPath(FileName, path)) return path;
  if (!SplitFolderAndLeaf(FileName, path, dir, leaf)) return kNoSuchPath;
  return dir + leaf;
}

void SetDriveRoot(char16_t Letter, std::string Root) {
  const int i = DriveIndex(Letter);
  if (i < 0) return;
  Drives& drives = DriveTable();
  const std::unique_lock lock(drives.Lock);
  drives.Roots[static_cast<std::size_t>(i)] = std::move(Root);
}

std::string DriveRoot(char16_t Letter) {
  const int i = DriveIndex(Letter);
  return i >= 0 ? DriveRootAt(i) : std::string();
}

std::uint32_t LogicalDrivesMask() {
  Drives& drives = DriveTable();
  const std::shared_lock lock(drives.Lock);
  std::uint32_t mask = 0;
  for (std::size_t i = 0; i < 26; ++i) {
    if (!drives.Roots[i].empty()) mask |= 1u << i;
  }
  return mask;
}

}  // namespace kez
