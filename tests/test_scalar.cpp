#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace NTavGeometry;

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}  // namespace

TEST(Scalar, DegreesAndRadians) {
  EXPECT_DOUBLE_EQ(degToRad(180.0), kPi);
  EXPECT_DOUBLE_EQ(radToDeg(kHalfPi), 90.0);
  EXPECT_EQ(degToRad(-90.0), -90.0 * 0.017453292519943295);
}

TEST(Scalar, NormalisersIncludeLowerBoundExcludeUpper) {
  EXPECT_EQ(normalizeAngleMinusPiToPi(kPi), -kPi);
  EXPECT_EQ(normalizeAngleMinusPiToPi(-kPi), -kPi);
  EXPECT_EQ(normalizeAngle0To2Pi(kTwoPi), 0.0);
  EXPECT_EQ(normalizeAngle0ToPi(kPi), 0.0);
  EXPECT_EQ(normalizeAngleMinusPiby2ToPiby2(kHalfPi), -kHalfPi);
  EXPECT_EQ(normalizeAngleMinus2PiTo2Pi(-kTwoPi), -kTwoPi);
  EXPECT_EQ(normalizeAngleMinus2PiTo2Pi(kTwoPi), 0.0);
}

TEST(Scalar, NormalisersFoldByRepeatedAddition) {
  EXPECT_EQ(normalizeAngleMinusPiToPi(0.1), 0.1);  // inside: bit for bit
  EXPECT_NEAR(normalizeAngleMinusPiToPi(3 * kPi), -kPi, 1e-12);
  EXPECT_EQ(normalizeAngle0To2Pi(-0.5), -0.5 + kTwoPi);
  EXPECT_NEAR(normalizeAngle0To2Pi(4 * kPi + 1), 1.0, 1e-12);
  EXPECT_EQ(normalizeAngle0ToPi(-kPi / 4), -kPi / 4 + kPi);
  EXPECT_EQ(normalizeAngleMinusPiby2ToPiby2(3 * kPi / 4), 3 * kPi / 4 - kPi);
  EXPECT_EQ(normalizeAngleMinus2PiTo2Pi(-7.0), -7.0 + kTwoPi);
  EXPECT_EQ(normalizeAngleMinus2PiTo2Pi(6.5), 6.5 - kTwoPi);
  EXPECT_EQ(normalizeAngleMinus2PiTo2Pi(-6.0), -6.0);
  EXPECT_EQ(normalizeAngleMinus2PiTo2Pi(kTwoPi - 1), kTwoPi - 1);
  // A few periods out: exactly the result of repeated subtraction.
  double a = 20.0;
  while (a >= kTwoPi) a -= kTwoPi;
  EXPECT_EQ(normalizeAngle0To2Pi(20.0), a);
}

TEST(Scalar, NormalisersReturnForNonFiniteAndHugeInput) {
  double (*fns[])(double) = {normalizeAngleMinusPiToPi, normalizeAngleMinus2PiTo2Pi, normalizeAngle0To2Pi,
                             normalizeAngle0ToPi, normalizeAngleMinusPiby2ToPiby2};
  const double lower[] = {-kPi, -kTwoPi, 0.0, 0.0, -kHalfPi};
  const double upper[] = {kPi, kTwoPi, kTwoPi, kPi, kHalfPi};
  for (int f = 0; f < 5; ++f) {
    EXPECT_TRUE(std::isnan(fns[f](kInf)));
    EXPECT_TRUE(std::isnan(fns[f](-kInf)));
    EXPECT_TRUE(std::isnan(fns[f](kNaN)));
    for (double v : {1e300, -1e300, 1e17, -1e17, 12345678.9, -1e6, std::numeric_limits<double>::max()}) {
      const double r = fns[f](v);
      EXPECT_GE(r, lower[f]) << f << " " << v;
      EXPECT_LT(r, upper[f]) << f << " " << v;
    }
  }
  // The far-out path still gives the right angle modulo the period.
  EXPECT_NEAR(normalizeAngle0To2Pi(1000.0 * kTwoPi + 1.0), 1.0, 1e-9);
}

TEST(Scalar, QuadraticRootsOrderAndCount) {
  // Roots not found keep the caller's -99.
  const struct {
    double a, b, c;
    int count;
    double r0, r1;
  } cases[] = {
      {1, -3, 2, 2, 2, 1},   // (-b + sqrt D) first
      {-1, 3, -2, 2, 1, 2},  // negative a: larger root second
      {1, 2, 1, 1, -1, -99},
      {1, std::sqrt(1e-5), 0, 2, 0, -std::sqrt(1e-5)},  // b * b is exactly 1e-5: not below the tolerance
      {1, 0, -0.000001, 1, 0, -99},                     // |D| = 4e-6 < 1e-5
      {1, 0, 1, 0, -99, -99},
      {0, 2, -6, 1, 3, -99},  // zero leading coefficient: the linear equation
      {0, 0, 5, 0, -99, -99},
  };
  for (const auto& e : cases) {
    double roots[2] = {-99.0, -99.0};
    int count = -1;
    EXPECT_EQ(solveQuadraticAbcFormula(e.a, e.b, e.c, roots, &count), 0) << e.a << " " << e.b << " " << e.c;
    EXPECT_EQ(count, e.count) << e.a << " " << e.b << " " << e.c;
    EXPECT_EQ(roots[0], e.r0) << e.a << " " << e.b << " " << e.c;
    EXPECT_EQ(roots[1], e.r1) << e.a << " " << e.b << " " << e.c;
  }
}

TEST(Scalar, AverageAngles) {
  double wrap[] = {kPi - 0.1, -kPi + 0.1};
  EXPECT_NEAR(std::fabs(averageAngles(wrap, 2)), kPi, 1e-12);
  double single[] = {7.0};
  EXPECT_EQ(averageAngles(single, 1), 7.0);  // not folded
  double quarter[] = {0.0, kHalfPi};
  EXPECT_NEAR(averageAngles(quarter, 2), kPi / 4, 1e-15);
  EXPECT_EQ(averageAngles(quarter, 0), 0.0);
  EXPECT_EQ(averageAngles(quarter, -3), 0.0);
  EXPECT_EQ(averageAngles(nullptr, 5), 0.0);
}

TEST(Scalar, ParabolaVertex) {
  EXPECT_EQ(parabolaFit(1, 2, 1), 0.0);
  EXPECT_EQ(parabolaFit(0, 1, 1), 0.5);
  EXPECT_EQ(parabolaFit(1, 1, 0), -0.5);  // sign: peak toward the larger neighbour
  EXPECT_EQ(parabolaFit(1, 1, 1), 0.0);
  EXPECT_EQ(parabolaFit(1, 2, 3), 0.0);
  EXPECT_EQ(parabolaFit(0, 1, 3), -1.5);  // not clamped to [-0.5, 0.5]
}

TEST(Scalar, BilinearCornersAndExtrapolation) {
  EXPECT_EQ(bilinearInterpolate(0, 0, 1, 2, 3, 4), 1.0);
  EXPECT_EQ(bilinearInterpolate(1, 0, 1, 2, 3, 4), 2.0);  // c10 is (x1, y0)
  EXPECT_EQ(bilinearInterpolate(0, 1, 1, 2, 3, 4), 3.0);  // c01 is (x0, y1)
  EXPECT_EQ(bilinearInterpolate(1, 1, 1, 2, 3, 4), 4.0);
  EXPECT_EQ(bilinearInterpolate(0.5, 0.5, 1, 2, 3, 4), 2.5);
  EXPECT_EQ(bilinearInterpolate(2, 0, 1, 2, 3, 4), 3.0);
}
