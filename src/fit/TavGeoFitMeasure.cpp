// The fits that measure: total least-squares line, Hyper and geometric circle
// fits, consensus circle fit.
//
// Every fit here works in a frame centred on the mean of the points and scaled
// by a power of two s chosen from their extent: the working coordinates are
// ((x - mx) * s, (y - my) * s), of magnitude about 1. Multiplying by a power of
// two is exact, and every later operation scales with it, so the frame changes
// no digit of an ordinary result; it only keeps squares and fourth powers of
// huge or tiny coordinates from overflowing or underflowing.
#include <TavGeometry/TavGeoFit.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

#include "fit/TavGeoFitDraw.h"
#include "geometry/TavGeoInternal.h"

// Where the compiler targets SSE2 (and TAVGEO_PORTABLE is not set), the circle
// fits' distances and directions are taken two points at a time; on x86-64,
// four at a time where the processor has AVX2 (TAVGEO_X86_DISPATCH).
#if defined(__SSE2__) && !defined(TAVGEO_PORTABLE)
#define TAVGEO_SSE2_FIT 1
#include <emmintrin.h>
#endif

namespace NTavGeometry {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kRefused = 2;

// The working frame of a point set.
struct Frame {
  double mx = 0.0;          // mean x
  double my = 0.0;          // mean y
  double scale = 1.0;       // power of two: working x = (x - mx) * scale
  bool coincident = false;  // every point is the same point
  // A working coordinate. For a shrinking scale the difference x - mx of points
  // spread near DBL_MAX could overflow, so both terms are scaled first; that is
  // the same number (each product is exact unless it is subnormal). For a growing scale x - mx is at
  // most twice the small extent, while x * scale could overflow.
  double wx(double x) const { return scale <= 1.0 ? x * scale - mx * scale : (x - mx) * scale; }
  double wy(double y) const { return scale <= 1.0 ? y * scale - my * scale : (y - my) * scale; }
};

// Fills f for n >= 1 points; false when a coordinate is NaN or infinite.
bool findFrame(const TavPoint* points, unsigned int n, Frame& f) {
  const double x0 = points[0].x, y0 = points[0].y;
  double xmin = x0, xmax = x0, ymin = y0, ymax = y0;
  double sx = 0.0, sy = 0.0;  // offsets from the first point: accurate to the extent
  for (unsigned int i = 0; i < n; ++i) {
    const double x = points[i].x;
    const double y = points[i].y;
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    xmin = std::min(xmin, x);
    xmax = std::max(xmax, x);
    ymin = std::min(ymin, y);
    ymax = std::max(ymax, y);
    sx += x - x0;
    sy += y - y0;
  }
  const double half = std::max(xmax * 0.5 - xmin * 0.5, ymax * 0.5 - ymin * 0.5);  // cannot overflow
  f.coincident = !(half > 0.0);
  // half * scale lies in [1, 2); the exponent is bounded so that the scale stays
  // finite for subnormal extents.
  const int e = half > 0.0 ? std::max(std::ilogb(half), -1000) : 0;
  f.scale = std::ldexp(1.0, -e);
  const double count = static_cast<double>(n);
  if (std::isfinite(sx) && std::isfinite(sy)) {
    f.mx = x0 + sx / count;
    f.my = y0 + sy / count;
  } else {
    // Points spread beyond DBL_MAX: sum offsets from the middle of the box in
    // the scaled frame instead, where each term is at most about 1.
    const double cx = xmin * 0.5 + xmax * 0.5;
    const double cy = ymin * 0.5 + ymax * 0.5;
    double ox = 0.0, oy = 0.0;
    for (unsigned int i = 0; i < n; ++i) {
      ox += points[i].x * f.scale - cx * f.scale;
      oy += points[i].y * f.scale - cy * f.scale;
    }
    f.mx = cx + (ox / count) / f.scale;
    f.my = cy + (oy / count) / f.scale;
  }
  // Rounding can move the mean just outside the box; inside it, every working
  // coordinate is at most about 4.
  f.mx = std::min(std::max(f.mx, xmin), xmax);
  f.my = std::min(std::max(f.my, ymin), ymax);
  return true;
}

// A circle in the working frame.
struct WorkCircle {
  double a = 0.0;
  double b = 0.0;
  double r = 0.0;
};

TavCircle toImage(const Frame& f, const WorkCircle& w) {
  return TavCircle(TavPoint(f.mx + w.a / f.scale, f.my + w.b / f.scale), w.r / f.scale);
}

// Below this ratio det / trace^2 of the centred scatter (about the minor to
// major spread for thin sets) the points count as straight. Points on a line
// give a ratio of rounding noise only, a few DBL_EPSILON times sqrt(n) (under
// 1e-11 up to 10^9 points); an evenly sampled arc of angle t (radians) gives
// about t^2 / 59, so 1e-10 refuses only arcs under about 7.7e-5 rad (0.0044
// degrees), whose radius the points cannot tell.
constexpr double kStraightRatio = 1e-10;

// The Hyper fit in the working frame of f. Minimises the algebraic distance
// sum (A z + B x + C y + D)^2, z = x^2 + y^2, under the constraint matrix
// 2 * (gradient constraint) - (B^2 + C^2 - 4 A D); with centred data the
// smallest non-negative root eta of the characteristic quartic
// 4 eta^4 + A2 eta^2 + A1 eta + A0 gives the circle. Newton's method from
// eta = 0 approaches that root monotonically; it stops when a step no longer
// lowers |Q|.
//
// The formulas take the working coordinates' mean as 0; the frame's mean is a
// rounded double, half an ulp of the coordinates off (6e-8 near 1e9), which a
// short arc amplifies. So the working coordinates' own mean is taken out first
// and the circle moved back by it.
bool hyperInFrame(const TavPoint* points, unsigned int n, const Frame& f, WorkCircle& out) {
  const double count = static_cast<double>(n);
  double su = 0.0, sv = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    su += f.wx(points[i].x);
    sv += f.wy(points[i].y);
  }
  const double mu = su / count, mv = sv / count;
  double sxx = 0.0, syy = 0.0, sxy = 0.0, sxz = 0.0, syz = 0.0, szz = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double u = f.wx(points[i].x) - mu;
    const double v = f.wy(points[i].y) - mv;
    const double uu = u * u;
    const double vv = v * v;
    const double z = uu + vv;
    sxx += uu;
    syy += vv;
    sxy += u * v;
    sxz += u * z;
    syz += v * z;
    szz += z * z;
  }
  const double mxx = sxx / count, myy = syy / count, mxy = sxy / count;
  const double mxz = sxz / count, myz = syz / count, mzz = szz / count;
  const double mz = mxx + myy;
  const double cov = mxx * myy - mxy * mxy;
  if (!(cov > kStraightRatio * mz * mz)) return false;
  const double varZ = mzz - mz * mz;
  const double a2 = 4.0 * cov - 3.0 * mz * mz - mzz;
  const double a1 = varZ * mz + 4.0 * cov * mz - mxz * mxz - myz * myz;
  const double a0 = mxz * (mxz * myy - myz * mxy) + myz * (myz * mxx - mxz * mxy) - varZ * cov;
  const double a22 = a2 + a2;
  double x = 0.0;
  double y = a0;
  for (int iter = 0; iter < 100; ++iter) {
    const double dy = a1 + x * (a22 + 16.0 * x * x);
    const double xNew = x - y / dy;
    if (xNew == x || !std::isfinite(xNew)) break;
    const double yNew = a0 + xNew * (a1 + xNew * (a2 + 4.0 * xNew * xNew));
    if (!(std::fabs(yNew) < std::fabs(y))) break;
    x = xNew;
    y = yNew;
  }
  const double det = x * x - x * mz + cov;
  if (!(std::fabs(det) > 0.0)) return false;
  const double a = (mxz * (myy - x) - myz * mxy) / det / 2.0;
  const double b = (myz * (mxx - x) - mxz * mxy) / det / 2.0;
  const double r2 = a * a + b * b + mz - 2.0 * x;
  if (!(r2 > 0.0) || !std::isfinite(r2)) return false;
  out.a = a + mu;
  out.b = b + mv;
  out.r = std::sqrt(r2);
  return true;
}


