#include "reference/arc_reference.h"

#include <cmath>

namespace tavref {

bool arcTestPointUnwrapped(const TavArc& arc, const TavPoint& p, double tolerance) {
  const double kTwoPi = 6.283185307179586;
  const double dx = p.x - arc.center.x, dy = p.y - arc.center.y;
  if (std::fabs(arc.radius - std::hypot(dx, dy)) > tolerance) return false;
  double a = (dx * dx + dy * dy < 1e-4) ? 0.0 : std::atan2(dy, dx);
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
