#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "check.h"
#include "reference/circle_reference.h"

using namespace NTavGeometry;
using tavtest::isCircle;
using tavtest::isNum;
using tavtest::isPt;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

::testing::AssertionResult isZero(const TavCircle& c) { return isCircle(c, 0, 0, 0); }

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
  const double c1 = std::cos(0.3), s1 = std::sin(0.3), c2 = std::cos(2.0), s2 = std::sin(2.0);
  const double c3 = std::cos(-2.5), s3 = std::sin(-2.5);
  const struct {
    TavPoint a, b, c;
    double x, y, centreTol, r, radiusTol;  // r NaN: radius not checked
  } cases[] = {
      {{0, 0}, {2, 2}, {4, 0}, 2, 0, 1e-12, 2, 1e-12},
      // Right angle: vertical first chord, horizontal second chord.
      {{0, 0}, {0, 2}, {2, 2}, 1, 1, 0, std::sqrt(2.0), 0},
      // The same right angle reached only through the fourth ordering (p2, p3, p1).
      {{2, 2}, {0, 0}, {0, 2}, 1, 1, 0, std::sqrt(2.0), 0},
      // The right-angle branch takes x from q2, q3 and y from q1, q2 as they are;
      // a first chord exactly 1e-5 wide still counts as vertical.
      {{0, 0}, {1e-6, 2}, {2, 2 + 1e-6}, (1e-6 + 2) * 0.5, 1, 0, kNaN, 0},
      {{0, 0}, {1e-5, 2}, {2, 2 + 1e-6}, (1e-5 + 2) * 0.5, 1, 0, kNaN, 0},
      // Three equal points take the right-angle branch: a circle of radius 0.
      {{1, 1}, {1, 1}, {1, 1}, 1, 1, 0, 0, 0},
      // A zero first chord counts as vertical.
      {{0, 0}, {0, 0}, {5, 0}, 2.5, 0, 1e-12, 2.5, 0},
      // Horizontal first chord: the second ordering (p1, p3, p2) is used.
      {{0, 0}, {4, 0}, {2, 2}, 2, 0, 1e-12, 2, 1e-12},
      {{3 + 5 * c1, -1 + 5 * s1}, {3 + 5 * c2, -1 + 5 * s2}, {3 + 5 * c3, -1 + 5 * s3}, 3, -1, 1e-9, 5, 1e-9},
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& e = cases[k];
    TavCircle c = kGarbage;
    ASSERT_TRUE(circleIn3Points(e.a, e.b, e.c, &c)) << k;
    EXPECT_TRUE(isPt(c.center, e.x, e.y, e.centreTol)) << k;
    if (!std::isnan(e.r)) {
      EXPECT_TRUE(isNum(c.radius, e.r, e.radiusTol)) << k;
    }
  }
  // Huge but representable points still give their circle.
  const TavPoint h1(-1e300, 1e300), h2(1e300, 3e300), h3(3e300, -2e300);
  TavCircle c;
  ASSERT_TRUE(circleIn3Points(h1, h2, h3, &c));
  for (const TavPoint& h : {h1, h2, h3}) EXPECT_NEAR(pointPointDist(c.center, h) / c.radius, 1, 1e-12);
}

TEST(Circle, In3PointsFailuresGiveZeroCircle) {
  const TavPoint bad[][3] = {
      {{0, 0}, {1, 1}, {2, 2}},
      {{0, 0}, {0, 5}, {0, 9}},  // vertical line
      {{kNaN, 0}, {2, 2}, {4, 0}},
      {{0, 0}, {kInf, 2}, {4, 1}},
      {{0, 0}, {1, 1e300}, {2, -1e300}},  // slope products that overflow
      // Out to (10, 10) and nearly straight back: the chord slopes of the first
      // ordering differ by 9.5e-6, so it fails, and no later ordering is tried,
      // although (p1, p3, p2) has slopes 2e-4 apart and gives a circle.
      {{0, 0}, {10, 10}, {0.5, 0.5 + 9e-5}},
  };
  for (const auto& p : bad) {
    TavCircle c = kGarbage;
    EXPECT_FALSE(circleIn3Points(p[0], p[1], p[2], &c)) << p[1].x;
    EXPECT_TRUE(isZero(c)) << p[1].x;
  }
  TavCircle c;
  EXPECT_TRUE(circleIn3Points(bad[5][0], bad[5][2], bad[5][1], &c));
  EXPECT_FALSE(circleIn3Points(TavPoint(0, 0), TavPoint(2, 2), TavPoint(4, 0), nullptr));
  // The output may be one of the inputs.
  c = TavCircle(TavPoint(4, 0), 1);
  ASSERT_TRUE(circleIn3Points(TavPoint(0, 0), TavPoint(2, 2), c.center, &c));
  EXPECT_TRUE(isPt(c.center, 2, 0, 1e-12));
}

