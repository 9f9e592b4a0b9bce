#include "reference/ransac_reference.h"

#include <TavGeometry/TavGeoFit.h>
#include <TavGeometry/TavGeoPoint.h>

#include <algorithm>
#include <cmath>

using namespace NTavGeometry;

namespace tavref {

void selectionSortByDistance(std::vector<RankPair>& pairs) {
  for (size_t i = 0; i < pairs.size(); ++i) {
    size_t minIdx = i;
    for (size_t j = i + 1; j < pairs.size(); ++j)
      if (pairs[j].second < pairs[minIdx].second) minIdx = j;
    if (minIdx != i) std::swap(pairs[i], pairs[minIdx]);
  }
}

namespace {

// The low 32 bits of the truncated sum (0 when it is not finite).
uint32_t low32(double sum) {
  if (!std::isfinite(sum)) return 0;
  const double r = std::fmod(std::trunc(sum), 4294967296.0);  // exact
  return static_cast<uint32_t>(r < 0 ? r + 4294967296.0 : r);
}

// An index in [0, n) from the generator 214013 s + 2531011, top 15 bits.
unsigned int draw(uint32_t* state, unsigned int n) {
  *state = *state * 214013u + 2531011u;
  const unsigned int i = static_cast<unsigned int>(static_cast<int>((*state >> 16) & 0x7FFF) / 32767.0 * n);
  return i == n ? n - 1 : i;
}

// The points in ascending distance from the line, as the selection sort leaves them.
void rank(const TavPoint* points, unsigned int n, const TavLine& line, std::vector<RankPair>* pairs) {
  for (unsigned int j = 0; j < n; ++j) (*pairs)[j] = RankPair(j, pointLineDist(points[j], line));
  selectionSortByDistance(*pairs);
}

}  // namespace

int fitLineRansacLiteral(const TavPoint* points, unsigned int n, unsigned int k, int candidates,
                         TavLine* line, double* error, TavPoint* rejected) {
  if (k >= n) return 0;
  int count = candidates;
  if (count < 1) {
    const double r = std::max(0.02, static_cast<double>(k) / static_cast<double>(n));
    const double c = (std::log(100.0 * r) - 1.0) * static_cast<double>(k);
    count = c >= 2147483647.0 ? 2147483647 : static_cast<int>(c);
  }
  const unsigned int m = n - k;
  uint32_t state = 0;
  for (unsigned int i = 0; i < n; ++i)
    state = low32((points[i].y + points[i].x) + static_cast<double>(state));

  double best = 1.7976931348623157e308;
  bool found = false;
  std::vector<TavPoint> buffer(n, TavPoint(0, 0));
  std::vector<RankPair> pairs(n);
  for (; n >= 2 && count > 0; --count) {
    const unsigned int i1 = draw(&state, n);
    unsigned int i2 = draw(&state, n);
    while (i2 == i1) i2 = draw(&state, n);
    *line = TavLine(points[i1], points[i2]);
    rank(points, n, *line, &pairs);
    double score = 0.0;
    for (unsigned int j = 0; j < m; ++j) score += pairs[j].second;
    if (score < best) {
      best = score;
      found = true;
      for (unsigned int j = 0; j < n; ++j) buffer[j] = points[pairs[j].first];
    }
  }
  if (!found) {  // no pair drawn: rank by the fit of all points
    pointsFitLine(points, n, line);
    rank(points, n, *line, &pairs);
    for (unsigned int j = 0; j < n; ++j) buffer[j] = points[pairs[j].first];
  }
  pointsFitLine(buffer.data(), m, line);
  for (unsigned int i = 0; rejected != nullptr && i < k; ++i) rejected[i] = buffer[m + i];
  double sum = 0.0;
  for (unsigned int j = 0; j < m; ++j) sum += pointLineDist(buffer[j], *line);
  *error = sum / static_cast<double>(m);
  return 0;
}

}  // namespace tavref
