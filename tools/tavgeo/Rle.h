// Reading the library's run-length lists.
#pragma once

#include <cstddef>
#include <vector>

#include "Svg.h"

namespace tavgeo {

// Splits a calculator's run-length list (six header words, row records
// "y (x extent)+ -1", a final -1) into runs, record k holding recordRuns[k]
// runs (the calculator's recordRuns()): column numbers may be negative, so a -1
// in a record can start a run as well as end it, and only the counts tell.
// Returns false when the list does not hold records of those counts.
bool splitRuns(const std::vector<int>& rle, const std::vector<int>& recordRuns, std::vector<PixelRun>* runs);

// Number of distinct pixels covered by the runs (overlaps counted once).
long long coveredPixels(const std::vector<PixelRun>& runs);

// An upper bound of the number of perimeter points of the runs: per run its two
// ends plus its pixels that the records of the rows above and below do not
// both cover.
long long perimeterBound(const std::vector<PixelRun>& runs);

// The list's part in rows and columns 0 and up, in the same format: records of
// negative rows are dropped, runs are cut at column 0, and a record left
// without runs stays as an empty record "y -1" (so that it still separates its
// neighbours). Header words 2 and 4 are raised to 0 at least. Every word of the
// result except the terminators is then non-negative.
std::vector<int> clipToImageQuadrant(const std::vector<int>& rle, const std::vector<PixelRun>& runs,
                                     std::vector<PixelRun>* clippedRuns);

}  // namespace tavgeo
