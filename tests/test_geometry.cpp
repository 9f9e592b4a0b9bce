// Points, scalars, lines, rectangles, polygons, circles, arcs and rotators: the exact values, bounds and
// conventions. Invariants that hold for any input are checked by
// tests/fuzz/fuzz_{scalar_points,lines,circles}.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "check.h"
#include "reference/arc_reference.h"

using namespace NTavGeometry;
using tavtest::isCircle;
using tavtest::isLine;
using tavtest::isNum;
using tavtest::isPt;

namespace {
constexpr double kPi = 3.141592653589793, kTwoPi = 6.283185307179586, kHalfPi = 1.5707963267948966;
const double kInf = std::numeric_limits<double>::infinity(), kNaN = std::numeric_limits<double>::quiet_NaN();
const double kR2 = std::sqrt(2.0);

TavLine L(double x1, double y1, double x2, double y2) { return TavLine(TavPoint(x1, y1), TavPoint(x2, y2)); }
TavPoint onCircle(const TavPoint& c, double r, double a) {
  return TavPoint(c.x + r * std::cos(a), c.y + r * std::sin(a));
}
::testing::AssertionResult sameArc(const TavArc& a, const TavArc& b, double tol) {
  if (isPt(a.center, b.center.x, b.center.y, tol) && isNum(a.radius, b.radius, tol) &&
      isNum(a.startAngle, b.startAngle, tol) && isNum(a.sweepAngle, b.sweepAngle, tol))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << tavtest::show(a.center) << " r " << a.radius << " start "
                                       << a.startAngle << " sweep " << a.sweepAngle;
}
}  // namespace

TEST(Point, AnglesDistancesAndLines) {
  const struct {
    double x1, y1, x2, y2, want;
  } angles[] = {{0, 0, 0.005, 0.005, 0}, {0, 0, 0, 0.01, kHalfPi},  // 0.01^2 == 1e-4 is not below
                {0, 0, -1, 0, kPi},      {0, 0, 0, -1, -kHalfPi},
                {0, 0, -1, -0.0, -kPi},  {0, -0.0, -1, 0, kPi}};  // -0 dy toward -x: the one angle -pi
  for (const auto& c : angles)
    EXPECT_EQ(pointPointAngle(TavPoint(c.x1, c.y1), TavPoint(c.x2, c.y2)), c.want) << c.x2 << " " << c.y2;
  TavPoint m;
  pointsToMiddle(TavPoint(1, 2), TavPoint(4, -6), &m);
  EXPECT_TRUE(isPt(m, 2.5, -2));
  double third = -1, fourth = -1;  // the angle is written to the third argument, without tolerance
  pointPointDistAngle(TavPoint(0, 0), TavPoint(0.001, 0.001), &third, &fourth);
  EXPECT_EQ(third, kPi / 4);
  pointPointDistAngle(TavPoint(1, 1), TavPoint(1, 1), &third, &fourth);
  EXPECT_TRUE(third == 0.0 && fourth == 0.0);
  TavLine l;
  pointAngleToLine(TavPoint(1, 2), kHalfPi, &l);
  EXPECT_TRUE(isLine(l, 1, 2, 1, 10002, 1e-9));
  EXPECT_EQ(l.p2.y, 10002.0);
  const struct {
    TavPoint p;
    TavLine l;
    double want, tol;
  } lineDists[] = {{{20, -5}, L(0, 0, 10, 0), 5, 0},  // unsigned, the infinite line
                   {{3, 4}, L(0, 0, 0, 0), 5, 0},
                   {{3, 4}, L(0, 0, 0, 5e-9), 5, 0},  // shorter than 1e-8
                   {{3, 4}, L(0, 0, 0, 1e-8), 3, 1e-12},
                   {{0, 2}, L(0, 0, 1, 1), kR2, 1e-15}};
  for (const auto& c : lineDists) EXPECT_TRUE(isNum(pointLineDist(c.p, c.l), c.want, c.tol)) << c.l.p2.y;
  TavLine bis(TavPoint(9, 9), TavPoint(9, 9));
  EXPECT_TRUE(pointsToAngleBisect(TavPoint(1, 0), TavPoint(0, 1), TavPoint(0, 0), &bis));
  EXPECT_TRUE(isLine(bis, 0, 0, 0.5, 0.5));
}

TEST(Point, DistanceIsCorrectlyRoundedAndScaleFree) {
  // Half-integers below 2^24 have exactly summed squares, so sqrt of the sum is the correctly rounded
  // distance; scaling by 2^k (the huge and tiny branches) must scale it exactly.
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> half(-(1 << 25), 1 << 25);
  for (int i = 0; i < 20000; ++i) {
    const double x = half(rng) * 0.5, y = half(rng) * 0.5, want = std::sqrt(x * x + y * y);
    ASSERT_EQ(pointPointDist(TavPoint(x, y), TavPoint()), want) << x << " " << y;
    for (const double k : {0x1p-1000, 0x1p-600, 0x1p+600, 0x1p+900})
      ASSERT_EQ(pointPointDist(TavPoint(x * k, y * k), TavPoint()), want * k) << x << " " << y << " " << k;
    double angle = 0.0, dist = 0.0;
    pointPointDistAngle(TavPoint(), TavPoint(x, y), &angle, &dist);
    ASSERT_EQ(dist, want);
  }
  const double tiny = std::numeric_limits<double>::denorm_min(), big = std::numeric_limits<double>::max();
  const struct {
    double x, y, want;
  } cases[] = {{kInf, kNaN, kInf},       {kNaN, -kInf, kInf},
               {kNaN, 1.0, kNaN},        {0.0, -0.0, 0.0},
               {-big, 0.0, big},         {tiny, 0.0, tiny},
               {tiny, tiny, tiny},       {big, big, kInf},
               {3e-320, 4e-320, 5e-320}, {0x1p-1022, 0x1p-1022, 0x1.6a09e667f3bcdp-1022}};
  for (const auto& c : cases) {
    const double got = pointPointDist(TavPoint(c.x, c.y), TavPoint());
    EXPECT_TRUE(std::isnan(c.want) ? std::isnan(got) : got == c.want) << c.x << " " << c.y << ": " << got;
  }
}

TEST(Point, PointOnLineAndBBox) {
  const struct {
    TavPoint a, b;
    double s, x, y, tol;
  } along[] = {{{1, 1}, {1, 1}, 3, 1, -2, 0},  // coincident: vertical, downward
               {{1, 1}, {1, 5}, 3, 1, 4, 0},       {{1, 1}, {-4, 1}, 2, -1, 1, 0},
               {{1, 1}, {6, 1}, 2, 3, 1, 0},       {{0, 0}, {3, 4}, 10, 6, 8, 1e-15},
               {{0, 0}, {3, 4}, -5, -3, -4, 1e-15}};
  for (const auto& c : along) {
    TavPoint out;
    pointOnLine(c.a, c.b, c.s, &out);
    EXPECT_TRUE(isPt(out, c.x, c.y, c.tol)) << c.b.x << " " << c.b.y << " " << c.s;
  }
  // Coordinates truncate toward zero and saturate at the int range; NaN coordinates are ignored.
  const struct {
    TavPoint p, q;
    double x, y, w, h;
  } boxes[] = {{{2.9, 3.1}, {5.5, 7.9}, 2, 3, 4, 5},
               {{4.2, 4.7}, {4.2, 4.7}, 4, 4, 1, 1},
               {{-2.9, 1}, {-0.5, 2}, -2, 1, 3, 2},
               {{-30, -40}, {-10, -20}, -30, -40, 21, 21},
               {{2e7, 3e7}, {2e7 + 5.5, 3e7 + 1}, 2e7, 3e7, 6, 2},
               {{kNaN, 1}, {3, kNaN}, 3, 1, 1, 1},
               {{-kInf, 0}, {kInf, 1e300}, INT_MIN, 0, 4294967296.0, INT_MAX + 1.0}};
  for (const auto& c : boxes) {
    TavRect r(7, 7, 7, 7, 7);
    const TavPoint pts[2] = {c.p, c.q};
    pointsToBBox(pts, 2, &r);
    EXPECT_TRUE(r.x == c.x && r.y == c.y && r.width == c.w && r.height == c.h && r.angle == 0.0)
        << c.p.x << ": " << r.x << " " << r.y << " " << r.width << " " << r.height;
  }
}

