#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "check.h"
#include "reference/fit_reference.h"

using namespace NTavGeometry;
using tavtest::isCircle;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Installs a logging object that keeps every record, and restores the previous
// one afterwards.
class RecordCapture {
 public:
  RecordCapture()
      : m_log([this](unsigned int category, const std::string& text) {
          categories.push_back(category);
          records.push_back(text);
        }),
        m_previous(CTavLog::_log) {
    CTavLog::_log = &m_log;
  }
  ~RecordCapture() { CTavLog::_log = m_previous; }
  std::vector<unsigned int> categories;
  std::vector<std::string> records;

 private:
  CTavLog m_log;
  CTavLog* m_previous;
};

std::string record(const std::string& message, int line) {
  return "\"" + message + "\" [.\\TavGeoFit:" + std::to_string(line) + ":NTavGeometry::pointsFitCircle] (2)";
}
const char kTooFew[] = "Need 3 or more points";
const char kNoSpread[] = "Not circle; Point, horizontal or vertical line";
const char kStraight[] = "Not circle; Diagonal line";

void expectLine(const TavLine& l, double x1, double y1, double x2, double y2) {
  EXPECT_DOUBLE_EQ(l.p1.x, x1);
  EXPECT_DOUBLE_EQ(l.p1.y, y1);
  EXPECT_DOUBLE_EQ(l.p2.x, x2);
  EXPECT_DOUBLE_EQ(l.p2.y, y2);
}

// Fits with a garbage-filled circle and error, expecting a refusal with one record.
void expectRefused(const std::vector<TavPoint>& pts, const char* message, int line) {
  RecordCapture cap;
  TavCircle c(TavPoint(7, 7), 7);
  double err = 7;
  EXPECT_EQ(pointsFitCircle(pts.data(), static_cast<unsigned int>(pts.size()), &c, &err), 2);
  EXPECT_TRUE(isCircle(c, 0, 0, 0));
  EXPECT_EQ(err, 0.0);
  ASSERT_EQ(cap.records.size(), 1u);
  EXPECT_EQ(cap.categories[0], 256u);
  EXPECT_EQ(cap.records[0], record(message, line));
}
}  // namespace

TEST(FitLine, ChoosesRegressionAxisAndFallsBackThroughFirstPoint) {
  const struct {
    std::vector<TavPoint> pts;
    double x1, y1, x2, y2;
  } cases[] = {
      {{{3, 7}}, 0, 7, 10000, 7},
      {{{4, 1}, {4, 2}}, 4, 0, 4, 10000},
      {{{0, 0}, {1, 1}, {2, 2}}, 0, 0, 10000, 10000},  // equal spreads: y over x
      {{{0, 5}, {10, 5}, {20, 5}}, 0, 5, 10000, 5},
      {{{1, 0}, {2, 10}, {3, 20}}, 1, 0, 1001, 10000},  // steep set: x over y, x = 1 + 0.1 y
      // Falling line y = 10 - 2x (Qx = 5 < Qy = 20 would pick x over y, so spread x more).
      {{{0, 10}, {4, 8}, {8, 6}, {12, 4}}, 0, 10, 10000, 10 - 0.5 * 10000},
      // Too little spread along the chosen axis: through the first point, not the mean.
      {{{3, 0}, {3.001, 0.004}}, 3, 0, 3, 10000},
      {{{5, 1.0}, {5.001, 1.0002}}, 0, 1.0, 10000, 1.0},
  };
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    SCOPED_TRACE(k);
    TavLine l;
    EXPECT_EQ(pointsFitLine(cases[k].pts.data(), static_cast<unsigned int>(cases[k].pts.size()), &l), 0);
    expectLine(l, cases[k].x1, cases[k].y1, cases[k].x2, cases[k].y2);
  }
}

