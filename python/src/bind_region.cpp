// Regions: tg.Region, a run-length region on a width x height canvas, with its
// conversions (masks, run-length lists, COCO RLE), measurements and algebra.
// Refused inputs raise ValueError (the library's region error is an
// invalid_argument, which the bindings turn into ValueError).
#include <TavGeometry/TavGeoRegion.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;
using Region = CTavGeoRegion;

namespace {

// f() with the GIL released: every call here costs at least the region's runs.
template <class F>
auto released(F f) -> decltype(f()) {
  GilRelease release;
  return f();
}

// The same for a call whose work is a pass over `runs` runs: below
// kRunsToRelease that pass costs about what releasing and taking back the GIL
// does (0.1 to 0.2 us), so it is made with the GIL held.
constexpr size_t kRunsToRelease = 1024;
template <class F>
auto releasedFor(size_t runs, F f) -> decltype(f()) {
  return runs < kRunsToRelease ? f() : released(f);
}

py::array_t<int32_t> runsArray(const Region& r) {
  static_assert(sizeof(TavRun) == 3 * sizeof(int32_t), "TavRun must be three packed ints");
  const auto& runs = r.runs();
  py::array_t<int32_t> out({static_cast<py::ssize_t>(runs.size()), py::ssize_t(3)});
  if (!runs.empty()) std::copy(runs.begin(), runs.end(), reinterpret_cast<TavRun*>(out.mutable_data()));
  return out;
}

Region fromMask(ArrayArg mask) {
  py::array a = arrayArgument(mask, "mask", "a 2-D array");
  if (a.ndim() != 2)
    throw py::value_error("mask must be a 2-D array, got " + std::to_string(a.ndim()) +
                          (a.ndim() == 1 ? " dimension" : " dimensions"));
  const char kind = a.dtype().kind();
  if (kind != 'b' && kind != 'i' && kind != 'u' && kind != 'f')
    throw py::type_error("mask must be a numeric or bool array, got dtype " + py::str(a.dtype()).cast<std::string>());
  if (a.shape(0) > INT32_MAX || a.shape(1) > INT32_MAX) throw py::value_error("mask is too large");
  Region(static_cast<int>(a.shape(1)), static_cast<int>(a.shape(0)));  // refuses a canvas beyond the limits
  const bool bytes = a.itemsize() == 1 && (kind == 'b' || kind == 'u' || kind == 'i');
  const int w = static_cast<int>(a.shape(1)), h = static_cast<int>(a.shape(0));
  // A fresh array of 0 and 1 bytes of the band of rows y0 .. y1 - 1, in C
  // order (the ufunc alone keeps a Fortran-order input's layout) or in order.
  const auto zeroOne = [&](py::ssize_t y0, py::ssize_t y1, const char* order = "C") -> py::array {
    py::object band = y0 == 0 && y1 == h ? py::object(a) : a.attr("__getitem__")(py::slice(y0, y1, 1));
    py::dict options;
    options["order"] = order;
    return callParked(py::module_::import("numpy").attr("not_equal"), py::make_tuple(band, 0), options)
        .attr("view")("uint8");
  };
  // A large mask (a broadcast view can be of any size) is copied a band at a
  // time, so the copy never holds more than kMaskBand bytes.
  constexpr py::ssize_t kMaskBand = py::ssize_t(1) << 26;
  // A mask whose columns lie in memory one after another (Fortran order, a
  // transposed view, a COCO decoder's output) is read column by column, as
  // rows of its transpose, and the runs transposed back: copying it into rows
  // would cost many times the reading.
  const auto columns = [&](const py::array& m) {
    const py::ssize_t item = m.itemsize();
    return m.strides(0) == item && m.strides(1) >= m.shape(0) * item && m.shape(0) > 1 && m.shape(1) > 1;
  };
  if (!bytes && columns(a) && a.size() <= kMaskBand) a = zeroOne(0, h, "F");
  if (a.itemsize() == 1 && columns(a)) {
    const uint8_t* data = static_cast<const uint8_t*>(a.data());
    const ptrdiff_t stride = a.strides(1);
    try {
      return released([&] { return Region::fromMask(data, h, w, stride).transposed(); });
    } catch (const CTavGeoRegionError&) {
      // More column runs than the run limit allows; the rows may hold fewer,
      // so the mask is read by rows below, which refuses it only if they do.
    }
  }
  if (!bytes || a.strides(1) != 1 || a.strides(0) < a.shape(1)) {
    if (a.size() <= kMaskBand) {
      a = zeroOne(0, h);
    } else {
      const py::ssize_t rows = std::max<py::ssize_t>(1, kMaskBand / w);
      std::vector<TavRun> runs;
      for (py::ssize_t y0 = 0; y0 < h; y0 += rows) {
        const py::ssize_t y1 = std::min<py::ssize_t>(h, y0 + rows);
        const py::array band = zeroOne(y0, y1);
        const uint8_t* data = static_cast<const uint8_t*>(band.data());
        const Region part = released([&] { return Region::fromMask(data, w, static_cast<int>(y1 - y0), w); });
        if (static_cast<int64_t>(runs.size() + part.runCount()) > kRegionMaxRuns)
          throwValue("mask: more than the limit of " + std::to_string(kRegionMaxRuns) + " runs");
        for (const TavRun& r : part.runs()) runs.push_back(TavRun{r.y + static_cast<int>(y0), r.x0, r.x1});
      }
      return released([&] { return Region::fromRuns(w, h, std::move(runs)); });
    }
  }
  const uint8_t* data = static_cast<const uint8_t*>(a.data());
  const ptrdiff_t stride = a.shape(0) > 1 ? a.strides(0) : w;
  return released([&] { return Region::fromMask(w && h ? data : nullptr, w, h, stride); });
}

}  // namespace

