// Polygon region against vertex count, side by side in one run:
//   ours             CTavGeoRleCalcPolygon::calculate into its run-length list;
//   opencv_fillpoly  cv::fillPoly of the same (truncated) vertices into an 8-bit
//                    mask of the image size, allocated and zeroed beforehand.
// Shape: a star of N vertices alternating between radii 2000 and 1000 about
// the centre of a 4096 x 4096 image, N from 10 to 10000. Every iteration
// alternates between the star and the star one pixel to the right, so the
// calculator's cache never answers; OpenCV gets the same two inputs. The mask
// is not cleared between iterations, which leaves the clearing cost out of the
// peer's time.
// Also: cachehit/star1000/4096/ours, a repeated calculate with unchanged input.
// Names: polyscale/<N>/<side>; scripts/plot_polygon_scaling.py draws them.
#include <TavGeometry/TavGeoRleCalc.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 4096;

std::vector<TavPoint> star(int vertices, double shift) {
  std::vector<TavPoint> v(static_cast<std::size_t>(vertices));
  for (int i = 0; i < vertices; ++i) {
    const double phi = 6.283185307179586 * i / vertices;
    const double r = (i % 2) ? 1000.0 : 2000.0;
    v[static_cast<std::size_t>(i)] = TavPoint(2048.0 + shift + r * std::cos(phi), 2048.0 + r * std::sin(phi));
  }
  return v;
}

// The calculator truncates vertices toward zero; OpenCV gets those integers.
std::vector<cv::Point> toCv(const std::vector<TavPoint>& v) {
  std::vector<cv::Point> out;
  out.reserve(v.size());
  for (const TavPoint& p : v) out.emplace_back(static_cast<int>(p.x), static_cast<int>(p.y));
  return out;
}

void Ours(benchmark::State& state, int n) {
  const std::vector<TavPoint> a = star(n, 0.0);
  const std::vector<TavPoint> b = star(n, 1.0);
  NTavGeometry::CTavGeoRleCalcPolygon calc;
  bool flip = false;
  for (auto _ : state) {
    const std::vector<TavPoint>& v = flip ? b : a;
    flip = !flip;
    calc.calculate(kSize, kSize, v.data(), n);
    benchmark::DoNotOptimize(calc.rle().data());
  }
  state.counters["words"] = static_cast<double>(calc.rle().size());
}

void CvFillPoly(benchmark::State& state, int n) {
  const std::vector<std::vector<cv::Point>> a = {toCv(star(n, 0.0))};
  const std::vector<std::vector<cv::Point>> b = {toCv(star(n, 1.0))};
  cv::Mat mask = cv::Mat::zeros(kSize, kSize, CV_8UC1);
  bool flip = false;
  for (auto _ : state) {
    cv::fillPoly(mask, flip ? b : a, cv::Scalar(255));
    flip = !flip;
    benchmark::DoNotOptimize(mask.data);
  }
}

void CacheHit(benchmark::State& state, int n) {
  const std::vector<TavPoint> a = star(n, 0.0);
  NTavGeometry::CTavGeoRleCalcPolygon calc;
  calc.calculate(kSize, kSize, a.data(), n);
  for (auto _ : state) {
    benchmark::DoNotOptimize(calc.calculate(kSize, kSize, a.data(), n));
  }
}

}  // namespace

int main(int argc, char** argv) {
  cv::setNumThreads(1);  // one thread, like the library
  for (int n : {10, 30, 100, 300, 1000, 3000, 10000}) {
    const std::string size = std::to_string(n);
    benchmark::RegisterBenchmark(("polyscale/" + size + "/ours").c_str(), Ours, n)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("polyscale/" + size + "/opencv_fillpoly").c_str(), CvFillPoly, n)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("cachehit/star1000/4096/ours", CacheHit, 1000);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
