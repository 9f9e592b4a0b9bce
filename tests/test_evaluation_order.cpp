// The library promises the same doubles on every machine, so each formula is
// evaluated in one fixed order. These tests recompute the formulas in that
// order on many random inputs and demand identical bits. Each also counts the
// inputs on which a plausible other order (or a mathematically equal form)
// gives other bits, so that the comparison is known to have something to catch.
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
constexpr double kHalfPi = 1.5707963267948966;

class Draw {
 public:
  explicit Draw(unsigned seed) : rng_(seed) {}
  // Values with many significant bits, so that rounding differs between orders.
  double operator()(double lo = -1000.0, double hi = 1000.0) {
    return std::uniform_real_distribution<double>(lo, hi)(rng_);
  }
  TavPoint point() {
    const double x = (*this)();
    return TavPoint(x, (*this)());
  }

 private:
  std::mt19937_64 rng_;
};

// The circle through (q1, q2, q3) from the slopes of the chords q1q2 and q2q3.
TavCircle slopeCircle(const TavPoint& q1, const TavPoint& q2, const TavPoint& q3) {
  const double as = (q2.y - q1.y) / (q2.x - q1.x), bs = (q3.y - q2.y) / (q3.x - q2.x);
  const double cx = (as * bs * (q1.y - q3.y) + bs * (q1.x + q2.x) - as * (q2.x + q3.x)) / (2 * (bs - as));
  const double cy = (q1.y + q2.y) * 0.5 - (cx - (q1.x + q2.x) * 0.5) / as;
  return TavCircle(TavPoint(cx, cy), pointPointDist(TavPoint(cx - q1.x, cy - q1.y), TavPoint()));
}

bool sameBits(const TavCircle& a, const TavCircle& b) {
  return a.center.x == b.center.x && a.center.y == b.center.y && a.radius == b.radius;
}

}  // namespace

TEST(EvaluationOrder, PointRotateAddsTheCentreBeforeTheSineTerm) {
  Draw d(1);
  int other = 0, otherRotator = 0;
  for (int i = 0; i < kRounds; ++i) {
    const TavPoint c = d.point();
    const double angle = d(-4, 4);
    TavPoint p = d.point();
    const double dx = p.x - c.x, dy = p.y - c.y;
    const double cs = std::cos(angle), sn = std::sin(angle);
    pointRotate(c, angle, &p);
    ASSERT_TRUE(isPt(p, (cs * dx + c.x) - sn * dy, (sn * dx + c.y) + cs * dy)) << i;
    other += p.x != (cs * dx - sn * dy) + c.x;
    // The rotator uses the other order: products first, centre last.
    double rx = dx + c.x, ry = dy + c.y;
    const double rdx = rx - c.x, rdy = ry - c.y;
    CTavRotator(c.x, c.y, angle).rotate(&rx, &ry);
    ASSERT_TRUE(isPt(TavPoint(rx, ry), (cs * rdx - sn * rdy) + c.x, (sn * rdx + cs * rdy) + c.y)) << i;
    otherRotator += rx != (cs * rdx + c.x) - sn * rdy;
  }
  EXPECT_GT(other, kRounds / 50);
  EXPECT_GT(otherRotator, kRounds / 50);
}

TEST(EvaluationOrder, PointDistancesAndPointOnLine) {
  Draw d(2);
  int otherDist = 0, otherLineDist = 0, otherOnLine = 0;
  for (int i = 0; i < kRounds; ++i) {
    const TavPoint a = d.point(), b = d.point(), p = d.point();
    const double dist = pointPointDist(a, b);
    ASSERT_EQ(dist, pointPointDist(TavPoint(a.x - b.x, a.y - b.y), TavPoint())) << i;
    otherDist += dist != std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));

    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    const double ld = pointLineDist(p, TavLine(a, b));
    ASSERT_EQ(ld, std::fabs((p.y - a.y) * dx / len - (p.x - a.x) * dy / len)) << i;
    otherLineDist += ld != std::fabs((p.y - a.y) * dx - (p.x - a.x) * dy) / len;

    const double s = d(-50, 50);
    TavPoint on;
    pointOnLine(a, b, s, &on);
    const double hl = pointPointDist(TavPoint(a.x - b.x, a.y - b.y), TavPoint());
    ASSERT_TRUE(isPt(on, a.x + s * (b.x - a.x) / hl, a.y + s * (b.y - a.y) / hl)) << i;
    otherOnLine += on.x != a.x + s * ((b.x - a.x) / hl);
  }
  EXPECT_GT(otherDist, kRounds / 50);
  EXPECT_GT(otherLineDist, kRounds / 50);
  EXPECT_GT(otherOnLine, kRounds / 50);
}

