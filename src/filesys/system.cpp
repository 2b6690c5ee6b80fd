// Standard folders, the environment and program associations.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "kez/filesys/paths.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/path.hpp"

extern char** environ;

namespace kez {

String GetSystemDir() { return u"/usr/lib"; }

String GetWindowsDir() { return u"/usr"; }

String GetTempDir() {
  const char* dir = std::getenv("TMPDIR");
  String result = dir != nullptr && *dir != '\0' ? NativeToString(dir) : String(u"/tmp/");
  if (result.back() != u'/') result += u'/';
  return result;
}

namespace {

char LowerAscii(char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C + 32) : C; }

}  // namespace

String GetEnviroVar(StringView Name) {
  const std::string name = StringToNative(Name);
  if (name.empty() || name.find_first_of(std::string("=\0", 2)) != std::string::npos) return {};
  // Every entry is looked at; the last that matches ignoring case wins.
  const char* found = nullptr;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const char* entry = *e;
    std::size_t i = 0;
    while (i < name.size() && entry[i] != '\0' && LowerAscii(entry[i]) == LowerAscii(name[i])) ++i;
    if (i == name.size() && entry[i] == '=') found = entry + i + 1;
  }
  return found != nullptr ? NativeToString(found) : String();
}

String GetProgAssoc(StringView Ext) {
  if (Ext.empty() || Ext.find(u'/') != StringView::npos) return {};
  const String type = DesktopContentType(u"file." + String(Ext));
  if (type.empty()) return {};
  const String command = DesktopOpenCommand(type);
  return command.empty() ? type : command;
}

}  // namespace kez
