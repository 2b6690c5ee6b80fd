// kez demo | units: a tour of the library over the bundled samples, and the unit list.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "cli.hpp"
#include "marks.hpp"

namespace kez::tool {

namespace {

void OutLn(StringView text = {}) { PrintLn(text); }

String Hex32(std::uint32_t v) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  String s(8, u'0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = kDigits[v & 0xF];
  return s;
}

// Reads a ";"-separated file into a string table: the first line names the columns.
bool LoadTable(const String& name, TStringArray& table, std::vector<String>& header) {
  TextFile f(name);
  f.SetErrorMode(iemDeferred);
  f.Reset();
  if (f.IOResult() != 0) return false;
  String line;
  f.ReadLn(line);
  Tokenize(line, u";", header);
  table.Resize(static_cast<std::int32_t>(header.size()), 1);
  std::int32_t row = 0;
  while (!f.Eof()) {
    f.ReadLn(line);
    if (StripLTBlanks(line).empty()) continue;
    std::vector<String> cells;
    Tokenize(line, u";", cells);
    row = row == 0 ? 1 : table.AddRow();
    for (std::size_t c = 0; c < cells.size() && c < header.size(); ++c) {
      table.SetString(static_cast<std::int32_t>(c + 1), row, StringToAnsi(cells[c]));
    }
  }
  f.Close();
  return row > 0;
}

// Describes the sorted table as a feature matrix (a text, a number and a tri-state feature),
// saves it, loads it into a second matrix and shows what came back, and how a component
// words an error.
int FeatureMatrixRoad(const TStringArray& table) {
  TFeatureMatrix matrix(nullptr);
  matrix.SetName(u"Stations");
  matrix.Resize(3, table.NrOfRows());
  const struct {
    const char* Name;
    TFeatKind Kind;
    const char* Comment;
  } features[] = {{"station", fkString, "where it was measured"},
                  {"value", fkDouble, "the reading"},
                  {"temperature", fkTriState, "is the reading a temperature?"}};
  for (std::int32_t f = 1; f <= 3; ++f) {
    TFeatProps props = matrix.GetFeatProps(f);
    props.FeatName = features[f - 1].Name;
    props.FeatKind = features[f - 1].Kind;
    props.Comment = features[f - 1].Comment;
    matrix.SetFeatProps(f, props);
  }
  for (std::int32_t r = 1; r <= table.NrOfRows(); ++r) {
    matrix.SetFeatValStr(1, r, AnsiToString(table.Elem(1, r)));
    matrix.SetFeatValDouble(2, r, table.AsNumber(3, r));
    matrix.SetFeatValTriState(3, r, table.Elem(2, r) == "temperature" ? tsTrue : tsFalse);
  }
  const String file =
      FileArg((std::filesystem::temp_directory_path() / "kez_demo_stations.fm").string());
  matrix.Save(file);
  TFeatureMatrix loaded(nullptr);
  loaded.SetName(u"Loaded");
  const std::int32_t status = loaded.Load(file);
  std::filesystem::remove(std::filesystem::temp_directory_path() / "kez_demo_stations.fm");
  OutLn(u"  saved " + IntToStr(matrix.NObjects()) + u" objects of " + IntToStr(matrix.NFeatures()) +
        u" features; loading gave status " + IntToStr(status) + u", " +
        IntToStr(loaded.NObjects()) + u" objects");
  const std::int32_t value = loaded.FindFeatName(u"value");
  PrintFeatureMatrix(loaded);
  OutLn(u"  object 8: " + loaded.GetFeatValStr(1, 8) + u", value " +
        strff(loaded.GetFeatValDouble(value, 8), 0, 1) + u", temperature " +
        TriStateToStr(loaded.GetFeatValTriState(3, 8), 0));
  try {
    loaded.GetFeatValInt(1, 1);
  } catch (const EKEZDStructError& e) {
    OutLn(u"  reading a text as an integer: " + e.Message());
  }
  return status == 0 && loaded.NObjects() == matrix.NObjects() ? 0 : 1;
}

// The pictures of the tour, written into Pictures (created when missing; a new temporary
// folder when empty).
void DemoPictures(std::string pictures, const TColorArray& palette) {
  if (pictures.empty()) {
    const char* tmpdir = std::getenv("TMPDIR");
    pictures =
        std::string(tmpdir != nullptr && *tmpdir != 0 ? tmpdir : "/tmp") + "/kez-demo-XXXXXX";
    if (mkdtemp(pictures.data()) == nullptr) throw Failure(pictures + ": " + std::strerror(errno));
  }
  OutLn();
  OutLn(u"== Pictures in " + NativeToString(pictures));
  std::error_code ec;
  std::filesystem::create_directories(pictures, ec);
  if (ec) throw Failure(pictures + ": " + ec.message());
  const std::unique_ptr<TBitmap> marks = DrawMarkSheet();
  SavePicture(*marks, pictures + "/marks.png");
  OutLn(u"  marks.png    the data-point marks and frame styles, " + IntToStr(marks->Width()) +
        u" x " + IntToStr(marks->Height()) + u" pixels");
  std::vector<std::pair<TColor, String>> swatches;
  for (std::int32_t i = 1; i <= palette.Size(); i += 8) {
    swatches.emplace_back(palette[i], IntToStr(i) + u"  " + ColorToHexStr(palette[i]));
  }
  const std::unique_ptr<TBitmap> sheet =
      DrawSwatchSheet(u"MorgenStemning, every 8th of 256 entries", swatches, 2);
  SavePicture(*sheet, pictures + "/palette.png");
  OutLn(u"  palette.png  every 8th colour of the palette above, " + IntToStr(sheet->Width()) +
        u" x " + IntToStr(sheet->Height()) + u" pixels");
}

int Demo(const std::string& folder, const std::string& pictures) {
  const std::string csvName = folder + "/measurements.csv";
  const std::string notesName = folder + "/notes.txt";
  const String csv = NativeToString(csvName);
  const String notes = NativeToString(notesName);

  OutLn(u"== A string table from " + csv + u", sorted by station (A-Z folded)");
  TStringArray table(nullptr);
  std::vector<String> header;
  if (!LoadTable(FileArg(csvName), table, header)) {
    throw Failure(csvName + ": cannot read the table");
  }
  table.Sort(1, 2, true);
  double sum = 0;
  std::int32_t count = 0;
  for (std::int32_t r = 1; r <= table.NrOfRows(); ++r) {
    const String station = AnsiToString(table.Elem(1, r));
    const double value = table.AsNumber(3, r);  // "14,1" reads as 14.1
    OutLn(u"  " + LeftString(station, 12) + LeftString(AnsiToString(table.Elem(2, r)), 12) +
          FormatData(value, 7, 1) + u" " + AnsiToString(table.Elem(4, r)));
    if (AnsiToString(table.Elem(2, r)) == u"temperature") sum += value, ++count;
  }
  OutLn(u"  mean temperature " + strff(sum / count, 8, 3) + u" C, as " +
        strff(sum / count, 12, -2) + u" in the compact scientific layout");

  OutLn();
  OutLn(u"== The stations as a feature matrix, saved and loaded again");
  if (const int rc = FeatureMatrixRoad(table); rc != 0) return rc;

  OutLn();
  OutLn(u"== Lines of " + notes + u" matching 'reading [0-9]+'");
  TGrep grep(nullptr);
  grep.SetRegExp(u"reading [0-9]+");
  TextFile f(FileArg(notesName));
  f.Reset();
  while (!f.Eof()) {
    String line;
    f.ReadLn(line);
    std::int32_t pos = 0;
    if (grep.MatchString(line, pos) && grep.MatchEndPos() >= grep.MatchStartPos()) {
      OutLn(u"  " +
            line.substr(static_cast<std::size_t>(grep.MatchStartPos() - 1),
                        static_cast<std::size_t>(grep.MatchEndPos() - grep.MatchStartPos() + 1)) +
            u"   <- " + line.substr(0, 16));
    }
  }
  f.Close();

  OutLn();
  OutLn(u"== Checksums of the samples");
  for (const std::string& name : {csvName, notesName}) {
    InputFile in(name);
    const std::string all = in.ReadAll();
    const std::vector<std::uint8_t> bytes(all.begin(), all.end());
    OutLn(u"  crc32 " +
          Hex32(static_cast<std::uint32_t>(
              CRC32ofBuffer(bytes, static_cast<std::int32_t>(bytes.size())))) +
          u"  sha1 " + LowerCase(SHA1DigestToHex(SHA1FromFile(FileArg(name)))) + u"  " +
          NativeToString(name.substr(name.rfind('/') + 1)));
  }

  OutLn();
  OutLn(u"== Five colours of a 256-entry palette");
  TColorArray palette(nullptr);
  palette.Resize(256);
  palette.FillByInterpolation(0, ColorArray_MorgenStemning);
  for (const std::int32_t ix : {1, 64, 128, 192, 256}) {
    const TColor c = palette[ix];
    OutLn(u"  " + IntToStr(ix) + u"\t" + ColorToHexStr(c) + u"  nearest named colour " +
          NearestNamedColor(c));
  }
  DemoPictures(pictures, palette);
  return 0;
}

int Units() {
  const TPackageInfoTable& table = GetPackageInfoTable();
  for (std::int32_t i = 0; i < table.UnitCount; ++i) OutLn(String(table.Units[i].Name));
  return 0;
}

}  // namespace

void AddDemoCommands(CLI::App& app) {
  auto folder = std::make_shared<std::string>();
  auto pictures = std::make_shared<std::string>();
  CLI::App* demo = app.add_subcommand("demo", "A tour of the library over the sample data");
  demo->add_option("FOLDER", *folder, "The samples folder (default: the bundled samples, see kez samples)");
  demo->add_option("-o,--pictures", *pictures,
                   "Where the tour's pictures go (default: a new folder kez-demo-XXXXXX in the "
                   "temporary folder)");
  OnRun(demo, [folder, pictures] { return Demo(folder->empty() ? SamplesDir() : *folder, *pictures); });
  demo->footer("The tour reads a table, a feature matrix, text and colours from the samples and "
               "draws two pictures.\nExample: kez demo -o pictures");
  auto sample = std::make_shared<std::string>();
  CLI::App* samples = app.add_subcommand("samples", "Print where the bundled sample files are");
  samples->add_option("NAME", *sample, "A sample file: print its path instead of the folder's");
  samples->footer(
      "The samples sit in share/kez/samples beside the installed tool. The examples of the other "
      "commands name them through this command, so they work from any folder.\n"
      "Example: kez tail -n 2 \"$(kez samples notes.txt)\"");
  OnRun(samples, [sample] {
    PrintLn(std::string_view(SamplesDir() + (sample->empty() ? "" : "/" + *sample)));
    return 0;
  });
  CLI::App* units = app.add_subcommand("units", "List the library's units in start order");
  units->footer("Each line names one unit of the library, in the order they start.\n"
                "Example: kez units | head -3");
  OnRun(units, [] { return Units(); });
}

}  // namespace kez::tool
