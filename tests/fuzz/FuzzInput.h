// Decodes a fuzzer's raw bytes into the values the library takes: doubles of
// every kind (NaN, infinities, subnormals, +-1e308, -0.0, ordinary pixel
// values, values next to the library's tolerances), bounded counts and small
// choices. Running out of bytes yields zeros, so every input decodes.
// Every operand that reads bytes is sequenced, so an input decodes to the same
// values with every compiler (the determinism digest relies on it).
#pragma once

#include <TavGeometry/TavGeometry.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <utility>

namespace tavfuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool empty() const { return m_pos >= m_size; }
  uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  bool flag() { return (byte() & 1) != 0; }
  uint64_t bytes(int n) {  // little-endian
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(byte()) << (8 * i);
    return v;
  }
  uint16_t u16() { return static_cast<uint16_t>(bytes(2)); }
  uint32_t u32() { return static_cast<uint32_t>(bytes(4)); }
  uint64_t u64() { return bytes(8); }
  int8_t s8() { return static_cast<int8_t>(byte()); }
  int16_t s16() { return static_cast<int16_t>(u16()); }

  // A value in [0, bound] (bound >= 0); small values are the most likely.
  int count(int bound) {
    if (bound <= 0) return 0;
    const uint8_t sel = byte();
    const uint32_t raw = sel < 160 ? sel % 16u : sel < 224 ? u16() : u32();
    return static_cast<int>(raw % (static_cast<uint32_t>(bound) + 1u));
  }

  // Any int, with the edges of the range and small values favoured.
  int anyInt() {
    const int k = byte() % 8;
    if (k < 4) return k == 0 ? 0 : k == 1 ? INT32_MAX : k == 2 ? INT32_MIN : -1;
    return k == 4 ? s8() : k == 5 ? s16() : static_cast<int>(u32());
  }

  // A double of any kind. About half of the values are ordinary pixel-sized
  // numbers so that the geometry gets exercised, not only its guards.
  double anyDouble() {
    static const double kFixed[] = {std::numeric_limits<double>::quiet_NaN(), HUGE_VAL, -HUGE_VAL, -0.0};
    static const double kTol[] = {1e-8, 1e-6, 1e-5, 1e-4, 0.01, DBL_EPSILON};
    const uint8_t sel = byte();
    const double sign = (sel & 0x80) ? -1.0 : 1.0;
    const int k = sel % 24;
    if (k < 4) return kFixed[k];
    if (k == 4) return sign * bitsOf(std::max<uint64_t>(u64() & 0x000FFFFFFFFFFFFFull, 1));  // subnormal
    if (k == 5) return sign * 1e308;
    if (k == 6) return sign * DBL_MAX;
    if (k == 7) return bitsOf(u64());                                    // any bit pattern
    if (k == 8) return sign * std::pow(10.0, (byte() % 63) * 10 - 320);  // 1e-320 .. 1e300
    if (k == 9) {                                                        // next to the library's tolerances
      double v = kTol[byte() % 6];
      const int steps = s8() % 3;
      for (int i = 0; i < std::abs(steps); ++i) v = std::nextafter(v, steps < 0 ? 0.0 : 1.0);
      return sign * v;
    }
    if (k == 10) {  // multiples of pi/4, exactly or one ulp off
      const double v = s8() * 0.7853981633974483;
      const uint8_t nudge = byte() % 3;
      return nudge == 0 ? v : std::nextafter(v, nudge == 1 ? DBL_MAX : -DBL_MAX);
    }
    if (k == 11 || k == 12) return (k == 11 ? 2147483647.0 : -2147483648.0) + s8();  // around the int range
    if (k <= 15) return s8();
    if (k <= 17) return fraction(s16());  // pixels with fractions
    if (k <= 19) return s16() / 16.0;
    if (k == 20) return static_cast<int32_t>(u32()) / 1024.0;  // up to ~2e6
    if (k == 21) return static_cast<int32_t>(u32()) * 1024.0;  // up to ~2e12
    return byte() / 16.0;
  }

  // A finite double of moderate size (|v| < ~1e6), for inputs whose
  // postconditions are checked numerically.
  double moderate() {
    const int k = byte() % 6;
    if (k == 0) return s8();
    if (k == 1) return s16() / 64.0;
    if (k == 2) return fraction(s16());
    if (k == 3) return byte() / 16.0;
    if (k == 4) return s8() * 0.7853981633974483;
    return static_cast<int32_t>(u32() % 2000001u) - 1000000.0;
  }

  // A non-negative pixel coordinate (what the region calculators are made for).
  double pixel(int bound) {
    const double whole = count(bound);
    return flag() ? fraction(whole) : whole;
  }
  double value(bool hostile) { return hostile ? anyDouble() : moderate(); }
  TavPoint point(bool hostile) { return TavPoint{value(hostile), value(hostile)}; }
  TavLine line(bool hostile) { return TavLine{point(hostile), point(hostile)}; }
  TavRect rect(bool hostile) {
    return TavRect{value(hostile), value(hostile), value(hostile), value(hostile), value(hostile)};
  }
  std::vector<TavPoint> points(int maxCount, bool hostile) {
    std::vector<TavPoint> v(static_cast<size_t>(count(maxCount)));
    for (TavPoint& p : v) p = point(hostile);
    return v;
  }

 private:
  double fraction(double whole) { return whole + byte() / 256.0; }
  static double bitsOf(uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

// double to float without leaving the float range undefined: values beyond it
// become infinities, as the hardware conversion gives.
inline float toFloat(double v) {
  return std::fabs(v) > FLT_MAX ? (v > 0 ? HUGE_VALF : -HUGE_VALF) : float(v);
}
// Bit-for-bit equality (0.0 and -0.0 differ); sameValue also takes any NaN for any NaN.
template <class T>
bool sameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}
template <class T>
bool sameAll(const std::vector<T>& a, const std::vector<T>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameBits<T>);
}
inline bool sameValue(double a, double b) { return (std::isnan(a) && std::isnan(b)) || sameBits(a, b); }
inline bool sameValue(TavPoint a, TavPoint b) { return sameValue(a.x, b.x) && sameValue(a.y, b.y); }
inline bool sameValue(TavLine a, TavLine b) { return sameValue(a.p1, b.p1) && sameValue(a.p2, b.p2); }
inline bool isFinite(const TavPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }
inline bool zero(const TavPoint& p) { return p.x == 0 && p.y == 0; }
inline bool zero(const TavLine& l) { return zero(l.p1) && zero(l.p2); }
// A copy in a buffer of exactly the vector's size, so that a read past it is caught.
template <class T>
std::unique_ptr<T[]> exactCopy(const std::vector<T>& v) {
  std::unique_ptr<T[]> a(new T[v.empty() ? 1 : v.size()]);
  std::copy(v.begin(), v.end(), a.get());
  return a;
}

