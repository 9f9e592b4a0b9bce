#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoScan.h>
#include <TavGeometry/TavRotator.h>

#include <cmath>
#include <cstddef>
#include <limits>

#include "geometry/TavGeoInternal.h"

namespace NTavGeometry {

namespace {

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
// Smallest |sweep| for which the turning test may flip a corner fan's sweep.
constexpr double kTurnTestMinSweep = 0.1;
// Smallest |turn| of a corner whose pivot side is the side it turns toward.
constexpr double kSideFromTurn = 1e-6;

// Where a corner fan turns its lines.
enum class FanPivot {
  positive,  // about the corner point on the positive side; lines run from the pivot outward
  negative,  // about the corner point on the negative side; lines run from their far end to the pivot
  vertex     // about the vertex itself (reversal, or a corner too sharp for its segments);
             // lines centred on it
};

// One corner fan: lines from angle start through start + sweep about pivot, the
// spacing being kept along the circle of the given radius.
struct Fan {
  TavPoint pivot;
  double radius;
  double start;
  double sweep;
  FanPivot side;
};

// The segment a -> b moved by h to its positive side (pos) and to its negative
// side (neg); both keep the segment's direction. Returns the segment's angle.
double offsetLines(const TavPoint& a, const TavPoint& b, double h, TavLine* pos, TavLine* neg) {
  const double theta = std::atan2(b.y - a.y, b.x - a.x);
  const double pdx = h * std::cos(theta + kHalfPi);
  const double pdy = h * std::sin(theta + kHalfPi);
  const double ndx = h * std::cos(theta - kHalfPi);
  const double ndy = h * std::sin(theta - kHalfPi);
  *pos = TavLine(TavPoint(a.x + pdx, a.y + pdy), TavPoint(b.x + pdx, b.y + pdy));
  *neg = TavLine(TavPoint(a.x + ndx, a.y + ndy), TavPoint(b.x + ndx, b.y + ndy));
  return theta;
}

// Where the offset line `in` meets the next one, `out`: their crossing, or the
// end of `in` when they lie on one line or are parallel.
TavPoint cornerPoint(const TavLine& in, const TavLine& out) {
  TavPoint x = in.p2;
  if (!lineLineIsCollinear(in, out)) lineLineIntersection(in, out, &x);
  return x;
}

double dist(const TavPoint& a, const TavPoint& b) { return detail::roundedHypot(b.x - a.x, b.y - a.y); }

// True when the path doubles back on itself at the vertex q between the
// segments p -> q and q -> r: they point in opposite directions and are
// parallel within lineIsParallel's tolerance, or their offset lines on one side
// do not cross. The inner corner point then lies at or beyond a million
// half-lengths from the vertex, or nowhere.
bool isReversal(const TavPoint& p, const TavPoint& q, const TavPoint& r, const TavLine& posIn,
                const TavLine& posOut, const TavLine& negIn, const TavLine& negOut) {
  const double ax = q.x - p.x, ay = q.y - p.y;
  const double bx = r.x - q.x, by = r.y - q.y;
  if (!(ax * bx + ay * by < 0.0)) return false;
  if (ax * by - ay * bx == 0.0 || lineIsParallel(TavLine(p, q), TavLine(q, r))) return true;
  TavPoint scratch;
  return !lineLineIntersection(posIn, posOut, &scratch) || !lineLineIntersection(negIn, negOut, &scratch);
}

// True when the corner pivot x would make a stretch run backward: its foot on
// the incoming segment (direction thetaIn) lies before that segment's stretch
// start, which lies on the same offset line as x, or its foot on the outgoing
// segment (direction thetaOut) lies beyond the segment's end point.
// Differences within a rounding allowance (a millionth of h, a billionth of
// the coordinates) do not count.
bool stretchRunsBackward(const TavPoint& x, const TavPoint& stretchStart, double thetaIn, const TavPoint& q,
                         const TavPoint& outEnd, double thetaOut, double h) {
  const double slack =
      1e-6 * h + 1e-9 * (std::fabs(q.x) + std::fabs(q.y) + std::fabs(outEnd.x) + std::fabs(outEnd.y));
  const double back = (x.x - stretchStart.x) * std::cos(thetaIn) + (x.y - stretchStart.y) * std::sin(thetaIn);
  const double past = (x.x - outEnd.x) * std::cos(thetaOut) + (x.y - outEnd.y) * std::sin(thetaOut);
  return back < -slack || past > slack;
}

// The signed turn from direction thetaIn to thetaOut, in [-pi, pi].
double turnAngle(double thetaIn, double thetaOut) {
  double turn = thetaOut - thetaIn;
  if (turn > kPi) {
    turn -= kTwoPi;
  } else if (turn < -kPi) {
    turn += kTwoPi;
  }
  return turn;
}

// The polyline with every point that repeats its predecessor exactly left out.
std::vector<TavPoint> withoutRepeats(const TavPoint* points, int count) {
  std::vector<TavPoint> pts;
  pts.reserve(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    const TavPoint& p = points[k];
    if (!pts.empty() && pts.back().x == p.x && pts.back().y == p.y) continue;
    pts.push_back(p);
  }
  return pts;
}

// Appends lines to the caller's vector while it holds fewer than
// kScanLinesMax; once a line more is due, the whole output is dropped.
class LineSink {
 public:
  explicit LineSink(std::vector<TavLine>* out) : out_(out) {}
  bool append(const TavPoint& p1, const TavPoint& p2) {
    if (out_->size() >= static_cast<std::size_t>(kScanLinesMax)) return drop();
    out_->push_back(TavLine(p1, p2));
    return true;
  }
  // True when `more` further lines still fit under the cap (more may be huge).
  bool fits(double more) const {
    return static_cast<double>(out_->size()) + more <= static_cast<double>(kScanLinesMax);
  }
  bool drop() {
    std::vector<TavLine>().swap(*out_);
    return false;
  }
  double count() const { return static_cast<double>(out_->size()); }

