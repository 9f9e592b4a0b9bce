// Line, circle, outlier-rejecting, consensus and measuring fits: exact results,
// refusals and their records, and the fast paths held against the literal
// algorithms (fuzz_fit checks the invariants on small random sets).
#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "../src/fit/TavGeoFitRank.h"
#include "../src/fit/TavGeoFitSpread.h"
#include "check.h"
#include "reference/line_fit_reference.h"
#include "reference/ransac_reference.h"

using namespace NTavGeometry;
using tavtest::isCircle;
using tavtest::isLine;
using tavtest::isPt;
using Pts = std::vector<TavPoint>;

namespace {
const double kNaN = std::nan(""), kInf = HUGE_VAL;

// Keeps every record of the library's log while alive.
struct RecordCapture {
  std::vector<std::string> records;
  CTavLog log{
      [this](unsigned int c, const std::string& text) { records.push_back(std::to_string(c) + text); }};
  CTavLog* const previous = CTavLog::_log;
  RecordCapture() { CTavLog::_log = &log; }
  ~RecordCapture() { CTavLog::_log = previous; }
};

std::vector<std::string> record(const char* message, int line, int times = 1) {
  return std::vector<std::string>(times, "256\"" + std::string(message) + "\" [.\\TavGeoFit:" +
                                             std::to_string(line) + ":NTavGeometry::pointsFitCircle] (2)");
}

// Same bits, any two NaNs alike (their sign differs between optimisation levels).
bool same(double a, double b) { return (a != a && b != b) || std::memcmp(&a, &b, sizeof a) == 0; }

// Line, error and rejected points of the consensus fit (or of the literal one).
std::vector<double> ransac(const Pts& p, unsigned int k, int count, bool literal = false) {
  TavLine l;
  double error = -1;
  Pts rej(k, TavPoint(-1, -1));
  const auto n = static_cast<unsigned int>(p.size());
  (literal ? tavref::fitLineRansacLiteral : pointsFitLineRansac)(p.data(), n, k, count, &l, &error,
                                                                 rej.data());
  std::vector<double> r = {l.p1.x, l.p1.y, l.p2.x, l.p2.y, error};
  for (const TavPoint& q : rej) r.insert(r.end(), {q.x, q.y});
  return r;
}
bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}
}  // namespace

TEST(FitLine, AxisChoiceFallbackAndMeanDistance) {
  const struct {
    Pts pts;
    double x1, y1, x2, y2;
  } rows[] = {
      {{{3, 7}}, 0, 7, 10000, 7},
      {{{4, 1}, {4, 2}}, 4, 0, 4, 10000},
      {{{0, 0}, {1, 1}, {2, 2}}, 0, 0, 10000, 10000},   // equal spreads: y over x
      {{{1, 0}, {2, 10}, {3, 20}}, 1, 0, 1001, 10000},  // steep: x over y
      {{{0, 10}, {4, 8}, {8, 6}, {12, 4}}, 0, 10, 10000, 10 - 0.5 * 10000},
      {{{0, 0}, {2, 0}, {4, 3}}, 0, -0.5, 10000, -0.5 + 0.75 * 10000},  // vertical residuals
      {{{3, 0}, {3.001, 0.004}}, 3, 0, 3, 10000},  // too little spread: through the first point
      {{{5, 1.0}, {5.001, 1.0002}}, 0, 1.0, 10000, 1.0},
  };
  for (const auto& w : rows) {
    TavLine l;
    EXPECT_EQ(pointsFitLine(w.pts.data(), static_cast<unsigned int>(w.pts.size()), &l), 0);
    const double got[] = {l.p1.x, l.p1.y, l.p2.x, l.p2.y}, want[] = {w.x1, w.y1, w.x2, w.y2};
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(got[i], want[i]) << tavtest::show(w.pts[0]) << " " << i;
  }
  TavLine axis(TavPoint(0, 0), TavPoint(10, 0));
  double d = 99;
  const TavPoint two[] = {{0, 1}, {100, -3}};  // the infinite line: x beyond the segment counts
  EXPECT_TRUE(pointsLineDist(two, 2, &axis, &d) == 0 && d == 2.0);
  EXPECT_TRUE(pointsLineDist(two, 2, nullptr, &d) == 0 && d == 0.0);  // no line: nothing to measure
}

