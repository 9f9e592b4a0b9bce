#include <TavGeometry/TavGeoFit.h>
#include <TavGeometry/TavGeoPoint.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

#include "fit/TavGeoFitDraw.h"
#include "fit/TavGeoFitRank.h"
#include "fit/TavGeoFitSpread.h"
#include "geometry/TavGeoInternal.h"
#include "log/TavGeoLog.h"

namespace NTavGeometry {

namespace {

// What the circle fit's records carry. The line numbers are fixed parts of the
// record, not the position of the code in this file.
const char kLogSource[] = ".\\TavGeoFit";
const char kLogCircleFunction[] = "NTavGeometry::pointsFitCircle";
constexpr unsigned int kLogCategory = 256;
constexpr int kCircleRefused = 2;
constexpr int kLineTooFewPoints = 16;
constexpr int kLineNoSpread = 65;
constexpr int kLineStraight = 69;
constexpr int kLineNotFinite = 71;
// Distances from a circle's centre are taken a block at a time (several points at once).
constexpr unsigned int kDistanceBlock = 256;

int refuseCircle(int line, const char* message) {
  return detail::logError(kLogSource, line, kLogCircleFunction, kLogCategory, kCircleRefused, message);
}

}  // namespace

int pointsFitLine(const TavPoint* points, unsigned int n, TavLine* out) {
  TavLine unwanted;  // a null output is not wanted
  if (out == nullptr) out = &unwanted;
  const double count = static_cast<double>(n);
  double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0, syy = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double x = points[i].x;
    const double y = points[i].y;
    sx += x;
    sy += y;
    sxy += x * y;
    sxx += x * x;
    syy += y * y;
  }
  // The spreads about the means choose the axis and serve nothing else; the
  // second pass that forms them runs only when the first pass's sums leave the
  // choice open (see TavGeoFitSpread.h).
  const int order = detail::spreadOrderFromSums(count, sx, sy, sxx, syy);
  bool xSpreadLess = order < 0;
  if (order == 0) {
    const double mx = sx / count;
    const double my = sy / count;
    double qx = 0.0, qy = 0.0;
    for (unsigned int i = 0; i < n; ++i) {
      const double dx = points[i].x - mx;
      const double dy = points[i].y - my;
      qx += dx * dx;
      qy += dy * dy;
    }
    xSpreadLess = qx < qy;
  }
  const double cxy = sxy - (sx * sy) / count;
  // The fallbacks run only with at least one point (with none the sums are NaN),
  // but the first point is read under that guard anyway.
  const TavPoint first = n > 0 ? points[0] : TavPoint();
  if (xSpreadLess) {
    const double cyy = syy - (sy * sy) / count;
    if (!(cyy < 1e-5)) {
      const double b = cxy / cyy;
      const double a = (sx - b * sy) / count;
      out->p1 = TavPoint(a + b * 0.0, 0.0);
      out->p2 = TavPoint(a + b * 10000.0, 10000.0);
    } else {
      out->p1 = TavPoint(first.x, 0.0);
      out->p2 = TavPoint(first.x, 10000.0);
    }
  } else {
    const double cxx = sxx - (sx * sx) / count;
    if (!(cxx < 1e-5)) {
      const double b = cxy / cxx;
      const double a = (sy - b * sx) / count;
      out->p1 = TavPoint(0.0, a + b * 0.0);
      out->p2 = TavPoint(10000.0, a + b * 10000.0);
    } else {
      out->p1 = TavPoint(0.0, first.y);
      out->p2 = TavPoint(10000.0, first.y);
    }
  }
  return 0;
}

int pointsLineDist(const TavPoint* points, unsigned int n, TavLine* line, double* dist) {
  if (dist == nullptr) return 0;
  *dist = 0.0;
  if (n == 0 || line == nullptr) return 0;
  double sum = 0.0;
  for (unsigned int i = 0; i < n; ++i) sum += pointLineDist(points[i], *line);
  *dist = sum / static_cast<double>(n);
  return 0;
}

