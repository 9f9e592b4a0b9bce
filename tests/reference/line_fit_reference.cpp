#include "reference/line_fit_reference.h"

namespace tavref {

int fitLineTwoPasses(const TavPoint* points, unsigned int n, TavLine* out) {
  const double count = static_cast<double>(n);
  double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0, syy = 0.0, qx = 0.0, qy = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double x = points[i].x, y = points[i].y;
    sx += x, sy += y, sxy += x * y, sxx += x * x, syy += y * y;
  }
  // The second pass: the spreads about the rounded means, in array order.
  for (unsigned int i = 0; i < n; ++i) {
    const double dx = points[i].x - sx / count, dy = points[i].y - sy / count;
    qx += dx * dx, qy += dy * dy;
  }
  // Regress v on u, u the axis of the larger spread (y when qx < qy).
  const bool onY = qx < qy;
  const double su = onY ? sy : sx, sv = onY ? sx : sy, suu = onY ? syy : sxx;
  const double cxy = sxy - (sx * sy) / count, cuu = suu - (su * su) / count;
  const TavPoint first = n > 0 ? points[0] : TavPoint();
  double v0 = onY ? first.x : first.y, v1 = v0;
  if (!(cuu < 1e-5)) {
    const double b = cxy / cuu, a = (sv - b * su) / count;
    v0 = a + b * 0.0;
    v1 = a + b * 10000.0;
  }
  out->p1 = onY ? TavPoint(v0, 0.0) : TavPoint(0.0, v0);
  out->p2 = onY ? TavPoint(v1, 10000.0) : TavPoint(10000.0, v1);
  return 0;
}

}  // namespace tavref
