// The mark sheet: every mark and frame style, enlarged so that each pixel can be counted.
#include "marks.hpp"

#include <memory>

#include "kez/kez.hpp"

using namespace kez;

namespace {

constexpr int kScale = 5;             // sheet pixels per mark pixel
constexpr TColor kGrid = 0xE8E8E8;    // the lines between enlarged pixels
constexpr TColor kCentre = 0xB0B0FF;  // the outline of a mark's centre pixel
constexpr TColor kInk = 0x000000;
constexpr TColor kPaper = 0xFFFFFF;

// Copies Source onto the sheet at (X, Y), each pixel as a kScale square on a grid, and
// outlines the pixel (CentreX, CentreY) unless it is negative.
void Enlarge(TCanvas& Sheet, const TBitmap& Source, int X, int Y, int CentreX, int CentreY) {
  Sheet.Brush().SetStyle(bsSolid);
  Sheet.Brush().SetColor(kGrid);
  Sheet.FillRect({X, Y, X + Source.Width() * kScale + 1, Y + Source.Height() * kScale + 1});
  for (int sy = 0; sy < Source.Height(); ++sy) {
    for (int sx = 0; sx < Source.Width(); ++sx) {
      Sheet.Brush().SetColor(Source.Canvas().Pixels(sx, sy));
      const int x = X + sx * kScale + 1, y = Y + sy * kScale + 1;
      Sheet.FillRect({x, y, x + kScale - 1, y + kScale - 1});
    }
  }
  if (CentreX >= 0) {
    Sheet.Pen().SetColor(kCentre);
    Sheet.Brush().SetStyle(bsClear);
    Sheet.Rectangle(X + CentreX * kScale, Y + CentreY * kScale, X + (CentreX + 1) * kScale + 1,
                    Y + (CentreY + 1) * kScale + 1);
  }
}

void Label(TCanvas& Sheet, int X, int Y, const String& Text) {
  Sheet.Brush().SetStyle(bsClear);
  Sheet.Font().SetColor(kInk);
  Sheet.TextOut(X, Y, Text);
}

}  // namespace

std::unique_ptr<TBitmap> DrawMarkSheet() {
  // Marks are drawn with Size 5: a 17 x 17 bitmap with the centre at (8, 8), room for the
  // stem of the inverted T.
  constexpr int kMarkSize = 5, kSide = 2 * kMarkSize + 7, kCentre = kMarkSize + 3;
  constexpr int kCellW = kSide * kScale + 50, kCellH = kSide * kScale + 16, kColumns = 10;
  const int characters[] = {65, 77, 103, 120, 52, 200, 203, 209};
  const int markCount = 52 + static_cast<int>(std::size(characters));
  const int markRows = (markCount + kColumns - 1) / kColumns;
  constexpr int kTop = 40, kFrameW = 32, kFrameH = 20;
  const int framesTop = kTop + markRows * kCellH + 40;

  auto result = std::make_unique<TBitmap>();
  TBitmap& sheet = *result;
  sheet.SetSize(20 + kColumns * kCellW, framesTop + kFrameH * kScale + 60);
  TCanvas& c = sheet.Canvas();
  c.Brush().SetColor(kPaper);
  c.FillRect({0, 0, sheet.Width(), sheet.Height()});
  c.Font().SetSize(12);
  c.Font().SetStyle({fsBold});
  Label(c, 20, 10, u"kez data-point marks (codes 0-51 geometric, 52-255 characters), enlarged 5x");
  c.Font().SetStyle({});
  c.Font().SetSize(10);

  for (int i = 0; i < markCount; ++i) {
    const int code = i < 52 ? i : characters[i - 52];
    const int x = 20 + (i % kColumns) * kCellW, y = kTop + (i / kColumns) * kCellH;
    const std::unique_ptr<TBitmap> mark =
        CreateMarkAsBitmap(static_cast<std::uint8_t>(code), kInk, kPaper, kMarkSize);
    Enlarge(c, *mark, x, y, kCentre, kCentre);
    Label(c, x + kSide * kScale + 6, y + kSide * kScale / 2 - 8, IntToStr(code));
  }

  c.Font().SetSize(12);
  c.Font().SetStyle({fsBold});
  Label(c, 20, framesTop - 30, u"Frame styles on (4, 4, 27, 15), enlarged 5x");
  c.Font().SetStyle({});
  c.Font().SetSize(10);
  const struct {
    TFrameStyle Style;
    const char16_t* Name;
  } frames[] = {{fsSimple, u"fsSimple"},
                {fsLowered, u"fsLowered"},
                {fsRaised, u"fsRaised"},
                {fsEmbossed, u"fsEmbossed"},
                {fsEngraved, u"fsEngraved"}};
  for (int i = 0; i < 5; ++i) {
    TBitmap frame;
    frame.SetSize(kFrameW, kFrameH);
    frame.Canvas().Brush().SetColor(0xC0C0C0);
    frame.Canvas().FillRect({0, 0, kFrameW, kFrameH});
    DrawFrame(frame.Canvas(), frames[i].Style, 4, 4, 27, 15, 0xFFFFFF, 0xDFDFDF, 0x808080, 0x000000,
              0x800000);
    const int x = 20 + i * (kFrameW * kScale + 30);
    Enlarge(c, frame, x, framesTop, -1, -1);
    Label(c, x, framesTop + kFrameH * kScale + 8, frames[i].Name);
  }

  return result;
}
