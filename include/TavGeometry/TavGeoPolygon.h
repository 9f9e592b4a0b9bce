/// \file
/// \brief Polygon measures: area and even-odd containment.
/// \ingroup polygons
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

namespace NTavGeometry {

/// \defgroup polygons Polygons
/// \brief Area and even-odd containment of polygons.
///
/// A polygon is an array of vertices in order; the edge from the last vertex
/// back to the first is implied. Both functions are O(count).
/// @{

/// \brief Unsigned shoelace area of the polygon, in square pixels.
///
/// Either orientation; a self-crossing polygon gives |signed sum|. Fewer than
/// three vertices give 0; vertices may be null when count is 0. The products of
/// the coordinates cancel far from the origin against the polygon's size (a
/// unit square at (1e8, 1e8) gives 0): move such a polygon near the origin
/// first.
TAVGEOMETRY_EXPORT double polygonArea(const TavPoint* vertices, unsigned int count);

/// \brief Even-odd test along the ray from p toward +x.
///
/// An edge counts when p.y lies in [lower y, upper y), and p must lie strictly
/// left of the crossing: of an axis-aligned rectangle the edges of smaller x and
/// smaller y are inside, those of larger x and larger y outside. Fewer than
/// three vertices contain no point.
TAVGEOMETRY_EXPORT bool polygonIsPointInside(const TavPoint* vertices, unsigned int count, const TavPoint& p);

/// @}

}  // namespace NTavGeometry
