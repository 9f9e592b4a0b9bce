#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "check.h"
#include "reference/rake_reference.h"

using namespace NTavGeometry;

namespace {
constexpr double kPi = 3.141592653589793;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

void expectLine(const TavLine& l, double x1, double y1, double x2, double y2, double tol = 1e-9) {
  EXPECT_NEAR(l.p1.x, x1, tol);
  EXPECT_NEAR(l.p1.y, y1, tol);
  EXPECT_NEAR(l.p2.x, x2, tol);
  EXPECT_NEAR(l.p2.y, y2, tol);
}

double angleOf(const TavPoint& c, const TavPoint& p) { return std::atan2(p.y - c.y, p.x - c.x); }
double distOf(const TavPoint& a, const TavPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// A vector holding stale lines, to check that each call replaces its contents.
std::vector<TavLine> stale() { return std::vector<TavLine>(3, TavLine(TavPoint(7, 7), TavPoint(8, 8))); }

std::vector<TavLine> rakeOf(const std::vector<TavPoint>& pts, double h, double s) {
  std::vector<TavLine> out = stale();
  polyLineToPolyRake(pts.data(), static_cast<int>(pts.size()), h, s, &out);
  return out;
}

::testing::AssertionResult sameLines(const std::vector<TavLine>& a, const std::vector<TavLine>& b) {
  if (a.size() != b.size())
    return ::testing::AssertionFailure() << a.size() << " vs " << b.size() << " lines";
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k].p1.x != b[k].p1.x || a[k].p1.y != b[k].p1.y || a[k].p2.x != b[k].p2.x || a[k].p2.y != b[k].p2.y)
      return ::testing::AssertionFailure() << "line " << k;
  }
  return ::testing::AssertionSuccess();
}

std::vector<TavLine> spokesOf(const TavArc& arc, double length, double spacing) {
  std::vector<TavLine> out = stale();
  arcToSpoke(arc, length, spacing, &out);
  return out;
}
}  // namespace

// ------------------------------------------------------------------ spokes

TEST(Spoke, QuarterArcOutward) {
  const auto sp = spokesOf(TavArc(TavPoint(0, 0), 100, 0, kPi / 2), 20, 10);
  ASSERT_EQ(sp.size(), 18u);  // L = 120 * pi/2 = 188.5: trunc(18.85 - 1) + 1
  expectLine(sp.front(), 100, 0, 120, 0);
  expectLine(sp.back(), 0, 100, 0, 120, 1e-9);
  const double step = (kPi / 2) / 17;
  for (std::size_t k = 0; k < sp.size(); ++k) {
    EXPECT_NEAR(angleOf(TavPoint(0, 0), sp[k].p1), k * step, 1e-12) << k;
    EXPECT_NEAR(angleOf(TavPoint(0, 0), sp[k].p2), k * step, 1e-12) << k;
    EXPECT_NEAR(distOf(TavPoint(0, 0), sp[k].p1), 100, 1e-9);
    EXPECT_NEAR(distOf(TavPoint(0, 0), sp[k].p2), 120, 1e-9);
  }
}

TEST(Spoke, BaseSpokeTurnedToARunningSumOfSteps) {
  // Every spoke is the base spoke on the ray at angle 0, turned by the rotator
  // to an angle that grows by one step per spoke (not start + k * step).
  const TavArc arc(TavPoint(12.5, -7.25), 40, 0.3, 2.1);
  const auto sp = spokesOf(arc, 15, 1.7);
  const int n = static_cast<int>(55 * 2.1 / 1.7 - 1.0);
  ASSERT_EQ(sp.size(), static_cast<std::size_t>(n) + 1);
  const double step = 2.1 / n;
  double angle = 0.3;
  int differs = 0;
  for (int k = 0; k <= n; ++k) {
    if (k > 0) angle += step;
    TavPoint a(12.5 + 40, -7.25), b(12.5 + 40 + 15, -7.25);
    CTavRotator(12.5, -7.25, angle).rotate(&a.x, &a.y);
    CTavRotator(12.5, -7.25, angle).rotate(&b.x, &b.y);
    EXPECT_TRUE(tavtest::isLine(sp[k], a.x, a.y, b.x, b.y)) << k;
    if (angle != 0.3 + k * step) ++differs;
  }
  EXPECT_GT(differs, 0);  // the two ways of stepping differ on this arc
}

