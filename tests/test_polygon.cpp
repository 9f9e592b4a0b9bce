#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace NTavGeometry;

namespace {
const TavPoint kSquare[] = {TavPoint(0, 0), TavPoint(10, 0), TavPoint(10, 10), TavPoint(0, 10)};
const TavPoint kSquareCw[] = {TavPoint(0, 0), TavPoint(0, 10), TavPoint(10, 10), TavPoint(10, 0)};
const TavPoint kBowTie[] = {TavPoint(0, 0), TavPoint(10, 10), TavPoint(10, 0), TavPoint(0, 10)};
const TavPoint kSquareTwice[] = {TavPoint(0, 0), TavPoint(10, 0), TavPoint(10, 10), TavPoint(0, 10),
                                 TavPoint(0, 0), TavPoint(10, 0), TavPoint(10, 10), TavPoint(0, 10)};
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Winding number of a closed polygon about p, by summed turning angles; for a
// simple polygon the even-odd rule agrees with "winding != 0".
int windingNumber(const std::vector<TavPoint>& v, const TavPoint& p) {
  double total = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const TavPoint& a = v[i];
    const TavPoint& b = v[(i + 1) % v.size()];
    const double a1 = std::atan2(a.y - p.y, a.x - p.x);
    const double a2 = std::atan2(b.y - p.y, b.x - p.x);
    double d = a2 - a1;
    if (d > M_PI) d -= 2 * M_PI;
    if (d < -M_PI) d += 2 * M_PI;
    total += d;
  }
  return static_cast<int>(std::lround(total / (2 * M_PI)));
}

double segmentDist(const TavPoint& p, const TavPoint& a, const TavPoint& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
  t = std::fmax(0.0, std::fmin(1.0, t));
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}
}  // namespace

TEST(Polygon, AreaIsUnsignedShoelace) {
  EXPECT_EQ(polygonArea(kSquare, 4), 100.0);
  EXPECT_EQ(polygonArea(kSquareCw, 4), 100.0);
  const TavPoint tri[] = {TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3)};
  EXPECT_EQ(polygonArea(tri, 3), 6.0);
  // The two lobes of a bow tie cancel.
  EXPECT_EQ(polygonArea(kBowTie, 4), 0.0);
  // A square traced twice counts its area twice.
  EXPECT_EQ(polygonArea(kSquareTwice, 8), 200.0);
  // Translation does not change the area.
  const TavPoint moved[] = {TavPoint(-100, 250), TavPoint(-96, 250), TavPoint(-100, 253)};
  EXPECT_DOUBLE_EQ(polygonArea(moved, 3), 6.0);
}

TEST(Polygon, AreaOfFewerThanThreeVerticesIsExactlyZero) {
  EXPECT_EQ(polygonArea(nullptr, 0), 0.0);
  EXPECT_EQ(polygonArea(kSquare, 0), 0.0);
  const TavPoint one[] = {TavPoint(3, 7)};
  EXPECT_EQ(polygonArea(one, 1), 0.0);
  // The sum x0*y1 - y0*x1 + x1*y0 - y1*x0 leaves -1e-17 after rounding here.
  const TavPoint two[] = {TavPoint(1e-17, 1), TavPoint(1, 1)};
  EXPECT_EQ(polygonArea(two, 2), 0.0);
}

TEST(Polygon, AreaOfNonFiniteOrHugeVerticesReturns) {
  const TavPoint withNan[] = {TavPoint(0, 0), TavPoint(kNaN, 0), TavPoint(0, 3)};
  EXPECT_TRUE(std::isnan(polygonArea(withNan, 3)));
  const TavPoint huge[] = {TavPoint(0, 0), TavPoint(1e308, 0), TavPoint(0, 1e308)};
  EXPECT_EQ(polygonArea(huge, 3), kInf);
}

TEST(Polygon, InsideSquareBoundaryRule) {
  for (const TavPoint* sq : {kSquare, kSquareCw}) {
    EXPECT_TRUE(polygonIsPointInside(sq, 4, TavPoint(5, 5)));
    EXPECT_TRUE(polygonIsPointInside(sq, 4, TavPoint(0, 5)));    // edge of smaller x
    EXPECT_FALSE(polygonIsPointInside(sq, 4, TavPoint(10, 5)));  // edge of larger x
    EXPECT_TRUE(polygonIsPointInside(sq, 4, TavPoint(5, 0)));    // edge of smaller y
    EXPECT_FALSE(polygonIsPointInside(sq, 4, TavPoint(5, 10)));  // edge of larger y
    EXPECT_FALSE(polygonIsPointInside(sq, 4, TavPoint(-1, 5)));
    EXPECT_FALSE(polygonIsPointInside(sq, 4, TavPoint(11, 5)));
    EXPECT_TRUE(polygonIsPointInside(sq, 4, TavPoint(0, 0)));
    EXPECT_FALSE(polygonIsPointInside(sq, 4, TavPoint(10, 0)));
    EXPECT_FALSE(polygonIsPointInside(sq, 4, TavPoint(10, 10)));
    EXPECT_FALSE(polygonIsPointInside(sq, 4, TavPoint(0, 10)));
    EXPECT_TRUE(polygonIsPointInside(sq, 4, TavPoint(9.999999, 9.999999)));
    EXPECT_FALSE(polygonIsPointInside(sq, 4, TavPoint(5, -1e-12)));
  }
}

