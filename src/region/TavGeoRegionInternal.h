// Building blocks shared by the region sources: trusted construction from runs
// already sorted and merged, the run limit and row views.
#pragma once

#include <TavGeometry/TavGeoRegion.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The row scanner of masks reads 64 bytes a step with SSE2 where the compiler
// targets it, and bit positions come from the compiler's bit-scan builtin;
// elsewhere portable loops do the same. TAVGEO_PORTABLE (a build option) takes
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
  if (static_cast<int64_t>(out->size()) >= kRegionMaxRuns) fail(std::string(what) + " exceeds kRegionMaxRuns runs");
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

}  // namespace region_detail
}  // namespace NTavGeometry
