// Helpers shared by the region calculators; not installed.
#pragma once

#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRleCalc.h>
#include <TavGeometry/TavTypes.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "geometry/TavGeoInternal.h"

namespace NTavGeometry {
namespace detail {

// Brings list to the six header words (width, height, 0, 0, 0, 0) followed by
// the terminator, keeping its capacity.
inline void rleEmpty(std::vector<int>* list, int width, int height) {
  list->assign({width, height, 0, 0, 0, 0, -1});
}

// Truncated radius between centre and rim, or -1 when it exceeds kRleMaxRadius
// or is not a number.
inline int rleRadius(const TavPoint& centre, const TavPoint& rim) {
  const double d = pointPointDist(centre, rim);
  if (!(d < static_cast<double>(kRleMaxRadius) + 1.0)) return -1;
  return static_cast<int>(d);
}

// True when centre coordinate c truncates to an int and c +- radius stays in
// the int range.
inline bool rleCentreFits(double c, int radius, int* out) {
  if (!fitsInt(c)) return false;
  const int ci = static_cast<int>(c);
  const int64_t lo = static_cast<int64_t>(ci) - radius;
  const int64_t hi = static_cast<int64_t>(ci) + radius;
  if (lo < INT_MIN || hi > INT_MAX) return false;
  *out = ci;
  return true;
}

// Writes the six header words of a disk or annulus whose outer radius is r
// about (cx, cy) (its box is the outer square) and returns that box.
inline TavRect rleRoundHeader(std::vector<int>* list, int width, int height, int cx, int cy, int r) {
  list->resize(6);
  (*list)[0] = width;
  (*list)[1] = height;
  (*list)[2] = cx - r;
  (*list)[3] = cx + r;
  (*list)[4] = cy - r;
  (*list)[5] = cy + r;
  const double side = 2.0 * r + 1.0;
  return TavRect(static_cast<double>(cx - r), static_cast<double>(cy - r), side, side, 0.0);
}

}  // namespace detail
}  // namespace NTavGeometry
