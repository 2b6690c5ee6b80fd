/// @file
/// TStringArray: a two-dimensional table of short single-byte strings, built for very many
/// small cells. Included through kez/dstruct.hpp.
///
/// The text of all cells is packed into a pool of 32 KB blocks; each cell holds a 32-bit
/// handle (block number in the high 16 bits, offset in the low 16 bits). Rows are reached
/// through a row-order index, so sorting permutes the index and never moves text. Cells are
/// addressed (column, row); rows are 1-based, columns run 0 ... NrOfColumns, column 0 being an
/// extra column in front of the data columns. Every row and data column carries a byte of
/// client data (RowAttrib, ColAttrib).
///
/// @code
///   kez::TStringArray table(nullptr);
///   table.Resize(2, 3);
///   table.SetString(1, 1, "pear");
///   table.SetString(1, 2, "Apple");
///   table.SetString(2, 2, "3,5");
///   table.Sort(1, 0, true);          // shows "", "Apple", "pear" (A-Z compared in lower case)
///   double v = table.AsNumber(2, 2);  // 3.5: "," reads as a decimal point
/// @endcode
///
/// Cell text is Windows-1252 (ShortString), at most 255 characters; longer texts are cut to
/// their first 255 bytes. Out-of-range reads give the empty text (attributes 0) and
/// out-of-range writes are ignored.
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "kez/kezbase.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/textfile.hpp"

namespace kez {
KEZ_API_BEGIN

/// TBeforeSortExchgEvent
/// Sort-key hook: receives the key as read from the cell (InString) and may rewrite the key
/// that the sort compares (OutString, which holds InString on entry).
using TBeforeSortExchgEvent =
    std::function<void(TObject* Sender, const String& InString, String& OutString)>;

/// TStringArray
/// The table of short single-byte texts that this header describes: cells (column, row) with column
/// 0 in front of the data columns, rows reached through a sortable row-order index, and a byte of
/// client data per row and data column.
class TStringArray : public TComponent {
 public:
  /// The pool's block size in bytes, and the most blocks a 16-bit block number can address.
  static constexpr std::int32_t kPoolBlockSize = 32768;
  static constexpr std::int32_t kMaxPoolBlocks = 65535;  ///< The most pool blocks.
  /// The longest text a cell holds.
  static constexpr std::size_t kMaxCellLength = 255;

  /// Create
  /// A table of 1 data column (plus column 0) and 1 row, AllocRowsBy 10, one pool block.
  /// Raises EKEZDStructError "Class TStringArray: failed to initialize (out of memory)" when
  /// that storage cannot be allocated.
  explicit TStringArray(TComponent* AOwner);
  ~TStringArray() override;

  // ---- Cells ----------------------------------------------------------------------------

  /// GetString / Elem
  /// The text of cell (c, r); empty for an empty cell and outside columns 0 ... NrOfColumns
  /// or rows 1 ... NrOfRows.
  ///@{
  ShortString GetString(std::int32_t c, std::int32_t r) const;
  ShortString Elem(std::int32_t c, std::int32_t r) const { return GetString(c, r); }
  ///@}

  /// SetString
  /// Stores s (cut to 255 bytes) in cell (c, r) and fires OnChange; out of range it does
  /// nothing. A text not longer than the one stored overwrites it in place; a longer one
  /// takes a new slot in the first block with room. When all 65535 blocks are in use the
  /// pool is compacted once (GarbageCollection) and the store retried; if the text still
  /// does not fit, EKEZDStructError "Class TStringArray: string pool is full" is raised and
  /// the cell keeps its old text.
  void SetString(std::int32_t c, std::int32_t r, std::string_view s);

  /// GetAsNumber / AsNumber
  /// The cell read as a decimal number: blanks (character 32) around it are ignored, "," is
  /// read as ".", an empty text gives 0. Text that is not a number (optional sign, digits
  /// with an optional point, optional exponent; no "INF"/"NAN") raises EKEZDStructError
  /// "Class TStringArray: invalid numeric string: [c,r]: <text as stored>". A number beyond
  /// the double range ("1e400") is read, as an infinity of its sign.
  ///@{
  double GetAsNumber(std::int32_t c, std::int32_t r) const;
  double AsNumber(std::int32_t c, std::int32_t r) const { return GetAsNumber(c, r); }
  ///@}

