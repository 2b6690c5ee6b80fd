// TColorArray: the palette component, its fills and its text file.
#include <algorithm>
#include <cmath>
#include <new>

#include "kez/kezcolors.hpp"
#include "kez/platform/safesave.hpp"
#include "kez/platform/sysutils.hpp"
#include "kezcolors/hexdigit.hpp"

namespace kez {

TColorArray::TColorArray(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKEZColArrayError>(*this, u"not enough memory on heap", [this] {
    FColArray.assign(static_cast<std::size_t>(FNColors), clBlack);
  });
  FillByInterpolation(0, ColorArray_Rainbow);
}

void TColorArray::Changed() {
  CallHandler(FOnChange, this);
}

void TColorArray::SetSize(std::int32_t Value) {
  if (Value > 0 && Value != FNColors) Resize(Value);
}

bool TColorArray::Resize(std::int32_t n) {
  if (n == FNColors) return true;
  if (n < 1) return false;
  GuardAllocation<EKEZColArrayError>(
      *this, u"not enough memory", [&] { FColArray.resize(static_cast<std::size_t>(n), clBlack); });
  FNColors = n;
  Changed();
  return true;
}

TColor TColorArray::GetColorElem(std::int32_t ix) const {
  if (FColArray.empty()) return 0;
  ix = std::clamp(ix, 1, FNColors);
  return FColArray[static_cast<std::size_t>(ix - 1)];
}

void TColorArray::SetColorElem(std::int32_t ix, TColor c) {
  if (ix < 1 || ix > FNColors) return;
  FColArray[static_cast<std::size_t>(ix - 1)] = c;
  Changed();
}

void TColorArray::Fill(TColor c) {
  std::fill(FColArray.begin(), FColArray.end(), c);
  Changed();
}

void TColorArray::FillByInterpolation(std::int32_t DiscreteLevels, std::span<const TColor> Colors) {
  if (Colors.empty()) return;
  if (Colors.size() == 1) {
    Fill(Colors[0]);
    return;
  }
  const auto H = static_cast<double>(Colors.size() - 1);
  const double N = FNColors;
  const double L = DiscreteLevels;
  // With fewer entries than colours the spread below would step past the next colour (frac
  // above 1) and miss the last one; there each entry takes its own place H·k/N on the path
  // through the colours, so every entry lies within the palette and entry N is the last
  // colour. Longer arrays keep the spread exactly.
  const bool fewerEntriesThanColors = N <= H;
  // 64-bit indexes throughout: a loop up to Size must end also at 2147483647.
  for (std::int64_t i = 1; i <= FNColors; ++i) {
    double k = static_cast<double>(i);
    if (DiscreteLevels > 0) k = std::nearbyint(std::nearbyint(i * L / N) * N / L);
    std::size_t idx = 0;
    double frac = 0;
    if (fewerEntriesThanColors) {
      const double place = std::clamp(H * k / N, 0.0, H);
      idx = static_cast<std::size_t>(std::min(std::floor(place), H - 1));
      frac = place - static_cast<double>(idx);
    } else {
      // The band quantisation can give k = 0, which would make the index negative.
      idx = static_cast<std::size_t>(std::clamp(std::trunc(H * (k - 1) / N), 0.0, H - 1));
      frac = H * k / N - static_cast<double>(idx);
    }
    FColArray[static_cast<std::size_t>(i - 1)] =
        InterpolateColor(Colors[idx], Colors[idx + 1], frac);
  }
  Changed();
}

void TColorArray::MirrorColors() {
  std::reverse(FColArray.begin(), FColArray.end());
  Changed();
}

void TColorArray::InvertColors() {
  for (auto& c : FColArray) c = InvertColor(c);
  Changed();
}

std::int32_t TColorArray::ColorToIndex(TColor c, double& Distance) const {
  std::size_t best = 0;
  Distance = 1;
  for (std::size_t i = 0; i < FColArray.size(); ++i) {
    const double d = RGBColorDistance(c, FColArray[i]);
    if (d < Distance) {
      Distance = d;
      best = i;
    }
  }
  return static_cast<std::int32_t>(best + 1);
}

void TColorArray::CopyFrom(const TColorArray* Source, std::int32_t SourceLo, std::int32_t SourceHi,
                           std::int32_t DestElem) {
  if (Source == nullptr) return;
  SourceLo = std::clamp(SourceLo, 1, Source->FNColors);
  SourceHi = std::clamp(SourceHi, 1, Source->FNColors);
  if (SourceLo > SourceHi) std::swap(SourceLo, SourceHi);
  // A snapshot of the range, so that copying within one array does not smear entries.
  const std::vector<TColor> range(Source->FColArray.begin() + (SourceLo - 1),
                                  Source->FColArray.begin() + SourceHi);
  for (std::size_t i = 0; i < range.size(); ++i) {
    const std::int64_t dest = static_cast<std::int64_t>(DestElem) + static_cast<std::int64_t>(i);
    if (dest >= 1 && dest <= FNColors) FColArray[static_cast<std::size_t>(dest - 1)] = range[i];
  }
  Changed();
}

bool TColorArray::IsEqual(const TColorArray& Other) const {
  return FNColors == Other.FNColors && FColArray == Other.FColArray;
}

void TColorArray::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TColorArray*>(Source)) {
    if (other == this) return;
    FColArray = other->FColArray;
    FNColors = other->FNColors;
    return;
  }
  TComponent::Assign(Source);
}

