// Polygons and number lists shared by the region tests and benchmarks.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <cmath>
#include <sstream>
#include <string>
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

// The numbers of a string such as "1 -2 3", in order.
inline std::vector<int> nums(const std::string& s) {
  std::istringstream in(s);
  std::vector<int> v;
  for (int x; in >> x;) v.push_back(x);
  return v;
}

}  // namespace tavtest
