// tavgeo demo: a showcase on built-in sample data, one SVG per scene and an
// index.html that shows them together.
#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#include "Commands.h"
#include "Common.h"
#include "Rle.h"

namespace tavgeo {
namespace {

using namespace NTavGeometry;

constexpr double kPi = 3.14159265358979323846;

// Deterministic noise: mt19937 is specified bit for bit, and the conversion to
// uniform and normal values is done here rather than by the standard
// distributions, whose output differs between standard libraries.
class Noise {
 public:
  explicit Noise(unsigned int seed) : m_gen(seed) {}
  double uniform() { return (static_cast<double>(m_gen()) + 0.5) / 4294967296.0; }
  double normal() {
    const double u1 = uniform();
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
  }

 private:
  std::mt19937 m_gen;
};

std::string fmt(double v, int decimals = 2) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string pointText(const TavPoint& p) { return "(" + fmt(p.x) + ", " + fmt(p.y) + ")"; }

struct Scene {
  std::string file;
  std::string title;
  std::vector<std::string> lines;  // the figures, also printed
};

class Demo {
 public:
  explicit Demo(std::string dir) : m_dir(std::move(dir)) {}

  int run() {
    std::error_code ec;
    std::filesystem::create_directories(m_dir, ec);
    if (ec) throw ToolFailure("cannot create " + quoteForMessage(m_dir, 200) + ": " + ec.message());
    circles();
    consensusLine();
    polygon();
    annulus();
    spokes();
    rake();
    writeIndex();
    const std::string dir = printableText(m_dir);  // nothing in the name may drive the terminal
    std::printf("tavgeo demo: %zu scenes written to %s/ (open %s/index.html)\n", m_scenes.size(), dir.c_str(),
                dir.c_str());
    for (const Scene& s : m_scenes) {
      std::printf("\n%s  [%s]\n", s.title.c_str(), s.file.c_str());
      for (const std::string& l : s.lines) std::printf("  %s\n", l.c_str());
    }
    finishStdout();
    return kExitOk;
  }

 private:
  void save(Scene scene, SvgPicture& pic) {
    for (const std::string& l : scene.lines) pic.addNote(l);
    writeFileAtomically(m_dir + "/" + scene.file, pic.render());
    m_scenes.push_back(std::move(scene));
  }

  // A noisy circle with outliers, fitted three ways.
  void circles() {
    Noise noise(2026);
    const TavPoint c(200.0, 150.0);
    const double r = 100.0;
    std::vector<TavPoint> pts;
    for (int i = 0; i < 48; ++i) {
      const double a = -0.3 + 4.6 * i / 47.0;  // an arc of about 264 degrees
      const double rr = r + 1.5 * noise.normal();
      pts.emplace_back(c.x + rr * std::cos(a), c.y + rr * std::sin(a));
    }
    const double outlierRadius[] = {55, 62, 150, 160, 70, 145};
    for (int i = 0; i < 6; ++i) {
      const double a = 0.4 + 1.0 * i;
      pts.emplace_back(c.x + outlierRadius[i] * std::cos(a), c.y + outlierRadius[i] * std::sin(a));
    }
    CTavLog log([](unsigned int, const std::string&) {});
    CTavLog* previous = CTavLog::_log;
    CTavLog::_log = &log;
    TavCircle plain, robust, three;
    double plainErr = 0.0, robustErr = 0.0;
    std::vector<TavPoint> rejected(6);
    const unsigned int n = static_cast<unsigned int>(pts.size());
    const int s1 = pointsFitCircle(pts.data(), n, &plain, &plainErr);
    const int s2 = pointsFitCircleOutliers(pts.data(), n, 6, &robust, &robustErr, rejected.data());
    CTavLog::_log = previous;
    const bool ok3 = circleIn3Points(pts[0], pts[24], pts[47], &three);

    Scene scene{
        "circle-fits.svg", "Circle fits: 48 noisy points on a circle of radius 100 plus 6 outliers", {}};
    scene.lines.push_back("least squares, all points: centre " + pointText(plain.center) + " radius " +
                          fmt(plain.radius) + " error " + fmt(plainErr, 3) + (s1 == 0 ? "" : " (refused)"));
    scene.lines.push_back("6 outliers rejected: centre " + pointText(robust.center) + " radius " +
                          fmt(robust.radius) + " error " + fmt(robustErr, 3) + (s2 == 0 ? "" : " (refused)"));
    scene.lines.push_back("through points 0, 24, 47: centre " + pointText(three.center) + " radius " +
                          fmt(three.radius) + (ok3 ? "" : " (collinear)"));
    scene.lines.push_back("true circle: centre (200.00, 150.00) radius 100.00");
    SvgPicture pic("Three circle fits to noisy points with outliers");
    pic.addPoints(pts, "#1f77b4", "input points (54)");
    pic.addCrosses(rejected, "#d62728", "rejected by the outlier fit (6)");
    pic.addCircle(plain, "#ff7f0e", "least squares on all points", true);
    pic.addCircle(robust, "#2ca02c", "least squares, 6 outliers rejected");
    pic.addCircle(three, "#9467bd", "circle through 3 points", true);
    pic.addPoints({pts[0], pts[24], pts[47]}, "#9467bd", "the 3 points");
    save(std::move(scene), pic);
  }

