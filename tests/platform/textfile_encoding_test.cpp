// Text files in Windows-1252 and UTF-8: what each can hold, the byte-order mark, and texts
// from several scripts and beyond U+FFFF read back as they were written.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/textfile.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kBOM = "\xEF\xBB\xBF";

// Latin, Greek, Cyrillic, Han, Arabic, a combining mark, and characters beyond U+FFFF
// (a musical symbol, an emoji, a Han character of plane 2).
const std::vector<String>& ManyScripts() {
  static const std::vector<String> lines = {u"Temp \u0394T = 5 \u00B5s \u4E2D",
                                            u"\u041F\u0440\u0438\u0432\u0435\u0442 caf\u00E9",
                                            u"\u0645\u0631\u062D\u0628\u0627 e\u0301",
                                            u"\U0001D11E \U0001F600 \U00020BB7 \u20AC",
                                            u"",
                                            u"\u0080\u009F\uFFFD\uFEFF"};
  return lines;
}

std::vector<String> ReadAll(TextFile& F) {
  std::vector<String> lines;
  while (!F.Eof()) {
    String line;
    F.ReadLn(line);
    lines.push_back(line);
  }
  return lines;
}

TEST(TextFileEncoding, Utf8FileHoldsEveryScriptAndReadsBackWithoutBeingAsked) {
  TempDir dir;
  TextFile out(dir.File("u.txt"));
  out.SetEncoding(teUtf8);
  out.Rewrite();
  std::string expected = kBOM;
  for (const String& line : ManyScripts()) {
    out.WriteLn(line);
    expected += StringToUtf8(line) + "\r\n";
  }
  EXPECT_EQ(out.Encoding(), teUtf8);
  out.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("u.txt")), expected);

  TextFile in(dir.File("u.txt"));  // the mark alone says UTF-8
  in.Reset();
  EXPECT_EQ(in.Encoding(), teUtf8);
  EXPECT_EQ(ReadAll(in), ManyScripts());
}

TEST(TextFileEncoding, CharactersOneByOneIncludingSurrogatePairs) {
  TempDir dir;
  const String text = u"a\u00E9\u4E2D\U0001F600z";
  TextFile out(dir.File("c.txt"));
  out.SetEncoding(teUtf8NoBOM);
  out.Rewrite();
  for (char16_t c : text) out.Write(c);
  out.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("c.txt")), StringToUtf8(text));

  TextFile in(dir.File("c.txt"));
  in.Reset();  // no mark: Windows-1252 unless asked
  String asAnsi;
  in.ReadLn(asAnsi);
  EXPECT_EQ(asAnsi, AnsiToString(StringToUtf8(text)));
  in.Close();
  in.SetEncoding(teUtf8NoBOM);
  in.Reset();
  String chars;
  while (!in.Eof()) chars.push_back(in.ReadChar());
  EXPECT_EQ(chars, text);
  EXPECT_EQ(in.ReadChar(), u'\x1A');
}

TEST(TextFileEncoding, AnsiFileRefusesWhatItCannotHoldAndWritesNoneOfIt) {
  TempDir dir;
  String longText(10000, u'x');
  longText[9000] = u'\u4E2D';  // goes out in pieces: refused before the first one
  for (TIOErrorMode mode : {iemRaise, iemDeferred}) {
    TextFile f(dir.File("a.txt"));
    f.SetErrorMode(mode);
    f.Rewrite();
    f.WriteLn(u"caf\u00E9 \u20AC");
    const auto refused = [&](auto&& Write) {
      if (mode == iemRaise) {
        try {
          Write();
          ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
          EXPECT_EQ(e.ErrorCode(), ioWriteError);
        }
      } else {
        Write();
        EXPECT_EQ(f.IOResult(), ioWriteError);
      }
    };
    refused([&] { f.WriteLn(u"Temp \u0394T"); });
    refused([&] { f.Write(longText); });
    refused([&] { f.Write(u'\u4E2D'); });
    refused([&] { f.Write(String(1, u'\xD800')); });
    f.WriteLn(u"?");  // a real question mark is fine
    f.Close();
    EXPECT_EQ(ReadBytes(dir.NativeFile("a.txt")), "caf\xE9 \x80\r\n?\r\n");
  }
}

TEST(TextFileEncoding, Utf8RefusesOnlyUnpairedSurrogatesThatStandForNoByte) {
  TempDir dir;
  TextFile f(dir.File("s.txt"));
  f.SetErrorMode(iemDeferred);
  f.SetEncoding(teUtf8NoBOM);
  f.Rewrite();
  f.Write(String(1, u'\xD83D') + u"x");  // a first half without its second
  EXPECT_EQ(f.IOResult(), ioWriteError);
  f.Write(u'\xD83D');
  f.Write(u'x');
  EXPECT_EQ(f.IOResult(), ioWriteError);
  f.Write(u'\xDE00');  // a second half alone
  EXPECT_EQ(f.IOResult(), ioWriteError);
  f.Write(u'\xD83D');  // a first half at the close
  f.Close();
  EXPECT_EQ(f.IOResult(), ioWriteError);
  EXPECT_EQ(ReadBytes(dir.NativeFile("s.txt")), "");
}

