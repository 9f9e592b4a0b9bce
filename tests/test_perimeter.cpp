#include <TavGeometry/TavGeoRleCalc.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "reference/perimeter_reference.h"

using NTavGeometry::CTavGeoRleCalc;

namespace {

using Run = std::pair<int, int>;  // start, extent
struct Record {
  int y;
  std::vector<Run> runs;
};

// A list of exactly the words the format needs (so that reading past its end
// is caught by the address sanitizer).
std::vector<int> makeList(const std::vector<Record>& records, int firstColumn = 0) {
  std::vector<int> l = {0, 0, firstColumn, 0, 0, 0};
  for (const Record& r : records) {
    l.push_back(r.y);
    for (const Run& run : r.runs) {
      l.push_back(run.first);
      l.push_back(run.second);
    }
    l.push_back(-1);
  }
  l.push_back(-1);
  l.shrink_to_fit();
  return l;
}

// Rows of the integer annulus (inner < 0: the disk): one run per row, start
// trunc(cx - h + 0.5), extent trunc(2h + 0.5), h = sqrt(r^2 - dy^2); where the
// row crosses the hole two runs of equal extent, the left run first.
std::vector<Record> annulusRecords(int cx, int cy, int inner, int outer) {
  std::vector<Record> recs;
  for (int dy = -outer; dy <= outer; ++dy) {
    const double ho = std::sqrt(static_cast<double>(outer * outer) - static_cast<double>(dy * dy));
    if (std::abs(dy) <= inner) {
      const double hi = std::sqrt(static_cast<double>(inner * inner) - static_cast<double>(dy * dy));
      const int e = static_cast<int>(ho - hi + 0.5);
      recs.push_back({cy + dy, {{static_cast<int>(cx - ho + 0.5), e}, {static_cast<int>(cx + 0.5 + hi), e}}});
    } else {
      recs.push_back({cy + dy, {{static_cast<int>(cx - ho + 0.5), static_cast<int>(2 * ho + 0.5)}}});
    }
  }
  return recs;
}

std::vector<int> diskList(int cx, int cy, int r) { return makeList(annulusRecords(cx, cy, -1, r), cx - r); }

std::vector<int> annulusList(int cx, int cy, int inner, int outer) {
  return makeList(annulusRecords(cx, cy, inner, outer), cx - outer);
}

// The records cut to columns 0 and up: starts raised to 0, runs that end left
// of column 0 dropped (their record kept).
std::vector<Record> clipRecords(std::vector<Record> recs) {
  for (Record& r : recs) {
    std::vector<Run> kept;
    for (const Run& run : r.runs) {
      const int last = run.first + run.second;
      if (last >= 0) kept.push_back({std::max(run.first, 0), last - std::max(run.first, 0)});
    }
    r.runs = kept;
  }
  return recs;
}

std::vector<std::pair<int, int>> pts(const std::vector<TavIPoint>& v) {
  std::vector<std::pair<int, int>> out;
  for (const TavIPoint& p : v) out.emplace_back(p.x, p.y);
  return out;
}

std::vector<std::pair<int, int>> perimeter(const std::vector<int>& l) {
  return pts(CTavGeoRleCalc::calculatePerimiterPoints(l.data()));
}

std::vector<std::pair<int, int>> literal(const std::vector<int>& l) {
  return pts(tavref::perimeterPointsLiteral(l.data()));
}

using P = std::vector<std::pair<int, int>>;

std::vector<std::pair<int, int>> perimeterOfVector(const std::vector<int>& l);

// The list as the walk reads a list whose header starts left of column 0:
// negative rows end the list; a negative run start followed by a non-negative
// extent is a run clipped to column 0 (dropped when it ends left of it), except
// a -1 after a record's first run that is followed by the next row, y + 1.
std::vector<int> clippedAsRead(const std::vector<int>& l) {
  std::vector<int> out(l.begin(), l.begin() + 6);
  std::size_t i = 6;
  while (l[i] >= 0) {
    const int y = l[i];
    out.push_back(l[i++]);
    bool first = true;
    for (;;) {
      const int s = l[i];
      if (s >= 0) {
        out.push_back(s);
        out.push_back(l[i + 1]);
      } else if (l[i + 1] >= 0 && (s != -1 || first || l[i + 1] != y + 1)) {
        const long long last = static_cast<long long>(s) + l[i + 1];
        if (last >= 0) {
          out.push_back(0);
          out.push_back(static_cast<int>(last));
        }
      } else {
        ++i;
        break;
      }
      i += 2;
      first = false;
    }
    out.push_back(-1);
  }
  out.push_back(-1);
  out[2] = 0;
  return out;
}

}  // namespace

