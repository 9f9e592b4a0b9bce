#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "reference/circle_reference.h"

using namespace NTavGeometry;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

void expectZero(const TavCircle& c) {
  EXPECT_EQ(c.center.x, 0.0);
  EXPECT_EQ(c.center.y, 0.0);
  EXPECT_EQ(c.radius, 0.0);
}

void expectPoint(const TavPoint& p, double x, double y, double tol = 1e-12) {
  EXPECT_NEAR(p.x, x, tol);
  EXPECT_NEAR(p.y, y, tol);
}

const TavCircle kGarbage(TavPoint(-99, -98), 97);

// Incentre as the side-length-weighted mean of the vertices.
TavPoint incentre(const TavPoint& a, const TavPoint& b, const TavPoint& c) {
  const double la = std::hypot(b.x - c.x, b.y - c.y);
  const double lb = std::hypot(c.x - a.x, c.y - a.y);
  const double lc = std::hypot(a.x - b.x, a.y - b.y);
  const double s = la + lb + lc;
  return TavPoint((la * a.x + lb * b.x + lc * c.x) / s, (la * a.y + lb * b.y + lc * c.y) / s);
}

double angleAt(const TavPoint& v, const TavPoint& p, const TavPoint& q) {
  const double ux = p.x - v.x, uy = p.y - v.y, wx = q.x - v.x, wy = q.y - v.y;
  return std::atan2(std::fabs(ux * wy - uy * wx), ux * wx + uy * wy);
}
}  // namespace

TEST(Circle, In3PointsOrderingsAndBranches) {
  TavCircle c = kGarbage;
  ASSERT_TRUE(circleIn3Points(TavPoint(0, 0), TavPoint(2, 2), TavPoint(4, 0), &c));
  expectPoint(c.center, 2, 0);
  EXPECT_NEAR(c.radius, 2, 1e-12);
  // Right angle: vertical first chord, horizontal second chord.
  ASSERT_TRUE(circleIn3Points(TavPoint(0, 0), TavPoint(0, 2), TavPoint(2, 2), &c));
  EXPECT_EQ(c.center.x, 1.0);
  EXPECT_EQ(c.center.y, 1.0);
  EXPECT_EQ(c.radius, std::sqrt(2.0));
  // The same right angle reached only through the fourth ordering (p2, p3, p1).
  ASSERT_TRUE(circleIn3Points(TavPoint(2, 2), TavPoint(0, 0), TavPoint(0, 2), &c));
  EXPECT_EQ(c.center.x, 1.0);
  EXPECT_EQ(c.center.y, 1.0);
  // The right-angle branch takes x from q2, q3 and y from q1, q2 as they are.
  ASSERT_TRUE(circleIn3Points(TavPoint(0, 0), TavPoint(1e-6, 2), TavPoint(2, 2 + 1e-6), &c));
  EXPECT_EQ(c.center.x, (1e-6 + 2) * 0.5);
  EXPECT_EQ(c.center.y, 1.0);
  // Three equal points take the right-angle branch: a circle of radius 0.
  c = kGarbage;
  ASSERT_TRUE(circleIn3Points(TavPoint(1, 1), TavPoint(1, 1), TavPoint(1, 1), &c));
  EXPECT_EQ(c.center.x, 1.0);
  EXPECT_EQ(c.center.y, 1.0);
  EXPECT_EQ(c.radius, 0.0);
  // Huge but representable points still give their circle.
  const TavPoint h1(-1e300, 1e300), h2(1e300, 3e300), h3(3e300, -2e300);
  ASSERT_TRUE(circleIn3Points(h1, h2, h3, &c));
  EXPECT_NEAR(pointPointDist(c.center, h1) / c.radius, 1, 1e-12);
  EXPECT_NEAR(pointPointDist(c.center, h2) / c.radius, 1, 1e-12);
  EXPECT_NEAR(pointPointDist(c.center, h3) / c.radius, 1, 1e-12);
  // A zero first chord counts as vertical.
  ASSERT_TRUE(circleIn3Points(TavPoint(0, 0), TavPoint(0, 0), TavPoint(5, 0), &c));
  expectPoint(c.center, 2.5, 0);
  EXPECT_EQ(c.radius, 2.5);
  // Horizontal first chord: the second ordering (p1, p3, p2) is used.
  ASSERT_TRUE(circleIn3Points(TavPoint(0, 0), TavPoint(4, 0), TavPoint(2, 2), &c));
  expectPoint(c.center, 2, 0);
  EXPECT_NEAR(c.radius, 2, 1e-12);
  // A general circle.
  ASSERT_TRUE(circleIn3Points(TavPoint(3 + 5 * std::cos(0.3), -1 + 5 * std::sin(0.3)),
                              TavPoint(3 + 5 * std::cos(2.0), -1 + 5 * std::sin(2.0)),
                              TavPoint(3 + 5 * std::cos(-2.5), -1 + 5 * std::sin(-2.5)), &c));
  expectPoint(c.center, 3, -1, 1e-9);
  EXPECT_NEAR(c.radius, 5, 1e-9);
}

