// Scan lines and fits: exact results, refusals and their records, and the fast
// paths held against the literal algorithms. fuzz_scan and fuzz_fit check the
// invariants on random input; these are the exact expectations beyond them.
#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "../src/fit/TavGeoFitRank.h"
#include "../src/fit/TavGeoFitSpread.h"
#include "check.h"
#include "fuzz/FuzzInput.h"
#include "reference/rake_reference.h"
#include "reference/ransac_reference.h"

using namespace NTavGeometry;
using namespace tavtest;
using Lines = std::vector<TavLine>;
using Pts = std::vector<TavPoint>;

namespace {
const double kNaN = std::nan(""), kInf = HUGE_VAL, kPi = 3.141592653589793, kCap = kScanLinesMax;

// Keeps every record of the library's log while alive.
struct RecordCapture {
  std::vector<std::string> records;
  CTavLog log{[this](unsigned int c, const std::string& t) { records.push_back(std::to_string(c) + t); }};
  CTavLog* const previous = CTavLog::_log;
  RecordCapture() { CTavLog::_log = &log; }
  ~RecordCapture() { CTavLog::_log = previous; }
};

// The refusal record of pointsFitCircle, none for a null message.
std::vector<std::string> record(const char* message, int line) {
  if (message == nullptr) return {};
  return {"256\"" + std::string(message) + "\" [.\\TavGeoFit:" + std::to_string(line) +
          ":NTavGeometry::pointsFitCircle] (2)"};
}

// Line, error and rejected points of the consensus fit (or of the literal one).
Pts ransac(const Pts& p, unsigned int k, int c, bool literal = false) {
  TavLine l;
  double e = -1;
  Pts rej(k, TavPoint(-1, -1));
  const auto n = static_cast<unsigned int>(p.size());
  (literal ? tavref::fitLineRansacLiteral : pointsFitLineRansac)(p.data(), n, k, c, &l, &e, rej.data());
  rej.insert(rej.end(), {l.p1, l.p2, TavPoint(e, 0)});
  return rej;
}
Lines stale() { return Lines(3, TavLine(TavPoint(7, 7), TavPoint(8, 8))); }

Lines rakeOf(const Pts& pts, double h, double s) {
  Lines out = stale();
  polyLineToPolyRake(pts.data(), static_cast<int>(pts.size()), h, s, &out);
  return out;
}

bool sameAsLiteral(const Pts& pts, double h, double s) {
  Lines want;
  tavref::polyLineToPolyRakeLiteral(pts.data(), static_cast<int>(pts.size()), h, s, &want);
  return tavfuzz::sameAll(rakeOf(pts, h, s), want);
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
      {{{1e8, -3e7 + 0.01}, {1e8 + 0.004, -3e7 + 0.008}, {1e8 + 0.012, -3e7 + 0.004}},
       0,
       -3e7 + 0.01,
       10000,
       -3e7 + 0.01},  // far out, little spread: the second pass finds x spreads more
  };
  for (const auto& w : rows) {
    TavLine l;
    EXPECT_EQ(pointsFitLine(w.pts.data(), static_cast<unsigned int>(w.pts.size()), &l), 0);
    EXPECT_TRUE(isLine(l, w.x1, w.y1, w.x2, w.y2)) << show(w.pts[0]);  // exactly
  }
  TavLine axis(TavPoint(0, 0), TavPoint(10, 0));
  double d = 99;
  const TavPoint two[] = {{0, 1}, {100, -3}};  // the infinite line: x beyond the segment counts
  EXPECT_TRUE(pointsLineDist(two, 2, &axis, &d) == 0 && d == 2.0 &&
              pointsLineDist(two, 2, nullptr, &d) == 0 && d == 0);
  // The axis decided from the first pass's sums only where the second pass must confirm it.
  const double sums[][6] = {
      // n, Sx, Sy, Sxx, Syy and the order
      {3, 30, 3, 500, 5, 1},  // a clear line and its mirror image
      {3, 3, 30, 5, 500, -1},
      {3, 3, 3, 5, 5, 0},  // equal spreads, no points, a sum that is not finite
      {0, 0, 0, 0, 0, 0},
      {3, 3, 3, kInf, 5, 0},
      // Sx^2/n rounds to within 2^-1000 n of Sxx: 3 n 2^-1000 is too close to call, 8 n 2^-1000 is not
      {1, 0, 0, 0, 0x1.8p-999, 0},
      {1, 0, 0, 0x1.8p-999, 0, 0},
      {1, 0, 0, 0, 0x1p-997, -1},
      {1, 0, 0, 0x1p-997, 0, 1},
  };
  for (const auto& w : sums)
    EXPECT_EQ(detail::spreadOrderFromSums(w[0], w[1], w[2], w[3], w[4]), w[5]) << w[4];
}

