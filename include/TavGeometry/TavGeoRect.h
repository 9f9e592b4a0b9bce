/// \file
/// \brief Clipping of an infinite line against a rectangle.
/// \ingroup rectangles
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

namespace NTavGeometry {

/// \defgroup rectangles Rectangles
/// \brief Clipping of an infinite line against a (possibly rotated) rectangle.
///
/// Containment of a point in a rectangle is pointInRect (\ref points).
/// @{

/// \brief Crossings of the infinite line with the rectangle's border.
///
/// Crossings come in edge order (top, right, bottom, left of the unrotated
/// corners); crossings up to one unit outside the rectangle count, and a corner
/// may be reported twice. A rotated rectangle turns about its centre and grows
/// its margin in its own frame. O(1).
/// \param line The infinite line.
/// \param rect The rectangle (edges included).
/// \param[out] first The first crossing that counts.
/// \param[out] second The second crossing that counts.
/// \return False, with first and second untouched, when fewer than two
///         crossings count.
TAVGEOMETRY_EXPORT bool lineRectIntersection(const TavLine& line, const TavRect& rect, TavPoint* first,
                                             TavPoint* second);

/// @}

}  // namespace NTavGeometry
