// The library promises the same doubles on every machine, so each formula is evaluated in one fixed order.
// Each check recomputes a formula in that order on random inputs and demands identical bits; the inputs
// have many significant bits, so that another order (or an equal form) would round differently.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "check.h"

using namespace NTavGeometry;
using tavtest::isPt;

namespace {

constexpr int kRounds = 3000;
constexpr double kPi = 3.141592653589793, kHalfPi = 1.5707963267948966;

struct Draw {
  std::mt19937_64 rng;
  double operator()(double lo = -1000.0, double hi = 1000.0) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  }
  TavPoint point() {
    const double x = (*this)();
    return TavPoint(x, (*this)());
  }
};

// The circle through (q1, q2, q3) from the slopes of the chords q1q2 and q2q3.
TavCircle slopeCircle(const TavPoint& q1, const TavPoint& q2, const TavPoint& q3) {
  const double as = (q2.y - q1.y) / (q2.x - q1.x), bs = (q3.y - q2.y) / (q3.x - q2.x);
  const double cx = (as * bs * (q1.y - q3.y) + bs * (q1.x + q2.x) - as * (q2.x + q3.x)) / (2 * (bs - as));
  const double cy = (q1.y + q2.y) * 0.5 - (cx - (q1.x + q2.x) * 0.5) / as;
  return TavCircle(TavPoint(cx, cy), pointPointDist(TavPoint(cx - q1.x, cy - q1.y), TavPoint()));
}

::testing::AssertionResult sameBits(const TavCircle& a, const TavCircle& b) {
  return tavtest::isCircle(a, b.center.x, b.center.y, b.radius);
}

}  // namespace

TEST(EvaluationOrder, PointsAndScalars) {
  Draw d{std::mt19937_64(1)};
  for (int i = 0; i < kRounds; ++i) {
    // pointRotate adds the centre before the sine term; the rotator adds it last.
    const TavPoint c = d.point(), a = d.point(), b = d.point(), q = d.point();
    const double angle = d(-4, 4), cs = std::cos(angle), sn = std::sin(angle);
    const double dx = q.x - c.x, dy = q.y - c.y;
    TavPoint p = q;
    pointRotate(c, angle, &p);
    ASSERT_TRUE(isPt(p, (cs * dx + c.x) - sn * dy, (sn * dx + c.y) + cs * dy)) << i;
    double rx = q.x, ry = q.y;
    CTavRotator(c.x, c.y, angle).rotate(&rx, &ry);
    ASSERT_TRUE(isPt(TavPoint(rx, ry), (cs * dx - sn * dy) + c.x, (sn * dx + cs * dy) + c.y)) << i;

    ASSERT_EQ(pointPointDist(a, b), pointPointDist(TavPoint(a.x - b.x, a.y - b.y), TavPoint())) << i;
    const double lx = b.x - a.x, ly = b.y - a.y, len = std::sqrt(lx * lx + ly * ly);
    ASSERT_EQ(pointLineDist(q, TavLine(a, b)), std::fabs((q.y - a.y) * lx / len - (q.x - a.x) * ly / len))
        << i;
    const double s = d(-50, 50), hl = pointPointDist(TavPoint(a.x - b.x, a.y - b.y), TavPoint());
    TavPoint on;
    pointOnLine(a, b, s, &on);
    ASSERT_TRUE(isPt(on, a.x + s * (b.x - a.x) / hl, a.y + s * (b.y - a.y) / hl)) << i;

    const double fx = d(-0.5, 1.5), fy = d(-0.5, 1.5), c00 = d(), c10 = d(), c01 = d(), c11 = d();
    ASSERT_EQ(bilinearInterpolate(fx, fy, c00, c10, c01, c11),
              (1 - fx) * (1 - fy) * c00 + fx * (1 - fy) * c10 + (1 - fx) * fy * c01 + fx * fy * c11)
        << i;
    const double s0 = d(), s1 = d(), s2 = d();
    ASSERT_EQ(parabolaFit(s0, s1, s2), (s0 - s2) / (2 * (s0 - 2 * s1 + s2))) << i;

    if (i % 10 == 0) {  // the area adds, then subtracts each product
      std::vector<TavPoint> v(3 + i / 10 % 9);
      for (TavPoint& vp : v) vp = d.point();
      double area = 0;
      for (std::size_t k = 0; k < v.size(); ++k) {
        area += v[k].x * v[(k + 1) % v.size()].y;
        area -= v[k].y * v[(k + 1) % v.size()].x;
      }
      ASSERT_EQ(polygonArea(v.data(), static_cast<unsigned>(v.size())), std::fabs(area * 0.5)) << i;
    }
  }
}