// The determinism digest (tests/digest) folds every output a checker passes
// through out() into a 64-bit FNV-1a per family: integers as they are (a char
// as a signed char, whether char is signed or not, as on ARM), doubles
// and floats (alone or as the members of a struct) bit for bit, but each NaN
// as one value, since the sign and payload of a NaN result are not fixed.
// Per thread, so that several threads can run the checkers at once (tests/tsan).
inline thread_local std::map<std::string, uint64_t>* g_families = nullptr;  // set by the digest programs only
inline thread_local uint64_t* g_current = nullptr;
inline void family(const std::string& name) {
  g_current = g_families ? &g_families->emplace(name, 1469598103934665603ull).first->second : nullptr;
}
inline uint64_t fnv(uint64_t h, uint64_t v) {
  for (int i = 0; i < 64; i += 8) h = (h ^ ((v >> i) & 0xff)) * 1099511628211ull;
  return h;
}
template <class T, class = void>
struct IsRange : std::false_type {};
template <class T>
struct IsRange<T, std::void_t<decltype(std::declval<T>().begin())>> : std::true_type {};
template <class T>
void put(const T& v) {
  if constexpr (std::is_same_v<T, char>) {
    put(static_cast<signed char>(v));
  } else if constexpr (std::is_integral_v<T>) {
    if (g_current) *g_current = fnv(*g_current, static_cast<uint64_t>(v));
  } else if constexpr (std::is_floating_point_v<T>) {
    const double d = v;
    uint64_t b = 0x7ff8000000000000ull;
    if (d == d) std::memcpy(&b, &d, sizeof b);
    put(b);
  } else if constexpr (std::is_same_v<T, NTavGeometry::CTavGeoRegion>) {
    put(v.width()), put(v.height()), put(v.runs());
  } else if constexpr (IsRange<T>::value) {
    put(v.size());
    for (const auto& x : v) put(x);
  } else if constexpr (std::is_same_v<T, TavIPoint> || sizeof(T) % 8 != 0) {  // ints
    int w[sizeof(T) / sizeof(int)];
    std::memcpy(w, &v, sizeof w);
    for (int x : w) put(x);
  } else {  // doubles
    double w[sizeof(T) / sizeof(double)];
    std::memcpy(w, &v, sizeof w);
    for (double x : w) put(x);
  }
}
// Digests its arguments in order and gives back the first.
template <class T, class... R>
const T& out(const T& v, const R&... rest) {
  put(v), (put(rest), ...);
  return v;
}

