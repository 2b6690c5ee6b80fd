// kez grep | tokenize | format: text commands over the string library.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "cli.hpp"

namespace kez::tool {

namespace {

// ---- grep --------------------------------------------------------------------------------

struct GrepOptions {
  std::vector<std::string> Patterns;  // -e
  std::vector<std::string> Args;      // PATTERN (without -e) and the files
  bool IgnoreCase = false;
  bool LineNumbers = false;
  bool CountOnly = false;
  bool Invert = false;
  bool Quiet = false;
  bool FilesWithMatches = false;
  bool FilesWithout = false;
  bool WithName = false;
  bool NoName = false;
  bool OnlyMatching = false;
  bool Words = false;
  bool WholeLines = false;
  bool Recursive = false;
};

// A pattern that TGrep reads otherwise than grep would: one line on standard error.
void WarnAboutPattern(const std::string& Pattern) {
  const auto warn = [&](const std::string& what) {
    Warn("grep: warning: in the pattern \"" + Pattern + "\" " + what);
  };
  for (std::size_t i = 0; i < Pattern.size(); ++i) {
    if (Pattern[i] == '\\' && i + 1 < Pattern.size()) {
      const char c = Pattern[i + 1];
      if (std::strchr("dDwWsSbB<>", c) != nullptr) {
        return warn(std::string("\\") + c + " is the letter " + c + " (no character classes; " +
                    "use a set such as [0-9])");
      }
      ++i;
    } else if (Pattern[i] == '|') {
      return warn("| is a literal bar (there is no alternation)");
    } else if (Pattern[i] == '{' && i + 1 < Pattern.size() &&
               std::isdigit(static_cast<unsigned char>(Pattern[i + 1]))) {
      return warn("{ is a literal brace (there are no counted repetitions)");
    }
  }
  std::size_t open = Pattern.npos;
  for (std::size_t i = 0; i < Pattern.size(); ++i) {
    if (Pattern[i] == '\\') {
      ++i;
    } else if (Pattern[i] == '[' && open == Pattern.npos) {
      open = i;
    } else if (Pattern[i] == ']' && open != Pattern.npos && i > open + 1) {
      open = Pattern.npos;
    }
  }
  if (open != Pattern.npos) warn("the set opened by [ is never closed (it runs to the end)");
}

// Whether a character of a line is part of a word for -w: ASCII letters and digits, "_",
// and every character beyond ASCII (taken as a letter).
bool IsWordChar(char16_t c) {
  return c == u'_' || c >= 128 || std::isalnum(static_cast<int>(c)) != 0;
}

// The patterns compiled, and how one line is searched: the matches of any pattern, with
// -w only those with no word character on either side, with -x only whole lines.
class LineMatcher {
 public:
  explicit LineMatcher(const GrepOptions& o) : FOpts(o) {
    for (const std::string& p : o.Patterns) {
      WarnAboutPattern(p);
      auto g = std::make_unique<TGrep>(nullptr);
      g->SetStopOnError(false);
      g->SetIgnoreCase(o.IgnoreCase);
      String pattern = Arg(p);
      if (o.WholeLines) {
        if (!pattern.starts_with(u'^')) pattern = u"^" + pattern;
        if (!pattern.ends_with(u'$') || pattern.ends_with(u"\\$")) pattern += u'$';
      }
      g->SetRegExp(pattern);
      if (g->LastError() != grepNoError) {
        throw Failure("bad pattern \"" + p + "\": " + U8(TGrepErrorText(g->LastError())), 2);
      }
      FGreps.push_back(std::move(g));
    }
  }

  // The first acceptable match of any pattern at or after position From (1-based): its
  // start and end (inclusive), or false.
  bool Find(const String& Line, std::int32_t From, std::int32_t& Start, std::int32_t& End) {
    bool found = false;
    for (const auto& g : FGreps) {
      for (std::int32_t at = From; at <= static_cast<std::int32_t>(Line.size()) + 1; ++at) {
        g->SetSearchStartPos(at);
        std::int32_t pos = 0;
        if (!g->MatchString(Line, pos)) break;
        const std::int32_t s = g->MatchStartPos(), e = g->MatchEndPos();
        if (FOpts.Words && !IsWholeWord(Line, s, e)) {
          at = s;  // try again one character further
          continue;
        }
        if (!found || s < Start || (s == Start && e > End)) Start = s, End = e;
        found = true;
        break;
      }
    }
    return found;
  }

