// Fits and polygon measures side by side with what an OpenCV user would call
// for the same job, on the same input, in one process. Names are
// <operation>/<size>/<side>, the side being "ours" or the peer's name, so that
// scripts/bench_table.py can pair them. Sides that are not a peer library
// (twopasses, hypot) are the floors the fits are held against.
#include <TavGeometry/TavGeometry.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <vector>

using namespace NTavGeometry;

namespace {

std::vector<TavPoint> noisyLine(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.5);
  std::uniform_real_distribution<double> t(0.0, 1000.0);
  std::vector<TavPoint> pts(n);
  for (auto& p : pts) {
    const double s = t(rng);
    p = TavPoint(s + noise(rng), 0.3 * s + 20.0 + noise(rng));
  }
  return pts;
}

std::vector<TavPoint> noisyCircle(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.5);
  std::uniform_real_distribution<double> a(0.0, 6.283185307179586);
  std::vector<TavPoint> pts(n);
  for (auto& p : pts) {
    const double phi = a(rng);
    const double r = 300.0 + noise(rng);
    p = TavPoint(500.0 + r * std::cos(phi), 400.0 + r * std::sin(phi));
  }
  return pts;
}

std::vector<cv::Point2f> toCv2f(const std::vector<TavPoint>& pts) {
  std::vector<cv::Point2f> out;
  out.reserve(pts.size());
  for (const auto& p : pts) out.emplace_back(static_cast<float>(p.x), static_cast<float>(p.y));
  return out;
}

std::vector<TavPoint> star(int vertices, double cx, double cy, double r1, double r2) {
  std::vector<TavPoint> v(vertices);
  for (int i = 0; i < vertices; ++i) {
    const double phi = 6.283185307179586 * i / vertices;
    const double r = (i % 2) ? r2 : r1;
    v[i] = TavPoint(cx + r * std::cos(phi), cy + r * std::sin(phi));
  }
  return v;
}

constexpr size_t kFitN = 1000000;

// ---------------------------------------------------------------- line fit
// The ordinary fit (vertical or horizontal distances), held to its budget of
// two plain passes.
void lineFitOurs(benchmark::State& st) {
  const auto pts = noisyLine(kFitN, 1);
  TavLine line;
  for (auto _ : st) {
    pointsFitLine(pts.data(), static_cast<unsigned>(pts.size()), &line);
    benchmark::DoNotOptimize(line);
  }
}
// The orthogonal fit, the same problem as DIST_L2 (the ordinary fit minimises
// vertical distances instead); both directions are checked once to agree.
void lineFitOrthogonalOurs(benchmark::State& st) {
  const auto pts = noisyLine(kFitN, 1);
  TavLine line;
  pointsFitLineOrthogonal(pts.data(), static_cast<unsigned>(pts.size()), &line, nullptr);
  cv::Vec4f cvLine;
  cv::fitLine(toCv2f(pts), cvLine, cv::DIST_L2, 0, 0.01, 0.01);
  const double ours = std::atan2(line.p2.y - line.p1.y, line.p2.x - line.p1.x);
  const double theirs = std::atan2(cvLine[1], cvLine[0]);
  if (std::fabs(std::remainder(ours - theirs, M_PI)) > 1e-5) {
    st.SkipWithError("the fitted directions differ");
    return;
  }
  for (auto _ : st) {
    pointsFitLineOrthogonal(pts.data(), static_cast<unsigned>(pts.size()), &line, nullptr);
    benchmark::DoNotOptimize(line);
  }
}
void lineFitOpenCv(benchmark::State& st) {
  const auto pts = toCv2f(noisyLine(kFitN, 1));
  cv::Vec4f line;
  for (auto _ : st) {
    cv::fitLine(pts, line, cv::DIST_L2, 0, 0.01, 0.01);
    benchmark::DoNotOptimize(line);
  }
}
// Two plain passes over the same array: the floor for a two-pass fit.
void lineFitTwoPasses(benchmark::State& st) {
  const auto pts = noisyLine(kFitN, 1);
  for (auto _ : st) {
    double sx = 0, sy = 0;
    for (const auto& p : pts) {
      sx += p.x;
      sy += p.y;
    }
    const double mx = sx / pts.size(), my = sy / pts.size();
    double qx = 0, qy = 0;
    for (const auto& p : pts) {
      qx += (p.x - mx) * (p.x - mx);
      qy += (p.y - my) * (p.y - my);
    }
    benchmark::DoNotOptimize(qx);
    benchmark::DoNotOptimize(qy);
  }
}

