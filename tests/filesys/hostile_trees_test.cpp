// Every tree operation over one tree of hostile entries: names holding "\", "..", newlines,
// blanks, wildcards and bytes that are not UTF-8 (some that a careless decoder would read as
// "/" or ".."), letter-case twins, links of every kind, a hard link, a FIFO and names of up
// to 255 bytes, beside a folder outside the tree that no operation may change. A model of
// the tree, read with std::filesystem, says what each operation must do. Each case runs as
// the user the tests run as and, under root, once more as the ordinary user "nobody".
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "child_case.hpp"
#include "desktop_env.hpp"
#include "kez/filesys/dirs.hpp"
#include "kez/filesys/drives.hpp"
#include "kez/filesys/trees.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::Outcome;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

String Lib(const fs::path& P) { return NativeToString(P.string()); }
bool Exists(const fs::path& P) { return fs::exists(fs::symlink_status(P)); }

// Names that a name read from disk must never be taken for: a path, a drive, a wildcard
// mask, another file after a lossy decoding.
const char* const kHostileNames[] = {"back\\slash.txt",
                                     "\\..\\victim.txt",
                                     "..\\victim.txt",
                                     "new\nline.txt",
                                     " ",
                                     "  lead",
                                     "trail ",
                                     "trail.",
                                     "...",
                                     "\xFF",
                                     "\xC3",
                                     "\xC3x",
                                     "\xED\xB3\xBF",
                                     "\xC0\xAF",
                                     "\xC0\xAE\xC0\xAE",
                                     "\xF4\x90\x80\x80",
                                     "C:",
                                     "c:victim.txt",
                                     "~",
                                     "\\\\?\\",
                                     "R.TXT",
                                     "r.txt",
                                     "%20",
                                     "tab\there"};

// Every entry below a folder, not following links, with what it is and holds: the
// snapshot that operations are checked against ("d" folder, "l:" link and target, "f:"
// file and content, "p" FIFO).
using Snapshot = std::map<std::string, std::string>;

Snapshot Snap(const fs::path& Root) {
  Snapshot s;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(
           Root, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::file_status st = it->symlink_status();
    const std::string rel = it->path().lexically_relative(Root).string();
    if (fs::is_symlink(st)) {
      s[rel] = "l:" + fs::read_symlink(it->path()).string();
    } else if (fs::is_directory(st)) {
      s[rel] = "d";
    } else if (fs::is_fifo(st)) {
      s[rel] = "p";
    } else {
      s[rel] = "f:" + ReadBytes(it->path().string());
    }
  }
  return s;
}

// The folder beside the tree that every operation must leave alone, with the targets of
// the tree's links that point out of it.
void MakeOutside(const fs::path& Dir) {
  fs::create_directories(Dir / "outside" / "folder");
  WriteBytes((Dir / "victim.txt").string(), "victim");
  WriteBytes((Dir / "outside" / "target.txt").string(), "target");
  WriteBytes((Dir / "outside" / "hard.txt").string(), "hard");
  WriteBytes((Dir / "outside" / "folder" / "inner.txt").string(), "inner");
}

// The files of the tree hold their own path, so a name that reaches another file shows.
void WriteOwnPath(const fs::path& P) { WriteBytes(P.string(), P.string()); }

