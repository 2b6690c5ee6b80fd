/// @file
/// TCanvas: the drawing surface of bitmaps and the printer's pages. Shapes are rasterised
/// exactly and deterministically (no antialiasing), so that a drawing can be checked pixel by
/// pixel:
///
/// - MoveTo/LineTo draws from the pen position towards the end point and leaves the end point
///   out, so a LineTo to the pen position itself paints nothing. A one-pixel line steps along
///   its longer axis; on the other axis it takes the nearest pixel, a tie going away from the
///   start.
/// - Rectangle and Ellipse take two corners (x1, y1, x2, y2) in either order and paint the
///   pixels from the smaller to one less than the larger coordinate: the right and bottom
///   edge are left out. The outline is drawn in the pen, the interior filled by the brush.
/// - An ellipse covers the pixels whose centres lie in the ellipse that touches the outer
///   edges of its box; its outline is the covered pixels with an uncovered neighbour above,
///   below, left or right.
/// - Polygon joins its points in order and back to the first; the brush fills the pixels
///   whose centres are inside by the even-odd rule (the edges count as inside).
/// - A clear brush (bsClear) fills nothing; a clear pen (psClear) draws no outline. Dash
///   styles apply to lines, rectangles and polygons; ellipse outlines are drawn solid.
/// - Drawing outside the canvas is clipped; reading a pixel outside gives 0x1FFFFFFF (no
///   colour).
///
/// @code
///   kez::TBitmap bmp;
///   bmp.SetSize(20, 20);
///   bmp.Canvas().Pen().SetColor(0x0000FF);       // red
///   bmp.Canvas().MoveTo(0, 0);
///   bmp.Canvas().LineTo(10, 0);                   // pixels (0,0) .. (9,0)
/// @endcode
///
/// Threads: separate canvases (of separate bitmaps) may be drawn on from separate threads at
/// once; text goes through the fonts opened once for the process, which serve one thread at a
/// time (see kez/platform/graphics_screen.hpp). One canvas belongs to one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/graphics_tools.hpp"
#include "kez/platform/graphtypes.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

class TBitmap;

/// TCanvas
/// Abstract: a bitmap or the printer supplies the pixels. Colours are TColor values; system
/// colour references are resolved by ColorToRGB.
class TCanvas : public TPersistent {
 public:
  ~TCanvas() override;

  /// The pen that draws lines and outlines.
  ///@{
  TPen& Pen() { return FPen; }
  const TPen& Pen() const { return FPen; }
  ///@}
  /// The brush that fills interiors and text cells.
  ///@{
  TBrush& Brush() { return FBrush; }
  const TBrush& Brush() const { return FBrush; }
  ///@}
  /// The font that TextOut draws with.
  ///@{
  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  ///@}

  /// PenPos / SetPenPos: where the next LineTo starts (MoveTo sets it too).
  ///@{
  TPoint PenPos() const { return FPenPos; }
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
  ///@}

  /// ClipRect
  /// The drawable area, (0, 0, width, height); empty while the canvas has no pixels (a
  /// printer without an open document).
  TRect ClipRect() const;

  /// Pixels / SetPixels
  /// One pixel's colour (high byte 0), or 0x1FFFFFFF outside the canvas; setting a pixel
  /// outside does nothing.
  ///@{
  TColor Pixels(std::int32_t X, std::int32_t Y) const;
  void SetPixels(std::int32_t X, std::int32_t Y, TColor Color);
  ///@}

  /// Moves the pen position to (X, Y) without drawing, and restarts a dash pattern.
  void MoveTo(std::int32_t X, std::int32_t Y);
  /// LineTo draws with the pen and moves the pen position to (X, Y). The dash pattern of a
  /// one-pixel styled pen runs on from one LineTo to the next and restarts at MoveTo.
  void LineTo(std::int32_t X, std::int32_t Y);
  /// Polyline: MoveTo the first point, LineTo each further one.
  void Polyline(std::span<const TPoint> Points);

  /// Draws the rectangle with corners (X1, Y1) and (X2, Y2) in any order, the right and bottom edge
  /// left out: outlined by the pen, filled by the brush.
  ///@{
  void Rectangle(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  ///@}
  /// Draws the ellipse inscribed in the rectangle (X1, Y1)-(X2, Y2), right and bottom edge left
  /// out: outlined by the pen, filled by the brush.
  void Ellipse(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2);
  /// Polygon: fewer than two points draw nothing. The pen position is not moved.
  ///@{
  void Polygon(std::span<const TPoint> Points);
  void Polygon(std::initializer_list<TPoint> Points) {
    Polygon(std::span<const TPoint>(Points.begin(), Points.size()));
  }
  ///@}
  /// FillRect fills R (right and bottom edge left out) with the brush, without outline.
  void FillRect(const TRect& R);

  /// TextOut
  /// Writes Text in the font with the top-left corner of its cell at (X, Y): a solid brush
  /// first fills the cell (TextWidth x TextHeight) in the brush colour, a clear brush leaves
  /// the background. Underline and strike-out are drawn as lines in the font colour. The pen
  /// position moves to (X + TextWidth, Y).
  void TextOut(std::int32_t X, std::int32_t Y, StringView Text);
  /// TextWidth / TextHeight
  /// The advance of Text and the height of its cell (ascent plus descent of the face) in
  /// this canvas's pixels, from the same face TextOut draws with; an empty text is 0 wide and
  /// one cell high.
  ///@{
  std::int32_t TextWidth(StringView Text) const;
  std::int32_t TextHeight(StringView Text) const;
  ///@}

  /// Draw
  /// Copies the pixels of Source with its top-left corner at (X, Y), clipped to the canvas.
  void Draw(std::int32_t X, std::int32_t Y, const TBitmap& Source);

 protected:
  /// The pixels a canvas draws into: Width x Height colours of the form 0x00RRGGBB, row by
  /// row with Stride pixels from one row to the next. Data may be null when Width or Height
  /// is 0.
  struct TRaster {
    std::uint32_t* Data = nullptr;  ///< The first pixel of the first row.
    std::int32_t Width = 0;  ///< Pixels per row.
    std::int32_t Height = 0;  ///< Rows.
    std::ptrdiff_t Stride = 0;  ///< Pixels from one row to the next.
  };

  /// PixelsPerInch is the resolution of the device, given to the font.
  explicit TCanvas(std::int32_t PixelsPerInch);
  /// The pixels of the device as they are now.
  virtual TRaster Raster() const = 0;

 private:
  TPen FPen;
  TBrush FBrush;
  TFont FFont;
  TPoint FPenPos{0, 0};
  std::int64_t FDashPhase = 0;
};

KEZ_API_END
}  // namespace kez
