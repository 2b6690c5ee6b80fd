// A private desktop for the suite: XDG data and configuration folders of its own, set
// before any test reaches GLib (which reads them once, when it is first used), holding a
// compiled MIME package, one application entry and the choice of default applications.
#pragma once

#include <filesystem>

namespace kez::test {

// The private XDG_DATA_HOME (the home trash is its Trash folder).
const std::filesystem::path& DesktopDataHome();

// The program the private desktop opens application/x-kezdemo files with.
const std::filesystem::path& DesktopViewer();

// Whether the MIME package could be compiled (update-mime-database is installed).
bool DesktopHasMimeDatabase();

}  // namespace kez::test
