/// \file
/// \brief Plain value types shared by every routine of TavGeometry.
///
/// Coordinates are image pixel positions in double precision (column x, row y).
/// Angles are radians; the angle of a vector (dx, dy) is atan2(dy, dx), so a
/// positive angle turns the positive x axis toward the positive y axis
/// (clockwise on screen when y grows downward). The field order of every type is
/// part of the interface: callers pass arrays of them as pointer and count.
/// \ingroup types
#pragma once

/// \defgroup types Types
/// \brief Points, lines, circles, arcs and rectangles: the plain values every
/// family reads and writes.
///
/// Coordinates are pixels (x the column, growing to the right; y the row,
/// growing downward); angles are radians, positive from +x toward +y, which is
/// clockwise on screen. The types hold doubles in a fixed field order, are
/// trivially copyable and have a standard layout (their constructors make them
/// no aggregates); arrays of them are passed as pointer and count.
/// @{

/// \brief A point or a vector in the plane, in pixels.
struct TavPoint {
  double x;  ///< Column direction (grows to the right).
  double y;  ///< Row direction (grows downward on an image).
  /// \brief The origin (0, 0).
  TavPoint() : x(0.0), y(0.0) {}
  /// \brief The point (px, py).
  TavPoint(double px, double py) : x(px), y(py) {}
};

/// \brief An integer pixel position (column, row).
struct TavIPoint {
  int x;  ///< Column.
  int y;  ///< Row.
  /// \brief Pixel (0, 0).
  TavIPoint() : x(0), y(0) {}
  /// \brief Pixel (px, py).
  TavIPoint(int px, int py) : x(px), y(py) {}
};

/// \brief A directed segment p1 -> p2; most operations use the infinite line
/// through it.
///
/// Its direction is p2 - p1. Whether a routine reads the segment or the
/// infinite line is stated with the routine.
struct TavLine {
  TavPoint p1;  ///< Start point.
  TavPoint p2;  ///< End point; the direction is p2 - p1.
  /// \brief The zero-length line at the origin.
  TavLine() {}
  /// \brief The line from a to b.
  TavLine(const TavPoint& a, const TavPoint& b) : p1(a), p2(b) {}
};

/// \brief A circle; a circle built by the library always has radius >= 0.
struct TavCircle {
  TavPoint center;  ///< Centre, in pixels.
  double radius;    ///< Radius, in pixels.
  /// \brief The zero circle: centre (0, 0), radius 0.
  TavCircle() : radius(0.0) {}
  /// \brief Centre c, radius r (not checked).
  TavCircle(const TavPoint& c, double r) : center(c), radius(r) {}
};

/// \brief A circular arc: the points center + radius * (cos a, sin a) for a
/// from startAngle to startAngle + sweepAngle.
///
/// Angles are radians, positive from +x toward +y (clockwise on an image whose
/// y grows downward); a negative sweep runs toward decreasing angles.
struct TavArc {
  TavPoint center;    ///< Centre, in pixels.
  double radius;      ///< Radius, in pixels.
  double startAngle;  ///< Angle of the start point, radians.
  double sweepAngle;  ///< Signed angle from the start to the end, radians.
  /// \brief The zero arc: centre (0, 0), radius, start and sweep 0.
  TavArc() : radius(0.0), startAngle(0.0), sweepAngle(0.0) {}
  /// \brief Centre c, radius r, start angle and sweep in radians (not checked).
  TavArc(const TavPoint& c, double r, double start, double sweep)
      : center(c), radius(r), startAngle(start), sweepAngle(sweep) {}
};

/// \brief A rectangle covering x <= px <= x + width, y <= py <= y + height
/// (edges included), turned by angle radians (0 means axis-aligned).
///
/// Boxes that the library computes are pixel boxes: integral x, y; width =
/// last column - first column + 1; height likewise; angle 0.
struct TavRect {
  double x;       ///< Left edge (smallest x) of the unrotated rectangle.
  double y;       ///< Top edge (smallest y) of the unrotated rectangle.
  double width;   ///< Extent along x, pixels.
  double height;  ///< Extent along y, pixels.
  double angle;   ///< Rotation in radians about the centre, positive from +x toward +y; 0 is axis-aligned.
  /// \brief The all-zero rectangle.
  TavRect() : x(0.0), y(0.0), width(0.0), height(0.0), angle(0.0) {}
  /// \brief Corner (rx, ry), size w x h, rotation a radians.
  TavRect(double rx, double ry, double w, double h, double a = 0.0)
      : x(rx), y(ry), width(w), height(h), angle(a) {}
};

/// @}
