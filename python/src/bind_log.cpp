// The library's log records (the circle fit's refusals) go to Python's logging
// module, logger "tavgeometry", at level ERROR with the record's category in
// the record's `category` attribute.
#include <TavLog/TavLog.h>

#include "common.h"

namespace tgpy {

namespace {

// Hands the record to logging.getLogger("tavgeometry").error with the GIL
// held. The references are plain pointers, released on the way out of a call
// that returned: see toLogging.
void emit(unsigned int category, const std::string& record) {
  PyObject* const logging = PyImport_ImportModule("logging");
  PyObject* const logger = logging ? PyObject_CallMethod(logging, "getLogger", "s", "tavgeometry") : nullptr;
  PyObject* const error = logger ? PyObject_GetAttrString(logger, "error") : nullptr;
  PyObject* const text =
      error ? PyUnicode_FromStringAndSize(record.data(), static_cast<Py_ssize_t>(record.size())) : nullptr;
  PyObject* const args = text ? Py_BuildValue("(sO)", "%s", text) : nullptr;
  PyObject* const kwargs = args ? Py_BuildValue("{s:{s:I}}", "extra", "category", category) : nullptr;
  PyObject* const result = kwargs ? PyObject_Call(error, args, kwargs) : nullptr;
  if (result == nullptr) {
    // A KeyboardInterrupt in a handler is not the handler's failure but the
    // user's Ctrl-C: it is raised again at the interpreter's next check, as the
    // signal would have been. Any other error is reported as unraisable.
    if (PyErr_ExceptionMatches(PyExc_KeyboardInterrupt)) {
      PyErr_Clear();
      PyErr_SetInterrupt();
    } else {
      PyObject* const where = PyUnicode_FromString("tavgeometry log record");
      PyErr_WriteUnraisable(where);
      Py_XDECREF(where);
    }
  }
  for (PyObject* o : {result, kwargs, args, text, error, logger, logging}) Py_XDECREF(o);
}

// Taking the GIL, or the logging call, which may let it go and take it back,
// may end a daemon thread at the interpreter's exit (parkIfEnded): emit's
// references are plain pointers.
void toLogging(unsigned int category, const std::string& record) {
  if (!Py_IsInitialized()) return;
  parkIfEnded([&] {
    const PyGILState_STATE gil = PyGILState_Ensure();
    PyObject *type, *value, *trace;
    PyErr_Fetch(&type, &value, &trace);  // keep an error already pending in this thread
    emit(category, record);
    PyErr_Restore(type, value, trace);
    PyGILState_Release(gil);
  });
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
