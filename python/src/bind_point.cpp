// Point operations.
#include <TavGeometry/TavGeoPoint.h>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

void bindPoint(py::module_& m) {
  m.def(
      "points_to_middle",
      [](PointArg a, PointArg b) {
        TavPoint out;
        pointsToMiddle(toPoint(a, "a"), toPoint(b, "b"), &out);
        return fromPoint(out);
      },
      py::arg("a"), py::arg("b"), "Midpoint of a and b as (x, y).");
  m.def(
      "point_point_dist", [](PointArg a, PointArg b) { return pointPointDist(toPoint(a, "a"), toPoint(b, "b")); },
      py::arg("a"), py::arg("b"),
      "Euclidean distance in pixels: overflow-safe, correctly rounded in every test, and the same\n"
      "bits with every C library.");
  m.def(
      "point_point_angle",
      [](PointArg from, PointArg to) { return pointPointAngle(toPoint(from, "from_"), toPoint(to, "to")); },
      py::arg("from_"), py::arg("to"),
      "Direction atan2(dy, dx) from from_ to to, radians in (-pi, pi] (positive turns +x toward\n"
      "+y; -pi only when dx < 0 and dy is -0.0); 0 when the points are closer than 0.01.");
  m.def(
      "point_point_dist_angle",
      [](PointArg from, PointArg to) {
        double angle = 0.0;
        double dist = 0.0;
        pointPointDistAngle(toPoint(from, "from_"), toPoint(to, "to"), &angle, &dist);
        return py::make_tuple(dist, angle);
      },
      py::arg("from_"), py::arg("to"),
      "(distance, angle) from from_ to to, with no tolerance: hypot(dx, dy) and atan2(dy, dx).");
  m.def(
      "point_on_line",
      [](PointArg from, PointArg toward, RealArg dist) {
        const TavPoint a = toPoint(from, "from_"), b = toPoint(toward, "toward");
        TavPoint out;
        pointOnLine(a, b, toReal(dist, "dist"), &out);
        return fromPoint(out);
      },
      py::arg("from_"), py::arg("toward"), py::arg("dist"),
      "The point at signed distance dist from from_ toward toward; coincident points give\n"
      "(from_.x, from_.y - dist).");
  m.def(
      "point_rotate",
      [](PointArg center, RealArg angle, PointArg p) {
        const TavPoint c = toPoint(center, "center");
        const double a = toReal(angle, "angle");
        TavPoint q = toPoint(p, "p");
        pointRotate(c, a, &q);
        return fromPoint(q);
      },
      py::arg("center"), py::arg("angle"), py::arg("p"),
      "p turned about center by angle radians (positive turns +x toward +y).");
  m.def(
      "point_angle_to_line",
      [](PointArg p, RealArg angle) {
        const TavPoint q = toPoint(p, "p");
        TavLine out;
        pointAngleToLine(q, toReal(angle, "angle"), &out);
        return out;
      },
      py::arg("p"), py::arg("angle"), "Line of length 10000 from p in direction angle (radians).");
  m.def(
      "line_angle", [](LineArg line) { return lineAngle(toValue<TavLine>(line, "line", "Line")); },
      py::arg("line"), "Direction angle from p1 to p2, radians; 0 for a line shorter than 0.01.");
  m.def(
      "point_line_dist",
      [](PointOrSetArg p, LineArg line) -> py::object {
        const TavLine& l = toValue<TavLine>(line, "line", "Line");
        if (!isPointSet(p)) return py::float_(pointLineDist(toPoint(p, "p"), l));
        Points pts = toPoints(p, "p");
        py::array_t<double> out(static_cast<py::ssize_t>(pts.n));
        double* d = out.mutable_data();
        {
          GilRelease release;
          for (std::size_t i = 0; i < pts.n; ++i) d[i] = pointLineDist(pts.data[i], l);
        }
        return std::move(out);
      },
      py::arg("p"), py::arg("line"),
      "Unsigned distance from p to the infinite line (the distance to p1 for a line shorter than\n"
      "1e-8). p is one point (x, y) -> float, or an (N, 2) array -> float64 array of N distances.");
  m.def(
      "points_to_angle_bisect",
      [](PointArg first, PointArg second, PointArg third) -> py::object {
        TavLine out;
        if (!pointsToAngleBisect(toPoint(first, "first"), toPoint(second, "second"), toPoint(third, "third"), &out))
          return py::none();
        return py::cast(out);
      },
      py::arg("first"), py::arg("second"), py::arg("third"),
      "Line from third through the midpoint of first and second; None when second equals first or\n"
      "third exactly, or when the midpoint falls exactly on third.");
  m.def(
      "point_in_rect",
      [](PointArg p, RectArg rect) {
        return pointInRect(toPoint(p, "p"), toValue<TavRect>(rect, "rect", "Rect"));
      },
      py::arg("p"), py::arg("rect"), "True if p lies in the unrotated rectangle, edges included (angle ignored).");
  m.def(
      "points_to_bbox",
      [](ArrayArg points) {
        Points pts = toPoints(points, "points");
        if (pts.n > 0xffffffffu) throwValue("points holds too many points");
        TavRect out;
        {
          GilRelease release;
          pointsToBBox(pts.data, static_cast<unsigned int>(pts.n), &out);
        }
        return out;
      },
      py::arg("points"),
      "Integral pixel box of the points (coordinates truncated toward zero) as a Rect: x, y = first\n"
      "column and row, width/height = last - first + 1. No points give Rect(0, 0, 0, 0).");
}

}  // namespace tgpy
