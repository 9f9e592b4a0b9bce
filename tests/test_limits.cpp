// The limits of the model, each on both sides: the largest radius, the rows a polygon scan covers, the most
// points an arc is sampled into, the most scan lines one call lays, the most perimeter points. Beyond a limit
// a call returns at once with its fallback. Then inputs found by the fuzz targets, with what was mended.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

using namespace NTavGeometry;

// Allocation that fails on request: the next tFailNext-th allocation of this
// thread throws std::bad_alloc (0: none is made to fail).
namespace {
thread_local int tFailNext = 0;
}
void* operator new(std::size_t n) {
  if (tFailNext > 0 && --tFailNext == 0) throw std::bad_alloc();
  if (void* p = std::malloc(n != 0 ? n : 1)) return p;
  throw std::bad_alloc();
}
// The nothrow forms too (std::stable_sort's buffer), so that every form this
// program's deletes free was taken from malloc.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (tFailNext > 0 && --tFailNext == 0) return nullptr;
  return std::malloc(n != 0 ? n : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {
using List = std::vector<int>;
const List kEmpty = {7, 9, 0, 0, 0, 0, -1};
const double kInf = std::numeric_limits<double>::infinity(), kNaN = std::numeric_limits<double>::quiet_NaN();

template <class Calc>
List rle(std::vector<TavPoint> p) {
  Calc c;
  EXPECT_TRUE(c.calculate(7, 9, p.data(), static_cast<int>(p.size())));
  return c.rle();
}
List disk(double cx, double cy, double r) { return rle<CTavGeoRleCalcDisk>({{cx, cy}, {cx + r, cy}}); }
List torus(double r1, double r2) { return rle<CTavGeoRleCalcTorus>({{0, 0}, {r1, 0}, {0, r2}}); }
}  // namespace

TEST(Limits, DiskAnnulusAndPolygonScans) {  // the largest disk itself: Rle.EmptyListsAndTheRadiusLimit
  // One pixel more, infinite or NaN, or a centre whose rows or columns leave the int range.
  for (const List& l :
       {disk(0, 0, kRleMaxRadius + 1.0), disk(0, 0, kInf), disk(0, 0, kNaN), disk(2147483647.0 - 5, 0, 10),
        disk(0, -1e300, 10), torus(kRleMaxRadius + 1.0, 3), torus(3, kRleMaxRadius + 1.0)})
    EXPECT_EQ(l, kEmpty);
  const List ring = torus(kRleMaxRadius, kRleMaxRadius - 1);
  EXPECT_TRUE(ring[4] == -kRleMaxRadius && ring[5] == kRleMaxRadius && ring.back() == -1);

  // The row limit: every row below it has its run, the last record "row, start, extent, -1" on row
  // kRleMaxRows - 1, and the height is still reported. fuzz_regions, BoNra2uMa2trawQ=: a NaN vertex took part
  // in the scan as (0, 0) while the box ignored it. AAsABwCCKq0xUGet: an edge from above row 0 was entered
  // into an edge table of no rows (height 0).
  const TavPoint tri[3] = {TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3.0 * kRleMaxRows)};
  CTavGeoRleCalcPolygon c;
  ASSERT_TRUE(c.calculate(10, std::numeric_limits<int>::max(), tri, 3));
  const List& l = c.rle();
  ASSERT_EQ(l.size(), 6u + 4u * kRleMaxRows + 1u);
  EXPECT_TRUE(l[l.size() - 5] == kRleMaxRows - 1 && l[1] == std::numeric_limits<int>::max());
  // Negative height: no rows, the header still carries the vertices' box; negative count: no points.
  ASSERT_TRUE(c.calculate(10, -5, tri, 3));
  EXPECT_EQ(c.rle(), (List{10, -5, 0, 4, 0, 3 * kRleMaxRows, -1}));
  ASSERT_TRUE(c.calculate(10, 10, tri, -3));
  EXPECT_EQ(c.rle(), (List{10, 10, 0, 0, 0, 0, -1}));
  std::vector<TavPoint> pts(11, TavPoint(kNaN, kNaN));
  pts[0] = TavPoint(2147483754.0, 2147483651.0);
  ASSERT_TRUE(c.calculate(-1, 11, pts.data(), 11));
  EXPECT_EQ(c.rle(), (List{-1, 11, 0, 0, 0, 0, -1}));
  EXPECT_EQ(c.boundingBox().width, 0.0);
  const TavPoint low[3] = {TavPoint(0, -5), TavPoint(10, 5), TavPoint(0, 5)};
  ASSERT_TRUE(c.calculate(10, 0, low, 3));
  EXPECT_EQ(c.rle(), (List{10, 0, 0, 10, -4, 5, -1}));  // header words from the box, +0.5
  const TavPoint above[3] = {TavPoint(0, -5), TavPoint(10, 0.5), TavPoint(0, 0.5)};
  ASSERT_TRUE(c.calculate(10, 10, above, 3));  // lowest vertex on row 0: nothing to scan
  EXPECT_EQ(c.rle().size(), 7u);
  // A list of 123 million words (a comb of 40 teeth over 1.5 million rows) holds no more than the word cap:
  // doubling alone had grown its capacity past 83.9 million words to 160 million (640 MiB).
  std::vector<TavPoint> comb;
  for (int t = 0; t < 40; ++t)
    for (const TavPoint& q : {TavPoint(10 * t, 1.5e6 - 1), TavPoint(10 * t + 5, 1.5e6 - 1),
                              TavPoint(10 * t + 5, 0.5), TavPoint(10 * t + 10, 0.5)})
      comb.push_back(q);
  comb.insert(comb.end(), {TavPoint(400, -1), TavPoint(0, -1)});
  ASSERT_TRUE(c.calculate(420, 1500002, comb.data(), static_cast<int>(comb.size())));
  EXPECT_TRUE(c.rle().size() == 122999925u && c.rle().capacity() <= kRleMaxWords) << c.rle().capacity();
}

