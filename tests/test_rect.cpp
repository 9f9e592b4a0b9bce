#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "check.h"

using namespace NTavGeometry;
using tavtest::isLine;
using tavtest::isPt;

namespace {
constexpr double kPi = 3.141592653589793;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TavLine L(double x1, double y1, double x2, double y2) { return TavLine(TavPoint(x1, y1), TavPoint(x2, y2)); }

const TavRect kSquare(0, 0, 10, 10, 0);
}  // namespace

TEST(RectClip, CrossingsInEdgeOrder) {
  // Edges are searched in the order E0 (y = top), E1 (right), E2 (bottom), E3
  // (left); the first two crossings found are reported, whichever way the line
  // points and wherever along the line they lie.
  const TavRect offset(20, 10, 10, 4);
  // 10 x 4 at (20, 10), a quarter turn about (25, 12): 4 wide, 10 tall,
  // covering 23..27 x 7..17. The turned corners are (27, 7), (27, 17),
  // (23, 17), (23, 7), so the vertical line x = 25 meets E1 then E3.
  const TavRect turned(20, 10, 10, 4, kPi / 2);
  const struct {
    TavLine l;
    TavRect r;
    TavPoint a, b;
    double tol;
  } cases[] = {
      {L(-5, 5, 15, 5), kSquare, {10, 5}, {0, 5}, 0},  // E1 before E3
      {L(15, 5, -5, 5), kSquare, {10, 5}, {0, 5}, 0},
      {L(5, 15, 5, -5), kSquare, {5, 0}, {5, 10}, 0},   // E0 before E2
      {L(4, 14, 14, 4), kSquare, {10, 8}, {8, 10}, 0},  // E1 and E2 only: right edge first
      {L(-4, 6, 6, -4), kSquare, {2, 0}, {0, 2}, 0},    // top first, though the left edge comes first
      {L(-5, -0.5, 15, -0.5), kSquare, {10, -0.5}, {0, -0.5}, 0},  // within the one-unit margin
      {L(0, 0, 1, 1), kSquare, {0, 0}, {10, 10}, 0},               // corners count for both edges
      {L(10, 0, 0, 10), kSquare, {10, 0}, {10, 0}, 0},             // E0 and E1 both meet P1: the search stops
      {L(0, 12, 1, 12), offset, {30, 12}, {20, 12}, 0},
      {L(25, 0, 25, 1), turned, {25, 17}, {25, 7}, 1e-12},
      // y = 16 lies inside the turned rectangle (outside the unturned one).
      {L(0, 16, 1, 16), turned, {27, 16}, {23, 16}, 1e-12},
      // -0 counts as unrotated; a full turn goes through the rotation (and
      // rounding), but describes the same rectangle.
      {L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, -0.0), {10, 5}, {0, 5}, 0},
      {L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, 2 * kPi), {10, 5}, {0, 5}, 1e-12},
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const auto& c = cases[k];
    TavPoint a, b;
    ASSERT_TRUE(lineRectIntersection(c.l, c.r, &a, &b)) << k;
    EXPECT_TRUE(isPt(a, c.a.x, c.a.y, c.tol)) << k;
    EXPECT_TRUE(isPt(b, c.b.x, c.b.y, c.tol)) << k;
  }
  // The outputs may be the line's own points.
  TavLine l = L(-5, 5, 15, 5);
  ASSERT_TRUE(lineRectIntersection(l, kSquare, &l.p1, &l.p2));
  EXPECT_TRUE(isLine(l, 10, 5, 0, 5));
}

TEST(RectClip, MarginInclusiveAndFailuresLeaveOutputs) {
  const TavRect offset(20, 10, 10, 4);
  const TavRect turned(20, 10, 10, 4, kPi / 2);
  const struct {
    TavLine l;
    TavRect r;
    bool ok;
  } cases[] = {
      {L(-5, -1, 15, -1), kSquare, true},  // the margin edge is included
      {L(11, -5, 11, 15), kSquare, true},
      {L(-5, -2, 15, -2), kSquare, false},
      {L(-5, -1.0000001, 15, -1.0000001), kSquare, false},
      {L(-20, 0, 0, 20), kSquare, false},  // passes the corner outside
      {L(5, 5, 5, 5), kSquare, false},     // zero length: parallel to every edge
      {L(0, 16, 1, 16), offset, false},
      // The margin follows the rotation: half a unit beyond the turned edge
      // x = 27 still counts, two units do not.
      {L(27.5, 0, 27.5, 1), turned, true},
      {L(29, 0, 29, 1), turned, false},
      {L(0, 17.9, 1, 17.9), turned, true},
      {L(0, 18.5, 1, 18.5), turned, false},
      // Through the unturned rectangle only (x near 28.9 where it is there).
      {L(28.5, 0, 29.5, 30), turned, false},
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    TavPoint a(-7, -8), b(-9, -6);
    EXPECT_EQ(lineRectIntersection(cases[k].l, cases[k].r, &a, &b), cases[k].ok) << k;
    if (!cases[k].ok) {
      EXPECT_TRUE(isPt(a, -7, -8)) << k;  // untouched on failure
      EXPECT_TRUE(isPt(b, -9, -6)) << k;
    }
  }
}

