/// @file
/// TFeatureMatrix: a set of objects described by a set of typed features, with a description
/// record per feature and a line-oriented text file format. Included through kez/dstruct.hpp.
///
/// @code
///   kez::TFeatureMatrix m(nullptr);
///   m.Resize(2, 3);                                 // 2 features, 3 objects
///   kez::TFeatProps p = m.GetFeatProps(1);
///   p.FeatName = "Length";
///   p.FeatKind = kez::fkDouble;
///   m.SetFeatProps(1, p);
///   m.SetFeatValDouble(1, 2, 12.5);                 // stored as the text "12.5"
///   m.GetFeatValDouble(1, 2);                       // 12.5
///   m.Save(u"objects.txt");
/// @endcode
///
/// Values are held as text whatever the kind of their feature; the kind decides which typed
/// writes are allowed, how texts are checked and what a cleared value is ("0" for integer
/// and double features, the empty text otherwise). Features and objects are numbered from 1;
/// reads outside the matrix give a neutral value (empty text, 0, tsUndefined) and writes
/// outside it do nothing. Numbers as text always use "." as the decimal separator, whatever
/// the process locale, so files read back the same everywhere.
///
/// Errors are EKEZDStructError worded `Component "<Name>": <text>`.
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "kez/kezbase.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/textfile.hpp"

namespace kez {
KEZ_API_BEGIN

/// TFeatKind
/// The kind of a feature's values.
enum TFeatKind : std::uint8_t { fkUndefined, fkInteger, fkDouble, fkString, fkTriState };
static_assert(sizeof(TFeatKind) == 1);

/// FEATKINDIDS
/// Display words of the kinds, indexed by TFeatKind: "undefined", "integer", "double",
/// "string", "tristate". The file format uses FeatKindNames instead.
inline constexpr TWordTable<5> FEATKINDIDS = {u"undefined", u"integer", u"double", u"string",
                                              u"tristate"};

/// TFeatPropItem
/// The items of a feature description as the file names them.
enum TFeatPropItem : std::uint8_t {
  fplFeatNum,
  fplFeatName,
  fplFeatKind,
  fplComment,
  fplPresets,
  fplSorted,
  fplGUIElem
};

/// FeatFileKeywords / FeatKindNames / FeatPropNames
/// The words of the feature-matrix file: the block keywords (written after "#"), the kind
/// names indexed by TFeatKind, and the property names indexed by TFeatPropItem. The reader
/// compares all of them ignoring the case of A-Z.
///@{
inline constexpr TWordTable<3> FeatFileKeywords = {u"featdef", u"featvals", u"featend"};
inline constexpr TWordTable<5> FeatKindNames = {u"fkUndefined", u"fkInteger", u"fkDouble",
                                                u"fkString", u"fkTriState"};
inline constexpr TWordTable<7> FeatPropNames = {u"fplFeatNum", u"fplFeatName", u"fplFeatKind",
                                                u"fplComment", u"fplPresets",  u"fplSorted",
                                                u"fplGUIElem"};
///@}

/// TFeatProps
/// The description of one feature. FeatName and Comment are Windows-1252 texts of at most 20
/// and 60 bytes (the matrix cuts longer ones when it stores them); GUIElem is the client's
/// editing element, never saved nor interpreted.
struct TFeatProps {
  std::int32_t FeatNum = 0;  ///< The feature's number as the file writes it.
  ShortString FeatName;  ///< The feature's name (at most 20 bytes).
  TFeatKind FeatKind = fkUndefined;  ///< The kind of the feature's values.
  ShortString Comment;  ///< A remark on the feature (at most 60 bytes).
  String PresetValues;  ///< The values offered for the feature, as one text.
  bool Sorted = false;  ///< Whether the offered values are kept sorted.
  void* GUIElem = nullptr;  ///< The client's editing element (never saved).
};

/// ClearFeatProps
/// Sets a description to FeatNum 0, FeatName "undefined", kind fkUndefined, empty comment
/// and presets, Sorted false, no GUIElem. (A description created by growing a matrix is all
/// zero instead: its name is empty.)
void ClearFeatProps(TFeatProps& FeatProps);

/// TFeatureMatrix
class TFeatureMatrix : public TComponent {
 public:
  /// The longest FeatName and Comment a description holds.
  static constexpr std::size_t kMaxFeatNameLength = 20;
  static constexpr std::size_t kMaxCommentLength = 60;  ///< The longest Comment, in bytes.

