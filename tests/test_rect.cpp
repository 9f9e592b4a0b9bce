#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace NTavGeometry;

namespace {
constexpr double kPi = 3.141592653589793;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TavLine L(double x1, double y1, double x2, double y2) { return TavLine(TavPoint(x1, y1), TavPoint(x2, y2)); }

const TavRect kSquare(0, 0, 10, 10, 0);
}  // namespace

TEST(RectClip, EdgeOrderNotLineDirection) {
  TavPoint a, b;
  // E1 (right) comes before E3 (left), whichever way the line points.
  ASSERT_TRUE(lineRectIntersection(L(-5, 5, 15, 5), kSquare, &a, &b));
  EXPECT_EQ(a.x, 10.0);
  EXPECT_EQ(a.y, 5.0);
  EXPECT_EQ(b.x, 0.0);
  EXPECT_EQ(b.y, 5.0);
  ASSERT_TRUE(lineRectIntersection(L(15, 5, -5, 5), kSquare, &a, &b));
  EXPECT_EQ(a.x, 10.0);
  EXPECT_EQ(b.x, 0.0);
  // E0 (y = top) before E2 (y = bottom).
  ASSERT_TRUE(lineRectIntersection(L(5, 15, 5, -5), kSquare, &a, &b));
  EXPECT_EQ(a.x, 5.0);
  EXPECT_EQ(a.y, 0.0);
  EXPECT_EQ(b.x, 5.0);
  EXPECT_EQ(b.y, 10.0);
  // A slanted line crossing E1 and E2 only: right edge first, then bottom.
  ASSERT_TRUE(lineRectIntersection(L(4, 14, 14, 4), kSquare, &a, &b));
  EXPECT_EQ(a.x, 10.0);
  EXPECT_EQ(a.y, 8.0);
  EXPECT_EQ(b.x, 8.0);
  EXPECT_EQ(b.y, 10.0);
  // Crossing E0 and E3: top first although the left edge is met first along the line.
  ASSERT_TRUE(lineRectIntersection(L(-4, 6, 6, -4), kSquare, &a, &b));
  EXPECT_EQ(a.x, 2.0);
  EXPECT_EQ(a.y, 0.0);
  EXPECT_EQ(b.x, 0.0);
  EXPECT_EQ(b.y, 2.0);
}

TEST(RectClip, OneUnitMarginInclusive) {
  TavPoint a, b;
  ASSERT_TRUE(lineRectIntersection(L(-5, -0.5, 15, -0.5), kSquare, &a, &b));
  EXPECT_EQ(a.x, 10.0);
  EXPECT_EQ(a.y, -0.5);
  EXPECT_EQ(b.x, 0.0);
  EXPECT_EQ(b.y, -0.5);
  EXPECT_TRUE(lineRectIntersection(L(-5, -1, 15, -1), kSquare, &a, &b));  // margin edge included
  EXPECT_TRUE(lineRectIntersection(L(11, -5, 11, 15), kSquare, &a, &b));
  a = TavPoint(-7, -8);
  b = TavPoint(-9, -6);
  EXPECT_FALSE(lineRectIntersection(L(-5, -2, 15, -2), kSquare, &a, &b));
  EXPECT_FALSE(lineRectIntersection(L(-5, -1.0000001, 15, -1.0000001), kSquare, &a, &b));
  EXPECT_FALSE(lineRectIntersection(L(-20, 0, 0, 20), kSquare, &a, &b));  // passes the corner outside
  EXPECT_EQ(a.x, -7.0);                                                   // untouched on failure
  EXPECT_EQ(a.y, -8.0);
  EXPECT_EQ(b.x, -9.0);
  EXPECT_EQ(b.y, -6.0);
}

