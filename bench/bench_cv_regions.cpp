// Region calculators side by side with OpenCV: a polygon filled into an 8-bit
// mask (cv::fillPoly) and a filled circle (cv::circle with cv::FILLED) against
// our run-length lists of the same shapes. Compare the pairs of one run. The
// literal side is the step-by-step reference of the tests. The "_mask" pairs
// give both sides the same output, a mask holding only the shape: ours paints
// its list into the mask, OpenCV clears the mask before it fills.
#include <TavGeometry/TavGeometry.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "reference/rle_reference.h"
#include "rle_shapes.h"

using namespace NTavGeometry;

namespace {

// Shape 0: square; otherwise a star with `vertices` vertices, centred in the
// image and reaching 45% of its size.
std::vector<TavPoint> shape(int vertices, int size) {
  const double c = size / 2.0 + 0.3;
  if (vertices == 4) {
    const double a = size * 0.1, b = size * 0.9;
    return {TavPoint(a, a), TavPoint(b, a + 0.5), TavPoint(b, b), TavPoint(a + 0.5, b)};
  }
  return tavtest::star(vertices / 2, c, c, size * 0.45, size * 0.2);
}

// A second copy with one bit changed, so that alternating calls never hit the
// cache while giving the same region.
std::vector<TavPoint> nudged(std::vector<TavPoint> v) {
  v[0].x = std::nextafter(v[0].x, 1e9);
  return v;
}

void PolygonOurs(benchmark::State& st, int vertices, int size) {
  const std::vector<TavPoint> a = shape(vertices, size), b = nudged(a);
  CTavGeoRleCalcPolygon calc;
  bool flip = false;
  for (auto _ : st) {
    const std::vector<TavPoint>& v = flip ? a : b;
    flip = !flip;
    calc.calculate(size, size, v.data(), static_cast<int>(v.size()));
    benchmark::DoNotOptimize(calc.rle().data());
  }
}

void PolygonLiteral(benchmark::State& st, int vertices, int size) {
  const std::vector<TavPoint> a = shape(vertices, size);
  for (auto _ : st) {
    TavRect box;
    std::vector<int> l = tavref::rlePolygon(size, size, a.data(), static_cast<int>(a.size()), &box);
    benchmark::DoNotOptimize(l.data());
  }
}

void PolygonOpenCV(benchmark::State& st, int vertices, int size, bool clear) {
  const std::vector<TavPoint> a = shape(vertices, size);
  std::vector<cv::Point> pts;
  for (const TavPoint& p : a) pts.emplace_back(static_cast<int>(p.x), static_cast<int>(p.y));
  const cv::Point* polys[1] = {pts.data()};
  const int counts[1] = {static_cast<int>(pts.size())};
  cv::Mat mask(size, size, CV_8UC1, cv::Scalar(0));
  for (auto _ : st) {
    if (clear) mask.setTo(0);
    cv::fillPoly(mask, polys, counts, 1, cv::Scalar(255));
    benchmark::DoNotOptimize(mask.data);
  }
}

void PolygonOursToMask(benchmark::State& st, int vertices, int size) {
  const std::vector<TavPoint> a = shape(vertices, size), b = nudged(a);
  CTavGeoRleCalcPolygon calc;
  std::vector<uint8_t> mask(static_cast<size_t>(size) * size);
  bool flip = false;
  for (auto _ : st) {
    const std::vector<TavPoint>& v = flip ? a : b;
    flip = !flip;
    calc.calculate(size, size, v.data(), static_cast<int>(v.size()));
    calc.region().toMask(mask.data(), size, 255);
    benchmark::DoNotOptimize(mask.data());
    benchmark::ClobberMemory();
  }
}

// The disk's canvas: 1 x 1 for the list (which the canvas does not clip), its
// bounding square for the mask.
void DiskOurs(benchmark::State& st, int radius, bool toMask) {
  const double r = static_cast<double>(radius);
  const int side = 2 * radius + 17;
  const TavPoint a[2] = {TavPoint(r + 8.3, r + 8.6), TavPoint(2 * r + 8.3, r + 8.6)};
  TavPoint b[2] = {a[0], a[1]};
  b[0].x = std::nextafter(b[0].x, 1e9);
  CTavGeoRleCalcDisk calc;
  std::vector<uint8_t> mask(toMask ? static_cast<size_t>(side) * side : 0);
  bool flip = false;
  for (auto _ : st) {
    calc.calculate(toMask ? side : 1, toMask ? side : 1, flip ? a : b, 2);
    flip = !flip;
    if (toMask) {
      calc.region().toMask(mask.data(), side, 255);
      benchmark::DoNotOptimize(mask.data());
      benchmark::ClobberMemory();
    } else {
      benchmark::DoNotOptimize(calc.rle().data());
    }
  }
}

void DiskOpenCV(benchmark::State& st, int radius, bool clear) {
  const int r = radius;
  cv::Mat mask(2 * r + 17, 2 * r + 17, CV_8UC1, cv::Scalar(0));
  for (auto _ : st) {
    if (clear) mask.setTo(0);
    cv::circle(mask, cv::Point(r + 8, r + 8), r, cv::Scalar(255), cv::FILLED);
    benchmark::DoNotOptimize(mask.data);
  }
}

void PolygonCacheHit(benchmark::State& st) {
  const std::vector<TavPoint> a = shape(1000, 1024);
  CTavGeoRleCalcPolygon calc;
  calc.calculate(1024, 1024, a.data(), static_cast<int>(a.size()));
  for (auto _ : st) {
    calc.calculate(1024, 1024, a.data(), static_cast<int>(a.size()));
    benchmark::DoNotOptimize(calc.rle().data());
  }
}

}  // namespace

