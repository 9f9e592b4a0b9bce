// The compiled part of the tavgeometry package.
#include <TavGeometry/TavGeometryVersion.h>

#include "common.h"

#if defined(__GLIBCXX__)
#include <cxxabi.h>
#endif

PYBIND11_MODULE(_tavgeometry, m) {
  m.doc() = "TavGeometry bindings; import the tavgeometry package instead.";
  m.attr("__version__") = TAVGEOMETRY_VERSION_STRING;
  // Classes and functions take the module name they are defined under from
  // the scope's __module__: the package's name, so that signatures, reprs and
  // pickles say tavgeometry.Region, not the compiled module's path.
  m.attr("__module__") = "tavgeometry";
#if defined(__GLIBCXX__)
  // The C++ runtime keeps a thread's exception state in thread-local storage,
  // which a runtime loaded with this module allocates on first use: at the
  // thread's first exception. Were that a std::bad_alloc, memory would already
  // be short, the allocation would fail and the C library end the process
  // rather than raise MemoryError. It is taken now for the importing thread
  // (kept in a volatile: the function is declared const, so an unused result
  // would let the compiler drop the call).
  abi::__cxa_eh_globals* volatile state = abi::__cxa_get_globals();
  (void)state;
#endif
  tgpy::rememberMainThread();
  tgpy::bindTypes(m);
  tgpy::bindScalar(m);
  tgpy::bindPoint(m);
  tgpy::bindLine(m);
  tgpy::bindRect(m);
  tgpy::bindRotator(m);
  tgpy::bindCircle(m);
  tgpy::bindArc(m);
  tgpy::bindPolygon(m);
  tgpy::bindScan(m);
  tgpy::bindFit(m);
  // Region before the calculators, so that their region() signatures name
  // tavgeometry.Region rather than the C++ type.
  tgpy::bindRegion(m);
  tgpy::bindRle(m);
  tgpy::bindLog(m);
  tgpy::bindBench(m);
  tgpy::py::delattr(m, "__module__");
}
