#include "reference/rake_reference.h"

#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavRotator.h>

#include <cmath>

using namespace NTavGeometry;

namespace tavref {

namespace {

// The segment ab moved by h to its positive (+90 degrees) and negative side.
void offsets(const TavPoint& a, const TavPoint& b, double h, TavLine* pos, TavLine* neg) {
  const double theta = std::atan2(b.y - a.y, b.x - a.x), halfPi = 1.5707963267948966;
  const TavPoint dp(h * std::cos(theta + halfPi), h * std::sin(theta + halfPi));
  const TavPoint dn(h * std::cos(theta - halfPi), h * std::sin(theta - halfPi));
  *pos = TavLine(TavPoint(a.x + dp.x, a.y + dp.y), TavPoint(b.x + dp.x, b.y + dp.y));
  *neg = TavLine(TavPoint(a.x + dn.x, a.y + dn.y), TavPoint(b.x + dn.x, b.y + dn.y));
}

TavPoint corner(const TavLine& in, const TavLine& out) {
  TavPoint x = in.p2;
  if (!lineLineIsCollinear(in, out)) lineLineIntersection(in, out, &x);
  return x;
}

}  // namespace

void polyLineToPolyRakeLiteral(const TavPoint* p, int count, double h, double s, std::vector<TavLine>* rake) {
  rake->clear();
  std::vector<TavPoint> posRail, negRail;
  std::vector<double> fans;  // per corner: pivot x, pivot y, radius, start, sweep, 1 on the negative side
  for (int i = 0; i <= count - 2; ++i) {
    TavLine a, b, a2, b2;
    offsets(p[i], p[i + 1], h, &a, &b);
    if (i == 0) posRail.push_back(a.p1), negRail.push_back(b.p1);
    if (i == count - 2) {
      posRail.push_back(a.p2), negRail.push_back(b.p2);
      break;
    }
    offsets(p[i + 1], p[i + 2], h, &a2, &b2);
    const TavPoint xa = corner(a, a2), xb = corner(b, b2);
    const bool neg = pointPointDist(xb, negRail.back()) < pointPointDist(xa, posRail.back());
    const TavPoint x = neg ? xb : xa, q = p[i + 1];
    TavLine perpIn, perpOut;  // through x, square to the incoming and the outgoing segment
    linePointToLinePerpendicular(TavLine(p[i], p[i + 1]), x, &perpIn);
    linePointToLinePerpendicular(TavLine(p[i + 1], p[i + 2]), x, &perpOut);
    TavPoint o1(0.0, 0.0);
    lineLineIntersection(neg ? a : b, perpIn, &o1);
    TavPoint o2 = o1;
    lineLineIntersection(neg ? a2 : b2, perpOut, &o2);
    std::vector<TavPoint>& pivotRail = neg ? negRail : posRail;
    std::vector<TavPoint>& otherRail = neg ? posRail : negRail;
    pivotRail.insert(pivotRail.end(), {x, x});
    otherRail.insert(otherRail.end(), {o1, o2});
    const double start = lineAngle(perpIn);
    double sweep = lineAngle(perpOut) - start;
    TavPoint r(x.x + 2 * h, x.y);
    CTavRotator(x.x, x.y, start + sweep * 0.5).rotate(&r.x, &r.y);
    if (pointPointDist(q, r) > pointPointDist(q, x) && std::fabs(sweep) > 0.1)
      sweep = sweep > 0 ? sweep - 6.283185307179586 : sweep + 6.283185307179586;
    fans.insert(fans.end(), {x.x, x.y, 2 * h, start, sweep, neg ? 1.0 : 0.0});
  }

  const double ratio = s / (2 * h);
  double acc = 0.0;
  for (int j = 0; j <= count - 2; ++j) {
    const TavPoint a = posRail[2 * j], b = posRail[2 * j + 1], w = negRail[2 * j];
    const double len = pointPointDist(b, a);
    const TavPoint u((b.x - a.x) / len, (b.y - a.y) / len);
    double off = s - (acc - static_cast<double>(rake->size()) * s);
    TavPoint pu(a.x + off * u.x, a.y + off * u.y), pw(w.x + off * u.x, w.y + off * u.y);
    for (; off < len; off = off + s) {
      rake->push_back(TavLine(pu, pw));
      pu = TavPoint(pu.x + s * u.x, pu.y + s * u.y);
      pw = TavPoint(pw.x + s * u.x, pw.y + s * u.y);
    }
    acc = acc + len;
    if (j == count - 2) break;
    const double* f = &fans[6 * j];
    const TavPoint x(f[0], f[1]);
    const double r = f[2], start = f[3], sweep = f[4];
    off = s - (acc - static_cast<double>(rake->size()) * s);
    const double a0 = off / r;
    double phi = sweep > 0 ? start + a0 : start - a0;
    const double m = (std::fabs(sweep) - a0) / ratio + 1.0;
    const int lines = m >= 1.0 && m < 1e9 ? static_cast<int>(m) : 0;
    for (int k = 0; k < lines; ++k) {
      TavPoint e(x.x + r, x.y);
      CTavRotator(x.x, x.y, phi).rotate(&e.x, &e.y);
      rake->push_back(f[5] != 0 ? TavLine(e, x) : TavLine(x, e));
      phi = sweep > 0 ? phi + ratio : phi - ratio;
    }
    acc = acc + std::fabs(sweep * r);
  }
}

}  // namespace tavref
