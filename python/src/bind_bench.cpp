// Hooks for the package's benchmark: a trivial function to measure the cost of
// a call through the bindings, and the same library calls timed in C++, so that
// the overhead of the Python layer is measured in one run.
#include <TavGeometry/TavGeoFit.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoRleCalc.h>

#include <chrono>
#include <string>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

void bindBench(py::module_& m) {
  m.def(
      "_trivial", [](py::handle, py::handle) { return 0.0; }, py::arg("a"), py::arg("b"),
      "Does nothing: the reference for the cost of one call through the bindings.");
  m.def(
      "_time_cpp",
      [](const std::string& what, ArrayArg points, int width, int height, int repeats) {
        Points p = toPoints(points, "points");
        if (repeats < 1) throwValue("repeats must be >= 1");
        const unsigned int n = static_cast<unsigned int>(p.n);
        GilRelease release;
        double sink = 0.0;
        CTavGeoRleCalcPolygon poly;
        CTavGeoRleCalcDisk disk;
        const auto t0 = std::chrono::steady_clock::now();
        for (int r = 0; r < repeats; ++r) {
          if (what == "fit_line") {
            TavLine l;
            pointsFitLine(p.data, n, &l);
            sink += l.p1.y;
          } else if (what == "fit_circle") {
            TavCircle c;
            double e = 0.0;
            pointsFitCircle(p.data, n, &c, &e);
            sink += c.radius;
          } else if (what == "fit_line_orthogonal") {
            TavLine l;
            pointsFitLineOrthogonal(p.data, n, &l, nullptr);
            sink += l.p1.y;
          } else if (what == "fit_circle_hyper") {
            TavCircle c;
            double e = 0.0;
            pointsFitCircleHyper(p.data, n, &c, &e);
            sink += c.radius;
          } else if (what == "fit_circle_geometric") {
            TavCircle c;
            pointsFitCircleGeometric(p.data, n, &c, nullptr, false);
            sink += c.radius;
          } else if (what == "polygon") {
            CTavGeoRleCalcPolygon fresh;  // no cache hit
            fresh.calculate(width, height, p.data, static_cast<int>(n));
            sink += static_cast<double>(fresh.rle().size());
          } else if (what == "disk") {
            CTavGeoRleCalcDisk fresh;
            fresh.calculate(width, height, p.data, static_cast<int>(n));
            sink += static_cast<double>(fresh.rle().size());
          } else if (what == "perimeter") {
            poly.calculate(width, height, p.data, static_cast<int>(n));
            sink += static_cast<double>(CTavGeoRleCalc::calculatePerimiterPoints(poly.rle()).size());
          } else {
            throw std::invalid_argument("unknown job " + what);
          }
        }
        const auto t1 = std::chrono::steady_clock::now();
        if (sink == 0.123456789) throw std::runtime_error("unreachable");  // keeps the work
        return std::chrono::duration<double>(t1 - t0).count() / repeats;
      },
      py::arg("what"), py::arg("points"), py::arg("width") = 0, py::arg("height") = 0, py::arg("repeats") = 1,
      "Seconds per call of a library job run in C++ (benchmark use).");
}

}  // namespace tgpy
