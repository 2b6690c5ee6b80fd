/// @file
/// TUnivSaveDialog: asks for the name of a file to save and settles the two questions every
/// save raises: is the folder allowed, and may an existing file be overwritten. Included
/// through kez/filesys.hpp.
///
/// The name comes either from the platform's save dialog (TSaveDialog, configured from the
/// Parameters text) or, with UseStandardDialog false, from the application's OnFileSelect
/// handler (a dialog of its own, or a fixed answer for unattended use). The questions go to
/// the OnForbiddenDir and OnOverwrite handlers.
///
/// @code
///   auto* dlg = new kez::TUnivSaveDialog(owner);
///   dlg->SetParameters(u"filter=\"Tables|*.csv|Text|*.txt\" ext=csv caption=\"Export\"");
///   dlg->SetForbiddenDir(u"/etc");
///   dlg->SetOnOverwrite([](kez::TObject*, const kez::String& name, kez::TModalResult& reply) {
///     reply = AskUser(name) ? kez::mrYes : kez::mrNo;   // mrCancel gives up
///   });
///   if (dlg->Execute()) Save(dlg->FileName());           // report.csv, never in /etc
/// @endcode
///
/// Parameters is an attribute text (name=value pairs, values with blanks in double quotes, as
/// ScanForXMLAttrib reads them). The standard dialog reads:
/// @code
///   filter      file types: display name and mask alternating, separated by "|"
///               ("Tables|*.csv|Text|*.txt"); an odd last token is ignored
///   ext         extension forced onto the chosen name, without the dot (empty: none)
///   caption     the dialog's title
///   initialdir  the folder the dialog starts in
/// @endcode
/// Applications may keep their own parameters there too and read them with
/// ExtractParamAsString, ExtractParamAsInt and ExtractParamAsDouble.
///
/// Errors are EKEZFileSysError with the message `Component "<Name>": <text>`.
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <functional>

#include "kez/platform/dialogs.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// The events of TUnivSaveDialog; Sender is the dialog component.
///
/// TOnFileSelectEvent: chooses the file when the standard dialog is not used. It gets the
/// Parameters text, sets UserAction (mrOk to go on; it enters as mrCancel) and sets
/// SelectedFileName (it enters as the current FileName).
using TOnFileSelectEvent = std::function<void(TObject* Sender, const String& Parameters,
                                              TModalResult& UserAction, String& SelectedFileName)>;
/// TOnFileCheckEvent: tells whether FileName exists, when the standard dialog is not used
/// (FileDoesExist enters as false).
using TOnFileCheckEvent =
    std::function<void(TObject* Sender, const String& FileName, bool& FileDoesExist)>;
/// TOnOverwriteEvent: FileName exists; reply mrYes (overwrite), mrNo (choose another name)
/// or mrCancel (give up). OverwriteReply enters as mrNo.
using TOnOverwriteEvent =
    std::function<void(TObject* Sender, const String& FileName, TModalResult& OverwriteReply)>;
/// TOnForbiddenDirEvent: Path (the chosen folder) lies in ForbiddenDir; reply mrYes (save
/// there all the same), mrCancel (give up) or anything else (choose another name).
/// ForbiddenDirReply enters as mrYes.
using TOnForbiddenDirEvent =
    std::function<void(TObject* Sender, const String& Path, TModalResult& ForbiddenDirReply)>;

/// TUnivSaveDialog
/// The component. FileName and FilterIndex persist between calls, so a second Execute
/// starts with the previous choice.
class TUnivSaveDialog : public TCommonDialog {
 public:
  /// Parameters empty, FileName empty, no handlers, UseStandardDialog true, FilterIndex 1,
  /// ForbiddenDir empty.
  explicit TUnivSaveDialog(TComponent* AOwner);
  ~TUnivSaveDialog() override;

