// The block reader of TStringArray against a small model written from the format's rules,
// on random files built from pieces of sound and broken blocks.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/streams.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

struct ModelTable {
  std::int64_t cols = 0;
  std::int64_t rows = 0;
  std::map<std::pair<std::int64_t, std::int64_t>, std::string> cells;
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string LowerAZ(std::string s) {
  for (char& c : s) c = Lower(c);
  return s;
}

// The next tag text from pos: everything after a "<" up to and including the next ">" (or
// the end of the input); texts starting with "!" are skipped. Empty at the end.
std::string NextTagText(const std::string& in, std::size_t& pos) {
  for (;;) {
    const std::size_t lt = in.find('<', pos);
    if (lt == std::string::npos) {
      pos = in.size();
      return {};
    }
    const std::size_t gt = in.find('>', lt + 1);
    pos = gt == std::string::npos ? in.size() : gt + 1;
    std::string text = in.substr(lt + 1, pos - lt - 1);
    if (text.empty() || text[0] != '!') return text;
  }
}

struct ModelTag {
  std::string name;
  std::string attributes;
  bool selfClosing = false;
};

ModelTag ParseTag(std::string text) {
  bool quoted = false;
  for (char& c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == '\r' || c == '\n' || c == '\t')) c = ' ';
  }
  ModelTag tag;
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "/>") == 0) {
    tag.selfClosing = true;
    text.resize(text.size() - 2);
  } else if (!text.empty() && text.back() == '>') {
    text.pop_back();
  }
  const std::size_t blank = text.find(' ');
  if (blank != std::string::npos) {
    std::string a = text.substr(blank + 1);
    a.erase(0, a.find_first_not_of(' '));
    a.erase(a.find_last_not_of(' ') + 1);
    tag.attributes = a;
    text.resize(blank);
  }
  tag.name = LowerAZ(text);
  return tag;
}

std::string Attr(const std::string& attributes, const char16_t* name) {
  return StringToAnsi(ScanForXMLAttrib(AnsiToString(attributes), name));
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Escapes: "%XX" is the byte XX, "%uXXXX" the code page's byte of that character.
std::optional<std::string> UnescapeBytes(const std::string& v) {
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '%') {
      out.push_back(v[i]);
      continue;
    }
    const bool wide = i + 1 < v.size() && v[i + 1] == 'u';
    const std::size_t digits = wide ? 4 : 2;
    const std::size_t from = i + (wide ? 2 : 1);
    if (from + digits > v.size()) return std::nullopt;
    unsigned code = 0;
    for (std::size_t k = 0; k < digits; ++k) {
      const int d = Hex(v[from + k]);
      if (d < 0) return std::nullopt;
      code = code * 16 + static_cast<unsigned>(d);
    }
    i = from + digits - 1;
    if (wide) {
      unsigned char b = 0;
      if (!CharToAnsiCharExact(static_cast<char16_t>(code), b)) return std::nullopt;
      out.push_back(static_cast<char>(b));
    } else {
      out.push_back(static_cast<char>(code));
    }
  }
  return out;
}

// Decimal integers within Min ... Max, as the generator writes them.
std::optional<std::int64_t> Count(const std::string& text, std::int64_t min, std::int64_t max) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  std::int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    v = v * 10 + (text[i] - '0');
  }
  if (text[0] == '-') v = -v;
  if (v < min || v > max) return std::nullopt;
  return v;
}

std::optional<ModelTable> ModelRead(const std::string& in, const std::string& dataId) {
  std::size_t pos = 0;
  for (;;) {
    const std::string text = NextTagText(in, pos);
    if (text.empty()) return std::nullopt;
    const ModelTag start = ParseTag(text);
    if (start.name != "strarray") continue;
    const std::optional<std::string> id = UnescapeBytes(Attr(start.attributes, u"id"));
    if (!id || LowerAZ(*id) != LowerAZ(dataId)) continue;
    if (start.selfClosing) return std::nullopt;  // no dimensions
    ModelTable t;
    for (;;) {
      const std::string itemText = NextTagText(in, pos);
      if (itemText.empty()) return std::nullopt;
      const ModelTag item = ParseTag(itemText);
      if (item.name == "/strarray") {
        if (t.cols == 0 || t.rows == 0) return std::nullopt;
        return t;
      }
      if (itemText.back() != '>') return std::nullopt;
      if (item.name == "numcols" || item.name == "numrows") {
        std::int64_t& dim = item.name == "numcols" ? t.cols : t.rows;
        const auto v = Count(Attr(item.attributes, u"val"), 1, INT32_MAX);
        if (dim != 0 || !v) return std::nullopt;
        dim = *v;
        if (t.cols != 0 && t.rows != 0 &&
            (t.cols + 1) * t.rows > static_cast<std::int64_t>(in.size() - pos)) {
          return std::nullopt;
        }
      } else if (item.name == "cell") {
        if (t.cols == 0 || t.rows == 0) return std::nullopt;
        const auto c = Count(Attr(item.attributes, u"c"), 0, t.cols);
        const auto r = Count(Attr(item.attributes, u"r"), 1, t.rows);
        const auto v = UnescapeBytes(Attr(item.attributes, u"v"));
        if (!c || !r || !v || v->size() > 255) return std::nullopt;
        t.cells[{*c, *r}] = *v;
      }
    }
  }
}

