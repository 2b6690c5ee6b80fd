#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <span>
#include <vector>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "kez/kezcolors.hpp"
#include "pipe_feed.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(ColorArray, StartsWithTheRainbowOverThousandEntries) {
  TColorArray a(nullptr);
  EXPECT_EQ(a.Size(), 1000);
  EXPECT_EQ(a.ColorElem(1), InterpolateColor(RRGGBB(0x200040), RRGGBB(0x600080), 0.01));
  EXPECT_EQ(a.ColorElem(1000), RRGGBB(0x400000));
}

TEST(ColorArray, ReadsClampTheIndexAndWritesOutsideAreIgnored) {
  TColorArray a(nullptr);
  a.Resize(3);
  a.Fill(clBlack);
  a.SetColorElem(1, 1);
  a.SetColorElem(3, 3);
  int changes = 0;
  a.SetOnChange([&](TObject*) { ++changes; });
  a.SetColorElem(0, 99);
  a.SetColorElem(4, 99);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(a.ColorElem(0), 1u);
  EXPECT_EQ(a.ColorElem(8), 3u);
  a.SetColorElem(2, 2);
  EXPECT_EQ(changes, 1);
}

TEST(ColorArray, ResizeKeepsEntriesAndIgnoresImpossibleSizes) {
  TColorArray a(nullptr);
  const TColor first = a[1];
  int changes = 0;
  a.SetOnChange([&](TObject*) { ++changes; });
  EXPECT_TRUE(a.Resize(1000));
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(a.Resize(0));
  a.SetSize(-5);
  EXPECT_EQ(a.Size(), 1000);
  EXPECT_TRUE(a.Resize(1005));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a[1], first);
  EXPECT_EQ(a[1005], clBlack);
}

TEST(FillByInterpolation, QuantisesIntoBands) {
  TColorArray a(nullptr);
  a.Resize(4);
  a.FillByInterpolation(2, {clBlack, clWhite});
  EXPECT_EQ(a[1], clBlack);
  EXPECT_EQ(a[2], RRGGBB(0x7F7F7F));
  EXPECT_EQ(a[3], clWhite);
  EXPECT_EQ(a[4], clWhite);
}

TEST(FillByInterpolation, EndsOnTheLastColourWithoutBands) {
  TColorArray a(nullptr);
  a.Resize(5);
  a.FillByInterpolation(0, {RGB(0, 0, 0), RGB(100, 0, 0), RGB(100, 200, 0)});
  EXPECT_EQ(a[5], RGB(100, 200, 0));
  // The fraction runs past 1 between neighbours and is clamped there.
  EXPECT_EQ(a[1], RGB(40, 0, 0));
  EXPECT_EQ(a[2], RGB(80, 0, 0));
  EXPECT_EQ(a[3], RGB(100, 0, 0));
  EXPECT_EQ(a[4], RGB(100, 120, 0));
}

TEST(FillByInterpolation, ManyColoursAndBandsNeverIndexOutside) {
  // Band quantisation gives k = 0 for the first entries; with many colours the formula's index
  // would be negative.
  TColorArray a(nullptr);
  a.Resize(4);
  a.FillByInterpolation(1, ColorArray_Contrast);
  EXPECT_EQ(a[1], ColorArray_Contrast[0]);
  EXPECT_EQ(a[4], ColorArray_Contrast[15]);
  a.Resize(1);
  a.FillByInterpolation(3, ColorArray_Rainbow);  // size below the number of colours
}

