/// @file
/// Bit-level data: TBitFld, a resizable field of bits with counting, searching, random filling
/// and bitwise combination, and TByteMatrix, a column-by-row matrix of bytes that can also be
/// read and written bit by bit. Both combine with a partner through a TLogicOp. Included
/// through kez/dstruct.hpp.
///
/// @code
///   auto* bits = new kez::TBitFld(owner);   // Size 1000: positions 0 .. 1000
///   bits->SetBit(0, true);
///   bits->SetBit(1000, true);
///   bits->CountTrueBits();                  // 2
///   bits->FirstTrueBit();                   // 0
/// @endcode
///
/// @code
///   auto* mat = new kez::TByteMatrix(owner);
///   mat->Resize(3, 2);                      // columns 1..3, rows 1..2
///   mat->SetByte(1, 2, 0x81);
///   mat->Bit(1, 2, 7);                      // true
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "kez/kezbase.hpp"
#include "kez/platform/export.hpp"

namespace kez {
KEZ_API_BEGIN

/// TLogicOp
/// How CombineWith merges a partner's byte b into the target's byte a: a AND b, a OR b,
/// a XOR b, a AND NOT b, a OR NOT b, a XOR NOT b.
enum TLogicOp : std::uint8_t { loAND, loOR, loXOR, loANDNot, loORNot, loXORNot };

/// TBitFld
/// A field of bits at positions 0 .. Size inclusive: a field of Size n has n + 1 positions.
/// Position p lives in byte p div 8 at mask 1 shl (p mod 8). Positions outside the range are
/// ignored silently: reads give false, writes do nothing. There is no change event.
///
/// The storage is Size div 8 + 2 bytes. Shrinking keeps the bytes that remain, so bits above
/// the new Size in its last byte (and in the spare byte, which Invert leaves alone and the
/// random fill may set) are kept and show again when Size grows back.
class TBitFld : public TComponent {
 public:
  /// Create: Size 1000, all bits false. Raises EKEZDStructError "not enough memory on heap"
  /// when the storage cannot be allocated.
  explicit TBitFld(TComponent* AOwner);

  /// Size / SetSize
  /// The highest valid position. Values of 0 or less, and the current value, are ignored.
  /// Otherwise the storage is resized, keeping the bytes that remain and zero-filling new
  /// ones; an allocation failure raises "not enough memory on heap" and keeps the old field.
  ///@{
  std::int32_t Size() const { return FSize; }
  void SetSize(std::int32_t Value);
  ///@}

  /// Bit / GetBit / SetBit / ToggleBit
  /// The bit at position ix (0 .. Size); false and no effect outside that range.
  ///@{
  bool Bit(std::int32_t ix) const { return GetBit(ix); }
  bool GetBit(std::int32_t ix) const;
  void SetBit(std::int32_t ix, bool Value);
  void ToggleBit(std::int32_t ix);
  ///@}

  /// Clear: every storage byte to zero. Invert: complements bytes 0 .. Size div 8 (so bits
  /// above Size in the last of them flip too; the spare byte stays).
  ///@{
  void Clear();
  void Invert();
  ///@}

  /// CountTrueBits: the number of true positions in 0 .. Size. A field of the largest Size
  /// with every position true has 2^31 of them, one more than the result can hold: it gives
  /// the largest int32 then.
  std::int32_t CountTrueBits() const;

  /// FirstTrueBit: the lowest true position, or -1 when none is set.
  std::int32_t FirstTrueBit() const;

  /// MakeListOfBits
  /// Replaces list with every position 0 .. Size, ascending, whose bit equals State. A list
  /// larger than memory raises EKEZDStructError "not enough memory on heap" and leaves list
  /// as it was.
  void MakeListOfBits(std::vector<std::int32_t>& list, bool State) const;

  /// CombineWith
  /// Applies op byte by byte to bytes 0 .. Size div 8 of this field, with second's bytes as
  /// the argument. Does nothing when the sizes differ. second may be this field itself.
  void CombineWith(const TBitFld& second, TLogicOp op);

  /// RandomFill(Percent)
  /// Percent is clamped to 0 .. 100 (not-a-number counts as 0); N = Percent / 100 * Size,
  /// rounded to the nearest integer (ties to even), then the random fill of N bits below.
  void RandomFill(double Percent);

  /// RandomFill(NBits)
  /// NBits clamped to 0 .. Size, then the random fill. Positions are drawn from the
  /// process-wide generator (kez::Random, not reseeded) as Random() * Size rounded to the
  /// nearest integer, so the end positions 0 and Size come up half as often as the others.
  /// For N up to Size div 2 the field starts cleared and exactly N positions are set. For a
  /// larger N it starts with every storage byte 0xFF and Size - N positions are cleared,
  /// which leaves N + 1 true positions (so N = Size sets all Size + 1 of them).
  void RandomFill(std::int32_t NBits);

  /// Clone
  /// Takes source's Size (through SetSize) and all its storage bytes; nothing for a null
  /// source.
  void Clone(const TBitFld* source);

