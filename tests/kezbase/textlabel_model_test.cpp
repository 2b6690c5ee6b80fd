// The text-label reader against a small model of its format, on random files made of the
// format's own pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "kez/kezbase.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/streams.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

// The fields the model follows.
struct Fields {
  double X = 100, Y = 10;
  std::int64_t Layer = 1, Dx = 0, Dy = 0;
  std::uint32_t Brd = 0, Bkg = 0xC0C0C0, Shdw = 0x808080;
  bool Trans = false, Visible = true;
  int Horiz = taCenter, Vert = vaBottom, Attach = tlamNone, Mode = tlsimple;
  std::string Caption;
  std::string FontName;
  std::int32_t FontSize = 0;
  std::uint32_t FontColor = 0;
  std::string FontStyle;  // the style words as FontStyleWords writes them
  bool operator==(const Fields&) const = default;
};

std::string StyleWords(TFontStyles Style) {
  std::string words;
  for (std::size_t s = 0; s < xmlFontStyle.size(); ++s)
    if (Style.Contains(static_cast<TFontStyle>(s)))
      words += (words.empty() ? "" : " ") + StringToAnsi(xmlFontStyle[s]);
  return words;
}

Fields FieldsOf(const TCustomTextLabel& L) {
  Fields f;
  f.X = L.PosX();
  f.Y = L.PosY();
  f.Layer = L.Layer();
  f.Dx = L.ShadowDx();
  f.Dy = L.ShadowDy();
  f.Brd = L.ColorBrd();
  f.Bkg = L.ColorBkg();
  f.Shdw = L.ColorShadow();
  f.Trans = L.Transparent();
  f.Visible = L.Visible();
  f.Horiz = L.Alignment();
  f.Vert = L.VertAlignment();
  f.Attach = L.AttachMode();
  f.Mode = L.Mode();
  f.Caption = StringToAnsi(L.Caption());
  f.FontName = StringToAnsi(L.Font().Name());
  f.FontSize = L.Font().Size();
  f.FontColor = L.Font().Color();
  f.FontStyle = StyleWords(L.Font().Style());
  return f;
}

std::string Lower(std::string S) {
  for (char& c : S) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return S;
}

std::string Trim(const std::string& S) {
  const auto a = S.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return S.substr(a, S.find_last_not_of(' ') - a + 1);
}

// int of the format: blanks (not past the last character), a sign, digits; clamped here.
std::int64_t ModelInt(const std::string& V) {
  std::size_t i = 0;
  while (i + 1 < V.size() && V[i] == ' ') ++i;
  bool neg = false;
  if (i < V.size() && (V[i] == '-' || V[i] == '+')) neg = V[i++] == '-';
  std::int64_t m = 0;
  while (i < V.size() && std::isdigit(static_cast<unsigned char>(V[i])))
    m = std::min<std::int64_t>(m * 10 + (V[i++] - '0'), std::int64_t{1} << 40);
  return std::clamp<std::int64_t>(neg ? -m : m, INT32_MIN, INT32_MAX);
}

std::uint32_t ModelHex(const std::string& V) {
  std::size_t i = 0;
  if (!V.empty() && V[0] == '$')
    i = 1;
  else
    while (i + 1 < V.size() && V[i] == ' ') ++i;
  std::uint32_t h = 0;
  while (i < V.size() && std::isxdigit(static_cast<unsigned char>(V[i])))
    h = h * 16 + static_cast<std::uint32_t>(std::stoi(std::string(1, V[i++]), nullptr, 16));
  return h;
}

template <std::size_t N>
void ModelWord(const TWordTable<N>& T, const std::string& W, int& Field) {
  for (std::size_t i = 0; i < N; ++i)
    if (StringToAnsi(T[i]) == W) Field = static_cast<int>(i);
}

