#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace NTavGeometry;

namespace {
constexpr double kPi = 3.141592653589793;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TavLine L(double x1, double y1, double x2, double y2) { return TavLine(TavPoint(x1, y1), TavPoint(x2, y2)); }
}  // namespace

TEST(LinePredicates, ValidHorizVert) {
  EXPECT_FALSE(lineIsValid(L(0, 0, 0, 1e-9)));
  EXPECT_TRUE(lineIsValid(L(0, 0, 0, 1e-7)));
  EXPECT_FALSE(lineIsValid(L(0, 0, 0, 1e-8)));  // strictly longer than 1e-8
  EXPECT_FALSE(lineIsValid(L(0, 0, kNaN, 1)));
  EXPECT_TRUE(lineIsHoriz(L(0, 0, 100, 0.00001)));  // tolerance inclusive
  EXPECT_FALSE(lineIsVert(L(0, 0, 100, 0.00001)));
  EXPECT_FALSE(lineIsHoriz(L(0, 0, 100, 0.0000101)));
  EXPECT_TRUE(lineIsVert(L(0, 0, 0.00001, 50)));
  EXPECT_FALSE(lineIsHoriz(L(0, kNaN, 1, 0)));
  EXPECT_FALSE(lineIsVert(L(kNaN, 0, 1, 0)));
}

TEST(LineRelations, IntersectionOfInfiniteLines) {
  TavPoint p(-7, -7);
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 10, 0), L(5, -1, 5, 1), &p));
  EXPECT_EQ(p.x, 5.0);
  EXPECT_EQ(p.y, 0.0);
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 1, 0), L(3, 1, 4, 2), &p));  // segments need not overlap
  EXPECT_EQ(p.x, 2.0);
  EXPECT_EQ(p.y, 0.0);
  // Parametrised along the first line: the point follows p1 + t * (p2 - p1).
  EXPECT_TRUE(lineLineIntersection(L(2, 2, 4, 6), L(0, 4, 10, 4), &p));
  EXPECT_EQ(p.x, 3.0);
  EXPECT_EQ(p.y, 4.0);
  p = TavPoint(-7, -8);
  EXPECT_FALSE(lineLineIntersection(L(0, 0, 1, 0), L(100, 5, 101, 5), &p));
  EXPECT_EQ(p.x, -7.0);  // untouched on failure
  EXPECT_EQ(p.y, -8.0);
  EXPECT_FALSE(lineLineIntersection(L(1, 1, 1, 1), L(0, 0, 3, 7), &p));  // zero length: D = 0
  EXPECT_FALSE(lineLineIntersection(L(0, 0, 3, 7), L(1, 1, 1, 1), &p));
  EXPECT_EQ(p.x, -7.0);
  // No tolerance: nearly parallel lines still cross, far away.
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 1, 0), L(0, 1, 1, 1 - std::ldexp(1.0, -40)), &p));
  EXPECT_EQ(p.x, std::ldexp(1.0, 40));
  EXPECT_EQ(p.y, 0.0);
  // The output may be one of the inputs' points.
  TavLine a = L(0, 0, 10, 0);
  EXPECT_TRUE(lineLineIntersection(a, L(5, -1, 5, 1), &a.p1));
  EXPECT_EQ(a.p1.x, 5.0);
}

TEST(LineRelations, Collinear) {
  EXPECT_TRUE(lineLineIsCollinear(L(0, 0, 1, 1), L(5, 5, 2, 2)));
  EXPECT_FALSE(lineLineIsCollinear(L(0, 0, 1, 1), L(0, 1, 1, 2)));
  EXPECT_FALSE(lineLineIsCollinear(L(0, 0, 1, 1), L(0, 0, 1, 1.0000001)));  // exact test
  EXPECT_FALSE(lineLineIsCollinear(L(0, 0, 1, 0), L(0, 1e-300, 1, 1e-300)));
  EXPECT_FALSE(lineLineIsCollinear(L(0, 0, 1, 0), L(0, kNaN, 1, 0)));
}

