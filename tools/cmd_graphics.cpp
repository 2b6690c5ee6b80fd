// kez marks, and the picture helpers of the colour commands: sheets drawn on a TBitmap and
// saved as PNG.
#include <sys/stat.h>

#include "cli.hpp"
#include "marks.hpp"

namespace kez::tool {

namespace {

constexpr TColor kInk = 0x000000;
constexpr TColor kPaper = 0xFFFFFF;
constexpr TColor kEdge = 0x808080;

void AddMarks(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  CLI::App* cmd =
      app.add_subcommand("marks", "Draw the sheet of data-point marks and frame styles");
  cmd->add_option("--png", *file, "The PNG file to write (\"-\" for standard output)")->required();
  cmd->footer(
      "Every mark (codes 0-51 geometric, some character marks) and frame style, each pixel "
      "enlarged five times on a grid.\nExample: kez marks --png marks.png");
  OnRun(cmd, [file] {
    const std::unique_ptr<TBitmap> sheet = DrawMarkSheet();
    SavePicture(*sheet, *file);
    if (!IsStdin(*file)) {
      PrintLn(*file + ": " + std::to_string(sheet->Width()) + " x " +
              std::to_string(sheet->Height()) + " pixels");
    }
    return 0;
  });
}

// The sheets' title: 12 points bold at the top left margin.
void UseTitleFont(TCanvas& c) {
  c.Font().SetSize(12);
  c.Font().SetStyle({fsBold});
}

// Paints the whole sheet in paper colour and writes Title on it; the canvas is left with a
// clear brush and the title font.
void PaintPaperAndTitle(TBitmap& Sheet, StringView Title, std::int32_t Margin) {
  TCanvas& c = Sheet.Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(kPaper);
  c.FillRect({0, 0, Sheet.Width(), Sheet.Height()});
  c.Font().SetColor(kInk);
  UseTitleFont(c);
  c.Brush().SetStyle(bsClear);
  c.TextOut(Margin, Margin, Title);
}

}  // namespace

std::unique_ptr<TBitmap> DrawSwatchSheet(StringView Title,
                                         const std::vector<std::pair<TColor, String>>& Swatches,
                                         std::int32_t Columns) {
  constexpr std::int32_t kMargin = 16, kSwatchW = 48, kSwatchH = 24, kGap = 6, kRowH = kSwatchH + 6;
  auto sheet = std::make_unique<TBitmap>();
  TBitmap probe;
  probe.SetSize(1, 1);
  probe.Canvas().Font().SetSize(9);
  std::int32_t labelW = 0;
  for (const auto& [colour, label] : Swatches) {
    labelW = std::max(labelW, probe.Canvas().TextWidth(label));
  }
  UseTitleFont(probe.Canvas());
  const std::int32_t titleW = probe.Canvas().TextWidth(Title);
  const std::int32_t cellW = kSwatchW + kGap + labelW + 2 * kGap;
  const auto count = static_cast<std::int32_t>(Swatches.size());
  Columns = std::clamp(Columns, 1, std::max(1, count));
  const std::int32_t rows = (count + Columns - 1) / Columns;
  constexpr std::int32_t kTop = kMargin + 28;
  sheet->SetSize(2 * kMargin + std::max(Columns * cellW, titleW), kTop + rows * kRowH + kMargin);
  PaintPaperAndTitle(*sheet, Title, kMargin);
  TCanvas& c = sheet->Canvas();
  c.Font().SetStyle({});
  c.Font().SetSize(9);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t x = kMargin + (i / rows) * cellW, y = kTop + (i % rows) * kRowH;
    c.Pen().SetColor(kEdge);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Swatches[static_cast<std::size_t>(i)].first & 0xFFFFFF);
    c.Rectangle(x, y, x + kSwatchW, y + kSwatchH);
    c.Brush().SetStyle(bsClear);
    const String& label = Swatches[static_cast<std::size_t>(i)].second;
    c.TextOut(x + kSwatchW + kGap, y + (kSwatchH - c.TextHeight(label)) / 2, label);
  }
  return sheet;
}

