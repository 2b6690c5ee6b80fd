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

  // The next character as it stands in the stream (CR and LF included) if it is c, which
  // is then consumed; false otherwise.
  bool Skip(std::uint8_t c) {
    if ((FPos < FLen || Refill()) && FBuf[FPos] == c) {
      ++FPos;
      return true;
    }
    return false;
  }

  // The stream position just behind the last character consumed.
  std::int64_t Offset() const {
    return FStart + FConsumed - static_cast<std::int64_t>(FLen - FPos);
  }

  // Leaves the stream at Position, a value Offset gave.
  void Settle(std::int64_t Position) { FIn.Seek(Position, soBeginning); }

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

namespace {

// Records a faulty character of a group: a "z" makes the result -2, which stays; any other
// fault makes a sound result -1.
void NoteFault(std::int32_t& Result, int Ch) {
  if (Ch == 'z') {
    Result = -2;
  } else if (Result == 0) {
    Result = -1;
  }
}

}  // namespace

std::int32_t DecodeASCII85(TStream& InStream, TStream& OutStream) {
  TextReader in(InStream);
  BlockWriter out(OutStream);
  std::int32_t result = 0;
  for (;;) {
    // The common case first: a whole group of five digits, folded modulo 2^32.
    if (const std::uint8_t* g = in.TakePlainGroup()) {
      std::uint32_t v = 0;
      for (int i = 0; i < 5; ++i) v = v * 85u + static_cast<std::uint32_t>(g[i] - '!');
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
    // A group is five characters, or fewer when the stream ends. Where each ends in the
    // stream is kept, to leave the stream right behind the terminator.
    int group[5];
    std::int64_t ends[5];
    int k = 0;
    bool last = false;
    for (;;) {
      group[k] = c;
      ends[k++] = in.Offset();
      if (k == 5) break;
      c = in.Next();
      if (c < 0) {
        last = true;
        break;
      }
    }
    // A "~" ends the text; only the characters before the group's last "~" count, so a
    // "~" before it is a faulty digit.
    int tilde = k - 1;
    while (tilde >= 0 && group[tilde] != '~') --tilde;
    const bool terminated = tilde >= 0;
    const int counting = terminated ? tilde : k;
    std::uint32_t v = 0;
    for (int i = 0; i < counting; ++i) {
      const int ch = group[i];
      if (ch < '!' || ch > 'u') NoteFault(result, ch);
      v = v * 85u + static_cast<std::uint32_t>(ch - '!');
    }
    std::uint8_t bytes[4];
    for (int i = 0; i < counting - 1; ++i)
      bytes[i] = static_cast<std::uint8_t>(v >> (8 * (counting - 2 - i)));
    if (counting > 1) out.Put(bytes, static_cast<std::size_t>(counting - 1));
    if (terminated) {
      // Behind the "~" and the ">" that normally follows it. A group cut short by the end
      // of the stream has only skipped line breaks behind its characters.
      std::int64_t end = ends[tilde];
      if (tilde + 1 < k) {
        if (group[tilde + 1] == '>') end = ends[tilde + 1];
      } else if (!last && in.Skip('>')) {
        end = in.Offset();
      }
      in.Settle(end);
      out.Flush();
      return result;
    }
    if (last) break;
  }
  out.Flush();
  in.Settle(in.Offset());
  return result;
}

}  // namespace kez
