// Region algebra: boolean operations, IoU, translation, clipping, morphology,
// hole filling and connected components, all run by run.
#include <TavGeometry/TavGeoRegion.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>

#include "geometry/TavGeoInternal.h"
#include "region/TavGeoRegionInternal.h"

// On x86-64 (TAVGEO_X86_DISPATCH) the walk that sums an intersection's area
// has a second form in AVX2, taken where the processor has it; its sums are
// the same to the bit.
#if defined(TAVGEO_SSE2_SCAN)
#include <emmintrin.h>
#endif

namespace NTavGeometry {

using namespace region_detail;

namespace {

// Room for the runs of a result whose size is known only as a bound: the
// runs are written into it unset (a vector of n runs would first store n
// copies of an empty run), and the ones written are copied into a vector of
// exactly their number at the end.
class RunBuffer {
 public:
  explicit RunBuffer(size_t n) : m_runs(new TavRun[n]) {}
  TavRun* data() { return m_runs.get(); }
  // The runs from data() to end; refuses more than kRegionMaxRuns unless
  // told not to (the inner unions of a union of many).
  std::vector<TavRun> runs(const TavRun* end, bool limited = true) const {
    const TavRun* begin = m_runs.get();
    if (limited && end - begin > kRegionMaxRuns) fail("region: result exceeds " + runLimit());
    return std::vector<TavRun>(begin, end);
  }

 private:
  std::unique_ptr<TavRun[]> m_runs;
};

// The runs of two lists in (y, x0) order, one a call. The keys of both heads
// are kept, a list that has run out having a key above all others, so that
// one loop takes every run with no tail loops.
class MergedRuns {
 public:
  MergedRuns(const std::vector<TavRun>& a, const std::vector<TavRun>& b)
      : m_p(a.data()),
        m_q(b.data()),
        m_pe(m_p + a.size()),
        m_qe(m_q + b.size()),
        m_kp(key(m_p, m_pe)),
        m_kq(key(m_q, m_qe)) {}
  const TavRun* first() const { return m_kp < m_kq ? m_p : m_q; }
  const TavRun* next() {
    if (m_kp < m_kq) {
      const TavRun* r = m_p++;
      m_kp = key(m_p, m_pe);
      return r;
    }
    const TavRun* r = m_q++;
    m_kq = key(m_q, m_qe);
    return r;
  }

 private:
  // Rows and columns are >= 0, so the key orders by (y, x0).
  static uint64_t key(const TavRun* r, const TavRun* end) {
    return r < end ? (static_cast<uint64_t>(static_cast<uint32_t>(r->y)) << 32) | static_cast<uint32_t>(r->x0)
                   : ~uint64_t(0);
  }
  const TavRun *m_p, *m_q;
  const TavRun *const m_pe, *const m_qe;
  uint64_t m_kp, m_kq;
};

void sameCanvas(const CTavGeoRegion& a, const CTavGeoRegion& b, const char* op) {
  if (a.width() != b.width() || a.height() != b.height())
    fail(std::string("region ") + op + ": canvases differ (" + std::to_string(a.width()) + " x " +
         std::to_string(a.height()) + " and " + std::to_string(b.width()) + " x " +
         std::to_string(b.height()) + ")");
}

}  // namespace

// Union: the two run lists merged in (y, x0) order, runs that touch or overlap
// joined. The run being built lives in locals and is stored once, when a run
// that does not join it comes: kept in the output, every step loaded back the
// end the step before had just stored.
namespace {

// The runs of the union of two non-empty lists.
std::vector<TavRun> unionRuns(const std::vector<TavRun>& a, const std::vector<TavRun>& b, bool limited) {
  RunBuffer out(a.size() + b.size());
  TavRun* w = out.data();
  MergedRuns runs(a, b);
  const TavRun* f = runs.first();
  int y = f->y, x0 = f->x0, x1 = f->x1;  // the run being built (the loop takes f again: it joins itself)
  for (size_t n = a.size() + b.size(); n > 0; --n) {
    const TavRun* r = runs.next();
    const int ry = r->y, rx0 = r->x0, rx1 = r->x1;
    if (ry == y && rx0 <= x1) {
      x1 = std::max(x1, rx1);
    } else {
      *w++ = TavRun{y, x0, x1};
      y = ry, x0 = rx0, x1 = rx1;
    }
  }
  *w = TavRun{y, x0, x1};
  return out.runs(w + 1, limited);
}

}  // namespace

CTavGeoRegion CTavGeoRegion::operator|(const CTavGeoRegion& o) const {
  sameCanvas(*this, o, "union");
  if (m_runs.empty()) return o;
  if (o.m_runs.empty()) return *this;
  return CTavGeoRegionAccess::make(m_width, m_height, unionRuns(m_runs, o.m_runs, true));
}

// Intersection: one pass over both lists; the pieces of a row never touch
// (each comes from a different pair of separated runs), so each is final as it
// comes. Every step passes one run, so there are fewer pieces than runs of
// both lists: they are written in place, without a capacity test per piece.
CTavGeoRegion CTavGeoRegion::operator&(const CTavGeoRegion& o) const {
  sameCanvas(*this, o, "intersection");
  const std::vector<TavRun>& a = m_runs;
  const std::vector<TavRun>& b = o.m_runs;
  if (a.empty() || b.empty()) return CTavGeoRegionAccess::make(m_width, m_height, {});
  RunBuffer out(a.size() + b.size());
  TavRun* w = out.data();
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const TavRun& p = a[i];
    const TavRun& q = b[j];
    if (p.y != q.y) {
      if (p.y < q.y)
        ++i;
      else
        ++j;
      continue;
    }
    const int lo = std::max(p.x0, q.x0), hi = std::min(p.x1, q.x1);
    if (hi > lo) *w++ = TavRun{p.y, lo, hi};
    if (p.x1 < q.x1)
      ++i;
    else
      ++j;
  }
  return CTavGeoRegionAccess::make(m_width, m_height, out.runs(w));
}
// Difference: each run of this list less the runs of o that overlap it, one
// pass over both lists. A run of o is passed once by the skip and met by each
// run of this list it overlaps. The pieces of one run are separated by the
// runs of o cut out of it, and runs of this list by their gaps, so no two
// pieces touch. Every piece of a run but its last ends where a run of o starts
// inside it, and a run of o starts inside one run at most, so there are no
// more pieces than runs of both lists.
CTavGeoRegion CTavGeoRegion::operator-(const CTavGeoRegion& o) const {
  sameCanvas(*this, o, "difference");
  const std::vector<TavRun>& a = m_runs;
  const std::vector<TavRun>& b = o.m_runs;
  if (a.empty() || b.empty()) return *this;
  RunBuffer out(a.size() + b.size());
  TavRun* w = out.data();
  const TavRun* q = b.data();
  const TavRun* const qe = q + b.size();
  for (const TavRun& p : a) {
    while (q < qe && (q->y < p.y || (q->y == p.y && q->x1 <= p.x0))) ++q;  // ends before p
    int s = p.x0;  // the first column of p not yet cut or written
    for (const TavRun* k = q; k < qe && k->y == p.y && k->x0 < p.x1; ++k) {
      if (k->x0 > s) *w++ = TavRun{p.y, s, k->x0};
      s = k->x1;  // past s: k ends after p starts and after the run of o before it
    }
    if (s < p.x1) *w++ = TavRun{p.y, s, p.x1};
  }
  return CTavGeoRegionAccess::make(m_width, m_height, out.runs(w));
}

// Symmetric difference: both lists merged in (y, x0) order, as in the union.
// A run r overlaps or touches no run of its own list, and of the other list's
// runs before it at most one reaches past r.x0; so the result right of r.x0,
// before r, is the part of the run being built that lies there. If r starts
// past that run, the run is final; if r starts at its end, r extends it;
// otherwise the run up to r.x0 is final, and what is left between the two
// ends (none, if they are the same) is built on. Runs are stored before the
// test of whether they are empty, and kept only if not.
CTavGeoRegion CTavGeoRegion::operator^(const CTavGeoRegion& o) const {
  sameCanvas(*this, o, "symmetric difference");
  const std::vector<TavRun>& a = m_runs;
  const std::vector<TavRun>& b = o.m_runs;
  if (a.empty()) return o;
  if (b.empty()) return *this;
  // Each step stores at most one run, the first none, so the stores stay
  // below a.size() + b.size().
  RunBuffer out(a.size() + b.size());
  TavRun* w = out.data();
  MergedRuns runs(a, b);
  int y = -1, x0 = 0, x1 = 0;  // the run being built, empty at first
  for (size_t n = a.size() + b.size(); n > 0; --n) {
    const TavRun* r = runs.next();
    const int ry = r->y, rx0 = r->x0, rx1 = r->x1;
    if (ry != y || rx0 > x1) {
      *w = TavRun{y, x0, x1};
      w += x0 < x1;
      y = ry, x0 = rx0, x1 = rx1;
    } else if (rx0 == x1) {
      x1 = rx1;
    } else {
      *w = TavRun{y, x0, rx0};
      w += x0 < rx0;
      x0 = std::min(x1, rx1);
      x1 = std::max(x1, rx1);
    }
  }
  *w = TavRun{y, x0, x1};
  w += x0 < x1;
  return CTavGeoRegionAccess::make(m_width, m_height, out.runs(w));
}

