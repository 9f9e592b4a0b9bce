// Threads run every family, the fits (the circle fit logs) and their own
// region calculators at once, reading one shared rotator: every result must
// equal the single-threaded one. Run under ThreadSanitizer by scripts/tsan.sh;
// fuzz_fit checks that the consensus fit leaves rand() alone.
#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace NTavGeometry;

std::atomic<long> g_records{0};
CTavLog g_log([](unsigned int, const std::string&) { ++g_records; });
const CTavRotator g_rotator(12.5, -3.25, 0.7);

std::string runTask(int task) {  // the bytes of every result
  std::mt19937 gen(static_cast<unsigned>(task));
  std::uniform_real_distribution<double> u(0, 300);
  std::vector<TavPoint> p(64);
  for (TavPoint& q : p) q.x = u(gen), q.y = u(gen);
  const std::vector<TavPoint> line = {{0, 0}, {1, 1}, {2, 2}};
  std::string v;
  auto put = [&v](const auto&... x) { (v.append(reinterpret_cast<const char*>(&x), sizeof x), ...); };
  auto all = [&v](const auto& x) {
    v.append(reinterpret_cast<const char*>(x.data()), x.size() * sizeof x[0]);
  };
  // One call of every other family: none may keep state between calls.
  double roots[2] = {0, 0}, ro = 0, theta = 0, e = 0;
  int n = 0;
  std::vector<double> angles(17);
  for (size_t i = 0; i < angles.size(); ++i) angles[i] = p[i].x / 20 - 7;
  TavRect box;
  TavPoint x, c1, c2, cross[2], r = p[2], gone[8];
  TavArc arc;
  TavCircle c3, ct, c;
  const TavLine l1(p[4], p[5]), l2(p[6], p[7]);
  TavLine bis, l;
  std::vector<TavPoint> arcPts;
  std::vector<TavLine> spokes, rake;
  solveQuadraticAbcFormula(1, p[0].x / 15 - 10, p[1].y / 15 - 10, roots, &n);
  pointsToBBox(p.data(), 64, &box);
  lineToRoTheta(l1, &ro, &theta);
  lineLineBisect(l1, l2, &bis);
  put(normalizeAngleMinusPiToPi(angles[0]), normalizeAngle0ToPi(angles[1]), averageAngles(angles.data(), 17),
      roots, n, box, pointPointDist(p[0], p[1]), ro, theta, bis, lineLineIntersection(l1, l2, &x), x,
      lineRectIntersection(l1, TavRect(50, 60, 120, 80, angles[2]), &c1, &c2), c1, c2,
      circleIn3Points(p[8], p[9], p[10], &c3), c3, circleInTriangle(p[8], p[9], p[10], &ct), ct,
      arcIn3Points(p[12], p[13], p[14], &arc), arc, polygonArea(p.data(), 12),
      polygonIsPointInside(p.data(), 12, p[20]));
  circleLineIntersection(TavCircle(p[11], 80), l1, cross, &n);
  arcToPointSet(TavArc(p[15], 40, angles[3], 2.5), &arcPts);
  arcToSpoke(TavArc(p[16], 50, angles[4], 1.5), 10, 3, &spokes);
  polyLineToPolyRake(p.data() + 17, 5, 6, 4, &rake);
  put(cross, n), all(arcPts), all(spokes), all(rake);
  g_rotator.rotate(&r.x, &r.y);
  put(pointsFitLine(p.data(), 40, &l), r, l, pointsFitCircle(p.data(), 40, &c, &e), c, e);
  put(pointsFitCircle(line.data(), 3, &c, &e));  // refused: one record
  put(pointsFitCircleOutliers(p.data(), 30, 5, &c, &e, gone), c, e, gone);
  put(pointsFitLineOutliers(p.data(), 30, 5, &l, &e, gone), l, e, gone);
  put(pointsFitLineRansac(p.data(), 64, 8, task % 3 == 0 ? 0 : 40, &l, &e, gone), l, e, gone);
  CTavGeoRleCalcDisk disk;  // the thread's own calculators, used several times (cache and pool)
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon polygon;
  const TavPoint ring[3] = {TavPoint(150, 150), p[40], p[41]};
  for (int rep = 0; rep < 3; ++rep) {
    disk.calculate(300, 300, ring, 2);
    torus.calculate(300, 300, ring, 3);
    polygon.calculate(300, 300, p.data() + 24 + rep, 10 + rep * 7);
    for (const std::vector<int>* rle : {&disk.rle(), &torus.rle(), &polygon.rle()}) {
      all(*rle);
      all(CTavGeoRleCalc::calculatePerimiterPoints(rle->data()));
    }
    put(polygon.boundingBox());
  }
  return v;
}

int main(int argc, char** argv) {
  const int threads = argc > 1 ? std::atoi(argv[1]) : 8, tasks = argc > 2 ? std::atoi(argv[2]) : 48;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  CTavLog::_log = &g_log;
  std::vector<std::string> expected;
  for (int t = 0; t < tasks; ++t) expected.push_back(runTask(t));
  const long alone = g_records;
  std::atomic<int> mismatches{0};
  std::vector<std::thread> pool;
  for (int th = 0; th < threads; ++th)  // each thread starting at a different task
    pool.emplace_back([&, th] {
      for (int i = 0; i < tasks * rounds; ++i)
        mismatches += runTask((th * 7 + i) % tasks) != expected[(th * 7 + i) % tasks];
    });
  for (std::thread& t : pool) t.join();
  const bool ok = alone >= tasks && mismatches == 0 && g_records == alone * (1 + threads * rounds);
  std::printf("%s: %d threads x %d tasks x %d rounds: %d mismatches, %ld log records (%ld alone)\n",
              ok ? "OK" : "FAILED", threads, tasks, rounds, mismatches.load(), g_records.load(), alone);
  return ok ? 0 : 1;
}