TEST(FitCircle, WorkedExamplesAndRefusals) {
  RecordCapture cap;
  const struct {
    Pts pts;
    double x, y, r, tol, line;  // the refusal's record, or null, and its line
    const char* message;
  } rows[] = {
      {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}, 0, 0, 1, 1e-12, 0, nullptr},
      {{{0, 0}, {2, 0}, {0, 2}}, 1, 1, std::sqrt(2.0), 1e-12, 0, nullptr},
      {{{0, 0}, {4, 0}, {4, 4}, {0, 4.5}}, 1.8681, 2.1397, 2.9265, 1e-4, 0, nullptr},
      {{}, 0, 0, 0, 0, 16, "Need 3 or more points"},
      {{{0, 0}, {1, 0}, {2, 0}}, 0, 0, 0, 0, 65, "Not circle; Point, horizontal or vertical line"},
      {{{0, 0}, {1, 1}, {2, 2}}, 0, 0, 0, 0, 69, "Not circle; Diagonal line"},
      {{{0.6, 14.2}, {1.3, 19.1}, {3.1, 31.7}}, 0, 0, 0, 0, 69, "Not circle; Diagonal line"},  // det a
                                                                                               // residue
      {{{0, 0}, {1, 0}, {0, 1}, {NAN, 1}}, 0, 0, 0, 0, 71, "Not circle; Coordinates not finite or out of range"},
      {{{0, 0}, {1e300, 0}, {0, 1e300}, {1, 1}}, 0, 0, 0, 0, 71, "Not circle; Coordinates not finite or out of range"},
  };
  for (const auto& w : rows) {
    cap.records.clear();
    const auto n = static_cast<unsigned int>(w.pts.size());
    TavCircle c(TavPoint(7, 7), 7);
    double err = 7, sum = 0;
    EXPECT_EQ(pointsFitCircle(w.pts.data(), n, &c, &err), w.message ? 2 : 0) << n;
    EXPECT_TRUE(isCircle(c, w.x, w.y, w.r, w.tol)) << n;
    for (const TavPoint& p : w.pts) sum += std::fabs(pointPointDist(p, c.center) - c.radius);
    EXPECT_EQ(err, w.message ? 0 : sum / n) << n;  // the mean absolute radial deviation, to the bit
    EXPECT_EQ(cap.records, record(w.message, static_cast<int>(w.line))) << n;
  }
  CTavLog plain;  // a log without a sink writes the record to stderr
  CTavLog::_log = &plain;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(pointsFitCircle(nullptr, 0, nullptr, nullptr), 2);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            record("Need 3 or more points", 16)[0].substr(3) + "\n");
  CTavLog thrower([](unsigned int, const std::string&) { throw std::runtime_error("full"); });
  for (CTavLog* log :
       {&thrower, static_cast<CTavLog*>(nullptr)}) {  // a sink that throws, no log: still refused
    CTavLog::_log = log;
    EXPECT_EQ(pointsFitCircle(nullptr, 0, nullptr, nullptr), 2);
  }
  // Every fit runs without its optional outputs.
  const TavPoint p[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4.5}, {9, 1}, {2, 7}};
  TavLine l(TavPoint(1, 2), TavPoint(3, 4));
  EXPECT_EQ(pointsFitLine(p, 6, nullptr) + pointsLineDist(p, 6, &l, nullptr) +
                pointsFitCircle(p, 6, nullptr, nullptr) +
                pointsFitLineOutliers(p, 6, 2, nullptr, nullptr, nullptr) +
                pointsFitLineRansac(p, 6, 2, 10, nullptr, nullptr, nullptr) +
                pointsFitLineOrthogonal(p, 6, &l, nullptr) +
                pointsFitCircleRansac(p, 6, 1, 0, nullptr, nullptr, nullptr) +
                pointsFitCircleHyper(p, 6, nullptr, nullptr) +
                pointsFitCircleGeometric(p, 6, nullptr, nullptr, true),
            0);
}

