// Region calculators, perimeter points and the run-based region. The fuzz
// targets compare the calculators (fuzz_regions), the perimeter of well-formed
// lists (fuzz_perimeter) and the region algebra (fuzz_region_algebra) with the
// references; here: what they leave out.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>

#include "reference/perimeter_reference.h"
#include "reference/region_reference.h"
#include "reference/rle_reference.h"
#include "rle_shapes.h"

using namespace NTavGeometry;
using List = std::vector<int>;

namespace {
List flat(const std::vector<TavIPoint>& v) {  // x0 y0 x1 y1 ...
  List out;
  for (const TavIPoint& p : v) out.insert(out.end(), {p.x, p.y});
  return out;
}
List walk(const List& l) { return flat(CTavGeoRleCalc::calculatePerimiterPoints(l.data())); }
List literal(const List& l) { return flat(tavref::perimeterPointsLiteral(l.data())); }

struct HandWritten : CTavGeoRleCalcPolygon {  // a list and its record counts set by hand
  void write(List rle, std::vector<int> recordRuns) { m_rle = std::move(rle), m_recordRuns = std::move(recordRuns); }
};
}  // namespace

// A disk past the radius limit, an annulus beyond the int range (Limits has the others) and a null array:
// the header alone, a zero box and no records, after a computed list.
TEST(Rle, EmptyListsAndTheRadiusLimit) {
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  const TavPoint fine[3] = {{5, 5}, {8, 5}, {6, 5}};
  EXPECT_TRUE(torus.calculate(0, 0, fine, 0) && torus.rle().empty());  // the fresh key: 0 x 0, no points
  const TavPoint far[2][3] = {{{5, 5}, {1000006, 5}},
                              {{-2147483000, 0}, {-2147483000, 700}, {-2147483000, 2}}};
  CTavGeoRleCalc* const calcs[2] = {&disk, &torus};
  for (int k = 0; k < 2; ++k)
    for (const TavPoint* p : {far[k], static_cast<const TavPoint*>(nullptr)}) {
      calcs[k]->calculate(7, 8, fine, 3);  // a computed list first
      EXPECT_TRUE(calcs[k]->calculate(7, 8, p, 3));
      const CTavGeoRleCalc& read = *calcs[k];  // results are read from a const calculator
      EXPECT_EQ(read.rle(), (List{7, 8, 0, 0, 0, 0, -1})) << k << (p ? "" : " null");
      const TavRect& b = read.boundingBox();
      EXPECT_TRUE(b.x == 0 && b.y == 0 && b.width == 0 && b.height == 0 && calcs[k]->recordRuns().empty());
    }
  // r = 50000: r^2 no longer fits in 32 bits, the middle row spans the full diameter.
  const TavPoint a[2] = {{10, 20}, {50010, 20}}, big[2] = {{0, 0}, {kRleMaxRadius + 0.5, 0}};
  TavRect box;
  disk.calculate(100, 100, a, 2);
  EXPECT_EQ(disk.rle(), tavref::rleDisk(100, 100, a, 2, &box));
  disk.calculate(7, 8, big, 2);  // the largest radius still computes; the row limit: Limits
  EXPECT_EQ(disk.rle().size(), 6u + 4 * (2 * static_cast<size_t>(kRleMaxRadius) + 1) + 1);
  // Edges that all cross between two rows (a zigzag) and random ones: the order of the row's edges, restored
  // by a stable sort once the insertion sort's moves pass its budget, is the step-by-step one.
  std::vector<TavPoint> zig;
  std::mt19937 gen(3);
  for (int i = 0; i < 1500; ++i) zig.emplace_back(i, 0), zig.emplace_back(4500 - 3 * i, 2);
  for (int i = 0; i < 3000; ++i) zig.emplace_back(gen() % 6000 / 1.5, gen() % 1000 / 100.0);
  CTavGeoRleCalcPolygon poly;
  for (const int n : {3000, 6000}) {
    ASSERT_TRUE(poly.calculate(6000, 12, zig.data(), n));
    EXPECT_EQ(poly.rle(), tavref::rlePolygon(6000, 12, zig.data(), n, &box)) << n;
  }
  disk.calculate(-5, -3, fine, 2);  // a negative canvas is an empty one
  EXPECT_TRUE(disk.region().width() == 0 && disk.region().height() == 0);
  // region() of a list a derived calculator wrote with rows out of order and a row twice: sorted as a whole
  HandWritten own;
  own.write({9, 6, 0, 0, 0, 0, 3, 4, 2, 0, 1, -1, 1, 2, 0, -1, 3, 1, 3, -1, -1}, {2, 1, 1});
  EXPECT_EQ(own.region().runs(), (std::vector<TavRun>{{1, 2, 3}, {3, 0, 7}}));  // [0, 2) [4, 7) and [1, 5)
  own.write({6, 4, 0, 0, 0, 0, 1, 4, 1, -1, 1, 0, 0, -1, -1}, {1, 1});  // one row twice in a row, left run last
  EXPECT_EQ(own.region().runs(), (std::vector<TavRun>{{1, 0, 1}, {1, 4, 6}}));  // pixel 0 had been merged away
  std::vector<TavRun> walked;  // a temporary region's runs outlive it in a loop (the sanitizers' runs check)
  for (const TavRun& r : own.region().runs()) walked.push_back(r);
  const CTavGeoRegion same = own.region();
  for (const TavRun& r : (walked.empty() ? same : own.region()).runs()) walked.push_back(r);  // a const one
  EXPECT_EQ(walked.size(), 2 * same.runs().size());
}

