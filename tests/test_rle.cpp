// The region calculators. This file also counts the heap allocations of the
// test program by replacing the global operator new.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

#include "reference/rle_reference.h"
#include "rle_shapes.h"

namespace {
long g_allocations = 0;
long long g_bytes = 0;
}  // namespace

void* operator new(std::size_t n) {
  ++g_allocations;
  g_bytes += static_cast<long long>(n);
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace NTavGeometry;

namespace {
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
using List = std::vector<int>;
using Pts = std::vector<TavPoint>;
TavPoint P(double x, double y) { return TavPoint(x, y); }

struct Calcs {
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon polygon;
  CTavGeoRleCalc* get(int kind) {
    return kind == 0   ? static_cast<CTavGeoRleCalc*>(&disk)
           : kind == 1 ? static_cast<CTavGeoRleCalc*>(&torus)
                       : &polygon;
  }
};

// Exposes the list so that a test can see whether a call rewrote it.
struct Marked : CTavGeoRleCalcPolygon {
  void mark() { m_rle.assign(1, 4242); }
  bool marked() const { return m_rle == List{4242}; }
};

struct AllocCount {
  long calls = g_allocations;
  long long bytes = g_bytes;
};
}  // namespace

TEST(Rle, ExactLists) {
  const List disk = {20, 20, 3, 7, 3, 7, 3, 5, 0, -1, 4, 3, 3, -1, 5, 3, 4, -1, 6, 3, 3, -1, 7, 5, 0, -1, -1};
  const List ring = {20, 20, 2, 8, 2,  8, 2, 5, 0, -1, 3,  3, 4, -1, 4,  2, 3, 5, 3,  -1, 5,
                     2,  2,  6, 2, -1, 6, 2, 3, 5, 3,  -1, 7, 3, 4,  -1, 8, 5, 0, -1, -1};
  const List square = {10, 10, 1, 4, 1, 4, 1, 1, 3, -1, 2, 1, 3, -1, 3, 1, 3, -1, -1};
  const List tri = {10, 10, 1, 7, 1, 7,  1, 1, 6, -1, 2, 1, 5, -1, 3, 1,
                    4,  -1, 4, 1, 3, -1, 5, 1, 2, -1, 6, 1, 1, -1, -1};
  const List rect = {10, 10, 1, 8, 2, 6, 2, 1, 7, -1, 3, 1, 7, -1, 4, 1, 7, -1, 5, 1, 7, -1, -1};
  const struct {
    int kind, w, h;  // 0 disk, 1 annulus, 2 polygon
    Pts pts;
    int count;
    List expected;
  } rows[] = {
      {0, 20, 20, {P(5, 5), P(7, 5)}, 2, disk},
      {0, 20, 20, {P(5.9, 5.9), P(7.9, 5.9)}, 2, disk},  // centre truncated, radius from the unrounded points
      {0, 300, 1, {P(5, 5), P(5, 7.99), P(100, 100)}, 3, {300, 1, 3, 7,  3, 7, 3, 5,  0, -1, 4, 3,  3, -1,
                                                          5,   3, 4, -1, 6, 3, 3, -1, 7, 5,  0, -1, -1}},
      {0, 20, 20, {P(6.5, 9.2), P(7.1, 9.7)}, 2, {20, 20, 6, 6, 9, 9, 9, 6, 0, -1, -1}},
      {0,
       20,
       20,
       {P(-3.5, -2.9), P(-3.5, -2.9)},
       2,
       {20, 20, -3, -3, -2, -2, -2, -2, 0, -1, -1}},  // start trunc(-2.5)
      {0, 20, 20, {P(0, 0), P(2, 0)}, 2, {20, 20, -2, 2,  -2, 2,  -2, 0,  0, -1, -1, -1, 3, -1,
                                          0,  -1, 4,  -1, 1,  -1, 3,  -1, 2, 0,  0,  -1, -1}},
      {1, 20, 20, {P(5, 5), P(8, 5), P(6, 5)}, 3, ring},
      {1, 20, 20, {P(5, 5), P(6, 5), P(8, 5)}, 3, ring},  // circles in the other order
      {1, 20, 20, {P(5, 5), P(7, 5), P(5, 7)}, 3, {20, 20, 3, 7,  3,  7, 3, 5, 0, 5,  0,  -1, 4,
                                                   3,  0,  7, 0,  -1, 5, 3, 0, 7, 0,  -1, 6,  3,
                                                   0,  7,  0, -1, 7,  5, 0, 5, 0, -1, -1}},
      {1, 20, 20, {P(5, 5), P(7, 5), P(5, 5)}, 3, {20, 20, 3, 7, 3,  7, 3, 5, 0,  -1, 4, 3, 3,  -1, 5,
                                                   3,  2,  5, 2, -1, 6, 3, 3, -1, 7,  5, 0, -1, -1}},
      {1, 20, 20, {P(5.5, 5.5), P(5.7, 5.5), P(5, 5)}, 3, {20, 20, 5, 5, 5, 5, 5, 5, 0, 5, 0, -1, -1}},
      {2, 10, 10, {P(1, 1), P(4, 1), P(4, 4), P(1, 4)}, 4, square},
      {2, 10, 10, {P(1, 4), P(4, 4), P(4, 1), P(1, 1)}, 4, square},
      {2, 10, 10, {P(1.9, 1.9), P(4.9, 1.9), P(4.9, 4.9), P(1.9, 4.9)}, 4, square},
      {2,
       10,
       INT_MAX,
       {P(1, 1), P(4, 1), P(4, 4), P(1, 4)},
       4,
       {10, INT_MAX, 1, 4, 1, 4, 1, 1, 3, -1, 2, 1, 3, -1, 3, 1, 3, -1, -1}},
      {2, 10, 10, {P(1, 1), P(7, 1), P(1, 7)}, 3, tri},
      {2, 10, 10, {P(1, 7), P(7, 1), P(1, 1)}, 3, tri},
      // columns are not clipped; header word 2 of a box at x = -3 is trunc(-2.5)
      {2,
       3,
       10,
       {P(-3, 1), P(40, 1), P(40, 3), P(-3, 3)},
       4,
       {3, 10, -2, 40, 1, 3, 1, -2, 43, -1, 2, -2, 43, -1, -1}},
      // ends on one row are a horizontal edge
      {2, 10, 10, {P(1, 2), P(8, 2), P(8, 6), P(1, 6)}, 4, rect},
      {2, 10, 10, {P(1, 2.2), P(8, 2.7), P(8, 6), P(1, 6)}, 4, rect},
      // edges above row 0 enter at row 0; an edge ending on row 0 covers no row
      {2,
       10,
       10,
       {P(2, -3), P(2, 3), P(6, 3), P(6, 0)},
       4,
       {10, 10, 2, 6, -2, 3, 0, 2, 4, -1, 1, 2, 4, -1, 2, 2, 4, -1, -1}},
      {2, 10, 10, {P(1, -5), P(3, 0), P(5, -5)}, 3, {10, 10, 1, 5, -4, 0, -1}},
      // nothing to scan: the box's header only
      {2, 10, 0, {P(1, 1), P(4, 1), P(4, 4), P(1, 4)}, 4, {10, 0, 1, 4, 1, 4, -1}},
      {2, 10, -5, {P(1, 1), P(4, 1), P(4, 4), P(1, 4)}, 4, {10, -5, 1, 4, 1, 4, -1}},
      {2, 10, INT_MIN, {P(1, 1), P(4, 1), P(4, 4), P(1, 4)}, 4, {10, INT_MIN, 1, 4, 1, 4, -1}},
      {2, 10, 10, {P(1, 15), P(4, 15), P(4, 18)}, 3, {10, 10, 1, 4, 15, 18, -1}},
      {2, 10, 10, {P(1, 4), P(6, 4), P(9, 4)}, 3, {10, 10, 1, 9, 4, 4, -1}},
      {2, 10, 10, {P(3.7, 3.2)}, 1, {10, 10, 3, 3, 3, 3, -1}},
      {2, 10, 10, {P(1, -9), P(4, -9), P(4, -2)}, 3, {10, 10, 1, 4, -8, -1, -1}},
  };
  Calcs c;
  for (const auto& r : rows) {
    SCOPED_TRACE(::testing::PrintToString(r.expected));
    CTavGeoRleCalc* calc = c.get(r.kind);
    EXPECT_TRUE(calc->calculate(r.w, r.h, r.pts.data(), r.count));
    EXPECT_EQ(calc->rle(), r.expected);
    const TavRect& b = calc->boundingBox();
    if (r.kind < 2) {  // the box of the list's header
      EXPECT_EQ(b.x, r.expected[2]);
      EXPECT_EQ(b.y, r.expected[4]);
      EXPECT_EQ(b.width, r.expected[3] - r.expected[2] + 1);
      EXPECT_EQ(b.height, r.expected[5] - r.expected[4] + 1);
      EXPECT_EQ(b.angle, 0.0);
    }
  }
}

TEST(Rle, UnrepresentableInputGivesTheEmptyList) {
  const double over = kRleMaxRadius + 1;
  const struct {
    int kind;
    Pts pts;
    int count;
  } rows[] = {
      {0, {P(kNaN, 5), P(7, 5)}, 2},
      {0, {P(5, 5), P(kNaN, 5)}, 2},
      {0, {P(kInf, 5), P(7, 5)}, 2},
      {0, {P(5, 5), P(5, -kInf)}, 2},
      {0, {P(3e9, 5), P(3e9, 6)}, 2},
      {0, {P(5, 5), P(5 + 1e9, 5)}, 2},
      {0, {P(5, 5), P(5 + over, 5)}, 2},
      {0, {P(2147483000.0, 5), P(2147483000.0 + 1000, 5)}, 2},
      {0, {P(1e308, -1e308), P(-1e308, 1e308)}, 2},
      {0, {P(5, 5)}, 1},
      {0, {P(5, 5), P(8, 5)}, -1},
      {1, {P(5, 5), P(8, 5), P(kNaN, 5)}, 3},
      {1, {P(kInf, 5), P(8, 5), P(6, 5)}, 3},
      {1, {P(5, 5), P(5, 5 + 2e9), P(6, 5)}, 3},
      {1, {P(5, 5), P(8, 5)}, 2},
      {1, {P(5, 5), P(8, 5), P(6, 5)}, INT_MIN},
      {1, {P(-2147483000.0, 0), P(-2147483000.0, 700), P(-2147483000.0, 2)}, 3},  // cx - outer below INT_MIN
      {2, {P(1, 1), P(4, 1), P(4, 4)}, -7},
      {2, {P(1, 1), P(4, 1), P(4, 4)}, 0},
  };
  Calcs c;
  for (const auto& r : rows) {
    SCOPED_TRACE(::testing::PrintToString(r.pts.front().x) + " count " + std::to_string(r.count));
    for (const TavPoint* p : {r.pts.data(), static_cast<const TavPoint*>(nullptr)}) {
      EXPECT_TRUE(c.get(r.kind)->calculate(7, p ? 8 : 9, p, p ? r.count : 5));
      EXPECT_EQ(c.get(r.kind)->rle(), (List{7, p ? 8 : 9, 0, 0, 0, 0, -1}));
      const TavRect& b = c.get(r.kind)->boundingBox();
      EXPECT_TRUE(b.x == 0 && b.y == 0 && b.width == 0 && b.height == 0);
    }
  }
}

TEST(Rle, LargeRadiiAndTallImages) {
  // Past r = 46340, r^2 no longer fits in 32 bits: the middle row spans the full diameter.
  const int r = 50000;
  CTavGeoRleCalcDisk d;
  const TavPoint a[2] = {P(10, 20), P(10 + r, 20)};
  d.calculate(100, 100, a, 2);
  const List& l = d.rle();
  ASSERT_EQ(l.size(), 6u + 4 * (2 * r + 1) + 1);
  EXPECT_EQ(List(l.begin() + 6 + 4 * r, l.begin() + 9 + 4 * r), (List{20, 11 - r, 2 * r}));
  EXPECT_EQ(List(l.begin() + 6, l.begin() + 10), (List{20 - r, 10, 0, -1}));
  TavRect box;
  EXPECT_EQ(l, tavref::rleDisk(100, 100, a, 2, &box));
  const TavPoint big[2] = {P(0, 0), P(kRleMaxRadius + 0.5, 0)};  // the largest radius still computes
  d.calculate(7, 8, big, 2);
  EXPECT_EQ(d.rle().size(), 6u + 4 * (2 * static_cast<size_t>(kRleMaxRadius) + 1) + 1);
  EXPECT_EQ(d.rle()[4], -kRleMaxRadius);
  CTavGeoRleCalcTorus t;
  const TavPoint ring[3] = {P(3, 4), P(3 + 60000, 4), P(3, 4 + 47000.5)};
  t.calculate(1, 1, ring, 3);
  EXPECT_EQ(t.rle(), tavref::rleTorus(1, 1, ring, 3, &box));
  // A polygon reaching row 1e9 stops at row kRleMaxRows - 1.
  CTavGeoRleCalcPolygon p;
  const TavPoint tall[4] = {P(1, 1), P(4, 1), P(4, 1e9), P(1, 1e9)};
  p.calculate(10, INT_MAX, tall, 4);
  ASSERT_EQ(p.rle().size(), 6u + 4 * static_cast<size_t>(kRleMaxRows - 1) + 1);
  EXPECT_EQ(List(p.rle().end() - 5, p.rle().end()), (List{kRleMaxRows - 1, 1, 3, -1, -1}));
  // Both slanted edges start at row -10 and enter at row 0.
  const TavPoint tri[3] = {P(0, -10), P(10, 10), P(-10, 10)};
  p.calculate(20, 20, tri, 3);
  ASSERT_EQ(p.rle().size(), 6u + 10 * 4 + 1);
  EXPECT_EQ(List(p.rle().begin(), p.rle().begin() + 10), (List{20, 20, -9, 10, -9, 10, 0, -4, 10, -1}));
  EXPECT_EQ(List(p.rle().end() - 5, p.rle().end()), (List{9, -9, 19, -1, -1}));
}

TEST(Rle, ManyEdgesStartingOnOneRow) {
  // A comb whose 400 tips lie on row 5: 800 edges start there, two at each tip's x.
  for (double shift : {0.0, 0.25, 0.75}) {
    Pts v = {P(0, 60), P(0, 5)};
    for (int i = 0; i < 400; ++i) v.insert(v.end(), {P(2 * i + 1 + shift, 30 + (i % 7)), P(2 * i + 2, 5.5)});
    v.push_back(P(800, 60));
    CTavGeoRleCalcPolygon c;
    c.calculate(900, 64, v.data(), static_cast<int>(v.size()));
    TavRect box;
    EXPECT_EQ(c.rle(), tavref::rlePolygon(900, 64, v.data(), static_cast<int>(v.size()), &box));
    EXPECT_EQ(c.rle()[6], 5);
  }
}

TEST(Rle, CacheKeyIsTheBytesOfTheLastCall) {
  CTavGeoRleCalcDisk d;
  EXPECT_TRUE(d.compareWithLastComputedCoords(0, 0, nullptr, 0));  // fresh: 0 x 0, no points
  const TavPoint pts[2] = {P(0.0, 5), P(7, 5)}, negZero[2] = {P(-0.0, 5), P(7, 5)},
                 nan[2] = {P(kNaN, 5), P(7, 5)};
  EXPECT_TRUE(d.calculate(0, 0, pts, 0));
  EXPECT_TRUE(d.rle().empty());  // answered from the cache
  d.storeComputedCoords(20, 30, pts, 2);
  EXPECT_TRUE(d.compareWithLastComputedCoords(20, 30, pts, 2));
  EXPECT_FALSE(d.compareWithLastComputedCoords(21, 30, pts, 2));
  EXPECT_FALSE(d.compareWithLastComputedCoords(20, 31, pts, 2));
  EXPECT_FALSE(d.compareWithLastComputedCoords(20, 30, pts, 1));
  EXPECT_FALSE(d.compareWithLastComputedCoords(20, 30, negZero, 2));
  d.storeComputedCoords(20, 30, nan, 2);
  EXPECT_TRUE(d.compareWithLastComputedCoords(20, 30, nan, 2));
  d.storeComputedCoords(1, 2, pts, -4);  // a negative count or a null array are no points
  EXPECT_TRUE(d.compareWithLastComputedCoords(1, 2, nullptr, 0));
  EXPECT_TRUE(d.compareWithLastComputedCoords(1, 2, pts, -1));
  EXPECT_FALSE(d.compareWithLastComputedCoords(1, 2, pts, 1));
  // A repeated call leaves the list alone; any change of the key computes again.
  Marked poly;
  TavPoint sq[4] = {P(1, 1), P(4, 1), P(4, 4), P(1, 4)};
  ASSERT_TRUE(poly.calculate(10, 10, sq, 4));
  const struct {
    int w, h, count;
    double x0;
    bool cached;
  } calls[] = {{10, 10, 4, 1, true},
               {10, 11, 4, 1, false},
               {11, 11, 4, 1, false},
               {11, 11, 3, 1, false},
               {11, 11, 3, std::nextafter(1.0, 2.0), false},
               {11, 11, 3, std::nextafter(1.0, 2.0), true}};
  for (const auto& k : calls) {
    poly.mark();
    sq[0].x = k.x0;
    EXPECT_TRUE(poly.calculate(k.w, k.h, sq, k.count));
    EXPECT_EQ(poly.marked(), k.cached) << k.w << " " << k.h << " " << k.count;
  }
  poly.mark();
  EXPECT_TRUE(poly.calculate(11, 11, nullptr, -3));
  EXPECT_TRUE(poly.calculate(11, 11, sq, 0));  // the same key as a negative count
  EXPECT_EQ(poly.rle(), (List{11, 11, 0, 0, 0, 0, -1}));
  CTavGeoRleCalc base;
  EXPECT_FALSE(base.calculate(20, 20, pts, 2));
  EXPECT_TRUE(base.rle().empty());
}

TEST(Rle, ReusedCalculatorsStopAllocating) {
  CTavGeoRleCalcPolygon c;
  CTavGeoRleCalcDisk d;
  CTavGeoRleCalcTorus t;
  const Pts first = tavtest::star(500, 512, 512, 500, 250);
  const TavPoint big[3] = {P(100, 100), P(600, 100), P(100, 400)};
  const AllocCount before;
  ASSERT_TRUE(c.calculate(1024, 1024, first.data(), static_cast<int>(first.size())));
  d.calculate(10, 10, big, 2);
  t.calculate(10, 10, big, 3);
  EXPECT_GT(g_allocations, before.calls);  // the counter sees the library's allocations
  std::vector<Pts> later;
  for (int i = 0; i < 20; ++i)
    later.push_back(tavtest::star(500 - 20 * i, 512 + i * 0.37, 500 - i, 450 - 7 * i, 200, 0.05 * i));
  later.push_back({P(10, 10), P(900, 10), P(900, 900), P(10, 900)});
  later.push_back({P(10, -100), P(900, 300), P(100, 1000)});
  const AllocCount reused;
  for (const auto& v : later) ASSERT_TRUE(c.calculate(1024, 1000, v.data(), static_cast<int>(v.size())));
  for (int r = 1; r < 500; r += 7) {
    const TavPoint p[3] = {P(50.5, 60), P(50.5 + r, 60), P(50.5, 60 + r / 2)};
    d.calculate(10, 10, p, 2);
    t.calculate(10, 10, p, 3);
  }
  EXPECT_EQ(g_allocations, reused.calls);
  // Inputs past the limits allocate little: the polygon's list reserves 5120 values.
  const AllocCount huge;
  CTavGeoRleCalcDisk d2;
  CTavGeoRleCalcTorus t2;
  CTavGeoRleCalcPolygon p2;
  const TavPoint far[3] = {P(0, 0), P(1e9, 0), P(5, 0)};
  d2.calculate(10, 10, far, 2);
  t2.calculate(10, 10, far, 3);
  p2.calculate(10, INT_MAX, big, 3);
  EXPECT_EQ(d2.rle().size() + t2.rle().size(), 14u);
  EXPECT_LT(g_bytes - huge.bytes, 100000);
}