  /// GetAsInteger / AsInteger
  /// As GetAsNumber (so "2.5", "1e3" and "1e400" are accepted), then clamped to
  /// -2147483647 ... 2147483647 and rounded to the nearest integer, halves to even.
  ///@{
  std::int32_t GetAsInteger(std::int32_t c, std::int32_t r) const;
  std::int32_t AsInteger(std::int32_t c, std::int32_t r) const { return GetAsInteger(c, r); }
  ///@}

  /// Fill
  /// Stores s in every cell (columns 0 ... NrOfColumns, each over rows 1 ... NrOfRows), one
  /// OnChange per cell. An empty s does Clear instead.
  void Fill(std::string_view s);

  /// Clear
  /// Empties every cell, resets the row order and all attributes and cuts the pool back to
  /// one block; the dimensions stay. No event.
  void Clear();

  /// ColumnEmpty / RowEmpty
  /// True when every cell of column ACol (rows 1 ... NrOfRows), or of row ARow (data columns
  /// 1 ... NrOfColumns; column 0 is not looked at), is empty or blanks only. Other white
  /// space counts as content. Out-of-range columns and rows are empty.
  ///@{
  bool ColumnEmpty(std::int32_t ACol) const;
  bool RowEmpty(std::int32_t ARow) const;
  ///@}

  // ---- Attributes -----------------------------------------------------------------------

  /// GetRowAttrib / SetRowAttrib
  /// The byte of logical row r (it travels with the row when the order changes). Reads 0
  /// and ignores writes outside 1 ... NrOfRows; a write fires OnChange.
  ///@{
  std::uint8_t GetRowAttrib(std::int32_t r) const;
  std::uint8_t RowAttrib(std::int32_t r) const { return GetRowAttrib(r); }
  void SetRowAttrib(std::int32_t r, std::uint8_t b);
  ///@}

  /// GetColAttrib / SetColAttrib
  /// The byte of data column c, 1 ... NrOfColumns (column 0 has none: reads 0, writes are
  /// ignored); a write fires OnChange.
  ///@{
  std::uint8_t GetColAttrib(std::int32_t c) const;
  std::uint8_t ColAttrib(std::int32_t c) const { return GetColAttrib(c); }
  void SetColAttrib(std::int32_t c, std::uint8_t b);
  ///@}

  // ---- Dimensions -----------------------------------------------------------------------

  /// The number of data columns (column 0 not counted).
  std::int32_t NrOfColumns() const { return FNCol; }
  /// The number of rows.
  std::int32_t NrOfRows() const { return FNRow; }
  /// The allocation unit of the rows (see SetAllocRowsBy).
  std::int32_t AllocRowsBy() const { return FAllocRowsBy; }
  /// NumBuffers: the number of 32 KB pool blocks in use.
  std::int32_t NumBuffers() const { return FNumPoolAddr; }

  /// Resize
  /// Changes the table to Nc data columns and Nr rows, keeping the cells that exist in both
  /// shapes; rows and columns that come into view are empty with attribute 0. Any sort order
  /// is discarded. The same size returns true without an event; Nc or Nr of 0 or less
  /// returns false and changes nothing. Row storage grows geometrically, so adding rows one
  /// by one takes linear time in all. A size whose cell handles would exceed 2 GiB, or that
  /// cannot be allocated, returns false and leaves the table as it was. Fires OnChange
  /// otherwise (also when it fails then).
  bool Resize(std::int32_t Nc, std::int32_t Nr);

  /// SetNrCols / SetNrRows
  /// Resize with the other dimension unchanged (the result is dropped).
  ///@{
  void SetNrCols(std::int32_t Value);
  void SetNrRows(std::int32_t Value);
  ///@}