// The reader as the format describes it, on the file's bytes; false when no element or no
// end tag is read (the fields then stay at Start).
bool Model(const std::string& File, const std::string& Id, Fields Start, Fields& Out) {
  Out = Start;
  std::size_t pos = 0;
  bool found = false;
  while (pos < File.size() && !found) {
    std::size_t end = File.find('\n', pos);
    if (end == std::string::npos) end = File.size();
    std::string line = Lower(File.substr(pos, end - pos));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos = std::min(end + 1, File.size());
    if (line.find("<custtextlbl") == std::string::npos ||
        line.find("orvantium") == std::string::npos)
      continue;
    if (Id.empty()) {
      found = true;
      continue;
    }
    const std::size_t p = line.find("id=\"");
    if (p == std::string::npos) continue;
    const std::size_t q = line.find('"', p + 4);
    found = q != std::string::npos && Trim(line.substr(p + 4, q - p - 4)) == Lower(Id);
  }
  if (!found) return false;
  Fields f = Start;
  const auto get = [&](char& c) {
    if (pos >= File.size()) return false;
    c = File[pos++];
    return true;
  };
  for (;;) {
    char c = 0;
    while (get(c) && c != '<') {
    }
    if (c != '<') return false;
    std::string tag;
    while (get(c) && (tag += c, c != '>')) {
    }
    if (tag.empty() || tag.back() != '>') return false;
    const std::size_t q = tag.find(' ');
    std::string name, attrs, contents;
    if (tag.find("/>") != std::string::npos) {
      name = q == std::string::npos ? tag : tag.substr(0, q);
      if (q != std::string::npos) attrs = Trim(tag.substr(q + 1, tag.size() - q - 3));
    } else {
      name = q == std::string::npos ? tag.substr(0, tag.size() - 1) : tag.substr(0, q);
      if (q != std::string::npos) attrs = Trim(tag.substr(q + 1, tag.size() - q - 2));
      if (Lower(name) == "caption") {
        // The caption ends at the first "</caption" or "</custtextlbl" followed by a blank
        // or ">"; its end tag runs to the next ">".
        std::size_t at = pos;
        std::string endName;
        for (;; ++at) {
          at = File.find("</", at);
          if (at == std::string::npos) return false;
          const std::size_t stop = File.find_first_of(" >", at + 2);
          if (stop == std::string::npos) return false;
          endName = Lower(File.substr(at + 2, stop - at - 2));
          if (endName == "caption" || endName == "custtextlbl") break;
        }
        f.Caption = File.substr(pos, at - pos);
        const std::size_t close = File.find('>', at);
        if (close == std::string::npos) return false;
        pos = close + 1;
        if (endName == "custtextlbl") {
          pos = std::min(File.find('>', pos), File.size() - 1) + 1;
          Out = f;
          return true;
        }
        continue;
      } else {
        bool closed = false;
        while (!closed && get(c)) {
          contents += c;
          closed = c == '>';
        }
        if (contents.find("</") != std::string::npos)
          contents.resize(contents.find("</"));
        else if (closed)
          contents.pop_back();
      }
    }
    const auto a = [&](const char* n) {
      return StringToAnsi(ScanForXMLAttrib(AnsiToString(attrs), AnsiToString(n)));
    };
    const auto num = [&](const char* n) {
      const std::string value = a(n);
      TStringStream s{std::string_view(value)};
      return static_cast<double>(ScanStreamFPNum(s, true, 3));
    };
    const std::string el = Lower(name);
    if (el == "posxy") f.X = num("x"), f.Y = num("y");
    if (el == "colors")
      f.Brd = ModelHex(a("brd")), f.Bkg = ModelHex(a("bg")), f.Shdw = ModelHex(a("shdw"));
    if (el == "shadowofs") f.Dx = ModelInt(a("dx")), f.Dy = ModelInt(a("dy"));
    if (el == "layer") f.Layer = ModelInt(a("val"));
    if (el == "transparent") f.Trans = ModelInt(a("val")) == 1;
    if (el == "visible") f.Visible = ModelInt(a("val")) == 1;
    if (el == "alignment")
      ModelWord(xmlAlignment, a("horiz"), f.Horiz),
          ModelWord(xmlVerticalAlignment, a("vert"), f.Vert);
    if (el == "attachmode") ModelWord(xmlTxtLblAttachMode, a("val"), f.Attach);
    if (el == "style") ModelWord(xmlTxtLblMode, a("val"), f.Mode);
    if (el == "font") {
      // An attribute that is present is taken, an empty one too.
      const auto pairs = ListXMLAttribs(AnsiToString(attrs));
      const auto present = [&](const char* n, std::string& value) {
        for (const auto& [attrName, attrValue] : pairs)
          if (Lower(StringToAnsi(attrName)) == n) {
            value = StringToAnsi(attrValue);
            return true;
          }
        return false;
      };
      std::string v;
      if (present("name", v)) f.FontName = v;
      if (present("size", v)) {
        TFont sized;
        sized.SetSize(static_cast<std::int32_t>(ModelInt(v)));
        f.FontSize = sized.Size();
      }
      if (present("color", v)) f.FontColor = ModelHex(v);
      if (present("style", v)) {
        // Known words only; the set is written back in the fixed order.
        TFontStyles style;
        bool known = true;
        std::size_t i = 0;
        while (known && i < v.size()) {
          if (v[i] == ' ') {
            ++i;
            continue;
          }
          const std::size_t e = std::min(v.find(' ', i), v.size());
          int found = -1;
          for (std::size_t k = 0; k < xmlFontStyle.size(); ++k)
            if (StringToAnsi(xmlFontStyle[k]) == v.substr(i, e - i)) found = static_cast<int>(k);
          known = found >= 0;
          if (known) style.Include(static_cast<TFontStyle>(found));
          i = e;
        }
        if (known) f.FontStyle = StyleWords(style);
      }
    }
    if (el == "/custtextlbl") {
      Out = f;
      return true;
    }
  }
}

