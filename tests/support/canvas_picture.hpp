// Pixel pictures of canvases for the drawing tests: a block of pixels as rows of characters,
// so that an expected drawing reads like the drawing itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kez/platform/graphics.hpp"

namespace kez::test {

// Colours the pictures name: '.' white, '#' black, 'r' red, 'g' green, 'b' blue, 'y' yellow,
// 'c' cyan, 'm' magenta, '?' any other colour.
inline constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
inline constexpr TColor kYellow = 0x00FFFF, kCyan = 0xFFFF00, kMagenta = 0xFF00FF;

inline char PictureChar(TColor C) {
  switch (C) {
    case 0xFFFFFF:
      return '.';
    case 0x000000:
      return '#';
    case kRed:
      return 'r';
    case kGreen:
      return 'g';
    case kBlue:
      return 'b';
    case kYellow:
      return 'y';
    case kCyan:
      return 'c';
    case kMagenta:
      return 'm';
    default:
      return '?';
  }
}

// Picture: the pixels of rows Y0..Y1 and columns X0..X1 (inclusive).
inline std::vector<std::string> Picture(const TCanvas& Canvas, int X0, int Y0, int X1, int Y1) {
  std::vector<std::string> rows;
  for (int y = Y0; y <= Y1; ++y) {
    std::string row;
    for (int x = X0; x <= X1; ++x) row += PictureChar(Canvas.Pixels(x, y));
    rows.push_back(row);
  }
  return rows;
}

// Around: the (2 R + 1)-square picture centred on (X, Y).
inline std::vector<std::string> Around(const TCanvas& Canvas, int X, int Y, int R) {
  return Picture(Canvas, X - R, Y - R, X + R, Y + R);
}

// CountNonWhite: the pixels of the whole canvas that are not white.
inline int CountNonWhite(const TCanvas& Canvas) {
  const TRect r = Canvas.ClipRect();
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y) {
    for (int x = r.Left; x < r.Right; ++x) n += Canvas.Pixels(x, y) != 0xFFFFFF;
  }
  return n;
}

// Prepare: makes Bitmap a white bitmap of the given size with a black pen and a white solid brush.
inline void Prepare(TBitmap& Bitmap, int Width, int Height) {
  Bitmap.SetSize(Width, Height);
  Bitmap.Canvas().Pen().SetColor(0x000000);
  Bitmap.Canvas().Brush().SetColor(0xFFFFFF);
  Bitmap.Canvas().Brush().SetStyle(bsSolid);
}

}  // namespace kez::test
