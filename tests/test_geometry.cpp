// Points, scalars, lines, rectangles, polygons, circles, arcs and rotators: exact values, bounds and
// branches, one table row per case. Invariants for any input are checked by the fuzz targets' checkers,
// and the formulas' main paths bit for bit by test_evaluation_order.cpp.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "check.h"

using namespace NTavGeometry;
using tavtest::isCircle;
using tavtest::isLine;
using tavtest::isNum;
using tavtest::isPt;

namespace {
constexpr double kPi = 3.141592653589793, kTwoPi = 6.283185307179586, kHalfPi = 1.5707963267948966;
const double kInf = std::numeric_limits<double>::infinity(), kNaN = std::numeric_limits<double>::quiet_NaN();

TavLine L(double x1, double y1, double x2, double y2) { return TavLine(TavPoint(x1, y1), TavPoint(x2, y2)); }
TavLine L(const double* v) { return L(v[0], v[1], v[2], v[3]); }
TavPoint P(const double* v) { return TavPoint(v[0], v[1]); }
TavPoint onCircle(double r, double a) { return TavPoint(r * std::cos(a), r * std::sin(a)); }
}  // namespace

TEST(Point, AnglesDistancesBoxesAndRotators) {
  // {x, y, angle of (0, 0) to (x, y)}: closer than 0.01 is 0, +y is positive, -0 dy toward -x is -pi.
  const double angles[][3] = {{0.005, 0.005, 0}, {0, 0.01, kHalfPi}, {0, -1, -kHalfPi}, {-1, -0.0, -kPi}};
  for (const auto& a : angles) EXPECT_EQ(pointPointAngle(TavPoint(0, 0), P(a)), a[2]) << a[1];
  double third = -1, fourth = -1;  // the angle goes to the third argument, without the 0.01 rule
  pointPointDistAngle(TavPoint(0, 0), TavPoint(0.001, 0.001), &third, &fourth);
  EXPECT_EQ(third, kPi / 4);
  TavLine l;
  pointAngleToLine(TavPoint(1, 2), kHalfPi, &l);
  EXPECT_TRUE(isLine(l, 1, 2, 1, 10002, 1e-9) && l.p2.y == 10002.0);
  EXPECT_EQ(pointLineDist(TavPoint(3, 4), L(0, 0, 0, 5e-9)), 5.0);  // shorter than 1e-8: to p1
  EXPECT_NEAR(pointLineDist(TavPoint(3, 4), L(0, 0, 0, 1e-8)), 3.0, 1e-12);
  EXPECT_TRUE(pointsToAngleBisect(TavPoint(1, 0), TavPoint(0, 1), TavPoint(0, 0), &l) &&
              isLine(l, 0, 0, 0.5, 0.5));
  // A straight angle: equal arms leave no line (refused, zero line); unequal arms give the median.
  EXPECT_TRUE(!pointsToAngleBisect(TavPoint(3, 1), TavPoint(-1, 1), TavPoint(1, 1), &l) && isLine(l, 0, 0, 0, 0));
  EXPECT_TRUE(pointsToAngleBisect(TavPoint(2, 0), TavPoint(-1, 0), TavPoint(0, 0), &l) && isLine(l, 0, 0, 0.5, 0));
  TavPoint m;
  pointOnLine(TavPoint(1, 1), TavPoint(-4, 1), 2, &m);  // the horizontal branch, toward -x
  EXPECT_TRUE(isPt(m, -1, 1));
  pointOnLine(TavPoint(0, 0), TavPoint(5e-324, 5e-324), 1, &m);  // a subnormal direction: 1 along it
  EXPECT_TRUE(isPt(m, std::sqrt(0.5), std::sqrt(0.5), 1e-15));
  // {x1, y1, x2, y2, x, y, w, h}: the box truncates toward zero and saturates at the int range.
  const double boxes[][8] = {{-2.9, 1, -0.5, 2, -2, 1, 3, 2},
                             {-kInf, 0, kInf, 1e300, INT_MIN, 0, 4294967296.0, INT_MAX + 1.0}};
  for (const auto& b : boxes) {
    const TavPoint pts[2] = {P(b), P(b + 2)};
    TavRect r(7, 7, 7, 7, 7);
    pointsToBBox(pts, 2, &r);
    EXPECT_TRUE(r.x == b[4] && r.y == b[5] && r.width == b[6] && r.height == b[7] && r.angle == 0) << b[0];
  }
  // Half-integers below 2^24 have exactly summed squares, so sqrt of the sum is the correctly rounded
  // distance; scaling by 2^k (the huge and tiny branches) must scale it exactly.
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> half(-(1 << 25), 1 << 25);
  for (int i = 0; i < 20000; ++i) {
    const double x = half(rng) * 0.5, y = half(rng) * 0.5, want = std::sqrt(x * x + y * y);
    ASSERT_EQ(pointPointDist(TavPoint(x, y), TavPoint()), want) << x << " " << y;
    for (const double k : {0x1p-1000, 0x1p-600, 0x1p+600, 0x1p+900})
      ASSERT_EQ(pointPointDist(TavPoint(x * k, y * k), TavPoint()), want * k) << x << " " << y << " " << k;
  }
  const double big = std::numeric_limits<double>::max();  // infinity wins over NaN
  EXPECT_TRUE(pointPointDist(TavPoint(kNaN, kInf), TavPoint()) == kInf &&
              pointPointDist(TavPoint(big, big), TavPoint()) == kInf &&
              pointPointDist(TavPoint(3e-320, 4e-320), TavPoint()) == 5e-320);
  // Rotators (the double one bit for bit: test_evaluation_order.cpp): one rounding of the float rotator,
  // overflow past the float range.
  float fx = 806.740234f, fy = -424.449341f;  // float differences, sine and cosine; double sums; one rounding
  CTavRotatorF(-761.019043f, -739.942871f, 0.198395252f).rotate(&fx, &fy);
  EXPECT_TRUE(fx == 713.804626f && fy == -121.638443f) << fx << " " << fy;
  fx = fy = std::numeric_limits<float>::max();  // x = -max * (1 + 4.4e-8) in double: past the float range
  CTavRotatorF(0.0f, 0.0f, static_cast<float>(kHalfPi)).rotate(&fx, &fy);
  EXPECT_EQ(fx, -std::numeric_limits<float>::infinity());
}