// Runs f, digesting the text of a region error it throws.
template <class F>
void orError(F f) try {
  f();
} catch (const NTavGeometry::CTavGeoRegionError& e) {
  out(std::string(e.what()));
}

// A broken invariant. In a fuzz build it aborts the run (a finding); in the
// unit test runner and the digest it throws where and what it found broken.
[[noreturn]] inline void fail(const char* file, int line, const char* what) {
#ifdef TAVFUZZ_IN_TESTS
  throw std::string(file) + ":" + std::to_string(line) + ": " + what;
#else
  std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
  std::abort();
#endif
}

// A target's parts: the first byte chooses one (its value modulo the count)
// and, with its top bit, hostile values. Each part is a family of the digest.
using Part = std::pair<const char*, void (*)(FuzzInput&, bool hostile)>;
inline void pick(FuzzInput& in, std::initializer_list<Part> parts) {
  const uint8_t sel = in.byte();
  const Part& p = parts.begin()[sel % parts.size()];
  family(p.first);
  p.second(in, (sel & 0x80) != 0);
}

// Every target registers its checker for the unit test runner and the digest.
struct Target {
  const char* name;
  void (*body)(FuzzInput&);
};
inline std::vector<Target> g_targets;
// Runs a checker on one input: "" or where and what it found broken.
inline std::string runOne(const Target& t, const std::vector<uint8_t>& bytes) try {
  family(t.name);
  FuzzInput in(bytes.data(), bytes.size());
  t.body(in);
  return "";
} catch (const std::string& broken) {
  return broken;
}
// The inputs a checker is replayed on: its committed corpus in file name
// order, then 300 inputs from a generator seeded with the FNV-1a of its name
// (mt19937 is the same with every standard library).
inline void forEachInput(const Target& t, const std::string& corpus,
                         const std::function<void(const std::string&, const std::vector<uint8_t>&)>& f) {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(corpus + "/" + t.name)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const auto& p : files) {
    std::ifstream s(p, std::ios::binary);
    f("corpus " + p.filename().string(), std::vector<uint8_t>(std::istreambuf_iterator<char>(s), {}));
  }
  uint32_t seed = 2166136261u;
  for (const char* c = t.name; *c; ++c) seed = (seed ^ static_cast<uint8_t>(*c)) * 16777619u;
  std::mt19937 rng(seed);
  for (int run = 0; run < 300; ++run) {
    std::vector<uint8_t> bytes(1 + rng() % 400);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    f("random " + std::to_string(run), bytes);
  }
}

}  // namespace tavfuzz

using namespace NTavGeometry;
using namespace tavfuzz;

// Aborts the run (a fuzzer finding) when an invariant does not hold.
#define FUZZ_CHECK(cond) ((cond) ? void() : ::tavfuzz::fail(__FILE__, __LINE__, #cond))

// Defines a target's checker once: `TAVFUZZ_TARGET(fuzz_lines) { ...in... }`,
// a registered checker in the unit test runner and the digest, the libFuzzer
// entry point in a fuzz build.
#ifdef TAVFUZZ_IN_TESTS
#define TAVFUZZ_ENTRY(name) \
  [[maybe_unused]] static const bool tavfuzzRegistered = (g_targets.push_back({#name, &tavfuzzBody}), true);
#else
#define TAVFUZZ_ENTRY(name)                                           \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* d, size_t n) { \
    FuzzInput in(d, n);                                               \
    return tavfuzzBody(in), 0;                                        \
  }
#endif
#define TAVFUZZ_TARGET(name)              \
  static void tavfuzzBody(FuzzInput& in); \
  TAVFUZZ_ENTRY(name)                     \
  static void tavfuzzBody(FuzzInput& in)
