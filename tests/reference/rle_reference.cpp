#include "reference/rle_reference.h"

#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRleCalc.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace tavref {

namespace {

int truncInt(double v) {  // defined truncation, saturating, NaN -> 0
  if (!(v == v)) return 0;
  return v >= 2147483647.0 ? INT_MAX : v <= -2147483648.0 ? INT_MIN : static_cast<int>(v);
}

std::vector<int> emptyList(int width, int height, TavRect* box) {
  *box = TavRect();
  return {width, height, 0, 0, 0, 0, -1};
}

// Radius as the calculators read it; false for the inputs that give an empty list.
bool readCircle(const TavPoint& c, const TavPoint& rim, int* r) {
  const double d = NTavGeometry::pointPointDist(c, rim);
  if (std::isnan(d) || d >= NTavGeometry::kRleMaxRadius + 1.0) return false;
  *r = static_cast<int>(d);
  return true;
}

bool readCentre(const TavPoint& c, int r, int* cx, int* cy) {
  if (!(c.x > -2147483649.0 && c.x < 2147483648.0 && c.y > -2147483649.0 && c.y < 2147483648.0))
    return false;  // not finite, or not an int
  *cx = static_cast<int>(c.x);
  *cy = static_cast<int>(c.y);
  return int64_t{*cx} - r >= INT_MIN && int64_t{*cx} + r <= INT_MAX && int64_t{*cy} - r >= INT_MIN &&
         int64_t{*cy} + r <= INT_MAX;
}

double halfChord(int r, int dy) {
  return std::sqrt(static_cast<double>(int64_t{r} * r) - static_cast<double>(int64_t{dy} * dy));
}

// Rows of the annulus about (cx, cy) between the radii; no hole for inner < 0.
std::vector<int> rings(int width, int height, int cx, int cy, int outer, int inner, TavRect* box) {
  std::vector<int> l = {width, height, cx - outer, cx + outer, cy - outer, cy + outer};
  for (int dy = -outer; dy <= outer; ++dy) {
    const double ho = halfChord(outer, dy);
    l.insert(l.end(), {cy + dy, static_cast<int>(cx - ho + 0.5)});
    if (std::abs(dy) <= inner) {  // two runs of equal extent either side of the hole
      const double hi = halfChord(inner, dy);
      const int extent = static_cast<int>(ho - hi + 0.5);
      l.insert(l.end(), {extent, static_cast<int>(cx + 0.5 + hi), extent});
    } else {
      l.push_back(static_cast<int>(2 * ho + 0.5));
    }
    l.push_back(-1);
  }
  l.push_back(-1);
  *box = TavRect(cx - outer, cy - outer, 2 * outer + 1, 2 * outer + 1, 0);
  return l;
}

struct Edge {
  float x, dx;  // column where the edge crosses the row, change per row
  int yEnd;
};

bool byX(const Edge& a, const Edge& b) { return a.x < b.x; }

// Each row's edges sorted by x, equal x in insertion order.
void insert(std::vector<Edge>* row, const Edge& e) {
  row->insert(std::upper_bound(row->begin(), row->end(), e, byX), e);
}

void makeEdge(std::vector<std::vector<Edge>>* table, const TavPoint& p1, const TavPoint& p2) {
  const bool down = truncInt(p1.y) > truncInt(p2.y);
  const TavPoint &up = down ? p2 : p1, &lo = down ? p1 : p2;
  const int x0 = truncInt(up.x), y0 = truncInt(up.y), x1 = truncInt(lo.x), y1 = truncInt(lo.y);
  if (y0 == y1) return;  // horizontal at pixel level
  const double dx = static_cast<double>(int64_t{x1} - x0) / static_cast<double>(int64_t{y1} - y0);
  Edge e{static_cast<float>(x0), static_cast<float>(dx), y1};
  int row = y0;
  if (y0 < 0) {  // clipped: enters at row 0
    if (y1 <= 0) return;
    row = 0;
    e.x = static_cast<float>(x0 + dx * (0.0 - y0));
  }
  if (row < static_cast<int>(table->size())) insert(&(*table)[static_cast<size_t>(row)], e);
}

}  // namespace

std::vector<int> rleDisk(int width, int height, const TavPoint* p, int count, TavRect* box) {
  int r = 0, cx = 0, cy = 0;
  if (p == nullptr || count < 2 || !readCircle(p[0], p[1], &r) || !readCentre(p[0], r, &cx, &cy))
    return emptyList(width, height, box);
  return rings(width, height, cx, cy, r, -1, box);
}

std::vector<int> rleTorus(int width, int height, const TavPoint* p, int count, TavRect* box) {
  int r1 = 0, r2 = 0, cx = 0, cy = 0;
  if (p == nullptr || count < 3 || !readCircle(p[0], p[1], &r1) || !readCircle(p[0], p[2], &r2))
    return emptyList(width, height, box);
  const int outer = r1 < r2 ? r2 : r1, inner = r1 < r2 ? r1 : r2;
  if (!readCentre(p[0], outer, &cx, &cy)) return emptyList(width, height, box);
  return rings(width, height, cx, cy, outer, inner, box);
}

std::vector<int> rlePolygon(int width, int height, const TavPoint* p, int count, TavRect* box) {
  if (p == nullptr || count < 0) count = 0;
  for (int i = 0; i < count; ++i)
    if (std::isnan(p[i].x) || std::isnan(p[i].y)) count = 0;  // no defined outline
  std::vector<int> l = {width, height, 0, 0, 0, 0};
  const int rows = height <= 0 ? 0 : std::min(height, NTavGeometry::kRleMaxRows);
  std::vector<std::vector<Edge>> table(static_cast<size_t>(rows));
  for (int i = 0; i < count; ++i) makeEdge(&table, p[i], p[(i + 1) % count]);
  for (size_t scan = 0; scan < table.size(); ++scan) {
    if (scan > 0)  // the edges of the row above that go on, one row further
      for (const Edge& e : table[scan - 1])
        if (e.yEnd > static_cast<int>(scan)) insert(&table[scan], Edge{e.x + e.dx, e.dx, e.yEnd});
    const std::vector<Edge>& here = table[scan];
    if (here.size() < 2) continue;  // no pair on this row
    l.push_back(static_cast<int>(scan));
    for (size_t k = 0; k + 1 < here.size(); k += 2) {  // pairs in list order
      const double a = here[k].x, b = here[k + 1].x;
      int start = truncInt(a + 0.5), extent = truncInt(b - a + 0.5);
      // Words beyond the int range: the run keeps its last column (at most
      // INT_MAX) and starts at its first or as far left as INT_MAX reaches.
      const double first = std::trunc(a + 0.5), last = first + std::trunc(b - a + 0.5);
      if ((first < INT_MIN || last - first > INT_MAX || last > INT_MAX) && last >= 0 && first <= INT_MAX) {
        const double end = std::min(last, double{INT_MAX});
        start = static_cast<int>(std::max(first, end - INT_MAX));
        extent = static_cast<int>(end - start);
      }
      l.insert(l.end(), {start, extent});
    }
    l.push_back(-1);
  }
  NTavGeometry::pointsToBBox(p, static_cast<unsigned int>(count), box);
  l.push_back(-1);
  l[2] = truncInt(box->x + 0.5);
  l[3] = truncInt(box->x + box->width + 0.5 - 1);
  l[4] = truncInt(box->y + 0.5);
  l[5] = truncInt(box->y + box->height + 0.5 - 1);
  return l;
}

}  // namespace tavref