TEST(Spoke, InwardLengthMeasuresOnTheArc) {
  const auto sp = spokesOf(TavArc(TavPoint(5, -3), 100, 0, kPi / 2), -20, 10);
  ASSERT_EQ(sp.size(), 15u);  // L = 157.08 at radius 100
  for (const TavLine& l : sp) {
    EXPECT_NEAR(distOf(TavPoint(5, -3), l.p1), 100, 1e-9);
    EXPECT_NEAR(distOf(TavPoint(5, -3), l.p2), 80, 1e-9);  // inward
  }
  expectLine(sp.back(), 5, 97, 5, 77);
}

TEST(Spoke, NegativeSweepRunsTowardDecreasingAngles) {
  const auto sp = spokesOf(TavArc(TavPoint(0, 0), 10, 1.0, -1.0), 0, 2);
  ASSERT_EQ(sp.size(), 5u);  // L = 10, q = 4
  for (std::size_t k = 0; k < sp.size(); ++k)
    EXPECT_NEAR(angleOf(TavPoint(0, 0), sp[k].p1), 1.0 - 0.25 * k, 1e-12);
  expectLine(sp.back(), 10, 0, 10, 0, 1e-12);  // on the end ray, angle 0
}

TEST(Spoke, FullTurnLeavesOutTheRepeat) {
  const auto sp = spokesOf(TavArc(TavPoint(0, 0), 100, 0, 2 * kPi), 20, 10);
  ASSERT_EQ(sp.size(), 74u);  // q = 74.40, N = 74, one spoke left out
  const double step = 2 * kPi / 74;
  EXPECT_NEAR(angleOf(TavPoint(0, 0), sp.back().p1), 73 * step - 2 * kPi, 1e-9);
  EXPECT_GT(distOf(sp.back().p1, sp.front().p1), 8.0);

  // Just below the threshold the arc is partial and keeps its end spoke.
  const auto partial = spokesOf(TavArc(TavPoint(0, 0), 100, 0, 6.28317), 20, 10);
  ASSERT_EQ(partial.size(), 75u);
  EXPECT_NEAR(angleOf(TavPoint(0, 0), partial.back().p1), 6.28317 - 2 * kPi, 1e-9);

  // A negative full turn counts as well; a full turn with a coarse spacing
  // keeps only the start spoke.
  EXPECT_EQ(spokesOf(TavArc(TavPoint(0, 0), 100, 0, -2 * kPi), 20, 10).size(), 74u);
  EXPECT_EQ(spokesOf(TavArc(TavPoint(0, 0), 100, 0, 2 * kPi), 20, 1000).size(), 1u);
}

TEST(Spoke, DegenerateSpacingAndSweep) {
  // Zero sweep: two identical spokes on the start ray.
  auto sp = spokesOf(TavArc(TavPoint(1, 2), 10, kPi / 2, 0), 5, 3);
  ASSERT_EQ(sp.size(), 2u);
  expectLine(sp[0], 1, 12, 1, 17);
  expectLine(sp[1], 1, 12, 1, 17);

  // Coarse or negative spacing: the start and the end ray.
  for (double spacing : {200.0, -1.0, -kInf}) {
    sp = spokesOf(TavArc(TavPoint(0, 0), 10, 0, kPi / 2), 0, spacing);
    ASSERT_EQ(sp.size(), 2u) << spacing;
    expectLine(sp[0], 10, 0, 10, 0);
    expectLine(sp[1], 0, 10, 0, 10);
  }

  // Spacing 0 or NaN, or an infinite sweep: the start spoke alone.
  for (double spacing : {0.0, kNaN}) {
    sp = spokesOf(TavArc(TavPoint(0, 0), 10, 0, kPi / 2), 4, spacing);
    ASSERT_EQ(sp.size(), 1u) << spacing;
    expectLine(sp[0], 10, 0, 14, 0);
  }
  EXPECT_EQ(spokesOf(TavArc(TavPoint(0, 0), 10, 0, kInf), 4, 1).size(), 1u);
  EXPECT_EQ(spokesOf(TavArc(TavPoint(0, 0), kNaN, 0, 1), 4, 1).size(), 1u);
  // A NaN length measures on the arc (like length <= 0).
  EXPECT_EQ(spokesOf(TavArc(TavPoint(0, 0), 100, 0, kPi / 2), kNaN, 10).size(), 15u);
  arcToSpoke(TavArc(TavPoint(0, 0), 1, 0, 1), 1, 1, nullptr);  // a null output is ignored
}

