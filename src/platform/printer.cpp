// The printer: page rasters written as PDF pages through cairo, and optionally as PNGs.
#include <cairo-pdf.h>
#include <cairo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "kez/platform/graphics_printer.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/safesave.hpp"
#include "kez/platform/sysutils.hpp"
#include "platform/fsinternal.hpp"
#include "platform/graphics_files.hpp"

namespace kez {
namespace {

constexpr std::int64_t kMaxPagePixels = std::int64_t{1} << 27;
constexpr std::uint32_t kWhite = 0xFFFFFF;
// The memory cairo needs to take a page over, in copies of the page raster.
constexpr std::size_t kPageCopies = 3;

std::int32_t Pixels(double MM, std::int32_t Dpi) {
  return static_cast<std::int32_t>(std::lround(MM / 25.4 * Dpi));
}

bool IsDirectory(const std::string& Path) {
  struct stat st {};
  return ::stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& Path) {
  struct stat st {};
  return ::stat(Path.c_str(), &st) == 0;
}

// The documents folder of the XDG user directories (XDG_DOCUMENTS_DIR in user-dirs.dirs),
// else ~/Documents, else the home folder, else the working folder.
std::string DocumentsFolder() {
  const char* homeEnv = std::getenv("HOME");
  const std::string home = homeEnv != nullptr ? homeEnv : "";
  const char* configEnv = std::getenv("XDG_CONFIG_HOME");
  const std::string config =
      configEnv != nullptr && *configEnv != '\0' ? configEnv : home + "/.config";
  std::ifstream dirs(config + "/user-dirs.dirs");
  std::string line;
  while (std::getline(dirs, line)) {
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    if (line.compare(0, key.size(), key) != 0) continue;
    const std::size_t end = line.find('"', key.size());
    if (end == std::string::npos) break;
    std::string path = line.substr(key.size(), end - key.size());
    if (path.compare(0, 5, "$HOME") == 0) path = home + path.substr(5);
    if (!path.empty() && path[0] == '/' && IsDirectory(path)) return path;
    break;
  }
  if (!home.empty() && IsDirectory(home + "/Documents")) return home + "/Documents";
  if (!home.empty() && IsDirectory(home)) return home;
  return ".";
}

// A fresh dated name in Folder for a document titled Title.
std::string DatedName(const std::string& Folder, const String& Title) {
  // Keep the title readable in a file name: no separators, no control characters.
  String title = Title;
  for (char16_t& c : title) {
    if (c == u'/' || c == u'\\' || c < 32) c = u'_';
  }
  // The stem leaves room for the stamp and a "-NNN.pdf" within the 255 bytes of a name.
  constexpr std::size_t kLongestStem = 255 - 16 - 12;
  const std::string utf8 = title.empty() ? std::string("print") : StringToUtf8(title);
  const std::string stem(detail::Utf8Head(utf8, kLongestStem));
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", &local);
  const std::string base = Folder + "/" + stem + stamp;
  std::string name = base + ".pdf";
  for (int n = 2; Exists(name); ++n) name = base + "-" + std::to_string(n) + ".pdf";
  return name;
}

int IoCode(int Errno) {
  switch (Errno) {
    case ENOENT:
    case ENOTDIR:
      return 3;
    case EACCES:
    case EPERM:
    case EROFS:
      return 5;
    case 0:
    case ENOSPC:
    case EIO:
      return 101;
    default:
      return 1000 + Errno;
  }
}

[[noreturn]] void RaiseWriteError(const std::string& Path, int Errno, const char* Detail) {
  String message = u"Cannot write the printer document \"" + Utf8ToString(Path) + u"\"";
  if (Errno != 0) {
    message += u": " + Utf8ToString(std::strerror(Errno));
  } else if (Detail != nullptr) {
    message += u": " + Utf8ToString(Detail);
  }
  throw EInOutError(message, IoCode(Errno));
}

}  // namespace

// The page raster; empty while no document is open.
class TPrinter::TPrinterCanvas : public TCanvas {
 public:
  explicit TPrinterCanvas(std::int32_t Dpi) : TCanvas(Dpi) {}
  std::vector<std::uint32_t> FPixels;
  std::int32_t FWidth = 0;
  std::int32_t FHeight = 0;

