// Writers of raster images to files: BMP by hand, PNG through libpng. Shared by bitmaps and
// the printer's page images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "kez/platform/types.hpp"

namespace kez::detail {

// A raster of 0x00RRGGBB pixels, row by row with Stride pixels between rows.
struct TImageView {
  const std::uint32_t* Data;
  std::int32_t Width;
  std::int32_t Height;
  std::ptrdiff_t Stride;
  std::int32_t PixelsPerInch;
};

// WriteBmpFile / WritePngFile
// Write the image to the named file, created or replaced whole through a TFileSaver (a
// failure leaves the previous file as it was). The result is 0 on success, otherwise the
// errno of the failure (EIO when the library reports no other).
int WriteBmpFile(StringView FileName, const TImageView& Image);
int WritePngFile(StringView FileName, const TImageView& Image);

}  // namespace kez::detail
