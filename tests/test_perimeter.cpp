// Perimeter points of run-length lists, and the calculators' regions.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "reference/perimeter_reference.h"
#include "reference/region_reference.h"
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
List walkVector(const List& l) { return flat(CTavGeoRleCalc::calculatePerimiterPoints(l)); }
List literal(const List& l) { return flat(tavref::perimeterPointsLiteral(l.data())); }

}  // namespace

// Well-formed lists are compared with the pixel-by-pixel walk by fuzz_perimeter;
// these rows pin the readings it does not: records without runs, header column
// < 0 (runs clipped at column 0, those ending left of it dropped, the record
// kept; after the first run, -1 and the next row end the record, -1 and
// anything else is a run), negative starts and rows ending records and lists.
TEST(Perimeter, ExactOutlinesInListOrder) {
  const struct {
    int column;  // header word 2
    const char *list, *xy;
  } rows[] = {
      {0, "0 0 2 -1 1 -1 2 0 2 -1 3 0 2 -1 -1", "0 0 1 0 2 0 0 2 1 2 2 2 0 3 1 3 2 3"},
      {-2, "3 0 0 -1 4 -1 3 -1 5 -1 4 -1 6 -1 3 -1 7 0 0 -1 -1",
       "0 3 0 3 0 4 1 4 2 4 0 5 3 5 0 6 1 6 2 6 0 7 0 7"},
      {-9, "0 0 3 -1 1 -9 4 -1 2 0 3 -1 3 0 1 -2 4 -1 -1",
       "0 0 1 0 2 0 3 0 0 2 1 2 2 2 3 2 0 3 1 3 0 3 1 3 2 3"},
      {-5, "4 -5 3 -1 2 -1 5 0 0 -1 -1", "0 4 1 4 0 5 0 5"},
      {-5, "4 -5 3 -1 5 0 0 -1 -1", "0 5 0 5"},
      {0, "0 0 3 -1 1 2 1 -3 5 -1 -1", "0 0 1 0 2 0 3 0 2 1 3 1"},  // "5 -1": an empty row 5
      {0, "0 0 2 -1 -3 0 2 -1 4 0 2 -1 -1", "0 0 1 0 2 0"},
      {0, "-2 5 0 -1 3 5 0 -1 -1", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.list);
    List l = {0, 0, r.column, 0, 0, 0};
    for (int v : tavtest::nums(r.list)) l.push_back(v);
    EXPECT_EQ(walk(l), tavtest::nums(r.xy));
    EXPECT_EQ(walkVector(l), tavtest::nums(r.xy));  // header word 4 is 0: the same reading
    if (r.column >= 0) {
      EXPECT_EQ(literal(l), tavtest::nums(r.xy));
    }
  }
  EXPECT_TRUE(CTavGeoRleCalc::calculatePerimiterPoints(nullptr).empty());
  for (const char* s : {"", "0 0 0 0 0 0", "0 0 0 0 0 0 -1"})
    EXPECT_TRUE(walkVector(tavtest::nums(s)).empty());
}

TEST(Perimeter, HugeColumnsSaturateAtIntMax) {
  const int s = 2147483000, e = 1000000000;
  const List l = {0, 0, 0, 0, 0, 0, 0, s, e, -1, 1, s, e, INT_MAX, 0, -1, 2, s, e, -1, -1};
  const List got = walk(l);
  ASSERT_EQ(got.size(), 2 * (648u + 4u + 648u));
  EXPECT_EQ(List(got.begin() + 2 * 647, got.begin() + 2 * 652),
            (List{INT_MAX, 0, 2147483000, 1, INT_MAX, 1, INT_MAX, 1, INT_MAX, 1}));
  EXPECT_EQ(got, literal(l));
}

// The calculators' lists, past the top and the left edge too: the vector form
// outlines, and region() holds, the records (split by recordRuns()) cut to rows
// and columns 0 and up; the pointer form stops at a negative row.
TEST(Perimeter, CalculatorListsCutAtTheTopAndLeftEdges) {
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon polygon;
  CTavGeoRleCalc* const calcs[3] = {&disk, &torus, &polygon};
  std::mt19937 rng(99);
  auto real = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  int cut = 0, skipped = 0;
  for (int iter = 0; iter < 3000; ++iter) {
    const double r = real(0, 30);
    const TavPoint c(real(-20, 60), real(-20, 70)), d[2] = {c, TavPoint(c.x + r, c.y)};
    const TavPoint t[3] = {c, TavPoint(c.x, c.y + r), TavPoint(c.x - real(0, r), c.y)};
    TavPoint poly[12];
    for (TavPoint& p : poly) p = TavPoint(real(-30, 60), real(-20, 60));
    disk.calculate(64, 50, d, 2);
    torus.calculate(64, 50, t, 3);
    polygon.calculate(64, 50, poly, 3 + iter % 10);
    for (CTavGeoRleCalc* calc : calcs) {
      const List l = calc->rle();
      List inside(l.begin(), l.begin() + 6);
      inside[2] = 0;
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
      ASSERT_EQ(i + 1, l.size());
      ASSERT_EQ(calc->region().toMask(), m.px) << iter;
      skipped += ambiguous;
      if (ambiguous) continue;
      cut += l[2] < 0 || l[4] < 0;
      ASSERT_EQ(walkVector(l), literal(inside)) << iter;
      ASSERT_EQ(walk(l), l[6] < 0 ? List{} : literal(l[2] < 0 ? inside : l)) << iter;
    }
  }
  EXPECT_GT(cut, 3000);
  EXPECT_LT(skipped, 100);
}

// Records of many runs (past the short linear search of the merged
// neighbours), zero and negative extents, runs in any order.
TEST(Perimeter, WideRecordsMatchThePixelByPixelWalk) {
  std::mt19937 rng(12345);
  auto uni = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
  for (int iter = 0; iter < 3000; ++iter) {
    List l = {0, 0, 0, 0, 0, 0};
    for (int r = 0, y = uni(0, 5), n = uni(1, 8); r < n; ++r, y += uni(1, 3)) {
      l.push_back(y);
      for (int k = 0, runs = uni(1, 40); k < runs; ++k) {
        const int roll = uni(0, 99);
        l.insert(l.end(), {uni(0, 60), roll < 20 ? 0 : (roll < 23 ? uni(-3, -1) : uni(1, 6))});
      }
      l.push_back(-1);
    }
    l.push_back(-1);
    ASSERT_EQ(walk(l), literal(l)) << iter;
  }
}
