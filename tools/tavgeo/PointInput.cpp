#include "PointInput.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "Common.h"

namespace tavgeo {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

class Reader {
 public:
  Reader(const std::string& text, const std::string& name, std::size_t start)
      : m_text(text), m_name(name), m_start(start) {}

  [[noreturn]] void fail(int line, const std::string& problem) const {
    throw InputError(m_name + ":" + std::to_string(line) + ": " + problem);
  }

  void addPoint(PointSet* set, int line, double x, double y) const {
    if (set->points.size() >= Limits::kMaxPoints) {
      fail(line, "more than " + std::to_string(Limits::kMaxPoints) + " points (the limit)");
    }
    if (std::fabs(x) > Limits::kMaxCoordinate || std::fabs(y) > Limits::kMaxCoordinate) {
      fail(line, "coordinate beyond the limit of +-" + formatNumber(Limits::kMaxCoordinate));
    }
    set->points.emplace_back(x, y);
    set->lines.push_back(line);
  }

  double number(int line, const std::string& token, const char* which) const {
    double v = 0.0;
    std::string problem;
    if (!parseDouble(token, &v, &problem))
      fail(line, std::string(which) + " " + quoteForMessage(token) + " " + problem);
    return v;
  }

  // One point per line: "x y", "x,y" or "x, y"; '#' starts a comment.
  void parseText(PointSet* set) const {
    std::size_t pos = m_start;
    int line = 0;
    while (pos < m_text.size()) {
      ++line;
      std::size_t eol = m_text.find('\n', pos);
      if (eol == std::string::npos) eol = m_text.size();
      std::string row = m_text.substr(pos, eol - pos);
      pos = eol + 1;
      const std::size_t hash = row.find('#');
      if (hash != std::string::npos) row.resize(hash);

      // Only the first two values are kept; the rest are counted (a line may
      // hold millions of them, every one refused).
      std::string tokens[2];
      std::size_t count = 0;
      int commas = 0;  // commas since the last token
      std::size_t i = 0;
      while (i < row.size()) {
        const char c = row[i];
        if (isBlank(c)) {
          ++i;
        } else if (c == ',') {
          if (count == 0 || commas > 0) fail(line, "unexpected ','; a point is 'x y' or 'x,y'");
          ++commas;
          ++i;
        } else {
          std::size_t j = i;
          while (j < row.size() && !isBlank(row[j]) && row[j] != ',') ++j;
          if (count < 2) tokens[count] = row.substr(i, j - i);
          ++count;
          commas = 0;
          i = j;
        }
      }
      if (count == 0) {
        if (commas > 0) fail(line, "unexpected ','; a point is 'x y' or 'x,y'");
        continue;
      }
      if (commas > 0) fail(line, count == 1 ? "missing y coordinate after ','" : "unexpected ',' at the end");
      const double x = number(line, tokens[0], "x");
      if (count == 1) fail(line, "missing y coordinate");
      const double y = number(line, tokens[1], "y");
      if (count > 2) {
        fail(line, std::to_string(count) + " values; a point is 'x y' or 'x,y'");
      }
      addPoint(set, line, x, y);
    }
  }

  // A JSON array of [x, y] pairs, from text position start on line line.
  void parseJson(PointSet* set, std::size_t start, int line) {
    m_pos = start;
    m_line = line;
    skipSpace();
    expect('[', "expected '[' to start the array of points");
    skipSpace();
    if (peek() == ']') {
      ++m_pos;
    } else {
      for (;;) {
        skipSpace();
        const int line = m_line;
        expect('[', "expected '[' to start a point [x, y]");
        skipSpace();
        if (peek() == ']') fail(m_line, "empty point; expected [x, y]");
        const double x = jsonNumber("x");
        skipSpace();
        if (peek() == ']') fail(m_line, "missing y coordinate");
        expect(',', "expected ',' between x and y");
        skipSpace();
        const double y = jsonNumber("y");
        skipSpace();
        if (peek() == ',') fail(m_line, "more than 2 values in a point; expected [x, y]");
        expect(']', "expected ']' to end the point");
        addPoint(set, line, x, y);
        skipSpace();
        if (peek() == ',') {
          ++m_pos;
          continue;
        }
        expect(']', "expected ',' or ']' after a point");
        break;
      }
    }
    skipSpace();
    if (m_pos < m_text.size()) fail(m_line, "unexpected text after the array of points");
  }