TEST(FitOutliers, RemovalOrderTiesAndRefusals) {
  RecordCapture cap;
  Pts ring;
  for (int i = 0; i < 16; ++i) ring.emplace_back(10 * std::cos(i * kPi / 8), 10 * std::sin(i * kPi / 8));
  ring.insert(ring.begin() + 3, TavPoint(0, 11.5));  // second worst
  ring.emplace_back(14, 0);                          // worst
  TavCircle c;
  double err = -1;
  TavPoint removed[5] = {{-7, -7}, {-7, -7}, {-7, -7}, {-7, -7}, {-7, -7}};
  EXPECT_EQ(pointsFitCircleOutliers(ring.data(), 18, 2, &c, &err, removed), 0);
  EXPECT_TRUE(isPt(removed[0], 14, 0) && isPt(removed[1], 0, 11.5) && isPt(removed[2], -7, -7));
  EXPECT_TRUE(isCircle(c, 0, 0, 10, 1e-5) && isNum(err, 0, 1e-5));
  const TavPoint sym[] = {{10, 0}, {-10, 0}, {0, 10}, {0, -10}, {0, -12}, {0, 12}};  // equal residuals
  EXPECT_TRUE(pointsFitCircleOutliers(sym, 6, 1, nullptr, nullptr, removed) == 0 && removed[0].y == -12);
  // Larger sets, whose distances are taken in blocks: the same removals, circle and error as the
  // literal loop of fits and first largest residuals by pointPointDist. The ring centred on integers
  // has residuals whose offsets are 0 in x or y, and its centre point, at distance 0.
  std::mt19937 gen(5);
  std::normal_distribution<double> noise(0, 0.3);
  Pts noisy, ringed{{50, 60}};
  for (int i = 0; i < 1003; ++i) {
    const double t = 2 * kPi * i / 1003;
    noisy.emplace_back(100 + 40 * std::cos(t) + noise(gen), 80 + 40 * std::sin(t) + noise(gen));
    if (i % 40 == 0) noisy.emplace_back(100 + 90 * noise(gen), 80 + 90 * noise(gen));
  }
  for (int i = -20; i <= 20; ++i)
    for (const TavPoint& q : {TavPoint(50 + i, 60 + 20), TavPoint(50 + i, 60 - 20), TavPoint(50 + 20, 60 + i),
                              TavPoint(50 - 20, 60 + i)})
      ringed.push_back(q);
  for (const auto& [pts, k] : {std::pair<Pts, unsigned>{noisy, 30}, {ringed, 7}}) {
    Pts work = pts, want;
    TavCircle wc;
    double we = 0;
    pointsFitCircle(work.data(), static_cast<unsigned>(work.size()), &wc, &we);
    while (want.size() < k) {
      size_t worst = 0;
      for (size_t j = 0; j < work.size(); ++j)
        if (std::fabs(pointPointDist(work[j], wc.center) - wc.radius) >
            std::fabs(pointPointDist(work[worst], wc.center) - wc.radius))
          worst = j;
      want.push_back(work[worst]);
      work.erase(work.begin() + static_cast<std::ptrdiff_t>(worst));
      pointsFitCircle(work.data(), static_cast<unsigned>(work.size()), &wc, &we);
    }
    double sum = 0;  // the error of the last fit: the mean radial deviation of the points kept
    for (const TavPoint& q : work) sum += std::fabs(pointPointDist(q, wc.center) - wc.radius);
    EXPECT_EQ(we, sum / static_cast<double>(work.size()));
    Pts got(k);
    const unsigned n = static_cast<unsigned>(pts.size());
    EXPECT_EQ(pointsFitCircleOutliers(pts.data(), n, k, &c, &err, got.data()), 0);
    EXPECT_TRUE(tavfuzz::sameAll(got, want) && isCircle(c, wc.center.x, wc.center.y, wc.radius, 0) &&
                err == we);
  }
  // Removals down to two points end with a refusal, also for k beyond n; the one record is the test's first.
  const TavPoint five[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4.5}, {9, 9}};
  EXPECT_EQ(pointsFitCircleOutliers(five, 5, 9, &c, &err, removed), 2);
  EXPECT_TRUE(c.radius == 0 && err == 0 && removed[2].x != -7 && removed[3].x == -7);
  EXPECT_EQ(cap.records, record("Need 3 or more points", 16));
  // Lines: the error belongs to the line before the last refit.
  Pts row;
  for (int i = 0; i <= 10; ++i) row.emplace_back(i, 0);
  row.emplace_back(5, 3);
  TavLine l;
  EXPECT_EQ(pointsFitLineOutliers(row.data(), 12, 1, &l, &err, removed), 0);
  EXPECT_TRUE(isPt(removed[0], 5, 3) && isLine(l, 0, 0, 10000, 0) && isNum(err, 0.25, 1e-15));
  row.back() = TavPoint(5, 1);
  row.emplace_back(5, -1);  // both at distance 1 from y = 0: the first goes
  EXPECT_TRUE(pointsFitLineOutliers(row.data(), 13, 1, nullptr, nullptr, removed) == 0 && removed[0].y == 1);
  row[11].y = -1, row[12].y = 1;
  EXPECT_TRUE(pointsFitLineOutliers(row.data(), 13, 1, nullptr, nullptr, removed) == 0 && removed[0].y == -1);
}

