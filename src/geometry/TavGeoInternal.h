// Helpers shared by the library's sources; not installed.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>

// On x86-64 the library has copies of some loops for AVX2 (and FMA) and AVX-512, chosen
// at run time by the tests below.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(TAVGEO_PORTABLE)
#define TAVGEO_X86_DISPATCH 1
#include <immintrin.h>
#endif

namespace NTavGeometry {
namespace detail {

// Truncates toward zero like a C++ cast, but defined for every input:
// NaN gives 0 and values beyond the int range saturate at INT_MIN / INT_MAX.
inline int truncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}

// True when v can be truncated to an int without saturating (finite and with
// trunc(v) inside [INT_MIN, INT_MAX]).
inline bool fitsInt(double v) { return v > -2147483649.0 && v < 2147483648.0; }

// sqrt(x^2 + y^2) from the four operations, sqrt and fma only: each of those is
// rounded as IEEE-754 prescribes on every conforming platform, so the result
// does not depend on the C library's hypot, which is not correctly rounded
// everywhere. One residual step (after Borges, "An Improved Algorithm for
// hypot(a, b)", 2019) corrects sqrt(x*x + y*y); in tests against a 113-bit
// reference it was correctly rounded for every normal result. Operands beyond
// 2^300 or below 2^-300 are scaled by 2^-600 or 2^600 (exact), so the squares
// neither overflow nor underflow. Infinities win over NaN, as in C's hypot.
//
// Every fma here is exact before its one rounding, in hardware and in the C
// library alike, so the result does not depend on which computes it. Where
// the compiler targets x86 without FMA instructions, each std::fma would be a
// call into the C library; roundedHypot then calls a copy of this body
// compiled for FMA when the processor has it (chosen once, at the first call).
inline double roundedHypotBody(double x, double y) {
  x = std::fabs(x);
  y = std::fabs(y);
  if (x < y) {
    const double t = x;
    x = y;
    y = t;
  }
  if (!(x < HUGE_VAL)) return (x == HUGE_VAL || y == HUGE_VAL) ? HUGE_VAL : x + y;  // infinity or NaN
  if (y != y) return y;
  if (y == 0.0) return x;
  double scale = 1.0;
  if (x > 0x1p+300) {
    x *= 0x1p-600;
    y *= 0x1p-600;
    scale = 0x1p+600;
  } else if (x < 0x1p-300) {
    x *= 0x1p+600;
    y *= 0x1p+600;
    scale = 0x1p-600;
  }
  double h = std::sqrt(std::fma(x, x, y * y));
  const double hsq = h * h;
  const double xsq = x * x;
  const double residual = std::fma(-y, y, hsq - xsq) + std::fma(h, h, -hsq) - std::fma(x, x, -xsq);
  h -= residual / (2.0 * h);
  return h * scale;
}

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && !defined(__FMA__) && \
    !defined(TAVGEO_PORTABLE)
#define TAVGEO_FMA_DISPATCH 1
double roundedHypotDispatched(double x, double y);
inline double roundedHypot(double x, double y) { return roundedHypotDispatched(x, y); }
#else
inline double roundedHypot(double x, double y) { return roundedHypotBody(x, y); }
#endif

#if defined(TAVGEO_X86_DISPATCH)
// Whether the processor has AVX2 (and FMA), each asked once (also before the
// static constructors have run).
bool processorHasAvx2();
bool processorHasAvx2Fma();
// Whether the processor has AVX-512 F and VBMI2 (the 64-bit funnel shifts).
bool processorHasAvx512Vbmi2();
// The x and y of points p[0 .. 3], each in point order (two points are read
// as four consecutive doubles).
static_assert(sizeof(TavPoint) == 2 * sizeof(double), "points are pairs of doubles without padding");
__attribute__((target("avx2"))) inline void loadPoints4(const TavPoint* p, __m256d* x, __m256d* y) {
  const __m256d p01 = _mm256_loadu_pd(&p[0].x), p23 = _mm256_loadu_pd(&p[2].x);
  // unpacking gives x0 x2 x1 x3 and y0 y2 y1 y3, put back in order
  *x = _mm256_permute4x64_pd(_mm256_unpacklo_pd(p01, p23), 0xd8);
  *y = _mm256_permute4x64_pd(_mm256_unpackhi_pd(p01, p23), 0xd8);
}
#endif

// out[i] = pointPointDist(points[i], c) for i < n. On x86-64 with AVX2 and FMA
// (asked once, at the first call) four at a time, each the same double as
// roundedHypot gives: the vector steps are the body's own operations, and a
// group of four with an operand beyond 2^300, below 2^-300 (both), infinite or
// NaN takes the scalar body.
void pointDistances(const TavPoint* points, size_t n, const TavPoint& c, double* out);

}  // namespace detail
}  // namespace NTavGeometry