TEST(Spoke, HugeCountsAreCapped) {
  // 1e-300 would ask for ~1e302 spokes, and ~2e9 still fit an int: the start
  // spoke alone, as for spacing 0.
  EXPECT_EQ(spokesOf(TavArc(TavPoint(0, 0), 100, 0, kPi), 0, 1e-300).size(), 1u);
  EXPECT_EQ(spokesOf(TavArc(TavPoint(0, 0), 1, 0, 1), 0, 1.0 / 2e9).size(), 1u);
  // Radius 1, sweep 1: q = 1/spacing - 1. q just above the cap gives one
  // spoke; q just below it gives exactly kScanLinesMax spokes.
  EXPECT_EQ(spokesOf(TavArc(TavPoint(0, 0), 1, 0, 1), 0, 1.0 / (kScanLinesMax + 1.5)).size(), 1u);
  const auto sp = spokesOf(TavArc(TavPoint(0, 0), 1, 0, 1), 0, 1.0 / (kScanLinesMax + 0.5));
  ASSERT_EQ(sp.size(), static_cast<std::size_t>(kScanLinesMax));
  expectLine(sp.back(), std::cos(1.0), std::sin(1.0), std::cos(1.0), std::sin(1.0), 1e-6);
}

// ------------------------------------------------------------------ rake

TEST(Rake, StraightSegment) {
  const auto r = rakeOf({{0, 0}, {100, 0}}, 10, 25);
  ASSERT_EQ(r.size(), 3u);  // nothing at x = 0 or x = 100 (the path end)
  expectLine(r[0], 25, 10, 25, -10);
  expectLine(r[1], 50, 10, 50, -10);
  expectLine(r[2], 75, 10, 75, -10);

  // The positive side is the direction turned by +90 degrees: for a path going
  // toward -y it is +x.
  const auto down = rakeOf({{0, 0}, {0, -100}}, 10, 25);
  ASSERT_EQ(down.size(), 3u);
  expectLine(down[0], 10, -25, -10, -25);

  // A path shorter than one spacing gets no line.
  EXPECT_TRUE(rakeOf({{0, 0}, {10, 0}}, 10, 25).empty());
}

TEST(Rake, CollinearJointLaysTheLineOnTheJoint) {
  const auto r = rakeOf({{0, 0}, {50, 0}, {100, 0}}, 10, 25);
  ASSERT_EQ(r.size(), 3u);
  expectLine(r[0], 25, 10, 25, -10);
  expectLine(r[1], 50, 10, 50, -10);  // laid by the joint's zero-sweep fan
  expectLine(r[2], 75, 10, 75, -10);

  // Off the joint, a zero-sweep fan lays nothing.
  const auto r2 = rakeOf({{0, 0}, {40, 0}, {100, 0}}, 10, 25);
  ASSERT_EQ(r2.size(), 3u);
  expectLine(r2[1], 50, 10, 50, -10);
}

TEST(Rake, CornerOnEitherSide) {
  // The fan pivots about the inner corner, (90, 10) on the positive side or
  // (90, -10) on the negative side; its lines run from the positive end to the
  // negative end, so on the negative side they end at the pivot. The position
  // 90 at the stretch end is the fan's first line, not a ninth stretch line.
  const double first = 10.0 + 10.0 - (90.0 + 10.0 * kPi - 120.0);  // 18.5841
  for (double side : {1.0, -1.0}) {
    SCOPED_TRACE(side);
    const auto r = rakeOf({{0, 0}, {100, 0}, {100, 100 * side}}, 10, 10);
    ASSERT_EQ(r.size(), 21u);
    for (int k = 0; k < 8; ++k) expectLine(r[k], 10.0 * (k + 1), 10, 10.0 * (k + 1), -10);
    expectLine(r[8], 90, 10, 90, -10);
    const TavPoint fan[] = {{99.5885, -7.5517}, {106.8294, -0.8060}, {109.9499, 8.5853}};
    for (int k = 0; k < 3; ++k) {
      const TavPoint end(fan[k].x, side * fan[k].y);
      if (side > 0) {
        expectLine(r[9 + k], 90, 10, end.x, end.y, 1e-4);
      } else {
        expectLine(r[9 + k], end.x, end.y, 90, -10, 1e-4);
      }
    }
    for (int k = 0; k < 9; ++k) {
      const double y = side * (first + 10.0 * k);
      expectLine(r[12 + k], 100 - side * 10, y, 100 + side * 10, y, 1e-9);
    }
  }
}

