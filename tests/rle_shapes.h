// Polygons shared by the region benchmarks.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <cmath>
#include <vector>

namespace tavtest {

// Star of `points` spikes (2 * points vertices) alternating between the outer
// and the inner radius, first vertex at angle `phase`.
inline std::vector<TavPoint> star(int points, double cx, double cy, double outer, double inner,
                                  double phase = 0.1) {
  std::vector<TavPoint> v;
  for (int i = 0; i < 2 * points; ++i) {
    const double a = phase + 6.283185307179586 * i / (2 * points), r = (i % 2 == 0) ? outer : inner;
    v.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
  }
  return v;
}

}  // namespace tavtest
