#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "check.h"
#include "reference/arc_reference.h"

using namespace NTavGeometry;

namespace {
constexpr double kPi = 3.141592653589793;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TavPoint onCircle(const TavPoint& c, double r, double a) {
  return TavPoint(c.x + r * std::cos(a), c.y + r * std::sin(a));
}

using tavtest::isPt;

void expectArc(const TavArc& a, double cx, double cy, double r, double start, double sweep,
               double tol = 1e-12) {
  EXPECT_NEAR(a.center.x, cx, tol);
  EXPECT_NEAR(a.center.y, cy, tol);
  EXPECT_NEAR(a.radius, r, tol);
  EXPECT_NEAR(a.startAngle, start, tol);
  EXPECT_NEAR(a.sweepAngle, sweep, tol);
}

::testing::AssertionResult untouched(const TavArc& a) {
  if (a.center.x == 11 && a.center.y == 12 && a.radius == 13 && a.startAngle == 14 && a.sweepAngle == 15)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "arc written: " << a.center.x << " " << a.center.y << " "
                                       << a.radius << " " << a.startAngle << " " << a.sweepAngle;
}

const TavArc kSentinel(TavPoint(11, 12), 13, 14, 15);
}  // namespace

TEST(Arc, In3PointsDirectionFollowsMiddlePoint) {
  TavArc a;
  ASSERT_TRUE(arcIn3Points(TavPoint(1, 0), TavPoint(0, 1), TavPoint(-1, 0), &a));
  expectArc(a, 0, 0, 1, 0, kPi);
  ASSERT_TRUE(arcIn3Points(TavPoint(1, 0), TavPoint(0, -1), TavPoint(-1, 0), &a));
  expectArc(a, 0, 0, 1, 0, -kPi);
  // First and last share x: the middle point is the partner for the centre's x.
  ASSERT_TRUE(arcIn3Points(TavPoint(0, 1), TavPoint(-1, 0), TavPoint(0, -1), &a));
  expectArc(a, 0, 0, 1, kPi / 2, kPi);

  // Short way round toward decreasing angle, and the long way round toward
  // increasing angle, on a circle away from the origin.
  const TavPoint c(5, -3);
  const double deg = kPi / 180;
  ASSERT_TRUE(arcIn3Points(onCircle(c, 7, 0), onCircle(c, 7, -10 * deg), onCircle(c, 7, -60 * deg), &a));
  expectArc(a, 5, -3, 7, 0, -60 * deg, 1e-10);
  ASSERT_TRUE(arcIn3Points(onCircle(c, 7, 0), onCircle(c, 7, 10 * deg), onCircle(c, 7, -60 * deg), &a));
  expectArc(a, 5, -3, 7, 0, 300 * deg, 1e-10);
  // Reversing the points reverses the arc.
  ASSERT_TRUE(arcIn3Points(onCircle(c, 7, -60 * deg), onCircle(c, 7, 10 * deg), onCircle(c, 7, 0), &a));
  expectArc(a, 5, -3, 7, -60 * deg, -300 * deg, 1e-10);
}

TEST(Arc, In3PointsFailureLeavesOutputUntouched) {
  const TavPoint bad[][3] = {
      {{0, 0}, {1, 1}, {2, 2}},
      {{0, 0}, {0, 0}, {5, 3}},
      {{0, 0}, {1, 0}, {0, 4.9e-6}},  // four times the area just below 1e-5
      // Not collinear (four times the area is 0.016), but first and last share x
      // and the middle point's x is within 1e-5 of theirs too.
      {{0, 0}, {4e-6, 1000}, {0, 2000}},
      // Non-finite and overflowing input never gives a NaN arc.
      {{kNaN, 0}, {0, 1}, {-1, 0}},
      {{kInf, 0}, {0, 1}, {-1, 0}},
      {{1e200, 0}, {0, 1e200}, {-1e200, 0}},
  };
  for (std::size_t k = 0; k < sizeof bad / sizeof bad[0]; ++k) {
    TavArc a = kSentinel;
    EXPECT_FALSE(arcIn3Points(bad[k][0], bad[k][1], bad[k][2], &a)) << k;
    EXPECT_TRUE(untouched(a)) << k;
  }
  // Four times the area exactly 1e-5 is enough.
  TavArc a = kSentinel;
  ASSERT_TRUE(arcIn3Points(TavPoint(0, 0), TavPoint(1, 0), TavPoint(0, 5e-6), &a));
  EXPECT_NEAR(a.center.x, 0.5, 1e-12);
  EXPECT_NEAR(a.center.y, 2.5e-6, 1e-15);
  EXPECT_FALSE(arcIn3Points(TavPoint(1, 0), TavPoint(0, 1), TavPoint(-1, 0), nullptr));
}

