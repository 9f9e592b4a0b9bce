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
// On x86-64 the walk that sums an intersection's area has a second form in
// AVX2, taken where the processor has it (asked at the first call); its sums
// are the same to the bit.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(TAVGEO_PORTABLE)
#define TAVGEO_AVX2_DISPATCH 1
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

// The sums behind the moments, added run by run. Per run of n pixels from x0:
// sum x = n * (x0 + x1 - 1) / 2 (exact in 64 bits), sum (x - c)^2 =
// n * (mean - c)^2 + n (n^2 - 1) / 12. The raw sums take one pass, the central
// ones (about the centroid the raw ones give) a second; the sums of a part
// gathered in the order of a list that holds its runs among others are the
// same doubles as those of the part's own list.
struct RawMomentSums {
  int64_t a = 0, sx = 0, sy = 0;
  double s20 = 0, s11 = 0, s02 = 0;
  void add(const TavRun& r) {
    const int64_t n = r.x1 - r.x0;
    const int64_t rx = n * (int64_t{r.x0} + r.x1 - 1) / 2;
    const double dn = static_cast<double>(n),
                 mean = (static_cast<double>(r.x0) + static_cast<double>(r.x1 - 1)) / 2.0;
    a += n;
    sx += rx;
    sy += n * r.y;
    s20 += dn * mean * mean + dn * (dn * dn - 1.0) / 12.0;
    s11 += static_cast<double>(rx) * r.y;
    s02 += dn * static_cast<double>(r.y) * static_cast<double>(r.y);
  }
  // (m10 / m00, m01 / m00): NaN when empty.
  double cx() const { return static_cast<double>(sx) / static_cast<double>(a); }
  double cy() const { return static_cast<double>(sy) / static_cast<double>(a); }
};
struct CentralMomentSums {
  double c20 = 0, c11 = 0, c02 = 0;
  void add(const TavRun& r, double cx, double cy) {
    const double dn = static_cast<double>(r.x1 - r.x0);
    const double dx = (static_cast<double>(r.x0) + static_cast<double>(r.x1 - 1)) / 2.0 - cx;
    const double dy = static_cast<double>(r.y) - cy;
    c20 += dn * dx * dx + dn * (dn * dn - 1.0) / 12.0;
    c11 += dn * dx * dy;
    c02 += dn * dy * dy;
  }
};
// The moments from both sums (the central ones are not read when raw.a is 0).
TavRegionMoments momentsOf(const RawMomentSums& raw, const CentralMomentSums& central);

// A region's area and bounding box in one pass over its runs.
struct AreaAndBox {
  int64_t area;
  TavRegionBox box;
};
AreaAndBox areaAndBox(const std::vector<TavRun>& runs);

}  // namespace region_detail
}  // namespace NTavGeometry