// Readings fuzz_perimeter leaves out: records without runs; header column < 0
// (runs clipped at column 0, those ending left of it dropped, the record kept;
// after the first run, -1 and the next row end the record, -1 and anything
// else is a run); negative starts and rows ending records and lists.
TEST(Perimeter, ExactOutlinesInListOrder) {
  // Rows: header word 2, then the list after the header; the outline.
  const List rows[][2] = {{{0, 0, 0, 2, -1, 1, -1, 2, 0, 2, -1, 3, 0, 2, -1, -1},
                           {0, 0, 1, 0, 2, 0, 0, 2, 1, 2, 2, 2, 0, 3, 1, 3, 2, 3}},
                          {{-2, 4, -1, 3, -1, 5, -1, 4, -1, -1}, {0, 4, 1, 4, 2, 4, 0, 5, 1, 5, 2, 5, 3, 5}},
                          {{-9, 1, -9, 4, -1, 2, 0, 3, -1, 3, 0, 1, -2, 4, -1, -1},
                           {0, 2, 1, 2, 2, 2, 3, 2, 0, 3, 1, 3, 0, 3, 1, 3, 2, 3}},
                          {{-5, 4, -5, 3, -1, 2, -1, 5, 0, 0, -1, -1}, {0, 4, 1, 4, 0, 5, 0, 5}},
                          {{-5, 4, -5, 3, -1, 5, 0, 0, -1, -1}, {0, 5, 0, 5}},
                          {{0, 0, 0, 3, -1, 1, 2, 1, -3, 5, -1, -1},
                           {0, 0, 1, 0, 2, 0, 3, 0, 2, 1, 3, 1}},  // "5 -1": an empty row 5
                          {{0, 0, 0, 2, -1, -3, 0, 2, -1, 4, 0, 2, -1, -1}, {0, 0, 1, 0, 2, 0}},
                          {{0, -2, 5, 0, -1, 3, 5, 0, -1, -1}, {}}};
  for (const auto& r : rows) {
    List l = {0, 0, r[0][0], 0, 0, 0};
    l.insert(l.end(), r[0].begin() + 1, r[0].end());
    EXPECT_EQ(walk(l), r[1]) << "row " << &r - rows;  // the vector form reads the same: fuzz_perimeter
  }
  const int s = 2147483000, e = 1000000000;  // start + extent passes INT_MAX: the last column saturates
  const List l = {0, 0, 0, 0, 0, 0, 0, s, e, -1, 1, s, e, INT_MAX, 0, -1, 2, s, e, -1, -1};
  ASSERT_EQ(walk(l).size(), 2 * (648u + 4u + 648u));
  EXPECT_EQ(walk(l), literal(l));
  // The vector form of a list cut after a run's start: the list ends there.
  EXPECT_EQ(flat(CTavGeoRleCalc::calculatePerimiterPoints(List{0, 0, 0, 0, 0, 0, 1, 0, 2, -1, 2, 0, 1, 3})),
            (List{0, 1, 1, 1, 2, 1, 0, 2, 1, 2}));
}

