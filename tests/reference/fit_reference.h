// The circle fit with absolute thresholds only (no test for sets that are
// straight up to rounding, no records), to show that the library accepts the
// same real arcs with the same circle.
#pragma once

#include <TavGeometry/TavTypes.h>

namespace tavref {

// 0 with the circle and mean radial error, or 2 with zeroed outputs.
int fitCircleAbsoluteOnly(const TavPoint* points, unsigned int n, TavCircle* circle, double* error);

}  // namespace tavref
