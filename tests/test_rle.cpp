// The region calculators. fuzz_regions compares their lists and boxes with the
// step-by-step references and models the cache; here: worked examples, limits,
// huge lists, the cache key's bytes, allocations (counted by replacing the
// global operator new of the test program).
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <new>
#include <string>

#include "reference/rle_reference.h"
#include "rle_shapes.h"

static long g_allocations = 0;
void* operator new(std::size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace NTavGeometry;
using List = std::vector<int>;

namespace {
struct Calcs {
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon polygon;
  CTavGeoRleCalc* get(int kind) {
    return kind == 0 ? &disk : kind == 1 ? &torus : static_cast<CTavGeoRleCalc*>(&polygon);
  }
};
struct Marked : CTavGeoRleCalcPolygon {  // shows whether a call rewrote the list
  void mark() { m_rle.assign(1, 4242); }
  bool marked() const { return m_rle == List{4242}; }
};
}  // namespace

// Run starts trunc(cx - h + 0.5), toward zero; the hole's rows split in two runs;
// the polygon's columns are not clipped.
TEST(Rle, WorkedExamples) {
  const struct {
    int kind;  // 0 disk, 1 annulus, 2 polygon
    const char *points, *list;
  } rows[] = {{0, "-3.5 -2.9 -3.5 -2.9", "-3 -3 -2 -2 -2 -2 0 -1 -1"},
              {1, "5 5 6 5 8 5",
               "2 8 2 8 2 5 0 -1 3 3 4 -1 4 2 3 5 3 -1 5 2 2 6 2 -1 6 2 3 5 3 -1 7 3 4 -1 8 5 0 -1 -1"},
              {2, "-3 1 40 1 40 3 -3 3", "-2 40 1 3 1 -2 43 -1 2 -2 43 -1 -1"}};
  Calcs c;
  for (const auto& r : rows) {
    const std::vector<TavPoint> v = tavtest::points(r.points);
    EXPECT_TRUE(c.get(r.kind)->calculate(7, 8, v.data(), static_cast<int>(v.size())));
    List expected = tavtest::nums(std::string("7 8 ") + r.list);
    EXPECT_EQ(c.get(r.kind)->rle(), expected) << r.points;
  }
  const TavRect& b = c.torus.boundingBox();
  EXPECT_TRUE(b.x == 2 && b.y == 2 && b.width == 7 && b.height == 7 && b.angle == 0);
}

// Past the radius limit, beyond the int range, too few points, a negative
// count, a null array: the header alone and a zero box. Rows: kind, count, points.
TEST(Rle, UnrepresentableInputGivesTheEmptyList) {
  const char* const rows[] = {"0 2 5 5 1000006 5",
                              "0 2 3e9 5 3e9 6",
                              "0 2 2147483000 5 2147484000 5",
                              "0 1 5 5",
                              "1 3 5 5 5 1000006 6 5",
                              "1 2 5 5 8 5",
                              "1 3 -2147483000 0 -2147483000 700 -2147483000 2",
                              "1 -2147483648 5 5 8 5 6 5",
                              "2 -7 1 1 4 1 4 4",
                              "1 5"};
  Calcs c;
  for (const char* r : rows) {
    const std::vector<double> d = tavtest::nums<double>(r);
    std::vector<TavPoint> v;
    for (size_t i = 2; i + 1 < d.size(); i += 2) v.emplace_back(d[i], d[i + 1]);
    CTavGeoRleCalc* calc = c.get(static_cast<int>(d[0]));
    EXPECT_TRUE(calc->calculate(7, 8, v.empty() ? nullptr : v.data(), static_cast<int>(d[1])));
    EXPECT_EQ(calc->rle(), (List{7, 8, 0, 0, 0, 0, -1})) << r;
    const TavRect& b = calc->boundingBox();
    EXPECT_TRUE(b.x == 0 && b.y == 0 && b.width == 0 && b.height == 0);
  }
}

TEST(Rle, LargeRadiiAndTallImages) {
  const int r = 50000;  // r^2 no longer fits in 32 bits: the middle row spans the full diameter
  CTavGeoRleCalcDisk d;
  const TavPoint a[2] = {{10, 20}, {10 + r, 20}}, big[2] = {{0, 0}, {kRleMaxRadius + 0.5, 0}};
  TavRect box;
  d.calculate(100, 100, a, 2);
  EXPECT_EQ(List(d.rle().begin() + 6 + 4 * r, d.rle().begin() + 9 + 4 * r), (List{20, 11 - r, 2 * r}));
  EXPECT_EQ(d.rle(), tavref::rleDisk(100, 100, a, 2, &box));
  d.calculate(7, 8, big, 2);  // the largest radius still computes
  EXPECT_EQ(d.rle().size(), 6u + 4 * (2 * static_cast<size_t>(kRleMaxRadius) + 1) + 1);
  CTavGeoRleCalcPolygon p;  // a polygon reaching row 1e9 stops at row kRleMaxRows - 1
  const TavPoint tall[4] = {{1, 1}, {4, 1}, {4, 1e9}, {1, 1e9}};
  p.calculate(10, INT_MAX, tall, 4);
  ASSERT_EQ(p.rle().size(), 6u + 4 * static_cast<size_t>(kRleMaxRows - 1) + 1);
  EXPECT_EQ(List(p.rle().end() - 5, p.rle().end()), (List{kRleMaxRows - 1, 1, 3, -1, -1}));
  for (double shift : {0.0, 0.25, 0.75}) {  // a comb: 800 edges start on row 5, two at each tip's x
    std::vector<TavPoint> v = {{0, 60}, {0, 5}};
    for (int i = 0; i < 400; ++i) v.insert(v.end(), {{2 * i + 1 + shift, 30.0 + i % 7}, {2 * i + 2.0, 5.5}});
    v.emplace_back(800, 60);
    p.calculate(900, 64, v.data(), static_cast<int>(v.size()));
    EXPECT_EQ(p.rle(), tavref::rlePolygon(900, 64, v.data(), static_cast<int>(v.size()), &box));
  }
}

TEST(Rle, CacheKeyIsTheBytesOfTheLastCall) {
  CTavGeoRleCalcDisk d;
  const TavPoint pts[2] = {{0.0, 5}, {7, 5}}, negZero[2] = {{-0.0, 5}, {7, 5}};
  EXPECT_TRUE(d.calculate(0, 0, pts, 0));  // the fresh key: 0 x 0, no points
  EXPECT_TRUE(d.rle().empty());
  d.storeComputedCoords(20, 30, pts, 2);
  EXPECT_TRUE(d.compareWithLastComputedCoords(20, 30, pts, 2));
  EXPECT_FALSE(d.compareWithLastComputedCoords(20, 30, negZero, 2));
  Marked poly;  // a negative count is no points: the key of count 0
  TavPoint sq[4] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}};
  const struct {
    int w, h, count;
    double x0;
    bool cached;
  } calls[] = {{10, 10, 4, 1, false},  {10, 10, 4, 1, true},  {10, 11, 4, 1, false},
               {11, 11, 4, 1, false},  {11, 11, 3, 1, false}, {11, 11, 3, 1 + 1e-15, false},
               {11, 11, -2, 1, false}, {11, 11, 0, 1, true}};
  for (const auto& k : calls) {
    poly.mark();
    sq[0].x = k.x0;
    EXPECT_TRUE(poly.calculate(k.w, k.h, sq, k.count));
    EXPECT_EQ(poly.marked(), k.cached) << k.w << " " << k.h << " " << k.count;
  }
}

