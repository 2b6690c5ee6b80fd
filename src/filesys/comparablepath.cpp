// Folders brought into one form for comparison: no "." or "..", no links, one case.
#include "filesys/comparablepath.hpp"

#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"

namespace kez::detail {
namespace {

// The canonical name of an existing path; false when it cannot be resolved.
bool Resolve(const std::string& Path, std::string& Resolved) {
  std::unique_ptr<char, decltype(&::free)> real(::realpath(Path.c_str(), nullptr), ::free);
  if (!real) return false;
  Resolved = real.get();
  return true;
}

std::string Join(const std::string& Dir, const std::string& Name) {
  return Dir.back() == '/' ? Dir + Name : Dir + "/" + Name;
}

// Drops the last component of Path, never going above Root (which ends with "/").
void Pop(std::string& Path, std::size_t RootSize) {
  Path.erase(std::max(RootSize, Path.find_last_of('/')));
}

// Walks the "/"-separated components of Rest from Root. With Real, each component is
// resolved through the file system while the path so far exists; from the first one that
// does not, the path is worked out by the text alone until ".." leads back.
std::string Walk(const std::string& Root, const std::string& Rest, bool Real) {
  std::string path = Root;
  int unresolved = 0;  // components after the last resolved one
  std::size_t i = 0;
  while (i <= Rest.size()) {
    std::size_t j = Rest.find('/', i);
    if (j == std::string::npos) j = Rest.size();
    const std::string part = Rest.substr(i, j - i);
    i = j + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (unresolved > 0) {
        Pop(path, Root.size());
        --unresolved;
      } else if (!(Real && Resolve(Join(path, ".."), path))) {
        Pop(path, Root.size());
      }
      continue;
    }
    const std::string next = Join(path, part);
    if (Real && unresolved == 0 && Resolve(next, path)) continue;
    path = next;
    ++unresolved;
  }
  return path;
}

bool EndsAsFolder(StringView Path) {
  const std::size_t start = Path.find_last_of(u"\\/");
  const StringView last = start == StringView::npos ? Path : Path.substr(start + 1);
  return last.empty() || last == u"." || last == u"..";
}

}  // namespace

String ComparablePath(StringView Path) {
  if (Path.empty()) return String();
  std::string path;
  if (FileNameFault(Path) == nfNone) {
    path = Walk("/", NativeFileName(ExpandFileName(Path)), true);
  } else {
    // No file has this name: only the text can be normalised.
    String text(Path);
    for (auto& c : text) {
      if (c == u'\\') c = u'/';
    }
    const bool drive = text.size() >= 2 && text[1] == u':';
    const std::string utf8 = StringToUtf8(text);
    path = drive ? Walk(utf8.substr(0, 2) + "/", utf8.substr(2), false) : Walk("/", utf8, false);
  }
  if (EndsAsFolder(Path) && path.back() != '/') path += '/';
  return AnsiLowerCase(NativeToString(path));
}

}  // namespace kez::detail
