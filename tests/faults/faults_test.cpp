// Every whole-file writer under injected faults: each system call a save makes (open, write,
// flush, close, rename, truncate, kernel copy) is made to fail in turn with ENOSPC, EIO and
// EINTR, and every write is made to come back short. After each run the target must be the
// previous file or the complete new one, nothing may be left beside it, and the failure
// must have been reported; an interrupted call (EINTR) and a short write must simply be
// continued, so those saves succeed.
//
// The faults come from tests/faults/faultinject.c, preloaded into this program (main below
// starts the program again with it when it is missing). Under AddressSanitizer the library
// is loaded before the sanitizer's runtime, which is told not to insist on coming first.
#include "faults.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "kez/dstruct/featurematrix.hpp"
#include "kez/dstruct/stringarray.hpp"
#include "kez/filesys/textfiles.hpp"
#include "kez/filesys/trees.hpp"
#include "kez/htmlsupport/producer.hpp"
#include "kez/kezcolors/colorarray.hpp"
#include "kez/platform/graphics_bitmap.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/grep.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// One whole-file writer: Save writes the new contents to the library name it is given and
// returns false (or raises) when it reports a failure. Inputs it reads live in Inputs, a
// folder apart from the target's, so that "nothing beside the target" can be checked.
struct Writer {
  const char* Name;
  std::function<bool(const String& Target, const fs::path& Inputs)> Save;
};