// Names: <operation>/<case>/<side>, paired by scripts/bench_table.py with the
// "ours" entry of the same case.
int main(int argc, char** argv) {
  cv::setNumThreads(1);  // one thread, like the library
  auto polygonCase = [](int vertices, int size) {
    return std::string("polygon/") + (vertices == 4 ? "square" : "star" + std::to_string(vertices)) + "/" +
           std::to_string(size);
  };
  for (int size : {1024, 4096}) {
    for (int vertices : {4, 100, 1000}) {
      const std::string c = polygonCase(vertices, size);
      benchmark::RegisterBenchmark((c + "/ours").c_str(), PolygonOurs, vertices, size);
      benchmark::RegisterBenchmark((c + "/opencv_fillpoly").c_str(), PolygonOpenCV, vertices, size, false);
      if (size == 1024 && vertices != 4) {
        benchmark::RegisterBenchmark((c + "/literal").c_str(), PolygonLiteral, vertices, size);
      }
      if (vertices != 4) {
        const std::string m = "polygon_mask" + c.substr(c.find('/'));
        benchmark::RegisterBenchmark((m + "/ours").c_str(), PolygonOursToMask, vertices, size);
        benchmark::RegisterBenchmark((m + "/opencv_fillpoly").c_str(), PolygonOpenCV, vertices, size, true);
      }
    }
  }
  for (int r : {10, 100, 1000}) {
    const std::string c = "disk/r" + std::to_string(r);
    benchmark::RegisterBenchmark((c + "/ours").c_str(), DiskOurs, r, false);
    benchmark::RegisterBenchmark((c + "/opencv_circle").c_str(), DiskOpenCV, r, false);
    const std::string m = "disk_mask/r" + std::to_string(r);
    benchmark::RegisterBenchmark((m + "/ours").c_str(), DiskOurs, r, true);
    benchmark::RegisterBenchmark((m + "/opencv_circle").c_str(), DiskOpenCV, r, true);
  }
  benchmark::RegisterBenchmark("cachehit/star1000/1024/ours", PolygonCacheHit);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
