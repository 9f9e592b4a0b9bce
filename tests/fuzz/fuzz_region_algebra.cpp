// Region algebra on pairs of small regions: every operation is compared with
// the pixel-by-pixel reference, translation and clipping take any int, and
// the components must partition the region.
// needs: TavGeoRegion.h:CTavGeoRegion
// reference: region_reference.cpp
#include <TavGeometry/TavGeoRegion.h>

#include <vector>

#include "FuzzInput.h"
#include "reference/region_reference.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;
using tavref::Mask;

namespace {

Mask maskOf(const CTavGeoRegion& r) {
  Mask m(r.width(), r.height());
  m.px = r.toMask();
  return m;
}

Mask randomMask(FuzzInput& in, int w, int h) {
  Mask m(w, h);
  if (w == 0 || h == 0) return m;
  const int kind = in.byte() % 3;
  if (kind == 0) {  // pixel bits
    for (auto& p : m.px) p = in.flag() ? 1 : 0;
  } else {  // rectangles, set or cleared
    for (int k = 0, n = in.count(6); k < n; ++k) {
      const int x0 = in.byte() % w, y0 = in.byte() % h;
      const int x1 = x0 + in.byte() % (w - x0 + 1), y1 = y0 + in.byte() % (h - y0 + 1);
      const uint8_t v = (kind == 2 && k > 0) ? 0 : 1;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) m.set(x, y, v);
    }
  }
  return m;
}

}  // namespace

TAVFUZZ_TARGET(fuzz_region_algebra) {
  const int w = in.count(24), h = in.count(24);
  const Mask ma = randomMask(in, w, h), mb = randomMask(in, w, h);
  const CTavGeoRegion a = CTavGeoRegion::fromMask(ma.px.data(), w, h, w);
  const CTavGeoRegion b = CTavGeoRegion::fromMask(mb.px.data(), w, h, w);
  FUZZ_CHECK(maskOf(a).px == ma.px);
  for (int op = 0; op < 4; ++op) {
    const CTavGeoRegion r = op == 0 ? (a | b) : op == 1 ? (a & b) : op == 2 ? (a - b) : (a ^ b);
    FUZZ_CHECK(maskOf(r).px == tavref::maskCombine(ma, mb, op).px);
  }
  FUZZ_CHECK((a | b).area() + (a & b).area() == a.area() + b.area());
  FUZZ_CHECK(a.intersectionArea(b) == (a & b).area());
  const int dx = in.anyInt(), dy = in.anyInt();
  const CTavGeoRegion t = a.translate(dx, dy);
  if (dx > -64 && dx < 64 && dy > -64 && dy < 64) FUZZ_CHECK(maskOf(t).px == tavref::maskTranslate(ma, dx, dy).px);
  const TavRegionBox box{in.anyInt(), in.anyInt(), in.anyInt(), in.anyInt()};
  const CTavGeoRegion c = a.clip(box);
  FUZZ_CHECK((c - a).empty());
  for (const TavRun& r : c.runs())
    FUZZ_CHECK(int64_t{r.x0} >= box.x && int64_t{r.x1} <= int64_t{box.x} + box.width && int64_t{r.y} >= box.y &&
               int64_t{r.y} < int64_t{box.y} + box.height);
  const int rad = in.count(5);
  const bool disk = in.flag();
  FUZZ_CHECK(maskOf(disk ? a.dilateDisk(rad) : a.dilateSquare(rad)).px == tavref::maskDilate(ma, rad, disk).px);
  FUZZ_CHECK(maskOf(disk ? a.erodeDisk(rad) : a.erodeSquare(rad)).px == tavref::maskErode(ma, rad, disk).px);
  FUZZ_CHECK(maskOf(a.fillHoles()).px == tavref::maskFillHoles(ma).px);
  const int conn = in.flag() ? 8 : 4;
  std::vector<int> label;
  const int n = tavref::maskLabel(ma, conn, &label);
  const std::vector<CTavGeoRegion> parts = a.components(conn);
  FUZZ_CHECK(static_cast<int>(parts.size()) == n);
  CTavGeoRegion all(w, h);
  for (const CTavGeoRegion& p : parts) {
    FUZZ_CHECK(!p.empty() && (all & p).empty());
    all = all | p;
  }
  FUZZ_CHECK(all == a);
}