namespace {

// The intersection's area and both areas in one walk over the two lists:
// every step passes one run, whose length goes to its list's area; the runs
// left when one list runs out are added after.
struct Overlap {
  int64_t inter = 0, areaA = 0, areaB = 0;
};

Overlap overlap(const TavRun* p, const TavRun* const pe, const TavRun* q, const TavRun* const qe) {
  // The sums are kept in locals: summed into the result, they were kept in
  // memory and added to there at every step. The overlap is added without a
  // branch, as the runs overlap or not about as often.
  int64_t inter = 0, areaA = 0, areaB = 0;
  while (p < pe && q < qe) {
    if (p->y != q->y) {
      if (p->y < q->y) {
        areaA += p->x1 - p->x0;
        ++p;
      } else {
        areaB += q->x1 - q->x0;
        ++q;
      }
      continue;
    }
    const int lo = std::max(p->x0, q->x0), hi = std::min(p->x1, q->x1);
    inter += std::max(hi - lo, 0);
    if (p->x1 < q->x1) {
      areaA += p->x1 - p->x0;
      ++p;
    } else {
      areaB += q->x1 - q->x0;
      ++q;
    }
  }
  for (; p < pe; ++p) areaA += p->x1 - p->x0;
  for (; q < qe; ++q) areaB += q->x1 - q->x0;
  return Overlap{inter, areaA, areaB};
}

#if defined(TAVGEO_X86_DISPATCH)
// The same sums eight runs at a time. A run of row y becomes the interval
// [y * (width + 1) + x0, y * (width + 1) + x1) of one line, so that runs of
// different rows never overlap and each list is one sorted list of disjoint
// intervals. The walk goes block by block, eight runs of each list: all 64
// pairs of the two blocks are summed (a pair that does not overlap gives 0),
// then the block that ends first is left, both when they end together; a
// block left can overlap no later block of the other list, and no pair of
// blocks is met twice, so every overlapping pair of runs is counted once.
struct RunBlock {
  __m256i s, e;  // the eight intervals; [0, 0) past a list's end
  int32_t last;  // the end of the block's last interval
};

__attribute__((target("avx2"))) inline RunBlock loadBlock(const TavRun* p, const TavRun* pe, int32_t line) {
  static_assert(sizeof(TavRun) == 3 * sizeof(int), "runs are three ints");
  const bool partial = pe - p < 8;
  const TavRun& lastRun = partial ? pe[-1] : p[7];
  TavRun pad[8];
  if (partial) {
    std::fill(pad, pad + 8, TavRun{0, 0, 0});
    std::copy(p, pe, pad);
    p = pad;
  }
  const char* w = reinterpret_cast<const char*>(p);  // the eight runs' 96 bytes
  const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w));
  const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + 32));
  const __m256i v2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + 64));
  // Word 3k + c of the 24 is field c of run k: two blends bring each field's
  // eight words into eight distinct lanes, a permutation puts them in order.
  const __m256i y =
      _mm256_permutevar8x32_epi32(_mm256_blend_epi32(_mm256_blend_epi32(v0, v1, 0x92), v2, 0x24),
                                  _mm256_setr_epi32(0, 3, 6, 1, 4, 7, 2, 5));
  const __m256i x0 =
      _mm256_permutevar8x32_epi32(_mm256_blend_epi32(_mm256_blend_epi32(v0, v1, 0x24), v2, 0x49),
                                  _mm256_setr_epi32(1, 4, 7, 2, 5, 0, 3, 6));
  const __m256i x1 =
      _mm256_permutevar8x32_epi32(_mm256_blend_epi32(_mm256_blend_epi32(v0, v1, 0x49), v2, 0x92),
                                  _mm256_setr_epi32(2, 5, 0, 3, 6, 1, 4, 7));
  const __m256i base = _mm256_mullo_epi32(y, _mm256_set1_epi32(line));
  return RunBlock{_mm256_add_epi32(base, x0), _mm256_add_epi32(base, x1), lastRun.y * line + lastRun.x1};
}

// The eight 32-bit lanes added into four 64-bit sums.
__attribute__((target("avx2"))) inline __m256i addWide(__m256i sum, __m256i v) {
  sum = _mm256_add_epi64(sum, _mm256_cvtepi32_epi64(_mm256_castsi256_si128(v)));
  return _mm256_add_epi64(sum, _mm256_cvtepi32_epi64(_mm256_extracti128_si256(v, 1)));
}

__attribute__((target("avx2"))) inline int64_t total(__m256i sum) {
  alignas(32) int64_t lanes[4];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sum);
  return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

// Needs both lists non-empty and (height - 1) * (width + 1) + width below 2^31.
__attribute__((target("avx2"))) Overlap overlapBlocks(const TavRun* p, const TavRun* const pe,
                                                      const TavRun* q, const TavRun* const qe, int width) {
  const int32_t line = width + 1;
  const ptrdiff_t na = pe - p, nb = qe - q;
  ptrdiff_t i = 0, j = 0;  // the blocks' first runs
  __m256i inter = _mm256_setzero_si256(), areaA = inter, areaB = inter;
  RunBlock a = loadBlock(p, pe, line), b = loadBlock(q, qe, line);
  areaA = addWide(areaA, _mm256_sub_epi32(a.e, a.s));
  areaB = addWide(areaB, _mm256_sub_epi32(b.e, b.s));
  const __m256i zero = _mm256_setzero_si256();
  for (;;) {
    // Lane j holds run j of b against run (j + k) mod 8 of a, k = 0 .. 7: each
    // lane's sum is at most the length of one run, so 32 bits hold it.
    __m256i sum = zero;
    __m256i as = a.s, ae = a.e;
    const __m256i rotate = _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 0);
    for (int k = 0; k < 8; ++k) {
      const __m256i ov = _mm256_sub_epi32(_mm256_min_epi32(ae, b.e), _mm256_max_epi32(as, b.s));
      sum = _mm256_add_epi32(sum, _mm256_max_epi32(ov, zero));
      as = _mm256_permutevar8x32_epi32(as, rotate);
      ae = _mm256_permutevar8x32_epi32(ae, rotate);
    }
    inter = addWide(inter, sum);
    const bool leaveA = a.last <= b.last, leaveB = b.last <= a.last;
    if (leaveA) {
      i += 8;
      if (i >= na) break;
      a = loadBlock(p + i, pe, line);
      areaA = addWide(areaA, _mm256_sub_epi32(a.e, a.s));
    }
    if (leaveB) {
      j += 8;
      if (j >= nb) break;
      b = loadBlock(q + j, qe, line);
      areaB = addWide(areaB, _mm256_sub_epi32(b.e, b.s));
    }
  }
  // The rest of the list whose block was not left when the other ran out (its
  // block is counted).
  int64_t restA = 0, restB = 0;
  for (i = i < na ? i + 8 : na; i < na; ++i) restA += p[i].x1 - p[i].x0;
  for (j = j < nb ? j + 8 : nb; j < nb; ++j) restB += q[j].x1 - q[j].x0;
  return Overlap{total(inter), total(areaA) + restA, total(areaB) + restB};
}

#endif

Overlap overlap(const TavRun* p, const TavRun* const pe, const TavRun* q, const TavRun* const qe, int width,
                int height) {
#if defined(TAVGEO_X86_DISPATCH)
  if (detail::processorHasAvx2() && p < pe && q < qe &&
      static_cast<int64_t>(height) * (width + 1) <= INT32_MAX)
    return overlapBlocks(p, pe, q, qe, width);
#else
  (void)width;
  (void)height;
#endif
  return overlap(p, pe, q, qe);
}

Overlap overlap(const CTavGeoRegion& a, const CTavGeoRegion& b) {
  const std::vector<TavRun>&ra = a.runs(), &rb = b.runs();
  return overlap(ra.data(), ra.data() + ra.size(), rb.data(), rb.data() + rb.size(), a.width(), a.height());
}

double iouOf(int64_t inter, int64_t areaA, int64_t areaB) {
  const int64_t uni = areaA + areaB - inter;
  return uni == 0 ? 0.0 : static_cast<double>(inter) / static_cast<double>(uni);
}

// The runs of rows y0 .. y1 - 1.
std::pair<const TavRun*, const TavRun*> rowRange(const std::vector<TavRun>& runs, int y0, int y1) {
  const auto below = [](const TavRun& r, int y) { return r.y < y; };
  const TavRun* b = std::lower_bound(runs.data(), runs.data() + runs.size(), y0, below);
  return {b, std::lower_bound(b, runs.data() + runs.size(), y1, below)};
}

}  // namespace

int64_t CTavGeoRegion::intersectionArea(const CTavGeoRegion& o) const {
  sameCanvas(*this, o, "intersection");
  return overlap(*this, o).inter;
}

