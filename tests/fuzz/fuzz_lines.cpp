// Lines, line relations, line-rectangle clipping and the rotators.
// needs: TavGeoLine.h:lineLineIntersection TavGeoRect.h:lineRectIntersection TavRotator.h:CTavRotatorF
#include "FuzzInput.h"

namespace {

const double kPi = 3.141592653589793;
const TavPoint kSentinel(-4242.25, 4242.75);

double scaleOf(const TavLine& l) {
  return 1.0 + std::fabs(l.p1.x) + std::fabs(l.p1.y) + std::fabs(l.p2.x) + std::fabs(l.p2.y);
}
double lengthOf(const TavLine& l) {
  return pointPointDist(TavPoint(l.p2.x - l.p1.x, l.p2.y - l.p1.y), TavPoint());
}

void singleLine(FuzzInput& in, bool hostile) {
  const TavLine l = in.line(hostile);
  const bool horiz = std::fabs(l.p2.y - l.p1.y) <= 1e-5, vert = std::fabs(l.p2.x - l.p1.x) <= 1e-5;
  FUZZ_CHECK(out(lineIsValid(l)) == (lengthOf(l) > 1e-8) && out(lineIsHoriz(l)) == horiz &&
             out(lineIsVert(l)) == vert);
  const double at = in.value(hostile);
  double x = 77.0, y = 77.0;
  const bool hasX = out(lineXIntercept(l, at, &x)), hasY = out(lineYIntercept(l, at, &y));
  FUZZ_CHECK((hasX ? !horiz : x == 0.0) && (hasY ? !vert : y == 0.0));
  out(x, y);

  double cy = 5, cx = 5, c = 5;
  line2AbcLineEquation(l, &cy, &cx, &c), out(cy, cx, c);
  FUZZ_CHECK((cy == 0.0 && cx == 1.0) || cy == 1.0);
  if (!hostile)  // the second end point satisfies the equation
    FUZZ_CHECK(std::fabs(cy * l.p2.y + cx * l.p2.x + c) <=
               1e-9 * (1.0 + std::fabs(l.p2.y) + std::fabs(cx * l.p2.x)));
  double ro = -1, theta = -1;
  lineToRoTheta(l, &ro, &theta), out(ro, theta);
  FUZZ_CHECK(hostile ? (std::isnan(ro) || ro >= 0.0) && (std::isnan(theta) || (theta >= 0.0 && theta < kPi))
                     : ro >= 0.0 && theta >= 0.0 && theta < kPi);
  if (!hostile && lengthOf(l) > 1e-3)
    FUZZ_CHECK(lineCompare(l, l) && lineLineIsCollinear(l, l) && lineIsParallel(l, l));
}

void twoLines(FuzzInput& in, bool hostile) {
  const TavLine a = in.line(hostile);
  TavLine b = in.line(hostile);
  const TavPoint p = in.point(hostile);
  if (in.flag()) b.p1 = a.p1;  // lines through a shared point
  if (in.flag()) b = TavLine(b.p1, TavPoint(b.p1.x + (a.p2.x - a.p1.x), b.p1.y + (a.p2.y - a.p1.y)));
  FUZZ_CHECK(out(lineIsParallel(a, b)) == lineIsParallel(b, a));
  out(lineCompare(a, b), lineLineIsCollinear(a, b));

  TavPoint x = kSentinel;
  const bool crossed = out(lineLineIntersection(a, b, &x));
  out(x);
  FUZZ_CHECK(crossed || sameBits(x, kSentinel));
  const double da = lengthOf(a), db = lengthOf(b);
  if (crossed && !hostile && da > 1.0 && db > 1.0) {
    const double sine =
        std::fabs((a.p2.x - a.p1.x) * (b.p2.y - b.p1.y) - (a.p2.y - a.p1.y) * (b.p2.x - b.p1.x)) / (da * db);
    const double tol = 1e-7 * (scaleOf(a) + scaleOf(b)) / sine;
    if (sine > 0.1) FUZZ_CHECK(pointLineDist(x, a) <= tol && pointLineDist(x, b) <= tol);
  }

  TavLine bis, alias = a;
  lineLineBisect(a, b, &bis), out(bis);
  if (!hostile && isFinite(bis.p1))
    FUZZ_CHECK(std::fabs(lengthOf(bis) - 10000.0) <= 1e-6 * (10000.0 + scaleOf(bis)));
  lineLineBisect(alias, b, &alias);
  FUZZ_CHECK(sameValue(alias, bis));

  const TavLine across = in.line(hostile);
  double dist = -1.0;
  const bool measured = out(lineLineDist(a, b, across, &dist));
  FUZZ_CHECK(measured ? std::isnan(dist) || dist >= 0.0 : dist == 0.0);
  out(dist);

  TavLine perp(kSentinel, kSentinel);
  linePointToLinePerpendicular(a, p, &perp), out(perp);
  if ((a.p2.x - a.p1.x) * (a.p2.x - a.p1.x) + (a.p2.y - a.p1.y) * (a.p2.y - a.p1.y) == 0.0)
    FUZZ_CHECK(zero(perp));
  else
    FUZZ_CHECK(sameBits(perp.p1, p) &&
               (hostile || !(da > 1.0) ||
                pointLineDist(perp.p2, a) <= 1e-7 * (scaleOf(a) + std::fabs(p.x) + std::fabs(p.y))));
  alias = a;
  linePointToLinePerpendicular(alias, p, &alias);
  FUZZ_CHECK(sameValue(alias, perp));

  TavLine par;
  linePointToLineParallel(a, p, &par), out(par);
  FUZZ_CHECK(sameBits(par.p1, p) && sameValue(par.p2.x, p.x + (a.p2.x - a.p1.x)) &&
             sameValue(par.p2.y, p.y + (a.p2.y - a.p1.y)));
  alias = a;
  linePointToLineParallel(alias, p, &alias);
  FUZZ_CHECK(sameValue(alias, par));
}

void rectangle(FuzzInput& in, bool hostile) {
  const TavLine l = in.line(hostile);
  TavRect r = in.rect(hostile);
  if (in.flag()) r.angle = 0.0;
  TavPoint first = kSentinel, second = kSentinel;
  const bool ok = out(lineRectIntersection(l, r, &first, &second));
  out(first, second);
  FUZZ_CHECK(ok || (sameBits(first, kSentinel) && sameBits(second, kSentinel)));
  if (!ok || hostile || !isFinite(first) || !isFinite(second)) return;
  // Both crossings lie in the rectangle grown by one unit, in its own frame.
  const CTavRotator back(r.x + r.width / 2.0, r.y + r.height / 2.0, -r.angle);
  const double tol =
      1e-6 * (1.0 + std::fabs(r.x) + std::fabs(r.y) + std::fabs(r.width) + std::fabs(r.height) + scaleOf(l));
  const double lox = std::fmin(r.x, r.x + r.width) - 1.0 - tol,
               hix = std::fmax(r.x, r.x + r.width) + 1.0 + tol;
  const double loy = std::fmin(r.y, r.y + r.height) - 1.0 - tol,
               hiy = std::fmax(r.y, r.y + r.height) + 1.0 + tol;
  for (TavPoint q : {first, second}) {
    if (r.angle != 0.0) back.rotate(&q.x, &q.y);
    FUZZ_CHECK(q.x >= lox && q.x <= hix && q.y >= loy && q.y <= hiy);
  }
}

void rotators(FuzzInput& in, bool hostile) {
  const double cx = in.value(hostile), cy = in.value(hostile), a = in.value(hostile);
  CTavRotator rot(cx, cy, a);
  FUZZ_CHECK(sameBits(rot.x(), cx) && sameBits(rot.y(), cy) && sameBits(rot.a(), a));
  const double a2 = in.value(hostile);
  rot.setAngle(a2);
  CTavRotator copy;
  copy = rot;
  FUZZ_CHECK(sameBits(rot.x(), cx) && sameBits(rot.y(), cy) && sameBits(rot.a(), a2));
  FUZZ_CHECK(sameBits(copy.x(), cx) && sameBits(copy.y(), cy) && sameBits(copy.a(), a2));
  TavPoint p = in.point(hostile), q = p, q2 = p;
  rot.rotate(&q.x, &q.y), copy.rotate(&q2.x, &q2.y), out(q);
  FUZZ_CHECK(sameValue(q, q2));
  if (!hostile) {
    const double before = pointPointDist(p, TavPoint(cx, cy));
    FUZZ_CHECK(std::fabs(before - pointPointDist(q, TavPoint(cx, cy))) <=
               1e-9 * (1.0 + before + std::fabs(cx) + std::fabs(cy)));
    double ccx = cx, ccy = cy;
    rot.rotate(&ccx, &ccy);
    FUZZ_CHECK(ccx == cx && ccy == cy);  // the centre stays where it is
  }
  const double sx = in.value(hostile), sy = in.value(hostile), sa = in.value(hostile);
  rot.set(sx, sy, sa), rot.rotate(&p.x, &p.y), out(p, rot.x(), rot.y(), rot.a());

  const float fx = toFloat(in.moderate()), fy = toFloat(in.moderate()), fa = toFloat(in.value(hostile));
  CTavRotatorF rf(fx, fy, fa), rf2;
  FUZZ_CHECK(rf.x() == fx && rf.y() == fy && sameValue(rf.a(), fa));
  float px = toFloat(in.value(hostile));
  float py = toFloat(in.value(hostile));
  rf.rotate(&px, &py), out(px, py);
  rf2 = rf;
  rf2.setAngle(toFloat(in.value(hostile)));
  FUZZ_CHECK(rf2.x() == fx && rf2.y() == fy);
  rf2.set(fy, fx, fa), rf2.rotate(&px, &py), out(px, py, rf2.a());
}

}  // namespace

TAVFUZZ_TARGET(fuzz_lines) {
  pick(in, {{"line", singleLine}, {"line2", twoLines}, {"linerect", rectangle}, {"rotator", rotators}});
}
