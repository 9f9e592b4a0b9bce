#include <TavGeometry/TavGeoScan.h>
#include <TavGeometry/TavRotator.h>

#include <cmath>

#include "geometry/TavGeoInternal.h"

namespace NTavGeometry {

namespace {
// A sweep at least this large counts as a full turn (2*pi within 1e-5): its last
// spoke would fall on the first one and is left out.
constexpr double kFullTurn = 6.283175307179587;
}  // namespace

void arcToSpoke(const TavArc& arc, double length, double spacing, std::vector<TavLine>* spokes) {
  if (spokes == nullptr) return;
  spokes->clear();

  const double cx = arc.center.x;
  const double cy = arc.center.y;
  const double r = arc.radius;
  const double sweep = arc.sweepAngle;

  // Outer radius: the spokes reach outward for a positive length only (NaN and
  // negative lengths measure the spacing on the arc itself).
  const double outer = length > 0.0 ? r + length : r;
  const double arcLen = std::fabs(outer * sweep);
  // A spacing of -0.0 is a spacing of 0 (dividing by it would give the
  // negative quotient of a negative spacing).
  const double q = arcLen / (spacing == 0.0 ? 0.0 : spacing) - 1.0;
  const double v = q < 1.0 ? 1.0 : q;  // NaN stays NaN

  // Base spoke on the ray at angle 0, turned onto each spoke's ray.
  const TavPoint base1(cx + r, cy);
  const TavPoint base2(cx + r + length, cy);
  CTavRotator rot(cx, cy, arc.startAngle);
  auto appendSpoke = [&]() {
    TavLine spoke(base1, base2);
    rot.rotate(&spoke.p1.x, &spoke.p1.y);
    rot.rotate(&spoke.p2.x, &spoke.p2.y);
    spokes->push_back(spoke);
  };

  // A step count that is not finite (spacing 0, NaN input) or that would lay
  // kScanLinesMax spokes or more gives the start spoke alone. v >= 1 here, so
  // the truncation below is defined and n >= 1.
  if (!(v < static_cast<double>(kScanLinesMax))) {
    appendSpoke();
    return;
  }
  int n = static_cast<int>(v);
  const double step = sweep / n;
  if (std::fabs(sweep) >= kFullTurn) --n;

  spokes->reserve(static_cast<std::size_t>(n) + 1);
  appendSpoke();
  double angle = arc.startAngle;
  for (int k = 0; k < n; ++k) {
    angle += step;  // running sum, as the spokes are laid one after another
    rot.setAngle(angle);
    appendSpoke();
  }
}

}  // namespace NTavGeometry