// The calculators' lists, past the top and the left edge too, split into records
// by recordRuns(): region() holds their runs cut to the canvas, the vector form
// outlines them cut to rows and columns 0 and up, the pointer form stops at a
// negative row. Polygons of up to 40 vertices give rows of many runs.
TEST(Perimeter, CalculatorListsCutAtTheTopAndLeftEdges) {
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon polygon;
  std::mt19937 rng(99);
  auto real = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  for (int iter = 0; iter < 3000; ++iter) {
    const double r = real(0, 30);
    const TavPoint c(real(-20, 60), real(-20, 70)),
        d[3] = {c, TavPoint(c.x + r, c.y), TavPoint(c.x, c.y + real(0, r))};
    TavPoint poly[40];
    for (TavPoint& p : poly) p = TavPoint(real(-30, 60), real(-20, 60));
    disk.calculate(64, 50, d, 2);
    torus.calculate(64, 50, d, 3);
    polygon.calculate(64, 50, poly, 3 + iter % 38);
    for (CTavGeoRleCalc* calc : std::initializer_list<CTavGeoRleCalc*>{&disk, &torus, &polygon}) {
      const List l = calc->rle();
      List inside = {l[0], l[1], 0, l[3], l[4], l[5]};
      tavref::Mask m(64, 50);
      bool ambiguous = false;  // a later run at -1 of extent y + 1 reads as the record's end
      size_t i = 6;
      for (const int runs : calc->recordRuns()) {
        const int y = l[i++];
        if (y >= 0) inside.push_back(y);
        for (int k = 0; k < runs; ++k, i += 2) {
          ambiguous = ambiguous || (k > 0 && l[i] == -1 && l[i + 1] == y + 1);
          const int first = std::max(l[i], 0), last = l[i] + l[i + 1];
          if (y >= 0 && last >= 0) inside.insert(inside.end(), {first, last - first});
          for (int x = first; x <= last && x < 64 && y >= 0 && y < 50; ++x) m.set(x, y, 1);
        }
        if (y >= 0) inside.push_back(-1);
        ASSERT_EQ(l[i++], -1);
      }
      inside.push_back(-1);
      ASSERT_EQ(calc->region().toMask(), m.px) << iter;
      if (ambiguous) continue;
      ASSERT_EQ(flat(CTavGeoRleCalc::calculatePerimiterPoints(l)), literal(inside)) << iter;
      ASSERT_EQ(walk(l), l[6] < 0 ? List{} : literal(l[2] < 0 ? inside : l)) << iter;
    }
  }
}

// Difference and symmetric difference row by row: a run of b across two of a (row 0), runs of the two
// that touch and join in the symmetric difference (row 1), a row only b holds (2), equal rows (3), and
// a run of b around one of a (4).
TEST(Region, DifferenceAndSymmetricDifferenceByRow) {
  const CTavGeoRegion a = CTavGeoRegion::fromRuns(12, 5, {{0, 0, 4}, {0, 6, 10}, {1, 2, 5}, {3, 0, 5}, {4, 1, 3}});
  const CTavGeoRegion b = CTavGeoRegion::fromRuns(12, 5, {{0, 2, 8}, {1, 5, 9}, {2, 0, 3}, {3, 0, 5}, {4, 0, 11}});
  EXPECT_EQ((a - b).runs(), (std::vector<TavRun>{{0, 0, 2}, {0, 8, 10}, {1, 2, 5}}));
  EXPECT_EQ((b - a).runs(), (std::vector<TavRun>{{0, 4, 6}, {1, 5, 9}, {2, 0, 3}, {4, 0, 1}, {4, 3, 11}}));
  const std::vector<TavRun> x = {{0, 0, 2}, {0, 4, 6}, {0, 8, 10}, {1, 2, 9}, {2, 0, 3}, {4, 0, 1}, {4, 3, 11}};
  EXPECT_TRUE((a ^ b).runs() == x && (b ^ a).runs() == x);
  EXPECT_TRUE((a - a).empty() && (a ^ a).empty() && (a - CTavGeoRegion(12, 5)) == a && (CTavGeoRegion(12, 5) ^ b) == b);
}