TEST(Perimeter, WorkedExamplesInOrderWithDuplicates) {
  // A square: rows 1 to 3 with columns 1 to 4.
  const std::vector<int> square = makeList({{1, {{1, 3}}}, {2, {{1, 3}}}, {3, {{1, 3}}}}, 1);
  EXPECT_EQ(perimeter(square),
            (P{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 2}, {4, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}}));
  // The radius-2 disk about (5, 5): single-pixel end rows twice; column 5 of
  // row 4 is covered by rows 3 and 5.
  const std::vector<int> disk = diskList(5, 5, 2);
  ASSERT_EQ(std::vector<int>(disk.begin() + 6, disk.end()),
            (std::vector<int>{3, 5, 0, -1, 4, 3, 3, -1, 5, 3, 4, -1, 6, 3, 3, -1, 7, 5, 0, -1, -1}));
  EXPECT_EQ(
      perimeter(disk),
      (P{{5, 3}, {5, 3}, {3, 4}, {4, 4}, {6, 4}, {3, 5}, {7, 5}, {3, 6}, {4, 6}, {6, 6}, {5, 7}, {5, 7}}));
}

TEST(Perimeter, EmptyListsAndNullPointer) {
  EXPECT_TRUE(CTavGeoRleCalc::calculatePerimiterPoints(nullptr).empty());
  EXPECT_TRUE(perimeter(makeList({})).empty());
  // A record without runs emits nothing but still counts as a neighbour: rows
  // 0 and 2 see no cover on that side.
  EXPECT_EQ(perimeter(makeList({{0, {{0, 2}}}, {1, {}}, {2, {{0, 2}}}, {3, {{0, 2}}}})),
            (P{{0, 0}, {1, 0}, {2, 0}, {0, 2}, {1, 2}, {2, 2}, {0, 3}, {1, 3}, {2, 3}}));
}

TEST(Perimeter, SingleRecordGivesEveryPixel) {
  EXPECT_EQ(perimeter(makeList({{7, {{2, 0}, {4, 3}, {10, 1}}}})),
            (P{{2, 7}, {2, 7}, {4, 7}, {5, 7}, {6, 7}, {7, 7}, {10, 7}, {11, 7}}));
}

TEST(Perimeter, NeighboursAreTheAdjacentRecordsNotAdjacentRows) {
  // Rows 0, 5 and 9: row 5's interior is covered by the records before and
  // after it although rows 4 and 6 hold nothing.
  EXPECT_EQ(perimeter(makeList({{0, {{0, 3}}}, {5, {{0, 3}}}, {9, {{0, 3}}}})),
            (P{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 5}, {3, 5}, {0, 9}, {1, 9}, {2, 9}, {3, 9}}));
}

