#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "reference/rle_reference.h"
#include "rle_shapes.h"

using namespace NTavGeometry;

namespace {
using List = std::vector<int>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
TavPoint P(double x, double y) { return TavPoint(x, y); }

List polygon(int w, int h, const std::vector<TavPoint>& v) {
  CTavGeoRleCalcPolygon c;
  EXPECT_TRUE(c.calculate(w, h, v.data(), static_cast<int>(v.size())));
  return c.rle();
}

List reference(int w, int h, const std::vector<TavPoint>& v) {
  TavRect box;
  return tavref::rlePolygon(w, h, v.data(), static_cast<int>(v.size()), &box);
}

// Every record has at least one run, rows ascend inside 0 .. height - 1. Only
// for lists without negative columns (a run start of -1 reads as a terminator).
bool recordsInRows(const List& l, int height) {
  size_t i = 6;
  int last = -1;
  while (i < l.size() && l[i] != -1) {
    if (l[i] <= last || l[i] >= height) return false;
    last = l[i++];
    if (l[i] == -1) return false;
    while (l[i] != -1) i += 2;
    ++i;
  }
  return i + 1 == l.size();
}
}  // namespace

TEST(RlePolygon, SquareTriangleAndOrder) {
  const List square = {10, 10, 1, 4, 1, 4, 1, 1, 3, -1, 2, 1, 3, -1, 3, 1, 3, -1, -1};
  EXPECT_EQ(polygon(10, 10, {P(1, 1), P(4, 1), P(4, 4), P(1, 4)}), square);
  EXPECT_EQ(polygon(10, 10, {P(1, 4), P(4, 4), P(4, 1), P(1, 1)}), square);                  // reversed
  EXPECT_EQ(polygon(10, 10, {P(1.9, 1.9), P(4.9, 1.9), P(4.9, 4.9), P(1.9, 4.9)}), square);  // truncated
  const List tri = {10, 10, 1, 7, 1, 7,  1, 1, 6, -1, 2, 1, 5, -1, 3, 1,
                    4,  -1, 4, 1, 3, -1, 5, 1, 2, -1, 6, 1, 1, -1, -1};
  EXPECT_EQ(polygon(10, 10, {P(1, 1), P(7, 1), P(1, 7)}), tri);
  EXPECT_EQ(polygon(10, 10, {P(1, 7), P(7, 1), P(1, 1)}), tri);
  // Columns are not clipped; header word 2 of a box at x = -3 is trunc(-2.5).
  EXPECT_EQ(polygon(3, 10, {P(-3, 1), P(40, 1), P(40, 3), P(-3, 3)}),
            (List{3, 10, -2, 40, 1, 3, 1, -2, 43, -1, 2, -2, 43, -1, -1}));
}

TEST(RlePolygon, NothingToScan) {
  const std::vector<TavPoint> sq = {P(1, 1), P(4, 1), P(4, 4), P(1, 4)};
  EXPECT_EQ(polygon(10, 0, sq), (List{10, 0, 1, 4, 1, 4, -1}));
  EXPECT_EQ(polygon(10, -5, sq), (List{10, -5, 1, 4, 1, 4, -1}));  // used to throw
  EXPECT_EQ(polygon(10, INT_MIN, sq), (List{10, INT_MIN, 1, 4, 1, 4, -1}));
  EXPECT_EQ(polygon(10, 10, {P(1, 15), P(4, 15), P(4, 18)}), (List{10, 10, 1, 4, 15, 18, -1}));  // below
  EXPECT_EQ(polygon(10, 10, {P(1, 4), P(6, 4), P(9, 4)}), (List{10, 10, 1, 9, 4, 4, -1}));       // flat
  EXPECT_EQ(polygon(10, 10, {P(3.7, 3.2)}), (List{10, 10, 3, 3, 3, 3, -1}));
  EXPECT_EQ(polygon(10, 10, {P(1, -9), P(4, -9), P(4, -2)}), (List{10, 10, 1, 4, -8, -1, -1}));  // above
  CTavGeoRleCalcPolygon c;
  EXPECT_TRUE(c.calculate(10, 10, nullptr, 3));
  EXPECT_EQ(c.rle(), (List{10, 10, 0, 0, 0, 0, -1}));
  EXPECT_TRUE(c.calculate(10, 11, sq.data(), 0));
  EXPECT_EQ(c.rle(), (List{10, 11, 0, 0, 0, 0, -1}));
  const TavRect& b = c.boundingBox();
  EXPECT_EQ(b.width, 0.0);
  EXPECT_EQ(b.height, 0.0);
}

