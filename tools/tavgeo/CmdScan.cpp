// spokes (across an arc) and rake (along a polyline).
#include <TavGeometry/TavGeometry.h>

#include <cmath>
#include <memory>

#include "Commands.h"
#include "Common.h"
#include "PointInput.h"

namespace tavgeo {
namespace {

using namespace NTavGeometry;

struct SpokeOptions {
  std::string center, radius, start, sweep, length, spacing;  // start empty: 0
};

struct RakeOptions {
  std::string halfLength, spacing;
};

double positiveOption(const std::string& option, const std::string& text) {
  const double v = parseNumberOption(option, text);
  if (!(v > 0.0)) throw InputError(option + ": " + quoteForMessage(text) + " must be greater than 0");
  if (v > Limits::kMaxCoordinate) {
    throw InputError(option + ": " + quoteForMessage(text) + " is more than the limit of " +
                     formatNumber(Limits::kMaxCoordinate));
  }
  return v;
}

std::vector<TavPoint> sampleArc(const TavArc& arc) {
  std::vector<TavPoint> pts;
  const int n = 180;
  for (int i = 0; i <= n; ++i) {
    const double a = arc.startAngle + arc.sweepAngle * i / n;
    pts.emplace_back(arc.center.x + arc.radius * std::cos(a), arc.center.y + arc.radius * std::sin(a));
  }
  return pts;
}

void checkLineCount(double estimate, const std::string& what) {
  if (!(estimate <= static_cast<double>(Limits::kMaxScanLines))) {
    // Rounded up: an estimate just above the limit must not print as the limit.
    throw InputError(what + " would lay about " + formatCount(std::ceil(estimate)) + " lines, more than the limit of " +
                     std::to_string(Limits::kMaxScanLines) + "; use a larger --spacing");
  }
}

}  // namespace

Runner registerSpokes(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd = app.add_subcommand("spokes", "Radial scan lines across an arc");
  auto opt = std::make_shared<SpokeOptions>();
  addCommonOptions(cmd, common);
  // These options are told apart from absent ones by being non-empty, so an
  // empty value (an unset shell variable) is refused rather than taken as absent.
  const auto given = [](const std::string& v) { return v.empty() ? std::string("needs a value") : ""; };
  cmd->add_option("--center", opt->center,
                  "Arc centre X,Y (then the arc is given by options, no input is read)")
      ->type_name("X,Y")
      ->check(given);
  cmd->add_option("--radius", opt->radius, "Arc radius, pixels")->type_name("R")->check(given);
  cmd->add_option("--start", opt->start, "Start angle, radians or with suffix deg (default 0)")
      ->type_name("A")
      ->check(given);
  cmd->add_option("--sweep", opt->sweep, "Signed sweep angle, radians or with suffix deg")
      ->type_name("A")
      ->check(given);
  cmd->add_option("--length", opt->length, "Spoke length from the arc, pixels; negative runs inward")
      ->type_name("L")
      ->required();
  cmd->add_option("--spacing", opt->spacing, "Least distance between spoke ends along the outer arc, pixels")
      ->type_name("S")
      ->required();
  cmd->footer(
      "Without --center the arc runs through three input points: start, a point on the way, end.\n"
      "The outer arc (length L) is cut into max(1, trunc(L / S - 1)) equal steps, so the spoke\n"
      "ends lie S apart or more; count: the spokes laid.\n"
      "Angles: positive turns +x toward +y (clockwise on screen, y down).\n\n"
      "Example:\n  tavgeo spokes --center 100,100 --radius 60 --start 0 --sweep 90deg --length 20 --spacing "
      "8\n"
      "  printf '160 100\\n142 142\\n100 160\\n' | tavgeo spokes --length -15 --spacing 5 --svg spokes.svg");
  return [common, opt]() {
    const double length = parseNumberOption("--length", opt->length);
    if (std::fabs(length) > Limits::kMaxCoordinate) {
      throw InputError("--length: " + quoteForMessage(opt->length) + " is beyond the limit of +-" +
                       formatNumber(Limits::kMaxCoordinate));
    }
    const double spacing = positiveOption("--spacing", opt->spacing);
    TavArc arc;
    std::string source = "options";
    std::vector<TavPoint> through;
    if (!opt->center.empty()) {
      if (opt->radius.empty()) throw InputError("spokes: --center needs --radius and --sweep");
      if (opt->sweep.empty()) throw InputError("spokes: --center needs --sweep");
      if (!common->input.empty() && common->input != "-") {
        throw InputError(
            "spokes: give the arc either by --center/--radius/--sweep or by an input file, not both");
      }
      arc.center = parsePointOption("--center", opt->center);
      arc.radius = positiveOption("--radius", opt->radius);
      arc.startAngle = opt->start.empty() ? 0.0 : parseAngleOption("--start", opt->start);
      arc.sweepAngle = parseAngleOption("--sweep", opt->sweep);
      if (std::fabs(arc.startAngle) > 1e6 || std::fabs(arc.sweepAngle) > 1e6) {
        throw InputError("spokes: --start and --sweep must lie within +-1e6 radians");
      }
    } else {
      if (!opt->radius.empty() || !opt->sweep.empty() || !opt->start.empty()) {
        throw InputError("spokes: --radius, --start and --sweep need --center (or give three points as input)");
      }
      PointSet set = readPoints(common->input);
      source = set.name;
      if (set.points.size() != 3) {
        throw InputError(set.name + ": spokes through an arc takes 3 points (start, on the way, end), got " +
                         std::to_string(set.points.size()));
      }
      if (!arcIn3Points(set.points[0], set.points[1], set.points[2], &arc)) {
        throw InputError(set.name + ": the 3 points lie on a line (or nearly); no arc passes through them");
      }
      through = set.points;
    }
    const double outer = arc.radius + (length > 0.0 ? length : 0.0);
    checkLineCount(std::fabs(outer * arc.sweepAngle) / spacing, "spokes");
    std::vector<TavLine> spokes;
    arcToSpoke(arc, length, spacing, &spokes);

    Outcome out;
    out.json = resultHead("spokes", source, through.size());
    out.json["arc"] = toJson(arc);
    out.json["length"] = length;
    out.json["spacing"] = spacing;
    out.json["count"] = spokes.size();
    out.json["spokes"] = toJsonArray(spokes);
    out.picture = std::make_unique<SvgPicture>("spokes: " + source);
    out.picture->addPolyline(sampleArc(arc), false, "#444444", "arc");
    if (!through.empty()) out.picture->addPoints(through, "#d62728", "arc points (start, on the way, end)");
    out.picture->addScanLines(spokes, "spokes in order (" + std::to_string(spokes.size()) + "), dot at p1");
    out.picture->include(arc.center);
    return out;
  };
}

Runner registerRake(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd = app.add_subcommand("rake", "Scan lines along a polyline, fanned around its corners");
  auto opt = std::make_shared<RakeOptions>();
  addCommonOptions(cmd, common);
  cmd->add_option("--half-length", opt->halfLength, "Half the length of each line, pixels")
      ->type_name("H")
      ->required();
  cmd->add_option("--spacing", opt->spacing, "Distance between lines along the path, pixels")
      ->type_name("S")
      ->required();
  cmd->footer(
      "The input points are the polyline's vertices in order. Each line runs from the\n"
      "path's direction turned by +90 degrees (the right of the path on an image whose\n"
      "y grows downward) to the other side.\n\n"
      "Example:\n  printf '0 0\\n100 0\\n100 100\\n' | tavgeo rake --half-length 10 --spacing 10 --svg "
      "rake.svg");
  return [common, opt]() {
    const double h = positiveOption("--half-length", opt->halfLength);
    const double s = positiveOption("--spacing", opt->spacing);
    PointSet set = readPoints(common->input);
    requirePoints(set, 2, "rake");
    double path = 0.0;
    for (std::size_t i = 0; i + 1 < set.points.size(); ++i)
      path += pointPointDist(set.points[i], set.points[i + 1]);
    // Each corner adds at most a half turn of arc at radius 2h (a full turn to be safe).
    path += static_cast<double>(set.points.size() - 2) * 2.0 * 3.14159265358979 * 2.0 * h;
    checkLineCount(path / s, set.name + ": rake");
    std::vector<TavLine> rake;
    polyLineToPolyRake(set.points.data(), static_cast<int>(set.points.size()), h, s, &rake);

    Outcome out;
    out.json = resultHead("rake", set.name, set.points.size());
    out.json["halfLength"] = h;
    out.json["spacing"] = s;
    out.json["count"] = rake.size();
    out.json["lines"] = toJsonArray(rake);
    out.picture = std::make_unique<SvgPicture>("rake: " + set.name);
    out.picture->addPolyline(set.points, false, "#444444",
                             "polyline (" + std::to_string(set.points.size()) + " points)");
    out.picture->addScanLines(rake, "rake lines in order (" + std::to_string(rake.size()) + "), dot at p1");
    return out;
  };
}

}  // namespace tavgeo
