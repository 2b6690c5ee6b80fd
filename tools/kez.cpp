// kez: the library's command-line tool. Every command is a thin layer over one unit, so the
// tool doubles as a worked example of the library's API.
//
//   kez demo tools/samples        a tour over the bundled sample data
//   kez crc32 FILE...             CRC-32 of files (also crc16, sha1)
//   kez grep [-i] PATTERN FILE... lines matching a kez regular expression
//   kez format VALUE WIDTH DEC    the number layouts of strff and FormatData
//   kez color NAME|HEX            a named colour and its models
//   kez ascii85 encode|decode IN OUT
//   kez html urlencode TEXT       URL coding, page text, pages from templates
//   kez units                     the library's units in start order
//   kez marks --png FILE          a sheet of the data-point marks and frame styles
#include "kez/kez.hpp"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "marks.hpp"

namespace {

using namespace kez;

void Out(StringView text) { std::fputs(StringToUtf8(text).c_str(), stdout); }
void OutLn(StringView text = {}) {
  Out(text);
  std::fputc('\n', stdout);
}

String Arg(const char* a) { return Utf8ToString(a); }

String Hex32(std::uint32_t v) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  String s(8, u'0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = kDigits[v & 0xF];
  return s;
}

// The bytes of a file, or false (with a message) when it cannot be read.
bool ReadFileBytes(const String& name, std::vector<std::uint8_t>& bytes) {
  try {
    TMemoryStream m;
    m.LoadFromFile(name);
    bytes.assign(m.Memory(), m.Memory() + m.Size());
    return true;
  } catch (const Exception& e) {
    std::fprintf(stderr, "kez: %s\n", e.what());
    return false;
  }
}

int Checksums(const char* kind, std::span<char*> files) {
  int rc = 0;
  for (char* file : files) {
    const String name = Arg(file);
    String value;
    if (std::strcmp(kind, "sha1") == 0) {
      try {
        value = LowerCase(SHA1DigestToHex(SHA1FromFile(name)));
      } catch (const Exception& e) {
        std::fprintf(stderr, "kez: %s\n", e.what());
        rc = 1;
        continue;
      }
    } else {
      std::vector<std::uint8_t> bytes;
      if (!ReadFileBytes(name, bytes)) {
        rc = 1;
        continue;
      }
      if (std::strcmp(kind, "crc32") == 0) {
        value = Hex32(static_cast<std::uint32_t>(
            CRC32ofBuffer(bytes, static_cast<std::int32_t>(bytes.size()))));
      } else {
        value = Hex32(CRC16ofBuffer(bytes, static_cast<std::int32_t>(bytes.size()), crcZModem))
                    .substr(4);
      }
    }
    OutLn(value + u"  " + name);
  }
  return rc;
}

// Prints the lines of a text file that TGrep matches; the exit code tells whether any did.
int Grep(bool ignoreCase, const String& pattern, std::span<char*> files) {
  TGrep grep(nullptr);
  grep.SetStopOnError(true);
  grep.SetIgnoreCase(ignoreCase);
  try {
    grep.SetRegExp(pattern);
  } catch (const EKEZStringlError& e) {
    std::fprintf(stderr, "kez: %s\n", e.what());
    return 2;
  }
  bool any = false;
  for (char* file : files) {
    TextFile f(Arg(file));
    f.SetErrorMode(iemDeferred);
    f.Reset();
    if (const int code = f.IOResult(); code != 0) {
      std::fprintf(stderr, "kez: %s: %s\n", file, StringToUtf8(IOErrorText(code)).c_str());
      continue;
    }
    for (std::int32_t lineNo = 1; !f.Eof(); ++lineNo) {
      String line;
      f.ReadLn(line);
      std::int32_t pos = 0;
      if (grep.MatchString(line, pos)) {
        any = true;
        if (files.size() > 1) Out(Arg(file) + u":");
        OutLn(IntToStr(lineNo) + u": " + line);
      }
    }
    f.Close();
  }
  return any ? 0 : 1;
}

int Format(const char* value, const char* width, const char* decimals) {
  double v = 0;
  std::int32_t w = 0, d = 0;
  if (!TryStrToFloat(Arg(value), v) || !TryStrToInt(Arg(width), w) ||
      !TryStrToInt(Arg(decimals), d)) {
    std::fprintf(stderr, "kez: format needs a number, a width and a count of decimals\n");
    return 2;
  }
  OutLn(u"strff          [" + strff(v, w, d) + u"]");
  OutLn(u"strffForcePlus [" + strffForcePlus(v, w, d) + u"]");
  OutLn(u"FormatData     [" + FormatData(v, w, d) + u"]");
  OutLn(u"SigDigStr      [" + SigDigStr(v, w, d < 1 ? 1 : d) + u"]");
  OutLn(u"AutoFormatData [" + AutoFormatData(v, d < 0 ? 3 : d) + u"]");
  return 0;
}

// A colour given by name (any case) or as hexadecimal text with its models.
int Color(const String& name) {
  TColor c = 0;
  bool found = false;
  for (long row = 1; row <= 466 && !found; ++row) {
    if (LowerCase(AllKEZColorNames[row]) == LowerCase(name)) {
      c = AllKEZColors[row];
      found = true;
    }
  }
  if (!found) {
    if (name.empty() || StringContainsOtherThan(name, u"0123456789abcdefABCDEF$ ")) {
      std::fprintf(stderr, "kez: no colour named %s\n", StringToUtf8(name).c_str());
      return 2;
    }
    c = HexStrToColor(name);
  }
  double hue, sat, intensity, cy, ma, ye, k;
  RGBtoHSI(GetRValue(c), GetGValue(c), GetBValue(c), hue, sat, intensity);
  RGBtoCMY(GetRValue(c), GetGValue(c), GetBValue(c), cy, ma, ye);
  CMYtoCMYK(cy, ma, ye, k);
  OutLn(ObtainColorName(c) + u"  " + ColorToHexStr(c) + u"  rgb(" + IntToStr(GetRValue(c)) + u", " +
        IntToStr(GetGValue(c)) + u", " + IntToStr(GetBValue(c)) + u")");
  OutLn(u"HSI  hue " + strff(hue, 0, 1) + u", saturation " + strff(sat, 0, 3) + u", intensity " +
        strff(intensity, 0, 3));
  OutLn(u"CMYK " + CreateParList({cy, ma, ye, k}, false) + u", grey level " +
        IntToStr(ColorToGray(c)));
  return 0;
}

int Ascii85(const char* mode, const char* in, const char* out) {
  try {
    TFileStream source(Arg(in), fmOpenRead | fmShareDenyWrite);
    TFileStream dest(Arg(out), fmCreate);
    if (std::strcmp(mode, "encode") == 0) {
      EncodeASCII85(source, dest);
      return 0;
    }
    if (std::strcmp(mode, "decode") == 0) {
      const std::int32_t status = DecodeASCII85(source, dest);
      if (status != 0) std::fprintf(stderr, "kez: the ASCII85 text is damaged (code %d)\n", status);
      return status == 0 ? 0 : 1;
    }
  } catch (const Exception& e) {
    std::fprintf(stderr, "kez: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "kez: ascii85 encode|decode IN OUT\n");
  return 2;
}

// A page from a template: head and foot around it, each "<#name>" tag replaced by the value
// given as name=value (escaped as HTML text); tags without a value are kept. "title" also
// names the page.
int HtmlPage(const String& out, const String& tpl, std::span<char*> values) {
  std::vector<std::pair<String, String>> pairs;
  for (char* v : values) {
    const String pair = Arg(v);
    const std::size_t eq = pair.find(u'=');
    if (eq == String::npos) {
      std::fprintf(stderr, "kez: expected NAME=VALUE, got %s\n", v);
      return 2;
    }
    pairs.emplace_back(LowerCase(pair.substr(0, eq)), pair.substr(eq + 1));
  }
  const auto value = [&](StringView name) -> const String* {
    for (const auto& [n, v] : pairs)
      if (n == name) return &v;
    return nullptr;
  };
  try {
    THtmlProducer producer(nullptr);
    producer.ReadTemplateFromFile(tpl);
    const String* title = value(u"title");
    producer.SetTemplate(DefaultHTMLHead(title ? *title : u"kez", u"", u"", u"", true) +
                         producer.Template() + DefaultHTMLFoot(true));
    producer.SetOnHTMLTag([&](TObject*, const String& name, const String&, String& replacement) {
      if (const String* v = value(name)) replacement = MakeStringHTMLCompatible(*v);
    });
    producer.Convert();
    producer.WriteConvertedHTMLToFile(out);
    return 0;
  } catch (const Exception& e) {
    std::fprintf(stderr, "kez: %s\n", e.what());
    return 1;
  }
}

int Html(const std::string& mode, std::span<char*> rest) {
  if (mode == "urlencode" && rest.size() == 1) return OutLn(URLEncode(Arg(rest[0]))), 0;
  if (mode == "urldecode" && rest.size() == 1) return OutLn(URLDecode(Arg(rest[0]))), 0;
  if (mode == "page" && rest.size() >= 2)
    return HtmlPage(Arg(rest[0]), Arg(rest[1]), rest.subspan(2));
  if (mode == "text" && rest.size() == 1) {
    try {
      THtmlProducer page(nullptr);
      page.ReadTemplateFromFile(Arg(rest[0]));
      OutLn(ConvertHTMLBodyToText(ExtractHTMLBody(page.Template()), u'\n'));
      return 0;
    } catch (const Exception& e) {
      std::fprintf(stderr, "kez: %s\n", e.what());
      return 1;
    }
  }
  std::fprintf(stderr,
               "kez: html urlencode|urldecode TEXT, html text FILE, html page OUT TEMPLATE "
               "[NAME=VALUE...]\n");
  return 2;
}

int Units() {
  const TPackageInfoTable& table = GetPackageInfoTable();
  for (std::int32_t i = 0; i < table.UnitCount; ++i) OutLn(String(table.Units[i].Name));
  return 0;
}

// The name of the named colour nearest to c (the first of equally near ones).
String NearestNamedColor(TColor c) {
  long best = 1;
  for (long row = 2; row <= 466; ++row) {
    if (RGBColorDistance(c, AllKEZColors[row]) < RGBColorDistance(c, AllKEZColors[best]))
      best = row;
  }
  return String(AllKEZColorNames[best]);
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
      Utf8ToString((std::filesystem::temp_directory_path() / "kez_demo_stations.fm").string());
  matrix.Save(file);
  TFeatureMatrix loaded(nullptr);
  loaded.SetName(u"Loaded");
  const std::int32_t status = loaded.Load(file);
  std::filesystem::remove(StringToUtf8(file));
  OutLn(u"  saved " + IntToStr(matrix.NObjects()) + u" objects of " + IntToStr(matrix.NFeatures()) +
        u" features; loading gave status " + IntToStr(status) + u", " +
        IntToStr(loaded.NObjects()) + u" objects");
  const std::int32_t value = loaded.FindFeatName(u"value");
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

int Demo(const String& folder) {
  const String csv = folder + u"/measurements.csv";
  const String notes = folder + u"/notes.txt";

  OutLn(u"== A string table from " + csv + u", sorted by station (A-Z folded)");
  TStringArray table(nullptr);
  std::vector<String> header;
  if (!LoadTable(csv, table, header)) {
    std::fprintf(stderr, "kez: cannot read %s\n", StringToUtf8(csv).c_str());
    return 1;
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
  TextFile f(notes);
  f.Reset();
  while (!f.Eof()) {
    String line;
    f.ReadLn(line);
    std::int32_t pos = 0;
    if (grep.MatchString(line, pos)) {
      OutLn(u"  " +
            line.substr(static_cast<std::size_t>(grep.MatchStartPos() - 1),
                        static_cast<std::size_t>(grep.MatchEndPos() - grep.MatchStartPos() + 1)) +
            u"   <- " + line.substr(0, 16));
    }
  }
  f.Close();

  OutLn();
  OutLn(u"== Checksums of the samples");
  for (const String& name : {csv, notes}) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(name, bytes)) return 1;
    OutLn(u"  crc32 " +
          Hex32(static_cast<std::uint32_t>(
              CRC32ofBuffer(bytes, static_cast<std::int32_t>(bytes.size())))) +
          u"  sha1 " + LowerCase(SHA1DigestToHex(SHA1FromFile(name))) + u"  " +
          name.substr(name.rfind(u'/') + 1));
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
  return 0;
}

void Usage() {
  std::fputs(
      "usage: kez COMMAND ...\n"
      "  demo [FOLDER]               a tour over the sample data (default: the installed samples)\n"
      "  crc32|crc16|sha1 FILE...    checksums of files\n"
      "  grep [-i] PATTERN FILE...   lines matching a kez regular expression\n"
      "  format VALUE WIDTH DECIMALS the number layouts\n"
      "  color NAME|HEX              a colour by name or hexadecimal value\n"
      "  ascii85 encode|decode IN OUT\n"
      "  html urlencode|urldecode TEXT\n"
      "  html text FILE              the text of an HTML page's body\n"
      "  html page OUT TEMPLATE [NAME=VALUE...]  a page from a template's <#NAME> tags\n"
      "  units                       the library's units in start order\n"
      "  marks --png FILE            a sheet of the data-point marks and frame styles\n",
      stderr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage();
    return 2;
  }
  const std::string command = argv[1];
  std::span<char*> rest(argv + 2, static_cast<std::size_t>(argc - 2));
  if (command == "demo") return Demo(rest.empty() ? Utf8ToString(KEZ_SAMPLES_DIR) : Arg(rest[0]));
  if ((command == "crc32" || command == "crc16" || command == "sha1") && !rest.empty()) {
    return Checksums(command.c_str(), rest);
  }
  if (command == "grep" && rest.size() >= 2) {
    const bool ignoreCase = std::strcmp(rest[0], "-i") == 0;
    if (ignoreCase) rest = rest.subspan(1);
    if (rest.size() >= 2) return Grep(ignoreCase, Arg(rest[0]), rest.subspan(1));
  }
  if (command == "format" && rest.size() == 3) return Format(rest[0], rest[1], rest[2]);
  if (command == "color" && rest.size() == 1) return Color(Arg(rest[0]));
  if (command == "ascii85" && rest.size() == 3) return Ascii85(rest[0], rest[1], rest[2]);
  if (command == "html" && !rest.empty()) return Html(rest[0], rest.subspan(1));
  if (command == "units") return Units();
  if (command == "marks") return MarkSheet(rest);
  Usage();
  return 2;
}
