// Spokes across an arc and the rake along a polyline. Counts, caps and the
// output of unusable input beyond what fuzz_scan checks, and exact lines.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "check.h"
#include "reference/rake_reference.h"

using namespace NTavGeometry;
using tavtest::isLine;

namespace {
constexpr double kPi = 3.141592653589793;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kCap = kScanLinesMax;

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

bool sameLines(const std::vector<TavLine>& a, const std::vector<TavLine>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(TavLine)) == 0;
}

bool sameAsLiteral(const std::vector<TavPoint>& pts, double h, double s) {
  std::vector<TavLine> want;
  tavref::polyLineToPolyRakeLiteral(pts.data(), static_cast<int>(pts.size()), h, s, &want);
  return sameLines(rakeOf(pts, h, s), want);
}

// The fan line at angle phi turning about the vertex (vx, 0) with half length 10.
::testing::AssertionResult isVertexFan(const TavLine& l, double vx, double phi) {
  const double c = 10 * std::cos(phi), s = 10 * std::sin(phi);
  return isLine(l, vx + c, s, vx - c, -s, 1e-9);
}
}  // namespace

TEST(Spoke, CountsEndsAndDegenerateInput) {
  const struct {
    double cx, cy, r, start, sweep, length, spacing;
    size_t count;
    double x1, y1, x2, y2, tol;  // the last spoke; NaN x1: not checked
  } rows[] = {
      {0, 0, 100, 0, kPi / 2, 20, 10, 18, 0, 100, 0, 120, 1e-9},  // L = 120 pi/2: trunc(18.85 - 1) + 1
      {5, -3, 100, 0, kPi / 2, -20, 10, 15, 5, 97, 5, 77, 1e-9},  // inward, measured on the arc
      {0, 0, 10, 1, -1, 0, 2, 5, 10, 0, 10, 0, 1e-12},            // toward decreasing angles
      // a full turn leaves out the repeat; just short of it the end spoke stays
      {0, 0, 100, 0, 2 * kPi, 20, 10, 74, 99.63974885425264, -8.480592447550963, 119.56769862510316,
       -10.176710937061154, 1e-9},
      {0, 0, 100, 0, 6.28317, 20, 10, 75, 99.99999998828451, -0.0015307179585735341, 119.99999998594141,
       -0.0018368615502882412, 1e-9},
      {1, 2, 10, kPi / 2, 0, 5, 3, 2, 1, 12, 1, 17, 1e-9},    // zero sweep: two spokes on the start ray
      {0, 0, 10, 0, kPi / 2, 0, 200, 2, 0, 10, 0, 10, 1e-9},  // coarse or negative spacing: start and end
      {0, 0, 10, 0, kPi / 2, 0, -1, 2, 0, 10, 0, 10, 1e-9},
      {0, 0, 10, 0, kPi / 2, 4, 0, 1, 10, 0, 14, 0, 1e-12},  // spacing 0 or NaN: the start spoke alone
      {0, 0, 10, 0, kInf, 4, 1, 1, kNaN, 0, 0, 0, 0},
      {0, 0, 100, 0, kPi, 0, 1e-300, 1, 100, 0, 100, 0, 1e-12},  // past the cap: the start spoke alone
      {0, 0, 1, 0, 1, 0, 1.0 / (kCap + 1.5), 1, 1, 0, 1, 0, 1e-12},
      {0, 0, 1, 0, 1, 0, 1.0 / (kCap + 0.5), kScanLinesMax, 0.5403023058681398, 0.8414709848078965,
       0.5403023058681398, 0.8414709848078965, 1e-6},
  };
  for (const auto& w : rows) {
    SCOPED_TRACE(testing::Message() << "sweep " << w.sweep << " length " << w.length << " spacing "
                                    << w.spacing);
    const auto sp = spokesOf(TavArc(TavPoint(w.cx, w.cy), w.r, w.start, w.sweep), w.length, w.spacing);
    ASSERT_EQ(sp.size(), w.count);
    if (!std::isnan(w.x1)) EXPECT_TRUE(isLine(sp.back(), w.x1, w.y1, w.x2, w.y2, w.tol));
  }
  arcToSpoke(TavArc(TavPoint(0, 0), 1, 0, 1), 1, 1, nullptr);  // a null output is ignored
}

