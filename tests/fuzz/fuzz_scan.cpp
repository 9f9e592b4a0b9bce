// Scan-line generators: spokes across an arc and the rake along a polyline.
// needs: TavGeoScan.h:arcToSpoke TavGeoScan.h:kScanLinesMax
#include "FuzzInput.h"

namespace {

// The start spoke is always laid; the number of spokes follows the interval
// count, and every spoke runs from the arc's circle to radius r + length.
void spokes(FuzzInput& in, bool hostile) {
  const TavArc arc{in.point(hostile), hostile ? in.anyDouble() : std::fabs(in.moderate()), in.value(hostile),
                   in.value(hostile)};
  const double length = in.value(hostile), spacing = in.value(hostile);
  const double q =
      std::fabs((length > 0 ? arc.radius + length : arc.radius) * arc.sweepAngle) / spacing - 1.0;
  if (!(q < 1e5) && std::isfinite(q) && in.byte() != 0x5a) return;  // up to 2^22 spokes: now and then only
  std::vector<TavLine> lines(4, TavLine(TavPoint(1, 2), TavPoint(3, 4)));
  arcToSpoke(arc, length, spacing, &lines), out(lines);
  FUZZ_CHECK(!lines.empty() && lines.size() <= static_cast<size_t>(kScanLinesMax));
  FUZZ_CHECK(lines.size() == 1 || (spacing != 0 && !std::isnan(spacing)));
  if (hostile || !(spacing > 0) || !std::isfinite(q) || !(q < 1e5)) return;
  const int n = static_cast<int>(std::max(q, 1.0)) - (std::fabs(arc.sweepAngle) >= 6.283175307179587 ? 1 : 0);
  FUZZ_CHECK(lines.size() == static_cast<size_t>(1 + std::max(n, 0)));
  const double tol = 1e-6 * (1.0 + std::fabs(arc.radius) + std::fabs(length) + std::fabs(arc.center.x) +
                             std::fabs(arc.center.y));
  for (const TavLine& s : lines)
    FUZZ_CHECK(std::fabs(pointPointDist(s.p1, arc.center) - arc.radius) <= tol &&
               std::fabs(pointPointDist(s.p2, arc.center) - std::fabs(arc.radius + length)) <= tol);
}

// Unusable arguments give no lines; a straight rake has about length /
// spacing lines of length 2h.
void rake(FuzzInput& in, bool hostile) {
  std::vector<TavPoint> pts = in.points(24, hostile);
  // Repeats (r < 24) and reversals (24 <= r < 48) are the interesting joints.
  for (size_t i = 1; i < pts.size(); ++i)
    if (const uint8_t r = in.byte(); r < 24 || (r < 48 && i >= 2)) pts[i] = pts[i - (r < 24 ? 1 : 2)];
  const double h = hostile ? in.anyDouble() : std::fabs(in.moderate()) / 8.0;
  const double s = hostile ? in.anyDouble() : std::fabs(in.moderate()) / 4.0;
  const int count = in.byte() < 8 ? -in.count(1000) : static_cast<int>(pts.size());
  double path = pts.size() * 4.0 * M_PI * std::fabs(h);  // every corner fan at most a full turn
  for (size_t i = 1; i < pts.size(); ++i) path += pointPointDist(pts[i - 1], pts[i]);
  if (!(path / s < 1e5) && in.byte() != 0x5a) return;
  std::vector<TavLine> lines(3, TavLine(TavPoint(1, 2), TavPoint(3, 4)));
  polyLineToPolyRake(pts.empty() ? nullptr : exactCopy(pts).get(), count, h, s, &lines), out(lines);
  const bool usable = count >= 2 && std::isfinite(h) && h > 0 && std::isfinite(s) && s > 0;
  FUZZ_CHECK(lines.size() <= static_cast<size_t>(kScanLinesMax) && (usable || lines.empty()));
  // No more lines than the path with a full turn at every corner holds (an
  // outer pivot once laid millions along a stretch far off the path).
  FUZZ_CHECK(hostile || !usable || !(path / s < 1e5) || lines.size() <= path / s + 1);
  const double len = count == 2 ? pointPointDist(pts[0], pts[1]) : 0.0;
  if (hostile || !usable || !(path / s < 1e5) || !(len > 0)) return;
  FUZZ_CHECK(std::fabs(static_cast<double>(lines.size()) - len / s) <= 1.0 + 1e-9 * len / s);
  for (const TavLine& l : lines)
    FUZZ_CHECK(std::fabs(pointPointDist(l.p1, l.p2) - 2 * h) <= 1e-6 * (h + 1 + len));
}

}  // namespace

TAVFUZZ_TARGET(fuzz_scan) { pick(in, {{"rake", rake}, {"spoke", spokes}}); }
