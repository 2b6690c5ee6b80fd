/// @file
/// The dialog components: TCommonDialog and TSaveDialog, which asks for the name of a file to
/// save. What actually shows the dialog is a replaceable backend. The default one runs the
/// desktop's file chooser (zenity) when a display is available and zenity is installed, and
/// otherwise answers as if the user had cancelled. Hosts with their own user interface, and
/// tests, install a backend of their own with SetSaveDialogBackend.
///
/// @code
///   kez::TSaveDialog dlg(nullptr);
///   dlg.AddFilter(u"Text files", u"*.txt");
///   dlg.SetTitle(u"Save report");
///   if (dlg.Execute()) Save(dlg.FileName());
///   else if (kez::CommDlgExtendedError() != 0) ...   // the dialog failed, not cancelled
/// @endcode
///
/// Threads: the installed backend and the code CommDlgExtendedError gives are process-wide:
/// install the backend before threads show dialogs; the code is that of the last dialog shown
/// by any thread. Separate dialog objects may be used from separate threads at once.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TModalResult
/// A dialog's answer. The values a save dialog and its questions use are mrOk, mrCancel,
/// mrYes and mrNo.
using TModalResult = std::int32_t;
inline constexpr TModalResult mrNone = 0;  ///< No answer (yet).
inline constexpr TModalResult mrOk = 1;  ///< The user confirmed.
inline constexpr TModalResult mrCancel = 2;  ///< The user cancelled.
inline constexpr TModalResult mrAbort = 3;  ///< The user chose Abort.
inline constexpr TModalResult mrRetry = 4;  ///< The user chose Retry.
inline constexpr TModalResult mrIgnore = 5;  ///< The user chose Ignore.
inline constexpr TModalResult mrYes = 6;  ///< The user answered Yes.
inline constexpr TModalResult mrNo = 7;  ///< The user answered No.

/// Extended error codes of the dialogs (CommDlgExtendedError). 0 means no error: the user
/// confirmed or cancelled.
inline constexpr std::uint32_t CDERR_GENERALCODES = 0x0000;
inline constexpr std::uint32_t CDERR_INITIALIZATION = 0x0002;  ///< the dialog could not be shown
inline constexpr std::uint32_t FNERR_BUFFERTOOSMALL = 0x3003;  ///< the chosen name was too long

/// CommDlgExtendedError
/// The extended error code of the dialog that finished last in this process, 0 when it was
/// confirmed or cancelled (and before any dialog ran).
std::uint32_t CommDlgExtendedError();

/// TCommonDialog
/// Base of the dialog components: a component whose Execute shows the dialog and tells
/// whether the user confirmed it.
class TCommonDialog : public TComponent {
 public:
  /// A dialog owned by AOwner (see TComponent).
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

  /// Execute
  /// Shows the dialog; true when the user confirmed it.
  virtual bool Execute() = 0;
};

/// TFileFilter
/// One file type of a file dialog: the name shown ("Text files") and the mask that selects
/// its files ("*.txt"; several masks separated by ";").
struct TFileFilter {
  String DisplayName;  ///< The name shown for the type.
  String Mask;  ///< The masks that select its files.
};

/// TSaveDialog
/// Asks for the name of a file to save. Before Execute the caller sets the file types, the
/// window title, the folder to start in, the preselected file type (FilterIndex, 1-based)
/// and a proposed FileName. Afterwards FileName and FilterIndex hold what the user chose;
/// a cancelled dialog leaves in them what the backend reports (at least the values set
/// before).
///
/// While the dialog is shown, the name box holds the text the user is typing
/// (TypedFileName); when the user selects another file type, the backend calls
/// SelectFileType, which sets FilterIndex and raises OnTypeChange. A handler may then put
/// another text into the name box with SetTypedFileName.
class TSaveDialog : public TCommonDialog {
 public:
  /// A save dialog owned by AOwner, with no file types.
  explicit TSaveDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

  /// Filters / AddFilter / ClearFilters
  /// The file types in the order shown.
  ///@{
  const std::vector<TFileFilter>& Filters() const { return FFilters; }
  void AddFilter(String DisplayName, String Mask);
  void ClearFilters() { FFilters.clear(); }
  ///@}

