// Colour conversions between RGB, grey, CMY, CMYK, HSI, wavelengths and hexadecimal text.
#include <algorithm>
#include <cmath>

#include "kez/kezcolors.hpp"
#include "kez/platform/random.hpp"
#include "kez/platform/sysutils.hpp"
#include "kezcolors/hexdigit.hpp"

namespace kez {
namespace {

// A NaN counts as 0 wherever a value is clamped, so that no NaN reaches a conversion to an
// integer.
double Clamp01(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

// A channel value of v / 255 (clamped to [0, 1]), rounded to the nearest integer with ties
// to even (the default floating-point mode).
std::uint8_t ChannelOf(double v) {
  return static_cast<std::uint8_t>(std::nearbyint(255 * Clamp01(v)));
}

std::int32_t ClampChannel(std::int32_t v) { return std::clamp(v, 0, 255); }

std::int32_t Lerp(std::int32_t a, std::int32_t b, double x) {
  return static_cast<std::int32_t>(std::trunc(a + (b - a) * x));
}

}  // namespace

TColor InterpolateColor(TColor c1, TColor c2, double x) {
  x = std::isnan(x) ? 0.0 : Clamp01(x);
  return RGB(static_cast<std::uint32_t>(Lerp(GetRValue(c1), GetRValue(c2), x)),
             static_cast<std::uint32_t>(Lerp(GetGValue(c1), GetGValue(c2), x)),
             static_cast<std::uint32_t>(Lerp(GetBValue(c1), GetBValue(c2), x)));
}

TColor Interpolate3Colors(TColor c1, TColor c2, TColor c3, double x) {
  x = std::isnan(x) ? 0.0 : Clamp01(x);
  if (x <= 0.5) return InterpolateColor(c1, c2, 2 * x);
  return InterpolateColor(c2, c3, 2 * (x - 0.5));
}

TColor MeanColor(TColor c1, TColor c2) { return InterpolateColor(c1, c2, 0.5); }

TColor ReverseRGBColor(TColor c) { return RGB(GetBValue(c), GetGValue(c), GetRValue(c)); }

TColor InvertColor(TColor c) {
  return RGB(255u - GetRValue(c), 255u - GetGValue(c), 255u - GetBValue(c));
}

std::int32_t RGBtoGray(std::int32_t r, std::int32_t g, std::int32_t b) {
  // In hundredths and in integers: 0.3, 0.59 and 0.11 have no exact binary form, so the
  // floating-point sum misses exact ties (0.59 * 44 + 0.11 * 14 is not quite 27.5). The
  // weights add up to 100, so the result lies between the smallest and the largest channel.
  const std::int64_t sum = 30 * std::int64_t{r} + 59 * std::int64_t{g} + 11 * std::int64_t{b};
  std::int64_t quotient = sum / 100, remainder = sum % 100;
  if (remainder < 0) remainder += 100, --quotient;  // floor division
  if (remainder > 50 || (remainder == 50 && quotient % 2 != 0)) ++quotient;
  return static_cast<std::int32_t>(quotient);
}

TColor RGBtoGrayColor(std::int32_t r, std::int32_t g, std::int32_t b) {
  const auto grey = static_cast<std::uint32_t>(ClampChannel(RGBtoGray(r, g, b)));
  return RGB(grey, grey, grey);
}

std::int32_t ColorToGray(TColor c) { return RGBtoGray(GetRValue(c), GetGValue(c), GetBValue(c)); }

TColor ColorToGrayColor(TColor c) {
  return RGBtoGrayColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

double RGBColorDistance(TColor c1, TColor c2) {
  const double dr = GetRValue(c1) - GetRValue(c2);
  const double dg = GetGValue(c1) - GetGValue(c2);
  const double db = GetBValue(c1) - GetBValue(c2);
  return std::sqrt((dr * dr + dg * dg + db * db) / 195075.0);
}

TColor RandomColor() {
  const auto b = static_cast<std::uint32_t>(Random(256));
  const auto g = static_cast<std::uint32_t>(Random(256));
  const auto r = static_cast<std::uint32_t>(Random(256));
  return RGB(r, g, b);
}

TColor RandomColor(std::uint8_t LoR, std::uint8_t HiR, std::uint8_t LoG, std::uint8_t HiG,
                   std::uint8_t LoB, std::uint8_t HiB) {
  // Random(n) gives 0 for n <= 0, so a reversed range yields its low end.
  const auto draw = [](std::uint8_t lo, std::uint8_t hi) {
    return static_cast<std::uint32_t>(lo + Random(hi - lo + 1));
  };
  const std::uint32_t b = draw(LoB, HiB);
  const std::uint32_t g = draw(LoG, HiG);
  const std::uint32_t r = draw(LoR, HiR);
  return RGB(r, g, b);
}

void RGBtoCMY(std::uint8_t r, std::uint8_t g, std::uint8_t b, double& c, double& m, double& y) {
  c = 1 - r / 255.0;
  m = 1 - g / 255.0;
  y = 1 - b / 255.0;
}

void CMYtoRGB(double c, double m, double y, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
  r = ChannelOf(1 - Clamp01(c));
  g = ChannelOf(1 - Clamp01(m));
  b = ChannelOf(1 - Clamp01(y));
}

void CMYtoCMYK(double& c, double& m, double& y, double& k) {
  c = Clamp01(c);
  m = Clamp01(m);
  y = Clamp01(y);
  k = std::min({c, m, y});
  c -= k;
  m -= k;
  y -= k;
}

void CMYKtoCMY(double& c, double& m, double& y, double k) {
  c = Clamp01(c + k);
  m = Clamp01(m + k);
  y = Clamp01(y + k);
}

void HSItoRGB(double Hue, double Sat, double Intensity, std::int32_t& r, std::int32_t& g,
              std::int32_t& b) {
  Sat = Clamp01(Sat);
  Intensity = Clamp01(Intensity);
  if (!(Hue >= 0 && Hue < 360)) Hue = 0;  // also catches NaN
  if (Sat == 0) {
    r = g = b = ChannelOf(Intensity);
    return;
  }
  const double h = Hue / 60;
  const auto i = static_cast<int>(std::trunc(h));
  const double f = h - i;
  const double p = (1 - Sat) * Intensity;
  const double q = (1 - Sat * f) * Intensity;
  const double t = (1 - Sat * (1 - f)) * Intensity;
  const double v = Intensity;
  double rr = v, gg = p, bb = q;  // i = 5
  switch (i) {
    case 0:
      rr = v, gg = t, bb = p;
      break;
    case 1:
      rr = q, gg = v, bb = p;
      break;
    case 2:
      rr = p, gg = v, bb = t;
      break;
    case 3:
      rr = p, gg = q, bb = v;
      break;
    case 4:
      rr = t, gg = p, bb = v;
      break;
    default:
      break;
  }
  r = ChannelOf(rr);
  g = ChannelOf(gg);
  b = ChannelOf(bb);
}

void RGBtoHSI(std::int32_t r, std::int32_t g, std::int32_t b, double& Hue, double& Sat,
              double& Intensity) {
  // Channels outside 0..255 are clamped first, so that the model values stay in range.
  r = ClampChannel(r);
  g = ClampChannel(g);
  b = ClampChannel(b);
  enum { red, green, blue } dominant = red;
  std::int32_t max = r;
  if (r < g) {
    max = g;
    dominant = green;
  }
  if (max < b) {
    max = b;
    dominant = blue;
  }
  const std::int32_t min = std::min({r, g, b});
  Intensity = max / 255.0;
  if (max == 0) {
    Sat = 0;
    Hue = 0;
    return;
  }
  Sat = static_cast<double>(max - min) / max;
  if (Sat == 0) {
    Hue = -1.0;
    return;
  }
  const double d = max - min;
  switch (dominant) {
    case red:
      Hue = (g - b) / d;
      break;
    case green:
      Hue = (b - r) / d + 2;
      break;
    case blue:
      Hue = (r - g) / d + 4;
      break;
  }
  Hue *= 60;
  if (Hue < 0) Hue += 360;
}

TColor WavelengthToColor(std::int32_t Wavelength, double Gamma) {
  const double w = Wavelength;
  double R = 0, G = 0, B = 0;
  if (w >= 380 && w < 440) {
    R = (440 - w) / 60, B = 1;
  } else if (w >= 440 && w < 490) {
    G = (w - 440) / 50, B = 1;
  } else if (w >= 490 && w < 510) {
    G = 1, B = (510 - w) / 20;
  } else if (w >= 510 && w < 580) {
    R = (w - 510) / 70, G = 1;
  } else if (w >= 580 && w < 645) {
    R = 1, G = (645 - w) / 65;
  } else if (w >= 645 && w < 780) {
    R = 1;
  }
  double f = 1;
  if (w > 700) f = 0.3 + 0.7 * (780 - w) / 80;
  if (w < 420) f = 0.3 + 0.7 * (w - 380) / 40;
  if (f < 0) f = 0;
  const auto channel = [&](double component) -> std::uint32_t {
    if (f == 0 || component == 0) return 0;
    const double base = component * f;
    // 1 to any power is 1 (also for an infinite or NaN gamma); otherwise a NaN gamma gives a
    // dark channel and a gamma that drives the value beyond 1 a full one.
    const double value = base == 1 ? 1 : std::exp(Gamma * std::log(base));
    return ChannelOf(value);
  };
  return RGB(channel(R), channel(G), channel(B));
}

String ColorToHexStr(TColor c) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  String s(8, u'0');
  for (int i = 7; i >= 0; --i, c >>= 4) s[static_cast<std::size_t>(i)] = kDigits[c & 0xF];
  return s;
}

TColor HexStrToColor(StringView s) {
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
  if (!s.empty() && s.front() == u'$') s.remove_prefix(1);
  std::uint32_t value = 0;
  for (const char16_t ch : s) {
    if (ch == u' ') continue;
    const std::uint32_t digit = detail::HexDigitValue(ch);
    if (digit > 15) break;
    value = (value << 4) | digit;
  }
  return value;
}

}  // namespace kez