  /// Create: no features, no objects, no handler.
  explicit TFeatureMatrix(TComponent* AOwner);
  ~TFeatureMatrix() override;

  // ---- Dimensions -----------------------------------------------------------------------

  /// NFeatures / GetNFeats / SetNFeats, NObjects / GetNObjs / SetNObjs
  /// The number of features and of objects. Setting one keeps the other and works as
  /// Resize; a negative count is ignored, and a shape whose storage cannot be obtained
  /// raises "not enough memory on heap" with the matrix unchanged.
  ///@{
  std::int32_t NFeatures() const { return FNFeats; }
  std::int32_t GetNFeats() const { return FNFeats; }
  void SetNFeats(std::int32_t n);
  std::int32_t NObjects() const { return FNObjs; }
  std::int32_t GetNObjs() const { return FNObjs; }
  void SetNObjs(std::int32_t n);
  ///@}

  /// Resize
  /// Sets both counts. Descriptions and values of the features and objects present in both
  /// shapes are kept; new descriptions are all zero (empty name, fkUndefined) and new
  /// values empty. Fires OnChange and returns true. Negative counts, a shape larger than
  /// the machine's memory and a failed allocation return false with the matrix unchanged
  /// and no event (so does the largest int32 of features, which would not fit anyway and
  /// would leave no room to count).
  bool Resize(std::int32_t NFeats, std::int32_t NObjs);

  /// Clear
  /// 0 features and 0 objects, all storage released; fires OnChange.
  void Clear();

  // ---- Descriptions ---------------------------------------------------------------------

  /// GetFeatProps / FeatProps
  /// A copy of the description of feature fix; outside 1 ... NFeatures a record as set by
  /// ClearFeatProps.
  ///@{
  TFeatProps GetFeatProps(std::int32_t fix) const;
  TFeatProps FeatProps(std::int32_t fix) const { return GetFeatProps(fix); }
  ///@}

  /// SetFeatProps
  /// Replaces the description of feature fix and fires OnChange; nothing outside
  /// 1 ... NFeatures. The stored values are not converted nor checked. FeatName and Comment
  /// are cut to 20 and 60 bytes; a kind byte outside the five kinds is stored as
  /// fkUndefined.
  void SetFeatProps(std::int32_t fix, const TFeatProps& FeatProps);

  /// FindFeatName
  /// The index of the first feature whose FeatName equals Name ignoring the case of A-Z;
  /// -1 if none. The String form compares the Windows-1252 image of Name (a Name with a
  /// character outside that code page matches nothing).
  ///@{
  std::int32_t FindFeatName(std::string_view Name) const;
  std::int32_t FindFeatName(StringView Name) const;
  ///@}

  /// FindFeatNum
  /// The index of the first feature whose FeatNum is Num; -1 if none.
  std::int32_t FindFeatNum(std::int32_t Num) const;

  // ---- Typed reading --------------------------------------------------------------------
  // Nothing is changed; outside the matrix the neutral value is returned without error.

  /// GetFeatValStr / FeatVal
  /// The stored text, whatever the kind. A feature of kind fkUndefined raises
  /// "feature <fix> is undefined".
  ///@{
  String GetFeatValStr(std::int32_t fix, std::int32_t obj) const;
  String FeatVal(std::int32_t fix, std::int32_t obj) const { return GetFeatValStr(fix, obj); }
  ///@}

  /// GetFeatValInt / FeatValAsInt
  /// The stored text as a 64-bit integer, whatever the kind. A text that is not an integer
  /// text (optional sign then digits, no blanks, "+" or "-" alone failing) or whose value
  /// lies outside 64 bits raises "feature is not an integer".
  ///@{
  std::int64_t GetFeatValInt(std::int32_t fix, std::int32_t obj) const;
  std::int64_t FeatValAsInt(std::int32_t fix, std::int32_t obj) const {
    return GetFeatValInt(fix, obj);
  }
  ///@}

