// Clipping of an infinite line against a rectangle.
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

namespace NTavGeometry {

// Crossings of the infinite line with the rectangle's border, in edge order
// (top, right, bottom, left of the unrotated corners); crossings up to one unit
// outside the rectangle count, and a corner may be reported twice. A rotated
// rectangle turns about its centre and grows its margin in its own frame.
// False, with first and second untouched, when fewer than two crossings count.
TAVGEOMETRY_EXPORT bool lineRectIntersection(const TavLine& line, const TavRect& rect, TavPoint* first,
                                             TavPoint* second);

}  // namespace NTavGeometry
