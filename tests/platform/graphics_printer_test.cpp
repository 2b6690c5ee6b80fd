#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "canvas_picture.hpp"
#include "kez/platform/graphics.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

namespace fs = std::filesystem;

// The standard output of a shell command.
std::string Shell(const std::string& Command) {
  std::string out;
  if (std::FILE* p = ::popen(Command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

bool HavePoppler() {
  return std::system("command -v pdftoppm >/dev/null && command -v pdfinfo >/dev/null") == 0;
}

// A binary PPM image as pdftoppm writes it.
struct TPpm {
  int Width = 0, Height = 0;
  std::string Data;
  TColor At(int X, int Y) const {
    const std::size_t i = (static_cast<std::size_t>(Y) * Width + X) * 3;
    const auto b = [&](std::size_t k) {
      return static_cast<TColor>(static_cast<unsigned char>(Data[i + k]));
    };
    return b(0) | (b(1) << 8) | (b(2) << 16);
  }
};

TPpm ReadPpm(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  TPpm ppm;
  std::string magic;
  int maxval = 0;
  in >> magic >> ppm.Width >> ppm.Height >> maxval;
  in.get();
  ppm.Data.assign(std::istreambuf_iterator<char>(in), {});
  return ppm;
}

class PrinterTest : public ::testing::Test {
 protected:
  void TearDown() override {
    TPrinter& p = Printer();
    p.Abort();
    p.SetFileName(u"");
    p.SetPngPages(false);
    p.SetTitle(u"");
  }
  test::TempDir dir;
};

TEST_F(PrinterTest, TwoPagesOfA4WithPixelsWhereTheyWereDrawn) {
  if (!HavePoppler()) GTEST_SKIP() << "pdftoppm and pdfinfo (poppler-utils) are needed";
  TPrinter& p = Printer();
  EXPECT_EQ(p.PixelsPerInch(), 300);
  EXPECT_EQ(p.PageWidth(), 2480);
  EXPECT_EQ(p.PageHeight(), 3508);
  p.SetFileName(dir.File("doc.pdf"));
  p.SetPngPages(true);
  p.BeginDoc();
  EXPECT_TRUE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 1);
  EXPECT_EQ(p.Canvas().ClipRect(), (TRect{0, 0, 2480, 3508}));
  TBitmap block;
  test::Prepare(block, 20, 10);
  block.Canvas().Brush().SetColor(test::kRed);
  block.Canvas().FillRect({0, 0, 20, 10});
  block.Canvas().SetPixels(0, 0, test::kBlue);
  p.Canvas().Draw(100, 200, block);
  p.NewPage();
  EXPECT_EQ(p.PageNumber(), 2);
  EXPECT_EQ(p.Canvas().Pixels(100, 200), 0xFFFFFFu);  // a fresh page
  p.Canvas().Draw(1000, 2000, block);
  p.EndDoc();
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.Canvas().ClipRect(), (TRect{0, 0, 0, 0}));
  const std::string pdf = dir.NativeFile("doc.pdf");
  EXPECT_EQ(p.DocumentName(), dir.File("doc.pdf"));
  EXPECT_TRUE(fs::exists(dir.NativeFile("doc-1.png")));
  EXPECT_TRUE(fs::exists(dir.NativeFile("doc-2.png")));

  const std::string info = Shell("pdfinfo '" + pdf + "'");
  int pages = 0;
  const std::size_t pagesAt = info.find("Pages:");
  ASSERT_NE(pagesAt, std::string::npos) << info;
  std::sscanf(info.c_str() + pagesAt, "Pages: %d", &pages);
  EXPECT_EQ(pages, 2) << info;
  double wPt = 0, hPt = 0;
  const std::size_t at = info.find("Page size:");
  ASSERT_NE(at, std::string::npos) << info;
  std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &wPt, &hPt);
  EXPECT_NEAR(wPt, 2480 * 72.0 / 300, 0.01);
  EXPECT_NEAR(hPt, 3508 * 72.0 / 300, 0.01);

  // Rendered back at four times the printer's resolution (poppler smooths images drawn at
  // less than four times their size), around the block of page 2: every printer pixel is a
  // 4 x 4 square of the colour drawn there.
  const int x0 = 996, y0 = 1996, w = 28, h = 18;
  const std::string page = dir.NativeFile("page2");
  Shell("pdftoppm -r 1200 -f 2 -l 2 -x " + std::to_string(4 * x0) + " -y " +
        std::to_string(4 * y0) + " -W " + std::to_string(4 * w) + " -H " + std::to_string(4 * h) +
        " -singlefile '" + pdf + "' '" + page + "'");
  const TPpm img = ReadPpm(page + ".ppm");
  ASSERT_EQ(img.Width, 4 * w);
  ASSERT_EQ(img.Height, 4 * h);
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) {
      const bool inBlock = x >= 1000 && x < 1020 && y >= 2000 && y < 2010;
      const TColor want = !inBlock ? 0xFFFFFF : (x == 1000 && y == 2000) ? test::kBlue : test::kRed;
      EXPECT_EQ(img.At(4 * (x - x0) + 2, 4 * (y - y0) + 2), want) << x << "," << y;
    }
  }
}

