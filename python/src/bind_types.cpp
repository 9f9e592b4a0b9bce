// Value classes: Line, Circle, Arc, Rect. Immutable, compared field by field,
// hashable, printed as the call that rebuilds them, pickled by their fields.
#include <cmath>

#include "common.h"

namespace tgpy {

namespace {

py::tuple fields(const TavLine& l) { return py::make_tuple(fromPoint(l.p1), fromPoint(l.p2)); }
py::tuple fields(const TavCircle& c) { return py::make_tuple(fromPoint(c.center), c.radius); }
py::tuple fields(const TavArc& a) {
  return py::make_tuple(fromPoint(a.center), a.radius, a.startAngle, a.sweepAngle);
}
py::tuple fields(const TavRect& r) { return py::make_tuple(r.x, r.y, r.width, r.height, r.angle); }

bool same(const TavPoint& a, const TavPoint& b) { return a.x == b.x && a.y == b.y; }
bool same(const TavLine& a, const TavLine& b) { return same(a.p1, b.p1) && same(a.p2, b.p2); }
bool same(const TavCircle& a, const TavCircle& b) { return same(a.center, b.center) && a.radius == b.radius; }
bool same(const TavArc& a, const TavArc& b) {
  return same(a.center, b.center) && a.radius == b.radius && a.startAngle == b.startAngle &&
         a.sweepAngle == b.sweepAngle;
}
bool same(const TavRect& a, const TavRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.angle == b.angle;
}

// The fields with every NaN as None: a float NaN hashes by the identity of its
// object, and each call makes new float objects, so a value holding a NaN had a
// new hash on every call (lost in a set or dict it was put in). Such a value
// equals nothing, so any fixed hash serves.
py::object stableFields(py::handle value) {
  if (PyFloat_Check(value.ptr())) {
    if (std::isnan(PyFloat_AS_DOUBLE(value.ptr()))) return py::none();
    return py::reinterpret_borrow<py::object>(value);
  }
  if (!PyTuple_Check(value.ptr())) return py::reinterpret_borrow<py::object>(value);
  const py::tuple t = py::reinterpret_borrow<py::tuple>(value);
  py::tuple out(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) out[i] = stableFields(t[i]);
  return std::move(out);
}

template <class T>
py::tuple argsOf(py::handle self) {
  return fields(*py::cast<const T*>(self));
}

template <class T, class Cls>
void addValueProtocol(Cls& cls, const char* name) {
  const std::string prefix = std::string(name);
  cls.def("__eq__", [](const T& a, py::object b) -> py::object {
       if (!py::isinstance<T>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
       return py::bool_(same(a, *py::cast<const T*>(b)));
     })
      .def("__ne__", [](const T& a, py::object b) -> py::object {
        if (!py::isinstance<T>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
        return py::bool_(!same(a, *py::cast<const T*>(b)));
      })
      .def("__hash__", [](py::handle self) { return py::hash(stableFields(argsOf<T>(self))); })
      .def("__repr__", [prefix](py::handle self) {
        std::string args = py::repr(argsOf<T>(self)).template cast<std::string>();
        return prefix + args;
      })
      .def(py::pickle([](py::handle self) { return argsOf<T>(self); },
                      [prefix](py::tuple t) {
                        try {
                          return py::type::of<T>()(*t).template cast<T>();
                        } catch (py::error_already_set& e) {  // the wrong number of fields, say
                          if (!e.matches(PyExc_TypeError) && !e.matches(PyExc_ValueError)) throw;
                          throwValue("bad pickled " + prefix);
                        }
                      }))
      .def("__reduce__", &reduceByState);
}

}  // namespace

void bindTypes(py::module_& m) {
  py::class_<TavLine> line(m, "Line",
                           "A directed segment p1 -> p2; most functions use the infinite line through it.\n"
                           "Points are (x, y) tuples in pixels (x to the right, y downward).");
  line.def(py::init([](PointArg p1, PointArg p2) { return TavLine(toPoint(p1, "p1"), toPoint(p2, "p2")); }),
           py::arg("p1"), py::arg("p2"))
      .def_property_readonly("p1", [](const TavLine& l) { return fromPoint(l.p1); }, "First end point (x, y).")
      .def_property_readonly("p2", [](const TavLine& l) { return fromPoint(l.p2); }, "Second end point (x, y).");
  addValueProtocol<TavLine>(line, "Line");

  py::class_<TavCircle> circle(m, "Circle", "A circle: centre (x, y) and radius in pixels.");
  circle
      .def(py::init([](PointArg c, RealArg r) { return TavCircle(toPoint(c, "center"), toReal(r, "radius")); }),
           py::arg("center"), py::arg("radius"))
      .def_property_readonly("center", [](const TavCircle& c) { return fromPoint(c.center); }, "Centre (x, y).")
      .def_property_readonly("radius", [](const TavCircle& c) { return c.radius; }, "Radius in pixels.");
  addValueProtocol<TavCircle>(circle, "Circle");

  py::class_<TavArc> arc(m, "Arc",
                         "The points center + radius * (cos a, sin a) for a from start_angle to\n"
                         "start_angle + sweep_angle (radians; positive turns +x toward +y, clockwise on\n"
                         "screen). A negative sweep runs toward decreasing angles.");
  arc.def(py::init([](PointArg c, RealArg r, RealArg start, RealArg sweep) {
            return TavArc(toPoint(c, "center"), toReal(r, "radius"), toReal(start, "start_angle"),
                          toReal(sweep, "sweep_angle"));
          }),
          py::arg("center"), py::arg("radius"), py::arg("start_angle"), py::arg("sweep_angle"))
      .def_property_readonly("center", [](const TavArc& a) { return fromPoint(a.center); }, "Centre (x, y).")
      .def_property_readonly("radius", [](const TavArc& a) { return a.radius; }, "Radius in pixels.")
      .def_property_readonly("start_angle", [](const TavArc& a) { return a.startAngle; }, "Start angle, radians.")
      .def_property_readonly("sweep_angle", [](const TavArc& a) { return a.sweepAngle; }, "Signed sweep, radians.");
  addValueProtocol<TavArc>(arc, "Arc");

  py::class_<TavRect> rect(m, "Rect",
                           "A rectangle covering x <= px <= x + width, y <= py <= y + height (edges\n"
                           "included), turned by angle radians about its centre (0: axis-aligned).\n"
                           "Boxes the library computes are pixel boxes: integral x, y and\n"
                           "width = last column - first column + 1.");
  rect.def(py::init([](RealArg x, RealArg y, RealArg w, RealArg h, RealArg angle) {
             return TavRect(toReal(x, "x"), toReal(y, "y"), toReal(w, "width"), toReal(h, "height"),
                            toReal(angle, "angle"));
           }),
           py::arg("x"), py::arg("y"), py::arg("width"), py::arg("height"), py::arg("angle") = 0.0)
      .def_property_readonly("x", [](const TavRect& r) { return r.x; }, "Left edge (smallest x), pixels.")
      .def_property_readonly("y", [](const TavRect& r) { return r.y; }, "Top edge (smallest y), pixels.")
      .def_property_readonly("width", [](const TavRect& r) { return r.width; }, "Extent along x, pixels.")
      .def_property_readonly("height", [](const TavRect& r) { return r.height; }, "Extent along y, pixels.")
      .def_property_readonly("angle", [](const TavRect& r) { return r.angle; },
                             "Rotation about the centre, radians (positive turns +x toward +y).");
  addValueProtocol<TavRect>(rect, "Rect");
}

}  // namespace tgpy