// One evaluation of the geometric objective at a circle of the working frame:
// the sum of squares, the normal matrix J^T J (row i of J is -(ux, uy, 1), the
// unit vector from the centre to point i) and the right side -J^T d.
struct Evaluation {
  double sum = 0.0;     // sum of d_i^2
  double sumAbs = 0.0;  // sum of |d_i|
  double jtj[3][3] = {};
  double rhs[3] = {};
};

// Points are taken a block at a time for the steps below.
constexpr size_t kBlock = 256;

// The distances and directions of points from a circle's centre are taken
// several points at a time: no value depends on another, and vector square
// roots and divisions round as the scalar ones do, to the same bits.
#if defined(TAVGEO_SSE2_FIT)
// The offsets from the centre (a, b) of points p[0 .. 1] and their lengths.
struct Offsets2 {
  __m128d dx, dy, ri;
};
inline Offsets2 offsets2(const TavPoint* p, __m128d a, __m128d b) {
  const __m128d p0 = _mm_loadu_pd(&p[0].x), p1 = _mm_loadu_pd(&p[1].x);
  const __m128d dx = _mm_sub_pd(_mm_unpacklo_pd(p0, p1), a), dy = _mm_sub_pd(_mm_unpackhi_pd(p0, p1), b);
  return Offsets2{dx, dy, _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)))};
}
#endif
#if defined(TAVGEO_X86_DISPATCH)
// The same for points p[0 .. 3].
struct Offsets4 {
  __m256d dx, dy, ri;
};
__attribute__((target("avx2"))) inline Offsets4 offsets4(const TavPoint* p, __m256d a, __m256d b) {
  __m256d x, y;
  detail::loadPoints4(p, &x, &y);
  const __m256d dx = _mm256_sub_pd(x, a), dy = _mm256_sub_pd(y, b);
  return Offsets4{dx, dy, _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)))};
}
// directions() and circleDistances() four points a step; each returns how
// many points it took (a multiple of 4).
__attribute__((target("avx2"))) size_t directionsAvx2(const TavPoint* p, size_t m, const WorkCircle& c,
                                                    double* ux, double* uy, double* d) {
  const __m256d a = _mm256_set1_pd(c.a), b = _mm256_set1_pd(c.b), r = _mm256_set1_pd(c.r);
  size_t i = 0;
  for (; i + 4 <= m; i += 4) {
    const Offsets4 o = offsets4(p + i, a, b);
    const __m256d away = _mm256_cmp_pd(o.ri, _mm256_setzero_pd(), _CMP_GT_OQ);  // false for 0 and NaN
    _mm256_storeu_pd(d + i, _mm256_sub_pd(o.ri, r));
    _mm256_storeu_pd(ux + i, _mm256_and_pd(away, _mm256_div_pd(o.dx, o.ri)));
    _mm256_storeu_pd(uy + i, _mm256_and_pd(away, _mm256_div_pd(o.dy, o.ri)));
  }
  return i;
}
__attribute__((target("avx2"))) size_t distancesAvx2(const TavPoint* p, size_t n, const WorkCircle& c,
                                                     double* dist) {
  const __m256d a = _mm256_set1_pd(c.a), b = _mm256_set1_pd(c.b), r = _mm256_set1_pd(c.r);
  const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(INT64_MAX));
  size_t i = 0;
  for (; i + 4 <= n; i += 4)
    _mm256_storeu_pd(dist + i, _mm256_and_pd(magnitude, _mm256_sub_pd(offsets4(p + i, a, b).ri, r)));
  return i;
}
#endif