TEST(FitLine, SlopeComesFromTheRawSums) {
  // Far from the origin the raw sums lose digits that the centred sums keep:
  // the slope uses the raw cross and square sums, only the axis choice the
  // centred spreads. Expected values follow those steps; the centred slope
  // differs, so the data tell the two apart.
  std::vector<TavPoint> pts;
  for (double d : {0.1, 1.3, 2.2, 3.7, 5.9}) pts.emplace_back(1e6 + d, 0.2 * d + 0.03 * d * d);
  for (int swapped = 0; swapped < 2; ++swapped) {
    std::vector<TavPoint> v = pts;
    if (swapped) {
      for (TavPoint& p : v) std::swap(p.x, p.y);
    }
    // u runs along the dominant axis, w along the other.
    double n = 5, su = 0, sw = 0, suw = 0, suu = 0, qu = 0, cuw = 0;
    for (const TavPoint& p : v) {
      const double u = swapped ? p.y : p.x, w = swapped ? p.x : p.y;
      su += u;
      sw += w;
      suw += p.x * p.y;
      suu += u * u;
    }
    for (const TavPoint& p : v) {
      const double u = swapped ? p.y : p.x, w = swapped ? p.x : p.y;
      qu += (u - su / n) * (u - su / n);
      cuw += (u - su / n) * (w - sw / n);
    }
    const double b = (suw - (su * sw) / n) / (suu - (su * su) / n);
    const double a = (sw - b * su) / n;
    const double centred = cuw / qu;
    ASSERT_NE((sw - centred * su) / n, a);
    TavLine l;
    pointsFitLine(v.data(), 5, &l);
    if (swapped) {
      EXPECT_EQ(l.p1.x, a + b * 0.0);
      EXPECT_EQ(l.p2.x, a + b * 10000.0);
      EXPECT_EQ(l.p2.y, 10000.0);
    } else {
      EXPECT_EQ(l.p1.y, a + b * 0.0);
      EXPECT_EQ(l.p2.y, a + b * 10000.0);
      EXPECT_EQ(l.p2.x, 10000.0);
    }
  }
}

TEST(FitLine, NoPointsGiveNaNOrdinatesWithoutReading) {
  TavLine l;
  EXPECT_EQ(pointsFitLine(nullptr, 0, &l), 0);
  EXPECT_EQ(l.p1.x, 0.0);
  EXPECT_EQ(l.p2.x, 10000.0);
  EXPECT_TRUE(std::isnan(l.p1.y));
  EXPECT_TRUE(std::isnan(l.p2.y));
}

TEST(FitLine, LeastSquaresIsVerticalResidualNotOrthogonal) {
  // y over x minimises vertical residuals: for (0,0), (2,0), (4,3) the slope is
  // 0.75 and the intercept -0.5; an orthogonal fit would be steeper.
  const TavPoint pts[] = {{0, 0}, {2, 0}, {4, 3}};
  TavLine l;
  pointsFitLine(pts, 3, &l);
  expectLine(l, 0, -0.5, 10000, -0.5 + 0.75 * 10000);
}

TEST(FitLine, LineDistIsMeanOfDistances) {
  TavLine axis(TavPoint(0, 0), TavPoint(10, 0));
  double d = 99;
  EXPECT_EQ(pointsLineDist(nullptr, 0, &axis, &d), 0);
  EXPECT_EQ(d, 0.0);
  const TavPoint one[] = {{5, -3}};
  pointsLineDist(one, 1, &axis, &d);
  EXPECT_EQ(d, 3.0);
  const TavPoint two[] = {{0, 1}, {100, -3}};  // infinite line: x beyond the segment counts
  pointsLineDist(two, 2, &axis, &d);
  EXPECT_EQ(d, 2.0);
  EXPECT_EQ(axis.p2.x, 10.0);  // the line is only read
}

TEST(FitCircle, RefusalsWriteOneRecordAndZeroOutputs) {
  expectRefused({}, kTooFew, 16);
  expectRefused({{1, 1}}, kTooFew, 16);
  expectRefused({{1, 1}, {5, 2}}, kTooFew, 16);
  expectRefused({{0, 0}, {1, 0}, {2, 0}}, kNoSpread, 65);
  expectRefused({{3, 3}, {3, 3}, {3, 3}}, kNoSpread, 65);
  expectRefused({{2, 0}, {2, 5}, {2, 9}}, kNoSpread, 65);
  expectRefused({{0, 0}, {1, 1}, {2, 2}}, kStraight, 69);
}