  bool Matches(const String& Line) {
    std::int32_t s = 0, e = 0;
    return Find(Line, 1, s, e);
  }

 private:
  static bool IsWholeWord(const String& Line, std::int32_t s, std::int32_t e) {
    const bool before = s > 1 && IsWordChar(Line[static_cast<std::size_t>(s - 2)]);
    const bool after = e < static_cast<std::int32_t>(Line.size()) &&
                       IsWordChar(Line[static_cast<std::size_t>(e)]);
    return !before && !after;
  }

  const GrepOptions& FOpts;
  std::vector<std::unique_ptr<TGrep>> FGreps;
};

// What grep -r reads below a folder: regular files, in name order, symbolic links and other
// special files skipped. Folders that cannot be read are reported and skipped.
void CollectFiles(const std::string& Dir, std::vector<std::string>& Out, bool& Failed) {
  DIR* d = opendir(Dir.c_str());
  if (d == nullptr) {
    Warn(Dir + ": " + std::strerror(errno));
    Failed = true;
    return;
  }
  std::vector<std::string> names;
  while (const dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    const std::string path = Dir + (Dir.ends_with('/') ? "" : "/") + n;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
      // Gone meanwhile is no loss; a name in a folder that may be listed but not searched is.
      if (errno != ENOENT) {
        Warn(path + ": " + std::strerror(errno));
        Failed = true;
      }
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      CollectFiles(path, Out, Failed);
    } else if (S_ISREG(st.st_mode)) {
      Out.push_back(path);
    }
  }
}

// Searches one file. The result: whether a line was selected. Lines with bytes that are not
// text (a NUL, or bytes that are not UTF-8 in a file that has other UTF-8) are not printed:
// like GNU grep, the file then ends with "NAME: binary file matches" on standard error.
bool GrepFile(const GrepOptions& o, LineMatcher& m, const std::string& name, bool named) {
  InputFile in(name);
  const std::string shown = IsStdin(name) ? "(standard input)" : in.Name();
  const bool listing = o.FilesWithMatches || o.FilesWithout;
  const bool printing = !o.Quiet && !listing && !o.CountOnly;
  std::string line;
  std::int64_t lineNo = 0, count = 0;
  bool binary = false, suppressed = false;
  while (in.ReadLine(line)) {
    ++lineNo;
    std::string_view text(line);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.find('\0') != text.npos) binary = true;
    const String decoded = DecodeText(text);
    if (m.Matches(decoded) == o.Invert) continue;
    ++count;
    if (o.Quiet || listing) break;  // the answer is known
    if (!printing) continue;
    if (binary || !IsValidUtf8(text)) {
      suppressed = true;
      if (binary) break;
      continue;
    }
    std::string prefix = named ? shown + ":" : "";
    if (o.LineNumbers) prefix += std::to_string(lineNo) + ":";
    if (!o.OnlyMatching || o.Invert) {
      PrintLn(prefix + line);
      continue;
    }
    std::int32_t from = 1, s = 0, e = 0;
    while (from <= static_cast<std::int32_t>(decoded.size()) && m.Find(decoded, from, s, e)) {
      if (e >= s) {
        PrintLn(prefix + U8(decoded.substr(static_cast<std::size_t>(s - 1),
                                           static_cast<std::size_t>(e - s + 1))));
      }
      from = std::max(e + 1, s + 1);
    }
  }
  if (o.CountOnly && !o.Quiet && !listing) {
    PrintLn((named ? shown + ":" : "") + std::to_string(count));
  }
  if (o.FilesWithMatches && count > 0) PrintLn(shown);
  if (o.FilesWithout && count == 0) PrintLn(shown);
  if (suppressed) Warn(shown + ": binary file matches");
  return count > 0;
}

