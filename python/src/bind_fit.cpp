// Fits. Results come back as values: a refused fit gives None.
#include <TavGeometry/TavGeoFit.h>

#include <cmath>
#include <vector>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

namespace {

unsigned int countOf(const Points& p) {
  if (p.n > 0xffffffffu) throwValue("points holds too many points");
  return static_cast<unsigned int>(p.n);
}

unsigned int kOf(py::handle k) { return static_cast<unsigned int>(toCount(k, "k", 0xffffffffu)); }

py::array_t<double> pointsArray(const std::vector<TavPoint>& pts, std::size_t n) {
  py::array_t<double> out = newPoints(n);
  if (n) std::copy(pts.begin(), pts.begin() + static_cast<std::ptrdiff_t>(n), reinterpret_cast<TavPoint*>(out.mutable_data()));
  return out;
}

}  // namespace

void bindFit(py::module_& m) {
  m.def(
      "points_fit_line",
      [](py::handle points) {
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        TavLine line;
        {
          py::gil_scoped_release release;
          pointsFitLine(p.data, n, &line);
        }
        return line;
      },
      py::arg("points"),
      "Least-squares Line through an (N, 2) point set: y over x when the points spread at least as\n"
      "much along x as along y, else x over y; its points lie at 0 and 10000 on that axis. A set\n"
      "with too little spread gives the axis-parallel line through the first point; no points give\n"
      "NaN ordinates. Minimises vertical (or horizontal) distances, not orthogonal ones.");
  m.def(
      "points_line_dist",
      [](py::handle points, py::handle line) {
        Points p = toPoints(points, "points");
        TavLine l = toValue<TavLine>(line, "line", "Line");
        const unsigned int n = countOf(p);
        double d = 0.0;
        {
          py::gil_scoped_release release;
          pointsLineDist(p.data, n, &l, &d);
        }
        return d;
      },
      py::arg("points"), py::arg("line"),
      "Mean unsigned distance (pixels) of the points to the infinite line; 0 for no points.");
  m.def(
      "points_fit_circle",
      [](py::handle points) -> py::object {
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        TavCircle c;
        double err = 0.0;
        int rc;
        {
          py::gil_scoped_release release;
          rc = pointsFitCircle(p.data, n, &c, &err);
        }
        if (rc != 0) return py::none();
        return py::make_tuple(c, err);
      },
      py::arg("points"),
      "Algebraic least-squares circle: (Circle, mean |distance to centre - radius|), or None (and a\n"
      "record on the 'tavgeometry' logger) for fewer than 3 points, no spread along x or y, or\n"
      "points on a straight line.");
  m.def(
      "points_fit_circle_outliers",
      [](py::handle points, py::handle k, bool returnRemoved) -> py::object {
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        const unsigned int kk = kOf(k);
        std::vector<TavPoint> removed(returnRemoved ? std::min(kk, n) : 0);
        TavCircle c;
        double err = 0.0;
        int rc;
        {
          py::gil_scoped_release release;
          // At most n points can be removed, so min(k, n) entries always suffice.
          rc = pointsFitCircleOutliers(p.data, n, kk, &c, &err, returnRemoved ? removed.data() : nullptr);
        }
        if (rc != 0) return py::none();
        if (!returnRemoved) return py::make_tuple(c, err);
        return py::make_tuple(c, err, pointsArray(removed, kk));
      },
      py::arg("points"), py::arg("k"), py::arg("return_removed") = false,
      "Fits a circle, then k times drops the point farthest from it and refits. (Circle, error) or,\n"
      "with return_removed, (Circle, error, removed (k, 2) in removal order); None once a fit is\n"
      "refused (e.g. when fewer than 3 points remain).");
  m.def(
      "points_fit_line_outliers",
      [](py::handle points, py::handle k, bool returnRemoved) -> py::object {
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        const unsigned int kk = kOf(k);
        const unsigned int kept = std::min(kk, n);
        std::vector<TavPoint> removed(returnRemoved ? kept : 0);
        TavLine line;
        double err = std::nan("");
        {
          py::gil_scoped_release release;
          pointsFitLineOutliers(p.data, n, kk, &line, &err, returnRemoved ? removed.data() : nullptr);
        }
        if (!returnRemoved) return py::make_tuple(line, err);
        return py::make_tuple(line, err, pointsArray(removed, kept));
      },
      py::arg("points"), py::arg("k"), py::arg("return_removed") = false,
      "Fits a line, then k times (at most N) drops the farthest point and refits. (Line, error[,\n"
      "removed]); error is the mean distance of the points kept by the last removal to the line\n"
      "fitted before it, nan when k is 0.");
  m.def(
      "points_fit_line_ransac",
      [](py::handle points, py::handle k, int candidates, bool returnRejected) -> py::object {
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        const unsigned int kk = kOf(k);
        if (candidates < 0) throwValue("candidates must be >= 0 (0 chooses a count from k / N)");
        if (kk >= n) return py::none();
        std::vector<TavPoint> rejected(returnRejected ? kk : 0);
        TavLine line;
        double err = 0.0;
        {
          py::gil_scoped_release release;
          pointsFitLineRansac(p.data, n, kk, candidates, &line, &err, returnRejected ? rejected.data() : nullptr);
        }
        if (!returnRejected) return py::make_tuple(line, err);
        return py::make_tuple(line, err, pointsArray(rejected, kk));
      },
      py::arg("points"), py::arg("k"), py::arg("candidates") = 0, py::arg("return_rejected") = false,
      "Consensus line: tries `candidates` lines through two drawn points (0: a count from k / N),\n"
      "keeps the one whose N - k nearest points lie closest, refits them by least squares.\n"
      "(Line, mean distance of the kept points[, rejected (k, 2), nearest first]); None when k >= N.\n"
      "Deterministic: the draws come from a generator seeded from the coordinates.");
}

}  // namespace tgpy
