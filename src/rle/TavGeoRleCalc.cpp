// Region calculator base: the cache of the last computed call.
#include <TavGeometry/TavGeoRleCalc.h>

#include <algorithm>
#include <cstring>

#include "region/TavGeoRegionInternal.h"

namespace NTavGeometry {

CTavGeoRleCalc::CTavGeoRleCalc()
    : m_width(0), m_height(0), m_lastWidth(0), m_lastHeight(0), m_lastKeyValid(true) {}

CTavGeoRleCalc::~CTavGeoRleCalc() = default;

bool CTavGeoRleCalc::calculate(int /*width*/, int /*height*/, const TavPoint* /*points*/, int /*count*/) {
  return false;
}

// A negative count and a null array count as no points, so the cache never
// reads points it was not given.
bool CTavGeoRleCalc::compareWithLastComputedCoords(int width, int height, const TavPoint* points, int count) {
  if (count < 0 || points == nullptr) count = 0;
  if (!m_lastKeyValid) return false;
  if (width != m_lastWidth) return false;
  if (height != m_lastHeight) return false;
  if (static_cast<size_t>(count) != m_lastCoords.size()) return false;
  if (count == 0) return true;
  return std::memcmp(points, m_lastCoords.data(), static_cast<size_t>(count) * sizeof(TavPoint)) == 0;
}

void CTavGeoRleCalc::storeComputedCoords(int width, int height, const TavPoint* points, int count) {
  if (count < 0 || points == nullptr) count = 0;
  m_lastWidth = width;
  m_lastHeight = height;
  m_lastCoords.assign(points, points + count);
  m_lastKeyValid = true;
}

}  // namespace NTavGeometry

namespace NTavGeometry {

// Walks the list by the run counts recorded while calculating; each record's
// runs are clipped, sorted (the annulus' two runs may overlap; a record holds
// few runs) and merged into the region as they come, so that a list whose rows
// ascend, as the calculators write them, needs no sort of the whole. A list
// out of that order is sorted as a whole.
CTavGeoRegion CTavGeoRleCalc::region() const {
  if (m_rle.size() < 2) return CTavGeoRegion();
  const int width = m_rle[0] < 0 ? 0 : m_rle[0], height = m_rle[1] < 0 ? 0 : m_rle[1];
  region_detail::checkCanvas(width, height, "region runs");  // a canvas beyond the limits, before any run
  std::vector<TavRun> runs, row;
  bool ascending = true;
  int lastY = -1;
  size_t i = 6;
  for (const int n : m_recordRuns) {
    if (i + 2 * static_cast<size_t>(n) + 1 >= m_rle.size()) break;  // guards a list out of step
    const int y = m_rle[i++];
    row.clear();
    for (int k = 0; k < n; ++k, i += 2) {
      const int64_t x0 = m_rle[i], x1 = int64_t{m_rle[i]} + m_rle[i + 1] + 1;
      if (y < 0 || y >= height) continue;
      const int64_t c0 = x0 < 0 ? 0 : x0, c1 = x1 > width ? width : x1;
      if (c1 > c0) row.push_back(TavRun{y, static_cast<int>(c0), static_cast<int>(c1)});
    }
    ++i;  // the record's -1
    if (row.empty()) continue;
    ascending = ascending && y > lastY;
    lastY = y;
    std::sort(row.begin(), row.end(), [](const TavRun& a, const TavRun& b) { return a.x0 < b.x0; });
    // Once a record is out of order its runs can lie left of the last ones of
    // their row, which append() would swallow: from then on they are kept as
    // they are, for fromRuns() to sort and merge.
    for (const TavRun& r : row) {
      if (ascending) {
        region_detail::append(&runs, r.y, r.x0, r.x1);
      } else {
        runs.push_back(r);
      }
    }
  }
  if (!ascending) {
    CTavGeoRegion sorted = CTavGeoRegion::fromRuns(width, height, std::move(runs));
    if (static_cast<int64_t>(sorted.runs().size()) > kRegionMaxRuns)
      region_detail::fail("region runs: result exceeds " + region_detail::runLimit());
    return sorted;
  }
  return CTavGeoRegionAccess::make(width, height, std::move(runs));
}

}  // namespace NTavGeometry
