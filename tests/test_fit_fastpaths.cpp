// Fast paths of the fits held against the plain algorithms: the line fit's axis
// chosen from the first pass's sums, and the radix sort of the consensus fit's
// kept distances.
#include <TavGeometry/TavGeoFit.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "../src/fit/TavGeoFitRank.h"
#include "../src/fit/TavGeoFitSpread.h"
#include "reference/line_fit_reference.h"

using namespace NTavGeometry;

namespace {

// Same bits, except that any two NaNs match: IEEE-754 leaves the sign and
// payload of a NaN result open, and they differ between optimisation levels
// (at -O1 the fit's y carrier comes out as -NaN, the reference's as +NaN).
bool sameBits(double a, double b) { return (a != a && b != b) || std::memcmp(&a, &b, sizeof a) == 0; }

bool sameLine(const TavLine& a, const TavLine& b) {
  return sameBits(a.p1.x, b.p1.x) && sameBits(a.p1.y, b.p1.y) && sameBits(a.p2.x, b.p2.x) &&
         sameBits(a.p2.y, b.p2.y);
}

// spreadOrderFromSums on the raw sums of the points, in list order.
int orderFromSums(const TavPoint* p, unsigned int n) {
  double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    sx += p[i].x;
    sy += p[i].y;
    sxx += p[i].x * p[i].x;
    syy += p[i].y * p[i].y;
  }
  return detail::spreadOrderFromSums(static_cast<double>(n), sx, sy, sxx, syy);
}

// Point sets that put the axis choice to the test: clear lines, equal spreads
// (squares, diagonals, rotated grids), sets far from the origin whose raw-sum
// spreads are mostly rounding, tiny and subnormal coordinates, magnitudes whose
// squares overflow, and non-finite values.
std::vector<TavPoint> randomSet(std::mt19937_64& rng, int kind) {
  std::uniform_int_distribution<int> sizeDist(1, 60);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const int n = (kind % 7 == 0) ? 1 + static_cast<int>(rng() % 3) : sizeDist(rng);
  std::vector<TavPoint> p(static_cast<std::size_t>(n));
  const double angle = u(rng) * 3.141592653589793;
  const double c = std::cos(angle), s = std::sin(angle);
  const double scales[] = {1.0, 1e-3, 1e3, 1e-160, 1e-310, 1e150, 1e160, 1e8};
  const double scale = scales[rng() % 8];
  const double offset = (rng() % 3 == 0) ? scale * 1e9 * u(rng) : 0.0;
  const double ratio = (rng() % 2) ? 1.0 : std::fabs(u(rng));
  for (int i = 0; i < n; ++i) {
    double a, b;
    switch (kind % 5) {
      case 0:  // noisy line, any direction
        a = u(rng) * 100.0;
        b = u(rng) * ratio;
        break;
      case 1:  // square grid: equal spreads whatever the rotation by 90 degrees
        a = static_cast<double>(i % 4);
        b = static_cast<double>(i / 4 % 4);
        break;
      case 2:  // exact diagonal, equal spreads
        a = b = static_cast<double>(i);
        break;
      case 3:  // blob with spreads close to each other
        a = u(rng);
        b = u(rng) * (1.0 + 1e-12 * u(rng));
        break;
      default:  // a few repeated points
        a = static_cast<double>(rng() % 3);
        b = static_cast<double>(rng() % 3);
        break;
    }
    const double x = (kind % 5 == 1 || kind % 5 == 2) && rng() % 2 ? a : c * a - s * b;
    const double y = (kind % 5 == 1 || kind % 5 == 2) && rng() % 2 ? b : s * a + c * b;
    p[static_cast<std::size_t>(i)] = TavPoint(offset + scale * x, offset * 0.5 + scale * y);
  }
  if (kind % 11 == 0) {
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), 1e308};
    TavPoint& q = p[rng() % p.size()];
    (rng() % 2 ? q.x : q.y) = bad[rng() % 4];
  }
  return p;
}

TEST(FitLineSpread, SameLineAsTheFitWithBothPasses) {
  std::mt19937_64 rng(20261206);
  for (int t = 0; t < 40000; ++t) {
    const std::vector<TavPoint> p = randomSet(rng, t);
    TavLine fast, ref;
    fast.p1 = fast.p2 = ref.p1 = ref.p2 = TavPoint(-7.0, -7.0);
    ASSERT_EQ(pointsFitLine(p.data(), static_cast<unsigned int>(p.size()), &fast), 0);
    tavref::fitLineTwoPasses(p.data(), static_cast<unsigned int>(p.size()), &ref);
    ASSERT_TRUE(sameLine(fast, ref)) << "set " << t << " of " << p.size() << " points, first (" << p[0].x
                                     << ", " << p[0].y << ")";
  }
  TavLine fast, ref;
  pointsFitLine(nullptr, 0, &fast);
  tavref::fitLineTwoPasses(nullptr, 0, &ref);
  EXPECT_TRUE(sameLine(fast, ref));
}