double CTavGeoRegion::iou(const CTavGeoRegion& o) const {
  sameCanvas(*this, o, "iou");
  const Overlap s = overlap(*this, o);
  return iouOf(s.inter, s.areaA, s.areaB);
}

std::vector<double> CTavGeoRegion::iouMatrix(const std::vector<const CTavGeoRegion*>& a,
                                             const std::vector<const CTavGeoRegion*>& b) {
  return iouMatrix(a, b, std::vector<bool>(b.size(), false));
}

std::vector<double> CTavGeoRegion::iouMatrix(const std::vector<const CTavGeoRegion*>& a,
                                             const std::vector<const CTavGeoRegion*>& b,
                                             const std::vector<bool>& crowd) {
  if (crowd.size() != b.size())
    fail("region iouMatrix: " + std::to_string(crowd.size()) + " crowd flags for " +
         std::to_string(b.size()) + " regions");
  if (!b.empty() && a.size() > static_cast<size_t>(kRegionMaxIouPairs) / b.size())
    fail("region iouMatrix: more than the limit of " + std::to_string(kRegionMaxIouPairs) + " pairs");
  const CTavGeoRegion* first = nullptr;
  const auto summarise = [&](const std::vector<const CTavGeoRegion*>& regions) {
    std::vector<AreaAndBox> out;
    out.reserve(regions.size());
    for (const CTavGeoRegion* r : regions) {
      if (r == nullptr) fail("region iouMatrix: a null region");
      if (first == nullptr) first = r;
      sameCanvas(*first, *r, "iouMatrix");
      out.push_back(areaAndBox(r->m_runs));
    }
    return out;
  };
  const std::vector<AreaAndBox> sa = summarise(a), sb = summarise(b);
  std::vector<double> out(a.size() * b.size(), 0.0);
  for (size_t i = 0; i < a.size(); ++i) {
    for (size_t j = 0; j < b.size(); ++j) {
      // Boxes apart (an empty region's box has no pixel): no pixel in common,
      // and the entry stays 0, as iou gives it. So a crowd entry that is
      // computed never divides by an empty region's area.
      const TavRegionBox &p = sa[i].box, &q = sb[j].box;
      const int x0 = std::max(p.x, q.x), x1 = std::min(p.x + p.width, q.x + q.width);
      const int y0 = std::max(p.y, q.y), y1 = std::min(p.y + p.height, q.y + q.height);
      if (x1 <= x0 || y1 <= y0) continue;
      // Only the rows both boxes hold can hold common pixels.
      const auto ra = rowRange(a[i]->m_runs, y0, y1), rb = rowRange(b[j]->m_runs, y0, y1);
      const int64_t inter =
          overlap(ra.first, ra.second, rb.first, rb.second, first->width(), first->height()).inter;
      out[i * b.size() + j] = crowd[j] ? static_cast<double>(inter) / static_cast<double>(sa[i].area)
                                       : iouOf(inter, sa[i].area, sb[j].area);
    }
  }
  return out;
}

CTavGeoRegion CTavGeoRegion::unionOf(const std::vector<const CTavGeoRegion*>& regions) {
  if (regions.empty()) fail("region union of many: no regions (a region needs its canvas)");
  for (size_t i = 0; i < regions.size(); ++i) {
    if (regions[i] == nullptr) fail("region union of many: region " + std::to_string(i) + " is null");
    sameCanvas(*regions[0], *regions[i], "union of many");
  }
  // Each round joins neighbours, so every run passes through log2(count)
  // unions. Only the result counts against kRegionMaxRuns: an inner union
  // holds no more runs than its operands, which the caller holds already,
  // and may hold more runs than the whole (columns of four regions that
  // interleave to fill the canvas).
  const auto join = [](const std::vector<TavRun>& a, const std::vector<TavRun>& b) {
    return a.empty() ? b : b.empty() ? a : unionRuns(a, b, false);
  };
  std::vector<std::vector<TavRun>> round;
  round.reserve(regions.size() / 2 + 1);
  for (size_t i = 0; i + 1 < regions.size(); i += 2)
    round.push_back(join(regions[i]->m_runs, regions[i + 1]->m_runs));
  if (regions.size() % 2 != 0) round.push_back(regions.back()->m_runs);
  while (round.size() > 1) {
    size_t n = 0;
    for (size_t i = 0; i + 1 < round.size(); i += 2) round[n++] = join(round[i], round[i + 1]);
    if (round.size() % 2 != 0) round[n++] = std::move(round.back());
    round.resize(n);
  }
  if (static_cast<int64_t>(round.front().size()) > kRegionMaxRuns)
    fail("region union of many: result exceeds " + runLimit());
  return CTavGeoRegionAccess::make(regions[0]->m_width, regions[0]->m_height, std::move(round.front()));
}

CTavGeoRegion CTavGeoRegion::complement() const {
  std::vector<TavRun> out;
  size_t i = 0;
  for (int y = 0; y < m_height && m_width > 0; ++y) {
    int x = 0;
    for (; i < m_runs.size() && m_runs[i].y == y; ++i) {
      append(&out, y, x, m_runs[i].x0);
      x = m_runs[i].x1;
    }
    append(&out, y, x, m_width);
  }
  return CTavGeoRegionAccess::make(m_width, m_height, std::move(out));
}

CTavGeoRegion CTavGeoRegion::translate(int dx, int dy) const {
  std::vector<TavRun> out;
  out.reserve(m_runs.size());
  for (const TavRun& r : m_runs) {
    const int64_t y = int64_t{r.y} + dy;
    if (y < 0 || y >= m_height) continue;
    const int64_t x0 = std::max<int64_t>(int64_t{r.x0} + dx, 0),
                  x1 = std::min<int64_t>(int64_t{r.x1} + dx, m_width);
    if (x1 > x0) out.push_back(TavRun{static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1)});
  }
  return CTavGeoRegionAccess::make(m_width, m_height, std::move(out));
}

namespace {

// The parts of the runs inside box, moved by (-ox, -oy): the rows the box and
// the canvas share are found by binary search.
std::vector<TavRun> runsInBox(const std::vector<TavRun>& runs, int height, const TavRegionBox& box,
                              int64_t ox, int64_t oy) {
  const int64_t bx1 = int64_t{box.x} + box.width;
  const int64_t y0 = std::max<int64_t>(box.y, 0), y1 = std::min<int64_t>(int64_t{box.y} + box.height, height);
  std::vector<TavRun> out;
  if (y0 >= y1) return out;
  const auto rows = rowRange(runs, static_cast<int>(y0), static_cast<int>(y1));
  for (const TavRun* r = rows.first; r < rows.second; ++r) {
    const int64_t x0 = std::max<int64_t>(r->x0, box.x), x1 = std::min<int64_t>(r->x1, bx1);
    if (x1 > x0)
      out.push_back(
          TavRun{static_cast<int>(r->y - oy), static_cast<int>(x0 - ox), static_cast<int>(x1 - ox)});
  }
  return out;
}

}  // namespace

CTavGeoRegion CTavGeoRegion::clip(const TavRegionBox& box) const {
  return CTavGeoRegionAccess::make(m_width, m_height, runsInBox(m_runs, m_height, box, 0, 0));
}

CTavGeoRegion CTavGeoRegion::crop(const TavRegionBox& box) const {
  checkCanvas(box.width, box.height, "region crop");
  return CTavGeoRegionAccess::make(box.width, box.height, runsInBox(m_runs, m_height, box, box.x, box.y));
}

// ------------------------------------------------------------ morphology

