// Circular arcs: construction through three points, sampling, the point at a
// given arc length, and the point-on-arc test. An arc covers the angles from
// startAngle to startAngle + sweepAngle (radians; positive turns +x toward +y).
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <vector>

namespace NTavGeometry {

// Most points that arcToPointSet writes (2^24, one per unit of arc length).
constexpr unsigned int kArcToPointSetMaxPoints = 16777216u;

// The arc that starts at first, passes through middle and ends at last, with
// |sweepAngle| < 2*pi and startAngle in [-pi, pi]. False, and out untouched, for
// collinear or nearly collinear points, for non-finite results and for a circle
// so large that the first and last points get the same angle.
TAVGEOMETRY_EXPORT bool arcIn3Points(const TavPoint& first, const TavPoint& middle, const TavPoint& last,
                                     TavArc* out);

// Writes count points evenly spaced in angle from the start to the end of the
// arc, both ends included (count 1: the start only; count 0: nothing).
TAVGEOMETRY_EXPORT void arcToPolyline(const TavArc& arc, TavPoint* points, unsigned int count);

// True if p lies within tolerance (inclusive) of the arc's circle and inside its
// angular range: the start belongs to the arc, the far end does not; a sweep of
// 0 contains nothing, a sweep of 2*pi or more every angle. Any finite startAngle
// is taken modulo 2*pi; a non-finite one (or a NaN radius or tolerance)
// contains nothing.
TAVGEOMETRY_EXPORT bool arcTestPoint(const TavArc& arc, const TavPoint& p, double tolerance);

// out = the point at arc length `length` from the start, in the arc's direction
// (a sweep of 0 counts as positive); lengths past either end continue around
// the circle. A zero radius gives a NaN point.
TAVGEOMETRY_EXPORT void arcPointAlong(const TavArc& arc, double length, TavPoint* out);

// Replaces *points by one point per unit of arc length, from the start toward
// the end, floor(|sweepAngle| * radius) points (the end itself is not included).
// Ends empty when that length is below 1, negative or not a number, and when it
// would exceed kArcToPointSetMaxPoints points.
TAVGEOMETRY_EXPORT void arcToPointSet(const TavArc& arc, std::vector<TavPoint>* points);

}  // namespace NTavGeometry
