#include "Rle.h"

#include <algorithm>
#include <utility>

namespace tavgeo {
namespace {

using Interval = std::pair<long long, long long>;  // first, last column (both included)

// Sorted, merged union of the runs [begin, end) of one row.
std::vector<Interval> rowUnion(const std::vector<PixelRun>& runs, std::size_t begin, std::size_t end) {
  std::vector<Interval> v;
  for (std::size_t i = begin; i < end; ++i) {
    v.emplace_back(runs[i].x, static_cast<long long>(runs[i].x) + runs[i].extent);
  }
  std::sort(v.begin(), v.end());
  std::vector<Interval> merged;
  for (const Interval& iv : v) {
    if (!merged.empty() && iv.first <= merged.back().second + 1) {
      merged.back().second = std::max(merged.back().second, iv.second);
    } else {
      merged.push_back(iv);
    }
  }
  return merged;
}

// Pixels of [a, b] not covered by the merged intervals.
long long uncovered(long long a, long long b, const std::vector<Interval>& cover) {
  long long covered = 0;
  for (const Interval& iv : cover) {
    const long long lo = std::max(a, iv.first);
    const long long hi = std::min(b, iv.second);
    if (lo <= hi) covered += hi - lo + 1;
  }
  return (b - a + 1) - covered;
}

// Intersection of two sorted lists of disjoint intervals.
std::vector<Interval> intersect(const std::vector<Interval>& a, const std::vector<Interval>& b) {
  std::vector<Interval> out;
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const long long lo = std::max(a[i].first, b[j].first);
    const long long hi = std::min(a[i].second, b[j].second);
    if (lo <= hi) out.emplace_back(lo, hi);
    if (a[i].second < b[j].second) {
      ++i;
    } else {
      ++j;
    }
  }
  return out;
}

}  // namespace

bool splitRuns(const std::vector<int>& rle, const std::vector<int>& recordRuns, std::vector<PixelRun>* runs) {
  runs->clear();
  const std::size_t n = rle.size();
  std::size_t i = 6;  // the next record's row
  for (const int count : recordRuns) {
    // the row, count runs and the record's -1, then at least the final -1
    if (count < 1 || n < i + 3 || static_cast<std::size_t>(count) > (n - 3 - i) / 2) return false;
    const int y = rle[i++];
    for (int k = 0; k < count; ++k, i += 2) runs->push_back(PixelRun{y, rle[i], rle[i + 1]});
    if (rle[i++] != -1) return false;
  }
  return n >= 7 && i == n - 1 && rle[i] == -1;
}

long long coveredPixels(const std::vector<PixelRun>& runs) {
  long long total = 0;
  std::size_t i = 0;
  while (i < runs.size()) {
    std::size_t j = i;
    while (j < runs.size() && runs[j].y == runs[i].y) ++j;
    for (const Interval& iv : rowUnion(runs, i, j)) total += iv.second - iv.first + 1;
    i = j;
  }
  return total;
}

long long perimeterBound(const std::vector<PixelRun>& runs) {
  // Records: consecutive runs of the same row (the lists hold one record per row).
  std::vector<std::pair<std::size_t, std::size_t>> records;
  std::size_t i = 0;
  while (i < runs.size()) {
    std::size_t j = i;
    while (j < runs.size() && runs[j].y == runs[i].y) ++j;
    records.emplace_back(i, j);
    i = j;
  }
  long long bound = 0;
  const std::vector<Interval> none;
  // A record only shields the rows right above and below it; a gap counts as
  // an empty neighbour, which can only raise the bound.
  auto rowOf = [&](std::size_t r) { return static_cast<long long>(runs[records[r].first].y); };
  for (std::size_t r = 0; r < records.size(); ++r) {
    const bool hasPrev = r > 0 && rowOf(r - 1) == rowOf(r) - 1;
    const bool hasNext = r + 1 < records.size() && rowOf(r + 1) == rowOf(r) + 1;
    const std::vector<Interval> prev =
        hasPrev ? rowUnion(runs, records[r - 1].first, records[r - 1].second) : none;
    const std::vector<Interval> next =
        hasNext ? rowUnion(runs, records[r + 1].first, records[r + 1].second) : none;
    // Interior pixels are outline unless both neighbours cover them.
    const std::vector<Interval> both = intersect(prev, next);
    for (std::size_t k = records[r].first; k < records[r].second; ++k) {
      const long long a = runs[k].x;
      const long long b = a + runs[k].extent;
      bound += 2 + uncovered(a, b, both);
    }
  }
  return bound;
}

std::vector<int> clipToImageQuadrant(const std::vector<int>& rle, const std::vector<PixelRun>& runs,
                                     std::vector<PixelRun>* clippedRuns) {
  std::vector<int> out(rle.begin(), rle.begin() + std::min<std::size_t>(6, rle.size()));
  out.resize(6, 0);
  out[2] = std::max(out[2], 0);
  out[4] = std::max(out[4], 0);
  clippedRuns->clear();
  std::size_t i = 0;
  while (i < runs.size()) {
    const int y = runs[i].y;
    std::size_t j = i;
    while (j < runs.size() && runs[j].y == y) ++j;
    if (y >= 0) {
      out.push_back(y);
      for (std::size_t k = i; k < j; ++k) {
        const long long last = static_cast<long long>(runs[k].x) + runs[k].extent;
        if (last < 0) continue;
        const int first = std::max(runs[k].x, 0);
        const int extent = static_cast<int>(last - first);
        out.push_back(first);
        out.push_back(extent);
        clippedRuns->push_back(PixelRun{y, first, extent});
      }
      out.push_back(-1);
    }
    i = j;
  }
  out.push_back(-1);
  return out;
}

}  // namespace tavgeo
