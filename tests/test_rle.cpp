#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "reference/rle_reference.h"

using namespace NTavGeometry;

namespace {
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

using List = std::vector<int>;

// The list after the six header words.
List body(const List& l) { return List(l.begin() + 6, l.end()); }

void expectBox(const TavRect& r, double x, double y, double w, double h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.width, w);
  EXPECT_EQ(r.height, h);
  EXPECT_EQ(r.angle, 0.0);
}

// Checks the shape of a list whose rows and columns are all >= 0 (a -1 there reads
// as a terminator): header, records in strictly ascending rows, each
// with at least one run of extent >= 0, then the final -1.
::testing::AssertionResult wellFormed(const List& l) {
  if (l.size() < 7) return ::testing::AssertionFailure() << "shorter than header + terminator";
  size_t i = 6;
  bool first = true;
  int lastRow = 0;
  while (true) {
    if (i >= l.size()) return ::testing::AssertionFailure() << "no terminator";
    if (l[i] == -1 && i + 1 == l.size()) return ::testing::AssertionSuccess();
    const int row = l[i++];
    if (!first && row <= lastRow) return ::testing::AssertionFailure() << "rows not ascending at " << i;
    first = false;
    lastRow = row;
    int runs = 0;
    while (i < l.size() && l[i] != -1) {
      if (i + 1 >= l.size()) return ::testing::AssertionFailure() << "half run";
      if (l[i + 1] < 0) return ::testing::AssertionFailure() << "negative extent at " << i;
      i += 2;
      ++runs;
    }
    if (runs == 0) return ::testing::AssertionFailure() << "record without runs at row " << row;
    ++i;
  }
}

// Exposes the list so that a test can mark it and see whether a call rewrote it.
template <class Calc>
struct Marked : Calc {
  void mark() { this->m_rle.assign(1, 4242); }
  bool marked() const { return this->m_rle.size() == 1 && this->m_rle[0] == 4242; }
};

TavPoint P(double x, double y) { return TavPoint(x, y); }

}  // namespace

// ---------------------------------------------------------------- base and cache

TEST(RleBase, InterfaceAndBaseCalculate) {
  static_assert(std::has_virtual_destructor<CTavGeoRleCalc>::value, "virtual destructor");
  static_assert(!std::is_copy_constructible<CTavGeoRleCalcPolygon>::value, "not copyable");
  static_assert(!std::is_copy_assignable<CTavGeoRleCalcDisk>::value, "not copyable");
  CTavGeoRleCalc base;
  const TavPoint pts[2] = {P(5, 5), P(7, 5)};
  EXPECT_FALSE(base.calculate(20, 20, pts, 2));
  EXPECT_TRUE(base.rle().empty());
  expectBox(base.boundingBox(), 0, 0, 0, 0);
  // Deleting through the base pointer runs the derived destructor (the sanitizer
  // build reports the polygon's pool as leaked otherwise).
  std::unique_ptr<CTavGeoRleCalc> poly(new CTavGeoRleCalcPolygon);
  const TavPoint sq[4] = {P(1, 1), P(4, 1), P(4, 4), P(1, 4)};
  EXPECT_TRUE(poly->calculate(10, 10, sq, 4));
  EXPECT_EQ(poly->rle().size(), 6u + 3 * 4 + 1);
}

