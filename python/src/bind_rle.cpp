// Region calculators and perimeter pixels. A calculator's run-length list comes
// back as a 1-D int32 array in the library's list format.
#include <TavGeometry/TavGeoRegion.h>
#include <TavGeometry/TavGeoRleCalc.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

namespace {

// A calculator with the arguments of its last call, so that it pickles as a
// calculator that has made that call. One calculator used from several threads
// takes its calls one at a time: every method holds the mutex, which is waited
// for with the GIL released (a thread holding the mutex may need the GIL back).
template <class Calc>
struct PyCalc {
  Calc calc;
  bool computed = false;
  int width = 0;
  int height = 0;
  std::vector<TavPoint> points;
  std::mutex mutex;
  std::atomic<std::thread::id> owner{};

  // The mutex, held until the returned guard ends.
  struct Held {
    std::unique_lock<std::mutex> lock;
    std::atomic<std::thread::id>* owner;
    Held(std::unique_lock<std::mutex> l, std::atomic<std::thread::id>* o) : lock(std::move(l)), owner(o) {
      owner->store(std::this_thread::get_id());
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() { owner->store(std::thread::id()); }
  };

  // A call made while this thread already holds the mutex (a finalizer or weakref
  // callback that the garbage collector runs while a method builds its Python
  // result) is refused: waiting would never end.
  Held hold() {
    if (owner.load() == std::this_thread::get_id())
      throw std::runtime_error("this calculator is already in a call on this thread (re-entered from a finalizer?)");
    std::unique_lock<std::mutex> lock(mutex, std::try_to_lock);
    if (!lock.owns_lock()) {
      // While the interpreter finalizes, the holder may be a thread parked for
      // good (GilRelease): waiting for it would keep the process from ending.
      if (finalizingHere())
        throw std::runtime_error("this calculator is held by a thread the interpreter stopped at its exit");
      GilRelease release;
      lock.lock();
    }
    return Held(std::move(lock), &owner);
  }

  void run(int w, int h, const TavPoint* p, std::size_t n) {
    const auto lock = hold();
    std::vector<TavPoint> copy(p, p + n);
    {
      GilRelease release;
      calc.calculate(w, h, copy.data(), static_cast<int>(copy.size()));
    }
    computed = true;
    width = w;
    height = h;
    points.swap(copy);
  }
};

}  // namespace
}  // namespace tgpy

namespace pybind11 {
namespace detail {
template <class Calc>
class type_caster<tgpy::PyCalc<Calc>> : public tgpy::CheckedCaster<tgpy::PyCalc<Calc>> {};
}  // namespace detail
}  // namespace pybind11