  /// Title / InitialDir / FileName
  /// The window title, the folder the dialog starts in, and the file name: proposed before Execute,
  /// chosen after it.
  ///@{
  const String& Title() const { return FTitle; }
  void SetTitle(String Value) { FTitle = std::move(Value); }
  const String& InitialDir() const { return FInitialDir; }
  void SetInitialDir(String Value) { FInitialDir = std::move(Value); }
  const String& FileName() const { return FFileName; }
  void SetFileName(String Value) { FFileName = std::move(Value); }
  ///@}

  /// FilterIndex
  /// The selected file type, 1-based. Any value is stored; one outside 1..Filters().size()
  /// selects no type in particular (a backend then shows the first).
  ///@{
  std::int32_t FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(std::int32_t Value) { FFilterIndex = Value; }
  ///@}

  /// OnTypeChange
  /// Raised (with this dialog as Sender) when the user selects another file type while the
  /// dialog is shown.
  ///@{
  const TNotifyEvent& OnTypeChange() const { return FOnTypeChange; }
  void SetOnTypeChange(TNotifyEvent Handler) { FOnTypeChange = std::move(Handler); }
  ///@}

  /// TypedFileName / SetTypedFileName
  /// The text of the name box while the dialog is shown; empty otherwise. Execute starts it
  /// as FileName.
  ///@{
  const String& TypedFileName() const { return FTypedFileName; }
  void SetTypedFileName(String Value) { FTypedFileName = std::move(Value); }
  ///@}

  /// SelectFileType
  /// For backends: the user selected file type Index (1-based). Sets FilterIndex and raises
  /// OnTypeChange when the index differs from the current one.
  void SelectFileType(std::int32_t Index);

  /// Execute
  /// Shows the dialog through the installed backend. True when the user confirmed a name,
  /// which is then in FileName. False when the user cancelled or the dialog failed;
  /// CommDlgExtendedError tells which (0 for a cancel). A backend's exception passes to
  /// the caller, and the dialog's last error is then CDERR_INITIALIZATION.
  bool Execute() override;

 private:
  std::vector<TFileFilter> FFilters;
  String FTitle;
  String FInitialDir;
  String FFileName;
  std::int32_t FFilterIndex = 1;
  TNotifyEvent FOnTypeChange;
  String FTypedFileName;
};

/// TSaveDialogBackend
/// Shows Dialog and returns true when the user confirmed a name. It reads the dialog's
/// settings, writes the chosen name into FileName (and the selected type through
/// SelectFileType), and keeps TypedFileName up to date while the user types. A dialog that
/// cannot be shown is reported by setting ErrorCode (0 on entry) to an extended error code
/// and returning false.
using TSaveDialogBackend = std::function<bool(TSaveDialog& Dialog, std::uint32_t& ErrorCode)>;

/// SetSaveDialogBackend
/// Installs the backend that every TSaveDialog uses from now on, for the whole process, and
/// returns the one installed before (empty when that was the default). An empty Backend
/// restores the default.
TSaveDialogBackend SetSaveDialogBackend(TSaveDialogBackend Backend);

/// DesktopSaveDialog
/// The default backend. With a display (DISPLAY or WAYLAND_DISPLAY set) and zenity found on
/// PATH it runs "zenity --file-selection --save" with the title, the start folder and name
/// (InitialDir and FileName, mapped to native paths), and one --file-filter per file type,
/// the selected type first, since zenity cannot preselect one and does not report which
/// type was chosen; FilterIndex therefore stays as it was. A confirmed name (zenity's exit
/// status 0) becomes FileName as zenity prints it. Exit status 1 (cancel) or 5 (time-out)
/// is a cancel with error code 0. Zenity that cannot be started, ends by a signal or with
/// another status gives CDERR_INITIALIZATION; a name longer than 32767 characters gives
/// FNERR_BUFFERTOOSMALL. Without a display or zenity it is a cancel with error code 0.
bool DesktopSaveDialog(TSaveDialog& Dialog, std::uint32_t& ErrorCode);

KEZ_API_END
}  // namespace kez
