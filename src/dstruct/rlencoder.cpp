// TRLEncoder: block-oriented run-length encoder and decoder.
#include <algorithm>
#include <cstring>

#include "kez/dstruct.hpp"

namespace kez {

namespace {

constexpr StringView kNoMemory = u"not enough memory on heap";

// Encode works through its input in slices of this size, so that the room it reserves
// (three bytes per input byte at worst) stays small for large chunks.
constexpr std::size_t kEncodeSlice = 64 * 1024;

std::size_t ClampCount(std::span<const std::uint8_t> InBuf, std::int32_t NumBytes) {
  return NumBytes <= 0 ? 0 : std::min(InBuf.size(), static_cast<std::size_t>(NumBytes));
}

// Writes the pending run of Count (1 .. 254) copies of Value: literally for one or two
// copies of a byte other than the lead-in, as a triplet otherwise.
std::uint8_t* FlushRun(std::uint8_t* out, unsigned Count, std::uint8_t Value, std::uint8_t Lead) {
  if (Value != Lead && Count <= 2) {
    *out++ = Value;
    if (Count == 2) *out++ = Value;
    return out;
  }
  out[0] = Lead;
  out[1] = static_cast<std::uint8_t>(Count);
  out[2] = Value;
  return out + 3;
}

}  // namespace

TRLEncoder::TRLEncoder(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKEZDStructError>(
      *this, kNoMemory, [&] { FBuffer.assign(4 * static_cast<std::size_t>(FBufLeng), 0); });
}

void TRLEncoder::Reset() {
  FBufStart = 0;
  FBufPoi = 0;
  FCount = 0;
  FLastB = 0;
  FDecodeSt = rlData;
  FDecoding = false;
  FClosed = false;
}

void TRLEncoder::SetBufLeng(std::int32_t Value) {
  // Only the block length changes: the buffer grows with the bytes that wait, so a large
  // BufLeng costs nothing until that much data arrives.
  if (Value <= 0) return;
  FBufLeng = Value;
}

void TRLEncoder::MakeRoom(std::size_t Extra) {
  const std::size_t need = FBufPoi + Extra;
  // Sliding the waiting bytes to the front is enough, and cheap, when they take no more
  // room than the handed-out bytes before them; otherwise the buffer doubles.
  if (FBufStart >= FBufPoi && need <= FBuffer.size()) {
    if (FBufPoi > 0) std::memmove(FBuffer.data(), FBuffer.data() + FBufStart, FBufPoi);
    FBufStart = 0;
    return;
  }
  std::vector<std::uint8_t> grown;
  GuardAllocation<EKEZDStructError>(*this, kNoMemory,
                                    [&] { grown.resize(std::max(need, 2 * FBuffer.size())); });
  if (FBufPoi > 0) std::memcpy(grown.data(), FBuffer.data() + FBufStart, FBufPoi);
  FBuffer.swap(grown);
  FBufStart = 0;
}

bool TRLEncoder::Encode(std::span<const std::uint8_t> InBuf, std::int32_t NumBytes) {
  const std::uint8_t* in = InBuf.data();
  std::size_t left = ClampCount(InBuf, NumBytes);
  unsigned count = FCount;
  std::uint8_t last = FLastB;
  if (left > 0) FClosed = false;
  while (left > 0) {
    const std::size_t slice = std::min(left, kEncodeSlice);
    Reserve(3 * slice);  // no input byte adds more than one triplet
    std::uint8_t* const begin = WriteEnd();
    std::uint8_t* out = begin;
    for (std::size_t i = 0; i < slice; ++i) {
      const std::uint8_t b = in[i];
      if (count == 0) {
        count = 1;
        last = b;
      } else if (b == last) {
        if (++count == 255) {
          out[0] = FLeadInByte;
          out[1] = 255;
          out[2] = last;
          out += 3;
          count = 0;
        }
      } else {
        out = FlushRun(out, count, last, FLeadInByte);
        count = 1;
        last = b;
      }
    }
    FBufPoi += static_cast<std::size_t>(out - begin);
    in += slice;
    left -= slice;
  }
  FCount = static_cast<std::uint8_t>(count);
  FLastB = last;
  return FBufPoi >= static_cast<std::size_t>(FBufLeng);
}

void TRLEncoder::DecodeStep(std::uint8_t InByte) {
  switch (FDecodeSt) {
    case rlData:
      if (InByte == FLeadInByte) {
        FDecodeSt = rlLeadin;
      } else {
        Reserve(1);
        *WriteEnd() = InByte;
        ++FBufPoi;
      }
      break;
    case rlLeadin:
      FCount = InByte;
      FDecodeSt = rlCnt;
      break;
    case rlCnt:
      Reserve(FCount);
      std::memset(WriteEnd(), InByte, FCount);
      FBufPoi += FCount;
      FCount = 0;
      FDecodeSt = rlData;
      break;
  }
}

bool TRLEncoder::Decode(std::uint8_t InByte) {
  FDecoding = true;
  DecodeStep(InByte);
  return FBufPoi >= static_cast<std::size_t>(FBufLeng);
}

bool TRLEncoder::Decode(std::span<const std::uint8_t> InBuf, std::int32_t NumBytes) {
  FDecoding = true;
  const std::uint8_t* in = InBuf.data();
  const std::size_t n = ClampCount(InBuf, NumBytes);
  std::size_t i = 0;
  while (i < n) {
    if (FDecodeSt != rlData) {
      DecodeStep(in[i++]);
      continue;
    }
    // A whole triplet in the chunk expands at once, without passing through the states.
    if (in[i] == FLeadInByte && n - i >= 3) {
      const std::uint8_t count = in[i + 1];
      Reserve(count);
      std::memset(WriteEnd(), in[i + 2], count);
      FBufPoi += count;
      i += 3;
      continue;
    }
    // Copy the literal bytes up to the next lead-in in one piece.
    const void* lead = std::memchr(in + i, FLeadInByte, n - i);
    const std::size_t literal =
        lead != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(lead) - in) - i
                        : n - i;
    if (literal > 0) {
      Reserve(literal);
      std::memcpy(WriteEnd(), in + i, literal);
      FBufPoi += literal;
      i += literal;
    }
    if (lead != nullptr) {
      FDecodeSt = rlLeadin;
      ++i;
    }
  }
  return FBufPoi >= static_cast<std::size_t>(FBufLeng);
}

