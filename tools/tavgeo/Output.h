// JSON forms of the library's value types and the result of one subcommand run.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Svg.h"

namespace tavgeo {

using Json = nlohmann::ordered_json;

inline Json toJson(const TavPoint& p) { return Json::array({p.x, p.y}); }
inline Json toJson(const TavIPoint& p) { return Json::array({p.x, p.y}); }
inline Json toJson(const TavLine& l) { return Json{{"p1", toJson(l.p1)}, {"p2", toJson(l.p2)}}; }
inline Json toJson(const TavCircle& c) { return Json{{"center", toJson(c.center)}, {"radius", c.radius}}; }
inline Json toJson(const TavArc& a) {
  return Json{{"center", toJson(a.center)},
              {"radius", a.radius},
              {"startAngle", a.startAngle},
              {"sweepAngle", a.sweepAngle}};
}
inline Json toJson(const TavRect& r) {
  return Json{{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}};
}
template <typename T>
Json toJsonArray(const std::vector<T>& items) {
  Json a = Json::array();
  for (const T& item : items) a.push_back(toJson(item));
  return a;
}

// What one subcommand produced: the JSON object for standard output and the
// picture for --svg.
struct Outcome {
  Json json;
  std::unique_ptr<SvgPicture> picture;
};

// Text of the JSON document: one line, or indented with --pretty. Invalid UTF-8
// in strings (file names) is replaced, NaN and infinities become null.
std::string dumpJson(const Json& json, bool pretty);

}  // namespace tavgeo
