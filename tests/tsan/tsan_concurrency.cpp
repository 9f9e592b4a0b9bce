// Many threads call the free functions, the consensus fit, the circle fit
// (which logs) and their own region calculators at once; every result must
// equal the one computed on a single thread first. A shared rotator is read by
// all threads. Also checks that the consensus fit leaves the application's
// rand() sequence untouched. Built and run under ThreadSanitizer by
// scripts/tsan.sh; it exits non-zero on any mismatch.
#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace NTavGeometry;

namespace {

// FNV-1a over the bytes of every result.
class Digest {
 public:
  void bytes(const void* p, size_t n) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) m_h = (m_h ^ b[i]) * 1099511628211ull;
  }
  template <typename T>
  void add(const T& v) {
    bytes(&v, sizeof v);
  }
  template <typename T>
  void addAll(const std::vector<T>& v) {
    add(v.size());
    if (!v.empty()) bytes(v.data(), v.size() * sizeof(T));
  }
  uint64_t value() const { return m_h; }

 private:
  uint64_t m_h = 1469598103934665603ull;
};

// Deterministic inputs per task, independent of any shared generator.
class Lcg {
 public:
  explicit Lcg(uint32_t seed) : m_s(seed * 2654435761u + 1u) {}
  double next(double lo, double hi) {
    m_s = m_s * 1664525u + 1013904223u;
    return lo + (hi - lo) * ((m_s >> 8) / 16777216.0);
  }
  TavPoint point(double lo, double hi) {
    const double x = next(lo, hi);
    const double y = next(lo, hi);
    return TavPoint(x, y);
  }

 private:
  uint32_t m_s;
};

std::mutex g_logMutex;
long g_records = 0;
CTavLog g_log([](unsigned int, const std::string&) {
  std::lock_guard<std::mutex> lock(g_logMutex);
  ++g_records;
});

const CTavRotator g_sharedRotator(12.5, -3.25, 0.7);  // read by every thread

uint64_t runTask(int task) {
  Lcg g(static_cast<uint32_t>(task));
  Digest d;

  // Scalars and points.
  const double a = g.next(-50, 50);
  d.add(normalizeAngleMinusPiToPi(a));
  d.add(normalizeAngle0ToPi(a));
  double roots[2] = {0, 0};
  int count = 0;
  solveQuadraticAbcFormula(1, g.next(-10, 10), g.next(-10, 10), roots, &count);
  d.add(roots);
  d.add(count);
  std::vector<double> angles(17);
  for (double& v : angles) v = g.next(-7, 7);
  d.add(averageAngles(angles.data(), static_cast<int>(angles.size())));
  std::vector<TavPoint> pts(64);
  for (TavPoint& p : pts) p = g.point(0, 300);
  TavRect box;
  pointsToBBox(pts.data(), static_cast<unsigned int>(pts.size()), &box);
  d.add(box);
  d.add(pointPointDist(pts[0], pts[1]));
  TavPoint r = pts[2];
  pointRotate(pts[3], a, &r);
  d.add(r);
  g_sharedRotator.rotate(&r.x, &r.y);
  d.add(r);

  // Lines and rectangles.
  const TavLine l1(pts[4], pts[5]), l2(pts[6], pts[7]);
  TavPoint x;
  d.add(lineLineIntersection(l1, l2, &x));
  d.add(x);
  double ro = 0, theta = 0;
  lineToRoTheta(l1, &ro, &theta);
  d.add(ro);
  d.add(theta);
  TavLine bis;
  lineLineBisect(l1, l2, &bis);
  d.add(bis);
  TavPoint c1, c2;
  d.add(lineRectIntersection(l1, TavRect(50, 60, 120, 80, a), &c1, &c2));
  d.add(c1);
  d.add(c2);

  // Circles, arcs, polygons.
  TavCircle circle;
  d.add(circleIn3Points(pts[8], pts[9], pts[10], &circle));
  d.add(circle);
  d.add(circleInTriangle(pts[8], pts[9], pts[10], &circle));
  d.add(circle);
  TavPoint cross[2];
  circleLineIntersection(TavCircle(pts[11], 80), l1, cross, &count);
  d.add(cross);
  d.add(count);
  TavArc arc;
  d.add(arcIn3Points(pts[12], pts[13], pts[14], &arc));
  d.add(arc);
  std::vector<TavPoint> arcPts;
  arcToPointSet(TavArc(pts[15], 40, a, 2.5), &arcPts);
  d.addAll(arcPts);
  d.add(polygonArea(pts.data(), 12));
  d.add(polygonIsPointInside(pts.data(), 12, pts[20]));

  // Scan lines.
  std::vector<TavLine> lines;
  arcToSpoke(TavArc(pts[16], 50, a, 1.5), 10, 3, &lines);
  d.addAll(lines);
  polyLineToPolyRake(pts.data() + 17, 5, 6, 4, &lines);
  d.addAll(lines);

  // Fits, the logging circle fit and the consensus fit included.
  TavLine fitted;
  double error = 0;
  pointsFitLine(pts.data(), 40, &fitted);
  d.add(fitted);
  d.add(pointsFitCircle(pts.data(), 40, &circle, &error));
  d.add(circle);
  d.add(error);
  const TavPoint straight[3] = {TavPoint(0, 0), TavPoint(1, 1), TavPoint(2, 2)};
  d.add(pointsFitCircle(straight, 3, &circle, &error));  // refused: one record
  TavPoint removed[5];
  d.add(pointsFitCircleOutliers(pts.data(), 30, 5, &circle, &error, removed));
  d.add(circle);
  d.add(removed);
  d.add(pointsFitLineOutliers(pts.data(), 30, 5, &fitted, &error, removed));
  d.add(fitted);
  d.add(removed);
  TavPoint rejected[8];
  pointsFitLineRansac(pts.data(), 64, 8, task % 3 == 0 ? 0 : 40, &fitted, &error, rejected);
  d.add(fitted);
  d.add(error);
  d.add(rejected);

  // The thread's own calculators, used several times (cache and pool).
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon polygon;
  const TavPoint ring[3] = {TavPoint(150, 150), g.point(150, 200), g.point(150, 200)};
  for (int rep = 0; rep < 3; ++rep) {
    disk.calculate(300, 300, ring, 2);
    torus.calculate(300, 300, ring, 3);
    polygon.calculate(300, 300, pts.data() + 24 + rep, 10 + rep * 7);
    d.addAll(disk.rle());
    d.addAll(torus.rle());
    d.addAll(polygon.rle());
    d.add(polygon.boundingBox());
    d.addAll(CTavGeoRleCalc::calculatePerimiterPoints(polygon.rle().data()));
    d.addAll(CTavGeoRleCalc::calculatePerimiterPoints(torus.rle().data()));
  }
  return d.value();
}

