// Region algebra side by side with OpenCV on 8-bit masks of the same regions:
// a disk, a 100-point star polygon and 200 random blobs at 1024^2 and 4096^2.
// Intersection, union, IoU, difference and symmetric difference against bitwise_and /
// bitwise_or (+ countNonZero), subtract and bitwise_xor,
// moments, connected components (4 and 8), dilation and erosion by the same disk
// element; mask conversions against a plain pass over the mask bytes.
#include <TavGeometry/TavGeometry.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <map>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>
#include <vector>

#include "rle_shapes.h"

using namespace NTavGeometry;

namespace {

constexpr int kRadius = 5;  // structuring element: dx^2 + dy^2 <= 25

CTavGeoRegion diskRegion(int size, double cx, double cy, double r) {
  CTavGeoRleCalcDisk calc;
  const TavPoint p[2] = {{cx, cy}, {cx + r, cy}};
  calc.calculate(size, size, p, 2);
  return calc.region();
}

// Shape 0 disk, 1 star, 2 blobs, 3 noise (30 % of the pixels, drawn at random);
// `shift` moves the shape for the second operand.
CTavGeoRegion makeShape(int kind, int size, int shift) {
  const double c = size / 2.0 + shift;
  if (kind == 3) {
    std::mt19937 g(static_cast<unsigned>(size + shift));
    std::vector<uint8_t> mask(static_cast<size_t>(size) * size);
    for (uint8_t& m : mask) m = g() % 10 < 3;
    return CTavGeoRegion::fromMask(mask.data(), size, size, size);
  }
  if (kind == 0) return diskRegion(size, c, c, size * 0.4);
  if (kind == 1) {
    CTavGeoRleCalcPolygon calc;
    const std::vector<TavPoint> v = tavtest::star(50, c, c, size * 0.45, size * 0.2);
    calc.calculate(size, size, v.data(), static_cast<int>(v.size()));
    return calc.region();
  }
  std::mt19937 g(static_cast<unsigned>(size + shift));
  CTavGeoRegion r(size, size);
  for (int i = 0; i < 200; ++i) {
    const double x = g() % static_cast<unsigned>(size), y = g() % static_cast<unsigned>(size);
    r = r | diskRegion(size, x, y, size / 100.0 + g() % static_cast<unsigned>(size / 30));
  }
  return r;
}

struct Case {
  CTavGeoRegion a, b;
  cv::Mat ma, mb, out, labels;  // the peer's outputs, allocated once as ours are not
  cv::Mat ones;                 // a as 0 and 1: its plain moments are its binary ones, without the compare
};

const char* kNames[4] = {"disk", "star100", "blobs200", "noise30"};

Case& getCase(int kind, int size) {
  static std::map<std::pair<int, int>, Case> cache;
  auto it = cache.find({kind, size});
  if (it != cache.end()) return it->second;
  Case c;
  c.a = makeShape(kind, size, 0);
  c.b = makeShape(kind, size, size / 40);
  c.ma = cv::Mat(size, size, CV_8U);
  c.mb = cv::Mat(size, size, CV_8U);
  c.out = cv::Mat(size, size, CV_8U);
  c.labels = cv::Mat(size, size, CV_32S);
  c.ones = cv::Mat(size, size, CV_8U);
  c.a.toMask(c.ma.data, static_cast<ptrdiff_t>(c.ma.step), 255);
  c.a.toMask(c.ones.data, static_cast<ptrdiff_t>(c.ones.step), 1);
  c.b.toMask(c.mb.data, static_cast<ptrdiff_t>(c.mb.step), 255);
  return cache.emplace(std::make_pair(kind, size), std::move(c)).first->second;
}

cv::Mat diskElement() {
  cv::Mat e(2 * kRadius + 1, 2 * kRadius + 1, CV_8U);
  for (int dy = -kRadius; dy <= kRadius; ++dy)
    for (int dx = -kRadius; dx <= kRadius; ++dx)
      e.at<uint8_t>(dy + kRadius, dx + kRadius) = dx * dx + dy * dy <= kRadius * kRadius ? 1 : 0;
  return e;
}

void setRuns(benchmark::State& st, const Case& c) { st.counters["runs"] = static_cast<double>(c.a.runCount()); }

// Both sides must compute the same thing: moments, component counts and the
// pixels of union, intersection, dilation and erosion and the IoU are compared
// once per case before timing.
std::string disagreement(const Case& c) {
  const TavRegionMoments m = c.a.moments();
  const cv::Moments o = cv::moments(c.ones, false);
  const cv::Moments binary = cv::moments(c.ma, true);
  if (o.m00 != binary.m00 || o.m10 != binary.m10 || o.m20 != binary.m20 || o.mu20 != binary.mu20)
    return "the 0/1 mask's moments differ from the binary ones";
  const double ours[12] = {m.m00, m.m10, m.m01, m.m20, m.m11, m.m02, m.mu20, m.mu11, m.mu02, m.nu20, m.nu11, m.nu02};
  const double peer[12] = {o.m00, o.m10, o.m01, o.m20, o.m11, o.m02, o.mu20, o.mu11, o.mu02, o.nu20, o.nu11, o.nu02};
  // mu11 of a symmetric shape is 0 up to rounding: each family is compared
  // at the scale of its largest member
  const double scale[12] = {o.m00, o.m10, o.m01, o.m20, o.m11, o.m02, o.mu20 + o.mu02, o.mu20 + o.mu02,
                            o.mu20 + o.mu02, o.nu20 + o.nu02, o.nu20 + o.nu02, o.nu20 + o.nu02};
  for (int i = 0; i < 12; ++i)
    if (std::fabs(ours[i] - peer[i]) > 1e-9 * (1.0 + std::fabs(scale[i])))
      return "moment " + std::to_string(i) + " differs: " + std::to_string(ours[i]) + " vs " + std::to_string(peer[i]);
  cv::Mat labels, out;
  const auto region = [](const cv::Mat& m) {
    return CTavGeoRegion::fromMask(m.data, m.cols, m.rows, static_cast<ptrdiff_t>(m.step));
  };
  cv::bitwise_or(c.ma, c.mb, out);
  if (region(out) != (c.a | c.b)) return "union differs";
  const double unionArea = cv::countNonZero(out);
  cv::bitwise_and(c.ma, c.mb, out);
  if (region(out) != (c.a & c.b)) return "intersection differs";
  if (c.a.iou(c.b) != cv::countNonZero(out) / unionArea) return "iou differs";
  cv::subtract(c.ma, c.mb, out);  // 255 - 255 and 0 - 255 saturate to 0
  if (region(out) != (c.a - c.b)) return "difference differs";
  cv::bitwise_xor(c.ma, c.mb, out);
  if (region(out) != (c.a ^ c.b)) return "symmetric difference differs";
  for (int conn : {4, 8})
    if (static_cast<int>(c.a.components(conn).size()) != cv::connectedComponents(c.ma, labels, conn, CV_32S) - 1)
      return "component counts differ";
  cv::dilate(c.ma, out, diskElement());
  if (region(out) != c.a.dilateDisk(kRadius)) return "dilation differs";
  cv::erode(c.ma, out, diskElement(), cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::Scalar(0));
  if (region(out) != c.a.erodeDisk(kRadius)) return "erosion differs";
  return "";
}

// Our side, the peer (OpenCV or a plain pass over the mask) or the floor of
// copying the operands' runs.
enum class Side { Ours, Peer, CopyFloor };

void run(benchmark::State& st, int op, int kind, int size, Side side) {
  cv::setNumThreads(1);
  Case& c = getCase(kind, size);
  static std::map<std::pair<int, int>, std::string> checked;
  auto found = checked.find({kind, size});
  if (found == checked.end()) found = checked.emplace(std::make_pair(kind, size), disagreement(c)).first;
  if (!found->second.empty()) {
    st.SkipWithError(found->second.c_str());
    return;
  }
  static const cv::Mat element = diskElement();
  std::vector<uint8_t> buf(static_cast<size_t>(size) * size);
  if (side == Side::CopyFloor) {
    // Not a peer: both operands' runs copied once into a buffer. Any run
    // algorithm reads every run of both, and the boolean operations write
    // about as many, so this is about the least such an operation can cost.
    std::vector<TavRun> copy(c.a.runCount() + c.b.runCount());
    for (auto _ : st) {
      std::memcpy(copy.data(), c.a.runs().data(), c.a.runCount() * sizeof(TavRun));
      std::memcpy(copy.data() + c.a.runCount(), c.b.runs().data(), c.b.runCount() * sizeof(TavRun));
      benchmark::DoNotOptimize(copy.data());
      benchmark::ClobberMemory();
    }
    setRuns(st, c);
    return;
  }
  const bool ours = side == Side::Ours;
  for (auto _ : st) {
    switch (op) {
      case 0:
        if (ours) {
          CTavGeoRegion r = c.a & c.b;
          benchmark::DoNotOptimize(r.runs().data());
        } else {
          cv::bitwise_and(c.ma, c.mb, c.out);
          benchmark::DoNotOptimize(c.out.data);
        }
        break;
      case 1:
        if (ours) {
          CTavGeoRegion r = c.a | c.b;
          benchmark::DoNotOptimize(r.runs().data());
        } else {
          cv::bitwise_or(c.ma, c.mb, c.out);
          benchmark::DoNotOptimize(c.out.data);
        }
        break;
      case 2:
        if (ours) {
          benchmark::DoNotOptimize(c.a.iou(c.b));
        } else {
          // |a | b| = |a| + |b| - |a & b|: one mask written, not two
          cv::bitwise_and(c.ma, c.mb, c.out);
          const double i = cv::countNonZero(c.out);
          benchmark::DoNotOptimize(i / (cv::countNonZero(c.ma) + cv::countNonZero(c.mb) - i));
        }
        break;
      case 3:
        if (ours) {
          benchmark::DoNotOptimize(c.a.moments());
        } else {
          benchmark::DoNotOptimize(cv::moments(c.ones, false));
        }
        break;
      case 4:
      case 5:
        if (ours) {
          benchmark::DoNotOptimize(c.a.components(op == 4 ? 4 : 8).size());
        } else {
          benchmark::DoNotOptimize(cv::connectedComponents(c.ma, c.labels, op == 4 ? 4 : 8, CV_32S));
        }
        break;
      case 6:
        if (ours) {
          CTavGeoRegion r = c.a.dilateDisk(kRadius);
          benchmark::DoNotOptimize(r.runs().data());
        } else {
          cv::dilate(c.ma, c.out, element);
          benchmark::DoNotOptimize(c.out.data);
        }
        break;
      case 7:
        if (ours) {
          CTavGeoRegion r = c.a.erodeDisk(kRadius);
          benchmark::DoNotOptimize(r.runs().data());
        } else {
          // outside the canvas counts as background, as for our erosion
          cv::erode(c.ma, c.out, element, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::Scalar(0));
          benchmark::DoNotOptimize(c.out.data);
        }
        break;
      case 8:
        if (ours) {
          CTavGeoRegion r = CTavGeoRegion::fromMask(c.ma.data, size, size, static_cast<ptrdiff_t>(c.ma.step));
          benchmark::DoNotOptimize(r.runs().data());
        } else {  // plain pass: count the nonzero bytes, as fast as OpenCV does it
          benchmark::DoNotOptimize(cv::countNonZero(c.ma));
        }
        break;
      case 10:
        if (ours) {
          CTavGeoRegion r = c.a - c.b;
          benchmark::DoNotOptimize(r.runs().data());
        } else {
          cv::subtract(c.ma, c.mb, c.out);
          benchmark::DoNotOptimize(c.out.data);
        }
        break;
      case 11:
        if (ours) {
          CTavGeoRegion r = c.a ^ c.b;
          benchmark::DoNotOptimize(r.runs().data());
        } else {
          cv::bitwise_xor(c.ma, c.mb, c.out);
          benchmark::DoNotOptimize(c.out.data);
        }
        break;
      default:
        if (ours) {
          c.a.toMask(buf.data(), size, 255);
        } else {  // plain pass: clear the mask
          std::memset(buf.data(), 0, buf.size());
        }
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
        break;
    }
  }
  setRuns(st, c);
}

const char* kOps[12] = {"intersection", "union",       "iou",      "moments", "components4", "components8",
                        "dilate_disk5", "erode_disk5", "from_mask", "to_mask", "difference",  "symmetric_difference"};

int registerAll() {
  for (int op = 0; op < 12; ++op)
    for (int kind = 0; kind < 4; ++kind)
      for (int size : {1024, 4096})
        for (Side side : {Side::Ours, Side::Peer, Side::CopyFloor}) {
          if (side == Side::CopyFloor && op > 2 && op < 10) continue;  // the boolean operations and IoU only
          if (kind == 3 && (size > 1024 || (op != 4 && op != 5))) continue;  // noise: components, 1024^2
          const char* name = side == Side::Ours ? "ours" : side == Side::CopyFloor ? "copyfloor"
                             : op == 8 || op == 9 ? "plainpass"
                                                : "opencv";
          const std::string full = std::string(kOps[op]) + "/" + kNames[kind] + "_" + std::to_string(size) + "/" + name;
          benchmark::RegisterBenchmark(full.c_str(), [=](benchmark::State& st) { run(st, op, kind, size, side); })
              ->Unit(benchmark::kMicrosecond);
        }
  return 0;
}
const int registered = registerAll();

}  // namespace

BENCHMARK_MAIN();