TEST(RectClip, CornersCountForBothEdges) {
  TavPoint a, b;
  ASSERT_TRUE(lineRectIntersection(L(0, 0, 1, 1), kSquare, &a, &b));
  EXPECT_EQ(a.x, 0.0);
  EXPECT_EQ(a.y, 0.0);
  EXPECT_EQ(b.x, 10.0);
  EXPECT_EQ(b.y, 10.0);
  // Through P1 = (10, 0): E0 and E1 both meet it there, the search stops.
  ASSERT_TRUE(lineRectIntersection(L(10, 0, 0, 10), kSquare, &a, &b));
  EXPECT_EQ(a.x, 10.0);
  EXPECT_EQ(a.y, 0.0);
  EXPECT_EQ(b.x, 10.0);
  EXPECT_EQ(b.y, 0.0);
  // Zero-length line: parallel to every edge.
  a = TavPoint(-7, -8);
  EXPECT_FALSE(lineRectIntersection(L(5, 5, 5, 5), kSquare, &a, &b));
  EXPECT_EQ(a.x, -7.0);
  // The outputs may be the line's own points.
  TavLine l = L(-5, 5, 15, 5);
  ASSERT_TRUE(lineRectIntersection(l, kSquare, &l.p1, &l.p2));
  EXPECT_EQ(l.p1.x, 10.0);
  EXPECT_EQ(l.p2.x, 0.0);
}

TEST(RectClip, OffsetRectangle) {
  TavPoint a, b;
  const TavRect r(20, 10, 10, 4);
  ASSERT_TRUE(lineRectIntersection(L(0, 12, 1, 12), r, &a, &b));
  EXPECT_EQ(a.x, 30.0);
  EXPECT_EQ(b.x, 20.0);
  EXPECT_FALSE(lineRectIntersection(L(0, 16, 1, 16), r, &a, &b));
}

TEST(RectClip, RotatedAboutItsCentre) {
  TavPoint a, b;
  // 10 x 4 at (20, 10), a quarter turn about (25, 12): 4 wide, 10 tall,
  // covering 23..27 x 7..17. The turned corners are (27, 7), (27, 17),
  // (23, 17), (23, 7), so the vertical line x = 25 meets E1 then E3.
  const TavRect r(20, 10, 10, 4, kPi / 2);
  ASSERT_TRUE(lineRectIntersection(L(25, 0, 25, 1), r, &a, &b));
  EXPECT_NEAR(a.x, 25.0, 1e-12);
  EXPECT_NEAR(a.y, 17.0, 1e-12);
  EXPECT_NEAR(b.x, 25.0, 1e-12);
  EXPECT_NEAR(b.y, 7.0, 1e-12);
  // Horizontal line y = 16 lies inside the turned rectangle (outside the unturned one).
  ASSERT_TRUE(lineRectIntersection(L(0, 16, 1, 16), r, &a, &b));
  EXPECT_NEAR(a.x, 27.0, 1e-12);
  EXPECT_NEAR(a.y, 16.0, 1e-12);
  EXPECT_NEAR(b.x, 23.0, 1e-12);
  // The margin follows the rotation: half a unit beyond the turned edge
  // x = 27 still counts, two units do not.
  EXPECT_TRUE(lineRectIntersection(L(27.5, 0, 27.5, 1), r, &a, &b));
  EXPECT_FALSE(lineRectIntersection(L(29, 0, 29, 1), r, &a, &b));
  EXPECT_TRUE(lineRectIntersection(L(0, 17.9, 1, 17.9), r, &a, &b));
  EXPECT_FALSE(lineRectIntersection(L(0, 18.5, 1, 18.5), r, &a, &b));
  // A line through the unturned rectangle only (x near 28.9 where it is there) misses.
  EXPECT_FALSE(lineRectIntersection(L(28.5, 0, 29.5, 30), r, &a, &b));
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

TEST(RectClip, ZeroAngleIsExact) {
  // -0 counts as unrotated; a full turn goes through the rotation (and
  // rounding), but describes the same rectangle.
  TavPoint a, b;
  ASSERT_TRUE(lineRectIntersection(L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, -0.0), &a, &b));
  EXPECT_EQ(a.x, 10.0);
  EXPECT_EQ(b.x, 0.0);
  ASSERT_TRUE(lineRectIntersection(L(-5, 5, 15, 5), TavRect(0, 0, 10, 10, 2 * kPi), &a, &b));
  EXPECT_NEAR(a.x, 10.0, 1e-12);
  EXPECT_NEAR(b.x, 0.0, 1e-12);
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
  EXPECT_EQ(a.x, -7.0);
  EXPECT_EQ(b.y, -6.0);
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
