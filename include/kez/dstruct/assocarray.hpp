/// @file
/// TAssocArray: a component mapping text keys to variant values, with optional case folding,
/// typed reading of the values and an XML-like block format on byte streams. Included
/// through kez/dstruct.hpp.
///
/// @code
///   kez::TAssocArray a(nullptr);
///   a.Add(u"Width", std::int32_t{640});
///   a.Add(u"Ratio", kez::AnsiString("1,5"));
///   a.ResolveAsInt(u"WIDTH");        // 640 (IgnoreCase is on by default)
///   a.ResolveAsNumber(u"ratio");     // 1.5
///   a.Resolve(u"missing").IsNull();  // true
/// @endcode
///
/// Entries keep the order in which they were added (1 ... NumEntries) until Remove moves the
/// last entry into the removed one's slot. Lookups behave as a scan of the entries in order
/// that stops at the first equal key, but are answered through a hash index, so Add,
/// Resolve and Remove take constant time on average however large the table grows.
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "kez/dstruct/numberscan.hpp"
#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/types.hpp"
#include "kez/platform/variant.hpp"

namespace kez {
KEZ_API_BEGIN

/// TAssocArray
class TAssocArray : public TComponent {
 public:
  /// Create: no entries, Granularity 1024, IgnoreCase true, DataID empty, room for 1024
  /// entries.
  explicit TAssocArray(TComponent* AOwner);
  ~TAssocArray() override;

  /// NumEntries
  /// The number of entries.
  std::int32_t NumEntries() const { return FNEntries; }

  /// Granularity / SetGranularity
  /// The step by which the storage grows and the room Clear keeps. The table also grows by
  /// half its size when that is more, so that filling it stays fast, and a step beyond both
  /// the size and 65536 entries is cut to that, so that no setting claims memory up front.
  /// Values of 0 or less are stored as 1.
  ///@{
  std::int32_t Granularity() const { return FGranularity; }
  void SetGranularity(std::int32_t Value);
  ///@}

  /// IgnoreCase / SetIgnoreCase
  /// When true (the default), keys are compared with the letters A-Z lower-cased on both
  /// sides and Add stores its key lower-cased. Switching it does not change stored keys;
  /// entries whose keys become equal under the new rule stay, and lookups find the first of
  /// them.
  ///@{
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool Value);
  ///@}

  /// DataID / SetDataID
  /// The identifier of the table in XML streams; the in-memory operations ignore it.
  ///@{
  const String& DataID() const { return FDataID; }
  void SetDataID(String Value) { FDataID = std::move(Value); }
  ///@}

  /// Add
  /// Stores Value under Key (lower-cased first when IgnoreCase). An existing entry with an
  /// equal key gets the new value and keeps its key text; otherwise a new last entry is
  /// appended. Running out of memory raises EKEZDStructError "not enough memory on heap"
  /// in the component wording, with the table unchanged.
  void Add(StringView Key, const Variant& Value);

  /// Remove
  /// Removes the entry with an equal key and returns true; false when there is none. The
  /// last entry moves into the freed slot, so the order of the rest changes. Takes constant
  /// time on average, also when SetKeys or SetIgnoreCase made keys equal.
  bool Remove(StringView Key);

  /// Clear
  /// Removes every entry and cuts the storage back to Granularity entries. Never raises.
  void Clear();

  /// Resolve
  /// The value stored under Key, or null when the key is absent.
  Variant Resolve(StringView Key) const;

  /// ResolveAsString
  /// The value as text (Variant::ToString); empty when the key is absent or the value null.
  String ResolveAsString(StringView Key) const;

  /// ResolveAsNumber
  /// The value as a 64-bit float: numeric kinds (varSmallint ... varCurrency and
  /// varShortInt ... varInt64) converted, texts of either kind scanned with
  /// ScanNumberText ("." and "," as separators, the number may be followed by other text,
  /// 0 when the text does not start with a number). Absent keys, null, booleans and empty
  /// values give 0. Never raises.
  double ResolveAsNumber(StringView Key) const;

  /// ResolveAsInt
  /// The value as a 32-bit integer: integer kinds cut to 32 bits, texts of either kind
  /// read with ScanIntegerText (leading blanks, sign, digits up to the first other
  /// character; 32-bit wrap-around). Absent keys, null, floats, currency and booleans give
  /// 0. Never raises.
  std::int32_t ResolveAsInt(StringView Key) const;

  /// GetKeys / SetKeys / Keys
  /// The key of entry ix (1 ... NumEntries); the empty text outside that range. SetKeys
  /// stores the key exactly as written (not lower-cased) and does nothing outside the
  /// range; it does not check that the new key is unique (a duplicate is found only after
  /// the earlier entry that holds it).
  ///@{
  String GetKeys(std::int32_t ix) const;
  String Keys(std::int32_t ix) const { return GetKeys(ix); }
  void SetKeys(std::int32_t ix, StringView v);
  ///@}

  /// GetValues / SetValues / Values
  /// The value of entry ix; a variant holding the empty text (varUString) outside the
  /// range. SetValues does nothing outside the range.
  ///@{
  Variant GetValues(std::int32_t ix) const;
  Variant Values(std::int32_t ix) const { return GetValues(ix); }
  void SetValues(std::int32_t ix, const Variant& v);
  ///@}

