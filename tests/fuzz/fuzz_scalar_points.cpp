// Scalars, angles and point operations on every kind of double.
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoScalar.h>

#include <cmath>

#include "FuzzInput.h"
#include "geometry/TavGeoInternal.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;
using tavfuzz::sameBits;

namespace {

const double kPi = 3.141592653589793;
const double kTwoPi = 6.283185307179586;
const double kHalfPi = 1.5707963267948966;

// A normaliser gives NaN for non-finite input, a value in [lo, hi) otherwise,
// and an input already inside unchanged bit for bit.
void checkFold(double (*fn)(double), double a, double lo, double hi) {
  const double r = fn(a);
  if (!std::isfinite(a)) {
    FUZZ_CHECK(std::isnan(r));
    return;
  }
  FUZZ_CHECK(r >= lo && r < hi);
  if (a >= lo && a < hi) FUZZ_CHECK(sameBits(r, a));
}

void scalars(FuzzInput& in) {
  const double a = in.anyDouble();
  checkFold(normalizeAngleMinusPiToPi, a, -kPi, kPi);
  checkFold(normalizeAngleMinus2PiTo2Pi, a, -kTwoPi, kTwoPi);
  checkFold(normalizeAngle0To2Pi, a, 0.0, kTwoPi);
  checkFold(normalizeAngle0ToPi, a, 0.0, kPi);
  checkFold(normalizeAngleMinusPiby2ToPiby2, a, -kHalfPi, kHalfPi);
  FUZZ_CHECK(tavfuzz::sameValue(degToRad(a), a * 0.017453292519943295));
  FUZZ_CHECK(tavfuzz::sameValue(radToDeg(a), a * 57.29577951308232));

  // Quadratic: the count says how many roots were written, the rest untouched.
  {
    const double qa = in.anyDouble(), qb = in.anyDouble(), qc = in.anyDouble();
    const double sentinel = -12345.678;
    double roots[2] = {sentinel, sentinel};
    int count = -7;
    FUZZ_CHECK(solveQuadraticAbcFormula(qa, qb, qc, roots, &count) == 0);
    FUZZ_CHECK(count >= 0 && count <= 2);
    if (count == 0) FUZZ_CHECK(sameBits(roots[0], sentinel) && sameBits(roots[1], sentinel));
    if (count == 1) FUZZ_CHECK(sameBits(roots[1], sentinel));
  }

  // Mean direction: a single angle comes back as it is, no angles give 0.
  {
    const int n = in.count(64);
    std::vector<double> angles(static_cast<size_t>(n) + 1);
    for (double& v : angles) v = in.anyDouble();
    const double m = averageAngles(angles.data(), n);
    if (n == 1) FUZZ_CHECK(sameBits(m, angles[0]));
    if (n == 0) FUZZ_CHECK(m == 0.0);
    if (n != 1) FUZZ_CHECK(std::isnan(m) || (m >= -kPi && m <= kPi));
    FUZZ_CHECK(averageAngles(nullptr, 0) == 0.0);
    FUZZ_CHECK(averageAngles(angles.data(), -in.count(1000)) == 0.0);
  }

  // Parabola vertex: collinear samples give exactly 0.
  {
    const double s0 = in.anyDouble(), s1 = in.anyDouble(), s2 = in.anyDouble();
    const double v = parabolaFit(s0, s1, s2);
    if (2.0 * (s0 - 2.0 * s1 + s2) == 0.0) FUZZ_CHECK(v == 0.0);
  }

  // Bilinear interpolation reproduces the corner values at the corners.
  {
    const double c00 = in.moderate(), c10 = in.moderate(), c01 = in.moderate(), c11 = in.moderate();
    FUZZ_CHECK(bilinearInterpolate(0, 0, c00, c10, c01, c11) == c00);
    FUZZ_CHECK(bilinearInterpolate(1, 0, c00, c10, c01, c11) == c10);
    FUZZ_CHECK(bilinearInterpolate(0, 1, c00, c10, c01, c11) == c01);
    FUZZ_CHECK(bilinearInterpolate(1, 1, c00, c10, c01, c11) == c11);
    (void)bilinearInterpolate(in.anyDouble(), in.anyDouble(), in.anyDouble(), in.anyDouble(), in.anyDouble(),
                              in.anyDouble());
  }
}

void points(FuzzInput& in) {
  const bool hostile = in.flag();
  const TavPoint a = in.point(hostile);
  const TavPoint b = in.point(hostile);
  const TavPoint c = in.point(hostile);
  const double v = in.value(hostile);

  TavPoint mid;
  pointsToMiddle(a, b, &mid);
  if (!hostile) {
    FUZZ_CHECK(mid.x >= std::fmin(a.x, b.x) && mid.x <= std::fmax(a.x, b.x));
    FUZZ_CHECK(mid.y >= std::fmin(a.y, b.y) && mid.y <= std::fmax(a.y, b.y));
  }

  const double d = pointPointDist(a, b);
  FUZZ_CHECK(std::isnan(d) || d >= 0.0);
  FUZZ_CHECK(tavfuzz::sameValue(d, pointPointDist(b, a)));

  const double ang = pointPointAngle(a, b);
  FUZZ_CHECK(std::isnan(ang) || (ang >= -kPi && ang <= kPi));
  {
    const double dx = b.x - a.x, dy = b.y - a.y;
    if (dx * dx + dy * dy < 1e-4) FUZZ_CHECK(ang == 0.0);
  }
  const double la = lineAngle(TavLine(a, b));
  FUZZ_CHECK(tavfuzz::sameValue(la, ang));

  double angOut = -99.0, distOut = -99.0;
  pointPointDistAngle(a, b, &angOut, &distOut);
  FUZZ_CHECK(std::isnan(distOut) || distOut >= 0.0);
  FUZZ_CHECK(std::isnan(angOut) || (angOut >= -kPi && angOut <= kPi));

  TavPoint on;
  pointOnLine(a, a, v, &on);
  // Coincident points take the vertical branch (a NaN x is equal to nothing).
  if (!std::isnan(a.x)) FUZZ_CHECK(sameBits(on.x, a.x) && tavfuzz::sameValue(on.y, a.y - v));
  pointOnLine(a, b, v, &on);
  if (!hostile && a.x != b.x && a.y != b.y) {
    // The point lies at distance |v| from a.
    const double got = pointPointDist(a, on);
    FUZZ_CHECK(std::fabs(got - std::fabs(v)) <= 1e-6 * (1.0 + std::fabs(v)));
  }

  TavPoint r = b;
  pointRotate(a, v, &r);
  if (!hostile) {
    const double before = pointPointDist(a, b);
    const double after = pointPointDist(a, r);
    const double scale = 1.0 + before + std::fabs(a.x) + std::fabs(a.y);
    FUZZ_CHECK(std::fabs(before - after) <= 1e-9 * scale);
  }

  TavLine l1;
  pointAngleToLine(a, v, &l1);
  FUZZ_CHECK(sameBits(l1.p1, a));
  TavLine l2;
  l2.p1 = a;
  pointAngleToLine(l2.p1, v, &l2);  // input aliasing the output
  FUZZ_CHECK(tavfuzz::sameValue(l1, l2));

  const double pld = pointLineDist(c, TavLine(a, b));
  FUZZ_CHECK(std::isnan(pld) || pld >= 0.0);

  TavLine bis(TavPoint(7, 7), TavPoint(7, 7));
  const bool ok = pointsToAngleBisect(a, b, c, &bis);
  const bool degenerate = (b.x == a.x && b.y == a.y) || (b.x == c.x && b.y == c.y);
  FUZZ_CHECK(ok == !degenerate);
  if (!ok) FUZZ_CHECK(bis.p1.x == 0 && bis.p1.y == 0 && bis.p2.x == 0 && bis.p2.y == 0);
  if (ok) FUZZ_CHECK(sameBits(bis.p1, c));

  const TavRect rect = in.rect(hostile);
  const bool inside = pointInRect(c, rect);
  FUZZ_CHECK(inside ==
             (rect.x <= c.x && c.x <= rect.x + rect.width && rect.y <= c.y && c.y <= rect.y + rect.height));
}

void boxes(FuzzInput& in) {
  const bool hostile = in.flag();
  std::vector<TavPoint> pts = in.points(256, hostile);
  TavRect box(1, 2, 3, 4, 5);
  pointsToBBox(pts.data(), static_cast<unsigned int>(pts.size()), &box);
  FUZZ_CHECK(box.angle == 0.0);
  if (pts.empty()) {
    FUZZ_CHECK(box.x == 0 && box.y == 0 && box.width == 0 && box.height == 0);
    TavRect nullBox(1, 2, 3, 4, 5);
    pointsToBBox(nullptr, 0, &nullBox);
    FUZZ_CHECK(nullBox.x == 0 && nullBox.width == 0 && nullBox.angle == 0);
    return;
  }
  // Every usable coordinate, truncated, lies in the box, and the box is tight.
  bool anyX = false, anyY = false, minXHit = false, maxXHit = false, minYHit = false, maxYHit = false;
  for (const TavPoint& p : pts) {
    if (!std::isnan(p.x)) {
      anyX = true;
      const double t = detail::truncToInt(p.x);
      FUZZ_CHECK(t >= box.x && t <= box.x + box.width - 1);
      minXHit |= t == box.x;
      maxXHit |= t == box.x + box.width - 1;
    }
    if (!std::isnan(p.y)) {
      anyY = true;
      const double t = detail::truncToInt(p.y);
      FUZZ_CHECK(t >= box.y && t <= box.y + box.height - 1);
      minYHit |= t == box.y;
      maxYHit |= t == box.y + box.height - 1;
    }
  }
  if (anyX)
    FUZZ_CHECK(minXHit && maxXHit && box.width >= 1);
  else
    FUZZ_CHECK(box.x == 0 && box.width == 0);
  if (anyY)
    FUZZ_CHECK(minYHit && maxYHit && box.height >= 1);
  else
    FUZZ_CHECK(box.y == 0 && box.height == 0);
}

}  // namespace

TAVFUZZ_TARGET(fuzz_scalar_points) {
  switch (in.byte() % 3) {
    case 0:
      scalars(in);
      break;
    case 1:
      points(in);
      break;
    default:
      boxes(in);
      break;
  }
}