TEST(Scalar, NormalisersQuadraticAndMeanAngle) {
  double (*const fn[])(double) = {normalizeAngleMinusPiToPi, normalizeAngleMinus2PiTo2Pi,
                                  normalizeAngle0To2Pi, normalizeAngle0ToPi, normalizeAngleMinusPiby2ToPiby2};
  // {normaliser, angle, result, tolerance}: the lower bound is included, the upper excluded; angles out
  // of range move by whole periods, exactly.
  const double folds[][4] = {{0, kPi, -kPi, 0},           {0, -kPi, -kPi, 0},
                             {2, kTwoPi, 0, 0},           {3, kPi, 0, 0},
                             {4, kHalfPi, -kHalfPi, 0},   {1, -kTwoPi, -kTwoPi, 0},
                             {1, kTwoPi, 0, 0},           {1, 6.5, 6.5 - kTwoPi, 0},
                             {2, -0.5, -0.5 + kTwoPi, 0}, {2, 1000 * kTwoPi + 1, 1, 1e-9}};
  for (const auto& f : folds)
    EXPECT_TRUE(isNum(fn[static_cast<int>(f[0])](f[1]), f[2], f[3])) << f[0] << " " << f[1];
  // {a, b, c, count, roots}: (-b + sqrt D) first; roots not found keep -99; |D| < 1e-5 is one root.
  const double quads[][6] = {{1, -3, 2, 2, 2, 1},          {-1, 3, -2, 2, 1, 2},
                             {1, 2, 1, 1, -1, -99},        {1, std::sqrt(1e-5), 0, 2, 0, -std::sqrt(1e-5)},
                             {1, 0, -0.000001, 1, 0, -99}, {1, 0, 1, 0, -99, -99},
                             {0, 2, -6, 1, 3, -99},        {0, 0, 5, 0, -99, -99}};
  for (const auto& q : quads) {
    double roots[2] = {-99.0, -99.0};
    int n = -1;
    EXPECT_TRUE(solveQuadraticAbcFormula(q[0], q[1], q[2], roots, &n) == 0 && n == q[3] && roots[0] == q[4] &&
                roots[1] == q[5])
        << q[0] << " " << q[1] << " " << q[2];
  }
  double wrap[] = {kPi - 0.1, -kPi + 0.1}, quarter[] = {0.0, kHalfPi};
  EXPECT_TRUE(isNum(std::fabs(averageAngles(wrap, 2)), kPi, 1e-12) &&
              isNum(averageAngles(quarter, 2), kPi / 4, 1e-15));
}

