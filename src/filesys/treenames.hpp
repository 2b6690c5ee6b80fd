// The names that tree operations report for entries they reached through open folders
// (not installed).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "kez/platform/path.hpp"
#include "kez/platform/types.hpp"

namespace kez::detail {

// TreeNames
// Builds the library name of an entry below a walk's root: the root as the caller wrote
// it, then each folder and the entry's own name as the disk spells them, joined by "\".
// Where that text would not lead back to the same entry (a name holding "\", a folder part
// upper-cased beside a twin that differs only in letter case, a root that does not resolve
// as written), the name is given in the verbatim form of its exact Linux path instead, so
// every name reported can be handed back to the library and reaches that entry.
class TreeNames {
 public:
  // Root: the caller's text for the root folder, ending in a separator or empty (the
  // current folder). NativeRoot: the path the root was opened at. Verbatim: give every
  // name in the verbatim form (the root text does not lead to that folder).
  TreeNames(String Root, std::string NativeRoot, bool Verbatim);

  // Enters the folder Name of the current one; Text is what the name part reads (the name
  // itself, or it upper-cased); Ambiguous when Text does not single that folder out.
  void Push(const std::string& Name, const String& Text, bool Ambiguous);
  void Push(const std::string& Name) { Push(Name, NativeToString(Name), false); }
  void Pop();

  // The name of the entry Name of the current folder (Name empty: the folder itself, with
  // its trailing separator).
  String Of(const std::string& Name) const;
  // The current folder, with its trailing separator.
  String Folder() const { return Of(std::string()); }
  // The folder Name of the current one, with its trailing separator ("/" in the verbatim
  // form, where "\\" belongs to names).
  String FolderOf(const std::string& Name) const;

 private:
  String FText;
  std::string FNative;
  std::vector<std::pair<std::size_t, std::size_t>> FMarks;  // sizes before each Push
  std::size_t FVerbatimFrom;                                // depth from which names go verbatim
};

// AmbiguousIgnoringCase
// Whether the entry at Index of a folder's entries, sorted ignoring ASCII case, has a twin
// that differs from it only in letter case (its neighbours in that order).
template <typename Entries>
bool AmbiguousIgnoringCase(const Entries& List, std::size_t Index) {
  const auto same = [&](std::size_t other) {
    const std::string& a = List[Index].Name;
    const std::string& b = List[other].Name;
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      char x = a[i], y = b[i];
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
      if (x != y) return false;
    }
    return true;
  };
  return (Index > 0 && same(Index - 1)) || (Index + 1 < List.size() && same(Index + 1));
}

}  // namespace kez::detail
