#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace NTavGeometry;

namespace {
constexpr double kPi = 3.141592653589793;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TavLine L(double x1, double y1, double x2, double y2) { return TavLine(TavPoint(x1, y1), TavPoint(x2, y2)); }
}  // namespace

TEST(LinePredicates, ValidHorizVert) {
  EXPECT_FALSE(lineIsValid(L(0, 0, 0, 1e-9)));
  EXPECT_TRUE(lineIsValid(L(0, 0, 0, 1e-7)));
  EXPECT_FALSE(lineIsValid(L(0, 0, 0, 1e-8)));  // strictly longer than 1e-8
  EXPECT_FALSE(lineIsValid(L(0, 0, kNaN, 1)));
  EXPECT_TRUE(lineIsHoriz(L(0, 0, 100, 0.00001)));  // tolerance inclusive
  EXPECT_FALSE(lineIsVert(L(0, 0, 100, 0.00001)));
  EXPECT_FALSE(lineIsHoriz(L(0, 0, 100, 0.0000101)));
  EXPECT_TRUE(lineIsVert(L(0, 0, 0.00001, 50)));
  EXPECT_FALSE(lineIsHoriz(L(0, kNaN, 1, 0)));
  EXPECT_FALSE(lineIsVert(L(kNaN, 0, 1, 0)));
}

TEST(LineRelations, IntersectionOfInfiniteLines) {
  TavPoint p(-7, -7);
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 10, 0), L(5, -1, 5, 1), &p));
  EXPECT_EQ(p.x, 5.0);
  EXPECT_EQ(p.y, 0.0);
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 1, 0), L(3, 1, 4, 2), &p));  // segments need not overlap
  EXPECT_EQ(p.x, 2.0);
  EXPECT_EQ(p.y, 0.0);
  // Parametrised along the first line: the point follows p1 + t * (p2 - p1).
  EXPECT_TRUE(lineLineIntersection(L(2, 2, 4, 6), L(0, 4, 10, 4), &p));
  EXPECT_EQ(p.x, 3.0);
  EXPECT_EQ(p.y, 4.0);
  p = TavPoint(-7, -8);
  EXPECT_FALSE(lineLineIntersection(L(0, 0, 1, 0), L(100, 5, 101, 5), &p));
  EXPECT_EQ(p.x, -7.0);  // untouched on failure
  EXPECT_EQ(p.y, -8.0);
  EXPECT_FALSE(lineLineIntersection(L(1, 1, 1, 1), L(0, 0, 3, 7), &p));  // zero length: D = 0
  EXPECT_FALSE(lineLineIntersection(L(0, 0, 3, 7), L(1, 1, 1, 1), &p));
  EXPECT_EQ(p.x, -7.0);
  // No tolerance: nearly parallel lines still cross, far away.
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 1, 0), L(0, 1, 1, 1 - std::ldexp(1.0, -40)), &p));
  EXPECT_EQ(p.x, std::ldexp(1.0, 40));
  EXPECT_EQ(p.y, 0.0);
  // The output may be one of the inputs' points.
  TavLine a = L(0, 0, 10, 0);
  EXPECT_TRUE(lineLineIntersection(a, L(5, -1, 5, 1), &a.p1));
  EXPECT_EQ(a.p1.x, 5.0);
}

TEST(LineRelations, Collinear) {
  EXPECT_TRUE(lineLineIsCollinear(L(0, 0, 1, 1), L(5, 5, 2, 2)));
  EXPECT_FALSE(lineLineIsCollinear(L(0, 0, 1, 1), L(0, 1, 1, 2)));
  EXPECT_FALSE(lineLineIsCollinear(L(0, 0, 1, 1), L(0, 0, 1, 1.0000001)));  // exact test
  EXPECT_FALSE(lineLineIsCollinear(L(0, 0, 1, 0), L(0, 1e-300, 1, 1e-300)));
  EXPECT_FALSE(lineLineIsCollinear(L(0, 0, 1, 0), L(0, kNaN, 1, 0)));
}