// The distance d = |p - centre| - r of each of m points and the unit vector
// (ux, uy) from the centre to it, (0, 0) for a point at the centre.
void directions(const TavPoint* p, size_t m, const WorkCircle& c, double* ux, double* uy, double* d) {
  size_t i = 0;
#if defined(TAVGEO_X86_DISPATCH)
  if (detail::processorHasAvx2()) i = directionsAvx2(p, m, c, ux, uy, d);
#endif
#if defined(TAVGEO_SSE2_FIT)
  const __m128d a = _mm_set1_pd(c.a), b = _mm_set1_pd(c.b), r = _mm_set1_pd(c.r);
  for (; i + 2 <= m; i += 2) {
    const Offsets2 o = offsets2(p + i, a, b);
    const __m128d away = _mm_cmpgt_pd(o.ri, _mm_setzero_pd());
    _mm_storeu_pd(d + i, _mm_sub_pd(o.ri, r));
    _mm_storeu_pd(ux + i, _mm_and_pd(away, _mm_div_pd(o.dx, o.ri)));
    _mm_storeu_pd(uy + i, _mm_and_pd(away, _mm_div_pd(o.dy, o.ri)));
  }
#endif
  for (; i < m; ++i) {
    const double dx = p[i].x - c.a;
    const double dy = p[i].y - c.b;
    const double ri = std::sqrt(dx * dx + dy * dy);
    d[i] = ri - c.r;
    ux[i] = 0.0;
    uy[i] = 0.0;
    if (ri > 0.0) {
      ux[i] = dx / ri;
      uy[i] = dy / ri;
    }
  }
}