TEST(Perimeter, InteriorPixelNeedsBothNeighboursWithInclusiveBounds) {
  // Middle run 0..10; above 2..4 and 7; below 3..9. Only 3, 4 and 7 are
  // covered on both sides; 2 (above only) and 8, 9 (below only) stay.
  EXPECT_EQ(perimeter(makeList({{0, {{7, 0}, {2, 2}}}, {1, {{0, 10}}}, {2, {{3, 6}}}})),
            (P{{7, 0}, {7, 0}, {2, 0},  {3, 0}, {4, 0}, {0, 1}, {1, 1}, {2, 1}, {5, 1}, {6, 1},
               {8, 1}, {9, 1}, {10, 1}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 2}, {8, 2}, {9, 2}}));
  // Neighbour runs that touch or overlap cover their union (1..3 and 4..6 above,
  // 0..4 and 3..8 below): the middle run's interior 1..7 is covered except 7.
  const std::vector<int> l = makeList({{0, {{4, 2}, {1, 2}}}, {1, {{0, 8}}}, {2, {{3, 5}, {0, 4}}}});
  const P got = perimeter(l);
  EXPECT_EQ(P(got.begin() + 6, got.begin() + 9), (P{{0, 1}, {7, 1}, {8, 1}}));
  EXPECT_EQ(got, literal(l));
}

TEST(Perimeter, MembershipOfTheSegmentsTwoToFourAndSeven) {
  // Above and below: segments 2..4 and 7..7. Of the middle run's interior 1..8,
  // columns 2, 3, 4 and 7 are members of both and drop out; 1, 5, 6 and 8 stay.
  const std::vector<int> l = makeList({{0, {{2, 2}, {7, 0}}}, {1, {{0, 9}}}, {2, {{2, 2}, {7, 0}}}});
  const P got = perimeter(l);
  ASSERT_EQ(got.size(), 5u + 6u + 5u);
  EXPECT_EQ(P(got.begin() + 5, got.begin() + 11), (P{{0, 1}, {1, 1}, {5, 1}, {6, 1}, {8, 1}, {9, 1}}));
  EXPECT_EQ(perimeterOfVector(l), got);
}

TEST(Perimeter, OverlappingRunsEmitSharedPixelsOncePerRun) {
  // One record, runs 0..5 and 3..8 overlap on 3..5: those pixels come twice,
  // each run's points in its own order.
  EXPECT_EQ(
      perimeter(makeList({{0, {{0, 5}, {3, 5}}}})),
      (P{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}}));
  // An annulus row across the hole between rows that cover the same columns
  // gives only the ends of its two runs.
  P row20;
  for (const auto& p : perimeter(annulusList(20, 20, 5, 9))) {
    if (p.second == 20) row20.push_back(p);
  }
  EXPECT_EQ(row20, (P{{11, 20}, {15, 20}, {25, 20}, {29, 20}}));
}

TEST(Perimeter, HugeColumnsDoNotOverflow) {
  // last = start + extent would pass INT_MAX: it stops at INT_MAX.
  const std::vector<int> l = makeList({{0, {{2147483000, 1000000000}}},
                                       {1, {{2147483000, 1000000000}, {INT_MAX, 0}}},
                                       {2, {{2147483000, 1000000000}}}});
  const P got = perimeter(l);
  ASSERT_EQ(got.size(), 648u + 4u + 648u);
  EXPECT_EQ(got[647], (std::pair<int, int>{INT_MAX, 0}));
  EXPECT_EQ(P(got.begin() + 648, got.begin() + 652),
            (P{{2147483000, 1}, {INT_MAX, 1}, {INT_MAX, 1}, {INT_MAX, 1}}));
  EXPECT_EQ(got, literal(l));
}

