/// \file
/// \brief Fitting: least-squares lines and circles, fits that reject outliers,
/// and a random-sample-consensus line fit.
/// \ingroup fits
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

namespace NTavGeometry {

/// \defgroup fits Fits
/// \brief Least-squares lines and circles, fits that reject outliers, and a
/// random-sample-consensus line fit.
///
/// Distances are in pixels; every residual is unsigned. A null output pointer
/// means the output is not wanted: the fit runs (and logs) as usual and writes
/// nothing there. The circle fit's refusals are written through the process's
/// CTavLog (see \ref log). Each function joins this group with its own
/// \c \\ingroup line.

/// \brief Least-squares line: y over x when the points spread at least as much
/// along x as along y, else x over y.
///
/// `*out` gets two points of the line at 0 and 10000 on that axis; a set with
/// too little spread (centred sum of squares below 1e-5) gives the
/// axis-parallel line through the first point. No points give NaN ordinates.
/// O(n).
/// \return Always 0.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitLine(const TavPoint* points, unsigned int n, TavLine* out);

/// \brief `*dist` = mean unsigned distance of the points to the infinite line
/// (0 for no points).
///
/// line is only read. O(n).
/// \return Always 0.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsLineDist(const TavPoint* points, unsigned int n, TavLine* line, double* dist);

/// \brief Algebraic least-squares circle; `*error` = mean |distance to centre -
/// radius|.
///
/// circle and error are zeroed first. O(n).
/// \return 0, or 2 (and writes one record through the log) for fewer than 3
///         points, no spread along x or y, or points on a straight line (also
///         when straight up to rounding).
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitCircle(const TavPoint* points, unsigned int n, TavCircle* circle,
                                       double* error);

/// \brief Fits a circle, then k times removes the point farthest from the
/// current circle (the first of equals) and refits.
///
/// circle and error are those of the last fit. O((k + 1) * n).
/// \param points, n The points.
/// \param k Number of points to remove.
/// \param[out] circle, error Result and mean residual of the last fit.
/// \param[out] removed May be null; receives the removed points in order
///             (room for k points).
/// \return The status of the last fit: 2 as soon as a fit is refused, e.g.
///         once only 2 points remain.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitCircleOutliers(const TavPoint* points, unsigned int n, unsigned int k,
                                               TavCircle* circle, double* error, TavPoint* removed);

/// \brief Fits a line, then k times removes the point farthest from the current
/// line (the first of equals) and refits.
///
/// A k above n counts as n. O((k + 1) * n).
/// \param points, n The points.
/// \param k Number of points to remove.
/// \param[out] line The last fit.
/// \param[out] error Mean distance of the points kept by the last removal to the
///             line fitted before it (untouched when k is 0).
/// \param[out] removed May be null; receives the removed points in order.
/// \return 0.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitLineOutliers(const TavPoint* points, unsigned int n, unsigned int k,
                                             TavLine* line, double* error, TavPoint* removed);

/// \brief Random-sample-consensus line: tries `candidates` lines through two
/// drawn points, keeps the one whose n - k nearest points lie closest in sum,
/// and refits them by least squares.
///
/// Deterministic: the draws come from a private generator seeded from the
/// coordinates (the application's rand() is not touched). When no candidate can
/// be tried (n = 1, or an automatic count of 0) or none has a usable score, the
/// least-squares line of all points stands as the candidate. k >= n writes
/// nothing. About O(candidates * n).
/// \param points, n The points.
/// \param k Number of points to reject as outliers.
/// \param candidates Lines to try; below 1: a count from the outlier ratio k / n.
/// \param[out] line The refitted line.
/// \param[out] error Mean distance of the kept points to the result.
/// \param[out] rejected May be null; gets the k farthest points, nearest first.
/// \return 0.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitLineRansac(const TavPoint* points, unsigned int n, unsigned int k,
                                           int candidates, TavLine* line, double* error, TavPoint* rejected);

}  // namespace NTavGeometry
