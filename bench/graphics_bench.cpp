// The canvas beside cairo, the library a Linux program would draw rasters with, both without
// antialiasing on a 1000 x 1000 raster: one-pixel lines, filled and outlined ellipses, filled
// and outlined triangles. Read the results as ratios of kez to cairo.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdint>
#include <vector>

#include "kez/platform/graphics.hpp"

namespace {

constexpr int kSide = 1000;

// The same pseudo-random shapes for both sides.
std::vector<int> Coordinates(int Count) {
  std::vector<int> v(static_cast<std::size_t>(Count));
  std::uint32_t seed = 12345;
  for (int& c : v) {
    seed = seed * 134775813u + 1;
    c = static_cast<int>((static_cast<std::uint64_t>(seed) * kSide) >> 32);
  }
  return v;
}

struct TCairo {
  TCairo() {
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSide, kSide);
    cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
  }
  ~TCairo() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  cairo_surface_t* surface;
  cairo_t* cr;
};

void BM_KezLines(benchmark::State& state) {
  const std::vector<int> p = Coordinates(4000);
  kez::TBitmap bmp;
  bmp.SetSize(kSide, kSide);
  kez::TCanvas& c = bmp.Canvas();
  for (auto _ : state) {
    for (std::size_t i = 0; i < p.size(); i += 4) {
      c.MoveTo(p[i], p[i + 1]);
      c.LineTo(p[i + 2], p[i + 3]);
    }
    benchmark::DoNotOptimize(bmp.ScanLine(0));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_KezLines);

void BM_CairoLines(benchmark::State& state) {
  const std::vector<int> p = Coordinates(4000);
  TCairo g;
  for (auto _ : state) {
    for (std::size_t i = 0; i < p.size(); i += 4) {
      // Pixel centres, as the canvas draws through them.
      cairo_move_to(g.cr, p[i] + 0.5, p[i + 1] + 0.5);
      cairo_line_to(g.cr, p[i + 2] + 0.5, p[i + 3] + 0.5);
      cairo_stroke(g.cr);
    }
    cairo_surface_flush(g.surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(g.surface));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_CairoLines);

void BM_KezEllipses(benchmark::State& state) {
  const std::vector<int> p = Coordinates(2000);
  kez::TBitmap bmp;
  bmp.SetSize(kSide, kSide);
  kez::TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(0x0000FF);
  for (auto _ : state) {
    for (std::size_t i = 0; i < p.size(); i += 2)
      c.Ellipse(p[i], p[i + 1], p[i] + 41, p[i + 1] + 31);
    benchmark::DoNotOptimize(bmp.ScanLine(0));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_KezEllipses);

void BM_CairoEllipses(benchmark::State& state) {
  const std::vector<int> p = Coordinates(2000);
  TCairo g;
  for (auto _ : state) {
    for (std::size_t i = 0; i < p.size(); i += 2) {
      cairo_save(g.cr);
      cairo_translate(g.cr, p[i] + 20.5, p[i + 1] + 15.5);
      cairo_scale(g.cr, 20, 15);
      cairo_arc(g.cr, 0, 0, 1, 0, 6.283185307179586);
      cairo_restore(g.cr);
      cairo_set_source_rgb(g.cr, 1, 0, 0);
      cairo_fill_preserve(g.cr);
      cairo_set_source_rgb(g.cr, 0, 0, 0);
      cairo_stroke(g.cr);
    }
    cairo_surface_flush(g.surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(g.surface));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_CairoEllipses);

void BM_KezTriangles(benchmark::State& state) {
  const std::vector<int> p = Coordinates(6000);
  kez::TBitmap bmp;
  bmp.SetSize(kSide, kSide);
  kez::TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(0x0000FF);
  for (auto _ : state) {
    for (std::size_t i = 0; i < p.size(); i += 6) {
      const kez::TPoint t[3] = {{p[i], p[i + 1]}, {p[i + 2], p[i + 3]}, {p[i + 4], p[i + 5]}};
      c.Polygon(t);
    }
    benchmark::DoNotOptimize(bmp.ScanLine(0));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_KezTriangles);

void BM_CairoTriangles(benchmark::State& state) {
  const std::vector<int> p = Coordinates(6000);
  TCairo g;
  cairo_set_fill_rule(g.cr, CAIRO_FILL_RULE_EVEN_ODD);
  for (auto _ : state) {
    for (std::size_t i = 0; i < p.size(); i += 6) {
      cairo_move_to(g.cr, p[i] + 0.5, p[i + 1] + 0.5);
      cairo_line_to(g.cr, p[i + 2] + 0.5, p[i + 3] + 0.5);
      cairo_line_to(g.cr, p[i + 4] + 0.5, p[i + 5] + 0.5);
      cairo_close_path(g.cr);
      cairo_set_source_rgb(g.cr, 1, 0, 0);
      cairo_fill_preserve(g.cr);
      cairo_set_source_rgb(g.cr, 0, 0, 0);
      cairo_stroke(g.cr);
    }
    cairo_surface_flush(g.surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(g.surface));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_CairoTriangles);

}  // namespace
