#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "check.h"

using namespace NTavGeometry;
using tavtest::isLine;
using tavtest::isPt;

namespace {
constexpr double kPi = 3.141592653589793;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

void expectRect(const TavRect& r, double x, double y, double w, double h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.width, w);
  EXPECT_EQ(r.height, h);
  EXPECT_EQ(r.angle, 0.0);
}
}  // namespace

TEST(Point, MiddleDistanceAngle) {
  TavPoint m;
  pointsToMiddle(TavPoint(1, 2), TavPoint(4, -6), &m);
  EXPECT_TRUE(isPt(m, 2.5, -2));
  EXPECT_EQ(pointPointDist(TavPoint(0, 0), TavPoint(3, 4)), 5.0);
  EXPECT_EQ(pointPointDist(TavPoint(1e300, 0), TavPoint(-1e300, 0)), 2e300);  // no overflow
  EXPECT_EQ(pointPointAngle(TavPoint(0, 0), TavPoint(0.005, 0.005)), 0.0);    // closer than 0.01
  EXPECT_EQ(pointPointAngle(TavPoint(0, 0), TavPoint(0, 0.02)), kPi / 2);
  EXPECT_EQ(pointPointAngle(TavPoint(0, 0), TavPoint(0, 0.01)), kPi / 2);  // 0.01 * 0.01 == 1e-4: not below
  EXPECT_EQ(pointPointAngle(TavPoint(0, 0), TavPoint(0, 1)), kPi / 2);     // +y is positive
  EXPECT_EQ(pointPointAngle(TavPoint(0, 0), TavPoint(-1, 0)), kPi);
  EXPECT_EQ(pointPointAngle(TavPoint(0, 0), TavPoint(0, -1)), -kPi / 2);
  // atan2 of a negative-zero dy toward -x is -pi, the one angle outside (-pi, pi].
  EXPECT_EQ(pointPointAngle(TavPoint(0, 0), TavPoint(-1, -0.0)), -kPi);
  EXPECT_EQ(pointPointAngle(TavPoint(0, -0.0), TavPoint(-1, 0)), kPi);
  EXPECT_EQ(lineAngle(TavLine(TavPoint(1, 1), TavPoint(1.001, 1.009))), 0.0);
  EXPECT_EQ(lineAngle(TavLine(TavPoint(1, 1), TavPoint(0, 2))), 3 * kPi / 4);
}

TEST(Point, DistanceIsCorrectlyRoundedAndScaleFree) {
  // Half-integer coordinates below 2^24 have squares whose sum is exact in a
  // double, so the correctly rounded distance is IEEE sqrt of that sum. Scaling
  // both points by 2^k must scale the distance exactly (the branches for huge
  // and tiny operands); pointPointDistAngle gives the same distance.
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> half(-(1 << 25), 1 << 25);
  for (int i = 0; i < 20000; ++i) {
    const double x = half(rng) * 0.5, y = half(rng) * 0.5;
    const double want = std::sqrt(x * x + y * y);
    ASSERT_EQ(pointPointDist(TavPoint(x, y), TavPoint()), want) << x << " " << y;
    for (const double k : {0x1p-1000, 0x1p-600, 0x1p+600, 0x1p+900})
      ASSERT_EQ(pointPointDist(TavPoint(x * k, y * k), TavPoint()), want * k) << x << " " << y << " " << k;
    double angle = 0.0, dist = 0.0;
    pointPointDistAngle(TavPoint(), TavPoint(x, y), &angle, &dist);
    ASSERT_EQ(dist, want);
  }
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  const double tiny = std::numeric_limits<double>::denorm_min(), big = std::numeric_limits<double>::max();
  struct Case {
    double x, y, want;
  } cases[] = {{inf, nan, inf},   {nan, -inf, inf},  {nan, 1.0, nan},   {0.0, -0.0, 0.0},
               {-big, 0.0, big},  {tiny, 0.0, tiny}, {tiny, tiny, tiny}, {big, big, inf},
               {3e-320, 4e-320, 5e-320}, {0x1p-1022, 0x1p-1022, 0x1.6a09e667f3bcdp-1022}};
  for (const Case& c : cases) {
    const double got = pointPointDist(TavPoint(c.x, c.y), TavPoint());
    if (std::isnan(c.want)) {
      EXPECT_TRUE(std::isnan(got)) << c.x << " " << c.y;
    } else {
      EXPECT_EQ(got, c.want) << c.x << " " << c.y;
    }
  }
}

