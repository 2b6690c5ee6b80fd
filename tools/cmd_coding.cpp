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

bool IsAsciiBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

[[noreturn]] void Damaged(const InputFile& in, const std::string& Why) {
  throw Failure(in.Name() + ": damaged ASCII85 text: " + Why);
}

// The library's form ends with "~>" and its short last group holds the value of its bytes;
// text without the end, or with the common form's "<~" start, is refused before decoding,
// so that foreign or cut text never decodes to wrong bytes.
void CheckLibraryAscii85(const InputFile& in, std::string_view Text) {
  const std::size_t first = Text.find_first_not_of(" \t\n\v\f\r");
  if (first != Text.npos && Text.substr(first).starts_with("<~")) {
    Damaged(in, "it starts with \"<~\", the common Ascii85 form: decode it with --adobe");
  }
  const std::size_t last = Text.find_last_not_of(" \t\n\v\f\r");
  if (last == Text.npos || last < 1 || Text.substr(last - 1, 2) != "~>") {
    Damaged(in, "no \"~>\" at the end (cut short, or the common Ascii85 form: try --adobe)");
  }
  // A character the library's decoder refuses is left for it to name.
  const std::string_view body = Text.substr(0, last - 1);
  if (body.find_first_not_of("\r\n!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                             "[\\]^_`abcdefghijklmnopqrstuvwxyz") != body.npos) {
    return;
  }
  std::uint64_t value = 0;
  int digits = 0;
  for (const char c : body) {
    if (c == 'z' && digits == 0) continue;
    if (c == '\r' || c == '\n' || c == 'z') continue;
    value = digits == 0 ? 0 : value;
    value = value * 85 + static_cast<std::uint64_t>(c - '!');
    digits = (digits + 1) % 5;
  }
  if (digits == 1) Damaged(in, "a last group of one character");
  if (digits > 1 && value >> (8 * (digits - 1)) != 0) {
    Damaged(in, "its last group is too large for its " + std::to_string(digits - 1) +
                    " bytes (the common Ascii85 form? try --adobe)");
  }
}

void Ascii85Decode(InputFile& in, OutputFile& out) {
  const std::string text = in.ReadAll();
  CheckLibraryAscii85(in, text);
  TStringStream source{std::string_view(text)};
  OutputStream dest(out);
  const std::int32_t status = DecodeASCII85(source, dest);
  if (status == -2) throw Failure(in.Name() + ": damaged ASCII85 text: a \"z\" inside a group");
  if (status != 0) {
    throw Failure(in.Name() + ": damaged ASCII85 text: a character outside \"!\"..\"u\"");
  }
}

// ---- The common Ascii85 form ("<~" ... "~>") ----------------------------------------------

// Four bytes (the last group padded with zeros) as five digits "!".."u", or "z" for four
// zero bytes in a whole group; a last group of n bytes keeps its first n + 1 digits.
void AdobeEncode(InputFile& in, OutputFile& out) {
  out.Write("<~");
  char buf[65536];
  std::string carry, text;
  const auto group = [&](const char* p, std::size_t n) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      v = v << 8 | (i < n ? static_cast<unsigned char>(p[i]) : 0u);
    }
    if (v == 0 && n == 4) {
      text += 'z';
      return;
    }
    char d[5];
    for (int i = 4; i >= 0; --i, v /= 85) d[i] = static_cast<char>('!' + v % 85);
    text.append(d, n + 1);
  };
  while (const std::size_t got = in.Read(buf, sizeof buf)) {
    carry.append(buf, got);
    std::size_t i = 0;
    for (; i + 4 <= carry.size(); i += 4) group(carry.data() + i, 4);
    carry.erase(0, i);
    out.Write(text);
    text.clear();
  }
  if (!carry.empty()) group(carry.data(), carry.size());
  out.Write(text + "~>\n");
}

// Blanks are skipped; "<~" must start the text and "~>" end it (the frame also tells this
// form from the library's, whose last group differs); "z" stands only for a
// whole group. A group beyond 2^32 - 1, a last group of one character, a character outside
// "!".."u" and anything after "~>" fail, and no byte is written then.
void AdobeDecode(InputFile& in, OutputFile& out) {
  const std::string text = in.ReadAll();
  std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at == text.npos || text.compare(at, 2, "<~") != 0) {
    Damaged(in, "no \"<~\" at the start (the library's form? decode it without --adobe)");
  }
  at += 2;
  std::string bytes;
  std::uint64_t value = 0;
  int digits = 0;
  const auto put = [&](int count) {
    if (value > 0xFFFFFFFFu) Damaged(in, "a group beyond 2^32 - 1");
    for (int i = 0; i < count; ++i) bytes += static_cast<char>(value >> (24 - 8 * i));
    value = 0;
  };
  bool ended = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (IsAsciiBlank(c)) continue;
    if (ended) Damaged(in, "text after \"~>\"");
    if (c == '~') {
      if (at + 1 >= text.size() || text[at + 1] != '>') Damaged(in, "a \"~\" without \">\"");
      ++at;
      ended = true;
    } else if (c == 'z') {
      if (digits != 0) Damaged(in, "a \"z\" inside a group");
      bytes.append(4, '\0');
    } else if (c >= '!' && c <= 'u') {
      value = value * 85 + static_cast<std::uint64_t>(c - '!');
      if (++digits == 5) {
        put(4);
        digits = 0;
      }
    } else {
      Damaged(in, "a character outside \"!\"..\"u\"");
    }
  }
  if (!ended) Damaged(in, "no \"~>\" at the end");
  if (digits == 1) Damaged(in, "a last group of one character");
  if (digits > 1) {
    for (int i = digits; i < 5; ++i) value = value * 85 + 84;
    put(digits - 1);
  }
  out.Write(bytes);
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
CLI::App* AddCodingPair(CLI::App& app, const char* name, const std::string& what, const Coder& encode,
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
  return group;
}

}  // namespace

void AddCodingCommands(CLI::App& app) {
  auto adobe = std::make_shared<bool>(false);
  CLI::App* a85 = AddCodingPair(
      app, "ascii85", "ASCII85 (base-85) coding of bytes, in the library's form or the common one",
      [adobe](InputFile& in, OutputFile& out) { (*adobe ? AdobeEncode : Ascii85Encode)(in, out); },
      [adobe](InputFile& in, OutputFile& out) { (*adobe ? AdobeDecode : Ascii85Decode)(in, out); },
      "Without --adobe this is the library's own form: groups of five characters \"!\"..\"u\" "
      "(\"z\" for four zero bytes), a short last group holding the value of its bytes in one "
      "digit more than it has bytes, ended by \"~>\" and a line feed. The common Ascii85 "
      "(Adobe's, Python's base64.a85encode) differs in that last group: give --adobe for it, "
      "framed by \"<~\" and \"~>\". Decoding skips line breaks and exits 1 on damaged text, "
      "on text without its \"~>\" end and on text of the other form, writing nothing.\nExample: kez ascii85 encode \"$(kez samples notes.txt)\" -o notes.a85");
  for (const char* sub : {"encode", "decode"}) {
    a85->get_subcommand(sub)->add_flag(
        "--adobe", *adobe, "The common Ascii85 form with \"<~\" and \"~>\" (as Adobe and Python)");
  }
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
