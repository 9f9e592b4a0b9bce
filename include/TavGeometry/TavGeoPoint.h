/// \file
/// \brief Point operations: midpoint, distance, direction, rotation, bounding box.
/// \ingroup points
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

namespace NTavGeometry {

/// \defgroup points Points
/// \brief Midpoint, distance, direction, rotation, point-line distance and
/// bounding box of points.
///
/// Pixels and radians; a positive angle turns +x toward +y (clockwise on an
/// image whose y grows downward). Every function is O(1) except pointsToBBox
/// (O(n)).
/// @{

/// \brief `*out` = midpoint of a and b.
TAVGEOMETRY_EXPORT void pointsToMiddle(const TavPoint& a, const TavPoint& b, TavPoint* out);
/// \brief Euclidean distance hypot(a.x - b.x, a.y - b.y), in pixels.
///
/// The library's own hypot: overflow-safe, correctly rounded in every test
/// against a 113-bit reference (normal results), and built from sqrt, fma and
/// the four operations only, so it gives the same bits with every C library.
/// The library's point-to-point distances and radii use it (lengths that only
/// scale a formula, such as a line's length in pointLineDist, are
/// sqrt(x*x + y*y), as deterministic). Infinity wins over NaN.
TAVGEOMETRY_EXPORT double pointPointDist(const TavPoint& a, const TavPoint& b);
/// \brief Direction angle atan2(dy, dx) from `from` to `to`, in (-pi, pi].
///
/// -pi only when dx < 0 and dy is a negative zero; 0 when the points are
/// closer than 0.01.
TAVGEOMETRY_EXPORT double pointPointAngle(const TavPoint& from, const TavPoint& to);
/// \brief `*angleOut` = atan2(dy, dx) and `*distOut` = hypot(dx, dy), with no tolerance.
///
/// Note the order: the angle goes to the third argument, the distance to the fourth.
/// \param from Start of the vector.
/// \param to End of the vector.
/// \param[out] angleOut Direction in radians, in [-pi, pi].
/// \param[out] distOut Length in pixels.
TAVGEOMETRY_EXPORT void pointPointDistAngle(const TavPoint& from, const TavPoint& to, double* angleOut,
                                            double* distOut);
/// \brief `*out` = the point at signed distance dist from `from` toward `toward`.
///
/// Coincident points take the vertical branch: (from.x, from.y - dist).
TAVGEOMETRY_EXPORT void pointOnLine(const TavPoint& from, const TavPoint& toward, double dist, TavPoint* out);
/// \brief Rotates `*p` about center by angle radians (positive turns +x toward +y), in place.
TAVGEOMETRY_EXPORT void pointRotate(const TavPoint& center, double angle, TavPoint* p);
/// \brief `*out` = line of length 10000 from p in direction angle (radians).
TAVGEOMETRY_EXPORT void pointAngleToLine(const TavPoint& p, double angle, TavLine* out);
/// \brief Direction angle from p1 to p2, as pointPointAngle; 0 for a line shorter than 0.01.
TAVGEOMETRY_EXPORT double lineAngle(const TavLine& line);
/// \brief Unsigned distance from p to the infinite line.
///
/// The distance to p1 when the line is shorter than 1e-8.
TAVGEOMETRY_EXPORT double pointLineDist(const TavPoint& p, const TavLine& line);
/// \brief `*out` = line from third through the midpoint of first and second.
///
/// `*out` is zeroed on entry.
/// \return False (and the zero line) when second equals first or third exactly, or when the
/// midpoint falls exactly on third (a straight angle with equal arms).
TAVGEOMETRY_EXPORT bool pointsToAngleBisect(const TavPoint& first, const TavPoint& second,
                                            const TavPoint& third, TavLine* out);
/// \brief True if p lies in the unrotated rectangle, all edges included (angle ignored).
TAVGEOMETRY_EXPORT bool pointInRect(const TavPoint& p, const TavRect& rect);
/// \brief `*out` = integral pixel box of the points (coordinates truncated toward zero).
///
/// x, y = first column and row, width/height = last - first + 1, angle 0.
/// No points (or only NaN points) give all zeros. Truncation saturates at the
/// int range. Cost O(n).
/// \param points n points; a null array counts as no points.
/// \param n Number of points.
/// \param[out] out The box.
TAVGEOMETRY_EXPORT void pointsToBBox(const TavPoint* points, unsigned int n, TavRect* out);

/// @}

}  // namespace NTavGeometry
