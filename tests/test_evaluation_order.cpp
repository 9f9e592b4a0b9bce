// The library promises the same doubles on every machine, so each formula is evaluated in one fixed order.
// Each check recomputes a formula in that order on random inputs and demands identical bits; the inputs
// have many significant bits, so that another order (or an equal form) would round differently. The
// constructions through three points are held to exact rows in test_geometry.cpp and to their points by
// fuzz_circles; the determinism digest holds every output to its recorded bits.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "check.h"

using namespace NTavGeometry;
using tavtest::isPt;

namespace {
constexpr double kPi = 3.141592653589793, kHalfPi = 1.5707963267948966;
}  // namespace

TEST(EvaluationOrder, EveryFormulaInItsFixedOrder) {
  std::mt19937_64 rng(1);
  auto d = [&rng](double lo = -1000.0, double hi = 1000.0) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  auto pt = [&d] { return TavPoint{d(), d()}; };  // braces: x is drawn first
  for (int i = 0; i < 3000; ++i) {
    SCOPED_TRACE(i);
    // pointRotate adds the centre before the sine term; the rotator adds it last.
    const TavPoint c = pt(), a = pt(), b = pt(), q = pt();
    const double angle = d(-4, 4), cs = std::cos(angle), sn = std::sin(angle), dx = q.x - c.x, dy = q.y - c.y;
    TavPoint p = q;
    pointRotate(c, angle, &p);
    ASSERT_TRUE(isPt(p, (cs * dx + c.x) - sn * dy, (sn * dx + c.y) + cs * dy));
    double rx = q.x, ry = q.y;
    CTavRotator(c.x, c.y, angle).rotate(&rx, &ry);
    ASSERT_TRUE(isPt(TavPoint(rx, ry), (cs * dx - sn * dy) + c.x, (sn * dx + cs * dy) + c.y));
    const double s = d(-50, 50), hl = pointPointDist(TavPoint(a.x - b.x, a.y - b.y), TavPoint());
    pointOnLine(a, b, s, &p);
    ASSERT_TRUE(isPt(p, a.x + s * (b.x - a.x) / hl, a.y + s * (b.y - a.y) / hl));
    const double fx = d(-0.5, 1.5), fy = d(-0.5, 1.5), c00 = d(), c10 = d(), c01 = d(), c11 = d();
    ASSERT_EQ(bilinearInterpolate(fx, fy, c00, c10, c01, c11),
              (1 - fx) * (1 - fy) * c00 + fx * (1 - fy) * c10 + (1 - fx) * fy * c01 + fx * fy * c11);
    const double s0 = d(), s1 = d(), s2 = d();
    ASSERT_EQ(parabolaFit(s0, s1, s2), (s0 - s2) / (2 * (s0 - 2 * s1 + s2)));

    // Crossings are measured along the first line; the x intercept from p2; the bisector turns from the
    // first angle by half the (short way round) difference, from the crossing.
    const TavLine f(pt(), pt()), g(pt(), pt());
    const double fdx = f.p2.x - f.p1.x, fdy = f.p2.y - f.p1.y, gdx = g.p2.x - g.p1.x, gdy = g.p2.y - g.p1.y;
    ASSERT_TRUE(lineLineIntersection(f, g, &p));
    const double t = (gdx * (f.p1.y - g.p1.y) - gdy * (f.p1.x - g.p1.x)) / (fdx * gdy - fdy * gdx);
    ASSERT_TRUE(isPt(p, f.p1.x + t * fdx, f.p1.y + t * fdy));
    double x = 0, y = d();
    ASSERT_TRUE(lineXIntercept(f, y, &x) && x == f.p2.x - (f.p2.y - y) * fdx / fdy);
    TavLine out;
    lineLineBisect(f, g, &out);
    const double a1 = std::atan2(fdy, fdx), a2 = std::atan2(gdy, gdx);
    double diff = a2 - a1;
    if (diff > kPi) diff -= 2 * kPi;
    if (diff < -kPi) diff += 2 * kPi;
    const double turn = a1 + diff * 0.5 + (std::fabs(diff) > kHalfPi ? kHalfPi : 0.0);
    ASSERT_TRUE(out.p1.x == p.x &&
                isPt(out.p2, p.x + 10000.0 * std::cos(turn), p.y + 10000.0 * std::sin(turn)));

    // Circle and a slanted line: y = m x + k put into the quadratic term by term; steeper than 45 degrees,
    // x = w y + u, the quadratic in y divided by |w|, the larger x first.
    const TavCircle circle(pt(), d(1, 500));
    const TavLine line(pt(), pt());
    const double m = (line.p2.y - line.p1.y) / (line.p2.x - line.p1.x), k = -(-line.p2.y + m * line.p2.x);
    const double w = (line.p2.x - line.p1.x) / (line.p2.y - line.p1.y), u = line.p2.x - w * line.p2.y;
    const double ccx = circle.center.x, ccy = circle.center.y, r = circle.radius, kw = 1 / std::fabs(w);
    double roots[2];
    int n = 0, count = -1;
    if (std::fabs(m) <= 1)
      solveQuadraticAbcFormula(1 + m * m, 2 * (k * m - ccx - ccy * m),
                               k * k + ccx * ccx - 2 * ccy * k + ccy * ccy - r * r, roots, &n);
    else
      solveQuadraticAbcFormula(kw * (1 + w * w), kw * (2 * (u * w - ccy - ccx * w)),
                               kw * (u * u + ccy * ccy - 2 * ccx * u + ccx * ccx - r * r), roots, &n);
    TavPoint pts[2];
    circleLineIntersection(circle, line, pts, &count);
    ASSERT_EQ(count, n);
    const int i0 = w > 0 ? 0 : 1;
    ASSERT_TRUE(n != 2 || (std::fabs(m) <= 1 ? isPt(pts[0], roots[0], m * roots[0] + k) && pts[1].x == roots[1]
                                             : isPt(pts[0], w * roots[i0] + u, roots[i0]) &&
                                                   pts[1].y == roots[1 - i0]));
    // Two circles: the distance of the centres by a plain square root.
    const TavCircle e1(pt(), d(1, 800)), e2(pt(), d(1, 800));
    const double ex = e2.center.x - e1.center.x, ey = e2.center.y - e1.center.y;
    const double dd = std::sqrt(ex * ex + ey * ey), ux = ex / dd, uy = ey / dd;
    const double along = (dd * dd + e1.radius * e1.radius - e2.radius * e2.radius) / (2 * dd);
    const double h2 = e1.radius * e1.radius - along * along, h = h2 > 0 ? std::sqrt(h2) : 0.0;
    circleCircleIntersection(e1, e2, pts, &count);
    ASSERT_EQ(count, h2 > 0 ? 2 : h2 == 0 ? 1 : 0);
    ASSERT_TRUE(isPt(pts[0], (e1.center.x + along * ux) - h * uy, (e1.center.y + along * uy) + h * ux));
    ASSERT_TRUE(isPt(pts[1], (e1.center.x + along * ux) + h * uy, (e1.center.y + along * uy) - h * ux));

    if (i % 10 == 0) {  // the area adds, then subtracts each product
      std::vector<TavPoint> v(3 + i / 10 % 9);
      for (TavPoint& vp : v) vp = pt();
      double area = 0;
      for (std::size_t j = 0, k = 1 % v.size(); j < v.size(); ++j, k = (j + 1) % v.size())
        area = (area + v[j].x * v[k].y) - v[j].y * v[k].x;
      ASSERT_EQ(polygonArea(v.data(), static_cast<unsigned>(v.size())), std::fabs(area * 0.5));
    }
    if (i % 30 == 0) {  // a point set advances the angle by repeated addition; its size: fuzz_circles
      const TavArc arc(pt(), d(2, 40), d(-3, 3), d(-6, 6));
      std::vector<TavPoint> set;
      arcToPointSet(arc, &set);
      double phi = arc.startAngle;
      for (const TavPoint& e : set) {
        ASSERT_TRUE(
            isPt(e, arc.center.x + arc.radius * std::cos(phi), arc.center.y + arc.radius * std::sin(phi)));
        phi += arc.sweepAngle < 0 ? -(1.0 / arc.radius) : 1.0 / arc.radius;
      }
    }
  }
}