TEST(Point, DistAngleWritesAngleToThirdArgument) {
  double third = -1, fourth = -1;
  pointPointDistAngle(TavPoint(0, 0), TavPoint(0, 2), &third, &fourth);
  EXPECT_EQ(third, kPi / 2);
  EXPECT_EQ(fourth, 2.0);
  pointPointDistAngle(TavPoint(1, 1), TavPoint(1, 1), &third, &fourth);
  EXPECT_EQ(third, 0.0);
  EXPECT_EQ(fourth, 0.0);
  pointPointDistAngle(TavPoint(0, 0), TavPoint(0.001, 0.001), &third, &fourth);  // no tolerance
  EXPECT_EQ(third, kPi / 4);
}

TEST(Point, PointOnLineBranches) {
  const struct {
    TavPoint a, b;
    double s, x, y, tol;
  } cases[] = {
      {{1, 1}, {1, 1}, 3, 1, -2, 0},  // coincident: vertical, downward branch
      {{1, 1}, {1, 5}, 3, 1, 4, 0},      {{1, 1}, {-4, 1}, 2, -1, 1, 0},      {{1, 1}, {6, 1}, 2, 3, 1, 0},
      {{0, 0}, {3, 4}, 10, 6, 8, 1e-15}, {{0, 0}, {3, 4}, -5, -3, -4, 1e-15},
  };
  for (const auto& c : cases) {
    TavPoint out;
    pointOnLine(c.a, c.b, c.s, &out);
    EXPECT_TRUE(isPt(out, c.x, c.y, c.tol)) << c.b.x << " " << c.b.y << " " << c.s;
  }
}

TEST(Point, RotateTurnsPositiveXTowardPositiveY) {
  TavPoint p(2, 1);
  pointRotate(TavPoint(1, 1), kPi / 2, &p);
  EXPECT_TRUE(isPt(p, 1, 2, 1e-15));
  TavPoint q(3, 4);
  pointRotate(TavPoint(0, 0), kPi, &q);
  EXPECT_TRUE(isPt(q, -3, -4, 1e-15));
}

TEST(Point, AngleToLineHasLength10000) {
  TavLine l;
  pointAngleToLine(TavPoint(1, 2), kPi / 2, &l);
  EXPECT_TRUE(isPt(l.p1, 1, 2));
  EXPECT_NEAR(l.p2.x, 1.0, 1e-9);
  EXPECT_EQ(l.p2.y, 10002.0);
  pointAngleToLine(l.p2, 0.0, &l);  // input aliases the output
  EXPECT_EQ(l.p1.y, 10002.0);
  EXPECT_EQ(l.p2.y, 10002.0);
  EXPECT_NEAR(l.p2.x, 10001.0, 1e-9);
}

TEST(Point, PointLineDistUsesTheInfiniteLine) {
  const TavLine axis(TavPoint(0, 0), TavPoint(10, 0));
  EXPECT_EQ(pointLineDist(TavPoint(0, 5), axis), 5.0);
  EXPECT_EQ(pointLineDist(TavPoint(20, -5), axis), 5.0);  // unsigned, beyond the end
  EXPECT_EQ(pointLineDist(TavPoint(3, 4), TavLine(TavPoint(0, 0), TavPoint(0, 0))), 5.0);
  EXPECT_EQ(pointLineDist(TavPoint(3, 4), TavLine(TavPoint(0, 0), TavPoint(0, 5e-9))), 5.0);  // < 1e-8
  // A length of exactly 1e-8 is long enough for the line formula.
  EXPECT_NEAR(pointLineDist(TavPoint(3, 4), TavLine(TavPoint(0, 0), TavPoint(0, 1e-8))), 3.0, 1e-12);
  EXPECT_NEAR(pointLineDist(TavPoint(0, 2), TavLine(TavPoint(0, 0), TavPoint(1, 1))), std::sqrt(2.0), 1e-15);
}