TEST(FitCircle, NullPointerWithNoPointsAndNoLog) {
  RecordCapture cap;
  CTavLog* const mine = CTavLog::_log;
  CTavLog::_log = nullptr;
  TavCircle c(TavPoint(1, 1), 1);
  double err = 1;
  EXPECT_EQ(pointsFitCircle(nullptr, 0, &c, &err), 2);
  const TavPoint line[] = {{0, 0}, {1, 1}, {2, 2}};
  EXPECT_EQ(pointsFitCircle(line, 3, &c, &err), 2);
  EXPECT_EQ(c.radius, 0.0);
  EXPECT_EQ(err, 0.0);
  CTavLog::_log = mine;
  EXPECT_TRUE(cap.records.empty());
}

TEST(FitCircle, ThrowingSinkDoesNotEscape) {
  CTavLog thrower([](unsigned int, const std::string&) { throw std::runtime_error("full"); });
  CTavLog* const previous = CTavLog::_log;
  CTavLog::_log = &thrower;
  TavCircle c;
  double err = 1;
  int status = -1;
  EXPECT_NO_THROW(status = pointsFitCircle(nullptr, 0, &c, &err));
  EXPECT_EQ(status, 2);
  CTavLog::_log = previous;
}

TEST(FitCircle, WorkedExamples) {
  RecordCapture cap;
  const struct {
    std::vector<TavPoint> pts;
    double x, y, r, err, tol;
  } cases[] = {
      {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}, 0, 0, 1, 0, 1e-12},
      {{{0, 0}, {2, 0}, {0, 2}}, 1, 1, std::sqrt(2.0), 0, 1e-12},
      {{{0, 0}, {4, 0}, {4, 4}, {0, 4.5}}, 1.8681, 2.1397, 2.9265, 0.0902, 1e-4},
  };
  for (const auto& e : cases) {
    const unsigned int n = static_cast<unsigned int>(e.pts.size());
    TavCircle c;
    double err = -1;
    EXPECT_EQ(pointsFitCircle(e.pts.data(), n, &c, &err), 0) << n;
    EXPECT_TRUE(isCircle(c, e.x, e.y, e.r, e.tol)) << n;
    EXPECT_NEAR(err, e.err, e.tol) << n;
    // The error is the mean absolute radial deviation.
    double sum = 0;
    for (const TavPoint& p : e.pts) sum += std::fabs(pointPointDist(p, c.center) - c.radius);
    EXPECT_DOUBLE_EQ(err, sum / n) << n;
  }
  EXPECT_TRUE(cap.records.empty());
}

TEST(FitCircle, NaNPassesTheTestsAndGivesNaN) {
  RecordCapture cap;
  const TavPoint pts[] = {{0, 0}, {kNaN, 1}, {2, 0}};
  TavCircle c;
  double err = 0;
  EXPECT_EQ(pointsFitCircle(pts, 3, &c, &err), 0);
  EXPECT_TRUE(std::isnan(c.radius));
  EXPECT_TRUE(cap.records.empty());
}

TEST(FitCircle, StraightUpToRoundingIsRefused) {
  // On y = 7x + 10 in decimal coordinates: det is a rounding residue of about 1e-15.
  const TavPoint pts[] = {{0.6, 14.2}, {1.3, 19.1}, {3.1, 31.7}};
  TavCircle lit;
  double litErr;
  ASSERT_EQ(tavref::fitCircleAbsoluteOnly(pts, 3, &lit, &litErr), 0);  // the absolute test lets it through
  expectRefused({pts[0], pts[1], pts[2]}, kStraight, 69);

  // Random straight sets with decimal coordinates, of various counts and slopes.
  std::mt19937 gen(11);
  std::uniform_int_distribution<int> grid(-5000, 5000);
  int refused = 0, tried = 0;
  for (unsigned int n : {3u, 4u, 7u, 20u, 100u, 500u}) {
    for (int t = 0; t < 150; ++t) {
      const double slope = (grid(gen) + 0.5) / 100.0, icpt = grid(gen) / 10.0;
      std::vector<TavPoint> v;
      for (unsigned int i = 0; i < n; ++i) {
        const double x = grid(gen) / 10.0;
        v.emplace_back(x, slope * x + icpt);
      }
      TavCircle c;
      double err;
      ++tried;
      if (pointsFitCircle(v.data(), n, &c, &err) == 2) ++refused;
    }
  }
  EXPECT_EQ(refused, tried);
}