// The decision from the sums agrees with the second pass whenever it is made,
// it is made for clear sets, and it is left open for equal spreads and for sets
// whose raw-sum spreads are swamped by rounding.
TEST(FitLineSpread, DecidesOnlyWhatTheSecondPassConfirms) {
  std::mt19937_64 rng(77);
  int decided = 0, open = 0;
  for (int t = 0; t < 40000; ++t) {
    const std::vector<TavPoint> p = randomSet(rng, t);
    const unsigned int n = static_cast<unsigned int>(p.size());
    double qx = 0.0, qy = 0.0;
    tavref::lineSpreads(p.data(), n, &qx, &qy);
    const int order = orderFromSums(p.data(), n);
    if (order == 0) {
      ++open;
    } else {
      ++decided;
      ASSERT_EQ(order < 0, qx < qy) << "set " << t;
    }
  }
  EXPECT_GT(decided, 10000);
  EXPECT_GT(open, 5000);

  // A clear line decides; its mirror image decides the other way.
  EXPECT_EQ(detail::spreadOrderFromSums(3.0, 30.0, 3.0, 500.0, 5.0), 1);
  EXPECT_EQ(detail::spreadOrderFromSums(3.0, 3.0, 30.0, 5.0, 500.0), -1);
  // Equal spreads, no points, and sums that are not finite stay open.
  EXPECT_EQ(detail::spreadOrderFromSums(3.0, 3.0, 3.0, 5.0, 5.0), 0);
  EXPECT_EQ(detail::spreadOrderFromSums(0.0, 0.0, 0.0, 0.0, 0.0), 0);
  EXPECT_EQ(detail::spreadOrderFromSums(3.0, std::nan(""), 3.0, 5.0, 5.0), 0);
  EXPECT_EQ(detail::spreadOrderFromSums(3.0, 3.0, 3.0, std::numeric_limits<double>::infinity(), 5.0), 0);
  // Far from the origin: Sxx - Sx^2/n is all rounding (here it even says x
  // spreads more), so the second pass decides.
  const TavPoint far[] = {{1e8, 0.0}, {1e8 + 1e-3, 5.0}, {1e8 + 2e-3, 10.0}};
  EXPECT_EQ(orderFromSums(far, 3), 0);
}

// Non-negative distances as the consensus fit sees them: ties, zeros, +inf,
// subnormals, values spread over many exponents or packed into one.
TEST(FitRansacRadix, SameOrderAsStdSort) {
  std::mt19937_64 rng(9);
  std::vector<uint64_t> a, b;
  for (int t = 0; t < 3000; ++t) {
    const uint32_t m = static_cast<uint32_t>(rng() % 300);
    std::vector<double> v(m);
    const int kind = t % 5;
    for (double& x : v) {
      switch (kind) {
        case 0:
          x = std::ldexp(static_cast<double>(rng() % 1000000), static_cast<int>(rng() % 40) - 20);
          break;
        case 1:
          x = static_cast<double>(rng() % 4);  // many ties, zeros
          break;
        case 2:
          x = 1.0 + static_cast<double>(rng() % 8) * 0x1p-52;  // one exponent, low bits only
          break;
        case 3: {
          const double pick[] = {0.0,      std::numeric_limits<double>::infinity(), 4.9e-324,
                                 2.2e-308, std::numeric_limits<double>::max(),      1.0};
          x = pick[rng() % 6];
          break;
        }
        default:
          x = std::fabs(std::uniform_real_distribution<double>(-1e3, 1e3)(rng));
          break;
      }
    }
    std::vector<double> want = v;
    std::sort(want.begin(), want.end());
    detail::sortNonNegative(v.data(), m, a, b);
    for (uint32_t i = 0; i < m; ++i) ASSERT_TRUE(sameBits(v[i], want[i])) << "array " << t << " at " << i;
  }
  // All equal: every byte pass is skipped and the array stays as it was.
  std::vector<double> same(100, 3.5);
  detail::sortNonNegative(same.data(), 100, a, b);
  EXPECT_EQ(std::count(same.begin(), same.end(), 3.5), 100);
}

}  // namespace
