// Frames, printing of bitmaps and the font helpers.
#include <algorithm>
#include <limits>

#include "kez/kezbase.hpp"

namespace kez {
namespace {

std::int32_t Clamp32(std::int64_t V) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      V, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void DrawRectangle(TCanvas& Canvas, std::int32_t Left, std::int32_t Top, std::int32_t Right,
                   std::int32_t Bottom) {
  Canvas.MoveTo(Left, Top);
  Canvas.LineTo(Left, Bottom);
  Canvas.LineTo(Right, Bottom);
  Canvas.LineTo(Right, Top);
  Canvas.LineTo(Left, Top);
}

void DrawFrame(TCanvas& Canvas, TFrameStyle Style, std::int32_t Left, std::int32_t Top,
               std::int32_t Right, std::int32_t Bottom, TColor ColorHighLight, TColor ColorLight,
               TColor ColorShadow, TColor ColorDarkShadow, TColor ColorLine) {
  TColor outerTL, outerBR, innerTL, innerBR;
  switch (Style) {
    case fsSimple:
      Canvas.Pen().SetColor(ColorLine);
      DrawRectangle(Canvas, Left, Top, Right, Bottom);
      return;
    case fsLowered:
      outerTL = ColorShadow, outerBR = ColorHighLight, innerTL = ColorDarkShadow;
      innerBR = ColorLight;
      break;
    case fsRaised:
      outerTL = ColorHighLight, outerBR = ColorDarkShadow, innerTL = ColorLight;
      innerBR = ColorShadow;
      break;
    case fsEmbossed:
      outerTL = ColorHighLight, outerBR = ColorShadow, innerTL = ColorShadow;
      innerBR = ColorHighLight;
      break;
    case fsEngraved:
      outerTL = ColorShadow, outerBR = ColorHighLight, innerTL = ColorHighLight;
      innerBR = ColorShadow;
      break;
    default:  // fsNone and values beyond the enumeration
      return;
  }
  // Offsets from the edges are taken in 64 bits, so that a frame on the 32-bit limits
  // cannot overflow; such points lie far off any canvas.
  const std::int64_t L = Left, T = Top, R = Right, B = Bottom;
  TPen& pen = Canvas.Pen();
  pen.SetColor(outerTL);
  Canvas.MoveTo(Left, Bottom);
  Canvas.LineTo(Left, Top);
  Canvas.LineTo(Clamp32(R + 1), Top);
  Canvas.MoveTo(Right, Clamp32(T + 1));
  pen.SetColor(outerBR);
  Canvas.LineTo(Right, Bottom);
  Canvas.LineTo(Clamp32(L - 1), Bottom);
  pen.SetColor(innerTL);
  Canvas.MoveTo(Clamp32(L + 1), Clamp32(B - 1));
  Canvas.LineTo(Clamp32(L + 1), Clamp32(T + 1));
  Canvas.LineTo(Right, Clamp32(T + 1));
  Canvas.MoveTo(Clamp32(R - 1), Clamp32(T + 2));
  pen.SetColor(innerBR);
  Canvas.LineTo(Clamp32(R - 1), Clamp32(B - 1));
  Canvas.LineTo(Left, Clamp32(B - 1));
}

void PrintBitmap(const TBitmap& Bitmap, std::int32_t X, std::int32_t Y) {
  Printer().Canvas().Draw(X, Y, Bitmap);
}

bool FontIsTrueType(StringView FontName) {
  const std::int32_t index = Screen().IndexOfFont(FontName);
  if (index < 0) throw EKEZError(u"Font \"" + String(FontName) + u"\" is not installed");
  return Screen().FontFormat(Screen().Fonts()[index]) == u"TrueType";
}

void SetCanvasFontSizeScaled(TCanvas& Canvas, std::int32_t Size) {
  TFont& font = Canvas.Font();
  const std::int32_t screen = Screen().PixelsPerInch();
  if (font.PixelsPerInch() == screen) {
    font.SetSize(Size);
    return;
  }
  const std::int32_t own = font.PixelsPerInch();
  font.SetPixelsPerInch(screen);
  font.SetSize(Size);
  font.SetPixelsPerInch(own);
}

}  // namespace kez