std::string RandomFile(std::mt19937& rng) {
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
  };
  const std::vector<std::string> starts = {"<strarray sig=\"kez\" vers=\"1.0\" id=\"t\">",
                                           "<strarray id=\"T\">",
                                           "<STRARRAY\r\n  id=\"t\"\r\n>",
                                           "<strarray>",
                                           "<strarray id=\"\">",
                                           "<strarray id=\"u\">",
                                           "<strarray id=\"%74\">",
                                           "<strarray id=\"%7\">",
                                           "<strarray\tsig=\"x\"\tid=\"t\"/>",
                                           "<strarray id=\"t\" "};
  const std::vector<std::string> counts = {"1",   "2", "3",          "0",          "-1",
                                           "abc", "",  "2147483647", "99999999999"};
  const std::vector<std::string> values = {"",       "x",
                                           "a%41",   "%ZZ",
                                           "%4",     "\x80\x9F\xFF",
                                           "%u20AC", "%u0100",
                                           "a b",    std::string(256, 'a'),
                                           "%uZZZZ"};
  auto junk = [&] {
    std::string j;
    const int pieces = std::uniform_int_distribution<int>(0, 4)(rng);
    for (int i = 0; i < pieces; ++i) {
      j += pick({"<?xml version=\"1.0\"?>", "<!-- note -->", "<!-- <strarray id=\"t\"> -->",
                 "junk \r\n", "<other a=\"1\">text</other>", "<cell c=\"1\" r=\"1\"/>",
                 "</strarray>", "\r\n", " ", "\t"});
    }
    return j;
  };
  // Mostly sound items, now and then a broken one.
  auto often = [&](const std::string& good, const std::vector<std::string>& other) {
    return rng() % 10 != 0 ? good : pick(other);
  };
  std::string out = junk();
  const int blocks = std::uniform_int_distribution<int>(0, 2)(rng);
  for (int b = 0; b < blocks; ++b) {
    out += pick(starts) + pick({"", "\r\n", " "});
    for (const char* dim : {"numcols", "numrows"}) {
      out += "<" + often(dim, {"NumCols", "numrows"}) + " val=\"" +
             often(std::to_string(1 + rng() % 3), counts) + "\"/>" + pick({"", "\r\n"});
    }
    const int cells = std::uniform_int_distribution<int>(0, 6)(rng);
    for (int i = 0; i < cells; ++i) {
      out += "<cell c=\"" + often(std::to_string(rng() % 3), {"3", "-1", "x"}) + "\"" +
             pick({" ", "\r\n ", "\t"}) + "r=\"" +
             often(std::to_string(1 + rng() % 3), {"0", "4"}) + "\"";
      if (rng() % 4 != 0) out += " v=\"" + pick(values) + "\"";
      out += often("/>", {">", " />", ""}) + pick({"", "\r\n"});
    }
    if (rng() % 3 == 0) out += junk();
    out += often("</strarray>", {"</STRARRAY>", "</strarray", "</other>", ""}) + "\r\n";
    out += junk();
  }
  if (!out.empty() && rng() % 8 == 0) {
    out.resize(std::uniform_int_distribution<std::size_t>(0, out.size())(rng));
  }
  return out;
}

TEST(StringArrayXMLModel, ReaderAgreesWithTheModelOnRandomFiles) {
  test::TempDir dir;
  const String name = dir.File("m.xml");
  std::mt19937 rng(20240611);
  int loaded = 0;
  for (int round = 0; round < 500; ++round) {
    const std::string file = RandomFile(rng);
    test::WriteBytes(dir.NativeFile("m.xml"), file);
    for (const char* id : {"t", "", "u"}) {
      const std::optional<ModelTable> want = ModelRead(file, id);
      TStringArray table(nullptr);
      table.SetString(1, 1, "before");
      const bool ok = table.LoadFromXMLFile(name, AnsiToString(id));
      ASSERT_EQ(ok, want.has_value()) << "id \"" << id << "\" in\n" << file;
      if (!ok) {
        ASSERT_EQ(table.Elem(1, 1), "before");
        continue;
      }
      ++loaded;
      ASSERT_EQ(table.NrOfColumns(), want->cols) << file;
      ASSERT_EQ(table.NrOfRows(), want->rows) << file;
      for (std::int32_t r = 1; r <= table.NrOfRows(); ++r) {
        for (std::int32_t c = 0; c <= table.NrOfColumns(); ++c) {
          const auto it = want->cells.find({c, r});
          ASSERT_EQ(table.Elem(c, r), it == want->cells.end() ? "" : it->second)
              << c << "," << r << " in\n"
              << file;
        }
      }
    }
  }
  EXPECT_GT(loaded, 40);  // the pieces make sound blocks often enough to compare contents
}

}  // namespace
}  // namespace kez