// Builds the hostile tree at Root (Dir/tree). WithTwins: with letter-case twins (which
// SetAllFilenameCase rightly refuses to merge).
void MakeTree(const fs::path& Dir, bool WithTwins) {
  MakeOutside(Dir);
  const fs::path root = Dir / "tree";
  fs::create_directories(root);
  std::vector<fs::path> folders = {root};
  for (const char* folder : {"sub", "SUB", "a\\b", "\xFE\xFF", "..\\..", "new\nfolder"}) {
    if (!WithTwins && std::string(folder) == "SUB") continue;
    fs::create_directory(root / folder);
    folders.push_back(root / folder);
  }
  fs::create_directory(root / "a\\b" / "deep\\..\\..");
  folders.push_back(root / "a\\b" / "deep\\..\\..");
  for (const fs::path& f : folders) {
    for (const std::string name : kHostileNames) {
      if (!WithTwins && name == "R.TXT") continue;
      WriteOwnPath(f / name);
    }
    WriteOwnPath(f / std::string(255 - 4, 'L').append(".txt"));
    WriteOwnPath(f / std::string(240, '\xE9'));
  }
  // Links of every kind, a hard link and a FIFO.
  fs::create_symlink("r.txt", root / "link-to-file");
  fs::create_symlink("sub", root / "link-to-folder");
  fs::create_symlink("nowhere", root / "dangling");
  fs::create_symlink(Dir / "outside" / "target.txt", root / "sub" / "link-out.txt");
  fs::create_symlink(Dir / "outside" / "folder", root / "sub" / "link-out-folder");
  fs::create_symlink("../../victim.txt", root / "a\\b" / "up.txt");
  fs::create_hard_link(Dir / "outside" / "hard.txt", root / "hard.txt");
  ::mkfifo((root / "fifo").c_str(), 0666);
  ::mkfifo((root / "sub" / "fifo.txt").c_str(), 0666);
}

// What a scan of "*.*" must list: every entry below Root that is not a folder nor a link
// to one.
std::set<std::string> ScanModel(const fs::path& Root) {
  std::set<std::string> model;
  for (const auto& [rel, what] : Snap(Root)) {
    const fs::path p = Root / rel;
    std::error_code ec;
    if (what != "d" && !fs::is_directory(p, ec)) model.insert(p.string());
  }
  return model;
}

Outcome OutsideUntouched(const fs::path& Dir, const Snapshot& Before) {
  CHECK_THAT(Snap(Dir / "outside") == Before);
  CHECK_THAT(ReadBytes((Dir / "victim.txt").string()) == "victim");
  return {};
}

Outcome ScansListWhatIsThere(const fs::path& Dir) {
  MakeTree(Dir, true);
  const fs::path root = Dir / "tree";
  const Snapshot before = Snap(root);
  const std::set<std::string> model = ScanModel(root);
  TStringList list;
  std::vector<String> folders;
  ScanFilesToStrList(Lib(root) + u"\\*.*", true, &list,
                     [&](const String& Folder, std::int32_t) { folders.push_back(Folder); });
  std::multiset<std::string> listed;
  for (std::int32_t i = 0; i < list.Count(); ++i) listed.insert(NativeFileName(list[i]));
  CHECK_THAT(listed == std::multiset<std::string>(model.begin(), model.end()));
  CHECK_THAT(CountFiles(Lib(root) + u"\\*.*", true, nullptr) ==
             static_cast<std::int32_t>(model.size()));
  // The folders reported lead to those folders: each holds the files listed in it.
  CHECK_THAT(folders.size() == 8);
  std::size_t perFolder = 0;
  for (const String& f : folders) {
    perFolder += static_cast<std::size_t>(CountFiles(f + u"*.*", false, nullptr));
  }
  CHECK_THAT(perFolder == model.size());
  // Each name listed reaches its own entry when handed back to the library.
  for (std::int32_t i = 0; i < list.Count(); ++i) {
    const std::string native = NativeFileName(list[i]);
    struct stat st {};
    CHECK_THAT(::lstat(native.c_str(), &st) == 0);
    if (S_ISREG(st.st_mode) && st.st_nlink == 1) {
      CHECK_THAT(ReadBytes(native) == native);
    }
    CHECK_THAT(FileGetAttr(list[i]) >= 0);
  }
  // FileDetect finds every name of the tree, as a plain file that has it.
  for (const char* name : kHostileNames) {
    const String found = FileDetect(Lib(root) + u"\\" + NativeToString(name));
    // Hidden names (a leading ".") are not plain files, and masks are patterns.
    if (name[0] == '.' || String(NativeToString(name)).find_first_of(u"\\*?") != String::npos) {
      continue;
    }
    if (found.empty()) return std::string("FileDetect misses ") + name;
    const std::string native = NativeFileName(found);
    CHECK_THAT(fs::path(native).filename().string() == name);
    CHECK_THAT(ReadBytes(native) == native);
  }
  CHECK_THAT(Snap(root) == before);
  return {};
}

