// TBitFld: a field of bits at positions 0 .. Size.
#include "kez/dstruct/bitfield.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "dstruct/logicop.hpp"
#include "kez/dstruct.hpp"
#include "kez/platform/random.hpp"

namespace kez {

namespace {

constexpr StringView kNoMemory = u"not enough memory on heap";

// Population count of every byte value. Counting goes through this table rather than
// std::popcount so that the count does not depend on the processor's instruction set.
constexpr std::array<std::uint8_t, 256> kPopCount = [] {
  std::array<std::uint8_t, 256> table{};
  for (unsigned v = 0; v < 256; ++v) {
    unsigned n = 0;
    for (unsigned b = v; b != 0; b >>= 1) n += b & 1u;
    table[v] = static_cast<std::uint8_t>(n);
  }
  return table;
}();

std::size_t StorageBytes(std::int32_t Size) { return static_cast<std::size_t>(Size) / 8 + 2; }

// The bits of the last used byte (Size div 8) that belong to positions 0 .. Size.
unsigned LastByteMask(std::int32_t Size) { return (2u << (static_cast<unsigned>(Size) % 8)) - 1u; }

}  // namespace

TBitFld::TBitFld(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKEZDStructError>(*this, kNoMemory,
                                    [&] { FBitArray.assign(StorageBytes(FSize), 0); });
}

void TBitFld::SetSize(std::int32_t Value) {
  if (Value <= 0 || Value == FSize) return;
  GuardAllocation<EKEZDStructError>(*this, kNoMemory,
                                    [&] { FBitArray.resize(StorageBytes(Value), 0); });
  FSize = Value;
}

bool TBitFld::GetBit(std::int32_t ix) const {
  if (ix < 0 || ix > FSize || FBitArray.empty()) return false;
  return (FBitArray[static_cast<std::size_t>(ix) / 8] >> (ix % 8)) & 1u;
}

void TBitFld::SetBit(std::int32_t ix, bool Value) {
  if (ix < 0 || ix > FSize || FBitArray.empty()) return;
  std::uint8_t& byte = FBitArray[static_cast<std::size_t>(ix) / 8];
  const auto mask = static_cast<std::uint8_t>(1u << (ix % 8));
  byte = Value ? static_cast<std::uint8_t>(byte | mask) : static_cast<std::uint8_t>(byte & ~mask);
}

void TBitFld::ToggleBit(std::int32_t ix) {
  if (ix < 0 || ix > FSize || FBitArray.empty()) return;
  FBitArray[static_cast<std::size_t>(ix) / 8] ^= static_cast<std::uint8_t>(1u << (ix % 8));
}

void TBitFld::Clear() { std::fill(FBitArray.begin(), FBitArray.end(), std::uint8_t{0}); }

void TBitFld::Invert() {
  if (FBitArray.empty()) return;
  const std::size_t used = static_cast<std::size_t>(FSize) / 8 + 1;
  for (std::size_t i = 0; i < used; ++i) FBitArray[i] = static_cast<std::uint8_t>(~FBitArray[i]);
}

namespace {

// The number of true positions 0 .. Size of a field's storage, in 64 bits: a field of the
// largest Size has one position more than an int32 can count.
std::uint64_t CountTrue(const std::vector<std::uint8_t>& storage, std::int32_t Size) {
  const std::size_t whole = static_cast<std::size_t>(Size) / 8;
  const std::uint8_t* bytes = storage.data();
  // Eight bytes at a time (the order of the bits does not matter to a count); two
  // independent sums let the counts overlap.
  std::uint64_t s0 = 0, s1 = 0;
  std::size_t i = 0;
  for (; i + 16 <= whole; i += 16) {
    std::uint64_t w0 = 0, w1 = 0;
    std::memcpy(&w0, bytes + i, 8);
    std::memcpy(&w1, bytes + i + 8, 8);
    s0 += static_cast<std::uint64_t>(std::popcount(w0));
    s1 += static_cast<std::uint64_t>(std::popcount(w1));
  }
  for (; i < whole; ++i) s0 += kPopCount[bytes[i]];
  return s0 + s1 + kPopCount[bytes[whole] & LastByteMask(Size)];
}

}  // namespace

std::int32_t TBitFld::CountTrueBits() const {
  if (FBitArray.empty()) return 0;
  return static_cast<std::int32_t>(std::min<std::uint64_t>(
      CountTrue(FBitArray, FSize), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t TBitFld::FirstTrueBit() const {
  if (FBitArray.empty()) return -1;
  const std::size_t whole = static_cast<std::size_t>(FSize) / 8;
  for (std::size_t i = 0; i < whole; ++i) {
    if (FBitArray[i] != 0) {
      return static_cast<std::int32_t>(8 * i) + std::countr_zero(FBitArray[i]);
    }
  }
  const unsigned last = FBitArray[whole] & LastByteMask(FSize);
  if (last == 0) return -1;
  return static_cast<std::int32_t>(8 * whole) + std::countr_zero(last);
}

void TBitFld::MakeListOfBits(std::vector<std::int32_t>& list, bool State) const {
  if (FBitArray.empty()) return;
  // The list's room first (up to 8 GiB for the largest Size), so that a failure leaves the
  // caller's list as it was and raises the component's error rather than bad_alloc.
  const std::uint64_t trueBits = CountTrue(FBitArray, FSize);
  const std::uint64_t found = State ? trueBits : static_cast<std::uint64_t>(FSize) + 1 - trueBits;
  std::vector<std::int32_t> room;
  GuardAllocation<EKEZDStructError>(*this, kNoMemory,
                                    [&] { room.reserve(static_cast<std::size_t>(found)); });
  list.swap(room);
  list.clear();
  for (std::int32_t p = 0;; ++p) {
    if (GetBit(p) == State) list.push_back(p);
    if (p == FSize) break;  // FSize may be the largest int32: stop before p overflows
  }
}

void TBitFld::CombineWith(const TBitFld& second, TLogicOp op) {
  if (FBitArray.empty() || second.FBitArray.empty() || second.FSize != FSize) return;
  detail::CombineBytes(FBitArray.data(), second.FBitArray.data(),
                       static_cast<std::size_t>(FSize) / 8 + 1, op);
}

void TBitFld::RandomFill(double Percent) {
  if (FBitArray.empty()) return;
  if (!(Percent > 0.0)) Percent = 0.0;  // also catches not-a-number
  if (Percent > 100.0) Percent = 100.0;
  FillRandomBits(static_cast<std::int32_t>(std::nearbyint(Percent * 0.01 * FSize)));
}

void TBitFld::RandomFill(std::int32_t NBits) {
  if (FBitArray.empty()) return;
  FillRandomBits(std::clamp(NBits, std::int32_t{0}, FSize));
}

void TBitFld::FillRandomBits(std::int32_t N) {
  // Round-to-nearest (ties to even) of Random() * Size: 0 .. Size.
  auto draw = [this] { return static_cast<std::int32_t>(std::nearbyint(Random() * FSize)); };
  if (N > FSize / 2) {
    std::fill(FBitArray.begin(), FBitArray.end(), std::uint8_t{0xFF});
    for (std::int32_t k = FSize - N; k > 0;) {
      const std::int32_t p = draw();
      if (GetBit(p)) {
        SetBit(p, false);
        --k;
      }
    }
  } else {
    Clear();
    while (N > 0) {
      const std::int32_t p = draw();
      if (!GetBit(p)) {
        SetBit(p, true);
        --N;
      }
    }
  }
}

void TBitFld::Clone(const TBitFld* source) {
  if (source == nullptr || source == this) return;
  SetSize(source->FSize);
  // SetSize ignores a Size of 0 or less, which a field never has; guard anyway so the copy
  // below cannot run past the storage.
  if (FBitArray.size() == source->FBitArray.size()) FBitArray = source->FBitArray;
}

void TBitFld::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TBitFld*>(Source)) {
    if (source == this) return;
    GuardAllocation<EKEZDStructError>(*this, kNoMemory, [&] {
      std::vector<std::uint8_t> copy = source->FBitArray;
      FBitArray.swap(copy);
    });
    FSize = source->FSize;
    return;
  }
  TComponent::Assign(Source);
}

void TBitFld::AssignTo(TPersistent* Dest) {
  // Testing Dest's class (not this object's) keeps a plain TPersistent destination from
  // bouncing back here through its inherited Assign.
  if (auto* dest = dynamic_cast<TBitFld*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

}  // namespace kez