TEST(Limits, ArcPointSetScanLinesAndPerimeterAreCapped) {
  // Negative radius, zero, NaN, infinite and huge lengths, one point over the cap: empty, unallocated.
  const TavPoint o(0, 0), path[2] = {TavPoint(0, 0), TavPoint(1e6, 0)};
  for (const TavArc& arc :
       {TavArc(o, -10, 0, 1), TavArc(o, 0, 0, 1), TavArc(o, kNaN, 0, 1), TavArc(o, 10, 0, kInf),
        TavArc(o, 1e300, 0, 1), TavArc(o, kArcToPointSetMaxPoints + 1.0, 0, 1), TavArc(o, 1e7, 0, 2.0)}) {
    std::vector<TavPoint> v(3);
    arcToPointSet(arc, &v);
    EXPECT_TRUE(v.empty() && v.capacity() < 1000u) << arc.radius;
  }
  std::vector<TavLine> lines(5);
  // Steps at or above the cap, and -0.0 (fuzz_scan: it laid the start and end spokes, as < 0): the start
  // spoke.
  for (const double spacing : {1e-300, -0.0}) {
    arcToSpoke(TavArc(o, 10, 0, 1), 5, spacing, &lines);
    EXPECT_TRUE(lines.size() == 1u && lines[0].p1.x == 10 && lines[0].p2.x == 15) << spacing;
  }
  for (const double spacing : {1e-3, 1e-300, 1e6 / 1000.5}) {  // more lines than the cap: none
    polyLineToPolyRake(path, 2, 5, spacing, &lines);
    EXPECT_EQ(lines.size(), spacing > 1 ? 1000u : 0u) << spacing;
  }
  const List l = {0, 0, 0, 999999, 5, 5, 5, 0, 999999, -1, -1};  // one record of a million pixels
  const std::vector<TavIPoint> pts = CTavGeoRleCalc::calculatePerimiterPoints(l.data());
  ASSERT_EQ(pts.size(), 1000000u);
  EXPECT_TRUE(pts.front().x == 0 && pts.back().x == 999999);
  // Past kRleMaxPerimeterPoints the answer is empty, found before writing: a run of 2^31 - 1 pixels, and a
  // run one pixel past the limit after an ordinary record, from either reader.
  const int wide = std::numeric_limits<int>::max() - 1, over = static_cast<int>(kRleMaxPerimeterPoints);
  for (const List& q : {List{0, 0, 0, wide, 5, 6, 5, 0, 3, -1, 6, 0, wide, -1, -1},
                        List{0, 0, 0, over, 5, 5, 5, 0, over, -1, -1}})
    EXPECT_TRUE(CTavGeoRleCalc::calculatePerimiterPoints(q.data()).empty() &&
                CTavGeoRleCalc::calculatePerimiterPoints(q).empty())
        << q[3];
}

TEST(Limits, AFailedRegionCopyLeavesTheTargetAsItWas) {  // it took the new canvas and kept its old runs
  CTavGeoRegion a = CTavGeoRegion::fromBox(100, 100, {80, 9, 20, 1});
  const CTavGeoRegion before = a, b = CTavGeoRegion::fromBox(10, 10, {0, 0, 10, 10});
  tFailNext = 1;
  EXPECT_THROW(a = b, std::bad_alloc);
  tFailNext = 0;
  EXPECT_TRUE(a == before);
  a = b;
  EXPECT_TRUE(a == b);
}

TEST(Limits, AFailedCalculationKeepsNoCountsOfTheListBefore) {  // region() had read the new list by them
  const TavPoint small[3] = {{20, 20}, {22, 20}, {20, 21}}, big[3] = {{20, 20}, {60, 20}, {20, 30}};
  CTavGeoRleCalcDisk fd, d;
  CTavGeoRleCalcTorus ft, t;
  CTavGeoRleCalc* const fresh[2] = {&fd, &ft};
  CTavGeoRleCalc* const used[2] = {&d, &t};
  for (int c = 0; c < 2; ++c) {
    fresh[c]->calculate(100, 100, big, 3);
    for (int k = 1; k < 6; ++k) {
      used[c]->calculate(100, 100, small, 3);
      tFailNext = k;
      try {
        used[c]->calculate(100, 100, big, 3);
      } catch (const std::bad_alloc&) {
      }
      tFailNext = 0;
      EXPECT_TRUE(used[c]->recordRuns().empty() || used[c]->recordRuns() == fresh[c]->recordRuns()) << c << k;
    }
  }
}

TEST(Limits, OnePixelDilatedByALargeSquareIsOneBox) {  // its cost had been O(r^2): hours for this one
  const int r = 999999, h = 2 * r + 3;                 // the rows of bits fit their 16 MiB here
  const CTavGeoRegion dot = CTavGeoRegion::fromBox(1, h, {0, r + 1, 1, 1});
  EXPECT_TRUE(dot.dilateSquare(r) == CTavGeoRegion::fromBox(1, h, {0, 1, 1, 2 * r + 1}));
  EXPECT_TRUE(dot.dilateDisk(r) == dot.dilateSquare(r));
}