TEST(Line, PredicatesComparisonsIntersectionsAndForms) {
  enum { kValid, kHoriz, kVert, kCol, kSame, kPar };
  // {kind, line, other line, result}. lineCompare (kSame): the same infinite line within 1e-5 (x intercepts
  // for steep lines); a zero-length line is no line; lines shorter than 0.01 keep their direction.
  const double rows[][10] = {
      {kValid, 0, 0, 0, 1e-8, 0, 0, 0, 0, 0},     {kValid, 0, 0, 0, 1e-7, 0, 0, 0, 0, 1},
      {kHoriz, 0, 0, 100, 1e-5, 0, 0, 0, 0, 1},   {kHoriz, 0, 0, 100, 1.01e-5, 0, 0, 0, 0, 0},
      {kVert, 0, 0, 1e-5, 50, 0, 0, 0, 0, 1},     {kCol, 0, 0, 1, 1, 0, 0, 1, 1.0000001, 0},
      {kCol, 0, 0, 1, 1, 5, 5, 2, 2, 1},          {kCol, 0, 0, 1, 0, 0, 1e-300, 1, 1e-300, 0},
      {kSame, 0, 0, 0, 5, 1e-4, 9, 1e-4, -9, 0},  {kSame, 0, 0, 0, 5, 9e-6, 9, 9e-6, -9, 1},
      {kSame, 0, 0, 10, 0, 0, 1e-5, 10, 1e-5, 1}, {kSame, 3, 0, 3, 0.005, 7, 0, 7, 10, 0},
      {kSame, 5, 7, 5, 7, 5, 7, 5, 7, 0},         {kSame, 0, 1, 10, 1, 3, 1, -5, 1, 1},
      {kSame, 10, 1, 0, 1, 10, 6, 0, 6, 0},       {kPar, 0, 0, 1, 0, 0, 0, 1e6, 0.5, 1},
      {kPar, 0, 0, 1, 0, 0, 0, 1e6, 2, 0},        {kPar, 0, 0, 1, 0, 0, 0, 0.001, 0.001, 0},
      {kPar, 0, 0, 1, 1, 0, 0, 0.001, 0.001, 1},  {kPar, 0, 0, 1, 0, 5, 5, -3, 5, 1}};
  bool (*const one[])(const TavLine&) = {lineIsValid, lineIsHoriz, lineIsVert};
  bool (*const two[])(const TavLine&, const TavLine&) = {lineLineIsCollinear, lineCompare, lineIsParallel};
  for (const auto& r : rows) {
    const int k = static_cast<int>(r[0]);
    EXPECT_EQ(k < kCol ? one[k](L(r + 1)) : two[k - kCol](L(r + 1), L(r + 5)), r[9] != 0)
        << k << ": " << r[1] << " " << r[2] << " " << r[4] << " " << r[5];
  }
  TavPoint p(-7, -8);
  EXPECT_FALSE(lineLineIntersection(L(1, 1, 1, 1), L(0, 0, 3, 7), &p));           // zero length
  EXPECT_TRUE(lineLineIntersection(L(0, 0, 1, 0), L(0, 1, 1, 1 - 0x1p-40), &p));  // no parallel tolerance
  EXPECT_TRUE(isPt(p, 0x1p40, 0));
  TavLine out;
  // Bisecting: d = -pi stays -pi (along the first line); d = pi adds a quarter turn to pi/2. Parallel
  // lines, also of opposite directions: the mid line, in the first line's direction.
  lineLineBisect(L(0, 0, -1, 0), L(0, 0, 0, 0.005), &out);
  EXPECT_TRUE(isLine(out, 0, 0, -10000, 0, 1e-9));
  lineLineBisect(L(0, 0, 0, 0.005), L(0, 0, -1, 1e-300), &out);
  EXPECT_NEAR(out.p2.x, -10000.0, 1e-9);
  lineLineBisect(L(0, 1, 10, 1), L(0, 3, 10, 3), &out);
  EXPECT_TRUE(isLine(out, 0, 2, 10000, 2, 1e-12) && out.p1.y == 2.0 && out.p2.y == 2.0);
  lineLineBisect(L(10, 1, 0, 1), L(0, 3, 10, 3), &out);
  EXPECT_TRUE(isLine(out, 0, 2, -10000, 2, 1e-9) && std::fabs(out.p1.y - 2) <= 1e-12);
  // Parallel but for the rounding of one end: they cross near 2.5e17, where a segment of 10000 cannot hold
  // the bisector's direction (it had missed the midline by 2.6e14 px); the mid line instead (found by a review).
  lineLineBisect(L(0, 0, 300, 100), L(0, 10, 300, 110.00000000000001), &out);
  EXPECT_TRUE(pointLineDist(TavPoint(150, 55), out) < 1e-9 && lineIsParallel(out, L(0, 0, 300, 100)));
  double v = -1;  // from p2
  EXPECT_TRUE(lineYIntercept(L(4, 8, 2, 4), 10, &v) && v == 20);
  // {line, coefficients of y, x, 1}: p2 satisfies the equation; |dx| < 1e-5 is the vertical form.
  const double abc[][7] = {{0, 1, 1, 3, 1, -2, -1}, {2, 7, 2, 7, 0, 1, -2},
                           {3, 0, 3, 5, 0, 1, -3},  {0, 0, 2, 4, 1, -2, 0},
                           {1, 1, 4, 7, 1, -2, 1},  {0, 0, 0.0000099, 1, 0, 1, -0.0000099}};
  double cy = 9, cx = 9, cc = 9;
  for (const auto& e : abc) {
    line2AbcLineEquation(L(e), &cy, &cx, &cc);
    EXPECT_TRUE(cy == e[4] && cx == e[5] && cc == e[6]) << e[2] << ": " << cy << " " << cx << " " << cc;
  }
  line2AbcLineEquation(L(0, 0, 0.00001, 1), &cy, &cx, &cc);
  EXPECT_EQ(cy, 1.0);
  // {line, ro, tolerance, theta, tolerance}: theta in [0, pi), the same for the line below the origin.
  const double r = 10 / std::sqrt(2.0), t = 3 * kPi / 4, h = kHalfPi;
  const double polar[][8] = {{-5, 3, 5, 3, 3, 0, h, 1e-15},   {5, 3, -5, 3, 3, 0, h, 1e-15},
                             {-5, -3, 5, -3, 3, 0, h, 1e-15}, {5, -1, 5, 1, 5, 0, 0, 1e-15},
                             {0, 0, 1, 1, 0, 0, t, 1e-15},    {3, 4, 3, 4.005, 3, 1e-12, h, 1e-15},
                             {3, 4, 3, 4, 5, 0, 0, 0},        {10, 0, 20, 10, r, 1e-12, t, 1e-12}};
  for (const auto& c : polar) {
    double ro = -1, theta = -1;
    lineToRoTheta(L(c), &ro, &theta);
    EXPECT_TRUE(isNum(ro, c[4], c[5]) && isNum(theta, c[6], c[7])) << c[0] << " " << c[1] << ": " << ro;
  }
  // {line, line, line across, ok, distance between the crossings}; a failure writes 0.
  const double dists[][14] = {
      {0, 0, 10, 0, 0, 4, 10, 4, 0, 0, 3, 4, 1, 5},   {0, 0, 10, 0, 0, 0, 10, 0, 3, -1, 3, 9, 0, 0},
      {0, 0, 10, 0, 0, 0, 10, 10, 5, -1, 5, 9, 1, 5}, {0, 0, 10, 0, 0, 4, 10, 4, 0, 50, 10, 50, 0, 0},
      {0, 0, 10, 0, 0, 4, 10, 4, 3, -1, 3, 9, 1, 4},  {0, 10, 10, 0, 0, 4, 10, 4, 0, 50, 10, 50, 0, 0}};
  for (const auto& e : dists) {
    double d = -1;
    EXPECT_TRUE(lineLineDist(L(e), L(e + 4), L(e + 8), &d) == (e[12] != 0) && d == e[13])
        << e[5] << " " << e[8];
  }
}