TEST(Perimeter, SameAsPixelByPixelWalkOnRandomLists) {
  std::mt19937 rng(12345);
  auto uni = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
  for (int iter = 0; iter < 20000; ++iter) {
    std::vector<Record> recs;
    const int n = uni(0, 12);
    int y = uni(0, 5);
    const bool wide = uni(0, 9) == 0;  // records with many runs
    for (int r = 0; r < n; ++r) {
      Record rec{y, {}};
      const int runs = uni(0, 19) == 0 ? 0 : (wide ? uni(1, 40) : uni(1, 3));
      for (int k = 0; k < runs; ++k) {
        const int roll = uni(0, 99);
        const int extent = roll < 20 ? 0 : (roll < 22 ? uni(-3, -1) : uni(1, wide ? 6 : 30));
        rec.runs.push_back({uni(0, 60), extent});
      }
      if (uni(0, 1)) std::sort(rec.runs.begin(), rec.runs.end());
      recs.push_back(rec);
      y += uni(0, 3) == 0 ? uni(2, 4) : 1;
    }
    const std::vector<int> l = makeList(recs);
    ASSERT_EQ(perimeter(l), literal(l)) << "iteration " << iter;
  }
  for (int r = 0; r <= 40; ++r) {
    const std::vector<int> d = diskList(45, 50, r);
    ASSERT_EQ(perimeter(d), literal(d)) << "disk radius " << r;
    for (int inner = 0; inner <= r; inner += 3) {
      const std::vector<int> a = annulusList(44, 41, inner, r);
      ASSERT_EQ(perimeter(a), literal(a)) << "annulus " << inner << " " << r;
    }
  }
}

TEST(Perimeter, ColumnsLeftOfTheImageAreClipped) {
  // Radius-2 disk about (0, 5): rows 4 to 6 start at column -1; the part in
  // columns 0 and up is outlined, the image's left edge included.
  const std::vector<int> disk = diskList(0, 5, 2);
  EXPECT_EQ(disk[2], -2);
  EXPECT_EQ(
      perimeter(disk),
      (P{{0, 3}, {0, 3}, {0, 4}, {1, 4}, {2, 4}, {0, 5}, {3, 5}, {0, 6}, {1, 6}, {2, 6}, {0, 7}, {0, 7}}));
  // A run wholly left of column 0 vanishes, its record stays as an empty
  // neighbour; a later run starting at -2 is clipped like the first one.
  EXPECT_EQ(perimeter(makeList({{0, {{0, 3}}}, {1, {{-9, 4}}}, {2, {{0, 3}}}, {3, {{0, 1}, {-2, 4}}}}, -9)),
            (P{{0, 0},
               {1, 0},
               {2, 0},
               {3, 0},
               {0, 2},
               {1, 2},
               {2, 2},
               {3, 2},
               {0, 3},
               {1, 3},
               {0, 3},
               {1, 3},
               {2, 3}}));
  // After a record's first run, -1 followed by the next row number is the
  // record's end; followed by anything else it starts a run at column -1.
  EXPECT_EQ(perimeter(makeList({{4, {{-5, 3}, {-1, 2}}}, {5, {{0, 0}}}}, -5)),
            (P{{0, 4}, {1, 4}, {0, 5}, {0, 5}}));
  EXPECT_EQ(perimeter(makeList({{4, {{-5, 3}}}, {5, {{0, 0}}}}, -5)), (P{{0, 5}, {0, 5}}));
  // With a header whose first column is 0 or more the list is read as the
  // pixel-by-pixel walk reads it: a negative start ends the record.
  const std::vector<int> plain = makeList({{0, {{0, 3}}}, {1, {{2, 1}, {-3, 5}}}}, 0);
  EXPECT_EQ(perimeter(plain), literal(plain));
  EXPECT_EQ(perimeter(plain), (P{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {2, 1}, {3, 1}}));
}

TEST(Perimeter, NegativeRowEndsTheList) {
  // Nothing after row -3 is read as part of the region.
  EXPECT_EQ(perimeter(makeList({{0, {{0, 2}}}, {-3, {{0, 2}}}, {4, {{0, 2}}}})), (P{{0, 0}, {1, 0}, {2, 0}}));
  // A disk reaching above the image starts with a negative row: no points.
  EXPECT_TRUE(perimeter(diskList(10, 1, 4)).empty());
  EXPECT_TRUE(perimeter(diskList(-1, 1, 4)).empty());
}

