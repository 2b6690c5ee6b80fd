// kez grep | tokenize | format: text commands over the string library.
#include "cli.hpp"

namespace kez::tool {

namespace {

// ---- grep --------------------------------------------------------------------------------

struct GrepOptions {
  std::string Pattern;
  std::vector<std::string> Files;
  bool IgnoreCase = false;
  bool LineNumbers = false;
  bool CountOnly = false;
  bool Invert = false;
};

// Lines are matched without their line end (LF or CR LF) and printed as the bytes they were.
int Grep(const GrepOptions& o) {
  TGrep grep(nullptr);
  grep.SetStopOnError(false);
  grep.SetIgnoreCase(o.IgnoreCase);
  grep.SetRegExp(Arg(o.Pattern));
  if (grep.LastError() != grepNoError) {
    throw Failure("bad pattern \"" + o.Pattern + "\": " + U8(TGrepErrorText(grep.LastError())), 2);
  }
  std::vector<std::string> files = o.Files;
  if (files.empty()) files.push_back("-");
  const bool named = files.size() > 1;
  bool any = false, failed = false;
  for (const std::string& name : files) {
    try {
      InputFile in(name);
      std::string line;
      std::int64_t lineNo = 0, count = 0;
      while (in.ReadLine(line)) {
        ++lineNo;
        std::string_view text(line);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        std::int32_t pos = 0;
        if (grep.MatchString(DecodeText(text), pos) == o.Invert) continue;
        ++count;
        if (o.CountOnly) continue;
        std::string prefix = named ? in.Name() + ":" : "";
        if (o.LineNumbers) prefix += std::to_string(lineNo) + ":";
        PrintLn(prefix + line);
      }
      if (o.CountOnly) PrintLn((named ? in.Name() + ":" : "") + std::to_string(count));
      any = any || count > 0;
    } catch (const Failure& e) {
      Warn(e.what());
      failed = true;
    }
  }
  return failed ? 2 : any ? 0 : 1;
}

void AddGrep(CLI::App& app) {
  auto o = std::make_shared<GrepOptions>();
  CLI::App* cmd = app.add_subcommand("grep", "Print lines that match a kez regular expression");
  cmd->add_option("PATTERN", o->Pattern, "The regular expression")->required();
  cmd->add_option("FILE", o->Files, "Files to search (standard input when none or \"-\")");
  cmd->add_flag("-i,--ignore-case", o->IgnoreCase, "Ignore the case of the letters A-Z");
  cmd->add_flag("-n,--line-number", o->LineNumbers, "Put the line number before each line");
  cmd->add_flag("-c,--count", o->CountOnly, "Print only the number of matching lines");
  cmd->add_flag("-v,--invert-match", o->Invert, "Print the lines that do not match");
  cmd->footer(
      "Patterns: literal characters; . any character; [a-z] and [^a-z] sets; (abc) a group "
      "(no nesting, no alternation); * + ? after a character, ., a set or a group; ^ at the "
      "start and $ at the end anchor; \\ takes the next character literally; \\#hh is the "
      "character of hexadecimal code hh.\n"
      "With several files each line starts with the file's name. Exit status: 0 a line was "
      "selected, 1 none, 2 an error.\n"
      "Example: kez grep -n 'reading [0-9]+' \"$(kez samples notes.txt)\"");
  OnRun(cmd, [o] { return Grep(*o); });
}

// ---- tokenize ----------------------------------------------------------------------------

struct TokenizeOptions {
  std::string Delimiter;
  std::string Escape;
  std::string Join;
  bool Joined = false;
  std::vector<std::string> Files;
};

int TokenizeLines(const TokenizeOptions& o) {
  const String delimiter = Arg(o.Delimiter);
  const String escape = Arg(o.Escape);
  std::vector<std::string> files = o.Files;
  if (files.empty()) files.push_back("-");
  std::vector<String> tokens;
  for (const std::string& name : files) {
    InputFile in(name);
    std::string line;
    while (in.ReadLine(line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const String text = DecodeText(line);
      if (escape.empty()) {
        Tokenize(text, delimiter, tokens);
      } else {
        Tokenize(text, delimiter, escape[0], tokens);
      }
      if (!o.Joined) {
        for (const String& t : tokens) PrintLn(t);
        continue;
      }
      std::string out;
      for (std::size_t i = 0; i < tokens.size(); ++i) out += (i > 0 ? o.Join : "") + U8(tokens[i]);
      PrintLn(std::string_view(out));
    }
  }
  return 0;
}

std::string OneCharacter(const std::string& s) {
  return Arg(s).size() == 1 ? std::string() : "takes exactly one character";
}

void AddTokenize(CLI::App& app) {
  auto o = std::make_shared<TokenizeOptions>();
  CLI::App* cmd = app.add_subcommand("tokenize", "Cut each line at a delimiter into tokens");
  cmd->add_option("-d,--delimiter", o->Delimiter, "The delimiter (any text)")->required();
  cmd->add_option("-e,--escape", o->Escape,
                  "An escape character: a delimiter behind an odd number of them does not cut, "
                  "a doubled escape stands for one")
      ->check(OneCharacter, "CHAR");
  cmd->add_option("-j,--join", o->Join, "Print each line's tokens on one line, joined by this text")
      ->each([o](const std::string&) { o->Joined = true; });
  cmd->add_option("FILE", o->Files, "Files to read (standard input when none or \"-\")");
  cmd->footer(
      "Prints one token per line (empty tokens as empty lines). A line gives at most 1000 "
      "tokens; the last then holds the rest of the line.\n"
      "Example: printf 'a\\\\,b,c\\n' | kez tokenize -d , -e '\\'   prints a,b and c");
  OnRun(cmd, [o] { return TokenizeLines(*o); });
}

// ---- format ------------------------------------------------------------------------------

struct FormatOptions {
  std::string Value;
  std::int32_t Width = 0;
  std::int32_t Decimals = 2;
  std::int32_t Digits = 4;
  std::string Layout;
};

std::string IsNumber(const std::string& s) {
  Extended v = 0;
  return TryStrToFloat(Arg(s), v) ? std::string() : "\"" + s + "\" is not a number";
}

int Format(const FormatOptions& o) {
  Extended value = 0;
  TryStrToFloat(Arg(o.Value), value);
  const auto d = static_cast<double>(value);
  const std::pair<const char*, String> layouts[] = {
      {"strff", strff(value, o.Width, o.Decimals)},
      {"strffForcePlus", strffForcePlus(value, o.Width, o.Decimals)},
      {"FormatData", FormatData(d, o.Width, o.Decimals)},
      {"SigDigStr", SigDigStr(d, o.Width, o.Digits)},
      {"AutoFormatData", AutoFormatData(d, o.Digits)}};
  for (const auto& [name, text] : layouts) {
    if (o.Layout.empty()) {
      PrintLn(std::string(name) + std::string(15 - std::string_view(name).size(), ' ') + "[" +
              U8(text) + "]");
    } else if (LowerCase(Arg(name)) == LowerCase(Arg(o.Layout))) {
      PrintLn(text);
    }
  }
  return 0;
}

void AddFormat(CLI::App& app) {
  auto o = std::make_shared<FormatOptions>();
  CLI::App* cmd = app.add_subcommand("format", "Show a number in the library's layouts");
  cmd->add_option("VALUE", o->Value, "The number (\".\" as decimal point, exponent allowed)")
      ->required()
      ->check(IsNumber, "NUMBER");
  cmd->add_option("-w,--width", o->Width, "Field width; a negative width pads with zeros (strff)")
      ->capture_default_str();
  cmd->add_option("-d,--decimals", o->Decimals,
                  "Digits after the point; -1 scientific, -2 compact scientific (strff)")
      ->capture_default_str();
  cmd->add_option("-n,--digits", o->Digits, "Significant digits (SigDigStr, AutoFormatData)")
      ->capture_default_str();
  cmd->add_option("-l,--layout", o->Layout, "Print only this layout, without brackets")
      ->check(
          CLI::IsMember({"strff", "strffForcePlus", "FormatData", "SigDigStr", "AutoFormatData"},
                        CLI::ignore_case));
  cmd->footer(
      "Layouts: strff (fixed or scientific), strffForcePlus (with \"+\"), FormatData (fixed "
      "while nine digits hold the value), SigDigStr (significant digits in a field), "
      "AutoFormatData (compact, no blanks). Numbers always use \".\".\n"
      "Example: kez format 1234.5678 -w 10 -d 2");
  OnRun(cmd, [o] { return Format(*o); });
}

}  // namespace

void AddTextCommands(CLI::App& app) {
  AddGrep(app);
  AddTokenize(app);
  AddFormat(app);
}

}  // namespace kez::tool