  // A consensus line fit against the plain least-squares fit.
  void consensusLine() {
    Noise noise(7);
    std::vector<TavPoint> pts;
    for (int i = 0; i < 40; ++i) {
      const double x = 10.0 + 9.5 * i;
      pts.emplace_back(x, 0.45 * x + 60.0 + 1.2 * noise.normal());
    }
    for (int i = 0; i < 8; ++i) {
      const double x = 40.0 + 45.0 * i;
      pts.emplace_back(x, 0.45 * x + 60.0 + 60.0 + 50.0 * noise.uniform());
    }
    const unsigned int n = static_cast<unsigned int>(pts.size());
    TavLine plain, consensus;
    double plainErr = 0.0, consensusErr = 0.0;
    std::vector<TavPoint> rejected(8);
    pointsFitLine(pts.data(), n, &plain);
    pointsLineDist(pts.data(), n, &plain, &plainErr);
    pointsFitLineRansac(pts.data(), n, 8, 100, &consensus, &consensusErr, rejected.data());
    auto slope = [](const TavLine& l) { return (l.p2.y - l.p1.y) / (l.p2.x - l.p1.x); };
    auto at0 = [&](const TavLine& l) { return l.p1.y - slope(l) * l.p1.x; };

    Scene scene{"consensus-line.svg",
                "Line fits: 40 points on y = 0.45 x + 60 plus 8 outliers below it (larger y)",
                {}};
    scene.lines.push_back("least squares, all points: y = " + fmt(slope(plain), 4) + " x + " +
                          fmt(at0(plain)) + ", mean distance " + fmt(plainErr, 3));
    scene.lines.push_back("consensus (8 outliers, 100 candidates): y = " + fmt(slope(consensus), 4) +
                          " x + " + fmt(at0(consensus)) + ", mean distance " + fmt(consensusErr, 3));
    SvgPicture pic("Consensus line fit against plain least squares");
    pic.addPoints(pts, "#1f77b4", "input points (48)");
    pic.addCrosses(rejected, "#d62728", "outliers found by consensus (8)");
    pic.addInfiniteLine(plain, "#ff7f0e", "least squares on all points", true);
    pic.addInfiniteLine(consensus, "#2ca02c", "consensus fit");
    save(std::move(scene), pic);
  }

  void region(CTavGeoRleCalc& calc, const std::vector<TavPoint>& pts, int w, int h, Scene scene,
              const std::string& title, bool outline) {
    calc.calculate(w, h, pts.data(), static_cast<int>(pts.size()));
    std::vector<PixelRun> runs;
    if (!splitRuns(calc.rle(), calc.recordRuns(), &runs)) throw ToolFailure("region list not well-formed");
    const std::vector<TavIPoint> perimeter = CTavGeoRleCalc::calculatePerimiterPoints(calc.rle());
    const TavRect box = calc.boundingBox();
    scene.lines.push_back(std::to_string(coveredPixels(runs)) + " pixels in " + std::to_string(runs.size()) +
                          " runs, " + std::to_string(perimeter.size()) + " perimeter points");
    scene.lines.push_back("bounding box x " + fmt(box.x, 0) + " y " + fmt(box.y, 0) + " width " +
                          fmt(box.width, 0) + " height " + fmt(box.height, 0));
    SvgPicture pic(title);
    pic.addRect(0, 0, w, h, "#999999", "image " + std::to_string(w) + "x" + std::to_string(h), true);
    pic.addRuns(runs, "#1f77b4", "runs (pixel cells)");
    pic.addPixels(perimeter, "#ff7f0e", "perimeter pixels");
    pic.addRect(box.x, box.y, box.width, box.height, "#2ca02c", "bounding box");
    if (outline) {
      pic.addPolyline(pts, true, "#d62728", "polygon");
    } else {
      pic.addPoints(pts, "#d62728", "centre and rim points");
    }
    save(std::move(scene), pic);
  }

