#include <TavGeometry/TavGeoArc.h>
#include <TavGeometry/TavGeoPoint.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/TavGeoInternal.h"

namespace NTavGeometry {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Start angles further than this from zero are first reduced modulo 2*pi, so
// that the unwrapping loops below run at most a few dozen times.
constexpr double kUnwrapLimit = 64.0 * kTwoPi;

// The angle of p about c, 0 when the offset is exactly zero in both components
// (atan2 would give +-pi for a negative zero).
double angleAbout(double px, double py, double cx, double cy) {
  const double dx = px - cx;
  const double dy = py - cy;
  if (dx == 0.0 && dy == 0.0) return 0.0;
  return std::atan2(dy, dx);
}

// Raises a by 2*pi while it is below ref. Callers keep |a| and |ref| within a
// few dozen turns of zero, so the loop ends; NaN ends it at once.
double raiseWhileBelow(double a, double ref) {
  while (a < ref) a += kTwoPi;
  return a;
}

// Lowers a by 2*pi while it is above ref; same bounds as raiseWhileBelow.
double lowerWhileAbove(double a, double ref) {
  while (a > ref) a -= kTwoPi;
  return a;
}

bool isFinite(double v) { return std::isfinite(v); }

}  // namespace

namespace {

// How the construction on three points ended.
enum class ArcFit { Built, Refused, Unsure };

// The arc through three points given as offsets from an origin (ox, oy): the
// centre from the squared offsets, y first, then x from the first point and a
// partner; its angles about the centre. The centre is moved back by the origin
// when `moved`; with the origin (0, 0) this is the construction on the points
// themselves, bit for bit. Refused: the points are collinear or nearly so (4
// times the area below 1e-5), the partner's x is within 1e-5, or no finite arc
// below a full turn joins them. Unsure: the area test refused, but the
// rounding of its six products could have crossed the threshold.
ArcFit arcFromOffsets(const TavPoint& first, const TavPoint& middle, const TavPoint& last, double ox,
                      double oy, bool moved, TavArc* out) {
  const double x1 = first.x - ox, y1 = first.y - oy;
  const double x2 = middle.x - ox, y2 = middle.y - oy;
  const double x3 = last.x - ox, y3 = last.y - oy;

  // Four times the signed area of the triangle.
  const double d = 2.0 * (x1 * y2 + x2 * y3 + x3 * y1 - x1 * y3 - x2 * y1 - x3 * y2);
  if (!(std::fabs(d) >= 1e-5)) {  // nearly collinear, or NaN
    // Each product and sum rounds by at most half an ulp of the largest of
    // them: 16 eps of their sum bounds what the area's rounding moved.
    const double bound = 16.0 * std::numeric_limits<double>::epsilon() *
                         (std::fabs(x1 * y2) + std::fabs(x2 * y3) + std::fabs(x3 * y1) + std::fabs(x1 * y3) +
                          std::fabs(x2 * y1) + std::fabs(x3 * y2));
    return std::fabs(d) + bound < 1e-5 ? ArcFit::Refused : ArcFit::Unsure;
  }
  const double s1 = x1 * x1 + y1 * y1;
  const double s2 = x2 * x2 + y2 * y2;
  const double s3 = x3 * x3 + y3 * y3;
  const double cy = (s1 * (x3 - x2) + s2 * (x1 - x3) + s3 * (x2 - x1)) / d;

  // Centre x from the equal distances of the first point and a partner point
  // whose x differs from the first one.
  const bool thirdIsPartner = std::fabs(x1 - x3) > 1e-5;
  const double xk = thirdIsPartner ? x3 : x2;
  const double yk = thirdIsPartner ? y3 : y2;
  const double sk = thirdIsPartner ? s3 : s2;
  const double den = 2.0 * (x1 - xk);
  if (!(std::fabs(den) >= 1e-5)) return ArcFit::Refused;
  // The partner's quotient multiplies the rounding of cy by |y1 - yk| /
  // |x1 - xk|; past 1e3 (a chord across by little more than 1e-5 but long,
  // where the centre came out 0.18 px off for a radius of 24,000) x comes from
  // the triangle's determinant, as y does.
  const double cx = std::fabs(y1 - yk) > 1e3 * std::fabs(x1 - xk)
                        ? (s1 * (y2 - y3) + s2 * (y3 - y1) + s3 * (y1 - y2)) / d
                        : (s1 + 2.0 * cy * yk - sk - 2.0 * cy * y1) / den;

  const double r = detail::roundedHypot(cx - x1, cy - y1);
  if (!isFinite(cx) || !isFinite(cy) || !isFinite(r)) return ArcFit::Unsure;

  // atan2 keeps every angle in [-pi, pi], so each loop below runs at most twice.
  const double a1 = angleAbout(x1, y1, cx, cy);
  const double a2 = angleAbout(x2, y2, cx, cy);
  const double a3 = angleAbout(x3, y3, cx, cy);

  const double a2Up = raiseWhileBelow(a2, a1);
  const double a3Up = raiseWhileBelow(a3, a2Up);
  const double extentUp = a3Up - a1;

  const double a2Down = lowerWhileAbove(a2, a1);
  const double a3Down = lowerWhileAbove(a3, a2Down);
  const double extentDown = a1 - a3Down;

  // The direction that meets the middle point before the last one needs less
  // than a full turn; ties go to the decreasing direction.
  const double end = (extentDown <= extentUp) ? a3Down : a3Up;
  // Points that are collinear up to rounding but far from the origin can pass
  // the area test and give a circle so large that the first and the last
  // point get the same angle: no arc below a full turn joins them.
  if (!(std::fabs(end - a1) < kTwoPi)) return ArcFit::Unsure;

  const TavPoint centre = moved ? TavPoint(cx + ox, cy + oy) : TavPoint(cx, cy);
  if (!isFinite(centre.x) || !isFinite(centre.y)) return ArcFit::Refused;
  out->center = centre;
  out->radius = r;
  out->startAngle = a1;
  out->sweepAngle = end - a1;
  return ArcFit::Built;
}

// Whether the middle and last points lie on the arc's circle within 1e-9 of
// its radius plus 64 ulps of the largest coordinate (the first one does by
// construction). The bound grows with the arc's own radius, so it only
// judges arcs of points near the origin against their spread, whose radius
// cancellation cannot have thrown far off.
bool throughPoints(const TavArc& arc, const TavPoint& first, const TavPoint& middle, const TavPoint& last) {
  double size = arc.radius;
  for (const TavPoint* p : {&first, &middle, &last})
    size = std::max({size, std::fabs(p->x), std::fabs(p->y)});
  const double tolerance = 1e-9 * arc.radius + 64.0 * std::numeric_limits<double>::epsilon() * size;
  for (const TavPoint* p : {&middle, &last}) {
    const double dx = p->x - arc.center.x, dy = p->y - arc.center.y;
    const double off = std::sqrt(dx * dx + dy * dy) - arc.radius;  // a test: no need of the rounded hypot
    if (!(std::fabs(off) <= tolerance)) return false;
  }
  return true;
}

}  // namespace

