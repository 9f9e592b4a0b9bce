#include "reference/rle_reference.h"

#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRleCalc.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <deque>

namespace tavref {

using NTavGeometry::kRleMaxRadius;
using NTavGeometry::kRleMaxRows;

namespace {

int truncInt(double v) {  // defined truncation, saturating, NaN -> 0
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}

std::vector<int> emptyList(int width, int height, TavRect* box) {
  *box = TavRect();
  return {width, height, 0, 0, 0, 0, -1};
}

// Radius and centre as the calculators read them; false for the inputs that
// give an empty list.
bool readCircle(const TavPoint& c, const TavPoint& rim, int* r) {
  const double d = NTavGeometry::pointPointDist(c, rim);
  if (std::isnan(d) || d >= kRleMaxRadius + 1.0) return false;
  *r = static_cast<int>(d);
  return true;
}

bool readCentre(const TavPoint& c, int r, int* cx, int* cy) {
  if (!std::isfinite(c.x) || !std::isfinite(c.y)) return false;
  if (c.x <= -2147483649.0 || c.x >= 2147483648.0 || c.y <= -2147483649.0 || c.y >= 2147483648.0)
    return false;
  *cx = static_cast<int>(c.x);
  *cy = static_cast<int>(c.y);
  return int64_t{*cx} - r >= INT_MIN && int64_t{*cx} + r <= INT_MAX && int64_t{*cy} - r >= INT_MIN &&
         int64_t{*cy} + r <= INT_MAX;
}

double halfChord(int r, int dy) {
  return std::sqrt(static_cast<double>(int64_t{r} * r) - static_cast<double>(int64_t{dy} * dy));
}

void header(std::vector<int>* l, int width, int height, int x0, int x1, int y0, int y1) {
  *l = {width, height, x0, x1, y0, y1};
}

}  // namespace

std::vector<int> rleDisk(int width, int height, const TavPoint* p, int count, TavRect* box) {
  int r = 0, cx = 0, cy = 0;
  if (p == nullptr || count < 2 || !readCircle(p[0], p[1], &r) || !readCentre(p[0], r, &cx, &cy))
    return emptyList(width, height, box);
  std::vector<int> l;
  header(&l, width, height, cx - r, cx + r, cy - r, cy + r);
  for (int dy = -r; dy <= r; ++dy) {
    const double h = halfChord(r, dy);
    l.push_back(cy + dy);
    l.push_back(static_cast<int>(static_cast<double>(cx) - h + 0.5));
    l.push_back(static_cast<int>(2 * h + 0.5));
    l.push_back(-1);
  }
  l.push_back(-1);
  *box = TavRect(cx - r, cy - r, 2 * r + 1, 2 * r + 1, 0);
  return l;
}

std::vector<int> rleTorus(int width, int height, const TavPoint* p, int count, TavRect* box) {
  int r1 = 0, r2 = 0, cx = 0, cy = 0;
  if (p == nullptr || count < 3 || !readCircle(p[0], p[1], &r1) || !readCircle(p[0], p[2], &r2))
    return emptyList(width, height, box);
  const int outer = r1 < r2 ? r2 : r1;
  const int inner = r1 < r2 ? r1 : r2;
  if (!readCentre(p[0], outer, &cx, &cy)) return emptyList(width, height, box);
  std::vector<int> l;
  header(&l, width, height, cx - outer, cx + outer, cy - outer, cy + outer);
  for (int dy = -outer; dy <= outer; ++dy) {
    const double ho = halfChord(outer, dy);
    l.push_back(cy + dy);
    if (std::abs(dy) <= inner) {
      const double hi = halfChord(inner, dy);
      const int extent = static_cast<int>(ho - hi + 0.5);
      l.push_back(static_cast<int>(cx - ho + 0.5));
      l.push_back(extent);
      l.push_back(static_cast<int>(cx + 0.5 + hi));
      l.push_back(extent);
    } else {
      l.push_back(static_cast<int>(cx - ho + 0.5));
      l.push_back(static_cast<int>(2 * ho + 0.5));
    }
    l.push_back(-1);
  }
  l.push_back(-1);
  *box = TavRect(cx - outer, cy - outer, 2 * outer + 1, 2 * outer + 1, 0);
  return l;
}

namespace {

struct Edge {
  float xIntersect = 0;
  float dxPerScan = 0;
  int yEnd = 0;
  Edge* next = nullptr;
};

struct PolygonScan {
  std::deque<Edge> records;  // every record ever handed out, never reused
  std::vector<Edge*> table;

