// Plain value types shared by every routine of TavGeometry.
//
// Coordinates are image pixel positions in double precision (column x, row y).
// Angles are radians; the angle of a vector (dx, dy) is atan2(dy, dx), so a
// positive angle turns the positive x axis toward the positive y axis
// (clockwise on screen when y grows downward). The field order of every type is
// part of the interface: callers pass arrays of them as pointer and count.
#pragma once

// A point or a vector in the plane.
struct TavPoint {
  double x;  // column direction
  double y;  // row direction
  TavPoint() : x(0.0), y(0.0) {}
  TavPoint(double px, double py) : x(px), y(py) {}
};

// An integer pixel position (column, row).
struct TavIPoint {
  int x;
  int y;
  TavIPoint() : x(0), y(0) {}
  TavIPoint(int px, int py) : x(px), y(py) {}
};

// A directed segment p1 -> p2; most operations use the infinite line through it.
struct TavLine {
  TavPoint p1;
  TavPoint p2;
  TavLine() {}
  TavLine(const TavPoint& a, const TavPoint& b) : p1(a), p2(b) {}
};

// A circle; a circle built by the library always has radius >= 0.
struct TavCircle {
  TavPoint center;
  double radius;
  TavCircle() : radius(0.0) {}
  TavCircle(const TavPoint& c, double r) : center(c), radius(r) {}
};

// The points center + radius * (cos a, sin a) for a from startAngle to
// startAngle + sweepAngle; a negative sweep runs toward decreasing angles.
struct TavArc {
  TavPoint center;
  double radius;
  double startAngle;
  double sweepAngle;
  TavArc() : radius(0.0), startAngle(0.0), sweepAngle(0.0) {}
  TavArc(const TavPoint& c, double r, double start, double sweep)
      : center(c), radius(r), startAngle(start), sweepAngle(sweep) {}
};

// A rectangle covering x <= px <= x + width, y <= py <= y + height (edges
// included), turned by angle radians (0 means axis-aligned). Boxes that the
// library computes are pixel boxes: integral x, y; width = last column - first
// column + 1; height likewise; angle 0.
struct TavRect {
  double x;
  double y;
  double width;
  double height;
  double angle;
  TavRect() : x(0.0), y(0.0), width(0.0), height(0.0), angle(0.0) {}
  TavRect(double rx, double ry, double w, double h, double a = 0.0)
      : x(rx), y(ry), width(w), height(h), angle(a) {}
};