// |(|p - centre| - r)| of each of n points, into dist.
void circleDistances(const TavPoint* p, size_t n, const WorkCircle& c, double* dist) {
  size_t i = 0;
#if defined(TAVGEO_X86_DISPATCH)
  if (detail::processorHasAvx2()) i = distancesAvx2(p, n, c, dist);
#endif
#if defined(TAVGEO_SSE2_FIT)
  const __m128d a = _mm_set1_pd(c.a), b = _mm_set1_pd(c.b), r = _mm_set1_pd(c.r);
  const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(INT64_MAX));
  for (; i + 2 <= n; i += 2)
    _mm_storeu_pd(dist + i, _mm_and_pd(magnitude, _mm_sub_pd(offsets2(p + i, a, b).ri, r)));
#endif
  for (; i < n; ++i) {
    const double dx = p[i].x - c.a;
    const double dy = p[i].y - c.b;
    dist[i] = std::fabs(std::sqrt(dx * dx + dy * dy) - c.r);
  }
}

// Mean |distance to centre - radius| in image units: a block of points at a
// time in working coordinates, their distances taken several at once.
double meanAbsResidual(const TavPoint* points, unsigned int n, const Frame& f, const WorkCircle& w) {
  double sum = 0.0, dist[kBlock];
  TavPoint block[kBlock];
  for (unsigned int start = 0; start < n; start += kBlock) {
    const unsigned int m = std::min<unsigned int>(kBlock, n - start);
    for (unsigned int i = 0; i < m; ++i)
      block[i] = TavPoint(f.wx(points[start + i].x), f.wy(points[start + i].y));
    circleDistances(block, m, w, dist);
    for (unsigned int i = 0; i < m; ++i) sum += dist[i];
  }
  return sum / static_cast<double>(n) / f.scale;
}

void evaluate(const std::vector<TavPoint>& q, const WorkCircle& c, Evaluation& e) {
  double f = 0.0, fa = 0.0, sxx = 0.0, sxy = 0.0, syy = 0.0, sx = 0.0, sy = 0.0;
  double gx = 0.0, gy = 0.0, gr = 0.0;
  double uxs[kBlock], uys[kBlock], ds[kBlock];
#if defined(TAVGEO_SSE2_FIT)
  // Two running sums in each vector, each lane its own in the points' order:
  // (sxx, syy), (sx, sy), (gx, gy) and (f, gr).
  __m128d sq = _mm_setzero_pd(), s1 = _mm_setzero_pd(), g = _mm_setzero_pd(), fr = _mm_setzero_pd();
  const __m128d ones = _mm_set1_pd(1.0);
#endif
  for (size_t start = 0; start < q.size(); start += kBlock) {
    const size_t m = std::min(kBlock, q.size() - start);
    directions(q.data() + start, m, c, uxs, uys, ds);
    for (size_t i = 0; i < m; ++i) {  // summed in the points' order
      const double ux = uxs[i], uy = uys[i], d = ds[i];
      fa += std::fabs(d);
      sxy += ux * uy;
#if defined(TAVGEO_SSE2_FIT)
      const __m128d u = _mm_unpacklo_pd(_mm_set_sd(ux), _mm_set_sd(uy)), dd = _mm_set1_pd(d);
      sq = _mm_add_pd(sq, _mm_mul_pd(u, u));
      s1 = _mm_add_pd(s1, u);
      g = _mm_add_pd(g, _mm_mul_pd(u, dd));
      fr = _mm_add_pd(fr, _mm_mul_pd(dd, _mm_move_sd(ones, dd)));  // d * d and d * 1
#else
      f += d * d;
      sxx += ux * ux;
      syy += uy * uy;
      sx += ux;
      sy += uy;
      gx += ux * d;
      gy += uy * d;
      gr += d;
#endif
    }
  }
#if defined(TAVGEO_SSE2_FIT)
  double lanes[8];
  _mm_storeu_pd(lanes, sq);
  _mm_storeu_pd(lanes + 2, s1);
  _mm_storeu_pd(lanes + 4, g);
  _mm_storeu_pd(lanes + 6, fr);
  sxx = lanes[0], syy = lanes[1], sx = lanes[2], sy = lanes[3], gx = lanes[4], gy = lanes[5];
  f = lanes[6], gr = lanes[7];
#endif
  e.sum = f;
  e.sumAbs = fa;
  const double count = static_cast<double>(q.size());
  const double m[3][3] = {{sxx, sxy, sx}, {sxy, syy, sy}, {sx, sy, count}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) e.jtj[i][j] = m[i][j];
  }
  e.rhs[0] = gx;
  e.rhs[1] = gy;
  e.rhs[2] = gr;
}

