// The dialog components and the process-wide backend that shows them.
#include "kez/platform/dialogs.hpp"

#include <utility>

namespace kez {
namespace {

TSaveDialogBackend& InstalledBackend() {
  static TSaveDialogBackend backend;
  return backend;
}

std::uint32_t& LastDialogError() {
  static std::uint32_t code = 0;
  return code;
}

}  // namespace

std::uint32_t CommDlgExtendedError() { return LastDialogError(); }

TSaveDialogBackend SetSaveDialogBackend(TSaveDialogBackend Backend) {
  return std::exchange(InstalledBackend(), std::move(Backend));
}

void TSaveDialog::AddFilter(String DisplayName, String Mask) {
  FFilters.push_back({std::move(DisplayName), std::move(Mask)});
}

void TSaveDialog::SelectFileType(std::int32_t Index) {
  if (Index == FFilterIndex) return;
  FFilterIndex = Index;
  CallHandler(FOnTypeChange, this);
}

bool TSaveDialog::Execute() {
  // Until the backend answers, a failure (an exception from the backend or a handler) is
  // what the dialog reports.
  LastDialogError() = CDERR_INITIALIZATION;
  FTypedFileName = FFileName;
  struct ClearBox {
    String& Box;
    ~ClearBox() { Box.clear(); }
  } clear{FTypedFileName};
  std::uint32_t code = 0;
  // A copy, so that a backend may install another one while it runs.
  const TSaveDialogBackend backend = InstalledBackend();
  const bool confirmed = backend ? backend(*this, code) : DesktopSaveDialog(*this, code);
  LastDialogError() = confirmed ? 0 : code;
  return confirmed;
}

}  // namespace kez
