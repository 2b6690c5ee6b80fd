// kez crc32 | crc16 | sha1: checksums of files in the layout of GNU sha1sum, and the check of
// such lists (both its line forms, escaped names included).
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "cli.hpp"

namespace kez::tool {

namespace {

enum class Sum { Crc32, Crc16, Sha1 };

struct SumOptions {
  Sum Kind = Sum::Crc32;
  std::string Tag;  // the algorithm's name in the BSD form
  std::vector<std::string> Files;
  bool Check = false;
  bool Binary = false;
  bool Text = false;
  bool BsdTag = false;
  bool Zero = false;
  bool Quiet = false;
  bool Status = false;
  bool Strict = false;
  bool WarnLines = false;
  bool IgnoreMissing = false;
  std::string Mode = "zmodem";
};

std::string Hex(std::uint64_t Value, int Digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string s(static_cast<std::size_t>(Digits), '0');
  for (int i = Digits - 1; i >= 0; --i, Value >>= 4)
    s[static_cast<std::size_t>(i)] = kDigits[Value & 0xF];
  return s;
}

std::size_t DigestLength(Sum Kind) { return Kind == Sum::Crc32 ? 8 : Kind == Sum::Crc16 ? 4 : 40; }

// The digest of everything In holds, in lower-case hexadecimal. The input is read in large
// blocks, which the CRC-32 continues over with the library's fastest kernel.
std::string Digest(const SumOptions& o, InputFile& In) {
  if (o.Kind == Sum::Sha1) {
    InputStream stream(In);
    return U8(LowerCase(SHA1DigestToHex(SHA1FromStream(stream))));
  }
  constexpr std::size_t kBlock = std::size_t{1} << 18;
  const auto buf = std::make_unique<std::uint8_t[]>(kBlock);
  if (o.Kind == Sum::Crc32) {
    std::uint32_t crc = 0;
    while (const std::size_t got = In.Read(buf.get(), kBlock)) {
      crc = ContinueCRC32(crc, std::span<const std::uint8_t>(buf.get(), got));
    }
    return Hex(crc, 8);
  }
  std::uint16_t crc = o.Mode == "ccitt" ? 0xFFFF : 0;
  while (const std::size_t got = In.Read(buf.get(), kBlock)) {
    for (std::size_t i = 0; i < got; ++i) crc = CalcNextCRC16(buf[i], crc);
  }
  return Hex(crc, 4);
}

// ---- Names in lists ----------------------------------------------------------------------

// Whether a name must be escaped in a list line: it holds a backslash, LF or CR.
bool NeedsEscape(std::string_view Name) { return Name.find_first_of("\\\n\r") != Name.npos; }

// The name with "\" as "\\", LF as "\n" and CR as "\r".
std::string Escaped(std::string_view Name) {
  std::string s;
  for (const char c : Name) {
    if (c == '\\') {
      s += "\\\\";
    } else if (c == '\n') {
      s += "\\n";
    } else if (c == '\r') {
      s += "\\r";
    } else {
      s += c;
    }
  }
  return s;
}

// Undoes Escaped; false for a lone backslash at the end or before another character, and
// for a NUL.
bool Unescape(std::string_view Text, std::string& Name) {
  Name.clear();
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '\0') return false;
    if (c != '\\') {
      Name += c;
      continue;
    }
    if (++i == Text.size()) return false;
    switch (Text[i]) {
      case 'n':
        Name += '\n';
        break;
      case 'r':
        Name += '\r';
        break;
      case '\\':
        Name += '\\';
        break;
      default:
        return false;
    }
  }
  return true;
}

// A file's name in messages: as it is when it holds only characters a shell leaves alone,
// else in single quotes (a quote inside written '\'').
std::string Quoted(const std::string& Name) {
  const bool plain = !Name.empty() && std::all_of(Name.begin(), Name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("%+,-./:=@^_", c) != nullptr;
  });
  if (plain) return Name;
  std::string s = "'";
  for (const char c : Name) s += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return s + "'";
}

// ---- Printing sums -----------------------------------------------------------------------

int PrintSums(const SumOptions& o) {
  const char end = o.Zero ? '\0' : '\n';
  return ForEachFile(o.Files, [&](const std::string& name) {
    InputFile in(name);
    const std::string digest = Digest(o, in);
    const bool escape = !o.Zero && NeedsEscape(in.Name());
    const std::string shown = escape ? Escaped(in.Name()) : in.Name();
    std::string line = escape ? "\\" : "";
    if (o.BsdTag) {
      line += o.Tag + " (" + shown + ") = " + digest;
    } else {
      line += digest + (o.Binary ? " *" : "  ") + shown;
    }
    line += end;
    Print(line);
  });
}

// ---- Checking lists ----------------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsHexDigest(std::string_view Text, std::size_t Length) {
  return Text.size() == Length && std::all_of(Text.begin(), Text.end(), [](char c) {
           return std::isxdigit(static_cast<unsigned char>(c)) != 0;
         });
}

