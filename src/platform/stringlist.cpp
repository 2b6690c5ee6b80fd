// TStrings and TStringList.
#include "kez/platform/stringlist.hpp"

#include <algorithm>
#include <stdexcept>

#include "kez/platform/safesave.hpp"
#include "kez/platform/textfile.hpp"

namespace kez {

std::int32_t TStrings::Add(String Value) {
  FItems.push_back(std::move(Value));
  return Count() - 1;
}

void TStrings::Insert(std::int32_t Index, String Value) {
  if (Index < 0 || Index > Count()) throw std::out_of_range("TStrings::Insert: index out of range");
  FItems.insert(FItems.begin() + Index, std::move(Value));
}

void TStrings::Delete(std::int32_t Index) {
  if (Index < 0 || Index >= Count())
    throw std::out_of_range("TStrings::Delete: index out of range");
  FItems.erase(FItems.begin() + Index);
}

std::int32_t TStrings::IndexOf(StringView Value) const {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (FItems[i] == Value) return static_cast<std::int32_t>(i);
  }
  return -1;
}

String TStrings::Text() const {
  String r;
  for (const auto& s : FItems) {
    r += s;
    r += u"\r\n";
  }
  return r;
}

void TStrings::SetText(StringView Value) {
  FItems.clear();
  std::size_t i = 0;
  while (i < Value.size()) {
    std::size_t j = i;
    while (j < Value.size() && Value[j] != u'\r' && Value[j] != u'\n') ++j;
    Add(String(Value.substr(i, j - i)));
    if (j < Value.size() && Value[j] == u'\r') {
      ++j;
      if (j < Value.size() && Value[j] == u'\n') ++j;
    } else if (j < Value.size()) {
      ++j;
    }
    i = j;
  }
}

void TStrings::LoadFromFile(StringView FileName) {
  TextFile f(FileName);
  f.Reset();
  FItems.clear();
  while (!f.Eof()) {
    String line;
    f.ReadLn(line);
    Add(std::move(line));
  }
  f.Close();
}

void TStrings::SaveToFile(StringView FileName) const {
  const bool utf8 =
      std::any_of(FItems.begin(), FItems.end(), [](const String& s) { return TextNeedsUtf8(s); });
  SaveTextFile(FileName, utf8 ? teUtf8 : teAnsi, [&](TextFile& f) {
    for (const auto& s : FItems) f.WriteLn(s);
  });
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TStrings*>(Source)) {
    FItems = other->FItems;
    return;
  }
  TPersistent::Assign(Source);
}

std::int32_t TStringList::Add(String Value) {
  if (!FSorted) return TStrings::Add(std::move(Value));
  const auto it = std::upper_bound(FItems.begin(), FItems.end(), Value);
  const auto index = static_cast<std::int32_t>(it - FItems.begin());
  FItems.insert(it, std::move(Value));
  return index;
}

void TStringList::Sort() { std::stable_sort(FItems.begin(), FItems.end()); }

void TStringList::SetSorted(bool Value) {
  if (Value && !FSorted) Sort();
  FSorted = Value;
}

}  // namespace kez
