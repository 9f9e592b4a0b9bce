#include "log/TavGeoLog.h"

#include <TavLog/TavLog.h>

namespace NTavGeometry {
namespace detail {

int logError(const char* file, int line, const char* function, unsigned int category, int code,
             const char* message) {
  CTavLog* const log = CTavLog::_log;  // read once: the caller may swap it
  if (log != nullptr) {
    try {
      log->error(category, "\"%s\" [%s:%d:%s] (%d)", message, file, line, function, code);
    } catch (...) {
      // A failing record must not change the caller's result.
    }
  }
  return code;
}

}  // namespace detail
}  // namespace NTavGeometry