  /// Assign: from a TBitFld, Size and all storage bytes; other sources go to the inherited
  /// Assign (which raises EConvertError for classes that do not know each other).
  void Assign(TPersistent* Source) override;

 protected:
  /// AssignTo: into another TBitFld through its Assign; anything else is inherited.
  void AssignTo(TPersistent* Dest) override;

 private:
  void FillRandomBits(std::int32_t N);

  std::int32_t FSize = 1000;
  std::vector<std::uint8_t> FBitArray;
};

/// TByteMatrix
/// A matrix of bytes addressed by column 1 .. NrOfColumns and row 1 .. NrOfRows, stored
/// column by column. Each byte can also be addressed bit by bit (ixBit 0 .. 7, 0 being the
/// least significant bit). Out-of-range reads give 0 or false, out-of-range writes do nothing.
/// Every modification except CombineWith and Assign raises OnChange(this).
class TByteMatrix : public TComponent {
 public:
  /// Create: a 1 x 1 matrix holding 0. Raises EKEZDStructError "not enough memory on heap"
  /// when the storage cannot be allocated.
  explicit TByteMatrix(TComponent* AOwner);

  /// Resize
  /// Gives the matrix NrColumns x NrRows bytes; bytes inside both the old and the new bounds
  /// keep their values, new ones are 0; then OnChange. Returns false and changes nothing when
  /// either size is 0 or less or both equal the current sizes. A matrix larger than the
  /// machine's memory (up to 2^31 x 2^31 bytes may be asked for) and an allocation failure
  /// raise "not enough memory on heap" and keep the old matrix.
  bool Resize(std::int32_t NrColumns, std::int32_t NrRows);

  /// NrOfColumns / NrOfRows and their setters: Resize with the new value (values below 1
  /// become 1) and the other dimension unchanged.
  ///@{
  std::int32_t NrOfColumns() const { return FNrCols; }
  std::int32_t NrOfRows() const { return FNrRows; }
  void SetNrOfColumns(std::int32_t Value);
  void SetNrOfRows(std::int32_t Value);
  ///@}

  /// Byte / GetByte / SetByte: the byte at (col, row); 0 and no effect outside the matrix.
  ///@{
  std::uint8_t Byte(std::int32_t col, std::int32_t row) const { return GetByte(col, row); }
  std::uint8_t GetByte(std::int32_t col, std::int32_t row) const;
  void SetByte(std::int32_t col, std::int32_t row, std::uint8_t Value);
  ///@}

  /// Bit / GetBit / SetBit / ToggleBit: bit ixBit (0 .. 7) of the byte at (col, row); false
  /// and no effect outside the matrix or for ixBit outside 0 .. 7.
  ///@{
  bool Bit(std::int32_t col, std::int32_t row, std::int32_t ixBit) const {
    return GetBit(col, row, ixBit);
  }
  bool GetBit(std::int32_t col, std::int32_t row, std::int32_t ixBit) const;
  void SetBit(std::int32_t col, std::int32_t row, std::int32_t ixBit, bool Value);
  void ToggleBit(std::int32_t col, std::int32_t row, std::int32_t ixBit);
  ///@}

  /// Fill: every byte := Value, then OnChange.
  void Fill(std::uint8_t Value);

  /// MirrorColumns: column i swaps with column NrOfColumns + 1 - i; MirrorRows does the same
  /// for the rows. Both raise OnChange, even when nothing moves (a single column or row).
  ///@{
  void MirrorColumns();
  void MirrorRows();
  ///@}

  /// CombineWith
  /// Applies op to every byte, with second's byte at the same place as the argument. Does
  /// nothing when the sizes differ. Raises no OnChange. second may be this matrix itself.
  void CombineWith(const TByteMatrix& second, TLogicOp op);

  /// Changed: calls OnChange(this) if a handler is set.
  void Changed();

  /// OnChange / SetOnChange: the handler raised after each modification.
  ///@{
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  ///@}

  /// Assign: from a TByteMatrix, its sizes, all bytes and its OnChange handler (without
  /// raising it); other sources go to the inherited Assign.
  void Assign(TPersistent* Source) override;

 protected:
  /// AssignTo: into another TByteMatrix through its Assign; anything else is inherited.
  void AssignTo(TPersistent* Dest) override;

 private:
  bool Inside(std::int32_t col, std::int32_t row) const {
    return col >= 1 && col <= FNrCols && row >= 1 && row <= FNrRows;
  }
  std::size_t Offset(std::int32_t col, std::int32_t row) const {
    return static_cast<std::size_t>(col - 1) * static_cast<std::size_t>(FNrRows) +
           static_cast<std::size_t>(row - 1);
  }

  std::int32_t FNrCols = 1;
  std::int32_t FNrRows = 1;
  std::vector<std::uint8_t> FByteMat;  // column-major: column c holds rows 1..FNrRows
  TNotifyEvent FOnChange;
};

KEZ_API_END
}  // namespace kez
