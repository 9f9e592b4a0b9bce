/// \file
/// \brief Angle and scalar helpers. All angles are radians unless the name says degrees.
/// \ingroup scalars
#pragma once

#include <TavGeometry/TavGeometryExport.h>

namespace NTavGeometry {

/// \defgroup scalars Scalars
/// \brief Angle conversion and folding, the quadratic formula, mean direction,
/// parabola vertex and bilinear interpolation.
///
/// All angles are radians unless the name says degrees. Every function is O(1)
/// except averageAngles (O(n)).
/// @{

/// \brief The angle in degrees multiplied by pi/180.
/// \param angle Angle in degrees.
/// \return The angle in radians.
TAVGEOMETRY_EXPORT double degToRad(double angle);
/// \brief The angle in radians multiplied by 180/pi.
/// \param angle Angle in radians.
/// \return The angle in degrees.
TAVGEOMETRY_EXPORT double radToDeg(double angle);

/// \brief Folds an angle into [-pi, pi) by adding or subtracting 2*pi.
///
/// An angle already inside is returned bit for bit; NaN and infinities give NaN.
TAVGEOMETRY_EXPORT double normalizeAngleMinusPiToPi(double angle);
/// \brief Brings an angle into the band [-2*pi, 2*pi).
///
/// Not unique: -1 and 2*pi - 1 both stay. NaN and infinities give NaN.
TAVGEOMETRY_EXPORT double normalizeAngleMinus2PiTo2Pi(double angle);
/// \brief Folds an angle into [0, 2*pi). NaN and infinities give NaN.
TAVGEOMETRY_EXPORT double normalizeAngle0To2Pi(double angle);
/// \brief Folds an angle into [0, pi), i.e. modulo pi (an undirected orientation).
///
/// NaN and infinities give NaN.
TAVGEOMETRY_EXPORT double normalizeAngle0ToPi(double angle);
/// \brief Folds an angle into [-pi/2, pi/2), modulo pi. NaN and infinities give NaN.
TAVGEOMETRY_EXPORT double normalizeAngleMinusPiby2ToPiby2(double angle);

/// \brief Real roots of a*x^2 + b*x + c = 0.
///
/// |b*b - 4ac| < 1e-5 gives one root -b/2a in roots[0] (count 1, roots[1]
/// untouched); a positive discriminant gives (-b + sqrt D) / 2a then
/// (-b - sqrt D) / 2a (count 2); otherwise count 0 and roots untouched. a = 0
/// solves b*x + c = 0: root -c/b (count 1), or count 0 when b is 0 too. The
/// formula as written: the root of smaller size cancels when b*b is far above
/// 4ac ((1, 1e8, 1) gives -7.45e-9 for -1e-8).
/// \param a Coefficient of x^2.
/// \param b Coefficient of x.
/// \param c Constant term.
/// \param[out] roots Two doubles; only the first `*count` are written.
/// \param[out] count Number of roots written (0, 1 or 2).
/// \return Always 0.
TAVGEOMETRY_EXPORT int solveQuadraticAbcFormula(double a, double b, double c, double* const roots,
                                                int* count);

/// \brief Mean direction: atan2(sum of sines, sum of cosines), in [-pi, pi].
///
/// A single angle comes back unchanged, not folded (100 gives 100); n <= 0 (or
/// a null array) gives 0.
/// Cost O(n); the array is only read.
/// \param angles n angles in radians.
/// \param n Number of angles.
TAVGEOMETRY_EXPORT double averageAngles(double* angles, int n);

/// \brief Offset of the vertex of the parabola through (-1, s0), (0, s1), (1, s2)
/// from the middle sample.
///
/// 0 when the samples are collinear. Not clamped: the offset may lie outside
/// [-1, 1].
TAVGEOMETRY_EXPORT double parabolaFit(double s0, double s1, double s2);

/// \brief Bilinear interpolation at fractions (fx, fy) between c00 (x0,y0),
/// c10 (x1,y0), c01 (x0,y1) and c11 (x1,y1).
///
/// Fractions outside 0..1 extrapolate.
TAVGEOMETRY_EXPORT double bilinearInterpolate(double fx, double fy, double c00, double c10, double c01,
                                              double c11);

/// @}

}  // namespace NTavGeometry
