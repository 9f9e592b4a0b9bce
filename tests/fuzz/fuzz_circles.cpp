// Circles, arcs and polygon measures.
// needs: TavGeoCircle.h:circleCircleIntersection TavGeoArc.h:arcToPointSet
// TavGeoPolygon.h:polygonIsPointInside
#include "FuzzInput.h"

namespace {

double mag(const TavPoint& p) { return std::fabs(p.x) + std::fabs(p.y); }
// A refused circle is zeroed; a built one is finite.
bool madeOrZero(bool made, const TavCircle& c) {
  out(made, c);
  return made ? std::isfinite(c.radius) && c.radius >= 0 && isFinite(c.center)
              : zero(c.center) && c.radius == 0;
}

// Unused intersection points are zeroed (circle and line) or repeat the
// chord's foot (two circles); concentric circles give both at the centre.
void circles(FuzzInput& in, bool hostile) {
  const TavPoint a = in.point(hostile), b = in.point(hostile), c = in.point(hostile);
  TavCircle out3(TavPoint(9, 9), 9), tri(TavPoint(9, 9), 9);
  const bool inscribed = circleInTriangle(a, b, c, &tri);
  FUZZ_CHECK(madeOrZero(circleIn3Points(a, b, c, &out3), out3) && madeOrZero(inscribed, tri));
  const double scale = 1.0 + mag(a) + mag(b) + mag(c);
  const TavCircle circle(a, hostile ? in.anyDouble() : std::fabs(in.moderate()));
  TavPoint pts[2] = {TavPoint(7, 7), TavPoint(7, 7)}, cc[2] = {TavPoint(7, 7), TavPoint(7, 7)};
  int count = -1;
  circleLineIntersection(circle, TavLine(b, c), pts, &count), out(count, pts[0], pts[1]);
  FUZZ_CHECK(count >= 0 && count <= 2);
  for (int i = 0; i < 2; ++i) FUZZ_CHECK(i < count ? isFinite(pts[i]) : zero(pts[i]));
  if (count == 2 && !hostile && pointPointDist(b, c) > 1)  // in descending x
    FUZZ_CHECK(pts[0].x >= pts[1].x || std::fabs(c.x - b.x) < 1e-5);
  // Crossings lie on the line and on the circle, steep lines included; a
  // tangent up to the discriminant's absolute tolerance: |r^2 - d^2| < 2.5e-6.
  const double tolLine = 1e-6 * (scale + circle.radius);
  for (int i = 0; !hostile && pointPointDist(b, c) > 1 && i < count; ++i) {
    const double d = pointPointDist(pts[i], circle.center), r = std::fabs(circle.radius);
    FUZZ_CHECK(pointLineDist(pts[i], TavLine(b, c)) <= tolLine &&
               (count == 2 ? std::fabs(d - r) <= tolLine : std::fabs(d * d - r * r) <= 2.5e-6 + tolLine * (d + r)));
  }
  const TavPoint otherCentre = in.flag() ? a : b;  // read before the radius, with every compiler
  const TavCircle other(otherCentre, hostile ? in.anyDouble() : std::fabs(in.moderate()));
  count = -1;
  circleCircleIntersection(circle, other, cc, &count), out(count, cc[0], cc[1]);
  // (0.0 and -0.0 may differ: the foot is moved by +-0.)
  auto same = [](double u, double v) { return u == v || (std::isnan(u) && std::isnan(v)); };
  FUZZ_CHECK(count >= 0 && count <= 2 && (count == 2 || (same(cc[0].x, cc[1].x) && same(cc[0].y, cc[1].y))));
  if (isFinite(circle.center) && circle.center.x == other.center.x && circle.center.y == other.center.y)
    FUZZ_CHECK(count == 0 && cc[0].x == circle.center.x && cc[0].y == circle.center.y);
  const double tol = 1e-6 * (scale + circle.radius + other.radius);
  for (int i = 0; count == 2 && !hostile && i < 2; ++i)  // on both circles
    FUZZ_CHECK(std::fabs(pointPointDist(cc[i], circle.center) - circle.radius) <= tol &&
               std::fabs(pointPointDist(cc[i], other.center) - other.radius) <= tol);
}

void arcs(FuzzInput& in, bool hostile) {
  const TavPoint a = in.point(hostile), b = in.point(hostile), c = in.point(hostile);
  TavArc arc(TavPoint(1, 2), 3, 4, 5);
  const bool built = out(arcIn3Points(a, b, c, &arc));
  // A refusal leaves the arc as it was.
  FUZZ_CHECK(!built ? arc.center.x == 1 && arc.center.y == 2 && arc.radius == 3 && arc.startAngle == 4 &&
                          arc.sweepAngle == 5
                    : std::isfinite(out(arc).radius) && arc.radius >= 0 && isFinite(arc.center) &&
                          std::fabs(arc.sweepAngle) < 2 * M_PI && arc.startAngle >= -M_PI &&
                          arc.startAngle <= M_PI);
  // The arc runs through the points (moderate ones: hostile ones may be off by their own rounding).
  const double size = std::max({arc.radius, std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y),
                                std::fabs(c.x), std::fabs(c.y)});
  for (const TavPoint& p : {b, c})
    FUZZ_CHECK(!built || hostile || std::fabs(pointPointDist(p, arc.center) - arc.radius) <= 1e-6 * size);
  TavArc any{in.point(hostile), in.value(hostile), in.value(hostile), in.value(hostile)};
  if (in.flag()) any = arc;
  std::vector<TavPoint> poly(static_cast<size_t>(in.count(300)));
  arcToPolyline(any, poly.empty() ? nullptr : poly.data(), static_cast<unsigned int>(poly.size())), out(poly);
  const TavPoint p = in.point(hostile);
  const double tol = in.value(hostile);
  const bool on = out(arcTestPoint(any, p, tol));
  FUZZ_CHECK(!on || (any.sweepAngle != 0 && std::isfinite(any.startAngle) &&
                     std::fabs(any.radius - pointPointDist(any.center, p)) <= tol));
  TavPoint along;
  arcPointAlong(any, in.value(hostile), &along), out(along);
  FUZZ_CHECK(any.radius != 0 || std::isnan(along.x) || std::isnan(along.y));
  // One point per unit of length, or none; sets of up to 2^24 points are
  // legal but slow to write, so they are taken now and then only.
  const double length = std::fabs(any.sweepAngle) * any.radius;
  if (length > 1e5 && in.byte() != 0x5a) return;
  std::vector<TavPoint> set(3, TavPoint(5, 5));
  arcToPointSet(any, &set), out(set);
  const bool fits = length >= 1 && length < static_cast<double>(kArcToPointSetMaxPoints) + 1.0;
  FUZZ_CHECK(set.size() == (fits ? static_cast<size_t>(length) : 0) && set.size() <= kArcToPointSetMaxPoints);
}

