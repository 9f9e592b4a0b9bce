// Scan-line generators: spokes across an arc and a rake along a polyline.
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <vector>

namespace NTavGeometry {

// Most lines one call of arcToSpoke or polyLineToPolyRake lays (2^22 lines,
// 128 MiB of output). A request for more lays the fallback its function states.
inline constexpr int kScanLinesMax = 4194304;

// Spokes across an arc, on rays from its centre at equal angular steps from the
// start ray toward the end ray (the end ray is left out for a full turn).
// Each spoke runs from radius r to radius r + length on its ray; the step is
// chosen so that the outer ends lie at least `spacing` apart. *spokes is
// cleared first. A spacing of 0, a non-finite step count or one of
// kScanLinesMax or more lays only the spoke on the start ray.
TAVGEOMETRY_EXPORT void arcToSpoke(const TavArc& arc, double length, double spacing,
                                   std::vector<TavLine>* spokes);

// A rake along the polyline points[0 .. count-1]: lines 2*halfLength long,
// `spacing` apart along the path (first one spacing in), perpendicular to and
// centred on each segment and fanning about the inner corner point at each
// vertex; p1 on the positive side (the direction turned by +90 degrees). *rake
// is cleared first. Repeated points are skipped and an exact reversal turns the
// line a half turn about the vertex. No lines for count < 2, a spacing or
// half-length not finite and > 0, or more than kScanLinesMax lines.
TAVGEOMETRY_EXPORT void polyLineToPolyRake(const TavPoint* points, int count, double halfLength,
                                           double spacing, std::vector<TavLine>* rake);

}  // namespace NTavGeometry