TEST(Shapes, RectClipInEdgeOrderAndMarginPolygonInside) {
  // Edges are searched as E0 (top), E1 (right), E2 (bottom), E3 (left); the first two crossings found
  // are reported. A margin of one unit counts, turned with the rectangle; the quarter-turned 10 x 4 at
  // (20, 10) covers 23..27 x 7..17. That failures leave the outputs: fuzz_lines.
  const TavRect rects[] = {TavRect(0, 0, 10, 10, 0),        TavRect(20, 10, 10, 4),
                           TavRect(20, 10, 10, 4, kHalfPi), TavRect(0, 0, 10, 10, kPi / 4),
                           TavRect(kNaN, 0, 10, 10),        TavRect(0, 0, 10, 10, kInf)};
  const double dx = 5 + 5 * std::sqrt(2.0), dy = 5 * std::sqrt(2.0) - 6.5;
  const double hits[][9] = {
      {-5, 5, 15, 5, 0, 10, 5, 0, 5},    {5, 15, 5, -5, 0, 5, 0, 5, 10},
      {4, 14, 14, 4, 0, 10, 8, 8, 10},   {-4, 6, 6, -4, 0, 2, 0, 0, 2},
      {0, 0, 1, 1, 0, 0, 0, 10, 10},     {10, 0, 0, 10, 0, 10, 0, 10, 0},
      {0, 12, 1, 12, 1, 30, 12, 20, 12}, {-5, -1, 15, -1, 0, 10, -1, 0, -1},
      {0, 16, 1, 16, 2, 27, 16, 23, 16}, {27.5, 0, 27.5, 1, 2, 27.5, 17, 27.5, 7},
      {-20, 5, 30, 5, 3, dx, 5, dx, 5},  {-20, 11.5, 30, 11.5, 3, 5 + dy, 11.5, 5 - dy, 11.5}};
  for (const auto& h : hits) {
    const double tol = h[4] == 3 ? 1e-9 : h[4] == 2 ? 1e-12 : 0, ty = std::fmin(tol, 1e-12);
    TavPoint a, b;
    EXPECT_TRUE(lineRectIntersection(L(h), rects[static_cast<int>(h[4])], &a, &b) && isNum(a.x, h[5], tol) &&
                isNum(a.y, h[6], ty) && isNum(b.x, h[7], tol) && isNum(b.y, h[8], ty))
        << h[0] << " " << h[1];
  }
  const double misses[][5] = {
      {-20, 0, 0, 20, 0},     {5, 5, 5, 5, 0},     {0, 16, 1, 16, 1},   {0, 18.5, 1, 18.5, 2},
      {28.5, 0, 29.5, 30, 2}, {kNaN, 5, 15, 5, 0}, {-5, 5, 15, 5, 4},   {-5, 5, 15, 5, 5},
      {29, 0, 29, 1, 2},      {-5, 5, kInf, 5, 0}, {-5, -2, 15, -2, 0}, {-5, -1.0000001, 15, -1.0000001, 0}};
  for (const auto& m : misses) {
    TavPoint a, b;
    EXPECT_FALSE(lineRectIntersection(L(m), rects[static_cast<int>(m[4])], &a, &b)) << m[0] << " " << m[1];
  }
  TavLine l = L(-5, 5, 15, 5);  // the outputs may be the line's own points
  EXPECT_TRUE(lineRectIntersection(l, rects[0], &l.p1, &l.p2) && isLine(l, 10, 5, 0, 5));
  // Polygons, even-odd over all edges: a triangle's closing edge counts; a bow tie; edge heights that
  // overflow. That edges of smaller x and y are inside: fuzz_circles' rectangle check.
  const std::vector<std::vector<TavPoint>> polys = {{{0, 0}, {10, 0}, {0, 10}},
                                                    {{0, 0}, {10, 10}, {10, 0}, {0, 10}},
                                                    {{0, -1e308}, {1, 1e308}, {-1, 1e308}}};
  const double cases[][4] = {{0, -1, 1, 0}, {0, 1, 1, 1}, {0, 6, 6, 0},    {1, 2, 5, 1},
                             {1, 5, 2, 0},  {2, 0, 0, 1}, {0, kNaN, 1, 0}, {0, -kInf, 1, 0}};
  for (const auto& c : cases) {
    const auto& v = polys[static_cast<int>(c[0])];
    EXPECT_EQ(polygonIsPointInside(v.data(), static_cast<unsigned>(v.size()), P(c + 1)), c[3] != 0)
        << c[0] << ": " << c[1] << " " << c[2];
  }
}

