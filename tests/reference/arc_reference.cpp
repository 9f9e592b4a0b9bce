#include "reference/arc_reference.h"

#include <cmath>

namespace tavref {

namespace {
const double kTwoPi = 6.283185307179586;

bool radialAngle(const TavArc& arc, const TavPoint& p, double tolerance, double* angle) {
  const double dx = p.x - arc.center.x;
  const double dy = p.y - arc.center.y;
  if (std::fabs(arc.radius - std::hypot(dx, dy)) > tolerance) return false;
  *angle = (dx * dx + dy * dy < 1e-4) ? 0.0 : std::atan2(dy, dx);
  return true;
}
}  // namespace

bool arcTestPointOneWay(const TavArc& arc, const TavPoint& p, double tolerance) {
  double a = 0;
  if (!radialAngle(arc, p, tolerance, &a)) return false;
  if (arc.sweepAngle > 0) {
    while (a < arc.startAngle) a += kTwoPi;
    return a < arc.startAngle + arc.sweepAngle;
  }
  while (a > arc.startAngle) a -= kTwoPi;
  return a > arc.startAngle + arc.sweepAngle;
}

bool arcTestPointUnwrapped(const TavArc& arc, const TavPoint& p, double tolerance) {
  double a = 0;
  if (!radialAngle(arc, p, tolerance, &a)) return false;
  if (arc.sweepAngle > 0) {
    while (a >= arc.startAngle + kTwoPi) a -= kTwoPi;
    while (a < arc.startAngle) a += kTwoPi;
    return a < arc.startAngle + arc.sweepAngle;
  }
  while (a <= arc.startAngle - kTwoPi) a += kTwoPi;
  while (a > arc.startAngle) a -= kTwoPi;
  return a > arc.startAngle + arc.sweepAngle;
}

}  // namespace tavref