  /// GetFeatValDouble / FeatValAsDouble
  /// The stored text as a double, whatever the kind. The text must start with a number
  /// ("." as the only separator, exponent allowed up to 4200 in magnitude), else
  /// "feature is not a floating point number"; it is then converted by StrToFloat, which
  /// raises EConvertError for a text that starts with a number but goes on with other
  /// characters ("1.5abc").
  ///@{
  double GetFeatValDouble(std::int32_t fix, std::int32_t obj) const;
  double FeatValAsDouble(std::int32_t fix, std::int32_t obj) const {
    return GetFeatValDouble(fix, obj);
  }
  ///@}

  /// GetFeatValTriState / FeatValAsTriState
  /// The stored text as a tri-state value, whatever the kind: "true" and "false" in any
  /// case of A-Z give tsTrue and tsFalse, the empty text tsUndefined; any other text raises
  /// "feature is not a tri-state value".
  ///@{
  TTriState GetFeatValTriState(std::int32_t fix, std::int32_t obj) const;
  TTriState FeatValAsTriState(std::int32_t fix, std::int32_t obj) const {
    return GetFeatValTriState(fix, obj);
  }
  ///@}

  // ---- Typed writing --------------------------------------------------------------------
  // Outside the matrix nothing happens and nothing is raised; a successful write fires
  // OnChange. A refused write changes nothing.

  /// SetFeatValint
  /// Stores the decimal text of FeatVal into an fkInteger, fkDouble or fkString feature;
  /// other kinds raise "feature is not of numeric or string type".
  void SetFeatValint(std::int32_t fix, std::int32_t obj, std::int64_t FeatVal);

  /// SetFeatValDouble
  /// Stores FloatToStr(FeatVal) (general form, 15 significant digits, ".") into an fkDouble
  /// or fkString feature; other kinds raise "feature is not a floating point or string
  /// type". An fkDouble feature refuses NaN and infinities, whose texts would fail its own
  /// test: `feature value "NAN" is not a valid floating point number`.
  void SetFeatValDouble(std::int32_t fix, std::int32_t obj, double FeatVal);

  /// SetFeatValTriState
  /// Stores TriStateToStr(FeatVal, 0) ("true", "false" or empty) into an fkTriState or
  /// fkString feature; other kinds raise "feature is not a tri-state or string type".
  void SetFeatValTriState(std::int32_t fix, std::int32_t obj, TTriState FeatVal);

  /// SetFeatValStr
  /// Stores FeatVal as it is, checked by the kind: fkUndefined raises "feature <fix> is
  /// undefined"; fkInteger takes an integer text within 64 bits or the empty text, fkDouble
  /// a text that starts with a number or the empty text, fkTriState "true", "false" (any
  /// case of A-Z) or the empty text, and raise `feature value "<FeatVal>" is not a valid
  /// integer number` / `... floating point number` / `... tri-state value` otherwise;
  /// fkString takes anything.
  void SetFeatValStr(std::int32_t fix, std::int32_t obj, StringView FeatVal);

  // ---- Filling a feature ----------------------------------------------------------------
  // Each stores one value into every object of feature fix and fires OnChange once, and
  // returns true; outside 1 ... NFeatures it returns false and does nothing.

  /// Fill (text)
  /// As SetFeatValStr, except that the two numeric kinds refuse the empty text.
  bool Fill(std::int32_t fix, StringView FeatVal);
  /// Fill (integer): the feature must be of kind fkInteger, else
  /// "feature <fix> is not an integer number".
  ///@{
  bool Fill(std::int32_t fix, std::int64_t FeatVal);
  bool Fill(std::int32_t fix, std::int32_t FeatVal) { return Fill(fix, std::int64_t{FeatVal}); }
  ///@}
  /// Fill (double): kind fkDouble, else "feature <fix> is not floating point number"; NaN
  /// and infinities are refused as by SetFeatValDouble.
  bool Fill(std::int32_t fix, double FeatVal);
  /// Fill (tri-state): kind fkTriState, else "feature <fix> is not a tri-state value".
  bool Fill(std::int32_t fix, TTriState FeatVal);

