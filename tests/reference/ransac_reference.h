// Straightforward consensus line fit: every candidate ranks all points with a
// full selection sort (n^2 per candidate). The library's fit must give the same
// bits; the tests and the benchmark hold the two side by side.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace tavref {

// (point index, distance) pairs.
using RankPair = std::pair<uint32_t, double>;

// Selection sort by ascending distance: each position in turn receives the
// first pair at or after it with the smallest distance, swapped with the
// occupant.
void selectionSortByDistance(std::vector<RankPair>& pairs);

// The consensus fit, literal step by step, with the same generator, seed, draw
// and fallback rules as the library.
int fitLineRansacLiteral(const TavPoint* points, unsigned int n, unsigned int k, int candidates,
                         TavLine* line, double* error, TavPoint* rejected);

}  // namespace tavref
