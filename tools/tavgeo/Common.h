// Shared pieces of the tavgeo tool: errors, limits and argument parsing helpers.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavgeo {

// Exit statuses: 0 success, 1 failure of the tool itself (I/O, out of memory,
// internal error), 2 bad input or bad arguments.
constexpr int kExitOk = 0;
constexpr int kExitToolFailure = 1;
constexpr int kExitBadInput = 2;

// Bad input or arguments: the message is printed as one line, exit status 2.
class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& message) : std::runtime_error(message) {}
};

// A failure of the tool itself (cannot write a file, ...): exit status 1.
class ToolFailure : public std::runtime_error {
 public:
  explicit ToolFailure(const std::string& message) : std::runtime_error(message) {}
};

// Limits that keep every run bounded in memory and time.
struct Limits {
  static constexpr std::size_t kMaxPoints = 1000000;                 // points read from one input
  static constexpr std::size_t kMaxInputBytes = 256u * 1024 * 1024;  // bytes read from one input
  static constexpr double kMaxCoordinate = 1e9;                      // |x|, |y| of any input point
  static constexpr int kMaxImageSide = 100000;                       // region --size W and H
  static constexpr double kMaxRegionCoordinate = 1e6;                // |x|, |y| of region points
  static constexpr int kMaxRegionRadius = 200000;                    // disk and annulus radius
  static constexpr std::size_t kMaxPerimeterPoints = 2000000;        // region --perimeter output
  static constexpr double kMaxPolygonCrossings = 1000000;            // polygon edge-row crossings
  static constexpr std::size_t kMaxScanLines = 1000000;              // spokes and rake lines
  static constexpr double kMaxOutlierWork = 1e8;                     // points * (rejected + 1)
  static constexpr double kMaxRansacWork = 2e8;
  static constexpr long kMaxCandidates = 1000000;  // ransac-line --candidates
};

// Length of the well-formed UTF-8 sequence of a printable character at s[i]
// (C1 controls and surrogates are not), or 0.
std::size_t printableSequence(const std::string& s, std::size_t i);
// Printable form of a piece of user text for an error message: printable
// characters (UTF-8) are kept, control characters and bytes that are not UTF-8
// become '?', texts of more than maxLength characters are cut.
std::string quoteForMessage(const std::string& text, std::size_t maxLength = 32);
// The text with every control character and byte that is not UTF-8 as '?'.
std::string printableText(const std::string& text);
// Flushes standard output; ToolFailure when what was written to it could not be.
void finishStdout();

// Parses a whole token as a finite double. Returns false and sets *problem
// ("is not a number", "is not finite", "is out of range") otherwise.
bool parseDouble(const std::string& token, double* out, std::string* problem);

// Option values. Each throws InputError naming the option on bad text.
double parseNumberOption(const std::string& option, const std::string& text);
// A number with an optional "deg" suffix, returned in radians.
double parseAngleOption(const std::string& option, const std::string& text);
// A count >= 0 (negative counts and non-integers are rejected).
long parseCountOption(const std::string& option, const std::string& text, long maximum);
// "X,Y" (or "X Y").
TavPoint parsePointOption(const std::string& option, const std::string& text);
// "WxH" with 1 <= W, H <= maximum.
void parseSizeOption(const std::string& option, const std::string& text, int maximum, int* width,
                     int* height);

// A large non-negative figure rounded to a whole number ("63114000").
std::string formatCount(double value);

// Shortest text of a double that reads back to the same value.
std::string formatNumber(double value);

}  // namespace tavgeo