TEST(Scalar, NormalisersQuadraticAndMeanAngle) {
  const auto mpp = normalizeAngleMinusPiToPi, m22 = normalizeAngleMinus2PiTo2Pi, z2 = normalizeAngle0To2Pi;
  const auto z1 = normalizeAngle0ToPi, mh = normalizeAngleMinusPiby2ToPiby2;
  double twenty = 20.0;  // a few periods out: exactly repeated subtraction
  while (twenty >= kTwoPi) twenty -= kTwoPi;
  const struct {
    double (*fn)(double);
    double a, want, tol;
  } folds[] = {{mpp, kPi, -kPi, 0},
               {mpp, -kPi, -kPi, 0},
               {z2, kTwoPi, 0, 0},
               {z1, kPi, 0, 0},
               {mh, kHalfPi, -kHalfPi, 0},
               {m22, -kTwoPi, -kTwoPi, 0},
               {m22, kTwoPi, 0, 0},
               {mpp, 3 * kPi, -kPi, 1e-12},
               {z2, -0.5, -0.5 + kTwoPi, 0},
               {z2, 4 * kPi + 1, 1, 1e-12},
               {z1, -kPi / 4, -kPi / 4 + kPi, 0},
               {mh, 3 * kPi / 4, 3 * kPi / 4 - kPi, 0},
               {m22, -7.0, -7.0 + kTwoPi, 0},
               {m22, 6.5, 6.5 - kTwoPi, 0},
               {m22, -6.0, -6.0, 0},
               {m22, kTwoPi - 1, kTwoPi - 1, 0},
               {z2, 20.0, twenty, 0},
               {z2, 1000.0 * kTwoPi + 1.0, 1.0, 1e-9}};
  for (const auto& c : folds) EXPECT_TRUE(isNum(c.fn(c.a), c.want, c.tol)) << c.a;
  EXPECT_EQ(degToRad(-90.0), -90.0 * 0.017453292519943295);
  // Roots not found keep the caller's -99; (-b + sqrt D) comes first.
  const struct {
    double a, b, c;
    int count;
    double r0, r1;
  } quads[] = {{1, -3, 2, 2, 2, 1},
               {-1, 3, -2, 2, 1, 2},
               {1, 2, 1, 1, -1, -99},
               {1, std::sqrt(1e-5), 0, 2, 0, -std::sqrt(1e-5)},  // b * b == 1e-5: not below the tolerance
               {1, 0, -0.000001, 1, 0, -99},                     // |D| = 4e-6 < 1e-5
               {1, 0, 1, 0, -99, -99},
               {0, 2, -6, 1, 3, -99},  // zero leading coefficient: the linear equation
               {0, 0, 5, 0, -99, -99}};
  for (const auto& e : quads) {
    double roots[2] = {-99.0, -99.0};
    int count = -1;
    EXPECT_EQ(solveQuadraticAbcFormula(e.a, e.b, e.c, roots, &count), 0);
    EXPECT_TRUE(count == e.count && roots[0] == e.r0 && roots[1] == e.r1)
        << e.a << " " << e.b << " " << e.c << ": " << count << " " << roots[0] << " " << roots[1];
  }
  double wrap[] = {kPi - 0.1, -kPi + 0.1}, quarter[] = {0.0, kHalfPi};
  EXPECT_NEAR(std::fabs(averageAngles(wrap, 2)), kPi, 1e-12);
  EXPECT_NEAR(averageAngles(quarter, 2), kPi / 4, 1e-15);
  EXPECT_EQ(parabolaFit(1, 1, 0), -0.5);  // sign: the peak leans toward the larger neighbour
}

TEST(Line, PredicatesAndComparisons) {
  enum Kind { kValid, kHoriz, kVert, kCollinear, kCompare, kParallel };
  const struct {
    Kind k;
    TavLine a, b;
    bool want;
  } cases[] = {
      {kValid, L(0, 0, 0, 1e-7), {}, true},
      {kValid, L(0, 0, 0, 1e-8), {}, false},  // > 1e-8
      {kValid, L(0, 0, kNaN, 1), {}, false},
      {kHoriz, L(0, 0, 100, 1e-5), {}, true},  // inclusive
      {kHoriz, L(0, 0, 100, 1.01e-5), {}, false},
      {kVert, L(0, 0, 1e-5, 50), {}, true},
      {kVert, L(0, 0, 100, 1e-5), {}, false},
      {kHoriz, L(0, kNaN, 1, 0), {}, false},
      {kVert, L(kNaN, 0, 1, 0), {}, false},
      {kCollinear, L(0, 0, 1, 1), L(5, 5, 2, 2), true},
      {kCollinear, L(0, 0, 1, 1), L(0, 1, 1, 2), false},
      {kCollinear, L(0, 0, 1, 1), L(0, 0, 1, 1.0000001), false},  // exact
      {kCollinear, L(0, 0, 1, 0), L(0, 1e-300, 1, 1e-300), false},
      {kCollinear, L(0, 0, 1, 0), L(0, kNaN, 1, 0), false},
      {kCompare, L(0, 1, 10, 1), L(-5, 1, 3, 1), true},
      {kCompare, L(0, 1, 10, 1), L(0, 2, 10, 2), false},
      {kCompare, L(0, 0, 10, 10), L(0, 10, 10, 0), false},
      {kCompare, L(0, 1, 10, 1), L(3, 1, -5, 1), true},
      {kCompare, L(2, 0, 2, 5), L(2, 9, 2, -9), true},
      {kCompare, L(2, 0, 2, 5), L(2.0001, 9, 2.0001, -9), false},
      {kCompare, L(2, 0, 2, 5), L(2.000009, 9, 2.000009, -9), true},  // within 1e-5
      {kCompare, L(0, 0, 10, 0), L(0, 1e-5, 10, 1e-5), true},         // exactly 1e-5 apart
      {kCompare, L(10, 1, 0, 1), L(10, 6, 0, 6), false},
      {kCompare, L(10, 1, 0, 1), L(0, 6, 10, 6), false},
      {kCompare, L(10, 1, 0, 1), L(-4, 1, 7, 1), true},
      {kCompare, L(3, 5, 3, -5), L(7, 5, 7, -5), false},
      {kCompare, L(3, 5, 3, -5), L(3, 1, 3, 2), true},
      {kCompare, L(3, 0, 3, 0.005), L(7, 0, 7, 10), false},  // short lines keep their true direction
      {kCompare, L(3, 0, 3, 0.005), L(3, 4, 3, 10), true},
      {kCompare, L(5, 7, 5, 7), L(0, 0, 10, 0), false},  // a zero-length line matches none, not even itself
      {kCompare, L(0, 0, 10, 0), L(5, 7, 5, 7), false},
      {kCompare, L(5, 7, 5, 7), L(5, 7, 5, 7), false},
      {kCompare, L(0, 0, kNaN, 0), L(0, 0, kNaN, 0), false},
      {kCompare, L(0, 0, 1, 0), L(0, kNaN, 1, 0), false},
      {kParallel, L(0, 0, 1, 0), L(5, 5, -3, 5), true},
      {kParallel, L(0, 0, 1, 0), L(0, 0, 0, -1), false},
      {kParallel, L(0, 0, 0, -1), L(0, 0, 1, 0), false},
      {kParallel, L(0, 0, 1, 0), L(0, 0, 1e6, 0.5), true},
      {kParallel, L(0, 0, 1, 0), L(0, 0, 1e6, 2), false},  // sin 2e-6
      {kParallel, L(0, 0, 1, 0), L(0, 0, 0.001, 0.001), false},
      {kParallel, L(0, 0, 1, 1), L(0, 0, 0.001, 0.001), true},
      {kParallel, L(0, 0, kNaN, 0), L(0, 0, 1, 0), false}};
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const auto& c = cases[i];
    const bool got = c.k == kValid       ? lineIsValid(c.a)
                     : c.k == kHoriz     ? lineIsHoriz(c.a)
                     : c.k == kVert      ? lineIsVert(c.a)
                     : c.k == kCollinear ? lineLineIsCollinear(c.a, c.b)
                     : c.k == kCompare   ? lineCompare(c.a, c.b)
                                         : lineIsParallel(c.a, c.b);
    EXPECT_EQ(got, c.want) << "row " << i;
  }
}