TEST(FitCircle, WorkedExamplesAndRefusals) {
  RecordCapture cap;
  const char* const kTooFew = "Need 3 or more points";
  const char* const kNoSpread = "Not circle; Point, horizontal or vertical line";
  const char* const kStraight = "Not circle; Diagonal line";
  const struct {
    Pts pts;
    double x, y, r, err, tol;
    const char* message;  // the refusal's record, or null
    int line;
  } rows[] = {
      {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}, 0, 0, 1, 0, 1e-12, nullptr, 0},
      {{{0, 0}, {2, 0}, {0, 2}}, 1, 1, std::sqrt(2.0), 0, 1e-12, nullptr, 0},
      {{{0, 0}, {4, 0}, {4, 4}, {0, 4.5}}, 1.8681, 2.1397, 2.9265, 0.0902, 1e-4, nullptr, 0},
      {{}, 0, 0, 0, 0, 0, kTooFew, 16},
      {{{1, 1}, {5, 2}}, 0, 0, 0, 0, 0, kTooFew, 16},
      {{{0, 0}, {1, 0}, {2, 0}}, 0, 0, 0, 0, 0, kNoSpread, 65},
      {{{3, 3}, {3, 3}, {3, 3}}, 0, 0, 0, 0, 0, kNoSpread, 65},
      {{{2, 0}, {2, 5}, {2, 9}}, 0, 0, 0, 0, 0, kNoSpread, 65},
      {{{0, 0}, {1, 1}, {2, 2}}, 0, 0, 0, 0, 0, kStraight, 69},
      {{{0.6, 14.2}, {1.3, 19.1}, {3.1, 31.7}}, 0, 0, 0, 0, 0, kStraight, 69},  // det a rounding residue
  };
  for (const auto& w : rows) {
    cap.records.clear();
    const auto n = static_cast<unsigned int>(w.pts.size());
    TavCircle c(TavPoint(7, 7), 7);
    double err = 7, sum = 0;
    EXPECT_EQ(pointsFitCircle(w.pts.data(), n, &c, &err), w.message ? 2 : 0) << n;
    EXPECT_TRUE(isCircle(c, w.x, w.y, w.r, w.tol) && tavtest::isNum(err, w.err, w.tol)) << n;
    for (const TavPoint& p : w.pts) sum += std::fabs(pointPointDist(p, c.center) - c.radius);
    EXPECT_DOUBLE_EQ(err, w.message ? 0 : sum / n) << n;  // the mean absolute radial deviation
    EXPECT_EQ(cap.records, w.message ? record(w.message, w.line) : std::vector<std::string>{}) << n;
  }
  // NaN passes the tests and gives NaN; a refusal with no log, or a throwing one, still returns 2.
  TavCircle c;
  const TavPoint nan[] = {{0, 0}, {kNaN, 1}, {2, 0}};
  EXPECT_TRUE(pointsFitCircle(nan, 3, &c, nullptr) == 0 && std::isnan(c.radius));
  CTavLog::_log = nullptr;
  EXPECT_EQ(pointsFitCircle(nullptr, 0, &c, nullptr), 2);
  CTavLog thrower([](unsigned int, const std::string&) { throw std::runtime_error("full"); });
  CTavLog::_log = &thrower;
  EXPECT_EQ(pointsFitCircle(nullptr, 0, nullptr, nullptr), 2);
}