// Solves the symmetric 3 x 3 system a x = b by Cholesky; false when a is not
// positive definite (to rounding).
bool solve3(const double a[3][3], const double b[3], double x[3]) {
  double l[3][3] = {};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j <= i; ++j) {
      double s = a[i][j];
      for (int k = 0; k < j; ++k) s -= l[i][k] * l[j][k];
      if (i == j) {
        if (!(s > 0.0)) return false;
        l[i][i] = std::sqrt(s);
      } else {
        l[i][j] = s / l[j][j];
      }
    }
  }
  double y[3];
  for (int i = 0; i < 3; ++i) {
    double s = b[i];
    for (int k = 0; k < i; ++k) s -= l[i][k] * y[k];
    y[i] = s / l[i][i];
  }
  for (int i = 2; i >= 0; --i) {
    double s = y[i];
    for (int k = i + 1; k < 3; ++k) s -= l[k][i] * x[k];
    x[i] = s / l[i][i];
  }
  return std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2]);
}

constexpr int kMaxSteps = 100;
constexpr double kStepTolerance = 1e-12;
constexpr double kMaxDamping = 1e16;

// Levenberg-Marquardt with Marquardt's scaling (the diagonal of J^T J grows by
// the factor 1 + lambda). Starts from c, writes the result back to c.
// Returns true when converged.
bool levenbergMarquardt(const std::vector<TavPoint>& q, WorkCircle& c, Evaluation& cur, int& steps) {
  evaluate(q, c, cur);
  double lambda = 1e-3;
  steps = 0;
  Evaluation next;
  while (steps < kMaxSteps) {
    ++steps;
    double damped[3][3];
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) damped[i][j] = cur.jtj[i][j];
      damped[i][i] = cur.jtj[i][i] * (1.0 + lambda);
    }
    double delta[3];
    if (!solve3(damped, cur.rhs, delta)) {
      lambda *= 10.0;
      if (lambda > kMaxDamping) return true;
      continue;
    }
    // The working frame has half the extent of the points near 1.
    const double tolerance = kStepTolerance * (1.0 + std::fabs(c.r));
    const bool small = std::max({std::fabs(delta[0]), std::fabs(delta[1]), std::fabs(delta[2])}) <= tolerance;
    WorkCircle trial;
    trial.a = c.a + delta[0];
    trial.b = c.b + delta[1];
    trial.r = c.r + delta[2];
    evaluate(q, trial, next);
    if (next.sum < cur.sum) {
      c = trial;
      cur = next;
      lambda = std::max(lambda * 0.1, 1e-12);
    } else if (!small) {
      lambda *= 10.0;
      if (lambda > kMaxDamping) return true;  // no step lowers the sum any more
      continue;
    }
    if (small) return true;
  }
  return false;
}

