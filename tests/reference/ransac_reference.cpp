#include "reference/ransac_reference.h"

#include <TavGeometry/TavGeoFit.h>
#include <TavGeometry/TavGeoPoint.h>

#include <cmath>

namespace tavref {

void selectionSortByDistance(std::vector<RankPair>& pairs) {
  const size_t n = pairs.size();
  for (size_t i = 0; i < n; ++i) {
    size_t minIdx = i;
    for (size_t j = i + 1; j < n; ++j) {
      if (pairs[j].second < pairs[minIdx].second) minIdx = j;
    }
    if (minIdx != i) std::swap(pairs[i], pairs[minIdx]);
  }
}

namespace {

uint32_t g_state = 0;
void lcgSeed(uint32_t s) { g_state = s; }
int lcgNext() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & 0x7FFF);
}

uint32_t low32(double sum) {
  if (std::isnan(sum) || std::isinf(sum)) return 0;
  const double t = std::trunc(sum);
  if (std::fabs(t) < 9.2e18) return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(t)));
  double r = std::fmod(t, 4294967296.0);
  if (r < 0) r += 4294967296.0;
  return static_cast<uint32_t>(r);
}

unsigned int draw(unsigned int n) {
  const unsigned int i = static_cast<unsigned int>(lcgNext() / 32767.0 * n);
  return i == n ? n - 1 : i;
}

}  // namespace

int fitLineRansacLiteral(const TavPoint* points, unsigned int n, unsigned int k, int candidates,
                         TavLine* line, double* error, TavPoint* rejected) {
  if (k >= n) return 0;
  int count = candidates;
  if (count < 1) {
    double r = static_cast<double>(k) / static_cast<double>(n);
    if (r < 0.02) r = 0.02;
    const double c = (std::log(100.0 * r) - 1.0) * static_cast<double>(k);
    count = c >= 2147483647.0 ? 2147483647 : static_cast<int>(c);
  }
  const unsigned int m = n - k;
  uint32_t s = 0;
  for (unsigned int i = 0; i < n; ++i) s = low32((points[i].y + points[i].x) + static_cast<double>(s));
  lcgSeed(s);

  double best = 1.7976931348623157e308;
  bool found = false;
  std::vector<TavPoint> buffer(n, TavPoint(0, 0));
  std::vector<RankPair> pairs(n);
  if (n >= 2) {
    while (count > 0) {
      --count;
      const unsigned int i1 = draw(n);
      unsigned int i2 = draw(n);
      while (i2 == i1) i2 = draw(n);
      *line = TavLine(points[i1], points[i2]);
      for (unsigned int j = 0; j < n; ++j)
        pairs[j] = RankPair(j, NTavGeometry::pointLineDist(points[j], *line));
      selectionSortByDistance(pairs);
      double score = 0.0;
      for (unsigned int j = 0; j < m; ++j) score += pairs[j].second;
      if (score < best) {
        best = score;
        found = true;
        for (unsigned int j = 0; j < n; ++j) buffer[j] = points[pairs[j].first];
      }
    }
  }
  if (!found) {
    TavLine all;
    NTavGeometry::pointsFitLine(points, n, &all);
    for (unsigned int j = 0; j < n; ++j) pairs[j] = RankPair(j, NTavGeometry::pointLineDist(points[j], all));
    selectionSortByDistance(pairs);
    for (unsigned int j = 0; j < n; ++j) buffer[j] = points[pairs[j].first];
  }
  NTavGeometry::pointsFitLine(buffer.data(), m, line);
  if (rejected != nullptr) {
    for (unsigned int i = 0; i < k; ++i) rejected[i] = buffer[m + i];
  }
  double sum = 0.0;
  for (unsigned int j = 0; j < m; ++j) sum += NTavGeometry::pointLineDist(buffer[j], *line);
  *error = sum / static_cast<double>(m);
  return 0;
}

}  // namespace tavref