 protected:
  TRaster Raster() const override {
    return {const_cast<std::uint32_t*>(FPixels.data()), FWidth, FHeight, FWidth};
  }
};

// The open PDF document. Cairo hands the document over in pieces to WriteChunk, which
// puts them in a new file beside the target; that file replaces the target only once the
// whole document is written and flushed, so a failure leaves a previous file of the name
// as it was and nothing beside it.
class TPrinter::TDocument {
 public:
  TDocument(StringView Target, std::string Path) : FSaver(Target), FPath(std::move(Path)) {}
  ~TDocument() {
    // Destroying an unfinished surface writes its rest; the saver, destroyed after it,
    // then removes the unfinished file.
    if (FSurface != nullptr) cairo_surface_destroy(FSurface);
  }
  TDocument(const TDocument&) = delete;
  TDocument& operator=(const TDocument&) = delete;

  static cairo_status_t WriteChunk(void* Closure, const unsigned char* Data, unsigned int Length) {
    auto* document = static_cast<TDocument*>(Closure);
    return document->FSaver.Write(Data, Length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
  }

  cairo_surface_t* FSurface = nullptr;
  TFileSaver FSaver;
  std::string FPath;
};

TPrinter::TPrinter() : FCanvas(std::make_unique<TPrinterCanvas>(300)) {}

TPrinter::~TPrinter() = default;

TCanvas& TPrinter::Canvas() { return *FCanvas; }

std::int32_t TPrinter::PageWidth() const {
  return Pixels(FOrientation == poPortrait ? FPaperWidthMM : FPaperHeightMM, FPixelsPerInch);
}

std::int32_t TPrinter::PageHeight() const {
  return Pixels(FOrientation == poPortrait ? FPaperHeightMM : FPaperWidthMM, FPixelsPerInch);
}

void TPrinter::CheckIdle() const {
  if (FPrinting) throw EPrinter(u"Printing in progress");
}

void TPrinter::CheckPrinting() const {
  if (!FPrinting) throw EPrinter(u"Printer is not currently printing");
}

namespace {

bool PageFits(double WidthMM, double HeightMM, std::int32_t Dpi) {
  return std::int64_t{Pixels(WidthMM, Dpi)} * Pixels(HeightMM, Dpi) <= kMaxPagePixels;
}

String PaperText(double WidthMM, double HeightMM) {
  return FloatToStr(WidthMM) + u" x " + FloatToStr(HeightMM) + u" mm";
}

}  // namespace

void TPrinter::SetResolution(std::int32_t PixelsPerInch) {
  CheckIdle();
  const String resolution =
      u"Printer resolution " + IntToStr(PixelsPerInch) + u" pixels per inch is out of range";
  if (PixelsPerInch < 36 || PixelsPerInch > 1200) throw EPrinter(resolution + u" (36 to 1200)");
  if (!PageFits(FPaperWidthMM, FPaperHeightMM, PixelsPerInch)) {
    throw EPrinter(resolution + u" for paper of " + PaperText(FPaperWidthMM, FPaperHeightMM) +
                   u": the page would have more than 134217728 pixels");
  }
  FPixelsPerInch = PixelsPerInch;
  FCanvas->Font().SetPixelsPerInch(PixelsPerInch);
}

void TPrinter::SetPaperSize(double WidthMM, double HeightMM) {
  CheckIdle();
  const bool sides = WidthMM >= 10 && WidthMM <= 2000 && HeightMM >= 10 && HeightMM <= 2000;
  if (!sides) throw EPrinter(u"Paper size " + PaperText(WidthMM, HeightMM) + u" is out of range");
  if (!PageFits(WidthMM, HeightMM, FPixelsPerInch)) {
    throw EPrinter(u"Paper size " + PaperText(WidthMM, HeightMM) + u" is out of range at " +
                   IntToStr(FPixelsPerInch) +
                   u" pixels per inch: the page would have more than 134217728 pixels");
  }
  FPaperWidthMM = WidthMM;
  FPaperHeightMM = HeightMM;
}

void TPrinter::SetOrientation(TPrinterOrientation Value) {
  CheckIdle();
  FOrientation = Value;
}

void TPrinter::BeginDoc() {
  CheckIdle();
  std::string path;
  const std::string named = FFileName.empty() ? std::string() : NativeFileName(FFileName);
  if (named.empty()) {
    path = DatedName(DocumentsFolder(), FTitle);
  } else if (IsDirectory(named)) {
    path = DatedName(named, FTitle);
  } else {
    path = named;
  }
  const std::int32_t w = PageWidth(), h = PageHeight();
  // The name the host gave goes to the saver as it was given; a dated name is already the
  // operating system's.
  auto document = std::make_unique<TDocument>(
      path == named ? StringView(FFileName) : StringView(Utf8ToString(path)), path);
  if (document->FSaver.Error() != 0) RaiseWriteError(path, document->FSaver.Error(), nullptr);
  document->FSurface = cairo_pdf_surface_create_for_stream(
      &TDocument::WriteChunk, document.get(), w * 72.0 / FPixelsPerInch, h * 72.0 / FPixelsPerInch);
  cairo_surface_t* surface = document->FSurface;
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    RaiseWriteError(path, document->FSaver.Error(),
                    cairo_status_to_string(cairo_surface_status(surface)));
  }
  if (!FTitle.empty()) {
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, StringToUtf8(FTitle).c_str());
  }
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "kez");
  try {
    FCanvas->FPixels.assign(static_cast<std::size_t>(w) * h, kWhite);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u"Out of memory");
  }
  FCanvas->FWidth = w;
  FCanvas->FHeight = h;
  FDocument = std::move(document);
  FDocumentName = Utf8ToString(path);
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
}