TEST(Region, MomentsCocoStringsStridesAndRefusals) {
  const CTavGeoRegion row = CTavGeoRegion::fromBox(20, 20, {2, 3, 5, 1});
  const TavRegionMoments d = CTavGeoRegion::fromPixels(20, 20, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}).moments(),
                         m = row.moments();
  EXPECT_NEAR(d.orientation, M_PI / 4, 1e-12);  // from +x toward +y
  EXPECT_NEAR(d.eccentricity, 1.0, 1e-12);
  EXPECT_TRUE(m.mu20 == 10.0 && m.nu20 == 10.0 / 25.0 && m.orientation == 0.0);  // mu20 = 4 + 1 + 0 + 1 + 4
  EXPECT_TRUE(row.bbox() == (TavRegionBox{2, 3, 5, 1}) && row.bbox() != (TavRegionBox{2, 3, 5, 2}));
  EXPECT_EQ(CTavGeoRegion::fromPixels(5, 5, {{4, 4}}).moments().eccentricity, 0.0);
  // Moments are exact sums rounded once (raw) or twice (central): the same pixels moved far out on a
  // canvas whose sums need 128 bits keep their central moments to the bit, and the raw ones are the
  // exact sums (here below 2^60, summed by the test in 64 bits).
  using U = uint64_t;
  std::mt19937 gen(8);
  for (int trial = 0; trial < 40; ++trial) {
    std::vector<TavIPoint> near, far;
    const int ox = static_cast<int>(gen() % (1u << 24)) - 64, oy = static_cast<int>(gen() % 190);
    U sxx = 0, sxy = 0, syy = 0;
    std::vector<char> seen(64 * 64, 0);
    for (int k = static_cast<int>(gen() % 3000); k > 0; --k) {
      const int x = static_cast<int>(gen() % 64), y = static_cast<int>(gen() % 64);
      if (seen[static_cast<size_t>(y * 64 + x)]++) continue;
      near.push_back({x, y});
      far.push_back({std::max(ox, 0) + x, oy + y});
      sxx += U(far.back().x) * U(far.back().x), sxy += U(far.back().x) * U(far.back().y),
          syy += U(far.back().y) * U(far.back().y);
    }
    const TavRegionMoments a = CTavGeoRegion::fromPixels(64, 64, near).moments(),
                           b = CTavGeoRegion::fromPixels(1 << 24, 255, far).moments();
    const double ta[8] = {a.mu20, a.mu11, a.mu02, a.nu20, a.nu11, a.nu02, a.orientation, a.eccentricity},
                 tb[8] = {b.mu20, b.mu11, b.mu02, b.nu20, b.nu11, b.nu02, b.orientation, b.eccentricity};
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(std::memcmp(&ta[i], &tb[i], sizeof(double)) == 0) << trial << " " << i;
    EXPECT_TRUE(b.m20 == static_cast<double>(sxx) && b.m11 == static_cast<double>(sxy) &&
                b.m02 == static_cast<double>(syy) && a.m00 == b.m00)
        << trial;
  }
  // Sums past 2^64: the full canvas of 2^24 x 255, sum x^2 = 255 (m - 1) m (2m - 1) / 6 for m = 2^24,
  // 401,401,115,155,861,025,587,200, rounded once.
  EXPECT_EQ(CTavGeoRegion::full(1 << 24, 255).moments().m20, 0x1.53fffe020000bp+78);
  // COCO: deltas from counts[i-2] for i > 2, 5-bit groups with continuation and sign bits, column-major
  // pixels.
  EXPECT_EQ(CTavGeoRegion::cocoCountsToString({5, 3, 40, 2, 10}), "53X1ORO");
  const CTavGeoRegion c = CTavGeoRegion::fromCocoString(6, 10, "53X1ORO");
  EXPECT_EQ(c.runs(), (std::vector<TavRun>{{0, 1, 2}, {0, 8, 9}, {1, 1, 2}, {1, 8, 9}, {5, 0, 1}}));
  EXPECT_NE(c.hash(), CTavGeoRegion(10, 6).hash());  // each of the height and a run's row counts:
  EXPECT_TRUE(CTavGeoRegion(4, 5).hash() != CTavGeoRegion(4, 6).hash() &&
              CTavGeoRegion::fromPixels(4, 4, {{0, 1}}).hash() != CTavGeoRegion::fromPixels(4, 4, {{0, 2}}).hash());
  EXPECT_EQ(CTavGeoRegion::cocoCountsToString({0, 30}), "0n0");  // 0 is one '0'; 30 needs a second group
  EXPECT_EQ(CTavGeoRegion::fromCocoString(6, 5, "0n0"), CTavGeoRegion::full(5, 6));
  // Strings the COCO tools write for a 5 x 5 square at (first, first) on a 25 x 25 canvas, and for counts
  // 5 2 2 2 5 on 4 x 4: both ways.
  for (const auto& [first, text] : {std::pair<int, const char*>{0, "05d00000000d?"}, {5, "R45d00000000b;"},
                                    {20, "X`05d00000000"}}) {
    const CTavGeoRegion square = CTavGeoRegion::fromBox(25, 25, {first, first, 5, 5});
    EXPECT_EQ(square.toCocoString(), text);
    EXPECT_EQ(CTavGeoRegion::fromCocoString(25, 25, text), square) << text;
  }
  EXPECT_EQ(CTavGeoRegion::cocoStringToCounts("52203"), (std::vector<int64_t>{5, 2, 2, 2, 5}));
  EXPECT_EQ(CTavGeoRegion::cocoStringToCounts("PPPPPPPPPPPP0"), (std::vector<int64_t>{0}));  // 13 groups, in range
  // A strided mask (last column: padding), any non-zero byte set.
  const uint8_t px[3][6] = {{0, 7, 7, 0, 9, 9}, {0, 0, 0, 0, 9, 9}, {5, 0, 0, 0, 0, 9}};
  const CTavGeoRegion r = CTavGeoRegion::fromMask(&px[0][0], 5, 3, 6);
  EXPECT_EQ(r.runs(), (std::vector<TavRun>{{0, 1, 3}, {0, 4, 5}, {1, 4, 5}, {2, 0, 1}}));
  EXPECT_EQ(r.toRle(), (List{5, 3, 0, 4, 0, 2, 0, 1, 1, 4, 0, -1, 1, 4, 0, -1, 2, 0, 0, -1, -1}));  // box inclusive
  // merged, sorted, clipped: row 7 and columns past 5 dropped
  EXPECT_EQ(CTavGeoRegion::fromRuns(5, 3, {{2, 0, 1}, {1, 4, 9}, {0, 4, 5}, {0, 2, 3}, {0, 1, 2}, {7, 0, 5}}),
            r);
  const CTavGeoRegion boxed = CTavGeoRegion::fromBox(5, 3, {-2, 1, 4, 9});
  EXPECT_EQ(boxed.runs(), (std::vector<TavRun>{{1, 0, 2}, {2, 0, 2}}));
  EXPECT_EQ(boxed.toRle(), (List{5, 3, 0, 1, 1, 2, 1, 0, 1, -1, 2, 0, 1, -1, -1}));
  // Header word 2 below 0: a -1 in a record is a column, the run clipped at 0.
  EXPECT_EQ(CTavGeoRegion::fromRle({5, 5, -2, 0, 0, 0, 1, -1, 3, -1, -1}).runs(),
            (std::vector<TavRun>{{1, 0, 3}}));
  // ... also as a record's first run, even one of extent 0 (column -1 only, clipped away)
  EXPECT_EQ(CTavGeoRegion::fromRle({5, 5, -2, 0, 0, 0, 1, -1, 0, 2, 1, -1, -1}).runs(),
            (std::vector<TavRun>{{1, 2, 4}}));
  // ... and a -1 before the next row's number ends the record; the first record may lie above row 0.
  EXPECT_EQ(CTavGeoRegion::fromRle({5, 5, -2, 0, 0, 0, -1, 0, 1, -1, 0, -1, 3, -1, 1, 0, 0, -1, -1}).runs(),
            (std::vector<TavRun>{{0, 0, 3}, {1, 0, 1}}));
  // A polygon about 2^31 columns wide: its runs' start and extent leave the int range, and each run keeps
  // its last column (the saturated words had ended the runs at column 640).
  CTavGeoRleCalcPolygon wide;
  const TavPoint band[4] = {{-2147483000, 0}, {2147483000, 0}, {2147483000, 5}, {-2147483000, 5}};
  wide.calculate(1000, 6, band, 4);
  EXPECT_EQ(wide.region(), CTavGeoRegion::fromBox(1000, 6, {0, 0, 1000, 5}));
  // Rows 0, 2 and 4 have no row of pixels next to them, so each is outline all along; a one-pixel run
  // comes twice, as in the list's perimeter.
  const CTavGeoRegion bars = CTavGeoRegion::fromRuns(3, 5, {{0, 0, 3}, {2, 0, 3}, {4, 1, 2}});
  EXPECT_EQ(flat(bars.perimeterPoints()), (List{0, 0, 1, 0, 2, 0, 0, 2, 1, 2, 2, 2, 1, 4, 1, 4}));
  // The radius bound is inclusive; the square reaching the far corner (r = side - 1) covers the canvas,
  // and erosion keeps nothing once 2r + 1 exceeds the shorter side.
  EXPECT_TRUE(row.dilateSquare(kRegionMaxSide) == CTavGeoRegion::full(20, 20) &&
              row.erodeDisk(kRegionMaxSide).empty());
  EXPECT_EQ(CTavGeoRegion::fromPixels(20, 12, {{0, 0}}).dilateSquare(19), CTavGeoRegion::full(20, 12));
  EXPECT_NE(CTavGeoRegion::fromPixels(20, 12, {{0, 0}}).dilateSquare(18), CTavGeoRegion::full(20, 12));
  // the disk reaching (19, 11) from (0, 0): 21^2 < 19^2 + 11^2 <= 22^2
  EXPECT_NE(CTavGeoRegion::fromPixels(20, 12, {{0, 0}}).dilateDisk(21), CTavGeoRegion::full(20, 12));
  EXPECT_EQ(CTavGeoRegion::fromPixels(20, 12, {{0, 0}}).dilateDisk(22), CTavGeoRegion::full(20, 12));
  const CTavGeoRegion tall = CTavGeoRegion::full(5, 30);
  EXPECT_TRUE(tall.erodeSquare(2).area() == 26 && tall.erodeSquare(3).empty() && tall.erodeDisk(2).area() == 26 &&
              tall.erodeDisk(3).empty());
  // A disk wider than the canvas covers it from any pixel, and nothing from no pixel.
  EXPECT_TRUE(row.dilateDisk(41) == CTavGeoRegion::full(20, 20) &&
              CTavGeoRegion(20, 20).dilateDisk(41).empty());
  // IoU on a canvas of more than 2^31 pixels (summed run by run, not in blocks); b starts a row above a.
  EXPECT_EQ(CTavGeoRegion::fromBox(50000, 50000, {0, 1, 2, 2}).iou(CTavGeoRegion::fromBox(50000, 50000, {1, 0, 2, 2})),
            1.0 / 7);
  const CTavGeoRegion a(4, 4), b(4, 5);
  const TavCocoRle huge{70000, 70000, {0}};
  const std::vector<TavIPoint> outside = {{4, 0}};
  auto list = [](std::vector<int> l) { return [l] { CTavGeoRegion::fromRle(l); }; };
  const std::pair<std::function<void()>, const char*> refused[] = {
      // the call and what its message names
      {[&] { (void)(a | b); }, "canvases differ"},
      {[&] { a.iou(b); }, "canvases differ"},
      {[&] { (void)(a & b); }, "intersection: canvases differ"},
      {[&] { CTavGeoRegion::iouMatrix({&a, &a}, {&a, &b}); }, "iouMatrix: canvases differ"},
      {[&] { CTavGeoRegion::iouMatrix({&a}, {nullptr}); }, "null region"},
      {[&] { CTavGeoRegion::iouMatrix({&a}, {&a, &a}, {true}); }, "1 crowd flags for 2 regions"},
      {[&] { CTavGeoRegion::unionOf({}); }, "no regions"},
      {[&] { int32_t l[4]; a.labelImage(l, 3, 4); }, "labels: stride 3 below width 4"},
      {[&] { a.labelImage(nullptr, 4, 6); }, "connectivity must be 4 or 8"},
      {[&] { CTavGeoRegion::unionOf({&a, &a, nullptr}); }, "region 2 is null"},
      {[&] { CTavGeoRegion::unionOf({&a, &a, &b}); }, "union of many: canvases differ"},
      {[&] { CTavGeoRegion::iouMatrix(std::vector<const CTavGeoRegion*>(1 << 14, &a), {(1 << 14) + 1, &a}); },
       "more than the limit of 268435456 pairs"},
      {[&] { a.components(6); }, "4 or 8"},
      {[&] { a.componentStats(5); }, "connectivity must be 4 or 8, not 5"},
      {[&] { a.dilateDisk(-1); }, "negative radius"},
      {[&] { a.erodeDisk(-2); }, "erode: negative radius"},
      {[&] { a.erodeSquare(-1); }, "erode: negative radius"},
      {[&] { a.dilateSquare(kRegionMaxSide + 1); }, "radius above the limit of 16777216"},
      {[&] { CTavGeoRegion::fromPixels(4, 4, outside); }, "outside"},
      {[&] { CTavGeoRegion::fromMask(&px[0][0], 4, 1, 3); }, "stride"},
      {list({5, 5, 0, 0, 0, 0, 1, 0, 1, -1}), "no terminator"},
      {list({5, 5, 0, 0, 0, 0, 1, 0, 1, -1, 2}), "final -1"},
      {list({-5, 5, 0, 0, 0, 0, -1}), "negative canvas"},
      {list({5, 5, 0, 0, 0, 0, 2, 0, 1, -1, 1, 0, 1, -1, -1}), "not ascending"},
      {list({5, 5, 0, 0, 0, 0, 1, -1, -1, -1}), "no run"},
      {list({5, 5, 0, 0, 0, 0, 1, 0, -3, -1, -1}), "negative extent"},
      {list({5, 5, 0, 0, 0, 0, 1, 0, 1, 2, -1}), "cut short"},
      {[&] { CTavGeoRegion::fromCoco(huge); }, "exceeds the limits"},
      {[] { CTavGeoRegion::fromCoco({1, 1, {}}); }, "no counts for a 1 x 1"},
      {[] { CTavGeoRegion::fromCocoString(6, 10, "53X"); }, "cut off"},
      {[] { CTavGeoRegion::fromCocoString(6, 10, "oooooooooooooo"); }, "more than 13"},
      {[] { CTavGeoRegion::fromCocoString(6, 10, "53X/"); }, "bad character 47"},
      {[] { CTavGeoRegion::fromCocoString(6, 10, "53Xp"); }, "bad character 112"},
      {[] { CTavGeoRegion::fromCocoString(6, 10, "000PPPPPPPPP1"); }, "value 3 out of range"},  // 2^45
      // 13 groups whose top bits (63 and 64) differ: 1 + 2^64 and 2^64 do not wrap to 1 and 0
      {[] { CTavGeoRegion::cocoStringToCounts("QPPPPPPPPPPP@"); }, "value 0 out of range"},
      {[] { CTavGeoRegion::cocoStringToCounts("PPPPPPPPPPPP@"); }, "value 0 out of range"},
      {[] { CTavGeoRegion::cocoCountsToString({0, 1, 0, INT64_MIN}); }, "count 3"},
      {[] { CTavGeoRegion::cocoCountsToString({-1}); }, "count 0 (-1) outside"},
      {[] { CTavGeoRegion::full(65536, 2049).pixels(); }, "more than 134217728"}};
  for (const auto& [call, words] : refused) {
    try {
      call();
      ADD_FAILURE() << "not refused: " << words;
    } catch (const CTavGeoRegionError& e) {
      EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    }
  }
}