namespace {

// Half-widths of a symmetric element: row dy (|dy| <= r) holds dx in
// [-half[dy + r], half[dy + r]].
std::vector<int> squareElement(int r) { return std::vector<int>(2 * static_cast<size_t>(r) + 1, r); }

std::vector<int> diskElement(int r) {
  std::vector<int> half(2 * static_cast<size_t>(r) + 1);
  const int64_t rr = int64_t{r} * r;
  for (int dy = -r; dy <= r; ++dy) {
    int64_t h = static_cast<int64_t>(std::sqrt(static_cast<double>(rr - int64_t{dy} * dy)));
    while (h * h + int64_t{dy} * dy > rr) --h;
    while ((h + 1) * (h + 1) + int64_t{dy} * dy <= rr) ++h;
    half[static_cast<size_t>(dy + r)] = static_cast<int>(h);
  }
  return half;
}

void checkRadius(int r, const char* op) {
  if (r < 0) fail(std::string("region ") + op + ": negative radius " + std::to_string(r));
  if (r > kRegionMaxSide)
    fail(std::string("region ") + op + ": radius above the limit of " + std::to_string(kRegionMaxSide));
}

// Runs a row buffer of dilation or erosion needs by a radius-r element: a
// merge (an intersection) writes at most the runs it holds so far plus those
// of one source row, it holds at most the 2r + 1 source rows' runs, and its
// runs are separated by gaps, so at most width / 2 + 1 of them.
size_t rowRoom(const std::vector<RowSpan>& rows, int r, int width) {
  size_t widest = 0;  // most runs in a source row
  for (const RowSpan& s : rows) widest = std::max(widest, s.end - s.begin);
  return std::min(widest * (2 * static_cast<size_t>(r) + 1), static_cast<size_t>(width) / 2 + 1) + widest;
}

// Appends a finished output row (its runs neither touch each other nor the
// rows before); refuses growth past kRegionMaxRuns.
void appendRuns(std::vector<TavRun>* out, const TavRun* begin, const TavRun* end) {
  if (static_cast<int64_t>(out->size() + static_cast<size_t>(end - begin)) > kRegionMaxRuns)
    fail("region: result exceeds " + runLimit());
  out->insert(out->end(), begin, end);
}

// Morphology on rows of bits, for regions with many runs per row: every
// source row is painted once, as it is, into a ring of the 2r + 1 rows an
// output row needs. An element is a stack of horizontal segments, and rows
// of one half-width form a group; widening (shrinking) by a and then by b is
// widening (shrinking) by a + b, and it distributes over OR (AND). So with
// the groups' half-widths h1 > h2 > ... > hk and V_j the OR (AND) of group
// j's painted rows, dilation's output row is
//   widen(hk, ... widen(h2 - h3, widen(h1 - h2, V_1) | V_2) ... | V_k),
// and erosion's the same with shrink and AND. A widening by d is a few
// steps t | t << s | t >> s (t & t << s & t >> s), each reaching s further,
// with zeros shifted in from outside the painted columns. The result is read
// back as runs. Exact, as the run merge is; the merge costs about the runs of
// the union for each of the 2r + 1 source rows of an output row, this the
// words of the region's extent for each of them and for each step.
class BitMorphology {
  static constexpr double kMergeStep = 4, kPaintStep = 6, kShiftStep = 0.5;

 public:
  // Decides for the region's rows and extent, in columns, and the element.
  BitMorphology(const std::vector<RowSpan>& rows, size_t runCount, int64_t ext0, int64_t ext1,
                const std::vector<int>& half)
      : m_r(half.size() / 2),
        m_base(ext0 & ~int64_t{63}),
        m_words(ext1 > ext0 ? static_cast<size_t>((ext1 - m_base + 127) >> 7) * 2 : 0) {  // even, for pairs
#if defined(TAVGEO_X86_DISPATCH)
    // Rows that fit the registers are combined there, in whole registers.
    m_vector = m_words != 0 && m_words <= kVectorWords && detail::processorHasAvx512Vbmi2();
    if (m_vector) m_words = (m_words + 7) & ~size_t{7};
#endif
    if (rows.empty() || m_r == 0 || m_words == 0) return;
    // Both elements are symmetric and their half-widths do not grow away
    // from the centre row: the groups are runs of equal half-widths from
    // the centre row out, widest first, each widened by the step down to
    // the next (the last to 0). Counted first, built only when taken: an
    // element may have millions of rows.
    size_t steps = 0;
    for (size_t k = m_r; k < half.size(); ++k) {
      const int next = k + 1 < half.size() ? half[k + 1] : 0;
      if (next != half[k]) steps += stepCount(half[k] - next);
    }
    // Cost per output row, in word operations: the merge does about 2 steps
    // per run of a row for each source row within the window (at most the
    // 2r + 1 rows of the element, at most the region's rows), each worth
    // kMergeStep word operations; the bit rows one operation per word for
    // each of those rows, one for each of the window's 2r + 1 slots,
    // kShiftStep per word for each step of the widening, and kPaintStep per
    // run. (Costed as if every slot held a row, one pixel dilated by a large
    // square took the bit rows at O(r^2).) Memory: the ring, at most 16 MiB.
    const double perRow = static_cast<double>(runCount) / static_cast<double>(rows.size());
    const double window = static_cast<double>(2 * m_r + 1);
    const double live = std::min(window, static_cast<double>(rows.size()));
    const double words = static_cast<double>(m_words);
    m_use = window * words * 8 <= 16.0 * (1 << 20) &&
            words * (live + 2 + kShiftStep * static_cast<double>(steps)) + window + perRow * kPaintStep <
                perRow * 2 * live * kMergeStep;
    if (!m_use) return;
    for (size_t k = m_r; k < half.size(); ++k) {
      if (m_groups.empty() || m_groups.back().width != half[k]) m_groups.push_back(Group{half[k], 0, {}});
      Group& g = m_groups.back();
      g.rows.push_back(static_cast<int>(k) - static_cast<int>(m_r));
      if (k > m_r) g.rows.push_back(static_cast<int>(m_r) - static_cast<int>(k));
      g.after = half[k] - (k + 1 < half.size() ? half[k + 1] : 0);  // final at the group's last row
    }
    m_ring.assign((2 * m_r + 1) * m_words, 0);
  }
  bool use() const { return m_use; }
  // The ring slot of row y (0 <= y < 2^24; 2r + 1 <= 2^25 + 1): one 32-bit
  // division, which costs a fraction of a 64-bit one.
  size_t slotOf(int64_t y) const { return static_cast<uint32_t>(y) % static_cast<uint32_t>(2 * m_r + 1); }
  // The slot of row y + dy from centre, that of row y (|dy| <= r: at most
  // one turn of the ring away).
  size_t slotBeside(size_t centre, int dy) const {
    const int64_t at = static_cast<int64_t>(centre) + dy, slots = static_cast<int64_t>(2 * m_r + 1);
    return static_cast<size_t>(at < 0 ? at + slots : at >= slots ? at - slots : at);
  }
  // Paints source row y (its runs runs[s.begin .. s.end)) into its slot.
  void paint(const std::vector<TavRun>& runs, const RowSpan& s) {
    uint64_t* bits = m_ring.data() + slotOf(s.y) * m_words;
    std::fill(bits, bits + m_words, uint64_t{0});
    for (size_t t = s.begin; t < s.end; ++t) setBits(bits, runs[t].x0 - m_base, runs[t].x1 - m_base);
  }
  // The bits of output row y from the painted rows y - r .. y + r whose
  // slot in the ring (y modulo 2r + 1) present(slot) accepts (callers see
  // that at least one is), into out; a dilation's bits at columns from
  // width on are cleared.
  // Four rows of a group are combined per pass over the words, so that out
  // is loaded and stored once for every four.
  template <class Present>
  void combine(int64_t y, bool dilation, int64_t width, Present present, std::vector<uint64_t>* out) {
    out->resize(m_words);
    uint64_t* const o = out->data();
#if defined(TAVGEO_X86_DISPATCH)
    if (m_vector) {
      switch (m_words / 8 * 2 + (dilation ? 1 : 0)) {
        case 2: combineVector<1, false>(y, present, o); break;
        case 3: combineVector<1, true>(y, present, o); break;
        case 4: combineVector<2, false>(y, present, o); break;
        case 5: combineVector<2, true>(y, present, o); break;
        case 6: combineVector<3, false>(y, present, o); break;
        case 7: combineVector<3, true>(y, present, o); break;
        case 8: combineVector<4, false>(y, present, o); break;
        default: combineVector<4, true>(y, present, o); break;
      }
      if (dilation) clearFrom(o, width);
      return;
    }
#endif
    bool first = true;  // nothing in out yet
    const size_t centre = slotOf(y);
    for (const Group& g : m_groups) {
      const uint64_t* src[4];
      size_t n = 0;
      for (const int dy : g.rows) {
        const size_t slot = slotBeside(centre, dy);
        if (!present(slot)) continue;
        src[n++] = m_ring.data() + slot * m_words;
        if (n == 4) {
          fold(o, src, n, first, dilation);
          first = false;
          n = 0;
        }
      }
      if (n > 0) {
        fold(o, src, n, first, dilation);
        first = false;
      }
      if (!first) {
        if (dilation) {
          widen<true>(o, g.after);
        } else {
          widen<false>(o, g.after);
        }
      }
    }
    if (dilation) clearFrom(o, width);
  }
  // Appends the runs of ones of bits as row y (separated, so append()
  // never joins them; it counts them against kRegionMaxRuns).
  void runsOf(const std::vector<uint64_t>& bits, int y, std::vector<TavRun>* out) const {
    int64_t start = -1;  // first column of the open run, or -1
    for (size_t k = 0; k < m_words; ++k) {
      const uint64_t v = bits[k];
      if (v == (start < 0 ? uint64_t{0} : ~uint64_t{0})) continue;
      int p = 0;  // the bits below p are done
      for (;;) {
        const uint64_t t = (start < 0 ? v : ~v) & (~uint64_t{0} << p);
        if (t == 0) break;
        p = lowestBit(t);
        const int64_t x = m_base + static_cast<int64_t>(64 * k) + p;
        if (start < 0) {
          start = x;
        } else {
          append(out, y, static_cast<int>(start), static_cast<int>(x));
          start = -1;
        }
      }
    }
    if (start >= 0) append(out, y, static_cast<int>(start), static_cast<int>(m_base + 64 * int64_t(m_words)));
  }

