// TUnivSaveDialog: the file-name loop with its forbidden-folder and overwrite questions.
#include "kez/filesys/savedialog.hpp"

#include <vector>

#include "filesys/comparablepath.hpp"
#include "kez/filesys.hpp"
#include "kez/platform/filesystem.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams/numbers.hpp"
#include "kez/streams/tags.hpp"
#include "kez/stringl/parse.hpp"
#include "platform/fsinternal.hpp"

namespace kez {
namespace {

// Code as upper-case hexadecimal with at least four digits.
String Hex4(std::uint32_t Code) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  String digits;
  for (int shift = 28; shift >= 0; shift -= 4) {
    const std::uint32_t digit = (Code >> shift) & 0xF;
    if (digit != 0 || !digits.empty() || shift < 16) digits += kHex[digit];
  }
  return digits;
}

// The extension a file-type mask gives a name: its first mask without the first character
// ("*.txt" gives ".txt"); empty when that mask has no fixed extension ("*.*", "*").
String ExtensionOfMask(StringView Mask) {
  const StringView first = Mask.substr(0, Mask.find(u';'));
  if (first.size() < 2) return String();
  const StringView ext = first.substr(1);
  if (ext.find_first_of(u"*?") != StringView::npos) return String();
  return String(ext);
}

}  // namespace

TUnivSaveDialog::TUnivSaveDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

TUnivSaveDialog::~TUnivSaveDialog() { delete SDiag; }

void TUnivSaveDialog::RaiseError(StringView Text) const {
  RaiseComponentError<EKEZFileSysError>(*this, Text);
}

String TUnivSaveDialog::ExtractParamAsString(StringView Name) const {
  return ScanForXMLAttrib(FParams, Name);
}

std::int32_t TUnivSaveDialog::ExtractParamAsInt(StringView Name) const {
  const String value = ExtractParamAsString(Name);
  if (value.empty()) RaiseError(String(Name) + u" is not specified in property Parameters");
  TStringStream stream(StringView{value});
  return ScanStreamDecimal(stream);
}

double TUnivSaveDialog::ExtractParamAsDouble(StringView Name) const {
  const String value = ExtractParamAsString(Name);
  if (value.empty()) RaiseError(String(Name) + u" is not specified in property Parameters");
  TStringStream stream(StringView{value});
  return static_cast<double>(ScanStreamFPNum(stream, true, 3));
}

bool TUnivSaveDialog::IsForbiddenDir(StringView Path) const {
  if (Path.empty() || FForbiddenDir.empty()) return false;
  return detail::ComparablePath(Path).starts_with(detail::ComparablePath(FForbiddenDir));
}

void TUnivSaveDialog::SaveDiagTypeChange(TObject* Sender) {
  TSaveDialog* dialog = dynamic_cast<TSaveDialog*>(Sender);
  if (dialog == nullptr) dialog = SDiag;
  if (dialog == nullptr) return;
  const std::int32_t index = dialog->FilterIndex();
  const auto& filters = dialog->Filters();
  if (index < 1 || static_cast<std::size_t>(index) > filters.size()) return;
  const String ext = ExtensionOfMask(filters[static_cast<std::size_t>(index) - 1].Mask);
  if (ext.empty()) return;
  String name = dialog->TypedFileName();
  if (name.empty()) name = dialog->FileName();
  if (name.empty()) return;
  const String namePart = name.substr(detail::NameStart(name));
  dialog->SetTypedFileName(StripExtension(namePart) + ext);
}

TModalResult TUnivSaveDialog::ChooseWithStandardDialog() {
  SDiag = new TSaveDialog(this);
  struct Release {
    TSaveDialog*& Dialog;
    ~Release() {
      delete Dialog;
      Dialog = nullptr;
    }
  } release{SDiag};

  std::vector<String> tokens;
  const std::int32_t count = Tokenize(ExtractParamAsString(u"filter"), u"|", tokens);
  for (std::int32_t pair = 0; pair < count / 2; ++pair) {
    SDiag->AddFilter(tokens[2 * pair], tokens[2 * pair + 1]);
  }
  String forcedExt = ExtractParamAsString(u"ext");
  // "ext" is given without the dot; one given with it must not make "name..csv".
  if (!forcedExt.empty() && forcedExt.front() == u'.') forcedExt.erase(0, 1);
  SDiag->SetTitle(ExtractParamAsString(u"caption"));
  SDiag->SetInitialDir(ExtractParamAsString(u"initialdir"));
  SDiag->SetFilterIndex(FFilterIndex);
  SDiag->SetFileName(FFileName);
  SDiag->SetOnTypeChange([this](TObject* Sender) { SaveDiagTypeChange(Sender); });

  TModalResult action = mrCancel;
  if (SDiag->Execute()) {
    action = mrOk;
  } else if (const std::uint32_t code = CommDlgExtendedError(); code != 0) {
    RaiseError(u"Error in standard dialog (errnum = $" + Hex4(code) + u").");
  }
  FFileName = SDiag->FileName();
  FFilterIndex = SDiag->FilterIndex();
  // An empty name stays empty: the extension alone is no file name.
  if (!forcedExt.empty() && !FFileName.empty()) {
    FFileName = StripExtension(FFileName) + u"." + forcedExt;
  }
  return action;
}

void TUnivSaveDialog::CheckOverwrite(bool& Result, bool& Done) {
  bool exists = false;
  if (FUseStdDiag) {
    exists = FileExists(FFileName);
  } else {
    CallHandler(FOnFileCheck, this, FFileName, exists);
  }
  if (!exists) {
    Result = true;
    Done = true;
    return;
  }
  if (!FOnOverwrite) RaiseError(u"Overwrite dialog is not assigned");
  TModalResult reply = mrNo;
  CallHandler(FOnOverwrite, this, FFileName, reply);
  switch (reply) {
    case mrYes:
      Result = true;
      Done = true;
      break;
    case mrCancel:
      Result = false;
      Done = true;
      break;
    case mrNo:
      break;
    default:
      RaiseError(u"Invalid reply argument from overwrite dialog");
  }
}

bool TUnivSaveDialog::Execute() {
  bool result = false;
  bool done = false;
  while (!done) {
    TModalResult action = mrCancel;
    if (FUseStdDiag) {
      action = ChooseWithStandardDialog();
    } else {
      if (!FOnFileSelect) RaiseError(u"File select dialog is not assigned");
      CallHandler(FOnFileSelect, this, FParams, action, FFileName);
    }
    if (action != mrOk) return false;
    const String dir = FFileName.substr(0, detail::NameStart(FFileName));
    if (!IsForbiddenDir(dir)) {
      CheckOverwrite(result, done);
      continue;
    }
    TModalResult reply = mrYes;
    CallHandler(FOnForbiddenDir, this, dir, reply);
    if (reply == mrCancel) return false;
    if (reply == mrYes) CheckOverwrite(result, done);
  }
  return result;
}

}  // namespace kez