// Dilation and erosion of regions whose rows span many 64-column words, densely or sparsely (so that
// rows are combined both as bits and by merging runs), against the pixel-by-pixel reference. The star
// is cut by the right edge of its canvas, a multiple of 64 columns wide, as is the speckle's full row.
// The H and the comb, sparse on a wide canvas, are eroded run by run, through rows of more and fewer runs.
// The speckles' rows of bits take 1 to 4 registers of 512 bits, or memory past 2048 columns.
TEST(Region, MorphologyOfWideRowsAsTheMaskReference) {
  CTavGeoRleCalcPolygon poly;
  const std::vector<TavPoint> v = tavtest::star(30, 280, 60, 58, 25);
  poly.calculate(320, 121, v.data(), static_cast<int>(v.size()));
  CTavGeoRleCalcDisk disk;
  const TavPoint d[2] = {{130.5, 60}, {186, 60}};
  disk.calculate(301, 121, d, 2);
  std::vector<TavIPoint> dots;  // a few pixels per row, far apart on a wide canvas
  for (int y = 0; y < 40; y += 1 + y % 3) dots.insert(dots.end(), {{y * 37 % 2001, y}, {2000 - y * 13, y}, {y, y}});
  std::mt19937 rng(5);
  const auto speckle = [&rng](int w, int h) {  // many short runs per row, and the middle row full
    std::vector<TavIPoint> p;
    for (int i = 0; i < w * h / 4; ++i)
      p.push_back({static_cast<int>(rng() % w), static_cast<int>(rng() % h)});
    for (int x = 0; x < w; ++x) p.push_back({x, h / 2});
    return CTavGeoRegion::fromPixels(w, h, p);
  };
  std::vector<TavRun> h;  // an H on a wide canvas: a long run above and below two short ones
  for (int y = 0; y < 40; ++y) {
    if (y < 10 || y >= 30) h.push_back({y, 0, 1990});
    else h.insert(h.end(), {{y, 5, 40}, {y, 1900, 1960}});
  }
  std::vector<TavRun> comb;  // four teeth a row, row 3 without the last: fewer runs than the row before
  for (int y = 0; y < 8; ++y)
    for (const int x : {0, 100, 200, 1900})
      if (y != 3 || x != 1900) comb.push_back({y, x, x + 10});
  const CTavGeoRegion shapes[] = {poly.region(), disk.region(), CTavGeoRegion::fromPixels(2001, 40, dots),
                                  speckle(320, 121), speckle(700, 50), speckle(1900, 30),
                                  speckle(2600, 30), CTavGeoRegion::fromRuns(2001, 40, h),
                                  CTavGeoRegion::fromRuns(2001, 8, comb)};
  for (const CTavGeoRegion& a : shapes) {
    tavref::Mask m(a.width(), a.height());
    m.px = a.toMask();
    ASSERT_EQ(a.area(), std::count(m.px.begin(), m.px.end(), 1));
    tavref::Mask t(a.height(), a.width());  // transposed by rows of bits (dense) or by the walk (sparse)
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) t.set(y, x, m.at(x, y));
    EXPECT_EQ(a.transposed().toMask(), t.px) << a.runCount();
    for (const auto& [r, round] : {std::pair{1, false}, {3, true}, {5, true}, {7, false}}) {
      const CTavGeoRegion grown = round ? a.dilateDisk(r) : a.dilateSquare(r);
      const CTavGeoRegion shrunk = round ? a.erodeDisk(r) : a.erodeSquare(r);
      EXPECT_EQ(grown.toMask(), tavref::maskDilate(m, r, round).px) << a.runCount() << " " << r;
      EXPECT_EQ(shrunk.toMask(), tavref::maskErode(m, r, round).px) << a.runCount() << " " << r;
    }
  }
}