 private:
  struct Group {
    int width;              // half-width of the group's rows
    int after;              // widening after the group: down to the next group's width, or to 0
    std::vector<int> rows;  // dy of its element rows
  };
#if defined(TAVGEO_X86_DISPATCH)
  // Rows of up to this many words are combined in registers where the
  // processor has AVX-512.
  static constexpr size_t kVectorWords = 32;
#endif
  // Clears the bits of columns width and on; width > m_base.
  void clearFrom(uint64_t* o, int64_t width) const {
    const int64_t inside = (width - m_base) & 63;  // columns below width in the word holding it
    const uint64_t partial = inside == 0 ? 0 : ~uint64_t{0} >> (64 - inside);
    for (size_t k = static_cast<size_t>((width - m_base) >> 6); k < m_words; ++k)
      o[k] &= 64 * static_cast<int64_t>(k) + m_base >= width ? 0 : partial;
  }
#if defined(TAVGEO_X86_DISPATCH)
  // combine's ORs (ANDs) and widenings with the row held in NZ registers of
  // 8 words (m_words == 8 NZ), stored into o once at the end; the same bits.
  template <int NZ, bool Or, class Present>
  __attribute__((target("avx512f,avx512vbmi2"))) void combineVector(int64_t y, Present present,
                                                                    uint64_t* o) const {
    __m512i v[NZ];
    for (int z = 0; z < NZ; ++z) v[z] = _mm512_setzero_si512();
    bool first = true;
    const size_t centre = slotOf(y);
    for (const Group& g : m_groups) {
      for (const int dy : g.rows) {
        const size_t slot = slotBeside(centre, dy);
        if (!present(slot)) continue;
        const uint64_t* const src = m_ring.data() + slot * m_words;
        for (int z = 0; z < NZ; ++z) {
          const __m512i x = _mm512_loadu_si512(src + 8 * z);
          v[z] = first ? x : Or ? _mm512_or_si512(v[z], x) : _mm512_and_si512(v[z], x);
        }
        first = false;
      }
      if (!first) widenVector<NZ, Or>(v, g.after);
    }
    for (int z = 0; z < NZ; ++z) _mm512_storeu_si512(o + 8 * z, v[z]);
  }
  // widen on the registers: lane k of below (above) holds the word before
  // (after) word k, 0 past the row's ends, and the funnel shifts take the
  // bits that cross a word from it.
  template <int NZ, bool Or>
  __attribute__((target("avx512f,avx512vbmi2"))) static void widenVector(__m512i* v, int d) {
    const __m512i zero = _mm512_setzero_si512();
    for (int64_t c = 0; c < d;) {
      const int s = static_cast<int>(std::min<int64_t>({c + 1, d - c, 63}));
      const __m512i shift = _mm512_set1_epi64(s);
      __m512i w[NZ];
      for (int z = 0; z < NZ; ++z) {
        // (the zero-masking form: the plain one trips GCC 12's uninitialised-value warning)
        const __m512i below = _mm512_maskz_alignr_epi64(0xff, v[z], z > 0 ? v[z - 1] : zero, 7);
        const __m512i above = _mm512_maskz_alignr_epi64(0xff, z + 1 < NZ ? v[z + 1] : zero, v[z], 1);
        const __m512i up = _mm512_shldv_epi64(v[z], below, shift);    // bit x to x + s
        const __m512i down = _mm512_shrdv_epi64(v[z], above, shift);  // bit x to x - s
        // the OR (AND) of the three in one instruction: 0xfe is a | b | c, 0x80 a & b & c
        w[z] = _mm512_ternarylogic_epi64(v[z], up, down, Or ? 0xfe : 0x80);
      }
      for (int z = 0; z < NZ; ++z) v[z] = w[z];
      c += s;
    }
  }
#endif
  // Steps of a widening by d: each reaches at most one past what is reached
  // (so the reach stays contiguous) and shifts by at most 63 columns.
  static size_t stepCount(int d) {
    size_t n = 0;
    for (int64_t c = 0; c < d; c += std::min<int64_t>({c + 1, d - c, 63})) ++n;
    return n;
  }
  // o = OP(o, src[0], .., src[n - 1]) word by word, or without o when first.
  void fold(uint64_t* o, const uint64_t* const* src, size_t n, bool first, bool dilation) const {
    const uint64_t *a = src[0], *b = src[n > 1 ? 1 : 0], *c = src[n > 2 ? 2 : 0], *d = src[n > 3 ? 3 : 0];
    if (first && dilation) {
      for (size_t k = 0; k < m_words; ++k) o[k] = (a[k] | b[k]) | (c[k] | d[k]);
    } else if (first) {
      for (size_t k = 0; k < m_words; ++k) o[k] = (a[k] & b[k]) & (c[k] & d[k]);
    } else if (dilation) {
      for (size_t k = 0; k < m_words; ++k) o[k] |= (a[k] | b[k]) | (c[k] | d[k]);
    } else {
      for (size_t k = 0; k < m_words; ++k) o[k] &= (a[k] & b[k]) & (c[k] & d[k]);
    }
  }
  // Widens (Or) or shrinks the bits of o by d columns each way, in place.
  template <bool Or>
  void widen(uint64_t* o, int d) const {
    for (int64_t c = 0; c < d;) {
      const int s = static_cast<int>(std::min<int64_t>({c + 1, d - c, 63}));
#if defined(TAVGEO_SSE2_SCAN)
      // Two words a step (m_words is even): the words beside a pair come
      // from the pairs before and after it by byte shifts.
      const __m128i up = _mm_cvtsi32_si128(s), dn = _mm_cvtsi32_si128(64 - s);
      __m128i prev = _mm_setzero_si128(), cur = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o));
      for (size_t k = 0; k < m_words; k += 2) {
        const __m128i next = k + 2 < m_words ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + k + 2))
                                             : _mm_setzero_si128();
        const __m128i below = _mm_or_si128(_mm_srli_si128(prev, 8), _mm_slli_si128(cur, 8));
        const __m128i above = _mm_or_si128(_mm_srli_si128(cur, 8), _mm_slli_si128(next, 8));
        const __m128i upv = _mm_or_si128(_mm_sll_epi64(cur, up), _mm_srl_epi64(below, dn));  // bit x to x + s
        const __m128i downv =
            _mm_or_si128(_mm_srl_epi64(cur, up), _mm_sll_epi64(above, dn));  // bit x to x - s
        const __m128i v =
            Or ? _mm_or_si128(cur, _mm_or_si128(upv, downv)) : _mm_and_si128(cur, _mm_and_si128(upv, downv));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + k), v);
        prev = cur;
        cur = next;
      }
#else
      uint64_t prev = 0;  // the word below, as it was
      for (size_t k = 0; k < m_words; ++k) {
        const uint64_t cur = o[k], next = k + 1 < m_words ? o[k + 1] : 0;
        const uint64_t up = (cur << s) | (prev >> (64 - s));    // bit x to x + s
        const uint64_t down = (cur >> s) | (next << (64 - s));  // bit x to x - s
        o[k] = Or ? (cur | up | down) : (cur & up & down);
        prev = cur;
      }
#endif
      c += s;
    }
  }
  size_t m_r;
  int64_t m_base;
  size_t m_words;
  std::vector<Group> m_groups;  // widest first
  std::vector<uint64_t> m_ring;
  bool m_use = false;
#if defined(TAVGEO_X86_DISPATCH)
  bool m_vector = false;  // rows combined in 512-bit registers
#endif
};

// The columns a region's runs span: [first x0, last x1) over its rows.
std::pair<int64_t, int64_t> columnSpan(const std::vector<TavRun>& runs, const std::vector<RowSpan>& rows) {
  int64_t x0 = std::numeric_limits<int>::max(), x1 = 0;
  for (const RowSpan& s : rows) {
    x0 = std::min<int64_t>(x0, runs[s.begin].x0);
    x1 = std::max<int64_t>(x1, runs[s.end - 1].x1);
  }
  return {x0, x1};
}

