// Text through FreeType and fontconfig: the face fontconfig matches for a TFont, its metrics
// at the font's pixel size, glyph advances and monochrome glyph pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "kez/platform/graphics_tools.hpp"
#include "kez/platform/graphtypes.hpp"

namespace kez::detail {

// Vertical metrics of a font in pixels: Ascent above and Descent below the baseline; the
// underline's and strike-out's first row as an offset from the baseline (downwards
// positive) and their thickness.
struct TTextMetrics {
  std::int32_t Ascent = 0;
  std::int32_t Descent = 0;
  std::int32_t UnderlineOffset = 1;
  std::int32_t UnderlineThickness = 1;
  std::int32_t StrikeOffset = 0;
  std::int32_t StrikeThickness = 1;
};

TTextMetrics FontTextMetrics(const TFont& Font);

// TextAdvance: the width of Text in pixels.
std::int64_t TextAdvance(const TFont& Font, StringView Text);

// RenderText
// Calls Span(x0, x1, y) for every run of set pixels (x0..x1 inclusive) of the glyphs of
// Text, the first glyph's origin at (X, Baseline). Glyphs entirely outside Clip are not
// rendered.
using TSpanSink = std::function<void(std::int64_t X0, std::int64_t X1, std::int64_t Y)>;
void RenderText(const TFont& Font, StringView Text, std::int64_t X, std::int64_t Baseline,
                const TRect& Clip, const TSpanSink& Span);

// InstalledFontFamilies: every family name fontconfig lists, in no particular order and
// possibly repeated.
std::vector<String> InstalledFontFamilies();

// FontFormatOf: fontconfig's format of the face it matches for the family (as "TrueType",
// "CFF", "Type 1"); empty when it knows none.
String FontFormatOf(StringView Family);

}  // namespace kez::detail
