// Circles through three points, inscribed circles, crossings.
#include <TavGeometry/TavGeoCircle.h>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

namespace {
const TavCircle& C(py::handle h, const char* name) { return toValue<TavCircle>(h, name, "Circle"); }

py::tuple crossings(const TavPoint* pts, int count) {
  py::tuple out(count);
  for (int i = 0; i < count; ++i) out[i] = fromPoint(pts[i]);
  return out;
}
}  // namespace

void bindCircle(py::module_& m) {
  m.def(
      "circle_in_3_points",
      [](PointArg a, PointArg b, PointArg c) -> py::object {
        TavCircle out;
        if (!circleIn3Points(toPoint(a, "p1"), toPoint(b, "p2"), toPoint(c, "p3"), &out)) return py::none();
        return py::cast(out);
      },
      py::arg("p1"), py::arg("p2"), py::arg("p3"),
      "The Circle through three points; None for collinear points (chord slopes within 1e-5), no\n"
      "usable ordering, or a non-finite result.");
  m.def(
      "circle_in_triangle",
      [](PointArg a, PointArg b, PointArg c) -> py::object {
        TavCircle out;
        if (!circleInTriangle(toPoint(a, "pa"), toPoint(b, "pb"), toPoint(c, "pc"), &out)) return py::none();
        return py::cast(out);
      },
      py::arg("pa"), py::arg("pb"), py::arg("pc"),
      "The inscribed Circle of the triangle; None for collinear or coincident vertices or a\n"
      "non-finite result.");
  m.def(
      "circle_line_intersection",
      [](CircleArg circle, LineArg line) {
        TavPoint pts[2];
        int count = 0;
        circleLineIntersection(C(circle, "circle"), toValue<TavLine>(line, "line", "Line"), pts, &count);
        return crossings(pts, count);
      },
      py::arg("circle"), py::arg("line"),
      "Crossings of the circle with the infinite line: a tuple of 2, 1 (tangent) or 0 points; the\n"
      "first has the larger x (larger y for a line within 1e-5 of vertical).");
  m.def(
      "circle_circle_intersection",
      [](CircleArg a, CircleArg b) {
        TavPoint pts[2];
        int count = 0;
        circleCircleIntersection(C(a, "first"), C(b, "second"), pts, &count);
        return crossings(pts, count);
      },
      py::arg("first"), py::arg("second"),
      "Crossings of two circles: a tuple of 2, 1 (touching exactly) or 0 points (apart, nested,\n"
      "concentric, not finite). The first lies right of the direction from the first centre to the\n"
      "second on an image whose y grows downward.");
}

}  // namespace tgpy
