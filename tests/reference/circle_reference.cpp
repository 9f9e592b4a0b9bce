#include "reference/circle_reference.h"

#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>

namespace tavref {

bool circleInTriangleByLineBisect(const TavPoint& pa, const TavPoint& pb, const TavPoint& pc,
                                  TavCircle* out) {
  using namespace NTavGeometry;
  *out = TavCircle();
  TavLine first, second;
  lineLineBisect(TavLine(pa, pb), TavLine(pb, pc), &first);
  lineLineBisect(TavLine(pb, pc), TavLine(pc, pa), &second);
  if (!lineLineIntersection(first, second, &out->center)) return false;
  out->radius = pointLineDist(out->center, TavLine(pa, pb));
  return true;
}

}  // namespace tavref