TEST(Rle, ReusedCalculatorsStopAllocating) {
  Calcs c;
  const std::vector<TavPoint> first = tavtest::star(500, 512, 512, 500, 250);
  const TavPoint big[3] = {{100, 100}, {600, 100}, {100, 400}};
  const long before = g_allocations;
  c.polygon.calculate(1024, 1024, first.data(), static_cast<int>(first.size()));
  c.disk.calculate(10, 10, big, 2);
  c.torus.calculate(10, 10, big, 3);
  EXPECT_GT(g_allocations, before);  // the counter sees the library's allocations
  std::vector<std::vector<TavPoint>> stars;
  for (int i = 0; i < 20; ++i)
    stars.push_back(tavtest::star(500 - 20 * i, 512 + i * 0.37, 500 - i, 450 - 7 * i, 200, 0.05 * i));
  const long reused = g_allocations;
  for (int i = 0; i < 20; ++i) {
    c.polygon.calculate(1024, 1000, stars[i].data(), static_cast<int>(stars[i].size()));
    const TavPoint p[3] = {{50.5, 60}, {50.5 + 25 * i, 60}, {50.5, 60 + 12 * i}};
    c.disk.calculate(10, 10, p, 2);
    c.torus.calculate(10, 10, p, 3);
  }
  EXPECT_EQ(g_allocations, reused);
}
