/// \file
/// \brief Circular arcs: construction through three points, sampling, the point
/// at a given arc length, and the point-on-arc test.
/// \ingroup arcs
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <vector>

namespace NTavGeometry {

/// \defgroup arcs Arcs
/// \brief Arc through three points, sampling, the point at an arc length and
/// the point-on-arc test.
///
/// An arc covers the angles from startAngle to startAngle + sweepAngle
/// (radians; positive turns +x toward +y, clockwise on an image whose y grows
/// downward). Lengths are pixels.
/// @{

/// \brief Most points that arcToPointSet writes (2^24, one per unit of arc length).
constexpr unsigned int kArcToPointSetMaxPoints = 16777216u;

/// \brief The arc that starts at first, passes through middle and ends at last.
///
/// The result has |sweepAngle| < 2*pi and startAngle in [-pi, pi]. The centre
/// comes from the squared coordinates (4 times the area below 1e-5 is
/// collinear). Where they would cancel, for points further from the origin
/// than four times their spread, and where the middle and last points miss
/// that circle by more than 1e-9 of the radius plus 64 ulps of the largest
/// coordinate, the same construction is made on the offsets from the first
/// point instead. O(1).
/// \return False, and `*out` untouched, for collinear or nearly collinear
///         points, for non-finite results and for a circle so large that the
///         first and last points get the same angle.
TAVGEOMETRY_EXPORT bool arcIn3Points(const TavPoint& first, const TavPoint& middle, const TavPoint& last,
                                     TavArc* out);

/// \brief Writes count points evenly spaced in angle from the start to the end
/// of the arc, both ends included.
///
/// The angle advances by one step per point, added in order, so its rounding
/// adds up along the arc: 1e-6 px at the end of 10^6 points on a radius of
/// 1e4 (image-sized arcs stay below 1e-7 px). count 1: the start only; count 0:
/// nothing. O(count).
/// \param arc The arc.
/// \param[out] points Room for count points.
/// \param count Number of points to write.
TAVGEOMETRY_EXPORT void arcToPolyline(const TavArc& arc, TavPoint* points, unsigned int count);

/// \brief True if p lies within tolerance (inclusive) of the arc's circle and
/// inside its angular range.
///
/// The start belongs to the arc, the far end does not; a sweep of 0 contains
/// nothing, a sweep of 2*pi or more every angle. Any finite startAngle is taken
/// modulo 2*pi (exactly, modulo the double nearest 2*pi, which drifts from the
/// true turn by 2.4e-16 per turn: starts beyond about 1e9 turns no longer hold
/// the points that cos and sin put at them); a non-finite one (or a NaN radius
/// or tolerance) contains nothing. The angle of p is pointPointAngle's, 0 when
/// p is within 0.01 of the centre, so on a circle of radius below 0.01 only an
/// arc over angle 0 holds points. O(1).
/// \param arc The arc.
/// \param p The point.
/// \param tolerance Largest accepted | distance to the centre - radius |, pixels.
TAVGEOMETRY_EXPORT bool arcTestPoint(const TavArc& arc, const TavPoint& p, double tolerance);

/// \brief `*out` = the point at arc length `length` (pixels) from the start, in
/// the arc's direction.
///
/// A sweep of 0 counts as positive; lengths past either end continue around
/// the circle. A zero radius gives a NaN point. O(1).
TAVGEOMETRY_EXPORT void arcPointAlong(const TavArc& arc, double length, TavPoint* out);

/// \brief Replaces `*points` by one point per unit of arc length, from the start
/// toward the end.
///
/// floor(|sweepAngle| * radius) points are written (the end itself is not
/// included). Ends empty when that length is below 1, negative or not a number,
/// and when it would exceed kArcToPointSetMaxPoints points. O(points).
TAVGEOMETRY_EXPORT void arcToPointSet(const TavArc& arc, std::vector<TavPoint>* points);

/// @}

}  // namespace NTavGeometry
