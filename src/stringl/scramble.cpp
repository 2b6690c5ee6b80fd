// The substitution scrambler and uuencoding.
#include <array>
#include <string>

#include "kez/platform/random.hpp"
#include "kez/stringl.hpp"

namespace kez {
namespace {

using Table = std::array<std::uint8_t, 256>;

// The process-wide tables. Constant-initialized (all zeros: every code maps to 0) until
// the unit's start routine fills them.
constinit Table gEncode{};
constinit Table gDecode{};

String Substitute(StringView Text, const Table& T) {
  String out(Text);
  for (char16_t& ch : out) {
    if (ch < 256) ch = T[ch];
  }
  return out;
}

constexpr std::size_t kBytesPerLine = 45;

char UUChar(unsigned Bits) { return Bits == 0 ? '`' : static_cast<char>(32 + Bits); }

// The six bits of a data character, or -1 when the character is outside " ".."`".
int UUBits(char16_t Ch) { return Ch >= 32 && Ch <= 96 ? (Ch - 32) & 63 : -1; }

// Decodes one line (without its line end) into Out; a malformed line adds nothing.
void DecodeLine(StringView Line, std::string& Out) {
  if (Line.empty()) return;
  const int count = UUBits(Line[0]);
  if (count <= 0 || static_cast<std::size_t>(count) > kBytesPerLine) return;
  const std::size_t groups = (static_cast<std::size_t>(count) + 2) / 3;
  std::string bytes;
  bytes.reserve(groups * 3);
  for (std::size_t g = 0; g < groups; ++g) {
    unsigned v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      // Mail transports strip trailing blanks, which encode zero bits: a line shorter than
      // its length character needs is read as if the blanks were still there.
      const std::size_t at = 1 + 4 * g + k;
      const int bits = at < Line.size() ? UUBits(Line[at]) : 0;
      if (bits < 0) return;
      v = (v << 6) | static_cast<unsigned>(bits);
    }
    bytes.push_back(static_cast<char>(v >> 16));
    bytes.push_back(static_cast<char>((v >> 8) & 0xFF));
    bytes.push_back(static_cast<char>(v & 0xFF));
  }
  bytes.resize(static_cast<std::size_t>(count));
  Out += bytes;
}

}  // namespace

void InitScramble(std::int32_t Seed) {
  RandSeed = static_cast<std::uint32_t>(Seed);
  gEncode.fill(0);
  gDecode.fill(0);
  for (int i = 1; i <= 255; ++i) {
    std::int32_t r = 0;
    do {
      r = Random(255) + 1;
    } while (gDecode[static_cast<std::size_t>(r)] != 0);
    gEncode[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(r);
    gDecode[static_cast<std::size_t>(r)] = static_cast<std::uint8_t>(i);
  }
}

String Scramble(StringView Text) { return Substitute(Text, gEncode); }

String DeScramble(StringView Text) { return Substitute(Text, gDecode); }

String UUEncodeStr(StringView Text) {
  const AnsiString bytes = StringToAnsi(Text);
  std::string out;
  out.reserve(bytes.size() / 3 * 4 + bytes.size() / kBytesPerLine * 2 + 8);
  for (std::size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
    const std::size_t n = std::min(kBytesPerLine, bytes.size() - start);
    out.push_back(static_cast<char>(32 + n));
    for (std::size_t g = 0; g < n; g += 3) {
      unsigned v = 0;
      for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t i = start + g + k;
        v = (v << 8) | (g + k < n ? static_cast<unsigned char>(bytes[i]) : 0u);
      }
      out.push_back(UUChar(v >> 18));
      out.push_back(UUChar((v >> 12) & 63));
      out.push_back(UUChar((v >> 6) & 63));
      out.push_back(UUChar(v & 63));
    }
    out.push_back('\n');
  }
  return String(out.begin(), out.end());
}

String UUDecodeStr(StringView Text) {
  std::string bytes;
  std::size_t start = 0;
  while (start < Text.size()) {
    const auto end = Text.find_first_of(u"\r\n", start);
    const std::size_t stop = end == StringView::npos ? Text.size() : end;
    DecodeLine(Text.substr(start, stop - start), bytes);
    start = stop + 1;
  }
  return AnsiToString(bytes);
}

}  // namespace kez
