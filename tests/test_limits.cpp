// The limits of the model, each on both sides: the largest radius, the rows a
// polygon scan covers, the most points an arc is sampled into, the most scan
// lines one call lays, and angles far from the interval they fold into. Every
// call beyond a limit returns at once with the documented fallback.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace NTavGeometry;

namespace {

using List = std::vector<int>;

List disk(double cx, double cy, double r) {
  CTavGeoRleCalcDisk c;
  const TavPoint p[2] = {TavPoint(cx, cy), TavPoint(cx + r, cy)};
  EXPECT_TRUE(c.calculate(7, 9, p, 2));
  return c.rle();
}

List torus(double cx, double cy, double r1, double r2) {
  CTavGeoRleCalcTorus c;
  const TavPoint p[3] = {TavPoint(cx, cy), TavPoint(cx + r1, cy), TavPoint(cx, cy + r2)};
  EXPECT_TRUE(c.calculate(7, 9, p, 3));
  return c.rle();
}

const List kEmpty = {7, 9, 0, 0, 0, 0, -1};

}  // namespace

TEST(Limits, DiskRadiusUpToTheLimitBeyondGivesEmptyList) {
  // At the limit: 2r + 1 rows of one run each.
  const List at = disk(0, 0, kRleMaxRadius);
  ASSERT_EQ(at.size(), 6u + 4u * (2u * kRleMaxRadius + 1u) + 1u);
  EXPECT_EQ(at[2], -kRleMaxRadius);
  EXPECT_EQ(at[5], kRleMaxRadius);
  // One pixel more, an infinite or a NaN radius: header and terminator only.
  EXPECT_EQ(disk(0, 0, kRleMaxRadius + 1.0), kEmpty);
  EXPECT_EQ(disk(0, 0, std::numeric_limits<double>::infinity()), kEmpty);
  EXPECT_EQ(disk(0, 0, std::nan("")), kEmpty);
  // A centre whose rows or columns would leave the int range.
  EXPECT_EQ(disk(2147483647.0 - 5, 0, 10), kEmpty);
  EXPECT_EQ(disk(0, -1e300, 10), kEmpty);
}

TEST(Limits, AnnulusOuterRadiusUpToTheLimit) {
  EXPECT_EQ(torus(0, 0, kRleMaxRadius + 1.0, 3), kEmpty);
  EXPECT_EQ(torus(0, 0, 3, kRleMaxRadius + 1.0), kEmpty);
  const List at = torus(0, 0, kRleMaxRadius, kRleMaxRadius - 1);
  EXPECT_EQ(at[4], -kRleMaxRadius);
  EXPECT_EQ(at[5], kRleMaxRadius);
  EXPECT_EQ(at.back(), -1);
}

TEST(Limits, PolygonScanStopsAtTheRowLimit) {
  // A tall thin triangle reaching far below the row limit on the largest image.
  const TavPoint tri[3] = {TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3.0 * kRleMaxRows)};
  CTavGeoRleCalcPolygon c;
  ASSERT_TRUE(c.calculate(10, std::numeric_limits<int>::max(), tri, 3));
  const List& l = c.rle();
  // The last record is row kRleMaxRows - 1: "row, start, extent, -1" before the terminator.
  ASSERT_GE(l.size(), 11u);
  EXPECT_EQ(l[l.size() - 5], kRleMaxRows - 1);
  EXPECT_EQ(l[1], std::numeric_limits<int>::max());  // the height is still reported
  // Negative height: no rows (the header still carries the vertices' box);
  // negative count: no points at all.
  ASSERT_TRUE(c.calculate(10, -5, tri, 3));
  EXPECT_EQ(c.rle(), (List{10, -5, 0, 4, 0, 3 * kRleMaxRows, -1}));
  ASSERT_TRUE(c.calculate(10, 10, tri, -3));
  EXPECT_EQ(c.rle(), (List{10, 10, 0, 0, 0, 0, -1}));
}

