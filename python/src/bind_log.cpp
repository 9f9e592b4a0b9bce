// The library's log records (the circle fit's refusals) go to Python's logging
// module, logger "tavgeometry", at level ERROR with the record's category in
// the record's `category` attribute.
#include <TavLog/TavLog.h>

#include <optional>

#include "common.h"

#if defined(__GLIBCXX__)
#include <cxxabi.h>
#endif

namespace tgpy {

namespace {

void toLogging(unsigned int category, const std::string& record) {
  if (!Py_IsInitialized()) return;
  std::optional<py::gil_scoped_acquire> gil;
#if defined(__GLIBCXX__)
  try {
    gil.emplace();
  } catch (abi::__forced_unwind&) {
    threadEnding() = true;  // the interpreter is ending this (daemon) thread
    throw;
  }
#else
  gil.emplace();
#endif
  PyObject *type, *value, *trace;
  PyErr_Fetch(&type, &value, &trace);  // keep an error already pending in this thread
  try {
    py::dict extra;
    extra["category"] = category;
    py::module_::import("logging").attr("getLogger")("tavgeometry").attr("error")("%s", record,
                                                                                  py::arg("extra") = extra);
  } catch (py::error_already_set& e) {
    // A KeyboardInterrupt in a handler is not the handler's failure but the
    // user's Ctrl-C: it is raised again at the interpreter's next check, as the
    // signal would have been.
    if (e.matches(PyExc_KeyboardInterrupt))
      PyErr_SetInterrupt();
    else
      e.discard_as_unraisable("tavgeometry log record");
#if defined(__GLIBCXX__)
  } catch (abi::__forced_unwind&) {
    throw;
#endif
  } catch (...) {
  }
  PyErr_Restore(type, value, trace);
}

CTavLog* bridge() {
  static CTavLog* log = new CTavLog(&toLogging);  // never destroyed: records may come at any time
  return log;
}

}  // namespace

void bindLog(py::module_& m) {
  CTavLog::_log = bridge();
  m.def(
      "_detach_log", [] { CTavLog::_log = nullptr; },
      "Stops forwarding records to logging (called at interpreter exit).");
  py::module_::import("atexit").attr("register")(m.attr("_detach_log"));
}

}  // namespace tgpy
