// Line, circle, outlier-rejecting and consensus fits. The consensus fit is
// compared bit for bit with the literal step-by-step algorithm on finite input.
// needs: TavGeoFit.h:pointsFitLineRansac TavGeoFit.h:pointsFitCircleRansac
// reference: ransac_reference.cpp
#include <TavGeometry/TavGeoFit.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavLog/TavLog.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzInput.h"
#include "reference/ransac_reference.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;
using tavfuzz::sameBits;
using tavfuzz::sameValue;

namespace {

int g_records = 0;
std::string g_lastRecord;
CTavLog g_log([](unsigned int category, const std::string& record) {
  FUZZ_CHECK(category == 256);
  ++g_records;
  g_lastRecord = record;
});

const TavPoint kSentinel(-3131.5, 3131.25);

// True when p is one of the points (bit for bit) not yet used, and uses it.
bool takeFrom(std::vector<TavPoint>* pool, const TavPoint& p) {
  for (size_t i = 0; i < pool->size(); ++i) {
    if (sameBits((*pool)[i], p)) {
      pool->erase(pool->begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

bool allFinite(const std::vector<TavPoint>& v) {
  for (const TavPoint& p : v)
    if (!tavfuzz::isFinite(p)) return false;
  return true;
}

// Exactly sized copy so that reads past n are caught.
std::unique_ptr<TavPoint[]> copyOf(const std::vector<TavPoint>& v) {
  std::unique_ptr<TavPoint[]> a(new TavPoint[v.empty() ? 1 : v.size()]);
  for (size_t i = 0; i < v.size(); ++i) a[i] = v[i];
  return a;
}

std::vector<TavPoint> makePoints(FuzzInput& in, bool hostile, int bound) {
  std::vector<TavPoint> v = in.points(bound, hostile);
  // Duplicates and points on a line make the ties and degenerate branches.
  for (size_t i = 1; i < v.size(); ++i) {
    const uint8_t r = in.byte();
    if (r < 32)
      v[i] = v[r % i];
    else if (r < 64)
      v[i] = TavPoint(v[i - 1].x + 1, v[i - 1].y + (r & 1 ? 0.0 : 2.0));
  }
  return v;
}

void plainFits(FuzzInput& in, bool hostile) {
  const std::vector<TavPoint> v = makePoints(in, hostile, 64);
  const unsigned int n = static_cast<unsigned int>(v.size());
  auto pts = copyOf(v);

  TavLine line;
  FUZZ_CHECK(pointsFitLine(pts.get(), n, &line) == 0);
  if (n == 0) FUZZ_CHECK(std::isnan(line.p1.y) && std::isnan(line.p2.y));
  if (n > 0 && !hostile) {
    const bool yOverX = line.p1.x == 0 && line.p2.x == 10000;
    const bool xOverY = line.p1.y == 0 && line.p2.y == 10000;
    FUZZ_CHECK(yOverX || xOverY);
  }
  double dist = -1;
  FUZZ_CHECK(pointsLineDist(pts.get(), n, &line, &dist) == 0);
  if (n == 0)
    FUZZ_CHECK(dist == 0.0);
  else
    FUZZ_CHECK(std::isnan(dist) || dist >= 0);
  if (n == 1) FUZZ_CHECK(sameValue(dist, pointLineDist(v[0], line)));

  TavCircle circle(TavPoint(5, 5), 5);
  double error = 5;
  g_records = 0;
  const int status = pointsFitCircle(pts.get(), n, &circle, &error);
  FUZZ_CHECK(status == 0 || status == 2);
  if (n < 3) FUZZ_CHECK(status == 2);
  if (status == 2) {
    FUZZ_CHECK(circle.center.x == 0 && circle.center.y == 0 && circle.radius == 0 && error == 0);
    FUZZ_CHECK(g_records == 1);
    FUZZ_CHECK(g_lastRecord.find("NTavGeometry::pointsFitCircle") != std::string::npos);
  } else {
    FUZZ_CHECK(g_records == 0);
    FUZZ_CHECK(std::isnan(circle.radius) || circle.radius >= 0);
    FUZZ_CHECK(std::isnan(error) || error >= 0);
  }
}

void outlierFits(FuzzInput& in, bool hostile) {
  const std::vector<TavPoint> v = makePoints(in, hostile, 40);
  const unsigned int n = static_cast<unsigned int>(v.size());
  auto pts = copyOf(v);
  unsigned int k = static_cast<unsigned int>(in.count(n + 3));
  const bool huge = in.byte() < 16;
  if (huge) k = in.u32();  // any k; the removed points are then not asked for
  const size_t room = huge ? 0 : k;
  std::unique_ptr<TavPoint[]> removed(new TavPoint[room == 0 ? 1 : room]);
  for (size_t i = 0; i < room; ++i) removed[i] = kSentinel;

  TavCircle circle;
  double error = -1;
  const int cs = pointsFitCircleOutliers(pts.get(), n, k, &circle, &error, huge ? nullptr : removed.get());
  FUZZ_CHECK(cs == 0 || cs == 2);
  if (cs == 2) FUZZ_CHECK(circle.radius == 0 && error == 0);
  {
    // The removed points are input points, each at most as often as given.
    std::vector<TavPoint> pool = v;
    for (size_t i = 0; i < room; ++i) {
      if (sameBits(removed[i], kSentinel)) break;
      FUZZ_CHECK(takeFrom(&pool, removed[i]));
    }
  }

  for (size_t i = 0; i < room; ++i) removed[i] = kSentinel;
  TavLine line;
  error = -7;
  const int ls = pointsFitLineOutliers(pts.get(), n, k, &line, &error, huge ? nullptr : removed.get());
  FUZZ_CHECK(ls == 0);
  if (k == 0) FUZZ_CHECK(error == -7);
  if (!huge) {
    // min(k, n) points removed, all from the input.
    std::vector<TavPoint> pool = v;
    const size_t expect = k < n ? k : n;
    for (size_t i = 0; i < expect; ++i) FUZZ_CHECK(takeFrom(&pool, removed[i]));
    for (size_t i = expect; i < room; ++i) FUZZ_CHECK(sameBits(removed[i], kSentinel));
  }
}

void consensus(FuzzInput& in, bool hostile) {
  const std::vector<TavPoint> v = makePoints(in, hostile, 48);
  const unsigned int n = static_cast<unsigned int>(v.size());
  auto pts = copyOf(v);
  const unsigned int k = static_cast<unsigned int>(in.count(n + 2));
  int candidates = in.count(60);
  if (in.byte() < 64) candidates = -candidates;  // the automatic count
  const size_t room = k;
  std::unique_ptr<TavPoint[]> rejected(new TavPoint[room == 0 ? 1 : room]);
  for (size_t i = 0; i < room; ++i) rejected[i] = kSentinel;

  // The application's own rand() sequence is not disturbed.
  const unsigned int seed = in.u32();
  std::srand(seed);
  const int expectRand = std::rand();
  std::srand(seed);

  TavLine line(kSentinel, kSentinel);
  double error = -5;
  FUZZ_CHECK(pointsFitLineRansac(pts.get(), n, k, candidates, &line, &error, rejected.get()) == 0);
  FUZZ_CHECK(std::rand() == expectRand);

  if (k >= n) {
    FUZZ_CHECK(sameBits(line.p1, kSentinel) && sameBits(line.p2, kSentinel) && error == -5);
    for (size_t i = 0; i < room; ++i) FUZZ_CHECK(sameBits(rejected[i], kSentinel));
    return;
  }
  std::vector<TavPoint> pool = v;
  for (size_t i = 0; i < room; ++i) FUZZ_CHECK(takeFrom(&pool, rejected[i]));

  // Deterministic: the same call gives the same bits.
  TavLine again;
  double againError = 0;
  std::unique_ptr<TavPoint[]> again2(new TavPoint[room == 0 ? 1 : room]);
  pointsFitLineRansac(pts.get(), n, k, candidates, &again, &againError, again2.get());
  FUZZ_CHECK(sameValue(again, line) && sameValue(againError, error));
  for (size_t i = 0; i < room; ++i) FUZZ_CHECK(sameBits(again2[i], rejected[i]));

  if (allFinite(v)) {
    // Identical to the literal algorithm.
    TavLine ref;
    double refError = 0;
    std::unique_ptr<TavPoint[]> refRejected(new TavPoint[room == 0 ? 1 : room]);
    tavref::fitLineRansacLiteral(pts.get(), n, k, candidates, &ref, &refError, refRejected.get());
    FUZZ_CHECK(sameValue(ref, line) && sameValue(refError, error));
    for (size_t i = 0; i < room; ++i) FUZZ_CHECK(sameBits(refRejected[i], rejected[i]));
  }
}

// The fits that measure: every call returns with its documented status, a
// refusal leaves zeroed outputs, a set with a non-finite coordinate is
// refused, and a success gives finite results with the residual figures
// consistent with the circle.
void measuringFits(FuzzInput& in, bool hostile) {
  const std::vector<TavPoint> v = makePoints(in, hostile, 64);
  const unsigned int n = static_cast<unsigned int>(v.size());
  auto pts = copyOf(v);
  const bool finite = allFinite(v);

  TavLine line;
  double rms = -1.0;
  const int ls = pointsFitLineOrthogonal(pts.get(), n, &line, &rms);
  FUZZ_CHECK(ls == 0 || ls == 1);
  if (!finite) FUZZ_CHECK(ls == 1);
  if (ls == 1) FUZZ_CHECK(line.p1.x == 0 && line.p2.x == 0 && rms == 0);
  if (ls == 0) {
    const double dx = line.p2.x - line.p1.x, dy = line.p2.y - line.p1.y;
    FUZZ_CHECK(rms >= 0);  // +inf only where the true figure exceeds DBL_MAX
    // p2 = p1 + a unit vector keeps the direction while p1 is small enough.
    if (std::fabs(line.p1.x) < 1e12 && std::fabs(line.p1.y) < 1e12) {
      // A tiny x component can round away in p1.x + dx, leaving dy of either sign.
      FUZZ_CHECK(dx >= 0 && (dx > 0 || dy > 0 || line.p1.x != 0));
      FUZZ_CHECK(std::fabs(dx * dx + dy * dy - 1) < 1e-3);
    }
  }

  auto checkCircle = [&](int status, const TavCircle& c, double error) {
    if (!finite) FUZZ_CHECK(status == 2);
    if (status == 2) {
      FUZZ_CHECK(c.center.x == 0 && c.center.y == 0 && c.radius == 0 && error == 0);
    } else {
      FUZZ_CHECK(std::isfinite(c.center.x) && std::isfinite(c.center.y) && c.radius >= 0);
      FUZZ_CHECK(std::isfinite(c.radius) && error >= 0);
    }
  };
  TavCircle c;
  double error = -1.0;
  const int hs = pointsFitCircleHyper(pts.get(), n, &c, &error);
  FUZZ_CHECK(hs == 0 || hs == 2);
  checkCircle(hs, c, error);

  TavCircleFitStats st;
  const int gs = pointsFitCircleGeometric(pts.get(), n, &c, &st, (in.byte() & 1) != 0);
  FUZZ_CHECK(gs >= 0 && gs <= 2);  // either may refuse a result it cannot represent
  checkCircle(gs, c, st.meanAbs);
  if (gs != 2) FUZZ_CHECK(st.meanAbs <= st.rms * (1 + 1e-9) && st.iterations >= 1 && st.iterations <= 100);

  const unsigned int k = in.byte() % (n + 2);
  const int candidates = static_cast<int>(in.byte()) - 8;
  std::unique_ptr<TavPoint[]> rejected(new TavPoint[k + 1]);
  rejected[0] = kSentinel;
  const int rs = pointsFitCircleRansac(pts.get(), n, k, candidates, &c, &error, rejected.get());
  FUZZ_CHECK(rs >= 0 && rs <= 2);
  if (n < 3 || k > n - 3) FUZZ_CHECK(rs == 2);
  checkCircle(rs, c, error);
  if (rs == 2) FUZZ_CHECK(sameBits(rejected[0], kSentinel));
  std::vector<TavPoint> pool = v;
  for (unsigned int i = 0; rs != 2 && i < k; ++i) FUZZ_CHECK(takeFrom(&pool, rejected[i]));
}

// Routes the library's log to g_log for one input and puts the previous log
// back, also when a check throws (the unit test runner replays this target
// among its other tests).
struct UseLog {
  CTavLog* const previous = CTavLog::_log;
  UseLog() { CTavLog::_log = &g_log; }
  ~UseLog() { CTavLog::_log = previous; }
};

}  // namespace

TAVFUZZ_TARGET(fuzz_fit) {
  const UseLog useLog;
  const uint8_t sel = in.byte();
  const bool hostile = (sel & 0x80) != 0;
  switch (sel % 4) {
    case 0:
      plainFits(in, hostile);
      break;
    case 1:
      outlierFits(in, hostile);
      break;
    case 2:
      consensus(in, hostile);
      break;
    default:
      measuringFits(in, hostile);
      break;
  }
}