TEST(FitCircle, RealArcsKeepTheCircleOfTheAbsoluteTest) {
  // Arcs down to a sagitta of 1e-5 of the chord: same status and same bits as
  // the fit with only the absolute thresholds.
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  RecordCapture cap;
  int accepted = 0;
  for (int t = 0; t < 2000; ++t) {
    const unsigned int n = 3 + static_cast<unsigned int>(unit(gen) * 60);
    const double r = std::pow(10.0, unit(gen) * 5 - 1);
    const double sweep = 6.3 * std::pow(10.0, -2.5 * unit(gen));  // sagitta/chord down to ~1e-5
    const double start = unit(gen) * 6.3;
    const TavPoint centre(unit(gen) * 2000 - 1000, unit(gen) * 2000 - 1000);
    std::vector<TavPoint> v;
    for (unsigned int i = 0; i < n; ++i) {
      const double a = start + sweep * (unit(gen));
      v.emplace_back(centre.x + r * std::cos(a), centre.y + r * std::sin(a));
    }
    TavCircle mine, lit;
    double mineErr = -1, litErr = -1;
    const int litStatus = tavref::fitCircleAbsoluteOnly(v.data(), n, &lit, &litErr);
    const int status = pointsFitCircle(v.data(), n, &mine, &mineErr);
    ASSERT_EQ(status, litStatus) << "t=" << t;
    if (status == 0) {
      ++accepted;
      EXPECT_TRUE(isCircle(mine, lit.center.x, lit.center.y, lit.radius)) << "t=" << t;
      EXPECT_EQ(mineErr, litErr);
    }
  }
  EXPECT_GT(accepted, 1900);
}

TEST(FitCircleOutliers, RemovesFarthestFirstAndRefits) {
  RecordCapture cap;
  std::vector<TavPoint> pts;
  for (int i = 0; i < 16; ++i)
    pts.emplace_back(10 * std::cos(i * 0.39269908169872414), 10 * std::sin(i * 0.39269908169872414));
  pts.insert(pts.begin() + 3, TavPoint(0, 11.5));  // second worst
  pts.emplace_back(14, 0);                         // worst
  TavCircle c;
  double err = -1;
  TavPoint removed[3] = {{-7, -7}, {-7, -7}, {-7, -7}};
  EXPECT_EQ(pointsFitCircleOutliers(pts.data(), 18, 2, &c, &err, removed), 0);
  EXPECT_EQ(removed[0].x, 14.0);
  EXPECT_EQ(removed[1].y, 11.5);
  EXPECT_EQ(removed[2].x, -7.0);  // only k written
  EXPECT_TRUE(isCircle(c, 0, 0, 10, 1e-5));
  EXPECT_NEAR(err, 0.0, 1e-5);
  EXPECT_TRUE(cap.records.empty());
  // k = 0: one fit, its error, nothing removed.
  TavCircle plain;
  double plainErr;
  pointsFitCircle(pts.data(), 18, &plain, &plainErr);
  EXPECT_EQ(pointsFitCircleOutliers(pts.data(), 18, 0, &c, &err, removed), 0);
  EXPECT_EQ(c.radius, plain.radius);
  EXPECT_EQ(err, plainErr);
  EXPECT_GT(err, 0.1);
  EXPECT_EQ(removed[0].x, 14.0);
}