bool Raises(const std::function<void()>& Body) {
  try {
    Body();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// A text long enough that a save takes several writes of the 64 KiB buffers.
String LongText(int Lines) {
  String text;
  for (int i = 0; i < Lines; ++i) text += u"line " + IntToStr(i) + u" of the new file\r\n";
  return text;
}

// A matrix of text features named f1, f2 ...
void NameFeatures(TFeatureMatrix& M) {
  for (std::int32_t f = 1; f <= M.NFeatures(); ++f) {
    TFeatProps p = M.GetFeatProps(f);
    p.FeatName = "f" + std::to_string(f);
    p.FeatKind = fkString;
    M.SetFeatProps(f, p);
  }
}

std::vector<Writer> Writers() {
  return {
      {"TMemoryStream::SaveToFile",
       [](const String& Target, const fs::path&) {
         TMemoryStream m;
         const std::string bytes(200000, 'm');
         m.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
         return Raises([&] { m.SaveToFile(Target); });
       }},
      {"TStrings::SaveToFile",
       [](const String& Target, const fs::path&) {
         TStringList list;
         for (int i = 0; i < 6000; ++i) list.Add(u"entry " + IntToStr(i) + u" \u00E9");
         return Raises([&] { list.SaveToFile(Target); });
       }},
      {"TBitmap::SaveToFile (BMP)",
       [](const String& Target, const fs::path&) {
         TBitmap bmp;
         bmp.SetSize(300, 200);
         bmp.Canvas().Rectangle(10, 10, 200, 150);
         return Raises([&] { bmp.SaveToFile(Target + u".bmp"); });
       }},
      {"TBitmap::SaveToFile (PNG)",
       [](const String& Target, const fs::path&) {
         TBitmap bmp;
         bmp.SetSize(300, 200);
         bmp.Canvas().Ellipse(10, 10, 200, 150);
         return Raises([&] { bmp.SaveToFile(Target + u".png"); });
       }},
      {"TStringArray::SaveAsXMLFile",
       [](const String& Target, const fs::path&) {
         TStringArray table(nullptr);
         table.Resize(20, 400);
         for (int r = 1; r <= 400; ++r) table.SetString(r % 20, r, "cell " + std::to_string(r));
         return Raises([&] { table.SaveAsXMLFile(Target, u"data"); });
       }},
      {"TFeatureMatrix::Save",
       [](const String& Target, const fs::path&) {
         TFeatureMatrix m(nullptr);
         m.Resize(10, 800);
         NameFeatures(m);
         for (int o = 1; o <= 800; ++o) m.SetFeatValStr(1 + o % 10, o, u"value " + IntToStr(o));
         return Raises([&] { m.Save(Target); });
       }},
      {"TColorArray::StoreOnFile",
       [](const String& Target, const fs::path&) {
         TColorArray a(nullptr);
         a.Resize(12000);
         for (int i = 1; i <= 12000; ++i) a.SetColorElem(i, static_cast<TColor>(i * 2654435761u));
         return a.StoreOnFile(1, 12000, Target);
       }},
      {"THtmlProducer::WriteConvertedHTMLToFile",
       [](const String& Target, const fs::path&) {
         THtmlProducer p(nullptr);
         p.SetTemplate(u"<html><body>" + LongText(3000) + u"</body></html>");
         p.Convert();
         return Raises([&] { p.WriteConvertedHTMLToFile(Target); });
       }},
      {"TGrep::PrintRegExp",
       [](const String& Target, const fs::path&) {
         TGrep grep(nullptr);
         grep.SetRegExp(u"a[bc]*d.e?f+");
         return Raises([&] { grep.PrintRegExp(Target); });
       }},
      {"EnsureCRLFInFile",
       [](const String& Target, const fs::path& Inputs) {
         const std::string in = (Inputs / "lf.txt").string();
         if (!fs::exists(in)) {
           std::string text;
           for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
           WriteBytes(in, text);
         }
         return Raises([&] { EnsureCRLFInFile(Utf8ToString(in), Target); });
       }},
      {"FileCopyFeedBk",
       [](const String& Target, const fs::path& Inputs) {
         const std::string in = (Inputs / "source.bin").string();
         if (!fs::exists(in)) WriteBytes(in, std::string(300000, 's'));
         return Raises([&] {
           if (FileCopyFeedBk(Utf8ToString(in), Target, false, nullptr) != fcSuccess)
             throw std::runtime_error("copy failed");
         });
       }},
  };
}

// The library name a writer saves to, and the file it lands in (bitmaps add their type).
String TargetName(const TempDir& Dir) { return Dir.File("target"); }


// The ks tried for a save of Calls calls: all of them within the budget, else the first
// and last Budget / 3 (where opening and committing happen) and an even spread of the
// middle, shifted by a seed that is printed, so that runs together cover every k.
std::vector<long> KsToTry(long Calls, long Budget, unsigned Seed) {
  std::vector<long> ks;
  if (Calls <= Budget) {
    for (long k = 1; k <= Calls; ++k) ks.push_back(k);
    return ks;
  }
  const long edge = Budget / 3;
  for (long k = 1; k <= edge; ++k) ks.push_back(k);
  const long middle = Calls - 2 * edge;
  const long picks = Budget - 2 * edge;
  std::mt19937 rng(Seed);
  const long step = middle / picks;
  const long shift = static_cast<long>(rng() % static_cast<unsigned long>(step));
  for (long i = 0; i < picks; ++i) ks.push_back(edge + 1 + i * step + shift);
  for (long k = Calls - edge + 1; k <= Calls; ++k) ks.push_back(k);
  return ks;
}

// Counts of the whole run, reported at the end.
long gTried = 0;
long gSurvived = 0;

class WholeFileWriter : public ::testing::TestWithParam<int> {};

TEST_P(WholeFileWriter, SurvivesAFaultAtEveryCall) {
  if (!faults::Loaded()) GTEST_SKIP() << faults::WhyNotLoaded();
  const Writer writer = Writers()[static_cast<std::size_t>(GetParam())];
  TempDir inputs;
  TempDir reference;
  // The new contents, saved once without faults.
  ASSERT_TRUE(writer.Save(TargetName(reference), inputs.Path())) << writer.Name;
  const std::vector<std::string> landed = test::FolderEntries(reference.Path());
  ASSERT_EQ(landed.size(), 1u) << writer.Name;
  const std::string file = landed[0];
  const std::string fresh = ReadBytes((reference.Path() / file).string());
  const std::string old = "the previous file\r\n";

  TempDir dir;
  const std::string target = (dir.Path() / file).string();
  // The calls of one save over an existing file.
  WriteBytes(target, old);
  faults::Arm(0, 0);
  const bool counted = writer.Save(TargetName(dir), inputs.Path());
  const long calls = faults::Disarm();
  ASSERT_TRUE(counted);
  ASSERT_GT(calls, 3) << writer.Name;

  const long budget =
      std::atol(std::getenv("KEZ_FAULT_BUDGET") ? std::getenv("KEZ_FAULT_BUDGET") : "90");
  const unsigned seed = std::random_device{}();
  const std::vector<long> ks = KsToTry(calls, budget, seed);
  std::cout << writer.Name << ": " << calls << " calls, " << ks.size() << " values of k tried"
            << (static_cast<long>(ks.size()) < calls ? " (seed " + std::to_string(seed) + ")" : "")
            << "\n";
  for (const int err : {ENOSPC, EIO, EINTR}) {
    for (const long k : ks) {
      WriteBytes(target, old);
      faults::Arm(k, err);
      const bool ok = writer.Save(TargetName(dir), inputs.Path());
      faults::Disarm();
      const bool fired = faults::Fired();
      const std::string now = ReadBytes(target);
      const std::string where = std::string(writer.Name) + ", call " + std::to_string(k) + " of " +
                                std::to_string(calls) + " failing with " + std::strerror(err);
      ++gTried;
      const bool whole = now == old || now == fresh;
      const bool alone = test::FolderEntries(dir.Path()) == std::vector<std::string>{file};
      // EINTR is retried, so the save succeeds. A failure that cannot lose data (closing a
      // descriptor that was only read) may pass unreported, but only when the new file is
      // complete.
      const bool reported = err == EINTR ? ok && now == fresh : !fired || !ok || now == fresh;
      EXPECT_TRUE(whole) << where << ": a torn file";
      EXPECT_TRUE(alone) << where << ": something left beside the file";
      EXPECT_TRUE(reported) << where << (err == EINTR ? ": not retried" : ": not reported");
      if (whole && alone && reported) ++gSurvived;
    }
  }
  // Every write comes back short: the savers continue them.
  WriteBytes(target, old);
  faults::Arm(0, -1);
  const bool ok = writer.Save(TargetName(dir), inputs.Path());
  faults::Disarm();
  ++gTried;
  const bool continued = ok && ReadBytes(target) == fresh;
  EXPECT_TRUE(continued) << writer.Name << ": short writes were not continued";
  if (continued) ++gSurvived;
}

INSTANTIATE_TEST_SUITE_P(All, WholeFileWriter,
                         ::testing::Range(0, static_cast<int>(Writers().size())),
                         [](const ::testing::TestParamInfo<int>& Info) {
                           std::string name = Writers()[static_cast<std::size_t>(Info.param)].Name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

// A failed append leaves nothing of itself: the file is cut back to its old length.
TEST(AppendToTextFile, AFailedAppendLeavesNoPartOfALine) {
  if (!faults::Loaded()) GTEST_SKIP() << faults::WhyNotLoaded();
  TempDir dir;
  const std::string file = dir.NativeFile("log.txt");
  const String line = String(5000, u'x') + u"\u00E9";
  // A Windows-1252 file, and a UTF-8 one, which the append must recognise to go on in UTF-8.
  for (const std::string old : {"first\r\nsecond\r\n", "\xEF\xBB\xBF" "first\r\n"}) {
    WriteBytes(file, old);
    faults::Arm(0, 0);
    AppendToTextFile(dir.File("log.txt"), line);
    const long calls = faults::Disarm();
    const std::string appended = ReadBytes(file);
    ASSERT_EQ(appended.size(), old.size() + 5003 + (old[0] == 'f' ? 0 : 1));
    for (const int err : {ENOSPC, EIO, EINTR}) {
      for (long k = 1; k <= calls; ++k) {
        WriteBytes(file, old);
        faults::Arm(k, err);
        const bool ok = Raises([&] { AppendToTextFile(dir.File("log.txt"), line); });
        faults::Disarm();
        const std::string now = ReadBytes(file);
        ++gTried;
        const std::string where =
            "call " + std::to_string(k) + " failing with " + std::strerror(err);
        const bool whole = now == old || now == appended;
        const bool retried = err != EINTR || (ok && now == appended);
        EXPECT_TRUE(whole) << where << ": part of a line left behind";
        EXPECT_TRUE(retried) << where << ": not retried";
        if (whole && retried) ++gSurvived;
      }
    }
  }
  // A new file that cannot take its line is not left behind.
  faults::Arm(0, 0);
  AppendToTextFile(dir.File("new.txt"), line);
  const long newCalls = faults::Disarm();
  for (long k = 1; k <= newCalls; ++k) {
    fs::remove(dir.NativeFile("new.txt"));
    faults::Arm(k, ENOSPC);
    const bool ok = Raises([&] { AppendToTextFile(dir.File("new.txt"), line); });
    faults::Disarm();
    ++gTried;
    const bool clean = ok || !fs::exists(dir.NativeFile("new.txt"));
    EXPECT_TRUE(clean) << "call " << k << ": a new file left behind";
    if (clean) ++gSurvived;
  }
}

class Report : public ::testing::Environment {
 public:
  void TearDown() override {
    std::cout << "injected faults: " << gTried << " tried, " << gSurvived << " survived\n";
  }
};

const auto* const gReport = ::testing::AddGlobalTestEnvironment(new Report);

}  // namespace
}  // namespace kez
