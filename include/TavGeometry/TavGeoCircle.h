/// \file
/// \brief Circles: through three points, inscribed in a triangle, and the
/// crossings of a circle with a line or with another circle.
/// \ingroup circles
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

namespace NTavGeometry {

/// \defgroup circles Circles
/// \brief Circle through three points, inscribed circle, and the crossings of
/// a circle with a line or another circle.
///
/// Pixels; every function is O(1).
/// @{

/// \brief The circle through three points, built from two chord slopes.
///
/// The first ordering of (p1,p2,p3), (p1,p3,p2), (p2,p1,p3), (p2,p3,p1),
/// (p3,p2,p1), (p3,p1,p2) whose chords are neither horizontal nor vertical
/// (within 1e-5), or that forms a vertical-then-horizontal right angle, is used.
/// A chord of length 0 counts as both vertical and horizontal, so coincident
/// points pass as a right angle: three equal points give the circle of radius 0
/// on them, two equal points and a third the circle on their chord (true) when
/// that chord is vertical or horizontal (within 1e-5), and false otherwise (the
/// first usable ordering then has two chords of one slope).
/// `*out` is zeroed on entry.
/// \return False (zero circle) for collinear points (slopes within 1e-5), no
///         usable ordering, or a non-finite result.
TAVGEOMETRY_EXPORT bool circleIn3Points(const TavPoint& p1, const TavPoint& p2, const TavPoint& p3,
                                        TavCircle* out);

/// \brief The inscribed circle of the triangle pa, pb, pc.
///
/// Built from the inner angle bisectors at pb and pc; radius = distance from the
/// centre to the line pa-pb (pointLineDist: to pa itself when that side is
/// shorter than 1e-8). `*out` is zeroed on entry. For a flat triangle pass the
/// vertex of the widest angle as pb or pc, not pa: with it as pa the
/// bisectors at pb and pc are nearly parallel and the centre drifts along the
/// base (by 6e-6 px, more than a radius, for an apex 1e-5 above a base of 800).
/// \return False (zero circle) for collinear or coincident vertices and for a
///         non-finite result.
TAVGEOMETRY_EXPORT bool circleInTriangle(const TavPoint& pa, const TavPoint& pb, const TavPoint& pc,
                                         TavCircle* out);

/// \brief Crossings of the circle with the infinite line.
///
/// pts[0] is the crossing of larger x (of larger y for a line within 1e-5 of
/// vertical). Entries beyond `*count` are set to (0, 0); non-finite crossings
/// give count 0. A line within 45 degrees of the horizontal is solved as
/// y = m*x + q, a steeper one as x = w*y + u with the discriminant scaled to
/// the same test, so that the slope does not magnify the rounding.
/// \param circle The circle.
/// \param line The infinite line.
/// \param[out] pts Two points, both always written.
/// \param[out] count 2, 1 (tangent: the quadratic's discriminant below 1e-5 in
///             size, an absolute test: a line through the centre of a circle
///             of radius below about 1.5e-3 counts as a tangent) or 0. A line
///             of length 0 is taken as the vertical line through its p2; a
///             negative radius as its size.
TAVGEOMETRY_EXPORT void circleLineIntersection(const TavCircle& circle, const TavLine& line, TavPoint* pts,
                                               int* count);

/// \brief Crossings of two circles.
///
/// pts[0] lies left of the direction from the first centre to the second when
/// y grows upward (right on an image whose y grows downward). With count 0 or 1
/// both points are the foot of the chord on the line of centres; for concentric
/// circles that is the first centre.
/// \param first One circle.
/// \param second The other circle.
/// \param[out] pts Two points, both always written.
/// \param[out] count 2, 1 (touching exactly, no tolerance) or 0 (apart, nested,
///             concentric or not finite).
TAVGEOMETRY_EXPORT void circleCircleIntersection(const TavCircle& first, const TavCircle& second,
                                                 TavPoint* pts, int* count);

/// @}

}  // namespace NTavGeometry
