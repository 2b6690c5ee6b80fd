// kez html | htmltext | urlencode | urldecode: the HTML unit.
#include <algorithm>

#include "cli.hpp"

namespace kez::tool {

namespace {

// ---- html --------------------------------------------------------------------------------

struct HtmlOptions {
  std::string Template = "-";
  std::vector<std::string> Values;
  std::string Out = "-";
  bool Page = false;
};

std::string IsAssignment(const std::string& s) {
  const std::size_t eq = s.find('=');
  return eq != std::string::npos && eq > 0 ? std::string() : "\"" + s + "\" is not NAME=VALUE";
}

// Tag names reach the handler with the letters A-Z lower-cased; the names given are matched
// the same way.
int Html(const HtmlOptions& o) {
  std::vector<std::pair<String, String>> values;
  for (const std::string& v : o.Values) {
    const std::size_t eq = v.find('=');
    values.emplace_back(LowerCase(Arg(v.substr(0, eq))), Arg(v.substr(eq + 1)));
  }
  const auto find = [&](StringView name) -> const String* {
    for (const auto& [n, v] : values) {
      if (n == name) return &v;
    }
    return nullptr;
  };

  InputFile in(o.Template);
  THtmlProducer producer(nullptr);
  String page = DecodeText(in.ReadAll());
  if (o.Page) {
    const String* title = find(u"title");
    page = DefaultHTMLHead(title != nullptr ? *title : u"kez", u"utf-8", u"", u"", true) + page +
           DefaultHTMLFoot(true);
  }
  producer.SetTemplate(page);
  std::vector<String> unknown;
  producer.SetOnHTMLTag([&](TObject*, const String& name, const String&, String& replacement) {
    if (const String* v = find(name)) {
      replacement = MakeStringHTMLCompatible(*v);
    } else if (std::find(unknown.begin(), unknown.end(), name) == unknown.end()) {
      unknown.push_back(name);
    }
  });
  producer.Convert();
  OutputFile out(o.Out);
  out.Write(U8(producer.ConvertedHTML()));
  out.Commit();
  for (const String& name : unknown) {
    Warn(in.Name() + ": no value for the tag <#" + U8(name) + ">, left as it is");
  }
  return 0;
}

void AddHtml(CLI::App& app) {
  auto o = std::make_shared<HtmlOptions>();
  CLI::App* cmd = app.add_subcommand("html", "Fill the <#name> tags of an HTML template");
  cmd->add_option("TEMPLATE", o->Template, "The template (standard input when \"-\")")->required();
  cmd->add_option("NAME=VALUE", o->Values,
                  "The text for the tags <#NAME ...> (escaped for HTML; names ignore case)")
      ->check(IsAssignment, "NAME=VALUE");
  cmd->add_option("-o,--output", o->Out, "Write the page to this file instead of standard output");
  cmd->add_flag("-p,--page", o->Page,
                "Put a complete page around the template: the head (titled by the value of "
                "\"title\"), <body> and the foot");
  cmd->footer(
      "The template is read as UTF-8 (or Windows-1252 when it is not valid UTF-8) and the "
      "page written in UTF-8. Tags without a value are kept and named on standard error.\n"
      "Example: kez html --page \"$(kez samples page.tpl)\" title=Report "
      "station=Graz value=12.5 date=2026-03-02 author='Zoë' -o page.html");
  OnRun(cmd, [o] { return Html(*o); });
}

// ---- htmltext ----------------------------------------------------------------------------

int HtmlText(const std::string& file) {
  InputFile in(file);
  PrintLn(ConvertHTMLBodyToText(ExtractHTMLBody(DecodeText(in.ReadAll())), u'\n'));
  return 0;
}

void AddHtmlText(CLI::App& app) {
  auto file = std::make_shared<std::string>("-");
  CLI::App* cmd =
      app.add_subcommand("htmltext", "Print the text a reader sees in an HTML page's body");
  cmd->add_option("FILE", *file, "The page (standard input when none or \"-\")");
  cmd->footer(
      "The text of the body with tags removed, entities decoded and one line per paragraph.\n"
      "Example: kez html \"$(kez samples page.tpl)\" title=Report station=Graz value=12.5 "
      "date=2026-03-02 author=Zoë | kez htmltext");
  OnRun(cmd, [file] { return HtmlText(*file); });
}

// ---- urlencode / urldecode ---------------------------------------------------------------

struct UrlOptions {
  std::vector<std::string> Texts;
  bool Decode = false;
  bool Latin1 = false;
};

// Bytes as the characters of the same codes (0-255) and back: the library's escapes stand
// for such codes, so this is how they come to stand for bytes.
String BytesAsCodes(std::string_view Bytes) {
  String s(Bytes.size(), u'\0');
  for (std::size_t i = 0; i < Bytes.size(); ++i) s[i] = static_cast<unsigned char>(Bytes[i]);
  return s;
}

std::string CodesAsBytes(StringView Text) {
  std::string s(Text.size(), '\0');
  for (std::size_t i = 0; i < Text.size(); ++i) s[i] = static_cast<char>(Text[i] & 0xFF);
  return s;
}

// By default the escapes stand for the bytes of the text, its UTF-8: ASCII goes through the
// library's coder (which chooses the characters to escape), every other byte becomes "%"
// and two upper-case hexadecimal digits, so "ü" encodes as %C3%BC and %C3%BC decodes to "ü".
// With --latin1 the text is read as characters and the library codes it as it stands
// (escapes are codes 0-255; characters beyond ASCII are not escaped).
int UrlCoding(const UrlOptions& o) {
  const auto code = [&](const std::string& text) {
    if (o.Latin1) {
      const String t = Arg(text);
      PrintLn(o.Decode ? URLDecode(t) : URLEncode(t));
    } else if (o.Decode) {
      PrintLn(std::string_view(CodesAsBytes(URLDecode(BytesAsCodes(text)))));
    } else {
      std::string out;
      for (std::size_t i = 0; i < text.size();) {
        const std::size_t ascii = std::min(
            text.size(), static_cast<std::size_t>(
                             std::find_if(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                                          [](char c) { return (c & 0x80) != 0; }) -
                             text.begin()));
        out += CodesAsBytes(URLEncode(BytesAsCodes(std::string_view(text).substr(i, ascii - i))));
        for (i = ascii; i < text.size() && (text[i] & 0x80) != 0; ++i) {
          static constexpr char kHex[] = "0123456789ABCDEF";
          const auto b = static_cast<unsigned char>(text[i]);
          out += {'%', kHex[b >> 4], kHex[b & 15]};
        }
      }
      PrintLn(std::string_view(out));
    }
  };
  if (!o.Texts.empty()) {
    for (const std::string& t : o.Texts) code(t);
    return 0;
  }
  InputFile in("-");
  std::string line;
  while (in.ReadLine(line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    code(line);
  }
  return 0;
}

void AddUrl(CLI::App& app, const char* name, bool decode, const std::string& what,
            const std::string& footer) {
  auto o = std::make_shared<UrlOptions>();
  o->Decode = decode;
  CLI::App* cmd = app.add_subcommand(name, what);
  cmd->add_option("TEXT", o->Texts,
                  "Texts to convert, one result line each (default: the lines "
                  "of standard input)");
  cmd->add_flag("--latin1", o->Latin1,
                "Escapes stand for Windows-1252 characters (the library's form), not UTF-8 bytes");
  cmd->footer(footer);
  OnRun(cmd, [o] { return UrlCoding(*o); });
}

}  // namespace

void AddWebCommands(CLI::App& app) {
  AddHtml(app);
  AddHtmlText(app);
  AddUrl(app, "urlencode", false, "Percent-encode the URL's reserved characters and blanks",
         "Escapes stand for the UTF-8 bytes of the text (--latin1: Windows-1252 codes).\n"
         "Example: kez urlencode 'a b&c'   prints a%20b%26c");
  AddUrl(app, "urldecode", true, "Decode percent escapes (twice, so %2541 gives A)",
         "Escapes stand for UTF-8 bytes (--latin1: Windows-1252 codes).\n"
         "Example: kez urldecode 'a%20b'   prints a b");
}

}  // namespace kez::tool
