// TByteMatrix: a column-by-row matrix of bytes, addressable bit by bit.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "dstruct/logicop.hpp"
#include "dstruct/memorylimit.hpp"
#include "kez/dstruct.hpp"

namespace kez {

namespace {

constexpr StringView kNoMemory = u"not enough memory on heap";

bool ValidBit(std::int32_t ixBit) { return ixBit >= 0 && ixBit <= 7; }

}  // namespace

TByteMatrix::TByteMatrix(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKEZDStructError>(*this, kNoMemory, [&] { FByteMat.assign(1, 0); });
}

bool TByteMatrix::Resize(std::int32_t NrColumns, std::int32_t NrRows) {
  if (NrColumns <= 0 || NrRows <= 0 || (NrColumns == FNrCols && NrRows == FNrRows)) return false;
  // The product of two int32 sizes fits in 64 bits. A matrix larger than the machine's
  // memory is refused before it is asked for; a failed allocation is reported alike.
  const std::uint64_t bytes =
      static_cast<std::uint64_t>(NrColumns) * static_cast<std::uint64_t>(NrRows);
  if (bytes > detail::PhysicalMemoryBytes())
    RaiseComponentError<EKEZDStructError>(*this, kNoMemory);
  std::vector<std::uint8_t> fresh;
  GuardAllocation<EKEZDStructError>(*this, kNoMemory,
                                    [&] { fresh.assign(static_cast<std::size_t>(bytes), 0); });
  const std::int32_t keepCols = std::min(NrColumns, FNrCols);
  const auto keepRows = static_cast<std::size_t>(std::min(NrRows, FNrRows));
  // Columns counted from 0, so that a count of the largest int32 ends the loop.
  for (std::int32_t c = 0; c < keepCols; ++c) {
    const auto from = FByteMat.begin() + static_cast<std::ptrdiff_t>(Offset(c + 1, 1));
    const auto to = static_cast<std::size_t>(c) * static_cast<std::size_t>(NrRows);
    std::copy_n(from, keepRows, fresh.begin() + static_cast<std::ptrdiff_t>(to));
  }
  FByteMat.swap(fresh);
  FNrCols = NrColumns;
  FNrRows = NrRows;
  Changed();
  return true;
}

void TByteMatrix::SetNrOfColumns(std::int32_t Value) { Resize(std::max(Value, 1), FNrRows); }

void TByteMatrix::SetNrOfRows(std::int32_t Value) { Resize(FNrCols, std::max(Value, 1)); }

std::uint8_t TByteMatrix::GetByte(std::int32_t col, std::int32_t row) const {
  return Inside(col, row) ? FByteMat[Offset(col, row)] : std::uint8_t{0};
}

void TByteMatrix::SetByte(std::int32_t col, std::int32_t row, std::uint8_t Value) {
  if (!Inside(col, row)) return;
  FByteMat[Offset(col, row)] = Value;
  Changed();
}

bool TByteMatrix::GetBit(std::int32_t col, std::int32_t row, std::int32_t ixBit) const {
  if (!Inside(col, row) || !ValidBit(ixBit)) return false;
  return (FByteMat[Offset(col, row)] >> ixBit) & 1u;
}

void TByteMatrix::SetBit(std::int32_t col, std::int32_t row, std::int32_t ixBit, bool Value) {
  if (!Inside(col, row) || !ValidBit(ixBit)) return;
  std::uint8_t& byte = FByteMat[Offset(col, row)];
  const auto mask = static_cast<std::uint8_t>(1u << ixBit);
  byte = Value ? static_cast<std::uint8_t>(byte | mask) : static_cast<std::uint8_t>(byte & ~mask);
  Changed();
}

void TByteMatrix::ToggleBit(std::int32_t col, std::int32_t row, std::int32_t ixBit) {
  if (!Inside(col, row) || !ValidBit(ixBit)) return;
  FByteMat[Offset(col, row)] ^= static_cast<std::uint8_t>(1u << ixBit);
  Changed();
}

void TByteMatrix::Fill(std::uint8_t Value) {
  if (FByteMat.empty()) return;
  std::fill(FByteMat.begin(), FByteMat.end(), Value);
  Changed();
}

void TByteMatrix::MirrorColumns() {
  const auto rows = static_cast<std::ptrdiff_t>(FNrRows);
  for (std::int32_t i = 1, j = FNrCols; i < j; ++i, --j) {
    const auto left = FByteMat.begin() + static_cast<std::ptrdiff_t>(Offset(i, 1));
    std::swap_ranges(left, left + rows,
                     FByteMat.begin() + static_cast<std::ptrdiff_t>(Offset(j, 1)));
  }
  Changed();
}

void TByteMatrix::MirrorRows() {
  for (std::int32_t c = 0; c < FNrCols; ++c) {
    const auto column = FByteMat.begin() + static_cast<std::ptrdiff_t>(Offset(c + 1, 1));
    std::reverse(column, column + static_cast<std::ptrdiff_t>(FNrRows));
  }
  Changed();
}

void TByteMatrix::CombineWith(const TByteMatrix& second, TLogicOp op) {
  if (FByteMat.empty() || second.FByteMat.empty() || second.FNrCols != FNrCols ||
      second.FNrRows != FNrRows) {
    return;
  }
  detail::CombineBytes(FByteMat.data(), second.FByteMat.data(), FByteMat.size(), op);
}

void TByteMatrix::Changed() {
  CallHandler(FOnChange, this);
}

void TByteMatrix::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TByteMatrix*>(Source)) {
    if (source == this) return;
    GuardAllocation<EKEZDStructError>(*this, kNoMemory, [&] {
      std::vector<std::uint8_t> bytes = source->FByteMat;
      TNotifyEvent handler = source->FOnChange;
      FByteMat.swap(bytes);
      FOnChange.swap(handler);
    });
    FNrCols = source->FNrCols;
    FNrRows = source->FNrRows;
    return;
  }
  TComponent::Assign(Source);
}

void TByteMatrix::AssignTo(TPersistent* Dest) {
  // Testing Dest's class (not this object's) keeps a plain TPersistent destination from
  // bouncing back here through its inherited Assign.
  if (auto* dest = dynamic_cast<TByteMatrix*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

}  // namespace kez
