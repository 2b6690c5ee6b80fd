// Windows-style names onto the Linux file system: separators, drive table, case-insensitive
// lookup component by component.
#include "kez/platform/path.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace kez {
namespace {

std::array<std::string, 26>& DriveTable() {
  // Only C: is mapped at first, to the root.
  static std::array<std::string, 26> table = {"", "", "/"};
  return table;
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

bool EqualsIgnoringAsciiCase(const char* a, const std::string& b) {
  std::size_t i = 0;
  for (; a[i] != '\0' && i < b.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return a[i] == '\0' && i == b.size();
}

// The directory entry of dir that equals name ignoring ASCII case, or name itself.
std::string MatchInDirectory(const std::string& dir, const std::string& name) {
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
  if (!d) return name;
  while (dirent* e = ::readdir(d.get())) {
    if (EqualsIgnoringAsciiCase(e->d_name, name)) return e->d_name;
  }
  return name;
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
    prefix = DriveTable()[static_cast<std::size_t>(DriveIndex(name[0]))];
    name.erase(0, 2);
  }
  for (auto& c : name) {
    if (c == u'\\') c = u'/';
  }
  Path = StringToUtf8(name);
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
        candidate = result + MatchInDirectory(result, part);
      }
      result = candidate;
      if (j < path.size()) result += '/';
    }
    i = j + 1;
  }
  return result;
}

}  // namespace

TFileNameFault FileNameFault(StringView FileName) {
  if (FileName.find(u'\0') != StringView::npos) return nfInvalidCharacter;
  if (FileName.size() >= 2 && FileName[1] == u':' && DriveIndex(FileName[0]) >= 0 &&
      DriveTable()[static_cast<std::size_t>(DriveIndex(FileName[0]))].empty()) {
    return nfUnmappedDrive;
  }
  return nfNone;
}

std::string NativeFileName(StringView FileName) {
  std::string path;
  if (!MapName(FileName, path)) return kNoSuchPath;
  if (path.empty() || Exists(path)) return path;
  return MatchComponents(path);
}

std::string NativeFileNameToCreate(StringView FileName) {
  std::string path;
  if (!MapName(FileName, path)) return kNoSuchPath;
  const auto slash = path.find_last_of('/');
  // A bare name, a name in the root, or a folder that exists as spelt: nothing to look up,
  // so creating many files costs no directory scans.
  if (slash == std::string::npos || slash == 0) return path;
  const std::string folder = path.substr(0, slash);
  if (Exists(folder)) return path;
  // Files are mostly created in runs into one folder: remember the last folder matched
  // ignoring case, and trust it while the spelling asked for still does not exist as such
  // and the match still exists.
  thread_local std::string lastAsked, lastMatch;
  if (folder != lastAsked || !Exists(lastMatch)) {
    lastMatch = MatchComponents(folder);
    lastAsked = folder;
  }
  return lastMatch + path.substr(slash);
}

void SetDriveRoot(char16_t Letter, std::string Root) {
  const int i = DriveIndex(Letter);
  if (i >= 0) DriveTable()[static_cast<std::size_t>(i)] = std::move(Root);
}

std::string DriveRoot(char16_t Letter) {
  const int i = DriveIndex(Letter);
  return i >= 0 ? DriveTable()[static_cast<std::size_t>(i)] : std::string();
}

std::uint32_t LogicalDrivesMask() {
  std::uint32_t mask = 0;
  for (std::size_t i = 0; i < 26; ++i) {
    if (!DriveTable()[i].empty()) mask |= 1u << i;
  }
  return mask;
}

}  // namespace kez