TEST(LineRelations, PerpendicularAndParallel) {
  TavLine out = L(9, 9, 9, 9);
  linePointToLinePerpendicular(L(0, 0, 10, 0), TavPoint(3, 7), &out);
  EXPECT_EQ(out.p1.x, 3.0);
  EXPECT_EQ(out.p1.y, 7.0);
  EXPECT_EQ(out.p2.x, 3.0);
  EXPECT_EQ(out.p2.y, 0.0);
  // Projection on the infinite line, beyond the segment's ends.
  linePointToLinePerpendicular(L(0, 0, 2, 2), TavPoint(10, 0), &out);
  EXPECT_EQ(out.p2.x, 5.0);
  EXPECT_EQ(out.p2.y, 5.0);
  // A point on the line gives a zero-length segment at the point.
  linePointToLinePerpendicular(L(0, 0, 2, 2), TavPoint(-3, -3), &out);
  EXPECT_EQ(out.p1.x, -3.0);
  EXPECT_EQ(out.p2.x, -3.0);
  EXPECT_EQ(out.p2.y, -3.0);
  // A zero-length line clears all four coordinates, p1 included.
  out = L(9, 9, 9, 9);
  linePointToLinePerpendicular(L(2, 2, 2, 2), TavPoint(3, 7), &out);
  EXPECT_EQ(out.p1.x, 0.0);
  EXPECT_EQ(out.p1.y, 0.0);
  EXPECT_EQ(out.p2.x, 0.0);
  EXPECT_EQ(out.p2.y, 0.0);
  // Output aliasing the line itself.
  TavLine l = L(0, 0, 10, 0);
  linePointToLinePerpendicular(l, TavPoint(3, 7), &l);
  EXPECT_EQ(l.p1.y, 7.0);
  EXPECT_EQ(l.p2.x, 3.0);
  EXPECT_EQ(l.p2.y, 0.0);

  linePointToLineParallel(L(0, 0, 3, 4), TavPoint(1, 1), &out);
  EXPECT_EQ(out.p1.x, 1.0);
  EXPECT_EQ(out.p1.y, 1.0);
  EXPECT_EQ(out.p2.x, 4.0);
  EXPECT_EQ(out.p2.y, 5.0);
  l = L(5, 5, 2, 1);  // direction kept, including its sign
  linePointToLineParallel(l, l.p2, &l);
  EXPECT_EQ(l.p1.x, 2.0);
  EXPECT_EQ(l.p1.y, 1.0);
  EXPECT_EQ(l.p2.x, -1.0);
  EXPECT_EQ(l.p2.y, -3.0);
}

TEST(LineRelations, BisectCrossingLines) {
  TavLine out;
  lineLineBisect(L(0, 0, 1, 0), L(0, 0, 0, 1), &out);
  EXPECT_EQ(out.p1.x, 0.0);
  EXPECT_EQ(out.p1.y, 0.0);
  EXPECT_NEAR(out.p2.x, 7071.0678, 1e-3);
  EXPECT_NEAR(out.p2.y, 7071.0678, 1e-3);
  // d = 3pi/4 > pi/2: a quarter turn is added, 3pi/8 + pi/2 = 7pi/8.
  lineLineBisect(L(0, 0, 1, 0), L(0, 0, -1, 1), &out);
  EXPECT_NEAR(std::atan2(out.p2.y - out.p1.y, out.p2.x - out.p1.x), 7 * kPi / 8, 1e-12);
  EXPECT_NEAR(std::hypot(out.p2.x - out.p1.x, out.p2.y - out.p1.y), 10000.0, 1e-9);
  // Starts at the crossing point, not at either line's p1.
  lineLineBisect(L(10, 3, 20, 3), L(4, 10, 4, 20), &out);
  EXPECT_EQ(out.p1.x, 4.0);
  EXPECT_EQ(out.p1.y, 3.0);
  EXPECT_NEAR(std::atan2(out.p2.y - out.p1.y, out.p2.x - out.p1.x), kPi / 4, 1e-12);
}

