#include "common.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <thread>

namespace tgpy {

std::string shapeOf(const py::array& a) {
  std::ostringstream s;
  s << "(";
  for (py::ssize_t i = 0; i < a.ndim(); ++i) s << (i ? ", " : "") << a.shape(i);
  s << (a.ndim() == 1 ? ",)" : ")");
  return s.str();
}

namespace {
unsigned long g_mainThread = 0;
}

void rememberMainThread() {
  g_mainThread = py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();
}

bool finalizingHere() {
#if PY_VERSION_HEX >= 0x030D0000
  const bool finalizing = Py_IsFinalizing() != 0;
#else
  const bool finalizing = _Py_IsFinalizing() != 0;
#endif
  return finalizing && PyThread_get_thread_ident() == g_mainThread;
}

void parkThread() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

py::object callParked(py::handle callable, py::handle args, py::handle kwargs) {
  PyObject* const result =
      parkIfEnded([&] { return PyObject_Call(callable.ptr(), args.ptr(), kwargs ? kwargs.ptr() : nullptr); });
  if (result == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(result);
}

namespace {

std::string typeNameOf(py::handle h) {
  return py::str(py::type::handle_of(h).attr("__name__")).cast<std::string>();
}

// A numpy scalar or 0-d array of a complex (or other non-real) dtype: its
// __float__ drops the imaginary part with only a warning.
bool hasNonRealDtype(PyObject* o) {
  py::object dtype = py::getattr(py::handle(o), "dtype", py::none());
  if (dtype.is_none()) return false;
  py::object kind = py::getattr(dtype, "kind", py::none());
  if (!PyUnicode_Check(kind.ptr())) return false;
  const std::string k = kind.cast<std::string>();
  return k != "f" && k != "i" && k != "u" && k != "b";
}

bool readReal(PyObject* o, double* out, const char* name) {
  if (PyFloat_Check(o)) {
    *out = PyFloat_AS_DOUBLE(o);
    return true;
  }
  if (isText(o) || PyComplex_Check(o) || (!PyLong_Check(o) && hasNonRealDtype(o))) return false;
  // An array of one element is no number (numpy's float() of it is deprecated).
  if (py::isinstance<py::array>(o) && py::reinterpret_borrow<py::array>(o).ndim() > 0) return false;
  const double v = PyFloat_AsDouble(o);
  if (v == -1.0 && PyErr_Occurred()) {
    // Only "not a number" is this argument's fault; an interrupt or a failed
    // allocation inside __float__ goes on as it is.
    if (PyErr_ExceptionMatches(PyExc_OverflowError)) {
      PyErr_Clear();
      throw py::value_error(std::string(name) + " holds a number too large for a double");
    }
    if (!PyErr_ExceptionMatches(PyExc_TypeError) && !PyErr_ExceptionMatches(PyExc_ValueError))
      throw py::error_already_set();
    PyErr_Clear();
    return false;
  }
  // A finite value beyond the range of double (a numpy longdouble) comes back
  // from __float__ as an infinity; an infinite one compares equal to it.
  if (std::isinf(v) && PyObject_RichCompareBool(o, py::float_(v).ptr(), Py_EQ) == 0)
    throw py::value_error(std::string(name) + " holds a number too large for a double");
  if (PyErr_Occurred()) throw py::error_already_set();
  *out = v;
  return true;
}

}  // namespace

bool isText(PyObject* o) {
  // A memoryview of bytes is the same characters as the bytes themselves.
  if (PyMemoryView_Check(o) && PyMemoryView_GET_BUFFER(o)->obj != nullptr) o = PyMemoryView_GET_BUFFER(o)->obj;
  return PyUnicode_Check(o) || PyBytes_Check(o) || PyByteArray_Check(o);
}

void throwType(const char* name, const std::string& expected, py::handle got) {
  throw py::type_error(std::string(name) + " must be " + expected + ", got " + typeNameOf(got));
}

void throwValue(const std::string& message) { throw py::value_error(message); }

bool toBool(py::handle h, const char* name) {
  // True and False (numpy's too), or an integer 0 or 1. Not None, a float, an
  // array or any other object with a truth value: None had read as False, so
  // to_coco(compressed=None) gave the list form.
  py::detail::make_caster<bool> caster;
  if (caster.load(h, false)) return static_cast<bool>(caster);
  if (!PyFloat_Check(h.ptr()) && !py::isinstance<py::array>(h) && PyIndex_Check(h.ptr())) {
    const py::int_ v = intArgument(h, name);
    if (v.equal(py::int_(0))) return false;
    if (v.equal(py::int_(1))) return true;
  }
  throwType(name, "a bool", h);
}

bool isUnconstructed(py::handle h, const std::type_info& type, const py::detail::type_info*& info) {
  if (!info) info = py::detail::get_type_info(type);
  if (!info || !h || !PyObject_TypeCheck(h.ptr(), info->type)) return false;
  const auto vh = reinterpret_cast<py::detail::instance*>(h.ptr())->get_value_and_holder(info, false);
  // (value_and_holder converts to true only once storage exists, which an
  // unconstructed object gets lazily on its first load: test inst instead.)
  return vh.inst != nullptr && !vh.holder_constructed();
}

void throwUnconstructed(py::handle h) {
  throw py::value_error("this " + std::string(py::str(py::type::handle_of(h).attr("__qualname__"))) +
                        " was made by __new__ and never initialised; construct it by calling the class");
}

double toReal(py::handle h, const char* name) {
  double v = 0.0;
  if (!readReal(h.ptr(), &v, name)) throwType(name, "a real number", h);
  return v;
}

TavPoint toPoint(py::handle h, const char* name) {
  PyObject* o = h.ptr();
  double x = 0.0;
  double y = 0.0;
  if (PyTuple_Check(o) && PyTuple_GET_SIZE(o) == 2) {
    if (readReal(PyTuple_GET_ITEM(o, 0), &x, name) && readReal(PyTuple_GET_ITEM(o, 1), &y, name))
      return TavPoint(x, y);
    throwType(name, "a point (x, y) of two real numbers", h);
  }
  if (isText(o) || !PySequence_Check(o)) {
    throwType(name, "a point (x, y) of two real numbers", h);
  }
  const Py_ssize_t len = PySequence_Size(o);
  if (len < 0) {
    PyErr_Clear();
    throwType(name, "a point (x, y) of two real numbers", h);
  }
  if (len != 2) {
    throw py::value_error(std::string(name) + " must be a point (x, y) of two numbers, got a sequence of length " +
                          std::to_string(len));
  }
  py::object ox = py::reinterpret_steal<py::object>(PySequence_GetItem(o, 0));
  py::object oy = py::reinterpret_steal<py::object>(PySequence_GetItem(o, 1));
  if (!ox || !oy || !readReal(ox.ptr(), &x, name) || !readReal(oy.ptr(), &y, name)) {
    PyErr_Clear();
    throwType(name, "a point (x, y) of two real numbers", h);
  }
  return TavPoint(x, y);
}

py::tuple fromPoint(const TavPoint& p) { return py::make_tuple(p.x, p.y); }
py::tuple fromIPoint(const TavIPoint& p) { return py::make_tuple(p.x, p.y); }

Points toPoints(py::handle h, const char* name) {
  py::array arr;
  if (py::isinstance<py::array>(h)) {
    arr = py::reinterpret_borrow<py::array>(h);
  } else {
    if (isText(h.ptr())) throwType(name, "an (N, 2) array of points", h);
    try {
      arr = py::module_::import("numpy").attr("asarray")(h);
    } catch (py::error_already_set& e) {
      throw py::value_error(std::string(name) + " must be an (N, 2) array of points: " + e.what());
    }
  }
  const char kind = arr.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u') {
    throw py::type_error(std::string(name) + " must be an (N, 2) array of real numbers, got dtype " +
                         py::str(arr.dtype()).cast<std::string>());
  }
  const bool empty1d = arr.ndim() == 1 && arr.size() == 0;
  if (!empty1d && (arr.ndim() != 2 || arr.shape(1) != 2)) {
    throw py::value_error(std::string(name) + " must have shape (N, 2), got " + shapeOf(arr));
  }
  Points out;
  const bool aligned = (py::detail::array_proxy(arr.ptr())->flags & py::detail::npy_api::NPY_ARRAY_ALIGNED_) != 0;
  if (!empty1d && aligned && py::array_t<double, py::array::c_style>::check_(arr)) {
    out.array = py::reinterpret_borrow<py::array_t<double>>(arr);
  } else {
    refuseCopyOver(arr, name, kMaxResultElements);
    refuseBeyondDouble(arr, name);
    // numpy lets the GIL go while it casts a large array, so the cast may
    // end a daemon thread at the interpreter's exit (parkIfEnded).
    using api = py::detail::npy_api;
    PyObject* const copy = parkIfEnded([&arr]() -> PyObject* {
      PyObject* const descr = api::get().PyArray_DescrFromType_(api::NPY_DOUBLE_);  // stolen by the call
      return descr ? api::get().PyArray_FromAny_(arr.ptr(), descr, 0, 0,
                                                 api::NPY_ARRAY_C_CONTIGUOUS_ | api::NPY_ARRAY_ALIGNED_ |
                                                     api::NPY_ARRAY_FORCECAST_ | api::NPY_ARRAY_ENSUREARRAY_,
                                                 nullptr)
                   : nullptr;
    });
    if (copy == nullptr) throw py::error_already_set();
    out.array = py::reinterpret_steal<py::array_t<double>>(copy);
  }
  out.n = empty1d ? 0 : static_cast<std::size_t>(arr.shape(0));
  out.data = out.n ? reinterpret_cast<const TavPoint*>(out.array.data()) : nullptr;
  return out;
}

bool isPointSet(py::handle h) {
  if (py::isinstance<py::array>(h)) {
    py::array a = py::reinterpret_borrow<py::array>(h);
    return a.ndim() != 1 || a.size() == 0;
  }
  PyObject* o = h.ptr();
  if ((PyList_Check(o) || PyTuple_Check(o))) {
    const Py_ssize_t len = PySequence_Size(o);
    if (len == 0) return true;
    PyObject* first = PyList_Check(o) ? PyList_GET_ITEM(o, 0) : PyTuple_GET_ITEM(o, 0);
    // A 0-d array passes as a sequence but is one number: (array(3.0), array(4.0)) is a point.
    if (py::isinstance<py::array>(first) && py::reinterpret_borrow<py::array>(first).ndim() == 0) return false;
    return PySequence_Check(first) && !isText(first);
  }
  return false;
}

py::array arrayArgument(py::handle h, const char* name, const std::string& expected) {
  if (h.is_none() || isText(h.ptr())) throwType(name, expected, h);
  py::array a;
  if (Py_TYPE(h.ptr()) == py::detail::npy_api::get().PyArray_Type_) {
    // An ndarray itself is what asarray would give back (a subclass is turned
    // into a plain array by it).
    a = py::reinterpret_borrow<py::array>(h);
  } else {
    try {
      a = py::module_::import("numpy").attr("asarray")(h);
    } catch (py::error_already_set& e) {  // a ragged nested list, say
      if (!e.matches(PyExc_ValueError) && !e.matches(PyExc_TypeError)) throw;
      throw py::value_error(std::string(name) + " must be " + expected + ": " + e.what());
    }
  }
  if (a.ndim() == 0) throwType(name, expected, h);
  return a;
}

py::int_ intArgument(py::handle h, const char* name) {
  if (PyFloat_Check(h.ptr()) || !PyIndex_Check(h.ptr())) throwType(name, "an int", h);
  py::int_ v = py::reinterpret_steal<py::int_>(PyNumber_Index(h.ptr()));
  if (!v) {
    // numpy's refusal of an array that is no scalar index names no argument
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw py::error_already_set();
    PyErr_Clear();
    throwType(name, "an int", h);
  }
  return v;
}

std::size_t toCount(py::handle h, const char* name, std::size_t limit) {
  py::int_ v = intArgument(h, name);
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(v.ptr(), &overflow);
  if (overflow < 0 || (overflow == 0 && value < 0)) {
    throw py::value_error(std::string(name) + " must be >= 0, got " + py::str(v).cast<std::string>());
  }
  if (overflow > 0 || static_cast<unsigned long long>(value) > limit) {
    throw py::value_error(std::string(name) + " must be at most " + std::to_string(limit) + ", got " +
                          py::str(v).cast<std::string>());
  }
  return static_cast<std::size_t>(value);
}

int toInt(py::handle h, const char* name) {
  py::int_ v = intArgument(h, name);
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(v.ptr(), &overflow);
  if (overflow != 0 || value < INT32_MIN || value > INT32_MAX) {
    throw py::value_error(std::string(name) + " must fit in 32 bits (-2147483648 .. 2147483647), got " +
                          py::str(v).cast<std::string>());
  }
  return static_cast<int>(value);
}

std::pair<int, int> toPickledSize(py::handle width, py::handle height, const char* message) {
  try {
    return {toInt(width, "width"), toInt(height, "height")};
  } catch (const std::exception&) {
    throwValue(message);
  }
}

void refuseCopyOver(const py::array& a, const char* name, std::size_t limit) {
  if (static_cast<std::size_t>(a.size()) > limit)
    throwValue(std::string(name) + " holds " + std::to_string(a.size()) + " values, more than the " +
               std::to_string(limit) + " accepted");
}

void refuseBeyondDouble(const py::array& a, const char* name) {
  if (a.dtype().kind() != 'f' || a.dtype().itemsize() <= 8) return;
  // numpy's cast turns such a value into an infinity with only a warning (an
  // error under -W error); the cast here, made only to look, warns of nothing.
  const py::module_ np = py::module_::import("numpy");
  const py::object quiet = np.attr("errstate")(py::arg("over") = "ignore");
  quiet.attr("__enter__")();
  py::object wide;
  try {
    const py::object cast = callParked(a.attr("astype"), py::make_tuple("float64"));
    const py::object inf = callParked(np.attr("isinf"), py::make_tuple(cast));
    wide = callParked(np.attr("logical_and"), py::make_tuple(inf, callParked(np.attr("isfinite"), py::make_tuple(a))));
  } catch (...) {
    quiet.attr("__exit__")(py::none(), py::none(), py::none());
    throw;
  }
  quiet.attr("__exit__")(py::none(), py::none(), py::none());
  if (callParked(np.attr("any"), py::make_tuple(wide)).cast<bool>()) throwValue(std::string(name) + " holds a number too large for a double");
}

py::tuple reduceByState(py::handle self) {
  const py::handle type = py::type::handle_of(self);
  py::object state = self.attr("__getstate__")();
  // A Python subclass's own attributes travel too, as the pickle's state: pickle
  // and copy apply it once the object is made and recorded, so an attribute
  // that leads back to the object finds it (in the arguments it would be made
  // anew, without attributes).
  py::object attrs = py::getattr(self, "__dict__", py::none());
  if (!attrs.is_none() && py::len(attrs) > 0)
    return py::make_tuple(py::module_::import("tavgeometry").attr("_rebuild_subclass"), py::make_tuple(type, state),
                          py::dict(attrs));
  return py::make_tuple(py::module_::import("copyreg").attr("__newobj__"), py::make_tuple(type), state);
}

py::array_t<double> newPoints(std::size_t n) {
  if (n > kMaxResultElements / 2) throwValue("result of " + std::to_string(n) + " points is too large");
  return py::array_t<double>({static_cast<py::ssize_t>(n), py::ssize_t(2)});
}

bool isIntSequence(py::handle h) {
  if (!PyList_Check(h.ptr()) && !PyTuple_Check(h.ptr())) return false;
  for (py::handle item : py::reinterpret_borrow<py::sequence>(h))
    if (!PyLong_Check(item.ptr()) || PyBool_Check(item.ptr())) return false;  // bools are ints to Python
  return true;
}

bool holdsBool(py::handle h) {
  if (!PyList_Check(h.ptr()) && !PyTuple_Check(h.ptr())) return false;
  for (py::handle item : py::reinterpret_borrow<py::sequence>(h))
    if (PyBool_Check(item.ptr())) return true;
  return false;
}

// A run-length list from Python: a 1-D sequence of integers that fit in int32.
std::vector<int> toIntList(py::handle h, const char* name) {
  if (holdsBool(h)) throw py::type_error(std::string(name) + " must hold integers, not bools");
  py::array arr;
  try {
    arr = py::module_::import("numpy").attr("asarray")(h);
  } catch (py::error_already_set& e) {
    throw py::value_error(std::string(name) + " must be a 1-D sequence of integers: " + e.what());
  }
  const char kind = arr.dtype().kind();
  if (kind != 'i' && kind != 'u' && !(arr.size() == 0 && kind == 'f')) {
    if (isIntSequence(h)) throw py::value_error(std::string(name) + " holds a word outside int32");
    throw py::type_error(std::string(name) + " must hold integers, got dtype " +
                         py::str(arr.dtype()).cast<std::string>());
  }
  if (arr.ndim() != 1) throw py::value_error(std::string(name) + " must be 1-D");
  refuseCopyOver(arr, name, kMaxResultElements);
  auto i64 = ensureArray<int64_t>(arr);
  std::vector<int> out(static_cast<std::size_t>(i64.size()));
  const int64_t* d = i64.data();
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (d[i] < INT32_MIN || d[i] > INT32_MAX) throw py::value_error(std::string(name) + " holds a word outside int32");
    out[i] = static_cast<int>(d[i]);
  }
  if (kind == 'u') {  // uint64 values above INT64_MAX wrapped in the cast: check the source too
    auto u = ensureArray<uint64_t>(arr);
    for (py::ssize_t i = 0; i < u.size(); ++i)
      if (u.data()[i] > uint64_t(INT32_MAX)) throw py::value_error(std::string(name) + " holds a word outside int32");
  }
  return out;
}

}  // namespace tgpy
