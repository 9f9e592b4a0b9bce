#include <TavGeometry/TavGeoPolygon.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace NTavGeometry {

double polygonArea(const TavPoint* vertices, unsigned int count) {
  // One or two vertices enclose nothing; the sum below would only return its
  // rounding error for them.
  if (vertices == nullptr || count < 3) return 0.0;
  // Integer vertices, as pixel polygons mostly have: when every term and every
  // partial sum below is an integer of at most 2^53, each addition is exact, so
  // the sum is the same whatever the order, and 64-bit integers form it
  // without the chain of dependent floating-point additions.
  double maxAbs = 0.0;
  bool integral = true;
  for (unsigned int i = 0; i < count && integral; ++i) {
    const double x = vertices[i].x;
    const double y = vertices[i].y;
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    // The first test also refuses NaN, so the conversions stay in range.
    integral = ax <= 0x1p26 && ay <= 0x1p26 && static_cast<double>(static_cast<int64_t>(x)) == x &&
               static_cast<double>(static_cast<int64_t>(y)) == y;
    maxAbs = std::max(maxAbs, std::max(ax, ay));
  }
  // |term| <= maxAbs^2 and at most 2 * count terms are summed.
  if (integral && 2.0 * static_cast<double>(count) * maxAbs * maxAbs <= 0x1p53) {
    int64_t s = 0;
    for (unsigned int i = 0; i < count; ++i) {
      const unsigned int j = (i + 1 == count) ? 0 : i + 1;
      s += static_cast<int64_t>(vertices[i].x) * static_cast<int64_t>(vertices[j].y) -
           static_cast<int64_t>(vertices[i].y) * static_cast<int64_t>(vertices[j].x);
    }
    double a = static_cast<double>(s);
    a = a * 0.5;
    return a < 0.0 ? -a : a;
  }
  double a = 0.0;
  for (unsigned int i = 0; i < count; ++i) {
    const unsigned int j = (i + 1 == count) ? 0 : i + 1;
    a += vertices[i].x * vertices[j].y;
    a -= vertices[i].y * vertices[j].x;
  }
  a = a * 0.5;
  return a < 0.0 ? -a : a;
}

bool polygonIsPointInside(const TavPoint* vertices, unsigned int count, const TavPoint& p) {
  // With two vertices the one segment is crossed twice, but the two crossings
  // can round differently; such a polygon never contains a point.
  if (vertices == nullptr || count < 3) return false;
  const double px = p.x;
  const double py = p.y;
  bool inside = false;
  // Edge (j, i): the closing edge (count - 1, 0) first, then (0, 1), (1, 2), ...
  for (unsigned int i = 0, j = count - 1; i < count; j = i++) {
    const double xi = vertices[i].x, yi = vertices[i].y;
    const double xj = vertices[j].x, yj = vertices[j].y;
    // Each end counts at its lower y only; horizontal edges never count, so
    // yj - yi is never 0 below.
    if ((yi <= py && py < yj) || (yj <= py && py < yi)) {
      const double x = (xj - xi) * (py - yi) / (yj - yi) + xi;
      if (px < x) inside = !inside;
    }
  }
  return inside;
}

}  // namespace NTavGeometry