  /// Execute
  /// Asks for a file name until one may be written to, or the user gives up. Each round:
  ///  1. The name is chosen: with UseStandardDialog, a TSaveDialog (owned by this component
  ///     for the round) gets the file types of "filter", the title "caption", the folder
  ///     "initialdir", FilterIndex, FileName and SaveDiagTypeChange as its type-change
  ///     handler. Confirmed or cancelled, its FileName and FilterIndex are taken back, and a
  ///     non-empty name gets the "ext" extension in place of its own (a leading dot in
  ///     "ext" is allowed; an empty name stays empty). Without the standard dialog,
  ///     OnFileSelect chooses.
  ///  2. Not confirmed: the result is false.
  ///  3. The folder part of FileName (up to and including the last separator) is checked
  ///     with IsForbiddenDir; a forbidden one is put to OnForbiddenDir (mrYes when there is
  ///     no handler): mrCancel ends with false, mrYes goes on, any other reply starts the next
  ///     round.
  ///  4. Whether FileName exists: with the standard dialog, from the file system; otherwise
  ///     OnFileCheck decides (not existing without a handler). A new file ends with true. An
  ///     existing one is put to OnOverwrite: mrYes ends with true, mrCancel with false, mrNo
  ///     starts the next round.
  /// The rounds end only through the user's answers: handlers that never give mrOk-and-
  /// acceptable or mrCancel keep it asking.
  /// Errors (EKEZFileSysError): "Error in standard dialog (errnum = $XXXX)." when the dialog
  /// failed (XXXX: CommDlgExtendedError as at least four upper-case hexadecimal digits);
  /// "File select dialog is not assigned" without the standard dialog and OnFileSelect;
  /// "Overwrite dialog is not assigned" for an existing file without OnOverwrite; "Invalid
  /// reply argument from overwrite dialog" for a reply other than mrYes, mrNo or mrCancel.
  /// Exceptions of handlers and of the dialog backend pass through.
  bool Execute() override;

  /// IsForbiddenDir
  /// True when Path lies in ForbiddenDir: its normalised, lower-cased form starts with the
  /// normalised, lower-cased ForbiddenDir (so subfolders are forbidden too, and a folder
  /// whose name merely begins like it: ForbiddenDir "/data" forbids "/database/").
  /// Normalising maps the drive, puts a relative path after the current folder, drops "."
  /// components and doubled separators, resolves "..", and follows symbolic links as far as
  /// the path exists, so "/tmp/../etc/" and a link to /etc count as "/etc/". A trailing
  /// separator is kept. False for an empty Path and for an empty ForbiddenDir.
  bool IsForbiddenDir(StringView Path) const;

  /// SaveDiagTypeChange
  /// The standard dialog's type-change handler (Sender: the TSaveDialog). Makes the name in
  /// the dialog's name box follow the selected file type: the extension is taken from the
  /// type's mask (its first mask when there are several separated by ";") without its first
  /// character ("*.txt" gives ".txt"); a mask without one fixed extension ("*.*", "*") leaves
  /// the name alone. The typed name (or the dialog's FileName when nothing is typed) is
  /// reduced to its name part, its extension replaced, and put back into the name box. Does
  /// nothing when there is no name, no dialog or the selected type does not exist.
  void SaveDiagTypeChange(TObject* Sender);

  /// ExtractParamAsString
  /// The value of the attribute Name in Parameters; empty when absent or unreadable.
  String ExtractParamAsString(StringView Name) const;

  /// ExtractParamAsInt
  /// The attribute's value read as a decimal integer from its first character: blanks (and
  /// line ends) skipped, one optional "-" or "+", digits up to the first other character; no
  /// digits give 0, a number beyond the 32-bit range the nearest 32-bit value. An absent or
  /// empty value raises EKEZFileSysError "<Name> is not specified in property Parameters".
  std::int32_t ExtractParamAsInt(StringView Name) const;

