// Rotators: turn coordinates in place about a fixed centre by a fixed angle.
// A positive angle turns the positive x axis toward the positive y axis.
// The sine and cosine are evaluated on every rotate() call; the three fields
// (angle, centre x, centre y) are the whole state, copied member by member.
#pragma once

#include <TavGeometry/TavGeometryExport.h>

namespace NTavGeometry {

// Double-precision rotator.
class TAVGEOMETRY_EXPORT CTavRotator {
 public:
  // Centre (x, y) and angle in radians; the default leaves every point unchanged.
  CTavRotator(double x = 0.0, double y = 0.0, double a = 0.0) : m_a(a), m_x(x), m_y(y) {}
  // Replaces centre and angle (same argument order as the constructor).
  void set(double x, double y, double a);
  // Replaces the angle only.
  void setAngle(double a);
  // Rotates (*px, *py) about the centre and writes it back. px and py must be
  // two different doubles.
  void rotate(double* px, double* py) const;
  double x() const { return m_x; }
  double y() const { return m_y; }
  double a() const { return m_a; }

 private:
  double m_a;
  double m_x;
  double m_y;
};

// Single-precision rotator: differences and sine/cosine are rounded to float,
// products and sums are formed in double, the results are stored as float.
class TAVGEOMETRY_EXPORT CTavRotatorF {
 public:
  // Centre (x, y) and angle in radians; the default leaves every point unchanged.
  CTavRotatorF(float x = 0.0f, float y = 0.0f, float a = 0.0f) : m_a(a), m_x(x), m_y(y) {}
  // Replaces centre and angle (same argument order as the constructor).
  void set(float x, float y, float a);
  // Replaces the angle only.
  void setAngle(float a);
  // Rotates (*px, *py) about the centre and writes it back. px and py must be
  // two different floats.
  void rotate(float* px, float* py) const;
  float x() const { return m_x; }
  float y() const { return m_y; }
  float a() const { return m_a; }

 private:
  float m_a;
  float m_x;
  float m_y;
};

}  // namespace NTavGeometry