TEST(FitRansac, SameBitsAsTheLiteralFit) {
  // A seed whose first draw is the top value 32767, which scaled by n is n itself; non-finite sets.
  uint32_t s = 0;
  while ((((s * 214013u + 2531011u) >> 16) & 0x7FFFu) != 0x7FFFu) ++s;
  for (const Pts& v :
       {Pts{{static_cast<double>(s), 0}, {5, -5}, {-3, 3}, {1, -1}}, Pts{{kInf, 0}, {1, 1}, {2, 2}, {3, 3}},
        Pts{{kNaN, 0}, {1, 1}, {2, 2}, {3, 3}, {kNaN, kNaN}}})
    for (int count : {0, 1, 3, 6})
      EXPECT_TRUE(tavfuzz::sameAll(ransac(v, 1, count), ransac(v, 1, count, true))) << v[0].x << " " << count;
  // The kept distances' radix sort against std::sort: many exponents; ties, zeros, +inf, subnormals, the
  // largest double, one exponent.
  std::mt19937_64 rng(9);
  std::vector<uint64_t> ra, rb;
  const double pick[] = {0.0, kInf,        4.9e-324,    2.2e-308, 1.7976931348623157e308,
                         1.0, 1 + 0x1p-52, 1 + 0x1p-51, 3};
  for (int t = 0; t < 2000; ++t) {
    std::vector<double> v(rng() % 300), want;
    for (double& x : v) {
      const uint64_t r = rng();
      x = t % 2 ? pick[r % 9] : std::ldexp(double(r % 1000000), int((r >> 40) % 40) - 20);
    }
    want = v;
    std::sort(want.begin(), want.end());
    detail::sortNonNegative(v.data(), static_cast<uint32_t>(v.size()), ra, rb);
    ASSERT_EQ(v, want) << t;
  }
}