TEST(Circle, In3PointsFailuresGiveZeroCircle) {
  TavCircle c = kGarbage;
  EXPECT_FALSE(circleIn3Points(TavPoint(0, 0), TavPoint(1, 1), TavPoint(2, 2), &c));
  expectZero(c);
  c = kGarbage;
  EXPECT_FALSE(circleIn3Points(TavPoint(0, 0), TavPoint(0, 5), TavPoint(0, 9), &c));  // vertical line
  expectZero(c);
  c = kGarbage;
  EXPECT_FALSE(circleIn3Points(TavPoint(kNaN, 0), TavPoint(2, 2), TavPoint(4, 0), &c));
  expectZero(c);
  c = kGarbage;
  EXPECT_FALSE(circleIn3Points(TavPoint(0, 0), TavPoint(kInf, 2), TavPoint(4, 1), &c));
  expectZero(c);
  // Slope products that overflow give no circle.
  c = kGarbage;
  EXPECT_FALSE(circleIn3Points(TavPoint(0, 0), TavPoint(1, 1e300), TavPoint(2, -1e300), &c));
  expectZero(c);
  EXPECT_FALSE(circleIn3Points(TavPoint(0, 0), TavPoint(2, 2), TavPoint(4, 0), nullptr));
  // The output may be one of the inputs.
  c = TavCircle(TavPoint(4, 0), 1);
  ASSERT_TRUE(circleIn3Points(TavPoint(0, 0), TavPoint(2, 2), c.center, &c));
  expectPoint(c.center, 2, 0);
}

TEST(Circle, InTriangleIsInscribedAtEveryAngle) {
  TavCircle c = kGarbage;
  ASSERT_TRUE(circleInTriangle(TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3), &c));
  expectPoint(c.center, 1, 1);
  EXPECT_NEAR(c.radius, 1, 1e-12);
  // Right angle at pb, then at pc (the outer bisector there gives another circle).
  ASSERT_TRUE(circleInTriangle(TavPoint(0, 0), TavPoint(4, 0), TavPoint(4, 3), &c));
  expectPoint(c.center, 3, 1);
  EXPECT_NEAR(c.radius, 1, 1e-12);
  ASSERT_TRUE(circleInTriangle(TavPoint(4, 3), TavPoint(0, 0), TavPoint(4, 0), &c));
  expectPoint(c.center, 3, 1);
  EXPECT_NEAR(c.radius, 1, 1e-12);
  // An obtuse triangle in all six vertex orders gives one circle.
  const TavPoint v[3] = {TavPoint(0, 0), TavPoint(10, 0), TavPoint(1, 2)};
  const TavPoint inc = incentre(v[0], v[1], v[2]);
  const int perm[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (const auto& p : perm) {
    ASSERT_TRUE(circleInTriangle(v[p[0]], v[p[1]], v[p[2]], &c));
    expectPoint(c.center, inc.x, inc.y, 1e-12);
    EXPECT_NEAR(c.radius, pointLineDist(inc, TavLine(v[1], v[2])), 1e-12);
    EXPECT_NEAR(c.radius, pointLineDist(inc, TavLine(v[2], v[0])), 1e-12);
  }
}