// Standard errors from sigma^2 (J^T J)^-1 with sigma^2 = sum / (n - 3), in the
// working frame; NaN where the matrix is singular.
void standardErrors(const Evaluation& e, unsigned int n, double se[3]) {
  const double(&m)[3][3] = e.jtj;
  const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
  const double c11 = m[0][0] * m[2][2] - m[0][2] * m[2][0];
  const double c22 = m[0][0] * m[1][1] - m[0][1] * m[1][0];
  const double c01 = m[1][0] * m[2][2] - m[1][2] * m[2][0];
  const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
  const double det = m[0][0] * c00 - m[0][1] * c01 + m[0][2] * c02;
  const double sigma2 = e.sum / static_cast<double>(n - 3);
  const double diag[3] = {c00, c11, c22};
  for (int i = 0; i < 3; ++i) {
    const double v = sigma2 * diag[i] / det;
    se[i] = det > 0.0 && v >= 0.0 ? std::sqrt(v) : kNaN;
  }
}

std::vector<TavPoint> workingPoints(const TavPoint* points, unsigned int n, const Frame& f) {
  std::vector<TavPoint> q(n);
  for (unsigned int i = 0; i < n; ++i) {
    q[i] = TavPoint(f.wx(points[i].x), f.wy(points[i].y));
  }
  return q;
}

// The circle through three points of the working frame; false for coincident or
// collinear points (the sine of the angle at a below 1e-12).
bool circleThrough(const TavPoint& a, const TavPoint& b, const TavPoint& c, WorkCircle& out) {
  const double bx = b.x - a.x, by = b.y - a.y;
  const double cx = c.x - a.x, cy = c.y - a.y;
  const double bb = bx * bx + by * by;
  const double cc = cx * cx + cy * cy;
  const double cross = bx * cy - by * cx;
  if (!(std::fabs(cross) > 1e-12 * std::sqrt(bb) * std::sqrt(cc))) return false;
  const double d = 2.0 * cross;
  const double ux = (cy * bb - by * cc) / d;
  const double uy = (bx * cc - cx * bb) / d;
  out.a = a.x + ux;
  out.b = a.y + uy;
  out.r = std::sqrt(ux * ux + uy * uy);
  return std::isfinite(out.a) && std::isfinite(out.b) && std::isfinite(out.r);
}

}  // namespace

int pointsFitLineOrthogonal(const TavPoint* points, unsigned int n, TavLine* out, double* rms) {
  if (out != nullptr) *out = TavLine();
  if (rms != nullptr) *rms = 0.0;
  if (n < 2) return 1;
  // One pass over offsets from the first point: the central sums follow with
  // little cancellation (the offsets are at most the extent). Sets whose sums
  // overflow or underflow, hold a NaN or an infinity, or may be coincident go
  // the way of the other fits: a frame found first, then the sums.
  Frame f;
  const double x0 = points[0].x, y0 = points[0].y;
  double ox = 0.0, oy = 0.0, sxx = 0.0, sxy = 0.0, syy = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double u = points[i].x - x0;
    const double v = points[i].y - y0;
    ox += u;
    oy += v;
    sxx += u * u;
    sxy += u * v;
    syy += v * v;
  }
  const double count = static_cast<double>(n);
  sxx -= ox * (ox / count);
  sxy -= ox * (oy / count);
  syy -= oy * (oy / count);
  const bool plain = std::isfinite(sxx) && std::isfinite(sxy) && std::isfinite(syy) && sxx + syy > 1e-250 &&
                     sxx + syy < 1e150 && std::isfinite(x0) && std::isfinite(y0);
  if (plain) {
    f.mx = x0 + ox / count;
    f.my = y0 + oy / count;
    f.scale = 1.0;
  } else {
    if (!findFrame(points, n, f) || f.coincident) return 1;
    sxx = sxy = syy = 0.0;
    for (unsigned int i = 0; i < n; ++i) {
      const double u = f.wx(points[i].x);
      const double v = f.wy(points[i].y);
      sxx += u * u;
      sxy += u * v;
      syy += v * v;
    }
  }
  // The eigenvector of the larger eigenvalue of [[sxx, sxy], [sxy, syy]], from
  // the row with the larger diagonal: both of its terms are differences
  // without cancellation, and a vertical or horizontal set gives an exact zero.
  const double h = 0.5 * (sxx - syy);
  const double root = std::sqrt(h * h + sxy * sxy);
  double dx, dy;
  if (sxx >= syy) {
    dx = h + root;  // lambda - syy
    dy = sxy;
  } else {
    dx = sxy;
    dy = root - h;  // lambda - sxx
  }
  if (dx == 0.0 && dy == 0.0) dx = 1.0;  // no principal axis
  if (dx < 0.0 || (dx == 0.0 && dy < 0.0)) {
    dx = -dx;
    dy = -dy;
  }
  // The vector can be tiny (a nearly round scatter with a tiny covariance):
  // bring its larger component near 1 by a power of two before normalising.
  const int ex = std::ilogb(std::max(std::fabs(dx), std::fabs(dy)));
  dx = std::ldexp(dx, -ex);
  dy = std::ldexp(dy, -ex);
  const double len = std::sqrt(dx * dx + dy * dy);
  dx /= len;
  dy /= len;
  if (out != nullptr) *out = TavLine(TavPoint(f.mx, f.my), TavPoint(f.mx + dx, f.my + dy));
  if (rms != nullptr) {
    // Sum of the squared residuals times scale (a power of two, exact).
    const auto sumOfSquares = [&](double scale) {
      double sum = 0.0;
      for (unsigned int i = 0; i < n; ++i) {
        const double d = (f.wy(points[i].y) * dx - f.wx(points[i].x) * dy) * scale;
        sum += d * d;
      }
      return sum;
    };
    const double sum = sumOfSquares(1.0);
    // Squares this small may have underflowed (residuals far below the
    // spread): the sum again from residuals scaled by 2^600.
    const double root =
        sum < 0x1p-900 ? std::sqrt(sumOfSquares(0x1p+600) / count) * 0x1p-600 : std::sqrt(sum / count);
    *rms = root / f.scale;
  }
  return 0;
}

