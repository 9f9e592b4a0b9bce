// Perimeter pixels of a run-length region, side by side in one run:
//   Ours         CTavGeoRleCalc::calculatePerimiterPoints on the list;
//   Literal      the pixel-by-pixel walk kept in the tests as the reference;
//   CvContours   cv::findContours (RETR_LIST, CHAIN_APPROX_NONE) on the
//                region's 8-bit mask, painted beforehand;
//   CvErosion    mask minus its erosion by the 3 x 3 cross, the pixels that
//                lack a neighbour to the left, right, above or below.
// Shapes: integer disks (argument: radius) and an annulus of radii 1000 / 500.
// The lists are built here by the disk and annulus row rules.
#include <TavGeometry/TavGeoRleCalc.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "reference/perimeter_reference.h"

namespace {

struct Region {
  std::vector<int> rle;
  cv::Mat mask;
};

void appendRun(std::vector<int>* l, double start, double extent) {
  l->push_back(static_cast<int>(start));
  l->push_back(static_cast<int>(extent));
}

// Disk (inner < 0) or annulus about (c, c) with c = outer + 10, on an image of
// 2c + 1 pixels square, so that every row and column is inside the image.
Region makeRegion(int outer, int inner) {
  const int c = outer + 10;
  Region r;
  r.rle = {2 * c + 1, 2 * c + 1, c - outer, c + outer, c - outer, c + outer};
  for (int dy = -outer; dy <= outer; ++dy) {
    r.rle.push_back(c + dy);
    const double ho = std::sqrt(static_cast<double>(outer) * outer - static_cast<double>(dy) * dy);
    if (inner >= 0 && std::abs(dy) <= inner) {
      const double hi = std::sqrt(static_cast<double>(inner) * inner - static_cast<double>(dy) * dy);
      appendRun(&r.rle, c - ho + 0.5, ho - hi + 0.5);
      appendRun(&r.rle, c + 0.5 + hi, ho - hi + 0.5);
    } else {
      appendRun(&r.rle, c - ho + 0.5, 2 * ho + 0.5);
    }
    r.rle.push_back(-1);
  }
  r.rle.push_back(-1);
  r.mask = cv::Mat::zeros(2 * c + 1, 2 * c + 1, CV_8UC1);
  std::size_t i = 6;
  while (r.rle[i] >= 0) {
    const int y = r.rle[i++];
    while (r.rle[i] >= 0) {
      r.mask.row(y).colRange(r.rle[i], r.rle[i] + r.rle[i + 1] + 1).setTo(255);
      i += 2;
    }
    ++i;
  }
  return r;
}

Region regionFor(int radius, bool annulus) {
  return annulus ? makeRegion(1000, 500) : makeRegion(radius, -1);
}

void Ours(benchmark::State& state, int radius, bool annulus) {
  const Region r = regionFor(radius, annulus);
  const std::vector<TavIPoint> ours = NTavGeometry::CTavGeoRleCalc::calculatePerimiterPoints(r.rle.data());
  const std::vector<TavIPoint> ref = tavref::perimeterPointsLiteral(r.rle.data());
  bool same = ours.size() == ref.size();
  for (std::size_t i = 0; same && i < ours.size(); ++i) same = ours[i].x == ref[i].x && ours[i].y == ref[i].y;
  if (!same) state.SkipWithError("differs from the pixel-by-pixel walk");
  std::size_t n = 0;
  for (auto _ : state) {
    std::vector<TavIPoint> p = NTavGeometry::CTavGeoRleCalc::calculatePerimiterPoints(r.rle.data());
    n = p.size();
    benchmark::DoNotOptimize(p.data());
  }
  state.counters["points"] = static_cast<double>(n);
}

void Literal(benchmark::State& state, int radius, bool annulus) {
  const Region r = regionFor(radius, annulus);
  std::size_t n = 0;
  for (auto _ : state) {
    std::vector<TavIPoint> p = tavref::perimeterPointsLiteral(r.rle.data());
    n = p.size();
    benchmark::DoNotOptimize(p.data());
  }
  state.counters["points"] = static_cast<double>(n);
}

void CvContours(benchmark::State& state, int radius, bool annulus) {
  const Region r = regionFor(radius, annulus);
  std::size_t n = 0;
  for (auto _ : state) {
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(r.mask, contours, cv::RETR_LIST, cv::CHAIN_APPROX_NONE);
    n = 0;
    for (const auto& c : contours) n += c.size();
    benchmark::DoNotOptimize(contours.data());
  }
  state.counters["points"] = static_cast<double>(n);
}

void CvErosion(benchmark::State& state, int radius, bool annulus) {
  const Region r = regionFor(radius, annulus);
  const cv::Mat cross = cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(3, 3));
  cv::Mat eroded;
  cv::Mat edge;
  for (auto _ : state) {
    cv::erode(r.mask, eroded, cross, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::subtract(r.mask, eroded, edge);
    benchmark::DoNotOptimize(edge.data);
  }
  state.counters["points"] = static_cast<double>(cv::countNonZero(edge));
}

}  // namespace

int main(int argc, char** argv) {
  cv::setNumThreads(1);  // one thread, like the library
  // Names: perimeter/<shape>/<side>, paired by scripts/bench_table.py with the
  // "ours" entry of the same shape.
  struct Shape {
    const char* name;
    int radius;
    bool annulus;
  };
  const Shape shapes[] = {{"disk10", 10, false},
                          {"disk100", 100, false},
                          {"disk1000", 1000, false},
                          {"annulus1000x500", 1000, true}};
  struct Side {
    const char* name;
    void (*fn)(benchmark::State&, int, bool);
  };
  const Side sides[] = {
      {"ours", Ours}, {"literal", Literal}, {"opencv_contours", CvContours}, {"opencv_erosion", CvErosion}};
  for (const Shape& sh : shapes) {
    for (const Side& si : sides) {
      const std::string name = std::string("perimeter/") + sh.name + "/" + si.name;
      benchmark::RegisterBenchmark(name.c_str(), si.fn, sh.radius, sh.annulus)->Unit(benchmark::kMicrosecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
