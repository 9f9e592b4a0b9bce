// Straightforward circle constructions, kept as references for the library's
// versions.
#pragma once

#include <TavGeometry/TavTypes.h>

namespace tavref {

// Inscribed circle from lineLineBisect at pb and at pc, as the construction
// was first written: right only when the angles at pb and pc are below 90
// degrees (otherwise lineLineBisect gives the outer bisector there).
bool circleInTriangleByLineBisect(const TavPoint& pa, const TavPoint& pb, const TavPoint& pc, TavCircle* out);

}  // namespace tavref