 private:
  std::vector<TavLine>* out_;
};

}  // namespace

void polyLineToPolyRake(const TavPoint* points, int count, double halfLength, double spacing,
                        std::vector<TavLine>* rake) {
  if (rake == nullptr) return;
  rake->clear();

  const double h = halfLength;
  const double s = spacing;
  const double inf = std::numeric_limits<double>::infinity();
  if (points == nullptr || count < 2) return;
  if (!(h > 0.0 && h < inf) || !(s > 0.0 && s < inf)) return;

  const std::vector<TavPoint> p = withoutRepeats(points, count);
  if (p.size() < 2) return;
  const std::size_t segs = p.size() - 1;

  // Phase 1: the two rails (start and end of every segment's stretch on each
  // side) and one fan per corner.
  std::vector<TavPoint> posRail, negRail;
  std::vector<Fan> fans;
  posRail.reserve(2 * segs);
  negRail.reserve(2 * segs);
  fans.reserve(segs - 1);

  TavLine posIn, negIn;
  double thetaIn = offsetLines(p[0], p[1], h, &posIn, &negIn);
  posRail.push_back(posIn.p1);
  negRail.push_back(negIn.p1);
  for (std::size_t i = 0; i + 1 < segs; ++i) {
    const TavPoint& q = p[i + 1];
    TavLine posOut, negOut;
    const double thetaOut = offsetLines(q, p[i + 2], h, &posOut, &negOut);

    const bool reversal = isReversal(p[i], q, p[i + 2], posIn, posOut, negIn, negOut);
    const double turn = turnAngle(thetaIn, thetaOut);
    bool onNeg = false;
    TavPoint x;
    bool square = reversal;
    if (!reversal) {
      const TavPoint xa = cornerPoint(posIn, posOut);
      const TavPoint xb = cornerPoint(negIn, negOut);
      // The pivot is the corner point of the inner side, the side the path
      // turns toward. A nearly straight joint (|turn| up to kSideFromTurn)
      // takes the side whose stretch is the shorter. That comparison names the
      // same side at an ordinary corner, but can name the outer one where both
      // corner points lie far off (near a reversal, where rounding decides it)
      // or after a corner too sharp for its segments (the inner stretch starts
      // past this corner); the outer pivot, far beyond the vertex, escaped the
      // test below and laid millions of lines.
      onNeg =
          std::fabs(turn) > kSideFromTurn ? turn < 0.0 : dist(negRail.back(), xb) < dist(posRail.back(), xa);
      x = onNeg ? xb : xa;
      // A corner too sharp for its segments (its inner corner point lies
      // before the stretch start or past the next point) would lay a stretch
      // backward, outside the path, up to millions of lines for a hairpin.
      square =
          stretchRunsBackward(x, onNeg ? negRail.back() : posRail.back(), thetaIn, q, p[i + 2], thetaOut, h);
    }
    if (square) {
      // Each stretch keeps its square end at the vertex and the line turns about
      // the vertex: a half turn toward increasing angle at a reversal, which
      // brings the incoming positive side onto the outgoing negative side;
      // otherwise by the turn of the path, onto the outgoing segment's normal.
      posRail.push_back(posIn.p2);
      posRail.push_back(posOut.p1);
      negRail.push_back(negIn.p2);
      negRail.push_back(negOut.p1);
      const double sweep = reversal ? kPi : turn;
      fans.push_back(Fan{q, h, thetaIn + kHalfPi, sweep, FanPivot::vertex});
    } else {
      TavLine perpIn, perpOut;
      linePointToLinePerpendicular(TavLine(p[i], q), x, &perpIn);
      linePointToLinePerpendicular(TavLine(q, p[i + 2]), x, &perpOut);
      const TavLine& farIn = onNeg ? posIn : negIn;
      const TavLine& farOut = onNeg ? posOut : negOut;
      TavPoint o1;
      lineLineIntersection(farIn, perpIn, &o1);
      TavPoint o2 = o1;
      lineLineIntersection(farOut, perpOut, &o2);
      if (onNeg) {
        posRail.push_back(o1);
        posRail.push_back(o2);
        negRail.push_back(x);
        negRail.push_back(x);
      } else {
        posRail.push_back(x);
        posRail.push_back(x);
        negRail.push_back(o1);
        negRail.push_back(o2);
      }

      const double radius = 2.0 * h;
      const double start = lineAngle(perpIn);
      double sweep = lineAngle(perpOut) - start;
      // The raw sweep may go round the wrong way: its middle ray must point
      // toward the vertex, not away from it.
      TavPoint ray(x.x + radius, x.y);
      CTavRotator(x.x, x.y, start + sweep * 0.5).rotate(&ray.x, &ray.y);
      if (dist(q, ray) > dist(q, x) && std::fabs(sweep) > kTurnTestMinSweep) {
        sweep = sweep > 0.0 ? sweep - kTwoPi : sweep + kTwoPi;
      }
      fans.push_back(Fan{x, radius, start, sweep, onNeg ? FanPivot::negative : FanPivot::positive});
    }
    posIn = posOut;
    negIn = negOut;
    thetaIn = thetaOut;
  }
  posRail.push_back(posIn.p2);
  negRail.push_back(negIn.p2);

  // The whole path length T, summed as phase 2 walks it. The lines stand at
  // k*s < T, so ceil(T/s) - 1 of them: a path that is not finite or needs
  // more than kScanLinesMax lines gets none.
  double total = 0.0;
  for (std::size_t j = 0; j < segs; ++j) {
    total = total + dist(posRail[2 * j], posRail[2 * j + 1]);
    if (j < fans.size()) total = total + std::fabs(fans[j].sweep * fans[j].radius);
  }
  const double estimate = total / s;
  if (!(estimate <= static_cast<double>(kScanLinesMax) + 1.0)) return;
  rake->reserve(static_cast<std::size_t>(estimate < kScanLinesMax ? estimate : kScanLinesMax));

  // Phase 2: lines at the path positions s, 2s, 3s, ... strictly before the
  // end of the last stretch.
  LineSink sink(rake);
  double acc = 0.0;  // path length covered so far
  for (std::size_t j = 0; j < segs; ++j) {
    const TavPoint& a = posRail[2 * j];
    const TavPoint& b = posRail[2 * j + 1];
    const TavPoint& w = negRail[2 * j];
    const double len = dist(a, b);
    // A stretch of zero length has no direction; a line due on it stands at its start.
    const double ux = len > 0.0 ? (b.x - a.x) / len : 0.0;
    const double uy = len > 0.0 ? (b.y - a.y) / len : 0.0;
    double off = s - (acc - sink.count() * s);
    if (off < len) {
      TavPoint u1(a.x + off * ux, a.y + off * uy);
      TavPoint u2(w.x + off * ux, w.y + off * uy);
      do {
        if (!sink.append(u1, u2)) return;
        u1 = TavPoint(u1.x + s * ux, u1.y + s * uy);
        u2 = TavPoint(u2.x + s * ux, u2.y + s * uy);
        off = off + s;
      } while (off < len);
    }
    acc = acc + len;
    if (j == fans.size()) break;

    const Fan& fan = fans[j];
    const double r = fan.radius;
    const double ratio = s / r;  // angle between neighbouring fan lines
    off = s - (acc - sink.count() * s);
    const double a0 = off / r;
    double phi = fan.sweep > 0.0 ? fan.start + a0 : fan.start - a0;
    const double m = (std::fabs(fan.sweep) - a0) / ratio + 1.0;
    if (m >= 1.0) {  // NaN and m < 1 lay nothing
      if (!sink.fits(std::trunc(m))) {
        sink.drop();
        return;
      }
      const int lines = static_cast<int>(m);
      const TavPoint& x = fan.pivot;
      for (int k = 0; k < lines; ++k) {
        CTavRotator rot(x.x, x.y, phi);
        TavPoint e(x.x + r, x.y);
        rot.rotate(&e.x, &e.y);
        bool ok = true;
        if (fan.side == FanPivot::positive) {
          ok = sink.append(x, e);
        } else if (fan.side == FanPivot::negative) {
          ok = sink.append(e, x);
        } else {
          TavPoint back(x.x - r, x.y);
          rot.rotate(&back.x, &back.y);
          ok = sink.append(e, back);
        }
        if (!ok) return;
        phi = fan.sweep > 0.0 ? phi + ratio : phi - ratio;
      }
    }
    acc = acc + std::fabs(fan.sweep * r);
  }
}

}  // namespace NTavGeometry
