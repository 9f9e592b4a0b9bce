// Straightforward perimeter walk kept as the reference for the fast one: three
// segment lists (previous, current, next record) and a linear membership search
// for every interior pixel of every run.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <vector>

namespace tavref {

// Boundary pixels of a run-length list, pixel by pixel. Any negative number
// where a row or a run start is expected ends the list or the record. The last
// column of a run saturates at INT_MAX, as in the library.
std::vector<TavIPoint> perimeterPointsLiteral(const int* rle);

}  // namespace tavref
