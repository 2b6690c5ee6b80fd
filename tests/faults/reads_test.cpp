// Every reader of text files and streams under interrupted and short reads: each read call
// of the library first fails with EINTR and then gives at most half of what it asked for.
// Both must simply be continued, so every reader must give what it gives undisturbed.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "faults.hpp"
#include "file_readers.hpp"
#include "pipe_feed.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::TempDir;

// Text of many lines, some long, with a byte-order mark so that the readers that look for
// one look at the file's start, and a last line that only reads right in UTF-8.
std::string SampleText() {
  std::mt19937 random(5);
  std::string text = "\xEF\xBB\xBF";
  for (int i = 0; i < 3000; ++i) {
    text += "line " + std::to_string(random()) + (i % 7 == 0 ? " needle \xC3\xA9" : "");
    if (i % 500 == 0) text += std::string(70'000, 'x');
    text += i % 3 == 0 ? "\n" : "\r\n";
  }
  return text + "the last line \xC3\xA9";
}

std::string Interrupted(const test::Reader& Read, const String& Name) {
  faults::InterruptReads(true);
  std::string got = test::Run(Read, Name);
  faults::InterruptReads(false);
  return got;
}

TEST(InterruptedReads, EveryReaderGoesOn) {
  if (!faults::Loaded()) GTEST_SKIP() << faults::WhyNotLoaded();
  TempDir dir;
  const std::string text = SampleText();
  test::WriteBytes(dir.NativeFile("in.txt"), text);
  for (const auto& [name, read] : test::TextReaders()) {
    SCOPED_TRACE(name);
    const std::string expected = test::Run(read, dir.File("in.txt"));
    EXPECT_EQ(expected.rfind("raised", 0), std::string::npos) << expected.substr(0, 200);
    EXPECT_TRUE(Interrupted(read, dir.File("in.txt")) == expected) << "regular file";
    TempDir feedDir;
    test::PipeFeed feed(feedDir, text, test::PipeFeed::Pipe, 3);
    EXPECT_TRUE(Interrupted(read, feed.Name()) == expected) << "pipe";
  }
}

}  // namespace
}  // namespace kez
