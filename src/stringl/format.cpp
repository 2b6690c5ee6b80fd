// Real-number texts: the fixed and scientific layouts, zero padding, forced plus, the
// bounded fixed form of chart labels and significant digits.
//
// Chart labels are formatted by the thousand, so the layouts are built in a reused
// single-byte buffer and widened once at the end.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"

namespace kez {
namespace {

// Widths beyond this are clamped before any arithmetic on them (the layout clamps too).
constexpr std::int64_t kMaxWidth = 4096;

std::int32_t ClampWidth(std::int64_t Width) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(Width, -kMaxWidth, kMaxWidth));
}

// Decimals beyond the layout's range keep their sign (fixed or scientific) when clamped.
std::int32_t ClampDecimals(std::int64_t Decimals) { return ClampWidth(Decimals); }

std::string& Buffer() {
  thread_local std::string buffer;
  return buffer;
}

String Widen(const std::string& Text) { return String(Text.begin(), Text.end()); }

// The strff layout, written into Out.
void StrffLayout(Extended Value, std::int32_t Width, std::int32_t Decimals, std::string& Out) {
  const std::int32_t w = ClampWidth(std::abs(static_cast<std::int64_t>(Width)));
  if (Decimals == -2 && std::isfinite(Value)) {
    FloatToAnsiLayout(Value, w + 2, -2, Out);
    // The layout ends in "E", the exponent sign and four digits; keep two of them when
    // the first two are zeros, otherwise the field cannot hold the exponent.
    const auto e = Out.find('E');
    if (e != std::string::npos && Out.size() == e + 6) {
      const bool fits = Out[e + 2] == '0' && Out[e + 3] == '0';
      Out.erase(e + 2, 2);
      if (!fits) Out.assign(Out.size(), '*');
    }
  } else {
    FloatToAnsiLayout(Value, w, Decimals, Out);
  }
  if (Width < 0 && std::isfinite(Value)) {
    std::size_t i = 0;
    for (; i < Out.size() && Out[i] == ' '; ++i) Out[i] = '0';
    if (i < Out.size() && Out[i] == '-') {
      Out[i] = '0';
      Out[0] = '-';
    }
  }
}

// FormatData's bounds by decimals: the fixed form holds nine digits.
struct Bounds {
  double Upper;
  double Lower;
};
constexpr std::array<Bounds, 9> kFormatBounds = {{{999999999, 1},
                                                  {9999999.9, 0.1},
                                                  {999999.99, 0.01},
                                                  {99999.999, 0.001},
                                                  {9999.9999, 0.0001},
                                                  {999.99999, 0.00001},
                                                  {99.999999, 0.000001},
                                                  {9.9999999, 0.0000001},
                                                  {0.99999999, 0.00000001}}};

// The number of digits before the point of a finite, non-zero magnitude:
// floor(log10(a)) + 1, corrected where the logarithm rounds across a power of ten.
std::int32_t DigitsBeforePoint(double A) {
  auto e = static_cast<std::int32_t>(std::floor(std::log10(A))) + 1;
  // 10^0 .. 10^22 are exact doubles, so the correction is exact there.
  if (e >= 1 && e <= 22) {
    const double lower = std::pow(10.0, e - 1);
    if (A < lower) {
      --e;
    } else if (e <= 21 && A >= lower * 10) {
      ++e;
    }
  }
  return e;
}

}  // namespace

String FixedWidthStr(Extended Value, std::int32_t Width, std::int32_t Decimals) {
  std::string& out = Buffer();
  FloatToAnsiLayout(Value, Width, Decimals, out);
  return Widen(out);
}

String strff(Extended Value, std::int32_t Width, std::int32_t Decimals) {
  std::string& out = Buffer();
  StrffLayout(Value, Width, Decimals, out);
  return Widen(out);
}

String strffForcePlus(Extended Value, std::int32_t Width, std::int32_t Decimals) {
  std::string& out = Buffer();
  StrffLayout(Value, Width, Decimals, out);
  if (Value < 0 || std::isnan(Value) || out.empty()) return Widen(out);
  std::size_t blanks = 0;
  while (blanks + 1 < out.size() && out[blanks] == ' ') ++blanks;
  if (blanks > 0) {
    out[blanks - 1] = '+';
  } else if (out.size() >= 2 && out[0] == '0' && out[1] != '.') {
    out[0] = '+';  // zero-padded: the first pad digit gives way
  } else {
    out.insert(out.begin(), '+');
  }
  return Widen(out);
}

String FormatData(double Value, std::int32_t Width, std::int32_t Decimals) {
  std::string& out = Buffer();
  const double a = std::fabs(Value);
  const bool scientific =
      Decimals < 0 || Decimals > 8 || a > kFormatBounds[static_cast<std::size_t>(Decimals)].Upper ||
      (a < kFormatBounds[static_cast<std::size_t>(Decimals)].Lower && Value != 0);
  if (scientific && std::isfinite(Value)) {
    StrffLayout(Value, ClampWidth(static_cast<std::int64_t>(Width) + 6), -2, out);
  } else {
    FloatToAnsiLayout(Value, Width, std::clamp(Decimals, 0, 8), out);
  }
  return Widen(out);
}

String SigDigStr(double Value, std::int32_t Width, std::int32_t Digits) {
  // 64-bit arithmetic: Digits - 1, Digits + 6 and Digits - Width + 3 must not wrap for
  // extreme arguments; the layouts clamp what they are handed.
  const std::int64_t width = Width;
  const std::int64_t digits = Digits;
  if (Value == 0) return FixedWidthStr(0, Width, ClampDecimals(digits - 1));
  if (!std::isfinite(Value)) return FixedWidthStr(Value, Width, 0);
  const std::int64_t e = DigitsBeforePoint(std::fabs(Value));
  const std::int32_t sciWidth = ClampWidth(std::max(width, digits + 6));
  if (digits < e) {
    return width - 1 < e ? strff(Value, sciWidth, -2) : FixedWidthStr(Value, Width, 0);
  }
  return e < digits - width + 3 ? strff(Value, sciWidth, -2)
                                : FixedWidthStr(Value, Width, ClampDecimals(digits - e));
}

String SigDigStr(double Value, std::int32_t Width, std::int32_t Digits, bool Strip) {
  const String text = SigDigStr(Value, Width, Digits);
  return Strip ? StripLTBlanks(text) : text;
}

}  // namespace kez
