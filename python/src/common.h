// Conversions shared by the binding sources: points as (x, y) sequences,
// point sets as (N, 2) float64 arrays, and the errors that name an argument.
#pragma once

#if defined(__GLIBCXX__)
#include <cxxabi.h>
#endif
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <TavGeometry/TavGeoRegion.h>
#include <TavGeometry/TavTypes.h>

#include <array>
#include <cstddef>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

namespace tgpy {

namespace py = pybind11;

// Arguments are taken as any Python object and converted by hand (toReal and
// the others below), so that an error names the argument. These object types
// accept anything, as py::handle does; they only give the signatures that
// help() shows the types the stubs declare, where py::handle shows "handle".
inline int anyObject(PyObject*) { return 1; }
#define TGPY_ARGUMENT_TYPES(X)                                     \
  X(RealArg, "float")                                              \
  X(IntArg, "int")                                                 \
  X(OptIntArg, "int | None")                                       \
  X(FlagArg, "bool")                                               \
  X(TextArg, "str")                                                \
  X(DictArg, "dict")                                               \
  X(PointArg, "tuple[float, float]")                               \
  X(ArrayArg, "numpy.typing.ArrayLike")                            \
  X(OptArrayArg, "numpy.typing.ArrayLike | None")                  \
  X(PointOrSetArg, "tuple[float, float] | numpy.typing.ArrayLike") \
  X(IntOrSetArg, "int | numpy.typing.ArrayLike")                   \
  X(LineArg, "tavgeometry.Line")                                   \
  X(CircleArg, "tavgeometry.Circle")                               \
  X(ArcArg, "tavgeometry.Arc")                                     \
  X(RectArg, "tavgeometry.Rect")                                   \
  X(RegionArg, "tavgeometry.Region")                               \
  X(RegionsArg, "typing.Iterable[tavgeometry.Region]")
#define TGPY_DECLARE_ARGUMENT(Name, Text)                \
  class Name : public py::object {                       \
   public:                                               \
    PYBIND11_OBJECT_DEFAULT(Name, py::object, anyObject) \
  };
TGPY_ARGUMENT_TYPES(TGPY_DECLARE_ARGUMENT)
#undef TGPY_DECLARE_ARGUMENT

}  // namespace tgpy

namespace pybind11 {
namespace detail {
#define TGPY_NAME_ARGUMENT(Name, Text)             \
  template <>                                      \
  struct handle_type_name<tgpy::Name> {            \
    static constexpr auto name = const_name(Text); \
  };
TGPY_ARGUMENT_TYPES(TGPY_NAME_ARGUMENT)
#undef TGPY_NAME_ARGUMENT
}  // namespace detail
}  // namespace pybind11

namespace tgpy {

// Notes the main thread, the one that finalizes the interpreter (at import).
void rememberMainThread();
// True while this thread finalizes the interpreter: every other thread that
// takes the GIL now is ended (or parked, below).
bool finalizingHere();
// Blocks this thread until the process ends.
[[noreturn]] void parkThread();

// Runs f. Once the interpreter finalizes, a daemon thread that takes the GIL
// back (in f, or in a call of f that lets it go) is ended by a forced unwind,
// which would release Python objects on its way without the GIL. It is caught
// where it begins and the thread parked, holding nothing of Python's, until the
// process ends; so f keeps its Python references as plain pointers.
template <class F>
auto parkIfEnded(F&& f) -> decltype(f()) {
#if defined(__GLIBCXX__)
  try {
    return f();
  } catch (abi::__forced_unwind&) {
    parkThread();
  }
#else
  return f();
#endif
}

// Releases the GIL for its scope, as py::gil_scoped_release does. Taking it
// back parks a daemon thread the finalizing interpreter would end (parkIfEnded):
// unwound, the call's Python objects would be released without the GIL (which
// aborted the process or corrupted the heap) through pybind11's noexcept guard.
class GilRelease {
 public:
  GilRelease() : m_state(PyEval_SaveThread()) {}
  ~GilRelease() noexcept(false) {
    parkIfEnded([this] { PyEval_RestoreThread(m_state); });
  }
  GilRelease(const GilRelease&) = delete;
  GilRelease& operator=(const GilRelease&) = delete;

