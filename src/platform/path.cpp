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

}  // namespace

std::string NativeFileName(StringView FileName) {
  String name(FileName);
  std::string prefix;
  if (name.size() >= 2 && name[1] == u':' && DriveIndex(name[0]) >= 0) {
    prefix = DriveTable()[static_cast<std::size_t>(DriveIndex(name[0]))];
    if (prefix.empty()) prefix = "/";
    name.erase(0, 2);
  }
  for (auto& c : name) {
    if (c == u'\\') c = u'/';
  }
  std::string path = StringToUtf8(name);
  if (!prefix.empty()) {
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    if (prefix.back() != '/') prefix += '/';
    path = prefix + path;
  }
  if (path.empty() || Exists(path)) return path;

  // Walk the components, taking each as it stands when it exists, else the entry of its
  // directory that matches ignoring case.
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