Outcome DeleteFilesTakesExactlyTheMatches(const fs::path& Dir) {
  MakeTree(Dir, true);
  const Snapshot outside = Snap(Dir / "outside");
  const fs::path sub = Dir / "tree" / "a\\b";
  Snapshot before = Snap(sub);
  // Every exact name deletes that entry alone.
  for (const char* name : kHostileNames) {
    const String n = NativeToString(name);
    if (n.find_first_of(u"*?\\") != String::npos || n[0] == u'.') continue;
    if (DeleteFiles(VerbatimFileName(sub.string()) + u"/" + n) != 1)
      return std::string("DeleteFiles of ") + name;
    before.erase(name);
    CHECK_THAT(Snap(sub) == before);
  }
  // A mask takes every file of its folder, the link itself and not its target, never a
  // folder; nothing below or outside.
  const fs::path root = Dir / "tree";
  std::size_t files = 0;
  for (const auto& e : fs::directory_iterator(root)) {
    std::error_code ec;
    if (!fs::is_directory(e.path(), ec) && e.path().filename().string()[0] != '.') ++files;
  }
  // Names starting with "." are passed over, as folders are.
  const Snapshot below = Snap(root / "sub");
  CHECK_THAT(DeleteFiles(Lib(root) + u"\\*") == static_cast<std::int32_t>(files));
  CHECK_THAT(Snap(root / "sub") == below);
  for (const auto& e : fs::directory_iterator(root)) {
    CHECK_THAT(fs::is_directory(e.path()) || e.path().filename().string()[0] == '.');
  }
  return OutsideUntouched(Dir, outside);
}

Outcome DelDirTreeTakesTheTreeOnly(const fs::path& Dir) {
  MakeTree(Dir, true);
  const Snapshot outside = Snap(Dir / "outside");
  CHECK_THAT(DelDirTree(Lib(Dir / "tree")) == u"");
  CHECK_THAT(!Exists(Dir / "tree"));
  return OutsideUntouched(Dir, outside);
}

Outcome CopyReproducesTheTree(const fs::path& Dir) {
  MakeTree(Dir, true);
  const Snapshot outside = Snap(Dir / "outside");
  Snapshot expected = Snap(Dir / "tree");
  std::erase_if(expected, [](const auto& e) { return e.second == "p"; });
  std::vector<String> names;
  CopyFileTree(Lib(Dir / "tree"), Lib(Dir / "copy"), false,
               [&](std::int64_t, std::int64_t, const String& Name, std::int32_t) {
                 if (names.empty() || names.back() != Name) names.push_back(Name);
               });
  Snapshot copied = Snap(Dir / "copy");
  // The files hold the path they were written under; a copy holds its source's.
  for (auto& [rel, what] : expected) {
    if (what.rfind("f:", 0) == 0 && rel != "hard.txt") what = "f:" + (Dir / "tree" / rel).string();
  }
  CHECK_THAT(copied == expected);
  // The names reported lead to the copies.
  for (const String& n : names) {
    const std::string native = NativeFileName(n);
    CHECK_THAT(fs::is_regular_file(fs::symlink_status(native)));
  }
  // Copying again over the copy replaces each file, still never through a link.
  CopyFileTree(Lib(Dir / "tree"), Lib(Dir / "copy"), false, nullptr);
  CHECK_THAT(Snap(Dir / "copy") == copied);
  return OutsideUntouched(Dir, outside);
}