TEST(Circle, InTriangleRandomTriangles) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> u(-500.0, 500.0);
  int acute = 0, other = 0;
  for (int k = 0; k < 5000; ++k) {
    const TavPoint a(u(rng), u(rng)), b(u(rng), u(rng)), c(u(rng), u(rng));
    const double area2 = std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
    const double longest =
        std::fmax(pointPointDist(a, b), std::fmax(pointPointDist(b, c), pointPointDist(c, a)));
    if (area2 < 1e-3 * longest * longest) continue;  // keep the triangles well shaped
    TavCircle got;
    ASSERT_TRUE(circleInTriangle(a, b, c, &got));
    const TavPoint inc = incentre(a, b, c);
    ASSERT_NEAR(got.center.x, inc.x, 1e-8);
    ASSERT_NEAR(got.center.y, inc.y, 1e-8);
    ASSERT_NEAR(got.radius, area2 / (pointPointDist(a, b) + pointPointDist(b, c) + pointPointDist(c, a)),
                1e-8);
    const double right = 1.5707963267948966;
    if (angleAt(b, a, c) < right - 1e-3 && angleAt(c, a, b) < right - 1e-3) {
      // Where the bisectors of lineLineBisect are the inner ones, the result
      // is the same circle as theirs, up to rounding.
      TavCircle ref;
      ASSERT_TRUE(tavref::circleInTriangleByLineBisect(a, b, c, &ref));
      ASSERT_NEAR(got.center.x, ref.center.x, 1e-8);
      ASSERT_NEAR(got.center.y, ref.center.y, 1e-8);
      ASSERT_NEAR(got.radius, ref.radius, 1e-8);
      ++acute;
    } else {
      ++other;
    }
  }
  EXPECT_GT(acute, 1000);
  EXPECT_GT(other, 1000);
}

TEST(Circle, InTriangleDegenerateInputGivesZeroCircle) {
  TavCircle c = kGarbage;
  EXPECT_FALSE(circleInTriangle(TavPoint(0, 0), TavPoint(1, 1), TavPoint(2, 2), &c));
  expectZero(c);
  c = kGarbage;
  EXPECT_FALSE(circleInTriangle(TavPoint(0, 0), TavPoint(2, 2), TavPoint(1, 1), &c));  // middle last
  expectZero(c);
  c = kGarbage;
  EXPECT_FALSE(circleInTriangle(TavPoint(3, 4), TavPoint(3, 4), TavPoint(0, 1), &c));
  expectZero(c);
  c = kGarbage;
  EXPECT_FALSE(circleInTriangle(TavPoint(kNaN, 0), TavPoint(4, 0), TavPoint(0, 3), &c));
  expectZero(c);
  c = kGarbage;
  EXPECT_FALSE(circleInTriangle(TavPoint(0, 0), TavPoint(kInf, 0), TavPoint(0, 3), &c));
  expectZero(c);
  EXPECT_FALSE(circleInTriangle(TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3), nullptr));
  // Huge but finite triangles still work.
  ASSERT_TRUE(circleInTriangle(TavPoint(0, 0), TavPoint(4e150, 0), TavPoint(0, 3e150), &c));
  EXPECT_NEAR(c.center.x / 1e150, 1, 1e-12);
  EXPECT_NEAR(c.radius / 1e150, 1, 1e-12);
}

