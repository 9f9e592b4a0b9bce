// Straightforward arc routines, kept as references for the library's guarded
// versions. Only call them with finite inputs of moderate size: their loops
// have no bound of their own.
#pragma once

#include <TavGeometry/TavTypes.h>

namespace tavref {

// Point-on-arc test that raises (positive sweep) or lowers (otherwise) the
// point's angle in whole turns until it passes the start angle. Right for
// start angles in [-pi, pi]; it misses points when the start lies more than
// a turn away against the sweep's direction.
bool arcTestPointOneWay(const TavArc& arc, const TavPoint& p, double tolerance);

// The same test with the angle also turned back toward the start, so that it
// lands in the first turn from the start for any finite start angle.
bool arcTestPointUnwrapped(const TavArc& arc, const TavPoint& p, double tolerance);

}  // namespace tavref