void TPrinter::FinishPage() {
  TPrinterCanvas& page = *FCanvas;
  const std::string& path = FDocument->FPath;
  // cairo crashes when memory runs out while it takes a page over (it copies the page when
  // the pixels are reused, and converts it for the PDF): make sure first that room for that
  // is there.
  if (void* room = std::malloc(page.FPixels.size() * sizeof(std::uint32_t) * kPageCopies)) {
    std::free(room);
  } else {
    throw EOutOfMemory(u"Out of memory");
  }
  cairo_surface_t* image = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(page.FPixels.data()), CAIRO_FORMAT_RGB24, page.FWidth,
      page.FHeight, page.FWidth * 4);
  cairo_t* cr = cairo_create(FDocument->FSurface);
  // One printer pixel is one square of 1/dpi inch; nearest-neighbour keeps it sharp.
  cairo_scale(cr, 72.0 / FPixelsPerInch, 72.0 / FPixelsPerInch);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_show_page(cr);
  cairo_destroy(cr);
  // Finishing the image makes cairo copy whatever it still needs before the page is reused.
  cairo_surface_finish(image);
  cairo_surface_destroy(image);
  const cairo_status_t status = cairo_surface_status(FDocument->FSurface);
  if (status != CAIRO_STATUS_SUCCESS) {
    RaiseWriteError(path, FDocument->FSaver.Error(), cairo_status_to_string(status));
  }
  if (FPngPages) {
    std::string png = path;
    if (png.size() >= 4 && png.compare(png.size() - 4, 4, ".pdf") == 0) png.resize(png.size() - 4);
    png += "-" + std::to_string(FPageNumber) + ".png";
    const int err = detail::WritePngFile(
        VerbatimFileName(png),
        {page.FPixels.data(), page.FWidth, page.FHeight, page.FWidth, FPixelsPerInch});
    if (err != 0) RaiseWriteError(png, err, nullptr);
  }
}

void TPrinter::NewPage() {
  CheckPrinting();
  FinishPage();
  std::fill(FCanvas->FPixels.begin(), FCanvas->FPixels.end(), kWhite);
  ++FPageNumber;
}

void TPrinter::CloseDocument() {
  FDocument.reset();
  std::vector<std::uint32_t>().swap(FCanvas->FPixels);
  FCanvas->FWidth = 0;
  FCanvas->FHeight = 0;
  FPrinting = false;
  FPageNumber = 0;
}

void TPrinter::EndDoc() {
  CheckPrinting();
  try {
    FinishPage();
    TFileSaver& saver = FDocument->FSaver;
    cairo_surface_finish(FDocument->FSurface);
    const cairo_status_t status = cairo_surface_status(FDocument->FSurface);
    if (status != CAIRO_STATUS_SUCCESS || saver.Error() != 0) {
      RaiseWriteError(FDocument->FPath, saver.Error(), cairo_status_to_string(status));
    }
    if (!saver.Commit()) RaiseWriteError(FDocument->FPath, saver.Error(), nullptr);
  } catch (...) {
    CloseDocument();
    throw;
  }
  CloseDocument();
}

void TPrinter::Abort() {
  if (!FPrinting) return;
  CloseDocument();  // the unfinished document is removed; a previous file stays
  FAborted = true;
}

TPrinter& Printer() {
  static TPrinter printer;
  return printer;
}

}  // namespace kez
