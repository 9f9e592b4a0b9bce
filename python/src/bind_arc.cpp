// Circular arcs: construction, sampling, the point along, the point-on-arc test.
#include <TavGeometry/TavGeoArc.h>

#include <vector>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

namespace {
const TavArc& A(ArcArg h) { return toValue<TavArc>(h, "arc", "Arc"); }
}  // namespace

void bindArc(py::module_& m) {
  m.attr("ARC_TO_POINT_SET_MAX_POINTS") = kArcToPointSetMaxPoints;
  m.def(
      "arc_in_3_points",
      [](PointArg a, PointArg b, PointArg c) -> py::object {
        TavArc out;
        if (!arcIn3Points(toPoint(a, "first"), toPoint(b, "middle"), toPoint(c, "last"), &out)) return py::none();
        return py::cast(out);
      },
      py::arg("first"), py::arg("middle"), py::arg("last"),
      "The Arc from first through middle to last (|sweep| < 2 pi, start in [-pi, pi]); None for\n"
      "(nearly) collinear points, non-finite results or a circle too large to tell the ends apart.");
  m.def(
      "arc_to_polyline",
      [](ArcArg arc, IntArg count) {
        const TavArc& a = A(arc);
        const std::size_t n = toCount(count, "count", kArcToPointSetMaxPoints);
        py::array_t<double> out = newPoints(n);
        TavPoint* p = reinterpret_cast<TavPoint*>(out.mutable_data());
        {
          GilRelease release;
          arcToPolyline(a, p, static_cast<unsigned int>(n));
        }
        return out;
      },
      py::arg("arc"), py::arg("count"),
      "(count, 2) array of points evenly spaced in angle from the start to the end, both included\n"
      "(count 1: the start only). count must be 0 .. ARC_TO_POINT_SET_MAX_POINTS.");
  m.def(
      "arc_test_point",
      [](ArcArg arc, PointArg p, RealArg tolerance) {
        const TavArc& a = A(arc);
        const TavPoint q = toPoint(p, "p");
        return arcTestPoint(a, q, toReal(tolerance, "tolerance"));
      },
      py::arg("arc"), py::arg("p"), py::arg("tolerance"),
      "True if p lies within tolerance (inclusive) of the circle and in the angular range: the\n"
      "start belongs to the arc, the far end does not; a sweep of 0 contains nothing.");
  m.def(
      "arc_point_along",
      [](ArcArg arc, RealArg length) {
        const TavArc& a = A(arc);
        TavPoint out;
        arcPointAlong(a, toReal(length, "length"), &out);
        return fromPoint(out);
      },
      py::arg("arc"), py::arg("length"),
      "The point at arc length length (pixels) from the start in the arc's direction; lengths past\n"
      "either end continue around the circle. A zero radius gives (nan, nan).");
  m.def(
      "arc_to_point_set",
      [](ArcArg arc) {
        const TavArc& a = A(arc);
        std::vector<TavPoint> pts;
        {
          GilRelease release;
          arcToPointSet(a, &pts);
        }
        py::array_t<double> out = newPoints(pts.size());
        if (!pts.empty()) std::copy(pts.begin(), pts.end(), reinterpret_cast<TavPoint*>(out.mutable_data()));
        return out;
      },
      py::arg("arc"),
      "(N, 2) array with one point per pixel of arc length from the start, N = floor(|sweep| *\n"
      "radius) (the end excluded); empty below 1 or above ARC_TO_POINT_SET_MAX_POINTS.");
}

}  // namespace tgpy
