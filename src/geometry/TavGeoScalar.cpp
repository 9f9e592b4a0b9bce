#include <TavGeometry/TavGeoScalar.h>

#include <cmath>

namespace NTavGeometry {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;

// Folds by repeated addition / subtraction of the period, which returns an
// angle inside [lower, upper) bit for bit. Inputs further out than a few dozen
// periods are first reduced with fmod (exact), so the loops stay short and end
// even where adding the period no longer changes the value.
double fold(double angle, double lower, double upper, double period) {
  if (!std::isfinite(angle)) return std::nan("");
  if (std::fabs(angle) > 64.0 * period) angle = std::fmod(angle, period);
  while (angle < lower) angle += period;
  while (angle >= upper) angle -= period;
  return angle;
}

}  // namespace

double degToRad(double angle) { return angle * 0.017453292519943295; }

double radToDeg(double angle) { return angle * 57.29577951308232; }

double normalizeAngleMinusPiToPi(double angle) { return fold(angle, -kPi, kPi, kTwoPi); }

double normalizeAngleMinus2PiTo2Pi(double angle) { return fold(angle, -kTwoPi, kTwoPi, kTwoPi); }

double normalizeAngle0To2Pi(double angle) { return fold(angle, 0.0, kTwoPi, kTwoPi); }

double normalizeAngle0ToPi(double angle) { return fold(angle, 0.0, kPi, kPi); }

double normalizeAngleMinusPiby2ToPiby2(double angle) { return fold(angle, -kHalfPi, kHalfPi, kPi); }

int solveQuadraticAbcFormula(double a, double b, double c, double* const roots, int* count) {
  if (a == 0.0) {
    // Linear equation b*x + c = 0: one root, or none when b is 0 as well.
    if (b != 0.0) {
      roots[0] = -c / b;
      *count = 1;
    } else {
      *count = 0;
    }
    return 0;
  }
  const double d = b * b - 4.0 * a * c;
  if (std::fabs(d) < 1e-5) {
    roots[0] = -b / (2.0 * a);
    *count = 1;
  } else if (d > 0.0) {
    const double s = std::sqrt(d);
    roots[0] = (-b + s) / (2.0 * a);
    roots[1] = (-b - s) / (2.0 * a);
    *count = 2;
  } else {
    *count = 0;
  }
  return 0;
}

double averageAngles(double* angles, int n) {
  if (n == 1 && angles != nullptr) return angles[0];
  double sumSin = 0.0;
  double sumCos = 0.0;
  if (angles != nullptr) {
    for (int i = 0; i < n; ++i) {
      sumSin += std::sin(angles[i]);
      sumCos += std::cos(angles[i]);
    }
  }
  return std::atan2(sumSin, sumCos);
}

double parabolaFit(double s0, double s1, double s2) {
  const double denom = 2.0 * (s0 - 2.0 * s1 + s2);
  if (denom == 0.0) return 0.0;
  return (s0 - s2) / denom;
}

double bilinearInterpolate(double fx, double fy, double c00, double c10, double c01, double c11) {
  return (1.0 - fx) * (1.0 - fy) * c00 + fx * (1.0 - fy) * c10 + (1.0 - fx) * fy * c01 + fx * fy * c11;
}

}  // namespace NTavGeometry
