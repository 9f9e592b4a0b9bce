// Scan-line generators: spokes across an arc and a rake along a polyline.
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <vector>

namespace NTavGeometry {

// Most lines one call of arcToSpoke or polyLineToPolyRake lays (2^22 lines,
// 128 MiB of output). A request for more lays the fallback its function states.
constexpr int kScanLinesMax = 4194304;

// Spokes from radius r to r + length on rays from the arc's start ray to its end ray (left out for a
// full turn) in max(1, trunc(L/spacing - 1)) equal steps, L = the arc's length at the outer radius;
// *spokes is cleared first. A step count not finite (spacing 0 or -0) or >= kScanLinesMax: the start spoke.
TAVGEOMETRY_EXPORT void arcToSpoke(const TavArc& arc, double length, double spacing,
                                   std::vector<TavLine>* spokes);

// Lines 2*halfLength long, `spacing` apart along the polyline (the first one spacing in), across each
// segment and fanned at corners, in path order, p1 on the positive (+90 degree) side; *rake is cleared
// first. Repeated points are skipped; a reversal turns a half turn about its vertex, and a corner too
// sharp for its segments turns about its vertex too. No lines for fewer than 2 points, a spacing or
// half-length not finite and > 0, or over kScanLinesMax lines.
TAVGEOMETRY_EXPORT void polyLineToPolyRake(const TavPoint* points, int count, double halfLength,
                                           double spacing, std::vector<TavLine>* rake);

}  // namespace NTavGeometry
