// The polygon area's integer path against the floating-point sum term by term,
// bit for bit, around the limits where the integer path may be taken.
#include <TavGeometry/TavGeoPolygon.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "reference/polygon_area_reference.h"

using namespace NTavGeometry;

namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(PolygonAreaFast, SameBitsAsTheTermByTermSum) {
  std::mt19937_64 rng(424242);
  // Coordinate bounds: small, pixel sized, at the 2^26 guard and beyond it,
  // and ones where 2 n M^2 crosses 2^53 for the larger counts.
  const double bounds[] = {3.0, 4096.0, 0x1p20, 0x1p26, 0x1p26 + 2.0, 0x1p30, 0x1p45};
  int integralSets = 0;
  for (int t = 0; t < 30000; ++t) {
    const unsigned int n = static_cast<unsigned int>(rng() % 64) + (t % 50 == 0 ? 3000u : 0u);
    const double bound = bounds[rng() % 7];
    std::vector<TavPoint> v(n);
    const int kind = t % 6;
    for (TavPoint& p : v) {
      const double x = std::floor(std::uniform_real_distribution<double>(-bound, bound)(rng));
      const double y = std::floor(std::uniform_real_distribution<double>(-bound, bound)(rng));
      p = TavPoint(x, y);
    }
    if (n > 0) {
      TavPoint& q = v[rng() % n];
      switch (kind) {
        case 1:  // one vertex off the integers
          q.x += 0.5;
          break;
        case 2:  // non-finite
          q.y = (rng() % 2) ? std::numeric_limits<double>::quiet_NaN()
                            : -std::numeric_limits<double>::infinity();
          break;
        case 3:  // -0.0 and exact zeros
          q = TavPoint(-0.0, 0.0);
          break;
        case 4:  // a tiny fraction that the integer test must see
          q.x = q.x + 0x1p-20;
          break;
        default:
          break;
      }
    }
    if (kind == 0 || kind == 3 || kind == 5) ++integralSets;
    const double fast = polygonArea(v.data(), n);
    const double ref = tavref::polygonAreaLiteral(v.data(), n);
    ASSERT_TRUE(sameBits(fast, ref) || (std::isnan(fast) && std::isnan(ref)))
        << "set " << t << ": " << n << " vertices, bound " << bound << ": " << fast << " vs " << ref;
  }
  EXPECT_GT(integralSets, 10000);
}

// Integer vertices whose floating-point sum rounds: the exact-range guard must
// send them to the term-by-term sum. Huge squares give an area that only the
// rounded sum reproduces.
TEST(PolygonAreaFast, LargeIntegerVerticesKeepTheRoundedSum) {
  const double big = 0x1p40 + 1.0;
  const TavPoint quad[] = {{0.0, 0.0}, {big, 1.0}, {big, big}, {1.0, big}};
  EXPECT_TRUE(sameBits(polygonArea(quad, 4), tavref::polygonAreaLiteral(quad, 4)));
  // Right at the guard: 2 * 4 * (2^25)^2 = 2^53.
  const double edge = 0x1p25;
  const TavPoint sq[] = {{-edge, -edge}, {edge, -edge}, {edge, edge}, {-edge, edge}};
  EXPECT_EQ(polygonArea(sq, 4), 4.0 * edge * edge);
  EXPECT_TRUE(sameBits(polygonArea(sq, 4), tavref::polygonAreaLiteral(sq, 4)));
}

}  // namespace