 private:
  PyThreadState* m_state;
};

// callable(*args, **kwargs) for a numpy call that may let the GIL go (a ufunc
// or a cast over a large array): the arguments stay the caller's, and a daemon
// thread the finalizing interpreter ends inside the call is parked (parkIfEnded).
py::object callParked(py::handle callable, py::handle args, py::handle kwargs = py::handle());

// A C-contiguous (N, 2) float64 array is read in place as N TavPoint values.
static_assert(std::is_standard_layout<TavPoint>::value && sizeof(TavPoint) == 2 * sizeof(double),
              "TavPoint must be two packed doubles");

// Largest array the bindings allocate for a result (elements); larger requests
// are refused with ValueError instead of exhausting memory.
constexpr std::size_t kMaxResultElements = std::size_t(1) << 28;

// A str, bytes or bytearray, or a memoryview of bytes or bytearray: never read
// as numbers.
bool isText(PyObject* o);

[[noreturn]] void throwType(const char* name, const std::string& expected, py::handle got);
[[noreturn]] void throwValue(const std::string& message);

// A real number (int, float, numpy scalar, anything with __float__ but a str),
// else TypeError naming the argument.
double toReal(py::handle h, const char* name);

// A point from any sequence of two real numbers (tuple, list, 1-D array).
TavPoint toPoint(py::handle h, const char* name);
py::tuple fromPoint(const TavPoint& p);
py::tuple fromIPoint(const TavIPoint& p);

// A bound value object of type T, or TypeError naming the argument.
template <class T>
const T& toValue(py::handle h, const char* name, const char* typeName) {
  if (!py::isinstance<T>(h)) throwType(name, std::string("tavgeometry.") + typeName, h);
  return *py::cast<const T*>(h);
}

// A point set: an (N, 2) array of a real dtype or a nested sequence. A
// C-contiguous aligned float64 array is used without a copy; anything else is
// converted once. Object, complex, bool and string dtypes are a TypeError; a
// wrong shape is a ValueError naming the argument and the shape it has.
struct Points {
  py::array_t<double> array;  // keeps the data alive
  const TavPoint* data = nullptr;
  std::size_t n = 0;
};
Points toPoints(py::handle h, const char* name);

// True when h should be read as many points rather than one: an array or a
// sequence whose first element is itself a sequence.
bool isPointSet(py::handle h);

// An array argument as numpy reads it: None, a str, bytes or a scalar is a
// TypeError, numpy's own refusal (a ragged list) a ValueError, both naming the
// argument and what it must be (`expected`, e.g. "a 2-D array").
py::array arrayArgument(py::handle h, const char* name, const std::string& expected);

// An array's shape as Python writes it: "(3, 4)", "(2,)".
std::string shapeOf(const py::array& a);

// An int argument as a Python int, of any size (numpy ints and bool included,
// read through __index__); anything else, a float included, is a TypeError
// naming it.
py::int_ intArgument(py::handle h, const char* name);

// A count argument: a Python int >= 0 and <= limit, else ValueError/TypeError.
std::size_t toCount(py::handle h, const char* name, std::size_t limit);

// An int argument that fits in int32: TypeError for anything but an int (a
// float included), ValueError outside the range, both naming the argument.
int toInt(py::handle h, const char* name);

// A flag: what pybind11 reads as a bool (True, False, numpy bools, None as
// False, numbers by their truth; no array), else TypeError naming the argument.
bool toBool(py::handle h, const char* name);

// A pickled canvas size: two ints that fit in 32 bits, else ValueError(message).
std::pair<int, int> toPickledSize(py::handle width, py::handle height, const char* message);

// A list or tuple of Python ints only (numpy reads one of ints beyond 64 bits,
// or one mixing negative ints with ints above 2^63, as float64 or object).
bool isIntSequence(py::handle h);

// A run-length list: a 1-D sequence of integers that all fit in int32, else
// TypeError (not integers) or ValueError (shape, range) naming the argument.
std::vector<int> toIntList(py::handle h, const char* name);
// True for a list or tuple that holds a bool: numpy would read it among ints as
// 0 or 1, where a sequence of bools alone is refused by its dtype.
bool holdsBool(py::handle h);

// ValueError naming the argument when converting `a` would copy more than
// `limit` elements; called before a copy, so that a huge broadcast view is
// refused rather than allocated.
void refuseCopyOver(const py::array& a, const char* name, std::size_t limit);
// ValueError when a (long double) array holds a finite value beyond the range
// of double, as a scalar that large gives; arrays of other dtypes pass.
void refuseBeyondDouble(const py::array& a, const char* name);

// `a` as a C-contiguous array of T (converted when it is not one). The
// conversion fails only when its copy finds no memory (the callers check the
// dtype first): MemoryError, not the null array it gives back.
template <class T>
py::array_t<T, py::array::c_style | py::array::forcecast> ensureArray(py::handle a) {
  // numpy lets the GIL go while it casts a large array (parkIfEnded).
  auto out = parkIfEnded([a] { return py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(a); });
  if (!out) {
    PyErr_SetString(PyExc_MemoryError, "no memory to convert the array");
    throw py::error_already_set();
  }
  return out;
}

// __reduce__ of the pickled classes: (copyreg.__newobj__, (type,), state), so
// that every pickle protocol rebuilds the object through __setstate__ (protocols
// 0 and 1 otherwise take a path that cannot make these objects and aborts).
py::tuple reduceByState(py::handle self);

// A function of doubles bound with every argument read by toReal, so that a bad
// one is a TypeError naming it (pybind11's own conversion names none):
// defReal(m, "f", &f, "doc", "a", "b") for f(double a, double b).
template <class R, class... A, std::size_t... I>
auto realArgs(R (*f)(A...), std::array<const char*, sizeof...(A)> names, std::index_sequence<I...>) {
  return [f, names](std::conditional_t<true, RealArg, A>... h) { return f(toReal(h, names[I])...); };
}
template <class R, class... A, class... N>
void defReal(py::module_& m, const char* name, R (*f)(A...), const char* doc, N... names) {
  static_assert(sizeof...(A) == sizeof...(N), "one name per argument");
  m.def(name, realArgs(f, {names...}, std::index_sequence_for<A...>{}), py::arg(names)..., doc);
}

// A fresh (n, 2) float64 array, refused when n exceeds kMaxResultElements / 2.
py::array_t<double> newPoints(std::size_t n);

// The region painted as an (h, w) uint8 mask (ValueError when too large).
py::array_t<uint8_t> regionToMask(const NTavGeometry::CTavGeoRegion& r);

// An object made by Cls.__new__(Cls) and never initialised holds no C++ value;
// a method called on it would read raw storage. Every bound class loads its
// arguments (self included) through CheckedCaster, which refuses such an object
// with ValueError. __init__ and unpickling construct through their own path and
// are not affected.
// info caches the registered type of `type` (the GIL guards it).
bool isUnconstructed(py::handle h, const std::type_info& type, const py::detail::type_info*& info);
[[noreturn]] void throwUnconstructed(py::handle h);

template <class T>
class CheckedCaster : public py::detail::type_caster_base<T> {
 public:
  bool load(py::handle src, bool convert) {
    static const py::detail::type_info* info = nullptr;
    if (isUnconstructed(src, typeid(T), info)) throwUnconstructed(src);
    return py::detail::type_caster_base<T>::load(src, convert);
  }
};

// Module parts, one per family.
void bindTypes(py::module_& m);
void bindScalar(py::module_& m);
void bindPoint(py::module_& m);
void bindLine(py::module_& m);
void bindRect(py::module_& m);
void bindRotator(py::module_& m);
void bindCircle(py::module_& m);
void bindArc(py::module_& m);
void bindPolygon(py::module_& m);
void bindScan(py::module_& m);
void bindFit(py::module_& m);
void bindRle(py::module_& m);
void bindRegion(py::module_& m);
void bindLog(py::module_& m);
void bindBench(py::module_& m);

}  // namespace tgpy

// The checked caster for a bound type; used at namespace scope, before any
// binding of the type in the translation unit.
#define TGPY_CHECKED_CASTER(...)                                               \
  namespace pybind11 {                                                         \
  namespace detail {                                                           \
  template <>                                                                  \
  class type_caster<__VA_ARGS__> : public tgpy::CheckedCaster<__VA_ARGS__> {}; \
  }                                                                            \
  }

TGPY_CHECKED_CASTER(TavLine)
TGPY_CHECKED_CASTER(TavCircle)
TGPY_CHECKED_CASTER(TavArc)
TGPY_CHECKED_CASTER(TavRect)
TGPY_CHECKED_CASTER(NTavGeometry::CTavGeoRegion)
