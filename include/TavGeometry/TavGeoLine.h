/// \file
/// \brief Lines: validity and orientation tests, intercepts, comparison,
/// implicit and polar forms; relations between two lines and between a line
/// and a point.
/// \ingroup lines
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

namespace NTavGeometry {

/// \defgroup lines Lines
/// \brief Tests, intercepts, implicit and polar forms of a line; crossings,
/// bisectors, distances, perpendiculars and parallels.
///
/// A TavLine stands for the infinite line through p1 and p2 unless a function
/// says otherwise; its direction is p2 - p1. Outputs may alias the inputs.
/// Pixels and radians; every function is O(1).
/// @{

/// \brief True when the end points are more than 1e-8 apart (NaN gives false).
TAVGEOMETRY_EXPORT bool lineIsValid(const TavLine& line);
/// \brief True when |y2 - y1| <= 1e-5 (NaN gives false).
TAVGEOMETRY_EXPORT bool lineIsHoriz(const TavLine& line);
/// \brief True when |x2 - x1| <= 1e-5 (NaN gives false).
TAVGEOMETRY_EXPORT bool lineIsVert(const TavLine& line);
/// \brief `*x` = the x at which the line reaches height y, measured from p2.
/// \return False, with `*x` = 0, for a line within 1e-5 of horizontal (it has none).
TAVGEOMETRY_EXPORT bool lineXIntercept(const TavLine& line, double y, double* x);
/// \brief `*y` = the y of the line at column x, measured from p2.
/// \return False, with `*y` = 0, for a line within 1e-5 of vertical (it has none).
TAVGEOMETRY_EXPORT bool lineYIntercept(const TavLine& line, double x, double* y);
/// \brief True when |sin| of the angle between the two directions is below 1e-6.
///
/// Opposite directions are parallel. No short-line rule.
TAVGEOMETRY_EXPORT bool lineIsParallel(const TavLine& first, const TavLine& second);
/// \brief True when both describe the same infinite line.
///
/// Parallel, and intercepts within 1e-5 on the axis that the first line's
/// direction crosses. A line too short to cross that axis (under about 1.4e-5)
/// matches no line.
TAVGEOMETRY_EXPORT bool lineCompare(const TavLine& first, const TavLine& second);
/// \brief Writes coefY*y + coefX*x + constant = 0 for the line.
///
/// (0, 1, -x2) when |dx| < 1e-5 (zero length included), otherwise
/// (1, -m, m*x2 - y2) with m = dy/dx. All three outputs are always written.
TAVGEOMETRY_EXPORT void line2AbcLineEquation(const TavLine& line, double* coefY, double* coefX,
                                             double* constant);
/// \brief Polar form of the line: distance from the origin and normal direction.
///
/// With ro unsigned and theta folded into [0, pi), the form names a line up to
/// its mirror image through the origin: x = 5 and x = -5 both give (5, 0), so
/// x cos(theta) + y sin(theta) = ro holds for one of them only. A degenerate
/// line away from the origin gets theta 0. theta comes from lineAngle, which
/// takes a segment shorter than 0.01 as horizontal: such a line's theta is
/// pi/2 whatever its direction (ro stays its distance). Both outputs are always
/// written.
/// \param line The line.
/// \param[out] ro Distance of the line from the origin (>= 0), pixels.
/// \param[out] theta Direction of its normal in [0, pi), radians.
TAVGEOMETRY_EXPORT void lineToRoTheta(const TavLine& line, double* ro, double* theta);

/// \brief Crossing point of the two infinite lines.
/// \return False, with `*out` untouched, only when the determinant is exactly 0
///         (parallel or zero-length lines, or lines so short, below about
///         1e-154, that the product of their lengths underflows).
TAVGEOMETRY_EXPORT bool lineLineIntersection(const TavLine& first, const TavLine& second, TavPoint* out);
/// \brief True when the lines are exactly parallel and on one line (no tolerance).
///
/// A second line of length 0 is parallel to anything and its offset is 0, so it
/// is collinear with every first line; a first line of length 0 only with a
/// second line through its point.
TAVGEOMETRY_EXPORT bool lineLineIsCollinear(const TavLine& first, const TavLine& second);
/// \brief `*out` = bisector of the smaller angle between the directions.
///
/// The bisector is turned by a quarter turn when the directions differ by more
/// than pi/2, and runs 10000 long from the crossing point. For parallel lines
/// it is the line halfway between, with the first line's direction; so for
/// lines whose crossing lies so far out (d from the first line's p1, at |p| from
/// the origin) that d * |p| * eps > 1, where the segment's rounded direction
/// would move it by more than 1e-4 px at the lines (lines parallel but for
/// rounding). The angles are lineAngle's: a segment shorter than 0.01 counts as
/// horizontal.
TAVGEOMETRY_EXPORT void lineLineBisect(const TavLine& first, const TavLine& second, TavLine* out);
/// \brief `*dist` = distance between the crossings of `across` with first and second.
/// \return False, with `*dist` = 0, when first and second are the same line by
///         lineCompare's tolerances (parallel within a sine of 1e-6 and
///         intercepts within 1e-5: lines 9e-6 apart, or crossing at an angle
///         of 9e-7 near the axis, count as one) or
///         when `across` is parallel to either of them (no crossing to measure
///         from: an exactly zero determinant, as in lineLineIntersection, not
///         lineIsParallel's tolerance).
TAVGEOMETRY_EXPORT bool lineLineDist(const TavLine& first, const TavLine& second, const TavLine& across,
                                     double* dist);
/// \brief `*out` = segment from p to its orthogonal projection on the line.
///
/// A line of zero length gives the all-zero segment.
TAVGEOMETRY_EXPORT void linePointToLinePerpendicular(const TavLine& line, const TavPoint& p, TavLine* out);
/// \brief `*out` = p -> p + (p2 - p1): the line's direction vector placed at p.
TAVGEOMETRY_EXPORT void linePointToLineParallel(const TavLine& line, const TavPoint& p, TavLine* out);

/// @}

}  // namespace NTavGeometry