TEST(Limits, ArcPointSetUpToTwoToTheTwentyFour) {
  std::vector<TavPoint> pts(3);
  // Beyond the cap, infinite or NaN: empty, whatever the vector held.
  arcToPointSet(TavArc(TavPoint(0, 0), 1e7, 0, 2.0), &pts);
  EXPECT_TRUE(pts.empty());
  pts.resize(3);
  arcToPointSet(TavArc(TavPoint(0, 0), std::numeric_limits<double>::infinity(), 0, 1), &pts);
  EXPECT_TRUE(pts.empty());
  // Inside the cap: one point per unit of length.
  arcToPointSet(TavArc(TavPoint(0, 0), 1000, 0, 2.5), &pts);
  EXPECT_EQ(pts.size(), 2500u);
}

TEST(Limits, ScanLinesPerCallAreCapped) {
  std::vector<TavLine> lines(5);
  // Spokes: a step count at or above the cap gives the start spoke alone.
  arcToSpoke(TavArc(TavPoint(0, 0), 100, 0, 1), 10, 1e-300, &lines);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NEAR(lines[0].p1.x, 100, 1e-9);
  // Rake: a path needing more than the cap gives no lines.
  const TavPoint path[2] = {TavPoint(0, 0), TavPoint(1e6, 0)};
  polyLineToPolyRake(path, 2, 5, 1e-3, &lines);
  EXPECT_TRUE(lines.empty());
  polyLineToPolyRake(path, 2, 5, 1e-300, &lines);
  EXPECT_TRUE(lines.empty());
  // Well inside the cap the lines are laid.
  polyLineToPolyRake(path, 2, 5, 1e6 / 1000.5, &lines);
  EXPECT_EQ(lines.size(), 1000u);
}

TEST(Limits, HugeAnglesFoldIntoTheirIntervalAndNonFiniteGiveNaN) {
  // The folds reduce far-out angles first, so these return after a few steps.
  for (double a : {1e308, -1e308, 1e300 + 12345.0, -7.5e17}) {
    const double r = normalizeAngle0To2Pi(a);
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 6.283185307179586);
    const double s = normalizeAngleMinusPiToPi(a);
    EXPECT_GE(s, -3.141592653589793);
    EXPECT_LT(s, 3.141592653589793);
  }
  EXPECT_TRUE(std::isnan(normalizeAngle0ToPi(std::numeric_limits<double>::infinity())));
  // Arcs whose start lies far out or is not finite return at once.
  EXPECT_FALSE(arcTestPoint(TavArc(TavPoint(0, 0), 1, std::numeric_limits<double>::infinity(), 1),
                            TavPoint(1, 0), 0.5));
  EXPECT_TRUE(arcTestPoint(TavArc(TavPoint(0, 0), 1, 1e300, 7), TavPoint(1, 0), 0.5));
}

TEST(Limits, PerimeterOutputIsBoundedByTheList) {
  // A single record of a million pixels: every pixel of it is a perimeter
  // point, once; the output grows with the pixels of the list and no more.
  const List l = {0, 0, 0, 999999, 5, 5, 5, 0, 999999, -1, -1};
  const std::vector<TavIPoint> pts = CTavGeoRleCalc::calculatePerimiterPoints(l.data());
  ASSERT_EQ(pts.size(), 1000000u);
  EXPECT_EQ(pts.front().x, 0);
  EXPECT_EQ(pts.back().x, 999999);
  // Past kRleMaxPerimeterPoints the answer is empty, found before the points
  // are written: a run of 2^31 - 1 pixels (16 GiB of points), from either
  // reader, and a run one pixel past the limit after an ordinary record.
  const int wide = std::numeric_limits<int>::max() - 1;
  const List huge = {0, 0, 0, wide, 5, 6, 5, 0, 3, -1, 6, 0, wide, -1, -1};
  EXPECT_TRUE(CTavGeoRleCalc::calculatePerimiterPoints(huge.data()).empty());
  EXPECT_TRUE(CTavGeoRleCalc::calculatePerimiterPoints(huge).empty());
  const int over = static_cast<int>(kRleMaxPerimeterPoints);  // extent n covers n + 1 pixels
  const List justOver = {0, 0, 0, over, 5, 5, 5, 0, over, -1, -1};
  EXPECT_TRUE(CTavGeoRleCalc::calculatePerimiterPoints(justOver).empty());
}