TEST(TextLabelModel, ReaderAgreesWithTheModelOnRandomFiles) {
  const std::vector<std::string> pieces = {"\r\n",
                                           "\n",
                                           " ",
                                           "<",
                                           ">",
                                           "/>",
                                           "</",
                                           "\"",
                                           "x",
                                           "<custtextlbl sig=\"Orvantium\" id=\"a\">\r\n",
                                           "<CustTextLbl Orvantium id=\" B \">\n",
                                           "<custtextlbl sig=\"Orvantium\" id=\"a>\n",
                                           "</custtextlbl>",
                                           "</CUSTTEXTLBL>\r\n",
                                           "<!-- TCustomTextLabel / Orvantium -->",
                                           "<caption>",
                                           "</caption>",
                                           "</CAPTION>",
                                           "a > b",
                                           "<posxy x= 1.235E+0002 y=-3,5 />",
                                           "<posxy x=1e5000 y=. />",
                                           "<layer val=40 />",
                                           "<layer val=-99999999999 />",
                                           "<layer val= 7x/>",
                                           "<colors brd=$FfA bg=123456789 shdw=$ />",
                                           "<shadowofs dx=+5 dy=-2147483649 />",
                                           "<transparent val=1 />",
                                           "<transparent val=-1 />",
                                           "<visible val=0/>",
                                           "<alignment horiz=taLeftJustify vert=vaTop />",
                                           "<alignment horiz=tacenter />",
                                           "<attachmode val=tlamYOnly />",
                                           "<style val=tlBox />",
                                           "<style val=tlbox />",
                                           "<unknown a=1>text</unknown>",
                                           "<dummy/>",
                                           "<font name=\"Sans\" size=9 />",
                                           "<font name=\"\" style=\"fsBold fsItalic\" />",
                                           "<font size=14 color=$0A0B0C />",
                                           "<font name=Mono style=\"\" />",
                                           "<font style=\"fsBold fsWide\" />",
                                           "</caption >",
                                           "</caption\n>",
                                           "</captions>",
                                           "<b>x</b>",
                                           "</custtextlbl >",
                                           "\t"};
  std::mt19937 rng(20261209);
  test::TempDir dir;
  const std::string name = dir.NativeFile("r.xml");
  int complete = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string text;
    const int n = 1 + static_cast<int>(rng() % 24);
    for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
    // Half of the files get a start line in front and an end tag behind the random part.
    if (round % 2 == 0) text = pieces[9 + rng() % 2] + text + pieces[12 + rng() % 2];
    const std::string id = round % 3 == 0 ? "" : round % 3 == 1 ? "a" : "b";
    test::WriteBytes(name, text);
    TCustomTextLabel label;
    const Fields start = FieldsOf(label);
    TextFile f(dir.File("r.xml"));
    f.Reset();
    const bool result = label.ReadFromOpenXMLFile(f, AnsiToString(id));
    f.Close();
    Fields expected;
    const bool expectedResult = Model(text, id, start, expected);
    ASSERT_EQ(result, expectedResult) << text;
    ASSERT_TRUE(FieldsOf(label) == expected) << text;
    complete += result;
  }
  // The pieces must make complete elements often enough for the comparison to mean much.
  EXPECT_GT(complete, 300);
}

}  // namespace
}  // namespace kez