TEST(Perimeter, ListsLeftOfTheImageReadWithinTheirWords) {
  // Random lists with negative rows and columns, -1 among them, each in a
  // vector of exactly its size: the walk stays inside it (checked by the
  // address sanitizer) and gives the perimeter of the clipped list.
  std::mt19937 rng(777);
  auto uni = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
  for (int iter = 0; iter < 20000; ++iter) {
    std::vector<Record> recs;
    const int n = uni(0, 8);
    int y = uni(-3, 3);
    for (int r = 0; r < n; ++r) {
      Record rec{y, {}};
      // Now and then a record without runs or a negative extent, which the
      // format does not have: the walk must still stay inside the list.
      const int runs = uni(0, 19) == 0 ? 0 : uni(1, 3);
      for (int k = 0; k < runs; ++k)
        rec.runs.push_back({uni(-6, 12), uni(0, 29) == 0 ? uni(-3, -1) : uni(0, 9)});
      recs.push_back(rec);
      y += uni(1, 2);
    }
    const std::vector<int> l = makeList(recs, uni(-6, 2));
    const std::vector<int> seen = l[2] < 0 ? clippedAsRead(l) : l;
    ASSERT_EQ(perimeter(l), literal(seen)) << "iteration " << iter;
  }
}

TEST(Perimeter, DisksAndAnnuliCutByTheLeftEdge) {
  // The outline of the part in columns 0 and up is that of the records cut at
  // column 0, also where the hole's right side starts at column -1, except
  // where such a run's extent equals the next row number (then it reads as the
  // record's end followed by that row).
  int rightRunAtMinus1 = 0;
  int unreadable = 0;
  for (int cx = -25; cx <= 25; ++cx) {
    for (int outer = 0; outer <= 24; outer += 2) {
      for (int inner = -1; inner < outer; inner += 3) {
        const std::vector<Record> recs = annulusRecords(cx, outer + 1, inner, outer);
        bool ambiguous = false;
        for (const Record& r : recs) {
          if (r.runs.size() > 1 && r.runs[1].first == -1) {
            ++rightRunAtMinus1;
            ambiguous = ambiguous || r.runs[1].second == r.y + 1;
          }
        }
        if (ambiguous) {
          ++unreadable;
          continue;
        }
        ASSERT_EQ(perimeter(makeList(recs, cx - outer)), literal(makeList(clipRecords(recs))))
            << cx << " " << inner << " " << outer;
      }
    }
  }
  EXPECT_GT(rightRunAtMinus1, 100);
  EXPECT_LT(unreadable, 40);
}

TEST(Perimeter, CalculatorListsMatchThePixelByPixelWalk) {
  std::mt19937 rng(99);
  auto real = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  NTavGeometry::CTavGeoRleCalcDisk disk;
  NTavGeometry::CTavGeoRleCalcTorus torus;
  NTavGeometry::CTavGeoRleCalcPolygon polygon;
  for (int iter = 0; iter < 3000; ++iter) {
    // Rows stay at 0 and below the top; columns may reach left of the image.
    const double r = real(0, 30);
    const TavPoint c(real(-20, 60), real(r + 1, 70));
    const TavPoint d[2] = {c, TavPoint(c.x + r, c.y)};
    const TavPoint t[3] = {c, TavPoint(c.x, c.y + r), TavPoint(c.x - real(0, r), c.y)};
    TavPoint poly[12];
    const int n = 3 + iter % 10;
    for (int k = 0; k < n; ++k) poly[k] = TavPoint(real(-30, 60), real(0, 60));
    disk.calculate(64, 64, d, 2);
    torus.calculate(64, 64, t, 3);
    polygon.calculate(64, 64, poly, n);
    for (const std::vector<int>* l : {&disk.rle(), &torus.rle(), &polygon.rle()}) {
      const std::vector<int> list(l->begin(), l->end());
      if (list[2] >= 0) {
        // A list whose header starts at column 0 or more holds no negative start.
        ASSERT_EQ(perimeter(list), literal(list)) << iter;
      } else {
        ASSERT_EQ(perimeter(list), literal(clippedAsRead(list))) << iter;
      }
    }
  }
}