TEST(FitMeasure, NoiseFreeArcsOnEveryScaleRefusalsAndTheOrthogonalLine) {
  for (double degrees : {30.0, 90.0, 360.0}) {
    for (double scale : {1e-120, 1.0, 1e150}) {
      const double r = 100.0 * scale, cx = 250.5 * scale, cy = -40.25 * scale;
      Pts p;
      for (double t = 0; p.size() < 50; t += degrees * kPi / 180.0 / (degrees == 360.0 ? 50 : 49))
        p.emplace_back(cx + r * std::cos(t), cy + r * std::sin(t));
      TavCircle h, g;
      double err = -1.0;
      TavCircleFitStats st;
      SCOPED_TRACE(testing::Message() << degrees << " degrees, scale " << scale);
      ASSERT_TRUE(pointsFitCircleHyper(p.data(), 50, &h, &err) == 0 &&
                  pointsFitCircleGeometric(p.data(), 50, &g, &st, true) == 0);
      for (const TavCircle& c : {h, g}) EXPECT_TRUE(isCircle(c, cx, cy, r, 1e-9 * r));
      EXPECT_TRUE(err < 1e-9 * r && st.rms < 1e-9 * r && st.meanAbs <= st.rms && st.converged);
    }
  }
  // A noisy short arc and the same points moved by 1e9 (exactly: dyadic offsets): the same circle. The
  // frame's rounded mean, taken as exact, had moved the radius by 1e-5 of itself.
  {
    std::mt19937_64 gen(1);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    Pts near, far;
    for (int i = 0; i < 40; ++i) {
      const double t = 0.5 * i / 39, x = std::ldexp(std::round(std::ldexp(50 * std::cos(t) + jitter(gen), 23)), -23),
                   y = std::ldexp(std::round(std::ldexp(50 * std::sin(t) + jitter(gen), 23)), -23);
      near.emplace_back(x, y);
      far.emplace_back(x + 1e9, y + 1e9);
    }
    TavCircle a, b;
    double e;
    ASSERT_TRUE(pointsFitCircleHyper(near.data(), 40, &a, &e) == 0 &&
                pointsFitCircleHyper(far.data(), 40, &b, &e) == 0);
    EXPECT_TRUE(isCircle(b, a.center.x + 1e9, a.center.y + 1e9, a.radius, 1e-12 * a.radius)) << b.radius - a.radius;
  }
  // Coincident points; a set straight to 1e-10 of its spread.
  for (const Pts& bad : {Pts{{1, 1}, {1, 1}, {1, 1}, {1, 1}}, Pts{{0, 0}, {10, 1e-9}, {20, 0}, {5, 0}}}) {
    TavCircle c;
    TavCircleFitStats st;
    double e = 7;
    st.rms = st.seR = st.iterations = 7;
    const int statuses = pointsFitCircleHyper(bad.data(), 4, &c, &e) +
                         pointsFitCircleGeometric(bad.data(), 4, &c, &st, true) +
                         pointsFitCircleRansac(bad.data(), 4, 1, 10, &c, nullptr, nullptr);
    EXPECT_TRUE(statuses == 6 && e == 0 && st.rms == 0 && st.meanAbs == 0 && st.iterations == 0 &&
                std::isnan(st.seR))
        << bad[1].x;
  }
  // The orthogonal fit: p1 the centroid, p2 one further along x > 0 (or x = 0 and y > 0).
  const double r5 = 1 / std::sqrt(5.0);
  const struct {
    Pts p;
    double x1, y1, x2, y2, rms, tol, status;
  } rows[] = {
      {{{3, 9}, {3, 1}, {3, 4}}, 3, 14.0 / 3, 3, 14.0 / 3 + 1, 0, 0, 0},
      {{{0, 0}, {2, 0}, {0, 2}, {2, 2}}, 1, 1, 2, 1, 1, 0, 0},  // no principal axis
      {{{0, 4}, {1, 2}, {2, 0}, {3, -2}}, 1.5, 1, 1.5 + r5, 1 - 2 * r5, 0, 1e-12, 0},
      {{{1, 1}, {1, 1}}, 0, 0, 0, 0, 0, 0, 1},  // fewer than two distinct points
  };
  for (const auto& w : rows) {
    TavLine l;
    double rms = -1;
    EXPECT_EQ(pointsFitLineOrthogonal(w.p.data(), static_cast<unsigned int>(w.p.size()), &l, &rms), w.status);
    EXPECT_TRUE(isLine(l, w.x1, w.y1, w.x2, w.y2, w.tol) && isNum(rms, w.rms, w.tol)) << w.x1;
  }
  // Residuals 1e-170 of the spread: their squares underflowed and the rms came out 0.
  const double s = 1e-170;
  const Pts tiny{{0, 0}, {1, s}, {2, 3 * s}, {3, 2 * s}};
  TavLine l;
  double rms = 0;
  EXPECT_TRUE(pointsFitLineOrthogonal(tiny.data(), 4, &l, &rms) == 0 &&
              std::fabs(rms / (0.6708203932499369 * s) - 1) < 1e-12)
      << rms;
}