bool arcIn3Points(const TavPoint& first, const TavPoint& middle, const TavPoint& last, TavArc* out) {
  if (out == nullptr) return false;
  // The construction on the points themselves squares their coordinates, so
  // points far from the origin against their spread lose the centre to
  // cancellation (a circle of radius 5 about (4096, 4096) could come back
  // 15 % off, one of radius 10 about (3.7e7, 5.7e7) as a radius of 1e9, and
  // a 1 degree arc of radius 1000 within 1e4 of the origin 1e-5 off). Points
  // further from the origin than four times their spread are taken as offsets
  // from the first point. Nearer, the arc on the points themselves stands when
  // it passes through them; otherwise, and when it refused for a reason
  // rounding could have made, the construction on the offsets decides.
  const double spread = std::max({std::fabs(middle.x - first.x), std::fabs(middle.y - first.y),
                                  std::fabs(last.x - first.x), std::fabs(last.y - first.y)});
  const double reach = std::max({std::fabs(first.x), std::fabs(first.y), std::fabs(middle.x),
                                 std::fabs(middle.y), std::fabs(last.x), std::fabs(last.y)});
  TavArc arc;
  const ArcFit direct =
      reach <= 4.0 * spread ? arcFromOffsets(first, middle, last, 0.0, 0.0, false, &arc) : ArcFit::Unsure;
  if (direct == ArcFit::Refused) return false;
  if (direct == ArcFit::Built && throughPoints(arc, first, middle, last)) {
    *out = arc;
    return true;
  }
  if (arcFromOffsets(first, middle, last, first.x, first.y, true, &arc) != ArcFit::Built) return false;
  *out = arc;
  return true;
}

