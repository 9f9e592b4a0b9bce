#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace NTavGeometry {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;

}  // namespace

bool lineLineIntersection(const TavLine& first, const TavLine& second, TavPoint* out) {
  const double fdx = first.p2.x - first.p1.x;
  const double fdy = first.p2.y - first.p1.y;
  const double sdx = second.p2.x - second.p1.x;
  const double sdy = second.p2.y - second.p1.y;
  const double det = fdx * sdy - fdy * sdx;
  if (det == 0.0) return false;
  const double t = (sdx * (first.p1.y - second.p1.y) - sdy * (first.p1.x - second.p1.x)) / det;
  const double x = first.p1.x + t * fdx;
  const double y = first.p1.y + t * fdy;
  out->x = x;
  out->y = y;
  return true;
}

bool lineLineIsCollinear(const TavLine& first, const TavLine& second) {
  const double fdx = first.p2.x - first.p1.x;
  const double fdy = first.p2.y - first.p1.y;
  const double sdx = second.p2.x - second.p1.x;
  const double sdy = second.p2.y - second.p1.y;
  if (fdx * sdy - fdy * sdx != 0.0) return false;
  const double n = sdx * (first.p1.y - second.p1.y) - sdy * (first.p1.x - second.p1.x);
  return n == 0.0;
}

void lineLineBisect(const TavLine& first, const TavLine& second, TavLine* out) {
  const TavLine f = first, s = second;  // out may alias either input
  TavPoint p(0.0, 0.0);
  // The bisector is a segment of 10000 from the crossing, so its direction is
  // rounded to about ulp(|p|) / 10000; at the first line, `away` from the
  // crossing, that moves it by away * |p| * eps / 10000. Lines parallel but for rounding cross so far
  // out (1e17 for two 10 px apart) that this is more than 1e-4 px, and the
  // result missed the lines by 1e14 px: such a crossing counts as none, and
  // the line halfway between is built, as for parallel lines.
  const bool crossing = lineLineIntersection(f, s, &p);
  const double reach = std::max(std::fabs(p.x), std::fabs(p.y)),
               away = std::max(std::fabs(p.x - f.p1.x), std::fabs(p.y - f.p1.y));
  if (crossing && !(away * reach * std::numeric_limits<double>::epsilon() > 1.0)) {
    const double a1 = lineAngle(f);
    double d = lineAngle(s) - a1;
    // Both angles lie in [-pi, pi], so d lies in [-2pi, 2pi]. Beyond pi the
    // difference is the long way round; the short way is d -+ 2pi. Differences
    // up to pi in size are kept as they are.
    if (d > kPi) {
      d -= kTwoPi;
    } else if (d < -kPi) {
      d += kTwoPi;
    }
    double angle = a1 + d * 0.5;
    if (std::fabs(d) > kHalfPi) angle += kHalfPi;
    pointAngleToLine(p, angle, out);
    return;
  }
  const double a = lineAngle(f);
  TavLine across;
  pointAngleToLine(TavPoint(0.0, 0.0), a + kHalfPi, &across);
  TavPoint m1(0.0, 0.0), m2(0.0, 0.0);
  lineLineIntersection(f, across, &m1);
  lineLineIntersection(s, across, &m2);
  TavPoint mid;
  pointsToMiddle(m1, m2, &mid);
  pointAngleToLine(mid, a, out);
}

bool lineLineDist(const TavLine& first, const TavLine& second, const TavLine& across, double* dist) {
  if (lineCompare(first, second)) {
    *dist = 0.0;
    return false;
  }
  TavPoint p(0.0, 0.0), q(0.0, 0.0);
  const bool okP = lineLineIntersection(first, across, &p);
  const bool okQ = lineLineIntersection(second, across, &q);
  // A crossing that does not exist leaves nothing to measure from.
  if (!okP || !okQ) {
    *dist = 0.0;
    return false;
  }
  *dist = pointPointDist(p, q);
  return true;
}

void linePointToLinePerpendicular(const TavLine& line, const TavPoint& p, TavLine* out) {
  const double x1 = line.p1.x, y1 = line.p1.y;
  const double dx = line.p2.x - x1;
  const double dy = line.p2.y - y1;
  const TavPoint start = p;
  const double len2 = dx * dx + dy * dy;
  if (len2 == 0.0) {
    *out = TavLine();
    return;
  }
  const double t = ((start.y - y1) * dy + (start.x - x1) * dx) / len2;
  out->p1 = start;
  out->p2 = TavPoint(x1 + t * dx, y1 + t * dy);
}

void linePointToLineParallel(const TavLine& line, const TavPoint& p, TavLine* out) {
  const double dx = line.p2.x - line.p1.x;
  const double dy = line.p2.y - line.p1.y;
  const TavPoint start = p;
  out->p1 = start;
  out->p2 = TavPoint(start.x + dx, start.y + dy);
}

}  // namespace NTavGeometry