TEST(RectClip, RotatedDiamondCorner) {
  // A square turned by 45 degrees about (5, 5): the horizontal line through
  // the centre passes the turned corners P1' and P3'; E0 and E1 both end at
  // P1' = (5 + 5*sqrt 2, 5), which is reported twice.
  TavPoint a, b;
  const TavRect r(0, 0, 10, 10, kPi / 4);
  ASSERT_TRUE(lineRectIntersection(L(-20, 5, 30, 5), r, &a, &b));
  EXPECT_NEAR(a.x, 5 + 5 * std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(a.y, 5.0, 1e-12);
  EXPECT_NEAR(b.x, a.x, 1e-9);
  // Just outside a corner of the unturned square, but inside the diamond.
  ASSERT_TRUE(lineRectIntersection(L(-20, 11.5, 30, 11.5), r, &a, &b));
  EXPECT_NEAR(a.y, 11.5, 1e-12);
  EXPECT_NEAR(b.y, 11.5, 1e-12);
  EXPECT_NEAR(std::fabs(a.x - b.x), 2 * (5 * std::sqrt(2.0) - 6.5), 1e-9);
}

TEST(RectClip, NonFiniteInputsFail) {
  TavPoint a(-7, -8), b(-9, -6);
  const double bad[] = {kNaN, kInf, -kInf};
  for (double v : bad) {
    EXPECT_FALSE(lineRectIntersection(L(v, 5, 15, 5), kSquare, &a, &b));
    EXPECT_FALSE(lineRectIntersection(L(-5, 5, 15, 5), TavRect(v, 0, 10, 10), &a, &b));
    EXPECT_FALSE(lineRectIntersection(L(-5, 5, 15, 5), TavRect(0, 0, v, 10), &a, &b));
    EXPECT_FALSE(lineRectIntersection(L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, v), &a, &b));
  }
  EXPECT_TRUE(isPt(a, -7, -8));
  EXPECT_TRUE(isPt(b, -9, -6));
  // Overflowing arithmetic must still return.
  lineRectIntersection(L(-1e308, 5, 1e308, 5), TavRect(-1e308, -1e308, 1e308, 1e308, 1.0), &a, &b);
  lineRectIntersection(L(-1e308, 5, 1e308, 5), TavRect(-1e308, -1e308, 1e308, 1e308), &a, &b);
}

TEST(RectClip, RotatedLinesThroughCentreMeetTheBorder) {
  // Any line through the centre of a turned rectangle crosses its border
  // twice; turned back about the centre, each crossing lies on an edge of the
  // unturned rectangle.
  unsigned state = 777u;
  auto uniform = [&state](double lo, double hi) {
    state = state * 1664525u + 1013904223u;
    return lo + (hi - lo) * ((state >> 8) / 16777216.0);
  };
  for (int i = 0; i < 2000; ++i) {
    const TavRect r(uniform(-100, 100), uniform(-100, 100), uniform(1, 50), uniform(1, 50),
                    uniform(-kPi, kPi));
    const double cx = r.x + r.width / 2, cy = r.y + r.height / 2, dir = uniform(-kPi, kPi);
    TavPoint pts[2];
    ASSERT_TRUE(lineRectIntersection(L(cx, cy, cx + std::cos(dir), cy + std::sin(dir)), r, &pts[0], &pts[1]))
        << i;
    for (TavPoint p : pts) {
      const double dx = p.x - cx, dy = p.y - cy;
      const double u = std::cos(r.angle) * dx + std::sin(r.angle) * dy + cx;  // turned back
      const double v = -std::sin(r.angle) * dx + std::cos(r.angle) * dy + cy;
      const double toEdge = std::min(std::min(std::fabs(u - r.x), std::fabs(u - r.x - r.width)),
                                     std::min(std::fabs(v - r.y), std::fabs(v - r.y - r.height)));
      EXPECT_LT(toEdge, 1e-6) << i;
      EXPECT_LT(std::fabs(u - cx), r.width / 2 + 1 + 1e-9) << i;
      EXPECT_LT(std::fabs(v - cy), r.height / 2 + 1 + 1e-9) << i;
    }
  }
}
