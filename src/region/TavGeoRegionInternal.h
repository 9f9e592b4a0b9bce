// Building blocks shared by the region sources: trusted construction from runs
// already sorted and merged, the run limit and row views.
#pragma once

#include <TavGeometry/TavGeoRegion.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Where the compiler targets SSE2, the row scanner of masks reads 64 bytes a
// step and morphology shifts its rows of bits two words a step with it; bit
// positions come from the compiler's bit-scan builtin where it has one.
// Elsewhere portable loops do the same. TAVGEO_PORTABLE (a build option) takes
// the portable loops on every machine, so that they are tested here too.
#if defined(__SSE2__) && !defined(TAVGEO_PORTABLE)
#define TAVGEO_SSE2_SCAN 1
#endif
#if defined(__GNUC__) && !defined(TAVGEO_PORTABLE)
#define TAVGEO_BIT_SCAN 1
#endif

namespace NTavGeometry {

struct CTavGeoRegionAccess {
  // Takes runs that already satisfy the region's invariants.
  static CTavGeoRegion make(int width, int height, std::vector<TavRun>&& runs) {
    CTavGeoRegion r(width, height);
    r.m_runs = std::move(runs);
    return r;
  }
  // A region's runs, for filling a result in place.
  static std::vector<TavRun>& runsOf(CTavGeoRegion& r) { return r.m_runs; }
};

namespace region_detail {

[[noreturn]] void fail(const std::string& what);
void checkCanvas(int width, int height, const char* where);

// The index of the lowest set bit of v, which is not 0.
inline int lowestBit(uint64_t v) {
#if defined(TAVGEO_BIT_SCAN)
  return __builtin_ctzll(v);
#else
  int n = 0;
  for (; (v & 1) == 0; v >>= 1) ++n;
  return n;
#endif
}

// Sets bits [a, b) of the words from w on; a < b.
inline void setBits(uint64_t* w, int64_t a, int64_t b) {
  const size_t wa = static_cast<size_t>(a >> 6), wb = static_cast<size_t>((b - 1) >> 6);
  const uint64_t ma = ~uint64_t{0} << (a & 63), mb = ~uint64_t{0} >> (63 - ((b - 1) & 63));
  if (wa == wb) {
    w[wa] |= ma & mb;
    return;
  }
  w[wa] |= ma;
  for (size_t k = wa + 1; k < wb; ++k) w[k] = ~uint64_t{0};
  w[wb] |= mb;
}

// "the limit of N runs", for messages.
inline std::string runLimit() { return "the limit of " + std::to_string(kRegionMaxRuns) + " runs"; }

// Appends a run to the sorted output, merging it with the last one when they
// touch or overlap; refuses growth past kRegionMaxRuns, naming the result what.
inline void append(std::vector<TavRun>* out, int y, int x0, int x1, const char* what = "region: result") {
  if (x1 <= x0) return;
  if (!out->empty()) {
    TavRun& b = out->back();
    if (b.y == y && x0 <= b.x1) {
      if (x1 > b.x1) b.x1 = x1;
      return;
    }
  }
  if (static_cast<int64_t>(out->size()) >= kRegionMaxRuns) fail(std::string(what) + " exceeds " + runLimit());
  out->push_back(TavRun{y, x0, x1});
}

// Sorts runs of any order by (y, x0) and merges touching or overlapping ones.
std::vector<TavRun> normalise(std::vector<TavRun> runs);

// [begin, end) indices of each row's runs, row by row for rows that have runs.
struct RowSpan {
  int y;
  size_t begin;
  size_t end;
};
std::vector<RowSpan> rowSpans(const std::vector<TavRun>& runs);

// The runs of the transpose of a region of outRows columns: row x holds the
// runs of column x. Refuses more than kRegionMaxRuns, naming the result what.
std::vector<TavRun> transposeRuns(const std::vector<TavRun>& runs, int outRows, const char* what);

// Unsigned 128-bit integers, as much of them as the moments need, in
// portable code, so that every machine gives the same sums.
struct U128 {
  uint64_t hi = 0, lo = 0;
};
inline U128 wide(uint64_t v) { return U128{0, v}; }
// The full product a b.
inline U128 mulWide(uint64_t a, uint64_t b) {
  const uint64_t m = 0xffffffffu, a0 = a & m, a1 = a >> 32, b0 = b & m, b1 = b >> 32;
  const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const uint64_t mid = (p00 >> 32) + (p01 & m) + (p10 & m);
  return U128{p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & m)};
}
// v m, which the caller knows to be below 2^128.
inline U128 mulWide(const U128& v, uint64_t m) {
  U128 p = mulWide(v.lo, m);
  p.hi += v.hi * m;
  return p;
}
inline void addTo(U128* s, const U128& v) {
  const uint64_t lo = s->lo + v.lo;
  s->hi += v.hi + (lo < v.lo ? 1 : 0);
  s->lo = lo;
}
inline bool lessThan(const U128& a, const U128& b) { return a.hi < b.hi || (a.hi == b.hi && a.lo < b.lo); }
// a - b for a >= b.
inline U128 minus(const U128& a, const U128& b) {
  return U128{a.hi - b.hi - (a.lo < b.lo ? 1 : 0), a.lo - b.lo};
}
// v / 12, rounded down.
U128 divideBy12(const U128& v);
// v rounded to the nearest double (ties to even), as a conversion of a
// 64-bit integer rounds.
double toDouble(const U128& v);

// The exact sums behind the moments: the area, sum x, sum y and, over the
// pixels, sum x^2, sum x y and sum y^2, in integers, so that the order of the
// runs does not matter and the moments are the exact sums rounded once.
struct MomentSums {
  int64_t a = 0, sx = 0, sy = 0;
  U128 sxx, sxy, syy;
};
// Added run by run in closed form: a run of n pixels from x0 to x1 - 1 on
// row y, with s = x0 + x1 - 1, has sum x = n s / 2 (n s is even) and
// 12 sum x^2 = n (3 s^2 + n^2 - 1) = 3 s (n s) + n (n^2 - 1). NarrowSums holds the second-order sums
// in 64 bits, which a canvas of narrowCanvas() guarantees (about 29,000
// pixels a side); WideSums in 128, on any canvas. Both give the same sums.
// The terms in x of a run, or of a row's runs summed: pixels, sum x and
// 12 sum x^2, in 64 bits.
struct XTerms {
  int64_t n = 0, sx = 0, sxx12 = 0;
  void add(const TavRun& r) {
    const int64_t k = r.x1 - r.x0, s = int64_t{r.x0} + r.x1 - 1, ks = k * s;
    n += k;
    sx += static_cast<int64_t>(static_cast<uint64_t>(ks) >> 1);  // k s >= 0 and even
    sxx12 += 3 * s * ks + k * (k * k - 1);
  }
};
struct NarrowSums {
  int64_t a = 0, sx = 0, sy = 0, sxx12 = 0, sxy = 0, syy = 0;
  // Terms in x that all lie on row y.
  void add(int64_t y, const XTerms& t) {
    const int64_t ny = t.n * y;
    a += t.n;
    sx += t.sx;
    sy += ny;
    sxx12 += t.sxx12;
    sxy += t.sx * y;
    syy += ny * y;
  }
  void add(const TavRun& r) {
    XTerms t;
    t.add(r);
    add(r.y, t);
  }
  MomentSums sums() const {
    return MomentSums{a,
                      sx,
                      sy,
                      wide(static_cast<uint64_t>(sxx12 / 12)),
                      wide(static_cast<uint64_t>(sxy)),
                      wide(static_cast<uint64_t>(syy))};
  }
};
struct WideSums {
  int64_t a = 0, sx = 0, sy = 0;
  U128 sxx12, sxy, syy;
  void add(const TavRun& r) {
    // n <= 2^24 and s < 2^25, so every factor fits 64 bits
    const uint64_t n = static_cast<uint64_t>(r.x1 - r.x0);
    const uint64_t s = static_cast<uint64_t>(int64_t{r.x0} + r.x1 - 1), y = static_cast<uint64_t>(r.y);
    const uint64_t rx = n * s / 2, ny = n * y;
    a += static_cast<int64_t>(n);
    sx += static_cast<int64_t>(rx);
    sy += static_cast<int64_t>(ny);
    addTo(&sxx12, mulWide(n, 3 * s * s + n * n - 1));
    addTo(&sxy, mulWide(rx, y));
    addTo(&syy, mulWide(ny, y));
  }
  MomentSums sums() const { return MomentSums{a, sx, sy, divideBy12(sxx12), sxy, syy}; }
};
// Whether every NarrowSums total of a region on this canvas fits 64 bits:
// 12 sum x^2 <= 12 W^3 H, sum x y <= W^2 H^2, sum y^2 <= W H^3, each below
// 12 W H max(W, H)^2, which is kept under 2^62.
inline bool narrowCanvas(int width, int height) {
  const double w = width, h = height, m = width > height ? w : h;
  return 12.0 * w * h * m * m < 4611686018427387904.0;
}
// The sums of a whole list, for NarrowSums a row at a time: the terms in y
// (sum y, sum x y, sum y^2) are taken once per row from the row's area and
// sum x.
inline MomentSums sumRunsNarrow(const std::vector<TavRun>& runs) {
  NarrowSums t;
  const TavRun* r = runs.data();
  const TavRun* const end = r + runs.size();
  while (r < end) {
    const int64_t y = r->y;
    XTerms row;
    for (; r < end && r->y == y; ++r) row.add(*r);
    t.add(y, row);
  }
  return t.sums();
}
inline MomentSums sumRunsWide(const std::vector<TavRun>& runs) {
  WideSums t;
  for (const TavRun& r : runs) t.add(r);
  return t.sums();
}
// (m10 / m00, m01 / m00): NaN when a is 0.
inline TavPoint centroidOf(int64_t a, int64_t sx, int64_t sy) {
  const double da = static_cast<double>(a);
  return TavPoint{static_cast<double>(sx) / da, static_cast<double>(sy) / da};
}
// The moments from the sums (central and normalised ones NaN when a is 0).
TavRegionMoments momentsOf(const MomentSums& sums);

// A region's area and bounding box in one pass over its runs.
struct AreaAndBox {
  int64_t area;
  TavRegionBox box;
};
AreaAndBox areaAndBox(const std::vector<TavRun>& runs);

}  // namespace region_detail
}  // namespace NTavGeometry
