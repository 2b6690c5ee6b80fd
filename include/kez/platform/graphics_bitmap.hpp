/// @file
/// TBitmap: a raster of 24-bit colour pixels in memory with a canvas to draw on, saved as a
/// BMP or PNG file.
///
/// @code
///   kez::TBitmap bmp;
///   bmp.SetSize(64, 32);                       // white
///   bmp.Canvas().Ellipse(0, 0, 64, 32);
///   bmp.SaveToFile(u"/tmp/oval.png");          // PNG by the extension, BMP otherwise
/// @endcode
///
/// Threads: separate bitmaps may be used from separate threads at once (their text shares the
/// process's fonts, which are locked); one bitmap belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kez/platform/classes.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/graphics_canvas.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// EInvalidGraphic: a bitmap size beyond what the library will allocate.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

/// TBitmap
/// A new bitmap is empty (0 x 0). Resizing keeps the pixels that stay inside and paints
/// new ones white. A negative width or height is taken as 0; a side above 65535 or more than
/// 2^27 pixels in all raises EInvalidGraphic "Bitmap size W x H is too large" and leaves the
/// bitmap as it was. When the memory for the pixels cannot be had, SetSize (and Assign)
/// raise EOutOfMemory "Out of memory" and leave the bitmap as it was.
class TBitmap : public TPersistent {
 public:
  TBitmap();
  ~TBitmap() override;

  /// Width / SetWidth: the width in pixels; SetWidth is SetSize with the height kept.
  ///@{
  std::int32_t Width() const { return FWidth; }
  void SetWidth(std::int32_t Value) { SetSize(Value, FHeight); }
  ///@}
  /// Height / SetHeight: the height in pixels; SetHeight is SetSize with the width kept.
  ///@{
  std::int32_t Height() const { return FHeight; }
  void SetHeight(std::int32_t Value) { SetSize(FWidth, Value); }
  ///@}
  /// Sets both sides at once, with the limits and errors described above.
  void SetSize(std::int32_t AWidth, std::int32_t AHeight);

  /// Canvas: the bitmap's own canvas (96 pixels per inch, like the screen).
  ///@{
  TCanvas& Canvas();
  const TCanvas& Canvas() const;
  ///@}

  /// ScanLine: the pixels of row Y as 0x00RRGGBB values, Width() of them; null for a row
  /// outside the bitmap.
  const std::uint32_t* ScanLine(std::int32_t Y) const;

  /// SaveToFile
  /// Writes the bitmap as PNG (through libpng) when the name ends in ".png" (any case),
  /// otherwise as an uncompressed 24-bit BMP. An empty bitmap cannot be saved and raises
  /// EInvalidGraphic; a file that cannot be written raises EFCreateError naming it.
  void SaveToFile(StringView FileName) const;

  /// Assign copies the size and pixels of another bitmap (not its canvas's tools).
  void Assign(TPersistent* Source) override;

 private:
  class TBitmapCanvas;
  std::int32_t FWidth = 0;
  std::int32_t FHeight = 0;
  std::vector<std::uint32_t> FPixels;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

KEZ_API_END
}  // namespace kez