  /// SetAllocRowsBy
  /// The allocation unit: the rows the table counts as allocated are NrOfRows rounded up to
  /// a multiple of it. It costs no memory, as storage grows geometrically. Values of 0 or
  /// less are stored as 1.
  void SetAllocRowsBy(std::int32_t Value);

  /// AddRow
  /// Appends an empty row (NrOfRows + 1) and returns the new NrOfRows. Like every change of
  /// the dimensions it discards a sort order. When the row cannot be added the count stays.
  std::int32_t AddRow();

  /// GarbageCollection
  /// Compacts the text inside each pool block, reclaiming the space of overwritten and
  /// abandoned texts. Text never moves between blocks and NumBuffers never shrinks. No event.
  void GarbageCollection();

  // ---- Sorting --------------------------------------------------------------------------

  /// Sort
  /// Sorts the view of the rows by column Col (0 ... NrOfColumns) with a comb sort (shrink
  /// factor 1.3); when two primary keys are equal and ColSec >= 1, the keys of column ColSec
  /// decide. Keys are compared by UTF-16 code unit after passing through
  /// OnBeforeSortExchange and lower-casing A-Z only. Equal keys are never exchanged, but the
  /// order of equal rows is not kept. OnPercentDone receives 0, then the share of the
  /// estimated comparisons after every pass (it may exceed 100), then 100; OnChange fires
  /// once when there are at least two rows. Only the row-order index changes. A key column
  /// outside the table reads as empty, so nothing moves. The hook is called for both keys
  /// of every comparison and must be cheap and deterministic; without a hook the keys are
  /// prepared once. Should a handler change the number of rows while the sort runs, the
  /// sorted order is dropped.
  void Sort(std::int32_t Col, std::int32_t ColSec, bool Ascending);

  /// UnSort
  /// Shows the rows in their physical order again; fires OnChange.
  void UnSort();

  /// CommitSorting
  /// Makes the order shown the physical order; the content shown does not change. An index
  /// made with SetSortOrder that shows a physical row more than once gives each copy its own
  /// text, so the rows are independent afterwards. No event.
  void CommitSorting();

  /// GetSortOrder / SetSortOrder
  /// The physical row shown at logical row ix (-1 outside 1 ... NrOfRows). SetSortOrder
  /// changes it when both ix and position lie in 1 ... NrOfRows, without checking that
  /// every row is still shown once (UnSort repairs such an index); no event.
  ///@{
  std::int32_t GetSortOrder(std::int32_t ix) const;
  std::int32_t SortOrder(std::int32_t ix) const { return GetSortOrder(ix); }
  void SetSortOrder(std::int32_t ix, std::int32_t position);
  ///@}

  /// BeforeSortExchange
  /// OutString := InString, then OnBeforeSortExchange(this, InString, OutString) if set.
  void BeforeSortExchange(const String& InString, String& OutString);

  // ---- Searching ------------------------------------------------------------------------

  /// FindCell / FindCellExact
  /// Looks for the first cell, row by row and within a row column by column, whose text
  /// contains FindStr (FindCell; an empty FindStr matches nothing) or equals it
  /// (FindCellExact; an empty FindStr matches an empty cell). Without MatchCase A-Z compare
  /// in lower case. Columns: ColLow or ColHigh -1 means all columns 0 ... NrOfColumns,
  /// otherwise both are clamped to that range. Rows: both -1 means all rows, otherwise both
  /// are clamped to 1 ... NrOfRows (a single -1 becomes 1). Bounds may come in either
  /// order. On a match sets Col and row and returns true; otherwise leaves them alone.
  ///@{
  bool FindCell(StringView FindStr, bool MatchCase, std::int32_t ColLow, std::int32_t ColHigh,
                std::int32_t RowLow, std::int32_t RowHigh, std::int32_t& Col,
                std::int32_t& row) const;
  bool FindCellExact(StringView FindStr, bool MatchCase, std::int32_t ColLow, std::int32_t ColHigh,
                     std::int32_t RowLow, std::int32_t RowHigh, std::int32_t& Col,
                     std::int32_t& row) const;
  ///@}