int pointsFitCircle(const TavPoint* points, unsigned int n, TavCircle* circle, double* error) {
  constexpr double kEps = DBL_EPSILON;
  TavCircle unwantedCircle;  // null outputs are not wanted; the fit still runs and logs
  double unwantedError = 0.0;
  if (circle == nullptr) circle = &unwantedCircle;
  if (error == nullptr) error = &unwantedError;
  circle->center = TavPoint(0.0, 0.0);
  circle->radius = 0.0;
  *error = 0.0;
  if (n < 3) return refuseCircle(kLineTooFewPoints, "Need 3 or more points");

  const double count = static_cast<double>(n);
  double sx = 0.0, sy = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    sx += points[i].x;
    sy += points[i].y;
  }
  const double mx = sx / count;
  const double my = sy / count;
  double suu = 0.0, suv = 0.0, svv = 0.0, suuu = 0.0, svvv = 0.0, suuv = 0.0, suvv = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    const double u = points[i].x - mx;
    const double v = points[i].y - my;
    const double uu = u * u;
    const double vv = v * v;
    suu += uu;
    const double uv = u * v;
    suv += uv;
    svv += vv;
    suuu += uu * u;
    svvv += vv * v;
    suuv += uu * v;
    suvv += uv * v;
  }
  suu /= count;
  suv /= count;
  svv /= count;
  suuu /= count;
  svvv /= count;
  suuv /= count;
  suvv /= count;

  if (suu < kEps || svv < kEps) {
    return refuseCircle(kLineNoSpread, "Not circle; Point, horizontal or vertical line");
  }
  const double det = svv * suu - suv * suv;
  // Points on a slanted line give det = 0 only in exact arithmetic; rounding
  // leaves a few ulps of suu * svv, growing like sqrt(n) with the count. A det
  // within that noise carries no curvature and would give a meaningless circle.
  const double straightTolerance = 8.0 * std::sqrt(count) * kEps * (suu * svv);
  if (std::fabs(det) < kEps || std::fabs(det) < straightTolerance) {
    return refuseCircle(kLineStraight, "Not circle; Diagonal line");
  }
  const double a = (suvv + suuu) * 0.5;
  const double b = (suuv + svvv) * 0.5;
  const double uc = (a * svv - b * suv) / det;
  const double vc = (b * suu - a * suv) / det;
  const TavPoint center(mx + uc, my + vc);
  const double radius = std::sqrt(uc * uc + vc * vc + suu + svv);
  // A coordinate that is NaN or infinite, or sums beyond the range of double
  // (coordinates near 1e100 and up), leave no circle to report: the outputs
  // stay zero and the fit is refused rather than returning NaN as a success.
  if (!std::isfinite(center.x) || !std::isfinite(center.y) || !std::isfinite(radius)) {
    return refuseCircle(kLineNotFinite, "Not circle; Coordinates not finite or out of range");
  }
  circle->center = center;
  circle->radius = radius;
  // The distances a block at a time (several at once), summed in the points' order.
  double sum = 0.0, dist[kDistanceBlock];
  for (unsigned int start = 0; start < n; start += kDistanceBlock) {
    const unsigned int m = std::min(kDistanceBlock, n - start);
    detail::pointDistances(points + start, m, center, dist);
    for (unsigned int i = 0; i < m; ++i) sum += std::fabs(dist[i] - radius);
  }
  *error = sum / count;
  return 0;
}

int pointsFitCircleOutliers(const TavPoint* points, unsigned int n, unsigned int k, TavCircle* circle,
                            double* error, TavPoint* removed) {
  TavCircle unwantedCircle;  // the removals need the circle even when the caller does not
  if (circle == nullptr) circle = &unwantedCircle;
  std::vector<TavPoint> work;
  if (n > 0) work.assign(points, points + n);
  const unsigned int keep = n - k;  // wraps for k > n: the fit is then refused at 2 points
  unsigned int written = 0;
  int status = pointsFitCircle(work.data(), static_cast<unsigned int>(work.size()), circle, error);
  while (status == 0 && work.size() != keep) {
    // The first of equal largest residuals; a set whose residuals are all NaN
    // loses its first point.
    double worst = -1.0;
    size_t w = 0;
    for (size_t start = 0; start < work.size(); start += kDistanceBlock) {
      const size_t m = std::min<size_t>(kDistanceBlock, work.size() - start);
      double dist[kDistanceBlock];
      detail::pointDistances(work.data() + start, m, circle->center, dist);
      for (size_t j = 0; j < m; ++j) {
        const double d = std::fabs(dist[j] - circle->radius);
        if (d > worst) {
          worst = d;
          w = start + j;
        }
      }
    }
    if (removed != nullptr) removed[written++] = work[w];
    work.erase(work.begin() + static_cast<std::ptrdiff_t>(w));
    status = pointsFitCircle(work.data(), static_cast<unsigned int>(work.size()), circle, error);
  }
  return status;
}