TEST(FitCircleOutliers, FirstOfEqualResidualsIsRemoved) {
  // Symmetric set: the fit is centred exactly on (0, 0) and the two outliers lie
  // at exactly the same residual; the first in working order goes.
  const TavPoint pts[] = {{10, 0}, {-10, 0}, {0, 10}, {0, -10}, {0, -12}, {0, 12}};
  TavCircle c;
  double err;
  TavPoint removed[1];
  EXPECT_EQ(pointsFitCircleOutliers(pts, 6, 1, &c, &err, removed), 0);
  EXPECT_EQ(removed[0].y, -12.0);
}

TEST(FitCircleOutliers, RefusedFitsEndWithStatus2) {
  RecordCapture cap;
  const TavPoint pts[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4.5}, {9, 9}};
  TavCircle c;
  double err = -1;
  TavPoint removed[5];
  for (TavPoint& p : removed) p = TavPoint(-1, -1);
  EXPECT_EQ(pointsFitCircleOutliers(pts, 5, 3, &c, &err, removed), 2);
  EXPECT_EQ(c.radius, 0.0);
  EXPECT_EQ(err, 0.0);
  EXPECT_NE(removed[2].x, -1.0);  // three removals made
  EXPECT_EQ(removed[3].x, -1.0);
  ASSERT_EQ(cap.records.size(), 1u);
  EXPECT_EQ(cap.records[0], record(kTooFew, 16));
  // k beyond n stops at two points as well.
  EXPECT_EQ(pointsFitCircleOutliers(pts, 5, 9, &c, &err, removed), 2);
  EXPECT_EQ(removed[3].x, -1.0);
  // A first fit refused: nothing removed.
  removed[0] = TavPoint(-1, -1);
  EXPECT_EQ(pointsFitCircleOutliers(pts, 2, 1, &c, &err, removed), 2);
  EXPECT_EQ(removed[0].x, -1.0);
  EXPECT_EQ(pointsFitCircleOutliers(nullptr, 0, 0, &c, &err, nullptr), 2);
}

TEST(FitLineOutliers, WorkedExampleErrorBelongsToLineBeforeLastRefit) {
  std::vector<TavPoint> pts;
  for (int i = 0; i <= 10; ++i) pts.emplace_back(i, 0);
  pts.emplace_back(5, 3);
  TavLine l;
  double err = -1;
  TavPoint removed[1];
  EXPECT_EQ(pointsFitLineOutliers(pts.data(), 12, 1, &l, &err, removed), 0);
  EXPECT_TRUE(tavtest::isPt(removed[0], 5, 3));
  expectLine(l, 0, 0, 10000, 0);
  EXPECT_DOUBLE_EQ(err, 0.25);
  // k = 0 leaves the error as it was.
  err = 42;
  EXPECT_EQ(pointsFitLineOutliers(pts.data(), 12, 0, &l, &err, nullptr), 0);
  EXPECT_EQ(err, 42.0);
  EXPECT_NEAR(l.p1.y, 0.25, 1e-12);
}

TEST(FitLineOutliers, FirstOfEqualResidualsIsRemoved) {
  std::vector<TavPoint> pts;
  for (int i = 0; i <= 10; ++i) pts.emplace_back(i, 0);
  pts.emplace_back(5, 1);
  pts.emplace_back(5, -1);  // the fit is y = 0 exactly: both at distance 1
  TavLine l;
  double err;
  TavPoint removed[1];
  pointsFitLineOutliers(pts.data(), 13, 1, &l, &err, removed);
  EXPECT_EQ(removed[0].y, 1.0);
  std::swap(pts[11], pts[12]);
  pointsFitLineOutliers(pts.data(), 13, 1, &l, &err, removed);
  EXPECT_EQ(removed[0].y, -1.0);
}