TEST(Circle, InTriangleIsInscribedAtEveryAngle) {
  TavCircle c = kGarbage;
  ASSERT_TRUE(circleInTriangle(TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3), &c));
  EXPECT_TRUE(isCircle(c, 1, 1, 1, 1e-12));
  // Right angle at pb, then at pc (the outer bisector there gives another circle).
  ASSERT_TRUE(circleInTriangle(TavPoint(0, 0), TavPoint(4, 0), TavPoint(4, 3), &c));
  EXPECT_TRUE(isCircle(c, 3, 1, 1, 1e-12));
  ASSERT_TRUE(circleInTriangle(TavPoint(4, 3), TavPoint(0, 0), TavPoint(4, 0), &c));
  EXPECT_TRUE(isCircle(c, 3, 1, 1, 1e-12));
  // An obtuse triangle in all six vertex orders gives one circle.
  const TavPoint v[3] = {TavPoint(0, 0), TavPoint(10, 0), TavPoint(1, 2)};
  const TavPoint inc = incentre(v[0], v[1], v[2]);
  const int perm[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (const auto& p : perm) {
    ASSERT_TRUE(circleInTriangle(v[p[0]], v[p[1]], v[p[2]], &c));
    EXPECT_TRUE(isPt(c.center, inc.x, inc.y, 1e-12));
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
  const TavPoint bad[][3] = {{{0, 0}, {1, 1}, {2, 2}},
                             {{0, 0}, {2, 2}, {1, 1}},  // middle last
                             {{3, 4}, {3, 4}, {0, 1}},
                             {{kNaN, 0}, {4, 0}, {0, 3}},
                             {{0, 0}, {kInf, 0}, {0, 3}}};
  for (const auto& p : bad) {
    TavCircle c = kGarbage;
    EXPECT_FALSE(circleInTriangle(p[0], p[1], p[2], &c)) << p[0].x << " " << p[1].x;
    EXPECT_TRUE(isZero(c)) << p[0].x << " " << p[1].x;
  }
  EXPECT_FALSE(circleInTriangle(TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3), nullptr));
  // Huge but finite triangles still work.
  TavCircle c;
  ASSERT_TRUE(circleInTriangle(TavPoint(0, 0), TavPoint(4e150, 0), TavPoint(0, 3e150), &c));
  EXPECT_NEAR(c.center.x / 1e150, 1, 1e-12);
  EXPECT_NEAR(c.radius / 1e150, 1, 1e-12);
}

TEST(Circle, LineIntersectionOrderAndCounts) {
  const TavCircle circle(TavPoint(0, 0), 5);
  const double h = 5 / std::sqrt(2.0);
  // Entries beyond the count must be zeroed exactly.
  const struct {
    TavCircle c;
    TavLine l;
    int n;
    TavPoint p0, p1;
  } cases[] = {
      {circle, {{-10, 3}, {10, 3}}, 2, {4, 3}, {-4, 3}},  // larger x first
      {circle, {{10, 3}, {-10, 3}}, 2, {4, 3}, {-4, 3}},  // whichever way the line points
      {circle, {{-1, 1}, {1, -1}}, 2, {h, -h}, {-h, h}},  // a falling line: still larger x first
      {circle, {{3, 10}, {3, -10}}, 2, {3, 4}, {3, -4}},  // vertical: larger y first
      {circle, {{0, 1}, {0, 1}}, 2, {0, 5}, {0, -5}},     // zero length: vertical through its point
      {circle, {{5, -1}, {5, 1}}, 1, {5, 0}, {0, 0}},     // tangent: one point
      {TavCircle(TavPoint(2, 7), 5), {{0, 12}, {1, 12}}, 1, {2, 12}, {0, 0}},
      {circle, {{6, -1}, {6, 1}}, 0, {0, 0}, {0, 0}},  // missing
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& e = cases[k];
    TavPoint pts[2] = {TavPoint(-9, -9), TavPoint(-9, -9)};
    int n = -1;
    circleLineIntersection(e.c, e.l, pts, &n);
    ASSERT_EQ(n, e.n) << k;
    EXPECT_TRUE(isPt(pts[0], e.p0.x, e.p0.y, n > 0 ? 1e-12 : 0)) << k;
    EXPECT_TRUE(isPt(pts[1], e.p1.x, e.p1.y, n > 1 ? 1e-12 : 0)) << k;
  }
  TavPoint pts[2];
  int n = -1;
  // Within 1e-5 of vertical counts as vertical, at the x of p2.
  circleLineIntersection(circle, TavLine(TavPoint(3, -10), TavPoint(3.000009, 10)), pts, &n);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(pts[0].x, 3.000009);
  EXPECT_EQ(pts[1].x, 3.000009);
  // The tangent tolerance is on the quadratic's discriminant: x = 5 - 1e-7 gives
  // D = 4e-6 < 1e-5 and one point; x = 4.99999 gives D = 4e-4 and two.
  circleLineIntersection(circle, TavLine(TavPoint(5 - 1e-7, -1), TavPoint(5 - 1e-7, 1)), pts, &n);
  ASSERT_EQ(n, 1);
  EXPECT_EQ(pts[0].y, 0.0);
  circleLineIntersection(circle, TavLine(TavPoint(4.99999, -1), TavPoint(4.99999, 1)), pts, &n);
  EXPECT_EQ(n, 2);
  // Slanted: the same tolerance applies to the discriminant of the x quadratic.
  circleLineIntersection(
      circle, TavLine(TavPoint(0, 5 * std::sqrt(2.0) + 1e-7), TavPoint(1, 5 * std::sqrt(2.0) - 1 + 1e-7)),
      pts, &n);
  EXPECT_EQ(n, 1);
}