// Reads list lines in either form: "[\]DIGEST  NAME" (or " *NAME", or a single blank after
// the digest when every line of the list has it) and the BSD form "[\]TAG (NAME) = DIGEST".
// A leading "\" means the name is escaped.
class ListParser {
 public:
  ListParser(const SumOptions& o) : FTag(o.Tag), FLength(DigestLength(o.Kind)) {}

  bool Parse(std::string_view Line, std::string& Digest, std::string& Name) {
    std::size_t i = 0;
    while (i < Line.size() && IsBlank(Line[i])) ++i;
    bool escaped = false;
    if (i < Line.size() && Line[i] == '\\') {
      ++i;
      escaped = true;
    }
    if (Line.substr(i).starts_with(FTag)) {
      i += FTag.size();
      if (i < Line.size() && Line[i] == ' ') ++i;
      if (i >= Line.size() || Line[i] != '(') return false;
      return ParseBsd(Line.substr(i + 1), escaped, Digest, Name);
    }
    if (Line.size() - i < FLength + 2 + (i < Line.size() && Line[i] == '\\' ? 1 : 0)) {
      return false;
    }
    const std::string_view digest = Line.substr(i, FLength);
    i += FLength;
    if (!IsBlank(Line[i])) return false;
    ++i;
    if (!IsHexDigest(digest, FLength)) return false;
    if (Line.size() - i == 1 || (Line[i] != ' ' && Line[i] != '*')) {
      // The one-blank form may not be mixed with the other: a name starting with a blank
      // or "*" would be misread.
      if (FSingleBlank == 0) return false;
      FSingleBlank = 1;
    } else if (FSingleBlank != 1) {
      FSingleBlank = 0;
      ++i;
    }
    Digest.assign(digest);
    return Finish(Line.substr(i), escaped, Digest, Name);
  }

 private:
  bool ParseBsd(std::string_view Rest, bool Escaped, std::string& Digest, std::string& Name) {
    const std::size_t close = Rest.rfind(')');
    if (close == Rest.npos) return false;
    std::size_t i = close + 1;
    while (i < Rest.size() && IsBlank(Rest[i])) ++i;
    if (i >= Rest.size() || Rest[i] != '=') return false;
    ++i;
    while (i < Rest.size() && IsBlank(Rest[i])) ++i;
    Digest.assign(Rest.substr(i));
    if (!IsHexDigest(Digest, FLength)) return false;
    return Finish(Rest.substr(0, close), Escaped, Digest, Name);
  }