TEST(LineRelations, BisectTakesTheShortWayRound) {
  // Directions 170 and -170 degrees make a 20 degree angle; its bisector points
  // at 180 degrees. The raw difference of -340 degrees would give 0 degrees +
  // a quarter turn.
  const double a1 = 170 * kPi / 180, a2 = -170 * kPi / 180;
  TavLine out;
  lineLineBisect(L(0, 0, std::cos(a1), std::sin(a1)), L(0, 0, std::cos(a2), std::sin(a2)), &out);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-6);
  EXPECT_NEAR(out.p2.y, 0.0, 1e-6);
  // Same in the other order: difference +340 degrees folds to -20.
  lineLineBisect(L(0, 0, std::cos(a2), std::sin(a2)), L(0, 0, std::cos(a1), std::sin(a1)), &out);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-6);
  EXPECT_NEAR(out.p2.y, 0.0, 1e-6);
  // 100 and -100 degrees: the short way is 160 degrees through 180, so the
  // result is 180 + a quarter turn = 270 (-90) degrees.
  const double b1 = 100 * kPi / 180, b2 = -100 * kPi / 180;
  lineLineBisect(L(0, 0, std::cos(b1), std::sin(b1)), L(0, 0, std::cos(b2), std::sin(b2)), &out);
  EXPECT_NEAR(out.p2.x, 0.0, 1e-6);
  EXPECT_NEAR(out.p2.y, -10000.0, 1e-6);
}

TEST(LineRelations, BisectKeepsDifferencesUpToHalfATurn) {
  // First toward -x (angle pi), second shorter than 0.01 (angle counts as 0):
  // d = -pi stays -pi, so the result runs along the first line, toward -x.
  TavLine out;
  lineLineBisect(L(0, 0, -1, 0), L(0, 0, 0, 0.005), &out);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-9);
  EXPECT_NEAR(out.p2.y, 0.0, 1e-9);
  // d = pi: quarter turn added to pi/2 from 0.
  lineLineBisect(L(0, 0, 0, 0.005), L(0, 0, -1, 1e-300), &out);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-9);
}

TEST(LineRelations, BisectParallelLines) {
  TavLine out;
  lineLineBisect(L(0, 1, 10, 1), L(0, 3, 10, 3), &out);
  EXPECT_NEAR(out.p1.x, 0.0, 1e-12);
  EXPECT_EQ(out.p1.y, 2.0);
  EXPECT_NEAR(out.p2.x, 10000.0, 1e-12);
  EXPECT_EQ(out.p2.y, 2.0);
  // Opposite directions are parallel too; the result takes the first line's direction.
  lineLineBisect(L(10, 1, 0, 1), L(0, 3, 10, 3), &out);
  EXPECT_NEAR(out.p1.x, 0.0, 1e-9);
  EXPECT_NEAR(out.p1.y, 2.0, 1e-12);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-9);
}

TEST(LineCompare, SameInfiniteLine) {
  EXPECT_TRUE(lineCompare(L(0, 1, 10, 1), L(-5, 1, 3, 1)));
  EXPECT_FALSE(lineCompare(L(0, 1, 10, 1), L(0, 2, 10, 2)));
  EXPECT_FALSE(lineCompare(L(0, 0, 10, 10), L(0, 10, 10, 0)));
  EXPECT_TRUE(lineCompare(L(0, 1, 10, 1), L(3, 1, -5, 1)));  // opposite direction, same line
  EXPECT_TRUE(lineCompare(L(2, 0, 2, 5), L(2, 9, 2, -9)));
  EXPECT_FALSE(lineCompare(L(2, 0, 2, 5), L(2.0001, 9, 2.0001, -9)));
  EXPECT_TRUE(lineCompare(L(2, 0, 2, 5), L(2.000009, 9, 2.000009, -9)));  // within 1e-5
}

