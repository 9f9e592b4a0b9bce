// circle-3pts, polygon-area, inside and bbox.
#include <TavGeometry/TavGeometry.h>

#include <memory>

#include "Commands.h"
#include "Common.h"
#include "PointInput.h"

namespace tavgeo {

using namespace NTavGeometry;

Runner registerCircle3Pts(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd = app.add_subcommand("circle-3pts", "The circle through three points");
  addCommonOptions(cmd, common);
  cmd->footer("Example:\n  printf '0 0\\n2 2\\n4 0\\n' | tavgeo circle-3pts --pretty");
  return [common]() {
    PointSet set = readPoints(common->input);
    if (set.points.size() != 3) {
      throw InputError(set.name + ": circle-3pts takes 3 points, got " + std::to_string(set.points.size()));
    }
    TavCircle circle;
    if (!circleIn3Points(set.points[0], set.points[1], set.points[2], &circle)) {
      throw InputError(set.name + ": the 3 points lie on a line (or nearly); no circle passes through them");
    }
    Outcome out;
    out.json = resultHead("circle-3pts", set.name, set.points.size());
    out.json["circle"] = toJson(circle);
    out.picture = std::make_unique<SvgPicture>("circle-3pts: " + set.name);
    out.picture->addPoints(set.points, "#1f77b4", "input points");
    out.picture->addCircle(circle, "#2ca02c", "circle through the points");
    out.picture->addNote("centre (" + formatNumber(circle.center.x) + ", " + formatNumber(circle.center.y) +
                         "), radius " + formatNumber(circle.radius));
    return out;
  };
}

Runner registerPolygonArea(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd = app.add_subcommand("polygon-area", "Area of the polygon with the input points as vertices");
  addCommonOptions(cmd, common);
  cmd->footer(
      "The polygon is closed from the last vertex back to the first. For a self-crossing\n"
      "polygon the lobes of opposite turn cancel (shoelace sum).\n\n"
      "Example:\n  printf '0 0\\n4 0\\n0 3\\n' | tavgeo polygon-area");
  return [common]() {
    PointSet set = readPoints(common->input);
    requirePoints(set, 3, "polygon-area");
    const double area = polygonArea(set.points.data(), static_cast<unsigned int>(set.points.size()));
    Outcome out;
    out.json = resultHead("polygon-area", set.name, set.points.size());
    out.json["area"] = area;
    out.picture = std::make_unique<SvgPicture>("polygon-area: " + set.name);
    out.picture->addPolyline(set.points, true, "#1f77b4",
                             "polygon (" + std::to_string(set.points.size()) + " vertices)");
    out.picture->addNote("area " + formatNumber(area));
    return out;
  };
}

Runner registerInside(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd = app.add_subcommand("inside", "Whether points lie inside the polygon given as input");
  auto queries = std::make_shared<std::vector<std::string>>();
  addCommonOptions(cmd, common);
  cmd->add_option("--point", *queries, "Point X,Y to test (repeatable)")
      ->type_name("X,Y")
      ->allow_extra_args(false)
      ->required();
  cmd->footer(
      "Even-odd rule along a ray toward +x: points on the edges of smaller x or smaller y\n"
      "of an axis-aligned square are inside, those on the other edges outside.\n\n"
      "Example:\n  printf '0 0\\n10 0\\n10 10\\n0 10\\n' | tavgeo inside --point 5,5 --point 12,3");
  return [common, queries]() {
    std::vector<TavPoint> tests;
    for (const std::string& q : *queries) tests.push_back(parsePointOption("--point", q));
    PointSet set = readPoints(common->input);
    requirePoints(set, 3, "inside");
    Outcome out;
    out.json = resultHead("inside", set.name, set.points.size());
    Json results = Json::array();
    std::vector<TavPoint> in, outside;
    for (const TavPoint& p : tests) {
      const bool inside =
          polygonIsPointInside(set.points.data(), static_cast<unsigned int>(set.points.size()), p);
      results.push_back(Json{{"point", toJson(p)}, {"inside", inside}});
      (inside ? in : outside).push_back(p);
    }
    out.json["results"] = std::move(results);
    out.picture = std::make_unique<SvgPicture>("inside: " + set.name);
    out.picture->addPolyline(set.points, true, "#1f77b4",
                             "polygon (" + std::to_string(set.points.size()) + " vertices)");
    out.picture->addPoints(in, "#2ca02c", "inside (" + std::to_string(in.size()) + ")");
    out.picture->addCrosses(outside, "#d62728", "outside (" + std::to_string(outside.size()) + ")");
    return out;
  };
}

Runner registerBBox(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd = app.add_subcommand("bbox", "Pixel bounding box of the points");
  addCommonOptions(cmd, common);
  cmd->footer(
      "Coordinates are truncated toward zero to pixels; width = last column - first column + 1.\n\n"
      "Example:\n  printf '2.9 3.1\\n5.5 7.9\\n' | tavgeo bbox");
  return [common]() {
    PointSet set = readPoints(common->input);
    requirePoints(set, 1, "bbox");
    TavRect box;
    pointsToBBox(set.points.data(), static_cast<unsigned int>(set.points.size()), &box);
    Outcome out;
    out.json = resultHead("bbox", set.name, set.points.size());
    out.json["boundingBox"] = toJson(box);
    out.picture = std::make_unique<SvgPicture>("bbox: " + set.name);
    out.picture->addPoints(set.points, "#1f77b4", "input points (" + std::to_string(set.points.size()) + ")");
    out.picture->addRect(box.x, box.y, box.width, box.height, "#2ca02c", "pixel bounding box");
    return out;
  };
}

}  // namespace tavgeo
