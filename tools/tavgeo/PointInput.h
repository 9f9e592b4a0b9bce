// Reading points from a file or standard input.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <string>
#include <vector>

namespace tavgeo {

// Points read from one input, with the line each point was found on.
struct PointSet {
  std::string name;  // the file name, or "<stdin>"
  std::vector<TavPoint> points;
  std::vector<int> lines;  // 1-based input line of each point
};

// Reads points from `path` ("" or "-" for standard input). Text input holds one
// point per line as "x y" or "x,y", with '#' starting a comment; input whose
// first non-blank character is '[' is read as a JSON array of [x, y] pairs.
// Throws InputError "<name>:<line>: <problem>" on bad input and ToolFailure
// when the input cannot be read.
PointSet readPoints(const std::string& path);

// Parses already-read text; `name` is used in messages.
PointSet parsePoints(const std::string& text, const std::string& name);

// Throws InputError "<name>: <what> needs at least <n> points, got <m>" when the
// set is too small.
void requirePoints(const PointSet& set, std::size_t minimum, const std::string& what);

}  // namespace tavgeo