// Output row y is the union over dy of the runs of row y - dy widened by
// half[dy]. Each source row's widened runs stay sorted, so they are merged
// into the row's union one source row at a time: O(runs of the union + runs
// of the source row) per source row, no sort. The union of a row lives in a
// buffer with room for every run merged into it, written through a pointer:
// the merge is dilation's innermost step, and a capacity test per run there
// cost about a third of its time on the star and blob benchmarks.
CTavGeoRegion dilate(const CTavGeoRegion& a, const std::vector<int>& half) {
  const int r = static_cast<int>(half.size() / 2);
  const std::vector<TavRun>& runs = a.runs();
  std::vector<RowSpan> rows = rowSpans(runs);
  if (rows.empty() || r == 0) return a;
  const int64_t yFirst = std::max<int64_t>(int64_t{rows.front().y} - r, 0);
  const int64_t yLast = std::min<int64_t>(int64_t{rows.back().y} + r, a.height() - 1);
  const int64_t width = a.width();
  const int hMax = *std::max_element(half.begin(), half.end());
  const std::pair<int64_t, int64_t> span = columnSpan(runs, rows);
  BitMorphology bits(rows, runs.size(), std::max<int64_t>(span.first - hMax, 0),
                     std::min<int64_t>(span.second + hMax, width), half);
  std::vector<TavRun> out;
  if (bits.use()) {
    std::vector<uint64_t> row;
    std::vector<char> present(2 * static_cast<size_t>(r) + 1, 0);  // by y modulo 2r + 1
    size_t next = 0;                                               // the next source row to paint
    int64_t live = 0;                                              // source rows painted within the window
    for (int64_t y = yFirst; y <= yLast; ++y) {
      // row y + r enters the window, row y - r - 1 leaves it
      const int64_t leave = y - r - 1;
      if (leave >= 0 && present[bits.slotOf(leave)]) {
        present[bits.slotOf(leave)] = 0;
        --live;
      }
      for (; next < rows.size() && rows[next].y <= y + r; ++next) {
        bits.paint(runs, rows[next]);
        present[bits.slotOf(rows[next].y)] = 1;
        ++live;
      }
      if (live == 0) continue;
      bits.combine(
          y, true, width, [&](size_t slot) { return present[slot] != 0; }, &row);
      bits.runsOf(row, static_cast<int>(y), &out);
    }
    return CTavGeoRegionAccess::make(a.width(), a.height(), std::move(out));
  }
  const size_t room = rowRoom(rows, r, a.width());
  std::vector<TavRun> accBuf(room), mergedBuf(room);
  size_t lo = 0;  // first source row with y >= out row - r
  for (int64_t y = yFirst; y <= yLast; ++y) {
    while (lo < rows.size() && rows[lo].y < y - r) ++lo;
    const int oy = static_cast<int>(y);
    TavRun* acc = accBuf.data();
    TavRun* accEnd = acc;
    for (size_t k = lo; k < rows.size() && rows[k].y <= y + r; ++k) {
      const int h = half[static_cast<size_t>(rows[k].y - y + r)];
      TavRun* const m = mergedBuf.data();
      TavRun* w = m;  // one past the last merged run
      int last = -1;  // the last merged run's end, kept out of memory; columns are >= 0
      // Runs come in order of x0; each joins the last one when they touch or
      // overlap. Widened runs and the union's runs are never empty.
      const auto put = [&w, &last, oy](int x0, int x1) {
        if (x0 <= last) {
          last = std::max(last, x1);
          w[-1].x1 = last;
        } else {
          *w++ = TavRun{oy, x0, x1};
          last = x1;
        }
      };
      const TavRun* i = acc;
      // Columns and half-widths are at most kRegionMaxSide, so x0 - h and
      // x1 + h fit an int.
      const TavRun* const srcEnd = runs.data() + rows[k].end;
      for (const TavRun* src = runs.data() + rows[k].begin; src < srcEnd; ++src) {
        const int x0 = std::max(src->x0 - h, 0);
        const int x1 = std::min(src->x1 + h, a.width());
        for (; i < accEnd && i->x0 <= x0; ++i) put(i->x0, i->x1);
        put(x0, x1);
      }
      for (; i < accEnd; ++i) put(i->x0, i->x1);
      accBuf.swap(mergedBuf);
      acc = accBuf.data();
      accEnd = acc + (w - m);
    }
    appendRuns(&out, acc, accEnd);
  }
  return CTavGeoRegionAccess::make(a.width(), a.height(), std::move(out));
}

// Output row y keeps x when, for every dy, row y + dy has a run covering
// [x - half[dy], x + half[dy]]: the shrunk runs of the rows are intersected,
// one row at a time. Pieces of an intersection of two rows' runs never touch
// (they lie in different runs of one row or the other), so no merging is needed.
CTavGeoRegion erode(const CTavGeoRegion& a, const std::vector<int>& half) {
  const int r = static_cast<int>(half.size() / 2);
  if (r == 0) return a;
  const std::vector<TavRun>& runs = a.runs();
  std::vector<RowSpan> rows = rowSpans(runs);
  std::vector<TavRun> out;
  if (rows.empty()) return CTavGeoRegionAccess::make(a.width(), a.height(), std::move(out));
  const std::pair<int64_t, int64_t> span = columnSpan(runs, rows);
  BitMorphology bits(rows, runs.size(), span.first, span.second, half);
  if (bits.use()) {
    std::vector<uint64_t> row;
    for (size_t k = 0; k < rows.size(); ++k) {
      bits.paint(runs, rows[k]);
      // output row rows[k - r].y once rows k - 2r .. k are consecutive
      if (k < 2 * static_cast<size_t>(r)) continue;
      const size_t c = k - static_cast<size_t>(r);
      const int y = rows[c].y;
      if (rows[k].y - rows[k - 2 * static_cast<size_t>(r)].y != 2 * r) continue;
      if (int64_t{y} - r < 0 || int64_t{y} + r >= a.height()) continue;
      bits.combine(
          y, false, a.width(), [](size_t) { return true; }, &row);
      bits.runsOf(row, y, &out);
    }
    return CTavGeoRegionAccess::make(a.width(), a.height(), std::move(out));
  }
  const size_t room = rowRoom(rows, r, a.width());
  std::vector<TavRun> accBuf(room), bothBuf(room);
  for (size_t k = 0; k < rows.size(); ++k) {
    const int y = rows[k].y;
    if (int64_t{y} - r < 0 || int64_t{y} + r >= a.height()) continue;
    // rows y - r .. y + r must all be present: rows[k - r .. k + r] consecutive
    if (k < static_cast<size_t>(r) || k + static_cast<size_t>(r) >= rows.size()) continue;
    if (rows[k - static_cast<size_t>(r)].y != y - r || rows[k + static_cast<size_t>(r)].y != y + r) continue;
    TavRun* acc = accBuf.data();
    TavRun* accEnd = acc;
    for (int dy = -r; dy <= r; ++dy) {
      const RowSpan& s = rows[k + static_cast<size_t>(static_cast<int64_t>(dy))];
      const int h = half[static_cast<size_t>(dy + r)];
      // Columns and half-widths are at most kRegionMaxSide, so x0 + h and
      // x1 - h fit an int.
      if (dy == -r) {
        for (size_t i = s.begin; i < s.end; ++i) {
          const int x0 = runs[i].x0 + h, x1 = runs[i].x1 - h;
          if (x1 > x0) *accEnd++ = TavRun{y, x0, x1};
        }
      } else {
        TavRun* const both = bothBuf.data();
        TavRun* w = both;
        const TavRun* i = acc;
        const TavRun* t = runs.data() + s.begin;
        const TavRun* const te = runs.data() + s.end;
        while (i < accEnd && t < te) {
          const int x0 = t->x0 + h, x1 = t->x1 - h;
          const int lo = std::max(i->x0, x0), hi = std::min(i->x1, x1);
          if (lo < hi) *w++ = TavRun{y, lo, hi};
          if (i->x1 < x1) {
            ++i;
          } else {
            ++t;
          }
        }
        accBuf.swap(bothBuf);
        acc = accBuf.data();
        accEnd = acc + (w - both);
      }
      if (acc == accEnd) break;
    }
    appendRuns(&out, acc, accEnd);
  }
  return CTavGeoRegionAccess::make(a.width(), a.height(), std::move(out));
}

// Erosion keeps a pixel only when the element's ends (dx = +-r, dy = +-r), all
// in both elements, stay on the canvas: never when 2r + 1 exceeds a side.
bool erodesAll(int r, int width, int height) { return 2 * int64_t{r} + 1 > std::min(width, height); }

// Large elements. Dilation and erosion above cost about the runs times the
// rows of the element they meet (2r + 1, at most the canvas's height), which
// for a tall, thin region and a large radius is millions of times the runs.
// Two ways round it, each exact, taken when the estimate below says they are
// cheaper:
// - Both elements are symmetric in x and y, so the region's transpose can be
//   dilated and transposed back: a 1-column region becomes one row.
// - A square is a horizontal segment stacked by a vertical one: dilation
//   (erosion) by it is a dilation (erosion) of every row's runs by r, then of
//   every column's runs, the columns' taken as the transpose's rows. That
//   costs the runs of the rows and of the columns, whatever r is. Columns
//   left out of the canvas by the first stay out, so clipping once is enough.

// Each row's runs widened by h each way (clipped to the canvas and merged
// where they come to touch), or shrunk by h (runs left empty dropped; outside
// the canvas is outside the region). Never more runs than the region has.
std::vector<TavRun> widenRows(const std::vector<TavRun>& runs, int width, int h) {
  std::vector<TavRun> out;
  out.reserve(runs.size());
  for (const TavRun& r : runs) {
    const int x0 = static_cast<int>(std::max<int64_t>(int64_t{r.x0} - h, 0));
    append(&out, r.y, x0, static_cast<int>(std::min<int64_t>(int64_t{r.x1} + h, width)));
  }
  return out;
}
std::vector<TavRun> shrinkRows(const std::vector<TavRun>& runs, int h) {
  std::vector<TavRun> out;
  out.reserve(runs.size());
  for (const TavRun& r : runs) {
    const int64_t x0 = int64_t{r.x0} + h, x1 = int64_t{r.x1} - h;
    if (x1 > x0) out.push_back(TavRun{r.y, static_cast<int>(x0), static_cast<int>(x1)});
  }
  return out;
}

