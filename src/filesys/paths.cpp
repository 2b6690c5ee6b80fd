// Path and file-name text functions, and the on-disk spelling of a path.
#include "kez/filesys/paths.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {

namespace {

bool IsSeparator(char16_t C) { return C == u'\\' || C == u'/'; }

// Where the name part starts: after the last "\", "/" or ":".
std::size_t NameStart(StringView Path) {
  const std::size_t at = Path.find_last_of(u"\\/:");
  return at == StringView::npos ? 0 : at + 1;
}

bool HasWildcard(StringView Name) { return Name.find_first_of(u"*?") != StringView::npos; }

// The spelling on disk of Name in directory Dir (Dir ends with its separator or is a bare
// drive such as "C:"): that of the entry the library's own look-up reaches (the exact
// spelling first, else the entry that differs only in letter case which every other
// function opens), so the name converted leads to the same file; false when there is none.
bool SpellingOnDisk(const String& Dir, StringView Name, String& Found) {
  if (Name.empty() || HasWildcard(Name)) return false;
  const std::string native = NativeFileName(Dir + String(Name));
  struct stat st {};
  if (::lstat(native.c_str(), &st) != 0) return false;
  const std::size_t slash = native.find_last_of('/');
  Found = NativeToString(native.substr(slash == std::string::npos ? 0 : slash + 1));
  return true;
}

}  // namespace

String StripExtension(StringView FileName) {
  const std::size_t start = NameStart(FileName);
  const std::size_t dot = FileName.find_last_of(u'.');
  if (dot == StringView::npos || dot < start) return String(FileName);
  return String(FileName.substr(0, dot));
}

String StripPath(StringView FileName) { return String(FileName.substr(NameStart(FileName))); }

String ParentDir(StringView Path) {
  std::size_t n = Path.size();
  if (n > 0 && IsSeparator(Path[n - 1])) --n;
  while (n > 0 && !IsSeparator(Path[n - 1])) --n;
  return String(Path.substr(0, n));
}

bool IsRootDir(StringView Path) {
  const String p = StripLTBlanks(Path);
  if (p == u"/") return true;
  return p.size() == 3 && p[1] == u':' && IsSeparator(p[2]);
}

String AbridgeFilePath(StringView Path, std::int32_t MaxLength) {
  const char16_t sep = Path.find(u'\\') != StringView::npos ? u'\\' : u'/';
  const std::size_t first = Path.find(sep);
  if (first == StringView::npos) return String(Path);
  // Directories are replaced from the left by ".." while the text is MaxLength or longer;
  // the length is followed as a number and the text built once.
  String text(Path.substr(0, first + 1));
  std::int64_t length = static_cast<std::int64_t>(Path.size());
  std::size_t p = first;  // the separator before the next directory to replace
  while (length >= MaxLength) {
    const std::size_t q = Path.find(sep, p + 1);
    if (q == StringView::npos) break;
    length += 2 - static_cast<std::int64_t>(q - p - 1);
    text += u"..";
    text += sep;
    p = q;
  }
  text += Path.substr(p + 1);
  return text;
}

namespace {

// The full form of Path: made absolute, with "." components dropped and each ".." taking
// the component before it away (never the drive or the root). Empty components stay.
String FullPath(StringView Path) {
  const String full = ExpandFileName(Path);
  std::size_t rootEnd = 0;
  if (full.size() >= 2 && full[1] == u':') rootEnd = 2;
  while (rootEnd < full.size() && IsSeparator(full[rootEnd])) ++rootEnd;
  String result = full.substr(0, rootEnd);
  std::vector<std::size_t> starts;  // where each kept component starts in result
  std::size_t pos = rootEnd;
  while (pos <= full.size()) {
    std::size_t end = pos;
    while (end < full.size() && !IsSeparator(full[end])) ++end;
    const StringView part = StringView(full).substr(pos, end - pos);
    const bool last = end >= full.size();
    if (part == u"." || part == u"..") {
      if (part == u".." && !starts.empty()) {
        result.resize(starts.back());
        starts.pop_back();
      }
    } else {
      starts.push_back(result.size());
      result += part;
      if (!last) result += full[end];
    }
    if (last) break;
    pos = end + 1;
  }
  return result;
}

}  // namespace

String DOSToWinPath(StringView Path) {
  const String full = FullPath(Path);
  String result;
  std::size_t pos = 0;
  if (full.size() >= 2 && full[1] == u':') {
    result = full.substr(0, 2);
    pos = 2;
  }
  // Each step takes one separator and the component after it; a component that cannot be
  // found ends the conversion with the rest of the path as it was.
  while (pos < full.size()) {
    if (IsSeparator(full[pos])) {
      result += full[pos++];
      continue;
    }
    std::size_t end = pos;
    while (end < full.size() && !IsSeparator(full[end])) ++end;
    String found;
    if (!SpellingOnDisk(result, StringView(full).substr(pos, end - pos), found)) {
      return result + full.substr(pos);
    }
    result += found;
    pos = end;
  }
  return result;
}

bool IsDOS83Path(StringView Path) {
  for (const char16_t c : Path) {
    if (c < 32 || c > 126) return false;
    const bool alnum =
        (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
    if (!alnum && StringView(u"!#$%&'()-.:\\^_`{}~@").find(c) == StringView::npos) return false;
  }
  std::size_t pos = 0;
  while (pos < Path.size()) {
    std::size_t end = Path.find(u'\\', pos);
    if (end == StringView::npos) end = Path.find(u'.', pos);
    end = end == StringView::npos ? Path.size() : end + 1;
    if (end - pos > 9) return false;
    pos = end;
  }
  return true;
}

std::int32_t ExtractDrive(StringView Path) {
  if (Path.size() < 2 || Path[1] != u':') return -1;
  const char16_t c = UpCaseASCII(Path[0]);
  return c >= u'A' && c <= u'Z' ? c - u'A' : 0;
}

String InsertBeforeFileExt(StringView Text, StringView FileName) {
  const std::size_t start = NameStart(FileName);
  const std::size_t dot = FileName.find(u'.', start);
  String result(FileName);
  result.insert(dot == StringView::npos ? result.size() : dot, Text);
  return result;
}

String EnsureDefaultFileExt(StringView FileName, StringView DefaultExt) {
  if (DefaultExt.empty() || FileName.find(u'.', NameStart(FileName)) != StringView::npos) {
    return String(FileName);
  }
  String result(FileName);
  if (DefaultExt[0] != u'.') result += u'.';
  result += DefaultExt;
  return result;
}

}  // namespace kez
