// Ranking of points by distance for the consensus line fit. Header-only so that
// the tests can hold it against the plain selection sort directly. Not
// installed.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace NTavGeometry {
namespace detail {

// Working storage of selectionSortOrder, kept between calls to save allocations.
struct RankScratch {
  std::vector<uint32_t> slot;                      // positions whose distance is not NaN
  std::vector<std::pair<double, uint32_t>> keyed;  // (distance, compressed index), sorted
  std::vector<uint32_t> at;                        // at[p]: element standing at position p
  std::vector<uint32_t> pos;                       // pos[e]: position of element e
  std::vector<uint32_t> group;                     // positions of one run of equal distances
};

// order[i] = the index that a selection sort of the distances leaves at
// position i, where the sort fills each position in turn with the first
// smallest distance at or after it, swapping it with the occupant (so equal
// distances do not keep their input order). Runs in O(n log n).
//
// Why this is the same permutation: while the sort places the elements of
// distance v, every other element of distance v stays where it is (a swap
// only moves the occupant of the position being filled, and that occupant
// has a larger distance, or it is the chosen element itself). So the
// elements of distance v are placed in the order of the positions they
// hold when their turn begins, and replaying those swaps gives the exact
// displacement of the others. NaN compares smaller than nothing, so a NaN
// never moves and the sort runs on the other positions as if the NaNs were
// absent.
inline void selectionSortOrder(const double* dist, uint32_t n, uint32_t* order, RankScratch& s) {
  s.slot.clear();
  for (uint32_t i = 0; i < n; ++i) {
    if (dist[i] == dist[i]) {
      s.slot.push_back(i);
    } else {
      order[i] = i;
    }
  }
  const uint32_t t = static_cast<uint32_t>(s.slot.size());
  s.keyed.resize(t);
  s.at.resize(t);
  s.pos.resize(t);
  for (uint32_t c = 0; c < t; ++c) {
    s.keyed[c] = std::make_pair(dist[s.slot[c]], c);
    s.at[c] = c;
    s.pos[c] = c;
  }
  std::sort(s.keyed.begin(), s.keyed.end(),
            [](const std::pair<double, uint32_t>& a, const std::pair<double, uint32_t>& b) {
              return a.first < b.first || (!(b.first < a.first) && a.second < b.second);
            });
  auto place = [&s](uint32_t p, uint32_t q) {  // fill position p from position q
    if (q == p) return;
    const uint32_t chosen = s.at[q];
    const uint32_t occupant = s.at[p];
    s.at[p] = chosen;
    s.pos[chosen] = p;
    s.at[q] = occupant;
    s.pos[occupant] = q;
  };
  uint32_t p = 0;
  for (uint32_t g = 0; g < t;) {
    uint32_t h = g + 1;
    while (h < t && !(s.keyed[g].first < s.keyed[h].first)) ++h;
    if (h - g == 1) {
      place(p, s.pos[s.keyed[g].second]);
      ++p;
    } else {
      s.group.clear();
      for (uint32_t e = g; e < h; ++e) s.group.push_back(s.pos[s.keyed[e].second]);
      std::sort(s.group.begin(), s.group.end());
      for (uint32_t q : s.group) {
        place(p, q);
        ++p;
      }
    }
    g = h;
  }
  for (uint32_t c = 0; c < t; ++c) order[s.slot[c]] = s.slot[s.at[c]];
}

// Sorts v[0 .. m-1] ascending when every value is >= +0.0 or +inf (no NaN, no
// -0.0): the bit patterns of such doubles, read as unsigned integers, are in
// the same order as the values, and equal values have equal patterns, so a
// radix sort on the patterns leaves exactly what std::sort leaves. Eight
// passes of one byte, passes whose byte is the same for all values skipped;
// no comparisons, so no mispredicted branches.
inline void sortNonNegative(double* v, uint32_t m, std::vector<uint64_t>& a, std::vector<uint64_t>& b) {
  if (m < 2) return;
  a.resize(m);
  b.resize(m);
  uint32_t count[8][256] = {};
  for (uint32_t i = 0; i < m; ++i) {
    uint64_t bits;
    std::memcpy(&bits, &v[i], sizeof bits);
    a[i] = bits;
    for (int d = 0; d < 8; ++d) ++count[d][(bits >> (8 * d)) & 0xFF];
  }
  uint64_t* src = a.data();
  uint64_t* dst = b.data();
  for (int d = 0; d < 8; ++d) {
    uint32_t* c = count[d];
    if (c[(src[0] >> (8 * d)) & 0xFF] == m) continue;  // one byte value only
    uint32_t sum = 0;
    for (int i = 0; i < 256; ++i) {
      const uint32_t t = c[i];
      c[i] = sum;
      sum += t;
    }
    for (uint32_t i = 0; i < m; ++i) dst[c[(src[i] >> (8 * d)) & 0xFF]++] = src[i];
    std::swap(src, dst);
  }
  for (uint32_t i = 0; i < m; ++i) std::memcpy(&v[i], &src[i], sizeof src[i]);
}

// Pruning of candidates. A score is the sum of the m smallest of n distances
// (all >= 0 or +inf, none NaN) added in ascending order. Any summation order of
// j terms >= 0 lies within (j - 1) ulps, relatively, of the exact sum, so a
// figure computed in another order still bounds the score once a margin of
// 4 ulps per term (and for the rounding of the test itself) is taken off.
// Figures outside the normal range are never used.

// True when anyOrder, the m smallest distances summed in some order, proves
// that their ascending sum is not below best.
inline bool keptSumCannotBeat(double anyOrder, uint32_t m, double best) {
  const double slack = 1.0 - 4.0 * (static_cast<double>(m) + 2.0) * (DBL_EPSILON / 2.0);
  return anyOrder >= 1e-280 && anyOrder <= DBL_MAX && anyOrder * slack > best;
}

// True when capped, the sum in some order of min(d, cap) over all n distances,
// proves that the ascending sum of the n - k smallest is not below best. For
// any cap >= 0 the exact sum of the n - k smallest is at least
// sum(min(d, cap)) - k * cap, since each of the k others adds at most cap.
inline bool cappedSumCannotBeat(double capped, uint32_t n, uint32_t k, double cap, double best) {
  const double u = DBL_EPSILON / 2.0;
  const double slackAll = 1.0 - 4.0 * (static_cast<double>(n) + 2.0) * u;
  const double slackKept = 1.0 - 4.0 * (static_cast<double>(n - k) + 2.0) * u;
  // The k * cap term is rounded up, with an absolute guard for the subnormal range.
  const double lower =
      (capped * slackAll - (static_cast<double>(k) * cap * (1.0 + 4.0 * u) + 1e-300)) * slackKept;
  return lower >= 1e-280 && lower <= DBL_MAX && lower > best;
}

}  // namespace detail
}  // namespace NTavGeometry
