#include <TavGeometry/TavRotator.h>

#include <cmath>
#include <limits>

namespace NTavGeometry {

namespace {

// Double to float with IEEE rounding, spelled out for values beyond the float
// range (they become infinities) and NaN, so that no conversion leaves the
// range that the language defines.
float toFloat(double v) {
  if (v != v) return std::numeric_limits<float>::quiet_NaN();
  // Halfway between the largest float and the next power of two: from here on
  // the nearest float (ties to even) is the infinity.
  constexpr double kOverflow = 0x1.ffffffp127;
  if (v >= kOverflow) return std::numeric_limits<float>::infinity();
  if (v <= -kOverflow) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

}  // namespace

void CTavRotator::set(double x, double y, double a) {
  m_a = a;
  m_x = x;
  m_y = y;
}

void CTavRotator::setAngle(double a) { m_a = a; }

void CTavRotator::rotate(double* px, double* py) const {
  const double dx = *px - m_x;
  const double dy = *py - m_y;
  const double c = std::cos(m_a);
  const double s = std::sin(m_a);
  *px = (c * dx - s * dy) + m_x;
  *py = (s * dx + c * dy) + m_y;
}

void CTavRotatorF::set(float x, float y, float a) {
  m_a = a;
  m_x = x;
  m_y = y;
}

void CTavRotatorF::setAngle(float a) { m_a = a; }

void CTavRotatorF::rotate(float* px, float* py) const {
  // Rounding points: the differences and the sine and cosine are floats; the
  // products and sums are doubles; the results are rounded once when stored.
  const float dx = *px - m_x;
  const float dy = *py - m_y;
  const float c = toFloat(std::cos(static_cast<double>(m_a)));
  const float s = toFloat(std::sin(static_cast<double>(m_a)));
  const double rx = (static_cast<double>(c) * dx - static_cast<double>(s) * dy) + m_x;
  const double ry = (static_cast<double>(s) * dx + static_cast<double>(c) * dy) + m_y;
  *px = toFloat(rx);
  *py = toFloat(ry);
}

}  // namespace NTavGeometry