Outcome SetAllFilenameCaseRenamesInPlace(const fs::path& Dir) {
  MakeTree(Dir, false);
  const Snapshot outside = Snap(Dir / "outside");
  const fs::path root = Dir / "tree";
  const Snapshot before = Snap(root);
  SetAllFilenameCase(Lib(root) + u"\\*.*", true);
  // Every name is upper-cased; the walk goes on only into plain folders (not hidden ones).
  Snapshot expected;
  for (const auto& [rel, what] : before) {
    std::string renamed;
    bool entered = true;
    for (const fs::path& part : fs::path(rel)) {
      std::string name = part.string();
      if (entered) {
        for (char& c : name) {
          if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        }
      }
      entered = entered && name[0] != '.';
      renamed += (renamed.empty() ? "" : "/") + name;
    }
    expected[renamed] = what;
  }
  const Snapshot after = Snap(root);
  CHECK_THAT(after.size() == expected.size());
  for (const auto& [rel, what] : expected) {
    if (after.count(rel) != 1) {
      std::string all;
      for (const auto& a : after) all += a.first + "|";
      return "not renamed to " + rel + " in " + all;
    }
    // Contents and link targets never change, only names.
    CHECK_THAT(after.at(rel) == what);
  }
  return OutsideUntouched(Dir, outside);
}

Outcome TrashTakesExactlyTheMatches(const fs::path& Dir) {
  MakeTree(Dir, true);
  const Snapshot outside = Snap(Dir / "outside");
  const fs::path sub = Dir / "tree" / "a\\b";
  Snapshot before = Snap(sub);
  std::size_t files = 0;
  for (const auto& e : fs::directory_iterator(sub)) {
    std::error_code ec;
    if (!fs::is_directory(e.path(), ec) && e.path().filename().string()[0] != '.') ++files;
  }
  const int moved = MoveToRecycleBin(VerbatimFileName(sub.string()) + u"/*");
  if (moved != static_cast<int>(files)) {
    std::string left;
    for (const auto& e : fs::directory_iterator(sub)) left += e.path().filename().string() + "|";
    return std::to_string(moved) + " of " + std::to_string(files) + " left " + left;
  }
  for (const auto& e : fs::directory_iterator(sub)) {
    CHECK_THAT(fs::is_directory(e.path()) || e.path().filename().string()[0] == '.');
  }
  // Every file trashed has its record, with where it came from and when.
  std::size_t records = 0;
  for (const auto& e : fs::directory_iterator(test::DesktopDataHome() / "Trash" / "info")) {
    const std::string info = ReadBytes(e.path().string());
    const std::size_t path = info.find("\nPath=");
    CHECK_THAT(path != std::string::npos);
    CHECK_THAT(info.find("\nDeletionDate=") != std::string::npos);
    // Path= holds the original path, with "\\" escaped as %5C.
    if (info.find("Path=" + (Dir / "tree").string() + "/a%5Cb/", path) != std::string::npos) {
      ++records;
    }
  }
  CHECK_THAT(records == files);
  return OutsideUntouched(Dir, outside);
}