TEST(Arc, In3PointsRecoversRandomArcs) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int k = 0; k < 2000; ++k) {
    const TavPoint c(u(rng) * 2000 - 1000, u(rng) * 2000 - 1000);
    const double r = 1 + u(rng) * 500;
    const double start = -kPi + 0.01 + u(rng) * (2 * kPi - 0.02);
    double sweep = 0.2 + u(rng) * (2 * kPi - 0.4);
    if (u(rng) < 0.5) sweep = -sweep;
    const double mid = start + sweep * (0.1 + 0.8 * u(rng));
    TavArc a;
    ASSERT_TRUE(arcIn3Points(onCircle(c, r, start), onCircle(c, r, mid), onCircle(c, r, start + sweep), &a));
    // The centre formula works on squared coordinates, so allow for rounding.
    ASSERT_NEAR(a.center.x, c.x, 1e-5);
    ASSERT_NEAR(a.center.y, c.y, 1e-5);
    ASSERT_NEAR(a.radius, r, 1e-5);
    ASSERT_NEAR(a.startAngle, start, 1e-5);
    ASSERT_NEAR(a.sweepAngle, sweep, 1e-5) << k;
  }
}

TEST(Arc, ToPolylineEndsAndDirection) {
  TavPoint pts[6];
  arcToPolyline(TavArc(TavPoint(0, 0), 1, 0, kPi / 2), pts, 3);
  EXPECT_TRUE(isPt(pts[0], 1, 0, 1e-15));
  EXPECT_TRUE(isPt(pts[1], std::cos(kPi / 4), std::sin(kPi / 4), 1e-15));
  EXPECT_TRUE(isPt(pts[2], 0, 1, 1e-15));
  // Negative sweep runs toward decreasing angle; both ends included.
  arcToPolyline(TavArc(TavPoint(2, 3), 2, kPi / 2, -kPi), pts, 5);
  EXPECT_TRUE(isPt(pts[0], 2, 5, 1e-14));
  EXPECT_TRUE(isPt(pts[2], 4, 3, 1e-14));
  EXPECT_TRUE(isPt(pts[4], 2, 1, 1e-14));
  // One point: only the start is written.
  pts[1] = TavPoint(-7, -7);
  arcToPolyline(TavArc(TavPoint(0, 0), 3, kPi, 1), pts, 1);
  EXPECT_TRUE(isPt(pts[0], -3, 0, 1e-15));
  EXPECT_EQ(pts[1].x, -7.0);
  arcToPolyline(TavArc(TavPoint(0, 0), 3, kPi, 1), nullptr, 0);  // writes nothing
}

