// The default save-dialog backend: the desktop's file chooser through zenity.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "kez/platform/dialogs.hpp"
#include "kez/platform/path.hpp"
#include "platform/fsinternal.hpp"

extern char** environ;

namespace kez {
namespace {

// The longest name a save dialog hands back (the platform's path limit in characters).
constexpr std::size_t kLongestName = 32767;

bool HasDisplay() {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(var);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// zenity reads a filter as "NAME | PATTERN PATTERN ...": the masks of a type are separated
// by ";" here and by blanks there, and a "|" in the name would end the name early.
std::string ZenityFilter(const TFileFilter& Filter) {
  std::string name = StringToUtf8(Filter.DisplayName);
  for (char& c : name) {
    if (c == '|') c = '/';
  }
  std::string masks = StringToUtf8(Filter.Mask);
  for (char& c : masks) {
    if (c == ';') c = ' ';
  }
  if (masks.find_first_not_of(' ') == std::string::npos) masks = "*";
  return "--file-filter=" + name + " | " + masks;
}

// The name zenity proposes: the proposed file name in the start folder, or the folder alone
// (a trailing "/" tells zenity it is a folder).
std::string StartName(const TSaveDialog& Dialog) {
  const String& name = Dialog.FileName();
  const bool nameHasFolder = detail::NameStart(name) > 0;
  if (nameHasFolder) return NativeFileNameToCreate(name);
  std::string folder;
  if (!Dialog.InitialDir().empty()) {
    folder = NativeFileName(Dialog.InitialDir());
    if (!folder.empty() && folder.back() != '/') folder += '/';
  }
  return folder + StringToUtf8(name);
}

std::vector<std::string> ZenityArguments(const TSaveDialog& Dialog) {
  std::vector<std::string> args = {"zenity", "--file-selection", "--save"};
  if (!Dialog.Title().empty()) args.push_back("--title=" + StringToUtf8(Dialog.Title()));
  const std::string start = StartName(Dialog);
  if (!start.empty()) args.push_back("--filename=" + start);
  // zenity cannot preselect a type: the selected one goes first, the others keep their order.
  const auto& filters = Dialog.Filters();
  const std::int32_t selected = Dialog.FilterIndex();
  if (selected >= 1 && static_cast<std::size_t>(selected) <= filters.size()) {
    args.push_back(ZenityFilter(filters[static_cast<std::size_t>(selected) - 1]));
  }
  for (std::size_t i = 0; i < filters.size(); ++i) {
    if (static_cast<std::int64_t>(i) + 1 != selected) args.push_back(ZenityFilter(filters[i]));
  }
  return args;
}

// Runs a program found on PATH with stdin and stderr on /dev/null and collects its standard
// output (at most Limit bytes are kept; Truncated tells that more came). Returns the spawn
// error (0 when it ran) and the wait status.
int RunCollecting(const std::vector<std::string>& Args, std::size_t Limit, std::string& Output,
                  bool& Truncated, int& Status) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const auto& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawnError =
      ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (spawnError != 0) {
    ::close(fds[0]);
    return spawnError;
  }
  Truncated = false;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const std::size_t room = Limit - Output.size();
    if (static_cast<std::size_t>(n) > room) Truncated = true;
    Output.append(buf, std::min(room, static_cast<std::size_t>(n)));
  }
  ::close(fds[0]);
  while (::waitpid(pid, &Status, 0) < 0) {
    if (errno != EINTR) {
      Status = -1;
      break;
    }
  }
  return 0;
}

}  // namespace

bool DesktopSaveDialog(TSaveDialog& Dialog, std::uint32_t& ErrorCode) {
  if (!HasDisplay()) return false;
  std::string output;
  bool truncated = false;
  int status = 0;
  // UTF-8 takes at most 3 bytes per UTF-16 unit; the line end and a little more fit too.
  const int spawnError =
      RunCollecting(ZenityArguments(Dialog), 3 * kLongestName + 8, output, truncated, status);
  if (spawnError == ENOENT) return false;  // zenity is not installed
  if (spawnError != 0 || status == -1 || !WIFEXITED(status)) {
    ErrorCode = CDERR_INITIALIZATION;
    return false;
  }
  const int exitCode = WEXITSTATUS(status);
  if (exitCode == 1 || exitCode == 5) return false;
  if (exitCode != 0) {
    ErrorCode = CDERR_INITIALIZATION;
    return false;
  }
  if (!output.empty() && output.back() == '\n') output.pop_back();
  String name = Utf8ToString(output);
  if (truncated || name.size() > kLongestName) {
    ErrorCode = FNERR_BUFFERTOOSMALL;
    return false;
  }
  if (name.empty()) return false;
  Dialog.SetFileName(std::move(name));
  return true;
}

}  // namespace kez