TEST(Rake, RawSweepGoingTheLongWayIsTurned) {
  // start = pi, raw sweep -3pi/2: the turning test makes it +pi/2.
  const auto r = rakeOf({{0, 0}, {0, -100}, {100, -100}}, 10, 10);
  ASSERT_EQ(r.size(), 21u);
  expectLine(r[7], 10, -80, -10, -80);
  expectLine(r[8], 10, -90, -10, -90);
  expectLine(r[9], 10, -90, 10 + 20 * std::cos(kPi + 0.5), -90 + 20 * std::sin(kPi + 0.5), 1e-9);
  expectLine(r[11], 10, -90, 10 + 20 * std::cos(kPi + 1.5), -90 + 20 * std::sin(kPi + 1.5), 1e-9);
  expectLine(r[12], 18.584073464102069, -90, 18.584073464102069, -110, 1e-9);
  expectLine(r[20], 98.584073464102069, -90, 98.584073464102069, -110, 1e-9);
}

TEST(Rake, TinyHalfLengthKeepsTheShortLineRule) {
  // Perpendiculars under 0.01 have angle 0: the fans add no length.
  const auto r = rakeOf({{0, 0}, {100, 0}, {100, 100}}, 0.004, 10);
  ASSERT_EQ(r.size(), 19u);  // path 2 * 99.996
  expectLine(r[9], 99.996, 10 - 9.992, 99.996 + 0.008, 10 - 9.992, 1e-9);
}

TEST(Rake, BadSpacingOrHalfLengthGivesNoLines) {
  const std::vector<TavPoint> pts = {{0, 0}, {100, 0}, {100, 100}};
  for (double bad : {0.0, -0.0, -10.0, kNaN, kInf, -kInf}) {
    EXPECT_TRUE(rakeOf(pts, 10, bad).empty()) << "spacing " << bad;
    EXPECT_TRUE(rakeOf(pts, bad, 10).empty()) << "half length " << bad;
  }
}

TEST(Rake, CountsAndPointersAreChecked) {
  const std::vector<TavPoint> pts = {{0, 0}, {100, 0}};
  for (int count : {1, 0, -1, -2, INT_MIN}) {
    std::vector<TavLine> out = stale();
    polyLineToPolyRake(pts.data(), count, 10, 10, &out);
    EXPECT_TRUE(out.empty()) << count;
  }
  for (int count : {0, 5}) {
    std::vector<TavLine> out = stale();
    polyLineToPolyRake(nullptr, count, 10, 10, &out);
    EXPECT_TRUE(out.empty()) << "null points, count " << count;
  }
  polyLineToPolyRake(pts.data(), 2, 10, 10, nullptr);
}

TEST(Rake, RepeatedPointsAreSkipped) {
  const auto plain = rakeOf({{0, 0}, {100, 0}, {100, 100}}, 10, 10);
  const auto repeated =
      rakeOf({{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 100}, {100, 100}}, 10, 10);
  EXPECT_TRUE(sameLines(repeated, plain));
  // Only one distinct point: no path.
  EXPECT_TRUE(rakeOf({{3, 4}, {3, 4}, {3, 4}}, 10, 1).empty());
}

