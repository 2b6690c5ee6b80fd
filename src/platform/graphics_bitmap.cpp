// TBitmap: the pixel store, its canvas and its files.
#include "kez/platform/graphics_bitmap.hpp"

#include <algorithm>
#include <cstring>
#include <new>

#include "kez/platform/path.hpp"
#include "kez/platform/sysutils.hpp"
#include "platform/graphics_files.hpp"

namespace kez {

namespace {

constexpr std::int32_t kMaxSide = 65535;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 27;
constexpr std::uint32_t kWhite = 0xFFFFFF;

bool EndsWithPng(StringView Name) {
  if (Name.size() < 4) return false;
  const StringView ext = Name.substr(Name.size() - 4);
  return ext[0] == u'.' && (ext[1] | 0x20) == u'p' && (ext[2] | 0x20) == u'n' &&
         (ext[3] | 0x20) == u'g';
}

}  // namespace

class TBitmap::TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap& Owner) : TCanvas(96), FOwner(Owner) {}

 protected:
  TRaster Raster() const override {
    return {FOwner.FPixels.data(), FOwner.FWidth, FOwner.FHeight, FOwner.FWidth};
  }

 private:
  TBitmap& FOwner;
};

TBitmap::TBitmap() : FCanvas(std::make_unique<TBitmapCanvas>(*this)) {}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(std::int32_t AWidth, std::int32_t AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  if (AWidth > kMaxSide || AHeight > kMaxSide || std::int64_t{AWidth} * AHeight > kMaxPixels) {
    throw EInvalidGraphic(u"Bitmap size " + IntToStr(AWidth) + u" x " + IntToStr(AHeight) +
                          u" is too large");
  }
  std::vector<std::uint32_t> pixels;
  try {
    pixels.assign(static_cast<std::size_t>(AWidth) * AHeight, kWhite);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u"Out of memory");
  }
  const std::int32_t keepW = std::min(AWidth, FWidth), keepH = std::min(AHeight, FHeight);
  for (std::int32_t y = 0; y < keepH; ++y) {
    std::copy_n(FPixels.data() + static_cast<std::size_t>(y) * FWidth, keepW,
                pixels.data() + static_cast<std::size_t>(y) * AWidth);
  }
  FPixels.swap(pixels);
  FWidth = AWidth;
  FHeight = AHeight;
}

TCanvas& TBitmap::Canvas() { return *FCanvas; }

const TCanvas& TBitmap::Canvas() const { return *FCanvas; }

const std::uint32_t* TBitmap::ScanLine(std::int32_t Y) const {
  if (Y < 0 || Y >= FHeight) return nullptr;
  return FPixels.data() + static_cast<std::size_t>(Y) * FWidth;
}

void TBitmap::SaveToFile(StringView FileName) const {
  if (FWidth == 0 || FHeight == 0) {
    throw EInvalidGraphic(u"An empty bitmap cannot be saved to \"" + String(FileName) + u"\"");
  }
  const detail::TImageView image{FPixels.data(), FWidth, FHeight, FWidth, 96};
  const int err = EndsWithPng(FileName) ? detail::WritePngFile(FileName, image)
                                        : detail::WriteBmpFile(FileName, image);
  if (err != 0) {
    throw EFCreateError(u"Cannot create file \"" + String(FileName) + u"\". " +
                        Utf8ToString(std::strerror(err)));
  }
}

void TBitmap::Assign(TPersistent* Source) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    if (bitmap == this) return;
    try {
      FPixels = bitmap->FPixels;
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory(u"Out of memory");
    }
    FWidth = bitmap->FWidth;
    FHeight = bitmap->FHeight;
    return;
  }
  TPersistent::Assign(Source);
}

}  // namespace kez