  /// FindCellInSortedColumn
  /// Binary search for a cell equal to FindStr in column ColIx (clamped to 0 ...
  /// NrOfColumns), rows RowLow ... RowHigh (both -1: all rows; otherwise clamped and put in
  /// order), the column being sorted ascending or descending by UTF-16 code unit (A-Z in
  /// lower case without MatchCase). On success row is the first row of the run of equal
  /// cells, which may lie before RowLow; on failure it is the last row examined.
  bool FindCellInSortedColumn(StringView FindStr, bool MatchCase, std::int32_t ColIx,
                              std::int32_t RowLow, std::int32_t RowHigh, bool ColIsAscending,
                              std::int32_t& row) const;

  // ---- Row operations -------------------------------------------------------------------

  /// InsertRow
  /// Inserts an empty row at logical row r (1 ... NrOfRows, otherwise nothing happens); the
  /// other rows keep the order shown, sorted or not. OnChange fires once for the growth and
  /// once per cell of every row moved or emptied, after the table is complete again. When
  /// the table cannot grow nothing changes.
  void InsertRow(std::int32_t r);

  /// RemoveRow
  /// Removes logical row r (1 ... NrOfRows, otherwise nothing happens), keeping the order
  /// shown; OnChange fires once per cell and attribute of every row moved and once for the
  /// shrink, after the table is complete again. The last remaining row is emptied instead
  /// of removed.
  void RemoveRow(std::int32_t r);

  /// CopyRow
  /// Copies the text and attribute of logical row Source over logical row Target, cell by
  /// cell; nothing happens unless both lie in 1 ... NrOfRows. OnChange fires once per cell
  /// and once for the attribute, after the copy. On a full pool it raises like SetString
  /// and the cells not yet copied keep their text.
  void CopyRow(std::int32_t Source, std::int32_t Target);

  // ---- XML persistence ------------------------------------------------------------------
  // The file operations of the table are declared here and implemented in their own
  // source file.
  //
  // A table is one block of lines (CR LF) in a text file:
  //   <strarray sig="kez" vers="1.0" id="DataID">
  //     <numcols val="1"/>
  //     <numrows val="2"/>
  //     <cell c="0" r="1" v="first"/>
  //     <cell c="1" r="1"/>
  //     <cell c="0" r="2"/>
  //     <cell c="1" r="2" v="a%22quoted%22 text%0D%0A"/>
  //   </strarray>
  // The dimensions come first; then one cell item per cell, empty cells (without v) and
  // column 0 included, row by row in the order the rows are shown, so a sorted table is
  // saved as it is seen. The identifier and the cell texts keep the printable ASCII
  // characters except the double quote, "%", "<", ">" and "&"; every other byte is written
  // "%XX" (two hex digits). The row and column attributes are not saved. Other content,
  // other tables and TAssocArray blocks may share the file.
  //
  // Reading goes by tags, not lines: a block may stand on one line, and a tag may be split
  // over lines (line ends and tabs outside quoted values count as blanks). Comments,
  // declarations and other elements are passed over (a start tag inside a comment opens no
  // block); items may come in any order after the dimensions, and cells not given are
  // empty. Bytes of values that are not escaped are read through the Windows-1252 code
  // page, as written by hand. A block whose table has more cells than the rest of the file
  // has bytes is refused before anything is allocated, as is a block cut short or
  // malformed (dimensions missing, repeated or below 1, a cell outside them or longer than
  // 255 bytes, a bad escape, a character the code page lacks). The readers never raise:
  // errors of the file, a full pool and running out of memory give false as well, and the
  // table stays as it was. On success the dimensions, cells and row order are replaced
  // (attributes become 0; AllocRowsBy and the handlers stay) and OnChange fires once.

  /// SaveAsXMLFile
  /// Creates (or overwrites) the file FName with the header line <?xml version="1.0"?> and
  /// the table's block, in Windows-1252, or in UTF-8 with its byte-order mark (which the
  /// readers recognise) when DataID holds a character Windows-1252 lacks. Errors of the file
  /// raise EInOutError.
  void SaveAsXMLFile(StringView FName, StringView DataID) const;

