// The three region calculators, driven by sequences of calls on long-lived
// objects so that the cache of the last call and the polygon's edge pool are
// exercised. Every list is compared with the step-by-step reference algorithms,
// and the cache is modelled independently: a call whose width, height, count
// and point bytes equal the last computed call must leave the list untouched.
// needs: TavGeoRleCalc.h:CTavGeoRleCalcPolygon TavGeoRleCalc.h:kRleMaxRows
// reference: rle_reference.cpp
#include <TavGeometry/TavGeoRleCalc.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "FuzzInput.h"
#include "reference/rle_reference.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;

namespace {

// What the last computing call of one calculator was, as the cache sees it.
struct CacheModel {
  int width = 0;
  int height = 0;
  std::vector<TavPoint> points;

  bool matches(int w, int h, const TavPoint* p, int count) const {
    if (count < 0 || p == nullptr) count = 0;
    if (w != width || h != height || static_cast<size_t>(count) != points.size()) return false;
    return count == 0 || std::memcmp(p, points.data(), points.size() * sizeof(TavPoint)) == 0;
  }
  void store(int w, int h, const TavPoint* p, int count) {
    if (count < 0 || p == nullptr) count = 0;
    width = w;
    height = h;
    points.assign(p, p + count);
  }
};

bool sameRect(const TavRect& a, const TavRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.angle == b.angle;
}

// Structure every list has: six header words, records, a final -1. Lists
// whose rows and columns are all non-negative can be walked by their
// terminators; then the rows ascend strictly, every record has at least one
// run and every extent is non-negative.
// The box contains what it bounds: every row lies in it and, for the disk
// and the annulus, every run too.
void checkWellFormed(const std::vector<int>& l, int kind, int height, const TavRect& box) {
  const bool polygon = kind == 2;
  FUZZ_CHECK(l.size() >= 7);
  FUZZ_CHECK(l.back() == -1);
  // Rows and columns are never left of or above the box (disk and annulus runs
  // start at or right of cx - r; polygon runs lie between vertex columns), so
  // a box in the first quadrant makes the list walkable by its terminators.
  if (box.x < 0 || box.y < 0) return;
  size_t i = 6;
  long long lastRow = -1;
  while (l[i] != -1) {
    const int row = l[i++];
    FUZZ_CHECK(row > lastRow);
    if (polygon) FUZZ_CHECK(row < height);
    FUZZ_CHECK(row >= box.y && row <= box.y + box.height - 1);
    lastRow = row;
    int runs = 0;
    while (i < l.size() && l[i] != -1) {
      FUZZ_CHECK(i + 1 < l.size());
      FUZZ_CHECK(l[i + 1] >= 0);  // extent
      if (!polygon) {
        FUZZ_CHECK(l[i] >= box.x);
        FUZZ_CHECK(static_cast<double>(l[i]) + l[i + 1] <= box.x + box.width - 1);
      }
      i += 2;
      ++runs;
    }
    FUZZ_CHECK(runs >= 1);
    FUZZ_CHECK(i < l.size());
    ++i;  // record terminator
    FUZZ_CHECK(i < l.size());
  }
  FUZZ_CHECK(i == l.size() - 1);
}

// About how many rows a call covers (an upper bound).
double rowsOf(int kind, int height, const std::vector<TavPoint>& pts, int count) {
  if (kind == 2) {  // the reference scans every row of the image up to the limit
    return std::fmin(static_cast<double>(height), static_cast<double>(kRleMaxRows));
  }
  if (count <= 0 || pts.empty()) return 0;
  double r = 0;
  for (int i = 1; i < count && i < 3 && i < static_cast<int>(pts.size()); ++i) {
    const double d =
        std::hypot(pts[static_cast<size_t>(i)].x - pts[0].x, pts[static_cast<size_t>(i)].y - pts[0].y);
    if (d <= kRleMaxRadius && d > r) r = d;
  }
  return 2 * r;
}

struct Slot {
  std::unique_ptr<CTavGeoRleCalc> calc;
  CacheModel model;
  int kind;  // 0 disk, 1 annulus, 2 polygon
};

std::vector<TavPoint> makePoints(FuzzInput& in, int kind, int* count) {
  const uint8_t mode = in.byte();
  int n;
  if (kind == 2)
    n = in.count(48);
  else
    n = (mode & 0x40) ? in.count(4) : (kind == 0 ? 2 : 3);
  std::vector<TavPoint> pts(static_cast<size_t>(n));
  const bool hostile = (mode & 0xC0) == 0xC0;  // a quarter of the calls
  // Pixel coordinates of a small image, around a centre, or anything.
  const int span = (mode & 0x20) ? 4096 : 64;
  for (TavPoint& p : pts) {
    if (hostile) {
      p = in.point(true);
    } else {
      p.x = in.pixel(span);
      p.y = in.pixel(span);
      if (in.byte() < 16) p.x = -p.x;
      if (in.byte() < 16) p.y = -p.y;
    }
  }
  *count = n;
  if ((mode & 0x18) == 0x18) *count = -in.count(100);  // a negative count
  return pts;
}

}  // namespace

