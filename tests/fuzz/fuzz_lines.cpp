// Lines, line relations, line-rectangle clipping and the rotators.
// needs: TavGeoLine.h:lineLineIntersection TavGeoRect.h:lineRectIntersection TavRotator.h:CTavRotatorF
#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRect.h>
#include <TavGeometry/TavRotator.h>

#include <cmath>

#include "FuzzInput.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;
using tavfuzz::sameBits;
using tavfuzz::sameValue;

namespace {

const double kPi = 3.141592653589793;
const TavPoint kSentinel(-4242.25, 4242.75);

double scaleOf(const TavLine& l) {
  return 1.0 + std::fabs(l.p1.x) + std::fabs(l.p1.y) + std::fabs(l.p2.x) + std::fabs(l.p2.y);
}
double lengthOf(const TavLine& l) { return pointPointDist(TavPoint(l.p2.x - l.p1.x, l.p2.y - l.p1.y), TavPoint()); }

void singleLine(FuzzInput& in, bool hostile) {
  const TavLine l = in.line(hostile);
  const double dx = l.p2.x - l.p1.x, dy = l.p2.y - l.p1.y;
  FUZZ_CHECK(lineIsValid(l) == (pointPointDist(TavPoint(dx, dy), TavPoint()) > 1e-8));
  FUZZ_CHECK(lineIsHoriz(l) == (std::fabs(dy) <= 1e-5));
  FUZZ_CHECK(lineIsVert(l) == (std::fabs(dx) <= 1e-5));

  const double at = in.value(hostile);
  double x = 77.0, y = 77.0;
  if (!lineXIntercept(l, at, &x))
    FUZZ_CHECK(x == 0.0);
  else
    FUZZ_CHECK(!(std::fabs(dy) <= 1e-5));
  if (!lineYIntercept(l, at, &y))
    FUZZ_CHECK(y == 0.0);
  else
    FUZZ_CHECK(!(std::fabs(dx) <= 1e-5));

  double cy = 5, cx = 5, c = 5;
  line2AbcLineEquation(l, &cy, &cx, &c);
  FUZZ_CHECK((cy == 0.0 && cx == 1.0) || cy == 1.0);
  if (!hostile) {
    // The second end point satisfies the equation.
    const double res = cy * l.p2.y + cx * l.p2.x + c;
    FUZZ_CHECK(std::fabs(res) <= 1e-9 * (1.0 + std::fabs(l.p2.y) + std::fabs(cx * l.p2.x)));
  }

  double ro = -1, theta = -1;
  lineToRoTheta(l, &ro, &theta);
  FUZZ_CHECK(std::isnan(ro) || ro >= 0.0);
  FUZZ_CHECK(std::isnan(theta) || (theta >= 0.0 && theta < kPi));
  if (!hostile) FUZZ_CHECK(!std::isnan(ro) && !std::isnan(theta));

  if (!hostile && lengthOf(l) > 1e-3) {
    FUZZ_CHECK(lineCompare(l, l));
    FUZZ_CHECK(lineLineIsCollinear(l, l));
    FUZZ_CHECK(lineIsParallel(l, l));
  }
}

void twoLines(FuzzInput& in, bool hostile) {
  TavLine a = in.line(hostile);
  TavLine b = in.line(hostile);
  const TavPoint p = in.point(hostile);
  if (in.flag()) b.p1 = a.p1;  // lines through a shared point
  if (in.flag()) b = TavLine(b.p1, TavPoint(b.p1.x + (a.p2.x - a.p1.x), b.p1.y + (a.p2.y - a.p1.y)));

  FUZZ_CHECK(lineIsParallel(a, b) == lineIsParallel(b, a));
  (void)lineCompare(a, b);
  (void)lineLineIsCollinear(a, b);

  TavPoint x = kSentinel;
  const bool crossed = lineLineIntersection(a, b, &x);
  if (!crossed) FUZZ_CHECK(sameBits(x, kSentinel));
  const double da = lengthOf(a), db = lengthOf(b);
  if (crossed && !hostile && da > 1.0 && db > 1.0) {
    const double sine =
        std::fabs((a.p2.x - a.p1.x) * (b.p2.y - b.p1.y) - (a.p2.y - a.p1.y) * (b.p2.x - b.p1.x)) / (da * db);
    if (sine > 0.1) {
      const double tol = 1e-7 * (scaleOf(a) + scaleOf(b)) / sine;
      FUZZ_CHECK(pointLineDist(x, a) <= tol && pointLineDist(x, b) <= tol);
    }
  }

  TavLine bis;
  lineLineBisect(a, b, &bis);
  if (!hostile && tavfuzz::isFinite(bis.p1)) {
    FUZZ_CHECK(std::fabs(lengthOf(bis) - 10000.0) <= 1e-6 * (10000.0 + scaleOf(bis)));
  }
  TavLine alias = a;
  lineLineBisect(alias, b, &alias);
  FUZZ_CHECK(sameValue(alias, bis));

  const TavLine across = in.line(hostile);
  double dist = -1.0;
  const bool measured = lineLineDist(a, b, across, &dist);
  if (!measured)
    FUZZ_CHECK(dist == 0.0);
  else
    FUZZ_CHECK(std::isnan(dist) || dist >= 0.0);

  TavLine perp(kSentinel, kSentinel);
  linePointToLinePerpendicular(a, p, &perp);
  const double len2 = (a.p2.x - a.p1.x) * (a.p2.x - a.p1.x) + (a.p2.y - a.p1.y) * (a.p2.y - a.p1.y);
  if (len2 == 0.0) {
    FUZZ_CHECK(perp.p1.x == 0 && perp.p1.y == 0 && perp.p2.x == 0 && perp.p2.y == 0);
  } else {
    FUZZ_CHECK(sameBits(perp.p1, p));
    if (!hostile && da > 1.0) {
      FUZZ_CHECK(pointLineDist(perp.p2, a) <= 1e-7 * (scaleOf(a) + std::fabs(p.x) + std::fabs(p.y)));
    }
  }
  alias = a;
  linePointToLinePerpendicular(alias, p, &alias);
  FUZZ_CHECK(sameValue(alias, perp));

  TavLine par;
  linePointToLineParallel(a, p, &par);
  FUZZ_CHECK(sameBits(par.p1, p));
  FUZZ_CHECK(sameValue(par.p2.x, p.x + (a.p2.x - a.p1.x)) && sameValue(par.p2.y, p.y + (a.p2.y - a.p1.y)));
  alias = a;
  linePointToLineParallel(alias, p, &alias);
  FUZZ_CHECK(sameValue(alias, par));
}

void rectangle(FuzzInput& in, bool hostile) {
  const TavLine l = in.line(hostile);
  TavRect r = in.rect(hostile);
  if (in.flag()) r.angle = 0.0;
  TavPoint first = kSentinel, second = kSentinel;
  const bool ok = lineRectIntersection(l, r, &first, &second);
  if (!ok) {
    FUZZ_CHECK(sameBits(first, kSentinel) && sameBits(second, kSentinel));
    return;
  }
  if (hostile || !tavfuzz::isFinite(first) || !tavfuzz::isFinite(second)) return;
  // Both crossings lie in the rectangle grown by one unit, in its own frame.
  const double cx = r.x + r.width / 2.0, cy = r.y + r.height / 2.0;
  const CTavRotator back(cx, cy, -r.angle);
  const double tol =
      1e-6 * (1.0 + std::fabs(r.x) + std::fabs(r.y) + std::fabs(r.width) + std::fabs(r.height) + scaleOf(l));
  for (TavPoint q : {first, second}) {
    if (r.angle != 0.0) back.rotate(&q.x, &q.y);
    const double lox = std::fmin(r.x, r.x + r.width) - 1.0, hix = std::fmax(r.x, r.x + r.width) + 1.0;
    const double loy = std::fmin(r.y, r.y + r.height) - 1.0, hiy = std::fmax(r.y, r.y + r.height) + 1.0;
    FUZZ_CHECK(q.x >= lox - tol && q.x <= hix + tol && q.y >= loy - tol && q.y <= hiy + tol);
  }
}

void rotators(FuzzInput& in, bool hostile) {
  const double cx = in.value(hostile), cy = in.value(hostile), a = in.value(hostile);
  CTavRotator rot(cx, cy, a);
  FUZZ_CHECK(sameBits(rot.x(), cx) && sameBits(rot.y(), cy) && sameBits(rot.a(), a));
  const double a2 = in.value(hostile);
  rot.setAngle(a2);
  FUZZ_CHECK(sameBits(rot.x(), cx) && sameBits(rot.y(), cy) && sameBits(rot.a(), a2));
  CTavRotator copy;
  copy = rot;
  FUZZ_CHECK(sameBits(copy.x(), cx) && sameBits(copy.y(), cy) && sameBits(copy.a(), a2));

  TavPoint p = in.point(hostile);
  TavPoint q = p, q2 = p;
  rot.rotate(&q.x, &q.y);
  copy.rotate(&q2.x, &q2.y);
  FUZZ_CHECK(sameValue(q, q2));
  if (!hostile) {
    const double before = pointPointDist(TavPoint(p.x - cx, p.y - cy), TavPoint()), after = pointPointDist(TavPoint(q.x - cx, q.y - cy), TavPoint());
    FUZZ_CHECK(std::fabs(before - after) <= 1e-9 * (1.0 + before + std::fabs(cx) + std::fabs(cy)));
    double ccx = cx, ccy = cy;
    rot.rotate(&ccx, &ccy);
    FUZZ_CHECK(ccx == cx && ccy == cy);  // the centre stays where it is
  }
  const double sx = in.value(hostile), sy = in.value(hostile), sa = in.value(hostile);
  rot.set(sx, sy, sa);
  rot.rotate(&p.x, &p.y);

  const float fx = tavfuzz::toFloat(in.moderate()), fy = tavfuzz::toFloat(in.moderate());
  const float fa = tavfuzz::toFloat(in.value(hostile));
  CTavRotatorF rf(fx, fy, fa);
  FUZZ_CHECK(rf.x() == fx && rf.y() == fy && sameValue(rf.a(), fa));
  float px = tavfuzz::toFloat(in.value(hostile));
  float py = tavfuzz::toFloat(in.value(hostile));
  rf.rotate(&px, &py);
  CTavRotatorF rf2;
  rf2 = rf;
  rf2.setAngle(tavfuzz::toFloat(in.value(hostile)));
  FUZZ_CHECK(rf2.x() == fx && rf2.y() == fy);
  rf2.set(fy, fx, fa);
  rf2.rotate(&px, &py);
}

}  // namespace

TAVFUZZ_TARGET(fuzz_lines) {
  const uint8_t sel = in.byte();
  const bool hostile = (sel & 0x80) != 0;
  switch (sel % 4) {
    case 0:
      singleLine(in, hostile);
      break;
    case 1:
      twoLines(in, hostile);
      break;
    case 2:
      rectangle(in, hostile);
      break;
    default:
      rotators(in, hostile);
      break;
  }
}
