// The command-line tool's readers: points from text ("x y", "x,y", comments)
// and from a JSON array, and the option values (numbers, angles, counts,
// points, sizes), on words built from the readers' own vocabulary and on raw
// bytes. A read either throws InputError with one printable line that names
// its source, or gives finite values within the tool's limits; points read
// back bit for bit from the text and the JSON the tool itself would write.
// sources: tools/tavgeo/Common.cpp tools/tavgeo/PointInput.cpp
#include <tavgeo/Common.h>
#include <tavgeo/PointInput.h>

#include "FuzzInput.h"

namespace {

using tavgeo::InputError;
using tavgeo::Limits;

// A message the tool prints as its one line: it starts with the source's name,
// and control bytes from the input never reach it.
bool oneLine(const std::string& message, const std::string& name) {
  if (message.compare(0, name.size(), name) != 0) return false;
  return std::none_of(message.begin(), message.end(), [](char c) { return c == '\n' || c == '\r' || c == 0; });
}

// Words of the readers' grammar, and some that are almost words.
std::string word(FuzzInput& in) {
  static const char* const kWords[] = {"0",     "-0",   "+1",   "1.5",  "-2.25e3", "1e9",    "-1e9",   "1e10",
                                       "1e400", "1e-400", "nan", "inf",  "-inf",    "0x10",   "+-5",    "--1",
                                       "1,",    ",",    "#",    "[",    "]",       "[1, 2]", "1 2",    "1deg",
                                       "90deg", "3x4",  "0x0",  "x",    "",        "1.",     ".5",     "5e"};
  const uint8_t k = in.byte();
  if (k < 200) return kWords[k % (sizeof kWords / sizeof *kWords)];
  if (k < 240) return tavgeo::formatNumber(in.moderate());
  std::string raw;  // any bytes
  for (int n = in.count(6); n > 0; --n) raw.push_back(static_cast<char>(in.byte()));
  return raw;
}

// Text assembled from words and separators (or, hostile, any bytes).
std::string text(FuzzInput& in, bool hostile) {
  std::string t;
  if (hostile) {
    while (!in.empty()) t.push_back(static_cast<char>(in.byte()));
    return t;
  }
  static const char* const kSeparators[] = {" ", "\t", ",", ", ", "\n", "\r\n", "  # note\n", " , "};
  if (in.flag()) t = "[";
  for (int n = in.count(40); n > 0; --n) {
    t += word(in);
    t += kSeparators[in.byte() % (sizeof kSeparators / sizeof *kSeparators)];
  }
  if (t[0] == '[' && in.flag()) t += "]";
  return t;
}

// Points as users write them, as text ("x y" or "x,y" lines, some with a
// comment) or as a JSON array, so that most reads succeed and the read-back
// checks run: assembled words are almost always refused.
std::string wellFormedPoints(FuzzInput& in) {
  const bool json = in.flag();
  std::string t = json ? "[" : "";
  for (int n = 1 + in.count(20); n > 0; --n) {
    const std::string x = tavgeo::formatNumber(in.flag() ? in.moderate() : in.count(1000));
    const std::string y = tavgeo::formatNumber(in.flag() ? in.moderate() : in.count(1000));
    const char* const between = in.flag() ? " " : ",";
    const char* const end = in.flag() ? "\n" : "  # a note\n";
    t += json ? (t.size() > 1 ? ", [" : "[") + x + ", " + y + "]" : x + between + y + end;
  }
  return json ? t + "]" : t;
}

void checkPoints(const tavgeo::PointSet& s) {
  FUZZ_CHECK(s.points.size() == s.lines.size() && s.points.size() <= Limits::kMaxPoints);
  for (std::size_t i = 0; i < s.points.size(); ++i) {
    const TavPoint& p = s.points[i];
    FUZZ_CHECK(std::fabs(p.x) <= Limits::kMaxCoordinate && std::fabs(p.y) <= Limits::kMaxCoordinate);
    FUZZ_CHECK(s.lines[i] >= 1 && (i == 0 || s.lines[i - 1] <= s.lines[i]));
  }
}

void points(FuzzInput& in, bool hostile) {
  const std::string input = !hostile && in.flag() ? wellFormedPoints(in) : text(in, hostile);
  tavgeo::PointSet s;
  try {
    s = tavgeo::parsePoints(input, "in");
  } catch (const InputError& e) {
    FUZZ_CHECK(oneLine(out(std::string(e.what())), "in"));
    return;
  }
  out(s.points, s.lines);
  checkPoints(s);
  // What the tool writes reads back to the same points, as text and as JSON.
  std::string lines, json = "[";
  for (const TavPoint& p : s.points) {
    lines += tavgeo::formatNumber(p.x) + " " + tavgeo::formatNumber(p.y) + "\n";
    json += (json.size() > 1 ? ", [" : "[") + tavgeo::formatNumber(p.x) + ", " + tavgeo::formatNumber(p.y) + "]";
  }
  for (const std::string& again : {lines, json + "]"}) {
    const std::vector<TavPoint> back = tavgeo::parsePoints(again, "again").points;
    FUZZ_CHECK(std::equal(back.begin(), back.end(), s.points.begin(), s.points.end(), sameBits<TavPoint>));
  }
}

void options(FuzzInput& in, bool hostile) {
  std::string value = hostile ? text(in, true) : word(in);
  if (!hostile && in.flag()) value += word(in);  // a second draw after the first, in that order
  if (!hostile && in.byte() < 48) {  // a size as users write it, "WxH"
    const int w = in.count(60);
    value = std::to_string(w) + "x" + std::to_string(in.count(60));
  }
  const int maximum = in.flag() ? 100000 : in.count(1 << 20);
  auto read = [](const char* option, auto f) {
    try {
      f();
    } catch (const InputError& e) {
      FUZZ_CHECK(oneLine(out(std::string(e.what())), option));
    }
  };
  read("--n", [&] {
    const double v = out(tavgeo::parseNumberOption("--n", value));
    FUZZ_CHECK(std::isfinite(v) && sameBits(tavgeo::parseNumberOption("--n", tavgeo::formatNumber(v)), v));
  });
  read("--a", [&] { FUZZ_CHECK(std::isfinite(out(tavgeo::parseAngleOption("--a", value)))); });
  read("--c", [&] {
    const long c = out(tavgeo::parseCountOption("--c", value, maximum));
    FUZZ_CHECK(c >= 0 && c <= maximum && tavgeo::parseCountOption("--c", std::to_string(c), maximum) == c);
  });
  read("--p", [&] { FUZZ_CHECK(isFinite(out(tavgeo::parsePointOption("--p", value)))); });
  read("--s", [&] {
    int w = -1, h = -1;
    tavgeo::parseSizeOption("--s", value, maximum, &w, &h);
    FUZZ_CHECK(out(w) >= 1 && w <= maximum && out(h) >= 1 && h <= maximum);
  });
}

}  // namespace

TAVFUZZ_TARGET(fuzz_tool_input) { pick(in, {{"toolpoints", points}, {"tooloptions", options}}); }