TEST(EvaluationOrder, LineCrossingsAreMeasuredAlongTheFirstLine) {
  Draw d(3);
  int otherCross = 0, otherIntercept = 0, otherBisect = 0;
  for (int i = 0; i < kRounds; ++i) {
    const TavLine f(d.point(), d.point()), s(d.point(), d.point());
    const double fdx = f.p2.x - f.p1.x, fdy = f.p2.y - f.p1.y;
    const double sdx = s.p2.x - s.p1.x, sdy = s.p2.y - s.p1.y;
    const double det = fdx * sdy - fdy * sdx;
    TavPoint p;
    ASSERT_TRUE(lineLineIntersection(f, s, &p));
    const double t = (sdx * (f.p1.y - s.p1.y) - sdy * (f.p1.x - s.p1.x)) / det;
    ASSERT_TRUE(isPt(p, f.p1.x + t * fdx, f.p1.y + t * fdy)) << i;
    const double u = (fdx * (f.p1.y - s.p1.y) - fdy * (f.p1.x - s.p1.x)) / det;  // along the second
    otherCross += p.x != s.p1.x + u * sdx;

    const double y = d();
    double x = 0;
    ASSERT_TRUE(lineXIntercept(f, y, &x));
    ASSERT_EQ(x, f.p2.x - (f.p2.y - y) * fdx / fdy) << i;
    otherIntercept += x != f.p1.x + (y - f.p1.y) * fdx / fdy;

    // The bisector turns from the first angle by half the difference.
    TavLine out;
    lineLineBisect(f, s, &out);
    const double a1 = std::atan2(fdy, fdx), a2 = std::atan2(sdy, sdx);
    double diff = a2 - a1;
    if (diff > 3.141592653589793) diff -= 6.283185307179586;
    if (diff < -3.141592653589793) diff += 6.283185307179586;
    double angle = a1 + diff * 0.5;
    if (std::fabs(diff) > kHalfPi) angle += kHalfPi;
    ASSERT_EQ(out.p1.x, p.x) << i;
    ASSERT_TRUE(isPt(out.p2, p.x + 10000.0 * std::cos(angle), p.y + 10000.0 * std::sin(angle))) << i;
    double mean = (a1 + a2) * 0.5;  // the midpoint of the two angles
    if (std::fabs(diff) > kHalfPi) mean += kHalfPi;
    otherBisect += diff == a2 - a1 && out.p2.x != p.x + 10000.0 * std::cos(mean);
  }
  EXPECT_GT(otherCross, kRounds / 50);
  EXPECT_GT(otherIntercept, kRounds / 50);
  EXPECT_GT(otherBisect, kRounds / 200);
}

TEST(EvaluationOrder, ScalarFormulas) {
  Draw d(4);
  int otherBilinear = 0, otherParabola = 0;
  for (int i = 0; i < kRounds; ++i) {
    const double fx = d(-0.5, 1.5), fy = d(-0.5, 1.5);
    const double c00 = d(), c10 = d(), c01 = d(), c11 = d();
    const double v = bilinearInterpolate(fx, fy, c00, c10, c01, c11);
    ASSERT_EQ(v, (1 - fx) * (1 - fy) * c00 + fx * (1 - fy) * c10 + (1 - fx) * fy * c01 + fx * fy * c11) << i;
    otherBilinear += v != (1 - fy) * ((1 - fx) * c00 + fx * c10) + fy * ((1 - fx) * c01 + fx * c11);

    const double s0 = d(), s1 = d(), s2 = d();
    const double pf = parabolaFit(s0, s1, s2);
    ASSERT_EQ(pf, (s0 - s2) / (2 * (s0 - 2 * s1 + s2))) << i;
    otherParabola += pf != (s0 - s2) / (2 * (s0 + s2 - 2 * s1));
  }
  EXPECT_GT(otherBilinear, kRounds / 50);
  EXPECT_GT(otherParabola, kRounds / 50);
}

TEST(EvaluationOrder, PolygonAreaAddsThenSubtractsEachProduct) {
  Draw d(5);
  int other = 0;
  for (int i = 0; i < kRounds / 10; ++i) {
    std::vector<TavPoint> v(3 + i % 9);
    for (TavPoint& p : v) p = d.point();
    double a = 0;
    double byCross = 0;
    for (std::size_t k = 0; k < v.size(); ++k) {
      const TavPoint& p = v[k];
      const TavPoint& q = v[(k + 1) % v.size()];
      a += p.x * q.y;
      a -= p.y * q.x;
      byCross += p.x * q.y - p.y * q.x;
    }
    ASSERT_EQ(polygonArea(v.data(), static_cast<unsigned>(v.size())), std::fabs(a * 0.5)) << i;
    other += std::fabs(a * 0.5) != std::fabs(byCross * 0.5);
  }
  EXPECT_GT(other, kRounds / 100);
}

