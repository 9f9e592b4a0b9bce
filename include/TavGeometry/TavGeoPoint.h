// Point operations: midpoint, distance, direction, rotation, bounding box.
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

namespace NTavGeometry {

// out = midpoint of a and b.
TAVGEOMETRY_EXPORT void pointsToMiddle(const TavPoint& a, const TavPoint& b, TavPoint* out);
// Euclidean distance (overflow-safe hypot).
TAVGEOMETRY_EXPORT double pointPointDist(const TavPoint& a, const TavPoint& b);
// Direction angle atan2(dy, dx) from `from` to `to`, in (-pi, pi] (-pi only when
// dx < 0 and dy is a negative zero); 0 when the points are closer than 0.01.
TAVGEOMETRY_EXPORT double pointPointAngle(const TavPoint& from, const TavPoint& to);
// angleOut = atan2(dy, dx) and distOut = hypot(dx, dy), with no tolerance.
// Note the order: the angle goes to the third argument, the distance to the fourth.
TAVGEOMETRY_EXPORT void pointPointDistAngle(const TavPoint& from, const TavPoint& to,
                                            double* angleOut, double* distOut);
// out = the point at signed distance dist from `from` toward `toward`.
// Coincident points take the vertical branch: (from.x, from.y - dist).
TAVGEOMETRY_EXPORT void pointOnLine(const TavPoint& from, const TavPoint& toward, double dist,
                                    TavPoint* out);
// Rotates *p about center by angle (positive turns +x toward +y), in place.
TAVGEOMETRY_EXPORT void pointRotate(const TavPoint& center, double angle, TavPoint* p);
// out = line of length 10000 from p in direction angle.
TAVGEOMETRY_EXPORT void pointAngleToLine(const TavPoint& p, double angle, TavLine* out);
// Direction angle from p1 to p2, as pointPointAngle; 0 for a line shorter than 0.01.
TAVGEOMETRY_EXPORT double lineAngle(const TavLine& line);
// Unsigned distance from p to the infinite line; the distance to p1 when the
// line is shorter than 1e-8.
TAVGEOMETRY_EXPORT double pointLineDist(const TavPoint& p, const TavLine& line);
// out = line from third through the midpoint of first and second. out is zeroed
// on entry; false (zero line) when second equals first or third exactly.
TAVGEOMETRY_EXPORT bool pointsToAngleBisect(const TavPoint& first, const TavPoint& second,
                                            const TavPoint& third, TavLine* out);
// True if p lies in the unrotated rectangle, all edges included (angle ignored).
TAVGEOMETRY_EXPORT bool pointInRect(const TavPoint& p, const TavRect& rect);
// out = integral pixel box of the points (coordinates truncated toward zero):
// x, y = first column and row, width/height = last - first + 1, angle 0.
// No points (or only NaN points) give all zeros. Truncation saturates at the
// int range.
TAVGEOMETRY_EXPORT void pointsToBBox(const TavPoint* points, unsigned int n, TavRect* out);

}  // namespace NTavGeometry