  void polygon() {
    const std::vector<TavPoint> pts = {{4, 3},   {30, 6},  {22, 15}, {40, 20},
                                       {34, 33}, {16, 26}, {6, 34},  {10, 18}};
    CTavGeoRleCalcPolygon calc;
    region(calc, pts, 44, 38, Scene{"polygon.svg", "Polygon of 8 vertices rasterised on a 44x38 image", {}},
           "Polygon region with its perimeter pixels", true);
  }

  void annulus() {
    const std::vector<TavPoint> pts = {{20, 18}, {36, 18}, {20, 27}};
    CTavGeoRleCalcTorus calc;
    region(calc, pts, 40, 36,
           Scene{"annulus.svg", "Annulus (radii 16 and 9) rasterised on a 40x36 image", {}},
           "Annulus region with its perimeter pixels", false);
  }

  void spokes() {
    const TavArc arc(TavPoint(120, 110), 70.0, -30.0 * kPi / 180.0, 160.0 * kPi / 180.0);
    std::vector<TavLine> lines;
    arcToSpoke(arc, 30.0, 12.0, &lines);
    Scene scene{"spokes.svg", "Spokes across an arc (radius 70, 160 degrees), length 30, spacing 12", {}};
    scene.lines.push_back(std::to_string(lines.size()) + " spokes from the arc outward");
    SvgPicture pic("Spokes across an arc");
    std::vector<TavPoint> arcPts;
    for (int i = 0; i <= 160; ++i) {
      const double a = arc.startAngle + arc.sweepAngle * i / 160.0;
      arcPts.emplace_back(arc.center.x + arc.radius * std::cos(a), arc.center.y + arc.radius * std::sin(a));
    }
    pic.addPolyline(arcPts, false, "#444444", "arc");
    pic.addPoints({arc.center}, "#444444", "centre");
    pic.addScanLines(lines, "spokes in order, dot at p1");
    save(std::move(scene), pic);
  }

  void rake() {
    const std::vector<TavPoint> pts = {{20, 30}, {170, 50}, {140, 160}, {260, 190}};
    std::vector<TavLine> lines;
    polyLineToPolyRake(pts.data(), static_cast<int>(pts.size()), 12.0, 9.0, &lines);
    Scene scene{"rake.svg", "Rake along a polyline with two corners, half-length 12, spacing 9", {}};
    scene.lines.push_back(std::to_string(lines.size()) + " lines, fanned around the corners");
    SvgPicture pic("Rake along a polyline");
    pic.addPolyline(pts, false, "#444444", "polyline");
    pic.addScanLines(lines, "rake lines in order, dot at p1");
    save(std::move(scene), pic);
  }

  void writeIndex() {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>tavgeo demo</title>\n<style>body{font-family:sans-serif;margin:2em;max-width:1200px}"
        "figure{margin:0 0 2.5em 0}img{max-width:100%;border:1px solid #ccc}"
        "figcaption{margin-top:.5em}li{font-family:monospace}</style>\n</head>\n<body>\n"
        "<h1>tavgeo demo</h1>\n<p>TavGeometry " TAVGEOMETRY_VERSION_STRING
        " on built-in sample data. Image coordinates: x to the right, y downward.</p>\n";
    for (const Scene& s : m_scenes) {
      html += "<figure>\n<h2>" + xmlEscape(s.title) + "</h2>\n<img src=\"" + xmlEscape(s.file) + "\" alt=\"" +
              xmlEscape(s.title) + "\">\n<figcaption><ul>\n";
      for (const std::string& l : s.lines) html += "<li>" + xmlEscape(l) + "</li>\n";
      html += "</ul></figcaption>\n</figure>\n";
    }
    html += "</body>\n</html>\n";
    writeFileAtomically(m_dir + "/index.html", html);
  }

  std::string m_dir;
  std::vector<Scene> m_scenes;
};

}  // namespace

std::function<int()> registerDemo(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("demo", "Showcase on built-in data: pictures and index.html");
  auto dir = std::make_shared<std::string>("tavgeo-demo");
  cmd->add_option("--out", *dir, "Directory for the pictures and index.html (created if missing)")
      ->type_name("DIR")
      ->check([](const std::string& path) { return path.empty() ? std::string("needs a directory name") : ""; });
  cmd->footer("Example:\n  tavgeo demo --out /tmp/tavgeo-demo && xdg-open /tmp/tavgeo-demo/index.html");
  return [dir]() { return Demo(*dir).run(); };
}

}  // namespace tavgeo
