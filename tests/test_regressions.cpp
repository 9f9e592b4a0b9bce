// Inputs found by the fuzz targets (tests/fuzz), each with the behaviour that
// was mended. The comments give the target and the input's base64 so that the
// original can be replayed with the target binary.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace NTavGeometry;

namespace {

using List = std::vector<int>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// True when every row record of a walkable list lies inside the box.
bool rowsInsideBox(const List& l, const TavRect& box) {
  size_t i = 6;
  while (i < l.size() && l[i] >= 0) {
    const int row = l[i++];
    if (row < box.y || row > box.y + box.height - 1) return false;
    while (i < l.size() && l[i] != -1) i += 2;
    ++i;
  }
  return true;
}

}  // namespace

// fuzz_regions, BoNra2uMa2trawQ=: a NaN vertex took part in the scan as (0, 0)
// while the bounding box ignored it, so the list held rows outside its box.
TEST(Regressions, PolygonWithNaNVertexGivesNoRows) {
  std::vector<TavPoint> pts(11, TavPoint(kNaN, kNaN));
  pts[0] = TavPoint(2147483754.0, 2147483651.0);
  CTavGeoRleCalcPolygon c;
  ASSERT_TRUE(c.calculate(-1, 11, pts.data(), 11));
  EXPECT_EQ(c.rle(), (List{-1, 11, 0, 0, 0, 0, -1}));
  EXPECT_EQ(c.boundingBox().width, 0.0);
  // One NaN coordinate is enough; a square without it keeps its rows.
  const TavPoint square[4] = {TavPoint(1, 1), TavPoint(4, 1), TavPoint(4, kNaN), TavPoint(1, 4)};
  ASSERT_TRUE(c.calculate(10, 10, square, 4));
  EXPECT_EQ(c.rle(), (List{10, 10, 0, 0, 0, 0, -1}));
  const TavPoint good[4] = {TavPoint(1, 1), TavPoint(4, 1), TavPoint(4, 4), TavPoint(1, 4)};
  ASSERT_TRUE(c.calculate(10, 10, good, 4));
  EXPECT_EQ(c.rle(), (List{10, 10, 1, 4, 1, 4, 1, 1, 3, -1, 2, 1, 3, -1, 3, 1, 3, -1, -1}));
  EXPECT_TRUE(rowsInsideBox(c.rle(), c.boundingBox()));
}

// fuzz_regions, AAsABwCCKq0xUGet: an edge from above row 0 was entered at row
// 0 of an edge table that had no rows (height 0), writing past it.
TEST(Regressions, PolygonClippedEdgeOnAnEmptyScan) {
  const TavPoint tri[3] = {TavPoint(0, -5), TavPoint(10, 5), TavPoint(0, 5)};
  CTavGeoRleCalcPolygon c;
  ASSERT_TRUE(c.calculate(10, 0, tri, 3));
  EXPECT_EQ(c.rle(), (List{10, 0, 0, 10, -4, 5, -1}));  // header words from the box, +0.5
  const TavPoint above[3] = {TavPoint(0, -5), TavPoint(10, 0.5), TavPoint(0, 0.5)};
  ASSERT_TRUE(c.calculate(10, 10, above, 3));  // lowest vertex on row 0: nothing to scan
  EXPECT_EQ(c.rle().size(), 7u);
}

// fuzz_circles, 9C9LSztL5ktLS0tLO0vmAQAALw==: points collinear up to rounding
// but far from the origin built a circle of radius 3e16 on which the first and
// the last point had the same angle, and the arc came back with a sweep of
// exactly -2*pi although a built arc's sweep is below a full turn.
TEST(Regressions, ArcThroughPointsWithoutDistinctEndsIsRefused) {
  const TavArc before(TavPoint(1, 2), 3, 4, 5);
  TavArc arc = before;
  EXPECT_FALSE(arcIn3Points(TavPoint(4.6875, -0.0), TavPoint(2147483722.0, 75), TavPoint(-0.0, -0.0), &arc));
  EXPECT_EQ(arc.center.x, 1);
  EXPECT_EQ(arc.radius, 3);
  EXPECT_EQ(arc.sweepAngle, 5);
  // An ordinary arc is unchanged.
  ASSERT_TRUE(arcIn3Points(TavPoint(1, 0), TavPoint(0, 1), TavPoint(-1, 0), &arc));
  EXPECT_NEAR(arc.sweepAngle, 3.141592653589793, 1e-12);
}

// fuzz_scan: a spacing of -0.0 laid the spokes of a negative spacing (start and
// end ray) instead of the start spoke alone that a spacing of 0 gives.
TEST(Regressions, SpokeSpacingMinusZeroIsZero) {
  const TavArc arc(TavPoint(0, 0), 10, 0, 1);
  std::vector<TavLine> plus, minus;
  arcToSpoke(arc, 5, 0.0, &plus);
  arcToSpoke(arc, 5, -0.0, &minus);
  ASSERT_EQ(plus.size(), 1u);
  ASSERT_EQ(minus.size(), 1u);
  EXPECT_EQ(minus[0].p1.x, plus[0].p1.x);
  EXPECT_EQ(minus[0].p2.x, plus[0].p2.x);
  // A negative spacing still lays the start and the end spoke.
  arcToSpoke(arc, 5, -1.0, &minus);
  EXPECT_EQ(minus.size(), 2u);
}