 private:
  char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }

  void skipSpace() {
    while (m_pos < m_text.size()) {
      const char c = m_text[m_pos];
      if (c == '\n') {
        ++m_line;
      } else if (!isBlank(c)) {
        break;
      }
      ++m_pos;
    }
  }

  void expect(char c, const char* problem) {
    if (m_pos >= m_text.size()) fail(m_line, std::string(problem) + ", found the end of the input");
    if (m_text[m_pos] != c)
      fail(m_line, std::string(problem) + ", found " + quoteForMessage(std::string(1, m_text[m_pos])));
    ++m_pos;
  }

  double jsonNumber(const char* which) {
    const std::size_t start = m_pos;
    while (m_pos < m_text.size()) {
      const char c = m_text[m_pos];
      if (isBlank(c) || c == '\n' || c == ',' || c == ']' || c == '[') break;
      ++m_pos;
    }
    if (m_pos == start) fail(m_line, std::string("missing ") + which + " coordinate");
    return number(m_line, m_text.substr(start, m_pos - start), which);
  }

  const std::string& m_text;
  const std::string& m_name;
  std::size_t m_start;  // first byte after a byte order mark
  std::size_t m_pos = 0;
  int m_line = 1;
};

}  // namespace

PointSet parsePoints(const std::string& text, const std::string& name) {
  PointSet set;
  set.name = name;
  const std::size_t first = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // UTF-8 byte order mark
  Reader reader(text, name, first);
  // JSON when the first character that is neither blank nor in a leading '#'
  // comment line is '['; the array is then read from just after those lines.
  std::size_t pos = first, jsonStart = first;
  int line = 1, jsonLine = 1;
  bool comment = false;  // the line being passed holds a comment
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '#') {
      comment = true;
      pos = std::min(text.find('\n', pos), text.size());
    } else if (c == '\n') {
      ++line;
      ++pos;
      if (comment) {
        jsonStart = pos;
        jsonLine = line;
        comment = false;
      }
    } else if (isBlank(c)) {
      ++pos;
    } else {
      break;
    }
  }
  if (pos < text.size() && text[pos] == '[') {
    reader.parseJson(&set, jsonStart, jsonLine);
  } else {
    reader.parseText(&set);
  }
  return set;
}

PointSet readPoints(const std::string& path) {
  const bool useStdin = path.empty() || path == "-";
  const std::string name = useStdin ? std::string("<stdin>") : path;
  if (useStdin && ::isatty(0))
    std::fprintf(stderr, "tavgeo: reading points from standard input (end with Ctrl-D)\n");
  std::FILE* file = useStdin ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    throw InputError(quoteForMessage(path, 200) + ": cannot open: " + std::strerror(errno));
  }
  std::string text;
  char buffer[65536];
  bool tooLarge = false;
  for (;;) {
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    if (got == 0) break;
    if (text.size() + got > Limits::kMaxInputBytes) {
      tooLarge = true;
      break;
    }
    text.append(buffer, got);
  }
  const int readErrno = errno;
  const bool readError = std::ferror(file) != 0;
  if (!useStdin) std::fclose(file);
  if (readError && readErrno == EISDIR) throw InputError(name + ": cannot read: is a directory");
  if (readError) throw ToolFailure(name + ": read error: " + std::strerror(readErrno));
  if (tooLarge) {
    throw InputError(name + ": input larger than " + std::to_string(Limits::kMaxInputBytes >> 20) +
                     " MiB (the limit)");
  }
  return parsePoints(text, name);
}

void requirePoints(const PointSet& set, std::size_t minimum, const std::string& what) {
  if (set.points.size() < minimum) {
    throw InputError(set.name + ": " + what + " needs at least " + std::to_string(minimum) +
                     (minimum == 1 ? " point" : " points") + ", got " + std::to_string(set.points.size()));
  }
}

}  // namespace tavgeo