// With fewer entries than colours each entry is its own point of the path through the
// colours: within the palette, and the last entry the last colour.
TEST(FillByInterpolation, FewerEntriesThanColoursStayOnThePalette) {
  const std::vector<TColor> path = {clBlack, RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                    clWhite};
  TColorArray a(nullptr);
  a.Resize(2);
  a.FillByInterpolation(0, path);
  EXPECT_EQ(a[1], path[2]);
  EXPECT_EQ(a[2], path[4]);
  a.Resize(4);
  a.FillByInterpolation(0, path);
  for (std::int32_t i = 1; i <= 4; ++i) EXPECT_EQ(a[i], path[static_cast<std::size_t>(i)]) << i;
  a.Resize(3);
  a.FillByInterpolation(0, path);
  EXPECT_EQ(a[1], InterpolateColor(path[1], path[2], 4.0 / 3 - 1));
  EXPECT_EQ(a[3], clWhite);
  for (std::int32_t n = 1; n < 11; ++n) {
    a.Resize(n);
    a.FillByInterpolation(0, ColorArray_Rainbow);
    EXPECT_EQ(a[n], ColorArray_Rainbow.back()) << n;
  }
  a.Resize(2);
  a.FillByInterpolation(0, ColorArray_Rainbow);  // the middle of the rainbow, not #0E2F4E
  EXPECT_EQ(a[1], InterpolateColor(ColorArray_Rainbow[5], ColorArray_Rainbow[6], 0));
}

// Arrays with at least as many entries as colours keep the classic spread bit for bit.
TEST(FillByInterpolation, LongerArraysKeepTheClassicSpread) {
  const auto classic = [](std::int32_t Size, std::int32_t Levels, std::span<const TColor> C,
                          std::int32_t i) {
    const auto H = static_cast<double>(C.size() - 1);
    const double N = Size;
    const double L = Levels;
    double k = i;
    if (Levels > 0) k = std::nearbyint(std::nearbyint(i * L / N) * N / L);
    const auto idx = static_cast<std::size_t>(std::clamp(std::trunc(H * (k - 1) / N), 0.0, H - 1));
    return InterpolateColor(C[idx], C[idx + 1], H * k / N - static_cast<double>(idx));
  };
  TColorArray a(nullptr);
  for (std::int32_t size : {11, 12, 37, 1000}) {
    for (std::int32_t levels : {0, 3, 7}) {
      a.Resize(size);
      a.FillByInterpolation(levels, ColorArray_Rainbow);
      for (std::int32_t i = 1; i <= size; ++i)
        ASSERT_EQ(a[i], classic(size, levels, ColorArray_Rainbow, i)) << size << " " << levels;
    }
  }
}

TEST(FillByInterpolation, OneColourFillsAndNoneChangesNothing) {
  TColorArray a(nullptr);
  a.Resize(3);
  a.FillByInterpolation(0, {RGB(9, 9, 9)});
  EXPECT_EQ(a[2], RGB(9, 9, 9));
  int changes = 0;
  a.SetOnChange([&](TObject*) { ++changes; });
  a.FillByInterpolation(0, std::span<const TColor>());
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(a[3], RGB(9, 9, 9));
}

TEST(ColorArray, MirrorInvertAndNearestColour) {
  TColorArray a(nullptr);
  a.Resize(3);
  a.SetColorElem(1, RGB(255, 0, 0));
  a.SetColorElem(2, RGB(0, 255, 0));
  a.SetColorElem(3, RGB(0, 255, 0));
  double d;
  EXPECT_EQ(a.ColorToIndex(RGB(10, 240, 0), d), 2);  // the first of two equal entries
  EXPECT_GT(d, 0);
  a.MirrorColors();
  EXPECT_EQ(a[3], RGB(255, 0, 0));
  a.InvertColors();
  EXPECT_EQ(a[3], RGB(0, 255, 255));
  a.Fill(clBlack);
  EXPECT_EQ(a.ColorToIndex(clWhite, d), 1);  // nothing strictly nearer than distance 1
  EXPECT_EQ(d, 1);
}

TEST(ColorArray, CopyFromClampsAndCopiesOverlappingRangesFromASnapshot) {
  TColorArray a(nullptr);
  a.Resize(6);
  for (int i = 1; i <= 6; ++i) a.SetColorElem(i, static_cast<TColor>(i));
  a.CopyFrom(&a, 1, 3, 2);  // overlapping: 1 1 2 3 5 6, not 1 1 1 1 ...
  for (int i = 1; i <= 6; ++i)
    EXPECT_EQ(a[i], (std::vector<TColor>{1, 1, 2, 3, 5, 6})[static_cast<std::size_t>(i - 1)]);
  TColorArray b(nullptr);
  b.Resize(3);
  b.Fill(0);
  b.CopyFrom(&a, 10, -4, -1);  // range 1..6 reversed and clamped, positions -1, 0 skipped
  EXPECT_EQ(b[1], 2u);
  EXPECT_EQ(b[3], 5u);
  b.CopyFrom(nullptr, 1, 2, 1);
}

