#include "reference/rake_reference.h"

#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavRotator.h>

#include <cmath>

namespace tavref {

namespace {

void offsets(const TavPoint& a, const TavPoint& b, double h, TavLine* pos, TavLine* neg) {
  const double theta = std::atan2(b.y - a.y, b.x - a.x);
  const double halfPi = 1.5707963267948966;
  const TavPoint dp(h * std::cos(theta + halfPi), h * std::sin(theta + halfPi));
  const TavPoint dn(h * std::cos(theta - halfPi), h * std::sin(theta - halfPi));
  *pos = TavLine(TavPoint(a.x + dp.x, a.y + dp.y), TavPoint(b.x + dp.x, b.y + dp.y));
  *neg = TavLine(TavPoint(a.x + dn.x, a.y + dn.y), TavPoint(b.x + dn.x, b.y + dn.y));
}

TavPoint corner(const TavLine& in, const TavLine& out) {
  TavPoint x = in.p2;
  if (!NTavGeometry::lineLineIsCollinear(in, out)) NTavGeometry::lineLineIntersection(in, out, &x);
  return x;
}

}  // namespace

void polyLineToPolyRakeLiteral(const TavPoint* p, int count, double h, double s, std::vector<TavLine>* rake) {
  rake->clear();
  std::vector<TavPoint> posRail, negRail;
  std::vector<double> fans;  // five doubles per corner: pivot x, pivot y, radius, start, sweep
  std::vector<bool> onNegative;
  for (int i = 0; i <= count - 2; ++i) {
    TavLine a, b;
    offsets(p[i], p[i + 1], h, &a, &b);
    if (i == 0) {
      posRail.push_back(a.p1);
      negRail.push_back(b.p1);
    }
    if (i == count - 2) {
      posRail.push_back(a.p2);
      negRail.push_back(b.p2);
      break;
    }
    const TavPoint q = p[i + 1];
    TavLine a2, b2;
    offsets(p[i + 1], p[i + 2], h, &a2, &b2);
    const TavPoint xa = corner(a, a2);
    const TavPoint xb = corner(b, b2);
    const double dPos =
        NTavGeometry::pointPointDist(TavPoint(xa.x - posRail.back().x, xa.y - posRail.back().y), TavPoint());
    const double dNeg =
        NTavGeometry::pointPointDist(TavPoint(xb.x - negRail.back().x, xb.y - negRail.back().y), TavPoint());
    const bool neg = dNeg < dPos;
    const TavPoint x = neg ? xb : xa;
    TavLine perpIn, perpOut;
    NTavGeometry::linePointToLinePerpendicular(TavLine(p[i], p[i + 1]), x, &perpIn);
    NTavGeometry::linePointToLinePerpendicular(TavLine(p[i + 1], p[i + 2]), x, &perpOut);
    TavPoint o1(0.0, 0.0);
    NTavGeometry::lineLineIntersection(neg ? a : b, perpIn, &o1);
    TavPoint o2 = o1;
    NTavGeometry::lineLineIntersection(neg ? a2 : b2, perpOut, &o2);
    if (neg) {
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
    const double start = NTavGeometry::lineAngle(perpIn);
    double sweep = NTavGeometry::lineAngle(perpOut) - start;
    TavPoint r(x.x + 2 * h, x.y);
    NTavGeometry::CTavRotator(x.x, x.y, start + sweep * 0.5).rotate(&r.x, &r.y);
    if (NTavGeometry::pointPointDist(TavPoint(q.x - r.x, q.y - r.y), TavPoint()) >
            NTavGeometry::pointPointDist(TavPoint(q.x - x.x, q.y - x.y), TavPoint()) &&
        std::fabs(sweep) > 0.1) {
      sweep = sweep > 0 ? sweep - 6.283185307179586 : sweep + 6.283185307179586;
    }
    fans.insert(fans.end(), {x.x, x.y, 2 * h, start, sweep});
    onNegative.push_back(neg);
  }

  const double ratio = s / (2 * h);
  double acc = 0.0;
  for (int j = 0; j <= count - 2; ++j) {
    const TavPoint a = posRail[2 * j], b = posRail[2 * j + 1], w = negRail[2 * j];
    const double len = NTavGeometry::pointPointDist(TavPoint(b.x - a.x, b.y - a.y), TavPoint());
    const TavPoint u((b.x - a.x) / len, (b.y - a.y) / len);
    double off = s - (acc - static_cast<double>(rake->size()) * s);
    if (off < len) {
      TavPoint pu(a.x + off * u.x, a.y + off * u.y), pw(w.x + off * u.x, w.y + off * u.y);
      do {
        rake->push_back(TavLine(pu, pw));
        pu = TavPoint(pu.x + s * u.x, pu.y + s * u.y);
        pw = TavPoint(pw.x + s * u.x, pw.y + s * u.y);
        off = off + s;
      } while (off < len);
    }
    acc = acc + len;
    if (j == count - 2) break;
    const double* f = &fans[5 * j];
    const TavPoint x(f[0], f[1]);
    const double r = f[2], start = f[3], sweep = f[4];
    off = s - (acc - static_cast<double>(rake->size()) * s);
    const double a0 = off / r;
    double phi = sweep > 0 ? start + a0 : start - a0;
    const double m = (std::fabs(sweep) - a0) / ratio + 1.0;
    const int lines = m >= 1.0 && m < 1e9 ? static_cast<int>(m) : 0;
    for (int k = 0; k < lines; ++k) {
      TavPoint e(x.x + r, x.y);
      NTavGeometry::CTavRotator(x.x, x.y, phi).rotate(&e.x, &e.y);
      rake->push_back(onNegative[j] ? TavLine(e, x) : TavLine(x, e));
      phi = sweep > 0 ? phi + ratio : phi - ratio;
    }
    acc = acc + std::fabs(sweep * r);
  }
}

}  // namespace tavref
