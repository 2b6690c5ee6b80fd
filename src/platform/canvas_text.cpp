// The canvas's text: cell background, glyphs, underline and strike-out.
#include <algorithm>
#include <limits>

#include "kez/platform/graphics_canvas.hpp"
#include "platform/canvas_internal.hpp"
#include "platform/fonts_internal.hpp"

namespace kez {
namespace {

std::int32_t Clamp32(std::int64_t Value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      Value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t TCanvas::TextWidth(StringView Text) const {
  return Clamp32(detail::TextAdvance(FFont, Text));
}

std::int32_t TCanvas::TextHeight(StringView) const {
  const detail::TTextMetrics m = detail::FontTextMetrics(FFont);
  return m.Ascent + m.Descent;
}

void TCanvas::TextOut(std::int32_t X, std::int32_t Y, StringView Text) {
  const TRaster r = Raster();
  const detail::TRasterView v{r.Data, r.Width, r.Height, r.Stride};
  const detail::TTextMetrics m = detail::FontTextMetrics(FFont);
  const std::int64_t width = detail::TextAdvance(FFont, Text);
  const std::int64_t baseline = std::int64_t{Y} + m.Ascent;
  if (FBrush.Style() != bsClear) {
    const std::uint32_t back = detail::ToRaster(FBrush.Color());
    const std::int64_t bottom = std::min<std::int64_t>(baseline + m.Descent, r.Height);
    for (std::int64_t y = std::max<std::int64_t>(Y, 0); y < bottom; ++y) {
      detail::FillSpan(v, y, X, X + width - 1, back);
    }
  }
  const std::uint32_t ink = detail::ToRaster(FFont.Color());
  detail::RenderText(FFont, Text, X, baseline, ClipRect(),
                     [&](std::int64_t x0, std::int64_t x1, std::int64_t y) {
                       detail::FillSpan(v, y, x0, x1, ink);
                     });
  const auto rule = [&](std::int64_t top, std::int32_t thickness) {
    for (std::int64_t y = top; y < top + thickness; ++y)
      detail::FillSpan(v, y, X, X + width - 1, ink);
  };
  if (FFont.Style().Contains(fsUnderline)) rule(baseline + m.UnderlineOffset, m.UnderlineThickness);
  if (FFont.Style().Contains(fsStrikeOut)) rule(baseline + m.StrikeOffset, m.StrikeThickness);
  MoveTo(Clamp32(std::int64_t{X} + width), Y);
}

}  // namespace kez