TEST(Circle, ThroughThreePointsInTriangleAndIntersections) {
  // {three points, ok, centre, radius (NaN: not checked), tolerance}. Right angles take x from q2, q3 and
  // y from q1, q2, as they are; a chord up to 1e-5 wide is vertical; equal points give radius 0. Failures
  // give the zero circle. The last goes nearly back the way it came: the first ordering's slopes differ by
  // 9.5e-6 and it fails, though (p1, p3, p2) has slopes 2e-4 apart: no later ordering is tried.
  const double r2 = std::sqrt(2.0), y6 = 2 + 1e-6, x5 = (1e-5 + 2) * 0.5, x6 = (1e-6 + 2) * 0.5;
  const double in3[][11] = {
      {2, 2, 0, 0, 0, 2, 1, 1, 1, r2, 0},         {0, 0, 0, 2, 2, 2, 1, 1, 1, r2, 0},
      {0, 0, 1e-5, 2, 2, y6, 1, x5, 1, kNaN, 0},  {0, 0, 1e-6, 2, 2, y6, 1, x6, 1, kNaN, 0},
      {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0},          {0, 0, 0, 0, 5, 0, 1, 2.5, 0, 2.5, 1e-12},
      {0, 0, 1, 1, 2, 2, 0, 0, 0, 0, 0},          {0, 0, 0, 5, 0, 9, 0, 0, 0, 0, 0},
      {0, 0, 1, 1e300, 2, -1e300, 0, 0, 0, 0, 0}, {kNaN, 0, 2, 2, 4, 0, 0, 0, 0, 0, 0},
      {0, 0, kInf, 2, 4, 1, 0, 0, 0, 0, 0},       {0, 0, 10, 10, 0.5, 0.5 + 9e-5, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 10, 5, 0, 0, 0, 0, 0}};  // two equal points and a slanted chord: the slopes are equal
  TavCircle c;
  for (const auto& e : in3) {
    EXPECT_TRUE(circleIn3Points(P(e), P(e + 2), P(e + 4), &c) == (e[6] != 0) &&
                isPt(c.center, e[7], e[8], e[10]) && (std::isnan(e[9]) || isNum(c.radius, e[9], 0)))
        << e[2] << " " << e[3];
  }
  const TavPoint h1(-1e300, 1e300), h2(1e300, 3e300), h3(3e300, -2e300);  // huge but representable
  ASSERT_TRUE(circleIn3Points(h1, h2, h3, &c));
  for (const TavPoint& h : {h1, h2, h3}) EXPECT_NEAR(pointPointDist(c.center, h) / c.radius, 1, 1e-12);
  EXPECT_FALSE(circleIn3Points(TavPoint(0, 0), TavPoint(2, 2), TavPoint(4, 0), nullptr));
  // Inscribed: a right and an obtuse triangle, each in all six vertex orders (the right angle at each).
  const TavPoint v[2][3] = {{TavPoint(0, 0), TavPoint(10, 0), TavPoint(1, 2)}, {{0, 0}, {4, 0}, {4, 3}}};
  const double s = std::sqrt(85.0) + std::sqrt(5.0) + 10;  // the perimeter; twice the area is 20
  const double want[2][3] = {{(std::sqrt(5.0) * 10 + 10) / s, 20 / s, 20 / s}, {3, 1, 1}};
  const int perm[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int t = 0; t < 2; ++t)
    for (const auto& p : perm)
      EXPECT_TRUE(circleInTriangle(v[t][p[0]], v[t][p[1]], v[t][p[2]], &c) &&
                  isCircle(c, want[t][0], want[t][1], want[t][2], 1e-12))
          << t << ": " << p[0] << p[1];
  EXPECT_FALSE(circleInTriangle(TavPoint(0, 0), TavPoint(2, 2), TavPoint(1, 1), &c));  // zeroed: fuzz_circles
  EXPECT_FALSE(circleInTriangle(TavPoint(0, 0), TavPoint(4, 0), TavPoint(0, 3), nullptr));
  ASSERT_TRUE(circleInTriangle(TavPoint(0, 0), TavPoint(4e150, 0), TavPoint(0, 3e150), &c));  // huge, finite
  EXPECT_TRUE(isCircle(c, 1e150, 1e150, 1e150, 1e138));
  // {circle, line, count, points}: larger x first, whichever way the line points; vertical (also of zero
  // length, through its point), larger y first; points beyond the count are zeroed.
  const double lines[][12] = {
      {0, 0, 5, 3, 10, 3, -10, 2, 3, 4, 3, -4}, {0, 0, 5, 0, 1, 0, 1, 2, 0, 5, 0, -5},
      {0, 0, 5, 5, -1, 5, 1, 1, 5, 0, 0, 0},    {0, 0, 5, 6, -1, 6, 1, 0, 0, 0, 0, 0},
      {0, 0, 5, -10, 3, 10, 3, 2, 4, 3, -4, 3}, {2, 7, 5, 0, 12, 1, 12, 1, 2, 12, 0, 0},
      {0, 0, 5, 3, -4, 4, 3, 2, 4, 3, 3, -4},   {0, 0, 5, 4, -3, 3, 4, 2, 4, -3, 3, 4}};  // steep, either way
  TavPoint pts[2];
  int n = -1;
  for (const auto& e : lines) {
    pts[0] = pts[1] = TavPoint(-9, -9);
    circleLineIntersection(TavCircle(P(e), e[2]), L(e + 3), pts, &n);
    EXPECT_TRUE(n == e[7] && isPt(pts[0], e[8], e[9], n > 0 ? 1e-12 : 0) &&
                isPt(pts[1], e[10], e[11], n > 1 ? 1e-12 : 0));
  }
  // 5e-6 rad off the vertical at (5000, 4000): solved in x, the slope had thrown the points 1 px off the circle.
  circleLineIntersection(TavCircle(TavPoint(5000, 4000), 100), L(5010, 3900, 5010.001, 4100), pts, &n);
  EXPECT_TRUE(n == 2 && isPt(pts[0], 5010.00099749322, 4099.49864345377, 1e-9) &&
              isPt(pts[1], 5010.00000250628, 3900.50125654123, 1e-9));
  // {line, count, x of both points, y of the first (NaN: not checked)} on the circle of radius 5 at the
  // origin: within 1e-5 of vertical the points are at x2; a discriminant of 4e-6 < 1e-5 is one point, 4e-4
  // two; a slanted line has the same tolerance.
  const double sl = 5 * std::sqrt(2.0) + 1e-7, near[][7] = {{3, -10, 3.000009, 10, 2, 3.000009, kNaN},
                                                            {5 - 1e-7, -1, 5 - 1e-7, 1, 1, kNaN, 0},
                                                            {4.99999, -1, 4.99999, 1, 2, kNaN, kNaN},
                                                            {0, sl, 1, sl - 1, 1, kNaN, kNaN}};
  for (const auto& e : near) {
    circleLineIntersection(TavCircle(TavPoint(0, 0), 5), L(e), pts, &n);
    EXPECT_TRUE(n == e[4] && (std::isnan(e[5]) || (pts[0].x == e[5] && pts[1].x == e[5])) &&
                (std::isnan(e[6]) || pts[0].y == e[6]))
        << e[0];
  }
  // {circle, circle, count, points}: touching exactly, one point, twice, and no tolerance either side;
  // concentric, the foot point at the centre; non-finite input, no points.
  const double circles[][11] = {{0, 0, 4, 8, 0, 4, 1, 4, 0, 4, 0},  {2, 3, 5, 2, 3, 1, 0, 2, 3, 2, 3},
                                {0, 0, 4, 8, 0, 4 + 1e-9, 2, kNaN}, {0, 0, 4, 8, 0, 4 - 1e-9, 0, kNaN},
                                {0, 0, 5, 1e-200, 0, 5, 0, kNaN},   {kNaN, 0, 5, 8, 0, 5, 0, kNaN},
                                {0, 0, kInf, 8, 0, 5, 0, kNaN},     {0, 0, 5, 1e300, 0, 1e300, 0, kNaN}};
  for (const auto& e : circles) {
    circleCircleIntersection(TavCircle(P(e), e[2]), TavCircle(P(e + 3), e[5]), pts, &n);
    EXPECT_TRUE(n == e[6] &&
                (std::isnan(e[7]) || (isPt(pts[0], e[7], e[8], 1e-12) && isPt(pts[1], e[9], e[10], 1e-12))))
        << e[0] << " " << e[3];
  }
}

