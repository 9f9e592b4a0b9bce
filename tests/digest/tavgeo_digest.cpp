// Determinism digest. Runs every public function and class of the library on a
// fixed corpus drawn from a seeded generator (ordinary values and hostile ones:
// NaN, infinities, huge, tiny and subnormal numbers, empty and malformed
// lists, negative counts) and folds the bit pattern of every output (return
// values, doubles, floats, run-length words, error texts, log messages) into
// one 64-bit FNV-1a digest per family.
//
//   tavgeo_digest              prints "family digest" lines
//   tavgeo_digest --check F    compares with F; exit status 1 and the differing
//                              families on a mismatch
//   tavgeo_digest --write F    writes F
//   tavgeo_digest --check F a,b  compares the families a and b only
//
// Inputs are built from integers with exact operations only, so the corpus is
// the same whatever the compiler does. Every NaN is digested as one value: the
// sign and payload of a NaN result are not fixed by IEEE-754, and compilers may
// legally swap the operands of a commutative operation.
#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace NTavGeometry;

namespace {

struct Digest {
  uint64_t h = 1469598103934665603ull;
  void bytes(const void* p, size_t n) {
    const unsigned char* c = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ c[i]) * 1099511628211ull;
  }
  void u(uint64_t v) { bytes(&v, sizeof v); }
  void i(int64_t v) { u(static_cast<uint64_t>(v)); }
  void d(double v) {
    uint64_t b = 0x7ff8000000000000ull;
    if (v == v) std::memcpy(&b, &v, sizeof b);
    u(b);
  }
  void f(float v) {
    uint32_t b = 0x7fc00000u;
    if (v == v) std::memcpy(&b, &v, sizeof b);
    bytes(&b, sizeof b);
  }
  void s(const std::string& t) {
    u(t.size());
    bytes(t.data(), t.size());
  }
  void p(const TavPoint& q) { d(q.x), d(q.y); }
  void l(const TavLine& q) { p(q.p1), p(q.p2); }
  void c(const TavCircle& q) { p(q.center), d(q.radius); }
  void a(const TavArc& q) { p(q.center), d(q.radius), d(q.startAngle), d(q.sweepAngle); }
  void r(const TavRect& q) { d(q.x), d(q.y), d(q.width), d(q.height), d(q.angle); }
  template <class T, class F>
  void all(const std::vector<T>& v, F one) {
    u(v.size());
    for (const T& x : v) one(x);
  }
};

Digest* g_current = nullptr;