  /// WriteToOpenXMLFile
  /// Appends the table's block to a text file the caller has opened for writing, the
  /// header line first when CreateHeader. Errors follow the file's error mode.
  void WriteToOpenXMLFile(TextFile& OutFile, bool CreateHeader, StringView DataID) const;

  /// LoadFromXMLFile
  /// Reads the first block of the file FName whose identifier equals DataID, ignoring the
  /// case of A-Z (an empty DataID selects the block whose identifier is empty or missing).
  /// True on success; false, with the table unchanged, when the file cannot be read or the
  /// block is missing or damaged.
  bool LoadFromXMLFile(StringView FName, StringView DataID);

  /// ReadFromOpenXMLFile
  /// The same from the current position of a text file the caller has open for reading,
  /// which is left behind the block's end tag (or where reading stopped), so blocks written
  /// one after another are read in that order without reopening.
  bool ReadFromOpenXMLFile(TextFile& InFile, StringView DataID);

  // ---- Events and copying ---------------------------------------------------------------

  /// OnChange / SetOnChange: the handler Changed calls; empty at first.
  ///@{
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  ///@}
  /// OnBeforeSortExchange / SetOnBeforeSortExchange: the sort-key hook that BeforeSortExchange
  /// calls; empty at first.
  ///@{
  const TBeforeSortExchgEvent& OnBeforeSortExchange() const { return FOnBefSortExc; }
  void SetOnBeforeSortExchange(TBeforeSortExchgEvent Handler) {
    FOnBefSortExc = std::move(Handler);
  }
  ///@}
  /// OnPercentDone / SetOnPercentDone: the progress handler of Sort; empty at first.
  ///@{
  const TOnPercentDoneEvent& OnPercentDone() const { return FOnPercentDone; }
  void SetOnPercentDone(TOnPercentDoneEvent Handler) { FOnPercentDone = std::move(Handler); }
  ///@}

  /// Changed
  /// Calls OnChange(this) if assigned.
  void Changed();

  /// Assign
  /// Copies another TStringArray completely (dimensions, cells, pool, row order,
  /// attributes and the three event handlers) without firing an event; the copy is
  /// independent of the source. Other sources go to the inherited assignment, which
  /// rejects them. Raises EKEZDStructError "Class TStringArray: not enough memory on heap"
  /// and keeps its old content when the copy cannot be allocated.
  void Assign(TPersistent* Source) override;

 protected:
  /// AssignTo
  /// A TStringArray destination assigns from this table; others are rejected.
  void AssignTo(TPersistent* Dest) override;

  /// SetPoolBlockLimit
  /// Lowers the number of pool blocks the table may use (1 ... 65535), so that a subclass
  /// can work with a small pool and test the full-pool behaviour.
  void SetPoolBlockLimit(std::int32_t Blocks);

 private:
  using Block = std::unique_ptr<std::uint8_t[]>;

  std::int32_t PhysRow(std::int32_t r) const { return FSortIx[static_cast<std::size_t>(r - 1)]; }
  std::uint32_t& Handle(std::int32_t c, std::int32_t p) {
    return FPoiArray[static_cast<std::size_t>(c)][static_cast<std::size_t>(p - 1)];
  }
  std::uint32_t Handle(std::int32_t c, std::int32_t p) const {
    return FPoiArray[static_cast<std::size_t>(c)][static_cast<std::size_t>(p - 1)];
  }
  /// The stored string (length byte first) a non-zero handle points to.
  /// (A handle holds the pool block number, from 1, in its upper 16 bits and the 1-based
  /// offset in the block in its lower 16 bits.) Inline: searches and sorts read every cell.
  std::uint8_t* Slot(std::uint32_t h) {
    return FStgPool[static_cast<std::size_t>((h >> 16) - 1)].get() + ((h & 0xFFFFu) - 1);
  }
  const std::uint8_t* Slot(std::uint32_t h) const {
    return FStgPool[static_cast<std::size_t>((h >> 16) - 1)].get() + ((h & 0xFFFFu) - 1);
  }
  /// The bytes of cell (c, physical row p).
  std::string_view CellBytes(std::int32_t c, std::int32_t p) const {
    const std::uint32_t h = Handle(c, p);
    if (h == 0) return {};
    const std::uint8_t* s = Slot(h);
    return {reinterpret_cast<const char*>(s + 1), s[0]};
  }
  bool InRange(std::int32_t c, std::int32_t r) const {
    return c >= 0 && c <= FNCol && r >= 1 && r <= FNRow;
  }

