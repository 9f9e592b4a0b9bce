#include <TavGeometry/TavGeoPolygon.h>

namespace NTavGeometry {

double polygonArea(const TavPoint* vertices, unsigned int count) {
  // One or two vertices enclose nothing; the sum below would only return its
  // rounding error for them.
  if (vertices == nullptr || count < 3) return 0.0;
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