TEST(RleBase, CacheKeyComparison) {
  CTavGeoRleCalcDisk d;
  // Fresh object: key is width 0, height 0, no points.
  EXPECT_TRUE(d.compareWithLastComputedCoords(0, 0, nullptr, 0));
  const TavPoint pts[2] = {P(0.0, 5), P(7, 5)};
  EXPECT_TRUE(d.calculate(0, 0, pts, 0));  // answered from the cache
  EXPECT_TRUE(d.rle().empty());

  d.storeComputedCoords(20, 30, pts, 2);
  EXPECT_TRUE(d.compareWithLastComputedCoords(20, 30, pts, 2));
  EXPECT_FALSE(d.compareWithLastComputedCoords(21, 30, pts, 2));
  EXPECT_FALSE(d.compareWithLastComputedCoords(20, 31, pts, 2));
  EXPECT_FALSE(d.compareWithLastComputedCoords(20, 30, pts, 1));
  const TavPoint negZero[2] = {P(-0.0, 5), P(7, 5)};
  EXPECT_FALSE(d.compareWithLastComputedCoords(20, 30, negZero, 2));  // bytes, not values
  const TavPoint nan[2] = {P(kNaN, 5), P(7, 5)};
  d.storeComputedCoords(20, 30, nan, 2);
  EXPECT_TRUE(d.compareWithLastComputedCoords(20, 30, nan, 2));  // the identical NaN matches
  // A negative count or a null array are no points.
  d.storeComputedCoords(1, 2, pts, -4);
  EXPECT_TRUE(d.compareWithLastComputedCoords(1, 2, nullptr, 0));
  EXPECT_TRUE(d.compareWithLastComputedCoords(1, 2, pts, -1));
  EXPECT_FALSE(d.compareWithLastComputedCoords(1, 2, pts, 1));
}

TEST(RleBase, RepeatedCallIsAnsweredFromTheCache) {
  Marked<CTavGeoRleCalcPolygon> poly;
  TavPoint sq[4] = {P(1, 1), P(4, 1), P(4, 4), P(1, 4)};
  ASSERT_TRUE(poly.calculate(10, 10, sq, 4));
  const TavRect box = poly.boundingBox();
  poly.mark();
  EXPECT_TRUE(poly.calculate(10, 10, sq, 4));
  EXPECT_TRUE(poly.marked());  // untouched
  expectBox(poly.boundingBox(), box.x, box.y, box.width, box.height);
  // Every change of the key computes again.
  EXPECT_TRUE(poly.calculate(10, 11, sq, 4));
  EXPECT_FALSE(poly.marked());
  poly.mark();
  EXPECT_TRUE(poly.calculate(11, 11, sq, 4));
  EXPECT_FALSE(poly.marked());
  poly.mark();
  EXPECT_TRUE(poly.calculate(11, 11, sq, 3));
  EXPECT_FALSE(poly.marked());
  poly.mark();
  sq[0].x = std::nextafter(1.0, 2.0);
  EXPECT_TRUE(poly.calculate(11, 11, sq, 3));
  EXPECT_FALSE(poly.marked());

  Marked<CTavGeoRleCalcDisk> disk;
  TavPoint c[2] = {P(0.0, 5), P(3, 5)};
  ASSERT_TRUE(disk.calculate(20, 20, c, 2));
  disk.mark();
  c[0].x = -0.0;  // same disk, different bytes
  EXPECT_TRUE(disk.calculate(20, 20, c, 2));
  EXPECT_FALSE(disk.marked());
}

TEST(RleBase, NegativeCountIsNoPoints) {
  // The disk and annulus used to resize their cache to a negative size.
  const TavPoint pts[3] = {P(5, 5), P(8, 5), P(6, 5)};
  CTavGeoRleCalcDisk d;
  EXPECT_TRUE(d.calculate(20, 20, pts, -1));
  EXPECT_EQ(d.rle(), (List{20, 20, 0, 0, 0, 0, -1}));
  expectBox(d.boundingBox(), 0, 0, 0, 0);
  Marked<CTavGeoRleCalcTorus> t;
  EXPECT_TRUE(t.calculate(20, 20, pts, INT_MIN));
  EXPECT_EQ(t.rle(), (List{20, 20, 0, 0, 0, 0, -1}));
  t.mark();
  EXPECT_TRUE(t.calculate(20, 20, nullptr, 0));  // same key as a negative count
  EXPECT_TRUE(t.marked());
  CTavGeoRleCalcPolygon p;
  EXPECT_TRUE(p.calculate(20, 20, pts, -7));
  EXPECT_EQ(p.rle(), (List{20, 20, 0, 0, 0, 0, -1}));
}