TEST(Circle, LineIntersectionOrderAndCounts) {
  const TavCircle circle(TavPoint(0, 0), 5);
  TavPoint pts[2] = {TavPoint(-9, -9), TavPoint(-9, -9)};
  int n = -1;
  circleLineIntersection(circle, TavLine(TavPoint(-10, 3), TavPoint(10, 3)), pts, &n);
  ASSERT_EQ(n, 2);
  expectPoint(pts[0], 4, 3);  // larger x first
  expectPoint(pts[1], -4, 3);
  // The order does not depend on the line's direction.
  circleLineIntersection(circle, TavLine(TavPoint(10, 3), TavPoint(-10, 3)), pts, &n);
  ASSERT_EQ(n, 2);
  expectPoint(pts[0], 4, 3);
  // A falling line: still larger x first.
  circleLineIntersection(circle, TavLine(TavPoint(-1, 1), TavPoint(1, -1)), pts, &n);
  ASSERT_EQ(n, 2);
  expectPoint(pts[0], 5 / std::sqrt(2.0), -5 / std::sqrt(2.0));
  expectPoint(pts[1], -5 / std::sqrt(2.0), 5 / std::sqrt(2.0));
  // Vertical: larger y first, whichever way the line points.
  circleLineIntersection(circle, TavLine(TavPoint(3, 10), TavPoint(3, -10)), pts, &n);
  ASSERT_EQ(n, 2);
  expectPoint(pts[0], 3, 4);
  expectPoint(pts[1], 3, -4);
  // Within 1e-5 of vertical counts as vertical, at the x of p2.
  circleLineIntersection(circle, TavLine(TavPoint(3, -10), TavPoint(3.000009, 10)), pts, &n);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(pts[0].x, 3.000009);
  EXPECT_EQ(pts[1].x, 3.000009);
  // Tangent: one point, the unused entry zeroed.
  pts[1] = TavPoint(-9, -9);
  circleLineIntersection(circle, TavLine(TavPoint(5, -1), TavPoint(5, 1)), pts, &n);
  ASSERT_EQ(n, 1);
  expectPoint(pts[0], 5, 0);
  EXPECT_EQ(pts[1].x, 0.0);
  EXPECT_EQ(pts[1].y, 0.0);
  circleLineIntersection(TavCircle(TavPoint(2, 7), 5), TavLine(TavPoint(0, 12), TavPoint(1, 12)), pts, &n);
  ASSERT_EQ(n, 1);
  expectPoint(pts[0], 2, 12);
  // Missing: nothing, both entries zeroed.
  pts[0] = pts[1] = TavPoint(-9, -9);
  circleLineIntersection(circle, TavLine(TavPoint(6, -1), TavPoint(6, 1)), pts, &n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(pts[0].x, 0.0);
  EXPECT_EQ(pts[1].y, 0.0);
  // A zero-length line is taken as vertical through its point.
  circleLineIntersection(circle, TavLine(TavPoint(0, 1), TavPoint(0, 1)), pts, &n);
  ASSERT_EQ(n, 2);
  expectPoint(pts[0], 0, 5);
}

TEST(Circle, LineIntersectionNonFiniteGivesNoPoints) {
  TavPoint pts[2];
  int n = -1;
  circleLineIntersection(TavCircle(TavPoint(kNaN, 0), 5), TavLine(TavPoint(-10, 3), TavPoint(10, 3)), pts,
                         &n);
  EXPECT_EQ(n, 0);
  n = -1;
  circleLineIntersection(TavCircle(TavPoint(0, 0), kInf), TavLine(TavPoint(-10, 3), TavPoint(10, 3)), pts,
                         &n);
  EXPECT_EQ(n, 0);
  n = -1;
  circleLineIntersection(TavCircle(TavPoint(0, 0), 5), TavLine(TavPoint(0, 0), TavPoint(kInf, 1)), pts, &n);
  EXPECT_EQ(n, 0);
  n = -1;
  circleLineIntersection(TavCircle(TavPoint(0, 0), 1e300), TavLine(TavPoint(-1, 0), TavPoint(1, 0)), pts, &n);
  EXPECT_EQ(n, 0);  // the coefficients overflow
  EXPECT_TRUE(std::isfinite(pts[0].x) && std::isfinite(pts[1].x));
}

TEST(Circle, CircleIntersectionSidesAndCounts) {
  TavPoint pts[2];
  int n = -1;
  circleCircleIntersection(TavCircle(TavPoint(0, 0), 5), TavCircle(TavPoint(8, 0), 5), pts, &n);
  ASSERT_EQ(n, 2);
  expectPoint(pts[0], 4, 3);
  expectPoint(pts[1], 4, -3);
  // Swapping the circles swaps the points.
  circleCircleIntersection(TavCircle(TavPoint(8, 0), 5), TavCircle(TavPoint(0, 0), 5), pts, &n);
  ASSERT_EQ(n, 2);
  expectPoint(pts[0], 4, -3);
  expectPoint(pts[1], 4, 3);
  // Centres along +y: pts[0] is on the -x side.
  circleCircleIntersection(TavCircle(TavPoint(0, 0), 5), TavCircle(TavPoint(0, 8), 5), pts, &n);
  ASSERT_EQ(n, 2);
  expectPoint(pts[0], -3, 4);
  expectPoint(pts[1], 3, 4);
  // Touching exactly: one point, written twice.
  circleCircleIntersection(TavCircle(TavPoint(0, 0), 4), TavCircle(TavPoint(8, 0), 4), pts, &n);
  ASSERT_EQ(n, 1);
  expectPoint(pts[0], 4, 0);
  expectPoint(pts[1], 4, 0);
  // Apart: the foot point between them.
  circleCircleIntersection(TavCircle(TavPoint(0, 0), 1), TavCircle(TavPoint(8, 0), 1), pts, &n);
  EXPECT_EQ(n, 0);
  expectPoint(pts[0], 4, 0);
  expectPoint(pts[1], 4, 0);
  // Nested: the foot lies on the line of centres, outside both circles.
  circleCircleIntersection(TavCircle(TavPoint(0, 0), 10), TavCircle(TavPoint(1, 0), 2), pts, &n);
  EXPECT_EQ(n, 0);
  expectPoint(pts[0], 48.5, 0);
  expectPoint(pts[1], 48.5, 0);
}

TEST(Circle, CircleIntersectionConcentricAndNonFinite) {
  TavPoint pts[2] = {TavPoint(-9, -9), TavPoint(-9, -9)};
  int n = -1;
  circleCircleIntersection(TavCircle(TavPoint(2, 3), 5), TavCircle(TavPoint(2, 3), 5), pts, &n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(pts[0].x, 2.0);
  EXPECT_EQ(pts[0].y, 3.0);
  EXPECT_EQ(pts[1].x, 2.0);
  EXPECT_EQ(pts[1].y, 3.0);
  circleCircleIntersection(TavCircle(TavPoint(2, 3), 5), TavCircle(TavPoint(2, 3), 1), pts, &n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(pts[1].x, 2.0);
  // Centres 1e-200 apart: the squared distance underflows to 0.
  n = -1;
  circleCircleIntersection(TavCircle(TavPoint(2, 3), 5), TavCircle(TavPoint(2 + 1e-200, 3), 5), pts, &n);
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(std::isfinite(pts[0].x) && std::isfinite(pts[0].y));
  n = -1;
  circleCircleIntersection(TavCircle(TavPoint(kNaN, 0), 5), TavCircle(TavPoint(8, 0), 5), pts, &n);
  EXPECT_EQ(n, 0);
  n = -1;
  circleCircleIntersection(TavCircle(TavPoint(0, 0), kInf), TavCircle(TavPoint(8, 0), 5), pts, &n);
  EXPECT_EQ(n, 0);
  n = -1;
  circleCircleIntersection(TavCircle(TavPoint(0, 0), 5), TavCircle(TavPoint(1e300, 0), 1e300), pts, &n);
  EXPECT_EQ(n, 0);
}

TEST(Circle, HostileInputKeepsContracts) {
  const double vals[] = {0.0, -0.0, 1.0, -3.5, 1e-310, 1e154, -1e308, 1e308, kInf, -kInf, kNaN};
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> pick(0, 10);
  auto v = [&] { return vals[pick(rng)]; };
  auto finite = [](const TavPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
  for (int k = 0; k < 100000; ++k) {
    const TavPoint a(v(), v()), b(v(), v()), c(v(), v());
    TavCircle out = kGarbage;
    if (circleIn3Points(a, b, c, &out)) {
      ASSERT_TRUE(finite(out.center) && std::isfinite(out.radius) && out.radius >= 0);
    } else {
      ASSERT_TRUE(out.center.x == 0 && out.center.y == 0 && out.radius == 0);
    }
    out = kGarbage;
    if (circleInTriangle(a, b, c, &out)) {
      ASSERT_TRUE(finite(out.center) && std::isfinite(out.radius) && out.radius >= 0);
    } else {
      ASSERT_TRUE(out.center.x == 0 && out.center.y == 0 && out.radius == 0);
    }
    TavPoint pts[2];
    int n = -1;
    circleLineIntersection(TavCircle(a, v()), TavLine(b, c), pts, &n);
    ASSERT_TRUE(n >= 0 && n <= 2);
    for (int i = 0; i < n; ++i) ASSERT_TRUE(finite(pts[i]));
    n = -1;
    circleCircleIntersection(TavCircle(a, v()), TavCircle(b, v()), pts, &n);
    ASSERT_TRUE(n >= 0 && n <= 2);
    if (n > 0) {
      ASSERT_TRUE(finite(pts[0]) && finite(pts[1]));
    }
  }
}
