#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

using namespace NTavGeometry;

namespace {
constexpr double kPi = 3.141592653589793;
}  // namespace

TEST(Rotator, DefaultsAndAccessors) {
  const CTavRotator r;
  EXPECT_EQ(r.x(), 0.0);
  EXPECT_EQ(r.y(), 0.0);
  EXPECT_EQ(r.a(), 0.0);
  double x = 12.5, y = -3.25;
  r.rotate(&x, &y);
  EXPECT_EQ(x, 12.5);
  EXPECT_EQ(y, -3.25);
  // Constructor order: centre x, centre y, angle.
  CTavRotator s(5, 6, 0);
  s.setAngle(0.5);
  EXPECT_EQ(s.x(), 5.0);
  EXPECT_EQ(s.y(), 6.0);
  EXPECT_EQ(s.a(), 0.5);
  s.set(1, 2, 3);
  EXPECT_EQ(s.x(), 1.0);
  EXPECT_EQ(s.y(), 2.0);
  EXPECT_EQ(s.a(), 3.0);
  static_assert(sizeof(CTavRotator) == 3 * sizeof(double), "three fields only");
  static_assert(std::is_trivially_copyable<CTavRotator>::value, "plain value");
  static_assert(!std::is_polymorphic<CTavRotator>::value, "no virtuals");
}

TEST(Rotator, PositiveAngleTurnsXTowardY) {
  const CTavRotator r(1, 1, kPi / 2);
  double x = 2, y = 1;
  r.rotate(&x, &y);
  EXPECT_NEAR(x, 1.0, 1e-15);
  EXPECT_NEAR(y, 2.0, 1e-15);
  x = 1, y = 2;
  r.rotate(&x, &y);
  EXPECT_NEAR(x, 0.0, 1e-15);
  EXPECT_NEAR(y, 1.0, 1e-15);
  const CTavRotator h(0, 0, kPi);
  x = 3, y = 4;
  h.rotate(&x, &y);
  EXPECT_NEAR(x, -3.0, 1e-15);
  EXPECT_NEAR(y, -4.0, 1e-15);
  // A point at the centre stays put exactly.
  const CTavRotator c(7.5, -2.25, 1.234);
  x = 7.5, y = -2.25;
  c.rotate(&x, &y);
  EXPECT_EQ(x, 7.5);
  EXPECT_EQ(y, -2.25);
}

TEST(Rotator, AssignmentCopiesEverything) {
  CTavRotator a(3, 4, 0.7), b;
  b = a;
  EXPECT_EQ(b.x(), 3.0);
  EXPECT_EQ(b.y(), 4.0);
  EXPECT_EQ(b.a(), 0.7);
  double x1 = 10, y1 = 20, x2 = 10, y2 = 20;
  a.rotate(&x1, &y1);
  b.rotate(&x2, &y2);
  EXPECT_EQ(x1, x2);
  EXPECT_EQ(y1, y2);
}