TEST(FitOutliers, RemovalOrderTiesAndRefusals) {
  RecordCapture cap;
  Pts ring;
  for (int i = 0; i < 16; ++i)
    ring.emplace_back(10 * std::cos(i * 0.39269908169872414), 10 * std::sin(i * 0.39269908169872414));
  ring.insert(ring.begin() + 3, TavPoint(0, 11.5));  // second worst
  ring.emplace_back(14, 0);                          // worst
  TavCircle c;
  double err = -1;
  TavPoint removed[5] = {{-7, -7}, {-7, -7}, {-7, -7}, {-7, -7}, {-7, -7}};
  EXPECT_EQ(pointsFitCircleOutliers(ring.data(), 18, 2, &c, &err, removed), 0);
  EXPECT_TRUE(isPt(removed[0], 14, 0) && isPt(removed[1], 0, 11.5) && isPt(removed[2], -7, -7));
  EXPECT_TRUE(isCircle(c, 0, 0, 10, 1e-5) && tavtest::isNum(err, 0, 1e-5));
  EXPECT_TRUE(pointsFitCircleOutliers(ring.data(), 18, 0, &c, &err, removed) == 0 && err > 0.1);  // one fit
  const TavPoint sym[] = {{10, 0}, {-10, 0}, {0, 10}, {0, -10}, {0, -12}, {0, 12}};  // equal residuals
  EXPECT_EQ(pointsFitCircleOutliers(sym, 6, 1, nullptr, nullptr, removed), 0);
  EXPECT_EQ(removed[0].y, -12.0);
  EXPECT_TRUE(cap.records.empty());
  // Removals down to two points end with a refusal; k beyond n stops there too.
  const TavPoint five[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4.5}, {9, 9}};
  for (unsigned int k : {3u, 9u}) {
    std::fill(removed, removed + 5, TavPoint(-1, -1));
    EXPECT_EQ(pointsFitCircleOutliers(five, 5, k, &c, &err, removed), 2);
    EXPECT_TRUE(c.radius == 0 && err == 0 && removed[2].x != -1 && removed[3].x == -1) << k;
  }
  EXPECT_EQ(cap.records, record("Need 3 or more points", 16, 2));
  // Lines: the error belongs to the line before the last refit.
  Pts row;
  for (int i = 0; i <= 10; ++i) row.emplace_back(i, 0);
  row.emplace_back(5, 3);
  TavLine l;
  EXPECT_EQ(pointsFitLineOutliers(row.data(), 12, 1, &l, &err, removed), 0);
  EXPECT_TRUE(isPt(removed[0], 5, 3) && isLine(l, 0, 0, 10000, 0) && tavtest::isNum(err, 0.25, 1e-15));
  row.back() = TavPoint(5, 1);
  row.emplace_back(5, -1);  // both at distance 1 from y = 0: the first goes
  for (double first : {1.0, -1.0}) {
    pointsFitLineOutliers(row.data(), 13, 1, nullptr, nullptr, removed);
    EXPECT_EQ(removed[0].y, first);
    std::swap(row[11], row[12]);
  }
  const TavPoint three[] = {{0, 0}, {4, 0}, {8, 5}};
  for (unsigned int k : {3u, 1000u}) {  // never more than n removals; the last refit on no points
    std::fill(removed, removed + 5, TavPoint(-9, -9));
    EXPECT_EQ(pointsFitLineOutliers(three, 3, k, &l, &err, removed), 0);
    EXPECT_TRUE(std::isnan(err) && std::isnan(l.p1.y) && removed[0].x == 4 && removed[2].x != -9 &&
                removed[3].x == -9);
  }
}

