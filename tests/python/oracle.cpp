// Writes seeded random inputs and the library's results for them, one JSON
// object a line: {"f": name, "in": [...], "out": [...]}. Doubles are written as
// hex-float strings so that the Python tests can compare bit patterns.
#include <TavGeometry/TavGeometry.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace NTavGeometry;

namespace {

std::string hx(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "\"%a\"", v);
  return buf;
}
std::string pt(const TavPoint& p) { return "[" + hx(p.x) + "," + hx(p.y) + "]"; }
std::string pts(const std::vector<TavPoint>& v) {
  std::string s = "[";
  for (std::size_t i = 0; i < v.size(); ++i) s += (i ? "," : "") + pt(v[i]);
  return s + "]";
}
std::string ln(const TavLine& l) { return "[" + pt(l.p1) + "," + pt(l.p2) + "]"; }
std::string ints(const std::vector<int>& v) {
  std::string s = "[";
  for (std::size_t i = 0; i < v.size(); ++i) s += (i ? "," : "") + std::to_string(v[i]);
  return s + "]";
}
void emit(const char* f, const std::string& in, const std::string& out) {
  std::printf("{\"f\":\"%s\",\"in\":%s,\"out\":%s}\n", f, in.c_str(), out.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::atoi(argv[1]) : 200;
  std::mt19937_64 gen(20261207);
  std::uniform_real_distribution<double> u(-500.0, 500.0);
  std::uniform_int_distribution<int> small(3, 40);
  auto P = [&] { return TavPoint(u(gen), u(gen)); };
  auto set = [&](int n) {
    std::vector<TavPoint> v(static_cast<std::size_t>(n));
    for (auto& p : v) p = P();
    return v;
  };
  for (int t = 0; t < trials; ++t) {
    const TavPoint a = P(), b = P(), c = P();
    const TavLine l1(P(), P()), l2(P(), P());
    emit("point_point_dist", "[" + pt(a) + "," + pt(b) + "]", "[" + hx(pointPointDist(a, b)) + "]");
    emit("point_line_dist", "[" + pt(a) + "," + ln(l1) + "]", "[" + hx(pointLineDist(a, l1)) + "]");
    TavPoint x;
    const bool hit = lineLineIntersection(l1, l2, &x);
    emit("line_line_intersection", "[" + ln(l1) + "," + ln(l2) + "]", hit ? "[" + pt(x) + "]" : "[]");
    TavCircle circle;
    const bool ok = circleIn3Points(a, b, c, &circle);
    emit("circle_in_3_points", "[" + pt(a) + "," + pt(b) + "," + pt(c) + "]",
         ok ? "[" + pt(circle.center) + "," + hx(circle.radius) + "]" : "[]");
    TavArc arc;
    const bool aok = arcIn3Points(a, b, c, &arc);
    emit("arc_in_3_points", "[" + pt(a) + "," + pt(b) + "," + pt(c) + "]",
         aok ? "[" + pt(arc.center) + "," + hx(arc.radius) + "," + hx(arc.startAngle) + "," + hx(arc.sweepAngle) + "]"
             : "[]");
    const double angle = u(gen) / 50.0;
    CTavRotator rot(a.x, a.y, angle);
    double rx = b.x, ry = b.y;
    rot.rotate(&rx, &ry);
    emit("rotator", "[" + pt(a) + "," + hx(angle) + "," + pt(b) + "]", "[" + pt(TavPoint(rx, ry)) + "]");

    const std::vector<TavPoint> poly = set(small(gen));
    const unsigned int pn = static_cast<unsigned int>(poly.size());
    emit("polygon_area", "[" + pts(poly) + "]", "[" + hx(polygonArea(poly.data(), pn)) + "]");
    emit("polygon_is_point_inside", "[" + pts(poly) + "," + pt(a) + "]",
         polygonIsPointInside(poly.data(), pn, a) ? "[true]" : "[false]");
    TavLine fl;
    pointsFitLine(poly.data(), pn, &fl);
    emit("points_fit_line", "[" + pts(poly) + "]", "[" + ln(fl) + "]");
    double err = 0.0;
    const int rc = pointsFitCircle(poly.data(), pn, &circle, &err);
    emit("points_fit_circle", "[" + pts(poly) + "]",
         rc == 0 ? "[" + pt(circle.center) + "," + hx(circle.radius) + "," + hx(err) + "]" : "[]");
    const unsigned int k = pn / 4;
    std::vector<TavPoint> rejected(k);
    pointsFitLineRansac(poly.data(), pn, k, 50, &fl, &err, rejected.data());
    emit("points_fit_line_ransac", "[" + pts(poly) + "," + std::to_string(k) + "]",
         "[" + ln(fl) + "," + hx(err) + "," + pts(rejected) + "]");

    std::vector<TavPoint> shifted(poly);
    for (auto& p : shifted) p = TavPoint(p.x / 2 + 250, p.y / 2 + 250);
    CTavGeoRleCalcPolygon rp;
    rp.calculate(500, 500, shifted.data(), static_cast<int>(shifted.size()));
    std::vector<int> perim;
    for (const TavIPoint& q : CTavGeoRleCalc::calculatePerimiterPoints(rp.rle())) {
      perim.push_back(q.x);
      perim.push_back(q.y);
    }
    emit("rle_polygon", "[500,500," + pts(shifted) + "]", "[" + ints(rp.rle()) + "," + ints(perim) + "]");
    const TavPoint centreRim[] = {TavPoint(a.x / 10, a.y / 10), TavPoint(a.x / 10 + b.x / 20, a.y / 10)};
    CTavGeoRleCalcDisk disk;
    disk.calculate(100, 100, centreRim, 2);
    emit("rle_disk", "[100,100,[" + pt(centreRim[0]) + "," + pt(centreRim[1]) + "]]", "[" + ints(disk.rle()) + "]");
  }
  return 0;
}