int pointsFitLineOutliers(const TavPoint* points, unsigned int n, unsigned int k, TavLine* line,
                          double* error, TavPoint* removed) {
  if (k > n) k = n;      // never remove from an empty set
  TavLine unwantedLine;  // the removals need the line even when the caller does not
  double unwantedError = 0.0;
  if (line == nullptr) line = &unwantedLine;
  if (error == nullptr) error = &unwantedError;
  std::vector<TavPoint> work;
  if (n > 0) work.assign(points, points + n);
  const unsigned int keep = n - k;
  unsigned int written = 0;
  pointsFitLine(work.data(), static_cast<unsigned int>(work.size()), line);
  while (work.size() != keep) {
    double sum = 0.0;
    double worst = -1.0;
    size_t w = 0;
    for (size_t j = 0; j < work.size(); ++j) {
      const double d = pointLineDist(work[j], *line);
      sum += d;
      if (d > worst) {
        worst = d;
        w = j;
      }
    }
    if (removed != nullptr) removed[written++] = work[w];
    work.erase(work.begin() + static_cast<std::ptrdiff_t>(w));
    *error = (sum - worst) / static_cast<double>(work.size());
    pointsFitLine(work.data(), static_cast<unsigned int>(work.size()), line);
  }
  return 0;
}