TEST(Arc, In3PointsTestPointPointAlongAndPolyline) {
  // {three points, start, sweep, radius}: on the unit circle at the origin, or on the circle of radius 7
  // about (5, -3). The middle point sets the direction, the short way or the long way round; reversed
  // points reverse the arc; in the third, the first and last points share x.
  const double deg = kPi / 180, c = std::cos(10 * deg), s = std::sin(10 * deg);
  const double c6 = std::cos(60 * deg), s6 = std::sin(60 * deg);
  const double cases[][9] = {
      {1, 0, 0, 1, -1, 0, 0, kPi, 1},         {1, 0, 0, -1, -1, 0, 0, -kPi, 1},
      {0, 1, -1, 0, 0, -1, kHalfPi, kPi, 1},  {1, 0, c, -s, c6, -s6, 0, -60 * deg, 7},
      {1, 0, c, s, c6, -s6, 0, 300 * deg, 7}, {c6, -s6, c, s, 1, 0, -60 * deg, -300 * deg, 7}};
  TavArc a;
  for (const auto& e : cases) {
    const double r = e[8], tol = r == 7 ? 1e-10 : 1e-12, ox = r == 7 ? 5 : 0, oy = r == 7 ? -3 : 0;
    const TavPoint q[3] = {
        {ox + r * e[0], oy + r * e[1]}, {ox + r * e[2], oy + r * e[3]}, {ox + r * e[4], oy + r * e[5]}};
    EXPECT_TRUE(arcIn3Points(q[0], q[1], q[2], &a) && isPt(a.center, ox, oy, tol) &&
                isPt(TavPoint(a.startAngle, a.sweepAngle), e[6], e[7], tol) && isNum(a.radius, r, tol))
        << e[7];
  }
  ASSERT_TRUE(arcIn3Points(TavPoint(0, 0), TavPoint(1, 0), TavPoint(0, 5e-6), &a));  // 4 * area == 1e-5
  EXPECT_TRUE(isPt(a.center, 0.5, 2.5e-6, 1e-12) && std::fabs(a.center.y - 2.5e-6) <= 1e-15);
  // Failures (that they leave the output: fuzz_circles): four times the area just below 1e-5; not collinear,
  // but all x within 1e-5; collinear up to rounding far from the origin, a circle of radius 3e16 on which the
  // first and last points have one angle (found by fuzz_circles).
  const double bad[][6] = {{0, 0, 1, 1, 2, 2},      {0, 0, 0, 0, 5, 3},
                           {0, 0, 1, 0, 0, 4.9e-6}, {0, 0, 4e-6, 1000, 0, 2000},
                           {kNaN, 0, 0, 1, -1, 0},  {4.6875, -0.0, 2147483722.0, 75, -0.0, -0.0}};
  for (const auto& p : bad) EXPECT_FALSE(arcIn3Points(P(p), P(p + 2), P(p + 4), &a)) << p[2];
  EXPECT_FALSE(arcIn3Points(TavPoint(1, 0), TavPoint(0, 1), TavPoint(-1, 0), nullptr));
  // Small arcs far from the origin, {centre x, centre y, radius, span}, whose squared coordinates cancel: the
  // arc still runs through the points (random arcs of radius 1 to 5 centred in [0, 1e4]^2 had missed them by
  // up to 0.8 radii; found by a review) and the half circle at 1e8 is no longer refused.
  const double far[][4] = {{4096, 4096, 5, 0.3}, {1e4, 1e4, 1, 0.75}, {3e4, 2e4, 2, 2.5}, {1e8, 1e8, 1, kPi}};
  for (const auto& f : far) {
    TavPoint q[3];
    for (int k = 0; k < 3; ++k) {
      const TavPoint o = onCircle(f[2], 0.1 + f[3] * k / 2);
      q[k] = TavPoint(f[0] + o.x, f[1] + o.y);
    }
    ASSERT_TRUE(arcIn3Points(q[0], q[1], q[2], &a)) << f[0];
    EXPECT_TRUE(isPt(a.center, f[0], f[1], 1e-7 * f[0]) && isNum(a.radius, f[2], 1e-7 * f[0])) << f[0];
    for (const TavPoint& p : q) EXPECT_NEAR(pointPointDist(p, a.center), a.radius, 1e-9 * f[2] + 2e-14 * f[0]);
  }
  // {three points, centre, radius (exact, to double)}: a circle of radius 10 about (3.7e7, 5.7e7), which the
  // construction on the points had given as a radius of 1e9 that its own check let pass, and a 5 degree arc
  // of radius 100 at 1e4, once 1e-4 off (both found by a review).
  const double exact[][9] = {{36657384.804758, 57419397.63889759, 36657384.78761905, 57419397.64550161,
                              36657384.43034247, 57419378.84686512, 36657381.200652017, 57419388.310960192,
                              9.9999998010341178},
                             {-4478.632522435771, -7252.798018268684, -4482.429621442626, -7250.649156361771,
                              -4486.3168384925075, -7248.667966827689, -4529.771545417762, -7338.732879229716,
                              99.99999999972212}};
  for (const auto& e : exact)
    EXPECT_TRUE(arcIn3Points(P(e), P(e + 2), P(e + 4), &a) && isPt(a.center, e[6], e[7], 1e-6) &&
                isNum(a.radius, e[8], 1e-8))
        << e[0];
  // First and last x just over 1e-5 apart on a long chord: the centre's x from that pair had missed the
  // middle point by 2.9e-6 px and, for the second, the centre by 0.18 px (found by a review).
  const double steep[][6] = {{3000, 1000, 3500, 1500, 3000.00002, 2000},
                             {2883.4365903920911, 3541.3004125136049, 2881.9269938168186, 3601.5873988484482,
                              2883.4365698120127, 2367.4346078391477}};
  for (const auto& e : steep) {
    ASSERT_TRUE(arcIn3Points(P(e), P(e + 2), P(e + 4), &a));
    for (int k = 0; k < 6; k += 2) EXPECT_NEAR(pointPointDist(P(e + k), a.center), a.radius, 1e-8) << e[0];
  }
  const double m = std::fmod(1e20, kTwoPi);  // a huge start is taken modulo the turn
  const TavPoint on3 = onCircle(10, 3), on2 = onCircle(10, 2), fp = onCircle(10, m + 0.5);
  const TavPoint fm = onCircle(10, m - 0.5), bm = onCircle(10, -m - 0.5);
  // {radius, start, sweep, point, tolerance, inside}: the start is included, the end excluded, the radial
  // tolerance inclusive; 10 rad is 3.717 rad; atan2 gives +pi for (-10, 0), the start
  // of an arc from -pi but the end of one to pi; a full turn or more, or an infinite sweep, holds every
  // angle.
  const double pi = kPi, h = kHalfPi;  // h: a quarter turn
  const double tests[][7] = {{10, pi, h, 0, -10.5, 0.5, 0},       {10, 0, h, 10.5, 0, 0.5, 1},
                             {10, 0, h, 10.5, 0, 0.4999, 0},      {10, 0, h, 9.5, 0, 0.5, 1},
                             {10, h, -h, 0, 10, 0.1, 1},          {10, h, -h, 10, 0, 0.1, 0},
                             {10, -pi, 1, -10, 0, 1e-9, 1},       {10, pi, -1, -10, -0.0, 1e-9, 1},
                             {10, pi - 1, 1, -10, 0, 1e-9, 0},    {10, 2, kInf, 10, 0, 0.1, 1},
                             {10, 0, kNaN, 10, 0, 0.1, 0},        {10, 10, -1, on3.x, on3.y, 1e-9, 1},
                             {10, 10, -1, on2.x, on2.y, 1e-9, 0}, {10, 1e20, 1, fp.x, fp.y, 1e-9, 1},
                             {10, 1e20, 1, fm.x, fm.y, 1e-9, 0},  {10, -1e20, -1, bm.x, bm.y, 1e-9, 1},
                             {10, 1, 2 * pi, -10, 0, 1e-9, 1},    {10, 1, -7, 0, -10, 1e-9, 1},
                             // a full turn and a point 1e-16 rad before its start (raised, it rounded to the end)
                             {100, 0, 2 * pi, 100, -1e-14, 1e-6, 1},  {100, 0, -2 * pi, 100, 1e-14, 1e-6, 1}};
  for (const auto& e : tests)
    EXPECT_EQ(arcTestPoint(TavArc(TavPoint(0, 0), e[0], e[1], e[2]), P(e + 3), e[5]), e[6] != 0)
        << e[0] << " " << e[1] << " " << e[2] << " " << e[3] << " " << e[4];
  // {centre, radius, start, sweep, length, point (NaN: both NaN)}: a zero sweep runs toward increasing
  // angle, negative lengths go backward, a zero radius or an infinite length give NaN.
  const double along[][8] = {{0, 0, 1, 0, -1, kHalfPi, 0, -1}, {1, 1, 2, kHalfPi, 1, kPi, -1, 1},
                             {0, 0, 2, 0, 0, kPi, 0, 2},       {0, 0, 2, 0, 0.5, -kPi, 0, -2},
                             {3, 4, 0, 0, 1, 5, kNaN, kNaN},   {0, 0, 1, 0, 1, kInf, kNaN, kNaN}};
  TavPoint out;
  for (const auto& g : along) {
    arcPointAlong(TavArc(P(g), g[2], g[3], g[4]), g[5], &out);
    EXPECT_TRUE(std::isnan(g[6]) ? std::isnan(out.x) && std::isnan(out.y) : isPt(out, g[6], g[7], 1e-15))
        << g[2] << " " << g[5];
  }
  TavPoint pts[2] = {TavPoint(), TavPoint(-7, -7)};
  arcToPolyline(TavArc(TavPoint(0, 0), 3, kPi, 1), pts, 1);  // one point: only the start is written
  EXPECT_TRUE(isPt(pts[0], -3, 0, 1e-15) && pts[1].x == -7.0);
}