TEST(ColorArray, IndexesAndCountsAtThe32BitLimits) {
  TColorArray a(nullptr);
  a.Resize(4);
  a.Fill(7);
  for (const std::int32_t x : {INT_MIN, -1, 0, INT_MAX}) {
    a.SetColorElem(x, 1);
    a.CopyFrom(&a, INT_MIN, INT_MAX, x);  // only positions inside 1..4 are written
    a.FillByInterpolation(x, {clBlack, clWhite});
    EXPECT_EQ(a.Size(), 4);
    EXPECT_EQ(a[4], clWhite) << x;
    if (x < 1) {
      EXPECT_FALSE(a.Resize(x));
    }
  }
  EXPECT_EQ(a[INT_MIN], a[1]);
  EXPECT_EQ(a[INT_MAX], a[4]);
  TempDir dir;
  ASSERT_TRUE(a.StoreOnFile(INT_MAX, INT_MIN, dir.File("all.txt")));
  EXPECT_EQ(ReadBytes(dir.NativeFile("all.txt")).substr(0, 5), "1 4\r\n");
}

TEST(ColorArray, AssignCopiesSizeAndEntriesButNotTheHandler) {
  TColorArray a(nullptr), b(nullptr);
  a.Resize(10);
  a.SetColorElem(10, 42);
  int calls = 0;
  b.SetOnChange([&](TObject*) { ++calls; });
  b.Assign(&a);
  EXPECT_TRUE(b.IsEqual(a));
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(a.OnChange());
  b.SetColorElem(1, 7);
  EXPECT_FALSE(b.IsEqual(a));
  TComponent other(nullptr);
  EXPECT_THROW(a.Assign(&other), EConvertError);
}

TEST(ColorArrayFile, StoresTheRangeWithItsHeader) {
  TempDir dir;
  TColorArray a(nullptr);
  a.Resize(6);
  a.Fill(RGB(255, 0, 0));
  ASSERT_TRUE(a.StoreOnFile(5, 2, dir.File("p.txt")));
  EXPECT_EQ(ReadBytes(dir.NativeFile("p.txt")),
            "2 5\r\n000000FF\r\n000000FF\r\n000000FF\r\n000000FF\r\n");
  ASSERT_TRUE(a.StoreOnFile(-3, 100, dir.File("all.txt")));
  EXPECT_EQ(ReadBytes(dir.NativeFile("all.txt")).substr(0, 5), "1 6\r\n");
  EXPECT_FALSE(a.StoreOnFile(1, 2, dir.File("no/such/dir.txt")));
}

TEST(ColorArrayFile, RoundTripsWithAndWithoutAdjustingTheSize) {
  TempDir dir;
  TColorArray a(nullptr);
  a.FillByInterpolation(0, ColorArray_Geo1);
  a.SetColorElem(7, 0xFF00000F);  // system colour references survive as they are
  ASSERT_TRUE(a.StoreOnFile(1, 1000, dir.File("geo.txt")));
  TColorArray b(nullptr);
  b.Resize(10);
  EXPECT_TRUE(b.LoadFromFile(dir.File("geo.txt"), true));
  EXPECT_TRUE(b.IsEqual(a));
  TColorArray c(nullptr);
  c.Resize(2000);
  EXPECT_TRUE(c.LoadFromFile(dir.File("geo.txt"), false));
  EXPECT_EQ(c.Size(), 2000);
  EXPECT_EQ(c[7], 0xFF00000Fu);
}

