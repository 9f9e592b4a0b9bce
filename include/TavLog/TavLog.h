/// \file
/// \brief TavLog: the small logging library that TavGeometry's circle fit writes through.
/// \ingroup log
#pragma once

#include <TavLog/TavLogExport.h>

#include <functional>
#include <string>

/// \defgroup log Log
/// \brief The logging object (library TavLog) through which TavGeometry writes
/// its only records: the refusals of the circle fits.
///
/// Nothing is written until the application installs an object in
/// CTavLog::_log; records are then handed to its sink. TavGeometry's records
/// carry category 256 and the text `"message" [file:line:function] (code)`,
/// where file is the fixed source label `.\TavGeoFit` (not a path), line the
/// refusal's reason (16 fewer than 3 points, 65 no spread along x or y, 69
/// points on a line, 71 no finite circle; not a line of a source file) and
/// code the status returned (2), for example
/// `"Need 3 or more points" [.\TavGeoFit:16:NTavGeometry::pointsFitCircle] (2)`;
/// nothing the logging object throws leaves the library's call.
/// @{

/// \brief A logging object: formats records printf-style and hands them to a sink.
class TAVLOG_EXPORT CTavLog {
 public:
  /// \brief Receives every record: its category and the formatted text.
  using Sink = std::function<void(unsigned int category, const std::string& record)>;

  /// \brief An object writing through sink; an empty sink writes each record as
  /// one line to stderr.
  explicit CTavLog(Sink sink = Sink());

  /// \brief Formats printf-style and hands the text to the sink.
  ///
  /// A null format gives an empty record.
  /// \param category Passed to the sink unchanged.
  /// \param format printf format of the record, followed by its arguments.
  void error(unsigned int category, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;

  /// \brief The process's logging object; null by default (records are then dropped).
  static CTavLog* _log;

 private:
  Sink m_sink;
};

/// @}