TEST(Rake, ReversalTurnsAHalfTurnAboutTheVertex) {
  const auto r = rakeOf({{0, 0}, {100, 0}, {50, 0}}, 10, 10);
  // Path: 100 out, a half circle of radius 10 (10*pi), 50 back: 18 lines.
  ASSERT_EQ(r.size(), 18u);
  for (int k = 0; k < 9; ++k) expectLine(r[k], 10.0 * (k + 1), 10, 10.0 * (k + 1), -10);
  // Fan lines are centred on the vertex, 1 radian (s/h) apart; the positive
  // end swings back over the incoming stretch toward the outgoing positive side.
  for (int k = 0; k < 4; ++k) {
    const double phi = kPi / 2 + k;
    expectLine(r[9 + k], 100 + 10 * std::cos(phi), 10 * std::sin(phi), 100 - 10 * std::cos(phi),
               -10 * std::sin(phi), 1e-9);
  }
  // Back along y = 0: the positive side is now -y.
  const double first = 100.0 - (10.0 - (100.0 + 10.0 * kPi - 130.0));  // 91.416
  for (int k = 0; k < 5; ++k) expectLine(r[13 + k], first - 10.0 * k, -10, first - 10.0 * k, 10, 1e-9);
}

TEST(Rake, ReversalInAnyDirection) {
  // Slanted path out and back past its start, then a right-angle corner.
  const auto r = rakeOf({{0, 0}, {30, 40}, {-30, -40}, {-30, 60}}, 10, 10);
  // Path: 50, 10*pi, then the stretch back to the corner's pivot, its fan, the last stretch.
  ASSERT_GT(r.size(), 9u);
  const TavPoint q(30, 40);
  expectLine(r[3], 16, 38, 32, 26, 1e-9);  // position 40 on the way out
  for (int k = 4; k < 8; ++k) {            // positions 50 .. 80: the half turn
    const TavPoint mid((r[k].p1.x + r[k].p2.x) / 2, (r[k].p1.y + r[k].p2.y) / 2);
    EXPECT_NEAR(distOf(mid, q), 0, 1e-9) << k;
  }
  expectLine(r[4], 22, 46, 38, 34, 1e-9);  // at the vertex: still the outward line
  // The first line coming back has its positive end on the other side.
  const TavPoint u(-0.6, -0.8);
  const double along = 10.0 - (50.0 + 10.0 * kPi - 80.0);
  expectLine(r[8], 38 + along * u.x, 34 + along * u.y, 22 + along * u.x, 46 + along * u.y, 1e-9);
  for (const TavLine& l : r) EXPECT_NEAR(distOf(l.p1, l.p2), 20, 1e-9);
}

TEST(Rake, ReversalFoundThroughRounding) {
  // An out-and-back path turned by 0.7 rad about (3.7, -1.2): the turned
  // points are no longer exactly anti-parallel, but within the parallel tolerance.
  const TavPoint c(3.7, -1.2);
  std::vector<TavPoint> pts = {{0, 0}, {100, 0}, {31.7, 0}};
  for (TavPoint& p : pts) pointRotate(c, 0.7, &p);
  const double ax = pts[1].x - pts[0].x, ay = pts[1].y - pts[0].y;
  const double bx = pts[2].x - pts[1].x, by = pts[2].y - pts[1].y;
  ASSERT_NE(ax * by - ay * bx, 0.0);  // the case this test is about
  const auto turned = rakeOf(pts, 10, 10);
  const auto plain = rakeOf({{0, 0}, {100, 0}, {31.7, 0}}, 10, 10);
  ASSERT_EQ(turned.size(), plain.size());
  for (std::size_t k = 0; k < plain.size(); ++k) {
    TavLine back = turned[k];
    pointRotate(c, -0.7, &back.p1);
    pointRotate(c, -0.7, &back.p2);
    expectLine(back, plain[k].p1.x, plain[k].p1.y, plain[k].p2.x, plain[k].p2.y, 1e-6);
  }
}

TEST(Rake, HugeRequestsGiveNoLines) {
  const std::vector<TavPoint> pts = {{0, 0}, {100, 0}, {100, 100}};
  for (double s : {1e-300, 5e-324, 1e-5}) EXPECT_TRUE(rakeOf(pts, 10, s).empty()) << s;
  // Long paths: lines stand at k*s < T, so T = (cap + 1) * s still fits.
  const double cap = kScanLinesMax;
  EXPECT_TRUE(rakeOf({{0, 0}, {cap + 1.5, 0}}, 1, 1).empty());
  const auto r = rakeOf({{0, 0}, {cap + 1, 0}}, 1, 1);
  ASSERT_EQ(r.size(), static_cast<std::size_t>(kScanLinesMax));
  expectLine(r.back(), cap, 1, cap, -1, 0);
}