TEST(Line, IntersectionsAndConstructions) {
  TavPoint p(-7, -8);
  EXPECT_FALSE(lineLineIntersection(L(0, 0, 1, 0), L(100, 5, 101, 5), &p));
  EXPECT_FALSE(lineLineIntersection(L(1, 1, 1, 1), L(0, 0, 3, 7), &p));  // zero length
  EXPECT_FALSE(lineLineIntersection(L(0, 0, 3, 7), L(1, 1, 1, 1), &p));
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 1, 0), L(0, 1, 1, 1 - 0x1p-40), &p));  // no parallel tolerance
  EXPECT_TRUE(isPt(p, 0x1p40, 0));
  TavLine out;
  linePointToLinePerpendicular(L(0, 0, 2, 2), TavPoint(10, 0), &out);  // the foot beyond the segment
  EXPECT_TRUE(isLine(out, 10, 0, 5, 5));
  // Bisecting: d = -pi stays -pi (along the first line); d = pi adds a quarter turn to pi/2.
  lineLineBisect(L(0, 0, -1, 0), L(0, 0, 0, 0.005), &out);
  EXPECT_TRUE(isLine(out, 0, 0, -10000, 0, 1e-9));
  lineLineBisect(L(0, 0, 0, 0.005), L(0, 0, -1, 1e-300), &out);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-9);
  // Parallel lines, also of opposite directions: the mid line, in the first line's direction.
  lineLineBisect(L(0, 1, 10, 1), L(0, 3, 10, 3), &out);
  EXPECT_TRUE(isLine(out, 0, 2, 10000, 2, 1e-12));
  EXPECT_TRUE(out.p1.y == 2.0 && out.p2.y == 2.0);
  lineLineBisect(L(10, 1, 0, 1), L(0, 3, 10, 3), &out);
  EXPECT_TRUE(isLine(out, 0, 2, -10000, 2, 1e-9));
  const struct {
    TavLine l;
    bool xAtY;  // lineXIntercept at height `at`, else lineYIntercept at abscissa `at`
    double at;
    bool ok;
    double v;  // a failure writes 0
  } intercepts[] = {{L(0, 0, 2, 4), true, 2, true, 1},   {L(0, 0, 2, 4), false, 1, true, 2},
                    {L(4, 8, 2, 4), true, -2, true, -1}, {L(4, 8, 2, 4), false, 10, true, 20},
                    {L(3, 0, 3, 5), false, 1, false, 0}, {L(0, 0, 9, 0.00001), true, 7, false, 0},
                    {L(1, 1, 1, 1), false, 7, false, 0}, {L(0.1, 0.7, 0.3, 0.2), true, 0.2, true, 0.3}};
  for (std::size_t k = 0; k < sizeof intercepts / sizeof intercepts[0]; ++k) {
    const auto& c = intercepts[k];
    double v = -1;
    EXPECT_EQ(c.xAtY ? lineXIntercept(c.l, c.at, &v) : lineYIntercept(c.l, c.at, &v), c.ok) << k;
    EXPECT_EQ(v, c.v) << k;
  }
  const struct {
    TavLine l;
    double cy, cx, c;
  } abc[] = {{L(0, 1, 1, 3), 1, -2, -1},
             {L(3, 0, 3, 5), 0, 1, -3},
             {L(2, 7, 2, 7), 0, 1, -2},
             {L(1, 1, 4, 7), 1, -2, 1}};  // p2 satisfies the equation, not p1
  double cy = 9, cx = 9, cc = 9;
  for (const auto& e : abc) {
    line2AbcLineEquation(e.l, &cy, &cx, &cc);
    EXPECT_TRUE(cy == e.cy && cx == e.cx && cc == e.c) << e.l.p2.x << ": " << cy << " " << cx << " " << cc;
  }
  line2AbcLineEquation(L(0, 0, 0.0000099, 1), &cy, &cx, &cc);  // |dx| < 1e-5 is vertical, strictly
  EXPECT_EQ(cy, 0.0);
  line2AbcLineEquation(L(0, 0, 0.00001, 1), &cy, &cx, &cc);
  EXPECT_EQ(cy, 1.0);
  const double r = 10 / kR2;
  const struct {
    TavLine l;
    double ro, roTol, theta, thetaTol;
  } polar[] = {{L(-5, 3, 5, 3), 3, 0, kHalfPi, 1e-15},
               {L(5, 3, -5, 3), 3, 0, kHalfPi, 1e-15},
               {L(-5, -3, 5, -3), 3, 0, kHalfPi, 1e-15},
               {L(0, 0, 1, 1), 0, 0, 3 * kPi / 4, 1e-15},
               {L(5, -1, 5, 1), 5, 0, 0, 1e-15},
               {L(-5, -1, -5, 1), 5, 0, 0, 1e-15},
               {L(10, 0, 0, 10), r, 1e-12, kPi / 4, 1e-12},
               {L(10, 0, 20, 10), r, 1e-12, 3 * kPi / 4, 1e-12},
               {L(3, 4, 3, 4.005), 3, 1e-12, kHalfPi, 1e-15},
               {L(3, 4, 3, 4), 5, 0, 0, 0}};
  for (std::size_t k = 0; k < sizeof polar / sizeof polar[0]; ++k) {
    double ro = -1, theta = -1;
    lineToRoTheta(polar[k].l, &ro, &theta);
    EXPECT_TRUE(isNum(ro, polar[k].ro, polar[k].roTol)) << k;
    EXPECT_TRUE(isNum(theta, polar[k].theta, polar[k].thetaTol)) << k;
  }
  const struct {
    TavLine a, b, across;
    bool ok;
    double d;  // a failure writes 0
  } dists[] = {{L(0, 0, 10, 0), L(0, 4, 10, 4), L(3, -1, 3, 9), true, 4},
               {L(0, 0, 10, 0), L(0, 4, 10, 4), L(0, 0, 3, 4), true, 5},
               {L(0, 0, 10, 0), L(0, 0, 10, 0), L(3, -1, 3, 9), false, 0},
               {L(0, 0, 10, 0), L(0, 0, 10, 10), L(5, -1, 5, 9), true, 5},  // between the crossings
               {L(0, 0, 10, 0), L(0, 4, 10, 4), L(0, 50, 10, 50), false, 0},
               {L(0, 10, 10, 0), L(0, 4, 10, 4), L(0, 50, 10, 50), false, 0},
               {L(0, 4, 10, 4), L(0, 10, 10, 0), L(0, 50, 10, 50), false, 0},
               {L(0, 0, 10, 0), L(0, 4, 10, 4), L(3, 3, 3, 3), false, 0}};
  for (std::size_t k = 0; k < sizeof dists / sizeof dists[0]; ++k) {
    double d = -1;
    EXPECT_EQ(lineLineDist(dists[k].a, dists[k].b, dists[k].across, &d), dists[k].ok) << k;
    EXPECT_EQ(d, dists[k].d) << k;
  }
}