TEST(Point, AngleBisectClearsOutputAndRejectsEqualPoints) {
  TavLine out(TavPoint(9, 9), TavPoint(9, 9));
  EXPECT_TRUE(pointsToAngleBisect(TavPoint(1, 0), TavPoint(0, 1), TavPoint(0, 0), &out));
  EXPECT_TRUE(isLine(out, 0, 0, 0.5, 0.5));
  out = TavLine(TavPoint(9, 9), TavPoint(9, 9));
  EXPECT_FALSE(pointsToAngleBisect(TavPoint(1, 0), TavPoint(1, 0), TavPoint(0, 0), &out));
  EXPECT_TRUE(isLine(out, 0, 0, 0, 0));
  out = TavLine(TavPoint(9, 9), TavPoint(9, 9));
  EXPECT_FALSE(pointsToAngleBisect(TavPoint(1, 0), TavPoint(0, 0), TavPoint(0, 0), &out));
  EXPECT_TRUE(isLine(out, 0, 0, 0, 0));
  // First equal to third is allowed.
  EXPECT_TRUE(pointsToAngleBisect(TavPoint(0, 0), TavPoint(2, 0), TavPoint(0, 0), &out));
}

TEST(Point, InRectIncludesEveryEdge) {
  const TavRect r(0, 0, 10, 5, 1.0);  // angle ignored
  EXPECT_TRUE(pointInRect(TavPoint(10, 5), r));
  EXPECT_TRUE(pointInRect(TavPoint(0, 0), r));
  EXPECT_FALSE(pointInRect(TavPoint(10.000001, 5), r));
  EXPECT_FALSE(pointInRect(TavPoint(5, -0.000001), r));
  EXPECT_FALSE(pointInRect(TavPoint(kNaN, 1), r));
}

TEST(Point, BBoxTruncatesTowardZero) {
  TavRect box(7, 7, 7, 7, 7);
  const TavPoint two[] = {TavPoint(2.9, 3.1), TavPoint(5.5, 7.9)};
  pointsToBBox(two, 2, &box);
  expectRect(box, 2, 3, 4, 5);
  const TavPoint one[] = {TavPoint(4.2, 4.7)};
  pointsToBBox(one, 1, &box);
  expectRect(box, 4, 4, 1, 1);
  box = TavRect(7, 7, 7, 7, 7);
  pointsToBBox(two, 0, &box);
  expectRect(box, 0, 0, 0, 0);
  const TavPoint neg[] = {TavPoint(-2.9, 1), TavPoint(-0.5, 2)};  // -2.9 -> -2, -0.5 -> 0
  pointsToBBox(neg, 2, &box);
  expectRect(box, -2, 1, 3, 2);
}

TEST(Point, BBoxContainsNegativeAndLargeCoordinates) {
  TavRect box;
  const TavPoint neg[] = {TavPoint(-30, -40), TavPoint(-10, -20)};
  pointsToBBox(neg, 2, &box);
  expectRect(box, -30, -40, 21, 21);
  const TavPoint big[] = {TavPoint(2e7, 3e7), TavPoint(2e7 + 5.5, 3e7 + 1)};
  pointsToBBox(big, 2, &box);
  expectRect(box, 2e7, 3e7, 6, 2);
}

TEST(Point, BBoxOfNonFiniteCoordinatesIsDefined) {
  TavRect box;
  const TavPoint pts[] = {TavPoint(kNaN, 1), TavPoint(3, kNaN), TavPoint(5, 2)};
  pointsToBBox(pts, 3, &box);
  expectRect(box, 3, 1, 3, 2);  // NaN coordinates are ignored
  const TavPoint inf[] = {TavPoint(-kInf, 0), TavPoint(kInf, 1e300)};
  pointsToBBox(inf, 2, &box);
  expectRect(box, INT_MIN, 0, 4294967296.0, static_cast<double>(INT_MAX) + 1);  // saturated
  const TavPoint allNaN[] = {TavPoint(kNaN, kNaN)};
  pointsToBBox(allNaN, 1, &box);
  expectRect(box, 0, 0, 0, 0);
}