py::array_t<uint8_t> regionToMask(const Region& r) {
  if (static_cast<std::size_t>(r.width()) * static_cast<std::size_t>(r.height()) > kMaxResultElements)
    throwValue("to_mask: a mask of " + std::to_string(r.width()) + " x " + std::to_string(r.height()) +
               " has more than 2^28 pixels (the limit); clip() the region to the part wanted, or keep it as a "
               "region or its to_coco() record");
  py::array_t<uint8_t> out({static_cast<py::ssize_t>(r.height()), static_cast<py::ssize_t>(r.width())});
  if (r.width() > 0 && r.height() > 0) {
    uint8_t* d = out.mutable_data();
    GilRelease release;
    r.toMask(d, r.width(), 1);
  }
  return out;
}

namespace {

py::dict toCoco(const Region& r, FlagArg compressedArg) {
  const bool compressed = toBool(compressedArg, "compressed");
  py::dict d;
  d["size"] = py::list(py::make_tuple(r.height(), r.width()));
  if (compressed) {
    d["counts"] = py::bytes(released([&] { return r.toCocoString(); }));
  } else {
    TavCocoRle c = released([&] { return r.toCoco(); });
    py::list counts(c.counts.size());
    for (size_t i = 0; i < c.counts.size(); ++i) {
      PyObject* v = PyLong_FromLongLong(c.counts[i]);
      if (v == nullptr) throw py::error_already_set();
      PyList_SET_ITEM(counts.ptr(), static_cast<Py_ssize_t>(i), v);
    }
    d["counts"] = counts;
  }
  return d;
}

Region fromCoco(DictArg rec) {
  py::dict d;
  if (PyDict_Check(rec.ptr())) {
    d = py::reinterpret_borrow<py::dict>(rec);
  } else if (py::isinstance(rec, py::module_::import("collections.abc").attr("Mapping"))) {
    d = py::dict(rec);  // a read-only or other mapping, read as a dict
  } else {
    throwType("rle", "a dict {'size': [h, w], 'counts': ...}", rec);
  }
  if (!d.contains("size") || !d.contains("counts")) throwValue("rle must have the keys 'size' and 'counts'");
  py::object size = d["size"];
  if (!PySequence_Check(size.ptr()) || isText(size.ptr()))
    throwType("rle['size']", "a sequence [height, width]", size);
  const Py_ssize_t sizeLength = PySequence_Size(size.ptr());  // -1 for a 0-d array
  if (sizeLength < 0) PyErr_Clear();
  if (sizeLength != 2) throwValue("rle['size'] must be [height, width]");
  const int h = toInt(size[py::int_(0)], "rle['size'][0] (height)");
  const int w = toInt(size[py::int_(1)], "rle['size'][1] (width)");
  if (h < 0 || w < 0) throwValue("rle['size'] must not be negative");
  py::object counts = d["counts"];
  // A memoryview could hold text or integers; numpy would read it as integers.
  if (PyMemoryView_Check(counts.ptr())) throwType("rle['counts']", "bytes, str or a list of integers", counts);
  if (py::isinstance<py::bytes>(counts) || PyByteArray_Check(counts.ptr()) || py::isinstance<py::str>(counts)) {
    std::string s;
    if (PyByteArray_Check(counts.ptr())) {
      s.assign(PyByteArray_AS_STRING(counts.ptr()), static_cast<size_t>(PyByteArray_GET_SIZE(counts.ptr())));
    } else if (py::isinstance<py::bytes>(counts)) {
      s = counts.cast<std::string>();
    } else {
      Py_ssize_t n = 0;
      const char* u = PyUnicode_AsUTF8AndSize(counts.ptr(), &n);
      if (u == nullptr) {
        PyErr_Clear();
        throwValue("rle['counts'] is a str that cannot be encoded as UTF-8");
      }
      s.assign(u, static_cast<size_t>(n));
    }
    return released([&] { return Region::fromCocoString(h, w, s); });
  }
  TavCocoRle c;
  c.height = h;
  c.width = w;
  // A list or tuple of Python ints, as JSON gives them, is read directly;
  // anything else (numpy arrays, other sequences, other items) through numpy.
  if (PyList_CheckExact(counts.ptr()) || PyTuple_CheckExact(counts.ptr())) {
    const py::sequence items = py::reinterpret_borrow<py::sequence>(counts);
    const Py_ssize_t n = PySequence_Fast_GET_SIZE(items.ptr());
    PyObject** item = PySequence_Fast_ITEMS(items.ptr());
    bool ints = static_cast<std::size_t>(n) <= kMaxResultElements;
    for (Py_ssize_t i = 0; ints && i < n; ++i) ints = PyLong_CheckExact(item[i]);
    if (ints) {
      c.counts.resize(static_cast<size_t>(n));
      for (Py_ssize_t i = 0; i < n; ++i) {
        int overflow = 0;
        c.counts[static_cast<size_t>(i)] = PyLong_AsLongLongAndOverflow(item[i], &overflow);
        if (overflow != 0) throwValue("rle['counts'] holds a count beyond 64 bits");
      }
      return released([&] { return Region::fromCoco(c); });
    }
  }
  const char* const kNotBools = "rle['counts'] must be bytes, str or a list of integers, not of bools";
  if (holdsBool(counts)) throw py::type_error(kNotBools);
  py::array a;
  try {
    a = py::module_::import("numpy").attr("asarray")(counts);
  } catch (py::error_already_set&) {
    throw py::type_error("rle['counts'] must be bytes, str or a list of integers");
  }
  // Before any pass over the values: a broadcast view can hold 2^40 of them.
  refuseCopyOver(a, "rle['counts']", kMaxResultElements);
  const char kind = a.dtype().kind();
  if (kind == 'O' && a.ndim() == 1) {  // Python ints, some perhaps beyond 64 bits
    for (py::ssize_t i = 0; i < a.size(); ++i) {
      py::object item = a[py::int_(i)];
      if (PyBool_Check(item.ptr())) throw py::type_error(kNotBools);
      if (!PyLong_Check(item.ptr())) throw py::type_error("rle['counts'] must be bytes, str or a list of integers");
      int overflow = 0;
      const long long value = PyLong_AsLongLongAndOverflow(item.ptr(), &overflow);
      if (overflow != 0) throwValue("rle['counts'] holds a count beyond 64 bits");
      c.counts.push_back(value);
    }
    return released([&] { return Region::fromCoco(c); });
  }
  if (kind == 'b') throw py::type_error(kNotBools);
  if (kind == 'u' && a.size() && py::int_(a.attr("max")()).cast<uint64_t>() > uint64_t{INT64_MAX})
    throwValue("rle['counts'] holds a count beyond 64 bits");
  if (a.ndim() != 1 || (a.size() && kind != 'i' && kind != 'u')) {
    if (isIntSequence(counts)) throwValue("rle['counts'] holds a count beyond 64 bits");
    throw py::type_error("rle['counts'] must be bytes, str or a list of integers");
  }
  auto v = ensureArray<int64_t>(a);
  c.counts.assign(v.data(), v.data() + v.size());
  return released([&] { return Region::fromCoco(c); });
}

const Region& R(py::handle h, const char* name) { return toValue<Region>(h, name, "Region"); }

// A boolean operation of two regions. An operand of another type gives
// NotImplemented, as Python's operators expect, so that Python tries that
// operand's reflected operation and otherwise raises a TypeError naming both
// types. A numpy array is refused here instead: its reflected operation would
// be numpy's elementwise one on the region's mask, where region - mask wraps
// around to 255.
template <class Op>
py::object booleanOp(const Region& a, py::handle b, Op op) {
  if (py::isinstance<py::array>(b))
    throwType("other", "a tavgeometry.Region (Region.from_mask(mask) makes one of a mask)", b);
  if (!py::isinstance<Region>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
  const Region& o = R(b, "other");
  return py::cast(releasedFor(a.runCount() + o.runCount(), [&] { return op(a, o); }));
}

// The regions of an iterable (not a text, nor a region itself), each checked so
// that an error names name[i]. References to them go into held, so that they
// outlive a release of the GIL whatever happens to the iterable meanwhile.
std::vector<const Region*> regionList(py::handle items, const char* name, std::vector<py::object>* held) {
  if (isText(items.ptr()) || py::isinstance<Region>(items) || !py::isinstance<py::iterable>(items))
    throwType(name, "an iterable of tavgeometry.Region", items);
  std::vector<const Region*> out;
  for (py::handle item : py::iter(items)) {
    if (!py::isinstance<Region>(item)) {
      const std::string at = std::string(name) + "[" + std::to_string(out.size()) + "]";
      throwType(at.c_str(), "a tavgeometry.Region", item);
    }
    held->push_back(py::reinterpret_borrow<py::object>(item));
    out.push_back(&R(item, name));
  }
  return out;
}

// The crowd flags of iou_matrix: None for none, else one bool, or integer 0 or
// 1, for each of the n regions (COCO's iscrowd field holds 0 or 1).
std::vector<bool> crowdFlags(py::handle h, size_t n) {
  std::vector<bool> out(n, false);
  if (h.is_none()) return out;
  const py::array a = arrayArgument(h, "iscrowd", "a 1-D sequence of flags");
  if (a.ndim() != 1 || static_cast<size_t>(a.shape(0)) != n)
    throwValue("iscrowd must hold one flag for each of the " + std::to_string(n) + " regions of b, not shape " +
               shapeOf(a));
  if (n == 0) return out;
  const char kind = a.dtype().kind();
  if (kind != 'b' && kind != 'i' && kind != 'u') throwType("iscrowd", "bools or the ints 0 and 1", h);
  const auto read = [&](auto flags) {
    for (size_t j = 0; j < n; ++j) {
      const auto v = flags.data()[j];
      if (v != 0 && v != 1) throwValue("iscrowd[" + std::to_string(j) + "] is " + std::to_string(v) + ", not 0 or 1");
      out[j] = v == 1;
    }
  };
  if (kind == 'u')
    read(ensureArray<uint64_t>(a));
  else
    read(ensureArray<int64_t>(a));
  return out;
}

// The moments as Python names them, in one order for moments and
// component_stats, and their values in that order.
constexpr int kMomentCount = 14;
const char* const kMomentNames[kMomentCount] = {"m00",  "m10",  "m01",  "m20",  "m11",  "m02",         "mu20",
                                                "mu11", "mu02", "nu20", "nu11", "nu02", "orientation", "eccentricity"};
void momentValues(const TavRegionMoments& m, double* out) {
  const double values[kMomentCount] = {m.m00,  m.m10,  m.m01,  m.m20,  m.m11,  m.m02,         m.mu20,
                                       m.mu11, m.mu02, m.nu20, m.nu11, m.nu02, m.orientation, m.eccentricity};
  std::copy(values, values + kMomentCount, out);
}

// componentStats as columns: one 1-D array per measurement, filled in one pass
// over the parts.
py::dict componentStats(const Region& a, IntArg connectivity) {
  const int c = toInt(connectivity, "connectivity");
  const std::vector<TavRegionPartStats> stats = released([&] { return a.componentStats(c); });
  const py::ssize_t n = static_cast<py::ssize_t>(stats.size());
  constexpr int kReals = 2 + kMomentCount;
  const char* const ints[5] = {"area", "bbox_x", "bbox_y", "bbox_width", "bbox_height"};
  const char* reals[kReals] = {"centroid_x", "centroid_y"};
  std::copy(kMomentNames, kMomentNames + kMomentCount, reals + 2);
  py::dict out;
  int64_t* i64[5];
  double* f64[kReals];
  for (int j = 0; j < 5; ++j) {
    py::array_t<int64_t> col(n);
    i64[j] = col.mutable_data();
    out[ints[j]] = col;
  }
  for (int j = 0; j < kReals; ++j) {
    py::array_t<double> col(n);
    f64[j] = col.mutable_data();
    out[reals[j]] = col;
  }
  for (size_t k = 0; k < stats.size(); ++k) {
    const TavRegionPartStats& s = stats[k];
    const int64_t iv[5] = {s.area, s.box.x, s.box.y, s.box.width, s.box.height};
    double fv[kReals] = {s.centroid.x, s.centroid.y};
    momentValues(s.moments, fv + 2);
    for (int j = 0; j < 5; ++j) i64[j][k] = iv[j];
    for (int j = 0; j < kReals; ++j) f64[j][k] = fv[j];
  }
  return out;
}

py::dict momentsDict(const Region& r) {
  const TavRegionMoments m = releasedFor(r.runCount(), [&] { return r.moments(); });
  // The keys are made once (interned, kept for the process's life).
  static PyObject* keys[kMomentCount] = {};
  static bool made = false;
  for (int i = 0; !made && i < kMomentCount; ++i) {
    if ((keys[i] = PyUnicode_InternFromString(kMomentNames[i])) == nullptr) throw py::error_already_set();
    made = i == kMomentCount - 1;
  }
  double values[kMomentCount];
  momentValues(m, values);
  py::dict d;
  for (int i = 0; i < kMomentCount; ++i) {
    const py::object v = py::reinterpret_steal<py::object>(PyFloat_FromDouble(values[i]));
    if (!v || PyDict_SetItem(d.ptr(), keys[i], v.ptr()) != 0) throw py::error_already_set();
  }
  return d;
}

int radiusOf(IntArg r) { return static_cast<int>(toCount(r, "r", kRegionMaxSide)); }

// The element's shape: the str 'disk' or 'square'.
bool isDisk(TextArg shape) {
  if (!PyUnicode_Check(shape.ptr())) throwType("shape", "'square' or 'disk'", shape);
  const std::string s = shape.cast<std::string>();
  if (s != "square" && s != "disk") throwValue("shape must be 'square' or 'disk', got '" + s + "'");
  return s == "disk";
}

// The element's operation that shape names, square or disk, the GIL released.
Region byElement(const Region& a, IntArg r, TextArg shape, Region (Region::*square)(int) const,
                 Region (Region::*disk)(int) const) {
  const int rr = radiusOf(r);
  const auto op = isDisk(shape) ? disk : square;
  return released([&] { return (a.*op)(rr); });
}

// A pickled region: (width, height, runs) exactly as __getstate__ gives them,
// the runs an (N, 3) integer array sorted, merged and inside the canvas; any
// other state is refused, not repaired.
Region fromState(const py::tuple& t) {
  const char* bad = "bad pickled region";
  if (t.size() != 3) throwValue(bad);
  const std::pair<int, int> size = toPickledSize(t[0], t[1], bad);
  py::array raw;
  try {
    raw = py::module_::import("numpy").attr("asarray")(t[2]);
  } catch (py::error_already_set&) {
    throwValue(bad);
  }
  const char kind = raw.dtype().kind();
  if ((kind != 'i' && kind != 'u') || raw.ndim() != 2 || raw.shape(1) != 3) throwValue(bad);
  refuseCopyOver(raw, "the pickled runs", kMaxResultElements);  // before ravel() copies a strided view
  // integers within int32, three to a run (the list reader's checks)
  const std::vector<int> words = toIntList(raw.attr("ravel")(), "the pickled runs");
  std::vector<TavRun> runs(words.size() / 3);
  for (std::size_t i = 0; i < runs.size(); ++i) runs[i] = TavRun{words[3 * i], words[3 * i + 1], words[3 * i + 2]};
  Region r = Region::fromRuns(size.first, size.second, runs);
  if (r.runs() != runs) throwValue(std::string(bad) + ": runs not sorted, merged and inside the canvas");
  return r;
}

}  // namespace

void bindRegion(py::module_& m) {
  m.attr("REGION_MAX_SIDE") = kRegionMaxSide;
  m.attr("REGION_MAX_PIXELS") = kRegionMaxPixels;
  m.attr("REGION_MAX_RUNS") = kRegionMaxRuns;
  m.attr("REGION_MAX_IOU_PAIRS") = kRegionMaxIouPairs;
  py::class_<Region> cls(m, "Region",
                         "A set of pixels on a width x height canvas held as sorted, merged horizontal runs.\n"
                         "Pixel (x, y) is column x, row y. Operations with two regions need the same canvas\n"
                         "(ValueError otherwise); results are clipped to the canvas.");
  cls.def(py::init([](IntArg w, IntArg h) { return Region(toInt(w, "width"), toInt(h, "height")); }),
          py::arg("width") = 0, py::arg("height") = 0, "The empty region on the canvas.")
      .def_static("full",
                  [](IntArg w, IntArg h) { return Region::full(toInt(w, "width"), toInt(h, "height")); },
                  py::arg("width"), py::arg("height"), "The whole canvas.")
      .def_static("from_mask", &fromMask, py::arg("mask"),
                  "From any 2-D array of shape (h, w): nonzero is inside. A uint8 or bool array whose rows\n"
                  "are contiguous is read in place.")
      .def("to_mask", &regionToMask, "(h, w) uint8 array, 1 inside and 0 outside.")
      .def_static("from_rle", [](ArrayArg l) {
            std::vector<int> v = toIntList(l, "rle");
            return released([&] { return Region::fromRle(v); });
          }, py::arg("rle"),
          "From a run-length list in the calculators' format (runs merged, clipped to the canvas in\n"
          "header words 0 and 1); a malformed list raises ValueError naming what is wrong. With a\n"
          "negative header word 2 a later run from column -1 whose extent equals the next row reads\n"
          "as the record's end: for a calculator's own result use its region(), which is exact.")
      .def("to_rle", [](const Region& r) {
            std::vector<int> v = released([&] { return r.toRle(); });
            py::array_t<int32_t> out(static_cast<py::ssize_t>(v.size()));
            if (!v.empty()) std::copy(v.begin(), v.end(), out.mutable_data());
            return out;
          }, "The run-length list as a 1-D int32 array.")
      .def_static("from_coco", &fromCoco, py::arg("rle"),
                  "From a COCO RLE dict {'size': [h, w], 'counts': ...}: counts as bytes, bytearray or str\n"
                  "(compressed) or a list of integers (column-major, starting with background).")
      .def("to_coco", &toCoco, py::arg("compressed") = true,
           "The COCO RLE dict: {'size': [h, w], 'counts': bytes} (compressed, as COCO tools write it)\n"
           "or, with compressed=False, counts as a list of integers.")
      .def_static("from_pixels", [](IntArg width, IntArg height, ArrayArg pixels) {
            const int w = toInt(width, "width"), h = toInt(height, "height");
            Points p = toPoints(pixels, "pixels");
            std::vector<TavIPoint> px(p.n);
            for (std::size_t i = 0; i < p.n; ++i) {
              const double x = p.data[i].x, y = p.data[i].y;
              if (!(x >= INT32_MIN && x <= INT32_MAX && y >= INT32_MIN && y <= INT32_MAX) || x != static_cast<int>(x) ||
                  y != static_cast<int>(y))
                throwValue("pixels must hold integer coordinates (within int32), got (" + py::repr(py::float_(x))
                               .cast<std::string>() + ", " + py::repr(py::float_(y)).cast<std::string>() + ")");
              px[i] = TavIPoint(static_cast<int>(x), static_cast<int>(y));
            }
            return released([&] { return Region::fromPixels(w, h, px); });
          }, py::arg("width"), py::arg("height"), py::arg("pixels"),
          "From an (N, 2) array of integer (x, y); duplicates allowed, a pixel outside the canvas\n"
          "raises ValueError.")
      .def_property_readonly("width", &Region::width, "Canvas width (columns).")
      .def_property_readonly("height", &Region::height, "Canvas height (rows).")
      .def_property_readonly("runs", &runsArray,
                             "(N, 3) int32 array of runs (y, x0, x1): pixels x0 <= x < x1 of row y.")
      .def_property_readonly(
          "area", [](const Region& r) { return releasedFor(r.runCount(), [&] { return r.area(); }); },
          "Number of pixels.")
      .def_property_readonly("bbox", [](const Region& r) {
            const TavRegionBox b = releasedFor(r.runCount(), [&] { return r.bbox(); });
            return py::make_tuple(b.x, b.y, b.width, b.height);
          }, "(x, y, width, height) of the pixels, as COCO's bbox; (0, 0, 0, 0) when empty.")
      .def_property_readonly("centroid", [](const Region& r) {
            return fromPoint(releasedFor(r.runCount(), [&] { return r.centroid(); }));
          }, "(x, y) mean of the pixels; (nan, nan) when empty.")
      .def_property_readonly("moments", &momentsDict,
                             "Image moments m00 .. m02, central mu20, mu11, mu02, normalised nu20, nu11, nu02,\n"
                             "orientation (radians, major axis from +x toward +y) and eccentricity; of an empty\n"
                             "region the raw moments are 0 and the rest NaN.")
      .def("perimeter", [](const Region& r) {
            const std::vector<TavIPoint> p = released([&] { return r.perimeterPoints(); });
            py::array_t<int32_t> out({static_cast<py::ssize_t>(p.size()), py::ssize_t(2)});
            if (!p.empty()) std::copy(p.begin(), p.end(), reinterpret_cast<TavIPoint*>(out.mutable_data()));
            return out;
          }, "Outline pixels as an (N, 2) int32 array of (x, y), row-major: both ends of every run (a\n"
             "one-pixel run twice) and the pixels between with no region pixel above or none below.")
      .def("contains", [](const Region& r, IntOrSetArg x, OptIntArg y) -> py::object {
            // The pixel holding (px, py), tested where it lies on the canvas (NaN nowhere).
            const auto at = [&r](double px, double py_) {
              px = std::floor(px), py_ = std::floor(py_);
              return px >= 0 && py_ >= 0 && px < r.width() && py_ < r.height() &&
                     r.contains(static_cast<int>(px), static_cast<int>(py_));
            };
            if (!y.is_none()) {
              const py::int_ ix = intArgument(x, "x"), iy = intArgument(y, "y");
              int ox = 0, oy = 0;
              const long long px = PyLong_AsLongLongAndOverflow(ix.ptr(), &ox);
              const long long py_ = PyLong_AsLongLongAndOverflow(iy.ptr(), &oy);
              if (ox || oy) return py::bool_(false);  // far outside any canvas
              // (as doubles: exact within any canvas, and beyond 2^53 outside it still)
              return py::bool_(at(static_cast<double>(px), static_cast<double>(py_)));
            }
            if (!isPointSet(x)) {  // one point (x, y), floored as an array's points are
              const TavPoint q = toPoint(x, "x");
              return py::bool_(at(q.x, q.y));
            }
            Points p = toPoints(x, "x");
            py::array_t<bool> out(static_cast<py::ssize_t>(p.n));
            bool* o = out.mutable_data();
            {
              GilRelease release;
              for (std::size_t i = 0; i < p.n; ++i) o[i] = at(p.data[i].x, p.data[i].y);
            }
            return std::move(out);
          }, py::arg("x"), py::arg("y") = py::none(),
          "contains(x, y) -> bool for one pixel (ints); contains((x, y)) -> bool for one point and\n"
          "contains(points) -> bool array for an (N, 2) array of (x, y), not numpy's (row, column) of\n"
          "np.argwhere (coordinates floored to the pixel).")
      .def("__or__", [](const Region& a, RegionArg b) {
            return booleanOp(a, b, [](const Region& x, const Region& y) { return x | y; });
          })
      .def("__and__", [](const Region& a, RegionArg b) {
            return booleanOp(a, b, [](const Region& x, const Region& y) { return x & y; });
          })
      .def("__sub__", [](const Region& a, RegionArg b) {
            return booleanOp(a, b, [](const Region& x, const Region& y) { return x - y; });
          })
      .def("__xor__", [](const Region& a, RegionArg b) {
            return booleanOp(a, b, [](const Region& x, const Region& y) { return x ^ y; });
          })
      .def("iou", [](const Region& a, RegionArg b) {
            const Region& o = R(b, "other");
            return releasedFor(a.runCount() + o.runCount(), [&] { return a.iou(o); });
          }, py::arg("other"), "Intersection over union, without building the intersection; 0 for two empty regions.")
      .def_static("iou_matrix", [](RegionsArg first, RegionsArg second, OptArrayArg iscrowd) {
            std::vector<py::object> held;
            const std::vector<const Region*> a = regionList(first, "a", &held), b = regionList(second, "b", &held);
            const std::vector<bool> crowd = crowdFlags(iscrowd, b.size());
            // The array is the matrix's own memory (a copy would double the
            // peak: 4 GiB for the largest matrix), freed with the array.
            auto m = std::make_unique<std::vector<double>>(released([&] { return Region::iouMatrix(a, b, crowd); }));
            const double* data = m->data();
            py::capsule owner(m.get(), [](void* p) { delete static_cast<std::vector<double>*>(p); });
            m.release();  // the capsule holds it now
            return py::array_t<double>({static_cast<py::ssize_t>(a.size()), static_cast<py::ssize_t>(b.size())}, data,
                                       owner);
          }, py::arg("a"), py::arg("b"), py::arg("iscrowd") = py::none(),
          "IoU of every region of a with every region of b, a (len(a), len(b)) float64 array: entry [i, j]\n"
          "is a[i].iou(b[j]). Pairs whose boxes do not meet cost no walk; one call, the GIL released once.\n"
          "iscrowd, one flag (bool, or 0 or 1) for each region of b, scores crowd regions as COCO evaluation\n"
          "does: where iscrowd[j], entry [i, j] is (a[i] & b[j]).area / a[i].area (0 for an empty a[i]).")
      .def_static("union_all", [](RegionsArg regions) {
            std::vector<py::object> held;
            const std::vector<const Region*> all = regionList(regions, "regions", &held);
            if (all.empty()) throwValue("regions is empty: the result needs a canvas (start from Region(w, h))");
            size_t runs = 0;
            for (const Region* r : all) runs += r->runCount();
            return releasedFor(runs, [&] { return Region::unionOf(all); });
          }, py::arg("regions"),
          "The union of an iterable of regions on one canvas, in O(runs x log(count)) (a loop of | takes\n"
          "O(runs x count)). An empty iterable is a ValueError: there is no canvas to give the result.")
      .def("transpose", [](const Region& a) { return released([&] { return a.transposed(); }); },
           "The region mirrored about the diagonal, on a canvas of height x width: to_mask() of it is\n"
           "to_mask().T.")
      .def("complement", [](const Region& a) { return released([&] { return a.complement(); }); },
           "The canvas pixels not in the region.")
      .def("__invert__", [](const Region& a) { return releasedFor(a.runCount(), [&] { return a.complement(); }); },
           "~r: r.complement().")
      .def("translate", [](const Region& a, IntArg dx, IntArg dy) {
            const int x = toInt(dx, "dx"), y = toInt(dy, "dy");
            return released([&] { return a.translate(x, y); });
          },
           py::arg("dx"), py::arg("dy"), "Shifted by (dx, dy), clipped to the canvas.")
      .def("clip", [](const Region& a, IntArg x, IntArg y, IntArg width, IntArg height) {
            const TavRegionBox box{toInt(x, "x"), toInt(y, "y"), toInt(width, "width"), toInt(height, "height")};
            return released([&] { return a.clip(box); });
          }, py::arg("x"), py::arg("y"), py::arg("width"), py::arg("height"), "The part inside the rectangle.")
      .def("crop", [](const Region& a, IntArg x, IntArg y, IntArg width, IntArg height) {
            const TavRegionBox box{toInt(x, "x"), toInt(y, "y"), toInt(width, "width"), toInt(height, "height")};
            return releasedFor(a.runCount(), [&] { return a.crop(box); });
          }, py::arg("x"), py::arg("y"), py::arg("width"), py::arg("height"),
          "The part inside the rectangle as a region on a canvas of width x height with its origin at\n"
          "(x, y): r.crop(*r.bbox).to_mask() is the mask of the region's box only.")
      .def("dilate", [](const Region& a, IntArg r, TextArg shape) {
            return byElement(a, r, shape, &Region::dilateSquare, &Region::dilateDisk);
          }, py::arg("r"), py::arg("shape") = "square",
          "Dilation by a square (|dx|, |dy| <= r) or disk (dx^2 + dy^2 <= r^2) element, clipped to the canvas.\n"
          "r must be an int >= 0 (0: unchanged).")
      .def("erode", [](const Region& a, IntArg r, TextArg shape) {
            return byElement(a, r, shape, &Region::erodeSquare, &Region::erodeDisk);
          }, py::arg("r"), py::arg("shape") = "square",
          "Erosion by the same elements; pixels outside the canvas count as outside.")
      .def("closing", [](const Region& a, IntArg r, TextArg shape) {
            return byElement(a, r, shape, &Region::closingSquare, &Region::closingDisk);
          }, py::arg("r"), py::arg("shape") = "square",
          "Dilation, then erosion with pixels outside the canvas counted as inside: the result holds the\n"
          "region, as skimage.morphology.binary_closing and cv2.morphologyEx(MORPH_CLOSE) give it.")
      .def("opening", [](const Region& a, IntArg r, TextArg shape) {
            return byElement(a, r, shape, &Region::openingSquare, &Region::openingDisk);
          }, py::arg("r"), py::arg("shape") = "square",
          "Erosion with pixels outside the canvas counted as inside, then dilation: as\n"
          "skimage.morphology.binary_opening and cv2.morphologyEx(MORPH_OPEN).")
      .def("fill_holes", [](const Region& a) { return released([&] { return a.fillHoles(); }); },
           "Adds the holes: parts of the complement (4-connected) that touch no canvas edge.")
      .def("components", [](const Region& a, IntArg connectivity) {
            const int c = toInt(connectivity, "connectivity");
            std::vector<Region> parts = released([&] { return a.components(c); });
            py::list out(parts.size());
            for (size_t k = 0; k < parts.size(); ++k)
              PyList_SET_ITEM(out.ptr(), static_cast<py::ssize_t>(k), py::cast(std::move(parts[k])).release().ptr());
            return out;
          }, py::arg("connectivity") = 8,
          "Connected parts (connectivity 4 or 8, else ValueError) as a list of regions, ordered by\n"
          "their first pixel in row-major order.")
      .def("component_stats", &componentStats, py::arg("connectivity") = 8,
           "The measurements of every connected part without making the parts, as a dict of 1-D arrays\n"
           "with one entry per part, in the order of components(connectivity) (so pandas.DataFrame takes\n"
           "it as a table): 'area', 'bbox_x', 'bbox_y', 'bbox_width', 'bbox_height' (int64), 'centroid_x',\n"
           "'centroid_y' and the keys of moments (float64), each the value that part's own property gives.")
      .def("component_count", [](const Region& a, IntArg connectivity) {
            const int c = toInt(connectivity, "connectivity");
            return released([&] { return a.componentCount(c); });
          }, py::arg("connectivity") = 8,
          "Number of connected parts, len(components(connectivity)) without making them.")
      .def("labels", [](const Region& a, IntArg connectivity) {
            const int c = toInt(connectivity, "connectivity");
            if (static_cast<std::size_t>(a.width()) * static_cast<std::size_t>(a.height()) > kMaxResultElements)
              throwValue("labels: an image of " + std::to_string(a.width()) + " x " + std::to_string(a.height()) +
                         " has more than 2^28 pixels (the limit)");
            py::array_t<int32_t> out({static_cast<py::ssize_t>(a.height()), static_cast<py::ssize_t>(a.width())});
            int32_t* d = out.mutable_data();
            released([&] { return a.labelImage(d, a.width(), c); });
            return out;
          }, py::arg("connectivity") = 8,
          "The label image, int32 of shape (height, width): 0 outside, k on components(connectivity)[k - 1]\n"
          "(the numbering of skimage.measure.label).")
      .def("remove_small_parts", [](const Region& a, IntArg minArea, IntArg connectivity) {
            // Any int: beyond 64 bits it removes every part (or none), as the nearest int64 does.
            int overflow = 0;
            const long long m = PyLong_AsLongLongAndOverflow(intArgument(minArea, "min_area").ptr(), &overflow);
            const int64_t least = overflow > 0 ? INT64_MAX : overflow < 0 ? INT64_MIN : m;
            const int c = toInt(connectivity, "connectivity");
            return releasedFor(a.runCount(), [&] { return a.removeSmallParts(least, c); });
          }, py::arg("min_area"), py::arg("connectivity") = 8,
          "The region without its connected parts (4 or 8) of fewer than min_area pixels: as\n"
          "skimage.morphology.remove_small_objects(mask, min_area, connectivity=1 or 2).")
      .def("__len__", [](const Region& a) { return a.runCount(); }, "Number of runs.")
      .def("__eq__", [](const Region& a, py::object b) -> py::object {
            if (!py::isinstance<Region>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
            const Region* other = py::cast<const Region*>(b);
            return py::bool_(releasedFor(a.runCount(), [&] { return a == *other; }));
          })
      .def("__hash__", [](const Region& a) {
            return static_cast<py::ssize_t>(releasedFor(a.runCount(), [&] { return a.hash(); }));
          })
      .def("__repr__", [](const Region& a) {
            return "Region(width=" + std::to_string(a.width()) + ", height=" + std::to_string(a.height()) +
                   ", area=" + std::to_string(a.area()) + ", runs=" + std::to_string(a.runCount()) + ")";
          })
      .def(py::pickle([](const Region& a) { return py::make_tuple(a.width(), a.height(), runsArray(a)); },
                      &fromState))
      .def("__reduce__", &reduceByState);
}

}  // namespace tgpy