TEST(ColorArrayFile, ReadsLenientLinesAndDropsPositionsBelowOne) {
  TempDir dir;
  WriteBytes(dir.NativeFile("p.txt"),
             "-1   3 trailing words\n7\n8\n  $00ff00 note\nno digits\r\nffffffffff\n");
  TColorArray a(nullptr);
  a.Resize(3);
  a.Fill(5);
  int changes = 0;
  a.SetOnChange([&](TObject*) { ++changes; });
  EXPECT_TRUE(a.LoadFromFile(dir.File("p.txt"), false));
  EXPECT_EQ(a[1], 0x0000FF00u);
  EXPECT_EQ(a[2], 0u);
  EXPECT_EQ(a[3], 0xFFFFFFFFu);
  EXPECT_EQ(changes, 4);  // three stored entries and the final notice
}

TEST(ColorArrayFile, FailuresGiveFalseAndKeepTheEntries) {
  TempDir dir;
  TColorArray a(nullptr);
  const TColor first = a[1];
  WriteBytes(dir.NativeFile("big.txt"), "1 2000\n000000FF\n");
  EXPECT_FALSE(a.LoadFromFile(dir.File("big.txt"), false));
  EXPECT_EQ(a[1], first);
  EXPECT_FALSE(a.LoadFromFile(dir.File("missing.txt"), false));
  WriteBytes(dir.NativeFile("bad.txt"), "one two\n");
  EXPECT_FALSE(a.LoadFromFile(dir.File("bad.txt"), true));
  EXPECT_EQ(a.Size(), 1000);
  // A header promising more entries than the file holds.
  WriteBytes(dir.NativeFile("huge.txt"), "1 2000000000\n000000FF\n");
  EXPECT_FALSE(a.LoadFromFile(dir.File("huge.txt"), true));
  EXPECT_EQ(a.Size(), 1000);
  // A first entry far below 1 ends at the end of the file.
  WriteBytes(dir.NativeFile("low.txt"), "-2000000000 1\n000000FF\n");
  EXPECT_FALSE(a.LoadFromFile(dir.File("low.txt"), false));
}

TEST(ColorArrayFile, AdjustingToALastElemBelowOneKeepsTheSizeAndReads) {
  TempDir dir;
  TColorArray a(nullptr);
  a.Resize(3);
  a.Fill(5);
  int changes = 0;
  a.SetOnChange([&](TObject*) { ++changes; });
  WriteBytes(dir.NativeFile("low.txt"), "-2 0\nFF\nFF\nFF\n");
  EXPECT_TRUE(a.LoadFromFile(dir.File("low.txt"), true));
  EXPECT_EQ(a.Size(), 3);
  EXPECT_EQ(a[1], 5u);
  EXPECT_EQ(changes, 1);  // only the final notice: every position lies below 1
  WriteBytes(dir.NativeFile("empty.txt"), "4 0\n");
  EXPECT_TRUE(a.LoadFromFile(dir.File("empty.txt"), true));
  EXPECT_EQ(a.Size(), 3);
  a.Changed();  // public, as on the other components
  EXPECT_EQ(changes, 3);
}

TEST(ColorArrayFile, AHeaderPromisingAHugeArrayIsRefusedBeforeResizing) {
  TempDir dir;
  TColorArray a(nullptr);
  for (const char* header : {"2147483647 2147483647\n000000FF\n", "100000000 100000000\n000000FF\n",
                             "1 2147483647\n000000FF\n", "-2147483648 2147483647\n000000FF\n"}) {
    WriteBytes(dir.NativeFile("huge.txt"), header);
    EXPECT_FALSE(a.LoadFromFile(dir.File("huge.txt"), true)) << header;
    EXPECT_EQ(a.Size(), 1000) << header;
  }
  // A size the file's length covers is taken.
  WriteBytes(dir.NativeFile("fits.txt"), "3 3\n000000FF\n");
  EXPECT_TRUE(a.LoadFromFile(dir.File("fits.txt"), true));
  EXPECT_EQ(a.Size(), 3);
  EXPECT_EQ(a[3], 0xFFu);
}

