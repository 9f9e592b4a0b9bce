/// \file
/// \brief Rotators: turn coordinates in place about a fixed centre by a fixed angle.
/// \ingroup rotators
#pragma once

#include <TavGeometry/TavGeometryExport.h>

namespace NTavGeometry {

/// \defgroup rotators Rotators
/// \brief Turn coordinates in place about a fixed centre by a fixed angle.
///
/// A positive angle (radians) turns the positive x axis toward the positive y
/// axis: clockwise on an image whose y grows downward. The sine and cosine are
/// evaluated on every rotate() call; the three fields (angle, centre x, centre
/// y) are the whole state, copied member by member. rotate() is O(1).
/// @{

/// \brief Double-precision rotator.
class TAVGEOMETRY_EXPORT CTavRotator {
 public:
  /// \brief Centre (x, y) in pixels and angle a in radians; the default leaves
  /// every finite point unchanged (but -0.0 comes back +0.0; an infinite
  /// coordinate meets 0 * inf, so the other one becomes NaN).
  CTavRotator(double x = 0.0, double y = 0.0, double a = 0.0) : m_a(a), m_x(x), m_y(y) {}
  /// \brief Replaces centre and angle (same argument order as the constructor).
  void set(double x, double y, double a);
  /// \brief Replaces the angle only (radians).
  void setAngle(double a);
  /// \brief Rotates (`*px`, `*py`) about the centre and writes it back.
  ///
  /// px and py must be two different doubles.
  void rotate(double* px, double* py) const;
  /// \brief Centre x, pixels.
  double x() const { return m_x; }
  /// \brief Centre y, pixels.
  double y() const { return m_y; }
  /// \brief Angle, radians.
  double a() const { return m_a; }

 private:
  double m_a;
  double m_x;
  double m_y;
};

/// \brief Single-precision rotator.
///
/// Differences and sine/cosine are rounded to float, products and sums are
/// formed in double, the results are stored as float.
class TAVGEOMETRY_EXPORT CTavRotatorF {
 public:
  /// \brief Centre (x, y) in pixels and angle a in radians; the default leaves
  /// every finite point unchanged (but -0.0 comes back +0.0; an infinite
  /// coordinate meets 0 * inf, so the other one becomes NaN).
  CTavRotatorF(float x = 0.0f, float y = 0.0f, float a = 0.0f) : m_a(a), m_x(x), m_y(y) {}
  /// \brief Replaces centre and angle (same argument order as the constructor).
  void set(float x, float y, float a);
  /// \brief Replaces the angle only (radians).
  void setAngle(float a);
  /// \brief Rotates (`*px`, `*py`) about the centre and writes it back.
  ///
  /// px and py must be two different floats.
  void rotate(float* px, float* py) const;
  /// \brief Centre x, pixels.
  float x() const { return m_x; }
  /// \brief Centre y, pixels.
  float y() const { return m_y; }
  /// \brief Angle, radians.
  float a() const { return m_a; }

 private:
  float m_a;
  float m_x;
  float m_y;
};

/// @}

}  // namespace NTavGeometry
