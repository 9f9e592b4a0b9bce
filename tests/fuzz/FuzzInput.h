// Decodes a fuzzer's raw bytes into the values the library takes: doubles of
// every kind (NaN, infinities, subnormals, +-1e308, -0.0, ordinary pixel
// values, values next to the library's tolerances), bounded counts and small
// choices. Running out of bytes yields zeros, so every input decodes.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace tavfuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size), m_pos(0) {}

  bool empty() const { return m_pos >= m_size; }
  size_t remaining() const { return m_size - m_pos; }

  uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  bool flag() { return (byte() & 1) != 0; }

  uint16_t u16() {
    uint16_t v = byte();
    return static_cast<uint16_t>(v | (byte() << 8));
  }
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(byte()) << (8 * i);
    return v;
  }
  uint64_t u64() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(byte()) << (8 * i);
    return v;
  }

  // A value in [0, bound] (bound >= 0); small values are the most likely.
  int count(int bound) {
    if (bound <= 0) return 0;
    const uint8_t sel = byte();
    uint32_t raw;
    if (sel < 160) {
      raw = sel % 16u;  // 0..15: the common small sizes
    } else if (sel < 224) {
      raw = u16();
    } else {
      raw = u32();
    }
    return static_cast<int>(raw % (static_cast<uint32_t>(bound) + 1u));
  }

  // Any int, with the edges of the range and small values favoured.
  int anyInt() {
    switch (byte() % 8) {
      case 0:
        return 0;
      case 1:
        return std::numeric_limits<int>::max();
      case 2:
        return std::numeric_limits<int>::min();
      case 3:
        return -1;
      case 4:
        return static_cast<int8_t>(byte());
      case 5:
        return static_cast<int16_t>(u16());
      default:
        return static_cast<int>(u32());
    }
  }

  // A double of any kind. About half of the values are ordinary pixel-sized
  // numbers so that the geometry gets exercised, not only its guards.
  double anyDouble() {
    const uint8_t sel = byte();
    switch (sel % 24) {
      case 0:
        return std::numeric_limits<double>::quiet_NaN();
      case 1:
        return std::numeric_limits<double>::infinity();
      case 2:
        return -std::numeric_limits<double>::infinity();
      case 3:
        return -0.0;
      case 4: {  // subnormal, either sign
        uint64_t bits = u64() & 0x000FFFFFFFFFFFFFull;
        if (bits == 0) bits = 1;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return (sel & 0x80) ? -v : v;
      }
      case 5:
        return (sel & 0x80) ? -1e308 : 1e308;
      case 6:
        return (sel & 0x80) ? -DBL_MAX : DBL_MAX;
      case 7: {  // any bit pattern
        const uint64_t bits = u64();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
      }
      case 8: {  // powers of ten of either sign, 1e-320 .. 1e300
        const int e = static_cast<int>(byte() % 63) * 10 - 320;
        const double v = std::pow(10.0, e);
        return (sel & 0x80) ? -v : v;
      }
      case 9: {  // next to the tolerances 1e-8, 1e-6, 1e-5, 1e-4, 0.01
        static const double tol[] = {1e-8, 1e-6, 1e-5, 1e-4, 0.01, DBL_EPSILON};
        double v = tol[byte() % 6];
        const int steps = static_cast<int8_t>(byte()) % 3;
        for (int i = 0; i < (steps < 0 ? -steps : steps); ++i) v = std::nextafter(v, steps < 0 ? 0.0 : 1.0);
        return (sel & 0x80) ? -v : v;
      }
      case 10: {  // multiples of pi/4, exactly or one ulp off
        const double v = static_cast<int8_t>(byte()) * 0.7853981633974483;
        const uint8_t nudge = byte() % 3;
        if (nudge == 1) return std::nextafter(v, DBL_MAX);
        if (nudge == 2) return std::nextafter(v, -DBL_MAX);
        return v;
      }
      case 11:
        return 2147483647.0 + static_cast<int8_t>(byte());  // around the int range
      case 12:
        return -2147483648.0 + static_cast<int8_t>(byte());
      case 13:
      case 14:
      case 15:
        return static_cast<int8_t>(byte());  // small integers
      case 16:
      case 17:
        return static_cast<int16_t>(u16()) + byte() / 256.0;  // pixels with fractions
      case 18:
      case 19:
        return static_cast<int16_t>(u16()) / 16.0;
      case 20:
        return (static_cast<int32_t>(u32())) / 1024.0;  // up to ~2e6
      case 21:
        return static_cast<int32_t>(u32()) * 1024.0;  // up to ~2e12
      default:
        return byte() / 16.0;  // 0 .. 16
    }
  }

  // A finite double of moderate size (|v| < ~1e6), for inputs whose
  // postconditions are checked numerically.
  double moderate() {
    const uint8_t sel = byte();
    switch (sel % 6) {
      case 0:
        return static_cast<int8_t>(byte());
      case 1:
        return static_cast<int16_t>(u16()) / 64.0;
      case 2:
        return static_cast<int16_t>(u16()) + byte() / 256.0;
      case 3:
        return byte() / 16.0;
      case 4:
        return static_cast<int8_t>(byte()) * 0.7853981633974483;
      default:
        return (static_cast<int32_t>(u32() % 2000001u) - 1000000) / 1.0;
    }
  }

  // A non-negative pixel coordinate (what the region calculators are made for).
  double pixel(int bound) {
    const double whole = static_cast<double>(count(bound));
    return whole + (flag() ? byte() / 256.0 : 0.0);
  }

  double value(bool hostile) { return hostile ? anyDouble() : moderate(); }
  TavPoint point(bool hostile) {
    const double x = value(hostile);
    const double y = value(hostile);
    return TavPoint(x, y);
  }
  TavLine line(bool hostile) {
    const TavPoint a = point(hostile);
    const TavPoint b = point(hostile);
    return TavLine(a, b);
  }
  TavRect rect(bool hostile) {
    TavRect r;
    r.x = value(hostile);
    r.y = value(hostile);
    r.width = value(hostile);
    r.height = value(hostile);
    r.angle = value(hostile);
    return r;
  }
  std::vector<TavPoint> points(int maxCount, bool hostile) {
    std::vector<TavPoint> v(static_cast<size_t>(count(maxCount)));
    for (TavPoint& p : v) p = point(hostile);
    return v;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos;
};