int pointsFitCircleHyper(const TavPoint* points, unsigned int n, TavCircle* circle, double* error) {
  if (circle != nullptr) *circle = TavCircle();
  if (error != nullptr) *error = 0.0;
  Frame f;
  WorkCircle w;
  if (n < 3 || !findFrame(points, n, f) || f.coincident || !hyperInFrame(points, n, f, w)) return kRefused;
  const TavCircle c = toImage(f, w);
  if (!std::isfinite(c.center.x) || !std::isfinite(c.center.y) || !std::isfinite(c.radius)) return kRefused;
  if (circle != nullptr) *circle = c;
  if (error != nullptr) *error = meanAbsResidual(points, n, f, w);
  return 0;
}

int pointsFitCircleGeometric(const TavPoint* points, unsigned int n, TavCircle* circle,
                             TavCircleFitStats* stats, bool wantStandardErrors) {
  if (circle != nullptr) *circle = TavCircle();
  if (stats != nullptr) {
    *stats = TavCircleFitStats();
    stats->seCx = stats->seCy = stats->seR = kNaN;
  }
  Frame f;
  WorkCircle w;
  if (n < 3 || !findFrame(points, n, f) || f.coincident || !hyperInFrame(points, n, f, w)) return kRefused;
  const std::vector<TavPoint> q = workingPoints(points, n, f);
  Evaluation e;
  int steps = 0;
  const bool converged = levenbergMarquardt(q, w, e, steps);
  const TavCircle c = toImage(f, w);
  if (!(w.r >= 0.0) || !std::isfinite(c.center.x) || !std::isfinite(c.center.y) || !std::isfinite(c.radius)) {
    return kRefused;
  }
  if (circle != nullptr) *circle = c;
  if (stats != nullptr) {
    const double count = static_cast<double>(n);
    stats->rms = std::sqrt(e.sum / count) / f.scale;
    stats->meanAbs = e.sumAbs / count / f.scale;
    stats->iterations = steps;
    stats->converged = converged;
    if (wantStandardErrors && n > 3) {
      double se[3];
      standardErrors(e, n, se);
      stats->seCx = se[0] / f.scale;
      stats->seCy = se[1] / f.scale;
      stats->seR = se[2] / f.scale;
    }
  }
  return converged ? 0 : 1;
}