void polygons(FuzzInput& in, bool hostile) {
  std::vector<TavPoint> v = in.points(64, hostile);
  const unsigned int n = static_cast<unsigned int>(v.size());
  const double area = out(polygonArea(v.empty() ? nullptr : v.data(), n));
  const TavPoint p = in.point(hostile);
  const bool inside = out(polygonIsPointInside(v.empty() ? nullptr : v.data(), n, p));
  FUZZ_CHECK((std::isnan(area) || area >= 0) && (n >= 3 || (area == 0 && !inside)));
  if (n >= 1) {  // starting the vertex list at another vertex describes the same polygon
    std::rotate(v.begin(), v.begin() + in.byte() % n, v.end());
    FUZZ_CHECK(polygonIsPointInside(v.data(), n, p) == inside);
  }
  // An axis-aligned rectangle: edges of smaller x and y are inside.
  const double x0 = in.moderate(), y0 = in.moderate();
  const double w = 1 + std::fabs(in.moderate()), h = 1 + std::fabs(in.moderate());
  const TavPoint rect[4] = {TavPoint(x0, y0), TavPoint(x0 + w, y0), TavPoint(x0 + w, y0 + h),
                            TavPoint(x0, y0 + h)};
  const double px = x0 + w * (in.byte() / 255.0), py = y0 + h * (in.byte() / 255.0);
  FUZZ_CHECK(out(polygonIsPointInside(rect, 4, TavPoint(px, py))) == (px < x0 + w && py < y0 + h));
}

}  // namespace

TAVFUZZ_TARGET(fuzz_circles) { pick(in, {{"circle", circles}, {"arc", arcs}, {"polygon", polygons}}); }
