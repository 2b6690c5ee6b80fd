// A save killed at a random moment: a child process saves a large table, matrix or text
// over an existing file and is killed with SIGKILL somewhere between its start and a little
// after the time a whole save takes. Whatever the moment, the target must then be the
// previous file or the new one, byte for byte. (A killed save may leave its temporary file
// beside the target: nobody is left to remove it. The test removes it between rounds.)
//
// KEZ_KILL_ROUNDS sets the rounds per writer: 30 by default, which keeps the three writers
// near a minute on a busy two-core machine; KEZ_KILL_ROUNDS=200 is the full run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "kez/dstruct/featurematrix.hpp"
#include "kez/dstruct/stringarray.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/sysutils.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

using Clock = std::chrono::steady_clock;

// Runs Save(Target) in a child process; kills it after Delay unless it is negative. True
// when the child ended by itself with success.
bool SaveInChild(const std::function<void(const String&)>& Save, const String& Target,
                 std::chrono::microseconds Delay) {
  const pid_t child = ::fork();
  if (child == 0) {
    int status = 0;
    try {
      Save(Target);
    } catch (...) {
      status = 1;
    }
    ::_exit(status);
  }
  if (child < 0) return false;
  if (Delay.count() >= 0) {
    std::this_thread::sleep_for(Delay);
    ::kill(child, SIGKILL);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void KillRounds(const char* Name, const std::function<void(const String&)>& Save) {
  const int rounds =
      std::getenv("KEZ_KILL_ROUNDS") ? std::atoi(std::getenv("KEZ_KILL_ROUNDS")) : 30;
  TempDir dir;
  const std::string target = dir.NativeFile("target.txt");
  const std::string old = "the previous file\r\n";
  // One whole save, timed: the new file and the span the kills are spread over.
  WriteBytes(target, old);
  const auto start = Clock::now();
  ASSERT_TRUE(SaveInChild(Save, dir.File("target.txt"), std::chrono::microseconds(-1))) << Name;
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  const std::string fresh = ReadBytes(target);
  ASSERT_GT(fresh.size(), 10u << 20) << Name;
  std::mt19937_64 rng(std::random_device{}());
  std::uniform_int_distribution<std::int64_t> moment(0, span.count() * 11 / 10);
  int replaced = 0;
  for (int round = 0; round < rounds; ++round) {
    WriteBytes(target, old);
    const auto delay = std::chrono::microseconds(moment(rng));
    SaveInChild(Save, dir.File("target.txt"), delay);
    const std::string now = ReadBytes(target);
    ASSERT_TRUE(now == old || now == fresh)
        << Name << ": killed after " << delay.count() << " us, the file has " << now.size()
        << " bytes, neither the old " << old.size() << " nor the new " << fresh.size();
    if (now == fresh) ++replaced;
    for (const auto& e : fs::directory_iterator(dir.Path())) {
      if (e.path().filename() != "target.txt") fs::remove(e.path());
    }
  }
  std::cout << Name << ": " << rounds << " kills (a whole save takes " << span.count() / 1000
            << " ms), " << replaced << " after the new file was in place\n";
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

TEST(KilledSave, LeavesTheOldTableOrTheNew) {
  TStringArray table(nullptr);
  ASSERT_TRUE(table.Resize(20, 13000));
  for (int r = 1; r <= 13000; ++r) {
    for (int c = 0; c <= 20; ++c) table.SetString(c, r, "value " + std::to_string(r * 21 + c));
  }
  KillRounds("TStringArray::SaveAsXMLFile",
             [&](const String& Target) { table.SaveAsXMLFile(Target, u"table"); });
}

TEST(KilledSave, LeavesTheOldMatrixOrTheNew) {
  TFeatureMatrix m(nullptr);
  ASSERT_TRUE(m.Resize(100, 7000));
  NameFeatures(m);
  for (int o = 1; o <= 7000; ++o) {
    for (int f = 1; f <= 100; ++f) m.SetFeatValStr(f, o, u"v" + IntToStr(o * 100 + f));
  }
  KillRounds("TFeatureMatrix::Save", [&](const String& Target) { m.Save(Target); });
}

TEST(KilledSave, LeavesTheOldTextOrTheNew) {
  TStringList text;
  for (int i = 0; i < 400000; ++i) text.Add(u"line " + IntToStr(i) + u" of a long text");
  KillRounds("TStrings::SaveToFile", [&](const String& Target) { text.SaveToFile(Target); });
}

}  // namespace
}  // namespace kez