TEST(FitRansac, WorkedExamplesCandidateCountsAndTheLiteralFit) {
  Pts pts;
  for (int i = 0; i < 30; ++i) pts.emplace_back(i, 2 * i + 1);
  pts.insert(pts.begin() + 4, TavPoint(10, 60));     // far
  pts.insert(pts.begin() + 20, TavPoint(3, 10));     // near
  pts.insert(pts.begin() + 9, TavPoint(40, 200));    // farthest
  const std::vector<double> r = ransac(pts, 3, 40);  // rejected nearest first
  EXPECT_EQ(std::vector<double>(r.begin() + 5, r.end()), (std::vector<double>{3, 10, 10, 60, 40, 200}));
  EXPECT_NEAR(r[4], 0.0, 1e-9);
  EXPECT_NEAR(pointLineDist(TavPoint(100, 201), TavLine(TavPoint(r[0], r[1]), TavPoint(r[2], r[3]))), 0,
              1e-9);
  // n = 100, k = 1: the automatic count trunc(ln 2 - 1) is 0, so the fit of all points ranks them.
  pts.clear();
  for (int i = 0; i < 100; ++i) pts.emplace_back(i, 2 * i + 1);
  pts[37] = TavPoint(37, 140);
  EXPECT_EQ(ransac(pts, 1, 0)[6], 140.0);
  // n = 100, k = 10: trunc((ln 10 - 1) * 10) = 13 candidates; the 13th and 14th each change the result.
  std::mt19937 gen(673);
  for (TavPoint& p : pts) {
    p.x = (gen() % 10000) / 100.0;
    p.y = (gen() % 10000) / 100.0;
  }
  const std::vector<double> automatic = ransac(pts, 10, 0);
  EXPECT_TRUE(sameBits(automatic, ransac(pts, 10, 13)) && sameBits(automatic, ransac(pts, 10, 0, true)));
  EXPECT_FALSE(sameBits(automatic, ransac(pts, 10, 12)) || sameBits(automatic, ransac(pts, 10, 14)));
  // A seed whose first draw is the top value 32767, which scaled by n is n itself; non-finite sets.
  uint32_t s = 0;
  while ((((s * 214013u + 2531011u) >> 16) & 0x7FFFu) != 0x7FFFu) ++s;
  const std::vector<Pts> sets = {
      {{static_cast<double>(s), 0}, {5, -5}, {-3, 3}, {1, -1}},
      {{1e300, 1e300}, {-1e300, 2}, {3, 4}, {5, 6}, {7, 9}},
      {{kInf, 0}, {1, 1}, {2, 2}, {3, 3}},
      {{kNaN, 0}, {1, 1}, {2, 2}, {3, 3}, {kNaN, kNaN}},
      {{1.7e308, 1.7e308}, {1.7e308, -1.7e308}, {0, 0}, {1, 0}},
      {{4e12, 3e12}, {4e12 + 1, 3e12 + 2}, {4e12 + 2, 3e12 + 4}, {4e12 + 3, 3e12 + 3}}};
  for (size_t i = 0; i < sets.size(); ++i)
    for (int count : {0, 1, 3, 6})
      EXPECT_TRUE(sameBits(ransac(sets[i], 1, count), ransac(sets[i], 1, count, true))) << i;
  // Large sets on a grid of 1/8 (many equal distances), 10 % far off the line.
  std::uniform_real_distribution<double> x(0.0, 1000.0), noise(-0.5, 0.5), far(-300.0, 300.0);
  for (unsigned int n : {700u, 1500u}) {
    pts.clear();
    for (unsigned int i = 0; i < n; ++i) {
      const double px = x(gen), py = 0.4 * px + (i % 10 == 7 ? far(gen) : noise(gen));
      pts.emplace_back(std::round(px * 8) / 8, std::round(py * 8) / 8);
    }
    for (unsigned int k : {0u, n / 10, n / 2})
      EXPECT_TRUE(sameBits(ransac(pts, k, 60), ransac(pts, k, 60, true))) << n << " " << k;
  }
}

TEST(FitRansac, PruningBoundsAndRadixSort) {
  // 1 and a thousand terms of 3/4 ulp(1): ascending they add up to 750 ulps,
  // with 1 first each rounds up to a whole ulp.
  const double ulp = std::ldexp(1.0, -52), best = 1.0 + 875 * ulp;
  double oneFirst = 1.0;
  for (int i = 0; i < 1000; ++i) oneFirst += 0.75 * ulp;
  EXPECT_FALSE(detail::keptSumCannotBeat(oneFirst, 1001, best));
  EXPECT_TRUE(detail::keptSumCannotBeat(1.0 + 1e-9, 1001, 1.0));
  EXPECT_FALSE(detail::keptSumCannotBeat(kInf, 1001, 1.0) || detail::keptSumCannotBeat(kNaN, 1001, 1.0));
  EXPECT_FALSE(detail::keptSumCannotBeat(1e-310, 3, 0.0));  // subnormal: never used
  double capped = oneFirst;                                 // and 100 far points capped at 2
  for (int i = 0; i < 100; ++i) capped += 2.0;
  EXPECT_FALSE(detail::cappedSumCannotBeat(capped, 1101, 100, 2.0, best));
  EXPECT_TRUE(detail::cappedSumCannotBeat(capped, 1101, 100, 2.0, 0.999));
  EXPECT_FALSE(detail::cappedSumCannotBeat(kInf, 1101, 100, 2.0, 0.5));
  // Zeros, ties, subnormals, +inf and the largest double, and low bits only.
  std::mt19937_64 rng(9);
  std::vector<uint64_t> a, b;
  const double pick[] = {0.0, kInf, 4.9e-324, 2.2e-308, 1.7976931348623157e308, 1.0, 3.0};
  for (int t = 0; t < 1000; ++t) {
    std::vector<double> v(rng() % 300);
    for (double& x : v) x = t % 2 ? 1.0 + static_cast<double>(rng() % 8) * 0x1p-52 : pick[rng() % 7];
    std::vector<double> want = v;
    std::sort(want.begin(), want.end());
    detail::sortNonNegative(v.data(), static_cast<uint32_t>(v.size()), a, b);
    ASSERT_EQ(v, want) << t;
  }
}