TEST(EvaluationOrder, CircleFormulas) {
  Draw d(6);
  int otherIn3 = 0, otherLine = 0, otherCircles = 0;
  for (int i = 0; i < kRounds; ++i) {
    // Chords well away from horizontal and vertical: the first ordering is used.
    const TavPoint q1 = d.point();
    const TavPoint q2(q1.x + d(1, 100), q1.y + d(1, 100));
    const TavPoint q3(q2.x + d(1, 100), q2.y - d(1, 100));
    TavCircle c;
    ASSERT_TRUE(circleIn3Points(q1, q2, q3, &c));
    const TavCircle ref = slopeCircle(q1, q2, q3);
    ASSERT_TRUE(sameBits(c, ref)) << i;
    const double bs = (q3.y - q2.y) / (q3.x - q2.x);
    otherIn3 += c.center.y != (q2.y + q3.y) * 0.5 - (ref.center.x - (q2.x + q3.x) * 0.5) / bs;  // other chord

    // Circle and a slanted line: y = m x + q put into the quadratic term by term.
    const TavCircle circle(d.point(), d(1, 500));
    const TavLine line(d.point(), d.point());
    const double coefX = -(line.p2.y - line.p1.y) / (line.p2.x - line.p1.x);  // coefY is 1
    const double m = -coefX;
    const double q = -(-line.p2.y - coefX * line.p2.x);
    const double ccx = circle.center.x, ccy = circle.center.y, r = circle.radius;
    double roots[2], otherRoots[2];
    int n = 0, otherN = 0;
    solveQuadraticAbcFormula(1 + m * m, 2 * (q * m - ccx - ccy * m),
                             q * q + ccx * ccx - 2 * ccy * q + ccy * ccy - r * r, roots, &n);
    solveQuadraticAbcFormula(1 + m * m, 2 * (q * m - ccx - ccy * m),
                             (q - ccy) * (q - ccy) + ccx * ccx - r * r, otherRoots, &otherN);
    TavPoint pts[2];
    int count = -1;
    circleLineIntersection(circle, line, pts, &count);
    ASSERT_EQ(count, n) << i;
    if (n == 2) {
      ASSERT_EQ(pts[0].x, roots[0]) << i;
      ASSERT_EQ(pts[0].y, m * roots[0] + q) << i;
      ASSERT_EQ(pts[1].x, roots[1]) << i;
      otherLine += otherN == 2 && otherRoots[0] != roots[0];
    }

    // Two circles: the distance of the centres by a plain square root.
    const TavCircle c1(d.point(), d(1, 800)), c2(d.point(), d(1, 800));
    const double dx = c2.center.x - c1.center.x, dy = c2.center.y - c1.center.y;
    const double dd = std::sqrt(dx * dx + dy * dy);
    const double ux = dx / dd, uy = dy / dd;
    const double a = (dd * dd + c1.radius * c1.radius - c2.radius * c2.radius) / (2 * dd);
    const double h2 = c1.radius * c1.radius - a * a;
    const double h = h2 > 0 ? std::sqrt(h2) : 0.0;
    circleCircleIntersection(c1, c2, pts, &count);
    ASSERT_EQ(count, h2 > 0 ? 2 : h2 == 0 ? 1 : 0) << i;
    ASSERT_TRUE(isPt(pts[0], (c1.center.x + a * ux) - h * uy, (c1.center.y + a * uy) + h * ux)) << i;
    ASSERT_TRUE(isPt(pts[1], (c1.center.x + a * ux) + h * uy, (c1.center.y + a * uy) - h * ux)) << i;
    otherCircles += pts[0].x != c1.center.x + a * (dx / pointPointDist(TavPoint(dx, dy), TavPoint())) - h * uy;
  }
  EXPECT_GT(otherIn3, kRounds / 50);
  EXPECT_GT(otherLine, kRounds / 200);
  EXPECT_GT(otherCircles, kRounds / 200);
}

