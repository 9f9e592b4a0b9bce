#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoScalar.h>

#include <cmath>

#include "geometry/TavGeoInternal.h"

namespace NTavGeometry {

namespace {

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kQuarterPi = 0.7853981633974483;

}  // namespace

bool lineIsValid(const TavLine& line) {
  return detail::roundedHypot(line.p2.x - line.p1.x, line.p2.y - line.p1.y) > 1e-8;
}

bool lineIsHoriz(const TavLine& line) { return std::fabs(line.p2.y - line.p1.y) <= 1e-5; }

bool lineIsVert(const TavLine& line) { return std::fabs(line.p2.x - line.p1.x) <= 1e-5; }

bool lineXIntercept(const TavLine& line, double y, double* x) {
  const double dx = line.p2.x - line.p1.x;
  const double dy = line.p2.y - line.p1.y;
  // Not written as !(|dy| > 1e-5): a NaN direction goes on and yields NaN.
  if (std::fabs(dy) <= 1e-5) {
    *x = 0.0;
    return false;
  }
  *x = line.p2.x - (line.p2.y - y) * dx / dy;
  return true;
}

bool lineYIntercept(const TavLine& line, double x, double* y) {
  const double dx = line.p2.x - line.p1.x;
  const double dy = line.p2.y - line.p1.y;
  if (std::fabs(dx) <= 1e-5) {
    *y = 0.0;
    return false;
  }
  *y = line.p2.y - (line.p2.x - x) * dy / dx;
  return true;
}

bool lineIsParallel(const TavLine& first, const TavLine& second) {
  const double angle1 = std::atan2(first.p2.y - first.p1.y, first.p2.x - first.p1.x);
  const double angle2 = std::atan2(second.p2.y - second.p1.y, second.p2.x - second.p1.x);
  return std::fabs(std::sin(angle2 - angle1)) < 1e-6;
}

bool lineCompare(const TavLine& first, const TavLine& second) {
  if (!lineIsParallel(first, second)) return false;
  // The axis follows the first line's true direction taken modulo pi, so a
  // line pointing toward negative x and a short line are treated like any
  // other line of their orientation.
  const double dir = std::atan2(first.p2.y - first.p1.y, first.p2.x - first.p1.x);
  double a = 0.0, b = 0.0;
  bool okA, okB;
  if (std::fabs(normalizeAngleMinusPiby2ToPiby2(dir)) <= kQuarterPi) {
    okA = lineYIntercept(first, 0.0, &a);
    okB = lineYIntercept(second, 0.0, &b);
  } else {
    okA = lineXIntercept(first, 0.0, &a);
    okB = lineXIntercept(second, 0.0, &b);
  }
  // A line that cannot reach the chosen axis (far too short) has no intercept
  // to compare: it is not found equal to anything.
  if (!okA || !okB) return false;
  return std::fabs(b - a) <= 1e-5;
}

void line2AbcLineEquation(const TavLine& line, double* coefY, double* coefX, double* constant) {
  const double dx = line.p2.x - line.p1.x;
  const double dy = line.p2.y - line.p1.y;
  const double x2 = line.p2.x;
  const double y2 = line.p2.y;
  double cy, cx;
  if (std::fabs(dx) < 1e-5) {
    cy = 0.0;
    cx = 1.0;
  } else {
    cy = 1.0;
    cx = -dy / dx;
  }
  *coefY = cy;
  *coefX = cx;
  *constant = -(y2 * cy) - cx * x2;
}

void lineToRoTheta(const TavLine& line, double* ro, double* theta) {
  const TavLine l = line;  // the outputs may point into the line
  const double r = pointLineDist(TavPoint(0.0, 0.0), l);
  *ro = r;
  double t;
  if (r < 1e-8) {
    t = lineAngle(l) + kHalfPi;
  } else if (detail::roundedHypot(l.p2.x - l.p1.x, l.p2.y - l.p1.y) <= 1e-8) {
    t = 0.0;
  } else {
    const double a = lineAngle(l);
    TavLine perp;
    linePointToLinePerpendicular(l, TavPoint(0.0, 0.0), &perp);
    TavPoint foot(0.0, 0.0);
    lineLineIntersection(perp, l, &foot);
    if (std::fabs(normalizeAngleMinusPiby2ToPiby2(a)) <= kQuarterPi) {
      t = foot.y >= 0.0 ? a + kHalfPi : a - kHalfPi;
    } else {
      t = foot.x >= 0.0 ? a + kHalfPi : a - kHalfPi;
    }
  }
  *theta = normalizeAngle0ToPi(t);
}

}  // namespace NTavGeometry