TEST(FitLineSpread, TheAxisFromTheSumsIsTheSecondPassAxis) {
  // Rotated lines, grids and blobs, far from the origin or not, on tiny and huge scales.
  std::mt19937_64 rng(20261206);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double scales[] = {1.0, 1e-3, 1e3, 1e-160, 1e-310, 1e150, 1e160, 1e8}, bad[] = {kNaN, kInf, 1e308};
  int decided = 0;
  for (int t = 0; t < 40000; ++t) {
    const double angle = u(rng) * 3.2, c = std::cos(angle), s = std::sin(angle), scale = scales[rng() % 8];
    const double offset = rng() % 3 == 0 ? scale * 1e9 * u(rng) : 0.0,
                 ratio = t % 3 ? 1.0 : std::fabs(u(rng));
    Pts p(t % 7 == 0 ? 1 + rng() % 3 : 1 + rng() % 60);
    double sx = 0, sy = 0, sxx = 0, syy = 0, qx, qy;
    for (size_t i = 0; i < p.size(); ++i) {
      const double a = t % 3 == 1 ? i % 4 : u(rng) * 100, b = t % 3 == 1 ? i / 4 % 4 : u(rng) * ratio * 100;
      p[i] = TavPoint(offset + scale * (c * a - s * b), offset * 0.5 + scale * (s * a + c * b));
    }
    if (t % 11 == 0) p[0].y = bad[rng() % 3];
    for (const TavPoint& q : p) sx += q.x, sy += q.y, sxx += q.x * q.x, syy += q.y * q.y;
    TavLine fast, ref;
    pointsFitLine(p.data(), static_cast<unsigned int>(p.size()), &fast);
    tavref::fitLineTwoPasses(p.data(), static_cast<unsigned int>(p.size()), &ref);
    ASSERT_TRUE(same(fast.p1.x, ref.p1.x) && same(fast.p1.y, ref.p1.y) && same(fast.p2.x, ref.p2.x) &&
                same(fast.p2.y, ref.p2.y))
        << "set " << t;
    tavref::lineSpreads(p.data(), static_cast<unsigned int>(p.size()), &qx, &qy);
    const int order = detail::spreadOrderFromSums(static_cast<double>(p.size()), sx, sy, sxx, syy);
    decided += order != 0;
    ASSERT_TRUE(order == 0 || (order < 0) == (qx < qy)) << "set " << t;
  }
  EXPECT_TRUE(decided > 10000 && decided < 35000) << decided;
  const struct {
    double n, sx, sy, sxx, syy;
    int order;
  } rows[] = {
      {3, 30, 3, 500, 5, 1},  // a clear line and its mirror image
      {3, 3, 30, 5, 500, -1},
      {3, 3, 3, 5, 5, 0},  // equal spreads, no points, sums that are not finite
      {0, 0, 0, 0, 0, 0},
      {3, kNaN, 3, 5, 5, 0},
      {3, 3, 3, kInf, 5, 0},
      // Sx^2/n rounds to within 2^-1000 n of Sxx: too close to call below 4 n 2^-1000
      {1, 0, 0, 0, 0x1p-999, 0},
      {1, 0, 0, 0x1p-999, 0, 0},
      {1, 0, 0, 0, 0x1p-997, -1},
      {1, 0, 0, 0x1p-997, 0, 1},
      // (1e8, 0), (1e8 + 1e-3, 5), (1e8 + 2e-3, 10): Sxx - Sx^2/n is all rounding
      {3, 1e8 + (1e8 + 1e-3) + (1e8 + 2e-3), 15,
       1e16 + (1e8 + 1e-3) * (1e8 + 1e-3) + (1e8 + 2e-3) * (1e8 + 2e-3), 125, 0},
  };
  for (const auto& w : rows)
    EXPECT_EQ(detail::spreadOrderFromSums(w.n, w.sx, w.sy, w.sxx, w.syy), w.order) << w.n << " " << w.syy;
}