TEST_F(PrinterTest, StateErrors) {
  TPrinter& p = Printer();
  p.Canvas().Rectangle(0, 0, 10, 10);  // no document: nothing to draw on
  EXPECT_THROW_MSG(p.NewPage(), EPrinter, u"Printer is not currently printing");
  EXPECT_THROW(p.EndDoc(), EPrinter);
  p.SetFileName(dir.File("a.pdf"));
  p.BeginDoc();
  EXPECT_THROW_MSG(p.BeginDoc(), EPrinter, u"Printing in progress");
  EXPECT_THROW(p.SetResolution(150), EPrinter);
  p.Abort();
  EXPECT_TRUE(p.Aborted());
  EXPECT_FALSE(fs::exists(dir.NativeFile("a.pdf")));
  EXPECT_THROW(p.SetResolution(5000), EPrinter);
  EXPECT_THROW(p.SetPaperSize(2000, 2000), EPrinter);  // too many pixels at 300 dpi
  EXPECT_EQ(p.PixelsPerInch(), 300);
}

TEST_F(PrinterTest, UnwritableDocumentNamesThePath) {
  TPrinter& p = Printer();
  const String name = dir.File("no/such/folder/doc.pdf");
  p.SetFileName(name);
  try {
    p.BeginDoc();
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message().find(name), String::npos) << e.what();
  }
  EXPECT_FALSE(p.Printing());
}

// Runs Body in a child process whose files may grow to Limit bytes at most; the child's
// exit status (0 when Body returned 0).
template <typename Fn>
int WithFileSizeLimit(rlim_t Limit, Fn&& Body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails with EFBIG instead
    const rlimit limit{Limit, Limit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(99);
    ::_exit(Body());
  }
  int status = -1;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST_F(PrinterTest, FailedWritesAreReportedAndKeepThePreviousFile) {
  test::WriteBytes(dir.NativeFile("doc.pdf"), "previous");
  const String name = dir.File("doc.pdf");
  const int status = WithFileSizeLimit(20000, [&] {
    TPrinter& p = Printer();
    p.SetResolution(100);
    p.SetFileName(name);
    p.BeginDoc();
    // Noise, which no compression makes small.
    std::uint32_t seed = 1;
    for (std::int32_t y = 0; y < p.PageHeight(); ++y) {
      for (std::int32_t x = 0; x < p.PageWidth(); ++x) {
        seed = seed * 134775813u + 1;
        p.Canvas().SetPixels(x, y, seed >> 8);
      }
    }
    try {
      p.EndDoc();
    } catch (const EInOutError& e) {
      return e.Message().find(name) != String::npos && !p.Printing() ? 0 : 2;
    }
    return 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("doc.pdf")), "previous");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
  // A document that is written replaces the previous file whole; an aborted one leaves it.
  TPrinter& p = Printer();
  p.SetFileName(name);
  p.BeginDoc();
  p.Abort();
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("doc.pdf")), "previous");
  p.BeginDoc();
  p.EndDoc();
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("doc.pdf")).rfind("%PDF-", 0), 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// Memory that runs out while a page goes into the document is an error, never a crash: in
// children whose address space leaves ever more room beyond the page raster, a document
// is either written or refused with EOutOfMemory or EInOutError.
TEST_F(PrinterTest, MemoryThatRunsOutWhileWritingIsAnError) {
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer's shadow memory needs the address space";
  const String name = dir.File("doc.pdf");
  for (rlim_t extra = 0; extra <= (160u << 20); extra += 8u << 20) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      long pages = 0;
      if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
        std::fclose(f);
      }
      TPrinter& p = Printer();
      p.SetResolution(300);
      p.SetFileName(name);
      const rlim_t raster = static_cast<rlim_t>(p.PageWidth()) * p.PageHeight() * 4;
      const rlim_t room = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + raster + extra;
      const rlimit limit{room, room};
      if (pages == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(99);
      try {
        p.BeginDoc();
        p.Canvas().Rectangle(10, 10, 500, 500);
        p.EndDoc();
      } catch (const EOutOfMemory&) {
        ::_exit(p.Printing() ? 2 : 0);
      } catch (const EInOutError&) {
        ::_exit(p.Printing() ? 2 : 0);
      } catch (...) {
        ::_exit(3);
      }
      ::_exit(0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << (extra >> 20) << " MB beyond the page: signal "
                                   << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << (extra >> 20) << " MB beyond the page";
  }
}