TEST(LineRelations, PerpendicularAndParallel) {
  TavLine out = L(9, 9, 9, 9);
  linePointToLinePerpendicular(L(0, 0, 10, 0), TavPoint(3, 7), &out);
  EXPECT_EQ(out.p1.x, 3.0);
  EXPECT_EQ(out.p1.y, 7.0);
  EXPECT_EQ(out.p2.x, 3.0);
  EXPECT_EQ(out.p2.y, 0.0);
  // Projection on the infinite line, beyond the segment's ends.
  linePointToLinePerpendicular(L(0, 0, 2, 2), TavPoint(10, 0), &out);
  EXPECT_EQ(out.p2.x, 5.0);
  EXPECT_EQ(out.p2.y, 5.0);
  // A point on the line gives a zero-length segment at the point.
  linePointToLinePerpendicular(L(0, 0, 2, 2), TavPoint(-3, -3), &out);
  EXPECT_EQ(out.p1.x, -3.0);
  EXPECT_EQ(out.p2.x, -3.0);
  EXPECT_EQ(out.p2.y, -3.0);
  // A zero-length line clears all four coordinates, p1 included.
  out = L(9, 9, 9, 9);
  linePointToLinePerpendicular(L(2, 2, 2, 2), TavPoint(3, 7), &out);
  EXPECT_EQ(out.p1.x, 0.0);
  EXPECT_EQ(out.p1.y, 0.0);
  EXPECT_EQ(out.p2.x, 0.0);
  EXPECT_EQ(out.p2.y, 0.0);
  // Output aliasing the line itself.
  TavLine l = L(0, 0, 10, 0);
  linePointToLinePerpendicular(l, TavPoint(3, 7), &l);
  EXPECT_EQ(l.p1.y, 7.0);
  EXPECT_EQ(l.p2.x, 3.0);
  EXPECT_EQ(l.p2.y, 0.0);

  linePointToLineParallel(L(0, 0, 3, 4), TavPoint(1, 1), &out);
  EXPECT_EQ(out.p1.x, 1.0);
  EXPECT_EQ(out.p1.y, 1.0);
  EXPECT_EQ(out.p2.x, 4.0);
  EXPECT_EQ(out.p2.y, 5.0);
  l = L(5, 5, 2, 1);  // direction kept, including its sign
  linePointToLineParallel(l, l.p2, &l);
  EXPECT_EQ(l.p1.x, 2.0);
  EXPECT_EQ(l.p1.y, 1.0);
  EXPECT_EQ(l.p2.x, -1.0);
  EXPECT_EQ(l.p2.y, -3.0);
}

TEST(LineRelations, BisectCrossingLines) {
  TavLine out;
  lineLineBisect(L(0, 0, 1, 0), L(0, 0, 0, 1), &out);
  EXPECT_EQ(out.p1.x, 0.0);
  EXPECT_EQ(out.p1.y, 0.0);
  EXPECT_NEAR(out.p2.x, 7071.0678, 1e-3);
  EXPECT_NEAR(out.p2.y, 7071.0678, 1e-3);
  // d = 3pi/4 > pi/2: a quarter turn is added, 3pi/8 + pi/2 = 7pi/8.
  lineLineBisect(L(0, 0, 1, 0), L(0, 0, -1, 1), &out);
  EXPECT_NEAR(std::atan2(out.p2.y - out.p1.y, out.p2.x - out.p1.x), 7 * kPi / 8, 1e-12);
  EXPECT_NEAR(std::hypot(out.p2.x - out.p1.x, out.p2.y - out.p1.y), 10000.0, 1e-9);
  // Starts at the crossing point, not at either line's p1.
  lineLineBisect(L(10, 3, 20, 3), L(4, 10, 4, 20), &out);
  EXPECT_EQ(out.p1.x, 4.0);
  EXPECT_EQ(out.p1.y, 3.0);
  EXPECT_NEAR(std::atan2(out.p2.y - out.p1.y, out.p2.x - out.p1.x), kPi / 4, 1e-12);
}