  Edge* fresh() {
    records.emplace_back();
    return &records.back();
  }

  void insert(int row, Edge* e) {
    Edge*& head = table[static_cast<size_t>(row)];
    if (head == nullptr) {
      head = e;
    } else if (e->xIntersect < head->xIntersect) {
      e->next = head;
      head = e;
    } else {
      Edge* q = head;
      while (q->next != nullptr && q->next->xIntersect <= e->xIntersect) q = q->next;
      e->next = q->next;
      q->next = e;
    }
  }

  void makeEdge(const TavPoint& p1, const TavPoint& p2) {
    if (p2.y == p1.y) return;
    const TavPoint* up = &p1;
    const TavPoint* lo = &p2;
    if (truncInt(p1.y) > truncInt(p2.y)) {
      up = &p2;
      lo = &p1;
    }
    const int x0 = truncInt(up->x), y0 = truncInt(up->y);
    const int x1 = truncInt(lo->x), y1 = truncInt(lo->y);
    if (y0 == y1) return;  // horizontal at pixel level
    const double dx = static_cast<double>(int64_t{x1} - x0) / static_cast<double>(int64_t{y1} - y0);
    Edge* e = fresh();
    e->dxPerScan = static_cast<float>(dx);
    e->yEnd = y1;
    e->xIntersect = static_cast<float>(x0);
    int row = y0;
    if (y0 < 0) {  // clipped: enters at row 0
      if (y1 <= 0) return;
      row = 0;
      e->xIntersect = static_cast<float>(x0 + dx * (0.0 - y0));
    }
    if (row < static_cast<int>(table.size())) insert(row, e);
  }
};

}  // namespace

std::vector<int> rlePolygon(int width, int height, const TavPoint* p, int count, TavRect* box) {
  if (p == nullptr || count < 0) count = 0;
  for (int i = 0; i < count; ++i) {
    if (std::isnan(p[i].x) || std::isnan(p[i].y)) count = 0;  // no defined outline
  }
  std::vector<int> l = {width, height, 0, 0, 0, 0};
  PolygonScan s;
  const int rows = height <= 0 ? 0 : (height < kRleMaxRows ? height : kRleMaxRows);
  s.table.assign(static_cast<size_t>(rows), nullptr);
  if (count > 0) {
    for (int i = 0; i + 1 < count; ++i) s.makeEdge(p[i], p[i + 1]);
    s.makeEdge(p[count - 1], p[0]);
  }
  for (int scan = 0; scan < rows; ++scan) {
    if (scan > 0) {
      for (Edge* e = s.table[static_cast<size_t>(scan - 1)]; e != nullptr; e = e->next) {
        if (e->yEnd > scan) {
          Edge* c = s.fresh();
          c->dxPerScan = e->dxPerScan;
          c->xIntersect = e->xIntersect + e->dxPerScan;
          c->yEnd = e->yEnd;
          s.insert(scan, c);
        }
      }
      s.table[static_cast<size_t>(scan - 1)] = nullptr;
    }
    Edge* e = s.table[static_cast<size_t>(scan)];
    if (e == nullptr || e->next == nullptr) continue;  // no pair on this row
    l.push_back(scan);
    while (e != nullptr && e->next != nullptr) {
      const double a = e->xIntersect, b = e->next->xIntersect;
      l.push_back(truncInt(a + 0.5));
      l.push_back(truncInt(b - a + 0.5));
      e = e->next->next;
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