TEST(Arc, TestPointRangeAndTolerance) {
  const TavArc arc(TavPoint(0, 0), 10, kPi, kPi / 2);
  EXPECT_TRUE(arcTestPoint(arc, TavPoint(-10, 0), 0.5));  // the start
  EXPECT_TRUE(arcTestPoint(arc, TavPoint(-7.07, -7.07), 0.5));
  EXPECT_FALSE(arcTestPoint(arc, TavPoint(0, 10), 0.5));
  EXPECT_FALSE(arcTestPoint(arc, TavPoint(0, -10.6), 0.5));
  EXPECT_FALSE(arcTestPoint(arc, TavPoint(0, -10.5), 0.5));  // angle 3pi/2 is the end
  // Radial tolerance is inclusive.
  const TavArc quarter(TavPoint(0, 0), 10, 0, kPi / 2);
  EXPECT_FALSE(arcTestPoint(quarter, TavPoint(0, 10.5), 0.5));  // end excluded
  EXPECT_TRUE(arcTestPoint(quarter, TavPoint(10.5, 0), 0.5));
  EXPECT_TRUE(arcTestPoint(quarter, TavPoint(9.5, 0), 0.5));
  EXPECT_FALSE(arcTestPoint(quarter, TavPoint(10.5, 0), 0.4999));
  // Negative sweep: the start (pi/2) is in, the end (0) is out.
  const TavArc back(TavPoint(0, 0), 10, kPi / 2, -kPi / 2);
  EXPECT_TRUE(arcTestPoint(back, TavPoint(0, 10), 0.1));
  EXPECT_FALSE(arcTestPoint(back, TavPoint(10, 0), 0.1));
  EXPECT_TRUE(arcTestPoint(back, TavPoint(7, 7), 0.2));
  EXPECT_FALSE(arcTestPoint(back, TavPoint(-7, 7), 0.2));
  // A zero sweep holds nothing, not even its start; a full turn holds everything.
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, 0, 0), TavPoint(10, 0), 0.1));
  for (double ang = -3; ang <= 3; ang += 0.5) {
    EXPECT_TRUE(
        arcTestPoint(TavArc(TavPoint(0, 0), 10, 1, 2 * kPi), onCircle(TavPoint(0, 0), 10, ang), 1e-9));
    EXPECT_TRUE(arcTestPoint(TavArc(TavPoint(0, 0), 10, 1, -7), onCircle(TavPoint(0, 0), 10, ang), 1e-9));
  }
  // A start angle several turns away names the same arc.
  EXPECT_TRUE(arcTestPoint(TavArc(TavPoint(0, 0), 10, kPi + 6 * 2 * kPi, kPi / 2), TavPoint(-7, -7), 0.2));
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, kPi - 6 * 2 * kPi, kPi / 2), TavPoint(7, 7), 0.2));
}

TEST(Arc, TestPointNonFiniteAndHugeAnglesReturn) {
  const TavPoint p(10, 0);
  // Infinite start angles would raise or lower the angle for ever.
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, kInf, 1), p, 0.1));
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, -kInf, -1), p, 0.1));
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, kInf, -1), p, 0.1));
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, kNaN, 1), p, 0.1));
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, 0, kNaN), p, 0.1));
  // An infinite sweep covers every angle.
  EXPECT_TRUE(arcTestPoint(TavArc(TavPoint(0, 0), 10, 2, kInf), p, 0.1));
  EXPECT_TRUE(arcTestPoint(TavArc(TavPoint(0, 0), 10, 2, -kInf), p, 0.1));
  // NaN radius, tolerance or point never pass the radial test.
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), kNaN, 0, 1), p, 0.1));
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, 0, 1), p, kNaN));
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, 0, 1), TavPoint(kNaN, 0), kInf));
  // A huge start angle is taken modulo the turn used by the test.
  const double start = 1e20;
  const double r = std::fmod(start, 2 * kPi);
  const TavArc far(TavPoint(0, 0), 10, start, 1);
  EXPECT_TRUE(arcTestPoint(far, onCircle(TavPoint(0, 0), 10, r + 0.5), 1e-9));
  EXPECT_FALSE(arcTestPoint(far, onCircle(TavPoint(0, 0), 10, r - 0.5), 1e-9));
  EXPECT_FALSE(arcTestPoint(far, onCircle(TavPoint(0, 0), 10, r + 1.5), 1e-9));
  const TavArc farBack(TavPoint(0, 0), 10, -start, -1);
  EXPECT_TRUE(arcTestPoint(farBack, onCircle(TavPoint(0, 0), 10, -r - 0.5), 1e-9));
  EXPECT_FALSE(arcTestPoint(farBack, onCircle(TavPoint(0, 0), 10, -r + 0.5), 1e-9));
}

TEST(Arc, TestPointStartFarAgainstTheSweep) {
  const TavPoint c(0, 0);
  // -10 rad is 2.566 rad; the arc runs to 3.566 rad and holds the angle 3.
  EXPECT_TRUE(arcTestPoint(TavArc(c, 10, -10, 1), onCircle(c, 10, 3), 1e-9));
  EXPECT_FALSE(arcTestPoint(TavArc(c, 10, -10, 1), onCircle(c, 10, 2), 1e-9));
  // 10 rad is 3.717 rad; the arc runs back to 2.717 rad.
  EXPECT_TRUE(arcTestPoint(TavArc(c, 10, 10, -1), onCircle(c, 10, 3), 1e-9));
  EXPECT_FALSE(arcTestPoint(TavArc(c, 10, 10, -1), onCircle(c, 10, 2), 1e-9));
}

