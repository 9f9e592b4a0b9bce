/// \file
/// \brief Scan-line generators: spokes across an arc and a rake along a polyline.
/// \ingroup scanlines
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <vector>

namespace NTavGeometry {

/// \defgroup scanlines Scan lines
/// \brief Spokes across an arc and a rake of lines across a polyline, for
/// sampling an image along a path.
///
/// Pixels and radians (positive turns +x toward +y). Both generators clear
/// their output first and are O(lines laid + points).
/// @{

/// \brief Most lines one call of arcToSpoke or polyLineToPolyRake lays (2^22
/// lines, 128 MiB of output).
///
/// A request for more lays the fallback its function states.
constexpr int kScanLinesMax = 4194304;

/// \brief Spokes from radius r to r + length on rays from the arc's start ray
/// to its end ray.
///
/// The end ray is left out for a full turn. The sweep is cut into
/// max(1, trunc(L / spacing - 1)) equal steps, L = the arc's length at the outer
/// radius; each spoke runs from p1 at radius r to p2 at radius r + length
/// (outward, or inward for a negative length; a sweep of 0 gives two equal
/// spokes on the start ray). `*spokes` is cleared first. A step count
/// not finite (spacing 0 or -0) or >= kScanLinesMax: the start spoke only.
/// \param arc The arc (centre, radius r, start, sweep).
/// \param length Spoke length in pixels (the outer radius is r + length for a
///        positive length, r otherwise).
/// \param spacing Spacing in pixels along the arc at the outer radius; it sets
///        the step count above.
/// \param[out] spokes The spokes, from the start ray toward the end ray.
TAVGEOMETRY_EXPORT void arcToSpoke(const TavArc& arc, double length, double spacing,
                                   std::vector<TavLine>* spokes);

/// \brief Lines 2*halfLength long, `spacing` apart along the polyline, across
/// each segment and fanned at corners.
///
/// The first line lies spacing in from the first point; lines come in path
/// order with p1 on the positive side (the direction turned by +90 degrees:
/// the right of the path on an image whose y grows downward). `*rake` is
/// cleared first. Repeated points are skipped; a reversal turns a half turn
/// about its vertex, and a corner too sharp for its segments turns about its
/// vertex too; any other corner pivots on the side it turns toward. A
/// half-length below 0.01 lays no fan lines at corners (a fan's angles are
/// those of lines h long, and a line shorter than 0.01 has angle 0), so such
/// a rake is not the same path scaled down. No lines for fewer than 2
/// points, a spacing or half-length that is not finite and > 0, or over
/// kScanLinesMax lines. The positions along the
/// path advance step by step, so their rounding adds up with the count of
/// lines: about 1e-6 px after 10^6 lines at 1e4, 4e-4 px after 10^4 at 1e9.
/// \param points count polyline points.
/// \param count Number of points.
/// \param halfLength Half the length of every line, pixels.
/// \param spacing Distance between lines along the path, pixels.
/// \param[out] rake The lines.
TAVGEOMETRY_EXPORT void polyLineToPolyRake(const TavPoint* points, int count, double halfLength,
                                           double spacing, std::vector<TavLine>* rake);

/// @}

}  // namespace NTavGeometry
