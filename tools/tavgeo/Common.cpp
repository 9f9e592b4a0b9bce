#include "Common.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace tavgeo {

std::size_t printableSequence(const std::string& s, std::size_t i) {
  const auto at = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
  const unsigned b = at(i);
  const auto cont = [&](std::size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) { return at(k) >= lo && at(k) <= hi; };
  if (b >= 0x20 && b < 0x7F) return 1;
  if (b == 0xC2) return cont(i + 1, 0xA0) ? 2 : 0;
  if (b >= 0xC3 && b <= 0xDF) return cont(i + 1) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    const unsigned lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
    return cont(i + 1, lo, hi) && cont(i + 2) ? 3 : 0;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    const unsigned lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
    return cont(i + 1, lo, hi) && cont(i + 2) && cont(i + 3) ? 4 : 0;
  }
  return 0;
}

namespace {

// The printable form of text's first maxLength characters, "..." after them.
std::string printablePrefix(const std::string& text, std::size_t maxLength) {
  std::string out;
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++n) {
    if (n == maxLength) {
      out += "...";
      break;
    }
    const std::size_t k = printableSequence(text, i);
    if (k > 0) {
      out.append(text, i, k);
      i += k;
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

}  // namespace

std::string quoteForMessage(const std::string& text, std::size_t maxLength) {
  return "'" + printablePrefix(text, maxLength) + "'";
}

std::string printableText(const std::string& text) { return printablePrefix(text, text.size()); }

void finishStdout() {
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) throw ToolFailure("cannot write to standard output");
}

namespace {

// Skips a leading plus sign, which from_chars does not take; false when another
// sign follows it ("+-5", "++5"), which from_chars would read as the number's.
bool skipPlus(const char*& begin, const char* end) {
  if (begin == end || *begin != '+') return true;
  ++begin;
  return begin == end || (*begin != '+' && *begin != '-');
}

}  // namespace

bool parseDouble(const std::string& token, double* out, std::string* problem) {
  const char* begin = token.data();
  const char* end = begin + token.size();
  if (!skipPlus(begin, end) || begin == end) {
    *problem = "is not a number";
    return false;
  }
  double value = 0.0;
  const std::from_chars_result r = std::from_chars(begin, end, value);
  if (r.ec == std::errc::result_out_of_range && r.ptr == end) {
    // Either too large or too small for a double: strtod tells which.
    errno = 0;
    const double v = std::strtod(std::string(begin, end).c_str(), nullptr);
    if (!std::isfinite(v)) {
      *problem = "is out of range";
      return false;
    }
    value = v;  // an underflow reads as 0 or a subnormal value
  } else if (r.ec != std::errc() || r.ptr != end) {
    *problem = "is not a number";
    return false;
  }
  if (!std::isfinite(value)) {
    *problem = "is not finite";
    return false;
  }
  *out = value;
  return true;
}

double parseNumberOption(const std::string& option, const std::string& text) {
  double v = 0.0;
  std::string problem;
  if (!parseDouble(text, &v, &problem))
    throw InputError(option + ": " + quoteForMessage(text) + " " + problem);
  return v;
}

double parseAngleOption(const std::string& option, const std::string& text) {
  static const std::string kDeg = "deg";
  if (text.size() > kDeg.size() && text.compare(text.size() - kDeg.size(), kDeg.size(), kDeg) == 0) {
    const double degrees = parseNumberOption(option, text.substr(0, text.size() - kDeg.size()));
    return degrees * (3.14159265358979323846 / 180.0);
  }
  return parseNumberOption(option, text);
}

long parseCountOption(const std::string& option, const std::string& text, long maximum) {
  if (!text.empty() && text[0] == '-') {
    throw InputError(option + ": " + quoteForMessage(text) + " is negative; a count is 0 or more");
  }
  const char* begin = text.data();
  const char* end = begin + text.size();
  const bool oneSign = skipPlus(begin, end);
  long value = 0;
  const std::from_chars_result r = std::from_chars(begin, end, value);
  if (!oneSign || begin == end || r.ptr != end || (r.ec != std::errc() && r.ec != std::errc::result_out_of_range)) {
    throw InputError(option + ": " + quoteForMessage(text) + " is not a whole number");
  }
  if (r.ec == std::errc::result_out_of_range || value > maximum) {
    throw InputError(option + ": " + quoteForMessage(text) + " is more than the limit of " +
                     std::to_string(maximum));
  }
  return value;
}

TavPoint parsePointOption(const std::string& option, const std::string& text) {
  std::size_t sep = text.find(',');
  if (sep == std::string::npos) sep = text.find(' ');
  if (sep == std::string::npos) {
    throw InputError(option + ": " + quoteForMessage(text) + " is not a point; write X,Y");
  }
  auto trim = [](std::string s) {
    const std::size_t b = s.find_first_not_of(" \t");
    const std::size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
  };
  const double x = parseNumberOption(option + " x", trim(text.substr(0, sep)));
  const double y = parseNumberOption(option + " y", trim(text.substr(sep + 1)));
  if (std::fabs(x) > Limits::kMaxCoordinate || std::fabs(y) > Limits::kMaxCoordinate) {
    throw InputError(option + ": " + quoteForMessage(text) + " lies beyond the coordinate limit of +-" +
                     formatNumber(Limits::kMaxCoordinate));
  }
  return TavPoint(x, y);
}

void parseSizeOption(const std::string& option, const std::string& text, int maximum, int* width,
                     int* height) {
  const std::size_t sep = text.find_first_of("xX");
  const std::string bad = option + ": " + quoteForMessage(text) + " is not a size WxH (for example 640x480)";
  if (sep == std::string::npos) throw InputError(bad);
  long parts[2] = {0, 0};
  const std::string pieces[2] = {text.substr(0, sep), text.substr(sep + 1)};
  for (int i = 0; i < 2; ++i) {
    const std::string& p = pieces[i];
    const char* b = p.data();
    const char* e = b + p.size();
    const std::from_chars_result r = std::from_chars(b, e, parts[i]);
    if (b == e || r.ptr != e || *b == '-') {
      if (!p.empty() && p[0] == '-') {
        throw InputError(option + ": " + quoteForMessage(text) + " has a negative side");
      }
      throw InputError(bad);
    }
    if (r.ec != std::errc() || parts[i] > maximum || parts[i] < 1) {
      throw InputError(option + ": " + quoteForMessage(text) + " must have sides from 1 to " +
                       std::to_string(maximum));
    }
  }
  *width = static_cast<int>(parts[0]);
  *height = static_cast<int>(parts[1]);
}

std::string formatCount(double value) {
  if (!(value < 1e18)) return formatNumber(value);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f", value);
  return buf;
}

std::string formatNumber(double value) {
  char buf[64];
  for (int precision = 6; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, value);
    if (std::strtod(buf, nullptr) == value) break;
  }
  return buf;
}

}  // namespace tavgeo