TEST(FitLineOutliers, KUpToAndBeyondN) {
  const TavPoint pts[] = {{0, 0}, {4, 0}, {8, 5}};  // y = 0.625 x - 0.8333: (4, 0) is farthest
  for (unsigned int k : {3u, 4u, 1000u}) {
    TavLine l;
    double err = 0;
    TavPoint removed[5];
    for (TavPoint& p : removed) p = TavPoint(-9, -9);
    EXPECT_EQ(pointsFitLineOutliers(pts, 3, k, &l, &err, removed), 0);
    EXPECT_TRUE(std::isnan(err));     // last removal: 0 / 0
    EXPECT_TRUE(std::isnan(l.p1.y));  // last refit on no points
    EXPECT_EQ(removed[0].x, 4.0);     // farthest from the first fit
    EXPECT_NE(removed[2].x, -9.0);
    EXPECT_EQ(removed[3].x, -9.0);  // never more than n removals
  }
}

TEST(FitLineOutliers, NaNResidualsRemoveTheFirstPoint) {
  const TavPoint pts[] = {{kNaN, 0}, {1, 0}, {2, 1}};
  TavLine l;
  double err = 0;
  TavPoint removed[1];
  EXPECT_EQ(pointsFitLineOutliers(pts, 3, 1, &l, &err, removed), 0);
  EXPECT_TRUE(std::isnan(removed[0].x));
}

TEST(FitLog, FormatsAndHandsTheRecordToTheSinkOrStderr) {
  std::vector<std::pair<unsigned int, std::string>> got;
  CTavLog log([&got](unsigned int category, const std::string& text) { got.emplace_back(category, text); });
  const std::string longText(5000, 'x');
  log.error(7, "%s|%d|%s", "a", -12, longText.c_str());
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first, 7u);
  EXPECT_EQ(got[0].second, "a|-12|" + longText);
  CTavLog plain;
  ::testing::internal::CaptureStderr();
  plain.error(256, "\"%s\" (%d)", "hello", 2);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "\"hello\" (2)\n");
}

TEST(FitNullOutputs, FitsRunWithoutWritingThere) {
  RecordCapture cap;
  const TavPoint pts[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4.5}, {9, 1}, {2, 7}};
  const TavPoint straight[] = {{0, 0}, {1, 1}, {2, 2}};
  TavLine l(TavPoint(1, 2), TavPoint(3, 4));
  TavCircle c;
  double d = 0;
  TavPoint removed[2];
  EXPECT_EQ(pointsFitLine(pts, 6, nullptr), 0);
  EXPECT_EQ(pointsLineDist(pts, 6, &l, nullptr), 0);
  d = 5;
  EXPECT_EQ(pointsLineDist(pts, 6, nullptr, &d), 0);  // no line: nothing to measure
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(pointsFitCircle(pts, 6, nullptr, nullptr), 0);
  EXPECT_EQ(pointsFitCircle(straight, 3, &c, nullptr), 2);
  EXPECT_EQ(pointsFitCircle(straight, 3, nullptr, &d), 2);
  ASSERT_EQ(cap.records.size(), 2u);  // refusals are still logged
  EXPECT_EQ(cap.records[1], record(kStraight, 69));
  // The outlier fits still remove the farthest points.
  EXPECT_EQ(pointsFitCircleOutliers(pts, 6, 2, nullptr, nullptr, removed), 0);
  TavPoint expected[2];
  pointsFitCircleOutliers(pts, 6, 2, &c, &d, expected);
  EXPECT_EQ(removed[0].x, expected[0].x);
  EXPECT_EQ(removed[1].y, expected[1].y);
  EXPECT_EQ(pointsFitLineOutliers(pts, 6, 2, nullptr, nullptr, removed), 0);
  pointsFitLineOutliers(pts, 6, 2, &l, &d, expected);
  EXPECT_EQ(removed[0].x, expected[0].x);
  EXPECT_EQ(removed[1].y, expected[1].y);
  EXPECT_EQ(pointsFitLineRansac(pts, 6, 2, 10, nullptr, nullptr, removed), 0);
  pointsFitLineRansac(pts, 6, 2, 10, &l, &d, expected);
  EXPECT_EQ(removed[0].x, expected[0].x);
  EXPECT_EQ(removed[1].y, expected[1].y);
}
