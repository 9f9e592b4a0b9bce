#include <TavGeometry/TavGeoPoint.h>

#include <cmath>
#include <cstdint>

#include "geometry/TavGeoInternal.h"

namespace NTavGeometry {

#if defined(TAVGEO_FMA_DISPATCH)
namespace detail {
namespace {

__attribute__((target("fma"))) double roundedHypotFma(double x, double y) { return roundedHypotBody(x, y); }

double roundedHypotCall(double x, double y) { return roundedHypotBody(x, y); }

using HypotFunction = double (*)(double, double);

HypotFunction chooseHypot() {
  __builtin_cpu_init();  // may run before the constructors that would do it
  return __builtin_cpu_supports("fma") ? roundedHypotFma : roundedHypotCall;
}

}  // namespace

double roundedHypotDispatched(double x, double y) {
  static const HypotFunction chosen = chooseHypot();
  return chosen(x, y);
}

}  // namespace detail
#endif

namespace detail {

#if defined(TAVGEO_X86_DISPATCH)
bool processorHasAvx2() {
  static const bool have = [] {
    __builtin_cpu_init();  // may run before the constructors that would do it
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return have;
}

bool processorHasAvx2Fma() {
  static const bool have = processorHasAvx2() && __builtin_cpu_supports("fma");
  return have;
}

bool processorHasAvx512Vbmi2() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512vbmi2") != 0;
  }();
  return have;
}

namespace {

// pointDistances four points a step; returns how many points it took.
__attribute__((target("avx2,fma"))) size_t pointDistancesAvx2(const TavPoint* p, size_t n, const TavPoint& c,
                                                             double* out) {
  const __m256d cx = _mm256_set1_pd(c.x), cy = _mm256_set1_pd(c.y);
  const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(INT64_MAX));
  const __m256d big = _mm256_set1_pd(0x1p+300), small = _mm256_set1_pd(0x1p-300), zero = _mm256_setzero_pd();
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    __m256d px, py;
    loadPoints4(p + i, &px, &py);
    const __m256d ax = _mm256_and_pd(magnitude, _mm256_sub_pd(px, cx));
    const __m256d ay = _mm256_and_pd(magnitude, _mm256_sub_pd(py, cy));
    const __m256d x = _mm256_max_pd(ax, ay), y = _mm256_min_pd(ax, ay);
    // Both at most 2^300 (so neither NaN nor infinite) and the larger at least 2^-300: no scaling.
    const __m256d plain = _mm256_and_pd(
        _mm256_and_pd(_mm256_cmp_pd(ax, big, _CMP_LE_OQ), _mm256_cmp_pd(ay, big, _CMP_LE_OQ)),
        _mm256_cmp_pd(x, small, _CMP_GE_OQ));
    if (_mm256_movemask_pd(plain) != 15) {
      for (size_t j = i; j < i + 4; ++j) out[j] = roundedHypotBody(p[j].x - c.x, p[j].y - c.y);
      continue;
    }
    __m256d h = _mm256_sqrt_pd(_mm256_fmadd_pd(x, x, _mm256_mul_pd(y, y)));
    const __m256d hsq = _mm256_mul_pd(h, h), xsq = _mm256_mul_pd(x, x);
    const __m256d residual = _mm256_sub_pd(
        _mm256_add_pd(_mm256_fnmadd_pd(y, y, _mm256_sub_pd(hsq, xsq)), _mm256_fmsub_pd(h, h, hsq)),
        _mm256_fmsub_pd(x, x, xsq));
    h = _mm256_sub_pd(h, _mm256_div_pd(residual, _mm256_add_pd(h, h)));
    // y = 0 gives x, as the body's early return does
    _mm256_storeu_pd(out + i, _mm256_blendv_pd(h, x, _mm256_cmp_pd(y, zero, _CMP_EQ_OQ)));
  }
  return i;
}

}  // namespace
#endif

void pointDistances(const TavPoint* points, size_t n, const TavPoint& c, double* out) {
  size_t i = 0;
#if defined(TAVGEO_X86_DISPATCH)
  if (processorHasAvx2Fma()) i = pointDistancesAvx2(points, n, c, out);
#endif
  for (; i < n; ++i) out[i] = roundedHypot(points[i].x - c.x, points[i].y - c.y);
}

}  // namespace detail

void pointsToMiddle(const TavPoint& a, const TavPoint& b, TavPoint* out) {
  out->x = (a.x + b.x) * 0.5;
  out->y = (a.y + b.y) * 0.5;
}

double pointPointDist(const TavPoint& a, const TavPoint& b) {
  return detail::roundedHypot(a.x - b.x, a.y - b.y);
}

double pointPointAngle(const TavPoint& from, const TavPoint& to) {
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  if (dx * dx + dy * dy < 1e-4) return 0.0;
  return std::atan2(dy, dx);
}

