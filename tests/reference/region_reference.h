// Pixel-by-pixel region algorithms on a plain 0/1 mask, used to check the
// run-based region type.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavref {

struct Mask {
  int w = 0, h = 0;
  std::vector<uint8_t> px;  // row-major, 0 or 1
  Mask(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height, 0) {}
  uint8_t at(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? 0 : px[size_t(y) * w + x]; }
  void set(int x, int y, uint8_t v) { px[static_cast<size_t>(y) * w + x] = v; }
};

// op: 0 union, 1 intersection, 2 difference, 3 symmetric difference
Mask maskCombine(const Mask& a, const Mask& b, int op);
Mask maskTranslate(const Mask& a, int dx, int dy);
// disk: offsets with dx^2 + dy^2 <= r^2, else the (2r+1)^2 square
Mask maskDilate(const Mask& a, int r, bool disk);
Mask maskErode(const Mask& a, int r, bool disk);
// erosion with the pixels outside the canvas set
Mask maskErodeInsideOut(const Mask& a, int r, bool disk);
// flood fill of the background from the canvas edges, 4-connected
Mask maskFillHoles(const Mask& a);
// Outline pixels in row-major order: each run's first and last pixel (a
// one-pixel run's twice) and every pixel between them with no set pixel above
// it or none below it.
std::vector<TavIPoint> maskPerimeter(const Mask& a);
// label per pixel (-1 outside), parts numbered in raster order of first pixel
int maskLabel(const Mask& a, int connectivity, std::vector<int>* label);
// sums over pixels: m00 m10 m01 m20 m11 m02 mu20 mu11 mu02 (about the centroid)
void maskMoments(const Mask& a, double out[9]);
// COCO counts, column-major, from a background run
std::vector<int64_t> maskCoco(const Mask& a);

}  // namespace tavref