TEST(Circle, LineIntersectionNonFiniteGivesNoPoints) {
  const struct {
    TavCircle c;
    TavLine l;
  } cases[] = {
      {TavCircle(TavPoint(kNaN, 0), 5), {{-10, 3}, {10, 3}}},
      {TavCircle(TavPoint(0, 0), kInf), {{-10, 3}, {10, 3}}},
      {TavCircle(TavPoint(0, 0), 5), {{0, 0}, {kInf, 1}}},
      {TavCircle(TavPoint(0, 0), 1e300), {{-1, 0}, {1, 0}}},  // the coefficients overflow
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    TavPoint pts[2];
    int n = -1;
    circleLineIntersection(cases[k].c, cases[k].l, pts, &n);
    EXPECT_EQ(n, 0) << k;
    if (k == 3) {
      EXPECT_TRUE(std::isfinite(pts[0].x) && std::isfinite(pts[1].x));
    }
  }
}

TEST(Circle, CircleIntersectionSidesAndCounts) {
  const struct {
    TavCircle a, b;
    int n;
    TavPoint p0, p1;
  } cases[] = {
      {{{0, 0}, 5}, {{8, 0}, 5}, 2, {4, 3}, {4, -3}},
      {{{8, 0}, 5}, {{0, 0}, 5}, 2, {4, -3}, {4, 3}},  // swapping the circles swaps the points
      {{{0, 0}, 5}, {{0, 8}, 5}, 2, {-3, 4}, {3, 4}},  // centres along +y: pts[0] on the -x side
      {{{0, 0}, 4}, {{8, 0}, 4}, 1, {4, 0}, {4, 0}},   // touching exactly: one point, written twice
      {{{0, 0}, 1}, {{8, 0}, 1}, 0, {4, 0}, {4, 0}},   // apart: the foot point between them
      // Nested: the foot lies on the line of centres, outside both circles.
      {{{0, 0}, 10}, {{1, 0}, 2}, 0, {48.5, 0}, {48.5, 0}},
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& e = cases[k];
    TavPoint pts[2];
    int n = -1;
    circleCircleIntersection(e.a, e.b, pts, &n);
    ASSERT_EQ(n, e.n) << k;
    EXPECT_TRUE(isPt(pts[0], e.p0.x, e.p0.y, 1e-12)) << k;
    EXPECT_TRUE(isPt(pts[1], e.p1.x, e.p1.y, 1e-12)) << k;
  }
  // No tolerance on touching: 1e-9 more or less radius gives two points or none.
  TavPoint pts[2];
  int n = -1;
  circleCircleIntersection(TavCircle(TavPoint(0, 0), 4), TavCircle(TavPoint(8, 0), 4 + 1e-9), pts, &n);
  EXPECT_EQ(n, 2);
  circleCircleIntersection(TavCircle(TavPoint(0, 0), 4), TavCircle(TavPoint(8, 0), 4 - 1e-9), pts, &n);
  EXPECT_EQ(n, 0);
}

TEST(Circle, CircleIntersectionConcentricAndNonFinite) {
  TavPoint pts[2] = {TavPoint(-9, -9), TavPoint(-9, -9)};
  int n = -1;
  circleCircleIntersection(TavCircle(TavPoint(2, 3), 5), TavCircle(TavPoint(2, 3), 5), pts, &n);
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(isPt(pts[0], 2, 3));
  EXPECT_TRUE(isPt(pts[1], 2, 3));
  circleCircleIntersection(TavCircle(TavPoint(2, 3), 5), TavCircle(TavPoint(2, 3), 1), pts, &n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(pts[1].x, 2.0);
  // Centres 1e-200 apart (the squared distance underflows to 0), non-finite or overflowing input.
  const TavCircle cases[][2] = {{{{2, 3}, 5}, {{2 + 1e-200, 3}, 5}},
                                {{{kNaN, 0}, 5}, {{8, 0}, 5}},
                                {{{0, 0}, kInf}, {{8, 0}, 5}},
                                {{{0, 0}, 5}, {{1e300, 0}, 1e300}}};
  for (std::size_t k = 0; k < 4; ++k) {
    n = -1;
    circleCircleIntersection(cases[k][0], cases[k][1], pts, &n);
    EXPECT_EQ(n, 0) << k;
    if (k == 0) {
      EXPECT_TRUE(std::isfinite(pts[0].x) && std::isfinite(pts[0].y));
    }
  }
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