  static bool Finish(std::string_view Text, bool Escaped, std::string& Digest, std::string& Name) {
    for (char& c : Digest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (Escaped) return Unescape(Text, Name);
    Name.assign(Text);
    return Name.find('\0') == Name.npos;
  }

  std::string FTag;
  std::size_t FLength;
  int FSingleBlank = -1;  // unknown, 0 two-character separator, 1 one blank
};

std::string Count(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Checks one list; true when every listed file matched (see the command's help).
bool CheckList(const SumOptions& o, const std::string& listName) {
  std::int64_t lineNo = 0, bad = 0, unreadable = 0, mismatched = 0;
  bool proper = false, matched = false;
  const std::string shownList = Quoted(IsStdin(listName) ? "standard input" : listName);
  // As sha1sum does, a result line escapes the name only when it holds a line feed.
  const auto result = [&](const std::string& name, const char* what) {
    const bool escape = name.find('\n') != name.npos;
    PrintLn((escape ? "\\" + Escaped(name) : name) + ": " + what);
  };
  InputFile list(listName);
  ListParser parser(o);
  std::string line, want, name;
  while (list.ReadLine(line)) {
    ++lineNo;
    if (!line.empty() && line.front() == '#') continue;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!parser.Parse(line, want, name) || (IsStdin(listName) && name == "-")) {
      ++bad;
      if (o.WarnLines) {
        Warn(shownList + ": " + std::to_string(lineNo) + ": improperly formatted " + o.Tag +
             " checksum line");
      }
      continue;
    }
    proper = true;
    std::string got;
    try {
      InputFile in(name);
      got = Digest(o, in);
    } catch (const Failure& e) {
      if (o.IgnoreMissing && access(name.c_str(), F_OK) != 0 && errno == ENOENT) continue;
      // The reason, with the name quoted as in the other messages.
      const std::string what = e.what();
      const std::size_t colon = what.rfind(": ");
      Warn(Quoted(name) + what.substr(colon == what.npos ? what.size() : colon));
      ++unreadable;
      if (!o.Status) result(name, "FAILED open or read");
      continue;
    }
    const bool ok = got == want;
    if (ok) {
      matched = true;
    } else {
      ++mismatched;
    }
    if (!o.Status && (!ok || !o.Quiet)) result(name, ok ? "OK" : "FAILED");
  }
  if (!proper) {
    Warn(shownList + ": no properly formatted checksum lines found");
    return false;
  }
  if (!o.Status) {
    if (bad > 0) Warn("WARNING: " + Count(bad, "line is", "lines are") + " improperly formatted");
    if (unreadable > 0) {
      Warn("WARNING: " + Count(unreadable, "listed file", "listed files") + " could not be read");
    }
    if (mismatched > 0) {
      Warn("WARNING: " + Count(mismatched, "computed checksum", "computed checksums") +
           " did NOT match");
    }
    if (o.IgnoreMissing && !matched) Warn(shownList + ": no file was verified");
  }
  return matched && mismatched == 0 && unreadable == 0 && (!o.Strict || bad == 0);
}

int CheckLists(const SumOptions& o) {
  int status = 0;
  const int failed = ForEachFile(o.Files, [&](const std::string& name) {
    if (!CheckList(o, name)) status = 1;
  });
  return failed != 0 ? 1 : status;
}

// The options that only make sense with --check, and those that make none with it.
void CheckCombination(const SumOptions& o) {
  const struct {
    bool Given;
    const char* Name;
  } checkOnly[] = {{o.Quiet, "--quiet"},
                   {o.Status, "--status"},
                   {o.Strict, "--strict"},
                   {o.WarnLines, "--warn"},
                   {o.IgnoreMissing, "--ignore-missing"}};
  if (o.Check) {
    if (o.BsdTag) throw Failure("the --tag option is meaningless when verifying checksums", 2);
    if (o.Binary || o.Text) {
      throw Failure("the --binary and --text options are meaningless when verifying checksums",
                    2);
    }
    return;
  }
  for (const auto& c : checkOnly) {
    if (c.Given) {
      throw Failure(std::string("the ") + c.Name +
                        " option is meaningful only when verifying checksums",
                    2);
    }
  }
}

void AddSumCommand(CLI::App& app, const char* name, Sum kind, const std::string& tag,
                   const std::string& what) {
  auto o = std::make_shared<SumOptions>();
  o->Kind = kind;
  o->Tag = tag;
  CLI::App* cmd = app.add_subcommand(name, "Print or check " + what + " (as sha1sum does)");
  cmd->add_option("FILE", o->Files,
                  "Files to sum (standard input when none or \"-\"); with --check, lists of "
                  "sums to verify");
  cmd->add_flag("-c,--check", o->Check,
                "Read sums from the FILEs and check them: prints NAME: OK or NAME: FAILED");
  cmd->add_flag("-b,--binary", o->Binary, "Mark the files as read in binary mode (\"*\")");
  cmd->add_flag("-t,--text", o->Text, "Mark the files as read in text mode (the default)");
  cmd->add_flag("--tag", o->BsdTag, "Print the BSD form: " + tag + " (NAME) = DIGEST");
  cmd->add_flag("-z,--zero", o->Zero,
                "End each output line with NUL, not LF, and leave names unescaped");
  cmd->add_flag("--ignore-missing", o->IgnoreMissing,
                "With --check: neither fail nor report listed files that do not exist");
  cmd->add_flag("--quiet", o->Quiet, "With --check: do not print OK for each matching file");
  cmd->add_flag("--status", o->Status, "With --check: print nothing; the status tells");
  cmd->add_flag("--strict", o->Strict, "With --check: improperly formatted lines fail");
  cmd->add_flag("-w,--warn", o->WarnLines,
                "With --check: warn about each improperly formatted line");
  if (kind == Sum::Crc16) {
    CompleteWith(cmd->add_option("-m,--mode", o->Mode,
                    "Initial register: zmodem (0, CRC-16/XMODEM) or ccitt (0xFFFF, "
                    "CRC-16/CCITT-FALSE)")
        ->check(CLI::IsMember({"zmodem", "ccitt"}))
        ->capture_default_str(), {"zmodem", "ccitt"});
  }
  cmd->footer(
      std::string(
          "Output: the digest in lower-case hexadecimal, two blanks (\" *\" with --binary), "
          "the name; a name holding a backslash, LF or CR is written with \\\\, \\n and \\r "
          "and the line starts with a backslash, as sha1sum writes it. --check reads both "
          "forms, sha1sum's lists included; lines starting with # and empty lines are "
          "skipped. It exits 1 when a file is missing, unreadable or does not match, or no "
          "line is properly formatted (with --strict also when any line is not).\n"
          "Example: kez ") +
      name + " \"$(kez samples notes.txt)\" > sums; kez " + name + " --check sums");
  OnRun(cmd, [o] {
    CheckCombination(*o);
    return o->Check ? CheckLists(*o) : PrintSums(*o);
  });
}

}  // namespace

void AddChecksumCommands(CLI::App& app) {
  AddSumCommand(app, "crc32", Sum::Crc32, "CRC32", "CRC-32 checksums (the zlib and gzip CRC)");
  AddSumCommand(app, "crc16", Sum::Crc16, "CRC16", "CRC-16 checksums (polynomial 0x1021)");
  AddSumCommand(app, "sha1", Sum::Sha1, "SHA1", "SHA-1 digests");
}

}  // namespace kez::tool
