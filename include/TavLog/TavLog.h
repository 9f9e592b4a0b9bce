// TavLog: the small logging library that TavGeometry's circle fit writes through.
#pragma once

#include <TavLog/TavLogExport.h>

#include <functional>
#include <string>

class TAVLOG_EXPORT CTavLog {
 public:
  // Receives every record: its category and the formatted text.
  using Sink = std::function<void(unsigned int category, const std::string& record)>;

  // An empty sink writes each record as one line to stderr.
  explicit CTavLog(Sink sink = Sink());

  // Formats printf-style and hands the text to the sink.
  void error(unsigned int category, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;

  // The process's logging object; null by default (records are then dropped).
  static CTavLog* _log;

 private:
  Sink m_sink;
};
