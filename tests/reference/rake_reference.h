// The rake laid step by step as its algorithm reads: both rails and every
// corner fan first, then the walk along them. No input checks and no special
// corners; for well-formed paths (distinct consecutive points, spacing and
// half-length > 0, no reversals, no stretch running backward) the library must
// give the same bits.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <vector>

namespace tavref {

void polyLineToPolyRakeLiteral(const TavPoint* points, int count, double h, double s,
                               std::vector<TavLine>* rake);

}  // namespace tavref
