// Counts the heap allocations of the region calculators by replacing the
// global operator new of the test program (the library's vectors allocate
// through it too).
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <new>
#include <vector>

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
struct AllocCount {
  long calls = g_allocations;
  long long bytes = g_bytes;
  long newCalls() const { return g_allocations - calls; }
  long long newBytes() const { return g_bytes - bytes; }
};
}  // namespace

TEST(RleAlloc, ReusedPolygonCalculatorStopsAllocating) {
  CTavGeoRleCalcPolygon c;
  const std::vector<TavPoint> first = tavtest::star(500, 512, 512, 500, 250);
  {
    AllocCount a;
    ASSERT_TRUE(c.calculate(1024, 1024, first.data(), static_cast<int>(first.size())));
    EXPECT_GT(a.newCalls(), 0);  // the counter sees the library's allocations
  }
  std::vector<std::vector<TavPoint>> later;
  for (int i = 0; i < 20; ++i)
    later.push_back(tavtest::star(500 - 20 * i, 512 + i * 0.37, 500 - i, 450 - 7 * i, 200, 0.05 * i));
  later.push_back({TavPoint(10, 10), TavPoint(900, 10), TavPoint(900, 900), TavPoint(10, 900)});
  later.push_back({TavPoint(10, -100), TavPoint(900, 300), TavPoint(100, 1000)});
  AllocCount a;
  for (const auto& v : later) {
    ASSERT_TRUE(c.calculate(1024, 1000, v.data(), static_cast<int>(v.size())));
    ASSERT_GT(c.rle().size(), 7u);
  }
  EXPECT_EQ(a.newCalls(), 0);
}

TEST(RleAlloc, ReusedDiskAndTorusStopAllocating) {
  CTavGeoRleCalcDisk d;
  CTavGeoRleCalcTorus t;
  const TavPoint big[3] = {TavPoint(100, 100), TavPoint(600, 100), TavPoint(100, 400)};
  d.calculate(10, 10, big, 2);
  t.calculate(10, 10, big, 3);
  AllocCount a;
  for (int r = 1; r < 500; r += 7) {
    const TavPoint p[3] = {TavPoint(50.5, 60), TavPoint(50.5 + r, 60), TavPoint(50.5, 60 + r / 2)};
    d.calculate(10, 10, p, 2);
    t.calculate(10, 10, p, 3);
  }
  EXPECT_EQ(a.newCalls(), 0);
}

TEST(RleAlloc, HugeInputsAllocateLittle) {
  AllocCount a;
  CTavGeoRleCalcDisk d;
  const TavPoint disk[2] = {TavPoint(0, 0), TavPoint(1e9, 0)};
  d.calculate(10, 10, disk, 2);
  CTavGeoRleCalcTorus t;
  const TavPoint ring[3] = {TavPoint(0, 0), TavPoint(1e9, 0), TavPoint(5, 0)};
  t.calculate(10, 10, ring, 3);
  CTavGeoRleCalcPolygon p;
  const TavPoint sq[4] = {TavPoint(1, 1), TavPoint(4, 1), TavPoint(4, 4), TavPoint(1, 4)};
  p.calculate(10, INT_MAX, sq, 4);
  EXPECT_EQ(d.rle().size(), 7u);
  EXPECT_EQ(t.rle().size(), 7u);
  EXPECT_EQ(p.rle().size(), 6u + 12 + 1);
  EXPECT_LT(a.newBytes(), 100000);  // the polygon's list reserves 5120 values
}