// The root argument itself a link (to a folder, dangling) or a FIFO: a link the caller
// names is followed where the operation works inside a folder, deleted itself by
// DelDirTree; a FIFO is never opened.
Outcome RootArgumentsOfEveryKind(const fs::path& Dir) {
  MakeOutside(Dir);
  const Snapshot outside = Snap(Dir / "outside");
  fs::create_directories(Dir / "real" / "sub");
  WriteOwnPath(Dir / "real" / "sub" / "f.txt");
  fs::create_directory_symlink("real", Dir / "link");
  fs::create_symlink("nowhere", Dir / "dangling");
  ::mkfifo((Dir / "fifo").c_str(), 0666);
  const String link = Lib(Dir / "link"), dangling = Lib(Dir / "dangling"), fifo = Lib(Dir / "fifo");

  TStringList list;
  ScanFilesToStrList(link + u"\\*", true, &list, nullptr);
  CHECK_THAT(list.Count() == 1);
  CHECK_THAT(ReadBytes(NativeFileName(list[0])) == (Dir / "real" / "sub" / "f.txt").string());
  CHECK_THAT(NativeFileName(FileDetect(link + u"\\f.txt")) == NativeFileName(list[0]));
  CopyFileTree(link, Lib(Dir / "copy"), false, nullptr);
  CHECK_THAT(Exists(Dir / "copy" / "sub" / "f.txt"));
  // Into a dangling link nothing is made, and nothing is made of what it points to.
  CopyFileTree(Lib(Dir / "real"), dangling, false, nullptr);
  CHECK_THAT(!Exists(Dir / "nowhere") && fs::is_symlink(Dir / "dangling"));
  for (const String& f : {fifo, dangling}) {
    CHECK_THAT(CountFiles(f + u"\\*", true, nullptr) == 0);
    CHECK_THAT(DirEmpty(f));
    CHECK_THAT(FileDetect(f + u"\\x").empty());
    CopyFileTree(f, Lib(Dir / "from-fifo"), false, nullptr);
    CHECK_THAT(DeleteFiles(f + u"\\*") == 0);
  }
  CHECK_THAT(fs::is_empty(Dir / "from-fifo"));
  CHECK_THAT(DelDirTree(fifo) == fifo + u"\\");
  CHECK_THAT(fs::is_fifo(fs::symlink_status(Dir / "fifo")));
  // SetAllFilenameCase on the link renames the link, never what it points to.
  SetAllFilenameCase(link, true);
  CHECK_THAT(fs::is_symlink(Dir / "LINK") && Exists(Dir / "real" / "sub"));
  CHECK_THAT(DelDirTree(Lib(Dir / "LINK")).empty() && DelDirTree(dangling).empty());
  CHECK_THAT(!Exists(Dir / "LINK") && !Exists(Dir / "dangling"));
  CHECK_THAT(ReadBytes((Dir / "real" / "sub" / "f.txt").string()) ==
             (Dir / "real" / "sub" / "f.txt").string());
  return OutsideUntouched(Dir, outside);
}

// A destination that holds a link where the source has a folder: the copy never goes
// through it.
Outcome CopyNeverEntersALinkInTheDestination(const fs::path& Dir) {
  MakeOutside(Dir);
  const Snapshot outside = Snap(Dir / "outside");
  fs::create_directories(Dir / "src" / "folder" / "inner");
  WriteOwnPath(Dir / "src" / "folder" / "inner.txt");
  WriteOwnPath(Dir / "src" / "folder" / "inner" / "deep.txt");
  fs::create_directories(Dir / "dst");
  fs::create_directory_symlink(Dir / "outside", Dir / "dst" / "folder");
  CopyFileTree(Lib(Dir / "src"), Lib(Dir / "dst"), true, nullptr);
  CHECK_THAT(fs::is_symlink(Dir / "dst" / "folder"));
  return OutsideUntouched(Dir, outside);
}