  /// ExtractParamAsDouble
  /// The attribute's value read as a number: blanks skipped, optional sign, digits, "." or
  /// "," as decimal point, an optional exponent; malformed text gives 0, values are limited
  /// to +-1.7e308. Absent or empty: the error of ExtractParamAsInt.
  double ExtractParamAsDouble(StringView Name) const;

  /// Parameters / SetParameters: the attribute text the standard dialog and the application read
  /// (see above).
  ///@{
  const String& Parameters() const { return FParams; }
  void SetParameters(String Value) { FParams = std::move(Value); }
  ///@}

  /// FileName / SetFileName: the name proposed to the next Execute and chosen by the last one.
  ///@{
  const String& FileName() const { return FFileName; }
  void SetFileName(String Value) { FFileName = std::move(Value); }
  ///@}

  /// OnFileSelect / SetOnFileSelect: chooses the file without the standard dialog.
  ///@{
  const TOnFileSelectEvent& OnFileSelect() const { return FOnFileSelect; }
  void SetOnFileSelect(TOnFileSelectEvent Handler) { FOnFileSelect = std::move(Handler); }
  ///@}

  /// OnFileCheck / SetOnFileCheck: tells whether a file exists, without the standard dialog.
  ///@{
  const TOnFileCheckEvent& OnFileCheck() const { return FOnFileCheck; }
  void SetOnFileCheck(TOnFileCheckEvent Handler) { FOnFileCheck = std::move(Handler); }
  ///@}

  /// OnOverwrite / SetOnOverwrite: asked whether an existing file may be overwritten.
  ///@{
  const TOnOverwriteEvent& OnOverwrite() const { return FOnOverwrite; }
  void SetOnOverwrite(TOnOverwriteEvent Handler) { FOnOverwrite = std::move(Handler); }
  ///@}

  /// OnForbiddenDir / SetOnForbiddenDir: asked what to do with a name in ForbiddenDir.
  ///@{
  const TOnForbiddenDirEvent& OnForbiddenDir() const { return FOnForbiddenDir; }
  void SetOnForbiddenDir(TOnForbiddenDirEvent Handler) { FOnForbiddenDir = std::move(Handler); }
  ///@}

  /// UseStandardDialog / SetUseStandardDialog: whether the platform's save dialog chooses the name
  /// (true) or OnFileSelect does.
  ///@{
  bool UseStandardDialog() const { return FUseStdDiag; }
  void SetUseStandardDialog(bool Value) { FUseStdDiag = Value; }
  ///@}

  /// FilterIndex / SetFilterIndex: the file type (1-based) proposed to the next Execute and chosen
  /// by the last one.
  ///@{
  std::int32_t FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(std::int32_t Value) { FFilterIndex = Value; }
  ///@}

  /// ForbiddenDir / SetForbiddenDir: the folder, with everything below it, that a file should not
  /// be saved in (see IsForbiddenDir); empty forbids nothing.
  ///@{
  const String& ForbiddenDir() const { return FForbiddenDir; }
  void SetForbiddenDir(String Value) { FForbiddenDir = std::move(Value); }
  ///@}

 private:
  /// One round's choice of a name through the standard dialog; the user's action.
  TModalResult ChooseWithStandardDialog();
  /// The overwrite check; sets Result and Done when the loop ends.
  void CheckOverwrite(bool& Result, bool& Done);
  [[noreturn]] void RaiseError(StringView Text) const;

  String FParams;
  String FFileName;
  TOnFileSelectEvent FOnFileSelect;
  TOnFileCheckEvent FOnFileCheck;
  TOnOverwriteEvent FOnOverwrite;
  TOnForbiddenDirEvent FOnForbiddenDir;
  bool FUseStdDiag = true;
  std::int32_t FFilterIndex = 1;
  String FForbiddenDir;
  TSaveDialog* SDiag = nullptr;  // exists only during a round of Execute
};

KEZ_API_END
}  // namespace kez