int pointsFitLineRansac(const TavPoint* points, unsigned int n, unsigned int k, int candidates, TavLine* line,
                        double* error, TavPoint* rejected) {
  if (k >= n) return 0;
  TavLine unwantedLine;  // null outputs are not wanted
  double unwantedError = 0.0;
  if (line == nullptr) line = &unwantedLine;
  if (error == nullptr) error = &unwantedError;
  int count = candidates;
  if (count < 1) {
    double r = static_cast<double>(k) / static_cast<double>(n);
    if (r < 0.02) r = 0.02;
    count = detail::truncToInt((std::log(100.0 * r) - 1.0) * static_cast<double>(k));
  }
  const unsigned int m = n - k;  // points kept, at least 1

  std::vector<double> dist(n);
  std::vector<double> values(n);
  std::vector<uint32_t> order(n);
  std::vector<TavPoint> best(n);  // the best candidate's points, nearest first
  detail::RankScratch scratch;
  std::vector<uint64_t> radixA, radixB;
  auto takeOrder = [&]() {
    detail::selectionSortOrder(dist.data(), n, order.data(), scratch);
    for (unsigned int j = 0; j < n; ++j) best[j] = points[order[j]];
  };

  // pointLineDist of every point to the line through points i1 and i2, the
  // line's length taken once: the same expression, so the same bits.
  auto distancesTo = [&](unsigned int i1, unsigned int i2) {
    const TavPoint a = points[i1];
    const TavPoint b = points[i2];
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len >= 1e-8) {
      for (unsigned int j = 0; j < n; ++j) {
        dist[j] = std::fabs((points[j].y - a.y) * dx / len - (points[j].x - a.x) * dy / len);
      }
    } else {
      for (unsigned int j = 0; j < n; ++j)
        dist[j] = detail::roundedHypot(points[j].x - a.x, points[j].y - a.y);
    }
  };
  // True when no distance is NaN (each is >= 0 or +inf otherwise, so the sum
  // is NaN exactly when one of them is).
  auto noNaN = [&]() {
    double total = 0.0;
    for (unsigned int j = 0; j < n; ++j) total += dist[j];
    return total == total;
  };

  bool found = false;
  unsigned int best1 = 0, best2 = 0;  // the best candidate's two points
  if (n >= 2 && count > 0) {
    detail::CLcg gen(detail::consensusSeed(points, n));
    double bestScore = DBL_MAX;
    double bestEdge = -1.0;  // largest kept distance of the best candidate, once there is one
    // A candidate's score is the sum of its m smallest distances added in
    // ascending order; two cheaper figures prove most candidates worse than the
    // best without that sort (see TavGeoFitRank.h). The ordering of the points
    // is needed for the best candidate only: it is formed once, after the search.
    while (count > 0) {
      --count;
      const unsigned int i1 = detail::drawIndex(gen, n);
      unsigned int i2 = detail::drawIndex(gen, n);
      while (i2 == i1) i2 = detail::drawIndex(gen, n);

      double score = 0.0;
      distancesTo(i1, i2);
      bool usable;  // no distance is NaN
      if (bestEdge > 0.0 && bestEdge < DBL_MAX / 64.0) {
        // The capped sums in two interleaved halves each (the bounds allow any
        // summation order), so that the additions do not wait on each other.
        // min(NaN, cap) is NaN, so they also tell whether a distance is NaN.
        const double cap[4] = {bestEdge * 0.5, bestEdge, bestEdge * 2.0, bestEdge * 4.0};
        double even[4] = {0.0, 0.0, 0.0, 0.0};
        double odd[4] = {0.0, 0.0, 0.0, 0.0};
        const double* d = dist.data();
        unsigned int j = 0;
        for (; j + 1 < n; j += 2) {
          for (int c = 0; c < 4; ++c) {
            even[c] += std::min(d[j], cap[c]);
            odd[c] += std::min(d[j + 1], cap[c]);
          }
        }
        if (j < n) {
          for (int c = 0; c < 4; ++c) even[c] += std::min(d[j], cap[c]);
        }
        const double capped1 = even[1] + odd[1];
        usable = capped1 == capped1;
        bool worse = false;
        for (int c = 0; c < 4 && usable && !worse; ++c) {
          worse = detail::cappedSumCannotBeat(even[c] + odd[c], n, k, cap[c], bestScore);
        }
        if (worse) continue;
      } else {
        usable = noNaN();
      }
      if (usable) {
        std::copy(dist.begin(), dist.end(), values.begin());
        if (m < n) std::nth_element(values.begin(), values.begin() + m, values.end());
        double anyOrder = 0.0;
        for (unsigned int j = 0; j < m; ++j) anyOrder += values[j];
        if (detail::keptSumCannotBeat(anyOrder, m, bestScore)) continue;
        detail::sortNonNegative(values.data(), m, radixA, radixB);
        for (unsigned int j = 0; j < m; ++j) score += values[j];
        if (!(score < bestScore)) continue;
        bestEdge = values[m - 1];
      } else {
        detail::selectionSortOrder(dist.data(), n, order.data(), scratch);
        for (unsigned int j = 0; j < m; ++j) score += dist[order[j]];
        if (!(score < bestScore)) continue;
        bestEdge = -1.0;
      }
      bestScore = score;
      best1 = i1;
      best2 = i2;
      found = true;
      if (bestScore == 0.0) break;  // scores are sums of distances: none is below 0
    }
  }
  if (found) {
    distancesTo(best1, best2);
    takeOrder();
  } else {
    // No candidate was tried (or none had a usable score): the least-squares
    // line of all points stands as the one candidate.
    TavLine all;
    pointsFitLine(points, n, &all);
    for (unsigned int j = 0; j < n; ++j) dist[j] = pointLineDist(points[j], all);
    takeOrder();
  }

  pointsFitLine(best.data(), m, line);
  if (rejected != nullptr) {
    for (unsigned int i = 0; i < k; ++i) rejected[i] = best[m + i];
  }
  double sum = 0.0;
  for (unsigned int j = 0; j < m; ++j) sum += pointLineDist(best[j], *line);
  *error = sum / static_cast<double>(m);
  return 0;
}

}  // namespace NTavGeometry