TEST(TextFileEncoding, AppendContinuesInTheFilesOwnEncoding) {
  TempDir dir;
  // A file with the mark continues in UTF-8 although nobody asked for it.
  WriteBytes(dir.NativeFile("bom.txt"), kBOM + "one\r\n");
  TextFile f(dir.File("bom.txt"));
  f.Append();
  EXPECT_EQ(f.Encoding(), teUtf8);
  f.WriteLn(u"\u4E2D\U0001F600");
  f.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("bom.txt")),
            kBOM + "one\r\n" + StringToUtf8(u"\u4E2D\U0001F600") + "\r\n");
  // An empty file asked for UTF-8 gets the mark; a file of text without one does not.
  WriteBytes(dir.NativeFile("empty.txt"), "");
  WriteBytes(dir.NativeFile("plain.txt"), "a\r\n");
  for (const char* name : {"empty.txt", "plain.txt"}) {
    TextFile g(dir.File(name));
    g.SetEncoding(teUtf8);
    g.Append();
    g.WriteLn(u"\u00E9");
    g.Close();
  }
  EXPECT_EQ(ReadBytes(dir.NativeFile("empty.txt")), kBOM + "\xC3\xA9\r\n");
  EXPECT_EQ(ReadBytes(dir.NativeFile("plain.txt")), "a\r\n\xC3\xA9\r\n");
  // Without a mark and without asking, the default stays Windows-1252.
  TextFile h(dir.File("plain.txt"));
  h.Append();
  EXPECT_EQ(h.Encoding(), teAnsi);
  h.WriteLn(u"\u00E9");
  h.Close();
  EXPECT_EQ(ReadBytes(dir.NativeFile("plain.txt")), "a\r\n\xC3\xA9\r\n\xE9\r\n");
}

TEST(TextFileEncoding, AFileHoldingOnlyTheMarkIsEmpty) {
  TempDir dir;
  WriteBytes(dir.NativeFile("m.txt"), kBOM);
  TextFile f(dir.File("m.txt"));
  f.Reset();
  EXPECT_TRUE(f.Eof());
  EXPECT_EQ(f.RemainingBytes(), 0);
}

// The well-formed UTF-8 sequences as the Unicode standard tables them (first byte range,
// then the range of the second byte; later bytes 80-BF), written out independently of the
// reader's bit arithmetic. Anything else is one byte, read as U+DC00 + byte.
String ModelDecode(const std::string& Bytes) {
  struct Row {
    unsigned char lo, hi, second_lo, second_hi;
    int length;
  };
  static const Row rows[] = {{0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
                             {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3},
                             {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
                             {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4}};
  String out;
  std::size_t i = 0;
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(Bytes[k]); };
  while (i < Bytes.size()) {
    const unsigned char b = byte(i);
    int length = b < 0x80 ? 1 : 0;
    for (const Row& r : rows) {
      if (b < r.lo || b > r.hi || i + r.length > Bytes.size()) continue;
      bool ok = byte(i + 1) >= r.second_lo && byte(i + 1) <= r.second_hi;
      for (int k = 2; k < r.length; ++k) ok = ok && (byte(i + k) & 0xC0) == 0x80;
      if (ok) length = r.length;
    }
    if (length == 0) {
      out.push_back(static_cast<char16_t>(0xDC00 + b));
      ++i;
      continue;
    }
    out += Utf8ToString(Bytes.substr(i, static_cast<std::size_t>(length)));
    i += static_cast<std::size_t>(length);
  }
  return out;
}

TEST(TextFileEncoding, RandomBytesReadAsTheModelSaysAndWriteBackUnchanged) {
  TempDir dir;
  std::mt19937 random(20261210);
  // Bytes that make sequences and near-misses: ASCII, continuation bytes, lead bytes at
  // the edges of their ranges.
  const std::string alphabet =
      "a\x80\xBF\xC0\xC1\xC2\xDF\xE0\xED\xEF\xF0\xF4\xF5\xFF\x9F\xA0\x8F\x90";
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) bytes.push_back(alphabet[random() % alphabet.size()]);
    WriteBytes(dir.NativeFile("r.txt"), kBOM + bytes + "\r\n");
    TextFile in(dir.File("r.txt"));
    in.Reset();
    String line;
    in.ReadLn(line);
    in.Close();
    ASSERT_EQ(line, ModelDecode(bytes)) << "round " << round;

    TextFile out(dir.File("w.txt"));
    out.SetEncoding(teUtf8);
    out.Rewrite();
    out.WriteLn(line);
    out.Close();
    ASSERT_EQ(ReadBytes(dir.NativeFile("w.txt")), kBOM + bytes + "\r\n") << "round " << round;
  }
}

TEST(TextFileEncoding, TextNeedsUtf8ExactlyWhenWindows1252LacksACharacter) {
  EXPECT_FALSE(TextNeedsUtf8(u"caf\u00E9 \u20AC \u0081 \u017E"));
  EXPECT_TRUE(TextNeedsUtf8(u"\u0394"));
  EXPECT_TRUE(TextNeedsUtf8(u"\U0001F600"));
  EXPECT_TRUE(TextNeedsUtf8(u"\u0080"));  // the euro sign's byte holds U+20AC, not U+0080
}

}  // namespace
}  // namespace kez
