// Lines, line relations, line-rectangle clipping and the rotators.
// needs: TavGeoLine.h:lineLineIntersection TavGeoRect.h:lineRectIntersection TavRotator.h:CTavRotatorF
#include "FuzzInput.h"

namespace {

const TavPoint kSentinel(-4242.25, 4242.75);

// The same result when the output aliases the first input.
template <class F, class B>
bool aliased(F f, TavLine a, const B& b, const TavLine& want) {
  return f(a, b, &a), sameValue(a, want);
}

void singleLine(FuzzInput& in, bool hostile) {
  const TavLine l = in.line(hostile);
  const bool horiz = std::fabs(l.p2.y - l.p1.y) <= 1e-5, vert = std::fabs(l.p2.x - l.p1.x) <= 1e-5;
  FUZZ_CHECK(out(lineIsValid(l)) ==
                 (pointPointDist(TavPoint(l.p2.x - l.p1.x, l.p2.y - l.p1.y), TavPoint()) > 1e-8) &&
             out(lineIsHoriz(l)) == horiz && out(lineIsVert(l)) == vert);
  const double at = in.value(hostile);
  double x = 77.0, y = 77.0, cy = 5, cx = 5, c = 5, ro = -1, theta = -1;
  const bool hasX = out(lineXIntercept(l, at, &x)), hasY = out(lineYIntercept(l, at, &y));
  FUZZ_CHECK((hasX ? !horiz : x == 0.0) && (hasY ? !vert : y == 0.0));
  line2AbcLineEquation(l, &cy, &cx, &c), out(cy, cx, c, x, y);
  FUZZ_CHECK((cy == 0.0 && cx == 1.0) || cy == 1.0);
  lineToRoTheta(l, &ro, &theta), out(ro, theta);
  FUZZ_CHECK((std::isnan(ro) ? hostile : ro >= 0.0) &&
             (std::isnan(theta) ? hostile : theta >= 0.0 && theta < M_PI));
}

void twoLines(FuzzInput& in, bool hostile) {
  const TavLine a = in.line(hostile);
  TavLine b = in.line(hostile), bis, perp(kSentinel, kSentinel), par;
  const TavPoint p = in.point(hostile);
  if (in.flag()) b.p1 = a.p1;  // lines through a shared point
  if (in.flag()) b = TavLine(b.p1, TavPoint(b.p1.x + (a.p2.x - a.p1.x), b.p1.y + (a.p2.y - a.p1.y)));
  FUZZ_CHECK(out(lineIsParallel(a, b)) == lineIsParallel(b, a));
  out(lineCompare(a, b), lineLineIsCollinear(a, b));
  // No crossing leaves the point as it was.
  TavPoint x = kSentinel;
  const bool crossed = out(lineLineIntersection(a, b, &x), x);
  FUZZ_CHECK(crossed || sameBits(x, kSentinel));
  // An output aliasing an input gives the same.
  lineLineBisect(a, b, &bis), out(bis);
  FUZZ_CHECK(aliased(lineLineBisect, a, b, bis));
  const TavLine across = in.line(hostile);
  double dist = -1.0;
  const bool measured = out(lineLineDist(a, b, across, &dist));
  FUZZ_CHECK(measured ? std::isnan(out(dist)) || dist >= 0.0 : out(dist) == 0.0);
  // The perpendicular starts at p and ends on a; a zero-length a gives zeros.
  linePointToLinePerpendicular(a, p, &perp), out(perp);
  const double dx = a.p2.x - a.p1.x, dy = a.p2.y - a.p1.y;
  FUZZ_CHECK(dx * dx + dy * dy == 0.0 ? zero(perp) : sameBits(perp.p1, p));
  FUZZ_CHECK(aliased(linePointToLinePerpendicular, a, p, perp));
  linePointToLineParallel(a, p, &par), out(par);
  FUZZ_CHECK(sameBits(par.p1, p) && sameValue(par.p2.x, p.x + dx) && sameValue(par.p2.y, p.y + dy));
  FUZZ_CHECK(aliased(linePointToLineParallel, a, p, par));
}

// No crossing leaves the points as they were.
void rectangle(FuzzInput& in, bool hostile) {
  const TavLine l = in.line(hostile);
  TavRect r = in.rect(hostile);
  if (in.flag()) r.angle = 0.0;
  TavPoint first = kSentinel, second = kSentinel;
  const bool ok = out(lineRectIntersection(l, r, &first, &second), first, second);
  FUZZ_CHECK(ok || (sameBits(first, kSentinel) && sameBits(second, kSentinel)));
}

// The getters give back what was set, a copy rotates as the original, and the
// centre stays where it is.
void rotators(FuzzInput& in, bool hostile) {
  const double cx = in.value(hostile), cy = in.value(hostile), a = in.value(hostile);
  CTavRotator rot(cx, cy, a), copy;
  FUZZ_CHECK(sameBits(rot.x(), cx) && sameBits(rot.y(), cy) && sameBits(rot.a(), a));
  const double a2 = in.value(hostile);
  rot.setAngle(a2);
  copy = rot;
  FUZZ_CHECK(sameBits(copy.x(), cx) && sameBits(copy.y(), cy) && sameBits(copy.a(), a2));
  TavPoint p = in.point(hostile), q = p, q2 = p, centre(cx, cy);
  rot.rotate(&q.x, &q.y), copy.rotate(&q2.x, &q2.y), rot.rotate(&centre.x, &centre.y);
  FUZZ_CHECK(sameValue(out(q), q2) && (hostile || (centre.x == cx && centre.y == cy)));
  const double sx = in.value(hostile), sy = in.value(hostile), sa = in.value(hostile);
  rot.set(sx, sy, sa), rot.rotate(&p.x, &p.y), out(p, rot.x(), rot.y(), rot.a());
  const float fx = toFloat(in.moderate()), fy = toFloat(in.moderate()), fa = toFloat(in.value(hostile));
  CTavRotatorF rf(fx, fy, fa);
  float px = toFloat(in.value(hostile)), py = toFloat(in.value(hostile));
  rf.rotate(&px, &py), rf.setAngle(toFloat(in.value(hostile))), out(px, py);
  FUZZ_CHECK(rf.x() == fx && rf.y() == fy);
  rf.set(fy, fx, fa), rf.rotate(&px, &py), out(px, py, rf.a());
  FUZZ_CHECK(rf.x() == fy && rf.y() == fx && sameValue(rf.a(), fa));
}

}  // namespace

TAVFUZZ_TARGET(fuzz_lines) {
  pick(in, {{"line", singleLine}, {"line2", twoLines}, {"linerect", rectangle}, {"rotator", rotators}});
}
