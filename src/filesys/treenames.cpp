// Names of entries reached by tree walks.
#include "filesys/treenames.hpp"

#include "kez/platform/path.hpp"

namespace kez::detail {
namespace {

constexpr std::size_t kNever = static_cast<std::size_t>(-1);

// Whether a name read from disk cannot follow Text in the ordinary form: a "\" would split
// it, and at the start of a name a drive ("C:") would be mapped.
bool NeedsVerbatim(const String& Text, const std::string& Name) {
  return Name.find('\\') != std::string::npos ||
         (Text.empty() && Name.size() >= 2 && Name[1] == ':');
}

}  // namespace

TreeNames::TreeNames(String Root, std::string NativeRoot, bool Verbatim)
    : FText(std::move(Root)),
      FNative(std::move(NativeRoot)),
      FVerbatimFrom(Verbatim || IsVerbatimFileName(FText) ? 0 : kNever) {
  if (!FNative.empty() && FNative.back() != '/') FNative += '/';
}

void TreeNames::Push(const std::string& Name, const String& Text, bool Ambiguous) {
  const bool verbatim = Ambiguous || NeedsVerbatim(FText, Name);
  FMarks.emplace_back(FText.size(), FNative.size());
  FText += Text;
  FText += u'\\';
  FNative += Name;
  FNative += '/';
  if (verbatim && FVerbatimFrom == kNever) FVerbatimFrom = FMarks.size();
}

void TreeNames::Pop() {
  if (FMarks.empty()) return;
  FText.resize(FMarks.back().first);
  FNative.resize(FMarks.back().second);
  FMarks.pop_back();
  if (FVerbatimFrom != kNever && FVerbatimFrom > FMarks.size()) FVerbatimFrom = kNever;
}

String TreeNames::Of(const std::string& Name) const {
  if (FVerbatimFrom != kNever || NeedsVerbatim(FText, Name)) {
    return VerbatimFileName(FNative + Name);
  }
  return FText + NativeToString(Name);
}

String TreeNames::FolderOf(const std::string& Name) const {
  const String name = Of(Name);
  return name + (IsVerbatimFileName(name) ? u'/' : u'\\');
}

}  // namespace kez::detail
