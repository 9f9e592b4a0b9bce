// Line, circle, outlier-rejecting and consensus fits. The consensus fit is
// compared bit for bit with the literal step-by-step algorithm on finite input,
// the line fit with the fit that always runs its second pass on any input.
// needs: TavGeoFit.h:pointsFitLineRansac TavGeoFit.h:pointsFitCircleRansac
// reference: ransac_reference.cpp line_fit_reference.cpp
#include <TavLog/TavLog.h>

#include <mutex>

#include "FuzzInput.h"
#include "reference/line_fit_reference.h"
#include "reference/ransac_reference.h"

namespace {

thread_local int g_records = 0;  // the records of the calling thread's fits
thread_local std::string g_lastRecord;
thread_local unsigned int g_lastCategory = 0;
// The sink only records: the library catches whatever a sink throws, so a
// check in here could never fail the run.
CTavLog g_log([](unsigned int category, const std::string& record) {
  g_records += 1, g_lastRecord = record, g_lastCategory = category;
});
const TavPoint kSentinel(-3131.5, 3131.25);
std::mutex g_randLock;  // rand() is the process's: one thread at a time checks that the fit leaves it alone

// True when the first k of got are input points (bit for bit), each at most
// as often as given, and the rest of the room still holds the sentinel.
bool fromInput(std::vector<TavPoint> pool, const std::unique_ptr<TavPoint[]>& got, size_t k, size_t room) {
  for (size_t i = 0; i < room; ++i) {
    const auto it =
        std::find_if(pool.begin(), pool.end(), [&](const TavPoint& p) { return sameBits(p, got[i]); });
    if (i >= k ? !sameBits(out(got[i]), kSentinel) : out(it == pool.end(), got[i])) return false;
    if (i < k) pool.erase(it);
  }
  return true;
}
std::unique_ptr<TavPoint[]> sentinels(size_t room) {
  return exactCopy(std::vector<TavPoint>(room, kSentinel));
}

struct Points {
  std::vector<TavPoint> v;
  unsigned int n = static_cast<unsigned int>(v.size());
  std::unique_ptr<TavPoint[]> pts = exactCopy(v);
};
// Duplicates and points on a line make the ties and degenerate branches.
Points makePoints(FuzzInput& in, bool hostile, int bound) {
  std::vector<TavPoint> v = in.points(bound, hostile);
  for (size_t i = 1; i < v.size(); ++i) {
    const uint8_t r = in.byte();
    if (r < 32) v[i] = v[r % i];
    if (r >= 32 && r < 64) v[i] = TavPoint(v[i - 1].x + 1, v[i - 1].y + (r & 1 ? 0.0 : 2.0));
  }
  return Points{v};
}

void plainFits(FuzzInput& in, bool hostile) {
  const auto [v, n, pts] = makePoints(in, hostile, 64);
  TavLine line;
  TavCircle circle(TavPoint(5, 5), 5);
  double dist = -1, error = 5;
  FUZZ_CHECK(pointsFitLine(pts.get(), n, &line) == 0 && pointsLineDist(pts.get(), n, &line, &dist) == 0);
  FUZZ_CHECK(n > 0 || (std::isnan(out(line, dist).p1.y) && std::isnan(line.p2.y) && dist == 0.0));
  FUZZ_CHECK(n == 0 || hostile || (line.p1.x == 0 && line.p2.x == 10000) ||
             (line.p1.y == 0 && line.p2.y == 10000));
  FUZZ_CHECK(n != 1 || sameValue(dist, pointLineDist(v[0], line)));
  TavLine twoPasses;
  FUZZ_CHECK(tavref::fitLineTwoPasses(pts.get(), n, &twoPasses) == 0 && sameValue(line, twoPasses));
  g_records = 0;
  const int status = out(pointsFitCircle(pts.get(), n, &circle, &error), circle, error);
  FUZZ_CHECK((status == 0 && n >= 3 && g_records == 0 && isFinite(circle.center) && std::isfinite(circle.radius)) ||
             status == 2);
  FUZZ_CHECK(status == 0 || (zero(circle.center) && circle.radius == 0 && error == 0 && g_records == 1 &&
                             g_lastCategory == 256 &&
                             g_lastRecord.find("NTavGeometry::pointsFitCircle") != std::string::npos));
}

void outlierFits(FuzzInput& in, bool hostile) {
  const auto [v, n, pts] = makePoints(in, hostile, 40);
  unsigned int k = static_cast<unsigned int>(in.count(n + 3));
  const bool huge = in.byte() < 16;
  if (huge) k = in.u32();  // any k; the removed points are then not asked for
  const size_t room = huge ? 0 : k;
  auto removed = sentinels(room);
  TavCircle circle;
  TavLine line;
  double error = -1;
  const int cs =
      out(pointsFitCircleOutliers(pts.get(), n, k, &circle, &error, huge ? nullptr : removed.get()), circle,
          error);
  FUZZ_CHECK(cs == 0 || (cs == 2 && circle.radius == 0 && error == 0));
  size_t written = 0;  // a prefix of input points
  while (written < room && !sameBits(removed[written], kSentinel)) ++written;
  FUZZ_CHECK(fromInput(v, removed, written, room));
  removed = sentinels(room), error = -7;
  FUZZ_CHECK(pointsFitLineOutliers(pts.get(), n, k, &line, &error, huge ? nullptr : removed.get()) == 0);
  FUZZ_CHECK((k != 0 || error == -7) && fromInput(v, removed, std::min<size_t>(k, n), room));
  out(line, error);
}

void consensus(FuzzInput& in, bool hostile) {
  const auto [v, n, pts] = makePoints(in, hostile, 48);
  const unsigned int k = static_cast<unsigned int>(in.count(n + 2));
  int candidates = in.count(60);
  if (in.byte() < 64) candidates = -candidates;  // the automatic count
  auto rejected = sentinels(k), again = sentinels(k), ref = sentinels(k);
  const unsigned int seed = in.u32();  // the application's own rand() sequence is not disturbed
  TavLine line(kSentinel, kSentinel), againLine, refLine;
  double error = -5, againError = 0, refError = 0;
  std::unique_lock<std::mutex> lock(g_randLock);
  std::srand(seed);
  const int expectRand = std::rand();
  std::srand(seed);
  FUZZ_CHECK(pointsFitLineRansac(pts.get(), n, k, candidates, &line, &error, rejected.get()) == 0);
  FUZZ_CHECK(std::rand() == expectRand);
  lock.unlock();
  if (k >= n) {
    FUZZ_CHECK(sameBits(line, TavLine(kSentinel, kSentinel)) && error == -5 && fromInput(v, rejected, 0, k));
    return;
  }
  FUZZ_CHECK(fromInput(v, rejected, k, k));
  // The same call gives the same bits, and so does the literal algorithm.
  pointsFitLineRansac(pts.get(), n, k, candidates, &againLine, &againError, again.get());
  FUZZ_CHECK(sameValue(out(againLine), line) && sameValue(out(againError), error));
  FUZZ_CHECK(std::equal(again.get(), again.get() + k, rejected.get(), sameBits<TavPoint>));
  if (!std::all_of(v.begin(), v.end(), isFinite)) return;
  tavref::fitLineRansacLiteral(pts.get(), n, k, candidates, &refLine, &refError, ref.get());
  FUZZ_CHECK(sameValue(refLine, line) && sameValue(refError, error));
  FUZZ_CHECK(std::equal(ref.get(), ref.get() + k, rejected.get(), sameBits<TavPoint>));
}

// The fits that measure: a refusal leaves zeroed outputs, a set with a
// non-finite coordinate is refused, and a success gives finite results.
void measuringFits(FuzzInput& in, bool hostile) {
  const auto [v, n, pts] = makePoints(in, hostile, 64);
  const bool finite = std::all_of(v.begin(), v.end(), isFinite);
  TavLine line;
  double rms = -1.0, error = -1.0;
  const int ls = out(pointsFitLineOrthogonal(pts.get(), n, &line, &rms), line, rms);
  FUZZ_CHECK(ls == 1 ? line.p1.x == 0 && line.p2.x == 0 && rms == 0 : ls == 0 && finite && rms >= 0);
  auto checkCircle = [&](int status, const TavCircle& c, double err) {  // 2 refuses, 0 or 1 succeed
    out(status, c, err);
    FUZZ_CHECK(status >= 0 && status <= 2);
    FUZZ_CHECK(status == 2
                   ? zero(c.center) && c.radius == 0 && err == 0
                   : finite && isFinite(c.center) && c.radius >= 0 && std::isfinite(c.radius) && err >= 0);
  };
  TavCircle c;
  TavCircleFitStats st;
  const int hs = pointsFitCircleHyper(pts.get(), n, &c, &error);
  checkCircle(hs == 1 ? 3 : hs, c, error);
  const int gs = pointsFitCircleGeometric(pts.get(), n, &c, &st, (in.byte() & 1) != 0);
  checkCircle(gs, c, st.meanAbs);  // may refuse (2) a result it cannot represent
  out(st.rms, st.iterations, st.converged, st.seCx, st.seCy, st.seR);
  FUZZ_CHECK(gs == 2 || (st.meanAbs <= st.rms * (1 + 1e-9) && st.iterations >= 1 && st.iterations <= 100));
  const unsigned int k = in.byte() % (n + 2);
  const int candidates = static_cast<int>(in.byte()) - 8;
  auto rejected = sentinels(k + 1);
  const int rs = pointsFitCircleRansac(pts.get(), n, k, candidates, &c, &error, rejected.get());
  FUZZ_CHECK(rs == 2 || (n >= 3 && k <= n - 3));
  checkCircle(rs, c, error);
  FUZZ_CHECK(rs == 2 ? sameBits(rejected[0], kSentinel) : fromInput(v, rejected, k, k + 1));
}

// Routes the library's log to g_log for one input and puts the previous log back, also
// when a check throws; leaves it alone when g_log is installed (by tests/tsan, say).
struct UseLog {
  const bool install = CTavLog::_log != &g_log;
  CTavLog* const previous = install ? std::exchange(CTavLog::_log, &g_log) : nullptr;
  ~UseLog() {
    if (install) CTavLog::_log = previous;
  }
};

}  // namespace

// What a program running the checkers on several threads installs before they start.
CTavLog& tavfuzzFitLog() { return g_log; }

TAVFUZZ_TARGET(fuzz_fit) {
  const UseLog useLog;
  pick(in, {{"fit", plainFits},
            {"fitoutliers", outlierFits},
            {"ransac", consensus},
            {"fitmeasure", measuringFits}});
  out(g_records);
}
