// Clipping of an infinite line against a rectangle.
#include <TavGeometry/TavGeoRect.h>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

void bindRect(py::module_& m) {
  m.def(
      "line_rect_intersection",
      [](LineArg line, RectArg rect) -> py::object {
        TavPoint a, b;
        if (!lineRectIntersection(toValue<TavLine>(line, "line", "Line"), toValue<TavRect>(rect, "rect", "Rect"), &a,
                                  &b))
          return py::none();
        return py::make_tuple(fromPoint(a), fromPoint(b));
      },
      py::arg("line"), py::arg("rect"),
      "The two crossings ((x, y), (x, y)) of the infinite line with the rectangle's border, in edge\n"
      "order (top, right, bottom, left); crossings up to one unit outside count. None when fewer\n"
      "than two crossings count.");
}

}  // namespace tgpy
