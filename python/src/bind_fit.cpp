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

unsigned int kOf(IntArg k) { return static_cast<unsigned int>(toCount(k, "k", 0xffffffffu)); }

// (shape, figure) of a fit that writes one shape and one double (the circle
// fits' error, the orthogonal line's RMS), or None when refused.
// Without the figure (withFigure false) the fit is asked for the shape alone,
// which it may find with less work, and the shape alone is returned.
template <class Shape>
py::object shapeFit(py::handle points, int (*fit)(const TavPoint*, unsigned int, Shape*, double*),
                    bool withFigure = true) {
  Points p = toPoints(points, "points");
  const unsigned int n = countOf(p);
  Shape shape;
  double figure = 0.0;
  int rc;
  {
    GilRelease release;
    rc = fit(p.data, n, &shape, withFigure ? &figure : nullptr);
  }
  if (rc != 0) return py::none();
  if (!withFigure) return py::cast(shape);
  return py::make_tuple(shape, figure);
}

py::array_t<double> pointsArray(const std::vector<TavPoint>& pts, std::size_t n) {
  py::array_t<double> out = newPoints(n);
  if (n) std::copy_n(pts.begin(), n, reinterpret_cast<TavPoint*>(out.mutable_data()));
  return out;
}

void bindFitMeasure(py::module_& m) {
  m.def(
      "points_fit_line_orthogonal",
      [](ArrayArg points, py::object returnRms) {
        const bool withRms = toBool(returnRms, "return_rms");
        return shapeFit<TavLine>(points, pointsFitLineOrthogonal, withRms);
      },
      py::arg("points"), py::arg("return_rms") = true,
      "Total least-squares line: through the centroid along the principal axis of the centred\n"
      "points (orthogonal distances). (Line from the centroid one unit along the axis, RMS\n"
      "orthogonal distance), or None for fewer than 2 distinct points or a non-finite coordinate.\n"
      "With return_rms=False the line alone (or None), without the pass over the points that the\n"
      "RMS distance takes.");
  m.def(
      "points_fit_circle_hyper",
      [](ArrayArg points) { return shapeFit<TavCircle>(points, pointsFitCircleHyper); },
      py::arg("points"),
      "Hyper-accurate algebraic circle fit (no essential bias on short arcs): (Circle, mean\n"
      "|distance to centre - radius|), or None for fewer than 3 points, non-finite coordinates or\n"
      "(nearly) collinear points.");
  m.def(
      "points_fit_circle_geometric",
      [](ArrayArg points, FlagArg standardErrorsArg) -> py::object {
        const bool standardErrors = toBool(standardErrorsArg, "standard_errors");
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        TavCircle c;
        TavCircleFitStats s{};
        int rc;
        {
          GilRelease release;
          rc = pointsFitCircleGeometric(p.data, n, &c, &s, standardErrors);
        }
        if (rc == 2) return py::none();
        py::dict d;
        d["rms"] = s.rms;
        d["mean_abs"] = s.meanAbs;
        d["iterations"] = s.iterations;
        d["converged"] = rc == 0;
        if (standardErrors) {
          d["se_center_x"] = s.seCx;
          d["se_center_y"] = s.seCy;
          d["se_radius"] = s.seR;
        }
        return py::make_tuple(c, d);
      },
      py::arg("points"), py::arg("standard_errors") = false,
      "Geometric circle fit (least squares of orthogonal distances, Levenberg-Marquardt from the\n"
      "Hyper fit): (Circle, stats) with stats = {'rms', 'mean_abs', 'iterations', 'converged'} and,\n"
      "with standard_errors, 'se_center_x', 'se_center_y', 'se_radius' (pixels). converged is False\n"
      "when the iteration limit stopped it (the circle is still the best found). None when refused.");
  m.def(
      "points_fit_circle_ransac",
      [](ArrayArg points, IntArg k, IntArg candidatesArg, FlagArg returnRejectedArg) -> py::object {
        const bool returnRejected = toBool(returnRejectedArg, "return_rejected");
        const int candidates = toInt(candidatesArg, "candidates");
        const unsigned int kk = kOf(k);  // before the points: converting k may run Python code
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        if (candidates < 0) throwValue("candidates must be >= 0 (0 chooses a count from k / N)");
        std::vector<TavPoint> rejected(returnRejected ? std::min(kk, n) : 0);
        TavCircle c;
        double err = 0.0;
        int rc;
        {
          GilRelease release;
          rc = pointsFitCircleRansac(p.data, n, kk, candidates, &c, &err,
                                     returnRejected ? rejected.data() : nullptr);
        }
        if (rc == 2) return py::none();  // 1: the refit stopped at its step limit, its circle stands
        if (!returnRejected) return py::make_tuple(c, err);
        return py::make_tuple(c, err, pointsArray(rejected, kk));
      },
      py::arg("points"), py::arg("k"), py::arg("candidates") = 0, py::arg("return_rejected") = false,
      "Consensus circle: circles through three drawn points scored by the N - k nearest points,\n"
      "the best refitted geometrically on them. (Circle, mean distance of the kept points[, rejected\n"
      "(k, 2)]); None when refused. A refit stopped by its iteration limit still gives its circle.\n"
      "Deterministic: the draws come from a generator seeded from the coordinates.");
}

}  // namespace