TEST(LineCompare, HorizontalLinesPointingLeft) {
  // Two horizontal lines toward negative x, 5 apart: different lines.
  EXPECT_FALSE(lineCompare(L(10, 1, 0, 1), L(10, 6, 0, 6)));
  EXPECT_FALSE(lineCompare(L(10, 1, 0, 1), L(0, 6, 10, 6)));
  EXPECT_TRUE(lineCompare(L(10, 1, 0, 1), L(-4, 1, 7, 1)));
  // A steep line pointing downward still uses the x-intercepts.
  EXPECT_FALSE(lineCompare(L(3, 5, 3, -5), L(7, 5, 7, -5)));
  EXPECT_TRUE(lineCompare(L(3, 5, 3, -5), L(3, 1, 3, 2)));
}

TEST(LineCompare, ShortLinesUseTheirTrueDirection) {
  // Shorter than 0.01: vertical lines x = 3 and x = 7 are different lines.
  EXPECT_FALSE(lineCompare(L(3, 0, 3, 0.005), L(7, 0, 7, 10)));
  EXPECT_TRUE(lineCompare(L(3, 0, 3, 0.005), L(3, 4, 3, 10)));
  // A zero-length line matches no line, not even y = 0 or itself.
  EXPECT_FALSE(lineCompare(L(5, 7, 5, 7), L(0, 0, 10, 0)));
  EXPECT_FALSE(lineCompare(L(0, 0, 10, 0), L(5, 7, 5, 7)));
  EXPECT_FALSE(lineCompare(L(5, 7, 5, 7), L(5, 7, 5, 7)));
  EXPECT_FALSE(lineCompare(L(0, 0, kNaN, 0), L(0, 0, kNaN, 0)));
}

TEST(LinePredicates, InterceptsFromSecondPoint) {
  double v = -1;
  EXPECT_TRUE(lineXIntercept(L(0, 0, 2, 4), 2, &v));
  EXPECT_EQ(v, 1.0);
  EXPECT_TRUE(lineYIntercept(L(0, 0, 2, 4), 1, &v));
  EXPECT_EQ(v, 2.0);
  // Beyond the segment, and with p2 before p1.
  EXPECT_TRUE(lineXIntercept(L(4, 8, 2, 4), -2, &v));
  EXPECT_EQ(v, -1.0);
  EXPECT_TRUE(lineYIntercept(L(4, 8, 2, 4), 10, &v));
  EXPECT_EQ(v, 20.0);
  v = -1;
  EXPECT_FALSE(lineYIntercept(L(3, 0, 3, 5), 1, &v));  // vertical: no y at x = 1
  EXPECT_EQ(v, 0.0);
  v = -1;
  EXPECT_FALSE(lineXIntercept(L(0, 0, 9, 0.00001), 7, &v));  // within 1e-5 of horizontal
  EXPECT_EQ(v, 0.0);
  v = -1;
  EXPECT_FALSE(lineYIntercept(L(1, 1, 1, 1), 7, &v));
  EXPECT_EQ(v, 0.0);
  // Computed from p2: with p2 exactly on the asked height the answer is x2 itself.
  EXPECT_TRUE(lineXIntercept(L(0.1, 0.7, 0.3, 0.2), 0.2, &v));
  EXPECT_EQ(v, 0.3);
}

TEST(LinePredicates, Parallel) {
  EXPECT_TRUE(lineIsParallel(L(0, 0, 1, 0), L(5, 5, -3, 5)));  // opposite directions
  EXPECT_FALSE(lineIsParallel(L(0, 0, 1, 0), L(0, 0, 0, -1)));
  EXPECT_FALSE(lineIsParallel(L(0, 0, 0, -1), L(0, 0, 1, 0)));
  EXPECT_TRUE(lineIsParallel(L(0, 0, 1, 0), L(0, 0, 1e6, 0.5)));       // sin = 5e-7
  EXPECT_FALSE(lineIsParallel(L(0, 0, 1, 0), L(0, 0, 1e6, 2)));        // sin = 2e-6
  EXPECT_FALSE(lineIsParallel(L(0, 0, 1, 0), L(0, 0, 0.001, 0.001)));  // short lines keep their angle
  EXPECT_TRUE(lineIsParallel(L(0, 0, 1, 1), L(0, 0, 0.001, 0.001)));
}

