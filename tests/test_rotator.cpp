#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

#include "check.h"

using namespace NTavGeometry;

namespace {
constexpr double kPi = 3.141592653589793;

// Centre and angle as the accessors report them, compared exactly.
template <class R, class T>
::testing::AssertionResult holds(const R& r, T x, T y, T a) {
  if (r.x() == x && r.y() == y && r.a() == a) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << r.x() << ", " << r.y() << ", " << r.a();
}
}  // namespace

TEST(Rotator, DefaultsAndAccessors) {
  const CTavRotator r;
  EXPECT_TRUE(holds(r, 0.0, 0.0, 0.0));
  double x = 12.5, y = -3.25;
  r.rotate(&x, &y);
  EXPECT_EQ(x, 12.5);
  EXPECT_EQ(y, -3.25);
  // Constructor order: centre x, centre y, angle.
  CTavRotator s(5, 6, 0);
  s.setAngle(0.5);
  EXPECT_TRUE(holds(s, 5.0, 6.0, 0.5));
  s.set(1, 2, 3);
  EXPECT_TRUE(holds(s, 1.0, 2.0, 3.0));
  static_assert(sizeof(CTavRotator) == 3 * sizeof(double), "three fields only");
  static_assert(std::is_trivially_copyable<CTavRotator>::value, "plain value");
  static_assert(!std::is_polymorphic<CTavRotator>::value, "no virtuals");
}

TEST(Rotator, PositiveAngleTurnsXTowardY) {
  const struct {
    double cx, cy, a, x, y, ex, ey, tol;
  } cases[] = {
      {1, 1, kPi / 2, 2, 1, 1, 2, 1e-15},
      {1, 1, kPi / 2, 1, 2, 0, 1, 1e-15},
      {0, 0, kPi, 3, 4, -3, -4, 1e-15},
      {7.5, -2.25, 1.234, 7.5, -2.25, 7.5, -2.25, 0},  // a point at the centre stays put exactly
  };
  for (const auto& c : cases) {
    double x = c.x, y = c.y;
    CTavRotator(c.cx, c.cy, c.a).rotate(&x, &y);
    EXPECT_TRUE(tavtest::isPt(TavPoint(x, y), c.ex, c.ey, c.tol)) << c.a << " " << c.x << " " << c.y;
  }
}

TEST(Rotator, AssignmentCopiesEverything) {
  CTavRotator a(3, 4, 0.7), b;
  b = a;
  EXPECT_TRUE(holds(b, 3.0, 4.0, 0.7));
  double x1 = 10, y1 = 20, x2 = 10, y2 = 20;
  a.rotate(&x1, &y1);
  b.rotate(&x2, &y2);
  EXPECT_EQ(x1, x2);
  EXPECT_EQ(y1, y2);
}

namespace {
// The single-precision steps spelled out: float differences and float sine and
// cosine, double products and sums, one rounding to float at the end.
void referenceRotateF(float cx, float cy, float a, float* px, float* py) {
  const float dx = *px - cx;
  const float dy = *py - cy;
  const double c = static_cast<float>(std::cos(static_cast<double>(a)));
  const double s = static_cast<float>(std::sin(static_cast<double>(a)));
  const double rx = c * static_cast<double>(dx) - s * static_cast<double>(dy) + cx;
  const double ry = s * static_cast<double>(dx) + c * static_cast<double>(dy) + cy;
  *px = static_cast<float>(rx);
  *py = static_cast<float>(ry);
}
}  // namespace

TEST(RotatorF, SinglePrecisionRoundingPoints) {
  const CTavRotatorF r(-761.019043f, -739.942871f, 0.198395252f);
  float x = 806.740234f, y = -424.449341f;
  r.rotate(&x, &y);
  float ex = 806.740234f, ey = -424.449341f;
  referenceRotateF(-761.019043f, -739.942871f, 0.198395252f, &ex, &ey);
  EXPECT_EQ(x, ex);
  EXPECT_EQ(y, ey);
  EXPECT_EQ(x, 713.804626f);
  // This input tells the rounding points apart: all in float, or all in
  // double, gives another x.
  const float dx = 806.740234f - -761.019043f, dy = -424.449341f - -739.942871f;
  const float c = std::cos(0.198395252f), s = std::sin(0.198395252f);
  const float allFloat = (c * dx - s * dy) + -761.019043f;
  const float allDouble = static_cast<float>(
      (std::cos(static_cast<double>(0.198395252f)) * (806.740234 - -761.019043) -
       std::sin(static_cast<double>(0.198395252f)) * (static_cast<double>(-424.449341f) - -739.942871)) +
      -761.019043);
  EXPECT_NE(x, allFloat);
  EXPECT_NE(x, allDouble);
}

TEST(RotatorF, MatchesStepsOnManyPoints) {
  unsigned state = 12345u;
  auto next = [&state]() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(static_cast<int>(state >> 8) % 200001 - 100000) / 64.0f;
  };
  for (int i = 0; i < 20000; ++i) {
    const float cx = next(), cy = next(), a = next() / 1000.0f;
    float x = next(), y = next();
    float ex = x, ey = y;
    CTavRotatorF r;
    r.set(cx, cy, a);
    r.rotate(&x, &y);
    referenceRotateF(cx, cy, a, &ex, &ey);
    ASSERT_EQ(x, ex) << i;
    ASSERT_EQ(y, ey) << i;
  }
}

TEST(RotatorF, AccessorsAndOverflow) {
  CTavRotatorF r(5.0f, 6.0f, 0.0f);
  r.setAngle(0.5f);
  EXPECT_TRUE(holds(r, 5.0f, 6.0f, 0.5f));
  const CTavRotatorF copy = r;
  EXPECT_TRUE(holds(copy, 5.0f, 6.0f, 0.5f));
  static_assert(sizeof(CTavRotatorF) == 3 * sizeof(float), "three fields only");
  static_assert(std::is_trivially_copyable<CTavRotatorF>::value, "plain value");
  // Results beyond the float range become infinities; NaN stays NaN.
  const float big = std::numeric_limits<float>::max();
  CTavRotatorF h(-big, 0.0f, 0.0f);
  float x = big, y = 0.0f;
  h.rotate(&x, &y);  // dx overflows to infinity in float
  EXPECT_TRUE(std::isinf(x) || std::isnan(x));
  CTavRotatorF n(0.0f, 0.0f, std::numeric_limits<float>::quiet_NaN());
  x = 1.0f, y = 2.0f;
  n.rotate(&x, &y);
  EXPECT_TRUE(std::isnan(x));
  EXPECT_TRUE(std::isnan(y));
  CTavRotatorF q(0.0f, 0.0f, static_cast<float>(kPi / 2));
  x = big, y = big;  // x = -big * (1 + 4.4e-8) in double: past the float range
  q.rotate(&x, &y);
  EXPECT_EQ(x, -std::numeric_limits<float>::infinity());
}

TEST(Rotator, NonFiniteInputsReturn) {
  const double inf = std::numeric_limits<double>::infinity();
  const CTavRotator r(0, 0, inf);
  double x = 1, y = 2;
  r.rotate(&x, &y);
  EXPECT_TRUE(std::isnan(x));
  const CTavRotator s(1e308, -1e308, 1.0);
  x = -1e308, y = 1e308;
  s.rotate(&x, &y);  // the differences overflow
  EXPECT_EQ(x, -inf);
  EXPECT_TRUE(std::isnan(y));
}
