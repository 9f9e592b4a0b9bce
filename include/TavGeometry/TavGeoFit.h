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
/// axis-parallel line through the first point. No points give NaN ordinates,
/// and so does a NaN coordinate. The line fits (this one, the outlier and the
/// consensus line) do not refuse non-finite points: their line and error come
/// out NaN, unless the consensus line leaves such a point out (as it may, by
/// its draws). The outlier fit then meets only NaN distances and removes the
/// first points. The circle fits and pointsFitLineOrthogonal refuse them.
/// The slope comes from raw sums (sum of x^2, of x * y, ...), whose centred
/// values cancel when the spread is small against the coordinates: 5 points
/// 0.7 apart on y = x / 2 at x = 1e8 fit a slope of 0, and 6 copies of
/// (70334.2, 80246.6) a slanted line through that point instead of the
/// axis-parallel one. pointsFitLineOrthogonal works from offsets and keeps its
/// digits. O(n).
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
///         points, no spread along x or y, points on a straight line (also
///         when straight up to rounding), or no finite circle (a coordinate
///         NaN or infinite, or sums beyond the range of double). Some of the
///         tests are absolute (a determinant below DBL_EPSILON): eight points
///         on a circle of radius 1.5e-4 pixels are refused as a line (2e-4
///         fit); pointsFitCircleHyper fits such sets.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitCircle(const TavPoint* points, unsigned int n, TavCircle* circle,
                                       double* error);

/// \brief Fits a circle, then k times removes the point farthest from the
/// current circle (the first of equals) and refits.
///
/// circle and error are those of the last fit. O((k + 1) * n).
/// \param points The points.
/// \param n Their number.
/// \param k Number of points to remove.
/// \param[out] circle Result of the last fit.
/// \param[out] error Mean residual of the last fit.
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
/// A k above n counts as n; with k >= n every point is removed, and the last
/// fit and the error are those of no points (NaN). O((k + 1) * n).
/// \param points The points.
/// \param n Their number.
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
/// \param points The points.
/// \param n Their number.
/// \param k Number of points to reject as outliers.
/// \param candidates Lines to try; below 1: a count from the outlier ratio k / n.
/// \param[out] line The refitted line.
/// \param[out] error Mean distance of the kept points to the result.
/// \param[out] rejected May be null; gets the k points farthest from the best
///             candidate (not from the refitted line), nearest first.
/// \return 0.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitLineRansac(const TavPoint* points, unsigned int n, unsigned int k,
                                           int candidates, TavLine* line, double* error, TavPoint* rejected);

// Fits that measure. Beside the fits above, for metrology: a total least-squares
// line, an algebraic circle fit without the essential bias of the one above, a
// geometric circle fit with statistics, and a consensus circle fit. Each refuses a
// set with a NaN or infinite coordinate, writes no log record (the status is the
// report), and works in a frame centred on the points and scaled by a power of
// two, so huge and tiny coordinates give the same digits as ordinary ones. They
// use sqrt and the four operations only (but for the log of the consensus
// circle fit's automatic candidate count): their doubles do not depend on the C
// library. Costs are for n points.

/// Summary of a geometric circle fit (pixels).
/// \ingroup fits
struct TavCircleFitStats {
  double rms = 0.0;        ///< sqrt(mean squared distance of the points to the circle)
  double meanAbs = 0.0;    ///< mean unsigned distance of the points to the circle
  int iterations = 0;      ///< Levenberg-Marquardt steps tried (accepted or not)
  bool converged = false;  ///< true when the convergence criterion was met
  double seCx = 0.0;       ///< standard error of center.x (NaN when not asked for or not defined)
  double seCy = 0.0;       ///< standard error of center.y (likewise)
  double seR = 0.0;        ///< standard error of the radius (likewise)
};