// Large squares on regions of many runs a row, which go by rows of bits: a widening there steps
// 1, 2, 4, ..., 32 columns and then at most 63 at a time (127 is the first radius that needs the
// limit). Two clusters of teeth grow into two boxes, then into one; a block beside 200 teeth shrinks
// from the canvas edges (a border of pixels outside the region), and the teeth vanish.
TEST(Region, LargeSquaresOnRowsOfManyRuns) {
  std::vector<TavRun> teeth, block;
  for (int y = 30; y < 34; ++y) {
    for (int k = 0; k < 40; ++k) teeth.push_back({y, 2 * k + y % 2, 2 * k + y % 2 + 1});
    for (int k = 0; k < 40; ++k) teeth.push_back({y, 900 + 3 * k, 901 + 3 * k});
  }
  for (int y = 0; y < 300; ++y) {
    block.push_back({y, 0, 300});
    for (int k = 0; k < 200; ++k) block.push_back({y, 400 + 3 * k, 401 + 3 * k});
  }
  const auto boxes = [](int w, int h, std::vector<std::pair<int, int>> spans) {
    std::vector<TavRun> runs;
    for (int y = 0; y < h; ++y)
      for (const auto& [x0, x1] : spans) runs.push_back({y, x0, x1});
    return CTavGeoRegion::fromRuns(w, h, runs);
  };
  const CTavGeoRegion a = CTavGeoRegion::fromRuns(1300, 64, teeth), b = CTavGeoRegion::fromRuns(1300, 300, block);
  EXPECT_EQ(a.dilateSquare(127), boxes(1300, 64, {{0, 80 + 127}, {900 - 127, 1018 + 127}}));
  EXPECT_EQ(a.dilateSquare(200), boxes(1300, 64, {{0, 280}, {700, 1218}}));
  EXPECT_EQ(a.dilateSquare(420), CTavGeoRegion::full(1300, 64));
  EXPECT_EQ(b.erodeSquare(127), CTavGeoRegion::fromBox(1300, 300, {127, 127, 46, 46}));
  EXPECT_EQ(b.erodeSquare(70), CTavGeoRegion::fromBox(1300, 300, {70, 70, 160, 160}));
}