TEST(RectClip, CrossingsInEdgeOrderAndMargin) {
  // Edges are searched as E0 (top), E1 (right), E2 (bottom), E3 (left); the first two crossings found are
  // reported. The quarter-turned 10 x 4 at (20, 10) covers 23..27 x 7..17. Failures leave the outputs.
  const TavRect sq(0, 0, 10, 10, 0), offset(20, 10, 10, 4), turned(20, 10, 10, 4, kHalfPi);
  const TavRect diamond(0, 0, 10, 10, kPi / 4);
  const double dx = 5 + 5 * kR2, dy = 5 * kR2 - 6.5;
  const TavPoint no(-7, -8);
  const struct {
    TavLine l;
    TavRect r;
    bool ok;
    TavPoint a, b;
    double tol;
  } cases[] = {{L(-5, 5, 15, 5), sq, true, {10, 5}, {0, 5}, 0},  // E1 before E3
               {L(15, 5, -5, 5), sq, true, {10, 5}, {0, 5}, 0},
               {L(5, 15, 5, -5), sq, true, {5, 0}, {5, 10}, 0},   // E0 before E2
               {L(4, 14, 14, 4), sq, true, {10, 8}, {8, 10}, 0},  // E1 and E2 only
               {L(-4, 6, 6, -4), sq, true, {2, 0}, {0, 2}, 0},  // top first, though the left edge comes first
               {L(-5, -0.5, 15, -0.5), sq, true, {10, -0.5}, {0, -0.5}, 0},  // within the one-unit margin
               {L(0, 0, 1, 1), sq, true, {0, 0}, {10, 10}, 0},               // corners count for both edges
               {L(10, 0, 0, 10), sq, true, {10, 0}, {10, 0}, 0},             // E0 and E1 both meet P1
               {L(0, 12, 1, 12), offset, true, {30, 12}, {20, 12}, 0},
               {L(25, 0, 25, 1), turned, true, {25, 17}, {25, 7}, 1e-12},
               {L(0, 16, 1, 16), turned, true, {27, 16}, {23, 16}, 1e-12},  // outside the unturned rectangle
               {L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, -0.0), true, {10, 5}, {0, 5}, 0},
               {L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, kTwoPi), true, {10, 5}, {0, 5}, 1e-12},
               {L(-20, 5, 30, 5), diamond, true, {dx, 5}, {dx, 5}, 1e-9},  // E0 and E1 both end at the corner
               {L(-20, 11.5, 30, 11.5), diamond, true, {5 + dy, 11.5}, {5 - dy, 11.5}, 1e-9},
               {L(-5, -1, 15, -1), sq, true, {10, -1}, {0, -1}, 0},  // the margin edge is included
               {L(11, -5, 11, 15), sq, true, {11, 0}, {11, 10}, 0},
               {L(-5, -2, 15, -2), sq, false, no, no, 0},
               {L(-5, -1.0000001, 15, -1.0000001), sq, false, no, no, 0},
               {L(-20, 0, 0, 20), sq, false, no, no, 0},  // passes the corner outside
               {L(5, 5, 5, 5), sq, false, no, no, 0},     // zero length: parallel to every edge
               {L(0, 16, 1, 16), offset, false, no, no, 0},
               {L(27.5, 0, 27.5, 1), turned, true, {27.5, 17}, {27.5, 7}, 1e-12},  // the margin turns too
               {L(29, 0, 29, 1), turned, false, no, no, 0},
               {L(0, 17.9, 1, 17.9), turned, true, {27, 17.9}, {23, 17.9}, 1e-12},
               {L(0, 18.5, 1, 18.5), turned, false, no, no, 0},
               {L(28.5, 0, 29.5, 30), turned, false, no, no, 0},  // through the unturned rectangle only
               {L(kNaN, 5, 15, 5), sq, false, no, no, 0},
               {L(-5, 5, kInf, 5), sq, false, no, no, 0},
               {L(-5, 5, 15, 5), TavRect(-kInf, 0, 10, 10), false, no, no, 0},
               {L(-5, 5, 15, 5), TavRect(0, 0, kNaN, 10), false, no, no, 0},
               {L(-5, 5, 15, 5), TavRect(0, 0, 10, -kInf), false, no, no, 0},
               {L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, kNaN), false, no, no, 0},
               {L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, kInf), false, no, no, 0}};
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& c = cases[k];
    TavPoint a = no, b = no;
    ASSERT_EQ(lineRectIntersection(c.l, c.r, &a, &b), c.ok) << k;
    EXPECT_TRUE(isPt(a, c.a.x, c.a.y, c.tol)) << k;
    EXPECT_TRUE(isPt(b, c.b.x, c.b.y, c.tol)) << k;
  }
  TavLine l = L(-5, 5, 15, 5);  // the outputs may be the line's own points
  ASSERT_TRUE(lineRectIntersection(l, sq, &l.p1, &l.p2));
  EXPECT_TRUE(isLine(l, 10, 5, 0, 5));
}