/// Total least-squares line: the line through the centroid along the principal
/// axis of the centred scatter, minimising the orthogonal distances. out gets
/// p1 = the centroid and p2 = p1 + the unit direction, the direction taken with
/// x > 0, or x = 0 and y > 0; vertical and horizontal sets give an exactly axial
/// direction (rounded into p2 where the centroid is beyond about 1e15). As p2
/// is stored, not the direction, the line's angle holds the digits of a unit
/// step at the centroid: 1e-12 rad at 1e4, 3e-8 rad at 1e9. A
/// scatter with no principal axis (equal spreads, no covariance, as
/// the corners of a square) gives the horizontal line. `*rms` = sqrt(mean squared
/// orthogonal distance) (an extra pass; skipped when rms is null). Returns 0, or
/// 1 with both outputs zeroed for fewer than 2 distinct points or a non-finite
/// coordinate. O(n): one pass (two with rms) for sets whose sums stay in range, else three (four).
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitLineOrthogonal(const TavPoint* points, unsigned int n, TavLine* out,
                                               double* rms);

/// Hyper-accurate algebraic circle fit: the algebraic fit whose constraint
/// removes the essential (second order) bias of the algebraic fits, so it gives
/// no systematic shrinking of the radius on short arcs. `*error` = mean |distance to
/// centre - radius|. circle and error are zeroed first. Returns 0, or 2 for fewer
/// than 3 points, a non-finite coordinate, or points on or nearly on a straight
/// line (the scatter's minor to major spread below 1e-10, an arc of under about
/// 0.005 degrees), or a circle not finite in doubles. O(n), three passes.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitCircleHyper(const TavPoint* points, unsigned int n, TavCircle* circle,
                                            double* error);

/// Geometric circle fit: minimises the sum of squared orthogonal distances
/// |distance to centre - radius| by Levenberg-Marquardt, started from the Hyper
/// fit. Converged means a step moved centre and radius by at most 1e-12 of
/// (half the extent of the points + radius), or no step, however short, lowers
/// the sum any more; at most 100 steps are tried. stats (may be null) gets the
/// RMS and mean absolute distances, the step count and, when wantStandardErrors
/// is true and n > 3, the standard errors of centre and radius from the
/// covariance sigma^2 (J^T J)^-1 at the result, sigma^2 = sum of squares / (n - 3);
/// otherwise they are NaN. "No step lowers the sum" is judged in doubles, so
/// the result can stop short of the exact minimum: on ordinary sets by up to
/// about 1e-7 of the radius, on arcs of a few degrees by more (up to 4e-6 seen),
/// and on arcs near a degree, where the sum hardly changes along the valley, at
/// the Hyper circle itself, hundreds of pixels from the minimiser (on ordinary
/// sets this is far inside the standard errors). Returns 0 when converged, 1
/// when stopped at the step limit (circle and stats hold the last accepted
/// iterate), 2 when refused as the Hyper fit refuses or the result is not
/// finite in doubles (circle zeroed, stats zero with NaN errors). O(n) per step.
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitCircleGeometric(const TavPoint* points, unsigned int n, TavCircle* circle,
                                                TavCircleFitStats* stats, bool wantStandardErrors);

/// Random-sample-consensus circle: tries `candidates` circles through three
/// drawn points (below 1: a count from the outlier ratio k / n, as the consensus
/// line fit counts), skips draws of coincident or collinear points, keeps the
/// circle whose n - k nearest points (by |distance to centre - radius|) lie
/// closest in sum, added in ascending order, and refits those points
/// geometrically. `*error` = mean distance of the kept points to the result;
/// rejected (may be null) gets the k other points, nearest the chosen
/// candidate first, equal distances in input order. Deterministic and thread-safe: the draws come from
/// a private generator seeded from the coordinates, the same on every machine.
/// With no usable candidate the geometric fit of all points stands as the
/// candidate. Returns the refit's status: 0, 1 (refit stopped at its step limit;
/// the circle is written) or 2 (refused: fewer than 3 points kept (k > n - 3), a
/// non-finite coordinate, or a refused fit; circle and error zeroed, rejected
/// not written). O(candidates * n).
/// \ingroup fits
TAVGEOMETRY_EXPORT int pointsFitCircleRansac(const TavPoint* points, unsigned int n, unsigned int k,
                                             int candidates, TavCircle* circle, double* error,
                                             TavPoint* rejected);

}  // namespace NTavGeometry