TEST_F(PrinterTest, ResolutionPaperAndOrientation) {
  TPrinter& p = Printer();
  p.SetResolution(72);
  p.SetPaperSize(100, 50);
  p.SetOrientation(poLandscape);
  EXPECT_EQ(p.Canvas().Font().PixelsPerInch(), 72);
  EXPECT_EQ(p.PageWidth(), 142);
  EXPECT_EQ(p.PageHeight(), 283);
  p.SetOrientation(poPortrait);
  EXPECT_EQ(p.PageWidth(), 283);
  // The whole range on small paper; on A4 what a page held in memory allows, and the
  // message says that the paper is the bound.
  p.SetResolution(1200);
  EXPECT_THROW_MSG(p.SetPaperSize(210, 297), EPrinter,
                   u"Paper size 210 x 297 mm is out of range at 1200 pixels per inch: the page "
                   u"would have more than 134217728 pixels");
  p.SetResolution(300);
  p.SetPaperSize(210, 297);
  EXPECT_THROW_MSG(p.SetResolution(1200), EPrinter,
                   u"Printer resolution 1200 pixels per inch is out of range for paper of "
                   u"210 x 297 mm: the page would have more than 134217728 pixels");
  p.SetResolution(1178);
  EXPECT_THROW(p.SetResolution(1179), EPrinter);
  EXPECT_THROW_MSG(p.SetResolution(1201), EPrinter,
                   u"Printer resolution 1201 pixels per inch is out of range (36 to 1200)");
  p.SetPaperSize(215.9, 279.4);  // Letter
  p.SetResolution(1198);
  EXPECT_THROW(p.SetResolution(1199), EPrinter);
  p.SetResolution(300);
  p.SetPaperSize(210, 297);
  EXPECT_EQ(p.Canvas().Font().PixelsPerInch(), 300);
  EXPECT_EQ(p.PageWidth(), 2480);
}

TEST_F(PrinterTest, FolderGetsDatedDocuments) {
  TPrinter& p = Printer();
  p.SetFileName(String(dir.File("")));
  p.SetTitle(u"Report/1");
  p.BeginDoc();
  p.EndDoc();
  p.BeginDoc();
  p.EndDoc();
  int pdfs = 0;
  for (const auto& e : fs::directory_iterator(dir.Path())) {
    const std::string name = e.path().filename().string();
    EXPECT_EQ(name.rfind("Report_1-", 0), 0u) << name;
    pdfs += e.path().extension() == ".pdf";
  }
  EXPECT_EQ(pdfs, 2);
}

// A title longer than a file name may be is cut, on a character boundary, to name the
// document; the PDF is written rather than refused.
TEST_F(PrinterTest, ALongTitleStillNamesADatedDocument) {
  TPrinter& p = Printer();
  p.SetFileName(String(dir.File("")));
  String title;
  for (int i = 0; i < 150; ++i) title += u"\u00E9";  // 300 bytes of UTF-8
  p.SetTitle(title);
  p.BeginDoc();
  p.EndDoc();
  const std::vector<std::string> names = dir.Entries();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_LE(names[0].size(), 255u);
  EXPECT_EQ(names[0].rfind("\xC3\xA9\xC3\xA9", 0), 0u);
  EXPECT_EQ(Utf8ToString(names[0]).find(u'\uFFFD'), String::npos);  // no character cut in two
}

// Sets an environment variable for the life of the object.
class TEnv {
 public:
  TEnv(const char* Name, const std::string& Value) : FName(Name) {
    if (const char* old = std::getenv(Name)) FOld = old, FHad = true;
    ::setenv(Name, Value.c_str(), 1);
  }
  ~TEnv() {
    if (FHad) {
      ::setenv(FName, FOld.c_str(), 1);
    } else {
      ::unsetenv(FName);
    }
  }

 private:
  const char* FName;
  std::string FOld;
  bool FHad = false;
};

TEST_F(PrinterTest, UnnamedDocumentsGoToTheDocumentsFolder) {
  const std::string home = dir.NativeFile("home");
  fs::create_directories(home + "/.config");
  fs::create_directories(home + "/Papers");
  std::ofstream(home + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                  << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
  TEnv h("HOME", home);
  TEnv x("XDG_CONFIG_HOME", "");
  Printer().BeginDoc();
  Printer().EndDoc();
  const fs::path made(test::U8(Printer().DocumentName()));
  EXPECT_EQ(made.parent_path(), fs::path(home + "/Papers"));
  EXPECT_EQ(made.filename().string().rfind("print-", 0), 0u) << made;
  EXPECT_TRUE(fs::exists(made));
}

}  // namespace
}  // namespace kez