TEST(Rake, NonFiniteAndExtremeCoordinatesReturn) {
  EXPECT_TRUE(rakeOf({{0, 0}, {kNaN, 0}, {100, 0}}, 10, 10).empty());
  EXPECT_TRUE(rakeOf({{0, 0}, {kInf, 0}}, 10, 10).empty());
  EXPECT_TRUE(rakeOf({{-1e308, 0}, {1e308, 0}}, 10, 1e300).empty());  // length overflows
  const auto r = rakeOf({{0, 0}, {1e300, 0}}, 1, 1e299);
  EXPECT_LE(r.size(), 10u);
  EXPECT_GE(r.size(), 9u);
}

TEST(Rake, RandomPathsKeepTheInvariants) {
  // Integer coordinates make repeats, collinear joints and exact reversals
  // common. Every line must be finite and 2h long, and the count must agree
  // with the path length within the rounding of one position per corner.
  std::mt19937 gen(12345);
  std::uniform_int_distribution<int> coord(-20, 20);
  std::uniform_int_distribution<int> len(2, 8);
  std::uniform_real_distribution<double> hs(0.05, 5.0);
  std::uniform_real_distribution<double> ss(0.05, 10.0);
  for (int trial = 0; trial < 2000; ++trial) {
    std::vector<TavPoint> pts;
    const int n = len(gen);
    for (int k = 0; k < n; ++k) {
      if (k >= 2 && coord(gen) > 12) {
        // Go back along the previous segment (an exact reversal).
        const TavPoint& a = pts[k - 2];
        const TavPoint& b = pts[k - 1];
        pts.push_back(TavPoint(b.x - 2 * (b.x - a.x), b.y - 2 * (b.y - a.y)));
      } else if (k >= 1 && coord(gen) > 15) {
        pts.push_back(pts.back());
      } else {
        pts.push_back(TavPoint(coord(gen), coord(gen)));
      }
    }
    const double h = hs(gen), s = ss(gen);
    const auto r = rakeOf(pts, h, s);
    for (const TavLine& l : r) {
      ASSERT_TRUE(std::isfinite(l.p1.x) && std::isfinite(l.p1.y) && std::isfinite(l.p2.x) &&
                  std::isfinite(l.p2.y))
          << trial;
      ASSERT_NEAR(distOf(l.p1, l.p2), 2 * h, 1e-6 * (1 + std::fabs(l.p1.x) + std::fabs(l.p1.y))) << trial;
    }
    ASSERT_LE(r.size(), static_cast<std::size_t>(kScanLinesMax));
  }
}

namespace {
// A random path whose corners are all ordinary: turns up to `maxTurn` radians
// either way, each segment longer than the setbacks h * tan(|turn| / 2) of its
// two corners, so no stretch runs backward.
std::vector<TavPoint> ordinaryPath(std::mt19937& gen, double h, double maxTurn) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int n = 2 + static_cast<int>(gen() % 9);
  std::vector<double> turns(n, 0.0);
  for (int i = 1; i + 1 < n; ++i) turns[i] = (2 * unit(gen) - 1) * maxTurn;
  double angle = unit(gen) * 2 * kPi;
  TavPoint p(unit(gen) * 400 - 200, unit(gen) * 400 - 200);
  std::vector<TavPoint> pts = {p};
  for (int i = 0; i + 1 < n; ++i) {
    const double setbacks = h * (std::tan(std::fabs(turns[i]) / 2) + std::tan(std::fabs(turns[i + 1]) / 2));
    const double len = setbacks + 0.5 + unit(gen) * 80;
    p = TavPoint(p.x + len * std::cos(angle), p.y + len * std::sin(angle));
    pts.push_back(p);
    angle += turns[i + 1];
  }
  return pts;
}

}  // namespace