void arcToPolyline(const TavArc& arc, TavPoint* points, unsigned int count) {
  if (points == nullptr || count == 0) return;
  const TavArc a = arc;  // points may overlap the caller's arc
  // With one point the step is never used, so it is not computed (no 0 / 0).
  const double step = count > 1 ? a.sweepAngle / static_cast<double>(count - 1u) : 0.0;
  double phi = a.startAngle;
  for (unsigned int i = 0; i < count; ++i) {
    points[i] = TavPoint(a.center.x + a.radius * std::cos(phi), a.center.y + a.radius * std::sin(phi));
    phi += step;
  }
}

bool arcTestPoint(const TavArc& arc, const TavPoint& p, double tolerance) {
  const double d = pointPointDist(arc.center, p);
  // Written so that a NaN radius, distance or tolerance fails the test.
  if (!(std::fabs(arc.radius - d) <= tolerance)) return false;
  double a = pointPointAngle(arc.center, p);

  double start = arc.startAngle;
  if (!isFinite(start)) return false;
  // An exact reduction by whole turns of the period used below: the test is
  // the same in exact arithmetic, and the loops stay short.
  if (std::fabs(start) > kUnwrapLimit) start = std::fmod(start, kTwoPi);
  const double sweep = arc.sweepAngle;
  // A full turn holds every angle (raised into the turn from the start, an
  // angle just below it can round to the turn's end).
  if (std::fabs(sweep) >= kTwoPi) return true;

  // Bring the angle to the first turn that starts at startAngle and runs in
  // the sweep's direction. For a start in [-pi, pi] (every arc built by
  // arcIn3Points) only the second loop runs; the first one turns the angle
  // back when the start lies more than a turn away against the sweep.
  if (sweep > 0.0) {
    const double turnEnd = start + kTwoPi;
    while (a >= turnEnd) a -= kTwoPi;
    a = raiseWhileBelow(a, start);
    return a < start + sweep;
  }
  const double turnEnd = start - kTwoPi;
  while (a <= turnEnd) a += kTwoPi;
  a = lowerWhileAbove(a, start);
  return a > start + sweep;
}

void arcPointAlong(const TavArc& arc, double length, TavPoint* out) {
  if (out == nullptr) return;
  if (arc.radius == 0.0) {
    // The angle offset length / 0 is infinite or NaN, so is the point.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    *out = TavPoint(nan, nan);
    return;
  }
  double t = length / arc.radius;
  if (arc.sweepAngle < 0.0) t = -t;
  const double phi = arc.startAngle + t;
  *out = TavPoint(arc.center.x + arc.radius * std::cos(phi), arc.center.y + arc.radius * std::sin(phi));
}

void arcToPointSet(const TavArc& arc, std::vector<TavPoint>* points) {
  if (points == nullptr) return;
  const TavArc a = arc;  // the arc may live inside the vector
  const double length = std::fabs(a.sweepAngle) * a.radius;
  // Below 1 (and so a zero or negative radius), NaN, or beyond the cap: no
  // points. The comparison is made on the double, before any conversion.
  if (!(length >= 1.0 && length < static_cast<double>(kArcToPointSetMaxPoints) + 1.0)) {
    points->clear();
    return;
  }
  const int n = detail::truncToInt(length);
  points->resize(static_cast<std::size_t>(n));
  double step = 1.0 / a.radius;
  if (a.sweepAngle < 0.0) step = -step;
  double phi = a.startAngle;
  for (int i = 0; i < n; ++i) {
    (*points)[static_cast<std::size_t>(i)] =
        TavPoint(a.center.x + a.radius * std::cos(phi), a.center.y + a.radius * std::sin(phi));
    phi += step;
  }
}

}  // namespace NTavGeometry
