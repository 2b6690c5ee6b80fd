#include "desktop_env.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "test_support.hpp"

namespace kez::test {
namespace {

namespace fs = std::filesystem;

// Two made-up types: one with a default application, one without.
constexpr const char* kMimePackage = R"(<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-kezdemo"><comment>demo</comment><glob pattern="*.kezdemo"/></mime-type>
  <mime-type type="application/x-kezbare"><comment>bare</comment><glob pattern="*.kezbare"/></mime-type>
</mime-info>
)";

// GIO lists an application only when the program of its Exec line exists.
constexpr const char* kDesktopEntry = R"([Desktop Entry]
Type=Application
Name=Kez Viewer
Exec=@VIEWER@ --open %f
MimeType=application/x-kezdemo;
)";

constexpr const char* kMimeApps = R"([Default Applications]
application/x-kezdemo=kezview.desktop
)";

class Desktop : public ::testing::Environment {
 public:
  void SetUp() override {
    Root = std::make_unique<TempDir>();
    const fs::path data = Root->Path() / "data", config = Root->Path() / "config";
    const fs::path dataDirs = Root->Path() / "shared", configDirs = Root->Path() / "etc";
    for (const auto& d :
         {data / "mime" / "packages", data / "applications", config, dataDirs, configDirs}) {
      fs::create_directories(d);
    }
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_DATA_DIRS", dataDirs.c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", configDirs.c_str(), 1);
    ::unsetenv("XDG_CURRENT_DESKTOP");
    WriteBytes((data / "mime" / "packages" / "kez-test.xml").string(), kMimePackage);
    Viewer = Root->Path() / "kezview";
    WriteBytes(Viewer.string(), "#!/bin/sh\n");
    fs::permissions(Viewer, fs::perms::owner_all);
    std::string entry = kDesktopEntry;
    entry.replace(entry.find("@VIEWER@"), 8, Viewer.string());
    WriteBytes((data / "applications" / "kezview.desktop").string(), entry);
    WriteBytes((config / "mimeapps.list").string(), kMimeApps);
    const std::string update =
        "update-mime-database '" + (data / "mime").string() + "' 2>/dev/null";
    HasMime = std::system(update.c_str()) == 0;
    DataHome = data;
  }
  void TearDown() override { Root.reset(); }

  static std::unique_ptr<TempDir> Root;
  static fs::path DataHome;
  static fs::path Viewer;
  static bool HasMime;
};
std::unique_ptr<TempDir> Desktop::Root;
fs::path Desktop::DataHome;
fs::path Desktop::Viewer;
bool Desktop::HasMime = false;

[[maybe_unused]] ::testing::Environment* const kDesktop =
    ::testing::AddGlobalTestEnvironment(new Desktop);

}  // namespace

const fs::path& DesktopDataHome() { return Desktop::DataHome; }
const fs::path& DesktopViewer() { return Desktop::Viewer; }
bool DesktopHasMimeDatabase() { return Desktop::HasMime; }

}  // namespace kez::test