// ---------------------------------------------------------------- disk

TEST(RleDisk, WorkedExampleAndTruncation) {
  const List expected = {20, 20, 3, 7,  3, 7, 3, 5,  0, -1, 4, 3,  3, -1,
                         5,  3,  4, -1, 6, 3, 3, -1, 7, 5,  0, -1, -1};
  CTavGeoRleCalcDisk d;
  const TavPoint a[2] = {P(5, 5), P(7, 5)};
  EXPECT_TRUE(d.calculate(20, 20, a, 2));
  EXPECT_EQ(d.rle(), expected);
  expectBox(d.boundingBox(), 3, 3, 5, 5);
  // Centre truncated, radius measured between the unrounded points.
  const TavPoint b[2] = {P(5.9, 5.9), P(7.9, 5.9)};
  EXPECT_TRUE(d.calculate(20, 20, b, 2));
  EXPECT_EQ(d.rle(), expected);
  // Radius 2.99 is 2; the width and height only reach header words 0 and 1.
  const TavPoint c[3] = {P(5, 5), P(5, 7.99), P(100, 100)};
  EXPECT_TRUE(d.calculate(300, 1, c, 3));
  EXPECT_EQ(body(d.rle()), body(expected));
  EXPECT_EQ(d.rle()[0], 300);
  EXPECT_EQ(d.rle()[1], 1);
}

TEST(RleDisk, RadiusZeroAndNegativeCentre) {
  CTavGeoRleCalcDisk d;
  const TavPoint a[2] = {P(6.5, 9.2), P(7.1, 9.7)};  // distance 0.78
  d.calculate(20, 20, a, 2);
  EXPECT_EQ(d.rle(), (List{20, 20, 6, 6, 9, 9, 9, 6, 0, -1, -1}));
  expectBox(d.boundingBox(), 6, 9, 1, 1);
  // -3.5 truncates to -3; the run start trunc(-3 + 0.5) is -2, not -3.
  const TavPoint b[2] = {P(-3.5, -2.9), P(-3.5, -2.9)};
  d.calculate(20, 20, b, 2);
  EXPECT_EQ(d.rle(), (List{20, 20, -3, -3, -2, -2, -2, -2, 0, -1, -1}));
  // A disk past the top left keeps its negative rows and columns.
  const TavPoint c[2] = {P(0, 0), P(2, 0)};
  d.calculate(20, 20, c, 2);
  EXPECT_EQ(body(d.rle()), (List{-2, 0, 0, -1, -1, -1, 3, -1, 0, -1, 4, -1, 1, -1, 3, -1, 2, 0, 0, -1, -1}));
}

TEST(RleDisk, RadiusAbove46340UsesWideSquares) {
  // r^2 no longer fits in 32 bits: the middle row must span the full diameter.
  const int r = 50000;
  CTavGeoRleCalcDisk d;
  const TavPoint a[2] = {P(10, 20), P(10 + r, 20)};
  d.calculate(100, 100, a, 2);
  const List& l = d.rle();
  ASSERT_EQ(l.size(), 6u + 4 * (2 * r + 1) + 1);
  const size_t mid = 6 + 4 * static_cast<size_t>(r);
  EXPECT_EQ(l[mid], 20);
  EXPECT_EQ(l[mid + 1], 11 - r);  // trunc(10 - r + 0.5) toward zero
  EXPECT_EQ(l[mid + 2], 2 * r);
  EXPECT_EQ(List(l.begin() + 6, l.begin() + 10), (List{20 - r, 10, 0, -1}));
  TavRect box;
  EXPECT_EQ(l, tavref::rleDisk(100, 100, a, 2, &box));
}