TEST(FitMeasure, ConsensusAmongOutliersAndStandardErrors) {
  std::mt19937_64 gen(3);
  std::normal_distribution<double> noise(0.0, 0.3);
  Pts p, rejected(80);
  for (int i = 0; i < 120; ++i) {  // the draws in a fixed order: function arguments have none
    const double nx = noise(gen), ny = noise(gen);
    p.emplace_back(200 + 90 * std::cos(i * kPi / 60) + nx, 180 + 90 * std::sin(i * kPi / 60) + ny);
  }
  TavCircle c;  // the standard errors: the 90 degree arc below
  TavCircleFitStats st;
  std::uniform_real_distribution<double> u(0, 400);
  for (int i = 0; i < 80; ++i) p.push_back(TavPoint{u(gen), u(gen)});  // 40 % outliers; braces: x drawn first
  double err = -1;
  ASSERT_EQ(pointsFitCircleRansac(p.data(), 200, 80, 0, &c, &err, rejected.data()), 0);
  EXPECT_TRUE(isCircle(c, 200, 180, 90, 0.2) && err < 0.6) << show(c.center) << " " << c.radius;
  auto off = [&](const TavPoint& a) { return std::fabs(pointPointDist(a, c.center) - c.radius); };
  int onCircle = 0;
  for (const TavPoint& a : rejected) onCircle += off(a) < 1.5;
  // Few rejected points on the circle, and those ordered by the chosen candidate's distances.
  EXPECT_TRUE(onCircle <= 3 && off(rejected.front()) < off(rejected.back())) << onCircle;
  // A 90 degree arc with noise of 0.9: the Hyper fit stays near the geometric one and reports its mean
  // residual.
  Pts a;
  for (int i = 0; i < 60; ++i) {
    const double nx = 3 * noise(gen), ny = 3 * noise(gen);
    a.emplace_back(30 + 80 * std::cos(i * kPi / 118) + nx, -20 + 80 * std::sin(i * kPi / 118) + ny);
  }
  TavCircle h;
  double mean = 0, meanG = 0;
  ASSERT_TRUE(pointsFitCircleHyper(a.data(), 60, &h, &err) == 0 &&
              pointsFitCircleGeometric(a.data(), 60, &c, &st, true) == 0);
  for (const TavPoint& q : a)
    mean += std::fabs(pointPointDist(q, h.center) - h.radius),
        meanG += std::fabs(pointPointDist(q, c.center) - c.radius);
  EXPECT_TRUE(isCircle(h, c.center.x, c.center.y, c.radius, 0.1) && isNum(err, mean / 60, 1e-12 * err) &&
              isNum(st.meanAbs, meanG / 60, 1e-12 * meanG))
      << show(h.center) << " " << h.radius << " " << show(c.center) << " " << c.radius;
  // Its standard errors: sigma^2 (J^T J)^-1 at the fit, J's rows the residual's derivatives by cx, cy, r.
  double m[3][3] = {}, ss = 0;
  for (const TavPoint& q : a) {
    const double d = pointPointDist(q, c.center), j[3] = {(c.center.x - q.x) / d, (c.center.y - q.y) / d, -1};
    ss += (d - c.radius) * (d - c.radius);
    for (int r = 0; r < 9; ++r) m[r / 3][r % 3] += j[r / 3] * j[r % 3];
  }
  const double co[3] = {m[1][1] * m[2][2] - m[1][2] * m[1][2], m[0][0] * m[2][2] - m[0][2] * m[0][2],
                        m[0][0] * m[1][1] - m[0][1] * m[0][1]};
  const double det = m[0][0] * co[0] - m[0][1] * (m[0][1] * m[2][2] - m[1][2] * m[0][2]) +
                     m[0][2] * (m[0][1] * m[1][2] - m[1][1] * m[0][2]);
  const double se[3] = {st.seCx, st.seCy, st.seR};
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(isNum(se[i], std::sqrt(ss / 57 * co[i] / det), 1e-6 * se[i])) << i;
}