TEST(EvaluationOrder, LineCrossingsAreMeasuredAlongTheFirstLine) {
  Draw d{std::mt19937_64(3)};
  for (int i = 0; i < kRounds; ++i) {
    const TavLine f(d.point(), d.point()), s(d.point(), d.point());
    const double fdx = f.p2.x - f.p1.x, fdy = f.p2.y - f.p1.y, sdx = s.p2.x - s.p1.x, sdy = s.p2.y - s.p1.y;
    TavPoint p;
    ASSERT_TRUE(lineLineIntersection(f, s, &p));
    const double t = (sdx * (f.p1.y - s.p1.y) - sdy * (f.p1.x - s.p1.x)) / (fdx * sdy - fdy * sdx);
    ASSERT_TRUE(isPt(p, f.p1.x + t * fdx, f.p1.y + t * fdy)) << i;

    const double y = d();
    double x = 0;
    ASSERT_TRUE(lineXIntercept(f, y, &x));
    ASSERT_EQ(x, f.p2.x - (f.p2.y - y) * fdx / fdy) << i;

    // The bisector turns from the first angle by half the (short way round) difference.
    TavLine out;
    lineLineBisect(f, s, &out);
    const double a1 = std::atan2(fdy, fdx), a2 = std::atan2(sdy, sdx);
    double diff = a2 - a1;
    if (diff > kPi) diff -= 2 * kPi;
    if (diff < -kPi) diff += 2 * kPi;
    double angle = a1 + diff * 0.5;
    if (std::fabs(diff) > kHalfPi) angle += kHalfPi;
    ASSERT_EQ(out.p1.x, p.x) << i;
    ASSERT_TRUE(isPt(out.p2, p.x + 10000.0 * std::cos(angle), p.y + 10000.0 * std::sin(angle))) << i;
  }
}

TEST(EvaluationOrder, CircleFormulas) {
  Draw d{std::mt19937_64(6)};
  for (int i = 0; i < kRounds; ++i) {
    // Chords well away from horizontal and vertical: the first ordering is used.
    const TavPoint q1 = d.point();
    const TavPoint q2(q1.x + d(1, 100), q1.y + d(1, 100));
    const TavPoint q3(q2.x + d(1, 100), q2.y - d(1, 100));
    TavCircle c;
    ASSERT_TRUE(circleIn3Points(q1, q2, q3, &c));
    ASSERT_TRUE(sameBits(c, slopeCircle(q1, q2, q3))) << i;

    // Circle and a slanted line: y = m x + q put into the quadratic term by term.
    const TavCircle circle(d.point(), d(1, 500));
    const TavLine line(d.point(), d.point());
    const double m = (line.p2.y - line.p1.y) / (line.p2.x - line.p1.x), q = -(-line.p2.y + m * line.p2.x);
    const double ccx = circle.center.x, ccy = circle.center.y, r = circle.radius;
    double roots[2];
    int n = 0, count = -1;
    solveQuadraticAbcFormula(1 + m * m, 2 * (q * m - ccx - ccy * m),
                             q * q + ccx * ccx - 2 * ccy * q + ccy * ccy - r * r, roots, &n);
    TavPoint pts[2];
    circleLineIntersection(circle, line, pts, &count);
    ASSERT_EQ(count, n) << i;
    ASSERT_TRUE(n != 2 || (isPt(pts[0], roots[0], m * roots[0] + q) && pts[1].x == roots[1])) << i;

    // Two circles: the distance of the centres by a plain square root.
    const TavCircle e1(d.point(), d(1, 800)), e2(d.point(), d(1, 800));
    const double dx = e2.center.x - e1.center.x, dy = e2.center.y - e1.center.y;
    const double dd = std::sqrt(dx * dx + dy * dy), ux = dx / dd, uy = dy / dd;
    const double a = (dd * dd + e1.radius * e1.radius - e2.radius * e2.radius) / (2 * dd);
    const double h2 = e1.radius * e1.radius - a * a, h = h2 > 0 ? std::sqrt(h2) : 0.0;
    circleCircleIntersection(e1, e2, pts, &count);
    ASSERT_EQ(count, h2 > 0 ? 2 : h2 == 0 ? 1 : 0) << i;
    ASSERT_TRUE(isPt(pts[0], (e1.center.x + a * ux) - h * uy, (e1.center.y + a * uy) + h * ux)) << i;
    ASSERT_TRUE(isPt(pts[1], (e1.center.x + a * ux) + h * uy, (e1.center.y + a * uy) - h * ux)) << i;
  }
}

