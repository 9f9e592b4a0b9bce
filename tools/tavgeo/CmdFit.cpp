// fit-line, fit-circle and ransac-line.
#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>

#include <cmath>

#include "Commands.h"
#include "Common.h"
#include "PointInput.h"

namespace tavgeo {
namespace {

using namespace NTavGeometry;

// Catches the circle fit's log record while it lives, so that a refused fit
// can be explained in the error message.
class LogCapture {
 public:
  LogCapture()
      : m_log([this](unsigned int, const std::string& record) { m_last = record; }),
        m_previous(CTavLog::_log) {
    CTavLog::_log = &m_log;
  }
  ~LogCapture() { CTavLog::_log = m_previous; }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // The quoted message of the last record ("Need 3 or more points", ...).
  std::string reason() const {
    const std::size_t a = m_last.find('"');
    const std::size_t b = a == std::string::npos ? a : m_last.find('"', a + 1);
    if (b == std::string::npos) return m_last.empty() ? std::string("refused") : m_last;
    return m_last.substr(a + 1, b - a - 1);
  }

 private:
  std::string m_last;
  CTavLog m_log;
  CTavLog* m_previous;
};

unsigned int countOf(const PointSet& set) { return static_cast<unsigned int>(set.points.size()); }

void checkOutlierWork(const PointSet& set, long reject, const char* what) {
  const double work = static_cast<double>(set.points.size()) * static_cast<double>(reject + 1);
  if (work > Limits::kMaxOutlierWork) {
    throw InputError(set.name + ": " + what + " --reject " + std::to_string(reject) + " on " +
                     std::to_string(set.points.size()) +
                     " points exceeds the work limit (points x (rejected + 1) <= " +
                     formatNumber(Limits::kMaxOutlierWork) + ")");
  }
}

void drawFitPicture(SvgPicture* pic, const PointSet& set, const std::vector<TavPoint>& rejected) {
  pic->addPoints(set.points, "#1f77b4", "input points (" + std::to_string(set.points.size()) + ")");
  if (!rejected.empty()) {
    pic->addCrosses(rejected, "#d62728", "rejected points (" + std::to_string(rejected.size()) + ")");
  }
}

}  // namespace

Runner registerFitLine(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd = app.add_subcommand("fit-line", "Least-squares line through the points");
  auto reject = std::make_shared<std::string>("0");
  addCommonOptions(cmd, common);
  cmd->add_option("--reject", *reject,
                  "Remove the K points farthest from the fit, one at a time, refitting each time")
      ->type_name("K");
  cmd->footer(
      "The line is given by two points on it (0 and 10000 along its main axis); angle: the\n"
      "direction from p1 to p2, radians in [-pi, pi] (either direction of a line may come out).\n"
      "error: mean distance of the points to the line (with --reject: of the kept points\n"
      "to the line fitted before the last removal).\n\n"
      "Example:\n  printf '0 0\\n1 1.1\\n2 1.9\\n3 3.2\\n' | tavgeo fit-line --pretty\n"
      "  tavgeo fit-line points.txt --reject 2 --svg fit.svg");
  return [common, reject]() {
    const long k = parseCountOption("--reject", *reject, Limits::kMaxPoints);
    PointSet set = readPoints(common->input);
    requirePoints(set, 2 + static_cast<std::size_t>(k),
                  k > 0 ? "fit-line --reject " + std::to_string(k) : std::string("fit-line"));
    checkOutlierWork(set, k, "fit-line");
    TavLine line;
    double error = 0.0;
    std::vector<TavPoint> rejected(static_cast<std::size_t>(k));
    if (k == 0) {
      pointsFitLine(set.points.data(), countOf(set), &line);
      pointsLineDist(set.points.data(), countOf(set), &line, &error);
    } else {
      pointsFitLineOutliers(set.points.data(), countOf(set), static_cast<unsigned int>(k), &line, &error,
                            rejected.data());
    }
    Outcome out;
    out.json = resultHead("fit-line", set.name, set.points.size());
    out.json["line"] = toJson(line);
    out.json["angle"] = lineAngle(line);
    out.json["error"] = error;
    out.json["rejected"] = toJsonArray(rejected);
    out.picture = std::make_unique<SvgPicture>("fit-line: " + set.name);
    drawFitPicture(out.picture.get(), set, rejected);
    out.picture->addInfiniteLine(
        line, "#2ca02c",
        k > 0 ? "fitted line, " + std::to_string(k) + " rejected" : std::string("fitted line"));
    out.picture->addNote("mean distance " + formatNumber(error));
    return out;
  };
}

Runner registerFitCircle(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd = app.add_subcommand("fit-circle", "Least-squares circle through the points");
  auto reject = std::make_shared<std::string>("0");
  addCommonOptions(cmd, common);
  cmd->add_option("--reject", *reject,
                  "Remove the K points farthest from the circle, one at a time, refitting each time")
      ->type_name("K");
  cmd->footer(
      "error: mean |distance to the centre - radius| of the points kept.\n"
      "Points on a line or without spread are refused with exit status 2; points on a line\n"
      "up to rounding (as written with a few decimals) may instead give a huge circle.\n\n"
      "Example:\n  printf '1 0\\n0 1\\n-1 0\\n0 -1\\n' | tavgeo fit-circle --pretty\n"
      "  tavgeo fit-circle ring.txt --reject 3 --svg ring.svg");
  return [common, reject]() {
    const long k = parseCountOption("--reject", *reject, Limits::kMaxPoints);
    PointSet set = readPoints(common->input);
    requirePoints(set, 3 + static_cast<std::size_t>(k),
                  k > 0 ? "fit-circle --reject " + std::to_string(k) : std::string("fit-circle"));
    checkOutlierWork(set, k, "fit-circle");
    TavCircle circle;
    double error = 0.0;
    std::vector<TavPoint> rejected(static_cast<std::size_t>(k));
    int status = 0;
    LogCapture log;
    if (k == 0) {
      status = pointsFitCircle(set.points.data(), countOf(set), &circle, &error);
    } else {
      status = pointsFitCircleOutliers(set.points.data(), countOf(set), static_cast<unsigned int>(k), &circle,
                                       &error, rejected.data());
    }
    if (status != 0) throw InputError(set.name + ": no circle fits these points (" + log.reason() + ")");
    Outcome out;
    out.json = resultHead("fit-circle", set.name, set.points.size());
    out.json["circle"] = toJson(circle);
    out.json["error"] = error;
    out.json["rejected"] = toJsonArray(rejected);
    out.picture = std::make_unique<SvgPicture>("fit-circle: " + set.name);
    drawFitPicture(out.picture.get(), set, rejected);
    out.picture->addCircle(
        circle, "#2ca02c",
        k > 0 ? "fitted circle, " + std::to_string(k) + " rejected" : std::string("fitted circle"));
    out.picture->addNote("centre (" + formatNumber(circle.center.x) + ", " + formatNumber(circle.center.y) +
                         "), radius " + formatNumber(circle.radius));
    out.picture->addNote("mean radial error " + formatNumber(error));
    return out;
  };
}

Runner registerRansacLine(CLI::App& app, CommonOptions* common) {
  CLI::App* cmd =
      app.add_subcommand("ransac-line", "Line fit by random sample consensus, ignoring K outliers");
  auto outliers = std::make_shared<std::string>();
  auto candidates = std::make_shared<std::string>("0");
  addCommonOptions(cmd, common);
  cmd->add_option("--outliers", *outliers, "Number of points to treat as outliers")
      ->type_name("K")
      ->required();
  cmd->add_option("--candidates", *candidates, "Candidate lines to try (0: chosen from the outlier ratio)")
      ->type_name("N");
  cmd->footer(
      "Candidates are lines through two drawn points; the best one (smallest sum of the\n"
      "distances of all but K points) is refitted by least squares. Same input, same result.\n"
      "error: mean distance of the kept points to the final line; candidates: the option as\n"
      "given (0: the count the library derives from K and the number of points).\n\n"
      "Example:\n  tavgeo ransac-line points.txt --outliers 3 --candidates 200 --svg ransac.svg");
  return [common, outliers, candidates]() {
    const long k = parseCountOption("--outliers", *outliers, Limits::kMaxPoints);
    const long c = parseCountOption("--candidates", *candidates, Limits::kMaxCandidates);
    PointSet set = readPoints(common->input);
    requirePoints(set, 2 + static_cast<std::size_t>(k), "ransac-line --outliers " + std::to_string(k));
    // Each candidate measures and ranks all points; bound the total work. The
    // automatic count is at most about 3.6 * K.
    const double n = static_cast<double>(set.points.size());
    const double effective = c > 0 ? static_cast<double>(c) : std::max(1.0, 3.7 * static_cast<double>(k));
    if (n * effective > Limits::kMaxRansacWork) {
      throw InputError(set.name + ": ransac-line on " + std::to_string(set.points.size()) +
                       " points with about " + formatCount(std::floor(effective)) +
                       " candidates exceeds the work limit (points x candidates <= " +
                       formatNumber(Limits::kMaxRansacWork) + ")");
    }
    TavLine line;
    double error = 0.0;
    std::vector<TavPoint> rejected(static_cast<std::size_t>(k));
    pointsFitLineRansac(set.points.data(), countOf(set), static_cast<unsigned int>(k), static_cast<int>(c),
                        &line, &error, rejected.data());
    Outcome out;
    out.json = resultHead("ransac-line", set.name, set.points.size());
    out.json["line"] = toJson(line);
    out.json["angle"] = lineAngle(line);
    out.json["error"] = error;
    out.json["candidates"] = c;
    out.json["rejected"] = toJsonArray(rejected);
    out.picture = std::make_unique<SvgPicture>("ransac-line: " + set.name);
    drawFitPicture(out.picture.get(), set, rejected);
    out.picture->addInfiniteLine(line, "#2ca02c", "consensus line, " + std::to_string(k) + " outliers");
    out.picture->addNote("mean distance of kept points " + formatNumber(error));
    return out;
  };
}

}  // namespace tavgeo