// ---------------------------------------------------------------- circle fit
void circleFitOurs(benchmark::State& st) {
  const auto pts = noisyCircle(kFitN, 2);
  TavCircle c;
  double err = 0;
  for (auto _ : st) {
    pointsFitCircle(pts.data(), static_cast<unsigned>(pts.size()), &c, &err);
    benchmark::DoNotOptimize(c);
    benchmark::DoNotOptimize(err);
  }
}
void circleFitHypotOnly(benchmark::State& st) {
  const auto pts = noisyCircle(kFitN, 2);
  for (auto _ : st) {
    double s = 0;
    for (const auto& p : pts) s += std::hypot(p.x - 500.0, p.y - 400.0);
    benchmark::DoNotOptimize(s);
  }
}
void circleFitTwoPasses(benchmark::State& st) { lineFitTwoPasses(st); }

// ---------------------------------------------------------------- consensus fit
std::vector<TavPoint> ransacInput() {
  auto pts = noisyLine(2000, 3);
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> u(0.0, 1000.0);
  for (size_t i = 0; i < pts.size(); i += 100) pts[i] = TavPoint(u(rng), u(rng));  // 1 % outliers
  return pts;
}
void ransacOurs(benchmark::State& st) {
  const auto pts = ransacInput();
  TavLine line;
  double err = 0;
  std::vector<TavPoint> rejected(20);
  for (auto _ : st) {
    pointsFitLineRansac(pts.data(), static_cast<unsigned>(pts.size()), 20, 100, &line, &err, rejected.data());
    benchmark::DoNotOptimize(line);
  }
}
void ransacOpenCvHuber(benchmark::State& st) {
  const auto pts = toCv2f(ransacInput());
  cv::Vec4f line;
  {  // the same job: both lines pass within 0.05 px of each other's points at x = 0 and x = 1000
    const auto ours = ransacInput();
    TavLine l;
    double err = 0;
    pointsFitLineRansac(ours.data(), static_cast<unsigned>(ours.size()), 20, 100, &l, &err, nullptr);
    cv::fitLine(pts, line, cv::DIST_HUBER, 0, 0.01, 0.01);
    for (const double x : {0.0, 1000.0}) {
      const double yo = l.p1.y + (x - l.p1.x) * (l.p2.y - l.p1.y) / (l.p2.x - l.p1.x);
      const double yh = line[3] + (x - line[2]) * line[1] / line[0];
      if (!(std::fabs(yo - yh) < 0.05)) {
        st.SkipWithError("the consensus line and the Huber line differ");
        return;
      }
    }
  }
  for (auto _ : st) {
    cv::fitLine(pts, line, cv::DIST_HUBER, 0, 0.01, 0.01);
    benchmark::DoNotOptimize(line);
  }
}

