// Small comparison helpers shared by the tests. Each returns an
// AssertionResult, so a failure is reported at the caller's line with the
// values involved. A tolerance of 0 asks for exact equality (as EXPECT_EQ),
// any other tolerance for |got - want| <= tol (as EXPECT_NEAR).
#pragma once

#include <TavGeometry/TavTypes.h>
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>

namespace tavtest {

inline bool within(double got, double want, double tol) {
  return tol == 0 ? got == want : std::fabs(got - want) <= tol;
}

inline std::string show(const TavPoint& p) {
  std::ostringstream s;
  s << std::setprecision(17) << "(" << p.x << ", " << p.y << ")";
  return s.str();
}

inline ::testing::AssertionResult isNum(double got, double want, double tol = 0) {
  if (within(got, want, tol)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::setprecision(17) << got << " != " << want << " (tol " << tol
                                       << ")";
}

inline ::testing::AssertionResult isPt(const TavPoint& p, double x, double y, double tol = 0) {
  if (within(p.x, x, tol) && within(p.y, y, tol)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << show(p) << " != " << show(TavPoint(x, y)) << " (tol " << tol << ")";
}

inline ::testing::AssertionResult isLine(const TavLine& l, double x1, double y1, double x2, double y2,
                                         double tol = 0) {
  if (within(l.p1.x, x1, tol) && within(l.p1.y, y1, tol) && within(l.p2.x, x2, tol) && within(l.p2.y, y2, tol))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << show(l.p1) << "-" << show(l.p2) << " != " << show(TavPoint(x1, y1))
                                       << "-" << show(TavPoint(x2, y2)) << " (tol " << tol << ")";
}

inline ::testing::AssertionResult isCircle(const TavCircle& c, double x, double y, double r, double tol = 0) {
  if (within(c.center.x, x, tol) && within(c.center.y, y, tol) && within(c.radius, r, tol))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << show(c.center) << " r " << std::setprecision(17) << c.radius
                                       << " != " << show(TavPoint(x, y)) << " r " << r << " (tol " << tol << ")";
}

}  // namespace tavtest