int failures = 0;
void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int threads = argc > 1 ? std::atoi(argv[1]) : 8;
  const int tasks = argc > 2 ? std::atoi(argv[2]) : 48;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  CTavLog::_log = &g_log;

  // The consensus fit leaves the application's rand() sequence as it was.
  {
    std::vector<TavPoint> pts(50);
    Lcg g(99);
    for (TavPoint& p : pts) p = g.point(0, 100);
    std::srand(4711);
    const int first = std::rand(), second = std::rand();
    std::srand(4711);
    TavLine line;
    double error;
    TavPoint rejected[5];
    pointsFitLineRansac(pts.data(), 50, 5, 30, &line, &error, rejected);
    const int afterFirst = std::rand();
    pointsFitLineRansac(pts.data(), 50, 5, 0, &line, &error, rejected);
    check(afterFirst == first && std::rand() == second, "consensus fit left rand() untouched");
  }

  // Single-threaded results first.
  std::vector<uint64_t> expected(static_cast<size_t>(tasks));
  for (int t = 0; t < tasks; ++t) expected[static_cast<size_t>(t)] = runTask(t);
  const long recordsAlone = g_records;
  check(recordsAlone >= tasks, "every refused circle fit wrote a record");

  // Then all at once, every thread starting at a different task. Another
  // thread keeps drawing from rand() meanwhile: the fits must not care.
  std::atomic<int> mismatches{0};
  std::atomic<bool> stop{false};
  std::thread noise([&] {
    while (!stop.load()) (void)std::rand();
  });
  std::vector<std::thread> pool;
  for (int th = 0; th < threads; ++th) {
    pool.emplace_back([&, th] {
      for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < tasks; ++i) {
          const int t = (th * 7 + i) % tasks;
          if (runTask(t) != expected[static_cast<size_t>(t)]) mismatches.fetch_add(1);
        }
      }
    });
  }
  for (std::thread& t : pool) t.join();
  stop.store(true);
  noise.join();
  check(mismatches.load() == 0, "every concurrent result equals the single-threaded one");
  check(g_records == recordsAlone * (1 + threads * rounds), "one record per refused fit on every thread");

  std::printf("%d threads x %d tasks x %d rounds: %d mismatches, %ld log records\n", threads, tasks, rounds,
              mismatches.load(), g_records);
  return failures == 0 ? 0 : 1;
}
