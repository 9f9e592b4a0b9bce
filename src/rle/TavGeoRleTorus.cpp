// Annulus region: two runs on the rows that cross the hole, one elsewhere.
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRleCalc.h>

#include <climits>
#include <cmath>
#include <cstdint>

#include "geometry/TavGeoInternal.h"
#include "rle/TavGeoRleInternal.h"

namespace NTavGeometry {

CTavGeoRleCalcTorus::CTavGeoRleCalcTorus() = default;

CTavGeoRleCalcTorus::~CTavGeoRleCalcTorus() = default;

bool CTavGeoRleCalcTorus::calculate(int width, int height, const TavPoint* points, int count) {
  if (compareWithLastComputedCoords(width, height, points, count)) return true;
  m_lastKeyValid = false;  // until this call's key is stored
  // Counts of an older list never describe this one: cleared now, and set
  // before the list is written, so that a failed allocation leaves none of them.
  m_recordRuns.clear();
  m_width = width;
  m_height = height;

  int radius1 = -1, radius2 = -1, outer = -1;
  int cx = 0, cy = 0;
  if (points != nullptr && count >= 3) {
    radius1 = detail::rleRadius(points[0], points[1]);
    radius2 = detail::rleRadius(points[0], points[2]);
    if (radius1 >= 0 && radius2 >= 0) {
      outer = radius1 < radius2 ? radius2 : radius1;
      if (!detail::rleCentreFits(points[0].x, outer, &cx) || !detail::rleCentreFits(points[0].y, outer, &cy))
        outer = -1;
    } else {
      outer = -1;
    }
  }
  if (outer < 0) {
    detail::rleEmpty(&m_rle, width, height);
    m_boundingBox = TavRect();
  } else {
    m_boundingBox = detail::rleRoundHeader(&m_rle, width, height, cx, cy, outer);
    const int inner = radius1 < radius2 ? radius1 : radius2;
    m_recordRuns.assign(2 * static_cast<size_t>(outer) + 1, 1);
    for (int k = outer - inner; k <= outer + inner; ++k) m_recordRuns[static_cast<size_t>(k)] = 2;
    fillTorus(cx, cy, radius1, radius2);
    m_rle.push_back(-1);
  }
  storeComputedCoords(width, height, points, count);
  return true;
}

// Rows dy and -dy share their half-chords, so each pair of square roots serves
// two rows. The radii and cx, cy +- outer fit in an int (checked by calculate).
void CTavGeoRleCalcTorus::fillTorus(int cx, int cy, int radius1, int radius2) {
  const int outer = radius1 < radius2 ? radius2 : radius1;
  const int inner = radius1 < radius2 ? radius1 : radius2;
  const size_t rows = 2 * static_cast<size_t>(outer) + 1;
  const size_t holeRows = 2 * static_cast<size_t>(inner) + 1;
  const size_t base = m_rle.size();
  m_rle.resize(base + 4 * rows + 2 * holeRows + 1);  // room for the terminator too
  m_rle.pop_back();
  int* top = m_rle.data() + base;
  int* bottom = m_rle.data() + m_rle.size();  // one past the last record
  const double xc = static_cast<double>(cx);
  const double o2 = static_cast<double>(static_cast<int64_t>(outer) * outer);
  const double i2 = static_cast<double>(static_cast<int64_t>(inner) * inner);
  for (int dy = -outer; dy <= 0; ++dy) {
    const double d2 = static_cast<double>(static_cast<int64_t>(dy) * dy);
    const double ho = std::sqrt(o2 - d2);
    if (-dy <= inner) {
      const double hi = std::sqrt(i2 - d2);
      const int extent = static_cast<int>(ho - hi + 0.5);
      const int left = static_cast<int>(xc - ho + 0.5);
      const int right = static_cast<int>(xc + 0.5 + hi);
      const int rec[6] = {0, left, extent, right, extent, -1};
      top[0] = cy + dy;
      for (int k = 1; k < 6; ++k) top[k] = rec[k];
      top += 6;
      if (dy != 0) {
        bottom -= 6;
        bottom[0] = cy - dy;
        for (int k = 1; k < 6; ++k) bottom[k] = rec[k];
      }
    } else {
      const int start = static_cast<int>(xc - ho + 0.5);
      const int extent = static_cast<int>(2.0 * ho + 0.5);
      top[0] = cy + dy;
      top[1] = start;
      top[2] = extent;
      top[3] = -1;
      top += 4;
      bottom -= 4;
      bottom[0] = cy - dy;
      bottom[1] = start;
      bottom[2] = extent;
      bottom[3] = -1;
    }
  }
}

}  // namespace NTavGeometry
