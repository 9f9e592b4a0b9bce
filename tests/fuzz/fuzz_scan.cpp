// Scan-line generators: spokes across an arc and the rake along a polyline.
// needs: TavGeoScan.h:arcToSpoke TavGeoScan.h:kScanLinesMax
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoScan.h>

#include <cmath>
#include <memory>

#include "FuzzInput.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;

namespace {

const double kPi = 3.141592653589793;
double mag(const TavPoint& p) { return std::fabs(p.x) + std::fabs(p.y); }
double lengthOf(const TavLine& l) { return pointPointDist(l.p1, l.p2); }

void spokes(FuzzInput& in, bool hostile) {
  TavArc arc;
  arc.center = in.point(hostile);
  arc.radius = hostile ? in.anyDouble() : std::fabs(in.moderate());
  arc.startAngle = in.value(hostile);
  arc.sweepAngle = in.value(hostile);
  const double length = in.value(hostile);
  const double spacing = in.value(hostile);

  const double outer = length > 0 ? arc.radius + length : arc.radius;
  const double q = std::fabs(outer * arc.sweepAngle) / spacing - 1.0;
  // Up to 2^22 spokes are legal but slow to lay; take large sets now and then.
  if (!(q < 1e5) && std::isfinite(q) && in.byte() != 0x5a) return;

  std::vector<TavLine> out(4, TavLine(TavPoint(1, 2), TavPoint(3, 4)));
  arcToSpoke(arc, length, spacing, &out);
  FUZZ_CHECK(!out.empty());  // the start spoke is always laid
  FUZZ_CHECK(out.size() <= static_cast<size_t>(kScanLinesMax));
  if (spacing == 0 || std::isnan(spacing)) FUZZ_CHECK(out.size() == 1);

  if (!hostile && spacing > 0 && std::isfinite(q) && q < 1e5) {
    // The number of spokes follows the interval count.
    const double v = q < 1.0 ? 1.0 : q;
    int n = static_cast<int>(v);
    if (std::fabs(arc.sweepAngle) >= 6.283175307179587) n -= 1;
    FUZZ_CHECK(out.size() == static_cast<size_t>(1 + (n > 0 ? n : 0)));
    // Every spoke starts on the arc's circle and ends at radius r + length.
    const double tol = 1e-6 * (1.0 + std::fabs(arc.radius) + std::fabs(length) + mag(arc.center));
    for (const TavLine& s : out) {
      FUZZ_CHECK(std::fabs(pointPointDist(s.p1, arc.center) - arc.radius) <= tol);
      FUZZ_CHECK(std::fabs(pointPointDist(s.p2, arc.center) - std::fabs(arc.radius + length)) <= tol);
    }
  }
}

void rake(FuzzInput& in, bool hostile) {
  std::vector<TavPoint> pts = in.points(24, hostile);
  // Repeats and reversals are the interesting joints.
  for (size_t i = 1; i < pts.size(); ++i) {
    const uint8_t r = in.byte();
    if (r < 24)
      pts[i] = pts[i - 1];
    else if (r < 48 && i >= 2)
      pts[i] = pts[i - 2];
  }
  const double h = hostile ? in.anyDouble() : std::fabs(in.moderate()) / 8.0;
  const double s = hostile ? in.anyDouble() : std::fabs(in.moderate()) / 4.0;
  int count = static_cast<int>(pts.size());
  if (in.byte() < 8) count = -in.count(1000);

  double path = 0;
  double scale = 1.0;
  for (size_t i = 0; i < pts.size(); ++i) {
    scale += mag(pts[i]);
    if (i > 0) path += pointPointDist(pts[i - 1], pts[i]);
  }
  path += pts.size() * 2.0 * kPi * 2.0 * std::fabs(h);  // every corner fan at most a full turn
  if (!(path / s < 1e5) && in.byte() != 0x5a) return;

  std::unique_ptr<TavPoint[]> arg(new TavPoint[pts.empty() ? 1 : pts.size()]);
  for (size_t i = 0; i < pts.size(); ++i) arg[i] = pts[i];
  std::vector<TavLine> out(3, TavLine(TavPoint(1, 2), TavPoint(3, 4)));
  polyLineToPolyRake(pts.empty() ? nullptr : arg.get(), count, h, s, &out);
  FUZZ_CHECK(out.size() <= static_cast<size_t>(kScanLinesMax));
  const bool usable = count >= 2 && std::isfinite(h) && h > 0 && std::isfinite(s) && s > 0;
  if (!usable) FUZZ_CHECK(out.empty());
  if (!hostile && usable && path / s < 1e5) {
    // (At sharp corners the stretches between the pivots' perpendiculars can
    // be longer than their segments, so only a straight rake has a count
    // that follows from the input alone.)
    for (const TavLine& l : out) {
      FUZZ_CHECK(tavfuzz::isFinite(l.p1) && tavfuzz::isFinite(l.p2));
    }
    if (count == 2 && pointPointDist(pts[0], pts[1]) > 0) {
      const double len = pointPointDist(pts[0], pts[1]);
      FUZZ_CHECK(std::fabs(static_cast<double>(out.size()) - len / s) <= 1.0 + 1e-9 * len / s);
      for (const TavLine& l : out) FUZZ_CHECK(std::fabs(lengthOf(l) - 2 * h) <= 1e-6 * (h + scale));
    }
  }
}

}  // namespace

TAVFUZZ_TARGET(fuzz_scan) {
  const uint8_t sel = in.byte();
  const bool hostile = (sel & 0x80) != 0;
  if (sel & 1)
    spokes(in, hostile);
  else
    rake(in, hostile);
}
