// Pen, brush and font attributes, and the resolution of system colours.
#include "kez/platform/graphics_tools.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace kez {
namespace {

constexpr TColor Rgb(std::uint32_t R, std::uint32_t G, std::uint32_t B) {
  return R | (G << 8) | (B << 16);
}

// The classic defaults of the system colours, by index (scroll bar, desktop, active caption,
// ... menu bar).
constexpr std::array<TColor, 31> kSystemColors = {
    Rgb(192, 192, 192), Rgb(0, 128, 128),   Rgb(0, 0, 128),     Rgb(128, 128, 128),
    Rgb(192, 192, 192), Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(0, 0, 0),
    Rgb(0, 0, 0),       Rgb(255, 255, 255), Rgb(192, 192, 192), Rgb(192, 192, 192),
    Rgb(128, 128, 128), Rgb(0, 0, 128),     Rgb(255, 255, 255), Rgb(192, 192, 192),
    Rgb(128, 128, 128), Rgb(128, 128, 128), Rgb(0, 0, 0),       Rgb(192, 192, 192),
    Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(223, 223, 223), Rgb(0, 0, 0),
    Rgb(255, 255, 225), Rgb(0, 0, 0),       Rgb(0, 0, 255),     Rgb(16, 132, 208),
    Rgb(181, 181, 181), Rgb(0, 0, 128),     Rgb(192, 192, 192)};

constexpr std::int32_t kMaxPenWidth = 4096;

// -(Value x Numerator / Denominator), rounded half away from zero and held within 32 bits
// (Denominator > 0): the conversion between a font's Size and Height.
std::int32_t NegScaled(std::int32_t Value, std::int32_t Numerator, std::int32_t Denominator) {
  const std::int64_t p = static_cast<std::int64_t>(Value) * Numerator;
  const std::int64_t q =
      p >= 0 ? (p + Denominator / 2) / Denominator : -((-p + Denominator / 2) / Denominator);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      -q, std::numeric_limits<std::int32_t>::min() + 1, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

TColor ColorToRGB(TColor Color) {
  if ((Color >> 24) == 0xFF) {
    const std::uint32_t index = Color & 0xFF;
    return index < kSystemColors.size() ? kSystemColors[index] : 0;
  }
  return Color & 0xFFFFFF;
}

std::int32_t MulDiv(std::int32_t Number, std::int32_t Numerator, std::int32_t Denominator) {
  if (Denominator == 0) return -1;
  std::int64_t p = static_cast<std::int64_t>(Number) * Numerator;
  std::int64_t d = Denominator;
  if (d < 0) {
    p = -p;
    d = -d;
  }
  const std::int64_t q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
  if (q < std::numeric_limits<std::int32_t>::min() || q > std::numeric_limits<std::int32_t>::max())
    return -1;
  return static_cast<std::int32_t>(q);
}

void TGraphicsObject::Changed() {
  CallHandler(FOnChange, this);
}

void TPen::SetColor(TColor Value) {
  FColor = Value;
  Changed();
}

void TPen::SetWidth(std::int32_t Value) {
  FWidth = std::clamp(Value, 1, kMaxPenWidth);
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  FStyle = Value;
  Changed();
}

void TPen::Assign(TPersistent* Source) {
  if (auto* pen = dynamic_cast<TPen*>(Source)) {
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
  FColor = Value;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  FStyle = Value;
  Changed();
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* brush = dynamic_cast<TBrush*>(Source)) {
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

TFont::TFont() : FName(u"DejaVu Sans") {}

void TFont::SetName(String Value) {
  FName = std::move(Value);
  Changed();
}

std::int32_t TFont::Size() const { return NegScaled(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(std::int32_t Value) { SetHeight(NegScaled(Value, FPixelsPerInch, 72)); }

void TFont::SetHeight(std::int32_t Value) {
  FHeight = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  FColor = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  FStyle = Value;
  Changed();
}

void TFont::SetPixelsPerInch(std::int32_t Value) {
  if (Value < 1) return;
  FPixelsPerInch = Value;
  Changed();
}

void TFont::Assign(TPersistent* Source) {
  if (auto* font = dynamic_cast<TFont*>(Source)) {
    FName = font->FName;
    FStyle = font->FStyle;
    FColor = font->FColor;
    FHeight = font->FPixelsPerInch == FPixelsPerInch ? font->FHeight
                                                     : NegScaled(font->Size(), FPixelsPerInch, 72);
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

}  // namespace kez