std::unique_ptr<TBitmap> DrawColorBar(StringView Title, const std::vector<TColor>& Colors) {
  constexpr std::int32_t kMargin = 16, kBarH = 48, kTick = 5, kMaxBarW = 1024;
  constexpr std::int32_t kTop = kMargin + 28;
  const auto count = static_cast<std::int32_t>(Colors.size());
  const std::int32_t barW = std::clamp(count, 1, kMaxBarW);
  auto sheet = std::make_unique<TBitmap>();
  TBitmap probe;
  probe.SetSize(1, 1);
  UseTitleFont(probe.Canvas());
  const std::int32_t titleW = probe.Canvas().TextWidth(Title);
  // Room on either side for half of the widest scale label.
  probe.Canvas().Font().SetStyle({});
  probe.Canvas().Font().SetSize(9);
  const std::int32_t side = kMargin + probe.Canvas().TextWidth(IntToStr(count)) / 2;
  const std::int32_t labelH = probe.Canvas().TextHeight(u"0");
  sheet->SetSize(std::max(2 * side + barW, 2 * kMargin + titleW),
                 kTop + kBarH + kTick + 2 + labelH + kMargin);
  PaintPaperAndTitle(*sheet, Title, kMargin);
  TCanvas& c = sheet->Canvas();
  // Column x shows the entry nearest to its place along the palette, so the first and the
  // last column show the first and the last entry.
  const auto entryAt = [&](std::int32_t x) -> std::int32_t {
    if (barW == 1) return 0;
    return static_cast<std::int32_t>((static_cast<std::int64_t>(x) * (count - 1) * 2 + (barW - 1)) /
                                     (2 * static_cast<std::int64_t>(barW - 1)));
  };
  c.Brush().SetStyle(bsSolid);
  for (std::int32_t x = 0; x < barW && count > 0; ++x) {
    c.Brush().SetColor(Colors[static_cast<std::size_t>(entryAt(x))] & 0xFFFFFF);
    c.FillRect({side + x, kTop, side + x + 1, kTop + kBarH});
  }
  c.Brush().SetStyle(bsClear);
  c.Pen().SetColor(kEdge);
  c.Rectangle(side - 1, kTop - 1, side + barW + 1, kTop + kBarH + 1);
  // The scale: entry numbers (1-based) at the ends and at eight even steps between.
  c.Font().SetStyle({});
  c.Font().SetSize(9);
  c.Pen().SetColor(kInk);
  constexpr std::int32_t kSteps = 8;
  std::int32_t lastRight = -1;
  for (std::int32_t k = 0; k <= kSteps; ++k) {
    const std::int32_t x = barW == 1 ? 0 : static_cast<std::int32_t>(
                                               static_cast<std::int64_t>(k) * (barW - 1) / kSteps);
    const String label = IntToStr(entryAt(x) + 1);
    const std::int32_t w = c.TextWidth(label);
    const std::int32_t left = side + x - w / 2;
    if (left <= lastRight + 4) continue;  // too close to the previous label on a narrow bar
    c.MoveTo(side + x, kTop + kBarH + 1);
    c.LineTo(side + x, kTop + kBarH + 1 + kTick);
    c.TextOut(left, kTop + kBarH + kTick + 2, label);
    lastRight = left + w;
  }
  return sheet;
}

void SavePicture(const TBitmap& Picture, const std::string& Name) {
  // The ending guards names of files; a pipe or device (/dev/stdout, a FIFO) takes the
  // bytes as they are.
  struct stat st {};
  const bool special =
      stat(Name.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
  if (!IsStdin(Name) && !special && LowerCase(Arg(Name)).ends_with(u".png") == false) {
    throw Failure(Name + ": the picture is written as PNG; give the name the ending .png");
  }
  OutputFile out(Name);
  out.WriteByName([&](const String& path) { Picture.SaveToFile(path); }, ".png");
  out.Commit();
}

void AddGraphicsCommands(CLI::App& app) { AddMarks(app); }

}  // namespace kez::tool