TEST(Polygon, InsideUsesClosingEdgeAndEvenOddRule) {
  // Left of the closing edge (0,10)-(0,0): crossed twice, so outside.
  const TavPoint tri[] = {TavPoint(0, 0), TavPoint(10, 0), TavPoint(0, 10)};
  EXPECT_FALSE(polygonIsPointInside(tri, 3, TavPoint(-1, 1)));
  EXPECT_TRUE(polygonIsPointInside(tri, 3, TavPoint(1, 1)));
  EXPECT_FALSE(polygonIsPointInside(tri, 3, TavPoint(6, 6)));
  // Bow tie: left and right lobes are inside, the triangles between are not.
  EXPECT_TRUE(polygonIsPointInside(kBowTie, 4, TavPoint(2, 5)));
  EXPECT_TRUE(polygonIsPointInside(kBowTie, 4, TavPoint(8, 5)));
  EXPECT_FALSE(polygonIsPointInside(kBowTie, 4, TavPoint(5, 2)));
  EXPECT_FALSE(polygonIsPointInside(kBowTie, 4, TavPoint(5, 8)));
  // A square listed twice over: every inner point is crossed an even number of times.
  EXPECT_FALSE(polygonIsPointInside(kSquareTwice, 8, TavPoint(5, 5)));
}

TEST(Polygon, InsideFewVerticesAndBadInput) {
  EXPECT_FALSE(polygonIsPointInside(nullptr, 0, TavPoint(0, 0)));
  const TavPoint one[] = {TavPoint(0, 0)};
  EXPECT_FALSE(polygonIsPointInside(one, 1, TavPoint(-1, 0)));
  const TavPoint two[] = {TavPoint(0, 0), TavPoint(10, 10)};
  EXPECT_FALSE(polygonIsPointInside(two, 2, TavPoint(2, 5)));
  for (const TavPoint& p : {TavPoint(kNaN, 5), TavPoint(5, kNaN), TavPoint(kInf, 5), TavPoint(-kInf, 5)})
    EXPECT_FALSE(polygonIsPointInside(kSquare, 4, p)) << p.x << " " << p.y;  // -inf crosses both sides
  // Edge heights overflow to infinity; the crossings stay ordered.
  const TavPoint tall[] = {TavPoint(0, -1e308), TavPoint(1, 1e308), TavPoint(-1, 1e308)};
  EXPECT_TRUE(polygonIsPointInside(tall, 3, TavPoint(0, 0)));
}

TEST(Polygon, InsideAgreesWithWindingOnRandomStarPolygons) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int checked = 0, inside = 0;
  for (int poly = 0; poly < 200; ++poly) {
    const int n = 3 + static_cast<int>(unit(rng) * 12);
    std::vector<double> ang(n);
    for (double& a : ang) a = unit(rng) * 2 * M_PI;
    std::sort(ang.begin(), ang.end());
    std::vector<TavPoint> v;
    const TavPoint c(unit(rng) * 200 - 100, unit(rng) * 200 - 100);
    for (double a : ang) {
      const double r = 5 + unit(rng) * 50;
      v.emplace_back(c.x + r * std::cos(a), c.y + r * std::sin(a));
    }
    for (int k = 0; k < 50; ++k) {
      const TavPoint p(c.x + unit(rng) * 120 - 60, c.y + unit(rng) * 120 - 60);
      double nearest = 1e300;
      for (int i = 0; i < n; ++i) nearest = std::fmin(nearest, segmentDist(p, v[i], v[(i + 1) % n]));
      if (nearest < 1e-6) continue;
      const bool expected = windingNumber(v, p) != 0;
      ASSERT_EQ(polygonIsPointInside(v.data(), static_cast<unsigned int>(n), p), expected)
          << "polygon " << poly << " point " << p.x << "," << p.y;
      ++checked;
      inside += expected;
    }
  }
  EXPECT_GT(checked, 9000);
  EXPECT_GT(inside, 1000);  // both answers are exercised
}