TEST(EvaluationOrder, CircleThroughThreePointsTakesTheFirstUsableOrdering) {
  // With one chord horizontal or vertical, two orderings remain usable; the one listed first decides.
  Draw d{std::mt19937_64(9)};
  for (int i = 0; i < kRounds; ++i) {
    const TavPoint a = d.point(), b = d.point(), c = d.point();
    if (std::fabs(a.x - b.x) < 1 || std::fabs(a.y - b.y) < 1 || std::fabs(b.x - c.x) < 1 ||
        std::fabs(b.y - c.y) < 1 || std::fabs(a.x - c.x) < 1 || std::fabs(a.y - c.y) < 1)
      continue;
    const TavPoint p2(b.x, a.y), p3(b.x, c.y), q3(c.x, a.y);
    TavCircle got;
    ASSERT_TRUE(!circleIn3Points(a, p2, c, &got) || sameBits(got, slopeCircle(a, c, p2))) << i;  // p1p2 level
    ASSERT_TRUE(!circleIn3Points(a, b, p3, &got) || sameBits(got, slopeCircle(b, a, p3)))
        << i;  // p2p3 upright
    ASSERT_TRUE(!circleIn3Points(a, b, q3, &got) || sameBits(got, slopeCircle(a, b, q3))) << i;  // p1p3 level
  }
}

TEST(EvaluationOrder, Arcs) {
  Draw d{std::mt19937_64(7)};
  for (int i = 0; i < kRounds; ++i) {
    if (i % 30 == 0) {  // sampling advances the angle by repeated addition
      const TavArc arc(d.point(), d(2, 40), d(-3, 3), d(-6, 6));
      const unsigned count = 2 + static_cast<unsigned>(i / 30 % 40);
      std::vector<TavPoint> pts(count), set;
      arcToPolyline(arc, pts.data(), count);
      arcToPointSet(arc, &set);
      ASSERT_EQ(set.size(), static_cast<std::size_t>(std::fabs(arc.sweepAngle) * arc.radius)) << i;
      const double step = arc.sweepAngle / static_cast<double>(count - 1);
      const double sstep = arc.sweepAngle < 0 ? -(1.0 / arc.radius) : 1.0 / arc.radius;
      for (int which = 0; which < 2; ++which) {
        const std::vector<TavPoint>& v = which ? set : pts;
        double phi = arc.startAngle;
        for (std::size_t k = 0; k < v.size(); ++k, phi += which ? sstep : step)
          ASSERT_TRUE(isPt(v[k], arc.center.x + arc.radius * std::cos(phi),
                           arc.center.y + arc.radius * std::sin(phi)))
              << i << " " << which << " " << k;
      }
    }
    const TavPoint p1 = d.point(), p2 = d.point(), p3 = d.point();
    const double x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y, x3 = p3.x, y3 = p3.y;
    const double dd = 2 * (x1 * y2 + x2 * y3 + x3 * y1 - x1 * y3 - x2 * y1 - x3 * y2);
    if (std::fabs(dd) < 1.0 || std::fabs(x1 - x3) < 1.0) continue;
    TavArc arc;
    ASSERT_TRUE(arcIn3Points(p1, p2, p3, &arc));
    const double cy = ((x1 * x1 + y1 * y1) * (x3 - x2) + (x2 * x2 + y2 * y2) * (x1 - x3) +
                       (x3 * x3 + y3 * y3) * (x2 - x1)) /
                      dd;
    const double cx =
        ((x1 * x1 + y1 * y1) + 2 * cy * y3 - (x3 * x3 + y3 * y3) - 2 * cy * y1) / (2 * (x1 - x3));
    ASSERT_TRUE(isPt(arc.center, cx, cy)) << i;
    ASSERT_EQ(arc.radius, pointPointDist(TavPoint(cx - x1, cy - y1), TavPoint())) << i;
    ASSERT_EQ(arc.startAngle, std::atan2(y1 - cy, x1 - cx)) << i;
  }
}
