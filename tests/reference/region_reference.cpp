// Pixel-by-pixel region algorithms, literal and slow.
#include "reference/region_reference.h"

#include <deque>

using std::size_t;
namespace tavref {

Mask maskCombine(const Mask& a, const Mask& b, int op) {
  Mask m(a.w, a.h);
  for (size_t i = 0; i < m.px.size(); ++i) {
    const bool p = a.px[i] != 0, q = b.px[i] != 0;
    m.px[i] = (op == 0 ? (p || q) : op == 1 ? (p && q) : op == 2 ? (p && !q) : (p != q)) ? 1 : 0;
  }
  return m;
}

Mask maskTranslate(const Mask& a, int dx, int dy) {
  Mask m(a.w, a.h);
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) m.set(x, y, a.at(x - dx, y - dy));
  return m;
}

// Dilation: some element offset (dx, dy) has a(x - dx, y - dy) set; erosion:
// every offset has a(x + dx, y + dy) set.
// Pixels outside the canvas count as set for the erosion when outsideSet.
static Mask morph(const Mask& a, int r, bool disk, bool dilate, bool outsideSet = false) {
  Mask m(a.w, a.h);
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      bool any = false, all = true;
      for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
          if (disk && dx * dx + dy * dy > r * r) continue;
          const int ex = x + dx, ey = y + dy;
          any = any || a.at(x - dx, y - dy);
          all = all && ((outsideSet && (ex < 0 || ey < 0 || ex >= a.w || ey >= a.h)) || a.at(ex, ey));
        }
      m.set(x, y, (dilate ? any : all) ? 1 : 0);
    }
  return m;
}

Mask maskDilate(const Mask& a, int r, bool disk) { return morph(a, r, disk, true); }
Mask maskErode(const Mask& a, int r, bool disk) { return morph(a, r, disk, false); }
Mask maskErodeInsideOut(const Mask& a, int r, bool disk) { return morph(a, r, disk, false, true); }

// Gives label n to every pixel of value v connected to (x, y), which has value v.
static void flood(const Mask& a, uint8_t v, int connectivity, int x, int y, int n, std::vector<int>* label) {
  std::deque<std::pair<int, int>> q{{x, y}};
  (*label)[static_cast<size_t>(y) * a.w + x] = n;
  while (!q.empty()) {
    auto [cx, cy] = q.front();
    q.pop_front();
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        if ((dx == 0 && dy == 0) || (connectivity == 4 && dx != 0 && dy != 0)) continue;
        const int nx = cx + dx, ny = cy + dy;
        if (nx < 0 || ny < 0 || nx >= a.w || ny >= a.h || a.at(nx, ny) != v) continue;
        int& l = (*label)[static_cast<size_t>(ny) * a.w + nx];
        if (l >= 0) continue;
        l = n;
        q.push_back({nx, ny});
      }
  }
}

std::vector<TavIPoint> maskPerimeter(const Mask& a) {
  std::vector<TavIPoint> out;
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      if (!a.at(x, y)) continue;
      const bool first = !a.at(x - 1, y), last = !a.at(x + 1, y);
      if (first || last || !a.at(x, y - 1) || !a.at(x, y + 1)) out.push_back(TavIPoint{x, y});
      if (first && last) out.push_back(TavIPoint{x, y});
    }
  return out;
}

Mask maskFillHoles(const Mask& a) {
  std::vector<int> reach(a.px.size(), -1);  // background reached from the canvas edges, 4-connected
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x)
      if ((x == 0 || y == 0 || x == a.w - 1 || y == a.h - 1) && !a.at(x, y) && reach[size_t(y) * a.w + x] < 0)
        flood(a, 0, 4, x, y, 0, &reach);
  Mask m(a.w, a.h);
  for (size_t i = 0; i < m.px.size(); ++i) m.px[i] = reach[i] < 0 ? 1 : 0;
  return m;
}

int maskLabel(const Mask& a, int connectivity, std::vector<int>* label) {
  label->assign(a.px.size(), -1);
  int n = 0;
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x)
      if (a.at(x, y) && (*label)[static_cast<size_t>(y) * a.w + x] < 0)
        flood(a, 1, connectivity, x, y, n++, label);
  return n;
}

void maskMoments(const Mask& a, double out[9]) {
  for (int i = 0; i < 9; ++i) out[i] = 0;
  // The first pass sums the raw moments, the second the central ones about the first pass's centroid.
  for (int pass = 0; pass < 2; ++pass)
    for (int y = 0; y < a.h; ++y)
      for (int x = 0; x < a.w; ++x) {
        if (!a.at(x, y)) continue;
        const double ex = pass ? x - out[1] / out[0] : 0, ey = pass ? y - out[2] / out[0] : 0;
        const double v[9] = {1,       double(x), double(y), double(x) * x, double(x) * y, double(y) * y,
                             ex * ex, ex * ey,   ey * ey};
        for (int i = pass * 6; i < 6 + pass * 3; ++i) out[i] += v[i];
      }
}

std::vector<int64_t> maskCoco(const Mask& a) {
  std::vector<int64_t> counts = {0};  // an odd number of counts: in a background run
  for (int x = 0; x < a.w; ++x)
    for (int y = 0; y < a.h; ++y) {
      if ((counts.size() % 2 == 0) != (a.at(x, y) != 0)) counts.push_back(0);
      ++counts.back();
    }
  return counts;
}

}  // namespace tavref
