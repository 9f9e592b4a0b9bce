// Angle and scalar helpers.
#include <TavGeometry/TavGeoScalar.h>

#include <vector>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

void bindScalar(py::module_& m) {
  m.def("deg_to_rad", &degToRad, py::arg("angle"), "Degrees times pi/180.");
  m.def("rad_to_deg", &radToDeg, py::arg("angle"), "Radians times 180/pi.");
  m.def("normalize_angle_minus_pi_to_pi", &normalizeAngleMinusPiToPi, py::arg("angle"),
        "Folds an angle into [-pi, pi); an angle already inside comes back unchanged; NaN and\n"
        "infinities give NaN.");
  m.def("normalize_angle_minus_2pi_to_2pi", &normalizeAngleMinus2PiTo2Pi, py::arg("angle"),
        "Brings an angle into [-2 pi, 2 pi) (not unique). NaN and infinities give NaN.");
  m.def("normalize_angle_0_to_2pi", &normalizeAngle0To2Pi, py::arg("angle"),
        "Folds an angle into [0, 2 pi). NaN and infinities give NaN.");
  m.def("normalize_angle_0_to_pi", &normalizeAngle0ToPi, py::arg("angle"),
        "Folds an angle into [0, pi): an undirected orientation. NaN and infinities give NaN.");
  m.def("normalize_angle_minus_piby2_to_piby2", &normalizeAngleMinusPiby2ToPiby2, py::arg("angle"),
        "Folds an angle into [-pi/2, pi/2), modulo pi. NaN and infinities give NaN.");
  m.def(
      "solve_quadratic_abc_formula",
      [](double a, double b, double c) {
        double roots[2] = {0.0, 0.0};
        int count = 0;
        solveQuadraticAbcFormula(a, b, c, roots, &count);
        py::tuple out(count);
        for (int i = 0; i < count; ++i) out[i] = py::float_(roots[i]);
        return out;
      },
      py::arg("a"), py::arg("b"), py::arg("c"),
      "Real roots of a*x^2 + b*x + c = 0 as a tuple of 0, 1 or 2 floats: (-b + sqrt D)/2a first;\n"
      "|D| < 1e-5 gives the one root -b/2a; a = 0 solves b*x + c = 0.");
  m.def(
      "average_angles",
      [](py::object angles) {
        // Held to a 1-D array of a real dtype: an object array is a TypeError too
        // (None had been read as NaN).
        const char* expected = "a 1-D sequence of real numbers";
        py::array raw = arrayArgument(angles, "angles", expected);
        const char kind = raw.dtype().kind();
        if (kind != 'f' && kind != 'i' && kind != 'u') throwType("angles", expected, angles);
        if (raw.ndim() != 1) throwValue(std::string("angles must be ") + expected);
        auto a = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(raw);
        if (a.size() > 0x7fffffff) throwValue("angles holds too many values");
        std::vector<double> copy(a.data(), a.data() + a.size());
        return averageAngles(copy.data(), static_cast<int>(copy.size()));
      },
      py::arg("angles"),
      "Mean direction atan2(sum sin, sum cos) in [-pi, pi], radians; no angles give 0.");
  m.def("parabola_fit", &parabolaFit, py::arg("s0"), py::arg("s1"), py::arg("s2"),
        "Offset of the vertex of the parabola through (-1, s0), (0, s1), (1, s2) from the middle\n"
        "sample; 0 for collinear samples. Not clamped.");
  m.def("bilinear_interpolate", &bilinearInterpolate, py::arg("fx"), py::arg("fy"), py::arg("c00"),
        py::arg("c10"), py::arg("c01"), py::arg("c11"),
        "Bilinear interpolation at fractions (fx, fy) between c00 (x0, y0), c10 (x1, y0), c01 (x0, y1)\n"
        "and c11 (x1, y1); fractions outside 0..1 extrapolate.");
}

}  // namespace tgpy