TEST(Polygon, InsideRule) {
  // Edges of smaller x and y are inside, of larger x and y outside; even-odd over all edges, closing one too.
  const std::vector<TavPoint> sq = {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                              cw = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
  const std::vector<TavPoint> tri = {{0, 0}, {10, 0}, {0, 10}}, bow = {{0, 0}, {10, 10}, {10, 0}, {0, 10}};
  const std::vector<TavPoint> twice = {{0, 0}, {10, 0}, {10, 10}, {0, 10},
                                       {0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const std::vector<TavPoint> tall = {{0, -1e308}, {1, 1e308}, {-1, 1e308}};  // edge heights overflow
  const struct {
    const std::vector<TavPoint>& v;
    TavPoint p;
    bool in;
  } cases[] = {{sq, {5, 5}, true},       {sq, {0, 5}, true},      {sq, {10, 5}, false},
               {sq, {5, 0}, true},       {sq, {5, 10}, false},    {sq, {-1, 5}, false},
               {sq, {11, 5}, false},     {sq, {0, 0}, true},      {sq, {10, 0}, false},
               {sq, {10, 10}, false},    {sq, {0, 10}, false},    {sq, {9.999999, 9.999999}, true},
               {sq, {5, -1e-12}, false}, {cw, {0, 5}, true},      {cw, {10, 5}, false},
               {cw, {5, 0}, true},       {cw, {5, 10}, false},    {cw, {0, 0}, true},
               {cw, {10, 0}, false},     {cw, {0, 10}, false},    {tri, {-1, 1}, false},
               {tri, {1, 1}, true},      {tri, {6, 6}, false},    {bow, {2, 5}, true},
               {bow, {8, 5}, true},      {bow, {5, 2}, false},    {bow, {5, 8}, false},
               {twice, {5, 5}, false},   {sq, {kNaN, 5}, false},  {sq, {5, kNaN}, false},
               {sq, {kInf, 5}, false},   {sq, {-kInf, 5}, false}, {tall, {0, 0}, true}};
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& c = cases[k];
    EXPECT_EQ(polygonIsPointInside(c.v.data(), static_cast<unsigned>(c.v.size()), c.p), c.in) << k;
  }
  const TavPoint two[] = {TavPoint(1e-17, 1), TavPoint(1, 1)};  // the sum leaves -1e-17: still exactly 0
  EXPECT_EQ(polygonArea(two, 2), 0.0);
}

TEST(Circle, ThroughThreePoints) {
  const double c1 = std::cos(0.3), s1 = std::sin(0.3), c2 = std::cos(2.0), s2 = std::sin(2.0);
  const double c3 = std::cos(-2.5), s3 = std::sin(-2.5);
  const struct {
    TavPoint a, b, c;
    double x, y, centreTol, r, radiusTol;  // r NaN: radius not checked
  } cases[] = {{{0, 0}, {2, 2}, {4, 0}, 2, 0, 1e-12, 2, 1e-12},
               {{0, 0}, {0, 2}, {2, 2}, 1, 1, 0, kR2, 0},  // right angle: vertical, then horizontal chord
               {{2, 2}, {0, 0}, {0, 2}, 1, 1, 0, kR2, 0},  // reached only through the ordering (p2, p3, p1)
               // The right-angle branch takes x from q2, q3 and y from q1, q2; a chord 1e-5 wide is vertical.
               {{0, 0}, {1e-6, 2}, {2, 2 + 1e-6}, (1e-6 + 2) * 0.5, 1, 0, kNaN, 0},
               {{0, 0}, {1e-5, 2}, {2, 2 + 1e-6}, (1e-5 + 2) * 0.5, 1, 0, kNaN, 0},
               {{1, 1}, {1, 1}, {1, 1}, 1, 1, 0, 0, 0},          // three equal points: radius 0
               {{0, 0}, {0, 0}, {5, 0}, 2.5, 0, 1e-12, 2.5, 0},  // a zero first chord counts as vertical
               {{0, 0}, {4, 0}, {2, 2}, 2, 0, 1e-12, 2, 1e-12},  // horizontal first chord: (p1, p3, p2)
               {{3 + 5 * c1, -1 + 5 * s1},
                {3 + 5 * c2, -1 + 5 * s2},
                {3 + 5 * c3, -1 + 5 * s3},
                3,
                -1,
                1e-9,
                5,
                1e-9}};
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& e = cases[k];
    TavCircle c(TavPoint(-99, -98), 97);
    ASSERT_TRUE(circleIn3Points(e.a, e.b, e.c, &c)) << k;
    EXPECT_TRUE(isPt(c.center, e.x, e.y, e.centreTol)) << k;
    EXPECT_TRUE(std::isnan(e.r) || isNum(c.radius, e.r, e.radiusTol)) << k;
  }
  const TavPoint h1(-1e300, 1e300), h2(1e300, 3e300), h3(3e300, -2e300);  // huge but representable
  TavCircle c;
  ASSERT_TRUE(circleIn3Points(h1, h2, h3, &c));
  for (const TavPoint& h : {h1, h2, h3}) EXPECT_NEAR(pointPointDist(c.center, h) / c.radius, 1, 1e-12);
  // Back nearly the way it came: the first ordering's slopes differ by 9.5e-6 and it fails, although
  // (p1, p3, p2) has slopes 2e-4 apart; no later ordering is tried.
  const TavPoint bad[][3] = {{{0, 0}, {1, 1}, {2, 2}},          {{0, 0}, {0, 5}, {0, 9}},
                             {{kNaN, 0}, {2, 2}, {4, 0}},       {{0, 0}, {kInf, 2}, {4, 1}},
                             {{0, 0}, {1, 1e300}, {2, -1e300}}, {{0, 0}, {10, 10}, {0.5, 0.5 + 9e-5}}};
  for (const auto& p : bad) {
    c = TavCircle(TavPoint(-99, -98), 97);
    EXPECT_FALSE(circleIn3Points(p[0], p[1], p[2], &c)) << p[1].x;
    EXPECT_TRUE(isCircle(c, 0, 0, 0)) << p[1].x;
  }
  EXPECT_TRUE(circleIn3Points(bad[5][0], bad[5][2], bad[5][1], &c));
  EXPECT_FALSE(circleIn3Points(TavPoint(0, 0), TavPoint(2, 2), TavPoint(4, 0), nullptr));
  c = TavCircle(TavPoint(4, 0), 1);  // the output may be one of the inputs
  ASSERT_TRUE(circleIn3Points(TavPoint(0, 0), TavPoint(2, 2), c.center, &c));
  EXPECT_TRUE(isPt(c.center, 2, 0, 1e-12));
}

TEST(Circle, InTriangle) {
  TavCircle c;
  const struct {
    TavPoint a, b, c;
    double x, y, r;
  } right[] = {{{0, 0}, {4, 0}, {0, 3}, 1, 1, 1},  // right angle at pa, pb, then pc
               {{0, 0}, {4, 0}, {4, 3}, 3, 1, 1},
               {{4, 3}, {0, 0}, {4, 0}, 3, 1, 1}};
  for (const auto& e : right) {
    ASSERT_TRUE(circleInTriangle(e.a, e.b, e.c, &c));
    EXPECT_TRUE(isCircle(c, e.x, e.y, e.r, 1e-12)) << e.c.x;
  }
  // An obtuse triangle in all six vertex orders: one circle, touching all three sides.
  const TavPoint v[3] = {TavPoint(0, 0), TavPoint(10, 0), TavPoint(1, 2)};
  const double la = std::sqrt(85.0), lb = std::sqrt(5.0), lc = 10, s = la + lb + lc;
  const TavPoint inc((la * 0 + lb * 10 + lc * 1) / s, (lc * 2) / s);
  const int perm[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (const auto& p : perm) {
    ASSERT_TRUE(circleInTriangle(v[p[0]], v[p[1]], v[p[2]], &c));
    EXPECT_TRUE(isPt(c.center, inc.x, inc.y, 1e-12)) << p[0] << p[1];
    EXPECT_NEAR(c.radius, 20 / s, 1e-12);
  }
  const TavPoint bad[][3] = {{{0, 0}, {1, 1}, {2, 2}},
                             {{0, 0}, {2, 2}, {1, 1}},
                             {{3, 4}, {3, 4}, {0, 1}},
                             {{kNaN, 0}, {4, 0}, {0, 3}},
                             {{0, 0}, {kInf, 0}, {0, 3}}};
  for (const auto& p : bad) {
    c = TavCircle(TavPoint(-99, -98), 97);
    EXPECT_FALSE(circleInTriangle(p[0], p[1], p[2], &c)) << p[0].x << " " << p[1].x;
    EXPECT_TRUE(isCircle(c, 0, 0, 0)) << p[0].x << " " << p[1].x;
  }
  EXPECT_FALSE(circleInTriangle(TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3), nullptr));
  ASSERT_TRUE(circleInTriangle(TavPoint(0, 0), TavPoint(4e150, 0), TavPoint(0, 3e150), &c));
  EXPECT_TRUE(isCircle(c, 1e150, 1e150, 1e150, 1e138));
}

TEST(Circle, LineAndCircleIntersections) {
  const TavCircle o(TavPoint(0, 0), 5);
  const double h = 5 / kR2, s = 5 * kR2 + 1e-7;
  // Points beyond the count are zeroed. The tangent tolerance is 1e-5 on the quadratic's discriminant.
  const struct {
    TavCircle c;
    TavLine l;
    int n;
    TavPoint p0, p1;
  } lines[] = {{o, L(-10, 3, 10, 3), 2, {4, 3}, {-4, 3}},  // larger x first, whichever way the line points
               {o, L(10, 3, -10, 3), 2, {4, 3}, {-4, 3}},
               {o, L(-1, 1, 1, -1), 2, {h, -h}, {-h, h}},
               {o, L(3, 10, 3, -10), 2, {3, 4}, {3, -4}},  // vertical: larger y first
               {o, L(0, 1, 0, 1), 2, {0, 5}, {0, -5}},     // zero length: vertical through its point
               {o, L(5, -1, 5, 1), 1, {5, 0}, {0, 0}},
               {TavCircle(TavPoint(2, 7), 5), L(0, 12, 1, 12), 1, {2, 12}, {0, 0}},
               {o, L(6, -1, 6, 1), 0, {0, 0}, {0, 0}},
               {TavCircle(TavPoint(kNaN, 0), 5), L(-10, 3, 10, 3), 0, {0, 0}, {0, 0}},
               {TavCircle(TavPoint(0, 0), kInf), L(-10, 3, 10, 3), 0, {0, 0}, {0, 0}},
               {o, L(0, 0, kInf, 1), 0, {0, 0}, {0, 0}},
               {TavCircle(TavPoint(0, 0), 1e300), L(-1, 0, 1, 0), 0, {0, 0}, {0, 0}}};  // overflow
  for (std::size_t k = 0; k < sizeof lines / sizeof lines[0]; ++k) {
    const auto& e = lines[k];
    TavPoint pts[2] = {TavPoint(-9, -9), TavPoint(-9, -9)};
    int n = -1;
    circleLineIntersection(e.c, e.l, pts, &n);
    ASSERT_EQ(n, e.n) << k;
    EXPECT_TRUE(isPt(pts[0], e.p0.x, e.p0.y, n > 0 ? 1e-12 : 0)) << k;
    EXPECT_TRUE(isPt(pts[1], e.p1.x, e.p1.y, n > 1 ? 1e-12 : 0)) << k;
  }
  TavPoint pts[2];
  int n = -1;
  circleLineIntersection(o, L(3, -10, 3.000009, 10), pts, &n);  // within 1e-5 of vertical: at x2
  EXPECT_TRUE(n == 2 && pts[0].x == 3.000009 && pts[1].x == 3.000009);
  circleLineIntersection(o, L(5 - 1e-7, -1, 5 - 1e-7, 1), pts, &n);  // D = 4e-6 < 1e-5: one point
  EXPECT_TRUE(n == 1 && pts[0].y == 0.0);
  circleLineIntersection(o, L(4.99999, -1, 4.99999, 1), pts, &n);  // D = 4e-4: two
  EXPECT_EQ(n, 2);
  circleLineIntersection(o, L(0, s, 1, s - 1), pts, &n);  // slanted: the same tolerance
  EXPECT_EQ(n, 1);
  // Touching exactly: one point, written twice; apart or nested: the foot point on the line of centres.
  const struct {
    TavCircle a, b;
    int n;
    TavPoint p0, p1;
  } circles[] = {{{{0, 0}, 5}, {{8, 0}, 5}, 2, {4, 3}, {4, -3}},
                 {{{8, 0}, 5}, {{0, 0}, 5}, 2, {4, -3}, {4, 3}},  // swapping the circles swaps the points
                 {{{0, 0}, 5}, {{0, 8}, 5}, 2, {-3, 4}, {3, 4}},
                 {{{0, 0}, 4}, {{8, 0}, 4}, 1, {4, 0}, {4, 0}},
                 {{{0, 0}, 1}, {{8, 0}, 1}, 0, {4, 0}, {4, 0}},
                 {{{0, 0}, 10}, {{1, 0}, 2}, 0, {48.5, 0}, {48.5, 0}},
                 {{{2, 3}, 5}, {{2, 3}, 1}, 0, {2, 3}, {2, 3}}};
  for (std::size_t k = 0; k < sizeof circles / sizeof circles[0]; ++k) {
    const auto& e = circles[k];
    n = -1;
    circleCircleIntersection(e.a, e.b, pts, &n);
    ASSERT_EQ(n, e.n) << k;
    EXPECT_TRUE(isPt(pts[0], e.p0.x, e.p0.y, 1e-12)) << k;
    EXPECT_TRUE(isPt(pts[1], e.p1.x, e.p1.y, 1e-12)) << k;
  }
  // No tolerance on touching; centres 1e-200 apart (the squared distance underflows), non-finite or
  // overflowing input give no points.
  const struct {
    TavCircle a, b;
    int n;
  } counts[] = {{{{0, 0}, 4}, {{8, 0}, 4 + 1e-9}, 2},   {{{0, 0}, 4}, {{8, 0}, 4 - 1e-9}, 0},
                {{{2, 3}, 5}, {{2 + 1e-200, 3}, 5}, 0}, {{{kNaN, 0}, 5}, {{8, 0}, 5}, 0},
                {{{0, 0}, kInf}, {{8, 0}, 5}, 0},       {{{0, 0}, 5}, {{1e300, 0}, 1e300}, 0}};
  for (std::size_t k = 0; k < sizeof counts / sizeof counts[0]; ++k) {
    n = -1;
    circleCircleIntersection(counts[k].a, counts[k].b, pts, &n);
    EXPECT_EQ(n, counts[k].n) << k;
    EXPECT_TRUE(k != 2 || (std::isfinite(pts[0].x) && std::isfinite(pts[0].y))) << k;
  }
}

TEST(Arc, In3Points) {
  const TavPoint c(5, -3);
  const double deg = kPi / 180;
  // The middle point sets the direction: the short way or the long way round; reversed points reverse it.
  const struct {
    TavPoint p1, p2, p3;
    TavArc want;
    double tol;
  } cases[] = {
      {{1, 0}, {0, 1}, {-1, 0}, TavArc(TavPoint(0, 0), 1, 0, kPi), 1e-12},
      {{1, 0}, {0, -1}, {-1, 0}, TavArc(TavPoint(0, 0), 1, 0, -kPi), 1e-12},
      {{0, 1}, {-1, 0}, {0, -1}, TavArc(TavPoint(0, 0), 1, kHalfPi, kPi), 1e-12},  // first and last share x
      {onCircle(c, 7, 0), onCircle(c, 7, -10 * deg), onCircle(c, 7, -60 * deg), TavArc(c, 7, 0, -60 * deg),
       1e-10},
      {onCircle(c, 7, 0), onCircle(c, 7, 10 * deg), onCircle(c, 7, -60 * deg), TavArc(c, 7, 0, 300 * deg),
       1e-10},
      {onCircle(c, 7, -60 * deg), onCircle(c, 7, 10 * deg), onCircle(c, 7, 0),
       TavArc(c, 7, -60 * deg, -300 * deg), 1e-10},
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    TavArc a;
    ASSERT_TRUE(arcIn3Points(cases[k].p1, cases[k].p2, cases[k].p3, &a)) << k;
    EXPECT_TRUE(sameArc(a, cases[k].want, cases[k].tol)) << k;
  }
  TavArc a;  // four times the area exactly 1e-5 is enough
  ASSERT_TRUE(arcIn3Points(TavPoint(0, 0), TavPoint(1, 0), TavPoint(0, 5e-6), &a));
  EXPECT_TRUE(isPt(a.center, 0.5, 2.5e-6, 1e-12));
  EXPECT_NEAR(a.center.y, 2.5e-6, 1e-15);
  // Failures leave the output untouched. The last: collinear up to rounding far from the origin, a circle
  // of radius 3e16 on which the first and last points have one angle (found by fuzz_circles).
  const TavPoint bad[][3] = {{{0, 0}, {1, 1}, {2, 2}},
                             {{0, 0}, {0, 0}, {5, 3}},
                             {{0, 0}, {1, 0}, {0, 4.9e-6}},      // four times the area just below 1e-5
                             {{0, 0}, {4e-6, 1000}, {0, 2000}},  // not collinear, but all x within 1e-5
                             {{kNaN, 0}, {0, 1}, {-1, 0}},
                             {{kInf, 0}, {0, 1}, {-1, 0}},
                             {{1e200, 0}, {0, 1e200}, {-1e200, 0}},
                             {{4.6875, -0.0}, {2147483722.0, 75}, {-0.0, -0.0}}};
  for (std::size_t k = 0; k < sizeof bad / sizeof bad[0]; ++k) {
    const TavArc sentinel(TavPoint(11, 12), 13, 14, 15);
    a = sentinel;
    EXPECT_FALSE(arcIn3Points(bad[k][0], bad[k][1], bad[k][2], &a)) << k;
    EXPECT_TRUE(sameArc(a, sentinel, 0)) << k;
  }
  EXPECT_FALSE(arcIn3Points(TavPoint(1, 0), TavPoint(0, 1), TavPoint(-1, 0), nullptr));
}

TEST(Arc, TestPoint) {
  const TavPoint o(0, 0), p(10, 0);
  const double big = 1e20, r = std::fmod(big, kTwoPi);  // a huge start is taken modulo the turn
  // The start is included, the end excluded, the radial tolerance inclusive.
  const struct {
    TavArc arc;
    TavPoint p;
    double tol;
    bool want;
  } cases[] = {{TavArc(o, 10, kPi, kHalfPi), {-10, 0}, 0.5, true},
               {TavArc(o, 10, kPi, kHalfPi), {-7.07, -7.07}, 0.5, true},
               {TavArc(o, 10, kPi, kHalfPi), {0, 10}, 0.5, false},
               {TavArc(o, 10, kPi, kHalfPi), {0, -10.6}, 0.5, false},
               {TavArc(o, 10, kPi, kHalfPi), {0, -10.5}, 0.5, false},  // 3pi/2 is the end
               {TavArc(o, 10, 0, kHalfPi), {0, 10.5}, 0.5, false},
               {TavArc(o, 10, 0, kHalfPi), {10.5, 0}, 0.5, true},
               {TavArc(o, 10, 0, kHalfPi), {9.5, 0}, 0.5, true},
               {TavArc(o, 10, 0, kHalfPi), {10.5, 0}, 0.4999, false},
               {TavArc(o, 10, kHalfPi, -kHalfPi), {0, 10}, 0.1, true},  // negative sweep
               {TavArc(o, 10, kHalfPi, -kHalfPi), {10, 0}, 0.1, false},
               {TavArc(o, 10, kHalfPi, -kHalfPi), {7, 7}, 0.2, true},
               {TavArc(o, 10, kHalfPi, -kHalfPi), {-7, 7}, 0.2, false},
               {TavArc(o, 10, 0, 0), {10, 0}, 0.1, false},  // a zero sweep holds not even its start
               {TavArc(o, 10, kPi + 12 * kPi, kHalfPi), {-7, -7}, 0.2, true},
               {TavArc(o, 10, kPi - 12 * kPi, kHalfPi), {7, 7}, 0.2, false},
               {TavArc(o, 10, -10, 1), onCircle(o, 10, 3), 1e-9, true},  // -10 rad is 2.566 rad
               {TavArc(o, 10, -10, 1), onCircle(o, 10, 2), 1e-9, false},
               {TavArc(o, 10, 10, -1), onCircle(o, 10, 3), 1e-9, true},  // 10 rad is 3.717 rad
               {TavArc(o, 10, 10, -1), onCircle(o, 10, 2), 1e-9, false},
               {TavArc(o, 10, -kPi, 1), {-10, 0}, 1e-9, true},  // atan2 gives +pi, the start of this arc
               {TavArc(o, 10, kPi, -1), {-10, -0.0}, 1e-9, true},
               {TavArc(o, 10, kPi - 1, 1), {-10, 0}, 1e-9, false},  // but still the end of this one
               {TavArc(o, 10, big, 1), onCircle(o, 10, r + 0.5), 1e-9, true},
               {TavArc(o, 10, big, 1), onCircle(o, 10, r - 0.5), 1e-9, false},
               {TavArc(o, 10, big, 1), onCircle(o, 10, r + 1.5), 1e-9, false},
               {TavArc(o, 10, -big, -1), onCircle(o, 10, -r - 0.5), 1e-9, true},
               {TavArc(o, 10, -big, -1), onCircle(o, 10, -r + 0.5), 1e-9, false},
               {TavArc(o, 1, 1e300, 7), {1, 0}, 0.5, true},
               {TavArc(o, 10, kInf, 1), p, 0.1, false},  // infinite starts would unwrap for ever
               {TavArc(o, 10, -kInf, -1), p, 0.1, false},
               {TavArc(o, 10, kInf, -1), p, 0.1, false},
               {TavArc(o, 10, kNaN, 1), p, 0.1, false},
               {TavArc(o, 10, 0, kNaN), p, 0.1, false},
               {TavArc(o, 10, 2, kInf), p, 0.1, true},  // an infinite sweep covers every angle
               {TavArc(o, 10, 2, -kInf), p, 0.1, true},
               {TavArc(o, kNaN, 0, 1), p, 0.1, false},
               {TavArc(o, 10, 0, 1), p, kNaN, false},
               {TavArc(o, 10, 0, 1), {kNaN, 0}, kInf, false}};
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k)
    EXPECT_EQ(arcTestPoint(cases[k].arc, cases[k].p, cases[k].tol), cases[k].want) << k;
  for (double ang = -3; ang <= 3; ang += 0.5) {  // more than a full turn holds everything
    EXPECT_TRUE(arcTestPoint(TavArc(o, 10, 1, kTwoPi), onCircle(o, 10, ang), 1e-9)) << ang;
    EXPECT_TRUE(arcTestPoint(TavArc(o, 10, 1, -7), onCircle(o, 10, ang), 1e-9)) << ang;
  }
}

