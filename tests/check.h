// Small comparison helpers shared by the tests. Each returns an
// AssertionResult, so a failure is reported at the caller's line with the
// values involved. A tolerance of 0 asks for exact equality (as EXPECT_EQ),
// any other tolerance for |got - want| <= tol (as EXPECT_NEAR).
#pragma once

#include <TavGeometry/TavTypes.h>
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <iomanip>
#include <sstream>

namespace tavtest {

inline std::string show(const TavPoint& p) {
  std::ostringstream s;
  s << std::setprecision(17) << "(" << p.x << ", " << p.y << ")";
  return s.str();
}

// The numbers of a result against the wanted ones, in order; a failure lists each as "got (wanted)".
inline ::testing::AssertionResult isNear(std::initializer_list<double> got, std::initializer_list<double> want,
                                         double tol) {
  std::ostringstream s;
  bool ok = true;
  for (auto g = got.begin(), w = want.begin(); g != got.end(); ++g, ++w) {
    ok = ok && (tol == 0 ? *g == *w : std::fabs(*g - *w) <= tol);
    s << std::setprecision(17) << " " << *g << " (" << *w << ")";
  }
  return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << s.str() << ", tol " << tol;
}
inline ::testing::AssertionResult isNum(double got, double want, double tol = 0) {
  return isNear({got}, {want}, tol);
}
inline ::testing::AssertionResult isPt(const TavPoint& p, double x, double y, double tol = 0) {
  return isNear({p.x, p.y}, {x, y}, tol);
}
inline ::testing::AssertionResult isLine(const TavLine& l, double x1, double y1, double x2, double y2,
                                         double tol = 0) {
  return isNear({l.p1.x, l.p1.y, l.p2.x, l.p2.y}, {x1, y1, x2, y2}, tol);
}
inline ::testing::AssertionResult isCircle(const TavCircle& c, double x, double y, double r, double tol = 0) {
  return isNear({c.center.x, c.center.y, c.radius}, {x, y, r}, tol);
}

}  // namespace tavtest