TEST(RlePolygon, EdgesAboveRowZeroAreClipped) {
  // Both slanted edges start at row -10; they used to be dropped, leaving no rows.
  const List l = polygon(20, 20, {P(0, -10), P(10, 10), P(-10, 10)});
  ASSERT_EQ(l.size(), 6u + 10 * 4 + 1);
  EXPECT_EQ(List(l.begin(), l.begin() + 10), (List{20, 20, -9, 10, -9, 10, 0, -4, 10, -1}));
  EXPECT_EQ(List(l.end() - 5, l.end()), (List{9, -9, 19, -1, -1}));
  // One clipped edge with a partner that starts inside the image.
  EXPECT_EQ(polygon(10, 10, {P(2, -3), P(2, 3), P(6, 3), P(6, 0)}),
            (List{10, 10, 2, 6, -2, 3, 0, 2, 4, -1, 1, 2, 4, -1, 2, 2, 4, -1, -1}));
  // An edge that ends on row 0 covers no row.
  EXPECT_EQ(polygon(10, 10, {P(1, -5), P(3, 0), P(5, -5)}), (List{10, 10, 1, 5, -4, 0, -1}));
}

TEST(RlePolygon, EndsOnOneRowAreHorizontal) {
  // (1, 2.2) - (8, 2.7) lies on row 2 only: it used to divide by zero and leave
  // an unpaired edge on row 2.
  const List exact = polygon(10, 10, {P(1, 2), P(8, 2), P(8, 6), P(1, 6)});
  EXPECT_EQ(polygon(10, 10, {P(1, 2.2), P(8, 2.7), P(8, 6), P(1, 6)}), exact);
  EXPECT_EQ(exact, (List{10, 10, 1, 8, 2, 6, 2, 1, 7, -1, 3, 1, 7, -1, 4, 1, 7, -1, 5, 1, 7, -1, -1}));
  const List l = polygon(12, 12, {P(0, 0.2), P(10, 0.7), P(5, 8)});
  EXPECT_TRUE(recordsInRows(l, 12));
  EXPECT_EQ(l, reference(12, 12, {P(0, 0.2), P(10, 0.7), P(5, 8)}));
  EXPECT_EQ(l[6], 0);
}

TEST(RlePolygon, NonFiniteAndHugeVertices) {
  // NaN truncates to 0 and infinities saturate; the result is defined and paired.
  const std::vector<std::vector<TavPoint>> cases = {
      {P(kNaN, 3), P(8, kNaN), P(5, 9)},    {P(1, 1), P(kInf, 5), P(1, 9)},
      {P(1, -kInf), P(8, 5), P(-1e300, 9)}, {P(0, 0), P(1e12, 1e12), P(-1e12, 7)},
      {P(kNaN, kNaN), P(kNaN, kNaN)},
  };
  for (const auto& v : cases) {
    const List l = polygon(10, 10, v);
    EXPECT_TRUE(recordsInRows(l, 10));
    EXPECT_EQ(l, reference(10, 10, v));
  }
}

TEST(RlePolygon, TallImagesAreScannedUpToTheRowLimit) {
  // A tall image with a small polygon scans only the polygon's rows.
  EXPECT_EQ(polygon(10, INT_MAX, {P(1, 1), P(4, 1), P(4, 4), P(1, 4)}),
            (List{10, INT_MAX, 1, 4, 1, 4, 1, 1, 3, -1, 2, 1, 3, -1, 3, 1, 3, -1, -1}));
  // A polygon reaching row 1e9 stops at row kRleMaxRows - 1.
  const List l = polygon(10, INT_MAX, {P(1, 1), P(4, 1), P(4, 1e9), P(1, 1e9)});
  ASSERT_EQ(l.size(), 6u + 4 * static_cast<size_t>(kRleMaxRows - 1) + 1);
  EXPECT_EQ(List(l.end() - 5, l.end()), (List{kRleMaxRows - 1, 1, 3, -1, -1}));
}

