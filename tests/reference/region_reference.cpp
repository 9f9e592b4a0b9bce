// Pixel-by-pixel region algorithms, literal and slow.
#include "reference/region_reference.h"

#include <deque>

using std::size_t;
namespace tavref {

Mask maskCombine(const Mask& a, const Mask& b, int op) {
  Mask m(a.w, a.h);
  for (size_t i = 0; i < m.px.size(); ++i) {
    const bool p = a.px[i] != 0, q = b.px[i] != 0;
    const bool v = op == 0 ? (p || q) : op == 1 ? (p && q) : op == 2 ? (p && !q) : (p != q);
    m.px[i] = v ? 1 : 0;
  }
  return m;
}

Mask maskTranslate(const Mask& a, int dx, int dy) {
  Mask m(a.w, a.h);
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) m.set(x, y, a.at(x - dx, y - dy));
  return m;
}

static bool inElement(int dx, int dy, int r, bool disk) { return disk ? dx * dx + dy * dy <= r * r : true; }

Mask maskDilate(const Mask& a, int r, bool disk) {
  Mask m(a.w, a.h);
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      uint8_t v = 0;
      for (int dy = -r; dy <= r && !v; ++dy)
        for (int dx = -r; dx <= r && !v; ++dx)
          if (inElement(dx, dy, r, disk) && a.at(x - dx, y - dy)) v = 1;
      m.set(x, y, v);
    }
  return m;
}

Mask maskErode(const Mask& a, int r, bool disk) {
  Mask m(a.w, a.h);
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      uint8_t v = 1;
      for (int dy = -r; dy <= r && v; ++dy)
        for (int dx = -r; dx <= r && v; ++dx)
          if (inElement(dx, dy, r, disk) && !a.at(x + dx, y + dy)) v = 0;
      m.set(x, y, v);
    }
  return m;
}

Mask maskFillHoles(const Mask& a) {
  Mask reach(a.w, a.h);
  std::deque<std::pair<int, int>> q;
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x)
      if ((x == 0 || y == 0 || x == a.w - 1 || y == a.h - 1) && !a.at(x, y)) {
        reach.set(x, y, 1);
        q.push_back({x, y});
      }
  const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  while (!q.empty()) {
    auto [x, y] = q.front();
    q.pop_front();
    for (auto& s : d) {
      const int nx = x + s[0], ny = y + s[1];
      if (nx < 0 || ny < 0 || nx >= a.w || ny >= a.h || a.at(nx, ny) || reach.at(nx, ny)) continue;
      reach.set(nx, ny, 1);
      q.push_back({nx, ny});
    }
  }
  Mask m(a.w, a.h);
  for (size_t i = 0; i < m.px.size(); ++i) m.px[i] = reach.px[i] ? 0 : 1;
  return m;
}

int maskLabel(const Mask& a, int connectivity, std::vector<int>* label) {
  label->assign(a.px.size(), -1);
  int n = 0;
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      if (!a.at(x, y) || (*label)[static_cast<size_t>(y) * a.w + x] >= 0) continue;
      std::deque<std::pair<int, int>> q{{x, y}};
      (*label)[static_cast<size_t>(y) * a.w + x] = n;
      while (!q.empty()) {
        auto [cx, cy] = q.front();
        q.pop_front();
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            if ((dx == 0 && dy == 0) || (connectivity == 4 && dx != 0 && dy != 0)) continue;
            const int nx = cx + dx, ny = cy + dy;
            if (!a.at(nx, ny) || (*label)[static_cast<size_t>(ny) * a.w + nx] >= 0) continue;
            (*label)[static_cast<size_t>(ny) * a.w + nx] = n;
            q.push_back({nx, ny});
          }
      }
      ++n;
    }
  return n;
}

void maskMoments(const Mask& a, double out[9]) {
  for (int i = 0; i < 9; ++i) out[i] = 0;
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x)
      if (a.at(x, y)) {
        out[0] += 1;
        out[1] += x;
        out[2] += y;
        out[3] += double(x) * x;
        out[4] += double(x) * y;
        out[5] += double(y) * y;
      }
  if (out[0] == 0) return;
  const double cx = out[1] / out[0], cy = out[2] / out[0];
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x)
      if (a.at(x, y)) {
        out[6] += (x - cx) * (x - cx);
        out[7] += (x - cx) * (y - cy);
        out[8] += (y - cy) * (y - cy);
      }
}

std::vector<int64_t> maskCoco(const Mask& a) {
  std::vector<int64_t> counts;
  uint8_t cur = 0;
  int64_t run = 0;
  for (int x = 0; x < a.w; ++x)
    for (int y = 0; y < a.h; ++y) {
      if (a.at(x, y) != cur) {
        counts.push_back(run);
        run = 0;
        cur = a.at(x, y);
      }
      ++run;
    }
  counts.push_back(run);
  return counts;
}

}  // namespace tavref
