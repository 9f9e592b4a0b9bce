// Polygon area and even-odd containment.
#include <TavGeometry/TavGeoPolygon.h>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

namespace {
unsigned int vertexCount(const Points& v) {
  if (v.n > 0xffffffffu) throwValue("vertices holds too many points");
  return static_cast<unsigned int>(v.n);
}
}  // namespace

void bindPolygon(py::module_& m) {
  m.def(
      "polygon_area",
      [](ArrayArg vertices) {
        Points v = toPoints(vertices, "vertices");
        const unsigned int n = vertexCount(v);
        GilRelease release;
        return polygonArea(v.data, n);
      },
      py::arg("vertices"),
      "Unsigned shoelace area of the closed polygon (N, 2), square pixels; fewer than 3 vertices\n"
      "give 0.");
  m.def(
      "polygon_is_point_inside",
      [](ArrayArg vertices, PointOrSetArg p) -> py::object {
        // p first: telling and reading a point may run Python code (__len__,
        // __float__), which must not run once the vertices are read in place.
        if (!isPointSet(p)) {
          const TavPoint one = toPoint(p, "p");
          Points v = toPoints(vertices, "vertices");
          return py::bool_(polygonIsPointInside(v.data, vertexCount(v), one));
        }
        Points q = toPoints(p, "p");
        Points v = toPoints(vertices, "vertices");
        const unsigned int n = vertexCount(v);
        py::array_t<bool> out(static_cast<py::ssize_t>(q.n));
        bool* o = out.mutable_data();
        {
          GilRelease release;
          for (std::size_t i = 0; i < q.n; ++i) o[i] = polygonIsPointInside(v.data, n, q.data[i]);
        }
        return std::move(out);
      },
      py::arg("vertices"), py::arg("p"),
      "Even-odd test along the ray toward +x: of an axis-aligned rectangle the edges of smaller x\n"
      "and y are inside, those of larger x and y outside. p is one point -> bool, or an (N, 2) array\n"
      "-> bool array.");
}

}  // namespace tgpy
