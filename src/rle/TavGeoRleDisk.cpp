// Disk region: one run per row of the integer disk.
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRleCalc.h>

#include <climits>
#include <cmath>
#include <cstdint>

#include "geometry/TavGeoInternal.h"
#include "rle/TavGeoRleInternal.h"

namespace NTavGeometry {

CTavGeoRleCalcDisk::CTavGeoRleCalcDisk() = default;

CTavGeoRleCalcDisk::~CTavGeoRleCalcDisk() = default;

bool CTavGeoRleCalcDisk::calculate(int width, int height, const TavPoint* points, int count) {
  if (compareWithLastComputedCoords(width, height, points, count)) return true;
  m_lastKeyValid = false;  // until this call's key is stored
  // Counts of an older list never describe this one: cleared now, and set
  // before the list is written, so that a failed allocation leaves none of them.
  m_recordRuns.clear();
  m_width = width;
  m_height = height;

  int radius = -1;
  int cx = 0, cy = 0;
  if (points != nullptr && count >= 2) {
    radius = detail::rleRadius(points[0], points[1]);
    if (radius >= 0 && (!detail::rleCentreFits(points[0].x, radius, &cx) ||
                        !detail::rleCentreFits(points[0].y, radius, &cy)))
      radius = -1;
  }
  if (radius < 0) {
    detail::rleEmpty(&m_rle, width, height);
    m_boundingBox = TavRect();
  } else {
    // Header, then the records, then the terminator, written in place.
    m_boundingBox = detail::rleRoundHeader(&m_rle, width, height, cx, cy, radius);
    m_recordRuns.assign(2 * static_cast<size_t>(radius) + 1, 1);
    fillCircle(cx, cy, radius);
    m_rle.push_back(-1);
  }
  storeComputedCoords(width, height, points, count);
  return true;
}

// Rows dy and -dy share their half-chord h, so each square root serves two rows.
// 0 <= radius <= kRleMaxRadius and cx, cy +- radius fit in an int (checked by
// calculate), so every value below fits in an int.
void CTavGeoRleCalcDisk::fillCircle(int cx, int cy, int radius) {
  const size_t base = m_rle.size();
  m_rle.resize(base + 4 * (2 * static_cast<size_t>(radius) + 1) + 1);  // room for the terminator too
  m_rle.pop_back();
  int* top = m_rle.data() + base;
  int* bottom = top + 4 * 2 * static_cast<size_t>(radius);
  const double xc = static_cast<double>(cx);
  const double r2 = static_cast<double>(static_cast<int64_t>(radius) * radius);
  for (int dy = -radius; dy <= 0; ++dy) {
    const double h = std::sqrt(r2 - static_cast<double>(static_cast<int64_t>(dy) * dy));
    const int start = static_cast<int>(xc - h + 0.5);
    const int extent = static_cast<int>(2.0 * h + 0.5);
    top[0] = cy + dy;
    top[1] = start;
    top[2] = extent;
    top[3] = -1;
    bottom[0] = cy - dy;
    bottom[1] = start;
    bottom[2] = extent;
    bottom[3] = -1;
    top += 4;
    bottom -= 4;
  }
}

}  // namespace NTavGeometry
