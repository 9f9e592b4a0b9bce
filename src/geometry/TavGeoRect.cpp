#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRect.h>
#include <TavGeometry/TavRotator.h>

namespace NTavGeometry {

bool lineRectIntersection(const TavLine& line, const TavRect& rect, TavPoint* first, TavPoint* second) {
  const TavLine l = line;
  TavPoint corner[4] = {TavPoint(rect.x, rect.y), TavPoint(rect.x + rect.width, rect.y),
                        TavPoint(rect.x + rect.width, rect.y + rect.height),
                        TavPoint(rect.x, rect.y + rect.height)};
  // A rotated rectangle turns about its centre; a crossing is accepted when,
  // turned back into the rectangle's own frame, it lies in the grown rectangle.
  const bool rotated = rect.angle != 0.0;
  const double cx = rect.x + rect.width / 2.0;
  const double cy = rect.y + rect.height / 2.0;
  const CTavRotator toRect(cx, cy, rect.angle);
  const CTavRotator toFrame(cx, cy, -rect.angle);
  if (rotated) {
    for (TavPoint& c : corner) toRect.rotate(&c.x, &c.y);
  }
  const TavRect accept(rect.x - 1.0, rect.y - 1.0, rect.width + 2.0, rect.height + 2.0);

  TavPoint slot[2];
  int count = 0;
  for (int e = 0; e < 4 && count < 2; ++e) {
    const TavLine edge(corner[e], corner[(e + 1) % 4]);
    if (!lineLineIntersection(l, edge, &slot[count])) continue;
    TavPoint q = slot[count];
    if (rotated) toFrame.rotate(&q.x, &q.y);
    if (pointInRect(q, accept)) ++count;
  }
  if (count < 2) return false;
  *first = slot[0];
  *second = slot[1];
  return true;
}

}  // namespace NTavGeometry