// ---------------------------------------------------------------- lists held in a vector

namespace {

std::vector<std::pair<int, int>> perimeterOfVector(const std::vector<int>& l) {
  return pts(CTavGeoRleCalc::calculatePerimiterPoints(l));
}

// The records of rows 0 and up, cut to columns 0 and up, as a plain list.
std::vector<int> insideImage(const std::vector<Record>& recs) {
  std::vector<Record> kept;
  for (const Record& r : recs) {
    if (r.y >= 0) kept.push_back(r);
  }
  return makeList(clipRecords(kept));
}

// True when a run after a record's first one starts at -1 with the extent
// y + 1: such a run reads as the record's end followed by the next row.
bool hasAmbiguousRun(const std::vector<Record>& recs) {
  for (const Record& r : recs) {
    for (std::size_t k = 1; k < r.runs.size(); ++k) {
      if (r.runs[k].first == -1 && static_cast<long long>(r.runs[k].second) == r.y + 1LL) return true;
    }
  }
  return false;
}

}  // namespace

TEST(Perimeter, VectorListOutlinesTheRowsInsideTheImage) {
  // Radius-2 disk about (5, 0): rows -2 and -1 lie above the image. Row 0 is
  // now the region's top: all its pixels are perimeter points.
  NTavGeometry::CTavGeoRleCalcDisk disk;
  const TavPoint d[2] = {TavPoint(5, 0), TavPoint(7, 0)};
  disk.calculate(20, 20, d, 2);
  const std::vector<int> l(disk.rle().begin(), disk.rle().end());
  ASSERT_EQ(l[4], -2);
  EXPECT_EQ(perimeterOfVector(l),
            (P{{3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {3, 1}, {4, 1}, {6, 1}, {5, 2}, {5, 2}}));
  EXPECT_TRUE(perimeter(l).empty());  // the pointer walk still stops at row -2
  // Reaching past the top and the left edge at once: rows 0 and up, columns 0 and up.
  const TavPoint corner[2] = {TavPoint(0, 0), TavPoint(2, 0)};
  disk.calculate(20, 20, corner, 2);
  const std::vector<int> c(disk.rle().begin(), disk.rle().end());
  EXPECT_EQ(perimeterOfVector(c),
            (P{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {0, 2}}));
  // Wholly above the image: nothing.
  const TavPoint above[2] = {TavPoint(5, -4), TavPoint(7, -4)};
  disk.calculate(20, 20, above, 2);
  EXPECT_TRUE(perimeterOfVector(std::vector<int>(disk.rle().begin(), disk.rle().end())).empty());
  // Too short for a header and a terminator.
  EXPECT_TRUE(perimeterOfVector({}).empty());
  EXPECT_TRUE(perimeterOfVector({0, 0, 0, 0, 0, 0}).empty());
  EXPECT_TRUE(perimeterOfVector({0, 0, 0, 0, 0, 0, -1}).empty());
}

TEST(Perimeter, VectorListEqualsThePointerWalkWithoutNegativeRows) {
  std::mt19937 rng(4242);
  auto real = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  NTavGeometry::CTavGeoRleCalcDisk disk;
  NTavGeometry::CTavGeoRleCalcTorus torus;
  NTavGeometry::CTavGeoRleCalcPolygon polygon;
  for (int iter = 0; iter < 2000; ++iter) {
    const double r = real(0, 30);
    const TavPoint c(real(-20, 60), real(r + 1, 70));
    const TavPoint d[2] = {c, TavPoint(c.x + r, c.y)};
    const TavPoint t[3] = {c, TavPoint(c.x, c.y + r), TavPoint(c.x - real(0, r), c.y)};
    TavPoint poly[8];
    const int n = 3 + iter % 6;
    for (int k = 0; k < n; ++k) poly[k] = TavPoint(real(-30, 60), real(-20, 60));
    disk.calculate(64, 64, d, 2);
    torus.calculate(64, 64, t, 3);
    polygon.calculate(64, 64, poly, n);
    for (const std::vector<int>* l : {&disk.rle(), &torus.rle(), &polygon.rle()}) {
      const std::vector<int> list(l->begin(), l->end());
      ASSERT_EQ(perimeterOfVector(list), perimeter(list)) << iter;
    }
  }
}

TEST(Perimeter, VectorListCutsDisksAndAnnuliAtTheTopAndLeftEdges) {
  NTavGeometry::CTavGeoRleCalcTorus torus;
  int aboveTop = 0;
  int skipped = 0;
  for (int cy = -26; cy <= 26; cy += 2) {
    for (int cx = -25; cx <= 25; cx += 3) {
      for (int outer = 0; outer <= 24; outer += 3) {
        for (int inner = -1; inner < outer; inner += 4) {
          const std::vector<Record> recs = annulusRecords(cx, cy, inner, outer);
          if (hasAmbiguousRun(recs)) {
            ++skipped;
            continue;
          }
          const std::vector<int> l = makeList(recs, cx - outer);
          std::vector<int> withRows = l;
          withRows[4] = cy - outer;
          withRows.shrink_to_fit();
          if (cy - outer < 0) ++aboveTop;
          ASSERT_EQ(perimeterOfVector(withRows), literal(insideImage(recs)))
              << cx << " " << cy << " " << inner << " " << outer;
        }
      }
    }
  }
  // The calculators' own lists, including the inner circle's rows.
  const TavPoint a[3] = {TavPoint(3.5, -2.5), TavPoint(3.5, 6.5), TavPoint(6.5, -2.5)};
  torus.calculate(20, 20, a, 3);
  const std::vector<int> l(torus.rle().begin(), torus.rle().end());
  EXPECT_EQ(perimeterOfVector(l), literal(insideImage(annulusRecords(3, -2, 3, 9))));
  EXPECT_GT(aboveTop, 1000);
  EXPECT_LT(skipped, aboveTop / 20);
}

TEST(Perimeter, VectorListReadsOnlyItsOwnWords) {
  // Random lists with negative rows and columns, -1 among them, and every
  // prefix of some of them, each in a vector of exactly its size: the walk
  // stays inside (checked by the address sanitizer) and emits no point above
  // row 0, nor left of column 0 when the header's first column is negative
  // (unless a run has a negative extent, which the format does not have).
  std::mt19937 rng(31337);
  auto uni = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
  for (int iter = 0; iter < 20000; ++iter) {
    std::vector<Record> recs;
    const int n = uni(0, 8);
    int y = uni(-6, 3);
    bool negativeExtent = false;
    for (int r = 0; r < n; ++r) {
      Record rec{y, {}};
      const int runs = uni(0, 19) == 0 ? 0 : uni(1, 3);
      for (int k = 0; k < runs; ++k)
        rec.runs.push_back({uni(-6, 12), uni(0, 29) == 0 ? uni(-3, -1) : uni(0, 9)});
      for (const auto& run : rec.runs) negativeExtent = negativeExtent || run.second < 0;
      recs.push_back(rec);
      y += uni(1, 2);
    }
    std::vector<int> l = makeList(recs, uni(-6, 2));
    l[4] = uni(-3, 1);
    const std::size_t cuts = iter % 10 == 0 ? l.size() : 1;
    for (std::size_t c = 0; c < cuts; ++c) {
      std::vector<int> part(l.begin(), l.end() - static_cast<std::ptrdiff_t>(c));
      part.shrink_to_fit();
      for (const auto& p : perimeterOfVector(part)) {
        ASSERT_GE(p.second, 0) << iter;
        if (!negativeExtent && part.size() > 2 && part[2] < 0) {
          ASSERT_GE(p.first, 0) << iter;
        }
      }
    }
  }
}
