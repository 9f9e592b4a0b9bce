// Circles, arcs and polygon measures.
// needs: TavGeoCircle.h:circleCircleIntersection TavGeoArc.h:arcToPointSet
// TavGeoPolygon.h:polygonIsPointInside
#include <TavGeometry/TavGeoArc.h>
#include <TavGeometry/TavGeoCircle.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoPolygon.h>

#include <cmath>
#include <memory>

#include "FuzzInput.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;
using tavfuzz::sameBits;
using tavfuzz::sameValue;

namespace {

const double kPi = 3.141592653589793;
const double kTwoPi = 6.283185307179586;

bool zeroCircle(const TavCircle& c) { return c.center.x == 0 && c.center.y == 0 && c.radius == 0; }
double mag(const TavPoint& p) { return std::fabs(p.x) + std::fabs(p.y); }

void circles(FuzzInput& in, bool hostile) {
  const TavPoint a = in.point(hostile), b = in.point(hostile), c = in.point(hostile);
  const double scale = 1.0 + mag(a) + mag(b) + mag(c);

  TavCircle out(TavPoint(9, 9), 9);
  if (!circleIn3Points(a, b, c, &out)) {
    FUZZ_CHECK(zeroCircle(out));
  } else {
    FUZZ_CHECK(std::isfinite(out.radius) && out.radius >= 0 && tavfuzz::isFinite(out.center));
  }

  out = TavCircle(TavPoint(9, 9), 9);
  if (!circleInTriangle(a, b, c, &out)) {
    FUZZ_CHECK(zeroCircle(out));
  } else {
    FUZZ_CHECK(std::isfinite(out.radius) && out.radius >= 0 && tavfuzz::isFinite(out.center));
    const double ab = pointPointDist(a, b), bc = pointPointDist(b, c), ca = pointPointDist(c, a);
    const double area2 = std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
    if (!hostile && ab > 1 && bc > 1 && ca > 1 && area2 > 0.1 * (ab + bc + ca) * (ab + bc + ca)) {
      // A well-shaped triangle: the circle touches all three sides.
      const double tol = 1e-6 * scale;
      FUZZ_CHECK(std::fabs(pointLineDist(out.center, TavLine(a, b)) - out.radius) <= tol);
      FUZZ_CHECK(std::fabs(pointLineDist(out.center, TavLine(b, c)) - out.radius) <= tol);
      FUZZ_CHECK(std::fabs(pointLineDist(out.center, TavLine(c, a)) - out.radius) <= tol);
    }
  }

  // Circle and line.
  const TavCircle circle(a, hostile ? in.anyDouble() : std::fabs(in.moderate()));
  const TavLine line(b, c);
  TavPoint pts[2] = {TavPoint(7, 7), TavPoint(7, 7)};
  int count = -1;
  circleLineIntersection(circle, line, pts, &count);
  FUZZ_CHECK(count >= 0 && count <= 2);
  for (int i = count; i < 2; ++i) FUZZ_CHECK(pts[i].x == 0 && pts[i].y == 0);
  for (int i = 0; i < count; ++i) FUZZ_CHECK(tavfuzz::isFinite(pts[i]));
  if (count == 2 && !hostile && pointPointDist(b, c) > 1) {
    FUZZ_CHECK(pts[0].x >= pts[1].x || std::fabs(c.x - b.x) < 1e-5);
    for (int i = 0; i < 2; ++i) FUZZ_CHECK(pointLineDist(pts[i], line) <= 1e-6 * (scale + circle.radius));
  }

  // Two circles.
  const TavCircle other(in.flag() ? a : b, hostile ? in.anyDouble() : std::fabs(in.moderate()));
  TavPoint cc[2] = {TavPoint(7, 7), TavPoint(7, 7)};
  count = -1;
  circleCircleIntersection(circle, other, cc, &count);
  if (tavfuzz::verbose())
    std::fprintf(
        stderr,
        "circleCircle (%.17g, %.17g) r %.17g, (%.17g, %.17g) r %.17g -> %d: (%.17g, %.17g) (%.17g, %.17g)\n",
        circle.center.x, circle.center.y, circle.radius, other.center.x, other.center.y, other.radius, count,
        cc[0].x, cc[0].y, cc[1].x, cc[1].y);
  FUZZ_CHECK(count >= 0 && count <= 2);
  // With no or one crossing both points are the chord's foot (0.0 and -0.0
  // may differ: the foot is moved by +-0).
  auto same = [](double u, double v) { return u == v || (std::isnan(u) && std::isnan(v)); };
  if (count < 2) FUZZ_CHECK(same(cc[0].x, cc[1].x) && same(cc[0].y, cc[1].y));
  if (tavfuzz::isFinite(circle.center) && circle.center.x == other.center.x &&
      circle.center.y == other.center.y) {
    // Concentric: no crossing, both points at the first centre.
    FUZZ_CHECK(count == 0);
    FUZZ_CHECK(cc[0].x == circle.center.x && cc[0].y == circle.center.y);
    FUZZ_CHECK(cc[1].x == circle.center.x && cc[1].y == circle.center.y);
  }
  if (count == 2 && !hostile) {
    const double tol = 1e-6 * (scale + circle.radius + other.radius);
    for (int i = 0; i < 2; ++i) {
      FUZZ_CHECK(std::fabs(pointPointDist(cc[i], circle.center) - circle.radius) <= tol);
      FUZZ_CHECK(std::fabs(pointPointDist(cc[i], other.center) - other.radius) <= tol);
    }
  }
}

void arcs(FuzzInput& in, bool hostile) {
  const TavPoint a = in.point(hostile), b = in.point(hostile), c = in.point(hostile);
  const TavArc sentinel(TavPoint(1, 2), 3, 4, 5);
  TavArc arc = sentinel;
  const bool built = arcIn3Points(a, b, c, &arc);
  if (tavfuzz::verbose())
    std::fprintf(stderr,
                 "arcIn3Points (%.17g, %.17g) (%.17g, %.17g) (%.17g, %.17g) -> %d: centre "
                 "(%.17g, %.17g) radius %.17g start %.17g sweep %.17g\n",
                 a.x, a.y, b.x, b.y, c.x, c.y, built, arc.center.x, arc.center.y, arc.radius, arc.startAngle,
                 arc.sweepAngle);
  if (!built) {
    FUZZ_CHECK(sameBits(arc.center, sentinel.center) && arc.radius == 3 && arc.startAngle == 4 &&
               arc.sweepAngle == 5);
  } else {
    FUZZ_CHECK(std::isfinite(arc.radius) && arc.radius >= 0 && tavfuzz::isFinite(arc.center));
    FUZZ_CHECK(std::fabs(arc.sweepAngle) < kTwoPi);
    FUZZ_CHECK(arc.startAngle >= -kPi && arc.startAngle <= kPi);
    if (!hostile && arc.radius < 1e5 && pointPointDist(a, c) > 1 && pointPointDist(a, b) > 1 &&
        pointPointDist(b, c) > 1) {
      // The arc starts at the first point and ends at the last.
      TavPoint ends[2];
      arcToPolyline(arc, ends, 2);
      const double tol = 1e-6 * (1.0 + arc.radius + mag(arc.center));
      FUZZ_CHECK(pointPointDist(ends[0], a) <= tol);
      FUZZ_CHECK(pointPointDist(ends[1], c) <= tol);
    }
  }

  // An arc of any values.
  TavArc any;
  any.center = in.point(hostile);
  any.radius = in.value(hostile);
  any.startAngle = in.value(hostile);
  any.sweepAngle = in.value(hostile);
  if (in.flag()) any = arc;

  const unsigned int n = static_cast<unsigned int>(in.count(300));
  std::unique_ptr<TavPoint[]> poly(new TavPoint[n == 0 ? 1 : n]);
  arcToPolyline(any, n == 0 ? nullptr : poly.get(), n);
  if (n >= 1 && !hostile) {
    const TavPoint start(any.center.x + any.radius * std::cos(any.startAngle),
                         any.center.y + any.radius * std::sin(any.startAngle));
    FUZZ_CHECK(pointPointDist(poly[0], start) <= 1e-9 * (1.0 + std::fabs(any.radius) + mag(any.center)));
  }

  const TavPoint p = in.point(hostile);
  const double tol = in.value(hostile);
  const bool on = arcTestPoint(any, p, tol);
  if (any.sweepAngle == 0 || !std::isfinite(any.startAngle)) FUZZ_CHECK(!on);
  if (on) FUZZ_CHECK(std::fabs(any.radius - pointPointDist(any.center, p)) <= tol);

  TavPoint along;
  arcPointAlong(any, in.value(hostile), &along);
  if (any.radius == 0) FUZZ_CHECK(std::isnan(along.x) || std::isnan(along.y));

  const double length = std::fabs(any.sweepAngle) * any.radius;
  // Sets of up to 2^24 points are legal but slow to write; take them now and
  // then only, so that the other inputs get their share of the time.
  if (length > 1e5 && in.byte() != 0x5a) return;
  std::vector<TavPoint> set(3, TavPoint(5, 5));
  arcToPointSet(any, &set);
  if (length >= 1 && length < static_cast<double>(kArcToPointSetMaxPoints) + 1.0)
    FUZZ_CHECK(set.size() == static_cast<size_t>(length));
  else
    FUZZ_CHECK(set.empty());
  FUZZ_CHECK(set.size() <= kArcToPointSetMaxPoints);
}

void polygons(FuzzInput& in, bool hostile) {
  std::vector<TavPoint> v = in.points(64, hostile);
  const unsigned int n = static_cast<unsigned int>(v.size());
  const TavPoint* vp = v.empty() ? nullptr : v.data();
  const double area = polygonArea(vp, n);
  FUZZ_CHECK(std::isnan(area) || area >= 0);
  if (n < 3) FUZZ_CHECK(area == 0);
  const TavPoint p = in.point(hostile);
  const bool inside = polygonIsPointInside(vp, n, p);
  if (n < 3) FUZZ_CHECK(!inside);
  // Starting the vertex list at another vertex describes the same polygon.
  if (n >= 1) {
    const size_t shift = in.byte() % n;
    std::vector<TavPoint> w(v.begin() + static_cast<long>(shift), v.end());
    w.insert(w.end(), v.begin(), v.begin() + static_cast<long>(shift));
    FUZZ_CHECK(polygonIsPointInside(w.data(), n, p) == inside);
  }
  // An axis-aligned rectangle: edges of smaller x and y are inside.
  const double x0 = in.moderate(), y0 = in.moderate();
  const double w = 1 + std::fabs(in.moderate()), h = 1 + std::fabs(in.moderate());
  const TavPoint rect[4] = {TavPoint(x0, y0), TavPoint(x0 + w, y0), TavPoint(x0 + w, y0 + h),
                            TavPoint(x0, y0 + h)};
  const double px = x0 + w * (in.byte() / 255.0), py = y0 + h * (in.byte() / 255.0);
  const bool expect = px >= x0 && px < x0 + w && py >= y0 && py < y0 + h;
  FUZZ_CHECK(polygonIsPointInside(rect, 4, TavPoint(px, py)) == expect);
}

}  // namespace

TAVFUZZ_TARGET(fuzz_circles) {
  const uint8_t sel = in.byte();
  const bool hostile = (sel & 0x80) != 0;
  switch (sel % 3) {
    case 0:
      circles(in, hostile);
      break;
    case 1:
      arcs(in, hostile);
      break;
    default:
      polygons(in, hostile);
      break;
  }
}