// double to float without leaving the float range undefined: values beyond it
// become infinities, as the hardware conversion gives.
inline float toFloat(double v) {
  if (std::isfinite(v) && std::fabs(v) > FLT_MAX) return v > 0 ? HUGE_VALF : -HUGE_VALF;
  return static_cast<float>(v);
}

// Bit-for-bit equality of two doubles (NaN equals the identical NaN, 0.0 and
// -0.0 differ).
inline bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
// Equal bit for bit, or both NaN of any payload.
inline bool sameValue(double a, double b) { return (std::isnan(a) && std::isnan(b)) || sameBits(a, b); }
inline bool sameValue(const TavPoint& a, const TavPoint& b) {
  return sameValue(a.x, b.x) && sameValue(a.y, b.y);
}
inline bool sameValue(const TavLine& a, const TavLine& b) {
  return sameValue(a.p1, b.p1) && sameValue(a.p2, b.p2);
}
inline bool sameBits(const TavPoint& a, const TavPoint& b) {
  return sameBits(a.x, b.x) && sameBits(a.y, b.y);
}
inline bool sameBits(const TavLine& a, const TavLine& b) {
  return sameBits(a.p1, b.p1) && sameBits(a.p2, b.p2);
}

inline bool isFinite(const TavPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Replaying a finding with TAVFUZZ_VERBOSE=1 in the environment makes the
// targets print the call they are about to check.
inline bool verbose() {
  static const bool on = std::getenv("TAVFUZZ_VERBOSE") != nullptr;
  return on;
}

// A broken invariant. In a fuzz build it aborts the run (a finding); in the
// unit test runner, which replays the same targets, it throws this, and the
// test reports the target, the input and the check.
struct Broken {
  const char* file;
  int line;
  const char* what;
};

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
#ifdef TAVFUZZ_IN_TESTS
  throw Broken{file, line, what};
#else
  std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
  std::abort();
#endif
}

// Every target registers its checker; the unit test runner runs each on its
// committed corpus and on seeded random inputs.
using Body = void (*)(FuzzInput&);
struct Target {
  const char* name;
  Body body;
};
inline std::vector<Target>& targets() {
  static std::vector<Target> all;
  return all;
}
struct Registrar {
  Registrar(const char* name, Body body) { targets().push_back({name, body}); }
};

}  // namespace tavfuzz

// Aborts the run (a fuzzer finding) when an invariant does not hold.
#define FUZZ_CHECK(cond)                                     \
  do {                                                       \
    if (!(cond)) ::tavfuzz::fail(__FILE__, __LINE__, #cond); \
  } while (0)

// Defines a target's checker once: `TAVFUZZ_TARGET(fuzz_lines) { ...in... }`.
// The fuzz build gets the libFuzzer entry point, the unit test runner a
// registered checker it feeds with the corpus and random inputs.
#ifdef TAVFUZZ_IN_TESTS
#define TAVFUZZ_TARGET(name)                                               \
  static void tavfuzzBody(::tavfuzz::FuzzInput& in);                       \
  static const ::tavfuzz::Registrar tavfuzzRegistrar(#name, &tavfuzzBody); \
  static void tavfuzzBody(::tavfuzz::FuzzInput& in)
#else
#define TAVFUZZ_TARGET(name)                                                 \
  static void tavfuzzBody(::tavfuzz::FuzzInput& in);                         \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
    ::tavfuzz::FuzzInput in(data, size);                                     \
    tavfuzzBody(in);                                                         \
    return 0;                                                                \
  }                                                                          \
  static void tavfuzzBody(::tavfuzz::FuzzInput& in)
#endif