// A FIFO as the destination of a file copy, named or met in the folder copied into: with
// no reader it would block the copy for ever, so the copy fails instead.
Outcome FileCopyIntoAFifoWithoutReader(const fs::path& Dir) {
  WriteOwnPath(Dir / "f.txt");
  fs::create_directory(Dir / "into");
  ::mkfifo((Dir / "fifo").c_str(), 0666);
  ::mkfifo((Dir / "into" / "f.txt").c_str(), 0666);
  CHECK_THAT(FileCopyFeedBk(Lib(Dir / "f.txt"), Lib(Dir / "fifo"), false, nullptr) ==
             fcCreateDestFailed);
  CHECK_THAT(FileCopyFeedBk(Lib(Dir / "f.txt"), Lib(Dir / "into"), false, nullptr) ==
             fcCreateDestFailed);
  CHECK_THAT(fs::is_fifo(Dir / "fifo") && fs::is_fifo(Dir / "into" / "f.txt"));
  // With a reader the copy goes through the FIFO.
  const int reader = ::open((Dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
  CHECK_THAT(reader >= 0);
  const int status = FileCopyFeedBk(Lib(Dir / "f.txt"), Lib(Dir / "fifo"), false, nullptr);
  char buf[4096];
  const ssize_t got = ::read(reader, buf, sizeof buf);
  ::close(reader);
  CHECK_THAT(status == fcSuccess);
  CHECK_THAT(std::string(buf, got > 0 ? static_cast<std::size_t>(got) : 0) ==
             (Dir / "f.txt").string());
  return {};
}

// Deeper than any path the system takes whole: every walk goes to the bottom, with work
// that grows linearly (the benchmarks time it), and back.
Outcome DeepTreesForEveryOperation(const fs::path& Dir) {
  constexpr int kDepth = 520;
  const std::string part(8, 'd');
  int at = ::open(Dir.c_str(), O_RDONLY | O_DIRECTORY);
  ::mkdirat(at, "tree", 0777);
  for (int i = 0; i <= kDepth; ++i) {
    const int next = ::openat(at, i == 0 ? "tree" : part.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(at);
    at = next;
    if (i < kDepth) ::mkdirat(at, part.c_str(), 0777);
    ::close(::openat(at, i == kDepth ? "bottom.txt" : "f.txt", O_WRONLY | O_CREAT, 0666));
  }
  ::close(at);
  const String tree = Lib(Dir / "tree");
  CHECK_THAT(CountFiles(tree + u"\\*.txt", true, nullptr) == kDepth + 1);
  TStringList list;
  std::int32_t folders = 0;
  ScanFilesToStrList(tree + u"\\*.txt", true, &list,
                     [&](const String&, std::int32_t) { ++folders; });
  CHECK_THAT(list.Count() == kDepth + 1 && folders == kDepth + 1);
  const String bottom = FileDetect(tree + u"\\bottom.txt");
  CHECK_THAT(bottom.ends_with(u"\\bottom.txt") && bottom.size() > 9 * kDepth);
  CopyFileTree(tree, Lib(Dir / "copy"), false, nullptr);
  CHECK_THAT(CountFiles(Lib(Dir / "copy") + u"\\*.txt", true, nullptr) == kDepth + 1);
  SetAllFilenameCase(tree + u"\\*", true);
  CHECK_THAT(FileDetect(tree + u"\\BOTTOM.TXT").ends_with(u"\\BOTTOM.TXT"));
  CHECK_THAT(DelDirTree(tree).empty() && DelDirTree(Lib(Dir / "copy")).empty());
  CHECK_THAT(fs::is_empty(Dir));
  return {};
}

// A folder that cannot be read, inside a folder whose name holds "\\": deleting the tree
// stops there and names it in a form that leads back to it.
Outcome DelDirTreeNamesAFolderItCannotRead(const fs::path& Dir) {
  const fs::path locked = Dir / "tree" / "a\\b" / "locked";
  fs::create_directories(locked);
  WriteOwnPath(locked / "in.txt");
  ::chmod(locked.c_str(), 0);
  const bool readable = ::access(locked.c_str(), R_OK) == 0;
  const String failed = DelDirTree(Lib(Dir / "tree"));
  if (readable) {
    CHECK_THAT(failed.empty());
    return {};
  }
  ::chmod(locked.c_str(), 0755);
  if (NativeFileName(failed) != locked.string() + "/") return "reported " + test::U8(failed);
  CHECK_THAT(NativeFileName(failed) == locked.string() + "/");
  CHECK_THAT(DirExists(failed));
  CHECK_THAT(DelDirTree(failed).empty());
  CHECK_THAT(DelDirTree(Lib(Dir / "tree")).empty());
  return {};
}

// A plain folder that can be entered and written but not listed: its entries cannot be
// renamed, and that is reported, not passed over.
Outcome SetAllFilenameCaseReportsAFolderItCannotList(const fs::path& Dir) {
  const fs::path hidden = Dir / "tree" / "sub";
  fs::create_directories(hidden);
  WriteOwnPath(hidden / "in.txt");
  ::chmod(hidden.c_str(), 0300);
  const bool listable = ::access(hidden.c_str(), R_OK) == 0;
  bool raised = false;
  try {
    SetAllFilenameCase(Lib(Dir / "tree") + u"\\*", true);
  } catch (const EInOutError&) {
    raised = true;
  }
  ::chmod((Dir / "tree" / "SUB").c_str(), 0755);
  CHECK_THAT(raised == !listable);
  CHECK_THAT(Exists(Dir / "tree" / "SUB" / (listable ? "IN.TXT" : "in.txt")));
  return {};
}

// The entries find(1) sees below Root that are neither folders nor links to folders, with
// names ending in Suffix (ignoring ASCII case; empty: all).
std::multiset<std::string> FindFiles(const fs::path& Root, const std::string& Suffix) {
  const std::string command = "find '" + Root.string() + "' -mindepth 1 ! -type d ! -xtype d" +
                              (Suffix.empty() ? "" : " -iname '*" + Suffix + "'") +
                              " -print0 2>/dev/null";
  std::multiset<std::string> found;
  FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return found;
  std::string name;
  for (int c; (c = std::fgetc(p)) != EOF;) {
    if (c != 0) {
      name += static_cast<char>(c);
    } else {
      found.insert(name);
      name.clear();
    }
  }
  ::pclose(p);
  return found;
}

std::multiset<std::string> Listed(StringView Mask) {
  TStringList list;
  ScanFilesToStrList(Mask, true, &list, nullptr);
  std::multiset<std::string> listed;
  for (std::int32_t i = 0; i < list.Count(); ++i) listed.insert(NativeFileName(list[i]));
  return listed;
}

// Random trees of hostile names: what a scan lists is what find sees, before and after
// files are deleted one by one under the names the scan gave.
TEST(HostileTrees, ScansAgainstFind) {
  if (std::system("find / -maxdepth 0 -xtype d >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no find(1) with -xtype";
  }
  const char* const kParts[] = {"a",  "A", ".TXT", ".txt", "\\", "..",           "\xFF", "\xC3",
                                "\n", " ", "C:",   "*",    "?",  "\xED\xB3\xBF", "~",    "%"};
  constexpr std::size_t kCount = sizeof kParts / sizeof kParts[0];
  std::mt19937 gen(20);
  for (int round = 0; round < 10; ++round) {
    TempDir tmp;
    const fs::path root = tmp.Path() / "tree";
    fs::create_directory(root);
    std::vector<fs::path> folders = {root};
    for (int i = 0; i < 80; ++i) {
      std::string name;
      for (int k = 1 + static_cast<int>(gen() % 3); k > 0; --k) name += kParts[gen() % kCount];
      const fs::path at = folders[gen() % folders.size()] / name;
      if (name == ".." || Exists(at)) continue;
      switch (gen() % 5) {
        case 0:
          fs::create_directory(at);
          folders.push_back(at);
          break;
        case 1:
          fs::create_symlink(std::vector<fs::path>{"..", "/", "nowhere", "a"}[gen() % 4], at);
          break;
        case 2:
          ::mkfifo(at.c_str(), 0666);
          break;
        default:
          WriteOwnPath(at);
      }
    }
    const String mask = Lib(root) + u"\\*";
    std::multiset<std::string> model = FindFiles(root, "");
    EXPECT_EQ(Listed(mask), model) << "round " << round;
    EXPECT_EQ(Listed(Lib(root) + u"\\*.txt"), FindFiles(root, ".txt")) << "round " << round;
    // Each name listed, without wildcards, deletes that entry alone.
    TStringList list;
    ScanFilesToStrList(mask, true, &list, nullptr);
    for (std::int32_t i = 0; i < list.Count(); i += 2) {
      const std::string native = NativeFileName(list[i]);
      const std::string name = fs::path(native).filename().string();
      if (name.find_first_of("*?") != std::string::npos || name[0] == '.') continue;
      EXPECT_EQ(DeleteFiles(list[i]), 1) << test::U8(list[i]);
      model.erase(model.find(native));
    }
    EXPECT_EQ(Listed(mask), model) << "round " << round;
    EXPECT_EQ(FindFiles(root, ""), model) << "round " << round;
    // FileDetect finds a plain file of each name of a regular file reached through plain
    // folders (none hidden), under a name that leads to it.
    for (const std::string& path : model) {
      const std::string name = fs::path(path).filename().string();
      if (name.find_first_of("*?\\") != std::string::npos || !fs::is_regular_file(path)) continue;
      const std::string rel = fs::path(path).lexically_relative(root).string();
      if (rel[0] == '.' || rel.find("/.") != std::string::npos) continue;
      const String found = FileDetect(Lib(root) + u"\\" + NativeToString(name));
      const std::string native = NativeFileName(found);
      EXPECT_TRUE(
          MatchesMask(NativeToString(fs::path(native).filename().string()), NativeToString(name)))
          << test::U8(found);
      EXPECT_GE(FileGetAttr(found), 0) << test::U8(found);
    }
    // Renaming to one letter case never merges two entries nor changes what they hold:
    // where a name is taken it stops with an error.
    std::multiset<std::string> held;
    for (const auto& [rel, what] : Snap(root)) held.insert(what);
    try {
      SetAllFilenameCase(mask, true);
    } catch (const EInOutError&) {
    }
    std::multiset<std::string> after;
    for (const auto& [rel, what] : Snap(root)) after.insert(what);
    EXPECT_EQ(after, held) << "round " << round;
    EXPECT_EQ(DelDirTree(Lib(root)), u"");
    EXPECT_FALSE(Exists(root));
  }
}

const test::ChildCase kCases[] = {
    {"ScansListWhatIsThere", ScansListWhatIsThere},
    {"DeleteFilesTakesExactlyTheMatches", DeleteFilesTakesExactlyTheMatches},
    {"DelDirTreeTakesTheTreeOnly", DelDirTreeTakesTheTreeOnly},
    {"CopyReproducesTheTree", CopyReproducesTheTree},
    {"SetAllFilenameCaseRenamesInPlace", SetAllFilenameCaseRenamesInPlace},
    {"TrashTakesExactlyTheMatches", TrashTakesExactlyTheMatches},
    {"RootArgumentsOfEveryKind", RootArgumentsOfEveryKind},
    {"CopyNeverEntersALinkInTheDestination", CopyNeverEntersALinkInTheDestination},
    {"DeepTreesForEveryOperation", DeepTreesForEveryOperation},
    {"FileCopyIntoAFifoWithoutReader", FileCopyIntoAFifoWithoutReader},
    {"DelDirTreeNamesAFolderItCannotRead", DelDirTreeNamesAFolderItCannotRead},
    {"SetAllFilenameCaseReportsAFolderItCannotList", SetAllFilenameCaseReportsAFolderItCannotList},
};

class HostileTrees : public ::testing::TestWithParam<test::ChildCaseParam> {};

TEST_P(HostileTrees, Hold) {
  if (std::get<1>(GetParam()) && std::get<0>(GetParam()).Run == TrashTakesExactlyTheMatches) {
    GTEST_SKIP() << "the suite's private trash belongs to the user the tests run as";
  }
  test::RunChildCase(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTrees,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()),
                         test::ChildCaseName);

}  // namespace
}  // namespace kez
