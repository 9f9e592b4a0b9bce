// Lines: tests, intercepts, comparison, implicit and polar forms, relations.
#include <TavGeometry/TavGeoLine.h>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

namespace {
const TavLine& L(py::handle h, const char* name) { return toValue<TavLine>(h, name, "Line"); }
}  // namespace

void bindLine(py::module_& m) {
  m.def("line_is_valid", [](LineArg l) { return lineIsValid(L(l, "line")); }, py::arg("line"),
        "True when the end points are more than 1e-8 apart (NaN gives False).");
  m.def("line_is_horiz", [](LineArg l) { return lineIsHoriz(L(l, "line")); }, py::arg("line"),
        "True when |y2 - y1| <= 1e-5 (NaN gives False).");
  m.def("line_is_vert", [](LineArg l) { return lineIsVert(L(l, "line")); }, py::arg("line"),
        "True when |x2 - x1| <= 1e-5 (NaN gives False).");
  m.def(
      "line_x_intercept",
      [](LineArg l, RealArg y) -> py::object {
        const TavLine& line = L(l, "line");
        double x = 0.0;
        if (!lineXIntercept(line, toReal(y, "y"), &x)) return py::none();
        return py::float_(x);
      },
      py::arg("line"), py::arg("y"),
      "The x at which the line reaches height y (measured from p2); None for a line within 1e-5 of\n"
      "horizontal.");
  m.def(
      "line_y_intercept",
      [](LineArg l, RealArg x) -> py::object {
        const TavLine& line = L(l, "line");
        double y = 0.0;
        if (!lineYIntercept(line, toReal(x, "x"), &y)) return py::none();
        return py::float_(y);
      },
      py::arg("line"), py::arg("x"),
      "The y of the line at column x (measured from p2); None for a line within 1e-5 of vertical.");
  m.def("line_is_parallel", [](LineArg a, LineArg b) { return lineIsParallel(L(a, "first"), L(b, "second")); },
        py::arg("first"), py::arg("second"),
        "True when |sin| of the angle between the directions is below 1e-6 (opposite directions too).");
  m.def("line_compare", [](LineArg a, LineArg b) { return lineCompare(L(a, "first"), L(b, "second")); },
        py::arg("first"), py::arg("second"),
        "True when both describe the same infinite line (parallel, intercepts within 1e-5).");
  m.def(
      "line2_abc_line_equation",
      [](LineArg l) {
        double a = 0.0, b = 0.0, c = 0.0;
        line2AbcLineEquation(L(l, "line"), &a, &b, &c);
        return py::make_tuple(a, b, c);
      },
      py::arg("line"),
      "(coef_y, coef_x, constant) with coef_y*y + coef_x*x + constant = 0: (0, 1, -x2) when\n"
      "|dx| < 1e-5, else (1, -m, m*x2 - y2) with m = dy/dx.");
  m.def(
      "line_to_ro_theta",
      [](LineArg l) {
        double ro = 0.0, theta = 0.0;
        lineToRoTheta(L(l, "line"), &ro, &theta);
        return py::make_tuple(ro, theta);
      },
      py::arg("line"),
      "Polar form (ro, theta): distance from the origin (>= 0) and the normal's direction in\n"
      "[0, pi); a line and its mirror image through the origin (x = 5, x = -5) give the same pair.");
  m.def(
      "line_line_intersection",
      [](LineArg a, LineArg b) -> py::object {
        TavPoint out;
        if (!lineLineIntersection(L(a, "first"), L(b, "second"), &out)) return py::none();
        return fromPoint(out);
      },
      py::arg("first"), py::arg("second"),
      "Crossing point (x, y) of the two infinite lines; None when the determinant is exactly 0.");
  m.def("line_line_is_collinear",
        [](LineArg a, LineArg b) { return lineLineIsCollinear(L(a, "first"), L(b, "second")); },
        py::arg("first"), py::arg("second"), "True when the lines are exactly parallel and on one line.");
  m.def(
      "line_line_bisect",
      [](LineArg a, LineArg b) {
        TavLine out;
        lineLineBisect(L(a, "first"), L(b, "second"), &out);
        return out;
      },
      py::arg("first"), py::arg("second"),
      "Bisector of the smaller angle, 10000 long from the crossing; for parallel lines the line\n"
      "halfway between, with the first line's direction.");
  m.def(
      "line_line_dist",
      [](LineArg a, LineArg b, LineArg across) -> py::object {
        double d = 0.0;
        if (!lineLineDist(L(a, "first"), L(b, "second"), L(across, "across"), &d)) return py::none();
        return py::float_(d);
      },
      py::arg("first"), py::arg("second"), py::arg("across"),
      "Distance between the crossings of across with first and second; None when first and second\n"
      "are the same line or across is parallel to either.");
  m.def(
      "line_point_to_line_perpendicular",
      [](LineArg l, PointArg p) {
        TavLine out;
        linePointToLinePerpendicular(L(l, "line"), toPoint(p, "p"), &out);
        return out;
      },
      py::arg("line"), py::arg("p"),
      "Segment from p to its orthogonal projection on the line (all zero for a zero-length line).");
  m.def(
      "line_point_to_line_parallel",
      [](LineArg l, PointArg p) {
        TavLine out;
        linePointToLineParallel(L(l, "line"), toPoint(p, "p"), &out);
        return out;
      },
      py::arg("line"), py::arg("p"), "p -> p + (p2 - p1): the line's direction vector placed at p.");
}

}  // namespace tgpy
