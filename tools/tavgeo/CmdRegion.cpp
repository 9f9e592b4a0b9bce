// region disk|annulus|polygon: run-length lists, bounding box and perimeter.
#include <TavGeometry/TavGeometry.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "Commands.h"
#include "Common.h"
#include "PointInput.h"
#include "Rle.h"

namespace tavgeo {
namespace {

using namespace NTavGeometry;

struct RegionOptions {
  std::string shape;
  std::string size;
  bool perimeter = false;
};

}  // namespace

Runner registerRegion(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd =
      app.add_subcommand("region", "Rasterise a disk, an annulus or a polygon into a run-length list");
  auto opt = std::make_shared<RegionOptions>();
  cmd->add_option("shape", opt->shape,
                  "disk (centre, rim point), annulus (centre, two rim points) or polygon (vertices)")
      ->required();
  addCommonOptions(cmd, common);
  cmd->add_option("--size", opt->size, "Image size WxH, each side 1 to 100000")->type_name("WxH")->required();
  cmd->add_flag("--perimeter", opt->perimeter, "Also list the perimeter pixels");
  cmd->footer(
      "Output: the run-length list as the library writes it (rle: six header words,\n"
      "records 'row (column extent)... -1', final -1), the runs as [row, column, extent],\n"
      "the bounding box and the number of pixels covered. Disk and annulus are not clipped\n"
      "to the image; the polygon keeps rows 0 to H-1. A polygon's run holds both of its end\n"
      "columns, so a 4 x 4 square covers 5 columns of 4 rows. The perimeter is the list's:\n"
      "a pixel of a one-pixel run comes twice, and so do pixels where an annulus's runs meet.\n\n"
      "Example:\n  printf '10 10\\n50 12\\n30 45\\n' | tavgeo region polygon --size 64x64 --perimeter --svg "
      "tri.svg\n"
      "  printf '32 32\\n52 32\\n' | tavgeo region disk --size 64x64");
  return [common, opt]() {
    int width = 0, height = 0;
    if (opt->shape != "disk" && opt->shape != "annulus" && opt->shape != "polygon") {
      throw InputError("region: " + quoteForMessage(opt->shape) +
                       " is not a shape; use disk, annulus or polygon");
    }
    parseSizeOption("--size", opt->size, Limits::kMaxImageSide, &width, &height);
    PointSet set = readPoints(common->input);
    const std::size_t n = set.points.size();
    if (opt->shape == "disk" && n != 2) {
      throw InputError(set.name + ": region disk takes 2 points (centre, rim point), got " +
                       std::to_string(n));
    }
    if (opt->shape == "annulus" && n != 3) {
      throw InputError(set.name + ": region annulus takes 3 points (centre, two rim points), got " +
                       std::to_string(n));
    }
    if (opt->shape == "polygon") requirePoints(set, 3, "region polygon");
    for (std::size_t i = 0; i < n; ++i) {
      if (std::fabs(set.points[i].x) > Limits::kMaxRegionCoordinate ||
          std::fabs(set.points[i].y) > Limits::kMaxRegionCoordinate) {
        throw InputError(set.name + ":" + std::to_string(set.lines[i]) +
                         ": region points must lie within +-" + formatNumber(Limits::kMaxRegionCoordinate));
      }
    }
    if (opt->shape == "polygon") {
      // Every row an edge crosses costs the scan a step and the list a run end:
      // bound them before the call (a zigzag of many vertices over many rows).
      double crossings = 0.0;
      for (std::size_t i = 0; i < n; ++i) {
        const double y0 = std::trunc(set.points[i].y);
        const double y1 = std::trunc(set.points[(i + 1) % n].y);
        const double lo = std::max(std::min(y0, y1), 0.0);
        const double hi = std::min(std::max(y0, y1), static_cast<double>(height));
        if (hi > lo) crossings += hi - lo;
      }
      if (crossings > Limits::kMaxPolygonCrossings) {
        throw InputError(set.name + ": the polygon's edges cross image rows " + formatCount(crossings) +
                         " times, more than the limit of " + formatCount(Limits::kMaxPolygonCrossings));
      }
    } else {
      for (std::size_t i = 1; i < n; ++i) {
        const double r = pointPointDist(set.points[0], set.points[i]);
        if (r > Limits::kMaxRegionRadius) {
          throw InputError(set.name + ":" + std::to_string(set.lines[i]) + ": radius " + formatNumber(r) +
                           " is more than the limit of " + std::to_string(Limits::kMaxRegionRadius));
        }
      }
    }

    std::unique_ptr<CTavGeoRleCalc> calc;
    if (opt->shape == "disk") {
      calc = std::make_unique<CTavGeoRleCalcDisk>();
    } else if (opt->shape == "annulus") {
      calc = std::make_unique<CTavGeoRleCalcTorus>();
    } else {
      calc = std::make_unique<CTavGeoRleCalcPolygon>();
    }
    calc->calculate(width, height, set.points.data(), static_cast<int>(n));
    const std::vector<int>& rle = calc->rle();
    const TavRect box = calc->boundingBox();
    std::vector<PixelRun> runs;
    if (!splitRuns(rle, calc->recordRuns(), &runs))
      throw ToolFailure("the run-length list of the region is not well-formed");

    std::vector<TavIPoint> perimeter;
    if (opt->perimeter) {
      // The outline of the region's part in rows and columns 0 and up: lists
      // with negative numbers cannot be walked by their terminators.
      std::vector<PixelRun> clippedRuns;
      const std::vector<int> clipped = clipToImageQuadrant(rle, runs, &clippedRuns);
      const long long bound = perimeterBound(clippedRuns);
      if (bound > static_cast<long long>(Limits::kMaxPerimeterPoints)) {
        throw InputError(set.name + ": the perimeter could hold up to " + std::to_string(bound) +
                         " points, more than the limit of " + std::to_string(Limits::kMaxPerimeterPoints));
      }
      perimeter = CTavGeoRleCalc::calculatePerimiterPoints(clipped);
    }

    Outcome out;
    out.json = resultHead("region", set.name, n);
    out.json["shape"] = opt->shape;
    out.json["size"] = Json::array({width, height});
    out.json["boundingBox"] = toJson(box);
    std::size_t rows = 0;
    Json runsJson = Json::array();
    for (std::size_t i = 0; i < runs.size(); ++i) {
      if (i == 0 || runs[i].y != runs[i - 1].y) ++rows;
      runsJson.push_back(Json::array({runs[i].y, runs[i].x, runs[i].extent}));
    }
    out.json["rows"] = rows;
    out.json["pixels"] = coveredPixels(runs);
    out.json["runs"] = std::move(runsJson);
    out.json["rle"] = rle;
    if (opt->perimeter) {
      out.json["perimeterCount"] = perimeter.size();
      out.json["perimeter"] = toJsonArray(perimeter);
    }

    auto pic = std::make_unique<SvgPicture>("region " + opt->shape + " " + std::to_string(width) + "x" +
                                            std::to_string(height) + ": " + set.name);
    // A large image around a small region would shrink the region to a dot:
    // then the picture shows the region and only the part of the frame near it.
    const double regionSide = std::max({box.width, box.height, 16.0});
    const bool showImage = std::max(width, height) <= 8.0 * regionSide;
    pic->addRect(0, 0, width, height, "#999999",
                 "image " + std::to_string(width) + "x" + std::to_string(height), true, showImage);
    pic->addRuns(runs, "#1f77b4", "runs (" + std::to_string(runs.size()) + ")");
    if (opt->perimeter)
      pic->addPixels(perimeter, "#ff7f0e", "perimeter pixels (" + std::to_string(perimeter.size()) + ")");
    pic->addRect(box.x, box.y, box.width, box.height, "#2ca02c", "bounding box");
    if (opt->shape == "polygon") {
      pic->addPolyline(set.points, true, "#d62728", "polygon (" + std::to_string(n) + " vertices)");
    } else {
      pic->addPoints(set.points, "#d62728",
                     opt->shape == "disk" ? "centre, rim point" : "centre, rim points");
    }
    pic->addNote(std::to_string(coveredPixels(runs)) + " pixels in " + std::to_string(rows) + " rows");
    out.picture = std::move(pic);
    return out;
  };
}

}  // namespace tavgeo
