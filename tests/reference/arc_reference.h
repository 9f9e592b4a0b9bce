// Straightforward arc routines, kept as references for the library's guarded versions. Only call them with
// finite inputs of moderate size: their loops have no bound of their own.
#pragma once

#include <TavGeometry/TavTypes.h>

namespace tavref {

// Point-on-arc test that turns the point's angle, a whole turn at a time, into the first turn from the
// start in the sweep's direction, for any finite start angle.
bool arcTestPointUnwrapped(const TavArc& arc, const TavPoint& p, double tolerance);

}  // namespace tavref