int pointsFitCircleRansac(const TavPoint* points, unsigned int n, unsigned int k, int candidates,
                          TavCircle* circle, double* error, TavPoint* rejected) {
  if (circle != nullptr) *circle = TavCircle();
  if (error != nullptr) *error = 0.0;
  Frame f;
  if (n < 3 || k > n - 3 || !findFrame(points, n, f) || f.coincident) return kRefused;
  const unsigned int m = n - k;  // points kept, at least 3
  int count = candidates;
  if (count < 1) {
    double ratio = static_cast<double>(k) / static_cast<double>(n);
    if (ratio < 0.02) ratio = 0.02;
    const double c = (std::log(100.0 * ratio) - 1.0) * static_cast<double>(k);
    count = c >= 1.0 ? static_cast<int>(std::min(c, 2147483647.0)) : 0;
  }
  const std::vector<TavPoint> q = workingPoints(points, n, f);
  std::vector<double> dist(n);
  std::vector<double> values(n);
  auto distancesTo = [&](const WorkCircle& c) { circleDistances(q.data(), n, c, dist.data()); };

  // A score is the sum of the m smallest distances in ascending order; a
  // candidate whose m smallest, summed in any order, exceed the best score by
  // more than that sum's rounding cannot win and skips the sort.
  const double slack = 1.0 + 2.0 * static_cast<double>(m) * DBL_EPSILON;
  const double capSlack = 1.0 + 4.0 * static_cast<double>(n) * DBL_EPSILON;  // both sums' rounding
  double bestEdge = 0.0;
  bool found = false;
  WorkCircle best;
  double bestScore = DBL_MAX;
  detail::CLcg gen(detail::consensusSeed(points, n));
  for (int t = 0; t < count && bestScore > 0.0; ++t) {
    const unsigned int i1 = detail::drawIndex(gen, n);
    unsigned int i2 = detail::drawIndex(gen, n);
    while (i2 == i1) i2 = detail::drawIndex(gen, n);
    unsigned int i3 = detail::drawIndex(gen, n);
    while (i3 == i1 || i3 == i2) i3 = detail::drawIndex(gen, n);
    WorkCircle c;
    if (!circleThrough(q[i1], q[i2], q[i3], c)) continue;
    if (found) {
      // For any cap, sum_j min(d_j, cap) - k * cap is at most the sum of the m
      // smallest distances; with the best candidate's largest kept distance as
      // the cap this proves most candidates worse in one pass.
      distancesTo(c);
      double capped = 0.0;
      for (unsigned int j = 0; j < n; ++j) capped += std::min(dist[j], bestEdge);
      if (!(capped - static_cast<double>(k) * bestEdge <= bestScore * capSlack)) continue;
    } else {
      distancesTo(c);
    }
    std::copy(dist.begin(), dist.end(), values.begin());
    if (m < n) std::nth_element(values.begin(), values.begin() + m, values.end());
    double anyOrder = 0.0;
    for (unsigned int j = 0; j < m; ++j) anyOrder += values[j];
    if (!(anyOrder <= bestScore * slack)) continue;  // also skips a NaN sum
    std::sort(values.begin(), values.begin() + m);
    double score = 0.0;
    for (unsigned int j = 0; j < m; ++j) score += values[j];
    if (!(score < bestScore)) continue;
    bestScore = score;
    bestEdge = values[m - 1];
    best = c;
    found = true;
  }
  if (!found) {
    // No candidate: the geometric fit of all points stands as the one.
    Evaluation e;
    int steps = 0;
    if (!hyperInFrame(points, n, f, best)) return kRefused;
    levenbergMarquardt(q, best, e, steps);
  }
  distancesTo(best);
  std::vector<unsigned int> order(n);
  std::iota(order.begin(), order.end(), 0u);
  // Ascending distance, equal distances (and NaNs, taken as +inf) in input order.
  auto key = [&](unsigned int i) { return dist[i] == dist[i] ? dist[i] : HUGE_VAL; };
  std::sort(order.begin(), order.end(), [&](unsigned int a, unsigned int b) {
    const double ka = key(a), kb = key(b);
    return ka < kb || (ka == kb && a < b);
  });
  std::vector<TavPoint> kept(m);
  for (unsigned int j = 0; j < m; ++j) kept[j] = points[order[j]];
  TavCircle result;
  TavCircleFitStats stats;
  const int status = pointsFitCircleGeometric(kept.data(), m, &result, &stats, false);
  if (status == kRefused) return kRefused;
  if (circle != nullptr) *circle = result;
  if (error != nullptr) *error = stats.meanAbs;
  if (rejected != nullptr) {
    for (unsigned int j = 0; j < k; ++j) rejected[j] = points[order[m + j]];
  }
  return status;
}

}  // namespace NTavGeometry