// splitmix64: a fixed sequence on every platform.
struct Rng {
  uint64_t s;
  explicit Rng(uint64_t seed) : s(seed) {}
  uint64_t next() {
    uint64_t z = (s += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
  int range(int lo, int hi) { return lo + below(hi - lo + 1); }
  // (next() >> 11) is a 53-bit integer, so the product is exact and in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1p-53; }
  double ordinary(double half) { return (unit() * 2.0 - 1.0) * half; }
  double hostile() {
    static const double table[] = {std::numeric_limits<double>::quiet_NaN(),
                                   -std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   0.0, -0.0, DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN,
                                   std::numeric_limits<double>::denorm_min(),
                                   -std::numeric_limits<double>::denorm_min(),
                                   1e308, -1e308, 1e154, 1e-160, 1e-300,
                                   9007199254740992.0, 9007199254740994.0, 1e16, -1e16,
                                   2147483647.5, -2147483649.0, 2147483648.0, 1e9, -1e9,
                                   0.5, -0.5, 1e-12, 1.0, -1.0, 3.0};
    return table[below(static_cast<int>(sizeof table / sizeof table[0]))];
  }
  // Mostly ordinary in [-half, half], sometimes an integer of that range (exact
  // ties), one in eight hostile.
  double val(double half = 1000.0) {
    const int k = below(16);
    if (k < 2) return hostile();
    if (k < 5) return static_cast<double>(range(-static_cast<int>(half), static_cast<int>(half)));
    return ordinary(half);
  }
  double angle() {
    const int k = below(16);
    if (k == 0) return hostile();
    if (k < 4) return static_cast<double>(range(-8, 8)) * 0.78539816339744828;  // multiples of ~pi/4
    return ordinary(13.0);
  }
  TavPoint pt(double half = 1000.0) { return TavPoint{val(half), val(half)}; }
  TavLine line() {
    TavLine l{pt(), pt()};
    if (below(8) == 0) l.p2 = l.p1;  // degenerate
    if (below(8) == 0) l.p2.y = l.p1.y;  // horizontal
    if (below(8) == 0) l.p2.x = l.p1.x;  // vertical
    return l;
  }
  int count() {
    static const int table[] = {0, 1, 2, 3, 4, 5, 7, 10, 16, 33, -1, -7, std::numeric_limits<int>::min()};
    return table[below(static_cast<int>(sizeof table / sizeof table[0]))];
  }
  // Point sets for the fits: a noisy line, a noisy arc, a cloud, integer points
  // on a line, repeated points; sometimes with a hostile coordinate.
  std::vector<TavPoint> cloud(int n) {
    std::vector<TavPoint> v;
    const int kind = below(5);
    const double cx = ordinary(500.0), cy = ordinary(500.0), r = 1.0 + unit() * 300.0;
    const double a0 = ordinary(3.2), span = unit() * 6.3, slope = ordinary(3.0);
    const double step = 1.0 / 64.0;  // exact angle steps, noise from the generator
    for (int k = 0; k < n; ++k) {
      const double t = static_cast<double>(k);
      switch (kind) {
        case 0: v.emplace_back(cx + t, cy + slope * t + ordinary(0.5)); break;
        case 1: {
          // Points of a circle from exact rational parametrisation: no libm.
          const double u = a0 + span * t * step;
          const double q = 1.0 / (1.0 + u * u);
          const double nx = ordinary(0.3), ny = ordinary(0.3);
          v.emplace_back(cx + r * (1.0 - u * u) * q + nx, cy + r * 2.0 * u * q + ny);
          break;
        }
        case 2: v.push_back(TavPoint{ordinary(800.0), ordinary(800.0)}); break;
        case 3: v.emplace_back(static_cast<double>(3 * k), static_cast<double>(-2 * k + 7)); break;
        default: v.emplace_back(static_cast<double>(k % 2), 5.0); break;
      }
    }
    if (n > 0 && below(6) == 0) {
      TavPoint& q = v[static_cast<size_t>(below(n))];
      (below(2) ? q.x : q.y) = hostile();
    }
    if (n > 0 && below(10) == 0) {
      TavPoint& q = v[static_cast<size_t>(below(n))];
      q = TavPoint{ordinary(1e12), ordinary(1e12)};
    }
    return v;
  }
};

// Log messages belong to the family that wrote them. The record holds the
// source file and line as well, which depend on the checkout, so only the
// quoted message, the category and the code at its end are digested.
void logSink(unsigned int category, const std::string& record) {
  if (!g_current) return;
  g_current->u(category);
  const size_t open = record.find('"');
  const size_t close = open == std::string::npos ? open : record.find('"', open + 1);
  if (close != std::string::npos) g_current->s(record.substr(open + 1, close - open - 1));
  const size_t paren = record.rfind('(');
  if (paren != std::string::npos) g_current->s(record.substr(paren));
}

// ---------------------------------------------------------------- families

void scalars(Digest& g, Rng& rng) {
  for (int it = 0; it < 600; ++it) {
    const double a = rng.angle();
    g.d(degToRad(a * 57.0)), g.d(radToDeg(a));
    g.d(normalizeAngleMinusPiToPi(a)), g.d(normalizeAngleMinus2PiTo2Pi(a));
    g.d(normalizeAngle0To2Pi(a)), g.d(normalizeAngle0ToPi(a)), g.d(normalizeAngleMinusPiby2ToPiby2(a));
    double roots[2] = {-7.0, -7.0};
    int count = -3;
    const double qa = rng.below(4) == 0 ? 0.0 : rng.val(10.0);
    const double qb = rng.val(100.0), qc = rng.val(100.0);
    g.i(solveQuadraticAbcFormula(qa, qb, qc, roots, &count));
    g.i(count), g.d(roots[0]), g.d(roots[1]);
    std::vector<double> angles(static_cast<size_t>(rng.below(9)));
    for (double& x : angles) x = rng.angle();
    const int n = rng.below(6) == 0 ? rng.count() : static_cast<int>(angles.size());
    g.d(averageAngles(angles.data(), n < 0 || n <= static_cast<int>(angles.size()) ? n : 0));
    for (double x : angles) g.d(x);
    const double s[] = {rng.val(), rng.val(), rng.val(), rng.unit(), rng.val(2.0), rng.val(), rng.val(), rng.val(), rng.val()};
    g.d(parabolaFit(s[0], s[1], s[2]));
    g.d(bilinearInterpolate(s[3], s[4], s[5], s[6], s[7], s[8]));
  }
}

void points(Digest& g, Rng& rng) {
  for (int it = 0; it < 600; ++it) {
    const TavPoint a = rng.pt(), b = rng.pt(), c = rng.pt();
    TavPoint m;
    pointsToMiddle(a, b, &m), g.p(m);
    g.d(pointPointDist(a, b)), g.d(pointPointAngle(a, b));
    double ang = 1.0, dist = 2.0;
    pointPointDistAngle(a, b, &ang, &dist), g.d(ang), g.d(dist);
    pointOnLine(a, b, rng.val(), &m), g.p(m);
    TavPoint rot = c;
    pointRotate(a, rng.angle(), &rot), g.p(rot);
    TavLine l;
    pointAngleToLine(a, rng.angle(), &l), g.l(l);
    const TavLine k = rng.line();
    g.d(lineAngle(k)), g.d(pointLineDist(c, k));
    TavLine bis(TavPoint(-1, -1), TavPoint(-2, -2));
    g.u(pointsToAngleBisect(a, b, c, &bis)), g.l(bis);
    const TavRect rect{rng.val(), rng.val(), rng.val(), rng.val(), rng.below(3) ? 0.0 : rng.angle()};
    g.u(pointInRect(c, rect));
    std::vector<TavPoint> set = rng.cloud(rng.below(12));
    TavRect box(9, 9, 9, 9, 9);
    pointsToBBox(set.data(), static_cast<unsigned int>(set.size()), &box), g.r(box);
  }
}

void polygons(Digest& g, Rng& rng) {
  for (int it = 0; it < 400; ++it) {
    const std::vector<TavPoint> v = rng.cloud(rng.below(10));
    const unsigned int n = static_cast<unsigned int>(v.size());
    g.d(polygonArea(v.data(), n));
    for (int k = 0; k < 4; ++k) g.u(polygonIsPointInside(v.data(), n, k == 0 && n > 0 ? v[0] : rng.pt()));
  }
}

void lines(Digest& g, Rng& rng) {
  for (int it = 0; it < 600; ++it) {
    const TavLine a = rng.line();
    TavLine b = rng.line();
    if (rng.below(6) == 0) b = TavLine(TavPoint(a.p1.x + 3.0, a.p1.y), TavPoint(a.p2.x + 3.0, a.p2.y));
    if (rng.below(8) == 0) b = TavLine(a.p2, a.p1);
    g.u(lineIsValid(a)), g.u(lineIsHoriz(a)), g.u(lineIsVert(a));
    double x = -5.0, y = -5.0;
    g.u(lineXIntercept(a, rng.val(), &x)), g.d(x);
    g.u(lineYIntercept(a, rng.val(), &y)), g.d(y);
    g.u(lineIsParallel(a, b)), g.u(lineCompare(a, b)), g.u(lineLineIsCollinear(a, b));
    double cy = 1, cx = 2, k = 3;
    line2AbcLineEquation(a, &cy, &cx, &k), g.d(cy), g.d(cx), g.d(k);
    double ro = 4, theta = 5;
    lineToRoTheta(a, &ro, &theta), g.d(ro), g.d(theta);
    TavPoint p(-9, -9);
    g.u(lineLineIntersection(a, b, &p)), g.p(p);
    TavLine out;
    lineLineBisect(a, b, &out), g.l(out);
    double dist = -1.0;
    g.u(lineLineDist(a, b, rng.line(), &dist)), g.d(dist);
    linePointToLinePerpendicular(a, rng.pt(), &out), g.l(out);
    linePointToLineParallel(a, rng.pt(), &out), g.l(out);
    TavPoint first(-3, -3), second(-4, -4);
    const TavRect rect{rng.val(), rng.val(), rng.val(), rng.val(), rng.below(3) ? 0.0 : rng.angle()};
    g.u(lineRectIntersection(a, rect, &first, &second)), g.p(first), g.p(second);
  }
}

void circles(Digest& g, Rng& rng) {
  for (int it = 0; it < 600; ++it) {
    const TavPoint a = rng.pt(), b = rng.pt();
    const TavPoint c = rng.below(6) == 0 ? TavPoint(2 * b.x - a.x, 2 * b.y - a.y) : rng.pt();
    TavCircle out(TavPoint(-1, -1), -1);
    g.u(circleIn3Points(a, b, c, &out)), g.c(out);
    g.u(circleInTriangle(a, b, c, &out)), g.c(out);
    const TavCircle k{rng.pt(), rng.below(8) == 0 ? rng.hostile() : rng.unit() * 500.0};
    TavCircle k2{rng.pt(), rng.val(500.0)};
    if (rng.below(5) == 0) k2 = TavCircle(k.center, k.radius + rng.val(2.0));
    TavPoint pts[2] = {TavPoint(-8, -8), TavPoint(-8, -8)};
    int count = -1;
    circleLineIntersection(k, rng.line(), pts, &count), g.i(count), g.p(pts[0]), g.p(pts[1]);
    count = -1;
    circleCircleIntersection(k, k2, pts, &count), g.i(count), g.p(pts[0]), g.p(pts[1]);
  }
}

TavArc someArc(Rng& rng) {
  const double radius = rng.below(10) == 0 ? rng.hostile() : rng.unit() * 400.0;
  return TavArc{rng.pt(), radius, rng.angle(), rng.below(12) == 0 ? rng.hostile() : rng.ordinary(7.0)};
}

void arcs(Digest& g, Rng& rng) {
  for (int it = 0; it < 400; ++it) {
    TavArc out(TavPoint(-1, -1), -1, -1, -1);
    const TavPoint three[] = {rng.pt(), rng.pt(), rng.pt()};
    g.u(arcIn3Points(three[0], three[1], three[2], &out)), g.a(out);
    const TavArc arc = someArc(rng);
    std::vector<TavPoint> poly(static_cast<size_t>(rng.below(20)), TavPoint(-6, -6));
    arcToPolyline(arc, poly.data(), static_cast<unsigned int>(poly.size()));
    g.all(poly, [&](const TavPoint& q) { g.p(q); });
    const TavPoint probe = rng.pt();
    g.u(arcTestPoint(arc, probe, rng.below(5) == 0 ? rng.hostile() : rng.unit() * 5.0));
    TavPoint along(-2, -2);
    arcPointAlong(arc, rng.val(), &along), g.p(along);
    std::vector<TavPoint> set(3, TavPoint(1, 1));
    arcToPointSet(arc, &set);
    g.all(set, [&](const TavPoint& q) { g.p(q); });
  }
}

void rotators(Digest& g, Rng& rng) {
  for (int it = 0; it < 400; ++it) {
    CTavRotator r{rng.val(), rng.val(), rng.angle()};
    double x = rng.val(), y = rng.val();
    r.rotate(&x, &y), g.d(x), g.d(y);
    r.setAngle(rng.angle()), r.rotate(&x, &y), g.d(x), g.d(y);
    const double set[] = {rng.val(), rng.val(), rng.angle()};
    r.set(set[0], set[1], set[2]), r.rotate(&x, &y), g.d(x), g.d(y), g.d(r.x()), g.d(r.y()), g.d(r.a());
    CTavRotatorF f{static_cast<float>(rng.val()), static_cast<float>(rng.val()), static_cast<float>(rng.angle())};
    float fx = static_cast<float>(rng.val()), fy = static_cast<float>(rng.val());
    f.rotate(&fx, &fy), g.f(fx), g.f(fy);
    f.setAngle(static_cast<float>(rng.angle())), f.rotate(&fx, &fy), g.f(fx), g.f(fy);
    f.set(1.5f, -2.5f, static_cast<float>(rng.angle())), f.rotate(&fx, &fy), g.f(fx), g.f(fy), g.f(f.a());
  }
}

void scans(Digest& g, Rng& rng) {
  for (int it = 0; it < 300; ++it) {
    const TavArc arc = someArc(rng);
    const double length = rng.below(8) == 0 ? rng.hostile() : rng.unit() * 40.0;
    const double spacing = rng.below(8) == 0 ? rng.hostile() : 0.5 + rng.unit() * 20.0;
    std::vector<TavLine> spokes(2);
    arcToSpoke(arc, length, spacing, &spokes);
    g.all(spokes, [&](const TavLine& q) { g.l(q); });
    std::vector<TavPoint> poly = rng.cloud(rng.below(9));
    const int count = rng.below(8) == 0 ? rng.count() : static_cast<int>(poly.size());
    std::vector<TavLine> rake(1);
    polyLineToPolyRake(poly.data(), count <= static_cast<int>(poly.size()) ? count : 0,
                       rng.below(8) == 0 ? rng.hostile() : rng.unit() * 30.0, spacing, &rake);
    g.all(rake, [&](const TavLine& q) { g.l(q); });
  }
}

void fits(Digest& g, Rng& rng) {
  static const int sizes[] = {0, 1, 2, 3, 4, 5, 8, 13, 40};
  for (int it = 0; it < 300; ++it) {
    const int n = sizes[rng.below(9)];
    const std::vector<TavPoint> v = rng.cloud(n);
    const unsigned int un = static_cast<unsigned int>(n);
    const unsigned int k = static_cast<unsigned int>(rng.below(4) == 0 ? n + 2 : rng.range(0, n > 0 ? n - 1 : 0));
    std::vector<TavPoint> out(k + 1, TavPoint(-1, -1));
    auto outs = [&] { g.all(out, [&](const TavPoint& q) { g.p(q); }), std::fill(out.begin(), out.end(), TavPoint(-1, -1)); };
    TavLine line(TavPoint(1, 1), TavPoint(2, 2));
    TavCircle circle(TavPoint(3, 3), 3);
    double error = -1.0;
    g.i(pointsFitLine(v.data(), un, &line)), g.l(line);
    std::vector<double> dist(v.size() + 1, -1.0);
    g.i(pointsLineDist(v.data(), un, &line, dist.data())), g.l(line);
    g.all(dist, [&](double x) { g.d(x); });
    g.i(pointsFitCircle(v.data(), un, &circle, &error)), g.c(circle), g.d(error);
    g.i(pointsFitCircleOutliers(v.data(), un, k, &circle, &error, out.data())), g.c(circle), g.d(error), outs();
    g.i(pointsFitLineOutliers(v.data(), un, k, &line, &error, out.data())), g.l(line), g.d(error), outs();
    static const int candidates[] = {-1, 0, 1, 7, 40};
    const int cand = candidates[rng.below(5)];
    g.i(pointsFitLineRansac(v.data(), un, k, cand, &line, &error, out.data())), g.l(line), g.d(error), outs();
    double rms = -1.0;
    g.i(pointsFitLineOrthogonal(v.data(), un, &line, &rms)), g.l(line), g.d(rms);
    g.i(pointsFitCircleHyper(v.data(), un, &circle, &error)), g.c(circle), g.d(error);
    TavCircleFitStats st;
    g.i(pointsFitCircleGeometric(v.data(), un, &circle, &st, rng.below(2) == 0)), g.c(circle);
    g.d(st.rms), g.d(st.meanAbs), g.i(st.iterations), g.u(st.converged), g.d(st.seCx), g.d(st.seCy), g.d(st.seR);
    g.i(pointsFitCircleRansac(v.data(), un, k, cand, &circle, &error, out.data())), g.c(circle), g.d(error), outs();
  }
}

void lists(Digest& g, const std::vector<int>& v) {
  g.all(v, [&](int x) { g.i(x); });
}

void calculators(Digest& g, Rng& rng) {
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon polygon;
  CTavGeoRleCalc* calcs[] = {&disk, &torus, &polygon};
  for (int it = 0; it < 450; ++it) {
    CTavGeoRleCalc& calc = *calcs[it % 3];
    static const int sides[] = {0, 1, 7, 64, 200, 640, -5, std::numeric_limits<int>::max()};
    const int width = sides[rng.below(8)], height = sides[rng.below(8)];
    std::vector<TavPoint> v;
    if (it % 3 == 2) {
      v = rng.cloud(rng.below(12));
      for (TavPoint& q : v) q = TavPoint(std::fabs(q.x) < 1e6 ? q.x * 0.25 + 100.0 : q.x, std::fabs(q.y) < 1e6 ? q.y * 0.25 + 100.0 : q.y);
    } else {
      const TavPoint c{rng.val(300.0), rng.val(300.0)};
      v = {c, TavPoint{c.x + rng.val(120.0), c.y + rng.ordinary(60.0)}, TavPoint{c.x + rng.ordinary(60.0), c.y + rng.val(120.0)}};
    }
    const int count = rng.below(8) == 0 ? rng.count() : static_cast<int>(v.size());
    const int used = count <= static_cast<int>(v.size()) ? count : static_cast<int>(v.size());
    if (rng.below(5) == 0) calc.storeComputedCoords(width, height, v.data(), used);
    g.u(calc.compareWithLastComputedCoords(width, height, v.data(), used));
    g.u(calc.calculate(width, height, v.data(), used));
    lists(g, calc.rle()), lists(g, calc.recordRuns()), g.r(calc.boundingBox());
    try {
      const CTavGeoRegion r = calc.region();
      g.u(r.hash()), g.i(r.area());
    } catch (const CTavGeoRegionError& e) {
      g.s(e.what());
    }
    if (!calc.rle().empty()) {
      const std::vector<TavIPoint> per = CTavGeoRleCalc::calculatePerimiterPoints(calc.rle());
      g.all(per, [&](const TavIPoint& q) { g.i(q.x), g.i(q.y); });
      const std::vector<TavIPoint> walked = CTavGeoRleCalc::calculatePerimiterPoints(calc.rle().data());
      g.all(walked, [&](const TavIPoint& q) { g.i(q.x), g.i(q.y); });
    }
  }
  CTavGeoRleCalc base;
  const TavPoint one(1, 1);
  g.u(base.calculate(5, 5, &one, 1)), lists(g, base.rle());
  // Perimeters of hostile lists held in a vector.
  for (int it = 0; it < 200; ++it) {
    std::vector<int> list(static_cast<size_t>(rng.below(30)));
    for (int& x : list) x = rng.below(4) == 0 ? -1 : rng.range(-3, 40);
    const std::vector<TavIPoint> per = CTavGeoRleCalc::calculatePerimiterPoints(list);
    g.all(per, [&](const TavIPoint& q) { g.i(q.x), g.i(q.y); });
  }
}

CTavGeoRegion randomRegion(Rng& rng, int w, int h) {
  const int kind = rng.below(8);
  if (kind == 0) return CTavGeoRegion(w, h);
  if (kind == 1) return CTavGeoRegion::full(w, h);
  std::vector<uint8_t> mask(static_cast<size_t>(w) * static_cast<size_t>(h));
  const int density = rng.range(1, 15);
  for (uint8_t& m : mask) m = static_cast<uint8_t>(rng.below(16) < density ? 1 + rng.below(255) : 0);
  return CTavGeoRegion::fromMask(mask.data(), w, h, w);
}

void regionDigest(Digest& g, const CTavGeoRegion& r) {
  g.i(r.width()), g.i(r.height());
  g.all(r.runs(), [&](const TavRun& q) { g.i(q.y), g.i(q.x0), g.i(q.x1); });
}

template <class F>
void guarded(Digest& g, F f) {
  try {
    f();
  } catch (const CTavGeoRegionError& e) {
    g.s(e.what());
  }
}

void regions(Digest& g, Rng& rng) {
  for (int it = 0; it < 250; ++it) {
    const int w = rng.range(0, 40), h = rng.range(0, 30);
    const CTavGeoRegion a = randomRegion(rng, w, h), b = randomRegion(rng, w, h);
    const CTavGeoRegion other = randomRegion(rng, w + 1, h);
    regionDigest(g, a);
    g.u(a.hash()), g.u(a == b), g.u(a != b), g.u(a.empty()), g.u(a.runCount()), g.i(a.area());
    const TavRegionBox box = a.bbox();
    g.i(box.x), g.i(box.y), g.i(box.width), g.i(box.height);
    g.p(a.centroid());
    const TavRegionMoments m = a.moments();
    for (double x : {m.m00, m.m10, m.m01, m.m20, m.m11, m.m02, m.mu20, m.mu11, m.mu02, m.nu20, m.nu11, m.nu02,
                     m.orientation, m.eccentricity})
      g.d(x);
    g.all(a.perimeterPoints(), [&](const TavIPoint& q) { g.i(q.x), g.i(q.y); });
    std::vector<TavIPoint> probes;
    for (int k = 0; k < 12; ++k) probes.push_back(TavIPoint{rng.range(-2, w + 1), rng.range(-2, h + 1)});
    probes.emplace_back(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    g.u(a.contains(probes[0].x, probes[0].y));
    g.all(a.contains(probes), [&](uint8_t x) { g.u(x); });
    regionDigest(g, a | b), regionDigest(g, a & b), regionDigest(g, a - b), regionDigest(g, a ^ b);
    g.i(a.intersectionArea(b)), g.d(a.iou(b));
    guarded(g, [&] { regionDigest(g, a | other); });
    guarded(g, [&] { g.d(a.iou(other)); });
    regionDigest(g, a.complement());
    static const int shifts[] = {0, 1, -3, 17, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
    const int dx = shifts[rng.below(6)], dy = shifts[rng.below(6)];
    regionDigest(g, a.translate(dx, dy));
    const TavRegionBox clipBox{rng.range(-5, w), rng.range(-5, h), rng.range(-2, w + 3), rng.range(-2, h + 3)};
    regionDigest(g, a.clip(clipBox));
    static const int radii[] = {0, 1, 2, 3, 7, -1, 100, std::numeric_limits<int>::max()};
    const int rad = radii[rng.below(8)];
    guarded(g, [&] { regionDigest(g, a.dilateSquare(rad)); });
    guarded(g, [&] { regionDigest(g, a.erodeSquare(rad)); });
    guarded(g, [&] { regionDigest(g, a.dilateDisk(rad)); });
    guarded(g, [&] { regionDigest(g, a.erodeDisk(rad)); });
    regionDigest(g, a.fillHoles());
    for (int conn : {4, 8, 6}) {
      guarded(g, [&] {
        const std::vector<CTavGeoRegion> parts = a.components(conn);
        g.all(parts, [&](const CTavGeoRegion& q) { regionDigest(g, q); });
      });
    }
    // Conversions, there and back.
    const std::vector<int> rle = a.toRle();
    lists(g, rle);
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromRle(rle)); });
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromRle(rle.data(), rle.size())); });
    g.all(a.toMask(), [&](uint8_t x) { g.u(x); });
    std::vector<uint8_t> painted(static_cast<size_t>(w + 3) * static_cast<size_t>(h), 9);
    a.toMask(painted.data(), w + 3, 200);
    g.all(painted, [&](uint8_t x) { g.u(x); });
    const std::vector<TavIPoint> pix = a.pixels();
    g.all(pix, [&](const TavIPoint& q) { g.i(q.x), g.i(q.y); });
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromPixels(w, h, probes)); });
    const TavCocoRle coco = a.toCoco();
    g.i(coco.height), g.i(coco.width);
    g.all(coco.counts, [&](int64_t x) { g.i(x); });
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromCoco(coco)); });
    const std::string text = a.toCocoString();
    g.s(text), g.s(CTavGeoRegion::cocoCountsToString(coco.counts));
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromCocoString(h, w, text)); });
    guarded(g, [&] { g.all(CTavGeoRegion::cocoStringToCounts(text), [&](int64_t x) { g.i(x); }); });
    std::vector<TavRun> runs;
    for (int k = rng.below(8); k > 0; --k) runs.push_back(TavRun{rng.range(-2, h + 2), rng.range(-3, w + 3), rng.range(-3, w + 3)});
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromRuns(w, h, runs)); });
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromBox(w, h, clipBox)); });
  }
  // Malformed and hostile inputs: every refusal's text is part of the digest.
  for (int it = 0; it < 400; ++it) {
    std::vector<int> list(static_cast<size_t>(rng.below(24)));
    for (int& x : list) x = rng.below(5) == 0 ? -1 : rng.range(-4, 30);
    if (list.size() > 2 && rng.below(2)) list[0] = rng.range(0, 30), list[1] = rng.range(0, 30);
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromRle(list)); });
    TavCocoRle coco{rng.range(-1, 6), rng.range(-1, 6), {}};
    for (int k = rng.below(8); k > 0; --k) coco.counts.push_back(rng.range(-2, 12));
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromCoco(coco)); });
    std::string s;
    for (int k = rng.below(10); k > 0; --k) s.push_back(static_cast<char>(rng.range(40, 130)));
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromCocoString(coco.height, coco.width, s)); });
    guarded(g, [&] { g.all(CTavGeoRegion::cocoStringToCounts(s), [&](int64_t x) { g.i(x); }); });
    static const int sides[] = {-1, 0, 3, kRegionMaxSide, kRegionMaxSide + 1, std::numeric_limits<int>::max()};
    const int w = sides[rng.below(6)], h = sides[rng.below(6)];
    guarded(g, [&] { regionDigest(g, CTavGeoRegion(w, h)); });
    guarded(g, [&] { g.i(CTavGeoRegion::full(w, h).area()); });
    // A one-byte mask: only sizes that read at most that byte, or are refused.
    static const int maskSides[] = {-1, 0, 1, kRegionMaxSide + 1, std::numeric_limits<int>::max()};
    const uint8_t byte = 1;
    const int mw = maskSides[rng.below(5)], mh = maskSides[rng.below(5)];
    guarded(g, [&] { regionDigest(g, CTavGeoRegion::fromMask(&byte, mw, mh, rng.below(3) - 1)); });
  }
}

