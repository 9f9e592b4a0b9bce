// Helpers shared by the library's sources; not installed.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>

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

}  // namespace detail
}  // namespace NTavGeometry