void pointPointDistAngle(const TavPoint& from, const TavPoint& to, double* angleOut, double* distOut) {
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  *angleOut = std::atan2(dy, dx);
  *distOut = detail::roundedHypot(dx, dy);
}

void pointOnLine(const TavPoint& from, const TavPoint& toward, double dist, TavPoint* out) {
  if (toward.x == from.x) {
    out->x = from.x;
    out->y = toward.y > from.y ? from.y + dist : from.y - dist;
  } else if (toward.y == from.y) {
    out->y = from.y;
    out->x = toward.x > from.x ? from.x + dist : from.x - dist;
  } else {
    // A direction of subnormal size is scaled up by 2^600 (exactly) first: its
    // length has too few bits to divide by, and (1e-320, 1e-320) went 1.4x too far.
    double dx = toward.x - from.x, dy = toward.y - from.y;
    if (std::fabs(dx) < 0x1p-900 && std::fabs(dy) < 0x1p-900) dx *= 0x1p600, dy *= 0x1p600;
    const double len = detail::roundedHypot(dx, dy);
    const double ox = from.x + dist * dx / len;
    const double oy = from.y + dist * dy / len;
    out->x = ox;
    out->y = oy;
  }
}

void pointRotate(const TavPoint& center, double angle, TavPoint* p) {
  const double dx = p->x - center.x;
  const double dy = p->y - center.y;
  const double cosA = std::cos(angle);
  const double sinA = std::sin(angle);
  p->x = (cosA * dx + center.x) - sinA * dy;
  p->y = (sinA * dx + center.y) + cosA * dy;
}

void pointAngleToLine(const TavPoint& p, double angle, TavLine* out) {
  const TavPoint start = p;  // p may alias out->p1 or out->p2
  out->p1 = start;
  out->p2 = TavPoint(start.x + 10000.0 * std::cos(angle), start.y + 10000.0 * std::sin(angle));
}

double lineAngle(const TavLine& line) { return pointPointAngle(line.p1, line.p2); }

double pointLineDist(const TavPoint& p, const TavLine& line) {
  const double dx = line.p2.x - line.p1.x;
  const double dy = line.p2.y - line.p1.y;
  const double len = std::sqrt(dx * dx + dy * dy);
  if (len >= 1e-8) return std::fabs((p.y - line.p1.y) * dx / len - (p.x - line.p1.x) * dy / len);
  return detail::roundedHypot(p.x - line.p1.x, p.y - line.p1.y);
}

bool pointsToAngleBisect(const TavPoint& first, const TavPoint& second, const TavPoint& third, TavLine* out) {
  // Read the inputs before clearing the output: the caller may pass points
  // that live inside *out.
  const TavPoint a = first, b = second, c = third;
  *out = TavLine();
  if (b.x == a.x && b.y == a.y) return false;
  if (b.x == c.x && b.y == c.y) return false;
  // A straight angle with equal arms puts the midpoint on the vertex: a line of
  // no length and no direction, refused like the other degenerate input.
  const TavPoint mid((a.x + b.x) * 0.5, (a.y + b.y) * 0.5);
  if (mid.x == c.x && mid.y == c.y) return false;
  out->p1 = c;
  out->p2 = mid;
  return true;
}

bool pointInRect(const TavPoint& p, const TavRect& rect) {
  return rect.x <= p.x && p.x <= rect.x + rect.width && rect.y <= p.y && p.y <= rect.y + rect.height;
}

void pointsToBBox(const TavPoint* points, unsigned int n, TavRect* out) {
  // The box is the truncated extent of the coordinates: trunc(min) .. trunc(max)
  // per axis (truncation is monotone, so this is what comparing truncated bounds
  // point by point gives). NaN coordinates take part in no comparison; an axis
  // with no comparable coordinate gets position 0 and extent 0.
  *out = TavRect();
  if (n == 0 || points == nullptr) return;
  bool haveX = false, haveY = false;
  double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double x = points[i].x;
    const double y = points[i].y;
    if (x == x) {
      if (!haveX) {
        minX = maxX = x;
        haveX = true;
      } else {
        if (x < minX) minX = x;
        if (x > maxX) maxX = x;
      }
    }
    if (y == y) {
      if (!haveY) {
        minY = maxY = y;
        haveY = true;
      } else {
        if (y < minY) minY = y;
        if (y > maxY) maxY = y;
      }
    }
  }
  if (haveX) {
    const int lo = detail::truncToInt(minX);
    const int hi = detail::truncToInt(maxX);
    out->x = lo;
    out->width = static_cast<double>(static_cast<long long>(hi) - lo + 1);
  }
  if (haveY) {
    const int lo = detail::truncToInt(minY);
    const int hi = detail::truncToInt(maxY);
    out->y = lo;
    out->height = static_cast<double>(static_cast<long long>(hi) - lo + 1);
  }
}

}  // namespace NTavGeometry