TEST(Arc, TestPointMatchesTheUnwrappedReference) {
  // Starts in [-pi, pi] (as arcIn3Points builds them): bit for bit, the ends included. Starts up to 500 rad,
  // reduced first past 64 turns, which may round differently at the ends: points near them are skipped.
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  int inside = 0, far = 0;
  for (int k = 0; k < 40000; ++k) {
    const bool near = k % 2 == 0;
    const double start = (u(rng) * 2 - 1) * (near ? kPi : 500), sweep = (u(rng) * 2 - 1) * 8;
    const TavArc arc(TavPoint(u(rng) * 100, u(rng) * 100), 1 + u(rng) * 50, start, sweep);
    const double ang = k % 8 == 0 ? start : k % 8 == 2 ? start + sweep : u(rng) * 2 * kPi - kPi;
    const TavPoint p = onCircle(arc.center, arc.radius + (near ? 0 : (u(rng) - 0.5) * 0.2), ang);
    if (!near && (std::fabs(std::remainder(ang - start, kTwoPi)) < 1e-9 ||
                  std::fabs(std::remainder(ang - start - sweep, kTwoPi)) < 1e-9))
      continue;
    const double tol = near ? 1e-9 : 0.05;
    const bool want = tavref::arcTestPointUnwrapped(arc, p, tol);
    ASSERT_EQ(arcTestPoint(arc, p, tol), want) << "start " << start << " sweep " << sweep;
    inside += want;
    far += std::fabs(start) > 64 * kTwoPi;
  }
  EXPECT_GT(inside, 7000);
  EXPECT_GT(far, 2000);
}