void TRLEncoder::HandOut(std::span<std::uint8_t> OutBuf, std::size_t Count) {
  if (Count > 0) std::memcpy(OutBuf.data(), FBuffer.data() + FBufStart, Count);
  FBufStart += Count;
  FBufPoi -= Count;
  if (FBufPoi == 0) FBufStart = 0;
}

void TRLEncoder::GetResult(std::span<std::uint8_t> OutBuf) {
  const auto block = static_cast<std::size_t>(FBufLeng);
  if (FBufPoi < block || OutBuf.size() < block) return;
  HandOut(OutBuf, block);
}

std::int32_t TRLEncoder::FinishDecode(std::span<std::uint8_t> OutBuf, bool& Incomplete) {
  Incomplete = FDecodeSt != rlData;
  const std::size_t due = std::min(FBufPoi, static_cast<std::size_t>(FBufLeng));
  if (OutBuf.size() < due) return -1;
  HandOut(OutBuf, due);
  return static_cast<std::int32_t>(due);
}

std::int32_t TRLEncoder::Finish(std::span<std::uint8_t> OutBuf) {
  // A further call appends an empty triplet as the first one did, unless blocks are so
  // short (3 bytes or less) that the waiting bytes would never shrink and the caller's loop
  // "Finish until it returns less than BufLeng" would not end.
  const bool append = !FDecoding && (!FClosed || FBufLeng > 3);
  const std::size_t due = std::min(FBufPoi + (append ? 3 : 0), static_cast<std::size_t>(FBufLeng));
  if (OutBuf.size() < due) return -1;
  if (append) {
    Reserve(3);
    std::uint8_t* out = WriteEnd();
    out[0] = FLeadInByte;
    out[1] = FCount;
    out[2] = FLastB;
    FBufPoi += 3;
    FCount = 0;
    FClosed = true;
  }
  HandOut(OutBuf, due);
  return static_cast<std::int32_t>(due);
}

}  // namespace kez