TEST(Arc, TestPointStartAtMinusPiHoldsThePointAtPi) {
  // atan2 gives +pi for (-10, 0); it is the start of an arc that starts at -pi.
  EXPECT_TRUE(arcTestPoint(TavArc(TavPoint(0, 0), 10, -kPi, 1), TavPoint(-10, 0), 1e-9));
  EXPECT_TRUE(arcTestPoint(TavArc(TavPoint(0, 0), 10, kPi, -1), TavPoint(-10, -0.0), 1e-9));
  // ...but still the excluded end of an arc that ends there.
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 10, kPi - 1, 1), TavPoint(-10, 0), 1e-9));
}

TEST(Arc, TestPointMatchesReferences) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  // Start angles in [-pi, pi], as arcIn3Points builds them: bit for bit the
  // plain one-directional unwrapping, ends included.
  int inside = 0;
  for (int k = 0; k < 20000; ++k) {
    const double start = (u(rng) * 2 - 1) * kPi;
    const double sweep = (u(rng) * 2 - 1) * 8;
    const TavArc arc(TavPoint(u(rng) * 100, u(rng) * 100), 1 + u(rng) * 50, start, sweep);
    TavPoint p = onCircle(arc.center, arc.radius, u(rng) * 2 * kPi - kPi);
    if (k % 4 == 0) p = onCircle(arc.center, arc.radius, start);          // the start
    if (k % 4 == 1) p = onCircle(arc.center, arc.radius, start + sweep);  // the end
    const bool expected = tavref::arcTestPointOneWay(arc, p, 1e-9);
    ASSERT_EQ(arcTestPoint(arc, p, 1e-9), expected) << "start " << start << " sweep " << sweep;
    inside += expected;
  }
  EXPECT_GT(inside, 5000);
  // Any start up to 500 rad: the same answers as unwrapping turn by turn. Past
  // 64 turns the library reduces the start first, which can differ only by
  // rounding at the ends, so points within 1e-9 rad of an end are skipped.
  int far = 0;
  inside = 0;
  for (int k = 0; k < 20000; ++k) {
    const double start = (u(rng) * 2 - 1) * 500;
    const double sweep = (u(rng) * 2 - 1) * 8;
    const TavArc arc(TavPoint(u(rng) * 100, u(rng) * 100), 1 + u(rng) * 50, start, sweep);
    const double ang = u(rng) * 2 * kPi - kPi;
    const TavPoint p = onCircle(arc.center, arc.radius + (u(rng) - 0.5) * 0.2, ang);
    const double d1 = std::remainder(ang - start, 2 * kPi);
    const double d2 = std::remainder(ang - start - sweep, 2 * kPi);
    if (std::fabs(d1) < 1e-9 || std::fabs(d2) < 1e-9) continue;
    const bool expected = tavref::arcTestPointUnwrapped(arc, p, 0.05);
    ASSERT_EQ(arcTestPoint(arc, p, 0.05), expected) << "start " << start << " sweep " << sweep;
    far += std::fabs(start) > 64 * 2 * kPi;
    inside += expected;
  }
  EXPECT_GT(far, 2000);
  EXPECT_GT(inside, 2000);
}

TEST(Arc, PointAlongContinuesPastTheEnds) {
  TavPoint out;
  arcPointAlong(TavArc(TavPoint(0, 0), 1, 0, -1), kPi / 2, &out);
  EXPECT_TRUE(isPt(out, 0, -1, 1e-15));
  arcPointAlong(TavArc(TavPoint(1, 1), 2, kPi / 2, 1), kPi, &out);
  EXPECT_TRUE(isPt(out, -1, 1, 1e-15));
  // Zero sweep runs toward increasing angle; negative lengths go backward.
  arcPointAlong(TavArc(TavPoint(0, 0), 2, 0, 0), kPi, &out);
  EXPECT_TRUE(isPt(out, 0, 2, 1e-15));
  arcPointAlong(TavArc(TavPoint(0, 0), 2, 0, 0.5), -kPi, &out);
  EXPECT_NEAR(out.y, -2, 1e-15);
  // Degenerate and extreme input.
  for (double len : {5.0, 0.0}) {
    arcPointAlong(TavArc(TavPoint(3, 4), 0, 0, 1), len, &out);
    EXPECT_TRUE(std::isnan(out.x) && std::isnan(out.y)) << len;
  }
  arcPointAlong(TavArc(TavPoint(0, 0), 1, 0, 1), kInf, &out);
  EXPECT_TRUE(std::isnan(out.x));
  arcPointAlong(TavArc(TavPoint(0, 0), 1, 0, 1), 1e308, &out);
  EXPECT_NEAR(std::hypot(out.x, out.y), 1.0, 1e-15);
}