TEST(LineRelations, BisectTakesTheShortWayRound) {
  // Directions 170 and -170 degrees make a 20 degree angle; its bisector points
  // at 180 degrees. The raw difference of -340 degrees would give 0 degrees +
  // a quarter turn.
  const double a1 = 170 * kPi / 180, a2 = -170 * kPi / 180;
  TavLine out;
  lineLineBisect(L(0, 0, std::cos(a1), std::sin(a1)), L(0, 0, std::cos(a2), std::sin(a2)), &out);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-6);
  EXPECT_NEAR(out.p2.y, 0.0, 1e-6);
  // Same in the other order: difference +340 degrees folds to -20.
  lineLineBisect(L(0, 0, std::cos(a2), std::sin(a2)), L(0, 0, std::cos(a1), std::sin(a1)), &out);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-6);
  EXPECT_NEAR(out.p2.y, 0.0, 1e-6);
  // 100 and -100 degrees: the short way is 160 degrees through 180, so the
  // result is 180 + a quarter turn = 270 (-90) degrees.
  const double b1 = 100 * kPi / 180, b2 = -100 * kPi / 180;
  lineLineBisect(L(0, 0, std::cos(b1), std::sin(b1)), L(0, 0, std::cos(b2), std::sin(b2)), &out);
  EXPECT_NEAR(out.p2.x, 0.0, 1e-6);
  EXPECT_NEAR(out.p2.y, -10000.0, 1e-6);
}

TEST(LineRelations, BisectParallelLines) {
  TavLine out;
  lineLineBisect(L(0, 1, 10, 1), L(0, 3, 10, 3), &out);
  EXPECT_NEAR(out.p1.x, 0.0, 1e-12);
  EXPECT_EQ(out.p1.y, 2.0);
  EXPECT_NEAR(out.p2.x, 10000.0, 1e-12);
  EXPECT_EQ(out.p2.y, 2.0);
  // Opposite directions are parallel too; the result takes the first line's direction.
  lineLineBisect(L(10, 1, 0, 1), L(0, 3, 10, 3), &out);
  EXPECT_NEAR(out.p1.x, 0.0, 1e-9);
  EXPECT_NEAR(out.p1.y, 2.0, 1e-12);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-9);
}

TEST(LineCompare, SameInfiniteLine) {
  EXPECT_TRUE(lineCompare(L(0, 1, 10, 1), L(-5, 1, 3, 1)));
  EXPECT_FALSE(lineCompare(L(0, 1, 10, 1), L(0, 2, 10, 2)));
  EXPECT_FALSE(lineCompare(L(0, 0, 10, 10), L(0, 10, 10, 0)));
  EXPECT_TRUE(lineCompare(L(0, 1, 10, 1), L(3, 1, -5, 1)));  // opposite direction, same line
  EXPECT_TRUE(lineCompare(L(2, 0, 2, 5), L(2, 9, 2, -9)));
  EXPECT_FALSE(lineCompare(L(2, 0, 2, 5), L(2.0001, 9, 2.0001, -9)));
  EXPECT_TRUE(lineCompare(L(2, 0, 2, 5), L(2.000009, 9, 2.000009, -9)));  // within 1e-5
}

TEST(LineCompare, HorizontalLinesPointingLeft) {
  // Two horizontal lines toward negative x, 5 apart: different lines.
  EXPECT_FALSE(lineCompare(L(10, 1, 0, 1), L(10, 6, 0, 6)));
  EXPECT_FALSE(lineCompare(L(10, 1, 0, 1), L(0, 6, 10, 6)));
  EXPECT_TRUE(lineCompare(L(10, 1, 0, 1), L(-4, 1, 7, 1)));
  // A steep line pointing downward still uses the x-intercepts.
  EXPECT_FALSE(lineCompare(L(3, 5, 3, -5), L(7, 5, 7, -5)));
  EXPECT_TRUE(lineCompare(L(3, 5, 3, -5), L(3, 1, 3, 2)));
}

TEST(LineCompare, ShortLinesUseTheirTrueDirection) {
  // Shorter than 0.01: vertical lines x = 3 and x = 7 are different lines.
  EXPECT_FALSE(lineCompare(L(3, 0, 3, 0.005), L(7, 0, 7, 10)));
  EXPECT_TRUE(lineCompare(L(3, 0, 3, 0.005), L(3, 4, 3, 10)));
  // A zero-length line matches no line, not even y = 0 or itself.
  EXPECT_FALSE(lineCompare(L(5, 7, 5, 7), L(0, 0, 10, 0)));
  EXPECT_FALSE(lineCompare(L(0, 0, 10, 0), L(5, 7, 5, 7)));
  EXPECT_FALSE(lineCompare(L(5, 7, 5, 7), L(5, 7, 5, 7)));
  EXPECT_FALSE(lineCompare(L(0, 0, kNaN, 0), L(0, 0, kNaN, 0)));
}
