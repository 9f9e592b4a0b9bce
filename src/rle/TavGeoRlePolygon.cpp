// Polygon region: even-odd scan conversion with an edge table and a sorted
// array of the active edges.
//
// Every non-horizontal edge (its ends on different rows after truncation) is
// filed under the row of its upper end, clipped to row 0 when it starts above.
// Walking down the rows, the active array holds the edges of the current row
// in the order of a stable sort by x of [edges beginning on the row (sorted by
// x, ties in build order), edges carried from the row above (in that row's
// order)]. Carried edges step their x by one float addition per row; since the
// array stays nearly sorted, a stable insertion sort restores the order and a
// merge from the back adds the new edges (ties: new before carried).
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRleCalc.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "geometry/TavGeoInternal.h"
#include "rle/TavGeoRleInternal.h"

namespace NTavGeometry {

// ------------------------------------------------------------------ pool

CTavGeoRleCalcPolygon::Edge* CTavGeoRleCalcPolygon::EdgePool::take() {
  if (m_free < 1) grow(m_blockSize);
  Edge* e = m_freeStack[static_cast<size_t>(m_total - m_free)];
  --m_free;
  *e = Edge();
  return e;
}

void CTavGeoRleCalcPolygon::EdgePool::giveBack(Edge* edge) {
  m_freeStack[static_cast<size_t>(m_total - m_free - 1)] = edge;
  ++m_free;
}

void CTavGeoRleCalcPolygon::EdgePool::grow(int n) {
  if (n < 1) return;
  m_blocks.push_back(std::unique_ptr<Edge[]>(new Edge[static_cast<size_t>(n)]));
  Edge* block = m_blocks.back().get();
  m_all.reserve(m_all.size() + static_cast<size_t>(n));
  m_freeStack.reserve(m_freeStack.size() + static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    m_all.push_back(block + i);
    m_freeStack.push_back(block + i);
  }
  m_total += n;
  m_free += n;
}

void CTavGeoRleCalcPolygon::EdgePool::reserveFree(int n) {
  if (m_free >= n) return;
  const int missing = n - m_free;
  grow(missing > m_blockSize ? missing : m_blockSize);
}

void CTavGeoRleCalcPolygon::EdgePool::recycleAll() {
  m_free = m_total;
  m_freeStack = m_all;  // same size: copies without allocating
}

// ------------------------------------------------------------------ calculator

CTavGeoRleCalcPolygon::CTavGeoRleCalcPolygon() = default;

CTavGeoRleCalcPolygon::~CTavGeoRleCalcPolygon() = default;

bool CTavGeoRleCalcPolygon::calculate(int width, int height, const TavPoint* points, int count) {
  if (compareWithLastComputedCoords(width, height, points, count)) return true;
  m_lastKeyValid = false;  // until this call's key is stored
  int n = (points != nullptr && count > 0) ? count : 0;
  // A vertex with a NaN coordinate has no pixel position: the scan would take
  // it for 0 while the box skips it, so the list's rows would lie outside the
  // box. Such a polygon has no defined outline and gets the empty list.
  for (int i = 0; i < n; ++i) {
    if (std::isnan(points[i].x) || std::isnan(points[i].y)) {
      n = 0;
      break;
    }
  }

  // No edge is present on or below the row of the lowest vertex, so the scan
  // stops there (and at the image height, and at kRleMaxRows).
  int rows = 0;
  if (n > 0 && height > 0) {
    int maxRow = detail::truncToInt(points[0].y);
    for (int i = 1; i < n; ++i) {
      const int y = detail::truncToInt(points[i].y);
      if (y > maxRow) maxRow = y;
    }
    rows = height < kRleMaxRows ? height : kRleMaxRows;
    if (maxRow < rows) rows = maxRow > 0 ? maxRow : 0;
  }
  m_scanRows = rows;

  reset(width, height);
  if (n > 0) buildEdgeList(points, n);
  m_rle.reserve(5120);
  m_rle.resize(6);

  m_active.clear();
  int scan = 0;
  while (scan < m_scanRows) {
    if (m_active.empty()) {  // jump over rows without edges
      while (scan < m_scanRows && m_edgeTable[static_cast<size_t>(scan)] == nullptr) ++scan;
      if (scan >= m_scanRows) break;
    }
    updateActiveList(scan);
    processScan(scan);
    if (m_tooLong) break;
    ++scan;
  }
  if (m_tooLong) {
    m_rle.resize(6);
    m_rle.shrink_to_fit();
    m_recordRuns.clear();
  }

  pointsToBBox(points, static_cast<unsigned int>(n), &m_boundingBox);
  m_rle.push_back(-1);
  const TavRect& b = m_boundingBox;
  m_rle[2] = detail::truncToInt(b.x + 0.5);
  m_rle[3] = detail::truncToInt(b.x + b.width + 0.5 - 1);
  m_rle[4] = detail::truncToInt(b.y + 0.5);
  m_rle[5] = detail::truncToInt(b.y + b.height + 0.5 - 1);
  storeComputedCoords(width, height, points, count);
  return true;
}

void CTavGeoRleCalcPolygon::reset(int width, int height) {
  m_width = width;
  m_height = height;
  m_edgePool.recycleAll();
  m_edgeTable.assign(static_cast<size_t>(m_scanRows), nullptr);
  m_boundingBox = TavRect();
  detail::rleEmpty(&m_rle, width, height);
  m_recordRuns.clear();
  m_tooLong = false;
}

// Each row's list is sorted by x, equal x in build order: the edges are sorted
// once by (first row, x, build order) and linked in that order, which costs
// O(n log n) however many edges share a first row.
void CTavGeoRleCalcPolygon::buildEdgeList(const TavPoint* points, int count) {
  m_edgePool.reserveFree(count);
  m_pending.clear();
  for (int i = 0; i + 1 < count; ++i) makeEdgeRec(points[i], points[i + 1]);
  makeEdgeRec(points[count - 1], points[0]);
  std::sort(m_pending.begin(), m_pending.end(), [](const PendingEdge& a, const PendingEdge& b) {
    if (a.row != b.row) return a.row < b.row;
    if (a.x != b.x) return a.x < b.x;
    return a.seq < b.seq;
  });
  Edge* prev = nullptr;
  int prevRow = -1;
  for (const PendingEdge& p : m_pending) {
    if (p.row == prevRow)
      prev->next = p.edge;
    else
      m_edgeTable[static_cast<size_t>(p.row)] = p.edge;
    prev = p.edge;
    prevRow = p.row;
  }
}

// The ends are ordered by their truncated rows; ends on the same row make a
// horizontal edge. An edge that begins above row 0 enters at row 0 with its x
// computed there in double from the exact slope.
void CTavGeoRleCalcPolygon::makeEdgeRec(const TavPoint& p1, const TavPoint& p2) {
  if (p2.y == p1.y) return;
  int x0 = detail::truncToInt(p1.x), y0 = detail::truncToInt(p1.y);
  int x1 = detail::truncToInt(p2.x), y1 = detail::truncToInt(p2.y);
  if (y0 == y1) return;
  if (y0 > y1) {
    const int tx = x0, ty = y0;
    x0 = x1;
    y0 = y1;
    x1 = tx;
    y1 = ty;
  }
  if (y1 <= 0 || (y0 > 0 ? y0 : 0) >= m_scanRows) return;  // on no scanned row
  const double dx =
      static_cast<double>(static_cast<int64_t>(x1) - x0) / static_cast<double>(static_cast<int64_t>(y1) - y0);
  Edge* e = m_edgePool.take();
  e->dxPerScan = static_cast<float>(dx);
  e->yEnd = y1;
  int row = y0;
  if (y0 >= 0) {
    e->xIntersect = static_cast<float>(x0);
  } else {
    e->xIntersect =
        static_cast<float>(static_cast<double>(x0) + dx * static_cast<double>(-static_cast<int64_t>(y0)));
    row = 0;
  }
  m_pending.push_back(PendingEdge{row, e->xIntersect, static_cast<int>(m_pending.size()), e});
}

// m_active holds the edges of row scan - 1 (empty after a jump): drop those that
// end, step the others, restore the order, then merge in the row's new edges.
void CTavGeoRleCalcPolygon::updateActiveList(int scan) {
  size_t kept = 0;
  for (size_t i = 0; i < m_active.size(); ++i) {
    ActiveEdge e = m_active[i];
    if (e.yEnd > scan) {
      e.x = e.x + e.dx;
      m_active[kept++] = e;
    }
  }
  m_active.resize(kept);
  ActiveEdge* a = m_active.data();
  // A stable insertion sort: the edges are nearly in order from one row to the
  // next. Edges that cross within a row or two (a zigzag) would make it cost
  // the square of their number, so past a budget of moves the rest is left to
  // a stable sort, which gives the same order (the unique stable one) when no
  // x is NaN; with a NaN the insertion sort goes on, as its order is its own.
  size_t budget = 16 * kept + 64;
  for (size_t i = 1; i < kept; ++i) {
    if (!(a[i].x < a[i - 1].x)) continue;
    const ActiveEdge v = a[i];
    size_t j = i;
    do {
      a[j] = a[j - 1];
      --j;
    } while (j > 0 && v.x < a[j - 1].x);
    a[j] = v;
    const size_t moved = i - j;
    if (moved < budget) {
      budget -= moved;
      continue;
    }
    budget = SIZE_MAX;
    if (std::none_of(a, a + kept, [](const ActiveEdge& e) { return std::isnan(e.x); })) {
      std::stable_sort(a, a + kept, [](const ActiveEdge& l, const ActiveEdge& r) { return l.x < r.x; });
      break;
    }
  }

  Edge*& head = m_edgeTable[static_cast<size_t>(scan)];
  if (head == nullptr) return;
  m_incoming.clear();
  for (Edge* e = head; e != nullptr;) {
    m_incoming.push_back(ActiveEdge{e->xIntersect, e->dxPerScan, e->yEnd});
    Edge* next = e->next;
    m_edgePool.giveBack(e);
    e = next;
  }
  head = nullptr;
  size_t i = kept, j = m_incoming.size();
  m_active.resize(kept + j);
  a = m_active.data();
  size_t w = kept + j;
  while (j > 0) {
    if (i > 0 && !(a[i - 1].x < m_incoming[j - 1].x))
      a[--w] = a[--i];
    else
      a[--w] = m_incoming[--j];
  }
}

// Pairs the row's edges in order; an unpaired last edge is left out.
void CTavGeoRleCalcPolygon::processScan(int scan) {
  const size_t pairs = m_active.size() / 2;
  if (pairs == 0) return;
  if (m_rle.size() + 2 * pairs + 3 > kRleMaxWords) {  // the record and the final -1 would not fit
    m_tooLong = true;
    return;
  }
  // Room for the record and the final -1, grown by doubling as push_back would
  // but never past kRleMaxWords, which doubling alone overshoots by up to 25 %.
  const size_t room = m_rle.size() + 2 * pairs + 3;
  if (room > m_rle.capacity()) m_rle.reserve(std::min(std::max(room, 2 * m_rle.capacity()), kRleMaxWords));
  m_rle.push_back(scan);
  m_recordRuns.push_back(static_cast<int>(pairs));
  const ActiveEdge* a = m_active.data();
  for (size_t p = 0; p < pairs; ++p) {
    const double x1 = a[2 * p].x;
    const double x2 = a[2 * p + 1].x;
    int start = detail::truncToInt(x1 + 0.5), extent = detail::truncToInt(x2 - x1 + 0.5);
    // A start or extent beyond the int range would saturate and move the run's
    // last column (a run from 2^31 columns left of the image could end left of
    // column 0): the run keeps its last column, at most INT_MAX, and starts at
    // its first column or as far left as an extent of INT_MAX reaches.
    const double first = std::trunc(x1 + 0.5), last = first + std::trunc(x2 - x1 + 0.5);
    if (!(first >= INT_MIN && last - first <= INT_MAX && last <= INT_MAX) && last >= 0 && first <= INT_MAX) {
      const double end = std::min(last, static_cast<double>(INT_MAX));
      start = static_cast<int>(std::max(first, end - INT_MAX));
      extent = static_cast<int>(end - start);
    }
    m_rle.push_back(start);
    m_rle.push_back(extent);
  }
  m_rle.push_back(-1);
}

}  // namespace NTavGeometry
