/// @file
/// The graphics services of the platform: pen, brush and font; the canvas with its exact
/// rasterisation; bitmaps saved as BMP and PNG; the printer writing PDF documents; the
/// screen's resolution and installed fonts. Text is drawn with FreeType from the face
/// fontconfig matches, in monochrome, so that drawings are reproducible pixel for pixel.
///
/// @code
///   kez::TBitmap bmp;
///   bmp.SetSize(100, 40);
///   bmp.Canvas().Font().SetSize(12);
///   bmp.Canvas().TextOut(4, 4, u"Hello");
///   bmp.SaveToFile(u"/tmp/hello.png");
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once, and the functions on
/// separate data; each header below says where process-wide state lives (kez/kez.hpp lists it
/// all).
#pragma once

#include "kez/platform/graphics_bitmap.hpp"
#include "kez/platform/graphics_canvas.hpp"
#include "kez/platform/graphics_printer.hpp"
#include "kez/platform/graphics_screen.hpp"
#include "kez/platform/graphics_tools.hpp"
#include "kez/platform/graphtypes.hpp"
