#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "canvas_picture.hpp"
#include "kez/platform/graphics.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

std::uint32_t LE32(const std::string& Bytes, std::size_t At) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(Bytes[At + i]);
  return v;
}

std::uint32_t BE32(const std::string& Bytes, std::size_t At) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(Bytes[At + i]);
  return v;
}

TEST(Bitmap, SizesAtTheirLimits) {
  TBitmap bmp;
  EXPECT_EQ(bmp.Width(), 0);
  EXPECT_EQ(bmp.Canvas().ClipRect(), (TRect{0, 0, 0, 0}));
  bmp.Canvas().Rectangle(0, 0, 5, 5);  // nothing to draw on, nothing happens
  bmp.SetSize(-5, 3);
  EXPECT_EQ(bmp.Width(), 0);
  EXPECT_EQ(bmp.Height(), 3);
  bmp.SetSize(4, 3);
  EXPECT_THROW_MSG(bmp.SetWidth(2147483647), EInvalidGraphic,
                   u"Bitmap size 2147483647 x 3 is too large");
  EXPECT_THROW(bmp.SetSize(40000, 40000), EInvalidGraphic);  // each side fits, the area not
  EXPECT_EQ(bmp.Width(), 4);
  EXPECT_EQ(bmp.Height(), 3);
  EXPECT_EQ(bmp.ScanLine(3), nullptr);
  EXPECT_EQ(bmp.ScanLine(-1), nullptr);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(Bitmap, MemoryThatCannotBeHadIsOutOfMemory) {
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer's shadow memory needs the address space";
  // In a child whose address space allows about 256 MB more than it uses, the largest
  // bitmap (512 MB of pixels) cannot be had.
  const pid_t pid = ::fork();
  if (pid == 0) {
    long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
      std::fclose(f);
    }
    const rlim_t room = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + (256u << 20);
    const rlimit limit{room, room};
    if (pages == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(99);
    TBitmap bmp;
    bmp.SetSize(10, 10);
    try {
      bmp.SetSize(16384, 8192);
    } catch (const EOutOfMemory&) {
      ::_exit(bmp.Width() == 10 && bmp.Height() == 10 ? 0 : 2);
    } catch (...) {
      ::_exit(3);
    }
    ::_exit(1);
  }
  int status = -1;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Bitmap, ResizingKeepsPixelsAndPaintsNewOnesWhite) {
  TBitmap bmp;
  bmp.SetSize(3, 2);
  bmp.Canvas().SetPixels(0, 0, test::kRed);
  bmp.Canvas().SetPixels(2, 1, test::kBlue);
  bmp.SetWidth(4);
  bmp.SetHeight(3);
  EXPECT_EQ(test::Picture(bmp.Canvas(), 0, 0, 3, 2),
            (std::vector<std::string>{"r...", "..b.", "...."}));
  bmp.SetSize(1, 1);
  EXPECT_EQ(bmp.Canvas().Pixels(0, 0), test::kRed);

  TBitmap copy;
  copy.Assign(&bmp);
  EXPECT_EQ(copy.Width(), 1);
  EXPECT_EQ(copy.Canvas().Pixels(0, 0), test::kRed);
}

TEST(Bitmap, SavesBottomUpBmp) {
  test::TempDir dir;
  TBitmap bmp;
  bmp.SetSize(2, 2);
  bmp.Canvas().SetPixels(0, 0, 0x030201);  // top-left: red 1, green 2, blue 3
  bmp.Canvas().SetPixels(1, 1, 0x000000);
  bmp.SaveToFile(dir.File("a.bmp"));
  const std::string bytes = test::ReadBytes(dir.NativeFile("a.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 2 * 8);  // rows of 6 bytes padded to 8
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(LE32(bytes, 2), bytes.size());
  EXPECT_EQ(LE32(bytes, 18), 2u);
  EXPECT_EQ(LE32(bytes, 22), 2u);
  EXPECT_EQ(bytes[28], 24);
  // The bottom row comes first, each pixel as blue, green, red.
  EXPECT_EQ(bytes.substr(54, 8), std::string("\xFF\xFF\xFF\x00\x00\x00\x00\x00", 8));
  EXPECT_EQ(bytes.substr(62, 8), std::string("\x03\x02\x01\xFF\xFF\xFF\x00\x00", 8));
}

TEST(Bitmap, SavesPngByTheExtension) {
  test::TempDir dir;
  TBitmap bmp;
  bmp.SetSize(5, 3);
  bmp.SaveToFile(dir.File("a.PNG"));
  const std::string bytes = test::ReadBytes(dir.NativeFile("a.PNG"));
  ASSERT_GT(bytes.size(), 33u);
  EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1A\n");
  EXPECT_EQ(bytes.substr(12, 4), "IHDR");
  EXPECT_EQ(BE32(bytes, 16), 5u);
  EXPECT_EQ(BE32(bytes, 20), 3u);
}

TEST(Bitmap, SaveFailuresNameTheFile) {
  test::TempDir dir;
  TBitmap bmp;
  const String name = dir.File("missing/a.png");
  EXPECT_THROW(bmp.SaveToFile(name), EInvalidGraphic);  // empty
  bmp.SetSize(1, 1);
  try {
    bmp.SaveToFile(name);
    ADD_FAILURE() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_NE(e.Message().find(name), String::npos) << e.what();
  }
}

}  // namespace
}  // namespace kez