TEST(RleDisk, UnrepresentableInputGivesEmptyList) {
  const List empty = {7, 8, 0, 0, 0, 0, -1};
  const TavPoint cases[][2] = {
      {P(kNaN, 5), P(7, 5)},
      {P(5, 5), P(kNaN, 5)},
      {P(kInf, 5), P(7, 5)},
      {P(5, 5), P(5, -kInf)},
      {P(3e9, 5), P(3e9, 6)},                           // centre beyond the int range
      {P(5, 5), P(5 + 1e9, 5)},                         // radius 1e9: over the limit
      {P(5, 5), P(5 + kRleMaxRadius + 1, 5)},           // just over the limit
      {P(2147483000.0, 5), P(2147483000.0 + 1000, 5)},  // cx + r past INT_MAX
      {P(1e308, -1e308), P(-1e308, 1e308)},
  };
  for (const auto& c : cases) {
    Marked<CTavGeoRleCalcDisk> d;
    d.mark();
    EXPECT_TRUE(d.calculate(7, 8, c, 2));
    EXPECT_EQ(d.rle(), empty) << c[0].x << " " << c[1].x;
    expectBox(d.boundingBox(), 0, 0, 0, 0);
  }
  // count below 2 never reads the missing rim point.
  CTavGeoRleCalcDisk d;
  const TavPoint one[1] = {P(5, 5)};
  EXPECT_TRUE(d.calculate(7, 8, one, 1));
  EXPECT_EQ(d.rle(), empty);
  EXPECT_TRUE(d.calculate(7, 9, nullptr, 5));
  EXPECT_EQ(d.rle(), (List{7, 9, 0, 0, 0, 0, -1}));
  // The largest radius still computes.
  const TavPoint big[2] = {P(0, 0), P(kRleMaxRadius + 0.5, 0)};
  EXPECT_TRUE(d.calculate(7, 8, big, 2));
  EXPECT_EQ(d.rle().size(), 6u + 4 * (2 * static_cast<size_t>(kRleMaxRadius) + 1) + 1);
  EXPECT_EQ(d.rle()[4], -kRleMaxRadius);
}

TEST(RleDisk, MatchesReferenceOnRandomDisks) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> pos(-60.0, 160.0), rad(0.0, 90.0), ang(0.0, 6.283);
  CTavGeoRleCalcDisk d;
  for (int i = 0; i < 3000; ++i) {
    const TavPoint c = P(pos(rng), pos(rng));
    const double r = rad(rng), a = ang(rng);
    const TavPoint pts[2] = {c, P(c.x + r * std::cos(a), c.y + r * std::sin(a))};
    d.calculate(100, 100, pts, 2);
    TavRect box;
    const List ref = tavref::rleDisk(100, 100, pts, 2, &box);
    ASSERT_EQ(d.rle(), ref) << i;
    if (box.x >= 0 && box.y >= 0) {
      ASSERT_TRUE(wellFormed(d.rle()));
    }
    expectBox(d.boundingBox(), box.x, box.y, box.width, box.height);
  }
}

// ---------------------------------------------------------------- annulus

TEST(RleTorus, RowsThroughTheHole) {
  const List expected = {20, 20, 2, 8, 2,  8, 2, 5, 0, -1, 3,  3, 4, -1, 4,  2, 3, 5, 3,  -1, 5,
                         2,  2,  6, 2, -1, 6, 2, 3, 5, 3,  -1, 7, 3, 4,  -1, 8, 5, 0, -1, -1};
  CTavGeoRleCalcTorus t;
  const TavPoint a[3] = {P(5, 5), P(8, 5), P(6, 5)};
  EXPECT_TRUE(t.calculate(20, 20, a, 3));
  EXPECT_EQ(t.rle(), expected);
  expectBox(t.boundingBox(), 2, 2, 7, 7);
  const TavPoint b[3] = {P(5, 5), P(6, 5), P(8, 5)};  // circles in the other order
  EXPECT_TRUE(t.calculate(20, 20, b, 3));
  EXPECT_EQ(t.rle(), expected);
}