  // ---- Objects and features -------------------------------------------------------------

  /// InsertObject
  /// For obj in 1 ... NObjects: adds one object in front of obj (the values of obj ... last
  /// move up by one), which gets the cleared value of every feature's kind; fires OnChange.
  /// Appending is not possible this way (use NObjects). Out of memory, or a matrix that
  /// already has the largest int32 of objects, raises "not enough memory on heap" with the
  /// matrix unchanged.
  void InsertObject(std::int32_t obj);

  /// RemoveObject
  /// For obj in 1 ... NObjects: removes that object's values (the later objects move down
  /// by one); fires OnChange.
  void RemoveObject(std::int32_t obj);

  /// InsertFeature
  /// For feat in 1 ... NFeatures + 1 (the last appends): adds one feature in front of feat,
  /// with empty values and a description as set by ClearFeatProps; fires OnChange. Out of
  /// memory (a column of NObjects values larger than the machine's memory included) raises
  /// "not enough memory on heap" with the matrix unchanged. No operation removes a feature.
  void InsertFeature(std::int32_t feat);

  /// ClearObject / ClearFeature
  /// Every value of object obj / of feature feat becomes the cleared value of its kind;
  /// fires OnChange. Nothing out of range.
  ///@{
  void ClearObject(std::int32_t obj);
  void ClearFeature(std::int32_t feat);
  ///@}

  /// CopyObject
  /// Copies all values of object Source to object Target; fires OnChange. Nothing when
  /// either is out of range.
  void CopyObject(std::int32_t Source, std::int32_t Target);

  /// ResetToDefault
  /// Every value becomes the cleared value of its feature's kind; fires OnChange once per
  /// object.
  void ResetToDefault();

  // ---- File ------------------------------------------------------------------------------
  // The file is Windows-1252 text with CR LF line ends:
  //   #featdef <n> 1
  //   <i> fplFeatNum <FeatNum>          six lines for each feature i = 1 ... n:
  //   <i> fplFeatName <FeatName>        fplFeatNum, fplFeatName, fplFeatKind,
  //   ...                               fplComment, fplPresets, fplSorted (TRUE/FALSE)
  //   #featvals <n> <m>
  //   <f> <o> <value>                   each non-empty value, objects outer, features inner
  //   #featend
  // Reading trims blanks around values and description texts (a value of blanks only reads
  // back empty), and a value holding a line break does not read back as one value.

  /// Save
  /// Creates or overwrites the file FName and writes the matrix into it: in Windows-1252, or
  /// in UTF-8 (with its byte-order mark, which Load recognises) when a value or a preset list
  /// holds a character Windows-1252 lacks. The file is replaced whole: I/O failures raise
  /// EInOutError and leave the previous file as it was. The save writes Windows-1252 without
  /// scanning the cells first and starts again in UTF-8 at the first character it cannot hold.
  void Save(StringView FName) const;

  /// SaveToOpenFile
  /// Writes the matrix at the current position of a text file open for writing, so that it
  /// can be one section of a larger file, in the file's encoding (a character the file
  /// cannot hold is error 101). I/O failures raise EInOutError, whatever error
  /// mode the file is in (the mode is restored afterwards); an error still pending on a file
  /// in the deferred mode is raised (and thereby cleared) before anything is written.
  void SaveToOpenFile(TextFile& f) const;

  /// Load
  /// Reads the file FName: 0 success, -1 the file does not exist (nothing is opened),
  /// -2 it holds no description block, -3 an error occurred while reading (what was read
  /// so far stays). An error opening an existing file raises EInOutError.
  std::int32_t Load(StringView FName);

