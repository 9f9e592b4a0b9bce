#include <TavGeometry/TavGeoCircle.h>
#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoScalar.h>

#include <cmath>

#include "geometry/TavGeoInternal.h"

namespace NTavGeometry {

namespace {

constexpr double kTol = 1e-5;

bool isFinite(const TavPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// True when both chords of (q1, q2, q3) can be used by the slope construction.
bool orderingUsable(const TavPoint& q1, const TavPoint& q2, const TavPoint& q3) {
  const double ya = q2.y - q1.y, xa = q2.x - q1.x;
  const double yb = q3.y - q2.y, xb = q3.x - q2.x;
  // A vertical first chord and a horizontal second one: right angle at q2.
  if (std::fabs(xa) <= kTol && std::fabs(yb) <= kTol) return true;
  if (std::fabs(ya) <= kTol) return false;
  if (std::fabs(yb) <= kTol) return false;
  if (std::fabs(xa) <= kTol) return false;
  if (std::fabs(xb) <= kTol) return false;
  return true;
}

// The circle through a usable ordering; false for slopes within tolerance.
bool circleFromOrdering(const TavPoint& q1, const TavPoint& q2, const TavPoint& q3, TavCircle* c) {
  const double ya = q2.y - q1.y, xa = q2.x - q1.x;
  const double yb = q3.y - q2.y, xb = q3.x - q2.x;
  double cx, cy;
  if (std::fabs(xa) <= kTol && std::fabs(yb) <= kTol) {
    // The middle of the hypotenuse of the right angle at q2.
    cx = (q2.x + q3.x) * 0.5;
    cy = (q1.y + q2.y) * 0.5;
  } else {
    const double aSlope = ya / xa;
    const double bSlope = yb / xb;
    if (std::fabs(aSlope - bSlope) <= kTol) return false;
    cx = (aSlope * bSlope * (q1.y - q3.y) + bSlope * (q1.x + q2.x) - aSlope * (q2.x + q3.x)) /
         (2.0 * (bSlope - aSlope));
    // The point of the perpendicular bisector of q1q2 at that x.
    cy = (q1.y + q2.y) * 0.5 - (cx - (q1.x + q2.x) * 0.5) / aSlope;
  }
  c->center = TavPoint(cx, cy);
  c->radius = detail::roundedHypot(cx - q1.x, cy - q1.y);
  return true;
}

}  // namespace

bool circleIn3Points(const TavPoint& p1, const TavPoint& p2, const TavPoint& p3, TavCircle* out) {
  if (out == nullptr) return false;
  const TavPoint a = p1, b = p2, c = p3;  // out may overlap an input
  *out = TavCircle();
  const TavPoint* const orders[6][3] = {{&a, &b, &c}, {&a, &c, &b}, {&b, &a, &c},
                                        {&b, &c, &a}, {&c, &b, &a}, {&c, &a, &b}};
  for (const auto& o : orders) {
    if (!orderingUsable(*o[0], *o[1], *o[2])) continue;
    // Only the first usable ordering is tried, even if it fails.
    TavCircle result;
    if (!circleFromOrdering(*o[0], *o[1], *o[2], &result)) return false;
    if (!isFinite(result.center) || !std::isfinite(result.radius)) return false;
    *out = result;
    return true;
  }
  return false;
}

bool circleInTriangle(const TavPoint& pa, const TavPoint& pb, const TavPoint& pc, TavCircle* out) {
  if (out == nullptr) return false;
  const TavPoint a = pa, b = pb, c = pc;  // out may overlap an input
  *out = TavCircle();
  // Collinear or coincident vertices enclose no circle (exact test).
  const double cross = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (cross == 0.0) return false;
  // The inner bisector from a vertex meets the opposite side where it divides
  // that side in the ratio of the two adjacent sides. Building each bisector
  // from the vertex to that point gives the inner bisector at every angle, and
  // keeps both ends of the line within the triangle.
  const double ab = pointPointDist(a, b);
  const double bc = pointPointDist(b, c);
  const double ca = pointPointDist(c, a);
  const double tb = ab / (ab + bc);  // from a toward c
  const double tc = ca / (ca + bc);  // from a toward b
  const TavLine bisectB(b, TavPoint(a.x + tb * (c.x - a.x), a.y + tb * (c.y - a.y)));
  const TavLine bisectC(c, TavPoint(a.x + tc * (b.x - a.x), a.y + tc * (b.y - a.y)));
  TavPoint centre(0.0, 0.0);
  if (!lineLineIntersection(bisectB, bisectC, &centre)) return false;
  const double radius = pointLineDist(centre, TavLine(a, b));
  if (!isFinite(centre) || !std::isfinite(radius)) return false;
  out->center = centre;
  out->radius = radius;
  return true;
}

void circleLineIntersection(const TavCircle& circle, const TavLine& line, TavPoint* pts, int* count) {
  if (pts == nullptr || count == nullptr) return;
  const double cx = circle.center.x, cy = circle.center.y, r = circle.radius;
  double coefY = 0.0, coefX = 0.0, constant = 0.0;
  line2AbcLineEquation(line, &coefY, &coefX, &constant);

  double roots[2] = {0.0, 0.0};
  int n = 0;
  TavPoint p0, p1;
  if (std::fabs(coefY) < kTol) {
    // Vertical: x = x0.
    const double x0 = -constant / coefX;
    solveQuadraticAbcFormula(1.0, -2.0 * cy, (x0 - cx) * (x0 - cx) + cy * cy - r * r, roots, &n);
    p0 = TavPoint(x0, roots[0]);
    p1 = TavPoint(x0, roots[1]);
  } else if (const double m = -coefX / coefY; !(std::fabs(m) > 1.0)) {
    // y = m*x + q. The leading coefficient 1 + m*m is at least 1.
    const double q = -constant / coefY;
    solveQuadraticAbcFormula(1.0 + m * m, 2.0 * (q * m - cx - cy * m),
                             q * q + cx * cx - 2.0 * cy * q + cy * cy - r * r, roots, &n);
    p0 = TavPoint(roots[0], m * roots[0] + q);
    p1 = TavPoint(roots[1], m * roots[1] + q);
  } else {
    // Steeper than 45 degrees: x = w*y + u, solved for y. In x the slope m
    // would scale the rounding of the roots into y (a line 1e-3 rad off the
    // vertical came 4e-3 radii off the circle, and the count could be wrong).
    // The quadratic in y has the discriminant of the one in x times w^2, so
    // its coefficients are divided by |w|: the same tangent test, on the
    // same discriminant. pts[0] keeps the larger x.
    const double w = (line.p2.x - line.p1.x) / (line.p2.y - line.p1.y);
    const double u = line.p2.x - w * line.p2.y;
    const double k = 1.0 / std::fabs(w);
    solveQuadraticAbcFormula(k * (1.0 + w * w), k * (2.0 * (u * w - cy - cx * w)),
                             k * (u * u + cy * cy - 2.0 * cx * u + cx * cx - r * r), roots, &n);
    const int first = w > 0.0 || n < 2 ? 0 : 1;
    p0 = TavPoint(w * roots[first] + u, roots[first]);
    p1 = TavPoint(w * roots[1 - first] + u, roots[1 - first]);
  }
  if (n < 0 || n > 2) n = 0;
  if (n >= 1 && !isFinite(p0)) n = 0;
  if (n == 2 && !isFinite(p1)) n = 0;
  pts[0] = n >= 1 ? p0 : TavPoint();
  pts[1] = n == 2 ? p1 : TavPoint();
  *count = n;
}

void circleCircleIntersection(const TavCircle& first, const TavCircle& second, TavPoint* pts, int* count) {
  if (pts == nullptr || count == nullptr) return;
  const double x1 = first.center.x, y1 = first.center.y, r1 = first.radius;
  const double x2 = second.center.x, y2 = second.center.y, r2 = second.radius;
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0.0) {
    // Concentric (or centres too close for their distance to be represented):
    // no direction to the chord, so no crossing points.
    pts[0] = TavPoint(x1, y1);
    pts[1] = TavPoint(x1, y1);
    *count = 0;
    return;
  }
  const double ux = dx / d;
  const double uy = dy / d;
  const double a = (d * d + r1 * r1 - r2 * r2) / (2.0 * d);
  const double h2 = r1 * r1 - a * a;
  const double h = h2 > 0.0 ? std::sqrt(h2) : 0.0;
  const double px = x1 + a * ux;
  const double py = y1 + a * uy;
  const TavPoint q0(px - h * uy, py + h * ux);
  const TavPoint q1(px + h * uy, py - h * ux);
  int n = 0;
  if (h2 == 0.0) {
    n = 1;
  } else if (h2 > 0.0) {
    n = 2;
  }  // h2 < 0 (apart or nested) and NaN give 0
  if (n > 0 && (!isFinite(q0) || !isFinite(q1))) {
    pts[0] = TavPoint(px, py);
    pts[1] = TavPoint(px, py);
    *count = 0;
    return;
  }
  pts[0] = q0;
  pts[1] = q1;
  *count = n;
}

}  // namespace NTavGeometry
