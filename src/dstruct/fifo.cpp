// TFifo: a byte ring buffer.
#include <algorithm>
#include <cstdint>

#include "kez/dstruct.hpp"

namespace kez {

namespace {

constexpr StringView kTooLarge = u"FIFO structure too large";

// a mod m in 0 .. m-1 for m > 0. The positions' difference is negative once the ring has
// wrapped; C++'s % would keep that sign and let a wrapped FIFO look empty or overfill.
std::int32_t Mod(std::int64_t a, std::int32_t m) {
  const std::int64_t r = a % m;
  return static_cast<std::int32_t>(r < 0 ? r + m : r);
}

}  // namespace

TFifo::TFifo(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKEZDStructError>(*this, kTooLarge,
                                    [&] { FData.assign(static_cast<std::size_t>(FLength), 0); });
}

void TFifo::SetSize(std::int32_t Value) {
  if (Value < 2 || Value == FLength) return;
  std::vector<std::uint8_t> ring;
  GuardAllocation<EKEZDStructError>(*this, kTooLarge,
                                    [&] { ring.assign(static_cast<std::size_t>(Value), 0); });
  // Lay the waiting bytes out from position 0, keeping the newest Value - 1 of them.
  const std::int32_t count = CountBytes();
  const std::int32_t keep = std::min(count, Value - 1);
  for (std::int32_t i = 0; i < keep; ++i) {
    ring[static_cast<std::size_t>(i)] =
        FData[static_cast<std::size_t>(Mod(std::int64_t{FOutPoi} + (count - keep) + i, FLength))];
  }
  FData.swap(ring);
  FLength = Value;
  FOutPoi = 0;
  FInPoi = keep;
}

bool TFifo::PutByte(std::uint8_t b) {
  if (Full()) return false;
  FData[static_cast<std::size_t>(FInPoi)] = b;
  FInPoi = Advance(FInPoi);
  return true;
}

bool TFifo::ForceByte(std::uint8_t b) {
  const bool discard = Full();
  if (discard) FOutPoi = Advance(FOutPoi);
  PutByte(b);
  return discard;
}

bool TFifo::LoadBack(std::uint8_t b) {
  if (Full()) return false;
  FOutPoi = FOutPoi == 0 ? FLength - 1 : FOutPoi - 1;
  FData[static_cast<std::size_t>(FOutPoi)] = b;
  return true;
}

bool TFifo::GetByte(std::uint8_t& b) {
  if (FInPoi == FOutPoi) return false;
  b = FData[static_cast<std::size_t>(FOutPoi)];
  FOutPoi = Advance(FOutPoi);
  return true;
}

bool TFifo::SenseByte(std::int32_t ix, std::uint8_t& b) const {
  if (ix < 0 || ix >= CountBytes()) return false;
  b = FData[static_cast<std::size_t>(Mod(std::int64_t{FOutPoi} + ix, FLength))];
  return true;
}

std::int32_t TFifo::CountBytes() const { return Mod(std::int64_t{FInPoi} - FOutPoi, FLength); }

void TFifo::Clear() {
  FInPoi = 0;
  FOutPoi = 0;
}

}  // namespace kez