TEST(LineForms, AbcEquation) {
  double cy = 9, cx = 9, c = 9;
  line2AbcLineEquation(L(0, 1, 1, 3), &cy, &cx, &c);  // y - 2x - 1 = 0
  EXPECT_EQ(cy, 1.0);
  EXPECT_EQ(cx, -2.0);
  EXPECT_EQ(c, -1.0);
  line2AbcLineEquation(L(3, 0, 3, 5), &cy, &cx, &c);  // x - 3 = 0
  EXPECT_EQ(cy, 0.0);
  EXPECT_EQ(cx, 1.0);
  EXPECT_EQ(c, -3.0);
  line2AbcLineEquation(L(2, 7, 2, 7), &cy, &cx, &c);  // zero length: vertical form through x2
  EXPECT_EQ(cy, 0.0);
  EXPECT_EQ(cx, 1.0);
  EXPECT_EQ(c, -2.0);
  line2AbcLineEquation(L(0, 0, 0.0000099, 1), &cy, &cx, &c);  // |dx| < 1e-5 is vertical
  EXPECT_EQ(cy, 0.0);
  line2AbcLineEquation(L(0, 0, 0.00001, 1), &cy, &cx, &c);  // strict: 1e-5 is not
  EXPECT_EQ(cy, 1.0);
  // The constant makes p2 satisfy the equation, not p1.
  line2AbcLineEquation(L(1, 1, 4, 7), &cy, &cx, &c);
  EXPECT_EQ(cy * 7 + cx * 4 + c, 0.0);
  EXPECT_EQ(c, 1.0);
}