TEST(RleTorus, EqualAndZeroRadii) {
  CTavGeoRleCalcTorus t;
  const TavPoint eq[3] = {P(5, 5), P(7, 5), P(5, 7)};
  t.calculate(20, 20, eq, 3);
  EXPECT_EQ(body(t.rle()), (List{3, 5,  0, 5, 0, -1, 4, 3,  0, 7, 0, -1, 5, 3,  0, 7,
                                 0, -1, 6, 3, 0, 7,  0, -1, 7, 5, 0, 5,  0, -1, -1}));
  const TavPoint in0[3] = {P(5, 5), P(7, 5), P(5, 5)};
  t.calculate(20, 20, in0, 3);
  EXPECT_EQ(body(t.rle()), (List{3, 5, 0, -1, 4, 3, 3, -1, 5, 3, 2, 5, 2, -1, 6, 3, 3, -1, 7, 5, 0, -1, -1}));
  const TavPoint both0[3] = {P(5.5, 5.5), P(5.7, 5.5), P(5, 5)};
  t.calculate(20, 20, both0, 3);
  EXPECT_EQ(t.rle(), (List{20, 20, 5, 5, 5, 5, 5, 5, 0, 5, 0, -1, -1}));
  expectBox(t.boundingBox(), 5, 5, 1, 1);
}

TEST(RleTorus, LimitsAndMissingPoints) {
  const List empty = {3, 4, 0, 0, 0, 0, -1};
  const TavPoint cases[][3] = {
      {P(5, 5), P(8, 5), P(kNaN, 5)},
      {P(kInf, 5), P(8, 5), P(6, 5)},
      {P(5, 5), P(5, 5 + 2e9), P(6, 5)},
      {P(-2147483000.0, 0), P(-2147483000.0, 700), P(-2147483000.0, 2)},  // cx - outer below INT_MIN
  };
  for (const auto& c : cases) {
    CTavGeoRleCalcTorus t;
    EXPECT_TRUE(t.calculate(3, 4, c, 3));
    EXPECT_EQ(t.rle(), empty);
    expectBox(t.boundingBox(), 0, 0, 0, 0);
  }
  CTavGeoRleCalcTorus t;
  const TavPoint two[2] = {P(5, 5), P(8, 5)};
  EXPECT_TRUE(t.calculate(3, 4, two, 2));
  EXPECT_EQ(t.rle(), empty);
}

TEST(RleTorus, MatchesReferenceOnRandomRings) {
  std::mt19937 rng(12);
  std::uniform_real_distribution<double> pos(-60.0, 160.0), rad(0.0, 80.0), ang(0.0, 6.283);
  CTavGeoRleCalcTorus t;
  for (int i = 0; i < 3000; ++i) {
    const TavPoint c = P(pos(rng), pos(rng));
    const double r1 = rad(rng), r2 = (i % 10 == 0) ? r1 : rad(rng), a1 = ang(rng), a2 = ang(rng);
    const TavPoint pts[3] = {c, P(c.x + r1 * std::cos(a1), c.y + r1 * std::sin(a1)),
                             P(c.x + r2 * std::cos(a2), c.y + r2 * std::sin(a2))};
    t.calculate(100, 100, pts, 3);
    TavRect box;
    ASSERT_EQ(t.rle(), tavref::rleTorus(100, 100, pts, 3, &box)) << i;
    if (box.x >= 0 && box.y >= 0) {
      ASSERT_TRUE(wellFormed(t.rle()));
    }
    expectBox(t.boundingBox(), box.x, box.y, box.width, box.height);
  }
  const TavPoint big[3] = {P(3, 4), P(3 + 60000, 4), P(3, 4 + 47000.5)};
  t.calculate(1, 1, big, 3);
  TavRect box;
  EXPECT_EQ(t.rle(), tavref::rleTorus(1, 1, big, 3, &box));
}
