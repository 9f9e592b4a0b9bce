// Scan-line generators: spokes across an arc and the rake along a polyline.
// needs: TavGeoScan.h:arcToSpoke TavGeoScan.h:kScanLinesMax
#include "FuzzInput.h"

namespace {

const double kPi = 3.141592653589793;
double mag(const TavPoint& p) { return std::fabs(p.x) + std::fabs(p.y); }

void spokes(FuzzInput& in, bool hostile) {
  TavArc arc;
  arc.center = in.point(hostile);
  arc.radius = hostile ? in.anyDouble() : std::fabs(in.moderate());
  arc.startAngle = in.value(hostile);
  arc.sweepAngle = in.value(hostile);
  const double length = in.value(hostile), spacing = in.value(hostile);
  const double q =
      std::fabs((length > 0 ? arc.radius + length : arc.radius) * arc.sweepAngle) / spacing - 1.0;
  // Up to 2^22 spokes are legal but slow to lay; take large sets now and then.
  if (!(q < 1e5) && std::isfinite(q) && in.byte() != 0x5a) return;
  std::vector<TavLine> lines(4, TavLine(TavPoint(1, 2), TavPoint(3, 4)));
  arcToSpoke(arc, length, spacing, &lines), out(lines);
  // The start spoke is always laid.
  FUZZ_CHECK(!lines.empty() && lines.size() <= static_cast<size_t>(kScanLinesMax));
  if (spacing == 0 || std::isnan(spacing)) FUZZ_CHECK(lines.size() == 1);
  if (hostile || !(spacing > 0) || !std::isfinite(q) || !(q < 1e5)) return;
  // The number of spokes follows the interval count; every spoke starts on
  // the arc's circle and ends at radius r + length.
  int n = static_cast<int>(std::max(q, 1.0));
  if (std::fabs(arc.sweepAngle) >= 6.283175307179587) n -= 1;
  FUZZ_CHECK(lines.size() == static_cast<size_t>(1 + std::max(n, 0)));
  const double tol = 1e-6 * (1.0 + std::fabs(arc.radius) + std::fabs(length) + mag(arc.center));
  for (const TavLine& s : lines)
    FUZZ_CHECK(std::fabs(pointPointDist(s.p1, arc.center) - arc.radius) <= tol &&
               std::fabs(pointPointDist(s.p2, arc.center) - std::fabs(arc.radius + length)) <= tol);
}

void rake(FuzzInput& in, bool hostile) {
  std::vector<TavPoint> pts = in.points(24, hostile);
  for (size_t i = 1; i < pts.size(); ++i) {  // repeats and reversals are the interesting joints
    const uint8_t r = in.byte();
    if (r < 24) pts[i] = pts[i - 1];
    if (r >= 24 && r < 48 && i >= 2) pts[i] = pts[i - 2];
  }
  const double h = hostile ? in.anyDouble() : std::fabs(in.moderate()) / 8.0;
  const double s = hostile ? in.anyDouble() : std::fabs(in.moderate()) / 4.0;
  const int count = in.byte() < 8 ? -in.count(1000) : static_cast<int>(pts.size());
  double path = 0, scale = 1.0;
  for (size_t i = 0; i < pts.size(); ++i) {
    scale += mag(pts[i]);
    if (i > 0) path += pointPointDist(pts[i - 1], pts[i]);
  }
  path += pts.size() * 2.0 * kPi * 2.0 * std::fabs(h);  // every corner fan at most a full turn
  if (!(path / s < 1e5) && in.byte() != 0x5a) return;

  std::vector<TavLine> lines(3, TavLine(TavPoint(1, 2), TavPoint(3, 4)));
  polyLineToPolyRake(pts.empty() ? nullptr : exactCopy(pts).get(), count, h, s, &lines), out(lines);
  const bool usable = count >= 2 && std::isfinite(h) && h > 0 && std::isfinite(s) && s > 0;
  FUZZ_CHECK(lines.size() <= static_cast<size_t>(kScanLinesMax) && (usable || lines.empty()));
  if (hostile || !usable || !(path / s < 1e5)) return;
  for (const TavLine& l : lines) FUZZ_CHECK(isFinite(l.p1) && isFinite(l.p2));
  // (At sharp corners the stretches between the pivots' perpendiculars can be
  // longer than their segments: only a straight rake has a count that follows
  // from the input alone.)
  const double len = count == 2 ? pointPointDist(pts[0], pts[1]) : 0.0;
  if (!(len > 0)) return;
  FUZZ_CHECK(std::fabs(static_cast<double>(lines.size()) - len / s) <= 1.0 + 1e-9 * len / s);
  for (const TavLine& l : lines)
    FUZZ_CHECK(std::fabs(pointPointDist(l.p1, l.p2) - 2 * h) <= 1e-6 * (h + scale));
}

}  // namespace

TAVFUZZ_TARGET(fuzz_scan) { pick(in, {{"rake", rake}, {"spoke", spokes}}); }
