// The library's only outward record: an error line handed to the process's
// logging object, when one is installed. Not installed.
#pragma once

namespace NTavGeometry {
namespace detail {

// Writes "\"message\" [file:line:function] (code)" with the given category
// through CTavLog::_log when it is not null, and returns code. Nothing thrown by
// the logging object leaves this function.
int logError(const char* file, int line, const char* function, unsigned int category, int code,
             const char* message);

}  // namespace detail
}  // namespace NTavGeometry