TEST(Spoke, BaseSpokeTurnedToARunningSumOfSteps) {
  // Spoke k is the spoke at angle 0 turned to start + step + ... + step (k
  // times), not to start + k * step.
  const auto sp = spokesOf(TavArc(TavPoint(12.5, -7.25), 40, 0.3, 2.1), 15, 1.7);
  const int n = static_cast<int>(55 * 2.1 / 1.7 - 1.0);
  ASSERT_EQ(sp.size(), static_cast<std::size_t>(n) + 1);
  double angle = 0.3;
  int differs = 0;
  for (int k = 0; k <= n; ++k) {
    if (k > 0) angle += 2.1 / n;
    TavPoint a(52.5, -7.25), b(67.5, -7.25);
    CTavRotator(12.5, -7.25, angle).rotate(&a.x, &a.y);
    CTavRotator(12.5, -7.25, angle).rotate(&b.x, &b.y);
    EXPECT_TRUE(isLine(sp[k], a.x, a.y, b.x, b.y)) << k;
    differs += angle != 0.3 + k * (2.1 / n);
  }
  EXPECT_GT(differs, 0);
}

TEST(Rake, StraightPathsAndCorners) {
  const std::vector<TavPoint> paths[] = {{{0, 0}, {100, 0}},
                                         {{0, 0}, {0, -100}},
                                         {{0, 0}, {100, 0}, {100, 100}},
                                         {{0, 0}, {100, 0}, {100, 5}, {200, 5}},
                                         {{0, 0}, {kCap + 1, 0}}};
  const struct {
    int path;
    double h, s;
    size_t count, at;
    double x1, y1, x2, y2, tol;
  } rows[] = {
      {0, 10, 25, 3, 0, 25, 10, 25, -10, 1e-12},    // nothing at 0 or at the path end
      {1, 10, 25, 3, 0, 10, -25, -10, -25, 1e-12},  // positive side: the direction turned by +90
      // perpendiculars under 0.01 have angle 0: the fans add no length
      {2, 0.004, 10, 19, 9, 99.996, 10 - 9.992, 99.996 + 0.008, 10 - 9.992, 1e-9},
      // a jog shorter than h: lines centred on the path, fans about the vertices
      {3, 10, 10, 23, 9, 100, 10, 100, -10, 1e-12},
      {3, 10, 10, 23, 22, 193.58407346410206, 15, 193.58407346410206, -5, 1e-9},
      {4, 1, 1, kScanLinesMax, kScanLinesMax - 1, kCap, 1, kCap, -1, 0},  // T = (cap + 1) s still fits
  };
  for (const auto& w : rows) {
    SCOPED_TRACE(testing::Message() << "path " << w.path << " line " << w.at);
    const auto r = rakeOf(paths[w.path], w.h, w.s);
    ASSERT_EQ(r.size(), w.count);
    EXPECT_TRUE(isLine(r[w.at], w.x1, w.y1, w.x2, w.y2, w.tol));
  }
}

TEST(Rake, ReversalsAndHairpinsTurnAboutTheVertex) {
  // Reversal: 100 out, a half circle of radius 10, 50 back; fan lines 1 rad (s/h)
  // apart, centred on the vertex; back along y = 0 the positive side is -y.
  const auto r = rakeOf({{0, 0}, {100, 0}, {50, 0}}, 10, 10);
  ASSERT_EQ(r.size(), 18u);
  EXPECT_TRUE(isLine(r[8], 90, 10, 90, -10, 1e-12));
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(isVertexFan(r[9 + k], 100, kPi / 2 + k)) << k;
  const double back = 100.0 - (10.0 - (100.0 + 10.0 * kPi - 130.0));
  for (int k = 0; k < 5; ++k)
    EXPECT_TRUE(isLine(r[13 + k], back - 10.0 * k, -10, back - 10.0 * k, 10, 1e-9)) << k;

  // Just outside the reversal tolerance (sine 1e-5) the inner corner point lies
  // 2e6 back: the turn is laid about the vertex, either way round.
  for (double side : {1.0, -1.0}) {
    const auto hp = rakeOf({{0, 0}, {100, 0}, {0, 0.001 * side}}, 10, 10);
    ASSERT_EQ(hp.size(), 23u);  // 100 + 10 (pi - 1e-5) + 100
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(isVertexFan(hp[9 + k], 100, kPi / 2 + side * k)) << side << k;
  }
}

