// Scan lines: spokes across an arc, a rake along a polyline. Lines come back as
// an (N, 2, 2) float64 array: [i, 0] is p1 and [i, 1] is p2 of line i.
#include <TavGeometry/TavGeoScan.h>

#include <vector>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

namespace {
py::array_t<double> linesArray(const std::vector<TavLine>& lines) {
  static_assert(sizeof(TavLine) == 4 * sizeof(double), "TavLine must be four packed doubles");
  py::array_t<double> out({static_cast<py::ssize_t>(lines.size()), py::ssize_t(2), py::ssize_t(2)});
  if (!lines.empty()) std::copy(lines.begin(), lines.end(), reinterpret_cast<TavLine*>(out.mutable_data()));
  return out;
}
}  // namespace

void bindScan(py::module_& m) {
  m.attr("SCAN_LINES_MAX") = kScanLinesMax;
  m.def(
      "arc_to_spoke",
      [](ArcArg arc, RealArg lengthArg, RealArg spacingArg) {
        const TavArc& a = toValue<TavArc>(arc, "arc", "Arc");
        const double length = toReal(lengthArg, "length"), spacing = toReal(spacingArg, "spacing");
        std::vector<TavLine> spokes;
        {
          GilRelease release;
          arcToSpoke(a, length, spacing, &spokes);
        }
        return linesArray(spokes);
      },
      py::arg("arc"), py::arg("length"), py::arg("spacing"),
      "Spokes from radius r to r + length across the arc, spacing pixels apart at the outer radius,\n"
      "as an (N, 2, 2) array (line i runs from [i, 0] to [i, 1]). A spacing of 0 or a step count\n"
      "of SCAN_LINES_MAX or more gives the start spoke only.");
  m.def(
      "poly_line_to_poly_rake",
      [](ArrayArg points, RealArg halfLengthArg, RealArg spacingArg) {
        const double halfLength = toReal(halfLengthArg, "half_length"), spacing = toReal(spacingArg, "spacing");
        Points p = toPoints(points, "points");  // last: converting the numbers may run Python code
        if (p.n > 0x7fffffff) throwValue("points holds too many points");
        std::vector<TavLine> rake;
        {
          GilRelease release;
          polyLineToPolyRake(p.data, static_cast<int>(p.n), halfLength, spacing, &rake);
        }
        return linesArray(rake);
      },
      py::arg("points"), py::arg("half_length"), py::arg("spacing"),
      "Lines 2*half_length long, spacing apart along the polyline, across each segment and fanned\n"
      "at corners, p1 on the +90 degree side (right of the path on an image), as an (N, 2, 2)\n"
      "array. No lines (shape (0, 2, 2)) for fewer than 2 points, a half_length or spacing that\n"
      "is not finite and > 0, or more than SCAN_LINES_MAX lines.");
}

}  // namespace tgpy
