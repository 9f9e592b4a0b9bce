// Region calculator base: the cache of the last computed call.
#include <TavGeometry/TavGeoRleCalc.h>

#include <cstring>

namespace NTavGeometry {

CTavGeoRleCalc::CTavGeoRleCalc() : m_width(0), m_height(0), m_lastWidth(0), m_lastHeight(0) {}

CTavGeoRleCalc::~CTavGeoRleCalc() = default;

bool CTavGeoRleCalc::calculate(int /*width*/, int /*height*/, const TavPoint* /*points*/, int /*count*/) {
  return false;
}

// A negative count and a null array count as no points, so the cache never
// reads points it was not given.
bool CTavGeoRleCalc::compareWithLastComputedCoords(int width, int height, const TavPoint* points, int count) {
  if (count < 0 || points == nullptr) count = 0;
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
}

}  // namespace NTavGeometry