// The runs of the region's columns, counted from its rows without building
// them: one starts at each pixel whose neighbour above is outside. The count
// stops once it passes stop.
int64_t columnRunCount(const std::vector<TavRun>& runs, int64_t stop) {
  int64_t n = 0;
  const TavRun* above = nullptr;  // the row above's runs, when it has any
  const TavRun* aboveEnd = nullptr;
  const TavRun* const end = runs.data() + runs.size();
  for (const TavRun* c = runs.data(); c < end && n <= stop;) {
    const int y = c->y;
    const TavRun* rowEnd = c;
    while (rowEnd < end && rowEnd->y == y) ++rowEnd;
    const bool adjacent = above != nullptr && above->y == y - 1;
    const TavRun* o = above;
    for (const TavRun* t = c; t < rowEnd; ++t) {
      n += t->x1 - t->x0;
      if (!adjacent) continue;
      while (o < aboveEnd && o->x1 <= t->x0) ++o;
      for (const TavRun* q = o; q < aboveEnd && q->x0 < t->x1; ++q)
        n -= std::min(q->x1, t->x1) - std::max(q->x0, t->x0);
    }
    above = c;
    aboveEnd = rowEnd;
    c = rowEnd;
  }
  return n;
}

// The cost of dilating (eroding) runs rows first by an element of radius r
// on a canvas height rows tall, in steps of the run merge.
double rowsFirstCost(size_t runs, int r, int height) {
  return static_cast<double>(runs) * static_cast<double>(std::min<int64_t>(2 * int64_t{r} + 1, height));
}

// Whether dilate (erode) would take the rows of bits for a, whose steps cost
// a fraction of the merge's, told without a pass over the runs: the rows and
// columns it spans are taken as those between its first and last run and
// the canvas's width, about right for the regions that take the bits, which
// have many runs on most rows. (Only the number of rows is read, at most the
// runs; the ring is built when taken, no larger than dilate's own. A flag to
// skip it made the compiler lay out dilate's merge loop 10 % slower.)
bool takesBits(const CTavGeoRegion& a, const std::vector<int>& half) {
  const std::vector<TavRun>& runs = a.runs();
  if (runs.empty()) return false;
  const size_t spanned = static_cast<size_t>(runs.back().y - runs.front().y) + 1;
  const std::vector<RowSpan> rows(std::min(spanned, runs.size()));
  return BitMorphology(rows, runs.size(), 0, a.width(), half).use();
}

// How many times fewer steps the other ways must take, measured against the
// merge's steps and against those of the rows of bits: a transpose's step
// (its sweep, the sort of its runs, the region it builds) costs about as
// much as four of the merge's and 20 to 40 of the bits'. And as the
// estimates cost passes over the runs, they are made only for elements of
// at least four times that many rows: the other ways cost a step for each
// run of the rows and three for each run of the columns, which in the
// regions measured were 0.2 to 1.5 times as many as the rows' (a disk, a
// star, blobs and rings at 1024^2 and 4096^2, radii 8 to 80).
constexpr double kGainOverMerge = 8, kGainOverBits = 40;
// Steps for each column or row of the canvas (a transpose's tables).
constexpr double kLineStep = 0.125;

// The gain the other ways must reach for a, or 0 when the element is too
// short to try.
double gainNeeded(const CTavGeoRegion& a, const std::vector<int>& half) {
  const double rows = static_cast<double>(half.size());
  if (rows < 4 * kGainOverMerge) return 0;
  const double gain = takesBits(a, half) ? kGainOverBits : kGainOverMerge;
  return rows < 4 * gain ? 0 : gain;
}

// Dilation or erosion by the square of radius r, the rows' runs first and
// then the columns', into result when that is cheaper (returns whether).
bool separableSquare(const CTavGeoRegion& a, int r, bool dilation, double gain, CTavGeoRegion* result) {
  if (gain == 0) return false;
  const double direct = rowsFirstCost(a.runs().size(), r, a.height());
  std::vector<TavRun> rows = dilation ? widenRows(a.runs(), a.width(), r) : shrinkRows(a.runs(), r);
  const double budget = direct / gain - static_cast<double>(rows.size()) -
                        kLineStep * (static_cast<double>(a.width()) + a.height());
  if (budget <= 0) return false;
  // each column run built, widened (shrunk) and built back as runs of rows
  const int64_t columns = columnRunCount(rows, static_cast<int64_t>(budget / 3));
  if (3 * static_cast<double>(columns) > budget || columns > kRegionMaxRuns) return false;
  std::vector<TavRun> t = transposeRuns(rows, a.width(), "region: the columns");
  t = dilation ? widenRows(t, a.height(), r) : shrinkRows(t, r);
  *result = CTavGeoRegionAccess::make(a.width(), a.height(), transposeRuns(t, a.height(), "region: result"));
  return true;
}

// Dilation by a symmetric element: of the transpose, transposed back, when
// its columns are cheaper to work on than its rows.
CTavGeoRegion dilateEitherWay(const CTavGeoRegion& a, const std::vector<int>& half, double gain) {
  const int r = static_cast<int>(half.size() / 2);
  if (gain == 0) return dilate(a, half);
  const double budget = rowsFirstCost(a.runs().size(), r, a.height()) / gain -
                        kLineStep * (static_cast<double>(a.width()) + a.height());
  // each column run built, merged against the element's rows it meets (at
  // most the canvas's width) and built back
  const double perColumn = 3 + rowsFirstCost(1, r, a.width());
  if (budget <= 0) return dilate(a, half);
  const int64_t count = columnRunCount(a.runs(), static_cast<int64_t>(budget / perColumn));
  if (perColumn * static_cast<double>(count) > budget || count > kRegionMaxRuns) return dilate(a, half);
  std::vector<TavRun> columns = transposeRuns(a.runs(), a.width(), "region: the columns");
  const CTavGeoRegion t = CTavGeoRegionAccess::make(a.height(), a.width(), std::move(columns));
  const CTavGeoRegion d = dilate(t, half);
  return CTavGeoRegionAccess::make(a.width(), a.height(),
                                   transposeRuns(d.runs(), a.height(), "region: result"));
}

}  // namespace

CTavGeoRegion CTavGeoRegion::dilateSquare(int r) const {
  checkRadius(r, "dilate");
  // From any pixel, a square reaching max(width, height) - 1 covers the canvas.
  if (int64_t{r} + 1 >= std::max(m_width, m_height)) return empty() ? *this : full(m_width, m_height);
  const std::vector<int> half = squareElement(r);
  const double gain = gainNeeded(*this, half);
  CTavGeoRegion out;
  if (separableSquare(*this, r, true, gain, &out)) return out;
  return dilateEitherWay(*this, half, gain);
}
CTavGeoRegion CTavGeoRegion::erodeSquare(int r) const {
  checkRadius(r, "erode");
  if (erodesAll(r, m_width, m_height)) return CTavGeoRegion(m_width, m_height);
  const std::vector<int> half = squareElement(r);
  CTavGeoRegion out;
  if (separableSquare(*this, r, false, gainNeeded(*this, half), &out)) return out;
  return erode(*this, half);
}
CTavGeoRegion CTavGeoRegion::dilateDisk(int r) const {
  checkRadius(r, "dilate");
  // From any pixel, a disk reaching the canvas's diagonal covers the canvas.
  const int64_t dx = std::max(m_width - 1, 0), dy = std::max(m_height - 1, 0);
  if (int64_t{r} * r >= dx * dx + dy * dy) return empty() ? *this : full(m_width, m_height);
  const std::vector<int> half = diskElement(r);
  return dilateEitherWay(*this, half, gainNeeded(*this, half));
}
CTavGeoRegion CTavGeoRegion::erodeDisk(int r) const {
  checkRadius(r, "erode");
  if (erodesAll(r, m_width, m_height)) return CTavGeoRegion(m_width, m_height);
  return erode(*this, diskElement(r));
}

// Closing and opening erode with the outside of the canvas counted as inside:
// p stays when no pixel of the complement lies within the element of p, that
// is, outside the complement's dilation (the elements are symmetric). The
// complements count against kRegionMaxRuns as any result does, and hold up to
// one run a row more than the region: radius 0 gives the region itself
// without them.
CTavGeoRegion CTavGeoRegion::closingSquare(int r) const {
  checkRadius(r, "closing");
  if (r == 0) return *this;
  return dilateSquare(r).complement().dilateSquare(r).complement();
}
CTavGeoRegion CTavGeoRegion::closingDisk(int r) const {
  checkRadius(r, "closing");
  if (r == 0) return *this;
  return dilateDisk(r).complement().dilateDisk(r).complement();
}
CTavGeoRegion CTavGeoRegion::openingSquare(int r) const {
  checkRadius(r, "opening");
  if (r == 0) return *this;
  return complement().dilateSquare(r).complement().dilateSquare(r);
}
CTavGeoRegion CTavGeoRegion::openingDisk(int r) const {
  checkRadius(r, "opening");
  if (r == 0) return *this;
  return complement().dilateDisk(r).complement().dilateDisk(r);
}

