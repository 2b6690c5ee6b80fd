/// @file
/// Colour conversions: interpolation, grey levels, distance, random colours, the CMY, CMYK
/// and HSI models, wavelengths and hexadecimal text. Included through kez/kezcolors.hpp.
///
/// A TColor holds red in bits 0-7, green in 8-15 and blue in 16-23. These functions take the
/// three low bytes as they stand (a system-colour reference is not resolved) and build
/// colours with the high byte 0. Interpolations truncate toward zero; every other conversion
/// rounds to the nearest integer with ties to even. No input raises or leaves the model's
/// range: a NaN counts as 0 where a value is clamped, infinities clamp like other values.
///
/// @code
///   kez::InterpolateColor(kez::clBlack, kez::clWhite, 0.5)   // 0x007F7F7F
///   kez::ColorToHexStr(0x000000FF)                            // u"000000FF" (pure red)
/// @endcode
///
/// Threads: every function here may run in several threads at once, except RandomColor, which
/// advances the process-wide random seed (see kez/platform/random.hpp). The colour-name tables
/// are constant.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

inline constexpr TColor clBlack = 0x00000000;  ///< Black (0, 0, 0).
inline constexpr TColor clWhite = 0x00FFFFFF;  ///< White (255, 255, 255).
/// The special values: no colour, and the default colour.
inline constexpr TColor clNone = 0x1FFFFFFF;  ///< No colour.
inline constexpr TColor clDefault = 0x20000000;  ///< The default colour of its element.

/// RGB
/// The colour of three channel values (each taken modulo 256).
constexpr TColor RGB(std::uint32_t R, std::uint32_t G, std::uint32_t B) {
  return (R & 0xFF) | ((G & 0xFF) << 8) | ((B & 0xFF) << 16);
}

/// RRGGBB
/// The colour written as hexadecimal RRGGBB (red first), as colours are usually written.
constexpr TColor RRGGBB(std::uint32_t Hex) { return RGB(Hex >> 16, Hex >> 8, Hex); }

/// GetRValue / GetGValue / GetBValue: the channels of a colour.
///@{
constexpr std::uint8_t GetRValue(TColor C) { return static_cast<std::uint8_t>(C); }
constexpr std::uint8_t GetGValue(TColor C) { return static_cast<std::uint8_t>(C >> 8); }
constexpr std::uint8_t GetBValue(TColor C) { return static_cast<std::uint8_t>(C >> 16); }
///@}

/// InterpolateColor
/// The colour at x between c1 (x = 0) and c2 (x = 1); x is clamped to [0, 1] and each
/// channel is trunc(a + (b - a) * x).
TColor InterpolateColor(TColor c1, TColor c2, double x);

/// Interpolate3Colors
/// Through c1 (x = 0), c2 (x = 0.5) and c3 (x = 1), each half as InterpolateColor.
TColor Interpolate3Colors(TColor c1, TColor c2, TColor c3, double x);

/// MeanColor: InterpolateColor(c1, c2, 0.5).
TColor MeanColor(TColor c1, TColor c2);

/// ReverseRGBColor: red and blue exchanged. InvertColor: each channel 255 - value.
///@{
TColor ReverseRGBColor(TColor c);
TColor InvertColor(TColor c);
///@}

/// RGBtoGray
/// round(0.3 r + 0.59 g + 0.11 b), computed exactly in integers so that exact ties go to the
/// even neighbour (RGBtoGray(0, 44, 14) is 28). Channels outside 0..255 are taken as they
/// are; the result lies between the smallest and the largest of them.
std::int32_t RGBtoGray(std::int32_t r, std::int32_t g, std::int32_t b);

/// RGBtoGrayColor
/// The grey colour whose three channels are RGBtoGray(r, g, b), clamped to 0..255 for
/// channel values outside that range.
TColor RGBtoGrayColor(std::int32_t r, std::int32_t g, std::int32_t b);

/// ColorToGray / ColorToGrayColor: the same for the channels of a colour.
///@{
std::int32_t ColorToGray(TColor c);
TColor ColorToGrayColor(TColor c);
///@}

/// RGBColorDistance
/// sqrt((dr^2 + dg^2 + db^2) / (3 * 255^2)): 0 for equal colours, 1 for black and white.
double RGBColorDistance(TColor c1, TColor c2);

/// RandomColor
/// A colour of three draws from the process-wide generator, blue first, then green, then
/// red. The range form draws low + Random(high - low + 1) for each channel, wrapped to a byte;
/// a channel whose high lies below its low gives its low.
///@{
TColor RandomColor();
TColor RandomColor(std::uint8_t LoR, std::uint8_t HiR, std::uint8_t LoG, std::uint8_t HiG,
                   std::uint8_t LoB, std::uint8_t HiB);
///@}

/// RGBtoCMY / CMYtoRGB
/// c = 1 - r/255 and so on; back, each input is clamped to [0, 1] (NaN as 0) and the channel
/// is round((1 - c) * 255).
///@{
void RGBtoCMY(std::uint8_t r, std::uint8_t g, std::uint8_t b, double& c, double& m, double& y);
void CMYtoRGB(double c, double m, double y, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b);
///@}

/// CMYtoCMYK / CMYKtoCMY
/// c, m, y clamped to [0, 1], k = their minimum, each reduced by k; back, each increased by k
/// and clamped to [0, 1].
///@{
void CMYtoCMYK(double& c, double& m, double& y, double& k);
void CMYKtoCMY(double& c, double& m, double& y, double k);
///@}

/// HSItoRGB
/// Hue in degrees (below 0, from 360 on, infinite or NaN taken as 0), saturation and
/// intensity clamped to [0, 1], NaN as 0 (the hue/saturation/value model); channels 0..255.
void HSItoRGB(double Hue, double Sat, double Intensity, std::int32_t& r, std::int32_t& g,
              std::int32_t& b);

/// RGBtoHSI
/// The inverse: intensity = max / 255, saturation = (max - min) / max, hue in [0, 360). Black
/// gives hue 0; a colour without hue (grey, white) gives hue -1. Channels outside 0..255 are
/// clamped to that range first.
void RGBtoHSI(std::int32_t r, std::int32_t g, std::int32_t b, double& Hue, double& Sat,
              double& Intensity);

/// WavelengthToColor
/// The colour of light of the given wavelength in nanometres (380 to 779; black outside),
/// dimmed toward both ends of the range, with the gamma applied to each channel as
/// (component * dimming)^gamma. A gamma that drives a channel beyond full gives a full
/// channel (a negative gamma brightens); a NaN gamma darkens every channel below full.
TColor WavelengthToColor(std::int32_t Wavelength, double Gamma);

/// ColorToHexStr
/// The whole 32-bit value as 8 upper-case hexadecimal digits ("000000FF" is pure red).
String ColorToHexStr(TColor c);

/// HexStrToColor
/// Reads hexadecimal digits in either case: blanks around are removed, one leading "$" is
/// allowed, blanks between digits are skipped, and the first other character ends the number
/// (the value read so far is the result). More than 8 digits keep the last 8; an empty text
/// gives 0. The high byte is kept ("$FF000000" has it set).
TColor HexStrToColor(StringView s);

KEZ_API_END
}  // namespace kez
