// Circles, arcs and polygon measures.
// needs: TavGeoCircle.h:circleCircleIntersection TavGeoArc.h:arcToPointSet
// TavGeoPolygon.h:polygonIsPointInside
#include "FuzzInput.h"

namespace {

const double kPi = 3.141592653589793, kTwoPi = 6.283185307179586;

double mag(const TavPoint& p) { return std::fabs(p.x) + std::fabs(p.y); }
// A refused circle is zeroed; a built one is finite.
bool madeOrZero(bool made, const TavCircle& c) {
  out(made, c);
  return made ? std::isfinite(c.radius) && c.radius >= 0 && isFinite(c.center)
              : zero(c.center) && c.radius == 0;
}

void circles(FuzzInput& in, bool hostile) {
  const TavPoint a = in.point(hostile), b = in.point(hostile), c = in.point(hostile);
  const double scale = 1.0 + mag(a) + mag(b) + mag(c);
  TavCircle out3(TavPoint(9, 9), 9), tri(TavPoint(9, 9), 9);
  FUZZ_CHECK(madeOrZero(circleIn3Points(a, b, c, &out3), out3));
  const bool inscribed = circleInTriangle(a, b, c, &tri);
  FUZZ_CHECK(madeOrZero(inscribed, tri));
  const double ab = pointPointDist(a, b), bc = pointPointDist(b, c), ca = pointPointDist(c, a);
  const double area2 = std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
  if (inscribed && !hostile && ab > 1 && bc > 1 && ca > 1 && area2 > 0.1 * (ab + bc + ca) * (ab + bc + ca)) {
    // A well-shaped triangle: the circle touches all three sides.
    for (const TavLine& side : {TavLine(a, b), TavLine(b, c), TavLine(c, a)})
      FUZZ_CHECK(std::fabs(pointLineDist(tri.center, side) - tri.radius) <= 1e-6 * scale);
  }

  // Circle and line: unused points zeroed, two crossings in descending x.
  const TavCircle circle(a, hostile ? in.anyDouble() : std::fabs(in.moderate()));
  const TavLine line(b, c);
  TavPoint pts[2] = {TavPoint(7, 7), TavPoint(7, 7)};
  int count = -1;
  circleLineIntersection(circle, line, pts, &count), out(count, pts[0], pts[1]);
  FUZZ_CHECK(count >= 0 && count <= 2);
  for (int i = 0; i < 2; ++i) FUZZ_CHECK(i < count ? isFinite(pts[i]) : zero(pts[i]));
  if (count == 2 && !hostile && pointPointDist(b, c) > 1) {
    FUZZ_CHECK(pts[0].x >= pts[1].x || std::fabs(c.x - b.x) < 1e-5);
    for (const TavPoint& q : pts) FUZZ_CHECK(pointLineDist(q, line) <= 1e-6 * (scale + circle.radius));
  }

  // Two circles.
  const TavCircle other(in.flag() ? a : b, hostile ? in.anyDouble() : std::fabs(in.moderate()));
  TavPoint cc[2] = {TavPoint(7, 7), TavPoint(7, 7)};
  count = -1;
  circleCircleIntersection(circle, other, cc, &count), out(count, cc[0], cc[1]);
  FUZZ_CHECK(count >= 0 && count <= 2);
  // With no or one crossing both points are the chord's foot (0.0 and -0.0
  // may differ: the foot is moved by +-0).
  auto same = [](double u, double v) { return u == v || (std::isnan(u) && std::isnan(v)); };
  if (count < 2) FUZZ_CHECK(same(cc[0].x, cc[1].x) && same(cc[0].y, cc[1].y));
  if (isFinite(circle.center) && circle.center.x == other.center.x && circle.center.y == other.center.y)
    FUZZ_CHECK(count == 0 && cc[0].x == circle.center.x && cc[0].y == circle.center.y &&
               cc[1].x == circle.center.x && cc[1].y == circle.center.y);  // concentric: at the centre
  const double tol = 1e-6 * (scale + circle.radius + other.radius);
  for (int i = 0; count == 2 && !hostile && i < 2; ++i)
    FUZZ_CHECK(std::fabs(pointPointDist(cc[i], circle.center) - circle.radius) <= tol &&
               std::fabs(pointPointDist(cc[i], other.center) - other.radius) <= tol);
}

void arcs(FuzzInput& in, bool hostile) {
  const TavPoint a = in.point(hostile), b = in.point(hostile), c = in.point(hostile);
  TavArc arc(TavPoint(1, 2), 3, 4, 5);
  const bool built = out(arcIn3Points(a, b, c, &arc));
  out(arc);
  if (!built) {
    FUZZ_CHECK(arc.center.x == 1 && arc.center.y == 2 && arc.radius == 3 && arc.startAngle == 4 &&
               arc.sweepAngle == 5);
  } else {
    FUZZ_CHECK(std::isfinite(arc.radius) && arc.radius >= 0 && isFinite(arc.center));
    FUZZ_CHECK(std::fabs(arc.sweepAngle) < kTwoPi && arc.startAngle >= -kPi && arc.startAngle <= kPi);
    if (!hostile && arc.radius < 1e5 && pointPointDist(a, c) > 1 && pointPointDist(a, b) > 1 &&
        pointPointDist(b, c) > 1) {
      TavPoint ends[2];  // the arc starts at the first point and ends at the last
      arcToPolyline(arc, ends, 2);
      const double tol = 1e-6 * (1.0 + arc.radius + mag(arc.center));
      FUZZ_CHECK(pointPointDist(ends[0], a) <= tol && pointPointDist(ends[1], c) <= tol);
    }
  }

  // An arc of any values.
  TavArc any{in.point(hostile), in.value(hostile), in.value(hostile), in.value(hostile)};
  if (in.flag()) any = arc;
  std::vector<TavPoint> poly(static_cast<size_t>(in.count(300)));
  arcToPolyline(any, poly.empty() ? nullptr : poly.data(), static_cast<unsigned int>(poly.size())), out(poly);
  if (!poly.empty() && !hostile) {
    const TavPoint start(any.center.x + any.radius * std::cos(any.startAngle),
                         any.center.y + any.radius * std::sin(any.startAngle));
    FUZZ_CHECK(pointPointDist(poly[0], start) <= 1e-9 * (1.0 + std::fabs(any.radius) + mag(any.center)));
  }
  const TavPoint p = in.point(hostile);
  const double tol = in.value(hostile);
  const bool on = out(arcTestPoint(any, p, tol));
  if (any.sweepAngle == 0 || !std::isfinite(any.startAngle)) FUZZ_CHECK(!on);
  if (on) FUZZ_CHECK(std::fabs(any.radius - pointPointDist(any.center, p)) <= tol);
  TavPoint along;
  arcPointAlong(any, in.value(hostile), &along), out(along);
  if (any.radius == 0) FUZZ_CHECK(std::isnan(along.x) || std::isnan(along.y));

  // Sets of up to 2^24 points are legal but slow to write; take them now and then only.
  const double length = std::fabs(any.sweepAngle) * any.radius;
  if (length > 1e5 && in.byte() != 0x5a) return;
  std::vector<TavPoint> set(3, TavPoint(5, 5));
  arcToPointSet(any, &set), out(set);
  const bool fits = length >= 1 && length < static_cast<double>(kArcToPointSetMaxPoints) + 1.0;
  FUZZ_CHECK(set.size() == (fits ? static_cast<size_t>(length) : 0) && set.size() <= kArcToPointSetMaxPoints);
}

void polygons(FuzzInput& in, bool hostile) {
  const std::vector<TavPoint> v = in.points(64, hostile);
  const unsigned int n = static_cast<unsigned int>(v.size());
  const TavPoint* vp = v.empty() ? nullptr : v.data();
  const double area = out(polygonArea(vp, n));
  FUZZ_CHECK((std::isnan(area) || area >= 0) && (n >= 3 || area == 0));
  const TavPoint p = in.point(hostile);
  const bool inside = out(polygonIsPointInside(vp, n, p));
  FUZZ_CHECK(n >= 3 || !inside);
  if (n >= 1) {  // starting the vertex list at another vertex describes the same polygon
    std::vector<TavPoint> w = v;
    std::rotate(w.begin(), w.begin() + in.byte() % n, w.end());
    FUZZ_CHECK(polygonIsPointInside(w.data(), n, p) == inside);
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
