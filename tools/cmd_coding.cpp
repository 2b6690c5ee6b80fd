// kez ascii85 | rle | uu encode|decode, kez scramble: byte codings from a file or standard input
// to standard output or a file.
#include "cli.hpp"

namespace kez::tool {

namespace {

struct CodingOptions {
  std::string In = "-";
  std::string Out = "-";
  std::int32_t Seed = ScrambleDefaultSeed;
  bool Decode = false;
};

using Coder = std::function<void(InputFile&, OutputFile&)>;

// Runs Code from the input to the output and keeps the output only when Code succeeded.
int Filter(const CodingOptions& o, const Coder& Code) {
  InputFile in(o.In);
  OutputFile out(o.Out);
  Code(in, out);
  out.Commit();
  return 0;
}

void Ascii85Encode(InputFile& in, OutputFile& out) {
  InputStream source(in);
  OutputStream dest(out);
  EncodeASCII85(source, dest);
  out.Write("\n");
}

void Ascii85Decode(InputFile& in, OutputFile& out) {
  InputStream source(in);
  OutputStream dest(out);
  const std::int32_t status = DecodeASCII85(source, dest);
  if (status == -2) throw Failure(in.Name() + ": damaged ASCII85 text: a \"z\" inside a group");
  if (status != 0) {
    throw Failure(in.Name() + ": damaged ASCII85 text: a character outside \"!\"..\"u\"");
  }
}

// Hands out the blocks the coder has ready, then (at the end) everything that still waits:
// the block length is raised above what waits so that one call hands it all out. The
// encoder's end closes the last run; the decoder's end appends nothing and fails on input
// cut inside a triplet.
void Drain(TRLEncoder& rle, InputFile& in, OutputFile& out, std::vector<std::uint8_t>& block,
           bool last, bool decode) {
  while (rle.WaitingBytes() >= rle.BufLeng()) {
    rle.GetResult(block);
    out.Write(std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
  }
  if (!last) return;
  std::vector<std::uint8_t> rest(static_cast<std::size_t>(rle.WaitingBytes()) + 8);
  rle.SetBufLeng(static_cast<std::int32_t>(rest.size()));
  bool incomplete = false;
  const std::int32_t n = decode ? rle.FinishDecode(rest, incomplete) : rle.Finish(rest);
  if (n < 0) throw Failure(out.Name() + ": the run-length coder could not hand out its bytes");
  if (incomplete) throw Failure(in.Name() + ": truncated input: it ends inside a run triplet");
  out.Write(
      std::string_view(reinterpret_cast<const char*>(rest.data()), static_cast<std::size_t>(n)));
}

void RleCode(InputFile& in, OutputFile& out, bool decode) {
  constexpr std::int32_t kBlock = 65536;
  TRLEncoder rle(nullptr);
  rle.SetBufLeng(kBlock);
  std::vector<std::uint8_t> chunk(kBlock), block(kBlock);
  while (const std::size_t got = in.Read(chunk.data(), chunk.size())) {
    const auto n = static_cast<std::int32_t>(got);
    if (decode) {
      rle.Decode(chunk, n);
    } else {
      rle.Encode(chunk, n);
    }
    Drain(rle, in, out, block, false, decode);
  }
  Drain(rle, in, out, block, true, decode);
}

std::string BaseName(const std::string& name) {
  if (IsStdin(name)) return "-";
  const std::size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The uuencode layout: a "begin" line, the data lines, a zero-length line and "end".
void UuEncode(InputFile& in, OutputFile& out) {
  const std::string data = in.ReadAll();
  out.Write("begin 644 " + BaseName(in.Name()) + "\n");
  out.Write(U8(UUEncodeStr(AnsiToString(data))));
  out.Write("`\nend\n");
}

void UuDecode(InputFile& in, OutputFile& out) {
  const std::string text = in.ReadAll();
  const AnsiString data = StringToAnsi(UUDecodeStr(AnsiToString(text)));
  if (data.empty() && text.find_first_not_of(" \t\r\n") != std::string::npos &&
      text.find("begin ") == std::string::npos) {
    throw Failure(in.Name() + ": no uuencoded data");
  }
  out.Write(data);
}

// The scrambler's tables cover the codes 0..255, so bytes go in as the characters of the
// same code (not through Windows-1252, which would move 0x80..0x9F above 255).
void ScrambleBytes(InputFile& in, OutputFile& out, bool decode) {
  char buf[65536];
  String text;
  std::string bytes;
  while (const std::size_t got = in.Read(buf, sizeof buf)) {
    text.resize(got);
    for (std::size_t i = 0; i < got; ++i) text[i] = static_cast<unsigned char>(buf[i]);
    const String coded = decode ? DeScramble(text) : Scramble(text);
    bytes.assign(coded.size(), '\0');
    for (std::size_t i = 0; i < coded.size(); ++i) bytes[i] = static_cast<char>(coded[i]);
    out.Write(bytes);
  }
}

void AddInOut(CLI::App* cmd, CodingOptions& o) {
  cmd->add_option("FILE", o.In, "Input file (standard input when none or \"-\")");
  cmd->add_option("-o,--output", o.Out,
                  "Write to this file (replaced only when the coding succeeded) instead of "
                  "standard output");
}

// "kez NAME encode|decode [FILE] [-o OUT]".
void AddCodingPair(CLI::App& app, const char* name, const std::string& what, const Coder& encode,
                   const Coder& decode, const std::string& footer) {
  CLI::App* group = app.add_subcommand(name, what);
  group->require_subcommand(1);
  group->footer(footer);
  auto o = std::make_shared<CodingOptions>();
  CLI::App* enc = group->add_subcommand("encode", "Encode bytes");
  CLI::App* dec = group->add_subcommand("decode", "Decode to bytes");
  AddInOut(enc, *o);
  AddInOut(dec, *o);
  OnRun(enc, [o, encode] { return Filter(*o, encode); });
  OnRun(dec, [o, decode] { return Filter(*o, decode); });
}

}  // namespace

void AddCodingCommands(CLI::App& app) {
  AddCodingPair(app, "ascii85", "ASCII85 (base-85) coding of bytes", Ascii85Encode, Ascii85Decode,
                "Encoding writes groups of five characters \"!\"..\"u\" (\"z\" for four zero "
                "bytes) ended by \"~>\" and a line feed. Decoding skips line breaks and exits 1 "
                "on damaged text.\nExample: kez ascii85 encode \"$(kez samples notes.txt)\" -o notes.a85");
  AddCodingPair(
      app, "rle", "Run-length coding of bytes (lead-in byte 0xA5)",
      [](InputFile& in, OutputFile& out) { RleCode(in, out, false); },
      [](InputFile& in, OutputFile& out) { RleCode(in, out, true); },
      "Runs of three or more bytes, and every 0xA5, become the triplet 0xA5, count, byte.\n"
      "Example: kez rle encode \"$(kez samples spectrum.asc)\" | kez rle decode | cmp - \"$(kez samples spectrum.asc)\"");
  AddCodingPair(app, "uu", "uuencoding of bytes", UuEncode, UuDecode,
                "Encoding writes the \"begin 644 NAME\" ... \"end\" layout that uudecode reads; "
                "decoding skips every line that is not a data line.\n"
                "Example: kez uu encode \"$(kez samples sunset.pal)\" > sunset.uu");

  auto o = std::make_shared<CodingOptions>();
  CLI::App* scramble = app.add_subcommand(
      "scramble", "Scramble bytes through a substitution table drawn from a seed");
  AddInOut(scramble, *o);
  scramble->add_option("-s,--seed", o->Seed, "Seed of the substitution table")
      ->capture_default_str();
  scramble->add_flag("-d,--decode", o->Decode, "Undo the scrambling of the same seed");
  scramble->footer(
      "Each byte 1..255 is replaced by another (0 stays 0); the same seed gives the same table "
      "on every machine. This hides text from a casual look; it is not encryption.\n"
      "Example: kez scramble --seed 42 \"$(kez samples notes.txt)\" | kez scramble --seed 42 --decode");
  OnRun(scramble, [o] {
    InitScramble(o->Seed);
    return Filter(*o, [o](InputFile& in, OutputFile& out) { ScrambleBytes(in, out, o->Decode); });
  });
}

}  // namespace kez::tool
