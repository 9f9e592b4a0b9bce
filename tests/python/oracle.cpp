// Seeded random inputs and the library's results for them, one JSON object a
// line: {"f": name, "in": [...], "out": [...]}, every number a hex-float string
// so that the Python tests compare bit patterns.
#include <TavGeometry/TavGeometry.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace NTavGeometry;
using V = std::vector<double>;

namespace {

void emit(const char* f, const V& in, const V& out) {
  std::printf("{\"f\":\"%s\",\"in\":[", f);
  for (std::size_t i = 0; i < in.size(); ++i) std::printf("%s\"%a\"", i ? "," : "", in[i]);
  std::printf("],\"out\":[");
  for (std::size_t i = 0; i < out.size(); ++i) std::printf("%s\"%a\"", i ? "," : "", out[i]);
  std::printf("]}\n");
}
V flat(const std::vector<TavPoint>& v, V r = {}) {  // r: the numbers before the points
  for (const TavPoint& p : v) r.insert(r.end(), {p.x, p.y});
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::mt19937_64 gen(20261207);
  std::uniform_real_distribution<double> u(-500.0, 500.0);
  std::uniform_int_distribution<int> small(3, 40);
  for (int t = 0, trials = argc > 1 ? std::atoi(argv[1]) : 200; t < trials; ++t) {
    std::vector<TavPoint> v(static_cast<std::size_t>(small(gen)));
    for (TavPoint& p : v) p = TavPoint(u(gen), u(gen));
    const TavPoint a(u(gen), u(gen)), b(u(gen), u(gen)), c(u(gen), u(gen));
    const V abc = {a.x, a.y, b.x, b.y, c.x, c.y}, pv = flat(v);
    const unsigned int n = static_cast<unsigned int>(v.size());
    TavCircle circle;
    TavArc arc;
    TavLine line;
    double err = 0.0;
    emit("arc_in_3_points", abc,
         arcIn3Points(a, b, c, &arc)
             ? V{arc.center.x, arc.center.y, arc.radius, arc.startAngle, arc.sweepAngle}
             : V{});
    pointsFitLine(v.data(), n, &line);
    emit("points_fit_line", pv, {line.p1.x, line.p1.y, line.p2.x, line.p2.y});
    const bool fitted = pointsFitCircle(v.data(), n, &circle, &err) == 0;
    emit("points_fit_circle", pv, fitted ? V{circle.center.x, circle.center.y, circle.radius, err} : V{});
    std::vector<TavPoint> rejected(n / 4);
    pointsFitLineRansac(v.data(), n, n / 4, 50, &line, &err, rejected.data());
    emit("points_fit_line_ransac", flat(v, {n / 4.0, 0.0}),
         flat(rejected, {line.p1.x, line.p1.y, line.p2.x, line.p2.y, err}));
    for (TavPoint& p : v) p = TavPoint(p.x / 2 + 250, p.y / 2 + 250);
    CTavGeoRleCalcPolygon polygon;
    polygon.calculate(500, 500, v.data(), static_cast<int>(n));
    V out(polygon.rle().begin(), polygon.rle().end());
    for (const TavIPoint& q : CTavGeoRleCalc::calculatePerimiterPoints(polygon.rle()))
      out.insert(out.end(), {1.0 * q.x, 1.0 * q.y});
    emit("rle_polygon", flat(v), out);
  }
  return 0;
}