TEST(Arc, PointAlongAndPolyline) {
  const struct {
    TavArc arc;
    double len, x, y;
  } cases[] = {
      {TavArc(TavPoint(0, 0), 1, 0, -1), kHalfPi, 0, -1}, {TavArc(TavPoint(1, 1), 2, kHalfPi, 1), kPi, -1, 1},
      {TavArc(TavPoint(0, 0), 2, 0, 0), kPi, 0, 2},      // a zero sweep runs toward increasing angle
      {TavArc(TavPoint(0, 0), 2, 0, 0.5), -kPi, 0, -2},  // negative lengths go backward
      {TavArc(TavPoint(3, 4), 0, 0, 1), 5, kNaN, kNaN},   {TavArc(TavPoint(3, 4), 0, 0, 1), 0, kNaN, kNaN},
      {TavArc(TavPoint(0, 0), 1, 0, 1), kInf, kNaN, kNaN}};
  for (const auto& c : cases) {
    TavPoint out;
    arcPointAlong(c.arc, c.len, &out);
    EXPECT_TRUE(std::isnan(c.x) ? std::isnan(out.x) && std::isnan(out.y) : isPt(out, c.x, c.y, 1e-15))
        << c.arc.radius << " " << c.len;
  }
  TavPoint out;
  arcPointAlong(TavArc(TavPoint(0, 0), 1, 0, 1), 1e308, &out);
  EXPECT_NEAR(std::hypot(out.x, out.y), 1.0, 1e-15);
  TavPoint pts[2] = {TavPoint(), TavPoint(-7, -7)};
  arcToPolyline(TavArc(TavPoint(0, 0), 3, kPi, 1), pts, 1);  // one point: only the start is written
  EXPECT_TRUE(isPt(pts[0], -3, 0, 1e-15));
  EXPECT_EQ(pts[1].x, -7.0);
  arcToPolyline(TavArc(TavPoint(0, 0), 3, kPi, 1), nullptr, 0);
}