TEST(EvaluationOrder, CircleThroughThreePointsTakesTheFirstUsableOrdering) {
  // With one chord horizontal or vertical, two orderings remain usable; the
  // one listed first decides the bits.
  Draw d(9);
  int other[3] = {0, 0, 0};
  for (int i = 0; i < kRounds; ++i) {
    const TavPoint a = d.point(), b = d.point(), c = d.point();
    if (std::fabs(a.x - b.x) < 1 || std::fabs(a.y - b.y) < 1 || std::fabs(b.x - c.x) < 1 ||
        std::fabs(b.y - c.y) < 1 || std::fabs(a.x - c.x) < 1 || std::fabs(a.y - c.y) < 1)
      continue;
    TavCircle got;
    // p1p2 horizontal: (p1, p3, p2) comes before (p2, p3, p1).
    const TavPoint p2(b.x, a.y);
    if (circleIn3Points(a, p2, c, &got)) {
      ASSERT_TRUE(sameBits(got, slopeCircle(a, c, p2))) << i;
      other[0] += !sameBits(got, slopeCircle(p2, c, a));
    }
    // p2p3 vertical: (p2, p1, p3) comes before (p3, p1, p2).
    const TavPoint p3(b.x, c.y);
    if (circleIn3Points(a, b, p3, &got)) {
      ASSERT_TRUE(sameBits(got, slopeCircle(b, a, p3))) << i;
      other[1] += !sameBits(got, slopeCircle(p3, a, b));
    }
    // p1p3 horizontal: (p1, p2, p3) comes before (p3, p2, p1).
    const TavPoint q3(c.x, a.y);
    if (circleIn3Points(a, b, q3, &got)) {
      ASSERT_TRUE(sameBits(got, slopeCircle(a, b, q3))) << i;
      other[2] += !sameBits(got, slopeCircle(q3, b, a));
    }
  }
  for (int k = 0; k < 3; ++k) EXPECT_GT(other[k], kRounds / 50) << k;
}

TEST(EvaluationOrder, ArcSamplingAdvancesByRepeatedAddition) {
  Draw d(7);
  int otherPolyline = 0, otherSet = 0;
  for (int i = 0; i < kRounds / 30; ++i) {
    const TavArc arc(d.point(), d(2, 40), d(-3, 3), d(-6, 6));
    const unsigned count = 2 + static_cast<unsigned>(i % 40);
    std::vector<TavPoint> pts(count);
    arcToPolyline(arc, pts.data(), count);
    const double step = arc.sweepAngle / static_cast<double>(count - 1);
    double phi = arc.startAngle;
    for (unsigned k = 0; k < count; ++k) {
      ASSERT_TRUE(
          isPt(pts[k], arc.center.x + arc.radius * std::cos(phi), arc.center.y + arc.radius * std::sin(phi)))
          << i << " " << k;
      const double direct = arc.startAngle + k * step;
      otherPolyline += pts[k].x != arc.center.x + arc.radius * std::cos(direct);
      phi += step;
    }

    std::vector<TavPoint> set;
    arcToPointSet(arc, &set);
    ASSERT_EQ(set.size(), static_cast<std::size_t>(std::fabs(arc.sweepAngle) * arc.radius)) << i;
    const double sstep = arc.sweepAngle < 0 ? -(1.0 / arc.radius) : 1.0 / arc.radius;
    phi = arc.startAngle;
    for (std::size_t k = 0; k < set.size(); ++k) {
      ASSERT_TRUE(
          isPt(set[k], arc.center.x + arc.radius * std::cos(phi), arc.center.y + arc.radius * std::sin(phi)))
          << i << " " << k;
      otherSet += set[k].y != arc.center.y + arc.radius * std::sin(arc.startAngle + k * sstep);
      phi += sstep;
    }
  }
  EXPECT_GT(otherPolyline, 10);
  EXPECT_GT(otherSet, 10);
}

TEST(EvaluationOrder, ArcThroughThreePoints) {
  Draw d(8);
  int other = 0;
  for (int i = 0; i < kRounds; ++i) {
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
    ASSERT_EQ(arc.center.y, cy) << i;
    ASSERT_EQ(arc.center.x, cx) << i;
    ASSERT_EQ(arc.radius, pointPointDist(TavPoint(cx - x1, cy - y1), TavPoint())) << i;
    ASSERT_EQ(arc.startAngle, std::atan2(y1 - cy, x1 - cx)) << i;
    const double other2 = 2 * (x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2));
    other += cy != ((x1 * x1 + y1 * y1) * (x3 - x2) + (x2 * x2 + y2 * y2) * (x1 - x3) +
                    (x3 * x3 + y3 * y3) * (x2 - x1)) /
                       other2;
  }
  EXPECT_GT(other, kRounds / 50);
}