void bindFit(py::module_& m) {
  m.def(
      "points_fit_line",
      [](ArrayArg points) {
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        TavLine line;
        {
          GilRelease release;
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
      [](ArrayArg points, LineArg line) {
        Points p = toPoints(points, "points");
        TavLine l = toValue<TavLine>(line, "line", "Line");
        const unsigned int n = countOf(p);
        double d = 0.0;
        {
          GilRelease release;
          pointsLineDist(p.data, n, &l, &d);
        }
        return d;
      },
      py::arg("points"), py::arg("line"),
      "Mean unsigned distance (pixels) of the points to the infinite line; 0 for no points.");
  m.def(
      "points_fit_circle",
      [](ArrayArg points) { return shapeFit<TavCircle>(points, pointsFitCircle); },
      py::arg("points"),
      "Algebraic least-squares circle: (Circle, mean |distance to centre - radius|), or None (and a\n"
      "record on the 'tavgeometry' logger) for fewer than 3 points, no spread along x or y, or\n"
      "points on a straight line.");
  m.def(
      "points_fit_circle_outliers",
      [](ArrayArg points, IntArg k, FlagArg returnRemovedArg) -> py::object {
        const bool returnRemoved = toBool(returnRemovedArg, "return_removed");
        const unsigned int kk = kOf(k);  // before the points: converting k may run Python code
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        std::vector<TavPoint> removed(returnRemoved ? std::min(kk, n) : 0);
        TavCircle c;
        double err = 0.0;
        int rc;
        {
          GilRelease release;
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
      [](ArrayArg points, IntArg k, FlagArg returnRemovedArg) -> py::object {
        const bool returnRemoved = toBool(returnRemovedArg, "return_removed");
        const unsigned int kk = kOf(k);  // before the points: converting k may run Python code
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        const unsigned int kept = std::min(kk, n);
        std::vector<TavPoint> removed(returnRemoved ? kept : 0);
        TavLine line;
        double err = std::nan("");
        {
          GilRelease release;
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
      [](ArrayArg points, IntArg k, IntArg candidatesArg, FlagArg returnRejectedArg) -> py::object {
        const bool returnRejected = toBool(returnRejectedArg, "return_rejected");
        const int candidates = toInt(candidatesArg, "candidates");
        const unsigned int kk = kOf(k);  // before the points: converting k may run Python code
        Points p = toPoints(points, "points");
        const unsigned int n = countOf(p);
        if (candidates < 0) throwValue("candidates must be >= 0 (0 chooses a count from k / N)");
        if (kk >= n) return py::none();
        std::vector<TavPoint> rejected(returnRejected ? kk : 0);
        TavLine line;
        double err = 0.0;
        {
          GilRelease release;
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
  bindFitMeasure(m);
}

}  // namespace tgpy