// ------------------------------------------------------------ components

namespace {

int findRoot(std::vector<int>& parent, int i) {
  while (parent[static_cast<size_t>(i)] != i) {
    parent[static_cast<size_t>(i)] = parent[static_cast<size_t>(parent[static_cast<size_t>(i)])];
    i = parent[static_cast<size_t>(i)];
  }
  return i;
}

void unite(std::vector<int>& parent, int a, int b) {
  a = findRoot(parent, a);
  b = findRoot(parent, b);
  if (a == b) return;
  if (a < b)
    parent[static_cast<size_t>(b)] = a;
  else
    parent[static_cast<size_t>(a)] = b;
}

// Joins the runs of each connected part in a union-find forest, each root the
// part's first run.
std::vector<int> joinRuns(const std::vector<TavRun>& runs, int connectivity) {
  std::vector<int> parent(runs.size());
  std::iota(parent.begin(), parent.end(), 0);
  const int slack = connectivity == 8 ? 1 : 0;
  std::vector<RowSpan> rows = rowSpans(runs);
  for (size_t k = 1; k < rows.size(); ++k) {
    if (rows[k].y != rows[k - 1].y + 1) continue;
    size_t i = rows[k - 1].begin, j = rows[k].begin;
    while (i < rows[k - 1].end && j < rows[k].end) {
      const TavRun& p = runs[i];
      const TavRun& q = runs[j];
      if (p.x0 < q.x1 + slack && q.x0 < p.x1 + slack) {
        // At its first overlap run j is still alone: no run of its own row
        // is joined to it, and every parent has a smaller index than its
        // child, so no earlier run hangs below it. It is hung below i, with
        // no search (each tree's root stays its first run).
        int& pj = parent[j];
        if (pj == static_cast<int>(j))
          pj = static_cast<int>(i);
        else
          unite(parent, static_cast<int>(i), static_cast<int>(j));
      }
      if (p.x1 < q.x1)
        ++i;
      else
        ++j;
    }
  }
  return parent;
}

void checkConnectivity(int connectivity) {
  if (connectivity != 4 && connectivity != 8)
    fail("region components: connectivity must be 4 or 8, not " + std::to_string(connectivity));
}

// Labels runs by connected part; returns the number of parts. Labels are
// numbered by each part's first run (runs are in row-major order).
int labelRuns(const std::vector<TavRun>& runs, int connectivity, std::vector<int>* label) {
  // Every run's parent comes before it, so in list order a run's parent
  // already holds the label of their common root: one pass, no search.
  const std::vector<int> parent = joinRuns(runs, connectivity);
  label->resize(runs.size());
  int count = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    const size_t up = static_cast<size_t>(parent[i]);
    (*label)[i] = up == i ? count++ : (*label)[up];
  }
  return count;
}

}  // namespace

std::vector<CTavGeoRegion> CTavGeoRegion::components(int connectivity) const {
  checkConnectivity(connectivity);
  std::vector<int> label;
  const int count = labelRuns(m_runs, connectivity, &label);
  // Each part's runs are counted first, so that its list is allocated once at
  // its size (a mask of noise has a part for every one or two runs); the
  // parts are copies of one empty region on this canvas, filled in place.
  std::vector<size_t> size(static_cast<size_t>(count), 0);
  for (const int l : label) ++size[static_cast<size_t>(l)];
  std::vector<CTavGeoRegion> out(size.size(), CTavGeoRegionAccess::make(m_width, m_height, {}));
  for (size_t k = 0; k < out.size(); ++k) CTavGeoRegionAccess::runsOf(out[k]).reserve(size[k]);
  for (size_t i = 0; i < m_runs.size(); ++i)
    CTavGeoRegionAccess::runsOf(out[static_cast<size_t>(label[i])]).push_back(m_runs[i]);
  return out;
}

namespace {

// Each part's exact moment sums and box, gathered in one pass over the
// labelled runs (a part's sums and box side by side, so that a run touches one
// place), then its statistics, each entry written once.
template <class Sums>
std::vector<TavRegionPartStats> partStats(const std::vector<TavRun>& runs, const std::vector<int>& label,
                                          size_t count) {
  struct Part {
    Sums sums;
    // The first column and row, and the last column and row plus one; a
    // part's first run holds its first row.
    int x0 = std::numeric_limits<int>::max(), y0 = -1, x1 = 0, y1 = 0;
  };
  std::vector<Part> part(count);
  for (size_t i = 0; i < runs.size(); ++i) {
    const TavRun& r = runs[i];
    Part& p = part[static_cast<size_t>(label[i])];
    p.sums.add(r);
    if (p.y0 < 0) p.y0 = r.y;
    p.x0 = std::min(p.x0, r.x0);
    p.x1 = std::max(p.x1, r.x1);
    p.y1 = r.y + 1;
  }
  std::vector<TavRegionPartStats> out;  // reserved: a list made at its size would be zeroed first
  out.reserve(count);
  for (const Part& p : part) {
    const MomentSums s = p.sums.sums();
    out.push_back(TavRegionPartStats{s.a, TavRegionBox{p.x0, p.y0, p.x1 - p.x0, p.y1 - p.y0},
                                     centroidOf(s.a, s.sx, s.sy), momentsOf(s)});
  }
  return out;
}

}  // namespace

// The sums are exact integers, so each part's values are those its own
// region gives.
std::vector<TavRegionPartStats> CTavGeoRegion::componentStats(int connectivity) const {
  checkConnectivity(connectivity);
  std::vector<int> label;
  const size_t count = static_cast<size_t>(labelRuns(m_runs, connectivity, &label));
  return narrowCanvas(m_width, m_height) ? partStats<NarrowSums>(m_runs, label, count)
                                         : partStats<WideSums>(m_runs, label, count);
}

int CTavGeoRegion::componentCount(int connectivity) const {
  checkConnectivity(connectivity);
  const std::vector<int> parent = joinRuns(m_runs, connectivity);
  int count = 0;
  for (size_t i = 0; i < parent.size(); ++i) count += parent[i] == static_cast<int>(i);
  return count;
}

int CTavGeoRegion::labelImage(int32_t* data, ptrdiff_t stride, int connectivity) const {
  checkConnectivity(connectivity);
  if (stride < m_width)
    fail("region labels: stride " + std::to_string(stride) + " below width " + std::to_string(m_width));
  std::vector<int> label;
  const int count = labelRuns(m_runs, connectivity, &label);
  if (m_width == 0 || m_height == 0) return count;
  if (data == nullptr) fail("region labels: null data for a non-empty canvas");
  for (int y = 0; y < m_height; ++y) std::fill_n(data + static_cast<ptrdiff_t>(y) * stride, m_width, 0);
  for (size_t i = 0; i < m_runs.size(); ++i) {
    const TavRun& r = m_runs[i];
    std::fill(data + static_cast<ptrdiff_t>(r.y) * stride + r.x0,
              data + static_cast<ptrdiff_t>(r.y) * stride + r.x1, label[i] + 1);
  }
  return count;
}

// Each part's area is summed over its runs' labels; the runs of the parts kept
// are a subset of a sorted list that no runs touch in, and so one too.
CTavGeoRegion CTavGeoRegion::removeSmallParts(int64_t minArea, int connectivity) const {
  checkConnectivity(connectivity);
  if (minArea <= 1 || m_runs.empty()) return *this;
  std::vector<int> label;
  std::vector<int64_t> area(static_cast<size_t>(labelRuns(m_runs, connectivity, &label)), 0);
  for (size_t i = 0; i < m_runs.size(); ++i)
    area[static_cast<size_t>(label[i])] += m_runs[i].x1 - m_runs[i].x0;
  const auto keep = [&](size_t i) { return area[static_cast<size_t>(label[i])] >= minArea; };
  size_t n = 0;
  for (size_t i = 0; i < m_runs.size(); ++i) n += keep(i);
  std::vector<TavRun> kept;
  kept.reserve(n);  // no spare room
  for (size_t i = 0; i < m_runs.size(); ++i)
    if (keep(i)) kept.push_back(m_runs[i]);
  return CTavGeoRegionAccess::make(m_width, m_height, std::move(kept));
}

CTavGeoRegion CTavGeoRegion::fillHoles() const {
  const CTavGeoRegion back = complement();
  const std::vector<TavRun>& runs = back.m_runs;
  std::vector<int> label;
  const int count = labelRuns(runs, 4, &label);
  std::vector<char> outer(static_cast<size_t>(count), 0);
  for (size_t i = 0; i < runs.size(); ++i) {
    const TavRun& r = runs[i];
    if (r.y == 0 || r.y == m_height - 1 || r.x0 == 0 || r.x1 == m_width)
      outer[static_cast<size_t>(label[i])] = 1;
  }
  std::vector<TavRun> holes;
  for (size_t i = 0; i < runs.size(); ++i)
    if (!outer[static_cast<size_t>(label[i])]) holes.push_back(runs[i]);
  return *this | CTavGeoRegionAccess::make(m_width, m_height, std::move(holes));
}

}  // namespace NTavGeometry
