#include "reference/fit_reference.h"

#include <TavGeometry/TavGeoPoint.h>

#include <cmath>

namespace tavref {

int fitCircleAbsoluteOnly(const TavPoint* points, unsigned int n, TavCircle* circle, double* error) {
  const double eps = 2.220446049250313e-16;
  *circle = TavCircle();
  *error = 0.0;
  if (n < 3) return 2;
  const double cnt = n;
  double sx = 0, sy = 0;
  for (unsigned int i = 0; i < n; ++i) {
    sx += points[i].x;
    sy += points[i].y;
  }
  const double mx = sx / cnt, my = sy / cnt;
  double suu = 0, suv = 0, svv = 0, suuu = 0, svvv = 0, suuv = 0, suvv = 0;
  for (unsigned int i = 0; i < n; ++i) {
    const double u = points[i].x - mx, v = points[i].y - my;
    suu += u * u;
    suv += u * v;
    svv += v * v;
    suuu += u * u * u;
    svvv += v * v * v;
    suuv += u * u * v;
    suvv += u * v * v;
  }
  suu /= cnt;
  suv /= cnt;
  svv /= cnt;
  suuu /= cnt;
  svvv /= cnt;
  suuv /= cnt;
  suvv /= cnt;
  if (suu < eps || svv < eps) return 2;
  const double det = svv * suu - suv * suv;
  if (std::fabs(det) < eps) return 2;
  const double a = (suvv + suuu) * 0.5, b = (suuv + svvv) * 0.5;
  const double uc = (a * svv - b * suv) / det, vc = (b * suu - a * suv) / det;
  circle->center = TavPoint(mx + uc, my + vc);
  circle->radius = std::sqrt(uc * uc + vc * vc + suu + svv);
  double sum = 0;
  for (unsigned int i = 0; i < n; ++i)
    sum += std::fabs(NTavGeometry::pointPointDist(circle->center, points[i]) - circle->radius);
  *error = sum / cnt;
  return 0;
}

}  // namespace tavref
