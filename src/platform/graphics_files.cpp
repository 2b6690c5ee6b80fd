// BMP and PNG files of rasters.
#include "platform/graphics_files.hpp"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <vector>

#include "kez/platform/path.hpp"
#include "kez/platform/safesave.hpp"

namespace kez::detail {
namespace {

void PutLE(std::uint8_t* At, std::uint32_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) At[i] = static_cast<std::uint8_t>(Value >> (8 * i));
}

std::uint32_t PixelsPerMetre(std::int32_t PixelsPerInch) {
  return static_cast<std::uint32_t>((PixelsPerInch * 10000 + 127) / 254);
}

// libpng hands every chunk of the file to the saver; a refused chunk ends the image.
void PngWrite(png_structp Png, png_bytep Data, png_size_t Length) {
  if (!static_cast<TFileSaver*>(png_get_io_ptr(Png))->Write(Data, Length)) {
    png_error(Png, "write error");
  }
}

void PngFlush(png_structp) {}

// libpng's errors end the image quietly (the caller reports the failure); warnings too.
[[noreturn]] void PngError(png_structp Png, png_const_charp) { png_longjmp(Png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// The libpng part stays free of objects with destructors: its errors return here through
// longjmp. RowBuffer holds 3 x Width bytes.
bool WritePngCore(TFileSaver& Save, const TImageView& Image, std::uint8_t* RowBuffer) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &Save, PngWrite, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(Image.Width),
               static_cast<png_uint_32>(Image.Height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  const std::uint32_t ppm = PixelsPerMetre(Image.PixelsPerInch);
  png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
  png_write_info(png, info);
  for (std::int32_t y = 0; y < Image.Height; ++y) {
    const std::uint32_t* src = Image.Data + y * Image.Stride;
    for (std::int32_t x = 0; x < Image.Width; ++x) {
      RowBuffer[3 * x] = static_cast<std::uint8_t>(src[x] >> 16);
      RowBuffer[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
      RowBuffer[3 * x + 2] = static_cast<std::uint8_t>(src[x]);
    }
    png_write_row(png, RowBuffer);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

int WriteBmpFile(StringView FileName, const TImageView& Image) {
  TFileSaver save(FileName);
  // A bottom-up 24-bit image without compression, rows padded to four bytes.
  const std::uint32_t rowSize = (static_cast<std::uint32_t>(Image.Width) * 3 + 3) & ~3u;
  const std::uint32_t imageSize = rowSize * static_cast<std::uint32_t>(Image.Height);
  std::uint8_t header[54] = {'B', 'M'};
  PutLE(header + 2, 54 + imageSize, 4);
  PutLE(header + 10, 54, 4);
  PutLE(header + 14, 40, 4);
  PutLE(header + 18, static_cast<std::uint32_t>(Image.Width), 4);
  PutLE(header + 22, static_cast<std::uint32_t>(Image.Height), 4);
  PutLE(header + 26, 1, 2);
  PutLE(header + 28, 24, 2);
  PutLE(header + 34, imageSize, 4);
  PutLE(header + 38, PixelsPerMetre(Image.PixelsPerInch), 4);
  PutLE(header + 42, PixelsPerMetre(Image.PixelsPerInch), 4);
  // Rows are gathered into blocks of about 256 KiB, one write each.
  constexpr std::size_t kBlock = 256 * 1024;
  std::vector<std::uint8_t> block(header, header + sizeof header);
  block.reserve(std::max<std::size_t>(kBlock, rowSize) + rowSize);
  bool ok = true;
  for (std::int32_t y = Image.Height - 1; ok && y >= 0; --y) {
    const std::uint32_t* src = Image.Data + y * Image.Stride;
    const std::size_t at = block.size();
    block.resize(at + rowSize, 0);
    std::uint8_t* row = block.data() + at;
    for (std::int32_t x = 0; x < Image.Width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(src[x]);
      row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(src[x] >> 16);
    }
    if (block.size() >= kBlock || y == 0) {
      ok = save.Write(block.data(), block.size());
      block.clear();
    }
  }
  if (ok && save.Commit()) return 0;
  return save.Error() != 0 ? save.Error() : EIO;
}

int WritePngFile(StringView FileName, const TImageView& Image) {
  std::vector<std::uint8_t> row(static_cast<std::size_t>(Image.Width) * 3 + 1);
  TFileSaver save(FileName);
  if (save.Error() == 0 && WritePngCore(save, Image, row.data()) && save.Commit()) return 0;
  // A failure inside libpng (out of memory) leaves the saver without an error of its own.
  return save.Error() != 0 ? save.Error() : EIO;
}

}  // namespace kez::detail
