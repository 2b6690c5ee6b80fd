/// @file
/// TStrings / TStringList: an ordered list of texts, 0-based as the runtime's lists are.
///
/// @code
///   kez::TStringList list;
///   list.Add(u"beta"); list.Add(u"alpha");
///   list.Sort();                  // alpha, beta
///   list.Text();                  // u"alpha\r\nbeta\r\n"
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TStrings
/// The list of texts that functions fill and read. Indexes outside 0 .. Count-1 raise
/// std::out_of_range through Get and Put.
class TStrings : public TPersistent {
 public:
  /// The number of entries.
  std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
  /// The entry at Index.
  const String& Get(std::int32_t Index) const { return FItems.at(static_cast<std::size_t>(Index)); }
  /// Replaces the entry at Index.
  void Put(std::int32_t Index, String Value) {
    FItems.at(static_cast<std::size_t>(Index)) = std::move(Value);
  }
  /// The entry at Index, as Get.
  const String& operator[](std::int32_t Index) const { return Get(Index); }

  /// Add / Insert / Delete / Clear
  /// Add appends Value and returns the new entry's index; Insert puts Value before Index
  /// (Count appends; another index outside 0 .. Count raises std::out_of_range); Delete
  /// removes the entry at Index (outside 0 .. Count-1: std::out_of_range); Clear removes all.
  ///@{
  virtual std::int32_t Add(String Value);
  void Insert(std::int32_t Index, String Value);
  void Delete(std::int32_t Index);
  void Clear() { FItems.clear(); }
  ///@}

  /// IndexOf
  /// The index of the first entry equal to Value (exact comparison), -1 if none.
  std::int32_t IndexOf(StringView Value) const;

  /// Text / SetText
  /// All entries, each followed by CR LF; SetText splits at CR LF, LF or CR.
  ///@{
  String Text() const;
  void SetText(StringView Value);
  ///@}

  /// LoadFromFile / SaveToFile
  /// Read or write the entries as lines of a text file (raising EInOutError on failure).
  /// SaveToFile writes Windows-1252, or UTF-8 with its byte-order mark when an entry holds
  /// a character Windows-1252 lacks; LoadFromFile reads both.
  ///@{
  void LoadFromFile(StringView FileName);
  void SaveToFile(StringView FileName) const;
  ///@}

  /// Assign copies the entries of another TStrings.
  void Assign(TPersistent* Source) override;

  /// begin / end: iteration over the entries, for range-based for.
  ///@{
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }
  ///@}
  /// The entries as a vector.
  const std::vector<String>& Items() const { return FItems; }

 protected:
  std::vector<String> FItems;  ///< The entries.
};

/// TStringList
/// TStrings that can be kept sorted (ordinal comparison of the UTF-16 code units).
class TStringList : public TStrings {
 public:
  /// Add inserts at the sorted place when Sorted is set.
  std::int32_t Add(String Value) override;
  /// Sorts the entries (stable, ordinal comparison).
  void Sort();
  /// Sorted / SetSorted: whether the list keeps its entries sorted; setting it sorts a list that
  /// was not.
  ///@{
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  ///@}

 private:
  bool FSorted = false;
};

KEZ_API_END
}  // namespace kez
