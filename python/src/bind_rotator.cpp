// Rotators: a fixed centre and angle, turning one point or an (N, 2) array.
#include <TavGeometry/TavRotator.h>

#include <cmath>
#include <cstring>
#include <string>

#include "common.h"

TGPY_CHECKED_CASTER(NTavGeometry::CTavRotator)
TGPY_CHECKED_CASTER(NTavGeometry::CTavRotatorF)

namespace tgpy {

using namespace NTavGeometry;

namespace {

template <class R, class T>
py::object rotateAny(const R& live, PointOrSetArg p) {
  // A copy: another thread may set the rotator while this one runs without the GIL.
  const R r = live;
  if (!isPointSet(p)) {
    const TavPoint q = toPoint(p, "p");
    T x = static_cast<T>(q.x);
    T y = static_cast<T>(q.y);
    r.rotate(&x, &y);
    return py::make_tuple(static_cast<double>(x), static_cast<double>(y));
  }
  Points pts = toPoints(p, "p");
  if (pts.n > kMaxResultElements / 2) throwValue("p holds too many points");
  py::array_t<T> out({static_cast<py::ssize_t>(pts.n), py::ssize_t(2)});
  T* o = out.mutable_data();
  const double* in = pts.n ? pts.array.data() : nullptr;
  {
    GilRelease release;
    for (std::size_t i = 0; i < pts.n; ++i) {
      T x = static_cast<T>(in[2 * i]);
      T y = static_cast<T>(in[2 * i + 1]);
      r.rotate(&x, &y);
      o[2 * i] = x;
      o[2 * i + 1] = y;
    }
  }
  return std::move(out);
}

// False for a finite value that T (float32) would turn into an infinity.
template <class T>
bool keepsFinite(double d) {
  return !std::isfinite(d) || std::isfinite(static_cast<T>(d));
}

template <class R, class T>
void bindOne(py::module_& m, const char* name, const char* doc, const char* dtype) {
  py::class_<R> cls(m, name, doc);
  const auto real = [](RealArg v, const char* argName) {
    const double d = toReal(v, argName);
    if (!keepsFinite<T>(d))
      throwValue(std::string(argName) + " = " + py::repr(v).cast<std::string>() + " is beyond the range of float32");
    return static_cast<T>(d);
  };
  cls.def(py::init([real](RealArg x, RealArg y, RealArg a) {
            return R(real(x, "x"), real(y, "y"), real(a, "a"));
          }),
          py::arg("x") = T(0), py::arg("y") = T(0), py::arg("a") = T(0))
      .def(
          "set",
          [real](R& r, RealArg x, RealArg y, RealArg a) {
            r.set(real(x, "x"), real(y, "y"), real(a, "a"));
          },
          py::arg("x"), py::arg("y"), py::arg("a"), "Replaces centre and angle.")
      .def(
          "set_angle", [real](R& r, RealArg a) { r.setAngle(real(a, "a")); }, py::arg("a"),
          "Replaces the angle only (radians).")
      .def("rotate", &rotateAny<R, T>, py::arg("p"),
           (std::string("p turned about the centre: a point (x, y) gives a tuple, an (N, 2) array a new (N, 2) ") +
            dtype + " array. Positive angles turn +x toward +y.")
               .c_str())
      .def_property_readonly("x", &R::x, "Centre x.")
      .def_property_readonly("y", &R::y, "Centre y.")
      .def_property_readonly("a", &R::a, "Angle, radians.")
      .def("__eq__",
           [](const R& a, py::object b) -> py::object {
             if (!py::isinstance<R>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
             const R& o = *py::cast<const R*>(b);
             return py::bool_(a.x() == o.x() && a.y() == o.y() && a.a() == o.a());
           })
      .def("__repr__",
           [name](const R& r) {
             return std::string(name) + py::repr(py::make_tuple(double(r.x()), double(r.y()), double(r.a())))
                                            .cast<std::string>();
           })
      .def(py::pickle([](const R& r) { return py::make_tuple(r.x(), r.y(), r.a()); },
                      [](py::tuple t) {
                        // Through the constructor, which reads each value as a real
                        // number (no complex, no array) within the type's range.
                        if (t.size() != 3) throwValue("bad pickled rotator");
                        try {
                          return py::type::of<R>()(*t).template cast<R>();
                        } catch (py::error_already_set& e) {
                          if (!e.matches(PyExc_TypeError) && !e.matches(PyExc_ValueError)) throw;
                          throwValue("bad pickled rotator");
                        }
                      }))
      .def("__reduce__", &reduceByState);
  cls.attr("__hash__") = py::none();
}

}  // namespace

void bindRotator(py::module_& m) {
  bindOne<CTavRotator, double>(m, "Rotator",
                               "Turns points about a fixed centre (x, y) by a fixed angle a (radians) in double\n"
                               "precision.",
                               "float64");
  bindOne<CTavRotatorF, float>(m, "RotatorF",
                               "Single-precision rotator: coordinates, centre and angle are float32; products\n"
                               "and sums are formed in double, results stored as float32.",
                               "float32");
}

}  // namespace tgpy
