// Every reader of outside data gives the same result whether its bytes come from a regular
// file, a FIFO, a pipe (as "cat file |" gives them, cut into random pieces by the writer)
// or a /proc file that reports size 0 yet has content.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "kez/dstruct.hpp"
#include "kez/filesys.hpp"
#include "kez/htmlsupport.hpp"
#include "kez/kezbase.hpp"
#include "kez/kezcolors.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"
#include "support/file_readers.hpp"
#include "support/pipe_feed.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::PipeFeed;
using test::Reader;
using test::Run;
using test::TextReaders;
using test::ProcFeed;
using test::ReadBytes;
using test::TempDir;
using test::U8;
using test::WriteBytes;

// Whether a result equals the expected one; a short account of the first difference when
// not (results run to megabytes).
testing::AssertionResult Same(const std::string& Got, const std::string& Expected) {
  if (Got == Expected) return testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < Got.size() && at < Expected.size() && Got[at] == Expected[at]) ++at;
  return testing::AssertionFailure()
         << Got.size() << " bytes instead of " << Expected.size() << ", differing from byte "
         << at << ": \"" << testing::PrintToString(Got.substr(at, 60)) << "\" instead of \""
         << testing::PrintToString(Expected.substr(at, 60)) << "\"";
}

// Reads Bytes from a regular file, through a FIFO and a pipe (pieces cut by Seed) and,
// where they fit, from /proc; every way must give what the regular file gives. The
// regular file's result is returned.
std::string ExpectSameEveryWay(const std::string& Bytes, const Reader& Read, unsigned Seed) {
  TempDir dir;
  WriteBytes(dir.NativeFile("in"), Bytes);
  const std::string expected = Run(Read, dir.File("in"));
  for (auto kind : {PipeFeed::Fifo, PipeFeed::Pipe}) {
    TempDir feedDir;
    PipeFeed feed(feedDir, Bytes, kind, Seed);
    EXPECT_TRUE(Same(Run(Read, feed.Name()), expected))
        << (kind == PipeFeed::Fifo ? "FIFO" : "pipe") << ", seed " << Seed;
  }
  if (Bytes.size() < 120'000 && Bytes.find('\0') == std::string::npos) {
    WriteBytes(dir.NativeFile("in0"), ProcFeed::AsRead(Bytes));
    const std::string expected0 = Run(Read, dir.File("in0"));
    ProcFeed proc(Bytes);
    EXPECT_TRUE(proc.Ok());
    if (proc.Ok()) {
      EXPECT_TRUE(Same(Run(Read, proc.Name()), expected0)) << "/proc, seed " << Seed;
    }
  }
  return expected;
}

// Random text: lines of random lengths (now and then a very long one) of ASCII, Windows-1252
// and UTF-8 bytes, ended by LF or CR LF, the last one perhaps without an end; sometimes
// with a byte-order mark.
std::string RandomText(std::mt19937& Random, std::size_t MaxLines) {
  static const std::string kPieces[] = {"a", "Z", "7", " ", "\t", "needle", "\xE9", "\x80",
                                        "\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\r",
                                        "TRUE", "FALSE", "-12", "<",
                                        "<a x=1>", "</a>", "<b>"};
  std::string text = Random() % 4 == 0 ? "\xEF\xBB\xBF" : "";
  const std::size_t lines = Random() % (MaxLines + 1);
  for (std::size_t i = 0; i < lines; ++i) {
    const std::size_t length = Random() % 50 == 0 ? 70'000 + Random() % 5000 : Random() % 80;
    for (std::size_t k = 0; k < length; ++k) text += kPieces[Random() % std::size(kPieces)];
    if (i + 1 < lines || Random() % 2 == 0) text += Random() % 2 == 0 ? "\n" : "\r\n";
  }
  return text;
}

TEST(ReadersThroughPipes, TextReadersAgreeOnRandomText) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    const std::string text = RandomText(random, seed % 3 == 0 ? 400 : 30);
    for (const auto& [name, read] : TextReaders()) {
      SCOPED_TRACE(name);
      ExpectSameEveryWay(text, read, seed);
    }
  }
}

TEST(ReadersThroughPipes, AnAscHeaderReadsTheSameEveryWay) {
  const std::string header = "a comment\r\n12\r\n-7\r\nTRUE FALSE TRUE TRUEly\r\n1 2 3\r\n";
  for (const auto& [name, read] : TextReaders()) {
    if (std::string(name).find("ASC") == std::string::npos) continue;
    SCOPED_TRACE(name);
    EXPECT_EQ(ExpectSameEveryWay(header, read, 3), "0a comment12-71011");
  }
}