// ---------------------------------------------------------------- polygon measures
std::vector<TavPoint> queryPoints() {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(0.0, 1024.0);
  std::vector<TavPoint> q(100000);
  for (auto& p : q) p = TavPoint(u(rng), u(rng));
  return q;
}
void insideOurs(benchmark::State& st) {
  const auto poly = star(1000, 512, 512, 500, 250);
  const auto q = queryPoints();
  for (auto _ : st) {
    int inside = 0;
    for (const auto& p : q)
      inside += polygonIsPointInside(poly.data(), static_cast<unsigned>(poly.size()), p);
    benchmark::DoNotOptimize(inside);
  }
}
void insideOpenCv(benchmark::State& st) {
  const auto ours = star(1000, 512, 512, 500, 250), query = queryPoints();
  const auto poly = toCv2f(ours);
  const auto q = toCv2f(query);
  int same = 0;  // both sides must answer alike (the float32 points lie off every edge)
  for (const auto& p : query)
    same += polygonIsPointInside(ours.data(), static_cast<unsigned>(ours.size()), p) ==
            (cv::pointPolygonTest(poly, cv::Point2f(static_cast<float>(p.x), static_cast<float>(p.y)), false) > 0);
  if (same != static_cast<int>(q.size())) st.SkipWithError("inside: the answers differ");
  for (auto _ : st) {
    int inside = 0;
    for (const auto& p : q) inside += cv::pointPolygonTest(poly, p, false) > 0;
    benchmark::DoNotOptimize(inside);
  }
}
void areaOurs(benchmark::State& st) {
  const auto poly = star(1000, 512, 512, 500, 250);
  for (auto _ : st) benchmark::DoNotOptimize(polygonArea(poly.data(), static_cast<unsigned>(poly.size())));
}
// Both sides must give the area (OpenCV's float32 vertices move it by about 1e-8 of itself).
void checkArea(benchmark::State& st, const std::vector<TavPoint>& ours, double peer) {
  const double a = polygonArea(ours.data(), static_cast<unsigned>(ours.size()));
  if (!(std::fabs(a - peer) <= 1e-7 * std::fabs(a))) st.SkipWithError("area: the results differ");
}
void areaOpenCv(benchmark::State& st) {
  const auto ours = star(1000, 512, 512, 500, 250);
  const auto poly = toCv2f(ours);
  checkArea(st, ours, cv::contourArea(poly));
  for (auto _ : st) benchmark::DoNotOptimize(cv::contourArea(poly));
}

// The same star with its vertices truncated to integers, as a pixel polygon;
// OpenCV gets them as integer points.
std::vector<TavPoint> integerStar() {
  auto v = star(1000, 512, 512, 500, 250);
  for (auto& p : v) p = TavPoint(std::trunc(p.x), std::trunc(p.y));
  return v;
}
void areaIntOurs(benchmark::State& st) {
  const auto poly = integerStar();
  for (auto _ : st) benchmark::DoNotOptimize(polygonArea(poly.data(), static_cast<unsigned>(poly.size())));
}
void areaIntOpenCv(benchmark::State& st) {
  const auto ours = integerStar();
  std::vector<cv::Point> poly;
  for (const auto& p : ours) poly.emplace_back(static_cast<int>(p.x), static_cast<int>(p.y));
  checkArea(st, ours, cv::contourArea(poly));
  for (auto _ : st) benchmark::DoNotOptimize(cv::contourArea(poly));
}
void areaIntOpenCvFloat(benchmark::State& st) {  // the same integer vertices, as OpenCV's faster float input
  const auto ours = integerStar();
  const auto poly = toCv2f(ours);
  checkArea(st, ours, cv::contourArea(poly));
  for (auto _ : st) benchmark::DoNotOptimize(cv::contourArea(poly));
}

}  // namespace

BENCHMARK(lineFitOurs)->Name("linefit/1000000/ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(lineFitOrthogonalOurs)->Name("linefit_orthogonal/1000000/ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(lineFitOpenCv)->Name("linefit_orthogonal/1000000/opencv_l2")->Unit(benchmark::kMicrosecond);
BENCHMARK(lineFitTwoPasses)->Name("linefit/1000000/twopasses")->Unit(benchmark::kMicrosecond);
BENCHMARK(circleFitOurs)->Name("circlefit/1000000/ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(circleFitHypotOnly)->Name("circlefit/1000000/hypot")->Unit(benchmark::kMicrosecond);
BENCHMARK(circleFitTwoPasses)->Name("circlefit/1000000/twopasses")->Unit(benchmark::kMicrosecond);
BENCHMARK(ransacOurs)->Name("ransac/2000/ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(ransacOpenCvHuber)->Name("ransac/2000/opencv_huber")->Unit(benchmark::kMicrosecond);
BENCHMARK(insideOurs)->Name("inside/100000x1000/ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(insideOpenCv)->Name("inside/100000x1000/opencv")->Unit(benchmark::kMicrosecond);
BENCHMARK(areaOurs)->Name("area/1000/ours");
BENCHMARK(areaOpenCv)->Name("area/1000/opencv");
BENCHMARK(areaIntOurs)->Name("area/1000int/ours");
BENCHMARK(areaIntOpenCv)->Name("area/1000int/opencv");
BENCHMARK(areaIntOpenCvFloat)->Name("area/1000int/opencv_float");

int main(int argc, char** argv) {
  cv::setNumThreads(1);  // one thread, like the library
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
