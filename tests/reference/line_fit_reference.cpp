#include "reference/line_fit_reference.h"

namespace tavref {

void lineSpreads(const TavPoint* points, unsigned int n, double* qx, double* qy) {
  const double count = static_cast<double>(n);
  double sx = 0.0, sy = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    sx += points[i].x;
    sy += points[i].y;
  }
  const double mx = sx / count;
  const double my = sy / count;
  *qx = 0.0;
  *qy = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double dx = points[i].x - mx;
    const double dy = points[i].y - my;
    *qx += dx * dx;
    *qy += dy * dy;
  }
}

int fitLineTwoPasses(const TavPoint* points, unsigned int n, TavLine* out) {
  const double count = static_cast<double>(n);
  double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0, syy = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double x = points[i].x;
    const double y = points[i].y;
    sx += x;
    sy += y;
    sxy += x * y;
    sxx += x * x;
    syy += y * y;
  }
  double qx = 0.0, qy = 0.0;
  lineSpreads(points, n, &qx, &qy);
  const double cxy = sxy - (sx * sy) / count;
  const TavPoint first = n > 0 ? points[0] : TavPoint();
  if (qx < qy) {
    const double cyy = syy - (sy * sy) / count;
    if (!(cyy < 1e-5)) {
      const double b = cxy / cyy;
      const double a = (sx - b * sy) / count;
      out->p1 = TavPoint(a + b * 0.0, 0.0);
      out->p2 = TavPoint(a + b * 10000.0, 10000.0);
    } else {
      out->p1 = TavPoint(first.x, 0.0);
      out->p2 = TavPoint(first.x, 10000.0);
    }
  } else {
    const double cxx = sxx - (sx * sx) / count;
    if (!(cxx < 1e-5)) {
      const double b = cxy / cxx;
      const double a = (sy - b * sx) / count;
      out->p1 = TavPoint(0.0, a + b * 0.0);
      out->p2 = TavPoint(10000.0, a + b * 10000.0);
    } else {
      out->p1 = TavPoint(0.0, first.y);
      out->p2 = TavPoint(10000.0, first.y);
    }
  }
  return 0;
}

}  // namespace tavref
