// Straightforward run-length region algorithms, step by step, used to check
// the library's calculators on random inputs. They include the library's
// rules for degenerate input (limits, clipping at row 0, horizontal edges).
#pragma once

#include <TavGeometry/TavTypes.h>

#include <vector>

namespace tavref {

// Disk list of centre points[0] and rim points[1]: row by row.
std::vector<int> rleDisk(int width, int height, const TavPoint* points, int count, TavRect* box);
// Annulus list of centre points[0] and rim points[1], points[2].
std::vector<int> rleTorus(int width, int height, const TavPoint* points, int count, TavRect* box);
// Polygon list: per-row edge lists kept sorted by insertion, every edge that
// goes on carried to the next row, pairing in list order.
std::vector<int> rlePolygon(int width, int height, const TavPoint* points, int count, TavRect* box);

}  // namespace tavref
