// The consensus line fit against its literal form (a full selection sort of all
// distances per candidate), side by side on the same input: 2000 points with
// 10 % outliers, 100 candidates. Prints the ratio of the two mean times.
#include <TavGeometry/TavGeometry.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "reference/ransac_reference.h"

namespace {

constexpr unsigned int kPoints = 2000;
constexpr unsigned int kOutliers = 200;
constexpr int kCandidates = 100;

const std::vector<TavPoint>& input() {
  static const std::vector<TavPoint> pts = [] {
    std::mt19937 gen(2024);
    std::uniform_real_distribution<double> x(0.0, 1000.0), noise(-0.5, 0.5), far(-300.0, 300.0);
    std::vector<TavPoint> v;
    for (unsigned int i = 0; i < kPoints; ++i) {
      const double px = x(gen);
      v.emplace_back(px, 0.4 * px + 20.0 + (i % 10 == 7 ? far(gen) : noise(gen)));
    }
    return v;
  }();
  return pts;
}

void BM_RansacLiteral(benchmark::State& state) {
  const std::vector<TavPoint>& pts = input();
  std::vector<TavPoint> rejected(kOutliers);
  TavLine line;
  double error = 0;
  for (auto _ : state) {
    tavref::fitLineRansacLiteral(pts.data(), kPoints, kOutliers, kCandidates, &line, &error, rejected.data());
    benchmark::DoNotOptimize(error);
  }
}
BENCHMARK(BM_RansacLiteral)->Unit(benchmark::kMillisecond);

void BM_RansacFast(benchmark::State& state) {
  const std::vector<TavPoint>& pts = input();
  std::vector<TavPoint> rejected(kOutliers);
  TavLine line;
  double error = 0;
  for (auto _ : state) {
    NTavGeometry::pointsFitLineRansac(pts.data(), kPoints, kOutliers, kCandidates, &line, &error,
                                      rejected.data());
    benchmark::DoNotOptimize(error);
  }
}
BENCHMARK(BM_RansacFast)->Unit(benchmark::kMillisecond);

// Console output as usual, plus the mean real time of each benchmark.
class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  CRatioReporter()
      : ConsoleReporter(OO_Tabular) {}  // plain text: the ratio line is read by people and scripts
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Iteration) {  // summed over the repetitions
        real[r.benchmark_name()] += r.GetAdjustedRealTime();
        cpu[r.benchmark_name()] += r.GetAdjustedCPUTime();
        ++count[r.benchmark_name()];
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double mean(const std::map<std::string, double>& t, const std::string& name) {
    return t.at(name) / count.at(name);
  }
  std::map<std::string, double> real, cpu;
  std::map<std::string, int> count;
};

bool sameResult() {
  const std::vector<TavPoint>& pts = input();
  std::vector<TavPoint> ra(kOutliers), rb(kOutliers);
  TavLine la, lb;
  double ea = 0, eb = 0;
  tavref::fitLineRansacLiteral(pts.data(), kPoints, kOutliers, kCandidates, &la, &ea, ra.data());
  NTavGeometry::pointsFitLineRansac(pts.data(), kPoints, kOutliers, kCandidates, &lb, &eb, rb.data());
  return std::memcmp(&la, &lb, sizeof la) == 0 && std::memcmp(&ea, &eb, sizeof ea) == 0 &&
         std::memcmp(ra.data(), rb.data(), ra.size() * sizeof(TavPoint)) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!sameResult()) {
    std::fprintf(stderr, "the two fits differ: the comparison would be meaningless\n");
    return 1;
  }
  CRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const char* const lit = "BM_RansacLiteral";
  const char* const fast = "BM_RansacFast";
  if (reporter.real.count(lit) && reporter.real.count(fast) && reporter.real[fast] > 0 &&
      reporter.cpu[fast] > 0) {
    std::printf("n = %u, k = %u, %d candidates: literal / fast = %.1f (real time), %.1f (CPU time)\n",
                kPoints, kOutliers, kCandidates, reporter.mean(reporter.real, lit) / reporter.mean(reporter.real, fast),
                reporter.mean(reporter.cpu, lit) / reporter.mean(reporter.cpu, fast));
  }
  return 0;
}
