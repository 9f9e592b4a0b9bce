// The three region calculators, driven by sequences of calls on long-lived
// objects so that the cache of the last call and the polygon's edge pool are
// exercised. Every list is compared with the step-by-step reference algorithms,
// and the cache is modelled independently: a call whose width, height, count
// and point bytes equal the last computed call must leave the list untouched.
// needs: TavGeoRleCalc.h:CTavGeoRleCalcPolygon TavGeoRleCalc.h:kRleMaxRows
// reference: rle_reference.cpp
#include "FuzzInput.h"
#include "reference/rle_reference.h"

namespace {

// The last computing call of one calculator, as the cache sees it.
struct Call {
  int width = 0, height = 0, count = 0;
  std::vector<TavPoint> points;
  bool operator==(const Call& o) const {
    return width == o.width && height == o.height && sameAll(points, o.points);
  }
};

// About how many rows a call covers (an upper bound). No libm: the digest of
// this target must not move with the C library's rounding.
double rowsOf(int kind, const Call& c) {
  if (kind == 2) return std::fmin(static_cast<double>(c.height), static_cast<double>(kRleMaxRows));
  double r = 0;
  for (int i = 1; i < c.count && i < 3 && i < static_cast<int>(c.points.size()); ++i) {
    const double dx = c.points[i].x - c.points[0].x, dy = c.points[i].y - c.points[0].y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d <= kRleMaxRadius && d > r) r = d;
  }
  return 2 * r;
}

Call makeCall(FuzzInput& in, int kind, uint8_t how) {
  Call c;
  c.width = (how & 0x40) ? in.anyInt() : in.count(512);
  // Any height now and then: the polygon scan is bounded by its row limit.
  c.height = (how & 0xE0) == 0xE0 ? in.anyInt() : in.count(300);
  const uint8_t mode = in.byte();
  const int n = kind == 2 ? in.count(48) : (mode & 0x40) ? in.count(4) : (kind == 0 ? 2 : 3);
  c.points.resize(static_cast<size_t>(n));
  const bool hostile = (mode & 0xC0) == 0xC0;  // a quarter of the calls
  const int span = (mode & 0x20) ? 4096 : 64;  // a small image, or around a centre
  for (TavPoint& p : c.points) {
    p = hostile ? in.point(true) : TavPoint{in.pixel(span), in.pixel(span)};
    if (!hostile && in.byte() < 16) p.x = -p.x;
    if (!hostile && in.byte() < 16) p.y = -p.y;
  }
  c.count = (mode & 0x18) == 0x18 ? -in.count(100) : n;  // sometimes a negative count
  return c;
}

}  // namespace

TAVFUZZ_TARGET(fuzz_regions) {
  family("rlecalc");
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon polygon;
  CTavGeoRleCalc* calcs[3] = {&disk, &torus, &polygon};
  Call cached[3], last;
  for (CTavGeoRleCalc* c : calcs) FUZZ_CHECK(c->rle().empty());
  CTavGeoRleCalc base;  // computes nothing and changes nothing
  const TavPoint one(1, 1);
  FUZZ_CHECK(!base.calculate(10, 10, &one, 1) && base.rle().empty());

  for (int op = 0, ops = 1 + in.count(12); op < ops && !in.empty(); ++op) {
    const int kind = in.byte() % 3;
    CTavGeoRleCalc& calc = *calcs[kind];
    const uint8_t how = in.byte();
    Call call = last;
    if ((how & 3) == 0 && op > 0) {
      // Repeat the previous call's arguments, maybe on another calculator,
      // maybe with one bit of one coordinate changed (0.0 <-> -0.0 included).
      if ((how & 4) && !call.points.empty()) {
        TavPoint& q = call.points[in.byte() % call.points.size()];
        double& v = (how & 8) ? q.x : q.y;
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        bits ^= uint64_t(1) << in.byte() % 64;
        std::memcpy(&v, &bits, sizeof bits);
      }
      if (how & 16) call.height = call.height == INT32_MAX ? 0 : call.height + 1;
    } else {
      call = makeCall(in, kind, how);
    }
    last = call;
    // Lists of up to two million rows are legal but slow to build twice; take
    // them now and then only. The limits have tests of their own.
    if (rowsOf(kind, call) > 20000.0 && in.byte() != 0x5a) continue;

    const auto arg = call.points.empty() ? nullptr : exactCopy(call.points);  // reads past count are caught
    const TavPoint* p = arg.get();
    Call key = call;
    if (call.count < 0 || !p) key.points.clear();
    key.points.resize(std::min(key.points.size(), static_cast<size_t>(std::max(call.count, 0))));
    const bool hit = cached[kind] == key;
    FUZZ_CHECK(calc.compareWithLastComputedCoords(call.width, call.height, p, call.count) == hit);
    const std::vector<int> before = calc.rle();
    const TavRect boxBefore = calc.boundingBox();
    const int* dataBefore = calc.rle().data();
    FUZZ_CHECK(calc.calculate(call.width, call.height, p, call.count));
    const std::vector<int>& got = out(calc.rle());
    out(calc.boundingBox(), calc.recordRuns());
    if (hit) {
      FUZZ_CHECK(got == before && got.data() == dataBefore && sameBits(calc.boundingBox(), boxBefore));
      continue;
    }
    cached[kind] = key;
    TavRect refBox;
    const auto reference = kind == 0 ? tavref::rleDisk : kind == 1 ? tavref::rleTorus : tavref::rlePolygon;
    const std::vector<int> ref = reference(call.width, call.height, p, call.count, &refBox);
    FUZZ_CHECK(got == ref && sameBits(calc.boundingBox(), refBox));
    // The cache answers the same call again without touching the list.
    const int* dataNow = got.data();
    FUZZ_CHECK(calc.calculate(call.width, call.height, p, call.count) && calc.rle().data() == dataNow &&
               calc.rle() == ref);
    orError([&] { out(calc.region()); });
  }
}