TEST(FitMeasure, NoiseFreeArcsOnEveryScaleAndRefusals) {
  for (double degrees : {30.0, 90.0, 360.0}) {
    for (double scale : {1e-120, 1.0, 1e150}) {
      const double r = 100.0 * scale, cx = 250.5 * scale, cy = -40.25 * scale;
      Pts p;
      for (int i = 0; i < 50; ++i) {
        const double t = degrees * 3.14159265358979323846 / 180.0 * i / (degrees == 360.0 ? 50 : 49);
        p.emplace_back(cx + r * std::cos(t), cy + r * std::sin(t));
      }
      TavCircle h, g, s;
      double err = -1.0, serr = -1.0;
      TavCircleFitStats st;
      ASSERT_EQ(pointsFitCircleHyper(p.data(), 50, &h, &err), 0) << degrees << " " << scale;
      ASSERT_EQ(pointsFitCircleGeometric(p.data(), 50, &g, &st, true), 0) << degrees << " " << scale;
      ASSERT_EQ(pointsFitCircleRansac(p.data(), 50, 5, 0, &s, &serr, nullptr), 0) << degrees << " " << scale;
      for (const TavCircle& c : {h, g, s})
        EXPECT_TRUE(isCircle(c, cx, cy, r, 1e-9 * r)) << degrees << " " << scale;
      EXPECT_TRUE(err < 1e-9 * r && st.rms < 1e-9 * r && st.meanAbs <= st.rms && st.converged) << degrees;
    }
  }
  const std::vector<Pts> bad = {{{1, 2}, {3, 4}},
                                {{1, 1}, {1, 1}, {1, 1}, {1, 1}},
                                {{0, 0}, {1, 2}, {2, 4}, {3, 6}},
                                {{0, 5}, {1, 5}, {2, 5}, {7, 5}},
                                {{0, 0}, {10, 1e-9}, {20, 0}, {5, 0}}};  // straight to 1e-10 of its spread
  for (size_t i = 0; i < bad.size(); ++i) {
    TavCircle c;
    double err;
    TavCircleFitStats st;
    st.rms = st.seR = st.iterations = 7;
    const auto n = static_cast<unsigned int>(bad[i].size());
    EXPECT_EQ(pointsFitCircleHyper(bad[i].data(), n, &c, &err), 2) << i;
    EXPECT_EQ(pointsFitCircleGeometric(bad[i].data(), n, &c, &st, true), 2) << i;
    EXPECT_TRUE(st.rms == 0 && st.iterations == 0 && std::isnan(st.seR)) << i;
    EXPECT_EQ(pointsFitCircleRansac(bad[i].data(), n, 1, 10, &c, &err, nullptr), 2) << i;
  }
}

TEST(FitMeasure, OrthogonalLineIsThePrincipalAxis) {
  // p1 the centroid, p2 one further along x > 0 (or x = 0 and y > 0).
  const struct {
    Pts pts;
    double x1, y1, x2, y2, rms, tol;
    int status;
  } rows[] = {
      {{{3, 9}, {3, 1}, {3, 4}}, 3, 14.0 / 3, 3, 14.0 / 3 + 1, 0, 0, 0},
      {{{9, -2}, {1, -2}, {4, -2}, {0, -2}}, 3.5, -2, 4.5, -2, 0, 0, 0},
      {{{0, 0}, {2, 0}, {0, 2}, {2, 2}}, 1, 1, 2, 1, 1, 0, 0},  // no principal axis
      {{{0, 4}, {1, 2}, {2, 0}, {3, -2}},
       1.5,
       1,
       1.5 + 1 / std::sqrt(5.0),
       1 - 2 / std::sqrt(5.0),
       0,
       1e-12,
       0},
      // far from the origin: the plain mean would be off by more than the extent
      {{{-2147483000.0, -1.2658e305}, {-2147482993.0, -1.2658e305}, {-2147482986.0, -1.2658e305}},
       -2147482993.0,
       -1.2658e305,
       -2147482992.0,
       -1.2658e305,
       0,
       0,
       0},
      {{{1, 1}, {1, 1}}, 0, 0, 0, 0, 0, 0, 1},  // fewer than two distinct points
  };
  for (const auto& w : rows) {
    TavLine l;
    double rms = -1;
    EXPECT_EQ(pointsFitLineOrthogonal(w.pts.data(), static_cast<unsigned int>(w.pts.size()), &l, &rms),
              w.status);
    EXPECT_TRUE(isLine(l, w.x1, w.y1, w.x2, w.y2, w.tol) && tavtest::isNum(rms, w.rms, w.tol))
        << w.pts.size();
  }
}