// Long elements, which go by the columns when that is cheaper: a square's rows of runs and then its
// columns (a disk with a hole, on canvases wider and taller than it is), and a disk on the transpose of
// tall, thin speckles and dots, whose columns are a few rows of the transpose; against the
// pixel-by-pixel reference. The last, a short element, goes rows first.
TEST(Region, LongElementsByTheColumnsAsTheMaskReference) {
  std::mt19937 rng(11);
  const auto speckle = [&rng](int w, int h, unsigned percent) {
    std::vector<TavIPoint> p;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (rng() % 100 < percent) p.push_back({x, y});
    return CTavGeoRegion::fromPixels(w, h, p);
  };
  const auto ring = [](int w, int h) {
    CTavGeoRleCalcDisk disk;
    const TavPoint d[2] = {{w / 2.0, h / 2.0}, {w / 2.0 + 0.4 * std::min(w, h), h / 2.0}};
    disk.calculate(w, h, d, 2);
    return disk.region() - CTavGeoRegion::fromBox(w, h, {w / 2 - 5, h / 2 - 9, 11, 19});
  };
  std::vector<TavIPoint> dots;  // far from the ends of their canvas, so the disk's end rows show
  for (int k = 0; k < 59; ++k) dots.push_back({k % 2, 100 + 17 * k});
  const CTavGeoRegion column = CTavGeoRegion::fromPixels(2, 1200, dots);
  const struct {
    CTavGeoRegion a;
    int r;
  } cases[] = {{ring(150, 130), 20}, {ring(90, 160), 25}, {speckle(3, 700, 40), 30},
               {speckle(5, 400, 10), 70}, {column, 50}, {speckle(40, 300, 97), 13}};
  for (const auto& [a, r] : cases) {
    tavref::Mask m(a.width(), a.height());
    m.px = a.toMask();
    for (const bool round : {false, true}) {
      EXPECT_EQ(round ? a.dilateDisk(r).toMask() : a.dilateSquare(r).toMask(), tavref::maskDilate(m, r, round).px)
          << a.width() << " " << r << " " << round;
      if (2 * r + 1 <= std::min(a.width(), a.height())) {
        EXPECT_EQ((round ? a.erodeDisk(r) : a.erodeSquare(r)).toMask(), tavref::maskErode(m, r, round).px)
            << a.width() << " " << r << " " << round;
      }
    }
  }
}
