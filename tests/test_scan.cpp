#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

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

TEST(Rake, CornerTowardPositiveSide) {
  const auto r = rakeOf({{0, 0}, {100, 0}, {100, 100}}, 10, 10);
  ASSERT_EQ(r.size(), 21u);
  for (int k = 0; k < 8; ++k) expectLine(r[k], 10.0 * (k + 1), 10, 10.0 * (k + 1), -10);
  // The fan pivots about the inner corner (90, 10); the position 90 at the
  // stretch end is its first line, not a ninth stretch line.
  expectLine(r[8], 90, 10, 90, -10);
  expectLine(r[9], 90, 10, 99.5885, -7.5517, 1e-4);
  expectLine(r[10], 90, 10, 106.8294, -0.8060, 1e-4);
  expectLine(r[11], 90, 10, 109.9499, 8.5853, 1e-4);
  const double first = 10.0 + 10.0 - (90.0 + 10.0 * kPi - 120.0);  // 18.5841
  for (int k = 0; k < 9; ++k) expectLine(r[12 + k], 90, first + 10.0 * k, 110, first + 10.0 * k, 1e-9);
}

TEST(Rake, CornerTowardNegativeSide) {
  const auto r = rakeOf({{0, 0}, {100, 0}, {100, -100}}, 10, 10);
  ASSERT_EQ(r.size(), 21u);
  for (int k = 0; k < 8; ++k) expectLine(r[k], 10.0 * (k + 1), 10, 10.0 * (k + 1), -10);
  // Pivot (90, -10) on the negative side: the fan lines end at it.
  expectLine(r[8], 90, 10, 90, -10);
  expectLine(r[9], 99.5885, 7.5517, 90, -10, 1e-4);
  expectLine(r[11], 109.9499, -8.5853, 90, -10, 1e-4);
  const double first = 10.0 + 10.0 - (90.0 + 10.0 * kPi - 120.0);
  for (int k = 0; k < 9; ++k) expectLine(r[12 + k], 110, -first - 10.0 * k, 90, -first - 10.0 * k, 1e-9);
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
  for (double s : {0.0, -0.0, -10.0, kNaN, kInf, -kInf}) {
    EXPECT_TRUE(rakeOf(pts, 10, s).empty()) << s;
  }
  for (double h : {0.0, -0.0, -10.0, kNaN, kInf, -kInf}) {
    EXPECT_TRUE(rakeOf(pts, h, 10).empty()) << h;
  }
}

TEST(Rake, CountsAndPointersAreChecked) {
  const std::vector<TavPoint> pts = {{0, 0}, {100, 0}};
  for (int count : {1, 0, -1, -2, INT_MIN}) {
    std::vector<TavLine> out = stale();
    polyLineToPolyRake(pts.data(), count, 10, 10, &out);
    EXPECT_TRUE(out.empty()) << count;
  }
  std::vector<TavLine> out = stale();
  polyLineToPolyRake(nullptr, 0, 10, 10, &out);
  EXPECT_TRUE(out.empty());
  out = stale();
  polyLineToPolyRake(nullptr, 5, 10, 10, &out);
  EXPECT_TRUE(out.empty());
  polyLineToPolyRake(pts.data(), 2, 10, 10, nullptr);
}

TEST(Rake, RepeatedPointsAreSkipped) {
  const auto plain = rakeOf({{0, 0}, {100, 0}, {100, 100}}, 10, 10);
  const auto repeated =
      rakeOf({{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 100}, {100, 100}}, 10, 10);
  ASSERT_EQ(repeated.size(), plain.size());
  for (std::size_t k = 0; k < plain.size(); ++k) {
    EXPECT_EQ(repeated[k].p1.x, plain[k].p1.x);
    EXPECT_EQ(repeated[k].p1.y, plain[k].p1.y);
    EXPECT_EQ(repeated[k].p2.x, plain[k].p2.x);
    EXPECT_EQ(repeated[k].p2.y, plain[k].p2.y);
  }
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