TEST(Rake, UnusableInputGivesNoLines) {
  const std::vector<TavPoint> pts = {{0, 0}, {100, 0}, {100, 100}};
  for (double s : {1e-300, 5e-324, 1e-5}) EXPECT_TRUE(rakeOf(pts, 10, s).empty()) << s;  // past the cap
  EXPECT_TRUE(rakeOf({{0, 0}, {kCap + 1.5, 0}}, 1, 1).empty());
  EXPECT_TRUE(rakeOf({{0, 0}, {kNaN, 0}, {100, 0}}, 10, 10).empty());
  EXPECT_TRUE(rakeOf({{0, 0}, {kInf, 0}}, 10, 10).empty());
  EXPECT_TRUE(rakeOf({{-1e308, 0}, {1e308, 0}}, 10, 1e300).empty());  // the length overflows
  EXPECT_TRUE(rakeOf({{3, 4}, {3, 4}, {3, 4}}, 10, 1).empty());       // one distinct point
  std::vector<TavLine> out = stale();
  polyLineToPolyRake(nullptr, 5, 10, 10, &out);
  EXPECT_TRUE(out.empty());
  polyLineToPolyRake(pts.data(), 2, 10, 10, nullptr);
}

TEST(Rake, SameLinesAsTheStepByStepConstruction) {
  // Repeated points are left out.
  EXPECT_TRUE(
      sameLines(rakeOf({{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 100}, {100, 100}}, 10, 10),
                rakeOf({{0, 0}, {100, 0}, {100, 100}}, 10, 10)));
  // Random paths with ordinary corners only: turns up to 0.6 or 3.05 rad, each
  // segment longer than the setbacks h tan(|turn| / 2) of its corners.
  std::mt19937 gen(2024);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 3000; ++trial) {
    const double h = 0.05 + unit(gen) * 12, s = 0.3 + unit(gen) * 9, maxTurn = trial % 2 == 0 ? 0.6 : 3.05;
    const int n = 2 + static_cast<int>(gen() % 9);
    std::vector<double> turns(n, 0.0);
    for (int i = 1; i + 1 < n; ++i) turns[i] = (2 * unit(gen) - 1) * maxTurn;
    double angle = unit(gen) * 2 * kPi;
    std::vector<TavPoint> pts = {TavPoint(unit(gen) * 400 - 200, unit(gen) * 400 - 200)};
    for (int i = 0; i + 1 < n; ++i) {
      const double len = h * (std::tan(std::fabs(turns[i]) / 2) + std::tan(std::fabs(turns[i + 1]) / 2)) +
                         0.5 + unit(gen) * 80;
      pts.emplace_back(pts.back().x + len * std::cos(angle), pts.back().y + len * std::sin(angle));
      angle += turns[i + 1];
    }
    ASSERT_TRUE(sameAsLiteral(pts, h, s)) << "trial " << trial;
  }
  // Exactly collinear joints next to sharper corners; stretches that meet
  // exactly, turned so that rounding leaves a residue either way.
  for (double h : {2.5, 0.75, 4.0})
    EXPECT_TRUE(sameAsLiteral({{1, 2}, {31, 42}, {61, 82}, {70, 70}, {100, 110}, {130, 150}}, h, 0.7)) << h;
  for (double end : {0.0, 200.0}) {
    for (double turn : {0.0, 0.3, 1.234, 2.9, -2.2}) {
      std::vector<TavPoint> pts = {{0, 0}, {100, 0}, {100, 20}, {end, 20}};
      for (TavPoint& q : pts) pointRotate(TavPoint(7.5, -3.25), turn, &q);
      EXPECT_TRUE(sameAsLiteral(pts, 10, 3)) << end << " " << turn;
    }
  }
}