TEST(RlePolygon, MatchesReferenceOnRandomPolygons) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> xs(-30.0, 130.0), ys(-40.0, 120.0), u(0.0, 1.0);
  std::uniform_int_distribution<int> nv(1, 40), hs(0, 120), levels(0, 5);
  CTavGeoRleCalcPolygon reused;
  int clipped = 0, horizontalRows = 0, nonEmpty = 0;
  for (int iter = 0; iter < 20000; ++iter) {
    const int n = nv(rng);
    const int kind = iter % 5;
    std::vector<TavPoint> v;
    for (int i = 0; i < n; ++i) {
      double x = xs(rng), y = ys(rng);
      if (kind == 1) {  // integral vertices
        x = std::trunc(x);
        y = std::trunc(y);
      } else if (kind == 2) {  // few distinct rows: many horizontal edges
        y = 20.0 * levels(rng) + (u(rng) < 0.5 ? 0.0 : u(rng));
      } else if (kind == 3 && u(rng) < 0.05) {  // occasional wild coordinate
        const double wild[] = {kNaN, kInf, -kInf, 1e12, -1e12, 2147483647.5};
        (u(rng) < 0.5 ? x : y) = wild[static_cast<int>(u(rng) * 6) % 6];
      }
      if (y < 0) ++clipped;
      v.emplace_back(x, y);
    }
    if (kind == 4 && n > 2) v[1] = v[0];  // repeated vertex
    const bool positive = iter % 2 == 1 && kind != 3;
    if (positive)
      for (auto& p : v) p.x += 31.0;
    const int h = hs(rng);
    const List ref = reference(100, h, v);
    ASSERT_TRUE(reused.calculate(100, h, v.data(), n));
    ASSERT_EQ(reused.rle(), ref) << "iteration " << iter;
    if (positive) {
      ASSERT_TRUE(recordsInRows(ref, h));
    }
    TavRect box;  // a NaN coordinate counts as no points: zero box
    bool nan = false;
    for (const TavPoint& p : v) nan = nan || std::isnan(p.x) || std::isnan(p.y);
    pointsToBBox(v.data(), nan ? 0u : static_cast<unsigned>(n), &box);
    ASSERT_EQ(reused.boundingBox().x, box.x);
    ASSERT_EQ(reused.boundingBox().height, box.height);
    if (ref.size() > 7) ++nonEmpty;
    if (kind == 2) horizontalRows += ref.size() > 7;
  }
  EXPECT_GT(clipped, 1000);
  EXPECT_GT(nonEmpty, 10000);
  EXPECT_GT(horizontalRows, 1000);
}

TEST(RlePolygon, MatchesReferenceOnStarsAndSelfIntersections) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  CTavGeoRleCalcPolygon reused;
  for (int iter = 0; iter < 300; ++iter) {
    std::vector<TavPoint> v =
        tavtest::star(5 + iter, 150 + 40 * u(rng), 100 * u(rng), 90 + 100 * u(rng), 20 + 40 * u(rng), u(rng));
    if (iter % 3 == 0) {  // pentagram-like crossings: visit every k-th vertex
      std::vector<TavPoint> w;
      const size_t k = 3 + iter % 5;
      for (size_t i = 0; i < v.size(); ++i) w.push_back(v[(i * k) % v.size()]);
      v = w;
    }
    const int h = 150 + iter;
    ASSERT_TRUE(reused.calculate(300, h, v.data(), static_cast<int>(v.size())));
    ASSERT_EQ(reused.rle(), reference(300, h, v)) << iter;
  }
}

TEST(RlePolygon, ManyEdgesStartingOnOneRow) {
  // A comb whose tips all lie on row 5: 800 edges start on one row, two of them
  // at each tip's x.
  for (double shift : {0.0, 0.25, 0.75}) {
    std::vector<TavPoint> v = {P(0, 60), P(0, 5)};
    for (int i = 0; i < 400; ++i) {
      v.push_back(P(2 * i + 1 + shift, 30 + (i % 7)));
      v.push_back(P(2 * i + 2, 5.5));
    }
    v.push_back(P(800, 60));
    const List l = polygon(900, 64, v);
    EXPECT_EQ(l, reference(900, 64, v));
    EXPECT_TRUE(recordsInRows(l, 64));
    EXPECT_EQ(l[6], 5);
  }
}