namespace {
// Single precision as the rotator does it: float differences and float sine and cosine, double products
// and sums, one rounding to float at the end.
void referenceRotateF(float cx, float cy, float a, float* px, float* py) {
  const float dx = *px - cx, dy = *py - cy;
  const double c = static_cast<float>(std::cos(static_cast<double>(a)));
  const double s = static_cast<float>(std::sin(static_cast<double>(a)));
  *px = static_cast<float>(c * static_cast<double>(dx) - s * static_cast<double>(dy) + cx);
  *py = static_cast<float>(s * static_cast<double>(dx) + c * static_cast<double>(dy) + cy);
}
}  // namespace

TEST(Rotator, IdentityFloatRoundingAndOverflow) {
  static_assert(sizeof(CTavRotator) == 3 * sizeof(double) && sizeof(CTavRotatorF) == 3 * sizeof(float),
                "three fields only");
  const CTavRotator id;
  double x = 12.5, y = -3.25;
  id.rotate(&x, &y);
  EXPECT_TRUE(id.x() == 0 && id.y() == 0 && id.a() == 0 && x == 12.5 && y == -3.25);
  float fx = 806.740234f, fy = -424.449341f;  // all in float, or all in double, gives another x
  CTavRotatorF(-761.019043f, -739.942871f, 0.198395252f).rotate(&fx, &fy);
  EXPECT_EQ(fx, 713.804626f);
  unsigned state = 12345u;
  auto next = [&state]() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(static_cast<int>(state >> 8) % 200001 - 100000) / 64.0f;
  };
  for (int i = 0; i < 20000; ++i) {
    const float cx = next(), cy = next(), a = next() / 1000.0f;
    float px = next(), py = next(), ex = px, ey = py;
    CTavRotatorF r;
    r.set(cx, cy, a);
    r.rotate(&px, &py);
    referenceRotateF(cx, cy, a, &ex, &ey);
    ASSERT_TRUE(px == ex && py == ey) << i;
  }
  const float big = std::numeric_limits<float>::max();
  fx = big, fy = big;  // x = -big * (1 + 4.4e-8) in double: past the float range
  CTavRotatorF(0.0f, 0.0f, static_cast<float>(kHalfPi)).rotate(&fx, &fy);
  EXPECT_EQ(fx, -std::numeric_limits<float>::infinity());
  fx = 1.0f, fy = 2.0f;
  CTavRotatorF(0.0f, 0.0f, std::numeric_limits<float>::quiet_NaN()).rotate(&fx, &fy);
  EXPECT_TRUE(std::isnan(fx) && std::isnan(fy));
  x = -1e308, y = 1e308;  // the differences overflow
  CTavRotator(1e308, -1e308, 1.0).rotate(&x, &y);
  EXPECT_TRUE(x == -kInf && std::isnan(y));
  x = 1, y = 2;
  CTavRotator(0, 0, kInf).rotate(&x, &y);
  EXPECT_TRUE(std::isnan(x));
}