TEST(Arc, ToPointSetOnePointPerUnitLength) {
  std::vector<TavPoint> v(40, TavPoint(-1, -1));
  arcToPointSet(TavArc(TavPoint(0, 0), 10, 0, -kPi / 2), &v);
  ASSERT_EQ(v.size(), 15u);
  for (std::size_t i = 0; i < v.size(); ++i) {
    EXPECT_NEAR(v[i].x, 10 * std::cos(-0.1 * i), 1e-12);
    EXPECT_NEAR(v[i].y, 10 * std::sin(-0.1 * i), 1e-12);
  }
  // A shorter vector grows and every element is written.
  v.assign(2, TavPoint(-1, -1));
  arcToPointSet(TavArc(TavPoint(5, 5), 2, kPi, 2.5), &v);  // length 5
  ASSERT_EQ(v.size(), 5u);
  EXPECT_NEAR(v[0].x, 3, 1e-15);
  EXPECT_TRUE(isPt(v[4], 5 + 2 * std::cos(kPi + 2), 5 + 2 * std::sin(kPi + 2), 1e-14));
  arcToPointSet(TavArc(TavPoint(0, 0), 10, 0, 0.05), &v);  // length 0.5
  EXPECT_TRUE(v.empty());
}

TEST(Arc, ToPointSetRefusesUnusableLengths) {
  // Negative radius (formerly a length error), zero, NaN, infinite and huge
  // lengths, and one point over the cap: empty, without allocating.
  const TavArc refused[] = {
      TavArc(TavPoint(0, 0), -10, 0, 1),   TavArc(TavPoint(0, 0), 0, 0, 1),
      TavArc(TavPoint(0, 0), kNaN, 0, 1),  TavArc(TavPoint(0, 0), 10, 0, kInf),
      TavArc(TavPoint(0, 0), 1e300, 0, 1), TavArc(TavPoint(0, 0), kArcToPointSetMaxPoints + 1.0, 0, 1)};
  for (const TavArc& arc : refused) {
    std::vector<TavPoint> v(3);
    arcToPointSet(arc, &v);
    EXPECT_TRUE(v.empty()) << arc.radius;
    EXPECT_LT(v.capacity(), 1000u);
  }
  arcToPointSet(TavArc(TavPoint(0, 0), 10, 0, 1), nullptr);  // nothing to write
}

TEST(Arc, HostileInputKeepsContracts) {
  const double vals[] = {0.0, -0.0, 1.0, -3.5, 1e-310, 1e154, -1e308, 1e308, 1e20, kInf, -kInf, kNaN};
  std::mt19937 rng(6);
  std::uniform_int_distribution<int> pick(0, 11);
  auto v = [&] { return vals[pick(rng)]; };
  std::vector<TavPoint> set;
  TavPoint line[4];
  for (int k = 0; k < 100000; ++k) {
    const TavPoint a(v(), v()), b(v(), v()), c(v(), v());
    TavArc out = kSentinel;
    if (arcIn3Points(a, b, c, &out)) {
      ASSERT_TRUE(std::isfinite(out.center.x) && std::isfinite(out.center.y) && std::isfinite(out.radius));
      ASSERT_LE(std::fabs(out.startAngle), kPi);
      ASSERT_LE(std::fabs(out.sweepAngle), 2 * kPi);
    } else {
      ASSERT_TRUE(untouched(out));
    }
    const TavArc arc(a, v(), v(), v());
    (void)arcTestPoint(arc, b, v());  // must return
    arcToPointSet(arc, &set);
    ASSERT_LE(set.size(), kArcToPointSetMaxPoints);
    arcPointAlong(arc, v(), &line[0]);
    arcToPolyline(arc, line, 4);
  }
}
