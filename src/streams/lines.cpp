// Lines, whole texts and marker searches on byte streams.
#include "kez/streams/lines.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "kez/platform/sysutils.hpp"
#include "streams/bytereader.hpp"
#include "streams/matcher.hpp"

namespace kez {

namespace {

constexpr char16_t kCR = 13;
constexpr char16_t kLF = 10;

constexpr bool IsLineEnd(char16_t Ch) { return Ch == kCR || Ch == kLF; }

constexpr bool EndsLine(int Mode, char16_t Ch, char16_t Previous) {
  switch (Mode) {
    case 0:
      return Ch == kLF;
    case 1:
      return Ch == kCR;
    case 2:
      return IsLineEnd(Ch);
    case 3:
      return Ch == kCR && Previous == kLF;
    case 4:
      return Ch == kLF && Previous == kCR;
    default:
      return false;
  }
}

constexpr std::int64_t kBlockSize = 256;

// Reads one block of up to 256 bytes and appends it as characters; returns the count. A
// block shorter than 256 bytes is not taken for the end of the stream (a pipe or a socket
// may hand out less): the readers stop when a read gives nothing.
std::int64_t AppendBlock(TStream& Stream, String& Text) {
  std::array<std::uint8_t, kBlockSize> block;
  const std::int64_t n = Stream.Read(block.data(), kBlockSize);
  Text.append(block.begin(), block.begin() + std::max<std::int64_t>(n, 0));
  return n;
}

// The length of the line at the start of Data (N bytes) under the end test of mode M, its
// end byte included; 0 when none of the bytes ends it. Gives the same end as EndsLine
// applied byte by byte from the line's start.
template <int M>
std::size_t FindLineEnd(const std::uint8_t* Data, std::size_t N) {
  if (N == 0) return 0;  // an empty stream's memory may be null, which memchr must not get
  if constexpr (M == 0 || M == 1) {
    const void* hit = std::memchr(Data, M == 0 ? kLF : kCR, N);
    return hit == nullptr ? 0 : static_cast<const std::uint8_t*>(hit) - Data + 1;
  } else if constexpr (M == 2) {
    for (std::size_t i = 0; i < N; ++i) {
      if (IsLineEnd(Data[i])) return i + 1;
    }
    return 0;
  } else if constexpr (M == 3 || M == 4) {
    // The end byte counts only behind its partner within the same line.
    const int last = M == 3 ? kCR : kLF;
    const std::uint8_t first = M == 3 ? kLF : kCR;
    for (std::size_t from = 1; from < N;) {
      const void* hit = std::memchr(Data + from, last, N - from);
      if (hit == nullptr) return 0;
      const std::size_t i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - Data);
      if (Data[i - 1] == first) return i + 1;
      from = i + 1;
    }
    return 0;
  } else {
    return 0;
  }
}

// Reads one line with the end test of mode M (5 stands for "never").
template <int M, class Reader>
String ReadLine(Reader& reader, bool& Eos) {
  if constexpr (requires { reader.RestSize(); }) {
    // The bytes lie in memory: find the end first, then widen the line in one go.
    const std::uint8_t* data = reader.Rest();
    const std::size_t available = reader.RestSize();
    std::size_t length = FindLineEnd<M>(data, available);
    std::size_t kept = length;
    if (length == 0) {
      Eos = true;
      length = kept = available;
    } else {
      for (int dropped = 0; dropped < 2 && kept > 0 && IsLineEnd(data[kept - 1]); ++dropped) {
        --kept;
      }
    }
    reader.Skip(length);
    return ToString(std::string_view(reinterpret_cast<const char*>(data), kept));
  } else {
    String line;
    // Other streams: bytes are gathered in a small block and appended block by block, much
    // cheaper than growing the line one character at a time.
    std::array<char16_t, 128> block;
    std::size_t filled = 0;
    char16_t previous = 0;
    std::uint8_t byte;
    for (;;) {
      if (!reader.NextByte(byte)) {
        Eos = true;
        line.append(block.data(), filled);
        return line;
      }
      const char16_t ch = byte;
      block[filled++] = ch;
      if (EndsLine(M, ch, previous)) break;
      if (filled == block.size()) {
        line.append(block.data(), filled);
        filled = 0;
      }
      previous = ch;
    }
    line.append(block.data(), filled);
    for (int dropped = 0; dropped < 2 && !line.empty() && IsLineEnd(line.back()); ++dropped) {
      line.pop_back();
    }
    return line;
  }
}

}  // namespace

String ReadLnStream(TStream& Stream, bool& Eos, int Mode) {
  Eos = false;
  return detail::WithByteReader(Stream, [&](auto& reader) {
    // One loop per mode, so that the end test is not dispatched for every byte.
    switch (Mode) {
      case 0:
        return ReadLine<0>(reader, Eos);
      case 1:
        return ReadLine<1>(reader, Eos);
      case 2:
        return ReadLine<2>(reader, Eos);
      case 3:
        return ReadLine<3>(reader, Eos);
      case 4:
        return ReadLine<4>(reader, Eos);
      default:
        return ReadLine<5>(reader, Eos);
    }
  });
}

String StreamAsString(TStream& Stream) {
  String text;
  while (AppendBlock(Stream, text) > 0) {
  }
  return text;
}

bool FindInStream(TStream& Stream, std::uint8_t Value) {
  return detail::WithByteReader(Stream, [&](auto& reader) {
    std::uint8_t byte;
    while (reader.NextByte(byte)) {
      if (byte == Value) return true;
    }
    return false;
  });
}

String ReadStreamUntil(TStream& Stream, StringView Target, std::int32_t& Status) {
  Status = -1;
  String collected;
  if (Target.empty()) {
    Status = 0;
    return collected;
  }
  const std::int64_t start = Stream.Position();
  // The matcher follows the blocks as they come, so a match may straddle them and the
  // work stays linear in the text read, whatever the target.
  detail::Matcher<char16_t> matcher(LowerCase(Target));
  std::size_t end = 0;  // behind the target once found
  for (std::size_t scanned = 0; end == 0;) {
    const std::int64_t n = AppendBlock(Stream, collected);
    for (; scanned < collected.size(); ++scanned) {
      if (matcher.Feed(LoCaseASCII(collected[scanned]))) {
        end = scanned + 1;
        break;
      }
    }
    if (n <= 0) break;
  }
  if (end == 0) return collected;
  Status = 0;
  collected.resize(end);
  Stream.SetPosition(start + static_cast<std::int64_t>(end));
  return collected;
}

std::int64_t CountLinesInStream(TStream& Stream) {
  // Counting needs no per-byte stops, so it reads in larger blocks.
  std::array<std::uint8_t, 4096> block;
  std::int64_t lines = 0;
  std::int64_t n;
  while ((n = Stream.Read(block.data(), static_cast<std::int64_t>(block.size()))) > 0) {
    lines += std::count(block.begin(), block.begin() + n, std::uint8_t{10});
  }
  return lines;
}

}  // namespace kez