TEST(Rake, OrdinaryCornersGiveTheStepByStepLines) {
  // Gentle corners, and sharp ones (up to 175 degrees) on segments long enough
  // for them: bit for bit the lines of the plain two-phase construction.
  std::mt19937 gen(2024);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int lines = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    const double h = 0.05 + unit(gen) * 12, s = 0.3 + unit(gen) * 9;
    const double maxTurn = trial % 2 == 0 ? 0.6 : 3.05;
    const std::vector<TavPoint> pts = ordinaryPath(gen, h, maxTurn);
    std::vector<TavLine> expected;
    tavref::polyLineToPolyRakeLiteral(pts.data(), static_cast<int>(pts.size()), h, s, &expected);
    ASSERT_TRUE(sameLines(rakeOf(pts, h, s), expected)) << "trial " << trial;
    lines += static_cast<int>(expected.size());
  }
  EXPECT_GT(lines, 100000);

  // Joints between exactly collinear segments (zero-sweep fans, both corner
  // points equally far up to rounding) next to sharper corners.
  for (double h : {2.5, 0.75, 4.0}) {
    const std::vector<TavPoint> pts = {{1, 2}, {31, 42}, {61, 82}, {70, 70}, {100, 110}, {130, 150}};
    std::vector<TavLine> expected;
    tavref::polyLineToPolyRakeLiteral(pts.data(), 6, h, 0.7, &expected);
    EXPECT_TRUE(sameLines(rakeOf(pts, h, 0.7), expected)) << h;
  }

  // Corners whose stretches meet exactly (a stretch of length 0 between them),
  // also turned so that rounding leaves a residue either way: still ordinary.
  for (const std::vector<TavPoint>& path : {std::vector<TavPoint>{{0, 0}, {100, 0}, {100, 20}, {0, 20}},
                                            std::vector<TavPoint>{{0, 0}, {100, 0}, {100, 20}, {200, 20}}}) {
    for (double turn : {0.0, 0.3, 1.234, 2.9, -2.2}) {
      std::vector<TavPoint> pts = path;
      for (TavPoint& q : pts) pointRotate(TavPoint(7.5, -3.25), turn, &q);
      std::vector<TavLine> expected;
      tavref::polyLineToPolyRakeLiteral(pts.data(), 4, 10, 3, &expected);
      EXPECT_TRUE(sameLines(rakeOf(pts, 10, 3), expected)) << turn;
    }
  }
}

namespace {
double segmentDist(const TavPoint& p, const TavPoint& a, const TavPoint& b) {
  const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
  const double t = l2 > 0 ? std::fmax(0.0, std::fmin(1.0, ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2)) : 0.0;
  return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}
double pathDist(const TavPoint& p, const std::vector<TavPoint>& path) {
  double d = kInf;
  for (std::size_t i = 0; i + 1 < path.size(); ++i) d = std::fmin(d, segmentDist(p, path[i], path[i + 1]));
  return d;
}
TavPoint middle(const TavLine& l) { return TavPoint((l.p1.x + l.p2.x) / 2, (l.p1.y + l.p2.y) / 2); }
}  // namespace

TEST(Rake, HairpinTurnsAboutItsVertex) {
  // Just outside the reversal tolerance (sine 1e-5): the inner corner point lies
  // 2e6 back, before the start of the path. The turn is laid about the vertex.
  const std::vector<TavPoint> pts = {{0, 0}, {100, 0}, {0, 0.001}};
  const auto r = rakeOf(pts, 10, 10);
  ASSERT_EQ(r.size(), 23u);  // path 100 + 10 * (pi - 1e-5) + 100
  for (int k = 0; k < 9; ++k) expectLine(r[k], 10.0 * (k + 1), 10, 10.0 * (k + 1), -10);
  // Centred on the vertex, 1 radian apart (s / h), turning toward increasing angle.
  for (int k = 0; k < 4; ++k) {
    const double phi = kPi / 2 + k;
    expectLine(r[9 + k], 100 + 10 * std::cos(phi), 10 * std::sin(phi), 100 - 10 * std::cos(phi),
               -10 * std::sin(phi), 1e-9);
  }
  // Back along the second segment, the positive side now below.
  const double first = 10.0 - (100.0 + 10.0 * (kPi - 1e-5) - 130.0);  // 8.584
  for (int k = 0; k < 10; ++k)
    expectLine(r[13 + k], 100 - first - 10.0 * k, -10, 100 - first - 10.0 * k, 10, 2e-3);
  // Turning the other way sweeps the other way.
  const auto mirrored = rakeOf({{0, 0}, {100, 0}, {0, -0.001}}, 10, 10);
  ASSERT_EQ(mirrored.size(), 23u);
  expectLine(mirrored[10], 100 + 10 * std::cos(kPi / 2 - 1), 10 * std::sin(kPi / 2 - 1),
             100 - 10 * std::cos(kPi / 2 - 1), -10 * std::sin(kPi / 2 - 1), 1e-9);
}