  /// LoadFromOpenFile
  /// Clears the matrix and reads it from the current position of a text file open for
  /// reading, up to the end of the value block: 0 when a description block was read, -1
  /// when none was found, -2 on an error (what was read so far stays). Lines before the
  /// blocks that do not start with a known "#" keyword are skipped. Errors are: a file that
  /// is not open for reading, or has an error pending from earlier work (which is cleared);
  /// a count or index that does not convert or overflows (the counts of "#featvals" and
  /// FeatNum values are plain decimal: "$10" and "0x10" are errors); a negative count; a
  /// description block of another version than 1, or that the file ends inside; a
  /// description naming a feature outside 1 ... n; an unknown kind name; a value block whose
  /// feature count differs from the description block, or a value line outside the block's
  /// sizes; any I/O error.
  ///
  /// Sizes in the file never make the reader allocate more than the file backs. A
  /// description block takes storage once its 6 * n records have been read (one that breaks
  /// off takes no effect, so the matrix is left without its features). A value block may announce
  /// up to 2^20 cells (features times objects, at least one feature counted) that no line fills;
  /// beyond that each cell must be matched by a byte still to be read, else the block is an error
  /// and the matrix keeps its descriptions with no objects. So a file of 1000 x 1000 empty values
  /// reads back, one of 1 x 700000000 empty values does not.
  ///
  /// Fires OnChange when it clears the matrix and when it is done. Never raises.
  std::int32_t LoadFromOpenFile(TextFile& f);

  // ---- Component --------------------------------------------------------------------------

  /// OnChange / SetOnChange, Changed
  /// The change event, called by Changed with this matrix as Sender.
  ///@{
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  void Changed();
  ///@}

  /// Assign
  /// From a TFeatureMatrix: copies the counts, descriptions, values and the OnChange
  /// handler, firing nothing (out of memory raises "not enough memory on heap" with this
  /// matrix unchanged). Any other source goes to the inherited assignment, which rejects it.
  void Assign(TPersistent* Source) override;

 protected:
  /// AssignTo
  /// Dest->Assign(this) when Dest is a TFeatureMatrix, else the inherited behaviour.
  void AssignTo(TPersistent* Dest) override;

 private:
  /// Reshapes the storage keeping the common part; false (matrix unchanged) when the shape
  /// is negative, too large or cannot be allocated. Fires nothing.
  bool Reshape(std::int32_t NFeats, std::int32_t NObjs);
  /// True when a value or a preset list holds a character Windows-1252 lacks.
  bool NeedsUtf8() const;
  /// The matrix's own errors.
  [[noreturn]] void Fail(StringView Text) const;
  [[noreturn]] void FailFeature(std::int32_t fix, StringView Text) const;
  [[noreturn]] void FailValue(StringView FeatVal, StringView Text) const;
  /// Raises unless FeatVal may be stored into feature fix as text; EmptyNumbers tells
  /// whether the numeric kinds take the empty text.
  void CheckText(std::int32_t fix, StringView FeatVal, bool EmptyNumbers) const;
  /// Raises "feature value ..." for a non-finite value bound for an fkDouble feature.
  void CheckFinite(std::int32_t fix, double FeatVal) const;
  bool InRange(std::int32_t fix, std::int32_t obj) const {
    return fix >= 1 && fix <= FNFeats && obj >= 1 && obj <= FNObjs;
  }
  String& Cell(std::int32_t fix, std::int32_t obj) {
    return FFeatVals[static_cast<std::size_t>(fix - 1)][static_cast<std::size_t>(obj - 1)];
  }
  const String& Cell(std::int32_t fix, std::int32_t obj) const {
    return FFeatVals[static_cast<std::size_t>(fix - 1)][static_cast<std::size_t>(obj - 1)];
  }
  TFeatKind KindOf(std::int32_t fix) const {
    return FFeatProps[static_cast<std::size_t>(fix - 1)].FeatKind;
  }
  void StoreAll(std::int32_t fix, const String& FeatVal);
  void ReadFrom(TextFile& f, std::int32_t& Result);
  void ReadDescriptions(TextFile& f, std::int32_t n);
  void ReadValues(TextFile& f, std::int32_t nFeats, std::int32_t nObjs);

  std::int32_t FNFeats = 0;
  std::int32_t FNObjs = 0;
  std::vector<TFeatProps> FFeatProps;
  /// Per feature the values of its FNObjs objects.
  std::vector<std::vector<String>> FFeatVals;
  TNotifyEvent FOnChange;
};

KEZ_API_END
}  // namespace kez