struct Family {
  const char* name;
  void (*run)(Digest&, Rng&);
};

const Family kFamilies[] = {{"scalar", scalars}, {"point", points},   {"polygon", polygons}, {"line", lines},
                            {"circle", circles}, {"arc", arcs},       {"rotator", rotators},  {"scan", scans},
                            {"fit", fits},       {"rlecalc", calculators}, {"region", regions}};

std::map<std::string, std::string> compute() {
  std::map<std::string, std::string> out;
  Digest total;
  for (const Family& f : kFamilies) {
    // Each family's corpus is seeded from its name, so adding a family moves no other.
    Digest seed;
    seed.s(f.name);
    Digest g;
    Rng rng(seed.h);
    g_current = &g;
    f.run(g, rng);
    g_current = nullptr;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(g.h));
    out[f.name] = hex;
    total.u(g.h);
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(total.h));
  out["total"] = hex;
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  CTavLog log(logSink);
  CTavLog::_log = &log;
  const std::map<std::string, std::string> got = compute();
  CTavLog::_log = nullptr;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--write" && argc > 2) {
    std::ofstream f(argv[2]);
    f << "# family digest (tavgeo_digest --write); update with the change that moves a result\n";
    for (const auto& [name, hex] : got) f << name << " " << hex << "\n";
    return f ? 0 : 2;
  }
  if (mode == "--check" && argc > 2) {
    std::ifstream f(argv[2]);
    std::map<std::string, std::string> want;
    std::string line;
    while (std::getline(f, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream s(line);
      std::string name, hex;
      s >> name >> hex;
      want[name] = hex;
    }
    if (want.empty()) {
      std::cerr << "no digests in " << argv[2] << "\n";
      return 2;
    }
    std::string only = argc > 3 ? "," + std::string(argv[3]) + "," : "";
    int bad = 0;
    for (const auto& [name, hex] : got) {
      if (!only.empty() && only.find("," + name + ",") == std::string::npos) continue;
      const auto w = want.find(name);
      if (w == want.end() || w->second != hex) {
        std::cout << name << ": got " << hex << ", recorded " << (w == want.end() ? "nothing" : w->second) << "\n";
        ++bad;
      }
    }
    if (bad == 0) std::cout << "digest matches: " << (only.empty() ? got.at("total") : argv[3]) << "\n";
    return bad == 0 ? 0 : 1;
  }
  if (!mode.empty()) {
    std::cerr << "usage: tavgeo_digest [--check FILE [FAMILIES] | --write FILE]\n";
    return 2;
  }
  for (const auto& [name, hex] : got) std::cout << name << " " << hex << "\n";
  return 0;
}
