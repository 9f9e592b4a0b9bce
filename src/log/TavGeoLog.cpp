#include "log/TavGeoLog.h"

#include <TavLog/TavLog.h>

#if defined(__GLIBCXX__)
#include <cxxabi.h>
#endif

namespace NTavGeometry {
namespace detail {

int logError(const char* file, int line, const char* function, unsigned int category, int code,
             const char* message) {
  CTavLog* const log = CTavLog::_log;  // read once: the caller may swap it
  if (log != nullptr) {
    try {
      log->error(category, "\"%s\" [%s:%d:%s] (%d)", message, file, line, function, code);
#if defined(__GLIBCXX__)
    } catch (abi::__forced_unwind&) {
      throw;  // the thread is being ended (pthread_exit, cancellation): the unwind must go on
#endif
    } catch (...) {
      // A failing record must not change the caller's result.
    }
  }
  return code;
}

}  // namespace detail
}  // namespace NTavGeometry
