// Separate objects from separate threads: eight threads each build, save, load, search and
// checksum their own string table, feature matrix, associative array, TGrep, colour array
// and bitmap (whose text goes through the font tables built once for the process). The
// results must match what one thread alone gets, and under ThreadSanitizer (the tsan preset)
// the run must be free of data races.
//
// With KEZ_PLANT_RACE=1 the threads also write one shared table, which the library does not
// allow: under ThreadSanitizer that run must fail (CTest expects it to), which shows that the
// sanitizer sees into the library.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "kez/dstruct/assocarray.hpp"
#include "kez/dstruct/checksums.hpp"
#include "kez/dstruct/featurematrix.hpp"
#include "kez/dstruct/stringarray.hpp"
#include "kez/kezcolors/colorarray.hpp"
#include "kez/platform/graphics_bitmap.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/grep.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;

// What one round of work gives; every thread must get the same.
struct Outcome {
  std::int32_t TableCrc = 0;
  std::int32_t FoundCol = -1, FoundRow = -1;
  std::int32_t MatrixCrc = 0;
  String MatrixValue;
  std::int32_t MatrixFeat = -1;
  String AssocDigest;
  std::int32_t AssocValue = 0;
  std::int32_t GrepPos = 0;
  std::int32_t GrepFileCrc = 0;
  std::int32_t ColorsCrc = 0;
  TColor ColorBack = 0;
  String BitmapDigest;

  bool operator==(const Outcome&) const = default;
};

// Plain characters only, so that the outcome can be printed in a failure message.
std::string Show(const Outcome& O) {
  return "table " + std::to_string(O.TableCrc) + " found " + std::to_string(O.FoundCol) + "," +
         std::to_string(O.FoundRow) + " matrix " + std::to_string(O.MatrixCrc) + " assoc " +
         test::U8(O.AssocDigest) + " grep " + std::to_string(O.GrepPos) + " colours " +
         std::to_string(O.ColorsCrc) + " bitmap " + test::U8(O.BitmapDigest);
}

Outcome Work(const fs::path& Dir, TStringArray* Shared) {
  Outcome out;
  const auto file = [&](const char* Name) { return Utf8ToString((Dir / Name).string()); };

  TStringArray table(nullptr);
  table.Resize(12, 300);
  for (int r = 1; r <= 300; ++r) {
    for (int c = 0; c <= 12; ++c) table.SetString(c, r, "cell " + std::to_string(r * 13 + c));
    if (Shared != nullptr) Shared->SetString(1, 1, "planted " + std::to_string(r));
  }
  table.SaveAsXMLFile(file("table.xml"), u"t");
  TStringArray back(nullptr);
  if (back.LoadFromXMLFile(file("table.xml"), u"t")) {
    back.FindCell(u"cell 2000", true, -1, -1, -1, -1, out.FoundCol, out.FoundRow);
  }
  out.TableCrc = CalcCRC32ofFile(file("table.xml"));

  TFeatureMatrix m(nullptr);
  m.Resize(6, 200);
  for (std::int32_t f = 1; f <= 6; ++f) {
    TFeatProps p = m.GetFeatProps(f);
    p.FeatName = f == 3 ? "Width" : "f" + std::to_string(f);
    p.FeatKind = fkString;
    m.SetFeatProps(f, p);
  }
  for (int o = 1; o <= 200; ++o) {
    for (int f = 1; f <= 6; ++f) m.SetFeatValStr(f, o, u"v" + IntToStr(o * 7 + f));
  }
  m.Save(file("matrix.txt"));
  TFeatureMatrix mb(nullptr);
  mb.Load(file("matrix.txt"));
  out.MatrixFeat = mb.FindFeatName(u"width");
  out.MatrixValue = mb.FeatVal(4, 150);
  out.MatrixCrc = CalcCRC32ofFile(file("matrix.txt"));

  TAssocArray a(nullptr);
  for (int i = 0; i < 500; ++i) a.Add(u"key" + IntToStr(i), std::int32_t{i * 3});
  TMemoryStream stream;
  a.WriteToXMLStream(stream, true, u"a");
  stream.SaveToFile(file("assoc.xml"));
  TMemoryStream loaded;
  loaded.LoadFromFile(file("assoc.xml"));
  TAssocArray ab(nullptr);
  ab.ReadFromXMLStream(loaded, u"a");
  out.AssocValue = ab.ResolveAsInt(u"KEY123");
  out.AssocDigest = SHA1DigestToHex(SHA1FromFile(file("assoc.xml")));

  TGrep grep(nullptr);
  grep.SetRegExp(u"ab+c[0-9]*d");
  grep.MatchString(u"xxabbbc123d", out.GrepPos);
  grep.PrintRegExp(file("grep.txt"));
  out.GrepFileCrc = CalcCRC32ofFile(file("grep.txt"));

  TColorArray colors(nullptr);
  colors.Resize(400);
  for (int i = 1; i <= 400; ++i) colors.SetColorElem(i, static_cast<TColor>(i * 40503u));
  colors.StoreOnFile(1, 400, file("colors.txt"));
  TColorArray cb(nullptr);
  cb.LoadFromFile(file("colors.txt"), true);
  out.ColorBack = cb.ColorElem(77);
  out.ColorsCrc = CalcCRC32ofFile(file("colors.txt"));

  TBitmap bmp;
  bmp.SetSize(160, 60);
  bmp.Canvas().Rectangle(2, 2, 100, 40);
  bmp.Canvas().TextOut(5, 10, u"kez threads");
  bmp.SaveToFile(file("picture.png"));
  out.BitmapDigest = SHA1DigestToHex(SHA1FromFile(file("picture.png")));
  return out;
}

TEST(Threads, SeparateObjectsInSeparateThreads) {
  test::TempDir dir;
  const bool plant = std::getenv("KEZ_PLANT_RACE") != nullptr;
  TStringArray shared(nullptr);
  shared.Resize(2, 2);

  constexpr int kThreads = 8;
  constexpr int kRounds = 3;
  std::vector<Outcome> outcomes(kThreads * kRounds);
  std::vector<std::thread> threads;
  std::atomic<int> ready{0};
  for (int t = 0; t < kThreads; ++t) {
    const fs::path mine = dir.Path() / ("thread" + std::to_string(t));
    fs::create_directory(mine);
    threads.emplace_back([&, t, mine] {
      // All start together, so that the one-time set-ups meet.
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int r = 0; r < kRounds; ++r) {
        outcomes[static_cast<std::size_t>(t * kRounds + r)] = Work(mine, plant ? &shared : nullptr);
      }
    });
  }
  for (auto& th : threads) th.join();
  // One thread alone, after the others: the one-time set-ups were met by the eight first.
  fs::create_directory(dir.Path() / "alone");
  const Outcome expected = Work(dir.Path() / "alone", nullptr);
  EXPECT_EQ(expected.FoundRow, 153);
  EXPECT_EQ(expected.AssocValue, 369);
  for (const Outcome& o : outcomes) EXPECT_EQ(Show(o), Show(expected));
  for (const Outcome& o : outcomes) EXPECT_TRUE(o == expected);
}

}  // namespace
}  // namespace kez