TEST(LineForms, PolarForm) {
  double ro = -1, theta = -1;
  lineToRoTheta(L(-5, 3, 5, 3), &ro, &theta);
  EXPECT_EQ(ro, 3.0);
  EXPECT_NEAR(theta, kPi / 2, 1e-15);
  lineToRoTheta(L(5, 3, -5, 3), &ro, &theta);  // direction does not matter
  EXPECT_EQ(ro, 3.0);
  EXPECT_NEAR(theta, kPi / 2, 1e-15);
  lineToRoTheta(L(-5, -3, 5, -3), &ro, &theta);  // the line below: same normal, mod pi
  EXPECT_EQ(ro, 3.0);
  EXPECT_NEAR(theta, kPi / 2, 1e-15);
  lineToRoTheta(L(0, 0, 1, 1), &ro, &theta);
  EXPECT_EQ(ro, 0.0);
  EXPECT_NEAR(theta, 3 * kPi / 4, 1e-15);
  lineToRoTheta(L(5, -1, 5, 1), &ro, &theta);  // pi folded to 0
  EXPECT_EQ(ro, 5.0);
  EXPECT_NEAR(theta, 0.0, 1e-15);
  lineToRoTheta(L(-5, -1, -5, 1), &ro, &theta);  // x = -5 gives the same form as x = 5
  EXPECT_EQ(ro, 5.0);
  EXPECT_NEAR(theta, 0.0, 1e-15);
  // The normal of x + y = 10 points at 45 degrees; of x - y = 10 at -45 = 135.
  lineToRoTheta(L(10, 0, 0, 10), &ro, &theta);
  EXPECT_NEAR(ro, 10 / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(theta, kPi / 4, 1e-12);
  lineToRoTheta(L(10, 0, 20, 10), &ro, &theta);
  EXPECT_NEAR(ro, 10 / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(theta, 3 * kPi / 4, 1e-12);
  // Short line away from the origin: angle counts as 0, so theta is pi/2.
  lineToRoTheta(L(3, 4, 3, 4.005), &ro, &theta);
  EXPECT_NEAR(ro, 3.0, 1e-12);
  EXPECT_NEAR(theta, kPi / 2, 1e-15);
  lineToRoTheta(L(3, 4, 3, 4), &ro, &theta);
  EXPECT_EQ(ro, 5.0);
  EXPECT_EQ(theta, 0.0);
  // Outputs pointing into the line itself.
  TavLine l = L(-5, 3, 5, 3);
  lineToRoTheta(l, &l.p1.x, &l.p1.y);
  EXPECT_EQ(l.p1.x, 3.0);
  EXPECT_NEAR(l.p1.y, kPi / 2, 1e-15);
}

TEST(LineRelations, DistanceAlongThirdLine) {
  double d = -1;
  EXPECT_TRUE(lineLineDist(L(0, 0, 10, 0), L(0, 4, 10, 4), L(3, -1, 3, 9), &d));
  EXPECT_EQ(d, 4.0);
  // Measured along the third line: a slanted one measures a longer way.
  EXPECT_TRUE(lineLineDist(L(0, 0, 10, 0), L(0, 4, 10, 4), L(0, 0, 3, 4), &d));
  EXPECT_EQ(d, 5.0);
  d = -1;
  EXPECT_FALSE(lineLineDist(L(0, 0, 10, 0), L(0, 0, 10, 0), L(3, -1, 3, 9), &d));
  EXPECT_EQ(d, 0.0);
  // Crossing lines are not the same line; the distance is between the crossings.
  EXPECT_TRUE(lineLineDist(L(0, 0, 10, 0), L(0, 0, 10, 10), L(5, -1, 5, 9), &d));
  EXPECT_EQ(d, 5.0);
}

TEST(LineRelations, DistanceAcrossAParallelLineFails) {
  // The third line parallel to the first or the second has no crossing with
  // it; nothing to measure from (no distance to the origin).
  double d = -1;
  EXPECT_FALSE(lineLineDist(L(0, 0, 10, 0), L(0, 4, 10, 4), L(0, 50, 10, 50), &d));
  EXPECT_EQ(d, 0.0);
  d = -1;
  EXPECT_FALSE(lineLineDist(L(0, 10, 10, 0), L(0, 4, 10, 4), L(0, 50, 10, 50), &d));
  EXPECT_EQ(d, 0.0);
  d = -1;
  EXPECT_FALSE(lineLineDist(L(0, 4, 10, 4), L(0, 10, 10, 0), L(0, 50, 10, 50), &d));
  EXPECT_EQ(d, 0.0);
  d = -1;
  EXPECT_FALSE(lineLineDist(L(0, 0, 10, 0), L(0, 4, 10, 4), L(3, 3, 3, 3), &d));  // zero-length third
  EXPECT_EQ(d, 0.0);
}

TEST(LineRobustness, NonFiniteInputsReturn) {
  const double bad[] = {kNaN, kInf, -kInf, 1e308, -1e308, 5e-324};
  for (double b : bad) {
    const TavLine lines[] = {L(b, 0, 1, 1), L(0, b, 1, 1), L(0, 0, b, b), L(b, b, b, b), L(1, 2, 3, b)};
    for (const TavLine& l : lines) {
      const TavLine other = L(0, 0, 3, 1);
      double v = 0, w = 0;
      TavPoint p;
      TavLine o;
      lineIsValid(l);
      lineIsHoriz(l);
      lineIsVert(l);
      lineXIntercept(l, b, &v);
      lineYIntercept(l, 1, &v);
      lineIsParallel(l, other);
      lineCompare(l, other);
      lineCompare(other, l);
      line2AbcLineEquation(l, &v, &w, &v);
      lineToRoTheta(l, &v, &w);
      lineLineIntersection(l, other, &p);
      lineLineIsCollinear(l, other);
      lineLineBisect(l, other, &o);
      lineLineBisect(l, l, &o);
      lineLineDist(l, other, L(1, 0, 1, 5), &v);
      lineLineDist(other, L(0, 5, 3, 6), l, &v);
      linePointToLinePerpendicular(l, TavPoint(b, 1), &o);
      linePointToLineParallel(l, TavPoint(1, b), &o);
    }
  }
  // NaN never makes two lines equal or parallel.
  EXPECT_FALSE(lineIsParallel(L(0, 0, kNaN, 0), L(0, 0, 1, 0)));
  EXPECT_FALSE(lineCompare(L(0, 0, 1, 0), L(0, kNaN, 1, 0)));
  double ro = 0, theta = 0;
  lineToRoTheta(L(0, kNaN, 1, 0), &ro, &theta);
  EXPECT_TRUE(std::isnan(theta));
}
