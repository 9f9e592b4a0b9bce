#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "check.h"

using namespace NTavGeometry;
using tavtest::isLine;
using tavtest::isNum;
using tavtest::isPt;

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
  EXPECT_TRUE(isPt(p, 5, 0));
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 1, 0), L(3, 1, 4, 2), &p));  // segments need not overlap
  EXPECT_TRUE(isPt(p, 2, 0));
  // Parametrised along the first line: the point follows p1 + t * (p2 - p1).
  EXPECT_TRUE(lineLineIntersection(L(2, 2, 4, 6), L(0, 4, 10, 4), &p));
  EXPECT_TRUE(isPt(p, 3, 4));
  p = TavPoint(-7, -8);
  EXPECT_FALSE(lineLineIntersection(L(0, 0, 1, 0), L(100, 5, 101, 5), &p));
  EXPECT_FALSE(lineLineIntersection(L(1, 1, 1, 1), L(0, 0, 3, 7), &p));  // zero length: D = 0
  EXPECT_FALSE(lineLineIntersection(L(0, 0, 3, 7), L(1, 1, 1, 1), &p));
  EXPECT_TRUE(isPt(p, -7, -8));  // untouched on failure
  // No tolerance: nearly parallel lines still cross, far away.
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 1, 0), L(0, 1, 1, 1 - std::ldexp(1.0, -40)), &p));
  EXPECT_TRUE(isPt(p, std::ldexp(1.0, 40), 0));
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
  EXPECT_TRUE(isLine(out, 3, 7, 3, 0));
  // Projection on the infinite line, beyond the segment's ends.
  linePointToLinePerpendicular(L(0, 0, 2, 2), TavPoint(10, 0), &out);
  EXPECT_TRUE(isPt(out.p2, 5, 5));
  // A point on the line gives a zero-length segment at the point.
  linePointToLinePerpendicular(L(0, 0, 2, 2), TavPoint(-3, -3), &out);
  EXPECT_TRUE(isLine(out, -3, -3, -3, -3));
  // A zero-length line clears all four coordinates, p1 included.
  out = L(9, 9, 9, 9);
  linePointToLinePerpendicular(L(2, 2, 2, 2), TavPoint(3, 7), &out);
  EXPECT_TRUE(isLine(out, 0, 0, 0, 0));
  // Output aliasing the line itself.
  TavLine l = L(0, 0, 10, 0);
  linePointToLinePerpendicular(l, TavPoint(3, 7), &l);
  EXPECT_TRUE(isLine(l, 3, 7, 3, 0));

  linePointToLineParallel(L(0, 0, 3, 4), TavPoint(1, 1), &out);
  EXPECT_TRUE(isLine(out, 1, 1, 4, 5));
  l = L(5, 5, 2, 1);  // direction kept, including its sign
  linePointToLineParallel(l, l.p2, &l);
  EXPECT_TRUE(isLine(l, 2, 1, -1, -3));
}

TEST(LineRelations, BisectCrossingLines) {
  TavLine out;
  lineLineBisect(L(0, 0, 1, 0), L(0, 0, 0, 1), &out);
  EXPECT_TRUE(isPt(out.p1, 0, 0));
  EXPECT_NEAR(out.p2.x, 7071.0678, 1e-3);
  EXPECT_NEAR(out.p2.y, 7071.0678, 1e-3);
  // d = 3pi/4 > pi/2: a quarter turn is added, 3pi/8 + pi/2 = 7pi/8.
  lineLineBisect(L(0, 0, 1, 0), L(0, 0, -1, 1), &out);
  EXPECT_NEAR(std::atan2(out.p2.y - out.p1.y, out.p2.x - out.p1.x), 7 * kPi / 8, 1e-12);
  EXPECT_NEAR(std::hypot(out.p2.x - out.p1.x, out.p2.y - out.p1.y), 10000.0, 1e-9);
  // Starts at the crossing point, not at either line's p1.
  lineLineBisect(L(10, 3, 20, 3), L(4, 10, 4, 20), &out);
  EXPECT_TRUE(isPt(out.p1, 4, 3));
  EXPECT_NEAR(std::atan2(out.p2.y - out.p1.y, out.p2.x - out.p1.x), kPi / 4, 1e-12);
}

