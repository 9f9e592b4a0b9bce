// The draws of the consensus fits: a private generator seeded from the input,
// so that a fit gives the same result on every machine and in every thread.
// Not installed.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <cmath>
#include <cstdint>

namespace NTavGeometry {
namespace detail {

// A linear congruential generator private to one call: state * 214013 +
// 2531011 modulo 2^32, value = bits 16..30 of the state (0 .. 32767). The same
// sequence for the same seed on every platform.
class CLcg {
 public:
  explicit CLcg(uint32_t seed) : m_state(seed) {}
  int next() {
    m_state = m_state * 214013u + 2531011u;  // modulo 2^32
    return static_cast<int>((m_state >> 16) & 0x7FFFu);
  }

 private:
  uint32_t m_state;
};

// Low 32 bits of trunc(v) taken as an integer, for any double: exact for every
// finite v (the same bits as converting to a 64-bit integer where that is
// defined), 0 for NaN and infinities.
inline uint32_t low32OfTrunc(double v) {
  if (!std::isfinite(v)) return 0;
  double r = std::fmod(std::trunc(v), 4294967296.0);  // exact, in (-2^32, 2^32)
  if (r < 0.0) r += 4294967296.0;
  return static_cast<uint32_t>(r);
}

inline uint32_t consensusSeed(const TavPoint* points, unsigned int n) {
  uint32_t s = 0;
  for (unsigned int i = 0; i < n; ++i) s = low32OfTrunc((points[i].y + points[i].x) + static_cast<double>(s));
  return s;
}

// A draw scaled to 0 .. n; the top value 32767 would give n itself and is
// taken as the last point.
inline unsigned int drawIndex(CLcg& gen, unsigned int n) {
  const double v = gen.next() / 32767.0 * static_cast<double>(n);
  const unsigned int i = static_cast<unsigned int>(v);  // 0 <= v <= n
  return i < n ? i : n - 1;
}

}  // namespace detail
}  // namespace NTavGeometry
