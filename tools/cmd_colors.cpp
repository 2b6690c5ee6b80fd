// kez color | colors | palette: named colours, colour models and palettes.
#include "cli.hpp"

namespace kez::tool {

namespace {

// "#RRGGBB", the form colours take on the web and in most programs.
std::string WebHex(TColor c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

// The row of the named colour called Name (ignoring ASCII case), 0 if none.
long NamedColorRow(const String& name) {
  for (long row = 1; row <= 466; ++row) {
    if (LowerCase(AllKEZColorNames[row]) == LowerCase(name)) return row;
  }
  return 0;
}

// ---- color -------------------------------------------------------------------------------

struct ColorOptions {
  std::string Name;
  std::vector<double> Hsi;
};

// A colour as its name, "#RRGGBB" or the library's 8-digit value (0x00BBGGRR, "$" allowed).
TColor ParseColor(const std::string& text) {
  const String name = Arg(text);
  if (const long row = NamedColorRow(name)) return AllKEZColors[row];
  String digits = name;
  if (!digits.empty() && digits[0] == u'#') {
    digits.erase(0, 1);
    if (digits.size() == 6 && !StringContainsOtherThan(digits, u"0123456789abcdefABCDEF")) {
      return RRGGBB(HexStrToColor(digits));
    }
    throw Failure("\"" + text + "\": \"#\" must be followed by six hexadecimal digits");
  }
  if (digits.empty() || StringContainsOtherThan(digits, u"0123456789abcdefABCDEF$")) {
    throw Failure("\"" + text + "\": no colour of that name (try 'kez colors')");
  }
  return HexStrToColor(digits);
}

// One of the three numbers of --hsi, refused as a usage error when it lies outside 0 to Most
// (or is not a number).
CLI::Validator HsiPart(const std::string& What, double Most) {
  return CLI::Validator(
      [What, Most](std::string& v) {
        double x = 0;
        const bool ok = CLI::detail::lexical_cast(v, x) && x >= 0 && x <= Most;
        return ok ? std::string()
                  : What + " is 0 to " + (Most == 1 ? std::string("1") : "360 degrees") +
                        ", not " + v;
      },
      "");
}

int ShowColor(const ColorOptions& o) {
  TColor c = 0;
  if (!o.Hsi.empty()) {
    std::int32_t r, g, b;
    HSItoRGB(o.Hsi[0], o.Hsi[1], o.Hsi[2], r, g, b);
    c = RGB(static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(g),
            static_cast<std::uint32_t>(b));
  } else {
    c = ParseColor(o.Name);
  }
  double hue, sat, intensity, cy, ma, ye, k;
  RGBtoHSI(GetRValue(c), GetGValue(c), GetBValue(c), hue, sat, intensity);
  RGBtoCMY(GetRValue(c), GetGValue(c), GetBValue(c), cy, ma, ye);
  CMYtoCMYK(cy, ma, ye, k);
  PrintLn(U8(ObtainColorName(c)) + "  " + U8(ColorToHexStr(c)) + "  " + WebHex(c) + "  rgb(" +
          std::to_string(GetRValue(c)) + ", " + std::to_string(GetGValue(c)) + ", " +
          std::to_string(GetBValue(c)) + ")");
  PrintLn(u"HSI  hue " + strff(hue, 0, 1) + u", saturation " + strff(sat, 0, 3) + u", intensity " +
          strff(intensity, 0, 3));
  PrintLn(u"CMYK " + CreateParList({cy, ma, ye, k}, false) + u", grey level " +
          IntToStr(ColorToGray(c)));
  PrintLn(u"nearest named colour " + NearestNamedColor(c));
  return 0;
}

void AddColor(CLI::App& app) {
  auto o = std::make_shared<ColorOptions>();
  CLI::App* cmd = app.add_subcommand("color", "Show a colour in the RGB, HSI and CMYK models");
  CLI::Option* name = cmd->add_option(
      "COLOR", o->Name,
      "A colour name (any case), #RRGGBB, or the library's hexadecimal value 00BBGGRR");
  CLI::Option* hsi = cmd->add_option("--hsi", o->Hsi,
                                     "The colour of hue (degrees), saturation and intensity "
                                     "(0 to 1)")
                         ->expected(3)
                         ->check(HsiPart("the hue", 360).application_index(0))
                         ->check(HsiPart("the saturation", 1).application_index(1))
                         ->check(HsiPart("the intensity", 1).application_index(2));
  name->excludes(hsi);
  cmd->require_option(1);
  cmd->footer("Example: kez color RebeccaPurple; kez color '#FF8000'; kez color --hsi 120 1 0.5");
  OnRun(cmd, [o] { return ShowColor(*o); });
}

// ---- colors ------------------------------------------------------------------------------

int ListColors(const std::string& png) {
  if (!png.empty()) {
    std::vector<std::pair<TColor, String>> swatches;
    for (long row = 1; row <= 466; ++row) {
      swatches.emplace_back(AllKEZColors[row], String(AllKEZColorNames[row]) + u"  " +
                                                   Utf8ToString(WebHex(AllKEZColors[row])));
    }
    SavePicture(*DrawSwatchSheet(u"The 466 named colours of kez", swatches, 6), png);
    return 0;
  }
  std::vector<std::vector<std::string>> rows;
  for (long row = 1; row <= 466; ++row) {
    const TColor c = AllKEZColors[row];
    rows.push_back({U8(AllKEZColorNames[row]), U8(ColorToHexStr(c)), WebHex(c)});
  }
  PrintTable(rows, {});
  return 0;
}

void AddColors(CLI::App& app) {
  auto png = std::make_shared<std::string>();
  CLI::App* cmd = app.add_subcommand("colors", "List the 466 named colours");
  cmd->add_option("--png", *png, "Draw them as a sheet of swatches into this PNG file instead");
  cmd->footer(
      "Each line: the name, the library's value 00BBGGRR and #RRGGBB.\n"
      "Example: kez colors --png colors.png");
  OnRun(cmd, [png] { return ListColors(*png); });
}

// ---- palette -----------------------------------------------------------------------------

struct PaletteOptions {
  std::string Name;
  std::int32_t Entries = 16;
  bool EntriesGiven = false;
  std::string Out;
  std::string Png;
};

struct NamedPalette {
  const char* Name;
  std::span<const TColor> Colors;
};

const NamedPalette kPalettes[] = {
    {"geo1", ColorArray_Geo1},        {"geo2", ColorArray_Geo2},
    {"geo3", ColorArray_Geo3},        {"rainbow", ColorArray_Rainbow},
    {"circle", ColorArray_Circle},    {"morgenstemning", ColorArray_MorgenStemning},
    {"contrast", ColorArray_Contrast}};

// Palettes up to this many entries are drawn as swatches with their values; longer ones as a
// continuous colour bar with a scale.
constexpr std::int32_t kMostSwatches = 256;

// The palette NAME interpolated to the number of entries, or the colour-array file NAME.
void MakePalette(const PaletteOptions& o, TColorArray& palette) {
  for (const NamedPalette& p : kPalettes) {
    if (LowerCase(Arg(p.Name)) == LowerCase(Arg(o.Name))) {
      palette.Resize(o.Entries);
      palette.FillByInterpolation(0, p.Colors);
      return;
    }
  }
  LocalFile file(o.Name);
  if (!palette.LoadFromFile(file.Path(), true)) {
    throw Failure(o.Name +
                  ": not a colour-array file (a line \"FIRST LAST\", then one "
                  "hexadecimal colour per line)");
  }
  if (o.EntriesGiven && o.Entries != palette.Size()) {
    TColorArray loaded(nullptr);
    loaded.Assign(&palette);
    std::vector<TColor> colors;
    for (std::int32_t i = 1; i <= loaded.Size(); ++i) colors.push_back(loaded[i]);
    palette.Resize(o.Entries);
    palette.FillByInterpolation(0, colors);
  }
}

int ShowPalette(const PaletteOptions& o) {
  TColorArray palette(nullptr);
  MakePalette(o, palette);
  if (!o.Out.empty()) {
    OutputFile out(o.Out);
    out.WriteByName([&](const String& path) {
      if (!palette.StoreOnFile(1, palette.Size(), path))
        throw Failure(out.Name() + ": write error");
    }, ".pal");
    out.Commit();
    return 0;
  }
  if (!o.Png.empty() && palette.Size() > kMostSwatches) {
    std::vector<TColor> colors;
    for (std::int32_t i = 1; i <= palette.Size(); ++i) colors.push_back(palette[i]);
    SavePicture(*DrawColorBar(u"Palette " + Arg(o.Name) + u", " + IntToStr(palette.Size()) +
                                  u" entries",
                              colors),
                o.Png);
    return 0;
  }
  if (!o.Png.empty()) {
    std::vector<std::pair<TColor, String>> swatches;
    for (std::int32_t i = 1; i <= palette.Size(); ++i) {
      swatches.emplace_back(palette[i], IntToStr(i) + u"  " + Utf8ToString(WebHex(palette[i])));
    }
    SavePicture(*DrawSwatchSheet(u"Palette " + Arg(o.Name), swatches, (palette.Size() + 31) / 32),
                o.Png);
    return 0;
  }
  std::vector<std::vector<std::string>> rows;
  for (std::int32_t i = 1; i <= palette.Size(); ++i) {
    const TColor c = palette[i];
    rows.push_back({std::to_string(i), U8(ColorToHexStr(c)), WebHex(c), U8(NearestNamedColor(c))});
  }
  PrintTable(rows, {true});
  return 0;
}

void AddPalette(CLI::App& app) {
  auto o = std::make_shared<PaletteOptions>();
  CLI::App* cmd =
      app.add_subcommand("palette", "Show a palette, or write it as a colour-array file");
  std::string names;
  for (const NamedPalette& p : kPalettes) names += std::string(names.empty() ? "" : ", ") + p.Name;
  std::vector<std::string> paletteNames;
  for (const NamedPalette& p : kPalettes) paletteNames.push_back(p.Name);
  CompleteWith(cmd->add_option("PALETTE", o->Name, "A predefined palette (" + names + ") or a colour-array file")
      ->required(), paletteNames);
  cmd->add_option("-e,--entries", o->Entries,
                  "Number of entries the palette's colours are spread over (1 to 65536; a "
                  "file keeps its own unless this is given)")
      ->check(CLI::Range(1, 65536))
      ->each([o](const std::string&) { o->EntriesGiven = true; })
      ->capture_default_str();
  cmd->add_option("-o,--output", o->Out, "Write the palette as a colour-array file");
  cmd->add_option("--png", o->Png, "Draw the palette into this PNG file: swatches up to 256 entries, a colour bar with a scale beyond");
  cmd->footer(
      "Each line: the index, the library's value 00BBGGRR, #RRGGBB and the nearest named "
      "colour.\nExample: kez palette rainbow --entries 8 --png rainbow.png");
  OnRun(cmd, [o] { return ShowPalette(*o); });
}

}  // namespace

String NearestNamedColor(TColor c) {
  long best = 1;
  for (long row = 2; row <= 466; ++row) {
    if (RGBColorDistance(c, AllKEZColors[row]) < RGBColorDistance(c, AllKEZColors[best]))
      best = row;
  }
  return String(AllKEZColorNames[best]);
}

void AddColorCommands(CLI::App& app) {
  AddColor(app);
  AddColors(app);
  AddPalette(app);
}

}  // namespace kez::tool