TEST(LineRelations, BisectTakesTheShortWayRound) {
  // 170 and -170 degrees make a 20 degree angle bisected at 180 degrees (the raw
  // difference of -340 would give 0 + a quarter turn), in either order. 100 and
  // -100: the short way is 160 degrees through 180, plus a quarter turn = -90.
  const struct {
    double a1, a2, x, y;
  } cases[] = {{170, -170, -10000, 0}, {-170, 170, -10000, 0}, {100, -100, 0, -10000}};
  for (const auto& c : cases) {
    const double a1 = c.a1 * kPi / 180, a2 = c.a2 * kPi / 180;
    TavLine out;
    lineLineBisect(L(0, 0, std::cos(a1), std::sin(a1)), L(0, 0, std::cos(a2), std::sin(a2)), &out);
    EXPECT_NEAR(out.p2.x, c.x, 1e-6) << c.a1 << " " << c.a2;
    EXPECT_NEAR(out.p2.y, c.y, 1e-6) << c.a1 << " " << c.a2;
  }
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
  EXPECT_TRUE(lineCompare(L(0, 0, 10, 0), L(0, 1e-5, 10, 1e-5)));         // exactly 1e-5 apart
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
  const struct {
    TavLine l;
    bool xAtY;  // lineXIntercept at height `at`, else lineYIntercept at abscissa `at`
    double at;
    bool ok;
    double v;  // a failure writes 0
  } cases[] = {
      {L(0, 0, 2, 4), true, 2, true, 1},
      {L(0, 0, 2, 4), false, 1, true, 2},
      {L(4, 8, 2, 4), true, -2, true, -1},  // beyond the segment, and with p2 before p1
      {L(4, 8, 2, 4), false, 10, true, 20},
      {L(3, 0, 3, 5), false, 1, false, 0},       // vertical: no y at x = 1
      {L(0, 0, 9, 0.00001), true, 7, false, 0},  // within 1e-5 of horizontal
      {L(1, 1, 1, 1), false, 7, false, 0},
      {L(0.1, 0.7, 0.3, 0.2), true, 0.2, true, 0.3},  // from p2: on the asked height, x2 itself
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& c = cases[k];
    double v = -1;
    EXPECT_EQ(c.xAtY ? lineXIntercept(c.l, c.at, &v) : lineYIntercept(c.l, c.at, &v), c.ok) << k;
    EXPECT_EQ(v, c.v) << k;
  }
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
  const struct {
    TavLine l;
    double cy, cx, c;
  } cases[] = {
      {L(0, 1, 1, 3), 1, -2, -1},  // y - 2x - 1 = 0
      {L(3, 0, 3, 5), 0, 1, -3},   // x - 3 = 0
      {L(2, 7, 2, 7), 0, 1, -2},   // zero length: vertical form through x2
      {L(1, 1, 4, 7), 1, -2, 1},   // the constant makes p2 satisfy the equation, not p1
  };
  double cy = 9, cx = 9, c = 9;
  for (const auto& e : cases) {
    line2AbcLineEquation(e.l, &cy, &cx, &c);
    EXPECT_EQ(cy, e.cy) << e.l.p2.x;
    EXPECT_EQ(cx, e.cx) << e.l.p2.x;
    EXPECT_EQ(c, e.c) << e.l.p2.x;
  }
  line2AbcLineEquation(L(0, 0, 0.0000099, 1), &cy, &cx, &c);  // |dx| < 1e-5 is vertical
  EXPECT_EQ(cy, 0.0);
  line2AbcLineEquation(L(0, 0, 0.00001, 1), &cy, &cx, &c);  // strict: 1e-5 is not
  EXPECT_EQ(cy, 1.0);
}

TEST(LineForms, PolarForm) {
  const double r = 10 / std::sqrt(2.0);
  const struct {
    TavLine l;
    double ro, roTol, theta, thetaTol;  // a tolerance of 0 asks for equality
  } cases[] = {
      {L(-5, 3, 5, 3), 3, 0, kPi / 2, 1e-15},
      {L(5, 3, -5, 3), 3, 0, kPi / 2, 1e-15},    // direction does not matter
      {L(-5, -3, 5, -3), 3, 0, kPi / 2, 1e-15},  // the line below: same normal, mod pi
      {L(0, 0, 1, 1), 0, 0, 3 * kPi / 4, 1e-15},
      {L(5, -1, 5, 1), 5, 0, 0, 1e-15},                  // pi folded to 0
      {L(-5, -1, -5, 1), 5, 0, 0, 1e-15},                // x = -5 gives the same form as x = 5
      {L(10, 0, 0, 10), r, 1e-12, kPi / 4, 1e-12},       // normal of x + y = 10 at 45 degrees
      {L(10, 0, 20, 10), r, 1e-12, 3 * kPi / 4, 1e-12},  // of x - y = 10 at -45 = 135
      {L(3, 4, 3, 4.005), 3, 1e-12, kPi / 2, 1e-15},     // short: angle counts as 0
      {L(3, 4, 3, 4), 5, 0, 0, 0},
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& c = cases[k];
    double ro = -1, theta = -1;
    lineToRoTheta(c.l, &ro, &theta);
    EXPECT_TRUE(isNum(ro, c.ro, c.roTol)) << k;
    EXPECT_TRUE(isNum(theta, c.theta, c.thetaTol)) << k;
  }
  // Outputs pointing into the line itself.
  TavLine l = L(-5, 3, 5, 3);
  lineToRoTheta(l, &l.p1.x, &l.p1.y);
  EXPECT_EQ(l.p1.x, 3.0);
  EXPECT_NEAR(l.p1.y, kPi / 2, 1e-15);
}

TEST(LineRelations, DistanceAlongThirdLine) {
  const struct {
    TavLine a, b, across;
    bool ok;
    double d;  // a failure writes 0
  } cases[] = {
      {L(0, 0, 10, 0), L(0, 4, 10, 4), L(3, -1, 3, 9), true, 4},
      {L(0, 0, 10, 0), L(0, 4, 10, 4), L(0, 0, 3, 4), true, 5},  // slanted: measures a longer way
      {L(0, 0, 10, 0), L(0, 0, 10, 0), L(3, -1, 3, 9), false, 0},
      // Crossing lines are not the same line; the distance is between the crossings.
      {L(0, 0, 10, 0), L(0, 0, 10, 10), L(5, -1, 5, 9), true, 5},
      // The third line parallel to the first or the second, or of zero length,
      // has no crossing with it: nothing to measure from.
      {L(0, 0, 10, 0), L(0, 4, 10, 4), L(0, 50, 10, 50), false, 0},
      {L(0, 10, 10, 0), L(0, 4, 10, 4), L(0, 50, 10, 50), false, 0},
      {L(0, 4, 10, 4), L(0, 10, 10, 0), L(0, 50, 10, 50), false, 0},
      {L(0, 0, 10, 0), L(0, 4, 10, 4), L(3, 3, 3, 3), false, 0},
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    double d = -1;
    EXPECT_EQ(lineLineDist(cases[k].a, cases[k].b, cases[k].across, &d), cases[k].ok) << k;
    EXPECT_EQ(d, cases[k].d) << k;
  }
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
