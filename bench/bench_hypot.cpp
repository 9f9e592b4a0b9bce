// Distance: the library's correctly rounded hypot (pointPointDist) against the
// C library's std::hypot, on the same pairs in one run. Each benchmark reports
// in "wrong" how many of its results differ from the correctly rounded one:
// for half-integer pixel coordinates that is IEEE sqrt of the exact sum of
// squares; for the wide set (exponents -1080 .. 1020) a 113-bit reference,
// where the compiler offers __float128 with libquadmath (GCC on x86-64).
#include <TavGeometry/TavGeoPoint.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>
#if defined(TAVGEO_HAVE_QUADMATH)
#include <quadmath.h>
#endif

using namespace NTavGeometry;

namespace {

struct Set {
  std::vector<double> x, y, want;
};

const Set& pixels() {
  static const Set set = [] {
    Set s;
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<int> half(-8192, 8192);
    for (int i = 0; i < 1000000; ++i) {
      s.x.push_back(half(rng) * 0.5);
      s.y.push_back(half(rng) * 0.5);
      s.want.push_back(std::sqrt(s.x.back() * s.x.back() + s.y.back() * s.y.back()));  // exact sum
    }
    return s;
  }();
  return set;
}

#if defined(TAVGEO_HAVE_QUADMATH)
const Set& wide() {
  static const Set set = [] {
    Set s;
    std::mt19937_64 rng(12);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> exponent(-1080, 1020);
    for (int i = 0; i < 1000000; ++i) {
      s.x.push_back(std::ldexp(unit(rng), exponent(rng)));
      s.y.push_back(std::ldexp(unit(rng), exponent(rng)));
      const __float128 X = s.x.back(), Y = s.y.back();
      s.want.push_back(static_cast<double>(sqrtq(X * X + Y * Y)));
    }
    return s;
  }();
  return set;
}
#endif

template <class F>
void run(benchmark::State& state, const Set& s, F f) {
  double wrong = 0;
  for (size_t i = 0; i < s.x.size(); ++i)
    if (f(s.x[i], s.y[i]) != s.want[i] && s.want[i] >= 0x1p-1022) ++wrong;
  for (auto _ : state) {
    double acc = 0;
    for (size_t i = 0; i < s.x.size(); ++i) acc += f(s.x[i], s.y[i]);
    benchmark::DoNotOptimize(acc);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(s.x.size()));
  state.counters["wrong"] = wrong;
}

double ours(double x, double y) { return pointPointDist(TavPoint(x, y), TavPoint()); }
double theirs(double x, double y) { return std::hypot(x, y); }

void BM_PixelsOurs(benchmark::State& st) { run(st, pixels(), ours); }
void BM_PixelsStdHypot(benchmark::State& st) { run(st, pixels(), theirs); }
BENCHMARK(BM_PixelsOurs);
BENCHMARK(BM_PixelsStdHypot);
#if defined(TAVGEO_HAVE_QUADMATH)
void BM_WideOurs(benchmark::State& st) { run(st, wide(), ours); }
void BM_WideStdHypot(benchmark::State& st) { run(st, wide(), theirs); }
BENCHMARK(BM_WideOurs);
BENCHMARK(BM_WideStdHypot);
#endif

}  // namespace

BENCHMARK_MAIN();