TEST(NamedColors, TableShapeAndPrecedence) {
  EXPECT_EQ(AllKEZColorNames.size(), 466u);
  EXPECT_EQ(AllKEZColorNames[1], u"Black");
  EXPECT_EQ(AllKEZColorNames[466], u"YellowGreen");
  EXPECT_EQ(AllKEZColors[48], RRGGBB(0x998877));  // Bronze
  EXPECT_EQ(ObtainColorName(RRGGBB(0x00FFFF)), u"Aqua");
  EXPECT_EQ(ObtainColorName(RRGGBB(0x7FFFD4)), u"Aquamarine");
  EXPECT_EQ(ObtainColorName(RRGGBB(0x808080)), u"Gray");  // before WebGray
  EXPECT_EQ(ObtainColorName(0xFF00000F), u"FF00000F");
  EXPECT_EQ(ObtainColorName(RRGGBB(0xA6CAF0)), u"SkyBlue");
  for (std::size_t i = 0; i < 16; ++i)
    EXPECT_EQ(PredefinedColors[i], AllKEZColors[static_cast<long>(i) + 1]);
  EXPECT_EQ(PredefinedColors[29], clDefault);
  EXPECT_EQ(PredefinedColors[40], clNone);
  EXPECT_EQ(PredefinedColors[46], 0xFF000008u);
  EXPECT_EQ(X11Colors[0], RRGGBB(0xF0F8FF));
  EXPECT_EQ(X11Colors[144], RRGGBB(0x9ACD32));
}

// The rows taken from the X Window System database agree with it where it is installed.
TEST(NamedColors, AgreeWithTheX11Database) {
  std::ifstream in("/usr/share/X11/rgb.txt");
  if (!in) GTEST_SKIP() << "no rgb.txt on this machine";
  std::map<std::string, TColor> database;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    int r, g, b;
    if (!(fields >> r >> g >> b)) continue;
    std::string word, name;
    while (fields >> word) name += word;
    for (auto& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    database.emplace(name, RGB(r, g, b));
  }
  const std::set<std::string> exceptions = {"bronze",        "carbon",  "crimson",  "indigo",
                                            "rebeccapurple", "webgray", "webgreen", "webmaroon",
                                            "webpurple",     "skyblue", "skyblue1"};
  int checked = 0;
  for (long row = 20; row <= 466; ++row) {
    std::string name = test::U8(AllKEZColorNames[row]);
    for (auto& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (exceptions.count(name) || !database.count(name)) continue;
    EXPECT_EQ(AllKEZColors[row], database[name]) << name;
    ++checked;
  }
  EXPECT_GT(checked, 400);
}

TEST(ColorArrayFile, AStoredArrayLoadsBackThroughAFifoAndAPipe) {
  TempDir dir;
  TColorArray a(nullptr);
  a.Resize(1500);
  for (std::int32_t i = 1; i <= 1500; ++i) a.SetColorElem(i, static_cast<TColor>(i * 4099));
  ASSERT_TRUE(a.StoreOnFile(1, 1500, dir.File("a.pal")));
  for (auto kind : {test::PipeFeed::Fifo, test::PipeFeed::Pipe}) {
    TempDir feedDir;
    test::PipeFeed feed(feedDir, ReadBytes(dir.NativeFile("a.pal")), kind);
    TColorArray back(nullptr);
    back.Resize(3);
    ASSERT_TRUE(back.LoadFromFile(feed.Name(), true));
    ASSERT_EQ(back.Size(), 1500);
    for (std::int32_t i = 1; i <= 1500; ++i) ASSERT_EQ(back[i], a[i]) << i;
  }
  // Where the size left cannot be told, a header beyond the memory budget is refused.
  test::PipeFeed hostile(dir, "1 2147483647\n000000FF\n", test::PipeFeed::Pipe);
  TColorArray c(nullptr);
  EXPECT_FALSE(c.LoadFromFile(hostile.Name(), true));
  EXPECT_EQ(c.Size(), 1000);
}

}  // namespace
}  // namespace kez