namespace tgpy {
namespace {

py::array_t<int32_t> intArray(const std::vector<int>& v) {
  py::array_t<int32_t> out(static_cast<py::ssize_t>(v.size()));
  if (!v.empty()) std::copy(v.begin(), v.end(), out.mutable_data());
  return out;
}

py::array_t<int32_t> perimeterArray(const std::vector<TavIPoint>& pts) {
  static_assert(sizeof(TavIPoint) == 2 * sizeof(int32_t), "TavIPoint must be two packed ints");
  py::array_t<int32_t> out({static_cast<py::ssize_t>(pts.size()), py::ssize_t(2)});
  if (!pts.empty()) std::copy(pts.begin(), pts.end(), reinterpret_cast<TavIPoint*>(out.mutable_data()));
  return out;
}

// Most perimeter points one call returns (512 MiB as int32 pairs). A list's
// outline can be far larger than its words: a run of extent e gives up to
// e + 2 points (its e + 1 pixels, an end twice when e is 0). perimeterBound is
// the sum of extent + 2 over the runs as the outline reads them when neither the
// first column nor the first row in the header is negative (then a negative
// word ends a record or the list); otherwise every non-negative word is taken
// as a possible extent. The bound counts every pixel, so it is far above the
// outline of any large region (a disk of radius 5000: 78.6 M against 28.7 k).
constexpr unsigned long long kMaxPerimeterPoints = 1ull << 26;

// The plain form: neither the first column nor the first row in the header is
// negative, so a negative word ends a record or the list.
bool plainForm(const std::vector<int>& list) { return list.size() >= 7 && list[2] >= 0 && list[4] >= 0; }

unsigned long long perimeterBound(const std::vector<int>& list) {
  const std::size_t n = list.size();
  unsigned long long bound = 0;
  if (n < 7) return 0;
  if (plainForm(list)) {
    std::size_t i = 6;
    while (i < n && list[i] >= 0) {  // a row
      ++i;
      while (i < n && list[i] >= 0) {  // a run: start, extent
        const int extent = i + 1 < n ? list[i + 1] : 0;
        bound += static_cast<unsigned long long>(extent > 0 ? extent : 0) + 2;
        i += 2;
      }
      ++i;  // the record's terminator
    }
    return bound;
  }
  for (int w : list)
    if (w >= 0) bound += static_cast<unsigned long long>(w) + 2;
  return bound;
}

// A list in the plain form (header words 2 and 4 not negative) is outlined
// whatever its bound: the library stops at kRleMaxPerimeterPoints, and every
// run it reads gives a point, so an empty outline of a list whose bound is over
// that limit is one the library refused. A list in the other form is refused
// up front when its bound is over the limit here, as an empty outline can then
// also mean that every record was passed over.
py::array_t<int32_t> perimeterOf(const std::vector<int>& list) {
  const unsigned long long bound = perimeterBound(list);
  const auto refuse = [](const std::string& size) {
    throwValue("the outline of this list holds " + size + " points; the limit is " +
               std::to_string(kMaxPerimeterPoints));
  };
  if (!plainForm(list) && bound > kMaxPerimeterPoints)
    throwValue("the outline of this list could hold up to " + std::to_string(bound) + " points (a bound from its "
               "words: it starts left of column 0 or above row 0, so it is not outlined first); the limit is " +
               std::to_string(kMaxPerimeterPoints) + "; Region.perimeter() outlines the region clipped to the canvas");
  std::vector<TavIPoint> pts;
  {
    GilRelease release;
    pts = CTavGeoRleCalc::calculatePerimiterPoints(list);
  }
  if (pts.size() > kMaxPerimeterPoints) refuse(std::to_string(pts.size()));
  if (pts.empty() && bound > kRleMaxPerimeterPoints) refuse("more than " + std::to_string(kRleMaxPerimeterPoints));
  return perimeterArray(pts);
}

template <class Calc>
void bindCalc(py::module_& m, const char* name, const char* doc, std::size_t minPoints) {
  using W = PyCalc<Calc>;
  py::class_<W> cls(m, name, doc);
  cls.def(py::init<>())
      .def(
          "calculate",
          [](W& self, IntArg width, IntArg height, ArrayArg points) -> W& {
            const int w = toInt(width, "width"), h = toInt(height, "height");
            Points p = toPoints(points, "points");
            if (p.n > 0x7fffffff) throwValue("points holds too many points");
            self.run(w, h, p.data, p.n);
            return self;
          },
          py::arg("width"), py::arg("height"), py::arg("points"), py::return_value_policy::reference_internal,
          "Computes the region of the (N, 2) points on a width x height image and returns self. A\n"
          "repeated identical call is answered from the cache.")
      .def_property_readonly(
          "rle",
          [](W& self) {
            const auto lock = self.hold();
            return intArray(self.calc.rle());
          },
          "The run-length list of the last computation as an int32 array: [width, height, first\n"
          "column, last column, first row, last row, then per row: row, (x, extent) pairs covering\n"
          "columns x .. x + extent, -1; then a final -1]. Empty before the first computation (and after\n"
          "a first call of width 0, height 0 and no points, which the fresh cache answers).")
      .def_property_readonly(
          "bounding_box",
          [](W& self) {
            const auto lock = self.hold();
            return self.calc.boundingBox();
          },
          "Pixel bounding box (Rect) of the last computed region.")
      .def(
          "region",
          [](W& self) {
            const auto lock = self.hold();
            return self.calc.region();
          },
          "The last result as a tavgeometry.Region on the width x height canvas (clipped to it),\n"
          "built from the calculator's runs without reading the list back.")
      .def(
          "to_mask",
          [](W& self) {
            const auto lock = self.hold();
            return regionToMask(self.calc.region());
          },
          "The last result painted as an (height, width) uint8 mask, 1 inside, clipped to the image.")
      .def(
          "perimeter_points",
          [](W& self) {
            const auto lock = self.hold();
            return perimeterOf(self.calc.rle());
          },
          "Boundary pixels of the last list as an (N, 2) int32 array of (x, y), in list order: both\n"
          "ends of every run of a record (runs that touch give their ends too) and the pixels between\n"
          "that the records above and below do not both cover. region().perimeter() outlines the merged runs.")
      .def("__repr__",
           [name](W& self) {
             const auto lock = self.hold();
             if (!self.computed) return std::string(name) + "()";
             return std::string(name) + "(width=" + std::to_string(self.width) + ", height=" +
                    std::to_string(self.height) + ", points=" + std::to_string(self.points.size()) + ")";
           })
      .def(py::pickle(
          [](W& self) -> py::tuple {
            const auto lock = self.hold();
            if (!self.computed) return py::make_tuple();
            py::array_t<double> pts = newPoints(self.points.size());
            if (!self.points.empty())
              std::copy(self.points.begin(), self.points.end(), reinterpret_cast<TavPoint*>(pts.mutable_data()));
            return py::make_tuple(self.width, self.height, pts);
          },
          [](py::tuple t) {
            auto w = std::make_unique<W>();
            if (t.size() == 3) {
              Points p = toPoints(t[2], "points");
              const std::pair<int, int> size = toPickledSize(t[0], t[1], "bad pickled calculator state");
              w->run(size.first, size.second, p.data, p.n);
            } else if (t.size() != 0) {
              throwValue("bad pickled calculator state");
            }
            return w;
          }))
      .def("__reduce__", &reduceByState);
  cls.attr("MIN_POINTS") = minPoints;
}

}  // namespace

void bindRle(py::module_& m) {
  m.attr("RLE_MAX_RADIUS") = kRleMaxRadius;
  m.attr("RLE_MAX_ROWS") = kRleMaxRows;
  m.def(
      "calculate_perimiter_points", [](ArrayArg rle) { return perimeterOf(toIntList(rle, "rle")); }, py::arg("rle"),
      "Boundary pixels of a run-length list (1-D integers) as an (N, 2) int32 array of (x, y) in\n"
      "list order: both end pixels of every run and each interior pixel that the record above or\n"
      "below leaves uncovered. Never reads past the list; shorter than 7 words gives no points.");
  bindCalc<CTavGeoRleCalcDisk>(m, "RleCalcDisk",
                               "Disk from points[0] (centre) and points[1] (a point on the rim), truncated toward\n"
                               "zero; rows and columns are not clipped to the image. Fewer than 2 points, a\n"
                               "non-finite centre or a radius above RLE_MAX_RADIUS give the empty list.",
                               2);
  bindCalc<CTavGeoRleCalcTorus>(m, "RleCalcTorus",
                                "Annulus from points[0] (centre) and one point on each circle (points[1], points[2],\n"
                                "either order). Rows inside the inner circle get two runs. Empty list as for the\n"
                                "disk (fewer than 3 points, etc.).",
                                3);
  bindCalc<CTavGeoRleCalcPolygon>(m, "RleCalcPolygon",
                                  "Closed polygon from the (N, 2) vertices (truncated toward zero), filled even-odd\n"
                                  "on rows 0 .. height - 1; columns are not clipped. No vertices or height <= 0:\n"
                                  "header and terminator only.",
                                  0);
}

}  // namespace tgpy
