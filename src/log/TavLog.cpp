#include <TavLog/TavLog.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

CTavLog* CTavLog::_log = nullptr;

CTavLog::CTavLog(Sink sink) : m_sink(std::move(sink)) {}

void CTavLog::error(unsigned int category, const char* format, ...) {
  std::string text;
  if (format != nullptr) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed > 0) {
      std::vector<char> buffer(static_cast<size_t>(needed) + 1);
      std::vsnprintf(buffer.data(), buffer.size(), format, args);
      text.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
  }
  if (m_sink) {
    m_sink(category, text);
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
}