int Grep(GrepOptions o) {
  std::vector<std::string> files = o.Args;
  if (o.Patterns.empty()) {
    if (files.empty()) throw Failure("grep: no pattern given (PATTERN or -e PATTERN)", 2);
    o.Patterns.push_back(files.front());
    files.erase(files.begin());
  }
  LineMatcher matcher(o);
  bool failed = false;
  if (o.Recursive) {
    // Without a name the working folder is searched, and its files are named as grep names
    // them: "a.txt", not "./a.txt".
    const bool here = files.empty();
    if (here) files.push_back(".");
    std::vector<std::string> expanded;
    for (const std::string& f : files) {
      struct stat st {};
      if (!IsStdin(f) && stat(f.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        CollectFiles(f, expanded, failed);
      } else {
        expanded.push_back(f);
      }
    }
    if (here) {
      for (std::string& f : expanded) {
        if (f.starts_with("./")) f.erase(0, 2);
      }
    }
    files = expanded;
  }
  if (files.empty() && !o.Recursive) files.push_back("-");
  const bool named = !o.NoName && (o.WithName || files.size() > 1 || o.Recursive);
  bool any = false;
  for (const std::string& name : files) {
    try {
      if (GrepFile(o, matcher, name, named)) {
        any = true;
        if (o.Quiet) return 0;
      }
    } catch (const Failure& e) {
      Warn(e.what());
      failed = true;
    }
  }
  if (failed && !(o.Quiet && any)) return 2;
  return any ? 0 : 1;
}

void AddGrep(CLI::App& app) {
  auto o = std::make_shared<GrepOptions>();
  CLI::App* cmd = app.add_subcommand("grep", "Print lines that match a kez regular expression");
  cmd->set_help_flag("--help", "Print this help message and exit");  // -h is --no-filename
  cmd->add_option("PATTERN", o->Args,
                  "The regular expression (unless -e gives it), then the files to search "
                  "(standard input when none or \"-\")");
  cmd->add_option("-e,--regexp", o->Patterns,
                  "A pattern (repeatable: a line matching any of them is selected)")
      ->allow_extra_args(false);
  cmd->add_flag("-i,--ignore-case", o->IgnoreCase, "Ignore the case of the letters A-Z");
  cmd->add_flag("-w,--word-regexp", o->Words,
                "Only matches that are whole words (no letter, digit or _ beside them)");
  cmd->add_flag("-x,--line-regexp", o->WholeLines, "Only matches of the whole line");
  cmd->add_flag("-v,--invert-match", o->Invert, "Select the lines that do not match");
  cmd->add_flag("-n,--line-number", o->LineNumbers, "Put the line number before each line");
  cmd->add_flag("-c,--count", o->CountOnly, "Print only the number of selected lines");
  cmd->add_flag("-o,--only-matching", o->OnlyMatching, "Print only the matched parts, one a line");
  cmd->add_flag("-l,--files-with-matches", o->FilesWithMatches,
                "Print only the names of files with a selected line");
  cmd->add_flag("-L,--files-without-match", o->FilesWithout,
                "Print only the names of files without one");
  cmd->add_flag("-q,--quiet,--silent", o->Quiet,
                "Print nothing; exit 0 at the first selected line");
  cmd->add_flag("-H,--with-filename", o->WithName, "Put the file's name before each line");
  cmd->add_flag("-h,--no-filename", o->NoName, "Never put the file's name before lines");
  cmd->add_flag("-r,--recursive", o->Recursive,
                "Search the files below folders (the current one when no FILE is given)");
  cmd->footer(
      "Patterns: literal characters; . any character; [a-z] and [^a-z] sets; (abc) a group "
      "(no nesting, no alternation); * + ? after a character, ., a set or a group; ^ at the "
      "start and $ at the end anchor; \\ takes the next character literally; \\#hh is the "
      "character of hexadecimal code hh. Where grep would read a pattern otherwise (\\d, |, "
      "{n}, an unclosed [), a warning says so.\n"
      "With several files (or -H, -r) each line starts with the file's name; standard input "
      "is \"(standard input)\". A file with NUL bytes, or a selected line that is not text, "
      "is not printed: \"NAME: binary file matches\" goes to standard error, as GNU grep "
      "does. Exit status: 0 a line was selected, 1 none, 2 an error.\n"
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
  const std::vector<std::string> layoutNames = {"strff", "strffForcePlus", "FormatData",
                                                "SigDigStr", "AutoFormatData"};
  CompleteWith(cmd->add_option("-l,--layout", o->Layout, "Print only this layout, without brackets")
                   ->check(CLI::IsMember(layoutNames, CLI::ignore_case)),
               layoutNames);
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
