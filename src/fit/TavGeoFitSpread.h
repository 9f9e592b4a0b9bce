// Which axis the line fit regresses on, decided from the first pass's sums when
// they settle it. Header-only so that the tests can hold it against the second
// pass directly. Not installed.
#pragma once

#include <cmath>

namespace NTavGeometry {
namespace detail {

// The line fit compares Qx = sum((x - mx)^2) with Qy = sum((y - my)^2), both
// summed in array order in a second pass, and uses them for nothing else. The
// raw-sum spreads Cxx = Sxx - Sx^2 / n and Cyy (from the first pass) differ
// from them by rounding only, so when the two ranges below do not overlap the
// comparison is known without the second pass.
//
// Bounds, with u = 2^-53 and g = 8 (n + 16) u (n <= 2^32, so g < 2^-18):
// let T = sum((x - mx)^2) exactly, for the rounded mean mx. Then T equals the
// exact spread about the true mean plus n (mean - mx)^2, and Cxx differs from
// that exact spread by at most (3 (n + 2) u + O(u^2)) sum(x^2) <= 8 (n + 2) u Sxx
// (Sxx itself is within n u of sum(x^2); Sx^2 / n <= sum(x^2) by Cauchy-Schwarz);
// so |T - Cxx| <= Ex = 4 g Sxx, four times the bound. The second pass rounds
// each deviation, square and partial sum once: Qx lies within (n + 2) u, well
// under g, relatively, of T. Underflow adds at most 2^-1074 per operation,
// covered by the term n 2^-1000. The bounds themselves round by a few u, which
// the factor 4 and g >> (n + 2) u absorb.
//
// Returns -1 when Qx < Qy is certain, +1 when Qx > Qy is certain, 0 when the
// second pass must decide (non-finite or huge sums, or ranges that overlap).
inline int spreadOrderFromSums(double count, double sx, double sy, double sxx, double syy) {
  if (!(count >= 1.0) || !std::isfinite(sx) || !std::isfinite(sy) || !(sxx >= 0.0 && sxx <= 1e300) ||
      !(syy >= 0.0 && syy <= 1e300)) {
    return 0;
  }
  const double g = (count + 16.0) * 0x1p-50;
  const double tiny = count * 0x1p-1000;
  const double cxx = sxx - (sx * sx) / count;
  const double cyy = syy - (sy * sy) / count;
  const double ex = 4.0 * g * sxx + tiny;
  const double ey = 4.0 * g * syy + tiny;
  const double qxHi = (cxx + ex) * (1.0 + g) + tiny;
  const double qxLo = (cxx - ex) * (1.0 - g) - tiny;
  const double qyHi = (cyy + ey) * (1.0 + g) + tiny;
  const double qyLo = (cyy - ey) * (1.0 - g) - tiny;
  // Sx^2 may overflow although Sxx does not: then a bound is infinite.
  if (!std::isfinite(qxHi) || !std::isfinite(qxLo) || !std::isfinite(qyHi) || !std::isfinite(qyLo)) return 0;
  if (qxHi < qyLo) return -1;
  if (qxLo > qyHi) return 1;
  return 0;
}

}  // namespace detail
}  // namespace NTavGeometry
