// BMP and PNG files of rasters.
#include "platform/graphics_files.hpp"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace kez::detail {
namespace {

// Closes the file and reports the first failure among the write and the close.
int Finish(std::FILE* File, bool Written) {
  const bool flushed = std::fflush(File) == 0 && !std::ferror(File);
  const int err = errno;
  const bool closed = std::fclose(File) == 0;
  if (Written && flushed && closed) return 0;
  return err != 0 ? err : EIO;
}

void PutLE(std::uint8_t* At, std::uint32_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) At[i] = static_cast<std::uint8_t>(Value >> (8 * i));
}

std::uint32_t PixelsPerMetre(std::int32_t PixelsPerInch) {
  return static_cast<std::uint32_t>((PixelsPerInch * 10000 + 127) / 254);
}

// The libpng part stays free of objects with destructors: its errors return here through
// longjmp. RowBuffer holds 3 x Width bytes.
bool WritePngCore(std::FILE* File, const TImageView& Image, std::uint8_t* RowBuffer) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
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
  png_init_io(png, File);
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

int WriteBmpFile(const std::string& NativeName, const TImageView& Image) {
  std::FILE* file = std::fopen(NativeName.c_str(), "wb");
  if (file == nullptr) return errno;
  errno = 0;
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
  bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
  std::vector<std::uint8_t> row(rowSize, 0);
  for (std::int32_t y = Image.Height - 1; ok && y >= 0; --y) {
    const std::uint32_t* src = Image.Data + y * Image.Stride;
    for (std::int32_t x = 0; x < Image.Width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(src[x]);
      row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(src[x] >> 16);
    }
    ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  return Finish(file, ok);
}

int WritePngFile(const std::string& NativeName, const TImageView& Image) {
  std::vector<std::uint8_t> row(static_cast<std::size_t>(Image.Width) * 3 + 1);
  std::FILE* file = std::fopen(NativeName.c_str(), "wb");
  if (file == nullptr) return errno;
  errno = 0;
  const bool ok = WritePngCore(file, Image, row.data());
  return Finish(file, ok);
}

}  // namespace kez::detail
