// kez crc32 | crc16 | sha1: checksums of files as sha1sum prints them, and the check of a list.
#include <cctype>

#include "cli.hpp"

namespace kez::tool {

namespace {

enum class Sum { Crc32, Crc16, Sha1 };

struct SumOptions {
  Sum Kind = Sum::Crc32;
  std::vector<std::string> Files;
  bool Check = false;
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

// The digest of everything In holds, in lower-case hexadecimal. The CRCs go through the
// library's one-byte steps so that input of any length streams through.
std::string Digest(const SumOptions& o, InputFile& In) {
  if (o.Kind == Sum::Sha1) {
    InputStream stream(In);
    return U8(LowerCase(SHA1DigestToHex(SHA1FromStream(stream))));
  }
  std::uint8_t buf[65536];
  if (o.Kind == Sum::Crc32) {
    std::uint32_t crc = 0xFFFFFFFFu;
    while (const std::size_t got = In.Read(buf, sizeof buf)) {
      for (std::size_t i = 0; i < got; ++i) crc = CalcNextCRC32(buf[i], crc);
    }
    return Hex(~crc, 8);
  }
  std::uint16_t crc = o.Mode == "ccitt" ? 0xFFFF : 0;
  while (const std::size_t got = In.Read(buf, sizeof buf)) {
    for (std::size_t i = 0; i < got; ++i) crc = CalcNextCRC16(buf[i], crc);
  }
  return Hex(crc, 4);
}

int PrintSums(const SumOptions& o) {
  std::vector<std::string> files = o.Files;
  if (files.empty()) files.push_back("-");
  int status = 0;
  for (const std::string& name : files) {
    try {
      InputFile in(name);
      PrintLn(Digest(o, in) + "  " + in.Name());
    } catch (const Failure& e) {
      Warn(e.what());
      status = 1;
    }
  }
  return status;
}

// One line of a list: the digest, a blank, then a blank (text mode) or "*" (binary mode) and
// the name. False for anything else.
bool ParseListLine(std::string_view Line, std::size_t Length, std::string& Digest,
                   std::string& Name) {
  if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);
  if (Line.size() < Length + 3 || Line[Length] != ' ' ||
      (Line[Length + 1] != ' ' && Line[Length + 1] != '*')) {
    return false;
  }
  for (std::size_t i = 0; i < Length; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(Line[i]))) return false;
  }
  Digest.assign(Line.substr(0, Length));
  for (char& c : Digest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  Name.assign(Line.substr(Length + 2));
  return true;
}

std::string Count(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

int CheckLists(const SumOptions& o) {
  std::vector<std::string> lists = o.Files;
  if (lists.empty()) lists.push_back("-");
  int status = 0;
  for (const std::string& listName : lists) {
    std::int64_t bad = 0, unreadable = 0, mismatched = 0, proper = 0;
    try {
      InputFile list(listName);
      std::string line, want, name;
      while (list.ReadLine(line)) {
        if (!ParseListLine(line, DigestLength(o.Kind), want, name)) {
          ++bad;
          continue;
        }
        ++proper;
        try {
          InputFile in(name);
          const bool ok = Digest(o, in) == want;
          if (!ok) ++mismatched;
          PrintLn(name + (ok ? ": OK" : ": FAILED"));
        } catch (const Failure& e) {
          Warn(e.what());
          PrintLn(name + ": FAILED open or read");
          ++unreadable;
        }
      }
    } catch (const Failure& e) {
      Warn(e.what());
      status = 1;
      continue;
    }
    if (proper == 0) {
      Warn((IsStdin(listName) ? std::string("-") : listName) +
           ": no properly formatted checksum lines found");
      status = 1;
      continue;
    }
    if (bad > 0) Warn("WARNING: " + Count(bad, "line is", "lines are") + " improperly formatted");
    if (unreadable > 0) {
      Warn("WARNING: " + Count(unreadable, "listed file", "listed files") + " could not be read");
    }
    if (mismatched > 0) {
      Warn("WARNING: " + Count(mismatched, "computed checksum", "computed checksums") +
           " did NOT match");
    }
    if (unreadable > 0 || mismatched > 0) status = 1;
  }
  return status;
}

void AddSumCommand(CLI::App& app, const char* name, Sum kind, const std::string& what) {
  auto o = std::make_shared<SumOptions>();
  o->Kind = kind;
  CLI::App* cmd = app.add_subcommand(name, "Print or check " + what + " (as sha1sum does)");
  cmd->add_option("FILE", o->Files,
                  "Files to sum (standard input when none or \"-\"); with --check, lists of "
                  "\"DIGEST  NAME\" lines to verify");
  cmd->add_flag("-c,--check", o->Check,
                "Read digests from the FILEs and check them: prints NAME: OK or NAME: FAILED, "
                "exits 1 when any file failed");
  if (kind == Sum::Crc16) {
    cmd->add_option("-m,--mode", o->Mode,
                    "Initial register: zmodem (0, CRC-16/XMODEM) or ccitt (0xFFFF, "
                    "CRC-16/CCITT-FALSE)")
        ->check(CLI::IsMember({"zmodem", "ccitt"}))
        ->capture_default_str();
  }
  cmd->footer(std::string("Output: the digest in lower-case hexadecimal, two blanks, the name.\n"
                          "Example: kez ") +
              name + " \"$(kez samples notes.txt)\" > sums; kez " + name + " --check sums");
  OnRun(cmd, [o] { return o->Check ? CheckLists(*o) : PrintSums(*o); });
}

}  // namespace

void AddChecksumCommands(CLI::App& app) {
  AddSumCommand(app, "crc32", Sum::Crc32, "CRC-32 checksums (the zlib and gzip CRC)");
  AddSumCommand(app, "crc16", Sum::Crc16, "CRC-16 checksums (polynomial 0x1021)");
  AddSumCommand(app, "sha1", Sum::Sha1, "SHA-1 digests");
}

}  // namespace kez::tool