void TColorArray::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TColorArray*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

// ---- the text file ---------------------------------------------------------------------

namespace {

// Runs the file operations of Body with the file's errors deferred, and tells whether they
// all succeeded. The file's own error mode is restored afterwards.
template <class F>
bool WithDeferredErrors(TextFile& f, F&& Body) {
  const TIOErrorMode saved = f.ErrorMode();
  f.SetErrorMode(iemDeferred);
  bool ok = false;
  try {
    ok = Body();
  } catch (const std::exception&) {
    ok = false;
  }
  ok = f.IOResult() == 0 && ok;
  f.SetErrorMode(saved);
  return ok;
}

// The value of one colour line: leading blanks, an optional "$", hexadecimal digits up to
// the first other character; 0 without digits.
TColor ParseColorLine(StringView line) {
  while (!line.empty() && line.front() == u' ') line.remove_prefix(1);
  if (!line.empty() && line.front() == u'$') line.remove_prefix(1);
  std::uint32_t value = 0;
  for (const char16_t ch : line) {
    const std::uint32_t digit = detail::HexDigitValue(ch);
    if (digit > 15) break;
    value = (value << 4) | digit;
  }
  return value;
}

}  // namespace

bool TColorArray::WriteToOpenTextFile(TextFile& f, std::int32_t FirstElem, std::int32_t LastElem) {
  if (FirstElem > LastElem) std::swap(FirstElem, LastElem);
  FirstElem = std::max(FirstElem, 1);
  LastElem = std::min(LastElem, FNColors);
  return WithDeferredErrors(f, [&] {
    f.WriteLn(IntToStr(FirstElem) + u" " + IntToStr(LastElem));
    for (std::int64_t i = FirstElem; i <= LastElem; ++i)
      f.WriteLn(ColorToHexStr(FColArray[static_cast<std::size_t>(i - 1)]));
    return true;
  });
}

bool TColorArray::StoreOnFile(std::int32_t FirstElem, std::int32_t LastElem, StringView FileName) {
  try {
    SaveTextFile(FileName, teAnsi, [&](TextFile& f) {
      if (!WriteToOpenTextFile(f, FirstElem, LastElem)) throw EInOutError(u"", ioWriteError);
    });
  } catch (const EInOutError&) {
    return false;  // the previous file stays as it was
  }
  return true;
}

bool TColorArray::ReadFromOpenTextFile(TextFile& f, bool AdjustSize) {
  std::int32_t first = 0, last = 0;
  const bool header = WithDeferredErrors(f, [&] {
    first = f.ReadInteger();
    last = f.ReadInteger();
    f.ReadLn();
    return true;
  });
  if (!header) return false;
  if (AdjustSize && last >= 1) {
    // Every entry line takes at least one byte, and an array cannot grow past what the file
    // could describe: a header asking for more is refused before anything is allocated
    // (through a pipe, whose rest cannot be told, one asking for more than a memory budget).
    const std::int64_t count = static_cast<std::int64_t>(last) - first + 1;
    if (!f.MayAnnounce(count, sizeof(TColor)) ||
        (last > FNColors && !f.MayAnnounce(last, sizeof(TColor))))
      return false;
    try {
      Resize(last);
    } catch (const EKEZColArrayError&) {
      return false;
    }
  }
  // A LastElem below 1 leaves the size as it is (Resize refuses it), and the entries read
  // are then all dropped as positions below 1.
  if (last > FNColors) return false;
  bool complete = true;
  WithDeferredErrors(f, [&] {
    for (std::int64_t pos = first; pos <= last; ++pos) {
      if (f.Eof()) {
        complete = false;
        break;
      }
      String line;
      f.ReadLn(line);
      if (f.IOResult() != 0) continue;  // an unreadable line is skipped
      SetColorElem(static_cast<std::int32_t>(pos), ParseColorLine(line));
    }
    return true;
  });
  Changed();
  return complete;
}

bool TColorArray::LoadFromFile(StringView FileName, bool AdjustSize) {
  TextFile f(FileName);
  f.SetErrorMode(iemDeferred);
  f.Reset();
  if (f.IOResult() != 0) return false;
  const bool ok = ReadFromOpenTextFile(f, AdjustSize);
  f.Close();
  f.IOResult();
  return ok;
}

}  // namespace kez
