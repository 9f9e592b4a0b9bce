// Scalars, angles and point operations on every kind of double.
#include "FuzzInput.h"
#include "geometry/TavGeoInternal.h"

namespace {

const double kPi = 3.141592653589793, kTwoPi = 6.283185307179586, kHalfPi = 1.5707963267948966;

// A normaliser gives NaN for non-finite input, a value in [lo, hi) otherwise,
// and an input already inside unchanged bit for bit.
void checkFold(double (*fn)(double), double a, double lo, double hi) {
  const double r = out(fn(a));
  FUZZ_CHECK(std::isfinite(a) ? r >= lo && r < hi && (!(a >= lo && a < hi) || sameBits(r, a))
                              : std::isnan(r));
}

void scalars(FuzzInput& in, bool) {
  const double a = in.anyDouble();
  checkFold(normalizeAngleMinusPiToPi, a, -kPi, kPi);
  checkFold(normalizeAngleMinus2PiTo2Pi, a, -kTwoPi, kTwoPi);
  checkFold(normalizeAngle0To2Pi, a, 0.0, kTwoPi);
  checkFold(normalizeAngle0ToPi, a, 0.0, kPi);
  checkFold(normalizeAngleMinusPiby2ToPiby2, a, -kHalfPi, kHalfPi);
  FUZZ_CHECK(sameValue(out(degToRad(a)), a * 0.017453292519943295) &&
             sameValue(out(radToDeg(a)), a * 57.29577951308232));
  // Quadratic: the count says how many roots were written, the rest untouched.
  const double qa = in.anyDouble(), qb = in.anyDouble(), qc = in.anyDouble(), sentinel = -12345.678;
  double roots[2] = {sentinel, sentinel};
  int count = -7;
  FUZZ_CHECK(solveQuadraticAbcFormula(qa, qb, qc, roots, &count) == 0 && count >= 0 &&
             out(count, roots[0], roots[1]) <= 2);
  FUZZ_CHECK((count > 0 || sameBits(roots[0], sentinel)) && (count > 1 || sameBits(roots[1], sentinel)));
  // Mean direction: a single angle comes back as it is, no angles give 0.
  const int n = in.count(64);
  std::vector<double> angles(static_cast<size_t>(n) + 1);
  for (double& v : angles) v = in.anyDouble();
  const double m = out(averageAngles(angles.data(), n));
  FUZZ_CHECK(n == 1 ? sameBits(m, angles[0]) : n == 0 ? m == 0.0 : std::isnan(m) || (m >= -kPi && m <= kPi));
  FUZZ_CHECK(averageAngles(nullptr, 0) == 0.0 && averageAngles(angles.data(), -in.count(1000)) == 0.0);
  // Parabola vertex: collinear samples give exactly 0.
  const double s0 = in.anyDouble(), s1 = in.anyDouble(), s2 = in.anyDouble();
  FUZZ_CHECK(out(parabolaFit(s0, s1, s2)) == 0.0 || 2.0 * (s0 - 2.0 * s1 + s2) != 0.0);
  // Bilinear interpolation reproduces the corner values at the corners.
  const double c[4] = {in.moderate(), in.moderate(), in.moderate(), in.moderate()};  // c00 c10 c01 c11
  for (int i = 0; i < 4; ++i) FUZZ_CHECK(bilinearInterpolate(i % 2, i / 2, c[0], c[1], c[2], c[3]) == c[i]);
}

void points(FuzzInput& in, bool) {
  const bool hostile = in.flag();
  const TavPoint a = in.point(hostile), b = in.point(hostile), c = in.point(hostile);
  const double v = in.value(hostile), dx = b.x - a.x, dy = b.y - a.y;
  TavPoint mid, on, r = b;
  pointsToMiddle(a, b, &mid), out(mid);
  const double d = out(pointPointDist(a, b)), ang = out(pointPointAngle(a, b));
  FUZZ_CHECK((std::isnan(d) || d >= 0.0) && sameValue(d, pointPointDist(b, a)));
  FUZZ_CHECK((std::isnan(ang) || (ang >= -kPi && ang <= kPi)) && (!(dx * dx + dy * dy < 1e-4) || ang == 0.0));
  FUZZ_CHECK(sameValue(lineAngle(TavLine(a, b)), ang));
  double angOut = -99.0, distOut = -99.0;
  pointPointDistAngle(a, b, &angOut, &distOut), out(distOut, angOut);
  FUZZ_CHECK((std::isnan(distOut) || distOut >= 0.0) &&
             (std::isnan(angOut) || (angOut >= -kPi && angOut <= kPi)));
  // Coincident points take the vertical branch (a NaN x is equal to nothing).
  pointOnLine(a, a, v, &on), out(on);
  FUZZ_CHECK(std::isnan(a.x) || (sameBits(on.x, a.x) && sameValue(on.y, a.y - v)));
  pointOnLine(a, b, v, &on), out(on);
  pointRotate(a, v, &r), out(r);
  TavLine l1, l2(a, TavPoint());
  pointAngleToLine(a, v, &l1), out(l1);
  pointAngleToLine(l2.p1, v, &l2);  // input aliasing the output
  FUZZ_CHECK(sameBits(l1.p1, a) && sameValue(l1, l2));
  FUZZ_CHECK(!(out(pointLineDist(c, TavLine(a, b))) < 0.0));
  TavLine bis(TavPoint(7, 7), TavPoint(7, 7));
  const bool ok = out(pointsToAngleBisect(a, b, c, &bis), bis);
  const TavPoint half((a.x + b.x) * 0.5, (a.y + b.y) * 0.5);
  const bool degenerate = (b.x == a.x && b.y == a.y) || (b.x == c.x && b.y == c.y) || (half.x == c.x && half.y == c.y);
  FUZZ_CHECK(ok == !degenerate && (ok ? sameBits(bis.p1, c) : zero(bis)));
  const TavRect rect = in.rect(hostile);
  FUZZ_CHECK(out(pointInRect(c, rect)) ==
             (rect.x <= c.x && c.x <= rect.x + rect.width && rect.y <= c.y && c.y <= rect.y + rect.height));
}

void boxes(FuzzInput& in, bool) {
  const bool hostile = in.flag();
  const std::vector<TavPoint> pts = in.points(256, hostile);
  TavRect box(1, 2, 3, 4, 5), nullBox(1, 2, 3, 4, 5);
  pointsToBBox(pts.data(), static_cast<unsigned int>(pts.size()), &box), out(box);
  pointsToBBox(nullptr, 0, &nullBox);
  FUZZ_CHECK(box.angle == 0.0 && nullBox.x == 0 && nullBox.y == 0 && nullBox.width == 0 &&
             nullBox.angle == 0);
  // Every usable coordinate, truncated, lies in the box, and the box is tight.
  for (int axis = 0; axis < 2; ++axis) {
    const double lo = axis ? box.y : box.x, size = axis ? box.height : box.width;
    bool any = false, loHit = false, hiHit = false;
    for (const TavPoint& p : pts) {
      if (std::isnan(axis ? p.y : p.x)) continue;
      const double t = detail::truncToInt(axis ? p.y : p.x);
      FUZZ_CHECK(t >= lo && t <= lo + size - 1);
      any = true, loHit |= t == lo, hiHit |= t == lo + size - 1;
    }
    FUZZ_CHECK(any ? loHit && hiHit && size >= 1 : lo == 0 && size == 0);
  }
}

}  // namespace

TAVFUZZ_TARGET(fuzz_scalar_points) { pick(in, {{"scalar", scalars}, {"point", points}, {"bbox", boxes}}); }