TEST(Spoke, CountsEndsAndDegenerateInput) {
  // Centre, radius, start, sweep; length, spacing; the count; the last spoke and its tolerance.
  const double rows[][13] = {
      {0, 0, 100, 0, kPi / 2, 20, 10, 18, 0, 100, 0, 120, 1e-9},  // L = 120 pi/2: trunc(18.85 - 1) + 1
      {0, 0, 10, 1, -1, 0, 2, 5, 10, 0, 10, 0, 1e-12},            // toward decreasing angles
      {1, 2, 10, kPi / 2, 0, 5, 3, 2, 1, 12, 1, 17, 1e-9},        // zero sweep: two spokes on the start ray
      {0, 0, 10, 0, kPi / 2, 0, -1, 2, 0, 10, 0, 10, 1e-9},       // negative spacing: the start and the end
      {0, 0, 1, 0, 1, 0, 1.0 / (kCap + 1.5), 1, 1, 0, 1, 0, 1e-12},  // past the cap: the start spoke alone
      {0, 0, 1, 0, 1, 0, 1.0 / (kCap + 0.5), kCap, std::cos(1.0), std::sin(1.0), std::cos(1.0), std::sin(1.0),
       1e-6},
  };
  for (const auto& w : rows) {
    Lines sp = stale();
    arcToSpoke(TavArc(TavPoint(w[0], w[1]), w[2], w[3], w[4]), w[5], w[6], &sp);
    ASSERT_EQ(sp.size(), static_cast<size_t>(w[7])) << w[4] << " " << w[6];
    EXPECT_TRUE(isLine(sp.back(), w[8], w[9], w[10], w[11], w[12])) << w[4] << " " << w[6];
  }
  arcToSpoke(TavArc(TavPoint(0, 0), 1, 0, 1), 1, 1, nullptr);  // a null output is ignored
}

TEST(Rake, StraightPathsCornersUnusableInputAndRepeatedPoints) {
  const Pts paths[] = {{{0, 0}, {100, 0}},
                       {{0, 0}, {0, -100}},
                       {{0, 0}, {100, 0}, {100, 100}},
                       {{0, 0}, {100, 0}, {100, 5}, {200, 5}},
                       {{0, 0}, {kCap + 1, 0}},
                       {{0, 0}, {100, 0}, {50, 0}}};
  const double rows[][10] = {
      // path, h, s; the count; the line checked, its ends and the tolerance
      {0, 10, 25, 3, 0, 25, 10, 25, -10, 1e-12},    // nothing at 0 or at the path end
      {1, 10, 25, 3, 0, 10, -25, -10, -25, 1e-12},  // positive side: the direction turned by +90
      // perpendiculars under 0.01 have angle 0: the fans add no length
      {2, 0.004, 10, 19, 9, 99.996, 10 - 9.992, 99.996 + 0.008, 10 - 9.992, 1e-9},
      // a jog shorter than h: lines centred on the path, fans about the vertices
      {3, 10, 10, 23, 9, 100, 10, 100, -10, 1e-12},
      {4, 1, 1, kScanLinesMax, kScanLinesMax - 1, kCap, 1, kCap, -1, 0},  // T = (cap + 1) s still fits
      // a reversal: 100 out, a half turn of radius 10 about the vertex, lines 1 rad (s / h) apart, 50
      // back with the positive side on -y
      {5, 10, 10, 18, 8, 90, 10, 90, -10, 1e-12},
      {5, 10, 10, 18, 10, 91.58529015192103, 5.403023058681398, 108.41470984807897, -5.403023058681398, 1e-9},
      {5, 10, 10, 18, 12, 98.58879991940132, -9.899924966004454, 101.41120008059868, 9.899924966004454, 1e-9},
      {5, 10, 10, 18, 13, 91.41592653589794, -10, 91.41592653589794, 10, 1e-9},
  };
  for (const auto& w : rows) {
    const auto r = rakeOf(paths[static_cast<int>(w[0])], w[1], w[2]);
    ASSERT_EQ(r.size(), static_cast<size_t>(w[3])) << "path " << w[0];
    EXPECT_TRUE(isLine(r[static_cast<size_t>(w[4])], w[5], w[6], w[7], w[8], w[9])) << w[0] << " " << w[4];
  }
  const Pts& pts = paths[2];  // unusable input gives no lines
  EXPECT_TRUE(rakeOf(pts, 10, 1e-5).empty() &&
              rakeOf({{0, 0}, {kCap + 1.5, 0}}, 1, 1).empty());  // past the cap
  EXPECT_TRUE(rakeOf({{0, 0}, {kNaN, 0}, {100, 0}}, 10, 10).empty() &&
              rakeOf({{0, 0}, {kInf, 0}}, 10, 10).empty());
  EXPECT_TRUE(rakeOf({{-1e308, 0}, {1e308, 0}}, 10, 1e300).empty());  // the length overflows
  Lines out = stale();
  polyLineToPolyRake(nullptr, 5, 10, 10, &out);
  EXPECT_TRUE(out.empty());
  polyLineToPolyRake(pts.data(), 2, 10, 10, nullptr);
  // Repeated points are left out.
  EXPECT_TRUE(tavfuzz::sameAll(rakeOf({{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 100}, {100, 100}}, 10, 10),
                       rakeOf(pts, 10, 10)));
  // Corners whose pivot was once the outer corner point, far beyond the vertex
  // (rounding near a reversal; a corner after one too sharp for its segments):
  // 2,435,620 and 2,604,381 lines up to 1e9 px off. Each line's middle lies
  // within h of the path.
  const std::pair<Pts, double> offside[] = {
      {{{0, 0}, {0.883, -0.234}, {4e-6, -3e-6}}, 1000},
      {{{0, 0}, {0.29080498803014443, 7.3479916075062306}, {0.28033633582585371, 6.8536410527537779},
        {0.20169849145088115, 6.8339846226242233}, {0.20272471888229043, 6.8342411432062624},
        {0.20239470405219442, 6.8341586516207977}},
       0.27504227629434075}};
  for (const auto& [path, h] : offside) {
    const auto r = rakeOf(path, h, h == 1000 ? 800 : 0.32449774396407927);
    ASSERT_TRUE(!r.empty() && r.size() < 40) << r.size();
    for (const TavLine& l : r) {
      const TavPoint m((l.p1.x + l.p2.x) / 2, (l.p1.y + l.p2.y) / 2);
      double near = kInf;
      for (size_t i = 0; i + 1 < path.size(); ++i) {  // distance to segment i
        const TavPoint a = path[i], d(path[i + 1].x - a.x, path[i + 1].y - a.y);
        const double u = std::clamp(((m.x - a.x) * d.x + (m.y - a.y) * d.y) / (d.x * d.x + d.y * d.y), 0.0, 1.0);
        near = std::min(near, std::hypot(m.x - a.x - u * d.x, m.y - a.y - u * d.y));
      }
      EXPECT_LE(near, h);
    }
  }
}