  /// Stores Text in cell (c, physical row p) without an event.
  void StorePhysical(std::int32_t c, std::int32_t p, std::string_view Text);
  /// Moves the handles and attribute of physical row From to physical row To;
  /// EmptyPhysicalRow empties a row the same way. Neither fires an event.
  void MovePhysicalRow(std::int32_t From, std::int32_t To);
  void EmptyPhysicalRow(std::int32_t p);
  /// Fires OnChange Count times.
  void ChangedTimes(std::int64_t Count);
  /// A new slot for a text of Length bytes; may compact the pool; raises when it is full.
  std::uint32_t AllocateSlot(std::uint8_t Length);
  std::uint32_t TryAllocateSlot(std::uint8_t Length);
  void AppendBlock();

  /// The free-space index: a max-tree over (block size - first-free offset) that finds the
  /// first block with room for a text in logarithmic time.
  void RebuildFreeIndex();
  void UpdateFreeIndex(std::int32_t BlockNr);
  std::int32_t FirstBlockWithRoom(std::uint8_t Length) const;
  std::int32_t MaxFreeBelow(std::int32_t BlockNr) const;

  /// Changes the dimensions without an event. KeepOrder keeps the row-order index (the row
  /// operations); otherwise it is reset to the identity. Cell handles, row attributes and
  /// the index hold exactly NrOfRows rows.
  bool ResizeStorage(std::int32_t Nc, std::int32_t Nr, bool KeepOrder);
  void ResetSortIx();

  /// Reads the block DataID from a text file into this table; false, with the table as it
  /// was, when it is missing or damaged. Errors of the file and of memory pass.
  bool ReadXMLBlock(TextFile& InFile, StringView DataID);
  /// Exchanges dimensions, cells, pool, row order and attributes with Other; AllocRowsBy,
  /// the pool limit and the handlers stay. Cannot fail.
  void SwapContent(TStringArray& Other) noexcept;

  /// Reads cell (c, r) as a number, or raises the invalid-number error.
  double ReadNumber(std::int32_t c, std::int32_t r) const;

  template <class Match>
  bool ScanWindow(StringView FindStr, bool MatchCase, std::int32_t ColLow, std::int32_t ColHigh,
                  std::int32_t RowLow, std::int32_t RowHigh, std::int32_t& Col, std::int32_t& row,
                  Match&& Matches) const;

  std::int32_t FNCol = 1;
  std::int32_t FNRow = 1;
  std::int32_t FAllocRowsBy = 10;
  std::int32_t FRAllocated = 10;
  std::int32_t FNumPoolAddr = 1;
  std::vector<std::int32_t> FFirstFree;
  std::vector<std::vector<std::uint32_t>> FPoiArray;
  std::vector<std::int32_t> FSortIx;
  std::vector<Block> FStgPool;
  std::vector<std::uint8_t> FRowAttrib;
  std::vector<std::uint8_t> FColAttrib;
  TNotifyEvent FOnChange;
  TBeforeSortExchgEvent FOnBefSortExc;
  TOnPercentDoneEvent FOnPercentDone;

  std::vector<std::int32_t> FFreeTree;  // leaves at FFreeLeaves ... 2 * FFreeLeaves - 1
  std::size_t FFreeLeaves = 0;
  std::int32_t FHint = 0;       // block last chosen for new text; its index leaf may be stale
  std::int32_t FBelowHint = 0;  // the largest free space of the blocks below FHint
  std::int32_t FBlockLimit = kMaxPoolBlocks;
  /// True while FSortIx is known to be the identity, so that a change of the dimensions
  /// need not rewrite it.
  bool FIdentityOrder = true;
};

KEZ_API_END
}  // namespace kez