TAVFUZZ_TARGET(fuzz_regions) {
  Slot slots[3];
  slots[0].calc.reset(new CTavGeoRleCalcDisk());
  slots[0].kind = 0;
  slots[1].calc.reset(new CTavGeoRleCalcTorus());
  slots[1].kind = 1;
  slots[2].calc.reset(new CTavGeoRleCalcPolygon());
  slots[2].kind = 2;
  for (Slot& s : slots) FUZZ_CHECK(s.calc->rle().empty());

  // The base computes nothing and changes nothing.
  {
    CTavGeoRleCalc base;
    TavPoint p(1, 1);
    FUZZ_CHECK(!base.calculate(10, 10, &p, 1));
    FUZZ_CHECK(base.rle().empty());
  }

  int lastWidth = 0, lastHeight = 0, lastCount = 0;
  std::vector<TavPoint> lastPoints;
  const int ops = 1 + in.count(12);
  for (int op = 0; op < ops && !in.empty(); ++op) {
    Slot& s = slots[in.byte() % 3];
    const uint8_t how = in.byte();
    int width, height, count;
    std::vector<TavPoint> pts;
    if ((how & 3) == 0 && op > 0) {
      // Repeat the previous call's arguments, maybe on another calculator,
      // maybe with one bit of one coordinate changed (0.0 <-> -0.0 included).
      width = lastWidth;
      height = lastHeight;
      count = lastCount;
      pts = lastPoints;
      if ((how & 4) && !pts.empty()) {
        double& v = (how & 8) ? pts[in.byte() % pts.size()].x : pts[in.byte() % pts.size()].y;
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        bits ^= uint64_t{1} << (in.byte() % 64);
        std::memcpy(&v, &bits, sizeof bits);
      }
      if (how & 16) height = height == 2147483647 ? 0 : height + 1;
    } else {
      width = (how & 0x40) ? in.anyInt() : in.count(512);
      // Any height now and then: the polygon scan is bounded by its row limit.
      height = (how & 0xE0) == 0xE0 ? in.anyInt() : in.count(300);
      pts = makePoints(in, s.kind, &count);
    }
    lastWidth = width;
    lastHeight = height;
    lastCount = count;
    lastPoints = pts;

    // Lists of up to two million rows are legal (the radius and row limits)
    // but slow to build twice; take them now and then only, so that the other
    // inputs get their share of the time. The limits have tests of their own.
    if (rowsOf(s.kind, height, pts, count) > 20000.0 && in.byte() != 0x5a) continue;

    // Exactly sized copy, so that a read past `count` points is caught.
    std::unique_ptr<TavPoint[]> arg;
    if (!pts.empty()) {
      arg.reset(new TavPoint[pts.size()]);
      std::memcpy(static_cast<void*>(arg.get()), pts.data(), pts.size() * sizeof(TavPoint));
    }
    const TavPoint* p = arg.get();
    const bool cached = s.model.matches(width, height, p, count);
    const std::vector<int> before = s.calc->rle();
    const TavRect boxBefore = s.calc->boundingBox();
    const int* dataBefore = s.calc->rle().data();

    if (tavfuzz::verbose()) {
      std::fprintf(stderr, "calc %d: width %d height %d count %d:", s.kind, width, height, count);
      for (const TavPoint& q : pts) std::fprintf(stderr, " (%.17g, %.17g)", q.x, q.y);
      std::fprintf(stderr, "%s\n", cached ? " [cached]" : "");
    }
    FUZZ_CHECK(s.calc->calculate(width, height, p, count));
    if (tavfuzz::verbose()) {
      const TavRect& b = s.calc->boundingBox();
      std::fprintf(stderr, "  box (%g, %g, %g, %g) list", b.x, b.y, b.width, b.height);
      for (int v : s.calc->rle()) std::fprintf(stderr, " %d", v);
      std::fprintf(stderr, "\n");
    }

    const std::vector<int>& got = s.calc->rle();
    if (cached) {
      FUZZ_CHECK(got == before);
      FUZZ_CHECK(got.data() == dataBefore);
      FUZZ_CHECK(sameRect(s.calc->boundingBox(), boxBefore));
      continue;
    }
    s.model.store(width, height, p, count);
    TavRect refBox;
    std::vector<int> ref;
    if (s.kind == 0)
      ref = tavref::rleDisk(width, height, p, count, &refBox);
    else if (s.kind == 1)
      ref = tavref::rleTorus(width, height, p, count, &refBox);
    else
      ref = tavref::rlePolygon(width, height, p, count, &refBox);
    FUZZ_CHECK(got == ref);
    FUZZ_CHECK(sameRect(s.calc->boundingBox(), refBox));
    checkWellFormed(got, s.kind, height, s.calc->boundingBox());
    // The cache answers the same call again without touching the list.
    const int* dataNow = got.data();
    FUZZ_CHECK(s.calc->calculate(width, height, p, count));
    FUZZ_CHECK(s.calc->rle().data() == dataNow && s.calc->rle() == ref);
  }
}
