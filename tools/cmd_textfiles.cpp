// kez tail | lines | asc-header: the text-file utilities of the file-system unit.
#include "cli.hpp"

namespace kez::tool {

namespace {

std::string Shown(const std::string& name) { return IsStdin(name) ? std::string("-") : name; }

// ---- tail --------------------------------------------------------------------------------

struct TailOptions {
  std::string File = "-";
  std::string Lines = "10";  // decimal digits only, of any length
};

// A count of lines as tail takes it: any run of decimal digits, where a number beyond what
// a file can hold (2^31 - 1 lines) means every line.
std::int32_t LineCount(const std::string& digits) {
  std::int64_t n = 0;
  for (const char c : digits) n = std::min<std::int64_t>(n * 10 + (c - '0'), INT32_MAX);
  return static_cast<std::int32_t>(n);
}

// The lines come back as the bytes they were: the text-file layer reads Windows-1252, whose
// conversion is lossless both ways, so UTF-8 text passes unchanged.
int Tail(const TailOptions& o) {
  const std::int32_t wanted = LineCount(o.Lines);
  if (wanted == 0) return 0;
  LocalFile file(o.File);
  std::int32_t count = 0;
  const std::vector<String> lines = ReadLastNLinesOfTextFile(file.Path(), wanted, count);
  const std::size_t shown = std::min(lines.size(), static_cast<std::size_t>(count));
  for (std::size_t i = lines.size() - shown; i < lines.size(); ++i) {
    PrintLn(std::string_view(StringToAnsi(lines[i])));
  }
  return 0;
}

void AddTail(CLI::App& app) {
  auto o = std::make_shared<TailOptions>();
  CLI::App* cmd = app.add_subcommand("tail", "Print the last lines of a text file");
  cmd->add_option("FILE", o->File, "The file (standard input when none or \"-\")");
  cmd->add_option("-n,--lines", o->Lines, "How many lines")
      ->check(CLI::Validator(
          [](std::string& v) {
            const bool digits = !v.empty() && v.find_first_not_of("0123456789") == std::string::npos;
            return digits ? std::string() : "must be a count of lines (0 or more)";
          },
          ""))
      ->type_name("NUM")
      ->capture_default_str();
  cmd->footer(
      "Lines end at LF or CR LF; they are printed with LF.\nExample: kez tail -n 3 \"$(kez samples notes.txt)\"");
  OnRun(cmd, [o] { return ForEachFile({o->File}, [o](const std::string&) { Tail(*o); }); });
}

// ---- lines -------------------------------------------------------------------------------

int Lines(const std::vector<std::string>& files) {
  return ForEachFile(files, [](const std::string& name) {
    LocalFile file(name);
    PrintLn(std::to_string(CountLinesInTextFile(file.Path(), {})) + " " + Shown(name));
  });
}

void AddLines(CLI::App& app) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* cmd = app.add_subcommand("lines", "Count the lines of text files");
  cmd->add_option("FILE", *files, "The files (standard input when none or \"-\")");
  cmd->footer(
      "Each line of output: the count and the name. A last line without a line end counts "
      "(unlike wc -l).\nExample: kez lines \"$(kez samples notes.txt)\" \"$(kez samples measurements.csv)\"");
  OnRun(cmd, [files] { return Lines(*files); });
}

// ---- asc-header --------------------------------------------------------------------------

std::string HeaderProblem(int status) {
  switch (status) {
    case -1:
      return "line 2 is not a decimal integer";
    case -2:
      return "line 3 is not a decimal integer";
    case -3:
      return "line 4 does not hold the flag words TRUE or FALSE";
    default:
      return "the comment line holds a line feed";
  }
}

int AscHeader(const std::string& name) {
  LocalFile file(name);
  String comment;
  std::int32_t first = 0, second = 0;
  bool flags[4] = {};
  const int status =
      ReadHeaderOfASC(file.Path(), comment, first, second, flags[0], flags[1], flags[2], flags[3]);
  if (status != 0) throw Failure(Shown(name) + ": not an ASC data file: " + HeaderProblem(status));
  PrintLn("comment  " + U8(comment));
  PrintLn("first    " + std::to_string(first));
  PrintLn("second   " + std::to_string(second));
  std::string words;
  for (const bool f : flags) words += f ? " TRUE" : " FALSE";
  PrintLn("flags   " + words);
  return 0;
}

void AddAscHeader(CLI::App& app) {
  auto file = std::make_shared<std::string>("-");
  CLI::App* cmd = app.add_subcommand("asc-header", "Show the header of an ASC data file");
  cmd->add_option("FILE", *file, "The file (standard input when none or \"-\")");
  cmd->footer(
      "The header is four lines: a comment, two integers (the rest of their lines ignored) "
      "and four flag words TRUE or FALSE. A file without it exits 1.\n"
      "Example: kez asc-header \"$(kez samples spectrum.asc)\"");
  OnRun(cmd, [file] {
    return ForEachFile({*file}, [](const std::string& name) { AscHeader(name); });
  });
}

}  // namespace

void AddTextFileCommands(CLI::App& app) {
  AddTail(app);
  AddLines(app);
  AddAscHeader(app);
}

}  // namespace kez::tool
