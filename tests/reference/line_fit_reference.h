// The least-squares line fit as first written: both passes always run, the
// second one's spreads choosing the axis.
#pragma once

#include <TavGeometry/TavTypes.h>

namespace tavref {

// Writes the line and returns 0, as pointsFitLine.
int fitLineTwoPasses(const TavPoint* points, unsigned int n, TavLine* out);

}  // namespace tavref