TEST(Rake, JogShorterThanTheHalfLengthTurnsAboutItsVertices) {
  // Both corners of the 5-pixel jog would put their inner corner point beyond
  // the jog's end: every line is centred on the path, fans on the vertices.
  const std::vector<TavPoint> pts = {{0, 0}, {100, 0}, {100, 5}, {200, 5}};
  const auto r = rakeOf(pts, 10, 10);
  ASSERT_EQ(r.size(), 23u);  // path 100 + 5 pi + 5 + 5 pi + 100
  for (const TavLine& l : r) {
    EXPECT_NEAR(pathDist(middle(l), pts), 0.0, 1e-9);
    EXPECT_NEAR(distOf(l.p1, l.p2), 20.0, 1e-9);
  }
  expectLine(r[9], 100, 10, 100, -10, 1e-12);  // the first fan line, at the first vertex
  expectLine(r.back(), 225.0 - 10 * kPi, 15, 225.0 - 10 * kPi, -5, 1e-9);  // position 230
}

TEST(Rake, StraightUpToRoundingStaysOnThePath) {
  // Three points on y = 7x + 10 with decimal coordinates: not exactly collinear,
  // and the offset lines cross far from the joint by rounding alone.
  const std::vector<TavPoint> pts = {{2.3, 7 * 2.3 + 10}, {2.9, 7 * 2.9 + 10}, {3.2, 7 * 3.2 + 10}};
  const auto r = rakeOf(pts, 1, 0.5);
  ASSERT_EQ(r.size(), 12u);  // path 6.364: positions 0.5 .. 6
  const double len = std::hypot(0.9, 6.3);
  for (std::size_t k = 0; k < r.size(); ++k) {
    const TavPoint m = middle(r[k]);
    EXPECT_NEAR(pathDist(m, pts), 0.0, 1e-9) << k;
    EXPECT_NEAR(distOf(m, pts[0]), 0.5 * (k + 1), 1e-9) << k;
  }
  EXPECT_LT(distOf(middle(r.back()), pts[0]), len);
}

TEST(Rake, RandomSharpPathsStayNearThePath) {
  // Any turn, short segments, hairpins near the reversal tolerance: no line end
  // lies farther than 3h from the path (an ordinary fan reaches 2h beyond its
  // pivot, which lies h from the path), and the count stays within the path's
  // length: segments plus at most a full circle of radius 2h per corner.
  std::mt19937 gen(99);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 3000; ++trial) {
    const double h = 0.2 + unit(gen) * 10, s = 0.2 + unit(gen) * 10;
    const int n = 3 + static_cast<int>(gen() % 7);
    const int kind = trial % 3;
    double angle = unit(gen) * 2 * kPi;
    std::vector<TavPoint> pts = {TavPoint(unit(gen) * 200 - 100, unit(gen) * 200 - 100)};
    double bound = 0;
    for (int i = 1; i < n; ++i) {
      const double len = kind == 0 ? 0.05 + unit(gen) * 2 * h : 0.5 + unit(gen) * 60;
      const double turn =
          kind == 2 ? (unit(gen) < 0.5 ? -1 : 1) * (kPi - unit(gen) * 1e-3) : (2 * unit(gen) - 1) * kPi;
      const TavPoint& b = pts.back();
      pts.push_back(TavPoint(b.x + len * std::cos(angle), b.y + len * std::sin(angle)));
      bound += len + 4 * kPi * h;
      angle += turn;
    }
    const auto r = rakeOf(pts, h, s);
    ASSERT_LE(static_cast<double>(r.size()), bound / s + 1) << trial;
    for (const TavLine& l : r) {
      ASSERT_LE(pathDist(l.p1, pts), 3 * h * (1 + 1e-9) + 1e-9) << trial;
      ASSERT_LE(pathDist(l.p2, pts), 3 * h * (1 + 1e-9) + 1e-9) << trial;
    }
  }
}