TEST(Rake, SameLinesAsTheStepByStepConstruction) {
  // Random paths with ordinary corners only: turns up to 0.6 or 3.05 rad, each
  // segment longer than the setbacks h tan(|turn| / 2) of its corners.
  std::mt19937 gen(2024);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 3000; ++trial) {
    const double h = 0.05 + unit(gen) * 12, s = 0.3 + unit(gen) * 9, maxTurn = trial % 2 == 0 ? 0.6 : 3.05;
    const int n = 2 + static_cast<int>(gen() % 9);
    double angle = unit(gen) * 2 * kPi, turn = 0;  // turn: at the segment's start, next: at its end
    Pts pts = {TavPoint{unit(gen) * 400 - 200, unit(gen) * 400 - 200}};  // braces: x drawn first
    for (int i = 0; i + 1 < n; ++i) {
      const double next = i + 2 < n ? (2 * unit(gen) - 1) * maxTurn : 0.0;
      const double len =
          h * (std::tan(std::fabs(turn) / 2) + std::tan(std::fabs(next) / 2)) + 0.5 + unit(gen) * 80;
      pts.emplace_back(pts.back().x + len * std::cos(angle), pts.back().y + len * std::sin(angle));
      angle += (turn = next);
    }
    ASSERT_TRUE(sameAsLiteral(pts, h, s)) << "trial " << trial;
  }
  // Exactly collinear joints next to sharper corners; stretches that meet
  // exactly, turned so that rounding leaves a residue either way.
  for (double h : {2.5, 0.75, 4.0})
    EXPECT_TRUE(sameAsLiteral({{1, 2}, {31, 42}, {61, 82}, {70, 70}, {100, 110}, {130, 150}}, h, 0.7)) << h;
  for (double end : {0.0, 200.0})
    for (double turn : {0.0, 0.3, 1.234, 2.9, -2.2}) {
      Pts pts = {{0, 0}, {100, 0}, {100, 20}, {end, 20}};
      for (TavPoint& q : pts) pointRotate(TavPoint(7.5, -3.25), turn, &q);
      EXPECT_TRUE(sameAsLiteral(pts, 10, 3)) << end << " " << turn;
    }
}