  /// AddXMLAttributes
  /// Adds every pair name="value" of an attribute text (the grammar of ScanForXMLAttrib) as
  /// an entry through Add, the value being the value's text (varUString); a pair whose name
  /// is already a key replaces that entry's value. Returns the number of pairs stored,
  /// replaced values included; pairs with an empty name are skipped, and reading stops at
  /// the first syntax error, keeping what was added.
  std::int32_t AddXMLAttributes(StringView Attributes);

  /// WriteToXMLStream
  /// Writes the table as one block at the stream's position, preceded by the header line
  /// <?xml version="1.0"?> when CreateHeader is true. Lines end with CR LF; the block is
  /// @code
  ///   <assocarray sig="kez" vers="1.0" id="DataID">
  ///     <numentries val="2"/>
  ///     <assoc key="width" type="3" val="640"/>
  ///     <assoc key="name" type="258" val="a%22b%0D%0A"/>
  ///   </assocarray>
  /// @endcode
  /// one assoc item per entry in entry order, type being the variant type code. Values: the
  /// decimal integer for the integer kinds; the shortest decimal that reads back to the same
  /// float for singles and doubles ("$" and the hexadecimal bit image for NaN and
  /// infinities); the amount times 10000 for currency; "1"/"0" for booleans; no val for
  /// empty and null. Keys, identifiers and texts keep the printable ASCII characters except
  /// the double quote, "%", "<", ">" and "&"; every other character is written "%XX" (two
  /// hex digits of its code, of its byte for single-byte text) or "%uXXXX" (codes from 256).
  /// Stream write errors pass to the caller.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, StringView DataID) const;

  /// ReadFromXMLStream
  /// Reads from the stream's position up to and including the first block whose identifier
  /// equals DataID, ignoring the case of A-Z (an empty DataID selects the block whose
  /// identifier is empty or missing), and replaces all entries with the block's. The items
  /// are added in their order by the rule of Add, so keys are lower-cased when IgnoreCase
  /// and a key equal to an earlier one replaces its value. DataID becomes the block's
  /// identifier. Reading goes by tags, not lines (a block may stand on one line, tags may be
  /// split over lines; comments, declarations and other elements are passed over), and
  /// bytes that are not escaped are read through the Windows-1252 code page. Returns true on
  /// success. A block that is not found, cut short, or malformed (an unknown type code, a
  /// value that does not fit its type, a bad escape, a numentries that is missing, repeated
  /// or differs from the number of items) gives false and leaves the table as it was; the
  /// stream is then left where reading stopped. Tags unknown to the format are skipped.
  /// Never raises: errors of the stream and running out of memory give false too.
  bool ReadFromXMLStream(TStream& InStream, StringView DataID);

 private:
  /// Hash index over the entry numbers: hashes and compares the keys the entries hold, so
  /// that lookups by a key text need no folded copy of it.
  struct KeyHash {
    using is_transparent = void;
    const TAssocArray* Owner;
    std::size_t operator()(std::int32_t ix) const;
    std::size_t operator()(StringView key) const;
  };
  struct KeyEqual {
    using is_transparent = void;
    const TAssocArray* Owner;
    bool operator()(std::int32_t a, std::int32_t b) const;
    bool operator()(StringView a, std::int32_t b) const;
    bool operator()(std::int32_t a, StringView b) const;
  };

  using IndexNode = std::unordered_set<std::int32_t, KeyHash, KeyEqual>::node_type;

  /// The entry number (1-based) of Key, or 0.
  std::int32_t FindKey(StringView Key) const;
  bool KeysEqual(StringView a, StringView b) const;
  std::size_t HashKey(StringView key) const;
  /// The key as the comparison in force sees it.
  String FoldedKey(StringView key) const;
  /// Rebuilds the index from the entries (after the comparison changed).
  void RebuildIndex();
  /// Link adds entry ix, whose key is in place, to the index, reusing Spare's node when it
  /// has one; Unlink takes it out while its key is still in place and hands back the node it
  /// freed, if any. Entries whose keys are equal to an earlier entry's (SetKeys and
  /// SetIgnoreCase can make them) are kept in FDups, so that the index always names the
  /// lowest entry of each class and a removal never rebuilds it.
  void Link(std::int32_t ix, IndexNode Spare = {});
  IndexNode Unlink(std::int32_t ix);
  /// Remove's steps on the arrays: the last entry's key, value and hash go to slot ix (which
  /// lies below it); the last slot goes.
  void MoveLastEntryTo(std::int32_t ix);
  void DropLastEntry();
  /// Replaces the entries with Source's (which has no keys equal under the comparison in
  /// force); Source is left empty. Raises only before anything changed.
  void TakeEntries(TAssocArray& Source);
  /// Makes room for Room entries where memory allows; never raises.
  void Reserve(std::size_t Room);
  /// The number of entries to make room for when a table of Size entries is full.
  std::size_t GrowthStep(std::size_t Size) const;

  std::int32_t FNEntries = 0;
  std::vector<Variant> FDataArray;
  std::vector<String> FKeyArray;
  /// HashKey of each entry's key under the comparison in force, so that the index never
  /// hashes a stored key again (a removal moves and relinks entries).
  std::vector<std::size_t> FHashes;
  std::int32_t FGranularity = 1024;
  bool FIgnoreCase = true;
  String FDataID;
  /// For every class of equal keys, the lowest entry number that holds one.
  std::unordered_set<std::int32_t, KeyHash, KeyEqual> FIndex;
  /// For the classes that more than one entry holds: the folded key and all their entries.
  std::unordered_map<String, std::set<std::int32_t>> FDups;
};

KEZ_API_END
}  // namespace kez
