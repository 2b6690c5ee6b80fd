// ASCII85 encoding and decoding between byte streams, read and written in blocks.
#include <cstring>
#include <vector>

#include "kez/dstruct.hpp"

namespace kez {

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 16;

// Collects output bytes and hands them to the stream a block at a time.
class BlockWriter {
 public:
  explicit BlockWriter(TStream& Out) : FOut(Out), FBuf(kBlock + 16) {}
  // Room for n <= 16 more bytes; Commit tells how many were written there.
  std::uint8_t* Room() { return FBuf.data() + FLen; }
  void Commit(std::size_t n) {
    FLen += n;
    if (FLen >= kBlock) Flush();
  }
  void Put(const void* p, std::size_t n) {
    std::memcpy(Room(), p, n);
    Commit(n);
  }
  void Flush() {
    FOut.WriteBuffer(FBuf.data(), static_cast<std::int64_t>(FLen));
    FLen = 0;
  }

 private:
  TStream& FOut;
  std::vector<std::uint8_t> FBuf;
  std::size_t FLen = 0;
};

// Writes the base-85 digits of v, most significant first, as characters '!' + digit.
void PutDigits(BlockWriter& out, std::uint32_t v, int digits) {
  std::uint8_t* c = out.Room();
  for (int i = digits - 1; i >= 0; --i) {
    c[i] = static_cast<std::uint8_t>('!' + v % 85);
    v /= 85;
  }
  out.Commit(static_cast<std::size_t>(digits));
}

// Delivers the input a character at a time from block reads, skipping CR and LF, and
// counts what it consumed so the stream can be left right after the text.
class TextReader {
 public:
  explicit TextReader(TStream& In) : FIn(In), FStart(In.Position()), FBuf(kBlock) {}

  // The next character other than CR and LF, or -1 at the end of the stream.
  int Next() {
    for (;;) {
      if (FPos == FLen && !Refill()) return -1;
      const std::uint8_t c = FBuf[FPos++];
      if (c != '\r' && c != '\n') return c;
    }
  }

  // Five buffered characters, all digits "!".."u", consumed at once; null otherwise.
  const std::uint8_t* TakePlainGroup() {
    if (FLen - FPos < 5) return nullptr;
    const std::uint8_t* p = FBuf.data() + FPos;
    for (int i = 0; i < 5; ++i)
      if (static_cast<unsigned>(p[i] - '!') > 84u) return nullptr;
    FPos += 5;
    return p;
  }

  // Consumes the next character if it is c.
  void Skip(std::uint8_t c) {
    if ((FPos < FLen || Refill()) && FBuf[FPos] == c) ++FPos;
  }

  // Leaves the stream right after the last character consumed.
  void Settle() {
    FIn.Seek(FStart + FConsumed - static_cast<std::int64_t>(FLen - FPos), soBeginning);
  }

 private:
  bool Refill() {
    const std::int64_t got = FIn.Read(FBuf.data(), static_cast<std::int64_t>(FBuf.size()));
    FPos = 0;
    FLen = got > 0 ? static_cast<std::size_t>(got) : 0;
    FConsumed += static_cast<std::int64_t>(FLen);
    return FLen > 0;
  }

  TStream& FIn;
  std::int64_t FStart;
  std::int64_t FConsumed = 0;  // bytes read from the stream so far
  std::vector<std::uint8_t> FBuf;
  std::size_t FPos = 0, FLen = 0;
};

}  // namespace

void EncodeASCII85(TStream& InStream, TStream& OutStream) {
  BlockWriter out(OutStream);
  std::vector<std::uint8_t> buf(kBlock);
  std::size_t carry = 0;  // bytes of an unfinished group at the front of buf
  for (;;) {
    const std::int64_t got =
        InStream.Read(buf.data() + carry, static_cast<std::int64_t>(buf.size() - carry));
    if (got <= 0) break;
    const std::size_t have = carry + static_cast<std::size_t>(got);
    std::size_t i = 0;
    for (; i + 4 <= have; i += 4) {
      const std::uint32_t v = static_cast<std::uint32_t>(buf[i]) << 24 | buf[i + 1] << 16 |
                              buf[i + 2] << 8 | buf[i + 3];
      if (v == 0) {
        out.Put("z", 1);
      } else {
        PutDigits(out, v, 5);
      }
    }
    carry = have - i;
    std::memmove(buf.data(), buf.data() + i, carry);
  }
  // A short final group: its own value, big-endian, in one digit more than it has bytes.
  if (carry > 0) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < carry; ++i) v = v << 8 | buf[i];
    PutDigits(out, v, static_cast<int>(carry) + 1);
  }
  out.Put("~>", 2);
  out.Flush();
}

std::int32_t DecodeASCII85(TStream& InStream, TStream& OutStream) {
  TextReader in(InStream);
  BlockWriter out(OutStream);
  std::int32_t result = 0;
  bool finished = false;
  while (!finished) {
    // The common case first: a whole group of five digits.
    if (const std::uint8_t* g = in.TakePlainGroup()) {
      std::uint64_t v = 0;
      for (int i = 0; i < 5; ++i) v = v * 85u + static_cast<unsigned>(g[i] - '!');
      if (v > 0xFFFFFFFFu) result = -1;
      std::uint8_t* o = out.Room();
      for (int i = 0; i < 4; ++i) o[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
      out.Commit(4);
      continue;
    }
    int c = in.Next();
    if (c < 0) break;
    if (c == 'z') {
      out.Put("\0\0\0\0", 4);
      continue;
    }
    // Up to five characters; the first "~" ends the text (a following ">" is consumed
    // with it), and so does the end of the stream.
    int group[5];
    int k = 0;
    for (;;) {
      if (c == '~') {
        in.Skip('>');
        finished = true;
        break;
      }
      group[k++] = c;
      if (k == 5) break;
      c = in.Next();
      if (c < 0) {
        finished = true;
        break;
      }
    }
    if (k == 0) break;
    // Bad characters still count, their offsets wrapping modulo 2^32, so every group
    // yields its bytes; a sound group is also checked against the range of its bytes.
    std::uint32_t v = 0;
    std::uint64_t exact = 0;
    bool sound = true;
    for (int i = 0; i < k; ++i) {
      const int ch = group[i];
      if (ch < '!' || ch > 'u') {
        result = ch == 'z' ? -2 : -1;
        sound = false;
      }
      v = v * 85u + static_cast<std::uint32_t>(ch - '!');
      exact = exact * 85u + static_cast<std::uint64_t>(ch - '!');
    }
    if (sound && k >= 2 && exact >> (8 * (k - 1)) != 0) result = -1;
    std::uint8_t bytes[4];
    for (int i = 0; i < k - 1; ++i) bytes[i] = static_cast<std::uint8_t>(v >> (8 * (k - 2 - i)));
    out.Put(bytes, static_cast<std::size_t>(k > 0 ? k - 1 : 0));
  }
  out.Flush();
  in.Settle();
  return result;
}

}  // namespace kez