TEST(ReadersThroughPipes, SavedTablesLoadBackEveryWay) {
  TempDir dir;
  std::mt19937 random(7);
  TStringArray table(nullptr);
  table.Resize(4, 300);
  for (int r = 1; r <= 300; ++r) table.SetString(r % 5, r, "cell \xE9 " + std::to_string(random()));
  table.SaveAsXMLFile(dir.File("t.xml"), u"T");
  const std::string got = ExpectSameEveryWay(
      ReadBytes(dir.NativeFile("t.xml")),
      [](const String& Name) {
        TStringArray back(nullptr);
        std::string all = back.LoadFromXMLFile(Name, u"T") ? "ok" : "failed";
        all += std::to_string(back.NrOfColumns()) + "x" + std::to_string(back.NrOfRows());
        for (int r = 1; r <= back.NrOfRows(); ++r) all += back.GetString(r % 5, r) + "|";
        return all;
      },
      11);
  EXPECT_EQ(got.substr(0, 9), "ok4x300ce");

  TFeatureMatrix m(nullptr);
  ASSERT_TRUE(m.Resize(3, 500));
  TFeatProps p;
  p.FeatKind = fkString;
  for (int f = 1; f <= 3; ++f) m.SetFeatProps(f, p);
  for (int o = 1; o <= 500; o += 3) m.SetFeatValStr(1 + o % 3, o, u"v\u00E9" + IntToStr(o));
  m.Save(dir.File("m.txt"));
  const std::string matrix = ExpectSameEveryWay(
      ReadBytes(dir.NativeFile("m.txt")),
      [](const String& Name) {
        TFeatureMatrix back(nullptr);
        std::string all = std::to_string(back.Load(Name)) + ":";
        all += std::to_string(back.NFeatures()) + "x" + std::to_string(back.NObjects());
        for (int o = 1; o <= back.NObjects(); ++o) {
          for (int f = 1; f <= back.NFeatures(); ++f) all += U8(back.FeatVal(f, o)) + "|";
        }
        return all;
      },
      12);
  EXPECT_EQ(matrix.substr(0, 8), "0:3x500|");

  TColorArray colours(nullptr);
  colours.Resize(2000);
  for (int i = 1; i <= 2000; ++i) colours.SetColorElem(i, static_cast<TColor>(random() & 0xFFFFFF));
  ASSERT_TRUE(colours.StoreOnFile(1, 2000, dir.File("c.txt")));
  const std::string colourText = ExpectSameEveryWay(
      ReadBytes(dir.NativeFile("c.txt")),
      [](const String& Name) {
        TColorArray back(nullptr);
        std::string all = back.LoadFromFile(Name, true) ? "ok" : "failed";
        all += std::to_string(back.Size()) + ":";
        for (int i = 1; i <= back.Size(); ++i) all += std::to_string(back[i]) + ",";
        return all;
      },
      13);
  EXPECT_EQ(colourText.substr(0, 7), "ok2000:");

  TAssocArray assoc(nullptr);
  for (int i = 0; i < 800; ++i) assoc.Add(u"key" + IntToStr(i), Variant(u"value \u00E9" + IntToStr(i)));
  {
    TFileStream out(dir.File("a.xml"), fmCreate);
    assoc.WriteToXMLStream(out, true, u"A");
  }
  const std::string assocText = ExpectSameEveryWay(
      ReadBytes(dir.NativeFile("a.xml")),
      [](const String& Name) {
        TFileStream in(Name, fmOpenRead);
        TAssocArray back(nullptr);
        std::string all = back.ReadFromXMLStream(in, u"A") ? "ok" : "failed";
        all += std::to_string(back.NumEntries()) + ":";
        for (int i = 0; i < back.NumEntries(); ++i)
          all += U8(back.Keys(i)) + "=" + U8(back.Values(i).ToString()) + ",";
        return all;
      },
      14);
  EXPECT_EQ(assocText.substr(0, 6), "ok800:");

  TCustomTextLabel label;
  label.SetTxtLblCaption(u"Peak \u00E9 load");
  {
    TextFile out(dir.File("l.xml"));
    out.Rewrite();
    label.WriteToOpenXMLFile(out, true, u"peak", 2);
    out.Close();
  }
  const std::string labelText = ExpectSameEveryWay(
      ReadBytes(dir.NativeFile("l.xml")),
      [](const String& Name) {
        TextFile in(Name);
        in.Reset();
        TCustomTextLabel back;
        const std::string read = back.ReadFromOpenXMLFile(in, u"PEAK") ? "ok" : "failed";
        return read + U8(back.Caption());
      },
      15);
  EXPECT_EQ(labelText, "okPeak \xC3\xA9 load");
}

}  // namespace
}  // namespace kez
